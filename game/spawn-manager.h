// The world's timed spawn queue: planned arrivals (an entity type, a point and a due
// time on the manager's own millisecond clock) waiting in a fixed pool of spawn items,
// spawned into the world by `Update` when they come due and announced by a blinking
// warning sign for their last two seconds. Beside the queue the manager keeps the
// library of named spawn groups with their formations ("spawn-groups.xml") and the
// table of spawn events ("spawn-events.xml"), both read once at start-up.
//
// The world creates one manager with 512 items (`Scape::Init`) and resets it for
// every mission. Nothing is allocated after construction. Main thread only.
#ifndef GAME_SPAWN_MANAGER_H
#define GAME_SPAWN_MANAGER_H

#include "orvex.h"

#include <stdint.h>

class EntityType;
class Scape;

#define SPAWN_MAX_GROUPS 64
#define SPAWN_MAX_EVENTS 128

// Formations of a spawn group ("RANDOM" is loaded as a screen-sized rectangle).
enum {
    SPAWN_FORMATION_POINT = 0,
    SPAWN_FORMATION_CIRCLE = 1,
    SPAWN_FORMATION_LINE = 2,
    SPAWN_FORMATION_RECTANGLE = 3,
};

// Spawn event flags.
enum {
    SPAWN_EVENT_UNIQUE = 1,
    SPAWN_EVENT_FORCE_SPAWN = 2,
};

// One planned arrival. In the queue (ascending `time`) or in the free list.
struct SpawnInfo {
    uint32_t time;            // due time on the manager's clock, ms
    vec2_t pos;               // spawn point, world units
    float angle;              // facing given to the entity, radians (0 by default)
    float hit_point_factor;   // multiplies the new entity's hit points (1.0 by default)
    uint8_t no_alert;         // 1: no warning sign for this item
    EntityType *type;         // what to spawn
    SpawnInfo *next;          // queue or free-list link
};

// A named group with its formation, read from "spawn-groups.xml".
struct SpawnGroup {
    char *id;                 // owned copy, "" when the key is missing
    int32_t formation;        // SPAWN_FORMATION_*
    uint8_t around_player;    // tag SPAWN_AROUND_PLAYER: `pos` is relative to the player
    vec2_t pos;               // "pos_x", "pos_y"
    vec2_t pos_to;            // "pos_to_x", "pos_to_y" (line end)
    float width, height;      // rectangle size
    float radius;             // circle radius
    float angle;              // line facing, radians ("angle" is read in degrees)
    EntityType *entity_type;  // "entity_type"; null when unknown (the group queues nothing)
    float num_ents_base, num_ents_per_level, num_ents_per_sub_level;
    float spawn_delay;        // seconds between two members
};

// One spawn event, read from "spawn-events.xml".
struct SpawnEvent {
    int32_t min_level, max_level, rarity;
    uint8_t flags;            // SPAWN_EVENT_*
    SpawnGroup *group;        // "group" looked up by name; null when unknown
    int32_t num_extra_ents;
    int32_t times_used;       // cleared by Reset
};

class SpawnManager {
public:
    // Allocates a pool of `items` spawn items (none for items <= 0); no groups, no events.
    explicit SpawnManager(int items);
    // Frees the pool and the groups' ids.
    ~SpawnManager();
    SpawnManager(const SpawnManager &) = delete;
    SpawnManager &operator=(const SpawnManager &) = delete;

    // Reads the groups, then the events.
    void Init();
    // Empties the queue; clock 0; level and sub-level 1; every event's use count 0.
    void Reset();
    // Links every item into the free list in pool order; the queue becomes empty.
    void ClearSpawnList();
    // Does nothing (the destructor frees).
    void Free();
    // Player position, level and sub-level for the groups; the battle screen sets them
    // every frame.
    void SetSpawnParms(vec2_t player, int level, int subLevel);

    // Queues `type` at `pos`, due at `time` (ms on the manager's clock). Returns the
    // item, owned by the manager (the caller may set its facing, factor and no-alert
    // mark), or null for a null type or when every item is queued (developer popup
    // "Out of free spawn info items...\n" unless AUTO_TESTING_MODE).
    SpawnInfo *AddSpawnInfo(unsigned long time, EntityType *type, vec2_t pos);
    // Advances the clock by dt seconds (negative counts 0) and spawns every due item
    // through the world; an item whose spawn fails is dropped.
    void Update(float dt);
    // Whether items are queued.
    bool AreEnemiesLeftToSpawn() const;
    // Whether the world's ENEMIES group has a living entity or items are queued.
    bool AreEnemiesLeft() const;
    // Whether a queued item that spawns a pick-up (a POWERUP type) lies nearer than
    // `reach` to p: a new pick-up keeps clear of those on their way.
    bool PickupQueuedNear(vec2_t p, float reach) const;
    // Draws the warning sign (the stock's "game-ui/incoming-enemies.png") of every
    // item due within 2 s that is not marked no-alert.
    void DrawSpawnAlerts();

    // The group whose id equals the name in any letter case; null for a null name.
    SpawnGroup *GetSpawnGroup(const char *name);
    // Queues the named group at the current clock.
    void SpawnSpawnGroupNow(const char *name);
    // Queues the members of a group (extra + the group's number for the level and
    // sub-level), the first due at `time`; a null group does nothing.
    void SpawnSpawnGroup(SpawnGroup *group, unsigned long time, int extra);
    // Formations: n members (none for n <= 0), the first due at `time`, each next one
    // `delay` seconds later (negative counts 0); each stops at the first refused item.
    void SpawnGroupCircle(unsigned long time, EntityType *type, int n, float delay, vec2_t centre,
                          float radius);
    void SpawnGroupLine(unsigned long time, EntityType *type, int n, float delay, vec2_t from, vec2_t to,
                        float facing);
    void SpawnGroupRectangle(unsigned long time, EntityType *type, int n, float delay, vec2_t centre,
                             float width, float height);

    // "spawn-groups.xml" array "groups" / "spawn-events.xml" array "events"; a missing
    // array keeps what was loaded; nodes past the 64 groups or 128 events are ignored.
    void LoadSpawnGroups();
    void LoadSpawnEvents();

    // The pool and the two lists (read by the power-up placement, which checks the
    // queued points).
    SpawnInfo *items = nullptr;
    int num_items = 0;
    SpawnInfo *free_list = nullptr;
    SpawnInfo *queue_head = nullptr;
    SpawnInfo *queue_tail = nullptr;

    SpawnGroup groups[SPAWN_MAX_GROUPS];
    int num_groups = 0;
    SpawnEvent events[SPAWN_MAX_EVENTS];
    int num_events = 0;

    uint32_t clock = 0;       // ms
    int level = 1;
    int sub_level = 1;
    vec2_t player_pos = {0.0f, 0.0f};

    // The world that owns the manager (set before Init: the groups' entity types come
    // from its stock); the published `scape` when null.
    Scape *world = nullptr;

private:
    Scape *World() const;
};

#endif
