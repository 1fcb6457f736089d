// The engine's shared state and the internal calls between its core files.
//
// One global `ov_state` holds what the engine's services share: flags of the
// lifecycle, the developer switches of the program settings, the core mutexes,
// key tables, the event queue and the orientation. Each service keeps its own
// pools in its own file; this header only carries what crosses files.
#ifndef OV_STATE_H
#define OV_STATE_H

#include "orvex.h"

#include <stdarg.h>
#include <stdint.h>
#include <vector>

#define OV_CORE_VERSION 2958

// Message levels of OV_PrintDebugf and OV_Popupf.
enum { OV_INFO = 0, OV_WARNING = 1, OV_ERROR = 2, OV_SYSTEM = 3 };

// Indices of the core mutexes.
enum {
    OV_MUTEX_PRINT = 0,
    OV_MUTEX_GET_MUTEX,
    OV_MUTEX_CREATE_DIR,
    OV_MUTEX_GET_PATH,
    OV_MUTEX_GET_BITMAP,
    OV_MUTEX_GET_SOUND,
    OV_MUTEX_GET_FONT,
    OV_MUTEX_GET_SHADER,
    OV_MUTEX_GFX_HW,
    OV_MUTEX_MAIN_LOOP,
    OV_MUTEX_RESOURCE_QUEUE,
    OV_MUTEX_SHARED_BITMAP,
    OV_MUTEX_CORE_IMP,
    OV_CORE_MUTEXES
};

// Path kinds of OV_GetPath and friends.
enum { OV_PATH_USER0 = 0, OV_PATH_USER = 1, OV_PATH_USER_ROOT = 2, OV_PATH_RES = 3, OV_PATH_RES_DATA = 4, OV_PATH_KINDS = 5 };

struct ov_mutex_t {
    char *name;          // owned copy, or null
    void *platform;      // the POSIX mutex, allocated with the record
    uint8_t locked;      // 1 after a lock through the engine
};

// The display the program runs on (window buffer size and orientation).
struct ov_device_info_t {
    int width, height;
    uint8_t fixed_resolution;
    int orientation;          // 1 portrait, 4 landscape
    int desktop_width, desktop_height;
};

// An input implementation: this build carries none, but the frame drives the shape.
struct InputImp {
    virtual bool Initialize(struct ov_state_t *state) = 0;
    virtual void Shutdown() = 0;
    virtual void ActivateWindow(bool active) = 0;
    virtual void FrameStart() = 0;
    virtual void FrameReady() = 0;
};

class SoundImp;

struct ov_state_t {
    orvex_t *ov;
    ov_prog_t *prog;
    ov_device_info_t *device_info;
    void *host;

    // Lifecycle flags.
    uint8_t app_initialized;
    uint8_t reference_counting;
    uint8_t core_ready;
    uint8_t app_active;
    uint8_t shutdown_requested;
    uint8_t reinit_pending;
    uint8_t hosted;
    uint8_t version_mismatch;
    uint8_t allow_all_resolutions;
    uint8_t queue_events;
    uint8_t renderer_ready;
    uint8_t show_fps;
    uint8_t render_stereo;
    int eye_mode;
    uint8_t hide_cursor;
    uint8_t forced_resolution;
    int stored_width, stored_height;

    // Developer switches and settings.
    uint8_t developer_mode;
    uint8_t logging;
    int verbose_level;
    uint8_t console;
    int console_toggle_key;
    uint8_t autoscale;
    char *locale;
    char *packages, *addon_packages, *sfx_package, *music_package, *developer_packages;
    char *resolutions;
    char *variant;
    char *features, *variant_features;
    char *sound_implementation, *renderer_implementation, *input_implementations;

    int byte_order;
    int texture_format;

    // Implementations.
    char *input_names[8];
    InputImp *input_imps[8];
    int num_input_imps;
    SoundImp *sound_imp;

    // Orientation.
    int allowed_orientations;
    int orientation;
    int target_orientation;
    float orientation_timer;
    float orientation_delay;

    // Threads and locks.
    ov_mutex_t *core_mutex[OV_CORE_MUTEXES];
    std::vector<ov_mutex_t *> *named_mutexes;
    int64_t main_thread;
    uint32_t start_time;
    uint8_t first_frame_presented;  // the first presented frame was logged

    // Events and input.
    std::vector<ov_event_t> *event_queue;
    int key_i[OV_KEY_STATES];
    float key_f[OV_KEY_STATES];
    uint8_t mouse_button_down;
    uint8_t input_scaling;
    float input_offset_x, input_offset_y;
    float input_scale_x, input_scale_y;

    // Transforms (the stack itself belongs to the drawing service).
    int transform_top;
    int vertex_processor_top;

    // ---- Graphics (gfx/): drawing state, depth, render target, autoscaling.
    // Set to their start values by OVI_GfxStateSetup.
    int vertex_processor_first;            // one above the highest barrier, 0 when none
    float color_r, color_g, color_b, color_a;
    uint8_t packed_color[4];               // byte order of the interface's SetColor
    ov_vertex_t cur_vertices[4];           // top-left, top-right, bottom-left, bottom-right
    ov_vertex_t user_vertices[4];          // copies of caller-supplied quads
    struct ov_shader_t *cur_shader;
    float depth_near, depth_plane, depth_far, depth_default;
    int blend_mode;
    int pixel_filter;
    struct ov_bitmap_t *render_target;     // null = the screen
    uint8_t atlas_packing;
    uint8_t default_cache_mode;
    int16_t default_pack_mode;
    float autoscale_offset_x, autoscale_offset_y;
    float autoscale_scale_x, autoscale_scale_y;
    float autoscale_inv_scale_x, autoscale_inv_scale_y;
    int reference_width, reference_height;
    float orientation_angle;               // degrees of the current orientation id

    // ---- HUD overlays (gfx/hud*.cpp) and the console overlay.
    int32_t fps_frames;                    // frames counted since the last measurement
    float fps_time;                        // their time in seconds (whole milliseconds)
    float fps;                             // the last measured frames per second
    uint8_t overlay_fonts_fetched;         // bit per overlay; cleared at each start, so no
                                           // overlay keeps a font record of an earlier run
};

// Bits of ov_state.overlay_fonts_fetched.
enum { OV_FONT_FETCHED_CONSOLE = 1, OV_FONT_FETCHED_INFO = 2, OV_FONT_FETCHED_MEMDOG = 4 };

extern ov_state_t ov_state;

// The text state (gfx/): alignment, wrap width, transform and the last measured size.
// Each thread has its own, so that a worker measuring text (a screen preloading on the
// loading thread) never sees or changes what the main thread draws with. A new thread
// starts with these values; OVI_GfxStateSetup resets the calling thread's.
struct ov_text_state_t {
    float textbox_width = 0.0f;
    int text_align = 0;
    float text_scale_x = 1.0f, text_scale_y = 1.0f, text_angle = 0.0f;
    float text_width = 0.0f, text_height = 0.0f;  // the last measured text size
};

extern thread_local ov_text_state_t ov_text;
extern orvex_t orvex;
extern ov_prog_t *ov_prog;
extern ov_prog_t ov_null_prog;
extern ov_parms_t ov_parms;
extern ov_device_info_t ov_device_info;
extern void *ov_ext[OV_EXT_SLOTS];
extern bool ov_print_reference_count_changes;

// --- interface table and application record (interface.cpp)
void OVI_SetBasicInterface(orvex_t *table);
int OVI_LoadProgImp(void);
ov_prog_t *OVI_GetNullProg(void);
void OVI_ValidateParms(ov_parms_t *parms);
void OVI_RevertProgramParameters(void);
ov_prog_t *OVID_LoadProgImp(void);
void OVID_UnloadProgImp(void);

// --- lifecycle (startup.cpp, shutdown.cpp)
void OVI_StateSetup(void *host);
bool OVI_PreInit(void *host);
bool OVI_Init(void);
void OVI_BeginHibernate(void);
bool OVI_EndHibernate(void);
int OVID_LoadInputImp(const char *name);
void OVID_UnloadInputImps(void);
void ORVEX_Shutdown(void);
int OV_SignalShutdown(void);
int OV_ReInit(void);
// The user directory names derived from the record: at most 31 characters each.
void OVI_DeveloperDirName(const char *developer, char out[32]);
void OVI_ProgramDirName(const char *title, char out[32]);
// The process command line handed to the application (`command_line` of its
// parameters): the arguments after the program name, separated by one blank; an
// argument that is empty or holds blanks, quotes or backslashes is written in double
// quotes with '"' and '\\' escaped by a backslash. Kept until the next call; no
// arguments give an empty text; a null argv forgets it. Until set it is null.
void OVI_SetCommandLine(int argc, const char *const *argv);
const char *OVI_GetCommandLine(void);
// Drops the state back to "never started" so a process can pre-initialise again.
void OVI_ResetForTests(void);

// --- main loop and frame (mainloop.cpp, frame.cpp)
int OVI_Main(void);
void OVI_RunMainLoop(void);
void OVI_Frame(int elapsed_ms);

// --- events and key states (events.cpp, platform-events.cpp)
int OVI_SendEvent(ov_event_t *ev);
void OVI_SendCharEvent(int c);
void OVI_SendKeyEvent(int type, int key);
void OVI_SendMouseMoveEvent(int pointer, float x, float y);
void OVI_SendMouseButtonEvent(int type, int pointer, int button, float x, float y);
void OVI_SendMouseWheelEvent(int type, int pointer, int wheel, float x, float y);
void OVI_SendMouseEvent(ov_event_t *ev);
void OVI_SendWindowActivationEvent(bool active);
void OVI_ActivateApp(bool active);
void OVI_SendWindowCloseEvent(void);
void OVI_SendEventQueued(ov_event_t *ev);
void OVI_ProcessEventQueue(void);
void OVI_FreeEvent(ov_event_t *ev);
int OV_GetKeyStatei(int key);
void OV_SetKeyStatei(int key, int value);
float OV_GetKeyStatef(int key);
void OV_SetKeyStatef(int key, float value);
void OVI_ClearKeyStates(void);
void OVI_ResetKeyboardKeyStates(void);
// Engine key code of a platform key symbol (0 for keys the engine does not name).
int OVI_MapKeySymbol(int sym);
namespace ovdev { struct bps_event_t; }
void HandleScreenEvent(ovdev::bps_event_t *event);
void HandleNavigatorEvent(ovdev::bps_event_t *event);
// The console overlay offers to consume an event while it is shown (true = consumed).
bool OVI_ConsoleProcessEvent(ov_event_t *ev, int *answer);

// --- threads, mutexes and time (threads.cpp)
struct OVT_ThreadInfo_t {
    char *name;
    int64_t id;
};
struct ov_time_source_t {
    uint32_t (*now_ms)(void);          // milliseconds, any origin, wrapping at 32 bits
    void (*sleep_s)(unsigned seconds);
    void (*sleep_us)(unsigned microseconds);
    // Sleeps until now_ms reaches the deadline (at once when it has); null: the wait
    // sleeps 1 ms at a time instead.
    void (*sleep_until_ms)(uint32_t deadline_ms);
};
// Replaces the clock and sleeps (tests); null restores the real monotonic clock.
void OVT_SetTimeSource(const ov_time_source_t *source);
void OVT_InitThreads(void);
void OVT_ShutdownThreads(void);
int64_t OVT_CreateThread(const char *name, ov_thread_fn fn, void *arg, int unused);
int64_t OV_CreateThread(const char *name, ov_thread_fn fn, void *arg, int flags);
OVT_ThreadInfo_t *OVT_GetCurrentThreadInfo(void);
// The calling thread's info when it has one, without creating it.
OVT_ThreadInfo_t *OVT_FindCurrentThreadInfo(void);
void OVT_RemoveThreadInfo(OVT_ThreadInfo_t *info);
int OVT_GetNumberOfThreadsRunning(void);
// How many threads have a record in the thread list (the main thread's among them once
// it asked for its own).
int OVT_GetThreadInfoCount(void);
int64_t OVT_GetCurrentThreadId(void);
int64_t OV_GetCurrentThreadId(void);
int OVT_IsMainThread(void);
int OV_IsMainThread(void);
int OVT_KillThread(int64_t id);
void OVT_SetThreadPriority(int64_t id, unsigned priority, bool unused);
ov_mutex_t *OVT_CreateMutex(const char *name);
void OVT_DestroyMutex(ov_mutex_t *m);
void OVT_LockMutex(ov_mutex_t *m);
int OVT_UnlockMutex(ov_mutex_t *m);
ov_mutex_t *OV_GetMutex(const char *name);
void OV_ReleaseMutex(ov_mutex_t *m);
void OV_LockMutex(ov_mutex_t *m);
void OV_UnlockMutex(ov_mutex_t *m);
const char *OVI_GetCoreMutexName(int index);
void OVI_CreateCoreMutexes(void);
void OVI_DestroyCoreMutexes(void);
void OVI_LockCoreMutex(int index);
void OVI_UnlockCoreMutex(int index);
void OV_SynchronizeWithMainThreadBegin(void);
void OV_SynchronizeWithMainThreadEnd(void);
uint32_t OVT_GetTime(void);
uint32_t OV_GetTime(void);
void OVT_Sleep(int ms);
// Notes the moment the program started (main calls it first thing); the first presented
// frame is logged with the milliseconds since then.
void OVI_NoteProcessStart(void);
void OVI_LogFirstFrame(void);
// Sleeps until OVT_GetTime reaches the deadline (an absolute time, so that the wake-up
// does not drift with the time spent before the call); returns at once when it has.
void OVT_SleepUntil(uint32_t deadline_ms);
ov_date_t OVT_GetDate(void);

// --- printing, popups and the log (print.cpp, console-log.cpp)
int OV_Printf(const char *fmt, ...);
int OV_PrintDebugf(int level, const char *fmt, ...);
int OV_Popupf(int level, const char *fmt, ...);
int OVD_Popup(int level, const char *text);
void OVD_PrintDebug(int level, const char *text);
// Prints the popup lines other threads raised since the last frame ("OV: %s").
void OVI_FlushPopupQueue(void);
// Forgets which popup texts were shown (start of a new run in the same process).
void OVI_ResetPopups(void);

// --- paths (fs/paths.cpp) and directories (fs/directories.cpp)
void OVFS_ResolvePaths(void);
void OVI_InitFileSystem(void);
// Sets the two user-directory names that the user:// base directories are built from.
void OVI_SetUserDirectoryNames(const char *developer, const char *program);
const char *OVI_GetUserDirectoryName(int which);  // 0 developer, 1 program
const char *OVI_GetPathRoot(int kind);
const char *OVI_GetPathBase(int kind);
bool OVI_SetPathBase(int kind, const char *native);
const char *OV_GetPath(int kind, const char *fmt, ...);
char *OV_GetPathEx(char *buf, int size, int kind, const char *fmt, ...);
const char *OV_GetPathAsPrefixString(int kind);
void OV_GetStaticPathPrefix(char *buf, int size, const char *name);
bool OV_FileNameContainsStaticPath(const char *name);
bool OV_IsValidStaticPathPrefix(const char *prefix);
bool OV_PathContainsValidPrefix(const char *name);
bool OV_IsValidFileName(const char *name);
const char *OV_GetStaticPathPrefixAsNativeOSPath(const char *prefix);
char *OV_ConvertStaticPathToNativeOSPath(const char *name);
char *OV_ConvertNativeOSPathToStaticPath(const char *native);
void OVI_NormalizeFileName(char *dst, int size, const char *src);
int OV_CreateDirectory(const char *path);
// Creates the directory and its missing parents; 1 when it exists afterwards. Logs
// "Creating Directory" when it made the directory, an error line with the reason when
// it could not; errno tells why on failure.
int OVFS_CreateDirectory(const char *native_path);
// The same without a message: created tells whether this call made the last
// directory, error the reason (an errno value) when the result is 0.
int OVFS_MakeDirectories(const char *native_path, bool *created, int *error);
int OV_DeleteFile(const char *path);

// --- settings, platform, file openers and packages
// (the graphics and sound services are reached through core/service-calls.h)
void OVI_ReadProgramSettings(void);
// Called at the end of reading the settings, so tests can set the switches they need.
void OVI_SetProgramSettingsHook(void (*hook)(void));
// The command line's switches, applied right after the settings files are read:
// developer nonzero turns developer mode on; features (comma-separated, may be null)
// are added to the application's feature string. Kept for every later reading.
void OVI_SetCommandLineSettings(int developer, const char *features);
void OVI_ResolvePlatformInfo(void);
void OVI_InitFileOpeners(void);
void OVI_CloseFileOpeners(void);
void OVI_AddPackages(void);
bool OVI_ProductFeatureExists(const char *feature);
int OVI_OpenFileCount(void);

#endif
