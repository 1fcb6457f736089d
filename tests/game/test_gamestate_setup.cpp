// Mission set-up: the defaults of every gameplay key, the values read, waypoints, the
// base and fixed entities, the mission index with the tags it unlocks, the pause
// button's visibility and the developer's warning about the old trooper count.
#include "tests/game/battle_driver.h"

#include "app/services/prog.h"
#include "app/ui/screen-manager.h"
#include "game/entities/entity-types.h"
#include "game/entities/entity.h"
#include "game/entities/stock.h"
#include "game/entities/upgrades.h"
#include "game/scape.h"

#include <math.h>
#include <string.h>

#include <string>

namespace {

using battletest::Array;
using battletest::BattleTest;
using battletest::LevelXml;

std::string Gameplay(const std::string &nodes)
{
    return Array("gameplay", nodes);
}

class SetupTest : public BattleTest {
protected:
    void SetUp() override
    {
        BattleTest::SetUp();
        StartBattleWorld();
    }
    void TearDown() override
    {
        prog.parms.developer_mode = 0;
        BattleTest::TearDown();
    }
};

TEST_F(SetupTest, DefaultsOfEveryGameplayKey)
{
    game.continuous_waves = 0;
    game.money = 77;
    game.score = 12;
    game.game_clock = 5000;
    StartLevel(GAME_MODE_LEVEL, LevelXml(Gameplay("")));
    struct Row {
        const char *what;
        double value;
        double expected;
    } rows[] = {
        {"starting_money", (double)game.money, 0},
        {"num_troopers_at_start", (double)game.troopers_to_pick, 0},
        {"delay_between_waves", game.delay_between_waves, 10.0},
        {"continuous_waves", (double)game.continuous_waves, 0},  // set, then read as absent
        {"grouping_interval", (double)game.grouping_interval, 4},
        {"reinforcement_wave_interval", (double)game.reinforcement_wave_interval, 5},
        {"spawn_num_increase_per_wave", game.spawn_num_increase_per_wave, 0.0},
        {"collector_item_count", (double)game.collector_item_count, 5},
        {"score", (double)game.score, 0},
        {"game clock", (double)game.game_clock, 0},
        {"star rating", (double)game.star_rating, 5},
        {"lowest bunker hit points", game.lowest_bunker_hp, 10000},
        {"wave countdown", game.wave_countdown, 1.0},
        {"between-waves phase", game.between_waves_phase, 1.0},
        {"force-field time", game.force_field_time, 1.0},
        {"boss spawns", (double)game.boss_spawns, 4},
        {"collector timer", game.collector_timer, 40},
        {"collector interval", game.collector_interval, 40},
        {"strike timer", game.strike_timer, 2},
        {"strike interval", game.strike_interval, 2},
        {"score power-up timer", game.score_powerup_timer, 3},
        {"squad size", (double)game.squad_size, (double)upgrades.max_troopers},
        {"money enabled", (double)game.money_enabled, 1},
        {"wave-script position", (double)game.wave_script_pos, 0},
        {"wave-advance state", (double)game.wave_advance_state, 0},
        {"wave nodes", (double)game.num_wave_nodes, 0},
        {"waypoints", (double)game.num_waypoints, 0},
    };
    for (const Row &r : rows)
        EXPECT_DOUBLE_EQ(r.expected, r.value) << r.what;
    EXPECT_EQ(nullptr, game.base);
    EXPECT_EQ(nullptr, game.wave_flags);
    EXPECT_EQ(nullptr, game.wave_banner_text);
    EXPECT_FALSE(game.paused);
}

TEST_F(SetupTest, ValuesReadFromTheLevel)
{
    StartLevel(GAME_MODE_SURVIVAL,
               LevelXml(Gameplay("<node id=\"starting_money\" value=\"250\"/>\n"
                                 "<node id=\"num_troopers_at_start\" value=\"3\"/>\n"
                                 "<node id=\"delay_between_waves\" value=\"4.5\"/>\n"
                                 "<node id=\"continuous_waves\" value=\"TrUe\"/>\n"
                                 "<node id=\"grouping_interval\" value=\"-2\"/>\n"
                                 "<node id=\"reinforcement_wave_interval\" value=\"0\"/>\n"
                                 "<node id=\"spawn_num_increase_per_wave\" value=\"0.2\"/>\n"
                                 "<node id=\"collector_item_count\" value=\"9\"/>")));
    EXPECT_EQ(250, game.money);  // money is enabled before the starting money
    EXPECT_EQ(250, game.money_earned);
    EXPECT_EQ(3, game.troopers_to_pick);
    EXPECT_FLOAT_EQ(4.5f, game.delay_between_waves);
    EXPECT_EQ(1, game.continuous_waves);
    EXPECT_EQ(-2, game.grouping_interval);
    EXPECT_EQ(0, game.reinforcement_wave_interval);
    EXPECT_FLOAT_EQ(0.2f, game.spawn_num_increase_per_wave);
    EXPECT_EQ(9, game.collector_item_count);

    StartLevel(GAME_MODE_SURVIVAL, LevelXml(Gameplay("<node id=\"continuous_waves\" value=\"yes\"/>")));
    EXPECT_EQ(0, game.continuous_waves);
    EXPECT_EQ(0, game.money);
}

TEST_F(SetupTest, OldTrooperCountWarnsDevelopersOnly)
{
    const char *warning = "Mission 'level.xml' has 'num_troopers_at_start' defined. Plz remove and use array "
                          "'starting_troopers' instead.";
    std::string level = LevelXml(Gameplay("<node id=\"num_troopers_at_start\" value=\"2\"/>"));
    prog.parms.developer_mode = 0;
    StartLevel(GAME_MODE_LEVEL, level);
    EXPECT_FALSE(apptest::Logged(warning));
    prog.parms.developer_mode = 1;
    StartLevel(GAME_MODE_LEVEL, level);
    EXPECT_TRUE(apptest::Logged(warning));
    EXPECT_EQ(2, game.troopers_to_pick);
}

TEST_F(SetupTest, SeventeenWaypointsKeepSixteen)
{
    std::string nodes;
    for (int i = 0; i < 17; i++)
        nodes += "<node id=\"" + std::to_string(i + 10) + "\" x=\"" + std::to_string(i * 10) + "\" y=\"5.5\" parent=\"" +
                 std::to_string(i + 9) + "\"/>\n";
    StartLevel(GAME_MODE_LEVEL, LevelXml(Array("ai_points", nodes)));
    EXPECT_EQ(16, game.num_waypoints);
    EXPECT_EQ(25, game.waypoints[15].id);
    EXPECT_EQ(24, game.waypoints[15].parent_id);
    EXPECT_FLOAT_EQ(150.0f, game.waypoints[15].x);
    EXPECT_FLOAT_EQ(5.5f, game.waypoints[15].y);

    StartLevel(GAME_MODE_LEVEL, LevelXml(Array("ai_points", "<node/>")));
    EXPECT_EQ(1, game.num_waypoints);
    EXPECT_EQ(0, game.waypoints[0].id);  // every key absent: 0
    EXPECT_EQ(0, game.waypoints[1].id);  // the rest cleared
}

TEST_F(SetupTest, MissionIndexTable)
{
    struct Case {
        const char *id;
        int index;
    } cases[] = {
        {"MISSION1_6", 6}, {"MISSION1_7", 7}, {"MISSION2_1", 11}, {"MISSION3_10", 30},
        {"MISSION1_6_EXTRA", 6}, {"MISSION4", 30}, {"", -10}, {nullptr, -10}, {"MISSION_5", -5},
    };
    for (const Case &c : cases)
        EXPECT_EQ(c.index, GetMissionIndex(c.id)) << (c.id ? c.id : "null");
}

TEST_F(SetupTest, ProgressUnlocksTacticalModeAndPrimaryTargets)
{
    struct Case {
        const char *mission;
        const char *chapter;
        bool tactical;
        bool primary;
    } cases[] = {
        {"MISSION1_3", "CHAPTER1", false, false},
        {"MISSION1_4", "CHAPTER1", false, true},
        {"MISSION1_6", "CHAPTER1", false, true},  // unlocked two seconds in
        {"MISSION1_7", "CHAPTER1", true, true},
        {"MISSION9_9", "EXTRAS", true, true},
        {"", "EXTRAS", true, true},
    };
    for (const Case &c : cases) {
        profile.RemoveCategory("features");
        StartLevel(GAME_MODE_LEVEL, LevelXml(""), c.mission, c.chapter);
        EXPECT_EQ(c.tactical, profile.TagExists("features", "TACTICAL_MODE")) << c.mission;
        EXPECT_EQ(c.primary, profile.TagExists("features", "PRIMARY_TARGET")) << c.mission;
    }

    // MISSION1_6: tactical mode arrives once the clock passes two seconds.
    profile.RemoveCategory("features");
    StartLevel(GAME_MODE_LEVEL, LevelXml(""), "MISSION1_6", "CHAPTER1");
    game.game_clock = 2000;
    game.Update(0.0f);
    EXPECT_FALSE(profile.TagExists("features", "TACTICAL_MODE"));
    game.game_clock = 2001;
    game.Update(0.0f);
    EXPECT_TRUE(profile.TagExists("features", "TACTICAL_MODE"));
}

TEST_F(SetupTest, PauseTimeVisibility)
{
    UIComp *pause = AddComp(battle, "PauseTime", 0, 0, 10, 10);
    UIComp *highlight = AddComp(battle, "PauseTimeHighlight", 0, 0, 10, 10);
    struct Case {
        bool tactical;
        bool taught;
        bool visible;
        float highlight_alpha;
    } cases[] = {
        {false, false, false, 0.0f},
        {true, false, false, 0.0f},
        {false, true, false, 0.0f},
        {true, true, true, 1.0f},
    };
    for (const Case &c : cases) {
        profile.RemoveCategory("features");
        profile.RemoveCategory("tutorials_completed");
        if (c.tactical)
            profile.AddTag("features", "TACTICAL_MODE");
        if (c.taught)
            profile.AddTag("tutorials_completed", "TACTICAL");
        pause->visible = !c.visible;
        pause->alpha = 0.3f;
        highlight->visible = true;
        StartLevel(GAME_MODE_LEVEL, LevelXml(""), "MISSION1_1", "CHAPTER1");
        EXPECT_EQ(c.visible, pause->visible);
        EXPECT_FLOAT_EQ(1.0f, pause->alpha);
        EXPECT_FALSE(highlight->visible);
        EXPECT_FLOAT_EQ(c.highlight_alpha, highlight->alpha);
    }
}

TEST_F(SetupTest, BaseStructureFromTheEnvironment)
{
    WriteEntities(std::string(battletest::kBattleTypes) +
                  "<node id=\"BaseLauncher\" type=\"Structure\" flags=\"NORMAL\" friend_group=\"PLAYERS\""
                  " radius=\"30\" hit_points=\"800\"/>");
    struct Case {
        const char *node;
        const char *base_type;
        bool placed;
        float x, y;
    } cases[] = {
        {"<node id=\"bunker\" x=\"900\" y=\"400\"/>", "BaseBunker", true, 900, 400},
        {"<node id=\"bunker\" x=\"700\" type=\"bunker\"/>", "BaseBunker", true, 700, 0},  // no y: 0
        {"<node id=\"bunker\" y=\"400\"/>", "BaseBunker", false, 0, 0},                  // no x: no base
        {"<node id=\"bunker\" x=\"600\" y=\"300\" type=\"launcher\"/>", "BaseLauncher", true, 600, 300},
        {"<node id=\"bunker\" x=\"600\" y=\"300\" type=\"castle\"/>", "BaseLauncher", true, 600, 300},  // kept
        {"<node id=\"bunker\" x=\"600\" y=\"300\" type=\"powerplant\"/>", "BasePowerPlant", false, 0, 0},
    };
    for (const Case &c : cases) {
        StartLevel(GAME_MODE_LEVEL, LevelXml(Array("environment", c.node)));
        EXPECT_STREQ(c.base_type, game.base_type) << c.node;
        ASSERT_EQ(c.placed, game.base != nullptr) << c.node;
        if (c.placed) {
            EXPECT_FLOAT_EQ(c.x, game.base->pos.x);
            EXPECT_FLOAT_EQ(c.y, game.base->pos.y);
        }
    }
}

TEST_F(SetupTest, FixedEntitiesAndMedTents)
{
    std::string level = LevelXml(Array("entities",
                                       "<node type=\"MedTent\" x=\"100\" y=\"200\" angle=\"90\" scale=\"2\"/>\n"
                                       "<node type=\"MedTent\" x=\"300\" y=\"200\" scale=\"0\"/>\n"
                                       "<node type=\"Nobody\" x=\"400\" y=\"200\" angle=\"45\"/>\n"
                                       "<node type=\"Trooper\" x=\"500\" y=\"200\" scale=\"-1\"/>"));
    StartLevel(GAME_MODE_DEFEND_THE_FLAG, level);
    EXPECT_EQ(2, game.medtent_count);
    Entity *found[8];
    int n = world->QueryEntitiesInFriendGroup(Entity::NORMAL, Entity::PLAYERS, found, 8);
    ASSERT_EQ(3, n);  // the unknown type is skipped
    EXPECT_NEAR(1.5707963f, found[0]->angle, 1e-6f);
    EXPECT_FLOAT_EQ(2.0f, found[0]->scale);
    EXPECT_FLOAT_EQ(1.0f, found[1]->scale);  // 0 keeps the type's scale
    EXPECT_FLOAT_EQ(1.0f, found[2]->scale);  // negative too

    StartLevel(GAME_MODE_LEVEL, level);
    EXPECT_EQ(0, game.medtent_count);  // counted only when defending the flag
}

TEST_F(SetupTest, WaveCountsAndTheGamesOwnRecord)
{
    std::string level = LevelXml(Array("waves",
                                       "<node type=\"WAVE_START\"/>\n<node type=\"SPAWN\"/>\n"
                                       "<node type=\"SPAWN, WAVE_START\"/>\n<node type=\"WAVE_STARTER\"/>\n"
                                       "<node type=\"X;WAVE_START\"/>\n<node/>"));
    StartLevel(GAME_MODE_LEVEL, level, "MISSION1_2", "CHAPTER1");
    EXPECT_EQ(6, game.num_wave_nodes);
    EXPECT_EQ(3, game.num_waves);
    // The resume road passes the game's own record.
    game.InitNewGame(&game.parms);
    EXPECT_STREQ("level.xml", game.parms.level_file);
    EXPECT_STREQ("MISSION1_2", game.parms.mission_id);
    EXPECT_EQ(6, game.num_wave_nodes);
}

TEST_F(SetupTest, NewMissionDropsThePreviousTroopersPaths)
{
    std::string level = LevelXml(Array("environment", "<node id=\"bunker\" x=\"900\" y=\"400\"/>"));
    StartLevel(GAME_MODE_LEVEL, level);
    Entity *t = game.SpawnReinforcementTrooper(world->stock->GetEntityType("Trooper"), 0);
    ASSERT_NE(nullptr, t);
    ASSERT_NE(nullptr, t->path);
    StartLevel(GAME_MODE_LEVEL, level);
    EXPECT_EQ(0, game.troopers.Count());
    EXPECT_EQ(0, game.living_troopers);
}

}  // namespace
