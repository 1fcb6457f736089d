// Device-layer set-up: which backend stands in for the tablet's services (headless or
// an SDL2 desktop window), the display mode the device reports, the event domains, and
// the one entry other threads use to hand events to the main loop.
#ifndef OVDEV_DEVICE_H
#define OVDEV_DEVICE_H

#include <string>
#include <vector>

namespace ovdev {

// Event domains as bps_event_get_domain reports them.
enum {
    DOMAIN_SCREEN = 1,          // screen_get_domain()
    DOMAIN_NAVIGATOR = 2,       // navigator_get_domain()
    DOMAIN_MEDIA_RENDERER = 3,  // kept for the media renderer's events
};

// One integer property of an event: its number and one or more values.
struct EventProperty {
    int name = 0;
    std::vector<int> values;
};

// An event as a backend or another thread hands it to the event queue.
struct RawEvent {
    int domain = 0;
    unsigned code = 0;
    std::vector<EventProperty> properties;
};

// Width and height of the display in pixels; also a new window's buffer size.
struct DisplayMode {
    int width = 1024;
    int height = 600;
};

// Backend selection belongs on the main thread, before the services are used and while
// no other thread is inside them: that thread is the one whose bps_get_event pumps the
// backend's input. Without a selection the headless backend is in use.

// Selects the headless backend (no display) and resets the device layer: queued
// events, contexts, windows, requests, failures and the call log. Always succeeds.
bool UseHeadlessBackend();
// Selects the SDL2 desktop backend (only in ovplatform_desktop) and resets the device
// layer like UseHeadlessBackend. When no display can be opened it returns false,
// leaves the current backend in place and, when error is given, says why there.
bool UseDesktopBackend(std::string *error);
// Name of the backend in use: "headless" or "desktop".
const char *BackendName();

// Sets the display mode the device reports (both backends); false unless both sizes
// are positive. It survives backend selection; windows created later start at it.
bool SetDisplayMode(int width, int height);
// The display mode in effect; 1024 x 600 unless SetDisplayMode changed it.
DisplayMode GetDisplayMode();

// Queues an event from any thread. Screen events are dropped unless a context asked for
// them (screen_request_events), navigator events unless navigator_request_events ran;
// other domains always queue. Returns whether the event was queued.
bool PushEvent(const RawEvent &event);

}  // namespace ovdev

#endif
