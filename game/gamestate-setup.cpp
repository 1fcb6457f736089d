// Mission set-up: a battle starts from a `NewGameParms` record. `InitNewGame` reads
// "gameplay-global.xml" and the mission's level file, resets every per-mission counter,
// reads the level's gameplay values and waypoints, rebuilds the world, places the base
// and the level's fixed entities and obstacles and unlocks tactical mode and primary
// targeting by mission progress.
#include "game/gamestate.h"

#include "app/services/data-numbers.h"
#include "app/services/dataman.h"
#include "app/services/profiles.h"
#include "app/services/prog.h"
#include "app/services/token-lists.h"
#include "app/ui/screen.h"
#include "app/ui/ui-comps.h"
#include "game/entities/entity-types.h"
#include "game/entities/entity.h"
#include "game/entities/move-path.h"
#include "game/entities/stock.h"
#include "game/entities/upgrades.h"
#include "game/obstacles.h"
#include "game/scape.h"
#include "game/terrain.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <strings.h>

NewGameParms new_game_parms;

namespace {

const float kDegreesToRadians = 0.017453292f;

// The "value" of a gameplay setting of the level, or null.
const char *Setting(DMDatabase *level, const char *name)
{
    return level ? level->GetValue("gameplay", name, "value") : nullptr;
}

int SettingInt(DMDatabase *level, const char *name, int fallback)
{
    const char *v = Setting(level, name);
    return v ? DataLeadingInt(v) : fallback;
}

float SettingFloat(DMDatabase *level, const char *name, float fallback)
{
    const char *v = Setting(level, name);
    return v ? DataLeadingFloat(v) : fallback;
}

bool ProfileHasTag(const char *category, const char *id)
{
    return prof && prof->TagExists(category, id);
}

// The base type for the "bunker" node's "type" word; null for a word it does not know.
const char *BaseTypeFor(const char *word)
{
    if (!word)
        word = "bunker";
    if (strcmp(word, "bunker") == 0)
        return "BaseBunker";
    if (strcmp(word, "launcher") == 0)
        return "BaseLauncher";
    if (strcmp(word, "powerplant") == 0)
        return "BasePowerPlant";
    return nullptr;
}

void ShowPauseButton()
{
    Screen *screen = Screen::PeekScreen("Game");
    if (!screen)
        return;
    bool shown = ProfileHasTag("features", "TACTICAL_MODE") && ProfileHasTag("tutorials_completed", "TACTICAL");
    if (UIComp *pause = screen->GetComp("PauseTime")) {
        pause->visible = shown;
        pause->alpha = 1.0f;
    }
    if (UIComp *highlight = screen->GetComp("PauseTimeHighlight")) {
        highlight->visible = false;
        highlight->alpha = shown ? 1.0f : 0.0f;
    }
}

}  // namespace

int GetMissionIndex(const char *mission_id)
{
    if (!mission_id || !*mission_id)
        return -10;
    char text[64];
    // Every "MISSION" removed.
    size_t out = 0;
    for (const char *p = mission_id; *p && out < sizeof text - 1;) {
        if (strncmp(p, "MISSION", 7) == 0) {
            p += 7;
            continue;
        }
        text[out++] = *p++;
    }
    text[out] = 0;
    char *underscore = strchr(text, '_');
    int chapter = 0, mission = 0;
    if (underscore) {
        *underscore = 0;
        char *rest = underscore + 1;
        char *next = strchr(rest, '_');
        if (next)
            *next = 0;
        chapter = atoi(text);
        mission = atoi(rest);
    } else {
        chapter = atoi(text);
    }
    return (chapter - 1) * 10 + mission;
}

void GameState::InitNewGame(NewGameParms *source)
{
    if (!source)
        return;
    // The battle's counters add to the player's statistics: they are read before the
    // first mission counts anything.
    if (!stats_read)
        ReadStats();
    // The resume road passes the game's own record: copy through a temporary.
    NewGameParms copy = *source;
    char level_file[512];
    snprintf(level_file, sizeof level_file, "%s", copy.level_file);
    parms = copy;
    parms.level_file[sizeof parms.level_file - 1] = 0;
    parms.chapter_id[sizeof parms.chapter_id - 1] = 0;
    parms.mission_id[sizeof parms.mission_id - 1] = 0;

    // Texts of the previous level's nodes go with its database.
    wave_flags = nullptr;
    wave_banner_text = nullptr;
    delayed_tutorial = nullptr;
    num_awaited_tutorials = 0;
    if (prog.parms.developer_mode)
        dman().ReleaseDatabase(level_file);
    global_db = dman().GetDatabase("gameplay-global.xml");
    level_db = dman().GetDatabase(level_file);
    DMDatabase *level = level_db;

    memset(features, 0, sizeof features);
    num_features = 0;
    money_enabled = 0;
    wave_countdown = 1.0f;
    upgrades.Init(level_file);

    score = 0;
    game_clock = 0;
    reinforcement_wave_interval = 5;
    star_rating = 5;
    lowest_bunker_hp = 10000.0f;
    Scape *world = GetScape();
    if (world)
        world->camera = vec2_t{0.0f, 0.0f};
    delay_between_waves = 10.0f;
    continuous_waves = 1;
    collector_timer = 40.0f;
    collector_interval = 40.0f;
    grouping_interval = 4;
    memset(strike_markers, 0, sizeof strike_markers);
    artillery_aiming = 0;
    force_field_hit = 0;
    money = money_earned = money_spent = 0;
    boss_kills = regular_kills = gas_kills = burn_kills = blast_kills = 0;
    further_counter = 0;
    most_troopers_held = 0;
    shots_fired = 0;
    troopers_spawned = 0;
    pending_reinforcements = 0;
    reinforcement_wave_pending = 0;
    starting_troopers_placed = 0;
    arming_requested = 0;
    hud_phase = 0.0f;
    pause_fade = 0.0f;
    level_number_shown = 0.0f;
    wave_number = 0;
    script_wait = 0.0f;
    wave_sound_played = 0;
    pending_bunker_repair = 0.0f;
    further_word = 0;
    base = nullptr;
    SetPause(false);

    // The wave script's size and its number of waves.
    DMArray *waves = level ? level->GetArray("waves") : nullptr;
    num_wave_nodes = waves ? waves->GetSize() : 0;
    num_waves = 0;
    for (int i = 0; i < num_wave_nodes; i++)
        if (HasWholeToken(NodeText(waves->GetNode(i), "type"), "WAVE_START"))
            num_waves++;

    // Waypoints; the table holds 16, the rest of a longer array is ignored.
    memset(waypoints, 0, sizeof waypoints);
    DMArray *points = level ? level->GetArray("ai_points") : nullptr;
    num_waypoints = points ? points->GetSize() : 0;
    if (num_waypoints > GAME_MAX_WAYPOINTS)
        num_waypoints = GAME_MAX_WAYPOINTS;
    for (int i = 0; i < num_waypoints; i++) {
        DMNode *node = points->GetNode(i);
        waypoints[i].id = NodeInt(node, "id", 0);
        waypoints[i].x = NodeFloat(node, "x", 0.0f);
        waypoints[i].y = NodeFloat(node, "y", 0.0f);
        waypoints[i].parent_id = NodeInt(node, "parent", 0);
    }

    force_field_time = 1.0f;
    force_field_on = 0;  // the base's behaviour starts it with the first trooper
    pyro_deathwish = 0;  // set again when "PYRO_DEATHWISH" is applied in this mission
    artillery_timer = 0.0f;
    delayed_tutorial = nullptr;
    delayed_tutorial_time = 0.0f;
    num_awaited_tutorials = 0;
    tutorial_shown = 0;
    tutorial_pauses = 0;
    tutorial_pauses_waves = 0;
    end_condition = nullptr;
    won = 0;
    win_timer = 0.0f;
    boss_spawns = 4;
    for (int i = 0; i < strikes.Count(); i++)
        delete strikes[i];
    strikes.Clear();

    // Money: enabled first, so that the starting money reaches the counter.
    money_enabled = 1;
    AddMoney(SettingInt(level, "starting_money", 0), vec2_t{-1000.0f, -100.0f});
    troopers_to_pick = SettingInt(level, "num_troopers_at_start", 0);
    if (troopers_to_pick > 0 && prog.parms.developer_mode)
        ov->OV_Popupf(1,
                      "Mission '%s' has 'num_troopers_at_start' defined. Plz remove and use array "
                      "'starting_troopers' instead.\n",
                      level_file);
    delay_between_waves = SettingFloat(level, "delay_between_waves", 10.0f);
    const char *continuous = Setting(level, "continuous_waves");
    continuous_waves = continuous && strcasecmp(continuous, "true") == 0 ? 1 : 0;
    grouping_interval = SettingInt(level, "grouping_interval", 4);
    reinforcement_wave_interval = SettingInt(level, "reinforcement_wave_interval", 5);
    spawn_num_increase_per_wave = SettingFloat(level, "spawn_num_increase_per_wave", 0.0f);

    // The previous mission's troopers: their paths go, the list empties.
    for (int i = 0; i < troopers.Count(); i++) {
        Entity *e = troopers[i];
        if (e && e->path) {
            delete e->path;
            e->path = nullptr;
        }
    }
    troopers.Clear();
    living_troopers = 0;
    troopers_lost = 0;

    strike_timer = 2.0f;
    strike_interval = 2.0f;
    squad_size = upgrades.max_troopers;
    between_waves_phase = 1.0f;
    score_powerup_timer = 3.0f;
    wave_banner_phase = 0.0f;
    wave_advance_state = 0;
    wave_script_pos = 0;
    random_wave_counter = 0;
    lost = 0;
    lost_no_troopers = 0;
    lose_timer = 0.0f;
    won = 0;
    win_timer = 0.0f;
    all_waves_done = 0;
    wave_flags = nullptr;
    wave_banner_text = nullptr;
    collector_item_count = SettingInt(level, "collector_item_count", 5);
    for (int i = 0; i < GAME_MAX_STRIKE_MARKERS; i++)
        strike_markers[i].active = 0;

    if (world) {
        world->Reset();
        world->GenerateTerrain();
    }

    // The base structure.
    DMNode *bunker = LevelBunkerNode(level);
    if (bunker) {
        const char *type_name = BaseTypeFor(NodeText(bunker, "type"));
        if (type_name)
            snprintf(base_type, sizeof base_type, "%s", type_name);
        if (world && world->stock) {
            vec2_t at = {(float)NodeInt(bunker, "x", 0), (float)NodeInt(bunker, "y", 0)};
            base = world->SpawnEntitySilent(world->stock->GetEntityType(base_type), at);
        }
    }

    // The level's fixed entities and their obstacles.
    medtent_count = 0;
    DMArray *fixed = level ? level->GetArray("entities") : nullptr;
    for (int i = 0; fixed && world && world->stock && i < fixed->GetSize(); i++) {
        DMNode *node = fixed->GetNode(i);
        const char *type_name = NodeText(node, "type");
        EntityType *type = world->stock->GetEntityType(type_name);
        vec2_t at = {(float)NodeInt(node, "x", 0), (float)NodeInt(node, "y", 0)};
        Entity *e = type ? world->SpawnEntitySilent(type, at) : nullptr;
        if (!e)
            continue;  // unknown type or a full pool: nothing of the node applies
        float scale = NodeFloat(node, "scale", 0.0f);
        if (scale > 0.0f)
            e->scale = scale;
        float angle = NodeFloat(node, "angle", 0.0f) * kDegreesToRadians;
        e->angle = angle;
        if (ObstacleType *obstacle = ObstacleType::GetObstacleType(NodeText(node, "obstacle")))
            world->AddObstacle(obstacle, at, angle, e->scale);
        if (parms.game_mode == GAME_MODE_DEFEND_THE_FLAG && type_name && strcmp(type_name, "MedTent") == 0)
            medtent_count++;
    }

    // Tactical mode and primary targets unlocked by mission progress.
    int index = GetMissionIndex(parms.mission_id);
    bool extras = strcmp(parms.chapter_id, "EXTRAS") == 0;
    if (prof && (index > 6 || extras) && !prof->TagExists("features", "TACTICAL_MODE"))
        prof->AddTag("features", "TACTICAL_MODE");
    if (prof && (index > 3 || extras) && !IsFeatureActive("PRIMARY_TARGET") &&
        !prof->TagExists("features", "PRIMARY_TARGET"))
        prof->AddTag("features", "PRIMARY_TARGET");
    ShowPauseButton();

    if (world)
        world->DrawDecals();
}
