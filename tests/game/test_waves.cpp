// The wave script: LEVEL calls wave by wave, DELAY, star scaling, start times, random
// blocks and their sizes, hit-point factors, clock positions, flags, emitters,
// tutorials, and the guards against empty choices, zero intervals and huge waves.
#include "tests/game/battle_driver.h"

#include "app/services/dataman.h"
#include "app/services/random.h"
#include "game/entities/entity-types.h"
#include "game/entities/entity.h"
#include "game/entities/stock.h"
#include "game/entities/upgrades.h"
#include "game/scape.h"
#include "game/spawn-manager.h"

#include <math.h>
#include <string.h>

#include <deque>
#include <set>
#include <string>
#include <vector>

namespace {

using battletest::Array;
using battletest::BattleTest;
using battletest::LevelXml;

const char *kBase = "<node id=\"bunker\" x=\"900\" y=\"384\"/>";

class WaveTest : public BattleTest {
protected:
    void SetUp() override
    {
        BattleTest::SetUp();
        StartBattleWorld();
    }
    void TearDown() override
    {
        upgrades = Upgrades();
        BattleTest::TearDown();
    }
    void Start(int mode, const std::string &waves, const std::string &gameplay = "")
    {
        StartLevel(mode, LevelXml(Array("environment", kBase) + Array("gameplay", gameplay) + Array("waves", waves)));
    }
    std::vector<SpawnInfo *> Queue()
    {
        std::vector<SpawnInfo *> out;
        for (SpawnInfo *s = world->spawn_manager->queue_head; s; s = s->next)
            out.push_back(s);
        return out;
    }
    void ClearQueue() { world->spawn_manager->ClearSpawnList(); }
};

// A wave's tip about a creature waits until one is on the field: the alien born
// outside the edge shows nothing, the one that walks in shows the first waiting tip;
// the second waits for the first to go, then shows. A tip seen before never waits.
TEST_F(WaveTest, ATipAboutACreatureWaitsUntilOneIsOnTheField)
{
    apptest::WriteFile("texts.xml", gametest::XmlArray("tutorial",
                                                       "<node id=\"ENEMY_ALIEN\" text=\"Aliens\" flags=\"TUTORIAL_PAUSES\"/>\n"
                                                       "<node id=\"ALIEN_MORE\" text=\"More\" flags=\"\"/>\n"
                                                       "<node id=\"SEEN\" text=\"Old\" flags=\"\"/>"));
    dman().ReleaseDatabase("texts.xml");
    profile.AddTag("tutorials_completed", "SEEN");
    Start(GAME_MODE_LEVEL, "<node type=\"WAVE_START\"/>\n"
                           "<node type=\"TUTORIAL\" tutorial=\"ENEMY_ALIEN\" when_on_field=\"Alien\"/>\n"
                           "<node type=\"TUTORIAL\" tutorial=\"SEEN\" when_on_field=\"Alien\"/>\n"
                           "<node type=\"TUTORIAL\" tutorial=\"ALIEN_MORE\" when_on_field=\"Alien\"/>\n"
                           "<node type=\"SPAWN\" spawn_type=\"Alien\"/>\n"
                           "<node type=\"WAVE_START\"/>");
    game.SetupNextWave();
    EXPECT_EQ(2, game.num_awaited_tutorials);
    game.UpdateTutorial(0.1f);
    EXPECT_EQ(nullptr, game.tutorial_name);
    Entity *alien = world->SpawnEntity(world->stock->GetEntityType("Alien"), vec2_t{-30.0f, 300.0f});
    ASSERT_NE(nullptr, alien);
    game.UpdateTutorial(0.1f);
    EXPECT_EQ(nullptr, game.tutorial_name);  // still outside the field
    alien->pos = vec2_t{30.0f, 300.0f};
    game.UpdateTutorial(0.1f);
    ASSERT_NE(nullptr, game.tutorial_name);
    EXPECT_STREQ("ENEMY_ALIEN", game.tutorial_name);
    EXPECT_TRUE(game.tutorial_pauses);
    game.UpdateTutorial(0.1f);
    EXPECT_STREQ("ENEMY_ALIEN", game.tutorial_name);  // one at a time
    game.SetTutorialCompleted("ENEMY_ALIEN");
    for (int i = 0; i < 10 && game.tutorial_name && strcmp(game.tutorial_name, "ENEMY_ALIEN") == 0; i++)
        game.UpdateTutorial(0.2f);
    game.UpdateTutorial(0.1f);
    ASSERT_NE(nullptr, game.tutorial_name);
    EXPECT_STREQ("ALIEN_MORE", game.tutorial_name);
    EXPECT_EQ(0, game.num_awaited_tutorials);
}

TEST_F(WaveTest, ClockPositions)
{
    struct Case {
        float pos;
        float x, y;
    } cases[] = {
        {10.5f, 0, -40}, {0.0f, 512, -40}, {1.5f, 1064, 0}, {3.0f, 1064, 384}, {4.5f, 1024, 808},
        {6.0f, 512, 808}, {7.5f, -40, 768}, {9.0f, -40, 384}, {12.0f, 512, -40},
        {-1.5f, 0, -40},   // negative positions wrap onto the field's edge
        {-7.5f, 1024, 808},
        {22.5f, 0, -40},
        {NAN, 512, -40},   // not a number: as 0
    };
    for (const Case &c : cases) {
        vec2_t p = GetRandomPositionOutsideEdges(c.pos);
        EXPECT_NEAR(c.x, p.x, 1e-3f) << c.pos;
        EXPECT_NEAR(c.y, p.y, 1e-3f) << c.pos;
    }
}

TEST_F(WaveTest, LevelScriptRunsOneWavePerCall)
{
    Start(GAME_MODE_LEVEL,
          "<node type=\"WAVE_START\" text=\"One\"/>\n"
          "<node type=\"SPAWN\" spawn_type=\"Alien\" num=\"2\" interval=\"0.5\" pos_x=\"0.1\" pos_y=\"0.5\"/>\n"
          "<node type=\"SPAWN\" spawn_type=\"Alien\" num=\"1\" spawn_delay=\"2\" pos_x=\"0.1\" pos_y=\"0.5\"/>\n"
          "<node type=\"WAVE_START\" text=\"Two\"/>\n"
          "<node type=\"SPAWN\" spawn_type=\"Alien\" num=\"1\" pos_edge=\"3\"/>");
    world->spawn_manager->clock = 500;
    game.wave_countdown = 0.0f;
    game.SetupNextWave();
    EXPECT_EQ(3, game.wave_script_pos);  // points at the second WAVE_START
    EXPECT_EQ(1, game.wave_number);
    EXPECT_STREQ("One", game.wave_banner_text);
    EXPECT_FLOAT_EQ(0.001f, game.wave_banner_phase);
    EXPECT_FLOAT_EQ(1.0f, game.wave_countdown);
    std::vector<SpawnInfo *> q = Queue();
    ASSERT_EQ(3u, q.size());
    EXPECT_EQ(1600u, q[0]->time);         // clock + 1100
    EXPECT_EQ(2100u, q[1]->time);         // + interval
    EXPECT_EQ(2600u + 2000u, q[2]->time); // the next node after 2 x 0.5 s, plus its delay
    EXPECT_FLOAT_EQ(102.4f, q[0]->pos.x);
    EXPECT_FLOAT_EQ(384.0f, q[0]->pos.y);

    ClearQueue();
    game.SetupNextWave();
    EXPECT_EQ(5, game.wave_script_pos);
    EXPECT_EQ(2, game.wave_number);
    EXPECT_STREQ("Two", game.wave_banner_text);
    q = Queue();
    ASSERT_EQ(1u, q.size());
    EXPECT_FLOAT_EQ(1064.0f, q[0]->pos.x);
    EXPECT_FLOAT_EQ(384.0f, q[0]->pos.y);

    // Spent: only the countdown moves.
    ClearQueue();
    game.SetupNextWave();
    EXPECT_EQ(5, game.wave_script_pos);
    EXPECT_TRUE(Queue().empty());
}

TEST_F(WaveTest, DelayNodes)
{
    Start(GAME_MODE_LEVEL,
          "<node type=\"WAVE_START\"/>\n<node type=\"DELAY\"/>\n"
          "<node type=\"SPAWN\" spawn_type=\"Alien\" delay=\"0\"/>\n<node type=\"DELAY\" delay=\"2.7\"/>\n"
          "<node type=\"WAVE_START\"/>");
    game.wave_countdown = 0.0f;
    game.SetupNextWave();
    EXPECT_EQ(2, game.wave_script_pos);  // a DELAY without "delay" ends the call
    EXPECT_FLOAT_EQ(1.0f, game.wave_countdown);
    game.wave_countdown = 0.0f;
    game.SetupNextWave();
    // The SPAWN's own "delay" makes the script wait and ends the call.
    EXPECT_EQ(3, game.wave_script_pos);
    EXPECT_FLOAT_EQ(0.0f, game.script_wait);
    game.SetupNextWave();
    EXPECT_EQ(4, game.wave_script_pos);
    EXPECT_FLOAT_EQ(2.0f, game.wave_countdown);  // 2.7 cut to whole seconds
}

TEST_F(WaveTest, LevelNumbersScaleWithStars)
{
    struct Case {
        float lowest;  // of a base of 1000 hit points
        int num;
        int queued;
    } cases[] = {
        {1000.0f, 10, 10}, {400.0f, 10, 8}, {0.0f, 1, 1}, {0.0f, 10, 6}, {600.0f, 7, 6},
    };
    for (const Case &c : cases) {
        Start(GAME_MODE_LEVEL, "<node type=\"SPAWN\" spawn_type=\"Alien\" num=\"" + std::to_string(c.num) + "\"/>");
        ClearQueue();
        game.lowest_bunker_hp = c.lowest;
        game.SetupNextWave();
        EXPECT_EQ((size_t)c.queued, Queue().size()) << c.lowest << " " << c.num;
    }
}

TEST_F(WaveTest, HitPointFactors)
{
    struct Case {
        const char *times_lost;
        float increase;
        int waves_before;
        float factor;
    } cases[] = {
        {nullptr, 0.0f, 0, 1.0f},
        {"2", 0.0f, 0, 0.81f},
        {"-1", 0.0f, 0, 1.0f},           // no count goes below zero: read as 0
        {"2147483647", 0.0f, 0, 1.0f},   // read as the largest count: 0.9^n is 0, not positive: 1
        {"0", 0.25f, 2, 1.5f},   // third wave: 1 + 2 x 0.25
        {"0", NAN, 2, 1.0f},     // not finite: 1
        {"0", -1.0f, 2, 1.0f},   // not positive: 1
    };
    for (const Case &c : cases) {
        Start(GAME_MODE_SURVIVAL, "<node type=\"WAVE_START\"/>\n<node type=\"SPAWN\" spawn_type=\"Alien\"/>");
        profile.RemoveCategory("current_game");
        if (c.times_lost)
            profile.SetValue("current_game", "times_lost", "value", c.times_lost);
        upgrades.hitpoint_increase_per_wave = c.increase;
        game.random_wave_counter = c.waves_before;
        game.wave_number = c.waves_before;
        ClearQueue();
        game.SetupNextWaveAtRandom();
        std::vector<SpawnInfo *> q = Queue();
        ASSERT_FALSE(q.empty());
        EXPECT_NEAR(c.factor, q[0]->hit_point_factor, 1e-5f) << (c.times_lost ? c.times_lost : "none");
    }
}

TEST_F(WaveTest, RandomBlocksAndSizes)
{
    struct Case {
        int grouping;
        int wave;     // the wave being built
        size_t queued;  // SPAWN num 8 in every block
    } cases[] = {
        {4, 1, 10},     // 1 block of int(8 x 1.25)
        {4, 7, 2 * 5},  // 2 blocks of int(8 x 1.25 / 2)
        {4, 20, 3 * 3}, // 3 blocks (at most) of int(8 x 1.25 / 3)
        {0, 20, 10},    // 0: one block
        {-1, 1, 2 * 5}, // negative: w + 1 blocks
        {-1, 9, 3 * 3},
    };
    for (const Case &c : cases) {
        Start(GAME_MODE_SURVIVAL,
              "<node type=\"WAVE_START\" text=\"A\"/>\n<node type=\"SPAWN\" spawn_type=\"Alien\" num=\"8\"/>\n"
              "<node type=\"WAVE_START\" text=\"B\"/>\n<node type=\"SPAWN\" spawn_type=\"Alien\" num=\"8\"/>",
              "<node id=\"grouping_interval\" value=\"" + std::to_string(c.grouping) + "\"/>");
        game.random_wave_counter = c.wave - 1;
        ClearQueue();
        game.SetupNextWaveAtRandom();
        EXPECT_EQ(c.queued, Queue().size()) << c.grouping << " " << c.wave;
        EXPECT_FLOAT_EQ(game.delay_between_waves, game.wave_countdown);
        EXPECT_FLOAT_EQ(0.001f, game.wave_banner_phase);
    }
}

TEST_F(WaveTest, EligibleBlocksByWave)
{
    Start(GAME_MODE_SURVIVAL,
          "<node type=\"WAVE_START\" text=\"Early\" max_wave=\"2\"/>\n"
          "<node type=\"SPAWN\" spawn_type=\"Alien\"/>\n"
          "<node type=\"WAVE_START\" text=\"Late\" min_wave=\"3\" max_wave=\"3\"/>\n"
          "<node type=\"SPAWN\" spawn_type=\"Alien\"/>");
    const char *expected[] = {"Early", "Early", "Late"};
    for (const char *text : expected) {
        game.SetupNextWaveAtRandom();
        EXPECT_STREQ(text, game.wave_banner_text);
        game.wave_banner_phase = 0.0f;
    }
    // Wave 4: nothing eligible, nothing queued, no banner.
    ClearQueue();
    game.SetupNextWaveAtRandom();
    EXPECT_EQ(4, game.wave_number);
    EXPECT_TRUE(Queue().empty());
    EXPECT_FLOAT_EQ(0.0f, game.wave_banner_phase);
}

TEST_F(WaveTest, ReinforcementWaves)
{
    struct Case {
        const char *interval;
        int mode;
        std::vector<int> pending_waves;  // waves 1..10 that are reinforcement waves
    } cases[] = {
        {"5", GAME_MODE_SURVIVAL, {5, 10}},
        {"3", GAME_MODE_SURVIVAL, {3, 6, 9}},
        {"0", GAME_MODE_SURVIVAL, {}},
        {"-2", GAME_MODE_SURVIVAL, {}},
        {"5", GAME_MODE_COLLECTOR, {}},
    };
    for (const Case &c : cases) {
        Start(c.mode, "<node type=\"WAVE_START\"/>",
              std::string("<node id=\"reinforcement_wave_interval\" value=\"") + c.interval + "\"/>");
        std::vector<int> seen;
        for (int w = 1; w <= 10; w++) {
            game.pending_reinforcements = 3;
            game.SetupNextWaveAtRandom();
            if (game.reinforcement_wave_pending) {
                seen.push_back(w);
                EXPECT_EQ(3, game.pending_reinforcements);
            } else {
                EXPECT_EQ(0, game.pending_reinforcements);
            }
        }
        EXPECT_EQ(c.pending_waves, seen) << c.interval;
    }
}

TEST_F(WaveTest, HugeWavesAndZeroIntervalsStayBounded)
{
    // Wave 500 with 20 % growth per wave: the count is capped and the queue fills.
    Start(GAME_MODE_SURVIVAL,
          "<node type=\"WAVE_START\"/>\n<node type=\"SPAWN\" spawn_type=\"Alien\" num=\"5\" interval=\"0\"/>\n"
          "<node type=\"SPAWN\" spawn_type=\"Alien\" num=\"5\" interval=\"-3\" formation=\"SPREAD\" spread=\"50\"/>",
          "<node id=\"spawn_num_increase_per_wave\" value=\"0.2\"/>\n<node id=\"grouping_interval\" value=\"0\"/>");
    game.random_wave_counter = 499;
    game.SetupNextWaveAtRandom();
    std::vector<SpawnInfo *> q = Queue();
    EXPECT_EQ((size_t)world->spawn_manager->num_items, q.size());
    for (SpawnInfo *s : q)
        EXPECT_EQ(q[0]->time, s->time);  // intervals 0 and negative: all at once
    EXPECT_TRUE(std::isfinite(q[0]->hit_point_factor));
    EXPECT_EQ(500, game.random_wave_counter);

    // Level mode with interval 0 and a negative spawn delay.
    Start(GAME_MODE_LEVEL, "<node type=\"SPAWN\" spawn_type=\"Alien\" num=\"3\" interval=\"0\" spawn_delay=\"-5\"/>");
    world->spawn_manager->clock = 0;
    ClearQueue();
    game.SetupNextWave();
    q = Queue();
    ASSERT_EQ(3u, q.size());
    for (SpawnInfo *s : q)
        EXPECT_EQ(1100u, s->time);
}

TEST_F(WaveTest, FlagsAreSubstringsAndShapeTheSpawns)
{
    Start(GAME_MODE_LEVEL,
          "<node type=\"SPAWN\" spawn_type=\"Alien\" num=\"2\" flags=\"XNO_SPAWN_ALERTS, NEXT_WAVE_AT_THE_SAME_TIME\"/>\n"
          "<node type=\"SPAWN\" spawn_type=\"Alien\" num=\"1\"/>\n"
          "<node type=\"SPAWN\" spawn_type=\"Nobody\" num=\"4\"/>\n"
          "<node type=\"SPAWN\" spawn_type=\"Alien\" num=\"1\" boss_spawns=\"9\"/>");
    world->spawn_manager->clock = 0;
    game.SetupNextWave();
    std::vector<SpawnInfo *> q = Queue();
    ASSERT_EQ(4u, q.size());  // the unknown type queues nothing
    std::multiset<uint32_t> times;
    int no_alert = 0;
    for (SpawnInfo *item : q) {
        times.insert(item->time);
        no_alert += item->no_alert;
    }
    // The flagged node's two (no alert: a substring counts); the next node at the same
    // time; the unknown type's node still moves the time on by 4 x 0.5 s.
    EXPECT_EQ(2, no_alert);
    EXPECT_EQ((std::multiset<uint32_t>{1100u, 1100u, 1600u, 3600u}), times);
    EXPECT_EQ(9, game.boss_spawns);
}

TEST_F(WaveTest, FormationsShareOrScatterPoints)
{
    Start(GAME_MODE_LEVEL,
          "<node type=\"SPAWN\" spawn_type=\"Alien\" num=\"3\" spread=\"200\" pos_x=\"0.5\" pos_y=\"0.5\"/>\n"
          "<node type=\"SPAWN\" spawn_type=\"Alien\" num=\"3\" spread=\"200\" formation=\"Single\" pos_x=\"0.5\" pos_y=\"0.5\"/>\n"
          "<node type=\"SPAWN\" spawn_type=\"Alien\" num=\"3\" spread=\"200\" formation=\"CIRCLE\" pos_x=\"0.5\" pos_y=\"0.5\"/>");
    game.SetupNextWave();
    std::vector<SpawnInfo *> q = Queue();
    ASSERT_EQ(9u, q.size());
    for (int i = 0; i < 6; i += 3) {
        EXPECT_FLOAT_EQ(q[i]->pos.x, q[i + 1]->pos.x);
        EXPECT_FLOAT_EQ(q[i]->pos.y, q[i + 2]->pos.y);
    }
    EXPECT_FALSE(q[6]->pos.x == q[7]->pos.x && q[7]->pos.x == q[8]->pos.x);
    for (SpawnInfo *s : q)
        EXPECT_LE(hypotf(s->pos.x - 512.0f, s->pos.y - 384.0f), 200.01f);
}

TEST_F(WaveTest, EmittersTutorialsAndWaits)
{
    Start(GAME_MODE_LEVEL,
          "<node type=\"WAVE_START\" enable_emitter=\"smoke\"/>\n"
          "<node disable_emitter=\"fire\" flags=\"WHEN_NO_ENEMIES_LEFT_TO_SPAWN\"/>\n"
          "<node type=\"TUTORIAL\" tutorial=\"LATER\" delay=\"2.5\" flags=\"TUTORIAL_PAUSES_WAVES\"/>\n"
          "<node type=\"TUTORIAL\" tutorial=\"DONE\"/>\n"
          "<node type=\"PICK_UPGRADE\" delay=\"1.5\"/>\n"
          "<node type=\"SPAWN\" spawn_type=\"Alien\"/>");
    profile.AddTag("tutorials_completed", "DONE");
    ScapeEmitter smoke = {};
    strcpy(smoke.id, "smoke");
    ScapeEmitter fire = {};
    strcpy(fire.id, "fire");
    fire.active = 1;
    world->emitters.InsertLast(smoke);
    world->emitters.InsertLast(fire);
    game.SetupNextWave();
    EXPECT_EQ(1, world->emitters[0].active);
    EXPECT_EQ(1, world->emitters[1].active);  // switched once no enemies are left to spawn
    EXPECT_EQ(1, world->emitters[1].mode);
    EXPECT_STREQ("LATER", game.delayed_tutorial);
    EXPECT_FLOAT_EQ(2.5f, game.delayed_tutorial_time);
    EXPECT_EQ(1, game.tutorial_pauses_waves);
    // The tutorial's "delay" is also a wait of the script: the call ends there.
    EXPECT_FLOAT_EQ(2.5f, game.script_wait);
    EXPECT_EQ(3, game.wave_script_pos);
    game.SetupNextWave();
    EXPECT_FLOAT_EQ(1.5f, game.script_wait);
    EXPECT_EQ(5, game.wave_script_pos);
    EXPECT_STREQ("LATER", game.delayed_tutorial);  // the completed one is not asked for
    EXPECT_TRUE(Queue().empty());
}

TEST_F(WaveTest, LevelWithoutWaves)
{
    StartLevel(GAME_MODE_LEVEL, LevelXml(Array("environment", kBase)));
    game.SetupNextWave();
    game.SetupNextWaveAtRandom();
    EXPECT_EQ(0, game.wave_number);
    EXPECT_FLOAT_EQ(1.0f, game.wave_countdown);
    EXPECT_TRUE(Queue().empty());
}

}  // namespace
