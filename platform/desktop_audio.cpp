// The desktop backend's audio output: one SDL2 audio device at 22050 Hz stereo 16-bit
// whose callback pulls frames from the device layer's mixer. Without a usable audio
// device the output falls back to real-time consumption, so queues still drain.
#include "platform/desktop_audio.h"

#include <SDL.h>

#include <cstdio>

#include "platform/audio_core.h"

namespace ovdev {
namespace desktop {
namespace {

void Pull(void *, Uint8 *stream, int len) {
    detail::MixAudio(reinterpret_cast<int16_t *>(stream), len / 4);
}

class SdlAudioSink : public detail::AudioSink {
public:
    ~SdlAudioSink() override {
        Stop();
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
    }

    void Start() override {
        if (device_ || fallback_) return;
        SDL_AudioSpec want, have;
        SDL_zero(want);
        want.freq = detail::kMixRate;
        want.format = AUDIO_S16SYS;
        want.channels = 2;
        want.samples = 512;
        want.callback = Pull;
        device_ = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
        if (device_) {
            SDL_PauseAudioDevice(device_, 0);
            return;
        }
        std::fprintf(stderr, "No audio device (%s); sound is mixed and discarded.\n", SDL_GetError());
        fallback_ = detail::MakeRealTimeSink();
        fallback_->Start();
    }

    void Stop() override {
        if (device_) SDL_CloseAudioDevice(device_);
        device_ = 0;
        if (fallback_) fallback_->Stop();
        fallback_.reset();
    }

    headless::AudioMode Mode() const override { return headless::AudioMode::Device; }

private:
    SDL_AudioDeviceID device_ = 0;
    std::unique_ptr<detail::AudioSink> fallback_;
};

}  // namespace

void InstallAudioOutput() {
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        std::fprintf(stderr, "SDL audio unavailable (%s); sound is mixed and discarded.\n", SDL_GetError());
        return;
    }
    detail::SetAudioSink(std::make_unique<SdlAudioSink>());
}

}  // namespace desktop
}  // namespace ovdev
