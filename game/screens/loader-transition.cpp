// The loader transition (see loader-transition.h).
#include "game/screens/loader-transition.h"

#include "app/services/audioman.h"
#include "app/services/dataman.h"
#include "app/services/featureman.h"
#include "app/services/profiles.h"
#include "app/services/random.h"
#include "app/ui/screen-manager.h"
#include "app/ui/ui-comps.h"
#include "app/ui/widgets/ui-image.h"
#include "game/controls.h"
#include "game/entities/entity.h"
#include "game/entities/move-path.h"
#include "game/entities/stock.h"
#include "game/gamestate.h"
#include "game/scape.h"

#include <stdio.h>
#include <string.h>
#include <strings.h>
#include <time.h>

ScreenLoaderTransition screen_loader_transition;

namespace {

const char kUIFile[] = "ui/loader-transition.lua";
const char kMissionsFile[] = "missions.xml";
const int kCacheKeep = 4;

bool seed_fixed = false;
uint32_t fixed_seed = 0;
// Entries since the start: with a run seed each entry seeds the run seed plus this.
uint32_t entries = 0;

struct ModeWord {
    const char *word;
    int mode;
};
const ModeWord kModes[] = {
    {"LEVEL", GAME_MODE_LEVEL},           {"SURVIVAL", GAME_MODE_SURVIVAL},
    {"COLLECTOR", GAME_MODE_COLLECTOR},   {"INCOMING", GAME_MODE_INCOMING},
    {"DEFEND_THE_FLAG", GAME_MODE_DEFEND_THE_FLAG}, {"OPEN_AREA", GAME_MODE_OPEN_AREA},
};

// The game mode of a "mode" value: LEVEL when it is missing; LEVEL with a developer
// popup for a word outside the table.
int ModeOf(const char *value)
{
    if (!value || !value[0])
        return GAME_MODE_LEVEL;
    for (const ModeWord &m : kModes)
        if (strcasecmp(value, m.word) == 0)
            return m.mode;
    ov->OV_Popupf(1, "Unknown game mode '%s'\n", value);
    return GAME_MODE_LEVEL;
}

const char *ChapterTitleOf(const char *chapter_id)
{
    if (strcmp(chapter_id, "CHAPTER1") == 0)
        return "Chapter 1";
    if (strcmp(chapter_id, "CHAPTER2") == 0)
        return "Chapter 2";
    if (strcmp(chapter_id, "CHAPTER3") == 0)
        return "Chapter 3";
    return "";
}

// The number token of a mission id: the text between its first and second '_' (the
// rest of the id without a second one); empty without '_', with nothing after it, or
// for ids of 1023 characters and more.
void MissionNumberOf(const char *mission_id, char *out, size_t size)
{
    out[0] = 0;
    size_t length = strlen(mission_id);
    if (length >= 1023)
        return;
    const char *first = strchr(mission_id, '_');
    if (!first || !first[1])
        return;
    const char *start = first + 1;
    const char *end = strchr(start, '_');
    size_t n = end ? (size_t)(end - start) : strlen(start);
    if (n >= size)
        n = size - 1;
    memcpy(out, start, n);
    out[n] = 0;
}

void CopyText(char *out, size_t size, const char *text)
{
    snprintf(out, size, "%s", text ? text : "");
}

}  // namespace

Screen *GetLoaderTransitionScreen()
{
    return &screen_loader_transition;
}

void ScreenLoaderTransition::FixSeed(uint32_t seed)
{
    seed_fixed = true;
    fixed_seed = seed;
}

void ScreenLoaderTransition::UnfixSeed()
{
    seed_fixed = false;
}

ScreenLoaderTransition::ScreenLoaderTransition() : Screen("LoaderTransition") {}

bool ScreenLoaderTransition::PreLoad()
{
    LoadUI(kUIFile);
    switched = false;
    world_ready = false;
    new_game_parms = NewGameParms{};
    new_game_parms.game_mode = GAME_MODE_LEVEL;
    CopyText(new_game_parms.chapter_id, sizeof new_game_parms.chapter_id, "CHAPTER1");
    CopyText(new_game_parms.mission_id, sizeof new_game_parms.mission_id, "MISSION1_1");
    CopyText(new_game_parms.level_file, sizeof new_game_parms.level_file, "missions/1_1.xml");
    return true;
}

void ScreenLoaderTransition::Enter()
{
    // A fixed seed (tests), else the run's seed plus the earlier entries, else the time.
    uint32_t run_seed = 0;
    if (seed_fixed)
        AppSeedRandomLogged(fixed_seed);
    else if (AppGetRunSeed(&run_seed))
        AppSeedRandomLogged(run_seed + entries);
    else
        AppSeedRandomLogged((uint32_t)time(nullptr));
    entries++;
    switched = false;
    leaving = false;
    trans_phase = 0.001f;
    ov->OV_Printf("Entering loader transition.\n");
    aman.SwitchMusic(ov->OV_GetSound("music/finalwave"), 2.0f, 2.0f);
}

void ScreenLoaderTransition::Leave()
{
    sman.ResetNextFrameTimeDelta();
}

bool ScreenLoaderTransition::ProcessUICompClick(UIComp *, int)
{
    return true;
}

void ScreenLoaderTransition::ShowPicture(bool shown)
{
    sman.SetVisible(GetComp("MissionPic"), shown);
    sman.SetVisible(GetComp("MissionPicFrames"), shown);
}

void ScreenLoaderTransition::StopMusic()
{
    aman.StopMusic(1.0f);
}

bool ScreenLoaderTransition::ReadMission(const char *value)
{
    new_game_parms = NewGameParms{};
    // "<chapter id>:<mission id>"; a value without ':' is all chapter id.
    CopyText(new_game_parms.chapter_id, sizeof new_game_parms.chapter_id, value);
    char *colon = strchr(new_game_parms.chapter_id, ':');
    if (colon)
        *colon = 0;
    const char *full_colon = strchr(value, ':');
    CopyText(new_game_parms.mission_id, sizeof new_game_parms.mission_id, full_colon ? full_colon + 1 : "");

    const char *chapter = new_game_parms.chapter_id;
    const char *mission = new_game_parms.mission_id;
    DataMan &data = dman();
    new_game_parms.game_mode = ModeOf(data.GetValue(kMissionsFile, chapter, mission, "mode"));
    const char *name = data.GetValue(kMissionsFile, chapter, mission, "name");
    const char *desc = data.GetValue(kMissionsFile, chapter, mission, "desc");
    const char *pic = data.GetValue(kMissionsFile, chapter, mission, "pic");
    const char *level = data.GetValue(kMissionsFile, chapter, mission, "level");
    mission_name = name ? name : "";
    mission_desc = desc ? desc : "";
    mission_pic = pic ? pic : "";
    chapter_title = ChapterTitleOf(chapter);
    MissionNumberOf(mission, mission_number, sizeof mission_number);

    has_picture = !mission_pic.empty();
    if (has_picture) {
        UIComp *comp = GetCompOfType("MissionPic", UICOMP_IMAGE);
        if (comp)
            static_cast<UICompImage *>(comp)->SetBitmap(ov->OV_LoadBitmap(mission_pic.c_str(), kCacheKeep));
    }
    ShowPicture(has_picture);

    if (!level || !level[0]) {
        ov->OV_Popupf(2, "Unknown mission def '%s'\n", value);
        return false;
    }
    CopyText(new_game_parms.level_file, sizeof new_game_parms.level_file, level);
    return true;
}

int ScreenLoaderTransition::ProcessScreenMessage(Screen *from, const char *message, const char *value)
{
    if (!message)
        message = "";
    if (!value)
        value = "";

    // The drawn routes of the last battle go now: the troopers may be re-created.
    for (int i = 0; i < game.troopers.Count(); i++) {
        Entity *e = game.troopers[i];
        if (e && e->path) {
            delete e->path;
            e->path = nullptr;
        }
    }

    waiting_for_tap = false;
    has_picture = false;
    mission_name.clear();
    mission_desc.clear();
    mission_pic.clear();
    chapter_title = "";
    mission_number[0] = 0;
    ov->OV_Printf("Screen message from %s '%s' '%s'.\n", from && from->name ? from->name : "null", message,
                  value);

    // Leaving: the phase, its text, the picture hidden, the music stopped.
    auto leave = [this](int leave_phase, bool stop_music) {
        phase = leave_phase;
        status_text = "Leaving Battlefield...";
        ShowPicture(false);
        g_battle_enter_phase = leave_phase;
        if (stop_music)
            StopMusic();
    };

    if (strcasecmp(message, "ENTER_BATTLE") == 0) {
        phase = LOADER_PHASE_NEW_BATTLE;
        status_text = "Establishing command link...";
        if (ReadMission(value)) {
            StopMusic();
            g_battle_enter_phase = phase;
        } else {
            // No level to play: nothing is started and nothing can be won; back out.
            mission_name.clear();
            mission_desc.clear();
            mission_pic.clear();
            chapter_title = "";
            mission_number[0] = 0;
            has_picture = false;
            leave(LOADER_PHASE_LEAVE, true);
        }
    } else if (strcasecmp(message, "RETRY_BATTLE") == 0) {
        phase = LOADER_PHASE_NEW_BATTLE;
        status_text = "Entering Battlefield...";
        ShowPicture(false);
        StopMusic();
        g_battle_enter_phase = phase;
    } else if (strcasecmp(message, "ENTER_OLD_BATTLE") == 0) {
        phase = LOADER_PHASE_RESUME;
        status_text = "Returning to Battlefield...";
        ShowPicture(false);
        if (game.LoadGameState(true))
            sman.SwitchScreen("LoaderTransition");
        else
            sman.SwitchScreen("MainMenu");
        g_battle_enter_phase = phase;
        StopMusic();
    } else if (strcasecmp(message, "LEAVE_BATTLE_GAME_WON") == 0) {
        leave(LOADER_PHASE_LEAVE_GAME_WON, false);
    } else if (strcasecmp(message, "LEAVE_BATTLE_LEVEL_WON") == 0) {
        leave(LOADER_PHASE_LEAVE_LEVEL_WON, true);
    } else {
        leave(LOADER_PHASE_LEAVE, true);
    }

    sman.SetText(GetComp("text"), "%s", status_text);
    sman.SetText(GetComp("MissionName"), "%s", mission_name.c_str());
    sman.SetText(GetComp("MissionDesc"), "%s", mission_desc.c_str());
    sman.SetText(GetComp("Chapter"), "%s", chapter_title);
    if (mission_number[0] && chapter_title[0])
        sman.SetText(GetComp("mission_number"), "Mission %s/10", mission_number);
    else
        sman.SetText(GetComp("mission_number"), "%s", "");
    ov->OV_Printf("LoaderTransition phase to %d\n", phase);
    return 1;
}

void ScreenLoaderTransition::LoadGameAssets()
{
    profile_man().SaveProfiles();
    Scape *world = GetScape();
    if (!world_ready) {
        controls.Init(CONTROLS_TOUCH_COMMANDS);
        // A developer editor may have built the world already (once per run: a second
        // Init would lose the stock it made).
        if (world && !world->stock)
            world->Init(8, 6, 128.0f);
        game.ReadStats();
        if (world)
            world->ReadConfig();
        world_ready = true;
    }
    ov_sound_t *sound = ov->OV_GetSound("sfx/reinforcements");
    if (sound)
        ov->OV_SetSoundCacheMode(sound, kCacheKeep);
    if (world && world->stock)
        world->stock->CacheGameAssets(new_game_parms.level_file, true);
    sman.ResetNextFrameTimeDelta();
}

void ScreenLoaderTransition::Update(float dt)
{
    trans_phase += leaving ? -dt : dt;
    if (trans_phase < 0.0f) {
        trans_phase = 0.0f;
        entered = false;
        return;
    }
    if (trans_phase > 1.0f)
        trans_phase = 1.0f;
    entered = trans_phase == 1.0f;
    if (!entered)
        return;
    if (waiting_for_tap || switched || sman.IsScreenInStack("Transition"))
        return;

    // The slow frame below is not game time.
    sman.ResetNextFrameTimeDelta();
    switch (phase) {
    case LOADER_PHASE_NEW_BATTLE:
        LoadGameAssets();
        game.InitNewGame(&new_game_parms);
        break;
    case LOADER_PHASE_RESUME: {
        LoadGameAssets();
        NewGameParms saved = game.parms;
        game.InitNewGame(&saved);
        break;
    }
    default: {
        Scape *world = GetScape();
        if (world && world->stock)
            world->stock->CacheGameAssets(nullptr, false);
        break;
    }
    }

    if (has_picture) {
        waiting_for_tap = true;
        ov->OV_Printf("LoaderTransition: the battle is ready, waiting for a tap\n");
        sman.SetText(GetComp("text"), "%s",
                     feature_man.ProductFeatureExists("MOUSE_INTERFACE") ? "Click to enter the battlefield"
                                                                        : "Tap to enter the battlefield");
        return;
    }
    HandOver();
}

void ScreenLoaderTransition::HandOver()
{
    switched = true;
    switch (phase) {
    case LOADER_PHASE_NEW_BATTLE:
        sman.SwitchScreen("Game");
        break;
    case LOADER_PHASE_RESUME:
        sman.SwitchScreen("Game");
        game.LoadGameState(false);
        break;
    case LOADER_PHASE_LEAVE_GAME_WON:
        sman.SendScreenMessage(this, Screen::GetScreen("Credits"), "setNextScreen", "PlayMenu");
        sman.PushScreen("Credits", 0);
        break;
    default:
        sman.SwitchScreen("PlayMenu");
        break;
    }
    leaving = true;
}

int ScreenLoaderTransition::ProcessEvent(ov_event_t *event)
{
    if (!event)
        return 1;
    bool press = event->type == OV_EVENT_BUTTON_DOWN || event->type == OV_EVENT_KEY_DOWN || event->key == 27;
    if (press && waiting_for_tap) {
        waiting_for_tap = false;
        HandOver();
    }
    return 1;
}

void ScreenLoaderTransition::Draw(float)
{
    ov->OV_ClearScreen(0.0f, 0.0f, 0.0f);
    DrawUI();

    ov->OV_SetColor(1.0f, 1.0f, 1.0f);
    ov->OV_SetAlpha(trans_phase);
    ov->OV_SetColor(0.0f, 0.0f, 0.0f);
    int columns = sman.virtual_width / 16;
    int rows = sman.virtual_height / 16;
    float keep = 1.0f - trans_phase;
    for (int i = 0; i < rows * columns; i++) {
        if ((double)AppRandom() / 32767.0 < keep)
            ov->OV_DrawRect(16.0f * (float)(i % columns), 16.0f * (float)(i / columns), 16.0f, 16.0f);
    }
    ov->OV_SetColor(1.0f, 1.0f, 1.0f);
}
