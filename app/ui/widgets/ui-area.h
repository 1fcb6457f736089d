// The invisible area the marker and the aligner are: a size of its own (area width and
// height, 64 x 64 by default) that the properties "<word>.area_width" and
// "<word>.area_height" set and read, the edit mode's drag resizes and export writes,
// turned into the component's size. The helpers both kinds use for it, and the kind
// base that gives a kind all of it (UICompAreaKind).
#ifndef APP_UI_WIDGETS_UI_AREA_H
#define APP_UI_WIDGETS_UI_AREA_H

#include "app/ui/widgets/ui-comp-kind.h"

#include <stdio.h>

struct lua_State;

// A kind's area (or the box kinds' box, ui-box-kind.h) and the words it names itself
// by: its property word ("marker") and the class its messages name ("UICompMarker").
struct UIArea {
    const char *word;
    const char *class_name;
    float *width;
    float *height;
};

// The side a property names ("<word>.<width_name>" or "<word>.<height_name>"), or null.
float *NamedSide(const UIArea &area, const char *prop, const char *width_name, const char *height_name);

// Sets an area property from the script's value at stack position 2 (the size changes
// at the next UpdateDimensions); for any other name the developer popup
// "<class>::SetProperty: Unknown Property '%s' for UIComp '%s'\n". Returns 0.
int SetAreaProperty(const UIArea &area, UIComp *comp, const char *prop, lua_State *L);
// Pushes an area property's value (1); for any other name the popup
// "<class>::GetProperty: Unknown Property '%s'\n" and nothing (0).
int GetAreaProperty(const UIArea &area, const char *prop, lua_State *L);
// Edit mode: the size from the cursor's distance to the component's static position
// over its dynamic scale, doubled along a centred axis.
void EditResizeArea(const UIArea &area, UIComp *comp);
// The script lines of the sizes that differ from the template's (tmpl_width, tmpl_height).
void ExportArea(const UIArea &area, FILE *f, float tmpl_width, float tmpl_height);
// The component's size: the area times its dynamic scale; the virtual screen's size for
// STRETCH_TO_COVER_SCREEN.
void ApplyAreaDimensions(const UIArea &area, UIComp *comp);

// An invisible area kind, not interactive by default: the area's properties, edit
// resize, export, clone and size. The kind names its property word and class
// (static kAreaWord, kClassName) and adds its Update and Draw.
template <class Kind, int KindType>
class UICompAreaKind : public UICompKind<Kind, KindType, false> {
public:
    void EditUpdate(float) override
    {
        EditResizeArea(Area(), this);
        UpdateDimensions();
    }
    void ExportOwn(FILE *f, const Kind &t) { ExportArea(Area(), f, t.area_width, t.area_height); }
    // A clone takes the area.
    void CopyToClone(Kind *clone) const
    {
        clone->area_width = area_width;
        clone->area_height = area_height;
    }
    int GetOwnProperty(const char *prop, lua_State *L) { return GetAreaProperty(Area(), prop, L); }
    // The area changes the size only at the next UpdateDimensions.
    int SetOwnProperty(const char *prop, lua_State *L) { return SetAreaProperty(Area(), this, prop, L); }
    // Area size x dynamic scale; the virtual screen's size for STRETCH_TO_COVER_SCREEN.
    void UpdateDimensions() override { ApplyAreaDimensions(Area(), this); }

    float area_width = 64.0f;
    float area_height = 64.0f;

private:
    UIArea Area() { return UIArea{Kind::kAreaWord, Kind::kClassName, &area_width, &area_height}; }
};

#endif
