// The base structures and the spawner in a world: the damage smoke's parameters, the
// repair with its effects, the force field's run-down and collapse, the fall of
// MedTents and of the bunker (ruins, the tent fire, the lost game, the vibration
// command in the extension log), and the spawner's hounds, speed cap and melee.
#include "tests/game/entities/test_entity_ai_fixture.h"

#include "tests/app/services/app_engine_fixture.h"
#include "tests/app/ui/widget_fixture.h"

#include "app/ui/partfx.h"
#include "app/ui/parts.h"
#include "game/entities/ai-structures.h"
#include "game/entities/entity-types.h"
#include "game/entities/powerups.h"
#include "game/entities/upgrades.h"
#include "game/gamestate.h"

#include "ovrecords.h"

#include <gtest/gtest.h>

#include <math.h>
#include <stdio.h>
#include <string.h>

#include <string>
#include <vector>

namespace {

using aitest::EntityAITest;
using aitest::ScriptRandom;

const float kPi = 3.14159265358979f;

const char *const kTypes =
    "<node id=\"BaseBunker\" type=\"Structure\" ai=\"BaseBunker\" flags=\"NORMAL BLOCKS_MOVEMENT\" "
    "friend_group=\"PLAYERS\" hit_points=\"1000\" radius=\"40\" scale=\"1\" bm_move=\"b/bunker.png\"/>\n"
    "<node id=\"MedTent\" type=\"Structure\" ai=\"BaseBunker\" flags=\"NORMAL BLOCKS_MOVEMENT\" "
    "friend_group=\"PLAYERS\" hit_points=\"200\" radius=\"30\" scale=\"1.5\" bm_move=\"b/tent.png\"/>\n"
    "<node id=\"Shed\" type=\"Structure\" ai=\"BaseBunker\" flags=\"NORMAL BLOCKS_MOVEMENT\" "
    "friend_group=\"PLAYERS\" hit_points=\"100\" radius=\"30\" scale=\"1\"/>\n"
    "<node id=\"Soldier\" flags=\"NORMAL MOVABLE\" friend_group=\"PLAYERS\" hit_points=\"100\" radius=\"10\" "
    "scale=\"1\"/>\n"
    "<node id=\"Grunt\" flags=\"NORMAL MOVABLE\" friend_group=\"ENEMIES\" hit_points=\"100\" radius=\"10\" "
    "scale=\"1\"/>\n"
    "<node id=\"Spawner\" ai=\"Spawner\" flags=\"NORMAL MOVABLE\" friend_group=\"ENEMIES\" hit_points=\"300\" "
    "radius=\"20\" scale=\"1\" top_speed=\"50\" damage=\"12\"/>\n"
    "<node id=\"Hound\" flags=\"NORMAL MOVABLE\" friend_group=\"ENEMIES\" hit_points=\"20\" radius=\"8\" "
    "scale=\"1\" top_speed=\"120\"/>\n"
    "<node id=\"Powerup\" type=\"Powerup\" ai=\"Powerup\" flags=\"POWERUP\" friend_group=\"PLAYERS\" "
    "hit_points=\"1\" radius=\"20\" scale=\"1\"/>\n";

const char *const kPowerups = "<node id=\"POWERUP_ENERGY_SHIELD\" name=\"Shield\" rarity=\"1\"/>\n";

const char *const kOneParticle = "FXParm ('num_parts', 1) FXParm ('bitmap', 'dot') FXParm ('age_to_die', 9, 9)";

std::vector<std::string> extension_log;
const char *LogExtension(const char *cmd, const char *arg)
{
    (void)arg;
    extension_log.push_back(cmd ? cmd : "");
    return nullptr;
}

struct FrameCall {
    ov_bitmap_t *bitmap;
    int frame;
};
std::vector<FrameCall> frame_calls;
void (*real_set_frame)(ov_bitmap_t *, int) = nullptr;
void RecordSetFrame(ov_bitmap_t *b, int frame)
{
    frame_calls.push_back({b, frame});
    if (real_set_frame)
        real_set_frame(b, frame);
}

class StructuresTest : public EntityAITest {
protected:
    void SetUp() override
    {
        EntityAITest::SetUp();  // a scratch program folder and a fresh game state
        StartWorld("", kPowerups, kTypes);
        // Types are made on first request, so their sprites may come after the world.
        widgettest::WritePng("b/bunker.png", 8, 8, [](int, int) { return widgettest::Rgba{90, 90, 90, 255}; });
        widgettest::WritePng("b/tent.png", 8, 8, [](int, int) { return widgettest::Rgba{200, 200, 90, 255}; });
        ASSERT_TRUE(Powerup::LoadPowerups());
        extension_log.clear();
        ov->OV_CallExtension = LogExtension;
        frame_calls.clear();
        real_set_frame = ov->OV_SetBitmapFrame;
        ov->OV_SetBitmapFrame = RecordSetFrame;
        game.parms.game_mode = GAME_MODE_SURVIVAL;
        game.force_field_time = 0.0f;
        bunker_ai = world->stock->GetEntityAI("BaseBunker");
        spawner_ai = world->stock->GetEntityAI("Spawner");
    }
    Entity *Trooper(vec2_t p)
    {
        Entity *t = Spawn("Soldier", p);
        game.troopers.InsertLast(t);
        game.living_troopers++;
        return t;
    }
    int CountOf(const char *type)
    {
        Entity *list[512];
        return world->QueryEntitiesOfType(world->stock->GetEntityType(type), Entity::ALL_FLAGS, list, 512);
    }

    EntityAI *bunker_ai = nullptr;
    EntityAI *spawner_ai = nullptr;
};

// Each row's "ai" word gives its entities that behaviour, driven through the type as the
// world drives it: a burning "BaseBunker" row smokes and releases nothing, a "Spawner"
// row releases a hound and sends no smoke.
TEST_F(StructuresTest, EachRowBehavesAsItsAiWordSays)
{
    apptest::WriteFile("fxs/smoke_burns.lua", kOneParticle);
    Entity *bunker = Spawn("BaseBunker", {900, 400});
    game.base = bunker;
    Entity *spawner = Spawn("Spawner", {100, 400});
    ASSERT_NE(nullptr, bunker->type->ai);
    ASSERT_NE(nullptr, spawner->type->ai);

    bunker->hit_points = 100.0f;  // 10 %: smoking
    bunker->anim_time = 0.35f;
    int smoke = world->top_parts->GetLiveCount();
    bunker->type->ai->UpdateEntity(bunker, 0.05f);
    EXPECT_EQ(smoke + 3, world->top_parts->GetLiveCount());
    EXPECT_EQ(0, CountOf("Hound"));

    smoke = world->top_parts->GetLiveCount();
    spawner->type->ai->UpdateEntity(spawner, 0.125f);
    EXPECT_EQ(1, CountOf("Hound"));
    EXPECT_EQ(smoke, world->top_parts->GetLiveCount());
}

// Smoke every 0.35 s below 75 % health, bigger and longer-lived the lower it falls.
TEST_F(StructuresTest, SmokeParameters)
{
    apptest::WriteFile("fxs/smoke_burns.lua", kOneParticle);
    world->ground_angle = 4.0f;
    struct Row {
        float health;  // fraction of 1000
        bool smoke;
        float scale_min;  // 0.4 / r', r' = clamp(health + 0.1, 0, 1)
    } rows[] = {
        {1.0f, false, 0}, {0.75f, false, 0}, {0.5f, true, 0.4f / 0.6f}, {0.1f, true, 2.0f}, {0.0f, true, 4.0f},
    };
    Entity *bunker = Spawn("BaseBunker", {500, 400});
    for (const Row &row : rows) {
        bunker->hit_points = 1000.0f * row.health;
        bunker->anim_time = 0.3f;
        int top = world->top_parts->GetLiveCount();
        bunker_ai->UpdateEntity(bunker, 0.01f);
        EXPECT_FLOAT_EQ(0.3f + 0.01f, bunker->anim_time);  // not yet
        bunker_ai->UpdateEntity(bunker, 0.05f);
        EXPECT_FLOAT_EQ(0.0f, bunker->anim_time);
        EXPECT_EQ(top + (row.smoke ? 3 : 0), world->top_parts->GetLiveCount()) << row.health;
        fx_t *fx = pbman.GetFX("fxs/smoke_burns.lua");
        ASSERT_NE(nullptr, fx);
        EXPECT_FLOAT_EQ(4.0f, fx->move_angle);
        if (row.smoke) {
            float r = row.scale_min > 0 ? 0.4f / row.scale_min : 1.0f;
            EXPECT_NEAR(row.scale_min, fx->scale.min, 1e-4f) << row.health;
            EXPECT_NEAR(0.35f / r, fx->scale.max, 1e-4f);
            EXPECT_NEAR(0.35f / r, fx->lifetime.min, 1e-4f);
            EXPECT_NEAR(0.5f / r, fx->lifetime.max, 1e-4f);
        }
    }
}

// Where the smoke comes out: three points by the level's base kind, or turning with a
// MedTent (display scales 1, so the correction leaves the offsets as they are).
TEST_F(StructuresTest, SmokePointsByBaseKind)
{
    apptest::WriteFile("fxs/smoke_burns.lua", kOneParticle);
    struct Row {
        const char *base_kind;
        const char *type;
        float angle;
        float offsets[3][2];
    } rows[] = {
        {"BaseBunker", "BaseBunker", 0.0f, {{15, -20}, {-8, 6}, {35, -15}}},
        {"BaseLauncher", "BaseBunker", 0.0f, {{29, -23}, {-35, -23}, {59, 22}}},
        {"BasePowerPlant", "BaseBunker", 0.0f, {{37, 3}, {-2, 34}, {23, 34}}},
        {"BaseBunker", "MedTent", 0.5f,
         {{21 * cosf(1.15f), 21 * sinf(1.15f)}, {15 * cosf(-1.6f), 15 * sinf(-1.6f)}, {25 * cosf(-0.4f), 25 * sinf(-0.4f)}}},
    };
    for (const Row &row : rows) {
        snprintf(game.base_type, sizeof game.base_type, "%s", row.base_kind);
        world->top_parts->ResetAndResizePool(64);
        Entity *e = Spawn(row.type, {500, 400});
        world->top_parts->ResetAndResizePool(64);  // without the birth sparks
        e->angle = row.angle;
        e->hit_points = 0.5f * e->max_hit_points;
        e->anim_time = 0.34f;
        bunker_ai->UpdateEntity(e, 0.02f);
        std::vector<vec2_t> at;
        for (part_t *p = world->top_parts->FirstLive(); p; p = world->top_parts->NextLive(p))
            at.push_back({p->x, p->y});
        ASSERT_EQ(3u, at.size()) << row.base_kind << " " << row.type;
        for (const auto &o : row.offsets) {
            bool found = false;
            for (const vec2_t &q : at)
                found = found || (fabsf(q.x - (500 + o[0])) < 1e-3f && fabsf(q.y - (400 + o[1])) < 1e-3f);
            EXPECT_TRUE(found) << row.base_kind << " " << row.type << " (" << o[0] << ", " << o[1] << ")";
        }
        world->KillEntity(e, nullptr, true);
    }
}

// 100 hit points a second; an effect each time the pending amount crosses a multiple
// of 50, unless the structure is full first.
TEST_F(StructuresTest, RepairRestoresAHundredPerSecondWithEffects)
{
    apptest::WriteFile("fxs/repair-bunker.lua", kOneParticle);
    struct Row {
        float hp;
        float pending;
        int frames;  // of 1/16 s
        float hp_after;
        float pending_after;
        int effects;
    } rows[] = {
        {500, 250, 39, 743.75f, 6.25f, 5},  // 2.4375 s: 6.25 still pending
        {500, 250, 40, 750, 0, 5},          // 2.5 s
        {800, 250, 40, 1000, 0, 4},         // full after 2 s: the rest is dropped
    };
    for (const Row &row : rows) {
        Entity *bunker = Spawn("BaseBunker", {500, 400});
        game.base = bunker;
        bunker->hit_points = row.hp;
        game.pending_bunker_repair = row.pending;
        int top = world->top_parts->GetLiveCount();
        for (int f = 0; f < row.frames; f++) {
            bunker->anim_time = 0.0f;  // no smoke puff in between: only the repair's effects
            bunker_ai->UpdateEntity(bunker, 1.0f / 16.0f);
        }
        EXPECT_FLOAT_EQ(row.hp_after, bunker->hit_points) << row.frames;
        EXPECT_FLOAT_EQ(row.pending_after, game.pending_bunker_repair);
        EXPECT_EQ(top + row.effects, world->top_parts->GetLiveCount()) << row.hp << " " << row.frames;
        world->KillEntity(bunker, nullptr, true);
        game.base = nullptr;
    }
}

TEST_F(StructuresTest, RepairOnlyReachesTheBase)
{
    Entity *bunker = Spawn("BaseBunker", {500, 400});
    Entity *tent = Spawn("MedTent", {200, 400});
    game.base = bunker;
    bunker->hit_points = 500;
    tent->hit_points = 100;
    game.pending_bunker_repair = 100;
    bunker_ai->UpdateEntity(tent, 0.5f);
    EXPECT_FLOAT_EQ(100.0f, tent->hit_points);
    bunker_ai->UpdateEntity(bunker, 0.5f);
    EXPECT_FLOAT_EQ(550.0f, bunker->hit_points);
    EXPECT_FLOAT_EQ(50.0f, game.pending_bunker_repair);
}

// The force field runs while its timer is above 0 and a trooper lives; the bunker takes
// no damage under it; the energy shield extends it; the last trooper's death ends it.
TEST_F(StructuresTest, ForceFieldRunsDownAndCollapses)
{
    Entity *bunker = Spawn("BaseBunker", {500, 400});
    game.base = bunker;
    Entity *grunt = Spawn("Grunt", {560, 400});
    grunt->age = 2.0f;
    bunker->age = 2.0f;
    game.force_field_time = 1.0f;
    game.force_field_fade = 1.0f;

    // No trooper yet: the field waits, on and unchanged.
    bunker_ai->UpdateEntity(bunker, 0.25f);
    EXPECT_FLOAT_EQ(1.0f, game.force_field_time);
    EXPECT_EQ(0, game.force_field_on);

    Entity *trooper = Trooper({300, 300});
    struct Step {
        float dt;
        float time_after;
        int on;
        float fade;
    } steps[] = {{0.25f, 0.75f, 1, 0.75f}, {0.5f, 0.25f, 1, 0.25f}, {0.5f, 0.0f, 0, 1.0f}, {0.5f, 0.0f, 0, 1.0f}};
    for (const Step &s : steps) {
        float hp = bunker->hit_points;
        world->DealDamage(bunker, grunt, 10.0f);
        EXPECT_FLOAT_EQ(game.force_field_time > 0 ? hp : hp - 10.0f, bunker->hit_points);
        bunker_ai->UpdateEntity(bunker, s.dt);
        EXPECT_FLOAT_EQ(s.time_after, game.force_field_time);
        EXPECT_EQ(s.on, game.force_field_on);
        EXPECT_FLOAT_EQ(s.fade, game.force_field_fade);
    }
    float hp = bunker->hit_points;
    world->DealDamage(bunker, grunt, 10.0f);
    EXPECT_FLOAT_EQ(hp - 10.0f, bunker->hit_points);  // the field is down

    // The energy shield starts it again; the last trooper's death collapses it at once.
    Entity *pickup = Spawn("Powerup", {100, 100});
    pickup->age = 2.0f;
    Powerup::GetPowerup("POWERUP_ENERGY_SHIELD")->Activate(pickup, trooper);
    float extended = game.force_field_time;
    EXPECT_GT(extended, 0.0f);
    bunker_ai->UpdateEntity(bunker, 0.1f);
    EXPECT_EQ(1, game.force_field_on);
    EXPECT_FLOAT_EQ(extended - 0.1f, game.force_field_time);
    world->KillEntity(trooper, grunt, false);
    bunker_ai->UpdateEntity(bunker, 0.1f);
    EXPECT_FLOAT_EQ(0.0f, game.force_field_time);
    EXPECT_EQ(0, game.force_field_on);
    EXPECT_FLOAT_EQ(1.0f, game.force_field_fade);
    EXPECT_EQ(0, game.force_field_upgraded);
}

// With no base (defend the flag) the field runs down once per frame, by the first tent.
TEST_F(StructuresTest, ForceFieldRunsOncePerFrameWithSeveralTents)
{
    Entity *tents[3] = {Spawn("MedTent", {200, 200}), Spawn("MedTent", {500, 200}), Spawn("MedTent", {800, 200})};
    Trooper({400, 500});
    game.force_field_time = 1.0f;
    for (Entity *t : tents)
        bunker_ai->UpdateEntity(t, 0.1f);
    EXPECT_FLOAT_EQ(0.9f, game.force_field_time);
}

// Defend the flag: a fallen tent leaves its ruin and a fire and the game goes on; the
// last one loses the game (once), shakes the screen and kills everything silently.
TEST_F(StructuresTest, DefendTheFlagTentsFallAndTheLastLosesTheGame)
{
    game.parms.game_mode = GAME_MODE_DEFEND_THE_FLAG;
    world->ground_angle = 3.5f;
    world->zoom = 2.0f;
    apptest::WriteFile("fxs/smoke_burns.lua", kOneParticle);
    Entity *tents[3] = {Spawn("MedTent", {200, 200}), Spawn("MedTent", {500, 200}), Spawn("MedTent", {800, 200})};
    game.medtent_count = 3;
    Entity *trooper = Trooper({400, 500});
    Entity *grunt = Spawn("Grunt", {600, 600});
    tents[0]->angle = 0.5f;

    int emitters = world->emitters.Count();
    world->KillEntity(tents[0], grunt, false);
    EXPECT_EQ(2, game.medtent_count);
    EXPECT_EQ(0, game.lost);
    ASSERT_EQ(1, world->num_decals);
    const ScapeDecal &ruin = world->decals[0];
    EXPECT_EQ(tents[0]->type->bm_move, ruin.bitmap);
    EXPECT_FLOAT_EQ(200.0f, ruin.pos.x);
    EXPECT_FLOAT_EQ(0.5f, ruin.angle);
    EXPECT_FLOAT_EQ(1.5f * 2.0f, ruin.scale);  // x the zoom
    ASSERT_FALSE(frame_calls.empty());
    int frames = tents[0]->type->bm_move->num_frames;
    EXPECT_EQ(frames - 2 > 0 ? frames - 2 : 0, frame_calls.back().frame);
    ASSERT_EQ(emitters + 1, world->emitters.Count());
    const ScapeEmitter &fire = world->emitters[emitters];
    EXPECT_STREQ("TentFire", fire.id);
    EXPECT_EQ(1, fire.active);
    EXPECT_EQ(world->top_parts, fire.layer);
    EXPECT_EQ(pbman.GetFX("fxs/smoke_burns.lua"), fire.fx);
    EXPECT_LE(fabsf(fire.pos.x - 200.0f), 10.0f);
    EXPECT_LE(fabsf(fire.pos.y - 200.0f), 10.0f);
    EXPECT_FLOAT_EQ(0.35f, fire.interval);
    EXPECT_FLOAT_EQ(3.5f, fire.angle);
    EXPECT_FLOAT_EQ(1.9f, fire.fx->scale.min);
    EXPECT_FLOAT_EQ(12.0f, fire.fx->speed.max);
    EXPECT_EQ(std::vector<std::string>{"IPHONE_Vibration"}, extension_log);

    world->KillEntity(tents[1], grunt, false);
    EXPECT_EQ(0, game.lost);
    world->KillEntity(tents[2], grunt, false);
    EXPECT_EQ(0, game.medtent_count);
    EXPECT_EQ(1, game.lost);
    EXPECT_STREQ("GameLost", game.end_condition);
    EXPECT_FLOAT_EQ(2.0f, game.lose_timer);
    EXPECT_FLOAT_EQ(2.0f, world->shake_time);
    EXPECT_EQ(3, world->num_decals);  // the three ruins, no bunker ruin in this mode
    EXPECT_EQ(emitters + 3, world->emitters.Count());
    EXPECT_EQ(4u, extension_log.size());  // three tents and the loss
    EXPECT_FALSE(trooper->IsAlive());
    EXPECT_FALSE(grunt->IsAlive());
    EXPECT_EQ(0, trooper->deaths);  // killed silently: no death handler
    for (int i = 0; i < world->stock->num_entities; i++)
        EXPECT_FALSE(world->stock->entities[i].IsAlive()) << i;

    // Lost once: another structure falling adds no second loss.
    game.lose_timer = 2.5f;
    Entity *late = Spawn("Shed", {300, 300});
    Trooper({350, 350});
    world->KillEntity(late, nullptr, false);
    EXPECT_FLOAT_EQ(2.5f, game.lose_timer);
    EXPECT_EQ(4u, extension_log.size());
}

// Outside defend the flag the bunker's fall loses at once and leaves its last frame as a
// ruin; a structure without a sprite leaves none; with no trooper alive it loses nothing.
TEST_F(StructuresTest, BunkerFallLeavesItsRuin)
{
    struct Row {
        const char *type;
        bool trooper;
        bool lost;
        int decals;
    } rows[] = {{"BaseBunker", true, true, 1}, {"Shed", true, true, 0}, {"BaseBunker", false, false, 1}};
    for (const Row &row : rows) {
        game.lost = 0;
        game.end_condition = nullptr;
        game.lose_timer = 0.0f;
        world->shake_time = 0.0f;
        world->num_decals = 0;
        game.living_troopers = 0;
        extension_log.clear();
        if (row.trooper)
            Trooper({100, 100});
        Entity *s = Spawn(row.type, {500, 400});
        s->angle = 0.25f;
        world->KillEntity(s, nullptr, false);
        EXPECT_EQ(row.lost ? 1 : 0, game.lost) << row.type;
        EXPECT_EQ(row.lost ? 1u : 0u, extension_log.size());
        EXPECT_FLOAT_EQ(row.lost ? 2.0f : 0.0f, world->shake_time);
        EXPECT_FLOAT_EQ(0.0f, game.lose_timer);  // the 5 s wait starts from 0 here
        ASSERT_EQ(row.decals, world->num_decals) << row.type;
        if (row.decals) {
            EXPECT_FLOAT_EQ(0.25f, world->decals[0].angle);
            EXPECT_FLOAT_EQ(1.0f, world->decals[0].scale);
            int frames = s->type->bm_move->num_frames;
            EXPECT_EQ(frames - 1 > 0 ? frames - 1 : 0, frame_calls.back().frame);
        }
    }
}

// A hound every 2.45 s (the first at once), heading as the spawner, at its own speed;
// in steps of 1/8 s the timer runs out in the 20th step after a hound.
TEST_F(StructuresTest, SpawnerReleasesAHoundEvery245Seconds)
{
    Entity *bunker = Spawn("BaseBunker", {900, 400});
    game.base = bunker;
    Entity *spawner = Spawn("Spawner", {100, 400});
    struct Check {
        int frame;  // of 1/8 s, 1-based
        int hounds;
    } checks[] = {{1, 1}, {20, 1}, {21, 2}, {40, 2}, {41, 3}};
    int frame = 0;
    for (const Check &c : checks) {
        while (frame < c.frame) {
            spawner_ai->UpdateEntity(spawner, 0.125f);
            frame++;
        }
        EXPECT_EQ(c.hounds, CountOf("Hound")) << "frame " << c.frame;
    }
    Entity *list[4] = {};
    ASSERT_EQ(3, world->QueryEntitiesOfType(world->stock->GetEntityType("Hound"), Entity::ALL_FLAGS, list, 4));
    for (int i = 0; i < 3; i++)
        EXPECT_EQ(spawner, list[i]->owner);
    EXPECT_NEAR(120.0f, hypotf(list[2]->velocity.x, list[2]->velocity.y), 1e-3f);
    EXPECT_NEAR(0.0f, list[2]->angle, 1e-5f);  // the bunker lies east
    EXPECT_EQ(bunker, spawner->target);
}

TEST_F(StructuresTest, SpawnerSpeedIsCapped)
{
    Entity *bunker = Spawn("BaseBunker", {1000, 400});
    game.base = bunker;
    struct Row {
        float random_phase;
        float chill;
        float cap;  // (1 + 0.2 (phase - 0.5)) x 50 x (1 - chill / 3)
    } rows[] = {{0.5f, 0.0f, 50.0f}, {1.0f, 0.0f, 55.0f}, {0.0f, 0.0f, 45.0f}, {1.0f, 1.5f, 27.5f}};
    for (const Row &row : rows) {
        Entity *s = Spawn("Spawner", {100, 400});
        s->random_phase = row.random_phase;
        s->chill_time = row.chill;
        s->shot_timer = 100.0f;
        float top = 0.0f;
        for (int f = 0; f < 40; f++) {
            spawner_ai->UpdateEntity(s, 0.05f);
            top = fmaxf(top, hypotf(s->velocity.x, s->velocity.y));
        }
        EXPECT_NEAR(row.cap, top, 1e-3f) << row.random_phase << " " << row.chill;
        EXPECT_GT(s->velocity.x, 0.0f);
        world->KillEntity(s, nullptr, true);
    }

    // Sitting on the bunker: no direction, nothing undefined.
    Entity *on = Spawn("Spawner", {1000, 400});
    on->shot_timer = 100.0f;
    on->velocity = {0, 0};
    on->angle = 1.0f;
    spawner_ai->UpdateEntity(on, 0.05f);
    EXPECT_FLOAT_EQ(0.0f, on->velocity.x);
    EXPECT_FLOAT_EQ(0.0f, on->velocity.y);
    EXPECT_TRUE(std::isfinite(on->pos.x));
}

TEST_F(StructuresTest, SpawnerBitesTheBunkerWhenGrownUp)
{
    Entity *bunker = Spawn("BaseBunker", {500, 400});
    game.base = bunker;
    bunker->age = 2.0f;
    Entity *s = Spawn("Spawner", {560, 400});  // 60 < 20 + 40 + 4
    s->shot_timer = 100.0f;
    s->age = 1.0f;
    game.game_clock = 10000;
    spawner_ai->UpdateEntity(s, 0.01f);
    EXPECT_FLOAT_EQ(1000.0f, bunker->hit_points);  // under 2 s old: no bite
    s->age = 2.5f;
    spawner_ai->UpdateEntity(s, 0.01f);
    EXPECT_FLOAT_EQ(988.0f, bunker->hit_points);
    EXPECT_FLOAT_EQ(0.001f, s->attack_phase);
    spawner_ai->UpdateEntity(s, 0.1f);
    EXPECT_FLOAT_EQ(0.401f, s->attack_phase);
    EXPECT_NEAR(kPi, fabsf(s->angle), 1e-3f);  // turned toward the bunker (west)
}

TEST_F(StructuresTest, SpawnerDeathMayDropAPickup)
{
    upgrades.powerup_probability = 100;
    upgrades.powerup_interval = 0;
    Powerup::last_powerup_timestamp = 0;
    game.game_clock = 100000;
    game.base = Spawn("BaseBunker", {800, 400});
    ScriptRandom({}, 16383);  // every gate passes
    Entity *s = Spawn("Spawner", {300, 300});
    int before = CountOf("Powerup");
    world->KillEntity(s, nullptr, false);
    EXPECT_EQ(before + 1, CountOf("Powerup"));
}

}  // namespace
