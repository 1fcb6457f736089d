// The box kinds' properties (see ui-box-kind.h).
#include "app/ui/widgets/ui-box-kind.h"

#include <lua.hpp>
#include <string.h>

namespace {

// The side a property names ("<word>.rect_width", "<word>.rect_height"), or null.
float *BoxSide(const UIBox &box, const char *prop)
{
    const size_t n = strlen(box.word);
    if (strncmp(prop, box.word, n) != 0 || prop[n] != '.')
        return nullptr;
    if (strcmp(prop + n + 1, "rect_width") == 0)
        return box.width;
    if (strcmp(prop + n + 1, "rect_height") == 0)
        return box.height;
    return nullptr;
}

}  // namespace

int GetBoxProperty(const UIBox &box, const char *prop, lua_State *L)
{
    if (float *side = BoxSide(box, prop)) {
        lua_pushnumber(L, *side);
        return 1;
    }
    ov->OV_Popupf(1, "%s::GetProperty: Unknown Property '%s'\n", box.class_name, prop);
    return 0;
}

int SetBoxProperty(const UIBox &box, UIComp *comp, const char *prop, lua_State *L)
{
    if (float *side = BoxSide(box, prop)) {
        *side = (float)lua_tonumber(L, 2);
        comp->UpdateDimensions();
    } else {
        ov->OV_Popupf(1, "%s::SetProperty: Unknown Property '%s' for UIComp '%s'\n", box.class_name, prop,
                      comp->name ? comp->name : "");
    }
    return 0;
}
