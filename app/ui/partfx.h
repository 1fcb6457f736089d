// The particle effect library: effects are small Lua files, one per effect, each a
// sequence of calls ("FXParm", "AddFX") that fill one or more bursts. `pbman` runs each
// file once in a Lua state of its own, keeps the result as a chain of `fx_t` records in
// consecutive slots of a table of 256, and spawns an effect into any particle system:
// each burst plays one random sound and emits its particles with every parameter drawn
// between two limits (through the application's random helper, app/services/random.h).
//
// Loading runs entirely under the engine mutex "PART_FX_LOAD" (a nested load on the
// same thread reuses the held lock): the slot search, the file run, the defaults, the
// references-taken flag and the emitter resolution. Other threads see an effect only
// when it is complete, so a file is never loaded twice. GetFX may run on the loading
// thread while the main thread spawns; spawning and reloading are main-thread work.
// Slots are never freed: the table only fills.
#ifndef APP_UI_PARTFX_H
#define APP_UI_PARTFX_H

#include "app/ui/parts.h"

#include <lua.hpp>

enum {
    FX_MAX_SLOTS = 256,
    FX_MAX_BITMAPS = 16,
    FX_MAX_SOUNDS = 16,
    FX_MAX_DEATH_FUNCS = 32,
};

// A range: each use draws a fresh value between min and max.
struct fx_range_t {
    float min, max;
};

// One burst of an effect. Owned: the file name, the edge points, the text, the
// emitter name while loading. Borrowed: bitmaps, font, sounds (the engine's pools).
struct fx_t {
    char *name;                     // the file name; "&" for chained bursts
    uint8_t references_taken;
    int num_shape_points;
    ov_bitmap_t *inner_bitmap;      // "area_bitmap"
    ov_bitmap_t *edge_bitmap;       // "area_bitmap_edges[_angle]"
    part_point_t *shape_points;     // the edge points
    int num_inner_points;           // opaque pixels of the inner-point bitmap
    ov_font_t *font;
    char *text;
    part_graph_t alpha_graph;
    fx_range_t alpha;
    float color_min[3], color_max[3];
    uint8_t emit_by_time;
    fx_t *emitter_fx;
    char *emitter_name;             // while loading
    float emit_interval;
    part_graph_t scale_graph;
    fx_range_t scale;
    int16_t blend_mode;
    float area_w, area_h;
    float area_angle, area_angle_spread;  // radians
    fx_range_t area_radius;
    fx_range_t dampening;
    float rot_angle, rot_spread;    // radians
    fx_range_t rot_over_life;       // radians
    float move_angle, move_spread;  // radians
    fx_range_t speed;
    fx_range_t init_move;
    int num_parts;
    float pos_offset_x, pos_offset_y;
    fx_range_t mass;
    fx_range_t age;
    fx_range_t lifetime;
    part_func_t death_func;
    ov_bitmap_t *bitmaps[FX_MAX_BITMAPS];
    int num_bitmaps;
    ov_sound_t *sounds[FX_MAX_SOUNDS];
    int num_sounds;
    fx_range_t sound_volume;
    fx_range_t sound_freq;
    uint8_t chained;                // the next slot is the next burst of this effect
};

class PartBurstMan {
public:
    // An empty table; the Lua state is opened by the first Init.
    PartBurstMan() = default;
    ~PartBurstMan();
    PartBurstMan(const PartBurstMan &) = delete;
    PartBurstMan &operator=(const PartBurstMan &) = delete;

    // Opens the library's own Lua state on the first call (the libraries and the
    // built-in functions, not the registered ones; not in the Lua manager's list),
    // registers the effect-file functions in it, hands the built-ins "CacheFX",
    // "SpawnFX" and "ReloadFxs" their calls and empties the death-function table.
    // Main thread.
    void Init();
    // Closes the Lua state and frees every slot (end of the run, or a fresh start in tests).
    void Shutdown();

    // Registers a death function by name (at most 32; past that a log line and nothing).
    void AddPartDeathFunc(const char *name, part_func_t func);
    // The first registered function of exactly that name; null when none or name is null.
    part_func_t GetPartDeathFunc(const char *name);

    // The effect of that file, loaded when needed with the cache mode for its bitmaps;
    // with addReferences and a cacheMode other than 0 an effect already loaded takes its
    // asset references. A name starting with '!' gives an empty effect. Null when the
    // table is full (a log line), for a null name, and for a new file requested while an
    // effect file runs on this thread.
    fx_t *LoadFX(const char *name, bool addReferences, int cacheMode);
    // LoadFX(name, false, 4), then the asset references once per effect.
    fx_t *GetFX(const char *name);
    // One more (or one less) reference of every bitmap of every burst of the chain.
    void IncreaseAssetReferenceCounts(fx_t *fx);
    void DecreaseAssetReferenceCounts(fx_t *fx);

    // Emits each burst of the chain into the system at position: angle in radians,
    // delay in seconds (the particles start that much later). Nothing for null.
    void SpawnFX(PartMan *system, fx_t *fx, vec2_t position, float angle, float delay);
    // Emits the effect every `step` units along from..to, the delays spread from
    // startDelay over delaySpan. Nothing for a null system or effect, from = to, or a
    // step of 0 or less; a segment shorter than one step spawns once at from.
    void SpawnFXTrail(PartMan *system, fx_t *fx, vec2_t from, vec2_t to, float delaySpan, float step,
                      float startDelay);
    // Empties the table and loads every former effect again from its file, in slot order.
    void ReloadAllFXs();

    // Slots in use, and a slot by index (null outside the used ones).
    int GetNumberOfSlots();
    fx_t *GetSlot(int index);
    // The library's Lua state (null before Init).
    lua_State *GetLuaState() { return lua_; }

    // Used by the effect-file functions (partfx-script.cpp) while a file runs, under the
    // lock: the burst being filled, and the next burst of its chain (null when full).
    fx_t *NextChainedBurst(fx_t *current);
    int GetCacheMode() const { return cache_mode_; }

private:
    fx_t *LoadLocked(const char *name, bool addReferences, int cacheMode);
    void FinishChain(fx_t *first);
    static void FreeSlot(fx_t *fx);

    struct DeathFunc {
        char *name;
        part_func_t func;
    };
    DeathFunc death_funcs_[FX_MAX_DEATH_FUNCS] = {};
    int num_death_funcs_ = 0;
    lua_State *lua_ = nullptr;
    fx_t slots_[FX_MAX_SLOTS] = {};
    int num_slots_ = 0;
    int cache_mode_ = 4;
};

// The one effect library.
extern PartBurstMan pbman;

// The burst being filled and the library running its file; null outside a file run.
extern fx_t *ed_part_burst;
extern PartBurstMan *ed_part_burs_man;

// Registers the effect-file functions in a Lua state (partfx-script.cpp).
void RegisterEffectFileFunctions(lua_State *L);

#endif
