// The state the device layer's services share: the screen objects, the requests made
// by the engine, the navigator and keyboard state, and the event queue. Internal.
#ifndef OVDEV_DEVICE_STATE_H
#define OVDEV_DEVICE_STATE_H

#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/backend.h"
#include "platform/device.h"
#include "platform/event_queue.h"
#include "platform/screen.h"

namespace ovdev {

struct screen_display {
    int id = 1;
};

struct screen_context {
    int id = 0;
    bool events_requested = false;
};

struct screen_window {
    int id = 0;
    screen_context *context = nullptr;
    std::map<int, std::vector<int>> properties;
    std::string title;
    int buffers = 0;
};

namespace detail {

struct DeviceState {
    std::mutex mutex;  // guards every field but the queue, which has its own lock

    DisplayMode mode;
    std::unique_ptr<Backend> backend;
    std::thread::id pump_thread;

    bool events_ready = false;  // bps_initialize ran and bps_shutdown did not
    bool navigator_requested = false;
    bool keyboard_requested = false;
    std::optional<bool> rotation_lock;
    bool keyboard_visible = false;
    int keyboard_layout = 0;
    int keyboard_enter_key = 0;
    std::vector<std::string> invoked_urls;

    screen_display display;
    std::vector<std::unique_ptr<screen_context>> contexts;
    std::unique_ptr<screen_window> window;  // the one window, when it exists
    int next_id = 1;

    EventQueue queue;
};

// The one device state of the process.
DeviceState &State();
// Returns the live context ctx points at, or null (caller holds the state lock).
screen_context *FindContext(DeviceState &state, screen_context_t ctx);
// Drops the window and every context, telling the backend (caller holds the lock).
void DropScreenObjects(DeviceState &state);
// The backend that shows nothing; the default until another is selected.
std::unique_ptr<Backend> MakeHeadlessBackend();

}  // namespace detail
}  // namespace ovdev

#endif
