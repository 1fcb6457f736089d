// Sequences packed by the engine's sequence builder, and TGA files by its writer; both
// read back with the engine's readers before the output is put in place.
#include "assetpack.h"
#include "session.h"

#include "gfx/bitmap.h"
#include "gfx/image.h"
#include "gfx/sequence.h"

#include <stdlib.h>
#include <string.h>

namespace assetpack {

namespace {

// A frame may repeat an earlier one that differs by up to 3 per channel (the engine's
// tolerance for repeated frames); transparent pixels keep only their alpha.
const int kTolerance = 3;

struct Frame {
    int width, height;
    std::vector<uint8_t> pixels;
};

// The frame's rectangle in the atlas matches its source pixels.
bool AtlasHolds(const ov_bitmap_t *atlas, const ov_bitmap_t *frame, const Frame &src)
{
    int x0 = (int)(frame->hw.u0 * atlas->width + 0.5f), y0 = (int)(frame->hw.v0 * atlas->height + 0.5f);
    int x1 = (int)(frame->hw.u1 * atlas->width + 0.5f), y1 = (int)(frame->hw.v1 * atlas->height + 0.5f);
    if (x1 - x0 != src.width || y1 - y0 != src.height || x0 < 0 || y0 < 0 || x1 > atlas->width ||
        y1 > atlas->height || !atlas->pixels)
        return false;
    for (int y = 0; y < src.height; y++)
        for (int x = 0; x < src.width; x++) {
            const uint8_t *a = atlas->pixels + ((size_t)(y0 + y) * atlas->width + x0 + x) * 4;
            const uint8_t *b = src.pixels.data() + ((size_t)y * src.width + x) * 4;
            for (int c = b[3] == 0 ? 3 : 0; c < 4; c++)
                if (abs(a[c] - b[c]) > kTolerance)
                    return false;
        }
    return true;
}

std::string FileName(const std::string &path)
{
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

int PackSequence(const std::string &pattern, const std::string &out)
{
    std::string abs = Absolute(pattern), dest = Absolute(out);
    size_t slash = abs.rfind('/');
    std::string dir = abs.substr(0, slash), files = abs.substr(slash + 1);
    if (files.find('*') == std::string::npos) {
        fprintf(stderr, "assetpack: %s: the pattern needs a '*' for the frame number\n", pattern.c_str());
        return 1;
    }
    EngineSession session;
    if (!session.Start() || !session.Link(dir, "frames"))
        return 1;
    const std::string name = FileName(out);
    size_t mark = session.Mark();

    ov_bitmap_t seq;
    OVI_InitBitmap(&seq, name.c_str());
    OVI_LoadBitmapSequenceFromFiles(&seq, ("frames/" + files).c_str());
    std::vector<Frame> sources;
    for (int i = 0; i < seq.num_frames; i++) {
        const ov_bitmap_t &f = seq.frames[i];
        sources.push_back({f.width, f.height, std::vector<uint8_t>(f.pixels, f.pixels + (size_t)f.width * f.height * 4)});
    }
    int status = 1;
    ov_bitmap_t back;
    OVI_InitBitmap(&back, name.c_str());
    int unique = 0;
    if (seq.num_frames > 0) {
        OVI_OptimizeBitmapSequence(&seq);
        for (int i = 0; i < seq.num_frames; i++)
            unique += !seq.frames[i].duplicate_of;
        if (OVI_SaveBitmapSequence(&seq, session.Native("packed.bms").c_str()) == 1 &&
            OVI_LoadBitmapSequence(&back, "packed.bms") == 1 && back.num_frames == (int)sources.size() && back.atlas)
            status = 0;
    }
    for (int i = 0; status == 0 && i < back.num_frames; i++) {
        const ov_bitmap_t &f = back.frames[i];
        if (f.width != sources[i].width || f.height != sources[i].height || !AtlasHolds(back.atlas, &f, sources[i])) {
            fprintf(Err(), "assetpack: %s: frame %d does not read back as it was packed\n", out.c_str(), i);
            status = 1;
        }
    }
    if (session.Warnings(mark) > 0 || status != 0) {
        fprintf(Err(), "assetpack: %s: the sequence %s was not packed cleanly (%d frames found)\n", out.c_str(),
                pattern.c_str(), seq.num_frames);
        status = 1;
    } else if (!MakeParentDirs(dest) || !CopyFile(session.Native("packed.bms"), dest)) {
        fprintf(Err(), "assetpack: %s: cannot write\n", out.c_str());
        status = 1;
    } else {
        printf("assetpack: %s: %d frames (%d unique) in a %d x %d atlas\n", out.c_str(), back.num_frames, unique,
               back.atlas->width, back.atlas->height);
    }
    OVI_FreeSequenceFrames(&seq);
    free(seq.name);
    OVI_FreeSequenceFrames(&back);
    free(back.name);
    return status;
}

int WriteTga(const std::string &png, const std::string &out)
{
    std::string bytes, written;
    ov_bitmap_t image, back;
    memset(&image, 0, sizeof image);
    memset(&back, 0, sizeof back);
    if (!ReadFile(png, &bytes) || !OVI_LoadBitmapMemPNG(&image, bytes.data(), (long)bytes.size())) {
        fprintf(stderr, "assetpack: %s: not a PNG image\n", png.c_str());
        free(image.pixels);
        return 1;
    }
    std::string part = out + ".part";
    int status = 1;
    if (!MakeParentDirs(Absolute(out)) || !OVI_WriteTGA(&image, part.c_str()) || !ReadFile(part, &written)) {
        fprintf(stderr, "assetpack: %s: cannot write\n", out.c_str());
    } else if (!OVI_LoadBitmapMemTGA(&back, written.data(), (long)written.size()) || back.width != image.width ||
               back.height != image.height ||
               memcmp(back.pixels, image.pixels, (size_t)image.width * image.height * 4) != 0) {
        fprintf(stderr, "assetpack: %s: the TGA does not read back as written\n", out.c_str());
    } else if (rename(part.c_str(), out.c_str()) != 0) {
        fprintf(stderr, "assetpack: %s: cannot write\n", out.c_str());
    } else {
        status = 0;
    }
    if (status)
        remove(part.c_str());
    free(image.pixels);
    free(back.pixels);
    return status;
}

}  // namespace assetpack
