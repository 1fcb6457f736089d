// Text layout with synthetic fonts: line feeds, wrapping at spaces, long words kept
// whole, alignment, measuring, "||" in LATIN-1, missing UTF-8 glyphs and CJK breaking.
#include "tests/gfx/gfx_fixture.h"
#include "tests/gfx/test_font_util.h"

#include <thread>

using namespace gfxtest;
using namespace fonttest;

namespace {

class TextLayout : public GfxTest {
protected:
    void SetUp() override
    {
        GfxTest::SetUp();
        Start();
        // LATIN-1: every letter 10 wide, space 5, '|' 3; height 10, line height 12.
        InitFont(&f_, "latin");
        f_.height = 10;
        f_.line_height = 12;
        for (int c = 'a'; c <= 'z'; c++)
            SetGlyph(&f_, c, 10);
        SetGlyph(&f_, ' ', 5);
        SetGlyph(&f_, '|', 3);
    }
    void TearDown() override
    {
        FreeFont(&f_);
        GfxTest::TearDown();
    }
    // Splits a copy of text; returns the lines and widths.
    std::vector<std::pair<std::string, int>> Split(const char *text, int wrap)
    {
        std::vector<char> copy(text, text + strlen(text) + 1);
        char *lines[OV_MAX_TEXT_LINES];
        int16_t widths[OV_MAX_TEXT_LINES];
        int n = OVI_ParseTextLines_LATIN1(&f_, wrap, copy.data(), lines, widths, OV_MAX_TEXT_LINES);
        std::vector<std::pair<std::string, int>> out;
        for (int i = 0; i < n; i++)
            out.push_back({lines[i], widths[i]});
        return out;
    }
    ov_font_t f_;
};

typedef std::vector<std::pair<std::string, int>> Lines;

}  // namespace

TEST_F(TextLayout, LineFeedsMakeLinesAndAnEmptyMiddleLine)
{
    EXPECT_EQ(Split("abc\n\nde", 65535), (Lines{{"abc", 30}, {"", 0}, {"de", 20}}));
}

TEST_F(TextLayout, WrapAtSpaceAndKeepTooLongWordWhole)
{
    // Two words of 60 with a space: 60 + 5 + 60 reaches 100, so the line breaks.
    EXPECT_EQ(Split("abcdef ghijkl", 100), (Lines{{"abcdef", 60}, {"ghijkl", 60}}));
    EXPECT_EQ(Split("abcdef ghijkl", 200), (Lines{{"abcdef ghijkl", 125}}));
    // A word of 150 stands alone on its line.
    EXPECT_EQ(Split("abcdefghijklmno", 100), (Lines{{"abcdefghijklmno", 150}}));
    EXPECT_EQ(Split("ab abcdefghijklmno cd", 100), (Lines{{"ab", 20}, {"abcdefghijklmno", 150}, {"cd", 20}}));
}

TEST_F(TextLayout, DoubledBarIsOneBarGlyphAndBlocksTakeNoRoom)
{
    EXPECT_EQ(Split("a||b", 65535), (Lines{{"a||b", 23}}));
    EXPECT_EQ(Split("a|ff0000|b", 65535), (Lines{{"a|ff0000|b", 20}}));
    // An image block whose bitmap cannot be found takes no room.
    EXPECT_EQ(Split("a|i'nothere.png' scale=2|b", 65535)[0].second, 20);
}

TEST_F(TextLayout, MeasuringEmptyAndOneLine)
{
    ov_text.text_width = ov_text.text_height = 99;
    OVI_GetTextSize(&f_, "");
    EXPECT_EQ(ov_text.text_width, 0.0f);
    EXPECT_EQ(ov_text.text_height, 0.0f);
    float w = 0, h = 0;
    ov->OV_GetTextSizef(&f_, &w, &h, "ab%s", "c");
    EXPECT_EQ(w, 30.0f);
    EXPECT_EQ(h, 12.0f);  // max(height, line_height)
    ov->OV_SetTextTransform(1, 2, 0);
    EXPECT_EQ(ov->OV_GetTextHeightf(&f_, "a\nb"), 2.0f * (12 + 12));
    ov->OV_SetTextTransform(1, 1, 0);
    ov->OV_SetTextboxWidth(100);
    EXPECT_EQ(ov->OV_GetTextWidthf(&f_, "abcdef ghijkl"), 60.0f);
    ov->OV_SetTextboxWidth(0);
    EXPECT_EQ(ov->OV_GetTextWidthf(nullptr, "abc"), 0.0f);
}

TEST_F(TextLayout, MeasuringManyLinesOfAHugeLineHeightDoesNotOverflow)
{
    // A font file may carry any line height; 27 lines of this one pass the int range.
    f_.line_height = 184549627;
    float w = 0, h = 0;
    ov->OV_GetTextSizef(&f_, &w, &h, "%s", "a\nb\nc\nd\ne\nf\ng\nh\ni\nj\nk\nl\nm\nn\no\np\nq\nr\ns\nt\nu\nv\nw\nx\ny\nz\na");
    EXPECT_EQ(w, 10.0f);
    EXPECT_FLOAT_EQ(h, 27.0f * 184549627.0f);
}

TEST_F(TextLayout, LatinCodeAtOrAboveGlyphCountIsMissing)
{
    ov_font_t small;
    InitFont(&small, "small", 128);
    SetGlyph(&small, 'a', 10);
    EXPECT_EQ(OVI_GlyphIndexLATIN1(&small, 0xe9), -1);
    char text[] = "a\xe9" "a";
    char *lines[4];
    int16_t widths[4];
    ASSERT_EQ(OVI_ParseTextLines_LATIN1(&small, 65535, text, lines, widths, 4), 1);
    EXPECT_EQ(widths[0], 20);
    FreeFont(&small);
}

TEST_F(TextLayout, Utf8MissingGlyphMessageAndCjkBreaking)
{
    ov_font_t u;
    InitFont(&u, "cjk", 4);
    u.encoding = OV_FONT_UTF8;
    u.height = 10;
    u.line_height = 12;
    int codes[4] = {32, 0x4e00, 0x4e8c, 0x3002};  // space, two ideographs, ideographic full stop
    for (int i = 0; i < 4; i++) {
        u.glyphs[i].code = codes[i];
        u.glyphs[i].advance = i == 0 ? 5 : 20;
    }
    // "一二一二。" is 100 wide: a box of 70 breaks before the fourth character,
    // a box of 81 would break before "。" but never does.
    uint32_t *t = OVI_DecodeUTF8("\xe4\xb8\x80\xe4\xba\x8c\xe4\xb8\x80\xe4\xba\x8c\xe3\x80\x82");
    ASSERT_NE(t, nullptr);
    uint32_t *lines[8];
    int16_t widths[8];
    int n = OVI_ParseTextLines_UTF32(&u, 70, t, lines, widths, 8);
    ASSERT_EQ(n, 2);
    EXPECT_EQ(widths[0], 60);
    EXPECT_EQ(lines[1][0], 0x4e8cu);
    EXPECT_EQ(widths[1], 40);
    free(t);
    t = OVI_DecodeUTF8("\xe4\xb8\x80\xe4\xba\x8c\xe4\xb8\x80\xe4\xba\x8c\xe3\x80\x82");
    n = OVI_ParseTextLines_UTF32(&u, 81, t, lines, widths, 8);
    EXPECT_EQ(n, 1);
    EXPECT_EQ(widths[0], 100);
    free(t);

    ov->OV_GetTextWidthf(&u, "A");
    EXPECT_TRUE(Logged("Font 'cjk' Missing unicode 65 (0x41) ('A')"));
    // Decoding skips invalid sequences and stops at the terminator.
    uint32_t *bad = OVI_DecodeUTF8("a\x80" "b\xe4\xb8");
    EXPECT_EQ(bad[0], (uint32_t)'a');
    EXPECT_EQ(bad[1], (uint32_t)'b');
    EXPECT_EQ(bad[2], 0u);
    free(bad);
    FreeFont(&u);
}

TEST_F(TextLayout, TextStateBelongsToTheCallingThread)
{
    // The main thread draws with a transform, a wrap width and an alignment; a worker
    // measuring at the same time starts from the defaults and keeps its own result.
    ov->OV_SetTextTransform(2, 2, 0);
    ov->OV_SetTextboxWidth(40);
    ov->OV_SetTextAlign(12);
    EXPECT_EQ(ov->OV_GetTextWidthf(&f_, "abc"), 60.0f);
    float worker_width = -1, worker_wrapped = -1, worker_after = -1;
    int worker_align = -1;
    std::thread worker([&] {
        worker_width = ov->OV_GetTextWidthf(&f_, "abcdef ghijkl");
        worker_align = ov_text.text_align;
        ov->OV_SetTextboxWidth(100);
        worker_wrapped = ov->OV_GetTextWidthf(&f_, "abcdef ghijkl");
        worker_after = ov_text.text_width;
    });
    worker.join();
    EXPECT_EQ(worker_width, 125.0f);   // scale 1, no wrapping
    EXPECT_EQ(worker_align, 0);
    EXPECT_EQ(worker_wrapped, 60.0f);
    EXPECT_EQ(worker_after, 60.0f);
    // The main thread's state and last measurement are untouched.
    EXPECT_EQ(ov_text.text_width, 60.0f);
    EXPECT_EQ(ov_text.text_scale_x, 2.0f);
    EXPECT_EQ(ov_text.textbox_width, 40.0f);
    EXPECT_EQ(ov_text.text_align, 12);
    ov->OV_SetTextTransform(1, 1, 0);
    ov->OV_SetTextboxWidth(0);
    ov->OV_SetTextAlign(0);
}
