// The world's obstacles: placing into the grid and the vector field, the circle test,
// the two projections, the query stamp's wrap, the walk round a wall and the search
// towards the bunker. The world is built from its grid alone; outlines are made here.
#include "game/obstacles.h"

#include "game/entities/entity.h"
#include "game/scape.h"
#include "game/vector-field.h"
#include "tests/app/services/data_fixture.h"

#include <gtest/gtest.h>
#include <math.h>
#include <string.h>

#include <initializer_list>
#include <vector>

namespace {

// An outline from its corners, listed clockwise on screen; edges close the polygon.
void MakeOutline(ObstacleType *type, std::initializer_list<vec2_t> corners)
{
    std::vector<vec2_t> c(corners);
    type->Free();
    type->num_edges = (int)c.size();
    type->edges = new ObstacleEdge[c.size()];
    for (size_t i = 0; i < c.size(); i++) {
        ObstacleEdge &e = type->edges[i];
        e.p0 = c[i];
        e.p1 = c[(i + 1) % c.size()];
        e.normal = ObstacleEdgeNormal(e.p0, e.p1);
        type->radius = fmaxf(type->radius, hypotf(c[i].x, c[i].y));
    }
}

// The engine pre-initialised (the world's calls may reach it), the world without it.
class ObstacleWorldTest : public datatest::DataTest {
protected:
    void SetUp() override
    {
        DataTest::SetUp();
        world.InitGrid(8, 6, 128.0f);
        world.vector_field = new VectorField(world.width, world.height, &world);
        MakeOutline(&square, {{0, 0}, {10, 0}, {10, 10}, {0, 10}});
    }
    void TearDown() override
    {
        world.Free();
        square.Free();
        wall.Free();
        empty.Free();
        DataTest::TearDown();
    }
    Scape world;
    ObstacleType square, wall, empty;
};

struct InsideCase {
    const char *label;
    vec2_t p;
    float r;
    bool inside;
    vec2_t out;  // when the scan reached the square
    bool out_written;
};

// The square (0,0)-(10,0)-(10,10)-(0,10) placed at (100, 100).
const InsideCase kInsideCases[] = {
    {"depth 1 at the top edge", {105, 101}, 2, true, {105, 98}, true},
    {"touching (overlap below 0.1)", {105, 98.05f}, 2, false, {105, 98}, true},
    {"wholly outside an edge", {105, 90}, 2, false, {0, 0}, false},
    {"far away", {600, 600}, 50, false, {0, 0}, false},
    {"centre: first of the equal edges", {105, 105}, 0, true, {105, 100}, true},
    {"near the right edge", {109, 104}, 3, true, {113, 104}, true},
    {"corner region outside both edges", {97, 97}, 2, false, {0, 0}, false},
    {"NaN point", {NAN, 105}, 2, false, {0, 0}, false},
    {"infinite radius", {105, 105}, INFINITY, false, {0, 0}, false},
};

TEST_F(ObstacleWorldTest, CircleTestTable)
{
    Obstacle *placed = world.AddObstacle(&square, {100, 100}, 0.0f, 1.0f);
    ASSERT_NE(placed, nullptr);
    for (const InsideCase &c : kInsideCases) {
        SCOPED_TRACE(c.label);
        vec2_t out = {-1, -1};
        EXPECT_EQ(world.IsPointInsideObstacle(c.p, c.r, &out), c.inside);
        if (c.out_written) {
            EXPECT_NEAR(out.x, c.out.x, 1e-4f);
            EXPECT_NEAR(out.y, c.out.y, 1e-4f);
        } else {
            EXPECT_EQ(out.x, -1.0f);
        }
        EXPECT_EQ(world.IsPointInsideObstacle(c.p, c.r, nullptr), c.inside);  // out may be null
    }
}

TEST_F(ObstacleWorldTest, OutlineWithoutEdgesNeverCollides)
{
    world.AddObstacle(&empty, {100, 100}, 0.0f, 1.0f);
    EXPECT_FALSE(world.IsPointInsideObstacle({100, 100}, 20.0f, nullptr));
    vec2_t out;
    EXPECT_FALSE(world.ProjectPointOnToObstacle({100, 100}, &out));
    EXPECT_EQ(world.AddObstacle(nullptr, {100, 100}, 0.0f, 1.0f), nullptr);
}

TEST_F(ObstacleWorldTest, PlacingReferencesTheCellAndWritesTheField)
{
    Obstacle *o = world.AddObstacle(&square, {300, 200}, 0.0f, 2.0f);
    ASSERT_NE(o, nullptr);
    ScapeCell *cell = world.GetCellAt({300, 200});
    ASSERT_EQ(cell->num_obstacles, 1);
    EXPECT_EQ(cell->obstacles[0], o);
    EXPECT_EQ(o->cell, cell);
    EXPECT_EQ(world.placed_obstacles.Count(), 1);
    // The top edge (300..320, y 200) pushes up (-y) in its cells.
    vec2_t v = world.vector_field->GetCell(77, 50);
    EXPECT_LT(v.y, -100.0f);
    // Far away nothing.
    v = world.vector_field->GetCell(20, 20);
    EXPECT_EQ(v.x, 0.0f);
    EXPECT_EQ(v.y, 0.0f);
    // Points outside the world go to the border cells.
    Obstacle *outside = world.AddObstacle(&square, {-50, NAN}, 0.0f, 1.0f);
    EXPECT_EQ(outside->cell, world.GetCellAt({0, 0}));
}

// Nine obstacles centred in one cell: the ninth is placed but in no cell, so it never
// collides; the world frees all nine (LeakSanitizer checks the ninth).
TEST_F(ObstacleWorldTest, NinthObstacleOfACellIsPlacedButNeverCollides)
{
    for (int i = 0; i < 9; i++)
        world.AddObstacle(&square, {(float)(10 + 12 * i), 20}, 0.0f, 1.0f);
    ScapeCell *cell = world.GetCellAt({10, 20});
    EXPECT_EQ(cell->num_obstacles, 8);
    ASSERT_EQ(world.placed_obstacles.Count(), 9);
    Obstacle *ninth = world.placed_obstacles[8];
    EXPECT_EQ(ninth->cell, nullptr);
    EXPECT_TRUE(world.IsPointInsideObstacle({15, 25}, 1.0f, nullptr));     // the first
    EXPECT_FALSE(world.IsPointInsideObstacle({111, 25}, 1.0f, nullptr));   // the ninth
    world.Reset();  // a new mission
    EXPECT_EQ(world.placed_obstacles.Count(), 0);
    EXPECT_EQ(cell->num_obstacles, 0);
    EXPECT_FALSE(world.IsPointInsideObstacle({15, 25}, 1.0f, nullptr));
}

TEST_F(ObstacleWorldTest, FirstObstacleInGridOrderDecides)
{
    // Two overlapping squares in different cells: the one in the upper row is tested
    // first and decides, even when the circle is deeper in the other.
    world.AddObstacle(&square, {130, 128}, 0.0f, 3.0f);  // row 1: (130..160, 128..158)
    world.AddObstacle(&square, {130, 120}, 0.0f, 1.0f);  // row 0: (130..140, 120..130)
    vec2_t out;
    // 0.5 deep in the small square, 1.5 in the large one.
    EXPECT_TRUE(world.IsPointInsideObstacle({135, 129.5f}, 0.0f, &out));
    EXPECT_NEAR(out.y, 130.0f, 1e-4f);  // pushed out of the small square's bottom edge
}

TEST_F(ObstacleWorldTest, StampWrapClearsEveryStamp)
{
    Obstacle *o = world.AddObstacle(&square, {100, 100}, 0.0f, 1.0f);
    world.visit_stamp = 0xffffffffu;
    o->visit_stamp = 1;  // stale: equal to the first stamp after the wrap
    EXPECT_TRUE(world.IsPointInsideObstacle({105, 105}, 1.0f, nullptr));
    EXPECT_EQ(world.visit_stamp, 1u);
    EXPECT_EQ(o->visit_stamp, 1u);
    EXPECT_TRUE(world.IsPointInsideObstacle({105, 105}, 1.0f, nullptr));
    EXPECT_EQ(world.visit_stamp, 2u);
    EXPECT_EQ(NextObstacleVisitStamp(&world), 3u);
}

TEST_F(ObstacleWorldTest, ProjectPointOnToObstacle)
{
    world.AddObstacle(&square, {100, 100}, 0.0f, 1.0f);
    struct {
        vec2_t p;
        bool found;
        vec2_t out;
    } cases[] = {
        {{105, 95}, true, {105, 100}},   // above: onto the top edge
        {{115, 104}, true, {110, 104}},  // right: onto the right edge
        {{115, 90}, true, {110, 90}},    // beside a corner: the nearer edge line (right, 5 vs 10)
        {{105, 105}, false, {0, 0}},     // inside: no edge has a positive distance
        {{NAN, 0}, false, {0, 0}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << c.p.x << "," << c.p.y);
        vec2_t out = {-1, -1};
        EXPECT_EQ(world.ProjectPointOnToObstacle(c.p, &out), c.found);
        if (c.found) {
            EXPECT_NEAR(out.x, c.out.x, 1e-4f);
            EXPECT_NEAR(out.y, c.out.y, 1e-4f);
        }
    }
    EXPECT_TRUE(world.ProjectPointOnToObstacle({105, 95}, nullptr));
}

TEST_F(ObstacleWorldTest, ProjectPointOutOfCollisions)
{
    std::vector<Entity> e(3);
    memset((void *)e.data(), 0, sizeof(Entity) * e.size());
    const vec2_t at[3] = {{300, 300}, {500, 300}, {700, 300}};
    const uint32_t flags[3] = {Entity::BLOCKS_MOVEMENT | Entity::NORMAL, Entity::BLOCKS_MOVEMENT, Entity::NORMAL};
    for (int i = 0; i < 3; i++) {
        e[i].flags = flags[i];
        e[i].state = Entity::STATE_ALIVE;
        e[i].radius = 10;
        e[i].pos = at[i];
        world.LinkEntity(&e[i]);
    }
    world.AddObstacle(&square, {100, 100}, 0.0f, 1.0f);
    struct {
        const char *label;
        vec2_t p;
        float r;
        bool moved;
        vec2_t out;
    } cases[] = {
        {"beside a blocker", {305, 300}, 5, true, {315.5f, 300}},
        {"on a blocker's centre: pushed along x", {500, 300}, 5, true, {515.5f, 300}},
        {"above a blocker", {300, 290}, 4, true, {300, 285.5f}},
        {"clear of a blocker", {300, 320}, 5, false, {300, 320}},
        {"not blocking", {700, 300}, 5, false, {700, 300}},
        {"inside an obstacle", {105, 101}, 2, true, {105, 98}},
        {"NaN", {NAN, 1}, 2, false, {NAN, 1}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.label);
        bool moved = !c.moved;
        vec2_t q = world.ProjectPointOutOfCollisions(c.p, c.r, &moved);
        EXPECT_EQ(moved, c.moved);
        if (isfinite(c.out.x)) {
            EXPECT_NEAR(q.x, c.out.x, 1e-4f);
            EXPECT_NEAR(q.y, c.out.y, 1e-4f);
        }
    }
    world.ProjectPointOutOfCollisions({305, 300}, 5, nullptr);  // moved may be null
    for (Entity &x : e)
        world.UnlinkEntity(&x);
}

// A wall 40 wide and 200 high between the two points: the walk follows it over the top
// on one side and under the bottom on the other, never through it.
TEST_F(ObstacleWorldTest, WalkGoesRoundAWallOnEitherSide)
{
    MakeOutline(&wall, {{-20, -100}, {20, -100}, {20, 100}, {-20, 100}});
    world.AddObstacle(&wall, {400, 300}, 0.0f, 1.0f);
    world.vector_field->AddBorderPush();
    float extreme[2] = {0, 0};
    for (int side = 0; side < 2; side++) {
        SCOPED_TRACE(side);
        nArray<vec2_t> walk = world.vector_field->WalkFromPointToPoint({330, 300}, {470, 300}, 10.0f, 10.0f, side == 1);
        ASSERT_GT(walk.Count(), 2);
        EXPECT_FLOAT_EQ(walk[0].x, 330.0f);
        EXPECT_FLOAT_EQ(walk[walk.Count() - 1].x, 470.0f);
        float lo = 1e9f, hi = -1e9f;
        for (int i = 0; i < walk.Count(); i++) {
            EXPECT_FALSE(world.IsPointInsideObstacle(walk[i], 5.0f, nullptr)) << i;
            lo = fminf(lo, walk[i].y);
            hi = fmaxf(hi, walk[i].y);
        }
        extreme[side] = side == 0 ? lo : hi;
    }
    EXPECT_LT(extreme[0], 200.0f);  // over the top
    EXPECT_GT(extreme[1], 400.0f);  // under the bottom
}

TEST_F(ObstacleWorldTest, NanAndCoincidentWalksAreClean)
{
    world.AddObstacle(&square, {100, 100}, 0.0f, 1.0f);
    VectorField *f = world.vector_field;
    EXPECT_EQ(f->WalkFromPointToPoint({NAN, NAN}, {10, 10}, 10, 10, false).Count(), 0);
    EXPECT_EQ(f->WalkFromPointToPoint({10, 10}, {NAN, 10}, 10, 10, true).Count(), 0);
    nArray<vec2_t> same = f->WalkFromPointToPoint({105, 105}, {105, 105}, 10, 10, false);
    ASSERT_EQ(same.Count(), 2);  // unsampled, even inside an obstacle
    EXPECT_FLOAT_EQ(same[0].x, 105.0f);
    EXPECT_FLOAT_EQ(same[1].x, 105.0f);
}

TEST_F(ObstacleWorldTest, PathSearchTowardsTheBunker)
{
    // A square covering the centre of cell (2, 1) at (320, 192).
    world.AddObstacle(&square, {300, 170}, 0.0f, 4.0f);
    world.RecursePathToBunker(4, 3, 4, 3, 7);
    auto cell = [&](int cx, int cy) { return &world.cells[cy * world.num_columns + cx]; };
    EXPECT_EQ(cell(4, 3)->path_stamp, 7);
    EXPECT_EQ(cell(4, 3)->path_next, cell(4, 3));
    EXPECT_EQ(cell(5, 4)->path_next, cell(4, 3));
    // Depth first: (3, 2) is reached through the first neighbour's branch before the
    // start's last neighbour is tried.
    EXPECT_NE(cell(3, 2)->path_next, nullptr);
    // Only diagonal steps: cells of the other parity are never reached.
    EXPECT_EQ(cell(4, 4)->path_stamp, 0);
    EXPECT_EQ(cell(4, 4)->path_next, nullptr);
    // The blocked cell is stamped with no way on.
    EXPECT_EQ(cell(2, 1)->path_stamp, 7);
    EXPECT_EQ(cell(2, 1)->path_next, nullptr);
    // Every cell of the start's parity is stamped; those not blocked lead to a stamped cell.
    for (int cy = 0; cy < world.num_rows; cy++) {
        for (int cx = 0; cx < world.num_columns; cx++) {
            SCOPED_TRACE(testing::Message() << cx << "," << cy);
            bool reachable = (cx + cy) % 2 == 1;
            EXPECT_EQ(cell(cx, cy)->path_stamp, reachable ? 7 : 0);
            const ScapeCell *next = cell(cx, cy)->path_next;
            if (next && !(cx == 4 && cy == 3)) {
                // A diagonal neighbour, itself stamped.
                int index = (int)(next - world.cells);
                EXPECT_EQ(abs(index % world.num_columns - cx), 1);
                EXPECT_EQ(abs(index / world.num_columns - cy), 1);
                EXPECT_EQ(next->path_stamp, 7);
            }
        }
    }
    // A second search with the same stamp changes nothing; outside the grid nothing.
    world.RecursePathToBunker(4, 3, 4, 3, 7);
    world.RecursePathToBunker(-1, 30, 0, 0, 8);
    EXPECT_EQ(cell(5, 4)->path_next, cell(4, 3));
}

}  // namespace
