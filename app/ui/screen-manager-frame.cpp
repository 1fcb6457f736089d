// The screen manager's frame: the services hanging off it, the developer's time
// controls, the update of every stacked screen from the bottom up (time-delta
// multiplier, Lua "OnUpdate", fade phase, the hover, press and fade values of its
// components), the removal of popped entries and the cursors; and the interval tests
// scripts use for blinking and periodic work.
#include "app/services/audioman.h"
#include "app/services/key-state.h"
#include "app/services/luaman.h"
#include "app/services/prog.h"
#include "app/services/profiles.h"
#include "app/services/random.h"
#include "app/services/small-maths.h"
#include "app/ui/frame-services.h"
#include "app/ui/parts.h"
#include "app/ui/save-notice.h"
#include "app/ui/screen-manager.h"
#include "app/ui/screen.h"
#include "app/ui/ui-comps.h"
#include "app/ui/uiset.h"

#include <math.h>

vec2_t mpos = {0, 0};

namespace {

enum { KEY_SHIFT = 16, KEY_CONTROL = 17, KEY_MENU = 18 };

// A time step above this (seconds) is a stall, not play time.
const float kMaxStep = 200.0f;

// A letter key held, under its capital or its small code.
bool LetterHeld(char capital)
{
    return KeyHeld(capital) || KeyHeld(capital + 32);
}

}  // namespace

void ScreenMan::ResetNextFrameTimeDelta()
{
    reset_next_frame_time_delta.store(true, std::memory_order_release);
}

bool ScreenMan::IsIntervalElapsedOffset(float seconds, int offset_ms)
{
    int64_t n = (int64_t)(seconds * 1000.0f);
    if (n < 1)
        return false;
    return (prev_time_ms - offset_ms) / n != (time_ms - offset_ms) / n;
}

bool ScreenMan::IsIntervalElapsed(float seconds)
{
    return IsIntervalElapsedOffset(seconds, 0);
}

void ScreenMan::Update(float dt)
{
    prev_time_ms = time_ms;
    if (!edit_mode)
        time_ms += (int64_t)(dt * 1000.0f);
    profile_man().Update(dt);
    if (edit_mode && edit_comp)
        edit_comp->EditUpdate(dt);
    aman.Update(dt, app_active);
    UpdateLoadingIndicator(dt);
    UpdateIdlePace(dt);
    if (all_screens_preloaded.load(std::memory_order_acquire) && frame_services.news_update)
        frame_services.news_update(dt);

    if (prog.parms.developer_mode) {
        if (LetterHeld('P'))
            dt *= 0.2f;
        if (virtual_anim_timer > 0.0f) {
            virtual_anim_timer += dt;
            int w, h;
            if (virtual_anim_timer >= 1.0f) {
                w = virtual_target_width;
                h = virtual_target_height;
                virtual_anim_timer = 0.0f;
            } else {
                float k = EaseInOut(virtual_anim_timer);
                w = (int)(virtual_target_width * k + virtual_start_width * (1.0f - k));
                h = (int)(virtual_target_height * k + virtual_start_height * (1.0f - k));
            }
            SetVirtualScreenDimensions(w, h);
        }
        bool q_pressed = (ov->OV_GetKeyStatei('Q') & 1) || (ov->OV_GetKeyStatei('q') & 1);
        if (KeyHeld(KEY_CONTROL) && q_pressed) {
            fast_forward = !fast_forward;
        } else if (LetterHeld('Q')) {
            float step = KeyHeld(KEY_SHIFT) ? 0.01f : 0.04f;
            for (int i = 0; i < 64; i++)
                UpdateScreens(step);
            return;
        }
        if (fast_forward) {
            float step = fast_forward_step * (KeyHeld(KEY_SHIFT) ? 0.2f : 1.0f);
            for (int i = 0; i < fast_forward_steps; i++)
                UpdateScreens(step * ((float)AppRandom() / 32767.0f * 0.6f + 0.5f));
            return;
        }
    }

    cursor_shape = "ARROW";
    UpdateScreens(dt);
    ShowFailedSaveNotice();
    if ((edit_mode || virtual_resize_mode) && frame_services.edit_frame)
        frame_services.edit_frame(dt);

    if (edit_mode) {
        if (!edit_drag && KeyHeld(KEY_SHIFT) && KeyHeld(510)) {
            edit_drag = true;
            edit_drag_start = mpos;
        } else if (edit_drag && !KeyHeld(510)) {
            edit_drag = false;
        }
    }
    if (cursors[0].over && cursors[0].over->IsInteractive())
        cursor_shape = "FINGER_POINT";
    ov->OVD_SetCursor(cursor_shape);
}

void ScreenMan::UpdateScreens(float dt)
{
    if (!(dt <= kMaxStep))
        dt = dt > kMaxStep ? kMaxStep : 0.0f;
    mpos.x = ov->OV_GetKeyStatef(504);
    mpos.y = ov->OV_GetKeyStatef(505);
    if (prog.parms.developer_mode && KeyHeld(KEY_MENU) && LetterHeld('X'))
        ov->OV_SignalShutdown();
    if (reset_next_frame_time_delta.exchange(false, std::memory_order_acq_rel))
        dt = 0.0f;
    pman.UpdateParts(dt);
    if (frame_services.notices_enabled && frame_services.notices_enabled() && frame_services.notices_update)
        frame_services.notices_update(dt);

    second_timer += dt;
    if (second_timer > 1.0f)
        second_timer -= 1.0f;
    over_sound_timer += dt;

    if (!edit_mode) {
        // Pushes and pops made by the screens and their scripts change the real stack,
        // not this copy.
        nArray<Screen *> walk = stack;
        for (int i = 0; i < walk.Count(); i++)
            UpdateScreen(walk[i], dt);
    }

    for (int i = 0; i < stack.Count();) {
        Screen *screen = stack[i];
        if (!screen->in_stack) {
            ov->OV_Printf("Removing '%s' from Screen Stack\n", screen->name);
            stack.Remove(i);
        } else {
            i++;
        }
    }
    UpdateCursors(dt);
    // The automated test player acts on the stack as it now is.
    if (stack.Count() > 0 && frame_services.test_player_active && frame_services.test_player_active() &&
        frame_services.test_player_frame)
        frame_services.test_player_frame(dt);
}

void ScreenMan::UpdateScreen(Screen *screen, float dt)
{
    if (!screen->preloaded.load(std::memory_order_acquire) || !screen->in_stack)
        return;
    screen->UpdateTimeDeltaMultiplierChange(dt);
    float sdt = dt * screen->time_delta_multiplier;
    if (screen->ui && screen->ui->L && screen->ui->has_OnUpdate)
        lua_man.CallLuaFunctionN(screen->ui->L, "OnUpdate", sdt);
    screen->Update(sdt);

    if (screen->leaving && screen->trans_phase <= 0.0f) {
        PopScreen(screen, false);
    }
    if (!screen->leaving) {
        screen->trans_phase += dt * screen->enter_speed;
        if (screen->trans_phase >= 1.0f) {
            screen->trans_phase = 1.0f;
            // Told once per push: from here on the screen takes input, which is what a
            // script driving the program waits for before it taps.
            if (!screen->shown)
                ov->OV_Printf("Screen '%s' shown.\n", screen->name);
            screen->shown = true;
        }
    } else if (screen->trans_phase > 0.0f) {
        screen->trans_phase -= dt * screen->leave_speed;
        if (screen->trans_phase < 0.0f)
            screen->trans_phase = 0.0f;
    }

    UISet *set = screen->ui;
    if (!set)
        return;
    int count = set->comps.Count();
    for (int c = 0; c < count && c < set->comps.Count(); c++) {
        UIComp *comp = set->comps[c];
        comp->owner = screen;
        bool hovered = false, pressed_on = false;
        if (comp->IsInteractive()) {
            for (int k = 0; k < num_cursors && k < UI_MAX_CURSORS; k++) {
                UICursor &cur = cursors[k];
                if (cur.idle_time > UI_CURSOR_IDLE_LIMIT)
                    continue;
                if (cur.over == comp)
                    hovered = true;
                if (cur.locked == comp && comp->IsPointOverExpandedArea(cur.pos, 16.0f))
                    pressed_on = true;
            }
        }
        if (hovered) {
            comp->time_cursor_over += 3.0f * dt;
            comp->time_cursor_locked += pressed_on ? 9.0f * dt : -5.0f * dt;
        } else {
            comp->time_cursor_over -= 2.0f * dt;
            comp->time_cursor_locked -= 5.0f * dt;
        }
        comp->time_cursor_over = Clamp01(comp->time_cursor_over);
        comp->time_cursor_locked = Clamp01(comp->time_cursor_locked);
        comp->fading_akey = Clamp01(comp->fading_akey + (comp->fading ? -3.0f : 3.0f) * dt);
        comp->Update(sdt);
    }
}
