// Downloads and the download cache: heap buffers (`ov_buffer_t`), the HTTP request call
// (no network stands behind it on this platform) and the opener that serves "http://"
// names from "user://cache/", downloading a missing (or empty) file through the
// interface's request call first. Cache files are written whole through a ".tmp"
// sibling and put in place crash-safely.
#include "core/fs/fs.h"
#include "core/fs/ovfile.h"
#include "core/ov_state.h"
#include "core/services.h"
#include "nstring.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <new>

namespace {

// The int the request call receives with every download.
int s_http_request_extra = 0;

const char kCacheDir[] = "user://cache";

bool CacheName(const char *url, char out[260]);
ovFile *OpenCached(const char *cache_name, const char *mode);
int SendRequest(const char *url, ov_buffer_t *reply);

class ovFileOpenerHTTP : public ovFileOpener {
public:
    ovFile *OpenFile(const char *name, const char *mode) override;
    void Free() override {}
    bool AllowSearchPaths() override { return false; }
};

}  // namespace

// The download-cache opener.
ovFileOpener *OVFS_CreateHttpOpener(void)
{
    return new (std::nothrow) ovFileOpenerHTTP();
}

// A zeroed buffer; for a size of at least 1 it holds a heap block of that size.
ov_buffer_t OV_AllocBuffer(int size)
{
    ov_buffer_t buffer = {nullptr, 0, 0, 0};
    if (size >= 1) {
        buffer.data = (uint8_t *)malloc((size_t)size);
        if (buffer.data)
            buffer.used = buffer.size = size;
    }
    return buffer;
}

// Releases the block and zeroes the buffer; null does nothing.
void OV_FreeBuffer(ov_buffer_t *buf)
{
    if (!buf)
        return;
    free(buf->data);
    buf->data = nullptr;
    buf->reserved = 0;
    buf->used = 0;
    buf->size = 0;
}

// No network on this platform: returns status 0 at once and touches nothing.
int OV_SendHttpRequest(int method, const char *url, const char *headers, const char *body, int timeout, ov_buffer_t *reply,
                       int *status)
{
    return 0;
}

// ---- the opener and its helpers

namespace {

// "user://cache/" followed by the URL with '/' turned into '_', letters, digits and
// ".-_~%" kept and everything else dropped (a dot that would follow a dot becomes '_');
// false when it would exceed 259 characters.
bool CacheName(const char *url, char out[260])
{
    int n = snprintf(out, 260, "%s/", kCacheDir);
    for (const char *p = url; *p; p++) {
        unsigned char c = (unsigned char)*p;
        char keep = 0;
        if (c == '/')
            keep = '_';
        else if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || strchr(".-_~%", c))
            keep = (char)c;
        if (!keep)
            continue;
        // Dropped characters can bring two dots together; the engine's files refuse a
        // name with "..", so such a download could never be kept or opened.
        if (keep == '.' && out[n - 1] == '.')
            keep = '_';
        if (n >= 259)
            return false;
        out[n++] = keep;
    }
    // Nor may the name end with a dot: the ".tmp" sibling the download is written to
    // would then hold "..".
    if (out[n - 1] == '.')
        out[n - 1] = '_';
    out[n] = 0;
    return true;
}

// Opens the cache file when it holds a download, as a native file.
ovFile *OpenCached(const char *cache_name, const char *mode)
{
    if (!OVFS_CacheFileReady(cache_name))
        return nullptr;
    return OVFS_OpenPosixFile(cache_name, mode);
}

// The request call through the interface table (a build with a network fills that slot).
int SendRequest(const char *url, ov_buffer_t *reply)
{
    auto send = ov && ov->OV_SendHttpRequest ? ov->OV_SendHttpRequest : OV_SendHttpRequest;
    return send(2, url, "application/octet-stream", "", 0, reply, &s_http_request_extra);
}


// Serves the name from the cache, downloading it into the cache first when missing.
ovFile *ovFileOpenerHTTP::OpenFile(const char *name, const char *mode)
{
    if (!name || !mode || strcmp(mode, "rb") != 0 || !ov_state.core_ready || strncmp(name, "http://", 7) != 0)
        return nullptr;
    OV_Printf("HTTP trying open '%s'..", name);
    OV_CreateDirectory(kCacheDir);
    char cache_name[260];
    if (!CacheName(name, cache_name))
        return nullptr;
    if (ovFile *cached = OpenCached(cache_name, mode))
        return cached;

    OV_Printf("Doesn't exist in cache, starting download..");
    ov_buffer_t reply = {nullptr, 0, 0, 0};
    int status = SendRequest(name, &reply);
    if (status != 200) {
        OV_Printf("Failed to open '%s': return code %d", name, status);
        OV_FreeBuffer(&reply);
        return nullptr;
    }
    if (reply.used < reply.size) {
        OV_PrintDebugf(OV_WARNING, "Download for '%s' not complete (%d%% of %.1fKB done). Not saving.\n", name,
                       (int)((long long)reply.used * 100 / reply.size), reply.size / 1024.0);
        OV_FreeBuffer(&reply);
        return nullptr;
    }
    OV_Printf("Done downloading %d bytes for '%s'. Writing file to local cache.", reply.used, name);
    bool saved = reply.used > 0 && OVFS_WriteCacheFile(cache_name, reply.data, (unsigned)reply.used);
    OV_FreeBuffer(&reply);
    if (!saved) {
        OV_Printf("Unable to open saved cachefile '%s'.\n", cache_name);
        return nullptr;
    }
    return OpenCached(cache_name, mode);
}

}  // namespace

// True when the cache file opens and holds something. An empty one is what a write cut
// short by a crash or a full disk left behind: it is removed, so the file is fetched again.
bool OVFS_CacheFileReady(const char *cache_name)
{
    ov_file_t *probe = OVFS_OpenFile(cache_name, "rb");
    if (!probe)
        return false;
    long size = probe->size;
    OVFS_CloseFile(probe);
    if (size > 0)
        return true;
    OV_PrintDebugf(OV_WARNING, "Cache file '%s' is empty. Fetching it again.\n", cache_name);
    OV_DeleteFile(cache_name);
    return false;
}

// Writes downloaded bytes to the cache file through its ".tmp" sibling, so the cache
// holds the whole download or nothing; false (the old state kept) on any failure.
bool OVFS_WriteCacheFile(const char *cache_name, const void *data, unsigned bytes)
{
    if (!cache_name || !data || !bytes)
        return false;
    ov_file_t *out = OVFS_OpenTempSiblingFile(cache_name);
    if (!out)
        return false;
    bool written = OV_WriteFile(data, bytes, out) == bytes;
    return OVFS_FinishTempSiblingFile(out, cache_name, written);
}
