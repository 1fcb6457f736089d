// The screen manager's frame: the time-step clamp, the zero step after blocking work,
// the interval tests, the multiplier slide, the press value and fast-forward.
#include "tests/app/ui/ui_fixture.h"

#include "app/services/luaman.h"
#include "app/services/prog.h"
#include "app/services/random.h"
#include "platform/headless.h"

#include <math.h>

using namespace uitest;

namespace {

class Frame : public UITest {
protected:
    void SetUp() override
    {
        UITest::SetUp();
        StartUI();
    }
    void TearDown() override
    {
        AppSetRandomSource(nullptr);
        UITest::TearDown();
    }
};

std::vector<float> update_steps;
void RecordStep(ProbeScreen *s)
{
    update_steps.push_back(s->last_update_dt);
}

int Zero()
{
    return 0;
}
int Top()
{
    return 99999;
}

}  // namespace

TEST_F(Frame, AStallOf300SecondsCountsAs200)
{
    ProbeScreen *s = MakeScreen("Stall");
    sman.PushScreen(s, 0);
    sman.Update(300.0f);
    EXPECT_FLOAT_EQ(s->last_update_dt, 200.0f);
    EXPECT_EQ(sman.time_ms, 300000);
}

TEST_F(Frame, AfterAResetTheScreensStandStillWhileTheClockRuns)
{
    ProbeScreen *s = MakeScreen("Still");
    sman.PushScreen(s, 0);
    Steps(1, 0.1f);
    float phase = s->trans_phase;
    EXPECT_NEAR(phase, 0.3f, 1e-6);
    double timer = s->timer;
    sman.ResetNextFrameTimeDelta();
    int64_t before = sman.time_ms;
    Steps(1, 0.1f);
    EXPECT_EQ(s->trans_phase, phase);
    EXPECT_EQ(s->timer, timer);
    EXPECT_EQ(s->last_update_dt, 0.0f);
    EXPECT_EQ(sman.time_ms, before + 100);
    Steps(1, 0.1f);
    EXPECT_GT(s->trans_phase, phase) << "only one frame stands still";
}

TEST_F(Frame, IntervalIsTrueInOneFramePerPeriod)
{
    int hits = 0, frames = 0;
    for (int i = 0; i < 125; i++) {
        sman.Update(0.016f);
        frames++;
        if (sman.IsIntervalElapsed(0.5f))
            hits++;
    }
    EXPECT_EQ(sman.time_ms, 2000);
    EXPECT_EQ(hits, 4);
    EXPECT_FALSE(sman.IsIntervalElapsed(0.0005f)) << "intervals below 1 ms are never elapsed";
    sman.prev_time_ms = 990;
    sman.time_ms = 1010;
    EXPECT_TRUE(sman.IsIntervalElapsed(1.0f));
    EXPECT_FALSE(sman.IsIntervalElapsedOffset(1.0f, 100));
    EXPECT_TRUE(sman.IsIntervalElapsedOffset(1.0f, 5));
}

TEST_F(Frame, MultiplierSlideIsSmoothAndExactAtTheEnd)
{
    ProbeScreen *s = MakeScreen("Slide");
    s->time_delta_multiplier = 0.0f;
    s->SlideTimeDeltaMultiplierValue(1.0f, 0.5f);
    s->UpdateTimeDeltaMultiplierChange(0.25f);
    EXPECT_NEAR(s->time_delta_multiplier, 1.0 - cos(M_PI_2 * sin(M_PI_4)), 1e-5);
    EXPECT_NEAR(s->time_delta_multiplier, 0.556, 0.001);
    s->UpdateTimeDeltaMultiplierChange(0.25f);
    EXPECT_EQ(s->time_delta_multiplier, 1.0f);
}

TEST_F(Frame, HalfMultiplierHalvesTheScreensStepButNotItsFade)
{
    ProbeScreen *s = MakeScreen("Half");
    Script(s, "seen = -1\nfunction OnUpdate(dt) seen = dt end\n");
    sman.PushScreen(s, 0);
    s->time_delta_multiplier = s->multiplier_target = 0.5f;
    Steps(1, 0.1f);
    EXPECT_NEAR(s->last_update_dt, 0.05f, 1e-7);
    lua_getglobal(s->ui->L, "seen");
    EXPECT_NEAR(lua_tonumber(s->ui->L, -1), 0.05, 1e-7);
    lua_pop(s->ui->L, 1);
    EXPECT_NEAR(s->trans_phase, 0.3f, 1e-6);
}

// The log tells when a pushed screen has faded in and takes input: once per push, on the
// frame its phase reaches 1, not while it fades and not on every frame after.
TEST_F(Frame, AScreenFadedInIsToldInTheLogOncePerPush)
{
    ProbeScreen *s = MakeScreen("Faded");
    sman.PushScreen(s, 0);
    Steps(3, 0.1f);  // 1/3 s at the default speed: still fading
    EXPECT_LT(s->trans_phase, 1.0f);
    EXPECT_EQ(apptest::CountLogged("Screen 'Faded' shown."), 0);
    Steps(1, 0.1f);
    EXPECT_TRUE(s->shown);
    Steps(5, 0.1f);
    EXPECT_EQ(apptest::CountLogged("Screen 'Faded' shown."), 1);
    sman.PopScreen(s, false);
    Steps(1, 0.1f);  // the frame takes the popped screen off the stack
    sman.PushScreen(s, 0);
    Steps(5, 0.1f);
    EXPECT_EQ(apptest::CountLogged("Screen 'Faded' shown."), 2);
}

TEST_F(Frame, PressValueRisesInANinthAndFallsInAFifth)
{
    ProbeScreen *s = MakeScreen("Press");
    UIComp *c = AddComp(s, "button", 100, 100, 40, 20);
    sman.touch_mode = false;
    sman.PushScreen(s, 0);
    Steps(10, 0.05f);
    UICursor &cur = sman.cursors[0];
    cur.pos = vec2_t{110, 110};
    cur.pressed = true;
    sman.UpdateCursors(0.0f);
    ASSERT_EQ(cur.locked, c);
    Steps(9, 1.0f / 90.0f);
    EXPECT_NEAR(c->time_cursor_locked, 0.9f, 1e-4);
    Steps(1, 1.0f / 90.0f);
    EXPECT_NEAR(c->time_cursor_locked, 1.0f, 1e-4);
    EXPECT_GT(c->time_cursor_over, 0.0f);
    cur.pressed = false;
    sman.UpdateCursors(0.0f);  // as the button-up event does
    EXPECT_EQ(cur.locked, nullptr);
    Steps(1, 0.1f);
    EXPECT_NEAR(c->time_cursor_locked, 0.5f, 1e-4);
    Steps(1, 0.1f);
    EXPECT_EQ(c->time_cursor_locked, 0.0f);
    c->fading = true;
    Steps(1, 0.1f);
    EXPECT_NEAR(c->fading_akey, 0.7f, 1e-5);
}

TEST_F(Frame, ZeroDurationsGiveNoNaN)
{
    ProbeScreen *s = MakeScreen("Instant");
    s->SetEnterTransDuration(0.0f);
    s->SetLeaveTransDuration(-1.0f);
    EXPECT_FLOAT_EQ(s->enter_speed, 1000.0f);
    EXPECT_FLOAT_EQ(s->leave_speed, 1000.0f);
    s->SlideTimeDeltaMultiplierValue(0.5f, 0.0f);
    sman.PushScreen(s, 0);
    sman.ResetNextFrameTimeDelta();
    Steps(1, 0.1f);
    EXPECT_TRUE(std::isfinite(s->trans_phase));
    EXPECT_TRUE(std::isfinite(s->time_delta_multiplier));
    Steps(1, 0.01f);
    EXPECT_TRUE(s->shown);
    EXPECT_EQ(s->time_delta_multiplier, 0.5f);
    sman.PopScreen(s, true);
    Steps(3, 0.01f);
    EXPECT_FALSE(sman.IsScreenInStack(s));
}

TEST_F(Frame, FastForwardStepsLieBetweenHalfAndOnePointOneTimesTheStep)
{
    ASSERT_TRUE(prog.parms.developer_mode);
    ProbeScreen *s = MakeScreen("Fast");
    sman.PushScreen(s, 0);
    s->on_update = RecordStep;
    sman.fast_forward = true;
    AppSeedRandom(1234);
    update_steps.clear();
    sman.Update(0.016f);
    ASSERT_EQ(update_steps.size(), 64u);
    const float step = 1.0f / 30.0f;
    float lo = 1e9f, hi = 0.0f;
    for (float dt : update_steps) {
        lo = fminf(lo, dt);
        hi = fmaxf(hi, dt);
    }
    EXPECT_GE(lo, 0.5f * step - 1e-6f);
    EXPECT_LE(hi, 1.1f * step + 1e-6f);
    EXPECT_LT(lo, hi) << "the steps vary";
    std::vector<float> first = update_steps;
    AppSeedRandom(1234);
    update_steps.clear();
    sman.Update(0.016f);
    EXPECT_EQ(update_steps, first) << "a seed gives the same steps";

    AppSetRandomSource(Zero);
    update_steps.clear();
    sman.Update(0.016f);
    EXPECT_NEAR(update_steps[0], 0.5f * step, 1e-6);
    AppSetRandomSource(Top);
    update_steps.clear();
    sman.Update(0.016f);
    EXPECT_NEAR(update_steps[0], 1.1f * step, 1e-6) << "values are clamped to 32767";
}

// A screen that asks for the idle pace, on top and fully shown, raises the program's
// frame time to its own after a few seconds without input; input from the device puts
// the program's own back at once, and a screen without the pace never touches it.
TEST_F(Frame, AScreenLeftAloneSlowsTheFramesUntilInput)
{
    const int own = prog.parms.min_frame_ms;
    ProbeScreen *plain = MakeScreen("Plain");
    ProbeScreen *menu = MakeScreen("Menu");
    menu->idle_frame_ms = 66;
    sman.PushScreen(plain, 0);
    Steps(100, 0.05f);
    EXPECT_EQ(prog.parms.min_frame_ms, own) << "a screen without the pace";

    sman.PushScreen(menu, 0);
    // Fading in does not count as fully shown; then the seconds without input count.
    Steps(1, 0.05f);
    EXPECT_LT(menu->trans_phase, 1.0f);
    EXPECT_EQ(prog.parms.min_frame_ms, own);
    int frames = 0;
    while (prog.parms.min_frame_ms == own && frames < 200) {
        Steps(1, 0.05f);
        frames++;
    }
    EXPECT_EQ(prog.parms.min_frame_ms, 66);
    EXPECT_GE((float)frames * 0.05f, ScreenMan::kIdleSeconds - 0.05f);
    EXPECT_LE((float)frames * 0.05f, ScreenMan::kIdleSeconds + 1.0f) << "fade-in and the idle seconds";

    // A touch through the device layer ends it before the next frame.
    ASSERT_TRUE(ovdev::headless::inject_touch(ovdev::headless::TouchPhase::Down, 0, 5, 5));
    PumpFrame();
    EXPECT_EQ(prog.parms.min_frame_ms, own);
    ASSERT_TRUE(ovdev::headless::inject_touch(ovdev::headless::TouchPhase::Up, 0, 5, 5));
    PumpFrame();
    Steps(10, 0.05f);
    EXPECT_EQ(prog.parms.min_frame_ms, own) << "the idle seconds count from the last input";

    // Back to slow, then the screen goes: the next frame restores the program's own.
    Steps(80, 0.05f);
    EXPECT_EQ(prog.parms.min_frame_ms, 66);
    sman.PopScreen(menu, false);
    Steps(1, 0.05f);
    EXPECT_EQ(prog.parms.min_frame_ms, own);
}
