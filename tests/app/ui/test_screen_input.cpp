// Event dispatch and cursors, with touches and keys injected through the headless
// device and delivered by the engine: clicks and their release margin, fades and the
// top screen, hover after a lifted finger, locks, the click procedure's order, cursor
// callbacks, the game-pad cursor, key names, Lua key and mouse callbacks, the close
// request, console lines and the developer's resolution keys.
#include "tests/app/ui/ui_fixture.h"

#include "app/services/luaman.h"
#include "app/services/prog.h"
#include "core/ov_state.h"
#include "ovrecords.h"
#include "platform/headless.h"
#include "platform/screen.h"

#include <string.h>

using namespace uitest;
using apptest::Logged;
namespace hl = ovdev::headless;

namespace {

typedef std::vector<std::string> Calls;

int luaf_Note(lua_State *L)
{
    const char *text = lua_tostring(L, 1);
    calls.push_back(std::string("lua:") + (text ? text : "?"));
    return 0;
}

const char *FakeExtension(const char *command, const char *arg)
{
    if (strcmp(command, "BeginKeyboardInput") == 0 || strcmp(command, "EndKeyboardInput") == 0)
        calls.push_back(std::string("ext:") + command);
    return nullptr;
}

long FakePlaySound(ov_sound_t *s, float, float, float)
{
    calls.push_back(std::string("sound:") + (s && s->name ? s->name : "?"));
    return 1;
}

class Input : public UITest {
protected:
    void SetUp() override
    {
        UITest::SetUp();
        StartUI();
        ov->OV_CallExtension = FakeExtension;
        ov->OV_PlaySound = FakePlaySound;
    }
    // A shown screen with one button-like component at (100, 100) 40 x 20.
    ProbeScreen *ShownScreen(const char *name, UIComp **comp)
    {
        ProbeScreen *s = MakeScreen(name);
        *comp = AddComp(s, "button", 100, 100, 40, 20);
        Script(s, "");
        LuaManager::RegisterLuaFunc(s->ui->L, "Note", luaf_Note);
        sman.PushScreen(s, 0);
        Steps(10, 0.05f);
        return s;
    }
    void Touch(hl::TouchPhase phase, int x, int y)
    {
        ASSERT_TRUE(hl::inject_touch(phase, 0, x, y));
        PumpFrame();
    }
    void Tap(int x0, int y0, int x1, int y1)
    {
        Touch(hl::TouchPhase::Down, x0, y0);
        Touch(hl::TouchPhase::Move, x1, y1);
        Touch(hl::TouchPhase::Up, x1, y1);
    }
    int Send(int type, void *ptr = nullptr)
    {
        ov_event_t ev;
        memset(&ev, 0, sizeof ev);
        ev.type = type;
        ev.ptr = ptr;
        return OVI_SendEvent(&ev);
    }
    ov_sound_t MakeSound(char *name)
    {
        ov_sound_t s;
        memset(&s, 0, sizeof s);
        s.name = name;
        return s;
    }
};

}  // namespace

TEST_F(Input, ReleaseWithinSixteenUnitsClicks)
{
    UIComp *c;
    ProbeScreen *s = ShownScreen("Margin", &c);
    struct Case {
        int x, y;
        bool clicks;
    } cases[] = {{120, 110, true}, {150, 110, true}, {120, 130, true}, {160, 110, false}, {120, 140, false}};
    for (const Case &k : cases) {
        SCOPED_TRACE(testing::Message() << "release at " << k.x << ", " << k.y);
        int before = s->clicks;
        Tap(120, 110, k.x, k.y);
        EXPECT_EQ(s->clicks - before, k.clicks ? 1 : 0);
        EXPECT_EQ(sman.cursors[0].locked, nullptr);
    }
}

TEST_F(Input, NoClickWhileFadingInNorBelowTheTop)
{
    UIComp *c;
    ProbeScreen *low = ShownScreen("Low", &c);
    ProbeScreen *top = MakeScreen("TopFading");
    AddComp(top, "other", 0, 0, 10, 10);
    sman.PushScreen(top, 0);
    Tap(120, 110, 120, 110);
    EXPECT_EQ(low->clicks, 0) << "the screen below the top is never clicked";
    EXPECT_EQ(top->clicks, 0);
    EXPECT_LT(top->trans_phase, 1.0f);
    // A click sent straight to a component of a screen that still fades in is dropped.
    UIComp *other = top->GetComp("other");
    other->owner = top;
    sman.SendComponentClick(other, top->ui);
    EXPECT_EQ(top->clicks, 0);
    sman.SendComponentClick(c, low->ui);
    EXPECT_EQ(low->clicks, 0);
    Steps(10, 0.05f);
    sman.SendComponentClick(other, top->ui);
    EXPECT_EQ(top->clicks, 1);
}

TEST_F(Input, ALiftedFingerHoversNothing)
{
    UIComp *c;
    ShownScreen("Hover", &c);
    ASSERT_TRUE(sman.touch_mode);
    Touch(hl::TouchPhase::Down, 120, 110);
    EXPECT_TRUE(sman.IsCursorOver(c));
    Touch(hl::TouchPhase::Up, 120, 110);
    EXPECT_FALSE(sman.IsCursorOver(c));
    Steps(5, 0.1f);
    EXPECT_EQ(c->time_cursor_over, 0.0f);
}

TEST_F(Input, TwoCursorsNeverLockOneComponent)
{
    UIComp *c;
    ShownScreen("Locks", &c);
    sman.touch_mode = false;
    for (int i = 0; i < 2; i++) {
        sman.cursors[i].pos = vec2_t{120, 110};
        sman.cursors[i].pressed = true;
        sman.cursors[i].idle_time = 0.0f;
    }
    sman.UpdateCursors(0.0f);
    EXPECT_EQ(sman.cursors[0].locked, c);
    EXPECT_NE(sman.cursors[1].locked, c);
    EXPECT_TRUE(sman.IsCursorLockedTo(c));
    EXPECT_TRUE(sman.IsCursorFocusOver(c));
}

TEST_F(Input, ClickProcedureOrder)
{
    UIComp *c;
    ProbeScreen *s = ShownScreen("Clicker", &c);
    apptest::WriteFile("ui/on-click.lua", "Note('file')\n");
    Script(s, "function OnClick(name) Note('OnClick ' .. name) end\n");
    char release[] = "sfx/release";
    ov_sound_t snd = MakeSound(release);
    c->snd_release = &snd;
    c->SetScript(1, "ui/on-click.lua");
    calls.clear();
    Tap(120, 110, 120, 110);
    Calls click;
    for (const std::string &k : calls)
        if (k != "Clicker:Update" && k != "Clicker:Draw")
            click.push_back(k);
    EXPECT_EQ(click, (Calls{"ext:EndKeyboardInput", "sound:sfx/release", "lua:OnClick button", "lua:file",
                            "Clicker:Click button"}));
    EXPECT_EQ(s->ui->active_comp, c);
    c->snd_release = nullptr;
}

TEST_F(Input, CursorEnterNeedsAnOverSound)
{
    UIComp *c;
    ProbeScreen *s = ShownScreen("Enter", &c);
    Script(s, "function OnCursorEnter(name) Note('enter ' .. name) end\n");
    sman.touch_mode = false;
    calls.clear();
    Touch(hl::TouchPhase::Move, 120, 110);
    EXPECT_EQ(sman.cursors[0].over, c);
    EXPECT_TRUE(CallsOf("lua:").empty());
    Touch(hl::TouchPhase::Move, 10, 10);
    char over[] = "sfx/over";
    ov_sound_t snd = MakeSound(over);
    c->snd_over = &snd;
    sman.over_sound_timer = 1.0f;
    Touch(hl::TouchPhase::Move, 120, 110);
    Steps(1, 0.0f);  // the hover search runs with the cursors' update
    EXPECT_EQ(CallsOf("lua:"), Calls{"lua:enter button"});
    EXPECT_EQ(CallsOf("sound:"), Calls{"sound:sfx/over"});
    c->snd_over = nullptr;
}

TEST_F(Input, GamePadTabStopsAtTheEnds)
{
    ProbeScreen *s = MakeScreen("Pad");
    UIComp *a = AddComp(s, "a", 10, 10, 20, 20);
    UIComp *b = AddComp(s, "b", 50, 10, 20, 20);
    UIComp *c = AddComp(s, "c", 90, 10, 20, 20);
    sman.PushScreen(s, 0);
    Steps(10, 0.05f);
    ov->OV_SetKeyStatei(800, 2);  // held: a pad is present
    UICursor *pad = &sman.cursors[UI_GAMEPAD_CURSOR];
    sman.UpdateGamePadCursor(pad, 0.0f);
    EXPECT_EQ(pad->over, a) << "the first interactive component";
    ov->OV_SetKeyStatei(9, 2);
    std::vector<UIComp *> seen;
    for (int i = 0; i < 4; i++) {
        pad->repeat_timer = 0.0f;
        sman.UpdateGamePadCursor(pad, 0.01f);
        seen.push_back(pad->over);
    }
    EXPECT_EQ(seen, (std::vector<UIComp *>{b, c, c, c})) << "no wrap-around";
    EXPECT_EQ(s->default_comp, c);
    EXPECT_FLOAT_EQ(pad->pos.x, 100.0f);
    EXPECT_FLOAT_EQ(pad->pos.y, 20.0f);
    ov->OV_SetKeyStatei(16, 2);
    pad->repeat_timer = 0.0f;
    sman.UpdateGamePadCursor(pad, 0.01f);
    EXPECT_EQ(pad->over, b) << "SHIFT goes back";
    ov->OV_SetKeyStatei(9, 0);
    ov->OV_SetKeyStatei(16, 0);
    ov->OV_SetKeyStatei(800, 0);
}

TEST_F(Input, NeighbourInEachDirection)
{
    // A plus shape around a centre, with a far right neighbour on the same row.
    ProbeScreen *s = MakeScreen("Grid");
    UIComp *centre = AddComp(s, "centre", 100, 100, 20, 20);
    UIComp *left = AddComp(s, "left", 60, 100, 20, 20);
    UIComp *right = AddComp(s, "right", 140, 100, 20, 20);
    UIComp *far_right = AddComp(s, "far", 200, 100, 20, 20);
    UIComp *up = AddComp(s, "up", 100, 60, 20, 20);
    UIComp *down = AddComp(s, "down", 100, 140, 20, 20);
    AddComp(s, "offrow", 140, 130, 20, 20)->interactive = false;
    UIComp *top_row = AddComp(s, "toprow", 300, 0, 20, 20);
    struct Case {
        UIComp *from;
        vec2_t v;
        UIComp *to;
    } cases[] = {
        {centre, {-1, 0}, left}, {centre, {1, 0}, right}, {centre, {0, -1}, up},   {centre, {0, 1}, down},
        {right, {1, 0}, far_right}, {far_right, {1, 0}, nullptr}, {up, {0, -1}, nullptr}, {centre, {0, 0}, centre},
        // Without a current component the search starts at (0, 0), the first interactive
        // component ("centre") giving the size and being skipped: only the top row lies
        // to the right, and nothing lies straight below the origin.
        {nullptr, {1, 0}, top_row}, {nullptr, {0, 1}, nullptr},
    };
    for (const Case &k : cases) {
        SCOPED_TRACE(testing::Message() << (k.from ? k.from->name : "none") << " (" << k.v.x << ", " << k.v.y << ")");
        EXPECT_EQ(sman.GetInteractiveComp2D(s->ui, k.from, k.v), k.to);
    }
    EXPECT_EQ(sman.GetInteractiveComp1D(s->ui, nullptr, 1), left) << "null stands for the first";
    EXPECT_EQ(sman.GetInteractiveComp1D(s->ui, centre, -1), centre);
    EXPECT_EQ(sman.GetInteractiveComp1D(s->ui, &comp_null, 1), nullptr);
}

TEST_F(Input, KeyNames)
{
    struct Case {
        int code;
        const char *name;
    } cases[] = {{44, "UNKNOWN"}, {58, "UNKNOWN"}, {67, "C"}, {65, "A"},        {90, "Z"},
                 {48, "0"},       {9, "TAB"},      {18, "MENU"}, {510, "MOUSE_BUTTON_0"}, {517, "MOUSE_BUTTON_7"},
                 {1633, "VOLUME_DOWN"}, {97, "UNKNOWN"}, {-1, "UNKNOWN"}};
    for (const Case &k : cases)
        EXPECT_STREQ(OV_GetKeyName(k.code), k.name) << k.code;
}

TEST_F(Input, KeyDownNeedsAShownScreenMouseDownDoesNot)
{
    ProbeScreen *s = MakeScreen("Keys");
    Script(s, "");
    LuaManager::RegisterLuaFunc(s->ui->L, "Note", luaf_Note);
    Script(s, "function OnKeyDown(k) Note('down ' .. k) end\n"
              "function OnKeyUp(k) Note('up ' .. k) end\n"
              "function OnMouseDown(x, y, b, i) Note('mouse ' .. x .. ' ' .. y .. ' ' .. b .. ' ' .. i) end\n");
    sman.PushScreen(s, 0);
    calls.clear();
    ASSERT_TRUE(hl::inject_key('C', true));
    ASSERT_TRUE(hl::inject_key('C', false));
    Touch(hl::TouchPhase::Down, 30, 40);
    Calls fading = CallsOf("lua:");
    EXPECT_EQ(fading, (Calls{"lua:down MOUSE_BUTTON_0", "lua:mouse 30 40 MOUSE_BUTTON_0 0"}));
    Touch(hl::TouchPhase::Up, 30, 40);
    Steps(10, 0.05f);
    calls.clear();
    ASSERT_TRUE(hl::inject_key('C', true));
    PumpFrame();
    EXPECT_EQ(CallsOf("lua:"), (Calls{"lua:down C"}));
    ASSERT_TRUE(hl::inject_key('C', false));
    PumpFrame();
    EXPECT_EQ(CallsOf("lua:"), (Calls{"lua:down C", "lua:up C"})) << "the up waits for the release";
    EXPECT_GT(s->events, 0) << "the fully shown top screen sees the events";
}

TEST_F(Input, CloseRequestAsksForConfirmationUnlessLoading)
{
    ProbeScreen *s = MakeScreen("Base");
    sman.PushScreen(s, 0);
    EXPECT_EQ(Send(OV_EVENT_WINDOW_CLOSED), 0) << "no confirmation screen";
    ProbeScreen *confirm = MakeScreen("ExitConfirmation");
    EXPECT_EQ(Send(OV_EVENT_WINDOW_CLOSED), 2);
    EXPECT_EQ(sman.PeekScreen(0), confirm);
    EXPECT_TRUE(sman.reset_next_frame_time_delta.load());
    EXPECT_EQ(Send(OV_EVENT_WINDOW_CLOSED), 2) << "already stacked: answered again, not pushed";
    EXPECT_EQ(sman.stack.Count(), 2);
    sman.PopScreen(confirm, false);
    Steps(1, 0.01f);
    ProbeScreen *loading = MakeScreen("Loading");
    sman.PushScreen(loading, 0);
    EXPECT_EQ(Send(OV_EVENT_WINDOW_CLOSED), 0);
    EXPECT_FALSE(sman.IsScreenInStack(confirm));
}

TEST_F(Input, ConsoleLinesRunOnlyInDeveloperMode)
{
    char line[] = "console_ran = 5";
    ASSERT_TRUE(prog.parms.developer_mode);
    EXPECT_EQ(Send(OV_EVENT_CONSOLE_COMMAND, line), 1);
    EXPECT_TRUE(Logged("Entered 'console_ran = 5'"));
    lua_State *L = lua_man.GetMainState();
    lua_getglobal(L, "console_ran");
    EXPECT_EQ(lua_tonumber(L, -1), 5.0);
    lua_pop(L, 1);
    char other[] = "console_ran = 9";
    prog.parms.developer_mode = 0;
    EXPECT_EQ(Send(OV_EVENT_CONSOLE_COMMAND, other), 0);
    prog.parms.developer_mode = 1;
    lua_getglobal(L, "console_ran");
    EXPECT_EQ(lua_tonumber(L, -1), 5.0);
    lua_pop(L, 1);
}

TEST_F(Input, ControlRAndDigitsAnimateTheVirtualSize)
{
    ASSERT_TRUE(hl::inject_key(ovdev::KEYCODE_LEFT_CTRL, true));
    ASSERT_TRUE(hl::inject_key('R', true));
    ASSERT_TRUE(hl::inject_key('R', false));
    ASSERT_TRUE(hl::inject_key(ovdev::KEYCODE_LEFT_CTRL, false));
    PumpFrame();
    EXPECT_TRUE(sman.virtual_resize_mode);
    EXPECT_TRUE(sman.draw_all);
    EXPECT_EQ(prog.parms.windowed, 1);
    int w0 = sman.virtual_width, h0 = sman.virtual_height;
    ASSERT_TRUE(hl::inject_key('7', true));
    ASSERT_TRUE(hl::inject_key('7', false));
    PumpFrame();
    EXPECT_EQ(sman.virtual_target_width, 1024);
    EXPECT_EQ(sman.virtual_target_height, 768);
    Steps(1, 0.5f);
    EXPECT_GT(sman.virtual_width, w0);
    EXPECT_LT(sman.virtual_width, 1024);
    EXPECT_GT(sman.virtual_height, h0);
    Steps(1, 0.6f);
    EXPECT_EQ(sman.virtual_width, 1024);
    EXPECT_EQ(sman.virtual_height, 768);
    EXPECT_EQ(sman.virtual_anim_timer, 0.0f);
    ASSERT_TRUE(hl::inject_key('6', true));
    ASSERT_TRUE(hl::inject_key('6', false));
    PumpFrame();
    EXPECT_EQ(sman.virtual_target_width, 800);
    EXPECT_EQ(sman.virtual_target_height, 600);
    float timer = sman.virtual_anim_timer;
    sman.SetTargetVirtualScreenDimensions(800, 600);
    EXPECT_EQ(sman.virtual_anim_timer, timer) << "the same target does not restart the animation";
}
