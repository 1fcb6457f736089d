// The game fixture (see game_fixture.h).
#include "tests/game/game_fixture.h"

#include "app/services/dataman.h"
#include "app/ui/partfx.h"
#include "game/entities/powerups.h"
#include "game/entities/stock.h"
#include "game/entities/weapons.h"
#include "game/gamestate.h"
#include "game/obstacles.h"

#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <new>

namespace gametest {

std::string XmlArray(const std::string &array_id, const std::string &nodes)
{
    return "<?xml version=\"1.0\"?>\n<root>\n<array id=\"" + array_id + "\">\n" + nodes + "\n</array>\n</root>\n";
}

void ResetGameState()
{
    game.~GameState();
    new (&game) GameState();
}

void GameTest::SetUp()
{
    uitest::UITest::SetUp();
    ResetGameState();
}

void GameTest::StartGame(int w, int h, int ref_w, int ref_h)
{
    StartUI(w, h, ref_w > 0 ? ref_w : w, ref_h > 0 ? ref_h : h);
    pbman.Init();
    effects_started_ = true;
    // Empty tables unless a test writes its own.
    WriteEntities("");
    WriteWeapons("");
    WritePowerups("");
    apptest::WriteFile("spawn-groups.xml", XmlArray("groups", ""));
    apptest::WriteFile("spawn-events.xml", XmlArray("events", ""));
    apptest::WriteFile("gameplay-global.xml", XmlArray("gameplay", ""));
}

void GameTest::WriteEntities(const std::string &nodes)
{
    apptest::WriteFile("entities.xml", XmlArray("entities", nodes));
    dman().ReleaseDatabase("entities.xml");
}

void GameTest::WriteWeapons(const std::string &nodes)
{
    apptest::WriteFile("weapons.xml", XmlArray("weapons", nodes));
    dman().ReleaseDatabase("weapons.xml");
}

void GameTest::WritePowerups(const std::string &nodes)
{
    apptest::WriteFile("powerups.xml", XmlArray("powerups", nodes));
    dman().ReleaseDatabase("powerups.xml");
}

Scape *GameTest::MakeWorld(int columns, int rows, float cell_size)
{
    FreeWorld();
    world = new Scape;
    world->Init(columns, rows, cell_size);
    SetScape(world);
    return world;
}

void CopyShippedParts(const std::string &program_dir, const char *const *parts, size_t count)
{
    for (size_t i = 0; i < count; i++) {
        std::string from = program_dir + "/" + parts[i];
        struct stat st;
        if (stat(from.c_str(), &st) != 0)
            continue;  // art still to ship
        std::string cmd = "cp -RL '" + from + "' app/native/";
        ASSERT_EQ(system(cmd.c_str()), 0) << cmd;
    }
}

std::vector<std::string> popups;

int RecordPopupf(int level, const char *fmt, ...)
{
    char text[1024];
    va_list args;
    va_start(args, fmt);
    vsnprintf(text, sizeof text, fmt, args);
    va_end(args);
    popups.push_back(std::to_string(level) + ": " + text);
    return 1;
}

void GameTest::DrawBattleFrame()
{
    apptest::draw = [this](float) {
        ov->OV_ClearScreen(0, 0, 0);
        ov->OV_PushTransform(nullptr);
        world->Draw(0.0f);
        game.Draw();
        ov->OV_PopTransform();
    };
    DrawFrame();
    apptest::draw = nullptr;
}

void GameTest::FreeWorld()
{
    if (!world)
        return;
    SetScape(nullptr);
    delete world;
    world = nullptr;
}

void GameTest::TearDown()
{
    FreeWorld();
    // A world the game made itself (the battle screen's preload builds one when a test
    // plays a battle through the screens) goes too: its stock's types name weapons of
    // the table emptied below and hold this engine's bitmaps, fonts and effects, so the
    // next test's battle must not find it.
    if (Scape *left = GetScape()) {
        SetScape(nullptr);
        delete left;
    }
    ResetGameState();
    Weapon::ClearWeapons();
    Powerup::ClearPowerups();
    ObstacleType::FreeAll();
    dman().ReleaseAllDatabases();
    if (effects_started_)
        pbman.Shutdown();
    effects_started_ = false;
    uitest::UITest::TearDown();
}

}  // namespace gametest
