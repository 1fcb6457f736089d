// Fuzzes the opening and decoding of music tracks (the media renderer's MP3 decoder):
// the input is written to a file and opened as a track; an opened track is read in
// blocks until it ends, fails or two seconds of sound have come out. A read gives at
// most the frames asked for, 0 at the end or -1 on an error, and every frame handed out
// is readable.
#include "fuzz/fuzz_env.h"
#include "platform/audio_core.h"

#include <string>

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    fuzzenv::Start();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzzenv::BeginInput();
    if (!fuzzenv::WriteResFile("fz.mp3", data, size))
        return 0;
    std::string why;
    std::unique_ptr<ovdev::detail::TrackDecoder> track = ovdev::detail::OpenTrack(fuzzenv::ResPath("fz.mp3"), &why);
    if (!track) {
        if (why.empty())
            __builtin_trap();  // a refusal says why
        return 0;
    }
    constexpr int kBlock = 1024;
    int16_t block[kBlock * 2];
    long total = 0;
    while (total < ovdev::detail::kMixRate * 2) {
        const int got = track->Read(block, kBlock);
        if (got < -1 || got > kBlock)
            __builtin_trap();
        if (got <= 0)
            break;
        volatile int16_t last = block[got * 2 - 1];
        (void)last;
        total += got;
    }
    return 0;
}
