// Frames of a bitmap sequence from numbered image files, and the search for frames
// that repeat an earlier frame (so that a sequence file stores each picture once).
#include "gfx/sequence.h"

#include "gfx/image.h"
#include "core/ov_state.h"
#include "core/services.h"
#include "nstring.h"

#include <stdlib.h>
#include <string.h>

namespace {

long s_saved_bytes = 0;

// Turns the pattern's '*' into "%.4d"; false when there is none or it is too long.
bool MakeFormat(const char *pattern, char out[600])
{
    const char *star = strchr(pattern, '*');
    size_t n = strlen(pattern);
    if (!star || n > 511 || strchr(pattern, '%'))
        return false;
    snprintf(out, 600, "%.*s%%.4d%s", (int)(star - pattern), pattern, star + 1);
    return true;
}

bool Exists(const char *format, int number)
{
    char name[640];
    snprintf(name, sizeof name, format, number);
    ov_file_t *f = OV_OpenFile(name, "rb");
    if (!f)
        return false;
    OV_CloseFile(f);
    return true;
}

// Hands the bitmap's GPU data (its frames' or its atlas's for a sequence) to the release
// queue that the frame tail drains under GFX_HW. The caller holds the bitmap's lock, after
// which GFX_HW may not be taken, so the textures are never freed here directly.
void QueueHardwareRelease(ov_bitmap_t *b)
{
    if (!b->name || b->name[0] == '!')
        return;
    OVI_LockCoreMutex(OV_MUTEX_RESOURCE_QUEUE);
    if (b->num_frames > 0 && b->frames) {
        if (b->atlas) {
            if (b->atlas->hw.uploaded)
                OVI_QueueBitmapHardwareDataRelease(b->atlas);
        } else {
            for (int i = 0; i < b->num_frames; i++)
                if (!b->frames[i].duplicate_of && b->frames[i].hw.uploaded)
                    OVI_QueueBitmapHardwareDataRelease(&b->frames[i]);
        }
        for (int i = 0; i < b->num_frames; i++)
            memset(&b->frames[i].hw, 0, sizeof b->frames[i].hw);
        memset(&b->hw, 0, sizeof b->hw);
    } else if (b->hw.uploaded) {
        OVI_QueueBitmapHardwareDataRelease(b);
    }
    OVI_UnlockCoreMutex(OV_MUTEX_RESOURCE_QUEUE);
}

}  // namespace

void OVI_LoadBitmapSequenceFromFiles(ov_bitmap_t *b, const char *pattern)
{
    if (!b || !pattern)
        return;
    char format[600];
    if (!MakeFormat(pattern, format)) {
        OV_Popupf(OV_WARNING, "Bitmap files '%s' not found.", pattern);
        return;
    }
    int first = -1, count = 0, gap = 0, allowed = 5;
    for (int num = 0; num <= 999; num++) {
        if (Exists(format, num)) {
            if (first < 0)
                first = num;
            else if (gap > 0)
                allowed = 100;
            count++;
            gap = 0;
        } else if (first >= 0) {
            gap++;
            if (gap > allowed)
                break;
        }
    }
    QueueHardwareRelease(b);
    OVI_FreeSequenceFrames(b);
    if (count > 0) {
        b->frames = (ov_bitmap_t *)calloc((size_t)count, sizeof(ov_bitmap_t));
        b->num_frames = b->frames ? count : 0;
    }
    int filled = 0;
    for (int num = first; first >= 0 && num <= 999 && filled < b->num_frames; num++) {
        char name[640];
        snprintf(name, sizeof name, format, num);
        ov_bitmap_t *fr = &b->frames[filled];
        ov_file_t *f = OV_OpenFile(name, "rb");
        if (!f)
            continue;
        OV_CloseFile(f);
        if (!ov_image_loader || !ov_image_loader->LoadImagePixels(fr, name) || !fr->pixels) {
            free(fr->pixels);
            memset(fr, 0, sizeof *fr);
            continue;
        }
        fr->name = nStringDuplicate(name);
        fr->frame_number = num;
        fr->fps = 30.0f;
        fr->src_width = fr->width;
        fr->src_height = fr->height;
        fr->load_state = OV_BITMAP_LOADED;
        fr->pack_mode = b->pack_mode;
        filled++;
    }
    b->num_frames = filled;
    if (filled == 0) {
        free(b->frames);
        b->frames = nullptr;
        OV_Popupf(OV_WARNING, "Bitmap files '%s' not found.", pattern);
    }
    OV_SetBitmapFrame(b, 0);
}

bool OVI_BitmapPixelsMatch(ov_bitmap_t *a, ov_bitmap_t *b, float tolerance)
{
    if (!a || !b || !a->pixels || !b->pixels) {
        OV_PrintDebugf(OV_WARNING, "BitmapPixelsMatch got bad parameters.\n");
        return false;
    }
    if (a->width != b->width || a->height != b->height)
        return false;
    if (tolerance >= 1.0f)
        return true;
    static const int order[4] = {2, 1, 0, 3};
    size_t n = (size_t)a->width * a->height;
    double sum = 0;
    for (size_t i = 0; i < n; i++) {
        for (int k = 0; k < 4; k++) {
            int c = order[k];
            float d = (float)abs(a->pixels[i * 4 + c] - b->pixels[i * 4 + c]) / 255.5f;
            if (d > tolerance)
                return false;
            sum += d;
        }
    }
    if (sum > 0)
        OV_PrintDebugf(OV_INFO, "Total difference is %d units\n", (int)(sum * 255));
    return true;
}

void OVI_OptimizeBitmapSequence(ov_bitmap_t *b)
{
    if (!b || !b->frames)
        return;
    OV_Printf("Optimizing sequence '%s'...\n", b->name ? b->name : "");
    for (int i = b->num_frames - 1; i >= 1; i--) {
        ov_bitmap_t *fr = &b->frames[i];
        for (int j = 0; j < i; j++) {
            if (!OVI_BitmapPixelsMatch(fr, &b->frames[j], 0.011764706f))
                continue;
            fr->duplicate_of = &b->frames[j];
            OV_Printf("Frames #%.4d and #%.4d match.\n", i, j);
            s_saved_bytes += (long)fr->width * fr->height * 4;
            break;
        }
    }
    // Point every repeated frame at the unique frame at the end of its chain, and let it
    // share that frame's pixels (a repeated frame's own pixels are dropped).
    for (int i = 0; i < b->num_frames; i++) {
        ov_bitmap_t *fr = &b->frames[i];
        if (!fr->duplicate_of)
            continue;
        ov_bitmap_t *root = fr->duplicate_of;
        while (root->duplicate_of)
            root = root->duplicate_of;
        fr->duplicate_of = root;
        if (fr->pixels != root->pixels)
            free(fr->pixels);
        fr->pixels = root->pixels;
    }
    if (s_saved_bytes)
        OV_Printf("Saved %.2fMB by removing similar frames from sequence %s.\n", s_saved_bytes / 1048576.0,
                  b->name ? b->name : "");
}

long OVI_GetSequenceSavings()
{
    return s_saved_bytes;
}
