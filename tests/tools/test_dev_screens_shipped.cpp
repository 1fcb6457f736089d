// The developer screens with their shipped layouts, from the build's program directory,
// opened the way a developer opens them: a console line ("PushScreen (...)") handed to
// the program's event hook in developer mode. Each is worked through its own buttons
// with touches from the headless device; no script, property, parent or asset message
// comes up; a picture of each goes to the shots folder (dev-screens/) to be looked at.
#include "tests/game/screens/shipped_screens_fixture.h"
#include "tests/support/headless_engine.h"

#include "app/services/dataman.h"
#include "app/services/filehelpers.h"
#include "app/services/prog.h"
#include "app/ui/screen-manager.h"
#include "app/ui/timeline.h"
#include "app/ui/ui-comps.h"
#include "app/ui/widgets/ui-listbox.h"
#include "platform/headless.h"
#include "tests/app/ui/widget_fixture.h"
#include "tests/game/game_fixture.h"
#include "tools/level-editor-screens.h"
#include "tools/level-editor.h"
#include "tools/mission-analysis.h"
#include "tools/obstacle-editor.h"
#include "tools/screen-browser.h"
#include "tools/timeline-tools.h"
#include "tools/ui-writer.h"

#include <gtest/gtest.h>
#include <stdarg.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

#ifndef ORVEX_CONTENT_DIR
#error "ORVEX_CONTENT_DIR: the build's program directory"
#endif

namespace hl = ovdev::headless;

namespace {

using screentest::LitPixels;

using gametest::popups;
using gametest::RecordPopupf;

std::string Read(const std::string &name)
{
    long size = 0;
    char *data = ReadWholeFile(name.c_str(), &size);
    if (!data)
        return "<none>";
    std::string text(data, (size_t)size);
    free(data);
    return text;
}

// A layout's statements: its lines without comments and blank lines.
std::string Statements(const std::string &text)
{
    std::string out;
    size_t at = 0;
    while (at < text.size()) {
        size_t end = text.find('\n', at);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(at, end - at);
        at = end + 1;
        if (!line.empty() && line.compare(0, 2, "--") != 0)
            out += line + "\n";
    }
    return out;
}

class DevScreensShipped : public gametest::GameTest {
protected:
    void SetUp() override
    {
        GameTest::SetUp();
        ASSERT_NO_FATAL_FAILURE(screentest::CopyProgramDir(ORVEX_CONTENT_DIR));
        StartGame(1024, 768);
        if (HasFatalFailure())
            return;
        ASSERT_TRUE(prog.parms.developer_mode);
        // The fixture starts with empty data tables: the shipped ones again.
        for (const char *name : {"entities.xml", "weapons.xml", "powerups.xml", "spawn-groups.xml", "spawn-events.xml",
                                 "gameplay-global.xml"}) {
            std::string cmd = std::string("cp '") + ORVEX_CONTENT_DIR + "/" + name + "' app/native/";
            ASSERT_EQ(system(cmd.c_str()), 0) << name;
            dman().ReleaseDatabase(name);
        }
        popups.clear();
        ov->OV_Popupf = RecordPopupf;
        // As the program's start makes them: the timeline from "timeline.xml", the world
        // (the battle screen's preloading makes it; the editors and the analysis use its
        // stock), the developer screens.
        timeline.Init();
        timeline.LoadTimeline("timeline.xml");
        MakeWorld();
        GetScreenBrowser();
        GetTimelineScreen();
        RegisterEditorScreens();
        Screen::PreLoadAllScreens(false);
    }
    void TearDown() override
    {
        if (ov) {
            sman.PopAllScreens();
            timeline.FreeTimeline();
        }
        GameTest::TearDown();
    }
    // A line typed into the console: the program's event hook runs it in the main Lua state.
    void Console(const std::string &line)
    {
        ov_event_t ev;
        memset(&ev, 0, sizeof ev);
        ev.type = OV_EVENT_CONSOLE_COMMAND;
        ev.ptr = (void *)line.c_str();
        ASSERT_EQ(prog.EventProc(ev), 1) << line;
    }
    void Frames(int n)
    {
        for (int i = 0; i < n; i++)
            PumpFrame();
    }
    // A tap on the centre of the top screen's component, through the headless device.
    void Tap(const char *name)
    {
        Screen *top = sman.PeekScreen(0);
        ASSERT_NE(top, nullptr);
        UIComp *comp = top->GetComp(name);
        ASSERT_NE(comp, nullptr) << name;
        vec2_t at = comp->GetAlignedPos();
        TapAt((int)(at.x + comp->width * comp->GetStaticScale() / 2),
              (int)(at.y + comp->height * comp->GetStaticScale() / 2));
    }
    void TapAt(int x, int y)
    {
        ASSERT_TRUE(hl::inject_touch(hl::TouchPhase::Down, 0, x, y));
        PumpFrame();
        ASSERT_TRUE(hl::inject_touch(hl::TouchPhase::Up, 0, x, y));
        PumpFrame();
        Frames(2);
    }
    widgettest::Frame Shoot(const char *file)
    {
        Frames(30);
        widgettest::Frame f = widgettest::ReadFrame();
        EXPECT_TRUE(widgettest::SavePng(f, enginetest::ShotPath("t-devscreens", file)));
        return f;
    }
    // No message of a broken layout or a missing asset came up.
    void ExpectNoLayoutFaults()
    {
        for (const std::string &p : popups) {
            for (const char *bad : {"Unable to call", "Unknown Property", "Missing parent", "not found", "Unable to load",
                                    "Can't load", "Cant' load", "Unable to open"})
                EXPECT_EQ(p.find(bad), std::string::npos) << p;
        }
        for (const char *bad : {"Unable to call", "Unknown Property", "Missing parent"})
            EXPECT_FALSE(apptest::Logged(bad)) << bad;
    }
};

// An edit-mode save of each shipped layout writes it back statement for statement, so
// that the developer-edits script brings a save back into the content unchanged.
TEST_F(DevScreensShipped, EachLayoutIsWhatTheUIScriptWriterWrites)
{
    const struct {
        UISet *set;
        const char *file;
    } layouts[] = {
        {GetScreenBrowser().own_ui, "ui/fw/screen-browser.lua"},
        {GetTimelineScreen().ui, "ui/fw/timeline.lua"},
        {GetLevelEditorScreen()->ui, "ui/level-editor.lua"},
        {GetObstacleEditorScreen()->ui, "ui/obstacle-editor.lua"},
        {GetAnalyzeMissionScreen()->ui, "ui/analyze-mission.lua"},
    };
    for (const auto &l : layouts) {
        SCOPED_TRACE(l.file);
        ASSERT_NE(l.set, nullptr);
        std::string written;
        ASSERT_TRUE(UIScriptText(l.set, l.file, &written));
        EXPECT_EQ(Statements(written), Statements(Read(std::string("res://") + l.file)));
    }
}

TEST_F(DevScreensShipped, ScreenBrowserListsTheRegistryAndShowsThePickedScreen)
{
    Console("PushScreen (\"ScreenBrowser\", 0)");
    Frames(40);
    ScreenScreenBrowser *browser = &GetScreenBrowser();
    ASSERT_EQ(sman.PeekScreen(0), browser);
    UICompListbox *list = dynamic_cast<UICompListbox *>(browser->own_ui->GetComp("Screens"));
    ASSERT_NE(list, nullptr);
    int total = Screen::total_num_screens.load();
    ASSERT_EQ(list->GetNumberOfLines(), total);
    widgettest::Frame f = Shoot("screen-browser.png");
    EXPECT_GT(LitPixels(f), 100000);

    // The timeline's line picked, then "Edit" shows its layout in the browser.
    int timeline = Screen::GetScreenIndexByName("Timeline");
    ASSERT_GE(timeline, 0);
    list->selected = timeline;
    Tap("Edit");
    EXPECT_EQ(browser->browsed, (Screen *)&GetTimelineScreen());
    EXPECT_EQ(browser->ui, GetTimelineScreen().ui);
    Shoot("screen-browser-timeline.png");
    ExpectNoLayoutFaults();
}

TEST_F(DevScreensShipped, TimelineListsItsEventsAndBackPops)
{
    Console("PushScreen (\"Timeline\", 0)");
    Frames(40);
    ScreenTimeline *timeline = &GetTimelineScreen();
    ASSERT_EQ(sman.PeekScreen(0), timeline);
    UICompListbox *list = dynamic_cast<UICompListbox *>(timeline->GetComp("Events"));
    ASSERT_NE(list, nullptr);
    EXPECT_GT(list->GetNumberOfLines(), 0) << "the shipped timeline's events";
    Shoot("timeline.png");
    Tap("Back");
    Frames(30);
    EXPECT_FALSE(sman.IsScreenInStack(timeline));
    ExpectNoLayoutFaults();
}

TEST_F(DevScreensShipped, LevelEditorPlacesSavesAndLoadsTheTerrainExport)
{
    Console("PushScreen (\"LevelEditor\", 0)");
    Frames(40);
    ScreenLevelEditor *editor = GetLevelEditorScreen();
    ASSERT_EQ(sman.PeekScreen(0), editor);
    ASSERT_NE(editor->backgrounds, nullptr) << "terrain/assets.xml";
    EXPECT_EQ(editor->backgrounds->GetSize(), 9);
    EXPECT_EQ(editor->decal_assets->GetSize(), 11);
    EXPECT_EQ(editor->obstacle_assets->GetSize(), 16);  // 12 obstacles, the three bases and the tent
    ASSERT_NE(editor->background, nullptr);
    ASSERT_NE(editor->decal_bitmap, nullptr);

    // A decal above the panel, then an obstacle (mode switched with the panel's button).
    ov->OV_SetKeyStatef(OV_KEY_POINTER_X, 300);
    ov->OV_SetKeyStatef(OV_KEY_POINTER_Y, 300);
    Frames(1);
    TapAt(300, 300);
    ASSERT_EQ(editor->decals.Count(), 1);
    Tap("Switch");
    ASSERT_EQ(editor->mode, ScreenLevelEditor::MODE_OBSTACLES);
    ov->OV_SetKeyStatef(OV_KEY_POINTER_X, 700);
    ov->OV_SetKeyStatef(OV_KEY_POINTER_Y, 250);
    Frames(1);
    TapAt(700, 250);
    ASSERT_EQ(editor->obstacles.Count(), 1);
    EXPECT_EQ(editor->decals.Count(), 1) << "a tap on the panel's button places nothing";
    Shoot("level-editor.png");

    Tap("Save");
    std::string saved = Read("user://dev-edits/terrain-export.xml");
    ASSERT_NE(saved, "<none>");
    EXPECT_NE(saved.find("terrain/decals/crater-a.png"), std::string::npos) << saved;
    EXPECT_NE(saved.find("terrain/obstacles/rock-a.xml"), std::string::npos) << saved;
    Tap("New");
    EXPECT_EQ(editor->decals.Count(), 0);
    EXPECT_EQ(editor->obstacles.Count(), 0);
    Tap("Load");
    ASSERT_EQ(editor->decals.Count(), 1);
    EXPECT_NEAR(editor->decals[0].x, 300.0f, 1.0f);
    ASSERT_EQ(editor->obstacles.Count(), 1);
    EXPECT_NEAR(editor->obstacles[0]->pos.x, 700.0f, 1.0f);
    Tap("Back");
    Frames(30);
    EXPECT_FALSE(sman.IsScreenInStack(editor));
    ExpectNoLayoutFaults();
}

TEST_F(DevScreensShipped, ObstacleEditorShowsAShippedOutlineAndSavesIt)
{
    Console("PushScreen (\"ObstacleEditor\", 0)");
    Frames(40);
    ScreenObstacleEditor *editor = GetObstacleEditorScreen();
    ASSERT_EQ(sman.PeekScreen(0), editor);
    ASSERT_TRUE(editor->editable);
    EXPECT_EQ(editor->num_vertices, ObstacleType::GetObstacleType("terrain/obstacles/rock-a.xml")->num_edges);
    EXPECT_GT(editor->num_vertices, 2);
    EXPECT_GT(editor->zoom, 1) << "the bitmap fills the grid";
    Shoot("obstacle-editor.png");
    Tap("Save");
    std::string saved = Read("user://dev-edits/terrain/obstacles/rock-a.xml");
    ASSERT_NE(saved, "<none>");
    EXPECT_NE(saved.find("terrain/obstacles/rock-a.png"), std::string::npos) << saved;
    EXPECT_NE(saved.find("<array id=\"edges\">"), std::string::npos) << saved;
    Tap("Back");
    Frames(30);
    EXPECT_FALSE(sman.IsScreenInStack(editor));
    ExpectNoLayoutFaults();
}

TEST_F(DevScreensShipped, AnalyzeMissionShowsAShippedLevelsMoney)
{
    Console("PushScreen (\"AnalyzeMission\", 0)");
    Frames(40);
    ScreenAnalyzeMission *screen = GetAnalyzeMissionScreen();
    // The level as the developer menu names it (a console line has no screen to send from).
    sman.SendScreenMessage(nullptr, screen, "MISSION", "missions/1_1.xml");
    ASSERT_EQ(sman.PeekScreen(0), screen);
    std::vector<int> lines = screen->Lines();
    ASSERT_GT(lines.size(), 1u);
    EXPECT_GT(lines.back(), lines.front()) << "kills add money";
    Shoot("analyze-mission.png");
    Tap("Back");
    Frames(30);
    EXPECT_FALSE(sman.IsScreenInStack(screen));
    ExpectNoLayoutFaults();
}

}  // namespace
