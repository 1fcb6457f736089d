// The body of the program's main: platform contexts, the engine's lifecycle around
// the paced main loop that drains platform events and runs one frame per turn.
#include "core/ov_state.h"
#include "core/service-calls.h"
#include "platform/bps.h"
#include "platform/navigator.h"
#include "platform/screen.h"

#include <stdio.h>

using namespace ovdev;

// The longest single sleep of the frame wait.
static const int kWaitStepMs = 20;

static void DrainPlatformEvents()
{
    for (;;) {
        bps_event_t *event = nullptr;
        int rc = bps_get_event(&event, 0);
        if (rc != BPS_SUCCESS) {
            // The event service broke: nothing more will arrive, so the run ends.
            OV_PrintDebugf(OV_ERROR, "Platform event fetch failed; shutting down.\n");
            ov_state.shutdown_requested = 1;
            return;
        }
        if (!event)
            return;
        int domain = bps_event_get_domain(event);
        if (domain == screen_get_domain())
            HandleScreenEvent(event);
        else if (domain == ov_sound_calls.MediaRendererDomain())
            ov_sound_calls.HandleMediaRendererEvent(event);
        else if (domain == navigator_get_domain())
            HandleNavigatorEvent(event);
    }
}

void OVI_RunMainLoop(void)
{
    ov_state.app_active = 1;
    // The first frame is due at once (with a frame's time as its step): start-up has
    // already taken longer than a frame.
    int first_step = ov_prog && ov_prog->parms.min_frame_ms > 0 ? ov_prog->parms.min_frame_ms : 0;
    uint32_t previous = OVT_GetTime() - (uint32_t)first_step;
    do {
        DrainPlatformEvents();
        uint32_t now = OVT_GetTime();
        int elapsed = (int)(now - previous);
        // Sleep to the frame's deadline on the clock, measured from the previous frame's
        // time: nothing spins, and the wake-up does not drift. A wait longer than a step
        // (an application slowing its frames while nothing happens) drains the events
        // after each step, so that input can shorten it at once: the frame time is read
        // from the record again after each step.
        while (ov_prog && elapsed < ov_prog->parms.min_frame_ms) {
            uint32_t deadline = previous + (uint32_t)ov_prog->parms.min_frame_ms;
            bool step = ov_prog->parms.min_frame_ms - elapsed > kWaitStepMs;
            OVT_SleepUntil(step ? now + kWaitStepMs : deadline);
            if (step)
                DrainPlatformEvents();
            now = OVT_GetTime();
            elapsed = (int)(now - previous);
        }
        if (ov_state.app_active)
            OVI_Frame(elapsed);
        else
            ov->OVT_Sleep(15);
        previous = now;
    } while (!ov_state.shutdown_requested);
}

int OVI_Main(void)
{
    if (screen_create_context(ov_gfx_calls.screen_context, SCREEN_APPLICATION_CONTEXT) != 0) {
        fprintf(stderr, "Unable to create the screen context.\n");
        return 1;
    }
    ov_gfx_calls.InitWindow();
    if (!OVI_PreInit(nullptr)) {
        fprintf(stderr, "ORVEX pre-initialisation failed.\n");
        screen_destroy_context(*ov_gfx_calls.screen_context);
        return 1;
    }
    bps_initialize();
    if (!OVI_Init()) {
        OV_Popupf(OV_ERROR, "Core initialization failed. See generated log for details.\n");
        fprintf(stderr, "Core initialization failed. See generated log for details.\n");
        return 1;
    }

    const char *failed = nullptr;
    if (screen_request_events(*ov_gfx_calls.screen_context) != BPS_SUCCESS)
        failed = "screen_request_events failed\n";
    else if (navigator_request_events(0) != BPS_SUCCESS)
        failed = "navigator_request_events failed\n";
    else if (navigator_rotation_lock(false) != BPS_SUCCESS)
        failed = "navigator_rotation_lock failed\n";
    if (failed) {
        OV_PrintDebugf(OV_ERROR, "%s", failed);
        fputs(failed, stderr);
        screen_destroy_context(*ov_gfx_calls.screen_context);
        return 1;
    }
    virtualkeyboard_request_events(0);

    if (ov_state.developer_mode && *ov_gfx_calls.screen_window) {
        int idle = 1;
        screen_set_window_property_iv(*ov_gfx_calls.screen_window, SCREEN_PROPERTY_IDLE_MODE, &idle);
    }

    OVI_RunMainLoop();

    screen_stop_events(*ov_gfx_calls.screen_context);
    ORVEX_Shutdown();
    bps_shutdown();
    screen_destroy_context(*ov_gfx_calls.screen_context);
    *ov_gfx_calls.screen_context = nullptr;
    return 0;
}
