// The aligner (type 19, "aligner." properties): an invisible area with a size of its
// own that arranges its visible children (the components of its screen's set whose
// parent it is) in a centred grid. Draws nothing.
#ifndef APP_UI_WIDGETS_UI_ALIGNER_H
#define APP_UI_WIDGETS_UI_ALIGNER_H

#include "app/ui/ui-comps.h"
#include "app/ui/widgets/ui-area.h"

class UICompAligner : public UIComp {
public:
    UICompAligner();

    UIComp *Clone(const char *name) override;
    // Lays the visible children out: centred, in columns and rows that fit the area.
    void Update(float dt) override;
    void Draw() override;             // lays out; refreshes the size in resize mode
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
    UIArea Area() { return UIArea{"aligner", "UICompAligner", &area_width, &area_height}; }
};

#endif
