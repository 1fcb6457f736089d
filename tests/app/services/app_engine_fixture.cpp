// The headless engine set-up shared by the application-service tests (see
// app_engine_fixture.h).
#include "tests/app/services/app_engine_fixture.h"

#include "app/services/prog.h"
#include "core/console.h"
#include "core/ov_state.h"
#include "gfx/gl-table.h"
#include "gfx/rendimp.h"
#include "gfx/window.h"
#include "platform/device.h"
#include "platform/screen.h"

#include <fstream>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

namespace apptest {

std::function<void(float)> draw;

namespace {

int drawn = 0;

int AppInit()
{
    return 1;
}
void AppDraw(float s)
{
    drawn++;
    if (draw)
        draw(s);
}
int AppEvent(ov_event_t)
{
    return 0;
}

// Developer mode, so that popups reach the log; the log console keeps its lines in
// memory and no log file is written.
void Settings()
{
    ov_state.developer_mode = 1;
    ov_state.console = 1;
    ov_state.logging = 0;
}

}  // namespace

void AppEngineTest::SetUp()
{
    draw = nullptr;
    char cwd[1024];
    ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
    old_dir_ = cwd;
    char tmpl[] = "/tmp/orvex-app-XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    dir_ = tmpl;
    ASSERT_EQ(chdir(dir_.c_str()), 0);
}

void AppEngineTest::Start(int display_w, int display_h)
{
    setenv("LIBGL_ALWAYS_SOFTWARE", "1", 1);
    ASSERT_TRUE(ovdev::UseHeadlessBackend());
    ASSERT_TRUE(ovdev::SetDisplayMode(display_w, display_h));
    OV_QNX_WindowDestroyed();
    ASSERT_EQ(ovdev::screen_create_context(&ov_qnx_screen_context, 0), 0);
    ASSERT_EQ(OV_QNX_InitWindowAndContexts(), 1);
    OVI_SetProgramSettingsHook(Settings);
    started_ = true;
    ASSERT_TRUE(OVI_PreInit(nullptr));
    ASSERT_TRUE(OVI_Init());
    ASSERT_NE(ov, nullptr);
    saved_ = *ov;
}

void AppEngineTest::DrawFrame()
{
    int before = drawn;
    OVI_Frame(16);
    ASSERT_GT(drawn, before);
}

void AppEngineTest::TearDown()
{
    if (started_ && ov)
        *ov = saved_;
    if (started_)
        ORVEX_Shutdown();
    OVID_SetRendImpOverride(nullptr);
    if (ov_qnx_screen_context) {
        ovdev::screen_destroy_context(ov_qnx_screen_context);
        ov_qnx_screen_context = nullptr;
    }
    if (!old_dir_.empty()) {
        EXPECT_EQ(chdir(old_dir_.c_str()), 0);
    }
    std::string cmd = "rm -rf '" + dir_ + "'";
    EXPECT_EQ(system(cmd.c_str()), 0);
}

Rgba Pixel(int x, int y)
{
    unsigned char px[4] = {0, 0, 0, 0};
    ovgl.ReadPixels(x, ov_device_info.height - 1 - y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, px);
    return {px[0], px[1], px[2], px[3]};
}

bool Logged(const std::string &fragment)
{
    return CountLogged(fragment) > 0;
}

int CountLogged(const std::string &fragment)
{
    int n = 0;
    for (const ovConsole::line_t &l : ov_con.lines)
        if (l.text && strstr(l.text, fragment.c_str()))
            n++;
    return n;
}

void WriteFile(const std::string &name, const std::string &text)
{
    std::string path = "app/native/" + name;
    std::string cmd = "mkdir -p '" + path.substr(0, path.rfind('/')) + "'";
    ASSERT_EQ(system(cmd.c_str()), 0);
    std::ofstream out(path, std::ios::binary);
    out << text;
}

}  // namespace apptest

// The application's record, as the entry hands it over.
extern "C" ov_prog_t *OV_GetInterface(void)
{
    memset(&prog, 0, sizeof prog);
    prog.interface_version = OV_INTERFACE_VERSION;
    prog.parms.width = 320;
    prog.parms.height = 240;
    prog.parms.reference_counting = 1;
    strcpy(prog.title, "AppTest");
    strcpy(prog.id, "app.test");
    strcpy(prog.version, "2.5.1");
    strcpy(prog.developer_name, "Tests");
    prog.Init = apptest::AppInit;
    prog.Draw = apptest::AppDraw;
    prog.EventProc = apptest::AppEvent;
    return &prog;
}
