// The touch grid (type 10, "touchgrid." properties): a paged scroll area. Each axis has
// a number of steps (pages) of one size and a selected step; a drag moves the selection
// by whole steps and the shown offset glides to it. Components parented to the grid
// are moved by minus the whole part of its offsets (UIComp::GetStaticPos). While the
// offset still glides, clicks on its children are cancelled. It draws only a developer
// overlay and is not interactive.
#ifndef APP_UI_WIDGETS_UI_TOUCHGRID_H
#define APP_UI_WIDGETS_UI_TOUCHGRID_H

#include "app/ui/widgets/ui-comp-kind.h"

struct ov_font_t;

class UICompTouchGrid : public UICompKind<UICompTouchGrid, UICOMP_TOUCHGRID, false> {
public:
    // One axis.
    struct AxisValue {
        bool enabled = true;
        int num_steps = 1;
        int selected = 0;
        float step_size = 64.0f;
        float current_offset = 0.0f;   // shown
        float target_offset = 0.0f;    // selected x step size
        float accumulated = 0.0f;      // drag travel not yet turned into steps
        int steps_moved = 0;           // in the current drag

        // A drag step (the pointer's movement since the last event, content units): 1
        // when the axis is disabled or the selection moved, 0 below the threshold.
        int ApplyDrag(float delta);
        // Selects a step limited to 0..steps - 1 and aims the offset at it.
        void Select(int step);
    };


    // The offsets glide to their targets; gliding cancels clicks on the children.
    void Update(float dt) override;
    // Developer overlay (developer mode, with the UI edit mode or SHIFT held).
    void Draw() override;
    void EditUpdate(float dt) override;
    void ExportOwn(FILE *f, const UICompTouchGrid &t);
    int GetOwnProperty(const char *name, lua_State *L);
    int SetOwnProperty(const char *name, lua_State *L);
    void InheritOwn(const UICompTouchGrid &t);
    // Drags of the first pointer and the wheel; an inactive grid swallows every event.
    int ProcessEvent(ov_event_t *event) override;
    void OnScreenEnter(Screen *screen) override;
    void OnScreenLeave(Screen *screen) override;
    // One step of each axis times the dynamic scale; the content is steps x step size.
    void UpdateDimensions() override;

    bool IsPointOverContent(vec2_t p);
    void UnlockSlideGrip();

    AxisValue axis_x, axis_y;
    float content_width = 64.0f, content_height = 64.0f;
    bool grip = false;
    float press_x = 0, press_y = 0, current_x = 0, current_y = 0;

private:
    // Whether some cursor is locked to the grid or to a component below it.
    bool IsLockedBelow() const;
    ov_font_t *overlay_font_ = nullptr;   // fetched once, at the first overlay
};

#endif
