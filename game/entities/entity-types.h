// Entity types: the shared, read-only definition of one kind of entity (bitmaps,
// voices, effects, numbers, weapon, behaviour) and the drawing variant its class
// selects. Types are made on first request by name from "entities.xml"
// (`EntityType::CreateEntityType`, asked by the stock's registry,
// `Stock::GetEntityType`), owned by that registry and live until the program ends.
//
// The class is chosen by the node's "type" value (exact comparison): absent or any
// other value `EntityType`; "ProjectileTrailed", "ProjectileSimple", "ProjectileFlame",
// "Structure", "Powerup", "PowerupParachute" the variants below.
//
// Main thread only (creation may also run while the battle's assets are cached).
#ifndef GAME_ENTITIES_ENTITY_TYPES_H
#define GAME_ENTITIES_ENTITY_TYPES_H

#include "game/entities/entity.h"

#include <stdint.h>

class EntityAI;
class Weapon;
struct fx_t;
struct ov_bitmap_t;

class EntityType {
public:
    // "blend_mode" values.
    static constexpr int32_t BLEND_NORMAL = 0;
    static constexpr int32_t BLEND_ADDITIVE = 1;
    // "trail_mode" values.
    static constexpr int32_t TRAIL_NONE = 0;
    static constexpr int32_t TRAIL_DISTANCE = 1;
    static constexpr int32_t TRAIL_TIME = 2;

    // Copies the name (null: "") and sets every field to its empty state: nulls and
    // zeros, the three sound sets at volume 0.9..1.0, pitch 0.9..1.1 and no sounds,
    // `barrel_angle` 0.
    explicit EntityType(const char *name);
    // Frees the owned texts (`name`, `ai_parm_str`, `cache_flags`); nothing else.
    virtual ~EntityType();
    EntityType(const EntityType &) = delete;
    EntityType &operator=(const EntityType &) = delete;

    // Birth values of a record freshly taken from the pool, at `pos` (no type
    // overrides it). Draws AppRandom five times: anim_time, goal x, goal y,
    // random_phase, avoid_side.
    virtual void InitEntity(Entity *e, vec2_t pos);
    // One frame of the entity: behaviour and weapon while alive, dying countdown,
    // power-up effect timer.
    virtual void Update(Entity *e, float dt);
    // Draws the entity (nothing for a free record).
    virtual void Draw(Entity *e);
    // Selects the walk-cycle frame of `bitmap` for `phase` in [0, 1).
    virtual void SetMoveAnimFrame(ov_bitmap_t *bitmap, float phase);

    // Builds the type `name` from "entities.xml" (class by its "type" key, then every
    // key in the documented order; "weapon" and "controls_entities" create their
    // objects through the world's stock before this type is registered). Logs
    // "Creating entity type '%s'\n". Null when the file, its array "entities" or the
    // node is missing. The caller (the stock's registry) owns the result.
    static EntityType *CreateEntityType(const char *name);

    char *name;                   // owned
    ov_bitmap_t *bm_move;         // main sprite; its frames are the walk cycle
    ov_bitmap_t *bm_move2;        // weapon layer (base) / trail or second layer (variants)
    ov_bitmap_t *bm_die;          // corpse decal
    bool move_anim_pingpong;      // "move_anim_flags" contains "PINGPONG"
    bool move_anim_none;          // "move_anim_flags" contains "NONE"
    int32_t blend_mode;           // BLEND_NORMAL or BLEND_ADDITIVE
    SoundSet snd_killed;
    SoundSet snd_attack;
    SoundSet snd_select;          // pitch fixed at 1.0..1.0
    fx_t *fx_born;                // null: the world uses "fxs/sparks.lua"
    fx_t *fx_killed;              // ground layer
    fx_t *fx_killed_fore;         // top layer
    fx_t *fx_in_pain;
    fx_t *fx_idle;
    fx_t *fx_attack;
    fx_t *fx_trail;               // null: no trail
    int32_t trail_mode;           // TRAIL_NONE, TRAIL_DISTANCE, TRAIL_TIME
    float trail_interval;         // units (DISTANCE) or seconds (TIME)
    float aggro_radius;
    float anim_playback_speed;
    float ai_parm_a;
    float ai_parm_b;
    char *ai_parm_str;            // owned copy; null when absent
    float barrel_angle;           // added to the aim angle when the weapon layer is drawn
    EntityType *controls_entities;  // type the behaviour works with; registry-owned
    Weapon *weapon;               // weapon table's
    uint32_t flags;               // Entity::PROJECTILE ...
    uint16_t friend_group;        // 0, ENEMIES, PLAYERS, INHERIT
    uint16_t material;            // FLESH, METAL, CONCRETE
    float radius;
    float scale;
    float hit_points;
    float damage;
    float top_speed;
    int32_t points_worth;
    color_t color;
    EntityAI *ai;                 // registry-owned; "Default" when absent or unknown
    char *cache_flags;            // owned copy; "KEEP_CACHED" (any case) keeps the bitmaps
};

// Base structures: structure draw (stage frame, health bar, force field).
class EntityTypeStructure : public EntityType {
public:
    using EntityType::EntityType;
    void Draw(Entity *e) override;
};

// Pick-ups: base update then expiry; the pick-up draw.
class EntityTypePowerup : public EntityType {
public:
    using EntityType::EntityType;
    void Update(Entity *e, float dt) override;
    void Draw(Entity *e) override;
};

// Pick-ups dropped by parachute: base update, landing and expiry; drawn only in the
// world's final pass over pick-ups.
class EntityTypePowerupParachute : public EntityType {
public:
    using EntityType::EntityType;
    void Update(Entity *e, float dt) override;
    void Draw(Entity *e) override;
};

// Flames: a quarter-second death without the roster check; the flame draw.
class EntityTypeProjectileFlame : public EntityType {
public:
    using EntityType::EntityType;
    void Update(Entity *e, float dt) override;
    void Draw(Entity *e) override;
};

// Simple projectiles: base update, one sprite.
class EntityTypeProjectileSimple : public EntityType {
public:
    using EntityType::EntityType;
    void Draw(Entity *e) override;
};

// Trailed projectiles: base update, a trail line from the launch point and the head.
class EntityTypeProjectileTrailed : public EntityType {
public:
    using EntityType::EntityType;
    void Draw(Entity *e) override;
};

// The screen point of a world point, for every entity drawing (bodies, overlays,
// variants, paths): the world's world-to-screen mapping, then each axis multiplied by
// the screen manager's scale of that axis over the mean of both scales. Without a
// world the point itself is corrected.
vec2_t EntityScreenPoint(vec2_t world_point);

#endif
