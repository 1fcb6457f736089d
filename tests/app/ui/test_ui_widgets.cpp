// The rectangle, marker, ruler and aligner: sizes, layouts, their own properties, the
// rectangle's pixels on the headless GLES renderer, and malformed UI scripts.
#include "app/ui/screen-manager.h"
#include "app/ui/uiset.h"
#include "app/ui/widgets/ui-aligner.h"
#include "app/ui/widgets/ui-marker.h"
#include "app/ui/widgets/ui-rectangle.h"
#include "app/ui/widgets/ui-ruler.h"
#include "ovrecords.h"
#include "tests/app/ui/comp_fixture.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using apptest::Logged;
using apptest::Pixel;

class Widgets : public comptest::CompTest {
protected:
    void SetUp() override
    {
        CompTest::SetUp();
        StartUI();
    }
};

TEST_F(Widgets, RectanglesAreDrawnInTheirColourAndNothingWithAZeroSide)
{
    Screen *s = MakeScreen("Rects", "CreateComp ('Rectangle', 'red')\n"
                                    "SetProperty ('position_type', 'ABSOLUTE')\nSetProperty ('position', 10, 20)\n"
                                    "SetProperty ('rectangle.rect_width', 100)\nSetProperty ('rectangle.rect_height', 50)\n"
                                    "SetProperty ('color', 1, 0, 0)\n"
                                    "CreateComp ('Rectangle', 'green')\n"
                                    "SetProperty ('position_type', 'ABSOLUTE')\nSetProperty ('position', 60, 40)\n"
                                    "SetProperty ('rectangle.rect_width', 100)\nSetProperty ('rectangle.rect_height', 50)\n"
                                    "SetProperty ('color', 0, 1, 0)\n"
                                    "CreateComp ('Rectangle', 'flat')\n"
                                    "SetProperty ('position_type', 'ABSOLUTE')\nSetProperty ('position', 300, 300)\n"
                                    "SetProperty ('color', 0, 0, 1)\n"
                                    "CreateComp ('Rectangle', 'ghost')\n"
                                    "SetProperty ('position_type', 'ABSOLUTE')\nSetProperty ('position', 400, 300)\n"
                                    "SetProperty ('rectangle.rect_width', 20)\nSetProperty ('rectangle.rect_height', 20)\n"
                                    "SetProperty ('alpha', 0)\n");
    UIComp *flat = s->GetComp("flat");
    ASSERT_NE(flat, nullptr);
    EXPECT_FLOAT_EQ(flat->width, 16.0f);
    EXPECT_FLOAT_EQ(flat->height, 16.0f);
    apptest::draw = [s](float) {
        ov->OV_ClearScreen(0, 0, 0);
        s->DrawUI();
    };
    DrawFrame();
    const struct {
        int x, y;
        apptest::Rgba rgba;
    } cases[] = {
        {15, 25, {255, 0, 0, 255}},    // red alone
        {100, 60, {0, 255, 0, 255}},   // green drawn over red
        {150, 80, {0, 255, 0, 255}},
        {5, 15, {0, 0, 0, 255}},
        {305, 305, {0, 0, 0, 255}},    // zero rect size draws nothing
        {405, 305, {0, 0, 0, 255}},    // alpha 0 draws nothing
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << c.x << "," << c.y);
        apptest::Rgba p = Pixel(c.x, c.y);
        EXPECT_EQ(p[0], c.rgba[0]);
        EXPECT_EQ(p[1], c.rgba[1]);
        EXPECT_EQ(p[2], c.rgba[2]);
    }
}

TEST_F(Widgets, RectangleSizeFollowsScaleAndStretch)
{
    UICompRectangle r;
    r.rect_width = 30;
    r.rect_height = 0;
    r.scale = 2;
    r.UpdateDimensions();
    EXPECT_FLOAT_EQ(r.width, 120.0f);   // scale x rect width, times the dynamic scale (2 x fit 1)
    EXPECT_FLOAT_EQ(r.height, 32.0f);   // a side of 0 counts 16
    r.scale_type = UISCALE_STRETCH_TO_COVER_SCREEN;
    r.UpdateDimensions();
    EXPECT_FLOAT_EQ(r.width, 800.0f);
    EXPECT_FLOAT_EQ(r.height, 600.0f);
}

TEST_F(Widgets, MarkerAreaChangesTheSizeOnlyAtTheNextUpdate)
{
    Screen *s = MakeScreen("Marks", "CreateComp ('Marker', 'm')\nSetProperty ('marker.area_width', 100)\n"
                                    "SetProperty ('marker.colour', 1)\n");
    UICompMarker *m = dynamic_cast<UICompMarker *>(s->GetComp("m"));
    ASSERT_NE(m, nullptr);
    EXPECT_FLOAT_EQ(m->width, 100.0f);   // the set refreshed it after the script
    EXPECT_TRUE(Logged("UICompMarker::SetProperty: Unknown Property 'marker.colour' for UIComp 'm'"));
    ASSERT_TRUE(Run(s->ui, "SetProperty ('m:marker.area_width', 10)"));
    EXPECT_FLOAT_EQ(m->width, 100.0f);
    EXPECT_EQ(Eval(s->ui, "GetProperty ('m:marker.area_width')"), "10");
    m->UpdateDimensions();
    EXPECT_FLOAT_EQ(m->width, 10.0f);
    EXPECT_EQ(Eval(s->ui, "GetProperty ('m:marker.size')"), "nil");
    EXPECT_TRUE(Logged("UICompMarker::GetProperty: Unknown Property 'marker.size'"));
}

// A copy made in the editor has its source's area and the size that area gives at
// once, like any other kind's copy.
TEST_F(Widgets, ClonedMarkersAndAlignersHaveTheirSourcesAreaAndSize)
{
    const char *const kinds[] = {"Marker", "Aligner"};
    for (const char *kind : kinds) {
        SCOPED_TRACE(kind);
        std::string word = kind == std::string("Marker") ? "marker" : "aligner";
        std::string script = std::string("CreateComp ('") + kind + "', 'src')\nSetProperty ('" + word +
                             ".area_width', 100)\nSetProperty ('" + word + ".area_height', 40)\n";
        Screen *s = MakeScreen((std::string("Clone") + kind).c_str(), script);
        UIComp *src = s->GetComp("src");
        ASSERT_NE(src, nullptr);
        ASSERT_FLOAT_EQ(src->width, 100.0f * src->dynamic_scale);
        UIComp *copy = src->Clone("copy");
        ASSERT_NE(copy, nullptr);
        EXPECT_EQ(copy->type, src->type);
        EXPECT_STREQ(copy->name, "copy");
        EXPECT_EQ(copy->template_comp, src->template_comp);
        EXPECT_FLOAT_EQ(copy->width, src->width);
        EXPECT_FLOAT_EQ(copy->height, src->height);
        delete copy;
    }
}

TEST_F(Widgets, AlignerCentresItsVisibleChildren)
{
    const struct {
        int children;
        int hidden;       // index of a hidden child, -1 for none
        float xs[4], ys[4];
    } cases[] = {
        {1, -1, {0}, {0}},
        // Two columns: the third child alone in the second row, centred.
        {3, -1, {-0.25f, 0.25f, 0.0f}, {-0.25f, -0.25f, 0.25f}},
        {4, 1, {-0.25f, 0.77f, 0.25f, 0.0f}, {-0.25f, 0.77f, -0.25f, 0.25f}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.children);
        std::string script = "CreateComp ('Aligner', 'al')\nSetProperty ('aligner.area_width', 100)\n"
                             "SetProperty ('aligner.area_height', 60)\n";
        for (int i = 0; i < c.children; i++) {
            script += "CreateComp ('Marker', 'k" + std::to_string(i) + "')\nSetProperty ('parent', 'al')\n"
                      "SetProperty ('marker.area_width', 40)\nSetProperty ('marker.area_height', 20)\n"
                      "SetProperty ('position', 0.77, 0.77)\n";
            if (i == c.hidden)
                script += "SetProperty ('visible', false)\n";
        }
        Screen *s = MakeScreen(("Align" + std::to_string(c.children)).c_str(), script);
        UIComp *al = s->GetComp("al");
        ASSERT_NE(al, nullptr);
        al->Update(0.016f);
        EXPECT_EQ(al->align, UIALIGN_CENTER);
        for (int i = 0; i < c.children; i++) {
            SCOPED_TRACE(i);
            UIComp *k = s->GetComp(("k" + std::to_string(i)).c_str());
            EXPECT_NEAR(k->position_x, c.xs[i], 1e-6);
            EXPECT_NEAR(k->position_y, c.ys[i], 1e-6);
            EXPECT_EQ(k->align, i == c.hidden ? 0 : UIALIGN_CENTER);
        }
    }
}

TEST_F(Widgets, RulerSizeLayoutAndProperties)
{
    Screen *s = MakeScreen("Rulers", "CreateComp ('Ruler', 'r')\nSetProperty ('ruler.client_width', 200.7)\n"
                                     "SetProperty ('ruler.client_height', 30)\nSetProperty ('ruler.shade', 1)\n");
    UICompRuler *r = dynamic_cast<UICompRuler *>(s->GetComp("r"));
    ASSERT_NE(r, nullptr);
    EXPECT_FLOAT_EQ(r->width, 200.0f);
    EXPECT_FLOAT_EQ(r->height, 30.0f);
    EXPECT_EQ(Eval(s->ui, "GetProperty ('r:ruler.client_width')"), "200");
    EXPECT_EQ(Eval(s->ui, "GetProperty ('r:ruler.endpoint_bitmap')"), "");
    EXPECT_TRUE(Logged("UICompRuler::SetProperty: Unknown Property 'ruler.shade'"));
    ASSERT_TRUE(Run(s->ui, "SetProperty ('r:align', 'HCENTER')"));
    r->UpdateDimensions();
    EXPECT_FLOAT_EQ(r->width, 401.0f);   // reaches both ways: (int)(200.7 x 2)
    // Without bitmaps nothing is drawn and nothing fails.
    apptest::draw = [s](float) { s->DrawUI(); };
    DrawFrame();
}

TEST_F(Widgets, RulerBitmapsAreCountedOnEntryAndLeave)
{
    Screen *s = MakeScreen("RulerRefs", "CreateComp ('Ruler', 'r')\n"
                                        "SetProperty ('ruler.endpoint_bitmap', 'gfx/e.png')\n"
                                        "SetProperty ('ruler.repeat_bitmap', 'gfx/m.png')\n");
    UICompRuler *r = dynamic_cast<UICompRuler *>(s->GetComp("r"));
    ASSERT_NE(r, nullptr);
    ASSERT_NE(r->endpoint_bitmap, nullptr);
    EXPECT_EQ(Eval(s->ui, "GetProperty ('r:ruler.repeat_bitmap')"), "gfx/m.png");
    const int e0 = r->endpoint_bitmap->refcount, m0 = r->repeat_bitmap->refcount;
    sman.PushScreen(s, 0);
    EXPECT_EQ(r->endpoint_bitmap->refcount, e0 + 1);
    EXPECT_EQ(r->repeat_bitmap->refcount, m0 + 1);
    // Replacing a bitmap while entered gives the old one back and counts the new one.
    ov_bitmap_t *old_end = r->endpoint_bitmap;
    ASSERT_TRUE(Run(s->ui, "SetProperty ('r:ruler.endpoint_bitmap', 'gfx/e2.png')"));
    EXPECT_EQ(old_end->refcount, e0);
    ov_bitmap_t *e2 = r->endpoint_bitmap;
    ASSERT_NE(e2, nullptr);
    const int e2_entered = e2->refcount;
    sman.PopScreen(s, false);
    EXPECT_EQ(e2->refcount, e2_entered - 1);
    EXPECT_EQ(r->repeat_bitmap->refcount, m0);
}

// Scripts with syntax errors, wrong argument types and unknown words: popups, and the
// components made before the error stay.
TEST_F(Widgets, MalformedScriptsGivePopupsAndNoCrash)
{
    const char *scripts[] = {
        "CreateComp ('Rectangle', 'ok')\nlocal t = nil\nt.x = 1\nCreateComp ('Rectangle', 'never')\n",
        "CreateComp ({}, {})\nCreateComp (nil, nil)\nSetProperty ({}, {})\nGetProperty (nil)\n",
        "SetProperty ('alpha', 1)\nUICompEvent ('OnClick', nil)\nSetProperty ('parent', 'x')\n",
        "CreateComp ('Ruler', 'r')\nSetProperty ('ruler.client_width', 1e300)\nSetProperty ('scale', 0/0)\n"
        "SetProperty ('width', -1e300)\nSetProperty ('ruler.endpoint_bitmap', {})\n",
        "CreateComp ('Aligner', 'a')\nSetProperty ('aligner.area_height', -5)\n"
        "CreateComp ('Marker', 'm')\nSetProperty ('parent', 'a')\nSetProperty ('a:parent', 'm')\n"
        "SetProperty ('m:align', {})\nSetProperty ('m:scale_type', 5)\nSetProperty ('m:draw_mode', nil)\n",
        "CreateComp ('Wobble', 'w')\nSetProperty ('/', 1)\nSetProperty ('/:', 1)\nSetProperty (':', 1)\n"
        "SetProperty ('//:x', 1)\nGetProperty ('/Nope/x:y')\nSetProperty ('w:color', 'r', 'g')\n",
        "CreateComp ('Rectangle', 'x')\nCreateComp ('Rectangle', ",
    };
    int n = 0;
    std::vector<Screen *> made;
    for (const char *script : scripts) {
        SCOPED_TRACE(script);
        Screen *s = MakeScreen(("Bad" + std::to_string(n++)).c_str(), script);
        made.push_back(s);
        ASSERT_NE(s->ui, nullptr);
        apptest::draw = [s](float) {
            s->DrawUI();
            for (int i = 0; i < s->ui->GetNumberOfComps(); i++)
                s->ui->GetCompByIndex(i)->Update(0.1f);
        };
        DrawFrame();
    }
    EXPECT_TRUE(Logged("Unknown component type 'Wobble'"));
    EXPECT_TRUE(Logged("Parent 'm' for ui/Bad4.lua/a would make a cycle."));
    EXPECT_NE(made[0]->GetComp("ok"), nullptr);   // made before the error
    EXPECT_EQ(made[0]->GetComp("never"), nullptr);
    EXPECT_EQ(made[6]->ui->GetNumberOfComps(), 0);   // does not compile: nothing runs
    EXPECT_EQ(made[2]->ui->GetNumberOfComps(), 0);
    UIComp *ruler = made[3]->GetComp("r");
    ASSERT_NE(ruler, nullptr);
    EXPECT_EQ(ruler->width, ruler->width);        // not NaN
}

}  // namespace
