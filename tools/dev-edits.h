// Where the developer tools write their files, and how.
//
// The running game never writes into res:// (the read-only program directory): every
// file a tool saves goes to "user://dev-edits/" plus its content-relative name
// ("ui/main-menu.lua", "terrain-export.xml"). In developer mode the service manager
// searches that folder before the program directory, so the next developer run loads
// the edits (an edit that no longer reads is set aside as ".bad" and the shipped file
// used: app/services/dev-edit-fallback.h); `scripts/dev-edits.sh` diffs them against
// content/ and copies them back.
//
// A write never leaves a half-written file: the bytes go to "<path>.tmp" (every write,
// the flush and the close checked), the old file is copied to "<path>.bak", and the
// engine's "ReplaceFile" command puts the temp in place (it syncs it to the disk). On
// any failure the temp is removed and the old file (and its ".bak") stay as they were.
// Main thread only.
#ifndef TOOLS_DEV_EDITS_H
#define TOOLS_DEV_EDITS_H

#include <stddef.h>

#include <string>

// The folder every edit lands in, with its trailing '/'.
extern const char kDevEditsFolder[];  // "user://dev-edits/"

// The longest content-relative name accepted, exclusive.
const size_t kDevEditMaxName = 512;

// True when the content-relative name may be written: not empty, not absolute (no
// leading '/' or '\\', no "scheme://", no drive letter), no ".." path component, and
// shorter than 512 characters.
bool DevEditNameAllowed(const char *relative);

// "user://dev-edits/<relative>", or the empty text when the name is not allowed.
std::string DevEditPath(const char *relative);

// Writes size bytes as the file "user://dev-edits/<relative>", creating its folders.
// True when the new file is in place. False on a refused name or any failed step,
// after the developer popup at level 1 of failure_format, with as
// its one "%s" (e.g. "Unable to save to file '%s'.\n"): the destination path, or the
// name itself when it was refused. The old file and its ".bak" are kept then.
bool WriteDevEdit(const char *relative, const void *data, size_t size, const char *failure_format);
inline bool WriteDevEdit(const char *relative, const std::string &text, const char *failure_format)
{
    return WriteDevEdit(relative, text.data(), text.size(), failure_format);
}

#endif
