// The graphics service's table for the core runtime (core/service-calls.h): the
// window, the renderer's lifecycle and frame calls, the drawing around the
// application's Draw, the console's fonts and the resource reports of the bitmap and
// font pools.
#include "core/ov_state.h"
#include "core/service-calls.h"
#include "gfx/driver-preload.h"
#include "gfx/bitmap.h"
#include "gfx/draw.h"
#include "gfx/font.h"
#include "gfx/hud.h"
#include "gfx/image.h"
#include "gfx/rendimp.h"
#include "gfx/screen-transform.h"
#include "gfx/window.h"

namespace {

void GetWindowSize(int *width, int *height)
{
    *width = ov_qnx_screen_width;
    *height = ov_qnx_screen_height;
}

bool RendererLoaded()
{
    return ov_rendimp != nullptr;
}

void RendererFrameStart(int eye_mode)
{
    ov_rendimp->FrameStart(eye_mode);
}

void RendererFrameReady()
{
    ov_rendimp->FrameReady();
}

void RendererActivateWindow(bool active)
{
    ov_rendimp->ActivateWindow(active);
}

const char *RendererCallExtension(const char *command, const char *argument)
{
    return ov_rendimp->CallExtension(command, argument);
}

// The used bitmaps, in pool order. GET_BITMAP keeps the pool and the reference counts
// still; the bitmap lock (shared by every bitmap) keeps out workers loading, uploading
// or dropping a record's data.
std::vector<ov_bitmap_usage_t> BitmapUsage()
{
    std::vector<ov_bitmap_usage_t> out;
    ov_mutex_t *bitmap_lock = ov_state.core_mutex[OV_MUTEX_SHARED_BITMAP];
    OVI_LockCoreMutex(OV_MUTEX_GET_BITMAP);
    OV_LockMutex(bitmap_lock);
    for (int i = 0; i < OVI_GetBitmapHighWater(); i++) {
        const ov_bitmap_t *b = OVI_GetBitmapRecord(i);
        if (!b || !b->name)
            continue;
        ov_bitmap_usage_t u;
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

// The used fonts, in pool order, read under GET_FONT and, as for bitmaps, the shared
// bitmap lock (the main thread uploads an atlas under it while a worker may ask for
// the report). A font's memory is its glyph atlas (pixels kept in memory and the
// texture).
std::vector<ov_font_usage_t> FontUsage()
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

int64_t BitmapPoolBytes()
{
    return (int64_t)(OV_MAX_BITMAPS * sizeof(ov_bitmap_t));
}

}  // namespace

const ov_gfx_calls_t ov_gfx_calls = {
    &ov_qnx_screen_context,
    &ov_qnx_screen_window,
    OV_QNX_InitWindowAndContexts,
    GetWindowSize,
    OV_QNX_GetDesktopSize,
    OV_QNX_SetWindowTitle,

    OVI_GfxStateSetup,
    OVI_InitImageLoader,
    OVI_SetupAutoscale,
    OVI_SelectResolution,
    OVI_ResolutionSupported,

    RendererLoaded,
    OVI_LoadRendImp,
    OVI_InitRendImp,
    OVI_ShutdownRendImp,
    OVI_FinalShutdownRendImp,
    OVI_ReInitRenderer,
    RendererFrameStart,
    RendererFrameReady,
    RendererActivateWindow,
    RendererCallExtension,

    OVI_SetDefaultRenderStates,
    OVI_PushScreenTransforms,
    OVI_PopScreenTransforms,
    OVI_DrawScreenBorders,
    OVI_UpdateAndDrawHUDs,
    OVI_FrameResourceStep,
    OVI_SendRenderTargetRedraws,

    OVI_ConsoleFontOrFirst,

    BitmapUsage,
    FontUsage,
    BitmapPoolBytes,
    OVI_ReleaseBitmapsAtExit,
    OVI_ReleaseFontsAtExit,

    OVID_StartDriverPreload,
    OVID_StopDriverPreload,
};
