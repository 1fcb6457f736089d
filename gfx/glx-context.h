// The desktop's OpenGL ES 1.1 context through GLX, on the device layer's X11 window.
// With Mesa's software rasteriser GLX presents through shared memory, where EGL on X11
// sends every frame through the X socket. The renderer falls back to EGL when this
// context cannot be had. Main thread only.
#ifndef OV_GLX_CONTEXT_H
#define OV_GLX_CONTEXT_H

typedef void (*ov_gl_proc_t)(void);

// Creates the context on the window (native display and window of the device layer)
// with no depth or stencil buffer, makes it current and sets the swap interval. On
// failure returns false with why set to a static text saying what was missing.
bool OVID_GLX_Initialize(void *native_display, unsigned long native_window, int swap_interval, const char **why);
// True while a GLX context exists.
bool OVID_GLX_Active();
// True when the context's configuration swaps by copying: the back buffer keeps the
// frame drawn into it.
bool OVID_GLX_BackBufferKept();
// Makes the context current again on its window; false when there is none.
bool OVID_GLX_MakeCurrent();
// Releases and destroys the context (the window stays the device layer's).
void OVID_GLX_Shutdown();
void OVID_GLX_SwapBuffers();
// Asks for the swap interval; false when the driver offers no swap control.
bool OVID_GLX_SetSwapInterval(int interval);
// The window's drawable size in pixels.
void OVID_GLX_DrawableSize(int *width, int *height);
// GL entry points of the GLX context (the renderer's function table is filled from it).
ov_gl_proc_t OVID_GLX_GetProcAddress(const char *name);
// True when the build has the GLX path at all (desktop builds).
bool OVID_GLX_Built();

// Makes Xlib safe for threads (XInitThreads); before any other Xlib call of the
// program, on the main thread. False when Xlib cannot be.
bool OVID_GLX_InitThreads();
// Opens a connection of its own to the X server that DISPLAY names; null when there is
// none. Any thread, after OVID_GLX_InitThreads; the connection is handed to
// OVID_GLX_AdoptDisplay or closed with OVID_GLX_CloseDisplay.
void *OVID_GLX_OpenDisplay();
// Brings GLX up on such a connection, which loads and starts the driver's screen: the
// costly part of a first context, and one that needs no window. False when the server
// has no GLX (the connection stays open). Any thread that owns the connection.
bool OVID_GLX_StartDriverScreen(void *display);
void OVID_GLX_CloseDisplay(void *display);
// The next context is made on this connection (from OVID_GLX_OpenDisplay) instead of
// the device layer's, on the device layer's window (a server-side resource, the same
// on every connection); the connection is closed with that context, or at once when
// none is made on it. Main thread only.
void OVID_GLX_AdoptDisplay(void *display);
// True while the context is made on an adopted connection rather than the device
// layer's.
bool OVID_GLX_OnOwnDisplay();

#endif
