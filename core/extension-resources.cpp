// The resource reports of the extension call: "RefreshMemUsageEstimates" (memory of
// bitmaps, fonts and sounds into key states 2001 to 2005) and "ListResourceUsage" (a
// developer report of every resource in the log, with the largest ones ranked).
//
// The graphics and sound services read their pools into a snapshot under the pools'
// own mutexes (GET_BITMAP, GET_FONT, GET_SOUND), so names stay valid while they are
// printed; the log lines are written afterwards with no pool mutex held.
#include "core/extension.h"

#include "core/ov_state.h"
#include "core/service-calls.h"
#include "core/services.h"

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

// One entry of the ranking of the largest resources.
struct Hog {
    std::string name;
    const char *kind;  // "GFX", "SND" or "FNT"
    int64_t bytes;
    int width, height;  // 0 when the resource has no picture size
};

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
    for (const ov_bitmap_usage_t &b : ov_gfx_calls.BitmapUsage()) {
        system += b.system_bytes;
        if (b.has_gpu_data) {
            gpu_texture += b.estimate_texture;
            gpu_logical += b.estimate_logical;
        }
    }
    for (const ov_font_usage_t &f : ov_gfx_calls.FontUsage()) {
        system += f.atlas_pixel_bytes;
        if (f.has_gpu_data) {
            gpu_texture += f.texture_bytes;
            gpu_logical += f.atlas_bytes;
        }
    }
    for (const ov_sound_usage_t &s : ov_sound_calls.SoundUsage())
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
    for (const ov_bitmap_usage_t &b : ov_gfx_calls.BitmapUsage()) {
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
    for (const ov_sound_usage_t &s : ov_sound_calls.SoundUsage()) {
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
    for (const ov_font_usage_t &f : ov_gfx_calls.FontUsage()) {
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
    int64_t state_size =
        (int64_t)sizeof(ov_state_t) + ov_gfx_calls.BitmapPoolBytes() + ov_sound_calls.SoundPoolBytes();
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

namespace {

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
