// The engine's scene harness: N moving sprites drawn each frame through OV_DrawBitmap
// (one texture or two alternating ones, 2x2 or 32x32 pixels), or a screen of text
// through OV_DrawTextf, on an 800x600 window with alpha blending on. The program
// brings the engine up itself (headless pbuffer or the desktop window), asks for swap
// interval 0 (no vertical-blank wait), runs a fixed number of frames with a GL finish
// after each, and prints one RESULT line: frames/s, sprites/s, draw calls and quads per
// frame (counted through the GL table), the GL context kind, the time from the process
// start to the first presented frame and the peak resident memory.
//
// Text: 50 lines of 100 random printable characters in the generated 7x11 font (94
// glyphs, advance 8, line height 12), the same glyphs the other programs draw. '|'
// opens a markup block in the engine's text, so it is written "||" to draw the
// character itself; the glyphs drawn per frame are counted and printed.
#include "core/ov_state.h"
#include "gfx/bitmap.h"
#include "gfx/font.h"
#include "gfx/gl-table.h"
#include "gfx/rendimp-gles.h"
#include "gfx/window.h"
#include "platform/device.h"
#include "platform/screen.h"

#include <GLES/gl.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <string>
#include <vector>

#ifndef ORVEX_BENCH_PROGRAM_DIR
#define ORVEX_BENCH_PROGRAM_DIR ""
#endif

namespace {

const int kWidth = 800, kHeight = 600;

struct Options {
    std::string scene = "sprites";  // sprites | text
    int size = 32;                  // sprite side in pixels
    int textures = 1;               // 1 or 2 alternating textures
    int count = 1000;               // sprites
    int frames = 30;
    int warmup = 3;
    bool headless = true;
    int filter = 0;                 // 0 nearest (what the peers sample with), 1 linear
    bool shipped_font = false;      // text in the build's fonts/medium.mft instead of the 7x11 font
    unsigned seed = 12345;
};

Options opt;

struct Sprite {
    float x, y, vx, vy;
};
std::vector<Sprite> sprites;
ov_bitmap_t *tex[2] = {nullptr, nullptr};
ov_font_t *font = nullptr;
std::vector<std::string> text_lines;    // as generated
std::vector<std::string> text_escaped;  // the same, '|' written "||"
int frame_no = 0;

// Draw calls and quads (6 indices each) counted by wrapping the two draw entries of
// the GL table.
long draw_calls = 0;
long quads_drawn = 0;
void (*real_draw_elements)(GLenum, GLsizei, GLenum, const void *) = nullptr;
void (*real_draw_arrays)(GLenum, GLint, GLsizei) = nullptr;
void CountingDrawElements(GLenum mode, GLsizei count, GLenum type, const void *indices)
{
    draw_calls++;
    if (mode == GL_TRIANGLES)
        quads_drawn += count / 6;
    real_draw_elements(mode, count, type, indices);
}
void CountingDrawArrays(GLenum mode, GLint first, GLsizei count)
{
    draw_calls++;
    real_draw_arrays(mode, first, count);
}

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

// The time since the process was started by the script (BENCH_T0_NS, wall clock), or
// since main when run by hand.
double process_start_wall = 0;

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

// Bitmaps are made in memory: a soft disc whose alpha falls off to the edge, tinted per
// texture, so that every pixel really blends.
bool MakeSpriteBitmap(ov_bitmap_t *b)
{
    int s = opt.size;
    int which = b->name && strchr(b->name, 'b') ? 1 : 0;
    b->width = b->height = b->src_width = b->src_height = s;
    b->pixels = (uint8_t *)malloc((size_t)s * s * 4);
    float c = (s - 1) * 0.5f;
    for (int y = 0; y < s; y++)
        for (int x = 0; x < s; x++) {
            float dx = (x - c) / (c + 0.5f), dy = (y - c) / (c + 0.5f);
            float d = 1.0f - (dx * dx + dy * dy);
            uint8_t *p = b->pixels + ((size_t)y * s + x) * 4;
            p[0] = which ? 64 : 255;
            p[1] = (uint8_t)(128 + x * 127 / (s > 1 ? s - 1 : 1));
            p[2] = which ? 255 : 64;
            p[3] = (uint8_t)(s <= 2 ? 192 : (d <= 0 ? 32 : 32 + (int)(d * 223)));
        }
    b->flags |= OV_BITMAP_ALPHA;
    return true;
}

void MakeDirs(const std::string &path)
{
    for (size_t i = 1; i < path.size(); i++)
        if (path[i] == '/')
            mkdir(path.substr(0, i).c_str(), 0755);
}

bool CopyFile(const std::string &from, const std::string &to)
{
    FILE *in = fopen(from.c_str(), "rb");
    if (!in)
        return false;
    MakeDirs(to);
    FILE *out = fopen(to.c_str(), "wb");
    char buf[8192];
    size_t n;
    while (out && (n = fread(buf, 1, sizeof buf, in)) > 0)
        fwrite(buf, 1, n, out);
    fclose(in);
    if (out)
        fclose(out);
    return out != nullptr;
}

// A font of the printable ASCII range, 7x11 glyph images with a pattern of set and
// clear pixels per code, advance 8, line height 12, written with the engine's writer.
bool WriteBenchFont(const char *res_name)
{
    ov_font_t f;
    memset(&f, 0, sizeof f);
    f.name = strdup("fonts/bench.mft");
    f.glyph_count = 128;
    f.glyphs = (ov_glyph_t *)calloc(128, sizeof(ov_glyph_t));
    f.scale = 1.0f;
    f.height = 11;
    f.line_height = 12;
    f.top_offset = 11;
    for (int i = 0; i < 128; i++) {
        ov_glyph_t &g = f.glyphs[i];
        g.code = i;
        g.advance = 8;
        if (i <= 32 || i >= 127)
            continue;
        const int w = 7, h = 11;
        g.image.width = g.image.src_width = w;
        g.image.height = g.image.src_height = h;
        g.image.pixels = (uint8_t *)malloc((size_t)w * h * 4);
        uint32_t bits = (uint32_t)i * 2654435761u;
        for (int p = 0; p < w * h; p++) {
            bool on = (bits >> (p % 29)) & 1;
            uint8_t *px = g.image.pixels + p * 4;
            px[0] = px[1] = px[2] = 255;
            px[3] = on ? 255 : 0;
        }
    }
    int ok = OV_SaveFont(&f, res_name);
    OVI_FreeFontGlyphs(&f);
    free(f.name);
    return ok == 1;
}

void Settings()
{
    ov_state.developer_mode = 0;
    ov_state.console = 0;
    ov_state.logging = 0;
    ov_state.show_fps = 0;
}

void Update(float)
{
    if (opt.scene != "sprites")
        return;
    const float max_x = (float)(kWidth - opt.size), max_y = (float)(kHeight - opt.size);
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
}

// The text as the engine draws it literally: '|' opens a markup block, "||" is the character.
std::string EscapeMarkup(const std::string &s)
{
    std::string out;
    for (char c : s) {
        out += c;
        if (c == '|')
            out += '|';
    }
    return out;
}

// Glyphs with an image in a line (what every program draws as one quad each).
long VisibleGlyphs(const std::string &s)
{
    long n = 0;
    for (unsigned char c : s)
        n += (c > 32 && c < 127) ? 1 : 0;
    return n;
}

void Draw(float)
{
    ov->OV_ClearScreen(0.1f, 0.1f, 0.15f);
    ov->OV_SetBlend(0);
    ov->OV_SetPixelFilter(opt.filter);
    if (opt.scene == "sprites") {
        if (opt.textures == 1) {
            ov_bitmap_t *b = tex[0];
            for (const Sprite &s : sprites)
                ov->OV_DrawBitmap(b, s.x, s.y);
        } else {
            size_t n = sprites.size();
            for (size_t i = 0; i < n; i++)
                ov->OV_DrawBitmap(tex[i & 1], sprites[i].x, sprites[i].y);
        }
    } else {
        // The first line changes every frame, so nothing can be kept from the last one.
        ov->OV_DrawTextf(font, 0, 0, "frame %06d %s", frame_no, EscapeMarkup(text_lines[0].substr(13)).c_str());
        for (size_t i = 1; i < text_escaped.size(); i++)
            ov->OV_DrawTextf(font, 0, (float)(i * 12), "%s", text_escaped[i].c_str());
    }
}

ov_prog_t record;

int AppInit()
{
    return 1;
}

void Usage()
{
    fprintf(stderr,
            "usage: orvex_scenes [--scene sprites|text] [--size 2|32] [--textures 1|2] [--count N]\n"
            "                    [--frames F] [--warmup W] [--headless|--desktop] [--filter nearest|linear]\n"
            "                    [--seed S] [--font generated|shipped]\n");
}

bool ParseArgs(int argc, char **argv)
{
    for (int i = 1; i < argc; i++) {
        std::string a = argv[i];
        auto next = [&](void) -> const char * { return i + 1 < argc ? argv[++i] : nullptr; };
        const char *v = nullptr;
        if (a == "--headless")
            opt.headless = true;
        else if (a == "--desktop")
            opt.headless = false;
        else if (a == "--scene" && (v = next()))
            opt.scene = v;
        else if (a == "--size" && (v = next()))
            opt.size = atoi(v);
        else if (a == "--textures" && (v = next()))
            opt.textures = atoi(v);
        else if (a == "--count" && (v = next()))
            opt.count = atoi(v);
        else if (a == "--frames" && (v = next()))
            opt.frames = atoi(v);
        else if (a == "--warmup" && (v = next()))
            opt.warmup = atoi(v);
        else if (a == "--filter" && (v = next()))
            opt.filter = strcmp(v, "linear") == 0 ? 1 : 0;
        else if (a == "--font" && (v = next()))
            opt.shipped_font = strcmp(v, "shipped") == 0;
        else if (a == "--seed" && (v = next()))
            opt.seed = (unsigned)strtoul(v, nullptr, 10);
        else
            return false;
    }
    return (opt.scene == "sprites" || opt.scene == "text") && opt.size > 0 && opt.size <= 256 &&
           (opt.textures == 1 || opt.textures == 2) && opt.count >= 0 && opt.frames > 0 && opt.warmup >= 0;
}

}  // namespace

extern "C" ov_prog_t *OV_GetInterface(void)
{
    memset(&record, 0, sizeof record);
    record.interface_version = OV_INTERFACE_VERSION;
    record.parms.width = kWidth;
    record.parms.height = kHeight;
    record.parms.windowed = 1;
    record.parms.no_sound = 1;
    record.parms.reference_counting = 1;
    strcpy(record.title, "Orvex Bench");
    strcpy(record.id, "orvex.bench");
    strcpy(record.version, "1.0");
    strcpy(record.developer_name, "Bench");
    record.Init = AppInit;
    record.Update = Update;
    record.Draw = Draw;
    return &record;
}

int main(int argc, char **argv)
{
    const char *t0 = getenv("BENCH_T0_NS");
    process_start_wall = t0 ? (double)strtoll(t0, nullptr, 10) * 1e-9 : NowSeconds(CLOCK_REALTIME);
    if (!ParseArgs(argc, argv)) {
        Usage();
        return 2;
    }

    // A program directory of our own in a fresh temporary directory.
    char cwd[1024];
    if (!getcwd(cwd, sizeof cwd))
        return 1;
    char tmpl[] = "/tmp/orvex-bench-XXXXXX";
    if (!mkdtemp(tmpl) || chdir(tmpl) != 0) {
        fprintf(stderr, "cannot make a working directory\n");
        return 1;
    }
    MakeDirs("app/native/fonts/");
    {
        FILE *f = fopen("app/native/prog.xml", "w");
        if (f) {
            fputs("<?xml version=\"1.0\" encoding=\"iso-8859-1\"?>\n<root>\n<array id=\"PARAMETERS\">\n"
                  "<node id=\"APPLICATION\" program_id=\"orvex.bench\" name=\"Orvex Bench\" developer=\"Bench\" "
                  "version=\"1.0\" />\n<node id=\"DEVELOPER\" developer_mode=\"0\" logging=\"0\" console=\"0\" />\n"
                  "</array>\n<array id=\"VARIANTS\">\n<node id=\"QNX\" renderer_implementation=\"ri_gles\" />\n"
                  "<node id=\"QNX/LARGE\" renderer_implementation=\"ri_gles\" />\n</array>\n</root>\n",
                  f);
            fclose(f);
        }
    }
    // With --font shipped, a font laid out by the build, when there is one.
    std::string font_name;
    const std::string built = ORVEX_BENCH_PROGRAM_DIR;
    for (const char *candidate : {"fonts/medium.mft", "core/console.mft"})
        if (opt.shipped_font && !built.empty() && font_name.empty() &&
            CopyFile(built + "/" + candidate, std::string("app/native/") + candidate))
            font_name = candidate;

    if (opt.headless) {
        ovdev::UseHeadlessBackend();
    } else {
#if ORVEX_BENCH_DESKTOP
        std::string error;
        if (!ovdev::UseDesktopBackend(&error)) {
            fprintf(stderr, "no display: %s\n", error.c_str());
            return 1;
        }
#else
        fprintf(stderr, "built without the desktop backend: use --headless\n");
        return 1;
#endif
    }
    ovdev::SetDisplayMode(kWidth, kHeight);
    if (ovdev::screen_create_context(&ov_qnx_screen_context, 0) != 0 || OV_QNX_InitWindowAndContexts() != 1) {
        fprintf(stderr, "no window\n");
        return 1;
    }
    OVI_SetProgramSettingsHook(Settings);
    OVI_SetBitmapFileLoader(MakeSpriteBitmap);
    if (!OVI_PreInit(nullptr) || !OVI_Init()) {
        fprintf(stderr, "engine start failed\n");
        return 1;
    }

    rng_state = opt.seed;
    if (opt.scene == "sprites") {
        tex[0] = ov->OV_LoadBitmap("spra", OV_CACHE_GPU);
        tex[1] = ov->OV_LoadBitmap("sprb", OV_CACHE_GPU);
        if (!tex[0] || !tex[1]) {
            fprintf(stderr, "no sprite bitmaps\n");
            return 1;
        }
        sprites.resize((size_t)opt.count);
        for (Sprite &s : sprites) {
            s.x = RandUnit() * (float)(kWidth - opt.size);
            s.y = RandUnit() * (float)(kHeight - opt.size);
            s.vx = (RandUnit() - 0.5f) * 4.0f;
            s.vy = (RandUnit() - 0.5f) * 4.0f;
        }
    } else {
        if (font_name.empty()) {
            font_name = "fonts/bench.mft";
            if (!WriteBenchFont("res://fonts/bench.mft")) {
                fprintf(stderr, "cannot write the font\n");
                return 1;
            }
        }
        font = ov->OV_GetFont(font_name.c_str());
        if (!font) {
            fprintf(stderr, "no font\n");
            return 1;
        }
        // 50 lines of 100 printable characters: a full 800x600 screen at 8x12.
        for (int l = 0; l < kHeight / 12; l++) {
            std::string s;
            for (int c = 0; c < kWidth / 8; c++)
                s += (char)(33 + Rand() % 94);
            text_lines.push_back(s);
            text_escaped.push_back(EscapeMarkup(s));
        }
    }
    // No vertical-blank wait: a real display's refresh must not cap one program only.
    // "none" in the result: the driver offers no swap control (Xvfb has no vertical blank).
    bool swap_interval_0 = OVID_OGLES_SetSwapInterval(0);

    real_draw_elements = ovgl.DrawElements;
    real_draw_arrays = ovgl.DrawArrays;
    ovgl.DrawElements = CountingDrawElements;
    ovgl.DrawArrays = CountingDrawArrays;

    // The first presented frame ends the start-up.
    OVI_Frame(16);
    ovgl.Finish();
    double startup = NowSeconds(CLOCK_REALTIME) - process_start_wall;
    frame_no++;
    for (int i = 0; i < opt.warmup; i++, frame_no++) {
        OVI_Frame(16);
        ovgl.Finish();
    }

    draw_calls = 0;
    quads_drawn = 0;
    double t_start = NowSeconds(CLOCK_MONOTONIC);
    double cpu_start = NowSeconds(CLOCK_PROCESS_CPUTIME_ID);
    for (int i = 0; i < opt.frames; i++, frame_no++) {
        OVI_Frame(16);
        ovgl.Finish();
    }
    unsigned char px[4];
    ovgl.ReadPixels(0, 0, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, px);
    double elapsed = NowSeconds(CLOCK_MONOTONIC) - t_start;
    double cpu = NowSeconds(CLOCK_PROCESS_CPUTIME_ID) - cpu_start;

    double fps = opt.frames / elapsed;
    long items = opt.count;
    if (opt.scene == "text") {
        // Glyphs of the last frame's text (the first line's number has as many digits each frame).
        char first[32];
        snprintf(first, sizeof first, "frame %06d ", frame_no - 1);
        items = VisibleGlyphs(first) + VisibleGlyphs(text_lines[0].substr(13));
        for (size_t i = 1; i < text_lines.size(); i++)
            items += VisibleGlyphs(text_lines[i]);
    }
    const char *renderer = (const char *)ovgl.GetString(GL_RENDERER);
    printf("RESULT prog=orvex backend=%s scene=%s size=%d textures=%d n=%ld frames=%d fps=%.3f "
           "items_per_s=%.0f filter=%s draws_per_frame=%.2f quads_per_frame=%.1f context=%s swap_interval=%s "
           "startup_ms=%.1f peak_rss_kb=%ld cpu_per_frame_ms=%.3f renderer=\"%s\"\n",
           opt.headless ? "headless" : "xvfb", opt.scene.c_str(), opt.size, opt.textures, items, opt.frames, fps,
           fps * (double)items, opt.filter ? "linear" : "nearest", (double)draw_calls / opt.frames,
           (double)quads_drawn / opt.frames, OVID_OGLES_ContextKind(), swap_interval_0 ? "0" : "none", startup * 1000.0,
           PeakRssKb(), cpu * 1000.0 / opt.frames, renderer ? renderer : "?");
    fflush(stdout);

    ovgl.DrawElements = real_draw_elements;
    ovgl.DrawArrays = real_draw_arrays;
    if (font)
        ov->OV_ReleaseFont(font);
    ORVEX_Shutdown();
    OVI_SetBitmapFileLoader(nullptr);
    if (ov_qnx_screen_context) {
        ovdev::screen_destroy_context(ov_qnx_screen_context);
        ov_qnx_screen_context = nullptr;
    }
    if (chdir(cwd) == 0) {
        std::string cmd = std::string("rm -rf '") + tmpl + "'";
        if (system(cmd.c_str()) != 0)
            fprintf(stderr, "could not remove %s\n", tmpl);
    }
    return 0;
}
