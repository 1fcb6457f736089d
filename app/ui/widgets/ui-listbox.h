// The list box (type 5, "listbox." properties): a scrolling list of text lines in a
// frame bitmap, each with an optional id, icon bitmap and right-aligned text, and one
// selected line. Program code and the screen manager's script functions fill it. It
// scrolls smoothly in fractional lines: by touch drags with a fling, the wheel, keys
// and ScrollListbox; a press selects the line under it. Not interactive by default.
#ifndef APP_UI_WIDGETS_UI_LISTBOX_H
#define APP_UI_WIDGETS_UI_LISTBOX_H

#include "app/ui/widgets/ui-comp-kind.h"
#include "narray.h"

struct ov_font_t;

class UICompListbox : public UICompKind<UICompListbox, UICOMP_LISTBOX, false> {
public:
    // One line: every field may be null. The strings are owned; the bitmap is held
    // with one reference of the list's own only when `bitmap_counted` is set (the
    // script function's load), which is given back when it is replaced or cleared.
    struct Line {
        char *id;
        ov_bitmap_t *bitmap;
        char *text;
        char *text_right;
        bool bitmap_counted;
    };

    UICompListbox();
    // Clears the lines (their strings and counted bitmaps), then frees the array.
    ~UICompListbox() override;

    // Moves the offset by the pending scroll and springs it back inside the list.
    void Update(float dt) override;
    void Draw() override;
    // 2 takes a reference on the selection, frame and frame-top bitmaps (the size is
    // updated when a frame is set); 3 gives them back.
    void ApplyCacheMode(int mode) override;
    // The content size follows the mouse (UI edit mode).
    void EditUpdate(float dt) override;
    void ExportOwn(FILE *f, const UICompListbox &t);
    // Also "listbox.line[<index>]..." for a line's text, ".id" or ".text_right".
    int GetOwnProperty(const char *name, lua_State *L);
    int SetOwnProperty(const char *name, lua_State *L);
    void InheritOwn(const UICompListbox &t);
    // A direction key goes to ProcessKey.
    int ProcessCursorMove(UICursor *cursor, int key, float dt) override;
    // A press (no drag under way) selects the line under the position. 1.
    int ProcessCursorMove(UICursor *cursor, const vec2_t &pos, float dt) override;
    // UP, DOWN, PAGEUP, PAGEDOWN, HOME, END move the selection and scroll it into view
    // (1); other keys 0.
    int ProcessKey(int key) override;
    // Scrolls by delta / 120 lines. 1.
    int ProcessMouseWheel(float delta) override;
    // Touch scrolling while a cursor is locked to the list: the content follows the
    // finger once it moved more than 3 units, and a release flings it on.
    int ProcessEvent(ov_event_t *event) override;
    // The frame's size (or the content size, 16 for a side of 0), times the dynamic scale.
    void UpdateDimensions() override;

    // Appends a line with every field null; its index.
    int AddLine();
    // Appends a line of no id, the bitmap (not counted) and the formatted text (4095
    // characters at most; a null format gives ""), widening the icon column to the
    // bitmap; its index.
    int AddLine(ov_bitmap_t *bitmap, const char *format, ...);
    // 0 for a line outside the list, else 1; a null format clears the text.
    int SetLineText(int line, const char *format, ...);
    void SetLineTextRight(int line, const char *format, ...);
    // A copy of the id (null gives ""); 0 for a line outside the list.
    int SetLineId(int line, const char *id);
    // The line's bitmap, not counted (code keeps its own reference); ignored outside.
    void SetLineBitmap(int line, ov_bitmap_t *bitmap);
    // The line's bitmap with one reference that the list gives back when the bitmap is
    // replaced or the line cleared; false (the caller keeps the reference) outside.
    bool SetLineBitmapCounted(int line, ov_bitmap_t *bitmap);
    Line *GetLine(int line);
    int GetNumberOfLines() const { return lines.Count(); }
    // Frees every line's strings and counted bitmap and empties the list, keeping its block.
    void ClearLines();
    // Stores the font and raises the line height to its line spacing.
    void SetFont(ov_font_t *font);
    // By half a visible page forward or back (only with a frame).
    void ScrollListbox(bool forward);

    // Whole lines between the paddings of a band of that height (0 for none).
    int VisibleLines(int band_height) const;

    ov_bitmap_t *bm_frame = nullptr;
    ov_bitmap_t *bm_frame_top = nullptr;
    ov_bitmap_t *bm_selection = nullptr;
    int padding_left = 20, padding_right = 20, padding_top = 20, padding_bottom = 20;
    int content_width = 200, content_height = 400;
    bool dragging = false;
    float press_x = 0, press_y = 0, last_x = 0, last_y = 0, latest_x = 0, latest_y = 0;
    color_t text_color = {1, 1, 1, 1};
    ov_font_t *font = nullptr;
    nArray<Line> lines;
    int selected = 0;
    float scroll_offset = 0.0f;    // lines; the line at the top of the view
    float pending_scroll = 0.0f;   // lines still to be applied
    int line_height = 10;
    int icon_column = 0;

private:
    void LimitPendingScroll();
    void WidenIconColumn(const ov_bitmap_t *bitmap);
    void ReleaseLineBitmap(Line &line);
    bool IsLockedByACursor() const;
};

#endif
