// The title screen (see main-menu.h).
#include "game/screens/main-menu.h"

#include "game/gamestate.h"
#include "game/screens/loading.h"

ScreenMainMenu screen_main_menu;

// Left alone, the menu is drawn at 30 frames a second instead of the frame limit: the
// banner's cloth moves well under a pixel a frame and the embers at most 1.7 pixels, so
// the motion stays smooth (at 15 the embers stepped 3 pixels at a time, visibly).
ScreenMainMenu::ScreenMainMenu() : Screen("MainMenu")
{
    idle_frame_ms = 33;
}

bool ScreenMainMenu::PreLoad()
{
    LoadUI("ui/main-menu.lua");
    return true;
}

void ScreenMainMenu::Draw(float)
{
    DrawUI();
}

void ScreenMainMenu::DrawUIComp(UIComp *comp)
{
    DrawMenuBannerInto(comp);
}

void ScreenMainMenu::Update(float dt)
{
    Screen::Update(dt);
    UpdateMenuBanner(dt);
}

// Before the script's OnEnter shows "Continue" for a saved battle: the saved game is read
// and checked here, and a damaged one is set aside, so that only a battle that can be
// resumed is offered.
void ScreenMainMenu::Enter()
{
    game.GameStateExists();
}

int ScreenMainMenu::ProcessEvent(ov_event_t *)
{
    return 1;
}
