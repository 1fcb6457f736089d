// Fuzzes the particle effect library's file runner: the input is an effect file, run
// into a fresh effect table; every burst of the resulting chain is checked against the
// table's limits, spawned into a small particle system and updated for a few frames.
// The effect library's Lua state gets an instruction budget and a memory limit here, so
// that a file looping for ever or growing without end ends the run, not the fuzzer.
// The engine's built-in functions are taken out of the state: they have their own
// tests, and calls such as creating a bitmap of any size are not the runner's input.
#include "app/services/luaman-builtins.h"
#include "app/ui/partfx.h"
#include "fuzz/fuzz_env.h"

#include <limits.h>
#include <stdlib.h>

namespace {

// A fresh table and Lua state with the limits set.
void FreshLibrary()
{
    pbman.Shutdown();
    pbman.Init();
    lua_State *L = pbman.GetLuaState();
    if (!L)
        __builtin_trap();
    for (const luaL_Reg *r = LuaGetBuiltins(); r->name; r++) {
        lua_pushnil(L);
        lua_setglobal(L, r->name);
    }
    fuzzenv::LimitLua(L);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    fuzzenv::Start();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size > INT_MAX)
        return 0;
    fuzzenv::BeginInput();
    if (!fuzzenv::WriteResFile("fx-in.lua", data, size))
        return 0;
    FreshLibrary();
    fx_t *fx = pbman.GetFX("fx-in.lua");
    if (!fx || pbman.GetNumberOfSlots() < 1 || pbman.GetNumberOfSlots() > FX_MAX_SLOTS)
        __builtin_trap();
    for (int i = 0; i < pbman.GetNumberOfSlots(); i++) {
        fx_t *b = pbman.GetSlot(i);
        if (b->alpha_graph.count < 1 || b->alpha_graph.count > PART_GRAPH_MAX_POINTS ||
            b->scale_graph.count < 1 || b->scale_graph.count > PART_GRAPH_MAX_POINTS ||
            b->num_bitmaps < 0 || b->num_bitmaps > FX_MAX_BITMAPS || b->num_sounds < 0 ||
            b->num_sounds > FX_MAX_SOUNDS || b->num_parts < 0 || b->emitter_name)
            __builtin_trap();
        if (b->chained && i + 1 >= pbman.GetNumberOfSlots())
            __builtin_trap();
    }
    PartMan system(64);
    pbman.SpawnFX(&system, fx, vec2_t{10, 20}, 0.5f, 0.1f);
    pbman.SpawnFXTrail(&system, fx, vec2_t{0, 0}, vec2_t{30, 40}, 1, 10, 0);
    for (int frame = 0; frame < 5; frame++)
        system.UpdateParts(0.05f);
    if (system.GetLiveCount() < 0 || system.GetLiveCount() > system.GetPoolSize())
        __builtin_trap();
    return 0;
}
