// The wave script: the level file's "waves" array. In LEVEL mode `SetupNextWave` runs
// the script once from top to bottom, one wave per call; in every other mode
// `SetupNextWaveAtRandom` builds each wave from randomly chosen WAVE_START blocks and
// grows the numbers with the wave count. SPAWN nodes become timed items of the spawn
// manager's queue; other nodes play sounds, show effects, switch emitters, start
// tutorials and make the script wait.
#include "game/gamestate.h"

#include "app/services/audioman.h"
#include "app/services/data-numbers.h"
#include "app/services/dataman.h"
#include "app/services/player-values.h"
#include "app/services/profiles.h"
#include "app/services/random.h"
#include "app/services/small-maths.h"
#include "app/services/token-lists.h"
#include "app/ui/partfx.h"
#include "game/entities/stock.h"
#include "game/entities/upgrades.h"
#include "game/game-util.h"
#include "game/scape.h"
#include "game/spawn-manager.h"

#include <math.h>
#include <stdlib.h>
#include <string.h>

#include <vector>

namespace {

// Entities one SPAWN node may queue in random mode (the queue holds 512 items).
const double kMaxSpawnsPerNode = 512.0;

bool TypeIs(DMNode *node, const char *word)
{
    return HasWholeToken(NodeText(node, "type"), word);
}

float Random01()
{
    return (float)AppRandom() / 32767.0f;
}

void PlayNamed(const char *name, float volume, float pan, float freq)
{
    ov_sound_t *sound = ov->OV_GetSound(name);
    if (sound)
        aman.PlaySound(sound, volume, pan, freq);
}

// Seconds as whole milliseconds; negative and non-finite values count 0.
uint32_t Milliseconds(float seconds)
{
    if (!(seconds > 0.0f))
        return 0;
    double ms = (double)seconds * 1000.0;
    return ms >= 4.0e9 ? 4000000000u : (uint32_t)ms;
}

// The hit-point factor of a wave's enemies: 0.9^L + (k - 1) x h, where L is the
// profile's count of losses of the current game. Not finite and positive: 1.
float HitPointFactor(int k)
{
    int lost = 0;
    if (prof)
        lost = PlayerCount(PlayerNumber(prof->GetValue("current_game", "times_lost", "value")));
    double factor = pow(0.9, (double)lost) + (double)(k - 1) * (double)upgrades.hitpoint_increase_per_wave;
    if (!isfinite(factor) || !(factor > 0.0))
        return 1.0f;
    return (float)factor;
}

vec2_t Scatter(vec2_t centre, float inner, float spread)
{
    float a = Random01() * 2.0f * (float)kPiDouble;
    float d = inner + spread * Random01();
    return vec2_t{centre.x + d * cosf(a), centre.y + d * sinf(a)};
}

// Queues one SPAWN node's n entities from time t (ms on the spawn clock); t moves on
// for the next node unless the node starts the next one at the same time.
void SpawnNode(GameState &g, DMNode *node, int n, bool level_mode, int k, uint32_t &t)
{
    Scape *world = GetScape();
    SpawnManager *spawns = world ? world->spawn_manager : nullptr;
    if (!world || !world->stock || !spawns)
        return;
    EntityType *type = world->stock->GetEntityType(NodeText(node, "spawn_type"));
    if (NodeText(node, "boss_spawns"))
        g.boss_spawns = NodeInt(node, "boss_spawns", g.boss_spawns);
    uint32_t interval = Milliseconds(NodeFloat(node, "interval", 0.5f));
    uint32_t delay = level_mode ? Milliseconds(NodeFloat(node, "spawn_delay", 0.0f)) : 0;
    const char *formation = NodeText(node, "formation");
    bool shared = !formation || formation[0] == 'S';
    const char *edge = NodeText(node, "pos_edge");
    float edge_pos = DataLeadingFloat(edge);
    float spread = NodeFloat(node, "spread", 0.0f);
    float inner = NodeFloat(node, "spread_min", 0.0f);
    vec2_t centre = {NodeFloat(node, "pos_x", 0.0f) * 1024.0f, NodeFloat(node, "pos_y", 0.0f) * 768.0f};

    vec2_t point;
    if (edge) {
        point = GetRandomPositionOutsideEdges(edge_pos + spread * (Random01() - 0.5f));
    } else if (level_mode) {
        float d = randf(0.0f, spread) + inner;
        float a = randf(0.0f, 2.0f * (float)kPiDouble);
        point = vec2_t{centre.x + d * cosf(a), centre.y + d * sinf(a)};
    } else {
        point = Scatter(centre, inner, spread);
    }

    bool no_alert = g.IsWaveFlagActive("NO_SPAWN_ALERT");
    float factor = HitPointFactor(k);
    uint64_t due = (uint64_t)t + delay;
    for (int i = 0; i < n; i++) {
        if (!shared && i > 0)
            point = edge ? GetRandomPositionOutsideEdges(edge_pos + spread * (Random01() - 0.5f))
                         : Scatter(centre, inner, spread);
        SpawnInfo *item = spawns->AddSpawnInfo((unsigned long)(due & 0xffffffffu), type, point);
        if (!item)
            break;
        item->no_alert = no_alert ? 1 : 0;
        item->hit_point_factor = factor;
        due += interval;
    }
    if (!g.IsWaveFlagActive("NEXT_WAVE_AT_THE_SAME_TIME"))
        t = (uint32_t)(((uint64_t)t + (uint64_t)n * interval) & 0xffffffffu);
}

// A TUTORIAL node: shown now or after its delay, unless completed; a node naming a type
// in "when_on_field" waits until a creature of that type is on the field.
void TutorialNode(GameState &g, DMNode *node)
{
    const char *name = NodeText(node, "tutorial");
    if (!name || (prof && prof->TagExists("tutorials_completed", name)))
        return;
    float delay = NodeFloat(node, "delay", 0.0f);
    const char *awaited = NodeText(node, "when_on_field");
    Scape *world = GetScape();
    EntityType *type = awaited && world && world->stock ? world->stock->GetEntityType(awaited) : nullptr;
    if (type) {
        if (g.num_awaited_tutorials < GameState::MAX_AWAITED_TUTORIALS) {
            g.awaited_tutorials[g.num_awaited_tutorials] = name;
            g.awaited_tutorial_types[g.num_awaited_tutorials++] = type;
        }
    } else if (delay > 0.0f) {
        g.delayed_tutorial_time = delay;
        g.delayed_tutorial = name;
    } else {
        g.SetTutorial(name);
    }
    g.tutorial_pauses_waves = g.IsWaveFlagActive("TUTORIAL_PAUSES_WAVES") ? 1 : 0;
}

}  // namespace

vec2_t GetRandomPositionOutsideEdges(float position)
{
    if (!isfinite(position))
        position = 0.0f;
    float wrapped = fmodf(position + 1.5f, 12.0f);
    if (wrapped < 0.0f)
        wrapped += 12.0f;
    if (wrapped >= 12.0f)
        wrapped = 0.0f;
    float e = wrapped * 4.0f / 12.0f;
    if (e < 1.0f)
        return vec2_t{e * 1024.0f, -40.0f};
    if (e < 2.0f)
        return vec2_t{1064.0f, (e - 1.0f) * 768.0f};
    if (e < 3.0f)
        return vec2_t{(1.0f - (e - 2.0f)) * 1024.0f, 808.0f};
    return vec2_t{-40.0f, (1.0f - (e - 3.0f)) * 768.0f};
}

bool GameState::IsWaveFlagActive(const char *flag)
{
    return wave_flags && flag && strstr(wave_flags, flag) != nullptr;
}

bool GameState::ProcessWaveEffects(DMNode *node)
{
    if (!node)
        return true;
    Scape *world = GetScape();
    if (const char *sound = NodeText(node, "sound"))
        PlayNamed(sound, NodeFloat(node, "volume", 1.0f), NodeFloat(node, "pan", 1.0f), NodeFloat(node, "freq", 1.0f));
    if (IsWaveFlagActive("BOSS_WAVE"))
        PlayNamed("sfx/boss_incoming", 1.0f, 0.0f, 1.0f);
    if (const char *fx_name = NodeText(node, "fx")) {
        PartMan *layer = world ? (IsWaveFlagActive("BACK") ? world->ground_parts : world->top_parts) : nullptr;
        fx_t *fx = pbman.GetFX(fx_name);
        if (layer && fx) {
            vec2_t at = {NodeFloat(node, "pos_x", 1.0f) * 1024.0f, NodeFloat(node, "pos_y", 1.0f) * 768.0f};
            pbman.SpawnFX(layer, fx, AdjustPosByAverageScale(at), NodeFloat(node, "angle", 0.0f),
                          NodeFloat(node, "delay", 0.0f));
        }
    }
    const char *enable = NodeText(node, "enable_emitter");
    const char *disable = NodeText(node, "disable_emitter");
    const char *emitter = enable ? enable : disable;
    if (emitter && world) {
        uint8_t wanted = enable ? 1 : 0;
        bool later = IsWaveFlagActive("WHEN_NO_ENEMIES_LEFT_TO_SPAWN");
        for (int i = 0; i < world->emitters.Count(); i++) {
            ScapeEmitter &em = world->emitters[i];
            if (strcmp(em.id, emitter) != 0 || em.active == wanted)
                continue;
            if (later)
                em.mode = 1;
            else
                em.active = wanted;
        }
    }
    if (NodeText(node, "delay")) {
        script_wait = NodeFloat(node, "delay", 0.0f);
        return false;
    }
    return true;
}

void GameState::SetupNextWave()
{
    DMArray *waves = level_db ? level_db->GetArray("waves") : nullptr;
    if (!waves)
        return;
    wave_countdown += 1.0f;
    int count = waves->GetSize();
    if (count <= 0 || wave_script_pos >= count)
        return;
    Scape *world = GetScape();
    SpawnManager *spawns = world ? world->spawn_manager : nullptr;
    uint32_t t = (spawns ? spawns->clock : 0) + 1100;
    int stars = GetCurrentStarRating();

    for (bool first = true;; first = false) {
        DMNode *node = waves->GetNode(wave_script_pos % count);
        wave_script_pos++;
        if (!node)
            return;
        if (TypeIs(node, "WAVE_START") && !first) {
            wave_script_pos--;
            return;
        }
        if (TypeIs(node, "DELAY")) {
            int seconds = (int)NodeFloat(node, "delay", 0.0f);
            if (seconds > 0)
                wave_countdown = (float)seconds;
            return;
        }
        if (TypeIs(node, "WAVE_START")) {
            wave_number++;
            wave_banner_phase = 0.001f;
            between_waves_phase = 0.0f;
            wave_banner_text = NodeText(node, "text");
            if (troopers_spawned != living_troopers)
                pending_reinforcements++;
        }
        wave_flags = NodeText(node, "flags");
        if (TypeIs(node, "TUTORIAL"))
            TutorialNode(*this, node);
        if (TypeIs(node, "SPAWN")) {
            int num = NodeInt(node, "num", 1);
            int n = (int)((float)num + (float)num * (float)(5 - stars) * -0.1f + 0.5f);
            SpawnNode(*this, node, n < 1 ? 1 : n, true, wave_script_pos, t);
        }
        if (!ProcessWaveEffects(node) || wave_script_pos >= count)
            return;
    }
}

void GameState::SetupNextWaveAtRandom()
{
    DMArray *waves = level_db ? level_db->GetArray("waves") : nullptr;
    if (!waves)
        return;
    int w = ++random_wave_counter;
    wave_countdown = delay_between_waves;
    wave_number++;
    Scape *world = GetScape();
    SpawnManager *spawns = world ? world->spawn_manager : nullptr;
    uint32_t t = (spawns ? spawns->clock : 0) + 1100;

    reinforcement_wave_pending = 0;
    if (parms.game_mode == GAME_MODE_SURVIVAL && reinforcement_wave_interval > 0 &&
        w % reinforcement_wave_interval == 0)
        reinforcement_wave_pending = 1;
    else
        pending_reinforcements = 0;

    int count = waves->GetSize();
    std::vector<int> candidates;
    for (int i = 0; i < count; i++) {
        DMNode *node = waves->GetNode(i);
        if (!TypeIs(node, "WAVE_START"))
            continue;
        int min_wave = NodeInt(node, "min_wave", 1);
        int max_wave = NodeInt(node, "max_wave", 0);
        if (min_wave <= w && (max_wave == 0 || w <= max_wave))
            candidates.push_back(i + 1);
    }
    if (candidates.empty())
        return;  // nothing eligible: an empty wave without a banner

    int blocks;
    if (grouping_interval > 0)
        blocks = w / grouping_interval + 1;
    else if (grouping_interval == 0)
        blocks = 1;
    else
        blocks = w < 3 ? w + 1 : 3;
    if (blocks > 3)
        blocks = 3;
    if (blocks < 1)
        blocks = 1;
    double size_factor = 1.0 / (double)blocks;
    double growth = pow(1.0 + (double)spawn_num_increase_per_wave, (double)(w - 1));

    wave_script_pos = candidates[AppRandom() % (int)candidates.size()];
    for (;;) {
        bool block_ended = false;
        for (int step = 0; step <= count; step++) {
            int index = (wave_script_pos - 1) % count;
            if (index < 0)
                index += count;
            DMNode *node = waves->GetNode(index);
            if (!node)
                return;
            if (TypeIs(node, "WAVE_START")) {
                if (step > 0) {
                    wave_script_pos--;
                    block_ended = true;
                    break;
                }
                wave_banner_phase = 0.001f;
                between_waves_phase = 0.0f;
                wave_banner_text = NodeText(node, "text");
            }
            wave_script_pos++;
            wave_flags = NodeText(node, "flags");
            if (TypeIs(node, "TUTORIAL"))
                TutorialNode(*this, node);
            if (TypeIs(node, "SPAWN")) {
                double n = (double)NodeInt(node, "num", 1) * growth * 1.25 * size_factor;
                if (!(n < kMaxSpawnsPerNode))
                    n = kMaxSpawnsPerNode;  // also NaN
                int whole = (int)n;
                SpawnNode(*this, node, whole < 1 ? 1 : whole, false, wave_number, t);
            }
            if (!ProcessWaveEffects(node))
                return;
        }
        if (!block_ended || blocks <= 1)
            return;
        blocks--;
        wave_script_pos = candidates[AppRandom() % (int)candidates.size()];
    }
}
