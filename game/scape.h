// The battlefield of a mission: a rectangle of world units cut into a uniform grid of
// square cells. Every entity in play is linked into the ring of the cell under its
// position and every placed obstacle is referenced by the cell of its centre, so the
// spatial queries look only at the cells a query circle can reach.
//
// One `Scape` exists for the whole run, reached through `scape` (GetScape()). It is
// created on the "App Loading" worker while the battle screen preloads and read by
// the main thread every frame, so the pointer is published with release and read with
// acquire. Everything else about the world runs on the main thread and takes no lock.
//
// Coordinates: world units, origin top left, x right, y down. Screen space is the world
// seen through `camera` and `zoom`.
#ifndef GAME_SCAPE_H
#define GAME_SCAPE_H

#include "game/settings.h"
#include "narray.h"
#include "orvex.h"

#include <atomic>
#include <stdint.h>

struct Entity;
class EntityType;
class Stock;
class SpawnManager;
class Obstacle;
class ObstacleType;
class VectorField;
class PartMan;
struct fx_t;
struct part_t;

enum {
    SCAPE_NUM_GROUP_COUNTS = 16,  // live counters indexed by friend group
    SCAPE_RING_GROUPS = 17,       // groups with rings of their own; the last: the groups outside 0..15
    SCAPE_GROUP_RINGS = 34,       // two rings a group: ring 2g its NORMAL entities, 2g + 1 the others
    SCAPE_MAX_CELL_OBSTACLES = 8,
    SCAPE_MAX_DECALS = 128,
    SCAPE_ENTITY_RECORDS = 512,
    SCAPE_SPAWN_ITEMS = 512,
    SCAPE_PARTICLE_LAYER_INIT = 256,
    SCAPE_PARTICLE_LAYER_SIZE = 1536,
};

// One cell of the world grid.
struct ScapeCell {
    Entity *first;  // head of the circular ring of the cell's entities, null when empty
    int32_t num_entities;
    Obstacle *obstacles[SCAPE_MAX_CELL_OBSTACLES];  // obstacles whose centre lies here
    int32_t num_obstacles;
    int32_t path_stamp;   // visit mark of the search towards the bunker
    vec2_t center;        // ((column + 0.5) x cell_size, (row + 0.5) x cell_size)
    int32_t row, column;  // its place in the grid (queries test windows without dividing)
    ScapeCell *path_next; // next cell towards the bunker, null when blocked
    // Kept by LinkEntity and UnlinkEntity so that a query passes over cells that cannot
    // answer it: the linked entities by the friend group they were linked with, and the
    // largest |radius| linked here since the cell was last empty.
    uint16_t group_entities[SCAPE_NUM_GROUP_COUNTS];
    float max_reach;
};

// A mark queued to be baked into the terrain bitmap by the next update.
struct ScapeDecal {
    vec2_t pos;
    ov_bitmap_t *bitmap;
    color_t color;
    float angle;
    float scale;
    int32_t blend;
};

// An environment emitter built by terrain generation from the level.
struct ScapeEmitter {
    uint8_t active;
    int32_t mode;      // 0 always, 1 until no enemies are left to spawn
    char id[64];       // name by which wave effects address it
    vec2_t pos;
    PartMan *layer;
    fx_t *fx;
    float interval;    // seconds between bursts
    float angle;
};

class Scape {
public:
    Scape();
    ~Scape();
    Scape(const Scape &) = delete;
    Scape &operator=(const Scape &) = delete;

    // Lifecycle (world grid).
    void Init(int columns, int rows, float cell_size);
    // Only the grid: columns x rows zeroed cells with their centres and the world size
    // (the part of Init that needs no engine; tests of the queries use it alone).
    void InitGrid(int columns, int rows, float cell_size);
    void Reset();
    void Free();

    // Grid links.
    void LinkEntity(Entity *e);
    void UnlinkEntity(Entity *e);
    // A linked entity's friend group changed: its cell counts and group ring follow.
    void RegroupEntity(Entity *e);
    // The cell of a point, clamped into the grid; null only without cells.
    ScapeCell *GetCellAt(vec2_t p);
    int GetColumnOf(float x) const;
    int GetRowOf(float y) const;

    vec2_t TranslatePointToScreenSpace(vec2_t p) const;
    vec2_t TranslatePointToScape(vec2_t p) const;

    // Spatial queries (grid order: rows ascending, columns ascending, ring from its head).
    Entity *GetNearestEntityInFriendGroup(vec2_t p, float radius, int flag_mask, int group);
    Entity *GetNearestEnemy(Entity *self, vec2_t p, float radius);
    Entity *GetNearestFriend(Entity *self, vec2_t p, float radius);
    // GetNearestFriend's answer taken from `found`: every NORMAL entity of self's group
    // whose circle touches the circle of found_radius around p, in scan order (a
    // QueryEntitiesInRadiusInFriendGroup answer that its max did not cut, with the grid
    // unchanged since). Falls back to the grid query where the list cannot answer.
    Entity *GetNearestFriendAmong(Entity *self, vec2_t p, float radius, Entity *const *found, int n,
                                  float found_radius);
    int QueryEntitiesInRadius(vec2_t p, float radius, int flag_mask, Entity **out, int max);
    int QueryEntitiesInRadiusInFriendGroup(vec2_t p, float radius, int flag_mask, int group, Entity **out,
                                           int max);
    int QueryEntitiesInRadiusNotInFriendGroup(vec2_t p, float radius, int flag_mask, int group, Entity **out,
                                              int max);
    // Pool scans, in record order. QueryEntitiesInFriendGroup takes every record with a
    // type, whatever its state: dying entities, and the dead troopers the roster keeps
    // for the results screens. Scans that mean the units in play take the living ones.
    int QueryEntitiesInFriendGroup(int flag_mask, int group, Entity **out, int max);
    int QueryLivingEntitiesInFriendGroup(int flag_mask, int group, Entity **out, int max);
    int QueryEntitiesOfType(EntityType *type, int flag_mask, Entity **out, int max);
    int GetNumberOfEntitiesOfType(EntityType *type);
    int GetNumberOfEntitiesInFriendGroup(int group);

    void PlaySoundAt(ov_sound_t *sound, vec2_t p, float volume, float pitch);

    // Spawning, killing and damage. A spawn joins the type's friend group, or with
    // SpawnEntityInGroup the given one (a shot takes its shooter's). Every spawn in play
    // into the ENEMIES group leaves Stock::PLAYER_RESERVE records free (null when it
    // would not); the other groups may take any record, and so may SpawnEntitySilent,
    // which places what a level or a saved game starts with.
    Entity *SpawnEntity(EntityType *type, vec2_t pos);
    Entity *SpawnEntityInGroup(EntityType *type, vec2_t pos, int group);
    Entity *SpawnEntitySilent(EntityType *type, vec2_t pos);
    void KillEntity(Entity *victim, Entity *killer, bool silent);
    int DealDamage(Entity *victim, Entity *source, float amount);
    void DealSplashDamage(Entity *source, vec2_t centre, float radius, float damage);
    // A star of the level's rating is lost (the bunker's health fell a band, or a trooper
    // died): the star-lost effect at `at` on the top layer and, from the blast pick-up's
    // first mission on while the battle is neither won nor lost, that pick-up at a free
    // spot near the middle of the screen. The callers decide that a star is lost.
    void LoseStar(vec2_t at);

    // World update and drawing.
    void Update(float dt);
    void Draw(float dt);
    ScapeDecal *AddDecal(ov_bitmap_t *bitmap, vec2_t pos, float angle, float scale, color_t color, int blend);
    void DrawDecals();

    // Obstacles and collision.
    Obstacle *AddObstacle(ObstacleType *type, vec2_t pos, float angle, float scale);
    bool IsPointInsideObstacle(vec2_t p, float radius, vec2_t *out = nullptr);
    bool ProjectPointOnToObstacle(vec2_t p, vec2_t *out);
    vec2_t ProjectPointOutOfCollisions(vec2_t p, float radius, bool *moved);
    // Frees every placed obstacle and empties the cells' references.
    void FreeObstacles();

    // Terrain generation.
    void GenerateTerrain();

    // Vector field path search towards the bunker.
    void RecursePathToBunker(int cx, int cy, int from_cx, int from_cy, int stamp);

    // Settings file.
    void ReadConfig();
    bool WriteConfig();

    // Fields, in the world's order.
    uint32_t visit_stamp = 0;  // raised by every obstacle query and every Draw

    ScapeDecal decals[SCAPE_MAX_DECALS];
    int32_t num_decals = 0;

    nArray<ScapeEmitter> emitters;  // count: emitters.Count()
    int32_t num_emitters = 0;

    float ground_angle = 0.0f;     // smoke angle: pi .. 2 pi per mission, or the emitters'
    ov_bitmap_t *terrain = nullptr; // render target "TERRAIN"

    VectorField *vector_field = nullptr;   // owned
    Stock *stock = nullptr;                // owned
    SpawnManager *spawn_manager = nullptr; // owned

    ScapeCell *cells = nullptr;  // row-major, num_columns x num_rows
    int32_t num_columns = 10;
    int32_t num_rows = 10;
    float cell_size = 20.0f;
    int32_t width = 0;   // world size in units
    int32_t height = 0;

    vec2_t camera = {0.0f, 0.0f};
    vec2_t view_center = {0.0f, 0.0f};
    float zoom = 1.0f;

    float shake_time = 0.0f;       // seconds of screen shake left
    uint8_t drawing_top_pass = 0;  // 1 while Draw draws the top pass

    ScapeConfig config;

    uint16_t group_counts[SCAPE_NUM_GROUP_COUNTS] = {};  // live entities per friend group

    // Raised by every change of the grid's links (LinkEntity into another cell,
    // UnlinkEntity): an answer kept from a query is good while it stays the same.
    uint32_t link_stamp = 0;
    // Every linked entity is also in a ring of its friend group (one for its NORMAL
    // entities, one for the others: shots and pick-ups), so that a query about a small
    // group reads the group's members instead of the cells. `link_seq` numbers the
    // links: a cell's ring runs in ascending numbers from its head. A linked entity's
    // group and flags change only through RegroupEntity or a new link.
    Entity *group_first[SCAPE_GROUP_RINGS] = {};
    int32_t group_linked[SCAPE_GROUP_RINGS] = {};
    int32_t linked_total = 0;   // the sum of group_linked
    int32_t linked_normal = 0;  // of the NORMAL rings
    uint64_t link_seq = 0;
    // An entity of negative radius was linked since the grid was last emptied.
    uint8_t negative_radius_linked = 0;

    PartMan *ground_parts = nullptr;  // drawn under the entities
    PartMan *top_parts = nullptr;     // drawn over them

    // Every placed obstacle, also those no cell references; Reset frees them all.
    nArray<Obstacle *> placed_obstacles;
    // Set by terrain generation, cleared with the obstacles: a later generation in the
    // same mission only draws the terrain bitmap again.
    uint8_t terrain_generated = 0;

private:
    // The grid is emptied: the group rings and their counts start again, answers kept
    // from queries are stale.
    void ForgetLinks();
    // A pool record for a new entity of that group, given its type's birth values and
    // the group; null for a null type or a full pool.
    Entity *TakeRecord(EntityType *type, vec2_t pos, int group);
};

// The one world, published once built; null before.
extern std::atomic<Scape *> scape;
// The world as published (acquire), or null.
inline Scape *GetScape()
{
    return scape.load(std::memory_order_acquire);
}
// The stock of the published world, or null before one exists.
inline Stock *WorldStock()
{
    Scape *world = GetScape();
    return world ? world->stock : nullptr;
}
// Publishes a world built on another thread (release); null withdraws it.
inline void SetScape(Scape *world)
{
    scape.store(world, std::memory_order_release);
}

// A new heap copy of token n of the text, tokens separated by '_' (see scape-damage.cpp);
// null for a null text. The caller frees it with free().
char *GetUnderscoreToken(const char *text, int n);

#endif
