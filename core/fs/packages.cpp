// Packages named in the program settings become "res://" search paths at start-up.
// A list item is a package directory ("hd"), or "@condition:package" added only when
// the condition holds: res=WxH or resolution=WxH (the program's size, either way
// round), feature=NAME (a product feature exists) or open (always).
#include "core/fs/fs.h"
#include "core/ov_state.h"
#include "core/services.h"
#include "nstring.h"

#include <stdlib.h>
#include <string.h>

namespace {

enum { kMaxItems = 32, kMaxListLength = 512, kMaxCondition = 63 };

bool ResolutionMatches(const char *text);
bool ConditionHolds(const char *condition);
const char *ItemPath(const char *item);

}  // namespace

// Adds each package of the comma-separated list (at most 32) as "res://" + path.
void OVI_AddPackages(const char *list, bool to_front)
{
    if (!list || strlen(list) >= kMaxListLength)
        return;
    for (int i = 0; i < kMaxItems; i++) {
        char buffer[kMaxListLength];
        const char *item = nStringGetToken(buffer, sizeof buffer, list, ",", i);
        if (!item)
            break;
        const char *path = ItemPath(item);
        if (!path || strlen(path) <= 1)
            continue;
        char search_path[kMaxListLength + 8];
        OV_GetPathEx(search_path, sizeof search_path, OV_PATH_RES, "%s", path);
        OV_AddSearchPath(search_path, to_front);
    }
}

// The settings' lists in order: packages, add-ons, sound effects, music to the front;
// developer packages at the end.
void OVI_AddPackagesDefinedInProgramParameters(void)
{
    OVI_AddPackages(ov_state.packages, true);
    OVI_AddPackages(ov_state.addon_packages, true);
    OVI_AddPackages(ov_state.sfx_package, true);
    OVI_AddPackages(ov_state.music_package, true);
    OVI_AddPackages(ov_state.developer_packages, false);
}

// Start-up's package step.
void OVI_AddPackages(void)
{
    OVI_AddPackagesDefinedInProgramParameters();
}

// ---- helpers

namespace {

// Reads "WxH" (skipping one leading '='); each number 0 when missing. True when it
// matches the program's width and height in either order.
bool ResolutionMatches(const char *text)
{
    if (*text == '=')
        text++;
    int width = atoi(text);
    const char *x = strchr(text, 'x');
    int height = x ? atoi(x + 1) : 0;
    int w = ov_prog ? ov_prog->parms.width : 0;
    int h = ov_prog ? ov_prog->parms.height : 0;
    return (width == w && height == h) || (width == h && height == w);
}

// Whether the condition of an "@condition:path" item holds.
bool ConditionHolds(const char *condition)
{
    if (strncmp(condition, "resolution", 10) == 0 && ResolutionMatches(condition + 10))
        return true;
    if (strncmp(condition, "res", 3) == 0 && ResolutionMatches(condition + 3))
        return true;
    if (strncmp(condition, "feature=", 8) == 0 && OVI_ProductFeatureExists(condition + 8))
        return true;
    return strncmp(condition, "open", 4) == 0;
}

// The package path of one item, or null when the item is skipped.
const char *ItemPath(const char *item)
{
    if (item[0] != '@')
        return item;
    const char *colon = strchr(item, ':');
    if (!colon)
        return nullptr;
    char condition[kMaxCondition + 1];
    int length = (int)(colon - item - 1);
    if (length > kMaxCondition)
        length = kMaxCondition;
    memcpy(condition, item + 1, (size_t)length);
    condition[length] = 0;
    return ConditionHolds(condition) ? colon + 1 : nullptr;
}

}  // namespace
