// The unattended run's switches (see autoplay.h).
#include "tools/autoplay.h"

#include "app/services/command-line.h"
#include "app/services/featureman.h"
#include "app/services/random.h"
#include "app/ui/screen-manager.h"
#include "app/ui/screen.h"
#include "game/controls.h"
#include "game/entities/entity-types.h"
#include "game/entities/entity.h"
#include "game/entities/stock.h"
#include "game/entities/weapons.h"
#include "game/gamestate.h"
#include "game/scape.h"
#include "game/spawn-manager.h"
#include "tools/ai-player.h"

#include <math.h>
#include <stdio.h>
#include <string.h>
#include <time.h>

#include <algorithm>

AutoplayRun autoplay;

namespace {

bool IsResultScreen(const char *name)
{
    return name && (strcmp(name, "LevelWon") == 0 || strcmp(name, "LevelLost") == 0 || strcmp(name, "GameOver") == 0);
}

int ReadCount(const char *line, const char *name)
{
    unsigned long v = 0;
    if (!CommandLineUnsigned(line, name, &v)) {
        if (CommandLineHas(line, name))
            ov->OV_PrintDebugf(1, "WARNING: %s needs a whole number.\n", name);
        return 0;
    }
    return v > 1000000ul ? 1000000 : (int)v;
}

// What keeps a battle at the limit going: the wave script's place, the spawn queue,
// every living enemy (type, position, hit points; the first 16) and the living troopers
// (position, hit points, target, range, walking speed), so that a maintainer sees which
// enemy the battle waits for and why the squad does not get to it.
void LogBattleLeft(Scape *world)
{
    SpawnManager *spawns = world ? world->spawn_manager : nullptr;
    ov->OV_Printf("AI player: at the limit: wave node %d of %d, advance state %d, script wait %.1f, tutorial %d, "
                  "spawn queue %s.\n",
                  game.wave_script_pos, game.num_wave_nodes, game.wave_advance_state, (double)game.script_wait,
                  (int)game.tutorial_shown, spawns && spawns->AreEnemiesLeftToSpawn() ? "waiting" : "empty");
    if (!world)
        return;
    Entity *left[64];
    int n = world->QueryEntitiesInFriendGroup((int)Entity::ALL_FLAGS, Entity::ENEMIES, left, 64);
    int shown = 0;
    for (int i = 0; i < n; i++) {
        Entity *e = left[i];
        if (e->state != Entity::STATE_ALIVE)
            continue;
        if (shown++ < 16)
            ov->OV_Printf("AI player: enemy left: '%s' at (%.0f, %.0f), %.0f hit points, flags %u.\n",
                          e->type->name ? e->type->name : "", (double)e->pos.x, (double)e->pos.y,
                          (double)e->hit_points, (unsigned)e->flags);
    }
    ov->OV_Printf("AI player: %d enemies left, %d marked as primary targets.\n", shown, controls.targets.Count());
    for (int i = 0; i < game.troopers.Count(); i++) {
        Entity *t = game.troopers[i];
        if (!t || !t->type || !t->IsAlive())
            continue;
        ov->OV_Printf("AI player: trooper '%s' at (%.0f, %.0f), %.0f hit points, target '%s', range %.0f, "
                      "speed %.0f.\n",
                      t->type->name ? t->type->name : "", (double)t->pos.x, (double)t->pos.y, (double)t->hit_points,
                      t->target && t->target->type && t->target->type->name ? t->target->type->name : "",
                      t->weapon ? (double)t->weapon->projectile_range : 0.0, (double)t->speed);
    }
}

int64_t ClockNs(clockid_t clock)
{
    struct timespec ts;
    clock_gettime(clock, &ts);
    return (int64_t)ts.tv_sec * 1000000000 + ts.tv_nsec;
}

int EntitiesInPlay(const Scape *world)
{
    int n = 0;
    if (world && world->stock)
        for (int i = 0; i < world->stock->num_entities; i++)
            n += world->stock->entities[i].type != nullptr;
    return n;
}

struct Summary {
    double mean, p99, sd;
};

Summary Summarise(std::vector<double> values)
{
    Summary s = {0.0, 0.0, 0.0};
    if (values.empty())
        return s;
    for (double v : values)
        s.mean += v;
    s.mean /= (double)values.size();
    for (double v : values)
        s.sd += (v - s.mean) * (v - s.mean);
    s.sd = sqrt(s.sd / (double)values.size());
    std::sort(values.begin(), values.end());
    s.p99 = values[std::min(values.size() - 1, (size_t)ceil(0.99 * (double)values.size()) - 1)];
    return s;
}

}  // namespace

long PeakResidentKb()
{
    FILE *f = fopen("/proc/self/status", "r");
    if (!f)
        return -1;
    char line[256];
    long kb = -1;
    while (fgets(line, sizeof line, f))
        if (sscanf(line, "VmHWM: %ld kB", &kb) == 1)
            break;
    fclose(f);
    return kb;
}

void AutoplayRun::Measure()
{
    int64_t now = ClockNs(CLOCK_MONOTONIC), cpu = ClockNs(CLOCK_THREAD_CPUTIME_ID);
    if (measuring == 0) {
        measuring = 1;
        measure_start_ns = now;
        frame_cpu_ns.clear();
        frame_interval_ns.clear();
        frame_cpu_ns.reserve((size_t)measure_seconds * 128);
        frame_interval_ns.reserve((size_t)measure_seconds * 128);
        ov->OV_Printf("AI player: measuring %d seconds of frames.\n", measure_seconds);
    } else {
        frame_cpu_ns.push_back((double)(cpu - last_cpu_ns));
        frame_interval_ns.push_back((double)(now - last_frame_ns));
    }
    last_frame_ns = now;
    last_cpu_ns = cpu;
    double seconds = (double)(now - measure_start_ns) / 1e9;
    if (seconds < (double)measure_seconds)
        return;
    measuring = 2;
    Summary c = Summarise(frame_cpu_ns), t = Summarise(frame_interval_ns);
    ov->OV_Printf("AI player: measured %d frames in %.1f s: main-thread CPU per frame mean %.3f ms, p99 %.3f ms; "
                  "frame time mean %.3f ms, p99 %.3f ms, sd %.3f ms; VmHWM %ld kB.\n",
                  (int)frame_cpu_ns.size(), seconds, c.mean / 1e6, c.p99 / 1e6, t.mean / 1e6, t.p99 / 1e6,
                  t.sd / 1e6, PeakResidentKb());
}

void AutoplayRun::Reset()
{
    *this = AutoplayRun();
}

void AutoplayRun::Read(const char *command_line)
{
    Reset();
    if (!feature_man.ProductFeatureExists("AUTO_TESTING_MODE"))
        return;
    std::string value;
    if (CommandLineValue(command_line, "--autoplay-mission", &value))
        mission = value;
    stop_after = ReadCount(command_line, "--autoplay-stop");
    limit_seconds = ReadCount(command_line, "--autoplay-limit");
    real_speed = CommandLineHas(command_line, "--autoplay-real-speed");
    measure_seconds = ReadCount(command_line, "--autoplay-measure");
    uint32_t seed = 0;
    fixed_frame = AppGetRunSeed(&seed) && !real_speed && measure_seconds == 0;
    if (!mission.empty() || stop_after || limit_seconds)
        ov->OV_Printf("AI player: mission '%s', stop after %d result screens, limit %d game seconds.\n",
                      mission.c_str(), stop_after, limit_seconds);
    if (real_speed || measure_seconds)
        ov->OV_Printf("AI player: %s speed, %d seconds of frames measured.\n", real_speed ? "real" : "fast-forward",
                      measure_seconds);
    if (fixed_frame)
        ov->OV_Printf("AI player: fixed frame clock of %.1f ms.\n", (double)(kFixedFrameSeconds * 1000.0f));
}

float AutoplayRun::FrameSeconds(float engine_seconds) const
{
    return fixed_frame ? kFixedFrameSeconds : engine_seconds;
}

bool AutoplayRun::EnterMissionFromMainMenu()
{
    if (mission.empty() || mission_sent)
        return false;
    mission_sent = true;
    Screen *loader = Screen::GetScreen("LoaderTransition");
    if (!loader)
        return false;
    sman.SendScreenMessage(nullptr, loader, "ENTER_BATTLE", mission.c_str());
    sman.SwitchScreen("LoaderTransition");
    return true;
}

void AutoplayRun::Update(float dt)
{
    Screen *top = sman.PeekScreen(0);
    const char *top_name = top && top->name ? top->name : "";
    const bool game_on_top = strcmp(top_name, "Game") == 0;

    if (real_speed)
        sman.fast_forward = false;
    if (game_on_top && !in_battle) {
        in_battle = true;
        limit_reached = false;
        stall_reported = false;
        still_seconds = 0.0f;
        most_in_play = 0;
        battle_mission = game.parms.mission_id;
    }
    if (measure_seconds > 0 && measuring < 2 && (measuring == 1 || (in_battle && game_on_top)))
        Measure();
    if (in_battle)
        most_in_play = std::max(most_in_play, EntitiesInPlay(scape.load()));
    if (in_battle && game_on_top) {
        // A battle whose clock stands still for two minutes of frames is a stall.
        if (game.game_clock != last_clock) {
            last_clock = game.game_clock;
            still_seconds = 0.0f;
        } else if ((still_seconds += dt) > 120.0f && !stall_reported) {
            stall_reported = true;
            ov->OV_Printf("AI player: nothing to press on 'Game'.\n");
        }
        battle_seconds = (float)game.game_clock / 1000.0f;
        if (limit_seconds > 0 && !limit_reached && battle_seconds > (float)limit_seconds) {
            limit_reached = true;
            ov->OV_Printf("AI player: battle '%s' reached the limit of %d game seconds.\n", battle_mission.c_str(),
                          limit_seconds);
            LogBattleLeft(scape.load());
        }
        // Not silently: the game's own loss path ends the battle. Troopers that arrive
        // later go too, and so does the base (a squad lost is no defeat where a base
        // stands, and the battle would wait for new troopers).
        if (limit_reached) {
            if (Scape *world = scape.load()) {
                for (int i = 0; i < game.troopers.Count(); i++) {
                    Entity *t = game.troopers[i];
                    if (t && t->type && t->IsAlive())
                        world->KillEntity(t, nullptr, false);
                }
                if (game.base && game.base->type && game.base->IsAlive())
                    world->KillEntity(game.base, nullptr, false);
            }
        }
    }
    if (in_battle && IsResultScreen(top_name)) {
        in_battle = false;
        ov->OV_Printf("AI player: battle '%s' ended with '%s' after %.1f game seconds.\n", battle_mission.c_str(),
                      top_name, (double)battle_seconds);
        // The figures the tuning reads.
        ov->OV_Printf("AI player: battle '%s': %d stars, %d kills, %d money earned.\n", battle_mission.c_str(),
                      strcmp(top_name, "LevelWon") == 0 ? (int)game.star_rating : 0,
                      game.regular_kills + game.boss_kills, game.money_earned);
        ov->OV_Printf("AI player: battle '%s': at most %d entities in play, VmHWM %ld kB.\n", battle_mission.c_str(),
                      most_in_play, PeakResidentKb());
    } else if (in_battle && (strcmp(top_name, "MainMenu") == 0 || strcmp(top_name, "PlayMenu") == 0)) {
        // Left without a result (the pause menu's way out).
        in_battle = false;
        ov->OV_Printf("AI player: battle '%s' ended with '%s' after %.1f game seconds.\n", battle_mission.c_str(),
                      top_name, (double)battle_seconds);
    }

    // A click on a result screen counts towards the stop.
    if (ai_man.clicks != clicks_seen) {
        clicks_seen = ai_man.clicks;
        if (IsResultScreen(ai_man.last_click_screen)) {
            results_clicked++;
            if (stop_after > 0 && results_clicked >= stop_after && !shutdown_signalled) {
                shutdown_signalled = true;
                ov->OV_Printf("AI player: %d result screens played; shutting down.\n", results_clicked);
                ov->OV_SignalShutdown();
            }
        }
    }
}
