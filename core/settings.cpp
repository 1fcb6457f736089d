// Program settings: res://prog.xml names the program, sets the developer switches
// (which res://developer.xml may replace), and holds one build variant per device
// kind; the variant of this device sets implementations, resolution, features,
// audio packages and the data manifest. Read once during pre-initialisation into the
// engine state, the application record and its parameter block.
#include "core/settings.h"

#include "core/data/dataman.h"
#include "core/data/xml-reader.h"
#include "core/ov_state.h"
#include "core/platform-info.h"
#include "core/service-calls.h"
#include "nstring.h"
#include "ovkeynames.h"

#include <ctype.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <string>
#include <vector>

const char *PLATFORM_PARAMETERS_FILENAME = "res://prog.xml";
const char *DEVELOPER_PARAMETERS_FILENAME = "res://developer.xml";

namespace {

bool s_failed = false;
void (*s_settings_hook)(void) = nullptr;
// The command line's developer switches (see OVI_SetCommandLineSettings).
bool s_cl_developer = false;
std::string s_cl_features;

const char kNoVariant[] =
    "No build variant found for current platform id '%s'.\n\nUse force_variant to use another platform for development "
    "purposes.\n";

// Helpers, in the order the reading uses them (defined after the public functions).
bool FileOpens(const char *name);
bool SettingsFileIsWhole(const char *name, std::string *why);
void ReportUnreadableSettings(const char *name, const std::string &why);
void ApplyApplication(OV_DMNode *app);
OV_DMNode *FindDeveloperNode(OV_DMArray *parameters);
void ApplyDeveloper(OV_DMNode *dev);
void ApplyVariant(OV_DMNode *node);
void ReportMissingVariant(const char *platform);
void Replace(char *&field, const char *value);
void AppendFeatures(const char *list);
void ApplyCommandLine();

}  // namespace

void OVI_SetCommandLineSettings(int developer, const char *features)
{
    s_cl_developer = developer != 0;
    s_cl_features = features ? features : "";
}

void OVI_SetProgramSettingsHook(void (*hook)(void))
{
    s_settings_hook = hook;
}

void OVI_ReadProgramSettings(void)
{
    OVI_LoadProgramSettings();
    if (s_settings_hook)
        s_settings_hook();
    // The command line has the last word.
    if (!s_failed)
        ApplyCommandLine();
    // The application reads the flag from the pre-initialisation event on (its services
    // start there and check it), not only from initialisation.
    if (ov_prog)
        ov_prog->parms.developer_mode = ov_state.developer_mode;
}

bool OVI_ProgramSettingsFailed(void)
{
    return s_failed;
}

int OVI_LoadProgramSettings(void)
{
    s_failed = false;
    if (!ov_prog)
        return 0;
    // Databases cached by an earlier run of the engine in this process are not this run's.
    ov_dman.ReleaseAll();
    if (!PLATFORM_PARAMETERS_FILENAME || !FileOpens(PLATFORM_PARAMETERS_FILENAME)) {
        OV_Printf("OV: %s", "Cannot find prog.xml. It should be located in res://.\n");
        return 0;
    }
    // A damaged file is not applied in part: the program runs on the defaults and says so.
    std::string why;
    if (!SettingsFileIsWhole(PLATFORM_PARAMETERS_FILENAME, &why)) {
        ReportUnreadableSettings(PLATFORM_PARAMETERS_FILENAME, why);
        return 0;
    }
    OV_DMDatabase *db = ov_dman.GetDatabase(PLATFORM_PARAMETERS_FILENAME);
    if (!db)
        return 0;

    char variant_id[64];
    OVI_GetVariantId(variant_id, sizeof variant_id, ov_platform_info.platform_id, ov_platform_info.screen_size_id);
    const char *platform = OVI_GetPlatformIdAsString(ov_platform_info.platform_id);

    OV_DMNode *developer = nullptr;
    OV_DMArray *parameters = db->GetArray("PARAMETERS");
    if (parameters) {
        OV_DMNode *app = parameters->GetNode("APPLICATION");
        if (app)
            ApplyApplication(app);
        developer = FindDeveloperNode(parameters);
        if (developer)
            ApplyDeveloper(developer);
    }

    OV_DMArray *variants = db->GetArray("VARIANTS");
    if (variants) {
        OV_DMNode *variant = variants->GetNode(variant_id);
        if (!variant)
            variant = variants->GetNode(platform);
        if (!variant) {
            ReportMissingVariant(platform);
            s_failed = true;
            return -1;
        }
        ApplyVariant(variant);
    }

    const char *packages = developer ? developer->GetValue("developer_packages") : nullptr;
    if (packages && ov_state.developer_mode)
        Replace(ov_state.developer_packages, packages);
    return 1;
}

void OVI_GetVariantId(char *out, int size, int platform_id, int screen_size_id)
{
    nStringFormat(out, size, "%s/%s", OVI_GetPlatformIdAsString(platform_id), OVI_GetScreenSizeIdAsString(screen_size_id));
}

int OVI_MinFrameMsForFpsLimit(float fps)
{
    float ms = 1000.0f / (fps + 2.0f);
    // Zero, negative and non-finite frame times are no frame times: at least 1 ms.
    if (!(ms >= 1.0f) || ms > 2147483520.0f)
        return 1;
    return (int)ms;
}

int OVI_ParseVerboseLevel(const char *text)
{
    static const char *const kLevels[] = {"INFO", "WARNING", "ERROR", "SYSTEM"};
    if (!text)
        return 0;
    for (int level = 0; level < 4; level++)
        if (strstr(text, kLevels[level]))
            return level;
    return 0;
}

void OVI_ParseResolution(const char *text, int *width, int *height)
{
    char buf[NSTRING_TOKEN_BUFFER];
    const char *w = nStringGetToken(buf, sizeof buf, text, "x", 0);
    *width = w ? atoi(w) : 0;
    const char *h = nStringGetToken(buf, sizeof buf, text, "x", 1);
    *height = h ? atoi(h) : 0;
}

bool OVI_SettingsBool(const char *text)
{
    return text && (text[0] == '1' || text[0] == 't');
}

namespace {

// Stores a heap copy of the value in an owned state string, freeing the old one.
void Replace(char *&field, const char *value)
{
    char *copy = nStringDuplicate(value);
    nStringFree(field);
    field = copy;
}

// Appends the comma-separated tokens of a list to the application's feature string,
// each one not already there.
void AppendFeatures(const char *list)
{
    nString features;
    features.Set(ov_state.features ? ov_state.features : "");
    std::string token;
    for (const char *c = list;; c++) {
        if (*c && *c != ',') {
            if (*c != ' ')
                token += *c;
            continue;
        }
        if (!token.empty() && !OVI_FeatureInString(features.Get(), token.c_str())) {
            if (features.Get()[0])
                features.Append(",");
            features.Append(token.c_str());
        }
        token.clear();
        if (!*c)
            break;
    }
    Replace(ov_state.features, features.Get());
}

// The command line's switches after the files: "--developer" turns developer mode on
// (with the feature DEVELOPER_MODE, as the developer node would), "--features LIST"
// adds product features.
void ApplyCommandLine()
{
    if (s_cl_developer) {
        ov_state.developer_mode = 1;
        AppendFeatures("DEVELOPER_MODE");
    }
    if (!s_cl_features.empty())
        AppendFeatures(s_cl_features.c_str());
    if (s_cl_developer || !s_cl_features.empty())
        OV_Printf("Switches of the command line: developer mode %s, features '%s'.\n", ov_state.developer_mode ? "on" : "off",
                  ov_state.features ? ov_state.features : "");
}

// The value with ".dll" appended unless it already names one.
void ReplaceWithDll(char *&field, const char *value)
{
    if (strstr(value, ".dll")) {
        Replace(field, value);
        return;
    }
    nString named;
    named.Format("%s.dll", value);
    Replace(field, named.Get());
}

bool FileOpens(const char *name)
{
    if (!name || !ov || !ov->OV_OpenFile)
        return false;
    ov_file_t *f = ov->OV_OpenFile(name, "rb");
    if (!f)
        return false;
    ov->OV_CloseFile(f);
    return true;
}

// Whether the settings file reads as a whole document: it starts with a tag, every
// element that opens is closed in order, no text stands outside the elements and at
// least one array is there. An empty, truncated or garbage file fails, why tells how.
bool SettingsFileIsWhole(const char *name, std::string *why)
{
    OV_XMLReader reader;
    if (!reader.OpenFile(name, false)) {
        *why = "it does not begin with a tag";
        return false;
    }
    std::vector<std::string> open;
    bool any_element = false, any_array = false;
    while (ov_xml_block_t *b = reader.ReadNextBlock()) {
        if (!b->name) {
            if (open.empty() && !OV_XMLReader::OnlyWhitespace(b->attr_values[0])) {
                *why = "text stands outside the elements";
                return false;
            }
            continue;
        }
        if (b->name[0] == '?' || b->name[0] == '!')
            continue;  // the XML declaration
        any_element = true;
        any_array = any_array || strcmp(b->name, "array") == 0;
        if (b->end_tag) {
            if (open.empty() || open.back() != b->name) {
                *why = std::string("'</") + b->name + ">' closes no open element";
                return false;
            }
            open.pop_back();
        } else if (!b->closing) {
            open.push_back(b->name);
        }
    }
    if (!any_element) {
        *why = "it is empty";
        return false;
    }
    if (!open.empty()) {
        *why = "it ends before '</" + open.back() + ">'";
        return false;
    }
    if (!any_array) {
        *why = "it holds no array";
        return false;
    }
    return true;
}

// One line on standard error, whatever the mode and the verbose level: the settings
// decide both, and they are what could not be read.
void ReportUnreadableSettings(const char *name, const std::string &why)
{
    char *native = OV_ConvertStaticPathToNativeOSPath(name);
    fprintf(stderr, "Program settings '%s' cannot be read (%s); defaults are used.\n", native ? native : name,
            why.c_str());
    fflush(stderr);
    nStringFree(native);
}

// Identity texts longer than their field of the record are cut.
void CopyIdentity(char *field, int size, const char *value)
{
    nStringFormat(field, size, "%s", value);
}

void ApplyLocale(const char *value)
{
    Replace(ov_state.locale, value);
    if (strcmp(value, "auto") == 0 && ov && ov->OV_CallExtension) {
        const char *reply = ov->OV_CallExtension("GetLanguage", nullptr);
        if (reply) {
            char language[3] = {0, 0, 0};
            for (int i = 0; i < 2 && reply[i]; i++)
                language[i] = (char)tolower((unsigned char)reply[i]);
            Replace(ov_state.locale, language);
        }
    }
    ov_prog->parms.locale = ov_state.locale;
}

void ApplyReferenceResolution(const char *value)
{
    OVI_ParseResolution(value, &ov_prog->parms.reference_width, &ov_prog->parms.reference_height);
}

void SetMultitouchFrom(const char *features)
{
    if (OVI_FeatureInString(features, "MULTITOUCH") || OVI_FeatureInString(features, "MULTIMOUSE"))
        ov_prog->parms.multitouch = 1;
}

// Node APPLICATION of array PARAMETERS, in the order of its keys.
void ApplyApplication(OV_DMNode *app)
{
    ov_prog_t *p = ov_prog;
    const char *v;
    if ((v = app->GetValue("program_id")))
        CopyIdentity(p->id, sizeof p->id, v);
    if ((v = app->GetValue("name")))
        CopyIdentity(p->title, sizeof p->title, v);
    if ((v = app->GetValue("developer")))
        CopyIdentity(p->developer_name, sizeof p->developer_name, v);
    if ((v = app->GetValue("version")))
        CopyIdentity(p->version, sizeof p->version, v);
    if ((v = app->GetValue("locale")))
        ApplyLocale(v);
    if ((v = app->GetValue("fps_limit")))
        p->parms.min_frame_ms = OVI_MinFrameMsForFpsLimit(strtof(v, nullptr));
    if ((v = app->GetValue("features"))) {
        Replace(ov_state.features, v);
        SetMultitouchFrom(v);
        if (OVI_FeatureInString(v, "AUTOSCALE"))
            ov_state.autoscale = 1;
    }
    if ((v = app->GetValue("reference_resolution")))
        ApplyReferenceResolution(v);
    if ((v = app->GetValue("packages")))
        Replace(ov_state.packages, v);
}

// The DEVELOPER node of res://developer.xml when it has one, else that of prog.xml.
OV_DMNode *FindDeveloperNode(OV_DMArray *parameters)
{
    if (FileOpens(DEVELOPER_PARAMETERS_FILENAME)) {
        OV_DMDatabase *dev = ov_dman.GetDatabase(DEVELOPER_PARAMETERS_FILENAME);
        OV_DMArray *array = dev ? dev->GetArray("PARAMETERS") : nullptr;
        OV_DMNode *node = array ? array->GetNode("DEVELOPER") : nullptr;
        if (node)
            return node;
    }
    return parameters->GetNode("DEVELOPER");
}

// The developer switches, in the order of their keys ("developer_packages" comes last).
void ApplyDeveloper(OV_DMNode *dev)
{
    const char *v;
    if ((v = dev->GetValue("developer_mode")))
        ov_state.developer_mode = OVI_SettingsBool(v) ? 1 : 0;
    if (ov_state.developer_mode) {
        nString features;
        if (ov_state.features && ov_state.features[0])
            features.Format("%s,%s", ov_state.features, "DEVELOPER_MODE");
        else
            features.Set("DEVELOPER_MODE");
        Replace(ov_state.features, features.Get());
    }
    if ((v = dev->GetValue("logging")))
        ov_state.logging = OVI_SettingsBool(v) ? 1 : 0;
    if ((v = dev->GetValue("logging_verbose_level")))
        ov_state.verbose_level = OVI_ParseVerboseLevel(v);
    if ((v = dev->GetValue("console")))
        ov_state.console = OVI_SettingsBool(v) ? 1 : 0;
    ov_state.console_toggle_key = -89;
    if ((v = dev->GetValue("console_toggle_key")))
        ov_state.console_toggle_key = OV_GetKeyByName(v);
}

// A deprecated audio-format key: explains what to do instead (naming the platform),
// then names the package after the value.
void ApplyDeprecatedFormat(char *&package, const char *platform, const char *key, const char *kind_text,
                           const char *prefix, const char *value, const char *standard)
{
    nString message;
    if (strcmp(value, standard) == 0) {
        message.Format("prog.xml:%s defines deprecated '%s' parameter '%s'. Just remove it.\n\nThis platform always uses %s "
                       "'%s'.\n\nSee ORVEX/docs/audio-formats-per-platform.txt for more info.",
                       platform, key, value, kind_text, standard);
    } else {
        message.Format("prog.xml:%s defines deprecated '%s' parameter '%s' but the value differs from platform standard "
                       "('%s'). To fix the issue:\n1) Remove '%s' from prog.xml for this variant, and\n2) Add %s%s to "
                       "addon_packages.\n\nSee ORVEX/docs/audio-formats-per-platform.txt for more info.",
                       platform, key, value, standard, key, prefix, value);
    }
    OV_Printf("OV: %s", message.Get());
    if (strstr(value, "@open:") && strlen(value) >= 6)
        value += 6;
    char name[512];
    nStringFormat(name, sizeof name, "%s%s", prefix, value);
    Replace(package, name);
}

// The listed databases' first arrays go to the front of the manifest, in list order.
void LoadManifest(const char *list)
{
    if (strlen(list) >= NSTRING_TOKEN_BUFFER)
        return;
    int items = 1;
    for (const char *c = strchr(list, ','); c; c = strchr(c + 1, ','))
        if (c[1])
            items++;
    for (int i = 0; i < items; i++) {
        char buf[NSTRING_TOKEN_BUFFER];
        const char *item = nStringGetToken(buf, sizeof buf, list, ",", i);
        if (!item)
            continue;
        char path[260];
        nStringFormat(path, sizeof path, "%s", ov->OV_GetPath(OV_PATH_RES, "%s", item));
        ov_dman.AddManifestDatabase(ov_dman.GetDatabase(path));
    }
}

// The chosen node of array VARIANTS, in the order of its keys.
void ApplyVariant(OV_DMNode *node)
{
    ov_prog_t *p = ov_prog;
    const char *variant = node->id ? node->id : "";
    int platform = OVI_GetPlatformIdFromString(variant);
    const char *platform_name = OVI_GetPlatformIdAsString(platform);
    const char *v;

    Replace(ov_state.variant, variant);
    if ((v = node->GetValue("name")))
        CopyIdentity(p->title, sizeof p->title, v);
    if ((v = node->GetValue("developer")))
        CopyIdentity(p->developer_name, sizeof p->developer_name, v);
    if ((v = node->GetValue("version")))
        CopyIdentity(p->version, sizeof p->version, v);
    if ((v = node->GetValue("renderer_implementation")))
        ReplaceWithDll(ov_state.renderer_implementation, v);
    else
        Replace(ov_state.renderer_implementation, "ri_d3d8.dll");
    ov_gfx_calls.LoadRenderer();
    if ((v = node->GetValue("input_implementations")))
        ReplaceWithDll(ov_state.input_implementations, v);
    if ((v = node->GetValue("reference_resolution")))
        ApplyReferenceResolution(v);
    if ((v = node->GetValue("locale")))
        ApplyLocale(v);
    if ((v = node->GetValue("resolutions"))) {
        Replace(ov_state.resolutions, v);
        OV_Printf("Selected resolution %dx%d\n", p->parms.width, p->parms.height);
    }
    if ((v = node->GetValue("features"))) {
        Replace(ov_state.variant_features, v);
        SetMultitouchFrom(v);
    }
    if ((v = node->GetValue("music_format"))) {
        ApplyDeprecatedFormat(ov_state.music_package, platform_name, "music_format", "music format", "data-music-", v,
                              OVI_GetPlatformMusicFormat(platform));
    } else {
        nString name;
        name.Format("data-music-%s", OVI_GetPlatformMusicFormat(ov_platform_info.platform_id));
        Replace(ov_state.music_package, name.Get());
    }
    if ((v = node->GetValue("sound_fx_format"))) {
        ApplyDeprecatedFormat(ov_state.sfx_package, platform_name, "sound_fx_format", "sound effect format",
                              "data-sfx-", v, OVI_GetPlatformSoundEffectFormat(platform));
    } else {
        nString name;
        name.Format("data-sfx-%s", OVI_GetPlatformSoundEffectFormat(ov_platform_info.platform_id));
        Replace(ov_state.sfx_package, name.Get());
    }
    if ((v = node->GetValue("addon_packages")))
        Replace(ov_state.addon_packages, v);
    if ((v = node->GetValue("sound_implementation")))
        ReplaceWithDll(ov_state.sound_implementation, v);
    if ((v = node->GetValue("manifest")))
        LoadManifest(v);
}

// The missing-variant popup, and the same text in the log (on standard error before
// the log console exists) whatever the popup and the verbose level let through.
void ReportMissingVariant(const char *platform)
{
    int shown = OV_Popupf(OV_ERROR, kNoVariant, platform);
    if (shown && ov_state.verbose_level == OV_INFO)
        return;  // the popup itself was printed
    int level = ov_state.verbose_level > OV_ERROR ? ov_state.verbose_level : OV_ERROR;
    char text[512];
    nStringFormat(text, sizeof text, kNoVariant, platform);
    OV_PrintDebugf(level, "OV: %s", text);
}

}  // namespace

