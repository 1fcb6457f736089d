// Arming and reloading: SetActive's values, and every branch of Reload (a spent super
// weapon returning to the base weapon, to the profile's REARM_ or PYRO_DEATHWISH
// upgrade, to nothing, or to a super trooper still enlarged; a spent loan of a pick-up
// (no rounds back on reload) returning to the trooper's own weapon; a plain reload; a
// reload that takes no time).
#include "tests/game/entities/test_weapons_fixture.h"

#include "app/services/profiles.h"
#include "game/entities/entity-types.h"
#include "game/entities/entity.h"

#include <string.h>

#include <string>
#include <vector>

using namespace contenttest;

namespace {

void WriteWeapons()
{
    apptest::WriteFile("weapons.xml",
                       "<?xml version=\"1.0\"?>\n<root>\n<array id=\"weapons\">\n"
                       "<node id=\"AlienPlasmGun\" clip_size=\"50\" reload_time=\"2\" reload_size=\"50\" "
                       "projectile_splash_damage=\"4\" projectile_splash_range=\"12\" />\n"
                       "<node id=\"Minigun\" clip_size=\"30\" reload_time=\"3\" reload_size=\"30\" "
                       "wielding_ent_move_speed_mul=\"0.8\" />\n"
                       "<node id=\"Rifle\" clip_size=\"6\" reload_time=\"1.5\" reload_size=\"6\" />\n"
                       "<node id=\"PyroDeathwish\" clip_size=\"80\" reload_time=\"4\" reload_size=\"80\" />\n"
                       "<node id=\"Instant\" clip_size=\"5\" reload_time=\"0\" reload_size=\"7\" />\n"
                       "<node id=\"Negative\" clip_size=\"5\" reload_time=\"-1\" reload_size=\"2\" />\n"
                       "<node id=\"Pack\" clip_size=\"6\" reload_time=\"1.8\" reload_size=\"0\" />\n"
                       "</array>\n</root>\n");
}

class ReloadTest : public ContentTest {
protected:
    void SetUp() override
    {
        ContentTest::SetUp();
        WriteWeapons();
        type_.scale = 1.0f;
        type_.top_speed = 100.0f;
        type_.hit_points = 50.0f;
        profile_.Reset("1.xml");
        prof = &profile_;
    }
    void TearDown() override
    {
        prof = nullptr;
        ContentTest::TearDown();
    }
    // A trooper of the fixture type holding weapon, under the super weapon when asked.
    Entity Trooper(const char *weapon, bool super_weapon)
    {
        Entity e{};
        e.type = &type_;
        e.state = Entity::STATE_ALIVE;
        e.scale = type_.scale;
        e.speed = type_.top_speed;
        e.powerup_id = "";
        e.weapon = Weapon::GetWeapon(weapon);
        if (super_weapon) {
            e.powerup_active = true;
            e.powerup_id = "POWERUP_SUPER_WEAPON";
        }
        e.ammo = 0.0f;
        return e;
    }
    EntityType type_{"MinigunTrooper"};
    Profile profile_;
};

TEST_F(ReloadTest, SetActiveArmsWithAFullClip)
{
    Weapon *gun = Weapon::GetWeapon("AlienPlasmGun");
    ASSERT_NE(gun, nullptr);
    Entity e = Trooper("Minigun", false);
    e.reload_timer = 1.0f;
    e.shot_timer = 3.0f;
    gun->SetActive(&e);
    EXPECT_EQ(e.weapon, gun);
    EXPECT_FLOAT_EQ(e.shot_timer, 0.5f);
    EXPECT_FLOAT_EQ(e.reload_timer, 0.0f);
    EXPECT_FLOAT_EQ(e.ammo, 50.0f);
    EXPECT_FLOAT_EQ(e.speed, 100.0f);
    EXPECT_FLOAT_EQ(e.splash_damage, 4.0f);
    EXPECT_FLOAT_EQ(e.splash_range, 12.0f);

    Weapon *minigun = Weapon::GetWeapon("Minigun");
    minigun->SetActive(&e);
    EXPECT_FLOAT_EQ(e.speed, 80.0f);
    EXPECT_FLOAT_EQ(e.ammo, 30.0f);
    EXPECT_FLOAT_EQ(e.splash_damage, 0.0f);
}

// One spent super-weapon clip: where the trooper's weapon comes from and what it ends as.
struct SuperCase {
    const char *what;
    const char *base_weapon;     // null: none
    const char *active_upgrade;  // null: no profile value
    float scale;                 // the type's is 1.0
    const char *weapon;          // expected weapon, null: unarmed
    bool powerup_active;
    const char *powerup_id;
    float speed;
    float ammo;
    float reload_timer;
};

TEST_F(ReloadTest, SpentSuperWeaponReturnsToItsWeapon)
{
    const std::string too_long = "REARM_MinigunTrooper_" + std::string(240, 'R');
    const SuperCase kCases[] = {
        {"base weapon", "Minigun", "REARM_MinigunTrooper_Rifle", 1.0f, "Minigun", false, "", 80, 30, 3},
        {"profile REARM_", nullptr, "REARM_MinigunTrooper_Rifle", 1.0f, "Rifle", false, "", 100, 6, 1.5f},
        {"REARM_ with more tokens", nullptr, "REARM_MinigunTrooper_Rifle_Gold", 1.0f, "Rifle", false, "", 100, 6,
         1.5f},
        {"PYRO_DEATHWISH", nullptr, "PYRO_DEATHWISH", 1.0f, "PyroDeathwish", false, "", 100, 80, 4},
        {"no upgrade", nullptr, nullptr, 1.0f, nullptr, false, "", 100, 0, 0.25f},
        {"REARM_ without a weapon", nullptr, "REARM_MinigunTrooper", 1.0f, nullptr, false, "", 100, 0, 0.25f},
        {"REARM_ of 256 characters", nullptr, too_long.c_str(), 1.0f, nullptr, false, "", 100, 0, 0.25f},
        {"REARM_ of an unknown weapon", nullptr, "REARM_MinigunTrooper_Laser", 1.0f, nullptr, false, "", 100, 0,
         0.25f},
        {"another upgrade", nullptr, "MINIGUN_POWER", 1.0f, nullptr, false, "", 100, 0, 0.25f},
        {"still enlarged", "Minigun", nullptr, 1.5f, "Minigun", true, "POWERUP_SUPER_TROOPER", 160, 30, 3},
        {"enlarged, profile weapon", nullptr, "REARM_MinigunTrooper_Rifle", 1.5f, "Rifle", true,
         "POWERUP_SUPER_TROOPER", 160, 6, 1.5f},
        {"enlarged, no weapon", nullptr, nullptr, 1.5f, nullptr, false, "", 100, 0, 0.25f},
    };
    for (const SuperCase &c : kCases) {
        SCOPED_TRACE(c.what);
        profile_.RemoveValue("team_setup", "MinigunTrooper", "active_upgrade");
        if (c.active_upgrade)
            profile_.SetValue("team_setup", "MinigunTrooper", "active_upgrade", c.active_upgrade);
        Entity e = Trooper("AlienPlasmGun", true);
        e.scale = c.scale;
        e.reload_timer = 0.25f;
        e.base_weapon = c.base_weapon ? Weapon::GetWeapon(c.base_weapon) : nullptr;
        e.weapon->Reload(&e);
        EXPECT_EQ(e.weapon, c.weapon ? Weapon::GetWeapon(c.weapon) : nullptr);
        EXPECT_EQ(e.powerup_active, c.powerup_active);
        EXPECT_STREQ(e.powerup_id, c.powerup_id);
        EXPECT_FLOAT_EQ(e.speed, c.speed);
        EXPECT_FLOAT_EQ(e.ammo, c.ammo);
        EXPECT_FLOAT_EQ(e.reload_timer, c.reload_timer);
        if (c.weapon) {
            EXPECT_FLOAT_EQ(e.shot_timer, 0.5f);
        }
    }
}

// A spent pick-up weapon that gives no rounds back (the rocket pack) hands the trooper
// its own weapon again, loaded, with no reload: its base weapon, else its class's
// upgrade in the profile, else its type's weapon; a super trooper stays one. With no
// weapon of its own it keeps the empty pack.
TEST_F(ReloadTest, SpentLoanReturnsToTheTroopersOwnWeapon)
{
    struct Case {
        const char *what;
        const char *base_weapon;
        const char *active_upgrade;
        const char *type_weapon;
        float scale;
        const char *weapon;  // expected
        float ammo, reload_timer, speed;
        const char *powerup_id;
    };
    const Case kCases[] = {
        {"base weapon", "Minigun", "REARM_MinigunTrooper_Rifle", "Rifle", 1.0f, "Minigun", 30, 0, 80, ""},
        {"profile upgrade", nullptr, "REARM_MinigunTrooper_Rifle", "Minigun", 1.0f, "Rifle", 6, 0, 100, ""},
        {"type's weapon", nullptr, nullptr, "Minigun", 1.0f, "Minigun", 30, 0, 80, ""},
        {"still enlarged", "Minigun", nullptr, nullptr, 1.5f, "Minigun", 30, 0, 160, "POWERUP_SUPER_TROOPER"},
        {"nothing of its own", nullptr, nullptr, nullptr, 1.0f, "Pack", 0, 1.8f, 100, ""},
        {"the pack is its own", "Pack", nullptr, nullptr, 1.0f, "Pack", 0, 1.8f, 100, ""},
    };
    for (const Case &c : kCases) {
        SCOPED_TRACE(c.what);
        profile_.RemoveValue("team_setup", "MinigunTrooper", "active_upgrade");
        if (c.active_upgrade)
            profile_.SetValue("team_setup", "MinigunTrooper", "active_upgrade", c.active_upgrade);
        type_.weapon = c.type_weapon ? Weapon::GetWeapon(c.type_weapon) : nullptr;
        Entity e = Trooper("Pack", false);
        e.scale = c.scale;
        if (c.scale != 1.0f) {
            e.powerup_active = true;
            e.powerup_id = "POWERUP_SUPER_TROOPER";
        }
        e.base_weapon = c.base_weapon ? Weapon::GetWeapon(c.base_weapon) : nullptr;
        e.weapon->Reload(&e);
        EXPECT_EQ(e.weapon, Weapon::GetWeapon(c.weapon));
        EXPECT_FLOAT_EQ(e.ammo, c.ammo);
        EXPECT_FLOAT_EQ(e.reload_timer, c.reload_timer);
        EXPECT_FLOAT_EQ(e.speed, c.speed);
        EXPECT_STREQ(e.powerup_id, c.powerup_id);
    }
    type_.weapon = nullptr;
}

TEST_F(ReloadTest, PlainReloadStartsTheTimer)
{
    // Without the super weapon (also under the super trooper) the weapon in hand reloads.
    for (const char *effect : {"", "POWERUP_SUPER_TROOPER"}) {
        SCOPED_TRACE(effect);
        Entity e = Trooper("Minigun", false);
        e.powerup_active = effect[0] != 0;
        e.powerup_id = effect;
        e.ammo = 2.0f;
        e.weapon->Reload(&e);
        EXPECT_EQ(e.weapon, Weapon::GetWeapon("Minigun"));
        EXPECT_FLOAT_EQ(e.reload_timer, 3.0f);
        EXPECT_FLOAT_EQ(e.ammo, 2.0f);
        EXPECT_EQ(e.powerup_active, effect[0] != 0);
        EXPECT_STREQ(e.powerup_id, effect);
    }
    // The super weapon's id without its flag is no super weapon.
    Entity e = Trooper("AlienPlasmGun", true);
    e.powerup_active = false;
    e.weapon->Reload(&e);
    EXPECT_EQ(e.weapon, Weapon::GetWeapon("AlienPlasmGun"));
    EXPECT_FLOAT_EQ(e.reload_timer, 2.0f);
}

TEST_F(ReloadTest, ReloadWithoutTimeCompletesAtOnce)
{
    for (const char *name : {"Instant", "Negative"}) {
        SCOPED_TRACE(name);
        Entity e = Trooper(name, false);
        e.ammo = 1.0f;
        e.weapon->Reload(&e);
        EXPECT_FLOAT_EQ(e.reload_timer, 0.0f);
        EXPECT_FLOAT_EQ(e.ammo, 1.0f + e.weapon->reload_size);
    }
}

TEST_F(ReloadTest, NothingToReloadDoesNothing)
{
    Entity e = Trooper("Minigun", false);
    e.weapon = nullptr;
    e.reload_timer = 0.7f;
    Weapon::GetWeapon("Minigun")->Reload(&e);
    EXPECT_EQ(e.weapon, nullptr);
    EXPECT_FLOAT_EQ(e.reload_timer, 0.7f);
    Weapon::GetWeapon("Minigun")->Reload(nullptr);
}

}  // namespace
