// Screens: every screen of the program is a `Screen` (or a subclass) that registers
// itself by name in one circular registry when it is constructed and stays there for
// the run. A screen gets its user interface from a Lua UI script run into its `UISet`.
// This file also holds `ScreenTemplate`, the screen the script function "CreateScreen"
// makes: it only remembers its UI file, loads it on preload and draws it.
//
// Threads: preloading (PreLoadScreen, PreLoadAllScreens) runs on the "App Loading"
// worker beside the main thread's frames; registration takes a lock and the ring links
// are atomic, so main-thread look-ups may walk the ring while a worker registers.
// Everything else is main thread only.
#ifndef APP_UI_SCREEN_H
#define APP_UI_SCREEN_H

#include "orvex.h"

#include <atomic>

class UIComp;
class UISet;

class Screen {
public:
    // Sets the defaults, names the screen "Scr%X" after its address and registers it.
    Screen();
    // Registered under that name from the start (a screen made while other threads
    // look screens up by name must not be renamed once registered).
    explicit Screen(const char *name);
    // Takes the screen out of the registry; it must not be stacked any more (the
    // screen manager's Release empties the stack). The UI set is not freed here (see
    // FreeUI): static screens die after the scripting manager at exit.
    virtual ~Screen();

    // Virtual operations, in this order; the defaults are those of a plain screen.
    virtual bool PreLoad();                    // true
    virtual void Unload();                     // nothing
    virtual void Draw(float dt);               // nothing
    virtual void DrawUIComp(UIComp *comp);     // nothing ("custom_draw" components)
    virtual void Update(float dt);             // advances anim_key (0..1 per second) and timer
    virtual void Enter();                      // nothing
    virtual void Leave();                      // nothing
    virtual bool ProcessUICompClick(UIComp *comp, int flags);  // false
    virtual int ProcessEvent(ov_event_t *event);               // 1
    virtual int ProcessScreenMessage(Screen *from, const char *message, const char *value);  // 1

    // Frees the old name and keeps a copy (null becomes "").
    void SetName(const char *name);
    const char *GetName() const { return name; }
    // Registration as the constructor does it; nothing when already registered.
    void RegisterScreen();
    // Screens stay registered for the run: does nothing.
    void UnregisterScreen();

    // First registered screen of that name (case-sensitive); an unknown name raises
    // "Screen::GetScreen ('%s') -- screen not found!\n"; null name: null, silently.
    static Screen *GetScreen(const char *name);
    // The same without any message.
    static Screen *PeekScreen(const char *name);
    // Ring position from the root (0), -1 when absent or null.
    static int GetScreenIndexByName(const char *name);
    // Null for a negative index or one at or past the ring's end.
    static Screen *GetScreenByIndex(int index);
    // Preloads one screen (PreLoad, "OnLoad", the components' OnLoad files); true when
    // preloaded (also at once when it already was). Worker or main thread.
    static bool PreLoadScreen(Screen *screen);
    // Preloads the screens not yet preloaded in ring order; one-at-a-time stops after
    // the first such screen and returns whether it was the last. A screen whose preload
    // failed (its popup shown) is not tried again by these passes, so a broken screen
    // cannot hold the loading screen for ever. Sets the screen manager's
    // all_screens_preloaded when every screen is done.
    static bool PreLoadAllScreens(bool one_at_a_time);
    // Every registered screen's Unload, in ring order.
    static void UnloadAllScreens();

    // Builds the screen's UI set from the file (ScreenMan::GetUISetForScreen); true
    // when a set was made. A set it replaces stays allocated (the screen manager keeps
    // it until the next restart), since its own script may be running this call.
    bool LoadUI(const char *file);
    // Deletes the UI set with its components and Lua state; for screens that die
    // before the process ends (scripted screens, test screens).
    void FreeUI();
    // The component of that name in the UI set, null without a set or match.
    UIComp *GetComp(const char *name);
    // GetComp plus a type check; a mismatch raises a popup naming the component and
    // both types and gives null. Typed wrappers live with the widget kinds.
    UIComp *GetCompOfType(const char *name, int type);

    // Starts a smooth change of the time-delta multiplier; durations below 0.001 s
    // count as 0.001 s.
    void SlideTimeDeltaMultiplierValue(float target, float duration);
    void UpdateTimeDeltaMultiplierChange(float dt);
    // Fade durations in seconds (below 0.001 s count as 0.001 s); stored as speeds.
    void SetEnterTransDuration(float seconds);
    void SetLeaveTransDuration(float seconds);

    // Draws the UI set's visible components in order (and the custom-draw calls),
    // then resets alpha, colour and blend mode.
    void DrawUI();

    // Fields in the order of the screen record.
    std::atomic<Screen *> next;       // ring link
    char *name;
    UISet *ui;
    UIComp *default_comp;
    bool repush_after_pop;
    float time_delta_multiplier;
    float multiplier_target;
    float multiplier_start;
    float multiplier_progress;
    float multiplier_speed;
    bool entered;
    bool left;
    bool in_stack;
    float trans_phase;                // 0 invisible .. 1 shown
    float enter_speed;                // phase units per second
    float leave_speed;
    bool leaving;
    float anim_key;
    double timer;                     // seconds of screen time since entering
    std::atomic<bool> preloaded;      // release on preload, acquire by readers
    std::atomic<bool> preload_failed{false};  // the last preload failed
    bool covers_screen;
    // The frame time (ms) the screen is drawn at once it has stood on top, fully shown
    // and without input, for a few seconds; 0: always at the program's frame limit.
    int idle_frame_ms = 0;
    Screen *follow_up;
    bool shown;

    // The registry.
    static std::atomic<Screen *> root_screen;
    static std::atomic<int> total_num_screens;
    static std::atomic<int> total_num_screens_preloaded;

    Screen(const Screen &) = delete;
    Screen &operator=(const Screen &) = delete;
};

// A screen made from a script: remembers its UI file, loads it on preload, draws it.
class ScreenTemplate : public Screen {
public:
    explicit ScreenTemplate(const char *ui_file);
    ScreenTemplate(const char *name, const char *ui_file);
    ~ScreenTemplate() override;
    bool PreLoad() override;           // LoadUI(ui_file) when set; always true
    void Draw(float dt) override;      // DrawUI
    void Enter() override;             // anim_key and timer to 0
    void Leave() override;             // nothing
    bool ProcessUICompClick(UIComp *comp, int flags) override;  // true

    char *ui_file;
};

#endif
