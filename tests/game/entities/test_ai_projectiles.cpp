// Projectile behaviours: leaving the world, the bullet's range, piercing with
// scripted draws, no hit twice in a row and never on its own side; the rocket's
// splash falloff; the napalm rocket's splash on enemies only and its ten flames of
// either weapon class; the flame's choice of victim, stagger, burn and hit-point
// exchange; the ice's chill; the gas cloud's drift and jolt.
#include "tests/game/entities/test_ai_enemies_fixture.h"

#include "game/entities/entity-types.h"
#include "game/entities/stock.h"
#include "game/entities/weapons.h"
#include "game/gamestate.h"

#include <gtest/gtest.h>
#include <math.h>

namespace aitest {
namespace {

const float kPi = 3.14159265358979f;


TEST_F(ProjectileTest, EveryProjectileLeavingTheWorldIsKilledWhereItIs) {
    StartProjectiles();
    struct Case {
        vec2_t at;
        bool killed;
    };
    static const Case kCases[] = {
        {{5.0f, 300.0f}, true},   {{5.5f, 300.0f}, false},   {{1019.0f, 300.0f}, true},
        {{1018.5f, 300.0f}, false}, {{300.0f, 5.0f}, true},  {{300.0f, 763.0f}, true},
        {{300.0f, 762.5f}, false},
    };
    for (const char *kind : {"Slug", "Rocket", "Napalm", "ProjectileFlame", "Shard", "Cloud"}) {
        for (const Case &c : kCases) {
            SCOPED_TRACE(testing::Message() << kind << " at " << c.at.x << ", " << c.at.y);
            Entity *p = Shot(kind, c.at, {0.0f, -10.0f}, shooter, nullptr);
            ASSERT_NE(p, nullptr);
            p->origin = c.at;
            Update(p, 0.1f);
            EXPECT_NEAR(p->angle, -kPi / 2, 1e-6f);  // from the velocity, in any case
            EXPECT_EQ(p->IsAlive(), !c.killed);
            if (c.killed) {
                EXPECT_EQ(p->pos.y, c.at.y);  // the update stopped there
            }
            world->stock->FreeEntity(p);
        }
    }
}

TEST_F(ProjectileTest, BulletDiesPastItsRangeButFinishesTheFrame) {
    StartProjectiles();
    struct Case {
        float travelled;
        bool killed;
    };
    static const Case kCases[] = {{49.0f, false}, {50.0f, false}, {51.0f, true}};
    for (const Case &c : kCases) {
        SCOPED_TRACE(testing::Message() << "travelled " << c.travelled);
        Entity *target = Dummy("Target", {300.0f + c.travelled, 300.0f});
        Entity *p = Shot("Slug", {300.0f + c.travelled, 300.0f}, {100.0f, 0.0f}, shooter, nullptr);
        ASSERT_TRUE(target && p);
        p->origin = {300.0f, 300.0f};
        p->range = 50.0f;
        Update(p, 0.1f);
        EXPECT_EQ(p->IsAlive(), false);  // no weapon: the hit kills it in any case
        EXPECT_EQ(target->hit_points, 90.0f);  // still hits
        EXPECT_EQ(p->pos.x, 310.0f + c.travelled);  // and flies
        world->stock->FreeEntity(target);
        world->stock->FreeEntity(p);

        Entity *free_flight = Shot("Slug", {300.0f + c.travelled, 500.0f}, {100.0f, 0.0f}, shooter, nullptr);
        ASSERT_NE(free_flight, nullptr);
        free_flight->origin = {300.0f, 500.0f};
        free_flight->range = 50.0f;
        Update(free_flight, 0.1f);
        EXPECT_EQ(free_flight->IsAlive(), !c.killed);
        EXPECT_EQ(free_flight->pos.x, 310.0f + c.travelled);
        world->stock->FreeEntity(free_flight);
    }
}

TEST_F(ProjectileTest, PiercingDecidedByOneDrawAndAlwaysFromOne) {
    StartProjectiles();
    struct Case {
        float piercing;
        int draw;
        bool weapon;
        bool pierces;
        int draws;
    };
    static const Case kCases[] = {
        {0.0f, 0, true, false, 1},      // 0 < 0 fails
        {0.5f, 16383, true, true, 1},   // 0.49998
        {0.5f, 16384, true, false, 1},  // 0.50002
        {1.0f, 32767, true, true, 1},   // the draw 1.0 is not below 1: still pierces
        {1.5f, 32767, true, true, 1},
        {1.0f, 0, false, false, 0},     // no weapon: never, and no draw
    };
    Weapon *gun = Weapon::GetWeapon("Gun");
    ASSERT_NE(gun, nullptr);
    for (const Case &c : kCases) {
        SCOPED_TRACE(testing::Message() << "piercing " << c.piercing << " draw " << c.draw);
        gun->projectile_piercing = c.piercing;
        Entity *target = Dummy("Target", {300, 300});
        Entity *p = Shot("Slug", {300, 300}, {0, 0}, shooter, c.weapon ? "Gun" : nullptr);
        ASSERT_TRUE(target && p);
        ScriptRandom({c.draw});
        Update(p, 0.1f);
        EXPECT_EQ(RandomDrawsTaken(), c.draws);
        EXPECT_EQ(target->hit_points, 90.0f);
        EXPECT_EQ(p->IsAlive(), c.pierces);
        EXPECT_EQ(p->last_hit, c.pierces ? target : nullptr);
        world->stock->FreeEntity(target);
        world->stock->FreeEntity(p);
    }
}

TEST_F(ProjectileTest, BulletNeverHitsTheSameTwiceInARowNorItsOwnSide) {
    StartProjectiles();
    Weapon::GetWeapon("Gun")->projectile_piercing = 1.0f;
    Entity *ally = Dummy("Ally", {300, 300});
    Entity *a = Dummy("Target", {300, 300});
    Entity *b = Dummy("Target", {400, 300});
    Entity *p = Shot("Slug", {300, 300}, {0, 0}, shooter, "Gun");
    ASSERT_TRUE(ally && a && b && p);
    Update(p, 0.1f);
    Update(p, 0.1f);  // still touching a: no second hit
    EXPECT_EQ(a->hit_points, 90.0f);
    EXPECT_EQ(ally->hit_points, 100.0f);
    p->pos = b->pos;
    Update(p, 0.1f);
    EXPECT_EQ(b->hit_points, 90.0f);
    p->pos = a->pos;
    Update(p, 0.1f);  // a is no longer the last one hit
    EXPECT_EQ(a->hit_points, 80.0f);
    EXPECT_EQ(ally->hit_points, 100.0f);

    // An enemy's bullet spares the enemies and hits the players.
    Entity *q = Shot("Slug", {300, 300}, {0, 0}, enemy_shooter, nullptr);
    ASSERT_NE(q, nullptr);
    Update(q, 0.1f);
    EXPECT_EQ(a->hit_points, 80.0f);
    EXPECT_EQ(ally->hit_points, 90.0f);
}

TEST_F(ProjectileTest, PiercingBulletPassesThroughALineHittingEachOnceAndAPlainOneStopsAtTheFirst) {
    StartProjectiles();
    Weapon *gun = Weapon::GetWeapon("Gun");
    for (float piercing : {1.0f, 0.0f}) {
        SCOPED_TRACE(testing::Message() << "piercing " << piercing);
        gun->projectile_piercing = piercing;
        Entity *line[3] = {Dummy("Target", {400, 300}), Dummy("Target", {430, 300}), Dummy("Target", {460, 300})};
        Entity *p = Shot("Slug", {350, 300}, {600, 0}, shooter, "Gun");
        ASSERT_TRUE(line[0] && line[1] && line[2] && p);
        for (int frame = 0; frame < 30 && p->IsAlive(); frame++) {
            Update(p, 0.01f);
        }
        for (int i = 0; i < 3; i++) {
            EXPECT_EQ(line[i]->hit_points, piercing >= 1.0f || i == 0 ? 90.0f : 100.0f) << i;
            world->stock->FreeEntity(line[i]);
        }
        EXPECT_EQ(p->IsAlive(), piercing >= 1.0f);
        world->stock->FreeEntity(p);
    }
}

TEST_F(ProjectileTest, RocketSplashFallsLinearlyToZeroAtTheRangePlusBothRadii) {
    StartProjectiles();
    struct Case {
        vec2_t at;
        float damage;
    };
    // R 100, rocket radius 5, target radius 10: 115 units of falloff.
    const Case kCases[] = {
        {{500, 400}, 100.0f},
        {{557.5f, 400}, 50.0f},
        {{500, 500}, 100.0f * (1.0f - 100.0f / 115.0f)},
        {{389, 400}, 0.0f},  // outside the query (beyond R + its radius)
    };
    std::vector<Entity *> targets;
    for (const Case &c : kCases) {
        targets.push_back(Dummy("Target", c.at, 1000.0f));
    }
    Entity *ally = Dummy("Ally", {500, 400});
    Entity *rocket = Shot("Rocket", {500, 400}, {0, 0}, shooter, "Bazooka");
    ASSERT_TRUE(ally && rocket);
    world->KillEntity(rocket, nullptr, false);
    for (size_t i = 0; i < targets.size(); i++) {
        EXPECT_NEAR(targets[i]->hit_points, 1000.0f - kCases[i].damage, 1e-3f) << i;
    }
    EXPECT_EQ(ally->hit_points, 100.0f);

    // An enemy's rocket hits the players' side only.
    Entity *enemy_rocket = Shot("Rocket", {500, 400}, {0, 0}, enemy_shooter, "Bazooka");
    ASSERT_NE(enemy_rocket, nullptr);
    world->KillEntity(enemy_rocket, nullptr, false);
    EXPECT_EQ(ally->hit_points, 0.0f);  // 100 at the centre
    EXPECT_NEAR(targets[0]->hit_points, 900.0f, 1e-3f);

    // No weapon, no splash.
    Entity *dud = Shot("Rocket", {500, 400}, {0, 0}, shooter, nullptr);
    ASSERT_NE(dud, nullptr);
    world->KillEntity(dud, nullptr, false);
    EXPECT_NEAR(targets[0]->hit_points, 900.0f, 1e-3f);
}

TEST_F(ProjectileTest, SplashWithAZeroSpanDealsTheFullDamage) {
    StartProjectiles();
    Weapon::GetWeapon("Bazooka")->projectile_splash_range = 0.0f;
    Entity *target = Dummy("Target", {500, 400}, 1000.0f);
    Entity *rocket = Shot("Rocket", {500, 400}, {0, 0}, shooter, "Bazooka");
    ASSERT_TRUE(target && rocket);
    target->radius = 0.0f;
    rocket->radius = 0.0f;
    world->KillEntity(rocket, nullptr, false);
    EXPECT_EQ(target->hit_points, 900.0f);
}

}  // namespace
}  // namespace aitest
