// The package-archive opener: a static name "prefix://dir/rest" is looked for as the
// entry rest of the archive "prefix://dir.pak". Archives are opened on first use and
// cached for the run (a missing or rejected one as null, so it is never tried again);
// each opened entry reads through its own handle on the archive, bounded to the entry.
#include "core/fs/ovfile.h"
#include "core/fs/pak.h"
#include "core/ov_state.h"
#include "core/services.h"
#include "nmap.h"
#include "nstring.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <mutex>
#include <new>

namespace {

// One entry of an archive, read through a handle of its own on the archive file.
// Reads and seeks stay inside the entry.
class ovFilePakFile : public ovFile {
public:
    ovFilePakFile(char *name, char *native, uint32_t size, uint32_t offset, ov_file_t *archive);
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
    uint32_t size_;
    uint32_t offset_;
    ov_file_t *archive_;
};

// The opener with its cache of archives by name.
class ovFileOpenerPak : public ovFileOpener {
public:
    ~ovFileOpenerPak() override;
    ovFile *OpenFile(const char *name, const char *mode) override;
    void Free() override;
    pak_t *GetPakForPakFilename(const char *archive_name);

private:
    nMap<pak_t *> paks_;
    // Worker threads open files too; opening an archive may open another one (an
    // archive inside an archive directory), hence recursive.
    std::recursive_mutex lock_;
};

// The opener that directory listing reads archives through.
ovFileOpenerPak *s_pak_opener = nullptr;

}  // namespace

// The package-archive opener; the last one created also serves directory listing.
ovFileOpener *OVFS_CreatePakOpener(void)
{
    ovFileOpenerPak *opener = new (std::nothrow) ovFileOpenerPak();
    if (opener)
        s_pak_opener = opener;
    return opener;
}

// The archive behind "prefix://dir/rest" and the rest of the name.
bool OVFS_PakArchiveName(const char *name, char *archive, int size, const char **rest)
{
    if (!name || !archive || size < 1)
        return false;
    const char *marker = strstr(name, "://");
    if (!marker)
        return false;
    const char *dir = marker + 3;
    const char *slash = strchr(dir, '/');
    if (!slash || slash == dir)
        return false;
    int dir_length = (int)(slash - dir);
    if (dir_length + 4 >= 512)
        return false;
    int n = snprintf(archive, (size_t)size, "%.*s%.*s.pak", (int)(dir - name), name, dir_length, dir);
    if (n < 0 || n >= size)
        return false;
    if (rest)
        *rest = slash + 1;
    return true;
}

// The cached (or newly opened) archive of that name; null when there is none.
pak_t *OVFS_GetPakForPakFilename(const char *archive_name)
{
    if (!archive_name || !s_pak_opener)
        return nullptr;
    return s_pak_opener->GetPakForPakFilename(archive_name);
}

// ---- the entry file and the opener

namespace {

ovFilePakFile::ovFilePakFile(char *name, char *native, uint32_t size, uint32_t offset, ov_file_t *archive)
    : name_(name), native_(native), size_(size), offset_(offset), archive_(archive)
{
}

// Targets outside 0..size are refused.
bool ovFilePakFile::SetPosition(long offset, int whence)
{
    long base;
    switch (whence) {
    case 0: base = 0; break;
    case 1: base = GetPosition(); break;
    case 2: base = (long)size_; break;
    default: return false;
    }
    long target = base + offset;
    if (base < 0 || target < 0 || target > (long)size_)
        return false;
    return OV_fseek(archive_, (long)offset_ + target, 0) != 0;
}

long ovFilePakFile::GetPosition()
{
    return OV_ftell(archive_) - (long)offset_;
}

long ovFilePakFile::GetSize()
{
    return (long)size_;
}

const char *ovFilePakFile::GetName()
{
    return name_;
}

bool ovFilePakFile::Flush()
{
    return true;  // nothing is ever written
}

// Reads at most up to the end of the entry.
unsigned ovFilePakFile::Read(void *buffer, unsigned bytes)
{
    long position = GetPosition();
    if (position < 0 || position >= (long)size_)
        return 0;
    unsigned long left = (unsigned long)((long)size_ - position);
    if (bytes > left)
        bytes = (unsigned)left;
    return OV_fread(buffer, 1, bytes, archive_);
}

unsigned ovFilePakFile::Write(const void *, unsigned)
{
    return 0;
}

bool ovFilePakFile::Close()
{
    bool ok = OV_CloseFile(archive_) == 0;
    free(name_);
    nStringFree(native_);
    delete this;
    return ok;
}

ovFileOpenerPak::~ovFileOpenerPak()
{
    Free();
    if (s_pak_opener == this)
        s_pak_opener = nullptr;
}

// Only "rb" of a static name with a directory level; the entry is positioned at its start.
ovFile *ovFileOpenerPak::OpenFile(const char *name, const char *mode)
{
    if (!name || !mode || strcmp(mode, "rb") != 0 || strncmp(name, "http://", 7) == 0)
        return nullptr;
    if (strlen(name) > PAK_MAX_NAME)
        return nullptr;
    char archive_name[512];
    const char *entry_name;
    if (!OVFS_PakArchiveName(name, archive_name, sizeof archive_name, &entry_name))
        return nullptr;
    pak_t *pak = GetPakForPakFilename(archive_name);
    pak_entry_t *entry = Pak_GetFileInfo(pak, entry_name);
    if (!entry)
        return nullptr;
    ov_file_t *handle = OV_OpenFile(archive_name, "rb");
    if (!handle)
        return nullptr;
    char *copy = pak_strdup(entry_name);
    char *native = OV_ConvertStaticPathToNativeOSPath(archive_name);
    ovFilePakFile *file = copy ? new (std::nothrow) ovFilePakFile(copy, native, entry->size, entry->offset, handle) : nullptr;
    if (!file) {
        OV_CloseFile(handle);
        free(copy);
        nStringFree(native);
        return nullptr;
    }
    file->SetPosition(0, 0);
    return file;
}

// Closes and deletes every cached archive.
void ovFileOpenerPak::Free()
{
    std::lock_guard<std::recursive_mutex> guard(lock_);
    for (int i = 0; i < paks_.Count(); i++) {
        pak_t *pak = paks_.ValueAt(i);
        if (pak) {
            Pak_Close(pak);
            delete pak;
        }
    }
    paks_.Clear();
}

// The cached archive, or one opened now and cached (null cached for a failure).
pak_t *ovFileOpenerPak::GetPakForPakFilename(const char *archive_name)
{
    std::lock_guard<std::recursive_mutex> guard(lock_);
    if (pak_t **cached = paks_.Find(archive_name))
        return *cached;
    pak_t *pak = new (std::nothrow) pak_t();
    if (pak && !Pak_Open(pak, archive_name)) {
        delete pak;
        pak = nullptr;
    }
    if (pak)
        OV_Printf("Opening new pak '%s'.\n", archive_name);
    paks_.AddPair(archive_name, pak);
    return pak;
}

}  // namespace
