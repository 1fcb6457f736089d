// The engine frame and the paced main loop, driven by a fake clock.
#include "tests/support/engine_harness.h"

#include "core/console.h"
#include "gfx/rendimp.h"
#include "gfx/window.h"
#include "platform/headless.h"
#include "platform/navigator.h"
#include "platform/screen.h"

#include <time.h>

#include <algorithm>
#include <vector>

using namespace harness;

class Frame : public EngineTest {};

TEST_F(Frame, ElapsedTimeIsClamped)
{
    StartEngine();
    struct Case {
        int ms;
        float seconds;
    } cases[] = {{250, 0.03f}, {200, 0.2f}, {201, 0.03f}, {16, 0.016f}, {0, 0.0f}, {-5, 0.001f}};
    for (const Case &c : cases) {
        app.updates.clear();
        app.draws.clear();
        OVI_Frame(c.ms);
        ASSERT_EQ(app.updates.size(), 1u);
        EXPECT_FLOAT_EQ(app.updates[0], c.seconds) << c.ms;
        ASSERT_EQ(app.draws.size(), 1u);
        EXPECT_FLOAT_EQ(app.draws[0], c.seconds) << c.ms;
    }
}

TEST_F(Frame, NegativeDeltaIsReportedInDeveloperMode)
{
    switches.developer_mode = true;
    StartEngine();
    OVI_Frame(-5);
    EXPECT_TRUE(Logged("********************* Found negative time delta in OVI_Frame: -5"));
}

TEST_F(Frame, NothingRunsBeforeCoreReady)
{
    ASSERT_TRUE(OVI_PreInit(nullptr));
    OVI_Frame(16);
    EXPECT_TRUE(app.updates.empty());
}

namespace {
void QueueFromWorker(void *)
{
    ov_event_t ev = {};
    ev.type = OV_EVENT_KEY_DOWN;
    ev.key = 77;
    OVI_SendEventQueued(&ev);
    ov->OV_Popupf(1, "raised on a worker %d\n", 1);
    ov->OV_Popupf(1, "raised on a worker %d\n", 2);
}
}  // namespace

TEST_F(Frame, QueuedEventsAndWorkerPopupsAreDeliveredByTheNextFrame)
{
    switches.developer_mode = true;
    StartEngine();
    ov->OV_CreateThread("queuer", QueueFromWorker, nullptr, 0);
    while (OVT_GetNumberOfThreadsRunning() > 0)
        usleep(1000);
    size_t before = app.events.size();
    EXPECT_FALSE(Logged("OV: raised on a worker"));
    OVI_Frame(16);
    ASSERT_EQ(app.events.size(), before + 1);
    EXPECT_EQ(app.events.back().key, 77);
    std::vector<std::string> lines = LogTexts();
    int first = -1, second = -1;
    for (int i = 0; i < (int)lines.size(); i++) {
        if (lines[i] == "OV: raised on a worker 1\n")
            first = i;
        if (lines[i] == "OV: raised on a worker 2\n")
            second = i;
    }
    ASSERT_GE(first, 0);
    EXPECT_GT(second, first) << "queued popups are printed oldest first";
    EXPECT_EQ(ov_con.lines[first].thread, std::string("MAIN")) << "printed by the main thread";
}

TEST_F(Frame, UnbalancedTransformStackIsReported)
{
    switches.developer_mode = true;
    StartEngine();
    ov_state.transform_top = 1;
    OVI_Frame(16);
    EXPECT_TRUE(Logged("Transform stack is not empty at frame end: there are 2 more ov->PushTransform calls than ov->PopTransform calls."));
    ov_state.transform_top = -1;
}

namespace {
// Records the update like the harness's hook and asks to exit after the first frame.
void UpdateThenExit(float seconds)
{
    app.updates.push_back(seconds);
    if (app.updates.size() == 1)
        ovdev::headless::inject_exit();
}
}  // namespace

TEST_F(Frame, MainLoopPacesToTheMinimumFrameTime)
{
    StartEngine();
    record.parms.min_frame_ms = 8;
    record.Update = UpdateThenExit;
    // The exit event is queued only once the navigator asked for events.
    ovdev::bps_initialize();
    ovdev::navigator_request_events(0);
    FakeClock::Install(1);  // every read of the clock advances it by 1 ms
    uint32_t start = FakeClock::now;
    OVI_RunMainLoop();
    ASSERT_EQ(app.updates.size(), 2u) << "the turn that saw the exit completes its frame";
    // The first frame comes at once, with the minimum frame time as its step; the next
    // sleeps to the absolute deadline 8 ms after the time the first one was counted to.
    EXPECT_GE(app.updates[0], 0.008f);
    EXPECT_LT(app.updates[0], 0.0095f);  // the clock advanced by the reading that counted it
    EXPECT_FLOAT_EQ(app.updates[1], 0.008f);
    ASSERT_EQ(FakeClock::sleeps_until.size(), 1u);
    EXPECT_EQ(FakeClock::sleeps_until[0], start + 1 + 8);
    EXPECT_TRUE(FakeClock::sleeps_us.empty());
}

namespace {
// An application that slows its frames to 200 ms after the first and takes the pace
// back to 8 ms when a key arrives; the key is pressed during the first sleep step.
void UpdateThenSlow(float seconds)
{
    app.updates.push_back(seconds);
    if (app.updates.size() == 1) {
        record.parms.min_frame_ms = 200;
        FakeClock::on_sleep_until = [](uint32_t) {
            FakeClock::on_sleep_until = nullptr;
            ovdev::headless::inject_key('k', true);
        };
    } else {
        ovdev::headless::inject_exit();
    }
}
int EventThenFast(ov_event_t ev)
{
    app.events.push_back(ev);
    if (ev.type == OV_EVENT_KEY_DOWN)
        record.parms.min_frame_ms = 8;
    return 0;
}
}  // namespace

// A wait longer than a step drains the platform's events after each step: input that
// makes the application take its pace back ends the wait at once.
TEST_F(Frame, InputDuringALongFrameWaitShortensIt)
{
    StartEngine();
    record.parms.min_frame_ms = 8;
    record.Update = UpdateThenSlow;
    record.EventProc = EventThenFast;
    ovdev::bps_initialize();
    ovdev::navigator_request_events(0);
    ASSERT_EQ(ovdev::screen_request_events(ov_qnx_screen_context), 0);
    FakeClock::Install(0);  // time moves by sleeps only
    uint32_t start = FakeClock::now;
    OVI_RunMainLoop();
    ASSERT_EQ(app.updates.size(), 3u) << "the turn that saw the exit completes its frame";
    EXPECT_TRUE(std::any_of(app.events.begin(), app.events.end(),
                            [](const ov_event_t &e) { return e.type == OV_EVENT_KEY_DOWN; }));
    // One step of the 200 ms wait, then the key: the second frame comes 20 ms after the first.
    EXPECT_FLOAT_EQ(app.updates[1], 0.020f);
    ASSERT_GE(FakeClock::sleeps_until.size(), 1u);
    EXPECT_EQ(FakeClock::sleeps_until[0], start + 20);
}

namespace {
double ThreadCpuMs()
{
    struct timespec ts;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return (double)ts.tv_sec * 1e3 + (double)ts.tv_nsec / 1e6;
}
int s_frames_left = 0;
std::vector<double> s_cpu_at_update;
void UpdateUntilCountedOut(float)
{
    s_cpu_at_update.push_back(ThreadCpuMs());
    if (--s_frames_left <= 0)
        ov_state.shutdown_requested = 1;
}
}  // namespace

// On the real clock the wait between frames sleeps: the main thread's own CPU time from
// one update to the next stays far below the two milliseconds that spinning through the
// end of every frame costs. The median frame is compared, so that a frame stretched by
// a busy machine (the first frame's page faults, a preempted thread whose CPU clock a
// virtual machine keeps running) does not decide the result.
TEST_F(Frame, FrameWaitSleepsInsteadOfSpinning)
{
    OVID_SetRendImpOverride(GetRendImpNull());
    StartEngine();
    record.parms.min_frame_ms = 10;
    record.Update = UpdateUntilCountedOut;
    ovdev::bps_initialize();
    const int frames = 40;
    s_frames_left = frames;
    s_cpu_at_update.clear();
    uint32_t wall0 = OVT_GetTime();
    OVI_RunMainLoop();
    uint32_t wall = OVT_GetTime() - wall0;
    OVID_SetRendImpOverride(nullptr);
    EXPECT_EQ(s_frames_left, 0);
    EXPECT_GE(wall, (uint32_t)(frames - 1) * 10u) << "the frames were paced";
    ASSERT_EQ(s_cpu_at_update.size(), (size_t)frames);
    std::vector<double> per_frame;
    for (size_t i = 1; i < s_cpu_at_update.size(); i++)
        per_frame.push_back(s_cpu_at_update[i] - s_cpu_at_update[i - 1]);
    std::sort(per_frame.begin(), per_frame.end());
    double median = per_frame[per_frame.size() / 2];
    EXPECT_LT(median, 0.5) << "main-thread CPU per idle frame, ms (spinning costs about 2)";
}

TEST_F(Frame, InactiveApplicationSleeps15msAndCallsNoHook)
{
    StartEngine();
    ovdev::bps_initialize();
    ovdev::navigator_request_events(0);
    ovdev::headless::inject_window_state(1);
    ovdev::headless::inject_exit();
    FakeClock::Install(1);
    OVI_RunMainLoop();
    EXPECT_TRUE(app.updates.empty());
    ASSERT_FALSE(FakeClock::sleeps_us.empty());
    EXPECT_EQ(FakeClock::sleeps_us.back(), 15000u);
}

TEST_F(Frame, ReInitRequestToSmallFullScreenEndsWindowed)
{
    StartEngine();
    record.parms.width = 600;
    record.parms.height = 400;
    record.parms.windowed = 0;
    ov_state.allow_all_resolutions = 1;  // the frame tail is under test, not the resolution choice
    ASSERT_TRUE(ov->OV_ReInit());
    EXPECT_TRUE(ov_state.reinit_pending);
    OVI_Frame(16);
    EXPECT_FALSE(ov_state.reinit_pending);
    EXPECT_EQ(record.parms.windowed, 1);
    EXPECT_TRUE(Logged("Applying ReInit: 1024x600 (fs) -> 600x400 (w)"));
}
