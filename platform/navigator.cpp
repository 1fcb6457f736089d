// The navigator and the virtual keyboard: event requests, rotation lock, opening links
// through the backend, reading window-state events and the keyboard's visibility.
#include "platform/navigator.h"

#include <cerrno>
#include <cstring>
#include <string>

#include "platform/call_trace.h"
#include "platform/device_state.h"

namespace ovdev {
namespace {

using detail::Args;
using detail::DeviceState;
using detail::EnterCall;

// Hands the caller an error text it frees with bps_free.
void SetError(char **err, const char *text) {
    if (err) *err = strdup(text);
}

}  // namespace

int navigator_get_domain() {
    EnterCall("navigator_get_domain", [] { return Args(); });
    return DOMAIN_NAVIGATOR;
}

int navigator_request_events(int flags) {
    if (EnterCall("navigator_request_events", [&] { return Args(flags); })) return BPS_FAILURE;
    DeviceState &s = detail::State();
    std::lock_guard<std::mutex> lock(s.mutex);
    if (!s.events_ready) {
        errno = EINVAL;
        return BPS_FAILURE;
    }
    s.navigator_requested = true;
    return BPS_SUCCESS;
}

int navigator_rotation_lock(bool locked) {
    if (EnterCall("navigator_rotation_lock", [&] { return Args(locked); })) return BPS_FAILURE;
    DeviceState &s = detail::State();
    std::lock_guard<std::mutex> lock(s.mutex);
    s.rotation_lock = locked;
    return BPS_SUCCESS;
}

int navigator_event_get_window_state(bps_event_t *event) {
    EnterCall("navigator_event_get_window_state", [&] { return Args(event); });
    if (!event || event->domain != DOMAIN_NAVIGATOR || event->code != NAVIGATOR_WINDOW_STATE) {
        return BPS_FAILURE;
    }
    const EventProperty *p = event->payload.find(NAVIGATOR_PROPERTY_WINDOW_STATE);
    return (p && !p->values.empty()) ? p->values[0] : BPS_FAILURE;
}

int navigator_invoke(const char *uri, char **err) {
    if (err) *err = nullptr;
    if (EnterCall("navigator_invoke", [&] { return Args(uri); })) {
        SetError(err, "navigator_invoke failed");
        return BPS_FAILURE;
    }
    if (!uri || !*uri) {
        SetError(err, "no link given");
        errno = EINVAL;
        return BPS_FAILURE;
    }
    DeviceState &s = detail::State();
    {
        std::lock_guard<std::mutex> lock(s.mutex);
        s.invoked_urls.push_back(uri);
    }
    if (!detail::ActiveBackend().open_url(uri)) {
        SetError(err, "the desktop could not open the link");
        errno = EIO;
        return BPS_FAILURE;
    }
    return BPS_SUCCESS;
}

int virtualkeyboard_request_events(int flags) {
    if (EnterCall("virtualkeyboard_request_events", [&] { return Args(flags); })) return BPS_FAILURE;
    DeviceState &s = detail::State();
    std::lock_guard<std::mutex> lock(s.mutex);
    if (!s.events_ready) {
        errno = EINVAL;
        return BPS_FAILURE;
    }
    s.keyboard_requested = true;
    return BPS_SUCCESS;
}

void virtualkeyboard_show() {
    EnterCall("virtualkeyboard_show", [] { return Args(); });
    DeviceState &s = detail::State();
    std::lock_guard<std::mutex> lock(s.mutex);
    s.keyboard_visible = true;
}

void virtualkeyboard_hide() {
    EnterCall("virtualkeyboard_hide", [] { return Args(); });
    DeviceState &s = detail::State();
    std::lock_guard<std::mutex> lock(s.mutex);
    s.keyboard_visible = false;
}

void virtualkeyboard_change_options(int layout, int enter_key) {
    EnterCall("virtualkeyboard_change_options", [&] { return Args(layout, enter_key); });
    DeviceState &s = detail::State();
    std::lock_guard<std::mutex> lock(s.mutex);
    s.keyboard_layout = layout;
    s.keyboard_enter_key = enter_key;
}

}  // namespace ovdev
