// Script functions of the game-implementation registry: "SetActiveGame",
// "GetActiveGame", "GetGameNameByIndex", "GetNumberOfGames", "SaveGameExists",
// "InitGameLevel", "LoadGameState", "SaveGameState", "DeleteGameState".
#include "app/services/gameman.h"
#include "app/services/luaman.h"

namespace {

void PushName(lua_State *L, GameImplementation *g)
{
    const char *name = g ? g->GetName() : nullptr;
    lua_pushstring(L, g ? (name ? name : "") : "NULL");
}

int luaf_SetActiveGame(lua_State *L)
{
    game_man.SetActiveGame(lua_tostring(L, 1));
    return 0;
}

int luaf_GetActiveGame(lua_State *L)
{
    PushName(L, game_man.GetActiveGame());
    return 1;
}

int luaf_GetGameNameByIndex(lua_State *L)
{
    PushName(L, game_man.GetGameByIndex(LuaToInt(L, 1)));
    return 1;
}

int luaf_GetNumberOfGames(lua_State *L)
{
    lua_pushnumber(L, game_man.GetNumberOfGames());
    return 1;
}

int luaf_SaveGameExists(lua_State *L)
{
    lua_pushboolean(L, game_man.SaveGameExists());
    return 1;
}

int luaf_InitGameLevel(lua_State *L)
{
    const char *level = lua_tostring(L, 1);
    if (GameImplementation *g = game_man.GetActiveGame())
        g->InitLevel(level ? level : "");
    return 0;
}

int luaf_LoadGameState(lua_State *L)
{
    lua_pushboolean(L, game_man.LoadSaveGame());
    return 1;
}

int luaf_SaveGameState(lua_State *L)
{
    game_man.SaveCurrentGame(lua_tostring(L, 1));
    return 0;
}

int luaf_DeleteGameState(lua_State *)
{
    game_man.DeleteSaveGame();
    return 0;
}

const luaL_Reg kGameFunctions[] = {
    {"SetActiveGame", luaf_SetActiveGame},
    {"GetActiveGame", luaf_GetActiveGame},
    {"GetGameNameByIndex", luaf_GetGameNameByIndex},
    {"GetNumberOfGames", luaf_GetNumberOfGames},
    {"SaveGameExists", luaf_SaveGameExists},
    {"InitGameLevel", luaf_InitGameLevel},
    {"LoadGameState", luaf_LoadGameState},
    {"SaveGameState", luaf_SaveGameState},
    {"DeleteGameState", luaf_DeleteGameState},
    {nullptr, nullptr},
};

}  // namespace

void RegisterGameScriptFunctions()
{
    for (const luaL_Reg *r = kGameFunctions; r->name; r++)
        lua_man.AddLuaFunction(r->name, r->func);
}
