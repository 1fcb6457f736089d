// Screen service of our device layer: the context, the one window EGL renders into,
// and the touch, pointer and keyboard events. Property numbers the engine relies on
// are fixed below; the rest are ours.
#ifndef OVDEV_SCREEN_H
#define OVDEV_SCREEN_H

#include "platform/bps.h"

namespace ovdev {

struct screen_context;
struct screen_window;
struct screen_display;
struct screen_event;
typedef screen_context *screen_context_t;
typedef screen_window *screen_window_t;
typedef screen_display *screen_display_t;
typedef screen_event *screen_event_t;

enum {
    SCREEN_APPLICATION_CONTEXT = 0,

    // Properties fixed by the engine's event handling.
    SCREEN_PROPERTY_BUTTONS = 6,
    SCREEN_PROPERTY_KEY_FLAGS = 25,
    SCREEN_PROPERTY_KEY_CAP = 26,       // the key itself, read only with KEY_CAP_VALID
    SCREEN_PROPERTY_KEY_SYM = 28,
    SCREEN_PROPERTY_POSITION = 41,      // two ints: x, y in buffer pixels
    SCREEN_PROPERTY_TYPE = 47,
    SCREEN_PROPERTY_TOUCH_ID = 73,
    SCREEN_PROPERTY_IDLE_MODE = 80,
    // Window and display properties of our own numbering.
    SCREEN_PROPERTY_FORMAT = 1001,
    SCREEN_PROPERTY_USAGE = 1002,
    SCREEN_PROPERTY_DISPLAY = 1003,     // window -> screen_display_t (pv)
    SCREEN_PROPERTY_SIZE = 1004,        // display size, two ints
    SCREEN_PROPERTY_MODE = 1005,        // display mode, two ints: width, height
    SCREEN_PROPERTY_BUFFER_SIZE = 1006, // window buffer size, two ints
    SCREEN_PROPERTY_ROTATION = 1007,    // window rotation in degrees
    SCREEN_PROPERTY_TITLE = 1008,       // window title, text (cv); "" at start
    SCREEN_PROPERTY_FULLSCREEN = 1009,  // window: 1 covers the desktop, 0 a window of its buffer size (start)
    SCREEN_PROPERTY_SURFACE_SIZE = 1010,  // window, read only: its size as shown, two ints (below)
    SCREEN_PROPERTY_DESKTOP_SIZE = 1011,  // display, read only: the desktop's size, two ints; 0, 0 without one

    // Event types.
    SCREEN_EVENT_POINTER = 6,
    SCREEN_EVENT_KEYBOARD = 7,
    SCREEN_EVENT_MTOUCH_TOUCH = 100,
    SCREEN_EVENT_MTOUCH_MOVE = 101,
    SCREEN_EVENT_MTOUCH_RELEASE = 102,

    SCREEN_FORMAT_RGBX8888 = 9,
    SCREEN_USAGE_OPENGL_ES1 = 16,
    SCREEN_USAGE_ROTATION = 512,

    // Bits of SCREEN_PROPERTY_KEY_FLAGS. A keyboard event names its key in one of three
    // ways:
    // - neither VALID bit: KEY_SYM is both the key and the character its press types (the
    //   tablet's keyboard, injected keys, scripts);
    // - KEY_CAP_VALID: KEY_CAP is the key (a capital letter, a digit, any other printable
    //   character, or a KEYCODE_* value), and with KEY_SYM_VALID too, KEY_SYM is the
    //   character its press types (none without it);
    // - KEY_SYM_VALID alone: KEY_SYM is a character typed without a key of its own (a
    //   desktop's text input): it is never held and has no release.
    // A press (KEY_DOWN) holds its key until the event of its release (KEY_DOWN clear).
    KEY_DOWN = 1,
    KEY_SYM_VALID = 0x40,
    KEY_CAP_VALID = 0x80,

    // Bits of SCREEN_PROPERTY_BUTTONS.
    SCREEN_BUTTON_LEFT = 1,
    SCREEN_BUTTON_MIDDLE = 2,
    SCREEN_BUTTON_RIGHT = 4,
};

// Key symbols. Printable characters use their character code; the keys below use
// codes of the 0xF000 page. Backspace and return are fixed by the engine.
enum {
    KEYCODE_BACKSPACE = 0xF008,
    KEYCODE_TAB = 0xF009,
    KEYCODE_RETURN = 0xF00D,
    KEYCODE_ESCAPE = 0xF01B,
    KEYCODE_HOME = 0xF050,
    KEYCODE_LEFT = 0xF051,
    KEYCODE_UP = 0xF052,
    KEYCODE_RIGHT = 0xF053,
    KEYCODE_DOWN = 0xF054,
    KEYCODE_PG_UP = 0xF055,
    KEYCODE_PG_DOWN = 0xF056,
    KEYCODE_END = 0xF057,
    KEYCODE_INSERT = 0xF063,
    KEYCODE_F1 = 0xF0BE,               // F1..F12 are consecutive
    KEYCODE_F12 = 0xF0C9,
    KEYCODE_LEFT_SHIFT = 0xF0E1,
    KEYCODE_RIGHT_SHIFT = 0xF0E2,
    KEYCODE_LEFT_CTRL = 0xF0E3,
    KEYCODE_RIGHT_CTRL = 0xF0E4,
    KEYCODE_LEFT_ALT = 0xF0E9,
    KEYCODE_RIGHT_ALT = 0xF0EA,
    KEYCODE_DELETE = 0xF0FF,
};

// Domain of screen events in bps_event_get_domain.
int screen_get_domain();
// The screen event carried by an event-service event of the screen domain.
screen_event_t screen_event_get_event(bps_event_t *event);

int screen_create_context(screen_context_t *ctx, int type);
int screen_destroy_context(screen_context_t ctx);
// Ask for (or stop) screen events of this context in the event service.
int screen_request_events(screen_context_t ctx);
int screen_stop_events(screen_context_t ctx);

int screen_create_window(screen_window_t *win, screen_context_t ctx);
int screen_destroy_window(screen_window_t win);
int screen_create_window_buffers(screen_window_t win, int count);
int screen_set_window_property_iv(screen_window_t win, int pname, const int *param);
// Sets a text property (SCREEN_PROPERTY_TITLE) from len bytes of param; the text ends at
// len or at a NUL before it.
int screen_set_window_property_cv(screen_window_t win, int pname, int len, const char *param);
int screen_get_window_property_iv(screen_window_t win, int pname, int *param);
int screen_get_window_property_pv(screen_window_t win, int pname, void **param);
int screen_get_display_property_iv(screen_display_t disp, int pname, int *param);
int screen_get_event_property_iv(screen_event_t ev, int pname, int *param);

// A window's size as shown (SCREEN_PROPERTY_SURFACE_SIZE): its buffer size as a window;
// in full screen the desktop's size, where there is a desktop (else the buffer size).
// The buffer's picture is drawn into it scaled with its aspect kept (picture_fit.h).

// The handle EGL takes as its native window (desktop: the X11 window; headless: null).
void *screen_get_native_window(screen_window_t win);
// The handle EGL takes as its native display (desktop: the X11 display; headless: null).
void *screen_get_native_display(screen_context_t ctx);

}  // namespace ovdev

#endif
