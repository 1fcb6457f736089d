// The scriptable component (see ui-scriptable.h).
#include "app/ui/widgets/ui-scriptable.h"

#include "app/services/luaman.h"
#include "app/ui/screen-manager.h"
#include "app/ui/widgets/ui-widget-frame.h"
#include "app/ui/ui-factory.h"
#include "app/ui/uiset.h"

#include <lua.hpp>
#include <stdlib.h>
#include <string.h>

using namespace uiwidget;

namespace {

const char *const kMethodNames[UISCRIPT_NUM_METHODS] = {
    nullptr, "OnCreate", "OnDelete", "OnClick", "OnKeyPress", "OnUpdate", "OnDraw",
};

}  // namespace

UICompScriptable::UICompScriptable()
{
    ui_set = UICompFactory::GetBuildingSet();
}

UICompScriptable::~UICompScriptable()
{
    if (state)
        lua_man.CloseLuaState(state);
    free(script);
    free(pending_script_);
}

void UICompScriptable::CopyToClone(UICompScriptable *clone) const
{
    clone->ui_set = ui_set;
}

void UICompScriptable::SetScript(const char *file)
{
    if (calls_running_ > 0) {
        // The running state cannot be closed under its own call: wait for its end.
        free(pending_script_);
        pending_script_ = file ? strdup(file) : nullptr;
        replace_pending_ = true;
        return;
    }
    char *copy = strdup(file ? file : "");
    if (!copy)
        return;
    free(script);
    script = copy;
    if (state)
        lua_man.CloseLuaState(state);
    for (bool &m : methods)
        m = false;
    state = lua_man.OpenLuaState();
    if (!state)
        return;
    BeginCall();
    if (script[0])
        lua_man.ExecLuaFile(state, script);
    lua_man.SetLuaStateUserData(state, ui_set);
    DetectMethodImplementations();
    if (methods[UISCRIPT_ON_CREATE])
        lua_man.CallLuaFunction(state, "OnCreate");
    EndCall();
}

void UICompScriptable::EndCall()
{
    if (--calls_running_ > 0)
        return;
    // A script that keeps replacing itself from OnCreate would never settle.
    for (int rounds = 0; replace_pending_ && rounds < 16; rounds++) {
        replace_pending_ = false;
        char *next = pending_script_;
        pending_script_ = nullptr;
        SetScript(next);
        free(next);
    }
    if (replace_pending_) {
        ov->OV_Popupf(1, "Scriptable '%s' keeps replacing its script; '%s' stays.\n", name ? name : "",
                      GetScriptName());
        replace_pending_ = false;
        free(pending_script_);
        pending_script_ = nullptr;
    }
}

void UICompScriptable::DetectMethodImplementations()
{
    for (bool &m : methods)
        m = false;
    if (!state)
        return;
    for (int i = 1; i < UISCRIPT_NUM_METHODS; i++)
        methods[i] = LuaManager::DoesLuaFunctionExist(state, kMethodNames[i]);
}

bool UICompScriptable::IsMethodImplemented(int method) const
{
    return state && method >= 0 && method < UISCRIPT_NUM_METHODS && methods[method];
}

int UICompScriptable::ProcessClick()
{
    if (IsMethodImplemented(UISCRIPT_ON_CLICK)) {
        if (ui_set)
            ui_set->active_comp = this;
        BeginCall();
        lua_man.CallLuaFunction(state, "OnClick");
        EndCall();
        if (ui_set)
            ui_set->active_comp = nullptr;
    }
    return 1;
}

int UICompScriptable::ProcessKey(int key)
{
    if (!IsMethodImplemented(UISCRIPT_ON_KEY_PRESS))
        return 0;
    if (ui_set)
        ui_set->active_comp = this;
    BeginCall();
    lua_man.CallLuaFunctionS(state, "OnKeyPress", OV_GetKeyName(key));
    EndCall();
    return 1;
}

void UICompScriptable::Update(float dt)
{
    cycle_time += dt;
    if (cycle_time >= 1.0f)
        cycle_time -= 1.0f;
    if (IsMethodImplemented(UISCRIPT_ON_UPDATE)) {
        BeginCall();
        lua_man.CallLuaFunctionN(state, "OnUpdate", dt);
        EndCall();
    }
}

void UICompScriptable::Draw()
{
    const float a = GetStaticAlpha();
    SetDrawState(this, a * color.a);
    if (IsMethodImplemented(UISCRIPT_ON_DRAW)) {
        const vec2_t pos = GetAlignedPos();
        BeginCall();
        lua_man.CallLuaFunction2N(state, "OnDraw", pos.x, pos.y);
        EndCall();
    }
}

void UICompScriptable::EditUpdate(float) {}

// The script whatever the template has.
void UICompScriptable::ExportOwn(FILE *f, const UICompScriptable &)
{
    if (script && script[0])
        WriteLuaPropertyText(f, "scriptable.script", script);
}

int UICompScriptable::GetOwnProperty(const char *prop, lua_State *L)
{
    if (strcmp(prop, "scriptable.script") == 0) {
        lua_pushstring(L, GetScriptName());
        return 1;
    }
    ov->OV_Popupf(1, "UICompScriptable::GetProperty: Unknown Property '%s'\n", prop);
    return 0;
}

int UICompScriptable::SetOwnProperty(const char *prop, lua_State *L)
{
    if (strcmp(prop, "scriptable.script") == 0) {
        const int t = lua_type(L, 2);
        SetScript(t == LUA_TSTRING || t == LUA_TNUMBER ? lua_tostring(L, 2) : nullptr);
    } else {
        ov->OV_Popupf(1, "UICompScriptable::SetProperty: Unknown Property '%s'\n", prop);
    }
    return 0;
}

void UICompScriptable::InheritOwn(const UICompScriptable &t)
{
    if (&t != this) {
        char *copy = t.script ? strdup(t.script) : nullptr;
        SetScript(copy);
        free(copy);
    }
}
