// The advert slot (see ui-advert.h).
#include "app/ui/widgets/ui-advert.h"

#include "app/services/luaman.h"

#include "app/ui/screen-manager.h"
#include "app/ui/widgets/ui-widget-frame.h"
#include "nstring.h"

#include <lua.hpp>
#include <math.h>
#include <stdlib.h>
#include <string.h>

using namespace uiwidget;

UICompAd::UICompAd()
{
    rect_width = kEmptyWidth;
    rect_height = kEmptyHeight;
}

void UICompAd::Update(float) {}

int UICompAd::GetPreferredAdType()
{
    const float vw = (float)sman.virtual_width, vh = (float)sman.virtual_height;
    if (width >= 0.9f * vw && height >= 0.9f * vh)
        return UIAD_FULLSCREEN;
    if (width >= 300.0f && height >= 250.0f)
        return UIAD_LARGE;
    if (width >= 320.0f && height >= 50.0f)
        return UIAD_LANDSCAPE_BANNER;
    return UIAD_NONE;
}

void UICompAd::PreloadAd()
{
    ad_kind = UIAD_NONE;
    const int kind = GetPreferredAdType();
    const char *arg = kind == UIAD_LARGE             ? "300x250"
                      : kind == UIAD_LANDSCAPE_BANNER ? "LANDSCAPE"
                      : kind == UIAD_FULLSCREEN       ? "FULLSCREEN"
                                                      : nullptr;
    if (!arg)
        return;
    const char *reply = ov->OV_CallExtension("ADS_REQUEST_AD", arg);
    if (!reply)
        return;
    ad_kind = kind;
    ad_id = atoi(reply);
}

void UICompAd::PositionAd()
{
    if (ad_kind == UIAD_NONE)
        return;
    const vec2_t pos = GetAlignedPos();
    const float x = fminf(fmaxf(pos.x, -2e9f), 2e9f), y = fminf(fmaxf(pos.y, -2e9f), 2e9f);
    char arg[64];
    nStringFormat(arg, sizeof arg, "%d,%d,%d", ad_id, (int)x, (int)y);
    ov->OV_CallExtension("ADS_SET_AD_POSITION", arg);
}

bool UICompAd::IsAdReady()
{
    if (ad_kind == UIAD_NONE)
        return false;
    char arg[16];
    nStringFormat(arg, sizeof arg, "%i", ad_id);
    const char *reply = ov->OV_CallExtension("ADS_IS_AD_READY", arg);
    return reply && strcmp(reply, "OK") == 0;
}

void UICompAd::ShowAd()
{
    PositionAd();
    if (!IsAdReady())
        return;
    char arg[16];
    nStringFormat(arg, sizeof arg, "%i", ad_id);
    ov->OV_CallExtension("ADS_SHOW_AD", arg);
}

void UICompAd::HideAd()
{
    char arg[16];
    nStringFormat(arg, sizeof arg, "%i", ad_id);
    ov->OV_CallExtension("ADS_DISMISS_AD", arg);
    ad_kind = UIAD_NONE;
    PreloadAd();
}

void UICompAd::OnScreenEnter(Screen *)
{
    ShowAd();
}

void UICompAd::OnScreenLeave(Screen *)
{
    HideAd();
}

void UICompAd::DrawPlaceholder()
{
    ov_font_t *font = sman.default_font;   // the screen manager's, no reference of ours
    const vec2_t pos = GetAlignedPos();
    const float cx = pos.x + width / 2.0f, cy = pos.y + height / 2.0f;
    ov->OV_SetColor(1.0f, 1.0f, 1.0f);
    ov->OV_SetAlpha(GetStaticAlpha());
    ov->OV_SetTextAlign(UIALIGN_CENTER);
    const char *label = "Ad: WARNING - no ad type fits here!";
    switch (GetPreferredAdType()) {
    case UIAD_LARGE:
        ov->OV_DrawRect(cx - 150.0f, cy - 125.0f, 300.0f, 250.0f);
        label = "Ad: Large 300x250";
        break;
    case UIAD_LANDSCAPE_BANNER:
        ov->OV_DrawRect(cx - 160.0f, cy - 25.0f, 320.0f, 50.0f);
        label = "Ad: Landscape Banner";
        break;
    case UIAD_FULLSCREEN:
        ov->OV_DrawRect(sman.virtual_x, sman.virtual_y, (float)sman.virtual_width, (float)sman.virtual_height);
        label = "Ad: Fullscreen";
        break;
    default:
        break;
    }
    if (font)
        ov->OV_DrawTextf(font, cx, cy, "%s", label);
    ov->OV_SetTextAlign(0);
}

void UICompAd::Draw()
{
    BeginDraw(this);
}

