// The game-implementation registry (see gameman.h): registration, the active game,
// and the numbered save files recorded per timeline in the active profile.
#include "app/services/gameman.h"

#include "app/services/filehelpers.h"

#include "app/services/profiles.h"
#include "app/services/prog.h"
#include "orvex.h"

#include <stdio.h>
#include <string.h>
#include <strings.h>

#include <string>

GameManager game_man;
GameImplementation *GameManager::games[GAME_MAX_IMPLEMENTATIONS];
int GameManager::num_games = 0;

namespace {

const char kSaveDir[] = "user://profiles/saves";
const char kSaveFormat[] = "profiles/saves/save-game-%.3d.dat";

const char *NameOf(GameImplementation *g)
{
    const char *name = g ? g->GetName() : nullptr;
    return name ? name : "";
}

}  // namespace

int GameManager::Initialize()
{
    RegisterGameScriptFunctions();
    return 1;
}

void GameManager::Clear()
{
    for (int i = 0; i < GAME_MAX_IMPLEMENTATIONS; i++) {
        games[i] = nullptr;
        loaded_[i] = false;
    }
    num_games = 0;
    active_ = nullptr;
}

const char *GameManager::TimelineFile() const
{
    return link_.timeline_file ? link_.timeline_file() : nullptr;
}

void GameManager::SkipNextFrameTime() const
{
    if (link_.skip_next_frame_time)
        link_.skip_next_frame_time();
}

void GameManager::AddGameImplementation(GameImplementation *g)
{
    if (!g || num_games >= GAME_MAX_IMPLEMENTATIONS)
        return;
    for (int i = 0; i < num_games; i++)
        if (games[i] == g)
            ov->OV_Popupf(1, "Trying to add already registered game imp '%s' to GameManager.\n", NameOf(g));
    loaded_[num_games] = false;
    games[num_games++] = g;
}

int GameManager::GetGameIndex(GameImplementation *g)
{
    for (int i = 0; i < num_games; i++)
        if (games[i] == g)
            return i;
    return -1;
}

GameImplementation *GameManager::GetGameByName(const char *name)
{
    if (!name)
        return nullptr;
    for (int i = 0; i < num_games; i++) {
        const char *own = games[i]->GetName();
        if (own && strcmp(own, name) == 0)
            return games[i];
    }
    return nullptr;
}

GameImplementation *GameManager::GetGameByIndex(int index)
{
    return index >= 0 && index < num_games ? games[index] : nullptr;
}

void GameManager::LoadGameImplementation(GameImplementation *g)
{
    int index = GetGameIndex(g);
    if (index < 0) {
        ov->OV_Popupf(1, "GameManager::LoadGameImplementation trying to load unregistered game '%s'\n", NameOf(g));
        return;
    }
    if (loaded_[index])
        return;
    ov->OV_Printf("Loading Game '%s'..\n", NameOf(g));
    g->Load();
    loaded_[index] = true;
}

void GameManager::UnloadGameImplementation(GameImplementation *g)
{
    int index = GetGameIndex(g);
    if (index < 0 || !loaded_[index])
        return;
    ov->OV_Printf("Unloading Game '%s'..\n", NameOf(g));
    g->Unload();
    loaded_[index] = false;
}

bool GameManager::SetActiveGame(const char *name)
{
    if (name && strcasecmp(name, "!DEFAULT") == 0) {
        active_ = num_games > 0 ? games[0] : nullptr;
        if (active_)
            LoadGameImplementation(active_);
        return true;
    }
    active_ = GetGameByName(name);
    if (!active_) {
        ov->OV_Popupf(1, "GameManager::SetActiveGame - Unknown game imp name '%s'\n", name ? name : "");
        return false;
    }
    LoadGameImplementation(active_);
    return true;
}

const char *GameManager::SaveFileOfTimeline(const char *timeline)
{
    if (!prof || !timeline)
        return nullptr;
    const char *save = prof->GetValue("!TIMELINES", timeline, "savefile");
    if (!save)
        return nullptr;
    if (!IsSaveFileName(save)) {
        ov->OV_PrintDebugf(1, "Ignoring save file name '%s'.\n", save);
        return nullptr;
    }
    return save;
}

bool GameManager::SaveGameExists()
{
    if (!active_ || !active_->SupportsSaveFiles())
        return false;
    const char *save = SaveFileOfTimeline(TimelineFile());
    if (!save)
        return false;
    char path[300];
    snprintf(path, sizeof path, "user://%s", save);
    if (FileOpens(path))
        return true;
    ov->OV_PrintDebugf(1,
                       "Conflict: Profile claims save state game state exists, but the file doesn't. Ignoring save "
                       "state: '%s'\n",
                       path);
    return false;
}

void GameManager::DeleteSaveGame()
{
    const char *timeline = TimelineFile();
    if (!prof || !timeline || !prof->GetValue("!TIMELINES", timeline, "savefile"))
        return;
    // A value that is no save name is dropped without touching any file.
    if (const char *save = SaveFileOfTimeline(timeline)) {
        char path[300];
        snprintf(path, sizeof path, "user://%s", save);
        if (!ov->OV_DeleteFile(path))
            ov->OV_PrintDebugf(1, "Deleting save file '%s' failed.\n", save);
    }
    prof->RemoveValue("!TIMELINES", timeline, "savefile");
}

bool GameManager::LoadSaveGame()
{
    if (!prof)
        return false;
    // Copies: loading the timeline rewrites the profile value it came from.
    if (const char *saved = prof->GetValue("!SAVE_STATE", "timeline", "value")) {
        std::string file = saved;
        if (link_.load_timeline)
            link_.load_timeline(file.c_str());
    }
    const char *timeline = TimelineFile();
    if (!timeline)
        return false;
    const char *game = prof->GetValue("!TIMELINES", timeline, "game");
    if (!game)
        return false;
    std::string game_name = game;
    SetActiveGame(game_name.c_str());
    const char *save = SaveFileOfTimeline(timeline);
    if (!save)
        return false;
    SkipNextFrameTime();
    if (!active_)
        return false;
    char path[300];
    snprintf(path, sizeof path, "user://%s", save);
    return active_->LoadFromFile(path);
}

void GameManager::SaveCurrentGame(const char *event)
{
    if (!active_ || !prof)
        return;
    SkipNextFrameTime();
    // The timeline's name is copied: the profile writes below may be what it points to.
    const char *current = TimelineFile();
    if (!current)
        return;
    std::string timeline = current;
    const char *name = NameOf(active_);

    if (!active_->SupportsSaveFiles() || !active_->CanSaveNow()) {
        // The profile says where to resume, without a state file.
        DeleteSaveGame();
        prof->SetValue("!SAVE_STATE", "timeline", "value", timeline.c_str());
        prof->SetValue("!TIMELINES", timeline.c_str(), "event", event);
        prof->SetValue("!TIMELINES", timeline.c_str(), "game", name);
        profile_man().SaveProfiles();
        return;
    }

    ov->OV_CreateDirectory("user://profiles");
    ov->OV_CreateDirectory(kSaveDir);
    char relative[64], path[80];
    for (int n = 1; n <= GAME_MAX_SAVE_SLOTS; n++) {
        snprintf(relative, sizeof relative, kSaveFormat, n);
        snprintf(path, sizeof path, "user://%s", relative);
        if (FileOpens(path))
            continue;
        ov->OV_Printf("Saving current game (slot #%d)..\n", n);
        if (active_->SaveToFile(path)) {
            prof->SetValue("!SAVE_STATE", "timeline", "value", timeline.c_str());
            if (const char *old = prof->GetValue("!TIMELINES", timeline.c_str(), "savefile")) {
                if (strstr(path, old)) {
                    ov->OV_PrintDebugf(2, "Trying to delete the game just saved!");
                    if (prog.parms.developer_mode)
                        ov->OV_Popupf(2, "Trying to delete the game just saved (%s)!", old);
                } else {
                    DeleteSaveGame();
                }
            }
            prof->SetValue("!TIMELINES", timeline.c_str(), "event", event);
            prof->SetValue("!TIMELINES", timeline.c_str(), "game", name);
            prof->SetValue("!TIMELINES", timeline.c_str(), "savefile", relative);
            profile_man().SaveProfiles();
        }
        return;
    }
    ov->OV_Popupf(1, "Unable to save game to any file. Last tried: '%s'.\n", path);
}
