// The desktop's OpenGL ES 1.1 context through GLX (see glx-context.h). The context is
// made with glXCreateContextAttribsARB and the ES profile, on a frame-buffer
// configuration of the window's own visual with no depth and no stencil buffer (2-D
// drawing needs neither, and a depth buffer costs a software rasteriser dearly).
#include "gfx/glx-context.h"

#if ORVEX_HAVE_GLX

#include <GL/glx.h>
#include <GL/glxext.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <string.h>

namespace {

Display *s_display = nullptr;  // the connection the context is made on
Display *s_native = nullptr;   // the device layer's connection (the window's owner)
Display *s_own = nullptr;      // a connection of our own (adopted), until its context goes
Window s_window = 0;
GLXContext s_context = nullptr;
bool s_kept = false;  // the configuration's swap copies: the back buffer keeps its frame

// Context creation reports an unsupported request as an X protocol error; without a
// handler of our own Xlib's default one ends the process.
bool s_x_error = false;
int RecordXError(Display *, XErrorEvent *)
{
    s_x_error = true;
    return 0;
}

bool HasExtension(const char *list, const char *name)
{
    if (!list)
        return false;
    size_t n = strlen(name);
    for (const char *p = strstr(list, name); p; p = strstr(p + n, name))
        if ((p == list || p[-1] == ' ') && (p[n] == ' ' || p[n] == '\0'))
            return true;
    return false;
}

int Attribute(GLXFBConfig config, int name)
{
    int value = -1;
    glXGetFBConfigAttrib(s_display, config, name, &value);
    return value;
}

// True when a configuration's visual lays pixels out as the window's does (same depth,
// class and channel masks), so that it can draw into the window.
bool SameLayout(VisualID config_visual, const XWindowAttributes &window)
{
    XVisualInfo wanted;
    wanted.visualid = config_visual;
    int count = 0;
    XVisualInfo *info = XGetVisualInfo(s_display, VisualIDMask, &wanted, &count);
    const Visual *v = window.visual;
    bool same = info && count > 0 && info->depth == window.depth && info->c_class == v->c_class &&
                info->red_mask == v->red_mask && info->green_mask == v->green_mask && info->blue_mask == v->blue_mask;
    if (info)
        XFree(info);
    return same;
}

// A configuration for the window, 8 bits per colour, double-buffered, without depth and
// stencil: of the window's own visual when it has one, else of a visual with the same
// pixel layout (a server often gives its default visual a depth buffer only); null
// when there is none. Of those, one whose swap copies the back buffer (so that it keeps
// the frame and the next one can draw only what changed) comes first.
GLXFBConfig ChooseConfig(int screen, const XWindowAttributes &window)
{
    VisualID visual = XVisualIDFromVisual(window.visual);
    const int wanted[] = {GLX_X_RENDERABLE, True, GLX_DRAWABLE_TYPE, GLX_WINDOW_BIT, GLX_RENDER_TYPE, GLX_RGBA_BIT,
                          GLX_DOUBLEBUFFER, True, GLX_RED_SIZE, 8, GLX_GREEN_SIZE, 8, GLX_BLUE_SIZE, 8,
                          GLX_DEPTH_SIZE, 0, GLX_STENCIL_SIZE, 0, None};
    int count = 0;
    GLXFBConfig *configs = glXChooseFBConfig(s_display, screen, wanted, &count);
    // Best first: the window's visual and copying, the same layout and copying, the
    // window's visual, the same layout.
    GLXFBConfig found[4] = {nullptr, nullptr, nullptr, nullptr};
    for (int i = 0; configs && i < count && !found[0]; i++) {
        GLXFBConfig c = configs[i];
        if (Attribute(c, GLX_DEPTH_SIZE) != 0 || Attribute(c, GLX_STENCIL_SIZE) != 0 ||
            Attribute(c, GLX_SAMPLE_BUFFERS) > 0 || Attribute(c, GLX_CONFIG_CAVEAT) == GLX_SLOW_CONFIG)
            continue;
        VisualID id = (VisualID)Attribute(c, GLX_VISUAL_ID);
        int rank = id == visual ? 0 : (id != 0 && SameLayout(id, window)) ? 1 : -1;
        if (rank < 0)
            continue;
        if (Attribute(c, GLX_SWAP_METHOD_OML) != GLX_SWAP_COPY_OML)
            rank += 2;
        if (!found[rank])
            found[rank] = c;
    }
    GLXFBConfig chosen = nullptr;
    for (int i = 0; i < 4 && !chosen; i++)
        chosen = found[i];
    s_kept = chosen && Attribute(chosen, GLX_SWAP_METHOD_OML) == GLX_SWAP_COPY_OML;
    if (configs)
        XFree(configs);
    return chosen;
}

void CloseOwnDisplay()
{
    if (s_own)
        XCloseDisplay(s_own);
    s_own = nullptr;
}

bool Fail(const char *reason, const char **why)
{
    if (why)
        *why = reason;
    CloseOwnDisplay();
    s_display = nullptr;
    s_native = nullptr;
    s_window = 0;
    return false;
}

}  // namespace

bool OVID_GLX_Built()
{
    return true;
}

bool OVID_GLX_Initialize(void *native_display, unsigned long native_window, int swap_interval, const char **why)
{
    // A context that still exists on the same window is kept: its textures stay valid.
    if (s_context && s_native == native_display && s_window == native_window) {
        if (!OVID_GLX_MakeCurrent())
            return Fail("glXMakeCurrent failed on the kept context", why);
        OVID_GLX_SetSwapInterval(swap_interval);
        return true;
    }
    Display *own = s_own;
    s_own = nullptr;  // kept across the shutdown of an earlier context
    OVID_GLX_Shutdown();
    s_own = own;
    s_native = static_cast<Display *>(native_display);
    s_window = (Window)native_window;
    if (!s_native || !s_window)
        return Fail("no X11 window", why);
    s_display = s_native;
    if (s_own) {
        // The window was made on the device layer's connection: the server knows it
        // once that connection's requests are through.
        XSync(s_native, False);
        s_display = s_own;
    }
    int error_base = 0, event_base = 0;
    if (!glXQueryExtension(s_display, &error_base, &event_base))
        return Fail("the X server has no GLX", why);
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(s_display, s_window, &attributes))
        return Fail("the window's attributes could not be read", why);
    int screen = XScreenNumberOfScreen(attributes.screen);
    const char *extensions = glXQueryExtensionsString(s_display, screen);
    if (!HasExtension(extensions, "GLX_ARB_create_context"))
        return Fail("GLX_ARB_create_context is missing", why);
    if (!HasExtension(extensions, "GLX_EXT_create_context_es_profile"))
        return Fail("GLX_EXT_create_context_es_profile is missing", why);
    auto create = reinterpret_cast<PFNGLXCREATECONTEXTATTRIBSARBPROC>(
        glXGetProcAddressARB(reinterpret_cast<const GLubyte *>("glXCreateContextAttribsARB")));
    if (!create)
        return Fail("glXCreateContextAttribsARB is missing", why);
    GLXFBConfig config = ChooseConfig(screen, attributes);
    if (!config)
        return Fail("no configuration without depth and stencil for the window's visual", why);

    const int context_attributes[] = {GLX_CONTEXT_MAJOR_VERSION_ARB, 1, GLX_CONTEXT_MINOR_VERSION_ARB, 1,
                                      GLX_CONTEXT_PROFILE_MASK_ARB, GLX_CONTEXT_ES_PROFILE_BIT_EXT, None};
    XSync(s_display, False);
    s_x_error = false;
    int (*previous)(Display *, XErrorEvent *) = XSetErrorHandler(RecordXError);
    GLXContext context = create(s_display, config, nullptr, True, context_attributes);
    XSync(s_display, False);
    XSetErrorHandler(previous);
    if (!context || s_x_error) {
        if (context)
            glXDestroyContext(s_display, context);
        return Fail("the driver refused an OpenGL ES 1.1 context", why);
    }
    if (!glXMakeCurrent(s_display, s_window, context)) {
        glXDestroyContext(s_display, context);
        return Fail("glXMakeCurrent failed", why);
    }
    s_context = context;
    OVID_GLX_SetSwapInterval(swap_interval);
    return true;
}

bool OVID_GLX_Active()
{
    return s_context != nullptr;
}

bool OVID_GLX_BackBufferKept()
{
    return s_context && s_kept;
}

bool OVID_GLX_MakeCurrent()
{
    if (!s_context)
        return false;
    return glXMakeCurrent(s_display, s_window, s_context) == True;
}

void OVID_GLX_Shutdown()
{
    if (s_context) {
        glXMakeCurrent(s_display, None, nullptr);
        glXDestroyContext(s_display, s_context);
    }
    s_context = nullptr;
    CloseOwnDisplay();
    s_display = nullptr;
    s_native = nullptr;
    s_window = 0;
}

bool OVID_GLX_InitThreads()
{
    return XInitThreads() != 0;
}

void *OVID_GLX_OpenDisplay()
{
    return XOpenDisplay(nullptr);
}

bool OVID_GLX_StartDriverScreen(void *connection)
{
    Display *display = static_cast<Display *>(connection);
    if (!display)
        return false;
    int error_base = 0, event_base = 0;
    // The extension string of the default screen is what brings the driver's screen up.
    return glXQueryExtension(display, &error_base, &event_base) &&
           glXQueryExtensionsString(display, DefaultScreen(display)) != nullptr;
}

void OVID_GLX_CloseDisplay(void *display)
{
    if (display)
        XCloseDisplay(static_cast<Display *>(display));
}

bool OVID_GLX_OnOwnDisplay()
{
    return s_context && s_own && s_display == s_own;
}

void OVID_GLX_AdoptDisplay(void *display)
{
    if (display == s_own)
        return;
    CloseOwnDisplay();
    s_own = static_cast<Display *>(display);
}

void OVID_GLX_SwapBuffers()
{
    if (s_context)
        glXSwapBuffers(s_display, s_window);
}

bool OVID_GLX_SetSwapInterval(int interval)
{
    if (!s_context)
        return false;
    const char *extensions = glXQueryExtensionsString(s_display, DefaultScreen(s_display));
    if (HasExtension(extensions, "GLX_EXT_swap_control")) {
        auto set = reinterpret_cast<PFNGLXSWAPINTERVALEXTPROC>(
            glXGetProcAddressARB(reinterpret_cast<const GLubyte *>("glXSwapIntervalEXT")));
        if (set) {
            set(s_display, s_window, interval);
            return true;
        }
    }
    if (HasExtension(extensions, "GLX_MESA_swap_control")) {
        auto set = reinterpret_cast<PFNGLXSWAPINTERVALMESAPROC>(
            glXGetProcAddressARB(reinterpret_cast<const GLubyte *>("glXSwapIntervalMESA")));
        if (set)
            return set((unsigned)(interval < 0 ? 0 : interval)) == 0;
    }
    return false;
}

void OVID_GLX_DrawableSize(int *width, int *height)
{
    *width = *height = 0;
    XWindowAttributes attributes;
    if (s_context && XGetWindowAttributes(s_display, s_window, &attributes)) {
        *width = attributes.width;
        *height = attributes.height;
    }
}

ov_gl_proc_t OVID_GLX_GetProcAddress(const char *name)
{
    return reinterpret_cast<ov_gl_proc_t>(glXGetProcAddressARB(reinterpret_cast<const GLubyte *>(name)));
}

#else  // builds without the desktop backend have no X11 window to put a context on

bool OVID_GLX_Built()
{
    return false;
}
bool OVID_GLX_Initialize(void *, unsigned long, int, const char **why)
{
    if (why)
        *why = "this build has no GLX";
    return false;
}
bool OVID_GLX_Active()
{
    return false;
}
bool OVID_GLX_MakeCurrent()
{
    return false;
}
void OVID_GLX_Shutdown() {}
bool OVID_GLX_BackBufferKept()
{
    return false;
}
void OVID_GLX_SwapBuffers() {}
bool OVID_GLX_SetSwapInterval(int)
{
    return false;
}
void OVID_GLX_DrawableSize(int *width, int *height)
{
    *width = *height = 0;
}
ov_gl_proc_t OVID_GLX_GetProcAddress(const char *)
{
    return nullptr;
}
bool OVID_GLX_InitThreads()
{
    return false;
}
void *OVID_GLX_OpenDisplay()
{
    return nullptr;
}
bool OVID_GLX_StartDriverScreen(void *)
{
    return false;
}
void OVID_GLX_CloseDisplay(void *) {}
void OVID_GLX_AdoptDisplay(void *) {}
bool OVID_GLX_OnOwnDisplay()
{
    return false;
}

#endif
