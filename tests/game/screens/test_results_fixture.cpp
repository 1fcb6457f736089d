// The result screens' fixture (see test_results_fixture.h).
#include "tests/support/headless_engine.h"
#include "tests/game/screens/test_results_fixture.h"

#include "tests/app/services/app_engine_fixture.h"
#include "tests/app/ui/widget_fixture.h"
#include "tests/game/game_fixture.h"

#include "app/services/dataman.h"
#include "app/services/prog.h"
#include "app/ui/screen-manager.h"
#include "app/ui/ui-comps.h"
#include "app/ui/widgets/ui-button.h"
#include "app/ui/widgets/ui-textbox.h"
#include "game/entities/entity-types.h"
#include "game/entities/weapons.h"
#include "game/gamestate.h"
#include "game/screens/game-over.h"
#include "game/screens/leaderboards-screen.h"
#include "game/screens/level-won.h"
#include "online/analytics.h"
#include "online/leaderboards-manager.h"

#include <sstream>
#include <sys/stat.h>

namespace resultstest {

namespace {

std::string Shop()
{
    return "<?xml version=\"1.0\"?>\n<root>\n<array id=\"Upgrades\">\n"
           "<node id=\"MINIGUN_TROOPER\" icon=\"gfx/t_minigun.png\" name=\"Minigun trooper\" />\n"
           "<node id=\"BAZOOKA_TROOPER\" icon=\"gfx/t_bazooka.png\" />\n"
           "<node id=\"SHOTGUN_TROOPER\" icon=\"gfx/t_shotgun.png\" />\n"
           "<node id=\"PYRO_TROOPER\" icon=\"gfx/t_pyro.png\" />\n"
           "<node id=\"SNIPER_TROOPER\" icon=\"gfx/t_sniper.png\" />\n"
           "<node id=\"VANILLA_MinigunTrooper\" icon=\"gfx/w_vanilla.png\" />\n"
           "<node id=\"VANILLA_BazookaTrooper\" icon=\"gfx/w_vanilla.png\" />\n"
           "<node id=\"VANILLA_PyroTrooper\" icon=\"gfx/w_vanilla.png\" />\n"
           "<node id=\"REARM_MinigunTrooper_Laser\" icon=\"gfx/w_laser.png\" name=\"Laser minigun\" "
           "desc=\"Burns through armour.\" upgraded_ent_types=\"MinigunTrooper\" />\n"
           "<node id=\"PYRO_DEATHWISH\" icon=\"gfx/w_deathwish.png\" name=\"Deathwish\" desc=\"Last flames.\" "
           "upgraded_ent_types=\"PyroTrooper\" />\n"
           "<node id=\"AIRSTRIKE\" icon=\"gfx/f_airstrike.png\" name=\"Air strike\" desc=\"Calls the jets.\" "
           "type=\"Support\" />\n"
           "<node id=\"MINES\" name=\"Mines\" desc=\"Boom.\" />\n"
           "<node id=\"EXTRA_SURVIVAL\" icon=\"gfx/f_extra.png\" name=\"Survival\" desc=\"Shop text.\" />\n"
           "</array>\n</root>\n";
}

std::string Ranks()
{
    return "<?xml version=\"1.0\"?>\n<root>\n"
           "<array id=\"ranks_mission1_9\">\n<node id=\"r0\" name=\"Private\" score_limit=\"0\" />\n"
           "<node id=\"r1\" name=\"Sergeant\" score_limit=\"1000\" />\n"
           "<node id=\"r2\" name=\"General\" score_limit=\"5000\" />\n</array>\n"
           "<array id=\"ranks_mission2_3\">\n<node id=\"r0\" name=\"Private\" score_limit=\"0\" />\n"
           "<node id=\"r1\" name=\"Major\" score_limit=\"700\" />\n</array>\n"
           "<array id=\"ranks_jungle_survival\">\n<node id=\"r0\" name=\"Private\" score_limit=\"0\" />\n"
           "<node id=\"r1\" name=\"Sergeant\" score_limit=\"1000\" />\n"
           "<node id=\"r2\" name=\"General\" score_limit=\"5000\" />\n</array>\n"
           "<array id=\"game_over_texts\">\n<node id=\"t0\" text=\"They overran you.\" />\n"
           "<node id=\"t1\" text=\"The base has fallen.\" />\n</array>\n"
           "</root>\n";
}

}  // namespace

std::string LongUnlockList()
{
    std::string list;
    for (int i = 0; i < 40; i++)
        list += (i ? "," : "") + std::string("LONG_FEATURE_NUMBER_") + std::to_string(i);
    return list;
}

namespace {

std::string Missions()
{
    return "<?xml version=\"1.0\"?>\n<root>\n"
           "<array id=\"CHAPTER1\">\n"
           "<node id=\"MISSION1_8\" name=\"Landing\" />\n"
           "<node id=\"MISSION1_9\" name=\"Ridge\" unlocks=\"REARM_MinigunTrooper_Laser,AIRSTRIKE\" />\n"
           "<node id=\"MISSION1_10\" name=\"Hive\" unlocks=\"PYRO_DEATHWISH\" />\n</array>\n"
           "<array id=\"CHAPTER2\">\n"
           "<node id=\"MISSION2_1\" name=\"Dunes\" />\n"
           "<node id=\"MISSION2_3\" name=\"Oasis\" unlocks=\"" + LongUnlockList() + "\" />\n"
           "<node id=\"MISSION2_10\" name=\"Sandstorm\" />\n</array>\n"
           "<array id=\"CHAPTER3\">\n<node id=\"MISSION3_10\" name=\"Finale\" />\n</array>\n"
           "<array id=\"EXTRAS\">\n"
           "<node id=\"EXTRA_SURVIVAL\" name=\"Survival\" unlock_stars=\"8\" desc=\"Endless waves.\" />\n"
           "<node id=\"EXTRA_HARD\" name=\"Hard\" unlock_stars=\"40\" />\n</array>\n"
           "</root>\n";
}

std::string Categories()
{
    return "<?xml version=\"1.0\"?>\n<root>\n<array id=\"CATEGORIES\">\n"
           "<node id=\"CAMPAIGN\" display_name=\"Campaign\" tags=\"ONE_SCORE_PER_PLAYER\" />\n"
           "<node id=\"JUNGLE_SURVIVAL\" display_name=\"Jungle\" />\n"
           "<node id=\"DESERT\" display_name=\"Desert\" tags=\"HARD\" />\n"
           "</array>\n</root>\n";
}

void WriteIcons()
{
    const std::vector<std::pair<std::string, widgettest::Rgba>> icons = {
        {"gfx/t_minigun.png", {230, 200, 40, 255}}, {"gfx/t_bazooka.png", {220, 60, 60, 255}},
        {"gfx/t_shotgun.png", {60, 200, 90, 255}},  {"gfx/t_pyro.png", {250, 120, 20, 255}},
        {"gfx/t_sniper.png", {120, 120, 250, 255}}, {"gfx/w_vanilla.png", {200, 200, 200, 255}},
        {"gfx/w_laser.png", {40, 230, 230, 255}},   {"gfx/w_deathwish.png", {200, 30, 200, 255}},
        {"gfx/f_airstrike.png", {90, 160, 255, 255}}, {"gfx/f_extra.png", {255, 230, 120, 255}},
    };
    for (const auto &icon : icons) {
        const widgettest::Rgba c = icon.second;
        widgettest::WritePng(icon.first, 32, 32, [c](int x, int y) {
            const bool edge = x < 2 || y < 2 || x > 29 || y > 29;
            return edge ? widgettest::Rgba{255, 255, 255, 255} : c;
        });
    }
}

std::string Comp(const std::string &type, const std::string &name, float x, float y, const std::string &more = "")
{
    std::ostringstream s;
    s << "CreateComp ('" << type << "', '" << name << "')\nSetProperty ('position_type', 'ABSOLUTE')\n"
      << "SetProperty ('position', " << x << ", " << y << ")\n" << more;
    return s.str();
}

std::string Rect(const std::string &name, float x, float y, int w, int h, const std::string &rgba)
{
    std::ostringstream s;
    s << "SetProperty ('rectangle.rect_width', " << w << ")\nSetProperty ('rectangle.rect_height', " << h
      << ")\nSetProperty ('color', " << rgba << ")\n";
    return Comp("Rectangle", name, x, y, s.str());
}

}  // namespace

std::string ResultScript(const std::string &extra)
{
    std::ostringstream s;
    s << Rect("backdrop", 0, 0, 640, 480, "0.05, 0.08, 0.12, 1");
    for (int i = 0; i < 5; i++) {
        const std::string card = "trooper_" + std::to_string(i);
        s << Rect(card, kCardX0 + kCardSpacing * (float)i, 250, 110, 150, "0.25, 0.3, 0.35, 1");
        const std::string parent = "SetProperty ('parent', '" + card + "')\n";
        s << Comp("Image", card + "_image", 8, 8, parent);
        s << Comp("Image", card + "_image_weapon", 64, 8, parent);
        s << Comp("Textbox", card + "_damage", 6, 60, parent);
        s << Comp("Textbox", card + "_kills", 6, 85, parent);
        s << Comp("Textbox", card + "_shots", 6, 110, parent);
    }
    s << Comp("Textbox", "timespent_value", 40, 420) << Comp("Textbox", "alienskilled_value", 260, 420)
      << Comp("Textbox", "Wave", 480, 420);
    s << extra;
    return s.str();
}

void ResultsTest::Begin(const std::string &features, int w, int h)
{
    gametest::ResetGameState();
    StartOnline("ANALYST,ANALYST_LOCAL_STORE" + (features.empty() ? "" : "," + features), w, h);
    prog.parms.developer_mode = 0;
    analyst.Initialize();
    apptest::WriteFile("shop.xml", Shop());
    apptest::WriteFile("ranks.xml", Ranks());
    apptest::WriteFile("missions.xml", Missions());
    apptest::WriteFile(LEADERBOARDS_CATEGORIES_FILE, Categories());
    WriteIcons();
    leaderboards_man.Initialize();
    snprintf(game.parms.chapter_id, sizeof game.parms.chapter_id, "CHAPTER1");
    snprintf(game.parms.mission_id, sizeof game.parms.mission_id, "MISSION1_9");
}

void ResultsTest::TearDown()
{
    if (ov) {
        Screen *mine[] = {GetGameOverScreen(), GetLevelLostScreen(), GetLevelWonScreen(),
                          GetFeatureUnlockedScreen(), GetLeaderboardsScreen()};
        for (Screen *screen : mine) {
            if (sman.IsScreenInStack(screen))
                sman.PopScreen(screen, false);
            screen->FreeUI();
            screen->preloaded.store(false);
        }
        GetLeaderboardsScreen()->client = nullptr;
        GetLeaderboardsScreen()->categories = nullptr;
        GetLeaderboardsScreen()->db = nullptr;
        ScreenFeatureUnlocked *unlocked = GetFeatureUnlockedScreen();
        for (char *&id : unlocked->feature_ids) {
            free(id);
            id = nullptr;
        }
        analyst.Shutdown();
        leaderboards_man.Reset();
    }
    game.troopers.Clear();
    gametest::ResetGameState();
    OnlineTest::TearDown();
}

void ResultsTest::SetSquad(const std::vector<FixtureTrooper> &squad)
{
    game.troopers.Clear();
    troopers_.assign(squad.size(), Entity());
    for (size_t i = 0; i < squad.size(); i++) {
        Entity &e = troopers_[i];
        types_.emplace_back(new EntityType(squad[i].type));
        e.type = types_.back().get();
        if (squad[i].weapon && squad[i].weapon[0]) {
            weapons_.emplace_back(new Weapon(squad[i].weapon));
            e.base_weapon = weapons_.back().get();
        }
        e.damage_dealt = squad[i].damage;
        e.kills = squad[i].kills;
        e.shots_fired = squad[i].shots;
        game.troopers.InsertLast(&e);
    }
}

void ResultsTest::Preload(Screen *screen)
{
    screen->FreeUI();
    screen->preloaded.store(false);
    ASSERT_TRUE(Screen::PreLoadScreen(screen));
}

std::string ResultsTest::Text(Screen *screen, const std::string &comp)
{
    UIComp *c = screen->GetComp(comp.c_str());
    if (UICompTextbox *box = dynamic_cast<UICompTextbox *>(c))
        return box->GetText();
    if (UICompButton *button = dynamic_cast<UICompButton *>(c))
        return button->text ? button->text : "";
    return "";
}

bool ResultsTest::Visible(Screen *screen, const std::string &comp)
{
    UIComp *c = screen->GetComp(comp.c_str());
    return c && c->visible;
}

std::vector<std::string> ResultsTest::PlayLog()
{
    std::vector<std::string> lines;
    std::istringstream in(onlinetest::ReadEngineFile(Analyst::GetPlayLogFileName().Get()));
    std::string line;
    while (std::getline(in, line))
        lines.push_back(line);
    return lines;
}

void ResultsTest::PushAndSettle(Screen *screen)
{
    sman.all_screens_preloaded.store(true);
    sman.PushScreen(screen, 0);
    for (int i = 0; i < 200 && (screen->trans_phase < 1.0f || !screen->entered); i++)
        Steps(1, 0.02f);
    ASSERT_GE(screen->trans_phase, 1.0f);
}

void ResultsTest::Shot(const std::string &name)
{
    DrawFrame();
    EXPECT_TRUE(widgettest::SavePng(widgettest::ReadFrame(), enginetest::ShotPath("results", name)));
}

}  // namespace resultstest
