// The screen browser (see screen-browser.h).
#include "tools/screen-browser.h"

#include "app/services/filehelpers.h"
#include "app/services/prog.h"
#include "app/ui/screen-manager.h"
#include "app/ui/ui-comps.h"
#include "app/ui/uiset.h"
#include "app/ui/widgets/ui-listbox.h"
#include "orvex.h"
#include "ovrecords.h"

#include <string.h>

namespace {

const char kUIScript[] = "ui/fw/screen-browser.lua";
const int kListboxType = 5;
const int kKeyDown = 8;

// The list box "Screens" of the browser's own set (the set in use may be borrowed).
UICompListbox *ScreenList(UISet *own)
{
    UIComp *comp = own ? own->GetComp("Screens") : nullptr;
    return comp && comp->type == kListboxType ? (UICompListbox *)comp : nullptr;
}

}  // namespace

ScreenScreenBrowser::ScreenScreenBrowser() : Screen("ScreenBrowser")
{
}

ScreenScreenBrowser &GetScreenBrowser()
{
    static ScreenScreenBrowser browser;
    return browser;
}

bool ScreenScreenBrowser::PreLoad()
{
    if (prog.parms.developer_mode && FileOpens(kUIScript))
        LoadUI(kUIScript);
    index = 0;
    browsed = nullptr;
    own_ui = ui;
    return true;
}

void ScreenScreenBrowser::Update(float dt)
{
    time_since_change += dt;
}

// The browser gives back what it borrowed: the browsed screen is left (unless it is
// stacked and still on show) and the browser's own set is its set again, so that the
// next visit starts on the list and no set is freed twice.
void ScreenScreenBrowser::Leave()
{
    if (browsed && browsed != this && !sman.IsScreenInStack(browsed))
        sman.DoScreenLeaveProcedure(browsed);
    browsed = nullptr;
    ui = own_ui;
}

void ScreenScreenBrowser::ShowScreen(int i)
{
    int total = Screen::total_num_screens.load();
    if (total <= 0)
        return;
    if (i < 0)
        i = total - 1;
    i %= total;
    Screen *screen = Screen::GetScreenByIndex(i);
    if (!screen || screen == this || (screen->name && strcmp(screen->name, name) == 0))
        return;
    // A screen that is stacked is shown as it stands: entering or leaving it here would
    // load or release the bitmaps of a screen that is still on show.
    if (browsed && browsed != this && !sman.IsScreenInStack(browsed))
        sman.DoScreenLeaveProcedure(browsed);
    index = i;
    browsed = screen;
    if (!sman.IsScreenInStack(screen))
        sman.DoScreenEnterProcedure(screen);
    time_since_change = 0.0f;
    ui = screen->ui;
}

void ScreenScreenBrowser::Enter()
{
    index = Screen::GetScreenIndexByName(name);
    ShowScreen(index);
    UICompListbox *list = ScreenList(own_ui);
    if (!list)
        return;
    list->ClearLines();
    ov_bitmap_t *none = ov->OV_GetBitmap("!NONE");
    int total = Screen::total_num_screens.load();
    for (int i = 0; i < total; i++) {
        Screen *screen = Screen::GetScreenByIndex(i);
        const char *screen_name = screen && screen->name ? screen->name : "";
        int line = list->AddLine(none, "%s", screen_name);
        list->SetLineId(line, screen_name);
    }
}

bool ScreenScreenBrowser::ProcessUICompClick(UIComp *comp, int)
{
    if (!comp || !comp->name || strcmp(comp->name, "Edit") != 0)
        return true;
    UICompListbox *list = ScreenList(own_ui);
    int selected = list && list->selected >= 0 && list->selected < list->GetNumberOfLines() ? list->selected : -1;
    ShowScreen(selected);
    return true;
}

int ScreenScreenBrowser::ProcessEvent(ov_event_t *event)
{
    if (!event || event->type != kKeyDown)
        return 1;
    switch (event->key) {
    case 27:
        index = Screen::GetScreenIndexByName(name);
        break;
    case 65:
    case 107:
        index++;
        break;
    case 90:
    case 109:
        index--;
        break;
    default:
        break;
    }
    ShowScreen(index);
    return 1;
}


void ScreenScreenBrowser::Draw(float)
{
    ov->OV_ClearScreen(1, 1, 1);
    ov->OV_SetAlpha(1.0f);
    ov->OV_SetColor(0.8f, 0.8f, 0.8f);
    for (int y = 0; y < sman.virtual_height; y += 16)
        for (int x = 0; x < sman.virtual_width; x += 16)
            if ((y / 16 + x / 16) % 2 == 1)
                ov->OV_DrawRect(sman.virtual_x + x, sman.virtual_y + y, 16, 16);

    bool other = browsed && browsed != this;
    if (other) {
        if (UISet *set = browsed->ui) {
            for (int i = 0; i < set->GetNumberOfComps(); i++) {
                UIComp *comp = set->GetCompByIndex(i);
                comp->alpha = 1.0f;
                comp->position_offset_x = 0.0f;
                comp->position_offset_y = 0.0f;
            }
        }
        browsed->DrawUI();
    } else {
        DrawUI();
    }

    if (!other || !browsed->ui)
        return;
    // The screen manager's font, else the console font (a reference for this frame).
    ov_font_t *console = sman.default_font ? nullptr : ov->OV_GetFont("core/console.mft");
    ov_font_t *font = sman.default_font ? sman.default_font : console;
    if (!font)
        return;
    float t = time_since_change;
    float a = 1.0f - 2.0f * (t - 1.0f);
    a = a < 0.0f ? 0.0f : a > 1.0f ? 1.0f : a;
    float width = (float)prog.parms.width;
    ov->OV_SetBlend(0);
    ov->OV_SetAlpha(a);
    ov->OV_SetColor(0, 0, 0);
    ov->OV_DrawRect(0, 3, width, (float)font->line_height + 2);
    ov->OV_SetColor(1, 1, 1);
    ov->OV_SetAlpha(a);
    ov->OV_SetTextAlign(8);
    ov->OV_DrawTextf(font, width / 2, 4, "%d/%d: %s (%s)", index, Screen::total_num_screens.load(),
                     browsed->name ? browsed->name : "", browsed->ui->file ? browsed->ui->file : "");
    ov->OV_SetTextAlign(0);
    if (console)
        ov->OV_ReleaseFont(console);
}
