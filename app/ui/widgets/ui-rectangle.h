// The rectangle (type 13, "rectangle." properties): a filled rectangle in the
// component colour. Not interactive by default.
#ifndef APP_UI_WIDGETS_UI_RECTANGLE_H
#define APP_UI_WIDGETS_UI_RECTANGLE_H

#include "app/ui/ui-comps.h"

class UICompRectangle : public UIComp {
public:
    UICompRectangle();

    UIComp *Clone(const char *name) override;
    void Update(float dt) override;   // nothing
    // Fills the aligned rectangle (rotated about the static position) when both rect
    // sides are above 0 and the static alpha is.
    void Draw() override;
    void EditUpdate(float dt) override;
    void ExportLua(FILE *f) override;
    int GetProperty(const char *name, lua_State *L) override;
    int SetProperty(const char *name, lua_State *L) override;
    bool InheritFrom(UIComp *tmpl) override;
    // Rect size x scale (a side of 0 counts 16) x dynamic scale; the virtual screen's
    // size for STRETCH_TO_COVER_SCREEN.
    void UpdateDimensions() override;

    float rect_width = 0.0f;
    float rect_height = 0.0f;
};

#endif
