// Moving bitmap data to and from the GPU: at once where the calling thread may call
// the renderer, otherwise through the upload and release queues that the main thread
// drains, time-boxed, at the end of every frame. Also frees pixels and frame
// structures, switches the render target and estimates GPU memory.
#include "core/ov_state.h"
#include "core/services.h"
#include "gfx/bitmap.h"
#include "gfx/rendimp.h"
#include "gfx/transform.h"

#include <algorithm>
#include <stdlib.h>
#include <string.h>
#include <vector>

namespace {

std::vector<ov_bitmap_t *> s_upload;
std::vector<ov_bitmap_t::hw_data_t *> s_release;
uint32_t (*s_clock)(void) = nullptr;

const uint32_t kStepBudgetMs = 50;

bool Unnamed(ov_bitmap_t *b)
{
    return !b->name || b->name[0] == '!';
}

// Waits for a lost renderer (none loaded): at once false on the main thread, else up
// to 10 x 100 ms (the caller holds GFX_HW, which is let go while sleeping). False too
// while the renderer is loaded but not initialised.
bool RegainRenderer()
{
    if (!ov_rendimp) {
        OV_Printf("Renderer implementation lost, trying to regain...\n");
        if (OV_IsMainThread())
            return false;
        for (int attempt = 1; attempt <= 10 && !ov_rendimp; attempt++) {
            OVI_UnlockCoreMutex(OV_MUTEX_GFX_HW);
            OVT_Sleep(100);
            OVI_LockCoreMutex(OV_MUTEX_GFX_HW);
            if (ov_rendimp && OVI_RendererLive())
                OV_Printf("Renderer reclaimed at try #%d.\n", attempt);
        }
    }
    return ov_rendimp && OVI_RendererLive();
}

void RemoveFromUpload(ov_bitmap_t *b)
{
    s_upload.erase(std::remove(s_upload.begin(), s_upload.end(), b), s_upload.end());
}

}  // namespace

bool OVI_MayCallRenderer()
{
    return OV_IsMainThread() || (ov_rendimp && ov_rendimp->IsThreadSafe());
}

void OVI_SetResourceStepClock(uint32_t (*clock)(void))
{
    s_clock = clock;
}

bool OVI_IsQueuedForUpload(ov_bitmap_t *b)
{
    return std::find(s_upload.begin(), s_upload.end(), b) != s_upload.end();
}

void OVI_AppendUpload(ov_bitmap_t *b)
{
    if (!OVI_IsQueuedForUpload(b))
        s_upload.push_back(b);
}

int OVI_UploadQueueLength()
{
    OVI_LockCoreMutex(OV_MUTEX_RESOURCE_QUEUE);
    int n = (int)s_upload.size();
    OVI_UnlockCoreMutex(OV_MUTEX_RESOURCE_QUEUE);
    return n;
}

int OVI_ReleaseQueueLength()
{
    OVI_LockCoreMutex(OV_MUTEX_RESOURCE_QUEUE);
    int n = (int)s_release.size();
    OVI_UnlockCoreMutex(OV_MUTEX_RESOURCE_QUEUE);
    return n;
}

void OVI_DropReleaseQueue()
{
    for (ov_bitmap_t::hw_data_t *hw : s_release)
        delete hw;
    s_release.clear();
    s_release.shrink_to_fit();
}

void OVI_ClearResourceQueues()
{
    OVI_DropReleaseQueue();
    s_upload.clear();
    s_upload.shrink_to_fit();
}

// Uploads now (the caller holds GFX_HW on the main thread) or queues for the frame tail.
void OVI_LoadBitmapToHardware(ov_bitmap_t *b)
{
    if (!OVI_MayCallRenderer()) {
        OVI_LockCoreMutex(OV_MUTEX_RESOURCE_QUEUE);
        OVI_AppendUpload(b);
        OVI_UnlockCoreMutex(OV_MUTEX_RESOURCE_QUEUE);
        return;
    }
    if (!RegainRenderer())
        return;
    if (b->num_frames <= 0 || !b->frames) {
        if (!ov_rendimp->LoadBitmap(b))
            OV_PrintDebugf(OV_WARNING, "Unable to upload bitmap '%s' to renderer.\n", b->name ? b->name : "");
        return;
    }
    if (b->atlas) {
        ov_rendimp->LoadBitmap(b->atlas);
        for (int i = 0; i < b->num_frames; i++)
            OVI_ShareAtlasTexture(&b->frames[i].hw, b->atlas->hw);
    } else {
        for (int i = 0; i < b->num_frames; i++)
            if (!b->frames[i].duplicate_of)
                ov_rendimp->LoadBitmap(&b->frames[i]);
    }
    for (int i = 0; i < b->num_frames; i++)
        if (b->frames[i].duplicate_of)
            b->frames[i].hw = b->frames[i].duplicate_of->hw;
    OV_SetBitmapFrame(b, b->frame_number);
}

void OVI_QueueBitmapHardwareDataRelease(ov_bitmap_t *b)
{
    if (!b->hw.uploaded) {
        OV_Popupf(OV_WARNING, "OVI_QueueBitmapHardwareDataRelease: Bitmap '%s' hw data is not ready. No reason to release.",
                  b->name ? b->name : "");
        return;
    }
    s_release.push_back(new ov_bitmap_t::hw_data_t(b->hw));
    memset(&b->hw, 0, sizeof b->hw);
}

// Frees the GPU data of a bitmap with the renderer (the caller holds GFX_HW).
void OVI_ReleaseBitmapHardwareDataHoldingGfx(ov_bitmap_t *b)
{
    if (Unnamed(b) || !RegainRenderer())
        return;
    if (b->num_frames > 0 && b->frames) {
        if (b->atlas) {
            OVI_ReleaseBitmapHardwareDataHoldingGfx(b->atlas);
        } else {
            for (int i = 0; i < b->num_frames; i++)
                if (!b->frames[i].duplicate_of)
                    ov_rendimp->FreeBitmap(&b->frames[i].hw);
        }
        for (int i = 0; i < b->num_frames; i++)
            memset(&b->frames[i].hw, 0, sizeof b->frames[i].hw);
    } else {
        ov_rendimp->FreeBitmap(&b->hw);
    }
    memset(&b->hw, 0, sizeof b->hw);
}

// Frees the GPU data now (under GFX_HW) or hands it to the release queue. A caller that
// may call the renderer must not hold the bitmap's lock (GFX_HW comes first); callers
// that do use OVI_ReleaseBitmapHardwareDataHoldingGfx under GFX_HW instead.
void OVI_ReleaseBitmapHardwareData(ov_bitmap_t *b)
{
    if (Unnamed(b))
        return;
    if (OVI_MayCallRenderer()) {
        OVI_LockCoreMutex(OV_MUTEX_GFX_HW);
        OVI_ReleaseBitmapHardwareDataHoldingGfx(b);
        OVI_UnlockCoreMutex(OV_MUTEX_GFX_HW);
        return;
    }
    OVI_LockCoreMutex(OV_MUTEX_RESOURCE_QUEUE);
    if (OVI_IsQueuedForUpload(b)) {
        OV_PrintDebugf(OV_WARNING, "Bitmap '%s' still in hardware upload queue. Removing it.", b->name);
        RemoveFromUpload(b);
        // A texture the main thread made meanwhile is still freed; dropping only the
        // queue entry would lose it when the caller clears the renderer data.
        if (!b->hw.uploaded) {
            OVI_UnlockCoreMutex(OV_MUTEX_RESOURCE_QUEUE);
            return;
        }
    }
    if (b->num_frames > 0 && b->frames) {
        if (b->atlas)
            OVI_QueueBitmapHardwareDataRelease(b->atlas);
        else
            for (int i = 0; i < b->num_frames; i++)
                if (!b->frames[i].duplicate_of)
                    OVI_QueueBitmapHardwareDataRelease(&b->frames[i]);
        memset(&b->hw, 0, sizeof b->hw);
        for (int i = 0; i < b->num_frames; i++)
            memset(&b->frames[i].hw, 0, sizeof b->frames[i].hw);
    } else {
        OVI_QueueBitmapHardwareDataRelease(b);
    }
    OVI_UnlockCoreMutex(OV_MUTEX_RESOURCE_QUEUE);
}

// Frees the pixels at the end of the atlas chain (frames' pixels for a sequence).
void OVI_ReleaseBitmapSoftwareData(ov_bitmap_t *b)
{
    ov_bitmap_t *last = b;
    while (true) {
        if (Unnamed(last))
            return;
        if (!last->atlas || last->atlas == last)
            break;
        last = last->atlas;
    }
    if (last->num_frames <= 0 || !last->frames) {
        free(last->pixels);
        last->pixels = nullptr;
        return;
    }
    for (int i = 0; i < last->num_frames; i++) {
        if (!last->frames[i].duplicate_of) {
            free(last->frames[i].pixels);
            last->frames[i].pixels = nullptr;
        }
    }
    last->pixels = nullptr;
}

// Frees the frames, the atlas and the renderer data words.
void OVI_ReleaseBitmapStructures(ov_bitmap_t *b)
{
    if (Unnamed(b))
        return;
    if (b->frames) {
        for (int i = 0; i < b->num_frames; i++) {
            b->frames[i].atlas = nullptr;
            OVI_ReleaseBitmapStructures(&b->frames[i]);
            free(b->frames[i].name);
            if (ov_prog && ov_prog->parms.developer_mode)
                memset(&b->frames[i], 0, sizeof b->frames[i]);
        }
        free(b->frames);
        b->frames = nullptr;
    }
    b->num_frames = 0;
    memset(&b->hw, 0, sizeof b->hw);
    if (b->atlas && b->atlas != b) {
        ov_bitmap_t *atlas = b->atlas;
        b->atlas = nullptr;
        free(atlas->name);
        atlas->name = nullptr;
        OVI_ReleaseBitmapStructures(atlas);
        free(atlas->pixels);
        free(atlas);
    }
}

// The end-of-frame step: frees queued GPU data, then uploads queued bitmaps until 50 ms have passed.
void OVI_FrameResourceStep(void)
{
    if (!ov_rendimp || !ov_state.renderer_ready)
        return;
    OVI_LockCoreMutex(OV_MUTEX_RESOURCE_QUEUE);
    std::vector<ov_bitmap_t *> uploads = s_upload;
    std::vector<ov_bitmap_t::hw_data_t *> releases;
    releases.swap(s_release);
    OVI_UnlockCoreMutex(OV_MUTEX_RESOURCE_QUEUE);
    if (uploads.empty() && releases.empty())
        return;

    uint32_t (*clock)(void) = s_clock ? s_clock : OV_GetTime;
    uint32_t t0 = clock();
    OVI_LockCoreMutex(OV_MUTEX_GFX_HW);
    for (ov_bitmap_t::hw_data_t *hw : releases) {
        OV_Printf("Freeing bitmap hardware data %dx%d.\n", hw->tex_width, hw->tex_height);
        ov_rendimp->FreeBitmap(hw);
        delete hw;
    }
    // Every bitmap's lock is the shared one; it is taken before the record is read, as a
    // queued record may be released or taken for a new name by another thread meanwhile.
    ov_mutex_t *bitmap_lock = ov_state.core_mutex[OV_MUTEX_SHARED_BITMAP];
    for (ov_bitmap_t *b : uploads) {
        OV_LockMutex(bitmap_lock);
        if (b->name) {
            if (b->flags & OV_BITMAP_RENDER_TARGET) {
                if (OVI_RendererLive())
                    ov_rendimp->CreateBitmap(b);
            } else if (!b->pixels && !b->frames) {
                OV_PrintDebugf(OV_WARNING,
                               "ResourceQueue unpacking Bitmap '%s' data is not valid anymore. Most likely it has just "
                               "been released.",
                               b->name);
            } else {
                OVI_LoadBitmapToHardware(b);
                if (!(b->cache_mode & OV_CACHE_PIXELS))
                    OVI_ReleaseBitmapSoftwareData(b);
            }
        }
        // Dequeued before the bitmap's lock is let go: a worker that drops and reloads
        // the bitmap in between queues it again, and removing it after the lock would
        // remove that new entry, leaving the bitmap loaded but never uploaded.
        OVI_LockCoreMutex(OV_MUTEX_RESOURCE_QUEUE);
        RemoveFromUpload(b);
        OVI_UnlockCoreMutex(OV_MUTEX_RESOURCE_QUEUE);
        OV_UnlockMutex(bitmap_lock);
        if (clock() - t0 > kStepBudgetMs)
            break;
    }
    OVI_UnlockCoreMutex(OV_MUTEX_GFX_HW);
}

// Draws into the bitmap (null: the screen); 1 when the renderer accepted it.
int OV_SetRenderTarget(ov_bitmap_t *target)
{
    if (target == ov_state.render_target)
        return 1;
    bool accepted = false;
    if (ov_rendimp && ov_state.renderer_ready) {
        ov_rendimp->Flush();
        accepted = ov_rendimp->SetRenderTarget(target);
    }
    if (!accepted)
        return 0;
    ov_bitmap_t *previous = ov_state.render_target;
    if (!previous && target)
        OV_PushTransform(nullptr);
    else if (previous && !target)
        OV_PopTransform();
    ov_state.render_target = target;
    nTransform top = OV_PeekTransform();
    ov_rendimp->SetTransform(&top);
    return 1;
}

int OVI_GetBitmapGPUMemoryUsageEstimate(ov_bitmap_t *b, bool logical)
{
    if (!b)
        return 0;
    if (b->num_frames > 0 && b->atlas) {
        ov_bitmap_t *a = b->atlas;
        return 4 * (logical ? a->width * a->height : a->hw.tex_width * a->hw.tex_height);
    }
    if (b->num_frames > 0)
        return 4 * b->num_frames * (logical ? b->width * b->height : b->hw.tex_width * b->hw.tex_height);
    return 4 * (logical ? b->width * b->height : b->hw.tex_width * b->hw.tex_height);
}

// Sends event 17 to the application for every named render-target bitmap, outside the locks.
void OVI_SendRenderTargetRedraws(void)
{
    std::vector<ov_bitmap_t *> targets;
    OVI_LockCoreMutex(OV_MUTEX_GET_BITMAP);
    for (int i = 0; i < OVI_GetBitmapHighWater(); i++) {
        ov_bitmap_t *b = OVI_GetBitmapRecord(i);
        if (b->name && (b->flags & OV_BITMAP_RENDER_TARGET))
            targets.push_back(b);
    }
    OVI_UnlockCoreMutex(OV_MUTEX_GET_BITMAP);
    OVI_SendRedrawEvents(targets);
}

void OVI_SendRedrawEvents(const std::vector<ov_bitmap_t *> &targets)
{
    for (ov_bitmap_t *b : targets) {
        if (!ov_prog || !ov_prog->EventProc)
            break;
        ov_event_t ev;
        memset(&ev, 0, sizeof ev);
        ev.type = OV_EVENT_REDRAW_TARGET;
        ev.ptr = b;
        ov_prog->EventProc(ev);
    }
}

void OVI_ShareAtlasTexture(ov_bitmap_t::hw_data_t *dst, const ov_bitmap_t::hw_data_t &atlas)
{
    dst->uploaded = atlas.uploaded;
    dst->tex_width = atlas.tex_width;
    dst->tex_height = atlas.tex_height;
    dst->texture = atlas.texture;
    dst->framebuffer = atlas.framebuffer;
    dst->filter = atlas.filter;
}
