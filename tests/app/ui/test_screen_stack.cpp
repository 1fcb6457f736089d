// The screen stack: push depths and refusals, deferred and immediate pops, follow-ups,
// repush, the enter and leave procedures with their Lua callbacks, and stack changes
// made from inside updates and clicks.
#include "tests/app/ui/ui_fixture.h"

#include "app/services/luaman.h"

#include <string.h>

using namespace uitest;
using apptest::CountLogged;
using apptest::Logged;

namespace {

typedef std::vector<std::string> Calls;

class Stack : public UITest {
protected:
    void SetUp() override
    {
        UITest::SetUp();
        StartUI();
    }
    std::vector<Screen *> Order()
    {
        std::vector<Screen *> out;
        for (int i = 0; i < sman.stack.Count(); i++)
            out.push_back(sman.stack[i]);
        return out;
    }
};

// "Note(text)" from a screen's script goes into the call log.
int luaf_Note(lua_State *L)
{
    const char *text = lua_tostring(L, 1);
    calls.push_back(std::string("lua:") + (text ? text : "?"));
    return 0;
}

}  // namespace

TEST_F(Stack, DepthsCountFromTheTopAndOutOfRangeIsRefused)
{
    ProbeScreen *a = MakeScreen("A"), *b = MakeScreen("B"), *c = MakeScreen("C"), *d = MakeScreen("D");
    sman.PushScreen(a, 0);
    sman.PushScreen(b, 0);
    EXPECT_EQ(Order(), (std::vector<Screen *>{a, b}));
    sman.PushScreen(c, 2);
    EXPECT_EQ(Order(), (std::vector<Screen *>{c, a, b})) << "depth = count is the bottom";
    sman.PushScreen(d, 1);
    EXPECT_EQ(Order(), (std::vector<Screen *>{c, a, d, b}));
    ProbeScreen *e = MakeScreen("E");
    sman.PushScreen(e, 5);
    EXPECT_TRUE(Logged("ScreenMan::PushScreen at_depth (5) out of range (0..4)"));
    sman.PushScreen(e, -1);
    EXPECT_TRUE(Logged("ScreenMan::PushScreen at_depth (-1) out of range (0..4)"));
    EXPECT_EQ(sman.stack.Count(), 4);
    EXPECT_EQ(sman.PeekScreen(0), b);
    EXPECT_EQ(sman.PeekScreen(99), c);
    EXPECT_EQ(sman.PeekScreen(-3), b);
    EXPECT_EQ(sman.GetScreenIndexInStack(d), 2);
    EXPECT_EQ(sman.GetScreenIndexInStack(e), -1);
    EXPECT_TRUE(sman.IsScreenInStack("A"));
    EXPECT_FALSE(sman.IsScreenInStack("E"));
    EXPECT_TRUE(Logged("PushScreen: 'D'"));
    EXPECT_TRUE(Logged("PushScreen 'D' took"));
}

TEST_F(Stack, RefusesUnpreloadedAndStackedScreens)
{
    ProbeScreen *raw = new ProbeScreen("Raw");
    screens_.push_back(raw);
    sman.PushScreen(raw, 0);
    EXPECT_TRUE(Logged("ScreenMan::PushScreen Trying to push screen 'Raw' which has not been preloaded yet."));
    EXPECT_EQ(sman.stack.Count(), 0);
    EXPECT_EQ(sman.PeekScreen(0), nullptr);

    ProbeScreen *a = MakeScreen("Twice");
    sman.PushScreen(a, 0);
    sman.PushScreen(a, 0);
    EXPECT_TRUE(Logged("ScreenMan::PushScreen Screen 'Twice' already in stack (leaving=FALSE). Not doing anything."));
    sman.PopScreen("Twice");
    sman.PushScreen(a, 0);
    EXPECT_TRUE(Logged("ScreenMan::PushScreen Screen 'Twice' already in stack (leaving=TRUE). Not doing anything."));
    EXPECT_EQ(sman.stack.Count(), 1);
    sman.PushScreen((Screen *)nullptr, 0);
    EXPECT_EQ(sman.stack.Count(), 1);
}

TEST_F(Stack, DeferredPopFadesOutThenLeavesOnTheNextFrame)
{
    ProbeScreen *s = MakeScreen("Fader");
    sman.PushScreen(s, 0);
    Steps(2, 1.0f / 6.0f);
    EXPECT_FLOAT_EQ(s->trans_phase, 1.0f);
    EXPECT_TRUE(s->shown);
    sman.PopScreen("Fader");
    EXPECT_TRUE(s->leaving);
    Steps(1, 1.0f / 6.0f);
    EXPECT_FLOAT_EQ(s->trans_phase, 0.5f);
    Steps(1, 1.0f / 6.0f);
    EXPECT_EQ(s->trans_phase, 0.0f);
    EXPECT_TRUE(sman.IsScreenInStack(s)) << "phase 0 is reached, the pop comes on the next frame";
    EXPECT_TRUE(CallsOf("Fader:Leave").empty());
    EXPECT_FALSE(Logged("Removing 'Fader' from Screen Stack"));
    Steps(1, 1.0f / 6.0f);
    EXPECT_EQ(CallsOf("Fader:Leave").size(), 1u);
    EXPECT_FALSE(sman.IsScreenInStack(s));
    EXPECT_TRUE(Logged("Removing 'Fader' from Screen Stack"));
    EXPECT_TRUE(s->left);
    EXPECT_FALSE(s->in_stack);
}

TEST_F(Stack, FollowUpIsPushedWhenThePopCompletes)
{
    ProbeScreen *s = MakeScreen("First"), *next = MakeScreen("Next");
    sman.PushScreen(s, 0);
    Steps(40, 0.01f);
    s->follow_up = next;
    sman.PopScreen(s, true);
    Steps(1, 0.01f);
    EXPECT_FALSE(sman.IsScreenInStack(next)) << "not when the pop is requested";
    Steps(40, 0.01f);
    EXPECT_TRUE(sman.IsScreenInStack(next));
    EXPECT_FALSE(sman.IsScreenInStack(s));
    EXPECT_EQ(s->follow_up, nullptr);
}

TEST_F(Stack, RepushAfterPopPutsTheScreenBackOnTop)
{
    ProbeScreen *low = MakeScreen("Low"), *s = MakeScreen("Again");
    sman.PushScreen(s, 0);
    sman.PushScreen(low, 1);
    s->repush_after_pop = true;
    calls.clear();
    EXPECT_EQ(sman.PopScreen(s, false), s);
    EXPECT_FALSE(s->repush_after_pop);
    EXPECT_TRUE(s->in_stack);
    EXPECT_EQ(sman.PeekScreen(0), s);
    EXPECT_EQ(sman.stack.Count(), 2);
    EXPECT_EQ(CallsOf("Again:"), (Calls{"Again:Leave", "Again:Enter", "Again:Update(0)"}));
    Steps(1, 0.01f);
    EXPECT_EQ(sman.stack.Count(), 2);
    EXPECT_FALSE(Logged("already in stack"));
}

TEST_F(Stack, ImmediatePopByDepthAndPopAll)
{
    ProbeScreen *a = MakeScreen("PA"), *b = MakeScreen("PB");
    sman.PopAllScreens();  // nothing stacked: nothing happens
    EXPECT_EQ(sman.PopScreen(0), nullptr);
    sman.PushScreen(a, 0);
    sman.PushScreen(b, 0);
    EXPECT_EQ(sman.PopScreen(0), b);
    EXPECT_FALSE(b->in_stack);
    EXPECT_FALSE(b->leaving) << "a pop by depth does not fade";
    Steps(1, 0.01f);
    EXPECT_EQ(sman.stack.Count(), 1);
    sman.PopAllScreens();
    EXPECT_TRUE(a->leaving);
    Steps(60, 0.01f);
    EXPECT_EQ(sman.stack.Count(), 0);
    EXPECT_EQ(sman.PopScreen((Screen *)nullptr, false), nullptr);
    EXPECT_EQ(sman.PopScreen(b, false), nullptr) << "a screen not stacked";
}

TEST_F(Stack, EnterAndLeaveProceduresCallInOrder)
{
    ProbeScreen *s = MakeScreen("Order");
    Script(s, "");
    LuaManager::RegisterLuaFunc(s->ui->L, "Note", luaf_Note);
    Script(s, "function OnEnter() Note('OnEnter') end\n"
              "function OnUpdate(dt) Note('OnUpdate ' .. dt) end\n"
              "function OnLeave() Note('OnLeave') end\n");
    s->ui->events_file = strdup("ui/order-events.lua");
    calls.clear();
    sman.PushScreen(s, 0);
    EXPECT_EQ(calls, (Calls{"Order:Enter", "lua:OnEnter", "lua:OnUpdate 0", "Order:Update(0)"}));
    EXPECT_TRUE(Logged("ui/order-events.lua::OnEnter ()"));
    EXPECT_TRUE(Logged("Screen 'Order' Enter Procedure took"));
    EXPECT_TRUE(Logged("Screen 'Order' Enter Procedure ApplyCacheModeOnEnter took"));
    EXPECT_TRUE(s->ui->cache_applied);
    sman.DoScreenEnterProcedure(s);
    EXPECT_TRUE(Logged("Skipping Screen 'Order' Enter Procedure."));
    calls.clear();
    sman.PopScreen(s, false);
    EXPECT_EQ(calls, (Calls{"Order:Leave", "lua:OnLeave"}));
    EXPECT_FALSE(s->ui->cache_applied);
    calls.clear();
    sman.DoScreenLeaveProcedure(s);
    EXPECT_TRUE(calls.empty()) << "a screen that left does not leave again";
}

TEST_F(Stack, SwitchingWhileTheTransitionIsStackedOnlyRetargets)
{
    ProbeScreen *a = MakeScreen("SwA"), *b = MakeScreen("SwB");
    Screen::PreLoadAllScreens(false);
    sman.SwitchScreen("SwA");
    Screen *t = Screen::GetScreen("Transition");
    ASSERT_TRUE(sman.IsScreenInStack(t));
    t->leaving = true;
    sman.SwitchScreen("SwB");
    EXPECT_FALSE(t->leaving);
    EXPECT_EQ(sman.stack.Count(), 1);
    sman.SwitchScreen("NotAScreen");
    EXPECT_TRUE(Logged("Screen::GetScreen ('NotAScreen') -- screen not found!"));
    (void)a;
    (void)b;
}

// Pushes and pops from inside an update: the walk goes over a copy of the stack.
static ProbeScreen *churn_other = nullptr;
static void Churn(ProbeScreen *self)
{
    if (sman.IsScreenInStack(churn_other)) {
        sman.PopScreen(churn_other, false);
    } else if (!churn_other->in_stack) {
        sman.PushScreen(churn_other, 0);
    }
    sman.PopScreen(self, true);
    self->repush_after_pop = true;
}

TEST_F(Stack, PushesAndPopsInsideUpdatesAndClicksStayClean)
{
    ProbeScreen *s = MakeScreen("Churner"), *other = MakeScreen("Other");
    churn_other = other;
    s->on_update = Churn;
    sman.PushScreen(s, 0);
    for (int i = 0; i < 40; i++)
        Steps(1, 0.05f);
    EXPECT_GE(CallsOf("Churner:Enter").size(), 2u) << "the screen left and came back";
    EXPECT_GE(CallsOf("Other:Enter").size(), 2u);
    s->on_update = nullptr;
    s->repush_after_pop = false;
    sman.PopAllScreens();
    Steps(30, 0.05f);
    EXPECT_EQ(sman.stack.Count(), 0);
}

TEST_F(Stack, ScriptsPushAndPopFromOnUpdateAndOnClick)
{
    ProbeScreen *other = MakeScreen("Side");
    ProbeScreen *s = MakeScreen("Scripted");
    AddComp(s, "button", 100, 100, 40, 20);
    Script(s, "n = 0\n"
              "function OnUpdate(dt)\n"
              "  n = n + 1\n"
              "  if IsScreenInStack('Side') then PopScreen('Side') else PushScreen('Side', 0) end\n"
              "  if n == 6 then PopScreen() end\n"
              "end\n"
              "function OnClick(name) PushScreen('Side', 1) PopScreen('Side') PopAllScreens() end\n");
    sman.PushScreen(s, 0);
    for (int i = 0; i < 30; i++)
        Steps(1, 0.05f);
    EXPECT_TRUE(s->left) << "PopScreen without a name fades the calling screen";
    EXPECT_GE(CallsOf("Side:Enter").size(), 1u);
    Script(s, "function OnUpdate(dt) end\n");
    sman.PopAllScreens();
    Steps(30, 0.05f);
    ASSERT_EQ(sman.stack.Count(), 0) << sman.PeekScreen(0)->name << " leaving " << sman.PeekScreen(0)->leaving
                                     << " phase " << sman.PeekScreen(0)->trans_phase << " in " << sman.PeekScreen(0)->in_stack;
    sman.PushScreen(s, 0);
    Steps(10, 0.05f);
    UIComp *button = s->GetComp("button");
    sman.cursors[0].pos = vec2_t{110, 110};
    sman.cursors[0].pressed = true;
    sman.UpdateCursors(0.0f);
    sman.cursors[0].pressed = false;
    sman.UpdateCursors(0.0f);
    EXPECT_EQ(s->clicks, 1);
    EXPECT_TRUE(s->leaving);
    Steps(30, 0.05f);
    EXPECT_EQ(sman.stack.Count(), 0);
    (void)other;
    (void)button;
}
