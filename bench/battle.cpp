// The battle benchmark: two scenes on fixture content with one entity type for every
// behaviour kind and type variant, driven frame by frame as the battle screen drives
// them, with a fixed step of 1/60 s from a fixed seed, on the null renderer and the null
// sound implementation:
//
//   survival  a SURVIVAL mission around a bunker
//   flag      DEFEND_THE_FLAG with three MedTents and no bunker (every enemy looks for a
//             tent and re-targets on the shared one-second tick)
//   survival_waves  for comparison, the survival mission on its own waves alone
//
// Before each frame of the first two the harness tops the entity pool up until a spawn
// fails, so 511 of the 512 records stay in use; the troopers and the base structures are durable, so the
// battle never ends. Five troopers (minigun bullets, a shotgun's fan, napalm rockets,
// flames, a trailed sniper bullet) get their paths redrawn by an injected drag once a
// second each; two more fire ice and gas. Nests release hounds, a hive mind steers 64
// drones, raiders lay mines, splitters of every size and kamikazes come on.
//
//   update: SpawnManager::SetSpawnParms, Controls::Update, GameState::UpdateTutorial,
//           Scape::Update, GameState::Update
//   draw:   Scape::Draw, GameState::Draw
//
// Reports per scene the thread CPU time (CLOCK_THREAD_CPUTIME_ID) of update and of draw
// per frame (mean, p99, max; the frames of the shared one-second tick apart from the
// others), per-frame counts (entities by behaviour, spawns, kills, nearest-enemy calls
// and records visited, radius queries and records visited, pool scans, path steps, ring
// segments) and an end-state checksum; every scene is run twice and both checksums
// must be equal.
//
//   battle_bench [--warmup N] [--frames N] [--seed S] [--runs N] [--gtest_filter=*Survival*]
//     defaults: 600 warm-up frames, 3600 measured, seed 20261210, 2 runs of each scene
#include "tests/game/game_fixture.h"
#include "tests/app/ui/widget_fixture.h"
#include "tests/game/entities/battle_content.h"

#include "app/services/dataman.h"
#include "app/services/profiles.h"
#include "app/services/random.h"
#include "app/ui/screen-manager.h"
#include "audio/soundimp.h"
#include "core/ov_state.h"
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
#include "game/world-counters.h"
#include "gfx/rendimp.h"

#include <math.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

namespace {

struct Options {
    int warmup = 600;
    int frames = 3600;
    uint32_t seed = 20261210u;
    int runs = 2;
} options;

const float kStep = 1.0f / 60.0f;
const int kDrones = 64;
const char kSurvivalLevel[] = "levels/bench-survival.xml";
const char kFlagLevel[] = "levels/bench-flag.xml";

// The enemies the harness tops the pool up with, in turn (hive and drones apart).
const char *const kTopUp[] = {"Seeker", "Leaper", "Flyer",  "Splitter", "QuadSplitter", "Nest",
                              "Raider", "Hanger", "Kamikaze", "Seeker", "Flyer",        "Splitter",
                              "Leaper", "Kamikaze", "QuadSplitter", "Raider", "Hanger", "Boss"};
const int kTopUpKinds = (int)(sizeof kTopUp / sizeof kTopUp[0]);

// The troopers: the first five have their paths redrawn.
const char *const kTroopers[] = {"Minigunner", "Shotgunner", "Napalmer", "Pyro", "Sniper", "Froster", "Gasser"};
const int kDragged = 5;

// A level: waves of every enemy kind; 20 crates (the base behaviour) with obstacle outlines;
// the bunker, or three MedTents.
std::string Level(bool flag)
{
    const char *kinds[] = {"Seeker", "Leaper", "Flyer", "Splitter", "QuadSplitter", "Boss",
                           "Nest", "Raider", "Hanger", "Kamikaze"};
    std::string waves = "<node type=\"WAVE_START\" text=\"Wave\" boss_spawns=\"3\"/>\n";
    for (int i = 0; i < 10; i++) {
        char line[260];
        snprintf(line, sizeof line,
                 "<node type=\"SPAWN\" spawn_type=\"%s\" num=\"%d\" interval=\"0.1\" pos_x=\"%.3f\" "
                 "pos_y=\"%.3f\" spread_min=\"10\" spread=\"160\"/>\n",
                 kinds[i], i == 5 ? 1 : 8, i % 2 ? 0.1 : 0.9, 0.15 + 0.07 * i);
        waves += line;
    }
    std::string fixed;
    // Twenty crates, spread over the field around the bunker (and clear of the tents).
    const int crates[][2] = {{200, 150}, {820, 150}, {200, 620}, {820, 620}, {512, 120}, {512, 660}, {100, 300},
                             {100, 470}, {924, 300}, {924, 470}, {300, 90},  {724, 90},  {300, 690}, {724, 690},
                             {380, 200}, {644, 200}, {380, 580}, {644, 580}, {420, 384}, {604, 384}};
    for (const auto &c : crates) {
        char line[200];
        snprintf(line, sizeof line, "<node type=\"Crate\" x=\"%d\" y=\"%d\" scale=\"0.5\" obstacle=\"%s\"/>\n",
                 c[0], c[1], battlecontent::kBunkerOutline);
        fixed += line;
    }
    std::string environment;
    if (flag) {
        const int tents[][2] = {{330, 300}, {694, 300}, {512, 520}};
        for (const auto &t : tents) {
            char line[200];
            snprintf(line, sizeof line, "<node type=\"MedTent\" x=\"%d\" y=\"%d\" scale=\"1\" obstacle=\"%s\"/>\n",
                     t[0], t[1], battlecontent::kBunkerOutline);
            fixed += line;
        }
    } else {
        environment = "<node id=\"bunker\" x=\"512\" y=\"384\" type=\"bunker\"/>\n";
    }
    return "<?xml version=\"1.0\"?>\n<root>\n<array id=\"gameplay\">\n"
           "<node id=\"delay_between_waves\" value=\"2\"/>\n<node id=\"continuous_waves\" value=\"true\"/>\n"
           "<node id=\"grouping_interval\" value=\"0\"/>\n<node id=\"reinforcement_wave_interval\" value=\"0\"/>\n"
           "<node id=\"powerup_probability\" value=\"30\"/>\n<node id=\"powerup_interval\" value=\"2000\"/>\n"
           "</array>\n<array id=\"environment\">\n" +
           environment + "</array>\n<array id=\"entities\">\n" + fixed + "</array>\n<array id=\"waves\">\n" +
           waves + "</array>\n</root>\n";
}

double ThreadCpuNs()
{
    timespec ts;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return (double)ts.tv_sec * 1e9 + (double)ts.tv_nsec;
}

struct Series {
    std::vector<double> values;
    void Add(double v) { values.push_back(v); }
    double Mean() const
    {
        double sum = 0.0;
        for (double v : values)
            sum += v;
        return values.empty() ? 0.0 : sum / (double)values.size();
    }
    double Percentile(double p) const
    {
        if (values.empty())
            return 0.0;
        std::vector<double> sorted = values;
        std::sort(sorted.begin(), sorted.end());
        size_t i = (size_t)ceil(p * (double)sorted.size()) - 1;
        return sorted[std::min(i, sorted.size() - 1)];
    }
    double Max() const { return values.empty() ? 0.0 : *std::max_element(values.begin(), values.end()); }
};

// The counted operations, as differences of the world's running counts.
const char *const kCountNames[] = {"spawns",          "kills",          "nearest_enemy_calls", "nearest_enemy_visits",
                                   "nearest_friend_calls", "nearest_friend_visits", "radius_queries",
                                   "radius_visits",   "pool_scans",     "path_steps",          "ring_segments",
                                   "obstacle_tests",  "walk_steps",          "queue_insert_steps"};
const int kCounts = (int)(sizeof kCountNames / sizeof kCountNames[0]);

void CountsOf(const WorldCounters &w, double *out)
{
    const uint64_t v[] = {w.spawns,           w.kills,          w.nearest_enemy_calls, w.nearest_enemy_visits,
                          w.nearest_friend_calls, w.nearest_friend_visits, w.radius_queries,
                          w.radius_visits,    w.pool_scans,     w.path_steps,          w.ring_segments,
                          w.obstacle_tests,   w.walk_steps,     w.queue_insert_steps};
    for (int i = 0; i < kCounts; i++)
        out[i] = (double)v[i];
}

struct CountSeries {
    double sum[kCounts] = {};
    double top[kCounts] = {};
    int frames = 0;
    void Add(const WorldCounters &before, const WorldCounters &after)
    {
        double a[kCounts], b[kCounts];
        CountsOf(before, b);
        CountsOf(after, a);
        for (int i = 0; i < kCounts; i++) {
            sum[i] += a[i] - b[i];
            top[i] = std::max(top[i], a[i] - b[i]);
        }
        frames++;
    }
};

// FNV-1a over the bytes of a value.
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

class BattleBench : public gametest::GameTest {
protected:
    void TearDown() override
    {
        apptest::draw = nullptr;
        if (real_sound_) {
            ov_state.sound_imp = real_sound_;
            real_sound_->FillOrvexInterface(ov);
            real_sound_ = nullptr;
        }
        controls.Reset();
        controls.Init(0);
        if (prof == &profile_)
            prof = nullptr;
        gametest::GameTest::TearDown();
    }

    // The engine on the null renderer, the sound switched to the null implementation,
    // the fixtures written, the world built, the mission set up and its troopers, the
    // player, the hive mind and its drones placed.
    void StartBattle(bool flag)
    {
        OVID_SetRendImpOverride(GetRendImpNull());
        StartGame(1024, 768);
        real_sound_ = ov_state.sound_imp;
        ov_state.sound_imp = GetSoundImpNull();
        ov_state.sound_imp->FillOrvexInterface(ov);

        const char *screens[] = {"Game", "Shop", "PickReinforcement", "ArmTroopers", "GameOver", "LevelLost",
                                 "LevelWon", "EndCondition", "AchievementUnlocked"};
        for (const char *name : screens)
            MakeScreen(name);
        battlecontent::WriteAssets();
        WriteEntities(battlecontent::kEntities);
        WriteWeapons(battlecontent::kWeapons);
        WritePowerups(battlecontent::kPowerups);
        const char *level = flag ? kFlagLevel : kSurvivalLevel;
        apptest::WriteFile(level, Level(flag));
        dman().ReleaseDatabase(level);

        profile_.Reset("1.xml");
        prof = &profile_;
        Powerup::last_powerup_timestamp = 0;
        sman.prev_time_ms = sman.time_ms = 0;
        AppSeedRandom(options.seed);
        MakeWorld();
        world->stock->CacheGameAssets(level, true);
        NewGameParms parms = {};
        parms.game_mode = flag ? GAME_MODE_DEFEND_THE_FLAG : GAME_MODE_SURVIVAL;
        strcpy(parms.chapter_id, "EXTRAS");
        strcpy(parms.mission_id, "MISSION9_9");
        strcpy(parms.level_file, level);
        game.InitNewGame(&parms);
        game.squad_size = (int)(sizeof kTroopers / sizeof kTroopers[0]);
        game.starting_troopers_placed = 1;
        game.arming_requested = 1;
        controls.Init(CONTROLS_TOUCH_COMMANDS);
        controls.Reset();

        troopers_.clear();
        for (const char *name : kTroopers) {
            Entity *e = game.SpawnReinforcementTrooper(world->stock->GetEntityType(name), -1);
            ASSERT_NE(e, nullptr) << name;
            troopers_.push_back(e);
        }
        ASSERT_NE(world->SpawnEntity(world->stock->GetEntityType("Player"), {100, 100}), nullptr);
        hive_type_ = world->stock->GetEntityType("Hive");
        drone_type_ = world->stock->GetEntityType("Drone");
        for (const char *name : kTopUp)
            ASSERT_NE(world->stock->GetEntityType(name), nullptr) << name;
        top_up_turn_ = 0;
        frame_ = 0;
    }

    // A spot on an ellipse near the field's edge, a new one each call.
    vec2_t NextSpot()
    {
        float a = 2.39996f * (float)top_up_spot_++;
        return vec2_t{512.0f + 450.0f * cosf(a), 384.0f + 330.0f * sinf(a)};
    }

    // Fills the pool until a spawn fails: a hive mind if none lives, drones up to 64,
    // then the enemy kinds in turn.
    int TopUp()
    {
        int hives = 0, drones = 0;
        for (int i = 0; i < world->stock->num_entities; i++) {
            const Entity &e = world->stock->entities[i];
            if (e.type && e.IsAlive()) {
                hives += e.type == hive_type_;
                drones += e.type == drone_type_;
            }
        }
        int spawned = 0;
        for (;;) {
            EntityType *type;
            if (hives == 0) {
                type = hive_type_;
                hives++;
            } else if (drones < kDrones) {
                type = drone_type_;
                drones++;
            } else {
                type = world->stock->GetEntityType(kTopUp[top_up_turn_ % kTopUpKinds]);
                top_up_turn_++;
            }
            if (!world->SpawnEntity(type, NextSpot()))
                return spawned;
            spawned++;
        }
    }

    // A drag from a dragged trooper along eight points of a circle around the field's
    // centre, as touch 0 of the engine's events.
    void Drag(int which, int second)
    {
        Entity *e = troopers_[(size_t)which];
        if (!e->type || !e->IsAlive())
            return;
        vec2_t at = world->TranslatePointToScreenSpace(e->pos);
        Send(OV_EVENT_BUTTON_DOWN, at.x, at.y);
        float phase = (float)second * 0.7f + (float)which * 1.26f;
        for (int i = 1; i <= 8; i++) {
            float a = phase + (float)i * 0.35f;
            float r = 120.0f + 10.0f * (float)i;
            Send(OV_EVENT_POINTER_MOVE, 512.0f + r * cosf(a), 384.0f + r * sinf(a));
        }
        Send(OV_EVENT_BUTTON_UP, 512.0f + 200.0f * cosf(phase + 2.8f), 384.0f + 200.0f * sinf(phase + 2.8f));
    }
    void Send(int type, float x, float y)
    {
        ov_event_t ev = {};
        ev.type = type;
        ev.index = 0;
        ev.x = (int32_t)lrintf(x * sman.reference_scale_x);
        ev.y = (int32_t)lrintf(y * sman.reference_scale_y);
        controls.ProcessEvent(&ev);
    }

    // The screen clock follows the game time (the shared one-second tick reads it).
    void AdvanceClock()
    {
        sman.prev_time_ms = sman.time_ms;
        sman.time_ms += 1000 / 60 + (frame_ % 3 == 0 ? 1 : 0);
        frame_++;
    }

    // The update's steps; stage_ns_ gets each step's thread CPU time.
    void Update()
    {
        double t[6];
        t[0] = ThreadCpuNs();
        vec2_t base = game.base ? game.base->pos : vec2_t{512.0f, 384.0f};
        world->spawn_manager->SetSpawnParms(base, game.wave_number, 1);
        t[1] = ThreadCpuNs();
        controls.Update(kStep);
        t[2] = ThreadCpuNs();
        game.UpdateTutorial(kStep);
        t[3] = ThreadCpuNs();
        world->Update(kStep);
        t[4] = ThreadCpuNs();
        game.Update(kStep);
        t[5] = ThreadCpuNs();
        for (int i = 0; i < 5; i++)
            stage_ns_[i] = t[i + 1] - t[i];
    }
    double stage_ns_[5] = {};

    int EntitiesInUse() { return world->stock->num_entities - world->stock->CountFreeEntities(); }

    void CountKinds(std::map<std::string, double> *kinds)
    {
        for (int i = 0; i < world->stock->num_entities; i++) {
            const Entity &e = world->stock->entities[i];
            if (e.type)
                (*kinds)[e.type->ai ? e.type->ai->name : "(none)"] += 1.0;
        }
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
            c.Value(e.ammo);
            c.Value(e.goal);
            c.Value(e.burn_time);
            c.Value(e.chill_time);
        }
        c.Value(game.score);
        c.Value(game.money);
        c.Value(game.game_clock);
        c.Value(game.random_wave_counter);
        c.Value(game.regular_kills);
        c.Value(game.boss_kills);
        c.Value(game.shots_fired);
        c.Value(game.wave_number);
        c.Value(world->spawn_manager->clock);
        for (SpawnInfo *item = world->spawn_manager->queue_head; item; item = item->next)
            c.Value(item->time);
        return c.h;
    }

    void Run(const char *scene, bool flag, bool top_up = true);

    Profile profile_;
    SoundImp *real_sound_ = nullptr;
    std::vector<Entity *> troopers_;
    EntityType *hive_type_ = nullptr;
    EntityType *drone_type_ = nullptr;
    int top_up_turn_ = 0;
    int top_up_spot_ = 0;
    int frame_ = 0;
};

void Report(const char *scene, const char *what, const Series &s)
{
    printf("RESULT prog=battle scene=%s part=%s frames=%zu mean_us=%.1f p99_us=%.1f max_us=%.1f\n", scene, what,
           s.values.size(), s.Mean() / 1000.0, s.Percentile(0.99) / 1000.0, s.Max() / 1000.0);
}

void ReportCounts(const char *scene, const char *what, const CountSeries &c)
{
    double n = c.frames ? (double)c.frames : 1.0;
    std::string mean, top;
    for (int i = 0; i < kCounts; i++) {
        char item[80];
        snprintf(item, sizeof item, " %s=%.1f", kCountNames[i], c.sum[i] / n);
        mean += item;
        snprintf(item, sizeof item, " %s=%.0f", kCountNames[i], c.top[i]);
        top += item;
    }
    printf("RESULT prog=battle scene=%s counts=%s per_frame_mean%s\n", scene, what, mean.c_str());
    printf("RESULT prog=battle scene=%s counts=%s per_frame_max%s\n", scene, what, top.c_str());
}

std::map<std::string, std::vector<uint64_t>> checksums;
int failed_top_ups = 0;

void BattleBench::Run(const char *scene, bool flag, bool top_up)
{
    StartBattle(flag);
    if (HasFatalFailure())
        return;
    Series update_plain, draw_plain, update_tick, draw_tick;
    CountSeries counts_plain, counts_tick;
    std::map<std::string, double> kinds;
    double top_ups = 0.0, in_use = 0.0, full_frames = 0.0;
    double worst_ns = -1.0;
    int worst_frame = 0;
    CountSeries worst_counts;
    double worst_stages[5] = {};
    int total = options.warmup + options.frames;
    double draw_ns = 0.0;
    apptest::draw = [this, &draw_ns](float) {
        double t2 = ThreadCpuNs();
        world->Draw(kStep);
        game.Draw();
        draw_ns = ThreadCpuNs() - t2;
    };
    for (int frame = 0; frame < total; frame++) {
        // The harness's own work, untimed: the pool topped up (the last spawn fails). The
        // enemies stop short of the squad's reserve, which the squad's shots may hold.
        int spawned = top_up ? TopUp() : 0;
        int used = EntitiesInUse();
        const int full = world->stock->num_entities - 1 - Stock::PLAYER_RESERVE;
        if (top_up && used < full)
            failed_top_ups++;
        AdvanceClock();
        bool tick = sman.IsIntervalElapsed(1.0f);
        WorldCounters before = world_counters;
        double t0 = ThreadCpuNs();
        // The drags' events reach the controls before the frame's update, each trooper's
        // once a second, spread over the second.
        if (frame % 12 == 6 && (frame % 60) / 12 < kDragged)
            Drag((frame % 60) / 12, frame / 60);
        Update();
        double t1 = ThreadCpuNs();
        // Drawn inside an engine frame, as the application's draw hook draws.
        draw_ns = 0.0;
        DrawFrame();
        if (frame < options.warmup)
            continue;
        top_ups += spawned;
        in_use += used;
        full_frames += used >= full ? 1.0 : 0.0;
        (tick ? update_tick : update_plain).Add(t1 - t0);
        (tick ? draw_tick : draw_plain).Add(draw_ns);
        (tick ? counts_tick : counts_plain).Add(before, world_counters);
        if (t1 - t0 + draw_ns > worst_ns) {
            worst_ns = t1 - t0 + draw_ns;
            worst_frame = frame;
            worst_counts = CountSeries();
            memcpy(worst_stages, stage_ns_, sizeof worst_stages);
            worst_counts.Add(before, world_counters);
        }
        CountKinds(&kinds);
    }
    apptest::draw = nullptr;
    Series update_all = update_plain, draw_all = draw_plain, frame_all;
    for (double v : update_tick.values)
        update_all.Add(v);
    for (double v : draw_tick.values)
        draw_all.Add(v);
    for (size_t i = 0; i < update_plain.values.size(); i++)
        frame_all.Add(update_plain.values[i] + draw_plain.values[i]);
    for (size_t i = 0; i < update_tick.values.size(); i++)
        frame_all.Add(update_tick.values[i] + draw_tick.values[i]);

    std::vector<uint64_t> &sums = checksums[scene];
    printf("RESULT prog=battle scene=%s run=%zu seed=%u warmup=%d frames=%d\n", scene, sums.size() + 1,
           options.seed, options.warmup, options.frames);
    Report(scene, "update", update_all);
    Report(scene, "draw", draw_all);
    Report(scene, "update+draw", frame_all);
    Report(scene, "update_off_tick", update_plain);
    Report(scene, "draw_off_tick", draw_plain);
    Report(scene, "update_tick", update_tick);
    Report(scene, "draw_tick", draw_tick);
    ReportCounts(scene, "off_tick", counts_plain);
    ReportCounts(scene, "tick", counts_tick);
    char worst[64];
    snprintf(worst, sizeof worst, "worst_frame_%d", worst_frame);
    ReportCounts(scene, worst, worst_counts);
    printf("RESULT prog=battle scene=%s %s_us spawn_parms=%.1f controls=%.1f tutorial=%.1f world=%.1f game=%.1f\n",
           scene, worst, worst_stages[0] / 1000.0, worst_stages[1] / 1000.0, worst_stages[2] / 1000.0,
           worst_stages[3] / 1000.0, worst_stages[4] / 1000.0);
    double n = options.frames > 0 ? (double)options.frames : 1.0;
    std::string by_kind;
    for (const auto &k : kinds) {
        char item[80];
        snprintf(item, sizeof item, " %s=%.1f", k.first.c_str(), k.second / n);
        by_kind += item;
    }
    printf("RESULT prog=battle scene=%s entities_per_frame%s\n", scene, by_kind.c_str());
    uint64_t sum = EndState();
    sums.push_back(sum);
    printf("RESULT prog=battle scene=%s in_use_at_frame_start=%.1f full_pool_frames=%.0f\n", scene, in_use / n,
           full_frames);
    printf("RESULT prog=battle scene=%s top_up_spawns_per_frame=%.1f end_entities=%d waves=%d kills=%d score=%d "
           "clock_ms=%u checksum=%016llx\n",
           scene, top_ups / n, EntitiesInUse(), game.wave_number, game.regular_kills + game.boss_kills, game.score,
           game.game_clock, (unsigned long long)sum);
    fflush(stdout);
}

// The pool is full at the start of every frame: a spawn of the frame finds a record only
// when one was freed earlier in the same frame.
TEST_F(BattleBench, Survival)
{
    Run("survival", false);
}

TEST_F(BattleBench, DefendTheFlag)
{
    Run("flag", true);
}

// For comparison: the survival mission on its own waves, without the top-up, so that
// the troopers' shots find records and the enemies die.
TEST_F(BattleBench, SurvivalWavesOnly)
{
    Run("survival_waves", false, false);
}

bool TakeInt(int *argc, char **argv, int i, const char *name, long *out)
{
    if (strcmp(argv[i], name) != 0 || i + 1 >= *argc)
        return false;
    *out = strtol(argv[i + 1], nullptr, 10);
    for (int j = i; j + 2 <= *argc; j++)
        argv[j] = argv[j + 2];
    *argc -= 2;
    return true;
}

}  // namespace

int main(int argc, char **argv)
{
    for (int i = 1; i < argc;) {
        long v = 0;
        if (TakeInt(&argc, argv, i, "--warmup", &v))
            options.warmup = (int)std::max(0L, v);
        else if (TakeInt(&argc, argv, i, "--frames", &v))
            options.frames = (int)std::max(1L, v);
        else if (TakeInt(&argc, argv, i, "--seed", &v))
            options.seed = (uint32_t)v;
        else if (TakeInt(&argc, argv, i, "--runs", &v))
            options.runs = (int)std::max(1L, v);
        else
            i++;
    }
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::GTEST_FLAG(repeat) = options.runs;
    int failed = RUN_ALL_TESTS();
    bool same = !checksums.empty();
    size_t runs = 0;
    for (const auto &scene : checksums) {
        runs = std::max(runs, scene.second.size());
        for (uint64_t c : scene.second)
            same = same && c == scene.second[0];
    }
    printf("RESULT prog=battle done=%d runs=%zu scenes=%zu same_checksum=%d full_pool=%d\n", failed == 0 ? 1 : 0,
           runs, checksums.size(), same ? 1 : 0, failed_top_ups == 0 ? 1 : 0);
    return failed == 0 && same && failed_top_ups == 0 ? 0 : 1;
}
