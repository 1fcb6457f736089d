// Screen messages (the target's handler, then its script's "OnScreenMessage"),
// screens made by scripts, and the text setter that fills a component's text by kind.
#include "app/services/luaman.h"
#include "app/ui/screen-manager.h"
#include "app/ui/screen.h"
#include "app/ui/ui-comps.h"
#include "app/ui/uiset.h"
#include "app/ui/widgets/ui-button.h"
#include "app/ui/widgets/ui-checkbox.h"
#include "app/ui/widgets/ui-editbox.h"
#include "app/ui/widgets/ui-textbox.h"

#include <stdarg.h>
#include <stdio.h>

#include <mutex>

namespace {

// The screens scripts made; a worker's script may make them while the main thread
// does, so the list and the name check share one lock.
std::mutex scripted_lock;
nArray<Screen *> &Scripted()
{
    static nArray<Screen *> *list = new nArray<Screen *>;
    return *list;
}

}  // namespace

void ScreenMan::SendScreenMessage(Screen *from, Screen *to, const char *message, const char *value)
{
    if (!to)
        return;
    to->ProcessScreenMessage(from, message, value);
    UISet *set = to->ui;
    if (set && set->L && LuaManager::DoesLuaFunctionExist(set->L, "OnScreenMessage"))
        lua_man.CallLuaFunction2S(set->L, "OnScreenMessage", message ? message : "", value ? value : "");
}

Screen *ScreenMan::CreateScreenScripted(const char *name, const char *ui_file)
{
    ov->OV_Printf("Creating Screen '%s' ('%s').\n", name ? name : "", ui_file ? ui_file : "");
    std::lock_guard<std::mutex> hold(scripted_lock);
    if (Screen::PeekScreen(name)) {
        ov->OV_PrintDebugf(1, "Screen with name '%s' already exists.\n", name);
        return nullptr;
    }
    ScreenTemplate *screen = new ScreenTemplate(ui_file);
    screen->SetName(name);
    Scripted().InsertLast(screen);
    return screen;
}

void ScreenMan::FreeScriptedScreens()
{
    std::lock_guard<std::mutex> hold(scripted_lock);
    nArray<Screen *> &list = Scripted();
    for (int i = 0; i < list.Count(); i++) {
        list[i]->FreeUI();
        delete list[i];
    }
    list.Clear();
}

bool ScreenMan::SetText(UIComp *comp, const char *format, ...)
{
    if (!comp || !format)
        return false;
    char text[2048];
    va_list args;
    va_start(args, format);
    vsnprintf(text, sizeof text, format, args);
    va_end(args);
    // Buttons, edit boxes, check boxes and text boxes take the text through their own
    // setter. No other kind carries a text.
    switch (comp->type) {
    case UICOMP_BUTTON:
        if (UICompButton *kind = dynamic_cast<UICompButton *>(comp)) {
            kind->SetText("%s", text);
            return true;
        }
        return false;
    case UICOMP_EDITBOX:
        if (UICompEditbox *kind = dynamic_cast<UICompEditbox *>(comp)) {
            kind->SetText("%s", text);
            return true;
        }
        return false;
    case UICOMP_CHECKBOX:
        if (UICompCheckbox *kind = dynamic_cast<UICompCheckbox *>(comp)) {
            kind->SetText("%s", text);
            return true;
        }
        return false;
    case UICOMP_TEXTBOX:
        if (UICompTextbox *kind = dynamic_cast<UICompTextbox *>(comp)) {
            kind->SetText("%s", text);
            return true;
        }
        return false;
    default:
        return false;
    }
}
