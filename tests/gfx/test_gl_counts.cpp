// Draw calls counted through a recording GL function table wrapped around the driver.
#include "tests/gfx/gfx_fixture.h"

#include "gfx/bitmap.h"
#include "gfx/gl-table.h"

#include <stdlib.h>
#include <string.h>

using namespace gfxtest;

namespace {

int s_draws = 0;
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
        s_draws = 0;
        s_draw_sizes.clear();
    }
    void TearDown() override
    {
        ovgl.DrawElements = s_real_draw;
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
