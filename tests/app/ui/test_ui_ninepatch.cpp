// The nine-patch: a bitmap of nine coloured 10 x 10 pieces drawn with the point filter
// on the headless GLES renderer, unstretched, stretched, scaled and collapsed; its
// properties, export and what templates and clones carry.
#include "app/ui/screen-manager.h"
#include "app/ui/uiset.h"
#include "app/ui/widgets/ui-ninepatch.h"
#include "ovrecords.h"
#include "tests/app/ui/widget_fixture.h"

#include <gtest/gtest.h>

namespace {

using apptest::Logged;
using widgettest::Rgba;

// Piece colours by row and column; the centre is white so that the tint shows.
const Rgba kPieces[3][3] = {
    {{255, 0, 0, 255}, {0, 255, 0, 255}, {0, 0, 255, 255}},
    {{255, 255, 0, 255}, {255, 255, 255, 255}, {0, 255, 255, 255}},
    {{255, 0, 255, 255}, {128, 0, 0, 255}, {0, 128, 0, 255}},
};

class NinePatch : public comptest::CompTest {
protected:
    void SetUp() override
    {
        CompTest::SetUp();
        StartUI();
        widgettest::WritePng("gfx/nine.png", 30, 30, [](int x, int y) { return kPieces[y / 10][x / 10]; });
    }
    UICompNinePatch *Make(const char *screen, const std::string &more)
    {
        s_ = MakeScreen(screen, "CreateComp ('NinePatch', 'np')\nSetProperty ('position_type', 'ABSOLUTE')\n"
                                "SetProperty ('position', 100, 100)\nSetProperty ('pixel_filter', 'POINT')\n"
                                "SetProperty ('cache_mode', 'PRELOAD')\n"
                                "SetProperty ('ninepatch.bitmap', 'gfx/nine.png')\n"
                                "SetProperty ('ninepatch.bitmap_client_rect', 10, 10, 20, 20)\n" +
                                    more);
        return dynamic_cast<UICompNinePatch *>(s_->GetComp("np"));
    }
    widgettest::Frame Draw()
    {
        Screen *s = s_;
        apptest::draw = [s](float) {
            ov->OV_ClearScreen(0, 0, 0);
            s->DrawUI();
        };
        DrawFrame();
        return widgettest::ReadFrame();
    }
    // Expects the piece's colour at each of the points.
    void ExpectPieces(const widgettest::Frame &f, const std::vector<std::array<int, 4>> &points)
    {
        for (const auto &p : points) {   // x, y, row, column
            SCOPED_TRACE(testing::Message() << p[0] << "," << p[1]);
            const Rgba got = f.At(p[0], p[1]);
            const Rgba &want = p[2] < 0 ? Rgba{0, 0, 0, 255} : kPieces[p[2]][p[3]];
            EXPECT_EQ(got[0], want[0]);
            EXPECT_EQ(got[1], want[1]);
            EXPECT_EQ(got[2], want[2]);
        }
    }
    Screen *s_ = nullptr;
};

TEST_F(NinePatch, ClientSizeOfTheCentreDrawsTheBitmapUnstretched)
{
    UICompNinePatch *np = Make("Own", "SetProperty ('ninepatch.client_size', 10, 10)\n");
    ASSERT_NE(np, nullptr);
    EXPECT_FLOAT_EQ(np->width, 30.0f);
    EXPECT_FLOAT_EQ(np->height, 30.0f);
    const widgettest::Frame f = Draw();
    std::vector<std::array<int, 4>> points;
    for (int y = 0; y < 30; y++)
        for (int x = 0; x < 30; x++)
            points.push_back({100 + x, 100 + y, y / 10, x / 10});
    points.push_back({99, 100, -1, 0});
    points.push_back({130, 129, -1, 0});
    ExpectPieces(f, points);
}

TEST_F(NinePatch, StretchedScaledAndCollapsed)
{
    const struct {
        const char *script;
        float w, h;
        std::vector<std::array<int, 4>> points;   // x, y, row, column (row -1: background)
    } cases[] = {
        // Client 200 x 100: corners 10 x 10 at their own size, edges and centre stretched.
        {"SetProperty ('ninepatch.client_size', 200, 100)\n", 220, 120,
         {{100, 100, 0, 0}, {109, 109, 0, 0}, {110, 100, 0, 1}, {309, 109, 0, 1}, {310, 100, 0, 2},
          {319, 109, 0, 2}, {320, 100, -1, 0}, {100, 110, 1, 0}, {109, 209, 1, 0}, {200, 150, 1, 1},
          {310, 209, 1, 2}, {100, 210, 2, 0}, {109, 219, 2, 0}, {110, 219, 2, 1}, {310, 210, 2, 2},
          {319, 219, 2, 2}, {319, 220, -1, 0}}},
        // Scale 2: every piece twice as large, corners 20 x 20.
        {"SetProperty ('ninepatch.client_size', 10, 10)\nSetProperty ('scale', 2)\n", 60, 60,
         {{100, 100, 0, 0}, {119, 119, 0, 0}, {120, 120, 1, 1}, {139, 139, 1, 1}, {140, 100, 0, 2},
          {159, 159, 2, 2}, {160, 159, -1, 0}}},
        // 0 x 0: the four corners touch, nothing of the edges or the centre.
        {"SetProperty ('ninepatch.client_size', 0, 0)\n", 20, 20,
         {{100, 100, 0, 0}, {109, 109, 0, 0}, {110, 100, 0, 2}, {119, 109, 0, 2}, {100, 110, 2, 0},
          {119, 119, 2, 2}, {120, 119, -1, 0}}},
    };
    int n = 0;
    for (const auto &c : cases) {
        SCOPED_TRACE(c.script);
        UICompNinePatch *np = Make(("Case" + std::to_string(n++)).c_str(), c.script);
        ASSERT_NE(np, nullptr);
        EXPECT_FLOAT_EQ(np->width, c.w);
        EXPECT_FLOAT_EQ(np->height, c.h);
        ExpectPieces(Draw(), c.points);
    }
}

TEST_F(NinePatch, TheComponentColourTintsEveryVertex)
{
    UICompNinePatch *np = Make("Tint", "SetProperty ('ninepatch.client_size', 10, 10)\nSetProperty ('color', 0, 0, 1)\n");
    ASSERT_NE(np, nullptr);
    const widgettest::Frame f = Draw();
    const Rgba centre = f.At(115, 115);   // white piece times blue
    EXPECT_EQ(centre[0], 0);
    EXPECT_EQ(centre[1], 0);
    EXPECT_EQ(centre[2], 255);
    EXPECT_EQ(f.At(105, 105)[0], 0);      // red piece times blue is black
}

TEST_F(NinePatch, PropertiesExportAndCopies)
{
    UICompNinePatch *np = Make("Props", "SetProperty ('ninepatch.client_size', 40.9, '20')\n");
    ASSERT_NE(np, nullptr);
    const struct {
        const char *get, *expected;
    } reads[] = {
        {"np:ninepatch.bitmap", "gfx/nine.png"},
        {"np:ninepatch.client_width", "40"},
        {"np:ninepatch.client_height", "20"},
        {"np:ninepatch.client_size", "nil"},
        {"np:ninepatch.bitmap_client_rect", "nil"},
    };
    for (const auto &r : reads) {
        SCOPED_TRACE(r.get);
        EXPECT_EQ(Eval(s_->ui, std::string("GetProperty ('") + r.get + "')"), r.expected);
    }
    EXPECT_TRUE(Logged("UICompNinePatch::GetProperty: Unknown Property 'ninepatch.client_size'"));
    ASSERT_TRUE(Run(s_->ui, "SetProperty ('np:ninepatch.client_width', 5)"));
    EXPECT_TRUE(Logged("UICompNinePatch::SetProperty: Unknown Property 'ninepatch.client_width'"));
    EXPECT_EQ(np->client_width, 40);
    // The client rect changes the size only at the next size update.
    const float w = np->width;
    ASSERT_TRUE(Run(s_->ui, "SetProperty ('np:ninepatch.bitmap_client_rect', 5, 5, 25, 25)"));
    EXPECT_FLOAT_EQ(np->width, w);
    np->UpdateDimensions();
    EXPECT_FLOAT_EQ(np->width, 5 + 40 + 5);
    const std::string out = widgettest::Export(np);
    EXPECT_NE(out.find("SetProperty (\"ninepatch.bitmap\", \"gfx/nine.png\");\n"
                       "SetProperty (\"ninepatch.bitmap_client_rect\", 5, 5, 25, 25);\n"
                       "SetProperty (\"ninepatch.client_size\", 40, 20);\n"),
              std::string::npos)
        << out;
    UIComp *clone = np->Clone("twin");
    UICompNinePatch *twin = dynamic_cast<UICompNinePatch *>(clone);
    ASSERT_NE(twin, nullptr);
    EXPECT_EQ(twin->bitmap, np->bitmap);
    EXPECT_EQ(twin->client_width, 40);
    EXPECT_FLOAT_EQ(twin->client_x1, 5.0f);
    const std::string twin_out = widgettest::Export(twin);
    EXPECT_EQ(twin_out.substr(twin_out.find('\n')), out.substr(out.find('\n')));
    delete clone;
    // Without a bitmap: natural size 1 x 1, nothing drawn, the edit resize ignored.
    UICompNinePatch bare;
    bare.UpdateDimensions();
    EXPECT_FLOAT_EQ(bare.width, 1.0f);
    bare.EditUpdate(0.0f);
    EXPECT_EQ(bare.client_width, 50);
}

TEST_F(NinePatch, EditResizeFollowsTheCursorLessTheBorders)
{
    UICompNinePatch *np = Make("Edit", "SetProperty ('align', 'HCENTER')\n");
    ASSERT_NE(np, nullptr);
    const vec2_t s = np->GetStaticPos();
    mpos = {s.x + 60.0f, s.y + 45.5f};
    np->EditUpdate(0.0f);
    EXPECT_EQ(np->client_width, 120 - 20);   // doubled with HCENTER, less 10 + 30 - 20
    EXPECT_EQ(np->client_height, 45 - 20);
    EXPECT_FLOAT_EQ(np->width, 120.0f);
}

TEST_F(NinePatch, ScaleTypesAndAZeroSidedBitmap)
{
    UICompNinePatch *np = Make("Fit", "SetProperty ('ninepatch.client_size', 10, 10)\n"
                                      "SetProperty ('scale_type', 'FIT_INSIDE_SCREEN')\n");
    ASSERT_NE(np, nullptr);
    EXPECT_FLOAT_EQ(np->dynamic_scale, 20.0f);   // min (800 / 30, 600 / 30)
    // A natural size of 0 keeps factor 1 (no division by zero).
    ASSERT_TRUE(Run(s_->ui, "SetProperty ('np:ninepatch.client_size', -20, -20)"));
    EXPECT_FLOAT_EQ(np->dynamic_scale, 1.0f);
    EXPECT_FLOAT_EQ(np->width, 0.0f);
    Draw();   // draws a degenerate patch without failing
}

}  // namespace
