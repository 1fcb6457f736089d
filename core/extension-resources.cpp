// The resource reports of the extension call: "RefreshMemUsageEstimates" (memory of
// bitmaps, fonts and sounds into key states 2001 to 2005) and "ListResourceUsage" (a
// developer report of every resource in the log, with the largest ones ranked).
//
// The pools are read into a snapshot under their own mutexes (GET_BITMAP, GET_SOUND),
// so names stay valid while they are printed; the log lines are written afterwards
// with no pool mutex held.
#include "core/extension.h"

#include "audio/sample.h"
#include "audio/sound.h"
#include "core/ov_state.h"
#include "core/services.h"
#include "gfx/bitmap.h"
#include "gfx/font.h"

#include <limits.h>

#include <string>
#include <utility>
#include <vector>

namespace {

// Memory estimate key states.
enum {
    KEY_SYSTEM_MEMORY = 2001,
    KEY_GPU_ESTIMATE_TEXTURE = 2002,
    KEY_GPU_ESTIMATE_LOGICAL = 2003,
    KEY_SOUND_MEMORY = 2004,
    KEY_TOTAL_MEMORY = 2005,
};

// Sounds larger than this are taken for music, which streams and is not counted.
const int64_t kMusicSizeBytes = 4194304;
// The report ranks at most this many resources.
const int kMaxHogs = 50;

// One used bitmap record as the reports count it.
struct BitmapUsage {
    int index;
    std::string name;
    int width, height, refcount;
    int texture_width, texture_height;
    int64_t system_bytes;   // pixels in memory
    bool has_gpu_data;
    int64_t gpu_bytes;      // what the texture (or the sequence's textures) take
    int64_t estimate_texture, estimate_logical;  // the GPU estimates at texture and at drawn size
};

// One used sound record: its data size.
struct SoundUsage {
    int index;
    std::string name;
    int64_t bytes;
};

// One entry of the ranking of the largest resources.
struct Hog {
    std::string name;
    const char *kind;  // "GFX", "SND" or "FNT"
    int64_t bytes;
    int width, height;  // 0 when the resource has no picture size
};

std::vector<BitmapUsage> SnapshotBitmaps();
std::vector<SoundUsage> SnapshotSounds();
// The bytes of a cached sound's data (the sample the implementation keeps in its second
// word); 0 while nothing is loaded.
int64_t SoundDataSize(const ov_sound_t *s);
bool IsMusicSized(int64_t bytes);
double KB(int64_t bytes);
// Key states hold ints: larger sums are stored as the largest int.
int ClampToInt(int64_t v);
// Largest first: every position is exchanged with each other position that holds less.
void SortHogs(std::vector<Hog> *hogs);

}  // namespace

// Sums the memory of bitmaps, fonts and sounds into key states 2001 to 2005.
void OVI_RefreshMemUsageEstimates(void)
{
    int64_t system = 0, gpu_texture = 0, gpu_logical = 0, sound = 0;
    for (const BitmapUsage &b : SnapshotBitmaps()) {
        system += b.system_bytes;
        if (b.has_gpu_data) {
            gpu_texture += b.estimate_texture;
            gpu_logical += b.estimate_logical;
        }
    }
    for (const ov_font_usage_t &f : OVI_GetFontResourceUsage()) {
        system += f.atlas_pixel_bytes;
        if (f.has_gpu_data) {
            gpu_texture += f.texture_bytes;
            gpu_logical += f.atlas_bytes;
        }
    }
    for (const SoundUsage &s : SnapshotSounds())
        if (!IsMusicSized(s.bytes))
            sound += s.bytes;
    OV_SetKeyStatei(KEY_SYSTEM_MEMORY, ClampToInt(system));
    OV_SetKeyStatei(KEY_GPU_ESTIMATE_TEXTURE, ClampToInt(gpu_texture));
    OV_SetKeyStatei(KEY_GPU_ESTIMATE_LOGICAL, ClampToInt(gpu_logical));
    OV_SetKeyStatei(KEY_SOUND_MEMORY, ClampToInt(sound));
    OV_SetKeyStatei(KEY_TOTAL_MEMORY, ClampToInt(system + gpu_texture + sound));
}

// Logs every bitmap, sound and font with its memory, the totals and the largest 50.
void OVI_ListResourceUsage(void)
{
    std::vector<Hog> hogs;
    OV_PrintDebugf(OV_SYSTEM, "Listing Resource Usage.\n");

    OV_PrintDebugf(OV_SYSTEM, "\nBitmaps:\n");
    int64_t bitmap_total = 0;
    for (const BitmapUsage &b : SnapshotBitmaps()) {
        if (b.system_bytes)
            OV_Printf("Bitmap #%.3d %dx%d '%s' refc=%d sysmem=%.1fKB gpumem=%.1fKB texture=%dx%d\n", b.index, b.width,
                      b.height, b.name.c_str(), b.refcount, KB(b.system_bytes), KB(b.gpu_bytes), b.texture_width,
                      b.texture_height);
        else
            OV_Printf("Bitmap #%.3d %dx%d '%s' refc=%d gpumem=%.1fKB  texture=%dx%d\n", b.index, b.width, b.height,
                      b.name.c_str(), b.refcount, KB(b.gpu_bytes), b.texture_width, b.texture_height);
        if (b.has_gpu_data)
            hogs.push_back(Hog{b.name, "GFX", b.system_bytes + b.gpu_bytes, b.width, b.height});
        bitmap_total += b.system_bytes + b.gpu_bytes;
    }

    OV_PrintDebugf(OV_SYSTEM, "\nSounds:");
    int64_t sound_total = 0;
    for (const SoundUsage &s : SnapshotSounds()) {
        OV_Printf("Sound #%.3d '%s' sysmem=%.1fKB\n", s.index, s.name.c_str(), KB(s.bytes));
        int64_t counted = s.bytes;
        if (IsMusicSized(s.bytes)) {
            OV_Printf("Assuming Sound #%.3d '%s' is music and not counting its memory\n", s.index, s.name.c_str());
            counted = 0;
        }
        hogs.push_back(Hog{s.name, "SND", counted, 0, 0});
        sound_total += counted;
    }

    OV_PrintDebugf(OV_SYSTEM, "\nFonts:");
    int64_t font_total = 0;
    for (const ov_font_usage_t &f : OVI_GetFontResourceUsage()) {
        int64_t gpu = f.has_gpu_data ? f.texture_bytes : 0;
        if (f.atlas_pixel_bytes)
            OV_Printf("Font #%.3d '%s' sysmem=%.1fKB gpumem=%.1fKB \n", f.index, f.name.c_str(),
                      KB(f.atlas_pixel_bytes), KB(gpu));
        else
            OV_Printf("Font #%.3d '%s' gpumem=%.1fKB \n", f.index, f.name.c_str(), KB(gpu));
        hogs.push_back(Hog{f.name, "FNT", f.atlas_pixel_bytes + gpu, 0, 0});
        font_total += f.atlas_pixel_bytes + gpu;
    }

    OV_PrintDebugf(OV_SYSTEM, "Total %.1fKB allocated for bitmaps in (system+gpu) memory.\n", KB(bitmap_total));
    OV_PrintDebugf(OV_SYSTEM, "Total %.1fKB allocated for sounds in system memory.\n", KB(sound_total));
    OV_PrintDebugf(OV_SYSTEM, "Total %.1fKB allocated for fonts in (system+gpu) memory.\n", KB(font_total));
    OV_PrintDebugf(OV_SYSTEM, "Total %.1fKB allocated for all resources.\n", KB(bitmap_total + sound_total + font_total));
    // The engine state with the fixed resource pools it owns.
    int64_t state_size = (int64_t)(sizeof(ov_state_t) + OV_MAX_BITMAPS * sizeof(ov_bitmap_t) +
                                   OV_MAX_SOUNDS * sizeof(ov_sound_t));
    OV_PrintDebugf(OV_SYSTEM, "ORVEX state size is %.1fKB.\n", KB(state_size));

    SortHogs(&hogs);
    int shown = (int)hogs.size() < kMaxHogs ? (int)hogs.size() : kMaxHogs;
    OV_Printf("\nTOP%d Memory Hogs\n", shown);
    for (int rank = 1; rank <= shown; rank++) {
        const Hog &h = hogs[rank - 1];
        if (h.width)
            OV_Printf("#%.3d %s %.0fKB %dx%d %s\n", rank, h.kind, KB(h.bytes), h.width, h.height, h.name.c_str());
        else
            OV_Printf("#%.3d %s %.0fKB %s\n", rank, h.kind, KB(h.bytes), h.name.c_str());
    }
}

// ---- The font pool's share of the reports: the used fonts, in pool order, read under
// GET_FONT and, as for bitmaps, the shared bitmap lock (the main thread uploads an
// atlas under it while a worker may ask for the report). A font's memory is its glyph
// atlas (pixels kept in memory and the texture).
std::vector<ov_font_usage_t> OVI_GetFontResourceUsage(void)
{
    std::vector<ov_font_usage_t> out;
    ov_mutex_t *bitmap_lock = ov_state.core_mutex[OV_MUTEX_SHARED_BITMAP];
    OVI_LockCoreMutex(OV_MUTEX_GET_FONT);
    OV_LockMutex(bitmap_lock);
    for (int i = 0; i < OVI_GetFontCount(); i++) {
        const ov_font_t *f = OVI_GetFontRecord(i);
        if (!f || !f->name)
            continue;
        ov_font_usage_t u;
        u.index = i;
        u.name = f->name;
        const ov_bitmap_t &a = f->atlas;
        u.atlas_bytes = (int64_t)a.width * a.height * 4;
        u.atlas_pixel_bytes = a.pixels ? u.atlas_bytes : 0;
        u.has_gpu_data = a.hw.uploaded != 0;
        u.texture_bytes = (int64_t)a.hw.tex_width * a.hw.tex_height * 4;
        out.push_back(u);
    }
    OV_UnlockMutex(bitmap_lock);
    OVI_UnlockCoreMutex(OV_MUTEX_GET_FONT);
    return out;
}

namespace {

std::vector<BitmapUsage> SnapshotBitmaps()
{
    std::vector<BitmapUsage> out;
    // GET_BITMAP keeps the pool and the reference counts still; the bitmap lock (shared
    // by every bitmap) keeps out workers loading, uploading or dropping a record's data.
    ov_mutex_t *bitmap_lock = ov_state.core_mutex[OV_MUTEX_SHARED_BITMAP];
    OVI_LockCoreMutex(OV_MUTEX_GET_BITMAP);
    OV_LockMutex(bitmap_lock);
    for (int i = 0; i < OVI_GetBitmapHighWater(); i++) {
        const ov_bitmap_t *b = OVI_GetBitmapRecord(i);
        if (!b || !b->name)
            continue;
        BitmapUsage u;
        u.index = i;
        u.name = b->name;
        u.width = b->width;
        u.height = b->height;
        u.refcount = b->refcount;
        u.texture_width = b->hw.tex_width;
        u.texture_height = b->hw.tex_height;
        u.system_bytes = b->pixels ? (int64_t)b->width * b->height * 4 : 0;
        u.has_gpu_data = b->hw.uploaded != 0;
        u.gpu_bytes = 0;
        u.estimate_texture = u.estimate_logical = 0;
        if (u.has_gpu_data) {
            int64_t texture = (int64_t)b->hw.tex_width * b->hw.tex_height * 4;
            if (b->num_frames > 0)
                u.gpu_bytes = b->atlas ? (int64_t)b->atlas->width * b->atlas->height * 4 : texture * b->num_frames;
            else
                u.gpu_bytes = texture;
            ov_bitmap_t *record = OVI_GetBitmapRecord(i);
            u.estimate_texture = OVI_GetBitmapGPUMemoryUsageEstimate(record, false);
            u.estimate_logical = OVI_GetBitmapGPUMemoryUsageEstimate(record, true);
        }
        out.push_back(std::move(u));
    }
    OV_UnlockMutex(bitmap_lock);
    OVI_UnlockCoreMutex(OV_MUTEX_GET_BITMAP);
    return out;
}

std::vector<SoundUsage> SnapshotSounds()
{
    std::vector<SoundUsage> out;
    OVI_LockCoreMutex(OV_MUTEX_GET_SOUND);
    for (int i = 0; i < OVI_GetSoundCount(); i++) {
        const ov_sound_t *s = OVI_GetSoundRecord(i);
        if (s && s->name)
            out.push_back(SoundUsage{i, s->name, SoundDataSize(s)});
    }
    OVI_UnlockCoreMutex(OV_MUTEX_GET_SOUND);
    return out;
}

int64_t SoundDataSize(const ov_sound_t *s)
{
    const ovSample *sample = static_cast<const ovSample *>(s->imp_data[1]);
    return sample ? sample->size : 0;
}

bool IsMusicSized(int64_t bytes)
{
    return bytes > kMusicSizeBytes;
}

double KB(int64_t bytes)
{
    return (double)bytes / 1024.0;
}

int ClampToInt(int64_t v)
{
    return v > INT_MAX ? INT_MAX : (int)v;
}

void SortHogs(std::vector<Hog> *hogs)
{
    std::vector<Hog> &h = *hogs;
    for (size_t i = 0; i < h.size(); i++)
        for (size_t j = 0; j < h.size(); j++)
            if (j != i && h[j].bytes < h[i].bytes)
                std::swap(h[i], h[j]);
}

}  // namespace
