// Saved-game and statistics bytes: a writer and a checking reader that walk the
// fields in file order with a cursor, little-endian whatever the host.
#include "game/savegame-format.h"

#include "app/services/player-values.h"

#include <math.h>
#include <string.h>

const char kSaveGameMagic[SAVEGAME_MAGIC_SIZE + 1] = "SAVE-STATE-15";
const char kGameStatsHeader[4] = {'Y', 'O', 'U', 0};

namespace {

class Writer {
public:
    explicit Writer(uint8_t *out) : out_(out) {}
    void Bytes(const void *p, size_t n)
    {
        memcpy(out_ + at_, p, n);
        at_ += n;
    }
    void U8(uint8_t v) { out_[at_++] = v; }
    void U16(uint16_t v)
    {
        U8((uint8_t)v);
        U8((uint8_t)(v >> 8));
    }
    void U32(uint32_t v)
    {
        for (int i = 0; i < 4; i++)
            U8((uint8_t)(v >> (8 * i)));
    }
    void I32(int32_t v) { U32((uint32_t)v); }
    void F32(float v)
    {
        uint32_t bits;
        memcpy(&bits, &v, 4);
        U32(bits);
    }
    // A text in a fixed field: at most size - 1 characters, NUL-padded.
    void Text(const char *s, size_t size)
    {
        size_t n = strnlen(s, size - 1);
        memcpy(out_ + at_, s, n);
        memset(out_ + at_ + n, 0, size - n);
        at_ += size;
    }
    size_t Size() const { return at_; }

private:
    uint8_t *out_;
    size_t at_ = 0;
};

// Reads within a block whose size the caller has checked; any float that is not
// finite or any text without a NUL in its field marks the read failed.
class Reader {
public:
    Reader(const uint8_t *data, size_t size) : data_(data), size_(size) {}
    bool Ok() const { return ok_; }
    size_t At() const { return at_; }
    const uint8_t *Take(size_t n)
    {
        if (!ok_ || n > size_ - at_) {
            ok_ = false;
            return nullptr;
        }
        const uint8_t *p = data_ + at_;
        at_ += n;
        return p;
    }
    uint8_t U8()
    {
        const uint8_t *p = Take(1);
        return p ? p[0] : 0;
    }
    uint16_t U16()
    {
        const uint8_t *p = Take(2);
        return p ? (uint16_t)(p[0] | (p[1] << 8)) : 0;
    }
    uint32_t U32()
    {
        const uint8_t *p = Take(4);
        if (!p)
            return 0;
        uint32_t v = 0;
        for (int i = 0; i < 4; i++)
            v |= (uint32_t)p[i] << (8 * i);
        return v;
    }
    int32_t I32() { return (int32_t)U32(); }
    float F32()
    {
        uint32_t bits = U32();
        float v;
        memcpy(&v, &bits, 4);
        if (!isfinite(v)) {
            ok_ = false;
            return 0.0f;
        }
        return v;
    }
    void Text(char *dst, size_t size)
    {
        const uint8_t *p = Take(size);
        if (!p || !memchr(p, 0, size)) {
            ok_ = false;
            memset(dst, 0, size);
            return;
        }
        memcpy(dst, p, size);
    }
    bool Magic()
    {
        const uint8_t *p = Take(SAVEGAME_MAGIC_SIZE);
        if (!p || memcmp(p, kSaveGameMagic, SAVEGAME_MAGIC_SIZE) != 0)
            ok_ = false;
        return ok_;
    }
    void Fail() { ok_ = false; }

private:
    const uint8_t *data_;
    size_t size_;
    size_t at_ = 0;
    bool ok_ = true;
};

// Every number of a saved game into the range of its kind: the game counts, adds and
// multiplies with them (a wave number of 2147483647 would overflow at the next wave).
void ClampSavedNumbers(SavedGame *s)
{
    s->score = PlayerScore(s->score);
    s->game_clock = (uint32_t)PlayerTimeMs(s->game_clock);
    s->squad_size = PlayerTroopers(s->squad_size);
    s->troopers_to_pick = PlayerTroopers(s->troopers_to_pick);
    s->living_troopers = PlayerTroopers(s->living_troopers);
    s->most_troopers_held = PlayerTroopers(s->most_troopers_held);
    s->troopers_spawned = PlayerCount(s->troopers_spawned);
    s->boss_kills = PlayerCount(s->boss_kills);
    s->regular_kills = PlayerCount(s->regular_kills);
    s->further_counter = PlayerCount(s->further_counter);
    s->shots_fired = PlayerCount(s->shots_fired);
    s->boss_spawns = PlayerCount(s->boss_spawns);
    s->wave_script_pos = PlayerWave(s->wave_script_pos);
    s->wave_number = PlayerWave(s->wave_number);
    s->num_waves = PlayerWave(s->num_waves);
    s->money = PlayerMoney(s->money);
    s->money_earned = PlayerMoney(s->money_earned);
    s->money_spent = PlayerMoney(s->money_spent);
    s->wave_advance_state = s->wave_advance_state != 0;  // waiting for the next wave, or not
    s->lowest_bunker_hp = PlayerHitPoints(s->lowest_bunker_hp);
    s->wave_banner_phase = PlayerPhase(s->wave_banner_phase);
    s->between_waves_phase = PlayerPhase(s->between_waves_phase);
    s->script_wait = PlayerSeconds(s->script_wait);
    s->force_field_time = PlayerSeconds(s->force_field_time);
    s->level_number_shown = PlayerWaveShown(s->level_number_shown);
    s->pending_bunker_repair = PlayerHitPoints(s->pending_bunker_repair);
    s->bunker_hit_points = PlayerHitPoints(s->bunker_hit_points);
    for (int i = 0; i < s->num_troopers && i < SAVEGAME_MAX_TROOPERS; i++) {
        s->troopers[i].x = PlayerPosition(s->troopers[i].x);
        s->troopers[i].y = PlayerPosition(s->troopers[i].y);
        s->troopers[i].hit_points = PlayerHitPoints(s->troopers[i].hit_points);
    }
}

}  // namespace

size_t SaveGameToBytes(const SavedGame &s, uint8_t *out)
{
    Writer w(out);
    w.Bytes(kSaveGameMagic, SAVEGAME_MAGIC_SIZE);
    w.I32(s.parms.game_mode);
    w.Text(s.parms.chapter_id, sizeof s.parms.chapter_id);
    w.Text(s.parms.mission_id, sizeof s.parms.mission_id);
    w.Text(s.parms.level_file, sizeof s.parms.level_file);
    w.I32(s.score);
    w.I32(s.num_features);
    for (const GameFeature &f : s.features) {
        w.Text(f.name, sizeof f.name);
        w.U16(f.count);
    }
    w.U32(s.game_clock);
    w.I32(s.squad_size);
    w.I32(s.troopers_to_pick);
    w.I32(s.living_troopers);
    w.I32(s.troopers_spawned);
    w.U8(s.starting_troopers_placed);
    w.I32(s.boss_kills);
    w.I32(s.regular_kills);
    w.I32(s.further_counter);
    w.I32(s.most_troopers_held);
    w.I32(s.shots_fired);
    w.F32(s.lowest_bunker_hp);
    w.U8(s.pyro_deathwish);
    w.I32(s.boss_spawns);
    w.I32(s.wave_script_pos);
    w.I32(s.further_word);
    w.I32(s.wave_advance_state);
    w.F32(s.wave_banner_phase);
    w.F32(s.between_waves_phase);
    w.F32(s.script_wait);
    w.F32(s.force_field_time);
    w.F32(s.level_number_shown);
    w.I32(s.wave_number);
    w.I32(s.num_waves);
    w.U8(s.wave_sound_played);
    w.I32(s.money);
    w.I32(s.money_earned);
    w.I32(s.money_spent);
    w.U8(s.saving_allowed);
    w.F32(s.pending_bunker_repair);
    w.F32(s.bunker_hit_points);
    int n = s.num_troopers < 0 ? 0 : s.num_troopers > SAVEGAME_MAX_TROOPERS ? SAVEGAME_MAX_TROOPERS : s.num_troopers;
    w.I32(n);
    for (int i = 0; i < n; i++) {
        const SavedTrooper &t = s.troopers[i];
        w.Text(t.type_name, sizeof t.type_name);
        w.F32(t.x);
        w.F32(t.y);
        w.F32(t.angle);
        w.F32(t.hit_points);
    }
    w.Bytes(kSaveGameMagic, SAVEGAME_MAGIC_SIZE);
    return w.Size();
}

bool SaveGameFromBytes(const uint8_t *data, size_t size, SavedGame *s)
{
    if (!data || size < SAVEGAME_MIN_SIZE || size > SAVEGAME_MAX_SIZE)
        return false;
    Reader r(data, size);
    if (!r.Magic())
        return false;
    s->parms.game_mode = r.I32();
    r.Text(s->parms.chapter_id, sizeof s->parms.chapter_id);
    r.Text(s->parms.mission_id, sizeof s->parms.mission_id);
    r.Text(s->parms.level_file, sizeof s->parms.level_file);
    s->score = r.I32();
    s->num_features = r.I32();
    if (s->num_features < 0 || s->num_features > GAME_MAX_FEATURES)
        r.Fail();
    for (GameFeature &f : s->features) {
        r.Text(f.name, sizeof f.name);
        f.count = r.U16();
    }
    s->game_clock = r.U32();
    s->squad_size = r.I32();
    s->troopers_to_pick = r.I32();
    s->living_troopers = r.I32();
    s->troopers_spawned = r.I32();
    s->starting_troopers_placed = r.U8();
    s->boss_kills = r.I32();
    s->regular_kills = r.I32();
    s->further_counter = r.I32();
    s->most_troopers_held = r.I32();
    s->shots_fired = r.I32();
    s->lowest_bunker_hp = r.F32();
    s->pyro_deathwish = r.U8();
    s->boss_spawns = r.I32();
    s->wave_script_pos = r.I32();
    if (s->wave_script_pos < 0)
        r.Fail();
    s->further_word = r.I32();
    s->wave_advance_state = r.I32();
    s->wave_banner_phase = r.F32();
    s->between_waves_phase = r.F32();
    s->script_wait = r.F32();
    s->force_field_time = r.F32();
    s->level_number_shown = r.F32();
    s->wave_number = r.I32();
    s->num_waves = r.I32();
    s->wave_sound_played = r.U8();
    s->money = r.I32();
    s->money_earned = r.I32();
    s->money_spent = r.I32();
    s->saving_allowed = r.U8();
    s->pending_bunker_repair = r.F32();
    s->bunker_hit_points = r.F32();
    s->num_troopers = r.I32();
    if (!r.Ok() || r.At() != SAVEGAME_TROOPERS_OFFSET)
        return false;
    if (s->num_troopers < 0 || s->num_troopers > SAVEGAME_MAX_TROOPERS)
        return false;
    // The records and the trailer fill the rest of the file exactly.
    if (size != (size_t)SAVEGAME_MIN_SIZE + (size_t)s->num_troopers * SAVEGAME_TROOPER_SIZE)
        return false;
    for (int i = 0; i < s->num_troopers; i++) {
        SavedTrooper &t = s->troopers[i];
        r.Text(t.type_name, sizeof t.type_name);
        t.x = r.F32();
        t.y = r.F32();
        t.angle = r.F32();
        t.hit_points = r.F32();
    }
    for (int i = s->num_troopers; i < SAVEGAME_MAX_TROOPERS; i++)
        memset(&s->troopers[i], 0, sizeof s->troopers[i]);
    if (!r.Magic() || r.At() != size)
        return false;
    ClampSavedNumbers(s);
    return true;
}

void GameStatsDefaults(GameStats *stats)
{
    memset(stats, 0, sizeof *stats);
    memcpy(stats->header, kGameStatsHeader, sizeof kGameStatsHeader);
}

void GameStatsToBytes(const GameStats &stats, uint8_t out[GAMESTATS_FILE_SIZE])
{
    Writer w(out);
    w.Bytes(stats.header, sizeof stats.header);
    for (int32_t v : stats.best_scores)
        w.I32(v);
    for (int32_t v : stats.reserved_104)
        w.I32(v);
    w.I32(stats.missions_finished);
    w.I32(stats.enemies_killed);
    w.Bytes(stats.reserved_120, sizeof stats.reserved_120);
}

bool GameStatsFromBytes(const uint8_t *data, size_t size, GameStats *stats)
{
    if (!data || size != GAMESTATS_FILE_SIZE)
        return false;
    Reader r(data, size);
    GameStats s;
    memcpy(s.header, r.Take(sizeof s.header), sizeof s.header);
    if (memcmp(s.header, kGameStatsHeader, sizeof kGameStatsHeader) != 0)
        return false;
    bool negative = false;
    for (int32_t &v : s.best_scores) {
        v = r.I32();
        negative = negative || v < 0;
        v = PlayerScore(v);
    }
    for (int32_t &v : s.reserved_104)
        v = r.I32();
    s.missions_finished = r.I32();
    s.enemies_killed = r.I32();
    if (negative || s.missions_finished < 0 || s.enemies_killed < 0)
        return false;  // no count or score of a player goes below zero: damaged
    s.missions_finished = PlayerCount(s.missions_finished);
    s.enemies_killed = PlayerCount(s.enemies_killed);
    memcpy(s.reserved_120, r.Take(sizeof s.reserved_120), sizeof s.reserved_120);
    *stats = s;
    return true;
}
