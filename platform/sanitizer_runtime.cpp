// Linked into the game program and every test program of a sanitizer build only.
//
// Mesa's software driver keeps a few allocations until the process ends, and EGL
// unloads the driver at eglTerminate; LeakSanitizer then sees allocations from an
// "<unknown module>" that no suppression can name. Loading the driver once at start,
// never to be unloaded, keeps its name in those stacks, and the suppressions below
// ignore leaks whose stacks run through the driver stack (and SDL's libdbus).
#include <dlfcn.h>

namespace {

__attribute__((constructor)) void KeepSoftwareDriverLoaded()
{
    dlopen("/usr/lib/x86_64-linux-gnu/dri/swrast_dri.so", RTLD_LAZY | RTLD_NODELETE);
}

}  // namespace

extern "C" const char *__lsan_default_suppressions()
{
    return "leak:libEGL_mesa.so\n"
           "leak:libEGL.so\n"
           "leak:libGLESv1_CM.so\n"
           "leak:libGLX_mesa.so\n"
           "leak:libGLX.so\n"
           "leak:libGLdispatch.so\n"
           "leak:libglapi.so\n"
           "leak:swrast_dri.so\n"
           "leak:libLLVM\n"
           // libdbus, which SDL's X11 video uses, keeps a block until exit.
           "leak:libdbus-1.so\n";
}
