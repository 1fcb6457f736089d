// The application's random helper: a 32-bit linear congruential generator whose
// upper bits give 0..32767, kept in one atomic word so that any thread may draw.
#include "app/services/random.h"

#include <atomic>

namespace {

std::atomic<uint32_t> state{1};
std::atomic<int (*)()> override_source{nullptr};
bool run_seed_set = false;
uint32_t run_seed = 0;

uint32_t Step(uint32_t s)
{
    return s * 1103515245u + 12345u;
}

}  // namespace

int AppRandom()
{
    if (int (*source)() = override_source.load(std::memory_order_acquire)) {
        int v = source();
        return v < 0 ? 0 : (v > APP_RANDOM_MAX ? APP_RANDOM_MAX : v);
    }
    uint32_t old = state.load(std::memory_order_relaxed);
    uint32_t next = Step(old);
    while (!state.compare_exchange_weak(old, next, std::memory_order_relaxed))
        next = Step(old);
    return (int)((next >> 16) & APP_RANDOM_MAX);
}

void AppSeedRandom(uint32_t seed)
{
    state.store(seed, std::memory_order_relaxed);
}

void AppSetRandomSource(int (*source)())
{
    override_source.store(source, std::memory_order_release);
}

void AppSetRunSeed(bool has, uint32_t seed)
{
    run_seed_set = has;
    run_seed = has ? seed : 0;
}

bool AppGetRunSeed(uint32_t *seed)
{
    if (run_seed_set && seed)
        *seed = run_seed;
    return run_seed_set;
}
