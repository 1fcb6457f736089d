// orvex-sfxgen: synthesises a sound-effect recipe into a 22050 Hz mono 16-bit WAV file.
//
//   orvex-sfxgen <recipe.sfx> <out.wav> [--stats]
//
// --stats prints the sound's length, peak and RMS level. Errors are one line on
// standard error ("sfx: <file>: <problem>") and exit status 1.
#include "sfx.h"

#include <math.h>
#include <stdio.h>
#include <string.h>

#include <fstream>
#include <sstream>

int main(int argc, char **argv)
{
    bool stats = argc == 4 && !strcmp(argv[3], "--stats");
    if (argc != 3 && !stats) {
        fprintf(stderr, "usage: %s <recipe.sfx> <out.wav> [--stats]\n", argv[0]);
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    if (!in) {
        fprintf(stderr, "sfx: %s: cannot read the recipe\n", argv[1]);
        return 1;
    }
    std::stringstream text;
    text << in.rdbuf();
    sfx::Recipe recipe;
    std::vector<int16_t> samples;
    std::string error;
    if (!sfx::ParseRecipe(argv[1], text.str(), &recipe, &error) || !sfx::Synthesise(argv[1], recipe, &samples, &error)) {
        fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    std::vector<uint8_t> bytes = sfx::WavBytes(samples);
    std::string part = std::string(argv[2]) + ".part";
    FILE *f = fopen(part.c_str(), "wb");
    bool ok = f && fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    ok = f && fclose(f) == 0 && ok;
    if (!ok || rename(part.c_str(), argv[2]) != 0) {
        remove(part.c_str());
        fprintf(stderr, "sfx: %s: cannot write\n", argv[2]);
        return 1;
    }
    if (stats) {
        double peak = 0, sum = 0;
        for (int16_t s : samples) {
            peak = fmax(peak, fabs((double)s));
            sum += (double)s * s;
        }
        double rms = sqrt(sum / samples.size());
        printf("%s: %.3f s, peak %.2f dBFS, RMS %.2f dBFS\n", argv[2], samples.size() / (double)sfx::kRate,
               20 * log10(peak / 32768), 20 * log10(rms / 32768));
    }
    return 0;
}
