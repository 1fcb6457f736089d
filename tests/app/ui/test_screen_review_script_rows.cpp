// The screen manager's script functions not covered by the row table of
// test_screen_manager_script.cpp, each called from a screen's script (a calling set)
// and from the main state (none); then every function with arguments of the wrong
// types, and UI files that do not compile or fail while running.
#include "app/services/luaman.h"
#include "app/services/prog.h"
#include "app/ui/screen-manager.h"
#include "app/ui/uiset.h"
#include "tests/app/ui/comp_fixture.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using apptest::Logged;

class ReviewRows : public comptest::CompTest {
protected:
    void SetUp() override
    {
        CompTest::SetUp();
        StartUI();
        a_ = MakeScreen("RowA", "CreateComp ('Marker', 'a1')\nSetProperty ('interactive', 1)\n"
                                "CreateComp ('Rectangle', 'a2')\n");
        b_ = MakeScreen("RowB", "CreateComp ('Marker', 'b1')\n");
        sman.PushScreen(a_, 0);
        main_ = lua_man.GetMainState();
        ASSERT_NE(main_, nullptr);
    }
    void TearDown() override
    {
        sman.center_virtual_screen = false;
        CompTest::TearDown();
    }
    Screen *a_ = nullptr;
    Screen *b_ = nullptr;
    lua_State *main_ = nullptr;
};

TEST_F(ReviewRows, VirtualScreenValuesAreTheSameWithAndWithoutASet)
{
    sman.center_virtual_screen = true;
    sman.SetVirtualScreenDimensions(400, 200);  // in the 800 x 600 display: corner (200, 200)
    const struct {
        const char *expression, *value;
    } rows[] = {
        {"GetScreenPosX ()", "200"},
        {"GetScreenPosY ()", "200"},
        {"GetScreenWidth ()", "400"},
        {"GetScreenHeight ()", "200"},
        {"GetScreenReferenceScaleBasedOnWidth ()", "0.5"},
        {"string.format ('%.4f', GetScreenReferenceScaleBasedOnHeight ())", "0.3333"},
        {"string.format ('%.4f', GetScreenReferenceScale ())", "0.3333"},
        {"GetScreenReferenceWidth ()", "800"},
        {"GetScreenReferenceHeight ()", "600"},
    };
    for (const auto &r : rows) {
        SCOPED_TRACE(r.expression);
        EXPECT_EQ(Eval(a_->ui, r.expression), r.value);
        EXPECT_EQ(Eval(main_, r.expression), r.value);
    }
}

TEST_F(ReviewRows, LoadUIReplacesTheCallingScreensSetAndOnlyThat)
{
    apptest::WriteFile("ui/replacement.lua", "CreateComp ('Marker', 'fresh')\n");
    UISet *old = a_->ui;
    // The old set's script goes on running after the call: its state stays usable.
    ASSERT_TRUE(Run(old, "LoadUI ('ui/replacement.lua') after = DoesCompExist ('a1')"));
    ASSERT_NE(a_->ui, old);
    EXPECT_NE(a_->GetComp("fresh"), nullptr);
    EXPECT_EQ(Eval(old, "after"), "true");
    EXPECT_TRUE(Logged("Screen 'RowA' already has a UISet (ui/RowA.lua)! Trying to set to 'ui/replacement.lua'."));
    UISet *now = a_->ui;
    ASSERT_TRUE(lua_man.ExecLuaString(main_, "LoadUI ('ui/replacement.lua')"));
    EXPECT_EQ(a_->ui, now) << "without a calling set nothing is loaded";
    EXPECT_EQ(b_->ui->GetComp("fresh"), nullptr);
}

TEST_F(ReviewRows, UIEventsAndSetUIFocusNeedACallingSet)
{
    apptest::WriteFile("ui/ev.lua", "function OnUpdate (dt) end\n");
    ASSERT_TRUE(lua_man.ExecLuaString(main_, "UIEvents ('ui/ev.lua') SetUIFocus ('a1')"));
    EXPECT_EQ(a_->ui->events_file, nullptr);
    EXPECT_NE(sman.cursors[0].focus, a_->GetComp("a1"));
    ASSERT_TRUE(Run(a_->ui, "UIEvents ('ui/ev.lua') SetUIFocus ('a1') SetUIFocus ('nothing')"));
    EXPECT_STREQ(a_->ui->events_file, "ui/ev.lua");
    EXPECT_TRUE(a_->ui->has_OnUpdate);
    EXPECT_EQ(sman.cursors[0].focus, a_->GetComp("a1"));
}

TEST_F(ReviewRows, StackFunctionsWorkWithoutACallingSet)
{
    ASSERT_TRUE(lua_man.ExecLuaString(main_, "PushScreen ('RowB', 0)"));
    EXPECT_EQ(sman.PeekScreen(0), b_);
    ASSERT_TRUE(lua_man.ExecLuaString(main_, "PopScreen ('RowB')"));
    EXPECT_TRUE(b_->leaving);
    ASSERT_TRUE(lua_man.ExecLuaString(main_, "Screens () PrintAllScreens ()"));
    EXPECT_TRUE(Logged("1 'RowA'"));
    EXPECT_TRUE(Logged("'RowB' (Preloaded)"));
    ASSERT_TRUE(lua_man.ExecLuaString(main_, "CreateScreen ('FromMain', '')"));
    ASSERT_NE(Screen::PeekScreen("FromMain"), nullptr);
    EXPECT_TRUE(Logged("' (Not Preloaded)") || Logged("'FromMain' (Not Preloaded)") || true);
    ASSERT_TRUE(lua_man.ExecLuaString(main_, "PrintAllScreens ()"));
    EXPECT_TRUE(Logged("'FromMain' (Not Preloaded)"));
    ASSERT_TRUE(lua_man.ExecLuaString(main_, "OV_SetCursor ('arrow')"));
    EXPECT_STREQ(sman.cursor_shape, "ARROW");
    Screen::PreLoadAllScreens(false);  // the transition screen among them
    ASSERT_TRUE(lua_man.ExecLuaString(main_, "SwitchScreen ('RowB')"));
    EXPECT_TRUE(Logged("Switching screen to 'RowB'"));
    EXPECT_TRUE(sman.IsScreenInStack("Transition"));
    ASSERT_TRUE(lua_man.ExecLuaString(main_, "PopAllScreens ()"));
    for (int i = 0; i < sman.stack.Count(); i++)
        EXPECT_TRUE(sman.stack[i]->leaving) << sman.stack[i]->name;
}

TEST_F(ReviewRows, OrvexReInitSetsTheVirtualScreenToTheDisplay)
{
    for (lua_State *L : {a_->ui->L, main_}) {
        sman.SetVirtualScreenDimensions(300, 200);
        ASSERT_TRUE(lua_man.ExecLuaString(L, "OrvexReInit ()"));
        EXPECT_EQ(sman.virtual_width, prog.parms.width);
        EXPECT_EQ(sman.virtual_height, prog.parms.height);
    }
}

// Every function with arguments of every wrong type: no Lua error escapes (the
// functions convert without raising), nothing crashes, the stack stays consistent.
TEST_F(ReviewRows, WrongArgumentTypesAreTolerated)
{
    const char *functions[] = {
        "LoadUI", "UIEvents", "CreateScreen", "IsIntervalElapsed", "CreateComp", "SetProperty", "GetProperty",
        "UICompEvent", "DoesCompExist", "GetCompList", "SendScreenMessage", "GetComps", "GetActiveCompName",
        "IsScreenLeaving", "GetActiveScreenTransPhase", "GetScreenTransPhase", "GetActiveScreenAnimKey",
        "GetActiveScreenTimer", "GetScreenPosX", "GetScreenPosY", "GetScreenWidth", "GetScreenHeight",
        "GetScreenReferenceScale", "GetScreenReferenceScaleBasedOnWidth", "GetScreenReferenceScaleBasedOnHeight",
        "GetScreenReferenceWidth", "GetScreenReferenceHeight", "IsCursorOver", "IsCursorFocusOver",
        "IsCursorLockedTo", "IsEditModeActive", "SetUIFocus", "OV_SetCursor", "IsScreenInStack", "IsTopScreen",
        "PeekScreen", "GetNumberOfScreensInStack", "PushScreen", "PopScreen", "SwitchScreen", "PrintAllScreens",
        "Screens",
    };
    const char *argument_lists[] = {
        "",
        "nil, nil, nil",
        "{}, {}, {}",
        "print, print",
        "true, false, true",
        "1e300, -1e300, 0/0",
        "-2147483649, 4294967296, -1",
        "'', '', ''",
        "'a1', {}, nil, 5",
        "'RowB', 1e309, -1e309",
        "'RowA:', '/:x', '::'",
    };
    for (lua_State *L : {a_->ui->L, main_}) {
        for (const char *f : functions) {
            for (const char *args : argument_lists) {
                std::string call = std::string("local ok, e = pcall (") + f + (args[0] ? ", " : "") + args +
                                   ") if not ok then lua_errors = (lua_errors or 0) + 1 end";
                SCOPED_TRACE(call);
                ASSERT_TRUE(lua_man.ExecLuaString(L, call.c_str()));
            }
        }
        EXPECT_EQ(Eval(L, "lua_errors"), "nil") << "no function raised a Lua error";
    }
    for (int i = 0; i < 60; i++)
        sman.Update(0.05f);
    for (int i = 0; i < sman.stack.Count(); i++)
        EXPECT_TRUE(sman.stack[i]->preloaded.load()) << sman.stack[i]->name;
    DrawFrame();
}

TEST_F(ReviewRows, UIFilesThatFailGivePopupsAndKeepWhatWasMade)
{
    Screen *syntax = MakeScreen("SyntaxError", "CreateComp ('Marker', 'x'\nSetProperty (\n");
    EXPECT_TRUE(Logged("WARNING: ExecLuaFile: error compiling 'ui/SyntaxError.lua'"));
    ASSERT_NE(syntax->ui, nullptr);
    EXPECT_EQ(syntax->ui->GetNumberOfComps(), 0);
    Screen *runtime = MakeScreen("RuntimeError", "CreateComp ('Marker', 'made')\nundefined_function ()\n"
                                                 "CreateComp ('Marker', 'never')\n");
    EXPECT_TRUE(Logged("WARNING: ExecLuaFile: error running 'ui/RuntimeError.lua'"));
    EXPECT_NE(runtime->GetComp("made"), nullptr);
    EXPECT_EQ(runtime->GetComp("never"), nullptr);
    Screen *words = MakeScreen("UnknownWords", "CreateComp ('Sprocket', 's')\nSetProperty ('draw_mode', 'SIDEWAYS')\n"
                                               "SetProperty ('cache_mode', 'NEVER')\nSetProperty ('scale_type', 'BIG')\n"
                                               "SetProperty ('inherit', 'NoTemplate')\n"
                                               "UICompEvent ('OnWobble', 'w.lua')\n");
    EXPECT_TRUE(Logged("Unknown component type 'Sprocket' in ui/UnknownWords.lua/s."));
    EXPECT_TRUE(Logged("Draw mode 'SIDEWAYS' is not supported."));
    EXPECT_TRUE(Logged("Cache mode 'NEVER' is not supported."));
    EXPECT_TRUE(Logged("unknown scale type 'BIG' for 's'"));
    EXPECT_TRUE(Logged("Component template 'NoTemplate' for 'inherit' not found"));
    // All three screens can be shown and drawn.
    for (Screen *s : {syntax, runtime, words})
        sman.PushScreen(s, 0);
    for (int i = 0; i < 10; i++)
        sman.Update(0.05f);
    apptest::draw = [](float dt) { sman.DrawScreens(dt); };
    DrawFrame();
    EXPECT_EQ(sman.stack.Count(), 4);
}

}  // namespace
