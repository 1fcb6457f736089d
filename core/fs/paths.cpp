// Static paths: the native directories behind "res://" and "user://", conversion
// between static and native paths, name validation and the path utilities.
#include "core/fs/fs.h"
#include "core/ov_state.h"
#include "core/services.h"
#include "nstring.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

namespace {

struct FileSystemInfo {
    char base[OV_PATH_KINDS][512];
    char root[OV_PATH_KINDS][512];
};

FileSystemInfo ov_file_system_info;
char s_developer_dir[32] = "Talvik";
char s_program_dir[32] = "unknown";

// Where "://" starts in the name, or -1.
int StaticMarker(const char *name)
{
    if (!name)
        return -1;
    const char *p = strstr(name, "://");
    return p ? (int)(p - name) : -1;
}

bool CouldCreate(const char *static_name);

}  // namespace

// Sets the developer and program directory names behind user://.
void OVI_SetUserDirectoryNames(const char *developer, const char *program)
{
    nStringFormat(s_developer_dir, sizeof s_developer_dir, "%s", developer ? developer : "");
    nStringFormat(s_program_dir, sizeof s_program_dir, "%s", program ? program : "");
}

// The developer (0) or program (1) directory name.
const char *OVI_GetUserDirectoryName(int which)
{
    return which == 0 ? s_developer_dir : s_program_dir;
}

// Writes the root directory of every path kind.
void OVFS_ResolvePaths(void)
{
    for (int k = 0; k < OV_PATH_KINDS; k++)
        nStringFormat(ov_file_system_info.root[k], 512, "%s", k == OV_PATH_RES ? "./app/native" : "./data");
}

// Forms the native base directory of every path kind (each at most 259 characters).
void OVI_InitFileSystem(void)
{
    OVFS_ResolvePaths();
    for (int k = 0; k < OV_PATH_KINDS; k++) {
        char *b = ov_file_system_info.base[k];
        if (k == OV_PATH_USER0 || k == OV_PATH_USER)
            nStringFormat(b, 260, "%s/%s/%s", ov_file_system_info.root[k], s_developer_dir, s_program_dir);
        else
            nStringFormat(b, 260, "%s", ov_file_system_info.root[k]);
    }
}

// The root directory of a kind, null outside 0..4.
const char *OVI_GetPathRoot(int kind)
{
    return kind >= 0 && kind < OV_PATH_KINDS ? ov_file_system_info.root[kind] : nullptr;
}

// The native base directory of a kind, null outside 0..4.
const char *OVI_GetPathBase(int kind)
{
    return kind >= 0 && kind < OV_PATH_KINDS ? ov_file_system_info.base[kind] : nullptr;
}

// Replaces the native base directory of a kind (the path switches of the extension
// call); false, with nothing changed, outside 0..4, for null or above 259 characters.
bool OVI_SetPathBase(int kind, const char *native)
{
    if (kind < 0 || kind >= OV_PATH_KINDS || !native || strlen(native) > 259)
        return false;
    nStringFormat(ov_file_system_info.base[kind], 260, "%s", native);
    return true;
}

// "user://" for kinds 0 to 2, "res://" for 3 and 4, null otherwise.
const char *OV_GetPathAsPrefixString(int kind)
{
    if (kind >= 0 && kind <= 2)
        return "user://";
    if (kind == 3 || kind == 4)
        return "res://";
    return nullptr;
}

static char *GetPathExV(char *buf, int size, int kind, const char *fmt, va_list ap)
{
    if (!buf || size < 1)
        return buf;
    const char *prefix = OV_GetPathAsPrefixString(kind);
    if (!prefix) {
        buf[0] = 0;  // an unknown kind gives an empty path
        return buf;
    }
    char work[2048];
    vsnprintf(work, sizeof work, fmt ? fmt : "", ap);
    snprintf(buf, (size_t)size, "%s%s", prefix, work);
    return buf;
}

// The kind's prefix and the formatted text in the caller's buffer (at most size bytes).
char *OV_GetPathEx(char *buf, int size, int kind, const char *fmt, ...)
{
    va_list ap;
    va_start(ap, fmt);
    GetPathExV(buf, size, kind, fmt, ap);
    va_end(ap);
    return buf;
}

// The same in one of 16 rotating buffers of 260 bytes (main thread).
const char *OV_GetPath(int kind, const char *fmt, ...)
{
    static char buffers[16][260];
    static int rotation = 0;
    if (!OVT_IsMainThread())
        OV_Popupf(OV_WARNING, "Unsafe call to ORVEX interface method GetPath. Only main thread can call the method. Use GetPathEx instead.\n");
    char work[2048];
    va_list ap;
    va_start(ap, fmt);
    vsnprintf(work, sizeof work, fmt ? fmt : "", ap);
    va_end(ap);
    OVI_LockCoreMutex(OV_MUTEX_GET_PATH);
    rotation = (rotation + 1) % 16;
    char *buf = buffers[rotation];
    OV_GetPathEx(buf, 260, kind, "%s", work);
    OVI_UnlockCoreMutex(OV_MUTEX_GET_PATH);
    return buf;
}

// The text before "://" (such as res), empty when there is none or it does not fit.
void OV_GetStaticPathPrefix(char *buf, int size, const char *name)
{
    if (!buf || size < 1)
        return;
    buf[0] = 0;
    int at = StaticMarker(name);
    if (at < 0 || size < 16 || at > 16 || at >= size)
        return;  // the prefix and its terminator must fit
    memcpy(buf, name, (size_t)at);
    buf[at] = 0;
}

// True when "://" starts before index 16.
bool OV_FileNameContainsStaticPath(const char *name)
{
    int at = StaticMarker(name);
    return at >= 0 && at < 16;
}

// True for "res", "user" and "http".
bool OV_IsValidStaticPathPrefix(const char *prefix)
{
    if (!prefix || strlen(prefix) >= 16)
        return false;
    return strcmp(prefix, "res") == 0 || strcmp(prefix, "user") == 0 || strcmp(prefix, "http") == 0;
}

// True when the text before the first ':' (before index 16) is a valid prefix.
bool OV_PathContainsValidPrefix(const char *name)
{
    if (!name)
        return false;
    const char *colon = strchr(name, ':');
    if (!colon || colon - name >= 16)
        return false;
    char prefix[16];
    memcpy(prefix, name, (size_t)(colon - name));
    prefix[colon - name] = 0;
    return OV_IsValidStaticPathPrefix(prefix);
}

// False for null, a leading '/', a ':' without a valid prefix, and any "..".
bool OV_IsValidFileName(const char *name)
{
    if (!name || name[0] == '/' || strstr(name, ".."))
        return false;
    if (strchr(name, ':') && !OV_PathContainsValidPrefix(name))
        return false;
    return true;
}

// The native directory behind "res" or "user", "http" for "http", null otherwise.
const char *OV_GetStaticPathPrefixAsNativeOSPath(const char *prefix)
{
    if (!prefix)
        return nullptr;
    if (strcmp(prefix, "res") == 0)
        return ov_file_system_info.base[OV_PATH_RES];
    if (strcmp(prefix, "user") == 0)
        return ov_file_system_info.base[OV_PATH_USER];
    if (strcmp(prefix, "http") == 0)
        return "http";
    return nullptr;
}

// New heap string of the native path behind a static name; null when it has no
// recognised prefix or does not fit 512 bytes.
char *OV_ConvertStaticPathToNativeOSPath(const char *name)
{
    if (!OV_FileNameContainsStaticPath(name))
        return nullptr;
    char prefix[17];
    OV_GetStaticPathPrefix(prefix, sizeof prefix, name);
    const char *native = OV_GetStaticPathPrefixAsNativeOSPath(prefix);
    if (!native)
        return nullptr;
    char out[512];
    int n = snprintf(out, sizeof out, "%s/%s", native, strstr(name, "://") + 3);
    if (n < 0 || n >= (int)sizeof out)
        return nullptr;  // a cut path would name a different file
    return nStringDuplicate(out);
}

// New heap string of the static name of a native path under a base directory (followed
// by '/'); null when none matches or the result does not fit 512 bytes.
char *OV_ConvertNativeOSPathToStaticPath(const char *native)
{
    if (!native)
        return nullptr;
    for (int k = 0; k < OV_PATH_KINDS; k++) {
        const char *base = ov_file_system_info.base[k];
        size_t n = strlen(base);
        if (n == 0 || strncmp(native, base, n) != 0 || native[n] != '/')
            continue;
        char out[512];
        int length = snprintf(out, sizeof out, "%s%s", OV_GetPathAsPrefixString(k), native + n + 1);
        if (length < 0 || length >= (int)sizeof out)
            return nullptr;  // a cut path would name a different file
        return nStringDuplicate(out);
    }
    return nullptr;
}

// Copies with '\\' turned into '/' and every "/.." removed with the segment before it.
void OVI_NormalizeFileName(char *dst, int size, const char *src)
{
    if (!dst || !src || size < 2)
        return;
    nStringFormat(dst, (size_t)size, "%s", src);
    for (char *p = dst; *p; p++)
        if (*p == '\\')
            *p = '/';
    for (;;) {
        char *up = strstr(dst, "/..");
        if (!up)
            break;
        char *seg = up;
        while (seg > dst && seg[-1] != '/')
            seg--;
        if (seg > dst)
            seg--;  // take the '/' before the segment with it
        memmove(seg, up + 3, strlen(up + 3) + 1);
    }
}

// Collapses "." and ".." segment by segment below a kept prefix or root.
nString OVI_CollapseFileNameRelativePaths(const char *path)
{
    nString result;
    if (!path) {
        result.Set("");
        return result;
    }
    // The fixed head: a static prefix such as "res://", or the '/' of a rooted path.
    size_t head = 0;
    int marker = StaticMarker(path);
    if (marker >= 0 && marker < 16)
        head = (size_t)marker + 3;
    else if (path[0] == '/')
        head = 1;

    std::vector<std::string> kept;
    const char *p = path + head;
    for (;;) {
        const char *end = strchr(p, '/');
        std::string segment = end ? std::string(p, (size_t)(end - p)) : std::string(p);
        if (segment == "..") {
            if (!kept.empty() && kept.back() != "..")
                kept.pop_back();
            else if (head == 0)
                kept.push_back(segment);  // nothing to climb out of in a relative path
        } else if (segment != ".") {
            kept.push_back(segment);
        }
        if (!end)
            break;
        p = end + 1;
        if (!*p) {
            kept.push_back("");  // the trailing '/' stays
            break;
        }
    }

    std::string out(path, head);
    for (size_t i = 0; i < kept.size(); i++) {
        if (i)
            out += '/';
        out += kept[i];
    }
    result.Set(out.c_str());
    return result;
}

// The directory part of the path without its final '/'.
nString OV_GetExtractedFilePath(const char *path)
{
    nString result;
    result.Set("");
    if (!path)
        return result;
    const char *slash = strrchr(path, '/');
    if (!slash)
        return result;
    std::string dir(path, (size_t)(slash - path));
    result.Set(dir.c_str());
    return result;
}

// The first search path + name that exists, or (unless read_only) could be created.
const char *OVI_GetFileFullPath(const char *name, bool read_only)
{
    static char buffers[16][260];
    static int rotation = 0;
    if (!name)
        return nullptr;
    OVI_LockCoreMutex(OV_MUTEX_GET_PATH);
    rotation = (rotation + 1) % 16;
    char *buf = buffers[rotation];
    const char *result = nullptr;
    int count = OV_GetNumberOfSearchPaths();
    for (int i = 0; i < count && !result; i++) {
        int n = snprintf(buf, sizeof buffers[0], "%s%s", OV_GetSearchPath(i), name);
        if (n < 0 || n >= (int)sizeof buffers[0])
            continue;  // a cut name would point at a different file
        if (OV_FileExists(buf) || (!read_only && CouldCreate(buf)))
            result = buf;
    }
    OVI_UnlockCoreMutex(OV_MUTEX_GET_PATH);
    return result;
}

// ---- helpers

namespace {

// Whether a file of this static name could be created: its native directory exists
// and is writable, and the name is not taken by something that is not a regular file.
bool CouldCreate(const char *static_name)
{
    char *native = OV_ConvertStaticPathToNativeOSPath(static_name);
    if (!native)
        return false;
    bool ok = false;
    struct stat st;
    if (stat(native, &st) == 0) {
        ok = S_ISREG(st.st_mode) && access(native, W_OK) == 0;
    } else {
        nString dir = OV_GetExtractedFilePath(native);
        const char *d = dir.IsEmpty() ? "." : dir.Get();
        ok = stat(d, &st) == 0 && S_ISDIR(st.st_mode) && access(d, W_OK) == 0;
    }
    nStringFree(native);
    return ok;
}

}  // namespace
