// Screen messages, scripted screens and the text setter.
#include "tests/app/ui/ui_fixture.h"

#include "app/services/luaman.h"

#include <string.h>

using namespace uitest;
using apptest::Logged;

namespace {

class Messages : public UITest {
protected:
    void SetUp() override
    {
        UITest::SetUp();
        StartUI();
    }
};

const char *GlobalText(lua_State *L, const char *name, std::string *out)
{
    lua_getglobal(L, name);
    const char *t = lua_tostring(L, -1);
    *out = t ? t : "(nil)";
    lua_pop(L, 1);
    return out->c_str();
}

}  // namespace

TEST_F(Messages, BothHandlersRunAndANullTargetRunsNothing)
{
    ProbeScreen *from = MakeScreen("Sender");
    ProbeScreen *to = MakeScreen("Receiver");
    Script(to, "got = ''\nfunction OnScreenMessage(m, v) got = got .. m .. '=' .. v .. ';' end\n");
    calls.clear();
    sman.SendScreenMessage(from, nullptr, "hello", "1");
    EXPECT_TRUE(calls.empty());
    sman.SendScreenMessage(from, to, "slot", "3");
    sman.SendScreenMessage(nullptr, to, "EndCondition", "lost");
    EXPECT_EQ(calls, (std::vector<std::string>{"Receiver:Message Sender slot 3", "Receiver:Message null EndCondition lost"}));
    std::string got;
    EXPECT_STREQ(GlobalText(to->ui->L, "got", &got), "slot=3;EndCondition=lost;");
    ProbeScreen *plain = MakeScreen("NoScript");
    sman.SendScreenMessage(from, plain, "only", "handler");
    EXPECT_EQ(calls.back(), "NoScript:Message Sender only handler");
}

TEST_F(Messages, AScriptErrorIsReportedAndTheSenderGoesOn)
{
    ProbeScreen *to = MakeScreen("Failing");
    Script(to, "function OnScreenMessage(m, v) error('bad message ' .. m) end\n");
    sman.SendScreenMessage(nullptr, to, "boom", "");
    EXPECT_TRUE(Logged("Unable to call 'OnScreenMessage'"));
    EXPECT_TRUE(Logged("bad message boom"));
    EXPECT_EQ(lua_gettop(to->ui->L), 0) << "the Lua stack is restored";
}

TEST_F(Messages, ScriptedScreensKeepTheFirstOfAName)
{
    apptest::WriteFile("ui/scripted.lua", "made = 1\n");
    Screen *first = sman.CreateScreenScripted("Scripted", "ui/scripted.lua");
    ASSERT_NE(first, nullptr);
    EXPECT_TRUE(Logged("Creating Screen 'Scripted' ('ui/scripted.lua')."));
    EXPECT_EQ(sman.CreateScreenScripted("Scripted", "ui/other.lua"), nullptr);
    EXPECT_TRUE(Logged("Screen with name 'Scripted' already exists."));
    EXPECT_EQ(Screen::GetScreen("Scripted"), first);
    EXPECT_FALSE(first->preloaded.load());
    sman.PushScreen(first, 0);
    EXPECT_EQ(sman.stack.Count(), 0) << "not preloaded yet";
    ASSERT_TRUE(Screen::PreLoadScreen(first));
    ASSERT_NE(first->ui, nullptr);
    EXPECT_STREQ(first->ui->file, "ui/scripted.lua");
    EXPECT_TRUE(first->ProcessUICompClick(nullptr, 0));

    // Through the script function, from a screen's script.
    ProbeScreen *maker = MakeScreen("Maker");
    Script(maker, "CreateScreen('FromScript', '')\nCreateScreen('Scripted', 'x.lua')\n");
    Screen *made = Screen::PeekScreen("FromScript");
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(Screen::GetScreen("Scripted"), first);
}

TEST_F(Messages, AScriptedScreenWithoutUIPreloadsAndDrawsNothing)
{
    Screen *empty = sman.CreateScreenScripted("Empty", nullptr);
    ASSERT_TRUE(Screen::PreLoadScreen(empty));
    EXPECT_EQ(empty->ui, nullptr);
    sman.PushScreen(empty, 0);
    Steps(10, 0.05f);
    empty->timer = 5.0;
    empty->anim_key = 0.5f;
    sman.PopScreen(empty, false);
    Steps(1, 0.01f);
    sman.PushScreen(empty, 0);
    EXPECT_EQ(empty->timer, 0.0) << "entering resets the timers";
    EXPECT_EQ(empty->anim_key, 0.0f);
    DrawFrame();
    apptest::Rgba black = {0, 0, 0, 255};
    EXPECT_EQ(apptest::Pixel(160, 120), black);
}

TEST_F(Messages, SetTextNeedsATextKind)
{
    ProbeScreen *s = MakeScreen("Texts");
    Script(s, "CreateComp('Rectangle', 'box')\n");
    UIComp *box = s->GetComp("box");
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->type, UICOMP_RECTANGLE);
    EXPECT_FALSE(sman.SetText(box, "%d points", 10));
    EXPECT_FALSE(sman.SetText(nullptr, "x"));
    EXPECT_FALSE(sman.SetText(box, nullptr));
}
