// The level editor on the headless engine with a world: keys, clicks, the exported
// terrain file byte for byte, import, and the fixed export file without a chooser.
#include "tests/support/headless_engine.h"
#include "tools/level-editor.h"

#include "app/services/dataman.h"
#include "app/services/filehelpers.h"
#include "app/ui/screen-manager.h"
#include "app/ui/ui-comps.h"
#include "ovrecords.h"
#include "platform/headless.h"
#include "tests/app/ui/widget_fixture.h"
#include "tests/game/game_fixture.h"
#include "tools/dev-edits.h"

#include <gtest/gtest.h>

#include <stdlib.h>
#include <sys/stat.h>

#include <memory>

namespace {

using apptest::Logged;
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

std::string Marker(const char *name, int x, int y)
{
    return std::string("CreateComp('Marker', '") + name +
           "')\nSetProperty('position_type', 'ABSOLUTE')\nSetProperty('position', " + std::to_string(x) + ", " +
           std::to_string(y) + ")\n";
}

const char kAssets[] =
    "<?xml version=\"1.0\"?>\n<root>\n"
    "<array id=\"backgrounds\"><node bitmap=\"terrain/bg-a.png\" /><node bitmap=\"terrain/bg-b.png\" />"
    "<node bitmap=\"terrain/bg-c.png\" /></array>\n"
    "<array id=\"decals\"><node bitmap=\"decals/crack.png\" a=\"0.5\" angle=\"90\" />"
    "<node bitmap=\"decals/glow.png\" blend_mode=\"ADDITIVE\" scale=\"2\" /></array>\n"
    "<array id=\"obstacles\"><node obstacle=\"obstacles/rock.xml\" /><node /></array>\n"
    "</root>\n";

const char kRock[] =
    "<?xml version=\"1.0\"?>\n<root>\n<array id=\"info\"><node id=\"bitmap\" value=\"obstacles/rock.png\" />"
    "</array>\n<array id=\"edges\"><node p0x=\"-10\" p0y=\"-10\" p1x=\"10\" p1y=\"-10\" />"
    "<node p0x=\"10\" p0y=\"-10\" p1x=\"10\" p1y=\"10\" /><node p0x=\"10\" p0y=\"10\" p1x=\"-10\" p1y=\"10\" />"
    "<node p0x=\"-10\" p0y=\"10\" p1x=\"-10\" p1y=\"-10\" /></array>\n</root>\n";

widgettest::Rgba Solid(int r, int g, int b)
{
    return {r, g, b, 255};
}

class LevelEditorTest : public gametest::GameTest {
protected:
    void SetUp() override
    {
        GameTest::SetUp();
        StartGame(1024, 768);
        if (HasFatalFailure())
            return;
        widgettest::InstallFonts();
        const struct {
            const char *name;
            int size;
            widgettest::Rgba colour;
        } pictures[] = {
            {"terrain/bg-a.png", 1024, Solid(40, 60, 40)},  {"terrain/bg-b.png", 64, Solid(90, 70, 40)},
            {"terrain/bg-c.png", 64, Solid(20, 20, 90)},    {"decals/crack.png", 48, Solid(200, 40, 40)},
            {"decals/glow.png", 32, Solid(40, 200, 200)},   {"obstacles/rock.png", 40, Solid(128, 128, 128)},
            {"bunker/bunker-0001.png", 64, Solid(220, 200, 60)},
        };
        for (const auto &p : pictures) {
            widgettest::Rgba c = p.colour;
            widgettest::WritePng(p.name, p.size, p.name[0] == 't' ? 768 * p.size / 1024 : p.size,
                                 [c](int, int) { return c; });
        }
        WriteFile("obstacles/rock.xml", kRock);
        WriteFile("terrain/assets.xml", kAssets);
        WriteFile("ui/level-editor.lua", Marker("panel", 0, 600) + Marker("mode", 900, 620) +
                                             Marker("Save", 20, 650) + Marker("Load", 120, 650) +
                                             Marker("Switch", 220, 650) + Marker("New", 320, 650));
        MakeWorld();
        editor.reset(new ScreenLevelEditor);
        ASSERT_TRUE(editor->PreLoad());
        editor->Enter();
    }
    void TearDown() override
    {
        if (editor)
            editor->FreeUI();
        editor.reset();
        ovdev::headless::clear_answers();
        GameTest::TearDown();
    }
    void Key(int key)
    {
        ov_event_t e{};
        e.type = OV_EVENT_KEY_DOWN;
        e.key = key;
        editor->ProcessEvent(&e);
    }
    void Press(int x, int y)
    {
        ov_event_t e{};
        e.type = OV_EVENT_BUTTON_DOWN;
        e.x = x;
        e.y = y;
        editor->ProcessEvent(&e);
    }
    void Click(const char *name)
    {
        UIComp *comp = editor->GetComp(name);
        ASSERT_NE(comp, nullptr) << name;
        editor->ProcessUICompClick(comp, 0);
    }
    // One frame of the editor with the pointer at (x, y).
    void DrawAt(float x, float y)
    {
        ov->OV_SetKeyStatef(OV_KEY_POINTER_X, x);
        ov->OV_SetKeyStatef(OV_KEY_POINTER_Y, y);
        apptest::draw = [this](float dt) {
            ov->OV_ClearScreen(0, 0, 0);
            editor->Draw(dt);
        };
        DrawFrame();
        apptest::draw = nullptr;
    }
    std::string Exported() { return Read(DevEditPath(ScreenLevelEditor::kExportName)); }

    std::unique_ptr<ScreenLevelEditor> editor;
};

const char kHead[] =
    "<?xml version=\"1.0\" encoding=\"iso-8859-1\"?>\n"
    "<root>\n"
    "\t<array id=\"environment\">\n"
    "\t\t<node id=\"background\" value=\"terrain/bg-a.png\" />\n"
    "\t\t<node id=\"bunker\" x=\"512\" y=\"384\" />\n"
    "\t</array>\n\n"
    "\t<array id=\"environment_decals\">\n";

TEST_F(LevelEditorTest, EnterChoosesTheFirstAssets)
{
    EXPECT_EQ(3, editor->backgrounds->GetSize());
    ASSERT_NE(editor->background, nullptr);
    EXPECT_STREQ("terrain/bg-a.png", editor->background->name);
    ASSERT_NE(editor->brush.bitmap, nullptr);
    EXPECT_STREQ("decals/crack.png", editor->brush.bitmap->name);
    EXPECT_FLOAT_EQ(0.5f, editor->brush.a);
    EXPECT_NEAR(1.5707963f, editor->brush.angle, 1e-6);
    ASSERT_NE(editor->preview.type, nullptr);
    EXPECT_STREQ("obstacles/rock.xml", editor->preview.type->name);
    EXPECT_EQ(ScreenLevelEditor::MODE_DECALS, editor->mode);
}

TEST_F(LevelEditorTest, EdgeCasesAreWrittenByteExact)
{
    // Nothing placed: both empty arrays.
    Key('S');
    EXPECT_EQ(std::string(kHead) + "\t</array>\n\n\t<array id=\"obstacles\">\n\t</array>\n\n</root>\n", Exported());
    EXPECT_TRUE(Logged("Exporting terrain...\n"));

    Key(27);  // the panel hides: a click anywhere places
    editor->brush.x = 10.9f;
    editor->brush.y = 20.0f;
    editor->brush.angle = 0.5f;
    editor->brush.a = 1.0f;
    Press(10, 700);
    editor->brush.x = -0.5f;
    editor->brush.y = 5.0f;
    editor->brush.angle = 0.0f;
    Key('I');  // additive
    Press(10, 700);
    Key('M');
    DrawAt(300, 200);
    Press(300, 200);
    Key('S');
    EXPECT_EQ(std::string(kHead) +
                  "\t\t<node bitmap=\"decals/crack.png\" x=\"10\" y=\"20\" angle=\"28.65\" scale=\"1\" r=\"1\" "
                  "g=\"1\" b=\"1\" a=\"1\"  />\n"
                  "\t\t<node bitmap=\"decals/crack.png\" x=\"0\" y=\"5\" angle=\"0.00\" scale=\"1\" r=\"1\" g=\"1\" "
                  "b=\"1\" a=\"1\" blend_mode=\"ADDITIVE\" />\n"
                  "\t</array>\n\n\t<array id=\"obstacles\">\n"
                  "\t\t<node obstacle=\"obstacles/rock.xml\" x=\"300\" y=\"200\" angle=\"0\" scale=\"1\" />\n"
                  "\t</array>\n\n</root>\n",
              Exported());
}

TEST_F(LevelEditorTest, KeysAtTheEnds)
{
    Key(8);  // BACK with nothing placed
    EXPECT_EQ(0, editor->decals.Count());
    Key('5');  // three backgrounds: the third
    EXPECT_EQ(2, editor->background_index);
    EXPECT_STREQ("terrain/bg-c.png", editor->background->name);
    Key('A');
    EXPECT_EQ(0, editor->decal_index);
    Key('Z');
    Key('Z');
    EXPECT_EQ(1, editor->decal_index);
    EXPECT_EQ(1, editor->brush.blend);
    EXPECT_FLOAT_EQ(2.0f, editor->brush.scale);
    Key('M');
    Key('Z');  // the second obstacle node names no type: nothing to place
    EXPECT_EQ(1, editor->obstacle_index);
    EXPECT_EQ(nullptr, editor->preview.type);
    Key(27);
    Press(100, 100);
    EXPECT_EQ(0, editor->obstacles.Count());
    Key('A');
    Press(100, 100);
    EXPECT_EQ(1, editor->obstacles.Count());
    Key(8);
    Key(8);
    EXPECT_EQ(0, editor->obstacles.Count());
    // Below the panel's top with the panel shown nothing is placed; above it, it is.
    Key(27);
    Key('M');
    Press(100, 650);
    EXPECT_EQ(0, editor->decals.Count());
    Press(100, 500);
    EXPECT_EQ(1, editor->decals.Count());
    // Arrows move the placement offset; B puts the bunker at the pointer.
    Key(37);
    Key(40);
    EXPECT_FLOAT_EQ(-1.0f, editor->offset.x);
    EXPECT_FLOAT_EQ(1.0f, editor->offset.y);
    ov_event_t move{};
    move.type = OV_EVENT_POINTER_MOVE;
    move.x = 123;
    move.y = 45;
    editor->ProcessEvent(&move);
    Key('B');
    EXPECT_FLOAT_EQ(123.0f, editor->bunker.x);
    EXPECT_FLOAT_EQ(45.0f, editor->bunker.y);
}

TEST_F(LevelEditorTest, WheelAndHeldKeysTurnAndScale)
{
    float angle = editor->brush.angle;
    ov_event_t wheel{};
    wheel.type = 4;
    wheel.wheel = 240;
    editor->ProcessEvent(&wheel);
    EXPECT_NEAR(angle - 2 * 3.1415927f * 0.0625f, editor->brush.angle, 1e-5);
    angle = editor->brush.angle;
    ov->OV_SetKeyStatef('C', 1.0f);
    ov->OV_SetKeyStatef('V', 1.0f);
    editor->Update(0.5f);
    ov->OV_SetKeyStatef('C', 0.0f);
    ov->OV_SetKeyStatef('V', 0.0f);
    EXPECT_NEAR(angle + 0.05f, editor->brush.angle, 1e-5);
    EXPECT_NEAR(1.125f, editor->brush.scale, 1e-5);
    // In obstacle mode the preview turns instead.
    Key('M');
    editor->ProcessEvent(&wheel);
    EXPECT_NEAR(-2 * 3.1415927f * 0.0625f, editor->preview.angle, 1e-5);
}

TEST_F(LevelEditorTest, ImportTakesTheDefaults)
{
    WriteFile("levels/partial.xml",
              "<?xml version=\"1.0\"?>\n<root><array id=\"environment_decals\"><node bitmap=\"decals/glow.png\" "
              "y=\"50\" /></array><array id=\"obstacles\"><node obstacle=\"obstacles/rock.xml\" scale=\"2\" />"
              "</array></root>\n");
    ASSERT_TRUE(editor->ImportTerrain("levels/partial.xml"));
    ASSERT_EQ(1, editor->decals.Count());
    EXPECT_FLOAT_EQ(100.0f, editor->decals[0].x);
    EXPECT_FLOAT_EQ(50.0f, editor->decals[0].y);
    EXPECT_FLOAT_EQ(1.0f, editor->decals[0].a);
    EXPECT_EQ(0, editor->decals[0].blend);
    ASSERT_EQ(1, editor->obstacles.Count());
    EXPECT_FLOAT_EQ(100.0f, editor->obstacles[0]->pos.x);
    EXPECT_FLOAT_EQ(2.0f, editor->obstacles[0]->scale);
    EXPECT_FLOAT_EQ(200.0f, editor->bunker.x);
    EXPECT_STREQ("terrain/bg-a.png", editor->background->name);  // no background node: kept
}

TEST_F(LevelEditorTest, ExportThenImportWithoutAChooserRestoresTheItems)
{
    Key(27);
    editor->brush.x = 40;
    editor->brush.y = 60;
    Press(1, 1);
    Key('M');
    DrawAt(500, 300);
    Press(500, 300);
    editor->bunker = {700, 500};
    Click("Save");  // no chooser reply: the fixed export file
    std::string saved = Exported();
    ASSERT_NE("<none>", saved);
    Click("New");
    EXPECT_EQ(0, editor->decals.Count());
    EXPECT_EQ(0, editor->obstacles.Count());
    editor->bunker = {0, 0};
    Click("Load");
    ASSERT_EQ(1, editor->decals.Count());
    EXPECT_FLOAT_EQ(40.0f, editor->decals[0].x);
    ASSERT_EQ(1, editor->obstacles.Count());
    EXPECT_FLOAT_EQ(500.0f, editor->obstacles[0]->pos.x);
    EXPECT_FLOAT_EQ(700.0f, editor->bunker.x);
    // The same again through L gives the same file.
    Key('L');
    Key('S');
    EXPECT_EQ(saved, Exported());
}

TEST_F(LevelEditorTest, ChosenPaths)
{
    Key(27);
    Press(1, 1);
    ovdev::headless::set_answer("SaveFileDialog", "proj\\data\\levels\\mine.xml");
    Click("Save");
    std::string mine = Read("user://dev-edits/levels/mine.xml");
    EXPECT_NE(std::string::npos, mine.find("decals/crack.png")) << mine;
    EXPECT_TRUE(Logged("Selected 'proj\\data\\levels\\mine.xml'\n"));

    ovdev::headless::set_answer("SaveFileDialog", "/tmp/elsewhere.xml");
    Click("Save");
    EXPECT_TRUE(Logged("The file needs to be located under 'data/' directory."));
    EXPECT_TRUE(Logged("This isn't: '/tmp/elsewhere.xml'"));
    EXPECT_EQ("<none>", Read("user://dev-edits/elsewhere.xml"));

    // A name that climbs out of the edits folder is refused, never written.
    ovdev::headless::set_answer("SaveFileDialog", "data/../../escape.xml");
    Click("Save");
    EXPECT_TRUE(Logged("Unable to save to file"));

    WriteFile("levels/two.xml", "<?xml version=\"1.0\"?>\n<root><array id=\"environment_decals\"><node /><node />"
                                "</array></root>\n");
    ovdev::headless::set_answer("OpenFileDialog", "D:/game/data/levels/two.xml");
    Click("Load");
    EXPECT_EQ(2, editor->decals.Count());
}

TEST_F(LevelEditorTest, AFailedImportKeepsTheItems)
{
    Key(27);
    Press(1, 1);
    Press(2, 2);
    WriteFile("levels/waves-only.xml", "<?xml version=\"1.0\"?>\n<root><array id=\"waves\"><node /></array></root>\n");
    for (const char *name : {"levels/no-such-level.xml", "levels/waves-only.xml"}) {
        EXPECT_FALSE(editor->ImportTerrain(name)) << name;
        EXPECT_EQ(2, editor->decals.Count()) << name;
    }
}

TEST_F(LevelEditorTest, ImportingTheRunningLevelLeavesItsDatabaseAlone)
{
    // The battle's level is the registry's database; the import must not free it.
    WriteFile("levels/battle.xml",
              "<?xml version=\"1.0\"?>\n<root><array id=\"environment\"><node id=\"bunker\" x=\"300\" y=\"320\" />"
              "</array><array id=\"obstacles\"><node obstacle=\"obstacles/rock.xml\" x=\"400\" y=\"300\" />"
              "</array><array id=\"waves\"><node type=\"SPAWN\" /></array></root>\n");
    DMDatabase *level = dman().GetDatabase("levels/battle.xml");
    ASSERT_TRUE(editor->ImportTerrain("levels/battle.xml"));
    EXPECT_EQ(level, dman().GetDatabase("levels/battle.xml"));
    EXPECT_STREQ("SPAWN", level->GetValue("waves", 0, "type"));
    EXPECT_EQ(1, level->GetArraySize("obstacles"));
    EXPECT_EQ(1, editor->obstacles.Count());
    // And the world goes on with it: a second update and draw of the world.
    world->Update(0.016f);
    DrawFrame();
}

TEST_F(LevelEditorTest, EmptyAssetsFileSelectsNothing)
{
    WriteFile("terrain/assets.xml", "");
    dman().ReleaseDatabase("terrain/assets.xml");
    ScreenLevelEditor empty_editor;
    empty_editor.Enter();
    EXPECT_EQ(nullptr, empty_editor.backgrounds);
    EXPECT_EQ(nullptr, empty_editor.background);
    EXPECT_EQ(nullptr, empty_editor.preview.type);
    ov_event_t e{};
    e.type = OV_EVENT_KEY_DOWN;
    for (int key : {65, 90, 51, 77, 65, 90, 8}) {
        e.key = key;
        empty_editor.ProcessEvent(&e);
    }
    e.type = OV_EVENT_BUTTON_DOWN;
    empty_editor.ProcessEvent(&e);
    EXPECT_EQ(0, empty_editor.obstacles.Count());
    apptest::draw = [&](float dt) { empty_editor.Draw(dt); };
    DrawFrame();
    apptest::draw = nullptr;
}

// A picture of the editor to look at (the shots folder, editors/).
TEST_F(LevelEditorTest, Screenshot)
{
    Key(27);
    for (int i = 0; i < 3; i++) {
        editor->brush.x = 200.0f + 150 * i;
        editor->brush.y = 250.0f;
        editor->brush.angle = 0.4f * i;
        Press(1, 1);
    }
    Key('M');
    DrawAt(600, 450);
    Press(600, 450);
    Key(27);
    DrawAt(300, 420);
    widgettest::Frame f = widgettest::ReadFrame();
    widgettest::Rgba ground = f.At(5, 300);
    EXPECT_EQ(40, ground[0]);
    EXPECT_EQ(60, ground[1]);
    widgettest::Rgba rock = f.At(600, 450);
    EXPECT_EQ(128, rock[0]);
    widgettest::Rgba pad = f.At(512, 384);
    EXPECT_EQ(220, pad[0]);
    // With key 112 held, the help box over the ground.
    ov->OV_SetKeyStatef(112, 1.0f);
    DrawAt(300, 420);
    ov->OV_SetKeyStatef(112, 0.0f);
    widgettest::Frame help = widgettest::ReadFrame();
    widgettest::Rgba boxed = help.At(105, 700 - 105);
    EXPECT_LT(boxed[1], 20);  // 0.8 black over (40, 60, 40)
    EXPECT_GT(boxed[1], 5);
    EXPECT_TRUE(widgettest::SavePng(f, enginetest::ShotPath("editors", "level-editor.png")));
    EXPECT_TRUE(widgettest::SavePng(help, enginetest::ShotPath("editors", "level-editor-help.png")));
}

}  // namespace
