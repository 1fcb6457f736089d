// The list box: touch drags (a 3-unit dead zone, the content following the finger,
// the fling and the spring back), the wheel through the engine's wheel sender, keys,
// selection by touch, clipping of its lines to the padding band, its getters, the
// script functions that fill it, line bitmap references, and properties and export.
#include "tests/app/ui/input_widgets_fixture.h"

#include "app/services/prog.h"
#include "app/ui/widgets/ui-listbox.h"
#include "core/ov_state.h"
#include "ovrecords.h"
#include "platform/screen.h"

#include <math.h>
#include <stdio.h>

using namespace wtest;
using apptest::Logged;
using apptest::Pixel;
using uitest::ProbeScreen;

namespace {

const Rgba kRed = {255, 0, 0, 255}, kGreen = {0, 255, 0, 255}, kBlack = {0, 0, 0, 255};

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

class Listbox : public WidgetTest {
protected:
    void SetUp() override
    {
        WidgetTest::SetUp();
        ASSERT_TRUE(CopyShippedFont("fonts/medium.mft"));
        WriteSolidPng("gfx/frame.png", 120, 200, {0, 0, 0, 0});
        WriteSolidPng("gfx/icon.png", 8, 40, {255, 255, 255, 255});
    }
    // A list 'l' of n lines at (50, 20) in the transparent 120 x 200 frame.
    ProbeScreen *List(int n, const std::string &more = "")
    {
        std::string script = "CreateComp ('Listbox', 'l')\nSetProperty ('position_type', 'ABSOLUTE')\n"
                             "SetProperty ('position', 50, 20)\nSetProperty ('listbox.bm_frame', 'gfx/frame.png')\n"
                             "SetProperty ('listbox.font', 'fonts/medium.mft')\n" + more;
        for (int i = 0; i < n; i++)
            script += "AddListboxLine ('l', 'line " + std::to_string(i) + "')\n";
        ProbeScreen *s = Show("List", script);
        list = dynamic_cast<UICompListbox *>(s->GetComp("l"));
        return s;
    }
    // Frames of the screen manager until the scroll settles (bounded).
    void Settle()
    {
        for (int i = 0; i < 400 && (list->pending_scroll != 0.0f || list->dragging); i++)
            Steps(1, 0.02f);
        Steps(100, 0.02f);
    }
    UICompListbox *list = nullptr;
};

TEST_F(Listbox, DragsFollowTheFingerAfterThreeUnitsAndFlingOnRelease)
{
    List(25);
    const float lh = (float)list->line_height;
    ASSERT_GE(lh, 10.0f);
    // Only the steps below move the scroll: the frames that deliver the touches do not.
    auto update = prog.Update;
    prog.Update = nullptr;
    Touch(hl::TouchPhase::Down, 100, 150);
    Touch(hl::TouchPhase::Move, 100, 148);
    Touch(hl::TouchPhase::Move, 100, 147);   // 3 units: still no drag
    EXPECT_FALSE(list->dragging);
    EXPECT_EQ(list->pending_scroll, 0.0f);
    EXPECT_EQ(list->scroll_offset, 0.0f);
    Touch(hl::TouchPhase::Move, 100, 140);   // the drag starts here
    EXPECT_TRUE(list->dragging);
    const float before = list->scroll_offset + list->pending_scroll;
    Touch(hl::TouchPhase::Move, 100, 120);   // 20 units up: the content follows
    Touch(hl::TouchPhase::Move, 100, 100);
    const float followed = list->scroll_offset + list->pending_scroll;
    EXPECT_NEAR(followed - before, 40.0f / lh, 1e-4);
    const float pending = list->pending_scroll;
    Touch(hl::TouchPhase::Up, 100, 100);
    EXPECT_FALSE(list->dragging);
    EXPECT_NEAR(list->pending_scroll, 4.0f * pending, 1e-4);   // the fling
    // It glides over several frames, then rests inside the list.
    const float start = list->scroll_offset;
    prog.Update = update;
    Steps(1, 0.02f);
    const float one = list->scroll_offset;
    Steps(1, 0.02f);
    EXPECT_GT(one, start);
    EXPECT_GT(list->scroll_offset, one);
    Settle();
    EXPECT_EQ(list->pending_scroll, 0.0f);
    const int v = list->VisibleLines(200);
    EXPECT_GE(list->scroll_offset, 0.0f);
    EXPECT_LE(list->scroll_offset, (float)(25 + 1 - v));
}

TEST_F(Listbox, ScrollingPastEitherEndSpringsBack)
{
    List(25);
    const int v = list->VisibleLines(200);
    ASSERT_GT(v, 1);
    list->scroll_offset = -3.5f;
    Settle();
    EXPECT_FLOAT_EQ(list->scroll_offset, 0.0f);
    list->scroll_offset = 30.0f;
    Settle();
    EXPECT_FLOAT_EQ(list->scroll_offset, (float)(25 + 1 - v));
    // A list shorter than its view rests at 0.
    ProbeScreen *s = Show("Short", "CreateComp ('Listbox', 's')\nSetProperty ('listbox.bm_frame', 'gfx/frame.png')\n"
                                   "AddListboxLine ('s', 'only')\n");
    UICompListbox *shortl = dynamic_cast<UICompListbox *>(s->GetComp("s"));
    shortl->scroll_offset = 2.0f;
    for (int i = 0; i < 200; i++)
        shortl->Update(0.02f);
    EXPECT_FLOAT_EQ(shortl->scroll_offset, 0.0f);
}

// A list without a frame bitmap ("!NONE", as the profiles list, the developer menu and
// the "ListBoxPlain" template have) counts its visible lines in its own height, as a
// framed list counts them in its frame's: a fling toward the end comes to rest on the
// last page, and the scroll functions move by half a page.
TEST_F(Listbox, WithOrWithoutAFrameAFlingComesToRestOnTheLastPage)
{
    struct Case {
        const char *name;
        const char *frame;
    } cases[] = {
        {"framed", "SetProperty ('listbox.bm_frame', 'gfx/frame.png')\n"},
        {"no frame", "SetProperty ('listbox.bm_frame', '!NONE')\nSetProperty ('listbox.content_size', 120, 200)\n"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        std::string script = std::string("CreateComp ('Listbox', 'l')\nSetProperty ('position_type', 'ABSOLUTE')\n"
                                         "SetProperty ('position', 50, 20)\n") +
                             c.frame + "SetProperty ('listbox.font', 'fonts/medium.mft')\n";
        for (int i = 0; i < 25; i++)
            script += "AddListboxLine ('l', 'line " + std::to_string(i) + "')\n";
        ProbeScreen *s = Show(c.name, script);
        list = dynamic_cast<UICompListbox *>(s->GetComp("l"));
        ASSERT_NE(list, nullptr);
        ASSERT_EQ(list->height, 200.0f);
        const int v = list->VisibleLines(200);
        ASSERT_GT(v, 2);
        // Half a page down and back up.
        ASSERT_TRUE(Run(s, "ScrollListboxDown ('l')"));
        Settle();
        EXPECT_FLOAT_EQ(list->scroll_offset, (float)(v / 2));
        ASSERT_TRUE(Run(s, "ScrollListboxUp ('l')"));
        Settle();
        EXPECT_FLOAT_EQ(list->scroll_offset, 0.0f);
        // Long upward drags released in motion: the flings end on the last page.
        for (int fling = 0; fling < 4; fling++) {
            Touch(hl::TouchPhase::Down, 100, 200);
            for (int y = 190; y >= 30; y -= 20)
                Touch(hl::TouchPhase::Move, 100, y);
            Touch(hl::TouchPhase::Up, 100, 30);
        }
        Settle();
        EXPECT_FLOAT_EQ(list->scroll_offset, (float)(25 + 1 - v));
        sman.PopScreen(s, false);
        Steps(2, 0.02f);
    }
}

TEST_F(Listbox, TheWheelScrollsByLinesOfItsDelta)
{
    List(25);
    Touch(hl::TouchPhase::Down, 100, 60);   // the press gives the list the focus
    Touch(hl::TouchPhase::Up, 100, 60);
    ASSERT_EQ(sman.cursors[0].focus, list);
    list->selected = 0;
    OVI_SendMouseWheelEvent(4, 0, 240, 100, 60);
    PumpFrame();
    EXPECT_NEAR(list->scroll_offset + list->pending_scroll, 2.0f, 0.05f);
    OVI_SendMouseWheelEvent(4, 0, -120, 100, 60);
    PumpFrame();
    EXPECT_NEAR(list->scroll_offset + list->pending_scroll, 1.0f, 0.05f);
    EXPECT_EQ(list->ProcessMouseWheel(-1200), 1);
    Settle();
    EXPECT_FLOAT_EQ(list->scroll_offset, 0.0f);
}

TEST_F(Listbox, KeysMoveTheSelectionAndScrollItIntoView)
{
    // A frame for ten visible lines between the paddings of 20.
    ov_font_t *font = ov->OV_GetFont("fonts/medium.mft");
    ASSERT_NE(font, nullptr);
    const int lh = font->line_height > 10 ? font->line_height : 10;
    WriteSolidPng("gfx/frame10.png", 120, 40 + 10 * lh, {0, 0, 0, 0});
    List(25, "SetProperty ('listbox.bm_frame', 'gfx/frame10.png')\n");
    ASSERT_EQ(list->line_height, lh);
    ASSERT_EQ(list->VisibleLines(list->content_height), 10);
    Touch(hl::TouchPhase::Down, 100, 60);
    Touch(hl::TouchPhase::Up, 100, 60);
    list->selected = 0;
    list->scroll_offset = list->pending_scroll = 0.0f;
    const struct {
        int key;
        int selected;
    } keys[] = {
        {ovdev::KEYCODE_END, 24}, {ovdev::KEYCODE_UP, 23}, {ovdev::KEYCODE_PG_UP, 18}, {ovdev::KEYCODE_HOME, 0},
        {ovdev::KEYCODE_UP, 0},   {ovdev::KEYCODE_DOWN, 1}, {ovdev::KEYCODE_PG_DOWN, 6},
    };
    for (const auto &k : keys) {
        SCOPED_TRACE(k.selected);
        Key(k.key);
        EXPECT_EQ(list->selected, k.selected);
        Settle();
        // Scrolled so that the selection is in view.
        EXPECT_LE(list->scroll_offset, (float)k.selected + 1e-4f);
        EXPECT_GE(list->scroll_offset + 10.0f - 1.0f, (float)k.selected);
    }
    list->selected = 0;
    list->scroll_offset = list->pending_scroll = 0.0f;
    Key(ovdev::KEYCODE_END);
    EXPECT_FLOAT_EQ(list->scroll_offset + list->pending_scroll, 16.0f);   // 24 - (0 + 10 - 2)
    EXPECT_EQ(list->ProcessKey('A'), 0);
    EXPECT_EQ(list->ProcessCursorMove(&sman.cursors[3], 38, 0.1f), 1);
    EXPECT_EQ(list->selected, 23);
}

TEST_F(Listbox, APressSelectsTheLineUnderIt)
{
    List(25);
    const float lh = (float)list->line_height;
    const struct {
        float offset;
        float y;   // in the list's own units from its top
        int selected;
    } cases[] = {
        {0.0f, 20 + 0.5f * lh, 0},
        {0.0f, 20 + 2.5f * lh, 2},
        {3.0f, 20 + 1.5f * lh, 4},
        {3.5f, 20 + 0.2f * lh, 3},   // the lower half of line 3, at the top of the band
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.y);
        list->scroll_offset = c.offset;
        list->pending_scroll = 0.0f;
        list->selected = -1;
        const int y = (int)(20 + c.y);
        Touch(hl::TouchPhase::Down, 100, y);
        Touch(hl::TouchPhase::Move, 100, y + 1);
        EXPECT_EQ(list->selected, c.selected);
        Touch(hl::TouchPhase::Up, 100, y + 1);
    }
}

// A tap whose press and release arrive within one frame selects the line under it
// before its click, so the screen's OnClick reads the new line.
TEST_F(Listbox, AOneFrameTapSelectsTheLineItsClickReads)
{
    ProbeScreen *s = List(25, "seen = {}\nfunction OnClick (name)\n"
                              "  table.insert (seen, name .. '=' .. GetProperty (name .. ':listbox.selected'))\nend\n");
    ASSERT_EQ(list->selected, 0);
    const float lh = (float)list->line_height;
    Tap(100, (int)(20 + 20 + 2.5f * lh));
    EXPECT_EQ(list->selected, 2);
    EXPECT_EQ(Eval(s, "table.concat (seen, ' ')"), "l=2");
    EXPECT_EQ(Clicks("l"), 1);
    Tap(100, (int)(20 + 20 + 0.5f * lh));
    EXPECT_EQ(list->selected, 0);
    EXPECT_EQ(Eval(s, "table.concat (seen, ' ')"), "l=2 l=0");
}

TEST_F(Listbox, LinesAreClippedToThePaddingBandAndLaterDrawingIsNot)
{
    ProbeScreen *s = List(25, "SetProperty ('color', 1, 0, 0)\nSetProperty ('listbox.selected', 0)\n"
                              "CreateComp ('Rectangle', 'after')\nSetProperty ('position_type', 'ABSOLUTE')\n"
                              "SetProperty ('position', 200, 20)\nSetProperty ('rectangle.rect_width', 20)\n"
                              "SetProperty ('rectangle.rect_height', 10)\nSetProperty ('color', 0, 1, 0)\n");
    const float lh = (float)list->line_height;
    // Half a line scrolled: line 0's band starts half a line above the top padding.
    list->scroll_offset = 0.5f;
    list->pending_scroll = 0.0f;
    auto update = prog.Update;
    prog.Update = nullptr;
    Frame();
    prog.Update = update;
    // The selection bar of line 0 inside the band, nothing of it above the padding.
    EXPECT_TRUE(Near(Pixel(52, 20 + 20 + 2), kRed));
    EXPECT_TRUE(Near(Pixel(52, 20 + 20 - 2), kBlack));
    EXPECT_TRUE(Near(Pixel(52, 20 + (int)(0.5f * lh) - 2), kBlack));
    // Below the bottom padding nothing of the lines either.
    for (int x = 50; x < 170; x += 3)
        EXPECT_TRUE(Near(Pixel(x, 20 + 200 - 5), kBlack)) << x;
    // The rectangle drawn after the list, above its band, is not clipped.
    EXPECT_TRUE(Near(Pixel(210, 25), kGreen));
    (void)s;
}

TEST_F(Listbox, GettersScriptFunctionsAndLineBitmaps)
{
    ProbeScreen *s = List(3, "CreateComp ('Rectangle', 'notalist')\n");
    list->SetLineId(2, "two");
    list->SetLineTextRight(1, "right %d", 1);
    const struct {
        const char *expr;
        const char *value;
    } getters[] = {
        {"GetProperty ('l:listbox.line[2].id')", "two"},
        {"GetProperty ('l:listbox.line[2]')", "line 2"},
        {"GetProperty ('l:listbox.line[1].text_right')", "right 1"},
        {"GetProperty ('l:listbox.line[0].text_right')", "nil"},
        {"GetProperty ('l:listbox.line[0].id')", "nil"},
        {"GetProperty ('l:listbox.line[99]')", ""},
        {"GetProperty ('l:listbox.line[-1].id')", ""},
        {"GetProperty ('l:listbox.line[99999999999999]')", ""},
        {"GetProperty ('l:listbox.selected')", "0"},
        {"GetProperty ('l:listbox.bm_frame')", "gfx/frame.png"},
        {"GetProperty ('l:listbox.bm_frame_top')", ""},
        {"GetProperty ('l:listbox.font')", "fonts/medium.mft"},
        {"GetProperty ('l:listbox.bm_selection')", "nil"},
    };
    for (const auto &g : getters)
        EXPECT_EQ(Eval(s, g.expr), g.value) << g.expr;
    EXPECT_TRUE(Logged("UICompListbox::GetProperty: Unknown Property 'listbox.bm_selection'"));

    // The script functions act on the last line; "%s" in a text is just text.
    ASSERT_TRUE(Run(s, "AddListboxLine ('l', '100%s done')\nSetListboxLineTextRight ('l', '%d%%')\n"
                       "AddListboxLine ('notalist', 'x')\nClearListbox ('nobody')\n"));
    EXPECT_EQ(list->GetNumberOfLines(), 4);
    EXPECT_STREQ(list->GetLine(3)->text, "100%s done");
    EXPECT_STREQ(list->GetLine(3)->text_right, "%d%%");
    // The line bitmap: one reference for the line, given back when replaced or cleared.
    ASSERT_TRUE(Run(s, "SetListboxLineBitmap ('l', 'gfx/icon.png')"));
    ov_bitmap_t *icon = list->GetLine(3)->bitmap;
    ASSERT_NE(icon, nullptr);
    const int held = icon->refcount;
    EXPECT_GE(list->icon_column, 2);
    ASSERT_TRUE(Run(s, "SetListboxLineBitmap ('l', 'gfx/icon.png')"));
    EXPECT_EQ(icon->refcount, held);   // the old reference went back
    ov_bitmap_t *keep = ov->OV_LoadBitmap("gfx/icon.png", 4);
    ASSERT_TRUE(Run(s, "ClearListbox ('l')"));
    EXPECT_EQ(list->GetNumberOfLines(), 0);
    EXPECT_EQ(icon->refcount, held);   // ours (taken above) minus the line's
    ov->OV_ReleaseBitmap(keep);
    // Without a line nothing is loaded.
    ASSERT_TRUE(Run(s, "SetListboxLineBitmap ('l', 'gfx/never.png')"));
    EXPECT_EQ(ov->OV_LoadBitmap("gfx/never.png", 16), nullptr);
    // Half a page each way (v = 16 / 2 = 8 with the frame), limited.
    for (int i = 0; i < 30; i++)
        list->AddLine(nullptr, "n%d", i);
    const int half = list->VisibleLines(200) / 2;
    ASSERT_TRUE(Run(s, "ScrollListboxDown ('l')"));
    EXPECT_FLOAT_EQ(list->pending_scroll, (float)half);
    ASSERT_TRUE(Run(s, "ScrollListboxUp ('l')\nScrollListboxUp ('l')"));
    EXPECT_FLOAT_EQ(list->pending_scroll, -(float)half);
    // Clearing keeps the block: 40 lines again allocate nothing new.
    for (int i = 0; i < 40; i++)
        list->AddLine(nullptr, "m%d", i);
    list->ClearLines();
    const int capacity = list->lines.Capacity();
    for (int i = 0; i < 40; i++)
        list->AddLine(nullptr, nullptr);
    EXPECT_EQ(list->lines.Capacity(), capacity);
    EXPECT_STREQ(list->GetLine(39)->text, "");
    EXPECT_EQ(list->SetLineText(39, nullptr), 1);
    EXPECT_EQ(list->GetLine(39)->text, nullptr);
    EXPECT_EQ(list->SetLineText(40, "x"), 0);
    EXPECT_EQ(list->SetLineId(-1, "x"), 0);
    EXPECT_EQ(list->GetLine(40), nullptr);
}

TEST_F(Listbox, PropertiesExportAndInheritance)
{
    ProbeScreen *s = List(0, "SetProperty ('listbox.padding_left', 5.9)\nSetProperty ('listbox.padding_top', '7')\n"
                             "SetProperty ('listbox.bm_selection', 'gfx/icon.png')\n"
                             "SetProperty ('listbox.text_color', 0, 1, 0)\nSetProperty ('listbox.selected', 3.8)\n");
    EXPECT_EQ(list->padding_left, 5);
    EXPECT_EQ(list->padding_top, 7);
    EXPECT_EQ(list->selected, 3);
    EXPECT_EQ(list->content_width, 120);   // the frame's size
    EXPECT_EQ(list->content_height, 200);
    EXPECT_FLOAT_EQ(list->width, 120.0f);
    ASSERT_TRUE(Run(s, "SetProperty ('l:listbox.Font', 'x')"));
    EXPECT_TRUE(Logged("UICompListbox::SetProperty: Unknown Property 'listbox.Font'"));
    EXPECT_EQ(Exported(list, "listbox."),
              "SetProperty (\"listbox.bm_frame\", \"gfx/frame.png\");\n"
              "SetProperty (\"listbox.content_size\", 120, 200);\n"
              "SetProperty (\"listbox.bm_selection\", \"gfx/icon.png\");\n"
              "SetProperty (\"listbox.font\", \"fonts/medium.mft\");\n"
              "SetProperty (\"listbox.padding_left\", \"5\");\n"
              "SetProperty (\"listbox.padding_top\", \"7\");\n");
    ASSERT_TRUE(Run(s, "CreateComp ('Listbox', 'm')"));
    UICompListbox *m = dynamic_cast<UICompListbox *>(s->GetComp("m"));
    EXPECT_EQ(Exported(m, "listbox."), "");
    EXPECT_FALSE(m->interactive);
    EXPECT_FLOAT_EQ(m->width, 200.0f);   // content 200 x 400 by default
    EXPECT_FLOAT_EQ(m->height, 400.0f);
    EXPECT_TRUE(m->InheritFrom(list));
    EXPECT_EQ(m->bm_frame, list->bm_frame);
    EXPECT_EQ(m->font, list->font);
    EXPECT_EQ(m->line_height, list->line_height);
    EXPECT_EQ(m->padding_top, 7);
    EXPECT_FLOAT_EQ(m->text_color.r, 0.0f);
    EXPECT_EQ(m->GetNumberOfLines(), 0);   // lines are not style
    UIComp *copy = list->Clone("copy");
    ASSERT_NE(dynamic_cast<UICompListbox *>(copy), nullptr);
    EXPECT_EQ(dynamic_cast<UICompListbox *>(copy)->padding_left, 5);
    delete copy;
    // A line bitmap of no height draws at scale 1; a frame band of no height draws no lines.
    WriteSolidPng("gfx/flat.png", 8, 1, {255, 255, 255, 255});
    list->AddLine(ov->OV_LoadBitmap("gfx/flat.png", 4), "flat");
    ASSERT_TRUE(Run(s, "SetProperty ('l:listbox.padding_bottom', 400)"));
    Frame();
}

}  // namespace
