// The scripted screens of the battle's flow, the story pages, the achievements, the exit
// question and the developer menu, as the game ships them: the build's program directory
// copied whole, "ui/autoexec.lua" creating the screens through the real screen manager
// on the headless engine, clicks injected as touches on the named components. Each
// screen's picture goes to the shots folder (flow/) to be looked at.
#include "tests/game/screens/shipped_screens_fixture.h"
#include "tests/support/headless_engine.h"
#include "app/services/dataman.h"
#include "app/services/profiles.h"
#include "app/services/prog.h"
#include "app/ui/screen-manager.h"
#include "app/ui/ui-comps.h"
#include "app/ui/widgets/ui-button.h"
#include "app/ui/widgets/ui-textbox.h"
#include "game/gamestate.h"
#include "game/screens/flags.h"
#include "game/screens/loader-transition.h"
#include "game/screens/loading.h"
#include "game/screens/main-menu.h"
#include "online/achievementman.h"
#include "platform/headless.h"
#include "tests/app/ui/widget_fixture.h"
#include "tests/game/game_fixture.h"
#include "tools/level-editor-screens.h"
#include "tools/mission-analysis.h"
#include "tools/screen-browser.h"
#include "tools/timeline-tools.h"
#include "tools/ui-writer.h"

#include <gtest/gtest.h>
#include <math.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#ifndef ORVEX_CONTENT_DIR
#error "ORVEX_CONTENT_DIR: the build's program directory"
#endif

namespace hl = ovdev::headless;
using uitest::ProbeScreen;

namespace {

using screentest::LitPixels;

bool Exists(const std::string &rel)
{
    struct stat st;
    return stat(("app/native/" + rel).c_str(), &st) == 0;
}

class FlowScreens : public gametest::GameTest {
protected:
    void SetUp() override
    {
        GameTest::SetUp();
        ASSERT_NO_FATAL_FAILURE(screentest::CopyProgramDir(ORVEX_CONTENT_DIR));
        ASSERT_TRUE(Exists("ui/autoexec.lua"));
    }
    void Start()
    {
        StartGame(1024, 768);
        if (HasFatalFailure())
            return;
        flagmaster.initialised = false;
        flagmaster.Init();
        apptest::draw = [](float dt) {
            ov->OV_ClearScreen(0.3f, 0.26f, 0.18f);
            sman.DrawScreens(dt);
        };
        // The switch's cover, as the loading screen preloads it.
        Preloaded("Transition");
        base = MakeScreen("Base");
        sman.PushScreen(base, 0);
    }
    void TearDown() override
    {
        apptest::draw = nullptr;
        if (prof == &profile)
            prof = nullptr;
        if (achievement_man.IsInitialized())
            achievement_man.Shutdown();
        flagmaster.ReleaseAll();
        FreeMenuBanner();
        prog.parms.developer_mode = 0;
        GameTest::TearDown();
    }
    Screen *Preloaded(const char *name)
    {
        Screen *s = Screen::GetScreen(name);
        EXPECT_NE(s, nullptr) << name;
        if (s) {
            EXPECT_TRUE(sman.PreloadScreen(s)) << name;
        }
        return s;
    }
    // Pushes the screen and lets it fade in.
    Screen *Push(const char *name)
    {
        Screen *s = Preloaded(name);
        if (!s)
            return nullptr;
        sman.PushScreen(s, 0);
        Settle();
        return s;
    }
    void Settle()
    {
        for (int i = 0; i < 20; i++) {
            flagmaster.Update(0.05f);
            sman.Update(0.05f);
        }
        DrawFrame();
    }
    // A touch down and up on the middle of the top screen's component.
    void Tap(const char *comp_name)
    {
        Screen *top = sman.PeekScreen(0);
        ASSERT_NE(top, nullptr);
        UIComp *comp = top->GetComp(comp_name);
        ASSERT_NE(comp, nullptr) << comp_name << " on " << top->name;
        vec2_t c = comp->GetCenterPos();
        ASSERT_TRUE(hl::inject_touch(hl::TouchPhase::Down, 0, (int)c.x, (int)c.y));
        PumpFrame();
        ASSERT_TRUE(hl::inject_touch(hl::TouchPhase::Up, 0, (int)c.x, (int)c.y));
        PumpFrame();
    }
    const char *Top()
    {
        Screen *top = sman.PeekScreen(0);
        return top && top->name ? top->name : "";
    }
    std::string TextOf(Screen *screen, const char *comp)
    {
        UIComp *c = screen->GetComp(comp);
        if (UICompTextbox *t = dynamic_cast<UICompTextbox *>(c))
            return t->GetText() ? t->GetText() : "";
        return "";
    }
    void Shoot(const char *file)
    {
        Settle();
        widgettest::Frame f = widgettest::ReadFrame();
        EXPECT_GT(LitPixels(f), 8000) << file;
        EXPECT_TRUE(widgettest::SavePng(f, enginetest::ShotPath("flow", file)));
    }
    // The loader transition got the message from the screen and the screen switched to it.
    void ExpectLoaderMessage(const char *from, const char *message, const char *value = "")
    {
        EXPECT_TRUE(apptest::Logged(std::string("Screen message from ") + from + " '" + message + "' '" + value + "'"))
            << message;
        EXPECT_TRUE(apptest::Logged("Switching screen to 'LoaderTransition'"));
    }

    ProbeScreen *base = nullptr;
    Profile profile;
};

TEST_F(FlowScreens, StartUpScriptCreatesEveryScreenOfTheFlow)
{
    Start();
    for (const char *name : {"PauseMenu", "LevelLeave", "LevelRestart", "Chapter_1_Begin", "Chapter_1_Completed",
                             "Chapter_2_Completed", "Chapter_3_Completed", "Achievements", "AchievementUnlocked",
                             "ExitConfirmation", "DevMenu"}) {
        SCOPED_TRACE(name);
        Screen *s = Preloaded(name);
        ASSERT_NE(s, nullptr);
        EXPECT_NE(s->ui, nullptr);
    }
    EXPECT_FALSE(apptest::Logged("Unable to call"));
    EXPECT_FALSE(apptest::Logged("OV: "));
}

// Resume pops the pause menu; "Restart" asks first, "Cancel" goes back, "Restart" there
// restarts through the loader transition.
TEST_F(FlowScreens, PauseMenuResumesAndRestarts)
{
    Start();
    Preloaded("LoaderTransition");
    Push("PauseMenu");
    Shoot("pause-menu.png");
    Tap("Resume");
    Settle();
    EXPECT_STREQ(Top(), "Base");

    sman.PushScreen(Preloaded("PauseMenu"), 0);
    Settle();
    Preloaded("LevelRestart");
    Tap("Restart");
    Settle();
    EXPECT_STREQ(Top(), "LevelRestart");
    Shoot("level-restart.png");
    Tap("Cancel");
    Settle();
    EXPECT_STREQ(Top(), "PauseMenu");
    Tap("Restart");
    Settle();
    screen_loader_transition.phase = -1;
    Tap("Restart");
    ExpectLoaderMessage("LevelRestart", "RETRY_BATTLE");
    EXPECT_EQ(screen_loader_transition.phase, LOADER_PHASE_NEW_BATTLE);
}

// "MainMenu" asks before leaving: "No" goes back; "Quit" sends "LEAVE_BATTLE" and
// switches to the loader transition.
TEST_F(FlowScreens, PauseMenuLeavesTheBattle)
{
    Start();
    Preloaded("LoaderTransition");
    Preloaded("LevelLeave");
    Push("PauseMenu");
    Tap("MainMenu");
    Settle();
    EXPECT_STREQ(Top(), "LevelLeave");
    Shoot("level-leave.png");
    Tap("No");
    Settle();
    EXPECT_STREQ(Top(), "PauseMenu");
    Tap("MainMenu");
    Settle();
    screen_loader_transition.phase = -1;
    Tap("Quit");
    ExpectLoaderMessage("LevelLeave", "LEAVE_BATTLE");
    EXPECT_EQ(screen_loader_transition.phase, LOADER_PHASE_LEAVE);
}

// The first chapter's opening page starts MISSION1_1; the chapter pages lead back as a
// won level, the last one as a won game (its "Exit" too).
TEST_F(FlowScreens, ChapterPagesSendTheirMessages)
{
    Start();
    Preloaded("LoaderTransition");
    Push("Chapter_1_Begin");
    Shoot("chapter-1-begin.png");
    screen_loader_transition.phase = -1;
    Tap("tap_to_continue");
    ExpectLoaderMessage("Chapter_1_Begin", "ENTER_BATTLE", "CHAPTER1:MISSION1_1");

    struct Page {
        const char *screen, *button, *title;
        int phase;
    };
    const Page pages[] = {
        {"Chapter_1_Completed", "tap_to_continue", "Chapter 1 complete", LOADER_PHASE_LEAVE_LEVEL_WON},
        {"Chapter_2_Completed", "tap_to_continue", "Chapter 2 complete", LOADER_PHASE_LEAVE_LEVEL_WON},
        {"Chapter_3_Completed", "tap_to_continue", nullptr, LOADER_PHASE_LEAVE_GAME_WON},
        {"Chapter_3_Completed", "Exit", nullptr, LOADER_PHASE_LEAVE_GAME_WON},
    };
    for (const Page &p : pages) {
        SCOPED_TRACE(std::string(p.screen) + " " + p.button);
        sman.PopAllScreens();
        Settle();
        sman.PushScreen(base, 0);
        Screen *s = Push(p.screen);
        ASSERT_NE(s, nullptr);
        if (p.title) {
            EXPECT_EQ(TextOf(s, "Title"), p.title);
        }
        Shoot((std::string(p.screen) + ".png").c_str());
        screen_loader_transition.phase = -1;
        Tap(p.button);
        ExpectLoaderMessage(p.screen, p.phase == LOADER_PHASE_LEAVE_GAME_WON ? "LEAVE_BATTLE_GAME_WON"
                                                                              : "LEAVE_BATTLE_LEVEL_WON");
        EXPECT_EQ(screen_loader_transition.phase, p.phase);
    }
}

// The sixteen medals, locked ones greyed; a click shows the name and what it asks, or
// what was done once it is earned.
TEST_F(FlowScreens, AchievementsShowNameAndDescription)
{
    Start();
    profile.Reset("1.xml");
    prof = &profile;
    profile.AddTag("ACHIEVEMENTS", "xenocide");
    achievement_man.Initialize();
    ASSERT_TRUE(achievement_man.IsInitialized());
    // The play menu's "Achievements" goes through the manager, which pushes the screen.
    Screen *s = Preloaded("Achievements");
    ASSERT_NE(s, nullptr);
    achievement_man.ShowAchievements();
    Settle();
    ASSERT_STREQ(Top(), "Achievements");
    // One word for one thing: the screen is titled as the play menu's button that opens
    // it is labelled.
    Screen *menu = Preloaded("PlayMenu");
    ASSERT_NE(menu, nullptr);
    UICompButton *opener = dynamic_cast<UICompButton *>(menu->GetComp("Achievements"));
    ASSERT_NE(opener, nullptr);
    ASSERT_NE(opener->text, nullptr);
    EXPECT_EQ(TextOf(s, "Title"), opener->text);
    UIComp *locked = s->GetComp("Achi_flawless"), *earned = s->GetComp("Achi_xenocide");
    ASSERT_NE(locked, nullptr);
    ASSERT_NE(earned, nullptr);
    EXPECT_LT(locked->color.r, 0.5f);
    EXPECT_FLOAT_EQ(earned->color.r, 1.0f);
    Tap("Achi_flawless");
    const char *file = "achievements/achievements.xml";
    DMArray *table = dman().GetDatabase(file)->GetArray("ACHIEVEMENTS");
    EXPECT_EQ(TextOf(s, "AchiName"), table->GetNode("flawless")->GetValue("name"));
    EXPECT_EQ(TextOf(s, "AchiDesc"), table->GetNode("flawless")->GetValue("desc"));
    Tap("Achi_xenocide");
    EXPECT_EQ(TextOf(s, "AchiName"), table->GetNode("xenocide")->GetValue("name"));
    EXPECT_EQ(TextOf(s, "AchiDesc"), table->GetNode("xenocide")->GetValue("desc_post"));
    // Four columns and four rows inside the patch.
    std::vector<float> xs, ys;
    for (int i = 0; i < s->ui->GetNumberOfComps(); i++) {
        UIComp *c = s->ui->GetCompByIndex(i);
        if (strncmp(c->name, "Achi_", 5) != 0)
            continue;
        vec2_t p = c->GetCenterPos();
        bool nx = true, ny = true;
        for (float x : xs)
            nx = nx && fabsf(x - p.x) > 2.0f;
        for (float y : ys)
            ny = ny && fabsf(y - p.y) > 2.0f;
        if (nx)
            xs.push_back(p.x);
        if (ny)
            ys.push_back(p.y);
    }
    EXPECT_EQ(xs.size(), 4u);
    EXPECT_EQ(ys.size(), 4u);
    Shoot("achievements.png");
    Tap("Back");
    Settle();
    EXPECT_STREQ(Top(), "Base");
}

// The popup after a battle: "unlock_item" fills it from the achievements file.
TEST_F(FlowScreens, AchievementUnlockedShowsTheMedal)
{
    Start();
    Screen *s = Preloaded("AchievementUnlocked");
    ASSERT_NE(s, nullptr);
    sman.SendScreenMessage(nullptr, s, "unlock_item", "pyromaniac");
    sman.PushScreen(s, 0);
    Settle();
    DMArray *table = dman().GetDatabase("achievements/achievements.xml")->GetArray("ACHIEVEMENTS");
    EXPECT_EQ(TextOf(s, "Name"), table->GetNode("pyromaniac")->GetValue("name"));
    EXPECT_EQ(TextOf(s, "Desc"), table->GetNode("pyromaniac")->GetValue("desc_post"));
    // Called what the play menu calls them.
    EXPECT_NE(TextOf(s, "Title").find("Medal"), std::string::npos) << TextOf(s, "Title");
    Shoot("achievement-unlocked.png");
    Tap("Continue");
    Settle();
    EXPECT_STREQ(Top(), "Base");
}

// A close request asks first: "No" takes the question away (a second request asks
// again), "Yes" shuts the game down.
TEST_F(FlowScreens, CloseRequestAsksBeforeShuttingDown)
{
    Start();
    Preloaded("ExitConfirmation");
    ov_event_t close = {};
    close.type = OV_EVENT_WINDOW_CLOSED;
    EXPECT_EQ(prog.EventProc(close), 2);
    Settle();
    EXPECT_STREQ(Top(), "ExitConfirmation");
    Shoot("exit-confirmation.png");
    Tap("No");
    Settle();
    EXPECT_STREQ(Top(), "Base");
    EXPECT_EQ(prog.parms.quit, 0);
    EXPECT_EQ(prog.EventProc(close), 2);
    Settle();
    EXPECT_STREQ(Top(), "ExitConfirmation");
    Tap("Yes");
    EXPECT_EQ(prog.parms.quit, 1);
}

// In developer mode the menu opens every tool screen; the analysis first gets the level
// file chosen in the list.
TEST_F(FlowScreens, DeveloperMenuOpensTheTools)
{
    // Tool layouts and a catalogue of the test's own where the build has none yet.
    const char *const tools[][2] = {{"ui/level-editor.lua", "panel"}, {"ui/obstacle-editor.lua", "Reset"},
                                    {"ui/analyze-mission.lua", "dummy_names"}, {"ui/fw/timeline.lua", "Events"},
                                    {"ui/fw/screen-browser.lua", "Screens"}};
    for (const auto &t : tools)
        if (!Exists(t[0]))
            apptest::WriteFile(t[0], std::string("CreateComp (\"Marker\", \"") + t[1] + "\");\n");
    if (!Exists("missions.xml"))
        apptest::WriteFile("missions.xml",
                           gametest::XmlArray("CHAPTER1", "<node id=\"MISSION1_1\" level=\"missions/1_1.xml\"/>\n"));
    ASSERT_TRUE(Exists("missions/1_1.xml"));
    prog.parms.developer_mode = 1;
    Start();
    GetScreenBrowser();
    GetTimelineScreen();
    RegisterEditorScreens();
    Preloaded("DevMenu");
    for (const char *tool : {"LevelEditor", "ObstacleEditor", "Timeline", "ScreenBrowser", "AnalyzeMission"})
        Preloaded(tool);
    for (const char *tool : {"LevelEditor", "ObstacleEditor", "Timeline", "ScreenBrowser"}) {
        SCOPED_TRACE(tool);
        sman.PopAllScreens();
        Settle();
        sman.PushScreen(base, 0);
        Push("DevMenu");
        Tap(tool);
        Settle();
        EXPECT_STREQ(Top(), tool);
    }
    sman.PopAllScreens();
    Settle();
    sman.PushScreen(base, 0);
    Screen *menu = Push("DevMenu");
    Shoot("dev-menu.png");
    UIComp *list = menu->GetComp("MissionList");
    ASSERT_NE(list, nullptr);
    ScreenAnalyzeMission *analysis = GetAnalyzeMissionScreen();
    analysis->waves = nullptr;
    Tap("AnalyzeMission");
    Settle();
    EXPECT_STREQ(Top(), "AnalyzeMission");
    EXPECT_NE(analysis->waves, nullptr) << "the chosen level file was sent";
}

// A developer-only component keeps its guard through an edit-mode save of its layout.
TEST_F(FlowScreens, EditModeSaveKeepsTheDeveloperGuard)
{
    prog.parms.developer_mode = 1;
    Start();
    int guarded = 0;
    for (const char *file : {"ui/game.lua", "ui/shop.lua", "ui/fw/leaderboards.lua", "ui/extras.lua"}) {
        if (!Exists(file))
            continue;
        SCOPED_TRACE(file);
        std::string name = std::string("Probe ") + file;
        Screen *s = sman.CreateScreenScripted(name.c_str(), file);
        ASSERT_NE(s, nullptr);
        ASSERT_TRUE(sman.PreloadScreen(s));
        std::string text;
        ASSERT_TRUE(UIScriptText(s->ui, file, &text));
        for (int i = 0; i < s->ui->GetNumberOfComps(); i++) {
            UIComp *c = s->ui->GetCompByIndex(i);
            if (!c->required_features || !strstr(c->required_features, "DEVELOPER_MODE"))
                continue;
            guarded++;
            std::string block = std::string("CreateComp (\"") + UIComp::GetCompTypeString(c->type) + "\", \"" + c->name + "\");";
            size_t at = text.find(block);
            ASSERT_NE(at, std::string::npos) << block;
            size_t end = text.find("CreateComp (", at + block.size());
            EXPECT_NE(text.substr(at, end - at).find("SetProperty (\"required_features\", \"DEVELOPER_MODE\");"),
                      std::string::npos)
                << c->name;
        }
    }
    EXPECT_GE(guarded, 3);
}

}  // namespace
