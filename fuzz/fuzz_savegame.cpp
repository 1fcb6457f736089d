// Fuzzes the saved-game reader: any bytes either fail its checks or decode into a
// record whose counts, texts and floats are in range (every number in its kind's range), and which the writer turns into
// a file of the same size that reads back to the same record. Links the byte layout
// alone (no engine: the reader touches nothing else).
#include "app/services/player-values.h"
#include "game/savegame-format.h"

#include <math.h>
#include <string.h>

#include <memory>

namespace {

bool Terminated(const char *text, size_t size)
{
    return memchr(text, 0, size) != nullptr;
}

bool InRange(const SavedGame &s)
{
    if (s.num_features < 0 || s.num_features > GAME_MAX_FEATURES)
        return false;
    if (s.num_troopers < 0 || s.num_troopers > SAVEGAME_MAX_TROOPERS || s.wave_script_pos < 0)
        return false;
    if (!Terminated(s.parms.chapter_id, sizeof s.parms.chapter_id) ||
        !Terminated(s.parms.mission_id, sizeof s.parms.mission_id) ||
        !Terminated(s.parms.level_file, sizeof s.parms.level_file))
        return false;
    for (const GameFeature &f : s.features)
        if (!Terminated(f.name, sizeof f.name))
            return false;
    const float floats[] = {s.lowest_bunker_hp, s.wave_banner_phase, s.between_waves_phase, s.script_wait,
                            s.force_field_time, s.level_number_shown, s.pending_bunker_repair,
                            s.bunker_hit_points};
    for (float f : floats)
        if (!isfinite(f))
            return false;
    for (int i = 0; i < s.num_troopers; i++) {
        const SavedTrooper &t = s.troopers[i];
        if (!Terminated(t.type_name, sizeof t.type_name) || !isfinite(t.x) || !isfinite(t.y) ||
            !isfinite(t.angle) || !isfinite(t.hit_points))
            return false;
        if (t.x != PlayerPosition(t.x) || t.y != PlayerPosition(t.y) || t.hit_points != PlayerHitPoints(t.hit_points))
            return false;
    }
    // Every number in the range of its kind (app/services/player-values.h).
    const long long ints[][2] = {{s.score, PlayerScore(s.score)},
                                 {s.squad_size, PlayerTroopers(s.squad_size)},
                                 {s.troopers_to_pick, PlayerTroopers(s.troopers_to_pick)},
                                 {s.living_troopers, PlayerTroopers(s.living_troopers)},
                                 {s.most_troopers_held, PlayerTroopers(s.most_troopers_held)},
                                 {s.troopers_spawned, PlayerCount(s.troopers_spawned)},
                                 {s.boss_kills, PlayerCount(s.boss_kills)},
                                 {s.regular_kills, PlayerCount(s.regular_kills)},
                                 {s.shots_fired, PlayerCount(s.shots_fired)},
                                 {s.boss_spawns, PlayerCount(s.boss_spawns)},
                                 {s.wave_script_pos, PlayerWave(s.wave_script_pos)},
                                 {s.wave_number, PlayerWave(s.wave_number)},
                                 {s.num_waves, PlayerWave(s.num_waves)},
                                 {s.money, PlayerMoney(s.money)},
                                 {s.money_earned, PlayerMoney(s.money_earned)},
                                 {s.money_spent, PlayerMoney(s.money_spent)},
                                 {(long long)s.game_clock, PlayerTimeMs(s.game_clock)}};
    for (const auto &v : ints)
        if (v[0] != v[1])
            return false;
    if (s.wave_banner_phase != PlayerPhase(s.wave_banner_phase) || s.script_wait != PlayerSeconds(s.script_wait) ||
        s.level_number_shown != PlayerWaveShown(s.level_number_shown) ||
        s.bunker_hit_points != PlayerHitPoints(s.bunker_hit_points))
        return false;
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    std::unique_ptr<SavedGame> saved(new SavedGame());
    if (!SaveGameFromBytes(data, size, saved.get()))
        return 0;
    if (!InRange(*saved))
        __builtin_trap();
    std::unique_ptr<uint8_t[]> bytes(new uint8_t[SAVEGAME_MAX_SIZE]);
    size_t written = SaveGameToBytes(*saved, bytes.get());
    if (written != size)
        __builtin_trap();
    std::unique_ptr<SavedGame> again(new SavedGame());
    if (!SaveGameFromBytes(bytes.get(), written, again.get()))
        __builtin_trap();
    std::unique_ptr<uint8_t[]> twice(new uint8_t[SAVEGAME_MAX_SIZE]);
    if (SaveGameToBytes(*again, twice.get()) != written || memcmp(bytes.get(), twice.get(), written) != 0)
        __builtin_trap();
    return 0;
}
