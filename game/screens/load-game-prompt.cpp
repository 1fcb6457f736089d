// The load-game prompt (see load-game-prompt.h).
#include "game/screens/load-game-prompt.h"

#include "app/ui/screen-manager.h"
#include "app/ui/ui-comps.h"
#include "game/gamestate.h"

#include <strings.h>

ScreenPopupLoadGame screen_popup_load_game;

ScreenPopupLoadGame::ScreenPopupLoadGame() : Screen("PopupLoadGame") {}

bool ScreenPopupLoadGame::PreLoad()
{
    LoadUI("ui/popup-load-game.lua");
    return true;
}

void ScreenPopupLoadGame::Enter()
{
    leaving = false;
    trans_phase = 0.001f;
}

void ScreenPopupLoadGame::Leave() {}

// The fade in and out (3 per second) and the removal at phase 0 are the screen
// manager's, as for every screen.
void ScreenPopupLoadGame::Update(float dt)
{
    Screen::Update(dt);
}

void ScreenPopupLoadGame::Draw(float)
{
    DrawUI();
    ov->OV_SetAlpha(1.0f);
    ov->OV_SetColor(1.0f, 1.0f, 1.0f);
    ov->OV_SetBlend(0);
}

bool ScreenPopupLoadGame::ProcessUICompClick(UIComp *comp, int)
{
    const char *name = comp && comp->name ? comp->name : "";
    if (strcasecmp(name, "Yes") == 0) {
        sman.SendScreenMessage(this, Screen::GetScreen("LoaderTransition"), "ENTER_OLD_BATTLE", "");
    } else if (strcasecmp(name, "No") == 0) {
        game.DeleteSaveGameState();
        // The prompt comes over the loading screen or over the main menu ("Continue").
        // Over a loading screen whose worker has not reached the main menu yet, only the
        // prompt goes: the loading screen hands over by itself once everything is ready
        // (removing it now would leave nothing shown).
        Screen *menu = Screen::PeekScreen("MainMenu");
        bool menu_ready = menu && menu->preloaded.load(std::memory_order_acquire);
        // The menu shows "Continue" only while a saved battle exists: it looks again now.
        if (menu_ready)
            sman.SendScreenMessage(this, menu, "SAVED_BATTLE_DELETED", "");
        if (menu_ready && !sman.IsScreenInStack(menu))
            sman.PushScreen(menu, 0);
        sman.PopScreen(this, true);
        if (menu_ready && sman.IsScreenInStack("Loading"))
            sman.PopScreen("Loading");
    }
    return true;
}
