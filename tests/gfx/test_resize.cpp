// Image resizing and the pixel utilities under it: which filter each size ratio uses
// (copy, bilinear up to 1.5, averaging above), refused sizes, alpha bleeding, low-alpha
// clearing, clamped sampling, and the choice of input image for a display scale.
#include "tests/gfx/gfx_fixture.h"
#include "tests/gfx/test_image_fixtures.h"

#include "core/data/dataman.h"
#include "gfx/pixels.h"
#include "gfx/resize.h"

#include <math.h>
#include <stdlib.h>
#include <string.h>

#include <random>
#include <vector>

using namespace imgtest;
using gfxtest::Logged;

namespace {

class Resize : public gfxtest::GfxTest {
protected:
    void SetUp() override
    {
        GfxTest::SetUp();
        Start();
    }
};

// An opaque w x h image without the alpha flag whose red is 2x and green 2y.
ov_bitmap_t *Ramp(int w, int h)
{
    ov_bitmap_t *b = MakeBitmap(w, h, 0, false);
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++) {
            uint8_t *p = b->pixels + (y * w + x) * 4;
            p[0] = (uint8_t)(2 * x);
            p[1] = (uint8_t)(2 * y);
            p[2] = 77;
        }
    b->flags = 0;
    return b;
}

uint32_t Rgba32(uint8_t r, uint8_t g, uint8_t b, uint8_t a)
{
    uint8_t p[4] = {r, g, b, a};
    uint32_t v;
    memcpy(&v, p, 4);
    return v;
}

TEST_F(Resize, FilterChosenBySizeRatio)
{
    enum Filter { COPY, BILINEAR, AVERAGE };
    struct Case {
        int sw, sh, dw, dh;
        Filter filter;
    } cases[] = {
        {64, 64, 64, 64, COPY},
        {64, 64, 43, 43, BILINEAR},  // ratio 1.49
        {96, 96, 64, 64, BILINEAR},  // exactly 1.5
        {32, 32, 48, 40, BILINEAR},  // enlarging
        {64, 64, 32, 32, AVERAGE},   // ratio 2: samples at offsets 0, 1 and 2
        {63, 64, 63, 16, AVERAGE},   // only one axis above 1.5
        {120, 60, 30, 30, AVERAGE},
    };
    for (const Case &c : cases) {
        ov_bitmap_t *src = Ramp(c.sw, c.sh);
        ov_bitmap_t dst;
        memset(&dst, 0, sizeof dst);
        ASSERT_TRUE(OVI_CreateImageResized(&dst, src, c.dw, c.dh));
        ASSERT_EQ(dst.width, c.dw);
        ASSERT_EQ(dst.height, c.dh);
        EXPECT_EQ(dst.src_width, c.dw);
        EXPECT_EQ(dst.src_height, c.dh);
        if (c.filter == COPY) {
            EXPECT_EQ(memcmp(dst.pixels, src->pixels, (size_t)c.sw * c.sh * 4), 0);
        }
        double rx = (double)c.sw / c.dw, ry = (double)c.sh / c.dh;
        // On a linear ramp a bilinear sample at s gives 2s; an average of samples at
        // s, s + 1, ... s + floor(r) gives 2 (s + floor(r) / 2). Edge pixels, whose
        // samples are clamped, are left out.
        for (int y = 0; y < c.dh; y++) {
            for (int x = 0; x < c.dw; x++) {
                double sx = (double)x / c.dw * c.sw, sy = (double)y / c.dh * c.sh;
                double ex = 2 * sx, ey = 2 * sy;
                bool average = c.filter == AVERAGE;
                if (average) {
                    ex += floor(rx);
                    ey += floor(ry);
                }
                double last_x = sx + (average ? floor(rx) : 0) + 1, last_y = sy + (average ? floor(ry) : 0) + 1;
                if (last_x >= c.sw || last_y >= c.sh)
                    continue;
                std::vector<int> p = PixelOf(&dst, x, y);
                EXPECT_NEAR(p[0], ex, 1.0) << c.sw << "->" << c.dw << " at " << x << "," << y;
                EXPECT_NEAR(p[1], ey, 1.0) << c.sh << "->" << c.dh << " at " << x << "," << y;
                EXPECT_NEAR(p[2], 77, 1.0);
                EXPECT_EQ(p[3], 255);
            }
        }
        EXPECT_FALSE(dst.flags & OV_BITMAP_ALPHA);
        free(dst.pixels);
        FreeBitmap(src);
    }
}

TEST_F(Resize, RefusedSizesLeaveTheDestinationAlone)
{
    ov_bitmap_t *src = Ramp(8, 8);
    ov_bitmap_t *dst = Ramp(3, 3);
    uint8_t *before = dst->pixels;
    struct Case {
        int w, h;
    } cases[] = {{0, 8}, {8, 0}, {65535, 8}, {8, 65535}, {-1, 8}, {8, -7}};
    for (const Case &c : cases) {
        EXPECT_FALSE(OVI_CreateImageResized(dst, src, c.w, c.h)) << c.w << "x" << c.h;
        EXPECT_EQ(dst->pixels, before);
        EXPECT_EQ(dst->width, 3);
        EXPECT_EQ(dst->height, 3);
    }
    // The largest accepted side.
    ov_bitmap_t wide;
    memset(&wide, 0, sizeof wide);
    EXPECT_TRUE(OVI_CreateImageResized(&wide, src, 65534, 1));
    EXPECT_EQ(wide.width, 65534);
    free(wide.pixels);
    FreeBitmap(dst);
    FreeBitmap(src);
}

TEST_F(Resize, MissingBitmapsAreRefusedWithTheirMessages)
{
    ov_bitmap_t *src = Ramp(4, 4);
    ov_bitmap_t dst;
    memset(&dst, 0, sizeof dst);
    EXPECT_FALSE(OVI_CreateImageResized(nullptr, src, 2, 2));
    EXPECT_TRUE(Logged("OVI_CreateImageResized bm_target is null."));
    EXPECT_FALSE(OVI_CreateImageResized(&dst, nullptr, 2, 2));
    EXPECT_TRUE(Logged("OVI_CreateImageResized bm_source is null."));
    ov_bitmap_t empty;
    memset(&empty, 0, sizeof empty);
    EXPECT_FALSE(OVI_CreateImageResized(&dst, &empty, 2, 2));
    EXPECT_TRUE(Logged("OVI_CreateImageResized bm_source '(null)' has no pixels."));
    EXPECT_EQ(dst.pixels, nullptr);
    FreeBitmap(src);
}

TEST_F(Resize, StrongReductionKeepsTransparentRegionsTransparentAndBlack)
{
    // Left half opaque red, right half transparent blue.
    ov_bitmap_t *src = SolidBitmap(64, 64, Rgba32(0, 0, 255, 0));
    for (int y = 0; y < 64; y++)
        for (int x = 0; x < 32; x++)
            memcpy(src->pixels + (y * 64 + x) * 4, "\xff\x00\x00\xff", 4);
    ov_bitmap_t dst;
    memset(&dst, 0, sizeof dst);
    ASSERT_TRUE(OVI_CreateImageResized(&dst, src, 16, 16));
    EXPECT_TRUE(dst.flags & OV_BITMAP_ALPHA);
    for (int y = 0; y < 16; y++) {
        // Opaque inside (the last row's footprint reaches past the image: transparent there).
        if (y < 15) {
            EXPECT_EQ(PixelOf(&dst, 2, y), (std::vector<int>{255, 0, 0, 255})) << y;
        }
        // Two pixels away from any opaque pixel: nothing bled in.
        for (int x = 11; x < 16; x++)
            EXPECT_EQ(PixelOf(&dst, x, y), (std::vector<int>{0, 0, 0, 0})) << x << "," << y;
    }
    // The source's transparent pixels next to the red took its colour (alpha kept).
    EXPECT_EQ(PixelOf(src, 32, 5), (std::vector<int>{255, 0, 0, 0}));
    EXPECT_EQ(PixelOf(src, 40, 5), (std::vector<int>{0, 0, 255, 0}));
    free(dst.pixels);
    FreeBitmap(src);
}

// ---- alpha bleeding and pixel utilities

TEST_F(Resize, AlphaBleedingFillsTheFourNeighboursOneDeep)
{
    const uint32_t clear = Rgba32(9, 9, 9, 0), dot = Rgba32(200, 100, 50, 255);
    ov_bitmap_t *b = SolidBitmap(5, 5, clear);
    memcpy(b->pixels + (2 * 5 + 2) * 4, &dot, 4);
    OVI_FixAlphaBleeding(b);
    struct Case {
        int x, y;
        std::vector<int> want;
    } cases[] = {
        {2, 2, {200, 100, 50, 255}},                               // the dot
        {2, 1, {200, 100, 50, 0}}, {3, 2, {200, 100, 50, 0}},      // up, right
        {2, 3, {200, 100, 50, 0}}, {1, 2, {200, 100, 50, 0}},      // down, left
        {1, 1, {9, 9, 9, 0}},      {3, 3, {9, 9, 9, 0}},           // diagonals unchanged
        {2, 0, {9, 9, 9, 0}},      {0, 2, {9, 9, 9, 0}},           // two away: one pass is one pixel deep
    };
    for (const Case &c : cases)
        EXPECT_EQ(PixelOf(b, c.x, c.y), c.want) << c.x << "," << c.y;
    FreeBitmap(b);
}

TEST_F(Resize, AlphaBleedingPrefersLeftThenDownThenRightThenUp)
{
    const uint32_t up = Rgba32(1, 0, 0, 255), right = Rgba32(2, 0, 0, 255), down = Rgba32(3, 0, 0, 255),
                   left = Rgba32(4, 0, 0, 255);
    struct Case {
        bool has[4];  // up, right, down, left
        int want;     // red byte the centre takes
    } cases[] = {
        {{true, true, true, true}, 4},
        {{true, true, true, false}, 3},
        {{true, true, false, false}, 2},
        {{true, false, false, false}, 1},
        {{false, true, false, true}, 4},
    };
    for (const Case &c : cases) {
        ov_bitmap_t *b = SolidBitmap(3, 3, Rgba32(0, 0, 0, 0));
        const uint32_t *colours[4] = {&up, &right, &down, &left};
        const int at[4][2] = {{1, 0}, {2, 1}, {1, 2}, {0, 1}};
        for (int k = 0; k < 4; k++)
            if (c.has[k])
                memcpy(b->pixels + (at[k][1] * 3 + at[k][0]) * 4, colours[k], 4);
        OVI_FixAlphaBleeding(b);
        EXPECT_EQ(PixelOf(b, 1, 1), (std::vector<int>{c.want, 0, 0, 0}));
        FreeBitmap(b);
    }
}

// The fill against its definition, pixel by pixel through the clamped reads, over
// random bitmaps with scattered, clustered and edge-hugging opaque pixels.
TEST_F(Resize, AlphaBleedingEqualsItsDefinitionOnRandomBitmaps)
{
    std::mt19937 rng(5);
    for (int round = 0; round < 60; round++) {
        int w = 1 + (int)(rng() % 40), h = 1 + (int)(rng() % 40);
        ov_bitmap_t *b = SolidBitmap(w, h, Rgba32(0, 0, 0, 0));
        if (round % 2)
            b->flags |= OV_BITMAP_ALPHA;
        int density = 1 + (int)(rng() % 6);
        for (int i = 0; i < w * h; i++) {
            uint8_t *p = b->pixels + i * 4;
            for (int k = 0; k < 3; k++)
                p[k] = (uint8_t)rng();
            p[3] = rng() % 8 < (unsigned)density ? (uint8_t)(1 + rng() % 255) : 0;
        }
        // The definition: every transparent pixel looks at up, right, down and left in
        // the bitmap as it was, through the clamped read, and the last opaque one wins.
        std::vector<uint8_t> want(b->pixels, b->pixels + (size_t)w * h * 4);
        ov_bitmap_t before = *b;
        std::vector<uint8_t> original = want;
        before.pixels = original.data();
        const int dx[4] = {0, 1, 0, -1}, dy[4] = {-1, 0, 1, 0};
        for (int y = 0; y < h; y++)
            for (int x = 0; x < w; x++) {
                uint8_t *p = &want[((size_t)y * w + x) * 4];
                if (p[3])
                    continue;
                for (int k = 0; k < 4; k++) {
                    uint32_t n = OVI_GetClampedPixel(&before, x + dx[k], y + dy[k]);
                    uint8_t nb[4];
                    memcpy(nb, &n, 4);
                    if (nb[3])
                        memcpy(p, nb, 3);
                }
            }
        OVI_FixAlphaBleeding(b);
        ASSERT_EQ(0, memcmp(b->pixels, want.data(), want.size())) << "round " << round << ", " << w << "x" << h;
        FreeBitmap(b);
    }
}

TEST_F(Resize, ForceLowAlphaToZero)
{
    struct Case {
        int threshold;
        std::vector<int> alphas_after;
    } cases[] = {
        {0, {0, 1, 100, 255}},
        {1, {0, 0, 100, 255}},
        {100, {0, 0, 0, 255}},
        {255, {0, 0, 0, 0}},
    };
    for (const Case &c : cases) {
        ov_bitmap_t *b = SolidBitmap(4, 1, Rgba32(10, 20, 30, 0));
        const int alphas[4] = {0, 1, 100, 255};
        for (int i = 0; i < 4; i++)
            b->pixels[i * 4 + 3] = (uint8_t)alphas[i];
        OVI_ForceLowAlphaToZero(b, c.threshold);
        for (int i = 0; i < 4; i++) {
            EXPECT_EQ(PixelOf(b, i, 0), (std::vector<int>{10, 20, 30, c.alphas_after[i]})) << c.threshold;
        }
        FreeBitmap(b);
    }
}

TEST_F(Resize, SamplePointClampsAndClearsAlphaOutside)
{
    ov_bitmap_t *b = MakeBitmap(4, 3, 2);
    uint8_t last[4];
    Colour(3, 1, 2, last);
    struct Case {
        bool alpha_flag;
        double u, v;
        int x, y;
        bool cleared;
    } cases[] = {
        {true, 1.0, 0.5, 3, 1, true},   {false, 1.0, 0.5, 3, 1, false}, {true, 0.99, 0.5, 3, 1, false},
        {true, -0.5, 0.0, 0, 0, true},  {true, 0.0, 0.0, 0, 0, false},  {false, 0.5, 1.5, 2, 2, false},
    };
    for (const Case &c : cases) {
        b->flags = c.alpha_flag ? OV_BITMAP_ALPHA : 0;
        uint32_t v = OVI_GetBitmapSamplePoint(b, c.u, c.v);
        uint8_t got[4];
        memcpy(got, &v, 4);
        uint8_t want[4];
        Colour(c.x, c.y, 2, want);
        if (c.cleared)
            want[3] = 0;
        EXPECT_EQ(memcmp(got, want, 4), 0) << c.u << "," << c.v << " alpha flag " << c.alpha_flag;
    }
    FreeBitmap(b);
}

TEST_F(Resize, RowAndColumnEmptiness)
{
    ov_bitmap_t *b = SolidBitmap(4, 3, Rgba32(5, 5, 5, 0));
    b->pixels[(1 * 4 + 2) * 4 + 3] = 1;  // one visible pixel at (2, 1)
    EXPECT_TRUE(OVI_IsBitmapRowFree(b, 0));
    EXPECT_FALSE(OVI_IsBitmapRowFree(b, 1));
    EXPECT_TRUE(OVI_IsBitmapColumnFree(b, 1));
    EXPECT_FALSE(OVI_IsBitmapColumnFree(b, 2));
    EXPECT_TRUE(OVI_IsBitmapRowFreeSpan(b, 1, 0, 2));
    EXPECT_FALSE(OVI_IsBitmapRowFreeSpan(b, 1, 0, 3));
    EXPECT_TRUE(OVI_IsBitmapRowFreeSpan(b, 1, 3, 3));
    FreeBitmap(b);
}

// ---- input bitmap choice

TEST_F(Resize, InputScaleFactors)
{
    struct Case {
        const char *id;
        float factor;
    } cases[] = {
        {"INPUT@2x", 2.0f},  {"INPUT@1/2x", 0.5f}, {"INPUT@0.5X", 0.5f}, {"INPUT@3/4", 0.75f},
        {"INPUT@/4x", 0.25f}, {"INPUT@3/x", 3.0f}, {"OTHER@2x", 1.0f},  {"INPUT", 1.0f},
        {"INPUT@1/0x", 0.0f},  // refused: no division by zero
    };
    for (const Case &c : cases)
        EXPECT_FLOAT_EQ(OVIF_GetInputBitmapScaleFactor(c.id), c.factor) << c.id;
}

TEST_F(Resize, InputChoiceForScale)
{
    struct Case {
        std::vector<const char *> ids;
        float scale;
        const char *chosen;  // null: none
    } cases[] = {
        // No factor within 0.01 of 1.5: 1 is below both 3 and 1.5, so 3 replaces it and stays.
        {{"INPUT@1x", "INPUT@3x", "INPUT@2x"}, 1.5f, "INPUT@3x"},
        {{"INPUT@1x", "INPUT@3x", "INPUT@2x"}, 2.005f, "INPUT@2x"},
        {{"INPUT@2x", "INPUT@1x"}, 1.5f, "INPUT@2x"},
        {{"INPUT@1/2x", "INPUT@1x", "INPUT@4x"}, 3.0f, "INPUT@4x"},
        {{"icon", "INPUT@1x"}, 2.0f, "INPUT@1x"},
        {{"INPUT@1/0x", "INPUT@2x"}, 0.0f, "INPUT@2x"},
        {{"INPUT@1/0x"}, 1.0f, nullptr},
        {{"icon"}, 1.0f, nullptr},
    };
    for (const Case &c : cases) {
        OV_DMArray array;
        for (const char *id : c.ids)
            array.AddNode(id);
        const char *chosen = OVIF_SelectBestInputBitmapForScaling(&array, c.scale);
        if (c.chosen) {
            EXPECT_STREQ(chosen, c.chosen) << c.scale;
        } else {
            EXPECT_EQ(chosen, nullptr) << c.scale;
        }
    }
    EXPECT_TRUE(Logged("Selecting bitmap input 'INPUT@3x' for scale 1.50x (closest match)."));
}

}  // namespace
