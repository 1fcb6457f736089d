// The checkbox (type 4, "checkbox." properties): an on/off box drawn from state bitmaps
// with a marker bitmap while its value is set and an optional label to its right. A
// click on it is reported like any other; the screen's script sets the value.
#ifndef APP_UI_WIDGETS_UI_CHECKBOX_H
#define APP_UI_WIDGETS_UI_CHECKBOX_H

#include "app/ui/widgets/ui-comp-kind.h"
#include "app/ui/widgets/ui-widget-text.h"

struct ov_font_t;

// The label is freed with the checkbox.
class UICompCheckbox : public UICompKind<UICompCheckbox, UICOMP_CHECKBOX>,
                       public UIFormattedText<UICompCheckbox, 4096>,
                       public UIOwnedLabel<UICompCheckbox> {
public:
    static constexpr const char *kLabelKind = "checkbox";

    void Draw() override;
    // 2 takes a reference on each set bitmap (idle, over, pressed, disabled, marker)
    // and updates the size; 3 gives them back.
    void ApplyCacheMode(int mode) override;
    void ExportOwn(FILE *f, const UICompCheckbox &t);
    int GetOwnProperty(const char *name, lua_State *L);
    int SetOwnProperty(const char *name, lua_State *L);
    void InheritOwn(const UICompCheckbox &t);
    // The idle bitmap's size, or 1 x 1, times the dynamic scale; the label does not count.
    void UpdateDimensions() override;

    // SetText (4095 characters at most): stores the label as it is (no escape pass,
    // no size update).
    void ApplyFormattedText(const char *formatted);
    void SetFont(ov_font_t *font);

    ov_bitmap_t *bm_idle = nullptr;
    ov_bitmap_t *bm_over = nullptr;
    ov_bitmap_t *bm_pressed = nullptr;
    ov_bitmap_t *bm_disabled = nullptr;
    ov_bitmap_t *bm_marker = nullptr;
    int value = 0;                        // 0 unchecked, anything else checked
};

#endif
