// Input as a player gives it: taps injected through the headless device and game-pad
// states set in the engine's key table, delivered by engine frames. A fading-in top
// screen drops taps; a finger and the pad never hold one component at once; a top
// screen without a UI set is passed over; keys reach a focused component once; a tap on
// a scriptable component runs the screen's OnClick, then the component's own.
#include "tests/app/ui/ui_fixture.h"

#include "app/services/luaman.h"
#include "app/ui/widgets/ui-scriptable.h"
#include "platform/headless.h"

#include <lua.hpp>

using namespace uitest;
namespace hl = ovdev::headless;

namespace {

// Counts what reaches it.
class CountingComp : public UIComp {
public:
    int keys = 0, chars = 0, events = 0;
    int ProcessKey(int key) override
    {
        keys++;
        return UIComp::ProcessKey(key);
    }
    int ProcessChar(int c) override
    {
        chars++;
        return UIComp::ProcessChar(c);
    }
    int ProcessEvent(ov_event_t *event) override
    {
        events++;
        return UIComp::ProcessEvent(event);
    }
};

class ReviewInput : public UITest {
protected:
    void SetUp() override
    {
        UITest::SetUp();
        StartUI();
    }
    void TearDown() override
    {
        for (int key : {800, 803})
            ov->OV_SetKeyStatei(key, 0);
        ov->OV_SetKeyStatef(803, 0.0f);
        UITest::TearDown();
    }
    void Touch(hl::TouchPhase phase, int x, int y)
    {
        ASSERT_TRUE(hl::inject_touch(phase, 0, x, y));
        PumpFrame();
    }
    void Tap(int x, int y)
    {
        Touch(hl::TouchPhase::Down, x, y);
        Touch(hl::TouchPhase::Up, x, y);
    }
    // A frame with the screen manager's update (as the application's frame runs it).
    void Frame()
    {
        sman.Update(0.016f);
        PumpFrame();
    }
    CountingComp *AddCounting(Screen *s, const char *name, float x, float y, float w, float h)
    {
        if (!s->ui)
            s->ui = sman.GetUISetForScreen("", s);
        CountingComp *c = new CountingComp;
        c->SetName(name);
        c->position_type = UIPOS_ABSOLUTE;
        c->position_x = x;
        c->position_y = y;
        c->width = w;
        c->height = h;
        c->owner = s;
        s->ui->comps.InsertLast(c);
        return c;
    }
};

}  // namespace

TEST_F(ReviewInput, ATapOnAFadingInTopScreenIsDroppedAndLaterClicks)
{
    ProbeScreen *s = MakeScreen("FadingIn");
    AddComp(s, "button", 100, 100, 40, 20);
    sman.PushScreen(s, 0);
    Steps(1, 0.1f);
    ASSERT_LT(s->trans_phase, 1.0f);
    Tap(120, 110);
    EXPECT_EQ(s->clicks, 0) << "the screen still fades in";
    EXPECT_EQ(sman.cursors[0].locked, nullptr);
    Steps(10, 0.05f);
    ASSERT_TRUE(s->shown);
    Tap(120, 110);
    EXPECT_EQ(s->clicks, 1);
    // A screen that fades out takes no taps either.
    sman.PopScreen(s, true);
    Steps(1, 0.05f);
    Tap(120, 110);
    EXPECT_EQ(s->clicks, 1);
}

TEST_F(ReviewInput, AFingerAndThePadNeverHoldOneComponent)
{
    ProbeScreen *s = MakeScreen("Shared");
    UIComp *button = AddComp(s, "button", 100, 100, 40, 20);
    sman.touch_mode = false;
    sman.PushScreen(s, 0);
    Steps(10, 0.05f);
    ov->OV_SetKeyStatei(800, 2);  // a pad is present
    Frame();
    UICursor &pad = sman.cursors[UI_GAMEPAD_CURSOR];
    ASSERT_EQ(pad.over, button) << "the pad sits on the only interactive component";
    ov->OV_SetKeyStatef(803, 1.0f);  // the pad's press axis
    Frame();
    ASSERT_EQ(pad.locked, button);

    Touch(hl::TouchPhase::Down, 120, 110);
    EXPECT_EQ(sman.cursors[0].over, button);
    EXPECT_EQ(sman.cursors[0].locked, nullptr) << "the pad holds it already";
    Touch(hl::TouchPhase::Up, 120, 110);
    EXPECT_EQ(s->clicks, 0) << "the finger never held it, so its release does not click";

    ov->OV_SetKeyStatef(803, 0.0f);
    Frame();
    EXPECT_EQ(s->clicks, 1) << "the pad's release clicks";
    EXPECT_EQ(pad.locked, nullptr);
}

TEST_F(ReviewInput, ATopScreenWithoutAUISetIsPassedOver)
{
    ProbeScreen *low = MakeScreen("WithUI");
    UIComp *button = AddComp(low, "button", 100, 100, 40, 20);
    Script(low, "entered = 0\nfunction OnCursorEnter(n) entered = entered + 1 end\n"
                "keys = 0\nfunction OnKeyDown(k) keys = keys + 1 end\n");
    sman.PushScreen(low, 0);
    Steps(10, 0.05f);
    ProbeScreen *bare = MakeScreen("Bare");
    ASSERT_EQ(bare->ui, nullptr);
    sman.PushScreen(bare, 0);
    Steps(10, 0.05f);
    sman.touch_mode = false;
    ov->OV_SetKeyStatei(800, 2);
    Frame();
    Touch(hl::TouchPhase::Move, 120, 110);
    Touch(hl::TouchPhase::Down, 120, 110);
    ASSERT_TRUE(hl::inject_key('K', true));
    ASSERT_TRUE(hl::inject_key('K', false));
    Frame();
    Touch(hl::TouchPhase::Up, 120, 110);
    Frame();
    EXPECT_FALSE(sman.IsCursorOver(button)) << "the screen below the top is not searched";
    EXPECT_NE(sman.cursors[UI_GAMEPAD_CURSOR].over, button);
    EXPECT_EQ(low->clicks, 0);
    EXPECT_GT(bare->events, 0) << "the top screen itself still sees the events";
    lua_getglobal(low->ui->L, "entered");
    lua_getglobal(low->ui->L, "keys");
    EXPECT_EQ(lua_tonumber(low->ui->L, -2), 0.0);
    EXPECT_EQ(lua_tonumber(low->ui->L, -1), 0.0);
    lua_settop(low->ui->L, 0);
}

TEST_F(ReviewInput, KeysReachAComponentFocusedTwiceOnlyOnce)
{
    ProbeScreen *s = MakeScreen("Focused");
    CountingComp *field = AddCounting(s, "field", 100, 100, 40, 20);
    sman.touch_mode = false;
    sman.PushScreen(s, 0);
    Steps(10, 0.05f);
    // The finger and the pad both give it the focus, one after the other.
    Tap(120, 110);
    ASSERT_EQ(sman.cursors[0].focus, field);
    ov->OV_SetKeyStatei(800, 2);
    ov->OV_SetKeyStatef(803, 1.0f);
    Frame();
    ov->OV_SetKeyStatef(803, 0.0f);
    Frame();
    ASSERT_EQ(sman.cursors[UI_GAMEPAD_CURSOR].focus, field);
    field->keys = field->events = field->chars = 0;
    const int screen_events = s->events;
    ASSERT_TRUE(hl::inject_key('Q', true));
    ASSERT_TRUE(hl::inject_key('Q', false));
    PumpFrame();
    EXPECT_EQ(field->keys, 1) << "one key down, one key for the focused component";
    EXPECT_LE(field->chars, 1);
    // The top screen sees every event once; the component, in the top set and focused,
    // sees each of them once as well.
    EXPECT_GT(s->events, screen_events);
    EXPECT_EQ(field->events, s->events - screen_events);
    ov->OV_SetKeyStatei(800, 0);
}

namespace {

// The first value of a Lua expression in a state, as text ("nil" when there is none).
std::string Eval(lua_State *L, const char *expression)
{
    const int top = lua_gettop(L);
    std::string out = "error";
    std::string code = std::string("return ") + expression;
    if (luaL_loadstring(L, code.c_str()) == 0 && lua_pcall(L, 0, 1, 0) == 0)
        out = lua_isnil(L, -1) ? "nil" : lua_tostring(L, -1) ? lua_tostring(L, -1) : "?";
    lua_settop(L, top);
    return out;
}

}  // namespace

// A quick tap on a scriptable component (press and release within one frame) runs the
// screen's OnClick with its name, then the component's own OnClick (with itself as the
// set's current component), then the screen's click handling.
TEST_F(ReviewInput, ATapRunsTheScreensOnClickThenTheScriptablesOwn)
{
    apptest::WriteFile("ui/sc_tap.lua", "clicks = 0\nfunction OnClick ()\n clicks = clicks + 1\n"
                                        " click_comp = GetActiveCompName ()\n alpha_seen = GetProperty ('other:alpha')\nend\n");
    ProbeScreen *s = MakeScreen("Tap", "CreateComp ('Marker', 'other')\nCreateComp ('Scriptable', 'sc')\n"
                                       "SetProperty ('position_type', 'ABSOLUTE')\nSetProperty ('position', 40, 30)\n"
                                       "SetProperty ('width', 40)\nSetProperty ('height', 20)\n"
                                       "SetProperty ('scriptable.script', 'ui/sc_tap.lua')\n"
                                       "screen_clicks = ''\nfunction OnClick (name)\n"
                                       " screen_clicks = screen_clicks .. name .. ';'\n"
                                       " SetProperty ('other:alpha', 0.25)\nend\n");
    auto *sc = dynamic_cast<UICompScriptable *>(s->GetComp("sc"));
    ASSERT_NE(sc, nullptr);
    sman.PushScreen(s, 0);
    Steps(40, 0.05f);
    calls.clear();
    ASSERT_TRUE(hl::inject_touch(hl::TouchPhase::Down, 0, 50, 40));
    ASSERT_TRUE(hl::inject_touch(hl::TouchPhase::Up, 0, 50, 40));
    PumpFrame();
    EXPECT_EQ(Eval(s->ui->L, "screen_clicks"), "sc;");
    EXPECT_EQ(Eval(sc->state, "clicks"), "1");
    EXPECT_EQ(Eval(sc->state, "click_comp"), "sc");
    EXPECT_EQ(Eval(sc->state, "alpha_seen"), "0.25") << "the screen's OnClick ran first";
    EXPECT_EQ(CallsOf("Tap:Click"), (std::vector<std::string>{"Tap:Click sc"}));
    // A press held across frames clicks the same way.
    Tap(50, 40);
    EXPECT_EQ(Eval(sc->state, "clicks"), "2");
    EXPECT_EQ(Eval(s->ui->L, "screen_clicks"), "sc;sc;");
}
