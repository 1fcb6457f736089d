// What the drawn widgets (button, checkbox, slider, edit box, list box) share: the
// drawing frame (the component's colour, alpha, blend and filter, and the rotation
// about its static position), bitmaps placed at their own size on whole pixels, the
// names that GetProperty and ExportLua write for bitmaps and fonts, the references
// that ApplyCacheMode takes and gives back, the localised display text, and the escape
// pass of texts with its export writer.
#ifndef APP_UI_WIDGETS_UI_WIDGET_FRAME_H
#define APP_UI_WIDGETS_UI_WIDGET_FRAME_H

#include "app/ui/ui-comps.h"

#include <initializer_list>

struct lua_State;
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
// The start of a kind's Draw: the size refreshed in the virtual resize mode, then the
// static alpha; above 0, the drawing state is set at it times the colour's alpha. The
// kind draws nothing for a result of 0 or less.
float BeginDraw(UIComp *comp);
// Pushes a transform that rotates by angle (radians) about the point: translate there,
// rotate, translate back. Pop it with ov->OV_PopTransform.
void PushRotationAbout(vec2_t centre, float angle);
// Pushes a transform that rotates by the component's static angle about its static
// position when that angle differs from 0 by 1e-6 or more; true when one was pushed
// (pop it with PopRotation after the last drawing call).
bool PushRotation(UIComp *comp);
void PopRotation(bool pushed);
// The dynamic scale of a kind sized by a natural size w x h of its own (the nine-patch
// and the ruler): the scale type's factor over the virtual screen and the reference
// scales (FIT_INSIDE and FIT_TO_COVER keep 1 for a side of 0 or less; RELATIVE_TO_PARENT
// takes the parent's dynamic scale), times the static scale.
float NaturalSizeScale(UIComp *comp, float w, float h);
// Draws a bitmap at scale ds and angle 0 with its top-left corner at pos, moved by
// half a unit along an odd side so that its pixels land on whole screen pixels.
void DrawBitmapAt(ov_bitmap_t *b, vec2_t pos, float ds);

// One more reference on a bitmap the component holds (by its name with the screen
// manager's cache flags), or one less; nothing for null.
void TakeBitmap(ov_bitmap_t *b);
void GiveBackBitmap(ov_bitmap_t *b);
// ApplyCacheMode of a kind that holds these bitmaps: 2 takes a reference on each, then
// updates the component's size when `resize` is set; 3 gives them back; other modes
// do nothing.
void ApplyBitmapsCacheMode(UIComp *comp, int mode, std::initializer_list<ov_bitmap_t *> bitmaps,
                           bool resize = true);

// A bitmap property: its name, the component's bitmap and, for export, the
// reference's.
struct BitmapProperty {
    const char *property;
    ov_bitmap_t *mine;
    ov_bitmap_t *theirs = nullptr;
};
// Export: the line of each bitmap that is set and differs from the reference's.
void ExportChangedBitmaps(FILE *f, std::initializer_list<BitmapProperty> bitmaps);
// GetProperty: pushes the name of the bitmap whose property `prop` is ("" for none) and
// returns true; false, nothing pushed, when no property of the list is named.
bool PushBitmapNameOf(lua_State *L, const char *prop, std::initializer_list<BitmapProperty> bitmaps);

// The text a component shows for its stored text: the localised form when its
// features are present and its localize flag is set, else the text itself.
const char *DisplayText(UIComp *comp, const char *text);
// The developer popup about a text set by code on a localisable component after its
// script ran (only in developer mode and outside the UI edit mode).
void ReportDynamicText(UIComp *comp, const char *formatted);

// The escape pass of the button's and the text box's texts: \\ \b \n \r \t give a
// backslash, 8, 10, 13 and 9; a backslash before any other character gives that
// character; a backslash at the very end stays. `out` may be `in` (never longer).
void UnescapeText(const char *in, char *out);
// Writes the line SetProperty ("property", "text"); with line feed, 8, 9, 13, quote and
// backslash escaped so that the script reader and then the escape pass give the text
// back (a backslash is written as four: Lua reads two, the pass makes them one).
void WriteEscapedPropertyText(FILE *f, const char *property, const char *text);

// The label properties of a labelled kind named `kind` ("button", "checkbox"):
// "<kind>.font" and "<kind>.text".
enum LabelProperty { LABEL_NONE = 0, LABEL_FONT, LABEL_TEXT };
LabelProperty LabelPropertyOf(const char *prop, const char *kind);
// GetProperty of a label property: pushes the font's name or the stored text ("" for
// none) and returns true; false, nothing pushed, for another name.
bool PushLabelProperty(lua_State *L, const char *prop, const char *kind, const ov_font_t *font, const char *text);
// Export: the font's line when it is set and not the reference's, then the text's when
// it is set and not the reference's; the text with escape pairs for a kind whose SetText
// reads them (`escape_pairs`), else with Lua's escapes.
void ExportLabel(FILE *f, const char *kind, const ov_font_t *font, const ov_font_t *their_font, const char *text,
                 const char *their_text, bool escape_pairs);

}  // namespace uiwidget

#endif
