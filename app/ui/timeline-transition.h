// The timeline's transition screen "TimelineTransition": the timeline fills it with the
// event's id, its screens, the transition type and the fade speeds and pushes it on top.
// Once faded in it runs a phase machine, one step a frame: pop the screens the event
// does not keep (at once behind a black cover for a fade to black, fading out
// themselves for a dynamic transition), wait until they are gone, hand the event's
// parameters to the key screen, load the new screens' bitmaps on the engine thread
// "TimelineLoader", push the new screens beneath itself in list order, and leave.
//
// Threads: the loader thread gets the transition object; it reads only the load list
// (which the main thread leaves alone while loading), applies the screens' enter cache
// modes, counts itself in the screen manager's loader_count and reports through the
// atomic loader state (release), which the main thread polls each frame (acquire).
#ifndef APP_UI_TIMELINE_TRANSITION_H
#define APP_UI_TIMELINE_TRANSITION_H

#include "app/ui/screen.h"
#include "narray.h"

#include <atomic>

enum { LOADER_IDLE = 0, LOADER_LOADING = 1, LOADER_DONE = 2 };

// One screen of the event: absent when the name is not registered; a fresh screen
// that is stacked is popped and pushed again, one that is not fresh stays.
struct TimelineScreenEntry {
    Screen *screen = nullptr;
    bool fresh = true;
};

class TimelineTransition : public Screen {
public:
    TimelineTransition();
    ~TimelineTransition() override;
    // Loads "ui/fw/timeline-transition.lua"; forgets the event and the list; true.
    bool PreLoad() override;
    // Fade to black only: a black rectangle over the virtual screen, alpha = phase.
    void Draw(float dt) override;
    // Starts the phases once fully shown, runs one step a frame, leaves at phase 5.
    void Update(float dt) override;
    void Enter() override;             // phase 0, anim_key and timer 0
    void Leave() override;             // nothing
    bool ProcessUICompClick(UIComp *comp, int flags) override;  // true
    int ProcessScreenMessage(Screen *from, const char *message, const char *value) override;  // 0

    // One step of the phase machine.
    void DoTheTransition();
    // Replaces the event id by a copy (null frees it).
    void SetEventId(const char *id);

    std::atomic<int> loader_state{LOADER_IDLE};
    nArray<Screen *> load_list;
    int transition_type = 0;
    int phase = 0;
    nArray<TimelineScreenEntry> screens;
    char *event_id = nullptr;

private:
    void PhasePop();
    void PhaseLoad();
    void PhasePush();
};

// The loader thread's entry; the argument is the transition (nothing for null).
void TimelineTransition_LoadingThread(void *argument);

// The one transition screen, registered as "TimelineTransition".
extern TimelineTransition timeline_transition;

#endif
