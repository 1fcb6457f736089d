// The loader transition with a fixture "missions.xml": the battle messages (phase,
// status text, music, battle-entry phase), the modes, chapter titles and mission
// numbers, missions without a level, the picture that waits for a tap, a key or Escape,
// the wait while "Transition" is stacked, every hand-over, and the dissolve read back
// square by square.
#include "tests/game/screens/battle_screens_fixture.h"

#include "app/services/featureman.h"
#include "app/services/random.h"
#include "app/ui/screen-manager.h"
#include "app/ui/transition.h"
#include "app/ui/uiset.h"
#include "game/entities/stock.h"
#include "game/gamestate.h"
#include "game/scape.h"
#include "game/screens/battle-screen.h"
#include "game/screens/loader-transition.h"
#include "platform/screen.h"
#include "tests/app/ui/widget_fixture.h"

#include <string.h>

#include <string>
#include <vector>

namespace {

using screentest::BattleScreensTest;
using screentest::music;

class LoaderTransition : public BattleScreensTest {
protected:
    void SetUp() override
    {
        BattleScreensTest::SetUp();
        StartScreens();
    }
    // A light PNG for the mission picture.
    void WritePicture()
    {
        widgettest::WritePng("pics/ridge.png", 32, 32, [](int, int) { return widgettest::Rgba{200, 180, 40, 255}; });
    }
    // Runs the road until the loader transition has handed over (or the frames run out).
    bool RunToHandOver(int limit = 300)
    {
        return FramesUntil([this] { return loader->switched; }, limit);
    }
    bool Visible(const char *comp)
    {
        UIComp *c = loader->GetComp(comp);
        return c && c->visible;
    }
};

struct MessageCase {
    const char *message;
    const char *value;
    int phase;
    const char *status;
    std::vector<std::string> music;
    int enter_phase;
};

TEST_F(LoaderTransition, MessageTable)
{
    const std::vector<MessageCase> cases = {
        {"ENTER_BATTLE", "CHAPTER2:MISSION2_4", 0, "Establishing command link...", {"Stop 1.0"}, 0},
        {"enter_battle", "CHAPTER2:MISSION2_4", 0, "Establishing command link...", {"Stop 1.0"}, 0},
        {"RETRY_BATTLE", "", 0, "Entering Battlefield...", {"Stop 1.0"}, 0},
        {"ENTER_OLD_BATTLE", "", 1, "Returning to Battlefield...", {"Stop 1.0"}, 1},
        {"LEAVE_BATTLE_GAME_WON", "", 4, "Leaving Battlefield...", {}, 4},
        {"LEAVE_BATTLE_LEVEL_WON", "", 3, "Leaving Battlefield...", {"Stop 1.0"}, 3},
        {"LEAVE_BATTLE", "", 2, "Leaving Battlefield...", {"Stop 1.0"}, 2},
        {"SOMETHING_ELSE", "x", 2, "Leaving Battlefield...", {"Stop 1.0"}, 2},
    };
    for (const MessageCase &c : cases) {
        SCOPED_TRACE(c.message);
        music.clear();
        g_battle_enter_phase = 7;
        EXPECT_EQ(1, loader->ProcessScreenMessage(nullptr, c.message, c.value));
        EXPECT_EQ(c.phase, loader->phase);
        EXPECT_EQ(c.status, Text("text"));
        EXPECT_EQ(c.music, music);
        EXPECT_EQ(c.enter_phase, g_battle_enter_phase);
        EXPECT_TRUE(apptest::Logged(std::string("Screen message from null '") + c.message + "' '" + c.value + "'."));
        EXPECT_TRUE(apptest::Logged("LoaderTransition phase to " + std::to_string(c.phase)));
    }
    // No saved battle to resume: the road leads to the main menu.
    EXPECT_EQ(Screen::PeekScreen("MainMenu"), screen_transition.target);
}

TEST_F(LoaderTransition, EnterBattleFillsTheParametersAndTexts)
{
    sman.SendScreenMessage(Screen::PeekScreen("PlayMenu"), loader, "ENTER_BATTLE", "CHAPTER2:MISSION2_4");
    EXPECT_TRUE(apptest::Logged("Screen message from PlayMenu 'ENTER_BATTLE' 'CHAPTER2:MISSION2_4'."));
    EXPECT_EQ(GAME_MODE_LEVEL, new_game_parms.game_mode);
    EXPECT_STREQ("CHAPTER2", new_game_parms.chapter_id);
    EXPECT_STREQ("MISSION2_4", new_game_parms.mission_id);
    EXPECT_STREQ("levels/field.xml", new_game_parms.level_file);
    EXPECT_EQ("Open Ground", Text("MissionName"));
    EXPECT_EQ("Clear the field.", Text("MissionDesc"));
    EXPECT_EQ("Chapter 2", Text("Chapter"));
    EXPECT_EQ("Mission 4/10", Text("mission_number"));
    EXPECT_FALSE(loader->has_picture);
    EXPECT_FALSE(Visible("MissionPic"));
    EXPECT_FALSE(Visible("MissionPicFrames"));

    // A later leave clears what the mission showed.
    sman.SendScreenMessage(nullptr, loader, "LEAVE_BATTLE", "");
    EXPECT_EQ("", Text("MissionName"));
    EXPECT_EQ("", Text("Chapter"));
    EXPECT_EQ("", Text("mission_number"));
}

TEST_F(LoaderTransition, ModesChapterTitlesAndMissionNumbers)
{
    struct Case {
        const char *value;
        int mode;
        const char *chapter;
        const char *number;
    };
    const Case cases[] = {
        {"CHAPTER2:MISSION2_3", GAME_MODE_SURVIVAL, "Chapter 2", "Mission 3/10"},
        {"CHAPTER2:MISSION2_4", GAME_MODE_LEVEL, "Chapter 2", "Mission 4/10"},   // "level", any case
        {"CHAPTER2:MISSION2_5", GAME_MODE_LEVEL, "Chapter 2", "Mission 5/10"},   // unknown mode
        {"EXTRAS:MISSION9_1", GAME_MODE_COLLECTOR, "", ""},                       // no chapter title
        {"EXTRAS:PLAIN", GAME_MODE_OPEN_AREA, "", ""},                            // no '_'
        {"CHAPTER3:MISSION3_12_B", GAME_MODE_INCOMING, "Chapter 3", "Mission 12/10"},
        {"CHAPTER3:MISSION3_", GAME_MODE_DEFEND_THE_FLAG, "Chapter 3", ""},       // nothing after '_'
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.value);
        sman.SendScreenMessage(nullptr, loader, "ENTER_BATTLE", c.value);
        EXPECT_EQ(0, loader->phase);
        EXPECT_EQ(c.mode, new_game_parms.game_mode);
        EXPECT_EQ(c.chapter, Text("Chapter"));
        EXPECT_EQ(c.number, Text("mission_number"));
    }
    EXPECT_TRUE(apptest::Logged("Unknown game mode 'SIEGE'"));
    EXPECT_EQ(apptest::CountLogged("Unknown game mode 'SIEGE'"), apptest::CountLogged("Unknown game mode"));
}

TEST_F(LoaderTransition, AMissionWithoutALevelActsAsALeave)
{
    struct Case {
        const char *value;
        const char *chapter_id;
        const char *mission_id;
    };
    const Case cases[] = {
        {"CHAPTER2:MISSION2_6", "CHAPTER2", "MISSION2_6"},
        {"CHAPTER2", "CHAPTER2", ""},           // no ':' : all chapter id
        {"CHAPTER2:NO_SUCH", "CHAPTER2", "NO_SUCH"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.value);
        music.clear();
        g_battle_enter_phase = 0;
        sman.SendScreenMessage(nullptr, loader, "ENTER_BATTLE", c.value);
        EXPECT_STREQ(c.chapter_id, new_game_parms.chapter_id);
        EXPECT_STREQ(c.mission_id, new_game_parms.mission_id);
        EXPECT_STREQ("", new_game_parms.level_file);
        EXPECT_TRUE(apptest::Logged(std::string("Unknown mission def '") + c.value + "'"));
        EXPECT_EQ(2, loader->phase);
        EXPECT_EQ(2, g_battle_enter_phase);
        EXPECT_EQ("Leaving Battlefield...", Text("text"));
        EXPECT_EQ("", Text("MissionName"));
        EXPECT_EQ(std::vector<std::string>{"Stop 1.0"}, music);
    }
    // The road leads back to the menus; no battle was set up.
    sman.SwitchScreen("LoaderTransition");
    ASSERT_TRUE(RunToHandOver());
    ASSERT_TRUE(FramesUntil([this] { return OnTop("PlayMenu"); }));
    EXPECT_STREQ("", game.parms.mission_id);
    EXPECT_FALSE(Stacked("Game"));
}

TEST_F(LoaderTransition, EnterPrintsSeedsAndSwitchesTheMusic)
{
    ScreenLoaderTransition::FixSeed(4242);
    loader->switched = true;
    loader->leaving = true;
    loader->Enter();
    int first = AppRandom();
    AppSeedRandom(4242);
    EXPECT_EQ(AppRandom(), first);
    EXPECT_FALSE(loader->switched);
    EXPECT_FALSE(loader->leaving);
    EXPECT_FLOAT_EQ(0.001f, loader->trans_phase);
    EXPECT_TRUE(apptest::Logged("Entering loader transition."));
    EXPECT_EQ((std::vector<std::string>{"Stop 2.0", "Play music/finalwave 2.0"}), music);
}

TEST_F(LoaderTransition, NewBattleHandsOverToTheBattleScreen)
{
    SendAndSwitch("ENTER_BATTLE", "CHAPTER2:MISSION2_4");
    ASSERT_TRUE(RunToHandOver());
    // The first battle set the world up: its stock holds the pool.
    EXPECT_TRUE(loader->world_ready);
    ASSERT_NE(nullptr, GetScape()->stock);
    EXPECT_EQ(512, GetScape()->stock->num_entities);
    EXPECT_STREQ("MISSION2_4", game.parms.mission_id);
    EXPECT_STREQ("levels/field.xml", game.parms.level_file);
    ASSERT_TRUE(FramesUntil([this] { return OnTop("Game"); }));
    EXPECT_FALSE(Stacked("LoaderTransition"));

    // A retry keeps the parameters and the world.
    Stock *stock = GetScape()->stock;
    game.parms.mission_id[0] = 0;
    SendAndSwitch("RETRY_BATTLE", "");
    ASSERT_TRUE(FramesUntil([this] { return OnTop("LoaderTransition"); }));
    ASSERT_TRUE(RunToHandOver());
    EXPECT_EQ(stock, GetScape()->stock);
    EXPECT_STREQ("MISSION2_4", game.parms.mission_id);
    ASSERT_TRUE(FramesUntil([this] { return OnTop("Game"); }));
}

TEST_F(LoaderTransition, LeavesHandOverToTheMenusOrTheCredits)
{
    struct Case {
        const char *message;
        const char *top;
    };
    const Case cases[] = {
        {"LEAVE_BATTLE_LEVEL_WON", "PlayMenu"},
        {"LEAVE_BATTLE", "PlayMenu"},
        {"LEAVE_BATTLE_GAME_WON", "Credits"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.message);
        uitest::calls.clear();
        SendAndSwitch(c.message, "");
        ASSERT_TRUE(FramesUntil([this] { return OnTop("LoaderTransition") && loader->trans_phase > 0.0f; }));
        ASSERT_TRUE(RunToHandOver());
        ASSERT_TRUE(FramesUntil([this, &c] { return OnTop(c.top) && !Stacked("LoaderTransition"); }));
        EXPECT_FALSE(Stacked("Game"));
    }
    // The credits learn where to go next.
    EXPECT_EQ(1u, uitest::CallsOf("Credits:Message LoaderTransition setNextScreen PlayMenu").size());
}

TEST_F(LoaderTransition, ResumingReadsTheSavedBattleTwice)
{
    // A battle to save.
    SendAndSwitch("ENTER_BATTLE", "CHAPTER2:MISSION2_4");
    ASSERT_TRUE(FramesUntil([this] { return OnTop("Game"); }));
    Frames(30);
    game.saving_allowed = 1;
    game.score = 1234;
    ASSERT_TRUE(game.SaveGameState());

    game.score = 0;
    game.parms = NewGameParms{};
    sman.SendScreenMessage(nullptr, loader, "ENTER_OLD_BATTLE", "");
    EXPECT_EQ(1, g_battle_enter_phase);
    EXPECT_STREQ("MISSION2_4", game.parms.mission_id);  // header, parameters and score
    EXPECT_EQ(loader, screen_transition.target);
    ASSERT_TRUE(RunToHandOver());
    ASSERT_TRUE(FramesUntil([this] { return OnTop("Game"); }));
    EXPECT_STREQ("MISSION2_4", game.parms.mission_id);
    EXPECT_EQ(1234, game.score);
}

TEST_F(LoaderTransition, APictureWaitsForATapAKeyOrEscape)
{
    WritePicture();
    struct Case {
        const char *how;
    };
    for (const char *how : {"tap", "key", "escape"}) {
        SCOPED_TRACE(how);
        SendAndSwitch("ENTER_BATTLE", "CHAPTER2:MISSION2_3");
        EXPECT_TRUE(loader->has_picture);
        EXPECT_TRUE(Visible("MissionPic"));
        EXPECT_TRUE(Visible("MissionPicFrames"));
        ASSERT_TRUE(FramesUntil([this] { return loader->waiting_for_tap; }));
        EXPECT_EQ("Tap to enter the battlefield", Text("text"));
        // It never goes on by itself.
        Frames(120);
        EXPECT_TRUE(OnTop("LoaderTransition"));
        EXPECT_FALSE(loader->switched);
        if (strcmp(how, "tap") == 0)
            Tap(160, 120);
        else if (strcmp(how, "key") == 0)
            Key('q');
        else
            Key(ovdev::KEYCODE_ESCAPE);
        EXPECT_TRUE(loader->switched);
        EXPECT_FALSE(loader->waiting_for_tap);
        ASSERT_TRUE(FramesUntil([this] { return OnTop("Game"); }));
        EXPECT_STREQ("MISSION2_3", game.parms.mission_id);
        EXPECT_EQ(GAME_MODE_SURVIVAL, game.parms.game_mode);
    }
}

TEST_F(LoaderTransition, WaitsWhileTheSwitchScreenIsStacked)
{
    // The switch screen lingers for seconds on its way out.
    float speed = screen_transition.leave_speed;
    screen_transition.SetLeaveTransDuration(4.0f);
    SendAndSwitch("ENTER_BATTLE", "CHAPTER2:MISSION2_4");
    ASSERT_TRUE(FramesUntil([this] { return Stacked("LoaderTransition") && loader->trans_phase >= 1.0f; }));
    ASSERT_TRUE(Stacked("Transition"));
    Frames(20);
    EXPECT_TRUE(Stacked("Transition"));
    EXPECT_FALSE(loader->switched);
    EXPECT_STREQ("", game.parms.mission_id);  // nothing built yet
    ASSERT_TRUE(FramesUntil([this] { return !Stacked("Transition"); }, 600));
    ASSERT_TRUE(RunToHandOver());
    EXPECT_STREQ("MISSION2_4", game.parms.mission_id);
    screen_transition.leave_speed = speed;
}

TEST_F(LoaderTransition, TheLastMessageWins)
{
    WritePicture();
    SendAndSwitch("ENTER_BATTLE", "CHAPTER2:MISSION2_3");
    Frames(2);
    sman.SendScreenMessage(nullptr, loader, "LEAVE_BATTLE_LEVEL_WON", "");
    EXPECT_FALSE(loader->has_picture);
    EXPECT_FALSE(Visible("MissionPic"));
    ASSERT_TRUE(RunToHandOver());
    ASSERT_TRUE(FramesUntil([this] { return OnTop("PlayMenu"); }));
    EXPECT_STREQ("", game.parms.mission_id);
}

TEST_F(LoaderTransition, DissolveAtHalfPhaseReadBackPerSquare)
{
    const uint32_t seed = 777;
    // Only the backdrop under the squares.
    for (int i = 0; i < loader->ui->comps.Count(); i++) {
        UIComp *c = loader->ui->comps[i];
        c->visible = c->name && strcmp(c->name, "backdrop") == 0;
    }
    apptest::draw = [this, seed](float) {
        loader->trans_phase = 0.5f;
        AppSeedRandom(seed);
        loader->Draw(0.0f);
    };
    DrawFrame();
    widgettest::Frame f = widgettest::ReadFrame();
    apptest::draw = nullptr;

    // The same draws decide which squares are covered.
    AppSeedRandom(seed);
    const int columns = 320 / 16, rows = 240 / 16;
    std::vector<bool> covered;
    for (int i = 0; i < columns * rows; i++)
        covered.push_back((double)AppRandom() / 32767.0 < 0.5);
    int n_covered = 0;
    widgettest::Rgba dark = {}, light = {};
    bool have_dark = false, have_light = false;
    for (int i = 0; i < columns * rows; i++) {
        widgettest::Rgba p = f.At(16 * (i % columns) + 8, 16 * (i / columns) + 8);
        widgettest::Rgba &ref = covered[i] ? dark : light;
        bool &have = covered[i] ? have_dark : have_light;
        if (!have) {
            ref = p;
            have = true;
        }
        EXPECT_EQ(ref, p) << "square " << i;
        n_covered += covered[i];
    }
    ASSERT_TRUE(have_dark && have_light);
    EXPECT_GT(n_covered, 100);
    EXPECT_LT(n_covered, 200);
    // A covered square is the backdrop darkened by half.
    EXPECT_NEAR(light[0] / 2, dark[0], 2);
    EXPECT_GT(light[0], 150);
}

}  // namespace

namespace {

const char *MouseFeatures(const char *command, const char *arg)
{
    if (strcmp(command, "ProgramInfo") == 0 && arg && strcmp(arg, "Features") == 0)
        return "MOUSE_INTERFACE";
    return nullptr;
}

TEST_F(LoaderTransition, WithAMouseThePictureAsksForAClick)
{
    auto engine_extension = ov->OV_CallExtension;
    ov->OV_CallExtension = MouseFeatures;
    feature_man.Initialize();
    WritePicture();
    SendAndSwitch("ENTER_BATTLE", "CHAPTER2:MISSION2_3");
    ASSERT_TRUE(FramesUntil([this] { return loader->waiting_for_tap; }));
    EXPECT_EQ("Click to enter the battlefield", Text("text"));
    ov->OV_CallExtension = engine_extension;
    feature_man.Initialize();
}

}  // namespace
