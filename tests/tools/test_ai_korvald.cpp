// The game's test player on the battle road fixture: its screen table with scripted
// draws (both sides of every threshold), "GameOver" clicking once, the complex screens'
// odds and the play menu's choices by ratings; the battle set-up (hit points, weapon
// boosts by mission id and their restoring), the pause, the "TARGETING" answer, a drag
// that gives a trooper a path through the real controls, nothing in "INCOMING_MODE";
// the unattended run's switches: a seed per entry of the loader transition, and a time
// limit that ends a SURVIVAL battle through the game's own loss path, also with the real
// "GameOver" screen and the score submitted; the selector tap skipped without its picture.
#include "tests/game/screens/battle_screens_fixture.h"

#include "app/services/dataman.h"
#include "app/services/random.h"
#include "app/ui/frame-services.h"
#include "core/console.h"
#include "game/entities/entity-types.h"
#include "game/entities/entity.h"
#include "game/entities/move-path.h"
#include "game/entities/stock.h"
#include "game/entities/weapons.h"
#include "game/gamestate.h"
#include "game/screens/battle-screen.h"
#include "game/screens/game-over.h"
#include "game/screens/loader-transition.h"
#include "tests/app/ui/input_widgets_fixture.h"
#include "tests/app/ui/widget_fixture.h"
#include "tests/game/screens/test_results_fixture.h"
#include "online/leaderboards-manager.h"
#include "tools/ai-korvald-screens.h"
#include "tools/ai-korvald.h"
#include "tools/autoplay.h"
#include "tools/test-player-hooks.h"

#include <deque>
#include <regex>
#include <set>
#include <string.h>
#include <unistd.h>

using apptest::CountLogged;
using apptest::Logged;
using uitest::ProbeScreen;

namespace {

// AppRandom's values, scripted; `fallback` once the script is used up.
std::deque<int> draws;
int fallback = 0;
int Scripted()
{
    if (draws.empty())
        return fallback;
    int v = draws.front();
    draws.pop_front();
    return v;
}

// Draws just below and just above the fractions the player compares with.
const int kBelow0005 = 163, kAbove0005 = 164;  // 163 / 32767 < 0.005 <= 164 / 32767
const int kBelow03 = 9830, kAbove03 = 9831;    // 0.3 x 32767 = 9830.1

std::string Rect(const char *name, int x, int y, int w, int h)
{
    return std::string("CreateComp ('Rectangle', '") + name +
           "')\nSetProperty ('position_type', 'ABSOLUTE')\nSetProperty ('position', " + std::to_string(x) + ", " +
           std::to_string(y) + ")\nSetProperty ('rectangle.rect_width', " + std::to_string(w) +
           ")\nSetProperty ('rectangle.rect_height', " + std::to_string(h) + ")\n";
}

// The text of the last log line that contains the fragment ("" when none does).
std::string LastLogLineWith(const std::string &fragment)
{
    std::string found;
    for (const ovConsole::line_t &l : ov_con.lines)
        if (l.text && strstr(l.text, fragment.c_str()))
            found = l.text;
    return found;
}

class GameTestPlayer : public screentest::BattleScreensTest {
protected:
    void SetUp() override
    {
        BattleScreensTest::SetUp();
        StartScreens();
        ASSERT_FALSE(HasFatalFailure());
        InstallTestPlayer();
        ai_man.Reset();
        ai_man.current = &ai_Korvald;
        ai_Korvald.battle_setup_done = false;
        ai_Korvald.dragging = false;
        ai_Korvald.action_timer = 0.0f;
        ai_Korvald.complex_timer = 0.0f;
        autoplay.Reset();
        draws.clear();
        fallback = 0;
        AppSetRandomSource(Scripted);
    }
    void TearDown() override
    {
        ai_Korvald.RestoreBoostedWeapons();
        ai_man.Reset();
        autoplay.Reset();
        // A lost score battle submits its score: the leaderboards' clients belong to
        // this engine and go with it.
        leaderboards_man.Reset();
        frame_services.test_player_active = nullptr;
        frame_services.test_player_frame = nullptr;
        frame_services.test_player_event = nullptr;
        frame_services.test_player_draw = nullptr;
        BattleScreensTest::TearDown();
    }
    // A probe screen of that name with the components, pushed and fully shown.
    ProbeScreen *ShowScreen(const char *name, const std::string &script)
    {
        Screen *existing = Screen::PeekScreen(name);
        ProbeScreen *s = existing ? dynamic_cast<ProbeScreen *>(existing) : nullptr;
        if (!s)
            s = MakeScreen(name, script.c_str());
        else if (!script.empty()) {
            s->FreeUI();
            Script(s, script.c_str());
        }
        sman.PushScreen(s, 0);
        for (int i = 0; i < 100 && s->trans_phase < 1.0f; i++)
            Steps(1, 0.05f);
        return s;
    }
    int ClicksOn(const char *screen, const char *comp)
    {
        int n = 0;
        std::string want = std::string(screen) + ":Click " + comp;
        for (const std::string &c : uitest::calls)
            n += c == want;
        return n;
    }
    void EnterBattle(const char *value)
    {
        SendAndSwitch("ENTER_BATTLE", value);
        ASSERT_TRUE(FramesUntil([this] { return OnTop("Game") && battle->trans_phase >= 1.0f; }));
        ASSERT_TRUE(FramesUntil([] { return game.game_clock > 200 && game.troopers.Count() > 0; }));
    }
    int Living()
    {
        int n = 0;
        for (int i = 0; i < game.troopers.Count(); i++)
            n += game.troopers[i] && game.troopers[i]->type && game.troopers[i]->IsAlive();
        return n;
    }
};

TEST_F(GameTestPlayer, TheScreenTableWithScriptedDraws)
{
    struct Row {
        const char *screen;
        std::vector<int> draws;
        const char *answer;
    } rows[] = {
        {"Transition", {}, ""},
        {"MainMenu", {1}, "Play"},
        {"Extras", {9}, "Back"},  // 9 % 5 = 4
        {"Tutorial", {}, "Back"},
        {"Options", {}, "Back"},
        {"Zedivevor", {}, "Back"},
        {"Credits", {}, "fader"},
        {"Profiles", {2}, "Ok"},
        {"NewProfile", {}, "Cancel"},
        {"DeleteProfile", {}, "No"},
        {"Leaderboards", {0}, "PrevCategory"},
        {"PopupOk", {}, "Ok"},
        {"PauseMenu", {kBelow0005}, "Restart"},
        {"PauseMenu", {kAbove0005, kBelow0005}, "MainMenu"},
        {"PauseMenu", {kAbove0005, kAbove0005, 2}, "Help"},
        {"LevelLeave", {1}, "Quit"},
        {"LevelRestart", {0}, "Retry"},
        {"ArmTroopers", {kBelow03}, "Select"},
        {"ArmTroopers", {kAbove03, 3}, "Upgrade_1"},
        {"ArmTroopers", {kAbove03, 10}, "Select"},
        {"ChooseUpgrade", {kBelow03}, "Select"},
        {"ChooseUpgrade", {kAbove03, 5}, "Upgrade_5"},
        {"LevelLost", {1}, "Quit"},
        {"LevelWon", {}, "Continue"},
        {"AchievementUnlocked", {}, "Continue"},
        {"FeatureUnlocked", {}, "Continue"},
        {"NewHighscore", {}, "Continue"},
        {"PickReinforcement", {4}, "Pyro"},
        {"Ending", {}, "ending"},
        {"Chapter_1_Begin", {}, "tap_to_continue"},
        {"Chapter_2_Completed", {}, "tap_to_continue"},
        {"FBProposition", {}, "no"},
        {"TalvikNews", {}, "Close"},
        {"SomethingElse", {}, "Ok"},
    };
    for (const Row &r : rows) {
        Screen *s = Screen::PeekScreen(r.screen);
        if (!s)
            s = MakeScreen(r.screen);
        draws.assign(r.draws.begin(), r.draws.end());
        ai_Korvald.battle_setup_done = true;
        const char *answer = ai_Korvald.GetCompToPress(s);
        EXPECT_STREQ(answer, r.answer) << r.screen;
        EXPECT_TRUE(draws.empty()) << r.screen << ": draws left";
        // Every screen but the pause menu asks for the battle to be prepared again.
        EXPECT_EQ(ai_Korvald.battle_setup_done, strcmp(r.screen, "PauseMenu") == 0) << r.screen;
    }
    // The loader transition: a tap at (20, 20) first, then "panel".
    Screen *loader_screen = Screen::PeekScreen("LoaderTransition");
    int presses = ai_man.presses;
    EXPECT_STREQ(ai_Korvald.GetCompToPress(loader_screen), "panel");
    EXPECT_EQ(ai_man.presses, presses + 1);
    EXPECT_FLOAT_EQ(ov->OV_GetKeyStatef(504), 20.0f);
    EXPECT_FLOAT_EQ(ov->OV_GetKeyStatef(505), 20.0f);
}

TEST_F(GameTestPlayer, TheScreenListTheContentCheckReadsMatchesTheAnswers)
{
    // Every answer over many draws is a name of the screen's row (the content check
    // judges the routes by these rows); "GameOver" clicks by itself and answers "".
    for (const AIKorvaldScreen &row : kAIKorvaldScreens) {
        Screen *s = Screen::PeekScreen(row.screen);
        if (!s)
            s = MakeScreen(row.screen);
        std::set<std::string> names, seen;
        for (int i = 0; row.names[i]; i++)
            names.insert(row.names[i]);
        for (int d = 0; d < 120; d++) {
            // The second draw falls below 0.005 now and then (d = 7: 55 / 32767).
            draws = {d * 821 % 32768, d * 7919 % 32768 / (d % 7 == 0 ? 1000 : 1), d % 11, d};
            const char *answer = ai_Korvald.GetCompToPress(s);
            if (strcmp(row.screen, "GameOver") == 0) {
                EXPECT_STREQ(answer, "") << row.screen;
                continue;
            }
            ASSERT_NE(answer, nullptr) << row.screen;
            EXPECT_TRUE(names.count(answer)) << row.screen << ": " << answer;
            seen.insert(answer);
        }
        if (strcmp(row.screen, "GameOver") != 0) {
            EXPECT_EQ(seen, names) << row.screen;
        }
    }
}

TEST_F(GameTestPlayer, GameOverClicksOnceAndTheStepEndsThere)
{
    // The hints would offer "Menu" too: the player must not click a second time.
    apptest::WriteFile("ai-player.xml", "<?xml version=\"1.0\"?>\n<root>\n<array id=\"navigation\"/>\n"
                                        "<array id=\"forward\">\n<node id=\"Menu\"/>\n</array>\n</root>\n");
    dman().ReleaseDatabase("ai-player.xml");
    ai_man.Initialize();
    ai_man.current = &ai_Korvald;
    ai_man.enabled = true;
    ShowScreen("GameOver", Rect("Leaderboards", 10, 10, 40, 20) + Rect("Menu", 60, 10, 40, 20) +
                               Rect("Retry", 110, 10, 40, 20));
    uitest::calls.clear();
    draws = {2};  // "Retry"
    fallback = 30000;
    ai_Korvald.action_timer = 2.99f;
    Steps(1, 0.05f);
    EXPECT_EQ(ClicksOn("GameOver", "Retry"), 1);
    EXPECT_EQ(ClicksOn("GameOver", "Menu"), 0);
    EXPECT_EQ(CountLogged("AI clicked Retry"), 1);
    EXPECT_FLOAT_EQ(ai_Korvald.action_timer, 0.0f);
}

TEST_F(GameTestPlayer, AchievementsAndTheLastChapterScreenOdds)
{
    ProbeScreen *ach = ShowScreen("Achievements", Rect("achipatch", 100, 100, 80, 40) + Rect("Back", 10, 10, 40, 20));
    uitest::calls.clear();
    // Below the interval nothing; then 90 %: a tap inside the patch around its position.
    ai_Korvald.UpdateComplexScreen(0.4f, ach);
    EXPECT_EQ(ai_man.presses, 0);
    draws = {29490, 32767, 0};  // 0.9 x 32767 = 29490.3: below; then the offsets +0.5 and -0.5
    ai_Korvald.UpdateComplexScreen(0.1f, ach);
    EXPECT_EQ(ai_man.presses, 1);
    EXPECT_NEAR(ov->OV_GetKeyStatef(504), 140.0f, 0.01f);
    EXPECT_NEAR(ov->OV_GetKeyStatef(505), 80.0f, 0.01f);
    draws = {29491};
    ai_Korvald.UpdateComplexScreen(0.5f, ach);
    EXPECT_EQ(ClicksOn("Achievements", "Back"), 1);

    ProbeScreen *last = ShowScreen("Chapter_3_Completed", Rect("tap_to_continue", 10, 10, 40, 20) +
                                                              Rect("Exit", 60, 10, 40, 20));
    uitest::calls.clear();
    draws = {1637};  // 0.04996
    ai_Korvald.UpdateComplexScreen(0.5f, last);
    EXPECT_EQ(ClicksOn("Chapter_3_Completed", "tap_to_continue"), 1);
    draws = {1639};  // 0.05002
    ai_Korvald.UpdateComplexScreen(0.5f, last);
    EXPECT_EQ(ClicksOn("Chapter_3_Completed", "Exit"), 1);
    int presses = ai_man.presses;
    draws = {3277, 32767, 0};  // 0.10001: a tap at a random point of the virtual screen
    ai_Korvald.UpdateComplexScreen(0.5f, last);
    EXPECT_EQ(ai_man.presses, presses + 1);
    EXPECT_NEAR(ov->OV_GetKeyStatef(504), (float)sman.virtual_width, 0.01f);
    EXPECT_NEAR(ov->OV_GetKeyStatef(505), 0.0f, 0.01f);
}

TEST_F(GameTestPlayer, PlayMenuChoicesFollowTheRatings)
{
    widgettest::WritePng("ui/gfx/mission-selector.png", 40, 30, [](int, int) { return widgettest::Rgba{9, 9, 9, 255}; });
    ShowScreen("MainMenu", "");
    std::string comps = Rect("Back", 0, 200, 30, 20) + Rect("Achievements", 40, 200, 30, 20) +
                        Rect("Play", 80, 200, 30, 20) + Rect("CHAPTER2", 120, 200, 30, 20) +
                        Rect("CHAPTER3", 160, 200, 30, 20) + Rect("Leaderboards", 200, 200, 30, 20) +
                        Rect("ExtrasIntel", 240, 200, 30, 20) + Rect("Missions", 50, 20, 100, 100);
    ProbeScreen *menu = ShowScreen("PlayMenu", comps);
    ASSERT_TRUE(ai_Korvald.IsComplexScreen());
    uitest::calls.clear();

    struct Case {
        const char *rated;  // the mission given a rating ("" none)
        int draw;
        const char *clicked;
    } cases[] = {
        {"", 2, "Play"},           // Back, Achievements, Play
        {"", 4, "Achievements"},
        {"MISSION1_10", 3, "CHAPTER2"},  // Back, Achievements, CHAPTER2 x 3, Play
        {"MISSION1_10", 5, "Play"},
        {"MISSION2_10", 4, "CHAPTER3"},
    };
    for (const Case &c : cases) {
        if (c.rated[0])
            prof->SetValue("missions", c.rated, "rating", "2");
        uitest::calls.clear();
        draws = {c.draw};
        ai_Korvald.UpdateComplexScreen(0.5f, menu);
        EXPECT_EQ(ClicksOn("PlayMenu", c.clicked), 1) << c.rated << " " << c.draw;
    }

    // Every chapter finished: 90 % a tap on the selector at the formula's point.
    prof->SetValue("missions", "MISSION3_10", "rating", "1");
    int presses = ai_man.presses;
    draws = {0, 16384};  // below 0.9; randf(0, 10) = 5.0002
    ai_Korvald.UpdateComplexScreen(0.5f, menu);
    EXPECT_EQ(ai_man.presses, presses + 1);
    UIComp *selector = menu->GetComp("Missions");
    vec2_t at = selector->GetStaticPos();
    EXPECT_NEAR(ov->OV_GetKeyStatef(504), at.x + 40 * 0.25f * sman.reference_scale_x, 0.01f);
    EXPECT_NEAR(ov->OV_GetKeyStatef(505),
                at.y + (30 * (16384 / 32767.0f * 10.0f) + 0.5f) * sman.reference_scale_y * 1.2f, 0.05f);
    // Else one of eight; "Leaderboards" (index 2) is dropped while "ExtrasIntel" is hidden.
    menu->GetComp("ExtrasIntel")->visible = false;
    uitest::calls.clear();
    draws = {29491, 2};
    ai_Korvald.UpdateComplexScreen(0.5f, menu);
    EXPECT_EQ(ClicksOn("PlayMenu", "Leaderboards"), 0);
    menu->GetComp("ExtrasIntel")->visible = true;
    draws = {29491, 2};
    ai_Korvald.UpdateComplexScreen(0.5f, menu);
    EXPECT_EQ(ClicksOn("PlayMenu", "Leaderboards"), 1);
    // A choice the screen lacks ("CHAPTER1", index 3) is dropped.
    draws = {29491, 3};
    ai_Korvald.UpdateComplexScreen(0.5f, menu);
    EXPECT_EQ(uitest::CallsOf("PlayMenu:Click").size(), 1u);

    // Nothing while the loader transition is stacked.
    sman.PushScreen(loader, 0);
    sman.PushScreen(menu, 0);
    presses = ai_man.presses;
    draws = {0, 0};
    ai_Korvald.UpdateComplexScreen(0.5f, menu);
    EXPECT_EQ(ai_man.presses, presses);
}

// Without the selector's picture its size is unknown: the tap on a mission row is
// skipped (no press, no click, the row's draw not taken), and the next step plays on.
TEST_F(GameTestPlayer, TheSelectorTapIsSkippedWithoutItsPicture)
{
    ShowScreen("MainMenu", "");
    std::string comps = Rect("Back", 0, 200, 30, 20) + Rect("Achievements", 40, 200, 30, 20) +
                        Rect("Play", 80, 200, 30, 20) + Rect("Missions", 50, 20, 100, 100);
    ProbeScreen *menu = ShowScreen("PlayMenu", comps);
    ASSERT_TRUE(ai_Korvald.IsComplexScreen());
    prof->SetValue("missions", "MISSION3_10", "rating", "1");
    uitest::calls.clear();
    const int presses = ai_man.presses, clicks = ai_man.clicks;
    draws = {0, 16384};  // below 0.9: the selector; then the row's draw
    ai_Korvald.UpdateComplexScreen(0.5f, menu);
    EXPECT_EQ(ai_man.presses, presses);
    EXPECT_EQ(ai_man.clicks, clicks);
    EXPECT_TRUE(uitest::CallsOf("PlayMenu:Click").empty());
    EXPECT_EQ(draws.size(), 1u);
    // A later step above 0.9 still picks one of the eight.
    draws = {29491, 0};
    ai_Korvald.UpdateComplexScreen(0.5f, menu);
    EXPECT_EQ(ClicksOn("PlayMenu", "Back"), 1);
}

TEST_F(GameTestPlayer, BattleSetUpHitPointsAndWhenItRunsAgain)
{
    EnterBattle("CHAPTER2:MISSION2_4");
    ASSERT_NE(game.base, nullptr);
    ASSERT_GE(Living(), 1);
    fallback = 20000;  // no pause, a random drag
    bool press = true;
    ai_Korvald.GetGamePositionToPress(press);
    EXPECT_FALSE(press);
    EXPECT_TRUE(ai_Korvald.battle_setup_done);
    // The bunker: 10 x the type's "hit_points" (1000); the troopers 3000.
    EXPECT_FLOAT_EQ(game.base->hit_points, 10000.0f);
    EXPECT_FLOAT_EQ(game.base->max_hit_points, 10000.0f);
    Entity *t = game.troopers[0];
    EXPECT_FLOAT_EQ(t->hit_points, 3000.0f);
    EXPECT_FLOAT_EQ(t->max_hit_points, 3000.0f);

    // The pause menu keeps the set-up; another screen asks for it again.
    t->hit_points = 40.0f;
    ai_Korvald.GetCompToPress(Screen::PeekScreen("PauseMenu"));
    ai_Korvald.GetGamePositionToPress(press);
    EXPECT_FLOAT_EQ(t->hit_points, 40.0f);
    ai_Korvald.GetCompToPress(Screen::PeekScreen("LevelWon"));
    EXPECT_FALSE(ai_Korvald.battle_setup_done);
    ai_Korvald.GetGamePositionToPress(press);
    EXPECT_FLOAT_EQ(t->hit_points, 3000.0f);

    // A bunker type without "hit_points" counts 1.
    DMNode *node = dman().GetArray("entities.xml", "entities")->GetNode("BaseBunker");
    ASSERT_NE(node, nullptr);
    node->RemoveValue("hit_points");
    ASSERT_EQ(node->GetValue("hit_points"), nullptr);
    ai_Korvald.battle_setup_done = false;
    ai_Korvald.GetGamePositionToPress(press);
    EXPECT_FLOAT_EQ(game.base->hit_points, 10.0f);
}

TEST_F(GameTestPlayer, WeaponBoostsByMissionIdSharedOnceAndRestored)
{
    WriteWeapons("<node id=\"Rifle\" projectile_range=\"100\"/>\n<node id=\"Pistol\" projectile_range=\"50\"/>");
    dman().ReleaseDatabase("weapons.xml");
    EnterBattle("CHAPTER2:MISSION2_4");
    ASSERT_GE(Living(), 2);
    Weapon *rifle = Weapon::GetWeapon("Rifle");
    ASSERT_NE(rifle, nullptr);
    ASSERT_FLOAT_EQ(rifle->projectile_range, 100.0f);
    // Two troopers share one record.
    game.troopers[0]->weapon = rifle;
    game.troopers[1]->weapon = rifle;

    struct Case {
        const char *mission;
        bool boosted;
    } cases[] = {{"MISSION3_4", true},  {"MISSION1_1", false}, {"MISSION3_6", true},  {"mission3_6", false},
                 {"MISSION2_3", true},  {"MISSION2_6", true},  {"MISSION3_10", true}, {"MISSION3_1", false}};
    for (const Case &c : cases) {
        snprintf(game.parms.mission_id, sizeof game.parms.mission_id, "%s", c.mission);
        ai_Korvald.battle_setup_done = false;
        ASSERT_TRUE(ai_Korvald.SetUpBattle()) << c.mission;
        EXPECT_FLOAT_EQ(rifle->projectile_range, c.boosted ? 1000.0f : 100.0f) << c.mission;
        EXPECT_EQ(ai_Korvald.boosted_weapons.Count(), c.boosted ? 1 : 0) << c.mission;
    }

    // Boosted, then the record is carried by nobody: the next other mission restores it.
    snprintf(game.parms.mission_id, sizeof game.parms.mission_id, "%s", "MISSION2_3");
    ai_Korvald.battle_setup_done = false;
    ai_Korvald.SetUpBattle();
    ASSERT_FLOAT_EQ(rifle->projectile_range, 1000.0f);
    game.troopers[0]->weapon = nullptr;
    game.troopers[1]->weapon = nullptr;
    snprintf(game.parms.mission_id, sizeof game.parms.mission_id, "%s", "MISSION1_2");
    ai_Korvald.battle_setup_done = false;
    ai_Korvald.SetUpBattle();
    EXPECT_FLOAT_EQ(rifle->projectile_range, 100.0f);
    EXPECT_EQ(ai_Korvald.boosted_weapons.Count(), 0);
}

TEST_F(GameTestPlayer, PauseTargetingAndNothingInIncoming)
{
    EnterBattle("CHAPTER2:MISSION2_4");
    bool press = true;
    ai_Korvald.battle_setup_done = true;
    // r < 0.01: the pause button (327 / 32767 = 0.00998).
    draws = {327};
    ai_Korvald.GetGamePositionToPress(press);
    EXPECT_FALSE(press);
    EXPECT_TRUE(Logged("AI clicked Pause"));
    EXPECT_EQ(ai_man.drags, 0);
    Frames(30);
    sman.PopScreen(sman.PeekScreen(0), false);
    ASSERT_TRUE(FramesUntil([this] { return OnTop("Game") && battle->trans_phase >= 1.0f; }));

    // The targeting tutorial: with 10 % the first enemy is the answer.
    Entity *alien = world->SpawnEntity(world->stock->GetEntityType("Alien"), vec2_t{300.0f, 200.0f});
    ASSERT_NE(alien, nullptr);
    static char targeting[] = "TARGETING";
    char *old = game.tutorial_name;
    game.tutorial_name = targeting;
    draws = {328, 3276};  // no pause; 0.09998 < 0.1
    press = true;
    vec2_t p = ai_Korvald.GetGamePositionToPress(press);
    game.tutorial_name = old;
    EXPECT_TRUE(press);
    Entity *list[10];
    ASSERT_GE(world->QueryEntitiesInFriendGroup(2, 1, list, 10), 1);
    EXPECT_FLOAT_EQ(p.x, list[0]->pos.x);
    EXPECT_FLOAT_EQ(p.y, list[0]->pos.y);

    // INCOMING_MODE: no set-up and no drag at all.
    snprintf(game.parms.mission_id, sizeof game.parms.mission_id, "%s", "INCOMING_MODE");
    ai_Korvald.battle_setup_done = false;
    float hp = game.troopers[0]->hit_points;
    fallback = 20000;
    for (int i = 0; i < 5; i++) {
        ai_Korvald.GetGamePositionToPress(press);
        EXPECT_FALSE(press);
    }
    EXPECT_FALSE(ai_Korvald.battle_setup_done);
    EXPECT_FLOAT_EQ(game.troopers[0]->hit_points, hp);
    ai_Korvald.battle_setup_done = true;
    ai_Korvald.GetGamePositionToPress(press);
    EXPECT_EQ(ai_man.drags, 0);
    EXPECT_FALSE(ai_Korvald.dragging);
    // Only a pausing tutorial gets a tap there (at the middle of the screen).
    static char incoming[] = "INCOMING";
    game.tutorial_name = incoming;
    game.tutorial_shown = 1;
    game.tutorial_pauses = 1;
    press = false;
    p = ai_Korvald.GetGamePositionToPress(press);
    game.tutorial_name = old;
    game.tutorial_shown = 0;
    game.tutorial_pauses = 0;
    EXPECT_TRUE(press);
    EXPECT_FLOAT_EQ(p.x, sman.virtual_x + sman.virtual_width / 2.0f);
    EXPECT_EQ(ai_man.drags, 0);
}

// A drag that starts on the tactical pause button switches the pause on; the battle
// then stands still until the button is pressed again. The player presses it at one
// action in four once the pause's tip is down, and only in the pause.
TEST_F(GameTestPlayer, TheTacticalPauseIsEndedByItsButton)
{
    EnterBattle("CHAPTER2:MISSION2_4");
    ai_Korvald.battle_setup_done = true;
    prof->AddTag("features", "TACTICAL_MODE");
    Frames(2);
    UIComp *button = battle->GetComp("PauseTime");
    ASSERT_NE(button, nullptr);
    ASSERT_TRUE(button->IsVisible());
    fallback = 20000;  // no pause menu, no resume, no targeting
    bool press = true;

    // Running: no extra draw, no click on the button.
    draws = {328, 8191};
    ai_Korvald.GetGamePositionToPress(press);
    EXPECT_FALSE(game.paused);
    EXPECT_FALSE(Logged("AI clicked PauseTime"));

    game.SetPause(true);
    ASSERT_TRUE(game.paused);
    // While the pause's tip is shown the button is left alone (it would not answer).
    static char tactical[] = "TACTICAL";
    game.tutorial_name = tactical;
    game.tutorial_shown = 1;
    draws = {328, 8191};
    ai_Korvald.GetGamePositionToPress(press);
    EXPECT_TRUE(game.paused);
    EXPECT_FALSE(Logged("AI clicked PauseTime"));
    game.SetTutorial(nullptr);

    // 0.25002 >= 0.25: the player keeps drawing.
    ai_Korvald.dragging = false;
    int drags = ai_man.drags;
    draws = {328, 8193};
    ai_Korvald.GetGamePositionToPress(press);
    EXPECT_TRUE(game.paused);
    EXPECT_FALSE(Logged("AI clicked PauseTime"));
    EXPECT_EQ(ai_man.drags, drags + 1);

    // 0.24998 < 0.25: the button, and nothing else in that step.
    ai_Korvald.dragging = false;
    draws = {328, 8191};
    ai_Korvald.GetGamePositionToPress(press);
    EXPECT_FALSE(press);
    EXPECT_TRUE(Logged("AI clicked PauseTime"));
    EXPECT_FALSE(game.paused);
    EXPECT_EQ(ai_man.drags, drags + 1);
    EXPECT_FALSE(ai_Korvald.dragging);
}

TEST_F(GameTestPlayer, ADragGivesTheTrooperAPathThroughTheControls)
{
    EnterBattle("CHAPTER2:MISSION2_4");
    ai_Korvald.battle_setup_done = true;
    // No pause, trooper 0, offsets r1 = 0 (-200), r2 = 0.5 (0), the random offset kept.
    draws = {20000, 0, 0, 16384, 30000};
    bool press = true;
    ai_Korvald.GetGamePositionToPress(press);
    ASSERT_TRUE(ai_Korvald.dragging);
    EXPECT_EQ(ai_man.drags, 1);
    Entity *t = game.troopers[0];
    vec2_t start = t->pos;
    fallback = 20000;
    ai_man.enabled = true;
    ASSERT_TRUE(FramesUntil([] { return !ai_Korvald.dragging; }, 200));
    ai_man.enabled = false;
    // The controls drew the trooper's route from it towards the drag's end, and let go.
    ASSERT_NE(t->path, nullptr);
    ASSERT_GE(t->path->count, 2);
    EXPECT_GT(t->path->length, 100.0f);
    EXPECT_LT(t->path->points[t->path->count - 1].x, start.x - 100.0f);
    EXPECT_FALSE(t->path->held);
}

TEST_F(GameTestPlayer, EachLoaderEntryLogsTheRunSeedPlusItsEntries)
{
    AppSetRandomSource(nullptr);
    AppSetRunSeed(true, 40);
    SendAndSwitch("ENTER_BATTLE", "CHAPTER2:MISSION2_4");
    ASSERT_TRUE(FramesUntil([this] { return OnTop("Game"); }));
    int first = -1;
    for (int n = 40; n < 80 && first < 0; n++)
        if (Logged("Random seed " + std::to_string(n) + "."))
            first = n;
    ASSERT_GE(first, 40);
    SendAndSwitch("RETRY_BATTLE", "");
    ASSERT_TRUE(FramesUntil([this] { return Stacked("LoaderTransition"); }));
    ASSERT_TRUE(FramesUntil([this] { return OnTop("Game"); }));
    EXPECT_TRUE(Logged("Random seed " + std::to_string(first + 1) + "."));
    AppSetRunSeed(false, 0);
}

TEST_F(GameTestPlayer, TheTimeLimitEndsASurvivalBattleThroughTheLossPath)
{
    autoplay.limit_seconds = 2;
    autoplay.stop_after = 0;
    fallback = 20000;
    // The mission's picture waits for a tap: the player's tap at (20, 20) gives it.
    ai_man.enabled = true;
    EnterBattle("CHAPTER2:MISSION2_3");
    // The notices of the loss (achievements) are acknowledged as their "Continue" would.
    bool over = FramesUntil(
        [this] {
            if (OnTop("AchievementUnlocked"))
                sman.PopScreen(sman.PeekScreen(0), false);
            return OnTop("GameOver");
        },
        2000);
    ai_man.enabled = false;
    ASSERT_TRUE(over) << sman.PeekScreen(0)->name;
    EXPECT_TRUE(Logged("AI player: battle 'MISSION2_3' reached the limit of 2 game seconds."));
    // What was left is named: the wave script's place, the enemies, the squad.
    EXPECT_TRUE(Logged("AI player: at the limit: wave node 2 of 2, advance state "));
    EXPECT_TRUE(Logged(" enemies left, 0 marked as primary targets."));
    EXPECT_EQ(CountLogged("AI player: trooper 'Trooper' at ("), 2);
    EXPECT_EQ(Living(), 0);
    Frames(2);
    EXPECT_TRUE(Logged("AI player: battle 'MISSION2_3' ended with 'GameOver' after"));
}

// The same limit with the game's own "GameOver" screen: the loss path submits the
// battle's score under the mission id (the profile's personal best holds it) and the
// real screen comes up; the player's click on it counts as a result screen.
TEST_F(GameTestPlayer, TheTimeLimitEndsWithTheRealGameOverAndASubmittedScore)
{
    Screen *probe = Screen::PeekScreen("GameOver");
    ASSERT_NE(probe, nullptr);
    probe->SetName("GameOverProbe");
    ScreenGameOver *over = GetGameOverScreen();
    apptest::WriteFile("ui/game-over.lua", resultstest::ResultScript(""));
    over->FreeUI();
    over->preloaded.store(false);
    ASSERT_TRUE(Screen::PreLoadScreen(over));
    ASSERT_EQ(Screen::PeekScreen("GameOver"), over);

    autoplay.limit_seconds = 2;
    autoplay.stop_after = 0;
    fallback = 20000;
    ai_man.enabled = true;
    EnterBattle("CHAPTER2:MISSION2_3");
    game.score = 4321;
    bool shown = FramesUntil(
        [&] {
            if (OnTop("AchievementUnlocked"))
                sman.PopScreen(sman.PeekScreen(0), false);
            return sman.PeekScreen(0) == over;
        },
        2000);
    ai_man.enabled = false;
    EXPECT_TRUE(shown) << sman.PeekScreen(0)->name;
    EXPECT_TRUE(Logged("AI player: battle 'MISSION2_3' reached the limit of 2 game seconds."));
    EXPECT_EQ(Living(), 0);
    EXPECT_EQ(leaderboards_man.GetPersonalBestScore("MISSION2_3").points, 4321);
    Frames(2);
    EXPECT_TRUE(Logged("AI player: battle 'MISSION2_3' ended with 'GameOver' after"));

    if (sman.IsScreenInStack(over))
        sman.PopScreen(over, false);
    over->FreeUI();
    over->preloaded.store(false);
    probe->SetName("GameOver");
}

// With the real-speed switch the screen manager's fast forward stays off; the measure
// switch times the frames of the first battle for its seconds and logs the main
// thread's CPU time per frame and the time between frames; each battle's end names the
// most entities it had in play and the peak memory.
TEST_F(GameTestPlayer, RealSpeedAndTheMeasuredFramesOfTheFirstBattle)
{
    autoplay.real_speed = true;
    autoplay.measure_seconds = 1;
    autoplay.limit_seconds = 2;
    sman.fast_forward = true;
    fallback = 20000;
    ai_man.enabled = true;
    EnterBattle("CHAPTER2:MISSION2_3");
    EXPECT_FALSE(sman.fast_forward);
    EXPECT_TRUE(Logged("AI player: measuring 1 seconds of frames."));
    // Frames 10 ms apart until the second has passed.
    int frames = 0;
    while (!Logged("AI player: measured ") && frames < 1000) {
        usleep(10000);
        Frames(1);
        frames++;
    }
    std::string line = LastLogLineWith("AI player: measured ");
    std::smatch m;
    ASSERT_TRUE(std::regex_search(line, m,
                                  std::regex("measured ([0-9]+) frames in ([0-9.]+) s: main-thread CPU per frame mean "
                                             "([0-9.]+) ms, p99 ([0-9.]+) ms; frame time mean ([0-9.]+) ms, p99 "
                                             "([0-9.]+) ms, sd ([0-9.]+) ms; VmHWM ([0-9]+) kB")))
        << line;
    // Frames 10 ms apart over a second; a loaded machine (other test programs running
    // beside this one) stretches them, so only a few are required.
    EXPECT_GE(std::stoi(m[1]), 10) << "frames measured over the second";
    EXPECT_GE(std::stod(m[2]), 1.0);
    EXPECT_GT(std::stod(m[3]), 0.0);
    EXPECT_GE(std::stod(m[4]), std::stod(m[3]));
    // The frame times add up to the measured seconds.
    EXPECT_NEAR(std::stod(m[5]) * std::stoi(m[1]), std::stod(m[2]) * 1000.0, std::stod(m[2]) * 50.0);
    EXPECT_GT(std::stol(m[8]), 0L);
    // The battle's end names its most entities in play and the peak memory.
    bool over = FramesUntil(
        [this] {
            if (OnTop("AchievementUnlocked"))
                sman.PopScreen(sman.PeekScreen(0), false);
            return OnTop("GameOver");
        },
        2000);
    ai_man.enabled = false;
    ASSERT_TRUE(over);
    Frames(2);
    std::string end = LastLogLineWith("AI player: battle 'MISSION2_3': at most ");
    EXPECT_TRUE(std::regex_search(end, std::regex("at most [1-9][0-9]* entities in play, VmHWM [1-9][0-9]* kB\\.")))
        << end;
}

TEST_F(GameTestPlayer, TheRunsSwitchesAreReadOnlyWithAutoTesting)
{
    autoplay.Read("--autoplay-mission CHAPTER2:MISSION2_4 --autoplay-stop 3 --autoplay-limit 900");
    EXPECT_EQ(autoplay.mission, "");  // the feature is off in the fixture
    ASSERT_FALSE(HasFatalFailure());
}

TEST_F(GameTestPlayer, TheMissionSwitchEntersItFromTheMainMenuOnce)
{
    autoplay.mission = "CHAPTER2:MISSION2_4";
    ProbeScreen *menu = ShowScreen("MainMenu", Rect("Play", 10, 10, 40, 20));
    ai_man.enabled = true;
    ai_Korvald.action_timer = 2.99f;
    uitest::calls.clear();
    Steps(1, 0.05f);
    EXPECT_TRUE(autoplay.mission_sent);
    EXPECT_EQ(ClicksOn("MainMenu", "Play"), 0);
    ASSERT_TRUE(FramesUntil([this] { return OnTop("Game"); }));
    EXPECT_STREQ(game.parms.mission_id, "MISSION2_4");
    ai_man.enabled = false;
    // Later visits choose from the table again.
    draws = {1};
    EXPECT_STREQ(ai_Korvald.GetCompToPress(menu), "Play");
}

TEST_F(GameTestPlayer, TheStopSwitchShutsDownAfterTheNthResultClick)
{
    autoplay.stop_after = 2;
    ProbeScreen *won = ShowScreen("LevelWon", Rect("Continue", 10, 10, 40, 20));
    ai_Korvald.ClickComponent(won, won->GetComp("Continue"));
    autoplay.Update(0.01f);
    EXPECT_EQ(autoplay.results_clicked, 1);
    EXPECT_FALSE(autoplay.shutdown_signalled);
    ai_Korvald.ClickComponent(won, won->GetComp("Continue"));
    autoplay.Update(0.01f);
    EXPECT_TRUE(autoplay.shutdown_signalled);
    EXPECT_TRUE(Logged("AI player: 2 result screens played; shutting down."));
}

}  // namespace
