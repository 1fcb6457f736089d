// The text box (type 12, "textbox." properties): a block of text in one font,
// optionally wrapped to a fixed width, localised through the translation table and
// aligned inside its box. Not interactive by default. Fonts are the engine's (no
// reference of the component's own); the raw text is owned, a localised display text
// belongs to the localisation manager.
//
// The size is measured on whichever thread builds the screen (the loading worker
// included); the engine keeps the text state per thread.
#ifndef APP_UI_WIDGETS_UI_TEXTBOX_H
#define APP_UI_WIDGETS_UI_TEXTBOX_H

#include "app/ui/widgets/ui-comp-kind.h"
#include "app/ui/widgets/ui-widget-text.h"

struct ov_font_t;

class UICompTextbox : public UICompKind<UICompTextbox, UICOMP_TEXTBOX, false>,
                      public UIFormattedText<UICompTextbox, 2048> {
public:
    // Frees the raw text.
    ~UICompTextbox() override;

    // Recalculates the dynamic scale every frame while inherit_angle is set.
    void Update(float dt) override;
    void Draw() override;
    void ApplyCacheMode(int mode) override;   // nothing: fonts are not counted here
    // The wrap width follows the cursor.
    void EditUpdate(float dt) override;
    void ExportOwn(FILE *f, const UICompTextbox &t);
    int GetOwnProperty(const char *name, lua_State *L);
    int SetOwnProperty(const char *name, lua_State *L);
    void InheritOwn(const UICompTextbox &t);
    // The measured text (the wrap width when set) times the dynamic scale; 16 for a
    // side of 0 (no font or no text).
    void UpdateDimensions() override;

    // SetText (2048 bytes, longer cut): turns backslash escapes into characters,
    // localises and resizes (unless the font's name begins with '!').
    void ApplyFormattedText(const char *formatted);
    // Stores the font; with a text present, resizes.
    void SetFont(ov_font_t *font);
    // The stored text, "" without one.
    const char *GetText() const { return raw_text ? raw_text : ""; }

    ov_font_t *font = nullptr;
    char *raw_text = nullptr;
    const char *display_text = nullptr;
    int textbox_width = 0;
    int textbox_align = 0;

private:
    // Stores the text (escapes turned into characters when asked), localises and
    // resizes; `report` shows the developer message for texts set after loading.
    void ApplyText(const char *text, bool escapes, bool report);
    // Applies the stored text again, as it is.
    void ReapplyText();
    bool FontResizes() const;
};

#endif
