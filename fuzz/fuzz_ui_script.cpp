// Fuzzes the UI scripts: the input is a screen's UI script, run into a fresh UI set of a
// screen as the screen manager builds one (the shipped templates in place), with an
// instruction budget and a memory limit on the set's Lua state so that a script looping
// for ever or growing without end ends the run, not the fuzzer. The components it made
// are measured and updated, its event functions are called, and the set is freed.
#include "app/services/luaman.h"
#include "app/ui/screen-manager.h"
#include "app/ui/screen.h"
#include "app/ui/ui-comps.h"
#include "app/ui/uiset.h"
#include "fuzz/fuzz_env.h"

#include <limits.h>
#include <stdio.h>
#include <stdlib.h>

#include <string>

namespace {

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
    fuzzenv::LimitLua(L);
}

Screen *screen = nullptr;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    fuzzenv::Start();
    ov->OV_CreateDirectory("res://ui");
    std::string templates = fuzzenv::ReadText(ORVEX_CONTENT_DIR "/ui/templates.lua");
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
    set->BuildFromScript();
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
