// The kind base of the rectangle and the advert slot: a box of the kind's own
// (rect_width x rect_height) that the properties "<word>.rect_width" and
// "<word>.rect_height" set and read, the edit mode's drag resizes, export writes and
// templates pass on, turned into the component's size times its scale. Not interactive
// by default. The kind names its property word and class (static kBoxWord,
// kClassName), the size a side of 0 counts (kEmptyWidth, kEmptyHeight), sets its
// default box, and adds its Update and Draw.
#ifndef APP_UI_WIDGETS_UI_BOX_KIND_H
#define APP_UI_WIDGETS_UI_BOX_KIND_H

#include "app/ui/screen-manager.h"
#include "app/ui/widgets/ui-area.h"
#include "app/ui/widgets/ui-comp-kind.h"

#include <math.h>
#include <stdio.h>

struct lua_State;

// A box kind's sides and the words it names itself by: its property word ("ad") and
// the class its messages name ("UICompAd").
using UIBox = UIArea;

// Pushes a side's value (1); for any other name the popup
// "<class>::GetProperty: Unknown Property '%s'\n" and nothing (0).
int GetBoxProperty(const UIBox &box, const char *prop, lua_State *L);
// Sets a side from the script's value at stack position 2 and updates the size; for
// any other name the popup "<class>::SetProperty: Unknown Property '%s' for UIComp
// '%s'\n". Returns 0.
int SetBoxProperty(const UIBox &box, UIComp *comp, const char *prop, lua_State *L);

template <class Kind, int KindType>
class UICompBoxKind : public UICompKind<Kind, KindType, false> {
public:
    // The box follows the cursor: its distance from the static position, doubled along
    // a centred axis.
    void EditUpdate(float) override
    {
        const vec2_t s = this->GetStaticPos();
        rect_width = fabsf(mpos.x - s.x);
        if (this->align & UIALIGN_HCENTER)
            rect_width *= 2.0f;
        rect_height = fabsf(mpos.y - s.y);
        if (this->align & UIALIGN_VCENTER)
            rect_height *= 2.0f;
        this->width = rect_width;
        this->height = rect_height;
        UpdateDimensions();
    }

    void ExportOwn(FILE *f, const Kind &t)
    {
        if (rect_width != t.rect_width)
            fprintf(f, "SetProperty (\"%s.rect_width\", \"%g\");\n", Kind::kBoxWord, rect_width);
        if (rect_height != t.rect_height)
            fprintf(f, "SetProperty (\"%s.rect_height\", \"%g\");\n", Kind::kBoxWord, rect_height);
    }

    int GetOwnProperty(const char *prop, lua_State *L) { return GetBoxProperty(Box(), prop, L); }
    int SetOwnProperty(const char *prop, lua_State *L) { return SetBoxProperty(Box(), this, prop, L); }

    void InheritOwn(const Kind &t)
    {
        rect_width = t.rect_width;
        rect_height = t.rect_height;
    }

    // Box size x scale (a side of 0 counts the kind's empty size) x dynamic scale; the
    // virtual screen's size for STRETCH_TO_COVER_SCREEN.
    void UpdateDimensions() override
    {
        const float w = this->scale * rect_width, h = this->scale * rect_height;
        this->SetScaledSize(w != 0.0f ? w : Kind::kEmptyWidth, h != 0.0f ? h : Kind::kEmptyHeight);
        if (this->scale_type == UISCALE_STRETCH_TO_COVER_SCREEN) {
            this->width = (float)sman.virtual_width;
            this->height = (float)sman.virtual_height;
        }
    }

    float rect_width = 0.0f;
    float rect_height = 0.0f;

private:
    UIBox Box() { return UIBox{Kind::kBoxWord, Kind::kClassName, &rect_width, &rect_height}; }
};

#endif
