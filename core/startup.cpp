// The engine's lifecycle: state set-up, pre-initialisation (everything that does not
// need the renderer, ending with the first event to the application), initialisation
// (renderer, input, sound, the application's Init) and shutdown requests.
#include "core/console.h"
#include "core/ov_state.h"
#include "core/service-calls.h"
#include "core/services.h"
#include "core/settings.h"
#include "nstring.h"

#include <ctype.h>
#include <string.h>
#include <string>

ov_state_t ov_state;
ov_device_info_t ov_device_info;
bool ov_print_reference_count_changes = false;

namespace {

std::string *s_command_line = nullptr;  // lives for the process: the application keeps the pointer

// Keeps letters, digits and '-'; anything else becomes '_' so that the name can never
// leave the user directory. Empty names take the fallback.
void SanitiseDirName(const char *name, const char *fallback, char out[32])
{
    if (!name || !name[0]) {
        nStringFormat(out, 32, "%s", fallback);
        return;
    }
    int i = 0;
    for (; name[i] && i < 31; i++) {
        unsigned char c = (unsigned char)name[i];
        out[i] = (isalnum(c) || c == '-') ? (char)c : '_';
    }
    out[i] = 0;
}

void FreeOwnedTexts()
{
    char **texts[] = {&ov_state.locale, &ov_state.packages, &ov_state.addon_packages, &ov_state.sfx_package,
                      &ov_state.music_package, &ov_state.developer_packages, &ov_state.resolutions,
                      &ov_state.variant, &ov_state.features, &ov_state.variant_features,
                      &ov_state.sound_implementation, &ov_state.renderer_implementation,
                      &ov_state.input_implementations};
    for (char **t : texts) {
        nStringFree(*t);
        *t = nullptr;
    }
}

}  // namespace

void OVI_DeveloperDirName(const char *developer, char out[32])
{
    SanitiseDirName(developer, "Talvik", out);
}

void OVI_ProgramDirName(const char *title, char out[32])
{
    SanitiseDirName(title, "unknown", out);
}

// An argument as it goes into the command-line text: plain when it can be told apart
// from its neighbours, else quoted with '"' and '\\' escaped.
static void AppendArgument(std::string &text, const char *arg)
{
    bool plain = arg[0] != 0;
    for (const char *c = arg; *c && plain; c++)
        plain = !isspace((unsigned char)*c) && *c != '"' && *c != '\\';
    if (plain) {
        text += arg;
        return;
    }
    text += '"';
    for (const char *c = arg; *c; c++) {
        if (*c == '"' || *c == '\\')
            text += '\\';
        text += *c;
    }
    text += '"';
}

void OVI_SetCommandLine(int argc, const char *const *argv)
{
    if (!argv) {
        delete s_command_line;
        s_command_line = nullptr;
        return;
    }
    if (!s_command_line)
        s_command_line = new std::string();
    s_command_line->clear();
    for (int i = 1; i < argc; i++) {
        if (!argv[i])
            continue;
        if (!s_command_line->empty())
            *s_command_line += ' ';
        AppendArgument(*s_command_line, argv[i]);
    }
}

const char *OVI_GetCommandLine(void)
{
    return s_command_line ? s_command_line->c_str() : nullptr;
}

void OVI_StateSetup(void *host)
{
    ov = &orvex;
    memset(&orvex, 0, sizeof orvex);
    memset(&ov_parms, 0, sizeof ov_parms);
    OVI_SetBasicInterface(&orvex);

    FreeOwnedTexts();
    delete ov_state.event_queue;
    memset(&ov_state, 0, sizeof ov_state);
    ov_state.event_queue = new std::vector<ov_event_t>();
    ov_parms.command_line = OVI_GetCommandLine();
    ov_state.ov = ov;
    if (host) {
        ov_state.host = host;
        ov_state.hosted = 1;
    }
    ov_state.console_toggle_key = -89;
    ov_state.transform_top = -1;
    ov_state.vertex_processor_top = -1;
    ov_gfx_calls.StateSetup();
    ov_state.orientation = 8;
    ov_state.target_orientation = 8;
    ov_state.allowed_orientations = 12;
    ov_state.device_info = &ov_device_info;
    ov_con.initialised = false;  // until the console opens, messages go to standard error
}

bool OVI_PreInit(void *host)
{
    OVT_InitThreads();
    OVI_StateSetup(host);
    ov_state.main_thread = OVT_GetCurrentThreadId();
    ov_state.start_time = OVT_GetTime();
    OVI_CreateCoreMutexes();
    OVI_ResolvePlatformInfo();
    OVI_InitFileOpeners();

    if (!OVI_LoadProgImp())
        return false;

    OVI_InitFileSystem();
    ov_state.byte_order = 1234;
    OVI_ReadProgramSettings();
    if (OVI_ProgramSettingsFailed())
        return false;

    ov_gfx_calls.GetWindowSize(&ov_device_info.width, &ov_device_info.height);
    ov_device_info.fixed_resolution = 1;
    ov_device_info.orientation = 0;
    ov_gfx_calls.GetDesktopSize(&ov_device_info.desktop_width, &ov_device_info.desktop_height);
    // On a desktop the program starts in a window; the mode the player chose, kept with
    // the profiles, replaces this at the pre-initialisation event.
    if (ov_device_info.desktop_width > 0 && ov_device_info.desktop_height > 0)
        ov_prog->parms.windowed = 1;
    ov_gfx_calls.SelectResolution(ov_prog->parms.windowed);
    OVI_AddPackages();
    ov_gfx_calls.LoadRenderer();

    if (ov_prog->parms.width > ov_prog->parms.height) {
        ov_state.orientation = ov_state.target_orientation = 8;
        ov_state.allowed_orientations = 12;
    } else {
        ov_state.orientation = ov_state.target_orientation = 1;
        ov_state.allowed_orientations = 3;
    }

    char developer[32], program[32];
    OVI_DeveloperDirName(ov_prog->developer_name, developer);
    OVI_ProgramDirName(ov_prog->title, program);
    OVI_SetUserDirectoryNames(developer, program);
    OVI_InitFileSystem();
    char dir[600];
    nStringFormat(dir, sizeof dir, "%s/%s", OVI_GetPathRoot(OV_PATH_USER), developer);
    OVFS_CreateDirectory(dir);
    nStringFormat(dir, sizeof dir, "%s/%s/%s", OVI_GetPathRoot(OV_PATH_USER), developer, program);
    OVFS_CreateDirectory(dir);

    ov_con.Init();
    OV_PrintDebugf(OV_SYSTEM, "Logging Verbose Level set to %d.\n", ov_state.verbose_level);
    if (OVI_GetCommandLine())
        OV_PrintDebugf(OV_SYSTEM, "Command line: '%s'.\n", OVI_GetCommandLine());

    // Fit the program to the device.
    ov_parms_t &p = ov_prog->parms;
    if (ov_device_info.width == 0 || ov_device_info.height == 0) {
        ov_device_info.width = ov_state.stored_width;
        ov_device_info.height = ov_state.stored_height;
    }
    ov_device_info.orientation = ov_device_info.height < ov_device_info.width ? 4 : 1;
    if (p.width == 0 || p.height == 0) {
        OV_Printf("Important parameter is 0: width=%d height=%d override=%d. Forcing override.", p.width, p.height,
                  ov_state.forced_resolution);
        p.width = ov_state.stored_width;
        p.height = ov_state.stored_height;
    }
    if (ov_device_info.fixed_resolution) {
        if (ov_device_info.orientation == 1 && p.width > p.height) {
            p.width = ov_device_info.height;
            p.height = ov_device_info.width;
            ov_state.allowed_orientations = 12;
        } else {
            p.width = ov_device_info.width;
            p.height = ov_device_info.height;
            ov_state.allowed_orientations = 3;
        }
        ov_state.stored_width = p.width;
        ov_state.stored_height = p.height;
        ov_state.forced_resolution = 1;
    }

    ov_state.prog = ov_prog;
    if (ov_prog->EventProc) {
        ov_event_t ev;
        memset(&ev, 0, sizeof ev);
        ev.type = OV_EVENT_PREINIT;
        ev.ptr = ov;
        ev.ptr2 = &ov_prog->parms;
        ov_prog->EventProc(ev);
    }
    ov_parms = ov_prog->parms;

    if (!ov_prog->title[0])
        OV_Popupf(OV_WARNING, "Program doesn't have parm title set: set value prog->title\n");
    if (!ov_prog->id[0])
        OV_Popupf(OV_WARNING, "Program doesn't have parm id set: set value prog->id\n");
    if (!ov_prog->version[0])
        OV_Popupf(OV_WARNING, "Program doesn't have parm version: set value prog->version to e.g. \"1.0.0\"\n");
    if (!ov_prog->developer_name[0])
        OV_Popupf(OV_WARNING, "Program doesn't have parm developer: set value prog->developer_name\n");
    ov_gfx_calls.SetWindowTitle(ov_prog->title);

    OV_AddSearchPath(OV_GetPath(OV_PATH_RES, ""), true);
    OV_AddSearchPath(OV_GetPath(OV_PATH_USER, ""), true);

    ov_print_reference_count_changes = OVI_ProductFeatureExists("PRINT_REFERENCE_COUNT_CHANGES");
    ov_state.hide_cursor = OVI_ProductFeatureExists("HIDE_CURSOR");

    OV_PrintDebugf(OV_SYSTEM, "ORVEX Core PreInitialized.\n");
    if (!ov_gfx_calls.InitImageLoader()) {
        OV_PrintDebugf(OV_ERROR, "ORVEX Image Loader unable to initialize.\n");
        return false;
    }
    return true;
}

int OVID_LoadInputImp(const char *name)
{
    OV_PrintDebugf(OV_SYSTEM, "No extra input imps in static version: '%s' not loaded.\n", name);
    return 1;
}

void OVID_UnloadInputImps(void) {}

bool OVI_Init(void)
{
    OV_PrintDebugf(OV_SYSTEM, "Endianness: %d.\n", ov_state.byte_order);
    ov_gfx_calls.SetupAutoscale();
    for (int i = 0; i < 8; i++)
        if (ov_state.input_names[i])
            OVID_LoadInputImp(ov_state.input_names[i]);
    for (int i = 0; i < ov_state.num_input_imps; i++)
        ov_state.input_imps[i]->Initialize(&ov_state);

    ov_sound_calls.Start();

    ov_state.reference_counting = ov_prog->parms.reference_counting;
    ov_prog->parms.developer_mode = ov_state.developer_mode;
    ov_prog->parms.locale = ov_state.locale;

    // The application starts before the renderer: its Init reads its data, starts its
    // services and sets up its first screen (resources made now reach the GPU when the
    // renderer comes up) while the GL driver, loading on a thread since main began,
    // finishes; the renderer's initialisation waits for that thread.
    OV_Printf("Initializing Program '%s'..\n", ov_prog->title);
    if (ov_prog->Init && ov_prog->Init()) {
        ov_state.app_initialized = 1;
    } else {
        OV_Popupf(OV_ERROR, "Program initialization failed.\n");
        ov_state.app_initialized = 0;
    }

    if (!ov_gfx_calls.InitRenderer()) {
        const char *names = ov_state.renderer_implementation ? ov_state.renderer_implementation : "";
        OV_PrintDebugf(OV_ERROR,
                       "Unable to initialize the renderer ('%s'). Tried all listed renderers but was unable to initialize any.\n",
                       names);
        OV_Popupf(OV_WARNING,
                  "Unable to initialize the graphics ('%s'). Please try restarting the application.\nIf that doesn't help, "
                  "consider updating your display adapter driver software.\nFor more information on how to do this, please "
                  "see your hardware \nmanufacturer's support page.",
                  names);
        // The run ends here without the engine's shutdown; the application, started
        // already, stops its workers and gives back what it holds first.
        OV_SignalShutdown();
        if (ov_state.app_initialized && ov_prog->Shutdown)
            ov_prog->Shutdown();
        ov_state.app_initialized = 0;
        return false;
    }
    ov_state.show_fps = OVI_ProductFeatureExists("SHOW_FPS");
    ov_state.render_stereo = OVI_ProductFeatureExists("RENDER_STEREO");
    ov_state.core_ready = 1;
    return true;
}

int OV_SignalShutdown(void)
{
    // Engine threads (the audio thread) poll the flag while they run.
    __atomic_store_n(&ov_state.shutdown_requested, (uint8_t)1, __ATOMIC_RELEASE);
    // The application's workers poll the record's flag with an acquire load.
    if (ov_prog)
        __atomic_store_n(&ov_prog->parms.quit, (uint8_t)1, __ATOMIC_RELEASE);
    return 1;
}

int OV_ReInit(void)
{
    if (!ov_prog || !ov_gfx_calls.RendererLoaded())
        return 0;
    ov_parms_t &p = ov_prog->parms;
    OV_PrintDebugf(OV_SYSTEM, "Attempting ReInit to %dx%d (windowed=%d)\n", p.width, p.height, p.windowed);
    if (ov_state.allow_all_resolutions) {
        OV_PrintDebugf(OV_SYSTEM, "Allowing all resolutions.\n");
        ov_state.reinit_pending = 1;
        return 1;
    }
    ov_gfx_calls.SelectResolution(p.windowed);
    OV_Printf("Selected resolution %dx%d\n", p.width, p.height);
    if (ov_gfx_calls.ResolutionSupported(p.width, p.height, p.windowed)) {
        ov_state.reinit_pending = 1;
        return 1;
    }
    p.windowed = 1;
    ov_gfx_calls.SelectResolution(p.windowed);
    if (ov_gfx_calls.ResolutionSupported(p.width, p.height, p.windowed)) {
        ov_state.reinit_pending = 1;
        return 1;
    }
    OV_PrintDebugf(OV_WARNING, "Requested resolution %dx%d (windowed=%d) not available.\n", p.width, p.height, p.windowed);
    p.width = ov_parms.width;
    p.height = ov_parms.height;
    p.windowed = ov_parms.windowed;
    ov_state.reinit_pending = 0;
    return 0;
}

void OVI_BeginHibernate(void)
{
    OV_PrintDebugf(OV_SYSTEM, "Begin Hibernate.\n");
    ov_gfx_calls.ShutdownRenderer();
}

bool OVI_EndHibernate(void)
{
    OV_PrintDebugf(OV_SYSTEM, "End Hibernate.\n");
    return ov_gfx_calls.InitRenderer();
}
