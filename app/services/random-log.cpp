// Seeding the run's generators with a log line (see random.h). Apart from random.cpp,
// which needs no engine.
#include "app/services/random.h"

#include "orvex.h"

#include <stdlib.h>

void AppSeedRandomLogged(uint32_t seed)
{
    AppSeedRandom(seed);
    srand(seed);
    if (ov)
        ov->OV_Printf("Random seed %u.\n", seed);
}
