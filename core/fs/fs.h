// Internal calls of the file layer that cross its sources (and that its tests use):
// path utilities, the search-path list, opening without the interface checks, the
// stream twins of the interface calls, packages and directory listing.
#ifndef OV_FS_FS_H
#define OV_FS_FS_H

#include "orvex.h"
#include "nstring.h"

#include <stdio.h>

class ovFile;

// --- paths.cpp
// Collapses "." and ".." segment by segment; a static prefix or a leading '/' is kept
// and ".." never climbs above it. A ".." with nothing before it in a relative path stays.
nString OVI_CollapseFileNameRelativePaths(const char *path);
// The directory part of a path without its final '/': a/b/c.png gives a/b, dir/ gives
// dir, a name without '/' (or null) gives an empty string.
nString OV_GetExtractedFilePath(const char *path);
// The first search path + name that exists (opens for reading) or, unless read_only,
// that could be created (its directory exists and is writable). The text lives in one
// of 16 rotating buffers; null when no search path yields one.
const char *OVI_GetFileFullPath(const char *name, bool read_only);

// --- searchpaths.cpp
// Releases every search path (start and end of a run).
void OVI_ClearSearchPaths(void);

// --- files.cpp
// True when the name opens for reading.
bool OV_FileExists(const char *name);
// Opens through the openers without the name and mode checks and without counting.
struct ov_file_t *OVFS_OpenFile(const char *name, const char *mode);
// Closes a handle from OVFS_OpenFile (not counted); false when a write or the close failed.
bool OVFS_CloseFile(struct ov_file_t *file);
// The open file from the first opener that takes the name (see files.cpp).
ovFile *OV_OpenFileCore(const char *name, const char *mode);
unsigned OVFS_ReadFile(void *buffer, unsigned bytes, struct ov_file_t *file);
unsigned OVFS_fread(void *buffer, unsigned size, unsigned count, struct ov_file_t *file);
unsigned OVFS_fwrite(const void *buffer, unsigned size, unsigned count, struct ov_file_t *file);
int OVFS_fgetc(struct ov_file_t *file);
int OVFS_fseek(struct ov_file_t *file, long offset, int whence);
long OVFS_ftell(struct ov_file_t *file);
int OVFS_FlushFile(struct ov_file_t *file);
// The reason (an errno value) of the calling thread's last failed file operation: an
// open, a write, a flush, a close, a replacement or a deletion. OV_OpenFile clears it,
// so after a failed save it tells why that save failed. 0 when nothing failed.
void OVFS_SetFileError(int error);
int OVFS_GetFileError(void);

// --- replace.cpp: crash-safe replacement. A writer writes the whole new content to
// the file's ".tmp" sibling and closes it; the replacement flushes the sibling to the
// disk, renames it over the file and syncs the directory. After a crash the file is the
// old one or the new one, whole. One writer per file at a time.
// The path with ".tmp" appended (empty for a null or empty path).
nString OVFS_TempSibling(const char *path);
// Replaces the native file by its sibling. True on success; on failure (logged with the
// reason) the file is untouched and the sibling removed.
bool OVFS_ReplaceFile(const char *native_path);
// The same for a static name ("res://", "user://"); other names are refused.
bool OV_ReplaceFile(const char *name);
// Opens the sibling of a native path as a stdio stream for writing (it starts empty; the
// mode is a writing mode such as "wb"); null when it cannot. Only OVFS_FinishTempSibling
// closes it.
FILE *OVFS_OpenTempSibling(const char *native_path, const char *mode);
// Ends a write begun with OVFS_OpenTempSibling: closes the stream and, when written is
// true (the caller's own checks passed) and the stream saw no error and closed cleanly,
// replaces the file; otherwise removes the sibling and leaves the file as it was. A
// failed write or close is logged with the path and the reason. True when the file now
// holds the new content.
bool OVFS_FinishTempSibling(FILE *stream, const char *native_path, bool written);
// Opens the sibling of a static name through the engine's files for writing (a stale
// sibling is removed first); null when it cannot.
struct ov_file_t *OVFS_OpenTempSiblingFile(const char *name);
// The same as OVFS_FinishTempSibling for a file from OVFS_OpenTempSiblingFile.
bool OVFS_FinishTempSiblingFile(struct ov_file_t *file, const char *name, bool written);

// --- http.cpp: the download cache, shared with the bitmap loader's downloads.
// True when the cache file opens and is not empty; an empty one is removed.
bool OVFS_CacheFileReady(const char *cache_name);
// Writes downloaded bytes to the cache file through its ".tmp" sibling (whole or not at
// all); false on any failure, which is logged.
bool OVFS_WriteCacheFile(const char *cache_name, const void *data, unsigned bytes);

// --- packages.cpp
// Adds the comma-separated package list as "res://" search paths (see packages.cpp).
void OVI_AddPackages(const char *list, bool to_front);
// Adds the package lists the program settings stored in the engine state.
void OVI_AddPackagesDefinedInProgramParameters(void);

// --- findfiles.cpp
bool OVFS_FindFiles(ov_list_t *list, const char *directory, const char *wildcard, bool recurse_subdirs);

#endif
