// The vector field on its own (no world: the walk meets no obstacles): what one edge
// sample writes, the border push, bilinear sampling, and the walk's limits and
// smoothing.
#include "game/vector-field.h"

#include "game/obstacles.h"
#include "tests/app/services/data_fixture.h"

#include <gtest/gtest.h>
#include <math.h>

namespace {

// 1024 x 768 world: 256 x 192 cells; the engine pre-initialised, no world published.
class VectorFieldTest : public datatest::DataTest {
protected:
    VectorField field{1024, 768};
};

ObstacleEdge EdgeAt(vec2_t p0, vec2_t p1)
{
    ObstacleEdge e;
    e.p0 = p0;
    e.p1 = p1;
    e.normal = ObstacleEdgeNormal(p0, p1);
    return e;
}

TEST_F(VectorFieldTest, SizeIsAQuarterOfTheWorld)
{
    EXPECT_EQ(field.width, 256);
    EXPECT_EQ(field.height, 192);
    VectorField odd(1030, 10);
    EXPECT_EQ(odd.width, 257);  // 1030 / 4 = 257 in integers, + 0.5 truncated
    EXPECT_EQ(odd.height, 2);
}

// One sample (an edge shorter than the 2-unit spacing) in cell (25, 25), normal (0, -1):
// 16 repetitions of k = 20.75 along the normal and its fractions around.
TEST_F(VectorFieldTest, OneEdgeSampleNeighbourhood)
{
    field.AddEdge(EdgeAt({100.5f, 100.5f}, {101.5f, 100.5f}));
    const float k = 16 * 20.75f;
    struct {
        int dx, dy;
        float share;
    } cases[] = {
        {0, 0, 1.0f},
        {1, 0, 0.5f}, {-1, 0, 0.5f}, {0, 1, 0.5f}, {0, -1, 0.5f},
        {1, 1, 0.25f}, {-1, 1, 0.25f}, {1, -1, 0.25f}, {-1, -1, 0.25f},
        {2, 0, 0.25f}, {-2, 0, 0.25f}, {0, 2, 0.25f}, {0, -2, 0.25f},
        {1, 2, 0.125f}, {-1, 2, 0.125f}, {1, -2, 0.125f}, {-1, -2, 0.125f},
        {2, 1, 0.125f}, {-2, 1, 0.125f}, {2, -1, 0.125f}, {-2, -1, 0.125f},
        {3, 0, 0.125f}, {-3, 0, 0.125f}, {0, 3, 0.125f}, {0, -3, 0.125f},
        {2, 2, 0.0f}, {3, 1, 0.0f}, {4, 0, 0.0f}, {0, 4, 0.0f},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << c.dx << "," << c.dy);
        vec2_t v = field.GetCell(25 + c.dx, 25 + c.dy);
        EXPECT_FLOAT_EQ(v.x, 0.0f);
        EXPECT_FLOAT_EQ(v.y, -k * c.share);
    }
}

TEST_F(VectorFieldTest, SamplesAlongTheEdgeEveryTwoUnits)
{
    // 6 units long: samples at 0, 2 and 4 from p0, in cells 25, 25 and 26 (x 100.5,
    // 102.5, 104.5).
    field.AddEdge(EdgeAt({100.5f, 100.5f}, {106.5f, 100.5f}));
    const float k = 16 * 20.75f;
    EXPECT_FLOAT_EQ(field.GetCell(25, 25).y, -(2 * k + k / 2));
    EXPECT_FLOAT_EQ(field.GetCell(26, 25).y, -(k + 2 * k / 2));
}

// Near the border only the parts whose neighbourhood lies inside are written.
TEST_F(VectorFieldTest, BorderSamplesWriteLess)
{
    const float k = 16 * 20.75f;
    struct {
        float x;
        float centre, side;
    } cases[] = {
        {2.0f, 0.0f, 0.0f},           // cx 0: nothing
        {6.0f, k, 0.0f},              // cx 1: the cell only
        {10.0f, k + 0.0f, k / 2},     // cx 2: cell and ring of one
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.x);
        VectorField f(1024, 768);
        f.AddEdge(EdgeAt({c.x, 101.0f}, {c.x, 100.0f}));  // normal (-1, 0)
        int cx = (int)(c.x / 4);
        EXPECT_FLOAT_EQ(-f.GetCell(cx, 25).x, c.centre);
        EXPECT_FLOAT_EQ(-f.GetCell(cx, 24).x, c.side);
    }
}

TEST_F(VectorFieldTest, BorderPushRows)
{
    field.AddBorderPush();
    struct {
        int cx, cy;
        float x, y;
    } cases[] = {
        {100, 0, 0, 1024},   {100, 1, 0, 512},     {100, 2, 0, 0},
        {100, 191, 0, -1024}, {100, 190, 0, -512}, {100, 189, 0, 0},
        {0, 100, 1024, 0},   {1, 100, 512, 0},     {2, 100, 0, 0},
        {255, 100, -1024, 0}, {254, 100, -512, 0},
        {0, 0, 1024, 1024},  {1, 190, 512, -512},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << c.cx << "," << c.cy);
        vec2_t v = field.GetCell(c.cx, c.cy);
        EXPECT_FLOAT_EQ(v.x, c.x);
        EXPECT_FLOAT_EQ(v.y, c.y);
    }
}

TEST_F(VectorFieldTest, BilinearSampling)
{
    field.cells[10 * 256 + 10] = {4.0f, 0.0f};
    field.cells[10 * 256 + 11] = {8.0f, 0.0f};
    field.cells[11 * 256 + 10] = {0.0f, 4.0f};
    field.cells[11 * 256 + 11] = {0.0f, 8.0f};
    struct {
        vec2_t p;
        float x, y;
    } cases[] = {
        {{40.0f, 40.0f}, 4.0f, 0.0f},
        {{44.0f, 40.0f}, 8.0f, 0.0f},
        {{42.0f, 40.0f}, 6.0f, 0.0f},
        {{40.0f, 42.0f}, 2.0f, 2.0f},
        {{42.0f, 42.0f}, 3.0f, 3.0f},
        {{43.0f, 41.0f}, 5.25f, 1.75f},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << c.p.x << "," << c.p.y);
        vec2_t v = field.Sample(c.p);
        EXPECT_FLOAT_EQ(v.x, c.x);
        EXPECT_FLOAT_EQ(v.y, c.y);
    }
}

TEST_F(VectorFieldTest, PointsOutsideSampleTheBorderCells)
{
    field.AddBorderPush();
    const float nan = NAN;
    struct {
        vec2_t p;
        float x, y;
    } cases[] = {
        {{-500.0f, 400.0f}, 1024, 0},
        {{5000.0f, 400.0f}, -1024, 0},
        {{400.0f, -1e30f}, 0, 1024},
        {{400.0f, INFINITY}, 0, -1024},
        {{nan, 400.0f}, 1024, 0},  // NaN counts 0
        {{nan, nan}, 1024, 1024},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << c.p.x << "," << c.p.y);
        vec2_t v = field.Sample(c.p);
        EXPECT_FLOAT_EQ(v.x, c.x);
        EXPECT_FLOAT_EQ(v.y, c.y);
        int cx = -1, cy = -1;
        field.CellOf(c.p, &cx, &cy);
        EXPECT_GE(cx, 0);
        EXPECT_LT(cx, field.width);
        EXPECT_GE(cy, 0);
        EXPECT_LT(cy, field.height);
    }
}

// With no obstacles and a zero field the walk goes straight: from, 10, 20, ..., 80 and
// to, then smoothed into pairs' midpoints and quarter points.
TEST_F(VectorFieldTest, StraightWalkAndItsSmoothing)
{
    nArray<vec2_t> walk = field.WalkFromPointToPoint({100, 300}, {200, 300}, 10.0f, 5.0f, false);
    const float expected[] = {100, 115, 120, 130, 140, 150, 160, 170, 175, 200};
    ASSERT_EQ(walk.Count(), 10);
    EXPECT_TRUE(walk.Shrinks());
    for (int i = 0; i < walk.Count(); i++) {
        SCOPED_TRACE(i);
        EXPECT_FLOAT_EQ(walk[i].x, expected[i]);
        EXPECT_FLOAT_EQ(walk[i].y, 300.0f);
    }
}

TEST_F(VectorFieldTest, StrongFieldTurnsTheWalkAQuarterTurn)
{
    // A field pushing in +x everywhere between the points: the walk turns to (0, 1)
    // (the field turned a quarter turn, -v.y, v.x) or to (0, -1) on the other side.
    for (int i = 0; i < field.width * field.height; i++)
        field.cells[i] = {100.0f, 0.0f};
    for (bool other : {false, true}) {
        SCOPED_TRACE(other);
        nArray<vec2_t> walk = field.WalkFromPointToPoint({400, 300}, {480, 300}, 10.0f, 5.0f, other);
        // Always sideways: never within 15 of `to`, so after 100 steps the walk fails.
        EXPECT_EQ(walk.Count(), 0);
    }
    // The first step of a walk that ends soon after shows the turn.
    nArray<vec2_t> left = field.WalkFromPointToPoint({400, 300}, {400, 340}, 10.0f, 5.0f, false);
    ASSERT_GE(left.Count(), 2);
    EXPECT_FLOAT_EQ(left[left.Count() - 1].y, 340.0f);
    nArray<vec2_t> right = field.WalkFromPointToPoint({400, 300}, {400, 260}, 10.0f, 5.0f, true);
    ASSERT_GE(right.Count(), 2);
    EXPECT_FLOAT_EQ(right[right.Count() - 1].y, 260.0f);
}

struct WalkCase {
    const char *label;
    vec2_t from, to;
    float step;
    int count;  // -1: not empty
};

TEST_F(VectorFieldTest, WalkLimits)
{
    const float nan = NAN;
    const WalkCase cases[] = {
        {"250 apart", {100, 300}, {350, 300}, 10.0f, 0},
        {"just over 200", {100, 300}, {300.5f, 300}, 10.0f, 0},
        {"100 steps appended", {100, 300}, {202.2f, 300}, 1.0f, 0},
        {"99 steps appended", {100, 300}, {201.2f, 300}, 1.0f, -1},
        {"from equals to", {100, 300}, {100, 300}, 10.0f, 2},
        {"from within 1e-4", {100, 300}, {100.00005f, 300}, 10.0f, 2},
        {"NaN from", {nan, 300}, {100, 300}, 10.0f, 0},
        {"NaN to", {100, 300}, {100, nan}, 10.0f, 0},
        {"infinite to", {100, 300}, {INFINITY, 300}, 10.0f, 0},
        {"NaN step", {100, 300}, {150, 300}, nan, 0},
        {"zero step", {100, 300}, {150, 300}, 0.0f, 0},
        {"negative step", {100, 300}, {150, 300}, -5.0f, 0},
        {"one step", {100, 300}, {110, 300}, 10.0f, 2},
    };
    for (const WalkCase &c : cases) {
        SCOPED_TRACE(c.label);
        nArray<vec2_t> walk = field.WalkFromPointToPoint(c.from, c.to, c.step, 10.0f, false);
        if (c.count < 0) {
            ASSERT_GT(walk.Count(), 2);
            EXPECT_FLOAT_EQ(walk[0].x, c.from.x);
            EXPECT_FLOAT_EQ(walk[walk.Count() - 1].x, c.to.x);
        } else {
            EXPECT_EQ(walk.Count(), c.count);
        }
        if (c.count == 2) {
            EXPECT_FLOAT_EQ(walk[0].x, c.from.x);
            EXPECT_FLOAT_EQ(walk[1].x, c.to.x);
        }
    }
}

}  // namespace
