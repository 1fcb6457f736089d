// orvex-contentcheck on the battle's data files: a small set of "entities.xml",
// "weapons.xml", "powerups.xml" and "shop.xml" that passes, then one fault at a time,
// each reported in its own file with its own message and exit status 1.
#include "tests/buildtools/contentcheck_fixture.h"

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <string>
#include <vector>

namespace {

const char kHead[] = "<?xml version=\"1.0\" encoding=\"iso-8859-1\"?>\n<root>\n";

struct Row {
    const char *id, *ai, *attrs;
};

// One type per behaviour and every type the code names; a trooper with a gun layer,
// a hive mind commanding drones, eggs laid through an ENTITY-class weapon.
const Row kTypes[] = {
    {"BaseBunker", "BaseBunker", "type=\"Structure\" flags=\"NORMAL BLOCKS_MOVEMENT\" friend_group=\"PLAYERS\""},
    {"BaseLauncher", "BaseBunker", "type=\"Structure\" flags=\"NORMAL\" friend_group=\"PLAYERS\""},
    {"BasePowerPlant", "BaseBunker", "type=\"Structure\" flags=\"NORMAL\" friend_group=\"PLAYERS\""},
    {"MedTent", "BaseBunker", "type=\"Structure\" flags=\"NORMAL\" friend_group=\"PLAYERS\""},
    {"Wreck", "Default", "type=\"Structure\" flags=\"BLOCKS_MOVEMENT\""},
    {"MinigunTrooper", "Trooper",
     "flags=\"NORMAL MOVABLE\" friend_group=\"PLAYERS\" weapon=\"Minigun\" bm_move2=\"layer.png\" barrel_angle=\"0\""},
    {"ShotgunTrooper", "Trooper", "flags=\"NORMAL MOVABLE\" friend_group=\"PLAYERS\""},
    {"BazookaTrooper", "Trooper", "flags=\"NORMAL MOVABLE\" friend_group=\"PLAYERS\""},
    {"PyroTrooper", "Trooper", "flags=\"NORMAL MOVABLE\" friend_group=\"PLAYERS\" weapon=\"Pyro\""},
    {"SniperTrooper", "Trooper", "flags=\"NORMAL MOVABLE\" friend_group=\"PLAYERS\""},
    {"UnarmedTrooper", "Trooper", "flags=\"NORMAL MOVABLE\" friend_group=\"PLAYERS\""},
    {"AlienPet", "Seeker", "flags=\"NORMAL\" friend_group=\"PLAYERS\""},
    {"Hound", "Seeker", "flags=\"NORMAL\" friend_group=\"ENEMIES\""},
    {"Leaper", "SeekerLeaper", "flags=\"NORMAL\" friend_group=\"ENEMIES\""},
    {"Flyer", "SeekerFlyer", "flags=\"NORMAL\" friend_group=\"ENEMIES\""},
    {"Splitter", "Splitter", "flags=\"NORMAL\" friend_group=\"ENEMIES\""},
    {"Quad", "QuadSplitter", "flags=\"NORMAL\" friend_group=\"ENEMIES\""},
    {"Den", "Spawner", "flags=\"NORMAL\" friend_group=\"ENEMIES\""},
    {"Worm", "BossSplitter", "flags=\"NORMAL\" friend_group=\"ENEMIES\""},
    {"Egg", "Mine", "flags=\"NORMAL\" friend_group=\"ENEMIES\""},
    {"Raider", "WaypointAttacker", "flags=\"NORMAL\" friend_group=\"ENEMIES\""},
    {"Drone", "HangAround", "flags=\"NORMAL\" friend_group=\"ENEMIES\""},
    {"Mother", "HiveMind", "flags=\"NORMAL\" friend_group=\"ENEMIES\" weapon=\"EggLayer\" controls_entities=\"Drone\""},
    {"Bloater", "Kamikaze", "flags=\"NORMAL\" friend_group=\"ENEMIES\""},
    {"Cocoon", "Player", "flags=\"NORMAL\" friend_group=\"ENEMIES\""},
    {"ProjectileLead", "Bullet",
     "type=\"ProjectileTrailed\" flags=\"PROJECTILE\" friend_group=\"INHERIT\" bm_move2=\"layer.png\""},
    {"ProjectileRocket", "Rocket", "type=\"ProjectileTrailed\" flags=\"PROJECTILE\" friend_group=\"INHERIT\""},
    {"ProjectileNapalm", "RocketNapalm", "type=\"ProjectileSimple\" flags=\"PROJECTILE\" friend_group=\"INHERIT\""},
    {"ProjectileFlame", "Flame", "type=\"ProjectileFlame\" flags=\"PROJECTILE\" friend_group=\"INHERIT\""},
    {"ProjectileIce", "Ice", "type=\"ProjectileSimple\" flags=\"PROJECTILE\" friend_group=\"INHERIT\""},
    {"ProjectileGas", "Gas", "type=\"ProjectileSimple\" flags=\"PROJECTILE\" friend_group=\"INHERIT\""},
    {"Powerup", "Powerup", "type=\"Powerup\" flags=\"POWERUP\" friend_group=\"PLAYERS\""},
    {"PowerupParachute", "Powerup", "type=\"PowerupParachute\" flags=\"POWERUP\" friend_group=\"PLAYERS\" "
                                    "ai_parm_str=\"RANDOM\""},
    {"PowerupScore", "Powerup",
     "type=\"Powerup\" flags=\"POWERUP\" friend_group=\"PLAYERS\" ai_parm_str=\"POWERUP_MONEY\""},
    {"PowerupHealth", "Powerup", "type=\"Powerup\" flags=\"POWERUP\" friend_group=\"PLAYERS\" "
                                 "ai_parm_str=\"POWERUP_HEALTH\""},
    {"PowerupSuperWeapon", "Powerup", "type=\"Powerup\" flags=\"POWERUP\" friend_group=\"PLAYERS\""},
};

// Every bullet-class weapon flies (a speed and a range, fractions as random terms);
// the pick-up loans ("RocketLauncher", "AlienPlasmGun", "BazookaBoom") reload nothing.
const Row kWeapons[] = {
    {"Minigun", "", "projectile_entity=\"ProjectileLead\" projectile_speed=\"700\" projectile_range=\"220\""},
    {"MinigunFireBullets", "", "inherit=\"Minigun\""},
    {"ShotgunFirePellets", "",
     "projectile_entity=\"ProjectileLead\" projectile_speed=\"600\" projectile_speed_random=\"0.2\" "
     "projectile_range_random=\"0.2\""},
    {"BazookaNapalm", "", "projectile_entity=\"ProjectileNapalm\" projectile_speed=\"320\" clip_size=\"1\""},
    {"RocketLauncher", "", "inherit=\"BazookaNapalm\" projectile_entity=\"ProjectileRocket\" reload_size=\"0\""},
    {"BazookaBoom", "", "projectile_entity=\"ProjectileRocket\" projectile_speed=\"200\" reload_size=\"0\""},
    {"Pyro", "", "projectile_entity=\"ProjectileFlame\" projectile_speed=\"180\" projectile_speed_random=\"0.3\""},
    {"PyroPower", "", "inherit=\"Pyro\""},
    {"PyroFreeze", "", "inherit=\"Pyro\""},
    {"FireTrail", "", "inherit=\"Pyro\""},
    {"PyroGas", "", "projectile_entity=\"ProjectileGas\" projectile_speed=\"120\""},
    {"PyroDeathwish", "", "inherit=\"Pyro\""},
    {"AlienPlasmGun", "", "projectile_entity=\"ProjectileIce\" projectile_speed=\"650\" reload_size=\"0\""},
    {"EggLayer", "", "projectile_class=\"ENTITY\" projectile_entity=\"Egg\" shot_interval=\"5\""},
};

std::string Array(const char *array, const Row *rows, size_t n)
{
    std::string s = std::string(kHead) + "\t<array id=\"" + array + "\">\n";
    for (size_t i = 0; i < n; i++) {
        s += std::string("\t\t<node id=\"") + rows[i].id + "\" ";
        if (*rows[i].ai)
            s += std::string("ai=\"") + rows[i].ai + "\" ";
        s += std::string(rows[i].attrs) + " />\n";
    }
    return s + "\t</array>\n</root>\n";
}

const char kPowerups[] =
    "\t<array id=\"powerups\">\n"
    "\t\t<node id=\"POWERUP_HEALTH\" fx_activate=\"\" rarity=\"20\" />\n"
    "\t\t<node id=\"POWERUP_MONEY\" rarity=\"20\" />\n"
    "\t\t<node id=\"POWERUP_BOOM\" min_level=\"5\" />\n"
    "\t</array>\n</root>\n";

const char kShop[] =
    "\t<array id=\"Upgrades\">\n"
    "\t\t<node id=\"PYRO_TROOPER\" price=\"600\" />\n"
    "\t\t<node id=\"REARM_PyroTrooper_PyroPower\" price=\"900\" upgraded_ent_types=\"PyroTrooper\" />\n"
    "\t</array>\n</root>\n";

class ContentCheckBattle : public cctest::ContentCheckFixture {
public:
    ContentCheckBattle() : ContentCheckFixture("battle", "native/") {}
    void SetUp() override
    {
        ContentCheckFixture::SetUp();
        entities_ = Array("entities", kTypes, sizeof kTypes / sizeof *kTypes);
        weapons_ = Array("weapons", kWeapons, sizeof kWeapons / sizeof *kWeapons);
        powerups_ = std::string(kHead) + kPowerups;
        shop_ = std::string(kHead) + kShop;
    }

    // Writes the four files and runs the check: its exit status, its lines in out.
    int Run(std::vector<std::string> *out)
    {
        Put("entities.xml", entities_);
        Put("weapons.xml", weapons_);
        Put("powerups.xml", powerups_);
        Put("shop.xml", shop_);
        std::ofstream(dir_ + "/ignore.txt") << "layer.png  a layer the fixture never draws\n";
        return ContentCheckFixture::Run("--ignore ignore.txt native", out);
    }

    std::string entities_, weapons_, powerups_, shop_;
};

using cctest::Joined;
using cctest::Swap;

TEST_F(ContentCheckBattle, ConsistentDataPasses)
{
    std::vector<std::string> out;
    EXPECT_EQ(Run(&out), 0) << Joined(out);
    ASSERT_EQ(out.size(), 1u) << Joined(out);
    EXPECT_EQ(out[0], "content check: 0 problems in 4 files");
}

TEST_F(ContentCheckBattle, EachFaultIsReportedWithItsMessage)
{
    using T = ContentCheckBattle;
    struct Case {
        const char *what;
        std::function<void(T *)> fault;
        const char *line;
    };
    const std::vector<Case> cases = {
        {"unknown behaviour", [](T *t) { Swap(&t->entities_, "ai=\"Kamikaze\"", "ai=\"Kamikazi\""); },
         "content: entities.xml: type 'Bloater' has unknown behaviour 'Kamikazi'"},
        {"a behaviour no type uses",
         [](T *t) { Swap(&t->entities_, "ai=\"Kamikaze\"", "ai=\"Seeker\""); },
         "content: entities.xml: no type uses behaviour 'Kamikaze'"},
        {"unknown variant", [](T *t) { Swap(&t->entities_, "type=\"ProjectileFlame\"", "type=\"Flame\""); },
         "content: entities.xml: type 'ProjectileFlame' has unknown variant 'Flame'"},
        {"pick-up in ENEMIES",
         [](T *t) { Swap(&t->entities_, "POWERUP\" friend_group=\"PLAYERS\"", "POWERUP\" friend_group=\"ENEMIES\""); },
         "content: entities.xml: pick-up 'Powerup' is not in group PLAYERS (troopers could not collect it)"},
        {"type the code names missing", [](T *t) { Swap(&t->entities_, "id=\"Hound\"", "id=\"Dog\""); },
         "content: entities.xml: has no type 'Hound' (the game's code uses it)"},
        {"weapon layer without barrel_angle", [](T *t) { Swap(&t->entities_, " barrel_angle=\"0\"", ""); },
         "content: entities.xml: type 'MinigunTrooper' has a weapon layer but no \"barrel_angle\""},
        {"unknown commanded type",
         [](T *t) { Swap(&t->entities_, "controls_entities=\"Drone\"", "controls_entities=\"Drones\""); },
         "content: entities.xml: type 'Mother' controls unknown type 'Drones'"},
        {"unknown weapon of a type", [](T *t) { Swap(&t->entities_, "weapon=\"Minigun\"", "weapon=\"Gatling\""); },
         "content: entities.xml: type 'MinigunTrooper' has unknown weapon 'Gatling'"},
        {"pick-up carrying an unknown power-up",
         [](T *t) { Swap(&t->entities_, "ai_parm_str=\"POWERUP_MONEY\"", "ai_parm_str=\"POWERUP_GOLD\""); },
         "content: entities.xml: pick-up 'PowerupScore' carries unknown power-up 'POWERUP_GOLD'"},
        {"weapon name with '_'", [](T *t) { Swap(&t->weapons_, "id=\"PyroFreeze\"", "id=\"Pyro_Freeze\""); },
         "content: weapons.xml: weapon 'Pyro_Freeze' has a '_' (REARM tokens split at it)"},
        {"weapon the code names missing", [](T *t) { Swap(&t->weapons_, "id=\"BazookaBoom\"", "id=\"BazookaBang\""); },
         "content: weapons.xml: has no weapon 'BazookaBoom' (the game's code uses it)"},
        {"unknown projectile",
         [](T *t) {
             Swap(&t->weapons_, "projectile_entity=\"ProjectileGas\"", "projectile_entity=\"ProjectileFog\"");
         },
         "content: weapons.xml: weapon 'PyroGas' fires unknown type 'ProjectileFog'"},
        {"entity layer without an entity",
         [](T *t) { Swap(&t->weapons_, " projectile_entity=\"Egg\"", ""); },
         "content: weapons.xml: weapon 'EggLayer' lays entities but names no \"projectile_entity\""},
        {"unknown parent weapon", [](T *t) { Swap(&t->weapons_, "inherit=\"Minigun\"", "inherit=\"Minigum\""); },
         "content: weapons.xml: weapon 'MinigunFireBullets' inherits unknown weapon 'Minigum'"},
        {"power-up the code names missing",
         [](T *t) { Swap(&t->powerups_, "id=\"POWERUP_BOOM\"", "id=\"POWERUP_BANG\""); },
         "content: powerups.xml: has no power-up 'POWERUP_BOOM' (the game's code uses it)"},
        {"health power-up without its effect", [](T *t) { Swap(&t->powerups_, " fx_activate=\"\"", ""); },
         "content: powerups.xml: power-up 'POWERUP_HEALTH' has no \"fx_activate\""},
        {"REARM id with an unknown weapon",
         [](T *t) { Swap(&t->shop_, "REARM_PyroTrooper_PyroPower", "REARM_PyroTrooper_PyroHeat"); },
         "content: shop.xml: 'REARM_PyroTrooper_PyroHeat' names unknown weapon 'PyroHeat'"},
        {"REARM id with an unknown type",
         [](T *t) { Swap(&t->shop_, "REARM_PyroTrooper_PyroPower", "REARM_FireTrooper_PyroPower"); },
         "content: shop.xml: 'REARM_FireTrooper_PyroPower' names unknown type 'FireTrooper'"},
        {"REARM id naming a creature",
         [](T *t) {
             Swap(&t->shop_, "REARM_PyroTrooper_PyroPower", "REARM_Hound_PyroPower");
             Swap(&t->shop_, "upgraded_ent_types=\"PyroTrooper\"", "upgraded_ent_types=\"Hound\"");
         },
         "content: shop.xml: 'REARM_Hound_PyroPower' rearms 'Hound', which is no trooper"},
        {"REARM id upgrading another type",
         [](T *t) { Swap(&t->shop_, "upgraded_ent_types=\"PyroTrooper\"", "upgraded_ent_types=\"SniperTrooper\""); },
         "content: shop.xml: 'REARM_PyroTrooper_PyroPower' has \"upgraded_ent_types\" 'SniperTrooper' (the type it "
         "rearms is 'PyroTrooper')"},
        {"speed random term as a percentage",
         [](T *t) { Swap(&t->weapons_, "projectile_speed_random=\"0.2\"", "projectile_speed_random=\"80\""); },
         "content: weapons.xml: weapon 'ShotgunFirePellets' has \"projectile_speed_random\" 80 (0 to 1)"},
        {"range random term below 0",
         [](T *t) { Swap(&t->weapons_, "projectile_range_random=\"0.2\"", "projectile_range_random=\"-0.5\""); },
         "content: weapons.xml: weapon 'ShotgunFirePellets' has \"projectile_range_random\" -0.5 (0 to 1)"},
        {"random term inherited",
         [](T *t) { Swap(&t->weapons_, "projectile_speed_random=\"0.3\"", "projectile_speed_random=\"30\""); },
         "content: weapons.xml: weapon 'PyroPower' has a speed random term of 30 (a fraction, 0 to 1)"},
        {"a weapon that never sets its speed",
         [](T *t) { Swap(&t->weapons_, " projectile_speed=\"120\"", ""); },
         "content: weapons.xml: weapon 'PyroGas' fires at speed 0 (its shots would not fly forward)"},
        {"speed 0 written",
         [](T *t) { Swap(&t->weapons_, "projectile_speed=\"120\"", "projectile_speed=\"0\""); },
         "content: weapons.xml: weapon 'PyroGas' has \"projectile_speed\" 0 (above 0 to 5000)"},
        {"range 0 written",
         [](T *t) { Swap(&t->weapons_, "projectile_range=\"220\"", "projectile_range=\"0\""); },
         "content: weapons.xml: weapon 'MinigunFireBullets' has range 0 (its shots would die at the muzzle)"},
        {"own weapon without reload",
         [](T *t) { Swap(&t->weapons_, "shot_interval=\"5\"", "shot_interval=\"5\" reload_size=\"0\""); },
         "content: weapons.xml: weapon 'EggLayer' of type 'Mother' reloads no rounds: once its clip is empty it "
         "never fires again, and it has no weapon to return to"},
        {"upgrade weapon without reload",
         [](T *t) { Swap(&t->weapons_, "id=\"PyroPower\" inherit=\"Pyro\"", "id=\"PyroPower\" inherit=\"AlienPlasmGun\""); },
         "content: weapons.xml: weapon 'PyroPower' of upgrade 'REARM_PyroTrooper_PyroPower' reloads no rounds: once "
         "its clip is empty it never fires again, and it has no weapon to return to"},
        {"weapon number that is no number",
         [](T *t) { Swap(&t->weapons_, "shot_interval=\"5\"", "shot_interval=\"slow\""); },
         "content: weapons.xml: weapon 'EggLayer' has \"shot_interval\" 'slow', which is no number"},
        {"entity number out of range",
         [](T *t) { Swap(&t->entities_, "id=\"Hound\" ai=\"Seeker\" ", "id=\"Hound\" ai=\"Seeker\" scale=\"0\" "); },
         "content: entities.xml: type 'Hound' has \"scale\" 0 (above 0 to 4)"},
        {"power-up number out of range",
         [](T *t) { Swap(&t->powerups_, "min_level=\"5\"", "min_level=\"50\""); },
         "content: powerups.xml: power-up 'POWERUP_BOOM' has \"min_level\" 50 (0 to 30)"},
    };
    cctest::ExpectEachFault(this, cases, true);
}

}  // namespace
