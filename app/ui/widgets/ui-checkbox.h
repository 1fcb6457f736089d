// The checkbox (type 4, "checkbox." properties): an on/off box drawn from state bitmaps
// with a marker bitmap while its value is set and an optional label to its right. A
// click on it is reported like any other; the screen's script sets the value.
#ifndef APP_UI_WIDGETS_UI_CHECKBOX_H
#define APP_UI_WIDGETS_UI_CHECKBOX_H

#include "app/ui/ui-comps.h"

struct ov_font_t;

class UICompCheckbox : public UIComp {
public:
    UICompCheckbox();
    ~UICompCheckbox() override;   // frees the text

    UIComp *Clone(const char *name) override;
    void Draw() override;
    // 2 takes a reference on each set bitmap (idle, over, pressed, disabled, marker)
    // and updates the size; 3 gives them back.
    void ApplyCacheMode(int mode) override;
    void ExportLua(FILE *f) override;
    int GetProperty(const char *name, lua_State *L) override;
    int SetProperty(const char *name, lua_State *L) override;
    bool InheritFrom(UIComp *tmpl) override;
    // The idle bitmap's size, or 1 x 1, times the dynamic scale; the label does not count.
    void UpdateDimensions() override;

    // Formats the label (4095 characters at most) and stores it as it is (no escape
    // pass, no size update); a null format does nothing.
    void SetText(const char *format, ...);
    void SetFont(ov_font_t *font);

    ov_bitmap_t *bm_idle = nullptr;
    ov_bitmap_t *bm_over = nullptr;
    ov_bitmap_t *bm_pressed = nullptr;
    ov_bitmap_t *bm_disabled = nullptr;
    ov_bitmap_t *bm_marker = nullptr;
    ov_font_t *font = nullptr;
    char *text = nullptr;                 // owned
    const char *display_text = nullptr;   // the localised text or `text`
    int value = 0;                        // 0 unchecked, anything else checked

private:
    void StoreText(const char *stored);
};

#endif
