// Particles drawn on the real OpenGL ES renderer (headless) and read back as pixels:
// bitmap, text and trail particles with the camera offset, the system's scale and
// reference scale, and the particle's colour, alpha and curves.
#include "tests/app/services/app_engine_fixture.h"
#include "tests/gfx/test_font_util.h"

#include "app/ui/parts.h"
#include "gfx/bitmap.h"
#include "ovrecords.h"

#include <stdlib.h>
#include <string.h>

using namespace apptest;

namespace {

const Rgba kBlack = {0, 0, 0, 255};
const Rgba kRed = {255, 0, 0, 255};

// "white2": 2 x 2 opaque white pixels.
bool WhiteLoader(ov_bitmap_t *b)
{
    if (strcmp(b->name, "white2") != 0)
        return false;
    b->width = b->src_width = 2;
    b->height = b->src_height = 2;
    b->pixels = (uint8_t *)malloc(2 * 2 * 4);
    memset(b->pixels, 255, 2 * 2 * 4);
    b->flags |= OV_BITMAP_ALPHA;
    return true;
}

// The box of pixels that are not black within a region (inclusive); empty: x0 > x1.
struct Box {
    int x0 = 1 << 20, y0 = 1 << 20, x1 = -1, y1 = -1;
};
Box LitBox(int left, int top, int right, int bottom)
{
    Box box;
    for (int y = top; y <= bottom; y++)
        for (int x = left; x <= right; x++)
            if (Pixel(x, y) != kBlack) {
                box.x0 = std::min(box.x0, x);
                box.y0 = std::min(box.y0, y);
                box.x1 = std::max(box.x1, x);
                box.y1 = std::max(box.y1, y);
            }
    return box;
}

class PartsDrawTest : public AppEngineTest {
protected:
    void SetUp() override
    {
        AppEngineTest::SetUp();
        OVI_SetBitmapFileLoader(WhiteLoader);
        Start();
        white_ = ov->OV_LoadBitmap("white2", 6);
        ASSERT_NE(white_, nullptr);
    }
    void TearDown() override
    {
        system_.ResetParts();
        AppEngineTest::TearDown();
        OVI_SetBitmapFileLoader(nullptr);
    }
    // One frame: black, point filtering, the system drawn.
    void DrawSystem()
    {
        draw = [this](float) {
            ov->OV_ClearScreen(0, 0, 0);
            ov->OV_SetPixelFilter(0);
            system_.DrawParts();
        };
        DrawFrame();
    }
    PartMan system_{16};
    ov_bitmap_t *white_ = nullptr;
};

}  // namespace

TEST_F(PartsDrawTest, BitmapParticlesFollowCameraScaleAndColour)
{
    struct Case {
        const char *what;
        float cam_x, cam_y, scale, reference_scale;
        float x, y;
        int left, top, size;  // the square the 2 x 2 bitmap covers on the screen
    } cases[] = {
        {"plain", 0, 0, 1, 1, 50, 40, 49, 39, 2},
        {"camera offset", 10, 5, 1, 1, 50, 40, 39, 34, 2},
        {"scale 2", 10, 5, 2, 1, 30, 25, 38, 38, 4},
        {"reference scale 2 doubles the camera", 10, 5, 1, 2, 50, 40, 29, 29, 2},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        system_.ResetParts();
        system_.cam_x = c.cam_x;
        system_.cam_y = c.cam_y;
        system_.scale = c.scale;
        system_.reference_scale = c.reference_scale;
        part_t *p = system_.SpawnPart({c.x, c.y}, white_, 1);
        p->r = 1;
        p->g = p->b = 0;
        DrawSystem();
        Box box = LitBox(c.left - 4, c.top - 4, c.left + c.size + 3, c.top + c.size + 3);
        EXPECT_EQ(box.x0, c.left);
        EXPECT_EQ(box.y0, c.top);
        EXPECT_EQ(box.x1, c.left + c.size - 1);
        EXPECT_EQ(box.y1, c.top + c.size - 1);
        EXPECT_EQ(Pixel(c.left, c.top), kRed);
    }
}

TEST_F(PartsDrawTest, AlphaFollowsTheCurveAndTheSystem)
{
    part_t *p = system_.SpawnPart({50, 40}, white_, 2);  // alpha 1 -> 0 over the life
    p->age = 1;                                          // half way: 0.5
    system_.alpha = 0.5f;                                // times 0.5
    DrawSystem();
    Rgba c = Pixel(49, 39);
    EXPECT_NEAR(c[0], 64, 3);
    EXPECT_NEAR(c[1], 64, 3);
    // A lifetime of 0 draws at the end of life (alpha 0 here), not NaN.
    system_.ResetParts();
    system_.alpha = 1;
    part_t *q = system_.SpawnPart({50, 40}, white_, 0);
    q->alpha_graph = &graph_linear_0_1;
    DrawSystem();
    EXPECT_EQ(Pixel(49, 39)[0], 255);
}

TEST_F(PartsDrawTest, TextParticlesAreCentredAndScaled)
{
    fonttest::MakeDirs("app/native/fonts/");
    ov_font_t f;
    fonttest::InitFont(&f, "blocks");
    f.height = 8;
    f.line_height = 10;
    f.top_offset = 8;
    fonttest::SetGlyph(&f, 'A', 6, 4, 6, 2);
    ov->OV_SaveFont(&f, "res://fonts/blocks.mft");
    fonttest::FreeFont(&f);
    ov_font_t *font = ov->OV_LoadFont("fonts/blocks.mft");
    ASSERT_NE(font, nullptr);

    part_t *p = system_.SpawnPartTextf({60, 50}, font, 1, "%s", "A");
    DrawSystem();
    Box one = LitBox(40, 30, 80, 70);
    ASSERT_LE(one.x0, one.x1);
    EXPECT_EQ(one.x1 - one.x0 + 1, 4);

    p->scale = 2;
    system_.cam_x = 20;  // moves it 20 to the left
    DrawSystem();
    Box two = LitBox(20, 20, 70, 80);
    ASSERT_LE(two.x0, two.x1);
    EXPECT_EQ(two.x1 - two.x0 + 1, 8);
    EXPECT_EQ(two.y1 - two.y0 + 1, 2 * (one.y1 - one.y0 + 1));
    // The same centre, moved by the camera.
    EXPECT_NEAR((two.x0 + two.x1) / 2.0, (one.x0 + one.x1) / 2.0 - 20, 1.0);
    EXPECT_NEAR((two.y0 + two.y1) / 2.0, (one.y0 + one.y1) / 2.0, 1.0);
    ov->OV_ReleaseFont(font);
}

TEST_F(PartsDrawTest, TrailParticlesDrawFromTheTailToTheParticle)
{
    part_t *p = system_.SpawnPartTrail({60, 20}, {100, 20}, white_, 1, 4, 1);
    p->r = 1;
    p->g = p->b = 0;
    system_.cam_x = 10;
    DrawSystem();
    // From (50, 20) to (90, 20), 4 wide.
    EXPECT_EQ(Pixel(70, 20), kRed);
    EXPECT_EQ(Pixel(55, 19), kRed);
    EXPECT_EQ(Pixel(85, 21), kRed);
    EXPECT_EQ(Pixel(70, 26), kBlack);
    EXPECT_EQ(Pixel(70, 14), kBlack);
    EXPECT_EQ(Pixel(45, 20), kBlack);
    EXPECT_EQ(Pixel(95, 20), kBlack);
    // At scale 2 it runs from (100, 40) to (180, 40), 8 wide.
    system_.scale = 2;
    DrawSystem();
    EXPECT_EQ(Pixel(140, 37), kRed);
    EXPECT_EQ(Pixel(140, 43), kRed);
    EXPECT_EQ(Pixel(140, 48), kBlack);
    EXPECT_EQ(Pixel(70, 20), kBlack);
}

TEST_F(PartsDrawTest, UnbornParticlesAreNotDrawn)
{
    part_t *p = system_.SpawnPart({50, 40}, white_, 1);
    p->age = -0.1f;
    DrawSystem();
    EXPECT_EQ(Pixel(49, 39), kBlack);
    system_.UpdateParts(0.1f);
    DrawSystem();
    EXPECT_NE(Pixel(49, 39), kBlack);
}
