// The aligner (see ui-aligner.h).
#include "app/ui/widgets/ui-aligner.h"

#include "app/ui/screen-manager.h"
#include "app/ui/screen.h"
#include "app/ui/uiset.h"

#include <lua.hpp>
#include <math.h>
#include <string.h>

#include <algorithm>

// Children sit at fractions of the aligner's size about its centre (for children
// positioned relative to their parent); an odd last child is centred horizontally.
void UICompAligner::Update(float)
{
    UISet *set = owner ? owner->ui : nullptr;
    if (!set)
        return;
    int n = 0;
    float w = 1.0f, h = 1.0f;
    for (int i = 0; i < set->GetNumberOfComps(); i++) {
        UIComp *c = set->GetCompByIndex(i);
        if (c && c->parent == this && c->IsVisible()) {
            n++;
            w = fmaxf(w, c->width);
            h = fmaxf(h, c->height);
        }
    }
    if (n == 0)
        return;
    align = UIALIGN_CENTER;
    const int fit = (int)(height / (h * 1.2f));
    int columns;
    if (n < fit)
        columns = 1;
    else if (n / 2 < fit)
        columns = 2;
    else
        columns = std::max(1, (int)(width / (w * 1.2f)));
    columns = std::min(columns, n);
    const int rows = std::min(std::max((n + 1) / columns, 1), n);
    int index = 0;
    for (int i = 0; i < set->GetNumberOfComps(); i++) {
        UIComp *c = set->GetCompByIndex(i);
        if (!c || c->parent != this || !c->IsVisible())
            continue;
        c->align = UIALIGN_CENTER;
        const int column = index % columns, row = index / columns;
        c->position_x = ((float)column + 0.5f) / (float)columns - 0.5f;
        c->position_y = ((float)row + 0.5f) / (float)rows - 0.5f;
        if (n % 2 == 1 && index == n - 1)
            c->position_x = 0.0f;
        index++;
    }
}

void UICompAligner::Draw()
{
    Update(0.0f);
    if (sman.virtual_resize_mode)
        UpdateDimensions();
}
