// orvex-sfxgen's synthesis: the WAV header bytes, a 440 Hz sine's zero crossings, the
// same recipe giving the same bytes, the -11.5 dBFS peak, silent first and last samples
// with the 5 ms fades, recipe errors, and every shipped recipe meeting the sound rules
// (0.02 to 8 s, peak between -12 and -0.5 dBFS, no DC offset, no click at either end).
#include "sfx.h"

#include <gtest/gtest.h>

#include <dirent.h>
#include <math.h>
#include <stdio.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

using namespace sfx;

namespace {

// round(32767 * 10^(-11.5/20)): the peak sample of every sound.
const int kPeakSample = 8718;

std::vector<int16_t> Make(const std::string &recipe)
{
    Recipe r;
    std::string error;
    std::vector<int16_t> samples;
    EXPECT_TRUE(ParseRecipe("t.sfx", recipe, &r, &error)) << error;
    EXPECT_TRUE(Synthesise("t.sfx", r, &samples, &error)) << error;
    return samples;
}

int Peak(const std::vector<int16_t> &s)
{
    int peak = 0;
    for (int16_t v : s)
        peak = std::max(peak, abs((int)v));
    return peak;
}

TEST(Sfxgen, WavHeaderBytes)
{
    std::vector<int16_t> samples = {0, 1, -1, 32767, -32768};
    std::vector<uint8_t> wav = WavBytes(samples);
    const std::vector<uint8_t> header = {
        'R', 'I', 'F', 'F', 46, 0, 0, 0,                    // 36 + 10 data bytes
        'W', 'A', 'V', 'E', 'f', 'm', 't', ' ', 16, 0, 0, 0,  // PCM format chunk
        1, 0, 1, 0,                                         // PCM, one channel
        0x22, 0x56, 0, 0,                                   // 22050 Hz
        0x44, 0xAC, 0, 0,                                   // 44100 bytes a second
        2, 0, 16, 0,                                        // 2 bytes a frame, 16 bits
        'd', 'a', 't', 'a', 10, 0, 0, 0};
    ASSERT_EQ(wav.size(), 44u + 10);
    EXPECT_EQ(std::vector<uint8_t>(wav.begin(), wav.begin() + 44), header);
    EXPECT_EQ(std::vector<uint8_t>(wav.begin() + 44, wav.end()),
              (std::vector<uint8_t>{0, 0, 1, 0, 0xFF, 0xFF, 0xFF, 0x7F, 0x00, 0x80}));
}

TEST(Sfxgen, SineOf440HzCrossesZero880TimesASecond)
{
    std::vector<int16_t> s = Make("length 1\nlayer sine gain 1 freq 440\n");
    ASSERT_EQ(s.size(), 22050u);
    int crossings = 0;
    for (size_t i = 1; i < s.size(); i++)
        crossings += (s[i - 1] < 0) != (s[i] < 0);
    EXPECT_NEAR(crossings, 880, 2);
    // A sweep one octave down crosses about three quarters as often.
    std::vector<int16_t> sweep = Make("length 1\nlayer sine gain 1 freq 880->440\n");
    crossings = 0;
    for (size_t i = 1; i < sweep.size(); i++)
        crossings += (sweep[i - 1] < 0) != (sweep[i] < 0);
    EXPECT_NEAR(crossings, 2 * 440 / log(2.0), 4);  // 2 x the mean frequency of the sweep
}

TEST(Sfxgen, SameRecipeSameBytesAndTheSeedMatters)
{
    const std::string recipe = "length 0.5\nseed 7\nlayer noise gain 1 lowpass 3000->300\n"
                               "layer noise gain 0.5 freq 60\nlayer square gain 0.3 freq 220 vibrato 6,0.1\n";
    std::vector<uint8_t> a = WavBytes(Make(recipe)), b = WavBytes(Make(recipe));
    EXPECT_EQ(a, b);
    std::string other = recipe;
    other.replace(other.find("seed 7"), 6, "seed 8");
    EXPECT_NE(WavBytes(Make(other)), a);
}

TEST(Sfxgen, PeakIsMinusOneDbfsWithSilentEndsAndNoOffset)
{
    const char *recipes[] = {
        "length 0.3\nlayer square gain 0.01 freq 300\n",
        "length 1\nseed 3\nlayer noise gain 5 env 0,0.2,0.5,0.3\n",
        "length 0.05\nlayer saw gain 1 freq 1000->2000 highpass 200\n",
        "length 2\nlayer triangle gain 1 freq 100 delay 1.5\n",
        "length 0.1\nlayer square gain 1 freq 40\n",  // mostly one half-wave: a large offset to take out
    };
    for (const char *r : recipes) {
        SCOPED_TRACE(r);
        std::vector<int16_t> s = Make(r);
        ASSERT_GT(s.size(), 220u);
        EXPECT_EQ(Peak(s), kPeakSample);
        EXPECT_EQ(s.front(), 0);
        EXPECT_EQ(s.back(), 0);
        double sum = 0;
        for (int16_t v : s)
            sum += v;
        EXPECT_LT(fabs(sum / s.size()), 1.0);
    }
}

TEST(Sfxgen, FadesRampOverFiveMilliseconds)
{
    // A square wave's level is the same everywhere: inside the 110-sample fades it is
    // the peak times the fade's gain (within the offset taken out).
    std::vector<int16_t> s = Make("length 1\nlayer square gain 1 freq 441\n");
    for (int i = 0; i <= 110; i++) {
        double want = kPeakSample * (i < 110 ? i / 110.0 : 1.0);
        EXPECT_NEAR(abs(s[(size_t)i]), want, kPeakSample / 200) << i;
        EXPECT_NEAR(abs(s[s.size() - 1 - (size_t)i]), want, kPeakSample / 200) << i;
    }
}

TEST(Sfxgen, EnvelopeAndDelayShapeTheLayer)
{
    // A layer delayed by half the sound is silent before it.
    std::vector<int16_t> s = Make("length 1\nlayer sine gain 1 freq 500 delay 0.5\n");
    int before = 0;
    for (size_t i = 0; i < 11025; i++)
        before = std::max(before, abs((int)s[i]));
    EXPECT_LT(before, 300);  // only the removed DC offset is left there
    // A pluck (no sustain) is loud early and quiet late.
    std::vector<int16_t> p = Make("length 1\nlayer sine gain 1 freq 500 env 0.01,0.3,0,0\n");
    int early = 0, late = 0;
    for (size_t i = 200; i < 2000; i++)
        early = std::max(early, abs((int)p[i]));
    for (size_t i = 8000; i < 22000; i++)
        late = std::max(late, abs((int)p[i]));
    EXPECT_GT(early, kPeakSample * 2 / 3);
    EXPECT_LT(late, kPeakSample / 145);
}

TEST(Sfxgen, RecipeErrors)
{
    struct Case {
        const char *text;
        const char *error;
    } cases[] = {
        {"layer sine gain 1 freq 440\n", "sfx: t.sfx:1: 'length' comes before the layers"},
        {"length 1\nlayer sine gain 1\n", "sfx: t.sfx:2: a tone needs a freq"},
        {"length 1\nlayer bell gain 1 freq 400\n",
         "sfx: t.sfx:2: expected a wave: sine, square, saw, triangle or noise"},
        {"length 1\nlayer noise freq 100\n", "sfx: t.sfx:2: a layer needs a gain"},
        {"length 1\nlayer noise gain 1 env 1,2,3\n", "sfx: t.sfx:2: bad env '1,2,3' (attack,decay,sustain,release)"},
        {"length 1\nlayer noise gain 1 delay 1\n", "sfx: t.sfx:2: bad delay '1' (from 0 to below the length)"},
        {"length 1\nlayer sine gain 1 freq 20000\n", "sfx: t.sfx:2: bad freq '20000' (Hz above 0, at most 11025)"},
        {"length 1\nlayer noise gain 1 shimmer 3\n", "sfx: t.sfx:2: unknown word 'shimmer'"},
        {"length 1\nvolume 3\n", "sfx: t.sfx:2: unknown command 'volume'"},
        {"length 1\n", "sfx: t.sfx: a recipe needs a length and at least one layer"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        Recipe r;
        std::string error;
        EXPECT_FALSE(ParseRecipe("t.sfx", c.text, &r, &error));
        EXPECT_EQ(error, c.error);
    }
    Recipe silent;
    std::string error;
    std::vector<int16_t> samples;
    ASSERT_TRUE(ParseRecipe("t.sfx", "length 1\nlayer sine gain 0 freq 100\n", &silent, &error));
    EXPECT_FALSE(Synthesise("t.sfx", silent, &samples, &error));
    EXPECT_EQ(error, "sfx: t.sfx: the recipe makes silence");
}

TEST(Sfxgen, NoiseIsEvenAndRepeatable)
{
    Noise a(42), b(42), c(43);
    double sum = 0, lo = 1, hi = -1;
    bool differs = false;
    for (int i = 0; i < 100000; i++) {
        double v = a.Next();
        EXPECT_EQ(v, b.Next());
        differs = differs || v != c.Next();
        sum += v;
        lo = std::min(lo, v);
        hi = std::max(hi, v);
    }
    EXPECT_TRUE(differs);
    EXPECT_NEAR(sum / 100000, 0, 0.01);
    EXPECT_LT(lo, -0.99);
    EXPECT_GT(hi, 0.99);
}

// Every recipe the game ships meets the rules for sound effects.
TEST(Sfxgen, ShippedRecipesMeetTheSoundRules)
{
    const std::string dir = std::string(ORVEX_CONTENT_DIR) + "/sfx";
    DIR *d = opendir(dir.c_str());
    ASSERT_NE(d, nullptr) << dir;
    std::vector<std::string> names;
    while (struct dirent *e = readdir(d)) {
        std::string n = e->d_name;
        if (n.size() > 4 && n.compare(n.size() - 4, 4, ".sfx") == 0)
            names.push_back(n.substr(0, n.size() - 4));
    }
    closedir(d);
    const char *required[] = {"boss_incoming", "wave_starts", "final_wave", "tactical_mode_start",
                              "tactical_mode_end", "targeting", "achievement-unlock-notification",
                              "reinforcements", "buy_stuff", "not_enough_money", "repair", "baseboom"};
    for (const char *r : required)
        EXPECT_NE(std::find(names.begin(), names.end(), r), names.end()) << r;
    for (const std::string &n : names) {
        SCOPED_TRACE(n);
        std::ifstream in(dir + "/" + n + ".sfx");
        std::stringstream text;
        text << in.rdbuf();
        std::vector<int16_t> s = Make(text.str());
        double seconds = s.size() / (double)kRate;
        EXPECT_GE(seconds, 0.02);
        EXPECT_LE(seconds, 8.0);
        double peak_db = 20 * log10(Peak(s) / 32768.0);
        EXPECT_GE(peak_db, -12.0);
        EXPECT_LE(peak_db, -0.5);
        double sum = 0;
        for (int16_t v : s)
            sum += v;
        EXPECT_LT(fabs(sum / s.size()), 0.002 * 32768) << "DC offset";
        EXPECT_EQ(s.front(), 0);
        EXPECT_EQ(s.back(), 0);
    }
}

}  // namespace
