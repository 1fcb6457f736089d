// The switch screen "Transition": pushed on top of everything, it fades in, pops every
// screen below it, pushes the target directly below itself and fades out over it.
#ifndef APP_UI_TRANSITION_H
#define APP_UI_TRANSITION_H

#include "app/ui/screen.h"

class ScreenTransition : public Screen {
public:
    ScreenTransition();
    bool PreLoad() override;           // loads "ui/fw/screen-transition.lua"; true
    void Draw(float dt) override;      // the UI, then counts fully shown frames
    void Update(float dt) override;    // pops the others at frame 2, pushes the target after
    void Enter() override;             // preloads when needed; resets the counters
    void Leave() override;             // nothing
    bool ProcessUICompClick(UIComp *comp, int flags) override;  // true

    Screen *target = nullptr;          // not owned
    int frame_counter = 0;             // frames drawn fully shown and not leaving
    int push_depth = 1;
};

// The one transition screen, registered as "Transition".
extern ScreenTransition screen_transition;

#endif
