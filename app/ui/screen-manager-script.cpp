// The screen manager's script functions: thin glue that finds the calling script's UI
// set through its Lua state's user pointer, looks up a screen or component by name and
// hands over to the screen manager, the screens or the components. Arguments are read
// with Lua's non-raising conversions; nothing here raises a Lua error, and functions
// that need a calling set return nothing without one.
#include "app/services/luaman.h"
#include "app/services/prog.h"
#include "app/ui/partfx.h"
#include "app/ui/screen-manager.h"
#include "app/ui/screen.h"
#include "app/ui/ui-comps.h"
#include "app/ui/ui-factory.h"
#include "app/ui/uiset.h"
#include "app/ui/widgets/ui-emitter.h"
#include "app/ui/widgets/ui-listbox.h"
#include "app/ui/widgets/ui-scriptable.h"
#include "nstring.h"

#include <lua.hpp>
#include <stdlib.h>
#include <string.h>

#include <algorithm>

namespace {

UISet *CallingSet(lua_State *L)
{
    return ScreenMan::GetStateUISet(L);
}

// A text argument (a number given there is turned into its text on the stack); null
// for other types.
const char *Text(lua_State *L, int index)
{
    const int t = lua_type(L, index);
    return t == LUA_TSTRING || t == LUA_TNUMBER ? lua_tostring(L, index) : nullptr;
}

// Pushes the names of a set's components in order; the count pushed.
int PushCompNames(lua_State *L, UISet *set)
{
    const int n = set ? set->GetNumberOfComps() : 0;
    int pushed = 0;
    for (int i = 0; i < n; i++) {
        if (!lua_checkstack(L, 1))
            break;
        UIComp *comp = set->GetCompByIndex(i);
        lua_pushstring(L, comp && comp->name ? comp->name : "");
        pushed++;
    }
    return pushed;
}

// The top screen's component of that name, or null.
UIComp *TopScreenComp(lua_State *L)
{
    Screen *top = sman.PeekScreen(0);
    const char *name = Text(L, 1);
    return top && name ? top->GetComp(name) : nullptr;
}

// A screen key after a screen path ("/:key", "/Screen:key"): the text after the
// first ':' of the path, matched without case.
void SetScreenKey(Screen *screen, const char *path, lua_State *L)
{
    const char *colon = strchr(path, ':');
    const char *key = colon ? colon + 1 : "";
    if (nStringsMatchIncaseSensitive(key, "default_comp")) {
        const char *comp_name = Text(L, 2);
        screen->default_comp = comp_name ? screen->GetComp(comp_name) : nullptr;
    } else if (nStringsMatchIncaseSensitive(key, "enter_trans_duration")) {
        screen->SetEnterTransDuration(LuaToFloat(L, 2));
    } else if (nStringsMatchIncaseSensitive(key, "leave_trans_duration")) {
        screen->SetLeaveTransDuration(LuaToFloat(L, 2));
    } else if (nStringsMatchIncaseSensitive(key, "covers_screen")) {
        screen->covers_screen = lua_toboolean(L, 2) != 0;
    } else if (nStringsMatchIncaseSensitive(key, "trans")) {
        screen->trans_phase = LuaToFloat(L, 2);
    }
}

}  // namespace

// 1
int luaf_LoadUI(lua_State *L)
{
    UISet *set = CallingSet(L);
    if (set && set->owner)
        set->owner->LoadUI(Text(L, 1));
    return 0;
}

// 2
int luaf_UIEvents(lua_State *L)
{
    UISet *set = CallingSet(L);
    if (!set)
        return 0;
    const char *file = Text(L, 1);
    char *copy = file ? strdup(file) : nullptr;
    free(set->events_file);
    set->events_file = copy;
    if (!set->L)
        return 0;
    if (file)
        lua_man.ExecLuaFile(set->L, file);
    lua_State *S = set->L;
    set->has_OnCursorEnter = LuaManager::DoesLuaFunctionExist(S, "OnCursorEnter");
    set->has_OnDrawComp = LuaManager::DoesLuaFunctionExist(S, "OnDrawComp");
    set->has_OnMouseDown = LuaManager::DoesLuaFunctionExist(S, "OnMouseDown");
    set->has_OnMouseUp = LuaManager::DoesLuaFunctionExist(S, "OnMouseUp");
    set->has_OnKeyDown = LuaManager::DoesLuaFunctionExist(S, "OnKeyDown");
    set->has_OnKeyUp = LuaManager::DoesLuaFunctionExist(S, "OnKeyUp");
    set->has_OnEnter = LuaManager::DoesLuaFunctionExist(S, "OnEnter");
    set->has_OnLeave = LuaManager::DoesLuaFunctionExist(S, "OnLeave");
    set->has_OnUpdate = LuaManager::DoesLuaFunctionExist(S, "OnUpdate");
    set->has_OnDraw = LuaManager::DoesLuaFunctionExist(S, "OnDraw");
    return 0;
}

// 3
int luaf_CreateScreen(lua_State *L)
{
    const char *name = Text(L, 1);
    if (name)
        sman.CreateScreenScripted(name, Text(L, 2));
    return 0;
}

// 4
int luaf_IsIntervalElapsed(lua_State *L)
{
    lua_pushboolean(L, sman.IsIntervalElapsed(LuaToFloat(L, 1)));
    return 1;
}

// The list box of that name in the calling set, or null.
static UICompListbox *Listbox(lua_State *L)
{
    UISet *set = CallingSet(L);
    const char *name = Text(L, 1);
    UIComp *comp = set && name ? set->GetComp(name) : nullptr;
    return comp && comp->type == UICOMP_LISTBOX ? dynamic_cast<UICompListbox *>(comp) : nullptr;
}

// 5
int luaf_ClearListbox(lua_State *L)
{
    if (UICompListbox *list = Listbox(L))
        list->ClearLines();
    return 0;
}

// 6
int luaf_AddListboxLine(lua_State *L)
{
    const char *text = Text(L, 2);
    if (UICompListbox *list = Listbox(L))
        list->AddLine(nullptr, "%s", text ? text : "");
    return 0;
}

// 7
int luaf_SetListboxLineTextRight(lua_State *L)
{
    const char *text = Text(L, 2);
    if (UICompListbox *list = Listbox(L))
        list->SetLineTextRight(list->GetNumberOfLines() - 1, "%s", text ? text : "");
    return 0;
}

// 8: the bitmap's reference goes to the last line, which gives it back when its bitmap
// is replaced or cleared; nothing is loaded without a line to take it.
int luaf_SetListboxLineBitmap(lua_State *L)
{
    UICompListbox *list = Listbox(L);
    const char *bitmap_name = Text(L, 2);
    if (!list || list->GetNumberOfLines() < 1 || !bitmap_name)
        return 0;
    ov_bitmap_t *bitmap = ov->OV_LoadBitmap(bitmap_name, sman.cache_flags);
    if (!list->SetLineBitmapCounted(list->GetNumberOfLines() - 1, bitmap) && bitmap)
        ov->OV_ReleaseBitmap(bitmap);
    return 0;
}

// 9
int luaf_ScrollListboxUp(lua_State *L)
{
    if (UICompListbox *list = Listbox(L))
        list->ScrollListbox(false);
    return 0;
}

// 10
int luaf_ScrollListboxDown(lua_State *L)
{
    if (UICompListbox *list = Listbox(L))
        list->ScrollListbox(true);
    return 0;
}

// 11
int luaf_SpawnEmitterFX(lua_State *L)
{
    UISet *set = CallingSet(L);
    const char *comp_name = Text(L, 1);
    UICompEmitter *emitter = set && comp_name ? dynamic_cast<UICompEmitter *>(set->GetComp(comp_name)) : nullptr;
    const char *effect = Text(L, 2);
    if (!emitter || emitter->type != UICOMP_EMITTER || !effect)
        return 0;
    // Screen units into the emitter's own particle space around its static position.
    const vec2_t s = emitter->GetStaticPos();
    const float ds = emitter->GetDynamicScale() != 0.0f ? emitter->GetDynamicScale() : 1.0f;
    const vec2_t at = {(LuaToFloat(L, 3) - s.x) / ds, (LuaToFloat(L, 4) - s.y) / ds};
    // The sixth argument scales the effect (its particles' size, spread, speed and mass,
    // as the system's reference scale does) for this spawn only; a missing, zero,
    // negative or endless one leaves it at its own size. The particles start at once.
    float scale = LuaToFloat(L, 6);
    if (!(scale > 0.0f) || !(scale < 1.0e6f))
        scale = 1.0f;
    PartMan &system = emitter->particles;
    const float own_scale = system.reference_scale;
    system.reference_scale = own_scale * scale;
    pbman.SpawnFX(&system, pbman.GetFX(effect), at, LuaToFloat(L, 5), 0.0f);
    system.reference_scale = own_scale;
    return 0;
}

// 12
int luaf_ResetEmitter(lua_State *L)
{
    UISet *set = CallingSet(L);
    const char *comp_name = Text(L, 1);
    UICompEmitter *emitter = set && comp_name ? dynamic_cast<UICompEmitter *>(set->GetComp(comp_name)) : nullptr;
    if (emitter && emitter->type == UICOMP_EMITTER)
        emitter->particles.ResetParts();
    return 0;
}

// 13
int luaf_SetEmitterParticlePoolSize(lua_State *L)
{
    UISet *set = CallingSet(L);
    const char *comp_name = Text(L, 1);
    UICompEmitter *emitter = set && comp_name ? dynamic_cast<UICompEmitter *>(set->GetComp(comp_name)) : nullptr;
    if (emitter && emitter->type == UICOMP_EMITTER)
        emitter->particles.ResetAndResizePool(std::min(std::max(LuaToInt(L, 2), 0), 65536));   // a script cannot ask for gigabytes
    return 0;
}

// 14
int luaf_CreateComp(lua_State *L)
{
    UISet *set = CallingSet(L);
    if (!set)
        return 0;
    UISet *before = UICompFactory::GetBuildingSet();
    UICompFactory::SetBuildingSet(set);
    UIComp *comp = UICompFactory::Generate(Text(L, 2), Text(L, 1));
    UICompFactory::SetBuildingSet(before);
    set->active_comp = comp;
    set->comps.InsertLast(comp);
    comp->owner = set->owner;
    if (UICompScriptable *scriptable = dynamic_cast<UICompScriptable *>(comp))
        scriptable->ui_set = set;
    return 0;
}

// 15
int luaf_SetProperty(lua_State *L)
{
    UISet *set = CallingSet(L);
    const char *path = Text(L, 1);
    if (!set || !path)
        return 0;
    char property[UI_PROPERTY_MAX];
    Screen *screen = nullptr;
    UIComp *comp = ResolveCompProperty(set, path, property, &screen);
    if (comp)
        comp->SetProperty(property, L);
    else if (screen)
        SetScreenKey(screen, path, L);
    return 0;
}

// 16
int luaf_GetProperty(lua_State *L)
{
    UISet *set = CallingSet(L);
    const char *path = Text(L, 1);
    if (!set || !path)
        return 0;
    char property[UI_PROPERTY_MAX];
    Screen *screen = nullptr;
    UIComp *comp = ResolveCompProperty(set, path, property, &screen);
    if (comp) {
        const int n = comp->GetProperty(property, L);
        return n > 0 ? n : 0;
    }
    if (!screen)
        return 0;
    const char *colon = strchr(path, ':');
    const char *key = colon ? colon + 1 : "";
    if (nStringsMatchIncaseSensitive(key, "name")) {
        lua_pushstring(L, screen->name ? screen->name : "");
        return 1;
    }
    if (nStringsMatchIncaseSensitive(key, "trans")) {
        lua_pushnumber(L, screen->trans_phase);
        return 1;
    }
    return 0;
}

// 17
int luaf_UICompEvent(lua_State *L)
{
    UISet *set = CallingSet(L);
    UIComp *comp = set ? set->active_comp : nullptr;
    const char *word = Text(L, 1);
    if (!comp || !word)
        return 0;
    for (int i = 0; i < 6; i++) {
        if (nStringsMatchIncaseSensitive(word, UIComp::GetScriptWord(i))) {
            comp->SetScript(i, Text(L, 2));
            break;
        }
    }
    return 0;
}

// 18
int luaf_DoesCompExist(lua_State *L)
{
    UISet *set = CallingSet(L);
    const char *name = Text(L, 1);
    lua_pushboolean(L, set && name && set->GetComp(name) != nullptr);
    return 1;
}

// 19
int luaf_GetCompList(lua_State *L)
{
    UISet *set = nullptr;
    if (const char *screen_name = Text(L, 1)) {
        Screen *screen = Screen::GetScreen(screen_name);
        set = screen ? screen->ui : nullptr;
    } else {
        set = CallingSet(L);
    }
    return PushCompNames(L, set);
}

// 20
int luaf_SendScreenMessage(lua_State *L)
{
    UISet *set = CallingSet(L);
    const char *name = Text(L, 1);
    if (!set || !name)
        return 0;
    Screen *to = Screen::GetScreen(name);
    if (!to)
        return 0;
    sman.SendScreenMessage(set->owner, to, Text(L, 2), Text(L, 3));
    lua_pushboolean(L, 1);
    return 1;
}

// 21
int luaf_GetComps(lua_State *L)
{
    return PushCompNames(L, CallingSet(L));
}

// 22
int luaf_GetActiveCompName(lua_State *L)
{
    UISet *set = CallingSet(L);
    if (!set)
        return 0;
    UIComp *comp = set->active_comp;
    lua_pushstring(L, comp && comp->name ? comp->name : "");
    return 1;
}

// 23
int luaf_IsScreenLeaving(lua_State *L)
{
    if (const char *name = Text(L, 1)) {
        Screen *screen = Screen::GetScreen(name);
        lua_pushboolean(L, screen && screen->leaving);
        return 1;
    }
    UISet *set = CallingSet(L);
    if (!set)
        return 0;
    lua_pushboolean(L, set->owner && set->owner->leaving);
    return 1;
}

// 24
int luaf_GetActiveScreenTransPhase(lua_State *L)
{
    UISet *set = CallingSet(L);
    if (!set)
        return 0;
    lua_pushnumber(L, set->owner ? set->owner->trans_phase : 0.0);
    return 1;
}

// 25
int luaf_GetScreenTransPhase(lua_State *L)
{
    const char *name = Text(L, 1);
    Screen *screen = name ? Screen::GetScreen(name) : nullptr;
    if (!screen)
        return 0;
    lua_pushnumber(L, screen->trans_phase);
    return 1;
}

// 26
int luaf_GetActiveScreenAnimKey(lua_State *L)
{
    UISet *set = CallingSet(L);
    lua_pushnumber(L, set && set->owner ? set->owner->anim_key : 0.0);
    return 1;
}

// 27
int luaf_GetActiveScreenTimer(lua_State *L)
{
    UISet *set = CallingSet(L);
    if (!set)
        return 0;
    lua_pushnumber(L, set->owner ? set->owner->timer : 0.0);
    return 1;
}

// 28 to 36
int luaf_GetVirtualScreenPosX(lua_State *L)
{
    lua_pushinteger(L, (int)sman.virtual_x);
    return 1;
}
int luaf_GetVirtualScreenPosY(lua_State *L)
{
    lua_pushinteger(L, (int)sman.virtual_y);
    return 1;
}
int luaf_GetVirtualScreenWidth(lua_State *L)
{
    lua_pushinteger(L, sman.virtual_width);
    return 1;
}
int luaf_GetVirtualScreenHeight(lua_State *L)
{
    lua_pushinteger(L, sman.virtual_height);
    return 1;
}
int luaf_GetScreenReferenceScale(lua_State *L)
{
    lua_pushnumber(L, sman.reference_scale_min);
    return 1;
}
int luaf_GetScreenReferenceScaleBasedOnWidth(lua_State *L)
{
    lua_pushnumber(L, sman.reference_scale_x);
    return 1;
}
int luaf_GetScreenReferenceScaleBasedOnHeight(lua_State *L)
{
    lua_pushnumber(L, sman.reference_scale_y);
    return 1;
}
int luaf_GetScreenReferenceWidth(lua_State *L)
{
    lua_pushinteger(L, sman.reference_width);
    return 1;
}
int luaf_GetScreenReferenceHeight(lua_State *L)
{
    lua_pushinteger(L, sman.reference_height);
    return 1;
}

// 37 to 39: nothing when the stack is empty or the top screen has no such component.
int luaf_IsCursorOver(lua_State *L)
{
    UIComp *comp = TopScreenComp(L);
    if (!comp)
        return 0;
    lua_pushboolean(L, sman.IsCursorOver(comp));
    return 1;
}
int luaf_IsCursorFocusOver(lua_State *L)
{
    UIComp *comp = TopScreenComp(L);
    if (!comp)
        return 0;
    lua_pushboolean(L, sman.IsCursorFocusOver(comp));
    return 1;
}
int luaf_IsCursorLockedTo(lua_State *L)
{
    UIComp *comp = TopScreenComp(L);
    if (!comp)
        return 0;
    lua_pushboolean(L, sman.IsCursorLockedTo(comp));
    return 1;
}

// 40
int luaf_IsEditModeActive(lua_State *L)
{
    lua_pushboolean(L, sman.edit_mode);
    return 1;
}

// 41
int luaf_SetUIFocus(lua_State *L)
{
    UISet *set = CallingSet(L);
    const char *name = Text(L, 1);
    UIComp *comp = set && name ? set->GetComp(name) : nullptr;
    if (comp)
        sman.SetCursorFocus(comp);
    return 0;
}

// 42
int luaf_OV_SetCursor(lua_State *L)
{
    const char *word = Text(L, 1);
    if (word && nStringsMatchIncaseSensitive(word, "ARROW"))
        sman.cursor_shape = "ARROW";
    else if (word && nStringsMatchIncaseSensitive(word, "FINGER_POINT"))
        sman.cursor_shape = "FINGER_POINT";
    ov->OVD_SetCursor(word);
    return 0;
}

// 43
int luaf_IsScreenInStack(lua_State *L)
{
    const char *name = Text(L, 1);
    lua_pushboolean(L, name && sman.IsScreenInStack(name));
    return 1;
}

// 44
int luaf_IsTopScreen(lua_State *L)
{
    UISet *set = CallingSet(L);
    if (!set)
        return 0;
    Screen *top = sman.PeekScreen(0);
    lua_pushboolean(L, top && top->ui == set);
    return 1;
}

// 45
int luaf_PeekScreen(lua_State *L)
{
    Screen *screen = sman.PeekScreen(LuaToInt(L, 1));
    if (!screen)
        return 0;
    lua_pushstring(L, screen->name ? screen->name : "");
    return 1;
}

// 46
int luaf_GetNumberOfScreensInStack(lua_State *L)
{
    lua_pushinteger(L, sman.GetNumberOfScreensInStack());
    return 1;
}

// 47
int luaf_PushScreen(lua_State *L)
{
    const char *name = Text(L, 1);
    if (name)
        sman.PushScreen(name, LuaToInt(L, 2));
    return 0;
}

// 48: without a name, the stacked screen whose set is the caller's.
int luaf_PopScreen(lua_State *L)
{
    Screen *screen = nullptr;
    if (const char *name = Text(L, 1)) {
        screen = Screen::GetScreen(name);
    } else {
        UISet *set = CallingSet(L);
        screen = set ? sman.GetScreenFromStackWithUISet(set) : nullptr;
    }
    if (screen && sman.IsScreenInStack(screen))
        sman.PopScreen(screen, true);
    return 0;
}

// 49
int luaf_PopAllScreens(lua_State *L)
{
    sman.PopAllScreens();
    return 0;
}

// 50
int luaf_SwitchScreen(lua_State *L)
{
    const char *name = Text(L, 1);
    ov->OV_Printf("Switching screen to '%s'\n", name ? name : "");
    Screen *screen = name ? Screen::PeekScreen(name) : nullptr;
    if (!screen) {
        ov->OV_Popupf(1, "Screen '%s' not found.\n", name ? name : "");
        return 0;
    }
    sman.StartScreenTransition(screen, "Fade", true);
    return 0;
}

// 51
int luaf_OrvexReInit(lua_State *L)
{
    ov->OV_ReInit();
    sman.SetVirtualScreenDimensions(prog.parms.width, prog.parms.height);
    return 0;
}

// 52
int luaf_PrintAllScreens(lua_State *L)
{
    for (int i = 0;; i++) {
        Screen *screen = Screen::GetScreenByIndex(i);
        if (!screen)
            break;
        ov->OV_Printf("Screen #%d: '%s' (%s)\n", i + 1, screen->name ? screen->name : "",
                      screen->preloaded.load(std::memory_order_acquire) ? "Preloaded" : "Not Preloaded");
    }
    return 0;
}

// 53
int luaf_Screens(lua_State *L)
{
    for (int i = 0; i < sman.stack.Count(); i++) {
        Screen *screen = sman.stack[i];
        ov->OV_Printf("%d '%s'\n", i + 1, screen && screen->name ? screen->name : "");
    }
    return 0;
}

namespace {

// In the order of the function table.
const luaL_Reg kScreenManFunctions[] = {
    {"LoadUI", luaf_LoadUI},
    {"UIEvents", luaf_UIEvents},
    {"CreateScreen", luaf_CreateScreen},
    {"IsIntervalElapsed", luaf_IsIntervalElapsed},
    {"ClearListbox", luaf_ClearListbox},
    {"AddListboxLine", luaf_AddListboxLine},
    {"SetListboxLineTextRight", luaf_SetListboxLineTextRight},
    {"SetListboxLineBitmap", luaf_SetListboxLineBitmap},
    {"ScrollListboxUp", luaf_ScrollListboxUp},
    {"ScrollListboxDown", luaf_ScrollListboxDown},
    {"SpawnEmitterFX", luaf_SpawnEmitterFX},
    {"ResetEmitter", luaf_ResetEmitter},
    {"SetEmitterParticlePoolSize", luaf_SetEmitterParticlePoolSize},
    {"CreateComp", luaf_CreateComp},
    {"SetProperty", luaf_SetProperty},
    {"GetProperty", luaf_GetProperty},
    {"UICompEvent", luaf_UICompEvent},
    {"DoesCompExist", luaf_DoesCompExist},
    {"GetCompList", luaf_GetCompList},
    {"SendScreenMessage", luaf_SendScreenMessage},
    {"GetComps", luaf_GetComps},
    {"GetActiveCompName", luaf_GetActiveCompName},
    {"IsScreenLeaving", luaf_IsScreenLeaving},
    {"GetActiveScreenTransPhase", luaf_GetActiveScreenTransPhase},
    {"GetScreenTransPhase", luaf_GetScreenTransPhase},
    {"GetActiveScreenAnimKey", luaf_GetActiveScreenAnimKey},
    {"GetActiveScreenTimer", luaf_GetActiveScreenTimer},
    {"GetScreenPosX", luaf_GetVirtualScreenPosX},
    {"GetScreenPosY", luaf_GetVirtualScreenPosY},
    {"GetScreenWidth", luaf_GetVirtualScreenWidth},
    {"GetScreenHeight", luaf_GetVirtualScreenHeight},
    {"GetScreenReferenceScale", luaf_GetScreenReferenceScale},
    {"GetScreenReferenceScaleBasedOnWidth", luaf_GetScreenReferenceScaleBasedOnWidth},
    {"GetScreenReferenceScaleBasedOnHeight", luaf_GetScreenReferenceScaleBasedOnHeight},
    {"GetScreenReferenceWidth", luaf_GetScreenReferenceWidth},
    {"GetScreenReferenceHeight", luaf_GetScreenReferenceHeight},
    {"IsCursorOver", luaf_IsCursorOver},
    {"IsCursorFocusOver", luaf_IsCursorFocusOver},
    {"IsCursorLockedTo", luaf_IsCursorLockedTo},
    {"IsEditModeActive", luaf_IsEditModeActive},
    {"SetUIFocus", luaf_SetUIFocus},
    {"OV_SetCursor", luaf_OV_SetCursor},
    {"IsScreenInStack", luaf_IsScreenInStack},
    {"IsTopScreen", luaf_IsTopScreen},
    {"PeekScreen", luaf_PeekScreen},
    {"GetNumberOfScreensInStack", luaf_GetNumberOfScreensInStack},
    {"PushScreen", luaf_PushScreen},
    {"PopScreen", luaf_PopScreen},
    {"PopAllScreens", luaf_PopAllScreens},
    {"SwitchScreen", luaf_SwitchScreen},
    {"OrvexReInit", luaf_OrvexReInit},
    {"PrintAllScreens", luaf_PrintAllScreens},
    {"Screens", luaf_Screens},
    {nullptr, nullptr},
};

}  // namespace

void RegisterScreenManScriptFunctions()
{
    for (const luaL_Reg *r = kScreenManFunctions; r->name; r++)
        lua_man.AddLuaFunction(r->name, r->func);
}
