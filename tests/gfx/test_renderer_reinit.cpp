// The renderer through a display change and before it is ready, as an application
// reaches it: OV_ReInit between frames keeps bitmaps and text drawing the same pixels,
// and drawing or render-state calls made before initialisation do nothing.
#include "tests/gfx/gfx_fixture.h"
#include "tests/gfx/test_font_util.h"

#include "gfx/bitmap.h"

#include <stdlib.h>
#include <string.h>

using namespace gfxtest;
using namespace fonttest;

namespace {

// A 4 x 4 checker of opaque red and blue.
bool CheckerLoader(ov_bitmap_t *b)
{
    if (strcmp(b->name, "checker4") != 0)
        return false;
    b->width = b->height = b->src_width = b->src_height = 4;
    b->pixels = (uint8_t *)malloc(4 * 4 * 4);
    for (int i = 0; i < 16; i++) {
        bool red = ((i % 4 + i / 4) & 1) == 0;
        uint8_t *p = b->pixels + i * 4;
        p[0] = red ? 255 : 0;
        p[1] = 0;
        p[2] = red ? 0 : 255;
        p[3] = 255;
    }
    b->flags |= OV_BITMAP_ALPHA;
    return true;
}

// 'A' a 4 x 6 block in green, so a lost texture shows as white.
void WriteFont()
{
    MakeDirs("app/native/fonts/");
    ov_font_t f;
    InitFont(&f, "blocks");
    f.height = 8;
    f.line_height = 10;
    f.top_offset = 8;
    const uint8_t green[4] = {0, 255, 0, 255};
    SetGlyph(&f, 'A', 6, 4, 6, 2, green);
    OV_SaveFont(&f, "res://fonts/blocks.mft");
    FreeFont(&f);
}

class RendererReInit : public GfxTest {
protected:
    void TearDown() override
    {
        OVI_SetBitmapFileLoader(nullptr);
        GfxTest::TearDown();
    }
    // Device pixels of the area the test draws into.
    std::vector<Rgba> Area()
    {
        std::vector<Rgba> out;
        for (int y = 45; y < 70; y++)
            for (int x = 95; x < 130; x++)
                out.push_back(Pixel(x, y));
        return out;
    }
};

}  // namespace

// Every drawing and render-state call of the table, made from the pre-initialisation
// event (the renderer is loaded but has no context yet): nothing happens, nothing
// crashes, and the first frame draws normally.
TEST_F(RendererReInit, DrawingBeforeTheRendererIsReadyDoesNothing)
{
    bool called = false;
    app.event = [&](ov_event_t ev) {
        if (ev.type != OV_EVENT_PREINIT)
            return 0;
        called = true;
        EXPECT_EQ(ov_state.renderer_ready, 0);
        ov_vertex_t four[4] = {};
        uint16_t indices[3] = {0, 1, 2};
        ov->OV_ClearScreen(1, 0, 0);
        ov->OV_SetBlend(1);
        ov->OV_SetPixelFilter(1);
        ov->OV_ClearDepth(1);
        ov->OV_SetDepthRange(0.5f, 2, 100);
        ov->OV_SetRenderStateb(OV_RS_DEPTH_TEST, true);
        ov->OV_SetRenderStatei(OV_RS_CULL_MODE, 1);
        EXPECT_EQ(ov->OV_SetScissorRect(0, 0, 10, 10), 0);
        ov->OV_DisableScissorRect();
        ov->OV_SetColor(1, 0, 0);
        ov->OV_DrawRect(0, 0, 10, 10);
        ov->OV_DrawLine(0, 0, 10, 10);
        ov->OV_DrawBitmap4V(nullptr, four);
        ov->OV_BeginBatch(nullptr);
        ov->OV_BatchDrawQuad(nullptr, four);
        ov->OV_EndBatch();
        ov->OV_DrawTriangles(nullptr, four, 3, indices, 3);
        return 0;
    };
    app.draw = [](float) {
        ov->OV_ClearScreen(0, 0, 0);
        ov->OV_SetColor(0, 1, 0);
        ov->OV_DrawRect(10, 10, 20, 20);
    };
    Start();
    ASSERT_TRUE(called);
    // The depth range given early is kept and reaches the renderer at initialisation.
    EXPECT_FLOAT_EQ(ov_state.depth_near, 0.5f);
    EXPECT_FLOAT_EQ(ov_state.depth_far, 100);
    ov->OV_SetDepthRange(0.1f, 0.5f, 200);
    OVI_Frame(16);
    EXPECT_EQ(Pixel(20, 20), (Rgba{0, 255, 0, 255}));
    EXPECT_EQ(Pixel(40, 20), (Rgba{0, 0, 0, 255}));
}

TEST_F(RendererReInit, BitmapsAndTextDrawTheSamePixelsAfterADisplayChange)
{
    OVI_SetBitmapFileLoader(CheckerLoader);
    ov_bitmap_t *checker = nullptr;
    ov_font_t *font = nullptr;
    app.draw = [&](float) {
        ov->OV_ClearScreen(0, 0, 0);
        ov->OV_SetPixelFilter(0);
        ov->OV_SetColor(1, 1, 1);
        ov->OV_SetAlpha(1);
        ov->OV_DrawBitmap(checker, 100, 50);
        ov->OV_DrawTextf(font, 110, 50, "A");
    };
    PreInit();
    ov_prog->parms.no_sound = 1;
    Start();
    WriteFont();
    checker = ov->OV_LoadBitmap("checker4", OV_CACHE_GPU);
    font = ov->OV_LoadFont("fonts/blocks.mft");
    ASSERT_NE(checker, nullptr);
    ASSERT_NE(font, nullptr);
    OVI_Frame(16);
    ASSERT_EQ(Pixel(100, 50), (Rgba{255, 0, 0, 255}));
    ASSERT_EQ(Pixel(101, 50), (Rgba{0, 0, 255, 255}));
    ASSERT_EQ(Pixel(110, 52), (Rgba{0, 255, 0, 255}));
    std::vector<Rgba> before = Area();

    // The application asks for another display mode; it is applied at the frame's end.
    ov_prog->parms.windowed = !ov_prog->parms.windowed;
    ASSERT_EQ(ov->OV_ReInit(), 1);
    OVI_Frame(16);
    ASSERT_TRUE(Logged("Applying ReInit"));
    OVI_Frame(16);
    EXPECT_EQ(Area(), before);
    EXPECT_EQ(Pixel(101, 50), (Rgba{0, 0, 255, 255}));
    EXPECT_EQ(Pixel(110, 52), (Rgba{0, 255, 0, 255}));
    EXPECT_EQ(ov_state.renderer_ready, 1);
}
