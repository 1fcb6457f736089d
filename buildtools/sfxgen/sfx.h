// orvex-sfxgen's work: sound-effect recipes (".sfx") synthesised into 22050 Hz mono
// 16-bit PCM WAV files.
//
// Recipe, one command per line, '#' comments:
//   length <seconds>
//   seed <n>
//   layer <sine|square|saw|triangle|noise> gain <g> [freq <a>-><b>] [env a,d,s,r]
//         [lowpass <a>-><b>] [highpass <hz>] [vibrato <hz>,<depth>] [delay <s>]
// A layer sounds from its delay to the end of the sound. freq and lowpass take one
// value or a sweep "a->b" (exponential over the layer's time); noise with a freq is
// smooth random noise changing at that rate (rumble), without it white noise. env:
// attack and decay in seconds up to the sustain level (0..1), held until the release
// (seconds) ends at the end of the sound; no env means level 1 throughout. vibrato
// multiplies the frequency by 1 + depth sin(2 pi hz t).
// The layers are summed, 5 ms linear fades applied at both ends with the DC offset
// removed, and the result normalised to a peak of -11.5 dBFS (headroom for a busy mix).
// Noise comes from our own generator seeded from "seed" and the layer's index: the same
// recipe gives the same bytes.
#ifndef BUILDTOOLS_SFXGEN_SFX_H
#define BUILDTOOLS_SFXGEN_SFX_H

#include <stdint.h>

#include <string>
#include <vector>

namespace sfx {

const int kRate = 22050;

enum class Wave { Sine, Square, Saw, Triangle, Noise };

struct Layer {
    Wave wave = Wave::Sine;
    double gain = 1;
    double freq_from = 0, freq_to = 0;          // 0: none given
    bool env = false;
    double attack = 0, decay = 0, sustain = 1, release = 0;
    double lowpass_from = 0, lowpass_to = 0;    // 0: no low-pass
    double highpass = 0;                        // 0: no high-pass
    double vibrato_hz = 0, vibrato_depth = 0;
    double delay = 0;
};

struct Recipe {
    double length = 0;
    uint32_t seed = 1;
    std::vector<Layer> layers;
};

// Reads a recipe; false with "sfx: <name>:<line>: <problem>" in *error.
bool ParseRecipe(const std::string &name, const std::string &text, Recipe *out, std::string *error);
// The sound as 16-bit samples; false with "sfx: <name>: <problem>" when it is silent.
bool Synthesise(const std::string &name, const Recipe &recipe, std::vector<int16_t> *samples, std::string *error);
// The bytes of a 22050 Hz mono 16-bit PCM WAV file holding the samples.
std::vector<uint8_t> WavBytes(const std::vector<int16_t> &samples);

// Our noise generator (xorshift32): values in [-1, 1), the same sequence per seed.
class Noise {
public:
    explicit Noise(uint32_t seed);
    double Next();

private:
    uint32_t state_;
};

}  // namespace sfx

#endif
