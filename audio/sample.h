// ovSample: the data of one cached sound for the QNX sound implementation: 16-bit PCM
// from a canonical 44-byte-header WAV file, padded with 8 leading zero bytes and a
// 0.15-second silent tail, or for an MP3 only the file name (the media renderer plays
// it). A generated sample of zeros is the silence that keeps one channel running.
#ifndef OV_AUDIO_SAMPLE_H
#define OV_AUDIO_SAMPLE_H

#include <stddef.h>
#include <stdint.h>

struct ov_sound_t;

enum { OV_SAMPLE_NONE = 0, OV_SAMPLE_WAV = 1, OV_SAMPLE_MP3 = 2 };

// The first 44 bytes of a WAV file as read (little-endian, unsigned).
struct ovWaveHeader {
    uint32_t riff_id, riff_size, wave_id, fmt_id;
    uint32_t fmt_size;
    uint16_t format_tag, channels;
    uint32_t sample_rate, byte_rate;
    uint16_t block_align, bits_per_sample;
    uint32_t data_id, data_size;
};

class ovSample {
public:
    ovSample() = default;
    ~ovSample() { Free(); }
    ovSample(const ovSample &) = delete;
    ovSample &operator=(const ovSample &) = delete;

    // Copies and checks the header of a whole WAV file in memory; false (with a logged
    // reason, except for a missing or short buffer) when the sample cannot be played.
    static bool LoadWavHeader(ovWaveHeader *header, const uint8_t *data, size_t length);
    // Fills the sample from a whole WAV file in memory; unchanged on failure.
    bool LoadWavFromMemory(const uint8_t *data, size_t length);
    // Reads a whole engine file and loads it as WAV; false when it does not open or load.
    bool LoadWavFromFile(const char *name);
    // Loads by the name's ending: "mp3" names only the file (no access), "wav" reads
    // it (and fails with it); other endings are refused.
    bool Load(const char *name);
    // A mono 16-bit sample of zeros of at least size bytes plus a 0.15-second tail.
    void GenerateSilence(int size, int rate);
    // Scales every 16-bit value by factor, truncating toward zero.
    void RescaleVolume(float factor);
    // Frees the buffer and the file name.
    void Free();

    int type = OV_SAMPLE_NONE;
    ov_sound_t *sound = nullptr;
    char *file_name = nullptr;
    int channels = 0;
    int bits = 0;
    int rate = 0;
    int sample_count = 0;
    uint8_t *buffer = nullptr;
    int size = 0;
    float seconds = 0.0f;  // length of the file's own data (a WAV's), 0 when unknown
};

// Limits beyond which a WAV file is refused.
enum {
    OV_SAMPLE_MIN_RATE = 4000,
    OV_SAMPLE_MAX_RATE = 96000,
    OV_SAMPLE_MAX_DATA = 64 * 1024 * 1024,
};

#endif
