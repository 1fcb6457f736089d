// Layout checks on what a screen draws: each visible component of the screen drawn on
// its own under a draw recorder gives its drawn rectangle and its texts; the checks
// compare them with the display, with the panel each component is drawn on, with each
// other and with the pixels of the finished frame. Every fault names the screen, the
// component and the measure in pixels.
#ifndef TESTS_GAME_SCREENS_LAYOUT_CHECKS_H
#define TESTS_GAME_SCREENS_LAYOUT_CHECKS_H

#include "tests/app/ui/widget_fixture.h"
#include "tests/support/draw_recorder.h"

#include <string>
#include <vector>

class Screen;
class UIComp;

namespace layouttest {

using enginetest::Box;
using enginetest::DrawnPiece;

// One component as drawn.
struct Drawn {
    UIComp *comp = nullptr;
    std::string name;
    Box box;                          // everything it drew
    std::vector<DrawnPiece> pieces;
};

// The screen's visible components, each drawn alone in the screen's order (its custom
// drawing included), with what they drew; components that drew nothing are left out.
std::vector<Drawn> MeasureScreen(Screen *screen);

// The kinds of check, in the order of the table.
enum Check {
    INSIDE_SCREEN,     // the drawn rectangle lies on the display
    INSIDE_PANEL,      // a component on a panel (its parent or the panel under it) stays inside it
    TEXT_IN_BOX,       // no text wider or taller than its text box or its button
    TEXT_SIZE,         // no text smaller than the small font at its size (1024 x 600 only)
    TEXT_CONTRAST,     // text against what is drawn under it, at least 4.5 : 1
    NO_OVERLAP,        // no two interactive components overlap
    CENTRED,           // what a screen centres stands at the display's centre
    SAME_PLACE,        // a control every screen has (the back button) is in one place
    HIGHLIGHT,         // a row's highlight shows under all the row holds
    COVERS_BELOW,      // a screen over another dims it
    HUD_APART,         // the battle HUD's pieces keep apart
    NUM_CHECKS
};
const char *CheckName(Check c);

// Faults found, by check.
struct Report {
    std::vector<std::string> faults[NUM_CHECKS];
    int checked[NUM_CHECKS] = {};
    void Fault(Check c, const std::string &text) { faults[c].push_back(text); }
    int Total() const;
};

struct Display {
    int w, h;
    float min_text_height;  // 0: no size check at this display
};

// What a screen is checked as: its name, whether it is shown over another screen, the
// groups of components it centres on the display ('+' between the names of a group;
// the group is what of it is drawn), and the components it keeps moving (a crawl),
// which may run off the display.
struct ScreenSpec {
    std::string name;
    bool over_another = false;
    std::vector<std::string> centred;
    std::vector<UIComp *> moving;
};

// The components whose drawn rectangle differs between two measures of the same screen.
std::vector<UIComp *> Moved(const std::vector<Drawn> &before, const std::vector<Drawn> &after);

// The checks of one screen over the components measured and the finished frame.
void CheckScreen(const ScreenSpec &spec, const std::vector<Drawn> &drawn, const widgettest::Frame &frame,
                 const Display &display, Report *report);

// The battle's HUD (pieces drawn by the game over the world) with the battle screen's
// components: every piece on the display, a text on the wave panel inside it, no piece
// over one of the screen's controls, no text over another text or over a box it does
// not belong to, and the texts' size and contrast.
void CheckHud(const std::string &where, const std::vector<DrawnPiece> &hud, const std::vector<Drawn> &comps,
              const widgettest::Frame &frame, const Display &display, Report *report);

// Text checks (size, contrast) of pieces drawn outside components (the battle HUD).
void CheckTexts(const std::string &where, const std::vector<DrawnPiece> &pieces, const widgettest::Frame &frame,
                const Display &display, Report *report);

// One control of many screens drawn at the same place on each (within a pixel): the
// screens' names with the control's drawn rectangle.
void CheckSamePlace(const std::string &control, const std::vector<std::pair<std::string, Box>> &places,
                    Report *report);

// The WCAG contrast ratio of two colours (0..1 each channel).
float ContrastRatio(const float a[3], const float b[3]);

// The most common colour of a ring of pixels just outside the box (its background).
void BackgroundAround(const widgettest::Frame &frame, const Box &box, float out[3]);

}  // namespace layouttest

#endif
