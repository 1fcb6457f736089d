// Builders for the device events both backends produce, so that a touch from the SDL
// window and a touch injected by a test or a script carry the same properties.
#ifndef OVDEV_EVENTS_H
#define OVDEV_EVENTS_H

#include "platform/device.h"

namespace ovdev {

// Touch event of type SCREEN_EVENT_MTOUCH_TOUCH, _MOVE or _RELEASE: TYPE, POSITION
// (x, y in buffer pixels) and TOUCH_ID. The event code is the type.
RawEvent MakeTouchEvent(int type, int id, int x, int y);
// Pointer event: TYPE 6, POSITION, BUTTONS (SCREEN_BUTTON_* bits) and TOUCH_ID 0.
RawEvent MakePointerEvent(int x, int y, int buttons);
// Keyboard event: TYPE 7, KEY_FLAGS (KEY_DOWN when down, else 0) and KEY_SYM: the key
// whose symbol this is goes down or up, and its press types the symbol.
RawEvent MakeKeyEvent(int symbol, bool down);
// Keyboard event of a key alone: KEY_FLAGS (KEY_DOWN when down) | KEY_CAP_VALID and
// KEY_CAP; its press types nothing (the character comes as MakeCharEvent).
RawEvent MakeKeyCapEvent(int cap, bool down);
// Keyboard event of a character typed without a key of its own: KEY_FLAGS KEY_DOWN |
// KEY_SYM_VALID and KEY_SYM.
RawEvent MakeCharEvent(int character);
// Navigator NAVIGATOR_WINDOW_STATE event carrying state 0, 1 or 2.
RawEvent MakeWindowStateEvent(int state);
// Navigator swipe-down gesture.
RawEvent MakeSwipeDownEvent();
// Navigator request to end the program.
RawEvent MakeExitEvent();
RawEvent MakeWindowCloseEvent();

}  // namespace ovdev

#endif
