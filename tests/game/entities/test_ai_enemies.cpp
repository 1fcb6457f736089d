// Enemy behaviours: each movement variant's heading gain, throttle and leap pulse;
// contact, melee and its half-second gate; the hang-around weave and its aimed strike
// (also due west); the hive mind's drones; the waypoint attacker's hops and eggs and
// its bounded goal draws; roamers heading for the bunker; the mine's blink schedule
// and blast.
#include "tests/game/entities/test_ai_enemies_fixture.h"

#include "app/ui/partfx.h"
#include "app/ui/parts.h"
#include "game/entities/angles.h"
#include "game/entities/entity-types.h"
#include "game/entities/stock.h"
#include "game/gamestate.h"

#include <gtest/gtest.h>
#include <math.h>

namespace aitest {
namespace {

const float kPi = 3.14159265358979f;

class EnemyMoveTest : public EnemyAITest {
protected:
    // Frees every record in use (out of every query at once).
    void ClearField() {
        for (int i = 0; i < world->stock->num_entities; i++) {
            if (world->stock->entities[i].type != nullptr) {
                world->stock->FreeEntity(&world->stock->entities[i]);
            }
        }
    }
    // Runs the entity's own behaviour for one frame.
    void Update(Entity *e, float dt) { e->type->ai->UpdateEntity(e, dt); }
};

TEST_F(EnemyMoveTest, EachVariantTurnsWithItsGainAndRampsItsThrottle) {
    StartEnemies();
    struct Case {
        const char *kind;
        float gain;         // of pi
        float age;          // the leap pulse reads it (random_phase 0)
        float chill;
        float throttle;     // after one frame of 0.1 s from 0
    };
    static const Case kCases[] = {
        {"Seeker", 1.1f, 0.0f, 0.0f, 0.4f},
        {"Splitter", 1.1f, 0.0f, 0.0f, 0.4f},
        {"QuadSplitter", 1.1f, 0.0f, 0.0f, 0.4f},
        {"BossSplitter", 1.1f, 0.0f, 0.0f, 0.4f},
        {"Kamikaze", 1.1f, 0.0f, 0.0f, 0.4f},
        {"SeekerFlyer", 0.8f, 0.0f, 0.0f, 0.4f},
        {"SeekerLeaper", 0.8f, 0.0f, 0.0f, 0.4f},            // pulse cos 0 + 0.75 -> 1
        {"SeekerLeaper", 0.8f, 2.0943951f, 0.0f, 0.1f},      // cos(2 pi / 3) + 0.75 = 0.25
        {"SeekerLeaper", 0.8f, kPi, 0.0f, 0.0f},             // -0.25 -> 0: a pause between bounds
        {"HangAround", 1.1f, 0.0f, 0.0f, 0.4f},
        {"HiveMind", 2.0f, 0.0f, 0.0f, 0.4f},
        {"WaypointAttacker", 2.0f, 0.0f, 0.0f, 0.4f},
        {"Seeker", 1.1f, 0.0f, 2.0f, 0.4f},                  // chilled: a third of the speed
        {"Seeker", 1.1f, 0.0f, 3.0f, 0.4f},                  // factor 0
    };
    for (const Case &c : kCases) {
        SCOPED_TRACE(testing::Message() << c.kind << " age " << c.age << " chill " << c.chill);
        ClearField();
        Entity *e = Spawn(c.kind, {300, 300});
        ASSERT_NE(e, nullptr);
        bool roamer = e->type->ai == Behaviour("HangAround") || e->type->ai == Behaviour("HiveMind") ||
                      e->type->ai == Behaviour("WaypointAttacker");
        if (!roamer) {
            ASSERT_NE(Spawn("Trooper", {300, 600}), nullptr);  // the hunters' target, due south
        }
        e->goal = {300, 600};  // the roamers' goal, due south
        e->goal_timer = 100.0f;
        e->angle = 0.0f;
        e->random_phase = 0.0f;
        e->age = c.age;
        e->chill_time = c.chill;
        e->anim_time = kPi / 6;  // the hang-around's weave crosses 0
        Update(e, 0.1f);
        EXPECT_NEAR(e->angle, kPi / 2 * c.gain * kPi * 0.1f, 2e-3f);
        EXPECT_NEAR(e->throttle, c.throttle, 1e-5f);
        float factor = 1.0f - c.chill / 3.0f;
        // (The fast inverse square root is good to about 0.2 %.)
        EXPECT_NEAR(e->velocity.x, 0.0f, 1e-3f);
        EXPECT_NEAR(e->velocity.y, factor * c.throttle * 100.0f, 0.1f);
        EXPECT_NEAR(e->pos.y, 300.0f + 0.1f * e->velocity.y, 1e-3f);
        EXPECT_NEAR(e->phase, roamer && e->type->ai != Behaviour("WaypointAttacker") ? 0.2f : 0.2f * c.throttle,
                    1e-5f);
    }
}

TEST_F(EnemyMoveTest, StandingStillRunsTheThrottleDownAndKeepsTheHeading) {
    StartEnemies();
    Entity *e = Spawn("Seeker", {300, 300});  // no target anywhere
    ASSERT_NE(e, nullptr);
    e->angle = 1.0f;
    e->throttle = 0.6f;
    Update(e, 0.1f);
    EXPECT_NEAR(e->throttle, 0.2f, 1e-6f);
    EXPECT_NEAR(e->angle, 1.0f, 1e-6f);
    Update(e, 0.1f);
    EXPECT_EQ(e->throttle, 0.0f);  // not below 0
    EXPECT_EQ(e->velocity.x, 0.0f);
    EXPECT_EQ(e->velocity.y, 0.0f);
}

TEST_F(EnemyMoveTest, TouchingItsTargetItStopsAvoidingAndStrikesEveryHalfSecondOnceTwoSecondsOld) {
    StartEnemies();
    struct Case {
        float age;
        std::vector<float> hit_points;  // the trooper's, after each frame of 0.1 s
    };
    const Case kCases[] = {
        // Struck at once; the strike plays a quarter second; the gate opens after 500 ms.
        {2.0f, {93, 93, 93, 93, 93, 93, 86, 86}},
        {1.85f, {100, 100, 93, 93, 93, 93, 93, 93, 86}},  // two seconds old in the third frame
    };
    for (const Case &c : kCases) {
        SCOPED_TRACE(testing::Message() << "age " << c.age);
        ClearField();
        game.game_clock = 100000;
        Entity *e = Spawn("Seeker", {300, 300});
        Entity *victim = Spawn("Trooper", {320, 300});
        Entity *friend_nearby = Spawn("Seeker", {300, 308});  // would push it north
        ASSERT_TRUE(e && victim && friend_nearby);
        victim->age = 1.0f;
        e->age = c.age;
        for (size_t frame = 0; frame < c.hit_points.size(); frame++) {
            Update(e, 0.1f);
            EXPECT_EQ(e->pos.y, 300.0f) << "frame " << frame;  // straight at it, no sidestep
            EXPECT_EQ(victim->hit_points, c.hit_points[frame]) << "frame " << frame;
            game.game_clock += 100;
            e->age += 0.1f;
        }
    }
}

TEST_F(EnemyMoveTest, StrikeAnimationRunsAQuarterSecondTurningToTheTarget) {
    StartEnemies();
    Entity *e = Spawn("Seeker", {300, 300});
    Entity *victim = Spawn("Trooper", {300, 320});
    ASSERT_TRUE(e && victim);
    e->target = victim;
    e->attack_phase = 0.5f;
    e->angle = 0.0f;
    Update(e, 0.1f);
    EXPECT_NEAR(e->attack_phase, 0.9f, 1e-6f);
    // The gain turn (1.1 pi x pi/2 x 0.1) then at most 15 rad/s toward the target.
    EXPECT_NEAR(e->angle, kPi / 2, 2e-3f);
    Update(e, 0.1f);
    EXPECT_EQ(e->attack_phase, 0.0f);
}

TEST_F(EnemyMoveTest, HangAroundWeavesWhileMoving) {
    StartEnemies();
    struct Case {
        float anim_time;
        float weave;  // across the direction, per unit along it
    };
    static const Case kCases[] = {
        {0.0f, 0.75f},
        {kPi / 3, -0.75f},
        {kPi / 6, 0.0f},
    };
    for (const Case &c : kCases) {
        SCOPED_TRACE(testing::Message() << "anim_time " << c.anim_time);
        ClearField();
        Entity *e = Spawn("HangAround", {300, 300});
        ASSERT_NE(e, nullptr);
        e->goal = {600, 300};
        e->goal_timer = 100.0f;
        e->angle = 0.0f;
        e->anim_time = c.anim_time;
        Update(e, 0.1f);
        EXPECT_NEAR(e->velocity.x, 40.0f, 0.1f);
        EXPECT_NEAR(e->velocity.y, 40.0f * c.weave, 0.1f);
        EXPECT_NEAR(e->angle, 0.0f, 1e-6f);  // it faces the goal, not the weave
        EXPECT_NEAR(e->anim_time, c.anim_time + 0.1f, 1e-5f);
    }
}

TEST_F(EnemyMoveTest, HangAroundStrikesWhenAlignedAlsoFacingWest) {
    StartEnemies();
    struct Case {
        float angle;
        vec2_t target;
        float age;
        bool strikes;
        float angle_after;
    };
    const Case kCases[] = {
        {3.13f, {470, 300}, 2.0f, true, kPi},        // west: heading near pi
        {-3.13f, {470, 300}, 2.0f, true, -kPi},      // the same heading from the other side
        {kPi / 2, {470, 300}, 2.0f, false, kPi / 2 + 0.5f},  // turned 5 rad/s, not aligned yet
        {3.13f, {470, 300}, 1.5f, false, kPi},       // too young
        {3.13f, {400, 300}, 2.0f, false, kPi},       // beyond reach + aggro (74)
    };
    for (const Case &c : kCases) {
        SCOPED_TRACE(testing::Message() << "angle " << c.angle << " target x " << c.target.x << " age " << c.age);
        ClearField();
        game.game_clock += 1000;
        Entity *e = Spawn("HangAround", {500, 300});
        Entity *victim = Spawn("Trooper", c.target);
        ASSERT_TRUE(e && victim);
        victim->age = 1.0f;
        e->goal = e->pos;  // no wish to move
        e->goal_timer = 100.0f;
        e->angle = c.angle;
        e->age = c.age;
        Update(e, 0.1f);
        EXPECT_EQ(victim->hit_points, c.strikes ? 93.0f : 100.0f);
        EXPECT_NEAR(fabsf(AngleDiff(e->angle, c.angle_after)), 0.0f, 2e-3f);
    }
}

TEST_F(EnemyMoveTest, HiveMindSendsItsDronesToItsTargetAndStrikesWithoutAiming) {
    StartEnemies();
    Entity *hive = Spawn("HiveMind", {300, 300});
    Entity *drones[2] = {Spawn("Drone", {100, 100}), Spawn("Drone", {200, 100})};
    Entity *other = Spawn("Seeker", {150, 150});
    Entity *victim = Spawn("Trooper", {340, 300});
    ASSERT_TRUE(hive && drones[0] && drones[1] && other && victim);
    victim->age = 1.0f;
    vec2_t other_goal = other->goal;
    hive->goal = hive->pos;
    hive->goal_timer = 100.0f;
    hive->angle = kPi / 2;  // facing away: no aim test
    hive->age = 2.0f;
    Update(hive, 0.1f);
    for (Entity *drone : drones) {
        EXPECT_EQ(drone->goal.x, 340.0f);
        EXPECT_EQ(drone->goal.y, 300.0f);
    }
    EXPECT_EQ(other->goal.x, other_goal.x);  // not its kind
    EXPECT_EQ(other->goal.y, other_goal.y);
    EXPECT_EQ(victim->hit_points, 93.0f);
    EXPECT_NEAR(hive->attack_phase, 0.001f, 1e-6f);
    Update(hive, 0.1f);
    EXPECT_NEAR(hive->attack_phase, 0.301f, 1e-5f);  // 3 per second

    // Without a target the drones keep their goals.
    world->stock->FreeEntity(victim);
    hive->target = nullptr;
    hive->attack_phase = 0.0f;
    drones[0]->goal = {1, 2};
    Update(hive, 0.1f);
    EXPECT_EQ(hive->target, nullptr);
    EXPECT_EQ(drones[0]->goal.x, 1.0f);
    EXPECT_EQ(drones[0]->goal.y, 2.0f);
}

// The goal coordinate a draw v gives in [20, hi].
float GoalAt(int v, float hi) {
    return 20.0f + (hi - 20.0f) * ((float)v / 32767.0f);
}

TEST_F(EnemyMoveTest, WaypointAttackerWaitsThenHopsAtLeast100UnitsAndLaysAnEggBehindItself) {
    StartEnemies();
    Entity *raider = Spawn("Raider", {300, 300});
    ASSERT_NE(raider, nullptr);
    ASSERT_NE(raider->weapon, nullptr);
    raider->goal = {300, 300};
    raider->goal_timer = 0.15f;
    raider->angle = 0.0f;
    raider->throttle = 0.5f;
    const float max_x = 1024 * 0.5f;  // world width x ai_parm_a
    const float max_y = 768 - 20.0f;
    // A first goal 7 units from the old one is drawn again; then the shot angle +0.3.
    ScriptRandom({18700, 12603, 31967, 26105, 32767});
    Update(raider, 0.1f);  // waiting
    EXPECT_EQ(raider->goal_count, 0);
    EXPECT_EQ(RandomDrawsTaken(), 0);
    float anim_before = raider->anim_time;
    float phase_before = raider->phase;
    Update(raider, 0.1f);  // the wait is over
    EXPECT_EQ(raider->goal_count, 1);
    EXPECT_EQ(raider->goal_timer, 2.0f);
    EXPECT_NEAR(raider->goal.x, GoalAt(31967, max_x), 1e-3f);
    EXPECT_NEAR(raider->goal.y, GoalAt(26105, max_y), 1e-3f);
    EXPECT_EQ(raider->pos.x, 300.0f);  // waiting, it does not move
    EXPECT_EQ(raider->pos.y, 300.0f);
    EXPECT_NEAR(raider->anim_time, anim_before + 0.2f, 1e-5f);    // 2 x playback x dt
    EXPECT_NEAR(raider->phase, phase_before + 0.2f, 1e-5f);       // 4 x playback x throttle x dt
    std::vector<Entity *> eggs = LivingOfType("Egg");
    ASSERT_EQ(eggs.size(), 1u);
    EXPECT_NEAR(eggs[0]->pos.x, 274.0f, 1e-3f);  // 26 units behind
    EXPECT_NEAR(eggs[0]->pos.y, 300.0f, 1e-3f);
    EXPECT_NEAR(eggs[0]->angle, 0.3f, 1e-5f);
    EXPECT_EQ(eggs[0]->owner, raider);
    EXPECT_EQ(eggs[0]->friend_group, Entity::ENEMIES);
    EXPECT_EQ(eggs[0]->splash_range, 60.0f);
    EXPECT_EQ(eggs[0]->splash_damage, 30.0f);

    // Then straight along the goal vector, not firing.
    raider->throttle = 0.0f;
    raider->trigger = true;
    Update(raider, 0.1f);
    float gx = raider->goal.x - 300.0f, gy = raider->goal.y - 300.0f;
    float len = sqrtf(gx * gx + gy * gy);
    EXPECT_NEAR(raider->velocity.x, 40.0f * gx / len, 0.05f);
    EXPECT_NEAR(raider->velocity.y, 40.0f * gy / len, 0.05f);
    EXPECT_FALSE(raider->trigger);
    EXPECT_EQ(raider->aim_angle, raider->angle);
}

TEST_F(EnemyMoveTest, GoalsStayInsideTheRoamingBoundsAndTheDrawsAreBounded) {
    StartEnemies();
    world->stock->GetEntityType("WaypointAttacker")->ai_parm_a = 0.01f;  // 10 units: counts as 20
    world->stock->GetEntityType("HangAround")->ai_parm_a = 0.01f;
    Entity *raider = Spawn("WaypointAttacker", {20, 20});
    Entity *roamer = Spawn("HangAround", {30, 760});
    ASSERT_TRUE(raider && roamer);
    raider->goal = {20, 20};
    raider->goal_timer = 0.0f;
    ScriptRandom({}, 0);  // every draw the lowest: the goal (20, 20) again and again
    Update(raider, 0.1f);
    EXPECT_EQ(RandomDrawsTaken(), 200);  // 100 goals of two draws, the last kept
    EXPECT_EQ(raider->goal.x, 20.0f);
    EXPECT_EQ(raider->goal.y, 20.0f);

    roamer->goal = {30, 760};
    roamer->goal_timer = 0.0f;
    ScriptRandom({32767, 32767});  // +50 on each axis
    Update(roamer, 0.1f);
    EXPECT_EQ(roamer->goal_count, 1);
    EXPECT_EQ(roamer->goal.x, 20.0f);          // width x 0.01 below 20: 20
    EXPECT_EQ(roamer->goal.y, 768.0f - 20.0f); // height - 20
    EXPECT_EQ(roamer->goal_timer, 2.0f);
}

TEST_F(EnemyMoveTest, RoamersHeadForTheBunkerOnceEveryTrooperIsDead) {
    StartEnemies();
    Entity *bunker = Spawn("BaseBunker", {900, 400});
    ASSERT_NE(bunker, nullptr);
    game.base = bunker;
    for (const char *kind : {"HangAround", "HiveMind", "WaypointAttacker"}) {
        for (int living : {1, 0}) {
            SCOPED_TRACE(testing::Message() << kind << " living troopers " << living);
            game.living_troopers = living;
            Entity *e = Spawn(kind, {300, 300});
            ASSERT_NE(e, nullptr);
            e->goal = {100, 100};
            e->goal_timer = 100.0f;
            Update(e, 0.1f);
            EXPECT_EQ(e->goal.x, living ? 100.0f : 900.0f);
            EXPECT_EQ(e->goal.y, living ? 100.0f : 400.0f);
            world->stock->FreeEntity(e);
        }
    }
}

TEST_F(EnemyMoveTest, MineBlinksFasterAndFasterAndBlowsUpAfterFifteenSeconds) {
    StartEnemies();
    apptest::WriteFile("fxs/mine-idle.lua",
                       "FXParm ('num_parts', 1) FXParm ('bitmap', 'dot') FXParm ('age_to_die', 50, 50)");
    apptest::WriteFile("fxs/mine-glow.lua",
                       "FXParm ('num_parts', 2) FXParm ('bitmap', 'dot') FXParm ('age_to_die', 50, 50)");
    apptest::WriteFile("fxs/mine-blast.lua",
                       "FXParm ('num_parts', 4) FXParm ('bitmap', 'dot') FXParm ('age_to_die', 50, 50)");
    world->stock->fx_egg_glow_exploding = pbman.GetFX("fxs/mine-glow.lua");
    Entity *mine = Spawn("Mine", {300, 300});
    Entity *near = Spawn("Trooper", {330, 300});
    Entity *far = Spawn("Trooper", {600, 300});
    ASSERT_TRUE(mine && near && far);
    ASSERT_NE(mine->type->fx_idle, nullptr);
    near->age = far->age = 1.0f;
    mine->splash_range = 60.0f;
    mine->splash_damage = 30.0f;
    mine->anim_time = 0.0f;

    struct Blink {
        float age;
        int parts;  // 1: the idle effect, 2: the egg glow, 4: the blast
    };
    std::vector<Blink> blinks;
    const float dt = 0.05f;
    float dead_at = -1.0f;
    for (int frame = 0; frame < 400 && mine->IsAlive(); frame++) {
        mine->age += dt;  // as the world does before the update
        int before = world->top_parts->GetLiveCount();
        Update(mine, dt);
        int spawned = world->top_parts->GetLiveCount() - before;
        if (spawned > 0) {
            blinks.push_back({mine->age, spawned});
        }
        if (!mine->IsAlive()) {
            dead_at = mine->age;
        }
    }
    EXPECT_NEAR(dead_at, 15.0f, 0.06f);  // the first frame past 15 s
    ASSERT_GE(blinks.size(), 10u);
    EXPECT_NEAR(blinks[0].age, 3.05f, 0.01f);  // every 3 s at first
    EXPECT_NEAR(blinks[1].age, 6.10f, 0.02f);
    // The blast's own effect (with a blink of the idle effect: past 15 s, t < 0).
    EXPECT_TRUE(blinks.back().parts == 4 || blinks.back().parts == 5) << blinks.back().parts;
    int glows = 0;
    float last_gap = 10.0f;
    for (size_t i = 0; i + 1 < blinks.size(); i++) {
        SCOPED_TRACE(testing::Message() << "blink at " << blinks[i].age);
        EXPECT_EQ(blinks[i].parts, 15.0f - blinks[i].age < 3.0f ? 2 : 1);
        glows += blinks[i].parts == 2;
        if (i > 0) {
            float gap = blinks[i].age - blinks[i - 1].age;
            EXPECT_LE(gap, last_gap + 0.01f);  // never slower again
            EXPECT_GE(gap, 0.29f);             // 0.25 s at the least (frames of 0.05)
            last_gap = gap;
        }
    }
    EXPECT_NEAR(last_gap, 0.3f, 0.01f);
    EXPECT_GE(glows, 9);   // the last 3 s every 0.3 s
    EXPECT_LE(glows, 11);
    EXPECT_LT(near->hit_points, 100.0f);
    EXPECT_EQ(far->hit_points, 100.0f);
    EXPECT_EQ(mine->state, Entity::STATE_DYING);
    EXPECT_EQ(CountOfType("Powerup"), 0);
}

}  // namespace
}  // namespace aitest
