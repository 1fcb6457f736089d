// The saved-game and statistics byte layouts alone: every check of the reader on a
// malformed file, the writer's clamps, and the statistics block by field.
#include "game/savegame-format.h"

#include "app/services/player-values.h"

#include <gtest/gtest.h>
#include <math.h>
#include <string.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

typedef std::vector<uint8_t> Bytes;

void Put32(Bytes &b, size_t at, uint32_t v)
{
    for (int i = 0; i < 4; i++)
        b[at + i] = (uint8_t)(v >> (8 * i));
}

void PutF(Bytes &b, size_t at, float f)
{
    uint32_t bits;
    memcpy(&bits, &f, 4);
    Put32(b, at, bits);
}

// A valid file of n troopers written by the writer.
Bytes ValidFile(int troopers)
{
    std::unique_ptr<SavedGame> s(new SavedGame());
    memset(s.get(), 0, sizeof *s);
    strcpy(s->parms.chapter_id, "CHAPTER1");
    strcpy(s->parms.level_file, "levels/x.xml");
    s->num_features = 1;
    strcpy(s->features[0].name, "HEAL");
    s->wave_script_pos = 2;
    s->num_troopers = troopers;
    for (int i = 0; i < troopers; i++)
        strcpy(s->troopers[i].type_name, "Trooper");
    Bytes b(SAVEGAME_MAX_SIZE);
    b.resize(SaveGameToBytes(*s, b.data()));
    return b;
}

bool Reads(const Bytes &b)
{
    std::unique_ptr<SavedGame> s(new SavedGame());
    return SaveGameFromBytes(b.data(), b.size(), s.get());
}

TEST(SaveGameFormat, SizesFollowTheTrooperCount)
{
    EXPECT_EQ(ValidFile(0).size(), 8986u);
    EXPECT_EQ(ValidFile(15).size(), 10186u);
    EXPECT_EQ(ValidFile(2).size(), 8986u + 160u);
    EXPECT_TRUE(Reads(ValidFile(0)));
    EXPECT_TRUE(Reads(ValidFile(15)));
}

TEST(SaveGameFormat, EveryCheckRefusesAMalformedFile)
{
    const float nan = nanf(""), inf = INFINITY;
    struct Case {
        const char *what;
        std::function<void(Bytes &)> spoil;
    };
    const size_t trooper = SAVEGAME_TROOPERS_OFFSET;  // the first of two records
    const size_t trailer = trooper + 2 * SAVEGAME_TROOPER_SIZE;
    const Case cases[] = {
        {"empty", [](Bytes &b) { b.clear(); }},
        {"one byte short", [](Bytes &b) { b.pop_back(); }},
        {"one byte long", [](Bytes &b) { b.push_back(0); }},
        {"below the smallest size", [](Bytes &b) { b.resize(8985); }},
        {"above the largest size", [](Bytes &b) { b.resize(10187); }},
        {"leading magic", [](Bytes &b) { b[12] = '6'; }},
        {"trailing magic", [=](Bytes &b) { b[trailer] = 's'; }},
        {"feature count -1", [](Bytes &b) { Put32(b, 405, (uint32_t)-1); }},
        {"feature count 129", [](Bytes &b) { Put32(b, 405, 129); }},
        {"trooper count -1", [](Bytes &b) { Put32(b, 8969, (uint32_t)-1); }},
        {"trooper count 16", [](Bytes &b) { Put32(b, 8969, 16); }},
        {"trooper count 3 in a file of 2", [](Bytes &b) { Put32(b, 8969, 3); }},
        {"chapter without NUL", [](Bytes &b) { memset(&b[17], 'C', 64); }},
        {"mission without NUL", [](Bytes &b) { memset(&b[81], 'M', 64); }},
        {"level file without NUL", [](Bytes &b) { memset(&b[145], 'L', 256); }},
        {"first feature name without NUL", [](Bytes &b) { memset(&b[409], 'F', 64); }},
        {"last feature name without NUL", [](Bytes &b) { memset(&b[409 + 127 * 66], 'F', 64); }},
        {"trooper name of 64 characters", [=](Bytes &b) { memset(&b[trooper], 'T', 64); }},
        {"second trooper name without NUL", [=](Bytes &b) { memset(&b[trooper + 80], 'T', 64); }},
        {"lowest bunker hit points NaN", [=](Bytes &b) { PutF(b, 8898, nan); }},
        {"banner phase infinite", [=](Bytes &b) { PutF(b, 8919, inf); }},
        {"between-waves phase -inf", [=](Bytes &b) { PutF(b, 8923, -inf); }},
        {"script wait NaN", [=](Bytes &b) { PutF(b, 8927, nan); }},
        {"force-field time NaN", [=](Bytes &b) { PutF(b, 8931, nan); }},
        {"level shown infinite", [=](Bytes &b) { PutF(b, 8935, inf); }},
        {"bunker repair NaN", [=](Bytes &b) { PutF(b, 8961, nan); }},
        {"bunker hit points infinite", [=](Bytes &b) { PutF(b, 8965, inf); }},
        {"trooper x NaN", [=](Bytes &b) { PutF(b, trooper + 64, nan); }},
        {"trooper y infinite", [=](Bytes &b) { PutF(b, trooper + 68, inf); }},
        {"trooper angle NaN", [=](Bytes &b) { PutF(b, trooper + 72, nan); }},
        {"second trooper hit points NaN", [=](Bytes &b) { PutF(b, trooper + 80 + 76, nan); }},
        {"wave-script position -1", [](Bytes &b) { Put32(b, 8907, (uint32_t)-1); }},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        Bytes b = ValidFile(2);
        ASSERT_TRUE(Reads(b));
        c.spoil(b);
        EXPECT_FALSE(Reads(b));
    }
}

TEST(SaveGameFormat, WriterCutsLongNamesAndClampsTheTrooperCount)
{
    std::unique_ptr<SavedGame> s(new SavedGame());
    memset(s.get(), 0, sizeof *s);
    memset(s->parms.chapter_id, 'C', sizeof s->parms.chapter_id);  // no terminator in memory
    s->num_troopers = 40;
    for (SavedTrooper &t : s->troopers)
        memset(t.type_name, 'T', sizeof t.type_name);
    Bytes b(SAVEGAME_MAX_SIZE);
    b.resize(SaveGameToBytes(*s, b.data()));
    ASSERT_EQ(b.size(), 10186u);
    EXPECT_EQ(b[17 + 62], 'C');
    EXPECT_EQ(b[17 + 63], 0);
    EXPECT_EQ(b[8973 + 63], 0);
    std::unique_ptr<SavedGame> back(new SavedGame());
    ASSERT_TRUE(SaveGameFromBytes(b.data(), b.size(), back.get()));
    EXPECT_EQ(back->num_troopers, 15);
    EXPECT_EQ(strlen(back->troopers[14].type_name), 63u);
}

TEST(GameStatsFormat, DefaultBlockIsZerosAfterYou)
{
    GameStats stats;
    memset(&stats, 0xAB, sizeof stats);
    GameStatsDefaults(&stats);
    uint8_t bytes[GAMESTATS_FILE_SIZE];
    GameStatsToBytes(stats, bytes);
    EXPECT_EQ(memcmp(bytes, "YOU\0", 4), 0);
    for (int i = 4; i < GAMESTATS_FILE_SIZE; i++)
        ASSERT_EQ(bytes[i], 0) << i;
}

TEST(GameStatsFormat, FieldsAtTheirOffsetsAndOtherBytesCarried)
{
    Bytes file(GAMESTATS_FILE_SIZE);
    for (size_t i = 0; i < file.size(); i++)
        file[i] = (uint8_t)(i * 7 + 1);
    memcpy(&file[0], "YOU", 4);
    for (int slot = 0; slot < 8; slot++)
        Put32(file, 72 + 4 * slot, (uint32_t)(1000 * slot + 5));
    Put32(file, 112, 42);
    Put32(file, 116, 0x01020304);
    GameStats stats;
    ASSERT_TRUE(GameStatsFromBytes(file.data(), file.size(), &stats));
    EXPECT_EQ(stats.best_scores[3], 3005);
    EXPECT_EQ(stats.missions_finished, 42);
    EXPECT_EQ(stats.enemies_killed, 0x01020304);
    Bytes back(GAMESTATS_FILE_SIZE);
    GameStatsToBytes(stats, back.data());
    EXPECT_EQ(back, file);
}

// Checked as the saved game is: the header and no score or count below zero.
TEST(GameStatsFormat, WrongHeaderOrNegativeValuesAreRefused)
{
    Bytes good(GAMESTATS_FILE_SIZE, 0);
    memcpy(&good[0], "YOU", 4);
    const std::vector<std::pair<const char *, std::function<void(Bytes &)>>> spoils = {
        {"header", [](Bytes &b) { b[1] = 'o'; }},
        {"header terminator", [](Bytes &b) { b[3] = '!'; }},
        {"best score", [](Bytes &b) { Put32(b, 72 + 4 * 7, 0x80000000u); }},
        {"missions finished", [](Bytes &b) { Put32(b, 112, 0xffffffffu); }},
        {"enemies killed", [](Bytes &b) { Put32(b, 116, 0xfffffff0u); }},
    };
    GameStats stats;
    ASSERT_TRUE(GameStatsFromBytes(good.data(), good.size(), &stats));
    for (const auto &spoil : spoils) {
        Bytes bad = good;
        spoil.second(bad);
        GameStatsDefaults(&stats);
        stats.enemies_killed = 9;
        EXPECT_FALSE(GameStatsFromBytes(bad.data(), bad.size(), &stats)) << spoil.first;
        EXPECT_EQ(stats.enemies_killed, 9) << spoil.first;
    }
}

// Every number of a saved game comes out in its kind's range, the extremes included.
TEST(SaveGameFormat, NumbersAreClampedIntoTheirRanges)
{
    struct Field {
        size_t at;
        uint32_t written;
        std::function<int64_t(const SavedGame &)> read;
        int64_t expected;
    };
    const uint32_t kMax = 0x7fffffffu, kMin = 0x80000000u;
    const Field fields[] = {
        {401, kMax, [](const SavedGame &s) { return s.score; }, kPlayerMaxScore},
        {401, kMin, [](const SavedGame &s) { return s.score; }, 0},
        {8857, 0xffffffffu, [](const SavedGame &s) { return (int64_t)s.game_clock; }, kPlayerMaxTimeMs},
        {8861, kMax, [](const SavedGame &s) { return s.squad_size; }, kPlayerMaxTroopers},
        {8865, kMax, [](const SavedGame &s) { return s.troopers_to_pick; }, kPlayerMaxTroopers},
        {8869, kMin, [](const SavedGame &s) { return s.living_troopers; }, 0},
        {8873, kMax, [](const SavedGame &s) { return s.troopers_spawned; }, kPlayerMaxCount},
        {8878, kMax, [](const SavedGame &s) { return s.boss_kills; }, kPlayerMaxCount},
        {8882, kMax, [](const SavedGame &s) { return s.regular_kills; }, kPlayerMaxCount},
        {8890, kMax, [](const SavedGame &s) { return s.most_troopers_held; }, kPlayerMaxTroopers},
        {8894, kMax, [](const SavedGame &s) { return s.shots_fired; }, kPlayerMaxCount},
        {8903, kMax, [](const SavedGame &s) { return s.boss_spawns; }, kPlayerMaxCount},
        {8907, kMax, [](const SavedGame &s) { return s.wave_script_pos; }, kPlayerMaxWave},
        {8915, 7, [](const SavedGame &s) { return s.wave_advance_state; }, 1},
        {8939, kMax, [](const SavedGame &s) { return s.wave_number; }, kPlayerMaxWave},
        {8943, kMax, [](const SavedGame &s) { return s.num_waves; }, kPlayerMaxWave},
        {8948, kMax, [](const SavedGame &s) { return s.money; }, kPlayerMaxMoney},
        {8948, kMin, [](const SavedGame &s) { return s.money; }, 0},
        {8952, kMax, [](const SavedGame &s) { return s.money_earned; }, kPlayerMaxMoney},
        {8956, kMax, [](const SavedGame &s) { return s.money_spent; }, kPlayerMaxMoney},
        {8939, 12, [](const SavedGame &s) { return s.wave_number; }, 12},  // in range: as written
    };
    for (const Field &f : fields) {
        SCOPED_TRACE(f.at);
        Bytes b = ValidFile(1);
        Put32(b, f.at, f.written);
        std::unique_ptr<SavedGame> s(new SavedGame());
        ASSERT_TRUE(SaveGameFromBytes(b.data(), b.size(), s.get()));
        EXPECT_EQ(f.read(*s), f.expected);
    }
}

// The floats too: phases within 0..1, times and hit points not below zero nor past
// their ranges, positions within the world's range.
TEST(SaveGameFormat, FloatsAreClampedIntoTheirRanges)
{
    struct Field {
        size_t at;
        float written;
        std::function<float(const SavedGame &)> read;
        float expected;
    };
    const Field fields[] = {
        {8898, 3e9f, [](const SavedGame &s) { return s.lowest_bunker_hp; }, kPlayerMaxHitPoints},
        {8919, 7.5f, [](const SavedGame &s) { return s.wave_banner_phase; }, 1.0f},
        {8923, -2.0f, [](const SavedGame &s) { return s.between_waves_phase; }, 0.0f},
        {8927, 1e30f, [](const SavedGame &s) { return s.script_wait; }, kPlayerMaxTimeMs / 1000.0f},
        {8931, -5.0f, [](const SavedGame &s) { return s.force_field_time; }, 0.0f},
        {8935, 2147483648.0f, [](const SavedGame &s) { return s.level_number_shown; }, (float)kPlayerMaxWave},
        {8961, -1.0f, [](const SavedGame &s) { return s.pending_bunker_repair; }, 0.0f},
        {8965, 1e20f, [](const SavedGame &s) { return s.bunker_hit_points; }, kPlayerMaxHitPoints},
        {8973 + 64, -3e9f, [](const SavedGame &s) { return s.troopers[0].x; }, -kPlayerMaxPosition},
        {8973 + 76, 1e38f, [](const SavedGame &s) { return s.troopers[0].hit_points; }, kPlayerMaxHitPoints},
        {8965, 850.5f, [](const SavedGame &s) { return s.bunker_hit_points; }, 850.5f},  // in range: as written
    };
    for (const Field &f : fields) {
        SCOPED_TRACE(f.at);
        Bytes b = ValidFile(1);
        PutF(b, f.at, f.written);
        std::unique_ptr<SavedGame> s(new SavedGame());
        ASSERT_TRUE(SaveGameFromBytes(b.data(), b.size(), s.get()));
        EXPECT_EQ(f.read(*s), f.expected);
    }
}

TEST(GameStatsFormat, OnlyAFileOfTheBlockSizeReads)
{
    for (size_t size : {0u, 4u, 375u, 377u, 1000u}) {
        Bytes file(size, 1);
        GameStats stats;
        GameStatsDefaults(&stats);
        stats.enemies_killed = 9;
        EXPECT_FALSE(GameStatsFromBytes(file.data(), file.size(), &stats)) << size;
        EXPECT_EQ(stats.enemies_killed, 9);
    }
}

}  // namespace
