// The screen manager's script functions, called from a screen's UI script (a calling
// set) and from the main state (none).
#include "app/services/luaman.h"
#include "app/ui/screen-manager.h"
#include "app/ui/uiset.h"
#include "tests/app/ui/comp_fixture.h"

#include <gtest/gtest.h>

namespace {

using apptest::Logged;

class ScriptFunctions : public comptest::CompTest {
protected:
    void SetUp() override
    {
        CompTest::SetUp();
        StartUI();
        a_ = MakeScreen("ScrA", "CreateComp ('Marker', 'a1')\nCreateComp ('Rectangle', 'a2')\n");
        b_ = MakeScreen("ScrB", "CreateComp ('Marker', 'b1')\n");
        sman.PushScreen(a_, 0);
        sman.PushScreen(b_, 0);
        ASSERT_EQ(sman.GetNumberOfScreensInStack(), 2);
    }
    Screen *a_ = nullptr;
    Screen *b_ = nullptr;
};

struct Row {
    const char *expression;
    const char *with_set;   // from ScrA's script
    const char *without;    // from the main state
};

TEST_F(ScriptFunctions, RowsWithAndWithoutACallingSet)
{
    const Row rows[] = {
        {"DoesCompExist ('a2')", "true", "false"},
        {"DoesCompExist ('b1')", "false", "false"},
        {"GetActiveCompName ()", "a2", "nil"},
        {"select ('#', GetComps ())", "2", "0"},
        {"GetComps ()", "a1", "nil"},
        {"GetCompList ('ScrB')", "b1", "b1"},
        {"select ('#', GetCompList ())", "2", "0"},
        {"IsScreenLeaving ()", "false", "nil"},
        {"IsScreenLeaving ('ScrB')", "false", "false"},
        {"GetActiveScreenTransPhase ()", "0", "nil"},
        {"GetActiveScreenAnimKey ()", "0", "0"},
        {"GetActiveScreenTimer ()", "0", "nil"},
        {"GetScreenTransPhase ('Nowhere')", "nil", "nil"},
        {"GetScreenWidth ()", "800", "800"},
        {"GetScreenHeight ()", "600", "600"},
        {"GetScreenPosX ()", "0", "0"},
        {"GetScreenReferenceScale ()", "1", "1"},
        {"GetScreenReferenceWidth ()", "800", "800"},
        {"IsEditModeActive ()", "false", "false"},
        {"IsScreenInStack ('ScrA')", "true", "true"},
        {"IsTopScreen ()", "false", "nil"},
        {"PeekScreen (0)", "ScrB", "ScrB"},
        {"PeekScreen (1)", "ScrA", "ScrA"},
        {"PeekScreen (5)", "ScrA", "ScrA"},
        {"PeekScreen (-1)", "ScrB", "ScrB"},
        {"GetNumberOfScreensInStack ()", "2", "2"},
        {"IsCursorOver ('a1')", "nil", "nil"},
        {"IsCursorOver ('b1')", "false", "false"},
        {"IsCursorLockedTo ('b1')", "false", "false"},
        {"IsCursorFocusOver ('b1')", "false", "false"},
        {"IsIntervalElapsed (0)", "false", "false"},
        {"SendScreenMessage ('ScrB', 'hello', 'x')", "true", "nil"},
        {"SendScreenMessage ('Nowhere', 'hello', 'x')", "nil", "nil"},
    };
    lua_State *main_state = lua_man.GetMainState();
    ASSERT_NE(main_state, nullptr);
    for (const Row &r : rows) {
        SCOPED_TRACE(r.expression);
        EXPECT_EQ(Eval(a_->ui, r.expression), r.with_set);
        EXPECT_EQ(Eval(main_state, r.expression), r.without);
    }
    EXPECT_EQ(Eval(b_->ui, "IsTopScreen ()"), "true");
}

TEST_F(ScriptFunctions, BuildingFunctionsNeedACallingSet)
{
    lua_State *main_state = lua_man.GetMainState();
    ASSERT_TRUE(lua_man.ExecLuaString(main_state, "CreateComp ('Marker', 'stray') SetProperty ('alpha', 0.5) "
                                                  "UICompEvent ('OnClick', 'x.lua') SetUIFocus ('a1') LoadUI ('ui/none.lua')"));
    EXPECT_EQ(sman.GetCompTemplate("stray"), nullptr);
    EXPECT_EQ(a_->ui->GetComp("stray"), nullptr);
    EXPECT_EQ(Eval(main_state, "GetProperty ('a1:alpha')"), "nil");

    ASSERT_TRUE(Run(a_->ui, "CreateComp ('Marker', 'late') SetProperty ('alpha', 0.5) UICompEvent ('OnLeave', 'l.lua')"));
    UIComp *late = a_->GetComp("late");
    ASSERT_NE(late, nullptr);
    EXPECT_FLOAT_EQ(late->alpha, 0.5f);
    EXPECT_STREQ(late->OnLeave, "l.lua");
    EXPECT_EQ(late->owner, a_);
}

TEST_F(ScriptFunctions, UIEventsRunsTheFileAndRecordsTheCallbacks)
{
    apptest::WriteFile("ui/events.lua", "function OnKeyDown (k) end\nfunction OnDraw () end\n");
    ASSERT_TRUE(Run(a_->ui, "UIEvents ('ui/events.lua')"));
    EXPECT_STREQ(a_->ui->events_file, "ui/events.lua");
    EXPECT_TRUE(a_->ui->has_OnKeyDown);
    EXPECT_TRUE(a_->ui->has_OnDraw);
    EXPECT_FALSE(a_->ui->has_OnMouseDown);
    EXPECT_FALSE(a_->ui->has_OnUpdate);
}

TEST_F(ScriptFunctions, PopScreenWithoutANameFadesTheCaller)
{
    ASSERT_TRUE(Run(a_->ui, "PopScreen ()"));
    EXPECT_TRUE(a_->leaving);
    EXPECT_FALSE(b_->leaving);
    ASSERT_TRUE(Run(a_->ui, "PopScreen ('ScrB')"));
    EXPECT_TRUE(b_->leaving);
    ASSERT_TRUE(lua_man.ExecLuaString(lua_man.GetMainState(), "PopScreen ()"));   // no caller: nothing
}

TEST_F(ScriptFunctions, StackAndListingFunctions)
{
    Screen *c = MakeScreen("ScrC", "");
    ASSERT_TRUE(Run(a_->ui, "PushScreen ('ScrC', 2)"));
    EXPECT_EQ(Eval(a_->ui, "PeekScreen (9)"), "ScrC");
    ASSERT_TRUE(Run(a_->ui, "Screens ()"));
    EXPECT_TRUE(Logged("1 'ScrC'"));
    EXPECT_TRUE(Logged("3 'ScrB'"));
    ASSERT_TRUE(Run(a_->ui, "PrintAllScreens ()"));
    EXPECT_TRUE(Logged("'ScrC' (Preloaded)"));
    ASSERT_TRUE(Run(a_->ui, "SwitchScreen ('Nowhere')"));
    EXPECT_TRUE(Logged("Switching screen to 'Nowhere'"));
    EXPECT_TRUE(Logged("Screen 'Nowhere' not found."));
    ASSERT_TRUE(Run(a_->ui, "OV_SetCursor ('finger_point')"));
    EXPECT_STREQ(sman.cursor_shape, "FINGER_POINT");
    ASSERT_TRUE(Run(a_->ui, "PopAllScreens ()"));
    EXPECT_TRUE(a_->leaving && b_->leaving && c->leaving);
}

TEST_F(ScriptFunctions, SetTextOnARectangleIsFalse)
{
    UIComp *rect = a_->GetComp("a2");
    ASSERT_NE(rect, nullptr);
    EXPECT_FALSE(sman.SetText(rect, "%s", "text"));
    EXPECT_FALSE(sman.SetText(nullptr, "%s", "text"));
}

}  // namespace
