// Developer edits that do not read. In developer mode the tools' saved edits under
// "user://dev-edits/" are searched before the shipped files (see tools/dev-edits.h). An
// edit that a crash, a kill or a hand cut short no longer reads: the loaders of UI
// scripts and data files then say which file and why, keep the edit aside as ".bad" and
// load the shipped file in its place, instead of running the developer's game on
// whatever the damaged edit still held.
#ifndef APP_SERVICES_DEV_EDIT_FALLBACK_H
#define APP_SERVICES_DEV_EDIT_FALLBACK_H

#include <string>

// The static name a file name opens as ("ui/x.lua" found along the search paths as
// "user://dev-edits/ui/x.lua"); empty when it does not open.
std::string OpenedFileName(const char *name);

// True for a file inside the developer edits ("user://dev-edits/...").
bool IsDevEditFile(const char *static_name);

// The damaged edit reported (an error line and the developer popup "Developer edit '%s'
// does not read (%s): the shipped file is used instead.\n" with the file and why), kept
// aside as ".bad" and removed, so that its name finds the shipped file again. True when
// it is out of the way.
bool SetDamagedDevEditAside(const char *static_name, const char *why);

#endif
