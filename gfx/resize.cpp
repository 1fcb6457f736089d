// Image resizing (see resize.h): bilinear in 11-bit fixed point for ratios up to 1.5,
// box averages of bilinear samples above it.
#include "gfx/resize.h"

#include "gfx/pixels.h"
#include "core/ov_state.h"

#include <stdlib.h>
#include <string.h>

namespace {

// The bilinear value at source position (sx, sy), clamped fetches as in OVI_GetClampedPixel.
void Bilinear(const ov_bitmap_t *src, double sx, double sy, uint8_t out[4])
{
    int ix = (int)sx, iy = (int)sy;
    int fx = (int)((sx - ix) * 2048), fy = (int)((sy - iy) * 2048);
    uint32_t w[4] = {(uint32_t)((2048 - fx) * (2048 - fy)), (uint32_t)(fx * (2048 - fy)),
                     (uint32_t)((2048 - fx) * fy), (uint32_t)(fx * fy)};
    uint32_t p[4] = {OVI_GetClampedPixel(src, ix, iy), OVI_GetClampedPixel(src, ix + 1, iy),
                     OVI_GetClampedPixel(src, ix, iy + 1), OVI_GetClampedPixel(src, ix + 1, iy + 1)};
    for (int c = 0; c < 4; c++) {
        uint64_t sum = 0;
        for (int k = 0; k < 4; k++) {
            uint8_t bytes[4];
            memcpy(bytes, &p[k], 4);
            sum += (uint64_t)bytes[c] * w[k];
        }
        uint64_t v = sum >> 22;
        out[c] = (uint8_t)(v > 255 ? 255 : v);
    }
}

uint8_t Unit(float v)
{
    if (v < 0)
        v = 0;
    if (v > 1)
        v = 1;
    return (uint8_t)(v * 255.0f);
}

// Average of the bilinear samples over the footprint of destination pixel (x, y).
void Average(const ov_bitmap_t *src, double sx0, double sy0, double rx, double ry, uint8_t out[4])
{
    float colour[3] = {0, 0, 0}, alpha = 0;
    int samples = 0, opaque = 0;
    for (double sy = sy0; sy <= sy0 + ry; sy += 1.0) {
        for (double sx = sx0; sx <= sx0 + rx; sx += 1.0) {
            uint8_t p[4];
            Bilinear(src, sx, sy, p);
            samples++;
            alpha += p[3] / 255.0f;
            if (p[3]) {
                opaque++;
                for (int c = 0; c < 3; c++)
                    colour[c] += p[c] / 255.0f;
            }
        }
    }
    for (int c = 0; c < 3; c++)
        out[c] = opaque ? Unit(colour[c] / opaque) : 0;
    out[3] = samples ? Unit(alpha / samples) : 0;
}

}  // namespace

void OVI_ResizeImageChunk(ov_bitmap_t *dst, ov_bitmap_t *src, int width, int height, int first_row, int end_row)
{
    if (!dst || !src || !dst->pixels || !src->pixels || width < 1 || height < 1)
        return;
    if (first_row < 0)
        first_row = 0;
    if (end_row > height)
        end_row = height;
    if (width == src->width && height == src->height) {
        for (int y = first_row; y < end_row; y++)
            memcpy(dst->pixels + (size_t)y * width * 4, src->pixels + (size_t)y * width * 4, (size_t)width * 4);
    } else {
        double rx = (double)src->width / width, ry = (double)src->height / height;
        bool bilinear = rx <= 1.5 && ry <= 1.5;
        for (int y = first_row; y < end_row; y++) {
            double sy = (double)y / height * src->height;
            for (int x = 0; x < width; x++) {
                double sx = (double)x / width * src->width;
                uint8_t *out = dst->pixels + ((size_t)y * width + x) * 4;
                if (bilinear)
                    Bilinear(src, sx, sy, out);
                else
                    Average(src, sx, sy, rx, ry, out);
            }
        }
    }
    if (src->flags & OV_BITMAP_ALPHA)
        OVI_FixAlphaBleeding(dst);
}

bool OVI_CreateImageResized(ov_bitmap_t *dst, ov_bitmap_t *src, int width, int height)
{
    if (!dst) {
        OV_Popupf(OV_WARNING, "OVI_CreateImageResized bm_target is null.");
        return false;
    }
    if (!src) {
        OV_Popupf(OV_WARNING, "OVI_CreateImageResized bm_source is null.");
        return false;
    }
    if (!src->pixels) {
        OV_Popupf(OV_WARNING, "OVI_CreateImageResized bm_source '%s' has no pixels.", src->name ? src->name : "(null)");
        return false;
    }
    if (width < 1 || width > 65534 || height < 1 || height > 65534)
        return false;
    uint8_t *pixels = (uint8_t *)malloc((size_t)width * height * 4);
    if (!pixels) {
        OV_PrintDebugf(OV_WARNING, "OVI_CreateImageResized out of memory for %dx%d.\n", width, height);
        return false;
    }
    free(dst->pixels);
    dst->pixels = pixels;
    dst->width = dst->src_width = width;
    dst->height = dst->src_height = height;
    OVI_FixAlphaBleeding(src);
    dst->flags = (uint16_t)((dst->flags & ~OV_BITMAP_ALPHA) | (src->flags & OV_BITMAP_ALPHA));
    OVI_ResizeImageChunk(dst, src, width, height, 0, height);
    return true;
}

void OVI_ScalerThread(void *job)
{
    ov_resize_job_t *j = (ov_resize_job_t *)job;
    if (j)
        OVI_ResizeImageChunk(j->dst, j->src, j->width, j->height, j->first_row, j->end_row);
}
