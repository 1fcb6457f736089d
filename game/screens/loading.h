// The loading screen "Loading" (UI "ui/loading.lua"), the first screen of a run: the
// application preloads and pushes it; on its first update it starts the worker
// "App Loading" (unless the worker of an earlier entry still runs: there is never more
// than one), which preloads every other registered screen one by one while this
// screen shows the waving banner and a spinning loader, and half a second after the
// screen manager reports every screen preloaded it pushes "MainMenu" and leaves.
//
// Threads: the worker runs the screens' preload steps and UI scripts (the services they
// reach lock what they share); the main thread reads only the screen manager's atomic
// all-preloaded report. The worker stops at the program's shutdown flag and reports its
// end through `loading_thread_running`. When the worker cannot be started, the screens
// are preloaded on the main thread instead, one per frame.
#ifndef GAME_SCREENS_LOADING_H
#define GAME_SCREENS_LOADING_H

#include "app/ui/screen.h"
#include "game/screens/flags.h"

#include <atomic>

class ScreenLoading : public Screen {
public:
    ScreenLoading();
    bool PreLoad() override;                    // loads "ui/loading.lua"; true
    void Draw(float dt) override;               // the UI, then the windmill
    void DrawUIComp(UIComp *comp) override;     // "Banner": the waving banner
    void Update(float dt) override;             // banner, sleep, hand-over, worker start
    void Enter() override;                      // timer 0, banner built
    void Leave() override;                      // nothing
    bool ProcessUICompClick(UIComp *comp, int flags) override;  // nothing; true

    bool thread_started = false;
    bool drawn = false;  // a frame of the screen was drawn since it entered
    float handover_timer = 0.0f;                // seconds since every screen was preloaded
    // The worker could not be started: one screen is preloaded per update instead.
    bool preload_on_main_thread = false;
};

// The body of the thread "App Loading" (the argument is unused).
void ScreenLoading_LoadingThread(void *argument);
// Set while an "App Loading" worker runs (from before its start until it returns).
extern std::atomic<bool> loading_thread_running;
// The program's shutdown, main thread: asks a running worker to stop after the screen
// it is preloading and waits for it, at most `limit_ms` milliseconds (the screens it
// reads are freed next). True when no worker runs any more.
bool StopLoadingWorker(int limit_ms);

// The menus' waving banner, built by the loading screen's enter step and drawn by the
// loading screen and the main menu (main thread only).
extern FlagMesh bg_banner;
// Advances the banner as both menu screens do each frame: the phase by a quarter of a
// flag's rate, wave_x back to 20.
void UpdateMenuBanner(float dt);
// Draws the banner into a "Banner" component: the component takes the banner bitmap's
// size times its dynamic scale and the banner is drawn at its aligned position with
// that scale and the component's alpha. False for other components.
bool DrawMenuBannerInto(UIComp *comp);
// Frees the banner's bitmap and mesh (before it is rebuilt and at exit).
void FreeMenuBanner();

extern ScreenLoading screen_loading;
// The three menu screens (loading, main menu, load-game prompt): a program that has the
// loading screen has the other two registered as well.
extern Screen *const menu_screens[3];

#endif
