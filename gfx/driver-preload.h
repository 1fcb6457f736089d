// Loading the GL driver ahead of the renderer. Mesa's driver, with LLVM behind it,
// takes tens of milliseconds to map, relocate and start, none of which depends on the
// program. A thread started first thing in main does that work while the main thread
// opens the display, reads the settings, starts the services and runs the
// application's Init; the renderer's initialisation, which comes after the
// application's Init, waits for the thread before its own first EGL or GLX call, which
// then finds the driver in place. (Library loads of the main thread meanwhile, the
// display's own among them, wait while the driver's is under way: the loader does one
// load at a time.)
//
//   headless   the thread brings up the surfaceless EGL display (eglInitialize loads
//              and starts the driver); the renderer gets the same display back
//   desktop    the thread loads the window system's GL vendor library and the
//              software driver file, and for a GLX context opens an X connection of
//              its own and brings GLX up on it (the driver's screen); the renderer
//              makes its context on that connection, on the device layer's window
//
// Nothing the program sees changes but the time: a preload that fails, or finds
// nothing to load, leaves the renderer to load everything itself as before.
#ifndef OV_DRIVER_PRELOAD_H
#define OV_DRIVER_PRELOAD_H

// What the preload thread does: the libraries it opens (sonames or paths, in order),
// then whether it brings up the surfaceless EGL display, or a GLX connection of its
// own (the driver's screen on the X server; the renderer makes its context on it).
struct ov_driver_preload_plan_t {
    const char *libraries[3];
    int num_libraries;
    bool surfaceless_display;
    bool glx_display;
};

// The plan for a headless run or a desktop one (the driver file is looked up beside
// the EGL library, or in the first LIBGL_DRIVERS_PATH folder holding it; a missing
// file is left out). Its texts stay valid until the next call. Main thread only.
ov_driver_preload_plan_t OVID_DriverPreloadPlan(bool headless);

// Mesa's software rasteriser draws some 2-D scenes through a faster path of its own
// whose pixels can differ by a level from its general path's wherever a scissor cuts a
// draw; frames drawn only where they changed (gfx/redraw.h) must come out exactly as
// drawn whole, so that path is switched off (LP_PERF), unless the environment already
// says what it wants. It saved nothing measurable in this program's scenes. Before the
// driver loads: the program's preload calls it first thing in main, before any thread;
// the renderer calls it again for processes without the preload (tests).
void OVID_SetSoftwareRasteriserOptions();

// Starts the preload thread with the plan of OVID_DriverPreloadPlan; nothing while an
// earlier one has not been waited for. Main thread only.
void OVID_StartDriverPreload(bool headless);
// Starts the preload thread with a given plan (copied; tests). Main thread only.
void OVID_StartDriverPreloadPlan(const ov_driver_preload_plan_t &plan);
// What the thread got done: the libraries it opened (they stay loaded for the run) and
// whether the surfaceless display came up (it stays up for the renderer), and the GLX
// connection it opened.
struct ov_driver_preload_result_t {
    int libraries_opened;
    bool display_initialised;
    void *glx_display;  // the GLX connection, the caller's to adopt or close; null: none
};

// Waits for the preload thread, if one was started and not yet waited for, and says
// what it did (all zero when none was started). Main thread only; the renderer calls
// it before touching EGL or GLX, after the device layer has opened its display. The
// thread's X connection to a server without GLX is closed here, not on the thread: the
// server keeps a client while the device layer's connection is being set up.
ov_driver_preload_result_t OVID_FinishDriverPreload();
// Waits for the preload thread if it still runs and closes the connections it opened,
// for a run that ends before its renderer started; nothing when none runs. The program
// calls it before it returns from main: the driver registers exit handlers of its own
// while it loads, and those run before any destructor of ours, so a thread still inside
// the driver at exit would read what they free. Main thread only.
void OVID_StopDriverPreload();
// True from OVID_Start* until OVID_FinishDriverPreload has waited for the thread.
bool OVID_DriverPreloadPending();

#endif
