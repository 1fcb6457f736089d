// The battle's touch controls driven by touches and keys injected through the headless
// device: touch slots, selection and paths, primary targets, pick-ups, the bunker tap
// and its shop rule, the artillery aim, tutorial taps and the pause key.
#include "tests/game/controls_fixture.h"

#include "app/ui/screen-manager.h"
#include "app/ui/ui-comps.h"
#include "game/entities/entity.h"
#include "game/entities/move-path.h"
#include "game/entities/stock.h"
#include "game/entities/weapons.h"
#include "game/gamestate.h"
#include "game/obstacles.h"
#include "game/scape.h"
#include "platform/screen.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace {

using controlstest::ControlsTest;
using ovdev::headless::TouchPhase;

int SlotHolding(Entity *e)
{
    for (int i = 0; i < CONTROLS_MAX_TOUCHES; i++)
        if (controls.GetSelectedEnt(i) == e)
            return i;
    return -1;
}

TEST_F(ControlsTest, TouchIndexesOutsideTheSlotsSelectNothing)
{
    StartBattle();
    Entity *trooper = Spawn("Trooper", 200, 200);
    struct Case {
        int id;
        int slot;  // -1: no slot takes the trooper
    } cases[] = {{0, 0}, {3, 3}, {7, 7}, {8, -1}, {9, -1}, {-1, -1}, {255, -1}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.id);
        controls.Reset();
        RawTouch(ovdev::SCREEN_EVENT_MTOUCH_TOUCH, c.id, 200, 200);
        EXPECT_EQ(SlotHolding(trooper), c.slot);
        EXPECT_TRUE(controls.touch_active);
        RawTouch(ovdev::SCREEN_EVENT_MTOUCH_MOVE, c.id, 230, 200);
        EXPECT_EQ(SlotHolding(trooper), c.slot);
        RawTouch(ovdev::SCREEN_EVENT_MTOUCH_RELEASE, c.id, 230, 200);
        EXPECT_EQ(SlotHolding(trooper), -1);
        EXPECT_FALSE(controls.touch_active);
    }
    EXPECT_TRUE(apptest::Logged("Touch at 200 200 by 8"));
    EXPECT_TRUE(apptest::Logged("Touch at 200 200 by -1"));
}

TEST_F(ControlsTest, TouchesAreReadInReferenceUnits)
{
    StartBattle(CONTROLS_TOUCH_COMMANDS, 512, 384);  // reference scale 0.5
    ASSERT_FLOAT_EQ(sman.reference_scale_x, 0.5f);
    Entity *trooper = Spawn("Trooper", 400, 300);
    Touch(TouchPhase::Down, 4, 200, 150);
    EXPECT_EQ(SlotHolding(trooper), 4);
    EXPECT_TRUE(apptest::Logged("Touch at 400 300 by 4"));
    Touch(TouchPhase::Move, 4, 260, 150);
    EXPECT_FLOAT_EQ(p_hover.x, 520.0f);
    EXPECT_FLOAT_EQ(p_hover.y, 300.0f);
    ASSERT_NE(trooper->path, nullptr);
    EXPECT_NEAR(trooper->path->points[trooper->path->count - 1].x, 520.0f, 10.0f);
}

TEST_F(ControlsTest, AReleaseOutsideTheSlotsKeepsSelectionsAndRecomputesTheTouchFlag)
{
    StartBattle();
    Entity *trooper = Spawn("Trooper", 200, 200);
    Touch(TouchPhase::Down, 0, 200, 200);
    ASSERT_EQ(SlotHolding(trooper), 0);
    RawTouch(ovdev::SCREEN_EVENT_MTOUCH_RELEASE, 8, 500, 500);
    EXPECT_EQ(SlotHolding(trooper), 0);
    EXPECT_TRUE(controls.touch_active);  // slot 0 still holds the trooper
    Touch(TouchPhase::Up, 0, 200, 200);
    EXPECT_FALSE(controls.touch_active);
    RawTouch(ovdev::SCREEN_EVENT_MTOUCH_RELEASE, 8, 500, 500);
    EXPECT_FALSE(controls.touch_active);
}

TEST_F(ControlsTest, APressOnNothingLetsTheDragSelectATrooperItPasses)
{
    StartBattle();
    Entity *trooper = Spawn("Trooper", 300, 300);
    Touch(TouchPhase::Down, 2, 100, 300);
    EXPECT_EQ(SlotHolding(trooper), -1);
    EXPECT_TRUE(controls.touch_active);
    Touch(TouchPhase::Move, 2, 295, 300);
    EXPECT_EQ(SlotHolding(trooper), 2);
}

TEST_F(ControlsTest, FirstSelectionCreatesThePathAndLaterOnesResetIt)
{
    StartBattle();
    Entity *trooper = Spawn("Trooper", 200, 200);
    game.game_clock = 4321;
    ASSERT_EQ(trooper->path, nullptr);
    Touch(TouchPhase::Down, 1, 205, 195);
    ASSERT_EQ(SlotHolding(trooper), 1);
    MovePath *path = trooper->path;
    ASSERT_NE(path, nullptr);
    EXPECT_EQ(path->count, 1);
    EXPECT_EQ(path->points[0].x, 200.0f);
    EXPECT_EQ(path->points[0].y, 200.0f);
    EXPECT_TRUE(path->held);
    EXPECT_EQ(trooper->path_pos, 0.0f);
    EXPECT_EQ(trooper->select_time, 4321u);
    EXPECT_FLOAT_EQ(controls.selection[1].grab_x, -5.0f);
    EXPECT_FLOAT_EQ(controls.selection[1].grab_y, 5.0f);

    Touch(TouchPhase::Move, 1, 305, 195);
    EXPECT_GT(path->count, 1);
    EXPECT_GT(path->length, 50.0f);
    Touch(TouchPhase::Up, 1, 305, 195);
    EXPECT_FALSE(path->held);
    EXPECT_EQ(SlotHolding(trooper), -1);

    trooper->path_pos = 30.0f;
    Touch(TouchPhase::Down, 0, 200, 200);
    EXPECT_EQ(trooper->path, path);  // the same path, emptied and restarted
    EXPECT_EQ(path->count, 1);
    EXPECT_EQ(path->length, 0.0f);
    EXPECT_EQ(trooper->path_pos, 0.0f);
    EXPECT_TRUE(path->held);
}

TEST_F(ControlsTest, ADragExtendsThePathTowardsTheFingerWithTheGrabOffsetFadingOut)
{
    StartBattle();
    Entity *trooper = Spawn("Trooper", 200, 400);
    Touch(TouchPhase::Down, 0, 200, 420);  // 20 units below the trooper
    ASSERT_NE(trooper->path, nullptr);
    int x = 200;
    for (int i = 0; i < 12; i++) {
        x += 25;
        Touch(TouchPhase::Move, 0, x, 420);
    }
    MovePath *path = trooper->path;
    ASSERT_GT(path->count, 2);
    const MovePathPoint &last = path->points[path->count - 1];
    // Past 100 units of path the offset is gone: the path ends at the finger.
    EXPECT_NEAR(last.x, (float)x, 10.0f);
    EXPECT_NEAR(last.y, 420.0f, 3.0f);
    // Early points kept the offset that held the path on the trooper.
    EXPECT_NEAR(path->points[1].y, 400.0f, 10.0f);
}

TEST_F(ControlsTest, ADragAcrossAWallLeadsThePathRoundIt)
{
    StartBattle();
    ObstacleType wall;
    const vec2_t corners[4] = {{-20, -60}, {20, -60}, {20, 60}, {-20, 60}};
    wall.num_edges = 4;
    wall.edges = new ObstacleEdge[4];
    for (int i = 0; i < 4; i++) {
        wall.edges[i].p0 = corners[i];
        wall.edges[i].p1 = corners[(i + 1) % 4];
        wall.edges[i].normal = ObstacleEdgeNormal(corners[i], corners[(i + 1) % 4]);
        wall.radius = fmaxf(wall.radius, hypotf(corners[i].x, corners[i].y));
    }
    ASSERT_NE(world->AddObstacle(&wall, vec2_t{400, 400}, 0.0f, 1.0f), nullptr);
    Entity *trooper = Spawn("Trooper", 320, 410);
    Touch(TouchPhase::Down, 0, 320, 410);
    ASSERT_EQ(SlotHolding(trooper), 0);
    for (int x = 335; x <= 500; x += 15)
        Touch(TouchPhase::Move, 0, x, 410);
    MovePath *path = trooper->path;
    ASSERT_NE(path, nullptr);
    ASSERT_GT(path->count, 3);
    float lowest = 0.0f;
    for (int i = 1; i < path->count; i++) {
        const MovePathPoint &p = path->points[i];
        SCOPED_TRACE(i);
        lowest = fmaxf(lowest, p.y);
        EXPECT_FALSE(world->IsPointInsideObstacle(vec2_t{p.x, p.y}, 0.0f))
            << p.x << " " << p.y;
        EXPECT_GE(p.seg_len, MovePath::MIN_SPACING);
    }
    const MovePathPoint &last = path->points[path->count - 1];
    EXPECT_GT(last.x, 420.0f);   // the path got past the wall
    EXPECT_GT(lowest, 460.0f);   // round its lower end
    FreeWorld();
    wall.Free();
}

TEST_F(ControlsTest, ADragBackOntoThePathsEndAddsNoPoint)
{
    StartBattle();
    Entity *trooper = Spawn("Trooper", 200, 200);
    Touch(TouchPhase::Down, 0, 200, 200);
    ASSERT_NE(trooper->path, nullptr);
    Touch(TouchPhase::Move, 0, 200, 200);  // both walks have no length
    EXPECT_EQ(trooper->path->count, 1);
    EXPECT_EQ(trooper->path->length, 0.0f);
}

TEST(ControlsWalkChoice, TheShorterWalkWinsAndAnEmptyOneNever)
{
    struct Case {
        float a, b;
        int choice;
    } cases[] = {
        {0.0f, 0.0f, WALK_NONE}, {10.0f, 0.0f, WALK_A}, {0.0f, 10.0f, WALK_B},  {10.0f, 10.0f, WALK_B},
        {10.0f, 12.0f, WALK_A},  {12.0f, 10.0f, WALK_B}, {1e-7f, 5.0f, WALK_B}, {-1.0f, 0.0f, WALK_NONE},
    };
    for (const Case &c : cases)
        EXPECT_EQ(ChooseWalk(c.a, c.b), c.choice) << c.a << " " << c.b;
}

TEST_F(ControlsTest, UnselectingClearsTheSlotsAndReleasesThePath)
{
    StartBattle();
    Entity *trooper = Spawn("Trooper", 200, 200);
    Entity *other = Spawn("Trooper", 600, 200);
    ASSERT_TRUE(controls.TrySelectEntity(vec2_t{200, 200}, 0));
    ASSERT_TRUE(controls.TrySelectEntity(vec2_t{200, 200}, 5));
    ASSERT_TRUE(controls.TrySelectEntity(vec2_t{600, 200}, 6));
    EXPECT_EQ(controls.GetSomeSelectedEnt(), trooper);
    EXPECT_TRUE(controls.IsEntitySelected(trooper));
    controls.UnselectEntity(trooper);
    EXPECT_FALSE(controls.IsEntitySelected(trooper));
    EXPECT_FALSE(trooper->path->held);
    EXPECT_EQ(controls.GetSomeSelectedEnt(), other);
    controls.UnselectEntity(6);
    EXPECT_EQ(controls.GetSomeSelectedEnt(), nullptr);
    EXPECT_FALSE(other->path->held);
    controls.UnselectEntity(8);   // outside: nothing
    controls.UnselectEntity(-1);
    EXPECT_EQ(controls.GetSelectedEnt(8), nullptr);
    EXPECT_FALSE(controls.TrySelectEntity(vec2_t{200, 200}, 8));
    EXPECT_FALSE(controls.TrySelectEntity(vec2_t{900, 700}, 3));
    EXPECT_EQ(controls.GetSelectedEnt(3), nullptr);
}

TEST_F(ControlsTest, AReturnedPoolRecordLeavesNoSlotOrMarkerBehind)
{
    StartBattle();
    AddProfileTag("features", "PRIMARY_TARGET");
    Entity *trooper = Spawn("Trooper", 200, 200);
    Entity *enemy = Spawn("Alien", 500, 200);
    ASSERT_TRUE(controls.TrySelectEntity(vec2_t{200, 200}, 2));
    ASSERT_TRUE(controls.TryAssignPrimaryTarget(vec2_t{500, 200}));
    ASSERT_TRUE(controls.IsMarkedTarget(enemy));
    controls.ForgetEntity(trooper);
    controls.ForgetEntity(enemy);
    EXPECT_EQ(controls.GetSelectedEnt(2), nullptr);
    EXPECT_FALSE(controls.IsMarkedTarget(enemy));
    EXPECT_EQ(controls.targets.Count(), 0);
    controls.ForgetEntity(nullptr);
}

TEST_F(ControlsTest, OnePressTogglesAtMostOneTarget)
{
    StartBattle();
    AddProfileTag("features", "PRIMARY_TARGET");
    game.parms.game_mode = GAME_MODE_LEVEL;
    Entity *enemy = Spawn("Alien", 500, 300);
    Entity *near_trooper = Spawn("Trooper", 300, 300);
    Entity *far_trooper = Spawn("Trooper", 900, 700);
    Weapon rifle("Rifle");
    rifle.projectile_range = 250.0f;
    near_trooper->weapon = &rifle;
    far_trooper->weapon = &rifle;

    Touch(TouchPhase::Down, 0, 500, 300);
    EXPECT_TRUE(controls.IsMarkedTarget(enemy));
    EXPECT_TRUE(ProfileHas("tutorials_completed", "TARGETING"));
    EXPECT_EQ(near_trooper->target, enemy);
    EXPECT_EQ(far_trooper->target, nullptr);
    // Dragging on over the enemy in the same press changes nothing.
    Touch(TouchPhase::Move, 0, 505, 300);
    EXPECT_TRUE(controls.IsMarkedTarget(enemy));
    EXPECT_EQ(controls.targets.Count(), 1);
    Touch(TouchPhase::Up, 0, 505, 300);

    Touch(TouchPhase::Down, 0, 500, 300);
    EXPECT_FALSE(controls.IsMarkedTarget(enemy));
    EXPECT_EQ(near_trooper->target, nullptr);
    Touch(TouchPhase::Up, 0, 500, 300);

    Touch(TouchPhase::Down, 0, 500, 300);
    EXPECT_TRUE(controls.IsMarkedTarget(enemy));
    Touch(TouchPhase::Up, 0, 500, 300);
    near_trooper->weapon = nullptr;
    far_trooper->weapon = nullptr;
}

TEST_F(ControlsTest, PrimaryTargetsNeedTheFeatureAndAModeOtherThanCollector)
{
    struct Case {
        bool feature;
        int mode;
        bool marks;
    } cases[] = {{true, GAME_MODE_LEVEL, true},
                 {true, GAME_MODE_SURVIVAL, true},
                 {true, GAME_MODE_COLLECTOR, false},
                 {false, GAME_MODE_LEVEL, false}};
    StartBattle();
    Entity *enemy = Spawn("Alien", 500, 300);
    for (const Case &c : cases) {
        SCOPED_TRACE(c.mode);
        controls.Reset();
        profile.RemoveValue("features", "PRIMARY_TARGET");
        if (c.feature)
            AddProfileTag("features", "PRIMARY_TARGET");
        game.parms.game_mode = c.mode;
        Touch(TouchPhase::Down, 0, 500, 300);
        Touch(TouchPhase::Up, 0, 500, 300);
        EXPECT_EQ(controls.IsMarkedTarget(enemy), c.marks);
    }
}

TEST_F(ControlsTest, MarkersAgeAndLeaveWithTheirEnemy)
{
    StartBattle();
    AddProfileTag("features", "PRIMARY_TARGET");
    Entity *enemy = Spawn("Alien", 500, 300);
    Entity *other = Spawn("Alien", 700, 300);
    ASSERT_TRUE(controls.TryAssignPrimaryTarget(vec2_t{500, 300}));
    controls.target_toggled = 0;
    ASSERT_TRUE(controls.TryAssignPrimaryTarget(vec2_t{700, 300}));
    controls.Update(0.2f);
    EXPECT_FLOAT_EQ(controls.targets[0].age, 0.4f);
    controls.Update(0.5f);
    EXPECT_FLOAT_EQ(controls.targets[0].age, 1.0f);
    world->KillEntity(enemy, nullptr, true);
    controls.Update(0.01f);
    ASSERT_EQ(controls.targets.Count(), 1);
    EXPECT_EQ(controls.targets[0].entity, other);
}

TEST_F(ControlsTest, TheSelectionGlowRisesWhileHeldAndFalls)
{
    StartBattle();
    Entity *trooper = Spawn("Trooper", 200, 200);
    ASSERT_TRUE(controls.TrySelectEntity(vec2_t{200, 200}, 0));
    controls.Update(0.5f);
    EXPECT_FLOAT_EQ(trooper->highlight, 1.5f);
    for (int i = 0; i < 10; i++)
        controls.Update(0.5f);
    EXPECT_FLOAT_EQ(trooper->highlight, 4.0f);
    controls.UnselectEntity(0);
    controls.Update(0.5f);
    EXPECT_FLOAT_EQ(trooper->highlight, 3.0f);
    for (int i = 0; i < 10; i++)
        controls.Update(0.5f);
    EXPECT_FLOAT_EQ(trooper->highlight, 0.0f);
    // The path's pulse runs once the finger let go.
    EXPECT_GT(trooper->path->pulse_time, 0.0f);
}

TEST_F(ControlsTest, PickUpsAreTakenOnlyOnceASecondOld)
{
    StartBattle();
    struct Case {
        float age;
        bool taken;
    } cases[] = {{0.0f, false}, {0.5f, false}, {0.99f, false}, {1.0f, true}, {3.0f, true}};
    float x = 100.0f;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.age);
        x += 150.0f;  // apart, so that no earlier body answers the query
        Entity *pickup = Spawn("Pickup", x, 400);
        pickup->age = c.age;
        EXPECT_EQ(controls.TryPickStuff(vec2_t{x + 5.0f, 400}), c.taken);
        EXPECT_EQ(pickup->IsAlive(), !c.taken);
        // A body being taken away is not taken again.
        EXPECT_FALSE(controls.TryPickStuff(vec2_t{x + 5.0f, 400}) && c.taken);
    }
}

TEST_F(ControlsTest, ATapCollectsADroppedPickUp)
{
    StartBattle();
    Entity *pickup = Spawn("Pickup", 400, 400);
    pickup->age = 2.0f;
    Touch(TouchPhase::Down, 0, 410, 400);
    EXPECT_FALSE(pickup->IsAlive());
}

struct ShopCase {
    const char *what;
    bool money_enabled;
    bool feature;
    bool shop_stacked;
    bool won;
    bool lost;
    bool paused;
    int dx;  // tap offset from the bunker's centre
    bool opens;
};

TEST_F(ControlsTest, TheBunkerTapOpensTheShopOnlyWhenEveryRuleHolds)
{
    const ShopCase cases[] = {
        {"all rules hold", true, true, false, false, false, false, 0, true},
        {"at 40 units", true, true, false, false, false, false, 40, true},
        {"at 41 units", true, true, false, false, false, false, 41, false},
        {"outside the bunker", true, true, false, false, false, false, 55, false},
        {"tactical pause", true, true, false, false, false, true, 0, true},
        {"money disabled", false, true, false, false, false, false, 0, false},
        {"no POWERUP_MONEY", true, false, false, false, false, false, 0, false},
        {"shop stacked", true, true, true, false, false, false, 0, false},
        {"won", true, true, false, true, false, false, 0, false},
        {"lost", true, true, false, false, true, false, 0, false},
    };
    StartBattle();
    Spawn("Bunker", 512, 384);
    for (const ShopCase &c : cases) {
        SCOPED_TRACE(c.what);
        for (int depth = sman.GetNumberOfScreensInStack() - 1; depth >= 0; depth--)
            sman.PopScreen(depth);
        Steps(1, 0.0f);
        ASSERT_EQ(sman.GetNumberOfScreensInStack(), 0);
        if (c.shop_stacked)
            sman.PushScreen(shop, 0);
        sman.PushScreen(battle, 0);
        Steps(20, 0.05f);
        profile.RemoveValue("features", "POWERUP_MONEY");
        profile.RemoveValue("tutorials_completed", "SHOPPING");
        if (c.feature)
            AddProfileTag("features", "POWERUP_MONEY");
        game.money_enabled = c.money_enabled;
        game.won = c.won;
        game.lost = c.lost;
        game.paused = c.paused;
        controls.Reset();
        Touch(TouchPhase::Down, 0, 512 + c.dx, 384);
        Steps(1, 0.0f);
        EXPECT_EQ(sman.PeekScreen(0) == shop, c.opens);
        EXPECT_EQ(ProfileHas("tutorials_completed", "SHOPPING"), c.opens);
        Touch(TouchPhase::Up, 0, 512 + c.dx, 384);
    }
}

TEST_F(ControlsTest, AnEnemyTapFallsThroughToTheShopWithoutPrimaryTargets)
{
    StartBattle();
    Spawn("Bunker", 512, 384);
    Entity *enemy = Spawn("Alien", 530, 384);
    AddProfileTag("features", "POWERUP_MONEY");
    AddProfileTag("features", "PRIMARY_TARGET");
    game.money_enabled = 1;
    game.parms.game_mode = GAME_MODE_COLLECTOR;
    Touch(TouchPhase::Down, 0, 530, 384);
    EXPECT_FALSE(controls.IsMarkedTarget(enemy));
    EXPECT_TRUE(sman.IsScreenInStack("Shop"));
}

TEST_F(ControlsTest, ArtilleryAimingSwallowsEveryEventAndThePressPlacesTheStrike)
{
    StartBattle();
    Entity *trooper = Spawn("Trooper", 300, 300);
    UIComp *pause = AddComp(battle, "PauseTime", 0, 0, 10, 10);
    pause->visible = true;
    game.artillery_aiming = 1;
    Touch(TouchPhase::Move, 0, 300, 300);
    Key(' ');
    EXPECT_FALSE(game.paused);
    EXPECT_EQ(game.artillery_timer, 0.0f);
    Touch(TouchPhase::Down, 0, 300, 300);
    EXPECT_EQ(SlotHolding(trooper), -1);
    EXPECT_FALSE(game.artillery_aiming);
    EXPECT_EQ(game.artillery_x, 300.0f);
    EXPECT_EQ(game.artillery_y, 300.0f);
    EXPECT_FLOAT_EQ(game.artillery_timer, 0.001f);
    EXPECT_GE(battle->handled, 3);
    // Once placed, presses act again.
    Touch(TouchPhase::Up, 0, 300, 300);
    Touch(TouchPhase::Down, 0, 300, 300);
    EXPECT_EQ(SlotHolding(trooper), 0);
}

TEST_F(ControlsTest, ArtilleryAimingWaitsWhileATutorialIsShown)
{
    StartBattle();
    Entity *trooper = Spawn("Trooper", 300, 300);
    static char name[] = "FIRING";
    game.artillery_aiming = 1;
    game.tutorial_name = name;
    game.tutorial_shown = 1;
    game.tutorial_time = 0.2f;
    Touch(TouchPhase::Down, 0, 300, 300);
    EXPECT_TRUE(game.artillery_aiming);
    EXPECT_EQ(SlotHolding(trooper), 0);
    game.tutorial_name = nullptr;
}

TEST_F(ControlsTest, ATapDismissesTutorialsThatWaitForOne)
{
    struct Case {
        const char *name;
        bool pauses;
        float shown_for;
        bool dismissed;
    } cases[] = {
        {"TACTICAL", false, 2.0f, true},      {"FIRING", true, 2.0f, true},
        {"FIRING", true, 1.5f, false},        {"FIRING", false, 2.0f, false},
        {"MOVING", true, 2.0f, false},        {"TARGETING", true, 2.0f, false},
        {"UNDER_ATTACK", true, 2.0f, false},  {"POWERUP_HEALTH", true, 1.6f, true},
    };
    StartBattle();
    Entity *trooper = Spawn("Trooper", 300, 300);
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.name) + " " + std::to_string(c.shown_for));
        controls.Reset();
        profile.RemoveValue("tutorials_completed", c.name);
        std::string name = c.name;
        game.tutorial_name = &name[0];
        game.tutorial_shown = 1;
        game.tutorial_pauses = c.pauses;
        game.tutorial_time = c.shown_for;
        Touch(TouchPhase::Down, 0, 300, 300);
        EXPECT_EQ(ProfileHas("tutorials_completed", c.name), c.dismissed);
        EXPECT_EQ(game.tutorial_shown, c.dismissed ? 0 : 1);
        // The tap that dismisses goes no further.
        EXPECT_EQ(SlotHolding(trooper), c.dismissed ? -1 : 0);
        Touch(TouchPhase::Up, 0, 300, 300);
        game.tutorial_name = nullptr;
    }
}

TEST_F(ControlsTest, TheSpaceKeySwitchesThePauseWhileThePauseButtonShows)
{
    StartBattle();
    UIComp *pause = AddComp(battle, "PauseTime", 0, 0, 10, 10);
    pause->visible = false;
    Key(' ');
    EXPECT_FALSE(game.paused);
    pause->visible = true;
    Key(' ');
    EXPECT_TRUE(game.paused);
    Key(' ');
    EXPECT_FALSE(game.paused);
    game.lost = 1;
    Key(' ');
    EXPECT_FALSE(game.paused);
}

TEST_F(ControlsTest, WithoutTouchCommandsTouchesSelectNothing)
{
    StartBattle(0);
    Entity *trooper = Spawn("Trooper", 300, 300);
    Touch(TouchPhase::Down, 0, 300, 300);
    EXPECT_EQ(SlotHolding(trooper), -1);
    EXPECT_EQ(battle->handled, 0);
}

TEST_F(ControlsTest, VirtualJoysticksTakeTouchesNearTheirCentres)
{
    StartBattle(CONTROLS_JOYSTICKS | CONTROLS_TOUCH_COMMANDS);
    world->config.joystick_mode_a = 2;
    world->config.joystick_mode_b = 0;
    EXPECT_EQ(controls.stick_centre[0].x, 50.0f);
    EXPECT_EQ(controls.stick_centre[0].y, 768.0f - 50.0f);
    // 40 units right of stick 0: r = 0.8, k = (0.8 - 0.1) x 3 capped at 1.
    Touch(TouchPhase::Down, 0, 90, 718);
    EXPECT_TRUE(controls.stick_held[0]);
    EXPECT_FLOAT_EQ(controls.stick_output[0].x, 1.0f);
    EXPECT_FLOAT_EQ(controls.stick_output[0].y, 0.0f);
    // 10 units up: r = 0.2, k = 0.3.
    Touch(TouchPhase::Move, 0, 50, 708);
    EXPECT_NEAR(controls.stick_output[0].y, -0.3f, 1e-5f);
    Touch(TouchPhase::Up, 0, 50, 708);
    EXPECT_FALSE(controls.stick_held[0]);
    controls.Update(0.016f);
    EXPECT_NEAR(controls.stick_output[0].y, -0.27f, 1e-5f);
    // Away from the sticks the touch only moves the hover point.
    Touch(TouchPhase::Down, 3, 600, 300);
    EXPECT_EQ(controls.hover.x, 600.0f);
    EXPECT_TRUE(controls.touch_pressed[3]);
    // Stick 1 is not in use: its centre takes nothing.
    EXPECT_FALSE(controls.UpdateVirtualJoysticks(controls.stick_centre[1], false));
}

TEST_F(ControlsTest, TheAccelerometerTiltsWithOrWithoutCalibration)
{
    StartBattle(CONTROLS_ACCELEROMETER | CONTROLS_TOUCH_COMMANDS);
    ov->OV_SetKeyStatef(1610, 0.0f);
    ov->OV_SetKeyStatef(1611, -1.0f);
    ov->OV_SetKeyStatef(1612, 0.0f);
    world->config.use_calibration = 0;
    controls.Update(0.016f);
    EXPECT_FLOAT_EQ(controls.tilt.x, 1.0f);
    EXPECT_FLOAT_EQ(controls.tilt.y, 0.0f);
    controls.CalibrateAccelerometer();
    world->config.use_calibration = 1;
    controls.Update(0.016f);
    // Calibrated at rest: the device's own gravity is no tilt.
    EXPECT_NEAR(controls.tilt.x, 0.0f, 1e-3f);
    EXPECT_NEAR(controls.tilt.y, 0.0f, 1e-3f);
    ov->OV_SetKeyStatef(1610, 0.0f);
    ov->OV_SetKeyStatef(1611, 0.0f);
    ov->OV_SetKeyStatef(1612, 0.0f);
    controls.CalibrateAccelerometer();
    for (float v : controls.calibration)
        EXPECT_TRUE(std::isfinite(v));
}

}  // namespace
