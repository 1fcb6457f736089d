// What the drawn widgets share (see ui-widget-frame.h).
#include "app/ui/widgets/ui-widget-frame.h"

#include "app/services/localization.h"
#include "app/services/prog.h"
#include "app/ui/screen-manager.h"
#include "app/ui/screen.h"
#include "ovrecords.h"

#include <math.h>

namespace uiwidget {

const char *BitmapName(const ov_bitmap_t *b)
{
    return b && b->name ? b->name : "";
}

const char *FontName(const ov_font_t *f)
{
    return f && f->name ? f->name : "";
}

int BitmapWidth(const ov_bitmap_t *b)
{
    return b && b->width > 0 ? b->width : 0;
}

int BitmapHeight(const ov_bitmap_t *b)
{
    return b && b->height > 0 ? b->height : 0;
}

void SetDrawState(UIComp *comp, float alpha)
{
    ov->OV_SetColor(comp->color.r, comp->color.g, comp->color.b);
    ov->OV_SetAlpha(alpha);
    ov->OV_SetBlend(comp->blend_mode);
    ov->OV_SetPixelFilter(comp->pixel_filter);
}

bool PushRotation(UIComp *comp)
{
    const float a = comp->GetStaticAngle();
    if (!(fabsf(a) >= 1e-6f))
        return false;
    const vec2_t s = comp->GetStaticPos();
    const float c = cosf(a), sn = sinf(a);
    // Translate to s, rotate, translate back: x' = s + R (x - s).
    nTransform t = {{c, -sn, 0.0f, s.x - c * s.x + sn * s.y,
                     sn, c, 0.0f, s.y - sn * s.x - c * s.y,
                     0.0f, 0.0f, 1.0f, 0.0f,
                     0.0f, 0.0f, 0.0f, 1.0f}};
    ov->OV_PushTransform(&t);
    return true;
}

void PopRotation(bool pushed)
{
    if (pushed)
        ov->OV_PopTransform();
}

void DrawBitmapAt(ov_bitmap_t *b, vec2_t pos, float ds)
{
    if (!b)
        return;
    if (b->width & 1)
        pos.x += 0.5f;
    if (b->height & 1)
        pos.y += 0.5f;
    ov->OV_DrawBitmapRS(b, pos.x + (float)b->width * ds / 2.0f, pos.y + (float)b->height * ds / 2.0f, 0.0f, ds);
}

void TakeBitmap(ov_bitmap_t *b)
{
    if (b && b->name)
        ov->OV_LoadBitmap(b->name, sman.cache_flags);
}

void GiveBackBitmap(ov_bitmap_t *b)
{
    if (b)
        ov->OV_ReleaseBitmap(b);
}

const char *DisplayText(UIComp *comp, const char *text)
{
    if (text && comp->features_present && comp->localize)
        return loc_man().Localize(text);
    return text;
}

void ReportDynamicText(UIComp *comp, const char *formatted)
{
    if (!comp->loaded || !prog.parms.developer_mode || !comp->localize || sman.edit_mode)
        return;
    ov->OV_Popupf(1, "Setting dynamic text '%s' for localizable component '%s/%s'\n", formatted ? formatted : "",
                  comp->owner && comp->owner->GetName() ? comp->owner->GetName() : "", comp->name ? comp->name : "");
}

}  // namespace uiwidget
