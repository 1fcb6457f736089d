// Whole battles in the battle screen's frame order with fixture types: a LEVEL mission
// from the first save through its waves to "LevelWon", losses to "LevelLost" and to
// "GameOver" with the score submitted, the COLLECTOR and INCOMING timers, artillery,
// the tactical pause, reinforcement waves, revivals and very long battles.
#include "tests/game/battle_driver.h"

#include "app/services/dataman.h"
#include "app/ui/screen-manager.h"
#include "game/entities/entity-types.h"
#include "game/entities/entity.h"
#include "game/entities/stock.h"
#include "game/scape.h"
#include "game/spawn-manager.h"
#include "online/leaderboards-manager.h"

#include <math.h>
#include <string.h>

#include <string>
#include <vector>

namespace {

using battletest::Array;
using battletest::BattleFrame;
using battletest::BattleTest;
using battletest::LevelXml;

const float kDt = 1.0f / 20.0f;

// Sounds asked for by name, in order (the engine's lookup, recorded).
std::vector<std::string> sounds;
ov_sound_t *RecordSound(const char *name)
{
    sounds.push_back(name ? name : "");
    return nullptr;
}

const std::string kBunker = Array("environment", "<node id=\"bunker\" x=\"900\" y=\"384\"/>");
const std::string kSquad = Array("starting_troopers", "<node type=\"Trooper\"/>\n<node type=\"Trooper\"/>");
const std::string kPowerups = Array("powerups",
                                    "<node id=\"PowerupScore\" pos_x=\"0.5\" pos_y=\"0.5\" spread=\"200\"/>\n"
                                    "<node id=\"PowerupHealth\" pos_x=\"0.3\" pos_y=\"0.5\" spread=\"200\"/>\n"
                                    "<node id=\"PowerupSuperWeapon\" pos_x=\"0.7\" pos_y=\"0.5\" spread=\"200\"/>");

class BattleRun : public BattleTest {
protected:
    void SetUp() override
    {
        BattleTest::SetUp();
        StartBattleWorld();
        sounds.clear();
        ov->OV_GetSound = RecordSound;  // the fixture restores the engine's table
    }
    void TearDown() override
    {
        leaderboards_man.Reset();
        BattleTest::TearDown();
    }
    bool Played(const std::string &name)
    {
        for (const std::string &s : sounds)
            if (s == name)
                return true;
        return false;
    }
    int CountOfType(const char *name)
    {
        return world->GetNumberOfEntitiesOfType(world->stock->GetEntityType(name));
    }
    // Runs frames until the named screen is on top, closing every achievement notice
    // that comes up first (as the player does) and recording its id. The seconds of
    // frames run, or -1 when the screen did not come within the limit.
    float RunToScreen(const char *name, float limit, std::vector<std::string> *notices = nullptr)
    {
        float waited = 0.0f;
        while (waited < limit) {
            if (OnTop("AchievementUnlocked")) {
                if (notices) {
                    std::vector<std::string> msgs = uitest::CallsOf("AchievementUnlocked:Message");
                    notices->push_back(msgs.empty() ? "" : msgs.back());
                }
                sman.PopScreen("AchievementUnlocked");
                Steps(1, 0.0f);
            }
            if (OnTop(name))
                return waited;
            BattleFrame(kDt, true);
            waited += kDt;
        }
        return OnTop(name) ? waited : -1.0f;
    }
    size_t QueuedOfType(const char *name)
    {
        size_t n = 0;
        EntityType *type = world->stock->GetEntityType(name);
        for (SpawnInfo *s = world->spawn_manager->queue_head; s; s = s->next)
            n += s->type == type;
        return n;
    }
};

TEST_F(BattleRun, LevelMissionFromTheFirstSaveToLevelWon)
{
    StartLevel(GAME_MODE_LEVEL,
               LevelXml(kBunker + kSquad +
                        Array("waves",
                              "<node type=\"WAVE_START\" text=\"First wave\"/>\n"
                              "<node type=\"SPAWN\" spawn_type=\"Alien\" num=\"2\" pos_x=\"0.2\" pos_y=\"0.5\"/>\n"
                              "<node type=\"WAVE_START\" text=\"Last wave\"/>\n"
                              "<node type=\"SPAWN\" spawn_type=\"Alien\" num=\"1\" pos_x=\"0.2\" pos_y=\"0.3\"/>")));
    profile.SetValue("current_game", "times_lost", "value", "3");

    // First frame: the arming messages and the first save.
    BattleFrame(kDt);
    std::vector<std::string> arm = uitest::CallsOf("ArmTroopers:Message");
    ASSERT_EQ(5u, arm.size());
    EXPECT_EQ("ArmTroopers:Message null 0 Trooper", arm[0]);
    EXPECT_EQ("ArmTroopers:Message null 2 ", arm[2]);
    EXPECT_TRUE(uitest::CallsOf("ArmTroopers:Enter").empty());  // no upgrades to arm
    EXPECT_EQ(1, game.wave_advance_state);
    EXPECT_FLOAT_EQ(0.0f, game.between_waves_phase);
    EXPECT_EQ(0, game.wave_number);

    // Second frame: the squad arrives.
    BattleFrame(kDt);
    EXPECT_EQ(1, game.starting_troopers_placed);
    EXPECT_EQ(2, game.living_troopers);

    // The countdown of one second, then the first wave queued 1100 ms ahead.
    ASSERT_TRUE(RunUntil([] { return game.wave_number == 1; }, 2.0f));
    EXPECT_GT(game.game_clock, 900u);
    ASSERT_NE(nullptr, world->spawn_manager->queue_head);
    EXPECT_EQ(world->spawn_manager->clock + 1100, world->spawn_manager->queue_head->time);
    EXPECT_STREQ("First wave", game.wave_banner_text);
    EXPECT_GT(game.wave_banner_phase, 0.0f);
    EXPECT_FALSE(Played("sfx/wave_starts"));
    ASSERT_TRUE(RunUntil([] { return game.wave_sound_played != 0; }, 1.0f));
    EXPECT_TRUE(Played("sfx/wave_starts"));
    EXPECT_FALSE(Played("sfx/final_wave"));

    // The enemies arrive; the script waits for them well past the banner.
    Frames(200, kDt, 25);
    EXPECT_EQ(2, LivingEnemies());
    EXPECT_EQ(1, game.wave_number);
    EXPECT_FLOAT_EQ(0.0f, game.wave_banner_phase);
    EXPECT_FALSE(game.won);

    EXPECT_FALSE(game.GameStateExists());  // the first save came before saving was allowed
    KillEnemies();
    ASSERT_TRUE(RunUntil([] { return game.wave_number == 2; }, 2.0f));
    EXPECT_TRUE(game.GameStateExists());  // saved between the waves
    EXPECT_STREQ("Last wave", game.wave_banner_text);
    ASSERT_TRUE(RunUntil([] { return game.wave_sound_played != 0; }, 1.0f));
    EXPECT_TRUE(Played("sfx/final_wave"));
    ASSERT_TRUE(RunUntil([this] { return LivingEnemies() == 1 && game.wave_banner_phase == 0.0f; }, 5.0f));
    Frames(20, kDt);
    EXPECT_FALSE(game.won);

    // The field clears: won at once, "LevelWon" three seconds later.
    KillEnemies();
    BattleFrame(kDt);
    EXPECT_TRUE(game.won);
    // The achievement notice the win earned holds the end screen until it is closed.
    std::vector<std::string> notices;
    float waited = RunToScreen("LevelWon", 6.0f, &notices);
    EXPECT_NEAR(3.0f, waited, 2.5f * kDt);
    ASSERT_FALSE(notices.empty());
    EXPECT_EQ("AchievementUnlocked:Message null unlock_item not_a_scratch", notices[0]);
    EXPECT_STREQ("0", profile.GetValue("current_game", "times_lost", "value"));
    // Kept: the end screen deletes it once it has saved the win (here a probe screen).
    EXPECT_TRUE(game.GameStateExists());
    EXPECT_EQ(1, game.stats.missions_finished);
    EXPECT_EQ(0, game.saving_allowed);
    EXPECT_EQ(5, game.star_rating);
    Frames(20, kDt);
    EXPECT_EQ(1u, uitest::CallsOf("LevelWon:Enter").size());
}

TEST_F(BattleRun, ArmingScreenComesFirstWhenTheSquadHasUpgrades)
{
    apptest::WriteFile("shop.xml", gametest::XmlArray("Upgrades", "<node id=\"REARM_Trooper_Laser\" "
                                                                   "upgraded_ent_types=\"Trooper\"/>"));
    dman().ReleaseDatabase("shop.xml");
    profile.AddTag("features", "REARM_Trooper_Laser");
    StartLevel(GAME_MODE_LEVEL, LevelXml(kBunker + kSquad));
    BattleFrame(kDt);
    EXPECT_EQ(5u, uitest::CallsOf("ArmTroopers:Message").size());
    EXPECT_TRUE(OnTop("ArmTroopers"));
    Frames(10);
    EXPECT_EQ(0, game.starting_troopers_placed);  // the battle waits under the arming screen
    EXPECT_EQ(0, game.troopers.Count());
    sman.PopScreen("ArmTroopers");
    Steps(1, 0.0f);
    BattleFrame(kDt);
    EXPECT_EQ(1, game.starting_troopers_placed);
    EXPECT_EQ(2, game.living_troopers);
    EXPECT_EQ(5u, uitest::CallsOf("ArmTroopers:Message").size());  // sent once
}

TEST_F(BattleRun, WaitsAndTutorialsHoldTheScript)
{
    StartLevel(GAME_MODE_LEVEL,
               LevelXml(kBunker + kSquad +
                        Array("waves", "<node type=\"WAVE_START\" delay=\"2\"/>\n"
                                       "<node type=\"SPAWN\" spawn_type=\"Alien\"/>")));
    ASSERT_TRUE(RunUntil([] { return game.wave_number == 1; }, 2.0f));
    EXPECT_FLOAT_EQ(2.0f, game.script_wait);  // the node's wait: the banner stands still
    float banner = game.wave_banner_phase;
    Frames(20);  // one second
    EXPECT_NEAR(1.0f, game.script_wait, 1e-3f);
    EXPECT_FLOAT_EQ(banner, game.wave_banner_phase);
    Frames(21);
    EXPECT_FLOAT_EQ(0.0f, game.script_wait);

    // A shown tutorial that pauses waves halts the whole flow, the wait included.
    game.script_wait = 1.0f;
    game.tutorial_shown = 1;
    game.tutorial_pauses_waves = 1;
    Frames(20);
    EXPECT_FLOAT_EQ(1.0f, game.script_wait);
    game.tutorial_pauses_waves = 0;
    Frames(1);
    EXPECT_LT(game.script_wait, 1.0f);
}

TEST_F(BattleRun, LevelLossShowsLevelLostAfterThreeSecondsOfBattle)
{
    struct Case {
        const char *times_lost;  // before
        const char *after;
    } cases[] = {{nullptr, "1"}, {"4", "5"}};
    for (const Case &c : cases) {
        StartLevel(GAME_MODE_LEVEL,
                   LevelXml(kBunker + kSquad +
                            Array("waves", "<node type=\"WAVE_START\"/>\n<node type=\"SPAWN\" spawn_type=\"Alien\"/>")));
        profile.RemoveCategory("current_game");
        if (c.times_lost)
            profile.SetValue("current_game", "times_lost", "value", c.times_lost);
        int finished = game.stats.missions_finished;
        g_battle_enter_phase = 1;  // a resumed battle: play clears the phase
        Frames(3);
        EXPECT_EQ(0, g_battle_enter_phase);
        KillTroopers();
        BattleFrame(kDt);
        EXPECT_TRUE(game.lost);
        // The end of a lost battle keeps whatever phase the leaving message sets.
        g_battle_enter_phase = 2;
        Steps(1, 0.0f);
        EXPECT_EQ(2, g_battle_enter_phase);
        EXPECT_TRUE(game.lost_no_troopers);
        EXPECT_STREQ("GameLost", game.end_condition);

        // Another screen over the battle: the timer stands still.
        sman.PushScreen("PickReinforcement", 0);
        Frames(100);
        EXPECT_FALSE(OnTop("LevelLost"));
        sman.PopScreen("PickReinforcement");
        Steps(1, 0.0f);
        ASSERT_TRUE(OnTop("Game"));
        float waited = RunToScreen("LevelLost", 6.0f);
        EXPECT_NEAR(3.0f, waited, 2.5f * kDt);
        EXPECT_STREQ(c.after, profile.GetValue("current_game", "times_lost", "value"));
        EXPECT_EQ(finished + 1, game.stats.missions_finished);
        sman.PopScreen("LevelLost");
        Steps(1, 0.0f);
    }
}

TEST_F(BattleRun, SurvivalLossSubmitsTheScoreAndShowsGameOver)
{
    StartLevel(GAME_MODE_SURVIVAL,
               LevelXml(kBunker + kSquad + Array("waves", "<node type=\"WAVE_START\"/>\n<node type=\"SPAWN\" spawn_type=\"Alien\"/>")),
               "MISSION9_2", "EXTRAS");
    Frames(3);
    game.score = 1234;
    KillTroopers();
    BattleFrame(kDt);
    EXPECT_GT(RunToScreen("GameOver", 6.0f), 2.9f);
    std::vector<std::string> msgs = uitest::CallsOf("GameOver:Message");
    ASSERT_EQ(1u, msgs.size());
    EXPECT_EQ("GameOver:Message null EndCondition GameLost", msgs[0]);
    // The submission: the mission id as category, the score and the game clock.
    EXPECT_STREQ("1234", profile.GetValue("BEST_SCORES", "MISSION9_2", "points"));
    EXPECT_EQ(std::to_string(game.game_clock), profile.GetValue("BEST_SCORES", "MISSION9_2", "duration"));
    EXPECT_EQ(nullptr, profile.GetValue("current_game", "times_lost", "value"));  // only LEVEL counts
}

TEST_F(BattleRun, DefendTheFlagIsLostWithoutMedTents)
{
    StartLevel(GAME_MODE_DEFEND_THE_FLAG, LevelXml(kBunker));
    BattleFrame(kDt);
    EXPECT_TRUE(game.lost);
    EXPECT_FALSE(game.lost_no_troopers);

    StartLevel(GAME_MODE_DEFEND_THE_FLAG,
               LevelXml(kBunker + Array("entities", "<node type=\"MedTent\" x=\"300\" y=\"300\"/>")));
    Frames(10);
    EXPECT_FALSE(game.lost);
}

TEST_F(BattleRun, CollectorDropsEveryFortySeconds)
{
    StartLevel(GAME_MODE_COLLECTOR, LevelXml(kBunker + kPowerups));
    float dt = 0.25f;
    for (int i = 0; i < 159; i++)  // 39.75 s
        BattleFrame(dt, false);
    EXPECT_EQ(0, CountOfType("PowerupSuperWeapon") + (int)QueuedOfType("PowerupSuperWeapon"));
    Frames(2, dt);
    EXPECT_EQ(1, CountOfType("PowerupSuperWeapon") + (int)QueuedOfType("PowerupSuperWeapon"));
    EXPECT_EQ(1, CountOfType("PowerupHealth") + (int)QueuedOfType("PowerupHealth"));
    EXPECT_NEAR(40.0f - 0.25f, game.collector_timer, 1e-3f);
}

TEST_F(BattleRun, IncomingMarkersStrikesAndScoreDrops)
{
    StartLevel(GAME_MODE_INCOMING,
               LevelXml(kBunker + kPowerups + Array("gameplay", "<node id=\"collector_item_count\" value=\"2\"/>")));
    float dt = 0.1f;
    // The first marker two seconds in, at a free point, with three seconds to go.
    ASSERT_TRUE(RunUntil([] { return game.strike_markers[0].active != 0; }, 2.5f, dt));
    EXPECT_FLOAT_EQ(2.0f * 0.99f, game.strike_interval);
    GameStrikeMarker first = game.strike_markers[0];
    EXPECT_GT(first.x, 0.0f);
    EXPECT_LT(first.x, 1024.0f);
    // It falls three seconds later: nine strike records at once.
    ASSERT_TRUE(RunUntil([] { return game.strikes.Count() > 0; }, 3.5f, dt));
    EXPECT_EQ(9, game.strikes.Count());
    EXPECT_FLOAT_EQ(first.x, game.strikes[0]->x);
    EXPECT_FLOAT_EQ(50.0f / 1.5f, game.strikes[0]->radius);
    EXPECT_FLOAT_EQ(100.0f * 0.125f, game.strikes[0]->damage);
    // Score pick-ups every three seconds while the count lasts.
    EXPECT_EQ(1, game.collector_item_count);
    ASSERT_TRUE(RunUntil([] { return game.collector_item_count == 0; }, 1.5f, dt));
    EXPECT_NEAR(6.0f, game.game_clock / 1000.0f, 2.5f * dt);
    EXPECT_EQ(2, CountOfType("PowerupScore") + (int)QueuedOfType("PowerupScore"));
    EXPECT_FALSE(Played("sfx/wave_starts"));

    // The interval shrinks by 1 % per strike down to just under half a second.
    std::vector<float> seen;
    for (int i = 0; i < 3000 && game.strike_interval > 0.5f; i++) {
        float before = game.strike_interval;
        BattleFrame(0.05f, false);
        if (game.strike_interval != before) {
            EXPECT_NEAR(before * 0.99f, game.strike_interval, 1e-5f);
            seen.push_back(game.strike_interval);
        }
    }
    EXPECT_LE(game.strike_interval, 0.5f);
    EXPECT_GT(game.strike_interval, 0.5f * 0.99f);
    float last = game.strike_interval;
    Frames(100, 0.05f);
    EXPECT_FLOAT_EQ(last, game.strike_interval);
}

TEST_F(BattleRun, ArtilleryDeliversNineBlasts)
{
    StartLevel(GAME_MODE_LEVEL, LevelXml(kBunker + kSquad));
    Frames(3);
    Entity *alien = world->SpawnEntity(world->stock->GetEntityType("Alien"), vec2_t{400, 400});
    alien->hit_points = 10000.0f;
    game.artillery_x = 400.0f;
    game.artillery_y = 400.0f;
    game.artillery_timer = 0.001f;
    ASSERT_TRUE(RunUntil([] { return game.strikes.Count() > 0; }, 3.5f));
    EXPECT_EQ(9, game.strikes.Count());
    EXPECT_FLOAT_EQ(0.0f, game.artillery_timer);
    EXPECT_FLOAT_EQ(400.0f, game.strikes[0]->x);
    EXPECT_FLOAT_EQ(0.01f, game.strikes[0]->timer);
    for (int i = 1; i < 9; i++) {
        EXPECT_LE(fabsf(game.strikes[i]->x - 400.0f), 25.0f);
        EXPECT_GE(game.strikes[i]->timer, 0.1f);
        EXPECT_FLOAT_EQ(game.strikes[i]->timer, game.strikes[i]->second_timer);
    }
    ASSERT_TRUE(RunUntil([] { return game.strikes.Count() == 0; }, 2.0f));
    EXPECT_LT(alien->hit_points, 10000.0f);
}

TEST_F(BattleRun, StrikeOfExactlyZeroBlasts)
{
    StartLevel(GAME_MODE_LEVEL, LevelXml(kBunker));
    GameStrike *s = new GameStrike{100.0f, 100.0f, 0.0f, 0.0f, 10.0f, 5.0f};
    game.strikes.InsertLast(s);
    BattleFrame(kDt);
    EXPECT_EQ(0, game.strikes.Count());
}

TEST_F(BattleRun, PauseStopsEveryTimerButTheFade)
{
    StartLevel(GAME_MODE_COLLECTOR, LevelXml(kBunker + kPowerups));
    Frames(20);
    game.SetPause(true);
    float collector = game.collector_timer;
    uint32_t clock = world->spawn_manager->clock;
    uint32_t game_clock = game.game_clock;
    float countdown = game.wave_countdown;
    Frames(40);
    EXPECT_FLOAT_EQ(collector, game.collector_timer);
    EXPECT_EQ(clock, world->spawn_manager->clock);
    EXPECT_EQ(game_clock, game.game_clock);
    EXPECT_FLOAT_EQ(countdown, game.wave_countdown);
    EXPECT_FLOAT_EQ(1.0f, game.pause_fade);
    game.SetPause(false);
    BattleFrame(kDt);
    EXPECT_FLOAT_EQ(1.0f - 4.0f * kDt, game.pause_fade);
    EXPECT_LT(game.collector_timer, collector);
}

TEST_F(BattleRun, SurvivalReinforcementWaves)
{
    StartLevel(GAME_MODE_SURVIVAL,
               LevelXml(kBunker + kSquad + kPowerups +
                        Array("gameplay", "<node id=\"continuous_waves\" value=\"true\"/>\n"
                                          "<node id=\"delay_between_waves\" value=\"0.5\"/>") +
                        Array("waves", "<node type=\"WAVE_START\" text=\"Wave\"/>\n"
                                       "<node type=\"SPAWN\" spawn_type=\"Alien\" pos_x=\"0.1\" pos_y=\"0.1\"/>")));
    ASSERT_TRUE(RunUntil([] { return game.wave_number == 5; }, 30.0f));
    EXPECT_TRUE(game.reinforcement_wave_pending);
    world->KillEntity(game.troopers[1], nullptr, false);  // one trooper down: it comes back
    world->spawn_manager->ClearSpawnList();
    KillEnemies();
    ASSERT_TRUE(RunUntil([] { return game.reinforcement_wave_pending == 0; }, 5.0f));
    EXPECT_STREQ("Reinforcements", game.wave_banner_text);
    EXPECT_EQ(5, game.wave_number);
    // Two random drops and one score drop per whole five waves.
    size_t drops = QueuedOfType("PowerupScore") + QueuedOfType("PowerupHealth") + QueuedOfType("PowerupSuperWeapon");
    EXPECT_EQ(3u, drops);
    EXPECT_GE(QueuedOfType("PowerupScore"), 1u);
    // One trooper revived in the next frame.
    EXPECT_EQ(1, game.pending_reinforcements);
    ASSERT_TRUE(RunUntil([] { return game.living_troopers == 2; }, 1.0f));
    EXPECT_EQ(0, game.pending_reinforcements);
    EXPECT_TRUE(game.troopers[1]->IsAlive());
    EXPECT_EQ(2, game.troopers_spawned);
    // The wave itself when its countdown ends.
    ASSERT_TRUE(RunUntil([] { return game.wave_number == 6; }, 10.0f));
    EXPECT_STREQ("Wave", game.wave_banner_text);
}

TEST_F(BattleRun, LongSurvivalStaysBounded)
{
    StartLevel(GAME_MODE_SURVIVAL,
               LevelXml(kBunker + kSquad +
                        Array("gameplay", "<node id=\"continuous_waves\" value=\"true\"/>\n"
                                          "<node id=\"delay_between_waves\" value=\"0\"/>\n"
                                          "<node id=\"reinforcement_wave_interval\" value=\"0\"/>\n"
                                          "<node id=\"grouping_interval\" value=\"0\"/>\n"
                                          "<node id=\"spawn_num_increase_per_wave\" value=\"0.2\"/>") +
                        Array("waves", "<node type=\"WAVE_START\"/>\n"
                                       "<node type=\"SPAWN\" spawn_type=\"Alien\" interval=\"0\" pos_edge=\"-4\"/>")));
    Frames(5);
    game.random_wave_counter = 499;
    game.wave_number = 499;
    Frames(200, kDt, 50);
    EXPECT_GT(game.wave_number, 500);
    EXPECT_FALSE(game.reinforcement_wave_pending);
    EXPECT_LE(world->GetNumberOfEntitiesInFriendGroup(Entity::ENEMIES), world->stock->num_entities);
}

}  // namespace
