// The battle screen "Game": creates the world when it preloads, drives one battle frame
// (spawn parameters, controls, tutorial, world, game state) while it is the top screen
// and fully faded in, draws the world, its UI and the game state's HUD under a screen
// shake, hands touches to the controls, opens the pause menu on Escape and, in developer
// mode, offers cheat keys. An overlay such as "PauseMenu" or "Shop" freezes the battle.
//
// Layout from "ui/game.lua": buttons "Pause", "PauseTime" and the developer button
// "CheatMoney". Main thread only, except PreLoad (start-up loading thread: builds the
// world object and reads the statistics and the settings).
#ifndef GAME_SCREENS_BATTLE_SCREEN_H
#define GAME_SCREENS_BATTLE_SCREEN_H

#include "app/ui/screen.h"

#include <stdint.h>

class ScreenGame : public Screen {
public:
    ScreenGame();

    bool PreLoad() override;
    void Draw(float dt) override;
    void Update(float dt) override;
    // Music timer 0, controls reset, entered.
    void Enter() override;
    void Leave() override;
    bool ProcessUICompClick(UIComp *comp, int flags) override;
    int ProcessEvent(ov_event_t *event) override;

    // The battle step for a frame time: capped at 0.2 s, x 0.05 while artillery
    // targeting waits without a tutorial.
    static float BattleStep(float dt);

    // Fields in order.
    float music_timer = 0.0f;
    bool music_stopped = false;

private:
    void Cheat(int key);
};

// The one battle screen, registered as "Game".
extern ScreenGame screen_game;
// The same (referencing it keeps the screen in a program linked from the archive).
Screen *GetBattleScreen();

// Names the loader transition and the battle screen, so that a program linked from the
// game's archive keeps both (they register themselves by name when constructed).
void RegisterBattleScreens();

// The battlefield's terrain bitmap is built again when a rebuild was requested (the
// display lost its render targets) or, in developer mode, when the virtual screen is
// being resized and no longer matches the bitmap. Clears the request; the rebuild
// itself waits until every screen is preloaded and "Game" is stacked.
void RegenerateBattleTerrain(uint8_t *requested);

#endif
