// Waving flags: the quads a flag draws (recorded through the engine's four-vertex slot),
// the phase, ids, failures, the script functions, and a flag read back from the
// headless renderer.
#include "tests/support/headless_engine.h"
#include "tests/app/ui/ui_fixture.h"
#include "tests/app/ui/widget_fixture.h"

#include "app/services/luaman.h"
#include "game/screens/flags.h"
#include "ovrecords.h"

#include <lua.hpp>

#include <math.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#ifndef ORVEX_CONTENT_DIR
#error "ORVEX_CONTENT_DIR: the build's program directory"
#endif

using uitest::UITest;

namespace {

std::vector<std::array<ov_vertex_t, 4>> quads;
std::vector<std::string> popups;

void RecordQuad(ov_bitmap_t *, ov_vertex_t *v)
{
    quads.push_back({v[0], v[1], v[2], v[3]});
}

int RecordPopup(int level, const char *fmt, ...)
{
    char text[1024];
    va_list ap;
    va_start(ap, fmt);
    vsnprintf(text, sizeof text, fmt, ap);
    va_end(ap);
    popups.push_back(std::to_string(level) + " " + text);
    return 1;
}

bool Popped(const std::string &text)
{
    for (const std::string &p : popups)
        if (p == text)
            return true;
    return false;
}

class Flags : public UITest {
protected:
    void SetUp() override
    {
        UITest::SetUp();
        quads.clear();
        popups.clear();
    }
    void TearDown() override
    {
        flagmaster.ReleaseAll();
        UITest::TearDown();
    }
    // The engine up (w x h), the flag functions registered, a 48 x 24 cloth: red top
    // half, blue bottom half.
    void StartFlags(int w = 320, int h = 240)
    {
        StartUI(w, h, w, h);
        flagmaster.initialised = false;
        flagmaster.Init();
        widgettest::WritePng("cloth.png", 48, 24, [](int, int y) {
            return y < 12 ? widgettest::Rgba{255, 0, 0, 255} : widgettest::Rgba{0, 0, 255, 255};
        });
        ov->OV_Popupf = RecordPopup;
    }
    void RecordQuads() { ov->OV_DrawBitmap4V = RecordQuad; }
};

// The drawing rule written out in double precision for one rest vertex.
struct Expected {
    double x, y;
    int grey, alpha;
};
Expected Formula(double rx, double ry, double u, double v, double phase, double X, double Y, double s, double a,
                 double wave_x, double wave_y, double ripple_x, double ripple_y)
{
    const double pi = 3.14159265358979323846;
    double A = v * cos(30 * u + 2 * pi * phase), B = v * sin(20 * u + 2 * pi * phase);
    double x1 = rx + A * ripple_x, y1 = ry + B * ripple_y;
    double g1 = fmin(1, fmax(0, 0.5 * A + 1)), g2 = fmin(1, fmax(0, 0.5 * B + 1));
    double W = 0.5 * v * (sin(pi * phase + 5) + 1);
    return {X + s * (x1 + W * wave_x + wave_x * v), Y + s * (y1 + W * wave_y), (int)((0.3 * g2 + 0.4 + 0.3 * g1) * 255),
            (int)(255 * a)};
}

}  // namespace

TEST_F(Flags, ResolutionTwentyFourDrawsSixBandsOfTwentyFourQuadsWithAStillTopEdge)
{
    StartFlags();
    int id = flagmaster.LoadFlag("cloth.png", 24);
    ASSERT_GE(id, 0);
    EXPECT_TRUE(apptest::Logged("loaded flag cloth.png"));
    FlagMesh flag;
    ASSERT_TRUE(flagmaster.GetFlag(id, &flag));
    EXPECT_EQ(flag.grid_w, 25);
    EXPECT_EQ(flag.grid_h, 25);
    EXPECT_FLOAT_EQ(flag.speed, 0.25f);
    EXPECT_FLOAT_EQ(flag.wave_x, 20.0f);
    EXPECT_FLOAT_EQ(flag.ripple_x, 8.0f);
    EXPECT_FLOAT_EQ(flag.ripple_y, 5.0f);
    // The last rest vertex sits at the bitmap's far corner.
    EXPECT_FLOAT_EQ(flag.vertices[24 * 25 + 24].x, 48.0f);
    EXPECT_FLOAT_EQ(flag.vertices[24 * 25 + 24].y, 24.0f);
    EXPECT_EQ(FlagBandRows(24), 4);

    flagmaster.Update(1.3f);   // phase 0.325: the cloth is displaced
    RecordQuads();
    EXPECT_TRUE(flagmaster.DrawFlag(id, 10.0f, 20.0f, 2.0f, 0.5f));
    ASSERT_EQ(quads.size(), 6u * 24u);
    // The top band's upper corners: unmoved (only placed and scaled) and at grey 255.
    for (int c = 0; c < 24; c++) {
        const auto &q = quads[c];
        for (int k = 0; k < 2; k++) {
            EXPECT_NEAR(q[k].x, 10.0f + 2.0f * (float)(c + k) * 2.0f, 1e-4f);
            EXPECT_NEAR(q[k].y, 20.0f, 1e-4f);
            EXPECT_EQ(q[k].color[0], 255);
            EXPECT_EQ(q[k].color[2], 255);
            EXPECT_EQ(q[k].color[3], 127);
        }
    }
    // Band 2 (grid rows 8 to 12), column 5: corners in the order top left, top right,
    // bottom left, bottom right, each the grid vertex by the formula.
    const auto &q = quads[2 * 24 + 5];
    const int corner[4][2] = {{8, 5}, {8, 6}, {12, 5}, {12, 6}};
    for (int k = 0; k < 4; k++) {
        double u = corner[k][1] / 24.0, v = corner[k][0] / 24.0;
        Expected e = Formula(u * 48, v * 24, u, v, 0.325, 10, 20, 2, 0.5, 20, 0, 8, 5);
        EXPECT_NEAR(q[k].x, e.x, 1e-3) << k;
        EXPECT_NEAR(q[k].y, e.y, 1e-3) << k;
        EXPECT_NEAR(q[k].color[1], e.grey, 1) << k;
        EXPECT_EQ(q[k].color[3], e.alpha) << k;
        EXPECT_FLOAT_EQ(q[k].z, ov->OV_GetDepthDefault());
        EXPECT_FLOAT_EQ(q[k].u, (float)u);
        EXPECT_FLOAT_EQ(q[k].v, (float)v);
    }
    // The bottom band ends on the last grid row.
    EXPECT_NEAR(quads.back()[3].y, Formula(48, 24, 1, 1, 0.325, 10, 20, 2, 0.5, 20, 0, 8, 5).y, 1e-3);
    // Drawing never changes the rest mesh.
    FlagMesh after;
    ASSERT_TRUE(flagmaster.GetFlag(id, &after));
    EXPECT_FLOAT_EQ(after.vertices[10 * 25 + 5].x, 5.0f / 24.0f * 48.0f);
}

// Band heights: every row up to 16 columns (the victory flag), four rows of the
// banner's 24, whole columns at the largest resolution; a band the grid does not divide
// evenly ends on the last row.
TEST_F(Flags, BandsGrowWithTheColumnsAndTheLastEndsOnTheLastRow)
{
    const int cases[][2] = {{1, 1}, {4, 1}, {16, 1}, {24, 4}, {25, 4}, {36, 9}, {100, 69}, {256, 256}};
    for (const auto &c : cases)
        EXPECT_EQ(FlagBandRows(c[0]), c[1]) << c[0];
    StartFlags();
    int id = flagmaster.LoadFlag("cloth.png", 25);
    ASSERT_GE(id, 0);
    flagmaster.Update(0.7f);
    RecordQuads();
    flagmaster.DrawFlag(id, 0.0f, 0.0f, 1.0f, 1.0f);
    ASSERT_EQ(quads.size(), 7u * 25u);   // rows 0, 4, ..., 24, 25
    FlagMesh flag;
    ASSERT_TRUE(flagmaster.GetFlag(id, &flag));
    EXPECT_FLOAT_EQ(quads[6 * 25][0].v, 24.0f / 25.0f);
    EXPECT_FLOAT_EQ(quads[6 * 25][2].v, 1.0f);
}

TEST_F(Flags, PhaseWrapsOnceAfterEightSeconds)
{
    StartFlags();
    int id = flagmaster.LoadFlag("cloth.png", 4);
    FlagMesh flag;
    for (int i = 0; i < 79; i++)
        flagmaster.Update(0.1f);
    ASSERT_TRUE(flagmaster.GetFlag(id, &flag));
    EXPECT_NEAR(flag.phase, 1.975f, 1e-3f);
    for (int i = 0; i < 2; i++)
        flagmaster.Update(0.1f);   // 8.1 s: past 2.0 once
    ASSERT_TRUE(flagmaster.GetFlag(id, &flag));
    EXPECT_NEAR(flag.phase, 0.025f, 1e-3f);

    // Frame by frame over 8 s the cloth is back where it started (phase 0, or 2 when
    // the sum stops on the boundary).
    int other = flagmaster.LoadFlag("cloth.png", 4);
    for (int i = 0; i < 480; i++)
        flagmaster.Update(1.0f / 60.0f);
    ASSERT_TRUE(flagmaster.GetFlag(other, &flag));
    EXPECT_NEAR(fmod(flag.phase + 1.0, 2.0) - 1.0, 0.0, 1e-3);
}

TEST_F(Flags, IdsCountUpAndReleasingTheFirstLeavesTheSecond)
{
    StartFlags();
    int a = flagmaster.LoadFlag("cloth.png", 24);
    int b = flagmaster.LoadFlag("cloth.png", 24);
    ASSERT_GE(a, 0);
    EXPECT_EQ(b, a + 1);
    EXPECT_EQ(flagmaster.ReleaseFlag(a), 1);
    EXPECT_TRUE(apptest::Logged("releasing flag cloth.png"));
    EXPECT_EQ(flagmaster.Count(), 1);
    RecordQuads();
    EXPECT_TRUE(flagmaster.DrawFlag(a, 0, 0, 1, 1));   // no such flag: nothing, success
    EXPECT_EQ(quads.size(), 0u);
    EXPECT_TRUE(flagmaster.DrawFlag(b, 0, 0, 1, 1));
    EXPECT_EQ(quads.size(), 6u * 24u);
    // Ids are never reused.
    EXPECT_EQ(flagmaster.LoadFlag("cloth.png", 2), b + 1);
    EXPECT_EQ(flagmaster.ReleaseFlag(a), 1);
    EXPECT_FALSE(flagmaster.DrawFlag(-1, 0, 0, 1, 1));
    EXPECT_EQ(flagmaster.ReleaseFlag(-1), 0);
}

TEST_F(Flags, FailuresGiveMinusOneAndAPopup)
{
    StartFlags();
    struct Case {
        const char *bitmap;
        int resolution;
        const char *popup;
    } cases[] = {
        {"missing.png", 24, "0 Cant' load flag bitmap: missing.png"},
        {"cloth.png", 0, "0 Bad flag resolution 0 for 'cloth.png'"},
        {"cloth.png", -5, "0 Bad flag resolution -5 for 'cloth.png'"},
        {"cloth.png", 257, "0 Bad flag resolution 257 for 'cloth.png'"},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(flagmaster.LoadFlag(c.bitmap, c.resolution), -1) << c.popup;
        EXPECT_TRUE(Popped(c.popup)) << c.popup;
    }
    EXPECT_EQ(flagmaster.Count(), 0);
    // The ends of the range load.
    int one = flagmaster.LoadFlag("cloth.png", 1);
    int most = flagmaster.LoadFlag("cloth.png", 256);
    EXPECT_GE(one, 0);
    EXPECT_EQ(most, one + 1);
    RecordQuads();
    flagmaster.DrawFlag(one, 0, 0, 1, 1);
    EXPECT_EQ(quads.size(), 1u);
}

TEST_F(Flags, ScriptFunctionsFromALuaState)
{
    StartFlags();
    lua_State *L = lua_man.OpenLuaState();
    ASSERT_NE(L, nullptr);
    RecordQuads();
    ASSERT_TRUE(lua_man.ExecLuaString(L, R"(
        id = LoadFlag("cloth.png", 3)
        second = LoadFlag("cloth.png", 2)
        drawn = DrawFlag(id, 5, 6, 1, 1)
        drawn_none = DrawFlag(-1, 0, 0, 1, 1)
        drawn_nan = DrawFlag(0/0, 0, 0, 1, 1)
        drawn_huge = DrawFlag(1e300, 0, 0, 1, 1)
        drawn_text = DrawFlag("x", 0, 0, 1, 1)
        drawn_fraction = DrawFlag(second + 0.75, 0, 0, 1, 1)
        SetFlagWind(1, 2, 3, 4, 0.5)
        released_huge = ReleaseFlag(-1e300)
        released_inf = ReleaseFlag(1/0)
        released = ReleaseFlag(id)
        missing = LoadFlag("missing.png", 3)
        no_resolution = LoadFlag("cloth.png")
    )"));
    auto number = [&](const char *name) {
        lua_getglobal(L, name);
        double v = lua_isboolean(L, -1) ? (double)lua_toboolean(L, -1) : lua_tonumber(L, -1);
        lua_pop(L, 1);
        return v;
    };
    int id = (int)number("id");
    EXPECT_GE(id, 0);
    EXPECT_EQ(number("second"), id + 1);
    EXPECT_EQ(number("drawn"), 1);
    EXPECT_EQ(number("drawn_none"), 0);
    EXPECT_EQ(number("drawn_nan"), 0);
    EXPECT_EQ(number("drawn_huge"), 0);
    EXPECT_EQ(number("drawn_text"), 0);
    EXPECT_EQ(number("drawn_fraction"), 1);   // truncated to the second flag's id
    EXPECT_EQ(quads.size(), 9u + 4u);
    EXPECT_EQ(number("released_huge"), 0);
    EXPECT_EQ(number("released_inf"), 0);
    EXPECT_EQ(number("released"), 1);
    EXPECT_EQ(number("missing"), -1);
    EXPECT_EQ(number("no_resolution"), -1);
    EXPECT_TRUE(Popped("0 Bad flag resolution 0 for 'cloth.png'"));
    FlagMesh flag;
    ASSERT_TRUE(flagmaster.GetFlag(id + 1, &flag));
    EXPECT_FLOAT_EQ(flag.wave_x, 1.0f);
    EXPECT_FLOAT_EQ(flag.wave_y, 2.0f);
    EXPECT_FLOAT_EQ(flag.ripple_x, 3.0f);
    EXPECT_FLOAT_EQ(flag.ripple_y, 4.0f);
    EXPECT_FLOAT_EQ(flag.speed, 0.5f);
    EXPECT_FALSE(flagmaster.GetFlag(id, &flag));
    lua_man.CloseLuaState(L);
}

TEST_F(Flags, AFlagReadBackFromTheRenderer)
{
    StartFlags();
    int id = flagmaster.LoadFlag("cloth.png", 24);
    ASSERT_GE(id, 0);
    flagmaster.Update(0.6f);
    apptest::draw = [id](float) {
        ov->OV_ClearScreen(0.0f, 0.0f, 0.0f);
        flagmaster.DrawFlag(id, 40.0f, 40.0f, 4.0f, 1.0f);
    };
    DrawFrame();
    widgettest::Frame f = widgettest::ReadFrame();
    apptest::draw = nullptr;
    widgettest::SavePng(f, enginetest::ShotPath("menus", "flag.png"));
    // The still top edge: the red cloth starts at (40, 40) at full brightness.
    widgettest::Rgba top = f.At(44, 42);
    EXPECT_GT(top[0], 200);
    EXPECT_LT(top[2], 40);
    // The bottom half is blue and shaded by the waves somewhere below full brightness.
    auto box = widgettest::LitBox(f, 0, 0, f.w - 1, f.h - 1, [](const widgettest::Rgba &p) { return p[2] > 60; });
    ASSERT_GE(box[0], 0);
    EXPECT_GT(box[3], 40 + 4 * 12);   // below the top half
    EXPECT_GT(box[2], 40 + 4 * 48);   // pushed right by the wave along the bottom
    bool shaded = false;
    for (int y = box[1]; y <= box[3]; y++)
        for (int x = box[0]; x <= box[2]; x++) {
            widgettest::Rgba p = f.At(x, y);
            if (p[2] > 60 && p[2] < 230)
                shaded = true;
        }
    EXPECT_TRUE(shaded);
}


// The shipped banner drawn in bands looks as the same mesh drawn cell by cell: at eight
// phases of its wave (and at the menus' scale and twice that), the pixels that differ
// are the edges the bands' triangles place a fraction of a texel elsewhere: few, and
// none by much.
TEST_F(Flags, TheShippedBannerInBandsLooksAsDrawnCellByCell)
{
    StartFlags(1280, 720);
    std::string png;
    {
        std::ifstream in(std::string(ORVEX_CONTENT_DIR) + "/ui/gfx/banner-cloth.png", std::ios::binary);
        ASSERT_TRUE(in.good());
        png.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    apptest::WriteFile("banner-cloth.png", png);
    int id = flagmaster.LoadFlag("banner-cloth.png", 24);
    ASSERT_GE(id, 0);
    FlagMesh *flag = flagmaster.entries[0]->flag;
    ASSERT_EQ(flag->bitmap->width, 512);

    // The mesh drawn cell by cell, every grid row.
    auto cells = [flag](float x, float y, float scale) {
        const float depth = ov->OV_GetDepthDefault();
        ov->OV_SetAlpha(1.0f);
        ov->OV_SetColor(1.0f, 1.0f, 1.0f);
        ov->OV_SetBlend(0);
        const int w = flag->grid_w;
        for (int r = 0; r + 1 < flag->grid_h; r++)
            for (int c = 0; c + 1 < w; c++) {
                const ov_vertex_t *at = flag->vertices + r * w + c;
                ov_vertex_t quad[4] = {WaveFlagVertex(*flag, at[0], x, y, scale, 1.0f, depth),
                                       WaveFlagVertex(*flag, at[1], x, y, scale, 1.0f, depth),
                                       WaveFlagVertex(*flag, at[w], x, y, scale, 1.0f, depth),
                                       WaveFlagVertex(*flag, at[w + 1], x, y, scale, 1.0f, depth)};
                ov->OV_DrawBitmap4V(flag->bitmap, quad);
            }
    };
    const float phases[] = {0.05f, 0.3f, 0.55f, 0.8f, 1.05f, 1.3f, 1.55f, 1.8f};
    for (float scale : {1.0f, 2.0f}) {
        long covered = 0, over8 = 0, over32 = 0;
        int worst = 0;
        for (float phase : phases) {
            flag->phase = phase;
            widgettest::Frame frames[2];
            for (int banded = 0; banded < 2; banded++) {
                apptest::draw = [&](float) {
                    ov->OV_ClearScreen(0.2f, 0.3f, 0.4f);
                    if (banded)
                        DrawFlagMesh(*flag, 30.0f, 20.0f, scale, 1.0f);
                    else
                        cells(30.0f, 20.0f, scale);
                };
                DrawFrame();
                frames[banded] = widgettest::ReadFrame();
            }
            apptest::draw = nullptr;
            if (phase == 0.3f) {
                std::string tag = scale == 1.0f ? "1" : "2";
                widgettest::SavePng(frames[0], enginetest::ShotPath("menus", "banner-cells-x" + tag + ".png"));
                widgettest::SavePng(frames[1], enginetest::ShotPath("menus", "banner-bands-x" + tag + ".png"));
            }
            const widgettest::Rgba clear = frames[0].At(0, 0);
            for (int y = 0; y < frames[0].h; y++)
                for (int x = 0; x < frames[0].w; x++) {
                    widgettest::Rgba p = frames[0].At(x, y), q = frames[1].At(x, y);
                    covered += p != clear || q != clear;
                    int d = 0;
                    for (int k = 0; k < 3; k++)
                        d = std::max(d, abs(p[k] - q[k]));
                    worst = std::max(worst, d);
                    over8 += d > 8;
                    over32 += d > 32;
                }
        }
        // The banner covers about 130 000 pixels a frame at scale 1.
        EXPECT_GT(covered, 8L * 100000L * (long)(scale * scale)) << scale;
        EXPECT_LT((double)over8, 0.02 * (double)covered) << scale;
        EXPECT_LT((double)over32, 0.001 * (double)covered) << scale;
        EXPECT_LE(worst, 96) << scale;
        printf("scale %.0f: %ld banner pixels, %ld differ by more than 8 levels, %ld by more than 32, at most %d\n",
               (double)scale, covered, over8, over32, worst);
    }
}
