// Tests of the desktop backend's input translation, run on hand-made SDL events with no
// window: the key table, UTF-8 text, mouse as pointer and touch 0, fingers in slots,
// window state and close requests.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/desktop_input.h"
#include "platform/events.h"
#include "platform/navigator.h"
#include "platform/screen.h"
#include "platform_fixture.h"

namespace {

using namespace ovdev;
using desktop::InputTranslator;
using desktop::KeyAction;
using desktop::MapKey;
using ovdev_test::Describe;
using Texts = std::vector<std::string>;

struct KeyCase {
    SDL_Keycode key;
    KeyAction action;
    int symbol;
};

TEST(DesktopKeys, SpecialKeysMapToDeviceSymbols) {
    const std::vector<KeyCase> cases = {
        {SDLK_BACKSPACE, KeyAction::Key, 0xF008}, {SDLK_RETURN, KeyAction::Key, 0xF00D},
        {SDLK_KP_ENTER, KeyAction::Key, 0xF00D},  {SDLK_TAB, KeyAction::Key, 0xF009},
        {SDLK_ESCAPE, KeyAction::Key, 0xF01B},    {SDLK_HOME, KeyAction::Key, 0xF050},
        {SDLK_LEFT, KeyAction::Key, 0xF051},      {SDLK_UP, KeyAction::Key, 0xF052},
        {SDLK_RIGHT, KeyAction::Key, 0xF053},     {SDLK_DOWN, KeyAction::Key, 0xF054},
        {SDLK_PAGEUP, KeyAction::Key, 0xF055},    {SDLK_PAGEDOWN, KeyAction::Key, 0xF056},
        {SDLK_END, KeyAction::Key, 0xF057},       {SDLK_INSERT, KeyAction::Key, 0xF063},
        {SDLK_DELETE, KeyAction::Key, 0xF0FF},    {SDLK_LSHIFT, KeyAction::Key, 0xF0E1},
        {SDLK_RSHIFT, KeyAction::Key, 0xF0E2},    {SDLK_LCTRL, KeyAction::Key, 0xF0E3},
        {SDLK_RCTRL, KeyAction::Key, 0xF0E4},     {SDLK_F1, KeyAction::Key, 0xF0BE},
        {SDLK_F2, KeyAction::Key, 0xF0BF},        {SDLK_F10, KeyAction::Key, 0xF0C7},
        {SDLK_F11, KeyAction::Key, 0xF0C8},       {SDLK_F12, KeyAction::Key, 0xF0C9},
        {SDLK_LALT, KeyAction::Key, 0xF0E9},      {SDLK_RALT, KeyAction::Key, 0xF0EA},
        {SDLK_APPLICATION, KeyAction::SwipeDown, 0},
        // Printable keys by their label (their characters arrive as text): a letter
        // as its capital, whatever Shift says.
        {SDLK_a, KeyAction::Cap, 'A'},            {SDLK_x, KeyAction::Cap, 'X'},
        {SDLK_z, KeyAction::Cap, 'Z'},            {SDLK_SPACE, KeyAction::Cap, ' '},
        {SDLK_1, KeyAction::Cap, '1'},            {SDLK_MINUS, KeyAction::Cap, '-'},
        {0xA7, KeyAction::Cap, 0xA7},             // '§' of some layouts
        {SDLK_F13, KeyAction::None, 0},           {SDLK_KP_1, KeyAction::None, 0},
        {SDLK_LGUI, KeyAction::None, 0},
    };
    for (const KeyCase &c : cases) {
        SCOPED_TRACE(SDL_GetKeyName(c.key));
        const desktop::KeyMapping m = MapKey(c.key);
        EXPECT_EQ(m.action, c.action);
        EXPECT_EQ(m.symbol, c.symbol);
    }
    EXPECT_EQ(desktop::kSwipeDownKey, SDLK_APPLICATION);
}

TEST(DesktopKeys, FunctionKeysAreConsecutive) {
    const SDL_Keycode keys[] = {SDLK_F1, SDLK_F2, SDLK_F3, SDLK_F4,  SDLK_F5,  SDLK_F6,
                                SDLK_F7, SDLK_F8, SDLK_F9, SDLK_F10, SDLK_F11, SDLK_F12};
    for (int i = 0; i < 12; ++i) EXPECT_EQ(MapKey(keys[i]).symbol, KEYCODE_F1 + i) << "F" << i + 1;
}

struct Utf8Case {
    const char *text;
    std::vector<int> codes;
};

TEST(DesktopText, Utf8DecodesToCodePoints) {
    const std::vector<Utf8Case> cases = {
        {"", {}},
        {"q", {'q'}},
        {"a b", {'a', ' ', 'b'}},
        {"\xC3\xA9", {0xE9}},                      // é
        {"\xE2\x82\xAC", {0x20AC}},                // €
        {"\xF0\x9F\x98\x80", {0x1F600}},           // an emoji, four bytes
        {"x\x80y", {'x', 'y'}},                    // stray continuation byte
        {"\xC3", {}},                              // cut short
        {"\xC0\xAF", {}},                          // overlong '/'
        {"\xED\xA0\x80!", {'!'}},                  // surrogate half
    };
    for (const Utf8Case &c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(desktop::DecodeUtf8(c.text), c.codes);
    }
    EXPECT_TRUE(desktop::DecodeUtf8(nullptr).empty());
}

// Builders of SDL events as the desktop delivers them.
SDL_Event MouseButton(bool down, Uint8 button, int x, int y, Uint32 which = 0) {
    SDL_Event e{};
    e.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
    e.button.which = which;
    e.button.button = button;
    e.button.state = down ? SDL_PRESSED : SDL_RELEASED;
    e.button.x = x;
    e.button.y = y;
    return e;
}

SDL_Event MouseMotion(int x, int y, Uint32 which = 0) {
    SDL_Event e{};
    e.type = SDL_MOUSEMOTION;
    e.motion.which = which;
    e.motion.x = x;
    e.motion.y = y;
    return e;
}

SDL_Event Finger(Uint32 type, SDL_FingerID finger, float x, float y, SDL_TouchID device = 1) {
    SDL_Event e{};
    e.type = type;
    e.tfinger.touchId = device;
    e.tfinger.fingerId = finger;
    e.tfinger.x = x;
    e.tfinger.y = y;
    return e;
}

SDL_Event Key(bool down, SDL_Keycode key, bool repeat = false) {
    SDL_Event e{};
    e.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    e.key.keysym.sym = key;
    e.key.repeat = repeat ? 1 : 0;
    return e;
}

SDL_Event Text(const char *text) {
    SDL_Event e{};
    e.type = SDL_TEXTINPUT;
    SDL_strlcpy(e.text.text, text, sizeof(e.text.text));
    return e;
}

SDL_Event Window(SDL_WindowEventID id) {
    SDL_Event e{};
    e.type = SDL_WINDOWEVENT;
    e.window.event = static_cast<Uint8>(id);
    return e;
}

SDL_Event Quit() {
    SDL_Event e{};
    e.type = SDL_QUIT;
    return e;
}

class Translation : public ::testing::Test {
protected:
    void SetUp() override { input_.set_sizes(1024, 600, 1024, 600); }

    // The device events a run of SDL events turns into, as text.
    Texts Feed(const std::vector<SDL_Event> &events) {
        std::vector<RawEvent> out;
        for (const SDL_Event &e : events) input_.translate(e, &out);
        return Describe(out);
    }

    static std::string Touch(int type, int id, int x, int y) { return Describe(MakeTouchEvent(type, id, x, y)); }
    static std::string Pointer(int x, int y, int buttons) { return Describe(MakePointerEvent(x, y, buttons)); }
    static std::string KeyEv(int sym, bool down) { return Describe(MakeKeyEvent(sym, down)); }

    InputTranslator input_;
};

// Hover moves are pointer events; the left button and drags with it are touch 0 only,
// so a click reaches the engine as exactly one press and one release.
TEST_F(Translation, LeftMouseIsTouchZeroAndHoverIsPointer) {
    EXPECT_EQ(Feed({MouseMotion(5, 6), MouseButton(true, SDL_BUTTON_LEFT, 10, 20), MouseMotion(15, 25),
                    MouseButton(false, SDL_BUTTON_LEFT, 16, 26), MouseMotion(17, 27)}),
              (Texts{Pointer(5, 6, 0), Touch(100, 0, 10, 20), Touch(101, 0, 15, 25), Touch(102, 0, 16, 26),
                     Pointer(17, 27, 0)}));
}

TEST_F(Translation, OtherButtonsArePointerOnly) {
    EXPECT_EQ(Feed({MouseButton(true, SDL_BUTTON_RIGHT, 1, 2), MouseMotion(3, 4),
                    MouseButton(true, SDL_BUTTON_MIDDLE, 3, 4), MouseButton(false, SDL_BUTTON_RIGHT, 3, 4),
                    MouseButton(true, SDL_BUTTON_X1, 3, 4)}),
              (Texts{Pointer(1, 2, 4), Pointer(3, 4, 4), Pointer(3, 4, 6), Pointer(3, 4, 2)}));
}

TEST_F(Translation, RepeatedButtonReportsAreIgnored) {
    EXPECT_EQ(Feed({MouseButton(true, SDL_BUTTON_LEFT, 1, 1), MouseButton(true, SDL_BUTTON_LEFT, 1, 1),
                    MouseButton(false, SDL_BUTTON_LEFT, 1, 1), MouseButton(false, SDL_BUTTON_LEFT, 1, 1)}),
              (Texts{Touch(100, 0, 1, 1), Touch(102, 0, 1, 1)}));
}

TEST_F(Translation, MouseEventsMadeFromTouchesAreIgnored) {
    EXPECT_TRUE(Feed({MouseButton(true, SDL_BUTTON_LEFT, 1, 1, SDL_TOUCH_MOUSEID),
                      MouseMotion(2, 2, SDL_TOUCH_MOUSEID),
                      MouseButton(false, SDL_BUTTON_LEFT, 2, 2, SDL_TOUCH_MOUSEID)})
                    .empty());
    // And touches made from the mouse likewise.
    EXPECT_TRUE(Feed({Finger(SDL_FINGERDOWN, 1, 0.5f, 0.5f, SDL_MOUSE_TOUCHID)}).empty());
}

TEST_F(Translation, MousePositionsAreScaledToBufferPixels) {
    input_.set_sizes(1024, 600, 512, 300);
    EXPECT_EQ(Feed({MouseMotion(100, 50), MouseMotion(600, -3)}),
              (Texts{Pointer(200, 100, 0), Pointer(1023, 0, 0)}));
}

// Full screen on a 1920 x 1080 monitor: the 1024 x 600 picture is 1843 x 1080 from x 38
// (picture_fit.h). Mouse and fingers land on the buffer pixel drawn under them; on the
// bars they land on the picture's nearest edge.
TEST_F(Translation, FullScreenPositionsAreMappedBackThroughThePicture) {
    input_.set_sizes(1024, 600, 1920, 1080);
    EXPECT_EQ(Feed({MouseMotion(38, 0), MouseMotion(1880, 1079), MouseMotion(10, 500), MouseMotion(1900, 500),
                    MouseButton(true, SDL_BUTTON_LEFT, 700, 540), MouseButton(false, SDL_BUTTON_LEFT, 701, 541),
                    Finger(SDL_FINGERDOWN, 9, 0.5f, 0.5f)}),
              (Texts{Pointer(0, 0, 0), Pointer(1023, 599, 0), Pointer(0, 277, 0), Pointer(1023, 277, 0),
                     Touch(100, 0, 367, 300), Touch(102, 0, 368, 300), Touch(100, 0, 512, 300)}));
}

TEST_F(Translation, FingersTakeSlotsAndBufferPixels) {
    EXPECT_EQ(Feed({Finger(SDL_FINGERDOWN, 7001, 0.5f, 0.25f), Finger(SDL_FINGERDOWN, 7002, 0.0f, 1.0f),
                    Finger(SDL_FINGERMOTION, 7001, 0.75f, 0.5f), Finger(SDL_FINGERUP, 7001, 0.75f, 0.5f),
                    Finger(SDL_FINGERDOWN, 7003, 0.1f, 0.1f), Finger(SDL_FINGERUP, 7002, 0.0f, 1.0f)}),
              (Texts{Touch(100, 0, 512, 150), Touch(100, 1, 0, 599), Touch(101, 0, 768, 300),
                     Touch(102, 0, 768, 300), Touch(100, 0, 102, 60), Touch(102, 1, 0, 599)}));
}

TEST_F(Translation, EleventhFingerAndUnknownFingersAreDropped) {
    std::vector<SDL_Event> downs;
    for (int i = 0; i < 11; ++i) downs.push_back(Finger(SDL_FINGERDOWN, 100 + i, 0.0f, 0.0f));
    const Texts out = Feed(downs);
    ASSERT_EQ(out.size(), 10u);
    EXPECT_EQ(out[9], Touch(100, 9, 0, 0));
    EXPECT_TRUE(Feed({Finger(SDL_FINGERMOTION, 110, 0.2f, 0.2f), Finger(SDL_FINGERUP, 110, 0.2f, 0.2f),
                      Finger(SDL_FINGERMOTION, 999, 0.2f, 0.2f)})
                    .empty());
}

TEST_F(Translation, TextGivesOneCharacterPerCodePoint) {
    const auto ch = [](int c) { return Describe(MakeCharEvent(c)); };
    EXPECT_EQ(Feed({Text("hi!"), Text("\xC3\xA9")}), (Texts{ch('h'), ch('i'), ch('!'), ch(0xE9)}));
}

// Every key goes down at its press and up at its real release. A printable key is the
// key of its label, pressed once however long it is held, and its character follows
// from text input; named keys repeat their press while held.
TEST_F(Translation, KeysGoDownAtTheirPressAndUpAtTheirRelease) {
    const auto cap = [](int c, bool down) { return Describe(MakeKeyCapEvent(c, down)); };
    EXPECT_EQ(Feed({Key(true, SDLK_BACKSPACE), Key(true, SDLK_BACKSPACE, true), Key(false, SDLK_BACKSPACE),
                    Key(true, SDLK_r), Text("R"), Key(true, SDLK_r, true), Text("R"), Key(false, SDLK_r),
                    Key(true, SDLK_RETURN), Key(false, SDLK_RETURN)}),
              (Texts{KeyEv(0xF008, true), KeyEv(0xF008, true), KeyEv(0xF008, false), cap('R', true),
                     Describe(MakeCharEvent('R')), Describe(MakeCharEvent('R')), cap('R', false),
                     KeyEv(0xF00D, true), KeyEv(0xF00D, false)}));
}

TEST_F(Translation, EitherAltKeyIsHeldAroundTheKeysPressedMeanwhile) {
    EXPECT_EQ(Feed({Key(true, SDLK_LALT), Key(true, SDLK_x), Key(false, SDLK_x), Key(false, SDLK_LALT),
                    Key(true, SDLK_RALT), Key(false, SDLK_RALT)}),
              (Texts{KeyEv(0xF0E9, true), Describe(MakeKeyCapEvent('X', true)), Describe(MakeKeyCapEvent('X', false)),
                     KeyEv(0xF0E9, false), KeyEv(0xF0EA, true), KeyEv(0xF0EA, false)}));
}

TEST_F(Translation, MenuKeyIsOneSwipeDownPerPress) {
    const std::string swipe = Describe(MakeSwipeDownEvent());
    EXPECT_EQ(Feed({Key(true, SDLK_APPLICATION), Key(true, SDLK_APPLICATION, true), Key(false, SDLK_APPLICATION),
                    Key(true, SDLK_APPLICATION)}),
              (Texts{swipe, swipe}));
}

TEST_F(Translation, WindowStatesAreReportedOnChangeOnly) {
    const auto state = [](int s) { return Describe(MakeWindowStateEvent(s)); };
    EXPECT_EQ(Feed({Window(SDL_WINDOWEVENT_SHOWN), Window(SDL_WINDOWEVENT_FOCUS_LOST), Window(SDL_WINDOWEVENT_MINIMIZED),
                    Window(SDL_WINDOWEVENT_HIDDEN), Window(SDL_WINDOWEVENT_FOCUS_GAINED),
                    Window(SDL_WINDOWEVENT_SHOWN), Window(SDL_WINDOWEVENT_RESTORED), Window(SDL_WINDOWEVENT_MINIMIZED),
                    Window(SDL_WINDOWEVENT_RESTORED), Window(SDL_WINDOWEVENT_EXPOSED)}),
              (Texts{state(1), state(2), state(0), state(1), state(0)}));
}

TEST_F(Translation, FocusLossAloneChangesNothing) {
    EXPECT_TRUE(Feed({Window(SDL_WINDOWEVENT_FOCUS_LOST), Window(SDL_WINDOWEVENT_LEAVE),
                      Window(SDL_WINDOWEVENT_FOCUS_GAINED)})
                    .empty());
}

// The close button asks (its own SDL_QUIT belongs to it), each time it is clicked; a
// quit of its own ends the program once.
TEST_F(Translation, CloseAsksAndQuitExitsOnce) {
    const std::string exit_event = Describe(MakeExitEvent());
    const std::string close_event = Describe(MakeWindowCloseEvent());
    EXPECT_EQ(Feed({Window(SDL_WINDOWEVENT_CLOSE), Quit(), Window(SDL_WINDOWEVENT_CLOSE), Quit()}),
              (Texts{close_event, close_event}));
    InputTranslator fresh;
    std::vector<RawEvent> out;
    fresh.translate(Quit(), &out);
    fresh.translate(Quit(), &out);
    EXPECT_EQ(Describe(out), Texts{exit_event});
    InputTranslator later;
    out.clear();
    later.translate(Window(SDL_WINDOWEVENT_CLOSE), &out);
    later.translate(Window(SDL_WINDOWEVENT_FOCUS_LOST), &out);
    later.translate(Quit(), &out);
    EXPECT_EQ(Describe(out), (Texts{close_event, exit_event})) << "a quit after other events is the player's own";
}

}  // namespace
