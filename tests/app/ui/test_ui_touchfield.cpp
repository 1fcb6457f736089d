// The touch field: limits from the content and area, the SPRING rubber band, the
// flick's decay to a whole unit, momentum that keeps the speed, a far drag cancelling
// a child's click, children drawn at minus the whole scroll, leaving mid-drag, a
// frame of no time, the wheel, and its properties, export and inheritance.
#include "tests/app/ui/input_widgets_fixture.h"

#include "app/services/prog.h"
#include "app/ui/widgets/ui-touchfield.h"
#include "core/ov_state.h"

#include <math.h>
#include <stdio.h>

using namespace wtest;
using apptest::Logged;
using apptest::Pixel;
using uitest::ProbeScreen;

namespace {

const Rgba kRed = {255, 0, 0, 255}, kBlack = {0, 0, 0, 255};

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

class TouchField : public WidgetTest {
protected:
    // A field 'f' at (0, 0) with a 300 x 200 area onto the content, and more lines.
    ProbeScreen *Field(float content_w, float content_h, const std::string &more = "")
    {
        ProbeScreen *s = Show("Field", "CreateComp ('TouchField', 'f')\nSetProperty ('position_type', 'ABSOLUTE')\n"
                                       "SetProperty ('position', 0, 0)\nSetProperty ('touchfield.area_width', 300)\n"
                                       "SetProperty ('touchfield.area_height', 200)\n"
                                       "SetProperty ('touchfield.content_width', " + std::to_string(content_w) + ")\n"
                                       "SetProperty ('touchfield.content_height', " + std::to_string(content_h) + ")\n" +
                                       more);
        field = dynamic_cast<UICompTouchField *>(s->GetComp("f"));
        return s;
    }
    UICompTouchField *field = nullptr;
};

TEST_F(TouchField, LimitsComeFromContentAndArea)
{
    ProbeScreen *s = Field(100, 100);
    EXPECT_FLOAT_EQ(field->axis_y.limit_max, 0.0f);   // content 100 in an area 200
    EXPECT_FLOAT_EQ(field->width, 300.0f);
    EXPECT_FLOAT_EQ(field->height, 200.0f);
    // A drag cannot scroll it for good: SPRING pulls it back to 0 after the release.
    Touch(hl::TouchPhase::Down, 50, 50);
    Touch(hl::TouchPhase::Move, 50, 20);
    Touch(hl::TouchPhase::Up, 50, 20);
    EXPECT_GT(field->axis_y.value, 0.0f);
    Steps(100, 0.05f);
    EXPECT_FLOAT_EQ(field->axis_y.value, 0.0f);
    ASSERT_TRUE(Run(s, "SetProperty ('f:touchfield.content_height', 1000)"));
    EXPECT_EQ(Eval(s, "select (2, GetProperty ('f:touchfield.limits_y'))"), "800");
    // Limits a script sets last until the next size update.
    ASSERT_TRUE(Run(s, "SetProperty ('f:touchfield.limits_y', 10, 5)"));
    EXPECT_EQ(Eval(s, "select (2, GetProperty ('f:touchfield.limits_y'))"), "10");
    field->UpdateDimensions();
    EXPECT_EQ(Eval(s, "select (2, GetProperty ('f:touchfield.limits_y'))"), "800");
}

TEST_F(TouchField, ASpringFieldStretchesPastItsEnds)
{
    Field(300, 1000);
    // Only the steps below move the field: the frames that deliver touches do not.
    auto update = prog.Update;
    prog.Update = nullptr;
    const struct {
        int finger;     // finger travel downwards from the press
        float value;
    } cases[] = {{60, -42.0f}, {150, -50.0f}, {-20, 20.0f}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.finger);
        field->SetValueY(0.0f);
        Touch(hl::TouchPhase::Down, 100, 40);
        Touch(hl::TouchPhase::Move, 100, 40 + c.finger);
        EXPECT_FLOAT_EQ(field->axis_y.value, c.value);
        Touch(hl::TouchPhase::Up, 100, 40 + c.finger);
    }
    // At the far end likewise: 60 past the maximum of 800 shows 842.
    field->SetValueY(800.0f);
    Touch(hl::TouchPhase::Down, 100, 100);
    Touch(hl::TouchPhase::Move, 100, 40);
    EXPECT_FLOAT_EQ(field->axis_y.value, 842.0f);
    Touch(hl::TouchPhase::Up, 100, 40);
    prog.Update = update;
}

TEST_F(TouchField, AFlickDecaysAndStopsOnAWholeUnit)
{
    Field(300, 10000);
    UICompTouchField::SlidingValue &y = field->axis_y;
    y.value = y.raw = 100.0f;
    y.velocity = 400.0f;
    const float dt = 0.05f;
    float v = 400.0f;
    // Fast: the speed shrinks by 0.025 per second; slow: by 0.001 per second.
    y.Update(dt);
    v *= powf(0.025f, dt);
    EXPECT_NEAR(y.velocity, v, 1e-3);
    EXPECT_NEAR(y.value, 100.0f + 400.0f * dt, 1e-3);
    for (int i = 0; i < 400 && y.velocity != 0.0f; i++)
        y.Update(dt);
    EXPECT_EQ(y.velocity, 0.0f);
    EXPECT_EQ(y.value, floorf(y.value));
    EXPECT_GT(y.value, 150.0f);
    y.velocity = 50.0f;
    y.Update(dt);
    EXPECT_NEAR(y.velocity, 50.0f * powf(0.001f, dt), 1e-3);
}

TEST_F(TouchField, StrongMomentumKeepsTheSpeedThroughANewPress)
{
    Field(300, 10000);
    const struct {
        float momentum;
        float velocity_after;
    } cases[] = {{3.0f, 200.0f}, {2.0f, 200.0f}, {-2.0f, 200.0f}, {1.9f, 0.0f}, {0.0f, 0.0f}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.momentum);
        field->axis_y.momentum = c.momentum;
        field->axis_y.velocity = 200.0f;
        Touch(hl::TouchPhase::Down, 100, 100);
        EXPECT_TRUE(field->grip);
        EXPECT_FLOAT_EQ(field->axis_y.velocity, c.velocity_after);
        Touch(hl::TouchPhase::Up, 100, 100);
    }
}

TEST_F(TouchField, AFarDragCancelsAChildsClick)
{
    ProbeScreen *s = Field(300, 1000, "CreateComp ('Rectangle', 'child')\nSetProperty ('parent', 'f')\n"
                                      "SetProperty ('position_type', 'ABSOLUTE')\nSetProperty ('position', 20, 20)\n"
                                      "SetProperty ('rectangle.rect_width', 100)\nSetProperty ('rectangle.rect_height', 100)\n"
                                      "SetProperty ('interactive', true)\n");
    // A small drag still clicks the child; one of more than 10 units does not.
    Touch(hl::TouchPhase::Down, 60, 60);
    Touch(hl::TouchPhase::Move, 60, 55);
    Touch(hl::TouchPhase::Up, 60, 55);
    EXPECT_EQ(Clicks("child"), 1);
    Touch(hl::TouchPhase::Down, 60, 60);
    Touch(hl::TouchPhase::Move, 60, 45);
    EXPECT_NE(sman.cursors[0].locked, s->GetComp("child"));   // the lock is gone
    Touch(hl::TouchPhase::Move, 60, 58);
    Touch(hl::TouchPhase::Up, 60, 58);
    EXPECT_EQ(Clicks("child"), 1);
    (void)s;
}

TEST_F(TouchField, ChildrenMoveByTheWholeScrollTimesTheScale)
{
    ProbeScreen *s = Field(300, 1000, "CreateComp ('Rectangle', 'child')\nSetProperty ('parent', 'f')\n"
                                      "SetProperty ('position_type', 'ABSOLUTE')\nSetProperty ('position', 20, 100)\n"
                                      "SetProperty ('rectangle.rect_width', 40)\nSetProperty ('rectangle.rect_height', 10)\n"
                                      "SetProperty ('color', 1, 0, 0)\n");
    UIComp *child = s->GetComp("child");
    const struct {
        float value, scale;
        float y;
    } cases[] = {{0.0f, 1.0f, 100.0f}, {10.7f, 1.0f, 90.0f}, {-3.9f, 1.0f, 103.0f}, {10.7f, 2.0f, 80.0f}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.value);
        field->SetValueY(c.value);
        field->dynamic_scale = c.scale;
        EXPECT_FLOAT_EQ(child->GetStaticPos().y, c.y);
        EXPECT_FLOAT_EQ(child->GetStaticPos().x, 20.0f);
    }
    field->dynamic_scale = 1.0f;
    field->SetValueY(10.7f);
    auto update = prog.Update;
    prog.Update = nullptr;
    Frame();
    prog.Update = update;
    EXPECT_TRUE(Near(Pixel(30, 91), kRed));
    EXPECT_TRUE(Near(Pixel(30, 99), kRed));
    EXPECT_TRUE(Near(Pixel(30, 101), kBlack));
    EXPECT_TRUE(Near(Pixel(30, 89), kBlack));
}

TEST_F(TouchField, LeavingMidDragAndAFrameOfNoTime)
{
    ProbeScreen *s = Field(300, 1000);
    Touch(hl::TouchPhase::Down, 100, 150);
    Touch(hl::TouchPhase::Move, 100, 120);
    Touch(hl::TouchPhase::Move, 100, 100);
    ASSERT_TRUE(field->grip);
    ASSERT_TRUE(field->axis_y.dragging);
    sman.PopScreen(s, false);
    EXPECT_FALSE(field->grip);
    EXPECT_FALSE(field->axis_y.dragging);
    EXPECT_GT(field->axis_y.velocity, 0.0f);   // from the samples: it goes on moving
    // A zero-length frame leaves no time to measure a speed by: velocity 0, never NaN.
    UICompTouchField::SlidingValue a;
    a.BeginDrag();
    a.UpdateSlide(-20.0f);
    a.Update(0.0f);
    a.EndSlide();
    EXPECT_EQ(a.velocity, 0.0f);
    for (int i = 0; i < 10; i++)
        a.Update(0.016f);
    EXPECT_EQ(a.value, a.value);
    UICompTouchField::SlidingValue none;
    none.dragging = true;
    none.interval = 0.1f;
    none.EndSlide();
    EXPECT_EQ(none.velocity, 0.0f);
}

TEST_F(TouchField, TheWheelAndAScaleOfZero)
{
    Field(300, 1000);
    auto update = prog.Update;
    prog.Update = nullptr;
    Steps(1, 0.02f);
    OVI_SendMouseWheelEvent(4, 0, -240, 100, 100);
    PumpFrame();
    // Two units per 240 of delta, toward the start, where the rubber band gives 2 x 2 / 200.
    EXPECT_FLOAT_EQ(field->axis_y.value, -1.98f);
    EXPECT_FALSE(field->axis_y.dragging);
    EXPECT_LT(field->axis_y.velocity, 0.0f);
    prog.Update = update;
    // At a dynamic scale of 0 a drag does not move the content.
    field->SetValueY(100.0f);
    field->dynamic_scale = 0.0f;
    ov_event_t down = {};
    down.type = OV_EVENT_BUTTON_DOWN;
    down.x = 0;
    down.y = 0;
    field->ProcessEvent(&down);
    ov_event_t move = down;
    move.type = OV_EVENT_POINTER_MOVE;
    move.y = -50;
    field->ProcessEvent(&move);
    EXPECT_FLOAT_EQ(field->axis_y.value, 100.0f);
}

// "touchfield.limit_type" takes its four words as written; any other word (another
// case, a shorter or longer one, not a word at all) gives SPRING.
TEST_F(TouchField, LimitTypeWordsMatchAsWritten)
{
    ProbeScreen *s = Field(640, 1000);
    struct Case {
        const char *value;
        int type;
    } cases[] = {
        {"'STOP'", UITOUCH_STOP},           {"'SMOOTH_STOP'", UITOUCH_SMOOTH_STOP},
        {"'SMOOTH_DRAG'", UITOUCH_SMOOTH_DRAG}, {"'SPRING'", UITOUCH_SPRING},
        {"'stop'", UITOUCH_SPRING},         {"'Smooth_Drag'", UITOUCH_SPRING},
        {"'STOPS'", UITOUCH_SPRING},        {"'SMOOTH'", UITOUCH_SPRING},
        {"' STOP'", UITOUCH_SPRING},        {"3", UITOUCH_SPRING},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.value);
        ASSERT_TRUE(Run(s, "SetProperty ('f:touchfield.limit_type', 'STOP')"));
        ASSERT_TRUE(Run(s, std::string("SetProperty ('f:touchfield.limit_type', ") + c.value + ")"));
        EXPECT_EQ(field->axis_x.limit_type, c.type);
        EXPECT_EQ(field->axis_y.limit_type, c.type);
    }
}

TEST_F(TouchField, PropertiesExportAndInheritance)
{
    ProbeScreen *s = Field(640, 1000, "SetProperty ('touchfield.limit_type', 'STOP')\n"
                                      "SetProperty ('touchfield.axis_x_enabled', 0)\n"
                                      "SetProperty ('touchfield.allow_dragging_only_inside_view_area', true)\n");
    // Read back at once: at rest, the next update snaps the value to a whole unit.
    ASSERT_TRUE(Run(s, "SetProperty ('f:touchfield.value_y', '12.5')"));
    EXPECT_EQ(Eval(s, "GetProperty ('f:touchfield.value_y')"), "12.5");
    EXPECT_EQ(Eval(s, "select (2, GetProperty ('f:touchfield.values'))"), "12.5");
    EXPECT_EQ(Eval(s, "GetProperty ('f:touchfield.area_width')"), "300");
    EXPECT_EQ(Eval(s, "GetProperty ('f:touchfield.content_height')"), "1000");
    EXPECT_EQ(Eval(s, "GetProperty ('f:touchfield.limits_x')"), "0");
    EXPECT_EQ(Eval(s, "GetProperty ('f:touchfield.limit_type')"), "nil");
    EXPECT_TRUE(Logged("UICompTouchField::GetProperty: Unknown Property 'touchfield.limit_type'"));
    ASSERT_TRUE(Run(s, "SetProperty ('f:touchfield.Value_y', 1)"));
    EXPECT_TRUE(Logged("UICompTouchField::SetProperty: Unknown Property 'touchfield.Value_y'"));
    EXPECT_EQ(field->axis_x.limit_type, UITOUCH_STOP);
    EXPECT_FALSE(field->axis_x.enabled);
    EXPECT_TRUE(field->only_inside_view);
    // The target value: the raw value, and the drag ends.
    ASSERT_TRUE(Run(s, "SetProperty ('f:touchfield.target_value_y', 40)"));
    EXPECT_FLOAT_EQ(field->axis_y.raw, 40.0f);
    ASSERT_TRUE(Run(s, "SetProperty ('f:touchfield.limit_type', 'BOUNCY')"));
    EXPECT_EQ(field->axis_y.limit_type, UITOUCH_SPRING);
    ASSERT_TRUE(Run(s, "SetProperty ('f:touchfield.limit_type', 'SMOOTH_DRAG')"));
    EXPECT_EQ(Exported(field, "touchfield."),
              "SetProperty (\"touchfield.allow_dragging_only_inside_view_area\", true);\n"
              "SetProperty (\"touchfield.area_width\", 300);\n"
              "SetProperty (\"touchfield.area_height\", 200);\n"
              "SetProperty (\"touchfield.content_width\", 640);\n"
              "SetProperty (\"touchfield.content_height\", 1000);\n"
              "SetProperty (\"touchfield.axis_x_enabled\", 0);\n"
              "SetProperty (\"touchfield.limit_type\", \"SMOOTH_DRAG\");\n");
    ASSERT_TRUE(Run(s, "CreateComp ('TouchField', 'g')"));
    UICompTouchField *g = dynamic_cast<UICompTouchField *>(s->GetComp("g"));
    EXPECT_EQ(Exported(g, "touchfield."), "");
    EXPECT_FALSE(g->interactive);
    EXPECT_FLOAT_EQ(g->width, 100.0f);
    EXPECT_TRUE(g->InheritFrom(field));
    EXPECT_FLOAT_EQ(g->area_width, 300.0f);
    EXPECT_FLOAT_EQ(g->content_height, 1000.0f);
    EXPECT_FALSE(g->axis_x.enabled);
    EXPECT_EQ(g->axis_y.limit_type, UITOUCH_SMOOTH_DRAG);
    EXPECT_TRUE(g->only_inside_view);
    UIComp *copy = field->Clone("copy");
    ASSERT_NE(dynamic_cast<UICompTouchField *>(copy), nullptr);
    EXPECT_FLOAT_EQ(dynamic_cast<UICompTouchField *>(copy)->content_width, 640.0f);
    delete copy;
    // A press outside the view area is not taken with only-inside set.
    ov_event_t down = {};
    down.type = OV_EVENT_BUTTON_DOWN;
    down.x = 310;
    down.y = 10;
    EXPECT_EQ(field->ProcessEvent(&down), 0);
    down.x = 10;
    EXPECT_EQ(field->ProcessEvent(&down), 1);
    down.index = 1;
    EXPECT_EQ(field->ProcessEvent(&down), 1);   // another pointer: taken, nothing done
}

}  // namespace
