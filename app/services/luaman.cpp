// The Lua scripting manager (see luaman.h).
#include "app/services/luaman.h"

#include "app/services/dev-edit-fallback.h"
#include "app/services/luaman-builtins.h"
#include "app/services/prog.h"
#include "app/services/small-maths.h"
#include "narray.h"
#include "nstring.h"
#include "orvex.h"
#include "ovrecords.h"

#include <limits.h>
#include <mutex>
#include <stdlib.h>
#include <string.h>
#include <unordered_map>

LuaManager lua_man;

namespace {

struct FunctionEntry {
    char *name;
    lua_CFunction fn;
};

// What the manager keeps. Built on first use; the registry's names are freed at exit.
struct LuaRegistry {
    std::mutex lock;
    nArray<FunctionEntry> functions;
    nArray<lua_State *> open_states;
    std::unordered_map<lua_State *, void *> user_data;
    lua_State *main_state = nullptr;

    LuaRegistry() {
        functions.SetShrink(true);
        open_states.SetShrink(true);
    }
    ~LuaRegistry() {
        for (int i = 0; i < functions.Count(); i++)
            free(functions[i].name);
    }
};

LuaRegistry &Registry()
{
    static LuaRegistry registry;
    return registry;
}

// The base library's print: scripts print through "Print", which reaches the log.
int SilentPrint(lua_State *)
{
    return 0;
}

void OpenLibrary(lua_State *L, lua_CFunction open, const char *name)
{
    lua_pushcfunction(L, open);
    lua_pushstring(L, name);
    lua_call(L, 1, 0);
}

// Pushes the global function `name` and remembers the stack top before it.
int BeginCall(lua_State *L, const char *name)
{
    int top = lua_gettop(L);
    if (name)
        lua_getfield(L, LUA_GLOBALSINDEX, name);
    else
        lua_pushnil(L);
    return top;
}

// Calls what BeginCall pushed with `nargs` arguments, reports a failure, converts the
// result and restores the stack top.
double FinishCall(lua_State *L, const char *name, int top, int nargs, bool integer)
{
    if (lua_pcall(L, nargs, 1, 0) != 0 && ov)
        ov->OV_Popupf(1, "Unable to call '%s'\n\n%s\n", name ? name : "(null)", LuaErrorText(L));
    double result = integer ? (double)lua_tointeger(L, -1) : (double)lua_tonumber(L, -1);
    lua_settop(L, top);
    return result;
}

}  // namespace

const char *LuaErrorText(lua_State *L)
{
    const char *text = lua_tostring(L, -1);
    return text ? text : "(error object is not a string)";
}

int LuaToInt(lua_State *L, int index)
{
    return SaturatedInt(lua_tonumber(L, index));
}

float LuaToFloat(lua_State *L, int index)
{
    const double v = lua_tonumber(L, index);
    if (!(v == v))
        return 0.0f;
    if (v > 1e9)
        return 1e9f;
    if (v < -1e9)
        return -1e9f;
    return (float)v;
}

bool LuaToFlag(lua_State *L, int index)
{
    if (lua_type(L, index) == LUA_TNUMBER)
        return LuaToFloat(L, index) != 0.0f;
    return lua_toboolean(L, index) != 0;
}

const char *TextOrEmpty(const char *text)
{
    return text ? text : "";
}

bool LuaManager::Initialize()
{
    lua_State *L = OpenLuaState(0);
    LuaRegistry &r = Registry();
    std::lock_guard<std::mutex> hold(r.lock);
    r.main_state = L;
    return true;
}

void LuaManager::Shutdown()
{
    if (ov)
        ov->OV_PrintDebugf(3, "LuaManager::Shutdown.\n");
    LuaRegistry &r = Registry();
    lua_State *L;
    {
        std::lock_guard<std::mutex> hold(r.lock);
        L = r.main_state;
        r.main_state = nullptr;
    }
    if (L)
        CloseLuaState(L);
}

lua_State *LuaManager::GetMainState()
{
    LuaRegistry &r = Registry();
    std::lock_guard<std::mutex> hold(r.lock);
    return r.main_state;
}

lua_State *LuaManager::OpenStandaloneLuaState()
{
    lua_State *L = luaL_newstate();
    if (!L)
        return nullptr;
    OpenLibrary(L, luaopen_base, "");
    OpenLibrary(L, luaopen_math, LUA_MATHLIBNAME);
    OpenLibrary(L, luaopen_string, LUA_STRLIBNAME);
    OpenLibrary(L, luaopen_table, LUA_TABLIBNAME);
    RegisterLuaFunc(L, "print", SilentPrint);
    LuaInstallBuiltins(L);
    return L;
}

lua_State *LuaManager::OpenLuaState(int)
{
    lua_State *L = OpenStandaloneLuaState();
    if (!L)
        return nullptr;

    // The registry goes in under the lock, so that a function added meanwhile either
    // is installed here or finds this state in the list.
    LuaRegistry &r = Registry();
    std::lock_guard<std::mutex> hold(r.lock);
    r.user_data[L] = nullptr;
    for (int i = 0; i < r.functions.Count(); i++)
        RegisterLuaFunc(L, r.functions[i].name, r.functions[i].fn);
    r.open_states.InsertLast(L);
    return L;
}

void LuaManager::CloseLuaState(lua_State *L)
{
    if (!L)
        return;
    // Unlisted and without its owner first: nothing installs into a state being closed
    // (its finalisers run during the close), and a new state that the allocator places
    // at the same address at once keeps its own entries.
    {
        LuaRegistry &r = Registry();
        std::lock_guard<std::mutex> hold(r.lock);
        for (int i = 0; i < r.open_states.Count(); i++) {
            if (r.open_states[i] == L) {
                r.open_states.Remove(i);
                break;
            }
        }
        r.user_data.erase(L);
    }
    lua_close(L);
}

int LuaManager::GetNumberOfOpenStates()
{
    LuaRegistry &r = Registry();
    std::lock_guard<std::mutex> hold(r.lock);
    return r.open_states.Count();
}

void LuaManager::AddLuaFunction(const char *name, lua_CFunction fn)
{
    if (ov && prog.parms.developer_mode && !ov->OV_IsMainThread())
        ov->OV_PrintDebugf(1, "Adding lua-function '%s' from non-main thread! Should not do this unless you're doing this within ov->Synchronize block.\n", TextOrEmpty(name));
    LuaRegistry &r = Registry();
    std::lock_guard<std::mutex> hold(r.lock);
    if (name) {
        for (int i = 0; i < r.functions.Count(); i++) {
            if (strcmp(r.functions[i].name, name) == 0) {
                if (ov)
                    ov->OV_Popupf(1, "LuaManager::AddLuaFunction: adding function with name %s multiple times!\n", name);
                return;
            }
        }
    }
    FunctionEntry e = {strdup(TextOrEmpty(name)), fn};
    r.functions.InsertLast(e);
    for (int i = 0; i < r.open_states.Count(); i++)
        RegisterLuaFunc(r.open_states[i], e.name, fn);
}

int LuaManager::GetNumberOfFunctions()
{
    LuaRegistry &r = Registry();
    std::lock_guard<std::mutex> hold(r.lock);
    return r.functions.Count();
}

void LuaManager::RegisterLuaFunc(lua_State *L, const char *name, lua_CFunction fn)
{
    if (!L || !name)
        return;
    lua_pushcclosure(L, fn, 0);
    lua_setfield(L, LUA_GLOBALSINDEX, name);
}

void LuaManager::SetLuaStateUserData(lua_State *L, void *p)
{
    if (!L)
        return;
    LuaRegistry &r = Registry();
    std::lock_guard<std::mutex> hold(r.lock);
    r.user_data[L] = p;
}

void *LuaManager::GetLuaStateUserData(lua_State *L)
{
    LuaRegistry &r = Registry();
    std::lock_guard<std::mutex> hold(r.lock);
    auto it = r.user_data.find(L);
    return it == r.user_data.end() ? nullptr : it->second;
}

bool LuaManager::DoesLuaFunctionExist(lua_State *L, const char *name)
{
    if (!L || !name)
        return false;
    lua_pushstring(L, name);
    lua_rawget(L, LUA_GLOBALSINDEX);
    bool found = lua_isfunction(L, -1);
    lua_pop(L, 1);
    return found;
}

namespace {

// The whole file as a malloc'd, zero-terminated buffer, its length and the name it
// opened as (a developer edit or the shipped file); null with the popup when it does not
// open or the buffer cannot be had.
char *ReadLuaFile(const char *fileName, size_t *got, char *opened, size_t opened_size)
{
    ov_file_t *f = fileName ? ov->OV_OpenFile(fileName, "rb") : nullptr;
    if (!f) {
        ov->OV_Popupf(1, "WARNING: ExecLuaFile: File '%s' not found.\n", TextOrEmpty(fileName));
        return nullptr;
    }
    nStringFormat(opened, (int)opened_size, "%s", f->name ? f->name : fileName);
    size_t size = f->size > 0 ? (size_t)f->size : 0;
    char *buffer = (char *)malloc(size + 1);
    if (!buffer) {
        ov->OV_CloseFile(f);
        ov->OV_Popupf(1, "WARNING: ExecLuaFile: error compiling '%s':\n\n%s\n", fileName, "not enough memory");
        return nullptr;
    }
    *got = size ? ov->OV_ReadFile(buffer, (unsigned)size, f) : 0;
    buffer[*got] = 0;
    ov->OV_CloseFile(f);
    return buffer;
}

}  // namespace

// A developer edit that does not compile is set aside and the shipped file compiled in
// its place (nothing of the edit has run then).
bool LuaManager::ExecLuaFile(lua_State *L, const char *fileName)
{
    if (!L)
        L = GetMainState();
    if (!L || !ov)
        return false;
    char opened[600];
    size_t got = 0;
    char *buffer = ReadLuaFile(fileName, &got, opened, sizeof opened);
    if (!buffer)
        return false;

    // Whatever the chunk returns is dropped: nobody reads it, and the state's stack
    // must not grow with every run.
    int top = lua_gettop(L);
    int compiled = luaL_loadbuffer(L, buffer, got, fileName);
    if (compiled != 0 && IsDevEditFile(opened) && SetDamagedDevEditAside(opened, LuaErrorText(L))) {
        lua_settop(L, top);
        free(buffer);
        buffer = ReadLuaFile(fileName, &got, opened, sizeof opened);
        if (!buffer)
            return false;
        compiled = luaL_loadbuffer(L, buffer, got, fileName);
    }
    bool ran = false;
    if (compiled != 0)
        ov->OV_Popupf(1, "WARNING: ExecLuaFile: error compiling '%s':\n\n%s\n", fileName, LuaErrorText(L));
    else if (lua_pcall(L, 0, LUA_MULTRET, 0) != 0)
        ov->OV_Popupf(1, "WARNING: ExecLuaFile: error running '%s':\n\n%s\n", fileName, LuaErrorText(L));
    else
        ran = true;
    lua_settop(L, top);
    free(buffer);
    return ran;
}

bool LuaManager::ExecLuaString(lua_State *L, const char *text)
{
    if (!L)
        L = GetMainState();
    if (ov)
        ov->OV_Printf("ExecLuaString: '%s'\n", TextOrEmpty(text));
    if (!text || !text[0])
        return true;
    if (!L)
        return false;
    int top = lua_gettop(L);
    if (luaL_loadbuffer(L, text, strlen(text), nullptr) != 0) {
        lua_settop(L, top);
        return false;
    }
    if (lua_pcall(L, 0, LUA_MULTRET, 0) != 0 && ov)
        ov->OV_PrintDebugf(1, "WARNING: ExecLuaString: error running string '%s'.\n", text);
    lua_settop(L, top);
    return true;
}

double LuaManager::CallLuaFunction(lua_State *L, const char *name)
{
    if (!L)
        return 0;
    int top = BeginCall(L, name);
    return FinishCall(L, name, top, 0, false);
}

double LuaManager::CallLuaFunctionN(lua_State *L, const char *name, double a)
{
    if (!L)
        return 0;
    int top = BeginCall(L, name);
    lua_pushnumber(L, a);
    return FinishCall(L, name, top, 1, false);
}

double LuaManager::CallLuaFunction2N(lua_State *L, const char *name, double a, double b)
{
    if (!L)
        return 0;
    int top = BeginCall(L, name);
    lua_pushnumber(L, a);
    lua_pushnumber(L, b);
    return FinishCall(L, name, top, 2, false);
}

double LuaManager::CallLuaFunction3N(lua_State *L, const char *name, double a, double b, double c)
{
    if (!L)
        return 0;
    int top = BeginCall(L, name);
    lua_pushnumber(L, a);
    lua_pushnumber(L, b);
    lua_pushnumber(L, c);
    return FinishCall(L, name, top, 3, false);
}

double LuaManager::CallLuaFunctionS(lua_State *L, const char *name, const char *s)
{
    if (!L)
        return 0;
    int top = BeginCall(L, name);
    lua_pushstring(L, s);
    return FinishCall(L, name, top, 1, false);
}

double LuaManager::CallLuaFunction2S(lua_State *L, const char *name, const char *s, const char *t)
{
    if (!L)
        return 0;
    int top = BeginCall(L, name);
    lua_pushstring(L, s);
    lua_pushstring(L, t);
    return FinishCall(L, name, top, 2, false);
}

int LuaManager::CallLuaFunctionI(lua_State *L, const char *name, int i)
{
    if (!L)
        return 0;
    int top = BeginCall(L, name);
    lua_pushinteger(L, i);
    return (int)FinishCall(L, name, top, 1, true);
}

int LuaManager::CallLuaFunction2I(lua_State *L, const char *name, int i, int j)
{
    if (!L)
        return 0;
    int top = BeginCall(L, name);
    lua_pushinteger(L, i);
    lua_pushinteger(L, j);
    return (int)FinishCall(L, name, top, 2, true);
}

double LuaManager::CallLuaFunctionFFSI(lua_State *L, const char *name, double a, double b, const char *s, int i)
{
    if (!L)
        return 0;
    int top = BeginCall(L, name);
    lua_pushnumber(L, a);
    lua_pushnumber(L, b);
    lua_pushstring(L, s);
    lua_pushinteger(L, i);
    return FinishCall(L, name, top, 4, false);
}
