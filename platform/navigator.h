// Navigator and virtual keyboard of our device layer: window state, swipe-down and
// exit events, opening links, rotation lock, and the on-screen keyboard.
#ifndef OVDEV_NAVIGATOR_H
#define OVDEV_NAVIGATOR_H

#include "platform/bps.h"

namespace ovdev {

enum {
    NAVIGATOR_EXIT = 2,
    NAVIGATOR_WINDOW_STATE = 3,
    NAVIGATOR_SWIPE_DOWN = 4,
    // The window's close button (our numbering): a request the program may answer by
    // asking first, unlike NAVIGATOR_EXIT, which ends the program.
    NAVIGATOR_WINDOW_CLOSE = 5,

    NAVIGATOR_WINDOW_FULLSCREEN = 0,
    NAVIGATOR_WINDOW_THUMBNAIL = 1,
    NAVIGATOR_WINDOW_INVISIBLE = 2,

    // Property of a NAVIGATOR_WINDOW_STATE event that holds the state (our numbering).
    NAVIGATOR_PROPERTY_WINDOW_STATE = 1,
};

// Domain of navigator events in bps_event_get_domain.
int navigator_get_domain();
int navigator_request_events(int flags);
int navigator_rotation_lock(bool locked);
// Window state carried by a NAVIGATOR_WINDOW_STATE event.
int navigator_event_get_window_state(bps_event_t *event);
// Hands a link to the desktop; BPS_SUCCESS when it was handed on. When err is given it
// is set to null, or on failure to a text the caller frees with bps_free.
int navigator_invoke(const char *uri, char **err);

int virtualkeyboard_request_events(int flags);
void virtualkeyboard_show();
void virtualkeyboard_hide();
void virtualkeyboard_change_options(int layout, int enter_key);

}  // namespace ovdev

#endif
