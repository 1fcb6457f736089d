// The ruler (see ui-ruler.h).
#include "app/ui/widgets/ui-ruler.h"

#include "app/services/luaman.h"

#include "app/ui/screen-manager.h"
#include "app/ui/widgets/ui-widget-frame.h"
#include "ovrecords.h"

#include <lua.hpp>
#include <math.h>
#include <string.h>

using namespace uiwidget;

namespace {

const float kHalfPi = 1.57079632679489661923f;

// Draws the bitmap with its two horizontal texture coordinates swapped for this call.
void DrawMirrored(ov_bitmap_t *b, float x, float y, float rotation, float s)
{
    const float u0 = b->hw.u0, u1 = b->hw.u1;
    b->hw.u0 = u1;
    b->hw.u1 = u0;
    ov->OV_DrawBitmapRS(b, x, y, rotation, s);
    b->hw.u0 = u0;
    b->hw.u1 = u1;
}

// Whole part of a size, clamped so that a wild script value stays defined.
float Whole(float v)
{
    if (!(v == v))
        return 0.0f;
    if (v > 1e9f)
        return 1e9f;
    if (v < -1e9f)
        return -1e9f;
    return (float)(int)v;
}

}  // namespace

void UICompRuler::Update(float) {}

void UICompRuler::SetEndpointBitmap(const char *bitmap_name)
{
    ReplaceBitmapApplyingReferenceCounting(&endpoint_bitmap, bitmap_name);
    UpdateDimensions();
}

void UICompRuler::SetRepeatBitmap(const char *bitmap_name)
{
    ReplaceBitmapApplyingReferenceCounting(&repeat_bitmap, bitmap_name);
    UpdateDimensions();
}

void UICompRuler::ApplyCacheMode(int mode)
{
    ApplyBitmapsCacheMode(this, mode, {endpoint_bitmap, repeat_bitmap}, false);
}

void UICompRuler::Draw()
{
    const float a = BeginDraw(this);
    if (a <= 0.0f)
        return;
    const vec2_t s = GetStaticPos();
    const float angle_now = GetStaticAngle();
    const bool rotated = fabsf(angle_now) >= 1e-6f;
    if (rotated)
        PushRotationAbout(s, angle_now);

    float x0 = s.x, y0 = s.y, x1 = s.x + width, y1 = s.y + height;
    if (align & UIALIGN_HCENTER) {
        x0 -= width / 2.0f;
        x1 -= width / 2.0f;
    }
    if (align & UIALIGN_VCENTER) {
        y0 -= height / 2.0f;
        y1 -= height / 2.0f;
    }
    if (align & UIALIGN_RIGHT) {
        x0 -= width;
        x1 -= width;
    }
    if (align & UIALIGN_BOTTOM) {
        y0 -= height;
        y1 -= height;
    }
    if (endpoint_bitmap && repeat_bitmap && repeat_bitmap->width > 0) {
        const float ds = dynamic_scale;
        const float e = (float)(endpoint_bitmap->width / 2) * ds;
        const float tile = (float)repeat_bitmap->width * ds;
        const float half_tile = (float)(repeat_bitmap->width / 2) * ds;
        const bool horizontal = client_width > client_height;
        const float across = horizontal ? y0 + height / 2.0f : x0 + width / 2.0f;
        const float start = horizontal ? x0 + e : y0 + e;
        const float end = horizontal ? x1 - e : y1 - e;
        const float rotation = horizontal ? 0.0f : kHalfPi;
        const int n = tile > 0.0f ? (int)(fabsf(end - start) / tile) : 0;
        for (int i = 0; i < n; i++) {
            const float along = start + half_tile + (float)i * tile;
            if (horizontal)
                ov->OV_DrawBitmapRS(repeat_bitmap, along, across, rotation, ds);
            else
                ov->OV_DrawBitmapRS(repeat_bitmap, across, along, rotation, ds);
        }
        const float first = start - ds * endpoint_offset;
        const float second = end + ds * endpoint_offset;
        if (horizontal) {
            ov->OV_DrawBitmapRS(endpoint_bitmap, first, across, rotation, ds);
            DrawMirrored(endpoint_bitmap, second, across, rotation, ds);
        } else {
            ov->OV_DrawBitmapRS(endpoint_bitmap, across, first, rotation, ds);
            DrawMirrored(endpoint_bitmap, across, second, rotation, ds);
        }
    }
    if (rotated)
        ov->OV_PopTransform();
}

void UICompRuler::EditUpdate(float)
{
    const vec2_t s = GetStaticPos();
    const float ds = dynamic_scale != 0.0f ? dynamic_scale : 1.0f;
    client_width = fabsf(mpos.x - s.x) / ds;
    client_height = fabsf(mpos.y - s.y) / ds;
    UpdateDimensions();
}

void UICompRuler::ExportOwn(FILE *f, const UICompRuler &t)
{
    if (endpoint_bitmap && endpoint_bitmap != t.endpoint_bitmap)
        WriteLuaPropertyText(f, "ruler.endpoint_bitmap", BitmapName(endpoint_bitmap));
    if (repeat_bitmap && repeat_bitmap != t.repeat_bitmap)
        WriteLuaPropertyText(f, "ruler.repeat_bitmap", BitmapName(repeat_bitmap));
    if (client_width != t.client_width)
        fprintf(f, "SetProperty (\"ruler.client_width\", %f);\n", client_width);
    if (client_height != t.client_height)
        fprintf(f, "SetProperty (\"ruler.client_height\", %f);\n", client_height);
    if (endpoint_offset != t.endpoint_offset)
        fprintf(f, "SetProperty (\"ruler.endpoint_offset\", %f);\n", endpoint_offset);
}

int UICompRuler::GetOwnProperty(const char *prop, lua_State *L)
{
    if (strcmp(prop, "ruler.endpoint_bitmap") == 0)
        lua_pushstring(L, BitmapName(endpoint_bitmap));
    else if (strcmp(prop, "ruler.repeat_bitmap") == 0)
        lua_pushstring(L, BitmapName(repeat_bitmap));
    else if (strcmp(prop, "ruler.client_width") == 0)
        lua_pushinteger(L, (lua_Integer)client_width);
    else if (strcmp(prop, "ruler.client_height") == 0)
        lua_pushinteger(L, (lua_Integer)client_height);
    else if (strcmp(prop, "ruler.endpoint_offset") == 0)
        lua_pushinteger(L, (lua_Integer)endpoint_offset);
    else {
        ov->OV_Popupf(1, "UICompRuler::GetProperty: Unknown Property '%s'\n", prop);
        return 0;
    }
    return 1;
}

int UICompRuler::SetOwnProperty(const char *prop, lua_State *L)
{
    if (strcmp(prop, "ruler.endpoint_bitmap") == 0) {
        SetEndpointBitmap(lua_tostring(L, 2));
    } else if (strcmp(prop, "ruler.repeat_bitmap") == 0) {
        SetRepeatBitmap(lua_tostring(L, 2));
    } else if (strcmp(prop, "ruler.client_width") == 0) {
        client_width = LuaToFloat(L, 2);
        UpdateDimensions();
    } else if (strcmp(prop, "ruler.client_height") == 0) {
        client_height = LuaToFloat(L, 2);
        UpdateDimensions();
    } else if (strcmp(prop, "ruler.endpoint_offset") == 0) {
        endpoint_offset = LuaToFloat(L, 2);
        UpdateDimensions();
    } else {
        ov->OV_Popupf(1, "UICompRuler::SetProperty: Unknown Property '%s'\n", prop);
    }
    return 0;
}

void UICompRuler::InheritOwn(const UICompRuler &t)
{
    endpoint_bitmap = t.endpoint_bitmap;
    repeat_bitmap = t.repeat_bitmap;
    client_width = t.client_width;
    client_height = t.client_height;
    endpoint_offset = t.endpoint_offset;
}

// Scale type 3 and 0 keep 1; the result times the static scale is the ruler's own
// dynamic scale. An HCENTER ruler is twice as long (it reaches both ways).
void UICompRuler::UpdateDimensions()
{
    const float w = client_width, h = client_height;
    const float s = NaturalSizeScale(this, w, h);
    dynamic_scale = s;
    const float f = (align & UIALIGN_HCENTER) ? 2.0f : 1.0f;
    width = Whole(w * s * f);
    height = Whole(h * s * f);
    if (endpoint_bitmap && repeat_bitmap) {
        const float thick = s * fmaxf((float)endpoint_bitmap->height, (float)repeat_bitmap->height);
        if (width > height)
            height = thick;
        else if (width < height)
            width = thick;
    }
}
