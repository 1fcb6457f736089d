// ".bms" bitmap-sequence files (see sequence.h): reading through the engine's file
// calls, writing with stdio, and loading a sequence by name, building its file from
// numbered images when it is missing.
#include "gfx/sequence.h"

#include "gfx/atlas.h"
#include "gfx/image.h"
#include "gfx/rle.h"
#include "core/fs/fs.h"
#include "core/fs/ovfile.h"
#include "core/ov_state.h"
#include "core/services.h"
#include "nstring.h"

#include <stdlib.h>
#include <string.h>
#include <strings.h>

namespace {

const char kMagic[13] = "OV_Bm_Seq_v1";
enum { ENTRY_BYTES = 32 };

int32_t Le32(const uint8_t *p)
{
    return (int32_t)((uint32_t)p[0] | ((uint32_t)p[1] << 8) | ((uint32_t)p[2] << 16) | ((uint32_t)p[3] << 24));
}

float LeFloat(const uint8_t *p)
{
    uint32_t u = (uint32_t)Le32(p);
    float f;
    memcpy(&f, &u, 4);
    return f;
}

void PutLe32(uint8_t *p, uint32_t u)
{
    p[0] = (uint8_t)u;
    p[1] = (uint8_t)(u >> 8);
    p[2] = (uint8_t)(u >> 16);
    p[3] = (uint8_t)(u >> 24);
}

void PutFloat(uint8_t *p, float f)
{
    uint32_t u;
    memcpy(&u, &f, 4);
    PutLe32(p, u);
}

bool ReadExact(ov_file_t *f, void *buf, unsigned n)
{
    return OV_ReadFile(buf, n, f) == n;
}

void FreeAtlas(ov_bitmap_t *b)
{
    if (!b->atlas || b->atlas == b)
        return;
    free(b->atlas->name);
    free(b->atlas->pixels);
    free(b->atlas);
    b->atlas = nullptr;
}

// Reads the frame table and the atlas image of an "ATLAS" chunk; false on any failure.
bool ReadAtlasChunk(ov_bitmap_t *b, ov_file_t *f)
{
    uint8_t word[4];
    if (!ReadExact(f, word, 4))
        return false;
    FreeAtlas(b);
    ov_bitmap_t *atlas = (ov_bitmap_t *)calloc(1, sizeof(ov_bitmap_t));
    if (!atlas)
        return false;
    OVI_InitBitmap(atlas, "");
    atlas->pack_mode = OV_NO_PADDING;
    b->atlas = atlas;
    for (int i = 0; i < b->num_frames; i++) {
        uint8_t e[ENTRY_BYTES];
        if (!ReadExact(f, e, ENTRY_BYTES))
            return false;
        ov_bitmap_t *fr = &b->frames[i];
        fr->width = fr->src_width = Le32(e);
        fr->height = fr->src_height = Le32(e + 4);
        fr->frame_number = Le32(e + 8);
        fr->fps = LeFloat(e + 12);
        fr->hw.u0 = LeFloat(e + 16);
        fr->hw.v0 = LeFloat(e + 20);
        fr->hw.u1 = LeFloat(e + 24);
        fr->hw.v1 = LeFloat(e + 28);
        fr->atlas = atlas;
        fr->load_state = OV_BITMAP_LOADED;
        fr->pack_mode = OV_NO_PADDING;
    }
    char kind[4];
    if (!ReadExact(f, kind, 4))
        return false;
    kind[3] = 0;
    bool ok = false;
    if (strcasecmp(kind, "RLE") == 0) {
        ok = OVI_ReadRLEBitmap(atlas, f) && atlas->pixels;
        atlas->flags |= OV_BITMAP_ALPHA;
    } else if (strcasecmp(kind, "PNG") == 0) {
        uint8_t len[4];
        if (!ReadExact(f, len, 4))
            return false;
        int32_t n = Le32(len);
        long left = f->size - OV_GetFilePosition(f);
        if (n < 8 || n > left) {
            OV_PrintDebugf(OV_WARNING, "Bitmap sequence atlas of %d bytes does not fit the file.\n", n);
            return false;
        }
        uint8_t *png = (uint8_t *)malloc((size_t)n);
        ok = png && ReadExact(f, png, (unsigned)n) && OVI_LoadBitmapMemPNG(atlas, png, n);
        free(png);
    } else {
        OV_Popupf(OV_WARNING, "encoding: '%s'\n", kind);
        return false;
    }
    if (!ok)
        return false;
    for (int i = 0; i < b->num_frames; i++)
        b->frames[i].flags = (uint16_t)(b->frames[i].flags | (atlas->flags & OV_BITMAP_ALPHA));
    atlas->load_state = OV_BITMAP_LOADED;
    return true;
}

}  // namespace

void OVI_FreeSequenceFrames(ov_bitmap_t *b)
{
    if (!b)
        return;
    if (b->frames) {
        for (int i = 0; i < b->num_frames; i++) {
            if (!b->frames[i].duplicate_of)
                free(b->frames[i].pixels);
            free(b->frames[i].name);
        }
        free(b->frames);
    }
    b->frames = nullptr;
    b->num_frames = 0;
    b->pixels = nullptr;
    FreeAtlas(b);
}

int OVI_LoadBitmapSequence(ov_bitmap_t *b, const char *path)
{
    if (!b || !path)
        return 0;
    ov_file_t *f = OV_OpenFile(path, "rb");
    if (!f)
        return 0;
    char magic[13];
    if (!ReadExact(f, magic, 13) || memcmp(magic, kMagic, 13) != 0) {
        OV_CloseFile(f);
        OV_Popupf(OV_WARNING, "Bad header in bitmap sequence '%s'\n", path);
        return 0;
    }
    uint8_t count_bytes[4], format[4];
    char chunk[9] = {0};
    bool ok = ReadExact(f, count_bytes, 4) && ReadExact(f, format, 4) && ReadExact(f, chunk, 8);
    int32_t count = ok ? Le32(count_bytes) : 0;
    // Every frame needs its table entry in the file: a count the file cannot hold is refused.
    if (ok && (count < 1 || (long)count * ENTRY_BYTES > f->size)) {
        OV_PrintDebugf(OV_WARNING, "Bitmap sequence '%s' has a bad frame count %d.\n", path, count);
        OV_CloseFile(f);
        return 0;
    }
    if (ok) {
        OVI_FreeSequenceFrames(b);
        b->frames = (ov_bitmap_t *)calloc((size_t)count, sizeof(ov_bitmap_t));
        b->num_frames = b->frames ? count : 0;
        ok = b->frames != nullptr;
    }
    if (ok && strcmp(chunk, "ATLAS") == 0) {
        bool read = ReadAtlasChunk(b, f);
        OV_CloseFile(f);
        if (!read)  // the atlas chunk is known: say that it is damaged, not unknown
            OV_PrintDebugf(OV_WARNING, "Bitmap sequence '%s' has a damaged atlas.\n", path);
        return read ? 1 : 0;
    }
    OV_Popupf(OV_WARNING, "unimplemented chunk: '%s'\n", chunk);
    OV_CloseFile(f);
    return 0;
}

int OVI_SaveBitmapSequence(ov_bitmap_t *b, const char *native_path)
{
    if (!b || b->num_frames < 1 || !b->frames) {
        OV_Popupf(OV_WARNING, "OVI_SaveBitmapSequence: trying to save invalid bitmap to '%s'.", native_path ? native_path : "");
        return 0;
    }
    ov_bitmap_t **unique = (ov_bitmap_t **)malloc(sizeof(ov_bitmap_t *) * (size_t)b->num_frames);
    if (!unique)
        return 0;
    int n = 0;
    for (int i = 0; i < b->num_frames; i++)
        if (!b->frames[i].duplicate_of)
            unique[n++] = &b->frames[i];
    FreeAtlas(b);
    b->atlas = (ov_bitmap_t *)calloc(1, sizeof(ov_bitmap_t));
    if (!b->atlas) {
        free(unique);
        return 0;
    }
    if (ov_state.atlas_packing && !OVI_PackBitmaps(b->atlas, unique, n)) {
        free(unique);
        FreeAtlas(b);
        OV_Popupf(OV_WARNING, "OVI_SaveBitmapSequence: bitmaps didn't fit into atlas, not creating file '%s'.", native_path);
        return 0;
    }
    free(unique);
    if (!b->atlas->pixels) {
        // Without atlas packing there is nothing the reader could take back: write nothing.
        FreeAtlas(b);
        OV_PrintDebugf(OV_WARNING, "Bitmap sequence '%s' not written: atlas packing is off.\n", b->name ? b->name : "");
        return 0;
    }
    // Written beside the file and put in place whole, so a failure leaves the old file.
    FILE *f = OVFS_OpenTempSibling(native_path, "wb");
    if (!f) {
        OV_Popupf(OV_WARNING, "Unable to save bitmap sequence '%s' to file '%s'\n", b->name ? b->name : "", native_path);
        return 0;
    }
    uint8_t head[33] = {0};
    memcpy(head, kMagic, 13);
    PutLe32(head + 13, (uint32_t)b->num_frames);
    memcpy(head + 17, "RGBA", 4);
    bool ok = fwrite(head, 1, 21, f) == 21;
    OV_Printf("Writing bitmap sequence atlas.\n");
    memcpy(head + 21, "ATLAS", 5);
    ok = ok && fwrite(head + 21, 1, 12, f) == 12;
    for (int i = 0; i < b->num_frames && ok; i++) {
        ov_bitmap_t *fr = &b->frames[i];
        ov_bitmap_t *rect = fr->duplicate_of ? fr->duplicate_of : fr;
        OV_Printf("Writing frame num %d - %d\n", i, fr->frame_number);
        uint8_t e[ENTRY_BYTES];
        PutLe32(e, (uint32_t)fr->width);
        PutLe32(e + 4, (uint32_t)fr->height);
        PutLe32(e + 8, (uint32_t)fr->frame_number);
        PutFloat(e + 12, fr->fps);
        PutFloat(e + 16, rect->hw.u0);
        PutFloat(e + 20, rect->hw.v0);
        PutFloat(e + 24, rect->hw.u1);
        PutFloat(e + 28, rect->hw.v1);
        ok = fwrite(e, 1, ENTRY_BYTES, f) == ENTRY_BYTES;
    }
    uint8_t kind[8] = {'P', 'N', 'G', 0, 0, 0, 0, 0};
    ok = ok && fwrite(kind, 1, 8, f) == 8;
    long start = ftell(f);
    ok = ok && start > 0 && OVI_WritePNG(b->atlas, f);
    long end = ftell(f);
    if (ok && end > start) {
        uint8_t len[4];
        PutLe32(len, (uint32_t)(end - start));
        ok = fseek(f, start - 4, SEEK_SET) == 0 && fwrite(len, 1, 4, f) == 4 && fseek(f, 0, SEEK_END) == 0;
    }
    if (!OVFS_FinishTempSibling(f, native_path, ok)) {
        OV_PrintDebugf(OV_WARNING, "Writing bitmap sequence '%s' failed.\n", native_path);
        return 0;
    }
    return 1;
}

int OVI_LoadBitmapMemBMS(ov_bitmap_t *b, const void *data, long size)
{
    return 1;
}

int OVI_WriteBMS(ov_bitmap_t *b, FILE *stream)
{
    return 0;
}

int OVI_LoadBitmapBMS(ov_bitmap_t *b)
{
    if (!b || !b->name)
        return 0;
    if (OVI_LoadBitmapSequence(b, b->name)) {
        OV_SetBitmapFrame(b, 0);
        b->load_state = OV_BITMAP_LOADED;
        return 1;
    }
    size_t len = strlen(b->name);
    if (len < 4 || len > 500)
        return 0;
    char base[512];
    memcpy(base, b->name, len - 4);
    base[len - 4] = 0;
    static const char *const seps[3] = {"-", "_", ""};
    static const char *const exts[3] = {"png", "jpg", "tga"};
    char pattern[600] = "";
    for (int num = 0; num < 20 && !pattern[0]; num++) {
        for (int s = 0; s < 3 && !pattern[0]; s++) {
            for (int e = 0; e < 3 && !pattern[0]; e++) {
                char name[600];
                snprintf(name, sizeof name, "%s%s%.4d.%s", base, seps[s], num, exts[e]);
                ov_file_t *f = OV_OpenFile(name, "rb");
                if (f) {
                    OV_CloseFile(f);
                    snprintf(pattern, sizeof pattern, "%s%s*.%s", base, seps[s], exts[e]);
                }
            }
        }
    }
    if (!pattern[0])
        return 0;
    OVI_LoadBitmapSequenceFromFiles(b, pattern);
    b->load_state = OV_BITMAP_LOADED;
    if (b->num_frames < 1)
        return 1;
    OVI_OptimizeBitmapSequence(b);
    // The built file goes where the same name finds it next time: the user directory,
    // which comes first among the search paths (the program directory is read-only
    // while the program runs). It is read back from that exact file.
    char target[512];
    OV_GetPathEx(target, sizeof target, OV_PATH_USER, "%s", b->name);
    char *native = OV_ConvertStaticPathToNativeOSPath(target);
    if (!native)
        return 1;
    nString dir = OV_GetExtractedFilePath(native);
    if (!dir.IsEmpty())
        OVFS_CreateDirectory(dir.Get());
    if (OVI_SaveBitmapSequence(b, native)) {
        ov_bitmap_t saved = *b;
        b->frames = nullptr;
        b->num_frames = 0;
        b->atlas = nullptr;
        if (OVI_LoadBitmapSequence(b, target)) {
            OVI_FreeSequenceFrames(&saved);
            OV_SetBitmapFrame(b, 0);
        } else {
            // Keep the frames loaded from the numbered files.
            OVI_FreeSequenceFrames(b);
            b->frames = saved.frames;
            b->num_frames = saved.num_frames;
            b->atlas = saved.atlas;
            OV_SetBitmapFrame(b, 0);
        }
    }
    nStringFree(native);
    return 1;
}
