// The touch grid (see ui-touchgrid.h).
#include "app/ui/widgets/ui-touchgrid.h"

#include "app/services/luaman.h"
#include "app/services/prog.h"
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

const int kWheelEvent = 4;

bool Is(const char *a, const char *b)
{
    return strcmp(a, b) == 0;
}

float Clamp(float v, float lo, float hi)
{
    return v < lo ? lo : v > hi ? hi : v;
}

bool IntegerFlag(lua_State *L)
{
    if (lua_type(L, 2) == LUA_TBOOLEAN)
        return lua_toboolean(L, 2) != 0;
    return LuaToInt(L, 2) != 0;
}

}  // namespace

// ---- one axis

void UICompTouchGrid::AxisValue::Select(int step)
{
    // A grid of fewer than one step has only step 0.
    const int last = num_steps > 1 ? num_steps - 1 : 0;
    selected = step < 0 ? 0 : step > last ? last : step;
    target_offset = (float)selected * step_size;
}

int UICompTouchGrid::AxisValue::ApplyDrag(float delta)
{
    if (!enabled)
        return 1;
    if (!(delta == delta))
        return 0;
    accumulated = Clamp(accumulated - delta, -1e9f, 1e9f);
    // Steps of no size are never taken.
    if (!(step_size > 0.0f))
        return 0;
    const bool first = steps_moved == 0;
    const float threshold = first ? fminf(step_size / 4.0f, 20.0f) : step_size;
    if (fabsf(accumulated) <= threshold)
        return 0;
    int n = SaturatedInt(accumulated / threshold);
    if (first)
        n = n > 1 ? 1 : n < -1 ? -1 : n;
    steps_moved += n;
    Select((int)Clamp((float)selected + (float)n, -2e9f, 2e9f));
    accumulated -= (float)n * threshold;
    return 1;
}

// ---- the grid

bool UICompTouchGrid::IsPointOverContent(vec2_t p)
{
    const vec2_t pos = GetAlignedPos();
    const float ds = dynamic_scale;
    const float x0 = pos.x - ds * axis_x.current_offset, y0 = pos.y - ds * axis_y.current_offset;
    return p.x >= x0 && p.y >= y0 && p.x < x0 + ds * content_width && p.y < y0 + ds * content_height;
}

void UICompTouchGrid::UnlockSlideGrip()
{
    grip = false;
}

void UICompTouchGrid::OnScreenEnter(Screen *)
{
    UnlockSlideGrip();
}

void UICompTouchGrid::OnScreenLeave(Screen *)
{
    UnlockSlideGrip();
}

int UICompTouchGrid::ProcessEvent(ov_event_t *event)
{
    if (!event)
        return 0;
    if (!IsActive())
        return 1;
    const bool first_pointer = event->index == 0;
    const vec2_t at = {(float)event->x, (float)event->y};
    const float ds = dynamic_scale;
    switch (event->type) {
    case OV_EVENT_BUTTON_DOWN:
        if (!first_pointer)
            return 1;
        if (!IsPointOverContent(at))
            return 0;
        grip = true;
        press_x = current_x = at.x;
        press_y = current_y = at.y;
        for (AxisValue *a : {&axis_x, &axis_y}) {
            a->steps_moved = 0;
            a->accumulated = 0.0f;
        }
        return 1;
    case OV_EVENT_POINTER_MOVE:
    case OV_EVENT_BUTTON_UP:
        if (!first_pointer)
            return 1;
        if (!grip)
            return 0;
        current_x = at.x;
        current_y = at.y;
        // At scale 0 the movement has no size in content units.
        if (ds != 0.0f) {
            if (axis_x.ApplyDrag((at.x - (float)event->prev_x) / ds))
                press_x = current_x;
            if (axis_y.ApplyDrag((at.y - (float)event->prev_y) / ds))
                press_y = current_y;
        }
        if (event->type == OV_EVENT_BUTTON_UP)
            grip = false;
        return 1;
    case kWheelEvent:
        if (!first_pointer)
            return 0;
        axis_y.Select((int)Clamp((float)axis_y.selected - truncf((float)event->wheel / 120.0f), -2e9f, 2e9f));
        return 1;
    default:
        return 0;
    }
}

bool UICompTouchGrid::IsLockedBelow() const
{
    for (int i = 0; i < UI_MAX_CURSORS; i++)
        for (const UIComp *c = sman.cursors[i].locked; c; c = c->parent)
            if (c == this)
                return true;
    return false;
}

void UICompTouchGrid::Update(float dt)
{
    if (grip && owner != sman.PeekScreen(0))
        grip = false;
    if (!IsActive())
        return;
    bool gliding = false;
    for (AxisValue *a : {&axis_x, &axis_y}) {
        if (!a->enabled) {
            a->current_offset = 0.0f;
            continue;
        }
        const float distance = a->target_offset - a->current_offset;
        const float step = dt * Clamp(fabsf(distance), 2.0f, 600.0f) * 0.01f * a->step_size;
        // Steps of no size glide at no speed: the offset goes to its target at once.
        if (!(step > 0.0f) || fabsf(distance) <= step)
            a->current_offset = a->target_offset;
        else
            a->current_offset += distance > 0.0f ? step : -step;
        gliding = gliding || fabsf(a->current_offset - a->target_offset) >= 1.0f;
    }
    if (gliding && IsLockedBelow()) {
        sman.UnlockCursors();
        for (int i = 0; i < UI_MAX_CURSORS; i++)
            sman.cursors[i].locked = &comp_null;
    }
}

void UICompTouchGrid::UpdateDimensions()
{
    content_width = (float)axis_x.num_steps * axis_x.step_size;
    content_height = (float)axis_y.num_steps * axis_y.step_size;
    SetScaledSize(axis_x.step_size, axis_y.step_size);
}

void UICompTouchGrid::EditUpdate(float)
{
    const vec2_t s = GetStaticPos();
    axis_x.step_size = fabsf(mpos.x - s.x);
    if (align & UIALIGN_HCENTER)
        axis_x.step_size *= 2.0f;
    axis_y.step_size = fabsf(mpos.y - s.y);
    if (align & UIALIGN_VCENTER)
        axis_y.step_size *= 2.0f;
    UpdateDimensions();
}

void UICompTouchGrid::Draw()
{
    if (!prog.parms.developer_mode || !(sman.edit_mode || ov->OV_GetKeyStatei(16)))
        return;
    const vec2_t pos = GetAlignedPos();
    const float ds = dynamic_scale;
    SetDrawState(this, alpha * 0.25f * color.a);
    ov->OV_SetColor(0.0f, 0.0f, 0.0f);
    ov->OV_DrawRect(pos.x, pos.y, width, height);
    ov->OV_SetColor(1.0f, 1.0f, 1.0f);
    ov->OV_SetAlpha(0.5f);
    const float x0 = pos.x - ds * axis_x.current_offset, y0 = pos.y - ds * axis_y.current_offset;
    const float cw = ds * content_width, ch = ds * content_height;
    ov->OV_DrawRect(x0, y0, cw, ch);
    for (int i = 1; i < axis_x.num_steps && i < 4096; i++)
        ov->OV_DrawLine(x0 + ds * axis_x.step_size * (float)i, y0, x0 + ds * axis_x.step_size * (float)i, y0 + ch);
    for (int i = 1; i < axis_y.num_steps && i < 4096; i++)
        ov->OV_DrawLine(x0, y0 + ds * axis_y.step_size * (float)i, x0 + cw, y0 + ds * axis_y.step_size * (float)i);
    if (grip)
        ov->OV_DrawLine(press_x, press_y, current_x, current_y);
    if (!overlay_font_)
        overlay_font_ = ov->OV_GetFont("core/console.mft");
    if (overlay_font_)
        ov->OV_DrawTextf(overlay_font_, pos.x, pos.y, "acc %.2f %.2f", axis_x.accumulated, axis_y.accumulated);
    ov->OV_SetColor(1.0f, 1.0f, 1.0f);
}

void UICompTouchGrid::InheritOwn(const UICompTouchGrid &t)
{
    axis_x = t.axis_x;
    axis_y = t.axis_y;
    content_width = t.content_width;
    content_height = t.content_height;
}

int UICompTouchGrid::GetOwnProperty(const char *prop, lua_State *L)
{
    const size_t len = strlen(prop);
    const bool y = len > 0 && prop[len - 1] == 'y';
    const AxisValue &a = y ? axis_y : axis_x;
    if (Is(prop, "touchgrid.selected_step_axis_x") || Is(prop, "touchgrid.selected_step_axis_y")) {
        lua_pushinteger(L, a.selected);
        return 1;
    }
    if (Is(prop, "touchgrid.step_size_axis_x") || Is(prop, "touchgrid.step_size_axis_y")) {
        lua_pushnumber(L, a.step_size);
        return 1;
    }
    if (Is(prop, "touchgrid.num_steps_axis_x") || Is(prop, "touchgrid.num_steps_axis_y")) {
        lua_pushinteger(L, a.num_steps);
        return 1;
    }
    if (Is(prop, "touchgrid.current_offset_x") || Is(prop, "touchgrid.current_offset_y")) {
        lua_pushinteger(L, SaturatedInt(a.current_offset));
        return 1;
    }
    ov->OV_Popupf(1, "UICompTouchGrid::GetProperty: Unknown Property '%s'\n", prop);
    return 0;
}

int UICompTouchGrid::SetOwnProperty(const char *prop, lua_State *L)
{
    const size_t len = strlen(prop);
    AxisValue &a = len > 0 && prop[len - 1] == 'y' ? axis_y : axis_x;
    AxisValue &b = strstr(prop, "_y_instant") ? axis_y : strstr(prop, "_x_instant") ? axis_x : a;
    const int value = LuaToInt(L, 2);
    if (Is(prop, "touchgrid.selected_step_axis_x") || Is(prop, "touchgrid.selected_step_axis_y")) {
        a.Select(value);
    } else if (Is(prop, "touchgrid.offset_selected_step_axis_x") || Is(prop, "touchgrid.offset_selected_step_axis_y")) {
        a.Select((int)Clamp((float)a.selected + (float)value, -2e9f, 2e9f));
    } else if (Is(prop, "touchgrid.selected_step_axis_x_instant") ||
               Is(prop, "touchgrid.selected_step_axis_y_instant")) {
        b.Select(value);
        b.current_offset = b.target_offset;
    } else if (Is(prop, "touchgrid.step_size_axis_x") || Is(prop, "touchgrid.step_size_axis_y")) {
        a.step_size = LuaToFloat(L, 2);
        UpdateDimensions();
    } else if (Is(prop, "touchgrid.num_steps_axis_x") || Is(prop, "touchgrid.num_steps_axis_y")) {
        a.num_steps = value;
        UpdateDimensions();
    } else if (Is(prop, "touchgrid.axis_x_enabled")) {
        axis_x.enabled = IntegerFlag(L);
    } else if (Is(prop, "touchgrid.axis_y_enabled")) {
        axis_y.enabled = IntegerFlag(L);
    } else {
        ov->OV_Popupf(1, "UICompTouchGrid::SetProperty: Unknown Property '%s'\n", prop);
    }
    return 0;
}

void UICompTouchGrid::ExportOwn(FILE *f, const UICompTouchGrid &t)
{
    if (axis_x.enabled != t.axis_x.enabled)
        fprintf(f, "SetProperty (\"touchgrid.axis_x_enabled\", %d);\n", axis_x.enabled ? 1 : 0);
    if (axis_y.enabled != t.axis_y.enabled)
        fprintf(f, "SetProperty (\"touchgrid.axis_y_enabled\", %d);\n", axis_y.enabled ? 1 : 0);
    if (axis_x.num_steps != t.axis_x.num_steps)
        fprintf(f, "SetProperty (\"touchgrid.num_steps_axis_x\", %d);\n", axis_x.num_steps);
    if (axis_y.num_steps != t.axis_y.num_steps)
        fprintf(f, "SetProperty (\"touchgrid.num_steps_axis_y\", %d);\n", axis_y.num_steps);
    if (axis_x.step_size != t.axis_x.step_size)
        fprintf(f, "SetProperty (\"touchgrid.step_size_axis_x\", %d);\n", SaturatedInt(axis_x.step_size));
    if (axis_y.step_size != t.axis_y.step_size)
        fprintf(f, "SetProperty (\"touchgrid.step_size_axis_y\", %d);\n", SaturatedInt(axis_y.step_size));
}
