// The slider: direction keys (horizontal and vertical), drags that report each change,
// a rotated drag, the fill and marker pixels with paddings, and its properties,
// export and inheritance.
#include "tests/app/ui/input_widgets_fixture.h"

#include "app/ui/widgets/ui-slider.h"

#include <stdio.h>

using namespace wtest;
using apptest::Logged;
using apptest::Pixel;
using uitest::ProbeScreen;

namespace {

const Rgba kBlue = {0, 0, 255, 255}, kWhite = {255, 255, 255, 255}, kGreen = {0, 255, 0, 255};

std::string Exported(UIComp *c, const char *prefix)
{
    FILE *f = tmpfile();
    c->ExportLua(f);
    rewind(f);
    std::string out;
    char line[1024];
    while (fgets(line, sizeof line, f))
        if (strstr(line, prefix))
            out += line;
    fclose(f);
    return out;
}

// A slider of the panel and full bitmaps at the position, centred there when asked.
std::string SliderAt(const char *name, const char *panel, const char *full, int x, int y, bool centred = false)
{
    std::string s = std::string("CreateComp ('Slider', '") + name + "')\nSetProperty ('position_type', 'ABSOLUTE')\n"
                    "SetProperty ('position', " + std::to_string(x) + ", " + std::to_string(y) + ")\n";
    if (centred)
        s += "SetProperty ('align', 'CENTER')\n";
    if (panel)
        s += std::string("SetProperty ('slider.bm_panel', '") + panel + "')\n";
    if (full)
        s += std::string("SetProperty ('slider.bm_full', '") + full + "')\n";
    return s;
}

const char *kRecordClicks = "seen = {}\nfunction OnClick (name)\n"
                            "  table.insert (seen, name .. '=' .. string.format ('%.3g', GetProperty (name .. ':slider.value')))\nend\n";

class Slider : public WidgetTest {
protected:
    void SetUp() override
    {
        WidgetTest::SetUp();
        WriteSolidPng("gfx/hpanel.png", 200, 20, kBlue);
        WriteSolidPng("gfx/hfull.png", 200, 20, kWhite);
        WriteSolidPng("gfx/vpanel.png", 20, 200, kBlue);
        WriteSolidPng("gfx/vfull.png", 20, 200, kWhite);
        WriteSolidPng("gfx/panel120.png", 120, 20, kBlue);
        WriteSolidPng("gfx/full120.png", 120, 20, kWhite);
        WriteSolidPng("gfx/knob.png", 6, 30, kGreen);
    }
    UICompSlider *Get(Screen *s, const char *name)
    {
        return dynamic_cast<UICompSlider *>(s->GetComp(name));
    }
    std::string Seen(Screen *s)
    {
        return Eval(s, "table.concat (seen, ' ')");
    }
};

TEST_F(Slider, DirectionKeysStepByATenthAndReportOnlyChanges)
{
    ProbeScreen *s = Show("Keys", std::string(kRecordClicks) + SliderAt("h", "gfx/hpanel.png", nullptr, 10, 10) +
                                      SliderAt("v", "gfx/vpanel.png", "gfx/vfull.png", 10, 40) +
                                      SliderAt("bare", nullptr, nullptr, 10, 10));
    UICompSlider *h = Get(s, "h"), *v = Get(s, "v"), *bare = Get(s, "bare");
    ASSERT_TRUE(h->IsHorizontal());
    ASSERT_FALSE(v->IsHorizontal());
    UICursor *pad = &sman.cursors[UI_GAMEPAD_CURSOR];
    h->value = 0.05f;
    const struct {
        UICompSlider *slider;
        int key;
        int taken;
        float value;
        const char *seen;
    } steps[] = {
        {h, 37, 1, 0.0f, "h=0"},                   // LEFT from 0.05 gives 0, one report
        {h, 37, 1, 0.0f, "h=0"},                   // LEFT at 0: taken, nothing reported
        {h, 39, 1, 0.1f, "h=0 h=0.1"},
        {h, 38, 0, 0.1f, "h=0 h=0.1"},             // UP is not a horizontal slider's
        {h, 13, 0, 0.1f, "h=0 h=0.1"},
        {v, 38, 1, 0.4f, "h=0 h=0.1 v=0.4"},       // UP lowers a vertical slider
        {v, 40, 1, 0.5f, "h=0 h=0.1 v=0.4 v=0.5"},
        {v, 37, 0, 0.5f, "h=0 h=0.1 v=0.4 v=0.5"},
        {bare, 39, 0, 0.5f, "h=0 h=0.1 v=0.4 v=0.5"},   // no panel: the cursor moves on
    };
    for (const auto &st : steps) {
        SCOPED_TRACE(st.seen);
        EXPECT_EQ(st.slider->ProcessCursorMove(pad, st.key, 0.1f), st.taken);
        EXPECT_NEAR(st.slider->value, st.value, 1e-6);
        EXPECT_EQ(Seen(s), st.seen);
    }
    // The vertical fill grows from the bottom: at 0.5 its lower half is white.
    Frame();
    EXPECT_TRUE(Near(Pixel(20, 40 + 50), kBlue));
    EXPECT_TRUE(Near(Pixel(20, 40 + 150), kWhite));
}

TEST_F(Slider, ADragReportsEachChange)
{
    ProbeScreen *s = Show("Drag", std::string(kRecordClicks) + SliderAt("d", "gfx/hpanel.png", "gfx/hfull.png", 50, 100) +
                                      SliderAt("nofill", "gfx/hpanel.png", nullptr, 50, 150));
    // A press at the middle changes nothing (0.5 already); each move reports its value.
    Touch(hl::TouchPhase::Down, 150, 110);
    EXPECT_EQ(Seen(s), "");
    Touch(hl::TouchPhase::Move, 170, 110);
    Touch(hl::TouchPhase::Move, 190, 112);
    Touch(hl::TouchPhase::Move, 190, 108);   // the same value: no report
    Touch(hl::TouchPhase::Move, 400, 110);   // clamped to 1
    Touch(hl::TouchPhase::Move, 0, 110);     // clamped to 0
    EXPECT_EQ(Seen(s), "d=0.6 d=0.7 d=1 d=0");
    Touch(hl::TouchPhase::Up, 0, 110);
    EXPECT_FLOAT_EQ(Get(s, "d")->value, 0.0f);
    // A slider without a full bitmap is not moved by a drag.
    Touch(hl::TouchPhase::Down, 60, 160);
    Touch(hl::TouchPhase::Move, 200, 160);
    Touch(hl::TouchPhase::Up, 200, 160);
    EXPECT_FLOAT_EQ(Get(s, "nofill")->value, 0.5f);
}

// A tap whose press and release arrive within one frame moves the slider to the tapped
// value: the change is reported, then the click, both reading the new value.
TEST_F(Slider, AOneFrameTapTakesTheTappedValue)
{
    ProbeScreen *s = Show("Tap", std::string(kRecordClicks) + SliderAt("d", "gfx/hpanel.png", "gfx/hfull.png", 50, 100));
    Tap(190, 110);
    EXPECT_NEAR(Get(s, "d")->value, 0.7f, 1e-6);
    EXPECT_EQ(Seen(s), "d=0.7 d=0.7");
    Tap(70, 105);
    EXPECT_NEAR(Get(s, "d")->value, 0.1f, 1e-6);
    EXPECT_EQ(Seen(s), "d=0.7 d=0.7 d=0.1 d=0.1");
}

// The game-pad's press locks onto the slider without dragging it to the pad cursor's
// spot (the slider's centre); the pad moves it with its direction keys. Pads have no
// device events: their states are set in the engine's key table.
TEST_F(Slider, AGamePadPressLeavesTheValue)
{
    ProbeScreen *s = Show("Pad", SliderAt("d", "gfx/hpanel.png", "gfx/hfull.png", 50, 100));
    UICompSlider *d = Get(s, "d");
    d->value = 0.25f;
    ov->OV_SetKeyStatei(800, 2);
    Steps(2, 0.016f);
    ASSERT_EQ(sman.cursors[UI_GAMEPAD_CURSOR].over, d);
    ov->OV_SetKeyStatef(803, 1.0f);
    Steps(2, 0.016f);
    EXPECT_EQ(sman.cursors[UI_GAMEPAD_CURSOR].locked, d);
    EXPECT_FLOAT_EQ(d->value, 0.25f);
    ov->OV_SetKeyStatef(803, 0.0f);
    ov->OV_SetKeyStatei(800, 0);
    Steps(2, 0.016f);
    EXPECT_FLOAT_EQ(d->value, 0.25f);
}

TEST_F(Slider, ARotatedSliderIsDraggedAlongItsOwnAxis)
{
    ProbeScreen *s = Show("Rotated", std::string(kRecordClicks) +
                                         SliderAt("r", "gfx/hpanel.png", "gfx/hfull.png", 160, 120, true) +
                                         "SetProperty ('angle', 1.5707963267949)\n");
    UICompSlider *r = Get(s, "r");
    // Turned a quarter clockwise: the slider's start is at the top.
    Touch(hl::TouchPhase::Down, 160, 120);
    Touch(hl::TouchPhase::Move, 161, 170);
    EXPECT_NEAR(r->value, 0.75f, 0.01f);
    Touch(hl::TouchPhase::Move, 150, 70);
    EXPECT_NEAR(r->value, 0.25f, 0.01f);
    Touch(hl::TouchPhase::Up, 150, 70);
    Frame();
    // The panel stands upright: blue below the centre (unfilled), white above it.
    EXPECT_TRUE(Near(Pixel(160, 180), kBlue));
    EXPECT_TRUE(Near(Pixel(160, 40), kWhite));
    EXPECT_TRUE(Near(Pixel(120, 120), {0, 0, 0, 255}));
}

TEST_F(Slider, FillAndMarkerFollowTheValueInsideThePaddings)
{
    ProbeScreen *s = Show("Fill", SliderAt("f", "gfx/panel120.png", "gfx/full120.png", 100, 100) +
                                      "SetProperty ('slider.padding', 10, '10')\n"
                                      "SetProperty ('slider.bm_marker', 'gfx/knob.png')\n");
    UICompSlider *f = Get(s, "f");
    EXPECT_FLOAT_EQ(f->width, 120.0f);
    EXPECT_FLOAT_EQ(f->height, 30.0f);   // raised to the marker's height
    const struct {
        float value;
        int white_to;   // last white column
    } cases[] = {{0.0f, 109}, {0.5f, 159}, {1.0f, 209}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.value);
        f->value = c.value;
        Frame();
        // The fill (the panel's row 100 + 5 + 2) up to its edge, then the panel; the
        // marker stands centred on the edge.
        const int y = 112;
        EXPECT_TRUE(Near(Pixel(100, y), c.white_to >= 100 ? kWhite : kBlue));
        if (c.white_to - 4 >= 100) {
            EXPECT_TRUE(Near(Pixel(c.white_to - 4, y), kWhite));
        }
        if (c.white_to + 5 < 220) {
            EXPECT_TRUE(Near(Pixel(c.white_to + 5, y), kBlue));
        }
        EXPECT_TRUE(Near(Pixel(c.white_to + 1, 102), kGreen));   // the marker, above the panel
    }
    // Paddings that leave no span: a drag leaves the value alone.
    ASSERT_TRUE(Run(s, "SetProperty ('f:slider.padding', 60, 60)"));
    f->value = 0.3f;
    Touch(hl::TouchPhase::Down, 150, 110);
    Touch(hl::TouchPhase::Move, 180, 110);
    Touch(hl::TouchPhase::Up, 180, 110);
    EXPECT_FLOAT_EQ(f->value, 0.3f);
}

TEST_F(Slider, PropertiesExportAndInheritance)
{
    ProbeScreen *s = Show("Props", SliderAt("p", "gfx/hpanel.png", "gfx/hfull.png", 0, 0) +
                                       "SetProperty ('slider.bm_panel_over', 'gfx/hpanel.png')\n"
                                       "SetProperty ('slider.bm_marker', 'gfx/knob.png')\n"
                                       "SetProperty ('slider.padding', 4.5)\nSetProperty ('slider.value', 1.5)\n");
    UICompSlider *p = Get(s, "p");
    // A script's value is not clamped; keys and drags clamp it.
    EXPECT_EQ(Eval(s, "GetProperty ('p:slider.value')"), "1.5");
    EXPECT_EQ(Eval(s, "GetProperty ('p:slider.bm_panel')"), "gfx/hpanel.png");
    EXPECT_EQ(Eval(s, "GetProperty ('p:slider.bm_panel_over')"), "gfx/hpanel.png");
    EXPECT_EQ(Eval(s, "GetProperty ('p:slider.bm_full')"), "gfx/hfull.png");
    EXPECT_EQ(Eval(s, "GetProperty ('p:slider.bm_marker')"), "gfx/knob.png");
    EXPECT_EQ(Eval(s, "GetProperty ('p:slider.padding')"), "nil");
    EXPECT_TRUE(Logged("UICompSlider::GetProperty: Unknown Property 'slider.padding'"));
    ASSERT_TRUE(Run(s, "SetProperty ('p:slider.Value', 1)"));
    EXPECT_TRUE(Logged("UICompSlider::SetProperty: Unknown Property 'slider.Value'"));
    EXPECT_FLOAT_EQ(p->padding_start, 4.5f);
    EXPECT_FLOAT_EQ(p->padding_end, 0.0f);
    EXPECT_EQ(Exported(p, "slider."), "SetProperty (\"slider.bm_panel\", \"gfx/hpanel.png\");\n"
                                      "SetProperty (\"slider.bm_panel_over\", \"gfx/hpanel.png\");\n"
                                      "SetProperty (\"slider.bm_full\", \"gfx/hfull.png\");\n"
                                      "SetProperty (\"slider.bm_marker\", \"gfx/knob.png\");\n"
                                      "SetProperty (\"slider.padding\", \"4.5\", \"0\");\n");
    ASSERT_TRUE(Run(s, "CreateComp ('Slider', 'q')"));
    UICompSlider *q = Get(s, "q");
    EXPECT_EQ(Exported(q, "slider."), "");
    EXPECT_FLOAT_EQ(q->width, 16.0f);
    EXPECT_FLOAT_EQ(q->value, 0.5f);
    EXPECT_TRUE(q->InheritFrom(p));
    EXPECT_EQ(q->bm_panel, p->bm_panel);
    EXPECT_EQ(q->bm_marker, p->bm_marker);
    EXPECT_FLOAT_EQ(q->padding_start, 4.5f);
    EXPECT_FLOAT_EQ(q->value, 0.5f);   // the value is not inherited
    EXPECT_FLOAT_EQ(q->width, 200.0f);
    UIComp *copy = p->Clone("copy");
    UICompSlider *cs = dynamic_cast<UICompSlider *>(copy);
    ASSERT_NE(cs, nullptr);
    EXPECT_EQ(cs->bm_full, p->bm_full);
    EXPECT_FLOAT_EQ(cs->value, 0.5f);
    delete copy;
}

}  // namespace
