#include "tests/buildtools/contentcheck_fixture.h"

#include <stdio.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <fstream>
#include <set>

namespace cctest {

std::string Joined(const std::vector<std::string> &lines)
{
    std::string s;
    for (const std::string &l : lines)
        s += l + "\n";
    return s;
}

void ExpectReported(const std::vector<std::string> &out, const std::string &line, bool own_file_only)
{
    std::set<std::string> lines(out.begin(), out.end());
    EXPECT_TRUE(lines.count(line)) << "expected: " << line << "\ngot:\n" << Joined(out);
    if (!own_file_only)
        return;
    // The fault is reported in its own file only.
    std::string file = line.substr(0, line.find(": ", 9) + 2);
    for (size_t i = 0; i + 1 < out.size(); i++)
        EXPECT_EQ(out[i].compare(0, file.size(), file), 0) << out[i];
}

void Swap(std::string *text, const std::string &from, const std::string &to)
{
    size_t at = text->find(from);
    ASSERT_NE(at, std::string::npos) << from;
    text->replace(at, from.size(), to);
}

void ContentCheckFixture::SetUp()
{
    std::string tmpl = "/tmp/orvex-contentcheck-" + name_ + "-XXXXXX";
    ASSERT_NE(mkdtemp(&tmpl[0]), nullptr);
    dir_ = tmpl;
}

void ContentCheckFixture::TearDown()
{
    std::string cmd = "rm -rf '" + dir_ + "'";
    EXPECT_EQ(system(cmd.c_str()), 0);
}

void ContentCheckFixture::Put(const std::string &rel, const std::string &text)
{
    PutBytes(rel, std::vector<uint8_t>(text.begin(), text.end()));
}

void ContentCheckFixture::PutBytes(const std::string &rel, const std::vector<uint8_t> &bytes)
{
    std::string path = dir_ + "/" + files_root_ + rel;
    for (size_t i = dir_.size() + 1; i < path.size(); i++)
        if (path[i] == '/')
            mkdir(path.substr(0, i).c_str(), 0755);
    std::ofstream f(path, std::ios::binary);
    f.write(reinterpret_cast<const char *>(bytes.data()), (std::streamsize)bytes.size());
    ASSERT_TRUE(f.good()) << rel;
}

void ContentCheckFixture::Remove(const std::string &rel)
{
    ASSERT_EQ(remove((dir_ + "/" + files_root_ + rel).c_str()), 0) << rel;
}

int ContentCheckFixture::Run(const std::string &args, std::vector<std::string> *out)
{
    std::string cmd = "cd '" + dir_ + "' && '" + ORVEX_CONTENTCHECK + "' " + args + " > check.out 2>&1";
    int status = system(cmd.c_str());
    std::ifstream in(dir_ + "/check.out");
    out->clear();
    for (std::string line; std::getline(in, line);)
        out->push_back(line);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace cctest
