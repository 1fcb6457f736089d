// The Lua limits of the fuzz environment (see fuzz_env.h), apart from the rest so that
// the programs that run no script do not link Lua.
#include "fuzz/fuzz_env.h"

#include <lua.hpp>
#include <stdlib.h>

namespace {

// What the limited Lua state holds, and how much it may.
const size_t kLuaMemoryLimit = 64 << 20;
size_t s_lua_bytes = 0;

void *LimitedAlloc(void *, void *ptr, size_t old_size, size_t new_size)
{
    if (new_size == 0) {
        free(ptr);
        s_lua_bytes -= old_size;
        return nullptr;
    }
    if (new_size > old_size && s_lua_bytes + (new_size - old_size) > kLuaMemoryLimit)
        return nullptr;
    void *p = realloc(ptr, new_size);
    if (p)
        s_lua_bytes = s_lua_bytes - old_size + new_size;
    return p;
}

void OutOfInstructions(lua_State *L, lua_Debug *)
{
    luaL_error(L, "instruction budget spent");
}

}  // namespace

namespace fuzzenv {

void LimitLua(lua_State *L)
{
    lua_gc(L, LUA_GCCOLLECT, 0);
    s_lua_bytes = (size_t)lua_gc(L, LUA_GCCOUNT, 0) * 1024 + (size_t)lua_gc(L, LUA_GCCOUNTB, 0);
    lua_setallocf(L, LimitedAlloc, nullptr);
    lua_sethook(L, OutOfInstructions, LUA_MASKCOUNT, 200000);
}

}  // namespace fuzzenv
