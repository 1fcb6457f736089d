// JPEG files through libjpeg (IJG interface 62): decoding from memory with an
// in-memory data source, and writing packed RGB rows as a baseline JPEG.
#include "gfx/image.h"

#include "core/fs/fs.h"
#include "core/ov_state.h"

#include <setjmp.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <jpeglib.h>
#include <jerror.h>

namespace {

// The error manager with the place to jump back to.
struct JpegError {
    jpeg_error_mgr pub;
    sigjmp_buf jump;
};

// The memory source: the caller's buffer and the fake end-of-image marker.
struct JpegMemorySource {
    jpeg_source_mgr pub;
    const JOCTET *data;
    size_t size;
    JOCTET eoi[2];
};

// Library messages go to the engine's debug output, not to stderr.
void OutputMessage(j_common_ptr cinfo)
{
    char text[JMSG_LENGTH_MAX];
    cinfo->err->format_message(cinfo, text);
    OV_PrintDebugf(OV_INFO, "JPEG: %s\n", text);
}

}  // namespace

// Error exit: formats the library's message and jumps back to the loader.
void my_error_exit(j_common_ptr cinfo)
{
    JpegError *err = (JpegError *)cinfo->err;
    char text[JMSG_LENGTH_MAX];
    cinfo->err->format_message(cinfo, text);
    OV_PrintDebugf(OV_INFO, "JPEG error: %s\n", text);
    siglongjmp(err->jump, 1);
}

void init_source(j_decompress_ptr)
{
}

void term_source(j_decompress_ptr)
{
}

// Reached only when the data ran out: warns and supplies an end-of-image marker.
boolean fill_input_buffer(j_decompress_ptr cinfo)
{
    JpegMemorySource *src = (JpegMemorySource *)cinfo->src;
    WARNMS(cinfo, JWRN_JPEG_EOF);
    src->eoi[0] = (JOCTET)0xFF;
    src->eoi[1] = (JOCTET)JPEG_EOI;
    src->pub.next_input_byte = src->eoi;
    src->pub.bytes_in_buffer = 2;
    return TRUE;
}

void skip_input_data(j_decompress_ptr cinfo, long n)
{
    if (n <= 0)
        return;
    jpeg_source_mgr *src = cinfo->src;
    while (n > (long)src->bytes_in_buffer) {
        n -= (long)src->bytes_in_buffer;
        fill_input_buffer(cinfo);
    }
    src->next_input_byte += n;
    src->bytes_in_buffer -= (size_t)n;
}

// Points the decompressor at the caller's buffer (source allocated once per decompressor).
void jpeg_memory_src(j_decompress_ptr cinfo, const JOCTET *data, size_t size)
{
    if (!cinfo->src)
        cinfo->src = (jpeg_source_mgr *)(*cinfo->mem->alloc_small)((j_common_ptr)cinfo, JPOOL_PERMANENT,
                                                                   sizeof(JpegMemorySource));
    JpegMemorySource *src = (JpegMemorySource *)cinfo->src;
    src->pub.init_source = init_source;
    src->pub.fill_input_buffer = fill_input_buffer;
    src->pub.skip_input_data = skip_input_data;
    src->pub.resync_to_restart = jpeg_resync_to_restart;
    src->pub.term_source = term_source;
    src->data = data;
    src->size = size;
    src->pub.next_input_byte = data;
    src->pub.bytes_in_buffer = size;
}

namespace {

// What must survive a jump back out of the library.
struct JpegRun {
    jpeg_decompress_struct cinfo;
    JpegError err;
    bool created = false;
};

// Stores one decoded scanline of any component count as 4-byte pixels.
void StoreRow(const JSAMPLE *src, int components, int width, uint8_t *dst)
{
    bool bgr = ov_state.texture_format == 1;
    for (int x = 0; x < width; x++, dst += 4) {
        uint8_t r, g, bl;
        if (components >= 3) {
            r = src[x * components];
            g = src[x * components + 1];
            bl = src[x * components + 2];
        } else {
            r = g = bl = src[x * components];
        }
        dst[0] = bgr ? bl : r;
        dst[1] = g;
        dst[2] = bgr ? r : bl;
        dst[3] = 255;
    }
}

// Returns 1 on success, 0 on failure with its popup raised, -1 after a library error.
int DecodeJpeg(ov_bitmap_t *b, JpegRun *run, const void *data, long size, bool header_only)
{
    run->cinfo.err = jpeg_std_error(&run->err.pub);
    run->err.pub.error_exit = my_error_exit;
    run->err.pub.output_message = OutputMessage;
    if (sigsetjmp(run->err.jump, 0))
        return -1;
    jpeg_create_decompress(&run->cinfo);
    run->created = true;
    jpeg_memory_src(&run->cinfo, (const JOCTET *)data, (size_t)size);
    jpeg_read_header(&run->cinfo, TRUE);
    if (!OVI_ImageSizeAllowed((long)run->cinfo.image_width, (long)run->cinfo.image_height))
        return 0;
    if (header_only) {
        b->width = (int32_t)run->cinfo.image_width;
        b->height = (int32_t)run->cinfo.image_height;
        return 1;
    }
    if (run->cinfo.jpeg_color_space == JCS_GRAYSCALE || run->cinfo.jpeg_color_space == JCS_YCbCr)
        run->cinfo.out_color_space = JCS_RGB;
    jpeg_start_decompress(&run->cinfo);
    int width = (int)run->cinfo.output_width, height = (int)run->cinfo.output_height;
    int components = run->cinfo.output_components;
    if (!OVI_ImageSizeAllowed(width, height) || components < 1)
        return 0;
    b->width = width;
    b->height = height;
    b->pixels = (uint8_t *)malloc((size_t)width * height * 4);
    if (!b->pixels) {
        OV_Popupf(OV_WARNING, "Load JPG - JPEG out of memory while loading file\n");
        return 0;
    }
    JSAMPARRAY row = (*run->cinfo.mem->alloc_sarray)((j_common_ptr)&run->cinfo, JPOOL_IMAGE,
                                                     (JDIMENSION)(width * components), 1);
    while (run->cinfo.output_scanline < run->cinfo.output_height) {
        int y = (int)run->cinfo.output_scanline;
        if (jpeg_read_scanlines(&run->cinfo, row, 1) != 1)
            break;
        StoreRow(row[0], components, width, b->pixels + (size_t)y * width * 4);
    }
    jpeg_finish_decompress(&run->cinfo);
    return 1;
}

bool LoadJpeg(ov_bitmap_t *b, const void *data, long size, bool header_only)
{
    if (!b)
        return false;
    b->width = b->height = 0;
    free(b->pixels);
    b->pixels = nullptr;
    b->flags &= (uint16_t)~OV_BITMAP_ALPHA;
    b->flags |= OV_BITMAP_RELOADABLE;
    if (!data || size < 1)
        return false;
    JpegRun *run = (JpegRun *)calloc(1, sizeof(JpegRun));
    if (!run)
        return false;
    int result = DecodeJpeg(b, run, data, size, header_only);
    long warnings = run->err.pub.num_warnings;
    if (run->created)
        jpeg_destroy_decompress(&run->cinfo);
    free(run);
    if (result < 0) {
        OV_Popupf(OV_WARNING, header_only ? "OVI_GetImageDimensionsJPG - setjmp failed.\n" : "Load JPG - setjmp failed.\n");
    } else if (result > 0 && warnings) {
        if (header_only)
            OV_Popupf(OV_WARNING, "WARNING: %d warnings while loading JPEG\n", (int)warnings);
        else
            OV_PrintDebugf(OV_WARNING, "WARNING: %d warnings while loading JPEG\n", (int)warnings);
    }
    if (result <= 0) {
        free(b->pixels);
        b->pixels = nullptr;
        return false;
    }
    return true;
}

}  // namespace

bool OVI_LoadBitmapMemJPG(ov_bitmap_t *b, const void *data, long size)
{
    return LoadJpeg(b, data, size, false);
}

bool OVI_GetImageDimensionsJPG(ov_bitmap_t *b, const void *data, long size)
{
    return LoadJpeg(b, data, size, true);
}

namespace {

struct JpegWriteRun {
    jpeg_compress_struct cinfo;
    JpegError err;
    FILE *file;
    bool created;
};

bool EncodeJpeg(JpegWriteRun *run, const uint8_t *rgb, int width, int height, int quality)
{
    run->cinfo.err = jpeg_std_error(&run->err.pub);
    run->err.pub.error_exit = my_error_exit;
    run->err.pub.output_message = OutputMessage;
    if (sigsetjmp(run->err.jump, 0))
        return false;
    jpeg_create_compress(&run->cinfo);
    run->created = true;
    jpeg_stdio_dest(&run->cinfo, run->file);
    run->cinfo.image_width = (JDIMENSION)width;
    run->cinfo.image_height = (JDIMENSION)height;
    run->cinfo.input_components = 3;
    run->cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&run->cinfo);
    jpeg_set_quality(&run->cinfo, quality, TRUE);
    jpeg_start_compress(&run->cinfo, TRUE);
    while (run->cinfo.next_scanline < run->cinfo.image_height) {
        JSAMPROW row = (JSAMPROW)(rgb + (size_t)run->cinfo.next_scanline * width * 3);
        jpeg_write_scanlines(&run->cinfo, &row, 1);
    }
    jpeg_finish_compress(&run->cinfo);
    return true;
}

}  // namespace

int write_JPEG_file(const char *native_path, const uint8_t *rgb, int width, int height, int quality)
{
    // Written beside the file and put in place whole, so a failure leaves the old file.
    FILE *f = OVFS_OpenTempSibling(native_path, "wb");
    if (!f)
        return 0;
    JpegWriteRun *run = (JpegWriteRun *)calloc(1, sizeof(JpegWriteRun));
    if (!run) {
        OVFS_FinishTempSibling(f, native_path, false);
        return 0;
    }
    run->file = f;
    bool ok = EncodeJpeg(run, rgb, width, height, quality);
    if (run->created)
        jpeg_destroy_compress(&run->cinfo);
    free(run);
    return OVFS_FinishTempSibling(f, native_path, ok) ? 1 : 0;
}

bool OVI_WriteJPG(ov_bitmap_t *b, const char *native_path, int quality)
{
    if (!b || !b->pixels || b->width < 1 || b->height < 1 || !native_path)
        return false;
    size_t count = (size_t)b->width * b->height;
    uint8_t *rgb = (uint8_t *)malloc(count * 3);
    if (!rgb)
        return false;
    bool bgr = ov_state.texture_format == 1;
    for (size_t i = 0; i < count; i++) {
        const uint8_t *p = b->pixels + i * 4;
        rgb[i * 3] = bgr ? p[2] : p[0];
        rgb[i * 3 + 1] = p[1];
        rgb[i * 3 + 2] = bgr ? p[0] : p[2];
    }
    int ok = write_JPEG_file(native_path, rgb, b->width, b->height, quality);
    free(rgb);
    return ok != 0;
}
