// TGA files, read and written by the program itself: uncompressed and run-length
// true-colour images of 24 or 32 bits per pixel (other kinds are refused).
#include "gfx/image.h"

#include "core/fs/fs.h"
#include "core/ov_state.h"

#include <stdlib.h>
#include <string.h>

namespace {

enum { TGA_HEADER = 18 };

struct TgaHeader {
    int id_length, colour_map_type, image_type;
    int width, height, bpp, descriptor;
};

int Le16(const uint8_t *p)
{
    return p[0] | (p[1] << 8);
}

bool ReadHeader(const uint8_t *data, long size, TgaHeader *h)
{
    if (!data || size < TGA_HEADER)
        return false;
    h->id_length = data[0];
    h->colour_map_type = data[1];
    h->image_type = data[2];
    h->width = Le16(data + 12);
    h->height = Le16(data + 14);
    h->bpp = data[16];
    h->descriptor = data[17];
    return true;
}

// Stores one file pixel (B, G, R[, A]) at pixel index i in the texture byte order.
void StorePixel(uint8_t *pixels, long i, const uint8_t *src, int bytes)
{
    uint8_t *d = pixels + i * 4;
    uint8_t a = bytes == 4 ? src[3] : 255;
    if (ov_state.texture_format == 1) {
        d[0] = src[0];
        d[1] = src[1];
        d[2] = src[2];
    } else {
        d[0] = src[2];
        d[1] = src[1];
        d[2] = src[0];
    }
    d[3] = a;
}

// The number of the overrun message for repeated (true) or raw packets.
int OverrunNumber(bool repeated)
{
    int base = ov_state.texture_format == 1 ? 3 : 1;
    return repeated ? base : base + 1;
}

// Decodes the pixel data in file order into `pixels`; false when the data end too early.
bool DecodeData(const uint8_t *p, const uint8_t *end, const TgaHeader &h, uint8_t *pixels)
{
    int bytes = h.bpp / 8;
    long total = (long)h.width * h.height;
    if (h.image_type == 2) {
        if (end - p < total * bytes) {
            OV_PrintDebugf(OV_WARNING, "TGA pixel data truncated (%ld of %ld bytes).\n", (long)(end - p), total * bytes);
            return false;
        }
        for (long i = 0; i < total; i++, p += bytes)
            StorePixel(pixels, i, p, bytes);
        return true;
    }
    long i = 0;
    while (i < total) {
        if (p >= end) {
            OV_PrintDebugf(OV_WARNING, "TGA run-length data truncated at pixel %ld of %ld.\n", i, total);
            return false;
        }
        int c = *p++;
        long count = (c & 0x7F) + 1;
        bool repeated = (c & 0x80) != 0;
        long need = repeated ? bytes : count * bytes;
        if (end - p < need) {
            OV_PrintDebugf(OV_WARNING, "TGA run-length data truncated at pixel %ld of %ld.\n", i, total);
            return false;
        }
        if (i + count > total) {
            OV_PrintDebugf(OV_ERROR, "TGA buffer overrun #%d: (%d)\n", OverrunNumber(repeated), (int)count);
            return true;
        }
        for (long k = 0; k < count; k++, i++)
            StorePixel(pixels, i, repeated ? p : p + k * bytes, bytes);
        p += need;
    }
    return true;
}

// Puts file rows into image rows (bottom-up unless bit 5) and mirrors them (bit 4).
void Reorder(uint8_t *pixels, const TgaHeader &h)
{
    size_t stride = (size_t)h.width * 4;
    if (!(h.descriptor & 0x20)) {
        uint8_t *tmp = (uint8_t *)malloc(stride);
        if (tmp) {
            for (int y = 0; y < h.height / 2; y++) {
                uint8_t *a = pixels + y * stride, *b = pixels + (size_t)(h.height - 1 - y) * stride;
                memcpy(tmp, a, stride);
                memcpy(a, b, stride);
                memcpy(b, tmp, stride);
            }
            free(tmp);
        }
    }
    if (h.descriptor & 0x10) {
        for (int y = 0; y < h.height; y++) {
            uint32_t *row = (uint32_t *)(pixels + y * stride);
            for (int x = 0; x < h.width / 2; x++) {
                uint32_t t = row[x];
                row[x] = row[h.width - 1 - x];
                row[h.width - 1 - x] = t;
            }
        }
    }
}

}  // namespace

bool OVI_LoadBitmapMemTGA(ov_bitmap_t *b, const void *data, long size)
{
    if (!b)
        return false;
    TgaHeader h;
    if (!ReadHeader((const uint8_t *)data, size, &h))
        return false;
    if (h.colour_map_type != 0 || (h.image_type != 2 && h.image_type != 10) || (h.bpp != 24 && h.bpp != 32))
        return false;
    if (!OVI_ImageSizeAllowed(h.width, h.height)) {
        OV_PrintDebugf(OV_WARNING, "TGA image size %dx%d not supported.\n", h.width, h.height);
        return false;
    }
    free(b->pixels);
    b->pixels = nullptr;
    b->width = h.width;
    b->height = h.height;
    b->flags |= OV_BITMAP_RELOADABLE | OV_BITMAP_ALPHA;
    uint8_t *pixels = (uint8_t *)calloc((size_t)h.width * h.height, 4);
    if (!pixels)
        return false;
    const uint8_t *start = (const uint8_t *)data + TGA_HEADER + h.id_length;
    const uint8_t *end = (const uint8_t *)data + size;
    if (start > end || !DecodeData(start, end, h, pixels)) {
        free(pixels);
        return false;
    }
    Reorder(pixels, h);
    b->pixels = pixels;
    return true;
}

bool OVI_GetImageDimensionsTGA(ov_bitmap_t *b, const void *data, long size)
{
    if (!b)
        return false;
    TgaHeader h;
    if (!ReadHeader((const uint8_t *)data, size, &h))
        return false;
    b->width = h.width;
    b->height = h.height;
    b->flags |= OV_BITMAP_RELOADABLE | OV_BITMAP_ALPHA;
    return true;
}

bool OVI_WriteTGA(ov_bitmap_t *b, const char *native_path)
{
    if (!b || !b->pixels || !native_path || b->width < 1 || b->height < 1 || b->width > 65535 || b->height > 65535)
        return false;
    // Written beside the file and put in place whole, so a failure leaves the old file.
    FILE *f = OVFS_OpenTempSibling(native_path, "wb");
    if (!f)
        return false;
    uint8_t header[TGA_HEADER] = {0};
    header[2] = 2;
    header[12] = (uint8_t)(b->width & 0xFF);
    header[13] = (uint8_t)(b->width >> 8);
    header[14] = (uint8_t)(b->height & 0xFF);
    header[15] = (uint8_t)(b->height >> 8);
    header[16] = 32;
    header[17] = 0x08;
    bool ok = fwrite(header, 1, sizeof header, f) == sizeof header;
    size_t stride = (size_t)b->width * 4;
    uint8_t *row = (uint8_t *)malloc(stride);
    ok = ok && row;
    bool bgr = ov_state.texture_format == 1;
    for (int y = b->height - 1; ok && y >= 0; y--) {
        const uint8_t *src = b->pixels + (size_t)y * stride;
        for (int x = 0; x < b->width; x++) {
            const uint8_t *p = src + x * 4;
            uint8_t *d = row + x * 4;
            d[0] = bgr ? p[0] : p[2];
            d[1] = p[1];
            d[2] = bgr ? p[2] : p[0];
            d[3] = p[3];
        }
        ok = fwrite(row, 1, stride, f) == stride;
    }
    free(row);
    return OVFS_FinishTempSibling(f, native_path, ok);
}
