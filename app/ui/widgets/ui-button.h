// The button (type 1, "button." properties): a push button drawn from up to four state
// bitmaps (idle, over, pressed, disabled) cross-faded by the hover and press amounts the
// screen manager animates, with an optional icon and text label. It handles no input
// itself: the screen manager's cursors report the click.
#ifndef APP_UI_WIDGETS_UI_BUTTON_H
#define APP_UI_WIDGETS_UI_BUTTON_H

#include "app/ui/widgets/ui-comp-kind.h"
#include "app/ui/widgets/ui-widget-text.h"

struct ov_font_t;

// The label is freed with the button (a localised display text belongs to the
// localisation).
class UICompButton : public UICompKind<UICompButton, UICOMP_BUTTON>,
                     public UIFormattedText<UICompButton, 4096>,
                     public UIOwnedLabel<UICompButton> {
public:
    static constexpr const char *kLabelKind = "button";

    void Draw() override;
    // 2 takes a reference on each set bitmap (idle, over, pressed, disabled, icon) and
    // updates the size; 3 gives them back.
    void ApplyCacheMode(int mode) override;
    void InheritOwn(const UICompButton &t);
    // The idle bitmap's size (or 0 x 0), widened to the icon and, without an idle
    // bitmap, to the text measured at the idle text scale; the dynamic text scale from
    // the textbox width; then times the dynamic scale.
    void UpdateDimensions() override;

    int GetOwnProperty(const char *name, lua_State *L);
    int SetOwnProperty(const char *name, lua_State *L);
    void ExportOwn(FILE *f, const UICompButton &t);
    // SetText (4095 characters at most): turns escape pairs into characters and
    // updates the size.
    void ApplyFormattedText(const char *formatted);
    // Stores the icon as it is (no reference) and updates the size.
    void SetIcon(ov_bitmap_t *icon);
    // Stores the font; updates the size when a text is set.
    void SetFont(ov_font_t *font);
    // A stored label (set, or inherited) updates the size.
    void LabelStored() { UpdateDimensions(); }

    ov_bitmap_t *bm_idle = nullptr;
    ov_bitmap_t *bm_over = nullptr;
    ov_bitmap_t *bm_pressed = nullptr;
    ov_bitmap_t *bm_disabled = nullptr;
    ov_bitmap_t *bm_icon = nullptr;
    float icon_offset_x = 0.0f, icon_offset_y = 0.0f;
    // text: after the escape pass
    float textbox_width = 0.0f, textbox_height = 0.0f;
    int text_align = UIALIGN_CENTER;
    float text_offset_x = 0.0f, text_offset_y = 0.0f;
    float max_text_width_percentage = 95.0f;
    color_t text_color_idle = {1, 1, 1, 1};
    color_t text_color_over = {1, 1, 1, 1};
    color_t text_color_pressed = {1, 1, 1, 1};
    color_t text_color_disabled = {1, 1, 1, 1};
    float scale_idle = 1.0f, scale_over = 1.0f, scale_pressed = 1.0f, scale_disabled = 1.0f;
    float dynamic_text_scale_min = 1.0f, dynamic_text_scale_max = 1.0f;
    float dynamic_text_scale = 1.0f;
    float text_scale_idle = 1.0f, text_scale_over = 1.0f, text_scale_pressed = 1.0f, text_scale_disabled = 1.0f;
};

#endif
