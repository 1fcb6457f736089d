// The one game state: its construction, the release of the lists it owns at exit.
#include "game/gamestate.h"

#include <string.h>

GameState game;

GameState::GameState()
{
    memset(&parms, 0, sizeof parms);
    troopers.SetShrink(true);
    strikes.SetShrink(true);
}

GameState::~GameState()
{
    for (int i = 0; i < strikes.Count(); i++)
        delete strikes[i];
    strikes.Clear();
    troopers.Clear();
}
