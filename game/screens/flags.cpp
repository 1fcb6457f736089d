// Waving flags (see flags.h).
#include "game/screens/flags.h"

#include "app/services/luaman.h"
#include "app/services/small-maths.h"
#include "ovrecords.h"

#include <lua.hpp>

#include <math.h>
#include <stdlib.h>
#include <string.h>

#include <vector>

Flagmaster flagmaster;

namespace {


const char *BitmapName(const FlagMesh *flag)
{
    return flag->bitmap && flag->bitmap->name ? flag->bitmap->name : "";
}

// A script id: truncated toward zero; not a number, not finite or outside the int
// range reads as -1 (no flag).
int LuaToFlagId(lua_State *L, int index)
{
    if (!lua_isnumber(L, index))
        return -1;
    double v = lua_tonumber(L, index);
    if (!isfinite(v) || v < -2147483648.0 || v >= 2147483648.0)
        return -1;
    return (int)v;
}

}  // namespace

ov_bitmap_t *LoadFlagBitmap(const char *name, int cache_mode)
{
    ov_bitmap_t *bitmap = ov->OV_LoadBitmap(name, cache_mode);
    // The engine hands out a record for a file it could not read: no pixels, no size.
    if (bitmap && (bitmap->width <= 0 || bitmap->height <= 0)) {
        ov->OV_ReleaseBitmap(bitmap);
        bitmap = nullptr;
    }
    return bitmap;
}

bool BuildFlagMesh(FlagMesh *flag, ov_bitmap_t *bitmap, int resolution)
{
    FreeFlagMesh(flag);
    if (resolution < FLAG_MIN_RESOLUTION || resolution > FLAG_MAX_RESOLUTION) {
        if (bitmap)
            ov->OV_ReleaseBitmap(bitmap);
        return false;
    }
    *flag = FlagMesh();
    flag->bitmap = bitmap;
    const int n = resolution;
    flag->grid_w = n + 1;
    flag->grid_h = n + 1;
    flag->vertices = (ov_vertex_t *)calloc((size_t)flag->grid_w * (size_t)flag->grid_h, sizeof(ov_vertex_t));
    const float w = bitmap ? (float)bitmap->width : 0.0f;
    const float h = bitmap ? (float)bitmap->height : 0.0f;
    // The render state is the main thread's: a flag a UI script loads on the loading
    // worker keeps depth 0 in its rest mesh (drawing gives every copy the depth anyway).
    const float depth = ov->OV_IsMainThread() ? ov->OV_GetDepthDefault() : 0.0f;
    for (int r = 0; r <= n; r++) {
        for (int c = 0; c <= n; c++) {
            ov_vertex_t &v = flag->vertices[r * flag->grid_w + c];
            v.x = (float)c / (float)n * w;
            v.y = (float)r / (float)n * h;
            v.z = depth;
            v.color[0] = v.color[1] = v.color[2] = v.color[3] = 255;
            v.u = (float)c / (float)n;
            v.v = (float)r / (float)n;
        }
    }
    return true;
}

void FreeFlagMesh(FlagMesh *flag)
{
    if (flag->bitmap)
        ov->OV_ReleaseBitmap(flag->bitmap);
    free(flag->vertices);
    flag->bitmap = nullptr;
    flag->vertices = nullptr;
    flag->grid_w = flag->grid_h = 0;
    flag->released = true;
}

void AdvanceFlagPhase(FlagMesh *flag, float amount)
{
    flag->phase += amount;
    if (flag->phase > 2.0f)
        flag->phase -= 2.0f;
}

ov_vertex_t WaveFlagVertex(const FlagMesh &flag, const ov_vertex_t &rest, float x, float y, float scale, float alpha,
                           float depth)
{
    ov_vertex_t out = rest;
    const float p = flag.phase;
    const float a = rest.v * cosf(30.0f * rest.u + 2.0f * kPi * p);
    const float b = rest.v * sinf(20.0f * rest.u + 2.0f * kPi * p);
    const float xr = rest.x + a * flag.ripple_x;
    const float yr = rest.y + b * flag.ripple_y;
    const float g1 = Clamp01(0.5f * a + 1.0f);
    const float g2 = Clamp01(0.5f * b + 1.0f);
    const int grey = (int)((0.3f * g2 + 0.4f + 0.3f * g1) * 255.0f);
    const uint8_t shade = (uint8_t)(grey < 0 ? 0 : (grey > 255 ? 255 : grey));
    out.color[0] = out.color[1] = out.color[2] = shade;
    const float wave = 0.5f * rest.v * (sinf(kPi * p + 5.0f) + 1.0f);
    out.x = x + scale * (xr + wave * flag.wave_x + flag.wave_x * rest.v);
    out.y = y + scale * (yr + wave * flag.wave_y);
    out.z = depth;
    out.color[3] = (uint8_t)((float)rest.color[3] * Clamp01(alpha));
    return out;
}

int FlagBandRows(int columns)
{
    const int rows = columns * columns / 144;
    return rows < 1 ? 1 : (rows > columns ? columns : rows);
}

void DrawFlagMesh(const FlagMesh &flag, float x, float y, float scale, float alpha)
{
    if (flag.released || !flag.bitmap || !flag.vertices)
        return;
    ov->OV_SetAlpha(1.0f);
    ov->OV_SetColor(1.0f, 1.0f, 1.0f);
    ov->OV_SetBlend(0);
    const float depth = ov->OV_GetDepthDefault();
    // Each grid vertex on a band's edge is waved once (a vertex is shared by four
    // quads): two rows are kept, the upper and the lower edge of the band being drawn.
    // Drawing runs on the main thread only.
    static std::vector<ov_vertex_t> rows;
    const int w = flag.grid_w;
    const int band = FlagBandRows(w - 1);
    rows.resize(2 * (size_t)w);
    ov_vertex_t *upper = rows.data(), *lower = upper + w;
    for (int c = 0; c < w; c++)
        upper[c] = WaveFlagVertex(flag, flag.vertices[c], x, y, scale, alpha, depth);
    for (int r = 0; r + 1 < flag.grid_h; r += band) {
        const int below = r + band < flag.grid_h - 1 ? r + band : flag.grid_h - 1;
        const ov_vertex_t *next = flag.vertices + below * w;
        for (int c = 0; c < w; c++)
            lower[c] = WaveFlagVertex(flag, next[c], x, y, scale, alpha, depth);
        for (int c = 0; c + 1 < w; c++) {
            ov_vertex_t quad[4] = {upper[c], upper[c + 1], lower[c], lower[c + 1]};
            ov->OV_DrawBitmap4V(flag.bitmap, quad);
        }
        ov_vertex_t *t = upper;
        upper = lower;
        lower = t;
    }
}

// ---- Flagmaster

void Flagmaster::Init()
{
    std::lock_guard<std::mutex> hold(lock_);
    if (initialised)
        return;
    initialised = true;
    next_id = 0;
    entries.SetShrink(true);
    lua_man.AddLuaFunction("DrawFlag", luaf_DrawFlag);
    lua_man.AddLuaFunction("LoadFlag", luaf_LoadFlag);
    lua_man.AddLuaFunction("ReleaseFlag", luaf_ReleaseFlag);
    lua_man.AddLuaFunction("SetFlagWind", luaf_SetFlagWind);
}

void Flagmaster::Update(float dt)
{
    std::lock_guard<std::mutex> hold(lock_);
    for (int i = 0; i < entries.Count(); i++)
        AdvanceFlagPhase(entries[i]->flag, dt * entries[i]->flag->speed);
}

int Flagmaster::LoadFlag(const char *bitmap_name, int resolution)
{
    const char *name = bitmap_name ? bitmap_name : "";
    if (resolution < FLAG_MIN_RESOLUTION || resolution > FLAG_MAX_RESOLUTION) {
        ov->OV_Popupf(0, "Bad flag resolution %d for '%s'", resolution, name);
        return -1;
    }
    ov_bitmap_t *bitmap = LoadFlagBitmap(name, 4);
    if (!bitmap) {
        ov->OV_Popupf(0, "Cant' load flag bitmap: %s", name);
        return -1;
    }
    ov->OV_Printf("loaded flag %s\n", name);
    FlagEntry *entry = new FlagEntry;
    entry->flag = new FlagMesh;
    BuildFlagMesh(entry->flag, bitmap, resolution);
    std::lock_guard<std::mutex> hold(lock_);
    entry->id = next_id++;
    entries.InsertLast(entry);
    return entry->id;
}

bool Flagmaster::DrawFlag(int id, float x, float y, float scale, float alpha)
{
    if (id == -1)
        return false;
    std::lock_guard<std::mutex> hold(lock_);
    for (int i = 0; i < entries.Count(); i++)
        if (entries[i]->id == id) {
            DrawFlagMesh(*entries[i]->flag, x, y, scale, alpha);
            break;
        }
    return true;
}

int Flagmaster::ReleaseFlag(int id)
{
    if (id == -1)
        return 0;
    FlagEntry *found = nullptr;
    {
        std::lock_guard<std::mutex> hold(lock_);
        for (int i = entries.Count() - 1; i >= 0; i--)
            if (entries[i]->id == id) {
                found = entries[i];
                entries.Remove(i);
                break;
            }
    }
    if (found) {
        ov->OV_Printf("releasing flag %s\n", BitmapName(found->flag));
        FreeFlagMesh(found->flag);
        delete found->flag;
        delete found;
    }
    return 1;
}

void Flagmaster::SetWindScale(float wave_x, float wave_y, float ripple_x, float ripple_y, float speed)
{
    std::lock_guard<std::mutex> hold(lock_);
    for (int i = 0; i < entries.Count(); i++) {
        FlagMesh *f = entries[i]->flag;
        f->wave_x = wave_x;
        f->wave_y = wave_y;
        f->ripple_x = ripple_x;
        f->ripple_y = ripple_y;
        f->speed = speed;
    }
}

void Flagmaster::ReleaseAll()
{
    nArray<FlagEntry *> gone;
    {
        std::lock_guard<std::mutex> hold(lock_);
        gone = entries;
        entries.Clear();
    }
    for (int i = 0; i < gone.Count(); i++) {
        FreeFlagMesh(gone[i]->flag);
        delete gone[i]->flag;
        delete gone[i];
    }
}

int Flagmaster::Count()
{
    std::lock_guard<std::mutex> hold(lock_);
    return entries.Count();
}

bool Flagmaster::GetFlag(int id, FlagMesh *out)
{
    std::lock_guard<std::mutex> hold(lock_);
    for (int i = 0; i < entries.Count(); i++)
        if (entries[i]->id == id) {
            *out = *entries[i]->flag;
            return true;
        }
    return false;
}

// ---- script functions (arguments read without raising)

int luaf_LoadFlag(lua_State *L)
{
    const char *name = lua_tostring(L, 1);
    int resolution = LuaToInt(L, 2);
    lua_pushinteger(L, flagmaster.LoadFlag(name ? name : "", resolution));
    return 1;
}

int luaf_DrawFlag(lua_State *L)
{
    int id = LuaToFlagId(L, 1);
    bool drawn = flagmaster.DrawFlag(id, LuaToFloat(L, 2), LuaToFloat(L, 3), LuaToFloat(L, 4), LuaToFloat(L, 5));
    lua_pushboolean(L, drawn ? 1 : 0);
    return 1;
}

int luaf_ReleaseFlag(lua_State *L)
{
    lua_pushinteger(L, flagmaster.ReleaseFlag(LuaToFlagId(L, 1)));
    return 1;
}

int luaf_SetFlagWind(lua_State *L)
{
    flagmaster.SetWindScale(LuaToFloat(L, 1), LuaToFloat(L, 2), LuaToFloat(L, 3), LuaToFloat(L, 4), LuaToFloat(L, 5));
    return 0;
}
