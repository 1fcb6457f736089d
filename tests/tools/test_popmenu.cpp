// The edit mode's pop-up menu and tool tip: hit areas, fades, colours read back from
// the headless renderer, clicks through the engine's event path, the edit menu's ids.
#include "tests/app/ui/input_widgets_fixture.h"

#include "app/services/prog.h"
#include "core/ov_state.h"
#include "ovrecords.h"
#include "tools/edit-mode.h"
#include "tools/popmenu.h"

#include <string.h>

using namespace uitest;
using wtest::Near;
using apptest::Pixel;
using apptest::Rgba;

namespace {

class PopMenuTest : public wtest::WidgetTest {
protected:
    void SetUp() override
    {
        WidgetTest::SetUp();
        ASSERT_TRUE(wtest::CopyShippedFont("core/console.mft"));
        font_ = ov->OV_GetFont("core/console.mft");
        ASSERT_NE(font_, nullptr);
        line_ = (float)font_->line_height;
    }
    void TearDown() override
    {
        EditModeForgetComponents();
        WidgetTest::TearDown();
    }
    static ov_event_t Button(int type, int button, int x, int y)
    {
        ov_event_t ev;
        memset(&ev, 0, sizeof ev);
        ev.type = type;
        ev.button = (uint16_t)button;
        ev.x = x;
        ev.y = y;
        return ev;
    }
    ov_font_t *font_ = nullptr;
    float line_ = 0.0f;
};

TEST_F(PopMenuTest, ItemsAreHitInsideTheirRowsOnly)
{
    PopMenu menu;
    menu.AddItem(0, "", "Title");
    menu.AddItem(1, "one", "First item");
    menu.AddItem(1, "two", "Second");
    menu.SetPos(vec2_t{50, 40});
    EXPECT_EQ(menu.GetItemAtPoint(vec2_t{60, 50}), -1) << "hidden";
    menu.SetVisible(true);
    float left = 54.0f, top = 44.0f, w = menu.text_width;
    ASSERT_GT(w, 0.0f);
    struct Case {
        float x, y;
        int item;
    } cases[] = {
        {left, top, 0},                          // inclusive corner
        {left - 0.01f, top, -1},                 // left of the text
        {left + w - 0.01f, top + line_ - 0.01f, 0},
        {left + w, top, -1},                     // right edge exclusive
        {left, top + line_, 1},                  // next row starts
        {left + 1, top + 2 * line_ + 1, 2},
        {left + 1, top + 3 * line_, -1},         // below the last
        {left + 1, top - 0.01f, -1},             // in the margin above
    };
    for (const Case &c : cases)
        EXPECT_EQ(menu.GetItemAtPoint(vec2_t{c.x, c.y}), c.item) << c.x << "," << c.y;
}

TEST_F(PopMenuTest, FadesInAtFourAndOutAtSevenPerSecond)
{
    PopMenu menu;
    menu.AddItem(1, "a", "Alpha");
    menu.SetVisible(true);
    menu.Update(0.1f);
    EXPECT_NEAR(menu.fade, 0.4f, 1e-5f);
    EXPECT_NEAR(menu.line_height, line_ * 0.4f, 1e-4f);
    EXPECT_NEAR(menu.panel_width, (8.0f + menu.text_width) * 0.4f, 1e-4f);
    EXPECT_NEAR(menu.panel_height, (8.0f + line_) * 0.4f, 1e-4f);
    menu.Update(1.0f);
    EXPECT_EQ(menu.fade, 1.0f) << "clamped";
    menu.SetVisible(false);
    menu.Update(0.1f);
    EXPECT_NEAR(menu.fade, 0.3f, 1e-5f);
    menu.Update(0.1f);
    EXPECT_EQ(menu.fade, 0.0f) << "clamped";
}

TEST_F(PopMenuTest, EmptyMenuIsTwiceTheMarginAtFullFade)
{
    PopMenu menu;
    menu.SetPos(vec2_t{0, 0});
    EXPECT_EQ(menu.text_width, 0.0f);
    EXPECT_EQ(menu.panel_width, 8.0f);
    EXPECT_EQ(menu.panel_height, 8.0f);
    menu.SetVisible(true);
    EXPECT_EQ(menu.GetItemAtPoint(vec2_t{4, 4}), -1);
}

TEST_F(PopMenuTest, RemoveItemTakesOnlyTheFirstOfADoubledId)
{
    PopMenu menu;
    EXPECT_EQ(menu.RemoveItem("x"), 0) << "empty menu";
    menu.AddItem(1, "x", "first x");
    menu.AddItem(1, "y", "why");
    menu.AddItem(1, "x", "second x");
    menu.AddItem(1, nullptr, nullptr);
    EXPECT_EQ(menu.RemoveItem("X"), 0) << "exact comparison";
    EXPECT_EQ(menu.RemoveItem("x"), 1);
    ASSERT_EQ(menu.items.Count(), 3);
    EXPECT_STREQ(menu.items[0].text, "why");
    EXPECT_STREQ(menu.items[1].text, "second x");
    EXPECT_STREQ(menu.items[2].id, "") << "null stored as empty";
    EXPECT_EQ(menu.RemoveItem(""), 1);
    menu.Reset();
    EXPECT_EQ(menu.items.Count(), 0);
    EXPECT_EQ(menu.text_width, 0.0f);
}

TEST_F(PopMenuTest, DrawsTitleHoveredAndOtherItemsInTheirColours)
{
    static PopMenu menu;
    menu.Reset();
    menu.AddItem(0, "", "##########");
    menu.AddItem(1, "hover", "##########");
    menu.AddItem(1, "other", "##########");
    menu.SetPos(vec2_t{20, 20});
    menu.SetVisible(true);
    apptest::draw = [](float) {
        ov->OV_ClearScreen(0.2f, 0.2f, 0.8f);
        mpos = vec2_t{26.0f, 24.0f + menu.line_height * 1.5f};
        menu.Draw();
    };
    Frame();
    // The panel: black at 0.75 over the clear colour.
    Rgba panel = Pixel(21, 21);
    EXPECT_TRUE(Near(panel, Rgba{13, 13, 51, 255}, 4)) << panel[0] << " " << panel[1] << " " << panel[2];
    // The brightest pixel of each row is its text colour.
    auto Brightest = [&](int row) {
        Rgba best{0, 0, 0, 0};
        int y0 = (int)(24.0f + row * line_), y1 = (int)(24.0f + (row + 1) * line_);
        for (int y = y0; y < y1; y++)
            for (int x = 24; x < 24 + (int)menu.text_width; x++) {
                Rgba p = Pixel(x, y);
                if (p[0] + p[1] + p[2] > best[0] + best[1] + best[2])
                    best = p;
            }
        return best;
    };
    Rgba title = Brightest(0), hovered = Brightest(1), other = Brightest(2);
    EXPECT_TRUE(Near(title, Rgba{255, 255, 255, 255}, 6)) << title[0] << " " << title[1] << " " << title[2];
    EXPECT_TRUE(Near(hovered, Rgba{255, 128, 77, 255}, 6)) << hovered[0] << " " << hovered[1] << " " << hovered[2];
    EXPECT_TRUE(Near(other, Rgba{153, 153, 153, 255}, 6)) << other[0] << " " << other[1] << " " << other[2];
    menu.Reset();
}

TEST_F(PopMenuTest, ClickOutsideHidesAndIsConsumed)
{
    PopMenuEdit &menu = EditMenu();
    menu.Reset();
    menu.AddItem(1, "EDIT_NAME", "Edit name...");
    menu.SetPos(vec2_t{10, 10});
    menu.SetVisible(true);
    sman.reset_next_frame_time_delta.store(false);
    ov_event_t up = Button(OV_EVENT_BUTTON_UP, 510, 200, 200);
    EXPECT_EQ(menu.ProcessEvent(&up), 0) << "only a button-down";
    ov_event_t right = Button(OV_EVENT_BUTTON_DOWN, 511, 200, 200);
    EXPECT_EQ(menu.ProcessEvent(&right), 0) << "only the left button";
    ov_event_t down = Button(OV_EVENT_BUTTON_DOWN, 510, 200, 200);
    EXPECT_EQ(menu.ProcessEvent(&down), 1);
    EXPECT_FALSE(menu.visible);
    EXPECT_TRUE(sman.reset_next_frame_time_delta.load());
}

TEST_F(PopMenuTest, SeparatorKeepsTheEditMenuOpen)
{
    PopMenuEdit &menu = EditMenu();
    menu.Reset();
    menu.AddItem(0, "", "-");
    menu.SetPos(vec2_t{10, 10});
    menu.SetVisible(true);
    ov_event_t down = Button(OV_EVENT_BUTTON_DOWN, 510, 15, 15);
    EXPECT_EQ(menu.ProcessEvent(&down), 1);
    EXPECT_TRUE(menu.visible);
    EXPECT_EQ(menu.ProcessClick(nullptr), 0);
    EXPECT_EQ(menu.ProcessClick("NOT_AN_ID"), 0);
}

bool g_handler_says = false;
std::string g_handled;
bool Handler(const char *id)
{
    g_handled = id;
    return g_handler_says;
}

TEST_F(PopMenuTest, ClickHandlerDecidesBeforeProcessClick)
{
    PopMenu menu;
    menu.AddItem(1, "first", "First");
    menu.SetPos(vec2_t{10, 10});
    menu.SetVisible(true);
    menu.SetClickHandler(Handler);
    ov_event_t down = Button(OV_EVENT_BUTTON_DOWN, 510, 15, 15);
    g_handler_says = true;
    EXPECT_EQ(menu.ProcessEvent(&down), 1);
    EXPECT_EQ(g_handled, "first");
    EXPECT_FALSE(menu.visible);
    menu.SetVisible(true);
    g_handler_says = false;   // the base ProcessClick then hides it
    EXPECT_EQ(menu.ProcessEvent(&down), 1);
    EXPECT_FALSE(menu.visible);
}

TEST_F(PopMenuTest, ToolTipFrameReadBack)
{
    apptest::draw = [](float) {
        ov->OV_ClearScreen(0.0f, 0.0f, 1.0f);
        DrawToolTip(40, 50, "Tip");
    };
    Frame();
    int w = (int)ov->OV_GetTextWidthf(font_, "%s", "Tip") + 4, h = font_->height + 4;
    Rgba white{255, 255, 255, 255};
    // Frame: top row from x - 1, left and right columns, bottom row.
    EXPECT_TRUE(Near(Pixel(39, 48), white));
    EXPECT_TRUE(Near(Pixel(38, 48 + h / 2), white));
    EXPECT_TRUE(Near(Pixel(38 + w - 1, 48 + h / 2), white));
    EXPECT_TRUE(Near(Pixel(39 + w / 2, 48 + h - 1), white));
    // Inside: black at 0.75 over blue; outside: blue.
    EXPECT_TRUE(Near(Pixel(39, 49 + h - 3), Rgba{0, 0, 64, 255}, 4));
    EXPECT_TRUE(Near(Pixel(38 + w, 48 + h / 2), Rgba{0, 0, 255, 255}));
    EXPECT_TRUE(Near(Pixel(38 + w / 2, 48 + h), Rgba{0, 0, 255, 255}));
}

}  // namespace
