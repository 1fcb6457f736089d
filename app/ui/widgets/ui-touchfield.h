// The touch field (type 9, "touchfield." properties): a kinetic scroll area. A view
// area of a given size looks onto a larger content; dragging with the first pointer
// scrolls it on two independent axes with limits, momentum, inertia after release and
// a limit behaviour. Components parented to the field are moved by minus the whole
// part of its scroll values (UIComp::GetStaticPos). A drag of more than 10 units
// cancels the cursor locks, so that children under the finger are not clicked. It
// draws only a developer overlay and is not interactive.
#ifndef APP_UI_WIDGETS_UI_TOUCHFIELD_H
#define APP_UI_WIDGETS_UI_TOUCHFIELD_H

#include "app/ui/widgets/ui-comp-kind.h"
#include "narray.h"

struct ov_font_t;

enum { UITOUCH_SPRING = 0, UITOUCH_STOP = 1, UITOUCH_SMOOTH_STOP = 2, UITOUCH_SMOOTH_DRAG = 3 };

class UICompTouchField : public UICompKind<UICompTouchField, UICOMP_TOUCHFIELD, false> {
public:
    // One scroll axis.
    struct SlidingValue {
        bool enabled = true;
        float value = 0.0f;          // scroll position in content units
        int limit_type = UITOUCH_SPRING;
        float limit_min = 0.0f, limit_max = 500.0f;
        float raw = 0.0f;            // drag position before limits; target of a slide
        float velocity = 0.0f;       // units per second after a release
        float momentum = 0.0f;       // movement while the drag keeps one direction
        nArray<float> samples;       // the value at the last 5 steps
        bool dragging = false;
        float drag_origin = 0.0f;
        float interval = 0.0f;       // the last Update's frame time
        bool jumped = false;
        bool moved_far = false;

        // Starts a drag at the value; the speed stays only after a strong flick.
        void BeginDrag();
        // The pointer's travel since the press, in content units.
        void UpdateSlide(float delta);
        // Ends a drag with a velocity from the samples (0 without samples or time).
        void EndSlide();
        void Update(float dt);
        void AddSample();
    };


    // Both axes; a drag step that moved far unlocks the cursors.
    void Update(float dt) override;
    // Developer overlay (developer mode, with the UI edit mode or SHIFT held).
    void Draw() override;
    void EditUpdate(float dt) override;
    void ExportOwn(FILE *f, const UICompTouchField &t);
    int GetOwnProperty(const char *name, lua_State *L);
    int SetOwnProperty(const char *name, lua_State *L);
    void InheritOwn(const UICompTouchField &t);
    // Presses, moves and releases of the first pointer and the wheel (1 when taken).
    int ProcessEvent(ov_event_t *event) override;
    void OnScreenEnter(Screen *screen) override;
    void OnScreenLeave(Screen *screen) override;
    // The area's size times the dynamic scale; limits 0..content - area (at least 0).
    void UpdateDimensions() override;

    void SetValueX(float v);
    void SetValueY(float v);
    void SetAreaWidth(float w);
    void SetAreaHeight(float h);
    void SetContentWidth(float w);
    void SetContentHeight(float h);
    void SlideToTargetValueX(float v);
    void SlideToTargetValueY(float v);
    bool IsPointOverContent(vec2_t p);
    bool IsPointOverViewArea(vec2_t p);
    // Ends the drag of each enabled axis and lets go of the pointer.
    void UnlockSlideGrip();

    float content_width = 100.0f, content_height = 100.0f;
    float area_width = 100.0f, area_height = 100.0f;
    SlidingValue axis_x, axis_y;
    bool grip = false;
    float press_x = 0, press_y = 0, current_x = 0, current_y = 0;
    bool only_inside_view = false;

private:
    ov_font_t *overlay_font_ = nullptr;   // fetched once, at the first overlay
};

#endif
