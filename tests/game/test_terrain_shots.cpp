// Screenshots of the shipped terrain: every background with the bunker pad and every
// obstacle outline placed, drawn by the world with the outlines over them (developer
// mode, key 82 held), and the demo level. The content comes from the build's program
// directory; the pictures go to the shots folder (terrain/) to be looked at. Each shot is also checked: the ground is drawn, the outlines are white
// lines over the obstacles, and every placed outline collides at its centre.
#include "tests/support/headless_engine.h"
#include "app/services/dataman.h"
#include "app/services/prog.h"
#include "app/ui/partfx.h"
#include "game/gamestate.h"
#include "game/obstacles.h"
#include "game/scape.h"
#include "tests/app/ui/widget_fixture.h"
#include "tests/game/game_fixture.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <string>

#ifndef ORVEX_CONTENT_DIR
#error "ORVEX_CONTENT_DIR: the build's program directory"
#endif

namespace {

const char *const kBackgrounds[] = {"desert-a", "desert-b", "desert-c", "marsh-a", "marsh-b",
                                    "marsh-c",  "foundry-a", "foundry-b", "foundry-c"};
const char *const kOutlines[] = {"rock-a", "rock-b", "rock-c", "rock-d", "rock-e", "crate",
                                 "barrel", "stump", "pipe", "slag", "sandbag", "wreck"};

void Save(const widgettest::Frame &f, const std::string &name)
{
    EXPECT_TRUE(widgettest::SavePng(f, enginetest::ShotPath("terrain", name)));
}

class TerrainShots : public gametest::GameTest {
protected:
    void SetUp() override
    {
        GameTest::SetUp();
        StartGame(1024, 768);
        if (HasFatalFailure())
            return;
        pbman.Init();
        // The shipped terrain pictures, outlines, effects and the demo level.
        std::string cmd = std::string("cp -r '") + ORVEX_CONTENT_DIR + "/terrain' '" + ORVEX_CONTENT_DIR +
                          "/fxs' '" + ORVEX_CONTENT_DIR + "/missions' app/native/";
        ASSERT_EQ(system(cmd.c_str()), 0);
        MakeWorld();
    }
    void TearDown() override
    {
        FreeWorld();
        pbman.Shutdown();
        GameTest::TearDown();
    }
    // Draws the world as the battle does, outlines on, and reads the frame back.
    widgettest::Frame DrawWorld(int key = 82)
    {
        apptest::draw = [this](float dt) {
            ov->OV_ClearScreen(0, 0, 0);
            ov->OV_PushTransform(nullptr);  // the battle screen's own transform
            world->Draw(dt);
            ov->OV_PopTransform();
        };
        prog.parms.developer_mode = 1;
        ov->OV_SetKeyStatei(key, 2);  // held
        DrawFrame();
        ov->OV_SetKeyStatei(key, 0);
        prog.parms.developer_mode = 0;
        apptest::draw = nullptr;
        return widgettest::ReadFrame();
    }
    // White pixels within a box around a point (the outline lines).
    static int WhiteAround(const widgettest::Frame &f, float cx, float cy, int half)
    {
        int n = 0;
        for (int y = (int)cy - half; y <= (int)cy + half; y++) {
            for (int x = (int)cx - half; x <= (int)cx + half; x++) {
                if (x < 0 || y < 0 || x >= f.w || y >= f.h)
                    continue;
                widgettest::Rgba p = f.At(x, y);
                n += p[0] > 245 && p[1] > 245 && p[2] > 245;
            }
        }
        return n;
    }
};

TEST_F(TerrainShots, EveryBackgroundWithEveryOutline)
{
    for (const char *background : kBackgrounds) {
        SCOPED_TRACE(background);
        world->Reset();
        DMDatabase *level = dman().CreateDatabase("shot-level.xml");
        std::string bg = std::string("terrain/bg/") + background + ".png";
        level->SetValue("environment", "background", "value", bg.c_str());
        level->SetValue("environment", "bunker_background", "value", "terrain/bunker-pad.png");
        level->SetValue("environment", "bunker", "x", "820");
        level->SetValue("environment", "bunker", "y", "384");
        DMArray *obstacles = level->AddArray("obstacles");
        for (int i = 0; i < 12; i++) {
            DMNode *node = obstacles->AddNode(nullptr);
            std::string file = std::string("terrain/obstacles/") + kOutlines[i] + ".xml";
            node->SetValue("obstacle", file.c_str());
            node->SetValue("x", std::to_string(110 + (i % 4) * 180).c_str());
            node->SetValue("y", std::to_string(150 + (i / 4) * 230).c_str());
            node->SetValue("angle", std::to_string((i * 25) % 90).c_str());
        }
        game.level_db = level;
        world->GenerateTerrain();
        widgettest::Frame f = DrawWorld();
        ASSERT_GT(f.w, 0);
        Save(f, std::string(background) + ".png");
        // The ground covers the screen (no black corner).
        widgettest::Rgba corner = f.At(1000, 740);
        EXPECT_GT(corner[0] + corner[1] + corner[2], 30);
        ASSERT_EQ(world->placed_obstacles.Count(), 13);  // twelve and the bunker's
        for (int i = 0; i < 12; i++) {
            SCOPED_TRACE(kOutlines[i]);
            const Obstacle *o = world->placed_obstacles[i];
            EXPECT_GT(o->num_edges, 2);
            EXPECT_TRUE(world->IsPointInsideObstacle(o->pos, 1.0f, nullptr));
            EXPECT_GT(WhiteAround(f, o->pos.x, o->pos.y, (int)o->radius + 2), 20);
        }
        dman().ReleaseDatabase(level);
        game.level_db = nullptr;
    }
}

TEST_F(TerrainShots, DemoLevel)
{
    game.level_db = dman().GetDatabase("missions/demo.xml");
    ASSERT_GT(game.level_db->GetNumberOfArrays(), 0);
    world->GenerateTerrain();
    EXPECT_EQ(world->num_emitters, 2);
    EXPECT_GT(world->ground_parts->GetLiveCount() + world->top_parts->GetLiveCount(), 0);
    widgettest::Frame f = DrawWorld();
    ASSERT_GT(f.w, 0);
    Save(f, "demo-level.png");
    EXPECT_EQ(world->placed_obstacles.Count(), 9);  // eight and the bunker's
    // The vector field over it (key 86): the obstacles' pushes and the border's.
    widgettest::Frame field = DrawWorld(86);
    Save(field, "demo-level-field.png");
    int differing = 0;
    for (int y = 0; y < f.h; y++) {
        for (int x = 0; x < f.w; x++)
            differing += f.At(x, y) != field.At(x, y);
    }
    EXPECT_GT(differing, f.w * f.h / 20);
}

}  // namespace
