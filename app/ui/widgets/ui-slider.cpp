// The slider (see ui-slider.h).
#include "app/ui/widgets/ui-slider.h"

#include "app/services/luaman.h"
#include "app/services/small-maths.h"
#include "app/ui/screen-manager.h"
#include "app/ui/screen.h"
#include "app/ui/widgets/ui-widget-frame.h"
#include "ovrecords.h"

#include <lua.hpp>
#include <math.h>
#include <string.h>

using namespace uiwidget;

namespace {

bool Is(const char *a, const char *b)
{
    return strcmp(a, b) == 0;
}

// A textured quad from (x0, y0) to (x1, y1) showing the bitmap's part u0..u1, v0..v1
// (fractions of the bitmap), in white at the vertex alpha.
void DrawPart(ov_bitmap_t *b, float x0, float y0, float x1, float y1, float u0, float v0, float u1, float v1,
              float alpha)
{
    const uint8_t a = (uint8_t)(int)(Clamp01(alpha) * 255.0f);
    const float z = ov->OV_GetDepthDefault();
    ov_vertex_t v[4] = {
        {x0, y0, z, {255, 255, 255, a}, u0, v0},
        {x1, y0, z, {255, 255, 255, a}, u1, v0},
        {x0, y1, z, {255, 255, 255, a}, u0, v1},
        {x1, y1, z, {255, 255, 255, a}, u1, v1},
    };
    ov->OV_DrawBitmap4V(b, v);
}

}  // namespace

bool UICompSlider::IsHorizontal() const
{
    return BitmapWidth(bm_panel) > BitmapHeight(bm_panel);
}

float UICompSlider::Span() const
{
    const float length = (float)(IsHorizontal() ? BitmapWidth(bm_full) : BitmapHeight(bm_full));
    return length - padding_start - padding_end;
}

void UICompSlider::ChangeValue(float v)
{
    v = Clamp01(v);
    if (v == value)
        return;
    value = v;
    sman.SendComponentClick(this, owner ? owner->ui : nullptr);
}

int UICompSlider::ProcessCursorMove(UICursor *, int key, float)
{
    if (!bm_panel)
        return 0;
    const bool horizontal = IsHorizontal();
    float step;
    if (horizontal && key == 37)
        step = -0.1f;
    else if (horizontal && key == 39)
        step = 0.1f;
    else if (!horizontal && key == 38)
        step = -0.1f;
    else if (!horizontal && key == 40)
        step = 0.1f;
    else
        return 0;
    ChangeValue(value + step);
    return 1;
}

int UICompSlider::ProcessCursorMove(UICursor *cursor, const vec2_t &p, float)
{
    if (!bm_panel)
        return 0;
    if (!cursor || !cursor->pressed || !bm_full)
        return 1;
    const float span = Span();
    const float ds = dynamic_scale;
    // A full bitmap no longer than its paddings (or a zero scale) gives nothing to
    // measure by: the value stays.
    if (!(ds * span > 0.0f))
        return 1;
    const vec2_t pos = GetAlignedPos();
    const float fw = (float)BitmapWidth(bm_full), fh = (float)BitmapHeight(bm_full);
    const bool horizontal = IsHorizontal();
    const float angle_now = GetStaticAngle();
    float v;
    if (fabsf(angle_now) < 1e-6f) {
        const float left = pos.x + width / 2.0f - ds * fw / 2.0f;
        const float top = pos.y + height / 2.0f - ds * fh / 2.0f;
        if (horizontal)
            v = (p.x - left - ds * padding_start) / (ds * span);
        else
            v = 1.0f - (p.y - top - ds * padding_end) / (ds * span);
    } else {
        const float dx = p.x - (pos.x + width / 2.0f), dy = p.y - (pos.y + height / 2.0f);
        const float c = cosf(-angle_now), s = sinf(-angle_now);
        const float rx = dx * c - dy * s, ry = dy * c + dx * s;
        if (horizontal)
            v = (rx + width / 2.0f - ds * padding_start) / (ds * span);
        else
            v = 1.0f - (ry + height / 2.0f - ds * padding_end) / (ds * span);
    }
    ChangeValue(v);
    return 1;
}

void UICompSlider::ApplyCacheMode(int mode)
{
    ApplyBitmapsCacheMode(this, mode, {bm_panel, bm_panel_over, bm_full, bm_marker});
}

void UICompSlider::UpdateDimensions()
{
    float w = 16.0f, h = 16.0f;
    ov_bitmap_t *first = bm_panel ? bm_panel : bm_panel_over ? bm_panel_over : bm_full;
    if (first) {
        w = (float)BitmapWidth(first);
        h = (float)BitmapHeight(first);
    }
    if (bm_marker) {
        if ((int)w < BitmapWidth(bm_marker))
            w = (float)BitmapWidth(bm_marker);
        if ((int)h < BitmapHeight(bm_marker))
            h = (float)BitmapHeight(bm_marker);
    }
    SetScaledSize(w, h);
}

void UICompSlider::Draw()
{
    if (sman.virtual_resize_mode || inherit_scale)
        UpdateDimensions();
    const float alpha = GetStaticAlpha();
    SetDrawState(this, alpha * color.a);
    const bool rotated = PushRotation(this);
    const vec2_t pos = GetAlignedPos();
    const float ds = dynamic_scale;
    const float cx = pos.x + width / 2.0f, cy = pos.y + height / 2.0f;
    const float a = alpha * color.a;
    if (bm_panel) {
        const float pw = (float)BitmapWidth(bm_panel) * ds, ph = (float)BitmapHeight(bm_panel) * ds;
        DrawPart(bm_panel, cx - pw / 2.0f, cy - ph / 2.0f, cx + pw / 2.0f, cy + ph / 2.0f, 0, 0, 1, 1, a);
    }
    if (bm_panel_over && time_cursor_over > 0.0f) {
        const float pw = (float)BitmapWidth(bm_panel_over) * ds, ph = (float)BitmapHeight(bm_panel_over) * ds;
        DrawPart(bm_panel_over, cx - pw / 2.0f, cy - ph / 2.0f, cx + pw / 2.0f, cy + ph / 2.0f, 0, 0, 1, 1,
                 a * time_cursor_over);
    }
    if (bm_full) {
        const float fw = (float)BitmapWidth(bm_full), fh = (float)BitmapHeight(bm_full);
        const float left = cx - ds * fw / 2.0f, top = cy - ds * fh / 2.0f;
        const float span = Span();
        if (IsHorizontal()) {
            const float filled = padding_start + value * span;
            if (fw > 0.0f)
                DrawPart(bm_full, left, top, left + ds * filled, top + ds * fh, 0, 0, filled / fw, 1, a);
            if (bm_marker)
                ov->OV_DrawBitmapRS(bm_marker, left + ds * filled, top + ds * fh / 2.0f, 0.0f, ds);
        } else {
            const float y0 = padding_end + (1.0f - value) * span;
            if (fh > 0.0f)
                DrawPart(bm_full, left, top + ds * y0, left + ds * fw, top + ds * fh, 0, y0 / fh, 1, 1, a);
            if (bm_marker)
                ov->OV_DrawBitmapRS(bm_marker, left + ds * fw / 2.0f, top + ds * y0, 0.0f, ds);
        }
    }
    PopRotation(rotated);
}

void UICompSlider::InheritOwn(const UICompSlider &t)
{
    bm_panel = t.bm_panel;
    bm_panel_over = t.bm_panel_over;
    bm_full = t.bm_full;
    bm_marker = t.bm_marker;
    padding_start = t.padding_start;
    padding_end = t.padding_end;
}

int UICompSlider::GetOwnProperty(const char *prop, lua_State *L)
{
    if (Is(prop, "slider.value")) {
        lua_pushnumber(L, value);
        return 1;
    }
    if (PushBitmapNameOf(L, prop, {
            {"slider.bm_panel", bm_panel},
            {"slider.bm_panel_over", bm_panel_over},
            {"slider.bm_full", bm_full},
            {"slider.bm_marker", bm_marker},
        }))
        return 1;
    ov->OV_Popupf(1, "UICompSlider::GetProperty: Unknown Property '%s'\n", prop);
    return 0;
}

int UICompSlider::SetOwnProperty(const char *prop, lua_State *L)
{
    const char *name_value = lua_type(L, 2) == LUA_TSTRING || lua_type(L, 2) == LUA_TNUMBER ? lua_tostring(L, 2) : nullptr;
    if (Is(prop, "slider.value")) {
        value = LuaToFloat(L, 2);
    } else if (Is(prop, "slider.padding")) {
        padding_start = LuaToFloat(L, 2);
        padding_end = LuaToFloat(L, 3);
    } else if (Is(prop, "slider.bm_panel")) {
        ReplaceBitmapApplyingReferenceCounting(&bm_panel, name_value);
        UpdateDimensions();
    } else if (Is(prop, "slider.bm_panel_over")) {
        ReplaceBitmapApplyingReferenceCounting(&bm_panel_over, name_value);
        UpdateDimensions();
    } else if (Is(prop, "slider.bm_full")) {
        ReplaceBitmapApplyingReferenceCounting(&bm_full, name_value);
        UpdateDimensions();
    } else if (Is(prop, "slider.bm_marker")) {
        ReplaceBitmapApplyingReferenceCounting(&bm_marker, name_value);
    } else {
        ov->OV_Popupf(1, "UICompSlider::SetProperty: Unknown Property '%s'\n", prop);
    }
    return 0;
}

void UICompSlider::ExportOwn(FILE *f, const UICompSlider &t)
{
    ExportChangedBitmaps(f, {
        {"slider.bm_panel", bm_panel, t.bm_panel},
        {"slider.bm_panel_over", bm_panel_over, t.bm_panel_over},
        {"slider.bm_full", bm_full, t.bm_full},
        {"slider.bm_marker", bm_marker, t.bm_marker}
    });
    if (padding_start != t.padding_start || padding_end != t.padding_end)
        fprintf(f, "SetProperty (\"slider.padding\", \"%g\", \"%g\");\n", padding_start, padding_end);
}
