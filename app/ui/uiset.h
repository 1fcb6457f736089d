// The UI set: one screen's UI components in creation order (the draw and hit-test
// order), the set's own Lua state whose user pointer is the set, the file its script
// came from, the event script with its callback flags, and whether the components'
// bitmaps are applied (cache modes on enter and leave).
#ifndef APP_UI_UISET_H
#define APP_UI_UISET_H

#include "narray.h"

struct lua_State;
class Screen;
class UIComp;

class UISet {
public:
    // Opens the set's Lua state and points its user pointer at the set; a null file
    // becomes "".
    explicit UISet(const char *file);
    // Destroys the components still listed, closes the Lua state, frees the texts.
    ~UISet();

    // First component of that name (case-sensitive); unnamed ones are skipped.
    UIComp *GetComp(const char *name);
    // Null outside 0..count-1.
    UIComp *GetCompByIndex(int index);
    int GetNumberOfComps() const { return comps.Count(); }
    // Takes the first occurrence out of the list without destroying it.
    void Remove(UIComp *comp);
    // Runs the set's script with this set as the one its components are made in (the
    // set being built before is restored after), then precalculates and measures every
    // component and marks it loaded.
    void BuildFromScript();
    // Every component: CalculateDynamicScale, then UpdateDimensions.
    void UpdateComponents();
    // Loads the bitmaps of the components that cache on enter (once per entry) and
    // refreshes every component's size; a load makes the next frame's step zero.
    void ApplyCacheModeOnEnter();
    // Releases the bitmaps of the components in the default cache mode.
    void ApplyCacheModeOnLeave();
    // Writes the set back as a UI script for the file name it was loaded from (such as
    // "ui/main-menu.lua"), under "user://dev-edits/" (tools/ui-writer.cpp). 1 when
    // written; 0 after the popup "Unable to save to file '%s'.\n" (the old file kept).
    int ExportLua(const char *name);

    char *file;
    nArray<UIComp *> comps;
    UIComp *active_comp = nullptr;   // last created, or last clicked
    Screen *owner = nullptr;         // null for the templates set
    char *events_file = nullptr;     // script named by "UIEvents"
    lua_State *L = nullptr;
    bool cache_applied = false;
    int mem_usage = 0;
    bool has_OnMouseDown = false;
    bool has_OnMouseUp = false;
    bool has_OnKeyDown = false;
    bool has_OnKeyUp = false;
    bool has_OnCursorEnter = false;
    bool has_OnDrawComp = false;
    bool has_OnEnter = false;
    bool has_OnLeave = false;
    bool has_OnUpdate = false;
    bool has_OnDraw = false;

    UISet(const UISet &) = delete;
    UISet &operator=(const UISet &) = delete;
};

#endif
