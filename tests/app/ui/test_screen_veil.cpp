// A pop-up's full-screen black veil at 60 % over the screen under it: the display shows
// the screen under it darkened to 40 %, and so does the picture of the frame, which is
// opaque (the framebuffer's alpha, lowered by the blend, is no part of it).
#include "tests/app/ui/ui_fixture.h"
#include "tests/app/ui/widget_fixture.h"
#include "tests/support/headless_engine.h"

#include <png.h>
#include <stdio.h>
#include <stdlib.h>

#include <string>
#include <vector>

using namespace uitest;
using apptest::Pixel;
using apptest::Rgba;

namespace {

bool NearRgb(const Rgba &a, int r, int g, int b, int tolerance)
{
    return abs(a[0] - r) <= tolerance && abs(a[1] - g) <= tolerance && abs(a[2] - b) <= tolerance;
}

// The RGBA pixels of a PNG file, top row first; empty when it does not read.
std::vector<unsigned char> ReadPng(const std::string &path, int *w, int *h)
{
    std::vector<unsigned char> px;
    png_image image = {};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str()))
        return px;
    image.format = PNG_FORMAT_RGBA;
    px.resize(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, px.data(), 0, nullptr)) {
        png_image_free(&image);
        return {};
    }
    *w = (int)image.width;
    *h = (int)image.height;
    return px;
}

class Veil : public UITest {
protected:
    void SetUp() override
    {
        UITest::SetUp();
        StartUI();
        Screen::PreLoadAllScreens(false);
    }
};

TEST_F(Veil, APopupsBlackVeilDarkensTheDisplayAndItsPicture)
{
    ProbeScreen *under = MakeScreen("Under",
                                    "CreateComp ('Rectangle', 'grey')\nSetProperty ('position_type', 'ABSOLUTE')\n"
                                    "SetProperty ('rectangle.rect_width', 320)\nSetProperty ('rectangle.rect_height', 240)\n"
                                    "SetProperty ('color', 0.5, 0.5, 0.5, 1)\n");
    // The veil as a layout writes it: colour by channel, sizes as text, stretched.
    ProbeScreen *popup = MakeScreen("Popup",
                                    "CreateComp ('Rectangle', 'veil')\n"
                                    "SetProperty ('scale_type', 'STRETCH_TO_COVER_SCREEN')\n"
                                    "SetProperty ('color.r', 0)\nSetProperty ('color.g', 0)\n"
                                    "SetProperty ('color.b', 0)\nSetProperty ('color.a', 0.6)\n"
                                    "SetProperty ('rectangle.rect_width', '320')\n"
                                    "SetProperty ('rectangle.rect_height', '240')\n");
    sman.PushScreen(under, 0);
    for (int i = 0; i < 5; i++)
        PumpFrame();
    EXPECT_TRUE(NearRgb(Pixel(160, 120), 128, 128, 128, 2));
    sman.PushScreen(popup, 0);
    PumpFrame();
    EXPECT_LE(Pixel(160, 120)[0], 128) << "fading in, the veil never lightens";
    for (int i = 0; i < 60; i++)
        PumpFrame();
    for (const auto &at : {std::pair<int, int>{160, 120}, {2, 2}, {317, 237}}) {
        Rgba shown = Pixel(at.first, at.second);
        EXPECT_TRUE(NearRgb(shown, 51, 51, 51, 3)) << shown[0] << "," << shown[1] << "," << shown[2];
    }
    // The framebuffer's alpha is below 1 there (the blend wrote it): the picture must not
    // carry it, or a viewer shows the dark frame over white as light grey.
    EXPECT_LT(Pixel(160, 120)[3], 255);
    widgettest::Frame frame = widgettest::ReadFrame();
    std::string path = enginetest::ShotPath("veil", "popup-veil.png");
    ASSERT_TRUE(widgettest::SavePng(frame, path));
    int w = 0, h = 0;
    std::vector<unsigned char> px = ReadPng(path, &w, &h);
    ASSERT_EQ(w, frame.w);
    ASSERT_EQ(h, frame.h);
    const unsigned char *centre = &px[((size_t)(h / 2) * w + w / 2) * 4];
    EXPECT_TRUE(NearRgb({centre[0], centre[1], centre[2], centre[3]}, 51, 51, 51, 3));
    for (size_t i = 3; i < px.size(); i += 4)
        ASSERT_EQ(px[i], 255) << "pixel " << i / 4;
}

}  // namespace
