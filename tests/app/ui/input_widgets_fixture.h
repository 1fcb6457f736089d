// The widget tests' set-up: the screen framework on the headless engine (ui_fixture.h)
// with a 320 x 240 display and virtual screen, generated PNG fixtures and the shipped
// fonts in the scratch res://, a recorder of the extension commands (which still reach
// the engine, so the device's virtual keyboard follows them), screens shown by script,
// touches and keys injected through the headless device, and Lua read-back.
#ifndef TEST_APP_UI_INPUT_WIDGETS_FIXTURE_H
#define TEST_APP_UI_INPUT_WIDGETS_FIXTURE_H

#include "tests/app/ui/ui_fixture.h"

#include "platform/headless.h"

#include <functional>
#include <string>
#include <vector>

namespace wtest {

using apptest::Rgba;
namespace hl = ovdev::headless;

// A PNG in res:// of w x h whose pixels the function gives (r, g, b, a).
void WritePng(const std::string &name, int w, int h, const std::function<Rgba(int, int)> &pixel);
void WriteSolidPng(const std::string &name, int w, int h, Rgba rgba);
// Copies a font the build ships ("fonts/medium.mft") into res://; false when missing.
bool CopyShippedFont(const std::string &name);

// The extension commands sent since the test began ("command" each).
extern std::vector<std::string> extension_calls;

// Whether two colours agree within a tolerance on r, g and b.
bool Near(const Rgba &a, const Rgba &b, int tolerance = 3);

class WidgetTest : public uitest::UITest {
protected:
    void SetUp() override;
    // A preloaded screen of the script, pushed and faded in fully.
    uitest::ProbeScreen *Show(const char *name, const std::string &script);
    // One engine frame that clears to black and draws the stack.
    void Frame();
    void Touch(hl::TouchPhase phase, int x, int y);
    // A quick tap: its press and release reach the engine together and one frame
    // delivers both (a click often takes less than a frame on a software-rendered desktop).
    void Tap(int x, int y);
    // A key pressed on the device (down: the engine sends the key, then the character
    // it types, then the key's release); one frame delivers it.
    void Key(int symbol);
    // Runs Lua text in the screen's state.
    bool Run(Screen *s, const std::string &text);
    // The first value of a Lua expression in the screen's state: "nil", "true"/"false",
    // numbers as "%.14g", strings as they are.
    std::string Eval(Screen *s, const std::string &expression);
    // How many log lines of the probe screens are a click on the component.
    int Clicks(const char *comp);
};

}  // namespace wtest

#endif
