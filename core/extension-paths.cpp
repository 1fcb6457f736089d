// The path switches of the extension call: "SwitchProgramBasePath" gives user:// a new
// program directory, "SwitchUserDataPath" and "SwitchSharedUserDataPath" set the native
// base directory of user path kinds 0 and 1. Every argument must stay inside the
// program's working directory: no "..", not absolute, and short enough for its buffer.
#include "core/extension.h"

#include "core/ov_state.h"
#include "nstring.h"

#include <string.h>

namespace {

// Longest program directory name and longest native base directory.
const size_t kMaxProgramName = 31;
const size_t kMaxBaseDirectory = 259;

// True for a non-empty relative path without ".." of at most max_length characters.
bool StaysInside(const char *path, size_t max_length);

}  // namespace

// Makes the title the program directory of user:// (sanitised like the record's title).
void OVI_SwitchProgramBasePath(const char *title)
{
    if (!StaysInside(title, kMaxProgramName)) {
        OV_PrintDebugf(OV_WARNING, "SwitchProgramBasePath new path parameter invalid.\n");
        return;
    }
    char program[32], developer[32];
    OVI_ProgramDirName(title, program);
    // The developer name is copied first: setting the names rewrites its buffer.
    nStringFormat(developer, sizeof developer, "%s", OVI_GetUserDirectoryName(0));
    OVI_SetUserDirectoryNames(developer, program);
    OVI_InitFileSystem();
    // As at start-up, the program's user directory exists before anything is saved.
    OVFS_CreateDirectory(OVI_GetPathBase(OV_PATH_USER));
    OV_PrintDebugf(OV_INFO, "Program base path switched to '%s'.\n", OVI_GetPathBase(OV_PATH_USER));
    if (ov_state.logging && ov)
        ov->OV_CreateDirectory("user://logs");
}

// Makes the path the native base directory of user path kind 0 or 1.
void OVI_SwitchUserDataPath(const char *command, int kind, const char *path)
{
    if (!StaysInside(path, kMaxBaseDirectory) || !OVI_SetPathBase(kind, path)) {
        OV_PrintDebugf(OV_WARNING, "%s new path parameter invalid.\n", command);
        return;
    }
    OV_PrintDebugf(OV_INFO, "%s: user path kind %d is now '%s'.\n", command, kind, path);
}

namespace {

bool StaysInside(const char *path, size_t max_length)
{
    return path && path[0] && path[0] != '/' && !strstr(path, "..") && strlen(path) <= max_length;
}

}  // namespace
