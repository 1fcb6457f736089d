// The path: positions and headings along it, straight and rounded, the nearest point,
// the edit-mode events that add, move and remove points, its properties and export, and
// its edit-mode drawing on the headless GLES renderer.
#include "app/ui/screen-manager.h"
#include "app/ui/uiset.h"
#include "app/ui/widgets/ui-path.h"
#include "ovrecords.h"
#include "tests/app/ui/widget_fixture.h"

#include <gtest/gtest.h>
#include <math.h>

#include <algorithm>

namespace {

using apptest::Logged;

const float kPi = 3.14159265f;

class Path : public comptest::CompTest {
protected:
    void SetUp() override
    {
        CompTest::SetUp();
        StartUI();
    }
    // A path at (200, 100) with the given points.
    UICompPath *Make(const char *screen, const std::string &points)
    {
        s_ = MakeScreen(screen, "CreateComp ('Path', 'p')\nSetProperty ('position_type', 'ABSOLUTE')\n"
                                "SetProperty ('position', 200, 100)\n" +
                                    points);
        return dynamic_cast<UICompPath *>(s_->GetComp("p"));
    }
    ov_event_t Event(int type, int key_or_index, int x = 0, int y = 0)
    {
        ov_event_t e = {};
        e.type = type;
        e.key = key_or_index;
        e.x = x;
        e.y = y;
        return e;
    }
    Screen *s_ = nullptr;
};

const char kCorner[] = "SetProperty ('path.point', 0, 0)\nSetProperty ('path.point', 100, 0)\n"
                       "SetProperty ('path.point', 100, 100)\n";

TEST_F(Path, PositionsAndHeadingsAlongTheCorner)
{
    UICompPath *p = Make("Corner", kCorner);
    ASSERT_NE(p, nullptr);
    ASSERT_EQ(p->GetNumberOfPoints(), 3);   // precalculated once the script ran
    EXPECT_FLOAT_EQ(p->GetLength(), 200.0f);
    EXPECT_FLOAT_EQ(p->points[1].corner_x, -50.0f);
    EXPECT_FLOAT_EQ(p->points[1].corner_y, 50.0f);
    EXPECT_NEAR(p->points[0].dir_x, 1.0f, 2e-3);   // the fast inverse square root
    const struct {
        int smooth;
        float d, x, y;
    } cases[] = {
        {0, -10, -10, 0},   // before the start: backwards along the first direction
        {0, 0, 0, 0},       {0, 50, 50, 0},  {0, 100, 100, 0}, {0, 150, 100, 50},
        {0, 200, 100, 100}, {0, 250, 100, 100},   // past the end: the last point
        {1, 50, 50, 0},                           // mid-segment lies on the segment
        {1, 100, 92, 8},                          // at the inner point: 0.16 x corner
        {1, 25, 25, 0},                           // the first point's corner is (0, 0)
        {1, 125, 100 - 50 * 0.04f, 25 + 50 * 0.04f},   // t = 0.25: ((1 - 0.5) x 0.4)^2 = 0.04
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << c.smooth << " d=" << c.d);
        const vec2_t at = p->GetPos(c.smooth, c.d);
        // The fast inverse square root is good to about 0.2 % of a segment.
        EXPECT_NEAR(at.x, c.x, 0.3);
        EXPECT_NEAR(at.y, c.y, 0.3);
    }
    const struct {
        float d, angle;
    } headings[] = {{50, 0}, {150, kPi / 2}, {100, kPi / 4}};
    for (const auto &h : headings) {
        SCOPED_TRACE(h.d);
        EXPECT_NEAR(p->GetAngle(0, h.d), h.angle, 0.02);
    }
    // Scaled by the dynamic scale.
    ASSERT_TRUE(Run(s_->ui, "SetProperty ('p:scale', 2)"));
    p->CalculateDynamicScale();
    EXPECT_NEAR(p->GetPos(0, 150).y, 100.0f, 0.2);
}

TEST_F(Path, OnePointEmptyAndZeroLengthSegments)
{
    UICompPath *one = Make("One", "SetProperty ('path.point', 7, 9)\n");
    ASSERT_NE(one, nullptr);
    for (float d : {-20.0f, 0.0f, 3.0f, 1e6f}) {
        SCOPED_TRACE(d);
        const vec2_t at = one->GetPos(1, d);
        EXPECT_FLOAT_EQ(at.x, 7.0f);
        EXPECT_FLOAT_EQ(at.y, 9.0f);
    }
    UICompPath empty;
    EXPECT_FLOAT_EQ(empty.GetPos(1, 5).x, 0.0f);
    EXPECT_FLOAT_EQ(empty.GetLength(), 0.0f);
    EXPECT_EQ(empty.GetPointAt({0, 0}), -1);
    ov_event_t back = Event(OV_EVENT_KEY_DOWN, 8);
    EXPECT_EQ(empty.EditProcessEvent(&back), 0);   // BACKSPACE on an empty path: nothing
    EXPECT_EQ(empty.GetNumberOfPoints(), 0);

    UICompPath *twice = Make("Twice", "SetProperty ('path.point', 0, 0)\nSetProperty ('path.point', 10, 0)\n"
                                      "SetProperty ('path.point', 10, 0)\nSetProperty ('path.point', 20, 0)\n");
    ASSERT_NE(twice, nullptr);
    EXPECT_FLOAT_EQ(twice->points[1].dir_x, 0.0f);
    EXPECT_FLOAT_EQ(twice->points[1].dir_y, 0.0f);
    EXPECT_FLOAT_EQ(twice->points[2].distance, twice->points[1].distance);
    for (float d = 0.0f; d <= 20.0f; d += 0.5f) {
        const vec2_t at = twice->GetPos(1, d);
        ASSERT_TRUE(at.x == at.x && at.y == at.y) << d;   // never NaN
    }
    EXPECT_NEAR(twice->GetPos(0, 15).x, 15.0f, 0.01);
}

TEST_F(Path, NearestPointAndEditEvents)
{
    UICompPath *p = Make("EditPath", kCorner);
    ASSERT_NE(p, nullptr);
    const vec2_t s = p->GetStaticPos();
    EXPECT_EQ(p->GetPointAt({s.x + 103, s.y + 2}), 1);
    EXPECT_EQ(p->GetPointAt({s.x + 107, s.y}), -1);
    // A click on a point selects it; near a segment inserts there; elsewhere appends.
    ov_event_t click = Event(OV_EVENT_BUTTON_DOWN, 0, (int)s.x + 101, (int)s.y + 1);
    EXPECT_EQ(p->EditProcessEvent(&click), 1);
    EXPECT_EQ(p->selected_point, 1);
    EXPECT_EQ(p->GetNumberOfPoints(), 3);
    click = Event(OV_EVENT_BUTTON_DOWN, 0, (int)s.x + 50, (int)s.y + 3);
    p->EditProcessEvent(&click);
    ASSERT_EQ(p->GetNumberOfPoints(), 4);
    EXPECT_FLOAT_EQ(p->points[1].x, 50.0f);
    EXPECT_EQ(p->selected_point, 1);
    EXPECT_NEAR(p->GetLength(), 2 * hypotf(50.0f, 3.0f) + 100.0f, 0.01);
    click = Event(OV_EVENT_BUTTON_DOWN, 0, (int)s.x + 300, (int)s.y + 300);
    p->EditProcessEvent(&click);
    ASSERT_EQ(p->GetNumberOfPoints(), 5);
    EXPECT_FLOAT_EQ(p->points[4].x, 300.0f);
    EXPECT_EQ(p->selected_point, 4);
    // Keys move the selected point by one unit; DELETE removes it.
    const struct {
        int key;
        float dx, dy;
    } moves[] = {{38, 0, -1}, {40, 0, 1}, {37, -1, 0}, {39, 1, 0}};
    for (const auto &m : moves) {
        SCOPED_TRACE(m.key);
        const float x = p->points[4].x, y = p->points[4].y;
        ov_event_t key = Event(OV_EVENT_KEY_DOWN, m.key);
        EXPECT_EQ(p->EditProcessEvent(&key), 1);
        EXPECT_FLOAT_EQ(p->points[4].x, x + m.dx);
        EXPECT_FLOAT_EQ(p->points[4].y, y + m.dy);
    }
    // A move with the pointer button held drags the selected point.
    ov->OV_SetKeyStatei(OV_KEY_POINTER_BUTTON, 3);
    ov_event_t move = Event(OV_EVENT_POINTER_MOVE, 0, (int)s.x + 250, (int)s.y + 260);
    EXPECT_EQ(p->EditProcessEvent(&move), 1);
    EXPECT_FLOAT_EQ(p->points[4].x, 250.0f);
    EXPECT_FLOAT_EQ(p->points[4].y, 260.0f);
    ov->OV_SetKeyStatei(OV_KEY_POINTER_BUTTON, 0);
    move = Event(OV_EVENT_POINTER_MOVE, 0, (int)s.x + 10, (int)s.y + 10);
    EXPECT_EQ(p->EditProcessEvent(&move), 0);
    ov_event_t del = Event(OV_EVENT_KEY_DOWN, 46);
    p->EditProcessEvent(&del);
    EXPECT_EQ(p->GetNumberOfPoints(), 4);
    EXPECT_EQ(p->selected_point, -1);
    ov_event_t back = Event(OV_EVENT_KEY_DOWN, 8);
    p->EditProcessEvent(&back);
    EXPECT_EQ(p->GetNumberOfPoints(), 3);
    EXPECT_NEAR(p->GetLength(), 2 * hypotf(50.0f, 3.0f), 0.01);
}

TEST_F(Path, PropertiesExportAndClones)
{
    UICompPath *p = Make("Props", std::string(kCorner) + "SetProperty ('path.num_points', 99)\nSetProperty ('path.curve', 1)\n");
    ASSERT_NE(p, nullptr);
    EXPECT_TRUE(Logged("UICompPath::SetProperty: Unknown Property 'path.curve'"));
    const struct {
        const char *expression, *expected;
    } reads[] = {
        {"GetProperty ('p:path.num_points')", "3"},
        {"select (2, GetProperty ('p:path.point[2]'))", "100"},
        {"GetProperty ('p:path.point[1]')", "100"},
        {"select ('#', GetProperty ('p:path.point[3]'))", "0"},    // outside: nothing, no popup
        {"select ('#', GetProperty ('p:path.point[-1]'))", "0"},
        {"GetProperty ('p:path.point')", "nil"},
    };
    for (const auto &r : reads) {
        SCOPED_TRACE(r.expression);
        EXPECT_EQ(Eval(s_->ui, r.expression), r.expected);
    }
    EXPECT_TRUE(Logged("UICompPath::GetProperty: Unknown Property 'path.point'"));
    EXPECT_FALSE(Logged("Unknown Property 'path.point[3]'"));
    const std::string out = widgettest::Export(p);
    EXPECT_NE(out.find("SetProperty (\"path.point\", 0, 0);\nSetProperty (\"path.point\", 100, 0);\n"
                       "SetProperty (\"path.point\", 100, 100);\n"),
              std::string::npos)
        << out;
    // A clone copies the points (its export writes them again); InheritFrom replaces them.
    UIComp *clone = p->Clone("twin");
    UICompPath *twin = dynamic_cast<UICompPath *>(clone);
    ASSERT_NE(twin, nullptr);
    EXPECT_EQ(twin->GetNumberOfPoints(), 3);
    EXPECT_NE(widgettest::Export(twin).find("SetProperty (\"path.point\", 100, 100);\n"), std::string::npos);
    twin->AddPoint({1, 1});
    twin->InheritFrom(p);
    EXPECT_EQ(twin->GetNumberOfPoints(), 3);
    delete clone;
}

TEST_F(Path, DrawnOnlyInTheEditMode)
{
    UICompPath *p = Make("Drawn", kCorner);
    ASSERT_NE(p, nullptr);
    Screen *s = s_;
    apptest::draw = [s](float) {
        ov->OV_ClearScreen(0, 0, 0);
        s->DrawUI();
    };
    DrawFrame();
    EXPECT_EQ(apptest::Pixel(250, 100)[0], 0);
    sman.edit_mode = true;
    mpos = {-1000, -1000};   // the probe far away
    DrawFrame();
    sman.edit_mode = false;
    const apptest::Rgba seg = apptest::Pixel(250, 100);   // white segment, green smooth path over it
    EXPECT_GT(seg[1], 200);
    EXPECT_GT(std::max(apptest::Pixel(299, 150)[1], apptest::Pixel(300, 150)[1]), 200);
    EXPECT_EQ(apptest::Pixel(250, 140)[1], 0);
}

}  // namespace
