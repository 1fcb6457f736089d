// Texture sizes and texture rectangles of uploads, with non-power-of-two support
// switched off through the test hook (llvmpipe supports it) and left on.
#include "tests/gfx/gfx_fixture.h"

#include "gfx/bitmap.h"
#include "gfx/rendimp-gles.h"

#include <stdlib.h>
#include <string.h>

using namespace gfxtest;

namespace {

class UploadGeometry : public GfxTest {
protected:
    void SetUp() override
    {
        GfxTest::SetUp();
        Start();
    }
    void TearDown() override
    {
        for (ov_bitmap_t &b : made_) {
            ov_rendimp->FreeBitmap(&b.hw);
            free(b.pixels);
        }
        OVID_OGLES_ForceNoNPOT(false);
        GfxTest::TearDown();
    }
    // A record outside the pool with w x h opaque pixels, uploaded by the renderer.
    ov_bitmap_t &Upload(int w, int h, int pack_mode, uint16_t flags = 0)
    {
        made_.emplace_back();
        ov_bitmap_t &b = made_.back();
        memset(&b, 0, sizeof b);
        b.width = b.src_width = w;
        b.height = b.src_height = h;
        b.pack_mode = (int16_t)pack_mode;
        b.flags = flags;
        b.pixels = (uint8_t *)malloc((size_t)w * h * 4);
        memset(b.pixels, 200, (size_t)w * h * 4);
        EXPECT_TRUE(ov_rendimp->LoadBitmap(&b));
        return b;
    }
    std::vector<ov_bitmap_t> made_ = std::vector<ov_bitmap_t>();
};

}  // namespace

TEST_F(UploadGeometry, PaddedIntoPowerOfTwoWithoutNpot)
{
    made_.reserve(4);
    OVID_OGLES_ForceNoNPOT(true);
    ov_bitmap_t &b = Upload(100, 50, OV_PAD_EXPAND);
    EXPECT_EQ(b.hw.tex_width, 128);
    EXPECT_EQ(b.hw.tex_height, 64);
    EXPECT_FLOAT_EQ(b.hw.u0, 1.0f / 128);
    EXPECT_FLOAT_EQ(b.hw.v0, 1.0f / 64);
    EXPECT_FLOAT_EQ(b.hw.u1, 101.0f / 128);
    EXPECT_FLOAT_EQ(b.hw.v1, 51.0f / 64);
    EXPECT_TRUE(b.hw.uploaded);
    EXPECT_NE(b.hw.texture, 0u);
}

TEST_F(UploadGeometry, PowerOfTwoIsUploadedUnpadded)
{
    made_.reserve(4);
    OVID_OGLES_ForceNoNPOT(true);
    ov_bitmap_t &b = Upload(64, 64, OV_PAD_TRANSPARENT, OV_BITMAP_ALPHA);
    EXPECT_EQ(b.hw.tex_width, 64);
    EXPECT_EQ(b.hw.tex_height, 64);
    EXPECT_FLOAT_EQ(b.hw.u0, 0);
    EXPECT_FLOAT_EQ(b.hw.v0, 0);
    EXPECT_FLOAT_EQ(b.hw.u1, 1);
    EXPECT_FLOAT_EQ(b.hw.v1, 1);
}

TEST_F(UploadGeometry, WithNpotThePaddedSizeIsKept)
{
    made_.reserve(4);
    if (!gl_caps.npot)
        GTEST_SKIP() << "driver without non-power-of-two textures";
    ov_bitmap_t &b = Upload(100, 50, OV_PAD_EXPAND);
    EXPECT_EQ(b.hw.tex_width, 102);
    EXPECT_EQ(b.hw.tex_height, 52);
}

TEST_F(UploadGeometry, Width1023IsNotPaddedHorizontally)
{
    made_.reserve(4);
    OVID_OGLES_ForceNoNPOT(true);
    ov_bitmap_t &b = Upload(1023, 10, OV_PAD_EXPAND);
    EXPECT_EQ(b.hw.tex_width, 1024);
    EXPECT_EQ(b.hw.tex_height, 16);
    EXPECT_FLOAT_EQ(b.hw.u0, 0);
    EXPECT_FLOAT_EQ(b.hw.u1, 1023.0f / 1024);
    EXPECT_FLOAT_EQ(b.hw.v0, 1.0f / 16);
}

// The target's picture sits at the bottom of its texture (GL's rows run bottom up); the
// texture is rounded up to powers of two only without non-power-of-two support.
TEST_F(UploadGeometry, RenderTargetTextureIsStoredBottomUp)
{
    ov_bitmap_t *t = ov->OV_CreateBitmap("rt", 300, 200, 1);
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->hw.tex_width, 300);
    EXPECT_EQ(t->hw.tex_height, 200);
    EXPECT_FLOAT_EQ(t->hw.v0, 1.0f);
    EXPECT_FLOAT_EQ(t->hw.v1, 0.0f);
    EXPECT_FLOAT_EQ(t->hw.u1, 1.0f);

    OVID_OGLES_ForceNoNPOT(true);
    ov_bitmap_t *pot = ov->OV_CreateBitmap("rt-pot", 300, 200, 1);
    ASSERT_NE(pot, nullptr);
    EXPECT_EQ(pot->hw.tex_width, 512);
    EXPECT_EQ(pot->hw.tex_height, 256);
    EXPECT_FLOAT_EQ(pot->hw.v0, 1.0f);
    EXPECT_FLOAT_EQ(pot->hw.v1, 56.0f / 256);
    EXPECT_FLOAT_EQ(pot->hw.u1, 300.0f / 512);
}
