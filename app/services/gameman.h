// The game-implementation registry (`game_man`): pluggable game modes, each a
// `GameImplementation` that can be loaded, started at a level, saved into a numbered
// save file "user://profiles/saves/save-game-NNN.dat" and restored from it. The
// registry records the active implementation and notes in the active profile which
// save file and timeline event belong to the current timeline, so that the timeline
// can be resumed:
//   "!SAVE_STATE" / "timeline" / "value"   the timeline file that holds the save
//   "!TIMELINES" / <timeline file> / "event", "game", "savefile"
// A "savefile" is a relative name under "profiles/saves/" (IsSaveFileName); any other
// value is ignored, so nothing outside that directory is ever opened or deleted.
// Without an active profile every operation gives false or does nothing.
//
// The registry sits below the timeline and the screen manager; they reach it directly
// and it reaches them through the link the timeline installs (SetTimelineLink).
//
// Main thread only.
#ifndef APP_SERVICES_GAMEMAN_H
#define APP_SERVICES_GAMEMAN_H

// One game mode. The registry holds pointers it does not own.
class GameImplementation {
public:
    virtual ~GameImplementation() {}
    virtual const char *GetName() = 0;
    virtual void Load() = 0;
    virtual void Unload() = 0;
    virtual void InitLevel(const char *level) = 0;
    virtual bool CanSaveNow() = 0;
    virtual bool SupportsSaveFiles() = 0;
    // Engine file names ("user://profiles/saves/...").
    virtual bool SaveToFile(const char *path) = 0;
    virtual bool LoadFromFile(const char *path) = 0;
};

// What the registry asks of the layers above it. Any entry may be null.
struct GameTimelineLink {
    // The loaded timeline's file name, or null.
    const char *(*timeline_file)();
    // Loads a timeline by file name.
    void (*load_timeline)(const char *file);
    // The next frame runs with a zero time step (work that blocks a frame).
    void (*skip_next_frame_time)();
};

enum { GAME_MAX_IMPLEMENTATIONS = 32, GAME_MAX_SAVE_SLOTS = 999 };

class GameManager {
public:
    // Registers the nine script functions; returns 1.
    int Initialize();
    void SetTimelineLink(const GameTimelineLink &link) { link_ = link; }

    // Appends (also a second time, after a popup); ignored with 32 registered.
    void AddGameImplementation(GameImplementation *g);
    // Registry index, -1 when absent.
    int GetGameIndex(GameImplementation *g);
    // First implementation whose name equals exactly; null for none or a null name.
    GameImplementation *GetGameByName(const char *name);
    GameImplementation *GetGameByIndex(int index);
    int GetNumberOfGames() const { return num_games; }
    GameImplementation *GetActiveGame() const { return active_; }
    void LoadGameImplementation(GameImplementation *g);
    void UnloadGameImplementation(GameImplementation *g);
    // "!DEFAULT" (any case) takes the first registered (true even with none);
    // otherwise by name, false with a popup when unknown (the active one is then null).
    bool SetActiveGame(const char *name);
    // The active implementation supports save files and the profile names one for
    // the current timeline that exists on disk.
    bool SaveGameExists();
    // Deletes the current timeline's save file and forgets it in the profile.
    void DeleteSaveGame();
    // Reloads the saved timeline, activates its game and restores the save file
    // through the implementation; false when any part is missing.
    bool LoadSaveGame();
    // Saves the active game into the first free numbered file and records it (or, when
    // the game cannot save now, records only where to resume).
    void SaveCurrentGame(const char *event);
    // Forgets every registration and the active game (a fresh start in tests).
    void Clear();

    static GameImplementation *games[GAME_MAX_IMPLEMENTATIONS];
    static int num_games;

private:
    const char *TimelineFile() const;
    // The current timeline's "savefile" when it is a valid save name, else null.
    const char *SaveFileOfTimeline(const char *timeline);
    void SkipNextFrameTime() const;

    GameImplementation *active_ = nullptr;
    bool loaded_[GAME_MAX_IMPLEMENTATIONS] = {};
    GameTimelineLink link_ = {nullptr, nullptr, nullptr};
};

// The one registry.
extern GameManager game_man;

// Registers the registry's script functions (gameman-script.cpp).
void RegisterGameScriptFunctions();

#endif
