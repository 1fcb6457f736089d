// The battle frame driver and the fixture battle (see battle_driver.h).
#include "tests/game/battle_driver.h"

#include "app/services/dataman.h"
#include "app/services/random.h"
#include "game/controls.h"
#include "game/entities/entity.h"
#include "game/entities/powerups.h"
#include "game/entities/stock.h"
#include "game/scape.h"
#include "game/spawn-manager.h"

namespace battletest {

const char *const kBattleTypes =
    "<node id=\"Trooper\" flags=\"NORMAL MOVABLE\" friend_group=\"PLAYERS\" radius=\"10\" scale=\"1\""
    " hit_points=\"100\"/>\n"
    "<node id=\"Alien\" flags=\"NORMAL MOVABLE\" friend_group=\"ENEMIES\" radius=\"10\" scale=\"1\""
    " hit_points=\"50\" points_worth=\"10\"/>\n"
    "<node id=\"BaseBunker\" type=\"Structure\" flags=\"NORMAL BLOCKS_MOVEMENT\" friend_group=\"PLAYERS\""
    " radius=\"40\" scale=\"1\" hit_points=\"1000\" ai=\"BaseBunker\"/>\n"
    "<node id=\"MedTent\" type=\"Structure\" flags=\"NORMAL BLOCKS_MOVEMENT\" friend_group=\"PLAYERS\""
    " radius=\"30\" scale=\"1\" hit_points=\"500\"/>\n"
    "<node id=\"PowerupScore\" type=\"Powerup\" flags=\"POWERUP\" friend_group=\"PLAYERS\" radius=\"12\""
    " scale=\"1\" hit_points=\"1\"/>\n"
    "<node id=\"PowerupHealth\" type=\"Powerup\" flags=\"POWERUP\" friend_group=\"PLAYERS\" radius=\"12\""
    " scale=\"1\" hit_points=\"1\"/>\n"
    "<node id=\"PowerupSuperWeapon\" type=\"Powerup\" flags=\"POWERUP\" friend_group=\"PLAYERS\" radius=\"12\""
    " scale=\"1\" hit_points=\"1\"/>\n";

void BattleFrame(float dt, bool draw)
{
    Scape *world = GetScape();
    if (!world)
        return;
    if (world->spawn_manager)
        world->spawn_manager->SetSpawnParms(vec2_t{512.0f, 384.0f}, 1, 1);
    controls.Update(dt);
    game.UpdateTutorial(dt);
    // A pausing tutorial stops the world and the game state.
    float step = game.tutorial_shown && game.tutorial_pauses ? 0.0f : dt;
    world->Update(step);
    game.Update(step);
    if (draw) {
        world->Draw(step);
        game.Draw();
    }
}

std::string Array(const std::string &id, const std::string &nodes)
{
    return "<array id=\"" + id + "\">\n" + nodes + "\n</array>\n";
}

std::string LevelXml(const std::string &arrays)
{
    return "<?xml version=\"1.0\"?>\n<root>\n" + arrays + "</root>\n";
}

void BattleTest::SetUp()
{
    gametest::GameTest::SetUp();
    controls.Reset();
}

void BattleTest::TearDown()
{
    controls.Reset();
    controls.Init(0);
    if (prof == &profile)
        prof = nullptr;
    battle = nullptr;
    gametest::GameTest::TearDown();
}

void BattleTest::StartBattleWorld()
{
    StartGame(1024, 768);
    WriteEntities(kBattleTypes);
    MakeWorld();
    profile.Reset("1.xml");
    prof = &profile;
    for (const char *name : {"ArmTroopers", "PickReinforcement", "LevelLost", "LevelWon", "GameOver",
                             "AchievementUnlocked"})
        MakeScreen(name);
    battle = MakeScreen("Game");
    sman.PushScreen(battle, 0);
    Steps(1, 0.0f);
    controls.Init(CONTROLS_TOUCH_COMMANDS);
    controls.Reset();
    uitest::calls.clear();
}

void BattleTest::StartOnShippedData(const char *program_dir, const char *const *parts, size_t count)
{
    StartGame(1024, 768);
    ASSERT_NO_FATAL_FAILURE(gametest::CopyShippedParts(program_dir, parts, count));
    ov->OV_AddSearchPath("res://data-sfx-WAV_22050_MONO", true);
    AppSeedRandom(20261210u);
    Powerup::last_powerup_timestamp = 0;
    MakeWorld();
    FreshProfileWithEveryTutorialSeen();
}

void BattleTest::FreshProfileWithEveryTutorialSeen()
{
    profile.Reset("1.xml");
    prof = &profile;
    for (const char *db : {"texts.xml", "powerups.xml"}) {
        DMDatabase *texts = dman().GetDatabase(db);
        DMArray *names = texts ? texts->GetArray(0) : nullptr;
        for (int i = 0; names && i < names->GetSize(); i++)
            profile.AddTag("tutorials_completed", names->GetNode(i)->id);
    }
}

void BattleTest::StartLevel(int mode, const std::string &level_xml, const char *mission_id, const char *chapter_id)
{
    apptest::WriteFile("level.xml", level_xml);
    dman().ReleaseDatabase("level.xml");
    parms = NewGameParms{};
    parms.game_mode = mode;
    snprintf(parms.chapter_id, sizeof parms.chapter_id, "%s", chapter_id);
    snprintf(parms.mission_id, sizeof parms.mission_id, "%s", mission_id);
    snprintf(parms.level_file, sizeof parms.level_file, "%s", "level.xml");
    new_game_parms = parms;
    game.InitNewGame(&new_game_parms);
}

void BattleTest::Frames(int n, float dt, int draw_every)
{
    for (int i = 0; i < n; i++)
        BattleFrame(dt, draw_every > 0 && i % draw_every == 0);
}

bool BattleTest::OnTop(const char *name)
{
    Screen *top = sman.PeekScreen(0);
    return top && top->name && strcmp(top->name, name) == 0;
}

void BattleTest::KillEnemies()
{
    for (int i = 0; i < world->stock->num_entities; i++) {
        Entity *e = &world->stock->entities[i];
        if (e->type && e->IsAlive() && e->friend_group == Entity::ENEMIES)
            world->KillEntity(e, nullptr, false);
    }
}

void BattleTest::KillTroopers()
{
    for (int i = 0; i < game.troopers.Count(); i++)
        if (game.troopers[i]->IsAlive())
            world->KillEntity(game.troopers[i], nullptr, false);
}

int BattleTest::LivingEnemies()
{
    int n = 0;
    for (int i = 0; i < world->stock->num_entities; i++) {
        Entity *e = &world->stock->entities[i];
        if (e->type && e->IsAlive() && e->friend_group == Entity::ENEMIES)
            n++;
    }
    return n;
}

}  // namespace battletest
