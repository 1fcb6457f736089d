// The screen stack: push, the pop variants, the enter and leave procedures, switching
// through the transition screen and the stack queries. A deferred pop only marks the
// screen leaving; the frame update fades it out and pops it, and removes the entry at
// the end of the frame (screen-manager-frame.cpp).
#include "app/services/featureman.h"
#include "app/services/luaman.h"
#include "app/ui/screen-manager.h"
#include "app/ui/screen.h"
#include "app/ui/transition.h"
#include "app/ui/ui-comps.h"
#include "app/ui/uiset.h"

#include <string.h>

namespace {

int IndexOf(const nArray<Screen *> &stack, Screen *screen)
{
    for (int i = 0; i < stack.Count(); i++)
        if (stack[i] == screen)
            return i;
    return -1;
}

bool SetHolds(UISet *set, UIComp *comp)
{
    if (!set || !comp)
        return false;
    for (int i = 0; i < set->comps.Count(); i++)
        if (set->comps[i] == comp)
            return true;
    return false;
}

}  // namespace

void ScreenMan::PushScreen(Screen *screen, int depth)
{
    int count = stack.Count();
    if (depth < 0 || depth > count) {
        ov->OV_Popupf(1, "ScreenMan::PushScreen at_depth (%d) out of range (0..%d)", depth, count);
        return;
    }
    if (!screen)
        return;
    if (!screen->preloaded.load(std::memory_order_acquire)) {
        ov->OV_Popupf(1, "ScreenMan::PushScreen Trying to push screen '%s' which has not been preloaded yet.\n",
                      screen->name);
        return;
    }
    if (IndexOf(stack, screen) >= 0) {
        ov->OV_Popupf(1, "ScreenMan::PushScreen Screen '%s' already in stack (leaving=%s). Not doing anything.\n",
                      screen->name, screen->leaving ? "TRUE" : "FALSE");
        return;
    }
    uint32_t start = ov->OV_GetTime();
    UnlockCursors();
    int index = count - depth;
    stack.Insert(index > 0 ? index : 0, screen);
    ov->OV_Printf("PushScreen: '%s'\n", screen->name);
    screen->in_stack = true;
    screen->shown = false;
    DoScreenEnterProcedure(screen);
    ov->OV_Printf("PushScreen '%s' took %d msecs.\n", screen->name, (int)(ov->OV_GetTime() - start));
}

void ScreenMan::PushScreen(const char *name, int depth)
{
    PushScreen(Screen::GetScreen(name), depth);
}

void ScreenMan::DoScreenEnterProcedure(Screen *screen)
{
    if (screen->entered) {
        ov->OV_Printf("Skipping Screen '%s' Enter Procedure.\n", screen->name);
        return;
    }
    uint32_t start = ov->OV_GetTime();
    screen->leaving = false;
    screen->entered = true;
    screen->trans_phase = 0.0f;
    screen->left = false;
    if (UISet *set = screen->ui) {
        uint32_t cache_start = ov->OV_GetTime();
        set->ApplyCacheModeOnEnter();
        ov->OV_Printf("Screen '%s' Enter Procedure ApplyCacheModeOnEnter took %d msecs.\n", screen->name,
                      (int)(ov->OV_GetTime() - cache_start));
    }
    screen->Enter();
    // The set is looked up again: Enter may load another UI.
    if (UISet *set = screen->ui) {
        for (int i = 0; i < set->comps.Count(); i++)
            set->comps[i]->OnScreenEnter(screen);
        if (set->L) {
            if (trace_lua_calls)
                ov->OV_PrintDebugf(0, "%s::OnEnter ()\n", set->events_file ? set->events_file : "");
            if (set->has_OnEnter)
                lua_man.CallLuaFunction(set->L, "OnEnter");
            if (set->has_OnUpdate)
                lua_man.CallLuaFunctionN(set->L, "OnUpdate", 0.0);
        }
    }
    screen->Update(0.0f);
    ov->OV_Printf("Screen '%s' Enter Procedure took %d msecs.\n", screen->name, (int)(ov->OV_GetTime() - start));
}

void ScreenMan::DoScreenLeaveProcedure(Screen *screen)
{
    if (screen->left)
        return;
    screen->left = true;
    screen->entered = false;
    screen->Leave();
    if (UISet *set = screen->ui) {
        if (set->L && set->has_OnLeave) {
            if (trace_lua_calls)
                ov->OV_PrintDebugf(0, "%s::OnLeave ()\n", set->events_file ? set->events_file : "");
            lua_man.CallLuaFunction(set->L, "OnLeave");
        }
    }
    if (UISet *set = screen->ui) {
        for (int i = 0; i < set->comps.Count(); i++)
            set->comps[i]->OnScreenLeave(screen);
        set->ApplyCacheModeOnLeave();
    }
}

// What follows a completed pop: the follow-up on top, then the screen itself again when
// it asked to be pushed back (its old entry goes first, or the push would be refused).
static void FinishPop(ScreenMan &sm, Screen *screen)
{
    if (Screen *follow = screen->follow_up) {
        sm.PushScreen(follow, 0);
        screen->follow_up = nullptr;
    }
    if (screen->repush_after_pop) {
        screen->repush_after_pop = false;
        int index = IndexOf(sm.stack, screen);
        if (index >= 0) {
            ov->OV_Printf("Removing '%s' from Screen Stack\n", screen->name);
            sm.stack.Remove(index);
        }
        sm.PushScreen(screen, 0);
    }
}

Screen *ScreenMan::PopScreen(Screen *screen, bool deferred)
{
    if (!screen)
        return nullptr;
    if (deferred) {
        screen->leaving = true;
        return screen;
    }
    for (int i = 0; i < num_cursors && i < UI_MAX_CURSORS; i++) {
        if (cursors[i].idle_time <= UI_CURSOR_IDLE_LIMIT && SetHolds(screen->ui, cursors[i].locked)) {
            UnlockCursors();
            break;
        }
    }
    if (IndexOf(stack, screen) < 0)
        return nullptr;
    screen->leaving = true;
    if (screen->in_stack)
        DoScreenLeaveProcedure(screen);
    screen->shown = false;
    screen->in_stack = false;
    FinishPop(*this, screen);
    return screen;
}

Screen *ScreenMan::PopScreen(int depth)
{
    UnlockCursors();
    int count = stack.Count();
    if (count == 0)
        return nullptr;
    int index = depth < 0 ? count - 1 : count - 1 - depth;
    Screen *screen = stack[index > 0 ? index : 0];
    if (screen->in_stack)
        DoScreenLeaveProcedure(screen);
    screen->in_stack = false;
    FinishPop(*this, screen);
    return screen;
}

Screen *ScreenMan::PopScreen(const char *name)
{
    return PopScreen(Screen::GetScreen(name), true);
}

void ScreenMan::PopAllScreens()
{
    UnlockCursors();
    for (int i = stack.Count() - 1; i >= 0; i--)
        PopScreen(stack[i], true);
}

void ScreenMan::SwitchScreen(const char *name)
{
    if (Screen *screen = Screen::GetScreen(name))
        StartScreenTransition(screen);
}

void ScreenMan::StartScreenTransition(Screen *target, const char *, bool)
{
    screen_transition.target = target;
    if (IndexOf(stack, &screen_transition) >= 0)
        screen_transition.leaving = false;
    else
        PushScreen(&screen_transition, 0);
}

bool ScreenMan::PreloadScreen(Screen *screen)
{
    return Screen::PreLoadScreen(screen);
}

bool ScreenMan::IsScreenInStack(Screen *screen)
{
    return screen && IndexOf(stack, screen) >= 0;
}

bool ScreenMan::IsScreenInStack(const char *name)
{
    return IsScreenInStack(Screen::GetScreen(name));
}

int ScreenMan::GetScreenIndexInStack(Screen *screen)
{
    return IndexOf(stack, screen);
}

void ScreenMan::CopyScreensBelow(Screen *screen, nArray<Screen *> *out)
{
    out->Clear();
    for (int i = 0; i < stack.Count() && stack[i] != screen; i++)
        out->InsertLast(stack[i]);
}

bool ScreenMan::IsNewsOnTop()
{
    Screen *top = PeekScreen(0);
    return top && top->name && strcmp(top->name, "TalvikNews") == 0 && feature_man.ProductFeatureExists("NEWS");
}

Screen *ScreenMan::GetScreenFromStackWithUISet(UISet *set)
{
    for (int i = 0; i < stack.Count(); i++)
        if (stack[i]->ui == set)
            return stack[i];
    return nullptr;
}

Screen *ScreenMan::PeekScreen(int depth)
{
    int count = stack.Count();
    if (count == 0)
        return nullptr;
    int index = depth < 0 ? count - 1 : count - 1 - depth;
    return stack[index > 0 ? index : 0];
}
