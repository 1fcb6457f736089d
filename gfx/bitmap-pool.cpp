// The bitmap pool: 768 named, reference-counted records, their lookup and creation,
// hibernation at reference count 0, cache modes (pixels in memory, texture on the
// GPU) and frame selection. Pixels move to and from the GPU through upload-queue.cpp.
#include "core/ov_state.h"
#include "core/services.h"
#include "gfx/bitmap.h"
#include "gfx/rendimp.h"

#include <stdlib.h>
#include <string.h>

namespace {

ov_bitmap_t s_pool[OV_MAX_BITMAPS];
int s_high_water = 0;
bool (*s_file_loader)(ov_bitmap_t *) = nullptr;

ov_mutex_t *SharedLock()
{
    return ov_state.core_mutex[OV_MUTEX_SHARED_BITMAP];
}

bool RefErrorPopups()
{
    return !OVI_ProductFeatureExists("DISABLE_REFERENCE_COUNT_ERROR_POPUPS");
}

void Trace(const char *fmt, const char *name, int count)
{
    if (ov_print_reference_count_changes)
        OV_Printf(fmt, name, count);
}

// A null name means "!NONE"; a leading '/' is reported and dropped.
const char *FixName(const char *name)
{
    if (!name)
        return "!NONE";
    if (name[0] == '/') {
        OV_Popupf(OV_WARNING, "Bitmap '%s' name path starting with '/'. Not allowed.", name);
        return name + 1;
    }
    return name;
}

// Caller holds GET_BITMAP.
ov_bitmap_t *Find(const char *name)
{
    for (int i = 0; i < s_high_water; i++)
        if (s_pool[i].name && s_pool[i].name[0] && strcmp(s_pool[i].name, name) == 0)
            return &s_pool[i];
    return nullptr;
}

// A free record (first hole, else the next unused one); null with the popup when all are in use.
ov_bitmap_t *TakeRecord()
{
    for (int i = 0; i < s_high_water; i++)
        if (!s_pool[i].name)
            return &s_pool[i];
    if (s_high_water < OV_MAX_BITMAPS)
        return &s_pool[s_high_water++];
    OV_Popupf(OV_WARNING, " ! Orvex out of free bitmaps.\n");
    return nullptr;
}

void AddReference(ov_bitmap_t *b)
{
    if (b->refcount >= OV_BITMAP_MAX_REFS) {
        b->refcount = OV_BITMAP_MAX_REFS;
        OV_Popupf(OV_WARNING, "Bitmap '%s' reference count suspiciously high: capping at %d.\n", b->name, OV_BITMAP_MAX_REFS);
        return;
    }
    b->refcount++;
    Trace("'%s' ref count++: now %d", b->name, b->refcount);
}

// Creates a record for a name that is not in the pool (caller holds GET_BITMAP, which
// is released here). Null when the pool is full.
ov_bitmap_t *CreateLoadable(const char *name, int mode, uint16_t flags)
{
    OV_Printf("..caching bitmap '%s'", name);
    ov_bitmap_t *b = TakeRecord();
    if (!b) {
        OVI_UnlockCoreMutex(OV_MUTEX_GET_BITMAP);
        return nullptr;
    }
    // A reused record may still sit in a copy of the upload queue that the frame tail
    // reads under the bitmap lock: it is filled under that lock.
    OV_LockMutex(SharedLock());
    OVI_InitBitmap(b, name);
    b->flags = flags;
    b->pack_mode = ov_state.default_pack_mode;
    OVI_StoreBitmapCacheMode(b, 0);
    OVI_UnlockCoreMutex(OV_MUTEX_GET_BITMAP);
    if (mode == 0) {
        b->refcount = 0;
        b->flags &= (uint16_t)~OV_BITMAP_FETCHED;
        Trace("'%s' ref count = 0 (CACHE_NOTHING)", b->name, 0);
        OV_UnlockMutex(b->lock);
        return b;
    }
    Trace("'%s' ref count = 1", b->name, 1);
    OV_UnlockMutex(b->lock);
    OV_SetBitmapCacheMode(b, mode);
    OV_LockMutex(SharedLock());
    OV_SetBitmapFrame(b, 0);
    OV_UnlockMutex(SharedLock());
    return b;
}

}  // namespace

ov_bitmap_t *OVI_GetBitmapRecord(int i)
{
    return (i >= 0 && i < OV_MAX_BITMAPS) ? &s_pool[i] : nullptr;
}

int OVI_GetBitmapHighWater()
{
    return s_high_water;
}

void OVI_InitBitmap(ov_bitmap_t *b, const char *name)
{
    memset(b, 0, sizeof *b);
    b->name = strdup(name ? name : "");
    b->refcount = 1;
    b->load_state = OV_BITMAP_NOT_LOADED;
    b->lock = SharedLock();
}

void OVI_SetBitmapFileLoader(bool (*loader)(ov_bitmap_t *b))
{
    s_file_loader = loader;
}

bool OVI_LoadBitmap(ov_bitmap_t *b)
{
    if (!s_file_loader)
        return OVI_LoadBitmapFromFile(b);
    b->fps = 30.0f;
    b->load_state = OV_BITMAP_LOADING;
    bool ok = s_file_loader(b);
    b->load_state = OV_BITMAP_LOADED;
    return ok;
}

// Finds or creates the bitmap with the default cache mode.
ov_bitmap_t *OV_GetBitmap(const char *name)
{
    return OV_GetBitmapEx(name, ov_state.default_cache_mode);
}

// Finds or creates; all GetBitmap callers together hold one reference.
ov_bitmap_t *OV_GetBitmapEx(const char *name, int mode)
{
    name = FixName(name);
    OVI_LockCoreMutex(OV_MUTEX_GET_BITMAP);
    ov_bitmap_t *b = Find(name);
    if (b) {
        if (mode == OV_CACHE_NOTHING || mode == OV_CACHE_LOOKUP) {
            OVI_UnlockCoreMutex(OV_MUTEX_GET_BITMAP);
            return b;
        }
        // The flags are also read by the frame tail and the renderer under the bitmap's
        // lock, and written by loaders under it: they change under both locks.
        OV_LockMutex(SharedLock());
        if (!(b->flags & OV_BITMAP_FETCHED)) {
            b->flags |= OV_BITMAP_FETCHED;
            b->refcount++;
            Trace("'%s' ref count++ (GetBitmap): now %d", b->name, b->refcount);
        }
        OV_UnlockMutex(SharedLock());
        const int current = OVI_PollBitmapCacheMode(b);
        const int wanted = mode | current;
        OVI_UnlockCoreMutex(OV_MUTEX_GET_BITMAP);
        if (wanted != current)
            OV_SetBitmapCacheMode(b, wanted);
        return b;
    }
    if (mode == OV_CACHE_LOOKUP) {
        OVI_UnlockCoreMutex(OV_MUTEX_GET_BITMAP);
        return nullptr;
    }
    return CreateLoadable(name, mode, OV_BITMAP_RELOADABLE | OV_BITMAP_FETCHED);
}

// Finds or creates; every call with a mode adds a reference.
ov_bitmap_t *OV_LoadBitmap(const char *name, int mode)
{
    name = FixName(name);
    OVI_LockCoreMutex(OV_MUTEX_GET_BITMAP);
    ov_bitmap_t *b = Find(name);
    if (b) {
        if (mode == OV_CACHE_NOTHING || mode == OV_CACHE_LOOKUP) {
            OVI_UnlockCoreMutex(OV_MUTEX_GET_BITMAP);
            return b;
        }
        if (b->name[0] != '!')
            AddReference(b);
        OVI_UnlockCoreMutex(OV_MUTEX_GET_BITMAP);
        OV_SetBitmapCacheMode(b, mode | OVI_PollBitmapCacheMode(b));
        return b;
    }
    if (mode == OV_CACHE_LOOKUP) {
        OVI_UnlockCoreMutex(OV_MUTEX_GET_BITMAP);
        return nullptr;
    }
    return CreateLoadable(name, mode, OV_BITMAP_RELOADABLE);
}

// A blank bitmap of w x h; type 1 makes a render target.
ov_bitmap_t *OV_CreateBitmap(const char *name, int w, int h, int type)
{
    OVI_LockCoreMutex(OV_MUTEX_GET_BITMAP);
    if (name && name[0]) {
        ov_bitmap_t *found = Find(name);
        if (found) {
            AddReference(found);
            OVI_UnlockCoreMutex(OV_MUTEX_GET_BITMAP);
            return found;
        }
    }
    OV_Printf("..creating bitmap '%s' (%dx%d)\n", name ? name : "", w, h);
    ov_bitmap_t *b = TakeRecord();
    if (!b) {
        OVI_UnlockCoreMutex(OV_MUTEX_GET_BITMAP);
        return nullptr;
    }
    OV_LockMutex(SharedLock());
    OVI_InitBitmap(b, name);
    b->width = b->src_width = w;
    b->height = b->src_height = h;
    b->pack_mode = OV_NO_PADDING;
    b->load_state = OV_BITMAP_LOADED;
    if (type == 1) {
        b->flags |= OV_BITMAP_RENDER_TARGET;
    } else {
        b->pixels = (uint8_t *)malloc((size_t)w * h * 4);
        OVI_StoreBitmapCacheMode(b, OV_CACHE_PIXELS | OV_CACHE_GPU);
    }
    OV_UnlockMutex(SharedLock());
    OVI_UnlockCoreMutex(OV_MUTEX_GET_BITMAP);
    if (type == 1) {
        if (OVI_MayCallRenderer() && ov_rendimp && OVI_RendererLive()) {
            OVI_LockCoreMutex(OV_MUTEX_GFX_HW);
            OV_LockMutex(SharedLock());
            ov_rendimp->CreateBitmap(b);
            OV_UnlockMutex(SharedLock());
            OVI_UnlockCoreMutex(OV_MUTEX_GFX_HW);
        } else {
            OVI_LockCoreMutex(OV_MUTEX_RESOURCE_QUEUE);
            OVI_AppendUpload(b);
            OVI_UnlockCoreMutex(OV_MUTEX_RESOURCE_QUEUE);
        }
    }
    return b;
}

// Gives up one reference: hibernates at 0 with reference counting, else frees the record.
void OV_ReleaseBitmap(ov_bitmap_t *b)
{
    if (!b || !b->name || b->name[0] == '!')
        return;
    if (b == ov_state.render_target) {
        OV_Popupf(OV_WARNING,
                  "OV_ReleaseBitmap: Releasing current render target bitmap '%s' is not allowed. Please fix your "
                  "application code to first set the render target to NULL.\n",
                  b->name);
        OV_SetRenderTarget(nullptr);
    }
    // Freeing the record frees its texture: a thread that may do that takes GFX_HW before
    // the pool lock (renderer set-up and shutdown take GFX_HW, then GET_BITMAP).
    const bool may_call_renderer = OVI_MayCallRenderer();
    if (may_call_renderer)
        OVI_LockCoreMutex(OV_MUTEX_GFX_HW);
    OVI_LockCoreMutex(OV_MUTEX_GET_BITMAP);
    if (ov_state.reference_counting) {
        OV_LockMutex(SharedLock());
        const uint16_t flags = b->flags;
        OV_UnlockMutex(SharedLock());
        b->refcount--;
        Trace("ReleaseBitmap: '%s' ref count--: now %d", b->name, b->refcount);
        if ((flags & OV_BITMAP_FETCHED) && b->refcount == 0 && RefErrorPopups())
            OV_Popupf(OV_WARNING,
                      "Releasing bitmap '%s' too many times: ref counting will get messed up. NOTE: bitmap has been "
                      "accessed using GetBitmap which increses ref count by 1 once.",
                      b->name);
        if (b->refcount > 0 || b->refcount < 0) {
            if (b->refcount < 0) {
                b->refcount = 0;
                if (RefErrorPopups())
                    OV_Popupf(OV_WARNING, "Bitmap '%s' reference count less than zero.\n", b->name);
            }
            OVI_UnlockCoreMutex(OV_MUTEX_GET_BITMAP);
            if (may_call_renderer)
                OVI_UnlockCoreMutex(OV_MUTEX_GFX_HW);
            return;
        }
        if (flags & OV_BITMAP_RELOADABLE) {
            OV_Printf("Hibernating bitmap '%s'..\n", b->name);
            OV_LockMutex(SharedLock());
            b->flags &= (uint16_t)~OV_BITMAP_FETCHED;
            OV_UnlockMutex(SharedLock());
            OVI_UnlockCoreMutex(OV_MUTEX_GET_BITMAP);
            if (may_call_renderer)
                OVI_UnlockCoreMutex(OV_MUTEX_GFX_HW);
            OV_SetBitmapCacheMode(b, 0);
            return;
        }
    }
    OV_Printf("Releasing bitmap '%s'..\n", b->name);
    if (!may_call_renderer) {
        OV_Popupf(OV_ERROR, "OV_ReleaseBitmap '%s' without reference counting is not possible from non-main thread.\n",
                  b->name);
        OVI_UnlockCoreMutex(OV_MUTEX_GET_BITMAP);
        return;
    }
    ov_mutex_t *lock = b->lock;
    OV_LockMutex(lock);
    if (b->load_state == OV_BITMAP_FREE) {
        OV_UnlockMutex(lock);
        OV_PrintDebugf(OV_WARNING, "Trying to release null bitmap.\n");
        OVI_UnlockCoreMutex(OV_MUTEX_GET_BITMAP);
        OVI_UnlockCoreMutex(OV_MUTEX_GFX_HW);
        return;
    }
    b->load_state = OV_BITMAP_FREE;
    OVI_ReleaseBitmapHardwareDataHoldingGfx(b);
    OVI_ReleaseBitmapSoftwareData(b);
    OVI_ReleaseBitmapStructures(b);
    free(b->name);
    b->name = nullptr;
    b->lock = nullptr;
    OV_UnlockMutex(lock);
    if (lock && lock != SharedLock())
        OV_ReleaseMutex(lock);
    OVI_UnlockCoreMutex(OV_MUTEX_GET_BITMAP);
    OVI_UnlockCoreMutex(OV_MUTEX_GFX_HW);
}

namespace {

// Whether changing the bitmap to the mode calls the renderer: an upload that is not
// there yet, or a texture the mode no longer keeps (caller holds the bitmap's lock).
bool ModeChangeNeedsRenderer(const ov_bitmap_t *b, int mode)
{
    return b->hw.uploaded ? !(mode & OV_CACHE_GPU) : (mode & OV_CACHE_GPU) != 0;
}

}  // namespace

// Loads, uploads or drops data so that the bitmap keeps what the mode asks for.
// Locks: GET_BITMAP alone for the reference count; then the bitmap's lock for loading;
// for the renderer's part GFX_HW, then the bitmap's lock again (GFX_HW is never taken
// while the bitmap's lock is held, as the frame tail takes them in that order).
void OV_SetBitmapCacheMode(ov_bitmap_t *b, int mode)
{
    if (!b || mode == OVI_PollBitmapCacheMode(b))
        return;
    OVI_LockCoreMutex(OV_MUTEX_GET_BITMAP);
    const bool unreferenced = ov_state.reference_counting && b->refcount < 1;
    OVI_UnlockCoreMutex(OV_MUTEX_GET_BITMAP);
    ov_mutex_t *lock = SharedLock();
    OV_LockMutex(lock);
    if (!b->name || b->name[0] == '!' || b->duplicate_of || mode == b->cache_mode) {
        OV_UnlockMutex(lock);
        return;
    }
    const bool reloadable = (b->flags & OV_BITMAP_RELOADABLE) != 0;
    if (!reloadable && !b->pixels) {
        OV_PrintDebugf(OV_WARNING, "Bitmap '%s' not reloadable, can't change cache mode.\n", b->name);
        OV_UnlockMutex(lock);
        return;
    }
    if (unreferenced)
        OVI_StoreBitmapCacheMode(b, mode);
    if (reloadable && (mode & (OV_CACHE_PIXELS | OV_CACHE_GPU)) && !b->pixels && !(b->atlas && b->atlas->pixels)) {
        b->load_state = OV_BITMAP_NOT_LOADED;
        OVI_LoadBitmap(b);
    }
    // The renderer is called here only by a thread that may call it, under GFX_HW; any
    // other thread queues the upload or the release for the frame tail.
    bool holding_gfx = false;
    if (OVI_MayCallRenderer() && ModeChangeNeedsRenderer(b, mode)) {
        OV_UnlockMutex(lock);
        OVI_LockCoreMutex(OV_MUTEX_GFX_HW);
        OV_LockMutex(lock);
        holding_gfx = true;
        if (!b->name) {  // freed while the lock was let go
            OV_UnlockMutex(lock);
            OVI_UnlockCoreMutex(OV_MUTEX_GFX_HW);
            return;
        }
    }
    if ((mode & OV_CACHE_GPU) && !b->hw.uploaded)
        OVI_LoadBitmapToHardware(b);
    if (reloadable && !(mode & OV_CACHE_PIXELS) && !(!b->hw.uploaded && (mode & OV_CACHE_GPU)))
        OVI_ReleaseBitmapSoftwareData(b);
    if (b->hw.uploaded && !(mode & OV_CACHE_GPU)) {
        if (holding_gfx)
            OVI_ReleaseBitmapHardwareDataHoldingGfx(b);
        else
            OVI_ReleaseBitmapHardwareData(b);
    }
    if (mode == OV_CACHE_NOTHING) {
        OVI_ReleaseBitmapStructures(b);
        b->load_state = OV_BITMAP_NOT_LOADED;
    }
    OVI_StoreBitmapCacheMode(b, mode);
    OV_UnlockMutex(lock);
    if (holding_gfx)
        OVI_UnlockCoreMutex(OV_MUTEX_GFX_HW);
}

// Selects frame n (clamped at 0, wrapped by the frame count) of a sequence for drawing.
void OV_SetBitmapFrame(ov_bitmap_t *b, int n)
{
    if (!b || b->num_frames <= 0 || !b->frames)
        return;
    int i = (n < 0 ? 0 : n) % b->num_frames;
    ov_bitmap_t *f = &b->frames[i];
    b->width = f->width;
    b->height = f->height;
    b->pixels = f->pixels;
    b->flags = (uint16_t)((b->flags & ~OV_BITMAP_ALPHA) | (f->flags & OV_BITMAP_ALPHA));
    b->hw = f->hw;
}

ov_bitmap_t *OV_CreateBitmapFromSubBitmap(ov_bitmap_t *view, ov_bitmap_t *src, float x1, float y1, float x2, float y2)
{
    *view = *src;
    view->atlas = src;
    view->duplicate_of = src;
    view->width = (int)(x2 - x1);
    view->height = (int)(y2 - y1);
    float du = src->hw.u1 - src->hw.u0, dv = src->hw.v1 - src->hw.v0;
    float sw = (float)src->width, sh = (float)src->height;
    view->hw.u0 = src->hw.u0 + x1 / sw * du;
    view->hw.u1 = src->hw.u0 + x2 / sw * du;
    view->hw.v0 = src->hw.v0 + y1 / sh * dv;
    view->hw.v1 = src->hw.v0 + y2 / sh * dv;
    return view;
}

// Releases every record still in the pool, whatever its reference count; with reference
// counting on, each one still held is reported as a warning first.
void OVI_ReleaseBitmapsAtExit(void)
{
    if (ov_state.render_target)
        OV_SetRenderTarget(nullptr);
    const bool counting = ov_prog && ov_prog->parms.reference_counting;
    for (int i = 0; i < s_high_water; i++) {
        ov_bitmap_t *b = &s_pool[i];
        if (!b->name)
            continue;
        if (counting && b->refcount != 0 && b->name[0] != '!')
            OV_PrintDebugf(OV_WARNING, "Bitmap '%s' Reference count %d at exit, releasing...\n", b->name, b->refcount);
        // '!' bitmaps are never released through the pool: free them here directly.
        char *name = b->name;
        if (name[0] == '!')
            name[0] = '_';
        b->refcount = 1;
        b->flags &= (uint16_t)~OV_BITMAP_RELOADABLE;
        uint8_t counting = ov_state.reference_counting;
        ov_state.reference_counting = 0;
        OV_ReleaseBitmap(b);
        ov_state.reference_counting = counting;
    }
    s_high_water = 0;
    OVI_ClearResourceQueues();
    OVI_ReleaseShadersAtExit();
}
