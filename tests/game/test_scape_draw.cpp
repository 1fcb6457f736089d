// Drawing the world, read back from the headless GLES renderer: the terrain and baked
// decals, entities in grid order, the players' pick-ups on top, flames, the strike
// markers with their countdown texts and shells, the artillery prompt, the developer
// vector field, the camera reset and the transform stack left as the caller expects.
#include "tests/support/headless_engine.h"
#include "tests/game/test_scape_update_fixture.h"

#include "app/services/prog.h"
#include "app/ui/screen-manager.h"
#include "core/ov_state.h"
#include "game/entities/stock.h"
#include "game/gamestate.h"
#include "game/obstacles.h"
#include "game/vector-field.h"
#include "platform/headless.h"
#include "tests/app/ui/widget_fixture.h"

#include <stdarg.h>
#include <stdio.h>
#include <sys/stat.h>
#include <string>

using namespace worldtest;
namespace hl = ovdev::headless;
using widgettest::Frame;
using widgettest::ReadFrame;
using widgettest::Rgba;

namespace {

struct TextCall {
    std::string text;
    float x, y;
};
std::vector<TextCall> texts;
float (*real_draw_text)(ov_font_t *, float, float, const char *, ...) = nullptr;

float RecordText(ov_font_t *font, float x, float y, const char *fmt, ...)
{
    char buf[512];
    va_list ap;
    va_start(ap, fmt);
    vsnprintf(buf, sizeof buf, fmt, ap);
    va_end(ap);
    texts.push_back({buf, x, y});
    return real_draw_text(font, x, y, "%s", buf);
}

int bitmap_draws = 0;
void (*real_draw_bitmap_rs)(ov_bitmap_t *, float, float, float, float) = nullptr;
void CountBitmapDraw(ov_bitmap_t *b, float x, float y, float angle, float scale)
{
    ++bitmap_draws;
    real_draw_bitmap_rs(b, x, y, angle, scale);
}

bool Near(const Rgba &c, int r, int g, int b, int tolerance = 12)
{
    return abs(c[0] - r) <= tolerance && abs(c[1] - g) <= tolerance && abs(c[2] - b) <= tolerance;
}

// A one-pixel line may fall on either side of its exact coordinate.
bool NearAround(const Frame &f, int x, int y, int r, int g, int b)
{
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx)
            if (Near(f.At(x + dx, y + dy), r, g, b))
                return true;
    return false;
}

int CountNear(const Frame &f, int x0, int y0, int x1, int y1, int r, int g, int b)
{
    int n = 0;
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x)
            n += Near(f.At(x, y), r, g, b) ? 1 : 0;
    return n;
}


class ScapeDrawTest : public WorldTest {
protected:
    void BeforeWorld() override
    {
        widgettest::InstallFonts();
        widgettest::WritePng("ui/gfx/red_target.png", 16, 16, [](int, int) { return Rgba{255, 0, 0, 255}; });
        widgettest::WritePng("fxs/45degshell.png", 8, 8, [](int, int) { return Rgba{0, 0, 255, 255}; });
        widgettest::WritePng("decal-red.png", 10, 10, [](int, int) { return Rgba{255, 0, 0, 255}; });
        widgettest::WritePng("decal-green.png", 10, 10, [](int, int) { return Rgba{0, 255, 0, 255}; });
    }
    void SetUp() override
    {
        WorldTest::SetUp();
        texts.clear();
        real_draw_text = ov->OV_DrawTextf;
        ov->OV_DrawTextf = RecordText;
        ClearTerrain(0.2f, 0.2f, 0.2f);
        apptest::draw = [this](float dt) {
            ov->OV_ClearScreen(0.0f, 0.0f, 0.0f);
            ov->OV_PushTransform(nullptr);  // the battle screen's shake
            world->Draw(dt);
            ov->OV_PopTransform();
        };
    }
    void TearDown() override
    {
        for (int i = 0; i < game.strikes.Count(); ++i)
            delete game.strikes[i];
        game.strikes.Clear();
        game.parms.game_mode = 0;
        game.lost = 0;
        game.num_waypoints = 0;
        game.tutorial_shown = 0;
        for (GameStrikeMarker &m : game.strike_markers)
            m = GameStrikeMarker();
        apptest::draw = nullptr;
        WorldTest::TearDown();
    }
    void ClearTerrain(float r, float g, float b)
    {
        ASSERT_NE(world->terrain, nullptr);
        ov->OV_SetRenderTarget(world->terrain);
        ov->OV_ClearScreen(r, g, b);
        ov->OV_SetRenderTarget(nullptr);
    }
    void Shot(const char *name)
    {
        Frame f = ReadFrame();
        for (size_t i = 3; i < f.px.size(); i += 4)
            f.px[i] = 255;  // the screen as shown: blending leaves its own alpha behind
        EXPECT_TRUE(widgettest::SavePng(f, enginetest::ShotPath("world", name)));
    }
    bool Drew(const std::string &text) const
    {
        for (const TextCall &t : texts)
            if (t.text == text)
                return true;
        return false;
    }
};

}  // namespace

TEST_F(ScapeDrawTest, EntitiesOverlapInGridOrder)
{
    ProbeType red("Red"), green("Green"), blue("Blue");
    red.fill = {1, 0, 0, 1};
    green.fill = {0, 1, 0, 1};
    blue.fill = {0, 0, 1, 1};
    // Row 0 then row 1: the lower row is drawn later, over the upper one.
    Place(&red, V(100, 120));
    Place(&green, V(110, 135));
    // One cell: the ring from its head, so the later arrival is drawn over the first.
    Place(&blue, V(300, 60));
    Place(&red, V(305, 65));
    // Row 1 before row 2 even where the row-2 entity stands higher in its cell.
    Place(&blue, V(500, 250));
    Place(&green, V(505, 258));
    DrawFrame();
    Frame f = ReadFrame();
    EXPECT_TRUE(Near(f.At(95, 115), 255, 0, 0));    // red alone
    EXPECT_TRUE(Near(f.At(105, 128), 0, 255, 0));   // overlap: green (row 1) over red
    EXPECT_TRUE(Near(f.At(302, 62), 255, 0, 0));    // overlap: ring tail over head
    EXPECT_TRUE(Near(f.At(292, 52), 0, 0, 255));
    EXPECT_TRUE(Near(f.At(502, 255), 0, 255, 0));   // overlap: row 2 over row 1
    EXPECT_TRUE(Near(f.At(600, 500), 51, 51, 51));  // the terrain
    Shot("grid-order.png");
}

TEST_F(ScapeDrawTest, PlayersPickupsAreDrawnAgainInTheTopPass)
{
    ProbeType pickup("Pickup"), plain("Plain");
    pickup.flags = Entity::POWERUP;
    Entity *mine = Place(&pickup, V(100, 100), Entity::PLAYERS);
    Entity *theirs = Place(&pickup, V(200, 100), Entity::ENEMIES);
    Place(&plain, V(300, 100), Entity::PLAYERS);
    DrawFrame();
    ASSERT_EQ(pickup.drawn.size(), 3u);
    EXPECT_EQ(pickup.drawn[0], mine);
    EXPECT_EQ(pickup.drawn[1], theirs);
    EXPECT_EQ(pickup.drawn[2], mine);
    EXPECT_EQ(pickup.drawn_in_top_pass, (std::vector<int>{0, 0, 1}));
    EXPECT_EQ(plain.drawn.size(), 1u);
}

TEST_F(ScapeDrawTest, TransformStackIsBalancedAfterTheCallersPop)
{
    int before = -2, inside = -2, after = -2;
    apptest::draw = [&](float dt) {
        before = ov_state.transform_top;
        ov->OV_PushTransform(nullptr);
        world->Draw(dt);
        inside = ov_state.transform_top;
        ov->OV_PopTransform();
        after = ov_state.transform_top;
    };
    DrawFrame();
    EXPECT_EQ(inside, before + 1);
    EXPECT_EQ(after, before);
    EXPECT_FALSE(apptest::Logged("Transform stack is not empty"));
}

TEST_F(ScapeDrawTest, ArtilleryAimSpinsTheTargetWithItsCountdown)
{
    game.artillery_timer = 0.7f;
    game.artillery_x = 200.0f;
    game.artillery_y = 300.0f;
    DrawFrame();
    Frame f = ReadFrame();
    // The 16 x 16 target, turned, under its white countdown text.
    EXPECT_GE(CountNear(f, 185, 285, 215, 315, 255, 0, 0), 80);
    EXPECT_EQ(CountNear(f, 0, 0, 180, 280, 255, 0, 0), 0);
    ASSERT_TRUE(Drew("2.3"));
    EXPECT_FLOAT_EQ(texts[0].x, 200.0f);
    EXPECT_FLOAT_EQ(texts[0].y, 300.0f);
    Shot("artillery-marker.png");

    texts.clear();
    game.artillery_timer = 0.0f;
    DrawFrame();
    EXPECT_TRUE(texts.empty());
    EXPECT_TRUE(Near(ReadFrame().At(200, 300), 51, 51, 51));
}

TEST_F(ScapeDrawTest, IncomingMarkersAndFallingShells)
{
    game.parms.game_mode = GAME_MODE_INCOMING;
    game.strike_markers[0] = {1, 1.5f, 400.0f, 200.0f};
    game.strike_markers[1] = {0, 2.0f, 500.0f, 200.0f};  // inactive
    game.strike_markers[2] = {1, 0.0f, 600.0f, 200.0f};  // run out
    game.strike_markers[8] = {1, 1.0f, 700.0f, 200.0f};  // past the eight shown
    GameStrike *landing = new GameStrike{300.0f, 450.0f, 0.0f, 0.0f, 50.0f, 100.0f};
    GameStrike *falling = new GameStrike{600.0f, 500.0f, 0.1f, 0.0f, 50.0f, 100.0f};
    GameStrike *pending = new GameStrike{100.0f, 500.0f, 0.5f, 0.0f, 50.0f, 100.0f};
    game.strikes.InsertLast(landing);
    game.strikes.InsertLast(falling);
    game.strikes.InsertLast(pending);
    DrawFrame();
    Frame f = ReadFrame();
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0].text, "1.5");
    EXPECT_FLOAT_EQ(texts[0].x, 400.0f);
    EXPECT_TRUE(Near(f.At(300, 450), 0, 0, 255));  // the landing shell at its point
    // o = 0.1 x 921.6 / -0.2 = -460.8: the falling shell up and left of its point
    EXPECT_TRUE(Near(f.At(139, 39), 0, 0, 255));
    EXPECT_TRUE(Near(f.At(100, 500), 51, 51, 51));  // 0.5 s away: no shell yet
    Shot("incoming-markers.png");

    texts.clear();
    game.lost = 1;
    DrawFrame();
    EXPECT_TRUE(texts.empty());
}

TEST_F(ScapeDrawTest, ArtilleryPromptBandUnlessATutorialShows)
{
    game.artillery_aiming = 1;
    DrawFrame();
    EXPECT_TRUE(Drew("Tap Target for Artillery Strike"));
    Frame f = ReadFrame();
    EXPECT_TRUE(Near(f.At(20, 600 - 185), 13, 13, 13, 4));  // grey under 0.75 black
    EXPECT_TRUE(Near(f.At(20, 600 - 200), 51, 51, 51));
    Shot("artillery-prompt.png");

    texts.clear();
    game.tutorial_shown = 1;
    DrawFrame();
    EXPECT_TRUE(texts.empty());
    EXPECT_TRUE(Near(ReadFrame().At(20, 600 - 185), 51, 51, 51));
}

TEST_F(ScapeDrawTest, DeveloperKey86DrawsTheVectorField)
{
    VectorField *field = world->vector_field;
    ASSERT_NE(field, nullptr);
    field->cells[25 * field->width + 25] = V(2.0f, 0.0f);    // the largest: a 16-unit line
    field->cells[40 * field->width + 60] = V(0.0f, -1.0f);   // half as long, upward
    game.num_waypoints = 1;
    game.waypoints[0] = {1, 0, 600.0f, 400.0f};
    prog.parms.developer_mode = 1;

    DrawFrame();
    EXPECT_FALSE(NearAround(ReadFrame(), 112, 102, 255, 255, 255));  // nothing without the key

    ASSERT_TRUE(hl::inject_key('V', true));  // held from here
    PumpFrame();
    Frame f = ReadFrame();
    EXPECT_TRUE(NearAround(f, 112, 102, 255, 255, 255));  // along (1, 0) from the centre (102, 102)
    EXPECT_FALSE(NearAround(f, 124, 102, 255, 255, 255));  // 16 units long
    EXPECT_TRUE(NearAround(f, 242, 158, 255, 255, 255));  // up from (242, 162), 8 units
    EXPECT_TRUE(Near(f.At(242, 148), 51, 51, 51));        // past its end, between two squares
    EXPECT_TRUE(Near(f.At(6, 6), 128, 128, 128, 20));     // the grey square of cell (1, 1)
    EXPECT_TRUE(Near(f.At(8, 8), 51, 51, 51));            // the ground between squares
    EXPECT_TRUE(Near(f.At(603, 397), 255, 255, 255));     // the waypoint's 9 x 9 square
    Shot("vector-field.png");
    DrawFrame();
    EXPECT_TRUE(NearAround(ReadFrame(), 112, 102, 255, 255, 255)) << "every frame it is held";

    prog.parms.developer_mode = 0;
    DrawFrame();
    EXPECT_FALSE(NearAround(ReadFrame(), 112, 102, 255, 255, 255));
    prog.parms.developer_mode = 1;
    ASSERT_TRUE(hl::inject_key('V', false));
    PumpFrame();
    EXPECT_FALSE(NearAround(ReadFrame(), 112, 102, 255, 255, 255)) << "released";
    prog.parms.developer_mode = 0;
}

TEST_F(ScapeDrawTest, DecalsAreBakedIntoTheTerrainAndDroppedWithoutIt)
{
    ov_bitmap_t *red = ov->OV_GetBitmap("decal-red.png");
    ov_bitmap_t *green = ov->OV_GetBitmap("decal-green.png");
    color_t white = {1, 1, 1, 1};
    ASSERT_NE(world->AddDecal(red, V(300, 200), 0.0f, 2.0f, white, 0), nullptr);
    ASSERT_NE(world->AddDecal(green, V(305, 200), 0.0f, 2.0f, white, 1), nullptr);  // additive
    world->Update(0.016f);
    EXPECT_EQ(world->num_decals, 0);
    DrawFrame();
    Frame f = ReadFrame();
    EXPECT_TRUE(Near(f.At(292, 200), 255, 0, 0));
    EXPECT_TRUE(Near(f.At(302, 200), 255, 255, 0));  // green added onto red
    EXPECT_TRUE(Near(f.At(312, 200), 51, 255, 51));  // green added onto the ground
    EXPECT_TRUE(Near(f.At(302, 400), 51, 51, 51));   // not upside down
    Shot("decals.png");

    // Without a terrain bitmap the queue is dropped, never drawn to the screen.
    ov_bitmap_t *terrain = world->terrain;
    world->terrain = nullptr;
    bitmap_draws = 0;
    real_draw_bitmap_rs = ov->OV_DrawBitmapRS;
    ov->OV_DrawBitmapRS = CountBitmapDraw;
    ASSERT_NE(world->AddDecal(red, V(100, 100), 0.0f, 1.0f, white, 0), nullptr);
    world->Update(0.016f);
    EXPECT_EQ(world->num_decals, 0);
    EXPECT_EQ(bitmap_draws, 0);
    ov->OV_DrawBitmapRS = real_draw_bitmap_rs;
    world->terrain = terrain;
}

TEST_F(ScapeDrawTest, BurningEntitiesShedFlamesOnTheTopLayer)
{
    ProbeType plain("Plain");
    world->stock->fx_in_flames = Dot();
    Entity *e = Place(&plain, V(250, 250));
    e->burn_time = 1.0f;
    // The screen clock as the frame's update left it: across a multiple of 50 ms first.
    int64_t clock_from = 40, clock_to = 50;
    apptest::draw = [&](float dt) {
        sman.prev_time_ms = clock_from;
        sman.time_ms = clock_to;
        ov->OV_PushTransform(nullptr);
        world->Draw(dt);
        ov->OV_PopTransform();
    };
    DrawFrame();
    std::vector<part_t *> parts = Particles(world->top_parts);
    ASSERT_EQ(parts.size(), 1u);
    EXPECT_FLOAT_EQ(parts[0]->x, 250.0f);
    EXPECT_FLOAT_EQ(parts[0]->y, 250.0f);
    clock_from = 51;
    clock_to = 60;
    DrawFrame();
    EXPECT_EQ(Particles(world->top_parts).size(), 1u);
    world->stock->fx_in_flames = nullptr;
}

TEST_F(ScapeDrawTest, CameraIsResetUnlessTheSettingsKeepIt)
{
    for (int keep : {0, 1}) {
        SCOPED_TRACE(keep);
        world->config.keep_camera = (uint8_t)keep;
        world->camera = V(30, 40);
        world->zoom = 2.0f;
        DrawFrame();
        EXPECT_FLOAT_EQ(world->camera.x, keep ? 30.0f : 0.0f);
        EXPECT_FLOAT_EQ(world->zoom, keep ? 2.0f : 1.0f);
        EXPECT_FLOAT_EQ(world->ground_parts->cam_x, 30.0f);
        EXPECT_FLOAT_EQ(world->top_parts->scale, 2.0f);
    }
}

TEST_F(ScapeDrawTest, DeveloperKey82OutlinesTheObstaclesOfEachCell)
{
    apptest::WriteFile("probe-box.xml",
                       gametest::XmlArray("info", "<node id=\"bitmap\" value=\"\"/>") +
                           gametest::XmlArray("edges",
                                              "<node p0x=\"-20\" p0y=\"-20\" p1x=\"20\" p1y=\"-20\"/>\n"
                                              "<node p0x=\"20\" p0y=\"-20\" p1x=\"20\" p1y=\"20\"/>\n"
                                              "<node p0x=\"20\" p0y=\"20\" p1x=\"-20\" p1y=\"20\"/>\n"
                                              "<node p0x=\"-20\" p0y=\"20\" p1x=\"-20\" p1y=\"-20\"/>"));
    ObstacleType *box = ObstacleType::GetObstacleType("probe-box.xml");
    ASSERT_NE(box, nullptr);
    ASSERT_EQ(box->num_edges, 4);
    ASSERT_NE(world->AddObstacle(box, V(400, 300), 0.0f, 1.0f), nullptr);
    prog.parms.developer_mode = 1;

    DrawFrame();
    EXPECT_FALSE(NearAround(ReadFrame(), 380, 290, 255, 255, 255));

    ASSERT_TRUE(hl::inject_key('R', true));  // held from here
    PumpFrame();
    Frame f = ReadFrame();
    EXPECT_TRUE(NearAround(f, 380, 290, 255, 255, 255));  // the left edge
    EXPECT_TRUE(NearAround(f, 410, 320, 255, 255, 255));  // the bottom edge
    EXPECT_TRUE(Near(f.At(400, 300), 51, 51, 51));         // inside: only the ground
    Shot("obstacle-outline.png");
    DrawFrame();
    EXPECT_TRUE(NearAround(ReadFrame(), 380, 290, 255, 255, 255)) << "every frame it is held";
    ASSERT_TRUE(hl::inject_key('R', false));
    PumpFrame();
    EXPECT_FALSE(NearAround(ReadFrame(), 380, 290, 255, 255, 255)) << "released";
    prog.parms.developer_mode = 0;
}
