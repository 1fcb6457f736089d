// The controls' overlay and the tutorial text box drawn by the headless GLES renderer
// and read back: the selection ring shrinking onto its trooper, the target marker, the
// tactical indicators of the pause, and the tutorial box. Screenshots go to
// the shots folder (controls/).
#include "tests/support/headless_engine.h"
#include "tests/game/controls_fixture.h"

#include "game/entities/entity.h"
#include "game/entities/move-path.h"
#include "game/obstacles.h"
#include "game/scape.h"
#include "game/gamestate.h"
#include "app/services/featureman.h"
#include "app/services/localization.h"
#include "app/services/prog.h"
#include "game/tutorials.h"
#include "tests/app/ui/widget_fixture.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cmath>

#include <map>
#include <string>

namespace {

using controlstest::ControlsTest;
using widgettest::Frame;
using widgettest::Rgba;


void Shot(const Frame &f, const char *name)
{
    widgettest::SavePng(f, enginetest::ShotPath("controls", name));
}

bool Green(const Rgba &p)
{
    return p[1] > 150 && p[0] < 100 && p[2] < 100;
}
bool Red(const Rgba &p)
{
    return p[0] > 150 && p[1] < 100 && p[2] < 100;
}
bool Blue(const Rgba &p)
{
    return p[2] > 150 && p[0] < 100 && p[1] < 100;
}
bool Yellow(const Rgba &p)
{
    return p[0] > 150 && p[1] > 150 && p[2] < 100;
}

class ControlsDrawTest : public ControlsTest {
protected:
    void WriteAssets() override
    {
        widgettest::InstallFonts();
        auto solid = [](Rgba c) { return [c](int, int) { return c; }; };
        // A ring reaching the bitmap's edges, as the selector is drawn.
        widgettest::WritePng("game-ui/entity-selector.png", 32, 32, [](int x, int y) {
            const float d = hypotf((float)x - 15.5f, (float)y - 15.5f);
            return d >= 11.0f && d <= 16.5f ? Rgba{0, 255, 0, 255} : Rgba{0, 0, 0, 0};
        });
        widgettest::WritePng("game-ui/entity-target.png", 32, 32, solid({255, 0, 0, 255}));
        widgettest::WritePng("game-ui/tactic-indicator.png", 32, 32, solid({255, 255, 255, 255}));
        apptest::WriteFile("texts.xml", gametest::XmlArray("tutorial",
                                                           "<node id=\"FIRING\" text=\"Troopers fire on their own\""
                                                           " flags=\"TUTORIAL_PAUSES\"/>\n"
                                                           "<node id=\"MOVING\" text=\"Drag a trooper\"/>\n"
                                                           "<node id=\"SHOPPING\" text=\"Tap the bunker\"/>"));
        widgettest::WritePng("game-ui/path-arrow.png", 16, 8, solid({255, 255, 0, 255}));
        widgettest::WritePng("game-ui/cursor-finger.png", 20, 20, solid({0, 0, 255, 255}));
        widgettest::WritePng("game-ui/cursor-mouse.png", 20, 20, solid({255, 255, 0, 255}));
    }
    Frame Draw(void (*what)())
    {
        apptest::draw = [what](float) {
            ov->OV_ClearScreen(0.5f, 0.5f, 0.5f);
            what();
        };
        PumpFrame();  // keys pressed on the device reach the frame
        return widgettest::ReadFrame();
    }
};

void DrawControls()
{
    controls.Draw();
}

TEST_F(ControlsDrawTest, TheSelectionRingShrinksOntoItsTrooperAndTheMarkerOntoItsEnemy)
{
    StartBattle();
    Entity *trooper = Spawn("Trooper", 200, 200);
    Spawn("Alien", 600, 300);
    AddProfileTag("features", "PRIMARY_TARGET");
    ASSERT_TRUE(controls.TrySelectEntity(vec2_t{200, 200}, 0));
    ASSERT_TRUE(controls.TryAssignPrimaryTarget(vec2_t{600, 300}));

    Frame wide = Draw(DrawControls);
    Shot(wide, "selection-fresh.png");
    // Glow 0: three times the bitmap; marker age 0: 2.8 times.
    auto ring = widgettest::LitBox(wide, 0, 0, 1023, 767, Green);
    EXPECT_NEAR(ring[0], 200 - 48, 2);
    EXPECT_NEAR(ring[2], 200 + 47, 2);
    EXPECT_NEAR(ring[1], 200 - 48, 2);
    auto marker = widgettest::LitBox(wide, 0, 0, 1023, 767, Red);
    EXPECT_NEAR(marker[2] - marker[0] + 1, 90, 2);
    EXPECT_NEAR((marker[0] + marker[2]) / 2, 600, 1);
    EXPECT_NEAR((marker[1] + marker[3]) / 2, 300, 1);

    controls.Update(0.5f);  // glow 1.5 (drawn as 1), marker age 1
    Frame tight = Draw(DrawControls);
    Shot(tight, "selection-held.png");
    ring = widgettest::LitBox(tight, 0, 0, 1023, 767, Green);
    EXPECT_NEAR(ring[2] - ring[0] + 1, 32, 2);
    marker = widgettest::LitBox(tight, 0, 0, 1023, 767, Red);
    EXPECT_NEAR(marker[2] - marker[0] + 1, 45, 2);

    // A dead trooper's ring and a dead enemy's marker are not drawn.
    world->KillEntity(trooper, nullptr, true);
    Frame gone = Draw(DrawControls);
    EXPECT_EQ(widgettest::LitBox(gone, 0, 0, 1023, 767, Green)[0], -1);
}

TEST_F(ControlsDrawTest, ThePauseMarksEveryFighterButTheBunker)
{
    StartBattle();
    Spawn("Trooper", 200, 200);
    Spawn("Alien", 600, 300);
    Spawn("Bunker", 512, 600);
    game.paused = 1;
    Frame f = Draw(DrawControls);
    Shot(f, "tactical-pause.png");
    // (0.3, 1, 0.3) and (1, 0.2, 0.2) at alpha 0.9 over grey 0.5.
    const Rgba friendly = f.At(200, 200);
    EXPECT_NEAR(friendly[0], 82, 6);
    EXPECT_NEAR(friendly[1], 242, 6);
    const Rgba enemy = f.At(600, 300);
    EXPECT_NEAR(enemy[0], 242, 6);
    EXPECT_NEAR(enemy[1], 59, 6);
    const Rgba bunker = f.At(512, 600);
    EXPECT_NEAR(bunker[0], 128, 3);
    EXPECT_NEAR(bunker[1], 128, 3);
    game.paused = 0;
    Frame plain = Draw(DrawControls);
    EXPECT_NEAR(plain.At(200, 200)[1], 128, 3);
}

Entity *drawn_trooper = nullptr;

void DrawPathAndSelection()
{
    ov->OV_SetColor(0.25f, 0.25f, 0.25f);
    ov->OV_DrawRect(380, 340, 40, 120);  // where the wall stands
    ov->OV_SetColor(1.0f, 1.0f, 1.0f);
    if (drawn_trooper != nullptr && drawn_trooper->path != nullptr)
        drawn_trooper->path->Draw(0.0f);
    controls.Draw();
}

TEST_F(ControlsDrawTest, APathDrawnRoundAWallShowsItsArrowsAndTheRing)
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
    world->AddObstacle(&wall, vec2_t{400, 400}, 0.0f, 1.0f);
    drawn_trooper = Spawn("Trooper", 320, 410);
    Touch(ovdev::headless::TouchPhase::Down, 0, 320, 410);
    for (int x = 335; x <= 500; x += 15)
        Touch(ovdev::headless::TouchPhase::Move, 0, x, 410);
    controls.Update(0.5f);
    Frame f = Draw(DrawPathAndSelection);
    Shot(f, "path-round-wall.png");
    // Arrows at alpha 0.5 over grey: (191, 191, 64).
    auto arrow = [](const Rgba &p) { return p[0] > 170 && p[1] > 170 && p[2] < 110; };
    // Arrows beside the wall, below it and past it; none on it.
    EXPECT_NE(widgettest::LitBox(f, 350, 420, 379, 470, arrow)[0], -1);
    EXPECT_NE(widgettest::LitBox(f, 380, 462, 420, 490, arrow)[0], -1);
    EXPECT_NE(widgettest::LitBox(f, 440, 395, 500, 425, arrow)[0], -1);
    EXPECT_EQ(widgettest::LitBox(f, 385, 345, 415, 455, arrow)[0], -1);
    EXPECT_NE(widgettest::LitBox(f, 300, 390, 340, 430, Green)[0], -1);
    drawn_trooper = nullptr;
    FreeWorld();
    wall.Free();
}

TEST_F(ControlsDrawTest, TheDeveloperSeesThePointerReadoutWhileHoldingY)
{
    StartBattle();
    auto bright = [](const Rgba &p) { return p[0] > 200 && p[1] > 200 && p[2] > 200; };
    p_hover = vec2_t{512.0f, 384.0f};
    struct Case {
        bool developer;
        bool held;
        bool shown;
    } cases[] = {{true, true, true}, {true, false, false}, {false, true, false}};
    for (const Case &c : cases) {
        SCOPED_TRACE(std::to_string(c.developer) + " " + std::to_string(c.held));
        prog.parms.developer_mode = c.developer;
        if (c.held) {
            ASSERT_TRUE(ovdev::headless::inject_key('Y', true));
        }
        Frame f = Draw(DrawControls);
        if (c.held)
            KeyUp('Y');
        if (c.shown)
            Shot(f, "developer-readout.png");
        auto text = widgettest::LitBox(f, 0, 0, 400, 100, bright);
        EXPECT_EQ(text[0] != -1, c.shown);
        if (c.shown) {
            EXPECT_LT(text[0], 10);
            EXPECT_GT(text[3] - text[1], 20);  // two lines
        }
    }
    prog.parms.developer_mode = 0;
}

// On a display of another shape than the battle's 1024 x 768 layout (the desktop's
// 1024 x 600), the outlines a held R shows lie on their obstacles: each axis is scaled
// as the ground's and the entities' are.
TEST_F(ControlsDrawTest, HeldROutlinesTheObstaclesWhereTheyLieOnAWideDisplay)
{
    StartBattle(CONTROLS_TOUCH_COMMANDS, 1024, 600);
    apptest::WriteFile("probe-box.xml",
                       gametest::XmlArray("info", "<node id=\"bitmap\" value=\"\"/>") +
                           gametest::XmlArray("edges",
                                              "<node p0x=\"-40\" p0y=\"-40\" p1x=\"40\" p1y=\"-40\"/>\n"
                                              "<node p0x=\"40\" p0y=\"-40\" p1x=\"40\" p1y=\"40\"/>\n"
                                              "<node p0x=\"40\" p0y=\"40\" p1x=\"-40\" p1y=\"40\"/>\n"
                                              "<node p0x=\"-40\" p0y=\"40\" p1x=\"-40\" p1y=\"-40\"/>"));
    ObstacleType *box = ObstacleType::GetObstacleType("probe-box.xml");
    ASSERT_NE(box, nullptr);
    ASSERT_NE(world->AddObstacle(box, vec2_t{700.0f, 500.0f}, 0.0f, 1.0f), nullptr);
    const float sx = sman.reference_scale_x, sy = sman.reference_scale_y;
    ASSERT_GT(fabsf(sx - sy), 0.1f) << "the display's shape differs from the layout's";
    prog.parms.developer_mode = 1;
    apptest::draw = [this](float) {
        ov->OV_ClearScreen(0.0f, 0.0f, 0.0f);
        ov->OV_PushTransform(nullptr);
        world->Draw(0.0f);
        ov->OV_PopTransform();
    };
    auto white = [](const Rgba &p) { return p[0] > 200 && p[1] > 200 && p[2] > 200; };
    // White found on a one-pixel line through (x, y), either way of it.
    auto white_near = [&](const Frame &f, float x, float y) {
        return widgettest::LitBox(f, (int)x - 2, (int)y - 2, (int)x + 2, (int)y + 2, white)[0] != -1;
    };
    ASSERT_TRUE(ovdev::headless::inject_key('R', true));
    PumpFrame();
    Frame f = widgettest::ReadFrame();
    Shot(f, "obstacle-outline-wide.png");
    EXPECT_TRUE(white_near(f, 660.0f * sx, 500.0f * sy)) << "the left edge";
    EXPECT_TRUE(white_near(f, 740.0f * sx, 500.0f * sy)) << "the right edge";
    EXPECT_TRUE(white_near(f, 700.0f * sx, 540.0f * sy)) << "the bottom edge";
    const float m = (sx + sy) / 2.0f;
    EXPECT_FALSE(white_near(f, 700.0f * m, 540.0f * m)) << "not in the entities' uniform scale alone";
    KeyUp('R');
    prog.parms.developer_mode = 0;
}

void DrawTutorialBox()
{
    game.DrawTutorial();
}

TEST_F(ControlsDrawTest, TheTutorialTextSitsInADarkBoxCentredOnTheScreen)
{
    StartBattle();
    game.SetTutorial("FIRING");
    game.UpdateTutorial(1.0f);
    Frame f = Draw(DrawTutorialBox);
    Shot(f, "tutorial-box.png");
    // Without "reference_resolution" the box stands at the top.
    auto dark = [](const Rgba &p) { return p[0] < 60 && p[1] < 60 && p[2] < 60; };
    auto box = widgettest::LitBox(f, 0, 0, 1023, 200, dark);
    ASSERT_NE(box[0], -1);
    EXPECT_EQ(box[1], 0);
    EXPECT_NEAR((box[0] + box[2]) / 2, 512, 2);
    EXPECT_GT(box[2] - box[0], 100);
    EXPECT_LT(box[2] - box[0], 700);
    auto bright = [](const Rgba &p) { return p[0] > 200 && p[1] > 200 && p[2] > 200; };
    auto text = widgettest::LitBox(f, box[0], box[1], box[2], box[3], bright);
    EXPECT_NE(text[0], -1);
    EXPECT_NEAR(f.At(5, 5)[0], 128, 3);

    // Fading out: the box lightens.
    game.SetTutorialCompleted("FIRING");
    game.UpdateTutorial(0.25f);
    Frame faded = Draw(DrawTutorialBox);
    EXPECT_GT(faded.At(512, 3)[0], f.At(512, 3)[0] + 20);
}

// A tip that freezes the battle says so: a second line "Tap to continue" under its
// text; a tip that lets the battle run has none.
TEST_F(ControlsDrawTest, APausingTipSaysTapToContinue)
{
    StartBattle();
    auto dark = [](const Rgba &p) { return p[0] < 60 && p[1] < 60 && p[2] < 60; };
    game.SetTutorial("MOVING");
    game.UpdateTutorial(1.0f);
    auto running = widgettest::LitBox(Draw(DrawTutorialBox), 0, 0, 1023, 200, dark);
    game.SetTutorial("FIRING");
    ASSERT_TRUE(game.tutorial_pauses);
    game.UpdateTutorial(1.0f);
    Frame f = Draw(DrawTutorialBox);
    Shot(f, "tutorial-pausing.png");
    auto pausing = widgettest::LitBox(f, 0, 0, 1023, 200, dark);
    ASSERT_NE(running[0], -1);
    ASSERT_NE(pausing[0], -1);
    const int line = running[3] - running[1] - 20;  // the box is one line and its margin
    EXPECT_GE(pausing[3] - pausing[1], running[3] - running[1] + line * 3 / 4);
}

TEST_F(ControlsDrawTest, TutorialTextsAreShownInThePlayersLanguage)
{
    StartBattle();
    WritePowerups("<node id=\"POWERUP_HEALTH\" name=\"Health\" desc=\"Heals the squad\"/>");
    auto dark = [](const Rgba &p) { return p[0] < 60 && p[1] < 60 && p[2] < 60; };
    game.SetTutorial("FIRING");
    game.UpdateTutorial(1.0f);
    auto english = widgettest::LitBox(Draw(DrawTutorialBox), 0, 0, 1023, 200, dark);

    apptest::WriteFile("data-xx/language.xml",
                       "<?xml version=\"1.0\"?>\n<root>\n<array id=\"STRINGS\">\n"
                       " <node id=\"Troopers fire on their own\" to=\"Feuer\" />\n"
                       " <node id=\"Tap to continue\" to=\"Weiter\" />\n"
                       "</array>\n</root>\n");
    prog.parms.locale = "xx";
    ASSERT_TRUE(loc_man().Initialize());
    ASSERT_TRUE(loc_man().IsActive());
    auto translated = widgettest::LitBox(Draw(DrawTutorialBox), 0, 0, 1023, 200, dark);
    EXPECT_LT(translated[2] - translated[0], (english[2] - english[0]) / 2);
    EXPECT_NEAR((translated[0] + translated[2]) / 2, 512, 2);

    // A power-up tutorial shows the power-up's name over its description (and, as it
    // pauses, the cue to tap under them): two lines more than a running tip's one.
    game.SetTutorial("MOVING");
    game.UpdateTutorial(1.0f);
    auto one_line = widgettest::LitBox(Draw(DrawTutorialBox), 0, 0, 1023, 200, dark);
    const int line = one_line[3] - one_line[1] - 20;  // less the box's margin
    game.SetTutorial("POWERUP_HEALTH");
    game.UpdateTutorial(1.0f);
    Frame powerup = Draw(DrawTutorialBox);
    Shot(powerup, "tutorial-powerup.png");
    auto three_lines = widgettest::LitBox(powerup, 0, 0, 1023, 200, dark);
    EXPECT_GE(three_lines[3] - three_lines[1], one_line[3] - one_line[1] + line * 3 / 2);
    loc_man().Shutdown();
    prog.parms.locale = nullptr;
}

TEST_F(ControlsDrawTest, TheShoppingHandTapsTheBunker)
{
    StartBattle();
    game.base = Spawn("Bunker", 500, 500);
    game.SetTutorial("SHOPPING");
    game.tutorial_alpha = 1.0f;
    game.tutorial_time = 1.0f;  // p = 0.5: e = 0.9846, bob = 0.0484
    Frame f = Draw(DrawTutorialBox);
    Shot(f, "tutorial-shopping-hand.png");
    auto hand = widgettest::LitBox(f, 0, 0, 1023, 767, Blue);
    ASSERT_NE(hand[0], -1);
    EXPECT_NEAR((hand[0] + hand[2]) / 2.0f, 490.6f, 1.5f);
    EXPECT_NEAR((hand[1] + hand[3]) / 2.0f, 490.4f, 1.5f);
    EXPECT_NEAR(hand[2] - hand[0] + 1, 16, 1);  // scale 1 - 0.2 e
    // Past 4.5 s the tap starts again from 1.5 s.
    game.tutorial_time = 4.6f;
    Draw(DrawTutorialBox);
    EXPECT_FLOAT_EQ(game.tutorial_time, 1.5f);
    game.base = nullptr;
}

// Product features and values as the engine's extension call would answer them.
std::map<std::string, std::string> replies;

const char *FakeExtension(const char *command, const char *argument)
{
    auto it = replies.find(std::string(command ? command : "") + "/" + (argument ? argument : ""));
    return it == replies.end() ? nullptr : it->second.c_str();
}


TEST_F(ControlsDrawTest, TheMovingHandSweepsUpFromTheTrooperWithTheProductsPointer)
{
    StartBattle();
    Spawn("Trooper", 300, 400);
    ov->OV_CallExtension = FakeExtension;
    struct Case {
        const char *features;
        bool (*colour)(const Rgba &);
    } cases[] = {{"TOUCH_SCREEN", Blue}, {"MOUSE_INTERFACE TOUCH_SCREEN", Yellow}, {"", nullptr}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.features);
        replies.clear();
        replies["ProgramInfo/Features"] = c.features;
        replies["GetProductValue/reference_resolution"] = "1024x768";
        feature_man.Initialize();
        game.SetTutorial(nullptr);
        game.SetTutorial("MOVING");
        game.tutorial_alpha = 1.0f;
        game.tutorial_time = 2.0f;  // p = 0.5: e = 0.5560, bob = 0.9846
        Frame f = Draw(DrawTutorialBox);
        if (c.colour == Blue)
            Shot(f, "tutorial-moving-hand.png");
        auto hand_lit = [](const Rgba &p) { return Blue(p) || Yellow(p); };
        auto hand = widgettest::LitBox(f, 0, 0, 1023, 767, hand_lit);
        if (c.colour == nullptr) {
            EXPECT_EQ(hand[0], -1);
        } else {
            ASSERT_NE(hand[0], -1);
            EXPECT_TRUE(c.colour(f.At((hand[0] + hand[2]) / 2, (hand[1] + hand[3]) / 2)));
            EXPECT_NEAR((hand[0] + hand[2]) / 2.0f, 284.3f, 1.5f);
            EXPECT_NEAR((hand[1] + hand[3]) / 2.0f, 287.7f, 1.5f);
        }
        // With "reference_resolution" the box stands at 0.9 of its height.
        auto dark = [](const Rgba &p) { return p[0] < 60 && p[1] < 60 && p[2] < 60; };
        EXPECT_EQ(widgettest::LitBox(f, 0, 600, 1023, 767, dark)[1], 691);
    }
    replies.clear();
    feature_man.Initialize();
}

}  // namespace
