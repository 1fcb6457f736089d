// Script functions of the product features: "FM_ProductFeatureExists",
// "FM_GetProductValue", "FM_UsesPackage".
#include "app/services/featureman.h"
#include "app/services/luaman.h"

namespace {

int luaf_FM_ProductFeatureExists(lua_State *L)
{
    lua_pushboolean(L, feature_man.ProductFeatureExists(lua_tostring(L, 1)));
    return 1;
}

int luaf_FM_GetProductValue(lua_State *L)
{
    const char *value = feature_man.GetProductValue(lua_tostring(L, 1));
    if (value)
        lua_pushstring(L, value);
    else
        lua_pushnil(L);
    return 1;
}

int luaf_FM_UsesPackage(lua_State *L)
{
    lua_pushboolean(L, feature_man.UsesPackage(lua_tostring(L, 1)));
    return 1;
}

const luaL_Reg kFeatureFunctions[] = {
    {"FM_ProductFeatureExists", luaf_FM_ProductFeatureExists},
    {"FM_GetProductValue", luaf_FM_GetProductValue},
    {"FM_UsesPackage", luaf_FM_UsesPackage},
    {nullptr, nullptr},
};

}  // namespace

void RegisterFeatureScriptFunctions()
{
    for (const luaL_Reg *r = kFeatureFunctions; r->name; r++)
        lua_man.AddLuaFunction(r->name, r->func);
}
