// Movement paths in a world: the obstacle rule for new points and the arrows drawn
// along the path, read from the engine's recorded drawing calls (position, direction,
// size, alpha with the pulse, white, alpha 1 afterwards).
#include "tests/game/game_fixture.h"

#include "game/entities/move-path.h"
#include "game/entities/stock.h"
#include "game/obstacles.h"

#include <gtest/gtest.h>
#include <math.h>

#include <vector>

namespace {

struct ArrowCall {
    float x, y, rotation, scale, alpha;
};

std::vector<ArrowCall> arrows;
std::vector<float> alphas;  // every SetAlpha
float current_alpha = 1.0f;
float color[3] = {0, 0, 0};
char arrow_bitmap;  // a stand-in handle: the recorder never passes it on

void RecordSetAlpha(float a) {
    current_alpha = a;
    alphas.push_back(a);
}
void RecordSetColor(float r, float g, float b) {
    color[0] = r, color[1] = g, color[2] = b;
}
void RecordDrawBitmapRS(ov_bitmap_t *b, float x, float y, float rotation, float scale) {
    EXPECT_EQ(b, reinterpret_cast<ov_bitmap_t *>(&arrow_bitmap));
    arrows.push_back({x, y, rotation, scale, current_alpha});
}

class MovePathWorldTest : public gametest::GameTest {
protected:
    void SetUp() override {
        gametest::GameTest::SetUp();
        StartGame();
        MakeWorld();
        // A 100 x 100 square, corners listed clockwise on screen.
        const vec2_t corners[4] = {{-50, -50}, {50, -50}, {50, 50}, {-50, 50}};
        square.num_edges = 4;
        square.edges = new ObstacleEdge[4];
        for (int i = 0; i < 4; i++) {
            ObstacleEdge &e = square.edges[i];
            e.p0 = corners[i];
            e.p1 = corners[(i + 1) % 4];
            e.normal = ObstacleEdgeNormal(e.p0, e.p1);
        }
        square.radius = hypotf(50, 50);
    }
    void TearDown() override {
        FreeWorld();
        square.Free();
        gametest::GameTest::TearDown();
    }
    void RecordDrawing() {
        arrows.clear();
        alphas.clear();
        world->stock->bm_path_arrow = reinterpret_cast<ov_bitmap_t *>(&arrow_bitmap);
        ov->OV_SetAlpha = RecordSetAlpha;  // the engine table is restored after the test
        ov->OV_SetColor = RecordSetColor;
        ov->OV_DrawBitmapRS = RecordDrawBitmapRS;
    }
    ObstacleType square;
};

TEST_F(MovePathWorldTest, OnlyTheFirstPointMayLieInsideAnObstacle) {
    ASSERT_NE(world->AddObstacle(&square, {400, 300}, 0.0f, 1.0f), nullptr);
    MovePath path;
    EXPECT_TRUE(path.AddPoint({400, 300}));   // a trooper standing at the obstacle
    EXPECT_FALSE(path.AddPoint({400, 355}));  // 5 from the edge: within the clearance
    EXPECT_FALSE(path.AddPoint({400, 250}));  // inside
    EXPECT_TRUE(path.AddPoint({400, 365}));   // 15 from the edge
    EXPECT_EQ(path.count, 2);
    path.Reset();
    EXPECT_TRUE(path.AddPoint({455, 300}));  // first again
    EXPECT_FALSE(path.AddPoint({455, 320}));
    EXPECT_TRUE(path.AddPoint({465, 320}));
}

TEST_F(MovePathWorldTest, ArrowsEveryTwentyFiveUnitsFromTheFollowerOn) {
    MovePath path;
    for (float x : {100.0f, 150.0f, 200.0f, 250.0f, 300.0f}) {
        ASSERT_TRUE(path.AddPoint({x, 100}));
    }
    path.held = true;
    RecordDrawing();
    path.Draw(30.0f);
    // 50.1, 75.1, ..., 175.1 (200.1 is past the end).
    ASSERT_EQ(arrows.size(), 6u);
    for (size_t i = 0; i < arrows.size(); i++) {
        SCOPED_TRACE(i);
        EXPECT_NEAR(arrows[i].x, 150.1f + 25.0f * (float)i, 1e-3f);
        EXPECT_NEAR(arrows[i].y, 100.0f, 1e-4f);
        EXPECT_NEAR(arrows[i].rotation, 0.0f, 1e-5f);
        EXPECT_EQ(arrows[i].scale, 1.0f);
        EXPECT_EQ(arrows[i].alpha, 0.5f);  // held: no pulse
    }
    EXPECT_EQ(color[0] + color[1] + color[2], 3.0f);
    ASSERT_FALSE(alphas.empty());
    EXPECT_EQ(alphas.back(), 1.0f);

    arrows.clear();
    path.Draw(0.0f);
    EXPECT_EQ(arrows.size(), 8u);
    arrows.clear();
    alphas.clear();
    path.Draw(500.0f);  // the follower is past the end
    EXPECT_TRUE(arrows.empty());
    ASSERT_EQ(alphas.size(), 1u);
    EXPECT_EQ(alphas[0], 1.0f);
}

TEST_F(MovePathWorldTest, ArrowsPointAlongTheBends) {
    MovePath path;
    for (vec2_t p : {vec2_t{100, 100}, vec2_t{100, 200}, vec2_t{200, 200}}) {
        ASSERT_TRUE(path.AddPoint(p));
    }
    path.held = true;
    RecordDrawing();
    path.Draw(0.0f);
    // d = 0.1 .. 175.1: down (pi / 2) until the corner's reach, across it at 100.1
    // (from (100, 175.1) to (125.1, 200)), then right (0).
    ASSERT_EQ(arrows.size(), 8u);
    EXPECT_NEAR(arrows[0].rotation, (float)M_PI / 2, 1e-5f);
    EXPECT_NEAR(arrows[2].rotation, (float)M_PI / 2, 1e-5f);
    EXPECT_NEAR(arrows[4].rotation, atan2f(24.9f, 25.1f), 1e-5f);
    EXPECT_NEAR(arrows[7].rotation, 0.0f, 1e-5f);
    EXPECT_NEAR(arrows[7].x, 175.1f, 1e-3f);
    EXPECT_NEAR(arrows[7].y, 200.0f, 1e-3f);
}

TEST_F(MovePathWorldTest, ReleasedPathCarriesOneSwellingWave) {
    MovePath path;
    for (float x = 0; x <= 1500.0f; x += 100.0f) {
        ASSERT_TRUE(path.AddPoint({x + 10, 300}));
    }
    // The crest (w = pi: alpha 1, size 1.5) at d = 700.1; the wave has passed the
    // arrows before d = 700.1 - 628.3 and not reached those beyond 700.1 + 628.3.
    path.held = false;
    path.pulse_time = (float)M_PI / 10.0f + 700.1f / 2000.0f;
    RecordDrawing();
    path.Draw(0.0f);
    ASSERT_EQ(arrows.size(), 60u);
    for (size_t i = 0; i < arrows.size(); i++) {
        float d = 0.1f + 25.0f * (float)i;
        float w = (path.pulse_time - d / 2000.0f) * 10.0f;
        float q = w > 0 && w < 2 * (float)M_PI ? (1 - cosf(w)) / 4 : 0.0f;
        SCOPED_TRACE(d);
        EXPECT_NEAR(arrows[i].alpha, 0.5f + q, 1e-4f);
        EXPECT_NEAR(arrows[i].scale, 1.0f + q, 1e-4f);
    }
    EXPECT_NEAR(arrows[28].alpha, 1.0f, 1e-5f);  // d = 700.1
    EXPECT_NEAR(arrows[28].scale, 1.5f, 1e-5f);
    for (size_t i : {0u, 2u, 54u, 59u}) {  // passed (d = 0.1, 50.1), not reached (1350.1, 1475.1)
        SCOPED_TRACE(i);
        EXPECT_EQ(arrows[i].alpha, 0.5f);
        EXPECT_EQ(arrows[i].scale, 1.0f);
    }
    EXPECT_GT(arrows[3].alpha, 0.5f);   // d = 75.1: the wave's tail
    EXPECT_GT(arrows[53].alpha, 0.5f);  // d = 1325.1: its front
}

}  // namespace
