// make_track: renders one of our music scores to a 22050 Hz stereo 16-bit WAV file,
// which the build then encodes to MP3 for the music package.
//
// Score format: one command per line, '#' starts a comment.
//   tempo <beats per minute>             default 120
//   voice sine|triangle|square           the tone of the following notes
//   note <name> <beats> [<volume 0..1>]  a note such as A4, C#5 or Bb3 (A4 = 440 Hz)
//   chord <name>,<name>,... <beats> [<volume>]   notes sounding together
//   rest <beats>
//   repeat <count>                       plays everything above it count times in all
//
//   make_track <score> <out.wav>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

const int kRate = 22050;
const double kPi = 3.14159265358979323846;

enum class Voice { Sine, Triangle, Square };

// Frequency of a note name, or a negative value for a name that is not one.
double NoteFrequency(const std::string &name) {
    static const char *kLetters = "CDEFGAB";
    static const int kSemitones[] = {0, 2, 4, 5, 7, 9, 11};
    if (name.size() < 2) return -1;
    const char *at = std::strchr(kLetters, name[0]);
    if (!at || !name[0]) return -1;
    int semitone = kSemitones[at - kLetters];
    size_t i = 1;
    if (name[i] == '#') semitone++, i++;
    else if (name[i] == 'b') semitone--, i++;
    if (i >= name.size()) return -1;
    const int octave = std::atoi(name.c_str() + i);
    const int midi = (octave + 1) * 12 + semitone;
    return 440.0 * std::pow(2.0, (midi - 69) / 12.0);
}

double Wave(Voice voice, double phase) {
    const double x = phase - std::floor(phase);
    switch (voice) {
    case Voice::Sine: return std::sin(2 * kPi * x);
    case Voice::Triangle: return x < 0.5 ? 4 * x - 1 : 3 - 4 * x;
    case Voice::Square: return x < 0.5 ? 0.6 : -0.6;
    }
    return 0;
}

// Appends frames of the notes (mono values, both sides alike) with a short envelope
// so that notes neither click in nor out.
void Render(std::vector<double> &out, const std::vector<double> &freqs, double seconds, double volume, Voice voice) {
    const int frames = static_cast<int>(seconds * kRate);
    const int ramp = std::min(frames / 4, kRate / 100);
    for (int f = 0; f < frames; f++) {
        double env = 1.0;
        if (f < ramp) env = static_cast<double>(f) / ramp;
        if (frames - f < ramp) env = static_cast<double>(frames - f) / ramp;
        double v = 0;
        for (double hz : freqs) v += Wave(voice, hz * f / kRate);
        out.push_back(v * env * volume / std::max<size_t>(1, freqs.size()));
    }
}

void Put(std::ofstream &f, uint32_t v, int bytes) {
    for (int i = 0; i < bytes; i++) f.put(static_cast<char>((v >> (8 * i)) & 0xff));
}

}  // namespace

int main(int argc, char **argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s <score> <out.wav>\n", argv[0]);
        return 2;
    }
    std::ifstream in(argv[1]);
    if (!in) {
        std::fprintf(stderr, "%s: cannot read the score\n", argv[1]);
        return 1;
    }
    double tempo = 120;
    Voice voice = Voice::Sine;
    std::vector<double> music;
    std::string line;
    int number = 0;
    while (std::getline(in, line)) {
        number++;
        if (line.find('#') != std::string::npos) line.erase(line.find('#'));
        std::istringstream words(line);
        std::string cmd;
        if (!(words >> cmd)) continue;
        bool ok = true;
        if (cmd == "tempo") {
            ok = static_cast<bool>(words >> tempo) && tempo > 0;
        } else if (cmd == "voice") {
            std::string v;
            words >> v;
            if (v == "sine") voice = Voice::Sine;
            else if (v == "triangle") voice = Voice::Triangle;
            else if (v == "square") voice = Voice::Square;
            else ok = false;
        } else if (cmd == "note" || cmd == "chord") {
            std::string names;
            double beats = 0, volume = 0.5;
            ok = static_cast<bool>(words >> names >> beats) && beats > 0;
            words >> volume;
            std::vector<double> freqs;
            std::istringstream list(names);
            std::string name;
            while (ok && std::getline(list, name, ',')) {
                const double hz = NoteFrequency(name);
                ok = hz > 0;
                freqs.push_back(hz);
            }
            if (ok) Render(music, freqs, beats * 60.0 / tempo, volume, voice);
        } else if (cmd == "rest") {
            double beats = 0;
            ok = static_cast<bool>(words >> beats) && beats > 0;
            if (ok) music.resize(music.size() + static_cast<size_t>(beats * 60.0 / tempo * kRate), 0.0);
        } else if (cmd == "repeat") {
            int count = 0;
            ok = static_cast<bool>(words >> count) && count > 0;
            const std::vector<double> once = music;
            for (int i = 1; ok && i < count; i++) music.insert(music.end(), once.begin(), once.end());
        } else {
            ok = false;
        }
        if (!ok) {
            std::fprintf(stderr, "%s:%d: cannot read '%s'\n", argv[1], number, line.c_str());
            return 1;
        }
    }
    if (music.empty()) {
        std::fprintf(stderr, "%s: the score plays nothing\n", argv[1]);
        return 1;
    }

    std::ofstream out(argv[2], std::ios::binary);
    const uint32_t data = static_cast<uint32_t>(music.size() * 4);
    out.write("RIFF", 4);
    Put(out, 36 + data, 4);
    out.write("WAVEfmt ", 8);
    Put(out, 16, 4);
    Put(out, 1, 2);
    Put(out, 2, 2);
    Put(out, kRate, 4);
    Put(out, kRate * 4, 4);
    Put(out, 4, 2);
    Put(out, 16, 2);
    out.write("data", 4);
    Put(out, data, 4);
    for (double v : music) {
        const long s = std::lround(std::max(-1.0, std::min(1.0, v)) * 30000);
        Put(out, static_cast<uint16_t>(static_cast<int16_t>(s)), 2);
        Put(out, static_cast<uint16_t>(static_cast<int16_t>(s)), 2);
    }
    return out ? 0 : 1;
}
