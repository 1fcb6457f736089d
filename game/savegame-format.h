// The byte layouts of the saved game "user/save-15.dat" and of the statistics file
// "user/stats-v111.dat": encoding, decoding and the checks a file must pass before any
// of it reaches the game state. Every multi-byte field is little-endian, floats IEEE
// single precision, whatever the host.
//
// Nothing here calls the engine or the game state: the readers take bytes and fill
// plain records, so that the fuzz programs can link this file alone.
#ifndef GAME_SAVEGAME_FORMAT_H
#define GAME_SAVEGAME_FORMAT_H

#include "game/gamestate.h"

#include <stddef.h>
#include <stdint.h>

enum {
    SAVEGAME_MAGIC_SIZE = 13,
    SAVEGAME_MAX_TROOPERS = 15,
    SAVEGAME_TROOPER_NAME_SIZE = 64,
    SAVEGAME_TROOPER_SIZE = 80,         // name, x, y, angle, hit points
    SAVEGAME_TROOPERS_OFFSET = 8973,    // the first trooper record
    SAVEGAME_MIN_SIZE = SAVEGAME_TROOPERS_OFFSET + SAVEGAME_MAGIC_SIZE,
    SAVEGAME_MAX_SIZE = SAVEGAME_MIN_SIZE + SAVEGAME_MAX_TROOPERS * SAVEGAME_TROOPER_SIZE,
    GAMESTATS_FILE_SIZE = 376,
};

extern const char kSaveGameMagic[SAVEGAME_MAGIC_SIZE + 1];  // "SAVE-STATE-15"
extern const char kGameStatsHeader[4];                      // "YOU" and its terminator

struct SavedTrooper {
    char type_name[SAVEGAME_TROOPER_NAME_SIZE];
    float x, y;
    float angle;
    float hit_points;
};

// Everything the file holds, field by field in file order.
struct SavedGame {
    NewGameParms parms;
    int32_t score;
    int32_t num_features;
    GameFeature features[GAME_MAX_FEATURES];
    uint32_t game_clock;
    int32_t squad_size;
    int32_t troopers_to_pick;
    int32_t living_troopers;
    int32_t troopers_spawned;
    uint8_t starting_troopers_placed;
    int32_t boss_kills;
    int32_t regular_kills;
    int32_t further_counter;
    int32_t most_troopers_held;
    int32_t shots_fired;
    float lowest_bunker_hp;
    uint8_t pyro_deathwish;
    int32_t boss_spawns;
    int32_t wave_script_pos;
    int32_t further_word;
    int32_t wave_advance_state;
    float wave_banner_phase;
    float between_waves_phase;
    float script_wait;
    float force_field_time;
    float level_number_shown;
    int32_t wave_number;
    int32_t num_waves;
    uint8_t wave_sound_played;
    int32_t money;
    int32_t money_earned;
    int32_t money_spent;
    uint8_t saving_allowed;
    float pending_bunker_repair;
    float bunker_hit_points;
    int32_t num_troopers;  // 0..SAVEGAME_MAX_TROOPERS
    SavedTrooper troopers[SAVEGAME_MAX_TROOPERS];
};

// The file's bytes for the record into out (room for SAVEGAME_MAX_SIZE); returns their
// count. Trooper names are cut to 63 characters and NUL-padded to 64 bytes; the
// trooper count is clamped to 0..SAVEGAME_MAX_TROOPERS.
size_t SaveGameToBytes(const SavedGame &saved, uint8_t *out);

// Decodes a whole file into *saved after checking it: the size matches the trooper
// count (SAVEGAME_MIN_SIZE..SAVEGAME_MAX_SIZE), both magics, a feature count of
// 0..128, a trooper count of 0..15, a NUL inside every fixed text, feature name and
// trooper name, every float finite, a wave-script position of 0 or more. Every number
// is then clamped into its kind's range (app/services/player-values.h). False leaves
// *saved unspecified. The caller checks the position against the level's node count.
bool SaveGameFromBytes(const uint8_t *data, size_t size, SavedGame *saved);

// The statistics block of a new player: zeros, starting with "YOU" and its terminator.
void GameStatsDefaults(GameStats *stats);
void GameStatsToBytes(const GameStats &stats, uint8_t out[GAMESTATS_FILE_SIZE]);
// Checks the file as the saved game is checked: false (and *stats untouched) unless it
// is exactly GAMESTATS_FILE_SIZE bytes, begins with "YOU" and its terminator and holds
// no negative best score or count; the scores and counts are clamped into their ranges.
bool GameStatsFromBytes(const uint8_t *data, size_t size, GameStats *stats);

#endif
