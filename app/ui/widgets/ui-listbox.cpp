// The list box (see ui-listbox.h).
#include "app/ui/widgets/ui-listbox.h"

#include "app/services/luaman.h"
#include "app/services/prog.h"
#include "app/services/small-maths.h"
#include "app/ui/screen-manager.h"
#include "app/ui/widgets/ui-widget-frame.h"
#include "ovrecords.h"

#include <lua.hpp>
#include <math.h>
#include <stdarg.h>
#include <stdlib.h>
#include <string.h>

using namespace uiwidget;

namespace {

bool Is(const char *a, const char *b)
{
    return strcmp(a, b) == 0;
}

float Clamp(float v, float lo, float hi)
{
    return v < lo ? lo : v > hi ? hi : v;
}

// A formatted copy (4095 characters at most); null for a null format.
char *Format(const char *format, va_list args)
{
    if (!format)
        return nullptr;
    char buffer[4096];
    vsnprintf(buffer, sizeof buffer, format, args);
    return strdup(buffer);
}

// The icon's scale in a line: the line height less 2 over the bitmap's height, at most
// 1; a bitmap without height counts 1.
float IconScale(const ov_bitmap_t *b, int line_height)
{
    const int bh = BitmapHeight(b);
    if (bh <= 0)
        return 1.0f;
    return Clamp((float)(line_height - 2) / (float)bh, 0.0f, 1.0f);
}

// One step of the smooth scroll toward a distance: dt x 10 x the distance's size
// limited to 0.2..8, in its direction.
float Step(float distance, float dt)
{
    const float step = dt * 10.0f * Clamp(fabsf(distance), 0.2f, 8.0f);
    return distance < 0.0f ? -step : step;
}

// The height the visible lines are counted in: the frame bitmap's, or for a list without
// one (the frame "!NONE" has no pixels) its own content height.
int ViewHeight(const ov_bitmap_t *frame, int content_height)
{
    const int fh = BitmapHeight(frame);
    return fh > 0 ? fh : content_height;
}

}  // namespace

UICompListbox::UICompListbox()
{
    lines.SetShrink(false);
}

UICompListbox::~UICompListbox()
{
    ClearLines();
}

// ---- lines

void UICompListbox::ReleaseLineBitmap(Line &line)
{
    if (line.bitmap && line.bitmap_counted)
        ov->OV_ReleaseBitmap(line.bitmap);
    line.bitmap = nullptr;
    line.bitmap_counted = false;
}

void UICompListbox::WidenIconColumn(const ov_bitmap_t *bitmap)
{
    if (!bitmap)
        return;
    const int column = SaturatedInt(2.0f + (float)BitmapWidth(bitmap) * IconScale(bitmap, line_height));
    if (column > icon_column)
        icon_column = column;
}

int UICompListbox::AddLine()
{
    lines.InsertLast(Line{nullptr, nullptr, nullptr, nullptr, false});
    return lines.Count() - 1;
}

int UICompListbox::AddLine(ov_bitmap_t *bitmap, const char *format, ...)
{
    va_list args;
    va_start(args, format);
    char *text = Format(format, args);
    va_end(args);
    lines.InsertLast(Line{nullptr, bitmap, text ? text : strdup(""), nullptr, false});
    WidenIconColumn(bitmap);
    return lines.Count() - 1;
}

int UICompListbox::SetLineText(int line, const char *format, ...)
{
    if (line < 0 || line >= lines.Count())
        return 0;
    va_list args;
    va_start(args, format);
    char *text = Format(format, args);
    va_end(args);
    free(lines[line].text);
    lines[line].text = text;
    return 1;
}

void UICompListbox::SetLineTextRight(int line, const char *format, ...)
{
    if (line < 0 || line >= lines.Count())
        return;
    va_list args;
    va_start(args, format);
    char *text = Format(format, args);
    va_end(args);
    free(lines[line].text_right);
    lines[line].text_right = text;
}

int UICompListbox::SetLineId(int line, const char *id)
{
    if (line < 0 || line >= lines.Count())
        return 0;
    char *copy = strdup(id ? id : "");
    free(lines[line].id);
    lines[line].id = copy;
    return 1;
}

void UICompListbox::SetLineBitmap(int line, ov_bitmap_t *bitmap)
{
    if (line < 0 || line >= lines.Count())
        return;
    ReleaseLineBitmap(lines[line]);
    lines[line].bitmap = bitmap;
    WidenIconColumn(bitmap);
}

bool UICompListbox::SetLineBitmapCounted(int line, ov_bitmap_t *bitmap)
{
    if (line < 0 || line >= lines.Count())
        return false;
    SetLineBitmap(line, bitmap);
    lines[line].bitmap_counted = bitmap != nullptr;
    return true;
}

UICompListbox::Line *UICompListbox::GetLine(int line)
{
    return line >= 0 && line < lines.Count() ? &lines[line] : nullptr;
}

void UICompListbox::ClearLines()
{
    for (int i = lines.Count() - 1; i >= 0; i--) {
        Line &l = lines[i];
        free(l.id);
        free(l.text);
        free(l.text_right);
        ReleaseLineBitmap(l);
        lines.Remove(i);   // the last one: nothing moves, and the block stays
    }
}

void UICompListbox::SetFont(ov_font_t *new_font)
{
    font = new_font;
    if (font && font->line_height > line_height)
        line_height = font->line_height;
}

// ---- scrolling

int UICompListbox::VisibleLines(int band_height) const
{
    if (line_height <= 0)
        return 0;
    const int v = (band_height - padding_top - padding_bottom) / line_height;
    return v > 0 ? v : 0;
}

void UICompListbox::LimitPendingScroll()
{
    if (!(pending_scroll == pending_scroll))
        pending_scroll = 0.0f;
    const float target = scroll_offset + pending_scroll;
    if (target < -(float)line_height)
        pending_scroll = -scroll_offset;
    else if (target > (float)(line_height + lines.Count()))
        pending_scroll = (float)lines.Count() - scroll_offset;
}

void UICompListbox::ScrollListbox(bool forward)
{
    if (!bm_frame)
        return;
    const float half = (float)(int)((float)VisibleLines(ViewHeight(bm_frame, content_height)) * 0.5f);
    pending_scroll += forward ? half : -half;
    LimitPendingScroll();
}

int UICompListbox::ProcessMouseWheel(float delta)
{
    pending_scroll += delta / 120.0f;
    LimitPendingScroll();
    return 1;
}

int UICompListbox::ProcessKey(int key)
{
    const int count = lines.Count();
    const int v = VisibleLines(content_height);
    switch (key) {
    case 38: selected--; break;
    case 40: selected++; break;
    case 33: selected -= v / 2; break;
    case 34: selected += v / 2; break;
    case 36: selected = 0; break;
    case 35: selected = count - 1; break;
    default: return 0;
    }
    if (selected > count - 1)
        selected = count - 1;
    if (selected < 0)
        selected = 0;
    if ((float)selected < scroll_offset)
        pending_scroll += (float)selected - scroll_offset;
    else if ((float)selected >= scroll_offset + (float)v - 1.0f)
        pending_scroll += (float)selected - (scroll_offset + (float)v - 2.0f);
    LimitPendingScroll();
    return 1;
}

int UICompListbox::ProcessCursorMove(UICursor *, int key, float)
{
    return ProcessKey(key);
}

int UICompListbox::ProcessCursorMove(UICursor *cursor, const vec2_t &p, float)
{
    const float ds = dynamic_scale;
    if (!cursor || !cursor->pressed || dragging || !font || lines.Count() < 1 || !(ds > 0.0f))
        return 1;
    const float local_y = (p.y - GetAlignedPos().y) / ds;
    const int first = scroll_offset > 0.0f ? SaturatedInt(scroll_offset) : 0;
    float top = (float)padding_top - (scroll_offset - (float)first) * (float)line_height;
    const int last = first + VisibleLines(content_height) + 1;
    for (int i = first; i < lines.Count() && i < last; i++) {
        if (local_y >= top && local_y < top + (float)line_height) {
            selected = i;
            break;
        }
        top += (float)line_height;
    }
    return 1;
}

bool UICompListbox::IsLockedByACursor() const
{
    for (int i = 0; i < UI_MAX_CURSORS; i++)
        if (sman.cursors[i].locked == this)
            return true;
    return false;
}

int UICompListbox::ProcessEvent(ov_event_t *event)
{
    if (!event)
        return 0;
    // The press comes before the cursor locks onto the list (the components see an
    // event before the cursors do), so every press starts afresh.
    if (event->type == OV_EVENT_BUTTON_DOWN) {
        press_x = last_x = latest_x = (float)event->x;
        press_y = last_y = latest_y = (float)event->y;
        dragging = false;
        return 1;
    }
    if (!IsLockedByACursor()) {
        dragging = false;
        return 1;
    }
    const float x = (float)event->x, y = (float)event->y;
    if (event->type == OV_EVENT_POINTER_MOVE) {
        if (!ov->OV_GetKeyStatei(OV_KEY_POINTER_BUTTON))
            return 0;
        if (!dragging) {
            if (fabsf(y - press_y) <= 3.0f)
                return 0;
            dragging = true;
            press_x = last_x = latest_x = x;
            press_y = last_y = latest_y = y;
            return 1;
        }
        const float ds = dynamic_scale;
        if (ds > 0.0f && line_height > 0)
            pending_scroll -= (y - last_y) / (float)line_height / ds;
        press_x = latest_x;
        press_y = latest_y;
        last_x = latest_x = x;
        last_y = latest_y = y;
        return 1;
    }
    if (event->type == OV_EVENT_BUTTON_UP && dragging) {
        dragging = false;
        latest_x = x;
        latest_y = y;
        pending_scroll *= 4.0f;
        return 1;
    }
    return 1;
}

void UICompListbox::Update(float dt)
{
    if (!bm_frame)
        return;
    LimitPendingScroll();
    if (pending_scroll != 0.0f) {
        const float step = Step(pending_scroll, dt);
        if (fabsf(step) >= fabsf(pending_scroll)) {
            scroll_offset += pending_scroll;
            pending_scroll = 0.0f;
        } else {
            scroll_offset += step;
            pending_scroll -= step;
        }
    }
    if (dragging)
        return;
    const int count = lines.Count();
    const int v = VisibleLines(ViewHeight(bm_frame, content_height));
    const float last_start = count >= v - 1 ? (float)(count + 1 - v) : 0.0f;
    if (scroll_offset < 0.0f) {
        scroll_offset += Step(-scroll_offset, dt);
        if (scroll_offset > 0.0f)
            scroll_offset = 0.0f;
    } else if (scroll_offset > last_start) {
        scroll_offset += Step(last_start - scroll_offset, dt);
        if (scroll_offset < last_start)
            scroll_offset = last_start;
    }
}

// ---- size and drawing

void UICompListbox::EditUpdate(float)
{
    const float ds = dynamic_scale;
    if (!(ds > 0.0f))
        return;
    const vec2_t s = GetStaticPos();
    float w = fabsf(mpos.x - s.x) / ds, h = fabsf(mpos.y - s.y) / ds;
    if (align & UIALIGN_HCENTER)
        w *= 2.0f;
    if (align & UIALIGN_VCENTER)
        h *= 2.0f;
    content_width = SaturatedInt(w);
    content_height = SaturatedInt(h);
    UpdateDimensions();
}

void UICompListbox::UpdateDimensions()
{
    CalculateDynamicScale();
    if (bm_frame && bm_frame->width > 0) {
        content_width = BitmapWidth(bm_frame);
        content_height = BitmapHeight(bm_frame);
    }
    width = (float)(content_width ? content_width : 16) * dynamic_scale;
    height = (float)(content_height ? content_height : 16) * dynamic_scale;
}

void UICompListbox::ApplyCacheMode(int mode)
{
    ApplyBitmapsCacheMode(this, mode, {bm_selection, bm_frame, bm_frame_top}, bm_frame != nullptr);
}

void UICompListbox::Draw()
{
    UpdateDimensions();
    const vec2_t pos = GetAlignedPos();
    const float alpha = GetStaticAlpha();
    const float ds = dynamic_scale;
    SetDrawState(this, alpha * color.a);
    const bool rotated = PushRotation(this);
    DrawBitmapAt(bm_frame, pos, ds);
    const float band = height - ds * (float)(padding_top + padding_bottom);
    if (font && lines.Count() >= 1 && band > 0.0f && line_height > 0) {
        const int sx = SaturatedInt(pos.x - 10.0f * ds), sy = SaturatedInt(pos.y + ds * (float)padding_top);
        const int sw = SaturatedInt(width + 20.0f * ds), sh = SaturatedInt(band);
        ov->OV_SetScissorRect(sx, sy, sw, sh);
        ov->OV_SetTextAlign(0);
        ov->OV_SetTextTransform(ds, ds, 0.0f);
        ov->OV_SetColor(text_color.r, text_color.g, text_color.b);
        int i = SaturatedInt(scroll_offset);
        float y = pos.y + ds * ((float)padding_top - (scroll_offset - (float)i) * (float)line_height);
        const float x = pos.x + ds * (float)padding_left;
        const float bottom = pos.y + height - ds * (float)padding_bottom;
        const float lh = ds * (float)line_height;
        for (; y < bottom && i < lines.Count(); i++, y += lh) {
            if (i < 0)
                continue;
            const Line &l = lines[i];
            if (i == selected) {
                ov->OV_SetColor(color.r, color.g, color.b);
                if (bm_selection && bm_selection->width > 0)
                    ov->OV_DrawBitmapRS(bm_selection, pos.x + (float)bm_selection->width * ds / 2.0f, y + lh / 2.0f,
                                        0.0f, ds);
                else
                    ov->OV_DrawRect(pos.x, y, (float)sw, lh);
                ov->OV_SetColor(text_color.r, text_color.g, text_color.b);
            }
            float text_x = x;
            if (l.bitmap) {
                const float r = IconScale(l.bitmap, line_height);
                ov->OV_SetColor(color.r, color.g, color.b);
                ov->OV_DrawBitmapRS(l.bitmap, x + (float)icon_column * ds / 2.0f,
                                    y + (float)BitmapHeight(l.bitmap) * ds * r / 2.0f, 0.0f, ds * r);
                ov->OV_SetColor(text_color.r, text_color.g, text_color.b);
                text_x = x + (float)(icon_column + 2) * ds;
            }
            if (l.text)
                ov->OV_DrawTextf(font, text_x, y, "%s", l.text);
            if (l.text_right) {
                ov->OV_SetTextAlign(UIALIGN_RIGHT);
                ov->OV_DrawTextf(font, pos.x + width - (float)padding_right * ds, y, "%s", l.text_right);
                ov->OV_SetTextAlign(0);
            }
        }
        ov->OV_DisableScissorRect();
        ov->OV_SetTextTransform(1.0f, 1.0f, 0.0f);
        ov->OV_SetColor(color.r, color.g, color.b);
    }
    DrawBitmapAt(bm_frame_top, pos, ds);
    PopRotation(rotated);
}

// ---- style and properties

void UICompListbox::InheritOwn(const UICompListbox &t)
{
    bm_frame = t.bm_frame;
    bm_frame_top = t.bm_frame_top;
    bm_selection = t.bm_selection;
    padding_left = t.padding_left;
    padding_right = t.padding_right;
    padding_top = t.padding_top;
    padding_bottom = t.padding_bottom;
    content_width = t.content_width;
    content_height = t.content_height;
    text_color = t.text_color;
    font = t.font;
    line_height = t.line_height;
}

int UICompListbox::GetOwnProperty(const char *prop, lua_State *L)
{
    if (Is(prop, "listbox.selected")) {
        lua_pushnumber(L, selected);
        return 1;
    }
    if (Is(prop, "listbox.bm_frame")) {
        lua_pushstring(L, BitmapName(bm_frame));
        return 1;
    }
    if (Is(prop, "listbox.bm_frame_top")) {
        lua_pushstring(L, BitmapName(bm_frame_top));
        return 1;
    }
    if (Is(prop, "listbox.font")) {
        lua_pushstring(L, FontName(font));
        return 1;
    }
    static const char kLinePrefix[] = "listbox.line[";
    if (strncmp(prop, kLinePrefix, sizeof kLinePrefix - 1) == 0) {
        const long index = strtol(prop + sizeof kLinePrefix - 1, nullptr, 10);
        const Line *l = index >= 0 && index < lines.Count() ? GetLine((int)index) : nullptr;
        if (!l) {
            lua_pushstring(L, "");
            return 1;
        }
        const char *value;
        if (strstr(prop, ".text_right"))
            value = l->text_right;
        else if (strstr(prop, ".id") && !strstr(prop, ".text"))
            value = l->id;
        else
            value = l->text;
        if (value)
            lua_pushstring(L, value);
        else
            lua_pushnil(L);
        return 1;
    }
    ov->OV_Popupf(1, "UICompListbox::GetProperty: Unknown Property '%s'\n", prop);
    return 0;
}

int UICompListbox::SetOwnProperty(const char *prop, lua_State *L)
{
    const char *value = lua_type(L, 2) == LUA_TSTRING || lua_type(L, 2) == LUA_TNUMBER ? lua_tostring(L, 2) : nullptr;
    if (Is(prop, "listbox.selected")) {
        selected = LuaToInt(L, 2);
    } else if (Is(prop, "listbox.text_color")) {
        text_color.r = LuaToFloat(L, 2);
        text_color.g = LuaToFloat(L, 3);
        text_color.b = LuaToFloat(L, 4);
    } else if (Is(prop, "listbox.bm_frame")) {
        ReplaceBitmapApplyingReferenceCounting(&bm_frame, value);
        UpdateDimensions();
    } else if (Is(prop, "listbox.bm_frame_top")) {
        ReplaceBitmapApplyingReferenceCounting(&bm_frame_top, value);
    } else if (Is(prop, "listbox.bm_selection")) {
        ReplaceBitmapApplyingReferenceCounting(&bm_selection, value);
    } else if (Is(prop, "listbox.content_size")) {
        content_width = LuaToInt(L, 2);
        content_height = LuaToInt(L, 3);
        UpdateDimensions();
    } else if (Is(prop, "listbox.font")) {
        SetFont(value ? ov->OV_GetFont(value) : nullptr);
    } else if (Is(prop, "listbox.padding_left")) {
        padding_left = LuaToInt(L, 2);
    } else if (Is(prop, "listbox.padding_right")) {
        padding_right = LuaToInt(L, 2);
    } else if (Is(prop, "listbox.padding_top")) {
        padding_top = LuaToInt(L, 2);
    } else if (Is(prop, "listbox.padding_bottom")) {
        padding_bottom = LuaToInt(L, 2);
    } else {
        ov->OV_Popupf(1, "UICompListbox::SetProperty: Unknown Property '%s'\n", prop);
    }
    return 0;
}

void UICompListbox::ExportOwn(FILE *f, const UICompListbox &t)
{
    if (bm_frame && bm_frame != t.bm_frame && !(bm_frame->name && bm_frame->name[0] == '!'))
        WriteLuaPropertyText(f, "listbox.bm_frame", BitmapName(bm_frame));
    if (content_width != t.content_width || content_height != t.content_height)
        fprintf(f, "SetProperty (\"listbox.content_size\", %d, %d);\n", content_width, content_height);
    if (bm_frame_top && bm_frame_top != t.bm_frame_top)
        WriteLuaPropertyText(f, "listbox.bm_frame_top", BitmapName(bm_frame_top));
    if (bm_selection && bm_selection != t.bm_selection)
        WriteLuaPropertyText(f, "listbox.bm_selection", BitmapName(bm_selection));
    if (font && font != t.font)
        WriteLuaPropertyText(f, "listbox.font", FontName(font));
    const struct {
        const char *property;
        int mine, theirs;
    } paddings[] = {
        {"listbox.padding_left", padding_left, t.padding_left},
        {"listbox.padding_right", padding_right, t.padding_right},
        {"listbox.padding_top", padding_top, t.padding_top},
        {"listbox.padding_bottom", padding_bottom, t.padding_bottom},
    };
    for (const auto &p : paddings)
        if (p.mine != p.theirs)
            fprintf(f, "SetProperty (\"%s\", \"%d\");\n", p.property, p.mine);
}
