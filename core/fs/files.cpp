// Engine files: the opener list, opening by static or relative name, closing, and the
// read, write and position calls of the interface with their stream twins. Every open
// handle is counted so that the log can report files left open at exit.
#include "core/fs/fs.h"
#include "core/fs/ovfile.h"
#include "core/ov_state.h"
#include "core/services.h"
#include "narray.h"

#include <errno.h>
#include <limits.h>
#include <signal.h>
#include <stdio.h>
#include <string.h>

#include <atomic>
#include <new>

namespace {

nArray<ovFileOpener *> &Openers();
const char *MapMode(const char *mode);
void FreeOpeners();
ovFile *Inner(ov_file_t *file);

// Raised by each counted open, lowered by each close; worker threads open files too.
std::atomic<int> s_open_files{0};

// Each thread's own: a worker's failure must not be taken for the main thread's.
thread_local int t_file_error = 0;

}  // namespace

// Creates the openers in the order pak, native, HTTP; a new run starts without search paths.
// A write past the process's file-size limit raises SIGXFSZ, which would end the program
// at once: it is ignored, so that such a write fails with EFBIG and is reported like
// any other failed write.
void OVI_InitFileOpeners(void)
{
    signal(SIGXFSZ, SIG_IGN);
    FreeOpeners();
    OVI_ClearSearchPaths();
    s_open_files = 0;
    ovFileOpener *created[] = {OVFS_CreatePakOpener(), OVFS_CreatePosixOpener(), OVFS_CreateHttpOpener()};
    for (ovFileOpener *opener : created) {
        if (opener && opener->Init())
            Openers().InsertLast(opener);
        else
            delete opener;
    }
}

// Frees every opener (closing the cached archives) and releases the search paths.
void OVI_CloseFileOpeners(void)
{
    FreeOpeners();
    OVI_ClearSearchPaths();
}

// The number of handles open through OV_OpenFile and not yet closed.
int OVI_OpenFileCount(void)
{
    return s_open_files;
}

void OVFS_SetFileError(int error)
{
    t_file_error = error;
}

int OVFS_GetFileError(void)
{
    return t_file_error;
}

// Opens a file by static or relative name after checking the name and the mode.
struct ov_file_t *OV_OpenFile(const char *name, const char *mode)
{
    t_file_error = 0;
    if (!OV_IsValidFileName(name)) {
        OV_Popupf(OV_WARNING,
                  "ov->OpenFile: Illegal file name '%s'.\nValid name can start with either res://, user://, or relative path like ('ui/').",
                  name ? name : "(null)");
        t_file_error = EINVAL;
        return nullptr;
    }
    const char *binary = MapMode(mode);
    if (!binary) {
        OV_Popupf(OV_WARNING,
                  "ov->OpenFile: Illegal mode '%s' while opening file '%s'\nValid modes are read (\"r\"), write (\"w\"), and append (\"a\").\n",
                  mode ? mode : "(null)", name);
        t_file_error = EINVAL;
        return nullptr;
    }
    ov_file_t *file = OVFS_OpenFile(name, binary);
    if (file)
        s_open_files++;
    return file;
}

// Opens through the openers without checks or counting; the handle carries name and size.
ov_file_t *OVFS_OpenFile(const char *name, const char *mode)
{
    if (!name)
        return nullptr;
    ovFile *inner = OV_OpenFileCore(name, mode);
    if (!inner)
        return nullptr;
    ov_file_t *file = new (std::nothrow) ov_file_t{inner->GetName(), inner->GetSize(), inner};
    if (!file)
        inner->Close();
    return file;
}

// Closes a handle from OVFS_OpenFile without touching the count; false when a write
// or the close failed.
bool OVFS_CloseFile(ov_file_t *file)
{
    if (!file)
        return true;
    bool ok = file->file ? file->file->Close() : true;
    delete file;
    return ok;
}

// A static name goes to each opener in turn. A relative name opens only for reading:
// for each search path in order, the full name is offered to each opener that takes
// search paths, so a package archive is tried before the plain directory.
ovFile *OV_OpenFileCore(const char *name, const char *mode)
{
    if (!name || !mode)
        return nullptr;
    nArray<ovFileOpener *> &openers = Openers();
    if (OV_FileNameContainsStaticPath(name)) {
        for (int i = 0; i < openers.Count(); i++)
            if (ovFile *f = openers[i]->OpenFile(name, mode))
                return f;
        return nullptr;
    }
    if (strcmp(mode, "rb") != 0)
        return nullptr;
    int paths = OV_GetNumberOfSearchPaths();
    for (int p = 0; p < paths; p++) {
        char full[512];
        int n = snprintf(full, sizeof full, "%s%s", OV_GetSearchPath(p), name);
        if (n < 0 || n >= (int)sizeof full)
            continue;  // a cut name would point at a different file
        for (int i = 0; i < openers.Count(); i++) {
            if (!openers[i]->AllowSearchPaths())
                continue;
            if (ovFile *f = openers[i]->OpenFile(full, mode))
                return f;
        }
    }
    return nullptr;
}

// Closes a handle and releases it. The result is 0, or -1 when something written
// through the handle did not reach the file (a write error or a failed close), as
// fclose reports it: a writer checks it before it counts its file as saved.
int OV_CloseFile(struct ov_file_t *f)
{
    if (!f)
        return 0;
    int before = s_open_files.fetch_sub(1);
    if (before - 1 < 0) {
        OV_Popupf(OV_WARNING, "CloseFile closing too many file handles!\n");
        if (before < 0)
            OV_PrintDebugf(OV_WARNING, "CloseFile closing too many file handles!\n");
    }
    if (!f->file) {
        OV_Popupf(OV_WARNING, "CloseFile: inner file should always exist!\n");
        delete f;
        return 0;
    }
    bool ok = f->file->Close();
    delete f;
    return ok ? 0 : -1;
}

// True when the name opens for reading (the file is closed again at once).
bool OV_FileExists(const char *name)
{
    if (!name)
        return false;
    ov_file_t *f = OV_OpenFile(name, "rb");
    if (!f)
        return false;
    OV_CloseFile(f);
    return true;
}

// Bytes read.
unsigned OV_ReadFile(void *buf, unsigned size, struct ov_file_t *f)
{
    return OVFS_ReadFile(buf, size, f);
}

// Bytes written.
unsigned OV_WriteFile(const void *buf, unsigned size, struct ov_file_t *f)
{
    return OVFS_fwrite(buf, size, 1, f);
}

// Flushes buffered writes; 1 on success.
int OV_FlushFile(struct ov_file_t *f)
{
    return OVFS_FlushFile(f);
}

// The current position, -1 for a null handle.
long OV_GetFilePosition(struct ov_file_t *f)
{
    return OVFS_ftell(f);
}

// Moves the position (whence 0 start, 1 current, 2 end); 1 on success.
int OV_SetFilePosition(struct ov_file_t *f, long offset, int origin)
{
    return OVFS_fseek(f, offset, origin);
}

// The next byte (0 to 255), 0 at the end of the file.
int OV_fgetc(struct ov_file_t *f)
{
    return OVFS_fgetc(f);
}

// Moves the position (whence 0 start, 1 current, 2 end); 1 on success.
int OV_fseek(struct ov_file_t *f, long offset, int origin)
{
    return OVFS_fseek(f, offset, origin);
}

// The current position, -1 for a null handle.
long OV_ftell(struct ov_file_t *f)
{
    return OVFS_ftell(f);
}

// Reads size x count bytes; returns the bytes read, not elements.
unsigned OV_fread(void *buf, unsigned size, unsigned count, struct ov_file_t *f)
{
    return OVFS_fread(buf, size, count, f);
}

// Writes size x count bytes; returns the bytes written, not elements.
unsigned OV_fwrite(const void *buf, unsigned size, unsigned count, struct ov_file_t *f)
{
    return OVFS_fwrite(buf, size, count, f);
}

// Reads up to bytes; the bytes read.
unsigned OVFS_ReadFile(void *buffer, unsigned bytes, ov_file_t *file)
{
    ovFile *inner = Inner(file);
    return inner && buffer ? inner->Read(buffer, bytes) : 0;
}

// Reads size x count bytes; the bytes read (nothing when that does not fit an unsigned).
unsigned OVFS_fread(void *buffer, unsigned size, unsigned count, ov_file_t *file)
{
    unsigned long long bytes = (unsigned long long)size * count;
    if (bytes > UINT_MAX)
        return 0;
    return OVFS_ReadFile(buffer, (unsigned)bytes, file);
}

// Writes size x count bytes; the bytes written (nothing when that does not fit an unsigned).
unsigned OVFS_fwrite(const void *buffer, unsigned size, unsigned count, ov_file_t *file)
{
    ovFile *inner = Inner(file);
    unsigned long long bytes = (unsigned long long)size * count;
    if (!inner || !buffer || bytes > UINT_MAX)
        return 0;
    return inner->Write(buffer, (unsigned)bytes);
}

// One byte read into a zeroed value: 0 to 255, and 0 at the end of the file.
int OVFS_fgetc(ov_file_t *file)
{
    ovFile *inner = Inner(file);
    unsigned char byte = 0;
    if (inner)
        inner->Read(&byte, 1);
    return byte;
}

// Moves the position; 1 on success.
int OVFS_fseek(ov_file_t *file, long offset, int whence)
{
    ovFile *inner = Inner(file);
    return inner && inner->SetPosition(offset, whence) ? 1 : 0;
}

// The position; -1 for a null handle.
long OVFS_ftell(ov_file_t *file)
{
    ovFile *inner = Inner(file);
    return inner ? inner->GetPosition() : -1;
}

// Flushes; 1 on success.
int OVFS_FlushFile(ov_file_t *file)
{
    ovFile *inner = Inner(file);
    return inner && inner->Flush() ? 1 : 0;
}

// ---- helpers

namespace {

// The openers in the order they are asked.
nArray<ovFileOpener *> &Openers()
{
    static nArray<ovFileOpener *> openers;
    return openers;
}

// "r", "w", "a" and their binary forms become the binary form; anything else null.
const char *MapMode(const char *mode)
{
    if (!mode)
        return nullptr;
    static const char *const kModes[][2] = {{"r", "rb"}, {"w", "wb"}, {"a", "ab"}, {"rb", "rb"}, {"wb", "wb"}, {"ab", "ab"}};
    for (const auto &m : kModes)
        if (strcmp(mode, m[0]) == 0)
            return m[1];
    return nullptr;
}

// Frees and deletes every opener.
void FreeOpeners()
{
    nArray<ovFileOpener *> &openers = Openers();
    for (int i = 0; i < openers.Count(); i++) {
        openers[i]->Free();
        delete openers[i];
    }
    openers.Clear();
}

// The open file behind a handle; null for a null handle.
ovFile *Inner(ov_file_t *file)
{
    return file ? file->file : nullptr;
}

}  // namespace
