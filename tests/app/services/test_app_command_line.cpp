// The application's switches read from the command line the engine hands over, and the
// run's seed they set (logged, the helper and the C library's generator seeded).
#include "app/services/command-line.h"
#include "app/services/random.h"
#include "tests/app/services/app_engine_fixture.h"

#include <stdlib.h>

using apptest::Logged;

namespace {

TEST(AppCommandLine, ArgumentsAreSplitAndUnquoted)
{
    struct Case {
        const char *line;
        std::vector<std::string> args;
    } cases[] = {
        {nullptr, {}},
        {"", {}},
        {"--seed 1 --autoplay-mission CHAPTER1:MISSION1_1", {"--seed", "1", "--autoplay-mission", "CHAPTER1:MISSION1_1"}},
        {"--name \"two words\"  x", {"--name", "two words", "x"}},
        {"\"say \\\"hi\\\"\" \"C:\\\\dir\" \"\"", {"say \"hi\"", "C:\\dir", ""}},
    };
    for (const Case &c : cases)
        EXPECT_EQ(SplitCommandLine(c.line), c.args) << (c.line ? c.line : "null");
}

TEST(AppCommandLine, SwitchesAndTheirValues)
{
    const char *line = "--headless --autoplay-stop 2 --autoplay-limit x --seed 4294967295 --last";
    std::string v;
    EXPECT_TRUE(CommandLineHas(line, "--headless"));
    EXPECT_FALSE(CommandLineHas(line, "--head"));
    EXPECT_TRUE(CommandLineValue(line, "--autoplay-stop", &v));
    EXPECT_EQ(v, "2");
    EXPECT_FALSE(CommandLineValue(line, "--last", &v));  // nothing follows it
    unsigned long n = 0;
    EXPECT_TRUE(CommandLineUnsigned(line, "--seed", &n));
    EXPECT_EQ(n, 4294967295ul);
    EXPECT_FALSE(CommandLineUnsigned(line, "--autoplay-limit", &n));
    EXPECT_FALSE(CommandLineUnsigned("--seed 4294967296", "--seed", &n));
    EXPECT_FALSE(CommandLineUnsigned("--seed -1", "--seed", &n));
    EXPECT_FALSE(CommandLineUnsigned("--seed 1x", "--seed", &n));
}

class AppSeed : public apptest::AppEngineTest {
protected:
    void TearDown() override
    {
        AppSetRunSeed(false, 0);
        AppEngineTest::TearDown();
    }
};

TEST_F(AppSeed, TheSeedSwitchSeedsAndLogs)
{
    Start();
    ApplyCommandLineSeed("--headless --seed 7");
    EXPECT_TRUE(Logged("Random seed 7."));
    uint32_t seed = 0;
    ASSERT_TRUE(AppGetRunSeed(&seed));
    EXPECT_EQ(seed, 7u);
    std::vector<int> drawn = {AppRandom(), AppRandom(), AppRandom()};
    int c_draw = rand();
    AppSeedRandom(7);
    srand(7);
    EXPECT_EQ(drawn, (std::vector<int>{AppRandom(), AppRandom(), AppRandom()}));
    EXPECT_EQ(c_draw, rand());

    // A bad value leaves the run without a seed and says so.
    ApplyCommandLineSeed("--seed seven");
    EXPECT_FALSE(AppGetRunSeed(&seed));
    EXPECT_TRUE(Logged("--seed needs a whole number"));
}

}  // namespace
