// Loading, initialising, re-initialising and shutting down the current renderer.
#include "gfx/rendimp.h"
#include "gfx/bitmap.h"
#include "gfx/font.h"
#include "core/ov_state.h"
#include "core/services.h"

#include <string.h>
#include <vector>

RendImp *ov_rendimp = nullptr;

static RendImp *s_override = nullptr;
static int num_failed_reinits = 0;
static bool s_live = false;

bool OVI_RendererLive()
{
    return s_live;
}

bool OVI_RendererReady()
{
    return ov_rendimp && ov_state.renderer_ready;
}

void OVID_SetRendImpOverride(RendImp *r)
{
    s_override = r;
}

RendImp *OVID_LoadRendImp()
{
    if (s_override)
        return s_override;
    return ORVEX_RendImp_GetInterface();
}

// Loads the renderer once and lets it replace its slots of a freshly filled table.
void OVI_LoadRendImp()
{
    if (ov_rendimp)
        return;
    ov_rendimp = OVID_LoadRendImp();
    if (!ov_rendimp)
        return;
    OVI_SetBasicInterface(&orvex);
    ov_rendimp->FillOrvexInterface(&orvex);
}

// Re-applies the depth settings and brings every live bitmap back onto the GPU.
// Render targets are recreated empty and returned: their owners are asked to redraw
// them once the renderer is ready (drawing does nothing before), with no lock held, so
// that a hook which loads a bitmap cannot deadlock. The records are read under the pool
// lock (GET_BITMAP) and changed under the bitmap lock, taken in the order GFX_HW,
// GET_BITMAP, bitmap lock, RESOURCE_QUEUE.
static std::vector<ov_bitmap_t *> RecreateResources()
{
    OVI_LockCoreMutex(OV_MUTEX_GFX_HW);
    // The front end stores the depth settings but calls the renderer only once it is
    // ready; the new renderer gets them here.
    orvex.OV_SetDepthDefault(ov_state.depth_default);
    orvex.OV_SetDepthRange(ov_state.depth_near, ov_state.depth_plane, ov_state.depth_far);
    ov_rendimp->SetDepthRange(ov_state.depth_near, ov_state.depth_plane, ov_state.depth_far);
    std::vector<ov_bitmap_t *> bitmaps;
    OVI_LockCoreMutex(OV_MUTEX_GET_BITMAP);
    OVI_LockCoreMutex(OV_MUTEX_RESOURCE_QUEUE);
    for (int i = 0; i < OVI_GetBitmapHighWater(); i++) {
        ov_bitmap_t *b = OVI_GetBitmapRecord(i);
        if (!b->name || b->name[0] == '!' || (ov_state.reference_counting && b->refcount <= 0))
            continue;
        if (OVI_IsQueuedForUpload(b)) {
            OV_Printf("Bitmap '%s' already queued for upload.\n", b->name);
            continue;
        }
        bitmaps.push_back(b);
    }
    OVI_UnlockCoreMutex(OV_MUTEX_RESOURCE_QUEUE);
    OVI_UnlockCoreMutex(OV_MUTEX_GET_BITMAP);

    std::vector<ov_bitmap_t *> targets;
    ov_mutex_t *bitmap_lock = ov_state.core_mutex[OV_MUTEX_SHARED_BITMAP];
    for (ov_bitmap_t *b : bitmaps) {
        // GFX_HW is let go while a cache mode is set: the record may have been released
        // (or hibernated) meanwhile, which is checked again under the pool lock.
        OVI_LockCoreMutex(OV_MUTEX_GET_BITMAP);
        if (!b->name || !b->lock || (ov_state.reference_counting && b->refcount <= 0)) {
            OVI_UnlockCoreMutex(OV_MUTEX_GET_BITMAP);
            continue;
        }
        OV_Printf("Recreate Bitmap '%s' refc %d..\n", b->name, b->refcount);
        OV_LockMutex(b->lock);
        const bool target = (b->flags & OV_BITMAP_RENDER_TARGET) != 0;
        int mode = 0;
        if (target) {
            if (ov_rendimp->CreateBitmap(b))
                targets.push_back(b);
        } else {
            // The impossible mode makes the call below set every part of the real one again.
            mode = OVI_PollBitmapCacheMode(b);
            OVI_StoreBitmapCacheMode(b, 0xff);
        }
        OV_UnlockMutex(b->lock);
        OVI_UnlockCoreMutex(OV_MUTEX_GET_BITMAP);
        if (!target) {
            OVI_UnlockCoreMutex(OV_MUTEX_GFX_HW);
            orvex.OV_SetBitmapCacheMode(b, mode);
            OVI_LockCoreMutex(OV_MUTEX_GFX_HW);
        }
        OV_LockMutex(bitmap_lock);
        if (b->name)
            orvex.OV_SetBitmapFrame(b, 0);
        OV_UnlockMutex(bitmap_lock);
    }
    OVI_UnlockCoreMutex(OV_MUTEX_GFX_HW);
    return targets;
}

bool OVI_InitRendImp()
{
    for (;;) {
        if (!ov_rendimp) {
            OV_Printf("Renderer doesn't exist, can't continue with init.\n");
            return false;
        }
        if (ov_state.renderer_ready) {
            OV_Printf("Renderer in ready state, shutting it down before new init.\n");
            OVI_ShutdownRendImp();
        }
        ov_state.renderer_ready = 0;

        ov_parms_t previous = ov_parms;
        ov_parms.width = ov_prog->parms.width;
        ov_parms.height = ov_prog->parms.height;
        ov_parms.windowed = ov_prog->parms.windowed;

        OV_PrintDebugf(OV_SYSTEM, "Initializing RendImp.\n");
        const char *mode = "windowed";
        if (!ov_parms.windowed) {
            if (ov_parms.width < 640 || ov_parms.height < 480)
                ov_parms.windowed = 1;
            else
                mode = "fullscreen";
        }
        OV_PrintDebugf(OV_SYSTEM, "Initializing RendImp: %dx%d %s..\n", ov_parms.width, ov_parms.height, mode);

        OVI_LockCoreMutex(OV_MUTEX_GFX_HW);
        bool ok = ov_rendimp->Initialize(&orvex, &ov_state, &ov_parms);
        if (ok) {
            num_failed_reinits = 0;
        } else {
            num_failed_reinits++;
            bool unchanged = ov_parms.width == previous.width && ov_parms.height == previous.height &&
                             ov_parms.windowed == previous.windowed;
            if (num_failed_reinits > 2 || unchanged) {
                OVI_UnlockCoreMutex(OV_MUTEX_GFX_HW);
                OV_Popupf(OV_ERROR, "Unable to initialize the renderer.\n\nPlease try updating your display adapter drivers and rebooting.\n");
                return false;
            }
            ov_parms = previous;
            OV_PrintDebugf(OV_SYSTEM, "Rolling back parms..\n");
            ok = ov_rendimp->Initialize(&orvex, &ov_state, &ov_parms);
            if (!ok) {
                OVI_UnlockCoreMutex(OV_MUTEX_GFX_HW);
                continue;
            }
        }
        s_live = true;
        OVI_UnlockCoreMutex(OV_MUTEX_GFX_HW);
        ov_prog->parms.renderer_ready = 1;
        ov_state.texture_format = ov_rendimp->GetTextureFormat();
        std::vector<ov_bitmap_t *> targets = RecreateResources();
        OVI_RefreshAllFonts();
        ov_state.renderer_ready = 1;
        OVI_SendRedrawEvents(targets);
        return true;
    }
}

void OVI_ShutdownRendImp()
{
    OV_PrintDebugf(OV_SYSTEM, "Orvex RendImp Shutdown.\n");
    if (!ov_rendimp)
        return;
    OVI_LockCoreMutex(OV_MUTEX_GFX_HW);
    OVI_LockCoreMutex(OV_MUTEX_GET_BITMAP);
    if (s_live) {
        for (int i = 0; i < OVI_GetBitmapHighWater(); i++) {
            ov_bitmap_t *b = OVI_GetBitmapRecord(i);
            if (!b->name)
                continue;
            OV_LockMutex(b->lock);
            if (b->num_frames <= 0 || !b->frames) {
                ov_rendimp->FreeBitmap(&b->hw);
            } else if (b->atlas) {
                ov_rendimp->FreeBitmap(&b->atlas->hw);
            } else {
                b->pixels = nullptr;
                for (int f = 0; f < b->num_frames; f++)
                    if (!b->frames[f].duplicate_of)
                        ov_rendimp->FreeBitmap(&b->frames[f].hw);
            }
            OV_UnlockMutex(b->lock);
        }
        OVI_FreeFontsHardwareData();
        // Textures die with the context: queued frees must not reach the next one.
        OVI_LockCoreMutex(OV_MUTEX_RESOURCE_QUEUE);
        OVI_DropReleaseQueue();
        OVI_UnlockCoreMutex(OV_MUTEX_RESOURCE_QUEUE);
    }
    if (ov_state.render_target) {
        ov_state.render_target = nullptr;
        orvex.OV_PopTransform();
    }
    ov_rendimp->Shutdown();
    s_live = false;
    ov_state.renderer_ready = 0;
    OVI_UnlockCoreMutex(OV_MUTEX_GET_BITMAP);
    OVI_UnlockCoreMutex(OV_MUTEX_GFX_HW);
}

void OVI_FinalShutdownRendImp()
{
    OVI_LockCoreMutex(OV_MUTEX_GFX_HW);
    ov_rendimp = nullptr;
    OVI_UnlockCoreMutex(OV_MUTEX_GFX_HW);
}

// A display change asked for while running: adapt in place or rebuild the renderer.
void OVI_ReInitRenderer()
{
    ov_event_t ev;
    memset(&ev, 0, sizeof ev);
    ev.type = OV_EVENT_RENDERER_REINIT;
    ev.inactive = 1;
    OVI_SendEvent(&ev);

    OVI_LockCoreMutex(OV_MUTEX_GFX_HW);
    OVI_LockCoreMutex(OV_MUTEX_GET_BITMAP);
    OVI_LockCoreMutex(OV_MUTEX_GET_SOUND);
    OVI_UnlockCoreMutex(OV_MUTEX_GFX_HW);
    bool adapted = ov_rendimp && ov_rendimp->AttemptReinitialize(ov_prog->parms.width, ov_prog->parms.height, ov_prog->parms.windowed);
    if (adapted)
        ov_parms = ov_prog->parms;
    // The full rebuild takes GFX_HW and GET_BITMAP itself; the pool locks are let go
    // first, since the engine's mutexes are not recursive.
    OVI_UnlockCoreMutex(OV_MUTEX_GET_BITMAP);
    OVI_UnlockCoreMutex(OV_MUTEX_GET_SOUND);
    if (!adapted) {
        OVI_ShutdownRendImp();
        ov_parms = ov_prog->parms;
        OVI_InitRendImp();
    }
    OVI_ResetKeyboardKeyStates();

    memset(&ev, 0, sizeof ev);
    ev.type = OV_EVENT_RENDERER_REINIT;
    ev.inactive = 1;
    OVI_SendEvent(&ev);
}
