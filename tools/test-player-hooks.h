// The test player's places in the application: the service manager's start-up steps
// and the screen manager's frame, event and drawing calls, handed over by the entry.
#ifndef TOOLS_TEST_PLAYER_HOOKS_H
#define TOOLS_TEST_PLAYER_HOOKS_H

// Pre-initialisation: the manager (AUTO_TESTING_MODE, "ai-player.xml") and the run's
// switches of the command line.
void TestPlayerInitialize();
// Pre-initialisation, with AUTO_TESTING_MODE: the "dev_AIPlayer" profile.
void TestPlayerSelectProfile();
// Initialisation: the screen manager's calls into the player.
void InstallTestPlayer();
// Every frame: the seconds the application counts for it (the engine's, or the fixed
// frame clock's step in a seeded unattended run).
float TestPlayerFrameSeconds(float engine_seconds);
// Every frame, in a seeded unattended run: true while a loading worker runs, and the
// application's frame waits (how many frames a load takes depends on the machine, and
// every frame counts time and draws random numbers).
bool TestPlayerHoldsFrame();
// Shutdown: logs the run's counts and restores the boosted weapons.
void TestPlayerShutdown();

#endif
