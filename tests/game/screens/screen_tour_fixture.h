// The tour of the shipped game's screens: the build's program directory copied whole,
// the engine on a display of the test's size with the program's own reference layout
// (1024 x 768, as prog.xml gives it), a player a few missions into the first chapter,
// and the list of every screen of the game with what lies under it, the messages it
// needs and the components it must hold. Show() puts one stop on the screen stack the
// way the game does (its under-screen first) and lets the fades finish.
#ifndef TESTS_GAME_SCREENS_SCREEN_TOUR_FIXTURE_H
#define TESTS_GAME_SCREENS_SCREEN_TOUR_FIXTURE_H

#include "tests/game/game_fixture.h"
#include "tests/game/screens/shipped_screens_fixture.h"

#include <functional>
#include <string>
#include <utility>
#include <vector>

class Screen;

namespace screentest {

// One stop of the tour: the screen, what lies under it, the messages it gets before it
// is pushed, the components it must hold and anything to set first.
struct Stop {
    const char *screen;
    const char *under;  // "" for nothing
    std::vector<std::pair<const char *, const char *>> messages;
    std::string components;  // '|' separated
    std::function<void()> prepare;
};

// Every screen of the game, in the order a player meets them (the class screens are
// registered by the caller: RegisterTourScreens).
const std::vector<Stop> &TourStops();

// Registers the class screens the program registers at start-up and preloads the
// transition screen.
void RegisterTourScreens();

// The given text split at sep, empty parts left out.
std::vector<std::string> Split(const std::string &list, char sep);

class ScreenTourTest : public gametest::GameTest {
protected:
    void SetUp() override;
    void TearDown() override;
    // The display the tour runs on (set before SetUp runs).
    int device_width_ = 1024, device_height_ = 768;
    // A player three missions into the first chapter, the shop and two classes open.
    static void ThreeMissionsWon();
    // The registered screen of that name, preloaded.
    Screen *Find(const char *name);
    // Frames of 50 ms drawn as the game draws them.
    void Settle(int frames = 25);
    // Updates only (no drawing) for the fades, then one drawn frame.
    void SettleQuickly(int updates);
    // Empties the stack, prepares the stop, sends its messages and pushes its
    // under-screen and then the screen; the fades are over when it returns. Returns the
    // screen on top, or null (with a failure) when it is not the stop's.
    Screen *Show(const Stop &stop, bool quickly = false);
};

}  // namespace screentest

#endif
