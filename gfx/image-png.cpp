// PNG files through libpng: decoding from memory into 4-byte pixels (every colour type,
// bit depth and interlacing libpng handles) and writing RGBA pixels to a stdio stream.
#include "gfx/image.h"

#include "core/fs/fs.h"
#include "core/ov_state.h"

#include <png.h>
#include <stdlib.h>
#include <string.h>

namespace {

// Where libpng's reads come from.
struct PngMemReader {
    const uint8_t *data;
    size_t size;
    size_t offset;
};

const char *NameOf(const ov_bitmap_t *b)
{
    return b && b->name ? b->name : "";
}

// Warnings are not errors for us: keep them quiet.
void PngWarning(png_structp, png_const_charp)
{
}

}  // namespace

// libpng read callback: copies the next bytes of the buffer; a read past its end is an error.
void png_read_buffer_func(png_structp png, png_bytep out, png_size_t length)
{
    PngMemReader *r = (PngMemReader *)png_get_io_ptr(png);
    if (!r || length > r->size - r->offset) {
        png_error(png, "read past the end of the PNG data");
        return;
    }
    memcpy(out, r->data + r->offset, length);
    r->offset += length;
}

bool check_if_png(const void *data, long size)
{
    if (!data || size < 4)
        return false;
    return png_sig_cmp((png_const_bytep)data, 0, 4) == 0;
}

namespace {

// One decoding run; everything libpng's jump may leave behind lives here, not on the stack.
struct PngRun {
    png_structp png = nullptr;
    png_infop info = nullptr;
    uint8_t *temp = nullptr;
    png_bytep *rows = nullptr;
};

// Converts a decoded row of 1..3 channels into 4-byte pixels; false for other counts.
bool ConvertRow(const uint8_t *src, uint8_t *dst, int width, int channels)
{
    for (int x = 0; x < width; x++, dst += 4) {
        switch (channels) {
        case 3:
            dst[0] = src[x * 3];
            dst[1] = src[x * 3 + 1];
            dst[2] = src[x * 3 + 2];
            dst[3] = 255;
            break;
        case 2:
            dst[0] = dst[1] = dst[2] = src[x * 2];
            dst[3] = src[x * 2 + 1];
            break;
        case 1:
            dst[0] = dst[1] = dst[2] = 255;
            dst[3] = src[x];
            break;
        default:
            return false;
        }
    }
    return true;
}

// The decode proper; returns false on any failure (libpng errors come back through the jump).
bool DecodePng(ov_bitmap_t *b, PngRun *run, PngMemReader *reader, bool header_only)
{
    run->png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, PngWarning);
    if (run->png)
        run->info = png_create_info_struct(run->png);
    if (!run->png || !run->info) {
        OV_PrintDebugf(OV_WARNING, "PNG ERROR: Image '%s' load failed.", NameOf(b));
        return false;
    }
    if (setjmp(png_jmpbuf(run->png)))
        return false;
    png_set_read_fn(run->png, reader, png_read_buffer_func);
#ifdef FUZZING_BUILD_MODE_UNSAFE_FOR_PRODUCTION
    // Fuzz builds only: bad chunk and zlib checksums are ignored, so that mutated
    // headers and image data reach the decoder instead of failing the checksum.
    png_set_crc_action(run->png, PNG_CRC_QUIET_USE, PNG_CRC_QUIET_USE);
    png_set_option(run->png, PNG_IGNORE_ADLER32, PNG_OPTION_ON);
#endif
    png_set_user_limits(run->png, OV_IMAGE_MAX_SIDE, OV_IMAGE_MAX_SIDE);
    png_read_info(run->png, run->info);
    png_uint_32 width = 0, height = 0;
    int depth = 0, color_type = 0;
    png_get_IHDR(run->png, run->info, &width, &height, &depth, &color_type, nullptr, nullptr, nullptr);
    if (!OVI_ImageSizeAllowed((long)width, (long)height))
        return false;
    b->width = (int32_t)width;
    b->height = (int32_t)height;
    if (header_only)
        return true;
    int passes = png_set_interlace_handling(run->png);
    (void)passes;
    double file_gamma = 0.0;
    if (png_get_gAMA(run->png, run->info, &file_gamma))
        png_set_gamma(run->png, 2.2, file_gamma);
    else
        png_set_gamma(run->png, 2.2, 0.45455);
    png_set_expand(run->png);
    png_set_strip_16(run->png);
    if (color_type == PNG_COLOR_TYPE_PALETTE)
        png_set_palette_to_rgb(run->png);
    if (color_type == PNG_COLOR_TYPE_GRAY && depth < 8)
        png_set_expand_gray_1_2_4_to_8(run->png);
    if (ov_state.texture_format == 1 && (color_type & PNG_COLOR_MASK_COLOR))
        png_set_bgr(run->png);
    if (png_get_valid(run->png, run->info, PNG_INFO_tRNS))
        png_set_tRNS_to_alpha(run->png);
    png_read_update_info(run->png, run->info);

    size_t rowbytes = png_get_rowbytes(run->png, run->info);
    int channels = (int)(rowbytes / width);
    if (channels < 1 || channels > 4) {
        OV_Popupf(OV_WARNING, "Unsupported png '%s' with %d channels.\n", NameOf(b), channels);
        return false;
    }
    b->pixels = (uint8_t *)malloc((size_t)width * height * 4);
    run->rows = (png_bytep *)malloc(sizeof(png_bytep) * height);
    if (!b->pixels || !run->rows)
        return false;
    if (channels == 4) {
        for (png_uint_32 y = 0; y < height; y++)
            run->rows[y] = b->pixels + (size_t)y * width * 4;
        png_read_image(run->png, run->rows);
        b->flags |= OV_BITMAP_ALPHA;
    } else {
        run->temp = (uint8_t *)malloc(rowbytes * height);
        if (!run->temp)
            return false;
        for (png_uint_32 y = 0; y < height; y++)
            run->rows[y] = run->temp + (size_t)y * rowbytes;
        png_read_image(run->png, run->rows);
        for (png_uint_32 y = 0; y < height; y++)
            ConvertRow(run->rows[y], b->pixels + (size_t)y * width * 4, (int)width, channels);
        if (channels == 3)
            b->flags &= (uint16_t)~OV_BITMAP_ALPHA;
        else
            b->flags |= OV_BITMAP_ALPHA;
    }
    png_read_end(run->png, nullptr);
    return true;
}

bool LoadPng(ov_bitmap_t *b, const void *data, long size, bool header_only)
{
    if (!b)
        return false;
    b->width = b->height = 0;
    free(b->pixels);
    b->pixels = nullptr;
    b->flags |= OV_BITMAP_RELOADABLE;
    b->flags &= (uint16_t)~OV_BITMAP_ALPHA;
    if (!check_if_png(data, size)) {
        OV_PrintDebugf(OV_WARNING, "PNG ERROR: Image '%s' not proper png.\n", NameOf(b));
        return false;
    }
    PngMemReader reader = {(const uint8_t *)data, (size_t)size, 0};
    PngRun run;
    bool ok = DecodePng(b, &run, &reader, header_only);
    if (run.png)
        png_destroy_read_struct(&run.png, run.info ? &run.info : nullptr, nullptr);
    free(run.temp);
    free(run.rows);
    if (!ok) {
        free(b->pixels);
        b->pixels = nullptr;
    }
    return ok;
}

}  // namespace

bool OVI_LoadBitmapMemPNG(ov_bitmap_t *b, const void *data, long size)
{
    return LoadPng(b, data, size, false);
}

bool OVI_GetImageDimensionsPNG(ov_bitmap_t *b, const void *data, long size)
{
    return LoadPng(b, data, size, true);
}

namespace {

struct PngWriteRun {
    png_structp png = nullptr;
    png_infop info = nullptr;
    png_bytep *rows = nullptr;
};

bool EncodePng(ov_bitmap_t *b, FILE *stream, PngWriteRun *run)
{
    run->png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, PngWarning);
    if (run->png)
        run->info = png_create_info_struct(run->png);
    if (!run->png || !run->info)
        return false;
    if (setjmp(png_jmpbuf(run->png)))
        return false;
    png_init_io(run->png, stream);
    png_uint_32 width = (png_uint_32)b->width, height = (png_uint_32)b->height;
    png_set_IHDR(run->png, run->info, width, height, 8, PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_color_8 bits = {8, 8, 8, 0, 8};
    png_set_sBIT(run->png, run->info, &bits);
    png_write_info(run->png, run->info);
    if (ov_state.texture_format == 1)
        png_set_bgr(run->png);
    if (height > PNG_UINT_32_MAX / sizeof(png_bytep) || height > 0x3FFFFFFF)
        png_error(run->png, "Image is too tall to process in memory");
    run->rows = (png_bytep *)malloc(sizeof(png_bytep) * (height ? height : 1));
    if (!run->rows)
        return false;
    for (png_uint_32 y = 0; y < height; y++)
        run->rows[y] = b->pixels + (size_t)y * width * 4;
    png_write_image(run->png, run->rows);
    png_write_end(run->png, run->info);
    return true;
}

}  // namespace

bool OVI_WritePNG(ov_bitmap_t *b, FILE *stream)
{
    if (!stream || !b || !b->pixels || b->width < 1 || b->height < 1)
        return false;
    PngWriteRun run;
    bool ok = EncodePng(b, stream, &run);
    if (run.png)
        png_destroy_write_struct(&run.png, run.info ? &run.info : nullptr);
    free(run.rows);
    return ok;
}

bool OVI_WritePNG(ov_bitmap_t *b, const char *native_path)
{
    if (!native_path)
        return false;
    // Written beside the file and put in place whole, so a failure leaves the old file.
    FILE *f = OVFS_OpenTempSibling(native_path, "wb");
    if (!f)
        return false;
    bool ok = OVI_WritePNG(b, f);
    return OVFS_FinishTempSibling(f, native_path, ok);
}
