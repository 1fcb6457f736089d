// A whole battle with every behaviour kind: a SURVIVAL mission on fixture content whose
// waves send every enemy kind (hounds from spawners and bosses, drones of a hive mind,
// mines laid by raiders), six durable troopers firing bullets, rockets, napalm, flames,
// ice and gas, a bunker and dropped pick-ups. It runs 120 s of game time at 60 frames
// a second in the battle screen's order, checking the pool every frame; the same seed
// must end in the same state twice; no developer popup comes up; the last frame is
// saved to be looked at. The same battle then runs on the shipped battle data (types,
// weapons, power-ups and the shop from the built program directory) with the shipped
// kinds of every behaviour.
#include "tests/support/headless_engine.h"
#include "tests/game/game_fixture.h"
#include "tests/app/ui/widget_fixture.h"
#include "tests/game/entities/battle_content.h"

#include "app/services/dataman.h"
#include "app/services/profiles.h"
#include "app/services/random.h"
#include "app/ui/screen-manager.h"
#include "game/controls.h"
#include "game/entities/entity-ai.h"
#include "game/entities/entity-types.h"
#include "game/entities/entity.h"
#include "game/entities/powerups.h"
#include "game/entities/stock.h"
#include "game/entities/weapons.h"
#include "game/gamestate.h"
#include "game/obstacles.h"
#include "game/scape.h"
#include "game/spawn-manager.h"

#include <gtest/gtest.h>
#include <math.h>
#include <stdarg.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>

#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

using gametest::popups;
using gametest::RecordPopupf;

const float kStep = 1.0f / 60.0f;
const int kFrames = 120 * 60;
const uint32_t kSeed = 20261210u;
const char kLevel[] = "levels/all-kinds.xml";

// The shipped kinds of every enemy behaviour, and how many of each the wave sends; the
// broodmother's drones come with her, the queen lays eggs.
const char *const kShippedKinds[] = {"Hellhound", "Leaper",  "Crabfly", "Splitter", "Quadblob", "Sandworm", "Den",
                                     "Raider",    "Stalker", "Broodmother", "Drone", "Bloater", "BroodQueen", "Jugger"};
const int kShippedCounts[] = {6, 4, 4, 3, 2, 1, 1, 2, 2, 1, 6, 4, 1, 2};

// The shipped troopers and the weapon each is rearmed with (null: its own), so that
// every projectile behaviour flies.
const char *const kShippedSquad[][2] = {{"MinigunTrooper", nullptr}, {"BazookaTrooper", nullptr},
                                        {"BazookaTrooper", "BazookaNapalm"}, {"PyroTrooper", nullptr},
                                        {"PyroTrooper", "PyroFreeze"}, {"PyroTrooper", "PyroGas"}};

// The built program directory's parts the battle data names: the data files, effects,
// sounds and the art that has shipped so far.
const char *const kShippedParts[] = {"entities.xml", "weapons.xml", "powerups.xml", "shop.xml", "fxs",
                                     "data-sfx-WAV_22050_MONO", "blood", "game-ui", "shop", "troopers", "chapter-1",
                                     "chapter-2", "chapter-3", "bunker", "projectiles", "powerups"};

// Names the content check lets pass because their art has not shipped yet.
std::set<std::string> ArtStillToShip()
{
    std::ifstream in(std::string(ORVEX_SOURCE_DIR) + "/content/check-ignore.txt");
    std::set<std::string> names;
    for (std::string line; std::getline(in, line);)
        if (line.find("(game content)") != std::string::npos && !line.empty() && line[0] != '#')
            names.insert(line.substr(0, line.find(' ')));
    return names;
}

std::string Level(bool shipped)
{
    const char *const fixture_kinds[] = {"Seeker", "Leaper", "Flyer", "Splitter", "QuadSplitter", "Boss",
                                         "Nest",   "Raider", "Hanger", "Hive",    "Drone",        "Kamikaze"};
    const int fixture_counts[] = {6, 4, 4, 3, 2, 1, 1, 2, 2, 1, 6, 4};
    const char *const *kinds = shipped ? kShippedKinds : fixture_kinds;
    const int *counts = shipped ? kShippedCounts : fixture_counts;
    int n = shipped ? (int)(sizeof kShippedKinds / sizeof *kShippedKinds) : 12;
    std::string waves = "<node type=\"WAVE_START\" text=\"Wave\" boss_spawns=\"3\"/>\n";
    for (int i = 0; i < n; i++) {
        char line[260];
        snprintf(line, sizeof line,
                 "<node type=\"SPAWN\" spawn_type=\"%s\" num=\"%d\" interval=\"0.3\" pos_x=\"%.3f\" pos_y=\"%.3f\" "
                 "spread_min=\"10\" spread=\"120\"/>\n",
                 kinds[i], counts[i], i % 2 ? 0.15 : 0.85, 0.2 + 0.05 * i);
        waves += line;
    }
    return "<?xml version=\"1.0\"?>\n<root>\n<array id=\"gameplay\">\n"
           "<node id=\"delay_between_waves\" value=\"4\"/>\n<node id=\"continuous_waves\" value=\"true\"/>\n"
           "<node id=\"grouping_interval\" value=\"0\"/>\n<node id=\"reinforcement_wave_interval\" value=\"0\"/>\n"
           "<node id=\"powerup_probability\" value=\"30\"/>\n<node id=\"powerup_interval\" value=\"2000\"/>\n"
           "</array>\n<array id=\"environment\">\n<node id=\"bunker\" x=\"512\" y=\"384\" type=\"bunker\"/>\n"
           "</array>\n<array id=\"waves\">\n" +
           waves + "</array>\n</root>\n";
}

// FNV-1a over the values of the end state.
struct Checksum {
    uint64_t h = 1469598103934665603ull;
    void Bytes(const void *p, size_t n)
    {
        const unsigned char *b = (const unsigned char *)p;
        for (size_t i = 0; i < n; i++) {
            h ^= b[i];
            h *= 1099511628211ull;
        }
    }
    template <typename T> void Value(const T &v) { Bytes(&v, sizeof v); }
    void Text(const char *s) { Bytes(s ? s : "", s ? strlen(s) + 1 : 1); }
};

class BattleAllKinds : public gametest::GameTest {
protected:
    void SetUp() override
    {
        gametest::GameTest::SetUp();
        popups.clear();
        StartGame(1024, 768);
        ov->OV_Popupf = RecordPopupf;  // the engine table is restored after the test
        const char *screens[] = {"Game", "Shop", "PickReinforcement", "ArmTroopers", "GameOver", "LevelLost",
                                 "LevelWon", "EndCondition", "AchievementUnlocked"};
        for (const char *name : screens)
            MakeScreen(name);
        battlecontent::WriteAssets();
    }
    void TearDown() override
    {
        controls.Reset();
        controls.Init(0);
        if (prof == &profile_)
            prof = nullptr;
        gametest::GameTest::TearDown();
    }

    // The mission set up from the seed, with the six troopers and the player placed.
    void StartBattle()
    {
        if (shipped_) {
            UseShippedData();
        } else {
            WriteEntities(battlecontent::kEntities);
            WriteWeapons(battlecontent::kWeapons);
            WritePowerups(battlecontent::kPowerups);
        }
        apptest::WriteFile(kLevel, Level(shipped_));
        dman().ReleaseDatabase(kLevel);
        profile_.Reset("1.xml");
        prof = &profile_;
        Powerup::last_powerup_timestamp = 0;
        sman.prev_time_ms = sman.time_ms = 0;
        AppSeedRandom(kSeed);
        MakeWorld();
        world->stock->CacheGameAssets(kLevel, true);
        NewGameParms parms = {};
        parms.game_mode = GAME_MODE_SURVIVAL;
        strcpy(parms.chapter_id, "EXTRAS");
        strcpy(parms.mission_id, "MISSION9_9");
        strcpy(parms.level_file, kLevel);
        game.InitNewGame(&parms);
        game.squad_size = 6;
        game.starting_troopers_placed = 1;
        game.arming_requested = 1;
        controls.Init(CONTROLS_TOUCH_COMMANDS);
        controls.Reset();
        if (shipped_) {
            StartShippedSquad();
            return;
        }
        for (const char *name : {"Gunner", "Rocketeer", "Napalmer", "Pyro", "Froster", "Gasser"})
            ASSERT_NE(game.SpawnReinforcementTrooper(world->stock->GetEntityType(name), -1), nullptr) << name;
        ASSERT_NE(world->SpawnEntity(world->stock->GetEntityType("Player"), {100, 100}), nullptr);
    }

    // The shipped data files with what they name, copied from the built program directory.
    void UseShippedData()
    {
        ASSERT_NO_FATAL_FAILURE(
            gametest::CopyShippedParts(ORVEX_PROGRAM_DIR, kShippedParts, sizeof kShippedParts / sizeof *kShippedParts));
        for (const char *db : {"entities.xml", "weapons.xml", "powerups.xml", "shop.xml"})
            dman().ReleaseDatabase(db);
        // The sound package, as the program settings add it.
        if (!sounds_added_) {
            ov->OV_AddSearchPath("res://data-sfx-WAV_22050_MONO", true);
            sounds_added_ = true;
        }
    }

    // The shipped squad, made as durable as the fixture's so that the battle runs its
    // two minutes, and the inert cocoon (the Player behaviour) placed.
    void StartShippedSquad()
    {
        for (const auto &member : kShippedSquad) {
            Entity *t = game.SpawnReinforcementTrooper(world->stock->GetEntityType(member[0]), -1);
            ASSERT_NE(t, nullptr) << member[0];
            if (member[1]) {
                Weapon *w = Weapon::GetWeapon(member[1]);
                ASSERT_NE(w, nullptr) << member[1];
                w->SetActive(t);
            }
            t->hit_points = 1.0e9f;
        }
        ASSERT_NE(game.base, nullptr);
        game.base->hit_points = 1.0e9f;
        ASSERT_NE(world->SpawnEntity(world->stock->GetEntityType("Cocoon"), {100, 100}), nullptr);
    }

    // One frame in the battle screen's order; the screen clock follows the game time.
    void Frame()
    {
        sman.prev_time_ms = sman.time_ms;
        sman.time_ms += 1000 / 60 + (frame_ % 3 == 0 ? 1 : 0);
        frame_++;
        vec2_t base = game.base ? game.base->pos : vec2_t{512.0f, 384.0f};
        world->spawn_manager->SetSpawnParms(base, game.wave_number, 1);
        controls.Update(kStep);
        game.UpdateTutorial(kStep);
        world->Update(kStep);
        game.Update(kStep);
    }

    // The pool's bookkeeping: every record either on the free list or in use with a
    // type; at most all but one in use; in play means linked into a cell; the live
    // counters per friend group equal the living entities.
    void CheckPool()
    {
        Stock *stock = world->stock;
        int free_records = stock->CountFreeEntities();
        int in_use = 0;
        int alive[SCAPE_NUM_GROUP_COUNTS] = {};
        for (int i = 0; i < stock->num_entities; i++) {
            const Entity &e = stock->entities[i];
            if (!e.type)
                continue;
            in_use++;
            if (e.state == Entity::STATE_ALIVE) {
                ASSERT_NE(e.cell, nullptr) << e.type->name;
                if (e.friend_group >= 0 && e.friend_group < SCAPE_NUM_GROUP_COUNTS)
                    alive[e.friend_group]++;
                if (e.type->ai)
                    kinds_seen_.insert(e.type->ai->name);
            }
        }
        ASSERT_EQ(free_records + in_use, stock->num_entities);
        ASSERT_LE(in_use, stock->num_entities - 1);
        for (int g = 1; g <= 2; g++)
            ASSERT_EQ(world->group_counts[g], alive[g]) << "friend group " << g << " at frame " << frame_;
    }

    uint64_t EndState()
    {
        Checksum c;
        for (int i = 0; i < world->stock->num_entities; i++) {
            const Entity &e = world->stock->entities[i];
            if (!e.type)
                continue;
            c.Value(i);
            c.Text(e.type->name);
            c.Value(e.state);
            c.Value(e.pos.x);
            c.Value(e.pos.y);
            c.Value(e.hit_points);
            c.Value(e.angle);
            c.Value(e.goal);
            c.Value(e.burn_time);
            c.Value(e.chill_time);
        }
        c.Value(game.score);
        c.Value(game.money);
        c.Value(game.game_clock);
        c.Value(game.regular_kills);
        c.Value(game.boss_kills);
        c.Value(game.shots_fired);
        c.Value(game.wave_number);
        return c.h;
    }

    // 120 s of battle; the end-state checksum.
    uint64_t RunBattle(bool screenshot)
    {
        StartBattle();
        if (HasFatalFailure())
            return 0;
        frame_ = 0;
        for (int i = 0; i < kFrames; i++) {
            Frame();
            CheckPool();
            if (HasFatalFailure())
                return 0;
        }
        uint64_t sum = EndState();
        kills_ = game.regular_kills + game.boss_kills;
        score_ = game.score;
        if (screenshot)
            SaveScreenshot();
        // Everything back as a fresh run finds it.
        FreeWorld();
        gametest::ResetGameState();
        Weapon::ClearWeapons();
        Powerup::ClearPowerups();
        ObstacleType::FreeAll();
        controls.Reset();  // the data files are released as the next run writes them
        return sum;
    }

    void SaveScreenshot()
    {
        DrawBattleFrame();
        widgettest::Frame f = widgettest::ReadFrame();
        for (size_t i = 3; i < f.px.size(); i += 4)
            f.px[i] = 255;  // the screen as shown
        EXPECT_TRUE(widgettest::SavePng(f, enginetest::ShotPath("battle", "all-kinds-120s.png")));
    }

    Profile profile_;
    bool shipped_ = false;
    bool sounds_added_ = false;
    int frame_ = 0;
    int kills_ = 0;
    int score_ = 0;
    std::set<std::string> kinds_seen_;
};

TEST_F(BattleAllKinds, TwoMinutesOfEveryKindKeepThePoolAndEndTheSameTwice)
{
    uint64_t first = RunBattle(true);
    ASSERT_FALSE(HasFatalFailure());
    std::set<std::string> seen = kinds_seen_;
    uint64_t second = RunBattle(false);
    ASSERT_FALSE(HasFatalFailure());
    EXPECT_EQ(first, second);
    for (const std::string &p : popups)
        ADD_FAILURE() << "developer popup: " << p;
    const char *kinds[] = {"Player", "Trooper", "BaseBunker", "Seeker", "SeekerLeaper", "SeekerFlyer",
                           "Splitter", "QuadSplitter", "Spawner", "BossSplitter", "Mine", "WaypointAttacker",
                           "HangAround", "HiveMind", "Kamikaze", "Bullet", "Rocket", "RocketNapalm",
                           "Flame", "Ice", "Gas", "Powerup"};
    for (const char *kind : kinds)
        EXPECT_TRUE(seen.count(kind)) << kind << " never in play";
    printf("battle: end state %016llx, %zu behaviour kinds in play, %d kills, score %d\n",
           (unsigned long long)first, seen.size(), kills_, score_);
    EXPECT_GT(kills_, 50);  // the troopers fight
}

// The shipped battle data: every behaviour has a shipped kind in play, the pool holds,
// the same seed ends the same, and no popup but one for art that has not shipped yet.
TEST_F(BattleAllKinds, ShippedDataKeepsThePoolAndEndsTheSameTwice)
{
    shipped_ = true;
    uint64_t first = RunBattle(false);
    ASSERT_FALSE(HasFatalFailure());
    std::set<std::string> seen = kinds_seen_;
    uint64_t second = RunBattle(false);
    ASSERT_FALSE(HasFatalFailure());
    EXPECT_EQ(first, second);
    std::set<std::string> pending = ArtStillToShip();
    for (const std::string &p : popups) {
        bool art = false;
        for (const std::string &name : pending)
            art = art || p.find("'" + name + "'") != std::string::npos;
        if (!art)
            ADD_FAILURE() << "developer popup: " << p;
    }
    // Every sound and effect the shipped data names loads.
    EXPECT_FALSE(apptest::Logged("Sound resource"));
    EXPECT_FALSE(apptest::Logged(".lua' not found"));
    for (const char *kind : {"Player", "Trooper", "BaseBunker", "Seeker", "SeekerLeaper", "SeekerFlyer", "Splitter",
                             "QuadSplitter", "Spawner", "BossSplitter", "Mine", "WaypointAttacker", "HangAround",
                             "HiveMind", "Kamikaze", "Bullet", "Rocket", "RocketNapalm", "Flame", "Ice", "Gas",
                             "Powerup"})
        EXPECT_TRUE(seen.count(kind)) << kind << " never in play";
    printf("shipped battle: end state %016llx, %zu behaviour kinds in play, %d kills, score %d, %zu popups\n",
           (unsigned long long)first, seen.size(), kills_, score_, popups.size());
    EXPECT_GT(kills_, 50);
}

}  // namespace
