// Script functions of the leaderboards: "LM_ShowLeaderboards",
// "LM_GetPersonalBestScore", "LM_GetBestLocalScore", "LM_GetBestLocalScoreDisplayName",
// "LM_SubmitScore", "LM_GetScoreByRank", "LM_GetNameByRank", "LM_DownloadTopHundred".
// A function given no category string does nothing (LM_ShowLeaderboards shows the
// default category).
#include "online/leaderboards-manager.h"

#include "app/services/luaman.h"

namespace {

// LM_ShowLeaderboards([category])
int luaf_LM_ShowLeaderboards(lua_State *L)
{
    leaderboards_man.ShowLeaderboards(lua_tostring(L, 1), "ALL_TIME", "GLOBAL");
    return 0;
}

// LM_GetPersonalBestScore(category) -> points
int luaf_LM_GetPersonalBestScore(lua_State *L)
{
    const char *category = lua_tostring(L, 1);
    if (!category)
        return 0;
    lua_pushinteger(L, leaderboards_man.GetPersonalBestScore(category).points);
    return 1;
}

// LM_GetBestLocalScore(category) -> points
int luaf_LM_GetBestLocalScore(lua_State *L)
{
    const char *category = lua_tostring(L, 1);
    if (!category)
        return 0;
    lua_pushinteger(L, leaderboards_man.GetBestLocalScore(category).points);
    return 1;
}

// LM_GetBestLocalScoreDisplayName(category) -> name
int luaf_LM_GetBestLocalScoreDisplayName(lua_State *L)
{
    const char *category = lua_tostring(L, 1);
    if (!category)
        return 0;
    LeaderboardScore best = leaderboards_man.GetBestLocalScore(category);
    lua_pushstring(L, best.player);
    return 1;
}

// LM_SubmitScore(category, points[, duration])
int luaf_LM_SubmitScore(lua_State *L)
{
    const char *category = lua_tostring(L, 1);
    if (!category)
        return 0;
    int duration = LuaToInt(L, 3);
    leaderboards_man.SubmitScore(category, LuaToInt(L, 2), duration > 0 ? (unsigned long)duration : 0);
    return 0;
}

// The record of a rank in the category's client, or null.
LeaderboardScore *ScoreByRank(lua_State *L)
{
    const char *category = lua_tostring(L, 1);
    if (!category)
        return nullptr;
    LeaderboardsClient *client = leaderboards_man.GetLeaderboardsForCategory(category);
    return client ? client->GetScoreByRank(LuaToInt(L, 2)) : nullptr;
}

// LM_GetScoreByRank(category, rank) -> points, or nothing
int luaf_LM_GetScoreByRank(lua_State *L)
{
    LeaderboardScore *score = ScoreByRank(L);
    if (!score)
        return 0;
    lua_pushinteger(L, score->points);
    return 1;
}

// LM_GetNameByRank(category, rank) -> name, or nothing
int luaf_LM_GetNameByRank(lua_State *L)
{
    LeaderboardScore *score = ScoreByRank(L);
    if (!score)
        return 0;
    lua_pushstring(L, score->player);
    return 1;
}

// LM_DownloadTopHundred(category)
int luaf_LM_DownloadTopHundred(lua_State *L)
{
    const char *category = lua_tostring(L, 1);
    if (!category)
        return 0;
    if (LeaderboardsClient *client = leaderboards_man.GetLeaderboardsForCategory(category))
        client->Download(1, 100, 16777215);
    return 0;
}

const luaL_Reg kLeaderboardsFunctions[] = {
    {"LM_ShowLeaderboards", luaf_LM_ShowLeaderboards},
    {"LM_GetPersonalBestScore", luaf_LM_GetPersonalBestScore},
    {"LM_GetBestLocalScore", luaf_LM_GetBestLocalScore},
    {"LM_GetBestLocalScoreDisplayName", luaf_LM_GetBestLocalScoreDisplayName},
    {"LM_SubmitScore", luaf_LM_SubmitScore},
    {"LM_GetScoreByRank", luaf_LM_GetScoreByRank},
    {"LM_GetNameByRank", luaf_LM_GetNameByRank},
    {"LM_DownloadTopHundred", luaf_LM_DownloadTopHundred},
    {nullptr, nullptr},
};

}  // namespace

void RegisterLeaderboardsScriptFunctions()
{
    for (const luaL_Reg *r = kLeaderboardsFunctions; r->name; r++)
        lua_man.AddLuaFunction(r->name, r->func);
}
