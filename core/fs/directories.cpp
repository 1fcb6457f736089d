// Creating directories (with their missing parents) and deleting files by static name.
#include "core/fs/fs.h"
#include "core/ov_state.h"
#include "nstring.h"

#include <errno.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

int OVFS_MakeDirectories(const char *native_path, bool *created, int *error)
{
    if (created)
        *created = false;
    if (error)
        *error = 0;
    if (!native_path)
        return 0;
    char buf[260];
    nStringFormat(buf, sizeof buf, "%s", native_path);
    size_t n = strlen(buf);
    if (n <= 5) {
        if (error)
            *error = EINVAL;
        return 0;
    }
    if (buf[n - 1] != '/' && n + 1 < sizeof buf) {
        buf[n] = '/';
        buf[n + 1] = 0;
    }
    OVI_LockCoreMutex(OV_MUTEX_CREATE_DIR);
    char last[260] = "";
    bool made_last = false;
    int first_error = 0;
    for (size_t i = 5; buf[i]; i++) {
        if (buf[i] != '/')
            continue;
        buf[i] = 0;
        // The process umask still applies: nothing is made world-writable.
        made_last = mkdir(buf, 0777) == 0;
        if (!made_last && errno != EEXIST && first_error == 0)
            first_error = errno;
        nStringFormat(last, sizeof last, "%s", buf);
        buf[i] = '/';
    }
    struct stat st;
    bool exists = last[0] && stat(last, &st) == 0 && S_ISDIR(st.st_mode);
    if (!exists && first_error == 0)
        first_error = last[0] ? ENOTDIR : EINVAL;  // a file of that name stands in the way
    OVI_UnlockCoreMutex(OV_MUTEX_CREATE_DIR);
    if (created)
        *created = exists && made_last;
    if (error)
        *error = exists ? 0 : first_error;
    return exists;
}

int OVFS_CreateDirectory(const char *native_path)
{
    bool created = false;
    int error = 0;
    int ok = OVFS_MakeDirectories(native_path, &created, &error);
    if (native_path && (created || !ok)) {
        int n = (int)strlen(native_path);
        if (n > 1 && native_path[n - 1] == '/')
            n--;  // named without the final '/'
        if (created)
            OV_PrintDebugf(OV_SYSTEM, "Creating Directory: '%.*s'..\n", n, native_path);
        else
            OV_PrintDebugf(OV_ERROR, "Unable to create directory '%.*s': %s.\n", n, native_path, strerror(error));
    }
    errno = error;
    return ok;
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
    if (!native) {
        OVFS_SetFileError(EINVAL);
        return 0;
    }
    int ok = unlink(native) == 0;
    OVFS_SetFileError(ok ? 0 : errno);
    nStringFree(native);
    return ok;
}
