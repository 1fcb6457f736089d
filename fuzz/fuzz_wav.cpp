// Fuzzes the WAV sample reader, from memory and through an engine file: a loaded
// sample must hold its padded data and tail exactly, and rescaling must stay inside
// the buffer.
#include "audio/sample.h"
#include "core/ov_state.h"
#include "fuzz/fuzz_env.h"

#include <string.h>

namespace {

void CheckLoaded(ovSample &s, size_t input_size)
{
    if (s.bits != 16 || (s.channels != 1 && s.channels != 2) || s.rate < OV_SAMPLE_MIN_RATE || s.rate > OV_SAMPLE_MAX_RATE)
        __builtin_trap();
    if (s.size < 8 + 32 || (size_t)s.size > input_size - 44 + 8 + (size_t)OV_SAMPLE_MAX_RATE)
        __builtin_trap();
    if (s.sample_count != s.size / 2)
        __builtin_trap();
    // The length is the data's own: finite, 0 for no data, below the data over the lowest rate.
    if (!(s.seconds >= 0.0f) || s.seconds > (float)input_size / (2.0f * OV_SAMPLE_MIN_RATE))
        __builtin_trap();
    for (int i = 0; i < 8; i++)
        if (s.buffer[i] != 0)
            __builtin_trap();
    volatile uint8_t last = s.buffer[s.size - 1];
    (void)last;
    s.RescaleVolume(0.5f);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    fuzzenv::Start();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzzenv::BeginInput();
    ovSample memory;
    bool from_memory = memory.LoadWavFromMemory(data, size);
    if (!fuzzenv::WriteResFile("fz.wav", data, size))
        return 0;
    ovSample file;
    bool from_file = file.Load("res://fz.wav");
    if (from_file != from_memory)
        __builtin_trap();  // the same bytes load the same way from a file
    if (from_file) {
        if (file.type != OV_SAMPLE_WAV || file.size != memory.size || memcmp(file.buffer, memory.buffer, (size_t)file.size) != 0)
            __builtin_trap();
        CheckLoaded(memory, size);
        CheckLoaded(file, size);
    }
    return 0;
}
