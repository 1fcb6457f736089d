// Synthesis of a recipe: oscillators and noise, envelopes, filters, the mix, and the
// WAV file around the samples.
#include "sfx.h"

#include <math.h>

#include <algorithm>

namespace sfx {

namespace {

const double kPi = 3.14159265358979323846;
// 5 ms fades at both ends.
const int kFadeSamples = (int)(0.005 * kRate);
// -11.5 dBFS of full scale: the headroom for the several effects a busy battle plays at
// once (its mix stays below full scale; at -1 dBFS it clipped).
const double kPeak = 0.26607250597988095;

// Exponential sweep from a to b at u in 0..1.
double SweepAt(double a, double b, double u)
{
    return a == b ? a : a * pow(b / a, u);
}

double Oscillator(Wave wave, double phase)
{
    double x = phase - floor(phase);
    switch (wave) {
    case Wave::Sine:
        return sin(2 * kPi * x);
    case Wave::Square:
        return x < 0.5 ? 1 : -1;
    case Wave::Saw:
        return 2 * x - 1;
    case Wave::Triangle:
        return x < 0.25 ? 4 * x : x < 0.75 ? 2 - 4 * x : 4 * x - 4;
    case Wave::Noise:
        break;
    }
    return 0;
}

double Envelope(const Layer &l, double t, double duration)
{
    if (!l.env)
        return 1;
    double level;
    if (t < l.attack)
        level = t / l.attack;
    else if (t < l.attack + l.decay)
        level = 1 - (1 - l.sustain) * (t - l.attack) / l.decay;
    else
        level = l.sustain;
    double left = duration - t;
    if (l.release > 0 && left < l.release)
        level *= left > 0 ? left / l.release : 0;
    return level;
}

// Adds one layer into the mix.
void RenderLayer(const Layer &l, uint32_t seed, std::vector<double> *mix)
{
    const int total = (int)mix->size();
    const int start = (int)lround(l.delay * kRate);
    if (start >= total)
        return;
    const double duration = (double)(total - start) / kRate;
    Noise noise(seed);
    double phase = 0, held = noise.Next(), next = noise.Next();
    double lp1 = 0, lp2 = 0, hp_in1 = 0, hp_out1 = 0, hp_out2 = 0;
    const double hp_alpha = l.highpass > 0 ? 1 / (1 + 2 * kPi * l.highpass / kRate) : 0;
    for (int i = start; i < total; i++) {
        double t = (double)(i - start) / kRate, u = t / duration;
        double freq = l.freq_from > 0 ? SweepAt(l.freq_from, l.freq_to, u) : 0;
        if (l.vibrato_hz > 0)
            freq *= 1 + l.vibrato_depth * sin(2 * kPi * l.vibrato_hz * t);
        double v;
        if (l.wave != Wave::Noise) {
            v = Oscillator(l.wave, phase);
            phase += freq / kRate;
        } else if (freq <= 0) {
            v = noise.Next();
        } else {
            // Smooth noise: a new random value every 1 / freq seconds, joined linearly.
            v = held + (next - held) * (phase - floor(phase));
            double before = floor(phase);
            phase += freq / kRate;
            for (double k = before; k < floor(phase); k++) {
                held = next;
                next = noise.Next();
            }
        }
        if (l.lowpass_from > 0) {
            double cutoff = fmin(SweepAt(l.lowpass_from, l.lowpass_to, u), kRate * 0.45);
            double a = 1 - exp(-2 * kPi * cutoff / kRate);
            lp1 += a * (v - lp1);
            lp2 += a * (lp1 - lp2);
            v = lp2;
        }
        if (l.highpass > 0) {
            double out1 = hp_alpha * (hp_out1 + v - hp_in1);
            double out2 = hp_alpha * (hp_out2 + out1 - hp_out1);
            hp_in1 = v;
            hp_out1 = out1;
            hp_out2 = out2;
            v = out2;
        }
        (*mix)[(size_t)i] += v * l.gain * Envelope(l, t, duration);
    }
}

void Put(std::vector<uint8_t> *out, uint32_t v, int bytes)
{
    for (int i = 0; i < bytes; i++)
        out->push_back((uint8_t)(v >> (8 * i)));
}

}  // namespace

Noise::Noise(uint32_t seed) : state_(seed * 2654435761u ^ 0x9E3779B9u)
{
    if (state_ == 0)
        state_ = 0x12345678u;
}

double Noise::Next()
{
    state_ ^= state_ << 13;
    state_ ^= state_ >> 17;
    state_ ^= state_ << 5;
    return state_ / 2147483648.0 - 1.0;
}

bool Synthesise(const std::string &name, const Recipe &recipe, std::vector<int16_t> *samples, std::string *error)
{
    const size_t total = (size_t)lround(recipe.length * kRate);
    std::vector<double> mix(total, 0.0);
    for (size_t i = 0; i < recipe.layers.size(); i++)
        RenderLayer(recipe.layers[i], recipe.seed + 7919u * (uint32_t)i, &mix);

    // Fades at both ends, and the DC offset taken out under them: with w the fade gain,
    // (x - c) w sums to zero for c = sum(x w) / sum(w), and the ends stay silent.
    const size_t fade = std::min<size_t>((size_t)kFadeSamples, total / 2);
    std::vector<double> gain(total, 1.0);
    for (size_t i = 0; i < fade; i++)
        gain[i] = gain[total - 1 - i] = (double)i / fade;
    double weighted = 0, weights = 0;
    for (size_t i = 0; i < total; i++) {
        weighted += mix[i] * gain[i];
        weights += gain[i];
    }
    const double offset = weights > 0 ? weighted / weights : 0;
    for (size_t i = 0; i < total; i++)
        mix[i] = (mix[i] - offset) * gain[i];
    double peak = 0;
    for (double v : mix)
        peak = fmax(peak, fabs(v));
    if (peak < 1e-9) {
        *error = "sfx: " + name + ": the recipe makes silence";
        return false;
    }
    const double scale = kPeak * 32767 / peak;
    samples->resize(total);
    for (size_t i = 0; i < total; i++)
        (*samples)[i] = (int16_t)lround(mix[i] * scale);
    return true;
}

std::vector<uint8_t> WavBytes(const std::vector<int16_t> &samples)
{
    std::vector<uint8_t> out;
    const uint32_t data = (uint32_t)(samples.size() * 2);
    out.insert(out.end(), {'R', 'I', 'F', 'F'});
    Put(&out, 36 + data, 4);
    out.insert(out.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    Put(&out, 16, 4);         // format chunk size
    Put(&out, 1, 2);          // PCM
    Put(&out, 1, 2);          // mono
    Put(&out, kRate, 4);      // sample rate
    Put(&out, kRate * 2, 4);  // bytes per second
    Put(&out, 2, 2);          // bytes per frame
    Put(&out, 16, 2);         // bits per sample
    out.insert(out.end(), {'d', 'a', 't', 'a'});
    Put(&out, data, 4);
    for (int16_t s : samples)
        Put(&out, (uint16_t)s, 2);
    return out;
}

}  // namespace sfx
