// The title screen "MainMenu" (UI "ui/main-menu.lua"): its buttons and navigation live in
// its UI script and the timeline; the screen itself animates and draws the waving
// banner the loading screen built, in the custom-drawn component "Banner".
#ifndef GAME_SCREENS_MAIN_MENU_H
#define GAME_SCREENS_MAIN_MENU_H

#include "app/ui/screen.h"

class ScreenMainMenu : public Screen {
public:
    ScreenMainMenu();
    bool PreLoad() override;                    // loads "ui/main-menu.lua"; true
    void Draw(float dt) override;               // the UI
    void DrawUIComp(UIComp *comp) override;     // "Banner": the waving banner
    void Update(float dt) override;             // the banner's wave
    void Enter() override;                      // a damaged saved game set aside
    int ProcessEvent(ov_event_t *event) override;  // consumes nothing; 1
};

extern ScreenMainMenu screen_main_menu;

#endif
