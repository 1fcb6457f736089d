// Projectiles that burn, chill and confuse: the napalm rocket's splash on enemies
// only and its ten flames of either weapon class; the flame's choice of victim,
// stagger, burn and hit-point exchange; the ice's chill; the gas cloud's drift and
// jolt.
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

// The same fixture under its own name in this program.
class HotProjectileTest : public ProjectileTest {};


TEST_F(HotProjectileTest, EnemyNapalmSparesPlayersBySplashButItsFlamesBurnThem) {
    StartProjectiles();
    Entity *ally = Dummy("Ally", {500, 400});
    Entity *target = Dummy("Target", {500, 400});
    Entity *rocket = Shot("Napalm", {500, 400}, {0, 0}, enemy_shooter, "NapalmGun");
    ASSERT_TRUE(ally && target && rocket);
    world->KillEntity(rocket, nullptr, false);
    EXPECT_EQ(ally->hit_points, 100.0f);   // the query takes enemies only
    EXPECT_EQ(target->hit_points, 100.0f); // and the rocket's own side is spared
    std::vector<Entity *> flames = LivingOfType("ProjectileFlame");
    ASSERT_EQ(flames.size(), 10u);
    Entity *flame = flames[0];
    EXPECT_EQ(flame->owner, enemy_shooter);
    EXPECT_EQ(flame->friend_group, Entity::ENEMIES);
    flame->pos = ally->pos;
    flame->velocity = {0, 0};
    Update(flame, 0.1f);
    EXPECT_EQ(ally->burn_time, 1.0f);
    EXPECT_EQ(ally->burner, enemy_shooter);
    EXPECT_LT(ally->hit_points, 100.0f);

    // A player's napalm splashes the enemies.
    Entity *own = Shot("Napalm", {700, 400}, {0, 0}, shooter, "NapalmGun");
    Entity *enemy = Dummy("Target", {700, 400}, 1000.0f);
    ASSERT_TRUE(own && enemy);
    world->KillEntity(own, nullptr, false);
    EXPECT_NEAR(enemy->hit_points, 960.0f, 1e-3f);  // the full 40 at the centre
}

TEST_F(HotProjectileTest, NapalmScattersTenFlamesOfEitherWeaponClass) {
    StartProjectiles();
    struct Case {
        const char *weapon;
        bool bullet_class;
    };
    static const Case kCases[] = {{"NapalmGun", true}, {"NapalmPods", false}};
    for (const Case &c : kCases) {
        SCOPED_TRACE(c.weapon);
        for (Entity *old : LivingOfType("ProjectileFlame")) {
            world->stock->FreeEntity(old);
        }
        Entity *rocket = Shot("Napalm", {500, 400}, {0, 0}, shooter, c.weapon);
        ASSERT_NE(rocket, nullptr);
        // The first flame: a = pi (the draw 32767), r = 5 (the draw 0).
        ScriptRandom({32767, 0}, 16383);
        world->KillEntity(rocket, nullptr, false);
        std::vector<Entity *> flames = LivingOfType("ProjectileFlame");
        ASSERT_EQ(flames.size(), 10u);
        std::vector<bool> angle_seen(10, false);
        Weapon *weapon = Weapon::GetWeapon(c.weapon);
        for (Entity *f : flames) {
            float dx = f->pos.x - 500.0f, dy = f->pos.y - 400.0f;
            float r = sqrtf(dx * dx + dy * dy);
            EXPECT_GE(r, 5.0f - 1e-3f);
            EXPECT_LE(r, 15.0f + 1e-3f);
            int i = (int)lroundf((f->angle + kPi) * 10.0f / (2.0f * kPi));
            ASSERT_GE(i, 0);
            ASSERT_LT(i, 10);
            EXPECT_NEAR(f->angle, (float)i * 2.0f * kPi / 10.0f - kPi, 1e-5f);
            angle_seen[(size_t)i] = true;
            if (i == 0) {
                EXPECT_NEAR(f->pos.x, 495.0f, 1e-3f);
                EXPECT_NEAR(f->pos.y, 400.0f, 1e-3f);
            }
            EXPECT_EQ(f->owner, shooter);
            EXPECT_EQ(f->friend_group, Entity::PLAYERS);
            EXPECT_EQ(f->age, 1.0f);
            EXPECT_EQ(f->points_worth, 0);
            EXPECT_NEAR(f->range, 200.0f * (1.0f + weapon->projectile_range_random * (16383.0f / 32767.0f - 0.5f)),
                        1e-3f);
            if (c.bullet_class) {
                EXPECT_EQ(f->weapon, weapon);
                float speed = 5.0f * (1.0f + 0.5f * (16383.0f / 32767.0f - 0.5f));
                EXPECT_NEAR(f->speed, speed, 1e-5f);
                EXPECT_NEAR(f->velocity.x, speed * cosf(f->angle), 1e-4f);
                EXPECT_NEAR(f->velocity.y, speed * sinf(f->angle), 1e-4f);
                EXPECT_EQ(f->damage, 8.0f);  // 4 x the multiplier 2
            } else {
                EXPECT_EQ(f->velocity.x, 0.0f);
                EXPECT_EQ(f->velocity.y, 0.0f);
                EXPECT_EQ(f->splash_range, 20.0f);
                EXPECT_EQ(f->splash_damage, 20.0f);
                EXPECT_EQ(f->damage, 4.0f);
            }
        }
        for (int i = 0; i < 10; i++) {
            EXPECT_TRUE(angle_seen[(size_t)i]) << i;
        }
    }

    // Without a weapon: no splash and no flames.
    for (Entity *old : LivingOfType("ProjectileFlame")) {
        world->stock->FreeEntity(old);
    }
    Entity *dud = Shot("Napalm", {500, 400}, {0, 0}, shooter, nullptr);
    ASSERT_NE(dud, nullptr);
    world->KillEntity(dud, nullptr, false);
    EXPECT_EQ(LivingOfType("ProjectileFlame").size(), 0u);
}

TEST_F(HotProjectileTest, NapalmFlamesThatFindNoRecordAreSkipped) {
    StartProjectiles();
    Entity *rocket = Shot("Napalm", {500, 400}, {0, 0}, shooter, "NapalmGun");
    ASSERT_NE(rocket, nullptr);
    // Fill the pool but four records (the last is never handed out): three flames. The
    // filler is placed as a level places it (an enemy spawned in play would leave the
    // squad's reserve free).
    EntityType *filler = world->stock->GetEntityType("Target");
    while (world->stock->CountFreeEntities() > 4) {
        ASSERT_NE(world->SpawnEntitySilent(filler, {900, 100}), nullptr);
    }
    world->KillEntity(rocket, nullptr, false);
    EXPECT_EQ(LivingOfType("ProjectileFlame").size(), 3u);
}

TEST_F(HotProjectileTest, FlameChoosesItsVictimStaggersTheOthersAndTradesHitPoints) {
    StartProjectiles();
    Entity *ally = Dummy("Ally", {300, 300});
    Entity *dying_burner = Dummy("Target", {300, 300}, 10.0f);  // burning under 20: passed over
    Entity *victim = Dummy("Target", {300, 300}, 50.0f);
    Entity *flame = Shot("ProjectileFlame", {300, 300}, {10, 0}, shooter, "Flamer");
    ASSERT_TRUE(ally && dying_burner && victim && flame);
    ally->throttle = 0.9f;
    dying_burner->burn_time = 1.0f;
    dying_burner->throttle = 0.9f;
    victim->throttle = 0.4f;
    flame->hit_points = 100.0f;
    Update(flame, 0.1f);
    EXPECT_EQ(victim->burner, shooter);
    EXPECT_EQ(victim->burn_time, 1.0f);
    EXPECT_EQ(victim->burn_damage, 30.0f);  // 10 x the multiplier 3
    EXPECT_EQ(victim->hit_points, 46.0f);   // the flame's damage 4
    EXPECT_EQ(flame->hit_points, 50.0f);    // spent the victim's 50
    EXPECT_TRUE(flame->IsAlive());
    EXPECT_NEAR(victim->throttle, 0.4f, 1e-6f);      // not above 0.5
    EXPECT_NEAR(dying_burner->throttle, 0.8f, 1e-6f);  // staggers
    EXPECT_EQ(dying_burner->hit_points, 10.0f);
    EXPECT_NEAR(ally->throttle, 0.9f, 1e-6f);  // own side untouched
    EXPECT_EQ(ally->burn_time, 0.0f);
    EXPECT_NEAR(flame->pos.x, 301.0f, 1e-4f);

    // A second victim with 60 left: the flame burns out.
    Entity *second = Dummy("Target", {500, 300}, 60.0f);
    ASSERT_NE(second, nullptr);
    second->burn_time = 1.5f;  // burning already, but strong: still a victim
    flame->pos = flame->origin = second->pos;
    Update(flame, 0.1f);
    EXPECT_EQ(second->burn_time, 1.5f);  // added to only below 1
    EXPECT_EQ(second->hit_points, 56.0f);
    EXPECT_FALSE(flame->IsAlive());
}

TEST_F(HotProjectileTest, FlameLifetimeRangeAndBurnWithoutAWeapon) {
    StartProjectiles();
    struct Case {
        const char *weapon;
        float travelled;
        float age;
        bool burns;
        bool alive;
        float burn_damage;
    };
    static const Case kCases[] = {
        {"Flamer", 99.0f, 1.0f, true, true, 30.0f},
        {"Flamer", 101.0f, 1.0f, false, false, 0.0f},  // past the weapon's range: stops there
        {"Flamer", 50.0f, 5.5f, true, false, 30.0f},   // too old: killed, the frame goes on
        {nullptr, 500.0f, 1.0f, true, true, 1.0f},     // no weapon: no range, burn 1 per second
    };
    for (const Case &c : kCases) {
        SCOPED_TRACE(testing::Message() << (c.weapon ? c.weapon : "none") << " " << c.travelled << " " << c.age);
        Entity *target = Dummy("Target", {100.0f + c.travelled, 500.0f}, 50.0f);  // half the flame's
        Entity *flame = Shot("ProjectileFlame", target->pos, {0, 0}, shooter, c.weapon);
        ASSERT_TRUE(target && flame);
        flame->origin = {100.0f, 500.0f};
        flame->age = c.age;
        Update(flame, 0.1f);
        EXPECT_EQ(target->burn_time > 0.0f, c.burns);
        EXPECT_EQ(target->burn_damage, c.burn_damage);
        EXPECT_EQ(flame->IsAlive(), c.alive);
        world->stock->FreeEntity(target);
        world->stock->FreeEntity(flame);
    }
}

// An incendiary bullet sets what it hits alight as a flame does (a second of burning at
// 10 a second times its weapon's multiplier, credited to the shooter) and still hits;
// a plain bullet burns nothing; a victim already burning for a second or more is not
// given more time.
TEST_F(HotProjectileTest, IncendiaryBulletSetsItsVictimAlightAndAPlainOneDoesNot) {
    StartProjectiles();
    struct Case {
        const char *kind;
        const char *weapon;
        float burning_before;
        float burn_time, burn_damage;
    };
    static const Case kCases[] = {
        {"FireSlug", "FireGun", 0.0f, 1.0f, 15.0f},
        {"FireSlug", nullptr, 0.5f, 1.5f, 1.0f},
        {"FireSlug", "FireGun", 1.2f, 1.2f, 15.0f},
        {"Slug", "Gun", 0.0f, 0.0f, 0.0f},
    };
    for (const Case &c : kCases) {
        SCOPED_TRACE(testing::Message() << c.kind << " of " << (c.weapon ? c.weapon : "no weapon") << ", burning "
                                        << c.burning_before);
        Entity *target = Dummy("Target", {500, 400});
        Entity *p = Shot(c.kind, {500, 400}, {100, 0}, shooter, c.weapon);
        ASSERT_TRUE(target && p);
        target->burn_time = c.burning_before;
        Update(p, 0.01f);
        EXPECT_FLOAT_EQ(target->hit_points, 90.0f);  // the hit itself
        EXPECT_FLOAT_EQ(target->burn_time, c.burn_time);
        EXPECT_FLOAT_EQ(target->burn_damage, c.burn_damage);
        EXPECT_EQ(target->burner, c.burn_damage > 0.0f ? shooter : nullptr);
        world->stock->FreeEntity(target);
        world->stock->FreeEntity(p);
    }
}

TEST_F(HotProjectileTest, IceChillsOneVictimAFrameUpToTwoSeconds) {
    StartProjectiles();
    Entity *a = Dummy("Target", {300, 300});
    Entity *b = Dummy("Target", {302, 300});
    Entity *shard = Shot("Shard", {301, 300}, {0, 0}, shooter, "Freezer");
    ASSERT_TRUE(a && b && shard);
    const float expected[] = {0.5f, 1.0f, 1.5f, 2.0f, 2.0f};
    Entity *first = nullptr;
    for (float chill : expected) {
        Update(shard, 0.1f);
        if (first == nullptr) {
            first = a->chill_time > 0.0f ? a : b;
        }
        EXPECT_NEAR(first->chill_time, chill, 1e-5f);
    }
    Entity *other = first == a ? b : a;
    EXPECT_EQ(other->chill_time, 0.0f);  // one victim a frame: always the first
    EXPECT_EQ(first->hit_points, 100.0f - 5 * 3.0f);
    EXPECT_TRUE(shard->IsAlive());  // it flies on through

    shard->hit_points = 0.5f;
    Update(shard, 0.1f);
    EXPECT_FALSE(shard->IsAlive());

    Entity *far = Shot("Shard", {500, 300}, {0, 0}, shooter, "Freezer");
    ASSERT_NE(far, nullptr);
    far->origin = {399, 300};  // 101 from where it was fired: range 100
    Update(far, 0.1f);
    EXPECT_FALSE(far->IsAlive());
}

TEST_F(HotProjectileTest, GasSlowsEachFrameAndJoltsItsVictimsHeading) {
    StartProjectiles();
    // The drift depends on the frame rate: 0.98 per frame.
    float distance[2] = {};
    const float steps[2] = {1.0f / 60.0f, 1.0f / 30.0f};
    for (int k = 0; k < 2; k++) {
        Entity *cloud = Shot("Cloud", {100, 100 + 100.0f * (float)k}, {100, 0}, shooter, nullptr);
        ASSERT_NE(cloud, nullptr);
        int frames = (int)lroundf(1.0f / steps[k]);
        float speed = 100.0f;
        float expected = 0.0f;
        for (int i = 0; i < frames; i++) {
            Update(cloud, steps[k]);
            speed *= 0.98f;
            expected += steps[k] * speed;
        }
        EXPECT_NEAR(cloud->velocity.x, 100.0f * powf(0.98f, (float)frames), 1e-3f);
        distance[k] = cloud->pos.x - 100.0f;
        EXPECT_NEAR(distance[k], expected, 1e-2f);
    }
    EXPECT_GT(distance[1], distance[0] + 10.0f);

    struct Case {
        int draw;
        float jolt;
        float age;
        bool alive;
    };
    static const Case kCases[] = {
        {32767, 0.1f, 1.0f, true},
        {0, -0.1f, 1.0f, true},
        {16383, 0.0f, 5.5f, false},  // too old: killed, still confuses
    };
    for (const Case &c : kCases) {
        SCOPED_TRACE(testing::Message() << "draw " << c.draw << " age " << c.age);
        Entity *victim = Dummy("Target", {600, 600});
        Entity *cloud = Shot("Cloud", {600, 600}, {0, 0}, shooter, nullptr);
        ASSERT_TRUE(victim && cloud);
        victim->angle = 1.0f;
        cloud->age = c.age;
        ScriptRandom({c.draw});
        Update(cloud, 0.1f);
        EXPECT_NEAR(victim->angle, 1.0f + c.jolt, 1e-4f);
        EXPECT_EQ(victim->hit_points, 98.0f);
        EXPECT_EQ(cloud->IsAlive(), c.alive);
        world->stock->FreeEntity(victim);
        world->stock->FreeEntity(cloud);
    }
}

}  // namespace
}  // namespace aitest
