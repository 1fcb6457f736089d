// Terrain generation on the headless engine: the composed ground read back (background,
// additive and normal decals, a rotated obstacle), the obstacles and the bunker's outline
// placed, the emitters created and run ahead, a rebuild within the mission, a world
// without a terrain bitmap, and the rules the generation applies (pre-run steps, emitter
// intervals).
#include "tests/support/headless_engine.h"
#include "game/terrain.h"

#include "app/services/dataman.h"
#include "app/ui/partfx.h"
#include "app/ui/parts.h"
#include "app/ui/screen-manager.h"
#include "game/gamestate.h"
#include "game/obstacles.h"
#include "game/scape.h"
#include "game/vector-field.h"
#include "tests/app/ui/widget_fixture.h"
#include "tests/game/game_fixture.h"

#include <gtest/gtest.h>
#include <math.h>
#include <string.h>
#include <sys/stat.h>

#include <array>
#include <string>
#include <vector>

namespace {

using widgettest::Rgba;

// ---- the rules ----

TEST(TerrainRules, PresimulationSteps)
{
    struct {
        float presimulate;
        int steps;
        float step;
    } cases[] = {
        {2.0f, 4, 0.5f},     // 0.3 and 2.0: the longest counts
        {0.4f, 2, 0.3f},     // alone: steps of P - 0.1
        {0.6f, 2, 0.5f},
        {0.1f, 0, 0.0f},     // 0.1 or less: no pre-run (the step would not advance)
        {0.05f, 0, 0.0f},
        {0.0f, 0, 0.0f},
        {-3.0f, 0, 0.0f},
        {NAN, 0, 0.0f},
        {60.0f, 120, 0.5f},
        {1e9f, 120, 0.5f},   // above 60 s counts 60 s
        {INFINITY, 120, 0.5f},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.presimulate);
        float step = -1.0f;
        EXPECT_EQ(TerrainPresimulationSteps(c.presimulate, &step), c.steps);
        EXPECT_NEAR(step, c.step, 1e-6f);
    }
}

TEST(TerrainRules, EmitterIntervals)
{
    EXPECT_EQ(TerrainEmitterIntervalMs(0.5f), 500);
    EXPECT_EQ(TerrainEmitterIntervalMs(0.0005f), 1);
    EXPECT_EQ(TerrainEmitterIntervalMs(0.0f), 1);
    EXPECT_EQ(TerrainEmitterIntervalMs(-1.0f), 1);
    EXPECT_EQ(TerrainEmitterIntervalMs(NAN), 1);
    EXPECT_EQ(TerrainEmitterIntervalMs(1e12f), 86400000);
}

// ---- generation ----

const char kBlockOutline[] =
    "<?xml version=\"1.0\"?>\n<root>\n"
    " <array id=\"info\">\n  <node id=\"bitmap\" value=\"t/block.png\" />\n </array>\n"
    " <array id=\"edges\">\n"
    "  <node p0x=\"-20\" p0y=\"-5\"  p1x=\"20\" p1y=\"-5\" />\n"
    "  <node p0x=\"20\" p0y=\"-5\"  p1x=\"20\" p1y=\"5\" />\n"
    "  <node p0x=\"20\" p0y=\"5\"  p1x=\"-20\" p1y=\"5\" />\n"
    "  <node p0x=\"-20\" p0y=\"5\"  p1x=\"-20\" p1y=\"-5\" />\n"
    " </array>\n</root>\n";

// An effect of one long-lived particle per burst.
const char kOneParticle[] =
    "FXParm (\"num_parts\", 1);\nFXParm (\"bitmap\", \"t/dot.png\");\nFXParm (\"age_to_die\", 30, 30);\n";

class TerrainTest : public gametest::GameTest {
protected:
    void SetUp() override
    {
        GameTest::SetUp();
        StartGame(320, 240);
        if (HasFatalFailure())
            return;
        pbman.Init();
        // A dark blue ground of 128 x 96, an additive red and a plain green square, a
        // white block, a dot.
        widgettest::WritePng("t/bg.png", 128, 96, [](int, int) { return Rgba{0, 0, 100, 255}; });
        widgettest::WritePng("t/red.png", 8, 8, [](int, int) { return Rgba{120, 0, 0, 255}; });
        widgettest::WritePng("t/green.png", 8, 8, [](int, int) { return Rgba{0, 200, 0, 255}; });
        widgettest::WritePng("t/block.png", 40, 10, [](int, int) { return Rgba{255, 255, 255, 255}; });
        widgettest::WritePng("t/pad.png", 16, 16, [](int, int) { return Rgba{200, 200, 0, 255}; });
        widgettest::WritePng("t/dot.png", 2, 2, [](int, int) { return Rgba{255, 255, 255, 255}; });
        apptest::WriteFile("terrain/obstacles/block.xml", kBlockOutline);
        apptest::WriteFile("terrain/obstacles/bunker.xml", kBlockOutline);
        apptest::WriteFile("fxs/one.lua", kOneParticle);
        MakeWorld();
    }
    void TearDown() override
    {
        FreeWorld();
        pbman.Shutdown();
        GameTest::TearDown();
    }
    // The level database "level.xml" from array texts.
    void Level(const std::string &arrays)
    {
        apptest::WriteFile("level.xml", "<?xml version=\"1.0\"?>\n<root>\n" + arrays + "</root>\n");
        dman().ReleaseDatabase("level.xml");
        game.level_db = dman().GetDatabase("level.xml");
    }
    // Draws the terrain bitmap over the whole screen in a frame and reads it back.
    widgettest::Frame ShowTerrain(bool outlines = false)
    {
        apptest::draw = [this, outlines](float) {
            ov->OV_ClearScreen(0, 0, 0);
            ov->OV_SetBlend(0);
            ov->OV_SetAlpha(1);
            ov->OV_SetColor(1, 1, 1);
            ov->OV_DrawBitmap(world->terrain, 0, 0);
            if (outlines) {
                for (int i = 0; i < world->placed_obstacles.Count(); i++)
                    world->placed_obstacles[i]->DrawDebug();
            }
        };
        DrawFrame();
        return widgettest::ReadFrame();
    }
    static const char *Standard()
    {
        return " <array id=\"environment\">\n"
               "  <node id=\"background\" value=\"t/bg.png\" />\n"
               "  <node id=\"bunker_background\" value=\"t/pad.png\" />\n"
               "  <node id=\"bunker\" x=\"100\" y=\"70\" type=\"bunker\" />\n"
               " </array>\n"
               " <array id=\"environment_decals\">\n"
               "  <node bitmap=\"t/red.png\" x=\"20\" y=\"20\" blend_mode=\"ADDITIVE\" />\n"
               "  <node bitmap=\"t/green.png\" x=\"40\" y=\"20\" />\n"
               "  <node bitmap=\"t/red.png\" x=\"20\" y=\"35\" flags=\"GLOW, ADDITIVE\" />\n"
               "  <node bitmap=\"t/red.png\" x=\"40\" y=\"35\" flags=\"ADDITIVES\" />\n"
               "  <node bitmap=\"t/red.png\" x=\"60\" y=\"60\" blend_mode=\"ADDITIVE\" />\n"
               " </array>\n"
               " <array id=\"obstacles\">\n"
               "  <node obstacle=\"terrain/obstacles/block.xml\" x=\"150\" y=\"100\" angle=\"90\" />\n"
               "  <node obstacle=\"terrain/obstacles/missing.xml\" x=\"100\" y=\"100\" />\n"
               " </array>\n";
    }
};

bool Near(const Rgba &a, const Rgba &b, int tolerance = 6)
{
    for (int k = 0; k < 3; k++) {
        if (abs(a[k] - b[k]) > tolerance)
            return false;
    }
    return true;
}

TEST_F(TerrainTest, ComposesBackgroundDecalsAndObstacles)
{
    Level(Standard());
    world->GenerateTerrain();
    EXPECT_TRUE(apptest::Logged("Generating terrain.."));
    EXPECT_TRUE(apptest::Logged("Vector field generation took"));
    ASSERT_NE(world->terrain, nullptr);
    widgettest::Frame f = ShowTerrain();
    ASSERT_GT(f.w, 0);
    struct {
        const char *what;
        int x, y;
        Rgba colour;
    } cases[] = {
        {"background", 5, 5, {0, 0, 100, 255}},
        {"additive decal over the ground", 20, 20, {120, 0, 100, 255}},
        {"normal decal", 40, 20, {0, 200, 0, 255}},
        {"ADDITIVE token after a comma", 20, 35, {120, 0, 100, 255}},
        {"ADDITIVES is not additive", 40, 35, {120, 0, 0, 255}},
        {"last decal additive", 60, 60, {120, 0, 100, 255}},
        {"outside the background", 200, 60, {0, 0, 0, 255}},
        {"rotated block, along its length (now vertical)", 150, 116, {255, 255, 255, 255}},
        {"rotated block, beside it", 162, 100, {0, 0, 0, 255}},
        {"bunker pad over the ground, blended normally", 100, 70, {200, 200, 0, 255}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        Rgba p = f.At(c.x, c.y);
        EXPECT_TRUE(Near(p, c.colour)) << p[0] << "," << p[1] << "," << p[2];
    }
    // The level's block and the bunker's outline (not drawn) collide; the missing
    // outline gave a type without edges, placed but never colliding.
    EXPECT_EQ(world->placed_obstacles.Count(), 3);
    EXPECT_TRUE(world->IsPointInsideObstacle({150, 116}, 1.0f, nullptr));
    EXPECT_FALSE(world->IsPointInsideObstacle({162, 100}, 1.0f, nullptr));
    EXPECT_TRUE(world->IsPointInsideObstacle({100, 70}, 1.0f, nullptr));
    EXPECT_FALSE(world->IsPointInsideObstacle({100, 100}, 1.0f, nullptr));
    // The field: the border push and the block's edges.
    EXPECT_FLOAT_EQ(world->vector_field->GetCell(100, 0).y, 1024.0f);
    EXPECT_LT(world->vector_field->GetCell(35, 25).x, -50.0f);  // left face of the block
    EXPECT_TRUE(widgettest::SavePng(f, enginetest::ShotPath("terrain", "terrain-composed.png")));
}

TEST_F(TerrainTest, RebuildOnlyRedrawsTheBitmap)
{
    Level(Standard() + std::string(" <array id=\"environment_emitters\">\n"
                                   "  <node id=\"smoke\" fx=\"fxs/one.lua\" x=\"10\" y=\"10\" />\n"
                                   " </array>\n"));
    world->GenerateTerrain();
    int placed = world->placed_obstacles.Count();
    // A fixed entity's obstacle placed after the terrain: the field keeps it.
    ObstacleType *block = ObstacleType::GetObstacleType("terrain/obstacles/block.xml");
    world->AddObstacle(block, {60, 150}, 0.0f, 1.0f);
    std::vector<vec2_t> field(world->vector_field->cells,
                              world->vector_field->cells + world->vector_field->width * world->vector_field->height);
    world->emitters[0].active = 0;  // switched off by a wave
    int types = ObstacleType::GetNumTypes();

    world->GenerateTerrain();
    EXPECT_EQ(apptest::CountLogged("Generating terrain.."), 2);
    EXPECT_EQ(world->placed_obstacles.Count(), placed + 1);
    EXPECT_EQ(ObstacleType::GetNumTypes(), types);
    EXPECT_EQ(memcmp(field.data(), world->vector_field->cells, field.size() * sizeof(vec2_t)), 0);
    ASSERT_EQ(world->num_emitters, 1);
    EXPECT_EQ(world->emitters[0].active, 0);
    // The bitmap is drawn again with the level's obstacles.
    widgettest::Frame f = ShowTerrain();
    EXPECT_TRUE(Near(f.At(150, 116), {255, 255, 255, 255}));
    EXPECT_TRUE(Near(f.At(20, 20), {120, 0, 100, 255}));

    // A new mission (Reset) generates everything again.
    world->Reset();
    world->GenerateTerrain();
    EXPECT_EQ(world->placed_obstacles.Count(), placed);
    EXPECT_EQ(world->emitters[0].active, 1);
}

TEST_F(TerrainTest, EmittersAreCreatedAndRunAhead)
{
    Level(" <array id=\"environment_emitters\">\n"
          "  <node id=\"a\" fx=\"fxs/one.lua\" x=\"10\" y=\"20\" presimulate=\"0.3\" angle=\"90\" interval=\"0.5\" />\n"
          "  <node id=\"b\" fx=\"fxs/one.lua\" x=\"30\" y=\"40\" presimulate=\"2.0\" angle=\"180\" layer=\"FORE\" />\n"
          "  <node id=\"c\" fx=\"fxs/one.lua\" flags=\"LOUD DISABLED\" />\n"
          " </array>\n");
    world->GenerateTerrain();
    ASSERT_EQ(world->num_emitters, 3);
    const ScapeEmitter &a = world->emitters[0], &b = world->emitters[1], &c = world->emitters[2];
    EXPECT_STREQ(a.id, "a");
    EXPECT_EQ(a.active, 1);
    EXPECT_EQ(a.mode, 0);
    EXPECT_EQ(a.layer, world->ground_parts);
    EXPECT_EQ(b.layer, world->top_parts);
    EXPECT_NEAR(a.angle, (float)M_PI / 2, 1e-6f);
    EXPECT_FLOAT_EQ(a.interval, 0.5f);
    EXPECT_FLOAT_EQ(c.interval, 0.5f);  // default
    EXPECT_EQ(c.active, 0);
    EXPECT_EQ(c.pos.x, 0.0f);
    EXPECT_NE(a.fx, nullptr);
    // The smoke angle is the last emitter's.
    EXPECT_FLOAT_EQ(world->ground_angle, 0.0f);
    // 2.0 s in steps of 0.5 s: each active emitter's 500 ms interval is crossed in each
    // of the four steps, one particle per burst.
    EXPECT_EQ(world->ground_parts->GetLiveCount(), 4);
    EXPECT_EQ(world->top_parts->GetLiveCount(), 4);
}

TEST_F(TerrainTest, LevelWithoutEmittersRunsNothingAhead)
{
    Level(Standard());
    world->GenerateTerrain();
    EXPECT_EQ(world->num_emitters, 0);
    EXPECT_EQ(world->ground_parts->GetLiveCount(), 0);
    EXPECT_EQ(world->top_parts->GetLiveCount(), 0);
}

TEST_F(TerrainTest, WithoutALevelEverythingTakesItsDefault)
{
    game.level_db = nullptr;
    world->GenerateTerrain();
    EXPECT_TRUE(apptest::Logged("Generating terrain.."));
    EXPECT_EQ(world->num_emitters, 0);
    // No bunker, so no bunker outline either; only the border push.
    EXPECT_EQ(world->placed_obstacles.Count(), 0);
    EXPECT_FLOAT_EQ(world->vector_field->GetCell(100, 0).y, 1024.0f);
}

// A placed obstacle's picture at its screen point, scaled by the reference scales per
// axis, turned by its angle and sized by its scale.
TEST_F(TerrainTest, ObstacleDrawsAtItsScreenPointWithTheReferenceScales)
{
    ObstacleType *block = ObstacleType::GetObstacleType("terrain/obstacles/block.xml");
    ASSERT_NE(block->bitmap, nullptr);
    Obstacle *o = world->AddObstacle(block, {60, 50}, 0.0f, 1.0f);
    float saved_x = sman.reference_scale_x, saved_y = sman.reference_scale_y;
    sman.reference_scale_x = 2.0f;
    sman.reference_scale_y = 1.5f;
    world->camera = {10, 0};
    apptest::draw = [o](float) {
        ov->OV_ClearScreen(0, 0, 0);
        ov->OV_SetBlend(1);  // Draw sets its own blending, alpha and colour
        ov->OV_SetAlpha(0.3f);
        ov->OV_SetColor(1, 0, 0);
        o->Draw();
    };
    DrawFrame();
    widgettest::Frame f = widgettest::ReadFrame();
    sman.reference_scale_x = saved_x;
    sman.reference_scale_y = saved_y;
    world->camera = {0, 0};
    // Screen point (50, 50) times (2, 1.5) = (100, 75); the 40 x 10 block spans 80 x 15.
    std::array<int, 4> box = widgettest::LitBox(f, 0, 0, f.w - 1, f.h - 1, [](const Rgba &p) { return p[0] > 200; });
    EXPECT_NEAR(box[0], 60, 1);
    EXPECT_NEAR(box[2], 139, 1);
    EXPECT_NEAR(box[1], 68, 1);
    EXPECT_NEAR(box[3], 82, 1);
    EXPECT_TRUE(Near(f.At(100, 75), {255, 255, 255, 255}));
}

// Stand-ins for two engine slots: no terrain bitmap can be made, and draws are counted.
int s_draws = 0;
ov_bitmap_t *NoBitmap(const char *, int, int, int)
{
    return nullptr;
}
void CountDraw(ov_bitmap_t *, float, float, float, float)
{
    s_draws++;
}

TEST_F(TerrainTest, WithoutATerrainBitmapNothingIsDrawn)
{
    Level(Standard());
    if (world->terrain)
        ov->OV_ReleaseBitmap(world->terrain);
    world->terrain = nullptr;
    ov->OV_CreateBitmap = NoBitmap;
    ov->OV_DrawBitmapRS = CountDraw;
    s_draws = 0;
    world->GenerateTerrain();
    EXPECT_EQ(s_draws, 0);
    EXPECT_EQ(world->terrain, nullptr);
    // The obstacles are still placed.
    EXPECT_EQ(world->placed_obstacles.Count(), 3);
    EXPECT_TRUE(world->IsPointInsideObstacle({150, 116}, 1.0f, nullptr));
}

}  // namespace
