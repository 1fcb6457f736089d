// Component geometry: where a component is on the virtual screen, its depth, centre
// and bounding size, the inherited alpha, angle and scale, hit tests, the view test,
// the state tests, the dynamic scale and the conversion of position types.
#include "app/ui/ui-comps.h"

#include "app/ui/ui-comps-internal.h"
#include "app/ui/widgets/ui-touchfield.h"
#include "app/ui/widgets/ui-touchgrid.h"

#include <math.h>

namespace {

const float kAngleEpsilon = 1e-6f;

// The position part along one axis: size x (position + offset), with the position
// rounded to whole units first when snapping.
float Relative(float size, float pos, float offset, bool snap)
{
    if (snap)
        return (float)(int)(0.5f + size * pos) + size * offset;
    return size * (pos + offset);
}

}  // namespace

vec2_t UIComp::GetStaticPos()
{
    vec2_t p;
    if (parent) {
        p = parent->GetStaticPos();
        // Children of a scroll area move with its content, by whole units.
        if (parent->type == UICOMP_TOUCHFIELD) {
            if (UICompTouchField *field = dynamic_cast<UICompTouchField *>(parent)) {
                p.x -= truncf(field->axis_x.value) * parent->dynamic_scale;
                p.y -= truncf(field->axis_y.value) * parent->dynamic_scale;
            }
        } else if (parent->type == UICOMP_TOUCHGRID) {
            if (UICompTouchGrid *grid = dynamic_cast<UICompTouchGrid *>(parent)) {
                p.x -= truncf(grid->axis_x.current_offset) * parent->dynamic_scale;
                p.y -= truncf(grid->axis_y.current_offset) * parent->dynamic_scale;
            }
        }
        if (parent_anchor & UIALIGN_HCENTER)
            p.x += parent->width / 2.0f;
        if (parent_anchor & UIALIGN_RIGHT)
            p.x += parent->width;
        if (parent_anchor & UIALIGN_VCENTER)
            p.y += parent->height / 2.0f;
        if (parent_anchor & UIALIGN_BOTTOM)
            p.y += parent->height;
        if (position_type == UIPOS_RELATIVE_TO_SCREEN || position_type == UIPOS_RELATIVE_TO_PARENT) {
            const bool screen = position_type == UIPOS_RELATIVE_TO_SCREEN;
            const float w = screen ? (float)uiview::W() : parent->width;
            const float h = screen ? (float)uiview::H() : parent->height;
            p.x += Relative(w, position_x, position_offset_x, snap_position_to_pixels);
            p.y += Relative(h, position_y, position_offset_y, snap_position_to_pixels);
        } else {
            p.x += position_x + position_offset_x;
            p.y += position_y + position_offset_y;
        }
        return RotateByParent(p);
    }
    const bool virtual_origin = screen_origin == UIORIGIN_VIRTUAL;
    p.x = virtual_origin ? uiview::X() : 0.0f;
    p.y = virtual_origin ? uiview::Y() : 0.0f;
    if (position_type == UIPOS_RELATIVE_TO_SCREEN || position_type == UIPOS_RELATIVE_TO_PARENT) {
        p.x += Relative((float)uiview::W(), position_x, position_offset_x, snap_position_to_pixels);
        p.y += Relative((float)uiview::H(), position_y, position_offset_y, snap_position_to_pixels);
    } else {
        p.x += position_x + position_offset_x;
        p.y += position_y + position_offset_y;
    }
    const int w = virtual_origin ? uiview::W() : uiview::ProgramW();
    const int h = virtual_origin ? uiview::H() : uiview::ProgramH();
    if (parent_anchor & UIALIGN_HCENTER)
        p.x += (float)(w / 2);
    if (parent_anchor & UIALIGN_RIGHT)
        p.x += (float)w;
    if (parent_anchor & UIALIGN_VCENTER)
        p.y += (float)(h / 2);
    if (parent_anchor & UIALIGN_BOTTOM)
        p.y += (float)h;
    return p;
}

vec2_t UIComp::RotateByParent(vec2_t p)
{
    if (!parent || !inherit_angle)
        return p;
    const vec2_t c = parent->GetStaticPos();
    const float a = parent->GetStaticAngle();
    const float dx = p.x - c.x, dy = p.y - c.y;
    const float ca = cosf(a), sa = sinf(a);
    return vec2_t{c.x + dx * ca - dy * sa, c.y + dy * ca + dx * sa};
}

float UIComp::GetStaticPosZ()
{
    float z = (position_z + position_offset_z) * (float)uiview::H();
    if (parent)
        z += parent->GetStaticPosZ();
    return z;
}

vec2_t UIComp::GetAlignedPos()
{
    vec2_t p = GetStaticPos();
    if (align & UIALIGN_HCENTER)
        p.x -= width / 2.0f;
    if (align & UIALIGN_RIGHT)
        p.x -= width;
    if (align & UIALIGN_VCENTER)
        p.y -= height / 2.0f;
    if (align & UIALIGN_BOTTOM)
        p.y -= height;
    return p;
}

// A rotated component turns about its static position, so the alignment moves the
// centre along the rotated axes.
vec2_t UIComp::GetCenterPos()
{
    const float a = GetStaticAngle();
    if (fabsf(a) < kAngleEpsilon) {
        vec2_t p = GetAlignedPos();
        return vec2_t{p.x + width / 2.0f, p.y + height / 2.0f};
    }
    const vec2_t p = GetStaticPos();
    const float c = cosf(a), s = sinf(a);
    vec2_t r{p.x + (width * c - height * s) / 2.0f, p.y + (width * s + height * c) / 2.0f};
    if (align & UIALIGN_HCENTER) {
        r.x -= width * c / 2.0f;
        r.y -= width * s / 2.0f;
    }
    if (align & UIALIGN_RIGHT) {
        r.x -= width * c;
        r.y -= width * s;
    }
    if (align & UIALIGN_VCENTER) {
        r.x -= -height * s / 2.0f;
        r.y -= height * c / 2.0f;
    }
    if (align & UIALIGN_BOTTOM) {
        r.x -= -height * s;
        r.y -= height * c;
    }
    return r;
}

vec2_t UIComp::GetBoundingRectangleSize()
{
    const float a = GetStaticAngle();
    const float c = fabsf(cosf(a)), s = fabsf(sinf(a));
    return vec2_t{width * c + height * s, height * c + width * s};
}

float UIComp::GetStaticAlpha()
{
    float a = alpha;
    if (parent)
        a *= parent->GetStaticAlpha();
    return a * fading_akey;
}

float UIComp::GetStaticAngle()
{
    if (parent && inherit_angle)
        return angle + parent->GetStaticAngle();
    return angle;
}

float UIComp::GetStaticScale()
{
    if (parent && inherit_scale)
        return scale * parent->GetStaticScale();
    return scale;
}

float UIComp::GetDynamicScale()
{
    return dynamic_scale;
}

// The component's place in its parent's rotated frame: its static position relative
// to the parent's, turned back by the parent's angle. A given point is mapped the same
// way (screen to object) or back (object to screen), so the two are inverses.
vec2_t UIComp::MapScreenSpacePointToObjectSpace(vec2_t p)
{
    if (!parent || !inherit_angle)
        return p;
    const vec2_t c = parent->GetStaticPos();
    const float a = -parent->GetStaticAngle();
    const float dx = p.x - c.x, dy = p.y - c.y;
    return vec2_t{dx * cosf(a) - dy * sinf(a), dy * cosf(a) + dx * sinf(a)};
}

vec2_t UIComp::MapObjectSpacePointToScreenSpace(vec2_t p)
{
    if (!parent || !inherit_angle)
        return p;
    const vec2_t c = parent->GetStaticPos();
    const float a = parent->GetStaticAngle();
    return vec2_t{c.x + p.x * cosf(a) - p.y * sinf(a), c.y + p.y * cosf(a) + p.x * sinf(a)};
}

bool UIComp::IsPointOver(const vec2_t &p)
{
    const float a = GetStaticAngle();
    if (fabsf(a) < kAngleEpsilon) {
        const vec2_t q = GetAlignedPos();
        return q.x <= p.x && p.x <= q.x + width && q.y <= p.y && p.y <= q.y + height;
    }
    const vec2_t s = GetStaticPos();
    const float dx = p.x - s.x, dy = p.y - s.y;
    const float c = cosf(-a), sn = sinf(-a);
    float lx = dx * c - dy * sn;
    float ly = dy * c + dx * sn;
    if (align & UIALIGN_HCENTER)
        lx += width / 2.0f;
    if (align & UIALIGN_VCENTER)
        ly += height / 2.0f;
    if (align & UIALIGN_RIGHT)
        lx += width;
    if (align & UIALIGN_BOTTOM)
        ly += height;
    return 0.0f <= lx && lx <= width && 0.0f <= ly && ly <= height;
}

bool UIComp::IsPointOverExpandedArea(const vec2_t &p, float margin)
{
    const float m = margin * dynamic_scale;
    for (int j = -1; j <= 1; j++)
        for (int i = -1; i <= 1; i++)
            if (IsPointOver(vec2_t{p.x - (float)i * m, p.y - (float)j * m}))
                return true;
    return false;
}

bool UIComp::IsInView()
{
    vec2_t pos, size;
    if (fabsf(GetStaticAngle()) < kAngleEpsilon) {
        pos = GetAlignedPos();
        size = vec2_t{width, height};
    } else {
        size = GetBoundingRectangleSize();
        const vec2_t c = GetCenterPos();
        pos = vec2_t{c.x - size.x / 2.0f, c.y - size.y / 2.0f};
    }
    const float vx = uiview::X(), vy = uiview::Y();
    if (pos.x + size.x < vx || pos.y + size.y < vy)
        return false;
    if (pos.x > vx + (float)uiview::W() || pos.y > vy + (float)uiview::H())
        return false;
    return true;
}

bool UIComp::IsVisible()
{
    if (!visible || (fading && fading_akey <= 0.0f) || !features_present)
        return false;
    return !parent || parent->IsVisible();
}

bool UIComp::IsActive()
{
    if (!active || fading)
        return false;
    return !parent || parent->IsActive();
}

bool UIComp::IsInteractive()
{
    return interactive && IsVisible() && IsActive();
}

// Scale types 1 and 2 with a side of 0 or less keep the factor 1.
void UIComp::CalculateDynamicScale()
{
    const float vw = (float)uiview::W(), vh = (float)uiview::H();
    screen_factor = 1.0f;
    switch (scale_type) {
    case UISCALE_FIT_INSIDE_SCREEN:
        if (width > 0.0f && height > 0.0f)
            screen_factor = fminf(vw / width, vh / height);
        break;
    case UISCALE_FIT_TO_COVER_SCREEN:
        if (width > 0.0f && height > 0.0f)
            screen_factor = fmaxf(vw / width, vh / height);
        break;
    case UISCALE_RELATIVE_TO_SCREEN_WIDTH:
        screen_factor = uiview::ScaleX();
        break;
    case UISCALE_RELATIVE_TO_SCREEN_HEIGHT:
        screen_factor = uiview::ScaleY();
        break;
    case UISCALE_RELATIVE_TO_SCREEN_SIZE:
        screen_factor = uiview::ScaleMin();
        break;
    case UISCALE_RELATIVE_TO_PARENT:
        screen_factor = parent ? parent->screen_factor : uiview::ScaleMin();
        break;
    default:
        break;
    }
    dynamic_scale = GetStaticScale() * screen_factor;
}

void UIComp::SetScaledSize(float w, float h)
{
    width = w;
    height = h;
    CalculateDynamicScale();
    width *= dynamic_scale;
    height *= dynamic_scale;
}

void UIComp::ConvertPositionType(int new_type)
{
    const float vw = (float)uiview::W(), vh = (float)uiview::H();
    float x = position_x, y = position_y;
    if (position_type == UIPOS_RELATIVE_TO_PARENT && parent) {
        x *= parent->width;
        y *= parent->height;
    } else if (position_type == UIPOS_RELATIVE_TO_SCREEN || position_type == UIPOS_RELATIVE_TO_PARENT) {
        x *= vw;
        y *= vh;
    }
    position_type = new_type;
    if (new_type == UIPOS_RELATIVE_TO_PARENT && parent && parent->width > 0.0f && parent->height > 0.0f) {
        x /= parent->width;
        y /= parent->height;
    } else if (new_type == UIPOS_RELATIVE_TO_SCREEN || new_type == UIPOS_RELATIVE_TO_PARENT) {
        x /= vw;
        y /= vh;
    }
    position_x = x;
    position_y = y;
}
