// The title screen (see main-menu.h).
#include "game/screens/main-menu.h"

#include "game/screens/loading.h"

ScreenMainMenu screen_main_menu;

ScreenMainMenu::ScreenMainMenu() : Screen("MainMenu") {}

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
