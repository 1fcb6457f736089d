// The pick-up behaviour in a world: the power-up chosen at birth ("RANDOM" or named),
// collection by touch, the drop's slide that waits for a tap, and the score pick-up
// that comes back in the COLLECTOR and INCOMING modes.
#include "tests/game/entities/test_entity_ai_fixture.h"

#include "tests/app/services/app_engine_fixture.h"
#include "tests/game/battle_driver.h"

#include "app/services/dataman.h"
#include "game/entities/ai-pickup.h"
#include "game/entities/entity-types.h"
#include "game/entities/powerups.h"
#include "game/entities/upgrades.h"
#include "game/gamestate.h"
#include "game/spawn-manager.h"

#include <gtest/gtest.h>

#include <math.h>

namespace {

using aitest::EntityAITest;
using aitest::ScriptRandom;

const char *const kTypes =
    "<node id=\"Soldier\" flags=\"NORMAL MOVABLE\" friend_group=\"PLAYERS\" hit_points=\"100\" radius=\"10\" "
    "scale=\"1\"/>\n"
    "<node id=\"Grunt\" flags=\"NORMAL MOVABLE\" friend_group=\"ENEMIES\" hit_points=\"100\" radius=\"10\" "
    "scale=\"1\"/>\n"
    "<node id=\"Powerup\" type=\"Powerup\" ai=\"Powerup\" flags=\"POWERUP\" friend_group=\"PLAYERS\" "
    "hit_points=\"1\" radius=\"20\" scale=\"1\"/>\n"
    "<node id=\"PowerupRandom\" type=\"Powerup\" ai=\"Powerup\" ai_parm_str=\"RANDOM\" flags=\"POWERUP\" "
    "friend_group=\"PLAYERS\" hit_points=\"1\" radius=\"20\" scale=\"1\"/>\n"
    "<node id=\"PowerupMoney\" type=\"Powerup\" ai=\"Powerup\" ai_parm_str=\"POWERUP_MONEY\" flags=\"POWERUP\" "
    "friend_group=\"PLAYERS\" hit_points=\"1\" radius=\"20\" scale=\"1\"/>\n"
    "<node id=\"PowerupNothing\" type=\"Powerup\" ai=\"Powerup\" ai_parm_str=\"POWERUP_NOPE\" flags=\"POWERUP\" "
    "friend_group=\"PLAYERS\" hit_points=\"1\" radius=\"20\" scale=\"1\"/>\n"
    "<node id=\"PowerupScore\" type=\"Powerup\" ai=\"Powerup\" ai_parm_str=\"POWERUP_SCORE\" flags=\"POWERUP\" "
    "friend_group=\"PLAYERS\" hit_points=\"1\" radius=\"12\" scale=\"1\"/>\n";

// Weights: SCORE 1, MONEY 3, HEALTH 2 (refused with nobody wounded).
const char *const kPowerups =
    "<node id=\"POWERUP_SCORE\" name=\"Score\" rarity=\"1\"/>\n"
    "<node id=\"POWERUP_MONEY\" name=\"Money\" rarity=\"3\"/>\n"
    "<node id=\"POWERUP_HEALTH\" name=\"Health\" rarity=\"2\"/>\n";

class PickupTest : public EntityAITest {
protected:
    void SetUp() override
    {
        EntityAITest::SetUp();  // a scratch program folder and a fresh game state
        StartWorld("", kPowerups, kTypes);
        ASSERT_TRUE(Powerup::LoadPowerups());
        upgrades.max_powerups = 10;
        game.parms.game_mode = GAME_MODE_SURVIVAL;
        pickup_ai = world->stock->GetEntityAI("Powerup");
    }
    void TearDown() override
    {
        if (game.level_db) {
            dman().ReleaseDatabase(game.level_db);
            game.level_db = nullptr;
        }
        EntityAITest::TearDown();
    }
    EntityAI *pickup_ai = nullptr;
};

TEST_F(PickupTest, BirthChoosesThePowerupOfTheType)
{
    EXPECT_NE(nullptr, dynamic_cast<EntityAIPowerup *>(pickup_ai));
    // A spawn draws five values for the record, then the weighted choice: r mod 6.
    struct Row {
        const char *type;
        int draw;
        const char *expected;  // null: none
    } rows[] = {
        {"PowerupRandom", 0, "POWERUP_SCORE"},   // 0 < 1
        {"PowerupRandom", 3, "POWERUP_MONEY"},   // 3 < 1 + 3
        {"PowerupMoney", 0, "POWERUP_MONEY"},
        {"PowerupNothing", 0, nullptr},          // an unknown name
        {"Powerup", 0, nullptr},                 // no ai_parm_str: left as it was
    };
    for (const Row &row : rows) {
        ScriptRandom({0, 0, 0, 0, 0, row.draw}, 0);
        Entity *e = Spawn(row.type, {300, 300});
        ASSERT_NE(nullptr, e);
        EXPECT_EQ(row.expected ? Powerup::GetPowerup(row.expected) : nullptr, e->powerup) << row.type;
        world->KillEntity(e, nullptr, true);
    }
    // A drop keeps what it is given after birth.
    Entity *drop = Spawn("Powerup", {300, 300});
    drop->powerup = Powerup::GetPowerup("POWERUP_MONEY");
    pickup_ai->OnBirth(drop);
    EXPECT_EQ(Powerup::GetPowerup("POWERUP_MONEY"), drop->powerup);
}

// A level pick-up goes to the first living trooper touching it, once a second old.
TEST_F(PickupTest, LevelPickupsAreCollectedByTouch)
{
    struct Row {
        const char *toucher;
        float distance;
        float age;
        bool collected;
    } rows[] = {
        {"Soldier", 15, 2.0f, true},    // within the pick-up's radius of 20
        {"Soldier", 25, 2.0f, false},   // too far
        {"Soldier", 15, 0.5f, false},   // too young
        {"Grunt", 5, 2.0f, false},      // not of its side
    };
    for (const Row &row : rows) {
        Entity *p = Spawn("PowerupMoney", {400, 300});
        p->age = row.age;
        Entity *t = Spawn(row.toucher, {400 + row.distance, 300});
        int money = game.money;
        game.money_enabled = 1;
        pickup_ai->UpdateEntity(p, 0.01f);
        EXPECT_EQ(row.collected, !p->IsAlive()) << row.toucher << " " << row.distance << " " << row.age;
        EXPECT_EQ(row.collected, game.money > money);
        if (!row.collected) {
            EXPECT_FLOAT_EQ(400.0f, p->pos.x);  // a level pick-up does not slide
        }
        world->KillEntity(p, nullptr, true);
        world->KillEntity(t, nullptr, true);
    }
    // A dying trooper collects nothing.
    Entity *p = Spawn("PowerupMoney", {600, 300});
    p->age = 2.0f;
    Entity *t = Spawn("Soldier", {605, 300});
    world->KillEntity(t, nullptr, true);
    pickup_ai->UpdateEntity(p, 0.01f);
    EXPECT_TRUE(p->IsAlive());
}

// A drop slides, losing 90 % of its speed per second, and is never taken by touch.
TEST_F(PickupTest, DropSlidesAndWaitsForATap)
{
    Entity *p = Spawn("Powerup", {400, 300});
    p->powerup = Powerup::GetPowerup("POWERUP_MONEY");
    p->powerup_active = true;
    p->age = 2.0f;
    p->velocity = {100, -50};
    p->angle = 1.0f;
    Spawn("Soldier", {400, 300});
    struct Step {
        float dt;
        float x, y;
        float vx;
    } steps[] = {
        {0.5f, 450.0f, 275.0f, 100.0f * sqrtf(0.1f)},
        {1.0f, 450.0f + 100.0f * sqrtf(0.1f), 275.0f - 50.0f * sqrtf(0.1f), 100.0f * sqrtf(0.1f) * 0.1f},
    };
    float phase = p->phase;
    for (const Step &s : steps) {
        pickup_ai->UpdateEntity(p, s.dt);
        EXPECT_NEAR(s.x, p->pos.x, 1e-3f);
        EXPECT_NEAR(s.y, p->pos.y, 1e-3f);
        EXPECT_NEAR(s.vx, p->velocity.x, 1e-3f);
        EXPECT_FLOAT_EQ(0.0f, p->angle);
        phase += s.dt;
        EXPECT_FLOAT_EQ(phase, p->phase);
    }
    EXPECT_TRUE(p->IsAlive());  // the trooper standing by did not take it
}

// In COLLECTOR and INCOMING a score pick-up comes back from the level's list.
TEST_F(PickupTest, ScorePickupRespawnsInTimedModes)
{
    apptest::WriteFile("level.xml",
                       battletest::LevelXml(battletest::Array(
                           "powerups", "<node id=\"PowerupScore\" num=\"1\" pos_x=\"0.5\" pos_y=\"0.5\" spread=\"50\"/>")));
    game.level_db = dman().GetDatabase("level.xml");
    ASSERT_NE(nullptr, game.level_db);
    struct Row {
        int mode;
        const char *powerup;
        bool back;
    } rows[] = {
        {GAME_MODE_COLLECTOR, "POWERUP_SCORE", true},
        {GAME_MODE_INCOMING, "POWERUP_SCORE", true},
        {GAME_MODE_SURVIVAL, "POWERUP_SCORE", false},
        {GAME_MODE_LEVEL, "POWERUP_SCORE", false},
        {GAME_MODE_COLLECTOR, "POWERUP_MONEY", false},
    };
    for (const Row &row : rows) {
        game.parms.game_mode = row.mode;
        world->spawn_manager->ClearSpawnList();
        Entity *p = Spawn("Powerup", {300, 300});
        p->powerup = Powerup::GetPowerup(row.powerup);
        world->KillEntity(p, nullptr, false);
        int queued = 0;
        for (SpawnInfo *s = world->spawn_manager->queue_head; s; s = s->next) {
            queued++;
            EXPECT_EQ(world->stock->GetEntityType("PowerupScore"), s->type);
        }
        EXPECT_EQ(row.back ? 1 : 0, queued) << row.mode << " " << row.powerup;
    }
}

}  // namespace
