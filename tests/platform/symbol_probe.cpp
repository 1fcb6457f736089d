// A program that pulls every part of both device-layer libraries into one executable,
// so the symbol check sees all the names they define.
#include "platform/bps.h"
#include "platform/device.h"
#include "platform/headless.h"
#include "platform/navigator.h"
#include "platform/screen.h"

#include <cstdio>
#include <string>

int main(int argc, char **argv) {
    using namespace ovdev;
    std::string error;
    // Only with an argument does it try a window; the check only reads the symbols.
    if (argc > 1 && !UseDesktopBackend(&error)) std::fprintf(stderr, "%s\n", error.c_str());
    UseHeadlessBackend();
    SetDisplayMode(1024, 600);
    headless::fail("bps_get_event", 0);
    if (argc > 2) headless::load_script(argv[2], &error);

    bps_initialize();
    screen_context_t ctx = nullptr;
    screen_window_t win = nullptr;
    screen_create_context(&ctx, SCREEN_APPLICATION_CONTEXT);
    screen_create_window(&win, ctx);
    const int usage = SCREEN_USAGE_OPENGL_ES1;
    screen_set_window_property_iv(win, SCREEN_PROPERTY_USAGE, &usage);
    screen_request_events(ctx);
    navigator_request_events(0);
    virtualkeyboard_request_events(0);
    navigator_rotation_lock(false);
    virtualkeyboard_change_options(0, 0);
    virtualkeyboard_show();
    virtualkeyboard_hide();
    headless::inject_touch(headless::TouchPhase::Down, 0, 1, 1);
    bps_event_t *event = nullptr;
    int count = 0;
    while (bps_get_event(&event, 0) == BPS_SUCCESS && event) {
        int type = 0;
        if (bps_event_get_domain(event) == screen_get_domain()) {
            screen_get_event_property_iv(screen_event_get_event(event), SCREEN_PROPERTY_TYPE, &type);
        } else if (bps_event_get_domain(event) == navigator_get_domain()) {
            type = navigator_event_get_window_state(event);
        }
        count += type != 0;
    }
    screen_get_native_window(win);
    screen_get_native_display(ctx);
    screen_stop_events(ctx);
    screen_destroy_window(win);
    screen_destroy_context(ctx);
    bps_shutdown();
    return count == 1 ? 0 : 1;
}
