// File helpers of the application services: reading a whole engine file, writing a
// player file so that a crash or a full disk never leaves it half written, and keeping
// a copy of a damaged player file before it is overwritten.
//
// Every name is an engine file name (res://, user:// or along the search paths for
// reading). Thread-safe as far as the engine's file calls are.
#ifndef APP_SERVICES_FILEHELPERS_H
#define APP_SERVICES_FILEHELPERS_H

#include <stddef.h>

#include <string>

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
// or "Unable to write file '%s'.\n" (anything later), and the report of
// ReportFailedSave with the reason (with players_data false, for files that are not
// the player's progress, only its error line).
bool SaveFileReplacing(const char *name, const void *data, size_t size, bool players_data = true);

// Why the calling thread's last file operation failed, as the engine's "LastFileError"
// words it ("No space left on device"); "unknown error" when the engine does not say.
std::string LastFileErrorText();

// Reports a failed write (or delete) of a file: the error line "Unable to save '%s':
// %s\n" (name, reason) in every mode, counted in the log's summary; and when the file is
// the player's (a "user://" name) the notice for the player "Your progress could not be
// saved: <reason>", kept until the screens show it, once per run. Any thread.
void ReportFailedSave(const char *name, const char *reason);
// The error line alone, for a file that is not the player's progress.
void ReportFailedWrite(const char *name, const char *reason);

// Hands over the player's notice of a failed save, once per run: true with the text
// when one waits (the screens show it), false otherwise.
bool TakeFailedSaveNotice(std::string *text);

// A new run (the service manager's start): no notice waits and the next failed save of
// a player file raises one again.
void ResetFailedSaveNotice();

// Creates the folder that holds the file (e.g. "user://user" for "user://user/x.dat"),
// which need not exist on a fresh device; nothing for a name without a folder.
void CreateFolderOf(const char *name);

// Copies a damaged file aside as "<name>.bad" (or ".bad2", ".bad3", ... the first name
// that does not exist yet) and logs where it went; the copy's name goes to kept_as
// when given. False when the file does not read or no copy could be written.
bool KeepDamagedCopy(const char *name, nString *kept_as = nullptr);

#endif
