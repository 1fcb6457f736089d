// The world's frame: relinking after each entity's update, the game clock, pause,
// burning, chill, the border clamp, trails, environment emitters and the decal queue.
#include "tests/game/test_scape_update_fixture.h"

#include "app/services/prog.h"
#include "app/ui/screen-manager.h"
#include "game/entities/stock.h"
#include "game/gamestate.h"
#include "game/spawn-manager.h"

#include <math.h>
#include <algorithm>
#include <string>

using namespace worldtest;

namespace {

class ScapeUpdateTest : public WorldTest {
protected:
    // One screen-clock step of ms, as the screen manager's frame makes it.
    void ScreenClock(int64_t ms)
    {
        sman.prev_time_ms = sman.time_ms;
        sman.time_ms += ms;
    }
    ScapeEmitter *AddEmitter(fx_t *fx, float interval, bool active, int mode = 0)
    {
        ScapeEmitter em = {};
        em.active = active ? 1 : 0;
        em.mode = mode;
        em.pos = V(300, 200);
        em.layer = world->ground_parts;
        em.fx = fx;
        em.interval = interval;
        em.angle = 0.5f;
        world->emitters.InsertLast(em);
        world->num_emitters = world->emitters.Count();
        return &world->emitters[world->emitters.Count() - 1];
    }
};

}  // namespace

TEST_F(ScapeUpdateTest, RecordFreedInItsOwnUpdateStaysOutOfEveryRingAndIsHandedOutCleanly)
{
    ProbeType plain("Plain"), freer("Freer");
    freer.on_update = [this](Entity *e, float) { world->stock->FreeEntity(e); };
    Entity *a = Place(&plain, V(100, 100));
    Entity *b = Place(&freer, V(105, 100));
    Entity *c = Place(&plain, V(110, 100));
    world->Update(0.016f);
    EXPECT_EQ(b->type, nullptr);
    EXPECT_EQ(b->cell, nullptr);
    std::vector<Entity *> found = CheckRings();
    EXPECT_EQ(found.size(), 2u);
    EXPECT_EQ(std::count(found.begin(), found.end(), b), 0);
    EXPECT_EQ(a->cell, c->cell);
    EXPECT_EQ(a->cell->num_entities, 2);

    // The record comes back from the pool whole and lives like any other (the pool
    // keeps its last free record back, so one more is returned behind it).
    world->UnlinkEntity(c);
    world->stock->FreeEntity(c);
    Entity *again = nullptr;
    std::vector<Entity *> taken;
    while (!again) {
        Entity *e = Place(&plain, V(400, 300));
        ASSERT_NE(e, nullptr) << "the freed record was never handed out";
        taken.push_back(e);
        if (e == b)
            again = e;
    }
    world->Update(0.016f);
    found = CheckRings();
    EXPECT_EQ(found.size(), 1u + taken.size());
    EXPECT_EQ(std::count(found.begin(), found.end(), b), 1);
    EXPECT_EQ(b->type, &plain);
}

TEST_F(ScapeUpdateTest, GameClockAddsInDoublePrecision)
{
    struct Case {
        uint32_t start;
        float dt;
        uint32_t expected;
    };
    const Case kCases[] = {
        {0, 0.016f, 16},
        {16777216, 0.001f, 16777217},           // 2^24: a float sum would stall here
        {100000000, 0.25f, 100000250},
        {4294967290u, 0.010f, 4},                // wraps like the unsigned clock
    };
    for (const Case &c : kCases) {
        SCOPED_TRACE(std::to_string(c.start) + " + " + std::to_string(c.dt));
        game.game_clock = c.start;
        world->Update(c.dt);
        EXPECT_EQ(game.game_clock, c.expected);
    }
}

TEST_F(ScapeUpdateTest, PauseStopsClockAgeingAndEmittersButTypesStillUpdate)
{
    ProbeType plain("Plain");
    Entity *e = Place(&plain, V(200, 200));
    AddEmitter(Dot(), 0.05f, true);
    game.paused = 1;
    game.game_clock = 500;
    world->shake_time = 1.0f;
    ScreenClock(100);
    world->Update(0.1f);
    EXPECT_EQ(game.game_clock, 500u);
    EXPECT_FLOAT_EQ(e->age, 1.0f);
    ASSERT_EQ(plain.steps.size(), 1u);
    EXPECT_FLOAT_EQ(plain.steps[0], 0.0f);
    EXPECT_TRUE(Particles(world->ground_parts).empty());
    EXPECT_FLOAT_EQ(world->shake_time, 1.0f);

    game.paused = 0;
    ScreenClock(100);
    world->Update(0.1f);
    EXPECT_EQ(game.game_clock, 600u);
    EXPECT_FLOAT_EQ(e->age, 1.1f);
    EXPECT_FLOAT_EQ(plain.steps[1], 0.1f);
    EXPECT_EQ(Particles(world->ground_parts).size(), 1u);
    EXPECT_FLOAT_EQ(world->shake_time, 0.9f);
}

TEST_F(ScapeUpdateTest, ShakeTimeCountsDownToZero)
{
    world->shake_time = 0.05f;
    world->Update(0.1f);
    EXPECT_FLOAT_EQ(world->shake_time, 0.0f);
}

TEST_F(ScapeUpdateTest, BurningIsCappedAtTwoSecondsAndCreditsThePlayersRootOwner)
{
    ProbeType plain("Plain");
    Entity *trooper = Place(&plain, V(500, 500), Entity::PLAYERS);
    Entity *shot = Place(&plain, V(520, 500), Entity::PLAYERS);
    shot->owner = trooper;
    Entity *alien = Place(&plain, V(540, 500), Entity::ENEMIES);
    Entity *victim = Place(&plain, V(300, 300), Entity::ENEMIES);
    victim->burn_time = 5.0f;
    victim->burn_damage = 10.0f;
    victim->burner = shot;
    for (int i = 0; i < 50; ++i)
        world->Update(0.1f);
    EXPECT_NEAR(victim->hit_points, 80.0f, 1e-3);
    EXPECT_NEAR(victim->damage_taken, 20.0f, 1e-3);
    EXPECT_FLOAT_EQ(victim->burn_time, 0.0f);
    EXPECT_NEAR(trooper->damage_dealt, 20.0f, 1e-3);
    EXPECT_FLOAT_EQ(shot->damage_dealt, 0.0f);

    // An enemy burner earns nothing.
    Entity *other = Place(&plain, V(300, 400), Entity::PLAYERS);
    other->burn_time = 1.0f;
    other->burn_damage = 10.0f;
    other->burner = alien;
    world->Update(0.5f);
    EXPECT_NEAR(other->hit_points, 95.0f, 1e-4);
    EXPECT_FLOAT_EQ(alien->damage_dealt, 0.0f);

    // A burner without a type is forgotten; burning goes on.
    Entity *orphan = Place(&plain, V(300, 500), Entity::ENEMIES);
    orphan->burn_time = 1.0f;
    orphan->burn_damage = 4.0f;
    orphan->burner = &world->stock->entities[world->stock->num_entities - 1];
    ASSERT_EQ(orphan->burner->type, nullptr);
    world->Update(0.5f);
    EXPECT_EQ(orphan->burner, nullptr);
    EXPECT_NEAR(orphan->hit_points, 98.0f, 1e-4);
}

TEST_F(ScapeUpdateTest, BurningToDeathCreditsAtMostTheHealthLeftAndKills)
{
    ProbeType plain("Plain");
    Entity *trooper = Place(&plain, V(500, 500), Entity::PLAYERS);
    Entity *victim = Place(&plain, V(300, 300), Entity::ENEMIES);
    victim->hit_points = 3.0f;
    victim->burn_time = 1.0f;
    victim->burn_damage = 10.0f;
    victim->burner = trooper;
    world->Update(0.5f);
    EXPECT_NEAR(victim->hit_points, -2.0f, 1e-4);
    EXPECT_NEAR(trooper->damage_dealt, 3.0f, 1e-4);
    EXPECT_EQ(victim->state, Entity::STATE_DYING);
}

TEST_F(ScapeUpdateTest, ChillIsCappedAtTwoSecondsAndCountsDown)
{
    ProbeType plain("Plain");
    struct Case {
        float chill, dt, expected;
    };
    const Case kCases[] = {{5.0f, 0.5f, 1.5f}, {1.0f, 0.25f, 0.75f}, {0.1f, 0.5f, 0.0f}};
    for (const Case &c : kCases) {
        SCOPED_TRACE(c.chill);
        Entity *e = Place(&plain, V(200, 200));
        e->chill_time = c.chill;
        world->Update(c.dt);
        EXPECT_FLOAT_EQ(e->chill_time, c.expected);
    }
}

TEST_F(ScapeUpdateTest, EntitiesEndTheUpdateInsideTheField)
{
    ProbeType mover("Mover");
    struct Case {
        vec2_t to, expected;
    };
    const Case kCases[] = {
        {V(1030, 300), V(1019, 300)},
        {V(-40, 900), V(5, 763)},
        {V(512, 2), V(512, 5)},
        {V(NAN, 100), V(5, 100)},
    };
    for (const Case &c : kCases) {
        SCOPED_TRACE(std::to_string(c.to.x) + "," + std::to_string(c.to.y));
        vec2_t to = c.to;
        mover.on_update = [to](Entity *e, float) { e->pos = to; };
        Entity *e = Place(&mover, V(500, 300));
        world->Update(0.016f);
        EXPECT_FLOAT_EQ(e->pos.x, c.expected.x);
        EXPECT_FLOAT_EQ(e->pos.y, c.expected.y);
        EXPECT_EQ(e->cell, world->GetCellAt(e->pos));
        world->UnlinkEntity(e);
        world->stock->FreeEntity(e);
    }
    CheckRings();
}

TEST_F(ScapeUpdateTest, DistanceTrailsAreSpacedExactlyByTheInterval)
{
    ProbeType rocket("Rocket");
    rocket.fx_trail = Dot();
    rocket.trail_mode = EntityType::TRAIL_DISTANCE;
    rocket.trail_interval = 10.0f;
    float step = 35.0f;
    rocket.on_update = [&step](Entity *e, float) { e->pos.x += step; };
    Entity *e = Place(&rocket, V(100, 200));
    e->velocity = V(250, 0);
    e->angle = 0.25f;
    world->Update(0.016f);
    std::vector<part_t *> parts = Particles(world->ground_parts);
    ASSERT_EQ(parts.size(), 3u);
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        EXPECT_NEAR(parts[i]->x, 110.0f + 10.0f * (float)i, 1e-3);
        EXPECT_NEAR(parts[i]->y, 200.0f, 1e-3);
        EXPECT_NEAR(parts[i]->start_angle, 0.25f, 1e-6);
    }
    EXPECT_FLOAT_EQ(e->trail_distance, 35.0f);
    EXPECT_FLOAT_EQ(e->trail_emitted, 30.0f);

    step = 7.0f;  // 42 travelled: the next mark at 140
    world->Update(0.016f);
    parts = Particles(world->ground_parts);
    ASSERT_EQ(parts.size(), 4u);
    EXPECT_NEAR(parts[3]->x, 140.0f, 1e-3);

    step = 3.0f;  // 45: none due
    world->Update(0.016f);
    EXPECT_EQ(Particles(world->ground_parts).size(), 4u);
}

TEST_F(ScapeUpdateTest, DistanceTrailWithoutPositiveIntervalLaysNothing)
{
    for (float interval : {0.0f, -5.0f}) {
        SCOPED_TRACE(interval);
        ProbeType rocket("Rocket");
        rocket.fx_trail = Dot();
        rocket.trail_mode = EntityType::TRAIL_DISTANCE;
        rocket.trail_interval = interval;
        rocket.on_update = [](Entity *e, float) { e->pos.x += 20.0f; };
        Entity *e = Place(&rocket, V(100, 200));
        e->velocity = V(1, 0);
        world->Update(0.016f);
        EXPECT_TRUE(Particles(world->ground_parts).empty());
        EXPECT_FLOAT_EQ(e->trail_distance, 20.0f);
        world->UnlinkEntity(e);
        world->stock->FreeEntity(e);
    }
}

TEST_F(ScapeUpdateTest, TimeTrailsAndEmittersCountIntervalsBelowOneMillisecondAsOne)
{
    ProbeType smoker("Smoker");
    smoker.fx_trail = Dot();
    smoker.trail_mode = EntityType::TRAIL_TIME;
    smoker.trail_interval = 0.0f;
    Entity *e = Place(&smoker, V(100, 200));
    e->random_phase = 0.0f;
    AddEmitter(Dot(), 0.0002f, true);
    ScreenClock(1);
    world->Update(0.001f);
    std::vector<part_t *> parts = Particles(world->ground_parts);
    ASSERT_EQ(parts.size(), 2u);
    EXPECT_FLOAT_EQ(parts[0]->x, 100.0f);  // the trail, at the entity
    ScreenClock(0);
    world->Update(0.0f);
    EXPECT_EQ(Particles(world->ground_parts).size(), 2u);
}

TEST_F(ScapeUpdateTest, TimeTrailFollowsTheScreenClockWithTheEntitysOffset)
{
    ProbeType smoker("Smoker");
    smoker.fx_trail = Dot();
    smoker.trail_mode = EntityType::TRAIL_TIME;
    smoker.trail_interval = 0.5f;
    Entity *e = Place(&smoker, V(100, 200));
    e->random_phase = 0.05f;  // offset 250 ms: marks when the clock passes 750, 1250 ...
    int marks = 0;
    std::vector<int64_t> at;
    for (int frame = 0; frame < 100; ++frame) {
        ScreenClock(16);
        world->Update(0.016f);
        int now = (int)Particles(world->ground_parts).size();
        if (now > marks)
            at.push_back(sman.time_ms);
        marks = now;
    }
    // (time - 250) / 500 truncates toward zero, so the first boundary is at 750.
    ASSERT_EQ(at.size(), 2u);
    EXPECT_EQ(at[0], 752);
    EXPECT_EQ(at[1], 1264);
}

TEST_F(ScapeUpdateTest, EmitterWaitingForTheLastSpawnTogglesOnceNothingIsQueued)
{
    ProbeType grunt("Grunt");
    ScapeEmitter *em = AddEmitter(Dot(), 0.1f, false, 1);
    ASSERT_NE(world->spawn_manager->AddSpawnInfo(100000, &grunt, V(10, 10)), nullptr);
    ScreenClock(100);
    world->Update(0.1f);
    EXPECT_EQ(em->mode, 1);
    EXPECT_EQ(em->active, 0);
    EXPECT_TRUE(Particles(world->ground_parts).empty());

    world->spawn_manager->ClearSpawnList();
    ScreenClock(100);
    world->Update(0.1f);
    EXPECT_EQ(em->mode, 0);
    EXPECT_EQ(em->active, 1);
    ASSERT_EQ(Particles(world->ground_parts).size(), 1u);
    EXPECT_NEAR(Particles(world->ground_parts)[0]->start_angle, 0.5f, 1e-6);
}

TEST_F(ScapeUpdateTest, The129thDecalOfAFrameIsRefused)
{
    Dot();
    color_t white = {1, 1, 1, 1};
    for (int i = 0; i < SCAPE_MAX_DECALS; ++i)
        ASSERT_NE(world->AddDecal(dot_bitmap, V((float)i, 0), 0.0f, 1.0f, white, 0), nullptr) << i;
    EXPECT_EQ(world->AddDecal(dot_bitmap, V(1, 1), 0.0f, 1.0f, white, 0), nullptr);
    EXPECT_EQ(world->num_decals, SCAPE_MAX_DECALS);
    ScapeDecal *last = &world->decals[SCAPE_MAX_DECALS - 1];
    EXPECT_FLOAT_EQ(last->pos.x, 127.0f);
    world->Update(0.016f);
    EXPECT_EQ(world->num_decals, 0);
    EXPECT_NE(world->AddDecal(dot_bitmap, V(1, 1), 0.0f, 1.0f, white, 1), nullptr);
}

TEST_F(ScapeUpdateTest, DeveloperKey72ScoresWithTheStep)
{
    struct Case {
        int developer, key;
        int gained;
    };
    const Case kCases[] = {{1, 2, 1000}, {0, 2, 0}, {1, 0, 0}};
    for (const Case &c : kCases) {
        SCOPED_TRACE(std::to_string(c.developer) + "/" + std::to_string(c.key));
        prog.parms.developer_mode = (uint8_t)c.developer;
        ov->OV_SetKeyStatei(72, c.key);
        int before = game.score;
        world->Update(0.1f);
        EXPECT_EQ(game.score - before, c.gained);
    }
    ov->OV_SetKeyStatei(72, 0);
    prog.parms.developer_mode = 0;
}
