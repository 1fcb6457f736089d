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

#include <algorithm>
#include <array>
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

// Bright pixels of the money line (the "Money" text box at 100, 40, clear of the shelf
// below it and of the trooper count to its right).
int MoneyInk(const widgettest::Frame &f)
{
    int ink = 0;
    for (int y = 0; y < 85; y++)
        for (int x = 0; x < 440; x++) {
            widgettest::Rgba p = f.At(x, y);
            ink += p[0] + p[1] + p[2] > 384 ? 1 : 0;
        }
    return ink;
}

// A refused purchase blinks the money three times a second for 1.5 s: it starts dark,
// shows 0.1 s on, is dark again at 0.25 s, and after five dark spells stays lit.
TEST_F(ShopPixelTest, RefusedPurchaseBlinksTheMoneyFor1point5Seconds)
{
    game.money = 100;
    Open(&Shop());
    const int lit = MoneyInk(Draw());
    ASSERT_GT(lit, 20) << "the money shows";
    TapItem(0);
    TapComp("Buy");
    ASSERT_EQ(100, game.money) << "the field costs 500: refused";
    Shop().blink_timer = 1.5f;  // the refusal's moment on the test's clock (the taps ran on the engine's)
    Run(1, 0.0f);
    EXPECT_LT(MoneyInk(Draw()), lit / 4) << "the blink starts dark";
    Run(1, 0.1f);
    EXPECT_GT(MoneyInk(Draw()), lit * 3 / 4) << "0.1 s: lit";
    Run(1, 0.15f);
    EXPECT_LT(MoneyInk(Draw()), lit / 4) << "0.25 s: dark";
    // From the start again, frame by frame: count the dark spells.
    Shop().blink_timer = 1.5f;
    int dark_spells = 0;
    bool dark = false;
    for (int frame = 0; frame <= 150; frame++) {
        const int ink = MoneyInk(Draw());
        if (!dark && ink < lit / 4) {
            dark = true;
            dark_spells++;
        } else if (dark && ink > lit * 3 / 4) {
            dark = false;
        }
        Run(1, 0.01f);
    }
    EXPECT_EQ(5, dark_spells) << "three blinks a second for 1.5 s, starting dark";
    for (int frame = 0; frame < 10; frame++) {
        Run(1, 0.1f);
        EXPECT_GT(MoneyInk(Draw()), lit * 3 / 4) << "after the blink: lit, " << frame;
    }
}

// Where the blue shield item (the only blue icon on the shelf) is drawn: the middle of
// its pixels and its brightest blue; seen false when none shows.
struct BlueIcon {
    bool seen = false;
    float x = 0.0f, y = 0.0f;
    int peak = 0;
};
BlueIcon FindBlueIcon(const widgettest::Frame &f)
{
    auto blue = [](const widgettest::Rgba &p) { return p[2] > 40 && p[0] < 30 && p[1] < 30; };
    std::array<int, 4> box = widgettest::LitBox(f, 0, 0, f.w - 1, f.h - 1, blue);
    BlueIcon icon;
    if (box[0] < 0)
        return icon;
    icon.seen = true;
    icon.x = (box[0] + box[2]) * 0.5f;
    icon.y = (box[1] + box[3]) * 0.5f;
    for (int y = box[1]; y <= box[3]; y++)
        for (int x = box[0]; x <= box[2]; x++)
            if (blue(f.At(x, y)))
                icon.peak = std::max(icon.peak, f.At(x, y)[2]);
    return icon;
}

// A bought item flies from its slot to the bunker's mark (placed here at the shelf's
// right end, level with the item, so the whole way lies inside the shelf's window):
// rightwards on every frame, in an arc above the straight way, fading on its second
// half, gone before 0.8 s. An item with a follower (ARMOR_1, then ARMOR_2) has the
// follower fade in at its slot once the flight is over.
TEST_F(ShopPixelTest, BoughtItemFliesToTheBunkerAndItsFollowerFadesIn)
{
    game.money = 2000;
    Open(&Shop());
    ASSERT_EQ("BUNKER_FORCEFIELD", Ids()[0]);
    UIComp *mark = Shop().GetComp("Bunker");
    const vec2_t at = mark->GetStaticPos();
    mark->position_offset_x += 650.0f - at.x;
    mark->position_offset_y += Shop().list.items[0].y - at.y;
    const BlueIcon before = FindBlueIcon(Draw());
    ASSERT_TRUE(before.seen);
    EXPECT_EQ(255, before.peak);
    TapItem(0);
    TapComp("Buy");
    ASSERT_EQ(1500, game.money);
    Shop().list.items[0].leave_time = 0.0f;  // from the purchase on, on the test's clock

    float last_x = before.x, highest = before.y, last_seen = 0.0f;
    int moves = 0, dimmest = 255;
    bool shot = false;
    // Each drawn frame is an engine frame of 16 ms; the flight ends when the item is
    // back on the shelf (it may be bought again: see the next test).
    for (int frame = 0; frame <= 60 && Shop().list.items[0].sold; frame++) {
        const float t = 0.016f * (float)frame;
        const widgettest::Frame f = Draw();
        const BlueIcon icon = FindBlueIcon(f);
        if (icon.seen) {
            EXPECT_GE(icon.x, last_x - 0.5f) << "never back towards the slot, t " << t;
            moves += icon.x > last_x + 0.5f ? 1 : 0;
            last_x = icon.x;
            highest = std::min(highest, icon.y);
            dimmest = std::min(dimmest, icon.peak);
            last_seen = t;
            if (!shot && icon.x > 400.0f) {
                Shot(f, "shop-flight-midway.png");
                shot = true;
            }
        }
    }
    EXPECT_GT(moves, 20) << "it moves frame by frame";
    EXPECT_GT(last_x, 550.0f) << "it reaches the bunker's end of the shelf";
    EXPECT_LT(highest, before.y - 25.0f) << "it arcs above the straight way";
    EXPECT_LT(dimmest, 100) << "it fades out on the way";
    EXPECT_GT(last_seen, 0.5f) << "the flight lasts about 0.77 s, the last part faded";
    EXPECT_LT(last_seen, 0.8f);

    // ARMOR_1 bought: ARMOR_2 takes its slot, faint at first, whole half a second on.
    // (White icons, sampled near the middle, where the faint one has grown to, away from
    // the level mark and the price.)
    ScreenShop::Item &armor = Shop().list.items[2];
    ASSERT_STREQ("ARMOR_1", armor.id);
    const int sx = (int)armor.x - 10, sy = (int)armor.y - 4;
    EXPECT_EQ(255, Draw().At(sx, sy)[0]);
    TapItem(2);
    TapComp("Buy");
    ASSERT_EQ(500, game.money);
    armor.leave_time = 0.0f;
    Run(100, 0.01f);  // the flight (0.77 s) and a fifth of a second more
    const int faint = Draw().At(sx, sy)[0];
    EXPECT_GT(faint, 20) << "the follower shows";
    EXPECT_LT(faint, 200) << "the follower is still fading in";
    EXPECT_STREQ("ARMOR_2", Shop().list.items[2].id);
    Run(30, 0.02f);
    EXPECT_EQ(255, Draw().At(sx, sy)[0]) << "the follower is whole";
}

// An item that may be bought again (the shield) and has no follower comes back to its
// own slot once its flight is over: drawn there again, whole half a second on, and a
// tap selects it and "Buy" buys it again.
TEST_F(ShopPixelTest, MultiBuyItemComesBackToItsSlotAfterItsFlight)
{
    game.money = 2000;
    Open(&Shop());
    ASSERT_EQ("BUNKER_FORCEFIELD", Ids()[0]);
    const BlueIcon before = FindBlueIcon(Draw());
    ASSERT_TRUE(before.seen);
    TapItem(0);
    TapComp("Buy");
    ASSERT_EQ(1500, game.money);
    ASSERT_TRUE(Shop().list.items[0].sold);
    Shop().list.items[0].leave_time = 0.0f;  // from the purchase on, on the test's clock
    Run(100, 0.01f);                          // the flight (0.77 s) and a fifth of a second more
    Run(30, 0.02f);                           // the fade-in
    const widgettest::Frame f = Draw();
    Shot(f, "shop-multi-buy-back.png");
    const BlueIcon back = FindBlueIcon(f);
    ASSERT_TRUE(back.seen) << "the shield shows on the shelf again";
    EXPECT_NEAR(before.x, back.x, 1.0f);
    EXPECT_NEAR(before.y, back.y, 1.0f);
    EXPECT_EQ(255, back.peak);
    EXPECT_EQ("BUNKER_FORCEFIELD", Ids()[0]);

    TapItem(0);
    EXPECT_STREQ("BUNKER_FORCEFIELD", Selected());
    TapComp("Buy");
    EXPECT_EQ(1000, game.money) << "bought again at its price";
}

}  // namespace
