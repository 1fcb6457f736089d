// Fixture kinds for the enemy and projectile behaviour tests, on the behaviour base's
// world (scripted random values, the one-second tick held still).
#ifndef TESTS_GAME_ENTITIES_TEST_AI_ENEMIES_FIXTURE_H
#define TESTS_GAME_ENTITIES_TEST_AI_ENEMIES_FIXTURE_H

#include "tests/game/entities/test_entity_ai_fixture.h"

#include "game/entities/entity.h"
#include "game/entities/entity-types.h"
#include "game/entities/entity-ai.h"
#include "game/entities/weapons.h"

#include <string>

namespace aitest {

// One enemy kind per behaviour ("Seeker", "SeekerLeaper", "SeekerFlyer", "Splitter",
// "QuadSplitter", "BossSplitter", "Mine", "WaypointAttacker", "HangAround",
// "HiveMind", "Kamikaze"; radius 10, speed 100, aggro 50, damage 7, 100 hit points),
// "Drone" (a Seeker the hive mind steers), "Hound", "Raider" (a WaypointAttacker
// laying "Egg" mines), "Target" (an ENEMIES dummy of metal that does not move),
// "Trooper", "Ally" (a PLAYERS dummy of metal), "BaseBunker", "Powerup", and the
// projectiles "Slug" (Bullet), "FireSlug" (an incendiary Bullet), "Rocket", "Napalm", "ProjectileFlame" (Flame),
// "Shard" (Ice) and "Cloud" (Gas).
extern const char *const kEnemyTypes;
// Weapons: "Gun" (the slug, piercing 0), "EggLayer" (ENTITY class, "Egg"),
// "Bazooka" (rocket, splash 100 / 100), "NapalmGun" (napalm rocket, bullet class,
// range 200, damage multiplier 2), "NapalmPods" (napalm, ENTITY class),
// "Flamer" (flame, range 100, multiplier 3), "Freezer" (ice, range 100), "FireGun"
// (the incendiary slug, multiplier 1.5).
extern const char *const kEnemyWeapons;

class EnemyAITest : public EntityAITest {
protected:
    // The world with these kinds and weapons; survival mode; game clock 100 s.
    Scape *StartEnemies(const std::string &powerups = "");
    // The registered behaviour of that name.
    EntityAI *Behaviour(const char *name);
    // Entities of a kind in play (alive or dying).
    int CountOfType(const char *type_name);
    // Living entities of a kind.
    std::vector<Entity *> LivingOfType(const char *type_name);
};

// Projectiles fired by a trooper or an enemy shooter, and targets to hit.
class ProjectileTest : public EnemyAITest {
protected:
    void StartProjectiles() {
        StartEnemies();
        shooter = Spawn("Trooper", {50, 700});
        enemy_shooter = Spawn("Seeker", {950, 700});
        ASSERT_TRUE(shooter && enemy_shooter);
    }
    // A projectile of that kind at `at`, fired by `owner` (its side), with the weapon
    // named (or none), flying at `velocity`, a range of 1000.
    Entity *Shot(const char *kind, vec2_t at, vec2_t velocity, Entity *owner, const char *weapon) {
        Entity *p = Spawn(kind, at);
        EXPECT_NE(p, nullptr);
        if (p == nullptr) {
            return nullptr;
        }
        p->owner = owner;
        p->ChangeGroup(owner->friend_group);
        p->weapon = weapon != nullptr ? Weapon::GetWeapon(weapon) : nullptr;
        p->velocity = velocity;
        p->range = 1000.0f;
        p->age = 1.0f;
        return p;
    }
    // A target of the ENEMIES side (or an ally of the players) that can be hit at once.
    Entity *Dummy(const char *kind, vec2_t at, float hit_points = 100.0f) {
        Entity *e = Spawn(kind, at);
        EXPECT_NE(e, nullptr);
        if (e != nullptr) {
            e->age = 1.0f;
            e->hit_points = e->max_hit_points = hit_points;
        }
        return e;
    }
    void Update(Entity *p, float dt) { p->type->ai->UpdateEntity(p, dt); }

    Entity *shooter = nullptr;
    Entity *enemy_shooter = nullptr;
};

}  // namespace aitest

#endif
