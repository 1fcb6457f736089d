// Fixture generators of the image tests (see test_image_fixtures.h).
#include "tests/gfx/test_image_fixtures.h"

#include <png.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>

namespace imgtest {

namespace {

void Append(png_structp png, png_bytep data, png_size_t n)
{
    std::vector<uint8_t> *out = (std::vector<uint8_t> *)png_get_io_ptr(png);
    out->insert(out->end(), data, data + n);
}

void NoFlush(png_structp)
{
}

}  // namespace

std::vector<uint8_t> EncodePng(const PngShape &s)
{
    std::vector<uint8_t> out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return {};
    }
    png_set_write_fn(png, &out, Append, NoFlush);
    png_set_IHDR(png, info, s.width, s.height, s.bit_depth, s.color_type,
                 s.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    std::vector<png_color> pal;
    if (s.color_type == PNG_COLOR_TYPE_PALETTE) {
        for (size_t i = 0; i + 2 < s.palette_rgb.size(); i += 3)
            pal.push_back({s.palette_rgb[i], s.palette_rgb[i + 1], s.palette_rgb[i + 2]});
        png_set_PLTE(png, info, pal.data(), (int)pal.size());
    }
    if (!s.trns.empty()) {
        if (s.color_type == PNG_COLOR_TYPE_PALETTE) {
            png_set_tRNS(png, info, s.trns.data(), (int)s.trns.size(), nullptr);
        } else {
            png_color_16 key = {};
            key.gray = (png_uint_16)(s.trns[0] << 8 | s.trns[1]);
            key.red = key.gray;
            png_set_tRNS(png, info, nullptr, 0, &key);
        }
    }
    png_write_info(png, info);
    size_t rowbytes = png_get_rowbytes(png, info);
    std::vector<png_bytep> rows(s.height);
    for (int y = 0; y < s.height; y++)
        rows[y] = (png_bytep)s.samples.data() + y * rowbytes;
    png_write_image(png, rows.data());
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return out;
}

bool WriteBytes(const std::string &path, const std::vector<uint8_t> &bytes)
{
    for (size_t i = 1; i < path.size(); i++)
        if (path[i] == '/')
            mkdir(path.substr(0, i).c_str(), 0777);
    FILE *f = fopen(path.c_str(), "wb");
    if (!f)
        return false;
    bool ok = bytes.empty() || fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return fclose(f) == 0 && ok;
}

std::vector<uint8_t> ReadBytes(const std::string &path)
{
    std::vector<uint8_t> out;
    FILE *f = fopen(path.c_str(), "rb");
    if (!f)
        return out;
    int c;
    while ((c = fgetc(f)) != EOF)
        out.push_back((uint8_t)c);
    fclose(f);
    return out;
}

void Colour(int x, int y, int seed, uint8_t out[4])
{
    out[0] = (uint8_t)(x * 16 + seed * 7);
    out[1] = (uint8_t)(y * 16 + seed * 13);
    out[2] = (uint8_t)((x + y) * 8 + seed * 29);
    out[3] = (uint8_t)(255 - ((x * 3 + y * 5 + seed) % 7) * 20);
}

std::vector<uint8_t> RgbaPng(int w, int h, int seed)
{
    PngShape s;
    s.width = w;
    s.height = h;
    s.color_type = PNG_COLOR_TYPE_RGB_ALPHA;
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++) {
            uint8_t c[4];
            Colour(x, y, seed, c);
            s.samples.insert(s.samples.end(), c, c + 4);
        }
    return EncodePng(s);
}

ov_bitmap_t *MakeBitmap(int w, int h, int seed, bool alpha)
{
    ov_bitmap_t *b = (ov_bitmap_t *)calloc(1, sizeof(ov_bitmap_t));
    b->width = b->src_width = w;
    b->height = b->src_height = h;
    b->pixels = (uint8_t *)malloc((size_t)w * h * 4 + 1);
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++) {
            Colour(x, y, seed, b->pixels + ((size_t)y * w + x) * 4);
            if (!alpha)
                b->pixels[((size_t)y * w + x) * 4 + 3] = 255;
        }
    if (alpha)
        b->flags |= OV_BITMAP_ALPHA;
    return b;
}

ov_bitmap_t *SolidBitmap(int w, int h, uint32_t rgba_le)
{
    ov_bitmap_t *b = (ov_bitmap_t *)calloc(1, sizeof(ov_bitmap_t));
    b->width = b->src_width = w;
    b->height = b->src_height = h;
    b->pixels = (uint8_t *)malloc((size_t)w * h * 4 + 1);
    for (int i = 0; i < w * h; i++)
        memcpy(b->pixels + i * 4, &rgba_le, 4);
    b->flags |= OV_BITMAP_ALPHA;
    return b;
}

void FreeBitmap(ov_bitmap_t *b)
{
    if (!b)
        return;
    free(b->pixels);
    free(b->name);
    free(b);
}

std::vector<int> PixelOf(const ov_bitmap_t *b, int x, int y)
{
    const uint8_t *p = b->pixels + ((size_t)y * b->width + x) * 4;
    return {p[0], p[1], p[2], p[3]};
}

std::vector<uint8_t> Tga(int type, int w, int h, int bpp, int descriptor, const std::vector<uint8_t> &data, int id_len)
{
    std::vector<uint8_t> out(18, 0);
    out[0] = (uint8_t)id_len;
    out[2] = (uint8_t)type;
    out[12] = (uint8_t)(w & 0xFF);
    out[13] = (uint8_t)(w >> 8);
    out[14] = (uint8_t)(h & 0xFF);
    out[15] = (uint8_t)(h >> 8);
    out[16] = (uint8_t)bpp;
    out[17] = (uint8_t)descriptor;
    out.insert(out.end(), (size_t)id_len, (uint8_t)'i');
    out.insert(out.end(), data.begin(), data.end());
    return out;
}

}  // namespace imgtest
