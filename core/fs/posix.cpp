// The native opener: static names ("res://", "user://") opened as stdio files under
// the directory behind their prefix. Files are created with the process's usual
// permissions (the file-creation mask is left alone).
#include "core/fs/fs.h"
#include "core/fs/ovfile.h"
#include "core/ov_state.h"
#include "nstring.h"

#include <errno.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>

#include <new>

namespace {

// A stdio stream with the static name it was opened by and its native path.
class ovFilePosix : public ovFile {
public:
    ovFilePosix(char *name, char *native, long size, FILE *stream);
    bool SetPosition(long offset, int whence) override;
    long GetPosition() override;
    long GetSize() override;
    const char *GetName() override;
    bool Flush() override;
    unsigned Read(void *buffer, unsigned bytes) override;
    unsigned Write(const void *buffer, unsigned bytes) override;
    bool Close() override;

private:
    char *name_;
    char *native_;
    long size_;
    FILE *stream_;
    int write_error_ = 0;  // errno of the first failed write or flush, reported by Close
    void NoteWriteError(int error);
};

class ovFileOpenerPosix : public ovFileOpener {
public:
    ovFile *OpenFile(const char *name, const char *mode) override;
};

}  // namespace

// The native opener.
ovFileOpener *OVFS_CreatePosixOpener(void)
{
    return new (std::nothrow) ovFileOpenerPosix();
}

// Opens the native file behind the static name; the size is measured at the end and
// the stream starts at the beginning. Directories and other non-regular files refuse.
ovFile *OVFS_OpenPosixFile(const char *name, const char *mode)
{
    if (!name || !mode)
        return nullptr;
    char *native = OV_ConvertStaticPathToNativeOSPath(name);
    if (!native)
        return nullptr;
    FILE *stream = fopen(native, mode);
    struct stat st;
    if (!stream || fstat(fileno(stream), &st) != 0 || !S_ISREG(st.st_mode)) {
        int error = !stream ? errno : S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
        if (stream)
            fclose(stream);
        nStringFree(native);
        OVFS_SetFileError(error ? error : EIO);
        return nullptr;
    }
    long size = 0;
    if (fseek(stream, 0, SEEK_END) == 0)
        size = ftell(stream);
    fseek(stream, 0, SEEK_SET);
    char *copy = nStringDuplicate(name);
    ovFilePosix *file = new (std::nothrow) ovFilePosix(copy, native, size < 0 ? 0 : size, stream);
    if (!file) {
        fclose(stream);
        nStringFree(copy);
        nStringFree(native);
    }
    return file;
}

// ---- the file and the opener

namespace {

ovFilePosix::ovFilePosix(char *name, char *native, long size, FILE *stream)
    : name_(name), native_(native), size_(size), stream_(stream)
{
}

bool ovFilePosix::SetPosition(long offset, int whence)
{
    static const int kWhence[] = {SEEK_SET, SEEK_CUR, SEEK_END};
    if (whence < 0 || whence > 2)
        return false;
    return fseek(stream_, offset, kWhence[whence]) == 0;
}

long ovFilePosix::GetPosition()
{
    return ftell(stream_);
}

long ovFilePosix::GetSize()
{
    return size_;
}

const char *ovFilePosix::GetName()
{
    return name_;
}

// A failed flush is where a full disk usually shows (the writes before it only filled
// the stream's buffer): its reason is kept, since stdio drops the buffer and the close
// that follows succeeds with nothing left to write.
bool ovFilePosix::Flush()
{
    errno = 0;
    if (fflush(stream_) == 0)
        return true;
    NoteWriteError(errno);
    return false;
}

void ovFilePosix::NoteWriteError(int error)
{
    if (!write_error_)
        write_error_ = error ? error : EIO;
    OVFS_SetFileError(write_error_);
}

unsigned ovFilePosix::Read(void *buffer, unsigned bytes)
{
    return (unsigned)fread(buffer, 1, bytes, stream_);
}

unsigned ovFilePosix::Write(const void *buffer, unsigned bytes)
{
    errno = 0;
    unsigned written = (unsigned)fwrite(buffer, 1, bytes, stream_);
    if (written < bytes)
        NoteWriteError(errno);
    return written;
}

// A stream that saw a write error, or whose last buffered bytes cannot be written,
// closes with failure and a log line: a full disk must not pass for a saved file.
bool ovFilePosix::Close()
{
    bool ok = !ferror(stream_);
    int err = write_error_;
    errno = 0;
    if (fclose(stream_) != 0) {
        ok = false;
        if (!err)
            err = errno;
    }
    if (!ok) {
        OV_PrintDebugf(OV_ERROR, "Unable to finish writing '%s': %s\n", name_, strerror(err ? err : EIO));
        OVFS_SetFileError(err ? err : EIO);
    }
    nStringFree(name_);
    nStringFree(native_);
    delete this;
    return ok;
}

ovFile *ovFileOpenerPosix::OpenFile(const char *name, const char *mode)
{
    return OVFS_OpenPosixFile(name, mode);
}

}  // namespace
