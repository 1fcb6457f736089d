// A tour of the game as it ships: the build's program directory copied whole, the class
// screens and the screens "ui/autoexec.lua" makes, each pushed through the real screen
// manager at the 1024 x 768 reference size with the messages it needs, on a profile a
// few missions into the first chapter; then every mission of the shipped catalogue
// entered through the real loader transition and played on to its second wave. Each
// screen's named components are checked, the log must hold none of the messages an
// unattended run forbids, and every picture goes to the shots folder (tour/) to be
// looked at.
#include "tests/game/screens/shipped_screens_fixture.h"
#include "tests/support/headless_engine.h"
#include "app/services/dataman.h"
#include "app/services/profiles.h"
#include "app/services/prog.h"
#include "app/ui/screen-manager.h"
#include "app/ui/ui-comps.h"
#include "app/ui/transition.h"
#include "app/ui/widgets/ui-image.h"
#include "core/ov_state.h"
#include "game/game-script.h"
#include "game/gamestate.h"
#include "game/screens/battle-screen.h"
#include "game/screens/flags.h"
#include "game/screens/game-over.h"
#include "game/screens/leaderboards-screen.h"
#include "game/screens/level-won.h"
#include "game/screens/load-game-prompt.h"
#include "game/screens/loader-transition.h"
#include "game/screens/loading.h"
#include "game/screens/main-menu.h"
#include "game/screens/pick-reinforcement.h"
#include "game/screens/pick-upgrade.h"
#include "game/screens/shop.h"
#include "online/achievementman.h"
#include "online/leaderboards-manager.h"
#include "online/news-manager.h"
#include "platform/headless.h"
#include "tests/app/ui/widget_fixture.h"
#include "tests/game/game_fixture.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <string.h>

#include <fstream>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#ifndef ORVEX_CONTENT_DIR
#error "ORVEX_CONTENT_DIR: the build's program directory"
#endif
#ifndef ORVEX_FORBIDDEN_LIST
#error "ORVEX_FORBIDDEN_LIST: the unattended run's list of forbidden log messages"
#endif

namespace {

using screentest::LitPixels;

namespace hl = ovdev::headless;

std::vector<std::string> Split(const std::string &list, char sep)
{
    std::vector<std::string> out;
    size_t at = 0;
    while (at <= list.size()) {
        size_t end = list.find(sep, at);
        if (end == std::string::npos)
            end = list.size();
        if (end > at)
            out.push_back(list.substr(at, end - at));
        at = end + 1;
    }
    return out;
}

// The forbidden fragments, one a line ('#' lines are comments).
std::vector<std::string> ForbiddenMessages()
{
    std::vector<std::string> out;
    std::ifstream in(ORVEX_FORBIDDEN_LIST);
    std::string line;
    while (std::getline(in, line))
        if (!line.empty() && line[0] != '#')
            out.push_back(line);
    return out;
}

// The forbidden fragments the log holds, with their counts ("Array File '" only for
// names outside user://). With `seen`, only fragments whose count grew since the last
// call (the console keeps a bounded number of lines, so a long tour asks often).
std::vector<std::string> ForbiddenLines(std::map<std::string, int> *seen = nullptr)
{
    std::vector<std::string> found;
    const std::vector<std::string> forbidden = ForbiddenMessages();
    EXPECT_GT(forbidden.size(), 10u);
    for (const std::string &f : forbidden) {
        int n = enginetest::CountLogLines(f);
        if (f == "Array File '")
            n -= enginetest::CountLogLines("Array File 'user://");
        const int before = seen ? (*seen)[f] : 0;
        if (seen)
            (*seen)[f] = n;
        if (n > before)
            found.push_back(f + " (" + std::to_string(n - before) + " lines)");
    }
    return found;
}

// One stop of the tour: the screen, what lies under it, the messages it gets before it
// is pushed, the components it must hold and anything to set first.
struct Stop {
    const char *screen;
    const char *under;  // "" for nothing
    std::vector<std::pair<const char *, const char *>> messages;
    std::string components;  // '|' separated
    std::function<void()> prepare;
};

// The data files the game fixture writes empty, put back from the shipped directory.
const char *const kShippedData[] = {"entities.xml", "weapons.xml", "powerups.xml", "spawn-groups.xml",
                                    "spawn-events.xml", "gameplay-global.xml", "missions.xml"};

class ScreenTour : public gametest::GameTest {
protected:
    void SetUp() override
    {
        GameTest::SetUp();
        ASSERT_NO_FATAL_FAILURE(screentest::CopyProgramDir(ORVEX_CONTENT_DIR));
        StartGame(1024, device_height_);
        if (HasFatalFailure())
            return;
        for (const char *file : kShippedData) {
            std::string cmd =
                std::string("cp '") + ORVEX_CONTENT_DIR + "/" + file + "' app/native/" + file + " 2>/dev/null";
            if (system(cmd.c_str()) == 0)
                dman().ReleaseDatabase(file);
        }
        Profile *p = screentest::StartMenuServices("Tourist");
        ASSERT_NE(p, nullptr);
        ASSERT_EQ(prof, p);
        ThreeMissionsWon();
        achievement_man.Initialize();
        apptest::draw = screentest::DrawStackOnBlack;
    }
    void TearDown() override
    {
        apptest::draw = nullptr;
        if (achievement_man.IsInitialized())
            achievement_man.Shutdown();
        leaderboards_man.Reset();
        if (ov)
            profile_man().Clear();
        flagmaster.ReleaseAll();
        FreeMenuBanner();
        for (const char *file : kShippedData)
            dman().ReleaseDatabase(file);
        GameTest::TearDown();
    }
    int device_height_ = 768;  // the device is 1024 wide; the layouts' reference is 1024 x 768
    // A player three missions into the first chapter, the shop and two classes open.
    static void ThreeMissionsWon()
    {
        prof->AddTag("chapters", "CHAPTER1");
        for (const char *m : {"MISSION1_1", "MISSION1_2", "MISSION1_3", "MISSION1_4"})
            prof->AddTag("missions", m);
        for (const char *m : {"MISSION1_1", "MISSION1_2", "MISSION1_3"}) {
            prof->SetValue("missions", m, "rating", "4");
            prof->SetValue("missions", m, "times_played", "1");
        }
        for (const char *f : {"POWERUP_MONEY", "MINIGUN_TROOPER", "SHOTGUN_TROOPER"})
            prof->AddTag("features", f);
        prof->SetValue("current_game", "active_chapter", "value", "CHAPTER1");
        prof->SetValue("current_game", "active_mission", "value", "MISSION1_4");
        prof->AddTag("ACHIEVEMENTS", "xenocide");
    }
    Screen *Find(const char *name)
    {
        Screen *s = Screen::GetScreen(name);
        EXPECT_NE(s, nullptr) << name;
        if (s && !s->ui) {
            EXPECT_TRUE(sman.PreloadScreen(s)) << name;
        }
        return s;
    }
    void Settle(int frames = 25)
    {
        for (int i = 0; i < frames; i++) {
            flagmaster.Update(0.05f);
            sman.Update(0.05f);
            DrawFrame();
        }
    }
    widgettest::Frame Shoot(const std::string &file)
    {
        Settle(6);
        widgettest::Frame f = widgettest::ReadFrame();
        EXPECT_TRUE(widgettest::SavePng(f, enginetest::ShotPath("tour", file))) << file;
        return f;
    }
    void Visit(int index, const Stop &stop)
    {
        SCOPED_TRACE(stop.screen);
        sman.PopAllScreens();
        // The screens leave with a fade: a screen still leaving cannot be pushed again
        // (the popups over "MainMenu" then showed over nothing).
        for (int i = 0; i < 100 && sman.stack.Count() > 0; i++)
            Settle(1);
        EXPECT_EQ(sman.stack.Count(), 0) << "screens still leaving";
        if (stop.prepare)
            stop.prepare();
        Screen *s = Find(stop.screen);
        ASSERT_NE(s, nullptr);
        ASSERT_NE(s->ui, nullptr);
        for (const auto &m : stop.messages)
            sman.SendScreenMessage(nullptr, s, m.first, m.second);
        if (*stop.under) {
            Screen *under = Find(stop.under);
            ASSERT_NE(under, nullptr);
            sman.PushScreen(under, 0);
            Settle();
            EXPECT_TRUE(under->in_stack && !under->leaving) << stop.under << " is not under " << stop.screen;
        }
        sman.PushScreen(s, 0);
        Settle();
        const Screen *top = sman.PeekScreen(0);
        EXPECT_EQ(top, s) << "on top: " << (top && top->name ? top->name : "nothing");
        for (const std::string &c : Split(stop.components, '|'))
            EXPECT_NE(s->GetComp(c.c_str()), nullptr) << stop.screen << " lacks " << c;
        char file[96];
        snprintf(file, sizeof file, "%02d-%s.png", index, stop.screen);
        EXPECT_GT(LitPixels(Shoot(file)), 20000) << file;
    }
};

const char kCards[] =
    "trooper_0_damage|trooper_1_damage|trooper_2_damage|trooper_3_damage|trooper_4_damage|trooper_0_kills|"
    "trooper_0_shots|trooper_0_image|trooper_0_image_weapon|trooper_4_image_weapon|timespent_value|"
    "alienskilled_value|Wave";

TEST_F(ScreenTour, EveryScreenOfTheGameShows)
{
    // The class screens the program registers at start-up.
    GetShopScreen();
    GetPickReinforcementScreen();
    GetArmTroopersScreen();
    GetChooseUpgradeScreen();
    GetPickUpgradeScreen();
    GetGameOverScreen();
    GetLevelLostScreen();
    GetLevelWonScreen();
    GetFeatureUnlockedScreen();
    GetLeaderboardsScreen();
    GetNewsScreen();
    ASSERT_TRUE(sman.PreloadScreen(&screen_transition));
    // The loading screen, drawn without its worker (the engine's start-up pushes it and
    // hands over to the main menu); entering it makes the menus' banner.
    ASSERT_TRUE(sman.PreloadScreen(&screen_loading));
    for (const char *c : {"Banner", "Loader", "Windmill"})
        EXPECT_NE(screen_loading.GetComp(c), nullptr) << "Loading lacks " << c;
    screen_loading.Enter();
    apptest::draw = screentest::DrawLoadingOnBlack;
    EXPECT_GT(LitPixels(Shoot("00-Loading.png")), 20000);
    apptest::draw = screentest::DrawStackOnBlack;
    const std::string cards(kCards);
    const std::vector<Stop> tour = {
        {"MainMenu", "", {}, "Banner|Play|Extras|Instructions|Continue|Quit|Embers", nullptr},
        {"PopupLoadGame", "MainMenu", {}, "Yes|No", nullptr},
        {"PlayMenu", "MainMenu", {},
         "Back|Achievements|Play|Leaderboards|CHAPTER1|CHAPTER2|CHAPTER3|EXTRAS|Missions|Row_0|Row_9|ExtrasIntel|"
         "MissionName|MissionDesc|MissionStars|MissionBest|StarTotal",
         nullptr},
        {"Extras", "MainMenu", {}, "Options|Profiles|Credits|Zedivevor|Back|Developer", nullptr},
        {"Tutorial", "MainMenu", {}, "Back|Next|Prev", nullptr},
        {"Options", "MainMenu", {}, "Back|SoundVolume|MusicVolume|Windowed|ResetTutorials", nullptr},
        {"Zedivevor", "MainMenu", {}, "Back|Next|Prev|Portrait|CreatureName|CreatureDesc", nullptr},
        {"Credits", "", {{"setNextScreen", "PlayMenu"}}, "fader|Lines", nullptr},
        {"Profiles", "MainMenu", {}, "Delete|New|Ok|ProfileList", nullptr},
        {"NewProfile", "MainMenu", {}, "Cancel|Ok|Name", nullptr},
        {"DeleteProfile", "MainMenu", {}, "No|Yes", nullptr},
        {"PopupOk", "MainMenu", {{"text", "That name is taken."}}, "Ok|Text", nullptr},
        {"Chapter_1_Begin", "", {}, "tap_to_continue", nullptr},
        {"Chapter_1_Completed", "", {}, "tap_to_continue", nullptr},
        {"Chapter_2_Completed", "", {}, "tap_to_continue", nullptr},
        {"Chapter_3_Completed", "", {}, "tap_to_continue|Exit", nullptr},
        {"Achievements", "", {}, "Back|achipatch|Achi_xenocide|AchiName|AchiDesc", nullptr},
        {"AchievementUnlocked", "", {{"unlock_item", "pyromaniac"}}, "Continue|Icon|Name|Desc", nullptr},
        {"ExitConfirmation", "MainMenu", {}, "Yes|No", nullptr},
        {"PauseMenu", "", {}, "Resume|Restart|MainMenu|Options|Help", nullptr},
        {"LevelLeave", "PauseMenu", {}, "No|Quit", nullptr},
        {"LevelRestart", "PauseMenu", {}, "Restart|Cancel", nullptr},
        {"Shop", "", {}, "Buy|Name|Desc|Cost|OK|Cheat|Money|TrooperCount|TF|ItemsStart|ClipUL|ClipBR|Bunker|BunkerHP|"
                         "BunkerHPEnd|BunkerRepair|Health",
         [] { game.money = 2400; }},
        {"PickReinforcement", "", {}, "Minigun|Shotgun|Bazooka|Pyro|Sniper|Level", nullptr},
        {"ArmTroopers", "", {{"0", "MinigunTrooper"}, {"1", "ShotgunTrooper"}, {"2", "MinigunTrooper"}},
         "Trooper_0|Trooper_4|Upgrade_0|Upgrade_4|choices_0|choices_4|Select", nullptr},
        {"ChooseUpgrade", "", {{"trooper_type", "MinigunTrooper"}},
         "Upgrade_0|Upgrade_5|Upgrade_0_selector|Upgrade_5_selector|Lock_1|Lock_5|Name|Subtitle|Desc|Select", nullptr},
        {"PickUpgrade", "",
         {{"a", "REARM_MinigunTrooper_MinigunAmmo"}, {"b", "REARM_ShotgunTrooper_ShotgunPower"},
          {"c", "REPAIR_BUNKER"}},
         "A|B|C|SelectorA|SelectorB|SelectorC|Name|Subtitle|Desc|Minigun_Upgrades|Bazooka_Upgrades|Shotgun_Upgrades|"
         "Pyro_Upgrades|Sniper_Upgrades|Select",
         nullptr},
        {"GameOver", "",
         {{"MissionId", "DUNE_SURVIVAL"}, {"ChapterId", "EXTRAS"}, {"Level", "missions/x-dune-survival.xml"},
          {"Score", "18450"}},
         (cards + "|Result|Score|Page1|Page2|InfoBox|ScoreBox|RankBox|troopers|ButtonGroup|ButtonGroup2|HiScoreAward|"
                  "facebook|custom_gfx_3|custom_gfx_4|Left|Right|TF|Retry|Menu|Leaderboards")
             ,
         [] { game.score = 18450; }},
        {"LevelLost", "", {}, cards + "|Retry|Quit", nullptr},
        {"LevelWon", "", {{"RATING", "3"}}, cards + "|Continue|Star_1|Star_5",
         [] { game.star_rating = 3; }},
        {"FeatureUnlocked", "", {{"UNLOCK_FEAT_0", "SHOTGUN_TROOPER"}, {"UNLOCK_FEAT_1", "POWERUP_MONEY"}},
         "FeatureIcon_0|FeatureIcon_2|feature_0_selector|feature_2_selector|FeatureCount|FeatureName|FeatureDesc|"
         "FeatureFor|Pick text|Continue",
         nullptr},
        {"Leaderboards", "MainMenu", {},
         "CategoryTitle|NextCategory|PrevCategory|GameCenter|Download|Submit50|Scores|Scissor|TF|Back",
         [] { leaderboards_man.SubmitScore("CAMPAIGN", 23800, 600000); }},
    };
    for (size_t i = 0; i < tour.size(); i++)
        Visit((int)i + 1, tour[i]);
    // The news page has nothing to show without news: only its components are checked.
    Screen *news = Find("TalvikNews");
    ASSERT_NE(news, nullptr);
    for (const char *c : {"NewsImage", "Close"})
        EXPECT_NE(news->GetComp(c), nullptr) << "TalvikNews lacks " << c;
    sman.PopAllScreens();
    Settle(2);
    for (const std::string &line : ForbiddenLines())
        ADD_FAILURE() << "forbidden: " << line;
}

// Every mission of the shipped catalogue through the real loader transition into its
// battle, played on (the battle's own clock, no drawing in between) until the second
// wave has come: its briefing and the battle then are photographed.
TEST_F(ScreenTour, EveryMissionReachesItsSecondWave)
{
    RegisterBattleScreens();
    RegisterBattleScriptFunctions();
    ASSERT_TRUE(sman.PreloadScreen(&GetShopScreen()));
    ScreenLoaderTransition *loader = &screen_loader_transition;
    ScreenGame *battle = &screen_game;
    for (Screen *s : {(Screen *)loader, (Screen *)battle, (Screen *)&screen_transition}) {
        s->preloaded.store(false);
        ASSERT_TRUE(Screen::PreLoadScreen(s)) << s->name;
    }
    DMDatabase *db = dman().GetDatabase("missions.xml");
    ASSERT_NE(db, nullptr);
    struct Mission {
        std::string chapter, id;
    };
    std::vector<Mission> missions;
    for (const char *array : {"CHAPTER1", "CHAPTER2", "CHAPTER3", "EXTRAS"}) {
        DMArray *a = db->GetArray(array);
        if (!a)
            continue;
        for (int i = 0; i < a->GetSize(); i++)
            if (a->GetNode(i)->id)
                missions.push_back({array, a->GetNode(i)->id});
    }
    ASSERT_GE(missions.size(), 10u);
    auto top_is = [](const char *name) {
        Screen *top = sman.PeekScreen(0);
        return top && top->name && strcmp(top->name, name) == 0;
    };
    int shown = 0;
    std::map<std::string, int> seen;
    for (const Mission &m : missions) {
        SCOPED_TRACE(m.id);
        sman.PopAllScreens();
        const std::string value = m.chapter + ":" + m.id;
        sman.SendScreenMessage(nullptr, loader, "ENTER_BATTLE", value.c_str());
        sman.SwitchScreen("LoaderTransition");
        bool briefed = false;
        for (int i = 0; i < 400 && !briefed; i++) {
            OVI_Frame(50);
            briefed = loader->waiting_for_tap || top_is("Game");
        }
        ASSERT_TRUE(briefed) << "no briefing";
        if (loader->waiting_for_tap)
            Shoot(m.id + "-briefing.png");
        vec2_t panel = loader->GetComp("panel") ? loader->GetComp("panel")->GetCenterPos() : vec2_t{512, 384};
        ASSERT_TRUE(hl::inject_touch(hl::TouchPhase::Down, 0, (int)panel.x, (int)panel.y));
        PumpFrame();
        ASSERT_TRUE(hl::inject_touch(hl::TouchPhase::Up, 0, (int)panel.x, (int)panel.y));
        PumpFrame();
        bool in_battle = false;
        for (int i = 0; i < 400 && !in_battle; i++) {
            OVI_Frame(50);
            in_battle = top_is("Game") && battle->trans_phase >= 1.0f;
        }
        ASSERT_TRUE(in_battle) << "never in the battle; on top: " << (sman.PeekScreen(0) ? sman.PeekScreen(0)->name : "nothing");
        // Overlays the battle pushes on its own (tutorials, upgrade picks) are answered
        // by popping them; the battle's clock runs in steps of 50 ms, 6 game minutes at most.
        // Nobody steers the squad here: the battle is made unlosable (the developer key
        // 'G') so that every mode reaches its second wave.
        game.invulnerable = 1;
        prog.parms.developer_mode = 1;  // the flag holds in developer mode only
        // A tutorial the battle shows is photographed (the first of each mission) and
        // taken as read.
        int steps = 0;
        bool tutorial_shot = false;
        for (; steps < 7200 && game.wave_number < 2; steps++) {
            if (!top_is("Game"))
                sman.PopScreen(sman.PeekScreen(0), false);
            if (game.tutorial_shown && game.tutorial_name && game.tutorial_time > 1.0f) {
                if (!tutorial_shot)
                    Shoot(m.id + "-tutorial-" + game.tutorial_name + ".png");
                tutorial_shot = true;
                game.SetTutorialCompleted(game.tutorial_name);
            }
            sman.Update(0.05f);
            if (game.lost || game.won)
                break;
        }
        prog.parms.developer_mode = 0;
        // An unsteered squad cannot clear every first wave (roaming enemies, tents to
        // guard): the picture is then taken at the six minutes, which the run notes.
        EXPECT_FALSE(game.lost) << m.id << " lost although unlosable";
        EXPECT_TRUE(top_is("Game")) << m.id;
        if (game.wave_number < 2)
            printf("tour: %s still at wave %d after %.0f game seconds\n", m.id.c_str(), (int)game.wave_number,
                   steps * 0.05f);
        for (int i = 0; i < 30; i++)
            sman.Update(0.05f);
        Shoot(m.id + "-wave2.png");
        shown++;
        // The shop of the battle (its shelf is filled from the battle's state), once.
        if (m.id == "MISSION1_3") {
            game.money = 3000;
            sman.PushScreen("Shop", 0);
            Settle();
            EXPECT_TRUE(top_is("Shop"));
            Shoot(m.id + "-shop.png");
            // The shelf holds what the battle needs now; the developer's 'R' lists every
            // unlocked item.
            ov_event_t key = {};
            key.type = OV_EVENT_KEY_DOWN;
            key.key = 'R';
            prog.parms.developer_mode = 1;
            sman.PeekScreen(0)->ProcessEvent(&key);
            prog.parms.developer_mode = 0;
            Shoot(m.id + "-shop-all.png");
            sman.PopScreen(sman.PeekScreen(0), false);
        }
        for (const std::string &line : ForbiddenLines(&seen))
            ADD_FAILURE() << m.id << ": forbidden: " << line;
        sman.SendScreenMessage(nullptr, loader, "LEAVE_BATTLE", "");
        sman.SwitchScreen("LoaderTransition");
        for (int i = 0; i < 200 && !top_is("PlayMenu") && !top_is("MainMenu"); i++)
            OVI_Frame(50);
    }
    EXPECT_EQ(shown, (int)missions.size());
    for (const std::string &line : ForbiddenLines(&seen))
        ADD_FAILURE() << "forbidden: " << line;
}

// The shop on the program's own device, 1024 x 600: the layout (1024 x 768) is scaled to
// it, and a tap on a shelf item, injected in device pixels where the item is drawn,
// selects it and "Buy" buys it.
class ScreenTourDevice : public ScreenTour {
protected:
    ScreenTourDevice() { device_height_ = 600; }
};

TEST_F(ScreenTourDevice, ShopItemsTakeTapsWhereTheyAreDrawn)
{
    RegisterBattleScreens();
    RegisterBattleScriptFunctions();
    ASSERT_TRUE(sman.PreloadScreen(&GetShopScreen()));
    ScreenLoaderTransition *loader = &screen_loader_transition;
    ScreenGame *battle = &screen_game;
    for (Screen *s : {(Screen *)loader, (Screen *)battle, (Screen *)&screen_transition}) {
        s->preloaded.store(false);
        ASSERT_TRUE(Screen::PreLoadScreen(s)) << s->name;
    }
    auto top_is = [](const char *name) {
        Screen *top = sman.PeekScreen(0);
        return top && top->name && strcmp(top->name, name) == 0;
    };
    // What winning MISSION1_4 unlocks: the minigunners' first upgrade is on the shelf.
    for (const char *f : {"REPAIR_BUNKER", "HEAL", "REARM_MinigunTrooper_MinigunPower"})
        prof->AddTag("features", f);
    sman.PopAllScreens();
    sman.SendScreenMessage(nullptr, loader, "ENTER_BATTLE", "CHAPTER1:MISSION1_5");
    sman.SwitchScreen("LoaderTransition");
    for (int i = 0; i < 400 && !loader->waiting_for_tap && !top_is("Game"); i++)
        OVI_Frame(50);
    vec2_t panel = loader->GetComp("panel") ? loader->GetComp("panel")->GetCenterPos() : vec2_t{512, 300};
    ASSERT_TRUE(hl::inject_touch(hl::TouchPhase::Down, 0, (int)panel.x, (int)panel.y));
    PumpFrame();
    ASSERT_TRUE(hl::inject_touch(hl::TouchPhase::Up, 0, (int)panel.x, (int)panel.y));
    PumpFrame();
    for (int i = 0; i < 400 && !(top_is("Game") && battle->trans_phase >= 1.0f); i++)
        OVI_Frame(50);
    ASSERT_TRUE(top_is("Game"));
    // The battle's HUD on the device: the stars beside the wave panel, the pause menu's
    // and the tactical pause's icons told apart.
    game.invulnerable = 1;
    prog.parms.developer_mode = 1;
    for (int i = 0; i < 600 && game.wave_number < 2; i++) {
        if (!top_is("Game"))
            sman.PopScreen(sman.PeekScreen(0), false);
        if (game.tutorial_shown && game.tutorial_name)
            game.SetTutorialCompleted(game.tutorial_name);
        sman.Update(0.05f);
    }
    prog.parms.developer_mode = 0;
    Shoot("device-600-battle.png");
    game.money = 5000;
    sman.PushScreen("Shop", 0);
    Settle();
    ASSERT_TRUE(top_is("Shop"));
    ScreenShop &shop = GetShopScreen();
    ASSERT_GE(shop.list.count, 1);
    widgettest::Frame f = Shoot("device-600-shop.png");
    // The first item is drawn inside the shelf's clip rectangle, in device pixels.
    vec2_t ul = shop.GetComp("ClipUL")->GetStaticPos(), br = shop.GetComp("ClipBR")->GetStaticPos();
    const ScreenShop::Item &first = shop.list.items[0];
    printf("shop at 1024 x 600: clip %.0f,%.0f .. %.0f,%.0f; item 0 at %.0f,%.0f\n", ul.x, ul.y, br.x, br.y, first.x,
           first.y);
    EXPECT_GT(first.y, ul.y);
    EXPECT_LT(first.y, br.y);
    const int x = (int)first.x, y = (int)first.y;
    ASSERT_TRUE(hl::inject_touch(hl::TouchPhase::Down, 0, x, y));
    PumpFrame();
    ASSERT_TRUE(hl::inject_touch(hl::TouchPhase::Up, 0, x, y));
    PumpFrame();
    EXPECT_EQ(shop.selected, &shop.list.items[0]);
    Shoot("device-600-shop-selected.png");
    const int money = game.money;
    vec2_t buy = shop.GetComp("Buy")->GetCenterPos();
    ASSERT_TRUE(hl::inject_touch(hl::TouchPhase::Down, 0, (int)buy.x, (int)buy.y));
    PumpFrame();
    ASSERT_TRUE(hl::inject_touch(hl::TouchPhase::Up, 0, (int)buy.x, (int)buy.y));
    PumpFrame();
    EXPECT_LT(game.money, money) << "nothing bought";
    sman.PopScreen(sman.PeekScreen(0), false);
    sman.SendScreenMessage(nullptr, loader, "LEAVE_BATTLE", "");
    sman.SwitchScreen("LoaderTransition");
    for (int i = 0; i < 200 && !top_is("PlayMenu") && !top_is("MainMenu"); i++)
        OVI_Frame(50);
}

}  // namespace
