// Entity types from "entities.xml": the empty type, the value parsers of the flag,
// material and friend-group words, and `CreateEntityType`, which picks the class by
// the node's "type" and reads every key in a fixed order (the order matters where a
// key creates other objects: the weapon, and the commanded type, are made before this
// type is registered).
//
// Numbers are read by the data-number rule (app/services/data-numbers.h); a key
// absent from the node leaves the documented default.
#include "game/entities/entity-types.h"

#include "app/services/data-numbers.h"
#include "app/services/dataman.h"
#include "app/ui/partfx.h"
#include "game/entities/stock.h"
#include "game/entities/weapons.h"
#include "game/scape.h"

#include <limits.h>
#include <math.h>
#include <stdlib.h>
#include <string.h>

namespace {

char *CopyText(const char *text)
{
    return text ? strdup(text) : nullptr;
}

// Reads one key of the node into a float; absent leaves `*out` at its default.
void ReadFloat(const DMNode *node, const char *key, float *out)
{
    *out = NodeFloat(node, key, *out);
}

EntityType *ConstructClass(const char *class_name, const char *name)
{
    if (class_name) {
        if (strcmp(class_name, "ProjectileTrailed") == 0)
            return new EntityTypeProjectileTrailed(name);
        if (strcmp(class_name, "ProjectileSimple") == 0)
            return new EntityTypeProjectileSimple(name);
        if (strcmp(class_name, "ProjectileFlame") == 0)
            return new EntityTypeProjectileFlame(name);
        if (strcmp(class_name, "Structure") == 0)
            return new EntityTypeStructure(name);
        if (strcmp(class_name, "Powerup") == 0)
            return new EntityTypePowerup(name);
        if (strcmp(class_name, "PowerupParachute") == 0)
            return new EntityTypePowerupParachute(name);
    }
    return new EntityType(name);
}

fx_t *ReadEffect(const DMNode *node, const char *key)
{
    const char *v = node->GetValue(key);
    return v ? pbman.GetFX(v) : nullptr;
}

ov_bitmap_t *ReadBitmap(const DMNode *node, const char *key)
{
    const char *v = node->GetValue(key);
    return v ? ov->OV_GetBitmap(v) : nullptr;
}

void ReadSounds(const DMNode *node, SoundSet *set, const char *const *keys, int count)
{
    for (int i = 0; i < count; i++)
        set->AddSound(node->GetValue(keys[i]));
}

// Every key of the node, in the order that creates the weapon and the commanded type
// before the behaviour and the numbers.
void ReadKeys(EntityType *t, const DMNode *node)
{
    t->weapon = Weapon::GetWeapon(node->GetValue("weapon"));

    t->anim_playback_speed = 1.0f;
    ReadFloat(node, "anim_playback_speed", &t->anim_playback_speed);
    if (!(t->anim_playback_speed > 0.0f))  // 0, negative or not a number
        t->anim_playback_speed = 1.0f;

    t->cache_flags = CopyText(node->GetValue("cache_flags"));
    t->bm_move = ReadBitmap(node, "bm_move");
    t->bm_move2 = ReadBitmap(node, "bm_move2");
    t->bm_die = ReadBitmap(node, "bm_die");

    static const char *const kKilled[] = {"snd_killed", "snd_killed1", "snd_killed2", "snd_killed3",
                                          "snd_killed4"};
    static const char *const kAttack[] = {"snd_attack", "snd_attack1", "snd_attack2", "snd_attack3",
                                          "snd_attack4"};
    static const char *const kSelect[] = {"snd_select1", "snd_select2", "snd_select3"};
    ReadSounds(node, &t->snd_killed, kKilled, 5);
    ReadSounds(node, &t->snd_attack, kAttack, 5);
    ReadSounds(node, &t->snd_select, kSelect, 3);
    t->snd_select.pitch_min = 1.0f;
    t->snd_select.pitch_max = 1.0f;

    const char *blend = node->GetValue("blend_mode");
    t->blend_mode = blend && strcmp(blend, "ADDITIVE") == 0 ? EntityType::BLEND_ADDITIVE : EntityType::BLEND_NORMAL;

    t->fx_born = ReadEffect(node, "fx_born");
    t->fx_killed = ReadEffect(node, "fx_killed");
    t->fx_killed_fore = ReadEffect(node, "fx_killed_fore");
    t->fx_in_pain = ReadEffect(node, "fx_in_pain");
    t->fx_attack = ReadEffect(node, "fx_attack");
    t->fx_idle = ReadEffect(node, "fx_idle");
    t->fx_trail = ReadEffect(node, "fx_trail");

    const char *trail = node->GetValue("trail_mode");
    t->trail_mode = EntityType::TRAIL_NONE;
    if (trail && strcmp(trail, "DISTANCE") == 0)
        t->trail_mode = EntityType::TRAIL_DISTANCE;
    else if (trail && strcmp(trail, "TIME") == 0)
        t->trail_mode = EntityType::TRAIL_TIME;
    t->trail_interval = 16.0f;
    ReadFloat(node, "trail_interval", &t->trail_interval);
    ReadFloat(node, "aggro_radius", &t->aggro_radius);

    t->color = {1.0f, 1.0f, 1.0f, 1.0f};
    ReadFloat(node, "color_r", &t->color.r);
    ReadFloat(node, "color_g", &t->color.g);
    ReadFloat(node, "color_b", &t->color.b);
    ReadFloat(node, "color_a", &t->color.a);
    t->barrel_angle = 1.0f;
    ReadFloat(node, "barrel_angle", &t->barrel_angle);

    Stock *stock = Stock::GetLoadingStock();
    const char *commanded = node->GetValue("controls_entities");
    if (commanded && stock)
        t->controls_entities = stock->GetEntityType(commanded);

    t->ai_parm_a = 0.66f;
    t->ai_parm_b = 0.66f;
    ReadFloat(node, "ai_parm_a", &t->ai_parm_a);
    ReadFloat(node, "ai_parm_b", &t->ai_parm_b);
    t->ai_parm_str = CopyText(node->GetValue("ai_parm_str"));

    if (stock) {
        t->ai = stock->GetEntityAI(node->GetValue("ai"));
        if (!t->ai)
            t->ai = stock->GetEntityAI("Default");
    }

    const char *anim = node->GetValue("move_anim_flags");
    t->move_anim_pingpong = anim && strstr(anim, "PINGPONG");
    t->move_anim_none = anim && strstr(anim, "NONE");

    t->material = (uint16_t)Entity::GetMaterialFromString(node->GetValue("material"));
    t->flags = (uint32_t)Entity::GetFlagsFromString(node->GetValue("flags"));
    t->friend_group = (uint16_t)Entity::GetFriendGroupFromString(node->GetValue("friend_group"));
    ReadFloat(node, "radius", &t->radius);
    ReadFloat(node, "scale", &t->scale);
    ReadFloat(node, "damage", &t->damage);
    ReadFloat(node, "hit_points", &t->hit_points);
    t->points_worth = DataLeadingInt(node->GetValue("points_worth"));
    t->top_speed = (float)DataLeadingInt(node->GetValue("top_speed"));
}

}  // namespace

EntityType::EntityType(const char *type_name)
    : name(strdup(type_name ? type_name : "")), bm_move(nullptr), bm_move2(nullptr), bm_die(nullptr),
      move_anim_pingpong(false), move_anim_none(false), blend_mode(BLEND_NORMAL), fx_born(nullptr),
      fx_killed(nullptr), fx_killed_fore(nullptr), fx_in_pain(nullptr), fx_idle(nullptr), fx_attack(nullptr),
      fx_trail(nullptr), trail_mode(TRAIL_NONE), trail_interval(0.0f), aggro_radius(0.0f),
      anim_playback_speed(0.0f), ai_parm_a(0.0f), ai_parm_b(0.0f), ai_parm_str(nullptr), barrel_angle(0.0f),
      controls_entities(nullptr), weapon(nullptr), flags(0), friend_group(0), material(0), radius(0.0f),
      scale(0.0f), hit_points(0.0f), damage(0.0f), top_speed(0.0f), points_worth(0), color{0, 0, 0, 0},
      ai(nullptr), cache_flags(nullptr)
{
}

EntityType::~EntityType()
{
    free(name);
    free(ai_parm_str);
    free(cache_flags);
}

// Builds the type from its node of "entities.xml"; null when the data has no such type.
EntityType *EntityType::CreateEntityType(const char *type_name)
{
    ov->OV_Printf("Creating entity type '%s'\n", type_name ? type_name : "");
    DMDatabase *db = dman().GetDatabase("entities.xml");
    DMArray *array = db ? db->GetArray("entities") : nullptr;
    DMNode *node = array && type_name ? array->GetNode(type_name) : nullptr;
    if (!node)
        return nullptr;
    EntityType *t = ConstructClass(node->GetValue("type"), type_name);
    ReadKeys(t, node);
    return t;
}

// Flag words searched anywhere in the text; "ALL" anywhere sets every bit.
int Entity::GetFlagsFromString(const char *text)
{
    if (!text)
        return 0;
    if (strstr(text, "ALL"))
        return (int)ALL_FLAGS;
    static const struct {
        const char *word;
        uint32_t bit;
    } kWords[] = {{"NORMAL", NORMAL},   {"PROJECTILE", PROJECTILE},         {"POWERUP", POWERUP},
                  {"MOVABLE", MOVABLE}, {"BLOCKS_MOVEMENT", BLOCKS_MOVEMENT}, {"INCENDIARY", INCENDIARY}};
    uint32_t flags = 0;
    for (const auto &w : kWords)
        if (strstr(text, w.word))
            flags |= w.bit;
    return (int)flags;
}

int Entity::GetMaterialFromString(const char *text)
{
    if (!text)
        return FLESH;
    if (strcmp(text, "METAL") == 0)
        return METAL;
    if (strcmp(text, "CONCRETE") == 0)
        return CONCRETE;
    return FLESH;
}

int Entity::GetFriendGroupFromString(const char *text)
{
    if (!text)
        return 0;
    if (strcmp(text, "ENEMIES") == 0)
        return ENEMIES;
    if (strcmp(text, "PLAYERS") == 0)
        return PLAYERS;
    if (strcmp(text, "INHERIT") == 0)
        return INHERIT;
    return 0;
}
