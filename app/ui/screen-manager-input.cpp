// Event dispatch and cursors: every engine event the application hook passes on goes
// to the top screen's components and the top screen, the focused components, cursor 0
// (pointer 0), the developer keys and the top screen's Lua key and mouse callbacks.
// Cursors find the component under them, lock onto it when pressed and click it when
// the press ends over it; the game-pad cursor moves between interactive components.
#include "app/services/audioman.h"
#include "app/services/key-state.h"
#include "app/services/luaman.h"
#include "app/services/manager.h"
#include "app/services/profiles.h"
#include "app/services/prog.h"
#include "app/ui/frame-services.h"
#include "app/ui/screen-manager.h"
#include "app/ui/screen.h"
#include "app/ui/ui-comps.h"
#include "app/ui/uiset.h"

#include <math.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

namespace {

enum {
    KEY_TAB = 9,
    KEY_SHIFT = 16,
    KEY_CONTROL = 17,
    KEY_LEFT = 37,
    KEY_UP = 38,
    KEY_RIGHT = 39,
    KEY_DOWN = 40,
    KEY_PAD_PRESENT = 800,
};

// A letter key, under its capital or its small code.
bool IsLetter(int code, char capital)
{
    return code == capital || code == capital + 32;
}

// The top screen when it has a UI set (a screen without one takes no cursor input).
Screen *TopWithUI(ScreenMan &sm)
{
    Screen *top = sm.PeekScreen(0);
    return top && top->ui ? top : nullptr;
}

// The distinct focus components of the cursors in use, each once.
int DistinctFocus(ScreenMan &sm, UIComp *out[UI_MAX_CURSORS])
{
    int n = 0;
    for (int i = 0; i < sm.num_cursors && i < UI_MAX_CURSORS; i++) {
        UIComp *f = sm.cursors[i].focus;
        if (!f)
            continue;
        bool seen = false;
        for (int j = 0; j < n; j++)
            seen = seen || out[j] == f;
        if (!seen)
            out[n++] = f;
    }
    return n;
}

void CallKeyCallback(lua_State *L, const char *function, int code)
{
    lua_man.CallLuaFunctionS(L, function, OV_GetKeyName(code));
}

// The developer's resolution keys: the size for a digit, given the current virtual
// size (landscape sizes, swapped for a portrait virtual screen). False to do nothing.
bool DigitResolution(int digit, int cur_w, int cur_h, int *w, int *h)
{
    int longer = cur_w > cur_h ? cur_w : cur_h, shorter = cur_w > cur_h ? cur_h : cur_w;
    switch (digit) {
    case 0: {
        const char *reply = ov->OV_CallExtension("EditValue: Enter custom resolution", "1980x1080");
        if (!reply)
            return false;
        char text[64];
        strncpy(text, reply, sizeof text - 1);
        text[sizeof text - 1] = 0;
        char *save = nullptr;
        char *a = strtok_r(text, "x", &save);
        char *b = a ? strtok_r(nullptr, "x", &save) : nullptr;
        *w = a ? atoi(a) : 640;
        *h = b ? atoi(b) : 480;
        if (*w < 1 || *h < 1)
            return false;
        break;
    }
    case 1: *w = 400; *h = 320; if (longer == 400 && shorter == 320) { *w = 512; *h = 512; } break;
    case 2: *w = 480; *h = 320; if (longer == 480 && shorter == 320) { *w = 960; *h = 640; } break;
    case 3: *w = 640; *h = 360; break;
    case 4: *w = 800; *h = 480; if (longer == 800 && shorter == 480) { *w = 854; *h = 480; } break;
    case 5: *w = 480; *h = 272; if (longer == 480 && shorter == 272) { *w = 960; *h = 544; } break;
    case 6: *w = 800; *h = 600; if (longer == 800 && shorter == 600) { *w = 640; *h = 480; } break;
    case 7: *w = 1024; *h = 768; break;
    case 8: *w = 1280; *h = 720; break;
    case 9: *w = 1920; *h = 1080; break;
    default: return false;
    }
    if (digit != 0 && cur_h > cur_w) {
        int t = *w;
        *w = *h;
        *h = t;
    }
    return true;
}

// Edit and resize modes want a big window that may take any size.
void EnterDeveloperWindow(ScreenMan &sm)
{
    sm.draw_all = true;
    int w = 1230, h = 768;
    const char *dw = ov->OV_CallExtension("PlatformInfo", "DesktopWidth");
    const char *dh = ov->OV_CallExtension("PlatformInfo", "DesktopHeight");
    if (dw && dh && atoi(dw) > 150 && atoi(dh) > 50) {
        w = atoi(dw) - 150;
        h = atoi(dh) - 50;
    }
    prog.parms.width = w;
    prog.parms.height = h;
    prog.parms.windowed = 1;
    sm.SetVirtualScreenDimensions(sm.virtual_width, sm.virtual_height);
    ov->OV_CallExtension("Hacks", "AllowAllResolutions");
    ov->OV_ReInit();
}

}  // namespace

void ScreenMan::AddServiceEventHandler(ServiceEventHandler handler)
{
    if (!handler)
        return;
    for (int i = 0; i < service_event_handlers.Count(); i++)
        if (service_event_handlers[i] == handler)
            return;
    service_event_handlers.InsertLast(handler);
}

int ScreenMan::ProcessEvent(ov_event_t &event)
{
    NoteInput(event);
    const int type = event.type;
    bool developer = prog.parms.developer_mode != 0;
    UISet *given = nullptr;  // the set whose components had the event in step 1

    // 1. The automated test player sees every event first (outside edit mode); then the
    // fully shown top screen's components, then the screen itself.
    if (!edit_mode && frame_services.test_player_event)
        frame_services.test_player_event(event);
    if (!edit_mode) {
        Screen *top = PeekScreen(0);
        if (top && top->in_stack && !top->leaving && top->trans_phase >= 0.999f) {
            if (UISet *set = top->ui) {
                given = set;
                for (int i = 0; i < set->comps.Count(); i++)
                    set->comps[i]->ProcessEvent(&event);
            }
            top->ProcessEvent(&event);
        }
    } else if (edit_comp) {
        edit_comp->EditProcessEvent(&event);
    }

    // 2. The focused components that have not had the event yet.
    UIComp *focus[UI_MAX_CURSORS];
    int num_focus = DistinctFocus(*this, focus);
    for (int i = 0; i < num_focus; i++) {
        bool had = false;
        for (int j = 0; given && j < given->comps.Count() && !had; j++)
            had = given->comps[j] == focus[i];
        if (!had && focus[i]->IsInteractive())
            focus[i]->ProcessEvent(&event);
    }

    // 3. Pointer 0 drives cursor 0.
    if ((type == OV_EVENT_POINTER_MOVE || type == OV_EVENT_BUTTON_DOWN || type == OV_EVENT_BUTTON_UP) &&
        (int8_t)event.index == 0) {
        vec2_t p = {(float)event.x, (float)event.y};
        UICursor &c0 = cursors[0];
        if (type == OV_EVENT_POINTER_MOVE) {
            UpdateCursor(&c0, p, 0.0f);
        } else if (type == OV_EVENT_BUTTON_DOWN) {
            c0.pressed = true;
            c0.pos = p;
            UpdateCursors(0.0f);
        } else {
            c0.pressed = false;
            c0.pos = p;
            UpdateCursors(0.0f);
            if (touch_mode)
                c0.idle_time = 6.0f;
        }
    }

    // The edit mode's handler has every event (Ctrl+E and Ctrl+R stay the manager's).
    if (edit_mode && frame_services.edit_event &&
        !(developer && type == OV_EVENT_KEY_DOWN && KeyHeld(KEY_CONTROL) &&
          (IsLetter(event.key, 'E') || IsLetter(event.key, 'R'))))
        frame_services.edit_event(event);

    // 4. Pre-initialisation: the interface table arrives and the services start. With a
    // profile loaded, the window mode it chose goes into the engine's parameter block.
    if (type == OV_EVENT_PREINIT && event.ptr) {
        ov = (orvex_t *)event.ptr;
        man.PreInitializeBeforeVideoInit();
        if (prof && event.ptr2)
            ((ov_parms_t *)event.ptr2)->windowed = prog.parms.windowed;
    }

    // 5. The display was re-initialised.
    if (type == OV_EVENT_RENDERER_REINIT && event.index) {
        if (!virtual_resize_mode && !edit_mode)
            SetVirtualScreenDimensions(prog.parms.width, prog.parms.height);
        UpdateAllVisibleComponentDimensions();
        nArray<Screen *> walk = stack;
        for (int i = 0; i < walk.Count(); i++)
            if (walk[i]->preloaded.load(std::memory_order_acquire) && walk[i]->in_stack)
                walk[i]->ProcessEvent(&event);
    }

    // 6. Platform score-service replies go to the services that registered for them.
    if (type >= OV_EVENT_SERVICE_19 && type <= OV_EVENT_SERVICE_22) {
        nArray<ServiceEventHandler> handlers = service_event_handlers;
        for (int i = 0; i < handlers.Count(); i++)
            handlers[i](event);
    }

    // 7. Activation; becoming active starts a news fetch.
    if (type == OV_EVENT_ACTIVATION) {
        app_active = event.inactive == 0;
        if (app_active && frame_services.news_refresh)
            frame_services.news_refresh();
    }

    // 8. Developer keys.
    if (developer && type == OV_EVENT_KEY_DOWN) {
        if (KeyHeld(KEY_CONTROL) && IsLetter(event.key, 'E')) {
            edit_mode = !edit_mode;
            EnterDeveloperWindow(*this);
            return 1;
        }
        if (KeyHeld(KEY_CONTROL) && IsLetter(event.key, 'R')) {
            virtual_resize_mode = !virtual_resize_mode;
            if (virtual_resize_mode)
                EnterDeveloperWindow(*this);
            return 1;
        }
        if (virtual_resize_mode && event.key >= '0' && event.key <= '9') {
            int w, h;
            if (DigitResolution(event.key - '0', virtual_width, virtual_height, &w, &h))
                SetTargetVirtualScreenDimensions(w, h);
        }
    }

    // 10. A console line runs in the main Lua state (developer mode only).
    if (type == OV_EVENT_CONSOLE_COMMAND) {
        if (!developer)
            return 0;
        const char *text = (const char *)event.ptr;
        ov->OV_PrintDebugf(1, "Entered '%s'\n", text ? text : "");
        lua_man.ExecLuaString(nullptr, text);
        return 1;
    }

    switch (type) {
    case OV_EVENT_POINTER_MOVE:
        return 1;
    case OV_EVENT_WINDOW_CLOSED: {
        ResetNextFrameTimeDelta();
        Screen *confirm = Screen::PeekScreen("ExitConfirmation");
        Screen *loading = Screen::PeekScreen("Loading");
        if (confirm && confirm->preloaded.load(std::memory_order_acquire) && !IsScreenInStack(loading)) {
            if (!IsScreenInStack(confirm))
                PushScreen(confirm, 0);
            return 2;
        }
        return 0;
    }
    case OV_EVENT_KEY_DOWN:
    case OV_EVENT_KEY_UP: {
        bool down = type == OV_EVENT_KEY_DOWN;
        Screen *top = TopWithUI(*this);
        bool hidden_key = developer && (IsLetter(event.key, 'E') || event.key == KEY_CONTROL);
        if (top && top->in_stack && top->trans_phase >= 1.0f && !edit_mode && !hidden_key &&
            (down ? top->ui->has_OnKeyDown : top->ui->has_OnKeyUp))
            CallKeyCallback(top->ui->L, down ? "OnKeyDown" : "OnKeyUp", event.key);
        if (down) {
            num_focus = DistinctFocus(*this, focus);
            for (int i = 0; i < num_focus; i++)
                focus[i]->ProcessKey(event.key);
        }
        return 1;
    }
    case OV_EVENT_BUTTON_DOWN:
    case OV_EVENT_BUTTON_UP: {
        bool down = type == OV_EVENT_BUTTON_DOWN;
        last_pointer_index = (int8_t)event.index;
        if (Screen *top = TopWithUI(*this)) {
            UISet *set = top->ui;
            if (down ? set->has_OnKeyDown : set->has_OnKeyUp)
                CallKeyCallback(set->L, down ? "OnKeyDown" : "OnKeyUp", event.button);
            if (down ? set->has_OnMouseDown : set->has_OnMouseUp)
                lua_man.CallLuaFunctionFFSI(set->L, down ? "OnMouseDown" : "OnMouseUp", event.x, event.y,
                                            OV_GetKeyName(event.button), (int8_t)event.index);
        }
        return 1;
    }
    case 4:  // wheel
        last_pointer_index = (int8_t)event.index;
        num_focus = DistinctFocus(*this, focus);
        for (int i = 0; i < num_focus; i++)
            focus[i]->ProcessMouseWheel((float)event.wheel);
        return 1;
    case OV_EVENT_CHAR:
        num_focus = DistinctFocus(*this, focus);
        for (int i = 0; i < num_focus; i++)
            focus[i]->ProcessChar((int)(int8_t)event.character);
        return 1;
    default:
        return 0;
    }
}

void ScreenMan::UpdateCursor(UICursor *cursor, vec2_t pos, float dt)
{
    cursor->idle_time += dt;
    if (cursor->pressed || fabsf(pos.x - cursor->pos.x) >= 1e-6f || fabsf(pos.y - cursor->pos.y) >= 1e-6f)
        cursor->idle_time = 0.0f;
    if (touch_mode && !cursor->pressed)
        cursor->idle_time = 6.0f;
    cursor->pos = pos;
    if (cursor->locked && !edit_mode)
        cursor->locked->ProcessCursorMove(cursor, cursor->pos, dt);
}

void ScreenMan::UpdateCursors(float dt)
{
    for (int i = 0; i < 3; i++)
        UpdateCursor(&cursors[i], cursors[i].pos, dt);
    if (!edit_mode) {
        UpdateGamePadCursor(&cursors[UI_GAMEPAD_CURSOR], dt);
        num_cursors = 4;
    } else {
        num_cursors = 3;
    }

    Screen *top = PeekScreen(0);
    if (!top || top->trans_phase < 1.0f || edit_comp)
        return;

    for (int i = 0; i < num_cursors; i++) {
        UICursor *cursor = &cursors[i];
        if (UIComp *locked = cursor->locked) {
            last_locked_comp = locked;
            if (cursor->pressed)
                continue;
            if (!edit_mode && locked->IsActive() && locked->IsPointOverExpandedArea(cursor->pos, 16.0f)) {
                last_pointer_index = i;
                if (locked->owner)
                    SendComponentClick(locked, locked->owner->ui);
            }
            SetCursorLockedTo(cursor, nullptr);
            continue;
        }
        // The click above may have changed the stack.
        top = PeekScreen(0);
        if (!top || !top->ui)
            continue;
        cursor->edit_op = 0;
        UIComp *hit = nullptr;
        UISet *set = top->ui;
        for (int c = set->comps.Count() - 1; c >= 0 && !hit; c--) {
            UIComp *comp = set->comps[c];
            bool over;
            if (!edit_mode) {
                over = comp->active && comp->IsVisible() &&
                       (comp->expanded_hit_area > 0.0f ? comp->IsPointOverExpandedArea(cursor->pos, comp->expanded_hit_area)
                                                       : comp->IsPointOver(cursor->pos));
            } else {
                over = (comp->IsPointOver(cursor->pos) && comp->IsVisible()) || KeyHeld(KEY_SHIFT);
            }
            if (over)
                hit = comp;
        }
        SetCursorOver(cursor, hit ? hit : &comp_null);

        if (cursor->over && cursor->pressed) {
            bool taken = false;
            for (int k = 0; k < num_cursors && !taken; k++)
                taken = k != i && cursors[k].locked == cursor->over;
            if (!taken) {
                UIComp *pressed = cursor->over;
                SetCursorLockedTo(cursor, pressed);
                cursor->focus = pressed;
                // A pointer's press acts at once, as a held press does on the next cursor
                // update: a tap whose release comes within the same frame still selects
                // the line, moves the slider or places the text cursor before its click.
                // (The game-pad cursor sits on the component's centre; it never drags.)
                if (!edit_mode && i < UI_GAMEPAD_CURSOR)
                    pressed->ProcessCursorMove(cursor, cursor->pos, 0.0f);
            }
        }
    }
}

void ScreenMan::UpdateGamePadCursor(UICursor *cursor, float dt)
{
    if (!ov->OV_GetKeyStatei(KEY_PAD_PRESENT)) {
        // Without a pad this cursor is absent: it must not hover what lies at its spot.
        cursor->idle_time = 6.0f;
        return;
    }
    Screen *top = PeekScreen(0);
    if (!top) {
        cursor->over = nullptr;
        return;
    }
    UISet *set = top->ui;
    if (!set)
        return;
    // Over nothing (also after a hover search found nothing at its spot): pick one.
    if (!cursor->over || cursor->over == &comp_null) {
        UIComp *pick = top->default_comp;
        for (int i = 0; !pick && i < set->comps.Count(); i++)
            if (set->comps[i]->IsInteractive())
                pick = set->comps[i];
        if (pick) {
            over_sound_timer = 0.2f;
            SetCursorOver(cursor, pick);
        }
    }
    cursor->repeat_timer -= dt;
    if (cursor->repeat_timer < -5.0f)
        cursor->repeat_timer = -5.0f;
    cursor->pressed = fabsf(ov->OV_GetKeyStatef(803)) > 0.2f || (ov->OV_GetKeyStatei(1280) & 0x1000) ||
                      fabsf(ov->OV_GetKeyStatef(1282)) > 0.2f;
    if (cursor->pressed && cursor->over)
        ov->OV_PrintDebugf(1, "Over: %s\n", cursor->over->name ? cursor->over->name : "");

    bool tab = KeyHeld(KEY_TAB);
    if (tab && cursor->repeat_timer <= 0.0f) {
        cursor->repeat_timer = 0.4f;
        cursor->over = GetInteractiveComp1D(set, cursor->over, KeyHeld(KEY_SHIFT) ? -1 : 1);
    }
    int dir = 0;
    if (DoesControlDevicePointTo(KEY_LEFT))
        dir = KEY_LEFT;
    if (DoesControlDevicePointTo(KEY_RIGHT))
        dir = KEY_RIGHT;
    if (DoesControlDevicePointTo(KEY_DOWN))
        dir = KEY_DOWN;
    if (DoesControlDevicePointTo(KEY_UP))
        dir = KEY_UP;
    if (dir && cursor->repeat_timer <= 0.0f) {
        if (cursor->over && cursor->over->ProcessCursorMove(cursor, dir, dt)) {
            cursor->repeat_timer = 0.1f;
        } else {
            cursor->repeat_timer = 0.4f;
            vec2_t v = {0, 0};
            if (dir == KEY_LEFT)
                v.x = -1;
            else if (dir == KEY_UP)
                v.y = -1;
            else if (dir == KEY_RIGHT)
                v.x = 1;
            else
                v.y = 1;
            cursor->over = GetInteractiveComp2D(set, cursor->over, v);
        }
    }
    if (!dir && !tab) {
        cursor->repeat_timer = 0.0f;
        cursor->idle_time += dt;
    } else {
        cursor->idle_time = 0.0f;
    }
    if (cursor->over && cursor->over != &comp_null) {
        top->default_comp = cursor->over;
        vec2_t a = cursor->over->GetAlignedPos();
        cursor->pos.x = a.x + cursor->over->width / 2;
        cursor->pos.y = a.y + cursor->over->height / 2;
    }
}

bool ScreenMan::DoesControlDevicePointTo(int direction)
{
    for (int p = 0; p < 4; p++) {
        int buttons = ov->OV_GetKeyStatei(1280 + 16 * p);
        float h1 = ov->OV_GetKeyStatef(1283 + 16 * p), h2 = ov->OV_GetKeyStatef(1285 + 16 * p);
        float v1 = ov->OV_GetKeyStatef(1284 + 16 * p), v2 = ov->OV_GetKeyStatef(1286 + 16 * p);
        switch (direction) {
        case KEY_LEFT: if (h1 < -0.4f || h2 < -0.4f || (buttons & 4)) return true; break;
        case KEY_RIGHT: if (h1 > 0.4f || h2 > 0.4f || (buttons & 8)) return true; break;
        case KEY_UP: if (v1 > 0.4f || v2 > 0.4f || (buttons & 1)) return true; break;
        case KEY_DOWN: if (v1 < -0.4f || v2 < -0.4f || (buttons & 2)) return true; break;
        default: return false;
        }
    }
    return false;
}

UIComp *ScreenMan::GetInteractiveComp1D(UISet *set, UIComp *current, int direction)
{
    if (!set)
        return nullptr;
    int n = set->comps.Count();
    int at = -1;
    for (int i = 0; i < n; i++) {
        if (!set->comps[i]->IsInteractive())
            continue;
        if (!current)
            current = set->comps[i];
        if (set->comps[i] == current) {
            at = i;
            break;
        }
    }
    if (at < 0)
        return nullptr;
    if (direction >= 1) {
        for (int i = at + 1; i < n; i++)
            if (set->comps[i]->IsInteractive())
                return set->comps[i];
    } else {
        for (int i = at - 1; i >= 0; i--)
            if (set->comps[i]->IsInteractive())
                return set->comps[i];
    }
    return current;
}

UIComp *ScreenMan::GetInteractiveComp2D(UISet *set, UIComp *current, vec2_t v)
{
    if (sqrtf(v.x * v.x + v.y * v.y) < 0.001f)
        return current;
    if (!set)
        return nullptr;
    // Distances are measured from the current component's centre; without one, from
    // (0, 0), with the first interactive component as the reference that is skipped
    // and whose size counts.
    UIComp *ref = current;
    vec2_t c = {0, 0};
    if (ref) {
        vec2_t a = ref->GetAlignedPos();
        c.x = a.x + ref->width / 2;
        c.y = a.y + ref->height / 2;
    } else {
        for (int i = 0; i < set->comps.Count() && !ref; i++)
            if (set->comps[i]->IsInteractive())
                ref = set->comps[i];
    }
    UIComp *best = nullptr;
    float best_d = 100000.0f;
    for (int i = 0; i < set->comps.Count(); i++) {
        UIComp *comp = set->comps[i];
        if (comp == ref || !comp->IsInteractive())
            continue;
        vec2_t a = comp->GetAlignedPos();
        vec2_t p = {a.x + comp->width / 2, a.y + comp->height / 2};
        float W = comp->width + (ref ? ref->width : 0), H = comp->height + (ref ? ref->height : 0);
        float dx = p.x - c.x, dy = p.y - c.y;
        float d = best_d;
        bool candidate = false;
        if (v.x != 0 && ((dx >= 0) == (v.x > 0)) && H / 2 > fabsf(dy)) {
            d = fabsf(dx) - W / 2;
            candidate = true;
        }
        if (v.y != 0 && ((dy >= 0) == (v.y > 0)) && W / 2 > fabsf(dx)) {
            d = fabsf(dy) - H / 2;
            candidate = true;
        }
        if (candidate && d < best_d) {
            best_d = d;
            best = comp;
        }
    }
    return best;
}

void ScreenMan::SetCursorOver(UICursor *cursor, UIComp *comp)
{
    if (comp && comp != cursor->over && comp->snd_over && comp->IsInteractive()) {
        if (over_sound_timer > 0.2f) {
            over_sound_timer = 0.0f;
            if (!touch_mode)
                aman.PlaySound(comp->snd_over, 1.0f, 0.0f, 1.0f);
        }
        if (Screen *top = TopWithUI(*this)) {
            if (top->ui->has_OnCursorEnter)
                lua_man.CallLuaFunctionS(top->ui->L, "OnCursorEnter", comp->name ? comp->name : "");
        }
    }
    cursor->over = comp;
}

void ScreenMan::SetCursorLockedTo(UICursor *cursor, UIComp *comp)
{
    if (!edit_mode && comp && comp != cursor->locked && comp->snd_press && comp->IsInteractive())
        aman.PlaySound(comp->snd_press, 1.0f, 0.0f, 1.0f);
    cursor->locked = comp;
    cursor->lock_pos = cursor->pos;
    if (comp) {
        vec2_t sp = comp->GetStaticPos();
        cursor->grab_offset.x = cursor->pos.x - sp.x;
        cursor->grab_offset.y = cursor->pos.y - sp.y;
        cursor->comp_start_pos.x = comp->position_x;
        cursor->comp_start_pos.y = comp->position_y;
        cursor->comp_start_scale = comp->scale;
        cursor->comp_start_angle = comp->angle;
    } else {
        cursor->comp_start_pos.x = cursor->comp_start_pos.y = 0.0f;
        cursor->comp_start_scale = 1.0f;
        cursor->comp_start_angle = 0.0f;
    }
}

void ScreenMan::SendComponentClick(UIComp *comp, UISet *set)
{
    if (!comp || !set || !comp->IsActive())
        return;
    Screen *owner = comp->owner;
    if (!owner || !(owner->trans_phase >= 0.999f || owner->leaving))
        return;
    if (PeekScreen(0) != owner)
        return;
    set->active_comp = comp;
    ov->OV_CallExtension(comp->type == UICOMP_EDITBOX ? "BeginKeyboardInput" : "EndKeyboardInput", nullptr);
    if (comp->snd_release)
        aman.PlaySound(comp->snd_release, 1.0f, 0.0f, 1.0f);
    // The callbacks below may push, pop or load another UI: the set and the component
    // stay allocated (a replaced set is kept until the next restart).
    if (set->L && LuaManager::DoesLuaFunctionExist(set->L, "OnClick"))
        lua_man.CallLuaFunctionS(set->L, "OnClick", comp->name ? comp->name : "");
    if (comp->OnClick && comp->OnClick[0])
        lua_man.ExecLuaFile(set->L, comp->OnClick);
    // A component with a click script of its own (a scriptable) runs it after the screen's.
    comp->ProcessClick();
    owner->ProcessUICompClick(comp, 0);
}

void ScreenMan::SetCursorFocus(UIComp *comp)
{
    cursors[0].idle_time = 0.0f;
    if (comp != cursors[0].focus) {
        cursors[0].focus = comp;
        ov->OV_CallExtension(comp && comp->type == UICOMP_EDITBOX ? "BeginKeyboardInput" : "EndKeyboardInput", nullptr);
    }
}

void ScreenMan::UnlockCursors()
{
    for (int i = 0; i < num_cursors && i < UI_MAX_CURSORS; i++) {
        UICursor &c = cursors[i];
        c.over = nullptr;
        c.locked = nullptr;
        c.focus = nullptr;
        c.repeat_timer = 0.3f;
        c.pressed = false;
        c.idle_time = 6.0f;
    }
}

static bool AnyCursor(ScreenMan &sm, UIComp *comp, UIComp *UICursor::*field)
{
    if (!comp)
        return false;
    for (int i = 0; i < sm.num_cursors && i < UI_MAX_CURSORS; i++)
        if (sm.cursors[i].idle_time <= UI_CURSOR_IDLE_LIMIT && sm.cursors[i].*field == comp)
            return true;
    return false;
}

bool ScreenMan::IsCursorOver(UIComp *comp)
{
    return AnyCursor(*this, comp, &UICursor::over);
}

bool ScreenMan::IsCursorFocusOver(UIComp *comp)
{
    return AnyCursor(*this, comp, &UICursor::focus);
}

bool ScreenMan::IsCursorLockedTo(UIComp *comp)
{
    return AnyCursor(*this, comp, &UICursor::locked);
}

bool ScreenMan::SetVisible(UIComp *comp, bool visible)
{
    if (!comp)
        return false;
    comp->visible = visible;
    return true;
}

bool ScreenMan::SetActive(UIComp *comp, bool active)
{
    if (!comp)
        return false;
    comp->active = active;
    return true;
}

vec2_t ScreenMan::GetStaticPos(UIComp *comp)
{
    if (!comp)
        return vec2_t{10, 10};
    return comp->GetStaticPos();
}

const char *OV_GetKeyName(int code)
{
    static const struct {
        int code;
        const char *name;
    } kNames[] = {
        {8, "BACKSPACE"}, {9, "TAB"},      {12, "CLEAR"},   {13, "RETURN"},   {16, "SHIFT"},   {17, "CONTROL"},
        {18, "MENU"},     {19, "PAUSE"},   {20, "CAPITAL"}, {27, "ESCAPE"},   {32, "SPACE"},   {33, "PAGEUP"},
        {34, "PAGEDOWN"}, {35, "END"},     {36, "HOME"},    {37, "LEFT"},     {38, "UP"},      {39, "RIGHT"},
        {40, "DOWN"},     {41, "SELECT"},  {42, "PRINT"},   {43, "EXECUTE"},  {45, "INSERT"},  {46, "DELETE"},
        {47, "HELP"},     {504, "MOUSE_X"}, {505, "MOUSE_Y"}, {506, "MOUSE_Z"}, {507, "MOUSE_WHEEL"},
        {1632, "VOLUME_UP"}, {1633, "VOLUME_DOWN"},
    };
    static const char *const kDigits[] = {"0", "1", "2", "3", "4", "5", "6", "7", "8", "9"};
    static const char *const kLetters[] = {"A", "B", "C", "D", "E", "F", "G", "H", "I", "J", "K", "L", "M",
                                           "N", "O", "P", "Q", "R", "S", "T", "U", "V", "W", "X", "Y", "Z"};
    static const char *const kButtons[] = {"MOUSE_BUTTON_0", "MOUSE_BUTTON_1", "MOUSE_BUTTON_2", "MOUSE_BUTTON_3",
                                           "MOUSE_BUTTON_4", "MOUSE_BUTTON_5", "MOUSE_BUTTON_6", "MOUSE_BUTTON_7"};
    if (code >= 48 && code <= 57)
        return kDigits[code - 48];
    if (code >= 65 && code <= 90)
        return kLetters[code - 65];
    if (code >= 510 && code <= 517)
        return kButtons[code - 510];
    for (const auto &k : kNames)
        if (k.code == code)
            return k.name;
    return "UNKNOWN";
}
