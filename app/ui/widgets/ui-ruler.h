// The ruler (type 16, "ruler." properties): a bar of an end-point bitmap at each end
// (the second mirrored) and a repeated middle bitmap, horizontal when the client width
// is above the client height, else vertical. Holds its two bitmaps with references
// taken on screen entry and given back on leave.
#ifndef APP_UI_WIDGETS_UI_RULER_H
#define APP_UI_WIDGETS_UI_RULER_H

#include "app/ui/widgets/ui-comp-kind.h"

class UICompRuler : public UICompKind<UICompRuler, UICOMP_RULER, false> {
public:
    void Update(float dt) override;   // nothing
    // Draws nothing without both bitmaps.
    void Draw() override;
    // 2 takes a reference on each present bitmap, 3 gives it back.
    void ApplyCacheMode(int mode) override;
    void EditUpdate(float dt) override;
    void ExportOwn(FILE *f, const UICompRuler &t);
    int GetOwnProperty(const char *name, lua_State *L);
    int SetOwnProperty(const char *name, lua_State *L);
    void InheritOwn(const UICompRuler &t);
    // Size from the client size and the ruler's own scale; the thickness follows the
    // taller bitmap when both are present.
    void UpdateDimensions() override;

    // Replace a bitmap (with reference counting while the screen is entered).
    void SetEndpointBitmap(const char *bitmap_name);
    void SetRepeatBitmap(const char *bitmap_name);

    ov_bitmap_t *endpoint_bitmap = nullptr;
    ov_bitmap_t *repeat_bitmap = nullptr;
    float client_width = 50.0f;
    float client_height = 25.0f;
    float endpoint_offset = 0.0f;
};

#endif
