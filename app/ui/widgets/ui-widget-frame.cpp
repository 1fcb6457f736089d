// What the drawn widgets share (see ui-widget-frame.h).
#include "app/ui/widgets/ui-widget-frame.h"

#include "app/services/localization.h"
#include "app/services/prog.h"
#include "app/ui/screen-manager.h"
#include "app/ui/screen.h"
#include "ovrecords.h"

#include <lua.hpp>
#include <math.h>
#include <stdio.h>
#include <string.h>

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

float BeginDraw(UIComp *comp)
{
    if (sman.virtual_resize_mode)
        comp->UpdateDimensions();
    const float a = comp->GetStaticAlpha();
    if (a > 0.0f)
        SetDrawState(comp, a * comp->color.a);
    return a;
}

void PushRotationAbout(vec2_t s, float angle)
{
    const float c = cosf(angle), sn = sinf(angle);
    // Translate to s, rotate, translate back: x' = s + R (x - s).
    nTransform t = {{c, -sn, 0.0f, s.x - c * s.x + sn * s.y,
                     sn, c, 0.0f, s.y - sn * s.x - c * s.y,
                     0.0f, 0.0f, 1.0f, 0.0f,
                     0.0f, 0.0f, 0.0f, 1.0f}};
    ov->OV_PushTransform(&t);
}

bool PushRotation(UIComp *comp)
{
    const float a = comp->GetStaticAngle();
    if (!(fabsf(a) >= 1e-6f))
        return false;
    PushRotationAbout(comp->GetStaticPos(), a);
    return true;
}

void PopRotation(bool pushed)
{
    if (pushed)
        ov->OV_PopTransform();
}

float NaturalSizeScale(UIComp *comp, float w, float h)
{
    const float vw = (float)sman.virtual_width, vh = (float)sman.virtual_height;
    float s = 1.0f;
    switch (comp->scale_type) {
    case UISCALE_FIT_INSIDE_SCREEN:
        if (w > 0.0f && h > 0.0f)   // a natural size of 0 or less keeps 1
            s = fminf(vw / w, vh / h);
        break;
    case UISCALE_FIT_TO_COVER_SCREEN:
        if (w > 0.0f && h > 0.0f)
            s = fmaxf(vw / w, vh / h);
        break;
    case UISCALE_RELATIVE_TO_SCREEN_WIDTH:
        s *= sman.reference_scale_x;
        break;
    case UISCALE_RELATIVE_TO_SCREEN_HEIGHT:
        s *= sman.reference_scale_y;
        break;
    case UISCALE_RELATIVE_TO_SCREEN_SIZE:
        s *= sman.reference_scale_min;
        break;
    case UISCALE_RELATIVE_TO_PARENT:
        s *= comp->parent ? comp->parent->dynamic_scale : sman.reference_scale_y;
        break;
    default:
        break;
    }
    return s * comp->GetStaticScale();
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

void ApplyBitmapsCacheMode(UIComp *comp, int mode, std::initializer_list<ov_bitmap_t *> bitmaps, bool resize)
{
    if (mode == 2) {
        for (ov_bitmap_t *b : bitmaps)
            TakeBitmap(b);
        if (resize)
            comp->UpdateDimensions();
    } else if (mode == 3) {
        for (ov_bitmap_t *b : bitmaps)
            GiveBackBitmap(b);
    }
}

void ExportChangedBitmaps(FILE *f, std::initializer_list<BitmapProperty> bitmaps)
{
    for (const BitmapProperty &b : bitmaps)
        if (b.mine && b.mine != b.theirs)
            WriteLuaPropertyText(f, b.property, BitmapName(b.mine));
}

bool PushBitmapNameOf(lua_State *L, const char *prop, std::initializer_list<BitmapProperty> bitmaps)
{
    for (const BitmapProperty &b : bitmaps) {
        if (strcmp(prop, b.property) == 0) {
            lua_pushstring(L, BitmapName(b.mine));
            return true;
        }
    }
    return false;
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

void UnescapeText(const char *in, char *out)
{
    while (*in) {
        if (in[0] != '\\' || !in[1]) {
            *out++ = *in++;
            continue;
        }
        switch (in[1]) {
        case 'b': *out++ = 8; break;
        case 'n': *out++ = 10; break;
        case 'r': *out++ = 13; break;
        case 't': *out++ = 9; break;
        default: *out++ = in[1]; break;   // "\\" gives one backslash
        }
        in += 2;
    }
    *out = 0;
}

void WriteEscapedPropertyText(FILE *f, const char *property, const char *text)
{
    fprintf(f, "SetProperty (\"%s\", \"", property);
    for (const char *p = text; *p; p++) {
        switch (*p) {
        case '\n': fputs("\\n", f); break;
        case 8: fputs("\\b", f); break;
        case '\t': fputs("\\t", f); break;
        case '\r': fputs("\\r", f); break;
        case '"': fputs("\\\"", f); break;
        case '\\': fputs("\\\\\\\\", f); break;
        default: fputc(*p, f); break;
        }
    }
    fputs("\");\n", f);
}

LabelProperty LabelPropertyOf(const char *prop, const char *kind)
{
    const size_t n = strlen(kind);
    if (strncmp(prop, kind, n) != 0 || prop[n] != '.')
        return LABEL_NONE;
    if (strcmp(prop + n + 1, "font") == 0)
        return LABEL_FONT;
    if (strcmp(prop + n + 1, "text") == 0)
        return LABEL_TEXT;
    return LABEL_NONE;
}

bool PushLabelProperty(lua_State *L, const char *prop, const char *kind, const ov_font_t *font, const char *text)
{
    switch (LabelPropertyOf(prop, kind)) {
    case LABEL_FONT: lua_pushstring(L, FontName(font)); return true;
    case LABEL_TEXT: lua_pushstring(L, text ? text : ""); return true;
    default: return false;
    }
}

void ExportLabel(FILE *f, const char *kind, const ov_font_t *font, const ov_font_t *their_font, const char *text,
                 const char *their_text, bool escape_pairs)
{
    char property[64];
    if (font && font != their_font) {
        snprintf(property, sizeof property, "%s.font", kind);
        WriteLuaPropertyText(f, property, FontName(font));
    }
    if (text && (!their_text || strcmp(text, their_text) != 0)) {
        snprintf(property, sizeof property, "%s.text", kind);
        // Escape pairs for a kind that reads them back, else Lua's escapes, so that
        // quotes, backslashes and line breaks survive either way.
        if (escape_pairs)
            WriteEscapedPropertyText(f, property, text);
        else
            WriteLuaPropertyText(f, property, text);
    }
}

}  // namespace uiwidget
