// The touch field (see ui-touchfield.h).
#include "app/ui/widgets/ui-touchfield.h"

#include "app/services/luaman.h"
#include "app/services/prog.h"
#include "app/ui/screen-manager.h"
#include "app/ui/screen.h"
#include "app/ui/widgets/ui-widget-frame.h"
#include "nstring.h"
#include "ovrecords.h"

#include <lua.hpp>
#include <math.h>
#include <string.h>

using namespace uiwidget;

namespace {

const int kWheelEvent = 4;
const char *const kLimitWords[4] = {"SPRING", "STOP", "SMOOTH_STOP", "SMOOTH_DRAG"};

bool Is(const char *a, const char *b)
{
    return strcmp(a, b) == 0;
}

float Clamp(float v, float lo, float hi)
{
    return v < lo ? lo : v > hi ? hi : v;
}

// An integer flag at stack position 2: not 0 (a boolean as itself).
bool IntegerFlag(lua_State *L)
{
    if (lua_type(L, 2) == LUA_TBOOLEAN)
        return lua_toboolean(L, 2) != 0;
    return LuaToInt(L, 2) != 0;
}

// Every cursor lets go, and a locked one is left on the placeholder, so that the
// release clicks nothing.
void CancelCursorClicks()
{
    sman.UnlockCursors();
    for (int i = 0; i < UI_MAX_CURSORS; i++)
        sman.cursors[i].locked = &comp_null;
}

}  // namespace

// ---- one axis

void UICompTouchField::SlidingValue::AddSample()
{
    samples.InsertLast(value);
    while (samples.Count() > 5)
        samples.Remove(0);
}

void UICompTouchField::SlidingValue::BeginDrag()
{
    drag_origin = raw = value;
    jumped = false;
    moved_far = false;
    dragging = true;
    if (fabsf(momentum) < 2.0f)
        velocity = 0.0f;
}

void UICompTouchField::SlidingValue::UpdateSlide(float delta)
{
    if (!dragging || !(delta == delta))
        return;
    jumped = false;
    if (fabsf(delta) > 10.0f)
        moved_far = true;
    const float new_raw = truncf(Clamp(drag_origin + delta, -1e9f, 1e9f));
    const float movement = new_raw - raw;
    if (movement * momentum > 0.0f)
        momentum += movement;
    else
        momentum = movement;
    raw = new_raw;
    AddSample();
    switch (limit_type) {
    case UITOUCH_SPRING: {
        // The rubber band: the overshoot grows ever slower and stops at 50.
        const float below = raw - limit_min, above = raw - limit_max;
        if (below < 0.0f)
            raw = below > -100.0f ? raw + below * below / 200.0f : limit_min - 50.0f;
        else if (above > 0.0f)
            raw = above < 100.0f ? raw - above * above / 200.0f : limit_max + 50.0f;
        value = raw;
        break;
    }
    case UITOUCH_STOP:
        value = Clamp(raw, limit_min, limit_max);
        break;
    case UITOUCH_SMOOTH_DRAG:
        raw = Clamp(raw, limit_min, limit_max);
        break;
    default:
        break;
    }
}

void UICompTouchField::SlidingValue::EndSlide()
{
    moved_far = false;
    if (!dragging)
        return;
    velocity = 0.0f;
    // Without samples or frame time there is no speed to measure.
    if (samples.Count() > 0 && interval > 0.0f) {
        const float last = samples[samples.Count() - 1];
        if (value != last)
            velocity = (value - last) / interval;
        else
            velocity = (value - samples[0]) / (2.0f * interval);
    }
    dragging = false;
}

void UICompTouchField::SlidingValue::Update(float dt)
{
    if (!enabled) {
        value = 0.0f;
        return;
    }
    interval = dt;
    momentum = Clamp(momentum, -10.0f, 10.0f) * powf(2.5e-5f, dt);
    AddSample();
    if (limit_type == UITOUCH_SMOOTH_DRAG) {
        const float step = dt * fabsf(raw - value) * 10.0f;
        if (fabsf(raw - value) <= step)
            value = raw;
        else
            value += raw > value ? step : -step;
    } else if (limit_type == UITOUCH_SPRING || limit_type == UITOUCH_STOP) {
        if (dragging) {
            if (!jumped) {
                jumped = true;
                value = raw;
            }
        } else {
            value += dt * velocity;
            velocity *= fabsf(velocity) < 100.0f ? powf(0.001f, dt) : powf(0.025f, dt);
            if (fabsf(velocity) < 10.0f) {
                velocity = 0.0f;
                value = truncf(Clamp(value + 0.5f, -1e9f, 1e9f));
            }
            if (limit_type == UITOUCH_SPRING) {
                if (value < limit_min) {
                    value = fminf(value + dt * (limit_min - value) * 15.0f, limit_min);
                    velocity *= 0.8f;
                } else if (value > limit_max) {
                    value = fmaxf(value - dt * (value - limit_max) * 15.0f, limit_max);
                    velocity *= 0.8f;
                }
            }
        }
    }
    if (limit_type == UITOUCH_STOP)
        value = Clamp(value, limit_min, limit_max);
}

// ---- the field

void UICompTouchField::SetValueX(float v)
{
    axis_x.value = axis_x.raw = v;
}

void UICompTouchField::SetValueY(float v)
{
    axis_y.value = axis_y.raw = v;
}

void UICompTouchField::SetAreaWidth(float w)
{
    area_width = w;
    UpdateDimensions();
}

void UICompTouchField::SetAreaHeight(float h)
{
    area_height = h;
    UpdateDimensions();
}

void UICompTouchField::SetContentWidth(float w)
{
    content_width = w;
    UpdateDimensions();
}

void UICompTouchField::SetContentHeight(float h)
{
    content_height = h;
    UpdateDimensions();
}

void UICompTouchField::SlideToTargetValueX(float v)
{
    axis_x.raw = v;
    axis_x.EndSlide();
}

void UICompTouchField::SlideToTargetValueY(float v)
{
    axis_y.raw = v;
    axis_y.EndSlide();
}

bool UICompTouchField::IsPointOverContent(vec2_t p)
{
    const vec2_t pos = GetAlignedPos();
    const float ds = dynamic_scale;
    const float x0 = pos.x - ds * axis_x.value, y0 = pos.y - ds * axis_y.value;
    return p.x >= x0 && p.y >= y0 && p.x < x0 + ds * content_width && p.y < y0 + ds * content_height;
}

bool UICompTouchField::IsPointOverViewArea(vec2_t p)
{
    const vec2_t pos = GetAlignedPos();
    const float ds = dynamic_scale;
    return p.x >= pos.x && p.y >= pos.y && p.x < pos.x + ds * area_width && p.y < pos.y + ds * area_height;
}

void UICompTouchField::UnlockSlideGrip()
{
    for (SlidingValue *a : {&axis_x, &axis_y}) {
        if (!a->enabled)
            continue;
        a->EndSlide();
    }
    grip = false;
}

void UICompTouchField::OnScreenEnter(Screen *)
{
    UnlockSlideGrip();
}

void UICompTouchField::OnScreenLeave(Screen *)
{
    UnlockSlideGrip();
}

int UICompTouchField::ProcessEvent(ov_event_t *event)
{
    if (!event)
        return 0;
    const bool first_pointer = event->index == 0;
    const vec2_t at = {(float)event->x, (float)event->y};
    const float ds = dynamic_scale;
    switch (event->type) {
    case OV_EVENT_BUTTON_DOWN:
        if (!first_pointer)
            return 1;
        if (only_inside_view ? !IsPointOverViewArea(at) : !IsPointOverContent(at))
            return 0;
        for (SlidingValue *a : {&axis_x, &axis_y})
            if (a->enabled)
                a->BeginDrag();
        grip = true;
        press_x = current_x = at.x;
        press_y = current_y = at.y;
        return 1;
    case OV_EVENT_POINTER_MOVE:
        if (!first_pointer)
            return 1;
        if (!grip)
            return 0;
        current_x = at.x;
        current_y = at.y;
        // At scale 0 the travel has no size in content units.
        if (ds != 0.0f) {
            if (axis_x.enabled)
                axis_x.UpdateSlide((press_x - current_x) / ds);
            if (axis_y.enabled)
                axis_y.UpdateSlide((press_y - current_y) / ds);
        }
        return 1;
    case OV_EVENT_BUTTON_UP:
        if (!first_pointer)
            return 1;
        if (!grip)
            return 0;
        for (SlidingValue *a : {&axis_x, &axis_y})
            if (a->enabled)
                a->EndSlide();
        current_x = at.x;
        current_y = at.y;
        grip = false;
        return 1;
    case kWheelEvent:
        if (!grip && axis_y.enabled) {
            axis_y.BeginDrag();
            axis_y.UpdateSlide((float)event->wheel / 120.0f);
            axis_y.EndSlide();
        }
        return 0;
    default:
        return 0;
    }
}

void UICompTouchField::Update(float dt)
{
    if (grip && owner != sman.PeekScreen(0))
        UnlockSlideGrip();
    axis_x.Update(dt);
    axis_y.Update(dt);
    if (axis_x.moved_far || axis_y.moved_far)
        CancelCursorClicks();
}

void UICompTouchField::UpdateDimensions()
{
    axis_x.limit_min = 0.0f;
    axis_x.limit_max = fmaxf(content_width - area_width, 0.0f);
    axis_y.limit_min = 0.0f;
    axis_y.limit_max = fmaxf(content_height - area_height, 0.0f);
    SetScaledSize(area_width, area_height);
}

void UICompTouchField::EditUpdate(float)
{
    const vec2_t s = GetStaticPos();
    area_width = fabsf(mpos.x - s.x);
    if (align & UIALIGN_HCENTER)
        area_width *= 2.0f;
    area_height = fabsf(mpos.y - s.y);
    if (align & UIALIGN_VCENTER)
        area_height *= 2.0f;
    UpdateDimensions();
}

void UICompTouchField::Draw()
{
    if (!prog.parms.developer_mode || !(sman.edit_mode || ov->OV_GetKeyStatei(16)))
        return;
    const vec2_t pos = GetAlignedPos();
    const float ds = dynamic_scale;
    SetDrawState(this, alpha * color.a);
    ov->OV_SetColor(0.0f, 0.0f, 0.0f);
    ov->OV_DrawRect(pos.x, pos.y, width, height);
    ov->OV_SetColor(1.0f, 1.0f, 1.0f);
    ov->OV_SetAlpha(0.75f);
    ov->OV_DrawRect(pos.x - ds * axis_x.value, pos.y - ds * axis_y.value, ds * content_width, ds * content_height);
    ov->OV_SetAlpha(alpha * color.a);
    if (grip)
        ov->OV_DrawLine(press_x, press_y, current_x, current_y);
    ov->OV_SetColor(1.0f, 0.0f, 0.0f);
    ov->OV_DrawLine(press_x, press_y, press_x + 2.0f * axis_x.momentum, press_y + 2.0f * axis_y.momentum);
    ov->OV_SetColor(1.0f, 1.0f, 1.0f);
    if (!overlay_font_)
        overlay_font_ = ov->OV_GetFont("core/console.mft");
    if (overlay_font_)
        ov->OV_DrawTextf(overlay_font_, pos.x, pos.y, "vel %.2f", axis_y.velocity);
}

void UICompTouchField::InheritOwn(const UICompTouchField &t)
{
    area_width = t.area_width;
    area_height = t.area_height;
    content_width = t.content_width;
    content_height = t.content_height;
    only_inside_view = t.only_inside_view;
    if (&t != this) {
        axis_x = t.axis_x;
        axis_y = t.axis_y;
    }
}

int UICompTouchField::GetOwnProperty(const char *prop, lua_State *L)
{
    if (Is(prop, "touchfield.value_x") || Is(prop, "touchfield.value_y")) {
        lua_pushnumber(L, prop[17] == 'x' ? axis_x.value : axis_y.value);
        return 1;
    }
    if (Is(prop, "touchfield.values")) {
        lua_pushnumber(L, axis_x.value);
        lua_pushnumber(L, axis_y.value);
        return 2;
    }
    if (Is(prop, "touchfield.area_width") || Is(prop, "touchfield.area_height")) {
        lua_pushnumber(L, Is(prop, "touchfield.area_width") ? area_width : area_height);
        return 1;
    }
    if (Is(prop, "touchfield.content_width") || Is(prop, "touchfield.content_height")) {
        lua_pushnumber(L, Is(prop, "touchfield.content_width") ? content_width : content_height);
        return 1;
    }
    if (Is(prop, "touchfield.limits_x") || Is(prop, "touchfield.limits_y")) {
        const SlidingValue &a = Is(prop, "touchfield.limits_x") ? axis_x : axis_y;
        lua_pushnumber(L, a.limit_min);
        lua_pushnumber(L, a.limit_max);
        return 2;
    }
    ov->OV_Popupf(1, "UICompTouchField::GetProperty: Unknown Property '%s'\n", prop);
    return 0;
}

int UICompTouchField::SetOwnProperty(const char *prop, lua_State *L)
{
    const float v = LuaToFloat(L, 2);
    if (Is(prop, "touchfield.value_x")) {
        SetValueX(v);
    } else if (Is(prop, "touchfield.value_y")) {
        SetValueY(v);
    } else if (Is(prop, "touchfield.target_value_x")) {
        SlideToTargetValueX(v);
    } else if (Is(prop, "touchfield.target_value_y")) {
        SlideToTargetValueY(v);
    } else if (Is(prop, "touchfield.area_width")) {
        SetAreaWidth(v);
    } else if (Is(prop, "touchfield.area_height")) {
        SetAreaHeight(v);
    } else if (Is(prop, "touchfield.content_width")) {
        SetContentWidth(v);
    } else if (Is(prop, "touchfield.content_height")) {
        SetContentHeight(v);
    } else if (Is(prop, "touchfield.axis_x_enabled")) {
        axis_x.enabled = IntegerFlag(L);
    } else if (Is(prop, "touchfield.axis_y_enabled")) {
        axis_y.enabled = IntegerFlag(L);
    } else if (Is(prop, "touchfield.limits_x") || Is(prop, "touchfield.limits_y")) {
        SlidingValue &a = Is(prop, "touchfield.limits_x") ? axis_x : axis_y;
        const float hi = LuaToFloat(L, 3);
        a.limit_min = v;
        a.limit_max = hi > v ? hi : v;
    } else if (Is(prop, "touchfield.limit_type")) {
        const char *word = lua_type(L, 2) == LUA_TSTRING ? lua_tostring(L, 2) : nullptr;
        int kind = UITOUCH_SPRING;
        for (int i = 0; i < 4; i++)
            if (word && strcmp(word, kLimitWords[i]) == 0)  // as written: "stop" is another word
                kind = i;
        axis_x.limit_type = axis_y.limit_type = kind;
    } else if (Is(prop, "touchfield.allow_dragging_only_inside_view_area")) {
        only_inside_view = LuaToFlag(L, 2);
    } else {
        ov->OV_Popupf(1, "UICompTouchField::SetProperty: Unknown Property '%s'\n", prop);
    }
    return 0;
}

void UICompTouchField::ExportOwn(FILE *f, const UICompTouchField &t)
{
    if (only_inside_view != t.only_inside_view)
        fprintf(f, "SetProperty (\"touchfield.allow_dragging_only_inside_view_area\", %s);\n",
                only_inside_view ? "true" : "false");
    if (area_width != t.area_width)
        fprintf(f, "SetProperty (\"touchfield.area_width\", %g);\n", area_width);
    if (area_height != t.area_height)
        fprintf(f, "SetProperty (\"touchfield.area_height\", %g);\n", area_height);
    if (content_width != t.content_width)
        fprintf(f, "SetProperty (\"touchfield.content_width\", %g);\n", content_width);
    if (content_height != t.content_height)
        fprintf(f, "SetProperty (\"touchfield.content_height\", %g);\n", content_height);
    if (axis_x.enabled != t.axis_x.enabled)
        fprintf(f, "SetProperty (\"touchfield.axis_x_enabled\", %d);\n", axis_x.enabled ? 1 : 0);
    if (axis_y.enabled != t.axis_y.enabled)
        fprintf(f, "SetProperty (\"touchfield.axis_y_enabled\", %d);\n", axis_y.enabled ? 1 : 0);
    if (axis_x.limit_type != t.axis_x.limit_type) {
        const int k = axis_x.limit_type >= 0 && axis_x.limit_type < 4 ? axis_x.limit_type : 0;
        fprintf(f, "SetProperty (\"touchfield.limit_type\", \"%s\");\n", kLimitWords[k]);
    }
}
