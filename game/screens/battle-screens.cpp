// The battle road's two screens, named here so that a program linked from the game's
// archive keeps them (see loader-transition.h and battle-screen.h).
#include "game/screens/battle-screen.h"
#include "game/screens/loader-transition.h"

void RegisterBattleScreens()
{
    GetLoaderTransitionScreen();
    GetBattleScreen();
}
