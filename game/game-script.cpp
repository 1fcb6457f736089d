// The game's script functions (see game-script.h).
//
// Lua reports errors by long jumps: nothing here keeps an object with a destructor
// across a Lua call, and arguments are read with conversions that never raise.
#include "game/game-script.h"

#include "app/services/luaman.h"
#include "app/services/prog.h"
#include "game/entities/stock.h"
#include "game/gamestate.h"
#include "game/scape.h"

#include <stdio.h>
#include <string.h>

namespace {

// One name of "GetStat" and how its value is pushed.
enum StatKind { STAT_INT, STAT_TEXT };
struct StatName {
    const char *name;
    StatKind kind;
};

// The values the statistics names stand for, read when the script asks.
int64_t StatInt(const char *name)
{
    if (strcmp(name, "SCORE") == 0)
        return game.score;
    if (strcmp(name, "BOSS_KILLS") == 0)
        return game.boss_kills;
    if (strcmp(name, "SHOTS_FIRED") == 0)
        return game.shots_fired;
    if (strcmp(name, "REGULAR_KILLS") == 0)
        return game.regular_kills;
    if (strcmp(name, "TIME") == 0)
        return game.game_clock / 1000;
    if (strcmp(name, "WAVE") == 0)
        return game.wave_script_pos;
    if (strcmp(name, "SURVIVAL_WAVE") == 0)
        return game.random_wave_counter;
    if (strcmp(name, "CURRENT_MONEY") == 0)
        return game.money;
    if (strcmp(name, "TOTAL_MONEY_EARNED") == 0)
        return game.money_earned;
    return game.GetCurrentStarRating();  // "STARS"
}

const char *StatText(const char *name)
{
    if (strcmp(name, "MISSION_ID") == 0)
        return game.parms.mission_id;
    if (strcmp(name, "CHAPTER_ID") == 0)
        return game.parms.chapter_id;
    return game.parms.level_file;  // "LEVEL_DEF"
}

const StatName kStats[] = {
    {"SCORE", STAT_INT},         {"BOSS_KILLS", STAT_INT},    {"SHOTS_FIRED", STAT_INT},
    {"REGULAR_KILLS", STAT_INT}, {"TIME", STAT_INT},          {"WAVE", STAT_INT},
    {"SURVIVAL_WAVE", STAT_INT}, {"CURRENT_MONEY", STAT_INT}, {"MISSION_ID", STAT_TEXT},
    {"CHAPTER_ID", STAT_TEXT},   {"LEVEL_DEF", STAT_TEXT},    {"TOTAL_MONEY_EARNED", STAT_INT},
    {"STARS", STAT_INT},
};

// A fixed text field pushed up to its terminator or its size, whichever comes first.
void PushField(lua_State *L, const char *text, size_t size)
{
    size_t length = 0;
    while (length < size && text[length])
        length++;
    lua_pushlstring(L, text, length);
}

size_t FieldSize(const char *name)
{
    if (strcmp(name, "LEVEL_DEF") == 0)
        return sizeof game.parms.level_file;
    return sizeof game.parms.mission_id;
}

}  // namespace

char *FormatGameTime(uint32_t clock_ms, char *out, size_t size)
{
    if (!out || size == 0)
        return out;
    unsigned seconds = clock_ms / 1000;
    unsigned hours = seconds / 3600;
    unsigned rest = seconds - 3600 * hours;
    if (hours != 0)
        snprintf(out, size, "%.2u:%.2u:%.2u", hours, rest / 60, rest % 60);
    else
        snprintf(out, size, "%.2u:%.2u", rest / 60, rest % 60);
    return out;
}

int luaf_DeveloperToggle(lua_State *)
{
    prog.parms.developer_mode = prog.parms.developer_mode ? 0 : 1;
    return 0;
}

int luaf_LoadEntityType(lua_State *L)
{
    const char *name = lua_type(L, 1) == LUA_TSTRING ? lua_tostring(L, 1) : nullptr;
    Scape *world = GetScape();
    // The stock exists once the world was initialised; before that there is nothing
    // to load the type into.
    if (!name || !world || !world->stock)
        return 0;
    world->stock->GetEntityType(name);
    return 0;
}

int luaf_GetScore(lua_State *L)
{
    lua_pushinteger(L, game.score);
    return 1;
}

int luaf_GetStat(lua_State *L)
{
    const char *name = lua_type(L, 1) == LUA_TSTRING ? lua_tostring(L, 1) : nullptr;
    if (!name)
        return 0;
    for (const StatName &stat : kStats) {
        if (strcmp(stat.name, name) != 0)
            continue;
        if (stat.kind == STAT_TEXT)
            PushField(L, StatText(name), FieldSize(name));
        else
            lua_pushnumber(L, (lua_Number)StatInt(name));
        return 1;
    }
    return 0;
}

int luaf_SaveScore(lua_State *L)
{
    bool written = game.WriteStats();
    lua_pushboolean(L, written ? 1 : 0);
    return 1;
}

int luaf_GetHighestScore(lua_State *L)
{
    int slot = LuaToInt(L, 1);
    if (slot < 0)
        slot = 0;
    if (slot > 7)
        slot = 7;
    game.ReadStats();
    lua_pushinteger(L, game.stats.best_scores[slot]);
    return 1;
}

int luaf_GetTotalHighScore(lua_State *L)
{
    game.ReadStats();
    // Summed wide: seven int32 slots may pass the int range.
    int64_t total = 0;
    for (int slot = 1; slot < 8; slot++)
        total += game.stats.best_scores[slot];
    lua_pushnumber(L, (lua_Number)total);
    return 1;
}

int luaf_GetTimeString(lua_State *L)
{
    char text[32];
    FormatGameTime(game.game_clock, text, sizeof text);
    lua_pushstring(L, text);
    return 1;
}

int luaf_KV_DeleteSaveState(lua_State *)
{
    if (GetScape())
        game.DeleteSaveGameState();
    return 0;
}

void RegisterBattleScriptFunctions()
{
    lua_man.AddLuaFunction("DeveloperToggle", luaf_DeveloperToggle);
    lua_man.AddLuaFunction("LoadEntityType", luaf_LoadEntityType);
    lua_man.AddLuaFunction("GetScore", luaf_GetScore);
    lua_man.AddLuaFunction("GetStat", luaf_GetStat);
    lua_man.AddLuaFunction("SaveScore", luaf_SaveScore);
    lua_man.AddLuaFunction("GetHighestScore", luaf_GetHighestScore);
    lua_man.AddLuaFunction("GetTotalHighScore", luaf_GetTotalHighScore);
    lua_man.AddLuaFunction("GetTimeString", luaf_GetTimeString);
    lua_man.AddLuaFunction("KV_DeleteSaveState", luaf_KV_DeleteSaveState);
}
