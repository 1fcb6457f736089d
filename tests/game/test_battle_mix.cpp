// The sound of a busy battle never clips: a shipped mission of the third chapter (four
// troopers of four classes against dense waves) is played for ninety game seconds on
// the shipped data with the sound volume at its top; every effect the battle starts is
// recorded (through the engine's play call, with its rule that one sound does not start
// twice within 50 ms), and the recording is mixed as the platform's mixer mixes:
// twelve channels, a channel held half a second after its play, at most three plays of
// one sound at once, the shipped WAV samples (22050 Hz mono) times their volume,
// summed and clamped to 16 bits. No mixed sample may reach full scale.
#include "tests/game/battle_driver.h"

#include "app/services/audioman.h"
#include "app/ui/screen-manager.h"
#include "game/controls.h"
#include "game/gamestate.h"
#include "game/scape.h"

#include "ovrecords.h"

#include <gtest/gtest.h>
#include <math.h>
#include <stdint.h>
#include <stdio.h>
#include <string.h>

#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

const int kRate = 22050;
const float kStep = 1.0f / 60.0f;
const int kChannels = 12;
const uint32_t kHoldMs = 500;     // a channel stays taken this long after its play
const float kPadSeconds = 0.15f;  // the silence the engine plays after each sample
const int kSameSoundAtOnce = 3;

const char *const kShippedParts[] = {"entities.xml", "weapons.xml", "powerups.xml", "shop.xml", "texts.xml",
                                     "gameplay-global.xml", "fxs", "data-sfx-WAV_22050_MONO", "blood",
                                     "game-ui", "troopers", "chapter-1", "chapter-2", "chapter-3", "bunker",
                                     "projectiles", "powerups", "terrain"};

struct Play {
    uint32_t ms;
    std::string name;
    float volume;
};
std::vector<Play> plays;
std::map<std::string, uint32_t> last_start;

// The engine's play call as the battle reaches it, recorded on the game clock.
long RecordPlay(ov_sound_t *s, float volume, float, float)
{
    if (!s || !s->name || s->name[0] == '!' || volume <= 0.0f)
        return 0;
    uint32_t now = game.game_clock;
    auto last = last_start.find(s->name);
    if (last != last_start.end() && now - last->second < 50)
        return 0;
    last_start[s->name] = now;
    plays.push_back({now, s->name, volume > 1.0f ? 1.0f : volume});
    return (long)plays.size();
}

// The 16-bit mono samples of a shipped effect; empty when it cannot be read.
std::vector<int16_t> ReadWav(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<int16_t> out;
    size_t at = 12;
    while (at + 8 <= bytes.size()) {
        uint32_t size;
        memcpy(&size, &bytes[at + 4], 4);
        if (bytes.compare(at, 4, "data") == 0) {
            size_t n = std::min<size_t>(size, bytes.size() - at - 8) / 2;
            out.resize(n);
            memcpy(out.data(), &bytes[at + 8], n * 2);
            break;
        }
        at += 8 + size + (size & 1);
    }
    return out;
}

class BattleMix : public battletest::BattleTest {};

TEST_F(BattleMix, ABusyBattleNeverClips)
{
    ASSERT_NO_FATAL_FAILURE(
        StartOnShippedData(ORVEX_PROGRAM_DIR, kShippedParts, sizeof kShippedParts / sizeof *kShippedParts));
    for (const char *name : {"ArmTroopers", "PickReinforcement", "LevelLost", "LevelWon", "GameOver",
                             "AchievementUnlocked", "FeatureUnlocked", "Shop", "PickUpgrade"})
        MakeScreen(name);
    battle = MakeScreen("Game");
    sman.PushScreen(battle, 0);
    Steps(1, 0.0f);
    controls.Init(CONTROLS_TOUCH_COMMANDS);
    controls.Reset();
    std::ifstream level_file(std::string(ORVEX_PROGRAM_DIR) + "/missions/3_9.xml");
    std::stringstream level;
    level << level_file.rdbuf();
    ASSERT_FALSE(level.str().empty());
    StartLevel(GAME_MODE_LEVEL, level.str(), "MISSION3_9", "CHAPTER3");

    aman.SetSoundVolume(1.0f);  // the player's loudest setting
    plays.clear();
    last_start.clear();
    ov->OV_PlaySound = RecordPlay;  // the engine table is restored after the test
    sman.prev_time_ms = sman.time_ms = 0;
    for (int frame = 0; frame < 90 * 60 && !game.lost && !game.won; frame++) {
        sman.prev_time_ms = sman.time_ms;
        sman.time_ms += 1000 / 60 + (frame % 3 == 0 ? 1 : 0);
        battletest::BattleFrame(kStep, false);
    }
    ASSERT_GT(plays.size(), 300u) << "not a busy battle";

    // The mix.
    std::map<std::string, std::vector<int16_t>> samples;
    const std::string sfx = std::string(ORVEX_PROGRAM_DIR) + "/data-sfx-WAV_22050_MONO/";
    const uint32_t end_ms = game.game_clock + 10000;
    std::vector<float> mix((size_t)((uint64_t)end_ms * kRate / 1000), 0.0f);
    std::vector<uint32_t> channel_free(kChannels, 0);  // ms from which a channel takes a play
    std::vector<std::pair<uint32_t, std::string>> sounding;  // (end ms, name)
    int mixed = 0, refused = 0;
    for (const Play &p : plays) {
        auto it = samples.find(p.name);
        if (it == samples.end())
            it = samples.emplace(p.name, ReadWav(sfx + p.name + ".wav")).first;
        const std::vector<int16_t> &wav = it->second;
        if (wav.empty())
            continue;
        int same = 0;
        for (const auto &s : sounding)
            same += s.first > p.ms && s.second == p.name;
        int channel = -1;
        for (int c = 0; c < kChannels && channel < 0; c++)
            if (channel_free[c] <= p.ms)
                channel = c;
        if (same >= kSameSoundAtOnce || channel < 0) {
            refused++;
            continue;
        }
        const uint32_t length_ms = (uint32_t)((float)wav.size() * 1000.0f / kRate + kPadSeconds * 1000.0f);
        channel_free[channel] = p.ms + length_ms + kHoldMs;
        sounding.push_back({p.ms + length_ms, p.name});
        const size_t start = (size_t)((uint64_t)p.ms * kRate / 1000);
        for (size_t i = 0; i < wav.size() && start + i < mix.size(); i++)
            mix[start + i] += (float)wav[i] * p.volume;
        mixed++;
    }
    int full_scale = 0;
    float peak = 0.0f;
    for (float v : mix) {
        long s = lroundf(v);
        full_scale += s >= 32767 || s <= -32768;
        peak = fmaxf(peak, fabsf(v));
    }
    printf("battle mix: %zu plays started (%d mixed, %d refused) in %.1f s; peak %.2f dBFS; %d samples at full "
           "scale\n",
           plays.size(), mixed, refused, game.game_clock / 1000.0f, 20.0 * log10(peak / 32768.0), full_scale);
    EXPECT_EQ(full_scale, 0);
}

}  // namespace
