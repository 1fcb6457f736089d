// The device events both backends produce, built in one place.
#include "platform/events.h"

#include "platform/navigator.h"
#include "platform/screen.h"

namespace ovdev {

RawEvent MakeTouchEvent(int type, int id, int x, int y) {
    RawEvent e;
    e.domain = DOMAIN_SCREEN;
    e.code = static_cast<unsigned>(type);
    e.properties = {{SCREEN_PROPERTY_TYPE, {type}},
                    {SCREEN_PROPERTY_POSITION, {x, y}},
                    {SCREEN_PROPERTY_TOUCH_ID, {id}}};
    return e;
}

RawEvent MakePointerEvent(int x, int y, int buttons) {
    RawEvent e;
    e.domain = DOMAIN_SCREEN;
    e.code = SCREEN_EVENT_POINTER;
    e.properties = {{SCREEN_PROPERTY_TYPE, {SCREEN_EVENT_POINTER}},
                    {SCREEN_PROPERTY_POSITION, {x, y}},
                    {SCREEN_PROPERTY_BUTTONS, {buttons}},
                    {SCREEN_PROPERTY_TOUCH_ID, {0}}};
    return e;
}

RawEvent MakeKeyEvent(int symbol, bool down) {
    RawEvent e;
    e.domain = DOMAIN_SCREEN;
    e.code = SCREEN_EVENT_KEYBOARD;
    e.properties = {{SCREEN_PROPERTY_TYPE, {SCREEN_EVENT_KEYBOARD}},
                    {SCREEN_PROPERTY_KEY_FLAGS, {down ? static_cast<int>(KEY_DOWN) : 0}},
                    {SCREEN_PROPERTY_KEY_SYM, {symbol}}};
    return e;
}

RawEvent MakeKeyCapEvent(int cap, bool down) {
    RawEvent e;
    e.domain = DOMAIN_SCREEN;
    e.code = SCREEN_EVENT_KEYBOARD;
    e.properties = {{SCREEN_PROPERTY_TYPE, {SCREEN_EVENT_KEYBOARD}},
                    {SCREEN_PROPERTY_KEY_FLAGS, {(down ? static_cast<int>(KEY_DOWN) : 0) | KEY_CAP_VALID}},
                    {SCREEN_PROPERTY_KEY_CAP, {cap}}};
    return e;
}

RawEvent MakeCharEvent(int character) {
    RawEvent e;
    e.domain = DOMAIN_SCREEN;
    e.code = SCREEN_EVENT_KEYBOARD;
    e.properties = {{SCREEN_PROPERTY_TYPE, {SCREEN_EVENT_KEYBOARD}},
                    {SCREEN_PROPERTY_KEY_FLAGS, {KEY_DOWN | KEY_SYM_VALID}},
                    {SCREEN_PROPERTY_KEY_SYM, {character}}};
    return e;
}

RawEvent MakeWindowStateEvent(int state) {
    RawEvent e;
    e.domain = DOMAIN_NAVIGATOR;
    e.code = NAVIGATOR_WINDOW_STATE;
    e.properties = {{NAVIGATOR_PROPERTY_WINDOW_STATE, {state}}};
    return e;
}

RawEvent MakeSwipeDownEvent() {
    RawEvent e;
    e.domain = DOMAIN_NAVIGATOR;
    e.code = NAVIGATOR_SWIPE_DOWN;
    return e;
}

RawEvent MakeExitEvent() {
    RawEvent e;
    e.domain = DOMAIN_NAVIGATOR;
    e.code = NAVIGATOR_EXIT;
    return e;
}

RawEvent MakeWindowCloseEvent() {
    RawEvent e;
    e.domain = DOMAIN_NAVIGATOR;
    e.code = NAVIGATOR_WINDOW_CLOSE;
    return e;
}

}  // namespace ovdev
