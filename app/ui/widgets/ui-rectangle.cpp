// The rectangle (see ui-rectangle.h).
#include "app/ui/widgets/ui-rectangle.h"

#include "app/ui/screen-manager.h"
#include "app/ui/widgets/ui-widget-frame.h"

using namespace uiwidget;

void UICompRectangle::Update(float) {}

void UICompRectangle::Draw()
{
    if (sman.virtual_resize_mode)
        UpdateDimensions();
    const vec2_t pos = GetAlignedPos();
    const float a = GetStaticAlpha();
    if (a <= 0.0f)
        return;
    const bool rotated = PushRotation(this);
    SetDrawState(this, a * color.a);
    if (rect_width > 0.0f && rect_height > 0.0f)
        ov->OV_DrawRect(pos.x, pos.y, width, height);
    PopRotation(rotated);
}
