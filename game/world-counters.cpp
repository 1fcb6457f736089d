// The world's running counts (see world-counters.h).
#include "game/world-counters.h"

WorldCounters world_counters = {};
