// Platform identity and product features: the device record filled at start-up, the
// platform table (numbers, names, standard audio formats), the whole-token feature
// search over the two feature strings and product values from res://prog.xml.
//
// This build runs the tablet program on Linux: it reports the tablet platform, a
// large-screen device, so that prog.xml's tablet variants apply whatever the size of
// the display or window.
#include "core/platform-info.h"

#include "core/data/dataman.h"
#include "core/ov_state.h"
#include "core/settings.h"
#include "nstring.h"

#include <string.h>

ov_platform_info_t ov_platform_info;

namespace {

struct PlatformRow {
    const char *name;
    const char *sound_fx_format;
    const char *music_format;
};

// Indexed by platform number; row 0 answers for every unknown number.
const PlatformRow kPlatforms[] = {
    {"UNKNOWN", "UNKNOWN", "UNKNOWN"},
    {"WINDOWS", "OGG_44100", "OGG_44100"},
    {"MAC", "OGG_44100", "OGG_44100"},
    {"IOS", "WAV_22050", "MP3_44100"},
    {"BADA", "WAV_22050_MONO", "MP3_22050_STEREO"},
    {"ANDROID", "WAV_22050_MONO", "MP3_44100"},
    {"QT", "WAV_22050_MONO", "MP3_44100"},
    {"WEBOS", "WAV_22050_MONO", "MP3_22050_STEREO"},
    {"QNX", "WAV_22050_MONO", "MP3_22050_STEREO"},
    {"PSP", "WAV_22050_MONO", "MP3_22050_STEREO"},
    {"PS_VITA", "WAV_22050_MONO", "MP3_44100"},
    {"LINUX", "OGG_44100", "OGG_44100"},
    {"METRO", "WAV_22050_MONO", "MP3_22050_STEREO"},
};
const int kLastPlatform = OV_PLATFORM_METRO;

// The row of a platform number (row 0 for unknown numbers).
const PlatformRow &Row(int id);
// Feature strings separate their tokens with blanks, commas and semicolons.
bool IsSeparator(char c);

}  // namespace

void OVI_ResolvePlatformInfo(void)
{
    memset(&ov_platform_info, 0, sizeof ov_platform_info);
    OVPI_ResolvePlatformInfo(&ov_platform_info);
}

void OVPI_ResolvePlatformInfo(ov_platform_info_t *info)
{
    info->platform_id = OV_PLATFORM_QNX;
    // The size class is fixed: the chosen build variant must not change with the window.
    info->screen_size_id = OV_SCREEN_LARGE;
    nStringFormat(info->device_model, sizeof info->device_model, "%s", "QNX");
    nStringFormat(info->os_major, sizeof info->os_major, "%s", "QNX");
    nStringFormat(info->os_minor, sizeof info->os_minor, "%s", "6.5+");
    nStringFormat(info->orvex_imp, sizeof info->orvex_imp, "%s", "OV_QNX");
    nStringFormat(info->unique_id, sizeof info->unique_id, "%s", "UNKNOWN");
}

const char *OVI_GetScreenSizeIdAsString(int id)
{
    if (id == OV_SCREEN_MEDIUM)
        return "MEDIUM";
    if (id == OV_SCREEN_LARGE)
        return "LARGE";
    return "SMALL";
}

const char *OVI_GetPlatformIdAsString(int id)
{
    return Row(id).name;
}

int OVI_GetPlatformIdFromString(const char *text)
{
    if (!text)
        return OV_PLATFORM_UNKNOWN;
    // In number order: where names share a first letter the shorter or earlier one
    // comes first, and no name is the beginning of another.
    for (int id = 1; id <= kLastPlatform; id++) {
        const char *name = kPlatforms[id].name;
        if (strncmp(text, name, strlen(name)) == 0)
            return id;
    }
    return OV_PLATFORM_UNKNOWN;
}

const char *OVI_GetPlatformSoundEffectFormat(int id)
{
    return Row(id).sound_fx_format;
}

const char *OVI_GetPlatformMusicFormat(int id)
{
    return Row(id).music_format;
}

bool OVI_FeatureInString(const char *features, const char *name)
{
    if (!features || !name || !name[0])
        return false;
    size_t n = strlen(name);
    for (const char *at = strstr(features, name); at; at = strstr(at + 1, name)) {
        bool starts = at == features || IsSeparator(at[-1]);
        bool ends = at[n] == 0 || IsSeparator(at[n]);
        if (starts && ends)
            return true;
    }
    return false;
}

bool OVI_ProductFeatureExists(const char *name)
{
    return OVI_FeatureInString(ov_state.features, name) || OVI_FeatureInString(ov_state.variant_features, name);
}

const char *OVI_GetProductValue(const char *key)
{
    if (!key)
        return nullptr;
    OV_DMDatabase *db = ov_dman.GetDatabase(PLATFORM_PARAMETERS_FILENAME);
    if (!db)
        return nullptr;
    OV_DMArray *variants = db->GetArray("VARIANTS");
    if (!variants)
        return nullptr;
    OV_DMNode *variant = variants->GetNode(ov_state.variant);
    if (variant) {
        const char *value = variant->GetValue(key);
        if (value)
            return value;
    }
    return db->GetValue("PARAMETERS", "APPLICATION", key);
}

namespace {

const PlatformRow &Row(int id)
{
    return kPlatforms[id >= 1 && id <= kLastPlatform ? id : 0];
}

bool IsSeparator(char c)
{
    return c == ' ' || c == ',' || c == ';';
}

}  // namespace
