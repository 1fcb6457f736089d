// A tour of the game as it ships: the build's program directory copied whole, the class
// screens and the screens "ui/autoexec.lua" makes, each pushed through the real screen
// manager at the 1024 x 768 reference size with the messages it needs, on a profile a
// few missions into the first chapter; then every mission of the shipped catalogue
// entered through the real loader transition and played on to its second wave. Each
// screen's named components are checked, the log must hold none of the messages an
// unattended run forbids, and every picture goes to the shots folder (tour/) to be
// looked at.
#include "tests/game/screens/screen_tour_fixture.h"
#include "tests/support/draw_recorder.h"
#include "tests/support/headless_engine.h"
#include "app/services/dataman.h"
#include "app/services/profiles.h"
#include "app/services/prog.h"
#include "app/ui/screen-manager.h"
#include "app/ui/ui-comps.h"
#include "app/ui/transition.h"
#include "app/ui/widgets/ui-emitter.h"
#include "app/ui/widgets/ui-image.h"
#include "app/ui/widgets/ui-textbox.h"
#include "core/ov_state.h"
#include "game/game-script.h"
#include "game/gamestate.h"
#include "game/screens/battle-screen.h"
#include "game/screens/flags.h"
#include "game/screens/game-over.h"
#include "game/screens/leaderboards-screen.h"
#include "game/screens/level-won.h"
#include "game/screens/load-game-prompt.h"
#include "game/screens/loader-transition.h"
#include "game/screens/loading.h"
#include "game/screens/main-menu.h"
#include "game/screens/pick-reinforcement.h"
#include "game/screens/pick-upgrade.h"
#include "game/screens/shop.h"
#include "online/achievementman.h"
#include "online/leaderboards-manager.h"
#include "online/news-manager.h"
#include "platform/headless.h"
#include "tests/app/ui/widget_fixture.h"
#include "tests/game/game_fixture.h"

#include <ctype.h>
#include <math.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <string.h>

#include <fstream>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#ifndef ORVEX_CONTENT_DIR
#error "ORVEX_CONTENT_DIR: the build's program directory"
#endif
#ifndef ORVEX_FORBIDDEN_LIST
#error "ORVEX_FORBIDDEN_LIST: the unattended run's list of forbidden log messages"
#endif

namespace {

using screentest::LitPixels;

namespace hl = ovdev::headless;

// The forbidden fragments, one a line ('#' lines are comments).
std::vector<std::string> ForbiddenMessages()
{
    std::vector<std::string> out;
    std::ifstream in(ORVEX_FORBIDDEN_LIST);
    std::string line;
    while (std::getline(in, line))
        if (!line.empty() && line[0] != '#')
            out.push_back(line);
    return out;
}

// The forbidden fragments the log holds, with their counts ("Array File '" only for
// names outside user://). With `seen`, only fragments whose count grew since the last
// call (the console keeps a bounded number of lines, so a long tour asks often).
std::vector<std::string> ForbiddenLines(std::map<std::string, int> *seen = nullptr)
{
    std::vector<std::string> found;
    const std::vector<std::string> forbidden = ForbiddenMessages();
    EXPECT_GT(forbidden.size(), 10u);
    for (const std::string &f : forbidden) {
        int n = enginetest::CountLogLines(f);
        if (f == "Array File '")
            n -= enginetest::CountLogLines("Array File 'user://");
        const int before = seen ? (*seen)[f] : 0;
        if (seen)
            (*seen)[f] = n;
        if (n > before)
            found.push_back(f + " (" + std::to_string(n - before) + " lines)");
    }
    return found;
}

class ScreenTour : public screentest::ScreenTourTest {
protected:
    widgettest::Frame Shoot(const std::string &file)
    {
        Settle(6);
        widgettest::Frame f = widgettest::ReadFrame();
        EXPECT_TRUE(widgettest::SavePng(f, enginetest::ShotPath("tour", file))) << file;
        return f;
    }
    void Visit(int index, const screentest::Stop &stop)
    {
        SCOPED_TRACE(stop.screen);
        Screen *s = Show(stop);
        if (!s)
            return;
        for (const std::string &c : screentest::Split(stop.components, '|'))
            EXPECT_NE(s->GetComp(c.c_str()), nullptr) << stop.screen << " lacks " << c;
        char file[96];
        snprintf(file, sizeof file, "%02d-%s.png", index, stop.screen);
        EXPECT_GT(LitPixels(Shoot(file)), 20000) << file;
    }
};

TEST_F(ScreenTour, EveryScreenOfTheGameShows)
{
    // The class screens the program registers at start-up.
    ASSERT_NO_FATAL_FAILURE(screentest::RegisterTourScreens());
    // The loading screen, drawn without its worker (the engine's start-up pushes it and
    // hands over to the main menu); entering it makes the menus' banner.
    ASSERT_TRUE(sman.PreloadScreen(&screen_loading));
    for (const char *c : {"Banner", "Loader", "Windmill"})
        EXPECT_NE(screen_loading.GetComp(c), nullptr) << "Loading lacks " << c;
    screen_loading.Enter();
    apptest::draw = screentest::DrawLoadingOnBlack;
    EXPECT_GT(LitPixels(Shoot("00-Loading.png")), 20000);
    apptest::draw = screentest::DrawStackOnBlack;
    const std::vector<screentest::Stop> &tour = screentest::TourStops();
    for (size_t i = 0; i < tour.size(); i++)
        Visit((int)i + 1, tour[i]);
    // The news page has nothing to show without news: only its components are checked.
    Screen *news = Find("TalvikNews");
    ASSERT_NE(news, nullptr);
    for (const char *c : {"NewsImage", "Close"})
        EXPECT_NE(news->GetComp(c), nullptr) << "TalvikNews lacks " << c;
    sman.PopAllScreens();
    Settle(2);
    for (const std::string &line : ForbiddenLines())
        ADD_FAILURE() << "forbidden: " << line;
}

// Every mission of the shipped catalogue through the real loader transition into its
// battle, played on (the battle's own clock, no drawing in between) until the second
// wave has come: its briefing and the battle then are photographed.
TEST_F(ScreenTour, EveryMissionReachesItsSecondWave)
{
    RegisterBattleScreens();
    RegisterBattleScriptFunctions();
    ASSERT_TRUE(sman.PreloadScreen(&GetShopScreen()));
    ScreenLoaderTransition *loader = &screen_loader_transition;
    ScreenGame *battle = &screen_game;
    for (Screen *s : {(Screen *)loader, (Screen *)battle, (Screen *)&screen_transition}) {
        s->preloaded.store(false);
        ASSERT_TRUE(Screen::PreLoadScreen(s)) << s->name;
    }
    DMDatabase *db = dman().GetDatabase("missions.xml");
    ASSERT_NE(db, nullptr);
    struct Mission {
        std::string chapter, id;
    };
    std::vector<Mission> missions;
    for (const char *array : {"CHAPTER1", "CHAPTER2", "CHAPTER3", "EXTRAS"}) {
        DMArray *a = db->GetArray(array);
        if (!a)
            continue;
        for (int i = 0; i < a->GetSize(); i++)
            if (a->GetNode(i)->id)
                missions.push_back({array, a->GetNode(i)->id});
    }
    ASSERT_GE(missions.size(), 10u);
    auto top_is = [](const char *name) {
        Screen *top = sman.PeekScreen(0);
        return top && top->name && strcmp(top->name, name) == 0;
    };
    int shown = 0;
    std::map<std::string, int> seen;
    for (const Mission &m : missions) {
        SCOPED_TRACE(m.id);
        sman.PopAllScreens();
        const std::string value = m.chapter + ":" + m.id;
        sman.SendScreenMessage(nullptr, loader, "ENTER_BATTLE", value.c_str());
        sman.SwitchScreen("LoaderTransition");
        bool briefed = false;
        for (int i = 0; i < 400 && !briefed; i++) {
            OVI_Frame(50);
            briefed = loader->waiting_for_tap || top_is("Game");
        }
        ASSERT_TRUE(briefed) << "no briefing";
        if (loader->waiting_for_tap)
            Shoot(m.id + "-briefing.png");
        vec2_t panel = loader->GetComp("panel") ? loader->GetComp("panel")->GetCenterPos() : vec2_t{512, 384};
        ASSERT_TRUE(hl::inject_touch(hl::TouchPhase::Down, 0, (int)panel.x, (int)panel.y));
        PumpFrame();
        ASSERT_TRUE(hl::inject_touch(hl::TouchPhase::Up, 0, (int)panel.x, (int)panel.y));
        PumpFrame();
        bool in_battle = false;
        for (int i = 0; i < 400 && !in_battle; i++) {
            OVI_Frame(50);
            in_battle = top_is("Game") && battle->trans_phase >= 1.0f;
        }
        ASSERT_TRUE(in_battle) << "never in the battle; on top: " << (sman.PeekScreen(0) ? sman.PeekScreen(0)->name : "nothing");
        // Overlays the battle pushes on its own (tutorials, upgrade picks) are answered
        // by popping them; the battle's clock runs in steps of 50 ms, 6 game minutes at most.
        // Nobody steers the squad here: the battle is made unlosable (the developer key
        // 'G') so that every mode reaches its second wave.
        game.invulnerable = 1;
        prog.parms.developer_mode = 1;  // the flag holds in developer mode only
        // A tutorial the battle shows is photographed (the first of each mission) and
        // taken as read.
        int steps = 0;
        bool tutorial_shot = false;
        for (; steps < 7200 && game.wave_number < 2; steps++) {
            if (!top_is("Game"))
                sman.PopScreen(sman.PeekScreen(0), false);
            if (game.tutorial_shown && game.tutorial_name && game.tutorial_time > 1.0f) {
                if (!tutorial_shot)
                    Shoot(m.id + "-tutorial-" + game.tutorial_name + ".png");
                tutorial_shot = true;
                game.SetTutorialCompleted(game.tutorial_name);
            }
            sman.Update(0.05f);
            if (game.lost || game.won)
                break;
        }
        prog.parms.developer_mode = 0;
        // An unsteered squad cannot clear every first wave (roaming enemies, tents to
        // guard): the picture is then taken at the six minutes, which the run notes.
        EXPECT_FALSE(game.lost) << m.id << " lost although unlosable";
        EXPECT_TRUE(top_is("Game")) << m.id;
        if (game.wave_number < 2)
            printf("tour: %s still at wave %d after %.0f game seconds\n", m.id.c_str(), (int)game.wave_number,
                   steps * 0.05f);
        for (int i = 0; i < 30; i++)
            sman.Update(0.05f);
        Shoot(m.id + "-wave2.png");
        shown++;
        // The shop of the battle (its shelf is filled from the battle's state), once.
        if (m.id == "MISSION1_3") {
            game.money = 3000;
            sman.PushScreen("Shop", 0);
            Settle();
            EXPECT_TRUE(top_is("Shop"));
            Shoot(m.id + "-shop.png");
            // The shelf holds what the battle needs now; the developer's 'R' lists every
            // unlocked item.
            ov_event_t key = {};
            key.type = OV_EVENT_KEY_DOWN;
            key.key = 'R';
            prog.parms.developer_mode = 1;
            sman.PeekScreen(0)->ProcessEvent(&key);
            prog.parms.developer_mode = 0;
            Shoot(m.id + "-shop-all.png");
            sman.PopScreen(sman.PeekScreen(0), false);
        }
        for (const std::string &line : ForbiddenLines(&seen))
            ADD_FAILURE() << m.id << ": forbidden: " << line;
        sman.SendScreenMessage(nullptr, loader, "LEAVE_BATTLE", "");
        sman.SwitchScreen("LoaderTransition");
        for (int i = 0; i < 200 && !top_is("PlayMenu") && !top_is("MainMenu"); i++)
            OVI_Frame(50);
    }
    EXPECT_EQ(shown, (int)missions.size());
    for (const std::string &line : ForbiddenLines(&seen))
        ADD_FAILURE() << "forbidden: " << line;
}

// Brightness of every pixel of a frame (its three channels summed).
std::vector<float> Brightness(const widgettest::Frame &f)
{
    std::vector<float> out;
    out.reserve((size_t)f.w * f.h);
    for (int y = 0; y < f.h; y++)
        for (int x = 0; x < f.w; x++) {
            const widgettest::Rgba p = f.At(x, y);
            out.push_back((float)(p[0] + p[1] + p[2]));
        }
    return out;
}

// How alike two pictures are whatever their brightness: the correlation of their pixels
// (1 for the same picture at any strength; 0 for a flat one).
double Likeness(const std::vector<float> &a, const std::vector<float> &b)
{
    double ma = 0, mb = 0;
    for (size_t i = 0; i < a.size(); i++) {
        ma += a[i];
        mb += b[i];
    }
    ma /= (double)a.size();
    mb /= (double)b.size();
    double ab = 0, aa = 0, bb = 0;
    for (size_t i = 0; i < a.size(); i++) {
        ab += (a[i] - ma) * (b[i] - mb);
        aa += (a[i] - ma) * (a[i] - ma);
        bb += (b[i] - mb) * (b[i] - mb);
    }
    return aa > 0 && bb > 0 ? ab / sqrt(aa * bb) : 0.0;
}

double Mean(const std::vector<float> &a)
{
    double m = 0;
    for (float v : a)
        m += v;
    return a.empty() ? 0 : m / (double)a.size();
}

// A switch of screens with the shipped cover: half-way into the fade the old screen shows
// under the half-dark cover, half-way out of it the new one does.
TEST_F(ScreenTour, TheSwitchFadesOverTheOldScreenAndOffTheNewOne)
{
    ASSERT_NO_FATAL_FAILURE(screentest::RegisterTourScreens());
    Screen *extras = Find("Extras");
    ASSERT_NE(extras, nullptr);
    const screentest::Stop menu = {"MainMenu", "", {}, "", nullptr};
    ASSERT_NE(Show(menu, true), nullptr);
    const std::vector<float> old_screen = Brightness(widgettest::ReadFrame());
    sman.SwitchScreen("Extras");
    ASSERT_TRUE(screen_transition.in_stack);
    // Half-way in (the frame's own update moves the phase on by 16 ms).
    for (int i = 0; i < 40 && screen_transition.trans_phase < 0.4f; i++)
        sman.Update(0.02f);
    DrawFrame();
    const float phase_in = screen_transition.trans_phase;
    const widgettest::Frame in = widgettest::ReadFrame();
    EXPECT_TRUE(widgettest::SavePng(in, enginetest::ShotPath("tour", "switch-fading-in.png")));
    // Through the cut to half-way out.
    for (int i = 0; i < 200 && !(screen_transition.leaving && screen_transition.trans_phase <= 0.6f); i++) {
        sman.Update(0.02f);
        DrawFrame();
    }
    ASSERT_TRUE(screen_transition.leaving);
    const float phase_out = screen_transition.trans_phase;
    const widgettest::Frame out = widgettest::ReadFrame();
    EXPECT_TRUE(widgettest::SavePng(out, enginetest::ShotPath("tour", "switch-fading-out.png")));
    for (int i = 0; i < 60 && screen_transition.in_stack; i++)
        Settle(1);
    EXPECT_EQ(sman.PeekScreen(0), extras);
    const std::vector<float> new_screen = Brightness(widgettest::ReadFrame());
    printf("switch: in at phase %.2f, out at phase %.2f\n", phase_in, phase_out);

    const std::vector<float> mid_in = Brightness(in), mid_out = Brightness(out);
    // (Both menus stand on the same backdrop, so they are somewhat alike.)
    EXPECT_GT(Likeness(mid_in, old_screen), 0.95) << "the old screen under the cover";
    EXPECT_GT(Likeness(mid_in, old_screen) - Likeness(mid_in, new_screen), 0.2);
    EXPECT_GT(Likeness(mid_out, new_screen), 0.95) << "the new screen under the cover";
    EXPECT_GT(Likeness(mid_out, new_screen) - Likeness(mid_out, old_screen), 0.2);
    // Half-dark: as bright as the cover lets through.
    EXPECT_NEAR(Mean(mid_in) / Mean(old_screen), 1.0 - phase_in, 0.12);
    EXPECT_NEAR(Mean(mid_out) / Mean(new_screen), 1.0 - phase_out, 0.12);
}

// The main menu's embers rise from the start and keep rising: the shipped menu's emitter
// keeps a crowd of particles alive, each drawn where the menu is.
TEST_F(ScreenTour, TheMainMenuEmbersRise)
{
    ASSERT_NO_FATAL_FAILURE(screentest::RegisterTourScreens());
    const screentest::Stop menu = {"MainMenu", "", {}, "", nullptr};
    Screen *s = Show(menu, true);
    ASSERT_NE(s, nullptr);
    UICompEmitter *embers = dynamic_cast<UICompEmitter *>(s->GetComp("Embers"));
    ASSERT_NE(embers, nullptr);
    for (float t : {0.0f, 5.0f, 10.0f}) {
        SCOPED_TRACE(t);
        for (float passed = 0; passed < t; passed += 0.05f)
            sman.Update(0.05f);
        EXPECT_GE(embers->particles.GetLiveCount(), 10);
        // Drawn: one quad of the ember's bitmap for each, on the display.
        std::vector<enginetest::DrawnPiece> drawn;
        {
            enginetest::DrawRecorder rec;
            embers->Draw();
            drawn = rec.Take();
        }
        int shown = 0;
        for (const enginetest::DrawnPiece &p : drawn)
            shown += p.label == "fxs/ember.png" && p.box.x1 > 0 && p.box.x0 < 1024 && p.box.y1 > 0 && p.box.y0 < 768;
        EXPECT_GE(shown, 10);
    }
    Settle(2);
    Shoot("main-menu-embers.png");
}

// The main menu stands on the menus' illustrated backdrop, over the whole display.
TEST_F(ScreenTour, TheMainMenuStandsOnTheMenuBackdrop)
{
    ASSERT_NO_FATAL_FAILURE(screentest::RegisterTourScreens());
    const screentest::Stop menu = {"MainMenu", "", {}, "", nullptr};
    Screen *s = Show(menu, true);
    ASSERT_NE(s, nullptr);
    std::vector<enginetest::DrawnPiece> drawn;
    {
        enginetest::DrawRecorder rec;
        s->Draw(0.0f);
        drawn = rec.Take();
    }
    ASSERT_FALSE(drawn.empty());
    const enginetest::DrawnPiece &first = drawn.front();
    EXPECT_EQ(first.label, "ui/gfx/menu-bg.png");
    enginetest::Box display;
    display.Add(0, 0);
    display.Add(1024, 768);
    EXPECT_TRUE(first.box.Contains(display, 0.5f)) << first.box.Str();
}

// The weapon chooser of every trooper class, as shipped: each variant's text is its
// sentences joined as sentences ("desc" and "desc2" read as one text, a space between).
TEST_F(ScreenTour, EveryWeaponTextReadsAsSentences)
{
    ASSERT_NO_FATAL_FAILURE(screentest::RegisterTourScreens());
    DMArray *catalogue = dman().GetDatabase("shop.xml") ? dman().GetDatabase("shop.xml")->GetArray("Upgrades") : nullptr;
    ASSERT_NE(catalogue, nullptr);
    for (int i = 0; i < catalogue->GetSize(); i++)
        if (catalogue->GetNode(i)->id)
            prof->AddTag("features", catalogue->GetNode(i)->id);
    int shown = 0;
    for (const char *type : {"MinigunTrooper", "ShotgunTrooper", "BazookaTrooper", "PyroTrooper", "SniperTrooper"}) {
        SCOPED_TRACE(type);
        const screentest::Stop stop = {"ChooseUpgrade", "", {{"trooper_type", type}}, "", nullptr};
        Screen *s = Show(stop, true);
        ASSERT_NE(s, nullptr);
        for (int k = 0; k < 6; k++) {
            UIComp *button = s->GetComp(("Upgrade_" + std::to_string(k)).c_str());
            ASSERT_NE(button, nullptr);
            if (!button->IsInteractive())
                continue;
            const vec2_t at = button->GetCenterPos();
            ASSERT_TRUE(hl::inject_touch(hl::TouchPhase::Down, 0, (int)at.x, (int)at.y));
            PumpFrame();
            ASSERT_TRUE(hl::inject_touch(hl::TouchPhase::Up, 0, (int)at.x, (int)at.y));
            PumpFrame();
            UICompTextbox *desc = dynamic_cast<UICompTextbox *>(s->GetComp("Desc"));
            ASSERT_NE(desc, nullptr);
            const std::string text = desc->GetText();
            for (size_t c = 1; c < text.size(); c++)
                EXPECT_FALSE(strchr(".!?", text[c - 1]) && isalpha((unsigned char)text[c]))
                    << "slot " << k << ": '" << text << "'";
            shown++;
        }
    }
    EXPECT_GE(shown, 20);
}

// The shop on the program's own device, 1024 x 600: the layout (1024 x 768) is scaled to
// it, and a tap on a shelf item, injected in device pixels where the item is drawn,
// selects it and "Buy" buys it.
class ScreenTourDevice : public ScreenTour {
protected:
    ScreenTourDevice() { device_height_ = 600; }
};

TEST_F(ScreenTourDevice, ShopItemsTakeTapsWhereTheyAreDrawn)
{
    RegisterBattleScreens();
    RegisterBattleScriptFunctions();
    ASSERT_TRUE(sman.PreloadScreen(&GetShopScreen()));
    ScreenLoaderTransition *loader = &screen_loader_transition;
    ScreenGame *battle = &screen_game;
    for (Screen *s : {(Screen *)loader, (Screen *)battle, (Screen *)&screen_transition}) {
        s->preloaded.store(false);
        ASSERT_TRUE(Screen::PreLoadScreen(s)) << s->name;
    }
    auto top_is = [](const char *name) {
        Screen *top = sman.PeekScreen(0);
        return top && top->name && strcmp(top->name, name) == 0;
    };
    // What winning MISSION1_4 unlocks: the minigunners' first upgrade is on the shelf.
    for (const char *f : {"REPAIR_BUNKER", "HEAL", "REARM_MinigunTrooper_MinigunPower"})
        prof->AddTag("features", f);
    sman.PopAllScreens();
    sman.SendScreenMessage(nullptr, loader, "ENTER_BATTLE", "CHAPTER1:MISSION1_5");
    sman.SwitchScreen("LoaderTransition");
    for (int i = 0; i < 400 && !loader->waiting_for_tap && !top_is("Game"); i++)
        OVI_Frame(50);
    vec2_t panel = loader->GetComp("panel") ? loader->GetComp("panel")->GetCenterPos() : vec2_t{512, 300};
    ASSERT_TRUE(hl::inject_touch(hl::TouchPhase::Down, 0, (int)panel.x, (int)panel.y));
    PumpFrame();
    ASSERT_TRUE(hl::inject_touch(hl::TouchPhase::Up, 0, (int)panel.x, (int)panel.y));
    PumpFrame();
    for (int i = 0; i < 400 && !(top_is("Game") && battle->trans_phase >= 1.0f); i++)
        OVI_Frame(50);
    ASSERT_TRUE(top_is("Game"));
    // The battle's HUD on the device: the stars beside the wave panel, the pause menu's
    // and the tactical pause's icons told apart.
    game.invulnerable = 1;
    prog.parms.developer_mode = 1;
    for (int i = 0; i < 600 && game.wave_number < 2; i++) {
        if (!top_is("Game"))
            sman.PopScreen(sman.PeekScreen(0), false);
        if (game.tutorial_shown && game.tutorial_name)
            game.SetTutorialCompleted(game.tutorial_name);
        sman.Update(0.05f);
    }
    prog.parms.developer_mode = 0;
    Shoot("device-600-battle.png");
    game.money = 5000;
    sman.PushScreen("Shop", 0);
    Settle();
    ASSERT_TRUE(top_is("Shop"));
    ScreenShop &shop = GetShopScreen();
    ASSERT_GE(shop.list.count, 1);
    widgettest::Frame f = Shoot("device-600-shop.png");
    // The first item is drawn inside the shelf's clip rectangle, in device pixels.
    vec2_t ul = shop.GetComp("ClipUL")->GetStaticPos(), br = shop.GetComp("ClipBR")->GetStaticPos();
    const ScreenShop::Item &first = shop.list.items[0];
    printf("shop at 1024 x 600: clip %.0f,%.0f .. %.0f,%.0f; item 0 at %.0f,%.0f\n", ul.x, ul.y, br.x, br.y, first.x,
           first.y);
    EXPECT_GT(first.y, ul.y);
    EXPECT_LT(first.y, br.y);
    const int x = (int)first.x, y = (int)first.y;
    ASSERT_TRUE(hl::inject_touch(hl::TouchPhase::Down, 0, x, y));
    PumpFrame();
    ASSERT_TRUE(hl::inject_touch(hl::TouchPhase::Up, 0, x, y));
    PumpFrame();
    EXPECT_EQ(shop.selected, &shop.list.items[0]);
    Shoot("device-600-shop-selected.png");
    const int money = game.money;
    vec2_t buy = shop.GetComp("Buy")->GetCenterPos();
    ASSERT_TRUE(hl::inject_touch(hl::TouchPhase::Down, 0, (int)buy.x, (int)buy.y));
    PumpFrame();
    ASSERT_TRUE(hl::inject_touch(hl::TouchPhase::Up, 0, (int)buy.x, (int)buy.y));
    PumpFrame();
    EXPECT_LT(game.money, money) << "nothing bought";
    sman.PopScreen(sman.PeekScreen(0), false);
    sman.SendScreenMessage(nullptr, loader, "LEAVE_BATTLE", "");
    sman.SwitchScreen("LoaderTransition");
    for (int i = 0; i < 200 && !top_is("PlayMenu") && !top_is("MainMenu"); i++)
        OVI_Frame(50);
}

}  // namespace
