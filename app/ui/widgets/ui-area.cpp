// The marker's and the aligner's area (see ui-area.h).
#include "app/ui/widgets/ui-area.h"

#include "app/services/luaman.h"

#include "app/ui/screen-manager.h"
#include "app/ui/ui-comps.h"

#include <lua.hpp>
#include <math.h>
#include <string.h>

float *NamedSide(const UIArea &area, const char *prop, const char *width_name, const char *height_name)
{
    const size_t n = strlen(area.word);
    if (!prop || strncmp(prop, area.word, n) != 0 || prop[n] != '.')
        return nullptr;
    if (strcmp(prop + n + 1, width_name) == 0)
        return area.width;
    if (strcmp(prop + n + 1, height_name) == 0)
        return area.height;
    return nullptr;
}

int SetAreaProperty(const UIArea &area, UIComp *comp, const char *prop, lua_State *L)
{
    float *field = NamedSide(area, prop, "area_width", "area_height");
    if (field)
        *field = LuaToFloat(L, 2);
    else
        ov->OV_Popupf(1, "%s::SetProperty: Unknown Property '%s' for UIComp '%s'\n", area.class_name, prop,
                      comp->name ? comp->name : "");
    return 0;
}

int GetAreaProperty(const UIArea &area, const char *prop, lua_State *L)
{
    float *field = NamedSide(area, prop, "area_width", "area_height");
    if (field) {
        lua_pushnumber(L, *field);
        return 1;
    }
    ov->OV_Popupf(1, "%s::GetProperty: Unknown Property '%s'\n", area.class_name, prop);
    return 0;
}

void EditResizeArea(const UIArea &area, UIComp *comp)
{
    const vec2_t s = comp->GetStaticPos();
    const float ds = comp->dynamic_scale != 0.0f ? comp->dynamic_scale : 1.0f;
    *area.width = fabsf(mpos.x - s.x) / ds;
    if (comp->align & UIALIGN_HCENTER)
        *area.width *= 2.0f;
    *area.height = fabsf(mpos.y - s.y) / ds;
    if (comp->align & UIALIGN_VCENTER)
        *area.height *= 2.0f;
}

void ExportArea(const UIArea &area, FILE *f, float tmpl_width, float tmpl_height)
{
    if (*area.width != tmpl_width)
        fprintf(f, "SetProperty (\"%s.area_width\", %g);\n", area.word, *area.width);
    if (*area.height != tmpl_height)
        fprintf(f, "SetProperty (\"%s.area_height\", %g);\n", area.word, *area.height);
}

void ApplyAreaDimensions(const UIArea &area, UIComp *comp)
{
    comp->SetScaledSize(*area.width, *area.height);
    if (comp->scale_type == UISCALE_STRETCH_TO_COVER_SCREEN) {
        comp->width = (float)sman.virtual_width;
        comp->height = (float)sman.virtual_height;
    }
}
