// The game's script functions, offered to every Lua state of the screens: the score and
// statistics of the running or last battle, the best scores, the battle time as text,
// deleting the saved game, preloading an entity type and the developer switch.
//
// Each reads its arguments without raising and returns the number of values it pushed.
// Main thread only.
#ifndef GAME_GAME_SCRIPT_H
#define GAME_GAME_SCRIPT_H

#include <lua.hpp>

#include <stddef.h>
#include <stdint.h>

int luaf_DeveloperToggle(lua_State *L);
int luaf_LoadEntityType(lua_State *L);
int luaf_GetScore(lua_State *L);
int luaf_GetStat(lua_State *L);
int luaf_SaveScore(lua_State *L);
int luaf_GetHighestScore(lua_State *L);
int luaf_GetTotalHighScore(lua_State *L);
int luaf_GetTimeString(lua_State *L);
int luaf_KV_DeleteSaveState(lua_State *L);

// Registers the nine functions above with the scripting manager, in their fixed order:
// "DeveloperToggle", "LoadEntityType", "GetScore", "GetStat", "SaveScore",
// "GetHighestScore", "GetTotalHighScore", "GetTimeString", "KV_DeleteSaveState".
void RegisterBattleScriptFunctions();

// The battle time as text: "MM:SS" below an hour, "HH:MM:SS" from an hour on, written
// into `out` (at least 16 bytes). Returns `out`.
char *FormatGameTime(uint32_t clock_ms, char *out, size_t size);

#endif
