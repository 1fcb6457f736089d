// The button (see ui-button.h).
#include "app/ui/widgets/ui-button.h"

#include "app/services/luaman.h"
#include "app/services/small-maths.h"

#include "app/ui/screen-manager.h"
#include "app/ui/widgets/ui-widget-frame.h"
#include "ovrecords.h"

#include <lua.hpp>
#include <math.h>
#include <stdlib.h>
#include <string.h>

using namespace uiwidget;

namespace {

bool Is(const char *a, const char *b)
{
    return strcmp(a, b) == 0;
}

// A bitmap that counts for the size: set, and not a generated one ("!" names).
bool Sizing(const ov_bitmap_t *b)
{
    return b && !(b->name && b->name[0] == '!');
}

color_t Mix(const color_t &a, const color_t &b, float t)
{
    return {t * a.r + (1 - t) * b.r, t * a.g + (1 - t) * b.g, t * a.b + (1 - t) * b.b, t * a.a + (1 - t) * b.a};
}

void ReadColor(lua_State *L, color_t *c)
{
    c->r = LuaToFloat(L, 2);
    c->g = LuaToFloat(L, 3);
    c->b = LuaToFloat(L, 4);
    c->a = LuaToFloat(L, 5);
}

}  // namespace

void UICompButton::ApplyFormattedText(const char *formatted)
{
    char unescaped[4096];
    UnescapeText(formatted, unescaped);
    StoreLabel(unescaped);
    ReportDynamicText(this, formatted);
}

void UICompButton::SetIcon(ov_bitmap_t *icon)
{
    bm_icon = icon;
    UpdateDimensions();
}

void UICompButton::SetFont(ov_font_t *new_font)
{
    font = new_font;
    if (text)
        UpdateDimensions();
}

void UICompButton::ApplyCacheMode(int mode)
{
    ApplyBitmapsCacheMode(this, mode, {bm_idle, bm_over, bm_pressed, bm_disabled, bm_icon});
}

void UICompButton::UpdateDimensions()
{
    float w = 0.0f, h = 0.0f;
    const bool idle = Sizing(bm_idle);
    if (idle) {
        w = (float)BitmapWidth(bm_idle);
        h = (float)BitmapHeight(bm_idle);
    }
    if (Sizing(bm_icon)) {
        w = fmaxf(w, (float)BitmapWidth(bm_icon));
        h = fmaxf(h, (float)BitmapHeight(bm_icon));
    }
    if (text && display_text && font) {
        float tw = 0.0f, th = 0.0f;
        ov->OV_SetTextTransform(text_scale_idle, text_scale_idle, 0.0f);
        ov->OV_GetTextSizef(font, &tw, &th, "%s", display_text);
        ov->OV_SetTextTransform(1.0f, 1.0f, 0.0f);
        if (!idle) {
            w = fmaxf(w, tw);
            h = fmaxf(h, th);
        }
        if (textbox_width < 2.0f) {
            dynamic_text_scale = 1.0f;
        } else {
            float s = textbox_width / tw;
            if (!(s >= dynamic_text_scale_min))
                s = dynamic_text_scale_min;
            if (s > dynamic_text_scale_max)
                s = dynamic_text_scale_max;
            dynamic_text_scale = s;
        }
    }
    SetScaledSize(w, h);
}

void UICompButton::Draw()
{
    if (sman.virtual_resize_mode)
        UpdateDimensions();
    if (inherit_scale)
        UpdateDimensions();
    const float alpha = GetStaticAlpha();
    const bool is_active = IsActive();
    SetDrawState(this, alpha * color.a);

    float tscale = is_active ? text_scale_idle : text_scale_disabled;
    float sscale = is_active ? scale_idle : scale_disabled;
    color_t tcolor = is_active ? text_color_idle : text_color_disabled;
    const float h = time_cursor_over, p = time_cursor_locked;
    if (h > 0.0f) {
        tscale = h * text_scale_over + (1 - h) * tscale;
        sscale = h * scale_over + (1 - h) * sscale;
        tcolor = Mix(text_color_over, tcolor, h);
        if (p > 0.0f) {
            tscale = p * text_scale_pressed + (1 - p) * tscale;
            sscale = p * scale_pressed + (1 - p) * sscale;
            tcolor = Mix(text_color_pressed, tcolor, p);
        }
    }
    const vec2_t pos = GetAlignedPos();
    const float ds = dynamic_scale;
    const float s = ds * sscale;
    const vec2_t centre = {pos.x + width / 2.0f, pos.y + height / 2.0f};
    const bool rotated = PushRotation(this);

    ov_bitmap_t *base = is_active ? bm_idle : bm_disabled;
    if (base && base->width > 0)
        ov->OV_DrawBitmapRS(base, centre.x, centre.y, 0.0f, s);
    if (h > 0.0f) {
        ov->OV_SetAlpha(h * alpha * color.a);
        if (bm_over)
            ov->OV_DrawBitmapRS(bm_over, centre.x, centre.y, 0.0f, s);
        if (p > 0.0f) {
            ov->OV_SetAlpha(p * alpha * color.a);
            if (bm_pressed)
                ov->OV_DrawBitmapRS(bm_pressed, centre.x, centre.y, 0.0f, s);
        }
    }
    if (bm_icon) {
        ov->OV_SetAlpha(alpha * color.a * tcolor.a);
        ov->OV_SetColor(tcolor.r, tcolor.g, tcolor.b);
        ov->OV_DrawBitmapRS(bm_icon, centre.x + s * icon_offset_x, centre.y + s * icon_offset_y, 0.0f, ds);
    }
    if (font && display_text) {
        ov->OV_SetAlpha(alpha * color.a * tcolor.a);
        ov->OV_SetColor(tcolor.r, tcolor.g, tcolor.b);
        ov->OV_SetTextAlign(text_align);
        float t = ds * dynamic_text_scale * tscale;
        ov->OV_SetTextTransform(t, t, 0.0f);
        const float measured = ov->OV_GetTextWidthf(font, "%s", display_text);
        const float limit = width * max_text_width_percentage / 100.0f;
        if (measured > limit) {
            t *= limit / measured;
            ov->OV_SetTextTransform(t, t, 0.0f);
        }
        ov->OV_DrawTextf(font, centre.x + s * text_offset_x, centre.y + s * text_offset_y, "%s", display_text);
        ov->OV_SetTextTransform(1.0f, 1.0f, 0.0f);
    }
    if (sman.edit_mode) {
        ov->OV_SetAlpha(1.0f);
        ov->OV_SetColor(1.0f, 1.0f, 0.0f);
        const float ax = centre.x + text_offset_x, ay = centre.y + text_offset_y;
        const float x0 = ax - textbox_width / 2.0f, y0 = ay - textbox_height / 2.0f;
        ov->OV_DrawRect(x0, y0, textbox_width, 1.0f);
        ov->OV_DrawRect(x0, y0 + textbox_height - 1.0f, textbox_width, 1.0f);
        ov->OV_DrawRect(x0, y0, 1.0f, textbox_height);
        ov->OV_DrawRect(x0 + textbox_width - 1.0f, y0, 1.0f, textbox_height);
        ov->OV_DrawRect(ax - 5.0f, ay - 0.5f, 10.0f, 1.0f);
        ov->OV_DrawRect(ax - 0.5f, ay - 5.0f, 1.0f, 10.0f);
        ov->OV_SetColor(1.0f, 1.0f, 1.0f);
    }
    PopRotation(rotated);
}

void UICompButton::InheritOwn(const UICompButton &t)
{
    bm_idle = t.bm_idle;
    bm_over = t.bm_over;
    bm_pressed = t.bm_pressed;
    bm_disabled = t.bm_disabled;
    bm_icon = t.bm_icon;
    text_color_idle = t.text_color_idle;
    text_color_over = t.text_color_over;
    text_color_pressed = t.text_color_pressed;
    text_color_disabled = t.text_color_disabled;
    scale_idle = t.scale_idle;
    scale_over = t.scale_over;
    scale_pressed = t.scale_pressed;
    scale_disabled = t.scale_disabled;
    dynamic_text_scale_min = t.dynamic_text_scale_min;
    dynamic_text_scale_max = t.dynamic_text_scale_max;
    text_scale_idle = t.text_scale_idle;
    text_scale_over = t.text_scale_over;
    text_scale_pressed = t.text_scale_pressed;
    text_scale_disabled = t.text_scale_disabled;
    // The text as stored (no escape pass: re-applying a stored text must not eat its
    // backslashes again).
    InheritLabel(t);
    textbox_width = t.textbox_width;
    textbox_height = t.textbox_height;
    max_text_width_percentage = t.max_text_width_percentage;
    text_align = t.text_align;
    text_offset_x = t.text_offset_x;
    text_offset_y = t.text_offset_y;
    icon_offset_x = t.icon_offset_x;
    icon_offset_y = t.icon_offset_y;
}

int UICompButton::GetOwnProperty(const char *prop, lua_State *L)
{
    if (Is(prop, "button.bm_idle")) {
        lua_pushstring(L, BitmapName(bm_idle));
        return 1;
    }
    if (GetLabelProperty(prop, L))
        return 1;
    ov->OV_Popupf(1, "UICompButton::GetProperty: Unknown Property '%s'\n", prop);
    return 0;
}

int UICompButton::SetOwnProperty(const char *prop, lua_State *L)
{
    const char *value = lua_type(L, 2) == LUA_TSTRING || lua_type(L, 2) == LUA_TNUMBER ? lua_tostring(L, 2) : nullptr;
    if (SetLabelProperty(prop, value))
        return 0;
    if (Is(prop, "button.bm_idle")) {
        ReplaceBitmapApplyingReferenceCounting(&bm_idle, value);
        UpdateDimensions();
    } else if (Is(prop, "button.bm_over")) {
        ReplaceBitmapApplyingReferenceCounting(&bm_over, value);
    } else if (Is(prop, "button.bm_pressed")) {
        ReplaceBitmapApplyingReferenceCounting(&bm_pressed, value);
    } else if (Is(prop, "button.bm_disabled")) {
        ReplaceBitmapApplyingReferenceCounting(&bm_disabled, value);
    } else if (Is(prop, "button.bm_icon")) {
        ReplaceBitmapApplyingReferenceCounting(&bm_icon, value);
    } else if (Is(prop, "button.text_offset")) {
        text_offset_x = LuaToFloat(L, 2);
        text_offset_y = LuaToFloat(L, 3);
    } else if (Is(prop, "button.icon_offset")) {
        icon_offset_x = LuaToFloat(L, 2);
        icon_offset_y = LuaToFloat(L, 3);
    } else if (Is(prop, "button.text_align")) {
        text_align = ParseAlignFlags(value);
    } else if (Is(prop, "button.text_scale_idle")) {
        text_scale_idle = LuaToFloat(L, 2);
    } else if (Is(prop, "button.text_scale_over")) {
        text_scale_over = LuaToFloat(L, 2);
    } else if (Is(prop, "button.text_scale_pressed")) {
        text_scale_pressed = LuaToFloat(L, 2);
    } else if (Is(prop, "button.text_scale_disabled")) {
        text_scale_disabled = LuaToFloat(L, 2);
    } else if (Is(prop, "button.dynamic_text_scale_limits")) {
        dynamic_text_scale_min = LuaToFloat(L, 2);
        dynamic_text_scale_max = LuaToFloat(L, 3);
    } else if (Is(prop, "button.textbox_size")) {
        textbox_width = LuaToFloat(L, 2);
        textbox_height = LuaToFloat(L, 3);
    } else if (Is(prop, "button.scale_idle")) {
        scale_idle = LuaToFloat(L, 2);
    } else if (Is(prop, "button.scale_over")) {
        scale_over = LuaToFloat(L, 2);
    } else if (Is(prop, "button.scale_pressed")) {
        scale_pressed = LuaToFloat(L, 2);
    } else if (Is(prop, "button.scale_disabled")) {
        scale_disabled = LuaToFloat(L, 2);
    } else if (Is(prop, "button.text_color_idle")) {
        ReadColor(L, &text_color_idle);
    } else if (Is(prop, "button.text_color_over")) {
        ReadColor(L, &text_color_over);
    } else if (Is(prop, "button.text_color_pressed")) {
        ReadColor(L, &text_color_pressed);
    } else if (Is(prop, "button.text_color_disabled")) {
        ReadColor(L, &text_color_disabled);
    } else if (Is(prop, "button.max_text_width_percentage")) {
        max_text_width_percentage = LuaToFloat(L, 2);
    } else {
        ov->OV_Popupf(1, "UICompButton::SetProperty: Unknown Property '%s'\n", prop);
    }
    return 0;
}

void UICompButton::ExportOwn(FILE *f, const UICompButton &t)
{
    ExportChangedBitmaps(f, {
        {"button.bm_idle", bm_idle, t.bm_idle},         {"button.bm_over", bm_over, t.bm_over},
        {"button.bm_pressed", bm_pressed, t.bm_pressed}, {"button.bm_disabled", bm_disabled, t.bm_disabled},
        {"button.bm_icon", bm_icon, t.bm_icon}
    });
    if (icon_offset_x != t.icon_offset_x || icon_offset_y != t.icon_offset_y)
        fprintf(f, "SetProperty (\"button.icon_offset\", %g, %g);\n", icon_offset_x, icon_offset_y);
    if (text_offset_x != t.text_offset_x || text_offset_y != t.text_offset_y)
        fprintf(f, "SetProperty (\"button.text_offset\", %g, %g);\n", text_offset_x, text_offset_y);
    if (text_align != t.text_align)
        fprintf(f, "SetProperty (\"button.text_align\", \"%s\");\n", GetAlignFlagsAsString(text_align));
    if (textbox_width != t.textbox_width || textbox_height != t.textbox_height)
        fprintf(f, "SetProperty (\"button.textbox_size\", \"%d\", \"%d\");\n", SaturatedInt(textbox_width),
                SaturatedInt(textbox_height));
    if (max_text_width_percentage != t.max_text_width_percentage)
        fprintf(f, "SetProperty (\"button.max_text_width_percentage\", \"%g\");\n", max_text_width_percentage);
    if (text_scale_disabled != t.text_scale_disabled)
        fprintf(f, "SetProperty (\"button.text_scale_disabled\", %f);\n", text_scale_disabled);
    if (text_scale_idle != t.text_scale_idle)
        fprintf(f, "SetProperty (\"button.text_scale_idle\", %f);\n", text_scale_idle);
    if (text_scale_over != t.text_scale_over)
        fprintf(f, "SetProperty (\"button.text_scale_over\", %f);\n", text_scale_over);
    if (text_scale_pressed != t.text_scale_pressed)
        fprintf(f, "SetProperty (\"button.text_scale_pressed\", %f);\n", text_scale_pressed);
    // The label with escape pairs: SetText reads them back.
    ExportLabel(f, t, true);
}
