// What the drawn widgets (button, checkbox, slider, edit box, list box) share: the
// drawing frame (the component's colour, alpha, blend and filter, and the rotation
// about its static position), bitmaps placed at their own size on whole pixels, the
// names that GetProperty and ExportLua write for bitmaps and fonts, the references
// that ApplyCacheMode takes and gives back, and the localised display text.
#ifndef APP_UI_WIDGETS_UI_WIDGET_FRAME_H
#define APP_UI_WIDGETS_UI_WIDGET_FRAME_H

#include "app/ui/ui-comps.h"

struct ov_bitmap_t;
struct ov_font_t;

namespace uiwidget {

// The bitmap's or font's name, "" for none.
const char *BitmapName(const ov_bitmap_t *b);
const char *FontName(const ov_font_t *f);
// The width and height of a set bitmap, 0 for none (negative sizes count 0).
int BitmapWidth(const ov_bitmap_t *b);
int BitmapHeight(const ov_bitmap_t *b);

// Colour r, g, b of the component, the alpha given, its blend mode and pixel filter.
void SetDrawState(UIComp *comp, float alpha);
// Pushes a transform that rotates by the component's static angle about its static
// position when that angle differs from 0 by 1e-6 or more; true when one was pushed
// (pop it with PopRotation after the last drawing call).
bool PushRotation(UIComp *comp);
void PopRotation(bool pushed);
// Draws a bitmap at scale ds and angle 0 with its top-left corner at pos, moved by
// half a unit along an odd side so that its pixels land on whole screen pixels.
void DrawBitmapAt(ov_bitmap_t *b, vec2_t pos, float ds);

// One more reference on a bitmap the component holds (by its name with the screen
// manager's cache flags), or one less; nothing for null.
void TakeBitmap(ov_bitmap_t *b);
void GiveBackBitmap(ov_bitmap_t *b);

// The text a component shows for its stored text: the localised form when its
// features are present and its localize flag is set, else the text itself.
const char *DisplayText(UIComp *comp, const char *text);
// The developer popup about a text set by code on a localisable component after its
// script ran (only in developer mode and outside the UI edit mode).
void ReportDynamicText(UIComp *comp, const char *formatted);

}  // namespace uiwidget

#endif
