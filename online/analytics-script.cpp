// Script functions of the analytics log: "Analyst_LogEvent" and
// "Analyst_LogEventLevelTime".
#include "online/analytics.h"

#include "app/services/luaman.h"

namespace {

// Analyst_LogEvent(event)
int luaf_Analyst_LogEvent(lua_State *L)
{
    const char *event = lua_tostring(L, 1);
    if (event)
        analyst.LogEvent(event);
    return 0;
}

// Analyst_LogEventLevelTime(level, time)
int luaf_Analyst_LogEventLevelTime(lua_State *L)
{
    analyst.LogEventLevelTime(lua_tostring(L, 1), LuaToInt(L, 2));
    return 0;
}

const luaL_Reg kAnalystFunctions[] = {
    {"Analyst_LogEvent", luaf_Analyst_LogEvent},
    {"Analyst_LogEventLevelTime", luaf_Analyst_LogEventLevelTime},
    {nullptr, nullptr},
};

}  // namespace

void Analyst::RegisterLuaFunctions()
{
    for (const luaL_Reg *r = kAnalystFunctions; r->name; r++)
        lua_man.AddLuaFunction(r->name, r->func);
}
