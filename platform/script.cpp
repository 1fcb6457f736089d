// Reader of event scripts for the headless backend (format in headless.h).
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <sstream>

#include "platform/events.h"
#include "platform/headless.h"
#include "platform/navigator.h"
#include "platform/screen.h"
#include "platform/touch_slots.h"

namespace ovdev {
namespace headless {
namespace {

// Longest wait before one event: a day, well inside the backend's clock arithmetic.
constexpr int kMaxWaitMs = 24 * 60 * 60 * 1000;
// Touch ids the device hands out (one per finger slot).
constexpr int kMaxTouchId = TouchSlots::kSlots - 1;
// Positions may lie off the buffer (a drag that leaves it), but not absurdly far.
constexpr int kMaxPosition = 65535;
// Left, middle and right.
constexpr int kAllButtons = 1 | 2 | 4;
// Key symbols are characters (up to the last Unicode code point) or key codes below that.
constexpr int kMaxKeySymbol = 0x10FFFF;

// Splits a line at any whitespace (space, tab, form feed, vertical tab, CR).
std::vector<std::string> Words(const std::string &line) {
    std::vector<std::string> words;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && std::isspace(static_cast<unsigned char>(line[i]))) ++i;
        const std::size_t start = i;
        while (i < line.size() && !std::isspace(static_cast<unsigned char>(line[i]))) ++i;
        if (i > start) words.push_back(line.substr(start, i - start));
    }
    return words;
}

// Parses one line of at least one word into events (a wait adds to *wait_ms instead);
// false with a message on error.
bool ParseLine(const std::string &line, const std::vector<std::string> &words, std::vector<RawEvent> *events,
               int *wait_ms, std::string *why);

// Parses "await <ms> <file> <text>" into a gate step; false with a message on error.
bool ParseAwait(const std::string &line, const std::vector<std::string> &words, ScriptStep *gate,
                std::string *why);

}  // namespace

bool parse_script(const std::string &text, std::vector<ScriptStep> *steps, std::string *error) {
    std::vector<ScriptStep> parsed;
    std::istringstream in(text);
    std::string line;
    int wait_ms = 0;
    for (int number = 1; std::getline(in, line); ++number) {
        const std::size_t hash = line.find('#');
        if (hash != std::string::npos) line.erase(hash);
        const std::vector<std::string> words = Words(line);
        if (words.empty()) continue;  // blank: nothing but whitespace
        std::string why;
        if (words[0] == "await") {
            ScriptStep gate;
            if (!ParseAwait(line, words, &gate, &why)) {
                if (error) *error = "line " + std::to_string(number) + ": " + why;
                return false;
            }
            gate.delay_ms = wait_ms;
            wait_ms = 0;
            parsed.push_back(std::move(gate));
            continue;
        }
        std::vector<RawEvent> events;
        if (!ParseLine(line, words, &events, &wait_ms, &why)) {
            if (error) *error = "line " + std::to_string(number) + ": " + why;
            return false;
        }
        for (RawEvent &e : events) {
            parsed.push_back({wait_ms, std::move(e)});
            wait_ms = 0;
        }
    }
    *steps = std::move(parsed);
    return true;
}

namespace {

struct KeyName {
    const char *name;
    int symbol;
};

const KeyName kKeyNames[] = {
    {"backspace", KEYCODE_BACKSPACE}, {"tab", KEYCODE_TAB},       {"return", KEYCODE_RETURN},
    {"escape", KEYCODE_ESCAPE},       {"home", KEYCODE_HOME},     {"end", KEYCODE_END},
    {"left", KEYCODE_LEFT},           {"up", KEYCODE_UP},         {"right", KEYCODE_RIGHT},
    {"down", KEYCODE_DOWN},           {"pgup", KEYCODE_PG_UP},    {"pgdown", KEYCODE_PG_DOWN},
    {"insert", KEYCODE_INSERT},       {"delete", KEYCODE_DELETE}, {"lshift", KEYCODE_LEFT_SHIFT},
    {"rshift", KEYCODE_RIGHT_SHIFT},  {"lctrl", KEYCODE_LEFT_CTRL}, {"rctrl", KEYCODE_RIGHT_CTRL},
    {"lalt", KEYCODE_LEFT_ALT},       {"ralt", KEYCODE_RIGHT_ALT},
};

// A whole word as an int: decimal, or hex after 0x.
bool ParseInt(const std::string &word, int *out) {
    const bool hex = word.size() > 2 && word[0] == '0' && (word[1] == 'x' || word[1] == 'X');
    const char *digits = word.c_str() + (hex ? 2 : 0);
    if (!*digits || std::isspace(static_cast<unsigned char>(*digits))) return false;
    errno = 0;
    char *end = nullptr;
    const long value = std::strtol(digits, &end, hex ? 16 : 10);
    if (errno != 0 || *end != '\0' || value < INT_MIN || value > INT_MAX) return false;
    *out = static_cast<int>(value);
    return true;
}

// The code point of text that is exactly one UTF-8 character of up to two bytes
// (U+0000..U+07FF: ASCII and Latin-1 among them); false for anything else.
bool OneUtf8Character(const std::string &text, int *out) {
    const unsigned char *p = reinterpret_cast<const unsigned char *>(text.data());
    if (text.size() == 1 && p[0] < 0x80) {
        *out = p[0];
        return true;
    }
    if (text.size() == 2 && (p[0] & 0xE0) == 0xC0 && p[0] >= 0xC2 && (p[1] & 0xC0) == 0x80) {
        *out = ((p[0] & 0x1F) << 6) | (p[1] & 0x3F);
        return true;
    }
    return false;
}

bool ParseKeySymbol(const std::string &word, int *out) {
    if (word.size() >= 3 && word.front() == '\'' && word.back() == '\'' &&
        OneUtf8Character(word.substr(1, word.size() - 2), out)) {
        return true;
    }
    for (const KeyName &k : kKeyNames) {
        if (word == k.name) {
            *out = k.symbol;
            return true;
        }
    }
    if (word.size() >= 2 && word[0] == 'f' && std::isdigit(static_cast<unsigned char>(word[1]))) {
        int n = 0;
        if (ParseInt(word.substr(1), &n) && n >= 1 && n <= 12) {
            *out = KEYCODE_F1 + n - 1;
            return true;
        }
    }
    return ParseInt(word, out);
}

// "name=v,v" of a raw event.
bool ParseProperty(const std::string &word, EventProperty *out) {
    const std::size_t eq = word.find('=');
    if (eq == std::string::npos || !ParseInt(word.substr(0, eq), &out->name)) return false;
    std::stringstream values(word.substr(eq + 1));
    std::string value;
    out->values.clear();
    while (std::getline(values, value, ',')) {
        int v = 0;
        if (!ParseInt(value, &v)) return false;
        out->values.push_back(v);
    }
    return !out->values.empty();
}

// A number word within [low, high]; false (with why saying what was wanted) otherwise.
bool ParseInRange(const std::string &word, int low, int high, const char *what, int *out, std::string *why) {
    if (ParseInt(word, out) && *out >= low && *out <= high) return true;
    *why = std::string(what) + " must be a number from " + std::to_string(low) + " to " + std::to_string(high) +
           ", not '" + word + "'";
    return false;
}

bool ParseLine(const std::string &line, const std::vector<std::string> &w, std::vector<RawEvent> *events, int *wait_ms,
               std::string *why) {
    const std::string &kind = w[0];
    const std::size_t n = w.size();
    int a = 0, b = 0, c = 0;

    if (kind == "touch") {
        if (n != 5) return *why = "touch takes down|move|up <id> <x> <y>", false;
        int type = 0;
        if (w[1] == "down") type = SCREEN_EVENT_MTOUCH_TOUCH;
        else if (w[1] == "move") type = SCREEN_EVENT_MTOUCH_MOVE;
        else if (w[1] == "up") type = SCREEN_EVENT_MTOUCH_RELEASE;
        else return *why = "touch phase must be down, move or up", false;
        if (!ParseInRange(w[2], 0, kMaxTouchId, "touch id", &a, why) ||
            !ParseInRange(w[3], -kMaxPosition, kMaxPosition, "touch x", &b, why) ||
            !ParseInRange(w[4], -kMaxPosition, kMaxPosition, "touch y", &c, why)) {
            return false;
        }
        events->push_back(MakeTouchEvent(type, a, b, c));
    } else if (kind == "pointer") {
        if (n != 4) return *why = "pointer takes <x> <y> <buttons>", false;
        if (!ParseInRange(w[1], -kMaxPosition, kMaxPosition, "pointer x", &a, why) ||
            !ParseInRange(w[2], -kMaxPosition, kMaxPosition, "pointer y", &b, why) ||
            !ParseInRange(w[3], 0, kAllButtons, "pointer buttons", &c, why)) {
            return false;
        }
        events->push_back(MakePointerEvent(a, b, c));
    } else if (kind == "key") {
        if (n != 3) return *why = "key takes <symbol> down|up|press", false;
        if (!ParseKeySymbol(w[1], &a)) return *why = "unknown key symbol '" + w[1] + "'", false;
        if (a < 0 || a > kMaxKeySymbol) return *why = "key symbol '" + w[1] + "' is out of range", false;
        if (w[2] != "down" && w[2] != "up" && w[2] != "press") return *why = "key takes down, up or press", false;
        if (w[2] != "up") events->push_back(MakeKeyEvent(a, true));
        if (w[2] != "down") events->push_back(MakeKeyEvent(a, false));
    } else if (kind == "text") {
        // The characters follow the word and one blank; a line ending's CR is not one of them.
        std::size_t end = line.size();
        if (end > 0 && line[end - 1] == '\r') --end;
        const std::size_t start = line.find("text") + 5;
        if (n < 2 || start >= end) return *why = "text needs characters", false;
        for (std::size_t i = start; i < end; ++i) {
            events->push_back(MakeKeyEvent(static_cast<unsigned char>(line[i]), true));
            events->push_back(MakeKeyEvent(static_cast<unsigned char>(line[i]), false));
        }
    } else if (kind == "window") {
        if (n != 2) return *why = "window takes fullscreen, thumbnail or invisible", false;
        if (w[1] == "fullscreen") a = NAVIGATOR_WINDOW_FULLSCREEN;
        else if (w[1] == "thumbnail") a = NAVIGATOR_WINDOW_THUMBNAIL;
        else if (w[1] == "invisible") a = NAVIGATOR_WINDOW_INVISIBLE;
        else if (!ParseInt(w[1], &a) || a < 0 || a > 2) return *why = "unknown window state '" + w[1] + "'", false;
        events->push_back(MakeWindowStateEvent(a));
    } else if (kind == "swipe_down" || kind == "exit" || kind == "close") {
        if (n != 1) return *why = kind + " takes no arguments", false;
        events->push_back(kind == "exit"    ? MakeExitEvent()
                          : kind == "close" ? MakeWindowCloseEvent()
                                            : MakeSwipeDownEvent());
    } else if (kind == "raw") {
        if (n < 3) return *why = "raw takes <domain> <code> [<property>=<v>[,<v>]]...", false;
        if (!ParseInRange(w[1], 0, INT_MAX, "raw domain", &a, why) ||
            !ParseInRange(w[2], 0, INT_MAX, "raw code", &b, why)) {
            return false;
        }
        RawEvent e;
        e.domain = a;
        e.code = static_cast<unsigned>(b);
        for (std::size_t i = 3; i < n; ++i) {
            EventProperty p;
            if (!ParseProperty(w[i], &p)) return *why = "bad property '" + w[i] + "'", false;
            e.properties.push_back(p);
        }
        events->push_back(e);
    } else if (kind == "wait") {
        if (n != 2) return *why = "wait takes a number of milliseconds", false;
        if (!ParseInRange(w[1], 0, kMaxWaitMs, "wait", &a, why)) return false;
        if (a > kMaxWaitMs - *wait_ms) {
            return *why = "waits before one event add up to more than " + std::to_string(kMaxWaitMs) + " ms", false;
        }
        *wait_ms += a;
    } else {
        return *why = "unknown event '" + kind + "'", false;
    }
    return true;
}

bool ParseAwait(const std::string &line, const std::vector<std::string> &words, ScriptStep *gate,
                std::string *why) {
    if (words.size() < 4) return *why = "await takes a limit in milliseconds, a file and a text", false;
    int limit = 0;
    if (!ParseInRange(words[1], 1, kMaxWaitMs, "await", &limit, why)) return false;
    // The text is the rest of the line after the file, its outer blanks trimmed.
    std::size_t at = 0;
    for (int k = 0; k < 3; k++) {
        at = line.find(words[k], at) + words[k].size();
    }
    const char *kBlank = " \t\f\v\r";
    const std::size_t first = line.find_first_not_of(kBlank, at);
    const std::size_t last = line.find_last_not_of(kBlank);
    gate->await_limit_ms = limit;
    gate->await_file = words[2];
    gate->await_text = line.substr(first, last + 1 - first);
    return true;
}

}  // namespace
}  // namespace headless
}  // namespace ovdev
