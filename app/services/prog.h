// The program record: the application's one `ov_prog_t`, which the entry hands to the
// engine and which the services read (version, size, window mode, developer mode,
// language) and write (window mode).
#ifndef APP_SERVICES_PROG_H
#define APP_SERVICES_PROG_H

#include "orvex.h"

// Zero until the entry fills it; the engine writes its fields from then on. Read from
// any thread (single-byte flags and texts the engine sets before the services start).
extern ov_prog_t prog;

// True once the engine was asked to shut down: the record's `quit`, read with an acquire
// load (the engine stores it with release). Any thread: long-running workers poll it.
bool ProgQuitRequested();

#endif
