// The headless backend (no window, no input but what is injected or scripted) and the
// control functions tests and scripted runs use to drive and inspect the device layer.
#include "platform/headless.h"

#include <chrono>
#include <deque>
#include <fstream>
#include <mutex>
#include <sstream>

#include "platform/backend.h"
#include "platform/call_trace.h"
#include "platform/device_state.h"
#include "platform/events.h"
#include "platform/screen.h"

namespace ovdev {
namespace {

using Clock = std::chrono::steady_clock;

class HeadlessBackend : public detail::Backend {
public:
    const char *name() const override { return "headless"; }

    // Hands every scripted event that is due to the queue.
    void pump() override {
        std::vector<RawEvent> due;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            const Clock::time_point now = Clock::now();
            if (!started_) {
                started_ = true;
                last_release_ = now;
            }
            while (!steps_.empty()) {
                const ScriptStepAt &next = steps_.front();
                if (next.delay_ms > 0 && now < last_release_ + std::chrono::milliseconds(next.delay_ms)) break;
                if (next.delay_ms > 0) last_release_ = now;
                due.push_back(next.event);
                steps_.pop_front();
            }
        }
        for (const RawEvent &e : due) PushEvent(e);
    }

    int poll_interval_ms() const override {
        std::lock_guard<std::mutex> lock(mutex_);
        if (steps_.empty()) return -1;
        if (!started_) return 0;
        const auto due = last_release_ + std::chrono::milliseconds(steps_.front().delay_ms);
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(due - Clock::now()).count();
        return left > 0 ? static_cast<int>(left) : 0;
    }

    bool create_window(int, int) override { return true; }
    bool resize_window(int, int) override { return true; }
    bool show_window() override { return true; }
    void destroy_window() override {}
    void *native_window() override { return nullptr; }
    void *native_display() override { return nullptr; }
    bool open_url(const std::string &) override { return true; }

    void schedule(std::vector<headless::ScriptStep> steps) {
        std::lock_guard<std::mutex> lock(mutex_);
        for (headless::ScriptStep &s : steps) steps_.push_back({s.delay_ms, std::move(s.event)});
    }

    std::size_t pending() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return steps_.size();
    }

private:
    struct ScriptStepAt {
        int delay_ms;
        RawEvent event;
    };
    mutable std::mutex mutex_;
    std::deque<ScriptStepAt> steps_;
    bool started_ = false;  // the first pump fixes the time the script starts from
    Clock::time_point last_release_;
};

HeadlessBackend *ActiveHeadless() {
    return dynamic_cast<HeadlessBackend *>(&detail::ActiveBackend());
}

int TouchType(headless::TouchPhase phase) {
    switch (phase) {
    case headless::TouchPhase::Down: return SCREEN_EVENT_MTOUCH_TOUCH;
    case headless::TouchPhase::Move: return SCREEN_EVENT_MTOUCH_MOVE;
    case headless::TouchPhase::Up: return SCREEN_EVENT_MTOUCH_RELEASE;
    }
    return SCREEN_EVENT_MTOUCH_TOUCH;
}

}  // namespace

namespace detail {

std::unique_ptr<Backend> MakeHeadlessBackend() { return std::make_unique<HeadlessBackend>(); }

}  // namespace detail

namespace headless {

void reset() { UseHeadlessBackend(); }

bool inject_touch(TouchPhase phase, int id, int x, int y) {
    return PushEvent(MakeTouchEvent(TouchType(phase), id, x, y));
}

bool inject_pointer(int x, int y, int buttons) { return PushEvent(MakePointerEvent(x, y, buttons)); }

bool inject_key(int symbol, bool down) { return PushEvent(MakeKeyEvent(symbol, down)); }

bool inject_window_state(int state) { return PushEvent(MakeWindowStateEvent(state)); }

bool inject_swipe_down() { return PushEvent(MakeSwipeDownEvent()); }

bool inject_exit() { return PushEvent(MakeExitEvent()); }

bool inject_raw(int domain, unsigned code, const std::vector<EventProperty> &properties) {
    RawEvent e;
    e.domain = domain;
    e.code = code;
    e.properties = properties;
    return PushEvent(e);
}

bool fail(const std::string &call, int count) { return detail::ArmFailure(call, count); }

const std::vector<std::string> &failable_calls() { return detail::FailableCalls(); }

std::vector<std::string> calls() { return detail::RecordedCalls(); }

void clear_calls() { detail::ClearRecordedCalls(); }

bool has_window() {
    detail::DeviceState &s = detail::State();
    std::lock_guard<std::mutex> lock(s.mutex);
    return s.window != nullptr;
}

std::vector<int> window_property(int pname) {
    detail::DeviceState &s = detail::State();
    std::lock_guard<std::mutex> lock(s.mutex);
    if (!s.window) return {};
    auto it = s.window->properties.find(pname);
    return it == s.window->properties.end() ? std::vector<int>() : it->second;
}

int window_buffer_count() {
    detail::DeviceState &s = detail::State();
    std::lock_guard<std::mutex> lock(s.mutex);
    return s.window ? s.window->buffers : 0;
}

std::optional<bool> rotation_lock() {
    detail::DeviceState &s = detail::State();
    std::lock_guard<std::mutex> lock(s.mutex);
    return s.rotation_lock;
}

bool keyboard_visible() {
    detail::DeviceState &s = detail::State();
    std::lock_guard<std::mutex> lock(s.mutex);
    return s.keyboard_visible;
}

int keyboard_layout() {
    detail::DeviceState &s = detail::State();
    std::lock_guard<std::mutex> lock(s.mutex);
    return s.keyboard_layout;
}

int keyboard_enter_key() {
    detail::DeviceState &s = detail::State();
    std::lock_guard<std::mutex> lock(s.mutex);
    return s.keyboard_enter_key;
}

std::vector<std::string> invoked_urls() {
    detail::DeviceState &s = detail::State();
    std::lock_guard<std::mutex> lock(s.mutex);
    return s.invoked_urls;
}

std::size_t queued_events() { return detail::State().queue.size(); }

bool load_script(const std::string &path, std::string *error) {
    std::ifstream in(path);
    if (!in) {
        if (error) *error = "cannot read script " + path;
        return false;
    }
    std::ostringstream text;
    text << in.rdbuf();
    std::vector<ScriptStep> steps;
    std::string why;
    if (!parse_script(text.str(), &steps, &why)) {
        if (error) *error = path + ": " + why;
        return false;
    }
    if (!play_script(std::move(steps))) {
        if (error) *error = "scripts need the headless backend";
        return false;
    }
    return true;
}

bool play_script(std::vector<ScriptStep> steps) {
    HeadlessBackend *backend = ActiveHeadless();
    if (!backend) return false;
    backend->schedule(std::move(steps));
    return true;
}

std::size_t pending_script_steps() {
    HeadlessBackend *backend = ActiveHeadless();
    return backend ? backend->pending() : 0;
}

}  // namespace headless
}  // namespace ovdev
