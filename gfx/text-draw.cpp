// Drawing and measuring text: the interface calls (formatted text), LATIN-1 and UTF-8
// drawers that queue each glyph as a quad of the font's texture through the batch
// calls, colour, scale and image markup, alignment, and the measured size.
#include "gfx/font.h"

#include "core/ov_state.h"
#include "core/services.h"
#include "gfx/draw.h"
#include "gfx/rendimp.h"

#include <math.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

thread_local ov_text_state_t ov_text;

namespace {

const float kDegToRad = 3.14159265f / 180.0f;

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return 0;
}

// A colour block (text after the opening bar): "#"?, rrggbb, optional aa.
template <typename Ch>
void ApplyColour(const Ch *block)
{
    char hex[8] = {0};
    int n = 0;
    const Ch *p = block;
    if (*p == '#')
        p++;
    while (*p && *p != '|' && n < 8)
        hex[n++] = (char)*p++;
    auto byte = [&](int i) { return HexDigit(hex[i]) * 16 + HexDigit(hex[i + 1]); };
    if (n >= 8)
        ov->OV_SetAlpha((float)byte(6) / 255.0f);
    ov->OV_SetColor((float)byte(0) / 255.0f, (float)byte(2) / 255.0f, (float)byte(4) / 255.0f);
}

// Glyphs are queued into one batch per texture: all of a font's atlas, or one texture
// per glyph when the font has no atlas. A batch on the atlas begins on the atlas record
// itself, whose texture state (the pixel filter last set) is the one that holds; the
// glyphs only carry copies of it.
struct Batch {
    uint32_t texture = 0;
    bool open = false;
    void Use(const ov_font_t *f, ov_bitmap_t *glyph)
    {
        ov_bitmap_t *b = glyph;
        if (f->atlas.hw.uploaded && glyph->hw.texture == f->atlas.hw.texture)
            b = const_cast<ov_bitmap_t *>(&f->atlas);
        if (open && b->hw.texture == texture)
            return;
        End();
        ov->OV_BeginBatch(b);
        texture = b->hw.texture;
        open = true;
    }
    void End()
    {
        if (open)
            ov->OV_EndBatch();
        open = false;
    }
};

// Placement of glyphs: directly, or through the matrix about the origin.
struct Placement {
    bool direct;
    mat2_t m;
    vec2_t pivot;
    void Choose(float sx, float sy, float angle, float x, float y0)
    {
        direct = angle == 0 && fabsf(sx - 1) < 0.0001f && fabsf(sy - 1) < 0.0001f;
        float a = angle;  // radians, as OV_SetTextTransform takes it
        m = {sx * cosf(a), -sy * sinf(a), sx * sinf(a), sy * cosf(a)};
        pivot = {x, y0};
    }
    void Glyph(ov_bitmap_t *b, float gx, float gy)
    {
        if (direct)
            OV_DrawBatchBitmap(b, gx, gy);
        else
            OV_DrawBatchBitmapT(b, gx, gy, &m, &pivot);
    }
};

int WrapWidth(ov_font_t *f, float divisor)
{
    int wrap = (int)(ov_text.textbox_width / divisor);
    return wrap < 2 ? 65535 : wrap;
}

float BlockTop(int lines, int step, float y0)
{
    if (ov_text.text_align & 2)
        return y0 - (float)(lines * step);
    if (ov_text.text_align & 4)
        return y0 - (float)(lines * step) / 2;
    return y0;
}

float LineStart(float x, int width)
{
    if (ov_text.text_align & 1)
        return x - (float)width;
    if (ov_text.text_align & 8)
        return x - (float)(width / 2);
    return x;
}

int Widest(const int16_t *widths, int n)
{
    int w = 0;
    for (int i = 0; i < n; i++)
        if (widths[i] > w)
            w = widths[i];
    return w;
}

void StoreSize(ov_font_t *f, const int16_t *widths, int n)
{
    int widest = Widest(widths, n);
    int tall = f->height > f->line_height ? f->height : f->line_height;
    ov_text.text_width = f->scale * ov_text.text_scale_x * (float)widest;
    ov_text.text_height =
        ov_text.text_scale_y * ((float)f->line_height * (float)(n - 1) + f->scale * (float)(int)((float)tall / f->scale));
}

// An image block while drawing: the bitmap centred on the pen, scaled and turned.
float DrawImage(ov_font_t *f, const char *block, float pen, float top, Placement &place, float sx, float sy, Batch &batch)
{
    int offset = 0;
    float angle = 0, iscale = 1;
    ov_bitmap_t *b = ParseImageBlock_LATIN1(block, &offset, &angle, &iscale);
    if (!b)
        return pen;
    float s = iscale / f->scale;
    const ov_glyph_t &ga = f->glyphs[(unsigned char)'a'];
    int mid = (int)((float)offset + 3 / f->scale + (float)ga.y_offset + (float)((ga.image.height - ga.y_offset) / 2));
    float cx = pen + (float)b->width * s / 2, cy = top + (float)mid;
    batch.End();
    if (place.direct) {
        ov->OV_DrawBitmapRS(b, cx, cy, angle * kDegToRad, s);
    } else {
        float dx = cx - place.pivot.x, dy = cy - place.pivot.y;
        float mx = place.m.m00 * dx + place.m.m01 * dy + place.pivot.x;
        float my = place.m.m10 * dx + place.m.m11 * dy + place.pivot.y;
        // The block's angle is degrees, the text angle radians.
        ov->OV_DrawBitmapRS(b, mx, my, angle * kDegToRad + ov_text.text_angle, s * (sx < sy ? sx : sy));
    }
    return pen + (float)b->width * s;
}

// True when the glyph has a texture to draw from. A font packed on a worker thread gets
// its atlas uploaded later, by the frame tail: its glyphs then take the atlas texture
// (their rectangles in it are already set).
bool GlyphReady(const ov_font_t *f, ov_glyph_t &g)
{
    ov_bitmap_t::hw_data_t &h = g.image.hw;
    if (h.uploaded)
        return true;
    const ov_bitmap_t::hw_data_t &a = f->atlas.hw;
    if (!f->atlas.name || !a.uploaded || h.u1 <= h.u0 || h.v1 <= h.v0)
        return false;
    OVI_ShareAtlasTexture(&h, a);
    return true;
}

// Draws one glyph at the pen (when it has a texture) and gives the pen after it.
float DrawGlyph(const ov_font_t *f, ov_glyph_t &g, float pen, float top, Placement &place, Batch &batch)
{
    if (g.image.width >= 1 && GlyphReady(f, g)) {
        batch.Use(f, &g.image);
        place.Glyph(&g.image, pen + (float)g.x_offset, top + (float)g.y_offset);
    }
    return pen + (float)g.advance;
}

}  // namespace

float OVI_DrawTextXY(ov_font_t *f, float x, float y, char *text)
{
    if (!text || !*text) {
        ov_text.text_width = ov_text.text_height = 0;
        return 0;
    }
    if (!OVI_RendererReady())
        return 0;
    if (f && f->encoding == OV_FONT_UTF8)
        return OVI_DrawTextXY_UTF8(f, x, y, text);
    return OVI_DrawTextXY_LATIN1(f, x, y, text);
}

float OVI_DrawTextXY_LATIN1(ov_font_t *f, float x, float y, char *text)
{
    if (!f || f->height < 1 || !f->glyphs)
        return 0;
    float sx = f->scale * ov_text.text_scale_x, sy = f->scale * ov_text.text_scale_y;
    char *lines[OV_MAX_TEXT_LINES];
    int16_t widths[OV_MAX_TEXT_LINES];
    int n = OVI_ParseTextLines_LATIN1(f, WrapWidth(f, f->scale * ov_text.text_scale_x), text, lines, widths,
                                      OV_MAX_TEXT_LINES - 1);
    float y0 = y + (float)f->top_offset - (float)f->height / f->scale;
    int step = (int)((float)f->line_height / f->scale);
    float top0 = BlockTop(n, step, y0);
    Placement place;
    place.Choose(sx, sy, ov_text.text_angle, x, y0);
    Batch batch;
    for (int i = 0; i < n; i++) {
        float top = top0 + (float)(i * step);
        float pen = LineStart(x, widths[i]);
        int prev = 0;
        for (const char *p = lines[i]; *p;) {
            if (*p == '|' && p[1] != '|') {
                const char *close = strchr(p + 1, '|');
                if (!close)
                    break;
                if (p[1] == 'i' || p[1] == 'I') {
                    pen = DrawImage(f, p + 1, pen, top, place, sx, sy, batch);
                    prev = 0;
                } else if (p[1] == 's' || p[1] == 'S') {
                    float number = (float)atof(p + 7);
                    if (number > 0) {
                        sx = f->scale * number * ov_text.text_scale_x;
                        sy = f->scale * number * ov_text.text_scale_y;
                        place.Choose(sx, sy, ov_text.text_angle, x, y0);
                    }
                } else {
                    ApplyColour(p + 1);
                }
                p = close + 1;
                continue;
            }
            unsigned char c = (unsigned char)*p;
            p += (c == '|') ? 2 : 1;
            int index = OVI_GlyphIndexLATIN1(f, c);
            if (index < 0)
                continue;
            ov_glyph_t &g = f->glyphs[index];
            if (g.kerning && prev > 0 && prev < f->glyph_count)
                pen += (float)g.kerning[prev];
            pen = DrawGlyph(f, g, pen, top, place, batch);
            prev = c;
        }
    }
    batch.End();
    return (float)Widest(widths, n);
}

float OVI_DrawTextXY_UTF8(ov_font_t *f, float x, float y, char *text)
{
    if (!f || f->height < 1 || !f->glyphs)
        return 0;
    uint32_t *codes = OVI_DecodeUTF8(text);
    if (!codes) {
        OV_PrintDebugf(OV_ERROR, "error converting %s\n", text);
        return 0;
    }
    float sx = f->scale * ov_text.text_scale_x, sy = f->scale * ov_text.text_scale_y;
    uint32_t *lines[OV_MAX_TEXT_LINES];
    int16_t widths[OV_MAX_TEXT_LINES];
    int n = OVI_ParseTextLines_UTF32(f, WrapWidth(f, f->scale * ov_text.text_scale_x), codes, lines, widths,
                                     OV_MAX_TEXT_LINES);
    float y0 = y + (float)f->top_offset - (float)f->height / f->scale;
    int step = (int)((float)f->line_height / f->scale);
    float top0 = BlockTop(n, step, y0);
    Placement place;
    place.Choose(sx, sy, ov_text.text_angle, x, y0);
    Batch batch;
    for (int i = 0; i < n; i++) {
        float top = top0 + (float)(i * step);
        float pen = LineStart(x, widths[i]);
        for (const uint32_t *p = lines[i]; *p;) {
            if (*p == '|') {
                const uint32_t *close = p + 1;
                while (*close && *close != '|')
                    close++;
                if (!*close)
                    break;
                if (p[1] != 'i' && p[1] != 's')
                    ApplyColour(p + 1);
                p = close + 1;
                continue;
            }
            int index = *p == '\n' ? -1 : OVI_FindGlyphUTF32(f, *p);
            p++;
            if (index < 0)
                continue;
            ov_glyph_t &g = f->glyphs[index];
            pen = DrawGlyph(f, g, pen, top, place, batch);
        }
    }
    batch.End();
    free(codes);
    return (float)Widest(widths, n);
}

void OVI_GetTextSize(ov_font_t *f, const char *text)
{
    if (!text || !*text) {
        ov_text.text_width = ov_text.text_height = 0;
        return;
    }
    if (f && f->encoding == OV_FONT_UTF8)
        OVI_GetTextSize_UTF8(f, text);
    else
        OVI_GetTextSize_LATIN1(f, text);
}

void OVI_GetTextSize_LATIN1(ov_font_t *f, const char *text)
{
    if (!f || f->height < 1 || !f->glyphs)
        return;
    char copy[2048];
    snprintf(copy, sizeof copy, "%s", text);
    char *lines[OV_MAX_TEXT_LINES];
    int16_t widths[OV_MAX_TEXT_LINES];
    int n = OVI_ParseTextLines_LATIN1(f, WrapWidth(f, f->scale), copy, lines, widths, OV_MAX_TEXT_LINES);
    StoreSize(f, widths, n);
}

void OVI_GetTextSize_UTF8(ov_font_t *f, const char *text)
{
    if (!f || f->height < 1 || !f->glyphs)
        return;
    uint32_t *codes = OVI_DecodeUTF8(text);
    if (!codes) {
        OV_PrintDebugf(OV_ERROR, "error converting %s\n", text);
        return;
    }
    uint32_t *lines[OV_MAX_TEXT_LINES];
    int16_t widths[OV_MAX_TEXT_LINES];
    int n = OVI_ParseTextLines_UTF32(f, WrapWidth(f, f->scale), codes, lines, widths, OV_MAX_TEXT_LINES - 1);
    StoreSize(f, widths, n);
    free(codes);
}

float OVI_GetMeasuredTextWidth(void)
{
    return ov_text.text_width;
}

float OVI_GetMeasuredTextHeight(void)
{
    return ov_text.text_height;
}

// Formats into the one shared buffer and draws; gives the widest line in font pixels.
float OV_DrawTextf(ov_font_t *f, float x, float y, const char *fmt, ...)
{
    static char buffer[2048];
    if (!f || !fmt)
        return 0;
    va_list args;
    va_start(args, fmt);
    vsnprintf(buffer, sizeof buffer, fmt, args);
    va_end(args);
    return OVI_DrawTextXY(f, x, y, buffer);
}

// Formats into a text buffer and measures it into the text size of the state.
static void MeasureFormatted(ov_font_t *f, const char *fmt, va_list args)
{
    char buffer[2048];
    vsnprintf(buffer, sizeof buffer, fmt, args);
    OVI_GetTextSize(f, buffer);
}

// Formats and measures; either out-pointer may be null.
void OV_GetTextSizef(ov_font_t *f, float *w, float *h, const char *fmt, ...)
{
    if (!f || !fmt)
        return;
    va_list args;
    va_start(args, fmt);
    MeasureFormatted(f, fmt, args);
    va_end(args);
    if (w)
        *w = ov_text.text_width;
    if (h)
        *h = ov_text.text_height;
}

// Formats and gives the measured width.
float OV_GetTextWidthf(ov_font_t *f, const char *fmt, ...)
{
    if (!f || !fmt)
        return 0;
    va_list args;
    va_start(args, fmt);
    MeasureFormatted(f, fmt, args);
    va_end(args);
    return ov_text.text_width;
}

// Formats and gives the measured height.
float OV_GetTextHeightf(ov_font_t *f, const char *fmt, ...)
{
    if (!f || !fmt)
        return 0;
    va_list args;
    va_start(args, fmt);
    MeasureFormatted(f, fmt, args);
    va_end(args);
    return ov_text.text_height;
}
