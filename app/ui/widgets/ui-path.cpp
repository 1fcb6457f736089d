// The path (see ui-path.h).
#include "app/ui/widgets/ui-path.h"

#include "app/services/key-state.h"
#include "app/services/luaman.h"

#include "app/ui/screen-manager.h"
#include "app/ui/widgets/ui-widget-frame.h"

#include <lua.hpp>
#include <math.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

using namespace uiwidget;

namespace {

const char kPointIndexName[] = "path.point[";

// 1 / sqrt(x) from the bit-pattern estimate and one Newton step, on 32-bit words.
float FastInverseSqrt(float x)
{
    uint32_t bits;
    memcpy(&bits, &x, sizeof bits);
    bits = 0x5F3759DFu - (bits >> 1);
    float y;
    memcpy(&y, &bits, sizeof y);
    return y * (1.5f - 0.5f * x * y * y);
}

// Distance from q to the segment a-b: to b past its end, to a before its start, else
// the perpendicular distance.
float SegmentDistance(vec2_t q, vec2_t a, vec2_t b)
{
    const float dx = b.x - a.x, dy = b.y - a.y;
    const float len2 = dx * dx + dy * dy;
    const float along = (q.x - a.x) * dx + (q.y - a.y) * dy;
    if (len2 <= 0.0f || along <= 0.0f)
        return hypotf(q.x - a.x, q.y - a.y);
    if (along >= len2)
        return hypotf(q.x - b.x, q.y - b.y);
    return fabsf((q.x - a.x) * dy - (q.y - a.y) * dx) / sqrtf(len2);
}

void DrawHollowSquare(float cx, float cy, float size)
{
    const float h = size / 2.0f;
    ov->OV_DrawRect(cx - h, cy - h, size, 1.0f);
    ov->OV_DrawRect(cx - h, cy + h - 1.0f, size, 1.0f);
    ov->OV_DrawRect(cx - h, cy - h, 1.0f, size);
    ov->OV_DrawRect(cx + h - 1.0f, cy - h, 1.0f, size);
}

}  // namespace

UICompPath::UICompPath()
{
    points.SetShrink(true);
}

void UICompPath::AddPoint(vec2_t p)
{
    point_t pt;
    pt.x = p.x;
    pt.y = p.y;
    points.InsertLast(pt);
}

void UICompPath::AddPointAtIndex(vec2_t p, int index)
{
    point_t pt;
    pt.x = p.x;
    pt.y = p.y;
    points.Insert(index, pt);
}

void UICompPath::Precalculate()
{
    const int n = points.Count();
    if (n == 0)
        return;
    for (int i = 0; i + 1 < n; i++) {
        const float dx = points[i + 1].x - points[i].x, dy = points[i + 1].y - points[i].y;
        const float len2 = dx * dx + dy * dy;
        if (len2 > 0.0f) {
            const float inv = FastInverseSqrt(len2);
            points[i].dir_x = dx * inv;
            points[i].dir_y = dy * inv;
        } else {
            points[i].dir_x = points[i].dir_y = 0.0f;
        }
    }
    points[n - 1].dir_x = points[n - 1].dir_y = 0.0f;
    double total = 0.0;
    points[0].distance = 0.0f;
    for (int i = 1; i < n; i++) {
        const double dx = (double)points[i].x - points[i - 1].x, dy = (double)points[i].y - points[i - 1].y;
        total += sqrt(dx * dx + dy * dy);
        points[i].distance = (float)total;
    }
    points[0].corner_x = points[0].corner_y = 0.0f;
    points[n - 1].corner_x = points[n - 1].corner_y = 0.0f;
    for (int i = 1; i + 1 < n; i++) {
        points[i].corner_x = (points[i - 1].x + points[i + 1].x) / 2.0f - points[i].x;
        points[i].corner_y = (points[i - 1].y + points[i + 1].y) / 2.0f - points[i].y;
    }
}

float UICompPath::GetLength() const
{
    const int n = points.Count();
    return n ? points[n - 1].distance : 0.0f;
}

vec2_t UICompPath::GetPos(int smooth, float d)
{
    const int n = points.Count();
    const float s = dynamic_scale;
    if (n == 0)
        return {0.0f, 0.0f};
    if (d <= 0.0f)
        return {s * (points[0].x + d * points[0].dir_x), s * (points[0].y + d * points[0].dir_y)};
    int seg = -1;
    for (int i = 0; i + 1 < n; i++) {
        if (points[i + 1].distance >= d) {
            seg = i;
            break;
        }
    }
    if (seg < 0)
        return {s * points[n - 1].x, s * points[n - 1].y};
    const point_t &a = points[seg];
    const point_t &b = points[seg + 1];
    const float e = d - a.distance;
    float x = a.x + e * a.dir_x, y = a.y + e * a.dir_y;
    if (smooth) {
        // A segment of zero length counts as its start (t = 0).
        const float len = b.distance - a.distance;
        const float t = len > 0.0f ? e / len : 0.0f;
        if (t <= 0.5f) {
            const float k = ((1.0f - 2.0f * t) * 0.4f) * ((1.0f - 2.0f * t) * 0.4f);
            x += k * a.corner_x;
            y += k * a.corner_y;
        } else {
            const float k = ((t - 0.5f) * 0.8f) * ((t - 0.5f) * 0.8f);
            x += k * b.corner_x;
            y += k * b.corner_y;
        }
    }
    return {s * x, s * y};
}

float UICompPath::GetAngle(int smooth, float d)
{
    const vec2_t a = GetPos(smooth, d - 5.0f);
    const vec2_t b = GetPos(smooth, d + 5.0f);
    return atan2f(b.y - a.y, b.x - a.x);
}

int UICompPath::GetPointAt(vec2_t p)
{
    const int n = points.Count();
    if (n == 0)
        return -1;
    const vec2_t s = GetStaticPos();
    const float qx = p.x - s.x, qy = p.y - s.y;
    int best = -1;
    float best_d = 0.0f;
    for (int i = 0; i < n; i++) {
        const float d = hypotf(points[i].x - qx, points[i].y - qy);
        if (best < 0 || d < best_d) {
            best = i;
            best_d = d;
        }
    }
    return best_d < 6.0f / dynamic_scale ? best : -1;
}

// The event position in the path's unscaled space around its static position.
vec2_t UICompPath::EditPoint(const ov_event_t *event)
{
    const vec2_t s0 = GetStaticPos();
    const float ds = dynamic_scale != 0.0f ? dynamic_scale : 1.0f;
    return {s0.x + ((float)event->x - s0.x) / ds, s0.y + ((float)event->y - s0.y) / ds};
}

int UICompPath::EditProcessEvent(ov_event_t *event)
{
    if (!event)
        return 0;
    const int n = points.Count();
    if (event->type == OV_EVENT_KEY_DOWN) {
        const int key = event->key;
        if (key == 8) {   // BACKSPACE: the last point goes (nothing on an empty path)
            if (n == 0)
                return 0;
            if (selected_point == n - 1)
                selected_point = -1;
            points.Remove(n - 1);
            Precalculate();
            return 1;
        }
        if (selected_point < 0 || selected_point >= n)
            return 0;
        point_t &p = points[selected_point];
        if (key == 38)
            p.y -= 1.0f;
        else if (key == 40)
            p.y += 1.0f;
        else if (key == 37)
            p.x -= 1.0f;
        else if (key == 39)
            p.x += 1.0f;
        else if (key == 46) {
            points.Remove(selected_point);
            selected_point = -1;
        } else {
            return 0;
        }
        Precalculate();
        return 1;
    }
    if (event->type == OV_EVENT_BUTTON_DOWN && (int8_t)event->index == 0) {
        const vec2_t c = EditPoint(event);
        selected_point = GetPointAt(c);
        if (selected_point >= 0)
            return 1;
        const vec2_t s0 = GetStaticPos();
        const vec2_t q = {c.x - s0.x, c.y - s0.y};
        const float ds = dynamic_scale != 0.0f ? dynamic_scale : 1.0f;
        int at = -1;
        for (int i = 0; i + 1 < n; i++) {
            if (SegmentDistance(q, {points[i].x, points[i].y}, {points[i + 1].x, points[i + 1].y}) < 4.0f / ds) {
                at = i + 1;
                break;
            }
        }
        if (at >= 0)
            AddPointAtIndex(q, at);
        else
            AddPoint(q);
        Precalculate();
        selected_point = GetPointAt(c);
        return 1;
    }
    if (event->type == OV_EVENT_POINTER_MOVE && (int8_t)event->index == 0 &&
        KeyHeld(OV_KEY_POINTER_BUTTON) && selected_point >= 0 && selected_point < n) {
        const vec2_t c = EditPoint(event);
        const vec2_t s0 = GetStaticPos();
        points[selected_point].x = c.x - s0.x;
        points[selected_point].y = c.y - s0.y;
        Precalculate();
        return 1;
    }
    return 0;
}

void UICompPath::EditUpdate(float) {}

void UICompPath::Draw()
{
    if (!sman.edit_mode)
        return;
    const vec2_t pos = GetAlignedPos();
    const float s = dynamic_scale;
    SetDrawState(this, GetStaticAlpha() * color.a);
    const int n = points.Count();
    ov->OV_SetColor(1.0f, 1.0f, 1.0f);
    for (int i = 0; i + 1 < n; i++)
        ov->OV_DrawLine(pos.x + s * points[i].x, pos.y + s * points[i].y, pos.x + s * points[i + 1].x,
                        pos.y + s * points[i + 1].y);
    // The probe: a red mark and heading at a distance that follows the cursor.
    const float d = mpos.x * 0.5f - 40.0f;
    const vec2_t at = GetPos(0, d);
    const float heading = GetAngle(0, d);
    ov->OV_SetColor(1.0f, 0.0f, 0.0f);
    ov->OV_DrawRect(pos.x + at.x - 1.0f, pos.y + at.y - 1.0f, 3.0f, 3.0f);
    ov->OV_DrawLine(pos.x + at.x, pos.y + at.y, pos.x + at.x + 40.0f * cosf(heading),
                    pos.y + at.y + 40.0f * sinf(heading));
    ov->OV_SetColor(0.0f, 1.0f, 0.0f);
    const float length = GetLength();
    for (float t = 0.0f; t < length - 5.0f; t += 5.0f) {
        const vec2_t a = GetPos(1, t), b = GetPos(1, t + 5.0f);
        ov->OV_DrawLine(pos.x + a.x, pos.y + a.y, pos.x + b.x, pos.y + b.y);
    }
    for (int i = 0; i < n; i++) {
        const float cx = pos.x + s * points[i].x, cy = pos.y + s * points[i].y;
        ov->OV_SetAlpha(i == selected_point ? 1.0f : 0.5f);
        DrawHollowSquare(cx, cy, 7.0f);
        if (i == selected_point)
            DrawHollowSquare(cx, cy, 9.0f);
    }
    ov->OV_SetColor(1.0f, 1.0f, 1.0f);
}

// Every point whatever the template has.
void UICompPath::ExportOwn(FILE *f, const UICompPath &)
{
    for (int i = 0; i < points.Count(); i++)
        fprintf(f, "SetProperty (\"path.point\", %g, %g);\n", points[i].x, points[i].y);
}

int UICompPath::GetOwnProperty(const char *prop, lua_State *L)
{
    if (strcmp(prop, "path.num_points") == 0) {
        lua_pushinteger(L, points.Count());
        return 1;
    }
    if (const char *at = strstr(prop, kPointIndexName)) {
        // An index outside the points pushes nothing.
        const long i = strtol(at + sizeof kPointIndexName - 1, nullptr, 10);
        if (i < 0 || i >= points.Count())
            return 0;
        lua_pushnumber(L, points[(int)i].x);
        lua_pushnumber(L, points[(int)i].y);
        return 2;
    }
    ov->OV_Popupf(1, "UICompPath::GetProperty: Unknown Property '%s'\n", prop);
    return 0;
}

int UICompPath::SetOwnProperty(const char *prop, lua_State *L)
{
    if (strcmp(prop, "path.point") == 0)
        AddPoint({LuaToFloat(L, 2), LuaToFloat(L, 3)});
    else if (strcmp(prop, "path.num_points") == 0)
        ;   // accepted and ignored
    else
        ov->OV_Popupf(1, "UICompPath::SetProperty: Unknown Property '%s'\n", prop);
    return 0;
}

void UICompPath::InheritOwn(const UICompPath &t)
{
    if (&t == this)
        return;
    points.Clear();
    for (int i = 0; i < t.points.Count(); i++)
        AddPoint({t.points[i].x, t.points[i].y});
}
