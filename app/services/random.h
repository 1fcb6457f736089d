// The application's one random helper: integers 0..32767 (the range the game's
// formulas divide by), from a generator of its own so that every platform gives the
// same sequence for a seed. Tests seed it or replace the source with a script of
// values. Any thread (the state is one atomic word).
#ifndef APP_SERVICES_RANDOM_H
#define APP_SERVICES_RANDOM_H

#include <stdint.h>

#define APP_RANDOM_MAX 32767

// The next value, 0..APP_RANDOM_MAX.
int AppRandom();
// Restarts the sequence from a seed.
void AppSeedRandom(uint32_t seed);
// Replaces the generator by a function (null restores the generator); its results
// are clamped to 0..APP_RANDOM_MAX. For tests.
void AppSetRandomSource(int (*source)());

// The run's seed, named on the command line ("--seed N"); none by default.
void AppSetRunSeed(bool has, uint32_t seed);
bool AppGetRunSeed(uint32_t *seed);
// Seeds this helper and the C library's generator (Lua's math.random draws from it)
// and logs "Random seed %u.". Needs the engine's interface (`ov`).
void AppSeedRandomLogged(uint32_t seed);
// A seed that differs from run to run and from install to install: the wall clock to
// the nanosecond and the process id, mixed.
uint32_t AppStartUpSeed();

#endif
