// The stack under change while it is drawn, pops by out-of-range depths, and the
// screen clock past the range of 32-bit milliseconds.
#include "tests/app/ui/ui_fixture.h"

#include "app/services/luaman.h"

#include <limits.h>

using namespace uitest;

namespace {

class ReviewStack : public UITest {
protected:
    void SetUp() override
    {
        UITest::SetUp();
        StartUI();
    }
};

// A screen whose drawing pops one screen at once and pushes another.
class ChurnOnDraw : public ProbeScreen {
public:
    explicit ChurnOnDraw(const char *name) : ProbeScreen(name) {}
    void Draw(float dt) override
    {
        ProbeScreen::Draw(dt);
        if (pop && sman.IsScreenInStack(pop))
            sman.PopScreen(pop, false);
        if (push && !push->in_stack)
            sman.PushScreen(push, 0);
    }
    Screen *pop = nullptr, *push = nullptr;
};

}  // namespace

TEST_F(ReviewStack, PushesAndPopsMadeWhileDrawingTakeEffectNextFrame)
{
    ChurnOnDraw *churn = new ChurnOnDraw("Churn");
    screens_.push_back(churn);
    Screen::PreLoadScreen(churn);
    ProbeScreen *victim = MakeScreen("Victim"), *newcomer = MakeScreen("Newcomer");
    sman.PushScreen(churn, 0);
    sman.PushScreen(victim, 0);
    churn->pop = victim;
    churn->push = newcomer;
    calls.clear();
    DrawFrame();
    EXPECT_EQ(CallsOf("Churn:Draw").size(), 1u);
    EXPECT_TRUE(CallsOf("Victim:Draw").empty()) << "popped while the stack was drawn";
    EXPECT_TRUE(CallsOf("Newcomer:Draw").empty()) << "pushed while the stack was drawn";
    EXPECT_FALSE(victim->in_stack);
    EXPECT_TRUE(CallsOf("Victim:Leave").size() == 1u);
    EXPECT_EQ(sman.PeekScreen(0), newcomer);
    Steps(1, 0.01f);  // the popped entry goes at the end of the frame
    EXPECT_FALSE(sman.IsScreenInStack(victim));
    churn->pop = newcomer;
    churn->push = victim;
    calls.clear();
    DrawFrame();
    EXPECT_EQ(CallsOf("Newcomer:Draw").size(), 0u);
    EXPECT_EQ(sman.PeekScreen(0), victim);
    Steps(1, 0.01f);
    churn->pop = churn->push = nullptr;
    calls.clear();
    DrawFrame();
    EXPECT_EQ(CallsOf("Victim:Draw").size(), 1u);
    EXPECT_EQ(sman.stack.Count(), 2);
}

TEST_F(ReviewStack, AScriptThatPopsAllFromOnDrawLeavesACleanStack)
{
    ProbeScreen *a = MakeScreen("DrawA"), *b = MakeScreen("DrawB");
    Script(a, "function OnDraw() if not done then done = true PopAllScreens() PushScreen('DrawB', 0) end end\n");
    sman.PushScreen(a, 0);
    for (int i = 0; i < 40; i++) {
        sman.Update(0.05f);
        DrawFrame();
    }
    // a's first drawing fades out what is stacked and pushes b on top.
    EXPECT_FALSE(sman.IsScreenInStack(a));
    EXPECT_TRUE(sman.IsScreenInStack(b));
    EXPECT_EQ(sman.stack.Count(), 1);
}

TEST_F(ReviewStack, PopByDepthOutsideTheStack)
{
    ProbeScreen *bottom = MakeScreen("DBottom"), *middle = MakeScreen("DMiddle"), *top = MakeScreen("DTop");
    sman.PushScreen(bottom, 0);
    sman.PushScreen(middle, 0);
    sman.PushScreen(top, 0);
    EXPECT_EQ(sman.PopScreen(-1), top) << "a negative depth means the top";
    EXPECT_FALSE(top->leaving) << "no fade";
    EXPECT_EQ(sman.PopScreen(99), bottom) << "past the bottom is the bottom";
    Steps(1, 0.01f);
    EXPECT_EQ(sman.stack.Count(), 1);
    EXPECT_EQ(sman.PeekScreen(0), middle);
    EXPECT_EQ(sman.PeekScreen(-5), middle);
}

TEST_F(ReviewStack, TheClockRunsPastTheRangeOf32BitMilliseconds)
{
    sman.time_ms = (int64_t)INT_MAX - 200;
    sman.prev_time_ms = sman.time_ms;
    int hits = 0;
    for (int i = 0; i < 10; i++) {
        sman.Update(0.1f);
        if (sman.IsIntervalElapsed(0.5f))
            hits++;
    }
    EXPECT_EQ(sman.time_ms, (int64_t)INT_MAX - 200 + 1000);
    EXPECT_GT(sman.time_ms, (int64_t)INT_MAX);
    EXPECT_EQ(hits, 2) << "one frame per half second also past 2^31 ms";
    EXPECT_FALSE(sman.IsIntervalElapsedOffset(0.0004f, 3)) << "below 1 ms never elapses";
}
