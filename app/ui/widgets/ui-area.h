// The invisible area the marker and the aligner are: a size of its own (area width and
// height, 64 x 64 by default) that the properties "<word>.area_width" and
// "<word>.area_height" set and read, the edit mode's drag resizes and export writes,
// turned into the component's size. The helpers both kinds use for it.
#ifndef APP_UI_WIDGETS_UI_AREA_H
#define APP_UI_WIDGETS_UI_AREA_H

#include <stdio.h>

class UIComp;
struct lua_State;

// A kind's area and the words it names itself by: its property word ("marker") and the
// class its messages name ("UICompMarker").
struct UIArea {
    const char *word;
    const char *class_name;
    float *width;
    float *height;
};

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

#endif
