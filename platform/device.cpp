// Backend selection, the display mode and the shared device state: the one place that
// resets the device layer and decides which pushed events reach the queue.
#include "platform/device.h"

#include "platform/audio_core.h"
#include "platform/call_trace.h"
#include "platform/device_state.h"

namespace ovdev {

bool UseHeadlessBackend() {
    detail::InstallBackend(detail::MakeHeadlessBackend(), true);
    return true;
}

const char *BackendName() { return detail::ActiveBackend().name(); }

bool SetDisplayMode(int width, int height) {
    if (width <= 0 || height <= 0) return false;
    detail::DeviceState &s = detail::State();
    std::lock_guard<std::mutex> lock(s.mutex);
    s.mode.width = width;
    s.mode.height = height;
    return true;
}

DisplayMode GetDisplayMode() {
    detail::DeviceState &s = detail::State();
    std::lock_guard<std::mutex> lock(s.mutex);
    return s.mode;
}

bool PushEvent(const RawEvent &event) {
    detail::DeviceState &s = detail::State();
    {
        std::lock_guard<std::mutex> lock(s.mutex);
        if (event.domain == DOMAIN_SCREEN) {
            bool requested = false;
            for (const auto &ctx : s.contexts) requested = requested || ctx->events_requested;
            if (!requested) return false;
        } else if (event.domain == DOMAIN_NAVIGATOR && !s.navigator_requested) {
            return false;
        }
    }
    s.queue.push(detail::MakeEvent(event));
    return true;
}

namespace detail {

DeviceState &State() {
    // Never destroyed: threads may still push events while the process exits, and
    // the desktop backend must not be torn down after SDL's own atexit work.
    static DeviceState *state = [] {
        auto *s = new DeviceState;
        s->backend = MakeHeadlessBackend();
        s->pump_thread = std::this_thread::get_id();
        return s;
    }();
    return *state;
}

void InstallBackend(std::unique_ptr<Backend> backend, bool record_calls) {
    DeviceState &s = State();
    std::unique_ptr<Backend> old;
    {
        std::lock_guard<std::mutex> lock(s.mutex);
        DropScreenObjects(s);
        s.events_ready = false;
        s.navigator_requested = false;
        s.keyboard_requested = false;
        s.rotation_lock.reset();
        s.keyboard_visible = false;
        s.keyboard_layout = 0;
        s.keyboard_enter_key = 0;
        s.invoked_urls.clear();
        s.next_id = 1;
        old = std::move(s.backend);
        s.backend = std::move(backend);
        s.pump_thread = std::this_thread::get_id();
    }
    s.queue.clear();
    ResetAudio();
    ResetTrace();
    SetRecording(record_calls);
    old.reset();
}

Backend &ActiveBackend() { return *State().backend; }

void WindowBufferSize(int *width, int *height) {
    DeviceState &s = State();
    std::lock_guard<std::mutex> lock(s.mutex);
    *width = s.mode.width;
    *height = s.mode.height;
    if (!s.window) return;
    auto it = s.window->properties.find(SCREEN_PROPERTY_BUFFER_SIZE);
    if (it != s.window->properties.end() && it->second.size() == 2) {
        *width = it->second[0];
        *height = it->second[1];
    }
}

screen_context *FindContext(DeviceState &state, screen_context_t ctx) {
    for (const auto &c : state.contexts) {
        if (c.get() == ctx) return c.get();
    }
    return nullptr;
}

void DropScreenObjects(DeviceState &state) {
    if (state.window) state.backend->destroy_window();
    state.window.reset();
    state.contexts.clear();
}

}  // namespace detail
}  // namespace ovdev
