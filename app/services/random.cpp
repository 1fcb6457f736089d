// The application's random generator (see random.h): a 32-bit linear congruential
// generator whose upper bits give 15-bit values, and an optional scripted sequence.
#include "app/services/random.h"

#include <mutex>
#include <vector>

namespace {

struct RandomState {
    std::mutex lock;
    unsigned state = 1;
    std::vector<int> script;
    size_t next = 0;
};

RandomState &State()
{
    static RandomState *s = new RandomState();  // never freed: usable during exit
    return *s;
}

}  // namespace

int app_rand()
{
    RandomState &s = State();
    std::lock_guard<std::mutex> hold(s.lock);
    if (s.next < s.script.size())
        return s.script[s.next++];
    s.state = s.state * 1103515245u + 12345u;
    return (int)((s.state >> 16) & 0x7fff);
}

void app_srand(unsigned seed)
{
    RandomState &s = State();
    std::lock_guard<std::mutex> hold(s.lock);
    s.state = seed;
}

void app_rand_script(const int *values, int count)
{
    RandomState &s = State();
    std::lock_guard<std::mutex> hold(s.lock);
    s.script.clear();
    s.next = 0;
    if (!values)
        return;
    for (int i = 0; i < count; i++)
        s.script.push_back(values[i] < 0 ? 0 : values[i] % 32768);
}
