// The automated test player on fixture screens through the real screen manager: the
// screen interval, fades, the three probe points, the navigation hints, drags reaching
// a slider, the pointer key states, Ctrl+A, the registry limit, the profile and the
// pointer mark read back from the framebuffer.
#include "tests/app/ui/input_widgets_fixture.h"

#include "app/services/dataman.h"
#include "app/services/featureman.h"
#include "app/services/prog.h"
#include "app/services/profiles.h"
#include "app/services/random.h"
#include "app/ui/frame-services.h"
#include "app/ui/widgets/ui-slider.h"
#include "tools/ai-player.h"

#include <deque>
#include <string.h>

using namespace wtest;
using apptest::CountLogged;
using apptest::Logged;
using apptest::Pixel;
using uitest::ProbeScreen;

namespace {

// A player whose answer the test sets.
class ScriptedPlayer : public AIPlayer {
public:
    const char *answer = "Ok";
    const char *GetCompToPress(Screen *) override { return answer; }
};

ScriptedPlayer player;

// AppRandom's values, scripted; 0 once the script is used up.
std::deque<int> draws;
int Scripted()
{
    if (draws.empty())
        return 0;
    int v = draws.front();
    draws.pop_front();
    return v;
}

bool HookActive()
{
    return ai_man.enabled;
}
void HookFrame(float dt)
{
    ai_man.PlayTheGame(dt);
}
void HookEvent(ov_event_t &ev)
{
    ai_man.ProcessEvent(ev);
}
void HookDraw()
{
    ai_man.Draw();
}

const char kHints[] =
    "<?xml version=\"1.0\" encoding=\"iso-8859-1\"?>\n<root>\n"
    "\t<array id=\"navigation\">\n"
    "\t\t<node id=\"Never\" forward=\"Stay\" probability=\"0\" />\n"
    "\t\t<node id=\"Always\" forward=\"Go\" />\n"
    "\t</array>\n"
    "\t<array id=\"forward\">\n"
    "\t\t<node id=\"First\" probability=\"50\" />\n"
    "\t\t<node id=\"Second\" />\n"
    "\t</array>\n</root>\n";

// Plain components, absolute, as a layout script.
std::string Rect(const char *name, int x, int y, int w, int h)
{
    return std::string("CreateComp ('Rectangle', '") + name +
           "')\nSetProperty ('position_type', 'ABSOLUTE')\nSetProperty ('position', " + std::to_string(x) + ", " +
           std::to_string(y) + ")\nSetProperty ('rectangle.rect_width', " + std::to_string(w) +
           ")\nSetProperty ('rectangle.rect_height', " + std::to_string(h) + ")\n";
}

class TestPlayer : public WidgetTest {
protected:
    void SetUp() override
    {
        WidgetTest::SetUp();
        ai_man.Reset();
        ai_man.enabled = true;
        ai_man.current = &player;
        player.answer = "Ok";
        player.action_timer = 0.0f;
        player.dragging = false;
        draws.clear();
        AppSetRandomSource(Scripted);
        frame_services.test_player_active = HookActive;
        frame_services.test_player_frame = HookFrame;
        frame_services.test_player_event = HookEvent;
        frame_services.test_player_draw = HookDraw;
    }
    void TearDown() override
    {
        frame_services.test_player_active = nullptr;
        frame_services.test_player_frame = nullptr;
        frame_services.test_player_event = nullptr;
        frame_services.test_player_draw = nullptr;
        AppSetRandomSource(nullptr);
        ai_man.Reset();
        prog.parms.developer_mode = 0;
        ov->OV_SetKeyStatei(17, 0);
        ov->OV_SetKeyStatei(510, 0);
        WidgetTest::TearDown();
    }
    int ClicksOn(const char *screen, const char *comp)
    {
        int n = 0;
        std::string want = std::string(screen) + ":Click " + comp;
        for (const std::string &c : uitest::calls)
            n += c == want;
        return n;
    }
    // Seconds of screen-manager steps of 0.05 s.
    void Run(float seconds)
    {
        for (float t = 0.0f; t < seconds - 0.001f; t += 0.05f)
            Steps(1, 0.05f);
    }
};

TEST_F(TestPlayer, OrdinaryScreenClickAfterThreeSecondsAndLogsIt)
{
    Show("Plain", Rect("Ok", 100, 100, 40, 20));
    player.action_timer = 0.0f;
    Run(2.95f);
    EXPECT_EQ(ClicksOn("Plain", "Ok"), 0);
    Run(0.1f);
    EXPECT_EQ(ClicksOn("Plain", "Ok"), 1);
    EXPECT_EQ(CountLogged("AI clicked Ok"), 1);
    EXPECT_EQ(ai_man.clicks, 1);
    EXPECT_STREQ(ai_man.last_click_screen, "Plain");
    // The pointer went to the component's centre.
    EXPECT_FLOAT_EQ(ov->OV_GetKeyStatef(504), 120.0f);
    EXPECT_FLOAT_EQ(ov->OV_GetKeyStatef(505), 110.0f);
    // The timer restarted: the next click three seconds later.
    Run(2.9f);
    EXPECT_EQ(ClicksOn("Plain", "Ok"), 1);
    Run(0.15f);
    EXPECT_EQ(ClicksOn("Plain", "Ok"), 2);
}

TEST_F(TestPlayer, NothingDuringAFadeThenTheFirstFullyShownFrame)
{
    ProbeScreen *s = MakeScreen("Slow", Rect("Ok", 100, 100, 40, 20).c_str());
    s->SetEnterTransDuration(4.0f);
    player.action_timer = 0.0f;
    sman.PushScreen(s, 0);
    int steps = 0;
    // Fully shown: within a millionth of 1.
    while (s->trans_phase < 1.0f - 0.000001f && steps < 200) {
        EXPECT_EQ(ClicksOn("Slow", "Ok"), 0) << "phase " << s->trans_phase;
        Steps(1, 0.05f);
        steps++;
    }
    // The interval passed long before; the click comes on the step that showed it fully.
    EXPECT_GT(steps * 0.05f, 3.5f);
    EXPECT_EQ(ClicksOn("Slow", "Ok"), 1);
}

TEST_F(TestPlayer, ProbePointsDecideAndOffScreenComponentsAreNeverClicked)
{
    // Probe points (x + w/4, y + h/4), (x + 3w/4, y + h/4), (x + w/2, y + 3h/4), strictly
    // inside the 320 x 240 virtual screen.
    struct Case {
        const char *screen;
        int x, y;
        bool clicked;
    } cases[] = {
        {"Outside", 400, 100, false},    // wholly outside
        {"LeftEdge", -30, 100, false},   // probes at x -20, 0 and -10: none strictly inside
        {"SecondProbe", -15, 100, true}, // only (15, 105)
        {"ThirdProbe", 0, -14, true},    // only (20, 1)
    };
    for (const Case &c : cases) {
        player.action_timer = -100.0f;  // no click while it fades in
        Show(c.screen, Rect("Ok", c.x, c.y, 40, 20));
        player.action_timer = 0.0f;
        Run(3.1f);
        EXPECT_EQ(ClicksOn(c.screen, "Ok"), c.clicked ? 1 : 0) << c.screen;
    }
    EXPECT_EQ(CountLogged("AI clicked Ok"), 2);
}

TEST_F(TestPlayer, NavigationHintsAndTheForwardOrder)
{
    apptest::WriteFile("ai-player.xml", kHints);
    dman().ReleaseDatabase("ai-player.xml");
    feature_man.Initialize();
    ai_man.Initialize();
    ai_man.enabled = true;
    ai_man.current = &player;
    ASSERT_NE(ai_man.navigation, nullptr);
    ASSERT_NE(ai_man.forward, nullptr);

    ProbeScreen *never = MakeScreen("Never", (Rect("Stay", 10, 10, 20, 20) + Rect("First", 40, 10, 20, 20) +
                                              Rect("Second", 70, 10, 20, 20)).c_str());
    // Probability 0 is never followed whatever the draw; "First" (50 %) holds for a draw
    // of 49 and fails for 50, then "Second" (100 %).
    draws = {0, 49};
    EXPECT_STREQ(ai_man.GetUINavigationHint(never, "forward"), "First");
    draws = {0, 50, 99};
    EXPECT_STREQ(ai_man.GetUINavigationHint(never, "forward"), "Second");
    // A node without the purpose's key gives nothing from the navigation array.
    ProbeScreen *always = MakeScreen("Always", Rect("Go", 10, 10, 20, 20).c_str());
    draws = {99};
    EXPECT_STREQ(ai_man.GetUINavigationHint(always, "forward"), "Go");
    EXPECT_EQ(ai_man.GetUINavigationHint(always, "other"), nullptr);
    EXPECT_EQ(ai_man.GetUINavigationHint(nullptr, "forward"), nullptr);

    // The player falls back on the hint when its answer names nothing on the screen.
    player.answer = "Missing";
    sman.PushScreen(never, 0);
    Run(1.0f);
    draws = {0, 99, 0};
    player.action_timer = 2.99f;
    Run(0.05f);
    EXPECT_EQ(ClicksOn("Never", "Second"), 1);
    EXPECT_TRUE(Logged("AI clicked Second"));
    apptest::WriteFile("ai-player.xml", "");
    dman().ReleaseDatabase("ai-player.xml");
}

TEST_F(TestPlayer, ADragPressesMovesAndReleasesOnASlider)
{
    WriteSolidPng("gfx/hpanel.png", 200, 20, {0, 0, 255, 255});
    WriteSolidPng("gfx/hfull.png", 200, 20, {255, 255, 255, 255});
    ProbeScreen *s = Show("Drag", "CreateComp ('Slider', 'd')\nSetProperty ('position_type', 'ABSOLUTE')\n"
                                  "SetProperty ('position', 50, 100)\nSetProperty ('slider.bm_panel', 'gfx/hpanel.png')\n"
                                  "SetProperty ('slider.bm_full', 'gfx/hfull.png')\n");
    UICompSlider *slider = dynamic_cast<UICompSlider *>(s->GetComp("d"));
    ASSERT_NE(slider, nullptr);
    player.answer = nullptr;  // nothing to click on this screen
    player.Drag(vec2_t{150, 110}, vec2_t{190, 110}, 0.5f, false);
    EXPECT_EQ(ov->OV_GetKeyStatei(510) & 1, 1);
    EXPECT_FLOAT_EQ(ov->OV_GetKeyStatef(504), 150.0f);
    Steps(5, 0.05f);  // half way
    EXPECT_TRUE(player.dragging);
    EXPECT_NEAR(slider->value, 0.6f, 0.01f);
    EXPECT_NE(ov->OV_GetKeyStatei(510), 0);  // held while moving
    Steps(6, 0.05f);
    EXPECT_FALSE(player.dragging);
    EXPECT_NEAR(slider->value, 0.7f, 0.01f);
    EXPECT_FLOAT_EQ(ov->OV_GetKeyStatef(504), 190.0f);
    EXPECT_FLOAT_EQ(ov->OV_GetKeyStatef(505), 110.0f);
    // Released at the end: the button's key state is clear again.
    EXPECT_EQ(ov->OV_GetKeyStatei(510), 0);
    EXPECT_EQ(ai_man.drags, 1);

    // A held drag neither presses nor releases: the slider, not locked, stays put.
    player.Drag(vec2_t{150, 110}, vec2_t{60, 110}, 0.2f, true);
    Steps(6, 0.05f);
    EXPECT_FALSE(player.dragging);
    EXPECT_NEAR(slider->value, 0.7f, 0.01f);
    EXPECT_NE(ov->OV_GetKeyStatei(510), 0);  // still held: nothing let it go
}

TEST_F(TestPlayer, ControlAFlipsOnlyInDeveloperMode)
{
    ov_event_t ev;
    memset(&ev, 0, sizeof ev);
    ev.type = OV_EVENT_KEY_DOWN;
    ev.key = 'A';
    ov->OV_SetKeyStatei(17, 2);
    prog.parms.developer_mode = 0;
    ai_man.enabled = false;
    sman.ProcessEvent(ev);
    EXPECT_FALSE(ai_man.enabled);
    prog.parms.developer_mode = 1;
    sman.ProcessEvent(ev);
    EXPECT_TRUE(ai_man.enabled);
    EXPECT_TRUE(Logged("AI Player is now ENABLED"));
    sman.ProcessEvent(ev);
    EXPECT_FALSE(ai_man.enabled);
    EXPECT_TRUE(Logged("AI Player is now DISABLED"));
    // Without Ctrl nothing flips.
    ov->OV_SetKeyStatei(17, 0);
    sman.ProcessEvent(ev);
    EXPECT_FALSE(ai_man.enabled);
}

TEST_F(TestPlayer, TheSixthRegistrationIsIgnored)
{
    int before = AIPlayerMan::num_ais;
    ASSERT_EQ(AIPlayerMan::players[0], &player);
    std::vector<AIPlayer *> extra;
    for (int i = before; i < AIPlayerMan::MAX_PLAYERS + 1; i++)
        extra.push_back(new AIPlayer);
    EXPECT_EQ(AIPlayerMan::num_ais, AIPlayerMan::MAX_PLAYERS);
    EXPECT_EQ(AIPlayerMan::players[AIPlayerMan::MAX_PLAYERS - 1], extra[extra.size() - 2]);
    for (AIPlayer *p : extra)
        delete p;
    AIPlayerMan::num_ais = before;
    // The first registered player becomes current when none is.
    ai_man.current = nullptr;
    ai_man.PlayTheGame(0.01f);
    EXPECT_EQ(ai_man.current, &player);
}

TEST_F(TestPlayer, TheProfileIsSelectedCreatedAndSaved)
{
    ProfileManager &pm = profile_man();
    pm.LoadProfiles();
    Profile *alice = pm.CreateNewProfile();
    ASSERT_NE(alice, nullptr);
    alice->SetName("Alice");
    pm.SetActiveProfile(alice);
    ai_man.current = nullptr;
    ai_man.SelectOrCreateAIProfile();
    ASSERT_NE(prof, nullptr);
    EXPECT_STREQ(prof->GetName().Get(), "dev_AIPlayer");
    EXPECT_EQ(ai_man.current, &player);
    std::string file = std::string("user://profiles/") + prof->GetFileName();
    ov_file_t *saved = ov->OV_OpenFile(file.c_str(), "rb");
    EXPECT_NE(saved, nullptr) << file;
    if (saved)
        ov->OV_CloseFile(saved);
    int count = pm.GetNumberOfProfiles();
    // Again with Alice active: the existing one is selected, none created.
    pm.SetActiveProfile(alice);
    ai_man.SelectOrCreateAIProfile();
    EXPECT_STREQ(prof->GetName().Get(), "dev_AIPlayer");
    EXPECT_EQ(pm.GetNumberOfProfiles(), count);
}

TEST_F(TestPlayer, ThePointerMarkIsAMagentaCross)
{
    ov->OV_SetKeyStatef(504, 100.0f);
    ov->OV_SetKeyStatef(505, 80.0f);
    Frame();
    const Rgba magenta = {255, 0, 255, 255};
    EXPECT_TRUE(Near(Pixel(100, 80), magenta));
    EXPECT_TRUE(Near(Pixel(100, 71), magenta));   // vertical arm
    EXPECT_TRUE(Near(Pixel(108, 80), magenta));   // horizontal arm
    EXPECT_FALSE(Near(Pixel(108, 88), magenta));  // between the arms
    ai_man.enabled = false;
    Frame();
    EXPECT_FALSE(Near(Pixel(100, 80), magenta));
}

}  // namespace
