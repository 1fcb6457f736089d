// The shipped menu screens made by "ui/autoexec.lua" (play menu, extras, tutorial,
// options, field guide, credits, profiles and their popups), loaded from the build's
// program directory through the real screen manager at the 1024 x 768 reference size
// and driven by injected taps on their components, on fixture profiles and a fixture
// mission catalogue. A picture of each goes to the shots folder (menus/).
#include "tests/game/screens/shipped_screens_fixture.h"
#include "tests/support/headless_engine.h"
#include "app/services/audioman.h"
#include "app/services/dataman.h"
#include "app/services/filehelpers.h"
#include "app/services/profiles.h"
#include "app/services/prog.h"
#include "app/ui/screen-manager.h"
#include "app/ui/transition.h"
#include "app/ui/ui-comps.h"
#include "app/ui/widgets/ui-listbox.h"
#include "app/ui/widgets/ui-textbox.h"
#include "game/gamestate.h"
#include "game/savegame-format.h"
#include "game/screens/flags.h"
#include "game/screens/leaderboards-screen.h"
#include "game/screens/level-won.h"
#include "game/screens/load-game-prompt.h"
#include "game/screens/loader-transition.h"
#include "game/screens/loading.h"
#include "game/screens/main-menu.h"
#include "online/achievementman.h"
#include "online/leaderboards-manager.h"
#include "platform/headless.h"
#include "tests/app/ui/widget_fixture.h"
#include "tests/game/game_fixture.h"

#include <gtest/gtest.h>
#include <ctype.h>
#include <lua.hpp>
#include <stdlib.h>
#include <string.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#ifndef ORVEX_CONTENT_DIR
#error "ORVEX_CONTENT_DIR: the build's program directory"
#endif

namespace {

namespace hl = ovdev::headless;

// A small catalogue: chapter 1 of ten missions, chapter 2 of ten, chapter 3 of two and
// two extras opened by stars.
std::string Missions()
{
    std::string text = "<?xml version=\"1.0\" encoding=\"iso-8859-1\"?>\n<root>\n";
    const int counts[3] = {10, 10, 2};
    for (int c = 1; c <= 3; c++) {
        text += "<array id=\"CHAPTER" + std::to_string(c) + "\">\n";
        for (int m = 1; m <= counts[c - 1]; m++) {
            const std::string n = std::to_string(c) + "_" + std::to_string(m);
            text += "<node id=\"MISSION" + n + "\" mode=\"LEVEL\" level=\"missions/" + n + ".xml\" name=\"Field " + n +
                    "\" desc=\"Hold field " + n + ".\" />\n";
        }
        text += "</array>\n";
    }
    text += "<array id=\"EXTRAS\">\n"
            "<node id=\"DUNE_SURVIVAL\" mode=\"SURVIVAL\" level=\"missions/x-dune-survival.xml\" name=\"Dune Survival\""
            " desc=\"Endless waves.\" unlock_stars=\"10\" />\n"
            "<node id=\"SUPPLY_RUN\" mode=\"COLLECTOR\" level=\"missions/x-supply-run.xml\" name=\"Supply Run\""
            " desc=\"Grab the drops.\" unlock_stars=\"25\" />\n"
            "</array>\n</root>\n";
    return text;
}

class MenuScreens : public gametest::GameTest {
protected:
    void SetUp() override
    {
        GameTest::SetUp();
        ASSERT_NO_FATAL_FAILURE(screentest::CopyProgramDir(ORVEX_CONTENT_DIR));
        StartGame(1024, 768);
        if (HasFatalFailure())
            return;
        // The shipped aliens for the field guide (the game fixture writes an empty table).
        std::string cmd = std::string("cp '") + ORVEX_CONTENT_DIR + "/entities.xml' app/native/entities.xml";
        ASSERT_EQ(system(cmd.c_str()), 0);
        dman().ReleaseDatabase("entities.xml");
        apptest::WriteFile("missions.xml", Missions());
        dman().ReleaseDatabase("missions.xml");
        Profile *p = screentest::StartMenuServices("Scout");
        ASSERT_NE(p, nullptr);
        // The flow's chapter opening (a stand-in when its layout has not come yet).
        if (Screen *begin = Screen::PeekScreen("Chapter_1_Begin"))
            ASSERT_TRUE(sman.PreloadScreen(begin));
        else
            MakeScreen("Chapter_1_Begin");
        for (const char *name : {"PlayMenu", "Extras", "Tutorial", "Options", "Zedivevor", "Credits", "Profiles",
                                 "NewProfile", "DeleteProfile", "PopupOk"}) {
            Screen *s = Screen::PeekScreen(name);
            ASSERT_NE(s, nullptr) << name << " is not created by ui/autoexec.lua";
            ASSERT_TRUE(sman.PreloadScreen(s)) << name;
            ASSERT_NE(s->ui, nullptr) << name;
        }
        ASSERT_TRUE(sman.PreloadScreen(&screen_main_menu));
        ASSERT_TRUE(sman.PreloadScreen(&screen_loader_transition));
        ASSERT_TRUE(sman.PreloadScreen(&screen_transition));
        apptest::draw = screentest::DrawStackOnBlack;
    }
    void TearDown() override
    {
        // No script error and no developer complaint about the menus' own doings.
        EXPECT_FALSE(apptest::Logged("Unable to call"));
        for (const char *name : {"PlayMenu", "Extras", "Tutorial", "Options", "Zedivevor", "Credits", "Profiles",
                                 "NewProfile", "DeleteProfile", "PopupOk"})
            EXPECT_FALSE(apptest::Logged(std::string("for localizable component '") + name + "/")) << name;
        EXPECT_FALSE(apptest::Logged("reference count less than zero"));
        EXPECT_FALSE(apptest::Logged("not found"));
        apptest::draw = nullptr;
        screentest::StopMenuServices();
        dman().ReleaseDatabase("missions.xml");
        GameTest::TearDown();
    }

    static Screen *S(const char *name) { return Screen::PeekScreen(name); }
    // Runs frames until fades are over.
    void Settle(int frames = 25)
    {
        for (int i = 0; i < frames; i++) {
            sman.Update(0.05f);
            DrawFrame();
        }
    }
    void Open(const char *name)
    {
        sman.PushScreen(S(name), 0);
        Settle();
    }
    // One tap on the centre of a component of the top screen.
    void Tap(const char *comp)
    {
        Screen *top = sman.PeekScreen(0);
        ASSERT_NE(top, nullptr);
        UIComp *c = top->GetComp(comp);
        ASSERT_NE(c, nullptr) << comp << " on " << top->name;
        vec2_t p = c->GetCenterPos();
        TapAt((int)p.x, (int)p.y);
    }
    void TapAt(int x, int y)
    {
        ASSERT_TRUE(hl::inject_touch(hl::TouchPhase::Down, 0, x, y));
        PumpFrame();
        ASSERT_TRUE(hl::inject_touch(hl::TouchPhase::Up, 0, x, y));
        PumpFrame();
    }
    // A quick click: press and release reach the engine within one frame.
    void QuickTapAt(int x, int y)
    {
        ASSERT_TRUE(hl::inject_touch(hl::TouchPhase::Down, 0, x, y));
        ASSERT_TRUE(hl::inject_touch(hl::TouchPhase::Up, 0, x, y));
        PumpFrame();
    }
    // A property of a component as the screen's script reads it ("" for nothing).
    static std::string Get(Screen *screen, const std::string &path)
    {
        lua_State *L = screen->ui->L;
        const std::string chunk = "return tostring (GetProperty (\"" + path + "\"))";
        std::string out;
        if (luaL_loadstring(L, chunk.c_str()) == 0 && lua_pcall(L, 0, 1, 0) == 0) {
            const char *s = lua_tostring(L, -1);
            out = s ? s : "";
        }
        lua_settop(L, 0);
        return out == "nil" ? "" : out;
    }
    static std::string Text(Screen *screen, const char *comp)
    {
        UIComp *c = screen->GetComp(comp);
        if (!c || c->type != UICOMP_TEXTBOX)
            return "";
        return static_cast<UICompTextbox *>(c)->GetText();
    }
    static bool Shown(Screen *screen, const char *comp) { return screen->GetComp(comp)->IsVisible(); }
    static bool Active(Screen *screen, const char *comp) { return screen->GetComp(comp)->IsActive(); }
    static std::vector<std::string> Stack()
    {
        std::vector<std::string> names;
        for (int i = 0; i < sman.stack.Count(); i++)
            if (sman.stack[i]->in_stack)
                names.push_back(sman.stack[i]->name);
        return names;
    }
    void Shot(const char *file)
    {
        Settle(4);
        widgettest::SavePng(widgettest::ReadFrame(), enginetest::ShotPath("menus", file));
    }
};

// Progress of a player two missions into the campaign: the first won with three stars,
// the second with five, the third open.
void TwoMissionsWon()
{
    prof->AddTag("chapters", "CHAPTER1");
    for (const char *m : {"MISSION1_1", "MISSION1_2", "MISSION1_3"})
        prof->AddTag("missions", m);
    prof->SetValue("missions", "MISSION1_1", "rating", "3");
    prof->SetValue("missions", "MISSION1_1", "times_played", "1");
    prof->SetValue("missions", "MISSION1_2", "rating", "5");
    prof->SetValue("missions", "MISSION1_2", "times_played", "2");
    prof->SetValue("current_game", "active_chapter", "value", "CHAPTER1");
    prof->SetValue("current_game", "active_mission", "value", "MISSION1_3");
}

TEST_F(MenuScreens, PlayMenuShowsProgressAndEntersTheChosenMission)
{
    TwoMissionsWon();
    Screen *menu = S("PlayMenu");
    // Alone on the stack, as the loader transition leaves it: the main menu comes under it.
    Open("PlayMenu");
    EXPECT_EQ(Stack(), (std::vector<std::string>{"MainMenu", "PlayMenu"}));

    EXPECT_EQ(Text(menu, "MissionName"), "Field 1_3");
    EXPECT_EQ(Text(menu, "StarTotal"), "8");
    for (int i = 0; i < 10; i++)
        EXPECT_TRUE(Shown(menu, ("Row_" + std::to_string(i)).c_str())) << i;
    EXPECT_TRUE(Active(menu, "Row_2"));
    EXPECT_FALSE(Active(menu, "Row_3"));
    EXPECT_TRUE(Shown(menu, "Row_3_Lock"));
    EXPECT_FALSE(Shown(menu, "Row_0_Lock"));
    EXPECT_EQ(Get(menu, "Row_0_Star_3:image.bitmap"), "ui/gfx/star-small.png");
    EXPECT_EQ(Get(menu, "Row_0_Star_4:image.bitmap"), "ui/gfx/star-small-empty.png");
    // The selector lies under the chosen row.
    EXPECT_TRUE(Shown(menu, "RowSelector"));
    EXPECT_NEAR(menu->GetComp("RowSelector")->GetStaticPos().y, menu->GetComp("Row_2")->GetStaticPos().y, 0.5f);
    EXPECT_FALSE(Active(menu, "CHAPTER2"));
    EXPECT_FALSE(Active(menu, "EXTRAS"));
    // The closed extras tab says what opens it: the first extra wants 10 stars, 8 are won.
    EXPECT_EQ(Get(menu, "EXTRAS:button.text"), "Win 2 stars\nto open");
    EXPECT_FALSE(Shown(menu, "ExtrasIntel"));
    EXPECT_FALSE(Shown(menu, "Leaderboards"));
    // The rows stand 1.2 selector heights apart inside "Missions".
    const float row0 = menu->GetComp("Row_0")->GetStaticPos().y, row1 = menu->GetComp("Row_1")->GetStaticPos().y;
    EXPECT_NEAR(row1 - row0, 1.2f * 44.0f, 0.5f);
    EXPECT_NEAR(row0, menu->GetComp("Missions")->GetStaticPos().y, 0.5f);
    Shot("play-menu.png");

    // A won mission shows its best rating; a locked one cannot be chosen.
    Tap("Row_1");
    EXPECT_EQ(Text(menu, "MissionName"), "Field 1_2");
    EXPECT_EQ(Text(menu, "MissionStars"), "Best: 5 of 5 stars");
    Tap("Row_3");
    EXPECT_EQ(Text(menu, "MissionName"), "Field 1_2");
    Tap("CHAPTER2");
    // A locked chapter's tab does nothing.
    EXPECT_EQ(Get(menu, "Row_0:button.text"), "Field 1_1");

    Tap("Play");
    EXPECT_TRUE(apptest::Logged("Screen message from PlayMenu 'ENTER_BATTLE' 'CHAPTER1:MISSION1_2'"));
    EXPECT_STREQ(new_game_parms.chapter_id, "CHAPTER1");
    EXPECT_STREQ(new_game_parms.mission_id, "MISSION1_2");
    EXPECT_STREQ(new_game_parms.level_file, "missions/1_2.xml");
    EXPECT_EQ(screen_transition.target, &screen_loader_transition);
}

// Ratings out of range in the profile count 0 to 5 stars each.
TEST_F(MenuScreens, PlayMenuCountsEachRatingAsAtMostFiveStars)
{
    TwoMissionsWon();
    prof->SetValue("missions", "MISSION1_1", "rating", "2147483647");
    prof->SetValue("missions", "MISSION1_2", "rating", "-40");
    prof->SetValue("missions", "MISSION1_3", "rating", "nan");
    Screen *menu = S("PlayMenu");
    Open("PlayMenu");
    EXPECT_EQ(Text(menu, "StarTotal"), "5");
    Tap("Row_0");
    EXPECT_EQ(Text(menu, "MissionStars"), "Best: 5 of 5 stars");
}

// "Continue" offers only a saved battle that can be resumed: a damaged one is set aside
// as ".bad" when the main menu comes, with an error line, and is no longer offered.
TEST_F(MenuScreens, MainMenuOffersContinueOnlyForASavedBattleThatLoads)
{
    char name[512];
    ov->OV_GetPathEx(name, sizeof name, 1, "%s", "user/save-15.dat");
    ov->OV_CreateDirectory("user://user");
    std::unique_ptr<SavedGame> saved(new SavedGame());
    std::vector<uint8_t> bytes(SAVEGAME_MAX_SIZE);
    bytes.resize(SaveGameToBytes(*saved, bytes.data()));
    ASSERT_TRUE(SaveFileReplacing(name, bytes.data(), bytes.size()));
    Screen *menu = S("MainMenu");
    Open("MainMenu");
    EXPECT_TRUE(Shown(menu, "Continue"));
    sman.PopScreen(menu, false);
    Settle();

    bytes[bytes.size() - 1] = '!';  // the trailing magic spoilt
    ASSERT_TRUE(SaveFileReplacing(name, bytes.data(), bytes.size()));
    Open("MainMenu");
    EXPECT_FALSE(Shown(menu, "Continue"));
    EXPECT_FALSE(FileOpens(name));
    EXPECT_TRUE(FileOpens((std::string(name) + ".bad").c_str()));
    EXPECT_TRUE(apptest::Logged(std::string("The saved game '") + name + "' is damaged (" +
                                std::to_string(bytes.size()) + " bytes): kept aside as '" + name + ".bad'.\n"));
}

TEST_F(MenuScreens, PlayMenuOpensTheChapterBeforeTheVeryFirstMission)
{
    // Over the main menu, as the main menu's "Play" pushes it.
    Open("MainMenu");
    Tap("Play");
    Settle();
    EXPECT_EQ(Stack(), (std::vector<std::string>{"MainMenu", "PlayMenu"}));
    Screen *menu = S("PlayMenu");
    EXPECT_EQ(Text(menu, "MissionName"), "Field 1_1");
    EXPECT_EQ(Text(menu, "StarTotal"), "0");
    EXPECT_FALSE(Active(menu, "Row_1"));
    Tap("Play");
    EXPECT_EQ(sman.PeekScreen(0), S("Chapter_1_Begin"));
    EXPECT_FALSE(apptest::Logged("'ENTER_BATTLE'"));
    sman.PopScreen(S("Chapter_1_Begin"), false);
    Settle();
    // "Back" returns to the main menu.
    Tap("Back");
    Settle();
    EXPECT_EQ(Stack(), (std::vector<std::string>{"MainMenu"}));
}

TEST_F(MenuScreens, PlayMenuTabsAndExtras)
{
    TwoMissionsWon();
    prof->AddTag("chapters", "CHAPTER2");
    prof->AddTag("missions", "MISSION2_1");
    prof->AddTag("features", "DUNE_SURVIVAL");
    leaderboards_man.SubmitScore("DUNE_SURVIVAL", 4200, 60000);
    Open("MainMenu");
    Open("PlayMenu");
    Screen *menu = S("PlayMenu");
    EXPECT_TRUE(Active(menu, "CHAPTER2"));
    EXPECT_FALSE(Active(menu, "CHAPTER3"));
    Tap("CHAPTER2");
    EXPECT_EQ(Get(menu, "Row_0:button.text"), "Field 2_1");
    EXPECT_EQ(Text(menu, "MissionName"), "Field 2_1");
    EXPECT_FALSE(Active(menu, "Row_1"));
    Shot("play-menu-chapter2.png");

    EXPECT_EQ(Get(menu, "EXTRAS:button.text"), "Extras");
    Tap("EXTRAS");
    EXPECT_TRUE(Shown(menu, "ExtrasIntel"));
    EXPECT_TRUE(Shown(menu, "Leaderboards"));
    EXPECT_TRUE(Shown(menu, "Row_1"));
    EXPECT_FALSE(Shown(menu, "Row_2"));
    EXPECT_FALSE(Shown(menu, "Row_0_Star_1"));
    EXPECT_EQ(Text(menu, "Row_0_Best"), "4200");
    EXPECT_EQ(Text(menu, "Row_1_Best"), "25 stars");
    EXPECT_FALSE(Active(menu, "Row_1"));
    EXPECT_EQ(Text(menu, "MissionBest"), "Best score: 4200");
    EXPECT_NE(Text(menu, "ExtrasIntelText").find("10, 25 campaign stars; you have 8."), std::string::npos);
    Shot("play-menu-extras.png");

    // The extra's own scores, then the medals.
    ScreenLeaderboards *boards = GetLeaderboardsScreen();
    ASSERT_TRUE(sman.PreloadScreen(boards));
    Tap("Leaderboards");
    Settle();
    EXPECT_EQ(sman.PeekScreen(0), boards);
    EXPECT_EQ(boards->GetCategoryIndex(), 1);  // DUNE_SURVIVAL, after CAMPAIGN
    sman.PopScreen(boards, true);
    Settle();
    boards->client = nullptr;
    boards->categories = nullptr;
    boards->db = nullptr;
    if (Screen *medals = S("Achievements")) {
        ASSERT_TRUE(sman.PreloadScreen(medals));
        Tap("Achievements");
        Settle();
        EXPECT_EQ(sman.PeekScreen(0), medals);
        sman.PopScreen(medals, true);
        Settle();
    }
    EXPECT_EQ(sman.PeekScreen(0), menu);

    Tap("Play");
    EXPECT_TRUE(apptest::Logged("Screen message from PlayMenu 'ENTER_BATTLE' 'EXTRAS:DUNE_SURVIVAL'"));
    EXPECT_EQ(new_game_parms.game_mode, 1);
}

TEST_F(MenuScreens, MainMenuReachesTheMenus)
{
    Open("MainMenu");
    Tap("Extras");
    Settle();
    EXPECT_EQ(sman.PeekScreen(0), S("Extras"));
    Shot("extras.png");
    // The developer's button is hidden outside developer mode.
    EXPECT_FALSE(Shown(S("Extras"), "Developer"));
    for (const char *name : {"Options", "Profiles", "Credits", "Zedivevor"}) {
        Tap(name);
        Settle();
        EXPECT_EQ(sman.PeekScreen(0), S(name)) << name;
        sman.PopScreen(S(name), true);
        Settle();
    }
    // The rankings are there before any extra field opens: the campaign's first.
    EXPECT_FALSE(prof->TagExists("features", "DUNE_SURVIVAL"));
    ScreenLeaderboards *boards = GetLeaderboardsScreen();
    ASSERT_TRUE(sman.PreloadScreen(boards));
    Tap("Leaderboards");
    Settle();
    EXPECT_EQ(sman.PeekScreen(0), boards);
    EXPECT_EQ(boards->GetCategoryIndex(), 0);
    sman.PopScreen(boards, true);
    Settle();
    boards->client = nullptr;
    boards->categories = nullptr;
    boards->db = nullptr;
    Tap("Back");
    Settle();
    Tap("Instructions");
    Settle();
    Screen *tutorial = S("Tutorial");
    EXPECT_EQ(sman.PeekScreen(0), tutorial);
    EXPECT_EQ(Text(tutorial, "PageTitle"), "Moving");
    EXPECT_FALSE(Active(tutorial, "Prev"));
    Shot("tutorial.png");
    for (int i = 0; i < 4; i++)
        Tap("Next");
    EXPECT_EQ(Text(tutorial, "PageNumber"), "5 / 5");
    EXPECT_EQ(Get(tutorial, "Picture:image.bitmap"), "ui/gfx/howto-powerups.png");
    EXPECT_FALSE(Active(tutorial, "Next"));
    Shot("tutorial-5.png");
    Tap("Back");
    Settle();
    EXPECT_EQ(Stack(), (std::vector<std::string>{"MainMenu"}));
}

// "Continue" offers the saved battle; "No" in its prompt deletes the save, and the menu
// under the fading prompt drops "Continue" at once: a tap where it stood does nothing.
TEST_F(MenuScreens, NoInTheLoadGamePromptTakesContinueAwayAtOnce)
{
    ASSERT_TRUE(sman.PreloadScreen(&screen_popup_load_game));
    ov->OV_CreateDirectory("user://user");
    const char *const save = "user://user/save-15.dat";
    std::unique_ptr<SavedGame> saved(new SavedGame());  // a battle that can be resumed
    std::vector<uint8_t> bytes(SAVEGAME_MAX_SIZE);
    bytes.resize(SaveGameToBytes(*saved, bytes.data()));
    ASSERT_TRUE(SaveFileReplacing(save, bytes.data(), bytes.size()));
    ov_file_t *f = nullptr;
    Screen *menu = S("MainMenu");
    Open("MainMenu");
    ASSERT_TRUE(Shown(menu, "Continue"));
    const vec2_t spot = menu->GetComp("Continue")->GetCenterPos();
    Tap("Continue");
    Settle();
    ASSERT_EQ(sman.PeekScreen(0), &screen_popup_load_game);
    Shot("load-game-prompt.png");
    Tap("No");
    EXPECT_TRUE(screen_popup_load_game.leaving);
    f = ov->OV_OpenFile(save, "rb");
    EXPECT_EQ(f, nullptr);
    if (f)
        ov->OV_CloseFile(f);
    EXPECT_FALSE(Shown(menu, "Continue"));
    Settle();
    EXPECT_EQ(Stack(), (std::vector<std::string>{"MainMenu"}));
    Shot("main-menu-after-no.png");
    TapAt((int)spot.x, (int)spot.y);
    Settle();
    EXPECT_EQ(Stack(), (std::vector<std::string>{"MainMenu"}));
}

TEST_F(MenuScreens, OptionsSlidersSetTheVolumes)
{
    aman.SetSoundVolume(1.0f);
    aman.SetMusicVolume(1.0f);
    Open("Options");
    Screen *options = S("Options");
    Shot("options.png");
    // A tap a quarter of the way along each bar.
    for (const char *slider : {"SoundVolume", "MusicVolume"}) {
        UIComp *c = options->GetComp(slider);
        vec2_t p = c->GetAlignedPos();
        TapAt((int)(p.x + c->width * 0.25f), (int)(p.y + c->height / 2));
    }
    EXPECT_LT(aman.GetSoundVolume(), 0.4f);
    EXPECT_GT(aman.GetSoundVolume(), 0.1f);
    EXPECT_LT(aman.GetMusicVolume(), 0.4f);
    EXPECT_GT(aman.GetMusicVolume(), 0.1f);
    prof->AddTag("tutorials_completed", "MOVING");
    Tap("ResetTutorials");
    EXPECT_FALSE(prof->TagExists("tutorials_completed", "MOVING"));
    Tap("Back");
    Settle();
    EXPECT_TRUE(Stack().empty());
}

// The loader transition switches to the play menu alone: the switch screen is still on
// top when the play menu enters, and the main menu goes under the play menu, not over it.
TEST_F(MenuScreens, AfterASwitchTheMainMenuComesUnderThePlayMenu)
{
    Open("Extras");
    sman.SwitchScreen("PlayMenu");
    Settle(40);
    EXPECT_EQ(Stack(), (std::vector<std::string>{"MainMenu", "PlayMenu"}));
    EXPECT_EQ(sman.PeekScreen(0), S("PlayMenu"));
}

// "Windowed" turns the window mode over and sets the display up again.
TEST_F(MenuScreens, OptionsWindowedTurnsTheWindowModeOver)
{
    Open("Options");
    const bool before = prog.parms.windowed != 0;
    EXPECT_EQ(Get(S("Options"), "Windowed:checkbox.value"), before ? "1" : "0");
    Tap("Windowed");
    Settle(4);
    EXPECT_EQ(prog.parms.windowed != 0, !before);
    EXPECT_EQ(Get(S("Options"), "Windowed:checkbox.value"), before ? "0" : "1");
    Tap("Windowed");
    Settle(4);
    EXPECT_EQ(prog.parms.windowed != 0, before);
}

TEST_F(MenuScreens, ProfilesAddAndDelete)
{
    Open("Profiles");
    Screen *profiles = S("Profiles");
    auto *list = static_cast<UICompListbox *>(profiles->GetComp("ProfileList"));
    EXPECT_EQ(list->GetNumberOfLines(), 1);
    Tap("New");
    Settle();
    ASSERT_EQ(sman.PeekScreen(0), S("NewProfile"));
    Screen *fresh = S("NewProfile");
    ASSERT_EQ(luaL_dostring(fresh->ui->L, "SetProperty (\"Name:editbox.text\", \"Rookie\")"), 0);
    Shot("new-profile.png");
    Tap("Ok");
    Settle();
    EXPECT_EQ(profile_man().GetNumberOfProfiles(), 2);
    EXPECT_STREQ(prof->GetValue("!INFO", "name", "value"), "Rookie");
    EXPECT_EQ(sman.PeekScreen(0), profiles);
    EXPECT_EQ(list->GetNumberOfLines(), 2);
    Shot("profiles.png");

    // A name already taken is refused with a message.
    Tap("New");
    Settle();
    ASSERT_EQ(luaL_dostring(fresh->ui->L, "SetProperty (\"Name:editbox.text\", \"Scout\")"), 0);
    Tap("Ok");
    Settle();
    ASSERT_EQ(sman.PeekScreen(0), S("PopupOk"));
    EXPECT_NE(Text(S("PopupOk"), "Text"), "");
    Shot("popup-ok.png");
    Tap("Ok");
    Settle();
    Tap("Cancel");
    Settle();
    EXPECT_EQ(profile_man().GetNumberOfProfiles(), 2);

    // The first line makes "Scout" active again; "Delete" asks, "Yes" deletes it.
    UIComp *c = list;
    vec2_t p = c->GetAlignedPos();
    TapAt((int)(p.x + 40), (int)(p.y + 20));
    EXPECT_STREQ(prof->GetValue("!INFO", "name", "value"), "Scout");
    Tap("Delete");
    Settle();
    ASSERT_EQ(sman.PeekScreen(0), S("DeleteProfile"));
    EXPECT_NE(Text(S("DeleteProfile"), "Question").find("Scout"), std::string::npos);
    Shot("delete-profile.png");
    Tap("Yes");
    Settle();
    EXPECT_EQ(profile_man().GetNumberOfProfiles(), 1);
    EXPECT_STREQ(prof->GetValue("!INFO", "name", "value"), "Rookie");
    EXPECT_EQ(list->GetNumberOfLines(), 1);
    Tap("Ok");
    Settle();
    EXPECT_TRUE(Stack().empty());
}

// A click quicker than a frame on a line of the profile list makes that profile active.
TEST_F(MenuScreens, AQuickClickOnAProfileLineMakesItActive)
{
    Open("Profiles");
    Screen *profiles = S("Profiles");
    auto *list = static_cast<UICompListbox *>(profiles->GetComp("ProfileList"));
    Tap("New");
    Settle();
    ASSERT_EQ(luaL_dostring(S("NewProfile")->ui->L, "SetProperty (\"Name:editbox.text\", \"Rookie\")"), 0);
    Tap("Ok");
    Settle();
    ASSERT_EQ(list->GetNumberOfLines(), 2);
    ASSERT_STREQ(prof->GetValue("!INFO", "name", "value"), "Rookie");
    const vec2_t p = list->GetAlignedPos();
    const float line = (float)list->line_height * list->dynamic_scale;
    const float top = p.y + (float)list->padding_top * list->dynamic_scale;
    QuickTapAt((int)(p.x + 40), (int)(top + 0.5f * line));
    EXPECT_STREQ(prof->GetValue("!INFO", "name", "value"), "Scout");
    EXPECT_EQ(list->selected, 0);
    Settle(2);
    QuickTapAt((int)(p.x + 40), (int)(top + 1.5f * line));
    EXPECT_STREQ(prof->GetValue("!INFO", "name", "value"), "Rookie");
    EXPECT_EQ(list->selected, 1);
}

TEST_F(MenuScreens, CreditsGoOnToTheNamedScreen)
{
    Open("Extras");
    Open("Credits");
    Screen *credits = S("Credits");
    EXPECT_NE(Text(credits, "Lines").find("DejaVu"), std::string::npos);
    Settle(60);
    Shot("credits.png");
    // Without a next screen a click goes back.
    Tap("fader");
    Settle();
    EXPECT_EQ(Stack(), (std::vector<std::string>{"Extras"}));
    // After the won campaign the credits lead on to the play menu.
    sman.SendScreenMessage(nullptr, credits, "setNextScreen", "PlayMenu");
    Open("Credits");
    Tap("fader");
    EXPECT_EQ(screen_transition.target, S("PlayMenu"));
}

// The roll ends as its last line leaves the screen's top: not before, and with no empty
// screen after it.
TEST_F(MenuScreens, CreditsEndWhenTheirLastLineHasGone)
{
    Open("Extras");
    Open("Credits");
    Screen *credits = S("Credits");
    UIComp *lines = credits->GetComp("Lines");
    ASSERT_NE(lines, nullptr);
    float gone_at = -1.0f, left_at = -1.0f;
    for (float t = 0.0f; t < 120.0f && left_at < 0.0f; t += 0.05f) {
        sman.Update(0.05f);
        const float bottom = lines->GetAlignedPos().y + lines->height;
        if (gone_at < 0.0f && bottom < 0.0f)
            gone_at = t;
        if (credits->leaving || !credits->in_stack) {
            left_at = t;
        } else if (gone_at < 0.0f && t > 5.0f) {
            ASSERT_GT(bottom, 0.0f);
        }
    }
    ASSERT_GE(left_at, 0.0f) << "the credits never ended";
    ASSERT_GE(gone_at, 0.0f) << "the credits left with lines still on the screen";
    EXPECT_GT(left_at, 20.0f) << "a roll of that many lines takes longer";
    EXPECT_LE(left_at - gone_at, 0.5f) << "an empty screen after the roll";
    Settle();
    EXPECT_EQ(Stack(), (std::vector<std::string>{"Extras"}));
}

TEST_F(MenuScreens, FieldGuideTurnsThroughTheAliens)
{
    Open("Zedivevor");
    Screen *guide = S("Zedivevor");
    EXPECT_EQ(Text(guide, "CreatureName"), "Hellhound");
    Shot("field-guide.png");
    for (int i = 0; i < 17; i++)
        Tap("Next");
    EXPECT_EQ(Text(guide, "CreatureName"), "Ironjaw");
    EXPECT_FALSE(Active(guide, "Next"));
    Shot("field-guide-last.png");
}

// The campaign's own catalogue when the build ships it: the rows carry its names, the
// extras tab its six extras and the stars that open them.
TEST_F(MenuScreens, PlayMenuOnTheShippedCatalogue)
{
    std::string shipped;
    {
        std::ifstream in(std::string(ORVEX_CONTENT_DIR) + "/missions.xml", std::ios::binary);
        if (!in)
            GTEST_SKIP() << "no missions.xml in the build's program directory";
        std::ostringstream text;
        text << in.rdbuf();
        shipped = text.str();
    }
    apptest::WriteFile("missions.xml", shipped);
    dman().ReleaseDatabase("missions.xml");
    DMDatabase *db = dman().GetDatabase("missions.xml");
    ASSERT_NE(db, nullptr);
    DMArray *chapter = db->GetArray("CHAPTER1"), *extras = db->GetArray("EXTRAS");
    ASSERT_NE(chapter, nullptr);
    ASSERT_NE(extras, nullptr);
    prof->AddTag("chapters", "EXTRAS");
    for (int i = 0; i < extras->GetSize(); i++)
        prof->AddTag("features", extras->GetNode(i)->GetValue("id"));
    Open("PlayMenu");
    Screen *menu = S("PlayMenu");
    for (int i = 0; i < chapter->GetSize() && i < 10; i++)
        EXPECT_EQ(Get(menu, "Row_" + std::to_string(i) + ":button.text"), chapter->GetNode(i)->GetValue("name")) << i;
    EXPECT_EQ(Text(menu, "MissionName"), chapter->GetNode(0)->GetValue("name"));
    EXPECT_FALSE(Active(menu, "Row_1"));
    Shot("play-menu-shipped.png");
    Tap("EXTRAS");
    for (int i = 0; i < 10; i++)
        EXPECT_EQ(Shown(menu, ("Row_" + std::to_string(i)).c_str()), i < extras->GetSize()) << i;
    EXPECT_TRUE(Active(menu, "Row_0"));
    std::string needs;
    for (int i = 0; i < extras->GetSize(); i++)
        needs += std::string(i ? ", " : "") + extras->GetNode(i)->GetValue("unlock_stars");
    EXPECT_NE(Text(menu, "ExtrasIntelText").find(needs), std::string::npos) << Text(menu, "ExtrasIntelText");
    Shot("play-menu-shipped-extras.png");
}

}  // namespace

namespace {

// The test player's contract with the shipped menus: after every way into the play menu
// the main menu lies directly under it (the player acts on the play menu only then, and
// "Back" leads there), and "Play" enters the mission the profile's progress names next.
class ShippedPlayMenu : public MenuScreens, public ::testing::WithParamInterface<const char *> {
protected:
    void SetUp() override
    {
        MenuScreens::SetUp();
        if (HasFatalFailure())
            return;
        std::ifstream in(std::string(ORVEX_CONTENT_DIR) + "/missions.xml", std::ios::binary);
        ASSERT_TRUE(in) << "no missions.xml in the build's program directory";
        std::ostringstream text;
        text << in.rdbuf();
        apptest::WriteFile("missions.xml", text.str());
        dman().ReleaseDatabase("missions.xml");
        catalogue = dman().GetDatabase("missions.xml");
        ASSERT_NE(catalogue, nullptr);
    }
    // The main menu once, directly under the play menu on top.
    void ExpectMainMenuUnderPlayMenu(const char *route)
    {
        std::vector<std::string> stack = Stack();
        ASSERT_GE(stack.size(), 2u) << route;
        EXPECT_EQ(stack.back(), "PlayMenu") << route;
        EXPECT_EQ(stack[stack.size() - 2], "MainMenu") << route;
        int main_menus = 0;
        for (const std::string &name : stack)
            main_menus += name == "MainMenu";
        EXPECT_EQ(main_menus, 1) << route;
    }
    // The profile of a player who has just won `mission_id` and everything before it,
    // written as the won level writes it; returns "ARRAY:MISSION" of the one after it.
    std::string WonUpTo(const char *mission_id)
    {
        std::string next;
        for (int a = 0; a < catalogue->GetNumberOfArrays(); a++) {
            DMArray *array = catalogue->GetArray(a);
            if (!array || !array->id || strncmp(array->id, "CHAPTER", 7) != 0)
                continue;
            prof->AddTag("chapters", array->id);
            for (int i = 0; i < array->GetSize(); i++) {
                const char *id = array->GetNode(i)->GetValue("id");
                prof->AddTag("missions", id);
                prof->SetValue("missions", id, "rating", "3");
                prof->SetValue("missions", id, "times_played", "1");
                if (strcmp(id, mission_id) == 0) {
                    NextMission following;
                    if (!FindNextMission(mission_id, &following) || !following.node)
                        return "";
                    const char *chapter = following.new_chapter ? catalogue->GetArray(a + 1)->id : array->id;
                    const char *next_id = following.node->GetValue("id");
                    prof->AddTag("chapters", chapter);
                    prof->AddTag("missions", next_id);
                    prof->SetValue("current_game", "active_chapter", "value", chapter);
                    prof->SetValue("current_game", "active_mission", "value", next_id);
                    return std::string(chapter) + ":" + next_id;
                }
            }
        }
        return next;
    }

    DMDatabase *catalogue = nullptr;
};

TEST_P(ShippedPlayMenu, MainMenuStaysUnderAndPlayEntersTheNextMission)
{
    const std::string route = GetParam();
    const std::string next = WonUpTo(route == "over the main menu" ? "MISSION1_1" : route == "switched from the loader"
                                                                                        ? "MISSION1_10"
                                                                                        : "MISSION2_10");
    ASSERT_FALSE(next.empty());
    if (route == "over the main menu") {
        // The main menu's own "Play".
        Open("MainMenu");
        Tap("Play");
        Settle();
    } else if (route == "switched from the loader") {
        // The way out of a battle: the loader transition alone switches to the menu.
        sman.PushScreen(&screen_loader_transition, 0);
        sman.SwitchScreen("PlayMenu");
        Settle(40);
    } else {
        // Pushed alone, then left and entered again through "Back" and the main menu.
        Open("PlayMenu");
        ExpectMainMenuUnderPlayMenu(route.c_str());
        Tap("Back");
        Settle();
        EXPECT_EQ(Stack(), (std::vector<std::string>{"MainMenu"}));
        Tap("Play");
        Settle();
    }
    ExpectMainMenuUnderPlayMenu(route.c_str());

    Tap("Play");
    EXPECT_TRUE(apptest::Logged("Screen message from PlayMenu 'ENTER_BATTLE' '" + next + "'")) << next;
    EXPECT_EQ(std::string(new_game_parms.chapter_id) + ":" + new_game_parms.mission_id, next);
    EXPECT_EQ(screen_transition.target, &screen_loader_transition);
}

INSTANTIATE_TEST_SUITE_P(Routes, ShippedPlayMenu,
                         ::testing::Values("over the main menu", "switched from the loader", "pushed alone, back and again"),
                         [](const ::testing::TestParamInfo<const char *> &info) {
                             std::string name;
                             for (const char *c = info.param; *c; c++)
                                 if (isalnum((unsigned char)*c))
                                     name += *c;
                             return name;
                         });

}  // namespace
