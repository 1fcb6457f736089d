// The rectangle (see ui-rectangle.h).
#include "app/ui/widgets/ui-rectangle.h"

#include "app/services/luaman.h"

#include "app/ui/screen-manager.h"

#include <lua.hpp>
#include <math.h>
#include <string.h>

UICompRectangle::UICompRectangle()
{
    type = UICOMP_RECTANGLE;
    interactive = false;
}

UIComp *UICompRectangle::Clone(const char *clone_name)
{
    UICompRectangle *c = new UICompRectangle();
    c->SetName(clone_name);
    c->type = type;
    c->InheritFrom(this);
    c->template_comp = template_comp;
    c->parent = parent;
    return c;
}

void UICompRectangle::Update(float) {}

void UICompRectangle::Draw()
{
    if (sman.virtual_resize_mode)
        UpdateDimensions();
    const vec2_t pos = GetAlignedPos();
    const float a = GetStaticAlpha();
    if (a <= 0.0f)
        return;
    const float angle_now = GetStaticAngle();
    const bool rotated = fabsf(angle_now) >= 1e-6f;
    if (rotated) {
        const vec2_t s = GetStaticPos();
        const float c = cosf(angle_now), sn = sinf(angle_now);
        // Translate to s, rotate, translate back: x' = s + R (x - s).
        nTransform t = {{c, -sn, 0.0f, s.x - c * s.x + sn * s.y,
                         sn, c, 0.0f, s.y - sn * s.x - c * s.y,
                         0.0f, 0.0f, 1.0f, 0.0f,
                         0.0f, 0.0f, 0.0f, 1.0f}};
        ov->OV_PushTransform(&t);
    }
    ov->OV_SetColor(color.r, color.g, color.b);
    ov->OV_SetAlpha(a * color.a);
    ov->OV_SetBlend(blend_mode);
    ov->OV_SetPixelFilter(pixel_filter);
    if (rect_width > 0.0f && rect_height > 0.0f)
        ov->OV_DrawRect(pos.x, pos.y, width, height);
    if (rotated)
        ov->OV_PopTransform();
}

void UICompRectangle::EditUpdate(float)
{
    const vec2_t s = GetStaticPos();
    rect_width = fabsf(mpos.x - s.x);
    if (align & UIALIGN_HCENTER)
        rect_width *= 2.0f;
    rect_height = fabsf(mpos.y - s.y);
    if (align & UIALIGN_VCENTER)
        rect_height *= 2.0f;
    width = rect_width;
    height = rect_height;
    UpdateDimensions();
}

void UICompRectangle::ExportLua(FILE *f)
{
    UIComp::ExportLua(f);
    UICompRectangle defaults;
    const UICompRectangle *t = dynamic_cast<UICompRectangle *>(template_comp);
    if (!t)
        t = &defaults;
    if (rect_width != t->rect_width)
        fprintf(f, "SetProperty (\"rectangle.rect_width\", \"%g\");\n", rect_width);
    if (rect_height != t->rect_height)
        fprintf(f, "SetProperty (\"rectangle.rect_height\", \"%g\");\n", rect_height);
}

int UICompRectangle::GetProperty(const char *prop, lua_State *L)
{
    const int n = UIComp::GetProperty(prop, L);
    if (n > 0 || !prop)
        return n;
    if (strcmp(prop, "rectangle.rect_width") == 0) {
        lua_pushnumber(L, rect_width);
        return 1;
    }
    if (strcmp(prop, "rectangle.rect_height") == 0) {
        lua_pushnumber(L, rect_height);
        return 1;
    }
    ov->OV_Popupf(1, "UICompRectangle::GetProperty: Unknown Property '%s'\n", prop);
    return 0;
}

int UICompRectangle::SetProperty(const char *prop, lua_State *L)
{
    const int n = UIComp::SetProperty(prop, L);
    if (n >= 0 || !prop)
        return n;
    if (strcmp(prop, "rectangle.rect_width") == 0) {
        rect_width = LuaToFloat(L, 2);
        UpdateDimensions();
    } else if (strcmp(prop, "rectangle.rect_height") == 0) {
        rect_height = LuaToFloat(L, 2);
        UpdateDimensions();
    } else {
        ov->OV_Popupf(1, "UICompRectangle::SetProperty: Unknown Property '%s' for UIComp '%s'\n", prop,
                      name ? name : "");
    }
    return 0;
}

bool UICompRectangle::InheritFrom(UIComp *tmpl)
{
    if (!UIComp::InheritFrom(tmpl))
        return false;
    if (UICompRectangle *t = dynamic_cast<UICompRectangle *>(tmpl)) {
        rect_width = t->rect_width;
        rect_height = t->rect_height;
    }
    UpdateDimensions();
    return true;
}

void UICompRectangle::UpdateDimensions()
{
    width = scale * rect_width;
    height = scale * rect_height;
    if (width == 0.0f)
        width = 16.0f;
    if (height == 0.0f)
        height = 16.0f;
    CalculateDynamicScale();
    width *= dynamic_scale;
    height *= dynamic_scale;
    if (scale_type == UISCALE_STRETCH_TO_COVER_SCREEN) {
        width = (float)sman.virtual_width;
        height = (float)sman.virtual_height;
    }
}
