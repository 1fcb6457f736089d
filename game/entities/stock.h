// The stock: everything the battle needs to make and draw entities. The fixed pool of
// `Entity` records with its free list, the registry of entity types by name, the
// registry of behaviours by name, and the bitmaps, fonts, effects and decals that
// several parts of the battle share. The world owns exactly one stock and initialises
// it with 512 records when the battle is first set up.
//
// Ownership: the pool's records are the stock's (Init to Free); the registries own
// their types and behaviours until the program ends (or ClearRegistries). The shared
// assets are fetched from the engine and the effect library and never released here.
//
// Free list: a free record has a null `type`; the list runs from `free_head` along
// `next` to `free_tail` (whose `next` is null); a record returned by FreeEntity is
// appended, so freed records are reused first freed, first reused, after the records
// never used since the last reset. The last record of the list is never handed out:
// at most `num_entities` - 1 records are in use at once.
//
// Main thread only.
#ifndef GAME_ENTITIES_STOCK_H
#define GAME_ENTITIES_STOCK_H

#include "game/entities/entity.h"

#include <stdint.h>

class EntityAI;
class EntityType;
class Weapon;
struct fx_t;
struct ov_bitmap_t;
struct ov_font_t;

class Stock {
public:
    static constexpr int MAX_BEHAVIOURS = 32;
    static constexpr int MAX_TYPES = 96;
    static constexpr int NUM_SHOP_ICONS = 30;
    static constexpr int NUM_LEAD_PROJECTILES = 3;
    static constexpr int MAX_BLOOD_DECALS = 16;
    // Records the enemy side leaves free for the squad's shots: waves and enemy weapons
    // stop short of them, so that a crowded field never silences the troopers.
    static constexpr int PLAYER_RESERVE = 16;

    Stock() = default;
    // Frees the pool and the registries.
    ~Stock();
    Stock(const Stock &) = delete;
    Stock &operator=(const Stock &) = delete;

    // Sets the pool size to `num` and allocates the records, empties both registries,
    // loads the shared assets (fonts last), loads the power-up table, registers the 23
    // behaviours, fills `lead_projectiles` and `blood_decals`, and resets the pool.
    void Init(int num);
    // Deletes the pool's records, releasing their paths and forgetting the records in
    // use outside the pool as FreeEntity does (registries and assets stay).
    void Free();
    // The pool alone: any former records freed, `num` zeroed records allocated and all
    // put on the free list (Init does this first).
    void InitPool(int num);

    // Appends a behaviour; the registry owns it. Refused (false, with a developer
    // popup; the caller keeps it) when 32 are registered or `ai` is null.
    bool RegisterEntityAI(EntityAI *ai);
    // The first registered behaviour named exactly `name`; null for none or a null name.
    EntityAI *GetEntityAI(const char *name) const;
    // The registered type named exactly `name`, created from "entities.xml" on first
    // request and registered. Null for a null or "" name, at the 96-type limit
    // ("EntityType limit exceeded (%d ent types).\n"), for an unknown type ("Unknown
    // EntityType '%s'\n"; the next request tries again) and for a type requested while
    // it is being created ("EntityType '%s' refers to itself\n").
    EntityType *GetEntityType(const char *name);
    // Deletes every registered type and behaviour (program exit, tests).
    void ClearRegistries();
    // The stock the content loaders look types and behaviours up in: the stock whose
    // GetEntityType is creating a type at this moment (so a type made during Init, before
    // the world is published, finds its behaviour and the types it names), otherwise
    // the published world's stock; null without either.
    static Stock *GetLoadingStock();

    // Takes a record from the free list and stores `type` in it (next, prev and cell
    // cleared; nothing else touched: the caller gives the birth values). Null when
    // `type` is null or only the list's last record is left.
    Entity *GetFreeEntity(EntityType *type);
    // Returns a record to the pool: releases its path, appends it to the free list and
    // clears every `owner`, `target`, `burner` and `last_hit` of the pool naming it, the
    // game state's base when it is the record, and the controls' selection slots and
    // target markers naming it. A record still linked into a world cell is unlinked
    // first. A free record, null or a record of another pool: nothing.
    void FreeEntity(Entity *e);
    // Puts every record back on the free list in array order, releasing their paths
    // (and, for records in use, forgetting them outside the pool as FreeEntity does).
    void ResetEntities();
    // Number of records on the free list (walks it).
    int CountFreeEntities() const;
    // Whether GetFreeEntity could hand out n more records (walks at most n + 1 links).
    bool HasFreeEntities(int n) const;
    // Whether the enemy side may take a record: more than PLAYER_RESERVE are free.
    bool EnemiesMaySpawn() const { return HasFreeEntities(PLAYER_RESERVE + 1); }

    // Keeps the bitmaps of a type (cache true: mode 4, and its weapon's projectile type)
    // resident or lets them go (mode 0; a "KEEP_CACHED" type, any case, stays).
    void CacheEntityType(EntityType *type, bool cache);
    // The weapon's projectile type, as CacheEntityType; nothing for null.
    void CacheWeapon(Weapon *weapon, bool cache);
    // cache true: the level definition (popup "Unable to load level def '%s'\n" when
    // missing), the six fixed base and trooper types, then every "spawn_type" of the
    // level's "waves" in node order are looked up (so created) and cached. cache false:
    // every registered type released, in registry order.
    void CacheGameAssets(const char *level_file, bool cache);

    ov_font_t *font_medium = nullptr;
    ov_font_t *font_large = nullptr;
    ov_bitmap_t *bm_tactic_indicator = nullptr;
    ov_bitmap_t *bm_incoming_enemies = nullptr;
    ov_bitmap_t *bm_path_arrow = nullptr;
    ov_bitmap_t *bm_entity_selector = nullptr;
    ov_bitmap_t *bm_entity_target = nullptr;
    ov_bitmap_t *bm_pause_button = nullptr;
    ov_bitmap_t *bm_play_button = nullptr;
    ov_bitmap_t *bm_shop_icons[NUM_SHOP_ICONS] = {};
    fx_t *fx_target_removed = nullptr;
    fx_t *fx_target = nullptr;
    fx_t *fx_selector = nullptr;
    fx_t *fx_in_flames = nullptr;
    fx_t *fx_artillery_strike = nullptr;
    fx_t *fx_artillery_strike_light = nullptr;
    fx_t *fx_star_lost[3] = {};
    fx_t *fx_egg_glow_exploding = nullptr;
    fx_t *fx_hilight_rank = nullptr;
    ov_bitmap_t *bm_reload_magazine = nullptr;
    ov_bitmap_t *bm_range_indicator = nullptr;
    ov_bitmap_t *bm_reload_ammo = nullptr;
    ov_bitmap_t *bm_foot_glow_red = nullptr;
    ov_bitmap_t *bm_foot_glow = nullptr;
    ov_bitmap_t *bm_health_fore = nullptr;
    ov_bitmap_t *bm_health_back = nullptr;
    ov_bitmap_t *bm_bunker_health_fore = nullptr;
    ov_bitmap_t *bm_bunker_health_back = nullptr;
    ov_bitmap_t *bm_red_target = nullptr;
    ov_bitmap_t *bm_shell = nullptr;
    EntityType *lead_projectiles[NUM_LEAD_PROJECTILES] = {};  // each "ProjectileLead"
    ov_bitmap_t *blood_decals[MAX_BLOOD_DECALS] = {};
    int32_t num_blood_decals = 0;
    EntityAI *behaviours[MAX_BEHAVIOURS] = {};  // registration order; owned
    int32_t num_behaviours = 0;
    EntityType *types[MAX_TYPES] = {};  // creation order; owned
    int32_t num_types = 0;
    Entity *entities = nullptr;  // the pool, owned
    int32_t num_entities = 0;
    Entity *free_head = nullptr;
    Entity *free_tail = nullptr;

private:
    void LoadSharedAssets();
    void RegisterBehaviours();
    bool IsBeingCreated(const char *name) const;
    // CacheEntityType through `depth` weapon-to-projectile steps (a type whose weapon
    // fires that type again would recurse without end).
    void CacheEntityTypeChain(EntityType *type, bool cache, int depth);

    // Names of the types whose creation is under way (nested requests refused).
    const char *creating_[MAX_TYPES] = {};
    int num_creating_ = 0;
};

// The phase of the last battle message of the loader transition: 0 a new battle, 1 a
// saved battle being resumed, 2 leaving, 3 leaving after a won level, 4 leaving after the
// won game. The trooper behaviour keeps troopers re-created for a resumed battle silent;
// the game state sets it back to 0 during play.
extern int g_battle_enter_phase;

#endif
