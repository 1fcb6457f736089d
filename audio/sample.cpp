// WAV reading, silence generation and volume rescaling of ovSample.
#include "audio/sample.h"

#include "core/ov_state.h"
#include "nstring.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

namespace {

uint16_t Le16(const uint8_t *p)
{
    return (uint16_t)(p[0] | (p[1] << 8));
}

uint32_t Le32(const uint8_t *p)
{
    return (uint32_t)p[0] | ((uint32_t)p[1] << 8) | ((uint32_t)p[2] << 16) | ((uint32_t)p[3] << 24);
}

// True when the name is longer than 3 characters and ends in ext (any case).
bool EndsWith(const char *name, const char *ext)
{
    size_t n = strlen(name);
    if (n <= 3)
        return false;
    for (int i = 0; i < 3; i++) {
        char a = name[n - 3 + i], b = ext[i];
        if (a >= 'A' && a <= 'Z')
            a = (char)(a - 'A' + 'a');
        if (a != b)
            return false;
    }
    return true;
}

}  // namespace

bool ovSample::LoadWavHeader(ovWaveHeader *h, const uint8_t *data, size_t size)
{
    if (!data || size < 44)
        return false;
    h->riff_id = Le32(data);
    h->riff_size = Le32(data + 4);
    h->wave_id = Le32(data + 8);
    h->fmt_id = Le32(data + 12);
    h->fmt_size = Le32(data + 16);
    h->format_tag = Le16(data + 20);
    h->channels = Le16(data + 22);
    h->sample_rate = Le32(data + 24);
    h->byte_rate = Le32(data + 28);
    h->block_align = Le16(data + 32);
    h->bits_per_sample = Le16(data + 34);
    h->data_id = Le32(data + 36);
    h->data_size = Le32(data + 40);

    if (h->fmt_size != 16) {
        OV_PrintDebugf(OV_WARNING, "Unsupported or BAD sample format");
        return false;
    }
    if (h->channels != 1 && h->channels != 2) {
        OV_PrintDebugf(OV_WARNING, "Unsupported or BAD sample format (%d channels).", (int)h->channels);
        return false;
    }
    const uint64_t available = (uint64_t)size - 44;
    if ((uint64_t)h->data_size > available) {
        OV_PrintDebugf(OV_WARNING, "Sample file size doesn't match header (%d bytes vs %d bytes).", (int)available,
                       (int)h->data_size);
        return false;
    }
    if (available < 32) {
        OV_PrintDebugf(OV_WARNING, "Sample file size too small. Must be at least 16 samples.");
        return false;
    }
    // Only 16-bit samples can be written to a channel, and the rate and tail are
    // computed from the bytes per sample, so other sizes are refused here.
    if (h->bits_per_sample != 16) {
        OV_PrintDebugf(OV_WARNING, "Unsupported sample format (%d bits per sample): only 16-bit samples play.",
                       (int)h->bits_per_sample);
        return false;
    }
    const uint64_t rate = (uint64_t)h->byte_rate / 2 / h->channels;
    if (rate < OV_SAMPLE_MIN_RATE || rate > OV_SAMPLE_MAX_RATE) {
        OV_PrintDebugf(OV_WARNING, "Unsupported sample rate (%llu Hz): must be %d to %d Hz.", (unsigned long long)rate,
                       OV_SAMPLE_MIN_RATE, OV_SAMPLE_MAX_RATE);
        return false;
    }
    if (h->data_size > OV_SAMPLE_MAX_DATA) {
        OV_PrintDebugf(OV_WARNING, "Sample data too large (%u bytes): at most %d bytes.", (unsigned)h->data_size,
                       OV_SAMPLE_MAX_DATA);
        return false;
    }
    return true;
}

bool ovSample::LoadWavFromMemory(const uint8_t *data, size_t length)
{
    ovWaveHeader h;
    if (!LoadWavHeader(&h, data, length))
        return false;
    const uint64_t bytes_per_sample = h.bits_per_sample / 8;
    const uint64_t new_rate = (uint64_t)h.byte_rate / bytes_per_sample / h.channels;
    const uint64_t tail = (uint64_t)((float)(bytes_per_sample * new_rate) * 0.15f);
    const uint64_t total = (uint64_t)h.data_size + 8 + tail;
    uint8_t *block = (uint8_t *)malloc((size_t)total);
    if (!block) {
        OV_PrintDebugf(OV_WARNING, "Unable to allocate %llu bytes for a sample.", (unsigned long long)total);
        return false;
    }
    memset(block, 0, 8);
    memcpy(block + 8, data + 44, h.data_size);
    memset(block + 8 + h.data_size, 0, (size_t)tail);

    free(buffer);
    buffer = block;
    bits = h.bits_per_sample;
    channels = h.channels;
    rate = (int)new_rate;
    size = (int)total;
    sample_count = (int)(total / bytes_per_sample);
    seconds = (float)((double)h.data_size / (double)(new_rate * bytes_per_sample * h.channels));
    return true;
}

bool ovSample::LoadWavFromFile(const char *name)
{
    ov_file_t *f = ov->OV_OpenFile(name, "rb");
    if (!f) {
        OV_PrintDebugf(OV_WARNING, "Sample file '%s' not found.\n", name);
        return false;
    }
    bool ok = false;
    ov->OV_fseek(f, 0, SEEK_END);  // the file's size, then back to its start
    const long length = ov->OV_ftell(f);
    ov->OV_fseek(f, 0, SEEK_SET);
    if (length < 44 || length > (long)OV_SAMPLE_MAX_DATA + 44) {
        OV_PrintDebugf(OV_WARNING, "Sample file '%s' has an unusable size (%ld bytes).\n", name, length);
    } else {
        uint8_t *data = (uint8_t *)malloc((size_t)length);
        if (data && ov->OV_ReadFile(data, (unsigned)length, f) == (unsigned)length)
            ok = LoadWavFromMemory(data, (size_t)length);
        else
            OV_PrintDebugf(OV_WARNING, "Unable to read sample file '%s'.\n", name);
        free(data);
    }
    ov->OV_CloseFile(f);
    return ok;
}

bool ovSample::Load(const char *name)
{
    Free();
    type = OV_SAMPLE_NONE;
    if (!name)
        return false;
    if (EndsWith(name, "mp3")) {
        type = OV_SAMPLE_MP3;
        file_name = nStringDuplicate(name);
        return true;
    }
    if (EndsWith(name, "wav")) {
        type = OV_SAMPLE_WAV;
        file_name = nStringDuplicate(name);
        return LoadWavFromFile(name);
    }
    return false;
}

void ovSample::GenerateSilence(int new_size, int new_rate)
{
    free(buffer);
    buffer = nullptr;
    channels = 1;
    bits = 16;
    rate = new_rate;
    size = new_size < 0 ? 0 : new_size;
    const int tail = (int)((float)(new_rate * 2) * 0.15f);
    buffer = (uint8_t *)calloc((size_t)size + (size_t)tail, 1);
    if (tail > size)
        size += tail;
    sample_count = size / 2;
}

void ovSample::RescaleVolume(float factor)
{
    if (!buffer)
        return;
    int16_t *values = (int16_t *)buffer;
    for (int i = 0; i < sample_count; i++)
        values[i] = (int16_t)(int)(values[i] * factor);
}

void ovSample::Free()
{
    free(buffer);
    buffer = nullptr;
    seconds = 0.0f;
    nStringFree(file_name);
    file_name = nullptr;
}
