// Draw calls counted through a recording GL function table wrapped around the driver.
#include "tests/gfx/gfx_fixture.h"

#include "core/ov_state.h"
#include "gfx/bitmap.h"
#include "gfx/gl-table.h"
#include "gfx/rendimp-gles.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <malloc.h>
#include <math.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <map>
#include <string>

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
int s_finishes = 0;
void (*s_real_finish)(void) = nullptr;
void CountingFinish(void)
{
    s_finishes++;
    s_real_finish();
}
std::vector<int> s_draw_sizes;
void (*s_real_draw)(GLenum, GLsizei, GLenum, const void *) = nullptr;

// Every other state call a texture switch could make, counted by name.
std::map<std::string, int> s_calls;
void (*s_real_bind)(GLenum, GLuint) = nullptr;
void (*s_real_tex_parameter)(GLenum, GLenum, GLint) = nullptr;
void (*s_real_enable)(GLenum) = nullptr;
void (*s_real_disable)(GLenum) = nullptr;
void (*s_real_enable_client)(GLenum) = nullptr;
void (*s_real_vertex_pointer)(GLint, GLenum, GLsizei, const void *) = nullptr;
void (*s_real_color_pointer)(GLint, GLenum, GLsizei, const void *) = nullptr;
void (*s_real_tex_coord_pointer)(GLint, GLenum, GLsizei, const void *) = nullptr;
void (*s_real_tex_env)(GLenum, GLenum, GLint) = nullptr;
void CountBind(GLenum t, GLuint n)
{
    s_calls["BindTexture"]++;
    s_real_bind(t, n);
}
void CountTexParameter(GLenum t, GLenum p, GLint v)
{
    s_calls["TexParameteri"]++;
    s_real_tex_parameter(t, p, v);
}
void CountEnable(GLenum c)
{
    s_calls["Enable"]++;
    s_real_enable(c);
}
void CountDisable(GLenum c)
{
    s_calls["Disable"]++;
    s_real_disable(c);
}
void CountEnableClient(GLenum a)
{
    s_calls["EnableClientState"]++;
    s_real_enable_client(a);
}
void CountVertexPointer(GLint n, GLenum t, GLsizei s, const void *p)
{
    s_calls["VertexPointer"]++;
    s_real_vertex_pointer(n, t, s, p);
}
void CountColorPointer(GLint n, GLenum t, GLsizei s, const void *p)
{
    s_calls["ColorPointer"]++;
    s_real_color_pointer(n, t, s, p);
}
void CountTexCoordPointer(GLint n, GLenum t, GLsizei s, const void *p)
{
    s_calls["TexCoordPointer"]++;
    s_real_tex_coord_pointer(n, t, s, p);
}
void CountTexEnv(GLenum t, GLenum p, GLint v)
{
    s_calls["TexEnvi"]++;
    s_real_tex_env(t, p, v);
}

template <typename F>
void Wrap(F &entry, F &saved, F counting)
{
    saved = entry;
    entry = counting;
}

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
        s_real_finish = ovgl.Finish;
        ovgl.Finish = CountingFinish;
        saved_ = ovgl;
        Wrap(ovgl.BindTexture, s_real_bind, CountBind);
        Wrap(ovgl.TexParameteri, s_real_tex_parameter, CountTexParameter);
        Wrap(ovgl.Enable, s_real_enable, CountEnable);
        Wrap(ovgl.Disable, s_real_disable, CountDisable);
        Wrap(ovgl.EnableClientState, s_real_enable_client, CountEnableClient);
        Wrap(ovgl.VertexPointer, s_real_vertex_pointer, CountVertexPointer);
        Wrap(ovgl.ColorPointer, s_real_color_pointer, CountColorPointer);
        Wrap(ovgl.TexCoordPointer, s_real_tex_coord_pointer, CountTexCoordPointer);
        Wrap(ovgl.TexEnvi, s_real_tex_env, CountTexEnv);
        s_calls.clear();
        s_flushes = 0;
        s_finishes = 0;
        s_draws = 0;
        s_draw_sizes.clear();
    }
    void TearDown() override
    {
        ovgl = saved_;
        ovgl.DrawElements = s_real_draw;
        ovgl.Flush = s_real_flush;
        ovgl.Finish = s_real_finish;
        OVI_SetBitmapFileLoader(nullptr);
        GfxTest::TearDown();
    }
    ov_bitmap_t *a_ = nullptr, *b_ = nullptr;
    ov_gl_table_t saved_;  // the table with the draw and flush wrappers only
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

TEST_F(GlCounts, ATextureSwitchCostsOneBindAndOneDrawAndNothingElse)
{
    // Both textures have taken the current filter once; from then on a switch between
    // them re-sends no filter, no array pointers and no enables.
    ov->OV_SetPixelFilter(0);
    ov->OV_DrawBitmap(a_, 0, 0);
    ov->OV_DrawBitmap(b_, 0, 0);
    ov->OV_EndBatch();
    s_calls.clear();
    s_draws = 0;
    for (int i = 0; i < 100; i++)
        ov->OV_DrawBitmap(i % 2 ? b_ : a_, (float)i, 0);
    ov->OV_EndBatch();
    EXPECT_EQ(s_draws, 100);
    EXPECT_EQ(s_calls, (std::map<std::string, int>{{"BindTexture", 100}}));
}

TEST_F(GlCounts, ChangingTheFilterSetsItOncePerTexture)
{
    ov->OV_SetPixelFilter(0);
    for (int i = 0; i < 10; i++)
        ov->OV_DrawBitmap(i % 2 ? b_ : a_, (float)i, 0);
    EXPECT_EQ(s_calls["TexParameteri"], 4);  // minification and magnification, once each texture
    ov->OV_SetPixelFilter(1);
    for (int i = 0; i < 10; i++)
        ov->OV_DrawBitmap(i % 2 ? b_ : a_, (float)i, 0);
    EXPECT_EQ(s_calls["TexParameteri"], 8);
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

namespace {

// An 8 x 8 opaque bitmap without the alpha flag (its own texture, as a PNG without
// transparency is kept).
bool OpaqueLoader(ov_bitmap_t *b)
{
    b->width = b->height = b->src_width = b->src_height = 8;
    b->pixels = (uint8_t *)malloc(8 * 8 * 4);
    memset(b->pixels, 200, 8 * 8 * 4);
    for (int i = 0; i < 64; i++)
        b->pixels[i * 4 + 3] = 255;
    return true;
}

// A fully white upright quad of w x h at (x, y), in the engine's corner order.
void DrawWhiteQuad(ov_bitmap_t *b, float x, float y, float w, float h)
{
    ov_vertex_t v[4];
    for (int i = 0; i < 4; i++) {
        v[i].x = x + (i & 1 ? w : 0);
        v[i].y = y + (i & 2 ? h : 0);
        v[i].z = ov->OV_GetDepthDefault();
        memset(v[i].color, 255, 4);
        v[i].u = (float)(i & 1);
        v[i].v = (float)(i >> 1);
    }
    ov->OV_DrawBitmap4V(b, v);
}

}  // namespace

// Small fully lit opaque quads (a waving flag's cells) keep the normal blend and stay in
// one batch: switching to the copy and back would end the batch twice per quad. A large
// one (a backdrop) is still copied, with the blend switched off around it.
TEST_F(GlCounts, SmallOpaqueQuadsKeepTheBlendAndTheBatchLargeOnesAreCopied)
{
    OVI_SetBitmapFileLoader(OpaqueLoader);
    ov_bitmap_t *opaque = ov->OV_LoadBitmap("opaque", OV_CACHE_GPU);
    ASSERT_TRUE(opaque && opaque->hw.uploaded);
    ASSERT_FALSE(opaque->flags & OV_BITMAP_ALPHA);
    ov->OV_SetBlend(0);
    ov->OV_EndBatch();
    s_calls.clear();
    s_draws = 0;
    s_draw_sizes.clear();
    for (int i = 0; i < 20; i++)
        DrawWhiteQuad(opaque, (float)(i * 30), 10, 21, 43);   // a flag band's size
    DrawWhiteQuad(opaque, 0, 100, 127, 128);                  // just under the copy's area
    EXPECT_EQ(s_draws, 0);
    ov->OV_EndBatch();
    EXPECT_EQ(s_draw_sizes, (std::vector<int>{21 * 6}));
    EXPECT_EQ(s_calls["Disable"], 0);
    EXPECT_EQ(s_calls["TexEnvi"], 0);

    s_calls.clear();
    s_draw_sizes.clear();
    DrawWhiteQuad(opaque, 0, 0, 300, 200);
    DrawWhiteQuad(opaque, 0, 300, 20, 20);
    ov->OV_EndBatch();
    EXPECT_EQ(s_draw_sizes, (std::vector<int>{6, 6}));   // the copy, then the small one blended
    EXPECT_EQ(s_calls["Disable"], 1);                    // the blend, around the copy only
    EXPECT_EQ(s_calls["Enable"], 1);
    EXPECT_EQ(ov_state.blend_mode, 0);
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

TEST_F(GlCounts, SoftwareRasteriserFlushesEvery128TextureSwitchesWithinAFrame)
{
    EXPECT_EQ(br.flush_switches, OV_SOFTWARE_FLUSH_SWITCHES);
    app.draw = [this](float) {
        for (int i = 0; i < 1000; i++)
            ov->OV_DrawBitmap(i % 2 ? b_ : a_, (float)(i % 100), 0);
    };
    OVI_Frame(16);
    // 1000 switches (the frame's first draw switches from whatever the last frame left
    // selected): a flush after each 128 of them, the rest goes with the swap.
    EXPECT_EQ(s_flushes, 1000 / OV_SOFTWARE_FLUSH_SWITCHES);
    s_flushes = 0;
    app.draw = [this](float) {
        for (int i = 0; i < 100; i++)
            ov->OV_DrawBitmap(i % 2 ? b_ : a_, (float)(i % 100), 0);
    };
    OVI_Frame(16);
    OVI_Frame(16);
    EXPECT_EQ(s_flushes, 0);  // the count starts again with each frame
}

TEST_F(GlCounts, SwitchesBetweenLargeQuadsWaitForTheQueueToDrain)
{
    ASSERT_EQ(br.finish_fill_switches, OV_SOFTWARE_FINISH_FILL_SWITCHES);
    // 5000 alternating switches a frame are handed over every 128; when the quads between
    // them cover at least the fill area each, every 2048 of them end in a wait instead.
    const int switches = 5000;
    const int handovers = switches / OV_SOFTWARE_FLUSH_SWITCHES;
    const int waits = handovers / (OV_SOFTWARE_FINISH_FILL_SWITCHES / OV_SOFTWARE_FLUSH_SWITCHES);
    struct Case {
        float side;
        bool rotated;  // the same square turned by 45 degrees covers the same area
        int finishes;
    };
    const float at_limit = sqrtf((float)OV_SOFTWARE_FILL_AREA);
    const Case cases[] = {
        {8, false, 0},
        {at_limit - 1, false, 0},
        {at_limit, false, waits},
        {32, false, waits},
        {32, true, waits},
    };
    for (const Case &c : cases) {
        ov_vertex_t four[4] = {};
        const float h = c.side * 0.70710678f;  // half the diagonal of the rotated square
        const float corners[4][2] = {{0, 0}, {c.side, 0}, {0, c.side}, {c.side, c.side}};
        const float rotated[4][2] = {{h, 0}, {2 * h, h}, {0, h}, {h, 2 * h}};
        for (int k = 0; k < 4; k++) {
            four[k].x = c.rotated ? rotated[k][0] : corners[k][0];
            four[k].y = c.rotated ? rotated[k][1] : corners[k][1];
        }
        app.draw = [&](float) {
            for (int i = 0; i < switches; i++) {
                ov->OV_BeginBatch(i % 2 ? b_ : a_);
                ov->OV_BatchDrawQuad(nullptr, four);
            }
        };
        OVI_Frame(16);
        s_flushes = 0;
        s_finishes = 0;
        OVI_Frame(16);
        EXPECT_EQ(s_finishes, c.finishes) << "side " << c.side << (c.rotated ? " rotated" : "");
        EXPECT_EQ(s_flushes + s_finishes, handovers) << "side " << c.side << (c.rotated ? " rotated" : "");
    }
}

// Two 32x32 half-transparent bitmaps of different colours.
bool TintedLoader(ov_bitmap_t *b)
{
    const int s = 32;
    const bool second = b->name && strchr(b->name, 'd');
    b->width = b->height = b->src_width = b->src_height = s;
    b->pixels = (uint8_t *)malloc(s * s * 4);
    for (int i = 0; i < s * s; i++) {
        uint8_t *p = b->pixels + i * 4;
        p[0] = second ? 40 : 220;
        p[1] = (uint8_t)(i % 251);
        p[2] = second ? 200 : 30;
        p[3] = (uint8_t)(64 + i % 128);
    }
    b->flags |= 1;
    return true;
}

TEST_F(GlCounts, WaitingForTheQueueLeavesThePixelsAsTheyWere)
{
    OVI_SetBitmapFileLoader(TintedLoader);
    ov_bitmap_t *c = ov->OV_LoadBitmap("c", OV_CACHE_GPU);
    ov_bitmap_t *d = ov->OV_LoadBitmap("d", OV_CACHE_GPU);
    ASSERT_TRUE(c && c->hw.uploaded && d && d->hw.uploaded);
    // 5000 overlapping, blended sprites switching texture each time: the waits fall in
    // the middle of the frame.
    app.draw = [&](float) {
        ov->OV_ClearScreen(0, 0, 0);
        unsigned r = 12345;
        for (int i = 0; i < 5000; i++) {
            r = r * 1103515245u + 12345u;
            ov->OV_DrawBitmap(i % 2 ? d : c, (float)((r >> 8) % 990), (float)((r >> 20) % 570));
        }
    };
    const int w = 1024, h = 600;
    std::vector<uint8_t> with_waits(w * h * 4), without(w * h * 4);
    OVI_Frame(16);
    EXPECT_GT(s_finishes, 0);
    ovgl.ReadPixels(0, 0, w, h, GL_RGBA, GL_UNSIGNED_BYTE, with_waits.data());
    br.finish_fill_switches = 0;
    s_finishes = 0;
    OVI_Frame(16);
    EXPECT_EQ(s_finishes, 0);
    ovgl.ReadPixels(0, 0, w, h, GL_RGBA, GL_UNSIGNED_BYTE, without.data());
    br.finish_fill_switches = OV_SOFTWARE_FINISH_FILL_SWITCHES;
    EXPECT_TRUE(with_waits == without);
    EXPECT_NE(Pixel(500, 300), (Rgba{0, 0, 0, 255}));  // something was drawn
}

TEST_F(GlCounts, NoMidFrameFlushOnOtherRenderers)
{
    // What Initialize sets for a renderer that is not a software one.
    br.flush_every = 0;
    br.flush_switches = 0;
    br.finish_fill_switches = 0;
    app.draw = [this](float) {
        for (int i = 0; i < 20000; i++)
            ov->OV_DrawBitmap(i % 3 ? a_ : b_, (float)(i % 100), 0);
    };
    OVI_Frame(16);
    EXPECT_EQ(s_flushes, 0);
    EXPECT_EQ(s_finishes, 0);
}

#if defined(__GLIBC__) && !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
TEST_F(GlCounts, AfterAWaitForTheRasteriserFreedHeapStaysWithTheProcess)
{
    // A frame of switches between large quads makes the renderer wait.
    ov_vertex_t four[4] = {};
    four[1].x = four[3].x = four[2].y = four[3].y = 32;
    app.draw = [&](float) {
        for (int i = 0; i < 2 * OV_SOFTWARE_FINISH_FILL_SWITCHES; i++) {
            ov->OV_BeginBatch(i % 2 ? b_ : a_);
            ov->OV_BatchDrawQuad(nullptr, four);
        }
    };
    OVI_Frame(16);
    ASSERT_GT(s_finishes, 0);
    EXPECT_TRUE(br.heap_kept);
    // 96 MB in the rasteriser's 64 KB blocks (more than the C library's own dynamic
    // threshold can reach), freed at once as a drained queue is: the heap keeps them for
    // the next frame instead of handing them back.
    const size_t block = 64 * 1024, blocks = 1536;
    std::vector<void *> held;
    for (size_t i = 0; i < blocks; i++) {
        held.push_back(malloc(block));
        *(volatile char *)held.back() = 1;
    }
    const size_t allocated = mallinfo2().arena;
    for (size_t i = blocks; i-- > 0;)
        free(held[i]);
    EXPECT_GE(mallinfo2().arena, allocated);
}
#endif

#if defined(__GLIBC__) && !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
// A headless swap shows nothing and waits for nothing, so without a bound a software
// rasteriser queues frame after frame behind the program, each holding copies of its
// drawing state (tens of megabytes within ten frames of this one). Each swap waits for
// its own frame: over forty frames the heap in use stays where it was.
TEST_F(GlCounts, FramesQueuedBehindAHeadlessSwapStayBounded)
{
    ov_vertex_t four[4] = {};
    four[1].x = four[3].x = four[2].y = four[3].y = 200;
    app.draw = [&](float) {
        for (int i = 0; i < 120; i++) {
            ov->OV_BeginBatch(i % 2 ? b_ : a_);
            ov->OV_BatchDrawQuad(nullptr, four);
        }
    };
    OVI_Frame(16);
    ovgl.Finish();
    const size_t idle = mallinfo2().uordblks;
    size_t most = idle;
    for (int f = 0; f < 40; f++) {
        OVI_Frame(16);
        most = std::max(most, (size_t)mallinfo2().uordblks);
    }
    ovgl.Finish();
    EXPECT_LT(most - idle, (size_t)16 << 20) << "bytes queued at most";
}
#endif

// When a headless frame's swap returns, the frame is drawn: nothing of it waits in the
// rasteriser while the program makes the next one. (Letting the frame before overlap
// the next one kept two frames' drawing state, 20 MB more at the peak of a battle.)
TEST_F(GlCounts, AHeadlessFrameIsDrawnWhenItsSwapReturns)
{
    auto create_sync = reinterpret_cast<PFNEGLCREATESYNCKHRPROC>(eglGetProcAddress("eglCreateSyncKHR"));
    auto client_wait_sync = reinterpret_cast<PFNEGLCLIENTWAITSYNCKHRPROC>(eglGetProcAddress("eglClientWaitSyncKHR"));
    auto destroy_sync = reinterpret_cast<PFNEGLDESTROYSYNCKHRPROC>(eglGetProcAddress("eglDestroySyncKHR"));
    ASSERT_TRUE(create_sync && client_wait_sync && destroy_sync);
    OVI_SetBitmapFileLoader(TintedLoader);
    ov_bitmap_t *c = ov->OV_LoadBitmap("c", OV_CACHE_GPU);
    ASSERT_TRUE(c && c->hw.uploaded);
    // Two thousand blended sprites scaled to 128 x 128: far slower to rasterise than
    // to submit.
    app.draw = [&](float) {
        for (int i = 0; i < 2000; i++)
            ov->OV_DrawBitmapRS(c, (float)(i * 37 % 900), (float)(i * 23 % 480), 0, 4);
    };
    const EGLDisplay display = eglGetCurrentDisplay();
    for (int f = 0; f < 5; f++) {
        OVI_Frame(16);
        // A fence now stands behind everything queued so far; a wait of no time without
        // flushing tells whether that is all done.
        EGLSyncKHR fence = create_sync(display, EGL_SYNC_FENCE_KHR, nullptr);
        ASSERT_NE(fence, EGL_NO_SYNC_KHR);
        EXPECT_EQ(client_wait_sync(display, fence, 0, 0), EGL_CONDITION_SATISFIED_KHR) << "frame " << f;
        destroy_sync(display, fence);
    }
    EXPECT_NE(Pixel(500, 300), (Rgba{0, 0, 0, 255}));  // something was drawn
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
