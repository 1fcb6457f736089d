// Pixels drawn by the real OpenGL ES renderer, read back from the headless pbuffer.
#include "tests/gfx/gfx_fixture.h"

#include "gfx/bitmap.h"
#include "gfx/rendimp-gles.h"
#include "gfx/transform.h"

#include <stdlib.h>
#include <string.h>

#include <vector>

using namespace gfxtest;

namespace {

// A 4 x 4 checker of opaque red and blue, alpha flag set.
bool CheckerLoader(ov_bitmap_t *b)
{
    if (strcmp(b->name, "checker4") != 0)
        return false;
    b->width = b->height = b->src_width = b->src_height = 4;
    b->pixels = (uint8_t *)malloc(4 * 4 * 4);
    for (int y = 0; y < 4; y++)
        for (int x = 0; x < 4; x++) {
            uint8_t *p = b->pixels + (y * 4 + x) * 4;
            bool red = ((x + y) & 1) == 0;
            p[0] = red ? 255 : 0;
            p[1] = 0;
            p[2] = red ? 0 : 255;
            p[3] = 255;
        }
    b->flags |= OV_BITMAP_ALPHA;
    return true;
}

// A 4 x 4 bitmap of one opaque colour: "solid-green" and "solid-blue".
bool SolidLoader(ov_bitmap_t *b)
{
    uint8_t rgb[3];
    if (strcmp(b->name, "solid-green") == 0)
        rgb[0] = 0, rgb[1] = 255, rgb[2] = 0;
    else if (strcmp(b->name, "solid-blue") == 0)
        rgb[0] = 0, rgb[1] = 0, rgb[2] = 255;
    else
        return false;
    b->width = b->height = b->src_width = b->src_height = 4;
    b->pixels = (uint8_t *)malloc(4 * 4 * 4);
    for (int i = 0; i < 16; i++) {
        memcpy(b->pixels + i * 4, rgb, 3);
        b->pixels[i * 4 + 3] = 255;
    }
    b->flags |= OV_BITMAP_ALPHA;
    return true;
}

// A square (x, y, side) as two indexed triangles in white at the screen plane, the whole
// texture across it.
struct Square {
    ov_vertex3d_t v[4];
    uint16_t indices[6] = {0, 1, 2, 1, 3, 2};
    Square(float x, float y, float side)
    {
        for (int i = 0; i < 4; i++) {
            v[i].x = x + (i & 1 ? side : 0);
            v[i].y = y + (i & 2 ? side : 0);
            v[i].z = 0.5f;
            memset(v[i].color, 255, 4);
            v[i].u = i & 1 ? 1.0f : 0.0f;
            v[i].v = i & 2 ? 1.0f : 0.0f;
        }
    }
};

const Rgba kRed = {255, 0, 0, 255};
const Rgba kGreen = {0, 255, 0, 255};
const Rgba kBlue = {0, 0, 255, 255};

class GlesPixels : public GfxTest {};

}  // namespace

TEST_F(GlesPixels, NullApplicationShowsPureGreen)
{
    app.wrong_version = true;
    Start();
    OVI_Frame(16);
    EXPECT_EQ(Pixel(0, 0), kGreen);
    EXPECT_EQ(Pixel(512, 300), kGreen);
    EXPECT_EQ(Pixel(1023, 599), kGreen);
}

TEST_F(GlesPixels, ClearColour)
{
    app.draw = [](float) { ov->OV_ClearScreen(0.0f, 0.0f, 1.0f); };
    Start();
    OVI_Frame(16);
    EXPECT_EQ(Pixel(3, 5), kBlue);
    EXPECT_EQ(Pixel(1000, 590), kBlue);
}

TEST_F(GlesPixels, SetColorRedReadsRed)
{
    app.draw = [](float) {
        ov->OV_ClearScreen(0, 0, 0);
        ov->OV_SetColor(1, 0, 0);
        ov->OV_DrawRect(10, 10, 20, 20);
    };
    Start();
    OVI_Frame(16);
    EXPECT_EQ(Pixel(15, 15), kRed);
    EXPECT_EQ(Pixel(35, 15), (Rgba{0, 0, 0, 255}));
}

TEST_F(GlesPixels, CheckerDrawnOneToOneWithPointFilteringIsExact)
{
    OVI_SetBitmapFileLoader(CheckerLoader);
    ov_bitmap_t *checker = nullptr;
    app.draw = [&](float) {
        ov->OV_ClearScreen(0, 0, 0);
        ov->OV_SetPixelFilter(0);
        ov->OV_DrawBitmap(checker, 100, 50);
    };
    Start();
    checker = ov->OV_LoadBitmap("checker4", OV_CACHE_GPU);
    ASSERT_NE(checker, nullptr);
    ASSERT_TRUE(checker->hw.uploaded);
    OVI_Frame(16);
    for (int y = 0; y < 4; y++)
        for (int x = 0; x < 4; x++)
            EXPECT_EQ(Pixel(100 + x, 50 + y), ((x + y) & 1) == 0 ? kRed : kBlue) << x << "," << y;
    EXPECT_EQ(Pixel(104, 50), (Rgba{0, 0, 0, 255}));
    EXPECT_EQ(Pixel(99, 50), (Rgba{0, 0, 0, 255}));
    OVI_SetBitmapFileLoader(nullptr);
}

// Destination grey 0.5, source colour (0.4, 0.6, 0.8) at alpha 0.5, each blend mode.
TEST_F(GlesPixels, BlendModeTable)
{
    int mode = 0;
    app.draw = [&](float) {
        ov->OV_ClearScreen(0.5f, 0.5f, 0.5f);
        ov->OV_SetBlend(mode);
        ov->OV_SetColor(0.4f, 0.6f, 0.8f);
        ov->OV_SetAlpha(0.5f);
        ov->OV_DrawRect(0, 0, 50, 50);
    };
    Start();
    struct Case {
        int mode;
        float r, g, b;
    } cases[] = {
        // src x a + dst x (1 - a)
        {0, 0.4f * 0.5f + 0.5f * 0.5f, 0.6f * 0.5f + 0.25f, 0.8f * 0.5f + 0.25f},
        // additive: src x a + dst
        {1, 0.2f + 0.5f, 0.3f + 0.5f, 0.4f + 0.5f},
        // opaque: the source colour
        {2, 0.4f, 0.6f, 0.8f},
        // src x dst + dst x (1 - a)
        {3, 0.4f * 0.5f + 0.25f, 0.6f * 0.5f + 0.25f, 0.8f * 0.5f + 0.25f},
        // src x dst + dst x a
        {4, 0.4f * 0.5f + 0.25f, 0.6f * 0.5f + 0.25f, 0.8f * 0.5f + 0.25f},
        // unknown values blend like mode 0
        {7, 0.45f, 0.55f, 0.65f},
    };
    for (const Case &c : cases) {
        mode = c.mode;
        OVI_Frame(16);
        Rgba p = Pixel(20, 20);
        EXPECT_NEAR(p[0], c.r * 255, 2.5) << "mode " << c.mode;
        EXPECT_NEAR(p[1], c.g * 255, 2.5) << "mode " << c.mode;
        EXPECT_NEAR(p[2], c.b * 255, 2.5) << "mode " << c.mode;
    }
}

TEST_F(GlesPixels, ScissorClipsAndFullProgramRectangleDisablesIt)
{
    bool full = false;
    app.draw = [&](float) {
        ov->OV_ClearScreen(0, 0, 0);
        ov->OV_SetScissorRect(100, 100, 50, 40);
        if (full)
            ov->OV_SetScissorRect(0, 0, ov_prog->parms.width, ov_prog->parms.height);
        ov->OV_SetColor(0, 1, 0);
        ov->OV_DrawRect(0, 0, 400, 400);
        ov->OV_DisableScissorRect();
    };
    Start();
    OVI_Frame(16);
    EXPECT_EQ(Pixel(120, 120), kGreen);
    EXPECT_EQ(Pixel(100, 100), kGreen);
    EXPECT_EQ(Pixel(149, 139), kGreen);
    EXPECT_EQ(Pixel(150, 120), (Rgba{0, 0, 0, 255}));
    EXPECT_EQ(Pixel(120, 140), (Rgba{0, 0, 0, 255}));
    EXPECT_EQ(Pixel(50, 50), (Rgba{0, 0, 0, 255}));
    full = true;
    OVI_Frame(16);
    EXPECT_EQ(Pixel(50, 50), kGreen);
    EXPECT_EQ(Pixel(390, 390), kGreen);
}

// A render target of a power-of-two size and one of another size (kept at its own size
// where the driver takes such textures: no memory spent on rounding up).
TEST_F(GlesPixels, RenderTargetIsDrawnBackUpright)
{
    ov_bitmap_t *target = nullptr;
    app.draw = [&](float) {
        ov->OV_ClearScreen(0, 0, 0);
        ASSERT_EQ(ov->OV_SetRenderTarget(target), 1);
        ov->OV_ClearScreen(0, 0, 1);
        ov->OV_SetColor(1, 0, 0);
        ov->OV_DrawRect(0, 0, 16, 8);  // the target's top-left corner
        ASSERT_EQ(ov->OV_SetRenderTarget(nullptr), 1);
        ov->OV_SetColor(1, 1, 1);
        ov->OV_SetPixelFilter(0);
        ov->OV_DrawBitmap(target, 200, 100);
    };
    Start();
    ASSERT_TRUE(gl_caps.npot);
    const struct {
        const char *name;
        int w, h;
    } sizes[] = {{"target", 32, 32}, {"target-npot", 40, 24}};
    for (const auto &size : sizes) {
        SCOPED_TRACE(size.name);
        target = ov->OV_CreateBitmap(size.name, size.w, size.h, 1);
        ASSERT_NE(target, nullptr);
        ASSERT_TRUE(target->hw.uploaded);
        EXPECT_EQ(target->hw.tex_width, size.w);
        EXPECT_EQ(target->hw.tex_height, size.h);
        OVI_Frame(16);
        EXPECT_EQ(Pixel(202, 102), kRed);
        EXPECT_EQ(Pixel(215, 107), kRed);
        EXPECT_EQ(Pixel(202, 100 + size.h - 2), kBlue);  // bottom-left of the target stays blue
        EXPECT_EQ(Pixel(200 + size.w - 2, 102), kBlue);
        EXPECT_EQ(Pixel(200 + size.w, 102), (Rgba{0, 0, 0, 255})) << "the target ends at its width";
        EXPECT_EQ(Pixel(202, 100 + size.h), (Rgba{0, 0, 0, 255})) << "and at its height";
        EXPECT_EQ(ov_state.transform_top, -1);
        ov->OV_ReleaseBitmap(target);
    }
}

TEST_F(GlesPixels, TranslatedRectangleLandsWhereExpected)
{
    app.draw = [](float) {
        ov->OV_ClearScreen(0, 0, 0);
        nTransform t = OVI_Translation(50, 60, 0);
        ov->OV_PushTransform(&t);
        nTransform s = OVI_Scaling(2, 2, 1);
        ov->OV_PushTransform(&s);  // scaled first, then translated
        ov->OV_SetColor(0, 0, 1);
        ov->OV_DrawRect(0, 0, 10, 10);
        ov->OV_PopTransform();
        ov->OV_PopTransform();
    };
    Start();
    OVI_Frame(16);
    EXPECT_EQ(Pixel(50, 60), kBlue);
    EXPECT_EQ(Pixel(69, 79), kBlue);
    EXPECT_EQ(Pixel(70, 79), (Rgba{0, 0, 0, 255}));
    EXPECT_EQ(Pixel(49, 60), (Rgba{0, 0, 0, 255}));
}

// Triangles, a batched rectangle, then triangles with a texture: each lands where its
// own vertices say (the rectangle's batch must not take the second triangles' indices).
TEST_F(GlesPixels, TrianglesAfterABatchedRectangleDrawTheirOwnVertices)
{
    OVI_SetBitmapFileLoader(SolidLoader);
    ov_bitmap_t *green = nullptr, *blue = nullptr;
    app.draw = [&](float) {
        ov->OV_ClearScreen(0, 0, 0);
        Square first(10, 10, 20), second(100, 10, 20), third(200, 10, 20);
        ov->OV_DrawTriangles(blue, first.v, 4, first.indices, 6);
        ov->OV_SetColor(1, 0, 0);
        ov->OV_DrawRect(50, 10, 20, 20);
        ov->OV_DrawTriangles(green, second.v, 4, second.indices, 6);
        ov->OV_DrawRect(150, 10, 20, 20);
        ov->OV_DrawTriangles(nullptr, third.v, 4, third.indices, 6);
    };
    Start();
    green = ov->OV_LoadBitmap("solid-green", OV_CACHE_GPU);
    blue = ov->OV_LoadBitmap("solid-blue", OV_CACHE_GPU);
    ASSERT_TRUE(green && green->hw.uploaded && blue && blue->hw.uploaded);
    OVI_Frame(16);
    const Rgba black = {0, 0, 0, 255}, white = {255, 255, 255, 255};
    struct Case {
        int x, y;
        Rgba expected;
    } cases[] = {
        {20, 20, kBlue}, {60, 20, kRed}, {110, 20, kGreen}, {160, 20, kRed}, {210, 20, white},
        {40, 20, black}, {90, 20, black}, {130, 20, black}, {20, 40, black},
    };
    for (const Case &c : cases)
        EXPECT_EQ(Pixel(c.x, c.y), c.expected) << c.x << "," << c.y;
    OVI_SetBitmapFileLoader(nullptr);
}

namespace {
// A 6 x 5 opaque bitmap of varied colours, no alpha flag (as a PNG without transparency).
bool OpaqueLoader(ov_bitmap_t *b)
{
    if (strcmp(b->name, "opaque-ramp") != 0)
        return false;
    b->width = b->src_width = 6;
    b->height = b->src_height = 5;
    b->pixels = (uint8_t *)malloc(6 * 5 * 4);
    for (int i = 0; i < 30; i++) {
        b->pixels[i * 4 + 0] = (uint8_t)(i * 37);
        b->pixels[i * 4 + 1] = (uint8_t)(255 - i * 8);
        b->pixels[i * 4 + 2] = (uint8_t)(i * 91);
        b->pixels[i * 4 + 3] = 255;
    }
    return true;
}

}  // namespace

// An opaque bitmap stretched over the screen with the normal blend (a menu's backdrop) is
// copied without blending: every pixel as the blend gives it (the same bitmap marked as
// having alpha takes the blend), and what is drawn after it still blends.
TEST_F(GlesPixels, OpaqueStretchedBitmapLooksAsBlendedAndLaterDrawsStillBlend)
{
    OVI_SetBitmapFileLoader(OpaqueLoader);
    ov_bitmap_t *ramp = nullptr;
    app.draw = [&](float) {
        ov->OV_ClearScreen(0.5f, 0.5f, 0.5f);
        ov->OV_SetBlend(0);
        ov->OV_SetColor(1, 1, 1);
        ov->OV_SetAlpha(1);
        DrawStretched(ramp, 3, 2, 154, 131, 255);  // filtered, a scale of 25.7 x 26.2
        DrawStretched(ramp, 200, 2, 40, 40, 128);  // translucent corners: blended
        ov->OV_SetColor(0, 0, 1);
        ov->OV_SetAlpha(0.5f);
        ov->OV_DrawRect(3, 140, 20, 20);           // half blue over grey
    };
    Start();
    ramp = ov->OV_LoadBitmap("opaque-ramp", OV_CACHE_GPU);
    ASSERT_TRUE(ramp && ramp->hw.uploaded);
    ASSERT_FALSE(ramp->flags & OV_BITMAP_ALPHA);
    OVI_Frame(16);
    std::vector<Rgba> copied;
    for (int y = 0; y < 136; y++)
        for (int x = 0; x < 160; x++)
            copied.push_back(Pixel(x, y));
    Rgba translucent = Pixel(220, 22), half_blue = Pixel(10, 150);

    ramp->flags |= OV_BITMAP_ALPHA;  // the same texels, now taken through the blend
    OVI_Frame(16);
    ramp->flags &= (uint16_t)~OV_BITMAP_ALPHA;
    int differing = 0;
    for (int y = 0; y < 136; y++)
        for (int x = 0; x < 160; x++)
            differing += copied[(size_t)(y * 160 + x)] != Pixel(x, y);
    EXPECT_EQ(differing, 0);
    EXPECT_EQ(Pixel(220, 22), translucent);
    EXPECT_NE(copied[(size_t)(20 * 160 + 80)], (Rgba{128, 128, 128, 255})) << "the bitmap was drawn";
    // The translucent quad mixes with the grey: half way between it and the texel.
    EXPECT_NE(translucent, Pixel(80, 20));
    EXPECT_NEAR(half_blue[0], 64, 2);
    EXPECT_NEAR(half_blue[2], 191, 2);
    OVI_SetBitmapFileLoader(nullptr);
}

namespace {

// 32 x 32 texels of scattered grey levels and alphas: "grey" is grey throughout,
// "grey-but-one" has one tinted texel in its last row and column, where the drawing
// below never samples.
bool GreyLoader(ov_bitmap_t *b)
{
    const bool tinted = strcmp(b->name, "grey-but-one") == 0;
    if (!tinted && strcmp(b->name, "grey") != 0)
        return false;
    b->width = b->height = b->src_width = b->src_height = 32;
    b->pixels = (uint8_t *)malloc(32 * 32 * 4);
    unsigned r = 977;
    for (int i = 0; i < 32 * 32; i++) {
        r = r * 1103515245u + 12345u;
        uint8_t *p = b->pixels + i * 4;
        p[0] = p[1] = p[2] = (uint8_t)(r >> 16);
        p[3] = (uint8_t)(r >> 24);
    }
    if (tinted)
        b->pixels[(32 * 32 - 1) * 4 + 1] ^= 1;
    b->flags |= OV_BITMAP_ALPHA;
    return true;
}

std::vector<GLint> s_upload_formats;
void (*s_real_tex_image)(GLenum, GLint, GLint, GLsizei, GLsizei, GLint, GLenum, GLenum, const void *) = nullptr;
void RecordingTexImage2D(GLenum t, GLint l, GLint i, GLsizei w, GLsizei h, GLint b, GLenum f, GLenum ty, const void *p)
{
    s_upload_formats.push_back(i);
    s_real_tex_image(t, l, i, w, h, b, f, ty, p);
}

}  // namespace

// A texture whose texels are all grey is kept as luminance and alpha (half the driver's
// memory) and draws exactly as the same texels kept in full colour do: stretched and
// turned with filtering, under tinted translucent corners, in every blend mode (the copy
// mode replaces the colour with the texel's).
TEST_F(GlesPixels, GreyTexelsKeptAsLuminanceAndAlphaDrawTheSamePixels)
{
    OVI_SetBitmapFileLoader(GreyLoader);
    Start();
    s_real_tex_image = ovgl.TexImage2D;
    ovgl.TexImage2D = RecordingTexImage2D;
    s_upload_formats.clear();
    ov_bitmap_t *grey = ov->OV_LoadBitmap("grey", OV_CACHE_GPU);
    ov_bitmap_t *tinted = ov->OV_LoadBitmap("grey-but-one", OV_CACHE_GPU);
    ovgl.TexImage2D = s_real_tex_image;
    ASSERT_TRUE(grey && grey->hw.uploaded && tinted && tinted->hw.uploaded);
    EXPECT_EQ(s_upload_formats, (std::vector<GLint>{GL_LUMINANCE_ALPHA, GL_RGBA}));

    ov_bitmap_t *drawn = grey;
    app.draw = [&](float) {
        ov->OV_ClearScreen(0.2f, 0.5f, 0.7f);
        ov->OV_SetPixelFilter(1);
        for (int mode = 0; mode <= 4; mode++) {
            ov->OV_SetBlend(mode);
            // A quad turned by about 20 degrees, 4.6 x 3.1 texels a texel, texels 0..28 on
            // each axis (the bilinear footprint stays off the last three).
            const float ox = 20.0f + mode * 200.0f, oy = 60.0f;
            const float ax = 120.0f, ay = 44.0f, bx = -30.0f, by = 84.0f;
            ov_vertex_t v[4];
            for (int i = 0; i < 4; i++) {
                v[i].x = ox + (i & 1 ? ax : 0) + (i & 2 ? bx : 0);
                v[i].y = oy + (i & 1 ? ay : 0) + (i & 2 ? by : 0);
                v[i].z = ov->OV_GetDepthDefault();
                v[i].u = i & 1 ? 28.0f / 32.0f : 0.0f;
                v[i].v = i & 2 ? 28.0f / 32.0f : 0.0f;
                v[i].color[0] = (uint8_t)(255 - i * 40);
                v[i].color[1] = (uint8_t)(90 + i * 50);
                v[i].color[2] = (uint8_t)(200 - i * 30);
                v[i].color[3] = (uint8_t)(255 - i * 45);
            }
            ov->OV_DrawBitmap4V(drawn, v);
        }
        ov->OV_SetBlend(0);
    };
    OVI_Frame(16);
    std::vector<Rgba> from_grey;
    for (int y = 40; y < 200; y++)
        for (int x = 0; x < 1000; x++)
            from_grey.push_back(Pixel(x, y));
    drawn = tinted;
    OVI_Frame(16);
    int differing = 0, background = 0;
    for (int y = 40; y < 200; y++)
        for (int x = 0; x < 1000; x++) {
            const Rgba p = Pixel(x, y);
            differing += p != from_grey[(size_t)((y - 40) * 1000 + x)];
            background += p == Pixel(0, 599);
        }
    EXPECT_EQ(differing, 0);
    EXPECT_LT(background, 1000 * 160 * 3 / 4) << "the quads were drawn";
    OVI_SetBitmapFileLoader(nullptr);
}
