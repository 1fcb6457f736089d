// The headless engine set-up shared by the graphics tests (see gfx_fixture.h).
#include "tests/gfx/gfx_fixture.h"

#include "core/console.h"
#include "gfx/gl-table.h"
#include "gfx/rendimp.h"
#include "gfx/window.h"
#include "platform/device.h"
#include "platform/screen.h"

#include <dlfcn.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

namespace gfxtest {

App app;

namespace {

ov_prog_t s_record;

int AppInit()
{
    return 1;
}
void AppDraw(float s)
{
    if (app.draw)
        app.draw(s);
}
int AppEvent(ov_event_t ev)
{
    app.events.push_back(ev);
    return app.event ? app.event(ev) : 0;
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

void GfxTest::SetUp()
{
    app = App();
    char cwd[1024];
    ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
    old_dir_ = cwd;
    char tmpl[] = "/tmp/orvex-gfx-XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    dir_ = tmpl;
    ASSERT_EQ(chdir(dir_.c_str()), 0);
}

void GfxTest::PreInit(int display_w, int display_h)
{
    ASSERT_TRUE(use_backend_ ? use_backend_() : ovdev::UseHeadlessBackend());
    ASSERT_TRUE(ovdev::SetDisplayMode(display_w, display_h));
    OV_QNX_WindowDestroyed();
    ASSERT_EQ(ovdev::screen_create_context(&ov_qnx_screen_context, 0), 0);
    ASSERT_EQ(OV_QNX_InitWindowAndContexts(), 1);
    OVI_SetProgramSettingsHook(Settings);
    ASSERT_TRUE(OVI_PreInit(nullptr));
    started_ = true;
}

void GfxTest::Start(int display_w, int display_h)
{
    if (!started_)
        PreInit(display_w, display_h);
    ASSERT_TRUE(OVI_Init());
}

void GfxTest::TearDown()
{
    // Keep Mesa's software driver mapped after eglTerminate, so that LeakSanitizer can
    // name it in the stacks of the allocations it keeps (suppressed in lsan.supp).
    dlopen("/usr/lib/x86_64-linux-gnu/dri/swrast_dri.so", RTLD_LAZY | RTLD_NOLOAD | RTLD_NODELETE);
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

}  // namespace gfxtest

extern "C" ov_prog_t *OV_GetInterface(void)
{
    using namespace gfxtest;
    memset(&s_record, 0, sizeof s_record);
    s_record.interface_version = app.wrong_version ? 1 : OV_INTERFACE_VERSION;
    s_record.parms.width = app.width;
    s_record.parms.height = app.height;
    s_record.parms.app_flag = 1;
    s_record.parms.multitouch = 1;
    s_record.parms.reference_counting = 1;
    strcpy(s_record.title, "GfxTest");
    strcpy(s_record.id, "gfx.test");
    strcpy(s_record.version, "1.0");
    strcpy(s_record.developer_name, "Tests");
    s_record.Init = AppInit;
    s_record.Draw = AppDraw;
    s_record.EventProc = AppEvent;
    return &s_record;
}
