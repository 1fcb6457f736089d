// The battle HUD and the achievement notices on the headless engine: the game fixture's
// world on a 1024 x 768 display (reference layout the same size) with the shipped
// fonts, small single-coloured fixture bitmaps for the HUD art, a fixture star-lost
// effect of one particle, the battle screen "Game" with its component "Progress" at
// (312, 20), a fresh active profile and an engine extension slot that answers the
// product features and "reference_resolution" as the test sets them and records the
// commands the online services send ("LogEvent", "GameCenter").
#ifndef TESTS_GAME_HUD_FIXTURE_H
#define TESTS_GAME_HUD_FIXTURE_H

#include "tests/app/ui/widget_fixture.h"
#include "tests/game/game_fixture.h"

#include "app/services/profiles.h"

#include <functional>
#include <string>
#include <vector>

namespace hudtest {

// Fixture colours of the HUD art.
extern const widgettest::Rgba kPanel, kMarker, kNotch, kStar, kStarsBg;

class HudTest : public gametest::GameTest {
protected:
    void SetUp() override;
    void TearDown() override;
    // The product features the extension slot answers; the feature manager re-reads them.
    void SetFeatures(const std::string &features);
    // Clears to grey (100, 100, 100), pushes the battle screen's transform (identity here),
    // runs `draw`, pops, and reads the frame back.
    widgettest::Frame Draw(const std::function<void()> &draw);
    // Saves the frame under the build tree's shots/hud (or ORVEX_SHOTS_DIR).
    void Shot(const widgettest::Frame &f, const std::string &name);

public:
    // Every "LogEvent" / "GameCenter" command, as "cmd|arg", in order.
    static std::vector<std::string> commands;
    static std::string features;
    static bool game_center;

protected:
    uitest::ProbeScreen *battle = nullptr;
    Profile profile;
};

// Pixels of the frame inside the box (inclusive) that pass the test.
int CountPixels(const widgettest::Frame &f, int x0, int y0, int x1, int y1,
                const std::function<bool(const widgettest::Rgba &)> &lit);
// Near a colour (within 40 per channel).
std::function<bool(const widgettest::Rgba &)> Near(const widgettest::Rgba &colour);
bool White(const widgettest::Rgba &p);

}  // namespace hudtest

#endif
