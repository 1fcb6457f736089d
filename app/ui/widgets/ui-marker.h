// The marker (type 15, "marker." properties): an invisible named area with a size of
// its own that scripts read through the properties. Draws nothing.
#ifndef APP_UI_WIDGETS_UI_MARKER_H
#define APP_UI_WIDGETS_UI_MARKER_H

#include "app/ui/widgets/ui-area.h"

class UICompMarker : public UICompAreaKind<UICompMarker, UICOMP_MARKER> {
public:
    static constexpr const char *kAreaWord = "marker";
    static constexpr const char *kClassName = "UICompMarker";

    void Update(float dt) override;   // nothing
    void Draw() override;             // only refreshes the size in resize mode
};

#endif
