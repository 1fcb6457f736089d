#include "tests/game/screens/screen_tour_fixture.h"

#include "app/services/dataman.h"
#include "app/services/profiles.h"
#include "app/ui/screen-manager.h"
#include "app/ui/transition.h"
#include "game/entities/entity-types.h"
#include "game/entities/entity.h"
#include "game/gamestate.h"
#include "game/screens/flags.h"
#include "game/screens/game-over.h"
#include "game/screens/leaderboards-screen.h"
#include "game/screens/level-won.h"
#include "game/screens/loading.h"
#include "game/screens/pick-reinforcement.h"
#include "game/screens/pick-upgrade.h"
#include "game/screens/shop.h"
#include "online/achievementman.h"
#include "online/leaderboards-manager.h"
#include "online/news-manager.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#ifndef ORVEX_CONTENT_DIR
#error "ORVEX_CONTENT_DIR: the build's program directory"
#endif

namespace screentest {

namespace {

// The data files the game fixture writes empty, put back from the shipped directory.
const char *const kShippedData[] = {"entities.xml", "weapons.xml", "powerups.xml", "spawn-groups.xml",
                                    "spawn-events.xml", "gameplay-global.xml", "missions.xml"};

const char kCards[] =
    "trooper_0_damage|trooper_1_damage|trooper_2_damage|trooper_3_damage|trooper_4_damage|trooper_0_kills|"
    "trooper_0_shots|trooper_0_image|trooper_0_image_weapon|trooper_4_image_weapon|timespent_value|"
    "alienskilled_value|Wave";

// The squad the result screens show: three troopers of the first chapter after a fight.
void GiveSquad()
{
    static EntityType minigun("MinigunTrooper"), shotgun("ShotgunTrooper");
    static Entity squad[3];
    const struct {
        EntityType *type;
        int damage, kills, shots;
    } troopers[3] = {{&minigun, 4210, 38, 912}, {&shotgun, 2875, 21, 140}, {&minigun, 3990, 35, 870}};
    game.troopers.Clear();
    for (int i = 0; i < 3; i++) {
        squad[i] = Entity();
        squad[i].type = troopers[i].type;
        squad[i].damage_dealt = (float)troopers[i].damage;
        squad[i].kills = troopers[i].kills;
        squad[i].shots_fired = troopers[i].shots;
        game.troopers.InsertLast(&squad[i]);
    }
}

}  // namespace

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

const std::vector<Stop> &TourStops()
{
    static const std::string cards(kCards);
    static const std::vector<Stop> tour = {
        {"MainMenu", "", {}, "Banner|Play|Extras|Instructions|Continue|Quit|Embers", nullptr},
        {"PopupLoadGame", "MainMenu", {}, "Yes|No", nullptr},
        {"PlayMenu", "MainMenu", {},
         "Back|Achievements|Play|Leaderboards|CHAPTER1|CHAPTER2|CHAPTER3|EXTRAS|Missions|Row_0|Row_9|ExtrasIntel|"
         "MissionName|MissionDesc|MissionStars|MissionBest|StarTotal",
         nullptr},
        // The extras tab once the first extra field is open.
        {"PlayMenu", "MainMenu", {}, "EXTRAS|ExtrasIntel|Leaderboards|Row_0_Best|MissionBest",
         [] {
             prof->AddTag("features", "DUNE_SURVIVAL");
             prof->SetValue("current_game", "active_chapter", "value", "EXTRAS");
             prof->SetValue("current_game", "active_mission", "value", "DUNE_SURVIVAL");
         }},
        {"Extras", "MainMenu", {}, "Options|Profiles|Leaderboards|Credits|Zedivevor|Back|Developer", nullptr},
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
        // Bought in the shop, the reinforcement is chosen over it.
        {"PickReinforcement", "Shop", {}, "Minigun|Shotgun|Bazooka|Pyro|Sniper|Level", [] { game.money = 2400; }},
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
                  "facebook|custom_gfx_3|custom_gfx_4|Left|Right|TF|Retry|Menu|Leaderboards"),
         [] {
             game.score = 18450;
             GiveSquad();
         }},
        {"LevelLost", "", {}, cards + "|Retry|Quit", GiveSquad},
        {"LevelWon", "", {{"RATING", "3"}}, cards + "|Continue|Star_1|Star_5",
         [] {
             game.star_rating = 3;
             GiveSquad();
         }},
        {"FeatureUnlocked", "", {{"UNLOCK_FEAT_0", "SHOTGUN_TROOPER"}, {"UNLOCK_FEAT_1", "POWERUP_MONEY"}},
         "FeatureIcon_0|FeatureIcon_2|feature_0_selector|feature_2_selector|FeatureCount|FeatureName|FeatureDesc|"
         "FeatureFor|Pick text|Continue",
         nullptr},
        {"Leaderboards", "MainMenu", {},
         "CategoryTitle|NextCategory|PrevCategory|GameCenter|Download|Submit50|Scores|Scissor|TF|Back",
         [] { leaderboards_man.SubmitScore("CAMPAIGN", 23800, 600000); }},
    };
    return tour;
}

void RegisterTourScreens()
{
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
}

void ScreenTourTest::SetUp()
{
    GameTest::SetUp();
    ASSERT_NO_FATAL_FAILURE(CopyProgramDir(ORVEX_CONTENT_DIR));
    // The program lays its screens out for the reference size of prog.xml on any display.
    StartGame(device_width_, device_height_, 1024, 768);
    if (HasFatalFailure())
        return;
    for (const char *file : kShippedData) {
        std::string cmd =
            std::string("cp '") + ORVEX_CONTENT_DIR + "/" + file + "' app/native/" + file + " 2>/dev/null";
        if (system(cmd.c_str()) == 0)
            dman().ReleaseDatabase(file);
    }
    Profile *p = StartMenuServices("Tourist");
    ASSERT_NE(p, nullptr);
    ASSERT_EQ(prof, p);
    ThreeMissionsWon();
    achievement_man.Initialize();
    apptest::draw = DrawStackOnBlack;
}

void ScreenTourTest::TearDown()
{
    apptest::draw = nullptr;
    if (achievement_man.IsInitialized())
        achievement_man.Shutdown();
    StopMenuServices();
    for (const char *file : kShippedData)
        dman().ReleaseDatabase(file);
    GameTest::TearDown();
}

void ScreenTourTest::ThreeMissionsWon()
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

Screen *ScreenTourTest::Find(const char *name)
{
    Screen *s = Screen::GetScreen(name);
    EXPECT_NE(s, nullptr) << name;
    if (s && !s->ui) {
        EXPECT_TRUE(sman.PreloadScreen(s)) << name;
    }
    return s;
}

void ScreenTourTest::Settle(int frames)
{
    for (int i = 0; i < frames; i++) {
        flagmaster.Update(0.05f);
        sman.Update(0.05f);
        DrawFrame();
    }
}

void ScreenTourTest::SettleQuickly(int updates)
{
    for (int i = 0; i < updates; i++) {
        flagmaster.Update(0.05f);
        sman.Update(0.05f);
    }
    DrawFrame();
}

Screen *ScreenTourTest::Show(const Stop &stop, bool quickly)
{
    sman.PopAllScreens();
    // The screens leave with a fade: a screen still leaving cannot be pushed again
    // (the popups over "MainMenu" then showed over nothing).
    for (int i = 0; i < 100 && sman.stack.Count() > 0; i++) {
        if (quickly)
            sman.Update(0.05f);
        else
            Settle(1);
    }
    EXPECT_EQ(sman.stack.Count(), 0) << "screens still leaving";
    if (stop.prepare)
        stop.prepare();
    Screen *s = Find(stop.screen);
    if (!s || !s->ui) {
        ADD_FAILURE() << stop.screen << " has no layout";
        return nullptr;
    }
    for (const auto &m : stop.messages)
        sman.SendScreenMessage(nullptr, s, m.first, m.second);
    if (*stop.under) {
        Screen *under = Find(stop.under);
        if (!under)
            return nullptr;
        sman.PushScreen(under, 0);
        if (quickly)
            SettleQuickly(25);
        else
            Settle();
        EXPECT_TRUE(under->in_stack && !under->leaving) << stop.under << " is not under " << stop.screen;
    }
    sman.PushScreen(s, 0);
    if (quickly)
        SettleQuickly(40);
    else
        Settle();
    Screen *top = sman.PeekScreen(0);
    if (top != s) {
        ADD_FAILURE() << "on top: " << (top && top->name ? top->name : "nothing") << ", not " << stop.screen;
        return nullptr;
    }
    return s;
}

}  // namespace screentest
