// The scriptable component: its own Lua state pointed at the UI set that made it, the
// calls of OnCreate, OnClick, OnKeyPress, OnUpdate and OnDraw, a second script closing
// the first, a failing call's popup, a script replaced from inside its own OnClick, its
// property, export and clones.
#include "app/services/luaman.h"
#include "app/ui/screen-manager.h"
#include "app/ui/uiset.h"
#include "app/ui/widgets/ui-scriptable.h"
#include "tests/app/ui/widget_fixture.h"

#include <gtest/gtest.h>

namespace {

using apptest::Logged;

const char kScriptA[] =
    "top_sees_set = DoesCompExist ('other')\n"
    "created = 0\nclicks = 0\nkeys = ''\nupdates = 0\nlast_dt = -1\n"
    "function OnCreate ()\n created = created + 1\n create_sees_set = DoesCompExist ('other')\nend\n"
    "function OnClick ()\n clicks = clicks + 1\n click_comp = GetActiveCompName ()\nend\n"
    "function OnKeyPress (k)\n keys = keys .. k .. ';'\n key_comp = GetActiveCompName ()\nend\n"
    "function OnUpdate (dt)\n updates = updates + 1\n last_dt = dt\nend\n"
    "function OnDraw (x, y)\n drawn_x = x\n drawn_y = y\nend\n";

class Scriptable : public comptest::CompTest {
protected:
    void SetUp() override
    {
        CompTest::SetUp();
        StartUI();
        apptest::WriteFile("ui/sc_a.lua", kScriptA);
        apptest::WriteFile("ui/sc_b.lua", "second = true\nfunction OnCreate () b_created = (b_created or 0) + 1 end\n");
        apptest::WriteFile("ui/sc_bad.lua", "function OnClick () local t = nil\n return t.x end\n");
        apptest::WriteFile("ui/sc_swap.lua", "function OnClick ()\n SetProperty ('scriptable.script', 'ui/sc_b.lua')\n"
                                             " after_swap = 'still running'\nend\n");
    }
    UICompScriptable *Make(const char *screen, const char *script)
    {
        s_ = MakeScreen(screen, std::string("CreateComp ('Marker', 'other')\nCreateComp ('Scriptable', 'sc')\n"
                                            "SetProperty ('position_type', 'ABSOLUTE')\nSetProperty ('position', 40, 30)\n"
                                            "SetProperty ('scriptable.script', '") +
                                    script + "')\n");
        return dynamic_cast<UICompScriptable *>(s_->GetComp("sc"));
    }
    Screen *s_ = nullptr;
};

TEST_F(Scriptable, CallsReachTheScriptWithItsSet)
{
    UICompScriptable *sc = Make("Calls", "ui/sc_a.lua");
    ASSERT_NE(sc, nullptr);
    ASSERT_NE(sc->state, nullptr);
    EXPECT_EQ(sc->ui_set, s_->ui);
    EXPECT_FALSE(sc->interactive);
    // Top-level code runs before the user pointer names the set; OnCreate after.
    EXPECT_EQ(Eval(sc->state, "top_sees_set"), "false");
    EXPECT_EQ(Eval(sc->state, "create_sees_set"), "true");
    EXPECT_EQ(Eval(sc->state, "created"), "1");
    for (int m = UISCRIPT_ON_CREATE; m < UISCRIPT_NUM_METHODS; m++)
        EXPECT_EQ(sc->IsMethodImplemented(m), m != UISCRIPT_ON_DELETE) << m;

    EXPECT_EQ(sc->ProcessClick(), 1);
    EXPECT_EQ(Eval(sc->state, "clicks"), "1");
    EXPECT_EQ(Eval(sc->state, "click_comp"), "sc");   // the current component during OnClick
    EXPECT_EQ(s_->ui->active_comp, nullptr);          // cleared after it

    EXPECT_EQ(sc->ProcessKey(27), 1);
    EXPECT_EQ(sc->ProcessKey(1999), 1);
    EXPECT_EQ(Eval(sc->state, "keys"), "ESCAPE;UNKNOWN;");
    EXPECT_EQ(Eval(sc->state, "key_comp"), "sc");
    EXPECT_EQ(s_->ui->active_comp, sc);               // stays after a key

    sc->cycle_time = 0.9f;
    sc->Update(0.25f);
    EXPECT_EQ(Eval(sc->state, "updates"), "1");
    EXPECT_EQ(Eval(sc->state, "last_dt"), "0.25");
    EXPECT_NEAR(sc->cycle_time, 0.15f, 1e-6);          // wrapped from 1.0

    sc->Draw();
    EXPECT_EQ(Eval(sc->state, "drawn_x"), "40");
    EXPECT_EQ(Eval(sc->state, "drawn_y"), "30");
}

TEST_F(Scriptable, WithoutMethodsClicksAreTakenAndKeysPassOn)
{
    UICompScriptable *sc = Make("Plain", "ui/sc_b.lua");
    ASSERT_NE(sc, nullptr);
    EXPECT_EQ(sc->ProcessClick(), 1);
    EXPECT_EQ(sc->ProcessKey(27), 0);
    UICompScriptable none;
    EXPECT_FALSE(none.IsMethodImplemented(UISCRIPT_ON_CLICK));
    EXPECT_EQ(none.ProcessClick(), 1);
    EXPECT_EQ(none.ProcessKey(13), 0);
    none.Update(0.1f);
    none.Draw();
}

TEST_F(Scriptable, ASecondScriptClosesTheFirst)
{
    UICompScriptable *sc = Make("Twice", "ui/sc_a.lua");
    ASSERT_NE(sc, nullptr);
    const int open = lua_man.GetNumberOfOpenStates();
    ASSERT_TRUE(lua_man.ExecLuaString(sc->state, "clicks = 41"));
    ASSERT_TRUE(Run(s_->ui, "SetProperty ('sc:scriptable.script', 'ui/sc_a.lua')"));
    EXPECT_EQ(Eval(sc->state, "clicks"), "0");          // a new state
    EXPECT_EQ(lua_man.GetNumberOfOpenStates(), open);   // the first one is closed
    EXPECT_EQ(Eval(sc->state, "created"), "1");         // OnCreate again, in the new state
    ASSERT_TRUE(Run(s_->ui, "SetProperty ('sc:scriptable.script', 'ui/sc_b.lua')"));
    EXPECT_EQ(Eval(sc->state, "second"), "true");
    EXPECT_EQ(Eval(sc->state, "created"), "nil");
    EXPECT_EQ(lua_man.GetNumberOfOpenStates(), open);
    EXPECT_EQ(Eval(s_->ui, "GetProperty ('sc:scriptable.script')"), "ui/sc_b.lua");
}

TEST_F(Scriptable, AFailingCallShowsThePopup)
{
    UICompScriptable *sc = Make("Bad", "ui/sc_bad.lua");
    ASSERT_NE(sc, nullptr);
    EXPECT_EQ(sc->ProcessClick(), 1);
    EXPECT_TRUE(Logged("Unable to call 'OnClick'"));
}

// The state that runs OnClick is closed only after OnClick has returned (run under
// AddressSanitizer, a use after free would fail here).
TEST_F(Scriptable, ScriptReplacedFromItsOwnClick)
{
    UICompScriptable *sc = Make("Swap", "ui/sc_swap.lua");
    ASSERT_NE(sc, nullptr);
    EXPECT_EQ(sc->ProcessClick(), 1);
    EXPECT_STREQ(sc->GetScriptName(), "ui/sc_b.lua");
    EXPECT_EQ(Eval(sc->state, "b_created"), "1");
    EXPECT_EQ(Eval(sc->state, "after_swap"), "nil");
    EXPECT_FALSE(Logged("Unable to call 'OnClick'"));
}

TEST_F(Scriptable, PropertiesExportAndClones)
{
    UICompScriptable *sc = Make("Copies", "ui/sc_a.lua");
    ASSERT_NE(sc, nullptr);
    ASSERT_TRUE(Run(s_->ui, "SetProperty ('sc:scriptable.code', 'x')"));
    EXPECT_TRUE(Logged("UICompScriptable::SetProperty: Unknown Property 'scriptable.code'"));
    EXPECT_EQ(Eval(s_->ui, "GetProperty ('sc:scriptable.code')"), "nil");
    EXPECT_TRUE(Logged("UICompScriptable::GetProperty: Unknown Property 'scriptable.code'"));
    const std::string out = widgettest::Export(sc);
    EXPECT_NE(out.find("SetProperty (\"scriptable.script\", \"ui/sc_a.lua\");\n"), std::string::npos) << out;
    // A clone lives in the source's set and runs the script anew in a state of its own.
    UIComp *clone = sc->Clone("twin");
    UICompScriptable *twin = dynamic_cast<UICompScriptable *>(clone);
    ASSERT_NE(twin, nullptr);
    EXPECT_EQ(twin->ui_set, s_->ui);
    EXPECT_NE(twin->state, sc->state);
    EXPECT_EQ(Eval(twin->state, "created"), "1");
    EXPECT_EQ(Eval(twin->state, "create_sees_set"), "true");
    EXPECT_NE(widgettest::Export(twin).find("ui/sc_a.lua"), std::string::npos);
    const int open = lua_man.GetNumberOfOpenStates();
    delete clone;
    EXPECT_EQ(lua_man.GetNumberOfOpenStates(), open - 1);   // the destructor closes it
    UICompScriptable bare;
    EXPECT_EQ(widgettest::Export(&bare).find("scriptable.script"), std::string::npos);
}

}  // namespace
