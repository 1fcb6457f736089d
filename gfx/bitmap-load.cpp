// Bitmap file loading: finding a bitmap's file by its name (extensions tried in
// order), dispatching to the image loader, the sequence reader or the download cache,
// applying the data manifest's per-bitmap settings, and refreshing and saving bitmaps.
#include "core/data/dataman.h"
#include "core/fs/fs.h"
#include "core/fs/ovfile.h"
#include "core/ov_state.h"
#include "core/services.h"
#include "gfx/bitmap.h"
#include "gfx/image.h"
#include "gfx/rendimp.h"
#include "gfx/sequence.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <strings.h>

#include <mutex>

namespace {

bool EndsWithNoCase(const char *s, const char *end)
{
    size_t n = strlen(s), m = strlen(end);
    return n >= m && strcasecmp(s + n - m, end) == 0;
}

// True when a '.' stands after the last '/' of the name.
bool HasExtension(const char *name)
{
    for (const char *p = name + strlen(name); p > name; p--) {
        if (p[-1] == '/')
            return false;
        if (p[-1] == '.')
            return true;
    }
    return false;
}

bool Opens(const char *name)
{
    ov_file_t *f = OV_OpenFile(name, "rb");
    if (!f)
        return false;
    OV_CloseFile(f);
    return true;
}

bool HasData(const ov_bitmap_t *b)
{
    return b->pixels || (b->frames && b->num_frames > 0) || (b->atlas && b->atlas->pixels);
}

// Width and height of a manifest key; 32 when it is missing.
int SizeKey(OV_DMNode *node, const char *key)
{
    const char *v = node->GetValue(key);
    return v ? atoi(v) : 32;
}

void ApplyPackMode(ov_bitmap_t *b, OV_DMNode *node)
{
    const char *mode = node->GetValue("pack_mode");
    if (!mode)
        return;
    OV_Printf("Using pack mode '%s'\n", mode);
    if (strcmp(mode, "NO_PADDING") == 0)
        b->pack_mode = OV_NO_PADDING;
    else if (strcmp(mode, "PAD_TRANSPARENT") == 0)
        b->pack_mode = OV_PAD_TRANSPARENT;
    else if (strcmp(mode, "PAD_EXPAND ") == 0)
        b->pack_mode = OV_PAD_EXPAND;
}

void UpdateSequence(ov_bitmap_t *b)
{
    OVI_UpdateBitmapSequenceAccordingToDataManifest(b);
    for (int i = 0; i < b->num_frames; i++)
        b->frames[i].load_state = OV_BITMAP_LOADED;
}

}  // namespace

void OVI_BitmapCachePath(const char *name, char out[260])
{
    int n = snprintf(out, 260, "user://cache/");
    for (const char *p = name; *p && n < 259; p++) {
        unsigned char c = (unsigned char)*p;
        if (c == '/')
            out[n++] = '_';
        else if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || strchr(".-_~%", c))
            out[n++] = (char)c;
    }
    out[n] = 0;
}

void OVI_UpdateBitmapAccordingToDataManifest(ov_bitmap_t *b, const char *id)
{
    if (!b)
        return;
    b->src_width = b->width;
    b->src_height = b->height;
    OV_DMNode *node = OVI_GetDataManifestNode(id ? id : b->name);
    if (node) {
        b->width = SizeKey(node, "w");
        b->height = SizeKey(node, "h");
        ApplyPackMode(b, node);
    }
    OV_SetBitmapFrame(b, 0);
}

void OVI_UpdateBitmapAccordingToDataManifest(ov_bitmap_t *b)
{
    OVI_UpdateBitmapAccordingToDataManifest(b, nullptr);
}

void OVI_UpdateBitmapSequenceAccordingToDataManifest(ov_bitmap_t *b)
{
    if (!b || !b->frames)
        return;
    if (b->name && EndsWithNoCase(b->name, "bms")) {
        OV_DMNode *node = OVI_GetDataManifestNode(b->name);
        if (!node)
            return;
        float scale = b->frames[0].height ? (float)SizeKey(node, "h") / (float)b->frames[0].height : 1.0f;
        for (int i = 0; i < b->num_frames; i++) {
            ov_bitmap_t *f = &b->frames[i];
            f->src_width = f->width;
            f->src_height = f->height;
            f->width = (int)(f->width * scale);
            f->height = (int)(f->height * scale);
        }
    } else {
        for (int i = 0; i < b->num_frames; i++)
            OVI_UpdateBitmapAccordingToDataManifest(&b->frames[i], b->frames[i].name);
    }
    OV_SetBitmapFrame(b, 0);
}

bool OVI_LoadBitmapHTTP(ov_bitmap_t *b, const char *url)
{
    if (!b || !b->name || !url)
        return false;
    if (strchr(b->name, '*')) {
        OV_Popupf(OV_WARNING, "Asterisk character ('*') isn't allowed in http:// url file names such as '%s'\n", b->name);
        return false;
    }
    OV_CreateDirectory("user://cache");
    char cache[260];
    OVI_BitmapCachePath(b->name, cache);
    if (!OVFS_CacheFileReady(cache)) {
        ov_buffer_t reply = {nullptr, 0, 0, 0};
        orvex_t *ov = ov_state.ov;
        auto send = ov && ov->OV_SendHttpRequest ? ov->OV_SendHttpRequest : OV_SendHttpRequest;
        int extra = 0;
        int status = send(2, b->name, "application/octet-stream", "", 0, &reply, &extra);
        if (status != 200 || !reply.data) {
            OV_PrintDebugf(OV_WARNING, "Download of '%s' failed (status %d).\n", url, status);
            OV_FreeBuffer(&reply);
            b->load_state = OV_BITMAP_LOADED;
            return false;
        }
        if (reply.used < reply.size) {
            OV_PrintDebugf(OV_WARNING, "Download not complete (%d%% of %.1fKB done). Not saving.\n",
                           (int)((long long)reply.used * 100 / reply.size), reply.size / 1024.0);
            OV_FreeBuffer(&reply);
            b->load_state = OV_BITMAP_LOADED;
            return false;
        }
        OV_Printf("Done downloading %d bytes for '%s'\n", reply.used, url);
        // The cache holds the whole download or nothing (an empty file is fetched again).
        if (!OVFS_WriteCacheFile(cache, reply.data, (unsigned)reply.used))
            OV_Printf("Unable to open '%s'\n", cache);
        OV_FreeBuffer(&reply);
    }
    bool ok = ov_image_loader && ov_image_loader->LoadImagePixels(b, cache);
    b->load_state = OV_BITMAP_LOADED;
    return ok;
}

bool OVI_LoadBitmap(ov_bitmap_t *b, const char *path)
{
    if (!b || !b->name || !path || b->name[0] == '!' || b->load_state != OV_BITMAP_NOT_LOADED)
        return false;
    b->load_state = OV_BITMAP_LOADING;
    if (b->pixels) {
        OV_PrintDebugf(OV_WARNING, "Bitmap '%s' has existing pixel data. Freeing it.\n", b->name);
        if (ov_image_loader)
            ov_image_loader->FreeImagePixels(b);
        else {
            free(b->pixels);
            b->pixels = nullptr;
        }
    }
    b->fps = 30.0f;
    bool ok;
    if (strncmp(path, "http://", 7) == 0) {
        ok = OVI_LoadBitmapHTTP(b, path);
        OVI_UpdateBitmapAccordingToDataManifest(b);
    } else if (EndsWithNoCase(path, ".bms")) {
        // The file that was found first; a name without ".bms" is built from frames by its name.
        if (OVI_LoadBitmapSequence(b, path)) {
            OV_SetBitmapFrame(b, 0);
            ok = true;
        } else {
            ok = OVI_LoadBitmapBMS(b) && b->num_frames > 0;
        }
        if (ok)
            UpdateSequence(b);
    } else if (strchr(path, '*')) {
        OVI_LoadBitmapSequenceFromFiles(b, b->name);
        ok = b->num_frames > 0;
        if (ok)
            UpdateSequence(b);
    } else {
        ok = ov_image_loader && ov_image_loader->LoadImagePixels(b, path);
        OVI_UpdateBitmapAccordingToDataManifest(b);
    }
    b->load_state = OV_BITMAP_LOADED;
    if (!ok || !HasData(b)) {
        OV_Popupf(OV_WARNING, "Unable to load bitmap '%s'.\n", b->name);
        return false;
    }
    return true;
}

bool OVI_LoadBitmapFromFile(ov_bitmap_t *b)
{
    if (!b || !b->name)
        return false;
    if (HasExtension(b->name) || strncmp(b->name, "http://", 7) == 0)
        return OVI_LoadBitmap(b, b->name);
    static const char *const formats[4] = {"%s.png", "%s.jpg", "%s.bms", "%s.tga"};
    for (const char *format : formats) {
        char path[512];
        int n = snprintf(path, sizeof path, format, b->name);
        if (n < 0 || n >= (int)sizeof path)
            return false;
        if (Opens(path))
            return OVI_LoadBitmap(b, path);
    }
    return false;
}

int OV_SaveBitmap(ov_bitmap_t *b, const char *file, int quality)
{
    if (!b || !ov_image_loader)
        return 0;
    OV_LockMutex(b->lock);
    bool ok = ov_image_loader->SaveImage(b, file, quality);
    OV_UnlockMutex(b->lock);
    return ok ? 1 : 0;
}

int OV_RefreshBitmap(ov_bitmap_t *b)
{
    if (!b || !b->name)
        return 0;
    if (strstr(b->name, "http://")) {
        // One refresh at a time: a second one reading the cache mode while the first has
        // it at 0 would put the bitmap back to 0 after the first restored it.
        static std::mutex refreshing;
        std::lock_guard<std::mutex> one_at_a_time(refreshing);
        char cache[260];
        OVI_BitmapCachePath(b->name, cache);
        OV_DeleteFile(cache);
        int mode = OVI_PollBitmapCacheMode(b);
        OV_SetBitmapCacheMode(b, 0);
        OV_SetBitmapCacheMode(b, mode);
        return 1;
    }
    if (!OVI_MayCallRenderer()) {
        OV_Popupf(OV_WARNING, "Refreshing bitmaps from another thread than main has not been tested properly yet. Not "
                              "refreshing bitmap.\n");
        return 0;
    }
    // GFX_HW before the bitmap's lock, the order of the frame tail.
    OVI_LockCoreMutex(OV_MUTEX_GFX_HW);
    ov_mutex_t *lock = b->lock;
    if (!lock) {  // released by another thread
        OVI_UnlockCoreMutex(OV_MUTEX_GFX_HW);
        return 0;
    }
    OV_LockMutex(lock);
    if (!b->name) {
        OV_UnlockMutex(lock);
        OVI_UnlockCoreMutex(OV_MUTEX_GFX_HW);
        return 0;
    }
    b->load_state = OV_BITMAP_LOADING;
    OVI_LoadBitmapToHardware(b);
    b->load_state = OV_BITMAP_LOADED;
    OV_UnlockMutex(lock);
    OVI_UnlockCoreMutex(OV_MUTEX_GFX_HW);
    return 1;
}
