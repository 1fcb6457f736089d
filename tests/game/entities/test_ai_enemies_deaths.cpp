// What enemies leave when they die: a pick-up near the place (the seeker family and
// the hive mind), two or four smaller copies (splitters down to a scale of 0.75), the
// boss's coins and hounds (with and without "POWERUP_MONEY", with no hounds, with a
// count beyond the pool), nothing (mine, hang-around, kamikaze); and the kamikaze's
// strike that kills itself with nobody credited.
#include "tests/game/entities/test_ai_enemies_fixture.h"

#include "game/entities/entity-types.h"
#include "game/entities/powerups.h"
#include "game/entities/stock.h"
#include "game/entities/upgrades.h"
#include "game/gamestate.h"

#include <gtest/gtest.h>
#include <math.h>
#include <string.h>

namespace aitest {
namespace {

const float kPi = 3.14159265358979f;

const char *const kPowerups = "<node id=\"POWERUP_SPEED\" rarity=\"1\"/>\n";
const char *const kPowerupsWithMoney =
    "<node id=\"POWERUP_SPEED\" rarity=\"1\"/>\n"
    "<node id=\"POWERUP_MONEY\" rarity=\"0\"/>\n";

class EnemyDeathTest : public EnemyAITest {
protected:
    // Drops always pass their odds and interval gates.
    void StartDeaths(const char *powerups) {
        StartEnemies(powerups);
        upgrades.powerup_probability = 101.0f;
        upgrades.powerup_interval = 0.0f;
        upgrades.max_powerups = 100;
        Powerup::last_powerup_timestamp = 0;
        killer = Spawn("Trooper", {100, 700});
        ASSERT_NE(killer, nullptr);
    }
    void TearDown() override {
        Powerup::last_powerup_timestamp = 0;
        EnemyAITest::TearDown();
    }
    // Frees every record of the kinds (out of every query at once).
    void Remove(const char *type_name) {
        EntityType *type = world->stock->GetEntityType(type_name);
        for (int i = 0; i < world->stock->num_entities; i++) {
            if (world->stock->entities[i].type == type) {
                world->stock->FreeEntity(&world->stock->entities[i]);
            }
        }
    }
    std::vector<Entity *> Pickups(const char *powerup_id) {
        std::vector<Entity *> found;
        for (Entity *p : LivingOfType("Powerup")) {
            if (p->powerup != nullptr && strcmp(p->powerup->id, powerup_id) == 0) {
                found.push_back(p);
            }
        }
        return found;
    }
    Entity *killer = nullptr;
};

TEST_F(EnemyDeathTest, DeathsLeaveAPickupCopiesOrNothing) {
    StartDeaths(kPowerups);
    struct Case {
        const char *kind;
        float scale;
        int copies;        // living entities of the kind after the death
        float copy_scale;
        bool pickup;
    };
    static const Case kCases[] = {
        {"Seeker", 1.0f, 0, 0.0f, true},
        {"SeekerLeaper", 1.0f, 0, 0.0f, true},
        {"SeekerFlyer", 1.0f, 0, 0.0f, true},
        {"WaypointAttacker", 1.0f, 0, 0.0f, true},
        {"HiveMind", 1.0f, 0, 0.0f, true},
        {"Splitter", 1.0f, 2, 0.7f, false},
        {"Splitter", 0.7f, 0, 0.0f, true},   // children do not split again
        {"Splitter", 0.75f, 0, 0.0f, true},  // above 0.75 only
        {"QuadSplitter", 1.0f, 4, 0.5f, false},
        {"QuadSplitter", 0.5f, 0, 0.0f, true},
        {"Mine", 1.0f, 0, 0.0f, false},
        {"HangAround", 1.0f, 0, 0.0f, false},
        {"Kamikaze", 1.0f, 0, 0.0f, false},
    };
    for (const Case &c : kCases) {
        SCOPED_TRACE(testing::Message() << c.kind << " scale " << c.scale);
        Remove("Powerup");
        Remove(c.kind);
        game.game_clock += 1000;
        Entity *e = Spawn(c.kind, {500, 400});
        ASSERT_NE(e, nullptr);
        e->scale = c.scale;
        e->age = 7.5f;
        e->velocity = {30, -40};
        world->KillEntity(e, killer, false);
        std::vector<Entity *> copies = LivingOfType(c.kind);
        ASSERT_EQ((int)copies.size(), c.copies);
        for (size_t i = 0; i < copies.size(); i++) {
            EXPECT_NEAR(copies[i]->scale, c.copy_scale * c.scale, 1e-6f);
            EXPECT_EQ(copies[i]->age, 7.5f);  // may strike at once
            EXPECT_EQ(copies[i]->pos.x, 500.0f);
            EXPECT_EQ(copies[i]->pos.y, 400.0f);
            // The first keeps the velocity, the others fly back.
            EXPECT_EQ(copies[i]->velocity.x, i == 0 ? 30.0f : -30.0f);
            EXPECT_EQ(copies[i]->velocity.y, i == 0 ? -40.0f : 40.0f);
        }
        std::vector<Entity *> drops = Pickups("POWERUP_SPEED");
        ASSERT_EQ(drops.size(), c.pickup ? 1u : 0u);
        if (c.pickup) {
            // Within 200 of the place, on a free spot.
            float dx = drops[0]->pos.x - 500.0f, dy = drops[0]->pos.y - 400.0f;
            EXPECT_LE(sqrtf(dx * dx + dy * dy), 200.0f + 1e-3f);
            EXPECT_TRUE(drops[0]->powerup_active);
        }
    }
}

TEST_F(EnemyDeathTest, SplitterChildrenDropPickupsWhenTheyDie) {
    StartDeaths(kPowerups);
    Entity *e = Spawn("Splitter", {500, 400});
    ASSERT_NE(e, nullptr);
    world->KillEntity(e, killer, false);
    std::vector<Entity *> children = LivingOfType("Splitter");
    ASSERT_EQ(children.size(), 2u);
    world->KillEntity(children[0], killer, false);
    EXPECT_EQ(LivingOfType("Splitter").size(), 1u);
    EXPECT_EQ(Pickups("POWERUP_SPEED").size(), 1u);
}

TEST_F(EnemyDeathTest, CoincidentChildrenSteerWithoutNaN) {
    StartDeaths(kPowerups);
    Entity *e = Spawn("QuadSplitter", {500, 400});
    ASSERT_NE(e, nullptr);
    e->velocity = {0, 0};
    world->KillEntity(e, killer, false);
    std::vector<Entity *> children = LivingOfType("QuadSplitter");
    ASSERT_EQ(children.size(), 4u);
    for (int frame = 0; frame < 10; frame++) {
        for (Entity *child : children) {
            child->type->ai->UpdateEntity(child, 0.05f);
        }
    }
    for (Entity *child : children) {
        // All four on one point: the push between them has no direction, (0, 0).
        EXPECT_TRUE(isfinite(child->pos.x) && isfinite(child->pos.y));
        EXPECT_TRUE(isfinite(child->angle));
        EXPECT_TRUE(isfinite(child->velocity.x) && isfinite(child->velocity.y));
    }
}

TEST_F(EnemyDeathTest, KamikazeStrikeKillsItselfWithNobodyCredited) {
    StartDeaths(kPowerups);
    Entity *e = Spawn("Kamikaze", {500, 400});
    Entity *victim = Spawn("Trooper", {515, 400});
    ASSERT_TRUE(e && victim);
    victim->age = 1.0f;
    e->age = 2.0f;
    int money = game.money, score = game.score, kills = game.regular_kills + game.boss_kills;
    e->type->ai->UpdateEntity(e, 0.1f);
    EXPECT_EQ(victim->hit_points, 93.0f);
    EXPECT_EQ(e->state, Entity::STATE_DYING);
    EXPECT_EQ(game.money, money);
    EXPECT_EQ(game.score, score);
    EXPECT_EQ(game.regular_kills + game.boss_kills, kills);
    EXPECT_EQ(e->kills, 0);
    EXPECT_EQ(victim->kills, 0);
    EXPECT_EQ(LivingOfType("Powerup").size(), 0u);

    // Held back by the half-second gate it neither strikes nor dies.
    Entity *second = Spawn("Kamikaze", {500, 400});
    ASSERT_NE(second, nullptr);
    second->attack_time = game.game_clock - 200;
    second->type->ai->OnAttack(second, victim);
    EXPECT_TRUE(second->IsAlive());
    EXPECT_EQ(victim->hit_points, 93.0f);
}

struct BossCase {
    bool money;
    int boss_spawns;
    int hounds;  // -1: as many as the pool holds above the squad's reserve
};

class BossDeathTest : public EnemyDeathTest, public testing::WithParamInterface<BossCase> {};

TEST_P(BossDeathTest, BossScattersCoinsOrDropsAndReleasesTheWavesHounds) {
    const BossCase &c = GetParam();
    StartDeaths(c.money ? kPowerupsWithMoney : kPowerups);
    game.boss_spawns = c.boss_spawns;
    Entity *boss = Spawn("BossSplitter", {500, 400});
    ASSERT_NE(boss, nullptr);
    boss->scale = 1.5f;
    boss->age = 9.0f;
    ScriptRandom({8192}, 16383);  // theta a quarter turn; the hounds' angles about 0
    world->KillEntity(boss, killer, false);

    std::vector<Entity *> coins = Pickups("POWERUP_MONEY");
    std::vector<Entity *> drops = Pickups("POWERUP_SPEED");
    if (c.money) {
        ASSERT_EQ(coins.size(), 2u);
        EXPECT_EQ(drops.size(), 0u);
        float theta = 2.0f * kPi * 8192.0f / 32767.0f;
        for (int i = 0; i < 2; i++) {
            float a = theta + (float)(i + 1) * kPi;
            EXPECT_NEAR(coins[i]->velocity.x, 50.0f * cosf(a), 1e-3f);
            EXPECT_NEAR(coins[i]->velocity.y, 50.0f * sinf(a), 1e-3f);
            EXPECT_TRUE(coins[i]->powerup_active);  // a drop: it slides and waits for a tap
            EXPECT_EQ(coins[i]->pos.x, 500.0f);
        }
    } else {
        EXPECT_EQ(coins.size(), 0u);
        EXPECT_EQ(drops.size(), 1u);  // an ordinary drop
    }
    std::vector<Entity *> hounds = LivingOfType("Hound");
    if (c.hounds >= 0) {
        ASSERT_EQ((int)hounds.size(), c.hounds);
    } else {
        // The pool fills up to the squad's reserve, which the hounds leave alone.
        EXPECT_EQ(world->stock->CountFreeEntities(), Stock::PLAYER_RESERVE + 1);
        EXPECT_GT(hounds.size(), 400u);
    }
    for (Entity *h : hounds) {
        float phi = 0.5f * (-kPi + 2.0f * kPi * 16383.0f / 32767.0f);
        EXPECT_NEAR(h->velocity.x, 200.0f * cosf(phi), 1e-3f);
        EXPECT_NEAR(h->velocity.y, 200.0f * sinf(phi), 1e-3f);
        EXPECT_EQ(h->age, 9.0f);
        EXPECT_NEAR(h->scale, 1.05f, 1e-6f);
    }
}

INSTANTIATE_TEST_SUITE_P(Table, BossDeathTest,
                         testing::Values(BossCase{true, 3, 3}, BossCase{false, 3, 3}, BossCase{true, 0, 0},
                                         BossCase{false, 0, 0}, BossCase{false, 100000, -1}));

}  // namespace
}  // namespace aitest
