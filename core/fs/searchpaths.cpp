// The search-path list: the ordered static directories (such as "res://" or a package
// directory "res://data-sfx-wav/") along which relative file names are looked up.
// Entries are unique heap strings that begin with a static prefix and end with '/';
// earlier entries win. The list is edited on the main thread during start-up.
#include "core/fs/fs.h"
#include "core/ov_state.h"
#include "core/services.h"
#include "narray.h"
#include "nstring.h"

#include <string.h>

namespace {

nArray<char *> &SearchPaths();
bool NormalizeSearchPath(const char *path, char out[512]);
int IndexOf(const char *normalized);
void RemoveAt(int index);

}  // namespace

// Adds a search path at the front or the end; an existing equal entry is moved.
int OV_AddSearchPath(const char *path, bool at_front)
{
    if (!OV_FileNameContainsStaticPath(path)) {
        OV_Popupf(OV_WARNING,
                  "ov->AddSearchPath ('%s'): path name needs to include file system target prefix such as res:// or user://.",
                  path ? path : "(null)");
        return 0;
    }
    char normalized[512];
    if (!NormalizeSearchPath(path, normalized)) {
        OV_PrintDebugf(OV_WARNING, "ov->AddSearchPath ('%.64s...'): path is longer than 510 characters, not added.\n", path);
        return 0;
    }
    int existing = IndexOf(normalized);
    if (existing >= 0) {
        OV_PrintDebugf(OV_WARNING, "Duplicate search path, removing the old one: '%s'\n", normalized);
        RemoveAt(existing);
    }
    nArray<char *> &list = SearchPaths();
    char *copy = nStringDuplicate(normalized);
    if (at_front)
        list.InsertFirst(copy);
    else
        list.InsertLast(copy);
    for (int i = 0; i < list.Count(); i++)
        OV_Printf("Now using #%d: '%s'\n", i, list[i]);
    return 1;
}

// Removes the entry equal to the normalised path; 1 when one was removed.
int OV_RemoveSearchPath(const char *path)
{
    if (!path || !path[0])
        return 0;
    char normalized[512];
    if (!NormalizeSearchPath(path, normalized))
        return 0;
    int index = IndexOf(normalized);
    if (index < 0)
        return 0;
    RemoveAt(index);
    return 1;
}

// The entry at the index, null outside the list.
const char *OV_GetSearchPath(int index)
{
    nArray<char *> &list = SearchPaths();
    if (index < 0 || index >= list.Count())
        return nullptr;
    return list[index];
}

// The number of entries.
int OV_GetNumberOfSearchPaths(void)
{
    return SearchPaths().Count();
}

// Releases every entry; the list is empty afterwards.
void OVI_ClearSearchPaths(void)
{
    nArray<char *> &list = SearchPaths();
    for (int i = 0; i < list.Count(); i++)
        nStringFree(list[i]);
    list.Clear();
}

// ---- helpers

namespace {

// The list itself (one per process).
nArray<char *> &SearchPaths()
{
    static nArray<char *> list;  // the shrink flag is on by default
    return list;
}

// Copies the path with '\\' turned into '/' and a final '/' added; false when it is
// longer than 510 characters (so that the result fits 512 bytes).
bool NormalizeSearchPath(const char *path, char out[512])
{
    size_t n = strlen(path);
    if (n > 510)
        return false;
    memcpy(out, path, n + 1);
    for (size_t i = 0; i < n; i++)
        if (out[i] == '\\')
            out[i] = '/';
    if (n == 0 || out[n - 1] != '/') {
        out[n] = '/';
        out[n + 1] = 0;
    }
    return true;
}

// Index of the entry equal to the text, -1 when none is.
int IndexOf(const char *normalized)
{
    nArray<char *> &list = SearchPaths();
    for (int i = 0; i < list.Count(); i++)
        if (strcmp(list[i], normalized) == 0)
            return i;
    return -1;
}

// Removes the entry at the index and releases its text.
void RemoveAt(int index)
{
    nArray<char *> &list = SearchPaths();
    char *old = list[index];
    list.Remove(index);
    nStringFree(old);
}

}  // namespace
