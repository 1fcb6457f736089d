// The reinforcement choice "PickReinforcement" (UI "ui/pick-reinforcement.lua"): one
// button per unlocked trooper class; a tap sends a trooper of that class to the bunker
// and closes the screen. Taps count only 0.3 s after the screen has fully faded in.
// Main thread only.
#ifndef GAME_SCREENS_PICK_REINFORCEMENT_H
#define GAME_SCREENS_PICK_REINFORCEMENT_H

#include "app/ui/screen.h"

class ScreenPickReinforcement : public Screen {
public:
    ScreenPickReinforcement();

    bool PreLoad() override;
    void Draw(float dt) override;
    void Update(float dt) override;
    void Enter() override;
    void Leave() override;
    bool ProcessUICompClick(UIComp *comp, int flags) override;
    int ProcessEvent(ov_event_t *event) override;

private:
    // Closes the screen and sends a trooper of the chosen class (null: nothing).
    bool Pick(const void *trooper_class);
    // Closes the row up around its middle so that the buttons shown stand centred.
    void CentreShownClasses();
};

// The one reinforcement screen, built and registered on first use.
ScreenPickReinforcement &GetPickReinforcementScreen();

#endif
