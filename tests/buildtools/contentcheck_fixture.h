// A scratch tree per test in which orvex-contentcheck runs as the build runs it: the
// content-check tests write their fixture files into it, break one, and read the
// check's lines back.
#pragma once

#include <gtest/gtest.h>

#include <stdint.h>

#include <string>
#include <vector>

namespace cctest {

// The lines one after another, each ended by a newline (for failure messages).
std::string Joined(const std::vector<std::string> &lines);

// Replaces the first `from` in text (which must hold it).
void Swap(std::string *text, const std::string &from, const std::string &to);

class ContentCheckFixture : public ::testing::Test {
public:
    // name tells the tests' scratch trees apart under /tmp; files_root is the folder of the
    // tree (e.g. "native/", or "" for the tree's root) that Put, PutBytes and Remove name
    // files from.
    ContentCheckFixture(const char *name, const char *files_root) : name_(name), files_root_(files_root) {}

    void SetUp() override;
    void TearDown() override;

    // Writes a file (making its folders) or removes one, named from the files root.
    void Put(const std::string &rel, const std::string &text);
    void PutBytes(const std::string &rel, const std::vector<uint8_t> &bytes);
    void Remove(const std::string &rel);

    // Runs the check in the tree's root with args (e.g. "--ignore ignore.txt native"):
    // its exit status (-1 if it did not exit), its output lines in out.
    int Run(const std::string &args, std::vector<std::string> *out);

    std::string dir_;

private:
    std::string name_, files_root_;
};

// The lines hold this one; with own_file_only, all but the last start with its file.
void ExpectReported(const std::vector<std::string> &out, const std::string &line, bool own_file_only);

// Each case's fault on a fresh tree: the check fails (exit status 1) and reports the
// case's line; with own_file_only, every line but the closing count names the case's
// file. A case has `what`, `fault` (called with the fixture) and `line`.
template <typename Fixture, typename Cases>
void ExpectEachFault(Fixture *t, const Cases &cases, bool own_file_only)
{
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        t->TearDown();
        t->SetUp();
        c.fault(t);
        std::vector<std::string> out;
        EXPECT_EQ(t->Run(&out), 1) << Joined(out);
        ExpectReported(out, c.line, own_file_only);
    }
}

}  // namespace cctest
