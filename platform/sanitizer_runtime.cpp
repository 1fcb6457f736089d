// Linked into the game program and every test program of a sanitizer build only.
//
// Mesa's software driver keeps a few allocations until the process ends, and EGL
// unloads the driver at eglTerminate; LeakSanitizer then sees allocations from an
// "<unknown module>" that no suppression can name. Loading the driver once at start,
// never to be unloaded, keeps its name in those stacks, and the suppressions below
// ignore leaks whose stacks run through the driver stack (and SDL's libdbus).
//
// The runtime's own record of dynamic TLS blocks is turned off (below): it guesses a
// block's bounds from a header layout that this C library no longer has, and when a
// block of the driver's happens to start 16 bytes into a page it records a garbage
// range, which LeakSanitizer's tracer then reads at exit and crashes on ("Tracer
// caught signal 11", after the test passed). Nothing is lost to the leak check: those
// blocks are heap blocks the thread's vector of TLS blocks points to, so they are
// scanned as reachable memory all the same.
#include <dlfcn.h>

namespace {

__attribute__((constructor)) void KeepSoftwareDriverLoaded()
{
    dlopen("/usr/lib/x86_64-linux-gnu/dri/swrast_dri.so", RTLD_LAZY | RTLD_NODELETE);
}

}  // namespace

extern "C" const char *__asan_default_options()
{
    return "intercept_tls_get_addr=0";
}

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
