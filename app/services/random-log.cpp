// Seeding the run's generators with a log line, and the start-up seed (see random.h).
// Apart from random.cpp, which needs no engine.
#include "app/services/random.h"

#include "orvex.h"

#include <stdlib.h>
#include <unistd.h>

#include <chrono>

void AppSeedRandomLogged(uint32_t seed)
{
    AppSeedRandom(seed);
    srand(seed);
    if (ov)
        ov->OV_Printf("Random seed %u.\n", seed);
}

uint32_t AppStartUpSeed()
{
    uint64_t x = (uint64_t)std::chrono::system_clock::now().time_since_epoch().count();
    x ^= (uint64_t)std::chrono::steady_clock::now().time_since_epoch().count() << 1;
    x ^= (uint64_t)getpid() << 40;
    // A 64-bit finaliser, so that nearby clocks give unrelated seeds.
    x ^= x >> 33;
    x *= 0xff51afd7ed558ccdull;
    x ^= x >> 33;
    x *= 0xc4ceb9fe1a85ec53ull;
    x ^= x >> 33;
    return (uint32_t)x;
}
