// SDL2 input to device events: keys, text, mouse as pointer and touch 0, fingers as
// touches in slots 0..9, window state and close requests.
#include "platform/desktop_input.h"

#include "platform/events.h"
#include "platform/navigator.h"
#include "platform/screen.h"

namespace ovdev {
namespace desktop {
namespace {

struct KeyEntry {
    SDL_Keycode key;
    int symbol;
};

const KeyEntry kKeys[] = {
    {SDLK_BACKSPACE, KEYCODE_BACKSPACE}, {SDLK_TAB, KEYCODE_TAB},
    {SDLK_RETURN, KEYCODE_RETURN},       {SDLK_KP_ENTER, KEYCODE_RETURN},
    {SDLK_ESCAPE, KEYCODE_ESCAPE},       {SDLK_HOME, KEYCODE_HOME},
    {SDLK_LEFT, KEYCODE_LEFT},           {SDLK_UP, KEYCODE_UP},
    {SDLK_RIGHT, KEYCODE_RIGHT},         {SDLK_DOWN, KEYCODE_DOWN},
    {SDLK_PAGEUP, KEYCODE_PG_UP},        {SDLK_PAGEDOWN, KEYCODE_PG_DOWN},
    {SDLK_END, KEYCODE_END},             {SDLK_INSERT, KEYCODE_INSERT},
    {SDLK_DELETE, KEYCODE_DELETE},       {SDLK_LSHIFT, KEYCODE_LEFT_SHIFT},
    {SDLK_RSHIFT, KEYCODE_RIGHT_SHIFT},  {SDLK_LCTRL, KEYCODE_LEFT_CTRL},
    {SDLK_RCTRL, KEYCODE_RIGHT_CTRL},    {SDLK_LALT, KEYCODE_LEFT_ALT},
    {SDLK_RALT, KEYCODE_RIGHT_ALT},
};

const SDL_Keycode kFunctionKeys[] = {SDLK_F1, SDLK_F2, SDLK_F3, SDLK_F4,  SDLK_F5,  SDLK_F6,
                                     SDLK_F7, SDLK_F8, SDLK_F9, SDLK_F10, SDLK_F11, SDLK_F12};

int ButtonBit(Uint8 button) {
    switch (button) {
    case SDL_BUTTON_LEFT: return SCREEN_BUTTON_LEFT;
    case SDL_BUTTON_MIDDLE: return SCREEN_BUTTON_MIDDLE;
    case SDL_BUTTON_RIGHT: return SCREEN_BUTTON_RIGHT;
    default: return 0;
    }
}

}  // namespace

KeyMapping MapKey(SDL_Keycode key) {
    if (key == kSwipeDownKey) return {KeyAction::SwipeDown, 0};
    for (const KeyEntry &e : kKeys) {
        if (e.key == key) return {KeyAction::Key, e.symbol};
    }
    for (int i = 0; i < 12; ++i) {
        if (kFunctionKeys[i] == key) return {KeyAction::Key, KEYCODE_F1 + i};
    }
    // Printable keys have their character as keycode (the unshifted one of the layout);
    // the others carry SDL's scancode bit.
    if (key >= SDLK_a && key <= SDLK_z) return {KeyAction::Cap, static_cast<int>(key - SDLK_a + 'A')};
    if (key >= SDLK_SPACE && !(key & SDLK_SCANCODE_MASK)) return {KeyAction::Cap, key};
    return {};
}

std::vector<int> DecodeUtf8(const char *text) {
    std::vector<int> out;
    if (!text) return out;
    const unsigned char *p = reinterpret_cast<const unsigned char *>(text);
    while (*p) {
        const unsigned char lead = *p;
        int length = 0, code = 0;
        if (lead < 0x80) length = 1, code = lead;
        else if ((lead & 0xE0) == 0xC0) length = 2, code = lead & 0x1F;
        else if ((lead & 0xF0) == 0xE0) length = 3, code = lead & 0x0F;
        else if ((lead & 0xF8) == 0xF0) length = 4, code = lead & 0x07;
        else {
            ++p;  // stray continuation byte or invalid lead
            continue;
        }
        int i = 1;
        for (; i < length && (p[i] & 0xC0) == 0x80; ++i) code = (code << 6) | (p[i] & 0x3F);
        if (i < length) {
            p += i;  // cut short: drop the partial character
            continue;
        }
        p += length;
        const bool overlong = (length == 2 && code < 0x80) || (length == 3 && code < 0x800) ||
                              (length == 4 && code < 0x10000);
        const bool invalid = code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF);
        if (!overlong && !invalid) out.push_back(code);
    }
    return out;
}

void InputTranslator::set_sizes(int buffer_width, int buffer_height, int window_width, int window_height) {
    buffer_width_ = buffer_width;
    buffer_height_ = buffer_height;
    window_width_ = window_width;
    window_height_ = window_height;
}

void InputTranslator::translate(const SDL_Event &event, std::vector<RawEvent> *out) {
    const bool just_closed = quit_after_close_;
    quit_after_close_ = false;
    switch (event.type) {
    case SDL_MOUSEBUTTONDOWN: mouse_button(event.button, true, out); break;
    case SDL_MOUSEBUTTONUP: mouse_button(event.button, false, out); break;
    case SDL_MOUSEMOTION: mouse_motion(event.motion, out); break;
    case SDL_FINGERDOWN:
    case SDL_FINGERMOTION:
    case SDL_FINGERUP: finger(event.tfinger, event.type, out); break;
    case SDL_TEXTINPUT:
        for (int c : DecodeUtf8(event.text.text)) out->push_back(MakeCharEvent(c));
        break;
    case SDL_KEYDOWN:
    case SDL_KEYUP: key(event.key, event.type == SDL_KEYDOWN, out); break;
    case SDL_WINDOWEVENT: window_event(event.window, out); break;
    case SDL_QUIT:
        if (!just_closed) exit_request(out);  // else the close button's own SDL_QUIT
        break;
    default: break;
    }
}

// Every key is held from its press to its release. Named keys repeat their press while
// held (arrows walk a list, backspace deletes on); a printable key is pressed once, its
// characters repeat through text input.
void InputTranslator::key(const SDL_KeyboardEvent &e, bool down, std::vector<RawEvent> *out) {
    const KeyMapping m = MapKey(e.keysym.sym);
    switch (m.action) {
    case KeyAction::Key: out->push_back(MakeKeyEvent(m.symbol, down)); break;
    case KeyAction::Cap:
        if (!(down && e.repeat)) out->push_back(MakeKeyCapEvent(m.symbol, down));
        break;
    case KeyAction::SwipeDown:
        if (down && !e.repeat) out->push_back(MakeSwipeDownEvent());
        break;
    case KeyAction::None: break;
    }
}

// The left button is touch 0 alone: sending it as a pointer button too would give the
// engine two presses per click. Pointer events carry hover moves and the other buttons.
void InputTranslator::mouse_button(const SDL_MouseButtonEvent &e, bool down, std::vector<RawEvent> *out) {
    if (e.which == SDL_TOUCH_MOUSEID) return;  // SDL's copy of a finger, already handled
    const int bit = ButtonBit(e.button);
    if (bit == 0 || down == ((buttons_ & bit) != 0)) return;
    buttons_ = down ? (buttons_ | bit) : (buttons_ & ~bit);
    int x = 0, y = 0;
    to_buffer(e.x, e.y, &x, &y);
    if (bit == SCREEN_BUTTON_LEFT)
        out->push_back(MakeTouchEvent(down ? SCREEN_EVENT_MTOUCH_TOUCH : SCREEN_EVENT_MTOUCH_RELEASE, 0, x, y));
    else
        out->push_back(MakePointerEvent(x, y, buttons_ & ~SCREEN_BUTTON_LEFT));
}

void InputTranslator::mouse_motion(const SDL_MouseMotionEvent &e, std::vector<RawEvent> *out) {
    if (e.which == SDL_TOUCH_MOUSEID) return;
    int x = 0, y = 0;
    to_buffer(e.x, e.y, &x, &y);
    if (buttons_ & SCREEN_BUTTON_LEFT)
        out->push_back(MakeTouchEvent(SCREEN_EVENT_MTOUCH_MOVE, 0, x, y));
    else
        out->push_back(MakePointerEvent(x, y, buttons_));
}

void InputTranslator::finger(const SDL_TouchFingerEvent &e, Uint32 type, std::vector<RawEvent> *out) {
    if (e.touchId == SDL_MOUSE_TOUCHID) return;  // SDL's copy of the mouse
    int slot = -1, event_type = 0;
    if (type == SDL_FINGERDOWN) {
        slot = fingers_.press(e.fingerId);
        event_type = SCREEN_EVENT_MTOUCH_TOUCH;
    } else if (type == SDL_FINGERMOTION) {
        slot = fingers_.find(e.fingerId);
        event_type = SCREEN_EVENT_MTOUCH_MOVE;
    } else {
        slot = fingers_.release(e.fingerId);
        event_type = SCREEN_EVENT_MTOUCH_RELEASE;
    }
    if (slot < 0) return;  // more fingers than slots, or a finger we never saw go down
    int x = 0, y = 0;
    to_buffer(static_cast<int>(e.x * window_width_), static_cast<int>(e.y * window_height_), &x, &y);
    out->push_back(MakeTouchEvent(event_type, slot, x, y));
}

void InputTranslator::window_event(const SDL_WindowEvent &e, std::vector<RawEvent> *out) {
    switch (e.event) {
    case SDL_WINDOWEVENT_MINIMIZED: window_state(NAVIGATOR_WINDOW_THUMBNAIL, out); break;
    case SDL_WINDOWEVENT_HIDDEN: window_state(NAVIGATOR_WINDOW_INVISIBLE, out); break;
    case SDL_WINDOWEVENT_SHOWN:
    case SDL_WINDOWEVENT_RESTORED:
    case SDL_WINDOWEVENT_MAXIMIZED: window_state(NAVIGATOR_WINDOW_FULLSCREEN, out); break;
    case SDL_WINDOWEVENT_CLOSE: close_request(out); break;
    default: break;  // focus changes and the rest leave the program's state alone
    }
}

void InputTranslator::window_state(int state, std::vector<RawEvent> *out) {
    if (state == window_state_) return;
    window_state_ = state;
    out->push_back(MakeWindowStateEvent(state));
}

// The close button asks the program, which may ask the player first; SDL follows the
// last window's close with SDL_QUIT, which belongs to the same click.
void InputTranslator::close_request(std::vector<RawEvent> *out) {
    if (exit_sent_) return;
    quit_after_close_ = true;
    out->push_back(MakeWindowCloseEvent());
}

void InputTranslator::exit_request(std::vector<RawEvent> *out) {
    if (exit_sent_) return;
    exit_sent_ = true;
    out->push_back(MakeExitEvent());
}

void InputTranslator::to_buffer(int window_x, int window_y, int *x, int *y) const {
    const PictureRect picture = FitPicture(buffer_width_, buffer_height_, window_width_, window_height_);
    SurfaceToPicture(picture, buffer_width_, buffer_height_, window_x, window_y, x, y);
}

}  // namespace desktop
}  // namespace ovdev
