// Crash-safe replacement of a file. A writer puts the whole new content into the
// file's ".tmp" sibling and closes it; replacing then flushes the sibling to the disk,
// renames it over the file and syncs the directory. rename() swaps the directory entry
// in one step, so a crash or a kill at any moment leaves either the old file or the
// new one, whole, never a mix or a cut file. On failure the file is left as it was and
// the sibling removed, with a log line that names the file and the reason.
//
// Also here: the stdio and engine-file forms of "write the sibling, then replace",
// which the engine's own writers use.
#include "core/fs/fs.h"
#include "core/ov_state.h"
#include "core/services.h"
#include "nstring.h"

#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <mutex>
#include <new>
#include <unordered_map>

namespace {

const char kTempSuffix[] = ".tmp";

// Forces the data of an open descriptor to the disk; true when it is there (or when
// the file system has nothing to sync, which it says with EINVAL).
bool SyncDescriptor(int fd)
{
    while (fsync(fd) != 0) {
        if (errno == EINTR)
            continue;
        return errno == EINVAL;
    }
    return true;
}

// Syncs the directory holding the path, so that the rename itself is on the disk.
bool SyncParentDirectory(const char *native_path)
{
    nString dir = OV_GetExtractedFilePath(native_path);
    const char *d = dir.IsEmpty() ? (native_path[0] == '/' ? "/" : ".") : dir.Get();
    int fd = open(d, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    bool ok = SyncDescriptor(fd);
    close(fd);
    return ok;
}

// The descriptor behind a sibling's stream and the errno of its first failed call.
struct SiblingCookie {
    int fd;
    int error;
};

std::mutex s_cookies_lock;
// The open sibling streams and their cookies (the stream does not hand its cookie back).
std::unordered_map<FILE *, SiblingCookie *> &Cookies()
{
    static std::unordered_map<FILE *, SiblingCookie *> cookies;
    return cookies;
}

ssize_t CookieWrite(void *c, const char *buf, size_t size)
{
    SiblingCookie *cookie = (SiblingCookie *)c;
    size_t done = 0;
    while (done < size) {
        ssize_t n = write(cookie->fd, buf + done, size - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (!cookie->error)
                cookie->error = n < 0 ? errno : EIO;
            break;
        }
        done += (size_t)n;
    }
    return (ssize_t)done;  // short: the stream marks its error
}

int CookieSeek(void *c, off64_t *offset, int whence)
{
    off_t at = lseek(((SiblingCookie *)c)->fd, (off_t)*offset, whence);
    if (at == (off_t)-1)
        return -1;
    *offset = at;
    return 0;
}

int CookieClose(void *c)
{
    SiblingCookie *cookie = (SiblingCookie *)c;
    if (close(cookie->fd) != 0 && !cookie->error)
        cookie->error = errno;
    return cookie->error ? -1 : 0;
}

// Logs why a replacement failed and removes the sibling; always false.
bool Refuse(const char *native_path, const char *temp, const char *what, int err)
{
    OV_PrintDebugf(OV_ERROR, "ReplaceFile: %s '%s' for '%s': %s. The file is unchanged.\n", what, temp, native_path,
                   strerror(err));
    unlink(temp);
    OVFS_SetFileError(err);
    return false;
}

}  // namespace

// The path with ".tmp" appended; empty for a null or empty path.
nString OVFS_TempSibling(const char *path)
{
    nString temp;
    if (path && path[0]) {
        temp.Set(path);
        temp.Append(kTempSuffix);
    }
    return temp;
}

// Replaces the native file by its written and closed ".tmp" sibling (see the top).
bool OVFS_ReplaceFile(const char *native_path)
{
    if (!native_path || !native_path[0])
        return false;
    nString temp = OVFS_TempSibling(native_path);
    int fd = open(temp.Get(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        int error = errno;
        OV_PrintDebugf(OV_ERROR, "ReplaceFile: no written file '%s' for '%s': %s. The file is unchanged.\n", temp.Get(),
                       native_path, strerror(error));
        OVFS_SetFileError(error);
        return false;
    }
    struct stat st;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        close(fd);
        OV_PrintDebugf(OV_ERROR, "ReplaceFile: '%s' is not a regular file. The file '%s' is unchanged.\n", temp.Get(),
                       native_path);
        OVFS_SetFileError(EINVAL);
        return false;  // not ours to remove
    }
    bool synced = SyncDescriptor(fd);
    int sync_error = errno;
    close(fd);
    if (!synced)
        return Refuse(native_path, temp.Get(), "unable to flush", sync_error);
    if (rename(temp.Get(), native_path) != 0)
        return Refuse(native_path, temp.Get(), "unable to rename", errno);
    // The new content is in place and whole; only its survival of a power cut is in
    // doubt when the directory cannot be synced, so that is a warning, not a failure.
    if (!SyncParentDirectory(native_path))
        OV_PrintDebugf(OV_WARNING, "ReplaceFile: unable to sync the folder of '%s': %s\n", native_path, strerror(errno));
    return true;
}

// Replaces the file behind a static name ("res://", "user://") by its ".tmp" sibling.
bool OV_ReplaceFile(const char *name)
{
    if (!OV_IsValidFileName(name) || !OV_FileNameContainsStaticPath(name) || strncmp(name, "http://", 7) == 0) {
        OV_PrintDebugf(OV_ERROR, "ReplaceFile: '%s' does not name a writable engine file.\n", name ? name : "(null)");
        OVFS_SetFileError(EINVAL);
        return false;
    }
    char *native = OV_ConvertStaticPathToNativeOSPath(name);
    if (!native) {
        OV_PrintDebugf(OV_ERROR, "ReplaceFile: '%s' does not name a writable engine file.\n", name);
        OVFS_SetFileError(EINVAL);
        return false;
    }
    bool ok = OVFS_ReplaceFile(native);
    nStringFree(native);
    return ok;
}

// Opens the ".tmp" sibling of a native path with stdio for writing (the mode only
// says writing: the sibling always starts empty). The stream writes through a cookie
// that keeps the reason of the first failed write: by the time the writer notices, a
// codec library or later calls have long overwritten errno.
FILE *OVFS_OpenTempSibling(const char *native_path, const char *mode)
{
    nString temp = OVFS_TempSibling(native_path);
    if (temp.IsEmpty() || !mode)
        return nullptr;
    // A sibling left by a crashed save is removed first; the new one is created afresh
    // and never through a link, so the write lands in the sibling itself.
    unlink(temp.Get());
    int fd = open(temp.Get(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd < 0)
        return nullptr;
    SiblingCookie *cookie = new (std::nothrow) SiblingCookie{fd, 0};
    cookie_io_functions_t io = {nullptr, CookieWrite, CookieSeek, CookieClose};
    FILE *stream = cookie ? fopencookie(cookie, "w", io) : nullptr;
    if (!stream) {
        close(fd);
        delete cookie;
        unlink(temp.Get());
        return nullptr;
    }
    std::lock_guard<std::mutex> lock(s_cookies_lock);
    Cookies()[stream] = cookie;
    return stream;
}

// Ends a write begun with OVFS_OpenTempSibling (see fs.h).
bool OVFS_FinishTempSibling(FILE *stream, const char *native_path, bool written)
{
    if (!stream)
        return false;
    SiblingCookie *cookie = nullptr;
    {
        std::lock_guard<std::mutex> lock(s_cookies_lock);
        auto it = Cookies().find(stream);
        if (it != Cookies().end()) {
            cookie = it->second;
            Cookies().erase(it);
        }
    }
    nString temp = OVFS_TempSibling(native_path);
    bool failed = fflush(stream) != 0 || ferror(stream);
    if (fclose(stream) != 0)
        failed = true;
    int err = cookie ? cookie->error : 0;
    delete cookie;
    if (failed || !written) {
        if (failed)
            OV_PrintDebugf(OV_ERROR, "Unable to write file '%s': %s. The file is unchanged.\n", native_path,
                           strerror(err ? err : EIO));
        unlink(temp.Get());
        return false;
    }
    return OVFS_ReplaceFile(native_path);
}

// Opens the ".tmp" sibling of a static name for writing through the engine's files,
// after removing a sibling a crashed save left (it may be anything, even a link).
struct ov_file_t *OVFS_OpenTempSiblingFile(const char *name)
{
    nString temp = OVFS_TempSibling(name);
    if (temp.IsEmpty())
        return nullptr;
    OV_DeleteFile(temp.Get());
    return OV_OpenFile(temp.Get(), "wb");
}

// Ends a write begun by opening the ".tmp" sibling of a static name (see fs.h).
bool OVFS_FinishTempSiblingFile(struct ov_file_t *file, const char *name, bool written)
{
    if (!file)
        return false;
    nString temp = OVFS_TempSibling(name);
    bool closed = OV_CloseFile(file) == 0;
    if (!closed || !written) {
        if (!closed)
            OV_PrintDebugf(OV_ERROR, "Unable to write file '%s'. The file is unchanged.\n", name);
        OV_DeleteFile(temp.Get());
        return false;
    }
    return OV_ReplaceFile(name);
}
