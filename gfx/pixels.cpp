// Pixel utilities on a bitmap's 4-byte pixels (see pixels.h) and the choice of the
// input image for a display scale among those the data manifest lists.
#include "gfx/pixels.h"

#include "core/data/dataman.h"
#include "core/ov_state.h"

#include <stddef.h>
#include <stdlib.h>
#include <string.h>

namespace {

uint8_t *At(const ov_bitmap_t *b, int x, int y)
{
    return b->pixels + ((size_t)y * b->width + x) * 4;
}

// The number the text starts with (0 when none); a missing text counts 1.0.
double Number(const char *text, size_t n)
{
    if (n == 0)
        return 1.0;
    char buf[64];
    if (n >= sizeof buf)
        n = sizeof buf - 1;
    memcpy(buf, text, n);
    buf[n] = 0;
    return atof(buf);
}

}  // namespace

void OVI_ForceLowAlphaToZero(ov_bitmap_t *b, int threshold)
{
    if (!b || !b->pixels)
        return;
    size_t n = (size_t)b->width * b->height;
    for (size_t i = 0; i < n; i++)
        if (b->pixels[i * 4 + 3] <= threshold)
            b->pixels[i * 4 + 3] = 0;
}

bool OVI_IsBitmapColumnFree(ov_bitmap_t *b, int x)
{
    if (!b || b->height < 1)
        return true;
    if (!b->pixels || x < 0 || x >= b->width)
        return true;
    for (int y = 0; y < b->height; y++)
        if (At(b, x, y)[3])
            return false;
    return true;
}

bool OVI_IsBitmapRowFree(ov_bitmap_t *b, int y)
{
    if (!b || b->width < 1)
        return true;
    return OVI_IsBitmapRowFreeSpan(b, y, 0, b->width);
}

bool OVI_IsBitmapRowFreeSpan(ov_bitmap_t *b, int y, int x0, int x1)
{
    if (x0 >= x1 || !b || !b->pixels || y < 0 || y >= b->height)
        return true;
    if (x0 < 0)
        x0 = 0;
    if (x1 > b->width)
        x1 = b->width;
    for (int x = x0; x < x1; x++)
        if (At(b, x, y)[3])
            return false;
    return true;
}

void OVI_PasteBitmap(ov_bitmap_t *src, int x, int y, ov_bitmap_t *dst)
{
    if (!src || !dst || !src->pixels || !dst->pixels || x < 0 || y < 0)
        return;
    int w = src->width;
    if (x + w > dst->width)
        w = dst->width - x;
    for (int row = 0; row < src->height && y + row < dst->height && w > 0; row++)
        memcpy(At(dst, x, y + row), At(src, 0, row), (size_t)w * 4);
}

uint32_t OVI_GetClampedPixel(const ov_bitmap_t *b, int x, int y)
{
    if (!b || !b->pixels || b->width < 1 || b->height < 1)
        return 0;
    bool clamped = false;
    if (x < 0) {
        x = 0;
        clamped = true;
    } else if (x >= b->width) {
        x = b->width - 1;
        clamped = true;
    }
    if (y < 0) {
        y = 0;
        clamped = true;
    } else if (y >= b->height) {
        y = b->height - 1;
        clamped = true;
    }
    uint8_t p[4];
    memcpy(p, At(b, x, y), 4);
    if (clamped && (b->flags & OV_BITMAP_ALPHA))
        p[3] = 0;
    uint32_t word;
    memcpy(&word, p, 4);
    return word;
}

uint32_t OVI_GetBitmapSamplePoint(ov_bitmap_t *b, double u, double v)
{
    if (!b)
        return 0;
    return OVI_GetClampedPixel(b, (int)(b->width * u), (int)(b->height * v));
}

void OVI_FixAlphaBleeding(ov_bitmap_t *b)
{
    if (!b || !b->pixels || b->height < 1 || b->width < 1)
        return;
    // Each transparent pixel takes the colour (not the alpha) of an opaque neighbour:
    // left before down before right before up. A filled pixel stays transparent, so
    // only pixels opaque from the start give colour, and one pass fills one pixel deep.
    // Neighbours beyond the edge are the pixel itself: transparent, never chosen.
    const int w = b->width, h = b->height;
    const size_t row = (size_t)w * 4;
    for (int y = 0; y < h; y++) {
        uint8_t *p = b->pixels + (size_t)y * row;
        for (int x = 0; x < w; x++, p += 4) {
            if (p[3])
                continue;
            const uint8_t *from = nullptr;
            if (x > 0 && p[-4 + 3])
                from = p - 4;
            else if (y + 1 < h && p[row + 3])
                from = p + row;
            else if (x + 1 < w && p[4 + 3])
                from = p + 4;
            else if (y > 0 && p[-(ptrdiff_t)row + 3])
                from = p - row;
            if (from) {
                p[0] = from[0];
                p[1] = from[1];
                p[2] = from[2];
            }
        }
    }
}

float OVIF_GetInputBitmapScaleFactor(const char *id)
{
    if (!id || strncmp(id, "INPUT@", 6) != 0)
        return 1.0f;
    char rest[128];
    size_t n = 0;
    for (const char *p = id + 6; *p && n + 1 < sizeof rest; p++)
        if (*p != 'x' && *p != 'X')
            rest[n++] = *p;
    rest[n] = 0;
    const char *slash = strchr(rest, '/');
    if (!slash)
        return (float)atof(rest);
    double num = Number(rest, (size_t)(slash - rest));
    double den = Number(slash + 1, strlen(slash + 1));
    if (den == 0.0) {
        OV_PrintDebugf(OV_WARNING, "Input bitmap id '%s' divides by zero. Ignoring it.\n", id);
        return 0.0f;
    }
    return (float)(num / den);
}

const char *OVIF_SelectBestInputBitmapForScaling(OV_DMArray *array, float scale)
{
    const char *candidate = nullptr;
    float candidate_f = 0.0f;
    for (int i = 0; array && i < array->GetSize(); i++) {
        OV_DMNode *node = array->GetNode(i);
        const char *id = node ? node->GetValue("id") : nullptr;
        if (!id || strncmp(id, "INPUT", 5) != 0)
            continue;
        float f = OVIF_GetInputBitmapScaleFactor(id);
        if (f <= 0.0f)
            continue;
        float diff = scale - f;
        if (diff < 0)
            diff = -diff;
        if (diff < 0.01f)
            return id;
        if (!candidate || (candidate_f < f && candidate_f < scale)) {
            candidate = id;
            candidate_f = f;
        }
    }
    OV_Printf("Selecting bitmap input '%s' for scale %.2fx (closest match).\n", candidate ? candidate : "(null)", scale);
    return candidate;
}
