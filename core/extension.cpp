// The extension call OV_CallExtension (slot 22): one string command in, a borrowed reply
// or null out. The device part answers first, then the engine's own command table, and
// what neither answers goes to the renderer. This file owns the dispatch and the
// information commands (eye, program, product values, platform, dates); the resource
// reports, the path switches and file replacement have files of their own.
//
// Replies are borrowed: literals, fields of the application or platform record, values
// of the cached settings, or static buffers that the next call of the same command
// overwrites. No lock is taken; callers copy what they keep and treat null as "this
// service is not available here".
#include "core/extension.h"

#include "core/fs/fs.h"

#include "core/ov_state.h"
#include "core/platform-info.h"
#include "core/service-calls.h"
#include "core/services.h"
#include "nstring.h"

#include <strings.h>
#include <string.h>

namespace {

// One row of the engine's table: the command name and what it does. A handler returns
// true when it answered (its reply, null included, is final) and false when the walk
// goes on to the next rows and the renderer.
struct EngineCommand {
    const char *name;
    bool any_case;  // the name is compared ignoring case
    bool (*run)(const char *arg, const char **reply);
};

bool EyeMode(const char *arg, const char **reply);
bool ProgramInfo(const char *arg, const char **reply);
bool ProductValue(const char *arg, const char **reply);
bool PlatformInfo(const char *arg, const char **reply);
bool Date(const char *arg, const char **reply);
bool TimeStamp(const char *arg, const char **reply);
bool Hacks(const char *arg, const char **reply);
bool KeyboardUi(const char *arg, const char **reply);
bool MemUsageEstimates(const char *arg, const char **reply);
bool ResourceUsage(const char *arg, const char **reply);
bool ProgramBasePath(const char *arg, const char **reply);
bool UserDataPath(const char *arg, const char **reply);
bool SharedUserDataPath(const char *arg, const char **reply);
bool ReplaceFile(const char *arg, const char **reply);
bool LastFileError(const char *arg, const char **reply);

// Tested in this order once the device part declined.
const EngineCommand kEngineCommands[] = {
    {"Renderer", false, EyeMode},
    {"ProgramInfo", false, ProgramInfo},
    {"GetProductValue", false, ProductValue},
    {"PlatformInfo", false, PlatformInfo},
    {"GetDate", false, Date},
    {"GetTimeStamp", false, TimeStamp},
    {"Hacks", false, Hacks},
    {"UI", false, KeyboardUi},
    {"RefreshMemUsageEstimates", false, MemUsageEstimates},
    {"ListResourceUsage", false, ResourceUsage},
    {"SwitchProgramBasePath", true, ProgramBasePath},
    {"SwitchUserDataPath", true, UserDataPath},
    {"SwitchSharedUserDataPath", true, SharedUserDataPath},
    {"ReplaceFile", false, ReplaceFile},
    {"LastFileError", false, LastFileError},
};

// True when the argument is given and equals the text.
bool ArgIs(const char *arg, const char *text);
bool NameMatches(const EngineCommand &row, const char *name);
// The renderer's own commands, asked last: only a loaded and initialised renderer.
const char *RendererExtension(const char *name, const char *arg);

}  // namespace

// Answers a string command: the device part, then the engine's table, then the renderer.
const char *OV_CallExtension(const char *name, const char *arg)
{
    if (!name)
        return nullptr;
    if (const char *reply = OVD_CallExtension(name, arg))
        return reply;
    for (const EngineCommand &row : kEngineCommands) {
        if (!NameMatches(row, name))
            continue;
        const char *reply = nullptr;
        if (row.run(arg, &reply))
            return reply;
    }
    return RendererExtension(name, arg);
}

namespace {

bool ArgIs(const char *arg, const char *text)
{
    return arg && strcmp(arg, text) == 0;
}

bool NameMatches(const EngineCommand &row, const char *name)
{
    return row.any_case ? strcasecmp(row.name, name) == 0 : strcmp(row.name, name) == 0;
}

const char *RendererExtension(const char *name, const char *arg)
{
    if (ov_gfx_calls.RendererLoaded() && ov_state.renderer_ready)
        return ov_gfx_calls.RendererCallExtension(name, arg);
    return nullptr;
}

// The eye of the current draw pass: 1 left, 2 right, anything else the whole screen.
bool EyeMode(const char *arg, const char **reply)
{
    if (!ArgIs(arg, "EyeMode"))
        return false;
    *reply = ov_state.eye_mode == 1 ? "Left" : ov_state.eye_mode == 2 ? "Right" : "Mono";
    return true;
}

// The program id, or the application and variant features joined by one comma.
bool ProgramInfo(const char *arg, const char **reply)
{
    if (ArgIs(arg, "ProgramId")) {
        *reply = ov_prog ? ov_prog->id : "null";
        return true;
    }
    if (ArgIs(arg, "Features")) {
        static nString all_features;
        all_features.Set(ov_state.features);
        if (ov_state.variant_features && ov_state.variant_features[0]) {
            if (!all_features.IsEmpty())
                all_features.Append(",");
            all_features.Append(ov_state.variant_features);
        }
        *reply = all_features.IsEmpty() ? "" : all_features.Get();
        return true;
    }
    return false;
}

// A value of the program settings; a missing one is null and nothing else is asked.
bool ProductValue(const char *arg, const char **reply)
{
    *reply = OVI_GetProductValue(arg);
    return true;
}

bool PlatformInfo(const char *arg, const char **reply)
{
    if (!arg)
        return false;
    const struct {
        const char *arg;
        const char *text;
    } fields[] = {
        {"DeviceModel", ov_platform_info.device_model}, {"OSMajor", ov_platform_info.os_major},
        {"OSMinor", ov_platform_info.os_minor},         {"OrvexImp", ov_platform_info.orvex_imp},
        {"UniqueId", ov_platform_info.unique_id},       {"GPUDesc", ov_platform_info.gpu_desc},
        {"CPUDesc", ov_platform_info.cpu_desc},
    };
    for (const auto &f : fields) {
        if (strcmp(arg, f.arg) == 0) {
            *reply = f.text;
            return true;
        }
    }
    if (strcmp(arg, "DesktopWidth") == 0) {
        static char width[16];
        nStringFormat(width, sizeof width, "%d", ov_device_info.desktop_width);
        *reply = width;
        return true;
    }
    if (strcmp(arg, "DesktopHeight") == 0) {
        static char height[16];
        nStringFormat(height, sizeof height, "%d", ov_device_info.desktop_height);
        *reply = height;
        return true;
    }
    if (strcmp(arg, "PlatformId") == 0) {
        *reply = OVI_GetPlatformIdAsString(ov_platform_info.platform_id);
        return true;
    }
    if (strcmp(arg, "ScreenSizeId") == 0) {
        *reply = OVI_GetScreenSizeIdAsString(ov_platform_info.screen_size_id);
        return true;
    }
    return false;
}

// Local date as year-month-day.
bool Date(const char *, const char **reply)
{
    static char date[32];
    ov_date_t d = OVT_GetDate();
    nStringFormat(date, sizeof date, "%d-%.2d-%.2d", d.year, d.month, d.day);
    *reply = date;
    return true;
}

// Local time as year-month-day:hour-minute.
bool TimeStamp(const char *, const char **reply)
{
    static char stamp[32];
    ov_date_t d = OVT_GetDate();
    nStringFormat(stamp, sizeof stamp, "%d-%.2d-%.2d:%.2d-%.2d", d.year, d.month, d.day, d.hour, d.minute);
    *reply = stamp;
    return true;
}

// Lets a re-initialisation keep the requested resolution; answers nothing itself.
bool Hacks(const char *arg, const char **)
{
    if (ArgIs(arg, "AllowAllResolutions"))
        ov_state.allow_all_resolutions = 1;
    return false;
}

// The engine's own keyboard form is not built (the device part carries the keyboard);
// it tells the developer so and answers nothing itself.
bool KeyboardUi(const char *arg, const char **)
{
    if (ArgIs(arg, "BeginKeyboardInput") || ArgIs(arg, "EndKeyboardInput"))
        OV_Popupf(OV_WARNING, "Unimplemented.\n");
    return false;
}

bool MemUsageEstimates(const char *, const char **reply)
{
    OVI_RefreshMemUsageEstimates();
    *reply = nullptr;
    return true;
}

bool ResourceUsage(const char *, const char **reply)
{
    OVI_ListResourceUsage();
    *reply = nullptr;
    return true;
}

bool ProgramBasePath(const char *arg, const char **reply)
{
    OVI_SwitchProgramBasePath(arg);
    *reply = nullptr;
    return true;
}

bool UserDataPath(const char *arg, const char **reply)
{
    OVI_SwitchUserDataPath("SwitchUserDataPath", OV_PATH_USER0, arg);
    *reply = nullptr;
    return true;
}

bool SharedUserDataPath(const char *arg, const char **reply)
{
    OVI_SwitchUserDataPath("SwitchSharedUserDataPath", OV_PATH_USER, arg);
    *reply = nullptr;
    return true;
}

// Puts the written and closed sibling "<name>.tmp" in place of the file, crash-safely;
// "OK", or null with the file untouched and the sibling removed.
bool ReplaceFile(const char *arg, const char **reply)
{
    *reply = OV_ReplaceFile(arg) ? "OK" : nullptr;
    return true;
}

// Why the calling thread's last file operation failed, as the system words it; null
// when none failed since its last open.
bool LastFileError(const char *, const char **reply)
{
    thread_local char text[128];
    int error = OVFS_GetFileError();
    *reply = nullptr;
    if (error) {
        nStringFormat(text, sizeof text, "%s", strerror(error));
        *reply = text;
    }
    return true;
}

}  // namespace
