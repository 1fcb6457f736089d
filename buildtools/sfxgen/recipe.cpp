// Reading sound-effect recipes.
#include "sfx.h"

#include <math.h>
#include <stdlib.h>

#include <sstream>

namespace sfx {

namespace {

bool Number(const std::string &text, double *out)
{
    if (text.empty())
        return false;
    char *end = nullptr;
    *out = strtod(text.c_str(), &end);
    return end && *end == 0 && isfinite(*out);
}

// "a" or "a->b".
bool Sweep(const std::string &text, double *from, double *to)
{
    size_t arrow = text.find("->");
    if (arrow == std::string::npos) {
        if (!Number(text, from))
            return false;
        *to = *from;
        return true;
    }
    return Number(text.substr(0, arrow), from) && Number(text.substr(arrow + 2), to);
}

// Comma-separated numbers, exactly n of them.
bool List(const std::string &text, size_t n, double *out)
{
    std::istringstream parts(text);
    std::string part;
    size_t i = 0;
    while (std::getline(parts, part, ',')) {
        if (i >= n || !Number(part, &out[i]))
            return false;
        i++;
    }
    return i == n;
}

bool ParseWave(const std::string &word, Wave *out)
{
    static const struct {
        const char *name;
        Wave wave;
    } kWaves[] = {{"sine", Wave::Sine}, {"square", Wave::Square}, {"saw", Wave::Saw},
                  {"triangle", Wave::Triangle}, {"noise", Wave::Noise}};
    for (const auto &w : kWaves)
        if (word == w.name) {
            *out = w.wave;
            return true;
        }
    return false;
}

// The layer's words after "layer"; an empty result on success, else the problem.
std::string ParseLayer(std::istringstream &words, double length, Layer *layer)
{
    std::string word, value;
    if (!(words >> word) || !ParseWave(word, &layer->wave))
        return "expected a wave: sine, square, saw, triangle or noise";
    bool gain = false;
    while (words >> word) {
        if (!(words >> value))
            return "'" + word + "' needs a value";
        if (word == "gain") {
            if (!Number(value, &layer->gain) || layer->gain < 0)
                return "bad gain '" + value + "'";
            gain = true;
        } else if (word == "freq") {
            if (!Sweep(value, &layer->freq_from, &layer->freq_to) || layer->freq_from <= 0 || layer->freq_to <= 0 ||
                layer->freq_from > kRate / 2 || layer->freq_to > kRate / 2)
                return "bad freq '" + value + "' (Hz above 0, at most 11025)";
        } else if (word == "env") {
            double v[4];
            if (!List(value, 4, v) || v[0] < 0 || v[1] < 0 || v[2] < 0 || v[2] > 1 || v[3] < 0)
                return "bad env '" + value + "' (attack,decay,sustain,release)";
            layer->env = true;
            layer->attack = v[0], layer->decay = v[1], layer->sustain = v[2], layer->release = v[3];
        } else if (word == "lowpass") {
            if (!Sweep(value, &layer->lowpass_from, &layer->lowpass_to) || layer->lowpass_from <= 0 ||
                layer->lowpass_to <= 0)
                return "bad lowpass '" + value + "'";
        } else if (word == "highpass") {
            if (!Number(value, &layer->highpass) || layer->highpass <= 0)
                return "bad highpass '" + value + "'";
        } else if (word == "vibrato") {
            double v[2];
            if (!List(value, 2, v) || v[0] <= 0 || v[1] < 0 || v[1] >= 1)
                return "bad vibrato '" + value + "' (hz,depth with depth below 1)";
            layer->vibrato_hz = v[0], layer->vibrato_depth = v[1];
        } else if (word == "delay") {
            if (!Number(value, &layer->delay) || layer->delay < 0 || layer->delay >= length)
                return "bad delay '" + value + "' (from 0 to below the length)";
        } else {
            return "unknown word '" + word + "'";
        }
    }
    if (!gain)
        return "a layer needs a gain";
    if (layer->wave != Wave::Noise && layer->freq_from <= 0)
        return "a tone needs a freq";
    return "";
}

}  // namespace

bool ParseRecipe(const std::string &name, const std::string &text, Recipe *out, std::string *error)
{
    *out = Recipe();
    std::istringstream lines(text);
    std::string line;
    int number = 0;
    auto fail = [&](const std::string &what) {
        *error = "sfx: " + name + ":" + std::to_string(number) + ": " + what;
        return false;
    };
    while (std::getline(lines, line)) {
        number++;
        if (line.find('#') != std::string::npos)
            line.erase(line.find('#'));
        std::istringstream words(line);
        std::string cmd, value, extra;
        if (!(words >> cmd))
            continue;
        if (cmd == "length") {
            if (!(words >> value) || !Number(value, &out->length) || out->length <= 0 || out->length > 60 ||
                (words >> extra))
                return fail("expected 'length <seconds>' (above 0, at most 60)");
            if (!out->layers.empty())
                return fail("'length' comes before the layers");
        } else if (cmd == "seed") {
            double seed;
            if (!(words >> value) || !Number(value, &seed) || seed < 0 || seed > 4294967295.0 || seed != floor(seed) ||
                (words >> extra))
                return fail("expected 'seed <n>' (a whole number)");
            out->seed = (uint32_t)seed;
        } else if (cmd == "layer") {
            if (out->length <= 0)
                return fail("'length' comes before the layers");
            Layer layer;
            std::string problem = ParseLayer(words, out->length, &layer);
            if (!problem.empty())
                return fail(problem);
            out->layers.push_back(layer);
        } else {
            return fail("unknown command '" + cmd + "'");
        }
    }
    if (out->length <= 0 || out->layers.empty()) {
        *error = "sfx: " + name + ": a recipe needs a length and at least one layer";
        return false;
    }
    return true;
}

}  // namespace sfx
