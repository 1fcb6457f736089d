// Fuzzes what the game builds from its content databases: the values, not only the XML.
// The input's first byte (modulo the number of files; the seeds use '0' to '9') chooses
// one of the shipped files below, the rest replaces it; the other files stay as shipped.
// A battlefield is built (entity types, power-ups, the stock), the shipped first mission
// is set up from its level file and "gameplay-global.xml" (waves, squad, terrain,
// obstacles and their outlines, upgrades, spawn groups and events), and the battle runs
// for a few seconds of game time with every frame's rules, as the battle screen runs
// them. Whatever a file holds, the set-up and the frames must neither crash nor overflow.
#include "app/services/dataman.h"
#include "app/services/luaman.h"
#include "app/ui/partfx.h"
#include "fuzz/fuzz_env.h"
#include "game/controls.h"
#include "game/entities/powerups.h"
#include "game/entities/stock.h"
#include "game/entities/weapons.h"
#include "game/gamestate.h"
#include "game/obstacles.h"
#include "game/scape.h"
#include "game/spawn-manager.h"

#include <limits.h>
#include <stdio.h>
#include <stdlib.h>

#include <new>
#include <string>

namespace {

// The files an input may replace, by the selector's value.
const char *const kFiles[] = {
    "entities.xml",  "weapons.xml",     "powerups.xml",     "gameplay-global.xml",          "missions/1_1.xml",
    "shop.xml",      "spawn-groups.xml", "spawn-events.xml", "terrain/obstacles/rock-a.xml", "missions.xml",
};
const int kNumFiles = (int)(sizeof kFiles / sizeof kFiles[0]);

// The shipped text of each file, read once from the source tree.
std::string shipped[kNumFiles];

bool Restore(int i)
{
    return fuzzenv::WriteResFile(kFiles[i], (const uint8_t *)shipped[i].data(), shipped[i].size());
}

// Every table the last battle filled, emptied.
void ForgetContent()
{
    Weapon::ClearWeapons();
    Powerup::ClearPowerups();
    ObstacleType::FreeAll();
    dman().ReleaseAllDatabases();
    game.~GameState();
    new (&game) GameState();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    fuzzenv::Start();
    for (const char *dir : {"missions", "terrain", "terrain/obstacles"})
        ov->OV_CreateDirectory((std::string("res://") + dir).c_str());
    for (int i = 0; i < kNumFiles; i++) {
        shipped[i] = fuzzenv::ReadText(std::string(ORVEX_CONTENT_DIR "/") + kFiles[i]);
        if (shipped[i].empty() || !Restore(i)) {
            fprintf(stderr, "fuzz_content: no shipped %s\n", kFiles[i]);
            exit(1);
        }
    }
    lua_man.Initialize();
    pbman.Init();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1 || size > INT_MAX)
        return 0;
    fuzzenv::BeginInput();
    int which = data[0] % kNumFiles;
    if (!fuzzenv::WriteResFile(kFiles[which], data + 1, size - 1))
        return 0;
    ForgetContent();
    Scape *world = new Scape;
    world->Init(32, 24, 32.0f);
    SetScape(world);
    controls.Init(CONTROLS_TOUCH_COMMANDS);
    controls.Reset();
    NewGameParms parms = {};
    parms.game_mode = GAME_MODE_LEVEL;
    snprintf(parms.chapter_id, sizeof parms.chapter_id, "%s", "CHAPTER1");
    snprintf(parms.mission_id, sizeof parms.mission_id, "%s", "MISSION1_1");
    snprintf(parms.level_file, sizeof parms.level_file, "%s", "missions/1_1.xml");
    new_game_parms = parms;
    game.InitNewGame(&new_game_parms);
    // The battle screen's frame order, a tenth of a second a frame.
    for (int frame = 0; frame < 40; frame++) {
        if (world->spawn_manager)
            world->spawn_manager->SetSpawnParms(vec2_t{512.0f, 384.0f}, game.score / 10000 + 1, 1);
        controls.Update(0.1f);
        game.UpdateTutorial(0.1f);
        world->Update(0.1f);
        game.Update(0.1f);
    }
    if (game.living_troopers < 0 || game.wave_number < 0 || world->stock->num_entities < 0)
        __builtin_trap();
    controls.Reset();
    SetScape(nullptr);
    delete world;
    ForgetContent();
    Restore(which);
    return 0;
}
