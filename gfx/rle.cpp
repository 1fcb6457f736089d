// The run-length bitmap format of rle.h: reader over the engine's file calls and
// writer to a stdio stream, in either texture byte order.
#include "gfx/rle.h"

#include "gfx/image.h"
#include "core/ov_state.h"
#include "core/services.h"

#include <stdlib.h>
#include <string.h>

namespace {

int32_t Le32(const uint8_t *p)
{
    return (int32_t)((uint32_t)p[0] | ((uint32_t)p[1] << 8) | ((uint32_t)p[2] << 16) | ((uint32_t)p[3] << 24));
}

void PutLe32(uint8_t *p, int32_t v)
{
    uint32_t u = (uint32_t)v;
    p[0] = (uint8_t)u;
    p[1] = (uint8_t)(u >> 8);
    p[2] = (uint8_t)(u >> 16);
    p[3] = (uint8_t)(u >> 24);
}

}  // namespace

bool OVI_ReadRLEBitmap(ov_bitmap_t *b, ov_file_t *f)
{
    if (!b || !f)
        return false;
    uint8_t header[8];
    if (OV_ReadFile(header, 8, f) != 8) {
        OV_PrintDebugf(OV_WARNING, "RLE bitmap header truncated.\n");
        return false;
    }
    int32_t w = Le32(header), h = Le32(header + 4);
    free(b->pixels);
    b->pixels = nullptr;
    b->width = b->height = 0;
    bool empty = (w == 0 && h >= 0) || (h == 0 && w >= 0);
    if (!empty && !OVI_ImageSizeAllowed(w, h)) {
        OV_PrintDebugf(OV_WARNING, "RLE bitmap size %dx%d not supported.\n", w, h);
        return false;
    }
    b->width = w;
    b->height = h;
    uint8_t run[5];
    if (empty) {
        // The lone run of count 0 that stands for the empty image.
        if (OV_ReadFile(run, 5, f) != 5) {
            OV_PrintDebugf(OV_WARNING, "RLE bitmap data truncated.\n");
            return false;
        }
        return true;
    }
    size_t total = (size_t)w * h;
    uint8_t *pixels = (uint8_t *)malloc(total * 4);
    if (!pixels)
        return false;
    bool bgr = ov_state.texture_format == 1;
    size_t i = 0;
    while (i < total) {
        if (OV_ReadFile(run, 5, f) != 5) {
            OV_PrintDebugf(OV_WARNING, "RLE bitmap data truncated at pixel %ld of %ld.\n", (long)i, (long)total);
            free(pixels);
            b->width = b->height = 0;
            return false;
        }
        uint8_t px[4] = {bgr ? run[1] : run[3], run[2], bgr ? run[3] : run[1], run[4]};
        size_t count = run[0];
        if (count > total - i)
            count = total - i;
        for (size_t k = 0; k < count; k++, i++)
            memcpy(pixels + i * 4, px, 4);
    }
    b->pixels = pixels;
    return true;
}

bool OVI_WriteRLEBitmap(ov_bitmap_t *b, FILE *stream)
{
    if (!b || !stream)
        return false;
    uint8_t header[8];
    PutLe32(header, b->width);
    PutLe32(header + 4, b->height);
    if (fwrite(header, 1, 8, stream) != 8)
        return false;
    size_t total = (b->width > 0 && b->height > 0) ? (size_t)b->width * b->height : 0;
    if (total == 0 || !b->pixels) {
        uint8_t none[5] = {0, 0, 0, 0, 0};
        return fwrite(none, 1, 5, stream) == 5;
    }
    bool bgr = ov_state.texture_format == 1;
    size_t i = 0;
    while (i < total) {
        const uint8_t *p = b->pixels + i * 4;
        size_t count = 1;
        while (count < 255 && i + count < total && memcmp(p, b->pixels + (i + count) * 4, 4) == 0)
            count++;
        uint8_t run[5] = {(uint8_t)count, bgr ? p[0] : p[2], p[1], bgr ? p[2] : p[0], p[3]};
        if (fwrite(run, 1, 5, stream) != 5)
            return false;
        i += count;
    }
    return true;
}
