// The advert slot (see ui-advert.h).
#include "app/ui/widgets/ui-advert.h"

#include "app/services/luaman.h"

#include "app/ui/screen-manager.h"
#include "nstring.h"

#include <lua.hpp>
#include <math.h>
#include <stdlib.h>
#include <string.h>

UICompAd::UICompAd()
{
    type = UICOMP_AD;
    interactive = false;
}

UIComp *UICompAd::Clone(const char *clone_name)
{
    UICompAd *c = new UICompAd();
    c->SetName(clone_name);
    c->type = type;
    c->InheritFrom(this);
    c->template_comp = template_comp;
    c->parent = parent;
    return c;
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
    if (sman.virtual_resize_mode)
        UpdateDimensions();
    const float a = GetStaticAlpha();
    if (a <= 0.0f)
        return;
    ov->OV_SetColor(color.r, color.g, color.b);
    ov->OV_SetAlpha(a * color.a);
    ov->OV_SetBlend(blend_mode);
    ov->OV_SetPixelFilter(pixel_filter);
}

void UICompAd::EditUpdate(float)
{
    const vec2_t s = GetStaticPos();
    rect_width = fabsf(mpos.x - s.x);
    if (align & UIALIGN_HCENTER)
        rect_width *= 2.0f;
    rect_height = fabsf(mpos.y - s.y);
    if (align & UIALIGN_VCENTER)
        rect_height *= 2.0f;
    width = rect_width;
    height = rect_height;
    UpdateDimensions();
}

void UICompAd::ExportLua(FILE *f)
{
    UIComp::ExportLua(f);
    UICompAd defaults;
    const UICompAd *t = dynamic_cast<UICompAd *>(template_comp);
    if (!t)
        t = &defaults;
    if (rect_width != t->rect_width)
        fprintf(f, "SetProperty (\"ad.rect_width\", \"%g\");\n", rect_width);
    if (rect_height != t->rect_height)
        fprintf(f, "SetProperty (\"ad.rect_height\", \"%g\");\n", rect_height);
}

int UICompAd::GetProperty(const char *prop, lua_State *L)
{
    const int n = UIComp::GetProperty(prop, L);
    if (n > 0 || !prop)
        return n;
    if (strcmp(prop, "ad.rect_width") == 0) {
        lua_pushnumber(L, rect_width);
        return 1;
    }
    if (strcmp(prop, "ad.rect_height") == 0) {
        lua_pushnumber(L, rect_height);
        return 1;
    }
    ov->OV_Popupf(1, "UICompAd::GetProperty: Unknown Property '%s'\n", prop);
    return 0;
}

int UICompAd::SetProperty(const char *prop, lua_State *L)
{
    const int n = UIComp::SetProperty(prop, L);
    if (n >= 0 || !prop)
        return n;
    if (strcmp(prop, "ad.rect_width") == 0) {
        rect_width = LuaToFloat(L, 2);
        UpdateDimensions();
    } else if (strcmp(prop, "ad.rect_height") == 0) {
        rect_height = LuaToFloat(L, 2);
        UpdateDimensions();
    } else {
        ov->OV_Popupf(1, "UICompAd::SetProperty: Unknown Property '%s' for UIComp '%s'\n", prop, name ? name : "");
    }
    return 0;
}

bool UICompAd::InheritFrom(UIComp *tmpl)
{
    if (!UIComp::InheritFrom(tmpl))
        return false;
    if (UICompAd *t = dynamic_cast<UICompAd *>(tmpl)) {
        rect_width = t->rect_width;
        rect_height = t->rect_height;
    }
    UpdateDimensions();
    return true;
}

void UICompAd::UpdateDimensions()
{
    width = scale * rect_width;
    height = scale * rect_height;
    if (width == 0.0f)
        width = 320.0f;
    if (height == 0.0f)
        height = 50.0f;
    CalculateDynamicScale();
    width *= dynamic_scale;
    height *= dynamic_scale;
    if (scale_type == UISCALE_STRETCH_TO_COVER_SCREEN) {
        width = (float)sman.virtual_width;
        height = (float)sman.virtual_height;
    }
}
