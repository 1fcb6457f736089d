// Helpers of the font and text tests: fonts built in memory with chosen metrics and
// solid glyph images, written as ".mft" files into the program directory, and a small
// byte writer for hand-made font files.
#ifndef TEST_FONT_UTIL_H
#define TEST_FONT_UTIL_H

#include "gfx/font.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>

#include <string>
#include <vector>

namespace fonttest {

// A record of count glyphs with codes 0..count-1, scale 1, nothing else set.
inline void InitFont(ov_font_t *f, const char *name, int count = 256)
{
    memset(f, 0, sizeof *f);
    f->name = strdup(name);
    f->glyph_count = count;
    f->glyphs = (ov_glyph_t *)calloc((size_t)count, sizeof(ov_glyph_t));
    f->scale = 1.0f;
    for (int i = 0; i < count; i++)
        f->glyphs[i].code = i;
}

// Glyph i: advance, and a w x h image of one colour (R, G, B, A) at y_offset.
inline void SetGlyph(ov_font_t *f, int i, int advance, int w = 0, int h = 0, int y_offset = 0,
                     const uint8_t rgba[4] = nullptr)
{
    static const uint8_t white[4] = {255, 255, 255, 255};
    if (!rgba)
        rgba = white;
    ov_glyph_t &g = f->glyphs[i];
    g.advance = (int16_t)advance;
    g.y_offset = (int16_t)y_offset;
    free(g.image.pixels);
    g.image.pixels = nullptr;
    g.image.width = g.image.src_width = w;
    g.image.height = g.image.src_height = h;
    if (w > 0 && h > 0) {
        g.image.pixels = (uint8_t *)malloc((size_t)w * h * 4);
        for (int p = 0; p < w * h; p++)
            memcpy(g.image.pixels + p * 4, rgba, 4);
    }
}

inline void FreeFont(ov_font_t *f)
{
    OVI_FreeFontGlyphs(f);
    free(f->name);
    f->name = nullptr;
}

inline void MakeDirs(const std::string &path)
{
    for (size_t i = 1; i < path.size(); i++)
        if (path[i] == '/')
            mkdir(path.substr(0, i).c_str(), 0755);
}

// Copies a file between native paths (directories created); false when it fails.
inline bool CopyFile(const std::string &from, const std::string &to)
{
    FILE *in = fopen(from.c_str(), "rb");
    if (!in)
        return false;
    MakeDirs(to);
    FILE *out = fopen(to.c_str(), "wb");
    char buf[65536];
    size_t n;
    bool ok = out != nullptr;
    while (ok && (n = fread(buf, 1, sizeof buf, in)) > 0)
        ok = fwrite(buf, 1, n, out) == n;
    fclose(in);
    if (out)
        ok = fclose(out) == 0 && ok;
    return ok;
}

// Writes bytes to a native path (directories created).
inline void WriteFile(const std::string &path, const std::vector<uint8_t> &bytes)
{
    MakeDirs(path);
    FILE *fp = fopen(path.c_str(), "wb");
    if (!fp)
        return;
    fwrite(bytes.data(), 1, bytes.size(), fp);
    fclose(fp);
}

inline void WriteText(const std::string &path, const std::string &text)
{
    WriteFile(path, std::vector<uint8_t>(text.begin(), text.end()));
}

// Little-endian byte writer.
struct Bytes {
    std::vector<uint8_t> b;
    Bytes &raw(const void *p, size_t n)
    {
        const uint8_t *c = (const uint8_t *)p;
        b.insert(b.end(), c, c + n);
        return *this;
    }
    Bytes &str(const char *s) { return raw(s, strlen(s) + 1); }
    Bytes &u8(int v) { b.push_back((uint8_t)v); return *this; }
    Bytes &i16(int v) { u8(v & 0xff); return u8((v >> 8) & 0xff); }
    Bytes &i32(int v) { i16(v & 0xffff); return i16((v >> 16) & 0xffff); }
    Bytes &fill(int v, size_t n) { b.insert(b.end(), n, (uint8_t)v); return *this; }
};

}  // namespace fonttest

#endif
