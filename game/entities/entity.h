// The battle's entity record and the voice sets of the entity types.
//
// An `Entity` is one thing on the battlefield (trooper, enemy, projectile, base
// structure, pick-up): a fixed-size plain record taken from the `Stock` pool. It has no
// constructor and no virtual operations and stays trivially copyable, so the pool can
// hand records out and take them back without construction; fields are read and
// written by name, never by byte offset. Its kind is the shared `EntityType` it points
// to; that type's behaviour (`EntityAI`) decides what it does.
//
// Lifetime of the fields: everything the entity's play uses is set at birth
// (`EntityType::InitEntity`); `burn_damage`, `range`, `select_time` and `path_pos` are
// set by whoever uses them first. The five statistics after `path` are what a revived
// trooper keeps (copied field by field).
//
// Main thread only.
#ifndef GAME_ENTITIES_ENTITY_H
#define GAME_ENTITIES_ENTITY_H

#include "orvex.h"

#include <stdint.h>

class EntityType;
class Weapon;
struct Powerup;
class MovePath;
struct ScapeCell;

struct Entity {
    // Flag bits (`flags`, also the types' "flags" key).
    static constexpr uint32_t PROJECTILE = 1;
    static constexpr uint32_t NORMAL = 2;
    static constexpr uint32_t MOVABLE = 4;
    static constexpr uint32_t POWERUP = 8;
    static constexpr uint32_t BLOCKS_MOVEMENT = 16;
    static constexpr uint32_t INCENDIARY = 32;  // a projectile that sets what it hits alight
    static constexpr uint32_t ALL_FLAGS = 0xffffffffu;  // the flag word "ALL"
    // Materials (`material`).
    static constexpr uint16_t FLESH = 0;
    static constexpr uint16_t METAL = 1;
    static constexpr uint16_t CONCRETE = 2;
    // Friend groups (`friend_group`); INHERIT only in a type (a projectile takes its
    // shooter's group).
    static constexpr int16_t ENEMIES = 1;
    static constexpr int16_t PLAYERS = 2;
    static constexpr int16_t INHERIT = 3;
    // States (`state`).
    static constexpr uint16_t STATE_FREE = 0;  // free, or dead and kept in the trooper roster
    static constexpr uint16_t STATE_ALIVE = 1;
    static constexpr uint16_t STATE_DYING = 2;

    EntityType *type;      // null: the record is free
    // What the spatial queries read of every entity they pass, together at the start of
    // the record: the ring links, the position and what the filters test.
    Entity *next;          // world cell ring while in play, the pool's free list while free
    Entity *prev;
    ScapeCell *cell;       // cell linked into; null when unlinked
    vec2_t pos;
    float radius;          // collision radius
    uint32_t flags;        // copied from the type
    int16_t friend_group;  // ENEMIES, PLAYERS
    uint16_t state;        // STATE_FREE, STATE_ALIVE, STATE_DYING
    float phase;           // alive: walk cycle [0, 1); dying: seconds since death, capped at 1
    int32_t slot;          // squad slot in the game state's roster; -1 for other entities
    Entity *owner;         // creator (a projectile's shooter); kill credit goes to the chain's root
    Entity *target;        // chosen by the behaviour
    Weapon *weapon;        // in hand, null for none
    Weapon *base_weapon;   // returned to when a super weapon's clip is spent; null: ask the profile
    Powerup *powerup;      // a pick-up's power-up
    bool powerup_active;   // a power-up effect runs on this entity
    const char *powerup_id;  // static text, never owned; "" for none
    float powerup_time;    // seconds the effect has run
    float recoil;          // weapon kick
    float highlight;       // selection highlight (controls keep 0..4, drawing clamps 0..1)
    float ammo;            // rounds left in the clip
    float shot_timer;      // seconds until the weapon may fire again
    float reload_timer;    // seconds of reloading left
    float throttle;        // movement throttle 0..1
    float speed;           // current top speed, units per second
    Entity *burner;        // credited with this entity's burn damage
    Entity *last_hit;      // last entity a bullet hit
    float attack_phase;    // 0 idle, else the attack animation running to 1
    uint16_t material;     // FLESH, METAL, CONCRETE
    color_t color;         // tint
    float age;             // seconds since birth
    float hit_points;
    float max_hit_points;
    float damage;          // dealt per attack or hit
    float aim_angle;       // direction of the weapon
    float splash_damage;   // of the weapon in hand
    float splash_range;    // of the weapon in hand
    float range;           // a projectile's travel limit from `origin`
    uint32_t select_time;  // game clock (ms) at spawn or last selection
    float trail_distance;  // distance travelled, for distance-spaced trails
    float trail_emitted;   // `trail_distance` at the last trail effect
    uint32_t attack_time;  // game clock (ms) of the last attack
    bool trigger;          // the behaviour wants the weapon to fire
    float burn_time;       // seconds of burning left
    float burn_damage;     // per second
    float chill_time;      // seconds of chill left
    int32_t points_worth;  // money and score for killing it
    int16_t cell_group;    // linked: the group ring it is in (see Scape::group_first); -1: none
    Entity *group_next;    // the world's ring of its group while linked
    Entity *group_prev;
    uint64_t link_seq;     // number of its link into the cell (a cell's ring runs in ascending order)
    float anim_time;       // animation clock
    vec2_t origin;         // position at birth
    vec2_t velocity;       // units per second
    float angle;           // heading; the sprite is drawn rotated by it
    float scale;           // draw scale
    float random_phase;    // uniform [0, 1] drawn at birth
    float avoid_side;      // steering side of obstacle avoidance
    float avoid_time;      // steering commitment timer
    int32_t waypoint;      // level ai point followed; -1 for none
    vec2_t goal;           // roaming goal
    int16_t goal_count;    // roaming counter
    float goal_timer;      // roaming countdown
    float path_pos;        // distance travelled along `path`
    MovePath *path;        // owned; the player's drawn route, created on first selection
    float damage_dealt;    // statistics kept by a revival: damage_dealt .. damage_taken
    int32_t kills;
    int32_t shots_fired;
    int32_t deaths;
    float damage_taken;

    // True exactly when alive (`state` 1); a dying entity is not alive.
    bool IsAlive() const { return state == STATE_ALIVE; }
    // Moves the entity to another friend group, keeping the world's per-group counters
    // of entities in play right (old group down, new group up; same group: no change).
    void ChangeGroup(int group);

    // Value parsers of the "entities.xml" keys (defined with the type loader).
    // Flag words found anywhere in the text ("ALL": every bit); null gives 0.
    static int GetFlagsFromString(const char *text);
    // "FLESH" 0, "METAL" 1, "CONCRETE" 2, anything else (and null) 0; exact comparison.
    static int GetMaterialFromString(const char *text);
    // "ENEMIES" 1, "PLAYERS" 2, "INHERIT" 3, anything else (and null) 0; exact comparison.
    static int GetFriendGroupFromString(const char *text);
};

// The last entity of the chain owner, owner's owner, ... (the entity itself without an
// owner); the walk stops after 512 steps, so a stale owner cycle ends. Null for null.
Entity *RootOwner(Entity *e);

// Up to five voices of one kind (killed, attack, select) of an entity type, played at a
// random member, volume and pitch. The engine sounds are not released by the set.
struct SoundSet {
    static constexpr int MAX_SOUNDS = 5;

    float vol_min = 0.9f;
    float vol_max = 1.0f;
    float pitch_min = 0.9f;
    float pitch_max = 1.1f;
    struct ov_sound_t *sounds[MAX_SOUNDS] = {};  // in the order added
    int32_t count = 0;

    // Fetches the sound by name (OV_GetSound) and keeps it while fewer than five are
    // held; a later name is fetched and not kept; null is ignored.
    void AddSound(const char *name);
    // Plays member rand() mod count at a volume and then a pitch drawn in their ranges,
    // through the world's positional play (Scape::PlaySoundAt). 1 when a sound was
    // played; with no sounds (or no world) plays nothing, draws nothing and returns 0.
    int PlayAt(vec2_t pos);
};

#endif
