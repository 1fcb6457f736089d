// The gallery: one screen with a component of every one of the 19 kinds. Its export
// runs as a UI script again and exports byte for byte the same; the screen drawn on the
// headless GLES renderer shows each kind, and the picture is written as gallery.png
// beside this test program to look at.
#include "app/ui/partfx.h"
#include "app/ui/screen-manager.h"
#include "app/ui/uiset.h"
#include "app/services/dataman.h"
#include "tests/app/ui/widget_fixture.h"

#include <gtest/gtest.h>

#include <set>

namespace {

using widgettest::Rgba;

const Rgba kNine[3][3] = {
    {{230, 60, 60, 255}, {240, 240, 240, 255}, {60, 60, 230, 255}},
    {{240, 240, 240, 255}, {40, 40, 40, 255}, {240, 240, 240, 255}},
    {{60, 200, 60, 255}, {240, 240, 240, 255}, {230, 200, 40, 255}},
};

// Positions in virtual pixels (the components' positions are fractions of the screen).
const char kGallery[] =
    "local function At (x, y) SetProperty ('position', x / 800, y / 600) end\n"
    "CreateComp ('Rectangle', 'backdrop')\nAt (0, 0)\nSetProperty ('color', 0.1, 0.12, 0.2)\n"
    "SetProperty ('rectangle.rect_width', 800)\nSetProperty ('rectangle.rect_height', 600)\n"
    "CreateComp ('Textbox', 'title')\nAt (20, 10)\nSetProperty ('textbox.font', 'fonts/large.mft')\n"
    "SetProperty ('textbox.text', 'Widget gallery: \\\"all 19\\\" kinds')\n"
    "CreateComp ('Textbox', 'body')\nAt (20, 530)\nSetProperty ('textbox.font', 'fonts/small.mft')\n"
    "SetProperty ('textbox.textbox_width', 300)\nSetProperty ('color', 0.9, 0.8, 0.5)\n"
    "SetProperty ('textbox.text', 'A wrapped text box: two lines of small print under the model.')\n"
    "CreateComp ('Button', 'btn')\nAt (20, 70)\nSetProperty ('button.bm_idle', 'gfx/btn.png')\n"
    "SetProperty ('button.font', 'fonts/medium.mft')\nSetProperty ('button.text', 'Press')\n"
    "CreateComp ('Checkbox', 'check')\nAt (20, 130)\nSetProperty ('checkbox.bm_idle', 'gfx/box.png')\n"
    "SetProperty ('checkbox.bm_marker', 'gfx/tick.png')\nSetProperty ('checkbox.font', 'fonts/medium.mft')\n"
    "SetProperty ('checkbox.text', 'Option')\nSetProperty ('checkbox.value', true)\n"
    "CreateComp ('Slider', 'slider')\nAt (20, 180)\nSetProperty ('slider.bm_panel', 'gfx/bar.png')\n"
    "SetProperty ('slider.bm_full', 'gfx/barfull.png')\nSetProperty ('slider.bm_marker', 'gfx/knob.png')\n"
    "SetProperty ('slider.value', 0.6)\n"
    "CreateComp ('Editbox', 'edit')\nAt (20, 230)\nSetProperty ('editbox.bm_panel', 'gfx/btn.png')\n"
    "SetProperty ('editbox.font', 'fonts/medium.mft')\nSetProperty ('editbox.text', 'typed')\n"
    "CreateComp ('Listbox', 'list')\nAt (250, 70)\nSetProperty ('listbox.bm_frame', 'gfx/frame.png')\n"
    "SetProperty ('listbox.font', 'fonts/small.mft')\nSetProperty ('listbox.padding_left', 8)\n"
    "SetProperty ('listbox.padding_top', 6)\n"
    "AddListboxLine ('list', 'First line')\nAddListboxLine ('list', 'Second line')\nAddListboxLine ('list', 'Third line')\n"
    "CreateComp ('TouchField', 'field')\nAt (250, 300)\nSetProperty ('touchfield.area_width', 160)\n"
    "SetProperty ('touchfield.area_height', 100)\n"
    "CreateComp ('Rectangle', 'field_child')\nSetProperty ('parent', 'field')\nSetProperty ('position', 0.1, 0.1)\n"
    "SetProperty ('color', 0.3, 0.7, 0.9)\nSetProperty ('rectangle.rect_width', 60)\nSetProperty ('rectangle.rect_height', 30)\n"
    "CreateComp ('TouchGrid', 'grid')\nAt (450, 300)\nSetProperty ('touchgrid.step_size_axis_x', 100)\n"
    "SetProperty ('touchgrid.num_steps_axis_x', 3)\n"
    "CreateComp ('Image', 'grid_child')\nSetProperty ('parent', 'grid')\nSetProperty ('position', 0.1, 0.1)\n"
    "SetProperty ('image.bitmap', 'gfx/quad.png')\nSetProperty ('scale', 2)\n"
    "CreateComp ('NinePatch', 'panel')\nAt (500, 70)\nSetProperty ('pixel_filter', 'POINT')\n"
    "SetProperty ('ninepatch.bitmap', 'gfx/nine.png')\nSetProperty ('ninepatch.bitmap_client_rect', 10, 10, 20, 20)\n"
    "SetProperty ('ninepatch.client_size', 120, 60)\n"
    "CreateComp ('Image', 'pic')\nAt (680, 70)\nSetProperty ('pixel_filter', 'POINT')\n"
    "SetProperty ('image.bitmap', 'gfx/quad.png')\nSetProperty ('scale', 4)\nSetProperty ('image.anim_loop_time', 2)\n"
    "SetProperty ('image.anim_mode', 'PINGPONG')\n"
    "CreateComp ('Path', 'route')\nAt (600, 200)\nSetProperty ('path.point', 0, 0)\n"
    "SetProperty ('path.point', 80, 20)\nSetProperty ('path.point', 120, 80)\n"
    "CreateComp ('Emitter', 'sparks')\nAt (640, 470)\nSetProperty ('emitter.fx', 'fxs/gallery.lua')\n"
    "SetProperty ('emitter.time_interval', 0.2)\nSetProperty ('emitter.initial_simulation_time', 1)\n"
    "CreateComp ('Scriptable', 'script')\nAt (450, 450)\n"
    "SetProperty ('scriptable.script', 'ui/gallery_script.lua')\n"
    "CreateComp ('Ad', 'ad')\nAt (240, 440)\nSetProperty ('ad.rect_width', 320)\n"
    "SetProperty ('ad.rect_height', 50)\n"
    "CreateComp ('Model', 'cube')\nAt (150, 420)\nSetProperty ('position.z', 0.5 / 600)\n"
    "SetProperty ('model.model', 'models/diamond.xml')\n"
    "CreateComp ('Marker', 'mark')\nAt (700, 550)\nSetProperty ('marker.area_width', 40)\n"
    "CreateComp ('Ruler', 'ruler')\nAt (250, 260)\nSetProperty ('ruler.endpoint_bitmap', 'gfx/knob.png')\n"
    "SetProperty ('ruler.repeat_bitmap', 'gfx/bar.png')\nSetProperty ('ruler.client_width', 200)\n"
    "SetProperty ('ruler.client_height', 10)\n"
    "CreateComp ('Aligner', 'row')\nAt (250, 190)\nSetProperty ('aligner.area_width', 200)\n"
    "SetProperty ('aligner.area_height', 50)\n"
    "CreateComp ('Rectangle', 'row_a')\nSetProperty ('parent', 'row')\nSetProperty ('color', 0.9, 0.4, 0.2)\n"
    "SetProperty ('rectangle.rect_width', 30)\nSetProperty ('rectangle.rect_height', 30)\n"
    "CreateComp ('Rectangle', 'row_b')\nSetProperty ('parent', 'row')\nSetProperty ('color', 0.2, 0.9, 0.4)\n"
    "SetProperty ('rectangle.rect_width', 30)\nSetProperty ('rectangle.rect_height', 30)\n";

// A diamond of two triangles each way (drawn whatever the culling).
std::string DiamondModel()
{
    std::string s = "<?xml version=\"1.0\"?>\n<root>\n <array id=\"SURFACES\">\n"
                    "  <node id=\"0\" texture=\"gfx/white.png\" />\n </array>\n <array id=\"SURFACE_0_VERTICES\">\n"
                    "  <node x=\"0\" y=\"-40\" z=\"0\" />\n  <node x=\"40\" y=\"0\" z=\"0\" />\n"
                    "  <node x=\"0\" y=\"40\" z=\"0\" />\n  <node x=\"-40\" y=\"0\" z=\"0\" />\n"
                    " </array>\n <array id=\"SURFACE_0_INDICES\">\n";
    for (int i : {0, 1, 2, 0, 2, 3, 0, 2, 1, 0, 3, 2})
        s += "  <node i=\"" + std::to_string(i) + "\" />\n";
    return s + " </array>\n</root>\n";
}

class Gallery : public comptest::CompTest {
protected:
    void SetUp() override
    {
        CompTest::SetUp();
        StartUI();
        pbman.Init();
        widgettest::InstallFonts();
        auto solid = [](Rgba c) { return [c](int, int) { return c; }; };
        widgettest::WritePng("gfx/btn.png", 140, 40, [](int x, int y) {
            const bool edge = x < 2 || y < 2 || x >= 138 || y >= 38;
            return edge ? Rgba{200, 200, 220, 255} : Rgba{70, 80, 120, 255};
        });
        widgettest::WritePng("gfx/box.png", 24, 24, solid({200, 200, 200, 255}));
        widgettest::WritePng("gfx/tick.png", 24, 24, [](int x, int y) {
            return std::abs(x - y) < 3 || std::abs(x + y - 23) < 3 ? Rgba{20, 160, 20, 255} : Rgba{0, 0, 0, 0};
        });
        widgettest::WritePng("gfx/bar.png", 16, 8, solid({120, 120, 140, 255}));
        widgettest::WritePng("gfx/barfull.png", 16, 8, solid({240, 160, 40, 255}));
        widgettest::WritePng("gfx/knob.png", 12, 16, solid({250, 250, 250, 255}));
        widgettest::WritePng("gfx/frame.png", 180, 120, [](int x, int y) {
            const bool edge = x < 3 || y < 3 || x >= 177 || y >= 117;
            return edge ? Rgba{180, 180, 200, 255} : Rgba{30, 30, 50, 255};
        });
        widgettest::WritePng("gfx/quad.png", 16, 16, [](int x, int y) {
            const bool right = x >= 8, bottom = y >= 8;
            return !right && !bottom ? Rgba{255, 0, 0, 255}
                   : right && !bottom ? Rgba{0, 255, 0, 255}
                   : !right           ? Rgba{0, 0, 255, 255}
                                      : Rgba{255, 255, 255, 255};
        });
        widgettest::WritePng("gfx/nine.png", 30, 30, [](int x, int y) { return kNine[y / 10][x / 10]; });
        widgettest::WritePng("gfx/white.png", 4, 4, solid({255, 255, 255, 255}));
        widgettest::WritePng("fxs/spark.png", 6, 6, solid({255, 220, 120, 255}));
        apptest::WriteFile("fxs/gallery.lua", "FXParm ('num_parts', 4)\nFXParm ('bitmap', 'fxs/spark.png')\n"
                                              "FXParm ('age_to_die', 1, 1.5)\nFXParm ('speed', 30, 60)\n"
                                              "FXParm ('move_angle', -90)\nFXParm ('move_angle_spread', 60)\n"
                                              "FXParm ('mass', 0, 0)\n");
        apptest::WriteFile("ui/gallery_script.lua", "function OnDraw (x, y)\n OV_SetColor (1, 0.5, 1)\n"
                                                    " OV_DrawRect (x, y, 40, 40)\n OV_SetColor (1, 1, 1)\nend\n");
        apptest::WriteFile("models/diamond.xml", DiamondModel());
    }
    void TearDown() override
    {
        pbman.Shutdown();
        CompTest::TearDown();
        dman().ReleaseAllDatabases();
    }
    // Every component's script lines, in set order.
    static std::string ExportAll(Screen *s)
    {
        std::string out;
        for (int i = 0; i < s->ui->GetNumberOfComps(); i++)
            out += widgettest::Export(s->ui->GetCompByIndex(i));
        return out;
    }
};

TEST_F(Gallery, EveryKindExportsRunsAndExportsTheSame)
{
    Screen *s = MakeScreen("Gallery", kGallery);
    ASSERT_NE(s->ui, nullptr);
    std::set<int> kinds;
    for (int i = 0; i < s->ui->GetNumberOfComps(); i++)
        kinds.insert(s->ui->GetCompByIndex(i)->type);
    EXPECT_EQ(kinds.size(), 19u);
    EXPECT_EQ(kinds.count(UICOMP_UNKNOWN), 0u);

    const std::string first = ExportAll(s);
    for (const char *kind : {"Button", "Slider", "Editbox", "Checkbox", "Listbox", "Path", "Emitter", "Scriptable",
                             "TouchField", "TouchGrid", "NinePatch", "Textbox", "Rectangle", "Image", "Marker",
                             "Ruler", "Ad", "Model", "Aligner"})
        EXPECT_NE(first.find(std::string("CreateComp (\"") + kind + "\""), std::string::npos) << kind;
    Screen *again = MakeScreen("GalleryAgain", first);
    ASSERT_EQ(again->ui->GetNumberOfComps(), s->ui->GetNumberOfComps());
    const std::string second = ExportAll(again);
    EXPECT_EQ(second, first);
    Screen *third = MakeScreen("GalleryThird", second);
    EXPECT_EQ(ExportAll(third), second);
}

TEST_F(Gallery, TheScreenShowsEveryKind)
{
    Screen *s = MakeScreen("Shown", kGallery);
    sman.PushScreen(s, 0);
    s->trans_phase = 1.0f;
    for (int i = 0; i < s->ui->GetNumberOfComps(); i++) {
        UIComp *c = s->ui->GetCompByIndex(i);
        c->fading_akey = 1.0f;
        c->Update(0.0f);
    }
    apptest::draw = [s](float) {
        ov->OV_ClearScreen(0, 0, 0);
        s->DrawUI();
    };
    DrawFrame();
    const widgettest::Frame f = widgettest::ReadFrame();
    ASSERT_TRUE(widgettest::SavePng(f, ORVEX_GALLERY_PNG));
    const struct {
        const char *what;
        int x, y;
        Rgba rgba;
    } spots[] = {
        {"backdrop", 790, 590, {25, 30, 51, 255}},
        {"nine-patch top-left corner", 505, 75, kNine[0][0]},
        {"nine-patch stretched centre", 560, 110, kNine[1][1]},
        {"nine-patch bottom-right corner", 635, 145, kNine[2][2]},   // 10 + 120 + 10 wide, 80 high
        {"image, red quadrant at scale 4", 690, 80, {255, 0, 0, 255}},
        {"image, white quadrant", 740, 130, {255, 255, 255, 255}},
        {"scriptable's OnDraw", 470, 470, {255, 127, 255, 255}},
        {"model, white diamond", 150, 420, {255, 255, 255, 255}},
        {"button plate", 30, 100, {70, 80, 120, 255}},
    };
    for (const auto &spot : spots) {
        SCOPED_TRACE(spot.what);
        const Rgba p = f.At(spot.x, spot.y);
        EXPECT_NEAR(p[0], spot.rgba[0], 2);
        EXPECT_NEAR(p[1], spot.rgba[1], 2);
        EXPECT_NEAR(p[2], spot.rgba[2], 2);
    }
    // Text of the title and the wrapped text box is lit.
    auto lit = [](const Rgba &p) { return p[0] > 150 && p[1] > 150; };
    const std::array<int, 4> title = widgettest::LitBox(f, 0, 0, 799, 60, lit);
    EXPECT_GE(title[0], 18);
    EXPECT_GT(title[2] - title[0], 200);
    const std::array<int, 4> body = widgettest::LitBox(f, 10, 520, 400, 599, lit);
    EXPECT_GT(body[3] - body[1], 20);   // two lines
    // The emitter's particles are in the air above it.
    const std::array<int, 4> sparks =
        widgettest::LitBox(f, 560, 350, 720, 480, [](const Rgba &p) { return p[0] > 150 && p[1] > 100 && p[2] < 200; });
    EXPECT_GE(sparks[0], 0);
    sman.PopScreen(s, false);
}

}  // namespace
