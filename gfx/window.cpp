// Creating the renderer's window: format, usage, buffer size chosen from the display
// mode and the "ORIENTATION" angle, rotation and buffers.
#include "gfx/window.h"
#include "core/ov_state.h"

#include <stdlib.h>
#include <string.h>

using namespace ovdev;

screen_context_t ov_qnx_screen_context = nullptr;
screen_window_t ov_qnx_screen_window = nullptr;
screen_display_t ov_qnx_screen_display = nullptr;
int ov_qnx_screen_width = 1024;
int ov_qnx_screen_height = 600;
int ov_qnx_nbuffers = 2;

static bool s_window_created = false;
// The window was last put on a desktop (its size as shown can then differ from its
// buffer's); without one the surface is the buffer and nobody needs to be asked.
static bool s_on_desktop = false;

static int Fail(const char *call)
{
    OV_PrintDebugf(OV_ERROR, "%s", call);
    return 0;
}

int OV_QNX_InitWindowAndContexts()
{
    if (s_window_created)
        return 1;
    s_window_created = true;

    if (screen_create_window(&ov_qnx_screen_window, ov_qnx_screen_context) != 0)
        return Fail("screen_create_window");
    int format = SCREEN_FORMAT_RGBX8888;
    if (screen_set_window_property_iv(ov_qnx_screen_window, SCREEN_PROPERTY_FORMAT, &format) != 0)
        return Fail("screen_set_window_property_iv(SCREEN_PROPERTY_FORMAT)");
    int usage = SCREEN_USAGE_OPENGL_ES1 | SCREEN_USAGE_ROTATION;
    if (screen_set_window_property_iv(ov_qnx_screen_window, SCREEN_PROPERTY_USAGE, &usage) != 0)
        return Fail("screen_set_window_property_iv(SCREEN_PROPERTY_USAGE)");
    if (screen_get_window_property_pv(ov_qnx_screen_window, SCREEN_PROPERTY_DISPLAY, (void **)&ov_qnx_screen_display) != 0)
        return Fail("screen_get_window_property_pv");
    int display_size[2];
    if (screen_get_display_property_iv(ov_qnx_screen_display, SCREEN_PROPERTY_SIZE, display_size) != 0)
        return Fail("screen_get_display_property_iv");

    const char *env = getenv("ORIENTATION");
    int angle = env ? atoi(env) : 0;  // unset or non-numeric reads as 0

    int mode[2];
    if (screen_get_display_property_iv(ov_qnx_screen_display, SCREEN_PROPERTY_MODE, mode) != 0)
        return Fail("screen_get_display_property_iv");
    int size[2];
    if (screen_get_window_property_iv(ov_qnx_screen_window, SCREEN_PROPERTY_BUFFER_SIZE, size) != 0)
        return Fail("screen_get_display_property_iv");

    unsigned mw = (unsigned)mode[0], mh = (unsigned)mode[1];
    int w = size[0], h = size[1];
    bool swap;
    if (angle == 0 || angle == 180)
        swap = (mw > mh && w < h) || (mw < mh && w > h);
    else if (angle == 90 || angle == 270)
        swap = (mw > mh && w > h) || (mw < mh && w < h);
    else {
        OV_PrintDebugf(OV_ERROR, "rttt");
        return 0;
    }
    if (swap) {
        int t = w;
        w = h;
        h = t;
    }
    ov_qnx_screen_width = w;
    ov_qnx_screen_height = h;
    int buffer[2] = {w, h};
    if (screen_set_window_property_iv(ov_qnx_screen_window, SCREEN_PROPERTY_BUFFER_SIZE, buffer) != 0)
        return Fail("screen_set_window_property_iv");
    if (screen_set_window_property_iv(ov_qnx_screen_window, SCREEN_PROPERTY_ROTATION, &angle) != 0)
        return Fail("screen_set_window_property_iv");
    if (screen_create_window_buffers(ov_qnx_screen_window, ov_qnx_nbuffers) != 0)
        return Fail("screen_create_window_buffers");
    return 1;
}

void OV_QNX_SetWindowTitle(const char *title)
{
    if (!ov_qnx_screen_window || !title || !title[0])
        return;
    if (screen_set_window_property_cv(ov_qnx_screen_window, SCREEN_PROPERTY_TITLE, (int)strlen(title), title) != 0)
        OV_PrintDebugf(OV_WARNING, "Unable to set the window title.\n");
}

bool OV_QNX_SetWindowFullScreen(bool full_screen)
{
    if (!ov_qnx_screen_window)
        return false;
    int desktop_w = 0, desktop_h = 0;
    OV_QNX_GetDesktopSize(&desktop_w, &desktop_h);
    s_on_desktop = desktop_w > 0 && desktop_h > 0;
    int value = full_screen ? 1 : 0;
    if (screen_set_window_property_iv(ov_qnx_screen_window, SCREEN_PROPERTY_FULLSCREEN, &value) != 0) {
        OV_PrintDebugf(OV_WARNING, "Unable to show the window %s.\n", full_screen ? "full screen" : "as a window");
        return false;
    }
    return true;
}

void OV_QNX_GetSurfaceSize(int *width, int *height)
{
    int size[2] = {ov_qnx_screen_width, ov_qnx_screen_height};
    if (s_on_desktop && ov_qnx_screen_window && screen_get_window_property_iv(ov_qnx_screen_window, SCREEN_PROPERTY_SURFACE_SIZE, size) != 0) {
        size[0] = ov_qnx_screen_width;
        size[1] = ov_qnx_screen_height;
    }
    *width = size[0];
    *height = size[1];
}

void OV_QNX_GetDesktopSize(int *width, int *height)
{
    int size[2] = {0, 0};
    if (!ov_qnx_screen_display ||
        screen_get_display_property_iv(ov_qnx_screen_display, SCREEN_PROPERTY_DESKTOP_SIZE, size) != 0)
        size[0] = size[1] = 0;
    *width = size[0];
    *height = size[1];
}

void OV_QNX_WindowDestroyed()
{
    ov_qnx_screen_window = nullptr;
    s_window_created = false;
    s_on_desktop = false;
}
