// Package archives (".pak"): the record of one open archive, reading its directory,
// looking entries up, and the archive name behind a static name.
//
// Layout (numbers are unsigned 32-bit little-endian, offsets from the file start):
// magic "PAK\0V11\0", directory offset, total size (equal to the file size); at the
// directory offset the entry count, then per entry its NUL-terminated name (at most
// 511 characters) followed by data offset, data size and two words kept unread.
#ifndef OV_FS_PAK_H
#define OV_FS_PAK_H

#include <stdint.h>

struct ov_file_t;

struct pak_entry_t {
    char *name;
    uint32_t offset;
    uint32_t size;
    uint32_t extra[2];
};

struct pak_t {
    char *name;            // the archive's static name, such as res://ui.pak
    long file_size;
    pak_entry_t *entries;
    int count;
    ov_file_t *file;       // kept open while the archive is
    uint32_t dir_offset;
};

enum { PAK_MAX_NAME = 511 };

// Opens and checks an archive; false (with a message for a file that exists but is
// not a valid archive) leaves nothing open.
bool Pak_Open(pak_t *pak, const char *name);
// First entry whose name equals the given one ignoring ASCII case; null when none.
pak_entry_t *Pak_GetFileInfo(pak_t *pak, const char *name);
// Closes the archive file and releases everything; all fields become zero.
void Pak_Close(pak_t *pak);
// Heap copy of a text, null when the allocation fails.
char *pak_strdup(const char *text);

// Splits "prefix://dir/rest" into the archive name "prefix://dir.pak" (written into
// archive, at most size bytes) and rest (pointing into name). False when there is no
// "://", no '/' after the directory, an empty directory, or the name does not fit.
bool OVFS_PakArchiveName(const char *name, char *archive, int size, const char **rest);
// The open archive of that name from the pak opener's cache, opening and caching it
// on first use; null when it does not exist or was rejected (remembered for the run).
pak_t *OVFS_GetPakForPakFilename(const char *archive_name);

#endif
