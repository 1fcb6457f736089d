// The text box in the shipped fonts on the headless GLES renderer: wrapping into two
// lines, the four alignments inside its box and rotation read back as boxes of lit
// pixels; localised texts; escapes and their export; the '!' fonts that never resize;
// properties and what templates and clones carry.
#include "app/services/localization.h"
#include "app/services/prog.h"
#include "app/ui/screen-manager.h"
#include "app/ui/uiset.h"
#include "app/ui/widgets/ui-textbox.h"
#include "ovrecords.h"
#include "tests/app/ui/widget_fixture.h"

#include <gtest/gtest.h>

namespace {

using apptest::Logged;
using widgettest::Rgba;

bool Lit(const Rgba &p)
{
    return p[0] > 96 || p[1] > 96 || p[2] > 96;
}

class Textbox : public comptest::CompTest {
protected:
    void SetUp() override
    {
        CompTest::SetUp();
        StartUI();
        widgettest::InstallFonts();
    }
    void TearDown() override
    {
        loc_man().Shutdown();
        prog.parms.locale = nullptr;
        CompTest::TearDown();
    }
    UICompTextbox *Make(const char *screen, const std::string &more)
    {
        s_ = MakeScreen(screen, "CreateComp ('Textbox', 'tb')\nSetProperty ('position_type', 'ABSOLUTE')\n"
                                "SetProperty ('position', 100, 100)\nSetProperty ('textbox.font', 'fonts/medium.mft')\n" +
                                    more);
        return dynamic_cast<UICompTextbox *>(s_->GetComp("tb"));
    }
    // The box of lit pixels of the drawn screen.
    std::array<int, 4> DrawAndBox()
    {
        Screen *s = s_;
        apptest::draw = [s](float) {
            ov->OV_ClearScreen(0, 0, 0);
            s->DrawUI();
        };
        DrawFrame();
        return widgettest::LitBox(widgettest::ReadFrame(), 0, 0, 799, 599, Lit);
    }
    Screen *s_ = nullptr;
};

TEST_F(Textbox, AWrapWidthGivesTwoLines)
{
    UICompTextbox *tb = Make("Wrap", "SetProperty ('textbox.text', 'Hello there general')\n");
    ASSERT_NE(tb, nullptr);
    ASSERT_NE(tb->font, nullptr);
    const std::array<int, 4> one = DrawAndBox();
    ASSERT_GE(one[0], 0);
    const int line = one[3] - one[1] + 1;
    EXPECT_LT(line, 30);
    EXPECT_GT(one[2] - one[0], 120);   // one long line
    EXPECT_NEAR(tb->width, one[2] - one[0] + 1, 6);
    ASSERT_TRUE(Run(s_->ui, "SetProperty ('tb:textbox.textbox_width', 120)"));
    EXPECT_FLOAT_EQ(tb->width, 120.0f);
    EXPECT_GT(tb->height, 1.5f * line);
    const std::array<int, 4> two = DrawAndBox();
    EXPECT_LE(two[2], 100 + 120);
    EXPECT_GT(two[3] - two[1] + 1, line + line / 2);   // a second line below the first
    EXPECT_LT(two[3] - two[1] + 1, 3 * line);
    EXPECT_GE(two[0], 100);
    EXPECT_GE(two[1], 100);
}

TEST_F(Textbox, AlignmentsPlaceTheTextInsideItsBox)
{
    UICompTextbox *tb = Make("Align", "SetProperty ('textbox.textbox_width', 400)\nSetProperty ('textbox.text', 'Hi')\n");
    ASSERT_NE(tb, nullptr);
    const struct {
        const char *align;
        float x;     // where the lit box's reference lies
        int edge;    // 0 left edge, 1 centre, 2 right edge
    } cases[] = {
        {"", 100, 0}, {"HCENTER", 300, 1}, {"RIGHT", 500, 2}, {"VCENTER", 100, 0}, {"BOTTOM", 100, 0}, {"CENTER", 300, 1},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.align);
        ASSERT_TRUE(Run(s_->ui, std::string("SetProperty ('tb:textbox.text_align', '") + c.align + "')"));
        const std::array<int, 4> box = DrawAndBox();
        ASSERT_GE(box[0], 0);
        const float at = c.edge == 0 ? box[0] : c.edge == 1 ? (box[0] + box[2]) / 2.0f : box[2];
        EXPECT_NEAR(at, c.x, 6.0f);
        EXPECT_GE(box[1], 100);                          // inside the box vertically
        EXPECT_LE(box[3], 100 + (int)tb->height + 1);
    }
    EXPECT_EQ(tb->textbox_align, UIALIGN_CENTER);
    const std::string out = widgettest::Export(tb);
    EXPECT_NE(out.find("SetProperty (\"textbox.textbox_align\", \"CENTER\");\n"), std::string::npos) << out;
    EXPECT_EQ(out.find("text_align"), std::string::npos);
}

TEST_F(Textbox, RotationTurnsTheTextAboutItsPosition)
{
    UICompTextbox *tb = Make("Turn", "SetProperty ('position', 300, 200)\nSetProperty ('textbox.text', 'Rotated text')\n");
    ASSERT_NE(tb, nullptr);
    const std::array<int, 4> flat = DrawAndBox();
    EXPECT_GT(flat[2] - flat[0], 2 * (flat[3] - flat[1]));
    ASSERT_TRUE(Run(s_->ui, "SetProperty ('tb:angle', math.pi / 2)"));
    const std::array<int, 4> turned = DrawAndBox();
    EXPECT_GT(turned[3] - turned[1], 2 * (turned[2] - turned[0]));   // now tall and narrow
    EXPECT_LE(turned[2], 301);                                        // turned about (300, 200)
    EXPECT_GE(turned[1], 199);
}

TEST_F(Textbox, LocalisedTextIsShownAndTheRawTextKept)
{
    apptest::WriteFile("data-xx/language.xml", "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n<root>\n"
                                               "<array id=\"STRINGS\">\n <node id=\"Hello\" to=\"Hallo Welt\" />\n"
                                               "</array>\n</root>\n");
    prog.parms.locale = "xx";
    ASSERT_TRUE(loc_man().Initialize());
    ASSERT_TRUE(loc_man().IsActive());
    UICompTextbox *tb = Make("Local", "SetProperty ('textbox.text', 'Hello')\n"
                                      "CreateComp ('Textbox', 'raw')\nSetProperty ('localize', 0)\n"
                                      "SetProperty ('textbox.text', 'Hello')\n");
    ASSERT_NE(tb, nullptr);
    EXPECT_STREQ(tb->display_text, "Hallo Welt");
    EXPECT_STREQ(tb->raw_text, "Hello");
    EXPECT_EQ(Eval(s_->ui, "GetProperty ('tb:textbox.text')"), "Hello");
    UICompTextbox *raw = dynamic_cast<UICompTextbox *>(s_->GetComp("raw"));
    ASSERT_NE(raw, nullptr);
    EXPECT_EQ(raw->display_text, raw->raw_text);
    EXPECT_GT(tb->width, raw->width);   // measured in the translation
    EXPECT_NE(widgettest::Export(tb).find("SetProperty (\"textbox.text\", \"Hello\");\n"), std::string::npos);
}

TEST_F(Textbox, DynamicTextMessageAndFontsThatNeverResize)
{
    prog.parms.developer_mode = 1;
    UICompTextbox *tb = Make("Dynamic", "SetProperty ('textbox.text', 'Loaded')\n");
    ASSERT_NE(tb, nullptr);
    EXPECT_FALSE(Logged("Setting dynamic text 'Loaded'"));   // set while the script ran
    ASSERT_TRUE(sman.SetText(tb, "Score %d", 42));
    EXPECT_TRUE(Logged("Setting dynamic text 'Score 42' for localizable component 'Dynamic/tb'"));
    EXPECT_STREQ(tb->raw_text, "Score 42");
    EXPECT_FALSE(sman.SetText(nullptr, "x"));
    // A font named with '!' never resizes the box and never reports.
    ov_font_t bang = {};
    bang.name = (char *)"!generated";
    tb->SetFont(&bang);
    const float w = tb->width;
    tb->SetText("%s", "A much longer text than before");
    EXPECT_FLOAT_EQ(tb->width, w);
    EXPECT_FALSE(Logged("A much longer text than before"));
    tb->font = nullptr;
    prog.parms.developer_mode = 0;
}

TEST_F(Textbox, PropertiesEscapesExportAndCopies)
{
    // The script writes a, backslash, n, b and a text ending in one backslash.
    UICompTextbox *tb = Make("Props", "SetProperty ('textbox.text', 'a\\\\nb')\n");
    ASSERT_NE(tb, nullptr);
    EXPECT_STREQ(tb->raw_text, "a\nb");
    const struct {
        const char *lua_text;   // the Lua literal set
        const char *stored;
    } escapes[] = {
        {"'x\\\\'", "x\\"},               // a trailing backslash stays
        {"'\\\\\\\\'", "\\"},             // two backslashes make one
        {"'\\\\t\\\\r\\\\b\\\\q'", "\t\r\bq"},
        {"'say \"hi\"'", "say \"hi\""},
        {"42", "42"},
        {"nil", ""},
    };
    for (const auto &e : escapes) {
        SCOPED_TRACE(e.lua_text);
        ASSERT_TRUE(Run(s_->ui, std::string("SetProperty ('tb:textbox.text', ") + e.lua_text + ")"));
        EXPECT_STREQ(tb->raw_text, e.stored);
    }
    const struct {
        const char *get, *expected;
    } reads[] = {
        {"tb:textbox.font", "fonts/medium.mft"},
        {"tb:textbox.textbox_width", "nil"},
        {"tb:textbox.textbox_align", "nil"},
        {"tb:textbox.colour", "nil"},
    };
    for (const auto &r : reads) {
        SCOPED_TRACE(r.get);
        EXPECT_EQ(Eval(s_->ui, std::string("GetProperty ('") + r.get + "')"), r.expected);
    }
    EXPECT_TRUE(Logged("UICompTextbox::GetProperty: Unknown Property 'textbox.textbox_width'"));
    ASSERT_TRUE(Run(s_->ui, "SetProperty ('tb:textbox.Text', 'x')"));
    EXPECT_TRUE(Logged("UICompTextbox::SetProperty: Unknown Property 'textbox.Text'"));

    // Export, run, export: the same text, also with backslashes, quotes and control bytes.
    tb->SetText("%s", "one\\zero\n\"three\"\tend\\");
    ASSERT_STREQ(tb->raw_text, "onezero\n\"three\"\tend\\");   // the pass ate the first backslash
    ASSERT_TRUE(Run(s_->ui, "SetProperty ('tb:textbox.text', 'back\\\\\\\\slash\\\\n\"q\"\\\\t\\\\r\\\\b')"));
    ASSERT_TRUE(Run(s_->ui, "SetProperty ('tb:textbox.textbox_width', '250')"));   // re-applied as it is
    EXPECT_STREQ(tb->raw_text, "back\\slash\n\"q\"\t\r\b");
    const std::string first = widgettest::Export(tb);
    EXPECT_NE(first.find("SetProperty (\"textbox.font\", \"fonts/medium.mft\");\n"
                         "SetProperty (\"textbox.textbox_width\", \"250\");\n"),
              std::string::npos)
        << first;
    EXPECT_NE(first.find("SetProperty (\"textbox.text\", \"back\\\\\\\\slash\\n\\\"q\\\"\\t\\r\\b\");\n"),
              std::string::npos)
        << first;
    Screen *again = MakeScreen("PropsAgain", first);
    UICompTextbox *back = dynamic_cast<UICompTextbox *>(again->GetComp("tb"));
    ASSERT_NE(back, nullptr);
    EXPECT_STREQ(back->raw_text, tb->raw_text);
    EXPECT_EQ(widgettest::Export(back), first);

    // InheritFrom copies font, text, align and width (the text as stored); so does Clone.
    UIComp *clone = tb->Clone("twin");
    UICompTextbox *twin = dynamic_cast<UICompTextbox *>(clone);
    ASSERT_NE(twin, nullptr);
    EXPECT_EQ(twin->font, tb->font);
    EXPECT_STREQ(twin->raw_text, tb->raw_text);
    EXPECT_NE(twin->raw_text, tb->raw_text);   // its own copy
    EXPECT_EQ(twin->textbox_width, 250);
    EXPECT_FLOAT_EQ(twin->width, tb->width);
    delete clone;
    UICompTextbox bare;
    bare.UpdateDimensions();
    EXPECT_FLOAT_EQ(bare.width, 16.0f);
    EXPECT_FLOAT_EQ(bare.height, 16.0f);
    bare.SetText(nullptr);
    EXPECT_EQ(bare.raw_text, nullptr);
}

TEST_F(Textbox, EditWidthFollowsTheCursor)
{
    UICompTextbox *tb = Make("Edit", "SetProperty ('textbox.text', 'Edit me please')\n");
    ASSERT_NE(tb, nullptr);
    const vec2_t s = tb->GetStaticPos();
    mpos = {s.x + 80.7f, s.y};
    tb->EditUpdate(0.0f);
    EXPECT_EQ(tb->textbox_width, 80);
    mpos = {s.x + 5.0f, s.y};
    tb->EditUpdate(0.0f);
    EXPECT_EQ(tb->textbox_width, 0);   // 9 or less: no wrapping
}

}  // namespace
