// The saved game "user://user/save-15.dat" in a world on the headless engine: the bytes
// at their offsets, when nothing is saved, the round trip and the header-only load,
// malformed files that change nothing, failed writes that keep the old file, the
// trooper-count message, the reactivated features, the remains and deleting.
#include "game/gamestate.h"

#include "app/services/dataman.h"
#include "app/services/filehelpers.h"
#include "app/services/player-values.h"
#include "app/services/prog.h"
#include "app/services/random.h"
#include "game/entities/entity-types.h"
#include "game/entities/entity.h"
#include "game/entities/stock.h"
#include "game/savegame-format.h"
#include "tests/app/ui/widget_fixture.h"
#include "tests/game/game_fixture.h"
#include "tests/support/headless_engine.h"
#include "ovrecords.h"

#include <gtest/gtest.h>
#include <linux/capability.h>
#include <math.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

typedef std::vector<uint8_t> Bytes;

const char kSave[] = "user://user/save-15.dat";
const char kLevel[] = "levels/save-level.xml";

const char *kTypes =
    "<node id=\"Trooper\" flags=\"NORMAL MOVABLE\" friend_group=\"PLAYERS\" hit_points=\"100\" radius=\"10\"/>\n"
    "<node id=\"Grunt\" flags=\"NORMAL MOVABLE\" friend_group=\"ENEMIES\" hit_points=\"50\" radius=\"10\"/>\n"
    "<node id=\"BaseBunker\" type=\"Structure\" flags=\"NORMAL BLOCKS_MOVEMENT\" friend_group=\"PLAYERS\" "
    "hit_points=\"1000\" radius=\"40\"/>\n";

// The golden file's bytes, placed by the offsets of the layout, independently of the writer.
class Golden {
public:
    explicit Golden(size_t size) : b(size, 0) {}
    void Text(size_t at, const char *s) { memcpy(&b[at], s, strlen(s)); }
    void U8(size_t at, uint8_t v) { b[at] = v; }
    void U16(size_t at, uint16_t v)
    {
        b[at] = (uint8_t)v;
        b[at + 1] = (uint8_t)(v >> 8);
    }
    void I32(size_t at, int64_t v)
    {
        for (int i = 0; i < 4; i++)
            b[at + i] = (uint8_t)((uint32_t)v >> (8 * i));
    }
    void F32(size_t at, float f)
    {
        uint32_t bits;
        memcpy(&bits, &f, 4);
        I32(at, bits);
    }
    Bytes b;
};

Bytes ReadSave()
{
    long size = 0;
    char *data = ReadWholeFile(kSave, &size);
    Bytes bytes;
    if (data)
        bytes.assign(data, data + size);
    free(data);
    return bytes;
}

bool WriteSave(const Bytes &bytes)
{
    ov->OV_CreateDirectory("user://user");
    return SaveFileReplacing(kSave, bytes.data(), bytes.size());
}

// The game state's bytes, to show that a refused load changed nothing.
Bytes StateBytes()
{
    const uint8_t *p = (const uint8_t *)&game;
    return Bytes(p, p + sizeof game);
}

int draws = 0;
int CountedZero()
{
    draws++;
    return 0;
}

unsigned short_writes = 0;
unsigned (*real_write)(const void *, unsigned, ov_file_t *) = nullptr;
// Writes half of what it is given and reports that: a disk that fills up.
unsigned HalfWrite(const void *buf, unsigned size, ov_file_t *f)
{
    short_writes++;
    return real_write(buf, size / 2, f);
}

// The calling thread without the capabilities that let root pass file permissions,
// so that a directory of mode 0555 refuses it too; restored on destruction.
class PermissionsEnforced {
public:
    PermissionsEnforced()
    {
        if (syscall(SYS_capget, &header_, saved_) != 0)
            return;
        __user_cap_data_struct reduced[2];
        memcpy(reduced, saved_, sizeof reduced);
        reduced[0].effective &= ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH) | (1u << CAP_FOWNER));
        changed_ = syscall(SYS_capset, &header_, reduced) == 0;
    }
    ~PermissionsEnforced()
    {
        if (changed_)
            syscall(SYS_capset, &header_, saved_);
    }

private:
    __user_cap_header_struct header_ = {_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct saved_[2] = {};
    bool changed_ = false;
};

class SaveGameTest : public gametest::GameTest {
protected:
    void SetUp() override
    {
        gametest::GameTest::SetUp();
        StartGame();
        WriteEntities(kTypes);
        std::string waves;
        for (int i = 1; i <= 8; i++)
            waves += "<node id=\"w" + std::to_string(i) + "\" type=\"WAVE_START\" flags=\"F" + std::to_string(i) +
                     "\" text=\"Wave " + std::to_string(i) + "\"/>\n";
        apptest::WriteFile(kLevel, gametest::XmlArray("waves", waves));
        BeforeWorld();
        MakeWorld();
        prog.parms.developer_mode = 0;
    }
    // Files a test's world needs before it loads its assets.
    virtual void BeforeWorld() {}
    void TearDown() override
    {
        AppSetRandomSource(nullptr);
        prog.parms.developer_mode = 0;
        gametest::GameTest::TearDown();
    }
    EntityType *Type(const char *name) { return world->stock->GetEntityType(name); }
    // A mission in its third wave with a bunker and two troopers, every saved field set.
    void SetUpBattle()
    {
        game.level_db = dman().GetDatabase(kLevel);
        game.parms.game_mode = GAME_MODE_LEVEL;
        strcpy(game.parms.chapter_id, "CHAPTER9");
        strcpy(game.parms.mission_id, "MISSION9_3");
        strcpy(game.parms.level_file, kLevel);
        game.score = 12345;
        game.num_features = 2;
        strcpy(game.features[0].name, "SQUAD_SIZE_5");
        game.features[0].count = 1;
        strcpy(game.features[1].name, "MONEY_BONUS");
        game.features[1].count = 0x0203;
        game.game_clock = 654321;
        game.squad_size = 5;
        game.troopers_to_pick = 1;
        game.living_troopers = 2;
        game.troopers_spawned = 3;
        game.starting_troopers_placed = 1;
        game.boss_kills = 4;
        game.regular_kills = 77;
        game.further_counter = 9;
        game.most_troopers_held = 2;
        game.shots_fired = 321;
        game.lowest_bunker_hp = 812.5f;
        game.pyro_deathwish = 1;
        game.boss_spawns = 6;
        game.wave_script_pos = 2;
        game.further_word = 11;
        game.wave_advance_state = 1;
        game.wave_banner_phase = 0.25f;
        game.between_waves_phase = 0.5f;
        game.script_wait = 1.75f;
        game.force_field_time = 3.5f;
        game.level_number_shown = 2.5f;
        game.wave_number = 2;
        game.num_waves = 8;
        game.wave_sound_played = 1;
        game.money = 900;
        game.money_earned = 1200;
        game.money_spent = 300;
        game.saving_allowed = 1;
        game.pending_bunker_repair = 45.5f;
        game.base = world->SpawnEntity(Type("BaseBunker"), {900.0f, 400.0f});
        ASSERT_NE(game.base, nullptr);
        game.base->hit_points = 850.0f;
        Entity *a = world->SpawnEntity(Type("Trooper"), {300.0f, 200.0f});
        Entity *b = world->SpawnEntity(Type("Trooper"), {400.0f, 250.0f});
        ASSERT_TRUE(a && b);
        a->angle = 1.25f;
        a->hit_points = 60.0f;
        b->angle = -2.5f;
        b->hit_points = 100.0f;
        // An enemy is no trooper.
        ASSERT_NE(world->SpawnEntity(Type("Grunt"), {350.0f, 220.0f}), nullptr);
    }
    // A fresh world and game state with the level set up again and a new bunker, as
    // the loader has them before the whole state is read.
    void FreshBattle()
    {
        MakeWorld();
        gametest::ResetGameState();
        game.level_db = dman().GetDatabase(kLevel);
        game.base = world->SpawnEntity(Type("BaseBunker"), {900.0f, 400.0f});
        ASSERT_NE(game.base, nullptr);
    }
    int CountOfType(const char *name)
    {
        Entity *found[64];
        return world->QueryEntitiesOfType(Type(name), Entity::ALL_FLAGS, found, 64);
    }
};

TEST_F(SaveGameTest, GoldenFileHoldsEveryFieldAtItsOffset)
{
    SetUpBattle();
    ASSERT_TRUE(game.SaveGameState());
    EXPECT_TRUE(apptest::Logged("Saving game state..\n"));
    EXPECT_TRUE(apptest::Logged("Writing game state file..\n"));

    Golden g(8973 + 2 * 80 + 13);
    g.Text(0, "SAVE-STATE-15");
    g.I32(13, GAME_MODE_LEVEL);
    g.Text(17, "CHAPTER9");
    g.Text(81, "MISSION9_3");
    g.Text(145, kLevel);
    g.I32(401, 12345);
    g.I32(405, 2);
    g.Text(409, "SQUAD_SIZE_5");
    g.U16(409 + 64, 1);
    g.Text(409 + 66, "MONEY_BONUS");
    g.U16(409 + 66 + 64, 0x0203);
    g.I32(8857, 654321);
    g.I32(8861, 5);
    g.I32(8865, 1);
    g.I32(8869, 2);
    g.I32(8873, 3);
    g.U8(8877, 1);
    g.I32(8878, 4);
    g.I32(8882, 77);
    g.I32(8886, 9);
    g.I32(8890, 2);
    g.I32(8894, 321);
    g.F32(8898, 812.5f);
    g.U8(8902, 1);
    g.I32(8903, 6);
    g.I32(8907, 2);
    g.I32(8911, 11);
    g.I32(8915, 1);
    g.F32(8919, 0.25f);
    g.F32(8923, 0.5f);
    g.F32(8927, 1.75f);
    g.F32(8931, 3.5f);
    g.F32(8935, 2.5f);
    g.I32(8939, 2);
    g.I32(8943, 8);
    g.U8(8947, 1);
    g.I32(8948, 900);
    g.I32(8952, 1200);
    g.I32(8956, 300);
    g.U8(8960, 1);
    g.F32(8961, 45.5f);
    g.F32(8965, 850.0f);
    g.I32(8969, 2);
    g.Text(8973, "Trooper");
    g.F32(8973 + 64, 300.0f);
    g.F32(8973 + 68, 200.0f);
    g.F32(8973 + 72, 1.25f);
    g.F32(8973 + 76, 60.0f);
    g.Text(9053, "Trooper");
    g.F32(9053 + 64, 400.0f);
    g.F32(9053 + 68, 250.0f);
    g.F32(9053 + 72, -2.5f);
    g.F32(9053 + 76, 100.0f);
    g.Text(9133, "SAVE-STATE-15");

    Bytes file = ReadSave();
    ASSERT_EQ(file.size(), g.b.size());
    for (size_t i = 0; i < file.size(); i++)
        ASSERT_EQ(file[i], g.b[i]) << "offset " << i;
}

TEST_F(SaveGameTest, NothingIsSavedWithoutBunkerTroopersOrPermission)
{
    struct Case {
        const char *what;
        std::function<void()> spoil;
    };
    const Case cases[] = {
        {"saving not allowed", [] { game.saving_allowed = 0; }},
        {"no bunker", [] { game.base = nullptr; }},
        {"no living trooper", [] { game.living_troopers = 0; }},
        {"bunker destroyed", [] { game.base->hit_points = 0.0f; }},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        SetUpBattle();
        c.spoil();
        EXPECT_FALSE(game.SaveGameState());
        EXPECT_TRUE(ReadSave().empty());
        EXPECT_FALSE(game.GameStateExists());
    }
}

TEST_F(SaveGameTest, RoundTripRestoresTheStateTroopersAndWaveNode)
{
    SetUpBattle();
    ASSERT_TRUE(game.SaveGameState());
    FreshBattle();
    EXPECT_TRUE(game.GameStateExists());

    // The header first: the mission and the score, nothing after them.
    ASSERT_TRUE(game.LoadGameState(true));
    EXPECT_EQ(game.parms.game_mode, GAME_MODE_LEVEL);
    EXPECT_STREQ(game.parms.chapter_id, "CHAPTER9");
    EXPECT_STREQ(game.parms.mission_id, "MISSION9_3");
    EXPECT_STREQ(game.parms.level_file, kLevel);
    EXPECT_EQ(game.score, 12345);
    EXPECT_EQ(game.game_clock, 0u);
    EXPECT_EQ(game.num_features, 0);
    EXPECT_EQ(game.money, 0);
    EXPECT_EQ(CountOfType("Trooper"), 0);

    ASSERT_TRUE(game.LoadGameState(false));
    EXPECT_TRUE(apptest::Logged("Loading game state..\n"));
    EXPECT_TRUE(apptest::Logged("Reading game state file..\n"));
    EXPECT_EQ(game.num_features, 2);
    EXPECT_STREQ(game.features[1].name, "MONEY_BONUS");
    EXPECT_EQ(game.features[1].count, 0x0203);
    EXPECT_EQ(game.game_clock, 654321u);
    EXPECT_EQ(game.squad_size, 5);
    EXPECT_EQ(game.troopers_to_pick, 1);
    EXPECT_EQ(game.troopers_spawned, 3);
    EXPECT_EQ(game.starting_troopers_placed, 1);
    EXPECT_EQ(game.boss_kills, 4);
    EXPECT_EQ(game.regular_kills, 77);
    EXPECT_EQ(game.further_counter, 9);
    EXPECT_EQ(game.most_troopers_held, 2);
    EXPECT_EQ(game.shots_fired, 321);
    EXPECT_EQ(game.lowest_bunker_hp, 812.5f);
    EXPECT_EQ(game.pyro_deathwish, 1);
    EXPECT_EQ(game.boss_spawns, 6);
    EXPECT_EQ(game.wave_script_pos, 2);
    EXPECT_EQ(game.further_word, 11);
    EXPECT_EQ(game.wave_advance_state, 1);
    EXPECT_EQ(game.wave_banner_phase, 0.25f);
    EXPECT_EQ(game.between_waves_phase, 0.5f);
    EXPECT_EQ(game.script_wait, 1.75f);
    EXPECT_EQ(game.force_field_time, 3.5f);
    EXPECT_EQ(game.level_number_shown, 2.5f);
    EXPECT_EQ(game.wave_number, 2);
    EXPECT_EQ(game.num_waves, 8);
    EXPECT_EQ(game.wave_sound_played, 0);  // cleared on load
    EXPECT_EQ(game.money, 900);
    EXPECT_EQ(game.money_earned, 1200);
    EXPECT_EQ(game.money_spent, 300);
    EXPECT_EQ(game.saving_allowed, 1);
    EXPECT_EQ(game.pending_bunker_repair, 45.5f);
    EXPECT_EQ(game.base->hit_points, 850.0f);
    // The second node of "waves" is the current one.
    ASSERT_NE(game.wave_flags, nullptr);
    EXPECT_STREQ(game.wave_flags, "F2");
    EXPECT_STREQ(game.wave_banner_text, "Wave 2");
    EXPECT_EQ(memcmp(&new_game_parms, &game.parms, sizeof game.parms), 0);

    // The troopers stand where they stood, in the trooper list without a squad slot.
    ASSERT_EQ(game.troopers.Count(), 2);
    EXPECT_EQ(CountOfType("Trooper"), 2);
    EXPECT_EQ(CountOfType("Grunt"), 0);
    Entity *a = game.troopers[0], *b = game.troopers[1];
    EXPECT_EQ(a->pos.x, 300.0f);
    EXPECT_EQ(a->pos.y, 200.0f);
    EXPECT_EQ(a->angle, 1.25f);
    EXPECT_EQ(a->hit_points, 60.0f);
    EXPECT_EQ(a->slot, -1);
    EXPECT_EQ(b->pos.x, 400.0f);
    EXPECT_EQ(b->angle, -2.5f);
    EXPECT_EQ(b->hit_points, 100.0f);
    EXPECT_EQ(b->slot, -1);

    // Saved again, the file is the same.
    Bytes first = ReadSave();
    game.living_troopers = 2;
    game.wave_sound_played = 1;
    ASSERT_TRUE(game.SaveGameState());
    EXPECT_EQ(ReadSave(), first);
}

// A saved game holding the largest numbers a file can hold loads with each number in
// its range and plays on: the next wave, money and kills count up without overflowing
// (the sanitizer build stops on any signed overflow).
TEST_F(SaveGameTest, ExtremeNumbersLoadInRangeAndPlayOn)
{
    SetUpBattle();
    ASSERT_TRUE(game.SaveGameState());
    Bytes extreme = ReadSave();
    auto put32 = [&](size_t at, uint32_t v) {
        for (int i = 0; i < 4; i++)
            extreme[at + i] = (uint8_t)(v >> (8 * i));
    };
    for (size_t at : {401u, 8873u, 8878u, 8882u, 8894u, 8903u, 8939u, 8943u, 8948u, 8952u, 8956u})
        put32(at, 0x7fffffffu);
    put32(8857, 0xffffffffu);  // the game clock
    for (size_t at : {8898u, 8931u, 8935u, 8961u, 8965u})  // hit points, force field, level shown, repair
        put32(at, 0x4f000000u);  // 2147483648.0f
    put32(8915, 1);            // waiting for the next wave
    put32(8919, 0);            // no wave banner
    put32(8923, 0);            // no between-waves pause
    put32(8927, 0);            // no script wait
    ASSERT_TRUE(WriteSave(extreme));
    FreshBattle();
    ASSERT_TRUE(game.LoadGameState(false));
    EXPECT_EQ(game.wave_number, kPlayerMaxWave);
    EXPECT_EQ(game.num_waves, 8) << "no more waves than the level's script holds";
    EXPECT_EQ(game.level_number_shown, (float)kPlayerMaxWave);
    EXPECT_EQ(game.base->hit_points, kPlayerMaxHitPoints);
    EXPECT_EQ(game.money, kPlayerMaxMoney);
    EXPECT_EQ(game.score, kPlayerMaxScore);
    EXPECT_EQ(game.regular_kills, kPlayerMaxCount);
    EXPECT_EQ(game.game_clock, (uint32_t)kPlayerMaxTimeMs);
    DrawBattleFrame();  // the HUD shows the wave marker and the level number
    // Play on: the countdown runs out and the next wave starts.
    game.wave_countdown = 0.0f;
    for (int i = 0; i < 100 && game.wave_number == kPlayerMaxWave; i++)
        game.Update(0.05f);
    EXPECT_EQ(game.wave_number, kPlayerMaxWave + 1);
    game.money_enabled = 1;
    game.AddMoney(500, {100.0f, 100.0f});
    EXPECT_EQ(game.money, kPlayerMaxMoney + 500);
}

TEST_F(SaveGameTest, MalformedFilesChangeNothing)
{
    SetUpBattle();
    ASSERT_TRUE(game.SaveGameState());
    const Bytes valid = ReadSave();
    ASSERT_EQ(valid.size(), 9146u);
    auto put32 = [](Bytes &b, size_t at, uint32_t v) {
        for (int i = 0; i < 4; i++)
            b[at + i] = (uint8_t)(v >> (8 * i));
    };
    auto putf = [&](Bytes &b, size_t at, float f) {
        uint32_t bits;
        memcpy(&bits, &f, 4);
        put32(b, at, bits);
    };
    struct Case {
        const char *what;
        std::function<void(Bytes &)> spoil;
    };
    const Case cases[] = {
        {"too short", [](Bytes &b) { b.resize(8985); }},
        {"too long", [](Bytes &b) { b.resize(10187); }},
        {"a megabyte", [](Bytes &b) { b.resize(1 << 20, 'x'); }},
        {"size not of the trooper count", [](Bytes &b) { b.push_back(0); }},
        {"leading magic", [](Bytes &b) { b[0] = 's'; }},
        {"trailing magic", [](Bytes &b) { b[9145] = '6'; }},
        {"feature count 129", [&](Bytes &b) { put32(b, 405, 129); }},
        {"feature count -1", [&](Bytes &b) { put32(b, 405, 0xffffffffu); }},
        {"trooper count 16", [&](Bytes &b) { put32(b, 8969, 16); }},
        {"trooper count -1", [&](Bytes &b) { put32(b, 8969, 0xffffffffu); }},
        {"chapter without NUL", [](Bytes &b) { memset(&b[17], 'C', 64); }},
        {"mission without NUL", [](Bytes &b) { memset(&b[81], 'M', 64); }},
        {"level file without NUL", [](Bytes &b) { memset(&b[145], 'L', 256); }},
        {"feature name without NUL", [](Bytes &b) { memset(&b[409 + 66 * 7], 'F', 64); }},
        {"trooper name of 64 characters", [](Bytes &b) { memset(&b[9053], 'T', 64); }},
        {"float NaN", [&](Bytes &b) { putf(b, 8898, nanf("")); }},
        {"trooper float infinite", [&](Bytes &b) { putf(b, 8973 + 76, INFINITY); }},
        {"wave-script position -1", [&](Bytes &b) { put32(b, 8907, 0xffffffffu); }},
        {"wave-script position past the level's nodes", [&](Bytes &b) { put32(b, 8907, 9); }},
        {"level that does not exist", [](Bytes &b) {
             memset(&b[145], 0, 256);
             memcpy(&b[145], "levels/none.xml", 15);
         }},
    };
    FreshBattle();
    const std::string kept = std::string(kSave) + ".bad";
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        Bytes bad = valid;
        c.spoil(bad);
        ASSERT_TRUE(WriteSave(bad));
        ov->OV_DeleteFile(kept.c_str());
        int before_messages = apptest::CountLogged("Incompatible save game header. Ignoring save game.\n");
        int before_errors = apptest::CountLogged("' is damaged (" + std::to_string(bad.size()) +
                                                 " bytes): kept aside as '" + kept + "'.\n");
        Bytes before = StateBytes();
        int decals = world->num_decals;
        // The first read refuses it and sets it aside: nothing offers it any more.
        EXPECT_FALSE(game.GameStateExists());
        EXPECT_FALSE(FileOpens(kSave));
        long size = 0;
        char *copy = ReadWholeFile(kept.c_str(), &size);
        EXPECT_TRUE(copy && Bytes(copy, copy + size) == bad);
        free(copy);
        EXPECT_FALSE(game.LoadGameState(true));
        EXPECT_FALSE(game.LoadGameState(false));
        EXPECT_TRUE(StateBytes() == before);
        EXPECT_EQ(CountOfType("Trooper"), 0);
        EXPECT_EQ(world->num_decals, decals);
        EXPECT_EQ(apptest::CountLogged("Incompatible save game header. Ignoring save game.\n"), before_messages + 1);
        EXPECT_EQ(apptest::CountLogged("' is damaged (" + std::to_string(bad.size()) + " bytes): kept aside as '" +
                                       kept + "'.\n"),
                  before_errors + 1);
    }
    // The valid file still loads, and its last allowed position is the node count.
    Bytes last = valid;
    put32(last, 8907, 8);
    ASSERT_TRUE(WriteSave(last));
    EXPECT_TRUE(game.LoadGameState(true));
}

TEST_F(SaveGameTest, MissingFileIsNoSavedGame)
{
    Bytes before = StateBytes();
    EXPECT_FALSE(game.GameStateExists());
    EXPECT_FALSE(game.LoadGameState(true));
    EXPECT_FALSE(game.LoadGameState(false));
    EXPECT_TRUE(StateBytes() == before);
    EXPECT_FALSE(apptest::Logged("Incompatible save game header"));
}

TEST_F(SaveGameTest, WriteIntoAReadOnlyFolderKeepsTheOldFile)
{
    SetUpBattle();
    ASSERT_TRUE(game.SaveGameState());
    const Bytes old = ReadSave();
    std::string folder;
    for (const auto &entry : std::filesystem::recursive_directory_iterator("."))
        if (entry.path().filename() == "save-15.dat")
            folder = entry.path().parent_path().string();
    ASSERT_FALSE(folder.empty());
    ASSERT_EQ(chmod(folder.c_str(), 0555), 0);
    prog.parms.developer_mode = 1;  // the file helper's popup says why
    game.score = 99;
    bool saved;
    {
        PermissionsEnforced enforced;
        saved = game.SaveGameState();
    }
    chmod(folder.c_str(), 0755);
    EXPECT_FALSE(saved);
    EXPECT_EQ(ReadSave(), old);
    EXPECT_TRUE(apptest::Logged("Unable to open file 'user://user/save-15.dat' for writing."));
    EXPECT_TRUE(apptest::Logged("Saving game state failed"));
}

TEST_F(SaveGameTest, ShortWriteKeepsTheOldFile)
{
    SetUpBattle();
    ASSERT_TRUE(game.SaveGameState());
    const Bytes old = ReadSave();
    game.score = 99;
    prog.parms.developer_mode = 1;  // the file helper's popup says why
    real_write = ov->OV_WriteFile;
    short_writes = 0;
    ov->OV_WriteFile = HalfWrite;
    bool saved = game.SaveGameState();
    ov->OV_WriteFile = real_write;
    EXPECT_GT(short_writes, 0u);
    EXPECT_FALSE(saved);
    EXPECT_EQ(ReadSave(), old);
    EXPECT_TRUE(apptest::Logged("Unable to write file 'user://user/save-15.dat'."));
    EXPECT_TRUE(apptest::Logged("Saving game state failed"));
    // The next write goes through.
    ASSERT_TRUE(game.SaveGameState());
    Bytes now = ReadSave();
    ASSERT_GE(now.size(), 405u);
    EXPECT_EQ(now[401], 99);
}

TEST_F(SaveGameTest, TrooperCountMessageInDeveloperMode)
{
    SetUpBattle();
    ASSERT_TRUE(game.SaveGameState());
    const char *message = "LoadSaveState - Trooper count differs between saved and loaded (2 != 0)\n";
    // Nothing here counts a trooper's birth: the loaded count stays 0 against 2 saved.
    FreshBattle();
    ASSERT_TRUE(game.LoadGameState(false));
    EXPECT_FALSE(apptest::Logged(message));
    FreshBattle();
    prog.parms.developer_mode = 1;
    ASSERT_TRUE(game.LoadGameState(false));
    EXPECT_TRUE(apptest::Logged(message));
    EXPECT_EQ(game.living_troopers, 0);
}

TEST_F(SaveGameTest, UnknownTrooperTypeEndsTheTrooperList)
{
    SetUpBattle();
    ASSERT_TRUE(game.SaveGameState());
    Bytes bytes = ReadSave();
    memset(&bytes[8973], 0, 64);
    memcpy(&bytes[8973], "Nobody", 6);
    ASSERT_TRUE(WriteSave(bytes));
    FreshBattle();
    ASSERT_TRUE(game.LoadGameState(false));
    EXPECT_EQ(CountOfType("Trooper"), 0);
    EXPECT_EQ(game.troopers.Count(), 0);
}

TEST_F(SaveGameTest, PyroDeathwishIsActivatedAgainOtherFeaturesNot)
{
    SetUpBattle();
    game.pyro_deathwish = 0;
    strcpy(game.features[1].name, "pyro_deathwish");
    strcpy(game.features[2].name, "HEAL");
    game.num_features = 3;
    ASSERT_TRUE(game.SaveGameState());
    FreshBattle();
    ASSERT_TRUE(game.LoadGameState(false));
    // The byte at 8902 said 0; the feature sets it again.
    EXPECT_EQ(game.pyro_deathwish, 1);
    // "HEAL" is not run again: the wounded trooper keeps its saved hit points.
    ASSERT_EQ(game.troopers.Count(), 2);
    EXPECT_EQ(game.troopers[0]->hit_points, 60.0f);
}

TEST_F(SaveGameTest, RemainsFollowTheWavePosition)
{
    // With every draw 0 a remain takes x, y and size (f = 1), then one splat; a splat
    // takes angle and distance, and with blood decals a choice, angle and scale.
    const int decal_draws = world->stock->num_blood_decals > 0 ? 3 : 0;
    const int per_remain = 3 + 1 * (2 + decal_draws);
    struct Case {
        int position;
        int remains;
    };
    // The draws of the rest of the load (the troopers' spawns), from the same battle
    // saved at position 0, are taken away.
    auto draws_of_load = [&](int position) {
        MakeWorld();
        gametest::ResetGameState();
        SetUpBattle();
        game.wave_script_pos = position;
        EXPECT_TRUE(game.SaveGameState());
        FreshBattle();
        draws = 0;
        AppSetRandomSource(CountedZero);
        EXPECT_TRUE(game.LoadGameState(false));
        AppSetRandomSource(nullptr);
        EXPECT_EQ(world->num_decals, 0);  // baked
        return draws;
    };
    for (Case c : {Case{1, 10}, Case{2, 20}, Case{5, 50}, Case{6, 60}, Case{8, 60}}) {
        SCOPED_TRACE(c.position);
        int baseline = draws_of_load(0);
        EXPECT_EQ(draws_of_load(c.position) - baseline, c.remains * per_remain);
    }
}

// The shipped blood and corpses of the first chapter.
class ShippedRemainsTest : public SaveGameTest {
protected:
    void BeforeWorld() override
    {
        const char *const parts[] = {"blood", "chapter-1"};
        gametest::CopyShippedParts(ORVEX_PROGRAM_DIR, parts, 2);
    }
};

// A battle resumed after its sixth wave lies under the shipped remains of the first
// chapter (sixty corpses with their blood): the field shows the aftermath of a fight,
// not a carpet of blood. The picture is kept to be looked at.
TEST_F(ShippedRemainsTest, ResumedBattleReadsAsItsAftermath)
{
    ASSERT_GT(world->stock->num_blood_decals, 0);
    SetUpBattle();
    strcpy(game.parms.chapter_id, "CHAPTER1");
    game.wave_script_pos = 6;
    ASSERT_TRUE(game.SaveGameState());
    FreshBattle();
    AppSeedRandom(20261210u);
    ASSERT_TRUE(game.LoadGameState(false));
    DrawBattleFrame();
    widgettest::Frame f = widgettest::ReadFrame();
    for (size_t i = 3; i < f.px.size(); i += 4)
        f.px[i] = 255;
    EXPECT_TRUE(widgettest::SavePng(f, enginetest::ShotPath("savegame", "resumed-aftermath.png")));
    // Blood and corpses: red well above green and blue.
    size_t red = 0, field = 0;
    for (size_t i = 0; i + 3 < f.px.size(); i += 4) {
        field++;
        if (f.px[i] > f.px[i + 1] + 30 && f.px[i] > f.px[i + 2] + 30)
            red++;
    }
    printf("blood and corpses cover %.1f %% of the field\n", 100.0 * (double)red / (double)field);
    EXPECT_LT((double)red / (double)field, 0.06);
    EXPECT_GT(red, 0u);
}

TEST_F(SaveGameTest, RemainsOfTheChapterShowTheCorpseLastFrame)
{
    // A three-frame death sequence of the second chapter; the chapter id in any case.
    widgettest::WriteBms("chapter-2/crabfly/crabfly-die.bms", 4, 4, {{255, 0, 0, 255}, {0, 255, 0, 255}, {0, 0, 255, 255}},
                         {0, 1, 2}, 10.0f);
    const int decal_draws = world->stock->num_blood_decals > 0 ? 3 : 0;
    const int per_remain = 3 + 2 + 1 * (2 + decal_draws);  // with the corpse's angle and scale
    auto draws_of_load = [&](const char *chapter, int position) {
        MakeWorld();
        gametest::ResetGameState();
        SetUpBattle();
        strcpy(game.parms.chapter_id, chapter);
        game.wave_script_pos = position;
        EXPECT_TRUE(game.SaveGameState());
        FreshBattle();
        draws = 0;
        AppSetRandomSource(CountedZero);
        EXPECT_TRUE(game.LoadGameState(false));
        AppSetRandomSource(nullptr);
        return draws;
    };
    // The pool's one fetched record, the one the load selects a frame of.
    ov_bitmap_t *corpse = ov->OV_GetBitmap("chapter-2/crabfly/crabfly-die.bms");
    ASSERT_NE(corpse, nullptr);
    ASSERT_EQ(corpse->num_frames, 3);
    ov->OV_SetBitmapFrame(corpse, 0);
    int baseline = draws_of_load("chapter2", 0);
    EXPECT_EQ(memcmp(&corpse->hw, &corpse->frames[0].hw, sizeof corpse->hw), 0);
    EXPECT_EQ(draws_of_load("chapter2", 1) - baseline, 10 * per_remain);
    EXPECT_EQ(memcmp(&corpse->hw, &corpse->frames[2].hw, sizeof corpse->hw), 0);
    EXPECT_NE(memcmp(&corpse->frames[0].hw, &corpse->frames[2].hw, sizeof corpse->hw), 0);
    EXPECT_EQ(corpse->refcount, 1);  // fetched, never released by the load
}

TEST_F(SaveGameTest, DeleteReportsTheFileGone)
{
    SetUpBattle();
    ASSERT_TRUE(game.SaveGameState());
    EXPECT_EQ(game.DeleteSaveGameState(), 1);
    EXPECT_TRUE(apptest::Logged("Deleting save game..\n"));
    EXPECT_TRUE(ReadSave().empty());
    EXPECT_FALSE(game.GameStateExists());
    // Already gone: still gone.
    EXPECT_EQ(game.DeleteSaveGameState(), 1);
}

}  // namespace
