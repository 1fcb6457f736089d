// The timeline's transition screen (see timeline-transition.h): the phase machine that
// pops, sends the event's parameters, loads the new screens on "TimelineLoader" and
// pushes them, and the loader thread itself.
#include "app/ui/timeline-transition.h"

#include "app/ui/frame-services.h"

#include "app/services/featureman.h"
#include "app/ui/screen-manager.h"
#include "app/ui/timeline.h"
#include "app/ui/uiset.h"
#include "nstring.h"

#include <string.h>

TimelineTransition timeline_transition;

namespace {

int IndexOf(Screen *screen)
{
    return sman.GetScreenIndexInStack(screen);
}

// The entry of the list that holds the screen, null when none.
const TimelineScreenEntry *EntryOf(const nArray<TimelineScreenEntry> &list, Screen *screen)
{
    for (int i = 0; i < list.Count(); i++)
        if (list[i].screen == screen)
            return &list[i];
    return nullptr;
}

}  // namespace

TimelineTransition::TimelineTransition()
{
    SetName("TimelineTransition");
    load_list.SetShrink(true);
    screens.SetShrink(true);
}

TimelineTransition::~TimelineTransition()
{
    nStringFree(event_id);
}

void TimelineTransition::SetEventId(const char *id)
{
    nStringFree(event_id);
    event_id = id ? nStringDuplicate(id) : nullptr;
}

bool TimelineTransition::PreLoad()
{
    LoadUI("ui/fw/timeline-transition.lua");
    SetEventId(nullptr);
    loader_state.store(LOADER_IDLE, std::memory_order_release);
    screens.Clear();
    return true;
}

void TimelineTransition::Enter()
{
    phase = 0;
    anim_key = 0.0f;
    timer = 0.0;
}

void TimelineTransition::Leave() {}

bool TimelineTransition::ProcessUICompClick(UIComp *, int)
{
    return true;
}

int TimelineTransition::ProcessScreenMessage(Screen *, const char *, const char *)
{
    return 0;
}

void TimelineTransition::Draw(float)
{
    if (transition_type != TIMELINE_FADE_BLACK)
        return;
    ov->OV_SetBlend(0);
    ov->OV_SetColor(0.0f, 0.0f, 0.0f);
    ov->OV_SetAlpha(trans_phase);
    ov->OV_DrawRect(sman.virtual_x, sman.virtual_y, (float)sman.virtual_width, (float)sman.virtual_height);
    ov->OV_SetColor(1.0f, 1.0f, 1.0f);
    ov->OV_SetAlpha(1.0f);
}

void TimelineTransition::Update(float dt)
{
    if (trans_phase >= 1.0f && !leaving && phase == 0) {
        phase = 1;
        DoTheTransition();
    }
    if (phase != 0) {
        DoTheTransition();
        if (phase == 5)
            leaving = true;
    }
    Screen::Update(dt);
}

void TimelineTransition::DoTheTransition()
{
    if (phase == 2) {
        for (int i = 0; i < sman.stack.Count(); i++)
            if (sman.stack[i]->leaving)
                return;
    }
    // Waiting news is shown at this moment, "Before_" and the event's id; this step waits
    // for the next frame. While the news screen shows, the transition waits.
    if (frame_services.news_ready && frame_services.news_ready()) {
        if (frame_services.news_show) {
            char moment[300];
            snprintf(moment, sizeof moment, "Before_%s", event_id ? event_id : "");
            frame_services.news_show(moment);
        }
        return;
    }
    if (sman.IsNewsOnTop())
        return;
    switch (phase) {
    case 1:
        PhasePop();
        phase = 2;
        break;
    case 2:
        PhaseLoad();
        break;
    case 3:
        PhasePush();
        break;
    case 4:
        phase = 5;
        break;
    default:
        break;
    }
}

void TimelineTransition::PhasePop()
{
    ov->OV_Printf("DoTransitionPhasePop.\n");
    if (transition_type != TIMELINE_FADE_BLACK && transition_type != TIMELINE_DYNAMIC)
        return;
    // A pop may push a follow-up: the screens below this one are taken from a copy.
    nArray<Screen *> below;
    sman.CopyScreensBelow(this, &below);
    for (int i = 0; i < below.Count(); i++) {
        Screen *s = below[i];
        const TimelineScreenEntry *entry = EntryOf(screens, s);
        if (entry && !entry->fresh)
            continue;
        ov->OV_Printf("DoTransitionPhasePop: removing '%s'\n", s->name);
        sman.PopScreen(s, transition_type == TIMELINE_DYNAMIC);
    }
}

void TimelineTransition::PhaseLoad()
{
    timeline.SendEventParametersToKeyScreen(event_id);
    if (loader_state.load(std::memory_order_acquire) != LOADER_IDLE)
        return;
    phase = 3;
    if (!feature_man.ProductFeatureExists("NO_MULTITHREADED_LOADING")) {
        load_list.Clear();
        for (int i = 0; i < screens.Count(); i++)
            if (screens[i].screen)
                load_list.InsertLast(screens[i].screen);
        loader_state.store(LOADER_LOADING, std::memory_order_release);
        int64_t id = ov->OV_CreateThread("TimelineLoader", TimelineTransition_LoadingThread, this, 0);
        if (id > 0)
            return;
        // No thread: the screens load on this thread while they are pushed.
        ov->OV_PrintDebugf(1, "Timeline loader thread could not be started; loading on the main thread.\n");
    }
    loader_state.store(LOADER_DONE, std::memory_order_release);
    sman.ResetNextFrameTimeDelta();
}

void TimelineTransition::PhasePush()
{
    if (loader_state.load(std::memory_order_acquire) != LOADER_DONE)
        return;
    uint32_t start = ov->OV_GetTime();
    ov->OV_Printf("DoTransitionPhasePush.\n");
    // From the last listed screen to the first, each directly below the one before.
    Screen *reference = this;
    for (int i = screens.Count() - 1; i >= 0; i--) {
        Screen *s = screens[i].screen;
        if (!s)
            continue;
        if (sman.IsScreenInStack(s)) {
            ov->OV_Printf("DoTransitionPhasePush: screen '%s' is already in stack no need to do anything\n",
                          s->name);
            reference = s;
            continue;
        }
        ov->OV_Printf("DoTransitionPhasePush: pushing '%s'\n", s->name);
        int index = IndexOf(reference);
        if (index < 0)
            index = IndexOf(this);   // the screen before was refused
        int depth = index >= 0 ? sman.stack.Count() - index : 0;
        sman.PushScreen(s, depth);
        reference = s;
    }
    phase = 4;
    ov->OV_Printf("Pushing screens from main thread took %d msecs.\n", (int)(ov->OV_GetTime() - start));
    loader_state.store(LOADER_IDLE, std::memory_order_release);
}

void TimelineTransition_LoadingThread(void *argument)
{
    TimelineTransition *t = static_cast<TimelineTransition *>(argument);
    if (!t)
        return;
    t->loader_state.store(LOADER_LOADING, std::memory_order_release);
    sman.loader_count.fetch_add(1, std::memory_order_acq_rel);
    uint32_t start = ov->OV_GetTime();
    for (int i = 0; i < t->load_list.Count(); i++)
        if (UISet *set = t->load_list[i]->ui)
            set->ApplyCacheModeOnEnter();
    ov->OV_Printf("Loading thread spent %d msecs loading stuff.\n", (int)(ov->OV_GetTime() - start));
    sman.loader_count.fetch_sub(1, std::memory_order_acq_rel);
    t->loader_state.store(LOADER_DONE, std::memory_order_release);
}
