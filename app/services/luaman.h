// The Lua scripting manager: opens and closes Lua 5.1 states, keeps the registry of
// script functions every service contributes and installs it into every state it
// opens (after the engine's built-in functions), runs script files and strings, and
// calls global Lua functions by name.
//
// Every state gets the base, math, string and table libraries and nothing else (no io,
// os, package); the base library's `print` writes nothing ("Print" writes to the log).
// Each state carries one user pointer, kept in a table beside the state.
//
// The registry, the list of open states and the user-pointer table are guarded by one
// lock: the loading thread opens and closes states while the main thread registers.
// A state itself is used by one thread at a time.
#ifndef APP_SERVICES_LUAMAN_H
#define APP_SERVICES_LUAMAN_H

#include <lua.hpp>

class LuaManager {
public:
    // Opens the main state; returns true. The first service to start.
    bool Initialize();
    // Closes the main state; other open states are left to their owners.
    void Shutdown();
    // The main state, null before Initialize and after Shutdown.
    lua_State *GetMainState();

    // A new state with the libraries, the built-in functions and every registered
    // function; null when Lua has no memory. The argument has no effect.
    lua_State *OpenLuaState(int unused = 0);
    // A state with the libraries and the built-in functions only: registered functions
    // are not installed, now or later, and the state is not in the open-state list (its
    // owner closes it with lua_close). Null when Lua has no memory.
    lua_State *OpenStandaloneLuaState();
    // Forgets the state (takes it off the open states, drops its user pointer), then
    // closes it; a state the manager did not open is closed all the same.
    void CloseLuaState(lua_State *L);
    // Number of states opened here and not closed yet.
    int GetNumberOfOpenStates();

    // Registers a script function under a name and installs it in every open state (and
    // every later one). A name registered before keeps its first function and shows a
    // popup. Meant for the main thread (a developer warning otherwise).
    void AddLuaFunction(const char *name, lua_CFunction fn);
    // Number of registered functions.
    int GetNumberOfFunctions();
    // Sets the global `name` of one state to the function.
    static void RegisterLuaFunc(lua_State *L, const char *name, lua_CFunction fn);

    // The user pointer of a state (null until set, and for states not known here).
    void SetLuaStateUserData(lua_State *L, void *p);
    void *GetLuaStateUserData(lua_State *L);

    // Whether the global `name` (looked up raw) is a function; the stack is unchanged.
    static bool DoesLuaFunctionExist(lua_State *L, const char *name);

    // Runs a script file found through the engine's search paths (null state: the main
    // state); false after a popup when it is missing, does not compile or fails.
    bool ExecLuaFile(lua_State *L, const char *fileName);
    // Runs a text (null state: the main state). True for a null or empty text and for a
    // text that ran, also when the run failed (a log line says so); false when it does
    // not compile.
    bool ExecLuaString(lua_State *L, const char *text);

    // Call a global Lua function by name with the arguments shown, protected, and give
    // its one result as a number (0 for a failed call, a missing or non-numeric result;
    // a failed call shows a popup). A null state gives 0 and does nothing. The stack is
    // left as it was.
    double CallLuaFunction(lua_State *L, const char *name);
    double CallLuaFunctionN(lua_State *L, const char *name, double a);
    double CallLuaFunction2N(lua_State *L, const char *name, double a, double b);
    double CallLuaFunction3N(lua_State *L, const char *name, double a, double b, double c);
    double CallLuaFunctionS(lua_State *L, const char *name, const char *s);
    double CallLuaFunction2S(lua_State *L, const char *name, const char *s, const char *t);
    int CallLuaFunctionI(lua_State *L, const char *name, int i);
    int CallLuaFunction2I(lua_State *L, const char *name, int i, int j);
    double CallLuaFunctionFFSI(lua_State *L, const char *name, double a, double b, const char *s, int i);
};

// The one scripting manager. It has no state of its own: what it keeps is built on
// first use, so it may be used from any static initialiser, and is freed at exit.
extern LuaManager lua_man;

// The error text of a failed Lua call at the top of the stack, never null.
const char *LuaErrorText(lua_State *L);

// A script argument as an int without raising: a missing or non-number value is 0, NaN
// is 0 and numbers past the int range saturate (Lua's own integer cast of a huge
// number is undefined).
int LuaToInt(lua_State *L, int index);
// A script argument as a float without raising: a missing or non-number value is 0,
// NaN is 0 and the value is limited to +-1e9, so that a wild script value leaves sizes,
// positions and times defined (numeric strings count, as Lua converts them).
float LuaToFloat(lua_State *L, int index);
// A script flag without raising: a number is true when not 0 (NaN counts 0), any other
// value by Lua's truth (nil and false are false).
bool LuaToFlag(lua_State *L, int index);
// The text, or "" for null (a missing script string, a name not given).
const char *TextOrEmpty(const char *text);

#endif
