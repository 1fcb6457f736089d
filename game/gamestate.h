// The running mission: one global `game` of class `GameState`, never copied. A battle
// starts when the loader fills `new_game_parms` and calls `InitNewGame`; from then on
// the battle screen calls `Update` every frame. The world (`scape`), the controls and
// the entities read and write the fields below by name.
//
// Main thread only.
#ifndef GAME_GAMESTATE_H
#define GAME_GAMESTATE_H

#include "narray.h"
#include "orvex.h"

#include <stdint.h>

struct Entity;
class EntityType;
class DMDatabase;
class DMNode;

// Game modes (`NewGameParms::game_mode`).
enum {
    GAME_MODE_SURVIVAL = 1,
    GAME_MODE_LEVEL = 3,
    GAME_MODE_COLLECTOR = 4,
    GAME_MODE_INCOMING = 5,
    GAME_MODE_DEFEND_THE_FLAG = 6,
    GAME_MODE_OPEN_AREA = 7,
};

// The record that starts a battle; also the head of `GameState`.
struct NewGameParms {
    int32_t game_mode;
    char chapter_id[64];   // a chapter name or "EXTRAS"
    char mission_id[64];   // "MISSION" + chapter + "_" + mission, e.g. "MISSION1_6"
    char level_file[256];  // the level database file
};

// One waypoint of the level's "ai_points".
struct GameWaypoint {
    int32_t id;
    int32_t parent_id;
    float x, y;
};

// One active battle feature (64-character name, 16-bit count).
struct GameFeature {
    char name[64];
    uint16_t count;
};

// A pending artillery blast; it happens when the timer falls below zero.
struct GameStrike {
    float x, y;
    float timer;
    float second_timer;
    float radius;
    float damage;
};

// An INCOMING-mode strike marker.
struct GameStrikeMarker {
    uint8_t active;
    float timer;
    float x, y;
};

// The statistics block, byte for byte the file "user/stats-v111.dat" (376 bytes).
struct GameStats {
    char header[72];           // "YOU" and its terminator in a new block
    int32_t best_scores[8];    // slots 0..7
    int32_t reserved_104[2];
    int32_t missions_finished; // won or lost
    int32_t enemies_killed;    // all missions
    uint8_t reserved_120[256];
};
static_assert(sizeof(GameStats) == 376, "the statistics file is the block byte for byte");

enum {
    GAME_MAX_WAYPOINTS = 16,
    GAME_MAX_FEATURES = 128,
    GAME_MAX_STRIKE_MARKERS = 16,
};

class GameState {
public:
    GameState();
    ~GameState();
    GameState(const GameState &) = delete;
    GameState &operator=(const GameState &) = delete;

    // Mission set-up and the per-frame rule book.
    void InitNewGame(NewGameParms *parms);
    void Update(float dt);
    void Draw();
    void DrawTitle();
    // One wave title banner: a dark band across the reference width at 0.7 of its
    // height with the title (and a smaller subtitle) fading in and out over phase 0..1.
    void DrawTitle(const char *title, const char *subtitle, float phase, bool large_font);
    // Whether the last wave of a LEVEL script has started (its script is spent): its
    // banner shows "FINAL WAVE" and its start plays "sfx/final_wave".
    bool IsFinalWaveStarted() const;
    // The battle screen's tactical-pause buttons "PauseTime" and "PauseTimeHighlight":
    // visibility and alpha from the profile's features and tutorials (once per update).
    void UpdateTacticalButtons();

    // Small operations called across the game.
    // The current star rating 1..5 (5 outside LEVEL mode; 0 when the base type is unknown).
    int GetCurrentStarRating();
    void AddScore(int points, vec2_t where);
    void AddMoney(int amount, vec2_t where);
    void SetPause(bool on);
    // A free point in the disc of radius `spread` around `centre` (up to 100 draws;
    // the centre when none is free).
    void GetFreePosition(float radius, const vec2_t &centre, float spread, vec2_t &out);

    // Power-ups and reinforcements.
    void SpawnPowerUp(const char *id);
    Entity *SpawnReinforcementTrooper(EntityType *type, int slot);

    // Battle features.
    void ActivateFeature(const char *name, bool on);
    void ActivateFeature(Entity *e, const char *name, bool on);
    void AddFeature(const char *name);
    // With `spawn_troopers` false the trooper words ("MINIGUN_TROOPER"...) only count:
    // the shop's trooper purchase spawns its trooper itself.
    void ActivateFeature(const char *name, bool on, bool spawn_troopers);
    void AddFeature(const char *name, bool spawn_troopers);
    void RemoveFeature(const char *name);
    bool IsFeatureActive(const char *name);
    GameFeature *GetFeature(const char *name);
    bool DoesFeatureHaveFlag(const char *name, const char *flag);
    bool HasUpgrades();
    void RearmEntitiesOfTypeWithNewWeapon(const char *type_name, const char *weapon_name);

    // Wave script.
    void SetupNextWave();
    void SetupNextWaveAtRandom();
    void ProcessWaveEffects(const char *effects);
    // The common effects of a wave node (sound, effect, emitter switch, wait); false
    // when the node makes the script wait.
    bool ProcessWaveEffects(DMNode *node);
    bool IsWaveFlagActive(const char *flag);

    // Tutorials.
    void SetTutorial(const char *name);
    void SetTutorialCompleted(const char *name);
    void UpdateTutorial(float dt);
    void DrawTutorial();
    // The current tutorial's text box from its top to its bottom edge, in reference
    // units; false when no tutorial text is shown.
    bool GetTutorialBox(float *top, float *bottom);

    // Saved game and statistics.
    bool SaveGameState();
    bool LoadGameState(bool header_only);
    int DeleteSaveGameState();
    bool GameStateExists();
    bool ReadStats();
    bool WriteStats();

    // Fields, in declared order.
    NewGameParms parms;
    int32_t score = 0;
    int32_t num_waypoints = 0;
    GameWaypoint waypoints[GAME_MAX_WAYPOINTS] = {};
    GameFeature features[GAME_MAX_FEATURES] = {};
    int32_t num_features = 0;
    float pause_fade = 0.0f;
    uint32_t game_clock = 0;           // ms of battle time
    uint16_t star_rating = 5;          // stars kept when a level is won
    float artillery_x = 0.0f, artillery_y = 0.0f;  // point of the pending artillery call
    float artillery_timer = 0.0f;      // seconds since the call; 0 when none is pending
    uint8_t paused = 0;                // tactical pause on
    float hud_phase = 0.0f;
    int32_t squad_size = 0;            // troopers allowed at once
    int32_t troopers_to_pick = 0;
    int32_t living_troopers = 0;
    int32_t troopers_lost = 0;
    int32_t troopers_spawned = 0;
    int32_t boss_kills = 0;
    int32_t regular_kills = 0;
    int32_t gas_kills = 0;             // by "PyroGas"
    int32_t burn_kills = 0;            // by the fire weapons
    int32_t blast_kills = 0;           // by "BazookaBoom"
    int32_t further_counter = 0;
    int32_t most_troopers_held = 0;
    int32_t shots_fired = 0;
    int32_t boss_spawns = 4;
    int32_t wave_script_pos = 0;       // 1-based index of the next "waves" node
    int32_t wave_advance_state = 0;
    float wave_banner_phase = 0.0f;
    float between_waves_phase = 0.0f;
    const char *wave_flags = nullptr;
    const char *wave_banner_text = nullptr;
    const char *end_condition = nullptr;
    int32_t num_wave_nodes = 0;
    float wave_countdown = 0.0f;
    float force_field_time = 0.0f;
    float level_number_shown = 0.0f;
    int32_t wave_number = 0;
    int32_t num_waves = 0;
    float script_wait = 0.0f;
    uint8_t wave_sound_played = 0;
    float delayed_tutorial_time = 0.0f;
    const char *delayed_tutorial = nullptr;
    // Wave tips about creatures, each waiting until one of its type is on the field
    // (in the order the script gave them).
    enum { MAX_AWAITED_TUTORIALS = 4 };
    const char *awaited_tutorials[MAX_AWAITED_TUTORIALS] = {};
    EntityType *awaited_tutorial_types[MAX_AWAITED_TUTORIALS] = {};
    int32_t num_awaited_tutorials = 0;
    // Tutorial state.
    char *tutorial_name = nullptr;     // 64-byte copy kept by SetTutorial; null when none
    uint8_t tutorial_shown = 0;
    uint8_t tutorial_pauses = 0;       // the current tutorial freezes the battle
    uint8_t tutorial_pauses_waves = 0; // a wave's tutorial halts the wave script while shown
    float tutorial_time = 0.0f;        // seconds since it was set
    float tutorial_alpha = 0.0f;
    Entity *tutorial_trooper = nullptr;  // where the moving hand starts
    uint8_t lost = 0;
    uint8_t lost_no_troopers = 0;
    float lose_timer = 0.0f;
    uint8_t starting_troopers_placed = 0;
    uint8_t arming_requested = 0;
    uint8_t won = 0;
    float win_timer = 0.0f;
    float lowest_bunker_hp = 10000.0f;
    int32_t money = 0;
    int32_t money_earned = 0;
    int32_t money_spent = 0;
    uint8_t saving_allowed = 0;
    uint8_t money_enabled = 0;
    GameStats stats = {};
    GameStats stats_written = {};      // the block as last read from or written to its file
    uint8_t stats_read = 0;            // the file has been read since the state was made
    int32_t random_wave_counter = 0;
    uint8_t continuous_waves = 0;
    int32_t grouping_interval = 4;
    float delay_between_waves = 10.0f;
    float spawn_num_increase_per_wave = 0.0f;
    uint8_t reinforcement_wave_pending = 0;
    int32_t reinforcement_wave_interval = 5;
    float collector_timer = 40.0f, collector_interval = 40.0f;
    float strike_timer = 2.0f, strike_interval = 2.0f;
    float score_powerup_timer = 3.0f;
    int32_t collector_item_count = 5;
    GameStrikeMarker strike_markers[GAME_MAX_STRIKE_MARKERS] = {};
    int32_t medtent_count = 0;
    int32_t pending_reinforcements = 0;
    nArray<Entity *> troopers;         // every trooper placed this mission, in order
    nArray<GameStrike *> strikes;      // pending artillery blasts, owned
    DMDatabase *level_db = nullptr;
    DMDatabase *global_db = nullptr;
    float pending_bunker_repair = 0.0f;
    int32_t further_word = 0;
    Entity *base = nullptr;            // the base structure
    char base_type[64] = "BaseBunker"; // entity type name of the base structure

    // Fields other parts of the game name.
    uint8_t artillery_aiming = 0;      // the next press on the field places the strike
    uint8_t invulnerable = 0;          // developer: the PLAYERS group takes no damage
    uint8_t force_field_hit = 0;       // the force field stopped a hit this frame
    uint8_t force_field_on = 0;
    float force_field_fade = 0.0f;
    uint8_t force_field_upgraded = 0;
    uint8_t pyro_deathwish = 0;
    EntityType *pyro_trooper_type = nullptr;  // cached "PyroTrooper"
    uint8_t show_upgrade_icon = 0;
    float upgrade_icon_size = 0.0f;
    float wave_title_timer = 0.0f;
    uint8_t wave_title_tapped = 0;
    uint8_t all_waves_done = 0;        // LEVEL mode
    float start_timer = 0.0f;
};

extern GameState game;
// The parameters of the battle being started or resumed.
extern NewGameParms new_game_parms;

// The troopers of the mission's roster alive now.
int CountLivingTroopers(GameState &g);
// (chapter - 1) x 10 + mission of an id "MISSION<c>_<m>" (-10 for a missing id; a
// missing part counts 0).
int GetMissionIndex(const char *mission_id);
// A point 40 units outside the 1024 x 768 field at a clock position (0..12, wrapped).
vec2_t GetRandomPositionOutsideEdges(float position);
// Where a HUD sign centred at p (reference units) with the given half size is drawn:
// whole on the screen and clear of the battle screen's controls (moved past a control
// it would cover: along the screen's side, or sideways towards the screen's middle).
vec2_t PlaceHudSign(vec2_t p, vec2_t half, bool sideways = false);

#endif
