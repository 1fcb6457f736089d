// The aligner (type 19, "aligner." properties): an invisible area with a size of its
// own that arranges its visible children (the components of its screen's set whose
// parent it is) in a centred grid. Draws nothing.
#ifndef APP_UI_WIDGETS_UI_ALIGNER_H
#define APP_UI_WIDGETS_UI_ALIGNER_H

#include "app/ui/widgets/ui-area.h"

class UICompAligner : public UICompAreaKind<UICompAligner, UICOMP_ALIGNER> {
public:
    static constexpr const char *kAreaWord = "aligner";
    static constexpr const char *kClassName = "UICompAligner";

    // Lays the visible children out: centred, in columns and rows that fit the area.
    void Update(float dt) override;
    void Draw() override;             // lays out; refreshes the size in resize mode
};

#endif
