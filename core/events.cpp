// Engine events and key states: building pointer, key and character events, scaling
// positions into program coordinates, the key tables the application polls, the
// activation state, the queue for events raised off the main thread, and delivery to
// the log console and the application's event hook.
#include "core/console.h"
#include "core/ov_state.h"
#include "core/service-calls.h"

#include <stdlib.h>
#include <string.h>

namespace {

bool ValidKey(int key)
{
    return key >= 0 && key < OV_KEY_STATES;
}

ov_event_t NewEvent(int type)
{
    ov_event_t ev;
    memset(&ev, 0, sizeof ev);
    ev.type = type;
    return ev;
}

// Float key slot of a pointer's last position; pointers above 76 have none.
int PointerSlot(int pointer)
{
    int slot = 524 + 20 * pointer;
    return slot + 1 < OV_KEY_STATES ? slot : -1;
}

}  // namespace

// ---- key states
// The slots are read and written one at a time, relaxed, as atomics: besides the main
// thread's input, the memory estimates are written by whichever thread refreshes them
// (the loading worker as it loads a screen's UI, the memory watchdog on the main thread).

int OV_GetKeyStatei(int key)
{
    if (!ValidKey(key))
        return 0;
    int v = __atomic_load_n(&ov_state.key_i[key], __ATOMIC_RELAXED);
    if (key < 1280)
        __atomic_store_n(&ov_state.key_i[key], v & ~1, __ATOMIC_RELAXED);  // a press is seen once
    return v;
}

void OV_SetKeyStatei(int key, int value)
{
    if (ValidKey(key))
        __atomic_store_n(&ov_state.key_i[key], value, __ATOMIC_RELAXED);
}

float OV_GetKeyStatef(int key)
{
    float v = 0.0f;
    if (ValidKey(key))
        __atomic_load(&ov_state.key_f[key], &v, __ATOMIC_RELAXED);
    return v;
}

void OV_SetKeyStatef(int key, float value)
{
    if (ValidKey(key))
        __atomic_store(&ov_state.key_f[key], &value, __ATOMIC_RELAXED);
}

void OVI_ClearKeyStates(void)
{
    for (int k = 0; k < 255; k++)
        OV_SetKeyStatei(k, 0);
}

void OVI_ResetKeyboardKeyStates(void)
{
    for (int k = 0; k <= 255; k++)
        ov_state.key_i[k] = 0;
    for (int k = 510; k <= 517; k++)
        ov_state.key_i[k] = 0;
}

// ---- delivery

int OVI_SendEvent(ov_event_t *ev)
{
    if (ev->type == OV_EVENT_CHAR && ev->character == ov_con.toggle_key && ov_con.toggle_key != 0) {
        ov_con.Toggle();
        return 0;
    }
    if (ov_con.visible && ev->type != OV_EVENT_CONSOLE_COMMAND) {
        int answer = 0;
        if (OVI_ConsoleProcessEvent(ev, &answer))
            return answer;
    }
    if (ev->type == OV_EVENT_REDRAW_TARGETS)
        ov_gfx_calls.SendRenderTargetRedraws();
    if (ov_state.prog && ov_state.prog->EventProc && ov_state.core_ready)
        return ov_state.prog->EventProc(*ev);
    return 0;
}

void OVI_SendEventQueued(ov_event_t *ev)
{
    OVI_LockCoreMutex(OV_MUTEX_RESOURCE_QUEUE);
    ov_state.event_queue->push_back(*ev);
    OVI_UnlockCoreMutex(OV_MUTEX_RESOURCE_QUEUE);
}

// Queued events are swapped out under the lock and delivered outside it, so that a
// handler may queue further events without deadlocking.
void OVI_ProcessEventQueue(void)
{
    std::vector<ov_event_t> events;
    OVI_LockCoreMutex(OV_MUTEX_RESOURCE_QUEUE);
    events.swap(*ov_state.event_queue);
    OVI_UnlockCoreMutex(OV_MUTEX_RESOURCE_QUEUE);
    for (ov_event_t &ev : events) {
        OVI_SendEvent(&ev);
        OVI_FreeEvent(&ev);
    }
}

void OVI_FreeEvent(ov_event_t *ev)
{
    switch (ev->type) {
    case OV_EVENT_SERVICE_20:
    case OV_EVENT_SERVICE_22:
        free(ev->ptr);
        ev->ptr = nullptr;
        break;
    case OV_EVENT_SERVICE_21: {
        // A list of 12-byte entries whose first word is a text pointer; on a 64-bit
        // build each entry holds the full pointer first.
        struct Entry {
            char *text;
            int32_t a, b;
        };
        Entry *list = (Entry *)ev->list;
        for (int i = 0; list && i < ev->count; i++)
            free(list[i].text);
        free(list);
        ev->list = nullptr;
        break;
    }
    default:
        break;
    }
}

void OVI_SendCharEvent(int c)
{
    ov_event_t ev = NewEvent(OV_EVENT_CHAR);
    ev.character = (uint8_t)c;
    OVI_SendEvent(&ev);
}

void OVI_SendKeyEvent(int type, int key)
{
    if (key >= 1 && key < OV_KEY_STATES) {
        if (type == OV_EVENT_KEY_DOWN)
            OV_SetKeyStatei(key, 3);
        else if (type == OV_EVENT_KEY_UP)
            OV_SetKeyStatei(key, 0);
    }
    ov_event_t ev = NewEvent(type);
    ev.key = key;
    if (ov_state.queue_events)
        OVI_SendEventQueued(&ev);
    else
        OVI_SendEvent(&ev);
}

void OVI_SendMouseEvent(ov_event_t *ev)
{
    if (ov_state.input_scaling) {
        ev->x = (int)((float)(int)((float)ev->x - ov_state.input_offset_x) * ov_state.input_scale_x);
        ev->y = (int)((float)(int)((float)ev->y - ov_state.input_offset_y) * ov_state.input_scale_y);
    }
    int p = ev->index;
    int slot = PointerSlot(p);
    if (slot >= 0) {
        ev->prev_x = (int)ov_state.key_f[slot];
        ev->prev_y = (int)ov_state.key_f[slot + 1];
        ov_state.key_f[slot] = (float)ev->x;
        ov_state.key_f[slot + 1] = (float)ev->y;
    }
    if (p == 0) {
        ov_state.key_i[OV_KEY_POINTER_X] = ev->x;
        ov_state.key_i[OV_KEY_POINTER_Y] = ev->y;
        ov_state.key_f[OV_KEY_POINTER_X] = (float)ev->x;
        ov_state.key_f[OV_KEY_POINTER_Y] = (float)ev->y;
        if (ev->type == OV_EVENT_BUTTON_DOWN)
            ov_state.key_i[OV_KEY_POINTER_BUTTON] = 2;
        else if (ev->type == OV_EVENT_BUTTON_UP)
            ov_state.key_i[OV_KEY_POINTER_BUTTON] = 0;
    }
    if (ov_state.queue_events)
        OVI_SendEventQueued(ev);
    else
        OVI_SendEvent(ev);
}

void OVI_SendMouseMoveEvent(int pointer, float x, float y)
{
    ov_event_t ev = NewEvent(OV_EVENT_POINTER_MOVE);
    ev.index = (uint8_t)pointer;
    ev.x = (int)x;
    ev.y = (int)y;
    OVI_SendMouseEvent(&ev);
}

void OVI_SendMouseButtonEvent(int type, int pointer, int button, float x, float y)
{
    ov_event_t ev = NewEvent(type);
    ev.index = (uint8_t)pointer;
    ev.x = (int)x;
    ev.y = (int)y;
    ev.button = (uint16_t)button;
    OVI_SendMouseEvent(&ev);
}

void OVI_SendMouseWheelEvent(int type, int pointer, int wheel, float x, float y)
{
    ov_event_t ev = NewEvent(type);
    ev.index = (uint8_t)pointer;
    ev.x = (int)x;
    ev.y = (int)y;
    ev.wheel = (int16_t)wheel;
    OVI_SendMouseEvent(&ev);
}

void OVI_SendWindowActivationEvent(bool active)
{
    if (ov_state.shutdown_requested)
        return;
    ov_event_t ev = NewEvent(OV_EVENT_ACTIVATION);
    ev.inactive = active ? 0 : 1;
    OVI_SendEvent(&ev);
}

void OVI_ActivateApp(bool active)
{
    if ((bool)ov_state.app_active == active)
        return;
    ov_state.app_active = active ? 1 : 0;
    OVI_SendWindowActivationEvent(active);
    if (ov_gfx_calls.RendererLoaded() && ov_state.renderer_ready)
        ov_gfx_calls.RendererActivateWindow(active);
    for (int i = 0; i < ov_state.num_input_imps; i++)
        ov_state.input_imps[i]->ActivateWindow(active);
    if (ov_state.sound_imp)
        ov_sound_calls.ActivateWindow(active);
    OVI_ClearKeyStates();
}

// The program answers 2 when it asks the player first (and ends itself on a yes);
// any other answer closes.
void OVI_SendWindowCloseEvent(void)
{
    ov_event_t ev = NewEvent(OV_EVENT_WINDOW_CLOSED);
    if (OVI_SendEvent(&ev) != 2)
        ov_state.shutdown_requested = 1;
}
