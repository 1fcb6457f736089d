// The mission analysis screen with a world: the lines it draws for a level.
#include "tests/support/headless_engine.h"
#include "tools/mission-analysis.h"

#include "app/ui/screen-manager.h"
#include "tools/level-editor-screens.h"
#include "tests/app/ui/widget_fixture.h"
#include "tests/game/game_fixture.h"

#include <gtest/gtest.h>

#include <stdlib.h>
#include <sys/stat.h>

#include <functional>

namespace {

using apptest::WriteFile;

class AnalyzeMissionTest : public gametest::GameTest {
protected:
    void SetUp() override
    {
        GameTest::SetUp();
        StartGame(1024, 768);
        if (HasFatalFailure())
            return;
        widgettest::InstallFonts();
        WriteEntities(
            "<node id=\"Grunt\" flags=\"NORMAL MOVABLE\" friend_group=\"ENEMIES\" hit_points=\"10\" radius=\"10\" "
            "points_worth=\"10\"/>\n"
            "<node id=\"Brute\" flags=\"NORMAL MOVABLE\" friend_group=\"ENEMIES\" hit_points=\"10\" radius=\"10\" "
            "points_worth=\"20\"/>\n");
        WriteFile("ui/analyze-mission.lua",
                  "CreateComp('Marker', 'dummy_names')\nSetProperty('position_type', 'ABSOLUTE')\n"
                  "SetProperty('position', 100, 100)\n");
        WriteFile("levels/mission.xml",
                  "<?xml version=\"1.0\"?>\n<root><array id=\"gameplay\"><node id=\"starting_money\" value=\"500\" />"
                  "</array><array id=\"waves\"><node type=\"SPAWN\" spawn_type=\"Grunt\" num=\"3\" />"
                  "<node type=\"WAIT\" time=\"5\" /><node type=\"SPAWN\" spawn_type=\"Brute\" num=\"1\" />"
                  "</array></root>\n");
        MakeWorld();
        ASSERT_TRUE(screen.PreLoad());
        screen.Enter();
    }
    void TearDown() override
    {
        screen.FreeUI();
        GameTest::TearDown();
    }
    // Lit pixels within the box, as drawn by the screen alone.
    int LitIn(int x0, int y0, int x1, int y1)
    {
        apptest::draw = [this](float dt) {
            ov->OV_ClearScreen(0, 0, 0);
            screen.Draw(dt);
        };
        DrawFrame();
        apptest::draw = nullptr;
        frame = widgettest::ReadFrame();
        std::array<int, 4> box =
            widgettest::LitBox(frame, x0, y0, x1, y1, [](const widgettest::Rgba &p) { return p[0] > 128; });
        return box[0] < 0 ? 0 : (box[2] - box[0] + 1) * (box[3] - box[1] + 1);
    }

    ScreenAnalyzeMission screen;
    widgettest::Frame frame;
};

TEST_F(AnalyzeMissionTest, NoMessageShowsOnlyTheUI)
{
    EXPECT_TRUE(screen.Lines().empty());
    EXPECT_EQ(0, LitIn(0, 0, 1023, 767));
    screen.ProcessScreenMessage(nullptr, "OTHER", "levels/mission.xml");
    EXPECT_EQ(nullptr, screen.waves);
}

TEST_F(AnalyzeMissionTest, LinesForTheLevel)
{
    sman.SendScreenMessage(nullptr, &screen, "MISSION", "levels/mission.xml");
    EXPECT_EQ(500, screen.starting_money);
    EXPECT_EQ((std::vector<int>{500, 530}), screen.Lines());
    // Two text lines below "dummy_names", nothing above it.
    EXPECT_GT(LitIn(100, 100, 400, 160), 0);
    EXPECT_EQ(0, LitIn(0, 0, 1023, 95));
    EXPECT_TRUE(widgettest::SavePng(frame, enginetest::ShotPath("editors", "analyze-mission.png")));
}

// A level file that does not load leaves the list empty (the developer menu may name one
// that is gone).
TEST_F(AnalyzeMissionTest, MissingLevelListsNothing)
{
    sman.SendScreenMessage(nullptr, &screen, "MISSION", "levels/mission.xml");
    ASSERT_NE(nullptr, screen.waves);
    sman.SendScreenMessage(nullptr, &screen, "MISSION", "levels/no-such-level.xml");
    EXPECT_EQ(nullptr, screen.waves);
    EXPECT_EQ(0, screen.starting_money);
    EXPECT_TRUE(screen.Lines().empty());
}

TEST_F(AnalyzeMissionTest, TheEditorsRegisterByName)
{
    RegisterEditorScreens();
    RegisterEditorScreens();
    for (const char *name : {"LevelEditor", "ObstacleEditor", "AnalyzeMission"})
        EXPECT_NE(nullptr, Screen::PeekScreen(name)) << name;
}

}  // namespace
