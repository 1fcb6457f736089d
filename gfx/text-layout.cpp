// Text layout shared by drawing and measuring: splitting text into lines (line feeds
// and word wrapping), word widths, markup blocks between '|' characters, image-block
// parsing, UTF-8 decoding and glyph lookup. Line breaks are written into the caller's
// private copy of the text as terminating zeros.
#include "gfx/font.h"

#include "core/ov_state.h"
#include "core/services.h"

#include <stdlib.h>
#include <string.h>

namespace {

bool IsSpace(uint32_t c)
{
    return c == '\t' || c == '\n' || c == '\r' || c == ' ';
}

int Advance(ov_font_t *f, int index, int prev)
{
    if (index < 0)
        return 0;
    const ov_glyph_t &g = f->glyphs[index];
    int kern = (g.kerning && prev > 0 && prev < f->glyph_count) ? g.kerning[prev] : 0;
    return g.advance + kern;
}

// Width an image block takes, in font pixels (0 when its bitmap is not there).
int ImageWidth(ov_font_t *f, const char *block)
{
    float s = 1.0f;
    ov_bitmap_t *b = ParseImageBlock_LATIN1(block, nullptr, nullptr, &s);
    return b ? (int)((float)b->width * s / f->scale) : 0;
}

// The scale number of a scale block (0 when there is none).
float BlockScale(const char *block)
{
    char number[16] = {0};
    const char *end = strchr(block, '|');
    size_t len = end ? (size_t)(end - block) : strlen(block);
    if (len <= 6)
        return 0;
    size_t n = len - 6 < 15 ? len - 6 : 15;
    memcpy(number, block + 6, n);
    return (float)atof(number);
}

size_t Length32(const uint32_t *t)
{
    size_t n = 0;
    while (t[n])
        n++;
    return n;
}

}  // namespace

int OVI_GlyphIndexLATIN1(ov_font_t *f, unsigned char c)
{
    return (f->glyphs && c < f->glyph_count) ? c : -1;
}

int OVI_FindGlyphUTF32(ov_font_t *f, uint32_t code)
{
    for (int i = 0; f->glyphs && i < f->glyph_count; i++)
        if ((uint32_t)f->glyphs[i].code == code)
            return i;
    OV_Popupf(OV_WARNING, "Font '%s' Missing unicode %d (0x%x) ('%c')\n", f->name, (int)code, code, (char)(code & 0xff));
    return -1;
}

uint32_t *OVI_DecodeUTF8(const char *text)
{
    size_t bytes = strlen(text);
    uint32_t *out = (uint32_t *)malloc(sizeof(uint32_t) * 8 * (bytes + 1024));
    if (!out)
        return nullptr;
    size_t n = 0;
    const unsigned char *p = (const unsigned char *)text;
    while (*p) {
        int extra = 0;
        uint32_t c = *p;
        if ((c & 0xf8) == 0xf0)
            extra = 3, c &= 0x07;
        else if ((c & 0xf0) == 0xe0)
            extra = 2, c &= 0x0f;
        else if ((c & 0xe0) == 0xc0)
            extra = 1, c &= 0x1f;
        else if ((c & 0xc0) == 0x80) {
            p++;  // a stray continuation byte is skipped
            continue;
        }
        p++;
        bool valid = true;
        for (int k = 0; k < extra; k++) {
            if ((*p & 0xc0) != 0x80) {  // cut short (terminator included): skip the sequence
                valid = false;
                break;
            }
            c = (c << 6) | (*p & 0x3f);
            p++;
        }
        if (valid)
            out[n++] = c;
    }
    out[n] = 0;
    return out;
}

ov_bitmap_t *ParseImageBlock_LATIN1(const char *block, int *offset, float *angle, float *scale)
{
    char text[256];
    const char *end = strchr(block, '|');
    size_t len = end ? (size_t)(end - block) : strlen(block);
    if (len >= sizeof text)
        len = sizeof text - 1;
    memcpy(text, block, len);
    text[len] = 0;
    char *q0 = strchr(text, '\'');
    char *q1 = q0 ? strchr(q0 + 1, '\'') : nullptr;
    if (!q1)
        return nullptr;
    *q1 = 0;
    ov_bitmap_t *b = ov->OV_GetBitmap(q0 + 1);
    *q1 = '\'';
    if (!b || b->width < 1 || b->height < 1)
        return nullptr;
    const char *v;
    if (scale && (v = strstr(q1, "scale=")))
        *scale = (float)atof(v + 6);
    if (angle && (v = strstr(q1, "angle=")))
        *angle = (float)atof(v + 6);
    if (offset && (v = strstr(q1, "offset=")))
        *offset = atoi(v + 7);
    return b;
}

int GetNextWordLen_LATIN1(ov_font_t *f, const char *text)
{
    int width = 0, prev = 0;
    const char *p = text;
    while (*p && !IsSpace((unsigned char)*p)) {
        if (*p == '|') {
            if (p[1] == '|') {
                width += Advance(f, OVI_GlyphIndexLATIN1(f, '|'), prev);
                prev = '|';
                p += 2;
                continue;
            }
            const char *close = strchr(p + 1, '|');
            if (!close)
                break;
            if (p[1] == 'i' || p[1] == 'I') {
                width += ImageWidth(f, p + 1);
                prev = 0;
            }
            p = close + 1;
            if (*p == 0 || *p == ' ')
                break;
            continue;
        }
        unsigned char c = (unsigned char)*p;
        width += Advance(f, OVI_GlyphIndexLATIN1(f, c), prev);
        prev = c;
        p++;
    }
    return width;
}

int OVI_ParseTextLines_LATIN1(ov_font_t *f, int wrap, char *text, char **lines, int16_t *widths, int max)
{
    if (max < 1)
        return 0;
    int space = OVI_GlyphIndexLATIN1(f, ' ') >= 0 ? f->glyphs[(unsigned char)' '].advance : 0;
    int n = 0, width = 0, prev = 0;
    lines[0] = text;
    char *p = text;
    auto end_line = [&](char *at) {
        *at = 0;
        widths[n++] = (int16_t)width;
        if (n < max)
            lines[n] = at + 1;
        width = 0;
    };
    while (*p) {
        unsigned char c = (unsigned char)*p;
        if (IsSpace(c) && width + space + GetNextWordLen_LATIN1(f, p + 1) >= wrap) {
            end_line(p);
            if (n >= max)
                return n;
            p++;
            continue;
        }
        if (c == '\n') {
            end_line(p);
            prev = 0;
            if (n >= max)
                return n;
            p++;
            continue;
        }
        if (c == '|' && p[1] != '|') {
            char *close = strchr(p + 1, '|');
            if (!close) {
                *p = 0;
                break;
            }
            if (p[1] == 'i' || p[1] == 'I') {
                width += ImageWidth(f, p + 1);
                prev = 0;
            } else if (p[1] == 's' || p[1] == 'S') {
                float s = BlockScale(p + 1);
                if (s > 0)
                    wrap = (int)((float)wrap / s);
            }
            p = close + 1;
            continue;
        }
        width += Advance(f, OVI_GlyphIndexLATIN1(f, c), prev);
        prev = c;
        p += (c == '|') ? 2 : 1;
    }
    widths[n++] = (int16_t)width;
    return n;
}

int GetNextWordLen_UTF32(ov_font_t *f, const uint32_t *text)
{
    int width = 0;
    for (const uint32_t *p = text; *p && !IsSpace(*p);) {
        if (*p == '|') {
            const uint32_t *close = p + 1;
            while (*close && *close != '|')
                close++;
            if (!*close)
                break;
            p = close + 1;
            continue;
        }
        int index = OVI_FindGlyphUTF32(f, *p);
        if (index >= 0)
            width += f->glyphs[index].advance;
        if (*p > 255)
            break;
        p++;
    }
    return width;
}

int OVI_ParseTextLines_UTF32(ov_font_t *f, int wrap, uint32_t *text, uint32_t **lines, int16_t *widths, int max)
{
    if (max < 1)
        return 0;
    int space_index = OVI_FindGlyphUTF32(f, 32);
    int space = space_index >= 0 ? f->glyphs[space_index].advance : 4;
    int n = 0, width = 0;
    lines[0] = text;
    uint32_t *p = text;
    auto end_line = [&](uint32_t *at) {
        *at = 0;
        widths[n++] = (int16_t)width;
        if (n < max)
            lines[n] = at + 1;
        width = 0;
    };
    while (*p) {
        uint32_t c = *p;
        if (c == '|') {
            uint32_t *close = p + 1;
            while (*close && *close != '|')
                close++;
            if (!*close) {
                *p = 0;
                break;
            }
            p = close + 1;
            continue;
        }
        if (c == 32 || c == '\n') {
            if (c == '\n' || width + space + GetNextWordLen_UTF32(f, p + 1) >= wrap) {
                end_line(p);
                if (n >= max)
                    return n;
            } else {
                width += space;
            }
            p++;
            continue;
        }
        int index = OVI_FindGlyphUTF32(f, c);
        if (index < 0) {
            p++;
            continue;
        }
        int adv = f->glyphs[index].advance;
        if (width > 0 && width + adv >= wrap && c != 0xFF0C && c != 0x3002) {
            memmove(p + 1, p, (Length32(p) + 1) * sizeof(uint32_t));
            end_line(p);
            if (n >= max)
                return n;
            p++;
            continue;
        }
        width += adv;
        p++;
    }
    widths[n++] = (int16_t)width;
    return n;
}
