// Platform events turned into engine events: touches, the pointer and keys from the
// screen service; window state, swipe-down and exit from the navigator.
#include "core/ov_state.h"
#include "platform/navigator.h"
#include "platform/screen.h"

using namespace ovdev;

namespace {

struct KeyMapEntry {
    int sym;
    int key;
};

// Keys the rest of the system reads by name (console, overlays, editors).
const KeyMapEntry kNamedKeys[] = {
    {KEYCODE_BACKSPACE, 8},  {KEYCODE_RETURN, 13},     {KEYCODE_TAB, 9},          {KEYCODE_ESCAPE, 27},
    {KEYCODE_PG_UP, 33},     {KEYCODE_PG_DOWN, 34},    {KEYCODE_END, 35},         {KEYCODE_HOME, 36},
    {KEYCODE_LEFT, 37},      {KEYCODE_UP, 38},         {KEYCODE_RIGHT, 39},       {KEYCODE_DOWN, 40},
    {KEYCODE_INSERT, 45},    {KEYCODE_DELETE, 46},     {KEYCODE_LEFT_SHIFT, 16},  {KEYCODE_RIGHT_SHIFT, 16},
    {KEYCODE_LEFT_CTRL, 17}, {KEYCODE_RIGHT_CTRL, 17},  {KEYCODE_LEFT_ALT, 18},    {KEYCODE_RIGHT_ALT, 18},
};

// The named keys other than backspace and return.
bool IsNonTypingKey(int sym)
{
    if (sym == KEYCODE_BACKSPACE || sym == KEYCODE_RETURN)
        return false;
    if (sym >= KEYCODE_F1 && sym <= KEYCODE_F12)
        return true;
    for (const KeyMapEntry &e : kNamedKeys)
        if (e.sym == sym)
            return true;
    return false;
}

// The character a key types: the printable codes 0x21-0x7E and 0xA0-0xFF are their own
// character (so '.', '@', 'ä' and the console's '§' can be typed); every other key types
// its key code, which is 0 for keys without one.
int CharacterOfKey(int sym, int key)
{
    if ((sym >= 0x21 && sym <= 0x7E) || (sym >= 0xA0 && sym <= 0xFF))
        return sym;
    return key;
}

// Sends the character a key's press types, unless the key types none: arrows, function
// keys and the like would read as punctuation and letters in a text field.
void SendTypedCharacter(int sym)
{
    if (!IsNonTypingKey(sym))
        OVI_SendCharEvent(CharacterOfKey(sym, OVI_MapKeySymbol(sym)));
}

// A keyboard event (the forms are described with the key flags in platform/screen.h):
// every key is held from its press to its release, and a press types its character
// after the key-down. A character typed without a key of its own is a character alone.
void HandleKeyboardEvent(screen_event_t se)
{
    int flags = 0, sym = 0;
    screen_get_event_property_iv(se, SCREEN_PROPERTY_KEY_FLAGS, &flags);
    screen_get_event_property_iv(se, SCREEN_PROPERTY_KEY_SYM, &sym);
    const bool down = (flags & KEY_DOWN) != 0;
    const bool has_cap = (flags & KEY_CAP_VALID) != 0;
    const bool has_sym = (flags & KEY_SYM_VALID) != 0;
    if (!has_cap && has_sym) {
        if (down)
            SendTypedCharacter(sym);
        return;
    }
    int cap = sym;
    if (has_cap && screen_get_event_property_iv(se, SCREEN_PROPERTY_KEY_CAP, &cap) != 0)
        cap = 0;
    OVI_SendKeyEvent(down ? OV_EVENT_KEY_DOWN : OV_EVENT_KEY_UP, OVI_MapKeySymbol(cap));
    if (down && (!has_cap || has_sym))
        SendTypedCharacter(sym);
}

}  // namespace

int OVI_MapKeySymbol(int sym)
{
    if ((sym >= 'a' && sym <= 'z') || (sym >= 'A' && sym <= 'Z') || (sym >= '0' && sym <= '9') || sym == ' ')
        return sym;
    if (sym >= KEYCODE_F1 && sym <= KEYCODE_F12)
        return 112 + (sym - KEYCODE_F1);
    for (const KeyMapEntry &e : kNamedKeys)
        if (e.sym == sym)
            return e.key;
    return 0;
}

void HandleScreenEvent(bps_event_t *event)
{
    screen_event_t se = screen_event_get_event(event);
    int type = 0;
    int pos[2] = {0, 0};
    int touch_id = 0;
    screen_get_event_property_iv(se, SCREEN_PROPERTY_TYPE, &type);
    screen_get_event_property_iv(se, SCREEN_PROPERTY_POSITION, pos);
    if (screen_get_event_property_iv(se, SCREEN_PROPERTY_TOUCH_ID, &touch_id) != 0)
        touch_id = 0;
    float x = (float)pos[0], y = (float)pos[1];

    switch (type) {
    case SCREEN_EVENT_MTOUCH_TOUCH:
        OVI_SendMouseButtonEvent(OV_EVENT_BUTTON_DOWN, touch_id, OV_KEY_POINTER_BUTTON, x, y);
        break;
    case SCREEN_EVENT_MTOUCH_MOVE:
        OVI_SendMouseMoveEvent(touch_id, x, y);
        break;
    case SCREEN_EVENT_MTOUCH_RELEASE:
        OVI_SendMouseButtonEvent(OV_EVENT_BUTTON_UP, touch_id, OV_KEY_POINTER_BUTTON, x, y);
        break;
    case SCREEN_EVENT_POINTER: {
        int buttons = 0;
        screen_get_event_property_iv(se, SCREEN_PROPERTY_BUTTONS, &buttons);
        OVI_SendMouseMoveEvent(touch_id, x, y);
        if (buttons == 1 && !ov_state.mouse_button_down) {
            ov_state.mouse_button_down = 1;
            OVI_SendMouseButtonEvent(OV_EVENT_BUTTON_DOWN, touch_id, OV_KEY_POINTER_BUTTON, x, y);
        } else if (buttons != 1 && ov_state.mouse_button_down) {
            ov_state.mouse_button_down = 0;
            OVI_SendMouseButtonEvent(OV_EVENT_BUTTON_UP, touch_id, OV_KEY_POINTER_BUTTON, x, y);
        }
        break;
    }
    case SCREEN_EVENT_KEYBOARD:
        HandleKeyboardEvent(se);
        break;
    default:
        break;
    }
}

void HandleNavigatorEvent(bps_event_t *event)
{
    switch (bps_event_get_code(event)) {
    case NAVIGATOR_WINDOW_STATE:
        OVI_ActivateApp(navigator_event_get_window_state(event) == NAVIGATOR_WINDOW_FULLSCREEN);
        break;
    case NAVIGATOR_SWIPE_DOWN:
        OVI_SendKeyEvent(OV_EVENT_KEY_DOWN, OV_KEY_SWIPE_DOWN);
        OVI_SendKeyEvent(OV_EVENT_KEY_UP, OV_KEY_SWIPE_DOWN);
        break;
    case NAVIGATOR_EXIT:
        ov_state.shutdown_requested = 1;
        break;
    case NAVIGATOR_WINDOW_CLOSE:
        OVI_SendWindowCloseEvent();
        break;
    default:
        break;
    }
}
