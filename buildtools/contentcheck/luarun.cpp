// Lua states of the check, the compile test of every Lua file, and the names its string
// literals give.
#include "luarun.h"

extern "C" {
#include <lauxlib.h>
#include <lua.h>
#include <lualib.h>
}

namespace contentcheck {

namespace {

// The calls of the running file, filled by Record.
std::vector<LuaCall> *s_calls = nullptr;

int Record(lua_State *L)
{
    LuaCall call;
    call.function = lua_tostring(L, lua_upvalueindex(1));
    int n = lua_gettop(L);
    for (int i = 1; i <= n; i++) {
        LuaValue v;
        switch (lua_type(L, i)) {
        case LUA_TNIL: v.kind = LuaValue::NIL; break;
        case LUA_TNUMBER:
            v.kind = LuaValue::NUMBER;
            v.number = lua_tonumber(L, i);
            break;
        case LUA_TSTRING:
            v.kind = LuaValue::STRING;
            v.text = lua_tostring(L, i);
            v.numeric = lua_isnumber(L, i) != 0;
            v.number = lua_tonumber(L, i);
            break;
        case LUA_TBOOLEAN:
            v.kind = LuaValue::BOOLEAN;
            v.number = lua_toboolean(L, i);
            break;
        default: v.kind = LuaValue::OTHER; break;
        }
        call.args.push_back(v);
    }
    if (s_calls)
        s_calls->push_back(call);
    return 0;
}

int Silent(lua_State *)
{
    return 0;
}

// A state with the four libraries the game's scripts may use.
lua_State *OpenState()
{
    lua_State *L = luaL_newstate();
    if (!L)
        return nullptr;
    const luaL_Reg libs[] = {{"", luaopen_base},
                             {LUA_MATHLIBNAME, luaopen_math},
                             {LUA_STRLIBNAME, luaopen_string},
                             {LUA_TABLIBNAME, luaopen_table},
                             {nullptr, nullptr}};
    for (const luaL_Reg *lib = libs; lib->func; lib++) {
        lua_pushcfunction(L, lib->func);
        lua_pushstring(L, lib->name);
        lua_call(L, 1, 0);
    }
    lua_pushcfunction(L, Silent);
    lua_setglobal(L, "print");
    // No file access from content scripts.
    for (const char *name : {"dofile", "loadfile", "require", "module"}) {
        lua_pushnil(L);
        lua_setglobal(L, name);
    }
    return L;
}

// The message without the chunk name Lua puts first ("fxs/a.lua:3: ..." -> "line 3: ...").
std::string Message(lua_State *L, const std::string &rel)
{
    const char *m = lua_tostring(L, -1);
    std::string text = m ? m : "unknown error";
    std::string prefix = rel + ":";
    if (StartsWith(text, prefix))
        text = "line " + text.substr(prefix.size());
    return text;
}

bool Load(lua_State *L, const std::string &rel, const std::string &text, std::string *error)
{
    if (luaL_loadbuffer(L, text.data(), text.size(), ("=" + rel).c_str()) != 0) {
        *error = Message(L, rel);
        return false;
    }
    return true;
}

}  // namespace

bool Compiles(const std::string &rel, const std::string &text, std::string *error)
{
    lua_State *L = luaL_newstate();
    bool ok = L && Load(L, rel, text, error);
    if (L)
        lua_close(L);
    return ok;
}

bool RunRecorded(const std::string &rel, const std::string &text, const std::vector<std::string> &functions,
                 std::vector<LuaCall> *calls, std::string *error)
{
    lua_State *L = OpenState();
    if (!L) {
        *error = "no Lua state";
        return false;
    }
    for (const std::string &f : functions) {
        lua_pushstring(L, f.c_str());
        lua_pushcclosure(L, Record, 1);
        lua_setglobal(L, f.c_str());
    }
    calls->clear();
    s_calls = calls;
    bool ok = Load(L, rel, text, error);
    if (ok && lua_pcall(L, 0, 0, 0) != 0) {
        *error = Message(L, rel);
        ok = false;
    }
    s_calls = nullptr;
    lua_close(L);
    return ok;
}

bool RunDefines(const std::string &rel, const std::string &text, const std::vector<std::string> &names,
                std::vector<bool> *defined, std::string *error)
{
    lua_State *L = OpenState();
    if (!L) {
        *error = "no Lua state";
        return false;
    }
    bool ok = Load(L, rel, text, error);
    if (ok && lua_pcall(L, 0, 0, 0) != 0) {
        *error = Message(L, rel);
        ok = false;
    }
    defined->clear();
    for (const std::string &n : names) {
        lua_getglobal(L, n.c_str());
        defined->push_back(lua_isfunction(L, -1));
        lua_pop(L, 1);
    }
    lua_close(L);
    return ok;
}

std::vector<std::string> LuaStrings(const std::string &text)
{
    std::vector<std::string> out;
    size_t i = 0, n = text.size();
    // The level of a long bracket starting at p ("[[", "[==["), or -1.
    auto long_level = [&](size_t p) -> int {
        if (p >= n || text[p] != '[')
            return -1;
        size_t q = p + 1;
        while (q < n && text[q] == '=')
            q++;
        return q < n && text[q] == '[' ? (int)(q - p - 1) : -1;
    };
    auto skip_long = [&](size_t p, int level, std::string *body) -> size_t {
        size_t open = p + level + 2;
        std::string close = "]" + std::string(level, '=') + "]";
        size_t end = text.find(close, open);
        if (end == std::string::npos)
            end = n;
        if (body)
            *body = text.substr(open, end - open);
        return end == n ? n : end + close.size();
    };
    while (i < n) {
        char c = text[i];
        if (c == '-' && i + 1 < n && text[i + 1] == '-') {
            int level = long_level(i + 2);
            if (level >= 0) {
                i = skip_long(i + 2, level, nullptr);
            } else {
                size_t eol = text.find('\n', i);
                i = eol == std::string::npos ? n : eol;
            }
            continue;
        }
        int level = long_level(i);
        if (level >= 0) {
            std::string body;
            i = skip_long(i, level, &body);
            out.push_back(body);
            continue;
        }
        if (c == '"' || c == '\'') {
            std::string s;
            size_t j = i + 1;
            while (j < n && text[j] != c && text[j] != '\n') {
                if (text[j] == '\\' && j + 1 < n) {
                    char e = text[j + 1];
                    s += e == 'n' ? '\n' : e == 't' ? '\t' : e;
                    j += 2;
                    continue;
                }
                s += text[j++];
            }
            out.push_back(s);
            i = j + 1;
            continue;
        }
        i++;
    }
    return out;
}

void CheckLua(const Tree &tree, Facts *facts, Report *report)
{
    for (const std::string &rel : tree.Files()) {
        if (!EndsWith(rel, ".lua"))
            continue;
        std::string text, error;
        if (!ReadFile(tree.Native(rel), &text))
            continue;
        if (!Compiles(rel, text, &error)) {
            report->Add(rel, "does not compile: " + error);
            continue;
        }
        for (const std::string &s : LuaStrings(text))
            if (Tree::LooksLikeAsset(s))
                tree.CheckName(report, rel, s);
    }
    CheckUiScripts(tree, facts, report);
    CheckEffects(tree, facts, report);
}

}  // namespace contentcheck
