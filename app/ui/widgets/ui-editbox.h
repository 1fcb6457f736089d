// The edit box (type 3, "editbox." properties): a single-line text input on a panel
// bitmap with a blinking cursor bitmap and a filter on the characters it takes. The
// text lives in a fixed buffer of 255 characters. The screen manager shows the
// on-screen keyboard when it is clicked or focused and routes keys and characters to
// it; a press places the text cursor; Return reports a click on it to the top screen.
#ifndef APP_UI_WIDGETS_UI_EDITBOX_H
#define APP_UI_WIDGETS_UI_EDITBOX_H

#include "app/ui/widgets/ui-comp-kind.h"
#include "app/ui/widgets/ui-widget-text.h"

struct ov_font_t;

enum { UI_EDITBOX_TEXT_SIZE = 256 };

class UICompEditbox : public UICompKind<UICompEditbox, UICOMP_EDITBOX>,
                      public UIFormattedText<UICompEditbox, 4096> {
public:
    void Draw() override;
    // 2 takes a reference on each set bitmap (panel, panel over, cursor) and updates
    // the size; 3 gives them back.
    void ApplyCacheMode(int mode) override;
    void ExportOwn(FILE *f, const UICompEditbox &t);
    int GetOwnProperty(const char *name, lua_State *L);
    int SetOwnProperty(const char *name, lua_State *L);
    void InheritOwn(const UICompEditbox &t);
    // 1 for every direction key: the game-pad cursor does not leave an edit box.
    int ProcessCursorMove(UICursor *cursor, int key, float dt) override;
    // While the cursor's button is down: the text cursor goes to the character nearest
    // to the position. 1.
    int ProcessCursorMove(UICursor *cursor, const vec2_t &pos, float dt) override;
    // Inserts a valid character at the cursor (1), or refuses it (0); Return reports a
    // click and ends the keyboard input (1).
    int ProcessChar(int c) override;
    // LEFT, RIGHT, BACKSPACE, DELETE and RETURN edit; every key gives 1.
    int ProcessKey(int key) override;
    // 16 x 16 or the panel's size, times the dynamic scale.
    void UpdateDimensions() override;

    virtual void SetFont(ov_font_t *font);
    // Whether the font can show the character and the filter lets it through.
    virtual bool IsValidChar(int c);

    // SetText (4095 characters at most): keeps the first 255 and moves the cursor to
    // the end.
    void ApplyFormattedText(const char *formatted);

    ov_bitmap_t *bm_panel = nullptr;
    ov_bitmap_t *bm_panel_over = nullptr;
    ov_bitmap_t *bm_cursor = nullptr;
    ov_font_t *font = nullptr;
    bool caps_only = false;
    int max_chars = 8;
    int cursor = 0;                 // character index, 0 to the text's length
    float padding = 0.0f;           // panel pixels at each end
    float text_offset_x = 0.0f, text_offset_y = 0.0f;
    float text_scale = 1.0f;
    color_t text_color = {1, 1, 1, 1};
    char text[UI_EDITBOX_TEXT_SIZE] = {0};

private:
    // Cursor to the end, a click on the box to the top screen's set, and the command
    // that ends the keyboard input.
    void Submit(const char *command);
    // Set by a Return key event: the Return character that follows it belongs to the
    // same press and reports nothing more.
    bool return_key_pending_ = false;
};

#endif
