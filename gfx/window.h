// The one window the renderer draws into, created once per process on the device
// layer's screen service, sized and rotated for the device orientation.
#ifndef OV_WINDOW_H
#define OV_WINDOW_H

#include "platform/screen.h"

extern ovdev::screen_context_t ov_qnx_screen_context;
extern ovdev::screen_window_t ov_qnx_screen_window;
extern ovdev::screen_display_t ov_qnx_screen_display;
extern int ov_qnx_screen_width;   // window buffer size; 1024 x 600 until the window exists
extern int ov_qnx_screen_height;
extern int ov_qnx_nbuffers;

// Creates the window on its first call (1 on success, 0 on failure); later calls return 1.
int OV_QNX_InitWindowAndContexts();
// Forgets the window so that a later call creates it again (after the renderer destroyed it).
void OV_QNX_WindowDestroyed();
// Gives the window the program's title; nothing without a window or a title.
void OV_QNX_SetWindowTitle(const char *title);
// Shows the window over the whole desktop (full screen) or as a window of its buffer
// size; true when the window takes that mode (a device without a desktop takes both and
// looks the same in each). False without a window.
bool OV_QNX_SetWindowFullScreen(bool full_screen);
// The window's size as shown, in pixels: the buffer size in a window, the desktop's in
// full screen. The buffer size without a window.
void OV_QNX_GetSurfaceSize(int *width, int *height);
// The size of the desktop the display's windows are shown on; 0, 0 when the display is
// the device's own screen.
void OV_QNX_GetDesktopSize(int *width, int *height);

#endif
