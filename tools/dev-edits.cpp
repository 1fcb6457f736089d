// Developer-tool file writes under "user://dev-edits/": checked temp writes, a ".bak" of
// the old file, and the engine's "ReplaceFile".
#include "tools/dev-edits.h"

#include "app/services/filehelpers.h"
#include "orvex.h"

#include <ctype.h>
#include <stdlib.h>
#include <string.h>

const char kDevEditsFolder[] = "user://dev-edits/";

namespace {

// Writes in pieces that fit the engine's unsigned count; false on any short write.
bool WriteAll(ov_file_t *file, const void *data, size_t size)
{
    const char *p = (const char *)data;
    while (size > 0) {
        unsigned chunk = size > (1u << 30) ? (1u << 30) : (unsigned)size;
        if (ov->OV_WriteFile(p, chunk, file) != chunk)
            return false;
        p += chunk;
        size -= chunk;
    }
    return true;
}

// Writes "<path>.tmp" whole; the temp is removed again when any step fails.
bool WriteTemp(const std::string &path, const void *data, size_t size)
{
    std::string temp = path + ".tmp";
    ov_file_t *f = ov->OV_OpenFile(temp.c_str(), "wb");
    if (!f)
        return false;
    bool ok = WriteAll(f, data, size);
    ok = ov->OV_FlushFile(f) == 1 && ok;
    ok = ov->OV_CloseFile(f) == 0 && ok;
    if (!ok)
        ov->OV_DeleteFile(temp.c_str());
    return ok;
}

// Puts the written "<path>.tmp" in place (synced to the disk by the engine).
bool Replace(const std::string &path)
{
    const char *reply = ov->OV_CallExtension("ReplaceFile", path.c_str());
    if (reply && strcmp(reply, "OK") == 0)
        return true;
    ov->OV_DeleteFile((path + ".tmp").c_str());
    return false;
}

// Creates every folder on the way to the file ("user://dev-edits", "user://dev-edits/ui").
void CreateFolders(const std::string &path)
{
    size_t start = path.find("://");
    start = start == std::string::npos ? 0 : start + 3;
    for (size_t slash = path.find('/', start); slash != std::string::npos; slash = path.find('/', slash + 1))
        ov->OV_CreateDirectory(path.substr(0, slash).c_str());
}

bool IsAbsolute(const char *name)
{
    if (name[0] == '/' || name[0] == '\\')
        return true;
    if (isalpha((unsigned char)name[0]) && name[1] == ':')
        return true;
    return strstr(name, "://") != nullptr;
}

bool HasParentStep(const char *name)
{
    const char *p = name;
    while (*p) {
        size_t n = strcspn(p, "/\\");
        if (n == 2 && p[0] == '.' && p[1] == '.')
            return true;
        p += n;
        if (*p)
            p++;
    }
    return false;
}

}  // namespace

bool DevEditNameAllowed(const char *relative)
{
    if (!relative || !relative[0])
        return false;
    if (strlen(relative) >= kDevEditMaxName)
        return false;
    return !IsAbsolute(relative) && !HasParentStep(relative);
}

std::string DevEditPath(const char *relative)
{
    if (!DevEditNameAllowed(relative))
        return std::string();
    return std::string(kDevEditsFolder) + relative;
}

bool WriteDevEdit(const char *relative, const void *data, size_t size, const char *failure_format)
{
    std::string path = DevEditPath(relative);
    bool ok = !path.empty();
    if (ok) {
        CreateFolders(path);
        ok = WriteTemp(path, data, size);
    }
    if (ok) {
        // The old file, when there is one, is kept as "<path>.bak" before it is replaced.
        long old_size = 0;
        char *old = ReadWholeFile(path.c_str(), &old_size);
        if (old) {
            std::string bak = path + ".bak";
            ok = WriteTemp(bak, old, (size_t)old_size) && Replace(bak);
            free(old);
            if (!ok)
                ov->OV_DeleteFile((path + ".tmp").c_str());
        }
    }
    if (ok)
        ok = Replace(path);
    if (!ok && failure_format)
        ov->OV_Popupf(1, failure_format, path.empty() ? (relative ? relative : "") : path.c_str());
    return ok;
}
