// The news screen on the headless engine: the image's flight, the close button's late
// fade-in, the taps with their analytics lines and the link opened, the fitting scale,
// and a picture of the screen.
#include "tests/online/online_fixture.h"
#include "tests/app/ui/widget_fixture.h"

#include "app/services/prog.h"
#include "app/ui/screen-manager.h"
#include "app/ui/widgets/ui-button.h"
#include "app/ui/widgets/ui-image.h"
#include "online/analytics.h"
#include "online/news-screen.h"

#include "ovrecords.h"

#include <math.h>
#include <stdlib.h>

#include <string>
#include <vector>

using apptest::CountLogged;
using onlinetest::WriteReply;

namespace {

const char kImage[] = "http://news.invalid/img/pic.tga";  // 100 x 50, orange

class NewsScreenTest : public onlinetest::OnlineTest {
protected:
    // A 320 x 240 display; the news area is area_w x area_h.
    void Begin(int area_w = 200, int area_h = 200)
    {
        StartOnline("NEWS,ANALYST,ANALYST_LOCAL_STORE");
        prog.parms.developer_mode = 0;
        analyst.Initialize();
        ASSERT_TRUE(onlinetest::SeedCachedImage(kImage, 100, 50, 0xff0080ffu));
        PrepareNewsScreen();
        sman.all_screens_preloaded.store(true);
        news_man.Initialize(area_w, area_h);
        WaitForFetch();
    }
    void TearDown() override
    {
        analyst.Shutdown();
        OnlineTest::TearDown();
    }
    // Fetches an item and shows it at "Before_Test".
    void Show(const std::string &id, const std::string &rest = " link=\"http://example.invalid/more\"")
    {
        WriteReply("{id=\"" + id + "\" image=\"" + kImage + "\"" + rest + " skip_text=\"Later\"}");
        news_man.RefreshNews();
        WaitForFetch();
        ASSERT_TRUE(news_man.IsNewsReadyToBeShown());
        news_man.ShowNews("Before_Test");
        ASSERT_TRUE(news_man.IsShowingNews());
    }
    // Frames of at most 0.05 s until the screen's clock shows t.
    void AdvanceTo(float t)
    {
        for (int i = 0; i < 1000 && screen_talvik_news.anim_time < t - 1e-5f; i++)
            Steps(1, fminf(0.05f, t - screen_talvik_news.anim_time));
    }
    UIComp *Image() { return GetNewsScreen()->GetComp("NewsImage"); }
    UIComp *Close() { return GetNewsScreen()->GetComp("Close"); }
    // A press and release of pointer 0 at the component's anchor, through the
    // screen manager's event path.
    void Tap(UIComp *comp)
    {
        vec2_t p = sman.GetStaticPos(comp);
        ov_event_t event = {};
        event.type = OV_EVENT_BUTTON_DOWN;
        event.x = (int)p.x;
        event.y = (int)p.y;
        sman.ProcessEvent(event);
        event.type = OV_EVENT_BUTTON_UP;
        sman.ProcessEvent(event);
    }
    // Runs frames until the screen is gone.
    void RunUntilClosed()
    {
        for (int i = 0; i < 200 && news_man.IsShowingNews(); i++)
            Steps(1, 0.05f);
        ASSERT_FALSE(news_man.IsShowingNews());
    }
    std::vector<std::string> PlayLog()
    {
        std::string text = onlinetest::ReadEngineFile(Analyst::GetPlayLogFileName().Get());
        std::vector<std::string> lines;
        size_t start = 0;
        for (size_t nl; (nl = text.find('\n', start)) != std::string::npos; start = nl + 1)
            lines.push_back(text.substr(start, nl - start));
        return lines;
    }
};

struct Pose {
    float t;
    float x, y, angle, scale;  // scale in base scales
};

TEST_F(NewsScreenTest, TheImageFliesInAndSettles)
{
    Begin();
    Show("fly");
    ScreenTalvikNews &screen = screen_talvik_news;
    EXPECT_FLOAT_EQ(screen.base_scale, 2.0f);
    const Pose poses[] = {
        {0.0f, 1.0f, -0.7f, 0.37f * (float)M_PI, 2.0f},
        {1.0f, 0.0f, 0.1f, 0.0f, 1.0f},
        {1.9f, 0.0f, 0.0f, 0.0f, 0.9f},
        {3.0f, 0.0f, 0.0f, 0.0f, 0.9f},
    };
    for (const Pose &p : poses) {
        SCOPED_TRACE(p.t);
        AdvanceTo(p.t);
        EXPECT_NEAR(screen.anim_time, p.t, 1e-4);
        EXPECT_NEAR(Image()->position_offset_x, p.x, 1e-3);
        EXPECT_NEAR(Image()->position_offset_y, p.y, 1e-3);
        EXPECT_NEAR(Image()->angle, p.angle, 1e-3);
        EXPECT_NEAR(Image()->scale, p.scale * screen.base_scale, 2e-3);
    }
    // The image fades with the screen.
    EXPECT_FLOAT_EQ(Image()->alpha, GetNewsScreen()->trans_phase);
}

TEST_F(NewsScreenTest, TheCloseButtonCannotBeSeenBefore195Seconds)
{
    Begin();
    Show("close");
    EXPECT_STREQ(static_cast<UICompButton *>(Close())->text, "Later");
    while (screen_talvik_news.anim_time < 1.949f) {
        EXPECT_FALSE(Close()->IsVisible()) << screen_talvik_news.anim_time;
        Steps(1, 0.02f);
    }
    Steps(10, 0.05f);
    EXPECT_TRUE(Close()->IsVisible());
    EXPECT_GT(Close()->fading_akey, 0.0f);
}

TEST_F(NewsScreenTest, TapsAreReportedOncePerShowingAndTheLinkIsOpened)
{
    Begin();
    Show("tap1", " link=\"http://example.invalid/more\" variant=\"red\"");
    Steps(10, 0.05f);
    Tap(Image());
    // A second tap in the same showing is not reported again.
    screen_talvik_news.ProcessUICompClick(Image(), 0);
    RunUntilClosed();
    EXPECT_EQ(onlinetest::platform.commands, (std::vector<std::string>{"OpenURL http://example.invalid/more",
                                                                       "OpenURL http://example.invalid/more"}));

    Show("tap2");
    Steps(45, 0.05f);
    ASSERT_TRUE(Close()->IsVisible());
    Tap(Close());
    screen_talvik_news.ProcessUICompClick(Close(), 0);
    RunUntilClosed();

    std::vector<std::string> log = PlayLog();
    EXPECT_EQ(log, (std::vector<std::string>{"NEWS_tap1_Shown,event,Before_Test,variant,red",
                                             "NEWS_tap1_TapYes,event,Before_Test,variant,red",
                                             "NEWS_tap2_Shown,event,Before_Test", "NEWS_tap2_TapNo,event,Before_Test"}));
}

TEST_F(NewsScreenTest, AShortLinkLeavesTheImageInert)
{
    Begin();
    Show("inert", " link=\"ab\"");
    Steps(10, 0.05f);
    Tap(Image());
    Steps(2, 0.05f);
    EXPECT_TRUE(news_man.IsShowingNews());
    EXPECT_TRUE(onlinetest::platform.commands.empty());
    EXPECT_EQ(PlayLog().size(), 1u);
    // Without a link at all the same.
    screen_talvik_news.ProcessUICompClick(Image(), 0);
    EXPECT_TRUE(onlinetest::platform.commands.empty());
}

TEST_F(NewsScreenTest, TheBaseScaleFitsTheImageIntoTheNewsArea)
{
    // Half as wide and a quarter as high as the area: the smaller factor, 2.
    Begin(200, 200);
    Show("fit");
    EXPECT_FLOAT_EQ(screen_talvik_news.base_scale, 2.0f);
}

TEST_F(NewsScreenTest, TheCopyTakesItsOwnReferenceAndGivesItBack)
{
    Begin();
    ov_bitmap_t *image = ov->OV_LoadBitmap(kImage, 4);
    int start = onlinetest::RefCount(image);
    for (int i = 0; i < 3; i++) {
        WriteReply("{id=\"ref" + std::to_string(i) + "\" image=\"" + kImage + "\"}");
        news_man.RefreshNews();
        WaitForFetch();
    }
    EXPECT_EQ(onlinetest::RefCount(image), start + 1);
    for (int i = 0; i < 2; i++) {
        Show("show" + std::to_string(i));
        Steps(45, 0.05f);
        Tap(Close());
        RunUntilClosed();
        EXPECT_EQ(onlinetest::RefCount(image), start + 1);
    }
    news_man.Shutdown();
    EXPECT_EQ(onlinetest::RefCount(image), start);
    ov->OV_ReleaseBitmap(image);
}

TEST_F(NewsScreenTest, APictureOfTheSettledScreen)
{
    Begin();
    Show("picture");
    Steps(50, 0.05f);
    DrawFrame();
    widgettest::Frame frame = widgettest::ReadFrame();
    std::string out = std::string(getenv("TEST_OUTPUT_DIR") ? getenv("TEST_OUTPUT_DIR") : "/tmp") + "/news-screen.png";
    EXPECT_TRUE(widgettest::SavePng(frame, out));
    // The orange image, 200 x 100 at 0.9: 180 x 90 around the centre.
    auto orange = [](const widgettest::Rgba &c) { return c[0] > 200 && c[1] > 100 && c[1] < 160 && c[2] < 60; };
    std::array<int, 4> box = widgettest::LitBox(frame, 0, 0, frame.w - 1, frame.h - 1, orange);
    EXPECT_NEAR(box[2] - box[0] + 1, 180, 3);
    EXPECT_NEAR(box[3] - box[1] + 1, 90, 3);
    EXPECT_NEAR((box[0] + box[2]) / 2.0, 160, 2);
    EXPECT_NEAR((box[1] + box[3]) / 2.0, 120, 2);
}

}  // namespace
