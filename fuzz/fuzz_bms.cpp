// Fuzzes the ".bms" bitmap-sequence reader through an engine file: a loaded sequence
// has at least one frame, every frame points at the one atlas, and the atlas has an
// accepted size with readable pixels; a failed load leaves no atlas pixels. Frames
// and atlas are freed as the bitmap code frees them.
#include "core/ov_state.h"
#include "fuzz/fuzz_env.h"
#include "gfx/image.h"
#include "gfx/sequence.h"

#include <stdlib.h>
#include <string.h>

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    fuzzenv::Start();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzzenv::BeginInput();
    if (!fuzzenv::WriteResFile("fz.bms", data, size))
        return 0;
    ov_bitmap_t seq;
    OVI_InitBitmap(&seq, "res://fz.bms");
    int ok = OVI_LoadBitmapSequence(&seq, "res://fz.bms");
    if (ok) {
        if (seq.num_frames < 1 || !seq.frames || !seq.atlas || !seq.atlas->pixels)
            __builtin_trap();
        if (!OVI_ImageSizeAllowed(seq.atlas->width, seq.atlas->height))
            __builtin_trap();
        volatile uint8_t last = seq.atlas->pixels[(size_t)seq.atlas->width * (size_t)seq.atlas->height * 4 - 1];
        (void)last;
        for (int i = 0; i < seq.num_frames; i++)
            if (seq.frames[i].atlas != seq.atlas || seq.frames[i].load_state != OV_BITMAP_LOADED)
                __builtin_trap();
    } else if (seq.atlas && seq.atlas->pixels) {
        __builtin_trap();
    }
    OVI_FreeSequenceFrames(&seq);
    free(seq.name);
    return 0;
}
