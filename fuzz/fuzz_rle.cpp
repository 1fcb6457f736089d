// Fuzzes the run-length bitmap reader through an engine file: a read bitmap has an
// accepted size (or is the empty image without pixels), every pixel is readable, and
// writing it back with the RLE writer and reading that gives the same pixels.
#include "core/ov_state.h"
#include "core/services.h"
#include "fuzz/fuzz_env.h"
#include "gfx/image.h"
#include "gfx/rle.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

namespace {

bool Read(ov_bitmap_t *b, const char *path)
{
    ov_file_t *f = OV_OpenFile(path, "rb");
    if (!f)
        return false;
    bool ok = OVI_ReadRLEBitmap(b, f);
    OV_CloseFile(f);
    return ok;
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
    ov_state.texture_format = size > 0 ? data[size - 1] & 1 : 0;
    if (!fuzzenv::WriteResFile("fz.rle", data, size))
        return 0;
    ov_bitmap_t b;
    memset(&b, 0, sizeof b);
    if (!Read(&b, "res://fz.rle")) {
        if (b.pixels)
            __builtin_trap();  // a failed read keeps no pixels
        ov_state.texture_format = 0;
        return 0;
    }
    size_t n = 0;
    if (b.pixels) {
        if (!OVI_ImageSizeAllowed(b.width, b.height))
            __builtin_trap();
        n = (size_t)b.width * (size_t)b.height;
        volatile uint8_t last = b.pixels[n * 4 - 1];
        (void)last;
    } else if (b.width < 0 || b.height < 0 || ((size_t)b.width * (size_t)b.height) != 0) {
        __builtin_trap();  // without pixels only the empty image reads
    }
    // Written back by the writer and read again: the same pixels.
    std::string out = fuzzenv::ResPath("fz2.rle");
    FILE *w = fopen(out.c_str(), "wb");
    bool written = w && OVI_WriteRLEBitmap(&b, w);
    if (w && fclose(w) != 0)
        written = false;
    if (written) {
        ov_bitmap_t again;
        memset(&again, 0, sizeof again);
        if (!Read(&again, "res://fz2.rle") || again.width != b.width || again.height != b.height ||
            (n && memcmp(again.pixels, b.pixels, n * 4) != 0))
            __builtin_trap();
        free(again.pixels);
    }
    free(b.pixels);
    ov_state.texture_format = 0;
    return 0;
}
