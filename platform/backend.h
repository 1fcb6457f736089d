// The seam between the shared device layer and the thing that really shows a window
// and produces input: the headless backend (nothing) or the SDL2 desktop backend.
#ifndef OVDEV_BACKEND_H
#define OVDEV_BACKEND_H

#include <memory>
#include <string>

namespace ovdev {
namespace detail {

class Backend {
public:
    virtual ~Backend() = default;

    // "headless" or "desktop".
    virtual const char *name() const = 0;
    // Moves input that arrived since the last call into the event queue (PushEvent).
    // Runs only on the thread that selected the backend, from bps_get_event.
    virtual void pump() = 0;
    // While bps_get_event blocks: the longest wait before pump must run again, in ms;
    // -1 when only events pushed by other threads can end the wait.
    virtual int poll_interval_ms() const = 0;
    // The one window: created at width x height but not yet shown; resized; shown once
    // it has buffers; destroyed. The core calls these with its own lock held.
    virtual bool create_window(int width, int height) = 0;
    virtual bool resize_window(int width, int height) = 0;
    virtual bool show_window() = 0;
    // Shows the window over the whole desktop (true) or as a window of its buffer size
    // (false) again.
    virtual bool set_fullscreen(bool fullscreen, int buffer_width, int buffer_height) = 0;
    // The window's size in pixels as it is shown now; false when the backend has no
    // window of its own (the screen service then works it out).
    virtual bool surface_size(int *width, int *height) = 0;
    // The size of the desktop the window is shown on; 0, 0 when there is none.
    virtual void desktop_size(int *width, int *height) = 0;
    // Gives the window its title (any time after create_window).
    virtual bool set_title(const std::string &title) = 0;
    virtual void destroy_window() = 0;
    // Handles EGL takes for the window and its display; null where there are none.
    virtual void *native_window() = 0;
    virtual void *native_display() = 0;
    // Hands a link to the desktop; true when it was handed on.
    virtual bool open_url(const std::string &url) = 0;
};

// Makes backend the one in use, after resetting the device layer; the calling thread
// becomes the one that pumps. record_calls turns the call log on or off.
void InstallBackend(std::unique_ptr<Backend> backend, bool record_calls);
// The backend in use (the headless one until another is installed).
Backend &ActiveBackend();
// The buffer size of the window, or the display mode when there is no window.
void WindowBufferSize(int *width, int *height);

}  // namespace detail
}  // namespace ovdev

#endif
