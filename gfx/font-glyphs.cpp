// Cutting glyphs out of a glyph strip (runs of non-transparent columns, "span" runs
// per glyph) and automatic kerning from the glyphs' alpha edges.
#include "gfx/font.h"

#include "core/data/dataman.h"
#include "core/ov_state.h"
#include "core/services.h"

#include <stdlib.h>
#include <string.h>

namespace {

uint8_t Alpha(const ov_bitmap_t *b, int x, int y)
{
    return b->pixels[((long)y * b->width + x) * 4 + 3];
}

bool ColumnFree(const ov_bitmap_t *b, int x)
{
    for (int y = 0; y < b->height; y++)
        if (Alpha(b, x, y))
            return false;
    return true;
}

bool RowFreeSpan(const ov_bitmap_t *b, int y, int x0, int x1)
{
    for (int x = x0; x < x1; x++)
        if (Alpha(b, x, y))
            return false;
    return true;
}

bool IsSolid(const ov_bitmap_t *b, int x, int y, float threshold)
{
    return (float)Alpha(b, x, y) / 255.0f >= threshold;
}

}  // namespace

int OVI_LoadGlyphsFromBitmap(ov_font_t *f, ov_bitmap_t *strip, OV_DMArray *glyphs, int spacing, float scale)
{
    if (!f || !strip || !strip->pixels || strip->width < 1 || strip->height < 1 || !glyphs)
        return 0;
    const int W = strip->width, H = strip->height;
    int top = -1, bottom = -1;
    for (int y = 0; y < H; y++)
        if (!RowFreeSpan(strip, y, 0, W)) {
            if (top < 0)
                top = y;
            bottom = y;
        }
    if (top < 0) {
        OV_Popupf(OV_WARNING, "No pixels found in font '%s' input bitmap.\n", f->name);
        return 0;
    }
    int x = 0;
    int count = glyphs->GetSize();
    for (int n = 0; n < count; n++) {
        OV_DMNode *node = glyphs->GetNode(n);
        const char *id_text = node->GetValue("id");
        if (!id_text) {
            OV_Popupf(OV_WARNING, "No id defined for glyph #%d in font '%s'\n", n, f->name);
            continue;
        }
        int id = atoi(id_text);
        if (id < 32 || id > 255 || id >= f->glyph_count) {
            OV_Popupf(OV_WARNING, "Font '%s' Glyph #%d index %d is out of bounds\n", f->name, n, id);
            continue;
        }
        const char *sp = node->GetValue("spacing");
        int extra = sp ? (int)(atof(sp) * scale) : 0;
        const char *span_text = node->GetValue("span");
        int span = span_text ? atoi(span_text) : 1;
        ov_glyph_t &g = f->glyphs[id];
        if (span <= 0) {
            g.x_offset = 0;
            g.advance = (int16_t)(extra + spacing);
            continue;
        }
        if (x >= W) {
            OV_Popupf(OV_WARNING, "Input bitmap contains %d glyphs LESS than the XML definition file!\n", count - n);
            return 0;
        }
        int x0 = x;
        while (x0 < W && ColumnFree(strip, x0))
            x0++;
        int x1 = x0;
        for (int s = 0; s < span; s++) {
            while (x1 < W && ColumnFree(strip, x1))
                x1++;
            while (x1 < W && !ColumnFree(strip, x1))
                x1++;
        }
        if (x0 >= W) {
            OV_Popupf(OV_WARNING, "Input bitmap contains %d glyphs LESS than the XML definition file!\n", count - n);
            return 0;
        }
        int y0 = top, y1 = bottom;
        while (y0 <= bottom && RowFreeSpan(strip, y0, x0, x1))
            y0++;
        while (y1 >= top && RowFreeSpan(strip, y1, x0, x1))
            y1--;
        if (y0 >= y1 + 1) {
            OV_Popupf(OV_WARNING, "Sanity check failed: glyph_end_y <= glyph_start_y (%d <= %d). X0=%d X1=%d.\n", y1 + 1, y0,
                      x0, x1);
            return 0;
        }
        int gw = x1 - x0, gh = y1 - y0 + 1;
        free(g.image.pixels);
        g.image.pixels = (uint8_t *)malloc((size_t)gw * gh * 4);
        for (int row = 0; row < gh; row++)
            memcpy(g.image.pixels + (size_t)row * gw * 4, strip->pixels + ((size_t)(y0 + row) * W + x0) * 4, (size_t)gw * 4);
        g.image.width = g.image.src_width = gw;
        g.image.height = g.image.src_height = gh;
        g.image.flags |= OV_BITMAP_ALPHA;
        g.x_offset = 0;
        g.y_offset = (int16_t)(y0 - top);
        g.advance = (int16_t)(extra + spacing + gw);
        x = x1;
    }
    int unused = 0;
    while (x < W) {
        while (x < W && ColumnFree(strip, x))
            x++;
        if (x >= W)
            break;
        unused++;
        while (x < W && !ColumnFree(strip, x))
            x++;
    }
    if (unused)
        OV_Popupf(OV_WARNING, "Input bitmap has %d unused pixel blocks - all glyphs may not have been read properly!\n", unused);
    return 1;
}

bool OVI_CanGlyphAutoKern(int code)
{
    return code != 32 && code != 45 && code != 95;
}

void OVI_DetermineKernPairs(ov_font_t *f, int kern_padding, float threshold)
{
    for (int a = 0; a < f->glyph_count; a++) {
        for (int b = 0; b < f->glyph_count; b++) {
            int offset = 0;
            if (OVI_CanGlyphAutoKern(a) && OVI_CanGlyphAutoKern(b))
                offset = OVI_GetGlyphsKernOffset(f, a, b, threshold);
            int total = offset + kern_padding;
            if (total > 120 || total < -120)
                OV_Popupf(OV_WARNING,
                          "Sanity check fail: OVI_DetermineKernPairs for chars #%d and #%d has too large padding (%d) and "
                          "kern_padding (%d) total. Total needs to fit into 8-bit signed int in selected mft format!\n",
                          a, b, offset, kern_padding);
            if (f->glyphs[b].kerning)
                f->glyphs[b].kerning[a] = (int8_t)(uint8_t)(total & 0xff);
        }
    }
}

int OVI_GetGlyphsKernOffset(ov_font_t *f, int first, int second, float threshold)
{
    const ov_bitmap_t *a = &f->glyphs[first].image, *b = &f->glyphs[second].image;
    if (!a->pixels || !b->pixels || a->width * a->height == 0 || b->width * b->height == 0)
        return 0;
    int limit = (a->width < b->width ? a->width : b->width) - 1;
    int ya = f->glyphs[first].y_offset, yb = f->glyphs[second].y_offset;
    int top = ya < yb ? ya : yb;
    int rows = a->height > b->height ? a->height : b->height;
    int smallest = limit;
    for (int r = top; r < top + rows; r++) {
        int gap_a = limit, gap_b = limit;
        int ra = r - ya, rb = r - yb;
        if (ra >= 0 && ra < a->height)
            for (int k = 0; k < a->width; k++)
                if (IsSolid(a, a->width - 1 - k, ra, threshold)) {
                    gap_a = k;
                    break;
                }
        if (rb >= 0 && rb < b->height)
            for (int k = 0; k < b->width; k++)
                if (IsSolid(b, k, rb, threshold)) {
                    gap_b = k;
                    break;
                }
        if (gap_a + gap_b < smallest)
            smallest = gap_a + gap_b;
    }
    return -smallest;
}
