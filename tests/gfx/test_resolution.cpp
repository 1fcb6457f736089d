// Resolution choice from the "resolutions" list, autoscaling, border bars, rotation of
// a wide program on a portrait buffer, and touches mapped into program coordinates.
#include "tests/gfx/gfx_fixture.h"

#include "gfx/rendimp.h"
#include "gfx/screen-transform.h"
#include "gfx/window.h"
#include "nstring.h"
#include "platform/bps.h"
#include "platform/headless.h"
#include "platform/screen.h"

using namespace gfxtest;

namespace {

class Resolution : public GfxTest {
protected:
    // Pre-initialised with the null renderer, which accepts every size.
    void PreInitNull()
    {
        OVID_SetRendImpOverride(GetRendImpNull());
        PreInit();
    }
    void SetList(const char *list)
    {
        nStringFree(ov_state.resolutions);
        ov_state.resolutions = nStringDuplicate(list);
    }
};

const Rgba kRed = {255, 0, 0, 255};
const Rgba kBlack = {0, 0, 0, 255};

}  // namespace

TEST_F(Resolution, ClosestAspectToTheDesktopIsChosen)
{
    PreInitNull();
    ov_device_info.desktop_width = 1024;
    ov_device_info.desktop_height = 600;
    SetList("1280x800,1024x600,2048x1200");
    EXPECT_TRUE(OVI_SelectOptimalResolution(false));
    EXPECT_EQ(ov_prog->parms.width, 1024);
    EXPECT_EQ(ov_prog->parms.height, 600);
    EXPECT_TRUE(Logged("Selected 1024x600."));
    EXPECT_FALSE(Logged("Selected 2048x1200."));
}

TEST_F(Resolution, StarSelectsTheDeviceSize)
{
    PreInitNull();
    SetList("*");
    EXPECT_TRUE(OVI_SelectOptimalResolution(false));
    EXPECT_EQ(ov_prog->parms.width, ov_device_info.width);
    EXPECT_EQ(ov_prog->parms.height, ov_device_info.height);
}

TEST_F(Resolution, NoListChangesNothing)
{
    PreInitNull();
    SetList("");
    nStringFree(ov_state.resolutions);
    ov_state.resolutions = nullptr;
    int w = ov_prog->parms.width;
    EXPECT_FALSE(OVI_SelectOptimalResolution(false));
    EXPECT_EQ(ov_prog->parms.width, w);
}

TEST_F(Resolution, WindowedSizesLeaveRoomForTheFrame)
{
    PreInitNull();
    ov_device_info.desktop_width = 1920;
    ov_device_info.desktop_height = 1080;
    EXPECT_TRUE(OVI_IsResolutionSupportedByDevice(1870, 1010, true));
    EXPECT_FALSE(OVI_IsResolutionSupportedByDevice(1871, 1010, true));
    EXPECT_FALSE(OVI_IsResolutionSupportedByDevice(1870, 1011, true));
}

TEST_F(Resolution, GlesAcceptsTheDeviceSizeInEitherOrientation)
{
    Start();
    EXPECT_TRUE(ov_rendimp->IsResolutionSupported(1024, 600));
    EXPECT_TRUE(ov_rendimp->IsResolutionSupported(600, 1024));
    EXPECT_FALSE(ov_rendimp->IsResolutionSupported(800, 600));
}

TEST_F(Resolution, AutoscaleFromReferenceSize)
{
    PreInit(1280, 720);
    ov_state.autoscale = 1;
    ov_prog->parms.reference_width = 1024;
    ov_prog->parms.reference_height = 600;
    app.draw = [](float) {
        ov->OV_ClearScreen(1, 0, 0);
    };
    ASSERT_TRUE(OVI_Init());
    EXPECT_FLOAT_EQ(ov_state.autoscale_scale_x, 1.25f);
    EXPECT_FLOAT_EQ(ov_state.autoscale_scale_y, 1.2f);
    EXPECT_FLOAT_EQ(ov_state.autoscale_offset_x, 0);
    EXPECT_FLOAT_EQ(ov_state.autoscale_offset_y, 0);
    OVI_Frame(16);
    EXPECT_EQ(ov_prog->parms.width, 1024);  // the program sees its reference size
    EXPECT_EQ(Pixel(0, 360), kRed);         // no bars without retained aspect
    EXPECT_EQ(Pixel(1279, 360), kRed);
}

TEST_F(Resolution, RetainedAspectDrawsBlackBars)
{
    PreInit(1280, 720);
    nStringFree(ov_state.features);
    ov_state.features = nStringDuplicate("AUTOSCALE_RETAIN_ASPECT_RATIO");
    if (!OVI_ProductFeatureExists("AUTOSCALE_RETAIN_ASPECT_RATIO"))
        GTEST_SKIP() << "product features are not read in this build yet";
    ov_state.autoscale = 1;
    ov_prog->parms.reference_width = 1024;
    ov_prog->parms.reference_height = 600;
    app.draw = [](float) {
        ov->OV_SetColor(1, 0, 0);
        ov->OV_DrawRect(-2000, -2000, 5000, 5000);  // paint far past the program area
    };
    ASSERT_TRUE(OVI_Init());
    EXPECT_FLOAT_EQ(ov_state.autoscale_scale_x, 1.2f);
    EXPECT_FLOAT_EQ(ov_state.autoscale_offset_x, 25);
    OVI_Frame(16);
    EXPECT_EQ(Pixel(5, 360), kBlack);
    EXPECT_EQ(Pixel(1275, 360), kBlack);
    EXPECT_EQ(Pixel(640, 360), kRed);
}

TEST_F(Resolution, WideProgramOnPortraitBufferIsRotated)
{
    app.width = 1024;
    app.height = 600;
    app.draw = [](float) {
        ov->OV_ClearScreen(0, 0, 0);
        ov->OV_SetColor(1, 0, 0);
        ov->OV_DrawRect(0, 0, 100, 50);  // the program's top-left corner
    };
    Start(600, 1024);
    ASSERT_EQ(ov_device_info.width, 600);
    ASSERT_EQ(ov_device_info.height, 1024);
    EXPECT_EQ(ov_prog->parms.width, 1024);
    EXPECT_EQ(ov_state.orientation, 8);
    OVI_Frame(16);
    // Turned by 90 degrees about the screen centre: the corner lands at the top right.
    EXPECT_EQ(Pixel(575, 50), kRed);
    EXPECT_EQ(Pixel(575, 150), kBlack);
    EXPECT_EQ(Pixel(500, 50), kBlack);
    EXPECT_EQ(Pixel(25, 50), kBlack);
}

TEST_F(Resolution, TouchesArriveInProgramCoordinates)
{
    PreInit(1280, 720);
    ov_state.autoscale = 1;
    ov_prog->parms.reference_width = 1024;
    ov_prog->parms.reference_height = 600;
    ASSERT_TRUE(OVI_Init());
    ASSERT_EQ(ovdev::bps_initialize(), 0);
    ASSERT_EQ(ovdev::screen_request_events(ov_qnx_screen_context), 0);
    ASSERT_TRUE(ovdev::headless::inject_touch(ovdev::headless::TouchPhase::Down, 0, 640, 360));
    ovdev::bps_event_t *event = nullptr;
    ASSERT_EQ(ovdev::bps_get_event(&event, 0), 0);
    ASSERT_NE(event, nullptr);
    HandleScreenEvent(event);
    bool seen = false;
    for (const ov_event_t &ev : app.events)
        if (ev.type == OV_EVENT_BUTTON_DOWN) {
            EXPECT_EQ(ev.x, 512);
            EXPECT_EQ(ev.y, 300);
            seen = true;
        }
    EXPECT_TRUE(seen);
    ovdev::screen_stop_events(ov_qnx_screen_context);
    ovdev::bps_shutdown();
}
