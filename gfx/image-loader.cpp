// The image loader: reads an image file whole through the engine's file calls, picks
// the codec by the file name's ending, and writes images by the ending of the path.
#include "gfx/image.h"

#include "core/ov_state.h"
#include "core/fs/ovfile.h"
#include "core/services.h"
#include "nstring.h"

#include <stdlib.h>
#include <string.h>
#include <strings.h>

ImageLoaderImp *ov_image_loader = nullptr;

namespace {

enum Codec { CODEC_NONE, CODEC_TGA, CODEC_PNG, CODEC_JPG };

// The codec named by the last four characters of the path (case-insensitive).
Codec CodecOf(const char *path)
{
    size_t n = strlen(path);
    if (n < 4)
        return CODEC_NONE;
    const char *end = path + n - 4;
    if (strcasecmp(end, ".tga") == 0)
        return CODEC_TGA;
    if (strcasecmp(end, ".png") == 0)
        return CODEC_PNG;
    if (strcasecmp(end, ".jpg") == 0)
        return CODEC_JPG;
    return CODEC_NONE;
}

// The whole file in a heap buffer (null when it does not open or read).
uint8_t *ReadWhole(const char *path, long *size)
{
    ov_file_t *f = OV_OpenFile(path, "rb");
    if (!f)
        return nullptr;
    long n = f->size;
    uint8_t *data = (uint8_t *)malloc(n > 0 ? (size_t)n : 1);
    if (data && n > 0 && OV_ReadFile(data, (unsigned)n, f) != (unsigned)n) {
        free(data);
        data = nullptr;
    }
    OV_CloseFile(f);
    *size = n;
    return data;
}

class ImageLoaderImpPortable : public ImageLoaderImp {
public:
    bool GetImageDimensions(ov_bitmap_t *b, const char *path) override;
    bool LoadImagePixels(ov_bitmap_t *b, const char *path) override;
    void FreeImagePixels(ov_bitmap_t *b) override;
    bool SaveImage(ov_bitmap_t *b, const char *path, int quality) override;

private:
    // Reads the file and runs the header reader or the decoder on it.
    bool Decode(ov_bitmap_t *b, const char *path, bool header_only, bool *decoded);
};

bool ImageLoaderImpPortable::Decode(ov_bitmap_t *b, const char *path, bool header_only, bool *decoded)
{
    *decoded = false;
    long size = 0;
    uint8_t *data = ReadWhole(path, &size);
    if (!data)
        return false;
    b->flags |= OV_BITMAP_RELOADABLE;
    bool ok = false;
    switch (CodecOf(path)) {
    case CODEC_TGA:
        ok = header_only ? OVI_GetImageDimensionsTGA(b, data, size) : OVI_LoadBitmapMemTGA(b, data, size);
        break;
    case CODEC_PNG:
        ok = header_only ? OVI_GetImageDimensionsPNG(b, data, size) : OVI_LoadBitmapMemPNG(b, data, size);
        break;
    case CODEC_JPG:
        ok = header_only ? OVI_GetImageDimensionsJPG(b, data, size) : OVI_LoadBitmapMemJPG(b, data, size);
        break;
    default:
        OV_Popupf(OV_WARNING, "Unsupported image format in file '%s'\n", path);
        break;
    }
    free(data);
    *decoded = true;
    return ok;
}

bool ImageLoaderImpPortable::GetImageDimensions(ov_bitmap_t *b, const char *path)
{
    if (!b || !path)
        return true;
    bool decoded;
    bool ok = Decode(b, path, true, &decoded);
    if (b->pixels) {
        free(b->pixels);
        b->pixels = nullptr;
    }
    return ok;
}

bool ImageLoaderImpPortable::LoadImagePixels(ov_bitmap_t *b, const char *path)
{
    if (!b || !path)
        return true;
    bool decoded;
    Decode(b, path, false, &decoded);
    if (!decoded)
        return false;
    if (b->pixels)
        return true;
    OV_PrintDebugf(OV_WARNING, "Unable to load image '%s'\n", path);
    return false;
}

void ImageLoaderImpPortable::FreeImagePixels(ov_bitmap_t *b)
{
    if (!b) {
        OV_PrintDebugf(OV_WARNING, "ImageLoader trying to free null bitmap.\n");
        return;
    }
    free(b->pixels);
    b->pixels = nullptr;
}

bool ImageLoaderImpPortable::SaveImage(ov_bitmap_t *b, const char *path, int quality)
{
    if (!b || !path)
        return false;
    OV_Printf("Saving image to file '%s'..\n", path);
    char *native = strstr(path, "://") ? OV_ConvertStaticPathToNativeOSPath(path) : nullptr;
    const char *target = native ? native : path;
    size_t n = strlen(path);
    const char *end = n >= 3 ? path + n - 3 : path;
    bool ok = false;
    if (strcasecmp(end, "png") == 0) {
        ok = OVI_WritePNG(b, target);
    } else if (strcasecmp(end, "jpg") == 0) {
        ok = OVI_WriteJPG(b, target, quality);
    } else if (strcasecmp(end, "tga") == 0) {
        ok = OVI_WriteTGA(b, target);
    } else {
        OV_Popupf(OV_WARNING, "SaveImage - file format for '%s' not supported. Use .png format.\n", path);
    }
    if (native)
        nStringFree(native);
    return ok;
}

}  // namespace

ImageLoaderImp *GetImageLoaderImp()
{
    static ImageLoaderImpPortable loader;
    return &loader;
}

int OVID_InitImageLoader()
{
    OV_PrintDebugf(OV_SYSTEM, "Portable Image loader initializing..\n");
    ov_image_loader = GetImageLoaderImp();
    return 1;
}

// Called by the engine's pre-initialisation.
bool OVI_InitImageLoader(void)
{
    return OVID_InitImageLoader() != 0;
}

bool OVI_ImageSizeAllowed(long w, long h)
{
    return w >= 1 && h >= 1 && w <= OV_IMAGE_MAX_SIDE && h <= OV_IMAGE_MAX_SIDE;
}
