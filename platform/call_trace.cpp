// The call log and the armed failures behind EnterCall.
#include "platform/call_trace.h"

#include <atomic>
#include <cerrno>
#include <deque>
#include <map>
#include <mutex>

#include "platform/event_queue.h"

namespace ovdev {
namespace detail {
namespace {

struct Trace {
    std::mutex mutex;
    std::deque<std::string> calls;
    std::map<std::string, int> failures;
};

Trace &TheTrace() {
    static Trace trace;
    return trace;
}

std::atomic<bool> g_recording{true};  // the headless backend, which records, is the default
std::atomic<int> g_armed{0};  // calls with failures left; lets EnterCall skip the lock

}  // namespace

void SetRecording(bool on) { g_recording.store(on); }

bool Recording() { return g_recording.load(std::memory_order_relaxed); }

void RecordCall(const char *name, const std::string &args) {
    Trace &t = TheTrace();
    std::lock_guard<std::mutex> lock(t.mutex);
    t.calls.push_back(std::string(name) + "(" + args + ")");
    if (t.calls.size() > kMaxCalls) t.calls.pop_front();
}

bool ConsumeFailure(const char *name) {
    if (g_armed.load(std::memory_order_relaxed) == 0) return false;
    Trace &t = TheTrace();
    std::lock_guard<std::mutex> lock(t.mutex);
    auto it = t.failures.find(name);
    if (it == t.failures.end()) return false;
    if (--it->second == 0) {
        t.failures.erase(it);
        g_armed.fetch_sub(1);
    }
    errno = EIO;
    return true;
}

const std::vector<std::string> &FailableCalls() {
    static const std::vector<std::string> names = {
        "bps_initialize",
        "bps_shutdown",
        "bps_get_event",
        "screen_create_context",
        "screen_destroy_context",
        "screen_request_events",
        "screen_stop_events",
        "screen_create_window",
        "screen_destroy_window",
        "screen_create_window_buffers",
        "screen_set_window_property_iv",
        "screen_set_window_property_cv",
        "screen_get_window_property_iv",
        "screen_get_window_property_pv",
        "screen_get_display_property_iv",
        "screen_get_event_property_iv",
        "navigator_request_events",
        "navigator_rotation_lock",
        "navigator_invoke",
        "virtualkeyboard_request_events",
    };
    return names;
}

bool ArmFailure(const std::string &name, int count) {
    if (count < 0) return false;
    bool known = false;
    for (const std::string &n : FailableCalls()) known = known || n == name;
    if (!known) return false;
    Trace &t = TheTrace();
    std::lock_guard<std::mutex> lock(t.mutex);
    auto it = t.failures.find(name);
    if (it != t.failures.end()) {
        t.failures.erase(it);
        g_armed.fetch_sub(1);
    }
    if (count > 0) {
        t.failures[name] = count;
        g_armed.fetch_add(1);
    }
    return true;
}

std::vector<std::string> RecordedCalls() {
    Trace &t = TheTrace();
    std::lock_guard<std::mutex> lock(t.mutex);
    return std::vector<std::string>(t.calls.begin(), t.calls.end());
}

void ClearRecordedCalls() {
    Trace &t = TheTrace();
    std::lock_guard<std::mutex> lock(t.mutex);
    t.calls.clear();
}

void ResetTrace() {
    Trace &t = TheTrace();
    std::lock_guard<std::mutex> lock(t.mutex);
    t.calls.clear();
    t.failures.clear();
    g_armed.store(0);
}

std::string ArgText(int value) { return std::to_string(value); }

std::string ArgText(unsigned value) { return std::to_string(value); }

std::string ArgText(bool value) { return value ? "true" : "false"; }

std::string ArgText(const char *text) {
    if (!text) return "null";
    return "\"" + std::string(text) + "\"";
}

std::string ArgText(IntList list) {
    if (!list.values) return "null";
    std::string text = "[";
    for (int i = 0; i < list.count; ++i) {
        if (i > 0) text += ", ";
        text += std::to_string(list.values[i]);
    }
    return text + "]";
}

std::string ArgText(const screen_event *ev) {
    return ev ? "ev" + std::to_string(ev->serial) : "null";
}

std::string ArgText(const bps_event_t *ev) {
    return ev ? ArgText(&ev->payload) : "null";
}

}  // namespace detail
}  // namespace ovdev
