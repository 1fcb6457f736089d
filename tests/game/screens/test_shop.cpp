// The shop through injected touches and keys on the headless engine: which taps select
// what, the refused purchase with its blinking money, the bought item's flight to the
// bunker and its follower, "OK", the developer keys and "Cheat", a trooper purchase;
// then pixels read back: the bunker bar's colours and an unmet item at 40 % alpha.
#include "tests/support/headless_engine.h"
#include "tests/game/screens/test_economy_fixture.h"
#include "tests/app/ui/widget_fixture.h"

#include "app/services/prog.h"
#include "app/ui/screen-manager.h"
#include "app/ui/ui-comps.h"
#include "app/ui/widgets/ui-slider.h"
#include "app/ui/widgets/ui-touchfield.h"
#include "game/entities/entity.h"
#include "game/entities/stock.h"
#include "game/scape.h"
#include "game/screens/shop.h"

#include <gtest/gtest.h>
#include <math.h>
#include <sys/stat.h>

#include <string>
#include <vector>

namespace {

using economytest::EconomyTest;

class ShopTest : public EconomyTest {
protected:
    void SetUp() override
    {
        EconomyTest::SetUp();
        StartEconomy();
        prog.parms.developer_mode = 0;  // whatever the engine's settings said
        Unlock("REPAIR_BUNKER BUNKER_FORCEFIELD MINIGUN_TROOPER ARMOR_1 ARMOR_2 RADAR MEDKIT");
        bunker = MakeBunker(1000.0f);
    }
    void TearDown() override
    {
        prog.parms.developer_mode = 0;
        EconomyTest::TearDown();
    }
    ScreenShop &Shop() { return GetShopScreen(); }
    std::vector<std::string> Ids()
    {
        std::vector<std::string> ids;
        for (int i = 0; i < Shop().list.count; i++)
            ids.push_back(Shop().list.items[i].id);
        return ids;
    }
    void TapItem(int i) { Tap((int)Shop().list.items[i].x, (int)Shop().list.items[i].y); }
    void TapComp(const char *name)
    {
        vec2_t c = Centre(&Shop(), name);
        Tap((int)c.x, (int)c.y);
    }
    const char *Selected() { return Shop().selected ? Shop().selected->id : nullptr; }
    float MoneyAlpha() { return Shop().GetComp("Money")->alpha; }

    Entity *bunker = nullptr;
};

TEST_F(ShopTest, EnteringBuildsTheListAndTheTexts)
{
    game.money = 1234;
    game.living_troopers = 1;
    Open(&Shop());
    EXPECT_EQ((std::vector<std::string>{"BUNKER_FORCEFIELD", "MINIGUN_TROOPER", "ARMOR_1", "RADAR"}), Ids());
    EXPECT_EQ(nullptr, Shop().selected);
    EXPECT_FALSE(Shop().GetComp("Buy")->visible);
    EXPECT_EQ("", TextOf(&Shop(), "Name"));
    EXPECT_EQ("$1,234", TextOf(&Shop(), "Money"));
    EXPECT_EQ("Troopers: 1 of 3", TextOf(&Shop(), "TrooperCount"));
    UICompTouchField *tf = dynamic_cast<UICompTouchField *>(Shop().GetComp("TF"));
    ASSERT_NE(nullptr, tf);
    EXPECT_FLOAT_EQ(300.0f + 140.0f, tf->content_width);  // items 150 .. 450
    bunker->hit_points = 250.0f;
    Run(1, 0.02f);
    EXPECT_FLOAT_EQ(0.25f, dynamic_cast<UICompSlider *>(Shop().GetComp("Health"))->value);
}

TEST_F(ShopTest, WithoutItemsTheFieldIs140Wide)
{
    profile.Reset("1.xml");  // nothing unlocked
    Open(&Shop());
    EXPECT_EQ(0, Shop().list.count);
    EXPECT_EQ("Nothing for sale yet: winning missions stocks the field shop.", TextOf(&Shop(), "Desc"));
    EXPECT_FLOAT_EQ(140.0f, dynamic_cast<UICompTouchField *>(Shop().GetComp("TF"))->content_width);
    TapComp("Buy");  // hidden, and nothing to buy
    EXPECT_EQ(0, game.money_spent);
}

// A shelf left empty by the battle says why: each unlocked item's first unmet
// requirement, once; what opens up fills the shelf and the note goes.
TEST_F(ShopTest, EmptyShelfSaysWhyNothingIsForSale)
{
    profile.Reset("1.xml");
    Unlock("REPAIR_BUNKER MINIGUN_TROOPER MEDKIT");
    game.squad_size = 2;
    game.living_troopers = 2;
    Open(&Shop());
    EXPECT_EQ(0, Shop().list.count);
    EXPECT_EQ("", TextOf(&Shop(), "Name"));
    EXPECT_EQ("Nothing for sale now: the bunker needs no repair, the squad is full and no trooper is wounded.",
              TextOf(&Shop(), "Desc"));
    TapComp("OK");
    Run(40, 0.02f);  // closed
    bunker->hit_points = 500.0f;
    Open(&Shop());
    EXPECT_EQ((std::vector<std::string>{"REPAIR_BUNKER"}), Ids());
    EXPECT_EQ("", TextOf(&Shop(), "Desc"));
}

TEST_F(ShopTest, SelectionRules)
{
    game.money = 450;
    Open(&Shop());
    TapItem(0);
    EXPECT_STREQ("BUNKER_FORCEFIELD", Selected());
    EXPECT_TRUE(Shop().GetComp("Buy")->visible);
    EXPECT_EQ("Field", TextOf(&Shop(), "Name"));
    EXPECT_EQ("A shield", TextOf(&Shop(), "Desc"));
    EXPECT_EQ("Cost $500", TextOf(&Shop(), "Cost"));

    // Beside every item: nothing changes.
    Tap(150, 300);
    EXPECT_STREQ("BUNKER_FORCEFIELD", Selected());

    // An item whose requirements no longer hold is not selected.
    game.living_troopers = 3;
    TapItem(1);
    EXPECT_STREQ("BUNKER_FORCEFIELD", Selected());
    game.living_troopers = 0;
    TapItem(1);
    EXPECT_STREQ("MINIGUN_TROOPER", Selected());

    // An unaffordable item is selected; "Buy" then refuses with the blink and the sound.
    TapItem(3);
    EXPECT_STREQ("RADAR", Selected());
    game.money = 395;
    int refusals = apptest::CountLogged("Playing sound sfx/not_enough_money");
    TapComp("Buy");
    EXPECT_EQ(refusals + 1, apptest::CountLogged("Playing sound sfx/not_enough_money"));
    EXPECT_EQ(395, game.money);
    EXPECT_STREQ("RADAR", Selected());
    EXPECT_GT(Shop().blink_timer, 1.4f);

    // A sold item takes no touches.
    game.money = 1000;
    TapItem(2);
    ASSERT_STREQ("ARMOR_1", Selected());
    TapComp("Buy");
    EXPECT_EQ(0, game.money);
    EXPECT_EQ(nullptr, Selected());
    EXPECT_FALSE(Shop().GetComp("Buy")->visible);
    ASSERT_TRUE(Shop().list.items[2].sold);
    TapItem(2);
    EXPECT_EQ(nullptr, Selected());
}

TEST_F(ShopTest, MoneyBlinksFor1point5Seconds)
{
    game.money = 100;
    Open(&Shop());
    TapItem(0);
    TapComp("Buy");
    ASSERT_GT(Shop().blink_timer, 0.0f);
    Shop().blink_timer = 1.5f;  // the taps' own frames ran on the engine clock
    Shop().RefreshMoney();
    EXPECT_FLOAT_EQ(0.0f, MoneyAlpha());  // 4 cos(9 pi) < 0
    struct Sample {
        float elapsed;
        float alpha;
    } samples[] = {
        {0.1f, 1.0f},    // 4 cos(8.4 pi) = 1.24 -> 1
        {0.25f, 0.0f},   // cos(7.5 pi) = 0
        {0.3f, 0.0f},    // 4 cos(7.2 pi) < 0
        {0.45f, 0.0f},   // cos(6.3 pi) * 4 = 2.35 -> but 1.05 s left: see below
    };
    samples[3].alpha = ScreenShop::BlinkAlpha(1.05f);
    float elapsed = 0.0f;
    for (const Sample &s : samples) {
        Run(1, s.elapsed - elapsed);
        elapsed = s.elapsed;
        EXPECT_NEAR(s.alpha, MoneyAlpha(), 1e-3f) << s.elapsed;
        EXPECT_NEAR(1.5f - s.elapsed, Shop().blink_timer, 1e-4f);
    }
    float lowest = 1.0f;
    while (elapsed < 1.49f) {
        Run(1, 0.01f);
        elapsed += 0.01f;
        lowest = fminf(lowest, MoneyAlpha());
    }
    EXPECT_FLOAT_EQ(0.0f, lowest);
    Run(1, 0.02f);
    EXPECT_FLOAT_EQ(0.0f, Shop().blink_timer);
    EXPECT_FLOAT_EQ(1.0f, MoneyAlpha());
}

TEST_F(ShopTest, BoughtItemFliesToTheBunkerAndItsFollowerFadesIn)
{
    game.money = 1000;
    Open(&Shop());
    TapItem(2);
    TapComp("Buy");
    ScreenShop::Item &item = Shop().list.items[2];
    ASSERT_TRUE(item.sold);
    item.leave_time = 0.0f;  // from the purchase on, on the test's clock
    vec2_t bunker_pos = Centre(&Shop(), "Bunker");
    ScreenShop::Flight start = ScreenShop::FlightOf(item, bunker_pos);
    EXPECT_FLOAT_EQ(item.x, start.x);
    EXPECT_FLOAT_EQ(item.y, start.y);
    EXPECT_FLOAT_EQ(1.0f, start.alpha);

    float t = 0.0f, dt = 1.0f / 100.0f;
    float last_alpha = 1.0f;
    while (Shop().list.items[2].sold && t < 2.0f) {
        ScreenShop::Flight f = ScreenShop::FlightOf(Shop().list.items[2], bunker_pos);
        EXPECT_LE(f.alpha, last_alpha + 1e-6f);
        last_alpha = f.alpha;
        Run(1, dt);
        t += dt;
    }
    EXPECT_NEAR(1.0f / 1.3f, t, 0.015f);  // about 0.77 s
    // The flight ends on the bunker component, faded out, at the frame of the refresh.
    ScreenShop::Item end = item;
    end.leave_time = 1.0f;
    ScreenShop::Flight f = ScreenShop::FlightOf(end, bunker_pos);
    EXPECT_NEAR(bunker_pos.x, f.x, 1e-3f);
    EXPECT_NEAR(bunker_pos.y, f.y, 1e-3f);
    EXPECT_FLOAT_EQ(0.0f, f.alpha);
    // Faded from its midway point: full alpha until e = 0.5.
    end.leave_time = 0.3f;
    EXPECT_FLOAT_EQ(1.0f, ScreenShop::FlightOf(end, bunker_pos).alpha);

    EXPECT_STREQ("ARMOR_2", Shop().list.items[2].id);
    EXPECT_LT(Shop().list.items[2].appear, 0.1f);
    Run(30, 0.02f);
    EXPECT_FLOAT_EQ(1.0f, Shop().list.items[2].appear);
}

TEST_F(ShopTest, ClicksAreIgnoredAfterOk)
{
    game.money = 5000;
    Open(&Shop());
    TapItem(0);
    TapComp("OK");
    EXPECT_TRUE(Shop().leaving);
    Shop().ProcessUICompClick(Shop().GetComp("Buy"), 0);
    EXPECT_EQ(5000, game.money);
    EXPECT_EQ(0, game.money_spent);
    Run(30, 0.02f);
    EXPECT_FALSE(sman.IsScreenInStack(&Shop()));
    // The next entry takes clicks again.
    Open(&Shop());
    TapItem(0);
    TapComp("Buy");
    EXPECT_EQ(4500, game.money);
}

TEST_F(ShopTest, TrooperPurchaseClosesTheShop)
{
    game.money = 1000;
    game.squad_size = 1;
    Open(&Shop());
    TapItem(1);
    ASSERT_STREQ("MINIGUN_TROOPER", Selected());
    TapComp("Buy");
    EXPECT_TRUE(Shop().leaving);
    EXPECT_EQ(1, world->GetNumberOfEntitiesOfType(world->stock->GetEntityType("MinigunTrooper")));
    EXPECT_EQ(900, game.money);
    Run(30, 0.02f);

    // At a full squad: refused, nothing charged, the shop stays.
    Open(&Shop());
    Shop().RefreshItems(0.0f, true);  // the item is not offered at a full squad
    Shop().Select(&Shop().list.items[2]);
    ASSERT_STREQ("MINIGUN_TROOPER", Selected());
    TapComp("Buy");
    EXPECT_FALSE(Shop().leaving);
    EXPECT_EQ(900, game.money);
    EXPECT_GT(Shop().blink_timer, 1.4f);
    EXPECT_EQ(1, world->GetNumberOfEntitiesOfType(world->stock->GetEntityType("MinigunTrooper")));
}

TEST_F(ShopTest, DeveloperKeysAndCheat)
{
    game.money = 10;
    Open(&Shop());
    Key('M');
    Key('R');
    TapComp("Cheat");
    EXPECT_EQ(10, game.money);
    EXPECT_EQ(4, Shop().list.count);
    EXPECT_FALSE(profile.TagExists("features", "LOCKED"));

    prog.parms.developer_mode = 1;
    Key('M');
    EXPECT_EQ(4010, game.money);
    EXPECT_EQ("$4,010", TextOf(&Shop(), "Money"));
    Key('R');
    EXPECT_EQ((std::vector<std::string>{"REPAIR_BUNKER", "BUNKER_FORCEFIELD", "MINIGUN_TROOPER", "ARMOR_1", "ARMOR_2",
                                        "RADAR", "MEDKIT"}),
              Ids());
    TapComp("Cheat");
    EXPECT_TRUE(profile.TagExists("features", "LOCKED"));
    EXPECT_TRUE(profile.TagExists("features", "NOTE"));
    // The enter step ran again: a full build with the new unlocks.
    EXPECT_EQ((std::vector<std::string>{"BUNKER_FORCEFIELD", "MINIGUN_TROOPER", "ARMOR_1", "RADAR", "LOCKED",
                                        "VANILLA_MinigunTrooper", "MG_FAST", "MG_HEAVY", "NOTE"}),
              Ids());
}

// Pixels of the drawn shop.
class ShopPixelTest : public ShopTest {
protected:
    widgettest::Frame Draw()
    {
        DrawFrame();
        return widgettest::ReadFrame();
    }
    void Shot(const widgettest::Frame &f, const char *name)
    {
        widgettest::SavePng(f, enginetest::ShotPath("economy", name));
    }
};

TEST_F(ShopPixelTest, BunkerBarColours)
{
    Open(&Shop());
    struct Case {
        float hp;
        widgettest::Rgba filled;
        int filled_to;  // bar from x = 700 to 1000
    } cases[] = {
        {1000.0f, {0, 204, 0, 255}, 1000},   // f = 1: green
        {500.0f, {204, 204, 0, 255}, 850},   // f = 0.5: yellow
        {200.0f, {204, 102, 0, 255}, 760},   // f = 0.2: orange-red
    };
    for (const Case &c : cases) {
        bunker->hit_points = c.hp;
        widgettest::Frame f = Draw();
        widgettest::Rgba inside = f.At(710, 710);
        for (int ch = 0; ch < 3; ch++)
            EXPECT_NEAR(c.filled[ch], inside[ch], 2) << c.hp << " channel " << ch;
        if (c.filled_to < 1000) {
            widgettest::Rgba rest = f.At(c.filled_to + 5, 710);
            EXPECT_LE(rest[0] + rest[1] + rest[2], 6) << c.hp;  // the black bar behind
        }
        if (c.hp == 500.0f)
            Shot(f, "shop-bunker-half.png");
    }
}

TEST_F(ShopPixelTest, UnmetItemAt40PercentAlpha)
{
    game.money = 5000;
    Open(&Shop());
    Shop().RefreshItems(0.0f, true);  // ARMOR_2 listed although ARMOR_1 is not owned
    ASSERT_EQ("ARMOR_2", Ids()[4]);
    ASSERT_EQ("ARMOR_1", Ids()[3]);
    game.living_troopers = 2;
    bunker->hit_points = 700.0f;
    game.pending_bunker_repair = 50.0f;
    Shop().Select(&Shop().list.items[1]);
    ScreenShop::Item &medkit = Shop().list.items[4];
    ScreenShop::Item &armor = Shop().list.items[3];
    Run(1, 0.02f);
    widgettest::Frame f = Draw();
    Shot(f, "shop.png");
    // White icons, centred 6 units below the item's centre ((64 - 77) / 2), sampled
    // away from the level mark and the price.
    widgettest::Rgba met = f.At((int)armor.x - 20, (int)armor.y - 10);
    widgettest::Rgba unmet = f.At((int)medkit.x - 20, (int)medkit.y - 10);
    EXPECT_EQ(0, f.At((int)armor.x - 20, (int)armor.y - 30)[0]);  // above the icon
    EXPECT_GE(met[0], 250);
    EXPECT_NEAR(0.4f * 255.0f, unmet[0], 3.0f);
    EXPECT_NEAR(0.4f * 255.0f, unmet[2], 3.0f);
    // A tap on it selects nothing: the selection stays.
    TapItem(4);
    EXPECT_STREQ("BUNKER_FORCEFIELD", Selected());
}

}  // namespace
