// The checkbox: its properties (values true, false and 5), export with Lua escapes,
// inheritance and clones, and its box, marker and label pixels; a click leaves the
// value to the screen's script.
#include "tests/app/ui/input_widgets_fixture.h"

#include "app/ui/widgets/ui-checkbox.h"

#include <stdio.h>

using namespace wtest;
using apptest::Logged;
using apptest::Pixel;
using uitest::ProbeScreen;

namespace {

const Rgba kRed = {255, 0, 0, 255}, kWhite = {255, 255, 255, 255}, kBlack = {0, 0, 0, 255};

std::string Exported(UIComp *c, const char *prefix)
{
    FILE *f = tmpfile();
    c->ExportLua(f);
    rewind(f);
    std::string out;
    char line[1024];
    while (fgets(line, sizeof line, f))
        if (!prefix || strstr(line, prefix))
            out += line;
    fclose(f);
    return out;
}

class Checkbox : public WidgetTest {
protected:
    void SetUp() override
    {
        WidgetTest::SetUp();
        ASSERT_TRUE(CopyShippedFont("fonts/medium.mft"));
        WriteSolidPng("gfx/box.png", 20, 20, kRed);
        WriteSolidPng("gfx/tick.png", 10, 10, kWhite);
    }
    UICompCheckbox *Get(Screen *s, const char *name = "c")
    {
        return dynamic_cast<UICompCheckbox *>(s->GetComp(name));
    }
};

TEST_F(Checkbox, ValuesPropertiesAndExport)
{
    ProbeScreen *s = Show("Props", "CreateComp ('Checkbox', 'c')\nSetProperty ('checkbox.bm_idle', 'gfx/box.png')\n"
                                   "SetProperty ('checkbox.bm_marker', 'gfx/tick.png')\n"
                                   "SetProperty ('checkbox.font', 'fonts/medium.mft')\n"
                                   "SetProperty ('checkbox.text', 'Say \"yes\" \\\\ or\\nno')\n");
    UICompCheckbox *c = Get(s);
    ASSERT_NE(c, nullptr);
    const struct {
        const char *value;
        int stored;
        const char *read;
    } values[] = {{"true", 1, "1"}, {"false", 0, "0"}, {"5", 5, "5"}, {"'7'", 7, "7"}, {"-2.9", -2, "-2"},
                  {"nil", 0, "0"}, {"1e300", 2147483647, "2147483647"}};
    for (const auto &v : values) {
        SCOPED_TRACE(v.value);
        ASSERT_TRUE(Run(s, std::string("SetProperty ('c:checkbox.value', ") + v.value + ")"));
        EXPECT_EQ(c->value, v.stored);
        EXPECT_EQ(Eval(s, "GetProperty ('c:checkbox.value')"), v.read);
    }
    EXPECT_EQ(Eval(s, "GetProperty ('c:checkbox.bm_idle')"), "gfx/box.png");
    EXPECT_EQ(Eval(s, "GetProperty ('c:checkbox.font')"), "fonts/medium.mft");
    EXPECT_EQ(Eval(s, "GetProperty ('c:checkbox.text')"), "Say \"yes\" \\ or\nno");   // no escape pass
    EXPECT_EQ(Eval(s, "GetProperty ('c:checkbox.bm_marker')"), "nil");
    EXPECT_TRUE(Logged("UICompCheckbox::GetProperty: Unknown Property 'checkbox.bm_marker'"));
    ASSERT_TRUE(Run(s, "SetProperty ('c:checkbox.Value', 1)"));
    EXPECT_TRUE(Logged("UICompCheckbox::SetProperty: Unknown Property 'checkbox.Value'"));
    ASSERT_TRUE(Run(s, "SetProperty ('c:checkbox.value', 5)"));
    // The label is written with Lua escapes so that it reads back the same.
    EXPECT_EQ(Exported(c, "checkbox."),
              "SetProperty (\"checkbox.bm_idle\", \"gfx/box.png\");\n"
              "SetProperty (\"checkbox.bm_marker\", \"gfx/tick.png\");\n"
              "SetProperty (\"checkbox.font\", \"fonts/medium.mft\");\n"
              "SetProperty (\"checkbox.text\", \"Say \\\"yes\\\" \\\\ or\\nno\");\n"
              "SetProperty (\"checkbox.value\", \"5\");\n");
    const std::string first = Exported(c, nullptr);
    Screen *again = MakeScreen("Again", first.c_str());
    ASSERT_NE(Get(again), nullptr);
    EXPECT_STREQ(Get(again)->text, c->text);
    EXPECT_EQ(Get(again)->value, 5);
    EXPECT_EQ(Exported(Get(again), nullptr), first);
    // A new checkbox: unchecked, 1 x 1, no lines of its own.
    ASSERT_TRUE(Run(s, "CreateComp ('Checkbox', 'plain')"));
    EXPECT_EQ(Exported(Get(s, "plain"), "checkbox."), "");
    EXPECT_FLOAT_EQ(Get(s, "plain")->width, 1.0f);
    EXPECT_FLOAT_EQ(Get(s, "plain")->height, 1.0f);
    EXPECT_EQ(Eval(s, "GetProperty ('plain:checkbox.text')"), "");
}

TEST_F(Checkbox, InheritAndCloneCopyBitmapsFontTextAndValue)
{
    Screen *s = Show("Inherit", "CreateComp ('Checkbox', 'c')\nSetProperty ('checkbox.bm_idle', 'gfx/box.png')\n"
                                "SetProperty ('checkbox.bm_marker', 'gfx/tick.png')\n"
                                "SetProperty ('checkbox.font', 'fonts/medium.mft')\n"
                                "SetProperty ('checkbox.text', 'Sound')\nSetProperty ('checkbox.value', 3)\n"
                                "CreateComp ('Checkbox', 'other')\nSetProperty ('checkbox.text', 'Mine')\n");
    UICompCheckbox *c = Get(s), *other = Get(s, "other");
    EXPECT_TRUE(other->InheritFrom(c));
    EXPECT_EQ(other->bm_idle, c->bm_idle);
    EXPECT_EQ(other->bm_marker, c->bm_marker);
    EXPECT_EQ(other->font, c->font);
    EXPECT_STREQ(other->text, "Sound");
    EXPECT_NE(other->text, c->text);   // its own copy
    EXPECT_EQ(other->value, 3);
    EXPECT_FLOAT_EQ(other->width, 20.0f);
    UIComp *copy = c->Clone("copy");
    UICompCheckbox *cc = dynamic_cast<UICompCheckbox *>(copy);
    ASSERT_NE(cc, nullptr);
    EXPECT_STREQ(cc->text, "Sound");
    EXPECT_EQ(cc->value, 3);
    EXPECT_EQ(cc->template_comp, c->template_comp);
    delete copy;
}

TEST_F(Checkbox, BoxMarkerAndLabelPixelsAndAClickKeepsTheValue)
{
    ProbeScreen *s = Show("Pixels", "CreateComp ('Checkbox', 'c')\nSetProperty ('position_type', 'ABSOLUTE')\n"
                                    "SetProperty ('position', 100, 100)\nSetProperty ('checkbox.bm_idle', 'gfx/box.png')\n"
                                    "SetProperty ('checkbox.bm_marker', 'gfx/tick.png')\n"
                                    "SetProperty ('checkbox.font', 'fonts/medium.mft')\n"
                                    "SetProperty ('checkbox.text', 'WWW')\n");
    UICompCheckbox *c = Get(s);
    auto label_lit = [] {
        int lit = 0;
        for (int x = 121; x < 200; x++)
            for (int y = 95; y < 125; y++) {
                Rgba p = Pixel(x, y);
                lit += p[0] > 128 && p[1] > 128 && p[2] > 128;
            }
        return lit;
    };
    Frame();
    EXPECT_TRUE(Near(Pixel(104, 104), kRed));   // the box, no marker at value 0
    EXPECT_TRUE(Near(Pixel(115, 115), kRed));
    EXPECT_GT(label_lit(), 20);                   // the label right of the box
    EXPECT_TRUE(Near(Pixel(99, 110), kBlack));
    // A tap reports a click and leaves the value as it is.
    Touch(hl::TouchPhase::Down, 110, 110);
    Touch(hl::TouchPhase::Up, 110, 110);
    EXPECT_EQ(Clicks("c"), 1);
    EXPECT_EQ(c->value, 0);
    ASSERT_TRUE(Run(s, "SetProperty ('c:checkbox.value', 5)"));
    Frame();
    EXPECT_TRUE(Near(Pixel(104, 104), kWhite));   // the marker over the box's top-left
    EXPECT_TRUE(Near(Pixel(115, 115), kRed));
    // Inactive without a disabled bitmap: no box, still the marker and the label.
    ASSERT_TRUE(Run(s, "SetProperty ('c:active', false)"));
    Frame();
    EXPECT_TRUE(Near(Pixel(104, 104), kWhite));
    EXPECT_TRUE(Near(Pixel(115, 115), kBlack));
    EXPECT_GT(label_lit(), 20);
}

}  // namespace
