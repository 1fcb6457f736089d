// The screen browser on probe screens: stepping through the registry, the list of
// screens and "Edit", the checkerboard and the title's fade read back, developer mode
// only UI, and stacked screens left as they are.
#include "tests/support/headless_engine.h"
#include "tools/screen-browser.h"

#include "app/services/prog.h"
#include "app/ui/screen-manager.h"
#include "app/ui/uiset.h"
#include "app/ui/widgets/ui-listbox.h"
#include "tests/app/ui/input_widgets_fixture.h"
#include "tests/app/ui/widget_fixture.h"

#include <stdlib.h>
#include <sys/stat.h>

#include <string>

using namespace uitest;

namespace {

const char kBrowserScript[] =
    "CreateComp ('Listbox', 'Screens')\nSetProperty ('position_type', 'ABSOLUTE')\n"
    "SetProperty ('position', 400, 400)\n"
    "CreateComp ('Rectangle', 'Edit')\nSetProperty ('position_type', 'ABSOLUTE')\n"
    "SetProperty ('position', 400, 400)\n";
// A screen's UI away from the top-left corner, where the title and the squares are read.
const char kProbeScript[] =
    "CreateComp ('Rectangle', 'box')\nSetProperty ('position_type', 'ABSOLUTE')\n"
    "SetProperty ('position', 300, 220)\n";

// The screen's Enter and Leave calls, in order.
std::vector<std::string> EnterLeave(const std::string &prefix)
{
    std::vector<std::string> out;
    for (const std::string &c : CallsOf(prefix))
        if (c == prefix + "Enter" || c == prefix + "Leave")
            out.push_back(c);
    return out;
}

class Browser : public UITest {
protected:
    void SetUp() override
    {
        UITest::SetUp();
        StartUI();
        apptest::WriteFile("ui/fw/screen-browser.lua", kBrowserScript);
    }
    void TearDown() override
    {
        if (browser_) {
            if (sman.IsScreenInStack(browser_))
                sman.PopScreen(browser_, false);
            browser_->ui = browser_->own_ui;
            browser_->FreeUI();
            delete browser_;
        }
        prog.parms.developer_mode = 1;
        UITest::TearDown();
    }
    ScreenScreenBrowser *Open(bool developer = true)
    {
        prog.parms.developer_mode = developer ? 1 : 0;
        browser_ = new ScreenScreenBrowser();
        EXPECT_TRUE(browser_->PreLoad());
        return browser_;
    }
    int Index(Screen *s) { return Screen::GetScreenIndexByName(s->name); }
    void Key(int key)
    {
        ov_event_t e = {};
        e.type = 8;
        e.key = key;
        browser_->ProcessEvent(&e);
    }
    // Draws the browser alone as the frame.
    void DrawBrowser()
    {
        apptest::draw = [this](float dt) { browser_->Draw(dt); };
        DrawFrame();
    }
    // Keeps the frame as a picture to be looked at.
    void Shot(const std::string &name)
    {
        EXPECT_TRUE(widgettest::SavePng(widgettest::ReadFrame(), enginetest::ShotPath("browser", name)));
    }
    ScreenScreenBrowser *browser_ = nullptr;
};

TEST_F(Browser, StepsThroughTheRegistryWrappingAndSkippingItself)
{
    MakeScreen("One", kProbeScript);
    MakeScreen("Two", kProbeScript);
    Open();
    browser_->Enter();
    int total = Screen::total_num_screens.load();
    int self = Index(browser_);
    ASSERT_GT(self, 0);
    ASSERT_LT(self, total - 1);
    EXPECT_EQ(browser_->index, self);
    EXPECT_EQ(browser_->browsed, nullptr) << "entering shows the browser itself: nothing";
    EXPECT_EQ(browser_->ui, browser_->own_ui);

    // Z on index 0 shows the last registered screen.
    browser_->ShowScreen(0);
    Screen *first = Screen::GetScreenByIndex(0);
    EXPECT_EQ(browser_->browsed, first);
    Key(90);
    EXPECT_EQ(browser_->index, total - 1);
    EXPECT_EQ(browser_->browsed, Screen::GetScreenByIndex(total - 1));
    EXPECT_EQ(browser_->ui, browser_->browsed->ui) << "the browsed set is borrowed";
    // A onto the browser's own index leaves the shown screen; the next A goes past it.
    browser_->ShowScreen(self - 1);
    Screen *before = browser_->browsed;
    Key(65);
    EXPECT_EQ(browser_->index, self);
    EXPECT_EQ(browser_->browsed, before);
    Key(65);
    EXPECT_EQ(browser_->index, self + 1);
    EXPECT_EQ(browser_->browsed, Screen::GetScreenByIndex(self + 1));
    // The same for Z.
    Key(90);
    EXPECT_EQ(browser_->index, self);
    EXPECT_EQ(browser_->browsed, Screen::GetScreenByIndex(self + 1));
    Key(90);
    EXPECT_EQ(browser_->index, self - 1);
    EXPECT_EQ(browser_->browsed, before);
    browser_->ShowScreen(0);
    // The number-pad keys do the same; ESCAPE only resets the index.
    Key(107);
    EXPECT_EQ(browser_->index, 1);
    Key(109);
    EXPECT_EQ(browser_->index, 0);
    Key(27);
    EXPECT_EQ(browser_->index, self);
    EXPECT_EQ(browser_->browsed, first);
}

TEST_F(Browser, ListsTheRegistryAndEditShowsTheSelectedScreen)
{
    MakeScreen("One", kProbeScript);
    MakeScreen("Two", kProbeScript);
    Open();
    ASSERT_NE(browser_->own_ui, nullptr);
    browser_->Enter();
    UICompListbox *list = (UICompListbox *)browser_->own_ui->GetComp("Screens");
    ASSERT_NE(list, nullptr);
    int total = Screen::total_num_screens.load();
    ASSERT_EQ(list->GetNumberOfLines(), total);
    for (int i = 0; i < total; i++) {
        EXPECT_STREQ(list->GetLine(i)->id, Screen::GetScreenByIndex(i)->name) << i;
        EXPECT_STREQ(list->GetLine(i)->text, Screen::GetScreenByIndex(i)->name) << i;
    }
    list->selected = Index(screens_[0]);
    EXPECT_TRUE(browser_->ProcessUICompClick(browser_->own_ui->GetComp("Screens"), 0));
    EXPECT_EQ(browser_->browsed, nullptr) << "only Edit shows";
    EXPECT_TRUE(browser_->ProcessUICompClick(browser_->own_ui->GetComp("Edit"), 0));
    EXPECT_EQ(browser_->browsed, screens_[0]);
    // Entering again refills the list and keeps the browsed screen.
    browser_->Enter();
    EXPECT_EQ(list->GetNumberOfLines(), total);
    EXPECT_EQ(browser_->browsed, screens_[0]);
}

TEST_F(Browser, WithoutDeveloperModeThereIsNoUIOnlyTheCheckerboard)
{
    Open(false);
    EXPECT_EQ(browser_->ui, nullptr);
    EXPECT_EQ(browser_->own_ui, nullptr);
    browser_->Enter();
    DrawBrowser();
    // 16 x 16 squares: grey where (x / 16 + y / 16) is odd, white elsewhere.
    const struct {
        int x, y, grey;
    } kSquares[] = {{4, 20, 204}, {20, 4, 204}, {20, 20, 255}, {4, 36, 255}, {40, 40, 255}, {56, 40, 204}};
    for (const auto &s : kSquares) {
        apptest::Rgba p = apptest::Pixel(s.x, s.y);
        EXPECT_NEAR(p[0], s.grey, 2) << s.x << "," << s.y;
        EXPECT_NEAR(p[2], s.grey, 2) << s.x << "," << s.y;
    }
}

TEST_F(Browser, TheTitleFadesOutBetweenOneAndOneAndAHalfSeconds)
{
    ASSERT_TRUE(wtest::CopyShippedFont("core/console.mft"));
    ProbeScreen *one = MakeScreen("One", kProbeScript);
    Open();
    browser_->ShowScreen(Index(one));
    ASSERT_EQ(browser_->browsed, one);
    // (1, 5) lies in the title's box and on a white square: black at alpha a over white.
    const struct {
        float t;
        int value;
    } kTimes[] = {{0.5f, 0}, {1.25f, 128}, {1.6f, 255}};
    for (const auto &row : kTimes) {
        browser_->time_since_change = row.t;
        DrawBrowser();
        int value = apptest::Pixel(1, 5)[0];
        EXPECT_NEAR(value, row.value, 3) << row.t;
        if (row.t == 0.5f)
            Shot("screen-browser-title.png");
    }
    browser_->Update(0.5f);
    EXPECT_FLOAT_EQ(browser_->time_since_change, 2.1f);
    browser_->ShowScreen(Index(one));
    EXPECT_FLOAT_EQ(browser_->time_since_change, 0.0f) << "each change restarts the title";
}

TEST_F(Browser, AStackedScreenIsNeitherEnteredNorLeft)
{
    ProbeScreen *shown = MakeScreen("Shown", kProbeScript);
    ProbeScreen *other = MakeScreen("Other", kProbeScript);
    sman.PushScreen(shown, 0);
    Open();
    calls.clear();
    browser_->ShowScreen(Index(shown));
    browser_->ShowScreen(Index(other));
    EXPECT_EQ(EnterLeave("Shown:"), std::vector<std::string>{}) << "stacked: its bitmaps stay as they are";
    EXPECT_EQ(EnterLeave("Other:"), std::vector<std::string>{"Other:Enter"});
    browser_->ShowScreen(Index(shown));
    EXPECT_EQ(EnterLeave("Other:"), (std::vector<std::string>{"Other:Enter", "Other:Leave"}));
    EXPECT_EQ(EnterLeave("Shown:"), std::vector<std::string>{});
    sman.PopScreen(shown, false);
}

}  // namespace
