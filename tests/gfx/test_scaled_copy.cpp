// A stretched opaque backdrop drawn from its picture kept at the screen's size: read back
// from the real OpenGL ES renderer on the headless pbuffer, every frame must equal the
// same scene drawn without the kept picture, and the picture must follow every change.
#include "tests/gfx/gfx_fixture.h"

#include "gfx/bitmap.h"
#include "gfx/rendimp-gles.h"
#include "gfx/rendimp.h"

#include <stdlib.h>
#include <string.h>

#include <functional>
#include <vector>

using namespace gfxtest;

namespace {

// Opaque 6 x 5 bitmaps of varied colours, no alpha flag (as a PNG without transparency):
// "ramp-a" and "ramp-b" differ in every texel.
bool RampLoader(ov_bitmap_t *b)
{
    const bool a = strcmp(b->name, "ramp-a") == 0;
    if (!a && strcmp(b->name, "ramp-b") != 0)
        return false;
    b->width = b->src_width = 6;
    b->height = b->src_height = 5;
    b->pixels = (uint8_t *)malloc(6 * 5 * 4);
    for (int i = 0; i < 30; i++) {
        b->pixels[i * 4 + 0] = (uint8_t)(a ? i * 37 : 255 - i * 7);
        b->pixels[i * 4 + 1] = (uint8_t)(a ? 255 - i * 8 : i * 29);
        b->pixels[i * 4 + 2] = (uint8_t)(a ? i * 91 : 128 + i * 3);
        b->pixels[i * 4 + 3] = 255;
    }
    return true;
}

// The scene: a backdrop stretched over (x, y, w, h) with white corners, under a small
// half-transparent square that moves (as the menu's embers do).
struct Scene {
    ov_bitmap_t *backdrop = nullptr;
    float x = 0, y = 0, w = 1024, h = 600;
    int filter = 1;
    uint8_t alpha = 255;  // of the backdrop's corners
    bool hidden = false;
    float square_x = 100;

    void Draw()
    {
        ov->OV_ClearScreen(0.5f, 0.5f, 0.5f);
        ov->OV_SetBlend(0);
        ov->OV_SetColor(1, 1, 1);
        ov->OV_SetAlpha(1);
        ov->OV_SetPixelFilter(filter);
        if (!hidden)
            DrawStretched(backdrop, x, y, w, h, alpha);
        ov->OV_SetPixelFilter(1);
        ov->OV_SetColor(1, 0, 0);
        ov->OV_SetAlpha(0.5f);
        ov->OV_DrawRect(square_x, 300, 16, 16);
        ov->OV_SetAlpha(1);
    }
};

class ScaledCopy : public GfxTest {
protected:
    void StartScene()
    {
        OVI_SetBitmapFileLoader(RampLoader);
        app.draw = [this](float) { scene.Draw(); };
        Start();
        scene.backdrop = ov->OV_LoadBitmap("ramp-a", OV_CACHE_GPU);
        ASSERT_TRUE(scene.backdrop && scene.backdrop->hw.uploaded);
        ASSERT_FALSE(scene.backdrop->flags & OV_BITMAP_ALPHA);
    }
    void TearDown() override
    {
        OVI_SetBitmapFileLoader(nullptr);
        GfxTest::TearDown();
    }
    // One frame; the whole screen read back.
    std::vector<uint8_t> Frame()
    {
        OVI_Frame(16);
        std::vector<uint8_t> px((size_t)ov_device_info.width * ov_device_info.height * 4);
        ovgl.ReadPixels(0, 0, ov_device_info.width, ov_device_info.height, GL_RGBA, GL_UNSIGNED_BYTE, px.data());
        return px;
    }
    // The same scene drawn the plain way: the backdrop marked as having alpha takes the
    // normal blend, which is never copied (its texels are opaque: the same pixels).
    std::vector<uint8_t> Uncopied()
    {
        scene.backdrop->flags |= OV_BITMAP_ALPHA;
        std::vector<uint8_t> px = Frame();
        scene.backdrop->flags &= (uint16_t)~OV_BITMAP_ALPHA;
        return px;
    }
    static int Differing(const std::vector<uint8_t> &a, const std::vector<uint8_t> &b)
    {
        int n = 0;
        for (size_t i = 0; i + 3 < a.size() && i + 3 < b.size(); i += 4)
            n += memcmp(&a[i], &b[i], 3) != 0;
        return n + (a.size() != b.size() ? 1 : 0);
    }
    Scene scene;
};

}  // namespace

// Frame after frame, with the square moving over it, the backdrop looks as drawn the
// plain way; and from the second frame on it comes from the kept picture: texels the
// program writes into the bitmap's texture behind the renderer's back do not show, while
// the plain way shows them.
TEST_F(ScaledCopy, KeptBackdropLooksTheSameAsDrawnAndIsReallyKept)
{
    StartScene();
    std::vector<uint8_t> last;
    for (int frame = 0; frame < 4; frame++) {
        scene.square_x = 100.0f + 7.0f * (float)frame;
        std::vector<uint8_t> shown = Frame();
        EXPECT_EQ(Differing(shown, Uncopied()), 0) << "frame " << frame;
        last = shown;
    }
    EXPECT_NE(last[(size_t)(300 * 1024 + 512) * 4], 128) << "the backdrop was drawn";

    // Black texels straight into GL, unknown to the renderer.
    std::vector<uint8_t> black((size_t)scene.backdrop->hw.tex_width * scene.backdrop->hw.tex_height * 4, 0);
    for (size_t i = 3; i < black.size(); i += 4)
        black[i] = 255;
    ovgl.BindTexture(GL_TEXTURE_2D, scene.backdrop->hw.texture);
    ovgl.TexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, scene.backdrop->hw.tex_width, scene.backdrop->hw.tex_height, 0, GL_RGBA,
                    GL_UNSIGNED_BYTE, black.data());
    br.texture_valid = false;
    EXPECT_EQ(Differing(Frame(), last), 0) << "the kept picture is drawn";
    EXPECT_GT(Differing(Uncopied(), last), 500000) << "the plain way shows the black texels";
}

// Each change the picture depends on shows at once: the first frame after it and the
// ones that follow all equal the scene drawn the plain way.
TEST_F(ScaledCopy, EveryChangeShowsAtOnce)
{
    StartScene();
    struct Change {
        const char *what;
        std::function<void(Scene &)> apply;
    };
    const Change changes[] = {
        {"smaller", [](Scene &s) { s.h = 599; }},
        {"moved", [](Scene &s) { s.x = -3; s.w = 1030; }},
        {"nearest filter", [](Scene &s) { s.filter = 0; }},
        {"another bitmap in place of a released one",
         [](Scene &s) {
             ov->OV_ReleaseBitmap(s.backdrop);
             s.backdrop = ov->OV_LoadBitmap("ramp-b", OV_CACHE_GPU);
         }},
        {"the same bitmap loaded again with other texels",
         [](Scene &s) {
             s.backdrop->pixels = (uint8_t *)malloc(6 * 5 * 4);
             for (int i = 0; i < 30; i++) {
                 s.backdrop->pixels[i * 4 + 0] = (uint8_t)(i * 8);
                 s.backdrop->pixels[i * 4 + 1] = 40;
                 s.backdrop->pixels[i * 4 + 2] = (uint8_t)(250 - i * 8);
                 s.backdrop->pixels[i * 4 + 3] = 255;
             }
             ov_rendimp->LoadBitmap(s.backdrop);
             free(s.backdrop->pixels);
             s.backdrop->pixels = nullptr;
         }},
        {"back to full size", [](Scene &s) { s.x = 0, s.y = 0, s.w = 1024, s.h = 600; }},
    };
    for (int frame = 0; frame < 3; frame++)
        Frame();  // the kept picture is in use
    std::vector<uint8_t> before = Frame();
    for (const Change &c : changes) {
        c.apply(scene);
        ASSERT_TRUE(scene.backdrop && scene.backdrop->hw.uploaded) << c.what;
        std::vector<uint8_t> first = Frame();
        EXPECT_EQ(Differing(first, Uncopied()), 0) << c.what << ", first frame";
        EXPECT_GT(Differing(first, before), 0) << c.what << " changed the picture";
        for (int frame = 0; frame < 3; frame++)
            EXPECT_EQ(Differing(Frame(), Uncopied()), 0) << c.what << ", frame " << frame;
        before = first;
    }
    // Gone for a few frames (the kept picture is given back meanwhile), then back.
    scene.hidden = true;
    for (int frame = 0; frame < 5; frame++)
        Frame();
    scene.hidden = false;
    for (int frame = 0; frame < 3; frame++)
        EXPECT_EQ(Differing(Frame(), Uncopied()), 0) << "back, frame " << frame;
}

// A backdrop fading in (translucent corners), drawn over only part of the screen or
// under the screen-switch fade looks as drawn the plain way on every frame.
TEST_F(ScaledCopy, FadingSmallOrCoveredBackdropsLookAsDrawn)
{
    StartScene();
    bool fade = false;
    app.draw = [&](float) {
        scene.Draw();
        if (fade) {
            ov->OV_SetColor(0, 0, 0);
            ov->OV_SetAlpha(0.25f);
            ov->OV_DrawRect(0, 0, 1024, 600);
            ov->OV_SetAlpha(1);
        }
    };
    struct Case {
        const char *what;
        float w, h;
        uint8_t alpha;
        bool fade;
    };
    const Case cases[] = {
        {"translucent", 1024, 600, 128, false},
        {"a third of the screen", 400, 500, 255, false},
        {"under the fade", 1024, 600, 255, true},
    };
    for (const Case &c : cases) {
        scene.w = c.w;
        scene.h = c.h;
        scene.alpha = c.alpha;
        fade = c.fade;
        for (int frame = 0; frame < 3; frame++)
            EXPECT_EQ(Differing(Frame(), Uncopied()), 0) << c.what << ", frame " << frame;
    }
}
