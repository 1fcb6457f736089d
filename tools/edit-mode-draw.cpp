// The edit mode's overlays over the screens, in this order: component outlines, the
// selection, the position and parent-anchor icons, the selected component's info box,
// the tool tip of the component under the mouse, the virtual screen's centre lines,
// the Shift-drag ruler, the "Resize Mode" label, the isolated component, the pop-up
// menu and, while key 112 is held, the command help. Also the hooks into the frame.
#include "tools/edit-mode.h"

#include "app/services/key-state.h"

#include "app/ui/frame-services.h"
#include "app/ui/screen-manager.h"
#include "app/ui/screen.h"
#include "app/ui/ui-comps.h"
#include "app/ui/uiset.h"
#include "tools/popmenu.h"

#include "ovrecords.h"

#include <math.h>
#include <stdio.h>

namespace {

const int kHelpKey = 112;

const char *const kHelp[][2] = {
    {"Ctrl+LMB", "Hold down to move component under cursor."},
    {"Alt+Ctrl+LMB", "Hold down to move current selected component."},
    {"Tab", "Select next component. Shift+Tab selects the previous one."},
    {"Z/z", "Move component back/forth in Z order."},
    {"NumPad", "Align comp. (eg. 7 is topleft, 8 is top, 5 is center and so on. Try it.)"},
    {"L", "Load/Reload ui file."},
    {"S", "Save ui file."},
    {"K", "Localize comp on/off (affects components with text)"},
    {"J", "Toggle cache mode between preload and cache on enter/leave (BE CAREFUL WITH THIS!)"},
    {"C", "Clone selected comp"},
    {"Del", "Delete selected comp"},
    {"E", "Edit component Text (if applicaple)"},
    {"N", "Edit component Name"},
    {"P", "Edit component Parent"},
    {"I", "Edit component Inherit value"},
    {"B", "Browse for component bitmap image. (For Labels)"},
    {"F", "Browse for component font. (if applicaple)"},
    {"A", "Add new component at mouse cursor."},
    {"W", "Isolate selected component for editing."},
    {"O", "Open screen browser. When in browser, exit edit mode and use a/z to browse."},
};

void Frame(float x, float y, float w, float h, float t)
{
    ov->OV_DrawRect(x, y, w, t);
    ov->OV_DrawRect(x, y + h - t, w, t);
    ov->OV_DrawRect(x, y, t, h);
    ov->OV_DrawRect(x + w - t, y, t, h);
}

void Outline(UIComp *comp, float t)
{
    vec2_t p = comp->GetAlignedPos();
    vec2_t s = comp->GetBoundingRectangleSize();
    Frame(p.x, p.y, s.x < 2.0f * t ? 2.0f * t : s.x, s.y < 2.0f * t ? 2.0f * t : s.y, t);
}

void Icon(vec2_t p, float r, float g, float b)
{
    ov->OV_SetColor(r, g, b);
    ov->OV_DrawRect(p.x - 3.0f, p.y - 3.0f, 7.0f, 7.0f);
}

void DrawCommandHelp()
{
    ov_font_t *font = ov->OV_GetFont("core/console.mft");
    if (!font)
        return;
    float line = (float)font->line_height;
    ov->OV_SetAlpha(0.75f);
    ov->OV_SetColor(0.0f, 0.0f, 0.0f);
    ov->OV_DrawRect(44.0f, 34.0f, (float)sman.virtual_width, line * 22.0f + 20.0f);
    ov->OV_SetAlpha(1.0f);
    ov->OV_SetColor(1.0f, 1.0f, 1.0f);
    float y = 44.0f;
    ov->OV_DrawTextf(font, 54.0f, y, "%s", "Commands:   (LMB is left mouse button, RMB is the right one)");
    y += 2.0f * line;
    for (const auto &row : kHelp) {
        ov->OV_SetColor(1.0f, 0.8f, 0.3f);
        ov->OV_DrawTextf(font, 54.0f, y, "%s", row[0]);
        ov->OV_SetColor(1.0f, 1.0f, 1.0f);
        ov->OV_DrawTextf(font, 154.0f, y, "%s", row[1]);
        y += line;
    }
}

void EditFrame(float dt)
{
    if (sman.edit_mode)
        EditModeUpdate(dt);
    if (sman.virtual_resize_mode)
        HandleVirtualScreenResizingByDragging();
}

}  // namespace

void DrawEditModeOverlays()
{
    bool edit = sman.edit_mode;
    ov->OV_SetBlend(0);
    ov->OV_SetAlpha(1.0f);
    Screen *top = sman.PeekScreen(0);
    UISet *set = top ? top->ui : nullptr;
    UIComp *selected = edit_state.selected;
    if (edit && set) {
        // Outlines of the visible components.
        ov->OV_SetColor(0.5f, 0.5f, 0.5f);
        for (int i = 0; i < set->comps.Count(); i++)
            if (set->comps[i]->IsVisible())
                Outline(set->comps[i], 1.0f);
        // The selection, its position and its parent's anchor.
        if (selected) {
            ov->OV_SetColor(1.0f, 1.0f, 0.0f);
            Outline(selected, 2.0f);
            Icon(selected->GetStaticPos(), 1.0f, 0.2f, 0.2f);
            if (selected->parent)
                Icon(selected->parent->GetStaticPos(), 0.2f, 0.6f, 1.0f);
            selected->DrawInfoBox(vec2_t{mpos.x + 16.0f, mpos.y + 16.0f});
        }
        UIComp *over = sman.cursors[0].over;
        if (over && over != &comp_null && over->name)
            DrawToolTip((int)mpos.x + 12, (int)mpos.y - 14, over->name);
        // Centre lines of the virtual screen.
        ov->OV_SetAlpha(0.5f);
        ov->OV_SetColor(0.0f, 1.0f, 1.0f);
        float cx = sman.virtual_x + (float)sman.virtual_width * 0.5f;
        float cy = sman.virtual_y + (float)sman.virtual_height * 0.5f;
        ov->OV_DrawRect(cx, sman.virtual_y, 1.0f, (float)sman.virtual_height);
        ov->OV_DrawRect(sman.virtual_x, cy, (float)sman.virtual_width, 1.0f);
        ov->OV_SetAlpha(1.0f);
    }
    if (edit && sman.edit_drag) {
        // The ruler from the drag's start to the mouse.
        vec2_t a = sman.edit_drag_start, b = mpos;
        float x = fminf(a.x, b.x), y = fminf(a.y, b.y), w = fabsf(b.x - a.x), h = fabsf(b.y - a.y);
        ov->OV_SetColor(1.0f, 0.0f, 1.0f);
        Frame(x, y, w < 1.0f ? 1.0f : w, h < 1.0f ? 1.0f : h, 1.0f);
        char text[128];
        snprintf(text, sizeof text, "X:%d Y:%d W:%d H:%d Length:%d", (int)x, (int)y, (int)w, (int)h,
                 (int)sqrtf(w * w + h * h));
        DrawToolTip((int)b.x + 12, (int)b.y + 12, text);
    }
    if (sman.virtual_resize_mode)
        DrawToolTip((int)sman.virtual_x + 4, (int)sman.virtual_y + 4, "Resize Mode");
    if (edit && sman.edit_comp) {
        ov->OV_SetColor(0.0f, 1.0f, 0.0f);
        Outline(sman.edit_comp, 2.0f);
        vec2_t p = sman.edit_comp->GetAlignedPos();
        DrawToolTip((int)p.x, (int)p.y - 16, sman.edit_comp->name ? sman.edit_comp->name : "");
    }
    if (edit && EditMenu().fade > 0.0f)
        EditMenu().Draw();
    if (edit && KeyHeld(kHelpKey))
        DrawCommandHelp();
    ov->OV_SetAlpha(1.0f);
    ov->OV_SetColor(1.0f, 1.0f, 1.0f);
}

void InstallEditMode()
{
    frame_services.edit_event = EditModeProcessEvent;
    frame_services.edit_frame = EditFrame;
    frame_services.edit_draw = DrawEditModeOverlays;
}
