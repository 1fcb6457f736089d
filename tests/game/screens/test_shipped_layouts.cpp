// The shipped layouts of the game's own screens, loaded from the build's program
// directory onto their real screens at the 1024 x 768 reference size: every component
// the screen's code addresses is there with its kind, its custom drawing and its feature
// guard, the screen draws something over black, and a picture of each goes to
// the shots folder (layouts/) to be looked at.
#include "tests/game/screens/shipped_screens_fixture.h"
#include "tests/support/headless_engine.h"
#include "app/services/dataman.h"
#include "app/services/profiles.h"
#include "app/services/prog.h"
#include "app/ui/screen-manager.h"
#include "app/ui/ui-comps.h"
#include "app/ui/widgets/ui-image.h"
#include "app/ui/widgets/ui-textbox.h"
#include "game/screens/flags.h"
#include "game/screens/game-over.h"
#include "game/screens/leaderboards-screen.h"
#include "game/screens/level-won.h"
#include "game/gamestate.h"
#include "game/screens/battle-screen.h"
#include "game/screens/load-game-prompt.h"
#include "game/screens/loader-transition.h"
#include "game/screens/loading.h"
#include "game/screens/main-menu.h"
#include "game/screens/pick-reinforcement.h"
#include "game/screens/pick-upgrade.h"
#include "game/screens/shop.h"
#include "online/leaderboards-manager.h"
#include "tests/app/ui/widget_fixture.h"
#include "tests/game/game_fixture.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <string.h>
#include <strings.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#ifndef ORVEX_CONTENT_DIR
#error "ORVEX_CONTENT_DIR: the build's program directory"
#endif

namespace {

using screentest::LitPixels;

// One addressed component: "Name:Kind", "+cd" when the code draws it, "@FEATURE" when
// it is guarded by a feature.
struct Addressed {
    std::string name, kind, feature;
    bool custom_draw = false;
};

std::vector<Addressed> ParseList(const std::string &list)
{
    std::vector<Addressed> out;
    size_t at = 0;
    while (at < list.size()) {
        size_t bar = list.find('|', at);
        if (bar == std::string::npos)
            bar = list.size();
        std::string e = list.substr(at, bar - at);
        at = bar + 1;
        Addressed a;
        size_t p;
        if ((p = e.find("+cd")) != std::string::npos) {
            a.custom_draw = true;
            e.erase(p, 3);
        }
        if ((p = e.find('@')) != std::string::npos) {
            a.feature = e.substr(p + 1);
            e.erase(p);
        }
        if ((p = e.find(':')) != std::string::npos) {
            a.kind = e.substr(p + 1);
            e.erase(p);
        }
        a.name = e;
        out.push_back(a);
    }
    return out;
}

struct Layout {
    Screen *screen;
    const char *file;
    const char *comps;
    const char *shot;
};

class ShippedLayouts : public gametest::GameTest {
protected:
    void SetUp() override
    {
        GameTest::SetUp();
        // The whole program directory, so that the templates, fonts and art are the shipped ones.
        ASSERT_NO_FATAL_FAILURE(screentest::CopyProgramDir(ORVEX_CONTENT_DIR));
        StartGame(1024, 768);
        if (HasFatalFailure())
            return;
        flagmaster.initialised = false;
        flagmaster.Init();
        // The result screens submit scores; the shipped categories are read here.
        leaderboards_man.Initialize();
    }
    void TearDown() override
    {
        apptest::draw = nullptr;
        screentest::StopMenuServices();
        GameTest::TearDown();
    }
    // Loads the layout onto its screen and checks the addressed components.
    void CheckLayout(const Layout &l)
    {
        SCOPED_TRACE(l.file);
        ASSERT_TRUE(sman.PreloadScreen(l.screen));
        ASSERT_NE(l.screen->ui, nullptr);
        for (const Addressed &a : ParseList(l.comps)) {
            UIComp *comp = l.screen->GetComp(a.name.c_str());
            ASSERT_NE(comp, nullptr) << a.name;
            if (!a.kind.empty()) {
                EXPECT_STREQ(UIComp::GetCompTypeString(comp->type), a.kind.c_str()) << a.name;
            }
            if (a.custom_draw) {
                EXPECT_TRUE(comp->custom_draw) << a.name;
            }
            if (!a.feature.empty()) {
                ASSERT_NE(comp->required_features, nullptr) << a.name;
                EXPECT_NE(strstr(comp->required_features, a.feature.c_str()), nullptr) << a.name;
            }
        }
    }
    // Runs frames until the screens' transitions are over, saves the picture and returns it.
    widgettest::Frame Shoot(const char *name)
    {
        for (int i = 0; i < 30; i++) {
            flagmaster.Update(0.05f);
            sman.Update(0.05f);
            DrawFrame();
        }
        widgettest::Frame f = widgettest::ReadFrame();
        EXPECT_TRUE(widgettest::SavePng(f, enginetest::ShotPath("layouts", name)));
        return f;
    }
};

TEST_F(ShippedLayouts, MenusHoldTheirComponentsAndDraw)
{
    const Layout layouts[] = {
        {&screen_loading, "ui/loading.lua", "Banner+cd|Loader:Textbox|Windmill:Marker", "loading.png"},
        {&screen_main_menu, "ui/main-menu.lua", "Banner+cd|Play:Button|Extras:Button|Instructions:Button|"
                                                "Continue:Button|Quit:Button|Embers:Emitter",
         "main-menu.png"},
        {&screen_popup_load_game, "ui/popup-load-game.lua", "Yes:Button|No:Button", "popup-load-game.png"},
    };
    for (const Layout &l : layouts)
        CheckLayout(l);
    if (HasFatalFailure())
        return;
    // The loading screen, drawn without its worker: its text, the bullet and the banner
    // (made on entering).
    screen_loading.Enter();
    apptest::draw = screentest::DrawLoadingOnBlack;
    EXPECT_GT(LitPixels(Shoot("loading.png")), 50000);
    // The main menu as the stack shows it, then the prompt over it.
    apptest::draw = screentest::DrawStackOnBlack;
    sman.PushScreen(&screen_main_menu, 0);
    EXPECT_GT(LitPixels(Shoot("main-menu.png")), 50000);
    sman.PushScreen(&screen_popup_load_game, 0);
    EXPECT_GT(LitPixels(Shoot("popup-load-game.png")), 50000);
}

TEST_F(ShippedLayouts, ReinforcementPickHoldsItsComponentsAndDraws)
{
    Screen *pick = &GetPickReinforcementScreen();
    CheckLayout({pick, "ui/pick-reinforcement.lua",
                 "Minigun:Button|Shotgun:Button|Bazooka:Button|Pyro:Button|Sniper:Button|Level:Textbox",
                 "pick-reinforcement.png"});
    if (HasFatalFailure())
        return;
    apptest::draw = [](float dt) {
        ov->OV_ClearScreen(0.2f, 0.18f, 0.12f);
        sman.DrawScreens(dt);
    };
    sman.PushScreen(pick, 0);
    // Every class shown, as for a player who has them all.
    for (const char *name : {"Minigun", "Shotgun", "Bazooka", "Pyro", "Sniper"})
        pick->GetComp(name)->visible = true;
    EXPECT_GT(LitPixels(Shoot("pick-reinforcement.png")), 100000);
    sman.PopScreen(pick, false);
    pick->FreeUI();
    pick->preloaded.store(false);
}

// The briefing with every text filled as for a chapter mission and a picture of the
// briefing's size, and the battle's buttons over a plain field.
TEST_F(ShippedLayouts, BriefingAndBattleHoldTheirComponentsAndDraw)
{
    Screen *loader = &screen_loader_transition;
    Screen *battle = &screen_game;
    CheckLayout({loader, "ui/loader-transition.lua",
                 "text:Textbox|MissionName:Textbox|MissionDesc:Textbox|Chapter:Textbox|mission_number:Textbox|"
                 "MissionPic:Image|MissionPicFrames:NinePatch|panel",
                 "loader-transition.png"});
    CheckLayout({battle, "ui/game.lua",
                 "Pause:Button|PauseTime:Button|PauseTimeHighlight:Image|Progress:Marker|CheatMoney@DEVELOPER_MODE",
                 "game.png"});
    if (HasFatalFailure())
        return;
    const int kKeepPixels = 4;  // the cache mode the briefing loads its picture with
    widgettest::WritePng("missions/pics/shot.png", 480, 270, [](int x, int y) {
        return widgettest::Rgba{(uint8_t)(60 + x / 4), (uint8_t)(90 + y / 4), 70, 255};
    });
    static_cast<UICompImage *>(loader->GetComp("MissionPic"))->SetBitmap(ov->OV_LoadBitmap("missions/pics/shot.png", kKeepPixels));
    sman.SetText(loader->GetComp("Chapter"), "%s", "Chapter 1");
    sman.SetText(loader->GetComp("mission_number"), "%s", "Mission 3/10");
    sman.SetText(loader->GetComp("MissionName"), "%s", "Hold the Ridge");
    sman.SetText(loader->GetComp("MissionDesc"), "%s",
                 "They come over the ridge at dusk. Keep the bunker standing until the last wave breaks.");
    sman.SetText(loader->GetComp("text"), "%s", "Click to enter the battlefield");
    apptest::draw = [loader](float) {
        ov->OV_ClearScreen(0, 0, 0);
        loader->DrawUI();
    };
    EXPECT_GT(LitPixels(Shoot("loader-transition.png")), 300000);

    apptest::draw = [battle](float) {
        ov->OV_ClearScreen(0.35f, 0.3f, 0.2f);
        battle->DrawUI();
    };
    widgettest::Frame f = Shoot("game.png");
    // The two round buttons in the top corners are drawn over the field.
    auto off_field = [](const widgettest::Rgba &p) { return abs(p[0] - 89) + abs(p[1] - 76) + abs(p[2] - 51) > 60; };
    EXPECT_GE(widgettest::LitBox(f, 0, 0, 100, 100, off_field)[0], 0);
    EXPECT_GE(widgettest::LitBox(f, 1024 - 100, 0, 1023, 100, off_field)[0], 0);
    loader->FreeUI();
    loader->preloaded.store(false);
    battle->FreeUI();
    battle->preloaded.store(false);
}

// The shop with an item's texts shown as when one is chosen (the shelf stays empty: the
// catalogue is not part of the layout).
TEST_F(ShippedLayouts, ShopHoldsItsComponentsAndDraws)
{
    Screen *shop = &GetShopScreen();
    CheckLayout({shop, "ui/shop.lua",
                 "Buy:Button|Name:Textbox|Desc:Textbox|Cost:Textbox|OK:Button|Cheat:Button@DEVELOPER_MODE|"
                 "Money:Textbox|TrooperCount:Textbox|TF:TouchField|ItemsStart:Marker+cd|ClipUL|ClipBR|Bunker|"
                 "BunkerHP+cd|BunkerHPEnd|BunkerRepair|Health:Slider",
                 "shop.png"});
    if (HasFatalFailure())
        return;
    EXPECT_FALSE(shop->GetComp("Health")->interactive);
    apptest::draw = [](float dt) {
        ov->OV_ClearScreen(0.35f, 0.3f, 0.2f);
        sman.DrawScreens(dt);
    };
    sman.PushScreen(shop, 0);
    Shoot("shop.png");
    sman.SetText(shop->GetComp("Name"), "%s", "Rapid Spin");
    sman.SetText(shop->GetComp("Desc"), "%s", "The minigun spins up in half the time. Every minigunner gets it.");
    sman.SetText(shop->GetComp("Cost"), "%s", "Cost $600");
    widgettest::Frame f = Shoot("shop.png");
    EXPECT_GT(LitPixels(f), 300000);
    // The clip box lies inside the frame, the bar's end below and right of its start.
    vec2_t ul = shop->GetComp("ClipUL")->GetStaticPos(), br = shop->GetComp("ClipBR")->GetStaticPos();
    vec2_t hp = shop->GetComp("BunkerHP")->GetStaticPos(), end = shop->GetComp("BunkerHPEnd")->GetStaticPos();
    EXPECT_LT(ul.x, br.x);
    EXPECT_LT(ul.y, br.y);
    EXPECT_LT(hp.x, end.x);
    EXPECT_LT(hp.y, end.y);
    sman.PopScreen(shop, false);
    shop->FreeUI();
    shop->preloaded.store(false);
}

// The armoury with three troopers: their panels centred on the screen, each trooper's
// class icon above its weapon.
TEST_F(ShippedLayouts, ArmouryHoldsItsComponentsAndCentresTheSquad)
{
    Screen *arm = &GetArmTroopersScreen();
    CheckLayout({arm, "ui/arm-troopers.lua",
                 "choices_0|choices_1|choices_2|choices_3|choices_4|Trooper_0:Button|Trooper_1:Button|Trooper_2:Button|"
                 "Trooper_3:Button|Trooper_4:Button|Upgrade_0:Button|Upgrade_1:Button|Upgrade_2:Button|"
                 "Upgrade_3:Button|Upgrade_4:Button|Select:Button",
                 "arm-troopers.png"});
    if (HasFatalFailure())
        return;
    for (int k = 0; k < 5; k++) {
        const std::string slot = std::to_string(k);
        UIComp *trooper = arm->GetComp(("Trooper_" + slot).c_str());
        UIComp *upgrade = arm->GetComp(("Upgrade_" + slot).c_str());
        ASSERT_NE(trooper->parent, nullptr);
        EXPECT_STREQ(trooper->parent->name, ("choices_" + slot).c_str());
        EXPECT_EQ(upgrade->parent, trooper->parent);
    }
    const char *const types[] = {"MinigunTrooper", "ShotgunTrooper", "SniperTrooper", "", ""};
    for (int k = 0; k < 5; k++)
        sman.SendScreenMessage(nullptr, arm, std::to_string(k).c_str(), types[k]);
    apptest::draw = screentest::DrawStackOnBlack;
    sman.PushScreen(arm, 0);
    widgettest::Frame f = Shoot("arm-troopers.png");
    EXPECT_GT(LitPixels(f), 100000);
    // The middle one of three occupied panels stands at the screen's centre.
    vec2_t middle = arm->GetComp("Trooper_1")->GetCenterPos();
    EXPECT_NEAR(middle.x, 512.0f, 4.0f);
    EXPECT_FALSE(arm->GetComp("choices_3")->visible);
    sman.PopScreen(arm, false);
    arm->FreeUI();
    arm->preloaded.store(false);
}

// The free upgrade pick with an offer's texts shown; the first offer's selector lit.
TEST_F(ShippedLayouts, UpgradePickHoldsItsComponentsAndDraws)
{
    Screen *pick = &GetPickUpgradeScreen();
    CheckLayout({pick, "ui/pick-upgrade.lua",
                 "A:Button|B:Button|C:Button|SelectorA|SelectorB|SelectorC|Name:Textbox|Subtitle:Textbox|Desc:Textbox|"
                 "Minigun_Upgrades:Button|Bazooka_Upgrades:Button|Shotgun_Upgrades:Button|Pyro_Upgrades:Button|"
                 "Sniper_Upgrades:Button|Select:Button",
                 "pick-upgrade.png"});
    if (HasFatalFailure())
        return;
    apptest::draw = [](float dt) {
        ov->OV_ClearScreen(0.35f, 0.3f, 0.2f);
        sman.DrawScreens(dt);
    };
    sman.PushScreen(pick, 0);
    sman.SetText(pick->GetComp("Name"), "%s", "Field Medic");
    sman.SetText(pick->GetComp("Subtitle"), "%s", "Squad upgrade");
    sman.SetText(pick->GetComp("Desc"), "%s", "Every trooper heals a little between waves.");
    EXPECT_TRUE(pick->GetComp("SelectorA")->visible);
    EXPECT_FALSE(pick->GetComp("SelectorB")->visible);
    EXPECT_GT(LitPixels(Shoot("pick-upgrade.png")), 200000);
    sman.PopScreen(pick, false);
    pick->FreeUI();
    pick->preloaded.store(false);
}

// The weapon choice of a minigunner over a small catalogue drawn with the shipped shop
// icons: the standard weapon and three variants, locked (no profile owns them), the
// two unused slots hidden.
TEST_F(ShippedLayouts, WeaponChoiceHoldsItsComponentsAndDraws)
{
    apptest::WriteFile(
        "shop.xml",
        gametest::XmlArray(
            "Upgrades",
            "<node id=\"VANILLA_MinigunTrooper\" name=\"Standard Minigun\" desc=\"Six barrels, no fuss.\""
            " icon=\"shop/minigunstandard.png\"/>\n"
            "<node id=\"MG_POWER\" name=\"Heavy Barrels\" desc=\"Slower, harder hits.\" upgraded_ent_types=\"MinigunTrooper\""
            " icon=\"shop/minigunpower.png\"/>\n"
            "<node id=\"MG_AMMO\" name=\"Belt Feed\" desc=\"Longer bursts.\" upgraded_ent_types=\"MinigunTrooper\""
            " icon=\"shop/minigunammo.png\"/>\n"
            "<node id=\"MG_SAWED\" name=\"Short Barrels\" desc=\"Wide spray.\" upgraded_ent_types=\"MinigunTrooper\""
            " icon=\"shop/minigunsawedoff.png\"/>\n"));
    Screen *choose = &GetChooseUpgradeScreen();
    CheckLayout({choose, "ui/choose-upgrade.lua",
                 "Upgrade_0:Button|Upgrade_1:Button|Upgrade_2:Button|Upgrade_3:Button|Upgrade_4:Button|"
                 "Upgrade_5:Button|Upgrade_0_selector:Image|Upgrade_1_selector:Image|Upgrade_2_selector:Image|"
                 "Upgrade_3_selector:Image|Upgrade_4_selector:Image|Upgrade_5_selector:Image|Lock_1:Image|"
                 "Lock_2:Image|Lock_3:Image|Lock_4:Image|Lock_5:Image|Name:Textbox|Subtitle:Textbox|Desc:Textbox|"
                 "Select:Button",
                 "choose-upgrade.png"});
    if (HasFatalFailure())
        return;
    sman.SendScreenMessage(nullptr, choose, "trooper_type", "MinigunTrooper");
    apptest::draw = screentest::DrawStackOnBlack;
    sman.PushScreen(choose, 0);
    EXPECT_TRUE(choose->GetComp("Lock_1")->visible);
    EXPECT_FALSE(choose->GetComp("Upgrade_4")->visible);
    EXPECT_GT(LitPixels(Shoot("choose-upgrade.png")), 200000);
    sman.PopScreen(choose, false);
    choose->FreeUI();
    choose->preloaded.store(false);
    dman().ReleaseDatabase("shop.xml");
}

// The weapon choice's hint tells how a locked weapon opens, and that holds for the
// shipped campaign: every upgrade the choice lists is unlocked by a mission's win (the
// hint once sent the player to the shop, where locked weapons never open). The field
// shop's unlock notice tells of the shop.
TEST_F(ShippedLayouts, WeaponChoiceHintAndShopNoticeTellWhatOpensThem)
{
    Screen *choose = &GetChooseUpgradeScreen();
    ASSERT_TRUE(sman.PreloadScreen(choose));
    UICompTextbox *hint = dynamic_cast<UICompTextbox *>(choose->GetComp("Hint"));
    ASSERT_NE(hint, nullptr);
    const std::string text = hint->GetText() ? hint->GetText() : "";
    EXPECT_NE(text.find("win missions"), std::string::npos) << text;
    EXPECT_EQ(text.find("shop"), std::string::npos) << text;

    std::string unlocks;
    DMDatabase *missions = dman().GetDatabase("missions.xml");
    ASSERT_NE(missions, nullptr);
    for (int c = 0; c < missions->GetNumberOfArrays(); c++)
        for (int m = 0; m < missions->GetArray(c)->GetSize(); m++)
            if (const char *u = missions->GetArray(c)->GetNode(m)->GetValue("unlocks"))
                unlocks += std::string(",") + u;
    unlocks += ",";
    DMArray *catalogue = dman().GetArray("shop.xml", "Upgrades");
    ASSERT_NE(catalogue, nullptr);
    int upgrades = 0;
    for (int i = 0; i < catalogue->GetSize(); i++) {
        DMNode *n = catalogue->GetNode(i);
        if (!n->GetValue("upgraded_ent_types"))
            continue;
        upgrades++;
        EXPECT_NE(unlocks.find(std::string(",") + n->id + ","), std::string::npos)
            << n->id << " is opened by no mission";
    }
    EXPECT_GE(upgrades, 25);
    // The field shop's notice tells of the shop it opens, not of coins, which drop from
    // the first mission on.
    const char *shop_notice = catalogue->GetNodeValue("POWERUP_MONEY", "desc");
    ASSERT_NE(shop_notice, nullptr);
    EXPECT_NE(strstr(shop_notice, "shop"), nullptr) << shop_notice;
    EXPECT_EQ(strstr(shop_notice, "now drop"), nullptr) << shop_notice;
    choose->FreeUI();
    choose->preloaded.store(false);
}

// The trooper cards and battle summary every result screen shows.
const char kCards[] =
    "trooper_0_damage:Textbox|trooper_1_damage:Textbox|trooper_2_damage:Textbox|trooper_3_damage:Textbox|"
    "trooper_4_damage:Textbox|trooper_0_kills:Textbox|trooper_1_kills:Textbox|trooper_2_kills:Textbox|"
    "trooper_3_kills:Textbox|trooper_4_kills:Textbox|trooper_0_shots:Textbox|trooper_1_shots:Textbox|"
    "trooper_2_shots:Textbox|trooper_3_shots:Textbox|trooper_4_shots:Textbox|trooper_0_image:Image|"
    "trooper_1_image:Image|trooper_2_image:Image|trooper_3_image:Image|trooper_4_image:Image|"
    "trooper_0_image_weapon:Image|trooper_1_image_weapon:Image|trooper_2_image_weapon:Image|"
    "trooper_3_image_weapon:Image|trooper_4_image_weapon:Image|timespent_value|alienskilled_value|Wave";

// Fills the cards as the result screens do for a squad of five at the end of a battle.
void FillCards(Screen *screen)
{
    const char *const classes[] = {"minigun", "shotgun", "bazooka", "pyro", "sniper"};
    for (int k = 0; k < 5; k++) {
        const std::string card = "trooper_" + std::to_string(k);
        screen->GetComp(card.c_str())->visible = true;
        static_cast<UICompImage *>(screen->GetComp((card + "_image").c_str()))
            ->SetBitmap((std::string("shop/") + classes[k] + ".png").c_str());
        static_cast<UICompImage *>(screen->GetComp((card + "_image_weapon").c_str()))
            ->SetBitmap((std::string("shop/") + classes[k] + "standard.png").c_str());
        sman.SetText(screen->GetComp((card + "_damage").c_str()), "Dmg: |#ff5a50|%d|#ffffff|", 1200 + 310 * k);
        sman.SetText(screen->GetComp((card + "_kills").c_str()), "Kills: |#ff5a50|%d|#ffffff|", 14 + 3 * k);
        sman.SetText(screen->GetComp((card + "_shots").c_str()), "Shots: |#ff5a50|%d|#ffffff|", 420 + 37 * k);
    }
    sman.SetText(screen->GetComp("timespent_value"), "%s", "4:32");
    sman.SetText(screen->GetComp("alienskilled_value"), "%d", 87);
    sman.SetText(screen->GetComp("Wave"), "%d", 6);
}

TEST_F(ShippedLayouts, LostMissionHoldsItsComponentsAndDraws)
{
    Screen *lost = GetLevelLostScreen();
    CheckLayout({lost, "ui/level-lost.lua", (std::string(kCards) + "|Retry:Button|Quit:Button").c_str(),
                 "level-lost.png"});
    if (HasFatalFailure())
        return;
    apptest::draw = screentest::DrawStackOnBlack;
    sman.PushScreen(lost, 0);
    FillCards(lost);
    widgettest::Frame f = Shoot("level-lost.png");
    EXPECT_GT(LitPixels(f), 200000);
    // Every card lies on the screen, the last one's right edge included.
    UIComp *last = lost->GetComp("trooper_4");
    EXPECT_LE(last->GetAlignedPos().x + last->width, 1024.0f);
    EXPECT_GE(lost->GetComp("trooper_0")->GetAlignedPos().x, 0.0f);
    sman.PopScreen(lost, false);
    lost->FreeUI();
    lost->preloaded.store(false);
}

// The won mission with three stars: the flag over the title, the stars lit in turn.
TEST_F(ShippedLayouts, WonMissionHoldsItsComponentsAndLightsItsStars)
{
    Screen *won = GetLevelWonScreen();
    CheckLayout({won, "ui/level-won.lua",
                 (std::string(kCards) + "|Continue:Button|Star_1:Image|Star_2:Image|Star_3:Image|Star_4:Image|"
                                        "Star_5:Image")
                     .c_str(),
                 "level-won.png"});
    if (HasFatalFailure())
        return;
    apptest::draw = screentest::DrawStackOnBlack;
    game.star_rating = 3;
    sman.PushScreen(won, 0);
    FillCards(won);
    for (int i = 0; i < 4; i++)
        Shoot("level-won.png");
    widgettest::Frame f = Shoot("level-won.png");
    EXPECT_GT(LitPixels(f), 200000);
    // Three stars lit, two left dim.
    EXPECT_FLOAT_EQ(won->GetComp("Star_3")->color.a, 1.0f);
    EXPECT_LT(won->GetComp("Star_4")->color.a, 1.0f);
    // The flag waves above the title: cloth colour at the top centre.
    auto cloth = [](const widgettest::Rgba &p) { return p[2] > 100 && p[2] > p[0] + 30; };
    EXPECT_GE(widgettest::LitBox(f, 412, 20, 612, 170, cloth)[0], 0);
    sman.PopScreen(won, false);
    won->FreeUI();
    won->preloaded.store(false);
    game.star_rating = 0;
}

// Two features unlocked after a mission, over a small catalogue drawn with the shipped
// shop icons: the icons spread about the centre, each selector on its icon.
TEST_F(ShippedLayouts, UnlockedFeaturesHoldTheirComponentsAndDraw)
{
    apptest::WriteFile(
        "shop.xml",
        gametest::XmlArray(
            "Upgrades",
            "<node id=\"SHOTGUN_TROOPER\" name=\"Shotgun Trooper\" desc=\"Close work, wide spread.\" type=\"Trooper\""
            " icon=\"shop/shotgun.png\"/>\n"
            "<node id=\"MG_AMMO\" name=\"Belt Feed\" desc=\"Longer bursts before the reload.\""
            " upgraded_ent_types=\"MinigunTrooper\" icon=\"shop/minigunammo.png\"/>\n"));
    Screen *unlocked = GetFeatureUnlockedScreen();
    CheckLayout({unlocked, "ui/feature-unlocked.lua",
                 "FeatureIcon_0:Button|FeatureIcon_1:Button|FeatureIcon_2:Button|feature_0_selector|feature_1_selector|"
                 "feature_2_selector|FeatureCount:Textbox|FeatureName:Textbox|FeatureDesc:Textbox|FeatureFor:Textbox|"
                 "Pick text:Textbox|Continue:Button",
                 "feature-unlocked.png"});
    if (HasFatalFailure())
        return;
    sman.SendScreenMessage(nullptr, unlocked, "UNLOCK_FEAT_0", "SHOTGUN_TROOPER");
    sman.SendScreenMessage(nullptr, unlocked, "UNLOCK_FEAT_1", "MG_AMMO");
    apptest::draw = screentest::DrawStackOnBlack;
    sman.PushScreen(unlocked, 0);
    widgettest::Frame f = Shoot("feature-unlocked.png");
    EXPECT_GT(LitPixels(f), 200000);
    vec2_t a = unlocked->GetComp("FeatureIcon_0")->GetCenterPos();
    vec2_t b = unlocked->GetComp("FeatureIcon_1")->GetCenterPos();
    EXPECT_NEAR((a.x + b.x) / 2.0f, 512.0f, 4.0f);
    EXPECT_LT(a.x + 60.0f, b.x);
    vec2_t ring = unlocked->GetComp("feature_1_selector")->GetCenterPos();
    EXPECT_NEAR(ring.x, b.x, 2.0f);
    EXPECT_NEAR(ring.y, b.y, 2.0f);
    sman.PopScreen(unlocked, false);
    unlocked->FreeUI();
    unlocked->preloaded.store(false);
    dman().ReleaseDatabase("shop.xml");
}

// The leaderboards over the shipped categories and ranks, with a few local scores of the
// campaign among the ranks.
TEST_F(ShippedLayouts, LeaderboardsHoldTheirComponentsAndDraw)
{
    ScreenLeaderboards *boards = GetLeaderboardsScreen();
    CheckLayout({boards, "ui/fw/leaderboards.lua",
                 "CategoryTitle:Textbox|NextCategory:Button|PrevCategory:Button|GameCenter@GAME_CENTER|Download:Button|"
                 "Submit50@DEVELOPER_MODE|Scores+cd|Scissor|TF:TouchField|Back:Button",
                 "leaderboards.png"});
    if (!HasFatalFailure()) {
        // The list scrolls with the field: the scores are its child.
        ASSERT_NE(boards->GetComp("Scores")->parent, nullptr);
        EXPECT_STREQ(boards->GetComp("Scores")->parent->name, "TF");
        // The list is written in the screen manager's default font (the list's own test
        // sets it the same way).
        sman.default_font = ov->OV_GetFont("fonts/medium.mft");
        // Three won missions: the player's campaign total is one row that rises.
        if (!prof)
            profile_man().CreateNewProfile();
        ASSERT_NE(prof, nullptr);
        prof->SetName("Rook");
        for (int stars : {3, 8, 15})
            leaderboards_man.SubmitScore("CAMPAIGN", stars, 600000);
        apptest::draw = screentest::DrawStackOnBlack;
        sman.SendScreenMessage(nullptr, boards, "SetCategory", "CAMPAIGN");
        ASSERT_NE(boards->client, nullptr);
        ASSERT_EQ(boards->client->GetNumberOfScores(), 1);
        EXPECT_EQ(boards->client->GetScoreByIndex(0)->points, 15);
        sman.PushScreen(boards, 0);
        EXPECT_GT(LitPixels(Shoot("leaderboards.png")), 200000);
        sman.PopScreen(boards, false);
        sman.default_font = nullptr;
    }
    boards->FreeUI();
    boards->preloaded.store(false);
    boards->client = nullptr;
    boards->categories = nullptr;
    boards->db = nullptr;
}

// The end of a score mission: the score page, then the squad page the grid turns to, with
// the buttons risen under it.
TEST_F(ShippedLayouts, ScoreMissionEndHoldsItsComponentsAndTurnsItsPages)
{
    Screen *over = GetGameOverScreen();
    CheckLayout({over, "ui/game-over.lua",
                 (std::string(kCards) +
                  "|Result:Textbox|Score:Textbox|Page1|Page2|InfoBox|ScoreBox|RankBox|troopers|ButtonGroup|"
                  "ButtonGroup2|HiScoreAward|facebook@FACEBOOK|custom_gfx_3|custom_gfx_4|Left:Button|Right:Button|"
                  "TF:TouchGrid|Retry:Button|Menu:Button|Leaderboards:Button")
                     .c_str(),
                 "game-over.png"});
    if (HasFatalFailure())
        return;
    apptest::draw = screentest::DrawStackOnBlack;
    game.score = 18450;
    sman.PushScreen(over, 0);
    sman.SetText(over->GetComp("Result"), "%s", "They broke through at last.");
    widgettest::Frame first = Shoot("game-over.png");
    EXPECT_GT(LitPixels(first), 200000);
    // The score page sits on the screen, the squad page to its right.
    EXPECT_NEAR(over->GetComp("Page1")->GetCenterPos().x, 512.0f, 4.0f);
    EXPECT_NEAR(over->GetComp("Page2")->GetCenterPos().x, 1536.0f, 4.0f);
    FillCards(over);
    for (int i = 0; i < 4; i++)
        Shoot("game-over-squad.png");
    widgettest::Frame second = Shoot("game-over-squad.png");
    EXPECT_GT(LitPixels(second), 200000);
    EXPECT_NEAR(over->GetComp("Page2")->GetCenterPos().x, 512.0f, 4.0f);
    EXPECT_NEAR(over->GetComp("Retry")->GetCenterPos().y, 0.88f * 768.0f, 4.0f);
    sman.PopScreen(over, false);
    over->FreeUI();
    over->preloaded.store(false);
    game.score = 0;
}

}  // namespace
