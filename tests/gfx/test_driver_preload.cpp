// The GL driver loaded ahead of the renderer: what the preload thread is given to do,
// that the renderer comes up on what it loaded and draws right, and that the
// application's Init, which now runs while the driver loads, has its resources drawn
// in the first frame.
#include "tests/gfx/gfx_fixture.h"
#include "tests/support/headless_engine.h"

#include "gfx/bitmap.h"
#include "gfx/driver-preload.h"
#include "gfx/glx-context.h"

#include <dlfcn.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include <string>

using namespace gfxtest;

namespace {

const Rgba kRed = {255, 0, 0, 255};
const Rgba kBlue = {0, 0, 255, 255};

// Sets an environment variable for one test and puts the old value back.
class ScopedEnv {
public:
    ScopedEnv(const char *name, const char *value) : name_(name)
    {
        const char *old = getenv(name);
        had_ = old != nullptr;
        if (had_)
            old_ = old;
        if (value)
            setenv(name, value, 1);
        else
            unsetenv(name);
    }
    ~ScopedEnv()
    {
        if (had_)
            setenv(name_, old_.c_str(), 1);
        else
            unsetenv(name_);
    }

private:
    const char *name_;
    bool had_ = false;
    std::string old_;
};

bool EndsWith(const std::string &text, const std::string &end)
{
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// A 4 x 4 opaque red bitmap named "init-red".
bool RedLoader(ov_bitmap_t *b)
{
    if (strcmp(b->name, "init-red") != 0)
        return false;
    b->width = b->height = b->src_width = b->src_height = 4;
    b->pixels = (uint8_t *)malloc(4 * 4 * 4);
    for (int i = 0; i < 16; i++) {
        b->pixels[i * 4 + 0] = 255;
        b->pixels[i * 4 + 1] = 0;
        b->pixels[i * 4 + 2] = 0;
        b->pixels[i * 4 + 3] = 255;
    }
    return true;
}

class DriverPreload : public GfxTest {
protected:
    void TearDown() override
    {
        OVID_FinishDriverPreload();
        GfxTest::TearDown();
    }
};

}  // namespace

TEST_F(DriverPreload, PlansForHeadlessAndDesktop)
{
    ScopedEnv no_path("LIBGL_DRIVERS_PATH", nullptr);
    ScopedEnv no_force("ORVEX_GL_CONTEXT", nullptr);

    ov_driver_preload_plan_t headless = OVID_DriverPreloadPlan(true);
    EXPECT_TRUE(headless.surfaceless_display);
    EXPECT_FALSE(headless.glx_display);
    EXPECT_EQ(headless.num_libraries, 0);

    ov_driver_preload_plan_t desktop = OVID_DriverPreloadPlan(false);
    EXPECT_FALSE(desktop.surfaceless_display);
    EXPECT_EQ(desktop.glx_display, OVID_GLX_Built()) << "a GLX connection of its own when the build has GLX";
    ASSERT_EQ(desktop.num_libraries, 2) << "the software driver file is installed beside the EGL library";
    EXPECT_STREQ(desktop.libraries[0], OVID_GLX_Built() ? "libGLX_mesa.so.0" : "libEGL_mesa.so.0");
    EXPECT_TRUE(EndsWith(desktop.libraries[1], "/dri/swrast_dri.so")) << desktop.libraries[1];
    EXPECT_EQ(access(desktop.libraries[1], R_OK), 0);
    const std::string installed = desktop.libraries[1];
    const std::string folder = installed.substr(0, installed.rfind('/'));

    {
        ScopedEnv egl("ORVEX_GL_CONTEXT", "egl");
        ov_driver_preload_plan_t egl_plan = OVID_DriverPreloadPlan(false);
        EXPECT_STREQ(egl_plan.libraries[0], "libEGL_mesa.so.0");
        EXPECT_FALSE(egl_plan.glx_display);
    }
    // The driver folders the driver loader is told to search: the first holding the
    // file; none holding it leaves the file out rather than loading another one.
    struct Case {
        std::string list;
        int libraries;
    };
    const Case cases[] = {
        {"/nonexistent-folder:" + folder, 2},
        {folder + ":/nonexistent-folder", 2},
        {"/nonexistent-folder", 1},
        {"::", 1},
    };
    for (const Case &c : cases) {
        ScopedEnv path("LIBGL_DRIVERS_PATH", c.list.c_str());
        ov_driver_preload_plan_t plan = OVID_DriverPreloadPlan(false);
        ASSERT_EQ(plan.num_libraries, c.libraries) << c.list;
        if (c.libraries == 2) {
            EXPECT_EQ(std::string(plan.libraries[1]), folder + "/swrast_dri.so") << c.list;
        }
    }
}

TEST_F(DriverPreload, DesktopPlanLoadsItsLibrariesAndSkipsMissingOnes)
{
    ScopedEnv no_path("LIBGL_DRIVERS_PATH", nullptr);
    ov_driver_preload_plan_t plan = OVID_DriverPreloadPlan(false);
    ASSERT_EQ(plan.num_libraries, 2);
    plan.glx_display = false;  // the libraries alone (the GLX connection: test_glx_pixels)
    const std::string driver = plan.libraries[1];
    plan.libraries[plan.num_libraries++] = "/nonexistent-folder/libnothing.so";

    OVID_StartDriverPreloadPlan(plan);
    EXPECT_TRUE(OVID_DriverPreloadPending());
    ov_driver_preload_result_t result = OVID_FinishDriverPreload();
    EXPECT_FALSE(OVID_DriverPreloadPending());
    EXPECT_EQ(result.libraries_opened, 2);
    EXPECT_FALSE(result.display_initialised);
    EXPECT_EQ(result.glx_display, nullptr);
    // The driver is mapped: the GL stack's own load of it finds it in place.
    void *mapped = dlopen(driver.c_str(), RTLD_NOW | RTLD_NOLOAD);
    EXPECT_NE(mapped, nullptr);
    if (mapped)
        dlclose(mapped);
    // Waited for once; a second wait has nothing to report.
    result = OVID_FinishDriverPreload();
    EXPECT_EQ(result.libraries_opened, 0);
}

// A run that ends before its renderer started (a refused event script, no display)
// stops the preload before it returns from main: the thread is waited for there, and
// nothing is left for a later wait.
TEST_F(DriverPreload, AStoppedPreloadIsWaitedForAndLeavesNothingBehind)
{
    OVID_StartDriverPreloadPlan(OVID_DriverPreloadPlan(true));
    EXPECT_TRUE(OVID_DriverPreloadPending());
    OVID_StopDriverPreload();
    EXPECT_FALSE(OVID_DriverPreloadPending());
    ov_driver_preload_result_t result = OVID_FinishDriverPreload();
    EXPECT_FALSE(result.display_initialised);
    EXPECT_EQ(result.libraries_opened, 0);
    EXPECT_EQ(result.glx_display, nullptr);
    OVID_StopDriverPreload();  // nothing to wait for: returns at once
    EXPECT_FALSE(OVID_DriverPreloadPending());
}

// The preload runs while the main thread pre-initialises the engine (log, settings,
// device), as in the program; the renderer then waits for it and draws.
TEST_F(DriverPreload, HeadlessPreloadRunsBesideStartUpAndTheRendererDrawsOnItsDisplay)
{
    OVID_StartDriverPreloadPlan(OVID_DriverPreloadPlan(true));
    PreInit();
    app.draw = [](float) {
        ov->OV_ClearScreen(0.0f, 0.0f, 1.0f);
        ov->OV_SetColor(1, 0, 0);
        ov->OV_DrawRect(10, 10, 20, 20);
    };
    Start();
    EXPECT_FALSE(OVID_DriverPreloadPending()) << "the renderer waits for the preload";
    EXPECT_TRUE(Logged("OpenGL ES Init ok."));
    OVI_Frame(16);
    EXPECT_EQ(Pixel(15, 15), kRed);
    EXPECT_EQ(Pixel(500, 300), kBlue);
}

TEST_F(DriverPreload, HeadlessPreloadAloneBringsTheDisplayUp)
{
    OVID_StartDriverPreloadPlan(OVID_DriverPreloadPlan(true));
    ov_driver_preload_result_t result = OVID_FinishDriverPreload();
    EXPECT_TRUE(result.display_initialised);
    EXPECT_EQ(result.libraries_opened, 0);
}

// The application starts while the driver loads: its Init runs before the renderer
// is up, and what it loads then is on screen in the first frame.
TEST_F(DriverPreload, ApplicationInitRunsBeforeTheRendererAndItsBitmapIsDrawnFirstFrame)
{
    OVI_SetBitmapFileLoader(RedLoader);
    static bool renderer_ready_in_init;
    static ov_bitmap_t *bitmap;
    renderer_ready_in_init = true;
    bitmap = nullptr;
    app.init = [] {
        renderer_ready_in_init = ov_state.renderer_ready != 0;
        bitmap = ov->OV_GetBitmap("init-red");
        return 1;
    };
    app.draw = [](float) {
        ov->OV_ClearScreen(0.0f, 0.0f, 1.0f);
        ov->OV_DrawBitmap(bitmap, 100, 100);
    };
    OVID_StartDriverPreloadPlan(OVID_DriverPreloadPlan(true));
    Start();
    OVI_SetBitmapFileLoader(nullptr);
    EXPECT_FALSE(renderer_ready_in_init);
    ASSERT_NE(bitmap, nullptr);
    EXPECT_TRUE(ov_state.app_initialized);
    EXPECT_TRUE(ov_state.renderer_ready);
    OVI_Frame(16);
    EXPECT_EQ(Pixel(101, 101), kRed);
    EXPECT_EQ(Pixel(99, 99), kBlue);
    // The log says so in that order.
    const int program = enginetest::LogLineIndex("Initializing Program 'GfxTest'..");
    const int renderer = enginetest::LogLineIndex("OpenGL ES Init ok.");
    ASSERT_GE(program, 0);
    ASSERT_GE(renderer, 0);
    EXPECT_LT(program, renderer);
}
