// The desktop backend's audio output: the mixer's frames reach an SDL2 audio device.
// SDL's file-writing driver stands in for a sound card, so the test can read back
// exactly what the device was given.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/asound.h"
#include "platform/desktop_audio.h"
#include "platform/device.h"
#include "platform/headless_audio.h"

namespace {

using namespace ovdev;
namespace hl = ovdev::headless;

TEST(DesktopAudio, MixedFramesReachTheSdlDevice) {
    const std::string file = "/tmp/ovdev-desktop-audio-" + std::to_string(getpid()) + ".raw";
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", file.c_str(), 1);
    setenv("SDL_DISKAUDIODELAY", "5", 1);
    UseHeadlessBackend();
    desktop::InstallAudioOutput();
    ASSERT_EQ(hl::audio_mode(), hl::AudioMode::Device);

    snd_pcm_t *h = nullptr;
    ASSERT_EQ(snd_pcm_open_preferred(&h, nullptr, nullptr, SND_PCM_OPEN_PLAYBACK), 0);
    snd_pcm_channel_params_t p;
    std::memset(&p, 0, sizeof p);
    p.format = {1, SND_PCM_SFMT_S16_LE, 22050, 1};
    p.buf.block.frag_size = 2048;
    std::snprintf(p.sw_mixer_subchn_name, sizeof p.sw_mixer_subchn_name, "desk");
    ASSERT_EQ(snd_pcm_plugin_params(h, &p), 0);
    ASSERT_EQ(snd_pcm_plugin_prepare(h, SND_PCM_CHANNEL_PLAYBACK), 0);
    std::vector<int16_t> ramp;
    for (int i = 0; i < 8192; i++) ramp.push_back(static_cast<int16_t>(100 + i * 3));
    ASSERT_EQ(snd_pcm_plugin_write(h, ramp.data(), ramp.size() * 2), 16384);
    for (int i = 0; i < 3000 && hl::queued_bytes(1) > 0; i++) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    EXPECT_EQ(hl::queued_bytes(1), 0) << "the device consumed the queue";
    snd_pcm_close(h);  // the last user: the device closes and its file is complete
    UseHeadlessBackend();

    std::ifstream in(file, std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::remove(file.c_str());
    std::vector<int16_t> left, right;
    for (size_t i = 0; i + 3 < bytes.size(); i += 4) {
        int16_t l, r;
        std::memcpy(&l, &bytes[i], 2);
        std::memcpy(&r, &bytes[i + 2], 2);
        left.push_back(l);
        right.push_back(r);
    }
    EXPECT_NE(std::search(left.begin(), left.end(), ramp.begin(), ramp.end()), left.end());
    EXPECT_NE(std::search(right.begin(), right.end(), ramp.begin(), ramp.end()), right.end());
}

}  // namespace
