// Control of the headless backend, for tests and for running the program without a
// display: inject events, make platform calls fail, read back what the engine did to
// the device, and play a script of events from a file.
//
// Script format: one event per line; lines of nothing but whitespace are ignored, '#'
// starts a comment anywhere on a line (write the # key as 35); words are separated by
// any whitespace (space, tab, form feed, vertical tab; a line may end in CR LF).
// Numbers are decimal or 0x hex and must lie in the range given.
//   touch down|move|up <id> <x> <y>   touch event: id 0..9, positions in buffer pixels
//                                     -65535..65535
//   pointer <x> <y> <buttons>         pointer event; buttons 0..7: 1 left, 2 middle, 4 right
//   key <symbol> down|up|press        key event: down presses the key and holds it until
//                                     its up; press is down then up at once. The symbol
//                                     is a number (decimal or 0x hex), one character in
//                                     quotes ('a', 'ä': UTF-8, up to U+07FF) giving
//                                     its code point, or a key name: backspace, tab,
//                                     return, escape, home, end, left, up, right, down,
//                                     pgup, pgdown, insert, delete, f1..f12, lshift,
//                                     rshift, lctrl, rctrl, lalt, ralt (Alt is the
//                                     engine's MENU key); at most 0x10FFFF. A letter is
//                                     the key of its own case: 'X' is key 88, 'x' 120
//   text <characters>                 one key press (down, then up) per byte after "text "
//   window fullscreen|thumbnail|invisible|0|1|2   navigator window state
//   swipe_down                        navigator swipe-down gesture
//   exit                              navigator exit request (ends the program)
//   close                             the window's close button (the program may ask first)
//   raw <domain> <code> [<property>=<v>[,<v>...]]...   any event, numbers only
//                                     (domain and code not negative)
//   wait <ms>                         the following events wait this long; the waits
//                                     before one event add up to at most 86400000 (a day)
//   await <ms> <file> <text>          the following events wait until the file (a path
//                                     without whitespace) holds the text (the rest of
//                                     the line, trimmed) after where the script's
//                                     previous await in that file matched, or until
//                                     <ms> (1..86400000) have passed since the events
//                                     before it went out; a limit reached is reported
//                                     on stderr ("script: await gave up: ...") and the
//                                     script goes on
// The first events go out at the first bps_get_event after the script is loaded; each
// "wait" delays the rest until that many milliseconds after the previous events went
// out. Events go through the same filter as all others (screen and navigator events
// need their requests), so a script plays once the program has made its requests.
#ifndef OVDEV_HEADLESS_H
#define OVDEV_HEADLESS_H

#include <cstddef>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/device.h"

namespace ovdev {
namespace headless {

enum class TouchPhase { Down, Move, Up };

// One event of a script and the wait before it; or, with await_text set, no event but
// a gate that holds the steps after it until the text shows in await_file (or its
// limit passes).
struct ScriptStep {
    ScriptStep() = default;
    ScriptStep(int delay, RawEvent e) : delay_ms(delay), event(std::move(e)) {}

    int delay_ms = 0;
    RawEvent event;
    std::string await_file;
    std::string await_text;
    int await_limit_ms = 0;
};

// Selects the headless backend and resets the device layer (as UseHeadlessBackend).
void reset();

// Injection: each returns whether the event was queued (see PushEvent for the filter).
bool inject_touch(TouchPhase phase, int id, int x, int y);
bool inject_pointer(int x, int y, int buttons);
// A key goes down (and stays held) or comes up; the symbol as in a script's "key" line.
bool inject_key(int symbol, bool down);
bool inject_window_state(int state);
bool inject_swipe_down();
bool inject_exit();
// The window's close button: a close request the program may answer by asking first.
bool inject_window_close();
bool inject_raw(int domain, unsigned code, const std::vector<EventProperty> &properties);

// Makes the next count calls of the named platform function fail (BPS_FAILURE or -1,
// errno EIO) without any effect; count 0 disarms it. False for a name that cannot fail.
bool fail(const std::string &call, int count);
// Names fail accepts: every platform function with a status result.
const std::vector<std::string> &failable_calls();

// The calls made since the last reset or clear, oldest first, each as
// "name(arg, arg)": handles as ctx1 / win2 / disp1 / ev7, texts in double quotes,
// int arrays as [1024, 600]. Recorded while the headless backend is in use and recording
// is on.
std::vector<std::string> calls();
void clear_calls();
// Recording of the call log and of the PCM write log (headless_audio.h): on after every
// reset. The program run headless turns it off: nothing reads the logs there, and a long
// run would fill them (100000 calls and 20000 writes, several megabytes).
void set_recording(bool on);

// Puts the headless display on a desktop of width x height, as a desktop window is
// (0, 0: no desktop, the start after every reset): a full-screen window then covers
// it. False for negative or half-zero sizes, or when the headless backend is not in use.
bool set_desktop_size(int width, int height);

// Read-back of the device state the engine changed.
bool has_window();
// A property of the window as it stands (set by the engine or its start value:
// BUFFER_SIZE the display mode, ROTATION 0, IDLE_MODE 0); empty when absent.
std::vector<int> window_property(int pname);
// The window's title ("" until screen_set_window_property_cv set it, or without a window).
std::string window_title();
// Buffers made by screen_create_window_buffers; 0 before that or without a window.
int window_buffer_count();
// The last navigator_rotation_lock value; none when it was never called.
std::optional<bool> rotation_lock();
bool keyboard_visible();
// Layout and enter key of the last virtualkeyboard_change_options (0, 0 at start).
int keyboard_layout();
int keyboard_enter_key();
// Links given to navigator_invoke, in order.
std::vector<std::string> invoked_urls();
// Events waiting in the event queue.
std::size_t queued_events();

// Parses script text into steps; on error false, with "line N: <reason>" in error and
// the steps untouched.
bool parse_script(const std::string &text, std::vector<ScriptStep> *steps, std::string *error);
// Reads and parses a script file and schedules it; false (and why) when the file cannot
// be read ("<path>: cannot be read (<reason>)"), does not parse ("<path>: line N: <reason>"), or the headless backend is not
// in use. Nothing of a refused script is scheduled.
bool load_script(const std::string &path, std::string *error);
// Schedules parsed steps after any still pending; false unless the headless backend is
// in use.
bool play_script(std::vector<ScriptStep> steps);
// Script events not yet handed to the event queue.
std::size_t pending_script_steps();

// Answers to the prompts and file choosers the program sends as extension commands
// ("EditValue: ...", "OpenFileDialog", "SaveFileDialog"), which no platform part of
// this build carries out. For tests only: the program never fills this table, so
// there those commands get their null reply. An answer is looked up by the exact
// command name and stays until replaced or cleared; a null reply removes it.
void set_answer(const std::string &command, const char *reply);
void clear_answers();
// The stored reply (valid until the answer is replaced or cleared), or null.
const char *answer(const char *command);

}  // namespace headless
}  // namespace ovdev

#endif
