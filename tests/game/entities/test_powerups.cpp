// The power-up table: loading "powerups.xml" (16 records, nodes without id skipped,
// effects kept when absent), lookup, the level number of a mission id, and the weighted
// choice with every refusal rule by game mode and state.
#include "tests/game/entities/test_weapons_fixture.h"

#include "game/entities/entity.h"
#include "game/entities/powerups.h"
#include "game/entities/upgrades.h"
#include "game/gamestate.h"

#include <string.h>

#include <string>
#include <vector>

using namespace contenttest;

namespace {

void WritePowerups(const std::vector<std::string> &nodes)
{
    std::string text = "<?xml version=\"1.0\"?>\n<root>\n<array id=\"powerups\">\n";
    for (const std::string &n : nodes)
        text += "<node " + n + " />\n";
    text += "</array>\n</root>\n";
    apptest::WriteFile("powerups.xml", text);
}

// The game state's fields these rules read, back to a neutral battle after each test.
void ResetGameFields()
{
    game.parms.game_mode = GAME_MODE_SURVIVAL;
    strcpy(game.parms.mission_id, "MISSION1_1");
    game.base = nullptr;
    game.troopers.Clear();
    game.artillery_timer = 0.0f;
    game.artillery_aiming = 0;
    upgrades = Upgrades();
}

class PowerupsTest : public ContentTest {
protected:
    void SetUp() override
    {
        ContentTest::SetUp();
        ResetGameFields();
    }
    void TearDown() override
    {
        ResetGameFields();
        ContentTest::TearDown();
    }
};

TEST_F(PowerupsTest, SeventeenNodesLoadSixteenRecords)
{
    std::vector<std::string> nodes;
    nodes.push_back("name=\"no id\" rarity=\"5\"");
    for (int i = 0; i < 17; i++)
        nodes.push_back("id=\"P" + std::to_string(i) + "\"");
    WritePowerups(nodes);
    EXPECT_TRUE(Powerup::LoadPowerups());
    EXPECT_EQ(Count(Printed(), "Loading Powerups...\n"), 1);
    ASSERT_EQ(Powerup::num_powerups, 16);
    EXPECT_STREQ(Powerup::powerups[0].id, "P0");
    EXPECT_STREQ(Powerup::powerups[15].id, "P15");
    EXPECT_EQ(Powerup::GetPowerup("P16"), nullptr);
    // Defaults of a node with only its id.
    const Powerup &p = Powerup::powerups[3];
    EXPECT_STREQ(p.name, "");
    EXPECT_EQ(p.icon, nullptr);
    EXPECT_EQ(p.fx_picked, nullptr);
    EXPECT_EQ(p.fx_activate, nullptr);
    EXPECT_EQ(p.rarity, 10);
    EXPECT_EQ(p.min_level, 0);
}

TEST_F(PowerupsTest, KeysAndReloadKeepingEffects)
{
    apptest::WriteFile("fxs/picked.lua", "FXParm ('num_parts', 1)");
    apptest::WriteFile("fxs/heal.lua", "FXParm ('num_parts', 2)");
    WritePowerups({
        "id=\"POWERUP_HEALTH\" name=\"Medkit\" icon=\"gfx/medkit.png\" fx_picked=\"fxs/picked.lua\" "
        "fx_activate=\"fxs/heal.lua\" rarity=\"7.9\" min_level=\"4.2\"",
        "id=\"POWERUP_MONEY\" rarity=\"-3\"",
    });
    ASSERT_TRUE(Powerup::LoadPowerups());
    Powerup *health = Powerup::GetPowerup("POWERUP_HEALTH");
    ASSERT_NE(health, nullptr);
    EXPECT_EQ(health, &Powerup::powerups[0]);
    EXPECT_STREQ(health->name, "Medkit");
    EXPECT_EQ(health->icon, ov->OV_GetBitmap("gfx/medkit.png"));
    EXPECT_EQ(health->fx_picked, pbman.GetFX("fxs/picked.lua"));
    EXPECT_EQ(health->fx_activate, pbman.GetFX("fxs/heal.lua"));
    EXPECT_NE(health->fx_picked, nullptr);
    EXPECT_EQ(health->rarity, 7);
    EXPECT_EQ(health->min_level, 4);
    EXPECT_EQ(Powerup::GetPowerup("POWERUP_MONEY")->rarity, -3);
    EXPECT_EQ(Powerup::GetPowerup("POWERUP_HEAL"), nullptr);
    EXPECT_EQ(Powerup::GetPowerup(nullptr), nullptr);

    // A second load refills the table; effects absent from a node stay as they were.
    fx_t *picked = health->fx_picked;
    fx_t *activate = health->fx_activate;
    dman().ReleaseAllDatabases();
    WritePowerups({"id=\"POWERUP_SCORE\" rarity=\"1\""});
    ASSERT_TRUE(Powerup::LoadPowerups());
    ASSERT_EQ(Powerup::num_powerups, 1);
    EXPECT_STREQ(Powerup::powerups[0].id, "POWERUP_SCORE");
    EXPECT_STREQ(Powerup::powerups[0].name, "");
    EXPECT_EQ(Powerup::powerups[0].fx_picked, picked);
    EXPECT_EQ(Powerup::powerups[0].fx_activate, activate);
    EXPECT_EQ(Powerup::powerups[0].icon, nullptr);
    EXPECT_EQ(Powerup::GetPowerup("POWERUP_HEALTH"), nullptr);
}

TEST_F(PowerupsTest, MissingFileOrArrayLeavesTheTable)
{
    WritePowerups({"id=\"POWERUP_MONEY\""});
    ASSERT_TRUE(Powerup::LoadPowerups());
    dman().ReleaseAllDatabases();
    apptest::WriteFile("powerups.xml",
                       "<?xml version=\"1.0\"?>\n<root><array id=\"other\"><node id=\"X\" /></array></root>");
    EXPECT_FALSE(Powerup::LoadPowerups());
    EXPECT_EQ(Powerup::num_powerups, 1);
    EXPECT_NE(Powerup::GetPowerup("POWERUP_MONEY"), nullptr);
    EXPECT_EQ(Count(Printed(), "Loading Powerups...\n"), 2);

    Powerup::ClearPowerups();
    EXPECT_EQ(Powerup::num_powerups, 0);
    EXPECT_EQ(Powerup::powerups[0].id, nullptr);
    EXPECT_EQ(Powerup::GetRandomPowerup(), nullptr);
}

struct LevelCase {
    const char *mission_id;
    int level;
};

TEST_F(PowerupsTest, LevelNumberOfAMissionId)
{
    const std::string long_id = "MISSION2_5" + std::string(1013, 'x');  // 1023 characters
    const std::string too_long = long_id + "y";
    const LevelCase kCases[] = {
        {"MISSION2_5", 15},  {"MISSION1_1", 1},  {"MISSION1_10", 10}, {"MISSION3_0", 20},
        {"MISSION3", 20},    {"MISSION_3", -7},  {"", -10},           {nullptr, -10},
        {"MISSIONMISSION2_5", 15}, {"2_5MISSION", 15}, {"X2_5", -5}, {"MISSION4_2_9", 32},
        {long_id.c_str(), 15}, {too_long.c_str(), -10},
    };
    for (const LevelCase &c : kCases) {
        SCOPED_TRACE(c.mission_id ? std::string(c.mission_id).substr(0, 20) : "null");
        EXPECT_EQ(PowerupLevelNumber(c.mission_id), c.level);
    }
}

TEST_F(PowerupsTest, ChoiceFollowsTheWeights)
{
    WritePowerups({"id=\"A\" rarity=\"10\"", "id=\"Never\" rarity=\"0\"", "id=\"Minus\" rarity=\"-5\"",
                   "id=\"C\" rarity=\"30\""});
    ASSERT_TRUE(Powerup::LoadPowerups());
    struct Draw {
        int value;
        const char *id;
    };
    // W = 40: draws modulo 40 below 10 give A, the rest C.
    const Draw kDraws[] = {{0, "A"},     {9, "A"},     {10, "C"},    {39, "C"},
                           {40, "A"},    {32767, "A"}, {32760, "A"}, {32759, "C"}};
    for (const Draw &d : kDraws) {
        SCOPED_TRACE(d.value);
        ScriptRandom({d.value});
        Powerup *p = Powerup::GetRandomPowerup();
        ASSERT_NE(p, nullptr);
        EXPECT_STREQ(p->id, d.id);
    }
    // Over every possible draw, a weight of 0 or below is never chosen.
    AppSeedRandom(77);
    AppSetRandomSource(nullptr);
    int a = 0, c = 0;
    for (int i = 0; i < 4000; i++) {
        Powerup *p = Powerup::GetRandomPowerup();
        ASSERT_NE(p, nullptr);
        a += strcmp(p->id, "A") == 0;
        c += strcmp(p->id, "C") == 0;
    }
    EXPECT_EQ(a + c, 4000);
    EXPECT_NEAR(a / 4000.0, 0.25, 0.03);
}

TEST_F(PowerupsTest, NoPositiveWeightOrNoRoomChoosesNothing)
{
    WritePowerups({"id=\"A\" rarity=\"0\"", "id=\"B\" rarity=\"-1\""});
    ASSERT_TRUE(Powerup::LoadPowerups());
    ScriptRandom({0});
    EXPECT_EQ(Powerup::GetRandomPowerup(), nullptr);
    EXPECT_TRUE(DebugLines().empty());

    dman().ReleaseAllDatabases();
    WritePowerups({"id=\"A\" rarity=\"5\""});
    ASSERT_TRUE(Powerup::LoadPowerups());
    upgrades.max_powerups = 0;  // no pick-up may join the field
    EXPECT_EQ(Powerup::GetRandomPowerup(), nullptr);
    upgrades.max_powerups = 1;
    EXPECT_NE(Powerup::GetRandomPowerup(), nullptr);
}

// One rule of the refusal table: the battle as the case sets it, a table holding only
// the candidate, and whether it may drop.
struct RefusalCase {
    const char *what;
    const char *id;
    const char *attributes;
    int mode;
    const char *mission;
    int base_hp;        // -1: no bunker; else its hit points of 100
    int trooper_hp;     // -1: no trooper; else the hit points of 100 of one trooper
    bool trooper_dead;
    float artillery_timer;
    bool artillery_aiming;
    bool allowed;
};

TEST_F(PowerupsTest, RefusalRulesByModeAndState)
{
    const RefusalCase kCases[] = {
        {"min level above the level", "POWERUP_MONEY", "min_level=\"5\"", GAME_MODE_LEVEL, "MISSION1_3", -1, -1,
         false, 0, false, false},
        {"min level reached", "POWERUP_MONEY", "min_level=\"5\"", GAME_MODE_LEVEL, "MISSION1_5", -1, -1, false, 0,
         false, true},
        {"min level outside LEVEL mode", "POWERUP_MONEY", "min_level=\"5\"", GAME_MODE_SURVIVAL, "MISSION1_3", -1,
         -1, false, 0, false, true},
        {"min level 0 in LEVEL mode", "POWERUP_MONEY", "min_level=\"0\"", GAME_MODE_LEVEL, "", -1, -1, false, 0,
         false, true},
        {"shield without bunker", "POWERUP_ENERGY_SHIELD", "", GAME_MODE_SURVIVAL, "", -1, -1, false, 0, false,
         false},
        {"shield with bunker", "POWERUP_ENERGY_SHIELD", "", GAME_MODE_SURVIVAL, "", 100, -1, false, 0, false, true},
        {"repair without bunker", "POWERUP_REPAIR_BUNKER", "", GAME_MODE_SURVIVAL, "", -1, -1, false, 0, false,
         false},
        {"repair, bunker at 95 %", "POWERUP_REPAIR_BUNKER", "", GAME_MODE_SURVIVAL, "", 95, -1, false, 0, false,
         false},
        {"repair, bunker at 90 %", "POWERUP_REPAIR_BUNKER", "", GAME_MODE_SURVIVAL, "", 90, -1, false, 0, false,
         true},
        {"super trooper in INCOMING", "POWERUP_SUPER_TROOPER", "", GAME_MODE_INCOMING, "", -1, -1, false, 0, false,
         false},
        {"super trooper in COLLECTOR", "POWERUP_SUPER_TROOPER", "", GAME_MODE_COLLECTOR, "", -1, -1, false, 0, false,
         true},
        {"reinforcements in mode 2", "POWERUP_REINFORCEMENTS", "", 2, "", -1, -1, false, 0, false, false},
        {"reinforcements in COLLECTOR", "POWERUP_REINFORCEMENTS", "", GAME_MODE_COLLECTOR, "", -1, -1, false, 0,
         false, false},
        {"reinforcements in INCOMING", "POWERUP_REINFORCEMENTS", "", GAME_MODE_INCOMING, "", -1, -1, false, 0, false,
         false},
        {"reinforcements in LEVEL", "POWERUP_REINFORCEMENTS", "", GAME_MODE_LEVEL, "", -1, -1, false, 0, false,
         true},
        {"pets in mode 2", "POWERUP_ALIEN_PETS", "", 2, "", -1, -1, false, 0, false, false},
        {"pets in INCOMING", "POWERUP_ALIEN_PETS", "", GAME_MODE_INCOMING, "", -1, -1, false, 0, false, false},
        {"pets in SURVIVAL", "POWERUP_ALIEN_PETS", "", GAME_MODE_SURVIVAL, "", -1, -1, false, 0, false, true},
        {"health, no trooper", "POWERUP_HEALTH", "", GAME_MODE_SURVIVAL, "", -1, -1, false, 0, false, false},
        {"health, trooper at 76 %", "POWERUP_HEALTH", "", GAME_MODE_SURVIVAL, "", -1, 76, false, 0, false, false},
        {"health, trooper at 75 %", "POWERUP_HEALTH", "", GAME_MODE_SURVIVAL, "", -1, 75, false, 0, false, true},
        {"health, wounded trooper dead", "POWERUP_HEALTH", "", GAME_MODE_SURVIVAL, "", -1, 10, true, 0, false,
         false},
        {"artillery, timer running", "POWERUP_ARTILLERY", "", GAME_MODE_SURVIVAL, "", -1, -1, false, 0.5f, false,
         false},
        {"artillery, strike armed", "POWERUP_ARTILLERY", "", GAME_MODE_SURVIVAL, "", -1, -1, false, 0, true, false},
        {"artillery, none pending", "POWERUP_ARTILLERY", "", GAME_MODE_SURVIVAL, "", -1, -1, false, 0, false, true},
        {"money anywhere", "POWERUP_MONEY", "", GAME_MODE_INCOMING, "", -1, -1, false, 0, false, true},
    };
    for (const RefusalCase &c : kCases) {
        SCOPED_TRACE(c.what);
        ResetGameFields();
        Powerup::ClearPowerups();
        dman().ReleaseAllDatabases();
        DebugLines().clear();
        WritePowerups({std::string("id=\"") + c.id + "\" " + c.attributes});
        ASSERT_TRUE(Powerup::LoadPowerups());
        game.parms.game_mode = c.mode;
        strcpy(game.parms.mission_id, c.mission);
        Entity bunker{}, trooper{};
        if (c.base_hp >= 0) {
            bunker.state = Entity::STATE_ALIVE;
            bunker.hit_points = (float)c.base_hp;
            bunker.max_hit_points = 100.0f;
            game.base = &bunker;
        }
        if (c.trooper_hp >= 0) {
            trooper.state = c.trooper_dead ? Entity::STATE_DYING : Entity::STATE_ALIVE;
            trooper.hit_points = (float)c.trooper_hp;
            trooper.max_hit_points = 100.0f;
            game.troopers.InsertLast(&trooper);
        }
        game.artillery_timer = c.artillery_timer;
        game.artillery_aiming = c.artillery_aiming;
        ScriptRandom({0});
        Powerup *p = Powerup::GetRandomPowerup();
        if (c.allowed) {
            EXPECT_EQ(p, &Powerup::powerups[0]);
            EXPECT_TRUE(DebugLines().empty());
        } else {
            EXPECT_EQ(p, nullptr);
            EXPECT_EQ(Count(DebugLines(), "1:Unable to randomize powerup!\n"), 1);
            // Every one of the ten attempts drew.
            EXPECT_EQ(ScriptedCalls(), 10u);
        }
        ResetGameFields();
    }
}

TEST_F(PowerupsTest, RefusedDrawsSpendAttempts)
{
    WritePowerups({"id=\"POWERUP_HEALTH\" rarity=\"10\"", "id=\"POWERUP_MONEY\" rarity=\"10\""});
    ASSERT_TRUE(Powerup::LoadPowerups());
    // Nobody is wounded: health is refused, so draws below 10 are spent.
    ScriptRandom({0, 3, 15});
    Powerup *p = Powerup::GetRandomPowerup();
    ASSERT_NE(p, nullptr);
    EXPECT_STREQ(p->id, "POWERUP_MONEY");
    EXPECT_EQ(ScriptedCalls(), 3u);

    ScriptRandom({0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 15});
    EXPECT_EQ(Powerup::GetRandomPowerup(), nullptr);
    EXPECT_EQ(ScriptedCalls(), 10u);
    EXPECT_EQ(Count(DebugLines(), "1:Unable to randomize powerup!\n"), 1);
}

}  // namespace
