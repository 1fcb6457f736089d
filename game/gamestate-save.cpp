// The saved game "user/save-15.dat": written between waves, read back in two steps by
// the loader (the header to learn the mission, then the whole state once the level is
// set up), tested for and deleted. The bytes are the layout of savegame-format.h; a
// file is read whole and checked before anything of it reaches the game state, and a
// file that fails the checks is kept aside as ".bad" and taken out of its place.
#include "game/gamestate.h"

#include "app/services/dataman.h"
#include "app/services/filehelpers.h"
#include "app/services/prog.h"
#include "app/services/random.h"
#include "app/services/small-maths.h"
#include "game/entities/entity-types.h"
#include "game/entities/entity.h"
#include "game/entities/stock.h"
#include "game/savegame-format.h"
#include "game/scape.h"
#include "nstring.h"
#include "orvex.h"
#include "ovrecords.h"

#include <math.h>
#include <stdlib.h>
#include <string.h>
#include <strings.h>

#include <memory>
#include <string>

namespace {

const char kSaveFile[] = "user/save-15.dat";
const char kIncompatible[] = "Incompatible save game header. Ignoring save game.\n";

// "user://user/save-15.dat", with its folder created for a write.
const char *SaveFileName(char *buf, int size, bool for_writing)
{
    const char *name = ov->OV_GetPathEx(buf, size, 1, "%s", kSaveFile);
    if (for_writing && name)
        CreateFolderOf(name);
    return name;
}

// Nodes of the level's "waves" array: from the level already set up when it is the
// one named, else from the file read aside (nothing registered, nothing kept).
int CountWaveNodes(const char *level_file)
{
    DMDatabase *db = game.level_db;
    if (db && db->name && strcmp(db->name, level_file) == 0)
        return db->GetArraySize("waves");
    if (!level_file[0])
        return 0;
    DMDatabase aside;
    if (!aside.Load(level_file))
        return 0;
    return aside.GetArraySize("waves");
}

// A saved game that fails its checks can never be resumed: it is kept aside as ".bad"
// (the copy a maintainer can look at) and taken out of its place, so that the menus no
// longer offer it; an error either way.
void SetDamagedSaveGameAside(const char *name, long length)
{
    nString kept;
    if (KeepDamagedCopy(name, &kept) && ov->OV_DeleteFile(name)) {
        ov->OV_PrintDebugf(2, "The saved game '%s' is damaged (%ld bytes): kept aside as '%s'.\n", name, length,
                           kept.Get());
        return;
    }
    ov->OV_PrintDebugf(2, "The saved game '%s' is damaged (%ld bytes) and could not be set aside: %s.\n", name,
                       length, LastFileErrorText().c_str());
}

// The file read whole and checked: true with *saved filled, else the incompatibility
// message and the damaged file set aside (a missing file is silent: no saved game is no
// error).
bool ReadCheckedSaveGame(SavedGame *saved, bool log_reading)
{
    char name[512];
    if (!SaveFileName(name, sizeof name, false))
        return false;
    // Measured first: a file far larger than any saved game is not read into memory.
    ov_file_t *f = ov->OV_OpenFile(name, "rb");
    if (!f)
        return false;
    long length = ov->OV_SetFilePosition(f, 0, 2) ? ov->OV_GetFilePosition(f) : -1;
    ov->OV_CloseFile(f);
    if (log_reading)
        ov->OV_Printf("Reading game state file..\n");
    bool ok = false;
    if (length >= SAVEGAME_MIN_SIZE && length <= SAVEGAME_MAX_SIZE) {
        long size = 0;
        char *data = ReadWholeFile(name, &size);
        ok = data && SaveGameFromBytes((const uint8_t *)data, (size_t)size, saved);
        free(data);
    }
    if (ok) {
        // The level's wave script bounds the position in it and the waves it holds.
        int nodes = CountWaveNodes(saved->parms.level_file);
        ok = saved->wave_script_pos <= nodes;
        if (saved->num_waves > nodes)
            saved->num_waves = nodes;
    }
    if (!ok) {
        ov->OV_PrintDebugf(1, kIncompatible);
        SetDamagedSaveGameAside(name, length);
    }
    return ok;
}

float Random01()
{
    return (float)AppRandom() / 32767.0f;
}

const char *DeathBitmapOfChapter(const char *chapter)
{
    if (strcasecmp(chapter, "CHAPTER1") == 0 || strcasecmp(chapter, "EXTRAS") == 0)
        return "chapter-1/hellhound/hehound-die.bms";
    if (strcasecmp(chapter, "CHAPTER2") == 0)
        return "chapter-2/crabfly/crabfly-die.bms";
    if (strcasecmp(chapter, "CHAPTER3") == 0)
        return "chapter-3/jugger/jugger-die.bms";
    return nullptr;
}

// The battlefield dressed with the remains of the waves already fought: up to 60
// corpses of the chapter's kind, each lying in a little blood (one to three small
// splats under it), baked into the terrain. Eight to twenty-four splats at full size
// per corpse, drawn over it, covered a resumed field in blood.
void DressBattlefield(Scape *world, const char *chapter, int wave_script_pos)
{
    int remains = wave_script_pos <= 0 ? 0 : wave_script_pos >= 6 ? 60 : 10 * wave_script_pos;
    if (remains == 0)
        return;
    const char *bitmap_name = DeathBitmapOfChapter(chapter);
    ov_bitmap_t *corpse = bitmap_name ? ov->OV_GetBitmap(bitmap_name) : nullptr;
    color_t white = {1.0f, 1.0f, 1.0f, 1.0f};
    float bunker_x = game.base ? game.base->pos.x : (float)world->width;
    float half_w = 0.5f * (float)world->width, half_h = 0.5f * (float)world->height;
    Stock *stock = world->stock;
    for (int n = 0; n < remains; n++) {
        float x = (bunker_x - 10.0f) * Random01();
        x += (half_w - x) * 0.3f;
        float y = (float)world->height * Random01();
        y += (half_h - y) * 0.3f;
        float f = 1.0f + 2.0f * Random01();
        for (int i = 0; (float)i < f; i++) {
            float a = 2.0f * kPi * Random01();
            float d = 8.0f * f * Random01();
            if (!stock || stock->num_blood_decals <= 0)
                continue;
            ov_bitmap_t *splat = stock->blood_decals[AppRandom() % stock->num_blood_decals];
            float angle = 2.0f * kPi * Random01();
            float scale = 0.3f + 0.3f * Random01();
            world->AddDecal(splat, {x + d * cosf(a), y + d * sinf(a)}, angle, scale, white, 0);
            if (world->num_decals >= SCAPE_MAX_DECALS)
                world->DrawDecals();
        }
        if (corpse && corpse->num_frames > 0) {
            ov->OV_SetBitmapFrame(corpse, corpse->num_frames - 1);
            float angle = 2.0f * kPi * Random01();
            float scale = 0.4f + 0.4f * Random01();
            world->AddDecal(corpse, {x, y}, angle, scale, white, 0);
            if (world->num_decals >= SCAPE_MAX_DECALS)
                world->DrawDecals();
        }
    }
    // The corpse bitmap is the pool's shared fetched one (all fetchers hold one
    // reference together): nothing to release here.
}

void CopyStateInto(SavedGame *s)
{
    s->parms = game.parms;
    s->score = game.score;
    s->num_features = game.num_features;
    for (int i = 0; i < GAME_MAX_FEATURES; i++)
        s->features[i] = game.features[i];
    s->game_clock = game.game_clock;
    s->squad_size = game.squad_size;
    s->troopers_to_pick = game.troopers_to_pick;
    s->living_troopers = game.living_troopers;
    s->troopers_spawned = game.troopers_spawned;
    s->starting_troopers_placed = game.starting_troopers_placed;
    s->boss_kills = game.boss_kills;
    s->regular_kills = game.regular_kills;
    s->further_counter = game.further_counter;
    s->most_troopers_held = game.most_troopers_held;
    s->shots_fired = game.shots_fired;
    s->lowest_bunker_hp = game.lowest_bunker_hp;
    s->pyro_deathwish = game.pyro_deathwish;
    s->boss_spawns = game.boss_spawns;
    s->wave_script_pos = game.wave_script_pos;
    s->further_word = game.further_word;
    s->wave_advance_state = game.wave_advance_state;
    s->wave_banner_phase = game.wave_banner_phase;
    s->between_waves_phase = game.between_waves_phase;
    s->script_wait = game.script_wait;
    s->force_field_time = game.force_field_time;
    s->level_number_shown = game.level_number_shown;
    s->wave_number = game.wave_number;
    s->num_waves = game.num_waves;
    s->wave_sound_played = game.wave_sound_played;
    s->money = game.money;
    s->money_earned = game.money_earned;
    s->money_spent = game.money_spent;
    s->saving_allowed = game.saving_allowed;
    s->pending_bunker_repair = game.pending_bunker_repair;
    s->bunker_hit_points = game.base ? game.base->hit_points : 0.0f;
}

void CopyStateFrom(const SavedGame &s)
{
    for (int i = 0; i < GAME_MAX_FEATURES; i++)
        game.features[i] = s.features[i];
    game.num_features = s.num_features;
    game.game_clock = s.game_clock;
    game.squad_size = s.squad_size;
    game.troopers_to_pick = s.troopers_to_pick;
    game.living_troopers = s.living_troopers;
    game.troopers_spawned = s.troopers_spawned;
    game.starting_troopers_placed = s.starting_troopers_placed;
    game.boss_kills = s.boss_kills;
    game.regular_kills = s.regular_kills;
    game.further_counter = s.further_counter;
    game.most_troopers_held = s.most_troopers_held;
    game.shots_fired = s.shots_fired;
    game.lowest_bunker_hp = s.lowest_bunker_hp;
    game.pyro_deathwish = s.pyro_deathwish;
    game.boss_spawns = s.boss_spawns;
    game.wave_script_pos = s.wave_script_pos;
    game.further_word = s.further_word;
    game.wave_advance_state = s.wave_advance_state;
    game.wave_banner_phase = s.wave_banner_phase;
    game.between_waves_phase = s.between_waves_phase;
    game.script_wait = s.script_wait;
    game.force_field_time = s.force_field_time;
    game.level_number_shown = s.level_number_shown;
    game.wave_number = s.wave_number;
    game.num_waves = s.num_waves;
    game.wave_sound_played = s.wave_sound_played;
    game.money = s.money;
    game.money_earned = s.money_earned;
    game.money_spent = s.money_spent;
    game.saving_allowed = s.saving_allowed;
    game.pending_bunker_repair = s.pending_bunker_repair;
    if (game.base)
        game.base->hit_points = s.bunker_hit_points;
}

// The saved troopers spawned silently where they stood; they join the trooper list
// without a squad slot. A type that is unknown or a spawn that fails ends the list.
void RestoreTroopers(Scape *world, const SavedGame &s)
{
    game.living_troopers = 0;
    for (int i = 0; i < s.num_troopers; i++) {
        const SavedTrooper &t = s.troopers[i];
        EntityType *type = world->stock ? world->stock->GetEntityType(t.type_name) : nullptr;
        Entity *e = world->SpawnEntitySilent(type, {t.x, t.y});
        if (!e)
            break;
        e->angle = t.angle;
        e->hit_points = t.hit_points;
        e->slot = -1;
        game.troopers.InsertLast(e);
    }
    if (prog.parms.developer_mode && game.living_troopers != s.living_troopers)
        ov->OV_Popupf(1, "LoadSaveState - Trooper count differs between saved and loaded (%d != %d)\n",
                      s.living_troopers, game.living_troopers);
}

// The current wave's flags and banner text from the level's "waves" node at the
// saved position (none when the level has no waves).
void RestoreWaveNode()
{
    game.wave_flags = nullptr;
    game.wave_banner_text = nullptr;
    DMArray *waves = game.level_db ? game.level_db->GetArray("waves") : nullptr;
    int count = waves ? waves->GetSize() : 0;
    if (count > 0) {
        int index = (game.wave_script_pos - 1) % count;
        if (index < 0)
            index += count;
        game.wave_flags = waves->GetNodeValue(index, "flags");
        game.wave_banner_text = waves->GetNodeValue(index, "text");
    }
    game.wave_sound_played = 0;
}

}  // namespace

bool GameState::SaveGameState()
{
    if (!saving_allowed)
        return false;
    ov->OV_Printf("Saving game state..\n");
    Scape *world = GetScape();
    if (!world || !base || living_troopers <= 0 || base->hit_points <= 0.0f)
        return false;

    std::unique_ptr<SavedGame> saved(new SavedGame());
    CopyStateInto(saved.get());
    Entity *found[SAVEGAME_MAX_TROOPERS];
    int n = world->QueryEntitiesInRadiusInFriendGroup({100.0f, 100.0f}, 5000.0f, Entity::MOVABLE, Entity::PLAYERS,
                                                      found, SAVEGAME_MAX_TROOPERS);
    saved->num_troopers = 0;
    for (int i = 0; i < n; i++) {
        SavedTrooper &t = saved->troopers[saved->num_troopers++];
        snprintf(t.type_name, sizeof t.type_name, "%s", found[i]->type && found[i]->type->name ? found[i]->type->name : "");
        t.x = found[i]->pos.x;
        t.y = found[i]->pos.y;
        t.angle = found[i]->angle;
        t.hit_points = found[i]->hit_points;
    }
    std::unique_ptr<uint8_t[]> bytes(new uint8_t[SAVEGAME_MAX_SIZE]);
    size_t size = SaveGameToBytes(*saved, bytes.get());

    char name[512];
    if (!SaveFileName(name, sizeof name, true))
        return false;
    ov->OV_Printf("Writing game state file..\n");
    if (!SaveFileReplacing(name, bytes.get(), size)) {
        ov->OV_Printf("Saving game state failed: the previous saved game is kept.\n");
        return false;
    }
    return true;
}

bool GameState::LoadGameState(bool header_only)
{
    ov->OV_Printf("Loading game state..\n");
    std::unique_ptr<SavedGame> saved(new SavedGame());
    if (!ReadCheckedSaveGame(saved.get(), true))
        return false;
    Scape *world = GetScape();
    if (!header_only && !world) {
        ov->OV_Printf("Loading game state: no battlefield to restore it into.\n");
        return false;
    }
    parms = saved->parms;
    score = saved->score;
    if (header_only)
        return true;

    CopyStateFrom(*saved);
    RestoreTroopers(world, *saved);
    for (int i = 0; i < GAME_MAX_FEATURES; i++) {
        // A copy: activating may change the table being walked.
        char feature[sizeof features[i].name];
        memcpy(feature, features[i].name, sizeof feature);
        if (strncmp(feature, "REARM_", 6) == 0)
            ActivateFeature(feature, true);
        else if (strcasecmp(feature, "PYRO_DEATHWISH") == 0)
            ActivateFeature("PYRO_DEATHWISH", true);  // the feature's own spelling
    }
    RestoreWaveNode();
    DressBattlefield(world, parms.chapter_id, wave_script_pos);
    new_game_parms = parms;
    world->DrawDecals();
    return true;
}

bool GameState::GameStateExists()
{
    std::unique_ptr<SavedGame> saved(new SavedGame());
    return ReadCheckedSaveGame(saved.get(), false);
}

int GameState::DeleteSaveGameState()
{
    ov->OV_Printf("Deleting save game..\n");
    char name[512];
    if (!SaveFileName(name, sizeof name, false))
        return 0;
    bool deleted = ov->OV_DeleteFile(name) != 0;
    std::string reason = deleted ? "" : LastFileErrorText();
    if (!FileOpens(name))
        return 1;
    // Still there: the menu would offer a battle that has ended.
    ov->OV_Printf("The saved game '%s' could not be deleted.\n", name);
    ReportFailedSave(name, reason.empty() ? "the file is still there" : reason.c_str());
    return 0;
}
