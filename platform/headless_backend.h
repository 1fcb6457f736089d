// The headless backend: no window and no input of its own; it hands scripted events to
// the event queue when they are due. Internal to the device layer.
#ifndef OVDEV_HEADLESS_BACKEND_H
#define OVDEV_HEADLESS_BACKEND_H

#include <chrono>
#include <cstddef>
#include <deque>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "platform/backend.h"
#include "platform/headless.h"

namespace ovdev {
namespace detail {

class HeadlessBackend : public Backend {
public:
    // Queues script steps after those still pending.
    void schedule(std::vector<headless::ScriptStep> steps);
    // Script steps not yet handed to the event queue.
    std::size_t pending() const;

    const char *name() const override { return "headless"; }
    void pump() override;
    int poll_interval_ms() const override;
    bool create_window(int, int) override { return true; }
    bool resize_window(int, int) override { return true; }
    bool show_window() override { return true; }
    bool set_fullscreen(bool, int, int) override { return true; }
    bool surface_size(int *, int *) override { return false; }
    void desktop_size(int *width, int *height) override;
    // Sets the desktop the window is shown on (0, 0: none, the start).
    void set_desktop_size(int width, int height);
    bool set_title(const std::string &) override { return true; }
    void destroy_window() override {}
    void *native_window() override { return nullptr; }
    void *native_display() override { return nullptr; }
    bool open_url(const std::string &) override { return true; }

private:
    using Clock = std::chrono::steady_clock;

    // Whether the gate at the front is open: its text found in its file after the last
    // match there (the match then recorded), or its limit passed (reported).
    bool GateOpens(const headless::ScriptStep &gate, Clock::time_point now);

    mutable std::mutex mutex_;
    std::deque<headless::ScriptStep> steps_;
    bool started_ = false;  // the first pump fixes the time the script starts from
    Clock::time_point last_release_;
    std::map<std::string, std::size_t> await_offsets_;  // file -> end of its last match
    int desktop_width_ = 0, desktop_height_ = 0;
};

// The headless backend when it is the one in use, else null.
HeadlessBackend *ActiveHeadless();

}  // namespace detail
}  // namespace ovdev

#endif
