// Script functions of the profiles: they act on the active profile (`prof`) and on the
// profile manager. Arguments are read without raising (a missing or non-string text
// counts as null, a missing number as 0), and no object with a destructor lives across a
// Lua call, since Lua errors unwind by longjmp. Without an active profile the value
// functions do nothing and answer as for a missing value.
#include "app/services/luaman.h"
#include "app/services/profiles.h"

#include <limits.h>
#include <stdio.h>

namespace {

int PushStringOrNothing(lua_State *L, const char *text)
{
    if (!text)
        return 0;
    lua_pushstring(L, text);
    return 1;
}

int luaf_AddProfile(lua_State *L)
{
    int index = -1;
    {
        nString name = ProfileManager::TrimProfileName(lua_tostring(L, 1));
        if (Profile *p = profile_man().CreateNewProfile()) {
            p->SetName(name.Get() ? name.Get() : "");
            profile_man().SetActiveProfile(p);
            index = profile_man().GetProfileIndex(p);
        }
    }
    lua_pushnumber(L, index);
    return 1;
}

int luaf_SetProfile(lua_State *L)
{
    lua_pushboolean(L, profile_man().SetActiveProfile(LuaToInt(L, 1)));
    return 1;
}

int luaf_GetProfile(lua_State *L)
{
    lua_pushnumber(L, profile_man().GetProfileIndex(prof));
    return 1;
}

int luaf_DeleteProfile(lua_State *L)
{
    if (Profile *p = profile_man().GetProfileByIndex(LuaToInt(L, 1)))
        profile_man().DeleteProfile(p);
    return 0;
}

int luaf_IsProfileNameValid(lua_State *L)
{
    lua_pushboolean(L, profile_man().IsProfileNameValid(lua_tostring(L, 1)));
    return 1;
}

int luaf_GetNumberOfProfiles(lua_State *L)
{
    lua_pushinteger(L, profile_man().GetNumberOfProfiles());
    return 1;
}

int luaf_GetProfileValue(lua_State *L)
{
    return PushStringOrNothing(L, prof ? prof->GetValue(lua_tostring(L, 1), lua_tostring(L, 2), lua_tostring(L, 3)) : nullptr);
}

int luaf_ProfileValueExists(lua_State *L)
{
    lua_pushboolean(L, prof && prof->GetValue(lua_tostring(L, 1), lua_tostring(L, 2), lua_tostring(L, 3)) != nullptr);
    return 1;
}

int luaf_ProfileTagExists(lua_State *L)
{
    lua_pushboolean(L, prof && prof->GetValue(lua_tostring(L, 1), lua_tostring(L, 2), "tag") != nullptr);
    return 1;
}

int luaf_SetProfileValue(lua_State *L)
{
    if (prof)
        prof->SetValue(lua_tostring(L, 1), lua_tostring(L, 2), lua_tostring(L, 3), lua_tostring(L, 4));
    return 0;
}

int luaf_AddProfileTag(lua_State *L)
{
    if (prof)
        prof->AddTag(lua_tostring(L, 1), lua_tostring(L, 2));
    return 0;
}

// Also registered as "RemoveProfileTag": both remove the whole node.
int luaf_RemoveProfileValue(lua_State *L)
{
    lua_pushboolean(L, prof && prof->RemoveValue(lua_tostring(L, 1), lua_tostring(L, 2)));
    return 1;
}

int luaf_RemoveProfileCategory(lua_State *L)
{
    lua_pushboolean(L, prof && prof->RemoveCategory(lua_tostring(L, 1)));
    return 1;
}

int luaf_IsProfileValueAcknowledged(lua_State *L)
{
    lua_pushboolean(L, prof && prof->IsAcknowledged(lua_tostring(L, 1), lua_tostring(L, 2)));
    return 1;
}

int luaf_SetProfileValueAcknowledged(lua_State *L)
{
    if (prof)
        prof->SetAcknowledged(lua_tostring(L, 1), lua_tostring(L, 2), LuaToFlag(L, 3));
    return 0;
}

int luaf_SaveProfiles(lua_State *)
{
    profile_man().SaveProfiles();
    return 0;
}

int luaf_LoadProfiles(lua_State *)
{
    profile_man().LoadProfiles();
    return 0;
}

int luaf_GetValueNameByIndex(lua_State *L)
{
    return PushStringOrNothing(L, prof ? prof->GetValueNameByIndex(lua_tostring(L, 1), LuaToInt(L, 2)) : nullptr);
}

int luaf_GetNumberOfValuesInCategory(lua_State *L)
{
    lua_pushinteger(L, prof ? prof->GetNumberOfValuesInCategory(lua_tostring(L, 1)) : 0);
    return 1;
}

int luaf_SetGlobalValue(lua_State *L)
{
    profile_man().SetGlobalValue(lua_tostring(L, 1), lua_tostring(L, 2));
    return 0;
}

int luaf_GetGlobalValue(lua_State *L)
{
    return PushStringOrNothing(L, profile_man().GetGlobalValue(lua_tostring(L, 1)));
}

int luaf_SetStatisticsInt(lua_State *L)
{
    if (prof)
        prof->SetStatisticsInt(lua_tostring(L, 1), LuaToInt(L, 2));
    return 0;
}

int luaf_ChangeStatisticsInt(lua_State *L)
{
    if (prof)
        prof->ChangeStatisticsInt(lua_tostring(L, 1), LuaToInt(L, 2));
    return 0;
}

int luaf_GetStatisticsInt(lua_State *L)
{
    char text[16];
    snprintf(text, sizeof text, "%d", prof ? prof->GetStatisticsInt(lua_tostring(L, 1)) : 0);
    lua_pushstring(L, text);
    return 1;
}

const luaL_Reg kProfileFunctions[] = {
    {"AddProfile", luaf_AddProfile},
    {"SetProfile", luaf_SetProfile},
    {"GetProfile", luaf_GetProfile},
    {"DeleteProfile", luaf_DeleteProfile},
    {"IsProfileNameValid", luaf_IsProfileNameValid},
    {"GetNumberOfProfiles", luaf_GetNumberOfProfiles},
    {"GetProfileValue", luaf_GetProfileValue},
    {"ProfileValueExists", luaf_ProfileValueExists},
    {"ProfileTagExists", luaf_ProfileTagExists},
    {"SetProfileValue", luaf_SetProfileValue},
    {"AddProfileTag", luaf_AddProfileTag},
    {"RemoveProfileValue", luaf_RemoveProfileValue},
    {"RemoveProfileCategory", luaf_RemoveProfileCategory},
    {"RemoveProfileTag", luaf_RemoveProfileValue},
    {"IsProfileValueAcknowledged", luaf_IsProfileValueAcknowledged},
    {"SetProfileValueAcknowledged", luaf_SetProfileValueAcknowledged},
    {"SaveProfiles", luaf_SaveProfiles},
    {"LoadProfiles", luaf_LoadProfiles},
    {"GetValueNameByIndex", luaf_GetValueNameByIndex},
    {"GetNumberOfValuesInCategory", luaf_GetNumberOfValuesInCategory},
    {"SetGlobalValue", luaf_SetGlobalValue},
    {"GetGlobalValue", luaf_GetGlobalValue},
    {"SetStatisticsInt", luaf_SetStatisticsInt},
    {"ChangeStatisticsInt", luaf_ChangeStatisticsInt},
    {"GetStatisticsInt", luaf_GetStatisticsInt},
    {nullptr, nullptr},
};

}  // namespace

void RegisterProfileScriptFunctions()
{
    for (const luaL_Reg *r = kProfileFunctions; r->name; r++)
        lua_man.AddLuaFunction(r->name, r->func);
}
