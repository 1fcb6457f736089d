// The touch grid: steps taken by drags (a first step after 20 units, one per step
// size after it, one at most for the first event), limited selections, the instant
// selection, the wheel, a child's tap cancelled while the offset glides, an inactive
// grid swallowing events, and its properties, export and inheritance.
#include "tests/app/ui/input_widgets_fixture.h"

#include "app/services/prog.h"
#include "app/ui/widgets/ui-touchgrid.h"
#include "core/ov_state.h"
#include "ovrecords.h"

#include <stdio.h>

using namespace wtest;
using apptest::Logged;
using uitest::ProbeScreen;

namespace {

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

class TouchGrid : public WidgetTest {
protected:
    // A grid 'g' at (0, 0) of 5 steps of 300 across, one row of 200.
    ProbeScreen *Grid(const std::string &more = "")
    {
        ProbeScreen *s = Show("Grid", "CreateComp ('TouchGrid', 'g')\nSetProperty ('position_type', 'ABSOLUTE')\n"
                                      "SetProperty ('position', 0, 0)\nSetProperty ('touchgrid.num_steps_axis_x', 5)\n"
                                      "SetProperty ('touchgrid.step_size_axis_x', 300)\n"
                                      "SetProperty ('touchgrid.step_size_axis_y', 200)\n" + more);
        grid = dynamic_cast<UICompTouchGrid *>(s->GetComp("g"));
        return s;
    }
    // A drag from x0 by the given moves of the first finger.
    void Drag(int x0, const std::vector<int> &moves)
    {
        int x = x0;
        Touch(hl::TouchPhase::Down, x, 100);
        for (int m : moves) {
            x += m;
            Touch(hl::TouchPhase::Move, x, 100);
        }
        Touch(hl::TouchPhase::Up, x, 100);
    }
    UICompTouchGrid *grid = nullptr;
};

TEST_F(TouchGrid, DragsMoveTheSelectionByWholeSteps)
{
    Grid();
    ASSERT_FLOAT_EQ(grid->content_width, 1500.0f);
    const struct {
        const char *what;
        std::vector<int> moves;
        int selected;
    } cases[] = {
        {"60 units in steps of 10: one step", std::vector<int>(6, -10), 1},
        {"1000 units in steps of 10: 20, then one per 300, up to 4", std::vector<int>(100, -10), 4},
        {"one move of 200: one step only", {-200}, 1},
        {"15 units: none", {-5, -5, -5}, 0},
        {"toward the start from 0: none", {30, 30}, 0},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        grid->axis_x.Select(0);
        grid->axis_x.current_offset = 0.0f;
        Drag(150, c.moves);
        EXPECT_EQ(grid->axis_x.selected, c.selected);
        EXPECT_FLOAT_EQ(grid->axis_x.target_offset, 300.0f * (float)c.selected);
        EXPECT_FALSE(grid->grip);
    }
    // 330 units in one gesture: 20 for the first step, then 300 for the next.
    grid->axis_x.Select(0);
    grid->axis_x.current_offset = 0.0f;
    Drag(150, std::vector<int>(33, -10));
    EXPECT_EQ(grid->axis_x.selected, 2);
}

TEST_F(TouchGrid, SelectionsAreLimitedAndTheInstantOneDoesNotGlide)
{
    ProbeScreen *s = Grid();
    const struct {
        const char *line;
        int selected;
        float current;   // < 0: still gliding
    } cases[] = {
        {"SetProperty ('g:touchgrid.selected_step_axis_x', 9)", 4, -1},
        {"SetProperty ('g:touchgrid.selected_step_axis_x', -3)", 0, -1},
        {"SetProperty ('g:touchgrid.offset_selected_step_axis_x', 2)", 2, -1},
        {"SetProperty ('g:touchgrid.offset_selected_step_axis_x', 2e12)", 4, -1},
        {"SetProperty ('g:touchgrid.selected_step_axis_x_instant', 3)", 3, 900},
        {"SetProperty ('g:touchgrid.selected_step_axis_y_instant', 3)", 3, -1},   // the other axis: x as it was
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.line);
        grid->axis_x.current_offset = 450.0f;
        ASSERT_TRUE(Run(s, c.line));
        EXPECT_EQ(grid->axis_x.selected, c.selected);
        if (c.current >= 0) {
            EXPECT_FLOAT_EQ(grid->axis_x.current_offset, c.current);
        }
    }
    EXPECT_EQ(grid->axis_y.selected, 0);   // one row: step 3 is limited to 0
    EXPECT_FLOAT_EQ(grid->axis_y.current_offset, 0.0f);
    EXPECT_EQ(Eval(s, "GetProperty ('g:touchgrid.selected_step_axis_x')"), "3");
    // The offset glides to the target in frames.
    ASSERT_TRUE(Run(s, "SetProperty ('g:touchgrid.selected_step_axis_x', 1)"));
    Steps(1, 0.02f);
    const float after_one = grid->axis_x.current_offset;
    EXPECT_LT(after_one, 900.0f);
    EXPECT_GT(after_one, 300.0f);
    Steps(200, 0.02f);
    EXPECT_FLOAT_EQ(grid->axis_x.current_offset, 300.0f);
    EXPECT_EQ(Eval(s, "GetProperty ('g:touchgrid.current_offset_x')"), "300");
}

TEST_F(TouchGrid, TheWheelStepsTheRows)
{
    Grid("SetProperty ('touchgrid.num_steps_axis_y', 6)\nSetProperty ('touchgrid.selected_step_axis_y_instant', 3)\n");
    const struct {
        int delta;
        int selected;
    } cases[] = {{120, 2}, {-240, 4}, {60, 4}, {-2400, 5}, {10000, 0}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.delta);
        OVI_SendMouseWheelEvent(4, 0, c.delta, 100, 100);
        PumpFrame();
        EXPECT_EQ(grid->axis_y.selected, c.selected);
        EXPECT_FLOAT_EQ(grid->axis_y.target_offset, 200.0f * (float)c.selected);
    }
}

TEST_F(TouchGrid, AChildTapWhileGlidingIsCancelled)
{
    ProbeScreen *s = Grid("CreateComp ('Rectangle', 'child')\nSetProperty ('parent', 'g')\n"
                          "SetProperty ('position_type', 'ABSOLUTE')\nSetProperty ('position', 20, 20)\n"
                          "SetProperty ('rectangle.rect_width', 100)\nSetProperty ('rectangle.rect_height', 100)\n"
                          "SetProperty ('interactive', true)\n");
    Touch(hl::TouchPhase::Down, 60, 60);
    Touch(hl::TouchPhase::Up, 60, 60);
    EXPECT_EQ(Clicks("child"), 1);
    // While the offset glides back the child is never clicked.
    grid->axis_x.current_offset = 40.0f;
    Touch(hl::TouchPhase::Down, 30, 60);   // the child, moved left by the offset
    Touch(hl::TouchPhase::Up, 30, 60);
    EXPECT_EQ(Clicks("child"), 1);
    // The instant selection leaves nothing gliding: clicks go through.
    ASSERT_TRUE(Run(s, "SetProperty ('g:touchgrid.selected_step_axis_x_instant', 0)"));
    Touch(hl::TouchPhase::Down, 60, 60);
    Touch(hl::TouchPhase::Up, 60, 60);
    EXPECT_EQ(Clicks("child"), 2);
    // Children move by the whole offset times the scale.
    grid->axis_x.current_offset = 12.9f;
    EXPECT_FLOAT_EQ(s->GetComp("child")->GetStaticPos().x, 8.0f);
}

TEST_F(TouchGrid, AnInactiveGridSwallowsEveryEvent)
{
    ProbeScreen *s = Grid();
    ASSERT_TRUE(Run(s, "SetProperty ('g:active', false)"));
    for (int type : {(int)OV_EVENT_BUTTON_DOWN, (int)OV_EVENT_POINTER_MOVE, (int)OV_EVENT_BUTTON_UP, 4, (int)OV_EVENT_KEY_DOWN}) {
        ov_event_t ev = {};
        ev.type = type;
        ev.x = 100;
        ev.y = 100;
        EXPECT_EQ(grid->ProcessEvent(&ev), 1) << type;
    }
    EXPECT_FALSE(grid->grip);
    Drag(150, {-100});
    EXPECT_EQ(grid->axis_x.selected, 0);
    // Active again: a press off the content is not taken.
    ASSERT_TRUE(Run(s, "SetProperty ('g:active', true)"));
    ov_event_t down = {};
    down.type = OV_EVENT_BUTTON_DOWN;
    down.x = 100;
    down.y = 300;
    EXPECT_EQ(grid->ProcessEvent(&down), 0);
    down.y = 100;
    EXPECT_EQ(grid->ProcessEvent(&down), 1);
    EXPECT_TRUE(grid->grip);
}

TEST_F(TouchGrid, TheDeveloperOverlayTakesItsFontOnce)
{
    ASSERT_TRUE(CopyShippedFont("core/console.mft"));
    Grid();
    // Loaded by name first, every OV_GetFont of it takes one more reference.
    ov_font_t *font = ov->OV_LoadFont("core/console.mft");
    ASSERT_NE(font, nullptr);
    const int refs = font->refs;
    // Nothing outside developer mode; with it and the edit mode, the overlay.
    Frame();
    EXPECT_EQ(font->refs, refs);
    prog.parms.developer_mode = 1;
    sman.edit_mode = true;
    Frame();
    Frame();
    Frame();
    sman.edit_mode = false;
    prog.parms.developer_mode = 0;
    EXPECT_EQ(font->refs, refs + 1);
    EXPECT_TRUE(Near(apptest::Pixel(150, 100), {64, 64, 64, 255}, 80));   // the content, a quarter white
}

TEST_F(TouchGrid, StepsOfNoSizeAndGridsOfNoSteps)
{
    UICompTouchGrid::AxisValue a;
    a.num_steps = 5;
    a.step_size = 0.0f;
    EXPECT_EQ(a.ApplyDrag(-500.0f), 0);   // no steps of no size
    EXPECT_EQ(a.selected, 0);
    a.Select(3);
    a.current_offset = 77.0f;
    UICompTouchGrid g;
    g.axis_x = a;
    g.Update(0.02f);
    EXPECT_FLOAT_EQ(g.axis_x.current_offset, 0.0f);   // jumps to the target (3 x 0)
    UICompTouchGrid::AxisValue none;
    none.num_steps = 0;
    none.Select(2);
    EXPECT_EQ(none.selected, 0);
    none.num_steps = -4;
    none.Select(-1);
    EXPECT_EQ(none.selected, 0);
    UICompTouchGrid::AxisValue off;
    off.enabled = false;
    EXPECT_EQ(off.ApplyDrag(-100.0f), 1);
}

TEST_F(TouchGrid, PropertiesExportAndInheritance)
{
    ProbeScreen *s = Grid("SetProperty ('touchgrid.axis_y_enabled', 0)\nSetProperty ('touchgrid.num_steps_axis_y', 2.9)\n");
    EXPECT_FALSE(grid->axis_y.enabled);
    EXPECT_EQ(grid->axis_y.num_steps, 2);
    EXPECT_FLOAT_EQ(grid->width, 300.0f);
    EXPECT_FLOAT_EQ(grid->height, 200.0f);
    EXPECT_FLOAT_EQ(grid->content_height, 400.0f);
    EXPECT_EQ(Eval(s, "GetProperty ('g:touchgrid.step_size_axis_x')"), "300");
    EXPECT_EQ(Eval(s, "GetProperty ('g:touchgrid.num_steps_axis_x')"), "5");
    EXPECT_EQ(Eval(s, "GetProperty ('g:touchgrid.current_offset_y')"), "0");
    EXPECT_EQ(Eval(s, "GetProperty ('g:touchgrid.axis_x_enabled')"), "nil");
    EXPECT_TRUE(Logged("UICompTouchGrid::GetProperty: Unknown Property 'touchgrid.axis_x_enabled'"));
    ASSERT_TRUE(Run(s, "SetProperty ('g:touchgrid.Steps', 1)"));
    EXPECT_TRUE(Logged("UICompTouchGrid::SetProperty: Unknown Property 'touchgrid.Steps'"));
    ASSERT_TRUE(Run(s, "SetProperty ('g:touchgrid.step_size_axis_y', 150.6)"));
    EXPECT_EQ(Exported(grid, "touchgrid."), "SetProperty (\"touchgrid.axis_y_enabled\", 0);\n"
                                            "SetProperty (\"touchgrid.num_steps_axis_x\", 5);\n"
                                            "SetProperty (\"touchgrid.num_steps_axis_y\", 2);\n"
                                            "SetProperty (\"touchgrid.step_size_axis_x\", 300);\n"
                                            "SetProperty (\"touchgrid.step_size_axis_y\", 150);\n");
    ASSERT_TRUE(Run(s, "CreateComp ('TouchGrid', 'h')"));
    UICompTouchGrid *h = dynamic_cast<UICompTouchGrid *>(s->GetComp("h"));
    EXPECT_EQ(Exported(h, "touchgrid."), "");
    EXPECT_FALSE(h->interactive);
    EXPECT_FLOAT_EQ(h->width, 64.0f);
    EXPECT_TRUE(h->InheritFrom(grid));
    EXPECT_EQ(h->axis_x.num_steps, 5);
    EXPECT_FALSE(h->axis_y.enabled);
    EXPECT_FLOAT_EQ(h->content_width, 1500.0f);
    UIComp *copy = grid->Clone("copy");
    ASSERT_NE(dynamic_cast<UICompTouchGrid *>(copy), nullptr);
    EXPECT_FLOAT_EQ(dynamic_cast<UICompTouchGrid *>(copy)->axis_x.step_size, 300.0f);
    delete copy;
}

}  // namespace
