// Directory listing: the files of one directory with one extension, as held in the
// package archives behind the search paths (plain directories on disk are not listed).
// A directory matches only as whole path segments: "music" lists music/a.ogg and
// music/sub/b.ogg, never musicfx/c.ogg.
#include "core/fs/fs.h"
#include "core/fs/pak.h"
#include "core/ov_state.h"
#include "core/services.h"
#include "narray.h"
#include "nstring.h"

#include <stdlib.h>
#include <string.h>

namespace {

bool Qualifies(const char *name, const char *directory, size_t directory_length, const char *suffix);
void FreeNames(nArray<char *> &names);

}  // namespace

// Lists packaged files; 1 when at least one was found.
int OV_FindFiles(ov_list_t *list, const char *dir, const char *pattern, bool recursive)
{
    return OVFS_FindFiles(list, dir, pattern, recursive) ? 1 : 0;
}

// Releases the names and the array of a filled list; an empty list is left alone.
void OV_FreeList(ov_list_t *list)
{
    if (!list || list->count < 1)
        return;
    for (int i = 0; i < list->count; i++)
        nStringFree(list->items[i]);
    free(list->items);
    list->items = nullptr;
    list->count = 0;
}

bool OVFS_FindFiles(ov_list_t *list, const char *directory, const char *wildcard, bool recurse_subdirs)
{
    if (!list)
        return false;
    list->items = nullptr;
    list->count = 0;
    if (!directory || !wildcard)
        return false;

    char prefix[17];
    OV_GetStaticPathPrefix(prefix, sizeof prefix, directory);
    if (prefix[0] && strcmp(prefix, "res") != 0) {
        OV_Popupf(OV_WARNING,
                  "OVFS_FindFiles should be passed only res:// paths or paths without prefix. '%s://' not permitted. Returning 0 files.\n",
                  prefix);
        return false;
    }
    if (recurse_subdirs && prefix[0])
        OV_Popupf(OV_WARNING, "FindFiles subdir recursing is not implemented yet for external files. Forcing parm recurse_subdirs to false.\n");
    if (strncmp(wildcard, "*.", 2) != 0) {
        OV_Popupf(OV_WARNING, "FindFiles wildcard '%s' is not implemented yet for file paks. Please use simple wildcards like '*.ogg'\n",
                  wildcard);
        return false;
    }
    if (prefix[0]) {
        OV_Popupf(OV_WARNING, "FindFiles with prefixes is not implemented yet.'\n");
        return false;
    }

    char dir[512];
    if (strlen(directory) >= sizeof dir)
        return false;
    strcpy(dir, directory);
    size_t dir_length = strlen(dir);
    while (dir_length > 0 && dir[dir_length - 1] == '/')
        dir[--dir_length] = 0;
    const char *suffix = wildcard + 1;

    nArray<char *> names;
    int paths = OV_GetNumberOfSearchPaths();
    for (int p = 0; p < paths; p++) {
        char archive_name[512];
        if (!OVFS_PakArchiveName(OV_GetSearchPath(p), archive_name, sizeof archive_name, nullptr))
            continue;  // no package directory, such as "res://" itself
        pak_t *pak = OVFS_GetPakForPakFilename(archive_name);
        for (int i = 0; pak && i < pak->count; i++)
            if (Qualifies(pak->entries[i].name, dir, dir_length, suffix))
                names.InsertLast(nStringDuplicate(pak->entries[i].name));
    }
    if (names.Count() == 0)
        return false;
    char **items = (char **)malloc(sizeof(char *) * (size_t)names.Count());
    if (!items) {
        FreeNames(names);
        return false;
    }
    for (int i = 0; i < names.Count(); i++)
        items[i] = names[i];
    list->items = items;
    list->count = names.Count();
    return true;
}

// ---- helpers

namespace {

// The entry lies under the directory (every entry for an empty one) and its name ends
// with the suffix, compared exactly.
bool Qualifies(const char *name, const char *directory, size_t directory_length, const char *suffix)
{
    if (!name || !name[0])
        return false;
    if (directory_length && (strncmp(name, directory, directory_length) != 0 || name[directory_length] != '/'))
        return false;
    size_t n = strlen(name), s = strlen(suffix);
    return n >= s && strcmp(name + n - s, suffix) == 0;
}

// Releases collected names and empties the array.
void FreeNames(nArray<char *> &names)
{
    for (int i = 0; i < names.Count(); i++)
        nStringFree(names[i]);
    names.Clear();
}

}  // namespace
