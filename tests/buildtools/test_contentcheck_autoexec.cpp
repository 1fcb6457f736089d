// orvex-contentcheck on the start-up script of the scripted screens: every screen
// "ui/autoexec.lua" creates comes from an existing layout whose events file exists and
// defines OnLoad and OnClick, and a screen of the game keeps its own layout. A small
// tree passes; then one fault at a time, each reported on the start-up script.
#include <gtest/gtest.h>

#include <stdio.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <fstream>
#include <functional>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

const char kPauseLayout[] =
    "UIEvents (\"ui/pause-menu-events.lua\");\n\n"
    "CreateComp (\"Button\", \"Resume\");\n\nCreateComp (\"Button\", \"Restart\");\n\n"
    "CreateComp (\"Button\", \"MainMenu\");\n\nCreateComp (\"Button\", \"Options\");\n\n"
    "CreateComp (\"Button\", \"Help\");\n";
const char kEvents[] = "function OnLoad ()\nend\n\nfunction OnClick (name)\nend\n";
const char kAutoexec[] = "CreateScreen (\"PauseMenu\", \"ui/pause-menu.lua\");\n";

class ContentCheckAutoexec : public ::testing::Test {
public:
    void SetUp() override
    {
        char tmpl[] = "/tmp/orvex-contentcheck-autoexec-XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        dir_ = tmpl;
        Put("native/ui/autoexec.lua", kAutoexec);
        Put("native/ui/pause-menu.lua", kPauseLayout);
        Put("native/ui/pause-menu-events.lua", kEvents);
        Put("src/app/menu.cpp", "// The menu.\nint menu;\n");
    }
    void TearDown() override
    {
        std::string cmd = "rm -rf '" + dir_ + "'";
        EXPECT_EQ(system(cmd.c_str()), 0);
    }
    void Put(const std::string &rel, const std::string &text)
    {
        std::string path = dir_ + "/" + rel;
        std::string cmd = "mkdir -p '" + path.substr(0, path.rfind('/')) + "'";
        ASSERT_EQ(system(cmd.c_str()), 0);
        std::ofstream(path, std::ios::binary) << text;
    }
    void Remove(const std::string &rel) { ASSERT_EQ(remove((dir_ + "/" + rel).c_str()), 0) << rel; }
    int Run(std::vector<std::string> *out)
    {
        std::string cmd = "cd '" + dir_ + "' && '" + ORVEX_CONTENTCHECK + "' --source-root . --code src native > check.out 2>&1";
        int status = system(cmd.c_str());
        std::ifstream in(dir_ + "/check.out");
        out->clear();
        for (std::string line; std::getline(in, line);)
            out->push_back(line);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    std::string dir_;
};

std::string Joined(const std::vector<std::string> &lines)
{
    std::string s;
    for (const std::string &l : lines)
        s += l + "\n";
    return s;
}

TEST_F(ContentCheckAutoexec, FixtureTreePasses)
{
    std::vector<std::string> out;
    EXPECT_EQ(Run(&out), 0) << Joined(out);
    ASSERT_EQ(out.size(), 1u) << Joined(out);
    EXPECT_EQ(out[0], "content check: 0 problems in 3 files");
}

TEST_F(ContentCheckAutoexec, EachFaultIsReportedOnTheStartUpScript)
{
    struct Case {
        const char *what;
        std::function<void(ContentCheckAutoexec *)> fault;
        const char *line;
    };
    const std::vector<Case> cases = {
        {"missing layout",
         [](ContentCheckAutoexec *t) {
             t->Put("native/ui/autoexec.lua", std::string(kAutoexec) + "CreateScreen (\"Extra\", \"ui/extra.lua\");\n");
         },
         "content: ui/autoexec.lua: names 'ui/extra.lua', which is not in the program directory"},
        {"missing events file", [](ContentCheckAutoexec *t) { t->Remove("native/ui/pause-menu-events.lua"); },
         "content: ui/autoexec.lua: screen 'PauseMenu': layout 'ui/pause-menu.lua' names no existing events file"},
        {"events file without OnClick",
         [](ContentCheckAutoexec *t) { t->Put("native/ui/pause-menu-events.lua", "function OnLoad ()\nend\n"); },
         "content: ui/autoexec.lua: screen 'PauseMenu': events file 'ui/pause-menu-events.lua' defines no OnClick"},
        {"events file without OnLoad",
         [](ContentCheckAutoexec *t) { t->Put("native/ui/pause-menu-events.lua", "function OnClick (name)\nend\n"); },
         "content: ui/autoexec.lua: screen 'PauseMenu': events file 'ui/pause-menu-events.lua' defines no OnLoad"},
        {"a game screen from another layout",
         [](ContentCheckAutoexec *t) {
             t->Put("native/ui/autoexec.lua", "CreateScreen (\"PauseMenu\", \"ui/pause.lua\");\n");
             t->Put("native/ui/pause.lua", kPauseLayout);
         },
         "content: ui/autoexec.lua: creates screen 'PauseMenu' from 'ui/pause.lua', not 'ui/pause-menu.lua'"},
        {"a screen created twice",
         [](ContentCheckAutoexec *t) { t->Put("native/ui/autoexec.lua", std::string(kAutoexec) + kAutoexec); },
         "content: ui/autoexec.lua: creates screen 'PauseMenu' twice (the second is refused)"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        TearDown();
        SetUp();
        c.fault(this);
        std::vector<std::string> out;
        EXPECT_EQ(Run(&out), 1) << Joined(out);
        std::set<std::string> lines(out.begin(), out.end());
        EXPECT_TRUE(lines.count(c.line)) << "expected: " << c.line << "\ngot:\n" << Joined(out);
    }
}

}  // namespace
