// The application's random helper: range, seeding and a scripted source.
#include "app/services/random.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

int scripted_index = 0;
int Scripted()
{
    static const int values[] = {5, -3, 40000};
    return values[scripted_index++ % 3];
}

}  // namespace

TEST(Random, ValuesCoverTheRangeAndASeedRepeats)
{
    AppSeedRandom(42);
    std::vector<int> first;
    int lo = APP_RANDOM_MAX, hi = 0;
    for (int i = 0; i < 20000; i++) {
        int v = AppRandom();
        ASSERT_GE(v, 0);
        ASSERT_LE(v, APP_RANDOM_MAX);
        lo = v < lo ? v : lo;
        hi = v > hi ? v : hi;
        if (i < 10)
            first.push_back(v);
    }
    EXPECT_LT(lo, 100);
    EXPECT_GT(hi, APP_RANDOM_MAX - 100);
    AppSeedRandom(42);
    for (int v : first)
        EXPECT_EQ(AppRandom(), v);
}

TEST(Random, AScriptedSourceIsClampedAndCanBeRemoved)
{
    AppSetRandomSource(Scripted);
    EXPECT_EQ(AppRandom(), 5);
    EXPECT_EQ(AppRandom(), 0);
    EXPECT_EQ(AppRandom(), APP_RANDOM_MAX);
    AppSetRandomSource(nullptr);
    AppSeedRandom(7);
    int a = AppRandom();
    AppSeedRandom(7);
    EXPECT_EQ(AppRandom(), a);
}
