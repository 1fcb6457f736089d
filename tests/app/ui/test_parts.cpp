// Particle systems without the renderer: curves, the pool, the update (ages, deaths,
// gravity, dampening, emission) and the shapes of bitmaps. The drawing pass runs
// against a recording interface table.
#include "app/services/random.h"
#include "app/ui/partfx.h"
#include "app/ui/parts.h"
#include "app/services/prog.h"
#include "ovrecords.h"

#include <gtest/gtest.h>

#include <math.h>
#include <string.h>

#include <vector>

namespace {

std::vector<part_t *> drawn;
void CountDraw(part_t *p)
{
    drawn.push_back(p);
}
void NoBlend(int) {}
void NoColor(float, float, float) {}
void NoFloat(float) {}
void NoInt(int) {}

// The drawing pass only sets render state through these.
class PartsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        memset(&table_, 0, sizeof table_);
        table_.OV_SetBlend = NoBlend;
        table_.OV_SetColor = NoColor;
        table_.OV_SetAlpha = NoFloat;
        table_.OV_SetTextAlign = NoInt;
        saved_ = ov;
        ov = &table_;
        drawn.clear();
        AppSeedRandom(7);
    }
    void TearDown() override { ov = saved_; }
    orvex_t table_;
    orvex_t *saved_ = nullptr;
};

part_graph_t Graph(std::initializer_list<part_graph_point_t> points)
{
    part_graph_t g;
    memset(&g, 0, sizeof g);
    for (const part_graph_point_t &p : points)
        g.points[g.count++] = p;
    return g;
}

ov_bitmap_t *const kDot = reinterpret_cast<ov_bitmap_t *>(0x1000);

// A one-particle burst drawn with a stand-in bitmap, living 10 s, at rest.
fx_t OneParticleBurst()
{
    fx_t fx;
    memset(&fx, 0, sizeof fx);
    fx.num_parts = 1;
    fx.bitmaps[0] = kDot;
    fx.num_bitmaps = 1;
    fx.lifetime = {10, 10};
    fx.alpha = fx.scale = fx.dampening = {1, 1};
    fx.alpha_graph = graph_linear_1_0;
    fx.scale_graph = graph_constant1;
    return fx;
}

}  // namespace

TEST_F(PartsTest, CurveValuesByPointCount)
{
    part_graph_t zero = Graph({});
    zero.points[0].value = 5;
    struct Case {
        const char *what;
        part_graph_t graph;
        float t, value;
    } cases[] = {
        {"count 0: the first value", zero, 0.7f, 5},
        {"count 1: the first value", Graph({{0.3f, 2}}), 0.9f, 2},
        {"count 2 ignores t", Graph({{0.5f, 0}, {0.7f, 1}}), 0.25f, 0.25f},
        {"count 2 at the end", Graph({{0.5f, 0}, {0.7f, 1}}), 1, 1},
        {"count 3 rising", Graph({{0, 0}, {0.1f, 1}, {1, 0}}), 0.05f, 0.5f},
        {"count 3 falling", Graph({{0, 0}, {0.1f, 1}, {1, 0}}), 0.55f, 0.5f},
        {"count 4 flat middle", Graph({{0, 0}, {0.1f, 1}, {0.9f, 1}, {1, 0}}), 0.5f, 1},
        {"before the first point", Graph({{0.2f, 4}, {0.5f, 1}, {0.8f, 3}}), 0.1f, 4},
        {"past the last point", Graph({{0, 0}, {0.5f, 1}, {0.8f, 3}}), 0.9f, 3},
        {"on a point", Graph({{0, 0}, {0.5f, 1}, {0.8f, 3}}), 0.5f, 1},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_NEAR(PartGraphValue(&c.graph, c.t), c.value, 1e-5);
    }
    EXPECT_EQ(PartGraphValue(nullptr, 0.5f), 1.0f);
}

TEST_F(PartsTest, InitPartsSetsUpTheSharedCurvesAndGravity)
{
    graph_linear_1_0.count = 0;
    graph_fade_in_out.points[2].value = 7;
    PartMan system(4);
    EXPECT_EQ(graph_linear_1_0.count, 2);
    EXPECT_EQ(PartGraphValue(&graph_linear_1_0, 0.25f), 0.75f);
    EXPECT_EQ(PartGraphValue(&graph_fade_in_out, 0.5f), 1.0f);
    EXPECT_EQ(PartGraphValue(&graph_smooth_fade, 0.05f), 0.5f);
    EXPECT_EQ(PartGraphValue(&graph_constant1, 0.3f), 1.0f);
    EXPECT_EQ(PartGraphValue(&graph_linear_0_1, 0.3f), 0.3f);
    EXPECT_EQ(system.gravity_x, 0.0f);
    EXPECT_EQ(system.gravity_y, 9.81f);
    EXPECT_EQ(system.GetPoolSize(), 4);
}

TEST_F(PartsTest, FullPoolGivesTheThrowawayAndKeepsTheLiveCount)
{
    PartMan system(2);
    part_t *a = system.SpawnPart({1, 1}, kDot, 1);
    part_t *b = system.SpawnPart({2, 2}, kDot, 1);
    EXPECT_FALSE(PartMan::IsThrowaway(a));
    EXPECT_FALSE(PartMan::IsThrowaway(b));
    part_t *c = system.SpawnPart({3, 3}, kDot, 1);
    EXPECT_TRUE(PartMan::IsThrowaway(c));
    EXPECT_EQ(system.GetLiveCount(), 2);
    EXPECT_EQ(c->next, c);
    // A text spawned into it keeps no copy, and it is never updated.
    part_t *t = system.SpawnPartTextf({0, 0}, nullptr, 1, "score %d", 10);
    EXPECT_TRUE(PartMan::IsThrowaway(t));
    EXPECT_EQ(t->text, nullptr);
    t->vx = 100;
    system.UpdateParts(0.5f);
    EXPECT_EQ(t->x, 0.0f);
    EXPECT_EQ(t->age, 0.0f);
    // Killing one frees a place again.
    system.KillPart(a);
    EXPECT_EQ(system.GetLiveCount(), 1);
    EXPECT_FALSE(PartMan::IsThrowaway(system.SpawnPart({4, 4}, kDot, 1)));
}

TEST_F(PartsTest, NegativePoolSizeGivesAnEmptyPool)
{
    PartMan system(-5);
    EXPECT_EQ(system.GetPoolSize(), 0);
    EXPECT_TRUE(PartMan::IsThrowaway(system.GetFreePart()));
    system.ResetAndResizePool(3);
    EXPECT_EQ(system.GetPoolSize(), 3);
}

TEST_F(PartsTest, TextParticlesOwnTheirFormattedText)
{
    PartMan system(4);
    part_t *p = system.SpawnPartTextf({5, 6}, nullptr, 2, "%s-%d", "x", 42);
    ASSERT_NE(p->text, nullptr);
    EXPECT_STREQ(p->text, "x-42");
    EXPECT_EQ(p->draw_func, PMAN_Draw_Text);
    EXPECT_EQ(p->bitmap, nullptr);
    system.ResetParts();
    EXPECT_EQ(system.GetLiveCount(), 0);
    EXPECT_EQ(system.FirstLive(), nullptr);
}

TEST_F(PartsTest, NegativeAgeNeitherMovesNorDraws)
{
    PartMan system(4);
    part_t *p = system.SpawnPart({10, 10}, kDot, 1);
    p->age = -0.5f;
    p->vx = 100;
    p->draw_func = CountDraw;
    system.UpdateParts(0.25f);
    EXPECT_EQ(p->x, 10.0f);
    EXPECT_EQ(p->age, -0.25f);
    system.DrawParts();
    EXPECT_TRUE(drawn.empty());
    system.UpdateParts(0.25f);  // age 0: born, moves from now on
    EXPECT_EQ(p->age, 0.0f);
    EXPECT_EQ(p->x, 35.0f);
    system.DrawParts();
    EXPECT_EQ(drawn.size(), 1u);
}

namespace {
int deaths = 0;
PartMan *death_system = nullptr;
void CountDeath(part_t *)
{
    deaths++;
}
void SpawnOnDeath(part_t *p)
{
    part_t *child = death_system->SpawnPart({p->x, p->y}, kDot, 5);
    child->vx = 10;
}
}  // namespace

TEST_F(PartsTest, AgeEqualToLifetimeIsStillAlive)
{
    PartMan system(4);
    deaths = 0;
    part_t *p = system.SpawnPart({0, 0}, kDot, 1);
    p->death_func = CountDeath;
    system.UpdateParts(1.0f);
    EXPECT_EQ(system.GetLiveCount(), 1);
    EXPECT_EQ(deaths, 0);
    system.UpdateParts(0.001f);
    EXPECT_EQ(system.GetLiveCount(), 0);
    EXPECT_EQ(deaths, 1);
}

TEST_F(PartsTest, DeathFunctionSpawnsAreUpdatedInTheSamePass)
{
    PartMan system(8);
    death_system = &system;
    part_t *dying = system.SpawnPart({3, 4}, kDot, 0.1f);
    dying->death_func = SpawnOnDeath;
    part_t *other = system.SpawnPart({0, 0}, kDot, 5);
    system.UpdateParts(0.5f);
    ASSERT_EQ(system.GetLiveCount(), 2);
    EXPECT_EQ(system.FirstLive(), other);
    part_t *child = system.NextLive(other);
    ASSERT_NE(child, nullptr);
    EXPECT_EQ(child->age, 0.5f);
    EXPECT_EQ(child->x, 3.0f + 5.0f);
    EXPECT_EQ(child->y, 4.0f);
}

TEST_F(PartsTest, GravityAndDampening)
{
    PartMan system(4);
    part_t *p = system.SpawnPart({0, 0}, kDot, 10);
    p->mass = 2;
    p->dampening = 0.5f;
    p->vx = 8;
    system.UpdateParts(0.5f);
    float damp = powf(0.5f, 0.5f);
    EXPECT_NEAR(p->vy, 0.5f * 2 * 9.81f * damp, 1e-4);
    EXPECT_NEAR(p->vx, 8 * damp, 1e-5);
    EXPECT_NEAR(p->y, 0.5f * p->vy, 1e-5);
    EXPECT_NEAR(p->x, 0.5f * p->vx, 1e-5);
    // Without dampening (1) and mass the velocity stays.
    part_t *q = system.SpawnPart({0, 0}, kDot, 10);
    q->vx = 3;
    system.UpdateParts(1);
    EXPECT_EQ(q->vx, 3.0f);
    EXPECT_EQ(q->vy, 0.0f);
    EXPECT_EQ(q->x, 3.0f);
}

TEST_F(PartsTest, EmissionByTimeFollowsTheInterval)
{
    PartMan system(64);
    fx_t child = OneParticleBurst();
    part_t *p = system.SpawnPart({0, 0}, kDot, 100);
    p->vx = 4;
    p->vy = 4;
    p->emitter_fx = &child;
    p->emit_by_time = 1;
    p->emit_interval = 0.5f;
    p->emit_countdown = 0;
    int live[4];
    for (int i = 0; i < 4; i++) {
        system.UpdateParts(0.25f);
        live[i] = system.GetLiveCount();
    }
    // Countdown 0 -> -0.25 (emit, 0.25) -> 0 (emit, 0.5) -> 0.25 -> 0 (emit).
    EXPECT_EQ(live[0], 2);
    EXPECT_EQ(live[1], 3);
    EXPECT_EQ(live[2], 3);
    EXPECT_EQ(live[3], 4);
    // Each emission starts where the emitter is, turned along its velocity.
    part_t *first = system.NextLive(p);
    ASSERT_NE(first, nullptr);
    EXPECT_NEAR(first->start_angle, atan2f(4, 4), 1e-6);
}

TEST_F(PartsTest, EmissionByDistanceSpawnsOncePerUpdate)
{
    PartMan system(64);
    fx_t child = OneParticleBurst();
    part_t *p = system.SpawnPart({0, 0}, kDot, 100);
    p->vx = 100;
    p->emitter_fx = &child;
    p->emit_by_time = 0;
    p->emit_interval = 10;
    p->emit_countdown = 0;
    system.UpdateParts(1);  // 100 units: ten intervals, one spawn
    EXPECT_EQ(system.GetLiveCount(), 2);
    EXPECT_NEAR(p->emit_countdown, -90, 1e-4);
    system.UpdateParts(1);
    EXPECT_EQ(system.GetLiveCount(), 3);
    part_t *second = system.NextLive(system.NextLive(p));
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(second->x, 200.0f);
    // Standing still emits nothing by distance.
    p->vx = 0;
    p->emit_countdown = 1;
    system.UpdateParts(1);
    EXPECT_EQ(system.GetLiveCount(), 3);
}

TEST_F(PartsTest, ReferenceScaleAppliesToVelocityScaleAndMass)
{
    PartMan system(4);
    part_t *p = system.SpawnPart({0, 0}, kDot, 1);
    p->vx = 2;
    p->vy = 3;
    p->mass = 1;
    system.ApplyReferenceScaleToPart(p);
    EXPECT_EQ(p->vx, 2.0f);
    system.reference_scale = 2;
    system.ApplyReferenceScaleToPart(p);
    EXPECT_EQ(p->vx, 4.0f);
    EXPECT_EQ(p->vy, 6.0f);
    EXPECT_EQ(p->scale, 2.0f);
    EXPECT_EQ(p->mass, 2.0f);
}

namespace {

// 4 x 3 pixels whose alpha is given row by row; drawing size dw x dh.
struct ShapeBitmap {
    ov_bitmap_t b;
    uint8_t pixels[4 * 3 * 4];
    ShapeBitmap(const int (&alpha)[12], int dw, int dh)
    {
        memset(&b, 0, sizeof b);
        memset(pixels, 0, sizeof pixels);
        for (int i = 0; i < 12; i++)
            pixels[i * 4 + 3] = (uint8_t)alpha[i];
        b.pixels = pixels;
        b.src_width = 4;
        b.src_height = 3;
        b.width = dw;
        b.height = dh;
    }
};

}  // namespace

TEST_F(PartsTest, InnerPointsInRowMajorOrder)
{
    ShapeBitmap s({0, 0, 0, 255,  //
                   0, 0, 9, 0,    //
                   0, 255, 0, 0},
                  4, 3);
    EXPECT_EQ(GetNumberOfInnerPoints(&s.b), 3);
    part_point_t p;
    const part_point_t expected[] = {{3, 0}, {2, 1}, {1, 2}};
    for (int k = 0; k < 3; k++) {
        ASSERT_TRUE(GetInnerPoint(&s.b, k, &p));
        EXPECT_EQ(p.x, expected[k].x) << k;
        EXPECT_EQ(p.y, expected[k].y) << k;
    }
    EXPECT_FALSE(GetInnerPoint(&s.b, 3, &p));
    EXPECT_EQ(GetNumberOfInnerPoints(nullptr), 0);
    s.b.pixels = nullptr;
    EXPECT_EQ(GetNumberOfInnerPoints(&s.b), 0);
    EXPECT_FALSE(GetInnerPoint(&s.b, 0, &p));
}

TEST_F(PartsTest, EdgePointsLookAcrossRowEndsAndScaleAndCentre)
{
    // Row 1 only: column 0's left neighbour is the end of row 0 (opaque), column 3's
    // right neighbour the start of row 2; column 1 has opaque below; column 2 none.
    ShapeBitmap s({0, 0, 0, 255,  //
                   0, 0, 255, 0,  //
                   0, 255, 0, 0},
                  8, 6);
    ASSERT_EQ(GetNumberOfEdgePoints(&s.b), 3);
    part_point_t points[3];
    ASSERT_EQ(GetEdgePoints(&s.b, points), 3);
    const part_point_t scaled[] = {{0, 2}, {2, 2}, {6, 2}};
    for (int i = 0; i < 3; i++) {
        EXPECT_EQ(points[i].x, scaled[i].x) << i;
        EXPECT_EQ(points[i].y, scaled[i].y) << i;
    }
    ASSERT_EQ(GetEdgePointsCentered(&s.b, points), 3);
    const part_point_t centred[] = {{-4, -1}, {-2, -1}, {2, -1}};
    for (int i = 0; i < 3; i++) {
        EXPECT_EQ(points[i].x, centred[i].x) << i;
        EXPECT_EQ(points[i].y, centred[i].y) << i;
    }
    // Alpha at exactly 128 is not a crossing.
    ShapeBitmap flat({0, 0, 0, 128,  //
                      0, 0, 128, 0,  //
                      0, 128, 0, 0},
                     4, 3);
    EXPECT_EQ(GetNumberOfEdgePoints(&flat.b), 0);
}

// The application's record, as the entry hands it over.
extern "C" ov_prog_t *OV_GetInterface(void)
{
    return &prog;
}
