// Battle features: the table (counting, holes, full table, long names), the effects of
// the feature words (heal, squad size, reinforcement, artillery, trooper words, weapon
// swaps), the per-trooper weapon feature, the shop's flags and the upgrades check.
#include "tests/game/game_fixture.h"

#include "app/services/dataman.h"
#include "app/services/profiles.h"
#include "app/ui/parts.h"
#include "app/ui/screen-manager.h"
#include "game/entities/entity-types.h"
#include "game/entities/entity.h"
#include "game/entities/stock.h"
#include "game/entities/weapons.h"
#include "game/gamestate.h"

#include <string.h>

#include <string>

namespace {

const char kTypes[] =
    "<node id=\"MinigunTrooper\" flags=\"NORMAL MOVABLE\" friend_group=\"PLAYERS\" hit_points=\"100\" radius=\"10\"/>\n"
    "<node id=\"MinigunTrooperElite\" flags=\"NORMAL MOVABLE\" friend_group=\"PLAYERS\" hit_points=\"100\" "
    "radius=\"10\"/>\n"
    "<node id=\"PyroTrooper\" flags=\"NORMAL MOVABLE\" friend_group=\"PLAYERS\" hit_points=\"80\" radius=\"10\"/>\n"
    "<node id=\"Alien\" flags=\"NORMAL MOVABLE\" friend_group=\"ENEMIES\" hit_points=\"50\" radius=\"10\"/>\n";

const char kWeapons[] =
    "<node id=\"Minigun\" clip_size=\"30\"/>\n"
    "<node id=\"MinigunFireBullets\" clip_size=\"40\"/>\n"
    "<node id=\"PyroDeathwish\" clip_size=\"50\"/>\n"
    "<node id=\"SuperGun\" clip_size=\"99\"/>\n";

const char kShop[] =
    "<node id=\"REARM_MinigunTrooper_MinigunFireBullets\" upgraded_ent_types=\"MinigunTrooper\" "
    "icon=\"gfx/upgrade\" flags=\"PERMANENT, MULTI;ONCE\"/>\n"
    "<node id=\"PYRO_DEATHWISH\" upgraded_ent_types=\"ShotgunTrooper, PyroTrooper\" icon=\"gfx/upgrade\"/>\n"
    "<node id=\"HEAL\" flags=\"MULTIPICK\"/>\n";

class FeaturesTest : public gametest::GameTest {
protected:
    void SetUp() override
    {
        gametest::GameTest::SetUp();
        StartGame();
        WriteEntities(kTypes);
        WriteWeapons(kWeapons);
        apptest::WriteFile("shop.xml", gametest::XmlArray("Upgrades", kShop));
        dman().ReleaseDatabase("shop.xml");
        MakeWorld();
        profile.Reset("1.xml");
        prof = &profile;
    }
    void TearDown() override
    {
        if (prof == &profile)
            prof = nullptr;
        if (game.level_db) {
            dman().ReleaseDatabase(game.level_db);
            game.level_db = nullptr;
        }
        gametest::GameTest::TearDown();
    }
    Entity *Spawn(const char *type, float x, float y, const char *weapon = "Minigun")
    {
        Entity *e = world->SpawnEntity(world->stock->GetEntityType(type), vec2_t{x, y});
        EXPECT_NE(e, nullptr) << type;
        if (e && weapon)
            Weapon::GetWeapon(weapon)->SetActive(e);
        return e;
    }
    static const char *WeaponOf(const Entity *e) { return e->weapon ? e->weapon->id : "(none)"; }
    int Particles()
    {
        int n = 0;
        for (part_t *p = world->top_parts->FirstLive(); p; p = world->top_parts->NextLive(p))
            n++;
        return n;
    }
    Profile profile;
};

TEST_F(FeaturesTest, AddingTwiceRunsTheEffectOnceAndCountsTwo)
{
    game.AddFeature("SQUAD_SIZE_3");
    EXPECT_EQ(game.squad_size, 3);
    game.squad_size = 1;
    game.AddFeature("SQUAD_SIZE_3");
    EXPECT_EQ(game.squad_size, 1) << "a second addition only counts";
    ASSERT_NE(game.GetFeature("SQUAD_SIZE_3"), nullptr);
    EXPECT_EQ(game.GetFeature("SQUAD_SIZE_3")->count, 2);
    EXPECT_EQ(game.num_features, 1);
}

TEST_F(FeaturesTest, RemovingLeavesHolesThatTheNextAdditionFills)
{
    game.AddFeature("ONLY");
    game.RemoveFeature("ONLY");
    EXPECT_EQ(game.num_features, 0);
    EXPECT_FALSE(game.IsFeatureActive("ONLY"));

    game.AddFeature("A");
    game.AddFeature("B");
    game.AddFeature("C");
    game.RemoveFeature("B");
    EXPECT_EQ(game.num_features, 3) << "a hole below the last record";
    EXPECT_FALSE(game.IsFeatureActive("B"));
    game.AddFeature("D");
    EXPECT_STREQ(game.features[1].name, "D");
    EXPECT_EQ(game.num_features, 3);
    game.RemoveFeature("C");
    EXPECT_EQ(game.num_features, 2);
    game.RemoveFeature("NOT_THERE");
    EXPECT_EQ(game.num_features, 2);
}

TEST_F(FeaturesTest, AFullTableSwitchesTheFeatureOnWithoutStoringIt)
{
    for (int i = 0; i < GAME_MAX_FEATURES; i++)
        game.AddFeature(("F" + std::to_string(i)).c_str());
    EXPECT_EQ(game.num_features, GAME_MAX_FEATURES);
    game.AddFeature("SQUAD_SIZE_5");
    EXPECT_EQ(game.squad_size, 5);
    EXPECT_FALSE(game.IsFeatureActive("SQUAD_SIZE_5"));
    EXPECT_EQ(game.num_features, GAME_MAX_FEATURES);
}

TEST_F(FeaturesTest, NamesOfSixtyFourCharactersOrMoreAreRefused)
{
    std::string longest(63, 'L');
    std::string too_long(64, 'X');
    game.AddFeature(longest.c_str());
    EXPECT_TRUE(game.IsFeatureActive(longest.c_str()));
    int before = apptest::CountLogged("is too long");
    game.AddFeature(too_long.c_str());
    EXPECT_GT(apptest::CountLogged("is too long"), before);
    EXPECT_EQ(game.num_features, 1);
    game.AddFeature(nullptr);
    game.AddFeature("");
    EXPECT_EQ(game.num_features, 1);
}

TEST_F(FeaturesTest, SquadSizeWordsTable)
{
    struct Case {
        const char *name;
        int squad;
    };
    const Case cases[] = {
        {"SQUAD_SIZE_1", 1}, {"SQUAD_SIZE_2", 2}, {"SQUAD_SIZE_3", 3}, {"SQUAD_SIZE_4", 4},
        {"SQUAD_SIZE_5", 5}, {"SQUAD_SIZE_6", 6}, {"SQUAD_SIZE_7", -1}, {"SQUAD_SIZE_0", -1},
        {"SQUAD_SIZE_12", -1}, {"squad_size_2", -1},
    };
    for (const Case &c : cases) {
        game.squad_size = -1;
        game.ActivateFeature(c.name, true);
        EXPECT_EQ(game.squad_size, c.squad) << c.name;
    }
    game.squad_size = -1;
    game.ActivateFeature("SQUAD_SIZE_4", false);
    game.ActivateFeature(nullptr, true);
    EXPECT_EQ(game.squad_size, -1) << "switching off and null names do nothing";
}

TEST_F(FeaturesTest, HealRestoresEveryLivingTrooperOnly)
{
    Entity *a = Spawn("MinigunTrooper", 100, 100);
    Entity *b = Spawn("PyroTrooper", 900, 700);
    Entity *alien = Spawn("Alien", 300, 300, nullptr);
    a->hit_points = 10;
    b->hit_points = 1;
    alien->hit_points = 5;
    Entity *dying = Spawn("MinigunTrooper", 200, 200);
    dying->hit_points = 0;
    dying->state = Entity::STATE_DYING;
    game.AddFeature("HEAL");
    EXPECT_FLOAT_EQ(dying->hit_points, 0.0f);
    EXPECT_FLOAT_EQ(a->hit_points, 100.0f);
    EXPECT_FLOAT_EQ(b->hit_points, 80.0f);
    EXPECT_FLOAT_EQ(alien->hit_points, 5.0f);
}

TEST_F(FeaturesTest, ReinforcementPushesThePickScreenAndArtilleryClosesTheShop)
{
    MakeScreen("PickReinforcement");
    Screen *shop = MakeScreen("Shop");
    sman.PushScreen(shop, 0);
    Steps(1, 0.0f);
    game.AddFeature("REINFORCEMENT");
    Steps(1, 0.0f);
    EXPECT_TRUE(sman.IsScreenInStack("PickReinforcement"));

    game.AddFeature("ARTILLERY_1");
    Steps(1, 0.0f);
    EXPECT_EQ(game.artillery_aiming, 1);
    EXPECT_FALSE(sman.IsScreenInStack("Shop"));
}

TEST_F(FeaturesTest, RearmMessages)
{
    struct Case {
        const char *feature;
        const char *message;
    };
    const Case cases[] = {
        {"REARM_MinigunTrooper_NoSuchGun", "RearmTroopers: Unknown weapon 'NoSuchGun'\n"},
        {"REARM_NoSuchTrooper_Minigun", "RearmTroopers: Unknown trooper type 'NoSuchTrooper'\n"},
    };
    Entity *a = Spawn("MinigunTrooper", 100, 100);
    for (const Case &c : cases) {
        int before = apptest::CountLogged(c.message);
        game.AddFeature(c.feature);
        EXPECT_EQ(apptest::CountLogged(c.message), before + 1) << c.feature;
        EXPECT_STREQ(WeaponOf(a), "Minigun") << c.feature;
    }
}

TEST_F(FeaturesTest, RearmChangesOnlyLivingTroopersOfExactlyThatTypeWithoutASuperWeapon)
{
    Entity *plain = Spawn("MinigunTrooper", 100, 100);
    Entity *elite = Spawn("MinigunTrooperElite", 200, 100);
    Entity *super = Spawn("MinigunTrooper", 300, 100, "SuperGun");
    super->powerup_active = true;
    super->powerup_id = "POWERUP_SUPER_WEAPON";
    Entity *dying = Spawn("MinigunTrooper", 400, 100);
    dying->state = Entity::STATE_DYING;
    Entity *pyro = Spawn("PyroTrooper", 500, 100);

    game.AddFeature("REARM_MinigunTrooper_MinigunFireBullets");
    EXPECT_STREQ(WeaponOf(plain), "MinigunFireBullets");
    EXPECT_FLOAT_EQ(plain->ammo, 40.0f) << "armed: a full clip";
    EXPECT_STREQ(WeaponOf(elite), "Minigun");
    EXPECT_STREQ(WeaponOf(super), "SuperGun");
    EXPECT_STREQ(WeaponOf(dying), "Minigun");
    EXPECT_STREQ(WeaponOf(pyro), "Minigun");
    // The upgrade's icon rises twice over the one upgraded trooper type's living troopers.
    EXPECT_EQ(Particles(), 2 * 2) << "plain and super: living MinigunTroopers";
}

TEST_F(FeaturesTest, PyroDeathwishRearmsThePyrosAndSetsTheFlag)
{
    Entity *pyro = Spawn("PyroTrooper", 100, 100);
    Entity *minigun = Spawn("MinigunTrooper", 200, 100);
    game.AddFeature("PYRO_DEATHWISH");
    EXPECT_EQ(game.pyro_deathwish, 1);
    EXPECT_EQ(game.pyro_trooper_type, world->stock->GetEntityType("PyroTrooper"));
    EXPECT_STREQ(WeaponOf(pyro), "PyroDeathwish");
    EXPECT_STREQ(WeaponOf(minigun), "Minigun");
}

TEST_F(FeaturesTest, PerTrooperWeaponFeatureTable)
{
    struct Case {
        const char *type;
        const char *feature;
        const char *weapon;   // after the call
        const char *message;  // logged, or null
    };
    const Case cases[] = {
        {"MinigunTrooper", "REARM_MinigunTrooper_MinigunFireBullets", "MinigunFireBullets", nullptr},
        {"MinigunTrooperElite", "REARM_MinigunTrooper_MinigunFireBullets", "Minigun", nullptr},
        {"PyroTrooper", "pyro_deathwish", "PyroDeathwish", nullptr},
        {"MinigunTrooper", "PYRO_DEATHWISH", "Minigun", nullptr},
        {"MinigunTrooper", "HEAL", "Minigun", nullptr},
        {"MinigunTrooper", "SQUAD_SIZE_1", "Minigun", "RearmTroopers: Unknown weapon '1'\n"},
        {"MinigunTrooper", "ANY_MinigunTrooper_", "Minigun", nullptr},
    };
    for (const Case &c : cases) {
        Entity *e = Spawn(c.type, 100, 100);
        int before = c.message ? apptest::CountLogged(c.message) : 0;
        game.ActivateFeature(e, c.feature, true);
        EXPECT_STREQ(WeaponOf(e), c.weapon) << c.type << " " << c.feature;
        if (c.message) {
            EXPECT_EQ(apptest::CountLogged(c.message), before + 1) << c.feature;
        }
        world->stock->FreeEntity(e);
    }
    Entity *e = Spawn("MinigunTrooper", 100, 100);
    game.ActivateFeature(e, nullptr, true);
    game.ActivateFeature(nullptr, "REARM_MinigunTrooper_MinigunFireBullets", true);
    EXPECT_STREQ(WeaponOf(e), "Minigun");
}

TEST_F(FeaturesTest, TrooperWordsSpawnOneReinforcementUnlessOnlyCounted)
{
    WriteEntities(std::string(kTypes) +
                  "<node id=\"ShotgunTrooper\" flags=\"NORMAL MOVABLE\" friend_group=\"PLAYERS\" hit_points=\"90\" "
                  "radius=\"10\"/>\n");
    MakeWorld();
    game.squad_size = 6;
    EntityType *minigun = world->stock->GetEntityType("MinigunTrooper");
    EntityType *shotgun = world->stock->GetEntityType("ShotgunTrooper");
    game.AddFeature("MINIGUN_TROOPER");
    EXPECT_EQ(world->GetNumberOfEntitiesOfType(minigun), 1);
    game.AddFeature("MINIGUN_TROOPER");
    EXPECT_EQ(world->GetNumberOfEntitiesOfType(minigun), 1) << "a second purchase only counts";

    // The shop spawns a bought trooper itself and only counts the feature.
    game.AddFeature("SHOTGUN_TROOPER", false);
    EXPECT_EQ(world->GetNumberOfEntitiesOfType(shotgun), 0);
    EXPECT_TRUE(game.IsFeatureActive("SHOTGUN_TROOPER"));
    // A word whose type does not exist spawns nothing.
    game.AddFeature("SNIPER_TROOPER");
    EXPECT_TRUE(game.IsFeatureActive("SNIPER_TROOPER"));
}

TEST_F(FeaturesTest, ShopFlagsAreWholeTokens)
{
    struct Case {
        const char *name;
        const char *flag;
        bool has;
    };
    const Case cases[] = {
        {"REARM_MinigunTrooper_MinigunFireBullets", "PERMANENT", true},
        {"REARM_MinigunTrooper_MinigunFireBullets", "MULTI", true},
        {"REARM_MinigunTrooper_MinigunFireBullets", "ONCE", true},
        {"REARM_MinigunTrooper_MinigunFireBullets", "PERM", false},
        {"HEAL", "MULTI", false},
        {"HEAL", "MULTIPICK", true},
        {"PYRO_DEATHWISH", "MULTI", false},
        {"NO_SUCH_UPGRADE", "MULTI", false},
    };
    for (const Case &c : cases)
        EXPECT_EQ(game.DoesFeatureHaveFlag(c.name, c.flag), c.has) << c.name << " " << c.flag;
}

TEST_F(FeaturesTest, HasUpgradesNeedsAStartingTypeAnUpgradeListingItAndTheProfileTag)
{
    struct Case {
        const char *starting;  // node lines of "starting_troopers"
        const char *tag;       // profile feature, or null
        bool has;
    };
    const Case cases[] = {
        {"<node type=\"MinigunTrooper\"/>", "REARM_MinigunTrooper_MinigunFireBullets", true},
        {"<node type=\"MinigunTrooper\"/>", nullptr, false},
        {"<node type=\"MinigunTrooper\"/>", "PYRO_DEATHWISH", false},
        {"<node type=\"SniperTrooper\"/><node type=\"PyroTrooper\"/>", "PYRO_DEATHWISH", true},
        {"<node type=\"Minigun\"/>", "REARM_MinigunTrooper_MinigunFireBullets", false},
        {"<node/>", "REARM_MinigunTrooper_MinigunFireBullets", false},
        {"", "REARM_MinigunTrooper_MinigunFireBullets", false},
    };
    int n = 0;
    for (const Case &c : cases) {
        std::string file = "level-" + std::to_string(n++) + ".xml";
        apptest::WriteFile(file, gametest::XmlArray("starting_troopers", c.starting));
        game.level_db = dman().GetDatabase(file.c_str());
        profile.Reset("1.xml");
        if (c.tag)
            profile.AddTag("features", c.tag);
        EXPECT_EQ(game.HasUpgrades(), c.has) << c.starting << " " << (c.tag ? c.tag : "-");
        dman().ReleaseDatabase(game.level_db);
        game.level_db = nullptr;
    }
    EXPECT_FALSE(game.HasUpgrades()) << "no level";
}

}  // namespace
