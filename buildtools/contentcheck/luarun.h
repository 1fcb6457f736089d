// Running content Lua files as the check does: a Lua 5.1 state per file with only the
// base, math, string and table libraries ("print" writes nothing), plus the calls a kind
// of file may make, each recorded rather than acted on.
#ifndef BUILDTOOLS_CONTENTCHECK_LUARUN_H
#define BUILDTOOLS_CONTENTCHECK_LUARUN_H

#include "contentcheck.h"

#include <string>
#include <vector>

namespace contentcheck {

// One argument of a recorded call.
struct LuaValue {
    enum Kind { NIL, NUMBER, STRING, BOOLEAN, OTHER } kind = NIL;
    double number = 0;
    std::string text;
    bool IsNumber() const { return kind == NUMBER || (kind == STRING && numeric); }
    bool numeric = false;  // a string Lua converts to a number
};

// One recorded call: the function's name and its arguments.
struct LuaCall {
    std::string function;
    std::vector<LuaValue> args;
};

// Runs the file's text with the named functions recorded (each returns nothing); the
// calls come back in order. False with a message (without the chunk name) when it does
// not compile or fails while running.
bool RunRecorded(const std::string &rel, const std::string &text, const std::vector<std::string> &functions,
                 std::vector<LuaCall> *calls, std::string *error);
// Runs the file and reports whether it defines a global function of each name (defined
// gets one flag per name). False with a message when it does not compile or fails.
bool RunDefines(const std::string &rel, const std::string &text, const std::vector<std::string> &names,
                std::vector<bool> *defined, std::string *error);
// Compiles only; false with the message (without the chunk name).
bool Compiles(const std::string &rel, const std::string &text, std::string *error);
// The string literals of a Lua text (escapes decoded; comments skipped).
std::vector<std::string> LuaStrings(const std::string &text);

// Effect files (fxs/*.lua) and UI scripts (ui/**.lua).
void CheckEffects(const Tree &tree, Facts *facts, Report *report);
void CheckUiScripts(const Tree &tree, Facts *facts, Report *report);

}  // namespace contentcheck

#endif
