// Brings the engine up on the headless device (Mesa surfaceless EGL) with the
// application's own record `prog`, which this fixture's OV_GetInterface hands over;
// the test sets the draw hook. Reads pixels and log lines back, and writes files into
// the program directory of a scratch working directory.
#ifndef TEST_APP_SERVICES_APP_ENGINE_FIXTURE_H
#define TEST_APP_SERVICES_APP_ENGINE_FIXTURE_H

#include "orvex.h"

#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <string>

namespace apptest {

// What the record's draw hook runs.
extern std::function<void(float)> draw;

typedef std::array<int, 4> Rgba;

class AppEngineTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    // Pre-initialisation and initialisation on a display of w x h; asserts both succeed.
    void Start(int display_w = 320, int display_h = 240);
    // Runs one engine frame; asserts the draw hook ran.
    void DrawFrame();
    std::string dir_, old_dir_;
    bool started_ = false;
    orvex_t saved_;  // the interface table as the engine filled it, restored after the test
};

// The pixel at (x, y) in device pixels, origin top left.
Rgba Pixel(int x, int y);
// True when some log line contains the fragment; the number of such lines.
bool Logged(const std::string &fragment);
int CountLogged(const std::string &fragment);
// Writes a file of the program directory (res://, searched for relative names).
void WriteFile(const std::string &name, const std::string &text);

}  // namespace apptest

#endif
