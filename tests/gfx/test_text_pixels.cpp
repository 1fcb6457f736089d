// Text drawn by the real OpenGL ES renderer, read back from the headless pbuffer:
// exact placement of solid glyphs, colour markup, lower case drawn with capitals.
#include "tests/gfx/gfx_fixture.h"
#include "tests/gfx/test_font_util.h"

using namespace gfxtest;
using namespace fonttest;

namespace {

const Rgba kBlack = {0, 0, 0, 255};
const Rgba kWhite = {255, 255, 255, 255};

class TextPixels : public GfxTest {
protected:
    void SetUp() override
    {
        GfxTest::SetUp();
        MakeDirs("app/native/fonts/");
    }
    // 'A' 4 x 6 at y offset 2, advance 6; 'B' 3 x 3 at 0, advance 5; 'C' 2 x 5; 'D' a
    // 4 x 4 checker of opaque white and black; no lower case.
    void WriteFont()
    {
        ov_font_t f;
        InitFont(&f, "blocks");
        f.height = 8;
        f.line_height = 10;
        f.top_offset = 8;  // y0 = y: glyph rows start at the text's y
        SetGlyph(&f, 'A', 6, 4, 6, 2);
        SetGlyph(&f, 'B', 5, 3, 3, 0);
        SetGlyph(&f, 'C', 4, 2, 5, 1);
        SetGlyph(&f, 'D', 5, 4, 4, 0);
        for (int p = 0; p < 16; p++)
            if ((p % 4 + p / 4) & 1)
                memset(f.glyphs['D'].image.pixels + p * 4, 0, 3);
        SetGlyph(&f, ' ', 4);
        OV_SaveFont(&f, "res://fonts/blocks.mft");
        FreeFont(&f);
    }

    ov_font_t *font_ = nullptr;
    void Run(std::function<void()> draw)
    {
        app.draw = [this, draw](float) {
            if (!font_)
                font_ = ov->OV_LoadFont("fonts/blocks.mft");
            ov->OV_ClearScreen(0, 0, 0);
            ov->OV_SetPixelFilter(0);
            ov->OV_SetColor(1, 1, 1);
            ov->OV_SetAlpha(1);
            draw();
        };
        // The sound service stays off: these tests read pixels only, and the audio
        // thread's channel feed is not what they exercise.
        PreInit();
        ov_prog->parms.no_sound = 1;
        Start();
        WriteFont();
        OVI_Frame(16);
    }
};

}  // namespace

TEST_F(TextPixels, SolidGlyphsLandExactly)
{
    Run([this] { ov->OV_DrawTextf(font_, 100, 50, "AB"); });
    // A: x 100..103, y 52..57.
    EXPECT_EQ(Pixel(100, 52), kWhite);
    EXPECT_EQ(Pixel(103, 57), kWhite);
    EXPECT_EQ(Pixel(99, 52), kBlack);
    EXPECT_EQ(Pixel(104, 52), kBlack);
    EXPECT_EQ(Pixel(100, 51), kBlack);
    EXPECT_EQ(Pixel(100, 58), kBlack);
    // B after A's advance of 6: x 106..108, y 50..52.
    EXPECT_EQ(Pixel(106, 50), kWhite);
    EXPECT_EQ(Pixel(108, 52), kWhite);
    EXPECT_EQ(Pixel(105, 50), kBlack);
    EXPECT_EQ(Pixel(109, 50), kBlack);
    EXPECT_EQ(Pixel(106, 53), kBlack);
}

TEST_F(TextPixels, CentredAndRightAlignment)
{
    Run([this] {
        ov->OV_SetTextAlign(8);
        ov->OV_DrawTextf(font_, 200, 100, "A");  // advance 6: starts at 200 - 3
        ov->OV_SetTextAlign(1);
        ov->OV_DrawTextf(font_, 300, 100, "A");  // starts at 300 - 6
        ov->OV_SetTextAlign(0);
    });
    EXPECT_EQ(Pixel(197, 103), kWhite);
    EXPECT_EQ(Pixel(196, 103), kBlack);
    EXPECT_EQ(Pixel(294, 103), kWhite);
    EXPECT_EQ(Pixel(293, 103), kBlack);
}

TEST_F(TextPixels, ColourMarkupColoursTheFollowingWords)
{
    Run([&] {
        ov->OV_DrawTextf(font_, 100, 50, "|#ff0000|AA |00ff0080|AA");
        ov->OV_DrawRect(400, 400, 10, 10);  // the colour stays in force after the text
    });
    EXPECT_EQ(Pixel(101, 55), (Rgba{255, 0, 0, 255}));
    // Second word after "AA " (6 + 6 + 4): green at alpha 128 / 255 over black.
    Rgba second = Pixel(117, 55);
    EXPECT_EQ(second[0], 0);
    EXPECT_NEAR(second[1], 128, 2);
    EXPECT_EQ(second[2], 0);
    Rgba after = Pixel(405, 405);
    EXPECT_EQ(after[0], 0);
    EXPECT_NEAR(after[1], 128, 2);
}

TEST_F(TextPixels, LowerCaseWithoutGlyphsDrawsTheCapitals)
{
    float upper = 0, lower = 0;
    Run([&] {
        ov->OV_DrawTextf(font_, 100, 50, "ABC");
        ov->OV_DrawTextf(font_, 100, 80, "abc");
        upper = ov->OV_GetTextWidthf(font_, "ABC");
        lower = ov->OV_GetTextWidthf(font_, "abc");
    });
    EXPECT_EQ(upper, lower);
    for (int y = 0; y < 8; y++)
        for (int x = 98; x < 120; x++)
            ASSERT_EQ(Pixel(x, 50 + y), Pixel(x, 80 + y)) << x << "," << y;
    EXPECT_EQ(Pixel(100, 82), kWhite);
}

// The text angle is radians: a quarter turn stands the glyph on its side, left of the
// pivot (x, y0): A's rows 2..7 become columns x - 8 .. x - 3.
TEST_F(TextPixels, TextAngleIsRadians)
{
    Run([this] {
        ov->OV_SetTextTransform(1, 1, 1.5707964f);
        ov->OV_DrawTextf(font_, 100, 50, "A");
        ov->OV_SetTextTransform(1, 1, 0);
    });
    EXPECT_EQ(Pixel(92, 50), kWhite);
    EXPECT_EQ(Pixel(97, 53), kWhite);
    EXPECT_EQ(Pixel(98, 52), kBlack);
    EXPECT_EQ(Pixel(95, 54), kBlack);
    EXPECT_EQ(Pixel(101, 55), kBlack);  // where unturned text would be
}

// Text drawn with point filtering and then scaled text with smooth filtering: the second
// is filtered smoothly (the filter belongs to the atlas both share, not to the first
// glyph drawn from it).
TEST_F(TextPixels, ScaledTextTakesThePixelFilterSetForIt)
{
    auto blended = [](const Rgba &p) { return p[0] > 20 && p[0] < 235; };
    int smooth = 0, sharp = 0;
    Run([this] {
        ov->OV_SetPixelFilter(0);
        ov->OV_DrawTextf(font_, 100, 50, "AD");
        ov->OV_SetPixelFilter(1);
        ov->OV_SetTextTransform(2, 2, 0);
        ov->OV_DrawTextf(font_, 200, 100, "D");
        ov->OV_SetTextTransform(1, 1, 0);
        ov->OV_SetPixelFilter(0);
    });
    for (int y = 0; y < 8; y++)
        for (int x = 0; x < 8; x++) {
            smooth += blended(Pixel(200 + x, 100 + y));
            sharp += blended(Pixel(106 + x / 2, 50 + y / 2));
        }
    EXPECT_GT(smooth, 8);
    EXPECT_EQ(sharp, 0);
}

TEST_F(TextPixels, DrawTextfGivesTheWidestLine)
{
    float width = -1, none = -1;
    Run([&] {
        width = ov->OV_DrawTextf(font_, 100, 50, "AB\nABB");
        none = ov->OV_DrawTextf(nullptr, 100, 50, "AB");
    });
    EXPECT_EQ(width, 16);  // 6 + 5 + 5
    EXPECT_EQ(none, 0);
    EXPECT_EQ(Pixel(100, 62), kWhite);  // the second line is drawn too
}

// Once its atlas is uploaded a font keeps no packed copy of it (the glyphs keep their own
// images): a rebuild of its textures packs them again and draws the same pixels.
TEST_F(TextPixels, AnUploadedAtlasKeepsNoPackedCopyAndRebuildsTheSame)
{
    Run([this] { ov->OV_DrawTextf(font_, 100, 50, "ABCD"); });
    ASSERT_TRUE(font_ && font_->atlas.hw.uploaded);
    EXPECT_EQ(font_->atlas.pixels, nullptr);
    std::vector<Rgba> before;
    for (int y = 48; y < 60; y++)
        for (int x = 98; x < 124; x++)
            before.push_back(Pixel(x, y));
    ASSERT_EQ(ov->OV_RefreshFont(font_), 1);
    EXPECT_TRUE(font_->atlas.hw.uploaded);
    EXPECT_EQ(font_->atlas.pixels, nullptr);
    OVI_Frame(16);
    size_t i = 0;
    for (int y = 48; y < 60; y++)
        for (int x = 98; x < 124; x++)
            EXPECT_EQ(Pixel(x, y), before[i++]) << x << "," << y;
    EXPECT_EQ(Pixel(100, 52), kWhite);
}
