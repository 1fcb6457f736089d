// Fixture kinds for the enemy and projectile behaviour tests, on the behaviour base's
// world (scripted random values, the one-second tick held still).
#ifndef TESTS_GAME_ENTITIES_TEST_AI_ENEMIES_FIXTURE_H
#define TESTS_GAME_ENTITIES_TEST_AI_ENEMIES_FIXTURE_H

#include "tests/game/entities/test_entity_ai_fixture.h"

#include <string>

namespace aitest {

// One enemy kind per behaviour ("Seeker", "SeekerLeaper", "SeekerFlyer", "Splitter",
// "QuadSplitter", "BossSplitter", "Mine", "WaypointAttacker", "HangAround",
// "HiveMind", "Kamikaze"; radius 10, speed 100, aggro 50, damage 7, 100 hit points),
// "Drone" (a Seeker the hive mind steers), "Hound", "Raider" (a WaypointAttacker
// laying "Egg" mines), "Target" (an ENEMIES dummy of metal that does not move),
// "Trooper", "Ally" (a PLAYERS dummy of metal), "BaseBunker", "Powerup", and the
// projectiles "Slug" (Bullet), "Rocket", "Napalm", "ProjectileFlame" (Flame),
// "Shard" (Ice) and "Cloud" (Gas).
extern const char *const kEnemyTypes;
// Weapons: "Gun" (the slug, piercing 0), "EggLayer" (ENTITY class, "Egg"),
// "Bazooka" (rocket, splash 100 / 100), "NapalmGun" (napalm rocket, bullet class,
// range 200, damage multiplier 2), "NapalmPods" (napalm, ENTITY class),
// "Flamer" (flame, range 100, multiplier 3), "Freezer" (ice, range 100).
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

}  // namespace aitest

#endif
