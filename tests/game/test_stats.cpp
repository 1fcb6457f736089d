// The statistics block "user://user/stats-v111.dat" in a world on the headless engine:
// the block of a new player, the round trip, a damaged file kept aside, counters that
// survive a read (also the score script functions' reads) and failed writes.
#include "game/gamestate.h"

#include "app/services/filehelpers.h"
#include "app/services/player-values.h"
#include "game/game-script.h"
#include "game/savegame-format.h"
#include "tests/game/game_fixture.h"

#include <gtest/gtest.h>
#include <lua.hpp>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

namespace {

typedef std::vector<uint8_t> Bytes;

const char kStats[] = "user://user/stats-v111.dat";

Bytes ReadFileBytes(const char *name)
{
    long size = 0;
    char *data = ReadWholeFile(name, &size);
    Bytes bytes;
    if (data)
        bytes.assign(data, data + size);
    free(data);
    return bytes;
}

void WriteFileBytes(const char *name, const Bytes &bytes)
{
    ov->OV_CreateDirectory("user://user");
    ASSERT_TRUE(SaveFileReplacing(name, bytes.data(), bytes.size()));
}

int32_t Int32At(const Bytes &b, size_t at)
{
    uint32_t v = 0;
    for (int i = 0; i < 4; i++)
        v |= (uint32_t)b[at + i] << (8 * i);
    return (int32_t)v;
}

void PutInt32(Bytes &b, size_t at, int32_t value)
{
    for (int i = 0; i < 4; i++)
        b[at + i] = (uint8_t)((uint32_t)value >> (8 * i));
}

// A block as a player's file holds it: best scores, counters and other bytes set.
Bytes PlayerFile()
{
    Bytes b(376, 0);
    memcpy(&b[0], "YOU", 4);
    for (int slot = 0; slot < 8; slot++)
        PutInt32(b, 72 + 4 * slot, 100 * (slot + 1));
    PutInt32(b, 112, 7);
    PutInt32(b, 116, 250);
    b[200] = 0x5A;  // a byte no field names, carried
    return b;
}

unsigned (*real_write)(const void *, unsigned, ov_file_t *) = nullptr;
unsigned NoWrite(const void *, unsigned, ov_file_t *)
{
    return 0;
}

class StatsTest : public gametest::GameTest {
protected:
    void SetUp() override
    {
        gametest::GameTest::SetUp();
        StartGame();
        MakeWorld();
    }
};

TEST_F(StatsTest, MissingFileGivesTheBlockOfANewPlayer)
{
    memset(&game.stats, 0x33, sizeof game.stats);
    EXPECT_FALSE(game.ReadStats());
    EXPECT_EQ(memcmp(game.stats.header, "YOU", 4), 0);
    const uint8_t *p = (const uint8_t *)&game.stats;
    for (size_t i = 4; i < sizeof game.stats; i++)
        ASSERT_EQ(p[i], 0) << i;
    EXPECT_TRUE(ReadFileBytes(kStats).empty());  // reading writes nothing
}

TEST_F(StatsTest, NothingWithoutTheWorld)
{
    WriteFileBytes(kStats, PlayerFile());
    FreeWorld();
    game.stats.enemies_killed = 3;
    EXPECT_FALSE(game.ReadStats());
    EXPECT_FALSE(game.WriteStats());
    EXPECT_EQ(game.stats.enemies_killed, 3);
    EXPECT_EQ(ReadFileBytes(kStats), PlayerFile());
}

TEST_F(StatsTest, ReadAndWrittenByteForByte)
{
    WriteFileBytes(kStats, PlayerFile());
    ASSERT_TRUE(game.ReadStats());
    EXPECT_EQ(game.stats.best_scores[0], 100);
    EXPECT_EQ(game.stats.best_scores[7], 800);
    EXPECT_EQ(game.stats.missions_finished, 7);
    EXPECT_EQ(game.stats.enemies_killed, 250);
    game.stats.missions_finished++;
    ASSERT_TRUE(game.WriteStats());
    Bytes expected = PlayerFile();
    PutInt32(expected, 112, 8);
    EXPECT_EQ(ReadFileBytes(kStats), expected);
}

TEST_F(StatsTest, AWriteBeforeAnyReadKeepsThePlayersFile)
{
    // A script's "SaveScore" on the menus, before any battle has read the block.
    WriteFileBytes(kStats, PlayerFile());
    memset(&game.stats, 0, sizeof game.stats);
    game.stats_read = 0;
    ASSERT_TRUE(game.WriteStats());
    EXPECT_EQ(ReadFileBytes(kStats), PlayerFile());
    EXPECT_EQ(game.stats.missions_finished, 7);
}

// Damaged files: the wrong size, the wrong header, a score or a count below zero.
std::vector<std::pair<const char *, Bytes>> DamagedFiles()
{
    std::vector<std::pair<const char *, Bytes>> files = {
        {"empty", Bytes()}, {"375 bytes", Bytes(375, 0x41)}, {"377 bytes", Bytes(377, 0x41)}};
    Bytes header = PlayerFile();
    header[2] = 'X';
    files.push_back({"another header", header});
    Bytes all = Bytes(376, 0x41);
    files.push_back({"no header at all", all});
    Bytes score = PlayerFile();
    PutInt32(score, 72 + 4 * 3, -5);
    files.push_back({"negative best score", score});
    Bytes missions = PlayerFile();
    PutInt32(missions, 112, INT32_MIN);
    files.push_back({"negative missions", missions});
    Bytes kills = PlayerFile();
    PutInt32(kills, 116, -1);
    files.push_back({"negative kills", kills});
    return files;
}

TEST_F(StatsTest, DamagedFileIsKeptAsideOnce)
{
    for (const auto &file : DamagedFiles()) {
        SCOPED_TRACE(file.first);
        const Bytes &damaged = file.second;
        WriteFileBytes(kStats, damaged);
        ov->OV_DeleteFile("user://user/stats-v111.dat.bad");
        EXPECT_FALSE(game.ReadStats());
        EXPECT_EQ(memcmp(game.stats.header, "YOU", 4), 0);
        EXPECT_EQ(game.stats.enemies_killed, 0);
        EXPECT_EQ(ReadFileBytes("user://user/stats-v111.dat.bad"), damaged);
        // The file now holds the new block, so a second read copies nothing.
        Bytes fresh = ReadFileBytes(kStats);
        ASSERT_EQ(fresh.size(), 376u);
        EXPECT_EQ(memcmp(fresh.data(), "YOU", 4), 0);
        EXPECT_TRUE(game.ReadStats());
        EXPECT_TRUE(ReadFileBytes("user://user/stats-v111.dat.bad2").empty());
        EXPECT_TRUE(apptest::Logged("The statistics file '" + std::string("user://user/stats-v111.dat") + "' is damaged ("));
    }
}

// Scores and counts past their ranges are kept, clamped: the totals are summed and
// counted on without overflowing.
TEST_F(StatsTest, ScoresAndCountsPastTheirRangesAreClamped)
{
    Bytes big = PlayerFile();
    for (int slot = 0; slot < 8; slot++)
        PutInt32(big, 72 + 4 * slot, INT32_MAX);
    PutInt32(big, 112, INT32_MAX);
    PutInt32(big, 116, INT32_MAX);
    WriteFileBytes(kStats, big);
    ASSERT_TRUE(game.ReadStats());
    EXPECT_EQ(game.stats.best_scores[5], kPlayerMaxScore);
    EXPECT_EQ(game.stats.missions_finished, kPlayerMaxCount);
    EXPECT_EQ(game.stats.enemies_killed, kPlayerMaxCount);
    game.stats.enemies_killed++;  // a kill after the read
    EXPECT_TRUE(ReadFileBytes("user://user/stats-v111.dat.bad").empty());
}

TEST_F(StatsTest, CountersRaisedSinceTheLastReadSurviveTheNext)
{
    WriteFileBytes(kStats, PlayerFile());
    ASSERT_TRUE(game.ReadStats());
    game.stats.enemies_killed += 5;  // as the kill routine does
    ASSERT_TRUE(game.ReadStats());
    EXPECT_EQ(game.stats.enemies_killed, 255);
    EXPECT_EQ(Int32At(ReadFileBytes(kStats), 116), 255);
    // Nothing raised: a read writes nothing.
    WriteFileBytes(kStats, PlayerFile());
    ASSERT_TRUE(game.ReadStats());
    EXPECT_EQ(game.stats.enemies_killed, 250);
}

TEST_F(StatsTest, ScoreScriptsKeepCountersAndBestScoresStayAsRead)
{
    WriteFileBytes(kStats, PlayerFile());
    ASSERT_TRUE(game.ReadStats());
    game.stats.enemies_killed += 12;
    game.stats.missions_finished += 1;

    lua_State *L = luaL_newstate();
    ASSERT_NE(L, nullptr);
    lua_pushcfunction(L, luaf_GetHighestScore);
    lua_pushinteger(L, 3);
    ASSERT_EQ(lua_pcall(L, 1, 1, 0), 0);
    EXPECT_EQ(lua_tointeger(L, -1), 400);
    lua_pop(L, 1);
    lua_pushcfunction(L, luaf_GetTotalHighScore);
    ASSERT_EQ(lua_pcall(L, 0, 1, 0), 0);
    EXPECT_EQ(lua_tonumber(L, -1), 200 + 300 + 400 + 500 + 600 + 700 + 800);
    lua_pop(L, 1);
    lua_close(L);

    EXPECT_EQ(game.stats.enemies_killed, 262);
    EXPECT_EQ(game.stats.missions_finished, 8);
    Bytes file = ReadFileBytes(kStats);
    ASSERT_EQ(file.size(), 376u);
    EXPECT_EQ(Int32At(file, 116), 262);
    EXPECT_EQ(Int32At(file, 112), 8);
    for (int slot = 0; slot < 8; slot++)
        EXPECT_EQ(Int32At(file, 72 + 4 * slot), 100 * (slot + 1)) << slot;
    EXPECT_EQ(file[200], 0x5A);
}

TEST_F(StatsTest, FailedWriteKeepsTheFileAndTheUnwrittenCounters)
{
    WriteFileBytes(kStats, PlayerFile());
    ASSERT_TRUE(game.ReadStats());
    game.stats.enemies_killed += 5;
    real_write = ov->OV_WriteFile;
    ov->OV_WriteFile = NoWrite;
    EXPECT_FALSE(game.WriteStats());
    // The read would lose the counters it cannot write first: it does not read.
    EXPECT_FALSE(game.ReadStats());
    ov->OV_WriteFile = real_write;
    EXPECT_EQ(game.stats.enemies_killed, 255);
    EXPECT_EQ(ReadFileBytes(kStats), PlayerFile());
    ASSERT_TRUE(game.ReadStats());
    EXPECT_EQ(game.stats.enemies_killed, 255);
    EXPECT_EQ(Int32At(ReadFileBytes(kStats), 116), 255);
}

}  // namespace
