// Image files: the image loader that turns PNG, JPEG and TGA files into the 4-byte
// pixels of an ov_bitmap_t and writes pixels back out, and the codec entry points.
//
// Pixels produced and consumed here: width x height 4-byte pixels, row-major, top row
// first, in the renderer's texture byte order (R, G, B, A; B, G, R, A when
// ov_state.texture_format is 1). Pixel memory is malloc'ed; free it with free() or
// ImageLoaderImp::FreeImagePixels.
//
// Use from a build-time tool (no engine running): read the file yourself and call
// OVI_LoadBitmapMemPNG / JPG / TGA on a zeroed ov_bitmap_t; write with OVI_WritePNG.
// Every decoder refuses images wider or higher than OV_IMAGE_MAX_SIDE.
#ifndef OV_IMAGE_H
#define OV_IMAGE_H

#include "gfx/bitmap.h"

#include <stdio.h>

enum {
    // Largest width or height any decoder accepts (the renderer's texture limit).
    OV_IMAGE_MAX_SIDE = 8192,
};

// The image loader the bitmap code reaches through ov_image_loader.
class ImageLoaderImp {
public:
    // Fills width and height from the file's header without decoding.
    virtual bool GetImageDimensions(ov_bitmap_t *b, const char *path) = 0;
    // Decodes the file into the bitmap's pixels (true when it has pixels afterwards).
    virtual bool LoadImagePixels(ov_bitmap_t *b, const char *path) = 0;
    // Frees and clears the bitmap's pixel pointer.
    virtual void FreeImagePixels(ov_bitmap_t *b) = 0;
    // Writes the pixels as .png, .jpg (with the quality) or .tga, chosen by the path's end.
    virtual bool SaveImage(ov_bitmap_t *b, const char *path, int quality) = 0;
};

// The one loader over the program's own codecs.
ImageLoaderImp *GetImageLoaderImp();
// The global image loader (null before the engine's pre-initialisation).
extern ImageLoaderImp *ov_image_loader;
// Installs the global image loader; returns 1.
int OVID_InitImageLoader();

// True when w x h is a size the decoders accept (1..OV_IMAGE_MAX_SIDE each side).
bool OVI_ImageSizeAllowed(long w, long h);

// Decoders from memory: fill width, height, pixels and the alpha/reloadable flags.
bool OVI_LoadBitmapMemPNG(ov_bitmap_t *b, const void *data, long size);
bool OVI_LoadBitmapMemJPG(ov_bitmap_t *b, const void *data, long size);
bool OVI_LoadBitmapMemTGA(ov_bitmap_t *b, const void *data, long size);
// Header readers: width and height only, no pixels.
bool OVI_GetImageDimensionsPNG(ov_bitmap_t *b, const void *data, long size);
bool OVI_GetImageDimensionsJPG(ov_bitmap_t *b, const void *data, long size);
bool OVI_GetImageDimensionsTGA(ov_bitmap_t *b, const void *data, long size);
// True when the buffer starts like a PNG file (needs at least 4 bytes).
bool check_if_png(const void *data, long size);

// Writers (native paths or an open stdio stream); true when the file was written.
bool OVI_WritePNG(ov_bitmap_t *b, FILE *stream);
bool OVI_WritePNG(ov_bitmap_t *b, const char *native_path);
bool OVI_WriteJPG(ov_bitmap_t *b, const char *native_path, int quality);
bool OVI_WriteTGA(ov_bitmap_t *b, const char *native_path);
// Writes width x height packed R, G, B bytes as a baseline JPEG of the given quality.
int write_JPEG_file(const char *native_path, const uint8_t *rgb, int width, int height, int quality);
// Readies the image readers; false when they cannot be used.
bool OVI_InitImageLoader(void);

#endif
