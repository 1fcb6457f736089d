// The upgrade economy with the fixture catalogue: the price rule, the requirement
// language, the shop's list (full, forced, refresh with followers, the 64 cap),
// purchases and free picks.
#include "tests/game/screens/test_economy_fixture.h"

#include "app/services/dataman.h"
#include "game/economy.h"
#include "game/entities/entity.h"
#include "game/entities/stock.h"
#include "game/scape.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using economytest::EconomyTest;

const vec2_t kStart = {100.0f, 100.0f};

int CountOf(Scape *world, const char *type)
{
    return world->GetNumberOfEntitiesOfType(world->stock->GetEntityType(type));
}

std::vector<std::string> Ids(const ShopList &list)
{
    std::vector<std::string> ids;
    for (int i = 0; i < list.count; i++)
        ids.push_back(list.items[i].id ? list.items[i].id : "(null)");
    return ids;
}

int FeatureCount(const char *name)
{
    GameFeature *f = game.GetFeature(name);
    return f ? f->count : 0;
}

TEST(EconomyPrice, Table)
{
    struct Case {
        int price;
        float multiplier;
        int count;
        int expected;
    } cases[] = {
        {300, 1.5f, 0, 300}, {300, 1.5f, 1, 450}, {300, 1.5f, 2, 650},  // 675 rounds down
        {120, 1.0f, 0, 100}, {120, 1.0f, 1, 100}, {120, 1.0f, 7, 100},  {49, 1.0f, 0, 0},
        {300, 1.5f, 200, 2147483600},  // the product saturates at the int32 maximum
        {300, 2.0f, -1, 150},          // a negative count divides
    };
    for (const Case &c : cases)
        EXPECT_EQ(c.expected, ShopPriceFor(c.price, c.multiplier, c.count))
            << c.price << " x " << c.multiplier << "^" << c.count;
}

TEST_F(EconomyTest, PriceFollowsTheCopiesOwned)
{
    StartEconomy();
    DMNode *repair = Catalogue()->GetNode("REPAIR_BUNKER");
    ShopItem item = {};
    const int prices[] = {300, 450, 650};
    for (int copies = 0; copies < 3; copies++) {
        SetShopItemContents(&item, repair);
        EXPECT_EQ(prices[copies], item.price) << copies;
        EXPECT_TRUE(item.multipickable);
        game.AddFeature("REPAIR_BUNKER");
    }
    SetShopItemContents(&item, Catalogue()->GetNode("MINIGUN_TROOPER"));
    EXPECT_EQ(100, item.price);
    EXPECT_STREQ("=CAN_SPAWN_MORE_TROOPERS", item.requires);
    SetShopItemContents(&item, Catalogue()->GetNode("ARMOR_1"));
    EXPECT_STREQ("", item.requires);
    EXPECT_EQ(nullptr, item.level);
    EXPECT_FALSE(item.sold);
    game.AddFeature("ARMOR_1");
    SetShopItemContents(&item, Catalogue()->GetNode("ARMOR_1"));
    EXPECT_TRUE(item.sold);  // owned and not multipickable
    SetShopItemContents(&item, Catalogue()->GetNode("ARMOR_2"));
    EXPECT_STREQ("II", item.level);
}

TEST_F(EconomyTest, RequirementTokens)
{
    StartEconomy();
    // Plain feature names, blanks and empty tokens.
    EXPECT_TRUE(ShopRequirementsMet(nullptr));
    EXPECT_TRUE(ShopRequirementsMet(""));
    EXPECT_FALSE(ShopRequirementsMet("F1,F2"));
    game.AddFeature("F1");
    game.AddFeature("F2");
    EXPECT_TRUE(ShopRequirementsMet("F1,F2"));
    EXPECT_FALSE(ShopRequirementsMet("F1, F2"));  // " F2" names another feature
    EXPECT_TRUE(ShopRequirementsMet("F1,,F2,"));
    EXPECT_TRUE(ShopRequirementsMet(","));

    // "=NOT_PURCHASED(" with the whole name.
    EXPECT_FALSE(ShopRequirementsMet("=NOT_PURCHASED(F1)"));
    EXPECT_TRUE(ShopRequirementsMet("=NOT_PURCHASED(F3)"));
    std::string long_name(63, 'L');
    game.AddFeature(long_name.c_str());
    EXPECT_FALSE(ShopRequirementsMet(("=NOT_PURCHASED(" + long_name + ")").c_str()));
    EXPECT_TRUE(ShopRequirementsMet(("=NOT_PURCHASED(" + long_name + "X)").c_str()));

    // "=ENTS_OF_TYPE(": a living entity of the type (not a dying one); unknown names
    // count nothing.
    EXPECT_FALSE(ShopRequirementsMet("=ENTS_OF_TYPE(Alien)"));
    Entity *alien = Spawn("Alien", 300, 300);
    ASSERT_NE(nullptr, alien);
    EXPECT_TRUE(ShopRequirementsMet("=ENTS_OF_TYPE(Alien)"));
    world->KillEntity(alien, nullptr, true);
    EXPECT_FALSE(ShopRequirementsMet("=ENTS_OF_TYPE(Alien)"));
    EXPECT_FALSE(ShopRequirementsMet("=ENTS_OF_TYPE(Nobody)"));
    EXPECT_FALSE(ShopRequirementsMet("=ENTS_OF_TYPE(Alie)"));
    int popups = apptest::CountLogged("Unknown EntityType");
    EXPECT_FALSE(ShopRequirementsMet("=ENTS_OF_TYPE(Nobody)"));
    EXPECT_EQ(popups, apptest::CountLogged("Unknown EntityType"));  // not asked of the stock

    // The chapter.
    EXPECT_TRUE(ShopRequirementsMet("=CHAPTER_IS_CHAPTER2"));
    EXPECT_FALSE(ShopRequirementsMet("=CHAPTER_IS_CHAPTER"));
    EXPECT_FALSE(ShopRequirementsMet("=CHAPTER_IS_CHAPTER22"));

    // Artillery.
    EXPECT_TRUE(ShopRequirementsMet("=NO_STRIKE_IN_PROGRESS"));
    game.artillery_aiming = 1;
    EXPECT_FALSE(ShopRequirementsMet("=NO_STRIKE_IN_PROGRESS"));
    game.artillery_aiming = 0;
    game.artillery_timer = 0.5f;
    EXPECT_FALSE(ShopRequirementsMet("=NO_STRIKE_IN_PROGRESS"));
    game.artillery_timer = 0.0f;

    // The force field.
    EXPECT_TRUE(ShopRequirementsMet("=NO_FORCE_FIELD"));
    game.force_field_time = 0.1f;
    EXPECT_FALSE(ShopRequirementsMet("=NO_FORCE_FIELD"));

    // Any other "=" token is a feature of that very name.
    EXPECT_FALSE(ShopRequirementsMet("=SPECIAL"));
    game.AddFeature("=SPECIAL");
    EXPECT_TRUE(ShopRequirementsMet("=SPECIAL"));
}

TEST_F(EconomyTest, RequirementsOnTheBunkerAndTheSquad)
{
    StartEconomy();
    EXPECT_FALSE(ShopRequirementsMet("=BUNKER_DAMAGED"));  // no bunker
    Entity *bunker = MakeBunker(1000.0f);
    ASSERT_NE(nullptr, bunker);
    EXPECT_FALSE(ShopRequirementsMet("=BUNKER_DAMAGED"));
    bunker->hit_points = 901.0f;
    EXPECT_FALSE(ShopRequirementsMet("=BUNKER_DAMAGED"));
    bunker->hit_points = 899.0f;
    EXPECT_TRUE(ShopRequirementsMet("=BUNKER_DAMAGED"));
    game.pending_bunker_repair = 10.0f;
    EXPECT_FALSE(ShopRequirementsMet("=BUNKER_DAMAGED"));  // a repair is on its way
    game.pending_bunker_repair = 0.0f;
    world->KillEntity(bunker, nullptr, true);
    EXPECT_FALSE(ShopRequirementsMet("=BUNKER_DAMAGED"));

    EXPECT_TRUE(ShopRequirementsMet("=CAN_SPAWN_MORE_TROOPERS"));
    EXPECT_FALSE(ShopRequirementsMet("=TROOPERS_WOUNDED"));  // nobody there
    Troopers(3);
    EXPECT_FALSE(ShopRequirementsMet("=CAN_SPAWN_MORE_TROOPERS"));
    EXPECT_FALSE(ShopRequirementsMet("=TROOPERS_WOUNDED"));  // all at full health
    EXPECT_FALSE(ShopRequirementsMet("=TROOPERS_LOST"));

    Entity *wounded[3];
    ASSERT_EQ(3, world->QueryEntitiesInFriendGroup(Entity::MOVABLE, Entity::PLAYERS, wounded, 3));
    wounded[1]->hit_points = 89.0f;
    EXPECT_TRUE(ShopRequirementsMet("=TROOPERS_WOUNDED"));
    // A fallen wounded trooper asks for no heal.
    world->KillEntity(wounded[1], nullptr, true);
    wounded[1]->hit_points = 50.0f;
    EXPECT_FALSE(ShopRequirementsMet("=TROOPERS_WOUNDED"));
    game.living_troopers = 2;
    EXPECT_TRUE(ShopRequirementsMet("=TROOPERS_LOST"));
    EXPECT_TRUE(ShopRequirementsMet("=CAN_SPAWN_MORE_TROOPERS"));
}

TEST_F(EconomyTest, LongListsAreExaminedWhole)
{
    StartEconomy();
    std::string forty;
    for (int i = 0; i < 40; i++) {
        std::string name = "FEATURE_" + std::to_string(i);
        if (i < 39)
            game.AddFeature(name.c_str());
        forty += (i ? "," : "") + name;
    }
    EXPECT_FALSE(ShopRequirementsMet(forty.c_str()));  // the 40th token is not met
    game.AddFeature("FEATURE_39");
    EXPECT_TRUE(ShopRequirementsMet(forty.c_str()));

    // 400 characters ending in a missing feature.
    std::string list;
    while (list.size() < 380)
        list += "FEATURE_1,";
    list += "NOT_THERE";
    while (list.size() < 400)
        list += ",F";
    ASSERT_GE(list.size(), 400u);
    EXPECT_FALSE(ShopRequirementsMet(list.c_str()));
}

TEST_F(EconomyTest, PickScreenVariantOfTheLanguage)
{
    StartEconomy();
    EXPECT_TRUE(PickRequirementsMet(nullptr));
    EXPECT_TRUE(PickRequirementsMet("NOT_A_FEATURE"));    // tokens without "=" are met
    EXPECT_TRUE(PickRequirementsMet("=CHAPTER_IS_NONE"));  // not recognised
    EXPECT_TRUE(PickRequirementsMet("=UNKNOWN"));
    EXPECT_TRUE(PickRequirementsMet("=NO_FORCE_FIELD"));
    game.force_field_time = 3.0f;
    EXPECT_FALSE(PickRequirementsMet("X,=NO_FORCE_FIELD"));
    EXPECT_FALSE(PickRequirementsMet("=BUNKER_DAMAGED"));
}

TEST_F(EconomyTest, FullAndForcedBuilds)
{
    StartEconomy();
    ShopList list;
    Unlock("REPAIR_BUNKER BUNKER_FORCEFIELD MINIGUN_TROOPER ARMOR_1 ARMOR_2 RADAR MEDKIT");
    MakeBunker(1000.0f);
    RefreshShopItems(list, Catalogue(), 0.0f, false, kStart);
    EXPECT_EQ((std::vector<std::string>{"BUNKER_FORCEFIELD", "MINIGUN_TROOPER", "ARMOR_1", "RADAR"}), Ids(list));
    for (int i = 0; i < list.count; i++) {
        EXPECT_FLOAT_EQ(150.0f + 100.0f * (float)i, list.items[i].x);
        EXPECT_FLOAT_EQ(160.0f, list.items[i].y);
        EXPECT_FLOAT_EQ(1.0f, list.items[i].appear);
    }
    RefreshShopItems(list, Catalogue(), 0.0f, true, kStart);
    EXPECT_EQ((std::vector<std::string>{"REPAIR_BUNKER", "BUNKER_FORCEFIELD", "MINIGUN_TROOPER", "ARMOR_1", "ARMOR_2",
                                        "RADAR", "MEDKIT"}),
              Ids(list));
    // Owned items leave the list; their "level" follower comes in.
    game.AddFeature("ARMOR_1");
    RefreshShopItems(list, Catalogue(), 0.0f, false, kStart);
    EXPECT_EQ((std::vector<std::string>{"BUNKER_FORCEFIELD", "MINIGUN_TROOPER", "ARMOR_2", "RADAR"}), Ids(list));
    // Without a catalogue array the list stays as it was.
    RefreshShopItems(list, nullptr, 0.0f, false, vec2_t{0, 0});
    EXPECT_EQ(4, list.count);
    EXPECT_FLOAT_EQ(150.0f, list.items[0].x);
}

TEST_F(EconomyTest, FollowerReplacesTheSoldItemInPlace)
{
    StartEconomy();
    ShopList list;
    Unlock("BUNKER_FORCEFIELD ARMOR_1 ARMOR_2 RADAR");
    RefreshShopItems(list, Catalogue(), 0.0f, false, kStart);
    ASSERT_EQ((std::vector<std::string>{"BUNKER_FORCEFIELD", "ARMOR_1", "RADAR"}), Ids(list));

    // A "level" item is never appended as a new entry.
    game.AddFeature("ARMOR_1");
    RefreshShopItems(list, Catalogue(), 1.0f, false, kStart);
    EXPECT_EQ((std::vector<std::string>{"BUNKER_FORCEFIELD", "ARMOR_1", "RADAR"}), Ids(list));
    game.RemoveFeature("ARMOR_1");

    game.money = 5000;
    ASSERT_EQ(PURCHASE_DONE, BuyShopItem(&list.items[1], Catalogue()));
    EXPECT_TRUE(list.items[1].sold);
    list.items[1].leave_time = 0.99f;
    RefreshShopItems(list, Catalogue(), 1.0f, false, kStart);
    EXPECT_STREQ("ARMOR_1", list.items[1].id);  // still flying
    list.items[1].leave_time = 1.0f;
    RefreshShopItems(list, Catalogue(), 1.0f, false, kStart);
    EXPECT_EQ((std::vector<std::string>{"BUNKER_FORCEFIELD", "ARMOR_2", "RADAR"}), Ids(list));
    EXPECT_FLOAT_EQ(0.0f, list.items[1].appear);
    EXPECT_FLOAT_EQ(0.0f, list.items[1].leave_time);
    EXPECT_FALSE(list.items[1].sold);
    EXPECT_FLOAT_EQ(250.0f, list.items[1].x);

    // Without a follower the sold item stays, sold.
    ASSERT_EQ(PURCHASE_DONE, BuyShopItem(&list.items[2], Catalogue()));
    list.items[2].leave_time = 1.0f;
    RefreshShopItems(list, Catalogue(), 1.0f, false, kStart);
    EXPECT_EQ((std::vector<std::string>{"BUNKER_FORCEFIELD", "ARMOR_2", "RADAR"}), Ids(list));
    EXPECT_TRUE(list.items[2].sold);
}

TEST_F(EconomyTest, TheListHoldsAtMost64)
{
    std::string nodes;
    std::string unlock;
    for (int i = 0; i < 70; i++) {
        std::string id = "ITEM_" + std::to_string(i);
        nodes += "<node id=\"" + id + "\" name=\"n\" desc=\"d\" price=\"100\"/>\n";
        unlock += id + " ";
    }
    nodes += "<node id=\"ITEM_0_PLUS\" name=\"n\" desc=\"d\" price=\"100\" requires=\"ITEM_0\" level=\"2\"/>\n";
    StartEconomy(nodes);
    Unlock((unlock + "ITEM_0_PLUS").c_str());
    ShopList list;
    RefreshShopItems(list, Catalogue(), 0.0f, false, kStart);
    ASSERT_EQ(64, list.count);
    EXPECT_STREQ("ITEM_63", list.items[63].id);
    EXPECT_FLOAT_EQ(150.0f + 6300.0f, list.items[63].x);
    RefreshShopItems(list, Catalogue(), 1.0f, false, kStart);
    EXPECT_EQ(64, list.count);
    // At a full list the replacement pass does not run.
    game.money = 1000;
    ASSERT_EQ(PURCHASE_DONE, BuyShopItem(&list.items[0], Catalogue()));
    list.items[0].leave_time = 1.0f;
    RefreshShopItems(list, Catalogue(), 1.0f, false, kStart);
    EXPECT_STREQ("ITEM_0", list.items[0].id);
    EXPECT_EQ(64, list.count);
}

TEST_F(EconomyTest, Purchases)
{
    StartEconomy();
    DMArray *catalogue = Catalogue();
    ShopItem item = {};

    // Not enough money: nothing changes.
    SetShopItemContents(&item, catalogue->GetNode("ARMOR_1"));
    game.money = 995;
    EXPECT_EQ(PURCHASE_REFUSED, BuyShopItem(&item, catalogue));
    EXPECT_EQ(995, game.money);
    EXPECT_EQ(0, game.money_spent);
    EXPECT_FALSE(game.IsFeatureActive("ARMOR_1"));
    EXPECT_FALSE(item.sold);
    game.money = 1000;
    EXPECT_EQ(PURCHASE_DONE, BuyShopItem(&item, catalogue));
    EXPECT_EQ(0, game.money);
    EXPECT_EQ(1000, game.money_spent);
    EXPECT_TRUE(item.sold);
    EXPECT_EQ(1, FeatureCount("ARMOR_1"));

    // A trooper purchase brings exactly one trooper and counts the feature.
    game.money = 1000;
    SetShopItemContents(&item, catalogue->GetNode("MINIGUN_TROOPER"));
    EXPECT_EQ(PURCHASE_TROOPER, BuyShopItem(&item, catalogue));
    EXPECT_EQ(1, CountOf(world, "MinigunTrooper"));
    EXPECT_EQ(1, game.living_troopers);
    EXPECT_EQ(1, FeatureCount("MINIGUN_TROOPER"));
    EXPECT_EQ(900, game.money);
    EXPECT_TRUE(item.sold);  // set after any purchase, multipickable or not
    SetShopItemContents(&item, catalogue->GetNode("MINIGUN_TROOPER"));
    EXPECT_FALSE(item.sold);
    EXPECT_EQ(PURCHASE_TROOPER, BuyShopItem(&item, catalogue));
    EXPECT_EQ(2, CountOf(world, "MinigunTrooper"));
    EXPECT_EQ(2, FeatureCount("MINIGUN_TROOPER"));
    EXPECT_EQ(800, game.money);

    // At a full squad the trooper is refused like an unaffordable item.
    game.squad_size = 2;
    EXPECT_EQ(PURCHASE_REFUSED, BuyShopItem(&item, catalogue));
    EXPECT_EQ(2, CountOf(world, "MinigunTrooper"));
    EXPECT_EQ(2, FeatureCount("MINIGUN_TROOPER"));
    EXPECT_EQ(800, game.money);
    EXPECT_EQ(1200, game.money_spent);

    // A second feature comes with the first copy.
    game.money = 400;
    SetShopItemContents(&item, catalogue->GetNode("RADAR"));
    EXPECT_EQ(PURCHASE_DONE, BuyShopItem(&item, catalogue));
    EXPECT_TRUE(game.IsFeatureActive("RADAR_EXTRA"));
    EXPECT_TRUE(game.IsFeatureActive("RADAR"));
    EXPECT_EQ(1600, game.money_spent);
    EXPECT_EQ(PURCHASE_REFUSED, BuyShopItem(nullptr, catalogue));
}

TEST_F(EconomyTest, RepairAndForceField)
{
    StartEconomy();
    DMArray *catalogue = Catalogue();
    ShopItem item = {};
    game.money = 100000;

    // Without a bunker the repair is paid for and mends nothing.
    SetShopItemContents(&item, catalogue->GetNode("REPAIR_BUNKER"));
    EXPECT_EQ(PURCHASE_DONE, BuyShopItem(&item, catalogue));
    EXPECT_FLOAT_EQ(0.0f, game.pending_bunker_repair);
    EXPECT_EQ(100000 - 300, game.money);

    Entity *bunker = MakeBunker(500.0f);
    ASSERT_NE(nullptr, bunker);
    SetShopItemContents(&item, catalogue->GetNode("REPAIR_BUNKER"));
    EXPECT_EQ(450, item.price);
    EXPECT_EQ(PURCHASE_DONE, BuyShopItem(&item, catalogue));
    EXPECT_FLOAT_EQ(150.0f, game.pending_bunker_repair);  // 0.15 of 1000
    EXPECT_EQ(100000 - 750, game.money);
    EXPECT_EQ(2, FeatureCount("REPAIR_BUNKER"));

    world->KillEntity(bunker, nullptr, true);
    SetShopItemContents(&item, catalogue->GetNode("REPAIR_BUNKER"));
    EXPECT_EQ(PURCHASE_DONE, BuyShopItem(&item, catalogue));
    EXPECT_FLOAT_EQ(150.0f, game.pending_bunker_repair);

    // The force field is set, never added up.
    SetShopItemContents(&item, catalogue->GetNode("BUNKER_FORCEFIELD"));
    EXPECT_EQ(PURCHASE_DONE, BuyShopItem(&item, catalogue));
    EXPECT_FLOAT_EQ(12.0f, game.force_field_time);
    game.force_field_time = 5.0f;
    SetShopItemContents(&item, catalogue->GetNode("BUNKER_FORCEFIELD"));
    EXPECT_EQ(PURCHASE_DONE, BuyShopItem(&item, catalogue));
    EXPECT_FLOAT_EQ(12.0f, game.force_field_time);
    EXPECT_EQ(2, FeatureCount("BUNKER_FORCEFIELD"));
}

TEST_F(EconomyTest, FreePicks)
{
    StartEconomy();
    DMArray *catalogue = Catalogue();
    Entity *bunker = MakeBunker(400.0f);
    ASSERT_NE(nullptr, bunker);

    ApplyFreePick("REPAIR_BUNKER", catalogue);
    EXPECT_FLOAT_EQ(250.0f, game.pending_bunker_repair);  // 0.25 of 1000
    EXPECT_FALSE(game.IsFeatureActive("REPAIR_BUNKER"));

    ApplyFreePick("BUNKER_FORCEFIELD", catalogue);
    EXPECT_FLOAT_EQ(12.0f, game.force_field_time);
    EXPECT_FALSE(game.IsFeatureActive("BUNKER_FORCEFIELD"));

    ApplyFreePick("RADAR", catalogue);
    EXPECT_EQ(1, FeatureCount("RADAR"));
    EXPECT_EQ(1, FeatureCount("RADAR_EXTRA"));
    ApplyFreePick("RADAR", catalogue);
    EXPECT_EQ(2, FeatureCount("RADAR"));
    EXPECT_EQ(1, FeatureCount("RADAR_EXTRA"));

    // A class id brings a trooper of that class; an active repair feature counts.
    ApplyFreePick("MINIGUN_TROOPER", catalogue);
    EXPECT_EQ(1, CountOf(world, "MinigunTrooper"));
    EXPECT_EQ(0, game.money_spent);
    game.AddFeature("REPAIR_BUNKER");
    ApplyFreePick("REPAIR_BUNKER", catalogue);
    EXPECT_EQ(2, FeatureCount("REPAIR_BUNKER"));
    EXPECT_FLOAT_EQ(250.0f, game.pending_bunker_repair);
}

}  // namespace
