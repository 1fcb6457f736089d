// The button: its properties (set, read, exported), inheritance and clones, sizes from
// bitmaps, icon and text, the dynamic text scale, the 95 % shrink, escapes in labels,
// the dynamic-text message, and its looks and clicks on the headless GLES renderer
// with touches and pointer moves from the headless device.
#include "tests/app/ui/input_widgets_fixture.h"

#include "app/services/prog.h"
#include "app/ui/widgets/ui-button.h"
#include "ovrecords.h"

#include <stdio.h>
#include <stdlib.h>

#include <fstream>
#include <sstream>

using namespace wtest;
using uitest::ProbeScreen;
using apptest::Logged;
using apptest::Pixel;

namespace {

const Rgba kRed = {255, 0, 0, 255}, kGreen = {0, 255, 0, 255}, kBlue = {0, 0, 255, 255},
           kBlack = {0, 0, 0, 255}, kWhite = {255, 255, 255, 255};

// A button at (100, 100) with the given extra script lines.
std::string ButtonAt100(const std::string &more)
{
    return "CreateComp ('Button', 'b')\nSetProperty ('position_type', 'ABSOLUTE')\n"
           "SetProperty ('position', 100, 100)\n" + more;
}

// The lines a component's export writes that name the prefix.
std::string ExportedLines(UIComp *c, const char *prefix)
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

std::string WholeExport(UIComp *c)
{
    FILE *f = tmpfile();
    c->ExportLua(f);
    rewind(f);
    std::string out;
    char line[1024];
    while (fgets(line, sizeof line, f))
        out += line;
    fclose(f);
    return out;
}

class Button : public WidgetTest {
protected:
    void SetUp() override
    {
        WidgetTest::SetUp();
        ASSERT_TRUE(CopyShippedFont("fonts/medium.mft"));
        WriteSolidPng("gfx/idle.png", 40, 20, kRed);
        WriteSolidPng("gfx/over.png", 40, 20, kGreen);
        WriteSolidPng("gfx/pressed.png", 40, 20, kBlue);
        WriteSolidPng("gfx/icon.png", 4, 4, kWhite);
        WriteSolidPng("gfx/tall.png", 50, 30, kWhite);
        WriteSolidPng("gfx/clear.png", 100, 20, {0, 0, 0, 0});
    }
    UICompButton *Get(Screen *s, const char *name = "b")
    {
        return dynamic_cast<UICompButton *>(s->GetComp(name));
    }
    // Width of the text in the medium font at a scale.
    float TextWidth(const char *text, float scale = 1.0f)
    {
        ov_font_t *f = ov->OV_GetFont("fonts/medium.mft");
        ov->OV_SetTextTransform(scale, scale, 0);
        float w = ov->OV_GetTextWidthf(f, "%s", text);
        ov->OV_SetTextTransform(1, 1, 0);
        return w;
    }
    // Columns of lit pixels in a row band, first and last (-1 when none).
    std::pair<int, int> LitColumns(int x0, int x1, int y0, int y1)
    {
        int first = -1, last = -1;
        for (int x = x0; x < x1; x++)
            for (int y = y0; y < y1; y++) {
                Rgba p = Pixel(x, y);
                if (p[0] > 100 && p[1] > 100 && p[2] > 100) {
                    if (first < 0)
                        first = x;
                    last = x;
                    break;
                }
            }
        return {first, last};
    }
};

TEST_F(Button, PropertiesAreSetReadAndExportedWithTheirConversions)
{
    ProbeScreen *s = Show("Props", ButtonAt100(
        "SetProperty ('button.bm_idle', 'gfx/idle.png')\nSetProperty ('button.bm_over', 'gfx/over.png')\n"
        "SetProperty ('button.bm_pressed', 'gfx/pressed.png')\nSetProperty ('button.bm_disabled', 'gfx/idle.png')\n"
        "SetProperty ('button.bm_icon', 'gfx/icon.png')\nSetProperty ('button.font', 'fonts/medium.mft')\n"
        "SetProperty ('button.text_offset', '3', 4)\nSetProperty ('button.icon_offset', 5)\n"
        "SetProperty ('button.text_align', 'RIGHT BOTTOM')\nSetProperty ('button.text', 'Go')\n"
        "SetProperty ('button.text_scale_idle', 1.5)\nSetProperty ('button.text_scale_over', 2)\n"
        "SetProperty ('button.text_scale_pressed', '0.5')\nSetProperty ('button.text_scale_disabled', 0.25)\n"
        "SetProperty ('button.dynamic_text_scale_limits', 0.5, 2)\nSetProperty ('button.textbox_size', 120.7, '30')\n"
        "SetProperty ('button.scale_idle', 1.1)\nSetProperty ('button.scale_over', 1.2)\n"
        "SetProperty ('button.scale_pressed', 0.9)\nSetProperty ('button.scale_disabled', 0.8)\n"
        "SetProperty ('button.text_color_idle', 1, 0, 0, 1)\nSetProperty ('button.text_color_over', 0, 1)\n"
        "SetProperty ('button.text_color_pressed', 0, 0, 1, 0.5)\nSetProperty ('button.text_color_disabled', 0.5)\n"
        "SetProperty ('button.max_text_width_percentage', 80)\n"));
    UICompButton *b = Get(s);
    ASSERT_NE(b, nullptr);
    EXPECT_FLOAT_EQ(b->text_offset_x, 3.0f);   // a numeric string reads as its number
    EXPECT_FLOAT_EQ(b->text_offset_y, 4.0f);
    EXPECT_FLOAT_EQ(b->icon_offset_x, 5.0f);
    EXPECT_FLOAT_EQ(b->icon_offset_y, 0.0f);   // a missing value reads as 0
    EXPECT_EQ(b->text_align, UIALIGN_RIGHT | UIALIGN_BOTTOM);
    EXPECT_FLOAT_EQ(b->text_scale_pressed, 0.5f);
    EXPECT_FLOAT_EQ(b->dynamic_text_scale_min, 0.5f);
    EXPECT_FLOAT_EQ(b->dynamic_text_scale_max, 2.0f);
    EXPECT_FLOAT_EQ(b->textbox_width, 120.7f);
    EXPECT_FLOAT_EQ(b->textbox_height, 30.0f);
    EXPECT_FLOAT_EQ(b->scale_disabled, 0.8f);
    EXPECT_FLOAT_EQ(b->text_color_over.g, 1.0f);
    EXPECT_FLOAT_EQ(b->text_color_over.a, 0.0f);
    EXPECT_FLOAT_EQ(b->text_color_pressed.a, 0.5f);
    EXPECT_FLOAT_EQ(b->max_text_width_percentage, 80.0f);

    // Read back: the three readable names; the others are unknown to GetProperty.
    EXPECT_EQ(Eval(s, "GetProperty ('b:button.bm_idle')"), "gfx/idle.png");
    EXPECT_EQ(Eval(s, "GetProperty ('b:button.font')"), "fonts/medium.mft");
    EXPECT_EQ(Eval(s, "GetProperty ('b:button.text')"), "Go");
    EXPECT_EQ(Eval(s, "GetProperty ('b:button.scale_idle')"), "nil");
    EXPECT_TRUE(Logged("UICompButton::GetProperty: Unknown Property 'button.scale_idle'"));
    ASSERT_TRUE(Run(s, "SetProperty ('b:button.Text', 'x')"));
    EXPECT_TRUE(Logged("UICompButton::SetProperty: Unknown Property 'button.Text'"));
    EXPECT_STREQ(b->text, "Go");
    // A base name never reaches the kind.
    ASSERT_TRUE(Run(s, "SetProperty ('b:alpha', 0.5)"));
    EXPECT_FLOAT_EQ(b->alpha, 0.5f);

    // The export: in order, only what differs from the default template; scales of the
    // states, their text colours and the limits are not written.
    EXPECT_EQ(ExportedLines(b, "button."),
              "SetProperty (\"button.bm_idle\", \"gfx/idle.png\");\n"
              "SetProperty (\"button.bm_over\", \"gfx/over.png\");\n"
              "SetProperty (\"button.bm_pressed\", \"gfx/pressed.png\");\n"
              "SetProperty (\"button.bm_disabled\", \"gfx/idle.png\");\n"
              "SetProperty (\"button.bm_icon\", \"gfx/icon.png\");\n"
              "SetProperty (\"button.icon_offset\", 5, 0);\n"
              "SetProperty (\"button.text_offset\", 3, 4);\n"
              "SetProperty (\"button.text_align\", \"BOTTOMRIGHT\");\n"
              "SetProperty (\"button.textbox_size\", \"120\", \"30\");\n"
              "SetProperty (\"button.max_text_width_percentage\", \"80\");\n"
              "SetProperty (\"button.text_scale_disabled\", 0.250000);\n"
              "SetProperty (\"button.text_scale_idle\", 1.500000);\n"
              "SetProperty (\"button.text_scale_over\", 2.000000);\n"
              "SetProperty (\"button.text_scale_pressed\", 0.500000);\n"
              "SetProperty (\"button.font\", \"fonts/medium.mft\");\n"
              "SetProperty (\"button.text\", \"Go\");\n");
    // Defaults: a new button writes none of its own lines; without a bitmap "" is read.
    ASSERT_TRUE(Run(s, "CreateComp ('Button', 'plain')"));
    UICompButton *plain = Get(s, "plain");
    ASSERT_NE(plain, nullptr);
    EXPECT_EQ(ExportedLines(plain, "button."), "");
    EXPECT_EQ(Eval(s, "GetProperty ('plain:button.bm_idle')"), "");
    EXPECT_EQ(Eval(s, "GetProperty ('plain:button.text')"), "");
    EXPECT_EQ(Eval(s, "GetProperty ('plain:button.font')"), "");
    EXPECT_EQ(plain->text_align, UIALIGN_CENTER);
    EXPECT_FLOAT_EQ(plain->max_text_width_percentage, 95.0f);
}

TEST_F(Button, InheritAndCloneCopyTheStyleAndTheStoredText)
{
    Screen *s = Show("Inherit", ButtonAt100(
        "SetProperty ('button.bm_idle', 'gfx/idle.png')\nSetProperty ('button.font', 'fonts/medium.mft')\n"
        "SetProperty ('button.text', 'a\\\\\\\\b')\nSetProperty ('button.textbox_size', 60, 10)\n"
        "SetProperty ('button.text_color_over', 0, 1, 0, 1)\nSetProperty ('button.scale_pressed', 0.9)\n"
        "SetProperty ('button.icon_offset', 1, 2)\nSetProperty ('button.text_scale_idle', 1.25)\n"
        "CreateComp ('Button', 'heir')\nSetProperty ('button.text', 'own')\nSetProperty ('inherit', 'b')\n"));
    UICompButton *b = Get(s), *heir = Get(s, "heir");
    ASSERT_NE(b, nullptr);
    ASSERT_NE(heir, nullptr);
    EXPECT_STREQ(b->text, "a\\b");   // Lua "a\\\\b" is a\\b, the escape pass leaves a\b
    // "inherit" looks in the templates set: a component of a screen is not a template.
    EXPECT_TRUE(Logged("inherit"));
    EXPECT_TRUE(heir->InheritFrom(b));
    EXPECT_EQ(heir->bm_idle, b->bm_idle);
    EXPECT_EQ(heir->font, b->font);
    EXPECT_STREQ(heir->text, "a\\b");   // copied as stored: the backslash stays
    EXPECT_FLOAT_EQ(heir->textbox_width, 60.0f);
    EXPECT_FLOAT_EQ(heir->text_color_over.g, 1.0f);
    EXPECT_FLOAT_EQ(heir->scale_pressed, 0.9f);
    EXPECT_FLOAT_EQ(heir->icon_offset_y, 2.0f);
    EXPECT_FLOAT_EQ(heir->text_scale_idle, 1.25f);
    EXPECT_EQ(heir->template_comp, b);
    // A template of another kind copies nothing.
    UIComp plain;
    EXPECT_FALSE(heir->InheritFrom(&plain));
    EXPECT_EQ(heir->template_comp, b);

    // A clone is a style copy with the source's template and parent, without its tags.
    free(b->tags);
    b->tags = strdup("t1");
    UIComp *c = b->Clone("copy");
    ASSERT_NE(c, nullptr);
    UICompButton *cb = dynamic_cast<UICompButton *>(c);
    ASSERT_NE(cb, nullptr);
    EXPECT_STREQ(cb->name, "copy");
    EXPECT_EQ(cb->type, UICOMP_BUTTON);
    EXPECT_STREQ(cb->text, "a\\b");
    EXPECT_EQ(cb->template_comp, b->template_comp);
    EXPECT_EQ(cb->parent, b->parent);
    EXPECT_TRUE(cb->tags == nullptr || cb->tags[0] == 0);
    EXPECT_FLOAT_EQ(cb->width, b->width);
    delete c;
    UIComp *unnamed = b->Clone(nullptr);
    EXPECT_STREQ(unnamed->name, "");
    delete unnamed;
}

TEST_F(Button, SizeComesFromIdleBitmapIconAndText)
{
    const float go = TextWidth("Go"), go_big = TextWidth("Go", 2.0f);
    ASSERT_GT(go, 0.0f);
    const struct {
        const char *lines;
        float w, h;   // h < 0: the text's height
    } cases[] = {
        {"SetProperty ('button.text', 'Go')\n", go, -1},
        {"SetProperty ('button.text', 'Go')\nSetProperty ('button.text_scale_idle', 2)\n", go_big, -2},
        {"SetProperty ('button.bm_idle', 'gfx/idle.png')\nSetProperty ('button.text', 'A much longer label')\n", 40, 20},
        {"SetProperty ('button.bm_idle', 'gfx/idle.png')\nSetProperty ('button.bm_icon', 'gfx/tall.png')\n", 50, 30},
        {"SetProperty ('button.bm_icon', 'gfx/icon.png')\n", 4, 4},
        {"SetProperty ('button.bm_idle', 'gfx/idle.png')\nSetProperty ('scale', 2)\n", 80, 40},
        {"", 0, 0},
    };
    ov_font_t *f = ov->OV_GetFont("fonts/medium.mft");
    ov->OV_SetTextTransform(2, 2, 0);
    const float h2 = ov->OV_GetTextHeightf(f, "Go");
    ov->OV_SetTextTransform(1, 1, 0);
    const float h1 = ov->OV_GetTextHeightf(f, "Go");
    int n = 0;
    for (const auto &c : cases) {
        SCOPED_TRACE(c.lines);
        // Entering the screen loads the bitmaps and sizes the button.
        Screen *s = Show(("Size" + std::to_string(n++)).c_str(),
                         "CreateComp ('Button', 'b')\nSetProperty ('button.font', 'fonts/medium.mft')\n" +
                             std::string(c.lines));
        UICompButton *b = Get(s);
        ASSERT_NE(b, nullptr);
        EXPECT_FLOAT_EQ(b->width, c.w);
        EXPECT_FLOAT_EQ(b->height, c.h == -1 ? h1 : c.h == -2 ? h2 : c.h);
    }
}

TEST_F(Button, DynamicTextScaleFollowsTheTextboxWidthWithinItsLimits)
{
    const float w = TextWidth("Hello");
    const struct {
        float box;
        float lo, hi;
        float expected;
    } cases[] = {
        {0, 1, 1, 1},              // no textbox width
        {1.9f, 0.1f, 9, 1},        // below 2 counts as none
        {2 * w, 1, 1, 1},          // default limits hold it at 1
        {2 * w, 0.5f, 3, 2},
        {w / 2, 0.5f, 3, 0.5f},
        {w / 4, 0.5f, 3, 0.5f},    // raised to the minimum
        {10 * w, 0.5f, 3, 3},      // lowered to the maximum
    };
    Screen *s = MakeScreen("Dyn", "CreateComp ('Button', 'b')\nSetProperty ('button.font', 'fonts/medium.mft')\n"
                                  "SetProperty ('button.text', 'Hello')\n");
    UICompButton *b = Get(s);
    for (const auto &c : cases) {
        SCOPED_TRACE(c.box);
        b->textbox_width = c.box;
        b->dynamic_text_scale_min = c.lo;
        b->dynamic_text_scale_max = c.hi;
        b->UpdateDimensions();
        EXPECT_NEAR(b->dynamic_text_scale, c.expected, 1e-5);
    }
}

TEST_F(Button, ALabelWiderThanTheButtonShrinksTo95Percent)
{
    Show("Shrink", ButtonAt100("SetProperty ('button.bm_idle', 'gfx/clear.png')\n"
                               "SetProperty ('button.font', 'fonts/medium.mft')\n"
                               "SetProperty ('button.text', 'WWWWWWWWWWWWWWWWWWWW')\n"
                               "CreateComp ('Button', 'wide')\nSetProperty ('position_type', 'ABSOLUTE')\n"
                               "SetProperty ('position', 100, 160)\nSetProperty ('button.bm_idle', 'gfx/clear.png')\n"
                               "SetProperty ('button.font', 'fonts/medium.mft')\n"
                               "SetProperty ('button.max_text_width_percentage', 500)\n"
                               "SetProperty ('button.text', 'WWWWWWWWWWWWWWWWWWWW')\n"));
    ASSERT_GT(TextWidth("WWWWWWWWWWWWWWWWWWWW"), 100.0f);
    Frame();
    // The label is centred on the button (100..200) and at most 95 units wide.
    auto cols = LitColumns(0, 320, 100, 120);
    ASSERT_GE(cols.first, 0);
    EXPECT_GE(cols.first, 100 + 2);
    EXPECT_LE(cols.second, 200 - 2);
    EXPECT_GE(cols.second - cols.first + 1, 85);
    // With the limit raised the same label runs over both edges.
    auto wide = LitColumns(0, 320, 160, 180);
    EXPECT_LT(wide.first, 100);
    EXPECT_GT(wide.second, 200);
}

TEST_F(Button, EscapePairsAreCharactersAndExportWritesThemBack)
{
    const struct {
        const char *lua;        // the value as written in the script
        const char *stored;
    } cases[] = {
        {"'one\\\\ntwo'", "one\ntwo"},        // backslash n: a line feed
        {"'tab\\\\tend'", "tab\tend"},
        {"'cr\\\\rx'", "cr\rx"},
        {"'bs\\\\bx'", "bs\bx"},
        {"'back\\\\\\\\slash'", "back\\slash"},   // two backslashes: one
        {"'other\\\\qx'", "otherqx"},            // before anything else: dropped
        {"'end\\\\'", "end\\"},                  // a final backslash stays
        {"'say \"hi\"'", "say \"hi\""},
        {"'real\\nfeed'", "real\nfeed"},         // a line feed as Lua makes it
    };
    int n = 0;
    for (const auto &c : cases) {
        SCOPED_TRACE(c.lua);
        Screen *s = MakeScreen(("Esc" + std::to_string(n++)).c_str(),
                               (std::string("CreateComp ('Button', 'b')\nSetProperty ('button.text', ") + c.lua +
                                ")\n").c_str());
        UICompButton *b = Get(s);
        ASSERT_NE(b, nullptr);
        EXPECT_STREQ(b->text, c.stored);
        // Export, run the export, export again: the same bytes and the same text.
        const std::string first = WholeExport(b);
        Screen *again = MakeScreen(("EscAgain" + std::to_string(n)).c_str(), first.c_str());
        UICompButton *b2 = Get(again);
        ASSERT_NE(b2, nullptr);
        EXPECT_STREQ(b2->text, c.stored);
        EXPECT_EQ(WholeExport(b2), first);
    }
}

TEST_F(Button, CodeSettingATextOfALoadedLocalisableButtonIsReported)
{
    prog.parms.developer_mode = 1;
    Screen *s = MakeScreen("Dynamic", "CreateComp ('Button', 'b')\nSetProperty ('button.text', 'Scripted')\n"
                                      "CreateComp ('Button', 'fixed')\nSetProperty ('localize', false)\n");
    // While the script builds the screen nothing is reported.
    EXPECT_FALSE(Logged("Setting dynamic text 'Scripted'"));
    EXPECT_TRUE(sman.SetText(Get(s), "%d coins", 12));
    EXPECT_TRUE(Logged("Setting dynamic text '12 coins' for localizable component 'Dynamic/b'"));
    EXPECT_STREQ(Get(s)->text, "12 coins");
    EXPECT_TRUE(sman.SetText(Get(s, "fixed"), "free"));
    EXPECT_FALSE(Logged("Setting dynamic text 'free'"));
    sman.edit_mode = true;
    Get(s)->SetText("in edit %s", "mode");
    sman.edit_mode = false;
    EXPECT_FALSE(Logged("Setting dynamic text 'in edit mode'"));
    // The formatted text is reported before its escapes are turned into characters.
    Get(s)->SetText("a\\nb");
    EXPECT_TRUE(Logged("Setting dynamic text 'a\\nb'"));
    prog.parms.developer_mode = 0;
    Get(s)->SetText("quiet");
    EXPECT_FALSE(Logged("Setting dynamic text 'quiet'"));
}

TEST_F(Button, IdleOverAndPressedLooks)
{
    ProbeScreen *s = Show("Looks", ButtonAt100(
        "SetProperty ('button.bm_idle', 'gfx/idle.png')\nSetProperty ('button.bm_over', 'gfx/over.png')\n"
        "SetProperty ('button.bm_pressed', 'gfx/pressed.png')\n"));
    UICompButton *b = Get(s);
    Frame();
    EXPECT_TRUE(Near(Pixel(120, 110), kRed));
    EXPECT_TRUE(Near(Pixel(101, 101), kRed));
    EXPECT_TRUE(Near(Pixel(98, 110), kBlack));
    EXPECT_TRUE(Near(Pixel(141, 110), kBlack));
    // A mouse over it for a third of a second: the over bitmap fully.
    sman.touch_mode = false;
    ASSERT_TRUE(hl::inject_pointer(120, 110, 0));
    PumpFrame();
    Steps(1, 1.0f / 3.0f);
    EXPECT_FLOAT_EQ(b->time_cursor_over, 1.0f);
    EXPECT_FLOAT_EQ(b->time_cursor_locked, 0.0f);
    Frame();
    EXPECT_TRUE(Near(Pixel(120, 110), kGreen));
    ASSERT_TRUE(hl::inject_pointer(300, 230, 0));
    PumpFrame();
    Steps(1, 0.5f);
    EXPECT_FLOAT_EQ(b->time_cursor_over, 0.0f);
    sman.touch_mode = true;
    // A touch held for 1/9 s: pressed fully.
    Touch(hl::TouchPhase::Down, 120, 110);
    Steps(1, 1.0f / 9.0f);
    EXPECT_FLOAT_EQ(b->time_cursor_locked, 1.0f);
    EXPECT_GT(b->time_cursor_over, 0.0f);
    Frame();
    EXPECT_TRUE(Near(Pixel(120, 110), kBlue));
    // Released 20 units below its edge: no click, and the pressed look fades.
    Touch(hl::TouchPhase::Move, 120, 140);
    Touch(hl::TouchPhase::Up, 120, 140);
    EXPECT_EQ(Clicks("b"), 0);
    Steps(1, 0.1f);
    EXPECT_LT(b->time_cursor_locked, 0.6f);
    Steps(3, 0.1f);
    EXPECT_FLOAT_EQ(b->time_cursor_locked, 0.0f);
    Frame();
    EXPECT_TRUE(Near(Pixel(120, 110), kRed));
}

TEST_F(Button, ATapClicksOnceAndInactiveButtonsShowOnlyIconAndText)
{
    ProbeScreen *s = Show("Taps", ButtonAt100("SetProperty ('button.bm_idle', 'gfx/idle.png')\n"
                                              "SetProperty ('button.bm_icon', 'gfx/icon.png')\n"
                                              "function OnClick (name) clicked = (clicked or 0) + 1 end\n"));
    Touch(hl::TouchPhase::Down, 110, 105);
    Touch(hl::TouchPhase::Up, 110, 105);
    EXPECT_EQ(Clicks("b"), 1);
    EXPECT_EQ(Eval(s, "clicked"), "1");
    // Released within 16 units of the edge still clicks; 20 units away does not.
    Touch(hl::TouchPhase::Down, 110, 105);
    Touch(hl::TouchPhase::Move, 110, 130);
    Touch(hl::TouchPhase::Up, 110, 130);
    EXPECT_EQ(Clicks("b"), 2);
    Touch(hl::TouchPhase::Down, 110, 105);
    Touch(hl::TouchPhase::Move, 110, 140);
    Touch(hl::TouchPhase::Up, 110, 140);
    EXPECT_EQ(Clicks("b"), 2);
    EXPECT_EQ(Eval(s, "clicked"), "2");
    // Inactive without a disabled bitmap: no base bitmap, the icon still shows.
    ASSERT_TRUE(Run(s, "SetProperty ('b:active', false)"));
    Steps(10, 0.1f);
    Frame();
    EXPECT_TRUE(Near(Pixel(120, 110), kWhite));   // the 4 x 4 icon at the centre
    EXPECT_TRUE(Near(Pixel(104, 104), kBlack));
    Touch(hl::TouchPhase::Down, 110, 105);
    Touch(hl::TouchPhase::Up, 110, 105);
    EXPECT_EQ(Clicks("b"), 2);
}

}  // namespace

// A script that names no icon ("" or "!NONE") takes the icon away: the button shows
// its plate alone, as a button that never had one.
TEST_F(Button, AnEmptyIconNameTakesTheIconAway)
{
    for (const char *none : {"", "!NONE"}) {
        SCOPED_TRACE(std::string("'") + none + "'");
        ProbeScreen *s = Show((std::string("Icon") + (none[0] ? "None" : "Empty")).c_str(),
                              ButtonAt100("SetProperty ('button.bm_idle', 'gfx/idle.png')\n"
                                          "SetProperty ('button.bm_icon', 'gfx/icon.png')\n"));
        UICompButton *b = Get(s);
        ASSERT_NE(b, nullptr);
        Frame();
        EXPECT_TRUE(Near(Pixel(120, 110), kWhite)) << "the icon at the centre";
        Script(s, (std::string("SetProperty ('b:button.bm_icon', '") + none + "')\n").c_str());
        EXPECT_TRUE(b->bm_icon == nullptr || b->bm_icon->name[0] == '!');
        Frame();
        EXPECT_TRUE(Near(Pixel(120, 110), kRed)) << "the plate where the icon was";
        if (!none[0]) {
            EXPECT_EQ(ExportedLines(b, "bm_icon"), "") << "no icon is written as none";
        }
    }
}
