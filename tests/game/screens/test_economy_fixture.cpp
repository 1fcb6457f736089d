// The economy fixture (see test_economy_fixture.h).
#include "tests/support/headless_engine.h"
#include "tests/game/screens/test_economy_fixture.h"

#include "tests/app/ui/widget_fixture.h"

#include "app/services/dataman.h"
#include "app/ui/screen-manager.h"
#include "app/ui/ui-comps.h"
#include "app/ui/widgets/ui-button.h"
#include "app/ui/widgets/ui-textbox.h"
#include "game/economy.h"
#include "game/entities/entity.h"
#include "game/entities/stock.h"
#include "game/scape.h"
#include "game/screens/pick-reinforcement.h"
#include "game/screens/pick-upgrade.h"
#include "game/screens/shop.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <sstream>
#include <vector>

namespace hl = ovdev::headless;

namespace economytest {

// Items: REPAIR_BUNKER (300 x 1.5 per copy, wants a damaged bunker), BUNKER_FORCEFIELD
// (12 s), MINIGUN_TROOPER (120 shows 100), ARMOR_1 and its follower ARMOR_2 (a "level"
// item), RADAR (with a second feature), MEDKIT (wants a wounded trooper), LOCKED (never
// unlocked by the tests), the minigun class with two variants, and a note whose text
// names the bunker's health twice.
const char *const kCatalogue =
    "<node id=\"REPAIR_BUNKER\" name=\"Repair\" desc=\"Mends the bunker\" price=\"300\""
    " price_increase_multiplier=\"1.5\" flags=\"MULTIPICKABLE\" requires=\"=BUNKER_DAMAGED\" icon=\"shop/red.png\"/>\n"
    "<node id=\"BUNKER_FORCEFIELD\" name=\"Field\" desc=\"A shield\" price=\"500\" flags=\"MULTIPICKABLE\""
    " forcefield_duration=\"12\" icon=\"shop/blue.png\"/>\n"
    "<node id=\"MINIGUN_TROOPER\" name=\"Minigunner\" desc=\"One more gun\" price=\"120\" flags=\"MULTIPICKABLE\""
    " requires=\"=CAN_SPAWN_MORE_TROOPERS\" icon=\"shop/green.png\"/>\n"
    "<node id=\"ARMOR_1\" name=\"Armor\" desc=\"Thicker walls\" price=\"1000\" icon=\"shop/white.png\"/>\n"
    "<node id=\"ARMOR_2\" name=\"Armor II\" desc=\"Thicker still\" price=\"1500\" requires=\"ARMOR_1\" level=\"II\""
    " icon=\"shop/white.png\"/>\n"
    "<node id=\"RADAR\" name=\"Radar\" desc=\"See them come\" price=\"400\" additional_feature=\"RADAR_EXTRA\""
    " icon=\"shop/white.png\"/>\n"
    "<node id=\"MEDKIT\" name=\"Medkit\" desc=\"Patch them up\" price=\"250\" requires=\"=TROOPERS_WOUNDED\""
    " icon=\"shop/white.png\"/>\n"
    "<node id=\"LOCKED\" name=\"Locked\" desc=\"Not yours\" price=\"100\"/>\n"
    "<node id=\"VANILLA_MinigunTrooper\" name=\"Minigun Trooper\" desc=\"Plain\" desc2=\" and simple\""
    " icon=\"shop/green.png\"/>\n"
    "<node id=\"MG_FAST\" name=\"Fast Spin\" desc=\"Spins up\" desc2=\" quicker\" upgraded_ent_types=\"MinigunTrooper\""
    " additional_feature=\"MINIGUN_TROOPER_UPGRADE\" icon=\"shop/blue.png\"/>\n"
    "<node id=\"MG_HEAVY\" name=\"Heavy Rounds\" desc=\"Hits hard\" upgraded_ent_types=\"MinigunTrooper\""
    " icon=\"shop/red.png\"/>\n"
    "<node id=\"NOTE\" name=\"Note\" desc=\"Bunker at %BUNKER_HEALTH%%, was %BUNKER_HEALTH%%\"/>\n";

namespace {

const char *const kTypes =
    "<node id=\"MinigunTrooper\" flags=\"NORMAL MOVABLE\" friend_group=\"PLAYERS\" radius=\"10\" scale=\"1\""
    " hit_points=\"100\"/>\n"
    "<node id=\"ShotgunTrooper\" flags=\"NORMAL MOVABLE\" friend_group=\"PLAYERS\" radius=\"10\" scale=\"1\""
    " hit_points=\"100\"/>\n"
    "<node id=\"BazookaTrooper\" flags=\"NORMAL MOVABLE\" friend_group=\"PLAYERS\" radius=\"10\" scale=\"1\""
    " hit_points=\"100\"/>\n"
    "<node id=\"PyroTrooper\" flags=\"NORMAL MOVABLE\" friend_group=\"PLAYERS\" radius=\"10\" scale=\"1\""
    " hit_points=\"100\"/>\n"
    "<node id=\"SniperTrooper\" flags=\"NORMAL MOVABLE\" friend_group=\"PLAYERS\" radius=\"10\" scale=\"1\""
    " hit_points=\"100\"/>\n"
    "<node id=\"Alien\" flags=\"NORMAL MOVABLE\" friend_group=\"ENEMIES\" radius=\"10\" scale=\"1\""
    " hit_points=\"50\"/>\n"
    "<node id=\"BaseBunker\" type=\"Structure\" flags=\"NORMAL BLOCKS_MOVEMENT\" friend_group=\"PLAYERS\""
    " radius=\"40\" scale=\"1\" hit_points=\"1000\"/>\n";

std::string Comp(const char *type, const char *name, int x, int y, const char *extra = "")
{
    std::ostringstream s;
    s << "CreateComp('" << type << "', '" << name << "')\nSetProperty('position_type', 'ABSOLUTE')\n"
      << "SetProperty('position', " << x << ", " << y << ")\n"
      << extra;
    return s.str();
}

std::string Button(const char *name, int x, int y)
{
    std::string extra = "SetProperty('button.bm_idle', 'ui/button.png')\nSetProperty('button.font', 'fonts/small.mft')\n"
                        "SetProperty('button.text', '" +
                        std::string(name) + "')\n";
    return Comp("Button", name, x, y, extra.c_str());
}

std::string Text(const char *name, int x, int y)
{
    return Comp("Textbox", name, x, y, "SetProperty('textbox.font', 'fonts/medium.mft')\n");
}

std::string ShopScript()
{
    std::string s;
    s += Comp("TouchField", "TF", 100, 100,
              "SetProperty('touchfield.area_width', 600)\nSetProperty('touchfield.area_height', 150)\n");
    s += Comp("Marker", "ItemsStart", 100, 100, "SetProperty('custom_draw', 1)\n");
    s += Comp("Marker", "ClipUL", 100, 90) + Comp("Marker", "ClipBR", 700, 260);
    s += Comp("Marker", "Bunker", 900, 600);
    s += Comp("Marker", "BunkerHP", 700, 700, "SetProperty('custom_draw', 1)\n");
    s += Comp("Marker", "BunkerHPEnd", 1000, 720) + Comp("Marker", "BunkerRepair", 850, 750);
    s += Comp("Slider", "Health", 100, 700);
    s += Button("Buy", 850, 300) + Button("OK", 850, 400) + Button("Cheat", 850, 500);
    s += Text("Name", 100, 320) + Text("Desc", 100, 360) + Text("Cost", 100, 400);
    s += Text("Money", 100, 40) + Text("TrooperCount", 500, 40);
    return s;
}

std::string ReinforcementScript()
{
    std::string s;
    int i = 0;
    for (const char *name : {"Minigun", "Shotgun", "Bazooka", "Pyro", "Sniper"})
        s += Button(name, 100 + 150 * i++, 300);
    return s + Text("Level", 100, 100);
}

std::string ArmScript()
{
    std::string s;
    char name[32];
    for (int k = 0; k < 5; k++) {
        snprintf(name, sizeof name, "Trooper_%i", k);
        s += Button(name, 100 + 150 * k, 200);
        snprintf(name, sizeof name, "Upgrade_%i", k);
        s += Button(name, 100 + 150 * k, 300);
        snprintf(name, sizeof name, "choices_%i", k);
        s += Comp("Marker", name, 40 + 10 * k, 400);
    }
    return s + Button("Select", 500, 600);
}

std::string ChooseScript()
{
    std::string s;
    char name[32];
    for (int k = 0; k < 6; k++) {
        snprintf(name, sizeof name, "Upgrade_%i", k);
        s += Button(name, 100 + 140 * k, 200);
        snprintf(name, sizeof name, "Upgrade_%i_selector", k);
        s += Comp("Marker", name, 100 + 140 * k, 260);
        if (k > 0) {
            snprintf(name, sizeof name, "Lock_%i", k);
            s += Comp("Marker", name, 100 + 140 * k, 200);
        }
    }
    s += Text("Name", 100, 380) + Text("Subtitle", 100, 420) + Text("Desc", 100, 460);
    return s + Button("Select", 500, 600);
}

std::string PickScript()
{
    std::string s = Button("A", 200, 200) + Button("B", 400, 200) + Button("C", 600, 200);
    s += Comp("Marker", "SelectorA", 200, 260) + Comp("Marker", "SelectorB", 400, 260) +
         Comp("Marker", "SelectorC", 600, 260);
    s += Text("Name", 100, 300) + Text("Subtitle", 100, 340) + Text("Desc", 100, 380);
    int i = 0;
    for (const char *t : {"Minigun_Upgrades", "Bazooka_Upgrades", "Shotgun_Upgrades", "Pyro_Upgrades", "Sniper_Upgrades"})
        s += Button(t, 100 + 150 * i++, 500);
    return s + Button("Select", 500, 650);
}

void Solid(const std::string &name, int w, int h, const widgettest::Rgba &colour)
{
    widgettest::WritePng(name, w, h, [&](int, int) { return colour; });
}

// Built on first use, inside a test (never during static initialisation).
std::vector<Screen *> AllScreens()
{
    return {&GetShopScreen(), &GetPickReinforcementScreen(), &GetArmTroopersScreen(), &GetChooseUpgradeScreen(),
            &GetPickUpgradeScreen()};
}

}  // namespace

void WriteScreenScripts()
{
    apptest::WriteFile("ui/shop.lua", ShopScript());
    apptest::WriteFile("ui/pick-reinforcement.lua", ReinforcementScript());
    apptest::WriteFile("ui/arm-troopers.lua", ArmScript());
    apptest::WriteFile("ui/choose-upgrade.lua", ChooseScript());
    apptest::WriteFile("ui/pick-upgrade.lua", PickScript());
}

void EconomyTest::SetUp()
{
    GameTest::SetUp();
}

void EconomyTest::TearDown()
{
    if (screens_started_) {
        // The screens live for the process: their layouts go with this engine run.
        for (Screen *screen : AllScreens()) {
            if (sman.IsScreenInStack(screen))
                sman.PopScreen(screen, false);
            screen->FreeUI();
            screen->preloaded.store(false);
        }
    }
    screens_started_ = false;
    if (prof == &profile)
        prof = nullptr;
    GameTest::TearDown();
}

void EconomyTest::StartEconomy(const std::string &catalogue_nodes)
{
    StartGame(1024, 768);
    WriteEntities(kTypes);
    apptest::WriteFile(SHOP_FILE, gametest::XmlArray(SHOP_ARRAY, catalogue_nodes));
    dman().ReleaseDatabase(SHOP_FILE);
    Solid("ui/button.png", 100, 40, {90, 90, 90, 255});
    Solid("shop/red.png", 64, 64, {255, 0, 0, 255});
    Solid("shop/green.png", 64, 64, {0, 255, 0, 255});
    Solid("shop/blue.png", 64, 64, {0, 0, 255, 255});
    Solid("shop/white.png", 64, 64, {255, 255, 255, 255});
    Solid("shop/shop-selector.png", 90, 20, {255, 255, 0, 255});
    for (const char *icon : {"shop/minigun.png", "shop/bazooka.png", "shop/shotgun.png", "shop/pyro.png",
                             "shop/sniper.png"})
        Solid(icon, 32, 32, {200, 200, 200, 255});
    WriteScreenScripts();
    widgettest::InstallFonts();
    MakeWorld();
    profile.Reset("1.xml");
    prof = &profile;
    game.money = 0;
    game.money_enabled = 1;
    game.squad_size = 3;
    snprintf(game.parms.chapter_id, sizeof game.parms.chapter_id, "%s", "CHAPTER2");
    for (Screen *screen : AllScreens()) {
        screen->preloaded.store(false);
        ASSERT_TRUE(Screen::PreLoadScreen(screen)) << screen->GetName();
    }
    screens_started_ = true;
    sman.all_screens_preloaded.store(true);
}

void EconomyTest::Unlock(const char *ids)
{
    std::istringstream in(ids);
    std::string id;
    while (in >> id)
        profile.AddTag("features", id.c_str());
}

Entity *EconomyTest::Spawn(const char *type, float x, float y)
{
    return world->SpawnEntity(world->stock->GetEntityType(type), vec2_t{x, y});
}

Entity *EconomyTest::MakeBunker(float hp)
{
    Entity *bunker = Spawn("BaseBunker", 900.0f, 600.0f);
    if (bunker) {
        bunker->hit_points = hp;
        game.base = bunker;
    }
    return bunker;
}

void EconomyTest::Troopers(int n)
{
    for (int i = 0; i < n; i++)
        Spawn("MinigunTrooper", 200.0f + 30.0f * (float)i, 500.0f);
    game.living_troopers += n;
    if (game.most_troopers_held < game.living_troopers)
        game.most_troopers_held = game.living_troopers;
}

DMArray *EconomyTest::Catalogue()
{
    return dman().GetArray(SHOP_FILE, SHOP_ARRAY);
}

void EconomyTest::Open(Screen *screen)
{
    sman.PushScreen(screen, 0);
    Steps(25, 0.02f);
    ASSERT_GE(screen->trans_phase, 0.999f);
}

void EconomyTest::Tap(int x, int y)
{
    ASSERT_TRUE(hl::inject_touch(hl::TouchPhase::Down, 0, x, y));
    PumpFrame();
    ASSERT_TRUE(hl::inject_touch(hl::TouchPhase::Up, 0, x, y));
    PumpFrame();
}

void EconomyTest::Key(int symbol)
{
    ASSERT_TRUE(hl::inject_key(symbol, true));
    PumpFrame();
    ASSERT_TRUE(hl::inject_key(symbol, false));
    PumpFrame();
}

void EconomyTest::Shot(const char *file)
{
    DrawFrame();
    widgettest::SavePng(widgettest::ReadFrame(), enginetest::ShotPath("economy", file));
}

vec2_t EconomyTest::Centre(Screen *screen, const char *comp)
{
    UIComp *c = screen->GetComp(comp);
    return c ? c->GetCenterPos() : vec2_t{-1.0f, -1.0f};
}

std::string EconomyTest::TextOf(Screen *screen, const char *comp)
{
    UIComp *c = screen->GetComp(comp);
    if (UICompTextbox *t = dynamic_cast<UICompTextbox *>(c))
        return t->GetText();
    if (UICompButton *b = dynamic_cast<UICompButton *>(c))
        return b->text ? b->text : "";
    return "";
}

}  // namespace economytest
