// The effect-file functions, registered only in the effect library's own Lua state:
// "FXParm" (and its two other names) sets a parameter of the burst being filled,
// "AddFX" (and its two other names) starts the next burst of the chain. Both do
// nothing outside an effect file run. Angles are given in degrees, kept in radians.
#include "app/ui/partfx.h"

#include "app/services/luaman.h"

#include "ovrecords.h"

#include <limits.h>
#include <stdlib.h>
#include <string.h>
#include <strings.h>

namespace {

const float kDegrees = 0.017453292f;

struct Args {
    const char *key;
    const char *text;  // the first value as text (null when not a string or number)
    float a, b;        // the first two values as numbers (0 when missing)
    double number;     // the first value at full precision (counts)
};

void SetRange(fx_range_t *r, const Args &v)
{
    r->min = v.a;
    r->max = v.b;
}

void AddGraphPoint(part_graph_t *g, const Args &v)
{
    if (g->count < 0)
        g->count = 0;
    if (g->count >= PART_GRAPH_MAX_POINTS)
        return;
    g->points[g->count++] = {v.a, v.b};
}

void ReplaceText(char **field, const char *text)
{
    free(*field);
    *field = text ? strdup(text) : nullptr;
}

int ClampedCount(double value)
{
    if (!(value > 0))
        return 0;
    return value >= INT_MAX ? INT_MAX : (int)value;
}

// Edge points of a bitmap loaded with its pixels, as start offsets of the burst.
void SetEdgeBitmap(fx_t *fx, const char *name, bool centred)
{
    fx->edge_bitmap = name ? ov->OV_LoadBitmap(name, 6) : nullptr;
    free(fx->shape_points);
    fx->shape_points = nullptr;
    fx->num_shape_points = 0;
    int n = GetNumberOfEdgePoints(fx->edge_bitmap);
    if (n <= 0)
        return;
    fx->shape_points = (part_point_t *)malloc(sizeof(part_point_t) * n);
    if (!fx->shape_points)
        return;
    fx->num_shape_points = centred ? GetEdgePointsCentered(fx->edge_bitmap, fx->shape_points)
                                   : GetEdgePoints(fx->edge_bitmap, fx->shape_points);
}

bool Is(const char *key, const char *name)
{
    return strcmp(key, name) == 0;
}

// Sets one parameter; false for an unknown key.
bool SetParm(fx_t *fx, PartBurstMan *man, const Args &v)
{
    const char *k = v.key;
    if (Is(k, "alpha")) SetRange(&fx->alpha, v);
    else if (Is(k, "alpha_graph")) AddGraphPoint(&fx->alpha_graph, v);
    else if (Is(k, "color_r")) { fx->color_min[0] = v.a; fx->color_max[0] = v.b; }
    else if (Is(k, "color_g")) { fx->color_min[1] = v.a; fx->color_max[1] = v.b; }
    else if (Is(k, "color_b")) { fx->color_min[2] = v.a; fx->color_max[2] = v.b; }
    else if (Is(k, "scale")) SetRange(&fx->scale, v);
    else if (Is(k, "scale_graph")) AddGraphPoint(&fx->scale_graph, v);
    else if (Is(k, "area_box")) { fx->area_w = v.a; fx->area_h = v.b; }
    else if (Is(k, "area_bitmap")) {
        fx->inner_bitmap = v.text ? ov->OV_LoadBitmap(v.text, 6) : nullptr;
        fx->num_inner_points = GetNumberOfInnerPoints(fx->inner_bitmap);
    }
    else if (Is(k, "area_bitmap_edges")) SetEdgeBitmap(fx, v.text, false);
    else if (Is(k, "area_bitmap_edges_angle")) SetEdgeBitmap(fx, v.text, true);
    else if (Is(k, "area_angle")) fx->area_angle = v.a * kDegrees;
    else if (Is(k, "area_angle_spread")) fx->area_angle_spread = v.a * kDegrees;
    else if (Is(k, "area_radius")) SetRange(&fx->area_radius, v);
    else if (Is(k, "dampening_factor")) SetRange(&fx->dampening, v);
    else if (Is(k, "death_func")) fx->death_func = man->GetPartDeathFunc(v.text);
    else if (Is(k, "move_angle")) fx->move_angle = v.a * kDegrees;
    else if (Is(k, "move_angle_spread")) fx->move_spread = v.a * kDegrees;
    else if (Is(k, "init_move") || Is(k, "initial_move")) SetRange(&fx->init_move, v);
    else if (Is(k, "angle") || Is(k, "rotation_angle")) fx->rot_angle = v.a * kDegrees;
    else if (Is(k, "angle_spread") || Is(k, "rot_angle_spread")) fx->rot_spread = v.a * kDegrees;
    else if (Is(k, "angle_rps") || Is(k, "rot_angle_rps")) {
        fx->rot_over_life.min = v.a * kDegrees;
        fx->rot_over_life.max = v.b * kDegrees;
    }
    else if (Is(k, "pos_offset")) { fx->pos_offset_x = v.a; fx->pos_offset_y = v.b; }
    else if (Is(k, "age")) SetRange(&fx->age, v);
    else if (Is(k, "mass")) SetRange(&fx->mass, v);
    else if (Is(k, "bitmap")) {
        if (fx->num_bitmaps < FX_MAX_BITMAPS)
            fx->bitmaps[fx->num_bitmaps++] = v.text ? ov->OV_LoadBitmap(v.text, man->GetCacheMode()) : nullptr;
    }
    else if (Is(k, "font")) fx->font = v.text ? ov->OV_GetFont(v.text) : nullptr;
    else if (Is(k, "emitter_type")) fx->emit_by_time = !(v.text && strcasecmp(v.text, "DISTANCE") == 0);
    else if (Is(k, "emitter_fx")) ReplaceText(&fx->emitter_name, v.text);
    else if (Is(k, "emitter_interval")) fx->emit_interval = v.a;
    else if (Is(k, "text")) ReplaceText(&fx->text, v.text);
    else if (Is(k, "sound")) {
        if (fx->num_sounds < FX_MAX_SOUNDS)
            fx->sounds[fx->num_sounds++] = v.text ? ov->OV_LoadSound(v.text) : nullptr;
    }
    else if (Is(k, "sound_volume")) SetRange(&fx->sound_volume, v);
    else if (Is(k, "sound_freq")) SetRange(&fx->sound_freq, v);
    else if (Is(k, "age_to_die")) SetRange(&fx->lifetime, v);
    else if (Is(k, "speed") || Is(k, "move_speed")) SetRange(&fx->speed, v);
    else if (Is(k, "blend_mode")) fx->blend_mode = (v.text && strcasecmp(v.text, "ADDITIVE") == 0) ? 1 : 0;
    else if (Is(k, "num_parts")) fx->num_parts = ClampedCount(v.number);
    else return false;
    return true;
}

int luaf_FXParm(lua_State *L)
{
    fx_t *fx = ed_part_burst;
    if (!fx || !ed_part_burs_man)
        return 0;
    Args v;
    v.key = lua_tostring(L, 1);
    // Numbers first: reading a number as text converts it on the stack.
    v.number = lua_tonumber(L, 2);
    v.a = (float)v.number;
    v.b = LuaToFloat(L, 3);
    v.text = lua_tostring(L, 2);
    if (!v.key) {
        ov->OV_Printf("WARNING: unknown burst parm '%s'\n", "(null)");
        return 0;
    }
    if (!SetParm(fx, ed_part_burs_man, v))
        ov->OV_Printf("WARNING: unknown burst parm '%s'\n", v.key);
    return 0;
}

int luaf_AddFX(lua_State *)
{
    if (!ed_part_burst || !ed_part_burs_man)
        return 0;
    ed_part_burst = ed_part_burs_man->NextChainedBurst(ed_part_burst);
    return 0;
}

}  // namespace

void RegisterEffectFileFunctions(lua_State *L)
{
    static const luaL_Reg kFunctions[] = {
        {"PartBurstParm", luaf_FXParm},
        {"PartFXParm", luaf_FXParm},
        {"FXParm", luaf_FXParm},
        {"PartFXAddNew", luaf_AddFX},
        {"FXAddNew", luaf_AddFX},
        {"AddFX", luaf_AddFX},
        {NULL, NULL},
    };
    for (const luaL_Reg *r = kFunctions; r->name; r++) {
        lua_pushcfunction(L, r->func);
        lua_setglobal(L, r->name);
    }
}
