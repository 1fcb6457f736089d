// The load-game prompt "PopupLoadGame" (UI "ui/popup-load-game.lua"): pushed by UI
// scripts over the loading screen or the main menu to offer resuming the saved battle.
// "Yes" sends "ENTER_OLD_BATTLE" to "LoaderTransition"; "No" deletes the saved game,
// closes the prompt and leaves the main menu shown.
#ifndef GAME_SCREENS_LOAD_GAME_PROMPT_H
#define GAME_SCREENS_LOAD_GAME_PROMPT_H

#include "app/ui/screen.h"

class ScreenPopupLoadGame : public Screen {
public:
    ScreenPopupLoadGame();
    bool PreLoad() override;                    // loads "ui/popup-load-game.lua"; true
    void Draw(float dt) override;               // the UI
    void Update(float dt) override;             // the screen's own clock
    void Enter() override;                      // leaving cleared, fade phase 0.001
    void Leave() override;                      // nothing
    bool ProcessUICompClick(UIComp *comp, int flags) override;  // "Yes", "No"; true
};

extern ScreenPopupLoadGame screen_popup_load_game;

#endif
