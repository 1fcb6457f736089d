// The marker (see ui-marker.h).
#include "app/ui/widgets/ui-marker.h"

#include "app/ui/screen-manager.h"

void UICompMarker::Update(float) {}

void UICompMarker::Draw()
{
    if (sman.virtual_resize_mode)
        UpdateDimensions();
}
