// The fill-rate ceiling of this machine for the sprite scenes: our own scalar
// source-over blend of the same soft-disc sprites, moving the same way, into an
// 800x600 RGBA buffer cleared each frame. With --threads T the same loop runs on T
// threads, each owning one horizontal band of the buffer (as a tiled rasteriser splits
// the screen), so that it can be set beside a renderer using T threads. Prints blended
// pixels per second (the sprite pixels only, as the renderers' fill rate is counted).
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace {

const int kWidth = 800, kHeight = 600;

uint32_t rng_state = 1;
uint32_t Rand()
{
    rng_state = rng_state * 1664525u + 1013904223u;
    return rng_state >> 8;
}
float RandUnit()
{
    return (float)(Rand() & 0xFFFF) / 65536.0f;
}

double NowSeconds()
{
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return (double)ts.tv_sec + (double)ts.tv_nsec * 1e-9;
}

struct Sprite {
    float x, y, vx, vy;
};

// Clears rows [row0, row1) and blends every sprite's part inside them.
void BlendBand(std::vector<uint8_t> &dst, const std::vector<uint8_t> &src, int size, const std::vector<Sprite> &sprites,
               int row0, int row1)
{
    for (size_t i = (size_t)row0 * kWidth * 4; i < (size_t)row1 * kWidth * 4; i += 4) {
        dst[i] = 26;
        dst[i + 1] = 26;
        dst[i + 2] = 38;
        dst[i + 3] = 255;
    }
    for (const Sprite &s : sprites) {
        int x0 = (int)(s.x + 0.5f), y0 = (int)(s.y + 0.5f);
        int first = y0 < row0 ? row0 - y0 : 0;
        int last = y0 + size > row1 ? row1 - y0 : size;
        for (int y = first; y < last; y++) {
            const uint8_t *sp = &src[(size_t)y * size * 4];
            uint8_t *dp = &dst[((size_t)(y0 + y) * kWidth + x0) * 4];
            for (int x = 0; x < size; x++, sp += 4, dp += 4) {
                unsigned a = sp[3], ia = 255 - a;
                dp[0] = (uint8_t)((sp[0] * a + dp[0] * ia + 127) / 255);
                dp[1] = (uint8_t)((sp[1] * a + dp[1] * ia + 127) / 255);
                dp[2] = (uint8_t)((sp[2] * a + dp[2] * ia + 127) / 255);
                dp[3] = (uint8_t)((255 * a + dp[3] * ia + 127) / 255);
            }
        }
    }
}

}  // namespace

int main(int argc, char **argv)
{
    int size = 32, count = 1000, frames = 10, threads = 1;
    unsigned seed = 12345;
    for (int i = 1; i + 1 < argc; i += 2) {
        std::string a = argv[i];
        if (a == "--size") size = atoi(argv[i + 1]);
        else if (a == "--count") count = atoi(argv[i + 1]);
        else if (a == "--frames") frames = atoi(argv[i + 1]);
        else if (a == "--threads") threads = atoi(argv[i + 1]);
        else if (a == "--seed") seed = (unsigned)strtoul(argv[i + 1], nullptr, 10);
        else {
            fprintf(stderr, "usage: blend_ceiling [--size S] [--count N] [--frames F] [--threads T] [--seed S]\n");
            return 2;
        }
    }
    if (size <= 0 || size > 256 || count < 0 || frames <= 0 || threads < 1 || threads > 64)
        return 2;

    std::vector<uint8_t> src((size_t)size * size * 4);
    float c = (size - 1) * 0.5f;
    for (int y = 0; y < size; y++)
        for (int x = 0; x < size; x++) {
            float dx = (x - c) / (c + 0.5f), dy = (y - c) / (c + 0.5f);
            float d = 1.0f - (dx * dx + dy * dy);
            uint8_t *p = &src[((size_t)y * size + x) * 4];
            p[0] = 255;
            p[1] = (uint8_t)(128 + x * 127 / (size > 1 ? size - 1 : 1));
            p[2] = 64;
            p[3] = (uint8_t)(size <= 2 ? 192 : (d <= 0 ? 32 : 32 + (int)(d * 223)));
        }
    std::vector<uint8_t> dst((size_t)kWidth * kHeight * 4);
    rng_state = seed;
    std::vector<Sprite> sprites((size_t)count);
    for (Sprite &s : sprites) {
        s.x = RandUnit() * (float)(kWidth - size);
        s.y = RandUnit() * (float)(kHeight - size);
        s.vx = (RandUnit() - 0.5f) * 4.0f;
        s.vy = (RandUnit() - 0.5f) * 4.0f;
    }
    const float max_x = (float)(kWidth - size), max_y = (float)(kHeight - size);
    uint32_t checksum = 0;
    double t0 = NowSeconds();
    for (int f = 0; f < frames; f++) {
        for (Sprite &s : sprites) {
            s.x += s.vx;
            s.y += s.vy;
            if (s.x < 0 || s.x > max_x) {
                s.vx = -s.vx;
                s.x += 2 * s.vx;
            }
            if (s.y < 0 || s.y > max_y) {
                s.vy = -s.vy;
                s.y += 2 * s.vy;
            }
        }
        if (threads == 1) {
            BlendBand(dst, src, size, sprites, 0, kHeight);
        } else {
            std::vector<std::thread> workers;
            for (int t = 0; t < threads; t++)
                workers.emplace_back(BlendBand, std::ref(dst), std::cref(src), size, std::cref(sprites),
                                     kHeight * t / threads, kHeight * (t + 1) / threads);
            for (std::thread &w : workers)
                w.join();
        }
        checksum += dst[(size_t)(kHeight / 2) * kWidth * 4 + kWidth * 2];
    }
    double elapsed = NowSeconds() - t0;
    double pixels = (double)count * size * size * frames;
    printf("RESULT prog=ceiling size=%d n=%d threads=%d frames=%d fps=%.3f pixels_per_s=%.0f checksum=%u\n", size, count,
           threads, frames, frames / elapsed, pixels / elapsed, checksum);
    return 0;
}
