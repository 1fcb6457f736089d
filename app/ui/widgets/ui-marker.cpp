// The marker (see ui-marker.h).
#include "app/ui/widgets/ui-marker.h"

#include "app/ui/screen-manager.h"

#include <lua.hpp>
#include <math.h>
#include <string.h>

UICompMarker::UICompMarker()
{
    type = UICOMP_MARKER;
    interactive = false;
}

UIComp *UICompMarker::Clone(const char *clone_name)
{
    UICompMarker *c = NewOfKind();
    c->SetName(clone_name);
    c->type = type;
    c->InheritFrom(this);
    c->area_width = area_width;
    c->area_height = area_height;
    c->template_comp = template_comp;
    c->parent = parent;
    return c;
}

// The area field a property names ("<word>.area_width", "<word>.area_height"), or null.
float *UICompMarker::AreaProperty(const char *prop)
{
    const char *word = PropertyWord();
    const size_t n = strlen(word);
    if (strncmp(prop, word, n) != 0 || prop[n] != '.')
        return nullptr;
    if (strcmp(prop + n + 1, "area_width") == 0)
        return &area_width;
    if (strcmp(prop + n + 1, "area_height") == 0)
        return &area_height;
    return nullptr;
}

void UICompMarker::Update(float) {}

void UICompMarker::Draw()
{
    if (sman.virtual_resize_mode)
        UpdateDimensions();
}

void UICompMarker::EditUpdate(float)
{
    const vec2_t s = GetStaticPos();
    const float ds = dynamic_scale != 0.0f ? dynamic_scale : 1.0f;
    area_width = fabsf(mpos.x - s.x) / ds;
    if (align & UIALIGN_HCENTER)
        area_width *= 2.0f;
    area_height = fabsf(mpos.y - s.y) / ds;
    if (align & UIALIGN_VCENTER)
        area_height *= 2.0f;
    UpdateDimensions();
}

void UICompMarker::ExportLua(FILE *f)
{
    UIComp::ExportLua(f);
    UICompMarker defaults;
    const UICompMarker *t = dynamic_cast<UICompMarker *>(template_comp);
    if (!t)
        t = &defaults;
    if (area_width != t->area_width)
        fprintf(f, "SetProperty (\"%s.area_width\", %g);\n", PropertyWord(), area_width);
    if (area_height != t->area_height)
        fprintf(f, "SetProperty (\"%s.area_height\", %g);\n", PropertyWord(), area_height);
}

int UICompMarker::GetProperty(const char *prop, lua_State *L)
{
    const int n = UIComp::GetProperty(prop, L);
    if (n > 0 || !prop)
        return n;
    float *area = AreaProperty(prop);
    if (area) {
        lua_pushnumber(L, *area);
        return 1;
    }
    ov->OV_Popupf(1, "%s::GetProperty: Unknown Property '%s'\n", ClassName(), prop);
    return 0;
}

// The area changes the size only at the next UpdateDimensions.
int UICompMarker::SetProperty(const char *prop, lua_State *L)
{
    const int n = UIComp::SetProperty(prop, L);
    if (n >= 0 || !prop)
        return n;
    float *area = AreaProperty(prop);
    if (area)
        *area = (float)lua_tonumber(L, 2);
    else
        ov->OV_Popupf(1, "%s::SetProperty: Unknown Property '%s' for UIComp '%s'\n", ClassName(), prop,
                      name ? name : "");
    return 0;
}

bool UICompMarker::InheritFrom(UIComp *tmpl)
{
    if (!UIComp::InheritFrom(tmpl))
        return false;
    UpdateDimensions();
    return true;
}

void UICompMarker::UpdateDimensions()
{
    width = area_width;
    height = area_height;
    CalculateDynamicScale();
    width *= dynamic_scale;
    height *= dynamic_scale;
    if (scale_type == UISCALE_STRETCH_TO_COVER_SCREEN) {
        width = (float)sman.virtual_width;
        height = (float)sman.virtual_height;
    }
}
