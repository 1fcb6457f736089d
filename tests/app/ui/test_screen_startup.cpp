// Start-up: the virtual screen's scales, centring and point transform, the reference
// size, templates from the scripts and the generated defaults, and a second start in
// the same process.
#include "tests/app/ui/ui_fixture.h"

#include "app/services/luaman.h"
#include "app/services/prog.h"
#include "app/ui/transition.h"
#include "app/ui/ui-factory.h"
#include "app/ui/widgets/ui-textbox.h"

using namespace uitest;

namespace {

class Startup : public UITest {};

}  // namespace

TEST_F(Startup, ScalesOfTheVirtualScreen)
{
    StartUI(320, 240, 800, 600);
    struct Case {
        int w, h;
        int vw, vh;
        float sx, sy, fit, cover;
    } cases[] = {
        {800, 600, 800, 600, 1.0f, 1.0f, 1.0f, 1.0f},
        {1024, 600, 1024, 600, 1.28f, 1.0f, 1.0f, 1.2825f},
        {0, 0, 16, 16, 0.02f, 16.0f / 600.0f, 0.02f, 18.0f / 600.0f},
        {400, 300, 400, 300, 0.5f, 0.5f, 0.5f, 302.0f / 600.0f},
    };
    for (const Case &k : cases) {
        SCOPED_TRACE(testing::Message() << k.w << " x " << k.h);
        sman.SetVirtualScreenDimensions(k.w, k.h);
        EXPECT_EQ(sman.virtual_width, k.vw);
        EXPECT_EQ(sman.virtual_height, k.vh);
        EXPECT_FLOAT_EQ(sman.reference_scale_x, k.sx);
        EXPECT_FLOAT_EQ(sman.reference_scale_y, k.sy);
        EXPECT_FLOAT_EQ(sman.reference_scale_min, k.fit);
        EXPECT_FLOAT_EQ(sman.reference_scale, k.cover);
    }
}

TEST_F(Startup, CentringAndThePointTransform)
{
    StartUI(320, 240, 800, 600);
    prog.parms.width = 1024;
    prog.parms.height = 600;
    sman.center_virtual_screen = true;
    sman.SetVirtualScreenDimensions(800, 600);
    EXPECT_EQ(sman.virtual_x, 112.0f);
    EXPECT_EQ(sman.virtual_y, 0.0f);
    sman.center_virtual_screen = false;
    sman.SetVirtualScreenDimensions(1598, 1198);
    EXPECT_FLOAT_EQ(sman.reference_scale, 2.0f);
    vec2_t p = sman.TransformPointToVirtualScreen(vec2_t{10, 20});
    EXPECT_FLOAT_EQ(p.x, 20.0f);
    EXPECT_FLOAT_EQ(p.y, 40.0f);
    prog.parms.width = 320;
    prog.parms.height = 240;
}

TEST_F(Startup, NoReferenceResolutionKeeps800By600)
{
    StartUI(320, 240, 0, 0);
    EXPECT_EQ(sman.reference_width, 800);
    EXPECT_EQ(sman.reference_height, 600);
    EXPECT_FLOAT_EQ(sman.reference_scale_x, 0.4f);
    EXPECT_EQ(sman.virtual_width, 320);
    EXPECT_TRUE(sman.touch_mode);
}

TEST_F(Startup, TemplatesFromTheScriptsAndGeneratedDefaults)
{
    apptest::WriteFile("ui/templates.lua", "CreateComp('Rectangle', 'DefaultRectangle')\n"
                                           "SetProperty('alpha', 0.5)\n"
                                           "CreateComp('Rectangle', 'RedBox')\n");
    apptest::WriteFile("ui/autoexec.lua", "CreateComp('Marker', 'FromAutoexec')\n");
    StartUI();
    ASSERT_NE(sman.templates, nullptr);
    EXPECT_EQ(sman.templates->owner, nullptr);
    UIComp *rect = sman.GetCompTemplate("defaultrectangle");
    ASSERT_NE(rect, nullptr);
    EXPECT_FLOAT_EQ(rect->alpha, 0.5f) << "the script's own default is kept";
    EXPECT_FLOAT_EQ(sman.GetCompTemplate("RedBox")->alpha, 0.5f) << "and inherited by later rectangles";
    EXPECT_NE(sman.GetCompTemplate("FromAutoexec"), nullptr);
    int defaults = 0;
    for (int type = 0; type < UICOMP_NUM_TYPES; type++) {
        std::string name = std::string("Default") + UIComp::GetCompTypeString(type);
        UIComp *t = sman.GetCompTemplate(name.c_str());
        EXPECT_EQ(t != nullptr, UICompFactory::KindExists(type)) << name;
        if (t) {
            defaults++;
            EXPECT_EQ(t->type, type) << name;
        }
    }
    EXPECT_GE(defaults, 5);
    EXPECT_EQ(sman.GetCompTemplate(nullptr), nullptr);
    EXPECT_FALSE(apptest::Logged("Unknown component type"));
}

TEST_F(Startup, TheDefaultFontIsTheDefaultTextBoxFont)
{
    // Lists and other text drawn without a component of its own use it.
    apptest::WriteFile("ui/templates.lua", "CreateComp('Textbox', 'DefaultTextbox')\n"
                                           "SetProperty('textbox.font', 'fonts/medium.mft')\n");
    StartUI();
    UIComp *t = sman.GetCompTemplate("DefaultTextbox");
    ASSERT_NE(t, nullptr);
    ov_font_t *font = static_cast<UICompTextbox *>(t)->font;
    ASSERT_NE(font, nullptr) << "the fixture's font loads";
    EXPECT_EQ(sman.default_font, font);
}

TEST_F(Startup, ASecondStartBeginsAfresh)
{
    StartUI();
    ProbeScreen *s = MakeScreen("Kept");
    sman.PushScreen(s, 0);
    sman.CreateScreenScripted("MadeByScript", "");
    UISet *first = sman.templates;
    sman.cursors[0].pressed = true;
    sman.time_ms = 5000;
    sman.Release();
    EXPECT_EQ(sman.stack.Count(), 0);
    EXPECT_EQ(sman.templates, nullptr);
    EXPECT_EQ(Screen::PeekScreen("MadeByScript"), nullptr) << "screens made by scripts go";
    EXPECT_EQ(Screen::PeekScreen("Kept"), s);
    EXPECT_EQ(Screen::PeekScreen("Transition"), &screen_transition) << "the program's own screens stay";
    EXPECT_FALSE(sman.cursors[0].pressed);
    EXPECT_EQ(sman.time_ms, 0);
    sman.InitScreens(320, 240);
    EXPECT_NE(sman.templates, nullptr);
    (void)first;
}
