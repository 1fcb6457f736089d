// The player's notice of a failed save (see save-notice.h).
#include "app/ui/save-notice.h"

#include "app/services/filehelpers.h"
#include "app/ui/screen-manager.h"
#include "app/ui/screen.h"

#include <string>

namespace {

const char kPopup[] = "PopupOk";

// A settled stack: nothing loading, the top screen shown and staying.
bool ScreensSettled()
{
    if (!sman.all_screens_preloaded.load(std::memory_order_acquire) || sman.edit_mode)
        return false;
    if (sman.IsScreenInStack("Loading"))
        return false;
    Screen *top = sman.PeekScreen(0);
    return top && top->shown && !top->leaving;
}

}  // namespace

void ShowFailedSaveNotice()
{
    if (!ScreensSettled())
        return;
    Screen *popup = Screen::PeekScreen(kPopup);
    if (!popup || !popup->preloaded.load(std::memory_order_acquire) || sman.IsScreenInStack(popup))
        return;
    std::string text;
    if (!TakeFailedSaveNotice(&text))
        return;
    ov->OV_Printf("Telling the player: %s\n", text.c_str());
    sman.SendScreenMessage(nullptr, popup, "text", text.c_str());
    sman.PushScreen(popup, 0);
}
