// Draw calls counted through a recording GL function table wrapped around the driver.
#include "tests/gfx/gfx_fixture.h"

#include "gfx/bitmap.h"
#include "gfx/gl-table.h"
#include "gfx/rendimp-gles.h"

#include <stdlib.h>
#include <string.h>

using namespace gfxtest;

namespace {

int s_draws = 0;
int s_flushes = 0;
void (*s_real_flush)(void) = nullptr;
void CountingFlush(void)
{
    s_flushes++;
    s_real_flush();
}
std::vector<int> s_draw_sizes;
void (*s_real_draw)(GLenum, GLsizei, GLenum, const void *) = nullptr;

void RecordingDrawElements(GLenum mode, GLsizei count, GLenum type, const void *indices)
{
    s_draws++;
    s_draw_sizes.push_back(count);
    s_real_draw(mode, count, type, indices);
}

bool SolidLoader(ov_bitmap_t *b)
{
    b->width = b->height = b->src_width = b->src_height = 8;
    b->pixels = (uint8_t *)calloc(8 * 8, 4);
    return true;
}

class GlCounts : public GfxTest {
protected:
    void SetUp() override
    {
        GfxTest::SetUp();
        OVI_SetBitmapFileLoader(SolidLoader);
        Start();
        a_ = ov->OV_LoadBitmap("a", OV_CACHE_GPU);
        b_ = ov->OV_LoadBitmap("b", OV_CACHE_GPU);
        ASSERT_TRUE(a_ && a_->hw.uploaded && b_ && b_->hw.uploaded);
        ov->OV_EndBatch();
        s_real_draw = ovgl.DrawElements;
        ovgl.DrawElements = RecordingDrawElements;
        s_real_flush = ovgl.Flush;
        ovgl.Flush = CountingFlush;
        s_flushes = 0;
        s_draws = 0;
        s_draw_sizes.clear();
    }
    void TearDown() override
    {
        ovgl.DrawElements = s_real_draw;
        ovgl.Flush = s_real_flush;
        OVI_SetBitmapFileLoader(nullptr);
        GfxTest::TearDown();
    }
    ov_bitmap_t *a_ = nullptr, *b_ = nullptr;
};

}  // namespace

TEST_F(GlCounts, SixtyFiveQuadsOnOneTextureGiveTwoDraws)
{
    for (int i = 0; i < 65; i++)
        ov->OV_DrawBitmap(a_, (float)i, 0);
    EXPECT_EQ(s_draws, 1);  // the 64th append flushed
    ov->OV_EndBatch();
    EXPECT_EQ(s_draws, 2);
    EXPECT_EQ(s_draw_sizes, (std::vector<int>{64 * 6, 6}));
}

TEST_F(GlCounts, AlternatingTexturesFlushPerQuad)
{
    for (int i = 0; i < 10; i++)
        ov->OV_DrawBitmap(i % 2 ? b_ : a_, (float)i, 0);
    EXPECT_EQ(s_draws, 9);
    ov->OV_EndBatch();
    EXPECT_EQ(s_draws, 10);
}

TEST_F(GlCounts, SettingTheCurrentBlendModeAgainDoesNotFlush)
{
    ov->OV_SetBlend(0);
    ov->OV_DrawBitmap(a_, 0, 0);
    ov->OV_SetBlend(0);
    ov->OV_DrawBitmap(a_, 10, 0);
    EXPECT_EQ(s_draws, 0);
    ov->OV_SetBlend(1);  // a real change flushes the two pending quads
    EXPECT_EQ(s_draws, 1);
    EXPECT_EQ(s_draw_sizes.back(), 12);
}

TEST_F(GlCounts, BatchSlotsCollectUntilEndBatch)
{
    ov_vertex_t four[4] = {};
    ov->OV_BeginBatch(a_);
    for (int i = 0; i < 3; i++)
        ov->OV_BatchDrawQuad(a_, four);
    EXPECT_EQ(s_draws, 0);
    ov->OV_EndBatch();
    EXPECT_EQ(s_draws, 1);
    EXPECT_EQ(s_draw_sizes.back(), 18);
}

// Twice the signed area of a triangle given by three corner indices (0..3) of a quad.
float Winding(const float corners[4][2], int a, int b, int c)
{
    return (corners[b][0] - corners[a][0]) * (corners[c][1] - corners[a][1]) -
           (corners[c][0] - corners[a][0]) * (corners[b][1] - corners[a][1]);
}

TEST_F(GlCounts, BothTrianglesOfEveryQuadWindTheSameWay)
{
    // Quad corners in the batch's order: top-left, top-right, bottom-left, bottom-right.
    const float corners[4][2] = {{0, 0}, {10, 0}, {0, 10}, {10, 10}};
    const std::vector<int> expected = {0, 1, 2, 2, 1, 3};
    for (int q = 0; q < OV_BATCH_QUADS; q++) {
        std::vector<int> local;
        for (int k = 0; k < 6; k++)
            local.push_back(br.indices[q * 6 + k] - 4 * q);
        ASSERT_EQ(local, expected) << "quad " << q;
    }
    float first = Winding(corners, 0, 1, 2), second = Winding(corners, 2, 1, 3);
    EXPECT_GT(first * second, 0);
}

TEST_F(GlCounts, SoftwareRasteriserFlushesEvery8192QuadsWithinAFrame)
{
    ASSERT_TRUE(OV_IsSoftwareRasteriser((const char *)ovgl.GetString(GL_RENDERER)));
    EXPECT_EQ(br.flush_every, OV_SOFTWARE_FLUSH_QUADS);
    app.draw = [this](float) {
        for (int i = 0; i < 20000; i++)
            ov->OV_DrawBitmap(a_, (float)(i % 100), 0);
    };
    OVI_Frame(16);
    EXPECT_EQ(s_flushes, 2);  // after 8192 and 16384 quads; the rest goes with the swap
    s_flushes = 0;
    app.draw = [this](float) {
        for (int i = 0; i < 8000; i++)
            ov->OV_DrawBitmap(a_, (float)(i % 100), 0);
    };
    OVI_Frame(16);
    OVI_Frame(16);
    EXPECT_EQ(s_flushes, 0);  // the count starts again with each frame
}

TEST_F(GlCounts, NoMidFrameFlushOnOtherRenderers)
{
    br.flush_every = 0;  // what Initialize sets for a renderer that is not a software one
    app.draw = [this](float) {
        for (int i = 0; i < 20000; i++)
            ov->OV_DrawBitmap(a_, (float)(i % 100), 0);
    };
    OVI_Frame(16);
    EXPECT_EQ(s_flushes, 0);
}

TEST(SoftwareRasteriser, OnlyLlvmpipeCounts)
{
    struct Case {
        const char *renderer;
        bool software;
    };
    const Case cases[] = {{"llvmpipe (LLVM 15.0.6, 256 bits)", true},
                          {"Mesa llvmpipe", true},
                          {"softpipe", false},
                          {"Mali-G78", false},
                          {"PowerVR SGX 540", false},
                          {"AMD Radeon RX 6600 (navi23, LLVM 15.0.6, DRM 3.49)", false},
                          {"", false},
                          {nullptr, false}};
    for (const Case &c : cases)
        EXPECT_EQ(OV_IsSoftwareRasteriser(c.renderer), c.software) << (c.renderer ? c.renderer : "(null)");
}
