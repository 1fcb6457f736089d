// The widget tests' helpers on top of the component fixture: generated images and
// bitmap sequences in the scratch res://, the framebuffer read back whole (boxes of lit
// pixels, a PNG to look at), and a script's export as text.
#ifndef TEST_APP_UI_WIDGET_FIXTURE_H
#define TEST_APP_UI_WIDGET_FIXTURE_H

#include "tests/app/ui/comp_fixture.h"

#include <array>
#include <functional>
#include <string>
#include <vector>

class UIComp;

namespace widgettest {

typedef std::array<int, 4> Rgba;

// An RGBA PNG of w x h in res:// whose pixel (x, y) is colour(x, y).
void WritePng(const std::string &name, int w, int h, const std::function<Rgba(int, int)> &colour);
// A ".bms" sequence in res:// of one w x h frame per colour, side by side in one atlas;
// frame i carries stamps[i] as its number and `rate` as its float field.
void WriteBms(const std::string &name, int w, int h, const std::vector<Rgba> &colours,
              const std::vector<int> &stamps, float rate);

// Copies the shipped fonts the build made ("fonts/medium.mft", "fonts/small.mft",
// "fonts/large.mft", "fonts/title.mft") into res://.
void InstallFonts();

// The framebuffer (device pixels, origin top left, RGBA rows).
struct Frame {
    int w = 0, h = 0;
    std::vector<unsigned char> px;
    Rgba At(int x, int y) const;
};
Frame ReadFrame();
// The smallest box {x0, y0, x1, y1} (inclusive) of pixels that pass the test within the
// region; {-1, -1, -1, -1} when none does.
std::array<int, 4> LitBox(const Frame &f, int x0, int y0, int x1, int y1,
                          const std::function<bool(const Rgba &)> &lit);
// Writes the frame as a PNG file (native path), opaque as the display shows it; true on
// success.
bool SavePng(const Frame &f, const std::string &path);

// What the component writes back as script lines.
std::string Export(UIComp *comp);

}  // namespace widgettest

#endif
