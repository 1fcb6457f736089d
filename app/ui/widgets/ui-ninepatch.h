// The nine-patch (type 11, "ninepatch." properties): a panel drawn from one bitmap cut
// into nine pieces by its client rectangle; the corners keep their pixel size while
// the edges and the centre stretch to the client size. Not interactive by default.
// Holds its bitmap with a reference taken on screen entry and given back on leave.
#ifndef APP_UI_WIDGETS_UI_NINEPATCH_H
#define APP_UI_WIDGETS_UI_NINEPATCH_H

#include "app/ui/widgets/ui-comp-kind.h"

class UICompNinePatch : public UICompKind<UICompNinePatch, UICOMP_NINEPATCH, false> {
public:
    void Update(float dt) override;   // nothing
    // Nine quads of the bitmap (nothing without one or with a side of 0).
    void Draw() override;
    // 2 takes a reference on the bitmap and refreshes the size, 3 gives it back.
    void ApplyCacheMode(int mode) override;
    // The client size follows the cursor, less the fixed borders.
    void EditUpdate(float dt) override;
    void ExportOwn(FILE *f, const UICompNinePatch &t);
    int GetOwnProperty(const char *name, lua_State *L);
    int SetOwnProperty(const char *name, lua_State *L);
    void InheritOwn(const UICompNinePatch &t);
    // Its own dynamic scale from the natural size (borders plus client size), then
    // whole pixels.
    void UpdateDimensions() override;

    // Replaces the bitmap (reference counted while the screen is entered) and resizes.
    void SetBitmap(ov_bitmap_t *bitmap);
    void SetBitmap(const char *bitmap_name);
    // Borders plus client size in bitmap pixels; 1 x 1 without a bitmap.
    vec2_t GetNaturalSize() const;

    ov_bitmap_t *bitmap = nullptr;
    float client_x1 = 10.0f, client_y1 = 10.0f, client_x2 = 90.0f, client_y2 = 90.0f;
    int client_width = 50;
    int client_height = 50;
};

#endif
