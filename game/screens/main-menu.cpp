// The title screen (see main-menu.h).
#include "game/screens/main-menu.h"

#include "game/screens/loading.h"

ScreenMainMenu screen_main_menu;

// Left alone, the menu is drawn at 15 frames a second instead of the frame limit: its
// banner moves less than a pixel a frame even so, and the embers rise a few pixels.
ScreenMainMenu::ScreenMainMenu() : Screen("MainMenu")
{
    idle_frame_ms = 66;
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

void ScreenMainMenu::Enter() {}

int ScreenMainMenu::ProcessEvent(ov_event_t *)
{
    return 1;
}
