// The nine-patch (see ui-ninepatch.h).
#include "app/ui/widgets/ui-ninepatch.h"

#include "app/services/luaman.h"
#include "app/ui/screen-manager.h"
#include "app/ui/widgets/ui-widget-frame.h"
#include "ovrecords.h"

#include <lua.hpp>
#include <math.h>
#include <string.h>

using namespace uiwidget;

namespace {

// Whole part of a size, clamped so that a wild script value stays defined.
int Whole(float v)
{
    if (!(v == v))
        return 0;
    if (v > 1e9f)
        return 1000000000;
    if (v < -1e9f)
        return -1000000000;
    return (int)v;
}

uint8_t Byte(float f)
{
    if (!(f > 0.0f))
        return 0;
    if (f >= 1.0f)
        return 255;
    return (uint8_t)(int)(f * 255.0f);
}

}  // namespace

void UICompNinePatch::Update(float) {}

void UICompNinePatch::SetBitmap(ov_bitmap_t *b)
{
    SetBitmap(b ? b->name : nullptr);
}

void UICompNinePatch::SetBitmap(const char *bitmap_name)
{
    ReplaceBitmapApplyingReferenceCounting(&bitmap, bitmap_name);
    UpdateDimensions();
}

vec2_t UICompNinePatch::GetNaturalSize() const
{
    if (!bitmap)
        return {1.0f, 1.0f};
    return {client_x1 + (float)client_width + ((float)bitmap->width - client_x2),
            client_y1 + (float)client_height + ((float)bitmap->height - client_y2)};
}

void UICompNinePatch::Draw()
{
    const float a = BeginDraw(this);
    if (a <= 0.0f)
        return;
    const vec2_t pos = GetAlignedPos();
    const bool rotated = PushRotation(this);
    const float z = ov->OV_GetDepthDefault();
    // A bitmap side of 0 has no pieces to cut (u and v would divide by zero).
    if (bitmap && bitmap->width > 0 && bitmap->height > 0) {
        const float bw = (float)bitmap->width, bh = (float)bitmap->height;
        const float xs[4] = {0.0f, client_x1, client_x2, bw};
        const float ys[4] = {0.0f, client_y1, client_y2, bh};
        const float dx = (float)client_width - (client_x2 - client_x1);
        const float dy = (float)client_height - (client_y2 - client_y1);
        const bool scaled = fabsf(dynamic_scale - 1.0f) >= 1e-6f;
        // The renderer reads vertex colours as R, G, B, A bytes (as its colour setter
        // packs them).
        const uint8_t rgba[4] = {Byte(color.r), Byte(color.g), Byte(color.b), Byte(a * color.a)};
        for (int row = 0; row < 3; row++) {
            for (int col = 0; col < 3; col++) {
                ov_vertex_t v[4];
                for (int k = 0; k < 4; k++) {
                    const int ci = col + (k & 1), ri = row + (k >> 1);
                    float x = pos.x + xs[ci] + (ci >= 2 ? dx : 0.0f);
                    float y = pos.y + ys[ri] + (ri >= 2 ? dy : 0.0f);
                    if (scaled) {
                        x = pos.x + (x - pos.x) * dynamic_scale;
                        y = pos.y + (y - pos.y) * dynamic_scale;
                    }
                    v[k].x = x;
                    v[k].y = y;
                    v[k].z = z;
                    memcpy(v[k].color, rgba, 4);
                    v[k].u = xs[ci] / bw;
                    v[k].v = ys[ri] / bh;
                }
                ov->OV_DrawBitmap4V(bitmap, v);
            }
        }
    }
    PopRotation(rotated);
}

void UICompNinePatch::ApplyCacheMode(int mode)
{
    if (bitmap)
        ApplyBitmapsCacheMode(this, mode, {bitmap});
}

void UICompNinePatch::EditUpdate(float)
{
    if (!bitmap)
        return;
    const vec2_t s = GetStaticPos();
    const float dx = fabsf(mpos.x - s.x), dy = fabsf(mpos.y - s.y);
    client_width = Whole((align & UIALIGN_HCENTER) ? 2.0f * dx : dx);
    client_height = Whole((align & UIALIGN_VCENTER) ? 2.0f * dy : dy);
    client_width -= Whole(client_x1 + (float)bitmap->width - client_x2);
    client_height -= Whole(client_y1 + (float)bitmap->height - client_y2);
    UpdateDimensions();
}

void UICompNinePatch::ExportOwn(FILE *f, const UICompNinePatch &t)
{
    if (bitmap && bitmap != t.bitmap)
        WriteLuaPropertyText(f, "ninepatch.bitmap", BitmapName(bitmap));
    if (client_x1 != t.client_x1 || client_y1 != t.client_y1 || client_x2 != t.client_x2 ||
        client_y2 != t.client_y2)
        fprintf(f, "SetProperty (\"ninepatch.bitmap_client_rect\", %g, %g, %g, %g);\n", client_x1, client_y1,
                client_x2, client_y2);
    if (client_width != t.client_width || client_height != t.client_height)
        fprintf(f, "SetProperty (\"ninepatch.client_size\", %d, %d);\n", client_width, client_height);
}

int UICompNinePatch::GetOwnProperty(const char *prop, lua_State *L)
{
    if (strcmp(prop, "ninepatch.bitmap") == 0)
        lua_pushstring(L, BitmapName(bitmap));
    else if (strcmp(prop, "ninepatch.client_width") == 0)
        lua_pushinteger(L, client_width);
    else if (strcmp(prop, "ninepatch.client_height") == 0)
        lua_pushinteger(L, client_height);
    else {
        ov->OV_Popupf(1, "UICompNinePatch::GetProperty: Unknown Property '%s'\n", prop);
        return 0;
    }
    return 1;
}

int UICompNinePatch::SetOwnProperty(const char *prop, lua_State *L)
{
    if (strcmp(prop, "ninepatch.bitmap") == 0) {
        SetBitmap(lua_type(L, 2) == LUA_TSTRING ? lua_tostring(L, 2) : nullptr);
    } else if (strcmp(prop, "ninepatch.bitmap_client_rect") == 0) {
        client_x1 = LuaToFloat(L, 2);
        client_y1 = LuaToFloat(L, 3);
        client_x2 = LuaToFloat(L, 4);
        client_y2 = LuaToFloat(L, 5);
    } else if (strcmp(prop, "ninepatch.client_size") == 0) {
        client_width = LuaToInt(L, 2);
        client_height = LuaToInt(L, 3);
        UpdateDimensions();
    } else {
        ov->OV_Popupf(1, "UICompNinePatch::SetProperty: Unknown Property '%s'\n", prop);
    }
    return 0;
}

void UICompNinePatch::InheritOwn(const UICompNinePatch &t)
{
    bitmap = t.bitmap;
    client_x1 = t.client_x1;
    client_y1 = t.client_y1;
    client_x2 = t.client_x2;
    client_y2 = t.client_y2;
    client_width = t.client_width;
    client_height = t.client_height;
}

void UICompNinePatch::UpdateDimensions()
{
    const vec2_t natural = GetNaturalSize();
    const float w = natural.x, h = natural.y;
    const float s = NaturalSizeScale(this, w, h);
    dynamic_scale = s;
    width = (float)Whole(w * s);
    height = (float)Whole(h * s);
}
