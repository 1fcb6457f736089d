// The battle benchmark: a SURVIVAL mission with continuous waves that keep the entity
// pool full (511 records in use), five troopers with a minigun, flame, napalm and two
// trailed weapons, 20 obstacles, and a drag every second that redraws one trooper's
// path. Frames are driven as the battle screen drives them, with a fixed step of 1/60 s
// from a fixed seed, on the null renderer and the null sound implementation:
//
//   update: SpawnManager::SetSpawnParms, Controls::Update, GameState::UpdateTutorial,
//           Scape::Update, GameState::Update
//   draw:   Scape::Draw, GameState::Draw
//
// Reports the thread CPU time (CLOCK_THREAD_CPUTIME_ID) of update and of draw per frame
// (mean, p99, max), for the frames of the shared one-second retarget tick apart from the
// others, the per-frame counts of the world's hot operations and an end-state checksum;
// every run is made twice and the two checksums must be equal.
//
//   battle_bench [--warmup N] [--frames N] [--seed S] [--runs N]
//     defaults: 600 warm-up frames, 3600 measured, seed 20261210, 2 runs
//
// The mission, its entity types, weapons and obstacle outline are fixtures written into
// a scratch program directory; the engine runs headless as in the game tests.
#include "tests/game/game_fixture.h"
#include "tests/app/ui/widget_fixture.h"

#include "app/services/dataman.h"
#include "app/services/random.h"
#include "audio/soundimp.h"
#include "app/services/profiles.h"
#include "core/ov_state.h"
#include "game/controls.h"
#include "game/entities/entity-types.h"
#include "game/entities/entity.h"
#include "game/entities/stock.h"
#include "game/entities/weapons.h"
#include "game/gamestate.h"
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
const int kObstacles = 20;
const char kLevel[] = "levels/bench-survival.xml";
const char kRock[] = "terrain/obstacles/bench-rock.xml";

// Enemies of every kind the waves send (their behaviours by name; a name not registered
// yet falls back to the base behaviour), the five troopers, their projectiles, the base.
const char kEntities[] =
    "<node id=\"BaseBunker\" type=\"Structure\" flags=\"NORMAL BLOCKS_MOVEMENT\" friend_group=\"PLAYERS\" "
    "hit_points=\"1000000000\" radius=\"40\" scale=\"1\" bm_move=\"bench/unit.png\" ai=\"BaseBunker\"/>\n"
    "<node id=\"Rock\" type=\"Structure\" flags=\"BLOCKS_MOVEMENT\" friend_group=\"PLAYERS\" hit_points=\"1\" "
    "radius=\"24\" scale=\"1\"/>\n"
    "<node id=\"Seeker\" flags=\"NORMAL MOVABLE\" friend_group=\"ENEMIES\" hit_points=\"40\" radius=\"8\" "
    "top_speed=\"40\" damage=\"5\" points_worth=\"10\" scale=\"1\" bm_move=\"bench/unit.png\" ai=\"Seeker\"/>\n"
    "<node id=\"Splitter\" flags=\"NORMAL MOVABLE\" friend_group=\"ENEMIES\" hit_points=\"60\" radius=\"10\" "
    "top_speed=\"30\" damage=\"5\" points_worth=\"15\" scale=\"1\" bm_move=\"bench/unit.png\" ai=\"Splitter\"/>\n"
    "<node id=\"BossSplitter\" flags=\"NORMAL MOVABLE\" friend_group=\"ENEMIES\" hit_points=\"400\" "
    "radius=\"20\" top_speed=\"20\" damage=\"20\" points_worth=\"100\" scale=\"1.5\" bm_move=\"bench/unit.png\" ai=\"BossSplitter\"/>\n"
    "<node id=\"Spawner\" flags=\"NORMAL MOVABLE\" friend_group=\"ENEMIES\" hit_points=\"150\" radius=\"14\" "
    "top_speed=\"15\" damage=\"5\" points_worth=\"40\" scale=\"1\" bm_move=\"bench/unit.png\" ai=\"Spawner\"/>\n"
    "<node id=\"HiveMind\" flags=\"NORMAL MOVABLE\" friend_group=\"ENEMIES\" hit_points=\"300\" radius=\"18\" "
    "top_speed=\"10\" damage=\"5\" points_worth=\"80\" scale=\"1\" bm_move=\"bench/unit.png\" ai=\"HiveMind\"/>\n"
    "<node id=\"Mine\" flags=\"NORMAL\" friend_group=\"ENEMIES\" hit_points=\"20\" radius=\"8\" damage=\"30\" "
    "points_worth=\"5\" scale=\"1\" bm_move=\"bench/unit.png\" ai=\"Mine\"/>\n"
    "<node id=\"Kamikaze\" flags=\"NORMAL MOVABLE\" friend_group=\"ENEMIES\" hit_points=\"30\" radius=\"8\" "
    "top_speed=\"60\" damage=\"25\" points_worth=\"20\" scale=\"1\" bm_move=\"bench/unit.png\" ai=\"Kamikaze\"/>\n"
    "<node id=\"MinigunTrooper\" flags=\"NORMAL MOVABLE\" friend_group=\"PLAYERS\" hit_points=\"100\" "
    "radius=\"10\" top_speed=\"50\" scale=\"1\" bm_move=\"bench/unit.png\" ai=\"Trooper\" weapon=\"Minigun\"/>\n"
    "<node id=\"PyroTrooper\" flags=\"NORMAL MOVABLE\" friend_group=\"PLAYERS\" hit_points=\"100\" "
    "radius=\"10\" top_speed=\"50\" scale=\"1\" bm_move=\"bench/unit.png\" ai=\"Trooper\" weapon=\"Pyro\"/>\n"
    "<node id=\"BazookaTrooper\" flags=\"NORMAL MOVABLE\" friend_group=\"PLAYERS\" hit_points=\"100\" "
    "radius=\"10\" top_speed=\"50\" scale=\"1\" bm_move=\"bench/unit.png\" ai=\"Trooper\" weapon=\"BazookaNapalm\"/>\n"
    "<node id=\"ShotgunTrooper\" flags=\"NORMAL MOVABLE\" friend_group=\"PLAYERS\" hit_points=\"100\" "
    "radius=\"10\" top_speed=\"50\" scale=\"1\" bm_move=\"bench/unit.png\" ai=\"Trooper\" weapon=\"ShotgunFirePellets\"/>\n"
    "<node id=\"SniperTrooper\" flags=\"NORMAL MOVABLE\" friend_group=\"PLAYERS\" hit_points=\"100\" "
    "radius=\"10\" top_speed=\"50\" scale=\"1\" bm_move=\"bench/unit.png\" ai=\"Trooper\" weapon=\"MinigunFireBullets\"/>\n"
    "<node id=\"ProjectileFlame\" flags=\"PROJECTILE MOVABLE\" friend_group=\"INHERIT\" hit_points=\"1\" "
    "radius=\"6\" damage=\"4\" scale=\"1\" bm_move=\"bench/unit.png\" ai=\"Flame\" trail_mode=\"TIME\" trail_interval=\"0.05\"/>\n"
    "<node id=\"ProjectileNapalm\" flags=\"PROJECTILE MOVABLE\" friend_group=\"INHERIT\" hit_points=\"1\" "
    "radius=\"4\" damage=\"30\" scale=\"1\" bm_move=\"bench/unit.png\" ai=\"RocketNapalm\" trail_mode=\"DISTANCE\" trail_interval=\"8\"/>\n";

const char kWeapons[] =
    "<node id=\"Minigun\" shot_interval=\"0.08\" clip_size=\"60\" reload_time=\"2\" projectile_range=\"260\" "
    "projectile_damage_multiplier=\"1\" trail_length=\"60\"/>\n"
    "<node id=\"ShotgunFirePellets\" shot_interval=\"0.6\" clip_size=\"6\" reload_time=\"2\" "
    "projectiles_per_shot=\"6\" projectile_angle_spread=\"0.4\" projectile_range=\"180\" trail_length=\"40\"/>\n"
    "<node id=\"MinigunFireBullets\" shot_interval=\"0.1\" clip_size=\"50\" reload_time=\"2\" "
    "projectile_range=\"240\" trail_length=\"80\"/>\n"
    "<node id=\"Pyro\" projectile_class=\"ENTITY\" projectile_entity=\"ProjectileFlame\" shot_interval=\"0.06\" "
    "clip_size=\"80\" reload_time=\"2\" projectile_range=\"110\" projectile_speed=\"200\"/>\n"
    "<node id=\"BazookaNapalm\" projectile_class=\"ENTITY\" projectile_entity=\"ProjectileNapalm\" "
    "shot_interval=\"1.0\" clip_size=\"4\" reload_time=\"3\" projectile_range=\"300\" projectile_speed=\"250\" "
    "projectile_splash_range=\"60\" projectile_splash_damage=\"40\"/>\n";

std::string Rock()
{
    // An octagon of radius 24 around its centre, clockwise on the screen.
    std::string edges;
    for (int i = 0; i < 8; i++) {
        float a0 = 2.0f * (float)M_PI * (float)i / 8.0f;
        float a1 = 2.0f * (float)M_PI * (float)(i + 1) / 8.0f;
        char line[160];
        snprintf(line, sizeof line, "  <node p0x=\"%.3f\" p0y=\"%.3f\" p1x=\"%.3f\" p1y=\"%.3f\"/>\n", 24.0f * cosf(a0),
                 24.0f * sinf(a0), 24.0f * cosf(a1), 24.0f * sinf(a1));
        edges += line;
    }
    return "<?xml version=\"1.0\"?>\n<root>\n <array id=\"info\">\n  <node id=\"bitmap\" value=\"rock.png\"/>\n"
           " </array>\n <array id=\"edges\">\n" +
           edges + " </array>\n</root>\n";
}

// The mission: continuous random waves, every enemy kind spread over the whole field (so
// that all of them are drawn);
// 20 rocks on a 5 x 4 lattice around the bunker in the middle.
std::string Level()
{
    std::string gameplay =
        "<node id=\"delay_between_waves\" value=\"1.0\"/>\n"
        "<node id=\"continuous_waves\" value=\"true\"/>\n"
        "<node id=\"grouping_interval\" value=\"0\"/>\n"
        "<node id=\"reinforcement_wave_interval\" value=\"0\"/>\n"
        "<node id=\"spawn_num_increase_per_wave\" value=\"0\"/>\n";
    std::string entities;
    for (int i = 0; i < kObstacles; i++) {
        int column = i % 5, row = i / 5;
        char line[200];
        snprintf(line, sizeof line,
                 "<node type=\"Rock\" x=\"%d\" y=\"%d\" angle=\"%d\" scale=\"1\" obstacle=\"%s\"/>\n",
                 140 + column * 185 + (row % 2) * 40, 120 + row * 170, i * 17, kRock);
        entities += line;
    }
    const char *kinds[] = {"Seeker", "Splitter", "BossSplitter", "Spawner", "HiveMind", "Mine", "Kamikaze"};
    const int counts[] = {120, 80, 8, 20, 4, 40, 80};
    std::string waves = "<node type=\"WAVE_START\" text=\"Wave\"/>\n";
    for (int i = 0; i < 7; i++) {
        char line[240];
        snprintf(line, sizeof line,
                 "<node type=\"SPAWN\" spawn_type=\"%s\" num=\"%d\" interval=\"0.02\" pos_x=\"%.3f\" "
                 "pos_y=\"0.5\" spread_min=\"20\" spread=\"330\"/>\n",
                 kinds[i], counts[i], 0.2 + 0.1 * i);
        waves += line;
    }
    return "<?xml version=\"1.0\"?>\n<root>\n<array id=\"gameplay\">\n" + gameplay +
           "</array>\n<array id=\"environment\">\n<node id=\"bunker\" x=\"512\" y=\"384\" type=\"bunker\"/>\n"
           "</array>\n<array id=\"entities\">\n" +
           entities + "</array>\n<array id=\"waves\">\n" + waves + "</array>\n</root>\n";
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

// One frame's counts.
struct FrameCounts {
    double entities, nearest_calls, nearest_visits, obstacle_tests, walk_steps, queue_steps;
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
    // the fixtures written, the world built and the mission set up.
    void StartBattle()
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
        // One small sprite for every kind, so that the drawing does its full work.
        widgettest::WritePng("bench/unit.png", 16, 16, [](int x, int y) {
            return widgettest::Rgba{40 + 10 * x, 200 - 8 * y, 90, (x + y) % 5 ? 255 : 0};
        });
        WriteEntities(kEntities);
        WriteWeapons(kWeapons);
        apptest::WriteFile(kRock, Rock());
        apptest::WriteFile(kLevel, Level());
        dman().ReleaseDatabase(kLevel);

        profile_.Reset("1.xml");
        prof = &profile_;
        AppSeedRandom(options.seed);
        MakeWorld();
        world->stock->CacheGameAssets(kLevel, true);
        NewGameParms parms = {};
        parms.game_mode = GAME_MODE_SURVIVAL;
        strcpy(parms.chapter_id, "EXTRAS");
        strcpy(parms.mission_id, "MISSION9_9");
        strcpy(parms.level_file, kLevel);
        game.InitNewGame(&parms);
        // Nothing ends the mission: the player's side takes no damage.
        game.invulnerable = 1;
        game.squad_size = 5;
        game.starting_troopers_placed = 1;
        game.arming_requested = 1;
        controls.Init(CONTROLS_TOUCH_COMMANDS);
        controls.Reset();

        const char *troopers[] = {"MinigunTrooper", "PyroTrooper", "BazookaTrooper", "ShotgunTrooper",
                                  "SniperTrooper"};
        for (const char *name : troopers) {
            Entity *e = game.SpawnReinforcementTrooper(world->stock->GetEntityType(name), -1);
            ASSERT_NE(e, nullptr) << name;
            troopers_.push_back(e);
        }
    }

    // A drag from trooper `which` along eight points of a circle around the field's
    // centre, as touch 0 of the engine's events.
    void Drag(int which, int second)
    {
        Entity *e = troopers_[(size_t)which % troopers_.size()];
        if (!e->type || !e->IsAlive())
            return;
        vec2_t at = world->TranslatePointToScreenSpace(e->pos);
        Send(OV_EVENT_BUTTON_DOWN, at.x, at.y);
        float phase = (float)second * 0.7f;
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

    void Update()
    {
        vec2_t player = game.base ? game.base->pos : vec2_t{512.0f, 384.0f};
        world->spawn_manager->SetSpawnParms(player, game.wave_number, 1);
        controls.Update(kStep);
        game.UpdateTutorial(kStep);
        world->Update(kStep);
        game.Update(kStep);
    }

    int EntitiesInUse()
    {
        return world->stock->num_entities - world->stock->CountFreeEntities();
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
        }
        c.Value(game.score);
        c.Value(game.game_clock);
        c.Value(game.random_wave_counter);
        c.Value(game.regular_kills);
        c.Value(game.boss_kills);
        c.Value(game.shots_fired);
        c.Value(world->spawn_manager->clock);
        for (SpawnInfo *item = world->spawn_manager->queue_head; item; item = item->next)
            c.Value(item->time);
        return c.h;
    }

    Profile profile_;
    SoundImp *real_sound_ = nullptr;
    std::vector<Entity *> troopers_;
};

void Report(const char *what, const Series &s)
{
    printf("RESULT prog=battle part=%s frames=%zu mean_us=%.1f p99_us=%.1f max_us=%.1f\n", what, s.values.size(),
           s.Mean() / 1000.0, s.Percentile(0.99) / 1000.0, s.Max() / 1000.0);
}

void ReportCounts(const char *what, const std::vector<FrameCounts> &counts)
{
    FrameCounts sum = {}, top = {};
    for (const FrameCounts &f : counts) {
        sum.entities += f.entities;
        sum.nearest_calls += f.nearest_calls;
        sum.nearest_visits += f.nearest_visits;
        sum.obstacle_tests += f.obstacle_tests;
        sum.walk_steps += f.walk_steps;
        sum.queue_steps += f.queue_steps;
        top.entities = std::max(top.entities, f.entities);
        top.nearest_calls = std::max(top.nearest_calls, f.nearest_calls);
        top.nearest_visits = std::max(top.nearest_visits, f.nearest_visits);
        top.obstacle_tests = std::max(top.obstacle_tests, f.obstacle_tests);
        top.walk_steps = std::max(top.walk_steps, f.walk_steps);
        top.queue_steps = std::max(top.queue_steps, f.queue_steps);
    }
    double n = counts.empty() ? 1.0 : (double)counts.size();
    printf("RESULT prog=battle counts=%s per_frame_mean entities=%.1f nearest_enemy_calls=%.1f "
           "nearest_enemy_visits=%.1f obstacle_tests=%.1f walk_steps=%.1f queue_insert_steps=%.1f\n",
           what, sum.entities / n, sum.nearest_calls / n, sum.nearest_visits / n, sum.obstacle_tests / n,
           sum.walk_steps / n, sum.queue_steps / n);
    printf("RESULT prog=battle counts=%s per_frame_max entities=%.0f nearest_enemy_calls=%.0f "
           "nearest_enemy_visits=%.0f obstacle_tests=%.0f walk_steps=%.0f queue_insert_steps=%.0f\n",
           what, top.entities, top.nearest_calls, top.nearest_visits, top.obstacle_tests, top.walk_steps,
           top.queue_steps);
}

std::vector<uint64_t> checksums;

TEST_F(BattleBench, Run)
{
    StartBattle();
    if (HasFatalFailure())
        return;
    Series update_plain, draw_plain, update_tick, draw_tick;
    std::vector<FrameCounts> counts_plain, counts_tick;
    int total = options.warmup + options.frames;
    for (int frame = 0; frame < total; frame++) {
        WorldCounters before = world_counters;
        uint32_t second_before = game.game_clock / 1000;
        double t0 = ThreadCpuNs();
        // The drag's events reach the controls before the frame's update, half a second
        // after each retarget tick.
        if (frame % 60 == 30)
            Drag(frame / 60, frame / 60);
        Update();
        double t1 = ThreadCpuNs();
        // Drawn inside an engine frame, as the application's draw hook draws.
        double draw_ns = 0.0;
        apptest::draw = [this, &draw_ns](float) {
            double t2 = ThreadCpuNs();
            world->Draw(kStep);
            game.Draw();
            draw_ns = ThreadCpuNs() - t2;
        };
        DrawFrame();
        if (frame < options.warmup)
            continue;
        bool tick = game.game_clock / 1000 != second_before;
        FrameCounts f;
        f.entities = EntitiesInUse();
        f.nearest_calls = (double)(world_counters.nearest_enemy_calls - before.nearest_enemy_calls);
        f.nearest_visits = (double)(world_counters.nearest_enemy_visits - before.nearest_enemy_visits);
        f.obstacle_tests = (double)(world_counters.obstacle_tests - before.obstacle_tests);
        f.walk_steps = (double)(world_counters.walk_steps - before.walk_steps);
        f.queue_steps = (double)(world_counters.queue_insert_steps - before.queue_insert_steps);
        (tick ? update_tick : update_plain).Add(t1 - t0);
        (tick ? draw_tick : draw_plain).Add(draw_ns);
        (tick ? counts_tick : counts_plain).push_back(f);
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

    printf("RESULT prog=battle run=%zu seed=%u warmup=%d frames=%d\n", checksums.size() + 1, options.seed,
           options.warmup, options.frames);
    Report("update", update_all);
    Report("draw", draw_all);
    Report("update+draw", frame_all);
    Report("update_off_tick", update_plain);
    Report("draw_off_tick", draw_plain);
    Report("update_tick", update_tick);
    Report("draw_tick", draw_tick);
    ReportCounts("off_tick", counts_plain);
    ReportCounts("tick", counts_tick);
    uint64_t sum = EndState();
    checksums.push_back(sum);
    printf("RESULT prog=battle end_entities=%d waves=%d score=%d clock_ms=%u checksum=%016llx\n", EntitiesInUse(),
           game.random_wave_counter, game.score, game.game_clock, (unsigned long long)sum);
    fflush(stdout);
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
    for (uint64_t c : checksums)
        same = same && c == checksums[0];
    printf("RESULT prog=battle done=%d runs=%zu same_checksum=%d\n", failed == 0 ? 1 : 0, checksums.size(),
           same ? 1 : 0);
    return failed == 0 && same ? 0 : 1;
}
