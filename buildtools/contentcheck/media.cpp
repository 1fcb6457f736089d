// Images, sounds, music and fonts, read with the engine's own loaders: every PNG, TGA
// and sequence decodes with no side of 0 or above 2048 and all of them decoded fit in
// 64 MiB; the game's sequences have their frame counts; sound effects are 22050 Hz mono
// 16-bit PCM of 0.02 to 8 s peaking between -12 and -0.5 dBFS without DC offset or a
// click at either end; the music tracks are there; every font loads.
#include "contentcheck.h"

#include "audio/sample.h"
#include "gfx/bitmap.h"
#include "gfx/font.h"
#include "gfx/image.h"
#include "gfx/sequence.h"

#include <math.h>
#include <stdlib.h>
#include <string.h>

namespace contentcheck {

namespace {

const int kMaxSide = 2048;
const double kImageBudget = 64.0 * 1024 * 1024;

// Sequences the game's entities play, with their frame counts.
struct SequenceFrames {
    const char *name;
    int frames;
};
const SequenceFrames kSequences[] = {
    {"troopers/minigun/walk.bms", 8}, {"troopers/minigun/die.bms", 6}, {"troopers/shotgun/walk.bms", 8},
    {"troopers/shotgun/die.bms", 6}, {"troopers/bazooka/walk.bms", 8}, {"troopers/bazooka/die.bms", 6},
    {"troopers/pyro/walk.bms", 8}, {"troopers/pyro/die.bms", 6}, {"troopers/sniper/walk.bms", 8},
    {"troopers/sniper/die.bms", 6}, {"troopers/unarmed/walk.bms", 8}, {"troopers/unarmed/die.bms", 6},
    {"troopers/pet/walk.bms", 8}, {"troopers/pet/die.bms", 6},
    {"chapter-1/hellhound/hellhound-walk.bms", 8}, {"chapter-1/hellhound/hehound-die.bms", 6},
    {"chapter-1/leaper/leaper-walk.bms", 8}, {"chapter-1/leaper/leaper-die.bms", 6},
    {"chapter-1/splitter/splitter-walk.bms", 6}, {"chapter-1/splitter/splitter-die.bms", 6},
    {"chapter-1/den/den-move.bms", 4}, {"chapter-1/den/den-die.bms", 6},
    {"chapter-1/sandworm/sandworm-move.bms", 8}, {"chapter-1/sandworm/sandworm-die.bms", 8},
    {"chapter-2/crabfly/crabfly-fly.bms", 6}, {"chapter-2/crabfly/crabfly-die.bms", 6},
    {"chapter-2/egg/egg.bms", 4}, {"chapter-2/egg/egg-die.bms", 4},
    {"chapter-2/bloater/bloater-walk.bms", 6}, {"chapter-2/bloater/bloater-die.bms", 6},
    {"chapter-2/quadblob/quadblob-walk.bms", 6}, {"chapter-2/quadblob/quadblob-die.bms", 6},
    {"chapter-2/broodmother/broodmother-walk.bms", 6}, {"chapter-2/broodmother/broodmother-die.bms", 6},
    {"chapter-2/cocoon/cocoon.bms", 4}, {"chapter-2/cocoon/cocoon-die.bms", 4},
    {"chapter-3/jugger/jugger-walk.bms", 8}, {"chapter-3/jugger/jugger-die.bms", 6},
    {"chapter-3/raider/raider-walk.bms", 6}, {"chapter-3/raider/raider-die.bms", 6},
    {"chapter-3/stalker/stalker-walk.bms", 6}, {"chapter-3/stalker/stalker-die.bms", 6},
    {"chapter-3/ironjaw/ironjaw-walk.bms", 8}, {"chapter-3/ironjaw/ironjaw-die.bms", 8},
    {"bunker/bunker.bms", 4}, {"bunker/launcher.bms", 4}, {"bunker/powerplant.bms", 4},
    {"bunker/medtent.bms", 4}, {"bunker/wreck.bms", 2}, {"powerups/glow.bms", 8},
};

// The music the game plays.
const char *const kMusic[] = {"theme", "finalwave", "victory", "defeat", "credits"};

bool SideAllowed(int w, int h)
{
    return w > 0 && h > 0 && w <= kMaxSide && h <= kMaxSide;
}

void CheckSize(const std::string &rel, int w, int h, Report *report)
{
    if (!SideAllowed(w, h))
        report->Add(rel, Format("is %d x %d: no side may be 0 or above %d", w, h, kMaxSide));
}

// One PNG or TGA; returns the decoded bytes.
double CheckImage(const std::string &rel, const std::string &bytes, bool png, Facts *facts, Report *report)
{
    ov_bitmap_t b;
    memset(&b, 0, sizeof b);
    bool ok = png ? OVI_LoadBitmapMemPNG(&b, bytes.data(), (long)bytes.size())
                  : OVI_LoadBitmapMemTGA(&b, bytes.data(), (long)bytes.size());
    double size = 0;
    if (!ok || !b.pixels) {
        report->Add(rel, png ? "does not decode as PNG" : "does not decode as TGA");
    } else {
        CheckSize(rel, b.width, b.height, report);
        facts->image_sizes[rel] = {b.width, b.height};
        size = 4.0 * b.width * b.height;
    }
    free(b.pixels);
    return size;
}

double CheckSequence(const std::string &rel, Facts *facts, Report *report)
{
    ov_bitmap_t b;
    OVI_InitBitmap(&b, Engine::Name(rel).c_str());
    double size = 0;
    if (OVI_LoadBitmapSequence(&b, Engine::Name(rel).c_str()) != 1 || b.num_frames < 1 || !b.atlas) {
        report->Add(rel, "does not load as a sequence");
    } else {
        CheckSize(rel, b.atlas->width, b.atlas->height, report);
        for (int i = 0; i < b.num_frames; i++)
            if (!SideAllowed(b.frames[i].width, b.frames[i].height))
                report->Add(rel, Format("frame %d is %d x %d: no side may be 0 or above %d", i, b.frames[i].width,
                                        b.frames[i].height, kMaxSide));
        facts->image_sizes[rel] = {b.frames[0].width, b.frames[0].height};
        size = 4.0 * b.atlas->width * b.atlas->height;
        for (const SequenceFrames &s : kSequences)
            if (rel == s.name && b.num_frames != s.frames)
                report->Add(rel, Format("has %d frames; the game plays %d", b.num_frames, s.frames));
    }
    OVI_FreeSequenceFrames(&b);
    free(b.name);
    return size;
}

void CheckSound(const std::string &rel, const std::string &bytes, Report *report)
{
    const uint8_t *d = (const uint8_t *)bytes.data();
    if (bytes.size() < 44 || memcmp(d, "RIFF", 4) != 0 || memcmp(d + 8, "WAVE", 4) != 0 ||
        memcmp(d + 12, "fmt ", 4) != 0 || memcmp(d + 36, "data", 4) != 0) {
        report->Add(rel, "is not a WAV file with a 44-byte header");
        return;
    }
    ovWaveHeader h;
    if (!ovSample::LoadWavHeader(&h, d, bytes.size())) {
        report->Add(rel, "the engine's sound loader refuses it");
        return;
    }
    if (h.format_tag != 1 || h.channels != 1 || h.sample_rate != 22050 || h.bits_per_sample != 16 ||
        h.byte_rate != 44100) {
        report->Add(rel, Format("is %u Hz, %u channels, %u-bit: effects are 22050 Hz mono 16-bit PCM",
                                (unsigned)h.sample_rate, (unsigned)h.channels, (unsigned)h.bits_per_sample));
        return;
    }
    size_t count = h.data_size / 2;
    const uint8_t *s = d + 44;
    double seconds = count / 22050.0;
    if (seconds < 0.02 || seconds > 8.0) {
        report->Add(rel, Format("lasts %.3f s (0.02 to 8 s)", seconds));
        if (count == 0)
            return;
    }
    int peak = 0;
    double sum = 0;
    for (size_t i = 0; i < count; i++) {
        int v = (int16_t)(s[2 * i] | (s[2 * i + 1] << 8));
        peak = abs(v) > peak ? abs(v) : peak;
        sum += v;
    }
    double db = peak > 0 ? 20 * log10(peak / 32768.0) : -1000;
    if (db < -12.0 || db > -0.5)
        report->Add(rel, peak > 0 ? Format("peaks at %.1f dBFS (between -12 and -0.5)", db) : "is silent");
    double offset = sum / count / 32768.0;
    if (fabs(offset) >= 0.002)
        report->Add(rel, Format("has a DC offset of %.4f of full scale", offset));
    int first = (int16_t)(s[0] | (s[1] << 8)), last = (int16_t)(s[2 * count - 2] | (s[2 * count - 1] << 8));
    const int kClick = 328;  // 1 % of full scale
    if (abs(first) > kClick)
        report->Add(rel, Format("starts with a click (first sample %d)", first));
    if (abs(last) > kClick)
        report->Add(rel, Format("ends with a click (last sample %d)", last));
}

void CheckMusic(const std::string &rel, const std::string &bytes, Report *report)
{
    const uint8_t *d = (const uint8_t *)bytes.data();
    bool id3 = bytes.size() >= 3 && memcmp(d, "ID3", 3) == 0;
    bool frame = bytes.size() >= 2 && d[0] == 0xFF && (d[1] & 0xE0) == 0xE0;
    if (!id3 && !frame)
        report->Add(rel, "is not an MP3 file");
}

void CheckFont(const std::string &rel, Report *report)
{
    ov_font_t f;
    memset(&f, 0, sizeof f);
    f.name = strdup(Engine::Name(rel).c_str());
    f.scale = 1.0f;
    if (!OVI_LoadFontMFT(&f) || f.glyph_count <= 0 || f.height <= 0)
        report->Add(rel, "does not load as a font");
    OVI_FreeFontGlyphs(&f);
    free(f.atlas.pixels);
    free(f.name);
}

}  // namespace

void CheckMedia(const Tree &tree, Engine *engine, Facts *facts, Report *report, bool music)
{
    double total = 0;
    for (const std::string &rel : tree.Files()) {
        bool png = EndsWith(rel, ".png"), tga = EndsWith(rel, ".tga");
        std::string bytes;
        if (png || tga) {
            if (ReadFile(tree.Native(rel), &bytes))
                total += CheckImage(rel, bytes, png, facts, report);
        } else if (EndsWith(rel, ".bms")) {
            total += CheckSequence(rel, facts, report);
        } else if (EndsWith(rel, ".wav")) {
            if (ReadFile(tree.Native(rel), &bytes))
                CheckSound(rel, bytes, report);
        } else if (EndsWith(rel, ".mp3")) {
            if (ReadFile(tree.Native(rel), &bytes))
                CheckMusic(rel, bytes, report);
        } else if (EndsWith(rel, ".mft")) {
            CheckFont(rel, report);
        }
    }
    engine->TakeMessages();
    if (total > kImageBudget)
        report->Add("images", Format("decode to %.1f MiB (at most %.0f MiB)", total / (1024 * 1024),
                                     kImageBudget / (1024 * 1024)));
    if (music)
        for (const char *m : kMusic) {
            std::string rel = std::string(kMusicPackage) + "/music/" + m + ".mp3";
            if (!tree.Has(rel))
                report->Add(rel, Format("is missing (the game plays music/%s)", m));
        }
}

}  // namespace contentcheck
