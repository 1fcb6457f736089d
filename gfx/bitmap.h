// The bitmap record, the pool of 768 records, and the GPU upload and release queues
// that move bitmap pixels to the renderer from any thread.
#ifndef OV_BITMAP_H
#define OV_BITMAP_H

#include "orvex.h"
#include "ovrecords.h"

#include <vector>

#include <stdint.h>

struct ov_mutex_t;

enum {
    OV_MAX_BITMAPS = 768,
    OV_BITMAP_MAX_REFS = 4096,
    // Cache-mode bits and the special requests of OV_GetBitmapEx / OV_LoadBitmap.
    OV_CACHE_NOTHING = 0,
    OV_CACHE_PIXELS = 2,
    OV_CACHE_GPU = 4,
    OV_CACHE_LOOKUP = 16,
    // Flags.
    OV_BITMAP_ALPHA = 1,
    OV_BITMAP_RELOADABLE = 2,
    OV_BITMAP_RENDER_TARGET = 4,
    OV_BITMAP_FETCHED = 8,
    // Load states.
    OV_BITMAP_FREE = 0,
    OV_BITMAP_NOT_LOADED = 1,
    OV_BITMAP_LOADING = 2,
    OV_BITMAP_LOADED = 3,
    // Pack modes.
    OV_PAD_EXPAND = 0,
    OV_PAD_TRANSPARENT = 2,
    OV_NO_PADDING = 3,
};

// The cache mode is changed only under the bitmap's lock, but it is also polled without
// it (the early-out of OV_SetBitmapCacheMode, the pool look-ups): both go through these.
inline int OVI_PollBitmapCacheMode(const ov_bitmap_t *b)
{
    return __atomic_load_n(&b->cache_mode, __ATOMIC_ACQUIRE);
}
inline void OVI_StoreBitmapCacheMode(ov_bitmap_t *b, int mode)
{
    __atomic_store_n(&b->cache_mode, (uint8_t)mode, __ATOMIC_RELEASE);
}

// Lock order of the bitmap locks: GFX_HW, then GET_BITMAP, then the bitmap's lock
// (SHARED_BITMAP), then RESOURCE_QUEUE, which is always innermost. A thread that holds
// a bitmap's lock never takes GFX_HW or GET_BITMAP afterwards.

// Pool operations of the interface table.
ov_bitmap_t *OV_GetBitmap(const char *name);
ov_bitmap_t *OV_GetBitmapEx(const char *name, int cache_mode);
ov_bitmap_t *OV_LoadBitmap(const char *name, int mode);
ov_bitmap_t *OV_CreateBitmap(const char *name, int w, int h, int type);
void OV_ReleaseBitmap(ov_bitmap_t *b);
void OV_SetBitmapCacheMode(ov_bitmap_t *b, int mode);
void OV_SetBitmapFrame(ov_bitmap_t *b, int frame);
int OV_SetRenderTarget(ov_bitmap_t *b);
// Fills the caller's record as a view of a rectangle of the source.
ov_bitmap_t *OV_CreateBitmapFromSubBitmap(ov_bitmap_t *view, ov_bitmap_t *src, float x1, float y1, float x2, float y2);

// The pool itself: record i (0..767) and the count of records ever used.
ov_bitmap_t *OVI_GetBitmapRecord(int i);
int OVI_GetBitmapHighWater();
// Clears a record and gives it a heap copy of the name, one reference and the shared lock.
void OVI_InitBitmap(ov_bitmap_t *b, const char *name);
// Loads the bitmap's data from the file its name names (false: no data loaded).
bool OVI_LoadBitmap(ov_bitmap_t *b);
// Replaces loading from files by a function (tests); null restores loading from files.
void OVI_SetBitmapFileLoader(bool (*loader)(ov_bitmap_t *b));

// Loading from files (bitmap-load.cpp).
// By name: a name with an extension (or an http:// name) as it stands, else the first
// of name.png, .jpg, .bms, .tga that opens; none opening leaves the load state at 1.
bool OVI_LoadBitmapFromFile(ov_bitmap_t *b);
// Loads a given path into a bitmap in load state 1 (image, ".bms", "*" frames, http://),
// applies the data manifest and ends in load state 3; false with "Unable to load bitmap".
bool OVI_LoadBitmap(ov_bitmap_t *b, const char *path);
// Loads an http:// bitmap through the download cache under user://cache/.
bool OVI_LoadBitmapHTTP(ov_bitmap_t *b, const char *url);
// The download-cache file of a bitmap name ("user://cache/" + the name made file-safe).
void OVI_BitmapCachePath(const char *name, char out[260]);
// Applies the manifest node named by the bitmap (or by id): drawn size "w"/"h", "pack_mode".
void OVI_UpdateBitmapAccordingToDataManifest(ov_bitmap_t *b);
void OVI_UpdateBitmapAccordingToDataManifest(ov_bitmap_t *b, const char *id);
// The same for the frames of a sequence (a ".bms" scales every frame to the node's "h").
void OVI_UpdateBitmapSequenceAccordingToDataManifest(ov_bitmap_t *b);
// Writes the bitmap's pixels to an image file (.png, .jpg, .tga) under its lock.
int OV_SaveBitmap(ov_bitmap_t *b, const char *file, int quality);
// Re-uploads the bitmap (an http:// bitmap is downloaded again); 1 when done.
int OV_RefreshBitmap(ov_bitmap_t *b);

// Upload and release queues.
void OVI_LoadBitmapToHardware(ov_bitmap_t *b);
void OVI_ReleaseBitmapHardwareData(ov_bitmap_t *b);
// The same for a caller that may call the renderer and already holds GFX_HW (and
// perhaps the bitmap's lock, which is taken after GFX_HW).
void OVI_ReleaseBitmapHardwareDataHoldingGfx(ov_bitmap_t *b);
void OVI_QueueBitmapHardwareDataRelease(ov_bitmap_t *b);
void OVI_ReleaseBitmapSoftwareData(ov_bitmap_t *b);
void OVI_ReleaseBitmapStructures(ov_bitmap_t *b);
int OVI_GetBitmapGPUMemoryUsageEstimate(ov_bitmap_t *b, bool logical);
// True when the bitmap waits in the upload queue (caller holds RESOURCE_QUEUE).
bool OVI_IsQueuedForUpload(ov_bitmap_t *b);
// Number of entries waiting in the upload and release queues.
int OVI_UploadQueueLength();
int OVI_ReleaseQueueLength();
// Whether the calling thread may call the renderer.
bool OVI_MayCallRenderer();
// Appends the bitmap to the upload queue unless it is there (caller holds RESOURCE_QUEUE).
void OVI_AppendUpload(ov_bitmap_t *b);
// Forgets queued GPU frees (caller holds RESOURCE_QUEUE; the context they belong to is gone).
void OVI_DropReleaseQueue();
// Empties both queues (textures of a dead context are not freed again).
void OVI_ClearResourceQueues();
// Replaces the clock of the frame resource step (tests); null restores OV_GetTime.
void OVI_SetResourceStepClock(uint32_t (*clock)(void));

// Sends event 17 for each render target, outside every lock (the application redraws it).
void OVI_SendRedrawEvents(const std::vector<ov_bitmap_t *> &targets);
// Sends event 17 to the application for every named render-target bitmap.
void OVI_SendRenderTargetRedraws(void);
// The GPU resource queue's share of a frame (uploads and frees on the main thread).
void OVI_FrameResourceStep(void);
// Releases what is still held at exit (reference counts reported and forced to one).
void OVI_ReleaseBitmapsAtExit(void);
// Points a frame or glyph at its atlas's texture (its own rectangle stays).
void OVI_ShareAtlasTexture(ov_bitmap_t::hw_data_t *dst, const ov_bitmap_t::hw_data_t &atlas);

#endif
