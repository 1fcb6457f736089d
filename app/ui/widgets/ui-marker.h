// The marker (type 15, "marker." properties): an invisible named area with a size of
// its own that scripts read through the properties. Draws nothing.
#ifndef APP_UI_WIDGETS_UI_MARKER_H
#define APP_UI_WIDGETS_UI_MARKER_H

#include "app/ui/ui-comps.h"
#include "app/ui/widgets/ui-area.h"

class UICompMarker : public UIComp {
public:
    UICompMarker();

    UIComp *Clone(const char *name) override;
    void Update(float dt) override;   // nothing
    void Draw() override;             // only refreshes the size in resize mode
    void EditUpdate(float dt) override;
    void ExportLua(FILE *f) override;
    int GetProperty(const char *name, lua_State *L) override;
    int SetProperty(const char *name, lua_State *L) override;
    bool InheritFrom(UIComp *tmpl) override;
    // Area size x dynamic scale; the virtual screen's size for STRETCH_TO_COVER_SCREEN.
    void UpdateDimensions() override;

    float area_width = 64.0f;
    float area_height = 64.0f;

private:
    UIArea Area() { return UIArea{"marker", "UICompMarker", &area_width, &area_height}; }
};

#endif
