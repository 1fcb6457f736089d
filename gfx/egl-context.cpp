// EGL display, surface and context of the OpenGL ES renderer, the extension scan and
// the non-power-of-two probe. Headless, the display is Mesa's surfaceless platform and
// the surface a pbuffer of the window's buffer size, so that drawing can be read back.
// On the desktop the context is made through GLX on the device layer's X11 window
// (glx-context.cpp); EGL on that window is the fallback when GLX cannot give an
// OpenGL ES 1.1 context, or when ORVEX_GL_CONTEXT=egl asks for it.
#include "core/ov_state.h"
#include "gfx/driver-preload.h"
#include "gfx/glx-context.h"
#include "gfx/rendimp-gles.h"
#include "gfx/window.h"
#include "platform/device.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

ov_gl_caps_t gl_caps = {0, 0, GL_RGB};

static EGLDisplay sEglDisplay = EGL_NO_DISPLAY;
static EGLSurface sEglSurface = EGL_NO_SURFACE;
static EGLContext sEglContext = EGL_NO_CONTEXT;
static EGLConfig sEglConfig = nullptr;
// The swap interval asked for: 1 (one vertical blank per swap) unless the program says otherwise.
static int s_swap_interval = 1;

static bool Headless()
{
    return strcmp(ovdev::BackendName(), "headless") == 0;
}

static EGLDisplay GetDisplay()
{
    auto get_platform_display =
        reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(eglGetProcAddress("eglGetPlatformDisplayEXT"));
    if (Headless())
        return get_platform_display ? get_platform_display(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr)
                                    : EGL_NO_DISPLAY;
    void *native = ovdev::screen_get_native_display(ov_qnx_screen_context);
    if (get_platform_display && native)
        return get_platform_display(EGL_PLATFORM_X11_KHR, native, nullptr);
    return eglGetDisplay((EGLNativeDisplayType)native);
}

static EGLSurface CreateSurface()
{
    if (Headless()) {
        int width = ov_qnx_screen_width, height = ov_qnx_screen_height;
        OV_QNX_GetSurfaceSize(&width, &height);
        EGLint attributes[] = {EGL_WIDTH, width, EGL_HEIGHT, height, EGL_NONE};
        return eglCreatePbufferSurface(sEglDisplay, sEglConfig, attributes);
    }
    auto create_window_surface = reinterpret_cast<PFNEGLCREATEPLATFORMWINDOWSURFACEEXTPROC>(
        eglGetProcAddress("eglCreatePlatformWindowSurfaceEXT"));
    // The X11 platform takes a pointer to the window id.
    unsigned long xid = (unsigned long)(uintptr_t)ovdev::screen_get_native_window(ov_qnx_screen_window);
    if (!create_window_surface || !xid)
        return EGL_NO_SURFACE;
    return create_window_surface(sEglDisplay, sEglConfig, &xid, nullptr);
}

// The window, made on its first use, in the program's window mode: the surface is
// made for the size the window is shown at.
static bool WindowInProgramMode()
{
    if (!OV_QNX_InitWindowAndContexts())
        return false;
    OV_QNX_SetWindowFullScreen(!ov_parms.windowed);
    return true;
}

// The desktop context through GLX, on the GLX connection the driver's preload opened
// when there is one. False (after a log line saying why) when it cannot be had: the
// caller then goes on with EGL.
static bool InitializeDesktopGlx(void *preloaded_display)
{
    if (Headless() || !OVID_GLX_Built()) {
        OVID_GLX_CloseDisplay(preloaded_display);
        return false;
    }
    const char *forced = getenv("ORVEX_GL_CONTEXT");
    if (forced && strcmp(forced, "egl") == 0) {
        OVID_GLX_CloseDisplay(preloaded_display);
        OV_Printf("Desktop GL context: EGL (ORVEX_GL_CONTEXT=egl)\n");
        return false;
    }
    if (preloaded_display)
        OVID_GLX_AdoptDisplay(preloaded_display);
    if (!WindowInProgramMode())
        return false;
    void *display = ovdev::screen_get_native_display(ov_qnx_screen_context);
    unsigned long window = (unsigned long)(uintptr_t)ovdev::screen_get_native_window(ov_qnx_screen_window);
    const char *why = "";
    if (!OVID_GLX_Initialize(display, window, s_swap_interval, &why)) {
        OV_PrintDebugf(OV_WARNING, "No OpenGL ES 1.1 context through GLX (%s): using EGL\n", why);
        return false;
    }
    if (!OVGL_LoadTable(OVID_GLX_GetProcAddress)) {
        OVID_GLX_Shutdown();
        OV_PrintDebugf(OV_WARNING, "No OpenGL ES 1.1 context through GLX (GL entry points missing): using EGL\n");
        return false;
    }
    int width = 0, height = 0;
    OVID_GLX_DrawableSize(&width, &height);
    OV_Printf("OpenGL ES context through GLX: %s\n", (const char *)ovgl.GetString(GL_VERSION));
    OV_Printf("OpenGL window size %dx%d\n", width, height);
    // Presents wait for the vertical blank where the driver lets them; without swap
    // control the main loop's frame limit alone paces the frames.
    if (OVID_GLX_SetSwapInterval(s_swap_interval))
        OV_Printf("Swap interval %d.\n", s_swap_interval);
    else
        OV_Printf("No swap control on this display: the frame limit (%d ms) paces the frames.\n",
                  ov_prog ? ov_prog->parms.min_frame_ms : 0);
    ovgl.Hint(GL_PERSPECTIVE_CORRECTION_HINT, GL_FASTEST);
    return true;
}

// Frames in flight. A pbuffer's swap shows nothing and waits for nothing, so a software
// rasteriser would queue frame after frame behind the program, each holding copies of
// its drawing state (a copy of some 40 KB per texture switch: megabytes in a battle
// frame). Every swap therefore waits until its own frame is drawn, as the desktop's
// present does: one frame's drawing state at a time (letting the frame before overlap
// the program's next one kept two, about 20 MB more at the peak of a battle). The wait
// is a fence of the display, or glFinish where there are no fences.
static PFNEGLCREATESYNCKHRPROC s_create_sync = nullptr;
static PFNEGLCLIENTWAITSYNCKHRPROC s_client_wait_sync = nullptr;
static PFNEGLDESTROYSYNCKHRPROC s_destroy_sync = nullptr;

static void LoadFenceFunctions()
{
    s_create_sync = nullptr;
    s_client_wait_sync = nullptr;
    s_destroy_sync = nullptr;
    const char *extensions = eglQueryString(sEglDisplay, EGL_EXTENSIONS);
    if (!extensions || !strstr(extensions, "EGL_KHR_fence_sync"))
        return;
    s_create_sync = reinterpret_cast<PFNEGLCREATESYNCKHRPROC>(eglGetProcAddress("eglCreateSyncKHR"));
    s_client_wait_sync = reinterpret_cast<PFNEGLCLIENTWAITSYNCKHRPROC>(eglGetProcAddress("eglClientWaitSyncKHR"));
    s_destroy_sync = reinterpret_cast<PFNEGLDESTROYSYNCKHRPROC>(eglGetProcAddress("eglDestroySyncKHR"));
    if (!s_create_sync || !s_client_wait_sync || !s_destroy_sync)
        s_create_sync = nullptr;
}

static void WaitForFrame()
{
    EGLSyncKHR fence = s_create_sync ? s_create_sync(sEglDisplay, EGL_SYNC_FENCE_KHR, nullptr) : EGL_NO_SYNC_KHR;
    if (fence == EGL_NO_SYNC_KHR) {
        ovgl.Finish();
        return;
    }
    s_client_wait_sync(sEglDisplay, fence, EGL_SYNC_FLUSH_COMMANDS_BIT_KHR, EGL_FOREVER_KHR);
    s_destroy_sync(sEglDisplay, fence);
}

// Drops the surface and context (an in-place re-initialisation makes new ones).
static void ReleaseEglObjects()
{
    if (sEglDisplay == EGL_NO_DISPLAY)
        return;
    eglMakeCurrent(sEglDisplay, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    if (sEglContext != EGL_NO_CONTEXT)
        eglDestroyContext(sEglDisplay, sEglContext);
    if (sEglSurface != EGL_NO_SURFACE)
        eglDestroySurface(sEglDisplay, sEglSurface);
    sEglContext = EGL_NO_CONTEXT;
    sEglSurface = EGL_NO_SURFACE;
}

// Brings EGL up and makes the context current on the calling thread.
bool OVID_OGLES_Initialize()
{
    OVID_SetSoftwareRasteriserOptions();
    // The driver loaded ahead (headless: the display brought up; GLX: a connection of
    // its own with the driver's screen up) is in place first.
    ov_driver_preload_result_t preload = OVID_FinishDriverPreload();
    if (InitializeDesktopGlx(preload.glx_display))
        return true;
    ReleaseEglObjects();
    sEglConfig = nullptr;
    sEglDisplay = GetDisplay();
    if (sEglDisplay == EGL_NO_DISPLAY)
        return false;
    EGLint major = 0, minor = 0;
    EGLBoolean initialized = eglInitialize(sEglDisplay, &major, &minor);
    OV_Printf("OpenGL ES version %d.%d\n", major, minor);
    if (eglBindAPI(EGL_OPENGL_ES_API) != EGL_TRUE) {
        OV_PrintDebugf(OV_ERROR, "OpenGL ES eglBindAPI failed.");
        return false;
    }
    bool have_config = false;
    if (!initialized) {
        OV_Popupf(OV_ERROR, "Unable to eglInitialize\n");
        OV_Popupf(OV_ERROR, "Unable to eglGetConfigs\n");
    } else {
        EGLint count = 0;
        if (!eglGetConfigs(sEglDisplay, nullptr, 0, &count)) {
            OV_Popupf(OV_ERROR, "Unable to eglGetConfigs\n");
        } else {
            EGLint surface_bit = Headless() ? EGL_PBUFFER_BIT : EGL_WINDOW_BIT;
            EGLint attributes[] = {EGL_RED_SIZE,     8,           EGL_GREEN_SIZE,      8,
                                   EGL_BLUE_SIZE,    8,           EGL_ALPHA_SIZE,      8,
                                   EGL_DEPTH_SIZE,   0,           EGL_SURFACE_TYPE,    surface_bit,
                                   EGL_RENDERABLE_TYPE, EGL_OPENGL_ES_BIT, EGL_NONE};
            EGLint chosen = 0;
            have_config = eglChooseConfig(sEglDisplay, attributes, &sEglConfig, 1, &chosen) && chosen > 0;
        }
    }
    if (!WindowInProgramMode())
        return false;

    bool made = false;
    if (have_config) {
        sEglSurface = CreateSurface();
        if (sEglSurface == EGL_NO_SURFACE) {
            OV_Popupf(OV_ERROR, "eglCreateWindowSurface failed\n");
        } else {
            sEglContext = eglCreateContext(sEglDisplay, sEglConfig, EGL_NO_CONTEXT, nullptr);
            if (sEglContext == EGL_NO_CONTEXT)
                OV_Popupf(OV_ERROR, "eglCreateContext failed\n");
            else
                made = eglMakeCurrent(sEglDisplay, sEglSurface, sEglSurface, sEglContext) == EGL_TRUE;
        }
    }
    if (!have_config || sEglSurface == EGL_NO_SURFACE || sEglContext == EGL_NO_CONTEXT)
        OV_Popupf(OV_ERROR, "eglCreateContext failed\n");

    EGLint error = eglGetError();
    if (error != EGL_SUCCESS)
        OV_PrintDebugf(OV_ERROR, "EGL Init error 0x%04x\n", error);
    bool swap_ok = made && eglSwapInterval(sEglDisplay, s_swap_interval) == EGL_TRUE;
    if (!swap_ok)
        OV_PrintDebugf(OV_ERROR, "EGL Init error eglSwapInterval\n");
    EGLint width = 0, height = 0;
    if (sEglSurface != EGL_NO_SURFACE) {
        eglQuerySurface(sEglDisplay, sEglSurface, EGL_WIDTH, &width);
        eglQuerySurface(sEglDisplay, sEglSurface, EGL_HEIGHT, &height);
    }
    OV_Printf("OpenGL window size %dx%d\n", width, height);
    if (made && !OVGL_LoadTable(reinterpret_cast<ov_gl_loader_t>(eglGetProcAddress))) {
        OV_PrintDebugf(OV_ERROR, "OpenGL ES entry points missing\n");
        made = swap_ok = false;
    }
    if (made) {
        ovgl.Hint(GL_PERSPECTIVE_CORRECTION_HINT, GL_FASTEST);
        LoadFenceFunctions();
    }
    return swap_ok;
}

// Makes a new surface for the window and keeps the context, so that every texture,
// render target and font atlas in it survives a display change; false when there is
// no context to keep or no surface can be made (the caller then rebuilds everything).
bool OVID_OGLES_RecreateSurface()
{
    // Through GLX the window itself is the drawable and follows its size: the context
    // only has to be current again.
    if (OVID_GLX_Active()) {
        if (!OVID_GLX_MakeCurrent())
            return false;
        OVID_GLX_SetSwapInterval(s_swap_interval);
        return true;
    }
    if (sEglDisplay == EGL_NO_DISPLAY || sEglContext == EGL_NO_CONTEXT || !sEglConfig)
        return false;
    if (!OV_QNX_InitWindowAndContexts())
        return false;
    eglMakeCurrent(sEglDisplay, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    if (sEglSurface != EGL_NO_SURFACE)
        eglDestroySurface(sEglDisplay, sEglSurface);
    sEglSurface = CreateSurface();
    if (sEglSurface == EGL_NO_SURFACE) {
        OV_Popupf(OV_ERROR, "eglCreateWindowSurface failed\n");
        return false;
    }
    if (eglMakeCurrent(sEglDisplay, sEglSurface, sEglSurface, sEglContext) != EGL_TRUE)
        return false;
    if (eglSwapInterval(sEglDisplay, s_swap_interval) != EGL_TRUE)
        OV_PrintDebugf(OV_ERROR, "EGL Init error eglSwapInterval\n");
    return true;
}

// Makes the context current again; false when there is none.
bool OVID_OGLES_TryActivateContext()
{
    if (OVID_GLX_Active())
        return OVID_GLX_MakeCurrent();
    if (sEglContext == EGL_NO_CONTEXT)
        return false;
    return eglMakeCurrent(sEglDisplay, sEglSurface, sEglSurface, sEglContext) == EGL_TRUE;
}

// Releases the EGL objects and destroys the window (it can be created again later).
void OVID_OGLES_Shutdown()
{
    if (OVID_GLX_Active()) {
        OVID_GLX_Shutdown();
        if (ov_qnx_screen_window) {
            ovdev::screen_destroy_window(ov_qnx_screen_window);
            OV_QNX_WindowDestroyed();
        }
    }
    if (sEglDisplay != EGL_NO_DISPLAY) {
        ReleaseEglObjects();
        if (ov_qnx_screen_window) {
            ovdev::screen_destroy_window(ov_qnx_screen_window);
            OV_QNX_WindowDestroyed();
        }
        eglTerminate(sEglDisplay);
    }
    sEglSurface = EGL_NO_SURFACE;
    sEglDisplay = EGL_NO_DISPLAY;
    sEglContext = EGL_NO_CONTEXT;
    eglReleaseThread();
}

bool OVID_OGLES_BackBufferKept()
{
    if (OVID_GLX_Active())
        return OVID_GLX_BackBufferKept();
    if (sEglDisplay == EGL_NO_DISPLAY || sEglSurface == EGL_NO_SURFACE)
        return false;
    // A pbuffer has one buffer, which a swap leaves as it is.
    if (Headless())
        return true;
    EGLint behaviour = 0;
    return eglQuerySurface(sEglDisplay, sEglSurface, EGL_SWAP_BEHAVIOR, &behaviour) &&
           behaviour == EGL_BUFFER_PRESERVED;
}

bool OVID_OGLES_HasDisplay()
{
    return OVID_GLX_Active() || sEglDisplay != EGL_NO_DISPLAY;
}

void OVID_OGLES_SwapBuffers()
{
    if (OVID_GLX_Active()) {
        OVID_GLX_SwapBuffers();
        return;
    }
    eglSwapBuffers(sEglDisplay, sEglSurface);
    WaitForFrame();
}

bool OVID_OGLES_SetSwapInterval(int interval)
{
    s_swap_interval = interval;
    if (OVID_GLX_Active())
        return OVID_GLX_SetSwapInterval(interval);
    if (sEglContext == EGL_NO_CONTEXT)
        return false;
    return eglSwapInterval(sEglDisplay, interval) == EGL_TRUE;
}

const char *OVID_OGLES_ContextKind()
{
    if (OVID_GLX_Active())
        return "glx";
    return sEglContext != EGL_NO_CONTEXT ? "egl" : "none";
}

// Resets the capability record from the driver's extension string.
void RendImpOpenGLES::LoadExtensions()
{
    gl_caps.framebuffer_format = GL_RGB;
    gl_caps.npot = 0;
    gl_caps.separate_blendfunc = 0;
    const char *extensions = (const char *)ovgl.GetString(GL_EXTENSIONS);
    GLenum error = ovgl.GetError();
    if (error != GL_NO_ERROR) {
        OV_Printf("GL_EXTENSIONS ERROR %i", (int)error);
        return;
    }
    if (!extensions)
        return;
    if (strstr(extensions, "GL_APPLE_texture_2D_limited_npot") || strstr(extensions, "GL_IMG_texture_npot"))
        gl_caps.npot = 1;
    if (strstr(extensions, "GL_OES_blend_func_separate"))
        OV_Printf("gl_caps.separate_blendfunc == true");
    else
        OV_Printf("gl_caps.separate_blendfunc == false");
}

// Uploads a 5 x 5 texture: true when the driver accepts it without an error.
bool OV_OpenGL_NPOT_Test()
{
    ovgl.Enable(GL_TEXTURE_2D);
    GLuint texture = 0;
    ovgl.GenTextures(1, &texture);
    ovgl.GetError();
    ovgl.BindTexture(GL_TEXTURE_2D, texture);
    ovgl.GetError();
    ovgl.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    ovgl.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    ovgl.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    ovgl.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    static unsigned char pixels[5 * 5 * 4];
    ovgl.TexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 5, 5, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels);
    bool ok = ovgl.GetError() == GL_NO_ERROR;
    ovgl.DeleteTextures(1, &texture);
    return ok;
}
