// The checkbox (see ui-checkbox.h).
#include "app/ui/widgets/ui-checkbox.h"

#include "app/services/luaman.h"
#include "app/ui/screen-manager.h"
#include "app/ui/widgets/ui-widget-frame.h"
#include "ovrecords.h"

#include <lua.hpp>
#include <stdlib.h>
#include <string.h>

using namespace uiwidget;

namespace {

bool Is(const char *a, const char *b)
{
    return strcmp(a, b) == 0;
}

}  // namespace

void UICompCheckbox::ApplyFormattedText(const char *formatted)
{
    StoreLabel(formatted);
    ReportDynamicText(this, formatted);
}

void UICompCheckbox::SetFont(ov_font_t *new_font)
{
    font = new_font;
}

void UICompCheckbox::ApplyCacheMode(int mode)
{
    ApplyBitmapsCacheMode(this, mode, {bm_idle, bm_over, bm_pressed, bm_disabled, bm_marker});
}

void UICompCheckbox::UpdateDimensions()
{
    SetScaledSize(bm_idle ? (float)BitmapWidth(bm_idle) : 1.0f, bm_idle ? (float)BitmapHeight(bm_idle) : 1.0f);
}

void UICompCheckbox::Draw()
{
    if (sman.virtual_resize_mode || inherit_scale)
        UpdateDimensions();
    const vec2_t pos = GetAlignedPos();
    const float alpha = GetStaticAlpha();
    const bool is_active = IsActive();
    const float ds = dynamic_scale;
    SetDrawState(this, alpha * color.a);
    const bool rotated = PushRotation(this);
    const float h = time_cursor_over, p = time_cursor_locked;
    DrawBitmapAt(is_active ? bm_idle : bm_disabled, pos, ds);
    if (bm_over && h > 0.0f) {
        ov->OV_SetAlpha(h * alpha * color.a);
        DrawBitmapAt(bm_over, pos, ds);
    }
    if (bm_pressed && h > 0.0f && p > 0.0f) {
        ov->OV_SetAlpha(p * alpha * color.a);
        DrawBitmapAt(bm_pressed, pos, ds);
    }
    ov->OV_SetAlpha(alpha * color.a);
    if (bm_marker && value != 0)
        DrawBitmapAt(bm_marker, pos, ds);
    if (font && display_text) {
        ov->OV_SetColor(color.r, color.g, color.b);
        ov->OV_SetTextAlign(0);
        ov->OV_SetTextTransform(ds, ds, 0.0f);
        const float y = pos.y + height * ds / 2.0f - (float)font->height * ds / 2.0f;
        ov->OV_DrawTextf(font, pos.x + width, y, "%s", display_text);
        ov->OV_SetTextTransform(1.0f, 1.0f, 0.0f);
    }
    PopRotation(rotated);
}

void UICompCheckbox::InheritOwn(const UICompCheckbox &t)
{
    bm_idle = t.bm_idle;
    bm_over = t.bm_over;
    bm_pressed = t.bm_pressed;
    bm_disabled = t.bm_disabled;
    bm_marker = t.bm_marker;
    InheritLabel(t);
    value = t.value;
}

int UICompCheckbox::GetOwnProperty(const char *prop, lua_State *L)
{
    if (Is(prop, "checkbox.value")) {
        lua_pushnumber(L, value);
        return 1;
    }
    if (Is(prop, "checkbox.bm_idle")) {
        lua_pushstring(L, BitmapName(bm_idle));
        return 1;
    }
    if (GetLabelProperty(prop, L))
        return 1;
    ov->OV_Popupf(1, "UICompCheckbox::GetProperty: Unknown Property '%s'\n", prop);
    return 0;
}

int UICompCheckbox::SetOwnProperty(const char *prop, lua_State *L)
{
    const char *value_text = lua_type(L, 2) == LUA_TSTRING || lua_type(L, 2) == LUA_TNUMBER ? lua_tostring(L, 2) : nullptr;
    if (SetLabelProperty(prop, value_text))
        return 0;
    if (Is(prop, "checkbox.value")) {
        if (lua_type(L, 2) == LUA_TBOOLEAN)
            value = lua_toboolean(L, 2) ? 1 : 0;
        else
            value = LuaToInt(L, 2);
    } else if (Is(prop, "checkbox.bm_idle")) {
        ReplaceBitmapApplyingReferenceCounting(&bm_idle, value_text);
        UpdateDimensions();
    } else if (Is(prop, "checkbox.bm_over")) {
        ReplaceBitmapApplyingReferenceCounting(&bm_over, value_text);
    } else if (Is(prop, "checkbox.bm_pressed")) {
        ReplaceBitmapApplyingReferenceCounting(&bm_pressed, value_text);
    } else if (Is(prop, "checkbox.bm_disabled")) {
        ReplaceBitmapApplyingReferenceCounting(&bm_disabled, value_text);
    } else if (Is(prop, "checkbox.bm_marker")) {
        ReplaceBitmapApplyingReferenceCounting(&bm_marker, value_text);
    } else {
        ov->OV_Popupf(1, "UICompCheckbox::SetProperty: Unknown Property '%s'\n", prop);
    }
    return 0;
}

void UICompCheckbox::ExportOwn(FILE *f, const UICompCheckbox &t)
{
    ExportChangedBitmaps(f, {
        {"checkbox.bm_idle", bm_idle, t.bm_idle},         {"checkbox.bm_over", bm_over, t.bm_over},
        {"checkbox.bm_pressed", bm_pressed, t.bm_pressed}, {"checkbox.bm_disabled", bm_disabled, t.bm_disabled},
        {"checkbox.bm_marker", bm_marker, t.bm_marker}
    });
    // The label as stored: SetText reads no escape pairs.
    ExportLabel(f, t, false);
    if (value != t.value)
        fprintf(f, "SetProperty (\"checkbox.value\", \"%d\");\n", value);
}
