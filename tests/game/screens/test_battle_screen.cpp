// The battle screen "Game", entered through the loader transition with a fixture
// mission: the battle step, the freeze under an overlay, the music stop, the screen
// shake, Escape and the pause buttons, the developer cheats, and a battle played for
// some seconds with injected input and a screenshot to look at.
#include "tests/support/headless_engine.h"
#include "tests/game/screens/battle_screens_fixture.h"

#include "app/services/prog.h"
#include "app/services/random.h"
#include "app/ui/screen-manager.h"
#include "game/controls.h"
#include "game/entities/entity.h"
#include "game/entities/move-path.h"
#include "game/entities/powerups.h"
#include "game/entities/stock.h"
#include "game/gamestate.h"
#include "game/scape.h"
#include "game/screens/battle-screen.h"
#include "game/screens/loader-transition.h"
#include "platform/headless.h"
#include "platform/screen.h"
#include "tests/app/ui/widget_fixture.h"
#include "tests/game/battle_driver.h"

#include "ovrecords.h"

#include <math.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <time.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

using screentest::BattleScreensTest;
using screentest::music;

// Transforms pushed, recorded before the engine's own call.
std::vector<nTransform> pushed;
void (*engine_push)(nTransform *) = nullptr;
void RecordPush(nTransform *t)
{
    pushed.push_back(t ? *t : nTransform{{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}});
    engine_push(t);
}

int scripted_value = 0;
int Scripted()
{
    return scripted_value;
}

class BattleScreen : public BattleScreensTest {
protected:
    void SetUp() override
    {
        BattleScreensTest::SetUp();
        StartScreens(1024, 768);
    }
    // The real road into a battle of the fixture mission without a picture.
    void EnterBattle(const char *value = "CHAPTER2:MISSION2_4")
    {
        SendAndSwitch("ENTER_BATTLE", value);
        ASSERT_TRUE(FramesUntil([this] { return OnTop("Game") && battle->trans_phase >= 1.0f; }));
        music.clear();
    }
    ov_event_t KeyEvent(int key)
    {
        ov_event_t e = {};
        e.type = OV_EVENT_KEY_DOWN;
        e.key = key;
        return e;
    }
    int Press(int key)
    {
        ov_event_t e = KeyEvent(key);
        return battle->ProcessEvent(&e);
    }
    UIComp *Comp(const char *name) { return battle->GetComp(name); }
    int LivingAliens()
    {
        int n = 0;
        for (int k = 0; k < world->stock->num_entities; k++) {
            Entity *e = &world->stock->entities[k];
            n += e->type && e->IsAlive() && e->friend_group == 1;
        }
        return n;
    }
};

TEST_F(BattleScreen, StepTable)
{
    EnterBattle();
    Frames(3);
    struct Case {
        const char *what;
        float dt;
        bool artillery;
        bool tutorial;
        uint32_t clock_ms;
    };
    const Case cases[] = {
        {"a slow frame is capped", 0.5f, false, false, 200},
        {"a short frame passes", 0.05f, false, false, 50},
        {"artillery targeting slows the battle", 0.5f, true, false, 10},
        {"a tutorial lifts the slow-down", 0.5f, true, true, 200},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        game.artillery_aiming = c.artillery;
        game.tutorial_shown = c.tutorial;
        game.tutorial_pauses = 0;
        uint32_t before = game.game_clock;
        battle->Update(c.dt);
        EXPECT_NEAR((double)c.clock_ms, (double)(game.game_clock - before), 1.0);
        EXPECT_EQ(!(c.artillery && !c.tutorial), Comp("Pause")->visible);
    }
    game.artillery_aiming = 0;
    game.tutorial_shown = 0;
    EXPECT_FLOAT_EQ(0.2f, ScreenGame::BattleStep(0.5f));
    EXPECT_FLOAT_EQ(0.01f, [] {
        game.artillery_aiming = 1;
        float s = ScreenGame::BattleStep(0.5f);
        game.artillery_aiming = 0;
        return s;
    }());
}

TEST_F(BattleScreen, APausingTutorialFreezesWorldAndGameStateOnly)
{
    apptest::WriteFile("texts.xml", gametest::XmlArray("tutorial", "<node id=\"HOLD\" text=\"Hold on.\" "
                                                                   "flags=\"TUTORIAL_PAUSES\"/>"));
    EnterBattle();
    Frames(3);
    game.SetTutorial("HOLD");
    ASSERT_TRUE(game.tutorial_shown && game.tutorial_pauses);
    Entity *trooper = game.troopers.Count() > 0 ? game.troopers[0] : nullptr;
    ASSERT_NE(nullptr, trooper) << sman.PeekScreen(0)->name << " " << (int)game.starting_troopers_placed;
    float age = trooper->age;
    uint32_t clock = game.game_clock;
    float tutorial_time = game.tutorial_time;
    battle->Update(0.5f);
    EXPECT_EQ(clock, game.game_clock);
    EXPECT_FLOAT_EQ(age, trooper->age);
    EXPECT_NEAR(tutorial_time + 0.2f, game.tutorial_time, 1e-5);
    // A tutorial that does not pause lets the world run on.
    game.tutorial_pauses = 0;
    battle->Update(0.5f);
    EXPECT_NEAR(age + 0.2f, trooper->age, 1e-5);
    EXPECT_EQ(clock + 200, game.game_clock);
}

TEST_F(BattleScreen, FrozenUnderThePauseMenu)
{
    EnterBattle();
    Frames(3);
    sman.PushScreen("PauseMenu", 0);
    Frames(2);
    uint32_t clock = game.game_clock;
    float timer = battle->music_timer;
    Frames(60);
    EXPECT_EQ(clock, game.game_clock);
    EXPECT_EQ(timer, battle->music_timer);
    sman.PopScreen("PauseMenu");
    ASSERT_TRUE(FramesUntil([this] { return OnTop("Game"); }));
    Frames(10);
    EXPECT_GT(game.game_clock, clock);
}

TEST_F(BattleScreen, MusicStopsThreeSecondsAfterEntry)
{
    EnterBattle();
    battle->Enter();
    music.clear();
    for (int i = 0; i < 30; i++)
        battle->Update(0.1f);
    EXPECT_TRUE(music.empty());  // 3.0 s is not yet past 3.0
    battle->Update(0.1f);
    battle->Update(0.1f);
    EXPECT_EQ(std::vector<std::string>{"Stop 4.0"}, music);
    for (int i = 0; i < 20; i++)
        battle->Update(0.1f);
    EXPECT_EQ(1u, music.size());
    EXPECT_TRUE(battle->music_stopped);
}

TEST_F(BattleScreen, ShakeBounds)
{
    EnterBattle();
    engine_push = ov->OV_PushTransform;
    ov->OV_PushTransform = RecordPush;
    AppSetRandomSource(Scripted);
    struct Case {
        const char *what;
        float shake;
        int random;
        float dt;
        bool pushed;
        float offset;  // ox = oy
    };
    const Case cases[] = {
        {"none", 0.0f, 32767, 0.016f, false, 0.0f},
        {"half at the far end", 0.5f, 32767, 0.016f, true, -1.0f},
        {"half at rest", 0.5f, 0, 0.016f, true, 0.0f},
        {"clamped to one", 3.0f, 32767, 0.016f, true, -2.0f},
        {"no time, no shake", 0.5f, 32767, 0.0f, false, 0.0f},
    };
    const float vw = (float)sman.virtual_width, vh = (float)sman.virtual_height;
    int baseline = -1;  // pushes of a frame without shake (the first case)
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        scripted_value = c.random;
        // Set after the frame's update, which lets the shake run down.
        apptest::draw = [this, &c](float) {
            world->shake_time = c.shake;
            pushed.clear();
            battle->Draw(c.dt);
        };
        DrawFrame();
        ASSERT_FALSE(pushed.empty());
        // The shake is one push more than a still frame makes, and the first.
        if (baseline < 0)
            baseline = (int)pushed.size();
        const nTransform &t = pushed[0];
        EXPECT_EQ(c.pushed, (int)pushed.size() == baseline + 1);
        if (c.pushed) {
            float k = 1.0f + 2.0f * 0.01f * fabsf(c.offset);
            EXPECT_FLOAT_EQ(k, t.m[0]);
            EXPECT_FLOAT_EQ(k, t.m[5]);
            EXPECT_FLOAT_EQ(vw * c.offset * 0.01f, t.m[3]);
            EXPECT_FLOAT_EQ(vh * c.offset * 0.01f, t.m[7]);
        }
    }
    // Not the top screen: no shake.
    sman.PushScreen("PauseMenu", 0);
    scripted_value = 32767;
    apptest::draw = [this](float) {
        world->shake_time = 0.5f;
        pushed.clear();
        battle->Draw(0.016f);
    };
    DrawFrame();
    EXPECT_EQ(baseline, (int)pushed.size());
    apptest::draw = nullptr;
}

TEST_F(BattleScreen, EscapeOpensThePauseMenuInEveryMode)
{
    for (int developer : {0, 1}) {
        SCOPED_TRACE(developer);
        prog.parms.developer_mode = (uint8_t)developer;
        EnterBattle();
        Key(ovdev::KEYCODE_ESCAPE);
        EXPECT_TRUE(OnTop("PauseMenu"));
        sman.PopScreen("PauseMenu");
        Frames(2);
    }
    EXPECT_EQ(1, Press(27));
}

TEST_F(BattleScreen, CheatsOnlyInDeveloperMode)
{
    EnterBattle();
    struct Case {
        int key;
        const char *what;
    };
    for (int developer : {0, 1}) {
        SCOPED_TRACE(developer);
        prog.parms.developer_mode = (uint8_t)developer;
        game.artillery_aiming = 0;
        game.invulnerable = 0;
        game.all_waves_done = 0;
        uitest::calls.clear();
        EXPECT_EQ(0, Press('W'));
        EXPECT_EQ(developer, game.artillery_aiming);
        game.artillery_aiming = 0;
        EXPECT_EQ(0, Press('G'));
        EXPECT_EQ(developer, game.invulnerable);
        EXPECT_EQ(0, Press('C'));
        EXPECT_EQ(developer, game.all_waves_done);
        game.all_waves_done = 0;
        int money = game.money;
        battle->ProcessUICompClick(Comp("CheatMoney"), 0);
        EXPECT_EQ(money + developer * 10000, game.money);
        EXPECT_EQ(0, Press('L'));
        EXPECT_EQ(developer ? 1u : 0u, uitest::CallsOf("GameOver:Message Game EndCondition GameLost").size());
        EXPECT_EQ(developer != 0, Stacked("GameOver"));
        if (developer)
            sman.PopScreen("GameOver");
    }
    // 'C' wins only LEVEL missions.
    game.parms.game_mode = GAME_MODE_SURVIVAL;
    Press('C');
    EXPECT_EQ(0, game.all_waves_done);
}

// The developer's 'C' wins the level mission under way: the won screen follows as after
// the last wave, and the next battle starts without the mark.
TEST_F(BattleScreen, DeveloperKeyWinsTheLevel)
{
    prog.parms.developer_mode = 1;
    EnterBattle();
    ASSERT_EQ(GAME_MODE_LEVEL, game.parms.game_mode);
    EXPECT_EQ(0, game.won);
    // Even with a tutorial up that holds the battle.
    static char moving[] = "MOVING";
    game.tutorial_name = moving;
    game.tutorial_shown = 1;
    game.tutorial_pauses = 1;
    game.tutorial_pauses_waves = 1;
    EXPECT_EQ(0, Press('C'));
    EXPECT_EQ(0, game.tutorial_shown);
    // Achievement popups come first; each is closed as its "Continue" does.
    EXPECT_TRUE(FramesUntil(
        [this] {
            if (OnTop("AchievementUnlocked"))
                sman.PopScreen("AchievementUnlocked");
            return Stacked("LevelWon");
        },
        600));
    EXPECT_EQ(1, game.won);
    sman.PopScreen("LevelWon");
    prog.parms.developer_mode = 0;
    sman.PopAllScreens();
    EnterBattle();
    EXPECT_EQ(0, game.all_waves_done);
    EXPECT_EQ(0, game.won);
}

TEST_F(BattleScreen, CheatJDrawsFromTheLoadedPowerUpTable)
{
    WriteEntities(std::string(battletest::kBattleTypes) +
                  "<node id=\"Powerup\" type=\"Powerup\" flags=\"POWERUP\" friend_group=\"PLAYERS\" radius=\"12\""
                  " scale=\"1\" hit_points=\"1\"/>\n");
    std::string nodes;
    for (int i = 0; i < 20; i++)
        nodes += "<node id=\"P" + std::to_string(i) + "\" desc=\"power " + std::to_string(i) + "\"/>\n";
    WritePowerups(nodes);
    EnterBattle();
    // The table holds the first 16 rows; the draw covers exactly those.
    const int loaded = Powerup::num_powerups;
    ASSERT_EQ(16, loaded);
    prog.parms.developer_mode = 1;
    EntityType *type = world->stock->GetEntityType("Powerup");
    ASSERT_NE(nullptr, type);
    AppSetRandomSource(Scripted);
    std::vector<bool> drawn(loaded, false);
    for (int i = 0; i < 20; i++) {
        scripted_value = 32767 - i;  // every remainder of 16, and some twice
        std::vector<Entity *> before;
        for (int k = 0; k < world->stock->num_entities; k++)
            if (world->stock->entities[k].type == type)
                before.push_back(&world->stock->entities[k]);
        Press('J');
        ASSERT_EQ(before.size() + 1, (size_t)world->GetNumberOfEntitiesOfType(type));
        Entity *last = nullptr;
        for (int k = 0; k < world->stock->num_entities; k++) {
            Entity *e = &world->stock->entities[k];
            if (e->type == type && std::find(before.begin(), before.end(), e) == before.end())
                last = e;
        }
        ASSERT_NE(nullptr, last);
        EXPECT_TRUE(last->powerup_active);
        ptrdiff_t index = last->powerup - Powerup::powerups;
        ASSERT_GE(index, 0);
        ASSERT_LT(index, loaded);
        drawn[index] = true;
    }
    for (int i = 0; i < loaded; i++)
        EXPECT_TRUE(drawn[i]) << i;
    AppSetRandomSource(nullptr);
    Frames(10);

    // An empty table: nothing comes.
    Powerup::ClearPowerups();
    int before = world->GetNumberOfEntitiesOfType(type);
    Press('J');
    EXPECT_EQ(before, world->GetNumberOfEntitiesOfType(type));
}

TEST_F(BattleScreen, ClicksOnThePauseButtons)
{
    EnterBattle();
    // The tactical pause, refused while a tutorial shows.
    battle->ProcessUICompClick(Comp("PauseTime"), 0);
    EXPECT_EQ(1, game.paused);
    game.tutorial_shown = 1;
    battle->ProcessUICompClick(Comp("PauseTime"), 0);
    EXPECT_EQ(1, game.paused);
    game.tutorial_shown = 0;
    battle->ProcessUICompClick(Comp("PauseTime"), 0);
    EXPECT_EQ(0, game.paused);
    // Clicks are ignored while artillery waits for its target.
    game.artillery_aiming = 1;
    battle->ProcessUICompClick(Comp("Pause"), 0);
    EXPECT_FALSE(Stacked("PauseMenu"));
    game.artillery_aiming = 0;
    EXPECT_TRUE(battle->ProcessUICompClick(Comp("Pause"), 0));
    EXPECT_TRUE(Stacked("PauseMenu"));
}

TEST_F(BattleScreen, TouchesGoToTheControlsAndTapTheWaveTitle)
{
    EnterBattle();
    game.wave_title_timer = 0.5f;
    game.wave_title_tapped = 0;
    ov_event_t e = {};
    e.type = OV_EVENT_BUTTON_DOWN;
    e.x = 500;
    e.y = 500;
    EXPECT_EQ(0, battle->ProcessEvent(&e));
    EXPECT_EQ(1, game.wave_title_tapped);
    game.wave_title_timer = 0.3f;
    game.wave_title_tapped = 0;
    battle->ProcessEvent(&e);
    EXPECT_EQ(0, game.wave_title_tapped);

    // Entering resets the controls.
    controls.touch_pressed[0] = 1;
    battle->Enter();
    EXPECT_EQ(0, controls.touch_pressed[0]);
    EXPECT_EQ(0.0f, battle->music_timer);
}

// A disc of the colour on a transparent square of side n.
void WriteDisc(const std::string &name, int n, widgettest::Rgba colour)
{
    widgettest::WritePng(name, n, n, [n, colour](int x, int y) {
        float dx = (float)x + 0.5f - (float)n / 2.0f, dy = (float)y + 0.5f - (float)n / 2.0f;
        return dx * dx + dy * dy <= (float)(n * n) / 4.0f ? colour : widgettest::Rgba{0, 0, 0, 0};
    });
}

void SaveShot(const widgettest::Frame &f, const std::string &name)
{
    EXPECT_TRUE(widgettest::SavePng(f, enginetest::ShotPath("battle-screens", name)));
}

TEST_F(BattleScreen, AHeadlessBattleThroughTheLoader)
{
    // The run's seed, printed so that a failing run can be repeated (ORVEX_BATTLE_SEED).
    const char *given = getenv("ORVEX_BATTLE_SEED");
    const uint32_t seed = given && *given ? (uint32_t)strtoul(given, nullptr, 10) : (uint32_t)time(nullptr);
    printf("battle seed %u\n", seed);
    ScreenLoaderTransition::FixSeed(seed);

    widgettest::InstallFonts();
    WriteDisc("art/trooper.png", 20, widgettest::Rgba{60, 210, 255, 255});
    WriteDisc("art/alien.png", 24, widgettest::Rgba{230, 40, 200, 255});
    WriteDisc("art/bunker.png", 80, widgettest::Rgba{120, 120, 120, 255});
    widgettest::WritePng("art/ground.png", 1024, 768, [](int x, int y) {
        return ((x / 32 + y / 32) % 2) ? widgettest::Rgba{70, 90, 50, 255} : widgettest::Rgba{80, 100, 55, 255};
    });
    widgettest::WritePng("pics/ridge.png", 64, 64, [](int, int) { return widgettest::Rgba{200, 180, 40, 255}; });
    WriteWeapons("<node id=\"Rifle\" reload_time=\"0.5\" projectile_range=\"300\" damage=\"20\"/>\n");
    WriteEntities(
        "<node id=\"Trooper\" flags=\"NORMAL MOVABLE\" friend_group=\"PLAYERS\" radius=\"10\" scale=\"1\""
        " hit_points=\"100\" weapon=\"Rifle\" bm_move=\"art/trooper.png\" ai=\"Trooper\" top_speed=\"80\"/>\n"
        "<node id=\"Alien\" flags=\"NORMAL MOVABLE\" friend_group=\"ENEMIES\" radius=\"12\" scale=\"1\""
        " hit_points=\"50\" points_worth=\"10\" bm_move=\"art/alien.png\" ai=\"Seeker\" top_speed=\"40\"/>\n"
        "<node id=\"BaseBunker\" type=\"Structure\" flags=\"NORMAL BLOCKS_MOVEMENT\" friend_group=\"PLAYERS\""
        " radius=\"40\" scale=\"1\" hit_points=\"1000\" ai=\"BaseBunker\" bm_move=\"art/bunker.png\"/>\n");
    apptest::WriteFile(
        "levels/ridge.xml",
        battletest::LevelXml(
            battletest::Array("environment", "<node id=\"background\" value=\"art/ground.png\"/>\n"
                                             "<node id=\"bunker\" x=\"900\" y=\"384\"/>") +
            battletest::Array("starting_troopers", "<node type=\"Trooper\"/>\n<node type=\"Trooper\"/>") +
            battletest::Array("waves", "<node type=\"WAVE_START\" text=\"First wave\"/>\n"
                                       "<node type=\"SPAWN\" spawn_type=\"Alien\" num=\"4\" pos_x=\"0.1\" "
                                       "pos_y=\"0.5\"/>")));

    SendAndSwitch("ENTER_BATTLE", "CHAPTER2:MISSION2_3");
    ASSERT_TRUE(FramesUntil([this] { return loader->waiting_for_tap; }));
    DrawFrame();
    SaveShot(widgettest::ReadFrame(), "loader-picture.png");
    EXPECT_EQ("Tap to enter the battlefield", Text("text"));
    Tap(512, 384);
    ASSERT_TRUE(FramesUntil([this] { return OnTop("Game") && battle->trans_phase >= 1.0f; }));
    EXPECT_STREQ("MISSION2_3", game.parms.mission_id);
    EXPECT_EQ(GAME_MODE_SURVIVAL, game.parms.game_mode);

    // Some seconds of battle; a trooper is dragged towards the enemies on the way.
    Frames(60, 33);
    ASSERT_GE(game.troopers.Count(), 1);
    Entity *trooper = game.troopers[0];
    vec2_t start = trooper->pos;
    namespace hl = ovdev::headless;
    int sx = (int)(start.x * sman.reference_scale_x), sy = (int)(start.y * sman.reference_scale_y);
    ASSERT_TRUE(hl::inject_touch(hl::TouchPhase::Down, 0, sx, sy));
    PumpFrame();
    for (int i = 1; i <= 10; i++) {
        ASSERT_TRUE(hl::inject_touch(hl::TouchPhase::Move, 0, sx - 25 * i, sy + 5 * i));
        PumpFrame();
    }
    ASSERT_TRUE(hl::inject_touch(hl::TouchPhase::Up, 0, sx - 250, sy + 50));
    PumpFrame();
    uint32_t clock = game.game_clock;
    Frames(120, 33);
    EXPECT_GT(game.game_clock, clock + 3000);
    // The drag reached the controls through the battle screen: the trooper walked its
    // route towards the lower left; the wave came and advances on the bunker.
    ASSERT_NE(nullptr, trooper->path);
    EXPECT_GT(trooper->path->length, 100.0f);
    EXPECT_LT(trooper->pos.x, start.x - 100.0f);
    EXPECT_GT(trooper->pos.y, start.y);
    EXPECT_GT(LivingAliens(), 0) << "the wave came";
    float front = 0.0f;
    for (int k = 0; k < world->stock->num_entities; k++) {
        Entity *e = &world->stock->entities[k];
        if (e->type && e->IsAlive() && e->friend_group == 1 && e->pos.x > front)
            front = e->pos.x;
    }
    EXPECT_GT(front, 0.1f * 1024.0f + 50.0f) << "the aliens advanced";
    DrawFrame();
    widgettest::Frame f = widgettest::ReadFrame();
    SaveShot(f, "battle.png");
    // The bunker's grey disc sits at its place on the ground.
    widgettest::Rgba bunker = f.At((int)(900 * sman.reference_scale_x), (int)(384 * sman.reference_scale_y));
    EXPECT_NEAR(120, bunker[0], 30);
    EXPECT_NEAR(120, bunker[2], 30);

    // Escape pauses it.
    Key(ovdev::KEYCODE_ESCAPE);
    EXPECT_TRUE(OnTop("PauseMenu"));
    clock = game.game_clock;
    Frames(30, 33);
    EXPECT_EQ(clock, game.game_clock);
}

}  // namespace

namespace {

std::vector<ov_bitmap_t *> released;
void (*engine_release)(ov_bitmap_t *) = nullptr;
void RecordRelease(ov_bitmap_t *b)
{
    released.push_back(b);
    engine_release(b);
}

TEST_F(BattleScreen, TerrainIsRebuiltAfterTheDisplayLostIt)
{
    EnterBattle();
    engine_release = ov->OV_ReleaseBitmap;
    ov->OV_ReleaseBitmap = RecordRelease;
    sman.all_screens_preloaded.store(true);
    struct Case {
        const char *what;
        uint8_t requested;
        bool developer;
        int virtual_width;  // 0: as it is
        bool battle_stacked;
        bool rebuilt;
    };
    const int vw = sman.virtual_width;
    const Case cases[] = {
        {"nothing asked", 0, false, 0, true, false},
        {"asked", 1, false, 0, true, true},
        {"asked without the battle", 1, false, 0, false, false},
        {"resized, not a developer", 0, false, vw - 64, true, false},
        {"the developer's size matches", 0, true, 0, true, false},
        {"resized for the developer", 0, true, vw - 64, true, true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        if (!c.battle_stacked) {
            sman.PopScreen(battle, false);
            Frames(1);
            ASSERT_FALSE(Stacked("Game"));
        }
        prog.parms.developer_mode = c.developer;
        sman.virtual_resize_mode = c.developer;
        if (c.virtual_width)
            sman.virtual_width = c.virtual_width;
        released.clear();
        ov_bitmap_t *old = world->terrain;
        int generated = apptest::CountLogged("Generating terrain..");
        uint8_t flag = c.requested;
        RegenerateBattleTerrain(&flag);
        EXPECT_EQ(0, flag);
        EXPECT_EQ(c.rebuilt, released.size() == 1 && released[0] == old)
            << "stacked " << Stacked("Game") << " terrain " << (old ? old->width : -1) << " virtual "
            << sman.virtual_width;
        EXPECT_EQ(c.rebuilt ? generated + 1 : generated, apptest::CountLogged("Generating terrain.."));
        ASSERT_NE(nullptr, world->terrain);
        if (c.rebuilt) {
            EXPECT_EQ(sman.virtual_width, world->terrain->width);
        }
        sman.virtual_width = vw;
        sman.virtual_resize_mode = false;
        if (!c.battle_stacked) {
            sman.PushScreen(battle, 0);
            Frames(1);
        }
    }
    sman.all_screens_preloaded.store(false);
}

}  // namespace

namespace {

TEST_F(BattleScreen, CheatAPlacesAnAlienPetUnderThePointer)
{
    WriteEntities(std::string(battletest::kBattleTypes) +
                  "<node id=\"AlienPet\" flags=\"NORMAL MOVABLE\" friend_group=\"ENEMIES\" radius=\"10\""
                  " scale=\"1\" hit_points=\"30\"/>\n");
    EnterBattle();
    EntityType *type = world->stock->GetEntityType("AlienPet");
    ASSERT_NE(nullptr, type);
    mpos = vec2_t{300.0f * sman.reference_scale_x, 200.0f * sman.reference_scale_y};
    prog.parms.developer_mode = 0;
    Press('A');
    EXPECT_EQ(0, world->GetNumberOfEntitiesOfType(type)) << "not a developer";
    prog.parms.developer_mode = 1;
    Press('A');
    Entity *pet = nullptr;
    ASSERT_EQ(1, world->QueryEntitiesOfType(type, ~0, &pet, 1));
    EXPECT_NEAR(300.0f, pet->pos.x, 0.01f);
    EXPECT_NEAR(200.0f, pet->pos.y, 0.01f);
    EXPECT_FLOAT_EQ(-3.1415927f, pet->angle);
    EXPECT_FLOAT_EQ(-3.1415927f, pet->aim_angle);
}

}  // namespace
