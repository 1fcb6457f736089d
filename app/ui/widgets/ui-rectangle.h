// The rectangle (type 13, "rectangle." properties): a filled rectangle in the
// component colour. Not interactive by default.
#ifndef APP_UI_WIDGETS_UI_RECTANGLE_H
#define APP_UI_WIDGETS_UI_RECTANGLE_H

#include "app/ui/widgets/ui-box-kind.h"

class UICompRectangle : public UICompBoxKind<UICompRectangle, UICOMP_RECTANGLE> {
public:
    static constexpr const char *kBoxWord = "rectangle";
    static constexpr const char *kClassName = "UICompRectangle";
    static constexpr float kEmptyWidth = 16.0f, kEmptyHeight = 16.0f;

    void Update(float dt) override;   // nothing
    // Fills the aligned rectangle (rotated about the static position) when both rect
    // sides are above 0 and the static alpha is.
    void Draw() override;
};

#endif
