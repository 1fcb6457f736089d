// Set-up shared by the tests that run the class screens on the shipped program
// directory: the directory copied in, the menus' services and a fresh profile, the
// draw hooks they shoot through, and the lit-pixel count they judge pictures by.
#ifndef TESTS_GAME_SCREENS_SHIPPED_SCREENS_FIXTURE_H
#define TESTS_GAME_SCREENS_SHIPPED_SCREENS_FIXTURE_H

#include "tests/app/ui/widget_fixture.h"

#include <string>

class Profile;

namespace screentest {

// Copies the whole built program directory into the test's "app/native/", so that the
// templates, fonts and art are the shipped ones (before StartGame).
void CopyProgramDir(const std::string &program_dir);

// The profile and achievement script functions registered, the leaderboards and flags
// started, and one fresh profile of this name made the active one; nullptr when it
// could not be made.
Profile *StartMenuServices(const char *profile_name);

// Undoes StartMenuServices at the end of a test: the leaderboards reset, the profiles
// cleared while the engine runs (their database goes with it), the flags and the menus'
// banner released.
void StopMenuServices();

// Draw hooks: the screen stack on black; the loading screen (with the menus' banner)
// on black.
void DrawStackOnBlack(float dt);
void DrawLoadingOnBlack(float dt);

// Pixels brighter than near black.
int LitPixels(const widgettest::Frame &f);

}  // namespace screentest

#endif
