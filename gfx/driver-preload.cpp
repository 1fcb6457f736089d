// The GL driver loaded ahead of the renderer (see driver-preload.h).
#include "gfx/driver-preload.h"

#include "gfx/glx-context.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <dlfcn.h>
#include <pthread.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include <string>
#include <system_error>
#include <thread>
#include <vector>

namespace {

// The software driver's file: every Mesa driver of a release is one shared file, so
// the renderer's own load of whichever driver it picks finds this one mapped already.
const char kDriverFile[] = "swrast_dri.so";

// Owned by the main thread; the preload thread reads the plan and writes the result,
// and the join in OVID_FinishDriverPreload orders both against the main thread.
std::thread s_thread;
std::vector<std::string> s_libraries;  // the plan's libraries, copied for the thread
bool s_surfaceless_display = false;
bool s_glx_display = false;
ov_driver_preload_result_t s_result;
std::string s_driver_path;  // the text behind the last plan's driver entry
// The thread's X connection when the server had no GLX for it. The thread leaves it
// open and the main thread closes it once it has waited for the thread, which is after
// the device layer's own connection is up: an X server left without clients resets,
// and drops every connection still being set up at that moment, the device layer's
// among them when it was opening its display meanwhile (on a server with no other
// client, such as a bare one the program runs alone on).
void *s_display_without_glx = nullptr;

void CloseDisplayWithoutGlx()
{
    OVID_GLX_CloseDisplay(s_display_without_glx);
    s_display_without_glx = nullptr;
}

// Joins a thread still running at exit, for processes that never call
// OVID_StopDriverPreload (tests); too late for the driver's own exit handlers, which the
// program's main is not.
struct JoinAtExit {
    ~JoinAtExit() { OVID_StopDriverPreload(); }
} s_join_at_exit;

bool Readable(const std::string &path)
{
    return access(path.c_str(), R_OK) == 0;
}

// The driver file: in the first LIBGL_DRIVERS_PATH folder holding it, else in the "dri"
// folder beside the EGL library the program runs with; empty when not found.
std::string FindDriverFile()
{
    const char *list = getenv("LIBGL_DRIVERS_PATH");
    if (list && list[0]) {
        std::string folders(list);
        size_t start = 0;
        while (start <= folders.size()) {
            size_t end = folders.find(':', start);
            if (end == std::string::npos)
                end = folders.size();
            std::string path = folders.substr(start, end - start) + "/" + kDriverFile;
            if (end > start && Readable(path))
                return path;
            start = end + 1;
        }
        return std::string();
    }
    Dl_info info;
    if (!dladdr(reinterpret_cast<void *>(&eglGetProcAddress), &info) || !info.dli_fname)
        return std::string();
    std::string library(info.dli_fname);
    size_t slash = library.rfind('/');
    if (slash == std::string::npos)
        return std::string();
    std::string path = library.substr(0, slash) + "/dri/" + kDriverFile;
    return Readable(path) ? path : std::string();
}

void Preload()
{
    pthread_setname_np(pthread_self(), "gl-preload");
    ov_driver_preload_result_t result = {0, false, nullptr};
    for (const std::string &library : s_libraries) {
        // Bound now and kept local: the GL stack's own loads later make it global
        // where they ask for that. The handle stays open for the run.
        if (dlopen(library.c_str(), RTLD_NOW | RTLD_LOCAL))
            result.libraries_opened++;
    }
    if (s_surfaceless_display) {
        auto get_platform_display =
            reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(eglGetProcAddress("eglGetPlatformDisplayEXT"));
        EGLDisplay display = get_platform_display
                                 ? get_platform_display(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr)
                                 : EGL_NO_DISPLAY;
        EGLint major = 0, minor = 0;
        result.display_initialised = display != EGL_NO_DISPLAY && eglInitialize(display, &major, &minor) == EGL_TRUE;
        // The display stays up; what EGL keeps for this thread goes.
        eglReleaseThread();
    }
    if (s_glx_display) {
        void *display = OVID_GLX_OpenDisplay();
        if (OVID_GLX_StartDriverScreen(display))
            result.glx_display = display;
        else
            s_display_without_glx = display;
    }
    s_result = result;
}

}  // namespace

ov_driver_preload_plan_t OVID_DriverPreloadPlan(bool headless)
{
    ov_driver_preload_plan_t plan = {{nullptr, nullptr, nullptr}, 0, false, false};
    if (headless) {
        plan.surfaceless_display = true;
        return plan;
    }
    // The vendor library of the context the renderer will make (GLX unless told EGL).
    const char *forced = getenv("ORVEX_GL_CONTEXT");
    bool glx = OVID_GLX_Built() && !(forced && strcmp(forced, "egl") == 0);
    plan.libraries[plan.num_libraries++] = glx ? "libGLX_mesa.so.0" : "libEGL_mesa.so.0";
    plan.glx_display = glx;
    s_driver_path = FindDriverFile();
    if (!s_driver_path.empty())
        plan.libraries[plan.num_libraries++] = s_driver_path.c_str();
    return plan;
}

void OVID_SetSoftwareRasteriserOptions()
{
    if (!getenv("LP_PERF"))
        setenv("LP_PERF", "no_rast_linear", 0);
}

void OVID_StartDriverPreloadPlan(const ov_driver_preload_plan_t &plan)
{
    if (s_thread.joinable())
        return;
    OVID_SetSoftwareRasteriserOptions();
    s_libraries.clear();
    for (int i = 0; i < plan.num_libraries && i < 3; i++)
        if (plan.libraries[i])
            s_libraries.push_back(plan.libraries[i]);
    s_surfaceless_display = plan.surfaceless_display;
    // The thread's X connection and the display layer's run side by side.
    s_glx_display = plan.glx_display && OVID_GLX_InitThreads();
    s_result = {0, false, nullptr};
    try {
        s_thread = std::thread(Preload);
    } catch (const std::system_error &) {
        // No thread to spare: the renderer loads the driver itself, as it always could.
    }
}

void OVID_StartDriverPreload(bool headless)
{
    if (s_thread.joinable())
        return;
    OVID_StartDriverPreloadPlan(OVID_DriverPreloadPlan(headless));
}

ov_driver_preload_result_t OVID_FinishDriverPreload()
{
    if (!s_thread.joinable())
        return {0, false, nullptr};
    s_thread.join();
    CloseDisplayWithoutGlx();
    ov_driver_preload_result_t result = s_result;
    s_result = {0, false, nullptr};
    return result;
}

void OVID_StopDriverPreload()
{
    // No renderer adopts the thread's GLX connection: it is closed here.
    OVID_GLX_CloseDisplay(OVID_FinishDriverPreload().glx_display);
}

bool OVID_DriverPreloadPending()
{
    return s_thread.joinable();
}
