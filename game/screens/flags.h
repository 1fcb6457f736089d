// Waving flags: a bitmap cut into a grid of cells whose corners are displaced and
// shaded by a few sine waves every time it is drawn, driven by a phase that advances
// each frame. `flagmaster` keeps the flags the UI scripts load, draw and release by
// integer id ("LoadFlag", "DrawFlag", "ReleaseFlag", "SetFlagWind"); the menus' banner
// is one more `FlagMesh` held by the loading screen (see loading.h).
//
// Threads: UI scripts run on the "App Loading" worker while screens preload, so the
// flag list is locked; loads, releases and wind changes may come from any thread,
// drawing and updating come from the main thread's frames.
#ifndef GAME_SCREENS_FLAGS_H
#define GAME_SCREENS_FLAGS_H

#include "narray.h"
#include "orvex.h"

#include <stdint.h>

#include <mutex>

struct lua_State;

// One flag: the bitmap and its rest mesh, row by row, with the wave parameters.
struct FlagMesh {
    ov_bitmap_t *bitmap = nullptr;
    ov_vertex_t *vertices = nullptr;   // grid_w x grid_h, never changed by drawing
    int32_t grid_w = 0;                // vertices per row (resolution + 1)
    int32_t grid_h = 0;                // vertices per column
    float phase = 0.0f;                // kept in 0..2
    float speed = 0.25f;               // phase advance per second
    float wave_x = 20.0f;
    float wave_y = 0.0f;
    float ripple_x = 8.0f;
    float ripple_y = 5.0f;
    bool released = false;             // not drawn
};

// Resolutions LoadFlag accepts (quads per side).
enum { FLAG_MIN_RESOLUTION = 1, FLAG_MAX_RESOLUTION = 256 };

// The bitmap loaded with one reference of the caller's own (OV_LoadBitmap with the cache
// mode); null, with nothing held, when the engine could not read it (no size).
ov_bitmap_t *LoadFlagBitmap(const char *name, int cache_mode);
// Gives the record its defaults and the rest mesh of a (resolution + 1)^2 vertex grid
// over the bitmap (which it takes over; null leaves a zero-sized mesh that draws
// nothing). Frees what the record held before. False for a resolution outside
// FLAG_MIN_RESOLUTION..FLAG_MAX_RESOLUTION (the record is then empty and released).
bool BuildFlagMesh(FlagMesh *flag, ov_bitmap_t *bitmap, int resolution);
// Releases the bitmap and frees the vertices; the record is left empty and released.
void FreeFlagMesh(FlagMesh *flag);
// Adds to the phase and takes 2.0 off once when it exceeds 2.0.
void AdvanceFlagPhase(FlagMesh *flag, float amount);
// The copy of one rest vertex displaced, shaded and placed for drawing at (x, y) with
// the scale and alpha; `depth` is the engine's default depth.
ov_vertex_t WaveFlagVertex(const FlagMesh &flag, const ov_vertex_t &rest, float x, float y, float scale, float alpha,
                           float depth);
// Rows of cells that DrawFlagMesh draws as one quad per column, for a mesh of that many
// columns: columns x columns / 144, at least 1, at most all of them (4 for the menus'
// 24 x 24 banner, 1 for 16 columns or fewer). A column of the waved mesh is a straight
// strip: its edges' corners, shading and texture coordinates change linearly from top
// to bottom (the shading but for its 8-bit rounding), so a taller quad covers the same
// strip. Its two triangles spread the texture a little differently from the cells'
// (by the twist between the column's two edges, which grows with the band's height and
// with the wave's change from one column to the next); with the default ripple this
// height keeps that within about half a texel.
int FlagBandRows(int columns);
// Draws the mesh column by column in bands of FlagBandRows rows, one textured quad
// (OV_DrawBitmap4V) per column and band, band by band from the top; nothing for a
// released flag or one without bitmap. Leaves alpha 1, colour white and blend mode 0 set.
void DrawFlagMesh(const FlagMesh &flag, float x, float y, float scale, float alpha);

// A loaded flag and its id.
struct FlagEntry {
    FlagMesh *flag = nullptr;
    int32_t id = 0;
};

class Flagmaster {
public:
    // Once (later calls do nothing): next id 0 and the four script functions registered.
    void Init();
    // Every flag's phase grows by dt x its speed.
    void Update(float dt);
    // The bitmap loaded resident and a new flag over it: its id, or -1 (popups for a
    // missing bitmap and for a resolution outside 1..256).
    int LoadFlag(const char *bitmap_name, int resolution);
    // False for id -1; true otherwise, also when no flag has the id.
    bool DrawFlag(int id, float x, float y, float scale, float alpha);
    // 0 for id -1; 1 otherwise, also when no flag has the id.
    int ReleaseFlag(int id);
    // These five values on every loaded flag.
    void SetWindScale(float wave_x, float wave_y, float ripple_x, float ripple_y, float speed);
    // Releases every flag (at exit); ids keep counting.
    void ReleaseAll();
    // Number of loaded flags; a copy of the flag with that id (false when none).
    int Count();
    bool GetFlag(int id, FlagMesh *out);

    int32_t next_id = 0;
    nArray<FlagEntry *> entries;
    bool initialised = false;

private:
    std::mutex lock_;
};

extern Flagmaster flagmaster;

// The script functions.
int luaf_LoadFlag(lua_State *L);
int luaf_DrawFlag(lua_State *L);
int luaf_ReleaseFlag(lua_State *L);
int luaf_SetFlagWind(lua_State *L);

#endif
