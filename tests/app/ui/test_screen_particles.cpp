// The global particle system as the screen manager runs it: frozen by a zero-step
// frame, drawn above the screens and below the loading indicator (read back on the
// headless renderer), and given the fit scale of the virtual screen on resize.
#include "tests/app/ui/ui_fixture.h"

#include "app/services/prog.h"
#include "app/ui/parts.h"

#include <png.h>
#include <stdio.h>

using namespace uitest;
using apptest::Pixel;
using apptest::Rgba;

namespace {

// A square PNG of one opaque colour in the program directory.
void WritePng(const std::string &name, int size, png_byte r, png_byte g, png_byte b)
{
    std::string path = "app/native/" + name;
    std::string cmd = "mkdir -p '" + path.substr(0, path.rfind('/')) + "'";
    ASSERT_EQ(system(cmd.c_str()), 0);
    FILE *f = fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_init_io(png, f);
    png_set_IHDR(png, info, size, size, 8, PNG_COLOR_TYPE_RGBA, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    std::vector<png_byte> row;
    for (int x = 0; x < size; x++)
        row.insert(row.end(), {r, g, b, 255});
    for (int y = 0; y < size; y++)
        png_write_row(png, row.data());
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    fclose(f);
}

class Particles : public UITest {
protected:
    void SetUp() override
    {
        UITest::SetUp();
        StartUI();
        prog.Update = nullptr;   // the test steps the frames
    }
    void TearDown() override
    {
        if (bitmap_)
            ov->OV_ReleaseBitmap(bitmap_);
        UITest::TearDown();
    }
    ov_bitmap_t *bitmap_ = nullptr;
};

const Rgba kRed = {255, 0, 0, 255}, kWhite = {255, 255, 255, 255}, kBlue = {0, 0, 255, 255};

}  // namespace

TEST_F(Particles, AZeroStepFrameFreezesTheGlobalSystem)
{
    part_t *p = pman.SpawnPart(vec2_t{100, 100}, nullptr, 5.0f);
    p->vx = 10.0f;
    Steps(1, 0.5f);
    EXPECT_FLOAT_EQ(p->age, 0.5f);
    EXPECT_FLOAT_EQ(p->x, 105.0f);
    sman.ResetNextFrameTimeDelta();
    Steps(1, 0.5f);
    EXPECT_FLOAT_EQ(p->age, 0.5f) << "the zero-step frame ages nothing";
    EXPECT_FLOAT_EQ(p->x, 105.0f);
    Steps(1, 0.5f);
    EXPECT_FLOAT_EQ(p->age, 1.0f);
    EXPECT_EQ(pman.GetLiveCount(), 1);
    Steps(10, 0.5f);
    EXPECT_EQ(pman.GetLiveCount(), 0) << "dead at the end of its life";
}

TEST_F(Particles, DrawnAboveTheScreensAndBelowTheLoadingIndicator)
{
    ProbeScreen *s = MakeScreen("Full", "CreateComp('Rectangle', 'r')\nSetProperty('position_type', 'ABSOLUTE')\n"
                                        "SetProperty('position', 0, 0)\nSetProperty('rectangle.rect_width', 320)\n"
                                        "SetProperty('rectangle.rect_height', 240)\nSetProperty('color', 1, 0, 0)\n");
    sman.PushScreen(s, 0);
    Steps(2, 0.5f);
    WritePng("fx/dot.png", 16, 255, 255, 255);
    WritePng("loader/windmill.png", 32, 0, 0, 255);
    bitmap_ = ov->OV_LoadBitmap("fx/dot.png", sman.cache_flags);
    ASSERT_NE(bitmap_, nullptr);
    // One particle in the middle, one where the windmill turns (centre of the
    // bottom-right corner area: 16 units plus half its size in).
    pman.SpawnPart(vec2_t{160, 120}, bitmap_, 10.0f);
    pman.SpawnPart(vec2_t{320 - 32, 240 - 32}, bitmap_, 10.0f);
    DrawFrame();
    EXPECT_EQ(Pixel(160, 120), kWhite) << "over the screen";
    EXPECT_EQ(Pixel(20, 20), kRed);
    EXPECT_EQ(Pixel(320 - 32, 240 - 32), kWhite) << "no loader at work";
    sman.loader_count.store(1);
    Steps(1, 0.5f);
    ASSERT_EQ(sman.loader_alpha, 1.0f);
    DrawFrame();
    EXPECT_EQ(Pixel(320 - 32, 240 - 32), kBlue) << "the windmill covers the particle";
    Rgba middle = Pixel(160, 120);
    EXPECT_GE(middle[1], 235) << "the particle, its alpha a little down after half a second of ten";
    sman.loader_count.store(0);
}

TEST_F(Particles, ResizingGivesTheFitScale)
{
    struct Case {
        int w, h;
        float fit;
    };
    const Case cases[] = {{320, 240, 1.0f}, {640, 240, 1.0f}, {640, 480, 2.0f}, {160, 240, 0.5f}};
    for (const Case &c : cases) {
        SCOPED_TRACE(std::to_string(c.w) + "x" + std::to_string(c.h));
        sman.SetVirtualScreenDimensions(c.w, c.h);
        EXPECT_FLOAT_EQ(pman.reference_scale, c.fit);
        EXPECT_FLOAT_EQ(pman.reference_scale, sman.reference_scale_min);
    }
    sman.SetVirtualScreenDimensions(320, 240);
}
