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
#include "app/ui/widgets/ui-comp-kind.h"

#include <lua.hpp>
#include <math.h>
#include <stdio.h>
#include <string.h>

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

    int GetOwnProperty(const char *prop, lua_State *L)
    {
        if (float *side = Side(prop)) {
            lua_pushnumber(L, *side);
            return 1;
        }
        ov->OV_Popupf(1, "%s::GetProperty: Unknown Property '%s'\n", Kind::kClassName, prop);
        return 0;
    }

    int SetOwnProperty(const char *prop, lua_State *L)
    {
        if (float *side = Side(prop)) {
            *side = (float)lua_tonumber(L, 2);
            UpdateDimensions();
        } else {
            ov->OV_Popupf(1, "%s::SetProperty: Unknown Property '%s' for UIComp '%s'\n", Kind::kClassName, prop,
                          this->name ? this->name : "");
        }
        return 0;
    }

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
    // The side a property names ("<word>.rect_width", "<word>.rect_height"), or null.
    float *Side(const char *prop)
    {
        const size_t n = strlen(Kind::kBoxWord);
        if (strncmp(prop, Kind::kBoxWord, n) != 0 || prop[n] != '.')
            return nullptr;
        if (strcmp(prop + n + 1, "rect_width") == 0)
            return &rect_width;
        if (strcmp(prop + n + 1, "rect_height") == 0)
            return &rect_height;
        return nullptr;
    }
};

#endif
