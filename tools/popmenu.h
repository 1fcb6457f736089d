// The edit mode's small context menu: text items in the console font over a dark
// panel that fades in (4 per second) and out (7 per second) and reports the id of the
// item clicked. `PopMenuEdit` turns the edit menu's ids into edit-mode key presses.
// `DrawToolTip` draws a one-line boxed label in the same style. Main thread only.
#ifndef TOOLS_POPMENU_H
#define TOOLS_POPMENU_H

#include "narray.h"
#include "orvex.h"

class PopMenu {
public:
    struct Item {
        int flag = 0;        // 1 an item, 0 a title or separator
        char *id = nullptr;  // owned copies
        char *text = nullptr;
    };

    PopMenu();
    ~PopMenu();

    virtual int ProcessClick(const char *id);

    // A null id or text is stored as "".
    void AddItem(int flag, const char *id, const char *text);
    // Removes the first item with exactly that id; 0 when none has it.
    int RemoveItem(const char *id);
    void Reset();
    void UpdateSize();
    // Places the menu and shows it at full fade at once.
    void SetPos(vec2_t p);
    void SetVisible(bool visible) { this->visible = visible; }
    void SetClickHandler(bool (*handler)(const char *id)) { click_handler = handler; }
    void Update(float dt);
    void Draw();
    int GetItemAtPoint(vec2_t p);
    // Left button down only: an item's click, or hides the menu; 1 when handled.
    int ProcessEvent(ov_event_t *event);

    float x = 0.0f, y = 0.0f;
    float fade = 0.0f;
    float text_width = 0.0f;
    float line_height = 0.0f, panel_width = 0.0f, panel_height = 0.0f;
    float margin = 4.0f;
    bool visible = false;
    nArray<Item> items;
    bool (*click_handler)(const char *id) = nullptr;

    PopMenu(const PopMenu &) = delete;
    PopMenu &operator=(const PopMenu &) = delete;
};

// The edit mode's menu: "RELOAD_UI", "SAVE_UI", "BROWSE_BITMAP", "ADD_NEW_COMP",
// "EDIT_NAME", "EDIT_TEXT" and "SET_PARENT" (any case) press L, S, B, A, N, E or P.
class PopMenuEdit : public PopMenu {
public:
    int ProcessClick(const char *id) override;
};

// A boxed one-line label with its text's top-left near (x, y).
void DrawToolTip(int x, int y, const char *text);

#endif
