// The aligner (type 19, "aligner." properties): an invisible area that arranges its
// visible children (the components of its screen's set whose parent it is) in a
// centred grid. Draws nothing.
#ifndef APP_UI_WIDGETS_UI_ALIGNER_H
#define APP_UI_WIDGETS_UI_ALIGNER_H

#include "app/ui/widgets/ui-marker.h"

class UICompAligner : public UICompMarker {
public:
    UICompAligner();

    // Lays the visible children out: centred, in columns and rows that fit the area.
    void Update(float dt) override;
    void Draw() override;             // lays out; refreshes the size in resize mode

protected:
    const char *PropertyWord() const override { return "aligner"; }
    const char *ClassName() const override { return "UICompAligner"; }
    UICompMarker *NewOfKind() const override { return new UICompAligner(); }
};

#endif
