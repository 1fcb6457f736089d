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

}  // namespace cctest
