// The timeline transition frame by frame on the headless GLES renderer: fade to black
// (read back mid-fade), dynamic, the order of the pushed screens, a click that ends an
// event, loading without a thread (by feature and when the thread does not start) and
// the news screen holding the phases.
#include "tests/app/ui/timeline_fixture.h"

#include "app/services/featureman.h"
#include "app/ui/frame-services.h"
#include "gfx/bitmap.h"
#include "platform/headless.h"

#include <stdlib.h>

#include <atomic>

using namespace timelinetest;
using apptest::Pixel;
using apptest::Rgba;
namespace hl = ovdev::headless;

namespace {

std::atomic<int> s_loads{0};
std::atomic<int> s_loads_on_main{0};
int s_thread_starts = 0;
int64_t s_thread_result = -1;

bool CountingLoader(ov_bitmap_t *b)
{
    s_loads++;
    if (ov->OV_IsMainThread())
        s_loads_on_main++;
    b->width = b->height = b->src_width = b->src_height = 8;
    b->pixels = (uint8_t *)calloc(8 * 8, 4);
    return b->pixels != nullptr;
}

int64_t FailingThreadStart(const char *, ov_thread_fn, void *, int)
{
    s_thread_starts++;
    return s_thread_result;
}

// A screen whose ruler caches its two bitmaps on enter.
std::string RulerScript(const char *bitmap)
{
    return std::string("CreateComp('Ruler', 'bar')\nSetProperty('cache_mode', 'LOAD_ON_ENTER')\n"
                       "SetProperty('ruler.endpoint_bitmap', '") +
           bitmap + "-end')\nSetProperty('ruler.repeat_bitmap', '" + bitmap + "-mid')\n";
}

bool Near(const Rgba &a, const Rgba &b, int tolerance = 3)
{
    for (int i = 0; i < 3; i++)
        if (abs(a[i] - b[i]) > tolerance)
            return false;
    return true;
}

class Transitions : public TimelineTest {
protected:
    void SetUp() override
    {
        TimelineTest::SetUp();
        s_loads = 0;
        s_loads_on_main = 0;
        s_thread_starts = 0;
        OVI_SetBitmapFileLoader(CountingLoader);
    }
    void TearDown() override
    {
        TimelineTest::TearDown();
        OVI_SetBitmapFileLoader(nullptr);
    }
    // Frames until the transition reaches the phase (false after max frames).
    bool RunToPhase(int phase, float dt, int max_frames = 400)
    {
        for (int i = 0; i < max_frames && timeline_transition.phase < phase; i++) {
            Frame(dt);
            ov->OVT_Sleep(1);
        }
        return timeline_transition.phase >= phase;
    }
};

const Rgba kRed = {255, 0, 0, 255}, kBlue = {0, 0, 255, 255}, kGreen = {0, 255, 0, 255}, kBlack = {0, 0, 0, 255};

}  // namespace

TEST_F(Transitions, FadeToBlackPopsTheOldScreensBehindTheBlackCover)
{
    uitest::ProbeScreen *old_screen = MakeScreen("Old", Rect("r", 0, 0, 320, 240, "1, 0, 0").c_str());
    MakeScreen("New", Rect("b", 0, 0, 320, 240, "0, 0, 1").c_str());
    LoadTimeline("story.xml", "<node id=\"e\" screens=\"New\" transition=\"FADE_BLACK\" "
                              "transition_duration=\"0.5\" />\n");
    sman.PushScreen(old_screen, 0);
    Frame(0.5f);
    ASSERT_EQ(Pixel(160, 120), kRed);
    timeline.StartEvent("e", false, TIMELINE_DEFAULT);
    Frame(0.0f);   // entering applied the transition's cache modes: a zero step
    Frame(0.125f);
    EXPECT_FLOAT_EQ(timeline_transition.trans_phase, 0.25f);
    EXPECT_TRUE(Near(Pixel(160, 120), {191, 0, 0, 255})) << "black at a quarter";
    Frame(0.125f);
    EXPECT_TRUE(Near(Pixel(160, 120), {128, 0, 0, 255})) << "black at a half";
    EXPECT_TRUE(old_screen->in_stack);
    Frame(0.25f);
    EXPECT_EQ(timeline_transition.trans_phase, 1.0f);
    EXPECT_EQ(Pixel(160, 120), kBlack);
    Frame(0.0f);
    EXPECT_FALSE(old_screen->in_stack) << "popped at once once fully faded in";
    EXPECT_EQ(uitest::CallsOf("Old:Leave").size(), 1u);
    EXPECT_EQ(Pixel(160, 120), kBlack);
    ASSERT_TRUE(RunToPhase(5, 0.0f));
    EXPECT_TRUE(timeline_transition.leaving);
    Frame(0.125f);
    EXPECT_FLOAT_EQ(timeline_transition.trans_phase, 0.75f);
    EXPECT_TRUE(Near(Pixel(160, 120), {0, 0, 64, 255})) << "the new screen shows through at a quarter";
    ASSERT_TRUE(RunTransition(0.125f));
    ASSERT_EQ(sman.stack.Count(), 1);
    EXPECT_STREQ(sman.PeekScreen(0)->name, "New");
    EXPECT_EQ(Pixel(160, 120), kBlue);
}

TEST_F(Transitions, DynamicLetsTheOldScreensFadeThemselvesWithoutBlack)
{
    uitest::ProbeScreen *base = MakeScreen("Base", Rect("g", 0, 0, 320, 240, "0, 1, 0").c_str());
    uitest::ProbeScreen *other = MakeScreen("Other", Rect("r", 0, 0, 100, 100, "1, 0, 0").c_str());
    MakeScreen("New", Rect("b", 200, 150, 100, 80, "0, 0, 1").c_str());
    LoadTimeline("story.xml", "<node id=\"d\" screens=\"Base,New\" transition_duration=\"0.5\" />\n");
    sman.PushScreen(base, 0);
    sman.PushScreen(other, 0);
    other->SetLeaveTransDuration(0.5f);
    Frame(0.5f);
    timeline.StartEvent("d", false, TIMELINE_AUTOMATIC);
    ASSERT_EQ(timeline_transition.transition_type, TIMELINE_DYNAMIC);
    Frame(0.0f);
    for (int i = 0; i < 4; i++) {
        Frame(0.125f);
        EXPECT_EQ(Pixel(250, 50), kGreen) << "nothing black is drawn, frame " << i;
    }
    Frame(0.125f);
    EXPECT_TRUE(other->leaving) << "popped deferred";
    EXPECT_TRUE(other->in_stack);
    Frame(0.125f);
    Frame(0.125f);
    EXPECT_FLOAT_EQ(other->trans_phase, 0.5f) << "fading out at its own speed";
    EXPECT_EQ(Pixel(250, 50), kGreen);
    EXPECT_EQ(Pixel(50, 50), kRed);
    ASSERT_TRUE(RunTransition(0.125f));
    EXPECT_FALSE(other->in_stack);
    ASSERT_EQ(sman.stack.Count(), 2);
    EXPECT_EQ(sman.stack[0], base) << "the first screen stays";
    EXPECT_STREQ(sman.stack[1]->name, "New");
    EXPECT_EQ(uitest::CallsOf("Base:Leave").size(), 0u);
    EXPECT_EQ(Pixel(250, 200), kBlue);
    EXPECT_EQ(Pixel(50, 50), kGreen);
}

TEST_F(Transitions, NewScreensArePushedInListOrderBelowTheTransition)
{
    uitest::ProbeScreen *a = MakeScreen("A");
    MakeScreen("B");
    MakeScreen("C");
    LoadTimeline("story.xml", "<node id=\"e\" screens=\"A,B,Nobody,C\" />\n");
    sman.PushScreen(a, 0);
    timeline.StartEvent("e", false, TIMELINE_DEFAULT);
    ASSERT_TRUE(RunToPhase(4, 0.1f));
    ASSERT_EQ(sman.stack.Count(), 4);
    const char *order[] = {"A", "B", "C", "TimelineTransition"};
    for (int i = 0; i < 4; i++)
        EXPECT_STREQ(sman.stack[i]->name, order[i]) << i;
    EXPECT_EQ(uitest::CallsOf("A:Enter").size(), 1u) << "the kept screen was not pushed again";
    ASSERT_TRUE(RunTransition(0.1f));
    EXPECT_EQ(sman.stack.Count(), 3);
    EXPECT_EQ(sman.stack[2]->name, std::string("C"));
    EXPECT_STREQ(timeline.current_event_id, "e");
}

TEST_F(Transitions, AClickThatEndsTheEventReachesTheNextEvent)
{
    MakeScreen("Menu", (Rect("go", 0, 0, 320, 240, "1, 0, 0") +
                        "SetProperty('interactive', 1)\n"
                        "function OnClick(name) EndTimelineEvent() end\n")
                           .c_str());
    uitest::ProbeScreen *menu = static_cast<uitest::ProbeScreen *>(Screen::PeekScreen("Menu"));
    Script(menu, "");
    MakeScreen("Game", Rect("b", 0, 0, 320, 240, "0, 0, 1").c_str());
    LoadTimeline("story.xml", "<node id=\"menu\" screens=\"Menu\" />\n<node id=\"game\" screens=\"Game\" />\n");
    timeline.StartEvent(nullptr, false, TIMELINE_DEFAULT);
    ASSERT_TRUE(RunTransition(0.1f));
    Frame(0.5f);
    ASSERT_EQ(sman.PeekScreen(0), menu);
    ASSERT_TRUE(hl::inject_touch(hl::TouchPhase::Down, 0, 160, 120));
    PumpFrame();
    Frame(0.016f);
    ASSERT_TRUE(hl::inject_touch(hl::TouchPhase::Up, 0, 160, 120));
    PumpFrame();
    Frame(0.016f);
    ASSERT_TRUE(sman.IsScreenInStack(&timeline_transition)) << "the click ended the event";
    EXPECT_STREQ(timeline_transition.event_id, "game");
    ASSERT_TRUE(RunTransition(0.1f));
    EXPECT_STREQ(timeline.current_event_id, "game");
    ASSERT_EQ(sman.stack.Count(), 1);
    EXPECT_STREQ(sman.PeekScreen(0)->name, "Game");
    EXPECT_EQ(Pixel(160, 120), kBlue);
}

TEST_F(Transitions, WithoutMultithreadedLoadingTheScreensLoadOnPush)
{
    SetFeatures("NO_MULTITHREADED_LOADING");
    ov->OV_CreateThread = FailingThreadStart;
    uitest::ProbeScreen *keep = MakeScreen("Keep");
    MakeScreen("Ruled", RulerScript("plain").c_str());
    LoadTimeline("story.xml", "<node id=\"e\" screens=\"&amp;Keep,Ruled\" />\n");
    sman.PushScreen(keep, 0);
    timeline.StartEvent("e", false, TIMELINE_DYNAMIC);
    ASSERT_TRUE(RunToPhase(3, 0.1f));
    EXPECT_EQ(s_thread_starts, 0) << "no thread";
    EXPECT_EQ(timeline_transition.loader_state.load(), LOADER_DONE);
    EXPECT_EQ(s_loads.load(), 0) << "nothing loaded before the push";
    EXPECT_TRUE(sman.reset_next_frame_time_delta.load());
    Frame(0.1f);
    EXPECT_EQ(keep->last_update_dt, 0.0f) << "the frame after the parameter step has a zero step";
    EXPECT_GE(timeline_transition.phase, 4);
    EXPECT_EQ(s_loads.load(), 2) << "the ruler's two bitmaps load while it is pushed";
    EXPECT_EQ(s_loads_on_main.load(), 2);
    ASSERT_TRUE(RunTransition(0.1f));
    EXPECT_EQ(sman.stack.Count(), 2);
}

TEST_F(Transitions, AThreadThatDoesNotStartLoadsOnTheMainThread)
{
    ov->OV_CreateThread = FailingThreadStart;
    const int64_t results[] = {-1, 0};
    for (int64_t result : results) {
        SCOPED_TRACE(result);
        s_thread_result = result;
        s_thread_starts = 0;
        s_loads = 0;
        s_loads_on_main = 0;
        std::string name = "Ruled" + std::to_string(result + 1);
        MakeScreen(name.c_str(), RulerScript(name.c_str()).c_str());
        LoadTimeline(("story" + name + ".xml").c_str(), "<node id=\"e\" screens=\"" + name + "\" />\n");
        timeline.StartEvent("e", false, TIMELINE_FADE_BLACK);
        ASSERT_TRUE(RunTransition(0.1f));
        EXPECT_EQ(s_thread_starts, 1);
        EXPECT_EQ(s_loads.load(), 2);
        EXPECT_EQ(s_loads_on_main.load(), 2);
        ASSERT_EQ(sman.stack.Count(), 1);
        EXPECT_EQ(sman.PeekScreen(0)->name, name);
        EXPECT_EQ(timeline_transition.loader_state.load(), LOADER_IDLE);
    }
}

TEST_F(Transitions, TheNewsScreenOnTopHoldsThePhases)
{
    SetFeatures("NEWS");
    uitest::ProbeScreen *old_screen = MakeScreen("Old");
    uitest::ProbeScreen *news = MakeScreen("TalvikNews");
    MakeScreen("New");
    LoadTimeline("story.xml", "<node id=\"e\" screens=\"New\" />\n");
    sman.PushScreen(old_screen, 0);
    timeline.StartEvent("e", false, TIMELINE_FADE_BLACK);
    sman.PushScreen(news, 0);
    for (int i = 0; i < 20; i++)
        Frame(0.1f);
    EXPECT_EQ(timeline_transition.trans_phase, 1.0f);
    EXPECT_EQ(timeline_transition.phase, 1) << "held before the pop";
    EXPECT_TRUE(old_screen->in_stack);
    sman.PopScreen(news, false);
    ASSERT_TRUE(RunTransition(0.1f));
    ASSERT_EQ(sman.stack.Count(), 1);
    EXPECT_STREQ(sman.PeekScreen(0)->name, "New");

    // Without the feature a screen of that name holds nothing.
    SetFeatures("OTHER");
    timeline.StartEvent("e", false, TIMELINE_FADE_BLACK);
    sman.PushScreen(news, 0);
    for (int i = 0; i < 20 && timeline_transition.phase < 2; i++)
        Frame(0.1f);
    EXPECT_GE(timeline_transition.phase, 2);
}

namespace {

int s_news_waiting = 0;
std::vector<std::string> s_news_shown;

bool NewsWaiting()
{
    return s_news_waiting > 0;
}
void ShowNewsAt(const char *moment)
{
    s_news_shown.push_back(moment ? moment : "");
    s_news_waiting--;
}

}  // namespace

TEST_F(Transitions, WaitingNewsIsShownBeforeTheEventAndTheStepWaitsAFrame)
{
    MakeScreen("New");
    LoadTimeline("story.xml", "<node id=\"second\" screens=\"New\" />\n");
    const FrameServices saved = frame_services;
    frame_services.news_ready = NewsWaiting;
    frame_services.news_show = ShowNewsAt;
    s_news_shown.clear();
    s_news_waiting = 2;
    timeline.StartEvent("second", false, TIMELINE_FADE_BLACK);
    for (int i = 0; i < 40 && timeline_transition.phase < 1; i++)
        Frame(0.1f);
    const int phase_when_shown = timeline_transition.phase;
    ASSERT_TRUE(RunTransition(0.1f));
    frame_services = saved;
    const std::vector<std::string> kShown = {"Before_second", "Before_second"};
    EXPECT_EQ(s_news_shown, kShown) << "one showing per waiting item, each a step of its own";
    EXPECT_LE(phase_when_shown, 1) << "nothing else happened while news waited";
    ASSERT_EQ(sman.stack.Count(), 1);
    EXPECT_STREQ(sman.PeekScreen(0)->name, "New");
}
