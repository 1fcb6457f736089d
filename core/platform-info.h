// Platform identity and product features: the record that describes the device, the
// table of platform numbers, names and standard audio formats, the whole-token
// feature search and the product-value lookup in the program settings.
#ifndef OV_PLATFORM_INFO_H
#define OV_PLATFORM_INFO_H

#include <stdint.h>

enum {
    OV_PLATFORM_UNKNOWN = 0,
    OV_PLATFORM_WINDOWS = 1,
    OV_PLATFORM_MAC = 2,
    OV_PLATFORM_IOS = 3,
    OV_PLATFORM_BADA = 4,
    OV_PLATFORM_ANDROID = 5,
    OV_PLATFORM_QT = 6,
    OV_PLATFORM_WEBOS = 7,
    OV_PLATFORM_QNX = 8,
    OV_PLATFORM_PSP = 9,
    OV_PLATFORM_PS_VITA = 10,
    OV_PLATFORM_LINUX = 11,
    OV_PLATFORM_METRO = 12,
};

// Screen-size classes.
enum { OV_SCREEN_SMALL = 0, OV_SCREEN_MEDIUM = 1, OV_SCREEN_LARGE = 2 };

struct ov_platform_info_t {
    int32_t platform_id;
    int32_t screen_size_id;
    char device_model[32];
    char os_major[32];
    char os_minor[32];
    char orvex_imp[32];
    char unique_id[256];
    char gpu_desc[128];
    char cpu_desc[128];
};

extern ov_platform_info_t ov_platform_info;

// Zeroes ov_platform_info and fills it for this device (start of pre-initialisation).
void OVI_ResolvePlatformInfo(void);
// Fills the record for this platform: the tablet, size class LARGE.
void OVPI_ResolvePlatformInfo(ov_platform_info_t *info);
// "SMALL", "MEDIUM" or "LARGE" (anything but 1 and 2 is SMALL).
const char *OVI_GetScreenSizeIdAsString(int id);

// Platform name of a number ("UNKNOWN" outside 1 to 12).
const char *OVI_GetPlatformIdAsString(int id);
// Number of the first platform name the text begins with, 0 when none (text not null).
int OVI_GetPlatformIdFromString(const char *text);
// Standard sound-effect and music formats of a platform ("UNKNOWN" when unknown).
const char *OVI_GetPlatformSoundEffectFormat(int id);
const char *OVI_GetPlatformMusicFormat(int id);

// True when name is a whole token of the text (tokens split at blanks, commas and
// semicolons; case-sensitive). Null or empty texts and names give false.
bool OVI_FeatureInString(const char *features, const char *name);
// True when name is a whole token of the application or the variant feature string.
bool OVI_ProductFeatureExists(const char *name);
// Value of a key in the chosen variant node of res://prog.xml, else in its
// APPLICATION node; a pointer into the cached database, or null.
const char *OVI_GetProductValue(const char *key);

#endif
