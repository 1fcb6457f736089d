// Builds the result and leaderboards screens so that they are registered by name before
// the screens are preloaded.
#include "game/screens/game-over.h"
#include "game/screens/leaderboards-screen.h"
#include "game/screens/level-won.h"

void RegisterResultScreens()
{
    GetGameOverScreen();
    GetLevelLostScreen();
    GetLevelWonScreen();
    GetFeatureUnlockedScreen();
    GetLeaderboardsScreen();
}
