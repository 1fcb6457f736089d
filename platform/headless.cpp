// The control functions of the headless backend: injecting events, arming failures,
// reading back the device state and scheduling scripts (format in headless.h).
#include "platform/headless.h"

#include <map>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <mutex>
#include <sstream>

#include "platform/call_trace.h"
#include "platform/device_state.h"
#include "platform/events.h"
#include "platform/headless_backend.h"
#include "platform/screen.h"

namespace ovdev {
namespace headless {
namespace {

int TouchType(TouchPhase phase);

}  // namespace

void reset() { UseHeadlessBackend(); }

bool inject_touch(TouchPhase phase, int id, int x, int y) {
    return PushEvent(MakeTouchEvent(TouchType(phase), id, x, y));
}

bool inject_pointer(int x, int y, int buttons) { return PushEvent(MakePointerEvent(x, y, buttons)); }

bool inject_key(int symbol, bool down) { return PushEvent(MakeKeyEvent(symbol, down)); }

bool inject_window_state(int state) { return PushEvent(MakeWindowStateEvent(state)); }

bool inject_swipe_down() { return PushEvent(MakeSwipeDownEvent()); }

bool inject_exit() { return PushEvent(MakeExitEvent()); }

bool inject_window_close() { return PushEvent(MakeWindowCloseEvent()); }

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

void set_recording(bool on) { detail::SetRecording(on); }

bool set_desktop_size(int width, int height) {
    detail::HeadlessBackend *backend = detail::ActiveHeadless();
    if (!backend || width < 0 || height < 0 || (width == 0) != (height == 0)) return false;
    backend->set_desktop_size(width, height);
    return true;
}

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

std::string window_title() {
    detail::DeviceState &s = detail::State();
    std::lock_guard<std::mutex> lock(s.mutex);
    return s.window ? s.window->title : std::string();
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
        if (error) *error = path + ": cannot be read (" + std::strerror(errno) + ")";
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
    detail::HeadlessBackend *backend = detail::ActiveHeadless();
    if (!backend) return false;
    backend->schedule(std::move(steps));
    return true;
}

std::size_t pending_script_steps() {
    detail::HeadlessBackend *backend = detail::ActiveHeadless();
    return backend ? backend->pending() : 0;
}

namespace {

int TouchType(TouchPhase phase) {
    switch (phase) {
    case TouchPhase::Down: return SCREEN_EVENT_MTOUCH_TOUCH;
    case TouchPhase::Move: return SCREEN_EVENT_MTOUCH_MOVE;
    case TouchPhase::Up: return SCREEN_EVENT_MTOUCH_RELEASE;
    }
    return SCREEN_EVENT_MTOUCH_TOUCH;
}

}  // namespace
namespace {

// Guards the table: extension commands may be sent from any thread.
std::mutex answers_mutex;

std::map<std::string, std::string> &Answers()
{
    static std::map<std::string, std::string> answers;
    return answers;
}

}  // namespace

void set_answer(const std::string &command, const char *reply)
{
    std::lock_guard<std::mutex> lock(answers_mutex);
    if (reply)
        Answers()[command] = reply;
    else
        Answers().erase(command);
}

void clear_answers()
{
    std::lock_guard<std::mutex> lock(answers_mutex);
    Answers().clear();
}

const char *answer(const char *command)
{
    if (!command)
        return nullptr;
    std::lock_guard<std::mutex> lock(answers_mutex);
    auto it = Answers().find(command);
    return it == Answers().end() ? nullptr : it->second.c_str();
}

}  // namespace headless
}  // namespace ovdev
