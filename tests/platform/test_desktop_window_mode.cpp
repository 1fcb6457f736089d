// "Play in a window" as a desktop player meets it: the built program on a private Xvfb
// of 1920 x 1080, played with real clicks (XTest) through the main menu, Extras and
// Options. The first start is a 1024 x 600 window; the checkbox shows the game full
// screen (the X window covers the screen, the picture scaled to 1843 x 1080 from x 38)
// and a click on the same checkbox in the scaled picture brings the window back; a run
// left in full screen keeps that in the profiles and starts full screen again. Pictures
// of both modes are written to the build's shots/window-mode folder (ImageMagick's
// import, when installed). Skipped without Xvfb.
#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/xvfb.h"

namespace fs = std::filesystem;

namespace {

const char kProgram[] = ORVEX_GAME;
const char kProgramDir[] = ORVEX_PROGRAM_DIR;
const char kShotsDir[] = ORVEX_SHOTS_DIR;
const char kUserDir[] = "data/Talvik/Orvex_Game";

// Places on the 1024 x 600 picture, from the shipped layouts (ui/main-menu.lua,
// ui/extras.lua, ui/options.lua): their 1024 x 768 layout fits the picture at 0.78125,
// centred (from x 112).
struct Spot {
    int x, y;
};
const Spot kExtras = {512, 396}, kOptions = {512, 180}, kWindowedCheckbox = {415, 348}, kBack = {152, 39};

std::string ReadAll(const fs::path &path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void Sleep(int ms)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

class DesktopWindowMode : public ::testing::Test {
protected:
    void SetUp() override
    {
        xvfb_ = std::make_unique<testsupport::Xvfb>("1920x1080x24");
        if (xvfb_->display().empty())
            GTEST_SKIP() << "Xvfb is not installed (scripts/deps.sh installs xvfb)";
        display_ = XOpenDisplay(xvfb_->display().c_str());
        ASSERT_NE(display_, nullptr);
        char tmpl[] = "/tmp/orvex-window-mode-XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        dir_ = tmpl;
        fs::create_directories(dir_ / "app");
        fs::create_directory_symlink(kProgramDir, dir_ / "app/native");
    }
    void TearDown() override
    {
        Stop();
        if (display_)
            XCloseDisplay(display_);
        std::error_code ignored;
        if (!dir_.empty())
            fs::remove_all(dir_, ignored);
    }

    // Starts the program (run number run) and waits for its main menu.
    void Launch(int run)
    {
        run_ = run;
        pid_ = fork();
        if (pid_ == 0) {
            if (chdir(dir_.c_str()) != 0)
                _exit(126);
            setenv("DISPLAY", xvfb_->display().c_str(), 1);
            const std::string out = (dir_ / ("run" + std::to_string(run) + ".out")).string();
            int fd = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            if (fd >= 0) {
                dup2(fd, 1);
                dup2(fd, 2);
            }
            execl(kProgram, kProgram, (char *)nullptr);
            _exit(127);
        }
        ASSERT_GT(pid_, 0);
        ASSERT_TRUE(WaitForLog("PushScreen 'MainMenu' took")) << Log();
        window_ = FindWindow("Orvex Game");
        ASSERT_NE(window_, 0u);
        Sleep(1500);  // the menu fades in
    }
    // Ends the run the normal way (SIGTERM; the profiles are saved) and waits for it.
    void Stop()
    {
        if (pid_ <= 0)
            return;
        kill(pid_, SIGTERM);
        int status = 0;
        for (int i = 0; i < 300 && waitpid(pid_, &status, WNOHANG) == 0; i++)
            Sleep(50);
        if (waitpid(pid_, &status, WNOHANG) == 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, &status, 0);
            ADD_FAILURE() << "the program did not end within 15 s of SIGTERM";
        }
        pid_ = -1;
    }

    std::string Log() const
    {
        char name[32];
        snprintf(name, sizeof name, "orvex-%04d.log", run_);
        return ReadAll(dir_ / kUserDir / "logs" / name);
    }
    // Waits (up to 60 s) until the log has a line with the text.
    bool WaitForLog(const std::string &text)
    {
        for (int i = 0; i < 600; i++) {
            if (Log().find(text) != std::string::npos)
                return true;
            Sleep(100);
        }
        return false;
    }
    // Opens a screen from the one shown by clicking the button at spot; waits until it
    // is pushed and has faded in.
    void Open(const char *screen, Spot spot)
    {
        Click(spot);
        ASSERT_TRUE(WaitForLog(std::string("PushScreen '") + screen + "' took")) << Log();
        Sleep(1500);
    }

    Window FindWindow(const char *title)
    {
        for (int i = 0; i < 100; i++) {
            Window root_return, parent, *children = nullptr;
            unsigned count = 0;
            Window found = 0;
            if (XQueryTree(display_, DefaultRootWindow(display_), &root_return, &parent, &children, &count)) {
                for (unsigned c = 0; c < count && !found; c++) {
                    char *name = nullptr;
                    if (XFetchName(display_, children[c], &name) && name) {
                        if (std::string(name) == title)
                            found = children[c];
                        XFree(name);
                    }
                }
                if (children)
                    XFree(children);
            }
            if (found)
                return found;
            Sleep(100);
        }
        return 0;
    }
    // The window's x, y on the screen and its width and height.
    std::vector<int> Geometry()
    {
        XWindowAttributes a;
        Window child;
        int x = 0, y = 0;
        if (!XGetWindowAttributes(display_, window_, &a) ||
            !XTranslateCoordinates(display_, window_, a.root, 0, 0, &x, &y, &child))
            return {};
        return {x, y, a.width, a.height};
    }
    // Waits (up to 10 s) for the window to take the size; its geometry then.
    std::vector<int> WaitForSize(int w, int h)
    {
        std::vector<int> g;
        for (int i = 0; i < 100; i++) {
            g = Geometry();
            if (g.size() == 4 && g[2] == w && g[3] == h)
                break;
            Sleep(100);
        }
        Sleep(500);  // a few frames in the new mode
        return g;
    }

    // Where a spot of the picture lies on the screen: in a window, at the window's
    // origin; full screen, scaled with the picture's aspect kept and centred.
    void ScreenPosition(Spot spot, int *x, int *y)
    {
        const std::vector<int> g = Geometry();
        ASSERT_EQ(g.size(), 4u);
        const double scale = std::min(g[2] / 1024.0, g[3] / 600.0);
        const int left = g[0] + (int)((g[2] - 1024 * scale) / 2), top = g[1] + (int)((g[3] - 600 * scale) / 2);
        *x = left + (int)((spot.x + 0.5) * scale);
        *y = top + (int)((spot.y + 0.5) * scale);
    }
    // A real click: the pointer moves there and rests, the button goes down and up.
    void Click(Spot spot)
    {
        int x = 0, y = 0;
        ScreenPosition(spot, &x, &y);
        XTestFakeMotionEvent(display_, -1, x, y, 0);
        XFlush(display_);
        Sleep(200);
        XTestFakeButtonEvent(display_, 1, True, 0);
        XFlush(display_);
        Sleep(50);
        XTestFakeButtonEvent(display_, 1, False, 0);
        XFlush(display_);
    }
    void Shot(const std::string &name)
    {
        if (system("command -v import > /dev/null 2>&1") != 0)
            return;
        fs::create_directories(fs::path(kShotsDir) / "window-mode");
        const std::string cmd = "import -display " + xvfb_->display() + " -window root '" +
                                (fs::path(kShotsDir) / "window-mode" / name).string() + "'";
        EXPECT_EQ(system(cmd.c_str()), 0) << cmd;
    }

    std::unique_ptr<testsupport::Xvfb> xvfb_;
    Display *display_ = nullptr;
    fs::path dir_;
    pid_t pid_ = -1;
    int run_ = 0;
    Window window_ = 0;
};

TEST_F(DesktopWindowMode, OptionsCheckboxSwitchesFullScreenAndBackAndTheChoiceIsKept)
{
    Launch(1);
    const std::vector<int> windowed = WaitForSize(1024, 600);
    ASSERT_EQ(windowed.size(), 4u);
    EXPECT_EQ(windowed[2], 1024) << "the first start is windowed";
    EXPECT_EQ(windowed[3], 600);
    Open("Extras", kExtras);
    Open("Options", kOptions);

    Click(kWindowedCheckbox);
    EXPECT_EQ(WaitForSize(1920, 1080), (std::vector<int>{0, 0, 1920, 1080})) << Log();
    Shot("fullscreen-options.png");

    // The checkbox where the scaled picture shows it.
    Click(kWindowedCheckbox);
    EXPECT_EQ(WaitForSize(1024, 600), windowed) << Log();
    Shot("windowed-options.png");

    // Full screen again, then back to Extras (the profiles are saved) and quit.
    Click(kWindowedCheckbox);
    ASSERT_EQ(WaitForSize(1920, 1080), (std::vector<int>{0, 0, 1920, 1080})) << Log();
    Open("Extras", kBack);
    Stop();
    EXPECT_NE(ReadAll(dir_ / kUserDir / "profiles/index.xml").find("<node id=\"WINDOWED\" value=\"0\" />"),
              std::string::npos);

    Launch(2);
    EXPECT_EQ(WaitForSize(1920, 1080), (std::vector<int>{0, 0, 1920, 1080})) << "the kept choice\n" << Log();
    Shot("fullscreen-restart.png");
}

}  // namespace
