// The idle pace: a screen that asks for it is drawn at a lower frame rate once it has
// stood on top, fully shown and without input, for a few seconds, so that a menu left
// alone costs little processor time; its animations run by time and keep their speed.
// Input ends it at once (the main loop drains events while it waits).
#include "app/ui/screen-manager.h"

#include "app/services/prog.h"
#include "app/ui/screen.h"

namespace {

bool IsInput(int type)
{
    return type == OV_EVENT_CHAR || type == OV_EVENT_POINTER_MOVE || type == OV_EVENT_BUTTON_UP ||
           type == OV_EVENT_BUTTON_DOWN || type == OV_EVENT_KEY_DOWN || type == OV_EVENT_KEY_UP;
}

}  // namespace

void ScreenMan::UpdateIdlePace(float dt)
{
    // The seconds count while the same screen stands fully shown on top.
    Screen *top = PeekScreen(0);
    bool shown = top && top->in_stack && !top->leaving && top->trans_phase >= 1.0f;
    if (!shown || top != idle_top) {
        idle_seconds = 0.0f;
        idle_top = shown ? top : nullptr;
    } else {
        idle_seconds += dt;
    }
    bool idle = shown && top->idle_frame_ms > 0 && idle_seconds >= kIdleSeconds && !edit_mode;
    if (idle && !idle_pace) {
        idle_pace = true;
        paced_frame_ms = prog.parms.min_frame_ms;
    }
    if (idle_pace) {
        int ms = idle ? top->idle_frame_ms : paced_frame_ms;
        prog.parms.min_frame_ms = ms > paced_frame_ms ? ms : paced_frame_ms;
        if (!idle)
            idle_pace = false;
    }
}

void ScreenMan::NoteInput(const ov_event_t &event)
{
    if (!IsInput(event.type))
        return;
    idle_seconds = 0.0f;
    if (idle_pace) {
        idle_pace = false;
        prog.parms.min_frame_ms = paced_frame_ms;
    }
}
