// The layout of every screen of the shipped game at the display sizes it meets: the
// device's 1024 x 600, the 1024 x 768 the layouts are drawn for, and a 1920 x 1080 full
// screen. Each screen is opened as the screen tour opens it (the build's program
// directory, the program's reference layout), each visible component drawn on its own
// under a draw recorder, and the table of checks (layout_checks.h) run over where they
// were drawn and over the finished picture. Every fault names the screen, the component
// and the pixels; the pictures go to the shots folder (layout-<w>x<h>/) to be looked at.
#include "tests/game/screens/layout_checks.h"
#include "tests/game/screens/screen_tour_fixture.h"
#include "tests/support/headless_engine.h"

#include "app/services/prog.h"
#include "app/services/profiles.h"
#include "app/ui/screen-manager.h"
#include "app/ui/screen.h"
#include "app/ui/transition.h"
#include "core/ov_state.h"
#include "game/entities/stock.h"
#include "game/game-script.h"
#include "game/gamestate.h"
#include "game/scape.h"
#include "game/screens/battle-screen.h"
#include "game/screens/loader-transition.h"
#include "game/screens/loading.h"
#include "game/screens/shop.h"
#include "game/spawn-manager.h"
#include "ovrecords.h"
#include "platform/headless.h"

#include <gtest/gtest.h>
#include <math.h>
#include <stdio.h>
#include <string.h>

#include <map>
#include <string>
#include <vector>

namespace {

using layouttest::Check;
using layouttest::Report;

struct DisplaySize {
    int w, h;
};

std::string SizeName(const DisplaySize &s)
{
    return std::to_string(s.w) + "x" + std::to_string(s.h);
}

class ScreenLayout : public screentest::ScreenTourTest, public ::testing::WithParamInterface<DisplaySize> {
protected:
    ScreenLayout()
    {
        device_width_ = GetParam().w;
        device_height_ = GetParam().h;
    }
    // The display's checks: texts are measured against the small font on the device.
    layouttest::Display Display()
    {
        layouttest::Display d = {device_width_, device_height_, 0.0f};
        if (device_width_ == 1024 && device_height_ == 600) {
            // The engine counts one reference per font name taken: it is not given back.
            ov_font_t *small = ov->OV_GetFont("fonts/small.mft");
            EXPECT_NE(small, nullptr);
            d.min_text_height = small ? (float)small->height : 14.0f;
        }
        return d;
    }
    std::string shots_ = "layout-" + SizeName(GetParam());
};

void PrintTable(const std::string &size, const Report &r)
{
    printf("layout at %s:\n", size.c_str());
    for (int c = 0; c < layouttest::NUM_CHECKS; c++)
        printf("  %-24s %4d checked  %3d faults\n", layouttest::CheckName((Check)c), r.checked[c],
               (int)r.faults[c].size());
}

// A moment of a screen that is looked at: seconds after it has come up, and the groups
// it centres then.
struct Moment {
    float later;
    std::vector<std::string> centred;
};

const char kCards[] = "trooper_0+trooper_1+trooper_2+trooper_3+trooper_4";

// The screens that centre something or change after they have come up; every other
// screen is looked at once, as it comes up.
const std::map<std::string, std::vector<Moment>> &Moments()
{
    static const std::map<std::string, std::vector<Moment>> moments = {
        {"ArmTroopers", {{0, {"choices_0+choices_1+choices_2+choices_3+choices_4"}}}},
        {"PickReinforcement", {{0, {"Minigun+Shotgun+Bazooka+Pyro+Sniper"}}}},
        // The first page as it counts up, then the squad's page with its cards.
        {"GameOver", {{0, {"Page1"}}, {5, {"Page2", kCards}}}},
        {"LevelLost", {{0, {}}, {3, {kCards}}}},
        {"LevelWon", {{0, {}}, {3, {kCards}}}},
    };
    return moments;
}

// The play menu's highlight of the chosen row reaches under all it shows: the strip right
// of its last star (or its best score) is amber on the chosen row and not on a row below.
void CheckRowHighlight(const std::vector<layouttest::Drawn> &drawn, const widgettest::Frame &frame, Report *report)
{
    auto box_of = [&drawn](const std::string &name) {
        for (const layouttest::Drawn &d : drawn)
            if (d.name == name)
                return d.box;
        return layouttest::Box();
    };
    const layouttest::Box selector = box_of("RowSelector");
    if (selector.empty) {
        report->checked[layouttest::HIGHLIGHT]++;
        report->Fault(layouttest::HIGHLIGHT, "PlayMenu: no row highlight drawn");
        return;
    }
    int row = -1;
    for (int i = 0; i < 10 && row < 0; i++) {
        const layouttest::Box b = box_of("Row_" + std::to_string(i));
        if (fabsf(b.y0 - selector.y0) < 2.0f)
            row = i;
    }
    // What the chosen row shows at its right: its stars (a chapter) or its best score
    // (an extra that has one); a row with neither has nothing for the highlight to reach.
    const std::string prefix = "Row_" + std::to_string(row) + "_";
    const layouttest::Box star = box_of(prefix + "Star_5").empty ? box_of(prefix + "Best") : box_of(prefix + "Star_5");
    const layouttest::Box below = box_of("Row_" + std::to_string(row + 1));
    if (row >= 0 && star.empty)
        return;
    report->checked[layouttest::HIGHLIGHT]++;
    if (row < 0 || below.empty) {
        report->Fault(layouttest::HIGHLIGHT, "PlayMenu: the highlighted row or the row below it is missing");
        return;
    }
    // Amber: red well above blue, averaged over the strip.
    auto amber = [&frame](float x0, float x1, float yc) {
        double sum = 0;
        int n = 0;
        for (int x = (int)x0; x <= (int)x1; x++) {
            const widgettest::Rgba p = frame.At(x, (int)yc);
            sum += p[0] - p[2];
            n++;
        }
        return n ? sum / n : 0.0;
    };
    const float x0 = star.x1 + 2.0f, x1 = selector.x1 - 6.0f;
    const double chosen = amber(x0, x1, (selector.y0 + selector.y1) / 2.0f);
    const double plain = amber(x0, x1, (below.y0 + below.y1) / 2.0f);
    if (chosen - plain < 25.0)
        report->Fault(layouttest::HIGHLIGHT,
                      "PlayMenu/RowSelector: fades out before the stars' end: amber " + std::to_string((int)chosen) +
                          " right of the last star, " + std::to_string((int)plain) + " on the row below");
}

TEST_P(ScreenLayout, EveryScreenFitsTheDisplay)
{
    ASSERT_NO_FATAL_FAILURE(screentest::RegisterTourScreens());
    const layouttest::Display display = Display();
    // Each frame that measures draws the screen's components one by one first (the
    // clear of the frame then wipes them), then the picture as the game draws it.
    bool measure = false;
    std::vector<layouttest::Drawn> drawn;
    Report report;
    // The loading screen first, drawn without its worker as the engine's start-up shows
    // it; entering it makes the menus' banner.
    ASSERT_TRUE(sman.PreloadScreen(&screen_loading));
    screen_loading.Enter();
    apptest::draw = [&measure, &drawn](float dt) {
        if (measure)
            drawn = layouttest::MeasureScreen(&screen_loading);
        measure = false;
        screentest::DrawLoadingOnBlack(dt);
    };
    measure = true;
    DrawFrame();
    {
        const widgettest::Frame frame = widgettest::ReadFrame();
        EXPECT_TRUE(widgettest::SavePng(frame, enginetest::ShotPath(shots_.c_str(), "00-Loading.png")));
        layouttest::ScreenSpec spec;
        spec.name = "Loading";
        layouttest::CheckScreen(spec, drawn, frame, display, &report);
    }
    // Then the screen stack: the top screen is measured.
    apptest::draw = [&measure, &drawn](float dt) {
        if (measure)
            drawn = layouttest::MeasureScreen(sman.PeekScreen(0));
        measure = false;
        screentest::DrawStackOnBlack(dt);
    };
    std::vector<std::pair<std::string, layouttest::Box>> backs;  // where each screen draws "Back"
    const std::vector<screentest::Stop> &tour = screentest::TourStops();
    for (size_t i = 0; i < tour.size(); i++) {
        const screentest::Stop &stop = tour[i];
        SCOPED_TRACE(stop.screen);
        Screen *s = Show(stop, true);
        if (!s)
            continue;
        std::vector<Moment> moments = {{0, {}}};
        if (Moments().count(stop.screen))
            moments = Moments().at(stop.screen);
        float passed = 0;
        for (const Moment &m : moments) {
            for (; passed < m.later; passed += 0.05f)
                sman.Update(0.05f);
            measure = true;
            DrawFrame();
            const std::vector<layouttest::Drawn> first = drawn;
            const widgettest::Frame frame = widgettest::ReadFrame();
            measure = true;
            DrawFrame();
            char file[96];
            snprintf(file, sizeof file, "%02d-%s%s.png", (int)i + 1, stop.screen, m.later > 0 ? "-later" : "");
            EXPECT_TRUE(widgettest::SavePng(frame, enginetest::ShotPath(shots_.c_str(), file)));
            EXPECT_GT(first.size(), 0u);
            layouttest::ScreenSpec spec;
            spec.name = stop.screen;
            if (m.later > 0)
                spec.name += " later";
            spec.over_another = *stop.under != 0;
            spec.centred = m.centred;
            spec.moving = layouttest::Moved(first, drawn);
            layouttest::CheckScreen(spec, first, frame, display, &report);
            for (const layouttest::Drawn &d : first)
                if (d.name == "Back" && m.later == 0)
                    backs.push_back({stop.screen, d.box});
            if (std::string(stop.screen) == "PlayMenu")
                CheckRowHighlight(first, frame, &report);
        }
    }
    EXPECT_GE(backs.size(), 6u);
    layouttest::CheckSamePlace("Back", backs, &report);
    PrintTable(SizeName(GetParam()), report);
    for (int c = 0; c < layouttest::NUM_CHECKS; c++)
        for (const std::string &f : report.faults[c])
            ADD_FAILURE() << layouttest::CheckName((Check)c) << ": " << f;
}

// The battle's HUD as drawn over the world, recorded piece by piece under the battle
// screen's own scaling.
std::vector<layouttest::DrawnPiece> RecordHud()
{
    enginetest::DrawRecorder rec;
    nTransform t = {};
    t.m[0] = sman.reference_scale_x;
    t.m[5] = sman.reference_scale_y;
    t.m[10] = t.m[15] = 1.0f;
    ov->OV_PushTransform(&t);
    game.Draw();
    ov->OV_PopTransform();
    return rec.Take();
}

bool TopIs(const char *name)
{
    Screen *top = sman.PeekScreen(0);
    return top && top->name && strcmp(top->name, name) == 0;
}

// The battle of a mission as the player meets it: its briefing (loader transition), the
// battle screen with its HUD at the moments that crowd it, and the screens a battle
// opens over itself (the shop with its shelf filled, the reinforcement pick over the shop).
class BattleLayout : public ScreenLayout {
protected:
    void SetUp() override
    {
        ScreenLayout::SetUp();
        if (HasFatalFailure())
            return;
        ASSERT_NO_FATAL_FAILURE(screentest::RegisterTourScreens());
        RegisterBattleScreens();
        RegisterBattleScriptFunctions();
        ASSERT_TRUE(sman.PreloadScreen(&GetShopScreen()));
        for (Screen *s : {(Screen *)&screen_loader_transition, (Screen *)&screen_game, (Screen *)&screen_transition}) {
            s->preloaded.store(false);
            ASSERT_TRUE(Screen::PreLoadScreen(s)) << s->name;
        }
        display_ = Display();
        apptest::draw = [this](float dt) {
            if (measure_)
                drawn_ = layouttest::MeasureScreen(sman.PeekScreen(0));
            if (hud_)
                hud_pieces_ = RecordHud();
            measure_ = hud_ = false;
            screentest::DrawStackOnBlack(dt);
        };
    }
    // Through the briefing into the battle; the briefing is checked on the way.
    void EnterBattle(const char *chapter_and_mission)
    {
        sman.PopAllScreens();
        sman.SendScreenMessage(nullptr, &screen_loader_transition, "ENTER_BATTLE", chapter_and_mission);
        sman.SwitchScreen("LoaderTransition");
        for (int i = 0; i < 400 && !screen_loader_transition.waiting_for_tap && !TopIs("Game"); i++)
            OVI_Frame(50);
        if (screen_loader_transition.waiting_for_tap)
            Look(std::string("Briefing ") + chapter_and_mission, false, {});
        UIComp *panel = screen_loader_transition.GetComp("panel");
        const vec2_t at = panel ? panel->GetCenterPos() : vec2_t{(float)device_width_ / 2, (float)device_height_ / 2};
        ASSERT_TRUE(ovdev::headless::inject_touch(ovdev::headless::TouchPhase::Down, 0, (int)at.x, (int)at.y));
        PumpFrame();
        ASSERT_TRUE(ovdev::headless::inject_touch(ovdev::headless::TouchPhase::Up, 0, (int)at.x, (int)at.y));
        PumpFrame();
        for (int i = 0; i < 400 && !(TopIs("Game") && screen_game.trans_phase >= 1.0f); i++)
            OVI_Frame(50);
        ASSERT_TRUE(TopIs("Game"));
        game.invulnerable = 1;
    }
    // Battle time passes (overlays it opens and tutorials it shows are taken as read).
    void Play(float seconds)
    {
        prog.parms.developer_mode = 1;  // the unlosable battle holds in developer mode only
        for (float t = 0; t < seconds; t += 0.05f) {
            if (!TopIs("Game"))
                sman.PopScreen(sman.PeekScreen(0), false);
            if (game.tutorial_shown && game.tutorial_name && game.tutorial_time > 1.0f)
                game.SetTutorialCompleted(game.tutorial_name);
            sman.Update(0.05f);
        }
        prog.parms.developer_mode = 0;
    }
    // The top screen measured and checked, its picture saved; with `hud` the battle's
    // HUD too.
    void Look(const std::string &name, bool hud, const std::vector<std::string> &centred)
    {
        measure_ = true;
        hud_ = hud;
        DrawFrame();
        const widgettest::Frame frame = widgettest::ReadFrame();
        const std::vector<layouttest::Drawn> first = drawn_;
        measure_ = true;
        DrawFrame();
        std::string file = "battle-" + name + ".png";
        for (char &c : file)
            c = (c == ' ' || c == ':') ? '-' : c;
        EXPECT_TRUE(widgettest::SavePng(frame, enginetest::ShotPath(shots_.c_str(), file)));
        layouttest::ScreenSpec spec;
        spec.name = name;
        spec.over_another = sman.stack.Count() > 1 && !TopIs("Game");
        spec.centred = centred;
        spec.moving = layouttest::Moved(first, drawn_);
        layouttest::CheckScreen(spec, first, frame, display_, &report_);
        if (hud)
            layouttest::CheckHud(name, hud_pieces_, first, frame, display_, &report_);
    }
    layouttest::Display display_ = {};
    Report report_;
    bool measure_ = false, hud_ = false;
    std::vector<layouttest::Drawn> drawn_;
    std::vector<layouttest::DrawnPiece> hud_pieces_;
};

TEST_P(BattleLayout, TheBattleFitsTheDisplay)
{
    // What winning the first five missions opens: the shop's wares, the tactical pause.
    for (const char *f : {"REPAIR_BUNKER", "HEAL", "REARM_MinigunTrooper_MinigunPower", "BUNKER_FORCEFIELD",
                          "REINFORCEMENT", "TACTICAL_MODE", "ARTILLERY_1", "SPEED_BOOSTER",
                          "REARM_ShotgunTrooper_ShotgunSawedOff", "REARM_MinigunTrooper_MinigunAmmo"})
        prof->AddTag("features", f);
    ASSERT_NO_FATAL_FAILURE(EnterBattle("CHAPTER1:MISSION1_6"));
    Play(1.0f);
    // The first wave: its caption under the panel's first notch.
    Look("Battle first wave", true, {});
    // The tactical pause with its hint while a tutorial is up.
    game.SetPause(true);
    game.SetTutorial("TACTICAL");
    for (int i = 0; i < 20; i++)
        sman.Update(0.05f);
    Look("Battle tactical pause", true, {});
    game.SetPause(false);
    game.SetTutorialCompleted("TACTICAL");
    game.SetTutorialCompleted("TACTICAL_2");
    // The last wave: its caption under the last notch.
    game.wave_number = game.num_waves;
    game.level_number_shown = (float)game.num_waves;
    Look("Battle last wave", true, {});
    // Enemies about to come in at every corner: the warning signs stay on the display and
    // clear of the battle's buttons.
    Scape *world = GetScape();
    ASSERT_NE(world, nullptr);
    EntityType *hound = world->stock->GetEntityType("Hellhound");
    ASSERT_NE(hound, nullptr);
    SpawnManager *spawns = world->spawn_manager;
    for (vec2_t corner : {vec2_t{0, 0}, vec2_t{(float)world->width, 0}, vec2_t{0, (float)world->height},
                          vec2_t{(float)world->width, (float)world->height}})
        spawns->AddSpawnInfo(spawns->clock + 1000, hound, corner);
    Look("Battle enemies coming", true, {});
    // The shop with its shelf, and the reinforcement bought there.
    game.money = 5000;
    sman.PushScreen("Shop", 0);
    SettleQuickly(30);
    ASSERT_TRUE(TopIs("Shop"));
    // The developer's 'R' lists every unlocked item, more than the shelf shows at once.
    prog.parms.developer_mode = 1;
    ASSERT_TRUE(ovdev::headless::inject_key('R', true));
    PumpFrame();
    ASSERT_TRUE(ovdev::headless::inject_key('R', false));
    PumpFrame();
    prog.parms.developer_mode = 0;
    EXPECT_GE(GetShopScreen().list.count, 8);
    Look("Shop", false, {});
    Find("PickReinforcement");
    sman.PushScreen("PickReinforcement", 0);
    SettleQuickly(30);
    ASSERT_TRUE(TopIs("PickReinforcement"));
    Look("PickReinforcement over the shop", false, {"Minigun+Shotgun+Bazooka+Pyro+Sniper"});
    sman.PopAllScreens();
    for (int i = 0; i < 60 && sman.stack.Count() > 0; i++)
        sman.Update(0.05f);

    // A survival: the score in place of the stars.
    ASSERT_NO_FATAL_FAILURE(EnterBattle("EXTRAS:DUNE_SURVIVAL"));
    Play(6.0f);
    game.score = 123450;
    Look("Survival", true, {});

    PrintTable("the battle at " + SizeName(GetParam()), report_);
    for (int c = 0; c < layouttest::NUM_CHECKS; c++)
        for (const std::string &f : report_.faults[c])
            ADD_FAILURE() << layouttest::CheckName((Check)c) << ": " << f;
    sman.PopAllScreens();
}

INSTANTIATE_TEST_SUITE_P(Displays, BattleLayout,
                         ::testing::Values(DisplaySize{1024, 600}, DisplaySize{1024, 768}, DisplaySize{1920, 1080}),
                         [](const ::testing::TestParamInfo<DisplaySize> &info) { return SizeName(info.param); });

INSTANTIATE_TEST_SUITE_P(Displays, ScreenLayout,
                         ::testing::Values(DisplaySize{1024, 600}, DisplaySize{1024, 768}, DisplaySize{1920, 1080}),
                         [](const ::testing::TestParamInfo<DisplaySize> &info) { return SizeName(info.param); });

}  // namespace
