// An achievement notice: a half-black band across the screen at nine tenths of its
// height with the achievement's icon and localised name centred on it. It fades and
// slides in from the left for 0.35 s, the icon pulses once, and from 2.15 s it fades
// and slides out to the right.
#include "online/achievementman.h"

#include "app/services/dataman.h"
#include "app/services/localization.h"
#include "app/services/prog.h"
#include "app/services/small-maths.h"
#include "app/ui/screen-manager.h"
#include "app/ui/ui-comps.h"
#include "app/ui/widgets/ui-textbox.h"

#include "ovrecords.h"

#include <math.h>

namespace {

ov_bitmap_t *LoadIcon(const char *icon)
{
    return icon ? ov->OV_LoadBitmap(icon, 4) : ov->OV_GetBitmap("!NONE");
}

// The font of the text box template, null without one.
ov_font_t *NoticeFont()
{
    UIComp *tmpl = sman.GetCompTemplate("DefaultTextbox");
    if (!tmpl || tmpl->type != UICOMP_TEXTBOX)
        return nullptr;
    return static_cast<UICompTextbox *>(tmpl)->font;
}

}  // namespace

void AchievementPopupMotion(float t, float *alpha, float *slide)
{
    if (t < 0.35f) {
        float a = Clamp01(t / 0.35f);
        *alpha = a;
        *slide = EaseInOut(a) - 1.0f;
    } else if (t > 2.15f) {
        float b = Clamp01((t - 2.15f) / -0.7f + 1.0f);
        *alpha = b;
        *slide = 1.0f - EaseInOut(b);
    } else {
        *alpha = 1.0f;
        *slide = 0.0f;
    }
}

AchievementPopup::AchievementPopup(const char *name_text, const char *icon_name)
{
    icon = LoadIcon(icon_name);
    name = name_text ? nStringDuplicate(name_text) : nullptr;
}

AchievementPopup::~AchievementPopup()
{
    Unload();
    nStringFree(name);
}

void AchievementPopup::LoadAndShow(const char *id)
{
    DMArray *table = dman().GetArray(ACHIEVEMENTS_FILE, "ACHIEVEMENTS");
    DMNode *node = table && id ? table->GetNode(id) : nullptr;
    if (!node)
        return;
    Unload();
    icon = LoadIcon(node->GetValue("icon"));
    const char *key = node->GetValue("name");
    nStringFree(name);
    name = key ? nStringDuplicate(loc_man().Localize(key)) : nullptr;
    timer = 0.0f;
}

void AchievementPopup::Unload()
{
    if (icon)
        ov->OV_ReleaseBitmap(icon);
    icon = nullptr;
}

void AchievementPopup::Draw()
{
    ov_font_t *font = NoticeFont();
    if (!icon || !font)
        return;
    const char *text = name ? name : "";
    float alpha, slide;
    AchievementPopupMotion(timer, &alpha, &slide);
    float s = sman.reference_scale;
    float w = (float)prog.parms.width, h_screen = (float)prog.parms.height;
    float icon_w = (float)icon->width;

    float h = (float)icon->height * s;
    if (h == 0.0f)
        h = 2.0f * s * ov->OV_GetTextHeightf(font, "TEST");
    ov->OV_SetBlend(0);
    ov->OV_SetColor(0.0f, 0.0f, 0.0f);
    ov->OV_SetAlpha(alpha * 0.5f);
    ov->OV_DrawRect(0.0f, 0.9f * h_screen - h / 2.0f, w, h);

    ov->OV_SetColor(1.0f, 1.0f, 1.0f);
    ov->OV_SetAlpha(alpha);
    float tw = ov->OV_GetTextWidthf(font, "%s", text);
    float x = w / 2.0f + w * slide - (tw + 10.0f + icon_w) * s / 2.0f + icon_w / 2.0f;
    float y = 0.9f * h_screen;
    float pulse = sinf(Clamp01((timer - 0.35f) * 1.5f) * (float)M_PI);
    ov->OV_DrawBitmapRS(icon, x, y, 0.0f, s + 0.2f * pulse);

    ov->OV_SetTextAlign(4);
    ov->OV_SetTextTransform(s, s, 0.0f);
    ov->OV_DrawTextf(font, x + (icon_w / 2.0f + 16.0f) * s, y + (float)font->top_offset * s * 0.25f, "%s", text);
    ov->OV_SetTextTransform(1.0f, 1.0f, 0.0f);
}
