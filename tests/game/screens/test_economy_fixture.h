// The economy's screens on the headless engine: the game fixture's world with the five
// trooper classes and a bunker type, a fixture catalogue "shop.xml", fixture UI scripts
// for "Shop", "PickReinforcement", "ArmTroopers", "ChooseUpgrade" and "PickUpgrade",
// the real screens preloaded from them, and a fresh active profile. The game state is
// set by hand (money, squad size, bunker) rather than through a level.
#ifndef TESTS_GAME_SCREENS_TEST_ECONOMY_FIXTURE_H
#define TESTS_GAME_SCREENS_TEST_ECONOMY_FIXTURE_H

#include "tests/game/game_fixture.h"

#include "app/services/profiles.h"
#include "game/gamestate.h"
#include "platform/headless.h"

#include <string>

struct Entity;
class DMArray;
class Screen;

namespace economytest {

// The fixture catalogue's nodes (see the .cpp for what each item exercises).
extern const char *const kCatalogue;

class EconomyTest : public gametest::GameTest {
protected:
    void SetUp() override;
    void TearDown() override;
    // Engine (1024 x 768), world, catalogue, profile; money 0, squad of 3, no bunker.
    void StartEconomy(const std::string &catalogue_nodes = kCatalogue);
    // Unlocks catalogue ids in the profile's "features".
    void Unlock(const char *ids);
    // Spawns a live entity of the type at (x, y).
    Entity *Spawn(const char *type, float x, float y);
    // A bunker at (900, 600) with `hp` of its 1000 hit points, set as the game's base.
    Entity *MakeBunker(float hp);
    // `n` living minigun troopers.
    void Troopers(int n);
    DMArray *Catalogue();

    // The real screen preloaded from its fixture UI script, pushed and faded in.
    void Open(Screen *screen);
    // n screen-manager updates of dt.
    void Run(int n, float dt) { Steps(n, dt); }
    // One injected tap (press and release) at device pixels, delivered by engine frames.
    void Tap(int x, int y);
    void Key(int symbol);
    // Draws a frame and keeps it as a picture under the shots folder (economy/).
    void Shot(const char *file);
    // The component's centre (static position) in device pixels.
    vec2_t Centre(Screen *screen, const char *comp);
    // The text of a text box (or a button's label), "" without one.
    std::string TextOf(Screen *screen, const char *comp);

    Profile profile;
    bool screens_started_ = false;
};

// Writes the five fixture UI scripts into the program directory.
void WriteScreenScripts();

}  // namespace economytest

#endif
