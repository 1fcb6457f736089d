// The small game-state operations: star rating, score and money with their floating
// notices, the tactical pause, the free-spot search, and the game helpers (uniform
// draw, particle-layer mapping, the ground-decal death function).
#include "tests/game/game_fixture.h"

#include "app/services/random.h"
#include "app/ui/partfx.h"
#include "app/ui/parts.h"
#include "app/ui/screen-manager.h"
#include "app/ui/widgets/ui-button.h"
#include "game/entities/entity.h"
#include "game/entities/stock.h"
#include "game/game-util.h"
#include "game/gamestate.h"
#include "game/spawn-manager.h"

#include <math.h>
#include <string.h>

#include <deque>
#include <string>

namespace {

const char *kTypes =
    "<node id=\"BaseBunker\" type=\"Structure\" flags=\"NORMAL\" friend_group=\"PLAYERS\" hit_points=\"100\" "
    "radius=\"40\" ai=\"BaseBunker\"/>\n"
    "<node id=\"Hollow\" flags=\"NORMAL\" friend_group=\"PLAYERS\" hit_points=\"0\"/>\n"
    "<node id=\"Trooper\" flags=\"NORMAL MOVABLE\" friend_group=\"PLAYERS\" hit_points=\"100\" radius=\"10\"/>\n"
    "<node id=\"Pickup\" type=\"Powerup\" flags=\"POWERUP\" friend_group=\"PLAYERS\" hit_points=\"1\" "
    "radius=\"12\"/>\n";

std::deque<int> scripted;
int Scripted()
{
    if (scripted.empty())
        return 0;
    int v = scripted.front();
    scripted.pop_front();
    return v;
}

class GameOps : public gametest::GameTest {
protected:
    void SetUp() override
    {
        gametest::GameTest::SetUp();
        StartGame();
        WriteEntities(kTypes);
        MakeWorld();
    }
    void TearDown() override
    {
        AppSetRandomSource(nullptr);
        gametest::GameTest::TearDown();
    }
    EntityType *Type(const char *name) { return world->stock->GetEntityType(name); }
    void AddFeatureRecord(const char *name)
    {
        strcpy(game.features[game.num_features].name, name);
        game.features[game.num_features].count = 1;
        game.num_features++;
    }
    // The texts of the top layer's live text particles.
    std::string Notices()
    {
        std::string out;
        for (part_t *p = world->top_parts->FirstLive(); p; p = world->top_parts->NextLive(p)) {
            if (p->text)
                out += std::string(p->text) + ";";
        }
        return out;
    }
};

}  // namespace

TEST_F(GameOps, StarRatingTable)
{
    struct Case {
        int mode;
        const char *base;
        float lowest;
        int lost;
        int stars;
    } cases[] = {
        {GAME_MODE_SURVIVAL, "BaseBunker", 10.0f, 3, 5},
        {GAME_MODE_LEVEL, "BaseBunker", 60.0f, 0, 4},   // int(1 + 0.6 / 0.75 x 4)
        {GAME_MODE_LEVEL, "BaseBunker", 60.0f, 1, 3},
        {GAME_MODE_LEVEL, "BaseBunker", 75.0f, 0, 5},
        {GAME_MODE_LEVEL, "BaseBunker", 10000.0f, 2, 3},
        {GAME_MODE_LEVEL, "BaseBunker", -5.0f, 0, 1},
        {GAME_MODE_LEVEL, "BaseBunker", 0.0f, 0, 1},
        {GAME_MODE_LEVEL, "BaseBunker", 60.0f, 4, 1},  // never below 1
        {GAME_MODE_LEVEL, "Nobody", 60.0f, 0, 0},      // unknown base type
        {GAME_MODE_LEVEL, "Hollow", 60.0f, 0, 0},      // base type without hit points
    };
    for (const Case &c : cases) {
        game.parms.game_mode = c.mode;
        strcpy(game.base_type, c.base);
        game.lowest_bunker_hp = c.lowest;
        game.troopers_lost = c.lost;
        EXPECT_EQ(c.stars, game.GetCurrentStarRating()) << c.base << " " << c.lowest << " " << c.lost;
    }
}

TEST_F(GameOps, ScoreWithFeaturesModesAndNotices)
{
    vec2_t where = {200.0f, 150.0f};
    game.parms.game_mode = GAME_MODE_SURVIVAL;
    game.AddScore(10, where);
    EXPECT_EQ(10, game.score);
    EXPECT_EQ("+10;", Notices());
    part_t *notice = world->top_parts->FirstLive();
    EXPECT_FLOAT_EQ(-4.0f, notice->vy);
    EXPECT_EQ(&graph_smooth_fade, notice->alpha_graph);
    EXPECT_LE(fabsf(notice->end_angle), 0.1309f);

    game.parms.game_mode = GAME_MODE_LEVEL;
    game.AddScore(10, where);
    EXPECT_EQ(20, game.score);
    EXPECT_EQ("+10;", Notices());  // no notice in level mode

    AddFeatureRecord("HONOR_AMPLIFIER");
    game.AddScore(10, where);
    EXPECT_EQ(32, game.score);

    game.parms.game_mode = GAME_MODE_DEFEND_THE_FLAG;
    game.medtent_count = 3;
    game.AddScore(10, where);
    EXPECT_EQ(32 + 36, game.score);

    game.parms.game_mode = GAME_MODE_SURVIVAL;
    game.AddScore(-5, where);
    EXPECT_EQ(62, game.score);
    EXPECT_EQ(std::string::npos, Notices().find("-"));
}

TEST_F(GameOps, MoneyOnlyWhileEnabled)
{
    vec2_t where = {200.0f, 150.0f};
    game.AddMoney(100, where);
    EXPECT_EQ(0, game.money);
    EXPECT_EQ("", Notices());
    game.money_enabled = 1;
    game.AddMoney(100, where);
    EXPECT_EQ(100, game.money);
    EXPECT_EQ(100, game.money_earned);
    AddFeatureRecord("TREASURE_FINDER");
    game.AddMoney(100, where);
    EXPECT_EQ(210, game.money);
    EXPECT_EQ(210, game.money_earned);
    EXPECT_EQ("$100;$100;", Notices());  // the amount passed in
}

TEST_F(GameOps, PauseSwitchesIconsAndClearsTheGlow)
{
    uitest::ProbeScreen *screen = MakeScreen("Game");
    if (!screen->ui)
        screen->ui = sman.GetUISetForScreen("", screen);
    UICompButton *button = new UICompButton;
    button->SetName("PauseTime");
    button->owner = screen;
    screen->ui->comps.InsertLast(button);
    UIComp *highlight = AddComp(screen, "PauseTimeHighlight", 0, 0, 10, 10);
    highlight->visible = true;

    Entity *trooper = world->SpawnEntity(Type("Trooper"), vec2_t{100, 100});
    trooper->highlight = 3.0f;
    game.SetPause(true);
    EXPECT_EQ(1, game.paused);
    EXPECT_EQ(0.0f, trooper->highlight);
    EXPECT_EQ(world->stock->bm_play_button, button->bm_icon);
    EXPECT_FALSE(highlight->visible);
    game.SetPause(false);
    EXPECT_EQ(0, game.paused);
    EXPECT_EQ(world->stock->bm_pause_button, button->bm_icon);
}

TEST_F(GameOps, FreePositionAvoidsTroopersPickupsAndTheQueue)
{
    vec2_t centre = {512.0f, 384.0f};
    vec2_t out = {0, 0};
    game.GetFreePosition(10.0f, centre, 0.0f, out);
    EXPECT_FLOAT_EQ(512.0f, out.x);
    EXPECT_FLOAT_EQ(384.0f, out.y);

    // Off the field every draw fails: the centre comes back.
    vec2_t outside = {-500.0f, -500.0f};
    game.GetFreePosition(10.0f, outside, 10.0f, out);
    EXPECT_FLOAT_EQ(-500.0f, out.x);

    // A trooper on the centre: spread 0 fails 100 times, then the centre anyway.
    Entity *trooper = world->SpawnEntity(Type("Trooper"), centre);
    AppSetRandomSource(Scripted);
    scripted.assign(250, 100);
    game.GetFreePosition(10.0f, centre, 0.0f, out);
    EXPECT_FLOAT_EQ(512.0f, out.x);
    EXPECT_EQ(50u, scripted.size());  // two draws per attempt
    AppSetRandomSource(nullptr);

    // With room, the spot keeps 1.5 x the clearance from the trooper, a pick-up and a
    // queued pick-up.
    world->SpawnEntity(Type("Pickup"), vec2_t{540.0f, 384.0f});
    world->spawn_manager->AddSpawnInfo(99999, Type("Pickup"), vec2_t{484.0f, 384.0f});
    AppSeedRandom(7);
    for (int i = 0; i < 50; i++) {
        game.GetFreePosition(10.0f, centre, 60.0f, out);
        float dx = out.x - centre.x, dy = out.y - centre.y;
        EXPECT_LE(dx * dx + dy * dy, 60.0f * 60.0f + 0.01f);
        // Scores within 15 squared: d^2 - r^2 <= 225.
        EXPECT_GT(hypotf(out.x - trooper->pos.x, out.y - trooper->pos.y), 18.0f);
        EXPECT_GT(hypotf(out.x - 540.0f, out.y - 384.0f), 19.2f);
        EXPECT_GE(hypotf(out.x - 484.0f, out.y - 384.0f), 15.0f);
        EXPECT_FALSE(out.x == centre.x && out.y == centre.y);
    }
}

TEST_F(GameOps, RandfAndTheScaleMapping)
{
    AppSetRandomSource(Scripted);
    scripted = {0, 32767, 16383};
    EXPECT_FLOAT_EQ(2.0f, randf(2.0f, 6.0f));
    EXPECT_FLOAT_EQ(6.0f, randf(2.0f, 6.0f));
    EXPECT_NEAR(4.0f, randf(2.0f, 6.0f), 1e-3f);

    float sx = sman.reference_scale_x, sy = sman.reference_scale_y;
    sman.reference_scale_x = 2.0f;
    sman.reference_scale_y = 1.0f;
    vec2_t p = {30.0f, 60.0f};
    vec2_t a = AdjustPosByAverageScale(p);
    EXPECT_FLOAT_EQ(40.0f, a.x);  // 30 x 2 / 1.5
    EXPECT_FLOAT_EQ(40.0f, a.y);  // 60 x 1 / 1.5
    vec2_t back = UnadjustPosByAverageScale(a);
    EXPECT_FLOAT_EQ(30.0f, back.x);
    EXPECT_FLOAT_EQ(60.0f, back.y);
    sman.reference_scale_x = sx;
    sman.reference_scale_y = sy;
}

TEST_F(GameOps, DyingParticleLeavesADecal)
{
    part_graph_t fade = {};
    fade.points[0] = {0.0f, 1.0f};
    fade.points[1] = {0.5f, 0.0f};
    fade.count = 2;
    part_graph_t grow = {};
    grow.points[0] = {0.0f, 1.0f};
    grow.points[1] = {0.5f, 2.0f};
    grow.points[2] = {2.0f, 4.0f};
    grow.count = 3;
    part_t part = {};
    part.x = 40.0f;
    part.y = 50.0f;
    part.alpha = 0.5f;
    part.scale = 1.5f;
    part.end_angle = 0.25f;
    part.alpha_graph = &fade;
    part.scale_graph = &grow;
    int before = world->num_decals;
    PMAN_func_death_Decal(&part);
    ASSERT_EQ(before + 1, world->num_decals);
    const ScapeDecal &d = world->decals[before];
    EXPECT_FLOAT_EQ(0.0f, d.color.a);            // the last point's value
    EXPECT_FLOAT_EQ(1.5f * (2.0f + 2.0f / 3.0f), d.scale);  // 2 + (4 - 2) x (1 - 0.5) / 1.5
    EXPECT_FLOAT_EQ(0.25f, d.angle);
    EXPECT_FLOAT_EQ(1.0f, d.color.r);
    EXPECT_EQ(0, d.blend);

    // Without a world nothing happens.
    FreeWorld();
    PMAN_func_death_Decal(&part);
}

// Effects started on the world's top layer at the point mapped for the particle layers;
// nothing without an effect, a world or a top layer.
TEST_F(GameOps, TopEffectsStartOnTheTopLayerAtTheMappedPoint)
{
    apptest::WriteFile("fxs/one.lua", "FXParm ('num_parts', 1) FXParm ('bitmap', 'dot') FXParm ('age_to_die', 9, 9)");
    fx_t *fx = pbman.GetFX("fxs/one.lua");
    ASSERT_NE(nullptr, fx);
    float sx = sman.reference_scale_x, sy = sman.reference_scale_y;
    sman.reference_scale_x = 2.0f;
    sman.reference_scale_y = 1.0f;
    const int before = world->top_parts->GetLiveCount();
    SpawnTopEffect(world, fx, vec2_t{30.0f, 60.0f});
    ASSERT_EQ(before + 1, world->top_parts->GetLiveCount());
    part_t *p = world->top_parts->FirstLive();
    EXPECT_NEAR(40.0f, p->x, 0.5f);  // 30 x 2 / 1.5
    EXPECT_NEAR(40.0f, p->y, 0.5f);  // 60 x 1 / 1.5
    sman.reference_scale_x = sx;
    sman.reference_scale_y = sy;

    SpawnTopEffect(world, nullptr, vec2_t{30.0f, 60.0f});
    SpawnTopEffect(nullptr, fx, vec2_t{30.0f, 60.0f});
    PartMan *top = world->top_parts;
    world->top_parts = nullptr;
    SpawnTopEffect(world, fx, vec2_t{30.0f, 60.0f});
    world->top_parts = top;
    EXPECT_EQ(before + 1, world->top_parts->GetLiveCount());
}

// The credit for a shot goes to the end of its owner chain; a chain that loops ends.
TEST_F(GameOps, RootOwnerIsTheEndOfTheOwnerChain)
{
    EXPECT_EQ(nullptr, RootOwner(nullptr));
    Entity *trooper = world->SpawnEntity(Type("Trooper"), vec2_t{100.0f, 100.0f});
    Entity *grenade = world->SpawnEntity(Type("Trooper"), vec2_t{110.0f, 100.0f});
    Entity *shard = world->SpawnEntity(Type("Trooper"), vec2_t{120.0f, 100.0f});
    ASSERT_TRUE(trooper && grenade && shard);
    EXPECT_EQ(trooper, RootOwner(trooper));
    grenade->owner = trooper;
    shard->owner = grenade;
    EXPECT_EQ(trooper, RootOwner(shard));
    trooper->owner = shard;  // a stale loop: the walk still ends, on one of the three
    Entity *end = RootOwner(shard);
    EXPECT_TRUE(end == trooper || end == grenade || end == shard);
    trooper->owner = grenade->owner = shard->owner = nullptr;
}

// A new pick-up keeps clear of the pick-ups on their way: only queued POWERUP types count,
// nearer than the reach.
TEST_F(GameOps, QueuedPickupsNearAPoint)
{
    SpawnManager *spawns = world->spawn_manager;
    EXPECT_FALSE(spawns->PickupQueuedNear(vec2_t{484.0f, 384.0f}, 50.0f));
    spawns->AddSpawnInfo(99999, Type("Pickup"), vec2_t{484.0f, 384.0f});
    spawns->AddSpawnInfo(99999, Type("Trooper"), vec2_t{100.0f, 100.0f});
    EXPECT_TRUE(spawns->PickupQueuedNear(vec2_t{490.0f, 384.0f}, 10.0f));
    EXPECT_FALSE(spawns->PickupQueuedNear(vec2_t{490.0f, 384.0f}, 6.0f)) << "exactly at the reach is clear";
    EXPECT_FALSE(spawns->PickupQueuedNear(vec2_t{100.0f, 100.0f}, 10.0f)) << "a queued trooper is no pick-up";
}

// The living troopers of the roster: dead ones and empty records do not count.
TEST_F(GameOps, LivingTroopersOfTheRoster)
{
    EXPECT_EQ(0, CountLivingTroopers(game));
    Entity *a = world->SpawnEntity(Type("Trooper"), vec2_t{100.0f, 100.0f});
    Entity *b = world->SpawnEntity(Type("Trooper"), vec2_t{200.0f, 100.0f});
    game.troopers.InsertLast(a);
    game.troopers.InsertLast(b);
    game.troopers.InsertLast(nullptr);
    EXPECT_EQ(2, CountLivingTroopers(game));
    world->KillEntity(b, nullptr, true);
    EXPECT_EQ(1, CountLivingTroopers(game));
}
