// The call log and the failure switches of the device layer. Every platform function
// enters through EnterCall, which records "name(args)" while recording is on and says
// whether an armed failure makes this call fail.
#ifndef OVDEV_CALL_TRACE_H
#define OVDEV_CALL_TRACE_H

#include <string>
#include <vector>

#include "platform/bps.h"
#include "platform/screen.h"

namespace ovdev {
namespace detail {

// Records one call when recording is on, then reports whether it must fail. The
// argument text is built only while recording.
template <class Describe>
bool EnterCall(const char *name, Describe &&describe);

// Turns recording of calls on or off (the headless backend records).
void SetRecording(bool on);
bool Recording();
// Appends "name(args)" to the log; the log keeps the newest kMaxCalls entries.
void RecordCall(const char *name, const std::string &args);
// True (and one failure used up) when a failure is armed for this call.
bool ConsumeFailure(const char *name);
// Arms count failures for a call that can fail; false for other names or count < 0.
// A count of 0 disarms it.
bool ArmFailure(const std::string &name, int count);
// The calls that can be made to fail: every platform function with a status result.
const std::vector<std::string> &FailableCalls();
// Copy of the log, oldest first, and clearing it.
std::vector<std::string> RecordedCalls();
void ClearRecordedCalls();
// Clears the log and every armed failure.
void ResetTrace();

constexpr std::size_t kMaxCalls = 100000;

// Text of one argument as the log shows it.
std::string ArgText(int value);
std::string ArgText(unsigned value);
std::string ArgText(bool value);
std::string ArgText(const char *text);  // quoted, or null
std::string ArgText(const screen_context *ctx);  // "ctx1"
std::string ArgText(const screen_window *win);  // "win1"
std::string ArgText(const screen_display *disp);  // "disp1"
std::string ArgText(const screen_event *ev);  // "ev7"
std::string ArgText(const bps_event_t *ev);  // "ev7"

// A run of ints shown as "[1024, 600]".
struct IntList {
    const int *values;
    int count;
};
std::string ArgText(IntList list);

// Joins the arguments with ", ".
inline std::string Args() { return std::string(); }
template <class First, class... Rest>
std::string Args(const First &first, const Rest &...rest) {
    std::string text = ArgText(first);
    if constexpr (sizeof...(rest) > 0) text += ", " + Args(rest...);
    return text;
}

template <class Describe>
bool EnterCall(const char *name, Describe &&describe) {
    if (Recording()) RecordCall(name, describe());
    return ConsumeFailure(name);
}

}  // namespace detail
}  // namespace ovdev

#endif
