// Turning SDL2 input into device events for the desktop backend: the key table, the
// UTF-8 text decoder and the translator that keeps mouse and finger state. Plain
// functions of SDL's event structures, so they work without a window.
#ifndef OVDEV_DESKTOP_INPUT_H
#define OVDEV_DESKTOP_INPUT_H

#include <SDL.h>

#include <vector>

#include "platform/device.h"
#include "platform/picture_fit.h"
#include "platform/touch_slots.h"

namespace ovdev {
namespace desktop {

// Key: a named key (KEYCODE_* symbol) that types nothing but return and backspace;
// Cap: a printable key, reported by its label (capital letters) while the character
// it types comes from text input.
enum class KeyAction { None, Key, Cap, SwipeDown };

struct KeyMapping {
    KeyAction action = KeyAction::None;
    int symbol = 0;  // the KEYCODE_* value for Key, the label for Cap
};

// The Menu key (the one that opens context menus) stands in for the tablet's
// swipe-down gesture from the top bezel.
constexpr SDL_Keycode kSwipeDownKey = SDLK_APPLICATION;

// What a key press or release of this desktop key does: named keys (Alt among them, the
// tablet's MENU) by their KEYCODE_* symbol, printable keys by their label, so that a
// letter is the same key with or without Shift; keys of neither kind map to None.
KeyMapping MapKey(SDL_Keycode key);

// The code points of UTF-8 text; malformed bytes are skipped.
std::vector<int> DecodeUtf8(const char *text);

// Keeps the state between SDL events (mouse buttons, finger slots, window state) and
// appends the device events each one stands for.
class InputTranslator {
public:
    // Buffer size (the pixels events report) and window size (the pixels SDL reports
    // the mouse in). The buffer's picture fills the window with its aspect kept
    // (picture_fit.h); positions on the window are mapped back into it, those on the
    // bars to the picture's nearest edge.
    void set_sizes(int buffer_width, int buffer_height, int window_width, int window_height);
    // Appends the device events this SDL event stands for (often none).
    void translate(const SDL_Event &event, std::vector<RawEvent> *out);

private:
    void key(const SDL_KeyboardEvent &e, bool down, std::vector<RawEvent> *out);
    void mouse_button(const SDL_MouseButtonEvent &e, bool down, std::vector<RawEvent> *out);
    void mouse_motion(const SDL_MouseMotionEvent &e, std::vector<RawEvent> *out);
    void finger(const SDL_TouchFingerEvent &e, Uint32 type, std::vector<RawEvent> *out);
    void window_event(const SDL_WindowEvent &e, std::vector<RawEvent> *out);
    void window_state(int state, std::vector<RawEvent> *out);
    void close_request(std::vector<RawEvent> *out);
    void exit_request(std::vector<RawEvent> *out);
    void to_buffer(int window_x, int window_y, int *x, int *y) const;

    int buffer_width_ = 1024, buffer_height_ = 600;
    int window_width_ = 1024, window_height_ = 600;
    int buttons_ = 0;          // SCREEN_BUTTON_* bits held
    int window_state_ = 0;     // last state reported, full screen at start
    bool exit_sent_ = false;
    bool quit_after_close_ = false;  // the last event was the close button's
    TouchSlots fingers_;
};

}  // namespace desktop
}  // namespace ovdev

#endif
