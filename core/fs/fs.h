// Internal calls of the file layer that cross its sources (and that its tests use):
// path utilities, the search-path list, opening without the interface checks, the
// stream twins of the interface calls, packages and directory listing.
#ifndef OV_FS_FS_H
#define OV_FS_FS_H

#include "orvex.h"
#include "nstring.h"

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
// Closes a handle from OVFS_OpenFile (not counted).
void OVFS_CloseFile(struct ov_file_t *file);
// The open file from the first opener that takes the name (see files.cpp).
ovFile *OV_OpenFileCore(const char *name, const char *mode);
unsigned OVFS_ReadFile(void *buffer, unsigned bytes, struct ov_file_t *file);
unsigned OVFS_fread(void *buffer, unsigned size, unsigned count, struct ov_file_t *file);
unsigned OVFS_fwrite(const void *buffer, unsigned size, unsigned count, struct ov_file_t *file);
int OVFS_fgetc(struct ov_file_t *file);
int OVFS_fseek(struct ov_file_t *file, long offset, int whence);
long OVFS_ftell(struct ov_file_t *file);
int OVFS_FlushFile(struct ov_file_t *file);

// --- packages.cpp
// Adds the comma-separated package list as "res://" search paths (see packages.cpp).
void OVI_AddPackages(const char *list, bool to_front);
// Adds the package lists the program settings stored in the engine state.
void OVI_AddPackagesDefinedInProgramParameters(void);

// --- findfiles.cpp
bool OVFS_FindFiles(ov_list_t *list, const char *directory, const char *wildcard, bool recurse_subdirs);

#endif
