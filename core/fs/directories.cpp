// Creating directories (with their missing parents) and deleting files by static name.
#include "core/ov_state.h"
#include "nstring.h"

#include <stdio.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

int OVFS_CreateDirectory(const char *native_path)
{
    if (!native_path)
        return 0;
    char buf[260];
    nStringFormat(buf, sizeof buf, "%s", native_path);
    size_t n = strlen(buf);
    if (n <= 5)
        return 0;
    if (buf[n - 1] != '/' && n + 1 < sizeof buf) {
        buf[n] = '/';
        buf[n + 1] = 0;
    }
    OVI_LockCoreMutex(OV_MUTEX_CREATE_DIR);
    char last[260] = "";
    for (size_t i = 5; buf[i]; i++) {
        if (buf[i] != '/')
            continue;
        buf[i] = 0;
        mkdir(buf, 0777);  // the process umask still applies: nothing is made world-writable
        nStringFormat(last, sizeof last, "%s", buf);
        buf[i] = '/';
    }
    OVI_UnlockCoreMutex(OV_MUTEX_CREATE_DIR);
    OV_PrintDebugf(OV_SYSTEM, "Creating Directory: '%s'..\n", last);
    struct stat st;
    return stat(last, &st) == 0 && S_ISDIR(st.st_mode);
}

int OV_CreateDirectory(const char *path)
{
    char *native = OV_ConvertStaticPathToNativeOSPath(path);
    if (!native)
        return 0;
    int ok = OVFS_CreateDirectory(native);
    nStringFree(native);
    return ok;
}

int OV_DeleteFile(const char *path)
{
    char *native = OV_ConvertStaticPathToNativeOSPath(path);
    if (!native)
        return 0;
    int ok = unlink(native) == 0;
    nStringFree(native);
    return ok;
}
