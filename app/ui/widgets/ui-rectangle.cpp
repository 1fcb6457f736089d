// The rectangle (see ui-rectangle.h).
#include "app/ui/widgets/ui-rectangle.h"

#include "app/services/luaman.h"

#include "app/ui/screen-manager.h"
#include "app/ui/widgets/ui-widget-frame.h"

using namespace uiwidget;

void UICompRectangle::Update(float) {}

void UICompRectangle::Draw()
{
    const float a = BeginDraw(this);
    if (a <= 0.0f)
        return;
    const vec2_t pos = GetAlignedPos();
    const bool rotated = PushRotation(this);
    if (rect_width > 0.0f && rect_height > 0.0f)
        ov->OV_DrawRect(pos.x, pos.y, width, height);
    PopRotation(rotated);
}
