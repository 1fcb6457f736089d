// Product features (see featureman.h).
#include "app/services/featureman.h"

#include "app/services/profiles.h"
#include "app/services/token-lists.h"
#include "orvex.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

FeatureManager feature_man;

namespace {

const char *Ask(const char *command, const char *argument)
{
    return ov ? ov->OV_CallExtension(command, argument) : nullptr;
}

}  // namespace

FeatureManager::~FeatureManager()
{
    free(features_);
}

void FeatureManager::Initialize()
{
    free(features_);
    const char *reply = Ask("ProgramInfo", "Features");
    features_ = reply ? strdup(reply) : nullptr;
    initialised_ = true;

    // Noted once: the news and analytics threads read it while the program runs.
    const char *platform = Ask("PlatformInfo", "PlatformId");
    const char *size = Ask("PlatformInfo", "ScreenSizeId");
    if (size)
        snprintf(platform_id_, sizeof platform_id_, "%s/%s", platform ? platform : "", size);
    else
        snprintf(platform_id_, sizeof platform_id_, "%s", platform ? platform : "");

    RegisterFeatureScriptFunctions();
}

bool FeatureManager::ProductFeatureExists(const char *name) const
{
    return HasWholeToken(features_, name);
}

bool FeatureManager::EvaluateProductFeatureRequirementList(const char *list) const
{
    if (!list)
        return false;
    const char *item = list;
    for (;;) {
        const char *comma = strchr(item, ',');
        size_t len = comma ? (size_t)(comma - item) : strlen(item);
        bool negated = len > 0 && item[0] == '!';
        const char *name = negated ? item + 1 : item;
        size_t name_len = negated ? len - 1 : len;
        char *copy = (char *)malloc(name_len + 1);
        if (!copy)
            return false;
        memcpy(copy, name, name_len);
        copy[name_len] = 0;
        bool holds = ProductFeatureExists(copy) != negated;
        free(copy);
        if (!holds)
            return false;
        if (!comma || !comma[1])
            return true;
        item = comma + 1;
    }
}

const char *FeatureManager::GetProductValue(const char *key) const
{
    return Ask("GetProductValue", key);
}

bool FeatureManager::IsGameCenterEnabled() const
{
    if (!ProductFeatureExists("GAME_CENTER"))
        return false;
    const char *setting = profile_man().GetGlobalValue("GAME_CENTER_ENABLED");
    if (setting && strcmp(setting, "0") == 0)
        return false;
    return Ask("GameCenter", "IsAvailable") != nullptr;
}

const char *FeatureManager::GetCurrentDeviceId() const
{
    return Ask("PlatformInfo", "DeviceModel");
}

bool FeatureManager::IsRunningOnDevice(const char *model) const
{
    const char *device = GetCurrentDeviceId();
    return model && device && strcmp(model, device) == 0;
}

int FeatureManager::GetCurrentDevicePerformanceClass() const
{
    const char *reply = Ask("PlatformInfo", "PerformanceClass");
    return reply ? atoi(reply) : 0;
}

bool FeatureManager::UsesPackage(const char *name) const
{
    if (!name || !ov)
        return false;
    int n = ov->OV_GetNumberOfSearchPaths();
    for (int i = 0; i < n; i++) {
        const char *path = ov->OV_GetSearchPath(i);
        if (!path)
            continue;
        const char *last = strrchr(path, '/');
        if (!last)
            continue;
        const char *prev = last;
        while (prev > path && prev[-1] != '/')
            prev--;
        if (prev == path)
            continue;
        size_t len = (size_t)(last - prev);
        if (len > 255)
            len = 255;
        if (strlen(name) == len && strncmp(prev, name, len) == 0)
            return true;
    }
    return false;
}
