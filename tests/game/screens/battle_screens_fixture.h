// The battle road on the headless engine: the real "LoaderTransition" and "Game"
// screens preloaded against fixture UI scripts, the world the battle screen builds,
// a fixture "missions.xml" with its levels, fixture types, a fresh active profile and
// probe screens under the names the two screens push, switch to or message ("PlayMenu",
// "MainMenu", "Credits", "PauseMenu", "GameOver" and the battle's own overlays). The
// engine's music calls are recorded.
#ifndef TESTS_GAME_SCREENS_BATTLE_SCREENS_FIXTURE_H
#define TESTS_GAME_SCREENS_BATTLE_SCREENS_FIXTURE_H

#include "tests/game/game_fixture.h"

#include "app/services/profiles.h"

#include <string>
#include <vector>

class ScreenGame;
class ScreenLoaderTransition;

namespace screentest {

// Music calls in order: "Play <name> <fade>", "Stop <fade>", "Slide <seconds>".
extern std::vector<std::string> music;

// The fixture catalogue: CHAPTER2 holds MISSION2_3 (SURVIVAL, with a picture),
// MISSION2_4 (level, no picture), MISSION2_5 (an unknown mode), MISSION2_6 (no level);
// EXTRAS holds MISSION9_1 and PLAIN (no '_').
extern const char *const kMissions;

class BattleScreensTest : public gametest::GameTest {
protected:
    void SetUp() override;
    void TearDown() override;
    // Engine (w x h display and layout), content, world and screens.
    void StartScreens(int w = 320, int h = 240);
    // n engine frames of `ms` each (update and draw).
    void Frames(int n, int ms = 16);
    // Frames until the predicate holds (at most `limit` frames); whether it held.
    template <typename Pred>
    bool FramesUntil(Pred pred, int limit = 400, int ms = 16)
    {
        for (int i = 0; i < limit; i++) {
            if (pred())
                return true;
            Frames(1, ms);
        }
        return pred();
    }
    bool OnTop(const char *name);
    bool Stacked(const char *name);
    // The text of a text box of the loader transition.
    std::string Text(const char *comp);
    // Sends the loader transition a message and switches to it, as a UI script does.
    void SendAndSwitch(const char *message, const char *value);
    // Injects a platform event (key or touch) and runs one frame.
    void Key(int code);
    void Tap(int x, int y);

    ScreenLoaderTransition *loader = nullptr;
    ScreenGame *battle = nullptr;
    Profile profile;
};

}  // namespace screentest

#endif
