// Redrawing only what changed, on the real OpenGL ES renderer over the headless pbuffer:
// frame after frame of a scene whose parts move, vanish, change colour, filter and
// clip, every pixel read back must equal the same frame drawn whole, while the frames
// after the first are drawn in part (a small share of the screen) or not at all.
#include "tests/gfx/gfx_fixture.h"

#include "gfx/bitmap.h"
#include "gfx/redraw.h"
#include "gfx/rendimp-gles.h"

#include <stdlib.h>
#include <string.h>

#include <functional>
#include <vector>

using namespace gfxtest;

namespace {

// An opaque 8 x 8 bitmap of varied colours.
bool PatternLoader(ov_bitmap_t *b)
{
    if (strcmp(b->name, "pattern") != 0)
        return false;
    b->width = b->src_width = 8;
    b->height = b->src_height = 8;
    b->pixels = (uint8_t *)malloc(8 * 8 * 4);
    for (int i = 0; i < 64; i++) {
        b->pixels[i * 4 + 0] = (uint8_t)(i * 37);
        b->pixels[i * 4 + 1] = (uint8_t)(255 - i * 11);
        b->pixels[i * 4 + 2] = (uint8_t)(i * 91);
        b->pixels[i * 4 + 3] = (uint8_t)(i % 5 == 0 ? 128 : 255);
    }
    return true;
}

// What changes from frame to frame.
struct State {
    float square_x = 100;  // a translucent square that moves
    bool sprite = true;    // a turned, scaled sprite that may vanish
    float tint = 1;        // the green of a static bar (its colour may change)
    int filter = 1;        // the sprite's pixel filter (the backdrop keeps its own)
    bool clipped = false;  // a scissored strip drawn or not
    float angle = 0.3f;
    int end_blend = 0;     // the blend function the frame ends with (1: adding)
};

class Redraw : public GfxTest {
protected:
    void SetUp() override
    {
        GfxTest::SetUp();
        OVI_SetBitmapFileLoader(PatternLoader);
        app.draw = [this](float) { Draw(); };
        Start();
        pattern = ov->OV_LoadBitmap("pattern", OV_CACHE_GPU);
        ASSERT_TRUE(pattern && pattern->hw.uploaded);
    }
    void TearDown() override
    {
        OV_RedrawSetEnabled(true);
        OVI_SetBitmapFileLoader(nullptr);
        GfxTest::TearDown();
    }
    void Draw()
    {
        ov->OV_ClearScreen(0.2f, 0.3f, 0.4f);
        // Drawn in the blend function the frame before ended with.
        ov->OV_SetColor(0.5f, 0.25f, 0);
        ov->OV_SetAlpha(0.5f);
        ov->OV_DrawRect(s.square_x + 200, 20, 30, 30);
        ov_rendimp->Flush();
        ovgl.BlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        ov->OV_SetColor(1, 1, 1);
        ov->OV_SetAlpha(1);
        ov->OV_SetPixelFilter(1);
        DrawStretched(pattern, 0, 60, 1024, 540, 255);
        ov->OV_SetColor(1, s.tint, 0.5f);
        ov->OV_DrawRect(40, 40, 300, 20);
        if (s.sprite) {
            // The same texture as the backdrop's: its filter changes within the frame.
            ov->OV_SetColor(1, 1, 1);
            ov->OV_SetPixelFilter(s.filter);
            ov->OV_DrawBitmapRS(pattern, 700, 400, s.angle, 9.0f);
            ov->OV_SetPixelFilter(1);
        }
        ov->OV_SetColor(1, 0, 0);
        ov->OV_SetAlpha(0.5f);
        ov->OV_DrawRect(s.square_x, 300, 24, 24);
        ov->OV_SetAlpha(1);
        if (s.clipped) {
            ov->OV_SetScissorRect(500, 100, 60, 40);
            ov->OV_SetColor(0, 0, 1);
            ov->OV_DrawRect(480, 80, 200, 200);
            ov->OV_DisableScissorRect();
        }
        // The last call of the frame leaves a blend function for the next frame's first
        // rectangle (the renderer's own blend mode stays the normal one).
        ov->OV_SetBlend(0);
        ov_rendimp->Flush();
        ovgl.BlendFunc(GL_SRC_ALPHA, s.end_blend ? GL_ONE : GL_ONE_MINUS_SRC_ALPHA);
    }
    std::vector<uint8_t> Frame()
    {
        OVI_Frame(16);
        std::vector<uint8_t> px((size_t)ov_device_info.width * ov_device_info.height * 4);
        ovgl.ReadPixels(0, 0, ov_device_info.width, ov_device_info.height, GL_RGBA, GL_UNSIGNED_BYTE, px.data());
        return px;
    }
    // Frames of the states, each read back, after three frames of the first (the
    // backdrop's screen-sized copy is made on the second).
    std::vector<std::vector<uint8_t>> Play(const std::vector<State> &states)
    {
        s = states[0];
        for (int i = 0; i < 3; i++)
            OVI_Frame(16);
        std::vector<std::vector<uint8_t>> out;
        for (const State &state : states) {
            s = state;
            out.push_back(Frame());
        }
        return out;
    }
    static int Differing(const std::vector<uint8_t> &a, const std::vector<uint8_t> &b)
    {
        int n = 0;
        for (size_t i = 0; i + 3 < a.size() && i + 3 < b.size(); i += 4)
            n += memcmp(&a[i], &b[i], 3) != 0;
        return n + (a.size() != b.size() ? 1 : 0);
    }
    ov_bitmap_t *pattern = nullptr;
    State s;
};


std::vector<State> Animation()
{
    std::vector<State> v;
    State st;
    for (int i = 0; i < 12; i++) {
        st.square_x = 100.0f + 9.5f * (float)i;
        st.angle = 0.3f + 0.05f * (float)i;
        st.sprite = i < 4 || i > 6;
        st.tint = i == 8 ? 0.25f : 1.0f;
        st.filter = i == 5 || i == 6 ? 0 : 1;
        st.clipped = i >= 3 && i <= 9;
        st.end_blend = i % 3 == 1 && i < 10 ? 1 : 0;
        v.push_back(st);
        if (i == 10)
            v.push_back(st);  // a frame like the one before: nothing to draw
    }
    return v;
}

}  // namespace

// Every frame equals the frame drawn whole; all are drawn in part, on a small share of
// the screen, and a frame like the one before draws nothing.
TEST_F(Redraw, EveryFrameDrawnWhereItChangedEqualsTheFrameDrawnWhole)
{
    const std::vector<State> states = Animation();
    OV_RedrawSetEnabled(false);
    const std::vector<std::vector<uint8_t>> whole = Play(states);
    OV_RedrawSetEnabled(true);
    s = states[0];
    for (int i = 0; i < 3; i++)
        OVI_Frame(16);
    OV_RedrawResetStats();
    long most = 0;
    std::vector<std::vector<uint8_t>> part;
    for (const State &state : states) {
        s = state;
        part.push_back(Frame());
        ov_redraw_stats_t st = OV_RedrawStats();
        {
            EXPECT_STREQ(st.last_whole, "") << "frame " << part.size() - 1;
            most = st.last_area > most ? st.last_area : most;
        }
    }
    for (size_t i = 0; i < states.size(); i++)
        EXPECT_EQ(Differing(part[i], whole[i]), 0) << "frame " << i;
    ov_redraw_stats_t st = OV_RedrawStats();
    EXPECT_EQ(st.frames_recorded, (int)states.size());
    EXPECT_EQ(st.frames_partial, (int)states.size());
    EXPECT_EQ(st.frames_unchanged, 2);  // the first (as the frames before it) and the repeated one
    EXPECT_LT(most, 1024L * 600 / 5);
    EXPECT_GT(most, 0);
}

// A frame that reads its pixels part-way, or uploads a texture, is drawn whole from there
// on and still looks right; the frame after it is drawn whole (the back buffer is no
// longer a recorded frame) and the one after that in part again.
TEST_F(Redraw, AFrameThatReadsOrUploadsIsDrawnWholeAndTheNextOnesInPartAgain)
{
    std::vector<State> states = Animation();
    states.resize(6);
    OV_RedrawSetEnabled(false);
    const std::vector<std::vector<uint8_t>> whole = Play(states);
    OV_RedrawSetEnabled(true);
    Play({states[0], states[1]});
    struct Case {
        const char *name;
        std::function<void()> midway;
    } cases[] = {
        {"pixels read",
         [] {
             uint8_t px[4];
             ovgl.ReadPixels(0, 0, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, px);
         }},
        {"a texture uploaded",
         [] {
             // As an upload does: a texture made, filled and bound; the renderer is
             // told its selection is gone.
             GLuint t = 0;
             const uint8_t texel[4] = {1, 2, 3, 4};
             ovgl.GenTextures(1, &t);
             ovgl.BindTexture(GL_TEXTURE_2D, t);
             ovgl.TexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, texel);
             ovgl.DeleteTextures(1, &t);
             br.texture_valid = false;
         }},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        s = states[2];
        app.draw = [this, &c](float) {
            Draw();
            c.midway();
            ov->OV_SetColor(1, 1, 1);
        };
        std::vector<uint8_t> px = Frame();
        EXPECT_EQ(Differing(px, whole[2]), 0);
        EXPECT_STREQ(OV_RedrawStats().last_whole, c.name);
        app.draw = [this](float) { Draw(); };
        s = states[3];
        EXPECT_EQ(Differing(Frame(), whole[3]), 0);
        EXPECT_STRNE(OV_RedrawStats().last_whole, "");
        s = states[4];
        EXPECT_EQ(Differing(Frame(), whole[4]), 0);
        EXPECT_STREQ(OV_RedrawStats().last_whole, "");
    }
}

// A frame that does not paint the whole surface (no clear, nothing opaque over all of it)
// depends on what was there and is drawn whole, as before.
TEST_F(Redraw, AFrameThatDoesNotPaintEverythingIsDrawnWhole)
{
    app.draw = [](float) {
        ov->OV_SetBlend(0);
        ov->OV_SetColor(1, 0, 0);
        ov->OV_SetAlpha(0.25f);
        ov->OV_DrawRect(10, 10, 50, 50);
    };
    std::vector<uint8_t> a = Frame(), b = Frame();
    EXPECT_STREQ(OV_RedrawStats().last_whole, "the frame does not paint the whole surface");
    // The translucent square builds up frame on frame, as drawn whole it does.
    size_t at = ((size_t)(600 - 30) * 1024 + 30) * 4;
    EXPECT_GT(b[at], a[at]);
}

// A screen that changes all over every frame (a battle's moving ground) is drawn whole;
// after a few such frames the recorder stops recording for a while, longer each time it
// finds the same again, and every frame still shows what it drew.
TEST_F(Redraw, WhereEverythingChangesTheRecorderRestsLongerAndLonger)
{
    int frame = 0;
    app.draw = [&frame](float) {
        ov->OV_ClearScreen(0, 0, 0);
        ov->OV_SetBlend(0);
        ov->OV_SetColor((float)(frame % 7) / 7.0f, 0.5f, 0.25f);
        ov->OV_SetAlpha(1);
        ov->OV_DrawRect(0, 0, 1024, 600);
    };
    OV_RedrawResetStats();
    std::vector<int> recorded;
    for (frame = 0; frame < 400; frame++) {
        std::vector<uint8_t> px = Frame();
        ASSERT_NEAR(px[0], (frame % 7) * 255 / 7, 1) << "frame " << frame;
        recorded.push_back(OV_RedrawStats().frames_recorded);
    }
    EXPECT_EQ(OV_RedrawStats().frames_partial, 0);
    // Five recorded (the first with no frame before it, then four changed all over), a
    // rest of 60, five more, a rest of 120, five more, a rest of 240.
    EXPECT_EQ(recorded[4], 5);
    EXPECT_EQ(recorded[64], 5);
    EXPECT_EQ(recorded[69], 10);
    EXPECT_EQ(recorded[189], 10);
    EXPECT_EQ(recorded[194], 15);
    EXPECT_EQ(recorded[399], 15);
}

// A part that appears early in the frame changes only its own rectangle: what is drawn
// after it is the same although its vertices now sit elsewhere in the recorded frame.
TEST_F(Redraw, APartAddedEarlyLeavesTheLaterDrawsUnchanged)
{
    bool shown = false;
    app.draw = [&shown](float) {
        ov->OV_ClearScreen(0, 0, 0);
        ov->OV_SetBlend(0);
        ov->OV_SetAlpha(1);
        ov->OV_SetColor(1, 1, 0);
        if (shown)
            ov->OV_DrawRect(900, 500, 20, 20);
        ov->OV_SetBlend(1);
        ov->OV_SetColor(0, 0.5f, 1);
        ov->OV_DrawRect(50, 50, 600, 400);
        ov->OV_SetBlend(0);
    };
    Frame();
    Frame();
    shown = true;
    std::vector<uint8_t> px = Frame();
    ov_redraw_stats_t st = OV_RedrawStats();
    EXPECT_STREQ(st.last_whole, "");
    EXPECT_GT(st.last_area, 0);
    EXPECT_LT(st.last_area, 64L * 64);
    size_t at = ((size_t)(600 - 510) * 1024 + 910) * 4;
    EXPECT_EQ(px[at], 255);
    EXPECT_EQ(px[at + 1], 255);
}

// Hundreds of small changes scattered over part of the screen (units moving on a still
// map): each frame is drawn in part, over a few rectangles that hold every change, and
// looks as drawn whole. The lattices below give 150 changes (joined pair by pair) and 270
// (too many for that: marked on a coarser grid first).
TEST_F(Redraw, HundredsOfScatteredChangesAreJoinedIntoAFewRectangles)
{
    struct Case {
        int columns, rows, spacing;
        long most_area;  // the pixels the joined rectangles may hold at most
    };
    const Case cases[] = {
        {15, 10, 40, 600L * 400},  // 150 squares over 600 x 400
        {18, 15, 32, 576L * 480},  // 270 squares over 576 x 480
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.columns * c.rows << " squares");
        int frame = 0;
        app.draw = [&frame, &c](float) {
            ov->OV_ClearScreen(0.1f, 0.2f, 0.1f);
            ov->OV_SetBlend(0);
            ov->OV_SetAlpha(1);
            for (int i = 0; i < c.columns * c.rows; i++) {
                const int col = i % c.columns, row = i / c.columns;
                ov->OV_SetColor((float)(col % 4) / 4.0f, (float)(row % 3) / 3.0f, 1);
                // Each square steps within its own 16-pixel cell, and is a draw of its
                // own (as sprites of different pictures are).
                ov->OV_DrawRect((float)(col * c.spacing + 8 + (frame + i) % 4), (float)(row * c.spacing + 4), 3, 3);
                ov_rendimp->Flush();
            }
        };
        const int frames = 6;
        OV_RedrawSetEnabled(false);
        std::vector<std::vector<uint8_t>> whole;
        for (frame = 0; frame < frames; frame++)
            whole.push_back(Frame());
        OV_RedrawSetEnabled(true);
        for (frame = 0; frame < 3; frame++)
            Frame();
        OV_RedrawResetStats();
        for (frame = 0; frame < frames; frame++) {
            std::vector<uint8_t> px = Frame();
            ov_redraw_stats_t st = OV_RedrawStats();
            EXPECT_STREQ(st.last_whole, "") << "frame " << frame;
            EXPECT_LE(st.last_rects, 8) << "frame " << frame;
            EXPECT_GT(st.last_area, 0) << "frame " << frame;
            EXPECT_LE(st.last_area, c.most_area) << "frame " << frame;
            EXPECT_EQ(Differing(px, whole[frame]), 0) << "frame " << frame;
        }
        EXPECT_EQ(OV_RedrawStats().frames_partial, frames);
    }
}
