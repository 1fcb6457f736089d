// Fixture content for whole battles with every behaviour kind (see battle_content.h).
#include "tests/game/entities/battle_content.h"

#include "tests/app/services/app_engine_fixture.h"
#include "tests/game/game_fixture.h"
#include "tests/app/ui/widget_fixture.h"

#include <math.h>
#include <stdio.h>

#include <string>

namespace battlecontent {

#define UNIT(id, ai, group, extra)                                                                        \
    "<node id=\"" id "\" ai=\"" ai "\" flags=\"NORMAL MOVABLE\" friend_group=\"" group "\" radius=\"9\" " \
    "scale=\"1\" " extra "/>\n"
#define ENEMY(id, ai, extra) \
    UNIT(id, ai, "ENEMIES", "hit_points=\"60\" top_speed=\"45\" aggro_radius=\"60\" damage=\"4\" points_worth=\"10\" " \
         "anim_playback_speed=\"1\" bm_move=\"kinds/enemy.png\" " extra)
#define TROOPER(id, weapon) \
    UNIT(id, "Trooper", "PLAYERS", "hit_points=\"1000000000\" top_speed=\"50\" aggro_radius=\"250\" " \
         "bm_move=\"kinds/trooper.png\" weapon=\"" weapon "\"")
#define SHOT(id, ai, cls, extra)                                                                              \
    "<node id=\"" id "\" type=\"" cls "\" ai=\"" ai "\" flags=\"PROJECTILE\" friend_group=\"INHERIT\" "       \
    "scale=\"1\" bm_move=\"kinds/shot.png\" " extra "/>\n"

const char kEntities[] =
    "<node id=\"BaseBunker\" type=\"Structure\" ai=\"BaseBunker\" flags=\"NORMAL BLOCKS_MOVEMENT\" "
    "friend_group=\"PLAYERS\" hit_points=\"1000000000\" radius=\"40\" scale=\"1\" bm_move=\"kinds/base.png\"/>\n"
    "<node id=\"MedTent\" type=\"Structure\" ai=\"BaseBunker\" flags=\"NORMAL BLOCKS_MOVEMENT\" "
    "friend_group=\"PLAYERS\" hit_points=\"1000000000\" radius=\"30\" scale=\"1\" bm_move=\"kinds/base.png\"/>\n"
    "<node id=\"Crate\" ai=\"Default\" flags=\"NORMAL\" friend_group=\"PLAYERS\" hit_points=\"1000000000\" "
    "radius=\"12\" scale=\"1\" bm_move=\"kinds/base.png\"/>\n"
    "<node id=\"Player\" ai=\"Player\" flags=\"NORMAL\" friend_group=\"PLAYERS\" hit_points=\"1000000000\" "
    "radius=\"5\" scale=\"1\" bm_move=\"kinds/trooper.png\"/>\n"
    "<node id=\"Powerup\" type=\"Powerup\" ai=\"Powerup\" flags=\"POWERUP\" friend_group=\"PLAYERS\" "
    "hit_points=\"1\" radius=\"14\" scale=\"1\" bm_move=\"kinds/pickup.png\"/>\n"
    "<node id=\"Parachute\" type=\"PowerupParachute\" ai=\"Powerup\" flags=\"POWERUP\" friend_group=\"PLAYERS\" "
    "hit_points=\"1\" radius=\"14\" scale=\"1\" bm_move=\"kinds/pickup.png\"/>\n"
    TROOPER("Gunner", "Rifle")
    TROOPER("Rocketeer", "Bazooka")
    TROOPER("Napalmer", "NapalmGun")
    TROOPER("Pyro", "Flamer")
    TROOPER("Froster", "Freezer")
    TROOPER("Gasser", "GasGun")
    TROOPER("Minigunner", "Minigun")
    TROOPER("Shotgunner", "Shotgun")
    TROOPER("Sniper", "SniperRifle")
    ENEMY("Seeker", "Seeker", "")
    ENEMY("Leaper", "SeekerLeaper", "")
    ENEMY("Flyer", "SeekerFlyer", "")
    ENEMY("Splitter", "Splitter", "")
    ENEMY("QuadSplitter", "QuadSplitter", "")
    ENEMY("Boss", "BossSplitter", "")
    ENEMY("Hound", "Seeker", "")
    ENEMY("Nest", "Spawner", "")
    ENEMY("Raider", "WaypointAttacker", "ai_parm_a=\"0.9\" weapon=\"EggLayer\"")
    ENEMY("Egg", "Mine", "")
    ENEMY("Hanger", "HangAround", "ai_parm_a=\"0.9\" ai_parm_b=\"0.5\" weapon=\"Spitter\"")
    ENEMY("Hive", "HiveMind", "ai_parm_a=\"0.9\" controls_entities=\"Drone\"")
    ENEMY("Drone", "Seeker", "")
    ENEMY("Kamikaze", "Kamikaze", "")
    SHOT("Slug", "Bullet", "ProjectileSimple", "hit_points=\"1\" radius=\"3\" damage=\"6\"")
    SHOT("Spit", "Bullet", "ProjectileSimple", "hit_points=\"1\" radius=\"3\" damage=\"2\"")
    SHOT("Rocket", "Rocket", "ProjectileSimple", "hit_points=\"1\" radius=\"4\" damage=\"10\"")
    SHOT("Napalm", "RocketNapalm", "ProjectileSimple", "hit_points=\"1\" radius=\"4\" damage=\"10\"")
    SHOT("ProjectileFlame", "Flame", "ProjectileFlame", "hit_points=\"40\" radius=\"8\" damage=\"2\"")
    SHOT("Shard", "Ice", "ProjectileSimple", "hit_points=\"1\" radius=\"4\" damage=\"3\"")
    SHOT("Cloud", "Gas", "ProjectileSimple", "hit_points=\"5\" radius=\"16\" damage=\"1\"")
    SHOT("ProjectileLead", "Bullet", "ProjectileTrailed", "hit_points=\"1\" radius=\"2\" damage=\"5\"")
    // The kinds every battle caches.
    TROOPER("MinigunTrooper", "Rifle")
    TROOPER("BazookaTrooper", "Bazooka")
    TROOPER("ShotgunTrooper", "Rifle")
    TROOPER("PyroTrooper", "Flamer")
    TROOPER("SniperTrooper", "Rifle");

#undef UNIT
#undef ENEMY
#undef TROOPER
#undef SHOT

const char kWeapons[] =
    "<node id=\"Rifle\" projectile_entity=\"Slug\" projectile_speed=\"400\" projectile_range=\"250\" "
    "projectile_piercing=\"0.3\" shot_interval=\"0.2\" clip_size=\"30\" reload_size=\"30\" reload_time=\"1\"/>\n"
    "<node id=\"Minigun\" projectile_entity=\"Slug\" projectile_speed=\"450\" projectile_range=\"240\" "
    "projectile_angle_spread=\"0.08\" shot_interval=\"0.07\" clip_size=\"80\" reload_size=\"80\" reload_time=\"1.5\"/>\n"
    "<node id=\"Shotgun\" projectile_entity=\"Slug\" projectile_speed=\"380\" projectile_range=\"170\" "
    "projectiles_per_shot=\"6\" projectile_angle_spread=\"0.5\" shot_interval=\"0.7\" clip_size=\"6\" "
    "reload_size=\"6\" reload_time=\"2\"/>\n"
    "<node id=\"SniperRifle\" projectile_entity=\"ProjectileLead\" projectile_speed=\"900\" projectile_range=\"400\" "
    "projectile_piercing=\"0.6\" trail_length=\"80\" shot_interval=\"0.9\" clip_size=\"5\" reload_size=\"5\" "
    "reload_time=\"2\"/>\n"
    "<node id=\"Bazooka\" projectile_entity=\"Rocket\" projectile_speed=\"250\" projectile_range=\"260\" "
    "projectile_splash_range=\"60\" projectile_splash_damage=\"40\" shot_interval=\"1\" clip_size=\"4\" "
    "reload_size=\"4\" reload_time=\"2\"/>\n"
    "<node id=\"NapalmGun\" projectile_entity=\"Napalm\" projectile_speed=\"200\" projectile_range=\"240\" "
    "projectile_range_random=\"0.3\" projectile_splash_range=\"50\" projectile_splash_damage=\"30\" "
    "shot_interval=\"1.5\" clip_size=\"3\" reload_size=\"3\" reload_time=\"2\"/>\n"
    "<node id=\"Flamer\" projectile_entity=\"ProjectileFlame\" projectile_speed=\"150\" projectile_range=\"120\" "
    "projectile_angle_spread=\"0.3\" shot_interval=\"0.1\" clip_size=\"40\" reload_size=\"40\" reload_time=\"2\"/>\n"
    "<node id=\"Freezer\" projectile_entity=\"Shard\" projectile_speed=\"220\" projectile_range=\"160\" "
    "shot_interval=\"0.3\" clip_size=\"20\" reload_size=\"20\" reload_time=\"2\"/>\n"
    "<node id=\"GasGun\" projectile_entity=\"Cloud\" projectile_speed=\"70\" projectile_range=\"200\" "
    "shot_interval=\"0.5\" clip_size=\"10\" reload_size=\"10\" reload_time=\"2\"/>\n"
    "<node id=\"EggLayer\" projectile_class=\"ENTITY\" projectile_entity=\"Egg\" projectile_angle_spread=\"0\" "
    "projectile_splash_range=\"50\" projectile_splash_damage=\"20\" clip_size=\"1000\"/>\n"
    "<node id=\"Spitter\" projectile_entity=\"Spit\" projectile_speed=\"200\" projectile_range=\"200\" "
    "shot_interval=\"1\" clip_size=\"5\" reload_size=\"5\" reload_time=\"2\"/>\n";

const char kPowerups[] =
    "<node id=\"POWERUP_MONEY\" rarity=\"1\"/>\n"
    "<node id=\"POWERUP_SPEED\" rarity=\"1\"/>\n";

const char kBunkerOutline[] = "terrain/obstacles/bunker.xml";

namespace {

// The shared effects of the stock and the world, each a small burst.
const char *const kEffects[] = {
    "fxs/entity-target-removed.lua", "fxs/entity-target.lua", "fxs/entity-selector.lua", "fxs/in-flames.lua",
    "fxs/artillery-strike.lua", "fxs/artillery-strike-light.lua", "fxs/star-lost.lua", "fxs/star-lost-2.lua",
    "fxs/star-lost-3.lua", "fxs/egg_glow_exploding.lua", "fxs/hilight-rank.lua", "fxs/sparks.lua",
    "fxs/smoke_burns.lua",
};

// The bunker's outline: an octagon of radius 36.
std::string BunkerOutline()
{
    std::string edges;
    for (int i = 0; i < 8; i++) {
        float a0 = 2.0f * (float)M_PI * (float)i / 8.0f;
        float a1 = 2.0f * (float)M_PI * (float)(i + 1) / 8.0f;
        char line[160];
        snprintf(line, sizeof line, "  <node p0x=\"%.3f\" p0y=\"%.3f\" p1x=\"%.3f\" p1y=\"%.3f\"/>\n", 36.0f * cosf(a0),
                 36.0f * sinf(a0), 36.0f * cosf(a1), 36.0f * sinf(a1));
        edges += line;
    }
    return "<?xml version=\"1.0\"?>\n<root>\n <array id=\"info\">\n  <node id=\"bitmap\" value=\"kinds/base.png\"/>\n"
           " </array>\n <array id=\"edges\">\n" +
           edges + " </array>\n</root>\n";
}

}  // namespace

void WriteAssets()
{
    struct Sprite {
        const char *name;
        widgettest::Rgba colour;
    };
    const Sprite sprites[] = {{"kinds/enemy.png", {220, 40, 40, 255}},   {"kinds/trooper.png", {60, 120, 255, 255}},
                              {"kinds/shot.png", {255, 230, 60, 255}},   {"kinds/base.png", {160, 160, 160, 255}},
                              {"kinds/pickup.png", {60, 230, 90, 255}}};
    for (const char *fx : kEffects)
        apptest::WriteFile(fx, "FXParm ('num_parts', 1) FXParm ('bitmap', 'kinds/shot.png') "
                               "FXParm ('age_to_die', 0.3, 0.3)");
    apptest::WriteFile(kBunkerOutline, BunkerOutline());
    apptest::WriteFile("texts.xml", gametest::XmlArray("tutorial", ""));
    for (const Sprite &s : sprites) {
        widgettest::Rgba c = s.colour;
        widgettest::WritePng(s.name, 12, 12, [c](int x, int y) {
            bool edge = x == 0 || y == 0 || x == 11 || y == 11;
            return edge ? widgettest::Rgba{0, 0, 0, 255} : c;
        });
    }
}

}  // namespace battlecontent
