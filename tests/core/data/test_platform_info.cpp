// Platform identity and product features: the platform table, the device record of
// this build, the size class of a display, variant ids and the whole-token search.
#include "tests/core/data/data_fixture.h"

#include "core/platform-info.h"
#include "core/settings.h"
#include "gfx/window.h"
#include "nstring.h"

#include <string.h>

using namespace datatest;

TEST(PlatformInfo, IdFromTheBeginningOfAText)
{
    struct Case {
        const char *text;
        int id;
    } cases[] = {
        {"PS_VITA", 10}, {"PSP", 9},   {"QT", 6},      {"QNX", 8},       {"METRO", 12}, {"MAC", 2},
        {"WEBOS", 7},    {"LINUXX", 11}, {"Q", 0},     {"qnx", 0},       {"", 0},       {"QNX/LARGE", 8},
        {"WINDOWS", 1},  {"IOS", 3},   {"BADA", 4},    {"ANDROID", 5},   {"LINUX", 11}, {" QNX", 0},
    };
    for (const auto &c : cases)
        EXPECT_EQ(OVI_GetPlatformIdFromString(c.text), c.id) << c.text;
}

TEST(PlatformInfo, NamesAndFormatsOfTheTable)
{
    struct Case {
        int id;
        const char *name, *sfx, *music;
    } cases[] = {
        {1, "WINDOWS", "OGG_44100", "OGG_44100"},        {2, "MAC", "OGG_44100", "OGG_44100"},
        {3, "IOS", "WAV_22050", "MP3_44100"},            {4, "BADA", "WAV_22050_MONO", "MP3_22050_STEREO"},
        {5, "ANDROID", "WAV_22050_MONO", "MP3_44100"},   {6, "QT", "WAV_22050_MONO", "MP3_44100"},
        {7, "WEBOS", "WAV_22050_MONO", "MP3_22050_STEREO"}, {8, "QNX", "WAV_22050_MONO", "MP3_22050_STEREO"},
        {9, "PSP", "WAV_22050_MONO", "MP3_22050_STEREO"}, {10, "PS_VITA", "WAV_22050_MONO", "MP3_44100"},
        {11, "LINUX", "OGG_44100", "OGG_44100"},         {12, "METRO", "WAV_22050_MONO", "MP3_22050_STEREO"},
        {0, "UNKNOWN", "UNKNOWN", "UNKNOWN"},            {13, "UNKNOWN", "UNKNOWN", "UNKNOWN"},
        {-1, "UNKNOWN", "UNKNOWN", "UNKNOWN"},
    };
    for (const auto &c : cases) {
        EXPECT_STREQ(OVI_GetPlatformIdAsString(c.id), c.name) << c.id;
        EXPECT_STREQ(OVI_GetPlatformSoundEffectFormat(c.id), c.sfx) << c.id;
        EXPECT_STREQ(OVI_GetPlatformMusicFormat(c.id), c.music) << c.id;
        if (c.id >= 1 && c.id <= 12) {
            EXPECT_EQ(OVI_GetPlatformIdFromString(c.name), c.id) << c.name;
        }
    }
}

TEST(PlatformInfo, ThisBuildReportsTheLargeScreenTablet)
{
    memset(&ov_platform_info, 0x55, sizeof ov_platform_info);
    OVI_ResolvePlatformInfo();
    EXPECT_EQ(ov_platform_info.platform_id, OV_PLATFORM_QNX);
    EXPECT_EQ(ov_platform_info.screen_size_id, OV_SCREEN_LARGE);
    EXPECT_STREQ(ov_platform_info.device_model, "QNX");
    EXPECT_STREQ(ov_platform_info.os_major, "QNX");
    EXPECT_STREQ(ov_platform_info.os_minor, "6.5+");
    EXPECT_STREQ(ov_platform_info.orvex_imp, "OV_QNX");
    EXPECT_STREQ(ov_platform_info.unique_id, "UNKNOWN");
    // The record is zeroed first, so the descriptions stay empty.
    EXPECT_STREQ(ov_platform_info.gpu_desc, "");
    EXPECT_STREQ(ov_platform_info.cpu_desc, "");
}

TEST(PlatformInfo, VariantIds)
{
    struct Case {
        int platform, size;
        const char *id;
    } cases[] = {{8, 2, "QNX/LARGE"}, {8, 1, "QNX/MEDIUM"}, {8, 0, "QNX/SMALL"},
                 {8, 7, "QNX/SMALL"}, {0, 2, "UNKNOWN/LARGE"}, {99, 1, "UNKNOWN/MEDIUM"}};
    for (const auto &c : cases) {
        char id[64];
        OVI_GetVariantId(id, sizeof id, c.platform, c.size);
        EXPECT_STREQ(id, c.id);
    }
}

TEST(PlatformInfo, FeaturesAreWholeTokens)
{
    struct Case {
        const char *features, *name;
        bool found;
    } cases[] = {
        {"AUTOSCALE_OFF", "AUTOSCALE", false},
        {"AUTOSCALE_OFF AUTOSCALE", "AUTOSCALE", true},
        {"XAUTOSCALE,AUTOSCALE_OFF;AUTOSCALE", "AUTOSCALE", true},
        {"A;B,C D", "B", true},
        {"A;B,C D", "C", true},
        {"A;B,C D", "D", true},
        {"A;B,C D", "A", true},
        {"A;B,C D", "C D", true},
        {"show_fps", "SHOW_FPS", false},
        {"SHOW_FPS\tX", "SHOW_FPS", false},
        {"", "A", false},
        {nullptr, "A", false},
        {"A", "", false},
        {"A", nullptr, false},
    };
    for (const auto &c : cases)
        EXPECT_EQ(OVI_FeatureInString(c.features, c.name), c.found)
            << (c.features ? c.features : "<null>") << " / " << (c.name ? c.name : "<null>");
}

TEST(PlatformInfo, ProductFeaturesLookInBothStrings)
{
    char *saved_features = ov_state.features, *saved_variant = ov_state.variant_features;
    struct Case {
        const char *application, *variant, *name;
        bool found;
    } cases[] = {
        {"A,B", nullptr, "B", true},      {nullptr, "V1 V2", "V2", true}, {"A", "V", "V", true},
        {"A", "V", "AV", false},          {nullptr, nullptr, "A", false}, {"DEVELOPER_MODE", "", "DEVELOPER_MODE", true},
        {"A", "V", nullptr, false},
    };
    for (const auto &c : cases) {
        ov_state.features = c.application ? nStringDuplicate(c.application) : nullptr;
        ov_state.variant_features = c.variant ? nStringDuplicate(c.variant) : nullptr;
        EXPECT_EQ(OVI_ProductFeatureExists(c.name), c.found) << (c.name ? c.name : "<null>");
        nStringFree(ov_state.features);
        nStringFree(ov_state.variant_features);
    }
    ov_state.features = saved_features;
    ov_state.variant_features = saved_variant;
}
