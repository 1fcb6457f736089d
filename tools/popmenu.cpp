// Pop-up menu and tool tip drawing (see popmenu.h).
#include "tools/popmenu.h"

#include "app/services/small-maths.h"
#include "app/ui/screen-manager.h"
#include "tools/edit-mode.h"

#include "ovrecords.h"

#include <stdlib.h>
#include <string.h>
#include <strings.h>

namespace {

// The console font, taken by name at each use (the engine counts one reference per
// name, so it is not released here).
const char kConsoleFont[] = "core/console.mft";


char *CopyText(const char *text)
{
    return strdup(text ? text : "");
}

void FreeItem(PopMenu::Item &item)
{
    free(item.id);
    free(item.text);
    item.id = item.text = nullptr;
}

}  // namespace

PopMenu::PopMenu() = default;

PopMenu::~PopMenu()
{
    for (int i = 0; i < items.Count(); i++)
        FreeItem(items[i]);
}

int PopMenu::ProcessClick(const char *)
{
    return 1;
}

void PopMenu::AddItem(int flag, const char *id, const char *text)
{
    Item item;
    item.flag = flag;
    item.id = CopyText(id);
    item.text = CopyText(text);
    items.InsertLast(item);
    UpdateSize();
}

int PopMenu::RemoveItem(const char *id)
{
    for (int i = 0; id && i < items.Count(); i++) {
        if (strcmp(items[i].id, id) == 0) {
            FreeItem(items[i]);
            items.Remove(i);
            UpdateSize();
            return 1;
        }
    }
    return 0;
}

void PopMenu::Reset()
{
    for (int i = 0; i < items.Count(); i++)
        FreeItem(items[i]);
    while (items.Count() > 0)
        items.Remove(items.Count() - 1);
    UpdateSize();
}

void PopMenu::UpdateSize()
{
    text_width = 0.0f;
    ov_font_t *font = ov->OV_GetFont(kConsoleFont);
    for (int i = 0; font && i < items.Count(); i++) {
        float w = ov->OV_GetTextWidthf(font, "%s", items[i].text);
        if (w > text_width)
            text_width = w;
    }
}

void PopMenu::SetPos(vec2_t p)
{
    x = p.x;
    y = p.y;
    fade = 1.0f;
    Update(0.0f);
}

void PopMenu::Update(float dt)
{
    fade = Clamp01(visible ? fade + 4.0f * dt : fade - 7.0f * dt);
    float font_line = 0.0f;
    if (ov_font_t *font = ov->OV_GetFont(kConsoleFont))
        font_line = (float)font->line_height;
    line_height = font_line * fade;
    panel_width = (2.0f * margin + text_width) * fade;
    panel_height = (2.0f * margin + font_line * (float)items.Count()) * fade;
}

int PopMenu::GetItemAtPoint(vec2_t p)
{
    if (!visible || items.Count() == 0)
        return -1;
    float left = x + margin;
    for (int i = 0; i < items.Count(); i++) {
        float top = y + margin + (float)i * line_height;
        if (p.x >= left && p.x < left + text_width && p.y >= top && p.y < top + line_height)
            return i;
    }
    return -1;
}

void PopMenu::Draw()
{
    ov->OV_SetColor(0.0f, 0.0f, 0.0f);
    ov->OV_SetAlpha(Clamp01(2.0f * fade) * 0.75f);
    ov->OV_DrawRect(x, y, panel_width, panel_height);
    int hovered = GetItemAtPoint(mpos);
    ov_font_t *font = ov->OV_GetFont(kConsoleFont);
    ov->OV_SetTextTransform(fade, fade, 0.0f);
    ov->OV_SetAlpha(Clamp01(fade));
    float ty = y + margin;
    for (int i = 0; font && i < items.Count(); i++) {
        if (items[i].flag == 0)
            ov->OV_SetColor(1.0f, 1.0f, 1.0f);
        else if (i == hovered)
            ov->OV_SetColor(1.0f, 0.5f, 0.3f);
        else
            ov->OV_SetColor(0.6f, 0.6f, 0.6f);
        ov->OV_DrawTextf(font, x + margin, ty, "%s", items[i].text);
        ty += line_height;
    }
    ov->OV_SetTextTransform(1.0f, 1.0f, 0.0f);
    ov->OV_SetAlpha(1.0f);
    ov->OV_SetColor(1.0f, 1.0f, 1.0f);
}

int PopMenu::ProcessEvent(ov_event_t *event)
{
    if (!event || event->type != OV_EVENT_BUTTON_DOWN || event->button != 510)
        return 0;
    vec2_t p = {(float)event->x, (float)event->y};
    int index = GetItemAtPoint(p);
    if (index < 0) {
        visible = false;
    } else {
        // The handler may reset the menu: the id is copied first.
        char *id = strdup(items[index].id);
        if (click_handler && click_handler(id))
            visible = false;
        else if (ProcessClick(id))
            visible = false;
        free(id);
    }
    sman.ResetNextFrameTimeDelta();
    return 1;
}

int PopMenuEdit::ProcessClick(const char *id)
{
    sman.ResetNextFrameTimeDelta();
    static const struct {
        const char *id;
        int key;
    } kKeys[] = {{"RELOAD_UI", 'L'}, {"SAVE_UI", 'S'},  {"BROWSE_BITMAP", 'B'}, {"ADD_NEW_COMP", 'A'},
                 {"EDIT_NAME", 'N'}, {"EDIT_TEXT", 'E'}, {"SET_PARENT", 'P'}};
    if (!id)
        return 0;
    for (const auto &k : kKeys) {
        if (strcasecmp(id, k.id) == 0) {
            ov_event_t key;
            memset(&key, 0, sizeof key);
            key.type = OV_EVENT_KEY_DOWN;
            key.key = k.key;
            EditModeProcessEvent(key);
            return 1;
        }
    }
    return 0;
}

void DrawToolTip(int x, int y, const char *text)
{
    ov_font_t *font = ov->OV_GetFont(kConsoleFont);
    if (!font)
        return;
    if (!text)
        text = "";
    ov->OV_SetTextAlign(0);
    ov->OV_SetColor(0.0f, 0.0f, 0.0f);
    ov->OV_SetAlpha(0.75f);
    float w = ov->OV_GetTextWidthf(font, "%s", text) + 4.0f;
    float h = (float)font->height + 4.0f;
    float fx = (float)x, fy = (float)y;
    ov->OV_DrawRect(fx - 2.0f, fy - 2.0f, w, h);
    ov->OV_SetAlpha(1.0f);
    ov->OV_SetColor(1.0f, 1.0f, 1.0f);
    ov->OV_DrawRect(fx - 1.0f, fy - 2.0f, w - 1.0f, 1.0f);
    ov->OV_DrawRect(fx - 2.0f, fy - 2.0f, 1.0f, h);
    ov->OV_DrawRect(fx - 2.0f + w - 1.0f, fy - 2.0f, 1.0f, h);
    ov->OV_DrawRect(fx - 1.0f, fy - 2.0f + h - 1.0f, w - 1.0f, 1.0f);
    ov->OV_DrawTextf(font, fx + 1.0f, fy + 3.0f, "%s", text);
}
