// orvex-contentcheck on the start-up script of the scripted screens: every screen
// "ui/autoexec.lua" creates comes from an existing layout whose events file exists and
// defines OnLoad and OnClick, and a screen of the game keeps its own layout. A small
// tree passes; then one fault at a time, each reported on the start-up script.
#include "tests/buildtools/contentcheck_fixture.h"

#include <gtest/gtest.h>

#include <functional>
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

class ContentCheckAutoexec : public cctest::ContentCheckFixture {
public:
    ContentCheckAutoexec() : ContentCheckFixture("autoexec", "") {}
    void SetUp() override
    {
        ContentCheckFixture::SetUp();
        Put("native/ui/autoexec.lua", kAutoexec);
        Put("native/ui/pause-menu.lua", kPauseLayout);
        Put("native/ui/pause-menu-events.lua", kEvents);
        Put("src/app/menu.cpp", "// The menu.\nint menu;\n");
    }
    int Run(std::vector<std::string> *out) { return ContentCheckFixture::Run("--source-root . --code src native", out); }
};

using cctest::Joined;

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
    cctest::ExpectEachFault(this, cases, false);
}

}  // namespace
