// Shared whole-engine test set-up (see headless_engine.h).
#include "tests/support/headless_engine.h"

#include "core/console.h"
#include "core/ov_state.h"
#include "gfx/gl-table.h"
#include "gfx/rendimp.h"
#include "gfx/window.h"
#include "platform/device.h"
#include "platform/screen.h"

#include <gtest/gtest.h>

#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

namespace enginetest {

bool EnterScratchDirectory(const char *prefix, std::string *dir, std::string *old_dir)
{
    char cwd[1024];
    if (!getcwd(cwd, sizeof cwd)) {
        ADD_FAILURE() << "no working directory";
        return false;
    }
    *old_dir = cwd;
    std::string pattern = std::string("/tmp/") + prefix + "-XXXXXX";
    if (!mkdtemp(&pattern[0]) || chdir(pattern.c_str()) != 0) {
        ADD_FAILURE() << "cannot make and enter " << pattern;
        return false;
    }
    *dir = pattern;
    return true;
}

void LeaveScratchDirectory(const std::string &dir, const std::string &old_dir)
{
    if (!old_dir.empty()) {
        EXPECT_EQ(chdir(old_dir.c_str()), 0);
    }
    if (!dir.empty()) {
        std::string cmd = "rm -rf '" + dir + "'";
        EXPECT_EQ(system(cmd.c_str()), 0);
    }
}

bool OpenHeadlessWindow(int display_w, int display_h)
{
    bool ok = ovdev::SetDisplayMode(display_w, display_h);
    EXPECT_TRUE(ok) << "display mode " << display_w << " x " << display_h;
    OV_QNX_WindowDestroyed();
    const bool context = ok && ovdev::screen_create_context(&ov_qnx_screen_context, 0) == 0;
    EXPECT_TRUE(!ok || context) << "screen context";
    const bool window = context && OV_QNX_InitWindowAndContexts() == 1;
    EXPECT_TRUE(!context || window) << "window and GL context";
    return window;
}

void CloseEngine(bool started)
{
    if (started)
        ORVEX_Shutdown();
    OVID_SetRendImpOverride(nullptr);
    if (ov_qnx_screen_context) {
        ovdev::screen_destroy_context(ov_qnx_screen_context);
        ov_qnx_screen_context = nullptr;
    }
}

void DeveloperSettings()
{
    ov_state.developer_mode = 1;
    ov_state.console = 1;
    ov_state.logging = 0;
}

Rgba ReadPixel(int x, int y)
{
    unsigned char px[4] = {0, 0, 0, 0};
    ovgl.ReadPixels(x, ov_device_info.height - 1 - y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, px);
    return {px[0], px[1], px[2], px[3]};
}

int CountLogLines(const std::string &fragment)
{
    int n = 0;
    for (const ovConsole::line_t &l : ov_con.lines)
        if (l.text && strstr(l.text, fragment.c_str()))
            n++;
    return n;
}

int LogLineIndex(const std::string &fragment)
{
    for (size_t i = 0; i < ov_con.lines.size(); i++)
        if (ov_con.lines[i].text && strstr(ov_con.lines[i].text, fragment.c_str()))
            return (int)i;
    return -1;
}

}  // namespace enginetest

std::string enginetest::ShotPath(const char *group, const std::string &file)
{
    const char *env = getenv("ORVEX_SHOTS_DIR");
    std::string dir = env && *env ? env : ORVEX_SHOTS_ROOT;
    mkdir(dir.c_str(), 0755);
    dir += "/";
    dir += group;
    mkdir(dir.c_str(), 0755);
    return dir + "/" + file;
}
