// Fuzzes the UI scripts: the input is a screen's UI script, run into a fresh UI set of a
// screen as the screen manager builds one (the shipped templates in place), with an
// instruction budget and a memory limit on the set's Lua state so that a script looping
// for ever or growing without end ends the run, not the fuzzer. The components it made
// are measured and updated, its event functions are called, and the set is freed.
#include "app/services/luaman.h"
#include "app/ui/screen-manager.h"
#include "app/ui/screen.h"
#include "app/ui/ui-comps.h"
#include "app/ui/ui-factory.h"
#include "app/ui/uiset.h"
#include "fuzz/fuzz_env.h"

#include <limits.h>
#include <stdio.h>
#include <stdlib.h>

#include <string>

namespace {

const size_t kMemoryLimit = 64 << 20;
size_t lua_bytes = 0;

void *LimitedAlloc(void *, void *ptr, size_t old_size, size_t new_size)
{
    if (new_size == 0) {
        free(ptr);
        lua_bytes -= old_size;
        return nullptr;
    }
    if (new_size > old_size && lua_bytes + (new_size - old_size) > kMemoryLimit)
        return nullptr;
    void *p = realloc(ptr, new_size);
    if (p)
        lua_bytes = lua_bytes - old_size + new_size;
    return p;
}

void OutOfInstructions(lua_State *L, lua_Debug *)
{
    luaL_error(L, "instruction budget spent");
}

// Calls that reach past the set being built (the screen stack, the screen registry, the
// engine's restart, another set for the screen): their own tests cover them, and a
// fuzzed script must not grow the process's registry of screens run after run.
const char *const kOutside[] = {"LoadUI", "CreateScreen", "PushScreen", "PopScreen", "PopAllScreens",
                                "SwitchScreen", "OrvexReInit", "OV_SignalShutdown", "OV_ReInit"};

void Limit(lua_State *L)
{
    for (const char *name : kOutside) {
        lua_pushnil(L);
        lua_setglobal(L, name);
    }
    lua_gc(L, LUA_GCCOLLECT, 0);
    lua_bytes = (size_t)lua_gc(L, LUA_GCCOUNT, 0) * 1024 + (size_t)lua_gc(L, LUA_GCCOUNTB, 0);
    lua_setallocf(L, LimitedAlloc, nullptr);
    lua_sethook(L, OutOfInstructions, LUA_MASKCOUNT, 200000);
}

std::string ReadText(const std::string &path)
{
    std::string text;
    FILE *f = fopen(path.c_str(), "rb");
    if (!f)
        return text;
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, f)) > 0)
        text.append(buf, n);
    fclose(f);
    return text;
}

Screen *screen = nullptr;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    fuzzenv::Start();
    ov->OV_CreateDirectory("res://ui");
    std::string templates = ReadText(ORVEX_CONTENT_DIR "/ui/templates.lua");
    if (templates.empty() || !fuzzenv::WriteResFile("ui/templates.lua", (const uint8_t *)templates.data(), templates.size()) ||
        !fuzzenv::WriteResFile("ui/autoexec.lua", (const uint8_t *)"", 0)) {
        fprintf(stderr, "fuzz_ui_script: no shipped templates\n");
        exit(1);
    }
    lua_man.Initialize();
    sman.InitScreens(1024, 768);
    screen = new Screen("Fuzzed");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size > INT_MAX)
        return 0;
    fuzzenv::BeginInput();
    if (!fuzzenv::WriteResFile("ui/fuzzed.lua", data, size))
        return 0;
    // The screen manager's build of a set (ScreenMan::GetUISetForScreen), with the
    // limits put on the state before the script runs.
    UISet *set = new UISet("ui/fuzzed.lua");
    set->owner = screen;
    screen->ui = set;
    if (set->L)
        Limit(set->L);
    UISet *outer = UICompFactory::GetBuildingSet();
    UICompFactory::SetBuildingSet(set);
    if (set->L)
        lua_man.ExecLuaFile(set->L, set->file);
    UICompFactory::SetBuildingSet(outer);
    for (int i = 0; i < set->comps.Count(); i++) {
        UIComp *comp = set->comps[i];
        comp->Precalculate();
        comp->loaded = true;
        comp->UpdateDimensions();
    }
    if (set->L) {
        for (const char *fn : {"OnLoad", "OnEnter", "OnLeave"})
            if (LuaManager::DoesLuaFunctionExist(set->L, fn))
                lua_man.CallLuaFunction(set->L, fn);
        if (LuaManager::DoesLuaFunctionExist(set->L, "OnUpdate"))
            lua_man.CallLuaFunctionN(set->L, "OnUpdate", 0.05);
        for (int i = 0; i < set->comps.Count() && i < 8; i++)
            if (LuaManager::DoesLuaFunctionExist(set->L, "OnClick"))
                lua_man.CallLuaFunctionS(set->L, "OnClick", set->comps[i]->name ? set->comps[i]->name : "");
    }
    for (int i = 0; i < set->comps.Count(); i++)
        set->comps[i]->Update(0.05f);
    screen->ui = nullptr;
    delete set;
    return 0;
}
