// Battle rules on the shipped data (types, weapons, power-ups, shop, effects, levels and
// art from the built program directory), driven frame by frame in the battle screen's
// order, with touches and keys injected through the headless device into the controls:
// - the dead troopers the roster keeps count as nobody: after 16 of them a living
//   trooper still glows when selected, loses its glow when the battle pauses and takes
//   a primary target; a dead class is offered no upgrade in the shop;
// - the squad's reserve of pool records: every enemy birth stops short of it (splitter
//   and quad-splitter children, the boss's hounds, a den's hounds), no pick-up does, so
//   a due pick-up still spawns and a trooper still fires in a crowded field;
// - a level without a bunker has no bunker outline in its corner;
// - the "FINAL WAVE" banner shows (with its sound) when the last wave starts, its band
//   right above the wave's title (picture under shots/rules).
#include "tests/app/ui/widget_fixture.h"
#include "tests/game/battle_driver.h"
#include "tests/game/controls_fixture.h"
#include "tests/support/headless_engine.h"

#include "app/services/dataman.h"
#include "app/services/featureman.h"
#include "app/services/random.h"
#include "app/ui/screen-manager.h"
#include "app/ui/ui-comps.h"
#include "game/controls.h"
#include "game/economy.h"
#include "game/entities/entity-types.h"
#include "game/entities/entity.h"
#include "game/entities/powerups.h"
#include "game/entities/stock.h"
#include "game/entities/weapons.h"
#include "game/gamestate.h"
#include "game/obstacles.h"
#include "game/scape.h"
#include "game/spawn-manager.h"
#include "ovrecords.h"
#include "platform/headless.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

using battletest::BattleFrame;
using ovdev::headless::TouchPhase;
using widgettest::Frame;
using widgettest::Rgba;

const float kStep = 1.0f / 30.0f;

const char *const kShippedParts[] = {"entities.xml", "weapons.xml", "powerups.xml", "shop.xml", "texts.xml",
                                     "gameplay-global.xml", "fonts", "fxs", "data-sfx-WAV_22050_MONO", "blood",
                                     "game-ui", "shop", "troopers", "chapter-1", "chapter-2", "chapter-3",
                                     "bunker", "projectiles", "powerups", "terrain"};

std::string ReadLevel(const char *file)
{
    std::ifstream in(std::string(ORVEX_SOURCE_DIR) + "/content/missions/" + file + ".xml");
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// The engine's extension call, answering the product value the title banner is laid
// out by (prog.xml's "reference_resolution", which the test program does not read).
const char *(*engine_extension)(const char *, const char *) = nullptr;
const char *ReferenceResolution(const char *command, const char *argument)
{
    if (command && argument && strcmp(command, "GetProductValue") == 0 &&
        strcmp(argument, "reference_resolution") == 0)
        return "1024x768";
    return engine_extension ? engine_extension(command, argument) : nullptr;
}

// Sounds asked for by name (then loaded as usual).
std::vector<std::string> sounds;
ov_sound_t *(*engine_get_sound)(const char *) = nullptr;
ov_sound_t *RecordSound(const char *name)
{
    sounds.push_back(name ? name : "");
    return engine_get_sound ? engine_get_sound(name) : nullptr;
}

class ShippedRules : public battletest::BattleTest {
protected:
    void SetUp() override
    {
        BattleTest::SetUp();
        StartGame(1024, 768);
        ASSERT_NO_FATAL_FAILURE(
            gametest::CopyShippedParts(ORVEX_PROGRAM_DIR, kShippedParts, sizeof kShippedParts / sizeof *kShippedParts));
        ov->OV_AddSearchPath("res://data-sfx-WAV_22050_MONO", true);
        engine_extension = ov->OV_CallExtension;
        ov->OV_CallExtension = ReferenceResolution;
        engine_get_sound = ov->OV_GetSound;
        ov->OV_GetSound = RecordSound;
        sounds.clear();
        feature_man.Initialize();
        for (const char *name : {"ArmTroopers", "PickReinforcement", "LevelLost", "LevelWon", "GameOver",
                                 "AchievementUnlocked", "Shop", "PickUpgrade"})
            MakeScreen(name);
        // The battle screen's share of input: every event goes to the controls.
        screen = new controlstest::BattleScreen();
        screens_.push_back(screen);
        Screen::PreLoadScreen(screen);
        battle = screen;
        pause_button = AddComp(screen, "PauseTime", 940, 690, 60, 60);
        AddComp(screen, "Progress", 312, 20, 400, 40);
        sman.PushScreen(screen, 0);
        Steps(20, 0.05f);  // the battle takes input once shown in full
    }
    void TearDown() override
    {
        if (engine_extension)
            ov->OV_CallExtension = engine_extension;
        if (engine_get_sound)
            ov->OV_GetSound = engine_get_sound;
        engine_extension = nullptr;
        engine_get_sound = nullptr;
        BattleTest::TearDown();
    }

    // A fresh world and profile (every tutorial read), and the mission set up from its
    // shipped level file.
    void StartMission(const char *file, int mode, const char *mission_id, const char *chapter_id)
    {
        FreeWorld();
        gametest::ResetGameState();
        Weapon::ClearWeapons();
        Powerup::ClearPowerups();
        ObstacleType::FreeAll();
        profile.Reset("1.xml");
        prof = &profile;
        DMArray *tutorials = dman().GetArray("texts.xml", "tutorial");
        for (int i = 0; tutorials && i < tutorials->GetSize(); i++)
            profile.AddTag("tutorials_completed", tutorials->GetNode(i)->id);
        profile.AddTag("tutorials_completed", "TACTICAL");
        profile.AddTag("tutorials_completed", "TACTICAL_2");
        Powerup::last_powerup_timestamp = 0;
        AppSeedRandom(20261210u);
        MakeWorld();
        controls.Init(CONTROLS_TOUCH_COMMANDS);
        controls.Reset();
        StartLevel(mode, ReadLevel(file), mission_id, chapter_id);
    }

    EntityType *Type(const char *name) { return world->stock->GetEntityType(name); }

    // One touch event of id 0 at (x, y) (reference units are device pixels here).
    void Touch(TouchPhase phase, vec2_t at)
    {
        ASSERT_TRUE(ovdev::headless::inject_touch(phase, 0, (int)at.x, (int)at.y));
        PumpFrame();
    }
    void Key(int symbol)
    {
        ASSERT_TRUE(ovdev::headless::inject_key(symbol, true));
        PumpFrame();
    }

    // Buys a catalogue item as the shop's "Buy" does (money given first).
    ShopPurchase Buy(const char *id)
    {
        DMArray *catalogue = dman().GetArray("shop.xml", "Upgrades");
        DMNode *node = catalogue ? catalogue->GetNode(id) : nullptr;
        EXPECT_NE(nullptr, node) << id;
        ShopItem item = {};
        SetShopItemContents(&item, node);
        game.money = 1000000;
        return BuyShopItem(&item, catalogue);
    }

    // The newest roster trooper.
    Entity *Newest() { return game.troopers.Count() > 0 ? game.troopers[game.troopers.Count() - 1] : nullptr; }

    // Kills a trooper and runs the battle until its record is back in the roster as a
    // dead trooper (the enemies of the waves are cleared meanwhile).
    void KillAndBury(Entity *trooper)
    {
        world->KillEntity(trooper, nullptr, false);
        for (int i = 0; i < 300 && trooper->state != Entity::STATE_FREE; i++) {
            BattleFrame(kStep, false);
            KillEnemies();
        }
        ASSERT_EQ(Entity::STATE_FREE, trooper->state);
        ASSERT_NE(nullptr, trooper->type);  // the roster keeps it
    }

    // Queues more enemies ("Cocoon", inert) than the pool holds around a point and lets
    // them come: the field fills up to the squad's reserve.
    void CrowdTheField(vec2_t around = vec2_t{130.0f, 600.0f})
    {
        SpawnManager *spawns = world->spawn_manager;
        for (int i = 0; i < 500; i++)
            spawns->AddSpawnInfo(spawns->clock, Type("Cocoon"),
                                 vec2_t{around.x + (float)(i % 20 - 10) * 4.0f, around.y + (float)(i / 20 - 12) * 4.0f});
        spawns->Update(0.01f);
        ASSERT_EQ(Stock::PLAYER_RESERVE + 1, world->stock->CountFreeEntities());
        ASSERT_FALSE(spawns->AreEnemiesLeftToSpawn());  // the rest was turned away
    }

    int Living(int group)
    {
        int n = 0;
        for (int i = 0; i < world->stock->num_entities; i++) {
            const Entity &e = world->stock->entities[i];
            n += e.type && e.IsAlive() && e.friend_group == group;
        }
        return n;
    }
    int LivingOf(const char *type)
    {
        int n = 0;
        for (int i = 0; i < world->stock->num_entities; i++) {
            const Entity &e = world->stock->entities[i];
            n += e.type && e.IsAlive() && e.type == Type(type);
        }
        return n;
    }
    // Shots of the squad in flight.
    int SquadShots()
    {
        int n = 0;
        for (int i = 0; i < world->stock->num_entities; i++) {
            const Entity &e = world->stock->entities[i];
            n += e.type && e.IsAlive() && e.friend_group == Entity::PLAYERS && (e.flags & Entity::PROJECTILE);
        }
        return n;
    }

    controlstest::BattleScreen *screen = nullptr;
    UIComp *pause_button = nullptr;
};

// ---- The dead troopers of the roster

TEST_F(ShippedRules, ALivingTrooperGlowsPausesAndTakesTargetsAfterSixteenRosterDeaths)
{
    StartMission("1_4", GAME_MODE_LEVEL, "MISSION1_4", "CHAPTER1");
    ASSERT_TRUE(RunUntil([] { return game.starting_troopers_placed != 0; }, 3.0f, kStep));
    ASSERT_EQ(PURCHASE_DONE, Buy("SQUAD_SIZE_4"));
    ASSERT_EQ(4, game.squad_size);
    // Sixteen troopers bought (no squad slot of their own) fall one after another.
    for (int i = 0; i < 16; i++) {
        ASSERT_EQ(PURCHASE_TROOPER, Buy("MINIGUN_TROOPER")) << i;
        ASSERT_NO_FATAL_FAILURE(KillAndBury(Newest())) << i;
    }
    ASSERT_EQ(PURCHASE_TROOPER, Buy("MINIGUN_TROOPER"));
    Entity *trooper = Newest();
    ASSERT_TRUE(trooper->IsAlive());
    ASSERT_TRUE(RunUntil([trooper] { return trooper->path_pos >= 1.0f || trooper->age > 4.0f; }, 5.0f, kStep));
    KillEnemies();

    // Pressed: selected, and its glow rises frame by frame.
    Touch(TouchPhase::Down, trooper->pos);
    ASSERT_EQ(trooper, controls.GetSelectedEnt(0));
    for (int i = 0; i < 10; i++)
        BattleFrame(kStep, false);
    EXPECT_NEAR(trooper->highlight, 10 * 3.0f * kStep, 1e-3f);
    Touch(TouchPhase::Up, trooper->pos);
    ASSERT_GT(trooper->highlight, 0.5f);

    // The pause key resets it.
    pause_button->visible = true;
    Key(' ');
    ASSERT_TRUE(game.paused);
    EXPECT_EQ(0.0f, trooper->highlight);
    Key(' ');
    ASSERT_FALSE(game.paused);

    // A tap on an enemy in its range makes it the trooper's target.
    profile.AddTag("features", "PRIMARY_TARGET");
    ASSERT_NE(nullptr, trooper->weapon);
    vec2_t at = {trooper->pos.x + 60.0f, trooper->pos.y};
    Entity *enemy = world->SpawnEntity(Type("Cocoon"), at);
    ASSERT_NE(nullptr, enemy);
    trooper->target = nullptr;
    Touch(TouchPhase::Down, at);
    EXPECT_TRUE(controls.IsMarkedTarget(enemy));
    EXPECT_EQ(enemy, trooper->target);
}

TEST_F(ShippedRules, ADeadClassIsOfferedNoUpgrade)
{
    StartMission("1_4", GAME_MODE_LEVEL, "MISSION1_4", "CHAPTER1");
    ASSERT_TRUE(RunUntil([] { return game.starting_troopers_placed != 0; }, 3.0f, kStep));
    DMArray *catalogue = dman().GetArray("shop.xml", "Upgrades");
    ASSERT_NE(nullptr, catalogue);
    for (int i = 0; i < catalogue->GetSize(); i++)
        profile.AddTag("features", catalogue->GetNode(i)->id);
    auto pyro_upgrades = [catalogue] {
        ShopList list;
        RefreshShopItems(list, catalogue, 0.0f, false, vec2_t{0.0f, 0.0f});
        int n = 0;
        for (int i = 0; i < list.count; i++)
            n += strncmp(list.items[i].id, "REARM_PyroTrooper_", 18) == 0;
        return n;
    };
    ASSERT_EQ(0, pyro_upgrades());
    ASSERT_EQ(PURCHASE_DONE, Buy("SQUAD_SIZE_4"));
    ASSERT_EQ(PURCHASE_TROOPER, Buy("PYRO_TROOPER"));
    Entity *pyro = Newest();
    ASSERT_EQ(Type("PyroTrooper"), pyro->type);
    EXPECT_GT(pyro_upgrades(), 0);
    ASSERT_NO_FATAL_FAILURE(KillAndBury(pyro));
    EXPECT_EQ(0, pyro_upgrades());
}

// ---- The squad's reserve of pool records

// Each enemy birth at the edge of the reserve is turned away; the squad still shoots.
TEST_F(ShippedRules, EnemyBirthsStopShortOfTheSquadsReserve)
{
    struct Case {
        const char *name;
        const char *parent;
        const char *child;
        bool dies;  // the birth comes with the parent's death, else with its update
    } cases[] = {
        {"splitter children", "Splitter", "Splitter", true},
        {"quad-splitter children", "Quadblob", "Quadblob", true},
        {"the boss's hounds", "Sandworm", "Hound", true},
        {"a den's hounds", "Den", "Hound", false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        StartMission("2_1", GAME_MODE_LEVEL, "MISSION2_1", "CHAPTER2");
        ASSERT_TRUE(RunUntil([] { return game.starting_troopers_placed != 0; }, 3.0f, kStep));
        game.boss_spawns = 4;
        Entity *parent = world->SpawnEntity(Type(c.parent), vec2_t{300.0f, 200.0f});
        ASSERT_NE(nullptr, parent);
        parent->age = 3.0f;
        ASSERT_NO_FATAL_FAILURE(CrowdTheField());
        const int before = LivingOf(c.child);
        if (c.dies) {
            world->KillEntity(parent, nullptr, false);
        } else {
            for (int i = 0; i < 90; i++)  // a den releases a hound every 2.45 s
                BattleFrame(kStep, false);
        }
        EXPECT_EQ(before - (c.dies && strcmp(c.parent, c.child) == 0 ? 1 : 0), LivingOf(c.child));
        Entity *trooper = game.troopers[0];
        const int shots = SquadShots();
        trooper->weapon->Fire(trooper, trooper->pos, 0.0f);
        EXPECT_GT(SquadShots(), shots);
    }
}

// Five quad blobs die in a field crowded to a few records above the reserve: their
// children take what is left above it, and the squad goes on firing at the crowd.
TEST_F(ShippedRules, TroopersFireAfterFiveQuadBlobsDieInACrowdedField)
{
    StartMission("2_1", GAME_MODE_LEVEL, "MISSION2_1", "CHAPTER2");
    ASSERT_TRUE(RunUntil([] { return game.starting_troopers_placed != 0; }, 3.0f, kStep));
    ASSERT_TRUE(RunUntil([] { return game.troopers[0]->path_pos >= 1.0f; }, 6.0f, kStep));
    std::vector<Entity *> blobs;
    for (int i = 0; i < 5; i++) {
        blobs.push_back(world->SpawnEntity(Type("Quadblob"), vec2_t{100.0f + 40.0f * (float)i, 150.0f}));
        ASSERT_NE(nullptr, blobs.back());
    }
    // The crowd stands in the squad's range.
    const Entity *first = game.troopers[0];
    ASSERT_NO_FATAL_FAILURE(CrowdTheField(vec2_t{first->pos.x - 90.0f, first->pos.y}));
    // Three records above the reserve (three of the crowd gone): a few children come,
    // the rest are turned away.
    int gone = 0;
    for (int i = 0; i < world->stock->num_entities && gone < 3; i++) {
        Entity *e = &world->stock->entities[i];
        if (e->type == Type("Cocoon") && e->IsAlive()) {
            world->KillEntity(e, nullptr, true);
            world->stock->FreeEntity(e);
            gone++;
        }
    }
    ASSERT_EQ(Stock::PLAYER_RESERVE + 4, world->stock->CountFreeEntities());
    for (Entity *blob : blobs)
        world->KillEntity(blob, nullptr, false);
    EXPECT_EQ(Stock::PLAYER_RESERVE + 1, world->stock->CountFreeEntities());
    EXPECT_EQ(3, LivingOf("Quadblob"));

    // The troopers fire at the crowd: their shots fly.
    const int shots_before = game.shots_fired;
    bool shots_flew = false;
    for (int i = 0; i < 90 && !shots_flew; i++) {
        BattleFrame(kStep, false);
        shots_flew = SquadShots() > 0;
    }
    EXPECT_TRUE(shots_flew);
    EXPECT_GT(game.shots_fired, shots_before);
}

TEST_F(ShippedRules, ADuePickUpSpawnsInACrowdedField)
{
    StartMission("x-supply-run", GAME_MODE_COLLECTOR, "MISSION1_1", "EXTRAS");
    ASSERT_TRUE(RunUntil([] { return game.starting_troopers_placed != 0; }, 3.0f, kStep));
    ASSERT_NO_FATAL_FAILURE(CrowdTheField());
    for (const char *kind : {"PowerupHealth", "PowerupSuperWeapon", "PowerupScore"}) {
        SCOPED_TRACE(kind);
        const int before = LivingOf(kind);
        game.SpawnPowerUp(kind);
        ASSERT_TRUE(world->spawn_manager->AreEnemiesLeftToSpawn());  // queued
        BattleFrame(kStep, false);
        EXPECT_EQ(before + 1, LivingOf(kind));
        EXPECT_FALSE(world->spawn_manager->AreEnemiesLeftToSpawn());
    }
    // An enemy queued now is still turned away.
    const int enemies = Living(Entity::ENEMIES);
    world->spawn_manager->AddSpawnInfo(world->spawn_manager->clock, Type("Hound"), vec2_t{500.0f, 100.0f});
    BattleFrame(kStep, false);
    EXPECT_EQ(enemies, Living(Entity::ENEMIES));
}

// ---- The bunker's outline

TEST_F(ShippedRules, OnlyALevelWithABunkerGetsItsOutline)
{
    struct Case {
        const char *file;
        int mode;
        bool bunker;
    } cases[] = {
        {"x-field-hospital", GAME_MODE_DEFEND_THE_FLAG, false},
        {"x-open-ground", GAME_MODE_OPEN_AREA, false},
        {"1_1", GAME_MODE_LEVEL, true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.file);
        StartMission(c.file, c.mode, "MISSION1_1", c.mode == GAME_MODE_LEVEL ? "CHAPTER1" : "EXTRAS");
        EXPECT_EQ(c.bunker, game.base != nullptr);
        // The top-left corner of the field is open ground unless a level obstacle is there.
        int outlines = 0;
        for (int i = 0; i < world->placed_obstacles.Count(); i++)
            outlines += strstr(world->placed_obstacles[i]->type->name, "obstacles/bunker.xml") != nullptr;
        EXPECT_EQ(c.bunker ? 1 : 0, outlines);
        if (!c.bunker) {
            for (vec2_t p : {vec2_t{5.0f, 5.0f}, vec2_t{30.0f, 20.0f}, vec2_t{60.0f, 60.0f}}) {
                EXPECT_FALSE(world->IsPointInsideObstacle(p, 10.0f)) << p.x << ", " << p.y;
            }
        } else {
            EXPECT_TRUE(world->IsPointInsideObstacle(game.base->pos, 10.0f));
        }
    }
}

// ---- The final wave's banner

TEST_F(ShippedRules, FinalWaveBannerShowsWhenTheLastWaveStarts)
{
    StartMission("1_1", GAME_MODE_LEVEL, "MISSION1_1", "CHAPTER1");
    ASSERT_EQ(3, game.num_waves);
    auto final_wave_sounds = [] {
        int n = 0;
        for (const std::string &s : sounds)
            n += s == "sfx/final_wave";
        return n;
    };
    // The squad holds: every wave's enemies fall as they come.
    for (int wave = 1; wave <= 3; wave++) {
        ASSERT_TRUE(RunUntil(
            [this, wave] {
                KillEnemies();
                return game.wave_number == wave;
            },
            30.0f, kStep))
            << wave;
        ASSERT_TRUE(RunUntil([] { return game.wave_banner_phase >= 0.45f; }, 3.0f, kStep));
        EXPECT_EQ(wave == 3 ? 1 : 0, final_wave_sounds()) << wave;
        if (wave < 3) {
            ASSERT_TRUE(RunUntil([] { return game.wave_banner_phase == 0.0f; }, 5.0f, kStep));
        }
    }

    // Drawn as the battle shows it: the banner's two bands, then without the banner.
    DrawBattleFrame();
    Frame shown = widgettest::ReadFrame();
    ASSERT_TRUE(widgettest::SavePng(shown, enginetest::ShotPath("rules", "final-wave-1_1.png")));
    const float phase = game.wave_banner_phase;
    game.wave_banner_phase = 0.0f;
    DrawBattleFrame();
    Frame plain = widgettest::ReadFrame();
    game.wave_banner_phase = phase;

    // The band: the rows the banner darkens across the field (most of the columns away
    // from the texts; a creature may stand in a few), one run.
    std::vector<int> dark;
    for (int y = 300; y < 700; y++) {
        int darker = 0;
        for (int x : {5, 60, 120, 180, 240, 300, 720, 780, 840, 900, 960, 1018}) {
            Rgba a = shown.At(x, y), b = plain.At(x, y);
            darker += a[0] + a[1] + a[2] + 30 < b[0] + b[1] + b[2];
        }
        if (darker >= 9)
            dark.push_back(y);
    }
    ASSERT_FALSE(dark.empty());
    EXPECT_EQ((int)dark.size(), dark.back() - dark.front() + 1) << "one unbroken band";
    const float line = (float)world->stock->font_medium->line_height;
    EXPECT_NEAR((float)dark.size(), 2.0f * (line + 18.0f), 2.0f) << "two bands";
    EXPECT_NEAR((float)dark.back() + 1.0f, 537.6f + (line + 18.0f) / 2.0f, 1.5f) << "the title's band at 0.7 x 768";
    // White text in each half of it: "FINAL WAVE" above, the wave's title below.
    const int middle = (dark.front() + dark.back()) / 2;
    auto white = [](const Rgba &p) { return p[0] > 220 && p[1] > 220 && p[2] > 220; };
    auto upper = widgettest::LitBox(shown, 200, dark.front(), 823, middle, white);
    auto lower = widgettest::LitBox(shown, 200, middle + 1, 823, dark.back(), white);
    ASSERT_NE(-1, upper[0]);
    ASSERT_NE(-1, lower[0]);
    EXPECT_NEAR((upper[0] + upper[2]) / 2.0f, 512.0f, 4.0f);
    EXPECT_NEAR((lower[0] + lower[2]) / 2.0f, 512.0f, 4.0f);
    EXPECT_STREQ("The pack", game.wave_banner_text);
}

}  // namespace
