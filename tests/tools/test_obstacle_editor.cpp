// The obstacle editor on the headless engine: vertices by mouse and keys, the saved
// outline under the developer edits, the limits on types it cannot edit.
#include "tests/support/headless_engine.h"
#include "tools/obstacle-editor.h"

#include "app/services/dataman.h"
#include "app/services/filehelpers.h"
#include "app/ui/screen-manager.h"
#include "app/ui/ui-comps.h"
#include "app/ui/widgets/ui-textbox.h"
#include "ovrecords.h"
#include "tests/app/ui/widget_fixture.h"
#include "tests/game/game_fixture.h"
#include "tools/dev-edits.h"

#include <gtest/gtest.h>

#include <math.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <memory>

namespace {

using apptest::WriteFile;

std::string Read(const std::string &name)
{
    long size = 0;
    char *data = ReadWholeFile(name.c_str(), &size);
    if (!data)
        return "<none>";
    std::string text(data, (size_t)size);
    free(data);
    return text;
}

std::string Comp(const char *type, const char *name, int x, int y, int w = 0, int h = 0)
{
    std::string s = std::string("CreateComp('") + type + "', '" + name +
                    "')\nSetProperty('position_type', 'ABSOLUTE')\nSetProperty('position', " + std::to_string(x) +
                    ", " + std::to_string(y) + ")\n";
    if (w > 0)
        s += "SetProperty('marker.area_width', " + std::to_string(w) + ")\nSetProperty('marker.area_height', " + std::to_string(h) + ")\n";
    return s;
}

// An outline of n vertices on a circle (clockwise on screen), with hit points.
std::string Outline(int n, int hit_points = 100)
{
    std::string s = "<?xml version=\"1.0\"?>\n<root>\n<array id=\"info\"><node id=\"bitmap\" "
                    "value=\"obstacles/crate.png\" />";
    if (hit_points != 100)
        s += "<node id=\"hit_points\" value=\"" + std::to_string(hit_points) + "\" />";
    s += "</array>\n<array id=\"edges\">";
    for (int i = 0; i < n; i++) {
        double a0 = 6.2831853 * i / n, a1 = 6.2831853 * (i + 1) / n;
        char line[160];
        snprintf(line, sizeof line, "<node p0x=\"%d\" p0y=\"%d\" p1x=\"%d\" p1y=\"%d\" />", (int)(20 * cos(a0)),
                 (int)(20 * sin(a0)), (int)(20 * cos(a1)), (int)(20 * sin(a1)));
        s += line;
    }
    return s + "</array>\n</root>\n";
}

class ObstacleEditorTest : public gametest::GameTest {
protected:
    void SetUp() override
    {
        GameTest::SetUp();
        StartGame(1024, 768);
        if (HasFatalFailure())
            return;
        widgettest::InstallFonts();
        widgettest::WritePng("obstacles/crate.png", 64, 64, [](int x, int y) {
            return widgettest::Rgba{(x / 8 + y / 8) % 2 ? 150 : 110, 90, 50, 255};
        });
        WriteFile("obstacles/square.xml", Outline(4, 250));
        WriteFile("obstacles/round.xml", Outline(40));
        WriteFile("terrain/assets.xml",
                  "<?xml version=\"1.0\"?>\n<root><array id=\"obstacles\"><node obstacle=\"obstacles/square.xml\" />"
                  "<node obstacle=\"obstacles/round.xml\" /><node /></array></root>\n");
        WriteFile("ui/obstacle-editor.lua",
                  Comp("Marker", "GridLimits", 362, 234, 300, 200) + Comp("Marker", "GridCenter", 512, 334) +
                      Comp("Textbox", "Feedback", 20, 700) + Comp("Textbox", "ObstacleInfo", 20, 40) +
                      Comp("Marker", "Reset", 20, 600) + Comp("Marker", "Reload", 120, 600) +
                      Comp("Marker", "Save", 220, 600));
        editor.reset(new ScreenObstacleEditor);
        ASSERT_TRUE(editor->PreLoad());
        editor->Enter();
        editor->Update(0);
        DrawEditor();
    }
    void TearDown() override
    {
        if (editor)
            editor->FreeUI();
        editor.reset();
        ObstacleType::FreeAll();
        GameTest::TearDown();
    }
    void DrawEditor()
    {
        editor->trans_phase = 1.0f;
        apptest::draw = [this](float dt) {
            ov->OV_ClearScreen(0, 0, 0);
            editor->Draw(dt);
        };
        DrawFrame();
        apptest::draw = nullptr;
    }
    void Key(int key)
    {
        ov_event_t e{};
        e.type = OV_EVENT_KEY_DOWN;
        e.key = key;
        editor->ProcessEvent(&e);
    }
    // A button-down at the obstacle-unit point p (the grid centre plus zoom x p).
    void Press(vec2_t p, int button = OV_KEY_POINTER_BUTTON)
    {
        ov_event_t e{};
        e.type = OV_EVENT_BUTTON_DOWN;
        e.x = (int)(editor->grid_centre.x + editor->zoom * p.x);
        e.y = (int)(editor->grid_centre.y + editor->zoom * p.y);
        e.button = (uint16_t)button;
        editor->ProcessEvent(&e);
    }
    std::string Feedback() { return Text("Feedback"); }
    std::string Text(const char *comp)
    {
        UICompTextbox *box = static_cast<UICompTextbox *>(editor->GetComp(comp));
        return box ? box->GetText() : "<null>";
    }

    std::unique_ptr<ScreenObstacleEditor> editor;
};

TEST_F(ObstacleEditorTest, ChoosingAnObstacle)
{
    EXPECT_EQ(3, editor->zoom);  // GridLimits 300 x 200 over a 64 x 64 bitmap
    EXPECT_TRUE(editor->editable);
    EXPECT_EQ(4, editor->num_vertices);
    EXPECT_FLOAT_EQ(250.0f, editor->working.hit_points);
    EXPECT_EQ("1/3: 'obstacles/square.xml'\n", Text("ObstacleInfo"));
    // Forty edges cannot be edited: the editor is empty and Save refused.
    Key('A');
    EXPECT_FALSE(editor->editable);
    EXPECT_EQ(0, editor->num_vertices);
    EXPECT_EQ("Obstacle has 40 edges; only 32 can be edited", Feedback());
    EXPECT_EQ("2/3: 'obstacles/round.xml'\n", Text("ObstacleInfo"));
    Press({1, 1});
    EXPECT_EQ(0, editor->num_vertices);
    editor->ProcessUICompClick(editor->GetComp("Save"), 0);
    EXPECT_EQ("Unable to open file for saving", Feedback());
    EXPECT_EQ("<none>", Read("user://dev-edits/obstacles/round.xml"));
    // A node without a type: empty too; the end of the list clamps.
    Key('A');
    Key('A');
    EXPECT_EQ(2, editor->index);
    EXPECT_FALSE(editor->editable);
    Key('Z');
    Key('Z');
    EXPECT_EQ(0, editor->index);
    EXPECT_TRUE(editor->editable);
    EXPECT_EQ("Set previous obstacle", Feedback());
}

TEST_F(ObstacleEditorTest, VerticesByMouseAndKeys)
{
    editor->ProcessUICompClick(editor->GetComp("Reset"), 0);
    EXPECT_EQ("Obstacle edges reset", Feedback());
    EXPECT_EQ(0, editor->working.num_edges);
    Press({0, 0});
    EXPECT_EQ("Added vertex (press backspace to undo)", Feedback());
    Key(8);  // BACK with one vertex: none left, no selection
    EXPECT_EQ(0, editor->num_vertices);
    EXPECT_EQ(-1, editor->selected);
    EXPECT_EQ("Removed last vertex", Feedback());
    // A right click 2 units from two vertices selects the later one.
    Press({0, 0});
    Press({4, 0});
    Press({2, 0}, OV_KEY_POINTER_BUTTON + 1);
    EXPECT_EQ(1, editor->selected);
    EXPECT_EQ("Selected vertex", Feedback());
    Key(40);
    Key(37);
    EXPECT_FLOAT_EQ(3.0f, editor->vertices[1].x);
    EXPECT_FLOAT_EQ(1.0f, editor->vertices[1].y);
    EXPECT_EQ("Moved vertex", Feedback());
    EXPECT_FLOAT_EQ(3.0f, editor->working.edges[0].p1.x);
    // Outside the grid limits nothing is added; the 33rd vertex is ignored.
    ov_event_t outside{};
    outside.type = OV_EVENT_BUTTON_DOWN;
    outside.button = OV_KEY_POINTER_BUTTON;
    outside.x = 10;
    outside.y = 10;
    editor->ProcessEvent(&outside);
    EXPECT_EQ(2, editor->num_vertices);
    for (int i = 2; i < 40; i++)
        Press({(float)(i % 20) - 10, (float)(i / 20) * 5});
    EXPECT_EQ(32, editor->num_vertices);
    EXPECT_EQ(32, editor->working.num_edges);
    EXPECT_EQ(31, editor->selected);
    // Reload discards the edits.
    editor->ProcessUICompClick(editor->GetComp("Reload"), 0);
    EXPECT_EQ(4, editor->num_vertices);
    EXPECT_EQ("Reloaded obstacle", Feedback());
}

TEST_F(ObstacleEditorTest, SavedOutlineKeepsHitPointsAndLoads)
{
    editor->ProcessUICompClick(editor->GetComp("Reset"), 0);
    // Clockwise on screen, closing back to the first vertex; a vertex at (-2.7, 3.9)
    // is written as -2 and 3.
    for (vec2_t p : {vec2_t{-2.7f, 3.9f}, vec2_t{-2.7f, -10.0f}, vec2_t{10, -10}, vec2_t{10, 10}})
        Press(p);
    // Clicks land on whole pixels: put the exact values in.
    ASSERT_EQ(4, editor->num_vertices);
    const vec2_t exact[] = {{-2.7f, 3.9f}, {-2.7f, -10.0f}, {10, -10}, {10, 10}};
    for (int i = 0; i < 4; i++)
        editor->vertices[i] = exact[i];
    editor->TempToObstacle();
    editor->ProcessUICompClick(editor->GetComp("Save"), 0);
    EXPECT_EQ("Saved obstacle", Feedback());
    std::string saved = Read("user://dev-edits/obstacles/square.xml");
    EXPECT_NE(std::string::npos, saved.find("  <node id=\"hit_points\" value=\"250\" />\n")) << saved;
    EXPECT_NE(std::string::npos, saved.find("  <node p0x=\"-2\" p0y=\"3\"  p1x=\"-2\" p1y=\"-10\" />\n")) << saved;
    EXPECT_NE(std::string::npos, saved.find("  <node p0x=\"10\" p0y=\"10\"  p1x=\"-2\" p1y=\"3\" />\n")) << saved;
    EXPECT_NE(std::string::npos, saved.find("value=\"obstacles/crate.png\"")) << saved;

    ObstacleType loaded;
    ASSERT_EQ(1, loaded.Load("user://dev-edits/obstacles/square.xml"));
    EXPECT_FLOAT_EQ(250.0f, loaded.hit_points);
    ASSERT_EQ(4, loaded.num_edges);
    for (int i = 0; i < 4; i++) {
        const ObstacleEdge &e = loaded.edges[i];
        vec2_t mid = {(e.p0.x + e.p1.x) / 2 - 2.0f, (e.p0.y + e.p1.y) / 2};  // from inside the shape
        EXPECT_GT(mid.x * e.normal.x + mid.y * e.normal.y, 0.0f) << i;
    }
    loaded.Free();
}

TEST_F(ObstacleEditorTest, NoObstacleListLeavesTheEditorEmpty)
{
    WriteFile("terrain/assets.xml", "");
    dman().ReleaseDatabase("terrain/assets.xml");
    ScreenObstacleEditor empty_editor;
    empty_editor.Enter();
    EXPECT_EQ(nullptr, empty_editor.obstacle_list);
    for (int key : {65, 90, 8, 38}) {
        ov_event_t e{};
        e.type = OV_EVENT_KEY_DOWN;
        e.key = key;
        empty_editor.ProcessEvent(&e);
    }
    EXPECT_EQ(0, empty_editor.num_vertices);
    EXPECT_EQ(1, empty_editor.ComputeZoom());
    EXPECT_FALSE(empty_editor.SaveObstacle());
}

TEST_F(ObstacleEditorTest, Screenshot)
{
    editor->selected = 2;
    DrawEditor();
    widgettest::Frame f = widgettest::ReadFrame();
    // The selected vertex (20, 0) x 3 from the centre has its green outline.
    int x = (int)editor->grid_centre.x + 3 * (int)editor->vertices[2].x;
    int y = (int)editor->grid_centre.y + 3 * (int)editor->vertices[2].y;
    widgettest::Rgba green = f.At(x - 4, y);
    EXPECT_EQ(0, green[0]);
    EXPECT_EQ(255, green[1]);
    EXPECT_TRUE(widgettest::SavePng(f, enginetest::ShotPath("editors", "obstacle-editor.png")));
}

}  // namespace
