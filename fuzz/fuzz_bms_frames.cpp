// Fuzzes the building of a bitmap sequence from numbered frame images (a ".bms" name
// whose file is missing): the input names the separator and the image kind and carries
// up to eight frame files with their numbers; the frames are written as
// "fzseq<sep><number>.<ext>" under res://, and the sequence is loaded by its ".bms"
// name, which finds them, packs them, writes the ".bms" to the user directory and reads
// it back. Checks: the load succeeds exactly when a frame file with a number below 20
// exists; a loaded sequence has no more frames than files, every frame loaded with a
// size the decoders accept; a ".bms" that was written loads again to the same frames.
//
// Input: byte 0 selects the separator (bits 0-1: "-", "_", none) and the extension
// (bits 2-3: png, jpg, tga); then per frame one byte of number step (the first frame's
// number is it modulo 24, each later one adds 1 + it modulo 8), two bytes of length
// (little-endian) and that many bytes of file.
#include "core/ov_state.h"
#include "fuzz/fuzz_env.h"
#include "gfx/bitmap.h"
#include "gfx/image.h"
#include "gfx/sequence.h"
#include "nstring.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

namespace {

const char *const kSeparators[3] = {"-", "_", ""};
const char *const kExtensions[4] = {"png", "jpg", "tga", "png"};
const char kName[] = "fzseq.bms";
constexpr int kMaxFrames = 8;

// The ".bms" the build writes: under the user directory, where the name finds it first.
std::string BuiltPath()
{
    char target[512];
    OV_GetPathEx(target, sizeof target, OV_PATH_USER, "%s", kName);
    char *native = OV_ConvertStaticPathToNativeOSPath(target);
    std::string path = native ? native : "";
    nStringFree(native);
    return path;
}

bool FileExists(const std::string &path)
{
    FILE *f = fopen(path.c_str(), "rb");
    if (f)
        fclose(f);
    return f != nullptr;
}

void FreeSequence(ov_bitmap_t *b)
{
    OVI_FreeSequenceFrames(b);
    free(b->name);
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
    if (size < 1)
        return 0;
    const std::string built = BuiltPath();
    if (built.empty())
        __builtin_trap();
    remove(built.c_str());
    const char *sep = kSeparators[(data[0] & 3) % 3];
    const char *ext = kExtensions[(data[0] >> 2) & 3];
    std::vector<std::string> written;
    int number = -1, lowest = 1000;
    size_t at = 1;
    while (at + 3 <= size && (int)written.size() < kMaxFrames) {
        number = number < 0 ? data[at] % 24 : number + 1 + data[at] % 8;
        size_t length = data[at + 1] | (size_t)data[at + 2] << 8;
        at += 3;
        if (length > size - at)
            length = size - at;
        char file[64];
        snprintf(file, sizeof file, "fzseq%s%.4d.%s", sep, number, ext);
        if (!fuzzenv::WriteResFile(file, data + at, length))
            break;
        written.push_back(file);
        if (number < lowest)
            lowest = number;
        at += length;
    }

    ov_bitmap_t seq;
    OVI_InitBitmap(&seq, kName);
    const int ok = OVI_LoadBitmapBMS(&seq);
    if (ok != (lowest < 20 ? 1 : 0))
        __builtin_trap();  // found exactly when a frame numbered below 20 exists
    if (seq.num_frames < 0 || seq.num_frames > (int)written.size() || (seq.num_frames > 0) != (seq.frames != nullptr))
        __builtin_trap();
    for (int i = 0; i < seq.num_frames; i++) {
        const ov_bitmap_t &f = seq.frames[i];
        if (f.load_state != OV_BITMAP_LOADED || !OVI_ImageSizeAllowed(f.width, f.height))
            __builtin_trap();
        if (!f.pixels && !(f.atlas && f.atlas->pixels))
            __builtin_trap();  // each frame's pixels are its own or in the atlas
    }

    if (ok && FileExists(built)) {
        // The written sequence is what the name loads from now on.
        ov_bitmap_t again;
        OVI_InitBitmap(&again, kName);
        if (!OVI_LoadBitmapBMS(&again) || again.num_frames != seq.num_frames)
            __builtin_trap();
        for (int i = 0; i < seq.num_frames; i++)
            if (again.frames[i].width != seq.frames[i].width || again.frames[i].height != seq.frames[i].height ||
                again.frames[i].frame_number != seq.frames[i].frame_number)
                __builtin_trap();
        FreeSequence(&again);
    }
    FreeSequence(&seq);
    remove(built.c_str());
    for (const std::string &file : written)
        fuzzenv::RemoveResFile(file);
    return 0;
}
