// The stock's registries with the engine up: the 23 behaviours, type lookup and
// creation from "entities.xml" with its messages and limits (also through nested
// creation), the shared lead projectiles, and caching the battle's types.
#include "game/entities/entity-ai.h"
#include "game/entities/entity-types.h"
#include "game/entities/stock.h"
#include "game/entities/weapons.h"
#include "game/scape.h"

#include "tests/app/services/app_engine_fixture.h"
#include "tests/game/game_fixture.h"

#include "app/services/featureman.h"
#include "app/ui/partfx.h"
#include "ovrecords.h"

#include <gtest/gtest.h>

#include <string.h>
#include <string>
#include <vector>

namespace {

std::string Node(const std::string &name, const std::string &keys = "")
{
    return "<node id=\"" + name + "\" " + keys + " />\n";
}

}  // namespace

// The world's stock, built by the world with the given content files.
class StockRegistry : public gametest::GameTest {
protected:
    void StartWith(const std::string &entity_nodes, const std::string &weapon_nodes = "")
    {
        StartGame();
        WriteEntities(entity_nodes);
        WriteWeapons(weapon_nodes);
        MakeWorld();
        stock = world->stock;
        ASSERT_NE(nullptr, stock);
    }
    std::vector<std::string> TypeNames() const
    {
        std::vector<std::string> out;
        for (int i = 0; i < stock->num_types; i++)
            out.push_back(stock->types[i]->name);
        return out;
    }

    Stock *stock = nullptr;
};

TEST_F(StockRegistry, TwentyThreeBehavioursInOrderFoundByExactName)
{
    StartWith("");
    const char *expected[] = {"Default", "Player",       "Trooper",     "BaseBunker",       "Seeker",     "SeekerLeaper",
                              "SeekerFlyer", "Splitter", "QuadSplitter", "Spawner",         "BossSplitter", "Mine",
                              "WaypointAttacker", "HangAround", "HiveMind", "Kamikaze",     "Bullet",     "Rocket",
                              "RocketNapalm", "Flame",   "Ice",         "Gas",              "Powerup"};
    ASSERT_EQ(23, stock->num_behaviours);
    for (int i = 0; i < 23; i++) {
        EXPECT_STREQ(expected[i], stock->behaviours[i]->name);
        EXPECT_EQ(stock->behaviours[i], stock->GetEntityAI(expected[i]));
    }
    EXPECT_EQ(nullptr, stock->GetEntityAI("Seek"));    // a prefix finds nothing
    EXPECT_EQ(nullptr, stock->GetEntityAI("seeker"));  // case counts
    EXPECT_EQ(nullptr, stock->GetEntityAI(nullptr));
}

TEST_F(StockRegistry, MoreThanThirtyTwoBehavioursRefused)
{
    StartWith("");
    for (int i = 23; i < 32; i++)
        EXPECT_TRUE(stock->RegisterEntityAI(new EntityAI(("Extra" + std::to_string(i)).c_str())));
    EntityAI *extra = new EntityAI("OneTooMany");
    EXPECT_FALSE(stock->RegisterEntityAI(extra));
    delete extra;
    EXPECT_EQ(32, stock->num_behaviours);
    EXPECT_TRUE(apptest::Logged("EntityAI limit exceeded (32 behaviours)."));
    EXPECT_EQ(nullptr, stock->GetEntityAI("OneTooMany"));
}

TEST_F(StockRegistry, LookupsCreateOnceAndRefuseEmptyNames)
{
    StartWith(Node("Grunt", "hit_points=\"10\""));
    int before = stock->num_types;
    EXPECT_EQ(nullptr, stock->GetEntityType(""));
    EXPECT_EQ(nullptr, stock->GetEntityType(nullptr));
    EXPECT_EQ(0, apptest::CountLogged("EntityType ''"));
    EXPECT_EQ(0, apptest::CountLogged("Creating entity type ''"));

    EntityType *grunt = stock->GetEntityType("Grunt");
    ASSERT_NE(nullptr, grunt);
    EXPECT_EQ(grunt, stock->GetEntityType("Grunt"));
    EXPECT_EQ(before + 1, stock->num_types);
    EXPECT_EQ(1, apptest::CountLogged("Creating entity type 'Grunt'"));
    EXPECT_EQ(nullptr, stock->GetEntityType("grunt"));  // exact comparison
}

TEST_F(StockRegistry, UnknownTypeReportedAndTriedAgain)
{
    StartWith(Node("Grunt"));
    int before = stock->num_types;
    EXPECT_EQ(nullptr, stock->GetEntityType("Ghost"));
    EXPECT_TRUE(apptest::Logged("Unknown EntityType 'Ghost'"));
    EXPECT_EQ(nullptr, stock->GetEntityType("Ghost"));
    EXPECT_EQ(2, apptest::CountLogged("Creating entity type 'Ghost'"));
    EXPECT_EQ(before, stock->num_types);
}

namespace {

std::string ManyTypes(int n)
{
    std::string nodes;
    for (int i = 0; i < n; i++)
        nodes += Node("T" + std::to_string(i));
    return nodes;
}

}  // namespace

TEST_F(StockRegistry, NinetySeventhTypeRefused)
{
    StartWith(ManyTypes(100));
    for (int i = 0; stock->num_types < Stock::MAX_TYPES; i++)
        ASSERT_NE(nullptr, stock->GetEntityType(("T" + std::to_string(i)).c_str())) << i;
    EXPECT_EQ(nullptr, stock->GetEntityType("T99"));
    EXPECT_TRUE(apptest::Logged("EntityType limit exceeded (96 ent types)."));
    EXPECT_EQ(0, apptest::CountLogged("Creating entity type 'T99'"));
    EXPECT_EQ(Stock::MAX_TYPES, stock->num_types);
}

// At 95 types a commander creates its commanded type as the 96th, then finds the
// registry full: no 97th is written.
TEST_F(StockRegistry, LimitReachedThroughNestedCreation)
{
    StartWith(ManyTypes(100) + Node("Commander", "controls_entities=\"Drone\"") + Node("Drone"));
    for (int i = 0; stock->num_types < Stock::MAX_TYPES - 1; i++)
        ASSERT_NE(nullptr, stock->GetEntityType(("T" + std::to_string(i)).c_str())) << i;
    EXPECT_EQ(nullptr, stock->GetEntityType("Commander"));
    EXPECT_EQ(Stock::MAX_TYPES, stock->num_types);
    EXPECT_EQ("Drone", TypeNames().back());
    EXPECT_TRUE(apptest::Logged("EntityType limit exceeded (96 ent types)."));
    EXPECT_EQ(nullptr, stock->GetEntityType("Commander"));
    EXPECT_EQ(1, apptest::CountLogged("Creating entity type 'Commander'"));
}

TEST_F(StockRegistry, SelfAndMutualCommandRefused)
{
    StartWith(Node("Narcissus", "controls_entities=\"Narcissus\"") + Node("Alpha", "controls_entities=\"Beta\"") +
              Node("Beta", "controls_entities=\"Alpha\""));
    EntityType *self = stock->GetEntityType("Narcissus");
    ASSERT_NE(nullptr, self);
    EXPECT_EQ(nullptr, self->controls_entities);
    EXPECT_TRUE(apptest::Logged("EntityType 'Narcissus' refers to itself"));

    EntityType *alpha = stock->GetEntityType("Alpha");
    ASSERT_NE(nullptr, alpha);
    EntityType *beta = stock->GetEntityType("Beta");
    ASSERT_NE(nullptr, beta);
    EXPECT_EQ(beta, alpha->controls_entities);
    EXPECT_EQ(nullptr, beta->controls_entities);
    EXPECT_TRUE(apptest::Logged("EntityType 'Alpha' refers to itself"));
    EXPECT_EQ(1, apptest::CountLogged("Creating entity type 'Beta'"));
    std::vector<std::string> names = TypeNames();
    ASSERT_GE(names.size(), 3u);
    EXPECT_EQ((std::vector<std::string>{"Narcissus", "Beta", "Alpha"}),
              std::vector<std::string>(names.end() - 3, names.end()));
}

// Made during the stock's set-up, before the world is published: the type still finds
// its behaviour in the stock being set up.
// A type whose weapon fires that very type: the nested request is refused.
TEST_F(StockRegistry, ProjectileChainNamingItsOwnTypeRefused)
{
    StartWith(Node("Turret", "weapon=\"Boomerang\""), Node("Boomerang", "projectile_entity=\"Turret\""));
    EntityType *turret = stock->GetEntityType("Turret");
    ASSERT_NE(nullptr, turret);
    ASSERT_NE(nullptr, turret->weapon);
    EXPECT_EQ(nullptr, turret->weapon->projectile_entity);
    EXPECT_TRUE(apptest::Logged("EntityType 'Turret' refers to itself"));
    EXPECT_EQ(1, apptest::CountLogged("Creating entity type 'Turret'"));
    EXPECT_EQ(turret, stock->GetEntityType("Turret"));
}

TEST_F(StockRegistry, LeadProjectilesShareOneTypeMadeDuringSetUp)
{
    StartWith(Node("ProjectileLead", "type=\"ProjectileSimple\" ai=\"Bullet\""));
    EntityType *lead = stock->GetEntityType("ProjectileLead");
    ASSERT_NE(nullptr, lead);
    EXPECT_EQ(stock->GetEntityAI("Bullet"), lead->ai);
    for (int i = 0; i < Stock::NUM_LEAD_PROJECTILES; i++)
        EXPECT_EQ(lead, stock->lead_projectiles[i]);
    EXPECT_EQ(1, apptest::CountLogged("Creating entity type 'ProjectileLead'"));
    EXPECT_EQ(4, stock->num_blood_decals);
}

// ---- Caching the battle's types.

namespace {

std::string Sprites(const std::string &name, const std::string &extra = "")
{
    return Node(name, "bm_move=\"gfx/" + name + "-move.png\" bm_move2=\"gfx/" + name + "-move2.png\" bm_die=\"gfx/" +
                          name + "-die.png\" " + extra);
}

int CacheMode(ov_bitmap_t *b)
{
    return b ? b->cache_mode : -1;
}

}  // namespace

TEST_F(StockRegistry, GameAssetsCachedInOrderAndReleasedExceptKeptOnes)
{
    std::string nodes = Sprites("BaseBunker", "cache_flags=\"KEEP_CACHED\"") + Sprites("MinigunTrooper") +
                        Sprites("BazookaTrooper", "cache_flags=\"keep_cached\"") + Sprites("ShotgunTrooper") +
                        Sprites("PyroTrooper", "cache_flags=\"Keep_Cached\"") + Sprites("SniperTrooper") +
                        Sprites("Zed") + Sprites("Ant", "weapon=\"Spitter\"") + Sprites("Spit");
    apptest::WriteFile("levels/test.xml",
                       gametest::XmlArray("waves", "<node id=\"w1\" spawn_type=\"Zed\" />\n<node id=\"w2\" />\n"
                                                   "<node id=\"w3\" spawn_type=\"Ant\" />\n"
                                                   "<node id=\"w4\" spawn_type=\"Zed\" />\n"));
    StartWith(nodes, Node("Spitter", "projectile_entity=\"Spit\""));
    int before = stock->num_types;
    stock->CacheGameAssets("levels/test.xml", true);
    EXPECT_FALSE(apptest::Logged("Unable to load level def"));
    std::vector<std::string> names = TypeNames();
    ASSERT_EQ((size_t)before + 9, names.size());
    // The fixed six, then the waves' types in node order (Ant creates its weapon's Spit).
    EXPECT_EQ((std::vector<std::string>{"BaseBunker", "MinigunTrooper", "BazookaTrooper", "ShotgunTrooper",
                                        "PyroTrooper", "SniperTrooper", "Zed", "Spit", "Ant"}),
              std::vector<std::string>(names.begin() + before, names.end()));
    for (int i = before; i < stock->num_types; i++) {
        EntityType *t = stock->types[i];
        EXPECT_EQ(4, CacheMode(t->bm_move)) << t->name;
        EXPECT_EQ(4, CacheMode(t->bm_move2)) << t->name;
        EXPECT_EQ(4, CacheMode(t->bm_die)) << t->name;
    }

    stock->CacheGameAssets("levels/test.xml", false);
    for (int i = before; i < stock->num_types; i++) {
        EntityType *t = stock->types[i];
        bool kept = t->cache_flags != nullptr;
        EXPECT_EQ(kept ? 4 : 0, CacheMode(t->bm_move)) << t->name;
        EXPECT_EQ(kept ? 4 : 0, CacheMode(t->bm_die)) << t->name;
    }
}

TEST_F(StockRegistry, MissingLevelStillCachesTheFixedTypes)
{
    StartWith(Sprites("BaseBunker") + Sprites("MinigunTrooper"));
    stock->CacheGameAssets("levels/none.xml", true);
    EXPECT_TRUE(apptest::Logged("Unable to load level def 'levels/none.xml'"));
    EXPECT_NE(nullptr, stock->GetEntityType("BaseBunker"));
    EXPECT_EQ(1, apptest::CountLogged("Creating entity type 'MinigunTrooper'"));
    EXPECT_EQ(1, apptest::CountLogged("Creating entity type 'SniperTrooper'"));
}

// A projectile type whose weapon fires that type again: caching ends.
TEST_F(StockRegistry, CachingAWeaponLoopEnds)
{
    StartWith(Sprites("Gunner", "weapon=\"Loop\"") + Sprites("Slug", "weapon=\"Loop\""),
              Node("Loop", "projectile_entity=\"Slug\""));
    EntityType *gunner = stock->GetEntityType("Gunner");
    ASSERT_NE(nullptr, gunner);
    ASSERT_NE(nullptr, gunner->weapon);
    EntityType *slug = stock->GetEntityType("Slug");
    ASSERT_NE(nullptr, slug);
    stock->CacheEntityType(gunner, true);
    EXPECT_EQ(4, CacheMode(slug->bm_move));
    stock->CacheWeapon(nullptr, true);
    stock->CacheEntityType(nullptr, true);
}

// ---- The shared battle assets, by the names the battle draws them with.

TEST_F(StockRegistry, SharedAssetsFetchedByName)
{
    StartWith("");
    const struct { ov_bitmap_t *bitmap; const char *name; } bitmaps[] = {
        {stock->bm_tactic_indicator, "game-ui/tactic-indicator.png"},
        {stock->bm_incoming_enemies, "game-ui/incoming-enemies.png"},
        {stock->bm_path_arrow, "game-ui/path-arrow.png"},
        {stock->bm_entity_selector, "game-ui/entity-selector.png"},
        {stock->bm_entity_target, "game-ui/entity-target.png"},
        {stock->bm_pause_button, "ui/gfx/pause_button.png"},
        {stock->bm_play_button, "ui/gfx/play_button.png"},
        {stock->bm_shop_icons[0], "shop/minigunstandard.png"},
        {stock->bm_shop_icons[12], "shop/bazookastandard.png"},
        {stock->bm_shop_icons[29], "shop/sniperalien.png"},
        {stock->bm_reload_magazine, "game-ui/reload-magazine.png"},
        {stock->bm_range_indicator, "game-ui/range_indicator.png"},
        {stock->bm_reload_ammo, "game-ui/reload-ammo.png"},
        {stock->bm_foot_glow_red, "fxs/foot-glow-red.png"},
        {stock->bm_foot_glow, "fxs/foot-glow.png"},
        {stock->bm_health_fore, "game-ui/health-foreground.png"},
        {stock->bm_health_back, "game-ui/health-background.png"},
        {stock->bm_bunker_health_fore, "game-ui/health-bunker-fore.png"},
        {stock->bm_bunker_health_back, "game-ui/health-bunker-back.png"},
        {stock->bm_red_target, "ui/gfx/red_target.png"},
        {stock->bm_shell, "fxs/45degshell.png"},
        {stock->blood_decals[0], "blood/blood-01.tga"},
        {stock->blood_decals[3], "blood/blood-06.tga"},
    };
    for (const auto &b : bitmaps) {
        ASSERT_NE(nullptr, b.bitmap) << b.name;
        EXPECT_STREQ(b.name, b.bitmap->name);
    }
    // The shop icons are loaded to stay (cache mode 4).
    for (int i = 0; i < Stock::NUM_SHOP_ICONS; i++) {
        ASSERT_NE(nullptr, stock->bm_shop_icons[i]) << i;
        EXPECT_EQ(4, stock->bm_shop_icons[i]->cache_mode) << i;
    }
    EXPECT_EQ(4, stock->num_blood_decals);
    const struct { fx_t *fx; const char *name; } effects[] = {
        {stock->fx_target_removed, "fxs/entity-target-removed.lua"},
        {stock->fx_target, "fxs/entity-target.lua"},
        {stock->fx_selector, "fxs/entity-selector.lua"},
        {stock->fx_in_flames, "fxs/in-flames.lua"},
        {stock->fx_artillery_strike, "fxs/artillery-strike.lua"},
        {stock->fx_artillery_strike_light, "fxs/artillery-strike-light.lua"},
        {stock->fx_star_lost[0], "fxs/star-lost.lua"},
        {stock->fx_star_lost[1], "fxs/star-lost-2.lua"},
        {stock->fx_star_lost[2], "fxs/star-lost-3.lua"},
        {stock->fx_egg_glow_exploding, "fxs/egg_glow_exploding.lua"},
        {stock->fx_hilight_rank, "fxs/hilight-rank.lua"},
    };
    for (const auto &f : effects) {
        ASSERT_NE(nullptr, f.fx) << f.name;
        EXPECT_STREQ(f.name, f.fx->name);
    }
    ASSERT_NE(nullptr, stock->font_medium);
    ASSERT_NE(nullptr, stock->font_large);
    EXPECT_STREQ("fonts/medium.mft", stock->font_medium->name);
    EXPECT_STREQ("fonts/large.mft", stock->font_large->name);
}

namespace {

// The engine's extension call with the product features replaced.
const char *(*g_real_extension)(const char *, const char *) = nullptr;
const char *g_features = "";
const char *FeaturesExtension(const char *command, const char *argument)
{
    if (command && argument && strcmp(command, "ProgramInfo") == 0 && strcmp(argument, "Features") == 0)
        return g_features;
    return g_real_extension(command, argument);
}

}  // namespace

// SMALL_SCREEN selects the double-size battle fonts.
TEST_F(StockRegistry, SmallScreenSelectsTheDoubleFonts)
{
    StartGame();
    g_real_extension = ov->OV_CallExtension;
    ov->OV_CallExtension = FeaturesExtension;
    g_features = "SMALL_SCREEN";
    feature_man.Initialize();
    MakeWorld();
    Stock *small = world->stock;
    ASSERT_NE(nullptr, small->font_medium);
    ASSERT_NE(nullptr, small->font_large);
    EXPECT_STREQ("fonts/medium_2x.mft", small->font_medium->name);
    EXPECT_STREQ("fonts/large_2x.mft", small->font_large->name);
    g_features = "";
    feature_man.Initialize();
}
