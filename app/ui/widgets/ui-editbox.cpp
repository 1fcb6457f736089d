// The edit box (see ui-editbox.h).
#include "app/ui/widgets/ui-editbox.h"

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

// Width of the first n characters of a text in the font, under the current transform.
float PrefixWidth(ov_font_t *font, const char *text, int n)
{
    if (!font || n <= 0)
        return 0.0f;
    return ov->OV_GetTextWidthf(font, "%.*s", n, text);
}

float CharWidth(ov_font_t *font, char c)
{
    return font ? ov->OV_GetTextWidthf(font, "%c", c) : 0.0f;
}

}  // namespace

void UICompEditbox::SetFont(ov_font_t *new_font)
{
    font = new_font;
}

void UICompEditbox::ApplyFormattedText(const char *formatted)
{
    size_t n = strlen(formatted);
    if (n > sizeof text - 1)
        n = sizeof text - 1;
    memcpy(text, formatted, n);
    text[n] = 0;
    cursor = (int)strlen(text);
}

bool UICompEditbox::IsValidChar(int c)
{
    const unsigned char b = (unsigned char)(c & 0xff);
    if (!font)
        return false;
    if (b <= 9 || b == '\\' || b == '|' || b == '<' || b == '>')
        return false;
    // The font must show it: its glyph advances at least one font pixel. Measured
    // through the engine at scale 1, so the glyph records are never read directly; a
    // byte outside the font's glyphs measures 0.
    char one[3] = {(char)b, 0, 0};
    if (font->encoding == 1 && b >= 0x80) {
        one[0] = (char)(0xc0 | (b >> 6));
        one[1] = (char)(0x80 | (b & 0x3f));
    }
    ov->OV_SetTextTransform(1.0f, 1.0f, 0.0f);
    const float w = ov->OV_GetTextWidthf(font, "%s", one);
    const float font_scale = font->scale > 0.0f ? font->scale : 1.0f;
    if (!(w / font_scale >= 1.0f))
        return false;
    if ((b >= '0' && b <= '9') || strchr(" -_':@;,.", b))
        return true;
    return b > 64;
}

void UICompEditbox::Submit(const char *command)
{
    cursor = (int)strlen(text);
    Screen *top = sman.PeekScreen(0);
    sman.SendComponentClick(this, top ? top->ui : nullptr);
    ov->OV_CallExtension(command, nullptr);
}

int UICompEditbox::ProcessChar(int c)
{
    cycle_time = 0.0f;
    if (c == 13) {
        // One Return press arrives as the key, then the character: one click only.
        if (return_key_pending_) {
            return_key_pending_ = false;
            return 1;
        }
        Submit("IPHONE_EndKeyboardInput");
        return 1;
    }
    return_key_pending_ = false;
    if (caps_only) {
        if (c >= 'a' && c <= 'z')
            c -= 'a' - 'A';
        else if (c == -28)   // a umlaut
            c = -60;
        else if (c == -27)   // a ring
            c = -59;
        else if (c == -10)   // o umlaut
            c = -42;
    }
    const int length = (int)strlen(text);
    // Refused once the text holds max chars, wherever the cursor is.
    if (cursor < max_chars && length < max_chars && length < UI_EDITBOX_TEXT_SIZE - 1 && IsValidChar(c)) {
        if (cursor < 0 || cursor > length)
            cursor = length;
        memmove(text + cursor + 1, text + cursor, (size_t)(length - cursor + 1));
        text[cursor] = (char)c;
        cursor++;
        return 1;
    }
    return 0;
}

int UICompEditbox::ProcessKey(int key)
{
    cycle_time = 0.0f;
    const bool was_return = key == 13;
    if (!was_return)
        return_key_pending_ = false;
    const int length = (int)strlen(text);
    if (cursor > length)
        cursor = length;
    switch (key) {
    case 37:
        if (cursor > 0)
            cursor--;
        break;
    case 39:
        if (cursor < length)
            cursor++;
        break;
    case 8:
        if (cursor > 0) {
            memmove(text + cursor - 1, text + cursor, (size_t)(length - cursor + 1));
            cursor--;
        }
        break;
    case 46:
        if (cursor < length)
            memmove(text + cursor, text + cursor + 1, (size_t)(length - cursor));
        break;
    case 13:
        Submit("EndKeyboardInput");
        return_key_pending_ = true;
        break;
    default:
        break;
    }
    return 1;
}

int UICompEditbox::ProcessCursorMove(UICursor *, int key, float)
{
    return key >= 37 && key <= 40 ? 1 : 0;
}

int UICompEditbox::ProcessCursorMove(UICursor *c, const vec2_t &p, float)
{
    if (!c || !c->pressed)
        return 1;
    const float ds = dynamic_scale;
    const float start = GetAlignedPos().x + ds * padding;
    const int length = (int)strlen(text);
    if (font && p.x < start + ds * PrefixWidth(font, text, length)) {
        for (int i = 0; i < length; i++) {
            const float w = PrefixWidth(font, text, i);
            const float cw = CharWidth(font, text[i]);
            if (p.x < start + ds * w + (ds * cw - 2.0f * ds) / 2.0f) {
                cursor = i;
                return 1;
            }
        }
    }
    cursor = length;
    return 1;
}

void UICompEditbox::ApplyCacheMode(int mode)
{
    ApplyBitmapsCacheMode(this, mode, {bm_panel, bm_panel_over, bm_cursor});
}

void UICompEditbox::UpdateDimensions()
{
    SetScaledSize(bm_panel ? (float)BitmapWidth(bm_panel) : 16.0f, bm_panel ? (float)BitmapHeight(bm_panel) : 16.0f);
}

void UICompEditbox::Draw()
{
    if (sman.virtual_resize_mode)
        UpdateDimensions();
    const vec2_t pos = GetAlignedPos();
    const float alpha = GetStaticAlpha();
    const float ds = dynamic_scale;
    SetDrawState(this, alpha * color.a);
    const bool rotated = PushRotation(this);
    bool focused = false;
    for (int i = 0; i < sman.num_cursors && i < UI_MAX_CURSORS; i++)
        focused = focused || sman.cursors[i].focus == this;

    DrawBitmapAt(bm_panel, pos, ds);
    if (bm_panel_over && time_cursor_over > 0.0f) {
        ov->OV_SetAlpha(time_cursor_over * alpha * color.a);
        DrawBitmapAt(bm_panel_over, pos, ds);
        ov->OV_SetAlpha(alpha * color.a);
    }
    if (font && bm_panel) {
        ov->OV_SetTextAlign(0);
        ov->OV_SetTextboxWidth(0);
        ov->OV_SetColor(color.r * text_color.r, color.g * text_color.g, color.b * text_color.b);
        const float x = pos.x + ds * padding + ds * text_offset_x;
        const float y = (float)SaturatedInt(height / 2.0f) + pos.y + ds * text_offset_y;
        int room = SaturatedInt((float)BitmapWidth(bm_panel) - 2.0f * padding);
        if (room < 0)
            room = 0;
        // The tail that fits the room; a cursor inside the skipped head shows the text
        // from the cursor on instead, cut at its end to fit.
        const int length = (int)strlen(text);
        int skip = 0;
        while (skip < length && ov->OV_GetTextWidthf(font, "%s", text + skip) > (float)room)
            skip++;
        int first = skip, shown = length - skip;
        const int at = cursor < 0 ? 0 : cursor > length ? length : cursor;
        if (at < skip) {
            first = at;
            shown = length - at;
            while (shown > 0 && PrefixWidth(font, text + first, shown) > (float)room)
                shown--;
        }
        const float skipped_width = PrefixWidth(font, text, first);
        const float ts = text_scale * ds;
        ov->OV_SetTextTransform(ts, ts, 0.0f);
        ov->OV_DrawTextf(font, x, y - ts * (float)font->height / 2.0f, "%.*s", shown, text + first);
        if (bm_cursor && cycle_time < 0.6f && focused) {
            const float before = PrefixWidth(font, text, at);
            ov->OV_DrawBitmapRS(bm_cursor, x + before - ds * skipped_width, y, 0.0f, ds);
        }
        ov->OV_SetTextTransform(1.0f, 1.0f, 0.0f);
        ov->OV_SetColor(color.r, color.g, color.b);
    }
    PopRotation(rotated);
}

void UICompEditbox::InheritOwn(const UICompEditbox &t)
{
    bm_panel = t.bm_panel;
    bm_panel_over = t.bm_panel_over;
    bm_cursor = t.bm_cursor;
    font = t.font;
    max_chars = t.max_chars;
    padding = t.padding;
    memcpy(text, t.text, sizeof text);
    text[sizeof text - 1] = 0;
    text_offset_x = t.text_offset_x;
    text_offset_y = t.text_offset_y;
    cursor = t.cursor;
    caps_only = t.caps_only;
    text_scale = t.text_scale;
    text_color = t.text_color;
}

int UICompEditbox::GetOwnProperty(const char *prop, lua_State *L)
{
    if (PushBitmapNameOf(L, prop, {
            {"editbox.bm_panel", bm_panel},
            {"editbox.bm_panel_over", bm_panel_over},
            {"editbox.bm_cursor", bm_cursor},
        }))
        return 1;
    if (Is(prop, "editbox.font")) {
        lua_pushstring(L, FontName(font));
        return 1;
    }
    if (Is(prop, "editbox.max_chars")) {
        lua_pushnumber(L, max_chars);
        return 1;
    }
    if (Is(prop, "editbox.padding")) {
        lua_pushnumber(L, padding);
        return 1;
    }
    if (Is(prop, "editbox.text")) {
        lua_pushstring(L, text);
        return 1;
    }
    ov->OV_Popupf(1, "UICompEditbox::GetProperty: Unknown Property '%s'\n", prop);
    return 0;
}

int UICompEditbox::SetOwnProperty(const char *prop, lua_State *L)
{
    const char *value = lua_type(L, 2) == LUA_TSTRING || lua_type(L, 2) == LUA_TNUMBER ? lua_tostring(L, 2) : nullptr;
    if (Is(prop, "editbox.bm_panel")) {
        ReplaceBitmapApplyingReferenceCounting(&bm_panel, value);
    } else if (Is(prop, "editbox.bm_panel_over")) {
        ReplaceBitmapApplyingReferenceCounting(&bm_panel_over, value);
    } else if (Is(prop, "editbox.bm_cursor")) {
        ReplaceBitmapApplyingReferenceCounting(&bm_cursor, value);
    } else if (Is(prop, "editbox.font")) {
        SetFont(value ? ov->OV_GetFont(value) : nullptr);
    } else if (Is(prop, "editbox.caps_only")) {
        caps_only = lua_type(L, 2) == LUA_TBOOLEAN ? lua_toboolean(L, 2) != 0 : LuaToInt(L, 2) != 0;
    } else if (Is(prop, "editbox.max_chars")) {
        max_chars = LuaToInt(L, 2);
    } else if (Is(prop, "editbox.padding")) {
        padding = LuaToFloat(L, 2);
    } else if (Is(prop, "editbox.text_offset")) {
        text_offset_x = LuaToFloat(L, 2);
        text_offset_y = LuaToFloat(L, 3);
    } else if (Is(prop, "editbox.text_offset.x")) {
        text_offset_x = LuaToFloat(L, 2);
    } else if (Is(prop, "editbox.text_offset.y")) {
        text_offset_y = LuaToFloat(L, 2);
    } else if (Is(prop, "editbox.text_scale")) {
        text_scale = LuaToFloat(L, 2);
    } else if (Is(prop, "editbox.text_color")) {
        text_color.r = LuaToFloat(L, 2);
        text_color.g = LuaToFloat(L, 3);
        text_color.b = LuaToFloat(L, 4);
    } else if (Is(prop, "editbox.text")) {
        if (value) {
            const size_t n = strlen(value);
            if (n < UI_EDITBOX_TEXT_SIZE - 1)
                memcpy(text, value, n + 1);
            cursor = (int)strlen(text);
        }
    } else {
        ov->OV_Popupf(1, "UICompEditbox::SetProperty: Unknown Property '%s'\n", prop);
    }
    return 0;
}

void UICompEditbox::ExportOwn(FILE *f, const UICompEditbox &t)
{
    ExportChangedBitmaps(f, {
        {"editbox.bm_panel", bm_panel, t.bm_panel},
        {"editbox.bm_panel_over", bm_panel_over, t.bm_panel_over},
        {"editbox.bm_cursor", bm_cursor, t.bm_cursor}
    });
    if (font && font != t.font)
        WriteLuaPropertyText(f, "editbox.font", FontName(font));
    if (padding != t.padding)
        fprintf(f, "SetProperty (\"editbox.padding\", %d);\n", SaturatedInt(padding));
    if (max_chars != t.max_chars)
        fprintf(f, "SetProperty (\"editbox.max_chars\", %d);\n", max_chars);
    if (text_offset_x != t.text_offset_x || text_offset_y != t.text_offset_y)
        fprintf(f, "SetProperty (\"editbox.text_offset\", %g, %g);\n", text_offset_x, text_offset_y);
    if (fabsf(text_color.r - t.text_color.r) >= 1e-6f || fabsf(text_color.g - t.text_color.g) >= 1e-6f ||
        fabsf(text_color.b - t.text_color.b) >= 1e-6f)
        fprintf(f, "SetProperty (\"editbox.text_color\", %g, %g, %g);\n", text_color.r, text_color.g, text_color.b);
    if (text_scale != t.text_scale)
        fprintf(f, "SetProperty (\"editbox.text_scale\", %g);\n", text_scale);
    if (caps_only != t.caps_only)
        fprintf(f, "SetProperty (\"editbox.caps_only\", %d);\n", caps_only ? 1 : 0);
}
