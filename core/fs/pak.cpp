// Reading package archives: opening a ".pak" file, checking its header and directory
// against the file, and looking entries up by name. An archive that does not hold
// together (short, inconsistent, or with names or entries outside the file) is
// rejected whole with a message, so that the plain directory is used instead.
#include "core/fs/pak.h"
#include "core/fs/ovfile.h"
#include "core/ov_state.h"
#include "core/services.h"
#include "nstring.h"

#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <new>

namespace {

const unsigned char kMagic[8] = {'P', 'A', 'K', 0, 'V', '1', '1', 0};
// The smallest directory entry: an empty name's terminator and four numbers.
const long long kMinEntryBytes = 1 + 4 * 4;

bool Reject(pak_t *pak, const char *fmt, ...) NSTRING_PRINTF(2, 3);
bool ReadU32(ov_file_t *file, uint32_t *value);
int ReadName(ov_file_t *file, char out[PAK_MAX_NAME + 1]);
bool ReadDirectory(pak_t *pak);

}  // namespace

// Opens the archive, checks magic, size, directory and entries; true on success.
bool Pak_Open(pak_t *pak, const char *name)
{
    if (!pak || !name)
        return false;
    ov_file_t *file = OV_OpenFile(name, "rb");
    if (!file)
        return false;
    memset(pak, 0, sizeof *pak);
    pak->file = file;
    pak->name = pak_strdup(name);
    if (!pak->name)
        return Reject(pak, "no memory for its name");
    pak->file_size = file->size;

    unsigned char magic[8];
    uint32_t total_size;
    if (OV_fread(magic, 1, sizeof magic, file) != sizeof magic)
        return Reject(pak, "the file is shorter than its header");
    if (memcmp(magic, kMagic, sizeof kMagic) != 0)
        return Reject(pak, "it does not begin with the package magic");
    if (!ReadU32(file, &pak->dir_offset) || !ReadU32(file, &total_size))
        return Reject(pak, "the file is shorter than its header");
    if ((long long)total_size != pak->file_size)
        return Reject(pak, "its size field says %u bytes but the file holds %ld", total_size, pak->file_size);
    return ReadDirectory(pak);
}

// The first entry named like the given name, ignoring ASCII case.
pak_entry_t *Pak_GetFileInfo(pak_t *pak, const char *name)
{
    if (!pak || !name)
        return nullptr;
    for (int i = 0; i < pak->count; i++) {
        pak_entry_t &e = pak->entries[i];
        if (e.name && e.name[0] && nStringsMatchIncaseSensitive(e.name, name))
            return &e;
    }
    return nullptr;
}

// Closes the archive file and releases names and table; the record becomes all zero.
void Pak_Close(pak_t *pak)
{
    if (!pak)
        return;
    if (pak->file)
        OV_CloseFile(pak->file);
    for (int i = 0; i < pak->count; i++)
        free(pak->entries[i].name);
    delete[] pak->entries;
    free(pak->name);
    memset(pak, 0, sizeof *pak);
}

// Heap copy (malloc) of the text; null when the text is null or memory runs out.
char *pak_strdup(const char *text)
{
    if (!text)
        return nullptr;
    size_t n = strlen(text) + 1;
    char *copy = (char *)malloc(n);
    if (copy)
        memcpy(copy, text, n);
    return copy;
}

// ---- helpers

namespace {

// Prints why the archive is refused, closes it and returns false.
bool Reject(pak_t *pak, const char *fmt, ...)
{
    char reason[600];
    va_list ap;
    va_start(ap, fmt);
    vsnprintf(reason, sizeof reason, fmt, ap);
    va_end(ap);
    OV_PrintDebugf(OV_WARNING, "Rejecting pak '%s': %s.\n", pak->name ? pak->name : "", reason);
    Pak_Close(pak);
    return false;
}

// Reads one little-endian 32-bit number; false on a short read.
bool ReadU32(ov_file_t *file, uint32_t *value)
{
    unsigned char b[4];
    if (OV_fread(b, 1, 4, file) != 4)
        return false;
    *value = (uint32_t)b[0] | (uint32_t)b[1] << 8 | (uint32_t)b[2] << 16 | (uint32_t)b[3] << 24;
    return true;
}

// Reads a NUL-terminated name of at most PAK_MAX_NAME characters into out.
// Returns 1 on success, 0 on a short read, -1 when no terminator came in time.
int ReadName(ov_file_t *file, char out[PAK_MAX_NAME + 1])
{
    for (int len = 0; len <= PAK_MAX_NAME; len++) {
        unsigned char c;
        if (OV_fread(&c, 1, 1, file) != 1)
            return 0;
        out[len] = (char)c;
        if (c == 0)
            return 1;
    }
    return -1;
}

// Reads the directory: the entry count and every entry, each checked against the file.
bool ReadDirectory(pak_t *pak)
{
    ov_file_t *f = pak->file;
    long long file_size = pak->file_size;
    if ((long long)pak->dir_offset + 4 > file_size)
        return Reject(pak, "its directory offset %u lies outside the file of %ld bytes", pak->dir_offset, pak->file_size);
    uint32_t count;
    if (!OV_fseek(f, (long)pak->dir_offset, 0) || !ReadU32(f, &count))
        return Reject(pak, "its entry count cannot be read");
    long long room = file_size - pak->dir_offset - 4;
    if ((long long)count * kMinEntryBytes > room)
        return Reject(pak, "its entry count %u does not fit in the %lld bytes after the directory offset", count, room);
    if (count > 0) {
        pak->entries = new (std::nothrow) pak_entry_t[count]();
        if (!pak->entries)
            return Reject(pak, "no memory for %u entries", count);
        pak->count = (int)count;
    }
    for (int i = 0; i < pak->count; i++) {
        char name[PAK_MAX_NAME + 1];
        int got = ReadName(f, name);
        if (got < 0)
            return Reject(pak, "the name of entry %d has no terminator within %d characters", i, PAK_MAX_NAME);
        uint32_t v[4];
        if (got == 0 || !ReadU32(f, &v[0]) || !ReadU32(f, &v[1]) || !ReadU32(f, &v[2]) || !ReadU32(f, &v[3]))
            return Reject(pak, "entry %d is cut short", i);
        if ((long long)v[0] + v[1] > file_size)
            return Reject(pak, "entry %d ('%s') at offset %u with %u bytes lies outside the file of %ld bytes", i, name, v[0], v[1],
                          pak->file_size);
        pak_entry_t &e = pak->entries[i];
        e.name = pak_strdup(name);
        if (!e.name)
            return Reject(pak, "no memory for the name of entry %d", i);
        e.offset = v[0];
        e.size = v[1];
        e.extra[0] = v[2];
        e.extra[1] = v[3];
    }
    return true;
}

}  // namespace
