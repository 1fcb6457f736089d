// The window mode on a device with a desktop (the headless display put on a 1920 x 1080
// desktop, as a desktop window is): the first start is windowed; OV_ReInit with the
// windowed flag cleared shows the window over the whole desktop with the 1024 x 600
// picture scaled to 1843 x 1080 from x 38 and black bars beside it, whatever the
// program clears to; scissor rectangles follow the picture; and the window comes back
// at its buffer size. Pixels are read back from the whole surface.
#include "tests/gfx/gfx_fixture.h"

#include "gfx/gl-table.h"
#include "gfx/window.h"
#include "platform/headless.h"
#include "platform/screen.h"

#include <vector>

using namespace gfxtest;

namespace {

bool UseHeadlessOnADesktop()
{
    return ovdev::UseHeadlessBackend() && ovdev::headless::set_desktop_size(1920, 1080);
}

class WindowMode : public GfxTest {
protected:
    void SetUp() override
    {
        GfxTest::SetUp();
        use_backend_ = UseHeadlessOnADesktop;
    }

    // The surface as the window shows it, read back whole.
    void ReadSurface()
    {
        int size[2] = {0, 0};
        ASSERT_EQ(ovdev::screen_get_window_property_iv(ov_qnx_screen_window, ovdev::SCREEN_PROPERTY_SURFACE_SIZE, size), 0);
        surface_w_ = size[0];
        surface_h_ = size[1];
        pixels_.assign((size_t)surface_w_ * surface_h_ * 4, 0);
        ovgl.ReadPixels(0, 0, surface_w_, surface_h_, GL_RGBA, GL_UNSIGNED_BYTE, pixels_.data());
    }
    // A surface pixel read by ReadSurface, origin top left.
    Rgba At(int x, int y) const
    {
        const unsigned char *p = &pixels_[((size_t)(surface_h_ - 1 - y) * surface_w_ + x) * 4];
        return {p[0], p[1], p[2], p[3]};
    }
    // Asks for the window mode and lets the frame apply it.
    void SwitchTo(bool windowed)
    {
        ov_prog->parms.windowed = windowed ? 1 : 0;
        ASSERT_EQ(ov->OV_ReInit(), 1);
        OVI_Frame(16);
        OVI_Frame(16);
        ASSERT_EQ(ov_parms.windowed, windowed ? 1 : 0);
    }

    int surface_w_ = 0, surface_h_ = 0;
    std::vector<unsigned char> pixels_;
};

const Rgba kBlack = {0, 0, 0, 255}, kRed = {255, 0, 0, 255}, kGreen = {0, 255, 0, 255}, kBlue = {0, 0, 255, 255},
           kWhite = {255, 255, 255, 255};

// The program clears red, marks its corners green (top left) and blue (bottom right)
// and fills its left half white through a scissor rectangle.
void DrawScene(float)
{
    ov->OV_ClearScreen(1, 0, 0);
    ov->OV_SetAlpha(1);
    ov->OV_SetColor(0, 1, 0);
    ov->OV_DrawRect(0, 0, 10, 10);
    ov->OV_SetColor(0, 0, 1);
    ov->OV_DrawRect(1014, 590, 10, 10);
    ov->OV_SetScissorRect(0, 200, 512, 100);
    ov->OV_SetColor(1, 1, 1);
    ov->OV_DrawRect(0, 0, 1024, 600);
    ov->OV_DisableScissorRect();
}

TEST_F(WindowMode, FullScreenScalesThePictureBetweenBlackBarsAndReturns)
{
    app.draw = DrawScene;
    PreInit();
    EXPECT_EQ(ov_prog->parms.windowed, 1) << "a desktop starts windowed";
    EXPECT_EQ(ov_device_info.desktop_width, 1920);
    EXPECT_EQ(ov_device_info.desktop_height, 1080);
    Start();
    OVI_Frame(16);
    ReadSurface();
    ASSERT_EQ(surface_w_, 1024);
    ASSERT_EQ(surface_h_, 600);
    EXPECT_EQ(At(0, 0), kGreen);
    EXPECT_EQ(At(1023, 599), kBlue);
    EXPECT_EQ(At(511, 250), kWhite);
    EXPECT_EQ(At(512, 250), kRed);

    SwitchTo(false);
    EXPECT_EQ(ovdev::headless::window_property(ovdev::SCREEN_PROPERTY_FULLSCREEN), std::vector<int>{1});
    ReadSurface();
    ASSERT_EQ(surface_w_, 1920);
    ASSERT_EQ(surface_h_, 1080);
    // Bars: columns 0..37 and 1881..1919, from top to bottom.
    for (int y : {0, 540, 1079}) {
        for (int x : {0, 37, 1881, 1919})
            EXPECT_EQ(At(x, y), kBlack) << x << "," << y;
    }
    // The picture: its corners at the edges of 38..1880 x 0..1079, scaled by 1.8.
    EXPECT_EQ(At(38, 0), kGreen);
    EXPECT_EQ(At(38 + 17, 17), kGreen);
    EXPECT_EQ(At(38 + 19, 19), kRed);
    EXPECT_EQ(At(1880, 1079), kBlue);
    EXPECT_EQ(At(1880 - 17, 1079 - 17), kBlue);
    // The scissored half: device x 0..511, y 200..299 is 38..958 x 360..539 here.
    EXPECT_EQ(At(38, 360), kWhite);
    EXPECT_EQ(At(957, 539), kWhite);
    EXPECT_EQ(At(960, 450), kRed);
    EXPECT_EQ(At(500, 358), kRed);
    EXPECT_EQ(At(500, 541), kRed);

    SwitchTo(true);
    EXPECT_EQ(ovdev::headless::window_property(ovdev::SCREEN_PROPERTY_FULLSCREEN), std::vector<int>{0});
    ReadSurface();
    ASSERT_EQ(surface_w_, 1024);
    ASSERT_EQ(surface_h_, 600);
    EXPECT_EQ(At(0, 0), kGreen);
    EXPECT_EQ(At(1023, 599), kBlue);
    EXPECT_EQ(At(511, 250), kWhite);
}

// Without a desktop the device's screen is the window: the start keeps the program's
// full-screen flag and the surface is the buffer in both modes.
TEST_F(WindowMode, WithoutADesktopBothModesShowTheBuffer)
{
    use_backend_ = nullptr;
    app.draw = DrawScene;
    Start();
    EXPECT_EQ(ov_prog->parms.windowed, 0);
    EXPECT_EQ(ov_device_info.desktop_width, 0);
    OVI_Frame(16);
    ReadSurface();
    EXPECT_EQ(surface_w_, 1024);
    EXPECT_EQ(At(0, 0), kGreen);
    SwitchTo(true);
    ReadSurface();
    EXPECT_EQ(surface_w_, 1024);
    EXPECT_EQ(surface_h_, 600);
    EXPECT_EQ(At(1023, 599), kBlue);
}

}  // namespace
