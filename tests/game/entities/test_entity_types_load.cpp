// Entity types from "entities.xml": the value parsers, the key table (flags, groups,
// materials, numbers, defaults, sounds, effects, created objects) and the class chosen
// by the exact "type" value.
#include "tests/game/entities/test_entity_types_fixture.h"

#include "app/services/dataman.h"
#include "game/entities/entity-ai.h"
#include "game/entities/stock.h"
#include "game/entities/weapons.h"

#include <limits.h>
#include <string.h>

#include <string>
#include <typeinfo>

using namespace enttypestest;

namespace {

// A short 8-bit mono WAV in res://.
void WriteWav(const std::string &name)
{
    std::string w = "RIFF";
    auto le32 = [&](uint32_t v) {
        for (int i = 0; i < 4; i++)
            w.push_back((char)(v >> (8 * i)));
    };
    auto le16 = [&](uint16_t v) {
        w.push_back((char)(v & 0xff));
        w.push_back((char)(v >> 8));
    };
    const int samples = 80;
    le32(36 + samples);
    w += "WAVEfmt ";
    le32(16);
    le16(1);
    le16(1);
    le32(8000);
    le32(8000);
    le16(1);
    le16(8);
    w += "data";
    le32(samples);
    for (int i = 0; i < samples; i++)
        w.push_back((char)(128 + ((i & 8) ? 40 : -40)));
    apptest::WriteFile(name, w);
}

class EntityTypesLoadTest : public EntityTypesTest {
protected:
    EntityType *Type(const char *name) { return world->stock->GetEntityType(name); }
};

}  // namespace

TEST(EntityTypeParsers, FlagWordsAreFoundAnywhereAndAllSetsEveryBit)
{
    struct Case {
        const char *text;
        uint32_t flags;
    } cases[] = {
        {nullptr, 0},
        {"", 0},
        {"NORMAL MOVABLE", 6},
        {"MOVABLE|NORMAL", 6},
        {"MOVABLE,NORMAL", 6},
        {"PROJECTILE_NORMAL", 3},
        {"POWERUP BLOCKS_MOVEMENT", 24},
        {"PROJECTILE", 1},
        {"ALL", Entity::ALL_FLAGS},
        {"NORMAL ALL", Entity::ALL_FLAGS},
        {"BALLOON", Entity::ALL_FLAGS},  // "ALL" occurs in it
        {"normal movable", 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text ? c.text : "(null)");
        EXPECT_EQ(c.flags, (uint32_t)Entity::GetFlagsFromString(c.text));
    }
}

TEST(EntityTypeParsers, MaterialsAndFriendGroupsCompareExactly)
{
    struct Case {
        const char *text;
        int material, group;
    } cases[] = {
        {nullptr, 0, 0},       {"FLESH", 0, 0},        {"METAL", 1, 0},        {"CONCRETE", 2, 0},
        {"metal", 0, 0},       {"METAL ", 0, 0},       {"ENEMIES", 0, 1},      {"PLAYERS", 0, 2},
        {"INHERIT", 0, 3},     {"players", 0, 0},      {"PLAYERS2", 0, 0},     {"", 0, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text ? c.text : "(null)");
        EXPECT_EQ(c.material, Entity::GetMaterialFromString(c.text));
        EXPECT_EQ(c.group, Entity::GetFriendGroupFromString(c.text));
    }
}

// The words of a type's data select distinct things: each flag word its own bit (so a
// list of words keeps each one and a query for one flag meets no other), "ALL" every
// one of them; the two sides and the three materials are told apart.
TEST(EntityTypeParsers, DataWordsSelectDistinctFlagsGroupsAndMaterials)
{
    const char *const kFlagWords[] = {"PROJECTILE", "NORMAL", "MOVABLE", "POWERUP", "BLOCKS_MOVEMENT"};
    unsigned seen = 0;
    for (const char *word : kFlagWords) {
        const unsigned bit = (unsigned)Entity::GetFlagsFromString(word);
        SCOPED_TRACE(word);
        EXPECT_NE(0u, bit);
        EXPECT_EQ(0u, bit & (bit - 1)) << "one bit";
        EXPECT_EQ(0u, seen & bit) << "no other word's bit";
        seen |= bit;
    }
    EXPECT_EQ(seen, (unsigned)Entity::GetFlagsFromString("ALL") & seen) << "ALL holds every flag";
    EXPECT_EQ(seen, (unsigned)Entity::GetFlagsFromString("PROJECTILE NORMAL MOVABLE POWERUP BLOCKS_MOVEMENT"));

    const int enemies = Entity::GetFriendGroupFromString("ENEMIES");
    const int players = Entity::GetFriendGroupFromString("PLAYERS");
    EXPECT_NE(enemies, players);
    EXPECT_NE(0, enemies) << "0 is the group of a type that names none";
    EXPECT_NE(0, players);
    const int flesh = Entity::GetMaterialFromString("FLESH");
    const int metal = Entity::GetMaterialFromString("METAL");
    const int concrete = Entity::GetMaterialFromString("CONCRETE");
    EXPECT_NE(flesh, metal);
    EXPECT_NE(metal, concrete);
    EXPECT_NE(flesh, concrete);
    EXPECT_EQ(flesh, Entity::GetMaterialFromString(nullptr)) << "a type without a material is flesh";
}

TEST_F(EntityTypesLoadTest, EveryKeyOfAFullNodeIsRead)
{
    for (const char *s : {"s/k0.wav", "s/k1.wav", "s/k2.wav", "s/k3.wav", "s/k4.wav", "s/a0.wav", "s/a1.wav",
                          "s/sel1.wav", "s/sel2.wav", "s/sel3.wav", "s/sel.wav"})
        WriteWav(s);
    StartWorld("<node id=\"Full\" type=\"Structure\" weapon=\"Gun\" anim_playback_speed=\"0.5\""
               " cache_flags=\"keep_cached\" bm_move=\"b/move.png\" bm_move2=\"b/move2.png\" bm_die=\"b/die.png\""
               " snd_killed=\"s/k0.wav\" snd_killed1=\"s/k1.wav\" snd_killed2=\"s/k2.wav\" snd_killed3=\"s/k3.wav\""
               " snd_killed4=\"s/k4.wav\" snd_attack=\"s/a0.wav\" snd_attack3=\"s/a1.wav\""
               " snd_select=\"s/sel.wav\" snd_select1=\"s/sel1.wav\" snd_select2=\"s/sel2.wav\""
               " snd_select3=\"s/sel3.wav\" blend_mode=\"ADDITIVE\" fx_born=\"!born\" fx_killed=\"!killed\""
               " fx_killed_fore=\"!fore\" fx_in_pain=\"!pain\" fx_idle=\"!idle\" fx_attack=\"!attack\""
               " fx_trail=\"!trail\" trail_mode=\"DISTANCE\" trail_interval=\"24.5\" aggro_radius=\"300\""
               " color_r=\"0.25\" color_g=\"0.5\" color_b=\"0.75\" color_a=\"0.8\" barrel_angle=\"0.3\""
               " controls_entities=\"Minion\" ai_parm_a=\"1.5\" ai_parm_b=\"2.5\" ai_parm_str=\"hello\""
               " ai=\"Seeker\" move_anim_flags=\"LOOP PINGPONG\" material=\"METAL\" flags=\"NORMAL MOVABLE\""
               " friend_group=\"ENEMIES\" radius=\"12\" scale=\"0.8\" damage=\"7\" hit_points=\"150\""
               " points_worth=\"25\" top_speed=\"80.9\"/>\n"
               "<node id=\"Minion\" flags=\"NORMAL\"/>",
               "<node id=\"Gun\" reload_time=\"2\"/>");
    EntityType *t = Type("Full");
    ASSERT_NE(t, nullptr);
    EXPECT_TRUE(apptest::Logged("Creating entity type 'Full'"));
    EXPECT_NE(dynamic_cast<EntityTypeStructure *>(t), nullptr);
    EXPECT_STREQ("Full", t->name);
    ASSERT_NE(t->weapon, nullptr);
    EXPECT_STREQ("Gun", t->weapon->id);
    EXPECT_FLOAT_EQ(0.5f, t->anim_playback_speed);
    ASSERT_NE(t->cache_flags, nullptr);
    EXPECT_STREQ("keep_cached", t->cache_flags);
    ASSERT_NE(t->bm_move, nullptr);
    EXPECT_STREQ("b/move.png", t->bm_move->name);
    ASSERT_NE(t->bm_move2, nullptr);
    EXPECT_STREQ("b/move2.png", t->bm_move2->name);
    ASSERT_NE(t->bm_die, nullptr);
    EXPECT_STREQ("b/die.png", t->bm_die->name);
    EXPECT_EQ(5, t->snd_killed.count);
    EXPECT_EQ(2, t->snd_attack.count);
    EXPECT_EQ(3, t->snd_select.count);  // "snd_select" without a digit is not read
    EXPECT_EQ(ov->OV_GetSound("s/sel1.wav"), t->snd_select.sounds[0]);
    EXPECT_EQ(ov->OV_GetSound("s/a1.wav"), t->snd_attack.sounds[1]);
    EXPECT_FLOAT_EQ(1.0f, t->snd_select.pitch_min);
    EXPECT_FLOAT_EQ(1.0f, t->snd_select.pitch_max);
    EXPECT_FLOAT_EQ(0.9f, t->snd_killed.pitch_min);
    EXPECT_FLOAT_EQ(1.1f, t->snd_killed.pitch_max);
    EXPECT_EQ(EntityType::BLEND_ADDITIVE, t->blend_mode);
    for (fx_t *fx : {t->fx_born, t->fx_killed, t->fx_killed_fore, t->fx_in_pain, t->fx_idle, t->fx_attack, t->fx_trail})
        EXPECT_NE(fx, nullptr);
    EXPECT_NE(t->fx_born, t->fx_killed);
    EXPECT_EQ(EntityType::TRAIL_DISTANCE, t->trail_mode);
    EXPECT_FLOAT_EQ(24.5f, t->trail_interval);
    EXPECT_FLOAT_EQ(300.0f, t->aggro_radius);
    EXPECT_FLOAT_EQ(0.25f, t->color.r);
    EXPECT_FLOAT_EQ(0.5f, t->color.g);
    EXPECT_FLOAT_EQ(0.75f, t->color.b);
    EXPECT_FLOAT_EQ(0.8f, t->color.a);
    EXPECT_FLOAT_EQ(0.3f, t->barrel_angle);
    ASSERT_NE(t->controls_entities, nullptr);
    EXPECT_STREQ("Minion", t->controls_entities->name);
    EXPECT_EQ(t->controls_entities, Type("Minion"));  // registered once, before "Full"
    EXPECT_FLOAT_EQ(1.5f, t->ai_parm_a);
    EXPECT_FLOAT_EQ(2.5f, t->ai_parm_b);
    ASSERT_NE(t->ai_parm_str, nullptr);
    EXPECT_STREQ("hello", t->ai_parm_str);
    ASSERT_NE(t->ai, nullptr);
    EXPECT_STREQ("Seeker", t->ai->name);
    EXPECT_TRUE(t->move_anim_pingpong);
    EXPECT_FALSE(t->move_anim_none);
    EXPECT_EQ(Entity::METAL, t->material);
    EXPECT_EQ(6u, t->flags);
    EXPECT_EQ(Entity::ENEMIES, (int16_t)t->friend_group);
    EXPECT_FLOAT_EQ(12.0f, t->radius);
    EXPECT_FLOAT_EQ(0.8f, t->scale);
    EXPECT_FLOAT_EQ(7.0f, t->damage);
    EXPECT_FLOAT_EQ(150.0f, t->hit_points);
    EXPECT_EQ(25, t->points_worth);
    EXPECT_FLOAT_EQ(80.0f, t->top_speed);  // a whole number
}

TEST_F(EntityTypesLoadTest, AbsentKeysLeaveTheDefaults)
{
    StartWorld("<node id=\"Bare\"/>");
    EntityType *t = Type("Bare");
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(typeid(EntityType), typeid(*t));
    EXPECT_EQ(nullptr, t->weapon);
    EXPECT_EQ(nullptr, t->cache_flags);
    EXPECT_EQ(nullptr, t->bm_move);
    EXPECT_EQ(nullptr, t->bm_move2);
    EXPECT_EQ(nullptr, t->bm_die);
    EXPECT_EQ(0, t->snd_killed.count);
    EXPECT_EQ(0, t->snd_attack.count);
    EXPECT_EQ(0, t->snd_select.count);
    EXPECT_EQ(EntityType::BLEND_NORMAL, t->blend_mode);
    for (fx_t *fx : {t->fx_born, t->fx_killed, t->fx_killed_fore, t->fx_in_pain, t->fx_idle, t->fx_attack, t->fx_trail})
        EXPECT_EQ(nullptr, fx);
    EXPECT_EQ(EntityType::TRAIL_NONE, t->trail_mode);
    EXPECT_FLOAT_EQ(16.0f, t->trail_interval);
    EXPECT_FLOAT_EQ(0.0f, t->aggro_radius);
    EXPECT_FLOAT_EQ(1.0f, t->anim_playback_speed);
    EXPECT_FLOAT_EQ(0.66f, t->ai_parm_a);
    EXPECT_FLOAT_EQ(0.66f, t->ai_parm_b);
    EXPECT_EQ(nullptr, t->ai_parm_str);
    EXPECT_FLOAT_EQ(1.0f, t->barrel_angle);
    EXPECT_EQ(nullptr, t->controls_entities);
    EXPECT_EQ(0u, t->flags);
    EXPECT_EQ(0, t->friend_group);
    EXPECT_EQ(0, t->material);
    EXPECT_FLOAT_EQ(0.0f, t->radius);
    EXPECT_FLOAT_EQ(0.0f, t->scale);
    EXPECT_FLOAT_EQ(0.0f, t->hit_points);
    EXPECT_FLOAT_EQ(0.0f, t->damage);
    EXPECT_FLOAT_EQ(0.0f, t->top_speed);
    EXPECT_EQ(0, t->points_worth);
    EXPECT_FLOAT_EQ(1.0f, t->color.r);
    EXPECT_FLOAT_EQ(1.0f, t->color.g);
    EXPECT_FLOAT_EQ(1.0f, t->color.b);
    EXPECT_FLOAT_EQ(1.0f, t->color.a);
    ASSERT_NE(t->ai, nullptr);
    EXPECT_STREQ("Default", t->ai->name);
    EXPECT_FALSE(t->move_anim_pingpong);
    EXPECT_FALSE(t->move_anim_none);
}

TEST_F(EntityTypesLoadTest, NumbersAreTheLeadingDecimalNumber)
{
    struct Case {
        const char *key, *value;
        float expected;
    } cases[] = {
        {"anim_playback_speed", "0", 1.0f},
        {"anim_playback_speed", "-2", 1.0f},
        {"anim_playback_speed", "0.5", 0.5f},
        {"anim_playback_speed", "fast", 1.0f},
        {"anim_playback_speed", "nan", 1.0f},
        {"top_speed", "80.9", 80.0f},
        {"top_speed", "55.7", 55.0f},
        {"top_speed", "99999999999", (float)INT_MAX},  // saturated before the conversion
        {"top_speed", "-99999999999", (float)INT_MIN},
        {"points_worth", "12.7", 12.0f},
        {"points_worth", "-3", -3.0f},
        {"points_worth", "x", 0.0f},
        {"radius", "12abc", 12.0f},
        {"radius", "  7", 7.0f},
        {"radius", "abc", 0.0f},
        {"radius", "1e3", 1000.0f},
        {"radius", "inf", 0.0f},
        {"radius", "0x10", 0.0f},
        {"radius", ".5", 0.5f},
        {"radius", "1e999", 0.0f},  // beyond the float range: no number
        {"trail_interval", "", 0.0f},
        {"hit_points", "-40", -40.0f},
    };
    std::string nodes;
    const int n = (int)(sizeof cases / sizeof cases[0]);
    for (int i = 0; i < n; i++)
        nodes += "<node id=\"N" + std::to_string(i) + "\" " + cases[i].key + "=\"" + cases[i].value + "\"/>\n";
    StartWorld(nodes);
    for (int i = 0; i < n; i++) {
        const Case &c = cases[i];
        SCOPED_TRACE(std::string(c.key) + "=" + c.value);
        EntityType *t = Type(("N" + std::to_string(i)).c_str());
        ASSERT_NE(t, nullptr);
        float got = 0;
        if (!strcmp(c.key, "anim_playback_speed"))
            got = t->anim_playback_speed;
        else if (!strcmp(c.key, "top_speed"))
            got = t->top_speed;
        else if (!strcmp(c.key, "points_worth"))
            got = (float)t->points_worth;
        else if (!strcmp(c.key, "radius"))
            got = t->radius;
        else if (!strcmp(c.key, "trail_interval"))
            got = t->trail_interval;
        else if (!strcmp(c.key, "hit_points"))
            got = t->hit_points;
        EXPECT_FLOAT_EQ(c.expected, got);
    }
}

TEST_F(EntityTypesLoadTest, TheClassIsChosenByTheExactTypeValue)
{
    struct Case {
        const char *type;
        const std::type_info &cls;
    } cases[] = {
        {"ProjectileTrailed", typeid(EntityTypeProjectileTrailed)},
        {"ProjectileSimple", typeid(EntityTypeProjectileSimple)},
        {"ProjectileFlame", typeid(EntityTypeProjectileFlame)},
        {"Structure", typeid(EntityTypeStructure)},
        {"Powerup", typeid(EntityTypePowerup)},
        {"PowerupParachute", typeid(EntityTypePowerupParachute)},
        {"projectileflame", typeid(EntityType)},
        {"Structure ", typeid(EntityType)},
        {"Powerups", typeid(EntityType)},
        {"", typeid(EntityType)},
        {"Monster", typeid(EntityType)},
    };
    std::string nodes;
    const int n = (int)(sizeof cases / sizeof cases[0]);
    for (int i = 0; i < n; i++)
        nodes += "<node id=\"C" + std::to_string(i) + "\" type=\"" + cases[i].type + "\"/>\n";
    StartWorld(nodes);
    for (int i = 0; i < n; i++) {
        SCOPED_TRACE(cases[i].type);
        EntityType *t = Type(("C" + std::to_string(i)).c_str());
        ASSERT_NE(t, nullptr);
        EXPECT_EQ(cases[i].cls, typeid(*t));
    }
}

TEST_F(EntityTypesLoadTest, WordKeysAndTheBehaviourFallBack)
{
    StartWorld("<node id=\"A\" ai=\"Seek\" blend_mode=\"additive\" trail_mode=\"TIME\" move_anim_flags=\"NONE\""
               " friend_group=\"players\" material=\"CONCRETE\"/>\n"
               "<node id=\"B\" ai=\"Powerup\" trail_mode=\"distance\" flags=\"ALL\" friend_group=\"INHERIT\"/>\n"
               "<node id=\"C\" weapon=\"NoSuchGun\" controls_entities=\"NoSuchType\"/>");
    EntityType *a = Type("A");
    ASSERT_NE(a, nullptr);
    ASSERT_NE(a->ai, nullptr);
    EXPECT_STREQ("Default", a->ai->name);  // a prefix of a registered name finds nothing
    EXPECT_EQ(EntityType::BLEND_NORMAL, a->blend_mode);
    EXPECT_EQ(EntityType::TRAIL_TIME, a->trail_mode);
    EXPECT_TRUE(a->move_anim_none);
    EXPECT_EQ(0, a->friend_group);
    EXPECT_EQ(Entity::CONCRETE, a->material);
    EntityType *b = Type("B");
    ASSERT_NE(b, nullptr);
    EXPECT_STREQ("Powerup", b->ai->name);
    EXPECT_EQ(EntityType::TRAIL_NONE, b->trail_mode);
    EXPECT_EQ(Entity::ALL_FLAGS, b->flags);
    EXPECT_EQ(Entity::INHERIT, (int16_t)b->friend_group);
    EntityType *c = Type("C");
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(nullptr, c->weapon);
    EXPECT_EQ(nullptr, c->controls_entities);
}

TEST_F(EntityTypesLoadTest, NoNodeNoArrayOrNoNameGivesNoType)
{
    StartWorld("<node id=\"Known\"/>");
    EXPECT_EQ(nullptr, EntityType::CreateEntityType("Unknown"));
    EXPECT_TRUE(apptest::Logged("Creating entity type 'Unknown'"));
    EXPECT_EQ(nullptr, EntityType::CreateEntityType(nullptr));
    apptest::WriteFile("entities.xml", gametest::XmlArray("creatures", "<node id=\"Known\"/>"));
    dman().ReleaseDatabase("entities.xml");
    EXPECT_EQ(nullptr, EntityType::CreateEntityType("Known"));
}

TEST_F(EntityTypesLoadTest, TheEmptyTypeHoldsOnlyItsName)
{
    StartWorld("");
    EntityType empty(nullptr);
    EXPECT_STREQ("", empty.name);
    EXPECT_FLOAT_EQ(0.0f, empty.barrel_angle);
    EXPECT_FLOAT_EQ(0.0f, empty.color.r);
    EXPECT_FLOAT_EQ(0.9f, empty.snd_select.vol_min);
    EXPECT_FLOAT_EQ(1.1f, empty.snd_select.pitch_max);
    EXPECT_EQ(nullptr, empty.ai);
    EntityType named("Copy");
    EXPECT_STREQ("Copy", named.name);
}
