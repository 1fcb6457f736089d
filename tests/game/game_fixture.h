// The game layer on the headless engine: the screen framework and its services up (with
// the effect library), the data files a world needs written into the scratch program
// directory, and the world
// (`scape`) built with its stock and published. Every test starts with a fresh game
// state and ends with the world withdrawn and freed (the fixture's, or one the game's
// battle screen built) and the static tables of weapons, power-ups and obstacle types
// emptied.
//
// Typical use:
//   StartGame();
//   WriteEntities("<node id=\"Grunt\" flags=\"NORMAL MOVABLE\" hit_points=\"50\" .../>");
//   Scape *world = MakeWorld();
//   Entity *e = world->SpawnEntity(world->stock->GetEntityType("Grunt"), {100, 100});
#ifndef TESTS_GAME_GAME_FIXTURE_H
#define TESTS_GAME_GAME_FIXTURE_H

#include "tests/app/ui/ui_fixture.h"

#include "game/scape.h"

#include <stddef.h>

#include <string>
#include <vector>

namespace gametest {

// An XML database text of one array holding the given node lines.
std::string XmlArray(const std::string &array_id, const std::string &nodes);

class GameTest : public uitest::UITest {
protected:
    void SetUp() override;
    void TearDown() override;
    // Engine and screen framework on a w x h display whose reference layout is
    // ref_w x ref_h (0: the display's own size).
    void StartGame(int w = 1024, int h = 768, int ref_w = 0, int ref_h = 0);
    // Writes "entities.xml" with these nodes, replacing any earlier one (before MakeWorld).
    void WriteEntities(const std::string &nodes);
    // Writes "weapons.xml" / "powerups.xml" with these nodes.
    void WriteWeapons(const std::string &nodes);
    void WritePowerups(const std::string &nodes);
    // Builds the world with Init(columns, rows, cell size) and publishes it as `scape`.
    Scape *MakeWorld(int columns = 8, int rows = 6, float cell_size = 128.0f);
    // Withdraws and frees the world (TearDown does it too).
    void FreeWorld();
    // One engine frame drawing the battle as its screen does: on black, the world, then
    // the game state over it (read it back with the widget fixture's ReadFrame).
    void DrawBattleFrame();

    Scape *world = nullptr;

private:
    bool effects_started_ = false;
};

// Puts the global game state back to a freshly constructed one.
void ResetGameState();

// Copies these parts (files or folders) of a built program directory into the test's
// "app/native/"; a part the directory does not hold (art still to ship) is passed over.
void CopyShippedParts(const std::string &program_dir, const char *const *parts, size_t count);

// Every popup of the run as "<level>: <text>", when OV_Popupf is RecordPopupf.
extern std::vector<std::string> popups;
int RecordPopupf(int level, const char *fmt, ...);

}  // namespace gametest

#endif
