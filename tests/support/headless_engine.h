// What every whole-engine test fixture does the same way: a scratch working directory,
// the headless device's window and GL context, the developer settings, shutting the
// engine down, and reading pixels and log lines back. The fixtures add their own
// program record (OV_GetInterface) and hooks.
#ifndef TESTS_SUPPORT_HEADLESS_ENGINE_H
#define TESTS_SUPPORT_HEADLESS_ENGINE_H

#include <array>
#include <string>

namespace enginetest {

typedef std::array<int, 4> Rgba;

// Makes a fresh directory "/tmp/<prefix>-XXXXXX" and enters it; false (with a test
// failure) when it cannot. old_dir is where the test was.
bool EnterScratchDirectory(const char *prefix, std::string *dir, std::string *old_dir);
// Goes back to old_dir and removes dir.
void LeaveScratchDirectory(const std::string &dir, const std::string &old_dir);

// The headless device with a display of w x h, its screen context and the window with
// its GL context, as main makes them; false (with a test failure) when a step fails.
bool OpenHeadlessWindow(int display_w, int display_h);
// Shuts the engine down (when it was started) and releases the screen context.
void CloseEngine(bool started);

// Developer mode, so that popups reach the log; the log console keeps its lines in
// memory and no log file is written (a program-settings hook).
void DeveloperSettings();

// The pixel at (x, y) in device pixels, origin top left.
Rgba ReadPixel(int x, int y);
// The number of log lines that contain the fragment.
int CountLogLines(const std::string &fragment);
// The index of the first log line that contains the fragment; -1 when none does.
int LogLineIndex(const std::string &fragment);

// Where a test keeps a picture to be looked at: <root>/<group>/<file>, the root being
// $ORVEX_SHOTS_DIR when set, else the build tree's "shots" folder; the folders are made
// when missing.
std::string ShotPath(const char *group, const std::string &file);

}  // namespace enginetest

#endif
