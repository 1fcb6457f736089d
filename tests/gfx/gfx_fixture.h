// Brings the engine up on the headless device (Mesa surfaceless EGL, pbuffer surface)
// with a test application whose draw and event hooks each test sets, and reads
// pixels and log lines back.
#ifndef TEST_GFX_FIXTURE_H
#define TEST_GFX_FIXTURE_H

#include "core/ov_state.h"

#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <string>
#include <vector>

namespace gfxtest {

// What the test application does and saw.
struct App {
    std::function<int()> init;  // the application's Init (none: succeeds)
    std::function<void(float)> draw;
    std::function<void()> shutdown;  // the application's Shutdown (none: nothing)
    std::function<int(ov_event_t)> event;
    std::vector<ov_event_t> events;
    bool wrong_version = false;  // offer a record the engine refuses (the null application runs)
    int width = 1024, height = 600;
};
extern App app;

typedef std::array<int, 4> Rgba;

class GfxTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    // Device layer, window and pre-initialisation on a display of w x h.
    void PreInit(int display_w = 1024, int display_h = 600);
    // Pre-initialisation (when not done yet) and initialisation; asserts both succeed
    // (callers that go on to draw check with ASSERT_NO_FATAL_FAILURE).
    void Start(int display_w = 1024, int display_h = 600);
    std::string dir_, old_dir_;
    bool started_ = false;
    // The device backend PreInit installs; null: the headless one.
    bool (*use_backend_)() = nullptr;
};

// The pixel at (x, y) in device pixels, origin top left.
Rgba Pixel(int x, int y);
// True when some log line contains the fragment; the number of such lines.
bool Logged(const std::string &fragment);
int CountLogged(const std::string &fragment);
// Draws the whole bitmap over (x, y, w, h) with four white corners of the given alpha.
void DrawStretched(ov_bitmap_t *b, float x, float y, float w, float h, uint8_t alpha);

}  // namespace gfxtest

#endif
