// The result screens on the headless engine: the online fixture (product features, an
// active profile, a block font) with the analytics play log and the leaderboards on,
// fixture data ("shop.xml", "ranks.xml", "missions.xml", the leaderboard categories) and
// fixture UI scripts for the result screens, and a squad of fixture troopers in the
// game state.
#ifndef TESTS_GAME_SCREENS_TEST_RESULTS_FIXTURE_H
#define TESTS_GAME_SCREENS_TEST_RESULTS_FIXTURE_H

#include "tests/online/online_fixture.h"

#include "game/entities/entity-types.h"
#include "game/entities/entity.h"
#include "game/entities/weapons.h"

#include <memory>
#include <string>
#include <vector>

class Screen;
class UIComp;

namespace resultstest {

// One fixture trooper: entity type name, weapon id ("" none), damage, kills, shots.
struct FixtureTrooper {
    const char *type;
    const char *weapon;
    float damage;
    int kills;
    int shots;
};

// The card layout of the fixture scripts: card i at x = kCardX0 + i x kCardSpacing.
const float kCardX0 = 20.0f;
const float kCardSpacing = 120.0f;

class ResultsTest : public onlinetest::OnlineTest {
protected:
    // Features: the product features besides ANALYST and ANALYST_LOCAL_STORE.
    void Begin(const std::string &features = "", int w = 640, int h = 480);
    void TearDown() override;

    // The game state's squad, replacing any earlier one.
    void SetSquad(const std::vector<FixtureTrooper> &squad);
    // Preloads a screen afresh (its fixture UI script read again).
    void Preload(Screen *screen);
    // The text of a text box or button ("" when missing).
    std::string Text(Screen *screen, const std::string &comp);
    bool Visible(Screen *screen, const std::string &comp);
    // The active profile's play log, one entry per line.
    std::vector<std::string> PlayLog();
    // Pushes the screen and runs frames until its fade-in is complete.
    void PushAndSettle(Screen *screen);
    // Writes the frame into the shots folder (results/).
    void Shot(const std::string &name);

    std::vector<Entity> troopers_;
    std::vector<std::unique_ptr<EntityType>> types_;
    std::vector<std::unique_ptr<Weapon>> weapons_;
};

// The fixture UI script of a result screen with the five cards and the summary texts,
// plus the given extra lines.
std::string ResultScript(const std::string &extra);

// The "unlocks" of the fixture mission "MISSION2_3": 40 feature ids, over 900 characters.
std::string LongUnlockList();

}  // namespace resultstest

#endif
