// The slider (type 2, "slider." properties): a value from 0 to 1 shown as a panel with
// a "full" bitmap revealed in proportion and an optional marker at the fill's edge.
// Wider than high is horizontal (fills from the left), else vertical (fills from the
// bottom). Dragging and the game-pad's direction keys change it; every change is
// reported to the screen as a click on the slider.
#ifndef APP_UI_WIDGETS_UI_SLIDER_H
#define APP_UI_WIDGETS_UI_SLIDER_H

#include "app/ui/widgets/ui-comp-kind.h"

class UICompSlider : public UICompKind<UICompSlider, UICOMP_SLIDER> {
public:
    void Draw() override;
    // 2 takes a reference on each set bitmap (panel, panel over, full, marker) and
    // updates the size; 3 gives them back.
    void ApplyCacheMode(int mode) override;
    void ExportOwn(FILE *f, const UICompSlider &t);
    int GetOwnProperty(const char *name, lua_State *L);
    int SetOwnProperty(const char *name, lua_State *L);
    void InheritOwn(const UICompSlider &t);
    // A direction key of the game-pad cursor: 1 when taken (value +-0.1), 0 otherwise.
    int ProcessCursorMove(UICursor *cursor, int key, float dt) override;
    // A drag of the locked cursor: sets the value from the position; 0 without a panel.
    int ProcessCursorMove(UICursor *cursor, const vec2_t &pos, float dt) override;
    // 16 x 16, or the first set of panel, panel over and full, raised to the marker's
    // size; times the dynamic scale.
    void UpdateDimensions() override;

    bool IsHorizontal() const;

    float value = 0.5f;
    ov_bitmap_t *bm_panel = nullptr;
    ov_bitmap_t *bm_panel_over = nullptr;
    ov_bitmap_t *bm_full = nullptr;
    ov_bitmap_t *bm_marker = nullptr;
    float padding_start = 0.0f;   // left of a horizontal slider, bottom of a vertical one
    float padding_end = 0.0f;

private:
    // Stores a value clamped to 0..1 and reports a change as a click.
    void ChangeValue(float v);
    // The full bitmap's length along the slider minus both paddings.
    float Span() const;
};

#endif
