// Tests of the string helpers, the token splitter, nStringReplace, OV_fprintf and nString.
#include <gtest/gtest.h>

#include <string.h>

#include <future>
#include <string>
#include <thread>
#include <vector>

#include "nstring.h"
#include "orvex.h"

// The engine defines the interface pointer; this test links only the string helpers.
orvex_t *ov = nullptr;

namespace {

struct MatchCase {
    const char *a;
    const char *b;
    bool exact;
    bool ignoring_case;
};

const MatchCase kMatchCases[] = {
    {nullptr, nullptr, false, false},
    {"", "", true, true},
    {"a", nullptr, false, false},
    {nullptr, "a", false, false},
    {"abc", "abc", true, true},
    {"abc", "abd", false, false},
    {"abc", "ab", false, false},
    {"ab", "abc", false, false},
    {"Abc", "aBC", false, true},
    {"HELLO-42", "hello-42", false, true},
    {"[", "{", false, false},  // differ by 0x20 but are not letters
    {"@", "`", false, false},
};

TEST(StringMatch, ExactAndIgnoringCase) {
    for (const MatchCase &c : kMatchCases) {
        SCOPED_TRACE(std::string(c.a ? c.a : "(null)") + " / " + (c.b ? c.b : "(null)"));
        EXPECT_EQ(nStringsMatch(c.a, c.b), c.exact);
        EXPECT_EQ(nStringsMatchIncaseSensitive(c.a, c.b), c.ignoring_case);
    }
}

TEST(StringBasics, DuplicateMakesAnIndependentCopy) {
    char source[] = "hello";
    char *copy = nStringDuplicate(source);
    source[0] = 'j';
    EXPECT_STREQ(copy, "hello");
    nStringFree(copy);

    char *empty = nStringDuplicate(nullptr);
    ASSERT_NE(empty, nullptr);
    EXPECT_STREQ(empty, "");
    nStringFree(empty);
    nStringFree(nullptr);
}

TEST(StringBasics, CopyAndLength) {
    char buf[16] = "junk";
    nStringCopy(buf, "text");
    EXPECT_STREQ(buf, "text");
    nStringCopy(buf, nullptr);
    EXPECT_STREQ(buf, "");
    nStringCopy(nullptr, "ignored");

    EXPECT_EQ(nStringLength(nullptr), 0);
    EXPECT_EQ(nStringLength(""), 0);
    EXPECT_EQ(nStringLength("four"), 4);
}

TEST(StringBasics, SearchFindsFirstOccurrence) {
    const char *hay = "one two two";
    EXPECT_EQ(nStringSearch(hay, "two"), hay + 4);
    EXPECT_EQ(nStringSearch(hay, "three"), nullptr);
    EXPECT_EQ(nStringSearch(nullptr, "two"), nullptr);
    EXPECT_EQ(nStringSearch(hay, nullptr), nullptr);

    char writable[] = "a=b";
    char *eq = nStringSearch(writable, "=");
    ASSERT_NE(eq, nullptr);
    *eq = '\0';
    EXPECT_STREQ(writable, "a");
}

TEST(StringFormat, SprintfCopiesAndReturnsLength) {
    char dst[64];
    EXPECT_EQ(nSprintf(dst, "%s-%d", "id", 42), 5);
    EXPECT_STREQ(dst, "id-42");
}

TEST(StringFormat, SprintfCutsAt1023AndReportsFullLength) {
    std::string longer(2000, 'q');
    std::vector<char> dst(4096, 'X');
    EXPECT_EQ(nSprintf(dst.data(), "%s!", longer.c_str()), 2001);
    EXPECT_EQ(std::string(dst.data()), longer.substr(0, NSTRING_FORMAT_BUFFER - 1));
}

TEST(StringFormat, FormatIsBoundedBySize) {
    char dst[8];
    memset(dst, 'X', sizeof dst);
    nStringFormat(dst, 5, "%s", "abcdefgh");
    EXPECT_STREQ(dst, "abcd");
    EXPECT_EQ(dst[5], 'X');  // nothing written past size

    nStringFormat(dst, 8, "%d", 12);
    EXPECT_STREQ(dst, "12");
}

struct TokenCase {
    const char *text;
    const char *separator;
    int index;
    const char *expected;  // null: no token
};

const TokenCase kTokenCases[] = {
    {"a,b,c", ",", 0, "a"},
    {"a,b,c", ",", 1, "b"},
    {"a,b,c", ",", 2, "c"},
    {"a,b,c", ",", 3, nullptr},
    {"a,b,", ",", 1, "b"},
    {"a,b,", ",", 2, nullptr},  // nothing follows the last separator
    {"abc", ",", 0, "abc"},
    {"abc", ",", 1, nullptr},
    {"a,,b", ",", 1, ""},
    {"a,,b", ",", 2, "b"},
    {",a", ",", 0, ""},
    {"a::b::c", "::", 1, "b"},
    {"a:b;c", ":;", 1, nullptr},  // the separator is a substring, not a set
    {"a:;b", ":;", 1, "b"},
    {"a,b", ",", -1, nullptr},
    {nullptr, ",", 0, nullptr},
};

void ExpectToken(const char *got, const char *expected) {
    if (expected == nullptr) {
        EXPECT_EQ(got, nullptr);
    } else {
        ASSERT_NE(got, nullptr);
        EXPECT_STREQ(got, expected);
    }
}

TEST(StringToken, SharedBufferForm) {
    for (const TokenCase &c : kTokenCases) {
        SCOPED_TRACE(std::string(c.text ? c.text : "(null)") + " #" + std::to_string(c.index));
        ExpectToken(nStringGetToken(c.text, c.separator, c.index), c.expected);
    }
}

TEST(StringToken, CallerBufferForm) {
    for (const TokenCase &c : kTokenCases) {
        SCOPED_TRACE(std::string(c.text ? c.text : "(null)") + " #" + std::to_string(c.index));
        char buf[32];
        char *got = nStringGetToken(buf, sizeof buf, c.text, c.separator, c.index);
        ExpectToken(got, c.expected);
        if (got != nullptr) {
            EXPECT_GE(got, buf);
            EXPECT_LT(got, buf + sizeof buf);
        }
    }
}

TEST(StringToken, SharedFormTakesUpTo255Characters) {
    std::string fits(NSTRING_TOKEN_BUFFER - 1, 'a');
    fits[100] = ',';
    ExpectToken(nStringGetToken(fits.c_str(), ",", 1), fits.substr(101).c_str());
    ExpectToken(nStringGetToken(fits.c_str(), ",", 0), fits.substr(0, 100).c_str());

    std::string too_long(NSTRING_TOKEN_BUFFER, 'a');
    too_long[100] = ',';
    EXPECT_EQ(nStringGetToken(too_long.c_str(), ",", 0), nullptr);
}

TEST(StringToken, CallerFormNeedsRoomForTerminator) {
    char buf[6];
    ExpectToken(nStringGetToken(buf, sizeof buf, "ab,cd", ",", 1), "cd");
    EXPECT_EQ(nStringGetToken(buf, sizeof buf, "ab,cde", ",", 1), nullptr);
    EXPECT_EQ(nStringGetToken(nullptr, 16, "a,b", ",", 0), nullptr);
}

TEST(StringToken, SharedResultsSurviveSevenFurtherCalls) {
    std::vector<char *> tokens;
    for (int i = 0; i < NSTRING_TOKEN_BUFFERS; i++) {
        std::string text = "x," + std::to_string(i);
        tokens.push_back(nStringGetToken(text.c_str(), ",", 1));
    }
    for (int i = 0; i < NSTRING_TOKEN_BUFFERS; i++) {
        ExpectToken(tokens[i], std::to_string(i).c_str());
    }
}

TEST(StringToken, RotationAdvancesOnCallsThatYieldNull) {
    char *first = nStringGetToken("p,q", ",", 0);
    for (int i = 1; i < NSTRING_TOKEN_BUFFERS; i++) {
        EXPECT_EQ(nStringGetToken(nullptr, ",", 0), nullptr);
    }
    // Eight calls later the first buffer comes round again.
    EXPECT_EQ(nStringGetToken("r,s", ",", 0), first);
    EXPECT_STREQ(first, "r");
}

TEST(StringToken, ThreadsNeverShareBuffers) {
    std::promise<void> first_has_token;
    std::promise<void> second_done;
    std::shared_future<void> first_ready = first_has_token.get_future().share();
    std::shared_future<void> second_finished = second_done.get_future().share();
    char *first_token = nullptr;
    std::string first_seen;
    std::vector<char *> second_tokens;

    std::thread first([&] {
        first_token = nStringGetToken("alpha,beta", ",", 1);
        first_has_token.set_value();
        second_finished.wait();
        first_seen = first_token;
    });
    std::thread second([&] {
        first_ready.wait();
        for (int i = 0; i < 2 * NSTRING_TOKEN_BUFFERS; i++) {
            second_tokens.push_back(nStringGetToken("gamma,delta", ",", i % 2));
        }
        second_done.set_value();
    });
    first.join();
    second.join();

    EXPECT_EQ(first_seen, "beta");
    for (char *token : second_tokens) {
        EXPECT_NE(token, first_token);
    }
}

struct ReplaceCase {
    const char *source;
    const char *find;
    const char *replacement;
    int size;
    const char *expected;
};

const ReplaceCase kReplaceCases[] = {
    {"xxx", "x", "yz", 6, "yzyzx"},  // a third replacement would need 7 bytes
    {"xxx", "x", "yz", 7, "yzyzyz"},
    {"aaa", "a", "aa", 16, "aaaaaa"},  // inserted text is not scanned again
    {"hello world", "o", "", 32, "hell wrld"},
    {"abab", "ab", "c", 5, "cc"},
    {"abc", "z", "y", 8, "abc"},
    {"abc", "", "y", 8, "abc"},
    {"", "a", "b", 1, ""},
};

TEST(StringReplace, ReplacesWhileTheResultFits) {
    for (const ReplaceCase &c : kReplaceCases) {
        SCOPED_TRACE(std::string(c.source) + " size " + std::to_string(c.size));
        std::vector<char> dst(static_cast<size_t>(c.size) + 4, 'X');
        nStringReplace(c.source, c.find, c.replacement, dst.data(), c.size);
        EXPECT_STREQ(dst.data(), c.expected);
        EXPECT_EQ(dst[c.size], 'X');  // nothing written past size
    }
}

TEST(StringReplace, RefusesSourcesThatDoNotFit) {
    char dst[4] = {'X', 'X', 'X', 'X'};
    nStringReplace("abcd", "a", "b", dst, 4);
    EXPECT_EQ(std::string(dst, 4), "XXXX");
    nStringReplace(nullptr, "a", "b", dst, 4);
    EXPECT_EQ(std::string(dst, 4), "XXXX");
    nStringReplace("a", "a", "b", dst, 0);
    EXPECT_EQ(std::string(dst, 4), "XXXX");
    nStringReplace("a", "a", "b", nullptr, 4);
}

// Collects what OV_fprintf hands to the interface's write call.
struct WriteLog {
    std::string bytes;
    unsigned element_size = 0;
    unsigned count = 0;
    ov_file_t *file = nullptr;
    int calls = 0;
};
WriteLog write_log;

unsigned FakeWrite(const void *buf, unsigned size, unsigned count, ov_file_t *f) {
    write_log.bytes.append(static_cast<const char *>(buf), static_cast<size_t>(size) * count);
    write_log.element_size = size;
    write_log.count = count;
    write_log.file = f;
    write_log.calls++;
    return count;
}

class OvFprintf : public ::testing::Test {
protected:
    void SetUp() override {
        write_log = WriteLog();
        fake_ = orvex_t();
        fake_.OV_fwrite = FakeWrite;
        ov = &fake_;
    }
    void TearDown() override { ov = nullptr; }

    orvex_t fake_;
    ov_file_t *file_ = reinterpret_cast<ov_file_t *>(&fake_);  // any distinct handle
};

TEST_F(OvFprintf, WritesTheTextWithoutTerminator) {
    const std::string expected = "line 7: ok\n";
    EXPECT_EQ(OV_fprintf(file_, "line %d: %s\n", 7, "ok"), static_cast<int>(expected.size()));
    EXPECT_EQ(write_log.calls, 1);
    EXPECT_EQ(write_log.bytes, expected);
    EXPECT_EQ(write_log.element_size, 1u);
    EXPECT_EQ(write_log.count, expected.size());
    EXPECT_EQ(write_log.file, file_);
}

TEST_F(OvFprintf, WritesAtMost1023BytesAndReportsFullLength) {
    std::string longer(1500, 'w');
    EXPECT_EQ(OV_fprintf(file_, "%s", longer.c_str()), 1500);
    EXPECT_EQ(write_log.bytes, longer.substr(0, NSTRING_FORMAT_BUFFER - 1));
    EXPECT_EQ(write_log.count, static_cast<unsigned>(NSTRING_FORMAT_BUFFER - 1));
}

TEST_F(OvFprintf, WithoutInterfaceWritesNothing) {
    ov = nullptr;
    EXPECT_EQ(OV_fprintf(file_, "%s", "abc"), 3);
    EXPECT_EQ(write_log.calls, 0);
}

TEST(NString, SetCopiesAndNullEmpties) {
    char source[] = "first";
    nString s;
    EXPECT_EQ(s.Get(), nullptr);
    s.Set(source);
    source[0] = 'F';
    EXPECT_STREQ(s.Get(), "first");
    EXPECT_NE(s.Get(), source);
    s.Set(nullptr);
    EXPECT_EQ(s.Get(), nullptr);
    EXPECT_TRUE(s.IsEmpty());
}

TEST(NString, SetWithOwnTextKeepsIt) {
    nString s("self");
    s.Set(s.Get());
    EXPECT_STREQ(s.Get(), "self");
}

TEST(NString, FormatReplacesAndCuts) {
    nString s("old");
    s.Format("%s+%d", s.Get(), 1);
    EXPECT_STREQ(s.Get(), "old+1");

    std::string longer(1100, 'z');
    s.Format("%s", longer.c_str());
    EXPECT_EQ(s.Length(), NSTRING_FORMAT_BUFFER - 1);
}

TEST(NString, Append) {
    nString s;
    s.Append(nullptr);
    EXPECT_EQ(s.Get(), nullptr);
    s.Append("ab");
    EXPECT_STREQ(s.Get(), "ab");
    s.Append(s.Get());
    EXPECT_STREQ(s.Get(), "abab");
    s.Append(nullptr);
    EXPECT_STREQ(s.Get(), "abab");
    s.Append("");
    EXPECT_STREQ(s.Get(), "abab");
}

TEST(NString, CopiesAreDeepAndMovesTransfer) {
    nString a("text");
    nString b(a);
    EXPECT_STREQ(b.Get(), "text");
    EXPECT_NE(b.Get(), a.Get());
    b.Append("!");
    EXPECT_STREQ(a.Get(), "text");

    nString c;
    c = a;
    EXPECT_NE(c.Get(), a.Get());
    EXPECT_STREQ(c.Get(), "text");

    const char *owned = a.Get();
    nString d(std::move(a));
    EXPECT_EQ(d.Get(), owned);
    c = std::move(d);
    EXPECT_EQ(c.Get(), owned);
}

}  // namespace
