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

#endif
