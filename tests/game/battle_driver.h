// Battles driven frame by frame in the battle screen's order, until the battle screen
// itself exists: the spawn parameters, the controls, the tutorial, the world, the game
// state, then the world's and the game state's drawing.
//
// `BattleTest` is the game fixture with a fixture battle: entity types "Trooper",
// "Alien", "BaseBunker", "MedTent", "PowerupScore", "PowerupHealth",
// "PowerupSuperWeapon"; the screens the rules push or message by name ("Game" on the
// stack, "ArmTroopers", "PickReinforcement", "LevelLost", "LevelWon", "GameOver",
// "AchievementUnlocked") as probe screens recording what arrives; a fresh active
// profile. `StartLevel` writes a level file and sets the mission up.
#ifndef TESTS_GAME_BATTLE_DRIVER_H
#define TESTS_GAME_BATTLE_DRIVER_H

#include "tests/game/game_fixture.h"

#include "app/services/profiles.h"
#include "game/gamestate.h"

#include <string>

namespace battletest {

// One battle frame of dt seconds; the drawing only when `draw` is set.
void BattleFrame(float dt, bool draw = true);

// The text of a level file: the given arrays (each "<array id=...>...</array>").
std::string LevelXml(const std::string &arrays);
// One array of nodes.
std::string Array(const std::string &id, const std::string &nodes);

class BattleTest : public gametest::GameTest {
protected:
    void SetUp() override;
    void TearDown() override;
    // Engine, world, screens and profile (1024 x 768).
    void StartBattleWorld();
    // The same on the shipped data (1024 x 768): these parts of the built program
    // directory, its WAV sound effects on the search path, the random helper seeded with
    // 20261210, no power-up dropped yet, a fresh active profile that has seen every
    // tutorial (none may halt the field). No screen is made.
    void StartOnShippedData(const char *program_dir, const char *const *parts, size_t count);
    // A fresh active profile that has seen every tutorial of the loaded "texts.xml" and
    // "powerups.xml" (nobody is there to close them).
    void FreshProfileWithEveryTutorialSeen();
    // Writes `level.xml` with this text and sets up the mission in that mode.
    void StartLevel(int mode, const std::string &level_xml, const char *mission_id = "MISSION2_1",
                    const char *chapter_id = "CHAPTER2");
    // n frames of dt; the drawing of every `draw_every`-th (0: never).
    void Frames(int n, float dt = 1.0f / 20.0f, int draw_every = 0);
    // Runs frames of dt until the predicate holds or the seconds run out; whether it held.
    template <typename Pred>
    bool RunUntil(Pred pred, float seconds, float dt = 1.0f / 20.0f)
    {
        for (float t = 0.0f; t < seconds; t += dt) {
            if (pred())
                return true;
            BattleFrame(dt, false);
        }
        return pred();
    }
    // Whether the named screen is on top of the stack.
    bool OnTop(const char *name);
    // Kills every living entity of the ENEMIES group.
    void KillEnemies();
    // Kills every living trooper of the roster.
    void KillTroopers();
    int LivingEnemies();

    uitest::ProbeScreen *battle = nullptr;
    Profile profile;
    NewGameParms parms = {};
};

// The entity types of the fixture battle (an entities.xml body).
extern const char *const kBattleTypes;

}  // namespace battletest

#endif
