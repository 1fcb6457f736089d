// The achievement script functions: AM_UnlockAchievement(id), AM_IsAchievementUnlocked(id)
// -> boolean, AM_ShowAchievements().
#include "online/achievementman.h"

#include "app/services/luaman.h"

namespace {

int luaf_AM_UnlockAchievement(lua_State *L)
{
    const char *id = lua_tostring(L, 1);
    if (id)
        achievement_man.UnlockAchievement(id);
    return 0;
}

int luaf_AM_IsAchievementUnlocked(lua_State *L)
{
    const char *id = lua_tostring(L, 1);
    lua_pushboolean(L, id && achievement_man.IsAchievementUnlocked(id));
    return 1;
}

int luaf_AM_ShowAchievements(lua_State *)
{
    achievement_man.ShowAchievements();
    return 0;
}

const luaL_Reg kFunctions[] = {
    {"AM_UnlockAchievement", luaf_AM_UnlockAchievement},
    {"AM_IsAchievementUnlocked", luaf_AM_IsAchievementUnlocked},
    {"AM_ShowAchievements", luaf_AM_ShowAchievements},
    {nullptr, nullptr},
};

}  // namespace

void RegisterAchievementScriptFunctions()
{
    // The registry lives for the process; a second start finds them there.
    static bool registered = false;
    if (registered)
        return;
    registered = true;
    for (const luaL_Reg *f = kFunctions; f->name; f++)
        lua_man.AddLuaFunction(f->name, f->func);
}
