// Pick-up drops of the behaviour base, gate by gate with scripted random values: the
// level mode's forced drop and its last enemy of the last wave, the odds, the
// interval on the game clock (an unsigned difference), the last random gate, a
// nearby pick-up, a missing pick-up kind, and the choice of health for a wounded
// trooper, a bunker repair or the weighted random kind.
#include "tests/game/entities/test_entity_ai_fixture.h"

#include "app/services/profiles.h"
#include "game/entities/powerups.h"
#include "game/entities/upgrades.h"
#include "game/gamestate.h"

#include <gtest/gtest.h>

namespace aitest {
namespace {

// HEALTH and REPAIR are never drawn at random; SPEED always is.
const char *const kPowerups =
    "<node id=\"POWERUP_HEALTH\" rarity=\"0\"/>\n"
    "<node id=\"POWERUP_REPAIR_BUNKER\" rarity=\"0\"/>\n"
    "<node id=\"POWERUP_SPEED\" rarity=\"1\"/>\n";

// Draw values: a percentage roll of v / 32767 x 100.
const int kRollZero = 0;         // 0 %: passes every "p > roll" gate with p > 0
const int kRollAll = 32767;      // 100 %: fails them all
const int kLastGateAbandon = 100;  // 100 % 100 = 0 < r
const int kLastGatePass = 101;

class PowerupDropTest : public EntityAITest {
protected:
    void SetUp() override {
        EntityAITest::SetUp();
        StartWorld("", kPowerups);
        game.parms.game_mode = GAME_MODE_SURVIVAL;
        game.game_clock = 100000;
        Powerup::last_powerup_timestamp = 0;
        upgrades.powerup_probability = 50.0f;
        upgrades.powerup_interval = 15000.0f;
        upgrades.max_powerups = 100;  // the random choice's own limit stays out of the way
    }
    void TearDown() override {
        Powerup::last_powerup_timestamp = 0;
        EntityAITest::TearDown();
    }
    // The living pick-ups on the field.
    std::vector<Entity *> Pickups() {
        Entity *found[64];
        int n = world->QueryEntitiesInFriendGroup((int)Entity::POWERUP, Entity::PLAYERS, found, 64);
        std::vector<Entity *> alive;
        for (int i = 0; i < n; i++) {
            if (found[i]->IsAlive()) {
                alive.push_back(found[i]);
            }
        }
        return alive;
    }
    // Takes the pick-ups out of play (dying for a second: out of every query).
    void ClearPickups() {
        for (Entity *p : Pickups()) {
            world->KillEntity(p, nullptr, true);
            p->phase = 1.0f;
        }
    }
    const char *DroppedId() {
        std::vector<Entity *> pickups = Pickups();
        if (pickups.size() != 1 || pickups[0]->powerup == nullptr) {
            return nullptr;
        }
        return pickups[0]->powerup->id;
    }
};

TEST_F(PowerupDropTest, DropCarriesTheChoiceMarkedForTappingAndStampsTheClock) {
    ScriptRandom({kRollZero, kLastGatePass});
    ai->PowerupDrop({300, 300});
    std::vector<Entity *> pickups = Pickups();
    ASSERT_EQ(pickups.size(), 1u);
    EXPECT_EQ(pickups[0]->pos.x, 300.0f);
    EXPECT_EQ(pickups[0]->pos.y, 300.0f);
    ASSERT_NE(pickups[0]->powerup, nullptr);
    EXPECT_STREQ(pickups[0]->powerup->id, "POWERUP_SPEED");
    EXPECT_TRUE(pickups[0]->powerup_active);
    EXPECT_EQ(Powerup::last_powerup_timestamp, 100000u);
}

// The supply-drop tip comes half a second after the first drop, when the drop is there
// to see (it was shown on a timer of the level, drop or no drop); a player who has seen
// it gets no tip, and a tip already waiting its turn is not pushed aside.
TEST_F(PowerupDropTest, TheFirstDropBringsTheSupplyDropTip) {
    Profile player;
    player.Reset("1.xml");
    prof = &player;
    struct Case {
        const char *what;
        bool seen;
        const char *waiting;
        const char *expected;
        float time;
    } cases[] = {
        {"first drop", false, nullptr, "POWERUPS", 0.5f},
        {"tip seen", true, nullptr, nullptr, 0.0f},
        {"another tip waiting", false, "FIRING", "FIRING", 2.0f},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        ClearPickups();
        Powerup::last_powerup_timestamp = 0;
        player.Reset("1.xml");
        if (c.seen) {
            player.AddTag("tutorials_completed", "POWERUPS");
        }
        game.delayed_tutorial = c.waiting;
        game.delayed_tutorial_time = c.waiting ? 2.0f : 0.0f;
        ScriptRandom({kRollZero, kLastGatePass});
        ai->PowerupDrop({300, 300});
        ASSERT_EQ(Pickups().size(), 1u);
        if (c.expected) {
            EXPECT_STREQ(game.delayed_tutorial, c.expected);
        } else {
            EXPECT_EQ(game.delayed_tutorial, nullptr);
        }
        EXPECT_FLOAT_EQ(game.delayed_tutorial_time, c.time);
    }
    prof = nullptr;
}

TEST_F(PowerupDropTest, OddsIntervalAndLastGateTable) {
    struct Case {
        const char *what;
        float probability;
        uint32_t clock, last_stamp;
        std::vector<int> draws;
        bool dropped;
        int draws_taken;  // up to the gate that decided (a drop draws on)
    };
    const Case kCases[] = {
        {"odds refused", 50, 100000, 0, {16384}, false, 1},      // 50.0015 % is not below 50
        {"odds taken", 50, 100000, 0, {16383, kLastGatePass}, true, -1},
        {"no odds at all", 0, 100000, 0, {kRollZero}, false, 1},
        {"within the interval", 100, 14999, 0, {kRollZero}, false, 1},
        {"interval just over", 100, 15000, 0, {kRollZero, kLastGatePass}, true, -1},
        {"stamp of an earlier battle is long ago", 100, 1000, 50000, {kRollZero, kLastGatePass}, true, -1},
        {"last gate abandons at 0 mod 100", 100, 100000, 0, {kRollZero, kLastGateAbandon}, false, 2},
        {"last gate abandons only then", 100, 100000, 0, {kRollZero, 199}, true, -1},
    };
    float x = 100;
    for (const Case &c : kCases) {
        SCOPED_TRACE(c.what);
        upgrades.powerup_probability = c.probability;
        game.game_clock = c.clock;
        Powerup::last_powerup_timestamp = c.last_stamp;
        size_t before = Pickups().size();
        ScriptRandom(c.draws);
        ai->PowerupDrop({x, 300});
        EXPECT_EQ(Pickups().size(), before + (c.dropped ? 1 : 0));
        EXPECT_EQ(Powerup::last_powerup_timestamp, c.dropped ? c.clock : c.last_stamp);
        if (c.draws_taken >= 0) {
            EXPECT_EQ(RandomDrawsTaken(), c.draws_taken);
        }
        x += 100;  // away from the earlier drops
    }
}

TEST_F(PowerupDropTest, NoDropNextToAPickUp) {
    upgrades.powerup_probability = 100;
    ScriptRandom({kRollZero, kLastGatePass});
    ai->PowerupDrop({300, 300});
    ASSERT_EQ(Pickups().size(), 1u);
    game.game_clock += 20000;
    // Within 1.5 x the pick-up radius of 20 (30, by the world's nearness measure).
    ScriptRandom({kRollZero, kLastGatePass});
    ai->PowerupDrop({330, 300});
    EXPECT_EQ(Pickups().size(), 1u);
    ScriptRandom({kRollZero, kLastGatePass});
    ai->PowerupDrop({345, 300});
    EXPECT_EQ(Pickups().size(), 2u);
}

TEST_F(PowerupDropTest, WoundedTrooperGetsHealthOneTenPercentRollPerBand) {
    upgrades.powerup_probability = 100;
    Entity *healthy = Spawn("Trooper", {100, 100});
    Entity *wounded = Spawn("Trooper", {150, 100});
    Entity *dead = Spawn("Trooper", {200, 100});
    ASSERT_TRUE(healthy && wounded && dead);
    dead->hit_points = 1.0f;
    world->KillEntity(dead, nullptr, true);
    game.troopers.InsertLast(dead);
    game.troopers.InsertLast(healthy);
    game.troopers.InsertLast(wounded);
    struct Case {
        float hit_points;
        std::vector<int> rolls;  // after the two gates; a 0 follows for the random choice
        const char *id;
    };
    const Case kCases[] = {
        // Every further roll would take the 0 meant for the random choice and succeed,
        // so the kind shows how many rolls were drawn.
        {80, {}, "POWERUP_SPEED"},          // above 3/4: no roll
        {75, {0}, "POWERUP_HEALTH"},        // at 3/4: one roll, a success
        {75, {1}, "POWERUP_SPEED"},         // one roll only
        {40, {1, 10}, "POWERUP_HEALTH"},    // two bands
        {40, {1, 1}, "POWERUP_SPEED"},
        {20, {1, 1, 0}, "POWERUP_HEALTH"},  // three bands
        {20, {1, 1, 1}, "POWERUP_SPEED"},
    };
    for (const Case &c : kCases) {
        SCOPED_TRACE(testing::Message() << c.hit_points << " " << c.id);
        ClearPickups();
        game.game_clock += 20000;
        wounded->hit_points = c.hit_points;
        std::vector<int> draws = {kRollZero, kLastGatePass};
        draws.insert(draws.end(), c.rolls.begin(), c.rolls.end());
        draws.push_back(0);  // the weighted choice, when it comes to that
        ScriptRandom(draws);
        ai->PowerupDrop({500, 500});
        ASSERT_NE(DroppedId(), nullptr);
        EXPECT_STREQ(DroppedId(), c.id);
    }
}

TEST_F(PowerupDropTest, DamagedBunkerGetsARepairWhenNoTrooperIsChosen) {
    upgrades.powerup_probability = 100;
    Entity *bunker = Spawn("BaseBunker", {800, 600});
    Entity *trooper = Spawn("Trooper", {100, 100});
    ASSERT_TRUE(bunker && trooper);
    game.base = bunker;
    game.troopers.InsertLast(trooper);
    trooper->hit_points = 50;
    bunker->hit_points = 500;
    // Trooper: two failed rolls; bunker: a failed and a successful one.
    ScriptRandom({kRollZero, kLastGatePass, 1, 1, 1, 0});
    ai->PowerupDrop({300, 300});
    ASSERT_NE(DroppedId(), nullptr);
    EXPECT_STREQ(DroppedId(), "POWERUP_REPAIR_BUNKER");
}

TEST_F(PowerupDropTest, MissingPickUpKindOrChoiceDropsNothing) {
    upgrades.powerup_probability = 100;
    std::string without_pickup = kEntityTypes;
    without_pickup.erase(without_pickup.find("<node id=\"Powerup\""));
    WriteEntities(without_pickup);
    MakeWorld();
    ai = world->stock->GetEntityAI("Default");
    ScriptRandom({kRollZero, kLastGatePass});
    ai->PowerupDrop({300, 300});
    EXPECT_TRUE(Pickups().empty());
    EXPECT_EQ(Powerup::last_powerup_timestamp, 0u);

    WriteEntities(kEntityTypes);
    WritePowerups("<node id=\"POWERUP_HEALTH\" rarity=\"0\"/>\n");
    MakeWorld();
    ai = world->stock->GetEntityAI("Default");
    ScriptRandom({kRollZero, kLastGatePass});
    ai->PowerupDrop({300, 300});  // nothing to draw from
    EXPECT_TRUE(Pickups().empty());
    EXPECT_EQ(Powerup::last_powerup_timestamp, 0u);
}

TEST_F(PowerupDropTest, ExhaustedPoolDropsNothingAndKeepsTheStamp) {
    upgrades.powerup_probability = 100;
    int spawned = 0;
    while (Spawn("Wall", {(float)(spawned % 40) * 25 + 12, (float)(spawned / 40) * 25 + 12}) != nullptr) {
        spawned++;
    }
    EXPECT_EQ(spawned, 511);
    ScriptRandom({kRollZero, kLastGatePass});
    ai->PowerupDrop({300, 300});
    EXPECT_TRUE(Pickups().empty());
    EXPECT_EQ(Powerup::last_powerup_timestamp, 0u);
}

class LevelModeDropTest : public PowerupDropTest {
protected:
    void SetUp() override {
        PowerupDropTest::SetUp();
        game.parms.game_mode = GAME_MODE_LEVEL;
        game.lowest_bunker_hp = 1000.0f;  // five stars less the troopers lost
        upgrades.powerup_probability = 0.0f;
        game.num_waves = 3;
        game.wave_number = 1;
    }
};

TEST_F(LevelModeDropTest, WorseRatingForcesDrops) {
    struct Case {
        int troopers_lost;  // stars = 5 - lost, at least 1
        int roll;           // forced when 5 - stars > roll / 32767 x 100
        bool dropped;
    };
    static const Case kCases[] = {
        {0, 0, false},    // five stars: 0 > 0 is false, and no odds
        {2, 655, true},   // three stars: 2 > 1.999 %
        {2, 656, false},  // 2 > 2.002 % is false
        {4, 1310, true},  // one star: 4 > 3.998 %
    };
    float x = 100;
    for (const Case &c : kCases) {
        SCOPED_TRACE(testing::Message() << c.troopers_lost << " " << c.roll);
        game.troopers_lost = c.troopers_lost;
        game.game_clock += 20000;
        size_t before = Pickups().size();
        // Not forced, the second draw is the odds roll (refused); forced, it is the
        // last gate's (67, kept).
        ScriptRandom({c.roll, kRollAll, kLastGatePass});
        ai->PowerupDrop({x, 300});
        EXPECT_EQ(Pickups().size(), before + (c.dropped ? 1 : 0));
        x += 100;
    }
}

TEST_F(LevelModeDropTest, LastEnemyOfTheLastWaveLeavesNothing) {
    upgrades.powerup_probability = 100.0f;
    Entity *last = Spawn("Grunt", {100, 100});
    ASSERT_NE(last, nullptr);
    struct Case {
        const char *what;
        int wave_number;
        bool second_enemy;
        bool dropped;
    };
    static const Case kCases[] = {
        {"waves still to come", 2, false, true},
        {"last wave, two enemies alive", 3, true, true},
        {"last wave, the last enemy", 3, false, false},
    };
    float x = 100;
    Entity *second = nullptr;
    for (const Case &c : kCases) {
        SCOPED_TRACE(c.what);
        game.wave_number = c.wave_number;
        if (c.second_enemy && second == nullptr) {
            second = Spawn("Grunt", {900, 700});
        } else if (!c.second_enemy && second != nullptr) {
            world->KillEntity(second, nullptr, true);
            second = nullptr;
        }
        game.game_clock += 20000;
        size_t before = Pickups().size();
        ScriptRandom({kRollAll, kRollZero, kLastGatePass});
        ai->PowerupDrop({x, 400});
        EXPECT_EQ(Pickups().size(), before + (c.dropped ? 1 : 0));
        x += 100;
    }
}

}  // namespace
}  // namespace aitest
