// The screen registry: ring order, double registration, look-ups by name and index,
// preloading one screen per call, failing preloads, "OnLoad" and the components'
// OnLoad files; UI sets replaced and the templates set.
#include "tests/app/ui/ui_fixture.h"

#include "app/services/luaman.h"
#include "app/ui/transition.h"

#include <memory>

using namespace uitest;
using apptest::Logged;

namespace {

class Registry : public UITest {
protected:
    void SetUp() override
    {
        UITest::SetUp();
        StartUI();
        // The program's own screens are preloaded first, so only the test's count.
        Screen::PreLoadAllScreens(false);
    }
};

double Global(lua_State *L, const char *name)
{
    lua_getglobal(L, name);
    double v = lua_tonumber(L, -1);
    lua_pop(L, 1);
    return v;
}

}  // namespace

TEST_F(Registry, NewScreensGoRightAfterTheRootNewestFirst)
{
    Screen *root = Screen::root_screen.load();
    ASSERT_NE(root, nullptr);
    int before = Screen::total_num_screens.load();
    ProbeScreen a("RegA"), b("RegB"), c("RegC");
    EXPECT_EQ(Screen::total_num_screens.load(), before + 3);
    EXPECT_EQ(Screen::GetScreenIndexByName(root->name), 0);
    EXPECT_EQ(Screen::GetScreenIndexByName("RegC"), 1);
    EXPECT_EQ(Screen::GetScreenIndexByName("RegB"), 2);
    EXPECT_EQ(Screen::GetScreenIndexByName("RegA"), 3);
    EXPECT_EQ(Screen::GetScreenByIndex(1), &c);
    EXPECT_EQ(Screen::GetScreenByIndex(-1), nullptr);
    EXPECT_EQ(Screen::GetScreenByIndex(Screen::total_num_screens.load()), nullptr);
    EXPECT_EQ(Screen::GetScreenIndexByName("NoSuchScreen"), -1);
    EXPECT_EQ(Screen::GetScreenIndexByName(nullptr), -1);

    b.RegisterScreen();
    EXPECT_EQ(Screen::total_num_screens.load(), before + 3) << "registering twice changes nothing";
    EXPECT_EQ(Screen::GetScreenIndexByName("RegB"), 2);
}

TEST_F(Registry, DestroyedScreensLeaveTheRing)
{
    int before = Screen::total_num_screens.load();
    {
        ProbeScreen a("Gone");
        EXPECT_EQ(Screen::PeekScreen("Gone"), &a);
    }
    EXPECT_EQ(Screen::PeekScreen("Gone"), nullptr);
    EXPECT_EQ(Screen::total_num_screens.load(), before);
}

TEST_F(Registry, NameLookUpsAndTheirMessages)
{
    ProbeScreen a("Lookup");
    EXPECT_EQ(Screen::GetScreen("Lookup"), &a);
    EXPECT_EQ(Screen::GetScreen("lookup"), nullptr) << "names match with case";
    EXPECT_TRUE(Logged("Screen::GetScreen ('lookup') -- screen not found!"));
    EXPECT_EQ(Screen::PeekScreen("Nope"), nullptr);
    EXPECT_FALSE(Logged("Screen::GetScreen ('Nope')"));
    EXPECT_EQ(Screen::GetScreen(nullptr), nullptr);
    EXPECT_EQ(Screen::GetScreen("Transition"), &screen_transition);
}

TEST_F(Registry, OneScreenPerCallThenTrueWithoutWork)
{
    ProbeScreen a("PreA"), b("PreB"), c("PreC");
    int preloaded = Screen::total_num_screens_preloaded.load();
    calls.clear();
    EXPECT_FALSE(Screen::PreLoadAllScreens(true));
    EXPECT_EQ(calls, std::vector<std::string>{"PreC:PreLoad"});
    EXPECT_FALSE(sman.all_screens_preloaded.load());
    EXPECT_FALSE(Screen::PreLoadAllScreens(true));
    EXPECT_TRUE(Screen::PreLoadAllScreens(true));
    EXPECT_TRUE(sman.all_screens_preloaded.load());
    EXPECT_EQ(calls, (std::vector<std::string>{"PreC:PreLoad", "PreB:PreLoad", "PreA:PreLoad"}));
    EXPECT_TRUE(Screen::PreLoadAllScreens(true));
    EXPECT_EQ(calls.size(), 3u) << "nothing left to preload";
    EXPECT_EQ(Screen::total_num_screens_preloaded.load(), preloaded + 3);
    EXPECT_TRUE(Logged("..Preloading Screen 'PreB'.."));
}

TEST_F(Registry, AFailingPreloadIsNotCountedAndTriesAgain)
{
    ProbeScreen bad("Broken", false);
    int preloaded = Screen::total_num_screens_preloaded.load();
    EXPECT_FALSE(Screen::PreLoadScreen(&bad));
    EXPECT_FALSE(bad.preloaded.load());
    EXPECT_EQ(Screen::total_num_screens_preloaded.load(), preloaded);
    EXPECT_TRUE(Logged("Preloading screen 'Broken' failed."));
    bad.preload_ok = true;
    EXPECT_TRUE(Screen::PreLoadScreen(&bad));
    EXPECT_EQ(Screen::total_num_screens_preloaded.load(), preloaded + 1);
    EXPECT_FALSE(Screen::PreLoadScreen(nullptr));
}

TEST_F(Registry, OneAtATimePassesGoPastAFailingScreen)
{
    // The loading screen preloads one screen per call until the last: a broken screen
    // (a missing UI script) is tried once, then passed, never retried for ever.
    ProbeScreen good("AfterBroken"), bad("BrokenInRing", false), other("BeforeBroken");
    int calls = 0;
    while (!Screen::PreLoadAllScreens(true) && calls < 100)
        calls++;
    EXPECT_LT(calls, 100);
    EXPECT_TRUE(sman.all_screens_preloaded.load());
    EXPECT_TRUE(good.preloaded.load());
    EXPECT_TRUE(other.preloaded.load());
    EXPECT_FALSE(bad.preloaded.load());
    EXPECT_EQ(apptest::CountLogged("OV: Preloading screen 'BrokenInRing' failed."), 1) << "one popup";
    // Asked for by name later (pushed), it is tried again.
    bad.preload_ok = true;
    EXPECT_TRUE(Screen::PreLoadScreen(&bad));
}

TEST_F(Registry, PreloadRunsOnLoadAndTheComponentsOnLoadFiles)
{
    apptest::WriteFile("ui/first.lua", "first_ran = (first_ran or 0) + 1\n");
    apptest::WriteFile("ui/second.lua", "second_ran = loaded_order\n");
    ProbeScreen s("WithOnLoad");
    Script(&s, "loaded_order = 0\nfunction OnLoad() loaded_order = 7 end\n");
    UIComp *one = AddComp(&s, "one", 0, 0, 10, 10);
    AddComp(&s, "plain", 0, 0, 10, 10);
    UIComp *two = AddComp(&s, "two", 0, 0, 10, 10);
    one->SetScript(0, "ui/first.lua");
    two->SetScript(0, "ui/second.lua");
    ASSERT_TRUE(Screen::PreLoadScreen(&s));
    EXPECT_EQ(Global(s.ui->L, "loaded_order"), 7.0);
    EXPECT_EQ(Global(s.ui->L, "first_ran"), 1.0);
    EXPECT_EQ(Global(s.ui->L, "second_ran"), 7.0) << "component files run after OnLoad";
    EXPECT_TRUE(Screen::PreLoadScreen(&s));
    EXPECT_EQ(Global(s.ui->L, "first_ran"), 1.0) << "a preloaded screen is not preloaded again";
}

TEST_F(Registry, ASecondUISetReplacesTheFirstAfterThePopup)
{
    apptest::WriteFile("ui/a.lua", "x = 1\n");
    ProbeScreen s("TwoSets");
    ASSERT_TRUE(s.LoadUI("ui/a.lua"));
    UISet *first = s.ui;
    EXPECT_EQ(first->owner, &s);
    EXPECT_EQ(ScreenMan::GetStateUISet(first->L), first);
    ASSERT_TRUE(s.LoadUI("ui/a.lua"));
    EXPECT_NE(s.ui, first);
    EXPECT_TRUE(Logged("Screen 'TwoSets' already has a UISet (ui/a.lua)! Trying to set to 'ui/a.lua'."));
    // The first set stays usable until the next start (its script may be running).
    EXPECT_EQ(ScreenMan::GetStateUISet(first->L), first);
    EXPECT_TRUE(Logged("Loading UI 'ui/a.lua'.."));
}

TEST_F(Registry, UISetLookUpsAndRemoval)
{
    ProbeScreen s("Sets");
    UIComp *a = AddComp(&s, "a", 0, 0, 1, 1);
    UIComp *b = AddComp(&s, "b", 0, 0, 1, 1);
    UIComp *a2 = AddComp(&s, "a", 0, 0, 1, 1);
    UISet *set = s.ui;
    EXPECT_EQ(set->GetComp("a"), a) << "the first of a name wins";
    EXPECT_EQ(set->GetComp(nullptr), nullptr);
    EXPECT_EQ(s.GetComp("b"), b);
    EXPECT_EQ(set->GetCompByIndex(2), a2);
    EXPECT_EQ(set->GetCompByIndex(3), nullptr);
    set->Remove(a);
    EXPECT_EQ(set->GetNumberOfComps(), 2);
    EXPECT_EQ(set->GetComp("a"), a2);
    delete a;
    ProbeScreen bare("NoUI");
    EXPECT_EQ(bare.GetComp("a"), nullptr);
}

TEST_F(Registry, TypedLookUpReportsAMismatch)
{
    ProbeScreen s("Typed");
    UIComp *c = AddComp(&s, "box", 0, 0, 1, 1);
    c->type = UICOMP_RECTANGLE;
    EXPECT_EQ(s.GetCompOfType("box", UICOMP_RECTANGLE), c);
    EXPECT_EQ(s.GetCompOfType("box", UICOMP_MARKER), nullptr);
    EXPECT_TRUE(Logged("GetCompMarker: component 'box' type is Rectangle, not MARKER"));
}
