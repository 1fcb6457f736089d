// scripts/dev-edits.sh on a fixture run folder and a fixture content/: the listing
// changes nothing, --apply copies the edits (never ".bak", ".tmp" or the terrain export).
#include <gtest/gtest.h>

#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

#include <fstream>
#include <sstream>
#include <string>

namespace {

std::string Read(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return "<none>";
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

void Write(const std::string &path, const std::string &text)
{
    std::string cmd = "mkdir -p '" + path.substr(0, path.rfind('/')) + "'";
    ASSERT_EQ(system(cmd.c_str()), 0);
    std::ofstream(path, std::ios::binary) << text;
}

// Runs the script with the arguments; its output, and its exit status in *status.
std::string RunScript(const std::string &args, int *status)
{
    std::string cmd = std::string("bash ") + DEV_EDITS_SCRIPT + " " + args + " 2>&1";
    FILE *p = popen(cmd.c_str(), "r");
    std::string out;
    char buf[256];
    size_t n;
    while (p && (n = fread(buf, 1, sizeof buf, p)) > 0)
        out.append(buf, n);
    *status = p ? pclose(p) : -1;
    return out;
}

class DevEditsScriptTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char tmpl[] = "/tmp/orvex-dev-edits-XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        dir_ = tmpl;
        const std::string edits = dir_ + "/run/data/Dev/Game/dev-edits/";
        Write(edits + "ui/main-menu.lua", "-- edited\n");
        Write(edits + "ui/main-menu.lua.bak", "-- before\n");
        Write(edits + "ui/new.lua.tmp", "half");
        Write(edits + "obstacles/rock.xml", "<rock/>\n");
        Write(edits + "terrain-export.xml", "<terrain/>\n");
        Write(dir_ + "/content/ui/main-menu.lua", "-- shipped\n");
        args_ = "--run-dir '" + dir_ + "/run' --content '" + dir_ + "/content'";
    }
    void TearDown() override
    {
        ASSERT_EQ(system(("rm -rf '" + dir_ + "'").c_str()), 0);
    }
    std::string dir_, args_;
};

TEST_F(DevEditsScriptTest, ListsTheEditsAgainstContentWithoutChangingIt)
{
    int status = 0;
    std::string out = RunScript(args_, &status);
    EXPECT_EQ(status, 0) << out;
    EXPECT_NE(out.find("changed: ui/main-menu.lua"), std::string::npos) << out;
    EXPECT_NE(out.find("-- shipped"), std::string::npos) << out;
    EXPECT_NE(out.find("+-- edited"), std::string::npos) << out;
    EXPECT_NE(out.find("new: obstacles/rock.xml"), std::string::npos) << out;
    EXPECT_NE(out.find("manual merge: "), std::string::npos) << out;
    EXPECT_EQ(out.find(".bak"), std::string::npos) << out;
    EXPECT_EQ(out.find(".tmp"), std::string::npos) << out;
    EXPECT_EQ(Read(dir_ + "/content/ui/main-menu.lua"), "-- shipped\n");
    EXPECT_EQ(Read(dir_ + "/content/obstacles/rock.xml"), "<none>");
}

TEST_F(DevEditsScriptTest, ApplyCopiesTheEditsIntoContent)
{
    int status = 0;
    std::string out = RunScript("--apply " + args_, &status);
    EXPECT_EQ(status, 0) << out;
    EXPECT_EQ(Read(dir_ + "/content/ui/main-menu.lua"), "-- edited\n");
    EXPECT_EQ(Read(dir_ + "/content/obstacles/rock.xml"), "<rock/>\n");
    EXPECT_EQ(Read(dir_ + "/content/ui/main-menu.lua.bak"), "<none>");
    EXPECT_EQ(Read(dir_ + "/content/ui/new.lua.tmp"), "<none>");
    EXPECT_EQ(Read(dir_ + "/content/terrain-export.xml"), "<none>");
    EXPECT_NE(out.find("manual merge: "), std::string::npos) << out;
    // A second listing finds nothing left to apply.
    out = RunScript(args_, &status);
    EXPECT_NE(out.find("unchanged: ui/main-menu.lua"), std::string::npos) << out;
}

TEST_F(DevEditsScriptTest, RefusesAMissingContentFolderAndUnknownArguments)
{
    int status = 0;
    RunScript("--run-dir '" + dir_ + "/run' --content '" + dir_ + "/nowhere'", &status);
    EXPECT_NE(status, 0);
    RunScript("--bogus", &status);
    EXPECT_NE(status, 0);
}

}  // namespace
