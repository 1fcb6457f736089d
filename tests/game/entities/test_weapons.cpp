// Weapons from "weapons.xml": creation and the table of 64, the messages, inheritance
// (deep copies of the texts, display name of the parent), the key rules and numbers.
#include "tests/game/entities/test_weapons_fixture.h"

#include "app/services/dataman.h"
#include "game/entities/weapons.h"

#include <math.h>
#include <string.h>

#include <string>
#include <vector>

using namespace contenttest;

namespace {

void WriteWeapons(const std::vector<std::string> &nodes)
{
    std::string text = "<?xml version=\"1.0\"?>\n<root>\n<array id=\"weapons\">\n";
    for (const std::string &n : nodes)
        text += "<node " + n + " />\n";
    text += "</array>\n</root>\n";
    apptest::WriteFile("weapons.xml", text);
}

class WeaponsTest : public ContentTest {};

TEST_F(WeaponsTest, CreatedOnceOnFirstRequestWithStartValues)
{
    WriteWeapons({"id=\"Plain\""});
    Weapon *w = Weapon::GetWeapon("Plain");
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(Weapon::GetWeapon("Plain"), w);
    EXPECT_EQ(Count(Printed(), "Creating weapon type 'Plain'\n"), 1);
    EXPECT_EQ(Weapon::num_weapons, 1);
    EXPECT_EQ(Weapon::weapons[0], w);
    EXPECT_STREQ(w->id, "Plain");
    EXPECT_EQ(w->name, nullptr);
    EXPECT_EQ(w->rank, 0);
    EXPECT_EQ(w->projectile_entity, nullptr);
    EXPECT_EQ(w->projectile_class, WEAPON_PROJECTILE_BULLET);
    EXPECT_EQ(w->projectiles_per_shot, 1);
    EXPECT_FLOAT_EQ(w->projectile_range, 100.0f);
    EXPECT_FLOAT_EQ(w->projectile_angle_spread, 0.1f);
    EXPECT_FLOAT_EQ(w->projectile_damage_multiplier, 1.0f);
    EXPECT_FLOAT_EQ(w->fire_sound_pitch_min, 1.0f);
    EXPECT_FLOAT_EQ(w->fire_sound_pitch_max, 1.0f);
    EXPECT_FLOAT_EQ(w->shot_interval, 0.1f);
    EXPECT_FLOAT_EQ(w->ammo_cost_per_shot, 1.0f);
    EXPECT_FLOAT_EQ(w->reload_time, 3.0f);
    EXPECT_FLOAT_EQ(w->reload_size, 10.0f);
    EXPECT_FLOAT_EQ(w->clip_size, 10.0f);
    EXPECT_FLOAT_EQ(w->wielding_ent_move_speed_mul, 1.0f);
    EXPECT_FLOAT_EQ(w->trail_length, 50.0f);
    EXPECT_EQ(w->snd_fire, nullptr);
    EXPECT_EQ(w->fx_muzzle_flash, nullptr);
    EXPECT_TRUE(Popups().empty());
}

TEST_F(WeaponsTest, FailuresGiveNullWithTheirMessages)
{
    // No file: null without a message of the weapons (the data registry reports the file).
    EXPECT_EQ(Weapon::GetWeapon("Any"), nullptr);
    EXPECT_EQ(Count(Popups(), "1:Unknown weapon type 'Any'\n"), 0);
    EXPECT_EQ(Weapon::GetWeapon(nullptr), nullptr);
    EXPECT_EQ(Weapon::num_weapons, 0);
    dman().ReleaseAllDatabases();

    // A file without the array: null without a message.
    Popups().clear();
    apptest::WriteFile("weapons.xml",
                       "<?xml version=\"1.0\"?>\n<root><array id=\"other\"><node id=\"Any\" /></array></root>");
    EXPECT_EQ(Weapon::GetWeapon("Any"), nullptr);
    EXPECT_TRUE(Popups().empty()) << Popups()[0];
    EXPECT_EQ(Weapon::num_weapons, 0);
    dman().ReleaseAllDatabases();

    WriteWeapons({"id=\"Known\""});
    EXPECT_EQ(Weapon::GetWeapon("Unknown"), nullptr);
    EXPECT_EQ(Count(Popups(), "1:Unknown weapon type 'Unknown'\n"), 1);
    EXPECT_EQ(Weapon::num_weapons, 0);
    // Exact comparison: a prefix is another name.
    EXPECT_EQ(Weapon::GetWeapon("Know"), nullptr);
    EXPECT_NE(Weapon::GetWeapon("Known"), nullptr);
}

TEST_F(WeaponsTest, TableHoldsSixtyFourWeapons)
{
    std::vector<std::string> nodes;
    for (int i = 0; i < 66; i++)
        nodes.push_back("id=\"W" + std::to_string(i) + "\"");
    WriteWeapons(nodes);
    for (int i = 0; i < 64; i++)
        ASSERT_NE(Weapon::GetWeapon(("W" + std::to_string(i)).c_str()), nullptr) << i;
    EXPECT_EQ(Weapon::GetWeapon("W64"), nullptr);
    EXPECT_EQ(Count(Popups(), "1:Weapon limit exceeded (64 weapons).\n"), 1);
    EXPECT_EQ(Count(Printed(), "Creating weapon type 'W64'\n"), 0);
    EXPECT_EQ(Weapon::num_weapons, 64);
    // Known weapons are still found in a full table.
    EXPECT_EQ(Weapon::GetWeapon("W63"), Weapon::weapons[63]);
}

TEST_F(WeaponsTest, ParentMadeInAFullTableLeavesStartValues)
{
    std::vector<std::string> nodes;
    for (int i = 0; i < 63; i++)
        nodes.push_back("id=\"W" + std::to_string(i) + "\"");
    nodes.push_back("id=\"Child\" inherit=\"Parent\" recoil=\"2\"");
    nodes.push_back("id=\"Parent\" clip_size=\"99\" reload_time=\"7\"");
    WriteWeapons(nodes);
    for (int i = 0; i < 63; i++)
        ASSERT_NE(Weapon::GetWeapon(("W" + std::to_string(i)).c_str()), nullptr);
    Weapon *child = Weapon::GetWeapon("Child");
    ASSERT_NE(child, nullptr);
    EXPECT_EQ(Weapon::num_weapons, 64);
    EXPECT_EQ(Count(Popups(), "1:Weapon limit exceeded (64 weapons).\n"), 1);
    EXPECT_FLOAT_EQ(child->clip_size, 10.0f);
    EXPECT_FLOAT_EQ(child->reload_time, 3.0f);
    EXPECT_FLOAT_EQ(child->recoil, 2.0f);
}

TEST_F(WeaponsTest, InheritCopiesEverythingButIdAndKeysOverride)
{
    apptest::WriteFile("fxs/flash.lua", "FXParm ('num_parts', 1)");
    apptest::WriteFile("fxs/clip.lua", "FXParm ('num_parts', 2)");
    WriteWeapons({
        "id=\"Parent\" name=\"Parent Gun\" rank=\"2\" projectile_class=\"ENTITY\" projectiles_per_shot=\"3\" "
        "projectile_range=\"250\" projectile_angle_spread=\"0.4\" fire_sound_pitch_min=\"0.8\" "
        "fire_sound_pitch_max=\"1.2\" recoil=\"1.5\" clip_size=\"30\" reload_time=\"2\" "
        "fx_muzzle_flash=\"fxs/flash.lua\" fx_clip_eject=\"fxs/clip.lua\" snd_fire=\"sfx/pew\" "
        "icon=\"gfx/gun.png\" barrel_x=\"12\" barrel_y=\"-3\"",
        "id=\"Child\" inherit=\"Parent\" name=\"Child Gun\" clip_size=\"5\" fx_muzzle_flash=\"!\"",
        "id=\"Grandchild\" inherit=\"Child\" fx_clip_eject=\"!none\" projectile_class=\"ENTITY\"",
        "id=\"Bang\" fx_muzzle_flash=\"!\" fx_idle=\"fxs/flash.lua\"",
    });
    Weapon *child = Weapon::GetWeapon("Child");
    ASSERT_NE(child, nullptr);
    // The parent is created first, by the child's request.
    ASSERT_EQ(Weapon::num_weapons, 2);
    Weapon *parent = Weapon::weapons[1];
    EXPECT_STREQ(parent->id, "Parent");
    EXPECT_EQ(Weapon::weapons[0], child);

    EXPECT_STREQ(child->id, "Child");
    // The display name stays the parent's, in a copy of its own.
    EXPECT_STREQ(child->name, "Parent Gun");
    EXPECT_NE(child->name, parent->name);
    EXPECT_EQ(child->rank, 2);
    // The class is read after inheriting: absent means bullet.
    EXPECT_EQ(parent->projectile_class, WEAPON_PROJECTILE_ENTITY);
    EXPECT_EQ(child->projectile_class, WEAPON_PROJECTILE_BULLET);
    EXPECT_EQ(child->projectiles_per_shot, 3);
    EXPECT_FLOAT_EQ(child->projectile_range, 250.0f);
    EXPECT_FLOAT_EQ(child->projectile_angle_spread, 0.4f);
    EXPECT_FLOAT_EQ(child->fire_sound_pitch_min, 0.8f);
    EXPECT_FLOAT_EQ(child->fire_sound_pitch_max, 1.2f);
    EXPECT_FLOAT_EQ(child->recoil, 1.5f);
    EXPECT_FLOAT_EQ(child->clip_size, 5.0f);
    EXPECT_FLOAT_EQ(child->reload_time, 2.0f);
    EXPECT_FLOAT_EQ(child->barrel_x, 12.0f);
    EXPECT_FLOAT_EQ(child->barrel_y, -3.0f);
    ASSERT_NE(parent->fx_muzzle_flash, nullptr);
    EXPECT_EQ(parent->fx_muzzle_flash, pbman.GetFX("fxs/flash.lua"));
    // "!" leaves the inherited effect in place.
    EXPECT_EQ(child->fx_muzzle_flash, parent->fx_muzzle_flash);
    EXPECT_EQ(child->fx_clip_eject, parent->fx_clip_eject);
    EXPECT_EQ(child->snd_fire, parent->snd_fire);
    EXPECT_EQ(child->icon, parent->icon);

    Weapon *grandchild = Weapon::GetWeapon("Grandchild");
    ASSERT_NE(grandchild, nullptr);
    EXPECT_STREQ(grandchild->name, "Parent Gun");
    EXPECT_EQ(grandchild->fx_clip_eject, parent->fx_clip_eject);
    EXPECT_EQ(grandchild->projectile_class, WEAPON_PROJECTILE_ENTITY);
    EXPECT_FLOAT_EQ(grandchild->clip_size, 5.0f);

    // "!" on a weapon of its own leaves the start value.
    Weapon *bang = Weapon::GetWeapon("Bang");
    ASSERT_NE(bang, nullptr);
    EXPECT_EQ(bang->fx_muzzle_flash, nullptr);
    EXPECT_EQ(bang->fx_idle, parent->fx_muzzle_flash);

    // Each weapon frees its own texts (checked by the sanitizer build).
    Weapon::ClearWeapons();
    EXPECT_EQ(Weapon::num_weapons, 0);
    EXPECT_EQ(Weapon::weapons[0], nullptr);
}

TEST_F(WeaponsTest, SelfAndMutualInheritEndWithoutRecursion)
{
    WriteWeapons({
        "id=\"Self\" inherit=\"Self\" clip_size=\"4\" name=\"Me\"",
        "id=\"A\" inherit=\"B\" recoil=\"1\" name=\"Aname\"",
        "id=\"B\" inherit=\"A\" clip_size=\"8\" name=\"Bname\"",
    });
    Weapon *self = Weapon::GetWeapon("Self");
    ASSERT_NE(self, nullptr);
    EXPECT_FLOAT_EQ(self->clip_size, 4.0f);
    EXPECT_STREQ(self->name, "Me");

    Weapon *a = Weapon::GetWeapon("A");
    ASSERT_NE(a, nullptr);
    Weapon *b = Weapon::GetWeapon("B");
    ASSERT_NE(b, nullptr);
    // B copied A as it stood (named, nothing else read yet), then read its own keys.
    EXPECT_STREQ(b->name, "Aname");
    EXPECT_FLOAT_EQ(b->clip_size, 8.0f);
    EXPECT_FLOAT_EQ(b->recoil, 0.0f);
    // A copied the finished B, then read its own keys.
    EXPECT_STREQ(a->name, "Aname");
    EXPECT_FLOAT_EQ(a->clip_size, 8.0f);
    EXPECT_FLOAT_EQ(a->recoil, 1.0f);
    EXPECT_EQ(Weapon::num_weapons, 3);
}

TEST_F(WeaponsTest, UnknownParentLeavesStartValues)
{
    WriteWeapons({"id=\"Orphan\" inherit=\"Nobody\" recoil=\"3\""});
    Weapon *w = Weapon::GetWeapon("Orphan");
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(Count(Popups(), "1:Unknown weapon type 'Nobody'\n"), 1);
    EXPECT_FLOAT_EQ(w->recoil, 3.0f);
    EXPECT_FLOAT_EQ(w->clip_size, 10.0f);
}

struct PitchCase {
    const char *parent_min;  // null: the key is absent
    const char *child_min;
    float expected;
};

TEST_F(WeaponsTest, PitchLimitsBelowHalfBecomeOne)
{
    const PitchCase kCases[] = {
        {"0.8", nullptr, 0.8f}, {"0.3", nullptr, 1.0f}, {"0.8", "0.2", 1.0f},
        {"0.3", "0.6", 0.6f},   {nullptr, "0.5", 0.5f}, {nullptr, "-2", 1.0f},
    };
    std::vector<std::string> nodes;
    for (size_t i = 0; i < sizeof kCases / sizeof kCases[0]; i++) {
        std::string n = std::to_string(i);
        nodes.push_back("id=\"P" + n + "\"" +
                        (kCases[i].parent_min ? std::string(" fire_sound_pitch_min=\"") + kCases[i].parent_min +
                                                    "\" fire_sound_pitch_max=\"" + kCases[i].parent_min + "\""
                                              : std::string()));
        nodes.push_back("id=\"C" + n + "\" inherit=\"P" + n + "\"" +
                        (kCases[i].child_min ? std::string(" fire_sound_pitch_min=\"") + kCases[i].child_min + "\""
                                             : std::string()));
    }
    WriteWeapons(nodes);
    for (size_t i = 0; i < sizeof kCases / sizeof kCases[0]; i++) {
        SCOPED_TRACE(i);
        Weapon *c = Weapon::GetWeapon(("C" + std::to_string(i)).c_str());
        ASSERT_NE(c, nullptr);
        EXPECT_FLOAT_EQ(c->fire_sound_pitch_min, kCases[i].expected);
        EXPECT_GE(c->fire_sound_pitch_max, 0.5f);
    }
}

struct KeyCase {
    const char *attributes;
    const char *field;
    float expected;
};

float FieldOf(const Weapon *w, const std::string &field)
{
    if (field == "class") return w->projectile_class;
    if (field == "rank") return w->rank;
    if (field == "per_shot") return w->projectiles_per_shot;
    if (field == "range") return w->projectile_range;
    if (field == "spread") return w->projectile_angle_spread;
    if (field == "speed") return w->projectile_speed;
    if (field == "reload_time") return w->reload_time;
    if (field == "trail") return w->trail_length;
    if (field == "move") return w->wielding_ent_move_speed_mul;
    return -12345.0f;
}

TEST_F(WeaponsTest, KeysReadTheirLeadingNumber)
{
    const KeyCase kCases[] = {
        {"projectile_class=\"ENTITY\"", "class", 2},
        {"projectile_class=\"entity\"", "class", 1},
        {"projectile_class=\"BULLET\"", "class", 1},
        {"rank=\"3.7\"", "rank", 3},
        {"rank=\"-2\"", "rank", -2},
        {"projectiles_per_shot=\"5 shots\"", "per_shot", 5},
        {"projectiles_per_shot=\"70000\"", "per_shot", 32767},
        {"projectiles_per_shot=\"many\"", "per_shot", 0},
        {"projectile_range=\"12abc\"", "range", 12},
        {"projectile_range=\"abc\"", "range", 0},
        {"projectile_range=\"\"", "range", 0},
        {"projectile_range=\" 1.5e2\"", "range", 150},
        {"projectile_range=\"0x10\"", "range", 0},
        {"projectile_range=\"1e999\"", "range", 0},
        {"projectile_angle_spread=\".25\"", "spread", 0.25f},
        {"projectile_speed=\"-40.5\"", "speed", -40.5f},
        {"reload_time=\"0\"", "reload_time", 0},
        {"trail_length=\"75\"", "trail", 75},
        {"wielding_ent_move_speed_mul=\"0.5\"", "move", 0.5f},
    };
    std::vector<std::string> nodes;
    const int n = sizeof kCases / sizeof kCases[0];
    for (int i = 0; i < n; i++)
        nodes.push_back("id=\"K" + std::to_string(i) + "\" " + kCases[i].attributes);
    WriteWeapons(nodes);
    for (int i = 0; i < n; i++) {
        SCOPED_TRACE(kCases[i].attributes);
        Weapon *w = Weapon::GetWeapon(("K" + std::to_string(i)).c_str());
        ASSERT_NE(w, nullptr);
        EXPECT_FLOAT_EQ(FieldOf(w, kCases[i].field), kCases[i].expected);
    }
}

TEST_F(WeaponsTest, ReloadStartSoundWinsOverReloadSound)
{
    WriteWeapons({
        "id=\"Both\" snd_reload=\"sfx/a\" snd_reload_start=\"sfx/b\" snd_reload_end=\"sfx/c\"",
        "id=\"One\" snd_reload=\"sfx/a\"",
    });
    Weapon *both = Weapon::GetWeapon("Both");
    Weapon *one = Weapon::GetWeapon("One");
    ASSERT_NE(both, nullptr);
    ASSERT_NE(one, nullptr);
    ASSERT_NE(both->snd_reload, nullptr);
    EXPECT_EQ(both->snd_reload, ov->OV_GetSound("sfx/b"));
    EXPECT_EQ(both->snd_reload_end, ov->OV_GetSound("sfx/c"));
    EXPECT_EQ(one->snd_reload, ov->OV_GetSound("sfx/a"));
    EXPECT_NE(one->snd_reload, both->snd_reload);
}

TEST_F(WeaponsTest, RotatedOffsetFollowsDirectionAndScale)
{
    vec2_t pos = {10.0f, 20.0f};
    vec2_t p = WeaponRotatedOffset(pos, 4.0f, 2.0f, 0.0f, 1.0f);
    EXPECT_NEAR(p.x, 14.0f, 1e-5f);
    EXPECT_NEAR(p.y, 22.0f, 1e-5f);
    p = WeaponRotatedOffset(pos, 4.0f, 2.0f, (float)M_PI_2, 2.0f);
    EXPECT_NEAR(p.x, 6.0f, 1e-4f);
    EXPECT_NEAR(p.y, 28.0f, 1e-4f);
}

}  // namespace
