// Fuzzes the image loader's PNG, JPEG or TGA decoder (the codec chosen at build time
// by FUZZ_IMAGE_KIND: 0 PNG, 1 JPEG, 2 TGA). The input is decoded from memory, its
// header read on its own, and loaded again as an engine file through the image loader
// in both texture byte orders. A decoded image must have a size the decoders accept,
// every pixel must be readable, the header reader must report the same size, and the
// file load must give the same pixels as the memory decode.
#include "core/ov_state.h"
#include "fuzz/fuzz_env.h"
#include "gfx/image.h"

#include <stdlib.h>
#include <string.h>

#ifndef FUZZ_IMAGE_KIND
#error "FUZZ_IMAGE_KIND must be 0 (PNG), 1 (JPEG) or 2 (TGA)"
#endif

namespace {

const char *const kFile[3] = {"fz.png", "fz.jpg", "fz.tga"};
const char *const kPath[3] = {"res://fz.png", "res://fz.jpg", "res://fz.tga"};

bool Decode(ov_bitmap_t *b, const uint8_t *data, size_t size)
{
    switch (FUZZ_IMAGE_KIND) {
    case 0:
        return OVI_LoadBitmapMemPNG(b, data, (long)size);
    case 1:
        return OVI_LoadBitmapMemJPG(b, data, (long)size);
    default:
        return OVI_LoadBitmapMemTGA(b, data, (long)size);
    }
}

bool Header(ov_bitmap_t *b, const uint8_t *data, size_t size)
{
    switch (FUZZ_IMAGE_KIND) {
    case 0:
        return OVI_GetImageDimensionsPNG(b, data, (long)size);
    case 1:
        return OVI_GetImageDimensionsJPG(b, data, (long)size);
    default:
        return OVI_GetImageDimensionsTGA(b, data, (long)size);
    }
}

// Sums every byte of the pixels (a read of the whole buffer for the sanitizer).
unsigned Touch(const ov_bitmap_t &b)
{
    unsigned sum = 0;
    size_t n = (size_t)b.width * (size_t)b.height * 4;
    for (size_t i = 0; i < n; i += 61)
        sum += b.pixels[i];
    return sum + b.pixels[n - 1];
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    fuzzenv::Start();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzzenv::BeginInput();
    ov_state.texture_format = 0;
    ov_bitmap_t mem;
    memset(&mem, 0, sizeof mem);
    bool ok = Decode(&mem, data, size);
    if (ok != (mem.pixels != nullptr))
        __builtin_trap();  // success means pixels, failure leaves none
    if (ok) {
        if (!OVI_ImageSizeAllowed(mem.width, mem.height))
            __builtin_trap();
        volatile unsigned sum = Touch(mem);
        (void)sum;
        ov_bitmap_t head;
        memset(&head, 0, sizeof head);
        if (!Header(&head, data, size) || head.width != mem.width || head.height != mem.height)
            __builtin_trap();  // the header reader agrees with the decoder
        free(head.pixels);
    }

    if (!fuzzenv::WriteResFile(kFile[FUZZ_IMAGE_KIND], data, size)) {
        free(mem.pixels);
        return 0;
    }
    // The same bytes as an engine file, in the other byte order: red and blue exchanged.
    ov_state.texture_format = 1;
    ov_bitmap_t file;
    memset(&file, 0, sizeof file);
    bool from_file = ov_image_loader->LoadImagePixels(&file, kPath[FUZZ_IMAGE_KIND]);
    ov_state.texture_format = 0;
    if (from_file != ok)
        __builtin_trap();
    if (ok) {
        if (file.width != mem.width || file.height != mem.height)
            __builtin_trap();
        size_t n = (size_t)mem.width * (size_t)mem.height;
        for (size_t i = 0; i < n; i++) {
            const uint8_t *a = mem.pixels + i * 4, *b = file.pixels + i * 4;
            if (a[0] != b[2] || a[1] != b[1] || a[2] != b[0] || a[3] != b[3])
                __builtin_trap();
        }
    }
    ov_image_loader->FreeImagePixels(&file);
    free(mem.pixels);
    return 0;
}
