// The edit box: the virtual keyboard on a tap (read back from the headless device),
// typing through device keys, the character filter, caps only, max chars, cursor
// placement by touch, the editing keys, Return, the visible tail of a long text, the
// cursor's blink under an injected clock, and its properties, export and inheritance.
#include "tests/app/ui/input_widgets_fixture.h"

#include "app/services/prog.h"
#include "app/ui/widgets/ui-editbox.h"
#include "ovrecords.h"
#include "platform/screen.h"

#include <stdio.h>

#include <algorithm>

using namespace wtest;
using apptest::Logged;
using apptest::Pixel;
using uitest::ProbeScreen;

namespace {

const Rgba kPanel = {0, 0, 80, 255}, kGreen = {0, 255, 0, 255};

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

int Count(const std::string &command)
{
    return (int)std::count(extension_calls.begin(), extension_calls.end(), command);
}

class Editbox : public WidgetTest {
protected:
    void SetUp() override
    {
        WidgetTest::SetUp();
        ASSERT_TRUE(CopyShippedFont("fonts/medium.mft"));
        WriteSolidPng("gfx/panel.png", 160, 24, kPanel);
        WriteSolidPng("gfx/narrow.png", 60, 24, kPanel);
        WriteSolidPng("gfx/caret.png", 2, 16, kGreen);
    }
    // An edit box 'e' at (40, 100) on the 160-wide panel, focused by a tap.
    ProbeScreen *Focused(const std::string &more = "")
    {
        ProbeScreen *s = Show("Edit", "CreateComp ('Editbox', 'e')\nSetProperty ('position_type', 'ABSOLUTE')\n"
                                      "SetProperty ('position', 40, 100)\nSetProperty ('editbox.bm_panel', 'gfx/panel.png')\n"
                                      "SetProperty ('editbox.bm_cursor', 'gfx/caret.png')\n"
                                      "SetProperty ('editbox.font', 'fonts/medium.mft')\n" + more);
        // At the right end: the tap leaves the text cursor after the text.
        Touch(hl::TouchPhase::Down, 195, 110);
        Touch(hl::TouchPhase::Up, 195, 110);
        box = dynamic_cast<UICompEditbox *>(s->GetComp("e"));
        return s;
    }
    float Width(const char *text)
    {
        return ov->OV_GetTextWidthf(box->font, "%s", text);
    }
    UICompEditbox *box = nullptr;
};

TEST_F(Editbox, ATapShowsTheKeyboardAndKeysType)
{
    ASSERT_FALSE(hl::keyboard_visible());
    ProbeScreen *s = Focused();
    EXPECT_TRUE(hl::keyboard_visible());
    EXPECT_EQ(Count("BeginKeyboardInput"), 1);
    EXPECT_EQ(sman.cursors[0].focus, box);
    for (int c : {'a', '.', 'b', '@', 'c'})
        Key(c);
    EXPECT_STREQ(box->text, "a.b@c");
    EXPECT_EQ(box->cursor, 5);
    Key('!');
    Key('<');
    EXPECT_STREQ(box->text, "a.b@c");
    EXPECT_EQ(Eval(s, "GetProperty ('e:editbox.text')"), "a.b@c");
}

TEST_F(Editbox, TheFilterTakesWhatTheFontShowsAndRefusesTheRest)
{
    Focused();
    box->max_chars = 200;
    const struct {
        int c;
        int taken;
    } cases[] = {
        {'a', 1}, {'Z', 1}, {'0', 1}, {' ', 1}, {'-', 1}, {'_', 1}, {'\'', 1}, {':', 1}, {'@', 1}, {';', 1},
        {',', 1}, {'.', 1}, {'[', 1}, {'!', 0}, {'<', 0}, {'>', 0}, {'\\', 0}, {'|', 0}, {'"', 0}, {'#', 0},
        {9, 0}, {1, 0}, {(int)(signed char)0x81, 0},   // the font has no glyph for 0x81
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.c);
        const size_t before = strlen(box->text);
        EXPECT_EQ(box->ProcessChar(c.c), c.taken);
        EXPECT_EQ(strlen(box->text), before + c.taken);
    }
    // Without a font nothing is taken.
    UICompEditbox bare;
    EXPECT_FALSE(bare.IsValidChar('a'));
}

TEST_F(Editbox, CapsOnlyMakesCapitalsAndMaxCharsIsAHardLimit)
{
    ProbeScreen *s = Focused("SetProperty ('editbox.caps_only', 1)\n");
    ASSERT_TRUE(box->caps_only);
    Key('a');
    Key('1');
    EXPECT_STREQ(box->text, "A1");
    // The device types the Latin-1 letters as themselves; caps only raises them.
    ASSERT_TRUE(box->IsValidChar((signed char)0xC4));
    Key(0xE4);   // a umlaut
    box->ProcessChar((signed char)0xF6);
    EXPECT_STREQ(box->text, "A1\xC4\xD6");
    ASSERT_TRUE(Run(s, "SetProperty ('e:editbox.text', 'abcdefgh')"));
    EXPECT_EQ(box->cursor, 8);
    EXPECT_EQ(box->ProcessChar('x'), 0);   // 8 of 8
    Key(ovdev::KEYCODE_LEFT);
    EXPECT_EQ(box->cursor, 7);
    EXPECT_EQ(box->ProcessChar('x'), 0);   // still full, wherever the cursor is
    EXPECT_STREQ(box->text, "abcdefgh");
    ASSERT_TRUE(Run(s, "SetProperty ('e:editbox.max_chars', 9.7)"));
    EXPECT_EQ(box->ProcessChar('x'), 1);
    EXPECT_STREQ(box->text, "abcdefgXh");   // caps only
}

TEST_F(Editbox, EditingKeys)
{
    ProbeScreen *s = Focused("SetProperty ('editbox.text', 'abcd')\n");
    const struct {
        int key;
        const char *text;
        int cursor;
    } steps[] = {
        {ovdev::KEYCODE_LEFT, "abcd", 3},
        {ovdev::KEYCODE_LEFT, "abcd", 2},
        {ovdev::KEYCODE_BACKSPACE, "acd", 1},
        {ovdev::KEYCODE_DELETE, "ad", 1},
        {ovdev::KEYCODE_RIGHT, "ad", 2},
        {ovdev::KEYCODE_RIGHT, "ad", 2},      // not beyond the end
        {ovdev::KEYCODE_DELETE, "ad", 2},     // nothing at the end
        {ovdev::KEYCODE_LEFT, "ad", 1},
        {ovdev::KEYCODE_LEFT, "ad", 0},
        {ovdev::KEYCODE_LEFT, "ad", 0},
        {ovdev::KEYCODE_BACKSPACE, "ad", 0},  // nothing before the start
    };
    for (const auto &st : steps) {
        SCOPED_TRACE(st.text);
        Key(st.key);
        EXPECT_STREQ(box->text, st.text);
        EXPECT_EQ(box->cursor, st.cursor);
    }
    EXPECT_EQ(box->ProcessKey(112), 1);   // every key is the edit box's
    EXPECT_EQ(box->ProcessCursorMove(&sman.cursors[3], 38, 0.1f), 1);
    (void)s;
}

TEST_F(Editbox, ReturnClicksOnceAndHidesTheKeyboard)
{
    Focused("SetProperty ('editbox.text', 'name')\nfunction OnClick (n) got = GetProperty ('e:editbox.text') end\n");
    ASSERT_TRUE(hl::keyboard_visible());
    const int taps = Clicks("e");
    box->cursor = 1;
    Key(ovdev::KEYCODE_RETURN);   // the key, then the character 13
    EXPECT_EQ(Clicks("e"), taps + 1);
    EXPECT_EQ(box->cursor, 4);
    EXPECT_FALSE(hl::keyboard_visible());
    EXPECT_EQ(Count("EndKeyboardInput"), 1);
    EXPECT_EQ(Count("IPHONE_EndKeyboardInput"), 0);
    EXPECT_STREQ(box->text, "name");
    // A lone character 13 reports a click of its own.
    EXPECT_EQ(box->ProcessChar(13), 1);
    EXPECT_EQ(Clicks("e"), taps + 2);
    EXPECT_EQ(Count("IPHONE_EndKeyboardInput"), 1);
}

TEST_F(Editbox, ATouchPlacesTheCursor)
{
    Focused("SetProperty ('editbox.text', 'abcdef')\nSetProperty ('editbox.padding', 4)\n");
    const float start = 40 + 4;
    const struct {
        float x;
        int cursor;
    } cases[] = {
        {start - 3, 0},
        {start + Width("abc") - 1, 3},
        {start + Width("abcd") + 1, 4},
        {start + Width("abcdef") + 5, 6},
        {198, 6},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.x);
        box->cursor = -1;
        Touch(hl::TouchPhase::Down, (int)c.x, 110);
        Touch(hl::TouchPhase::Move, (int)c.x, 111);
        Touch(hl::TouchPhase::Up, (int)c.x, 111);
        EXPECT_EQ(box->cursor, c.cursor);
    }
}

// A tap whose press and release arrive within one frame places the text cursor.
TEST_F(Editbox, AOneFrameTapPlacesTheCursor)
{
    Focused("SetProperty ('editbox.text', 'abcdef')\nSetProperty ('editbox.padding', 4)\n");
    ASSERT_EQ(box->cursor, 6);
    const float start = 40 + 4;
    Tap((int)(start + Width("abc") - 1), 110);
    EXPECT_EQ(box->cursor, 3);
    Tap((int)(start - 3), 110);
    EXPECT_EQ(box->cursor, 0);
    Key('x');
    EXPECT_STREQ(box->text, "xabcdef") << "typing goes in at the tapped place";
}

TEST_F(Editbox, ALongTextShowsItsTailUntilTheCursorGoesToTheHead)
{
    Focused("SetProperty ('editbox.bm_panel', 'gfx/narrow.png')\nSetProperty ('editbox.max_chars', 40)\n"
            "SetProperty ('editbox.text', 'WWWWWWWWWW..........')\n");
    auto lit = [] {
        int n = 0;
        for (int x = 40; x < 100; x++)
            for (int y = 100; y < 124; y++)
                n += Pixel(x, y)[0] > 128;
        return n;
    };
    ASSERT_GT(Width("WWWWWWWWWW.........."), 60.0f);
    Frame();
    const int tail = lit();
    box->cursor = 0;
    Frame();
    const int head = lit();
    EXPECT_GT(head, 3 * tail);
    EXPECT_GT(tail, 0);
}

TEST_F(Editbox, TheCursorBlinksSixTenthsOnFourTenthsOff)
{
    Focused("SetProperty ('editbox.text', 'ab')\n");
    Key('c');   // a key shows the cursor at once
    ASSERT_LT(box->cycle_time, 0.02f);
    // From here only the injected steps move the clock: frames draw without updating.
    auto update = prog.Update;
    prog.Update = nullptr;
    box->cycle_time = 0.0f;
    auto caret_shown = [this] {
        // The caret is centred on the end of the text, on the box's middle row.
        const int x = 40 + (int)Width("abc");
        int green = 0;
        for (int dx = -2; dx <= 2; dx++)
            green += Near(Pixel(x + dx, 112), kGreen, 40);
        return green > 0;
    };
    const struct {
        float dt;
        bool shown;
    } clock[] = {{0.0f, true}, {0.55f, true}, {0.1f, false}, {0.3f, false}, {0.1f, true}, {0.5f, true}};
    for (const auto &t : clock) {
        Steps(1, t.dt);
        SCOPED_TRACE(box->cycle_time);
        EXPECT_EQ(box->cycle_time < 0.6f, t.shown);
        DrawFrame();
        EXPECT_EQ(caret_shown(), t.shown);
    }
    // Without the focus the caret never shows.
    sman.SetCursorFocus(nullptr);
    box->cycle_time = 0.1f;
    DrawFrame();
    EXPECT_FALSE(caret_shown());
    prog.Update = update;
}

TEST_F(Editbox, PropertiesExportAndInheritance)
{
    ProbeScreen *s = Focused("SetProperty ('editbox.bm_panel_over', 'gfx/narrow.png')\n"
                             "SetProperty ('editbox.max_chars', '12')\nSetProperty ('editbox.padding', 3.7)\n"
                             "SetProperty ('editbox.text_offset', 1, 2)\nSetProperty ('editbox.text_offset.y', 5)\n"
                             "SetProperty ('editbox.text_scale', 1.5)\nSetProperty ('editbox.text_color', 1, 0.5)\n"
                             "SetProperty ('editbox.caps_only', 2)\nSetProperty ('editbox.text', 'hello')\n");
    EXPECT_EQ(Eval(s, "GetProperty ('e:editbox.bm_panel')"), "gfx/panel.png");
    EXPECT_EQ(Eval(s, "GetProperty ('e:editbox.bm_panel_over')"), "gfx/narrow.png");
    EXPECT_EQ(Eval(s, "GetProperty ('e:editbox.bm_cursor')"), "gfx/caret.png");
    EXPECT_EQ(Eval(s, "GetProperty ('e:editbox.font')"), "fonts/medium.mft");
    EXPECT_EQ(Eval(s, "GetProperty ('e:editbox.max_chars')"), "12");
    EXPECT_EQ(Eval(s, "GetProperty ('e:editbox.padding')"), "3.7000000476837");
    EXPECT_EQ(Eval(s, "GetProperty ('e:editbox.text')"), "hello");
    EXPECT_EQ(Eval(s, "GetProperty ('e:editbox.text_scale')"), "nil");
    EXPECT_TRUE(Logged("UICompEditbox::GetProperty: Unknown Property 'editbox.text_scale'"));
    ASSERT_TRUE(Run(s, "SetProperty ('e:editbox.Text', 'x')"));
    EXPECT_TRUE(Logged("UICompEditbox::SetProperty: Unknown Property 'editbox.Text'"));
    EXPECT_FLOAT_EQ(box->text_offset_y, 5.0f);
    EXPECT_FLOAT_EQ(box->text_color.b, 0.0f);
    EXPECT_TRUE(box->caps_only);
    // A 300-character text is ignored by the property; SetText keeps its first 255.
    const std::string long_text(300, 'k');
    ASSERT_TRUE(Run(s, "SetProperty ('e:editbox.text', string.rep ('k', 300))"));
    EXPECT_STREQ(box->text, "hello");
    EXPECT_EQ(box->cursor, 5);
    box->SetText("%s", long_text.c_str());
    EXPECT_EQ(strlen(box->text), 255u);
    EXPECT_EQ(box->cursor, 255);
    box->SetText("short");
    EXPECT_EQ(Exported(box, "editbox."),
              "SetProperty (\"editbox.bm_panel\", \"gfx/panel.png\");\n"
              "SetProperty (\"editbox.bm_panel_over\", \"gfx/narrow.png\");\n"
              "SetProperty (\"editbox.bm_cursor\", \"gfx/caret.png\");\n"
              "SetProperty (\"editbox.font\", \"fonts/medium.mft\");\n"
              "SetProperty (\"editbox.padding\", 3);\n"
              "SetProperty (\"editbox.max_chars\", 12);\n"
              "SetProperty (\"editbox.text_offset\", 1, 5);\n"
              "SetProperty (\"editbox.text_color\", 1, 0.5, 0);\n"
              "SetProperty (\"editbox.text_scale\", 1.5);\n"
              "SetProperty (\"editbox.caps_only\", 1);\n");
    ASSERT_TRUE(Run(s, "CreateComp ('Editbox', 'f')"));
    UICompEditbox *f = dynamic_cast<UICompEditbox *>(s->GetComp("f"));
    EXPECT_EQ(Exported(f, "editbox."), "");
    EXPECT_FLOAT_EQ(f->width, 16.0f);
    EXPECT_EQ(f->max_chars, 8);
    EXPECT_TRUE(f->InheritFrom(box));
    EXPECT_STREQ(f->text, "short");
    EXPECT_EQ(f->cursor, 5);
    EXPECT_EQ(f->max_chars, 12);
    EXPECT_EQ(f->bm_cursor, box->bm_cursor);
    EXPECT_FLOAT_EQ(f->width, 160.0f);
    UIComp *copy = box->Clone("copy");
    UICompEditbox *ce = dynamic_cast<UICompEditbox *>(copy);
    ASSERT_NE(ce, nullptr);
    EXPECT_STREQ(ce->text, "short");
    EXPECT_FLOAT_EQ(ce->text_scale, 1.5f);
    delete copy;
}

}  // namespace
