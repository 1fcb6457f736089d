// Fixture kinds for the enemy and projectile behaviour tests.
#include "tests/game/entities/test_ai_enemies_fixture.h"

#include "game/entities/entity-types.h"
#include "game/gamestate.h"

#include <string.h>

namespace aitest {

#define ENEMY(id, ai)                                                                                   \
    "<node id=\"" id "\" ai=\"" ai "\" flags=\"NORMAL MOVABLE\" friend_group=\"ENEMIES\" hit_points=\"100\" " \
    "radius=\"10\" top_speed=\"100\" aggro_radius=\"50\" damage=\"7\" scale=\"1\" anim_playback_speed=\"1\" "

const char *const kEnemyTypes =
    ENEMY("Seeker", "Seeker") "/>\n"
    ENEMY("SeekerLeaper", "SeekerLeaper") "/>\n"
    ENEMY("SeekerFlyer", "SeekerFlyer") "/>\n"
    ENEMY("Splitter", "Splitter") "/>\n"
    ENEMY("QuadSplitter", "QuadSplitter") "/>\n"
    ENEMY("BossSplitter", "BossSplitter") "/>\n"
    ENEMY("Mine", "Mine") "fx_idle=\"fxs/mine-idle.lua\" fx_attack=\"fxs/mine-blast.lua\"/>\n"
    ENEMY("WaypointAttacker", "WaypointAttacker") "ai_parm_a=\"0.5\"/>\n"
    ENEMY("Raider", "WaypointAttacker") "ai_parm_a=\"0.5\" weapon=\"EggLayer\"/>\n"
    ENEMY("HangAround", "HangAround") "ai_parm_a=\"0.5\" ai_parm_b=\"1\"/>\n"
    ENEMY("HiveMind", "HiveMind") "ai_parm_a=\"0.5\" controls_entities=\"Drone\"/>\n"
    ENEMY("Drone", "Seeker") "/>\n"
    ENEMY("Kamikaze", "Kamikaze") "/>\n"
    ENEMY("Hound", "Seeker") "/>\n"
    ENEMY("Egg", "Mine") "/>\n"
    "<node id=\"Target\" flags=\"NORMAL\" friend_group=\"ENEMIES\" material=\"METAL\" hit_points=\"100\" "
    "radius=\"10\" scale=\"1\"/>\n"
    "<node id=\"Trooper\" flags=\"NORMAL MOVABLE\" friend_group=\"PLAYERS\" material=\"METAL\" hit_points=\"100\" "
    "radius=\"10\" scale=\"1\"/>\n"
    "<node id=\"Ally\" flags=\"NORMAL\" friend_group=\"PLAYERS\" material=\"METAL\" hit_points=\"100\" "
    "radius=\"10\" scale=\"1\"/>\n"
    "<node id=\"BaseBunker\" flags=\"NORMAL BLOCKS_MOVEMENT\" friend_group=\"PLAYERS\" material=\"METAL\" "
    "hit_points=\"1000\" radius=\"40\" scale=\"1\"/>\n"
    "<node id=\"Powerup\" type=\"Powerup\" ai=\"Powerup\" flags=\"POWERUP\" friend_group=\"PLAYERS\" "
    "hit_points=\"1\" radius=\"20\" scale=\"1\"/>\n"
    "<node id=\"Slug\" ai=\"Bullet\" flags=\"PROJECTILE\" friend_group=\"INHERIT\" hit_points=\"1\" radius=\"4\" "
    "damage=\"10\" scale=\"1\"/>\n"
    "<node id=\"FireSlug\" ai=\"Bullet\" flags=\"PROJECTILE INCENDIARY\" friend_group=\"INHERIT\" hit_points=\"1\" "
    "radius=\"4\" damage=\"10\" scale=\"1\"/>\n"
    "<node id=\"Rocket\" ai=\"Rocket\" flags=\"PROJECTILE\" friend_group=\"INHERIT\" hit_points=\"1\" radius=\"5\" "
    "damage=\"10\" scale=\"1\"/>\n"
    "<node id=\"Napalm\" ai=\"RocketNapalm\" flags=\"PROJECTILE\" friend_group=\"INHERIT\" hit_points=\"1\" "
    "radius=\"5\" damage=\"10\" scale=\"1\"/>\n"
    "<node id=\"ProjectileFlame\" type=\"ProjectileFlame\" ai=\"Flame\" flags=\"PROJECTILE\" "
    "friend_group=\"INHERIT\" hit_points=\"100\" radius=\"12\" damage=\"4\" scale=\"1\"/>\n"
    "<node id=\"Shard\" ai=\"Ice\" flags=\"PROJECTILE\" friend_group=\"INHERIT\" hit_points=\"5\" radius=\"6\" "
    "damage=\"3\" scale=\"1\"/>\n"
    "<node id=\"Cloud\" ai=\"Gas\" flags=\"PROJECTILE\" friend_group=\"INHERIT\" hit_points=\"5\" radius=\"20\" "
    "damage=\"2\" scale=\"1\"/>\n";

#undef ENEMY

const char *const kEnemyWeapons =
    "<node id=\"Gun\" projectile_entity=\"Slug\" projectile_angle_spread=\"0\" projectile_range=\"300\" "
    "projectile_speed=\"400\"/>\n"
    "<node id=\"EggLayer\" projectile_class=\"ENTITY\" projectile_entity=\"Egg\" projectile_angle_spread=\"0\" "
    "projectile_splash_range=\"60\" projectile_splash_damage=\"30\"/>\n"
    "<node id=\"Bazooka\" projectile_entity=\"Rocket\" projectile_splash_range=\"100\" "
    "projectile_splash_damage=\"100\"/>\n"
    "<node id=\"NapalmGun\" projectile_entity=\"Napalm\" projectile_range=\"200\" projectile_range_random=\"0.5\" "
    "projectile_damage_multiplier=\"2\" projectile_splash_range=\"50\" projectile_splash_damage=\"40\"/>\n"
    "<node id=\"NapalmPods\" projectile_class=\"ENTITY\" projectile_entity=\"Napalm\" projectile_range=\"200\" "
    "projectile_splash_range=\"50\" projectile_splash_damage=\"40\"/>\n"
    "<node id=\"Flamer\" projectile_entity=\"ProjectileFlame\" projectile_range=\"100\" "
    "projectile_damage_multiplier=\"3\"/>\n"
    "<node id=\"Freezer\" projectile_entity=\"Shard\" projectile_range=\"100\"/>\n"
    "<node id=\"FireGun\" projectile_entity=\"FireSlug\" projectile_range=\"300\" projectile_speed=\"400\" "
    "projectile_damage_multiplier=\"1.5\"/>\n";

Scape *EnemyAITest::StartEnemies(const std::string &powerups) {
    Scape *built = StartWorld(kEnemyWeapons, powerups, kEnemyTypes);
    game.parms.game_mode = GAME_MODE_SURVIVAL;
    game.game_clock = 100000;
    return built;
}

EntityAI *EnemyAITest::Behaviour(const char *name) {
    return world->stock->GetEntityAI(name);
}

int EnemyAITest::CountOfType(const char *type_name) {
    EntityType *type = world->stock->GetEntityType(type_name);
    return world->GetNumberOfEntitiesOfType(type);
}

std::vector<Entity *> EnemyAITest::LivingOfType(const char *type_name) {
    EntityType *type = world->stock->GetEntityType(type_name);
    std::vector<Entity *> living;
    for (int i = 0; i < world->stock->num_entities; i++) {
        Entity *e = &world->stock->entities[i];
        if (e->type == type && e->IsAlive()) {
            living.push_back(e);
        }
    }
    return living;
}

}  // namespace aitest
