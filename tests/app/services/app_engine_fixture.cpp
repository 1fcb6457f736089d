// The headless engine set-up shared by the application-service tests (see
// app_engine_fixture.h).
#include "tests/app/services/app_engine_fixture.h"
#include "tests/support/headless_engine.h"

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

}  // namespace

void AppEngineTest::SetUp()
{
    draw = nullptr;
    ASSERT_TRUE(enginetest::EnterScratchDirectory("orvex-app", &dir_, &old_dir_));
}

void AppEngineTest::Start(int display_w, int display_h)
{
    setenv("LIBGL_ALWAYS_SOFTWARE", "1", 1);
    ASSERT_TRUE(ovdev::UseHeadlessBackend());
    ASSERT_TRUE(enginetest::OpenHeadlessWindow(display_w, display_h));
    OVI_SetProgramSettingsHook(enginetest::DeveloperSettings);
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
