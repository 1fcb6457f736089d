// The box kinds' properties (see ui-box-kind.h).
#include "app/ui/widgets/ui-box-kind.h"

#include "app/services/luaman.h"

#include <lua.hpp>
#include <string.h>

int GetBoxProperty(const UIBox &box, const char *prop, lua_State *L)
{
    if (float *side = NamedSide(box, prop, "rect_width", "rect_height")) {
        lua_pushnumber(L, *side);
        return 1;
    }
    ov->OV_Popupf(1, "%s::GetProperty: Unknown Property '%s'\n", box.class_name, prop);
    return 0;
}

int SetBoxProperty(const UIBox &box, UIComp *comp, const char *prop, lua_State *L)
{
    if (float *side = NamedSide(box, prop, "rect_width", "rect_height")) {
        *side = LuaToFloat(L, 2);
        comp->UpdateDimensions();
    } else {
        ov->OV_Popupf(1, "%s::SetProperty: Unknown Property '%s' for UIComp '%s'\n", box.class_name, prop,
                      comp->name ? comp->name : "");
    }
    return 0;
}
