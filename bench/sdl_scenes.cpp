// The same scenes on SDL2's own 2-D renderer (SDL_Renderer), for comparison: N moving
// sprites (one texture or two alternating, 2x2 or 32x32) or a screen of text drawn as
// one textured rectangle per glyph from a glyph atlas; 800x600, alpha blending on,
// fixed seed and frame count, a glFinish after each present, swap interval 0. The
// driver is chosen with --driver (opengl, opengles2), render batching is asked for
// explicitly.
#include <SDL.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

#include <string>
#include <vector>

namespace {

const int kWidth = 800, kHeight = 600;

struct Sprite {
    float x, y, vx, vy;
};

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

double NowSeconds(clockid_t clock)
{
    timespec ts;
    clock_gettime(clock, &ts);
    return (double)ts.tv_sec + (double)ts.tv_nsec * 1e-9;
}

long PeakRssKb()
{
    FILE *f = fopen("/proc/self/status", "r");
    if (!f)
        return -1;
    char line[256];
    long kb = -1;
    while (fgets(line, sizeof line, f))
        if (strncmp(line, "VmHWM:", 6) == 0)
            kb = atol(line + 6);
    fclose(f);
    return kb;
}

// The same soft disc as the engine harness (RGBA bytes).
SDL_Texture *MakeSpriteTexture(SDL_Renderer *r, int s, int which)
{
    std::vector<uint8_t> px((size_t)s * s * 4);
    float c = (s - 1) * 0.5f;
    for (int y = 0; y < s; y++)
        for (int x = 0; x < s; x++) {
            float dx = (x - c) / (c + 0.5f), dy = (y - c) / (c + 0.5f);
            float d = 1.0f - (dx * dx + dy * dy);
            uint8_t *p = &px[((size_t)y * s + x) * 4];
            p[0] = which ? 64 : 255;
            p[1] = (uint8_t)(128 + x * 127 / (s > 1 ? s - 1 : 1));
            p[2] = which ? 255 : 64;
            p[3] = (uint8_t)(s <= 2 ? 192 : (d <= 0 ? 32 : 32 + (int)(d * 223)));
        }
    SDL_Texture *t = SDL_CreateTexture(r, SDL_PIXELFORMAT_ABGR8888, SDL_TEXTUREACCESS_STATIC, s, s);
    if (!t)
        return nullptr;
    SDL_UpdateTexture(t, nullptr, px.data(), s * 4);
    SDL_SetTextureBlendMode(t, SDL_BLENDMODE_BLEND);
    return t;
}

// The engine harness's generated font: 7x11 glyphs of codes 33..126 in a 16x6 grid of 8x12 cells.
SDL_Texture *MakeGlyphAtlas(SDL_Renderer *r)
{
    const int aw = 16 * 8, ah = 6 * 12;
    std::vector<uint8_t> px((size_t)aw * ah * 4, 0);
    for (int i = 33; i < 127; i++) {
        int cx = (i - 32) % 16 * 8, cy = (i - 32) / 16 * 12;
        uint32_t bits = (uint32_t)i * 2654435761u;
        for (int p = 0; p < 7 * 11; p++) {
            bool on = (bits >> (p % 29)) & 1;
            uint8_t *q = &px[((size_t)(cy + p / 7) * aw + cx + p % 7) * 4];
            q[0] = q[1] = q[2] = 255;
            q[3] = on ? 255 : 0;
        }
    }
    SDL_Texture *t = SDL_CreateTexture(r, SDL_PIXELFORMAT_ABGR8888, SDL_TEXTUREACCESS_STATIC, aw, ah);
    if (!t)
        return nullptr;
    SDL_UpdateTexture(t, nullptr, px.data(), aw * 4);
    SDL_SetTextureBlendMode(t, SDL_BLENDMODE_BLEND);
    return t;
}

long glyphs_drawn = 0;

void DrawText(SDL_Renderer *r, SDL_Texture *atlas, float x, float y, const char *s)
{
    for (; *s; s++, x += 8) {
        int c = (unsigned char)*s;
        if (c <= 32 || c >= 127)
            continue;
        SDL_Rect src = {(c - 32) % 16 * 8, (c - 32) / 16 * 12, 7, 11};
        SDL_FRect dst = {x, y, 7, 11};
        SDL_RenderCopyF(r, atlas, &src, &dst);
        glyphs_drawn++;
    }
}

}  // namespace

int main(int argc, char **argv)
{
    const char *t0 = getenv("BENCH_T0_NS");
    double process_start_wall = t0 ? (double)strtoll(t0, nullptr, 10) * 1e-9 : NowSeconds(CLOCK_REALTIME);
    std::string scene = "sprites", driver = "opengl";
    int size = 32, textures = 1, count = 1000, frames = 30, warmup = 3;
    unsigned seed = 12345;
    for (int i = 1; i + 1 < argc; i += 2) {
        std::string a = argv[i];
        const char *v = argv[i + 1];
        if (a == "--scene") scene = v;
        else if (a == "--driver") driver = v;
        else if (a == "--size") size = atoi(v);
        else if (a == "--textures") textures = atoi(v);
        else if (a == "--count") count = atoi(v);
        else if (a == "--frames") frames = atoi(v);
        else if (a == "--warmup") warmup = atoi(v);
        else if (a == "--seed") seed = (unsigned)strtoul(v, nullptr, 10);
        else {
            fprintf(stderr, "unknown option %s\n", argv[i]);
            return 2;
        }
    }
    if (frames <= 0 || size <= 0 || count < 0) {
        fprintf(stderr, "bad options\n");
        return 2;
    }

    SDL_SetHint(SDL_HINT_RENDER_DRIVER, driver.c_str());
    // Naming a driver turns batching off unless it is asked for.
    SDL_SetHint(SDL_HINT_RENDER_BATCHING, "1");
    SDL_SetHint(SDL_HINT_RENDER_VSYNC, "0");
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        fprintf(stderr, "SDL_Init: %s\n", SDL_GetError());
        return 1;
    }
    SDL_Window *win = SDL_CreateWindow("sdl bench", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, kWidth, kHeight,
                                       SDL_WINDOW_OPENGL);
    SDL_Renderer *r = win ? SDL_CreateRenderer(win, -1, SDL_RENDERER_ACCELERATED) : nullptr;
    if (!r) {
        fprintf(stderr, "SDL renderer: %s\n", SDL_GetError());
        return 1;
    }
    // No vertical-blank wait (the hint above asks too; this makes sure for GL windows).
    SDL_GL_SetSwapInterval(0);
    int swap_interval = SDL_GL_GetSwapInterval();
    SDL_RendererInfo info;
    SDL_GetRendererInfo(r, &info);
    if (driver != info.name) {
        fprintf(stderr, "asked for %s, got %s\n", driver.c_str(), info.name);
        return 1;
    }
    typedef void (*finish_fn)(void);
    typedef const unsigned char *(*get_string_fn)(unsigned);
    finish_fn gl_finish = (finish_fn)SDL_GL_GetProcAddress("glFinish");
    get_string_fn gl_get_string = (get_string_fn)SDL_GL_GetProcAddress("glGetString");
    if (!gl_finish) {
        fprintf(stderr, "no glFinish\n");
        return 1;
    }

    rng_state = seed;
    SDL_Texture *tex[2] = {nullptr, nullptr};
    SDL_Texture *atlas = nullptr;
    std::vector<Sprite> sprites;
    std::vector<std::string> lines;
    if (scene == "sprites") {
        tex[0] = MakeSpriteTexture(r, size, 0);
        tex[1] = MakeSpriteTexture(r, size, 1);
        sprites.resize((size_t)count);
        for (Sprite &s : sprites) {
            s.x = RandUnit() * (float)(kWidth - size);
            s.y = RandUnit() * (float)(kHeight - size);
            s.vx = (RandUnit() - 0.5f) * 4.0f;
            s.vy = (RandUnit() - 0.5f) * 4.0f;
        }
    } else {
        atlas = MakeGlyphAtlas(r);
        for (int l = 0; l < kHeight / 12; l++) {
            std::string s;
            for (int c = 0; c < kWidth / 8; c++)
                s += (char)(33 + Rand() % 94);
            lines.push_back(s);
        }
    }
    SDL_SetRenderDrawBlendMode(r, SDL_BLENDMODE_BLEND);

    int frame_no = 0;
    const float max_x = (float)(kWidth - size), max_y = (float)(kHeight - size);
    auto frame = [&]() {
        SDL_Event ev;
        while (SDL_PollEvent(&ev)) {
        }
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
        SDL_SetRenderDrawColor(r, 26, 26, 38, 255);
        SDL_RenderClear(r);
        if (scene == "sprites") {
            size_t n = sprites.size();
            for (size_t i = 0; i < n; i++) {
                SDL_FRect dst = {sprites[i].x, sprites[i].y, (float)size, (float)size};
                SDL_RenderCopyF(r, tex[textures == 2 ? (i & 1) : 0], nullptr, &dst);
            }
        } else {
            char first[128];
            snprintf(first, sizeof first, "frame %06d %s", frame_no, lines[0].c_str() + 13);
            DrawText(r, atlas, 0, 0, first);
            for (size_t i = 1; i < lines.size(); i++)
                DrawText(r, atlas, 0, (float)(i * 12), lines[i].c_str());
        }
        SDL_RenderPresent(r);
        gl_finish();
        frame_no++;
    };

    frame();
    double startup = NowSeconds(CLOCK_REALTIME) - process_start_wall;
    for (int i = 0; i < warmup; i++)
        frame();
    double t_start = NowSeconds(CLOCK_MONOTONIC);
    double cpu_start = NowSeconds(CLOCK_PROCESS_CPUTIME_ID);
    glyphs_drawn = 0;
    for (int i = 0; i < frames; i++)
        frame();
    double elapsed = NowSeconds(CLOCK_MONOTONIC) - t_start;
    double cpu = NowSeconds(CLOCK_PROCESS_CPUTIME_ID) - cpu_start;
    double fps = frames / elapsed;
    long items = scene == "sprites" ? count : (glyphs_drawn + frames / 2) / frames;
    const unsigned char *renderer = gl_get_string ? gl_get_string(0x1F01 /* GL_RENDERER */) : nullptr;
    printf("RESULT prog=sdl-%s backend=xvfb scene=%s size=%d textures=%d n=%ld frames=%d fps=%.3f items_per_s=%.0f "
           "draws_per_frame=-1 swap_interval=%d startup_ms=%.1f peak_rss_kb=%ld cpu_per_frame_ms=%.3f renderer=\"%s\"\n",
           driver.c_str(), scene.c_str(), size, textures, items, frames, fps, fps * (double)items, swap_interval,
           startup * 1000.0,
           PeakRssKb(), cpu * 1000.0 / frames, renderer ? (const char *)renderer : "?");
    fflush(stdout);

    SDL_DestroyRenderer(r);
    SDL_DestroyWindow(win);
    SDL_Quit();
    return 0;
}
