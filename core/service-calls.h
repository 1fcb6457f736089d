// The two tables through which the core runtime drives the services above it: the
// graphics service (window, renderer, drawing state, bitmaps and fonts) and the sound
// service. Start-up, the frame, events, the extension call, the console overlay and
// shutdown call through them, so no core file includes a graphics or sound header;
// each service fills its own table (gfx/core-calls.cpp, audio/core-calls.cpp), as the
// services fill the slots of the interface table `orvex`.
#ifndef OV_SERVICE_CALLS_H
#define OV_SERVICE_CALLS_H

#include "orvex.h"
#include "platform/screen.h"

#include <stdint.h>

#include <string>
#include <vector>

struct ov_font_t;

// One used bitmap record as the resource reports count it.
struct ov_bitmap_usage_t {
    int index;
    std::string name;
    int width, height, refcount;
    int texture_width, texture_height;
    int64_t system_bytes;   // pixels in memory
    bool has_gpu_data;
    int64_t gpu_bytes;      // what the texture (or the sequence's textures) take
    int64_t estimate_texture, estimate_logical;  // the GPU estimates at texture and at drawn size
};

// One used font as the resource reports count it.
struct ov_font_usage_t {
    int index;                     // slot in the font pool
    std::string name;
    int64_t atlas_pixel_bytes;     // atlas width x height x 4 when the atlas holds pixels, else 0
    bool has_gpu_data;             // the atlas texture is on the GPU
    int64_t texture_bytes;         // texture width x height x 4
    int64_t atlas_bytes;           // atlas width x height x 4
};

// One used sound record: its data size.
struct ov_sound_usage_t {
    int index;
    std::string name;
    int64_t bytes;
};

struct ov_gfx_calls_t {
    // ---- The window on the device layer's screen service.
    ovdev::screen_context_t *screen_context;  // made and destroyed by the main loop
    ovdev::screen_window_t *screen_window;    // null until the window exists
    // Creates the window on the first call (1 on success, 0 on failure).
    int (*InitWindow)(void);
    // The window buffer size (1024 x 600 until the window exists).
    void (*GetWindowSize)(int *width, int *height);
    // The desktop's size; 0, 0 when the display is the device's own screen.
    void (*GetDesktopSize)(int *width, int *height);
    void (*SetWindowTitle)(const char *title);

    // ---- Drawing state and the resolution.
    // Sets the drawing state of the engine state (and the calling thread's text state)
    // to its start values.
    void (*StateSetup)(void);
    bool (*InitImageLoader)(void);
    void (*SetupAutoscale)(void);
    void (*SelectResolution)(int windowed);
    bool (*ResolutionSupported)(int width, int height, int windowed);

    // ---- The renderer.
    // True while a renderer implementation is loaded.
    bool (*RendererLoaded)(void);
    void (*LoadRenderer)(void);
    bool (*InitRenderer)(void);
    void (*ShutdownRenderer)(void);
    void (*FinalShutdownRenderer)(void);
    void (*ReInitRenderer)(void);
    // The loaded renderer's own calls (only while it is loaded and ready).
    void (*RendererFrameStart)(int eye_mode);
    void (*RendererFrameReady)(void);
    void (*RendererActivateWindow)(bool active);
    const char *(*RendererCallExtension)(const char *command, const char *argument);

    // ---- One frame's drawing around the application's Draw, and its tail.
    void (*SetDefaultRenderStates)(void);
    void (*PushScreenTransforms)(float seconds);
    void (*PopScreenTransforms)(void);
    void (*DrawScreenBorders)(void);
    // The HUD overlays; the log console comes last in it.
    void (*UpdateAndDrawHUDs)(float seconds);
    // The GPU resource queue's share of the frame.
    void (*FrameResourceStep)(void);
    // Sends event 17 to the application for every named render-target bitmap.
    void (*SendRenderTargetRedraws)(void);

    // ---- Fonts of the log console.
    // The console font, or the first pool font when it did not load; may be null.
    ov_font_t *(*ConsoleFont)(void);

    // ---- Resources: the reports and the release at exit.
    std::vector<ov_bitmap_usage_t> (*BitmapUsage)(void);
    std::vector<ov_font_usage_t> (*FontUsage)(void);
    // Bytes of the fixed bitmap pool.
    int64_t (*BitmapPoolBytes)(void);
    void (*ReleaseBitmapsAtExit)(void);
    void (*ReleaseFontsAtExit)(void);

    // ---- Start-up: loads the GL driver for a headless or a desktop run on a thread of
    // its own while the main thread goes on (headless: brings the display up; desktop:
    // the driver's screen on a GLX connection of its own); the renderer's
    // initialisation waits for it.
    void (*StartDriverPreload)(bool headless);
    // Waits for that thread if it still runs, for a run that ends before its renderer
    // started (see OVID_StopDriverPreload).
    void (*StopDriverPreload)(void);
};

struct ov_sound_calls_t {
    // Loads and initialises the sound implementation the settings name (the null one
    // when sound is off or none can start), makes it current and lets it fill the
    // interface table.
    void (*Start)(void);
    // Shuts the current implementation down and unloads it; nothing without one.
    void (*Stop)(void);
    // Brings sound back after the application switched it on again.
    void (*ReInit)(void);
    // The current implementation's own calls (only while there is one).
    void (*FrameStart)(void);
    void (*FrameReady)(void);
    void (*ActivateWindow)(bool active);
    // Music events of the media renderer.
    int (*MediaRendererDomain)(void);
    void (*HandleMediaRendererEvent)(ovdev::bps_event_t *event);
    // Resources: the report and the release at exit.
    std::vector<ov_sound_usage_t> (*SoundUsage)(void);
    // Bytes of the fixed sound pool.
    int64_t (*SoundPoolBytes)(void);
    void (*ReleaseSoundsAtExit)(void);
};

// Filled by the graphics service (gfx/core-calls.cpp).
extern const ov_gfx_calls_t ov_gfx_calls;
// Filled by the sound service (audio/core-calls.cpp).
extern const ov_sound_calls_t ov_sound_calls;

#endif
