// The screen service: contexts, the one window with its properties and buffers, the
// display, and reading screen events. Checks every handle before using it.
#include "platform/screen.h"

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
using detail::IntList;

// How many ints a property carries.
int PropertyCount(int pname);
// Sets errno and returns -1.
int Fail(int error);
// The live window win points at, or null (caller holds the state lock).
screen_window *FindWindow(DeviceState &s, screen_window_t win);
// Copies a property's values to the caller's array; returns 0.
int CopyValues(const std::vector<int> &values, int *param);
// The window's size as shown into size[0], size[1] (caller holds the state lock).
void SurfaceSize(DeviceState &s, screen_window &window, int *size);

}  // namespace

int screen_get_domain() {
    EnterCall("screen_get_domain", [] { return Args(); });
    return DOMAIN_SCREEN;
}

screen_event_t screen_event_get_event(bps_event_t *event) {
    EnterCall("screen_event_get_event", [&] { return Args(event); });
    if (!event || event->domain != DOMAIN_SCREEN) return nullptr;
    return &event->payload;
}

int screen_create_context(screen_context_t *ctx, int type) {
    if (EnterCall("screen_create_context", [&] { return Args(type); })) return -1;
    if (!ctx) return Fail(EINVAL);
    DeviceState &s = detail::State();
    std::lock_guard<std::mutex> lock(s.mutex);
    auto context = std::make_unique<screen_context>();
    context->id = s.next_id++;
    *ctx = context.get();
    s.contexts.push_back(std::move(context));
    return 0;
}

int screen_destroy_context(screen_context_t ctx) {
    if (EnterCall("screen_destroy_context", [&] { return Args(ctx); })) return -1;
    DeviceState &s = detail::State();
    std::lock_guard<std::mutex> lock(s.mutex);
    if (!detail::FindContext(s, ctx)) return Fail(EINVAL);
    if (s.window && s.window->context == ctx) {
        s.backend->destroy_window();
        s.window.reset();
    }
    for (auto it = s.contexts.begin(); it != s.contexts.end(); ++it) {
        if (it->get() == ctx) {
            s.contexts.erase(it);
            break;
        }
    }
    return 0;
}

int screen_request_events(screen_context_t ctx) {
    if (EnterCall("screen_request_events", [&] { return Args(ctx); })) return -1;
    DeviceState &s = detail::State();
    std::lock_guard<std::mutex> lock(s.mutex);
    screen_context *context = detail::FindContext(s, ctx);
    if (!context || !s.events_ready) return Fail(EINVAL);
    context->events_requested = true;
    return 0;
}

int screen_stop_events(screen_context_t ctx) {
    if (EnterCall("screen_stop_events", [&] { return Args(ctx); })) return -1;
    DeviceState &s = detail::State();
    std::lock_guard<std::mutex> lock(s.mutex);
    screen_context *context = detail::FindContext(s, ctx);
    if (!context) return Fail(EINVAL);
    context->events_requested = false;
    return 0;
}

int screen_create_window(screen_window_t *win, screen_context_t ctx) {
    if (EnterCall("screen_create_window", [&] { return Args(ctx); })) return -1;
    DeviceState &s = detail::State();
    std::lock_guard<std::mutex> lock(s.mutex);
    if (!win || !detail::FindContext(s, ctx)) return Fail(EINVAL);
    if (s.window) return Fail(EBUSY);
    if (!s.backend->create_window(s.mode.width, s.mode.height)) return Fail(EIO);
    s.window = std::make_unique<screen_window>();
    s.window->id = s.next_id++;
    s.window->context = ctx;
    s.window->properties[SCREEN_PROPERTY_BUFFER_SIZE] = {s.mode.width, s.mode.height};
    s.window->properties[SCREEN_PROPERTY_ROTATION] = {0};
    s.window->properties[SCREEN_PROPERTY_IDLE_MODE] = {0};
    s.window->properties[SCREEN_PROPERTY_FULLSCREEN] = {0};
    *win = s.window.get();
    return 0;
}

int screen_destroy_window(screen_window_t win) {
    if (EnterCall("screen_destroy_window", [&] { return Args(win); })) return -1;
    DeviceState &s = detail::State();
    std::lock_guard<std::mutex> lock(s.mutex);
    if (!FindWindow(s, win)) return Fail(EINVAL);
    s.backend->destroy_window();
    s.window.reset();
    return 0;
}

int screen_create_window_buffers(screen_window_t win, int count) {
    if (EnterCall("screen_create_window_buffers", [&] { return Args(win, count); })) return -1;
    DeviceState &s = detail::State();
    std::lock_guard<std::mutex> lock(s.mutex);
    screen_window *window = FindWindow(s, win);
    if (!window || count < 1 || count > 8) return Fail(EINVAL);
    if (window->buffers > 0) return Fail(EBUSY);
    if (!s.backend->show_window()) return Fail(EIO);
    window->buffers = count;
    return 0;
}

int screen_set_window_property_iv(screen_window_t win, int pname, const int *param) {
    if (EnterCall("screen_set_window_property_iv",
                  [&] { return Args(win, pname, IntList{param, PropertyCount(pname)}); })) {
        return -1;
    }
    DeviceState &s = detail::State();
    std::lock_guard<std::mutex> lock(s.mutex);
    screen_window *window = FindWindow(s, win);
    if (!window || !param) return Fail(EINVAL);
    switch (pname) {
    case SCREEN_PROPERTY_FORMAT:
    case SCREEN_PROPERTY_USAGE:
    case SCREEN_PROPERTY_IDLE_MODE:
        window->properties[pname] = {param[0]};
        return 0;
    case SCREEN_PROPERTY_ROTATION:
        if (param[0] != 0 && param[0] != 90 && param[0] != 180 && param[0] != 270) return Fail(EINVAL);
        window->properties[pname] = {param[0]};
        return 0;
    case SCREEN_PROPERTY_BUFFER_SIZE:
        if (param[0] <= 0 || param[1] <= 0) return Fail(EINVAL);
        if (!s.backend->resize_window(param[0], param[1])) return Fail(EIO);
        window->properties[pname] = {param[0], param[1]};
        return 0;
    case SCREEN_PROPERTY_FULLSCREEN: {
        if (param[0] != 0 && param[0] != 1) return Fail(EINVAL);
        const std::vector<int> &buffer = window->properties[SCREEN_PROPERTY_BUFFER_SIZE];
        if (!s.backend->set_fullscreen(param[0] == 1, buffer[0], buffer[1])) return Fail(EIO);
        window->properties[pname] = {param[0]};
        return 0;
    }
    default:
        return Fail(EINVAL);  // unknown, or not writable on a window
    }
}

int screen_set_window_property_cv(screen_window_t win, int pname, int len, const char *param) {
    if (EnterCall("screen_set_window_property_cv", [&] {
            return Args(win, pname, len, param && len >= 0 ? std::string(param, strnlen(param, len)).c_str() : nullptr);
        })) {
        return -1;
    }
    DeviceState &s = detail::State();
    std::lock_guard<std::mutex> lock(s.mutex);
    screen_window *window = FindWindow(s, win);
    if (!window || !param || len < 0 || pname != SCREEN_PROPERTY_TITLE) return Fail(EINVAL);
    const std::string text(param, strnlen(param, static_cast<std::size_t>(len)));
    if (!s.backend->set_title(text)) return Fail(EIO);
    window->title = text;
    return 0;
}

int screen_get_window_property_iv(screen_window_t win, int pname, int *param) {
    if (EnterCall("screen_get_window_property_iv", [&] { return Args(win, pname); })) return -1;
    DeviceState &s = detail::State();
    std::lock_guard<std::mutex> lock(s.mutex);
    screen_window *window = FindWindow(s, win);
    if (!window || !param) return Fail(EINVAL);
    if (pname == SCREEN_PROPERTY_SURFACE_SIZE) {
        SurfaceSize(s, *window, param);
        return 0;
    }
    auto it = window->properties.find(pname);
    if (it == window->properties.end()) return Fail(EINVAL);
    return CopyValues(it->second, param);
}

int screen_get_window_property_pv(screen_window_t win, int pname, void **param) {
    if (EnterCall("screen_get_window_property_pv", [&] { return Args(win, pname); })) return -1;
    DeviceState &s = detail::State();
    std::lock_guard<std::mutex> lock(s.mutex);
    if (!FindWindow(s, win) || !param || pname != SCREEN_PROPERTY_DISPLAY) return Fail(EINVAL);
    *param = &s.display;
    return 0;
}

int screen_get_display_property_iv(screen_display_t disp, int pname, int *param) {
    if (EnterCall("screen_get_display_property_iv", [&] { return Args(disp, pname); })) return -1;
    DeviceState &s = detail::State();
    std::lock_guard<std::mutex> lock(s.mutex);
    if (disp != &s.display || !param) return Fail(EINVAL);
    if (pname == SCREEN_PROPERTY_DESKTOP_SIZE) {
        s.backend->desktop_size(&param[0], &param[1]);
        return 0;
    }
    if (pname != SCREEN_PROPERTY_SIZE && pname != SCREEN_PROPERTY_MODE) return Fail(EINVAL);
    param[0] = s.mode.width;
    param[1] = s.mode.height;
    return 0;
}

int screen_get_event_property_iv(screen_event_t ev, int pname, int *param) {
    if (EnterCall("screen_get_event_property_iv", [&] { return Args(ev, pname); })) return -1;
    if (!ev || !param) return Fail(EINVAL);
    const EventProperty *p = ev->find(pname);
    if (!p) return Fail(EINVAL);
    return CopyValues(p->values, param);
}

void *screen_get_native_window(screen_window_t win) {
    EnterCall("screen_get_native_window", [&] { return Args(win); });
    DeviceState &s = detail::State();
    std::lock_guard<std::mutex> lock(s.mutex);
    return FindWindow(s, win) ? s.backend->native_window() : nullptr;
}

void *screen_get_native_display(screen_context_t ctx) {
    EnterCall("screen_get_native_display", [&] { return Args(ctx); });
    DeviceState &s = detail::State();
    std::lock_guard<std::mutex> lock(s.mutex);
    return detail::FindContext(s, ctx) ? s.backend->native_display() : nullptr;
}

namespace {

int PropertyCount(int pname) {
    switch (pname) {
    case SCREEN_PROPERTY_POSITION:
    case SCREEN_PROPERTY_SIZE:
    case SCREEN_PROPERTY_MODE:
    case SCREEN_PROPERTY_BUFFER_SIZE:
    case SCREEN_PROPERTY_SURFACE_SIZE:
    case SCREEN_PROPERTY_DESKTOP_SIZE:
        return 2;
    default:
        return 1;
    }
}

int Fail(int error) {
    errno = error;
    return -1;
}

screen_window *FindWindow(DeviceState &s, screen_window_t win) {
    return (win && s.window.get() == win) ? win : nullptr;
}

int CopyValues(const std::vector<int> &values, int *param) {
    for (std::size_t i = 0; i < values.size(); ++i) param[i] = values[i];
    return 0;
}

void SurfaceSize(DeviceState &s, screen_window &window, int *size) {
    if (s.backend->surface_size(&size[0], &size[1]) && size[0] > 0 && size[1] > 0) return;
    const std::vector<int> &buffer = window.properties[SCREEN_PROPERTY_BUFFER_SIZE];
    size[0] = buffer[0];
    size[1] = buffer[1];
    int desktop[2] = {0, 0};
    s.backend->desktop_size(&desktop[0], &desktop[1]);
    if (window.properties[SCREEN_PROPERTY_FULLSCREEN] == std::vector<int>{1} && desktop[0] > 0 && desktop[1] > 0) {
        size[0] = desktop[0];
        size[1] = desktop[1];
    }
}

}  // namespace

namespace detail {

// Handles in the log are named by their id; a pointer that is not a live object is
// shown as "invalid" and never read.
std::string ArgText(const screen_context *ctx) {
    if (!ctx) return "null";
    DeviceState &s = State();
    std::lock_guard<std::mutex> lock(s.mutex);
    for (const auto &c : s.contexts) {
        if (c.get() == ctx) return "ctx" + std::to_string(c->id);
    }
    return "invalid";
}

std::string ArgText(const screen_window *win) {
    if (!win) return "null";
    DeviceState &s = State();
    std::lock_guard<std::mutex> lock(s.mutex);
    if (s.window.get() != win) return "invalid";
    return "win" + std::to_string(win->id);
}

std::string ArgText(const screen_display *disp) {
    if (!disp) return "null";
    DeviceState &s = State();
    std::lock_guard<std::mutex> lock(s.mutex);
    if (disp != &s.display) return "invalid";
    return "disp" + std::to_string(disp->id);
}

}  // namespace detail
}  // namespace ovdev
