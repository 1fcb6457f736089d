// The game's script functions called from a Lua state as the screens' scripts call
// them: score and statistics, the best scores with the statistics block behind them,
// the battle time, the saved game, preloading entity types and the developer switch;
// and the ground-decal death function's end values.
#include "tests/game/game_fixture.h"

#include "app/services/filehelpers.h"
#include "app/services/gameman.h"
#include "app/services/luaman.h"
#include "app/services/prog.h"
#include "app/ui/parts.h"
#include "game/entities/stock.h"
#include "game/game-script.h"
#include "game/game-util.h"
#include "game/gamestate.h"
#include "game/savegame-format.h"

#include <stdlib.h>
#include <string.h>

#include <string>

namespace {

const char kTypes[] =
    "<node id=\"BaseBunker\" type=\"Structure\" flags=\"NORMAL\" friend_group=\"PLAYERS\" hit_points=\"100\"/>\n"
    "<node id=\"Grunt\" flags=\"NORMAL MOVABLE\" friend_group=\"ENEMIES\" hit_points=\"50\"/>\n";

class GameScriptTest : public gametest::GameTest {
protected:
    void SetUp() override
    {
        gametest::GameTest::SetUp();
        StartGame();
        WriteEntities(kTypes);
        RegisterBattleScriptFunctions();
        L = lua_man.OpenLuaState();
        ASSERT_NE(L, nullptr);
    }
    void TearDown() override
    {
        if (L)
            lua_man.CloseLuaState(L);
        gametest::GameTest::TearDown();
    }
    // Runs `return <expression>` and gives the result as text: "nil", "true", "false",
    // a number as %.14g or a string in quotes.
    std::string Eval(const std::string &expression)
    {
        std::string code = "return " + expression;
        if (luaL_loadstring(L, code.c_str()) != 0 || lua_pcall(L, 0, 1, 0) != 0) {
            std::string error = LuaErrorText(L);
            lua_pop(L, 1);
            return "error: " + error;
        }
        std::string out;
        switch (lua_type(L, -1)) {
        case LUA_TNIL:
            out = "nil";
            break;
        case LUA_TBOOLEAN:
            out = lua_toboolean(L, -1) ? "true" : "false";
            break;
        case LUA_TNUMBER: {
            char text[64];
            snprintf(text, sizeof text, "%.14g", lua_tonumber(L, -1));
            out = text;
            break;
        }
        case LUA_TSTRING:
            out = std::string("\"") + lua_tostring(L, -1) + "\"";
            break;
        default:
            out = lua_typename(L, lua_type(L, -1));
        }
        lua_pop(L, 1);
        return out;
    }
    // The statistics file as stored, or an empty block when absent.
    bool ReadStatsFile(GameStats *out)
    {
        char name[512];
        ov->OV_GetPathEx(name, sizeof name, 1, "%s", "user/stats-v111.dat");
        long size = 0;
        char *data = ReadWholeFile(name, &size);
        bool ok = data && GameStatsFromBytes((const uint8_t *)data, (size_t)size, out);
        free(data);
        return ok;
    }
    lua_State *L = nullptr;
};

TEST_F(GameScriptTest, TheNineFunctionsAreInEveryState)
{
    const char *names[] = {"DeveloperToggle",   "LoadEntityType", "GetScore",
                           "GetStat",           "SaveScore",      "GetHighestScore",
                           "GetTotalHighScore", "GetTimeString",  "KV_DeleteSaveState"};
    for (const char *name : names)
        EXPECT_TRUE(LuaManager::DoesLuaFunctionExist(L, name)) << name;
}

// The application's game manager registers its own functions ("GetNumberOfGames",
// "LoadGameState"...) beside the battle's nine: both sets must reach a new state.
TEST_F(GameScriptTest, TheGameManagersFunctionsLiveBesideTheBattles)
{
    ASSERT_EQ(game_man.Initialize(), 1);
    lua_State *fresh = lua_man.OpenLuaState();
    ASSERT_NE(fresh, nullptr);
    for (const char *name : {"GetNumberOfGames", "SaveGameExists", "LoadGameState", "GetStat", "DeveloperToggle"})
        EXPECT_TRUE(LuaManager::DoesLuaFunctionExist(fresh, name)) << name;
    lua_man.CloseLuaState(fresh);
}

TEST_F(GameScriptTest, TimeStringTable)
{
    struct Case {
        uint32_t clock;
        const char *text;
    };
    const Case cases[] = {
        {0, "\"00:00\""},          {999, "\"00:00\""},          {75000, "\"01:15\""},
        {3599999, "\"59:59\""},    {3600000, "\"01:00:00\""},   {3725000, "\"01:02:05\""},
        {4294967295u, "\"1193:02:47\""},
    };
    for (const Case &c : cases) {
        game.game_clock = c.clock;
        EXPECT_EQ(Eval("GetTimeString()"), c.text) << c.clock;
    }
}

TEST_F(GameScriptTest, GetStatTable)
{
    MakeWorld();
    game.parms.game_mode = GAME_MODE_SURVIVAL;
    strcpy(game.parms.mission_id, "MISSION2_3");
    strcpy(game.parms.chapter_id, "2");
    strcpy(game.parms.level_file, "levels/two-three.xml");
    game.score = 1234;
    game.boss_kills = 3;
    game.shots_fired = 456;
    game.regular_kills = 78;
    game.game_clock = 61999;
    game.wave_script_pos = 4;
    game.random_wave_counter = 9;
    game.money = 250;
    game.money_earned = 900;
    struct Case {
        const char *call;
        const char *result;
    };
    const Case cases[] = {
        {"GetStat('SCORE')", "1234"},
        {"GetStat('BOSS_KILLS')", "3"},
        {"GetStat('SHOTS_FIRED')", "456"},
        {"GetStat('REGULAR_KILLS')", "78"},
        {"GetStat('TIME')", "61"},
        {"GetStat('WAVE')", "4"},
        {"GetStat('SURVIVAL_WAVE')", "9"},
        {"GetStat('CURRENT_MONEY')", "250"},
        {"GetStat('MISSION_ID')", "\"MISSION2_3\""},
        {"GetStat('CHAPTER_ID')", "\"2\""},
        {"GetStat('LEVEL_DEF')", "\"levels/two-three.xml\""},
        {"GetStat('TOTAL_MONEY_EARNED')", "900"},
        {"GetStat('STARS')", "5"},
        {"GetStat('score')", "nil"},
        {"GetStat('NO_SUCH_STAT')", "nil"},
        {"GetStat()", "nil"},
        {"GetStat(12)", "nil"},
        {"GetStat({})", "nil"},
        {"GetScore()", "1234"},
        {"select('#', GetStat('NO_SUCH_STAT'))", "0"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(Eval(c.call), c.result) << c.call;
}

TEST_F(GameScriptTest, BestScoresStartFromTheYouBlock)
{
    MakeWorld();
    EXPECT_EQ(Eval("GetHighestScore(0)"), "0");
    EXPECT_STREQ(game.stats.header, "YOU");
    EXPECT_EQ(Eval("GetTotalHighScore()"), "0");
}

TEST_F(GameScriptTest, BestScoreSlotsAreClampedAndTheTotalLeavesSlotZeroOut)
{
    MakeWorld();
    game.ReadStats();  // the player's block (none yet), then best scores written over it
    GameStatsDefaults(&game.stats);
    for (int i = 0; i < 8; i++)
        game.stats.best_scores[i] = 100 * (i + 1);
    for (int i = 5; i < 8; i++)
        game.stats.best_scores[i] = 2147483647;  // read back as the largest score
    ASSERT_TRUE(game.WriteStats());
    // A fresh start: nothing read yet, so the scores below come from the file.
    memset(game.stats.best_scores, 0, sizeof game.stats.best_scores);
    game.stats_read = 0;
    struct Case {
        const char *call;
        const char *result;
    };
    const Case cases[] = {
        {"GetHighestScore(-3)", "100"}, {"GetHighestScore(0)", "100"}, {"GetHighestScore(3)", "400"},
        {"GetHighestScore(12)", "1000000000"}, {"GetHighestScore()", "100"}, {"GetHighestScore('x')", "100"},
        {"GetTotalHighScore()", "3000001400"},  // 200 + .. + 500 + 3 x the largest score, past the int range
    };
    for (const Case &c : cases)
        EXPECT_EQ(Eval(c.call), c.result) << c.call;
}

TEST_F(GameScriptTest, CountersSurviveGetHighestScore)
{
    MakeWorld();
    EXPECT_EQ(Eval("GetHighestScore(1)"), "0");
    game.stats.enemies_killed += 17;
    game.stats.missions_finished += 1;
    EXPECT_EQ(Eval("GetHighestScore(1)"), "0");
    EXPECT_EQ(game.stats.enemies_killed, 17);
    EXPECT_EQ(game.stats.missions_finished, 1);
    GameStats stored = {};
    ASSERT_TRUE(ReadStatsFile(&stored));
    EXPECT_EQ(stored.enemies_killed, 17);
    EXPECT_EQ(stored.missions_finished, 1);
}

TEST_F(GameScriptTest, SaveScoreReportsWhetherTheBlockWasWritten)
{
    EXPECT_EQ(Eval("SaveScore()"), "false") << "no world";
    EXPECT_EQ(Eval("SaveScore(42)"), "false") << "not the stack's top";
    MakeWorld();
    game.ReadStats();
    game.stats.best_scores[2] = 777;
    EXPECT_EQ(Eval("SaveScore('anything')"), "true");
    GameStats stored = {};
    ASSERT_TRUE(ReadStatsFile(&stored));
    EXPECT_EQ(stored.best_scores[2], 777);
    EXPECT_STREQ(stored.header, "YOU");
}

TEST_F(GameScriptTest, LoadEntityTypeWaitsForTheStock)
{
    EXPECT_EQ(Eval("LoadEntityType('Grunt')"), "nil") << "no world";
    // The world published by the preload, empty: no stock before Init.
    Scape *empty = new Scape;
    SetScape(empty);
    EXPECT_EQ(Eval("LoadEntityType('Grunt')"), "nil");
    EXPECT_EQ(empty->stock, nullptr);
    SetScape(nullptr);
    delete empty;

    MakeWorld();
    int before = world->stock->num_types;
    Eval("LoadEntityType('Grunt')");
    EXPECT_EQ(world->stock->num_types, before + 1);
    EXPECT_NE(world->stock->GetEntityType("Grunt"), nullptr);
    Eval("LoadEntityType('Grunt')");
    Eval("LoadEntityType()");
    Eval("LoadEntityType({})");
    EXPECT_EQ(world->stock->num_types, before + 1);
}

TEST_F(GameScriptTest, DeleteSaveStateOnlyWithAWorld)
{
    char name[512];
    ov->OV_GetPathEx(name, sizeof name, 1, "%s", "user/save-15.dat");
    ov->OV_CreateDirectory("user://user");
    const char bytes[] = "not a saved game";
    ASSERT_TRUE(SaveFileReplacing(name, bytes, sizeof bytes));
    Eval("KV_DeleteSaveState()");
    ov_file_t *f = ov->OV_OpenFile(name, "rb");
    EXPECT_NE(f, nullptr) << "no world: nothing deleted";
    if (f)
        ov->OV_CloseFile(f);
    MakeWorld();
    Eval("KV_DeleteSaveState()");
    f = ov->OV_OpenFile(name, "rb");
    EXPECT_EQ(f, nullptr);
    if (f)
        ov->OV_CloseFile(f);
}

TEST_F(GameScriptTest, DeveloperToggleFlipsTheSwitch)
{
    prog.parms.developer_mode = 0;
    Eval("DeveloperToggle()");
    EXPECT_EQ(prog.parms.developer_mode, 1);
    Eval("DeveloperToggle(1, 2)");
    EXPECT_EQ(prog.parms.developer_mode, 0);
}

TEST_F(GameScriptTest, GroundDecalEndValuesTable)
{
    MakeWorld();
    part_graph_t empty = {};
    part_graph_t fade_half = {};  // (0, 1) (0.5, 0): the last point's value
    fade_half.count = 2;
    fade_half.points[0] = {0.0f, 1.0f};
    fade_half.points[1] = {0.5f, 0.0f};
    part_graph_t three = {};
    three.count = 3;
    three.points[0] = {0.0f, 0.0f};
    three.points[1] = {0.5f, 1.0f};
    three.points[2] = {2.0f, 4.0f};
    struct Case {
        const part_graph_t *alpha;
        const part_graph_t *scale;
        float alpha_out, scale_out;
    };
    const Case cases[] = {
        {nullptr, nullptr, 0.5f, 2.0f},
        {&empty, &empty, 0.5f, 2.0f},
        {&fade_half, nullptr, 0.0f, 2.0f},
        {nullptr, &three, 0.5f, 2.0f * 2.0f},
    };
    for (const Case &c : cases) {
        world->num_decals = 0;
        part_t part = {};
        part.x = 100.0f;
        part.y = 50.0f;
        part.alpha = 0.5f;
        part.scale = 2.0f;
        part.end_angle = 0.25f;
        part.alpha_graph = c.alpha;
        part.scale_graph = c.scale;
        PMAN_func_death_Decal(&part);
        ASSERT_EQ(world->num_decals, 1);
        EXPECT_FLOAT_EQ(world->decals[0].color.a, c.alpha_out);
        EXPECT_FLOAT_EQ(world->decals[0].scale, c.scale_out);
        EXPECT_FLOAT_EQ(world->decals[0].angle, 0.25f);
    }
}

}  // namespace
