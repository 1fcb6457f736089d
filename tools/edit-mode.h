// The UI edit mode: while the screen manager's edit mode is on, every engine event
// comes here after the manager's own cursor handling. Keys select, move, align,
// re-order, rename, re-parent, re-style, clone, delete and create components of the
// top screen's UI set, reload and save its script, open the edit pop-up menu and the
// screen browser. Prompts and file choosers go to the platform through the extension
// call; a null reply changes nothing. The resize mode's edge dragging and the
// edit-mode overlays drawn over the screens live here too. Main thread only.
#ifndef TOOLS_EDIT_MODE_H
#define TOOLS_EDIT_MODE_H

#include "orvex.h"

class UIComp;
class UISet;
class PopMenuEdit;

// The edit mode's state that outlives leaving it (the isolated component is the
// screen manager's edit_comp, the component cursor 0 holds its last_locked_comp).
struct EditModeState {
    UIComp *selected = nullptr;
    // Resize drag: locked flag, locked edge flags, where the lock or last step began.
    bool resize_locked = false;
    int resize_flags = 0;
    vec2_t resize_from = {0, 0};
};

extern EditModeState edit_state;
PopMenuEdit &EditMenu();

// The handler of one event: 1 when consumed (S, or a click the menu took), else 0.
int EditModeProcessEvent(ov_event_t &event);
// The menu's fade, once per frame while the edit mode is on.
void EditModeUpdate(float dt);
// Drags the virtual screen's edges, once per frame while the resize mode is on.
void HandleVirtualScreenResizingByDragging();
// The overlays over the screens while the edit or resize mode is on.
void DrawEditModeOverlays();
// Forgets the selection, isolation, menu items and the cursors' last locked component
// (before a UI set they may point into is replaced).
void EditModeForgetComponents();
// Hooks the handler, update and overlays into the screen manager's frame.
void InstallEditMode();

// The alignment a "NumPad" key (97..105) gives, -1 for other keys.
int NumPadAlignment(int key);

#endif
