// The headless engine set-up shared by the graphics tests (see gfx_fixture.h).
#include "tests/gfx/gfx_fixture.h"
#include "tests/support/headless_engine.h"

#include "core/console.h"
#include "gfx/gl-table.h"
#include "gfx/rendimp.h"
#include "gfx/window.h"
#include "platform/device.h"
#include "platform/screen.h"

#include <stdlib.h>
#include <string.h>
#include <unistd.h>

namespace gfxtest {

App app;

namespace {

ov_prog_t s_record;

int AppInit()
{
    return app.init ? app.init() : 1;
}
void AppShutdown()
{
    if (app.shutdown)
        app.shutdown();
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

}  // namespace

void GfxTest::SetUp()
{
    app = App();
    ASSERT_TRUE(enginetest::EnterScratchDirectory("orvex-gfx", &dir_, &old_dir_));
}

void GfxTest::PreInit(int display_w, int display_h)
{
    ASSERT_TRUE(use_backend_ ? use_backend_() : ovdev::UseHeadlessBackend());
    ASSERT_TRUE(enginetest::OpenHeadlessWindow(display_w, display_h));
    OVI_SetProgramSettingsHook(enginetest::DeveloperSettings);
    ASSERT_TRUE(OVI_PreInit(nullptr));
    started_ = true;
}

void GfxTest::Start(int display_w, int display_h)
{
    if (!started_)
        PreInit(display_w, display_h);
    // Without a device layer or a window there is nothing to initialise on.
    if (HasFatalFailure())
        return;
    ASSERT_TRUE(OVI_Init());
}

void GfxTest::TearDown()
{
    enginetest::CloseEngine(started_);
    enginetest::LeaveScratchDirectory(dir_, old_dir_);
}

Rgba Pixel(int x, int y)
{
    return enginetest::ReadPixel(x, y);
}

bool Logged(const std::string &fragment)
{
    return CountLogged(fragment) > 0;
}

int CountLogged(const std::string &fragment)
{
    return enginetest::CountLogLines(fragment);
}

void DrawStretched(ov_bitmap_t *b, float x, float y, float w, float h, uint8_t alpha)
{
    ov_vertex_t v[4];
    for (int i = 0; i < 4; i++) {
        v[i].x = x + (i & 1 ? w : 0);
        v[i].y = y + (i & 2 ? h : 0);
        v[i].z = ov->OV_GetDepthDefault();
        v[i].color[0] = v[i].color[1] = v[i].color[2] = 255;
        v[i].color[3] = alpha;
        v[i].u = (float)(i & 1);
        v[i].v = (float)(i >> 1);
    }
    ov->OV_DrawBitmap4V(b, v);
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
    s_record.Shutdown = AppShutdown;
    s_record.EventProc = AppEvent;
    return &s_record;
}
