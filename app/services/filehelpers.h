// File helpers of the application services: reading a whole engine file, writing a
// player file so that a crash or a full disk never leaves it half written, and keeping
// a copy of a damaged player file before it is overwritten.
//
// Every name is an engine file name (res://, user:// or along the search paths for
// reading). Thread-safe as far as the engine's file calls are.
#ifndef APP_SERVICES_FILEHELPERS_H
#define APP_SERVICES_FILEHELPERS_H

#include <stddef.h>

class nString;

// The whole file as a malloc'd, zero-terminated block (release with free) and its
// length in *size. Null when the file does not open, cannot be read whole, or is
// larger than a 32-bit signed position can address (then *too_large is set when given).
char *ReadWholeFile(const char *name, long *size, bool *too_large = nullptr);

// True when the file opens for reading (on any search path).
bool FileOpens(const char *name);

// Writes size bytes as the new content of the file: the bytes go to the sibling named
// with ".tmp" appended (a leftover sibling is overwritten), every write, the flush and
// the close are checked, then the engine's "ReplaceFile" command puts the sibling in
// place. False with the old file untouched and the sibling deleted on any failure,
// after the popup "Unable to open file '%s' for writing.\n" (the sibling did not open)
// or "Unable to write file '%s'.\n" (anything later).
bool SaveFileReplacing(const char *name, const void *data, size_t size);

// Creates the folder that holds the file (e.g. "user://user" for "user://user/x.dat"),
// which need not exist on a fresh device; nothing for a name without a folder.
void CreateFolderOf(const char *name);

// Copies a damaged file aside as "<name>.bad" (or ".bad2", ".bad3", ... the first name
// that does not exist yet) and logs where it went; the copy's name goes to kept_as
// when given. False when the file does not read or no copy could be written.
bool KeepDamagedCopy(const char *name, nString *kept_as = nullptr);

#endif
