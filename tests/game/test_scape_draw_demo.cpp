// A headless run of the demo level: the shipped terrain, obstacles and emitters from
// the build's program directory, a few fixture troopers and enemies living through
// some frames of the world's update and drawing, one trooper selected by the controls,
// and the developer's vector field over it all (key 86). The frames are saved to be
// looked at and checked for each part.
#include "tests/support/headless_engine.h"
#include "app/services/dataman.h"
#include "app/services/prog.h"
#include "game/controls.h"
#include "game/entities/entity.h"
#include "game/entities/stock.h"
#include "game/gamestate.h"
#include "game/scape.h"
#include "platform/headless.h"
#include "tests/app/ui/widget_fixture.h"
#include "tests/game/game_fixture.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#ifndef ORVEX_CONTENT_DIR
#error "ORVEX_CONTENT_DIR: the build's program directory"
#endif

using widgettest::Frame;
using widgettest::Rgba;

namespace {


const char *kTypes =
    "<node id=\"DemoTrooper\" flags=\"NORMAL MOVABLE\" friend_group=\"PLAYERS\" hit_points=\"100\" scale=\"1\""
    " radius=\"10\" weapon=\"DemoRifle\" bm_move=\"demo/trooper.png\"/>\n"
    "<node id=\"DemoGrunt\" flags=\"NORMAL MOVABLE\" friend_group=\"ENEMIES\" hit_points=\"60\" scale=\"1\""
    " radius=\"12\" bm_move=\"demo/grunt.png\"/>\n";
const char *kWeapons = "<node id=\"DemoRifle\" reload_time=\"2\" projectile_range=\"70\"/>\n";

// A filled disc of the colour on a transparent square of side n.
void WriteDisc(const std::string &name, int n, Rgba colour)
{
    widgettest::WritePng(name, n, n, [n, colour](int x, int y) {
        float dx = (float)x + 0.5f - (float)n / 2.0f, dy = (float)y + 0.5f - (float)n / 2.0f;
        return dx * dx + dy * dy <= (float)(n * n) / 4.0f ? colour : Rgba{0, 0, 0, 0};
    });
}

class DemoLevelTest : public gametest::GameTest {
protected:
    void SetUp() override
    {
        GameTest::SetUp();
        StartGame(1024, 768);
        if (HasFatalFailure())
            return;
        std::string cmd = std::string("cp -r '") + ORVEX_CONTENT_DIR + "/terrain' '" + ORVEX_CONTENT_DIR +
                          "/fxs' '" + ORVEX_CONTENT_DIR + "/missions' app/native/";
        ASSERT_EQ(system(cmd.c_str()), 0);
        widgettest::InstallFonts();
        WriteDisc("demo/trooper.png", 18, Rgba{60, 210, 255, 255});
        WriteDisc("demo/grunt.png", 22, Rgba{230, 40, 200, 255});
        // The selection ring: a bright ring on a transparent square.
        widgettest::WritePng("game-ui/entity-selector.png", 40, 40, [](int x, int y) {
            float dx = (float)x - 19.5f, dy = (float)y - 19.5f, d2 = dx * dx + dy * dy;
            return d2 <= 19.5f * 19.5f && d2 >= 16.0f * 16.0f ? Rgba{255, 255, 0, 255} : Rgba{0, 0, 0, 0};
        });
        widgettest::WritePng("game-ui/range_indicator.png", 4, 4, [](int, int) { return Rgba{255, 255, 255, 255}; });
        WriteEntities(kTypes);
        WriteWeapons(kWeapons);
        MakeWorld();
        controls.Init(CONTROLS_TOUCH_COMMANDS);
    }
    void TearDown() override
    {
        controls.Reset();
        apptest::draw = nullptr;
        prog.parms.developer_mode = 0;
        GameTest::TearDown();
    }
    // One battle frame: the world's update, then its drawing inside the shake transform.
    Frame RunFrames(int frames)
    {
        apptest::draw = [this](float) {
            world->Update(1.0f / 30.0f);
            ov->OV_ClearScreen(0, 0, 0);
            ov->OV_PushTransform(nullptr);
            world->Draw(1.0f / 30.0f);
            ov->OV_PopTransform();
        };
        for (int i = 0; i < frames; ++i)
            PumpFrame();  // keys pressed on the device reach the frame
        Frame f = widgettest::ReadFrame();
        for (size_t i = 3; i < f.px.size(); i += 4)
            f.px[i] = 255;  // the screen as shown
        return f;
    }
    void Save(const Frame &f, const char *name)
    {
        EXPECT_TRUE(widgettest::SavePng(f, enginetest::ShotPath("world", name)));
    }
    static int Count(const Frame &f, int x0, int y0, int x1, int y1, Rgba c, int tolerance = 30)
    {
        int n = 0;
        for (int y = y0; y <= y1; ++y)
            for (int x = x0; x <= x1; ++x) {
                Rgba p = f.At(x, y);
                n += abs(p[0] - c[0]) <= tolerance && abs(p[1] - c[1]) <= tolerance && abs(p[2] - c[2]) <= tolerance;
            }
        return n;
    }
};

}  // namespace

TEST_F(DemoLevelTest, RunWithEntitiesSelectionAndVectorField)
{
    game.level_db = dman().GetDatabase("missions/demo.xml");
    ASSERT_GT(game.level_db->GetNumberOfArrays(), 0);
    world->GenerateTerrain();
    ASSERT_EQ(world->placed_obstacles.Count(), 9);

    EntityType *trooper_type = world->stock->GetEntityType("DemoTrooper");
    EntityType *grunt_type = world->stock->GetEntityType("DemoGrunt");
    ASSERT_NE(trooper_type, nullptr);
    ASSERT_NE(grunt_type, nullptr);
    std::vector<Entity *> troopers, grunts;
    for (vec2_t p : {vec2_t{700, 330}, vec2_t{690, 450}, vec2_t{540, 380}})
        troopers.push_back(world->SpawnEntity(trooper_type, p));
    for (vec2_t p : {vec2_t{120, 160}, vec2_t{90, 420}, vec2_t{330, 620}, vec2_t{460, 90}})
        grunts.push_back(world->SpawnEntity(grunt_type, p));
    for (Entity *e : troopers)
        ASSERT_NE(e, nullptr);
    for (Entity *e : grunts)
        ASSERT_NE(e, nullptr);
    ASSERT_TRUE(controls.TrySelectEntity(troopers[2]->pos, 0));
    ASSERT_EQ(controls.selection[0].entity, troopers[2]);
    troopers[2]->highlight = 1.0f;

    Frame f = RunFrames(45);  // 1.5 s: the newcomers have faded in
    Save(f, "demo-run.png");
    // Every entity on the ground, the selection ring around the chosen trooper.
    for (Entity *e : troopers) {
        SCOPED_TRACE("trooper at " + std::to_string(e->pos.x) + "," + std::to_string(e->pos.y));
        EXPECT_GT(Count(f, (int)e->pos.x - 6, (int)e->pos.y - 6, (int)e->pos.x + 6, (int)e->pos.y + 6,
                        Rgba{60, 210, 255, 255}),
                  20);
    }
    for (Entity *e : grunts) {
        SCOPED_TRACE("grunt at " + std::to_string(e->pos.x) + "," + std::to_string(e->pos.y));
        EXPECT_GT(Count(f, (int)e->pos.x - 6, (int)e->pos.y - 6, (int)e->pos.x + 6, (int)e->pos.y + 6,
                        Rgba{230, 40, 200, 255}),
                  20);
    }
    vec2_t s = troopers[2]->pos;
    EXPECT_GT(Count(f, (int)s.x - 25, (int)s.y - 25, (int)s.x + 25, (int)s.y + 25, Rgba{255, 255, 0, 255}, 40), 40);
    // The ground is the composed terrain, not the cleared screen.
    EXPECT_LT(Count(f, 0, 0, 1023, 767, Rgba{0, 0, 0, 255}, 3), 1024 * 768 / 50);

    prog.parms.developer_mode = 1;
    ASSERT_TRUE(ovdev::headless::inject_key('V', true));  // held while the frame draws
    Frame field = RunFrames(1);
    Save(field, "demo-run-field.png");
    int differing = 0;
    for (int y = 0; y < f.h; y += 2)
        for (int x = 0; x < f.w; x += 2)
            differing += f.At(x, y) != field.At(x, y);
    EXPECT_GT(differing, f.w * f.h / 4 / 20);
    ASSERT_TRUE(ovdev::headless::inject_key('V', false));
    RunFrames(1);
}
