// The advert slot: the kind it asks for by its box, the command sequences of entering
// and leaving its screen as a test responder behind the extension call answers them,
// the null replies of a platform without adverts, its properties, export and copies,
// and the developer placeholder drawn on the headless GLES renderer.
#include "app/ui/screen-manager.h"
#include "app/ui/uiset.h"
#include "app/ui/widgets/ui-advert.h"
#include "tests/app/ui/widget_fixture.h"

#include <gtest/gtest.h>

#include <map>
#include <vector>

namespace {

using apptest::Logged;

// The responder: answers "ADS_" commands from the table (a missing entry: null) and
// logs them as "command(argument)"; other commands go on to the engine.
std::vector<std::string> sent;
std::map<std::string, std::string> replies;
const char *(*engine_call)(const char *, const char *) = nullptr;

const char *Responder(const char *cmd, const char *arg)
{
    if (!cmd || strncmp(cmd, "ADS_", 4) != 0)
        return engine_call(cmd, arg);
    sent.push_back(std::string(cmd) + "(" + (arg ? arg : "null") + ")");
    auto it = replies.find(cmd);
    return it == replies.end() ? nullptr : it->second.c_str();
}

class Advert : public comptest::CompTest {
protected:
    void SetUp() override
    {
        CompTest::SetUp();
        StartUI();
        sent.clear();
        replies.clear();
        engine_call = ov->OV_CallExtension;
        ov->OV_CallExtension = Responder;
    }
    void TearDown() override
    {
        ov->OV_CallExtension = engine_call;
        CompTest::TearDown();
    }
    UICompAd *Make(const char *screen, float w, float h)
    {
        s_ = MakeScreen(screen, "CreateComp ('Ad', 'ad')\nSetProperty ('position_type', 'ABSOLUTE')\n"
                                "SetProperty ('position', 12, 34)\nSetProperty ('ad.rect_width', " +
                                    std::to_string(w) + ")\nSetProperty ('ad.rect_height', " + std::to_string(h) + ")\n");
        return dynamic_cast<UICompAd *>(s_->GetComp("ad"));
    }
    // Leaves at once; the frame's end takes the screen off the stack.
    void Leave()
    {
        sman.PopScreen(s_, false);
        sman.UpdateScreens(0.0f);
    }
    void EnterAndLeave()
    {
        sman.PushScreen(s_, 0);
        Leave();
    }
    Screen *s_ = nullptr;
};

TEST_F(Advert, TheBoxChoosesTheKindRequested)
{
    replies["ADS_REQUEST_AD"] = "3";
    const struct {
        float w, h;
        int kind;
        const char *request;
    } cases[] = {
        {320, 50, UIAD_LANDSCAPE_BANNER, "ADS_REQUEST_AD(LANDSCAPE)"},
        {300, 250, UIAD_LARGE, "ADS_REQUEST_AD(300x250)"},
        {720, 540, UIAD_FULLSCREEN, "ADS_REQUEST_AD(FULLSCREEN)"},
        {100, 100, UIAD_NONE, nullptr},
    };
    int n = 0;
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << c.w << " x " << c.h);
        UICompAd *ad = Make(("Kind" + std::to_string(n++)).c_str(), c.w, c.h);
        ASSERT_NE(ad, nullptr);
        EXPECT_EQ(ad->GetPreferredAdType(), c.kind);
        sent.clear();
        ad->PreloadAd();
        if (c.request) {
            ASSERT_EQ(sent.size(), 1u);
            EXPECT_EQ(sent[0], c.request);
            EXPECT_EQ(ad->ad_kind, c.kind);
            EXPECT_EQ(ad->ad_id, 3);
        } else {
            EXPECT_TRUE(sent.empty());
            EXPECT_EQ(ad->ad_kind, UIAD_NONE);
        }
    }
}

TEST_F(Advert, EnteringAndLeavingDriveTheService)
{
    UICompAd *ad = Make("Seq", 320, 50);
    ASSERT_NE(ad, nullptr);
    replies["ADS_REQUEST_AD"] = "7";
    replies["ADS_IS_AD_READY"] = "OK";
    // The first entry shows nothing: nothing was requested yet.
    sman.PushScreen(s_, 0);
    EXPECT_TRUE(sent.empty());
    Leave();
    EXPECT_EQ(sent, (std::vector<std::string>{"ADS_DISMISS_AD(0)", "ADS_REQUEST_AD(LANDSCAPE)"}));
    sent.clear();
    sman.PushScreen(s_, 0);
    EXPECT_EQ(sent, (std::vector<std::string>{"ADS_SET_AD_POSITION(7,12,34)", "ADS_IS_AD_READY(7)", "ADS_SHOW_AD(7)"}));
    // "ok" in lower case is not ready: positioned, asked, not shown.
    replies["ADS_IS_AD_READY"] = "ok";
    sent.clear();
    Leave();
    sman.PushScreen(s_, 0);
    EXPECT_EQ(sent, (std::vector<std::string>{"ADS_DISMISS_AD(7)", "ADS_REQUEST_AD(LANDSCAPE)",
                                              "ADS_SET_AD_POSITION(7,12,34)", "ADS_IS_AD_READY(7)"}));
    Leave();
    // Two leaves in a row: two dismisses and two requests.
    sent.clear();
    ad->OnScreenLeave(s_);
    ad->OnScreenLeave(s_);
    EXPECT_EQ(sent, (std::vector<std::string>{"ADS_DISMISS_AD(7)", "ADS_REQUEST_AD(LANDSCAPE)", "ADS_DISMISS_AD(7)",
                                              "ADS_REQUEST_AD(LANDSCAPE)"}));
}

TEST_F(Advert, NullRepliesShowNothing)
{
    UICompAd *ad = Make("Null", 300, 250);
    ASSERT_NE(ad, nullptr);
    EnterAndLeave();
    EnterAndLeave();
    EXPECT_EQ(ad->ad_kind, UIAD_NONE);
    EXPECT_EQ(sent, (std::vector<std::string>{"ADS_DISMISS_AD(0)", "ADS_REQUEST_AD(300x250)", "ADS_DISMISS_AD(0)",
                                              "ADS_REQUEST_AD(300x250)"}));
    // And the engine itself answers the advert commands with null.
    EXPECT_EQ(engine_call("ADS_REQUEST_AD", "LANDSCAPE"), nullptr);
    EXPECT_EQ(engine_call("ADS_IS_AD_READY", "0"), nullptr);
}

TEST_F(Advert, PropertiesSizeExportAndCopies)
{
    UICompAd *ad = Make("Props", 300, 250);
    ASSERT_NE(ad, nullptr);
    EXPECT_FALSE(ad->interactive);
    EXPECT_EQ(Eval(s_->ui, "GetProperty ('ad:ad.rect_width')"), "300");
    ASSERT_TRUE(Run(s_->ui, "SetProperty ('ad:ad.rect_height', '125.5')"));
    EXPECT_EQ(Eval(s_->ui, "GetProperty ('ad:ad.rect_height')"), "125.5");
    EXPECT_FLOAT_EQ(ad->height, 125.5f);
    ASSERT_TRUE(Run(s_->ui, "SetProperty ('ad:ad.size', 1)"));
    EXPECT_TRUE(Logged("UICompAd::SetProperty: Unknown Property 'ad.size' for UIComp 'ad'"));
    EXPECT_EQ(Eval(s_->ui, "GetProperty ('ad:ad.size')"), "nil");
    EXPECT_TRUE(Logged("UICompAd::GetProperty: Unknown Property 'ad.size'"));
    const std::string out = widgettest::Export(ad);
    EXPECT_NE(out.find("SetProperty (\"ad.rect_width\", \"300\");\nSetProperty (\"ad.rect_height\", \"125.5\");\n"),
              std::string::npos)
        << out;
    UIComp *clone = ad->Clone("twin");
    UICompAd *twin = dynamic_cast<UICompAd *>(clone);
    ASSERT_NE(twin, nullptr);
    EXPECT_FLOAT_EQ(twin->rect_width, 300.0f);
    EXPECT_FLOAT_EQ(twin->rect_height, 125.5f);
    EXPECT_EQ(twin->ad_kind, UIAD_NONE);
    delete clone;
    // Sizes: a side of 0 is 320 x 50; STRETCH_TO_COVER_SCREEN takes the virtual screen.
    ASSERT_TRUE(Run(s_->ui, "SetProperty ('ad:ad.rect_width', 0)\nSetProperty ('ad:ad.rect_height', 0)"));
    EXPECT_FLOAT_EQ(ad->width, 320.0f);
    EXPECT_FLOAT_EQ(ad->height, 50.0f);
    ASSERT_TRUE(Run(s_->ui, "SetProperty ('ad:scale_type', 'STRETCH_TO_COVER_SCREEN')"));
    ad->UpdateDimensions();
    EXPECT_EQ(ad->GetPreferredAdType(), UIAD_FULLSCREEN);
}

TEST_F(Advert, PlaceholderShowsTheSlot)
{
    UICompAd *ad = Make("Holder", 320, 50);
    ASSERT_NE(ad, nullptr);
    apptest::draw = [ad](float) {
        ov->OV_ClearScreen(0, 0, 0);
        ad->Draw();   // draws nothing itself
    };
    DrawFrame();
    EXPECT_EQ(apptest::Pixel(20, 40)[0], 0);
    apptest::draw = [ad](float) {
        ov->OV_ClearScreen(0, 0, 0);
        ad->DrawPlaceholder();
    };
    DrawFrame();
    EXPECT_EQ(apptest::Pixel(14, 36)[0], 255);    // the white 320 x 50 box from (12, 34)
    EXPECT_EQ(apptest::Pixel(331, 83)[0], 255);
    EXPECT_EQ(apptest::Pixel(333, 85)[0], 0);
}

}  // namespace
