// PNG seeds of every kind libpng writes: grey of 1 to 16 bits, grey with alpha, RGB and
// RGBA of 8 and 16 bits, palettes of 1 to 8 bits, transparency chunks on grey, RGB and
// palette images, a gamma chunk, and Adam7 interlacing; small odd sizes, so that the
// interlace passes and the row padding have edges. (The engine's own writer makes only
// 8-bit RGBA.)
#include "fuzz/png_seeds.h"

#include <png.h>
#include <string.h>

namespace {

struct Kind {
    int color_type;
    int depth;
    bool interlaced;
    bool trns;
    bool gamma;
    int width;
    int height;
};

const Kind kKinds[] = {
    {PNG_COLOR_TYPE_GRAY, 1, false, false, false, 13, 5},
    {PNG_COLOR_TYPE_GRAY, 2, false, false, false, 7, 3},
    {PNG_COLOR_TYPE_GRAY, 4, false, true, false, 9, 4},
    {PNG_COLOR_TYPE_GRAY, 8, false, false, false, 6, 6},
    {PNG_COLOR_TYPE_GRAY, 8, true, true, false, 11, 9},
    {PNG_COLOR_TYPE_GRAY, 16, false, false, true, 5, 3},
    {PNG_COLOR_TYPE_GRAY_ALPHA, 8, false, false, false, 7, 4},
    {PNG_COLOR_TYPE_GRAY_ALPHA, 16, true, false, false, 9, 9},
    {PNG_COLOR_TYPE_RGB, 8, false, false, true, 8, 3},
    {PNG_COLOR_TYPE_RGB, 8, false, true, false, 5, 5},
    {PNG_COLOR_TYPE_RGB, 16, true, false, false, 10, 7},
    {PNG_COLOR_TYPE_RGB_ALPHA, 16, false, false, false, 4, 4},
    {PNG_COLOR_TYPE_RGB_ALPHA, 8, true, false, false, 17, 11},
    {PNG_COLOR_TYPE_PALETTE, 1, false, false, false, 12, 2},
    {PNG_COLOR_TYPE_PALETTE, 2, true, false, false, 9, 9},
    {PNG_COLOR_TYPE_PALETTE, 4, false, true, false, 7, 5},
    {PNG_COLOR_TYPE_PALETTE, 8, false, true, true, 6, 6},
};

void Append(png_structp png, png_bytep data, png_size_t length)
{
    std::string *out = (std::string *)png_get_io_ptr(png);
    out->append((const char *)data, length);
}

void NoFlush(png_structp)
{
}

int Channels(int color_type)
{
    switch (color_type) {
    case PNG_COLOR_TYPE_GRAY_ALPHA:
        return 2;
    case PNG_COLOR_TYPE_RGB:
        return 3;
    case PNG_COLOR_TYPE_RGB_ALPHA:
        return 4;
    default:
        return 1;
    }
}

// One row of samples as libpng takes them: packed below 8 bits, big-endian at 16.
std::vector<png_byte> Row(const Kind &k, int y)
{
    const int samples = k.width * Channels(k.color_type);
    const size_t bytes = ((size_t)samples * k.depth + 7) / 8;
    std::vector<png_byte> row(bytes, 0);
    const unsigned max = (1u << k.depth) - 1;
    for (int i = 0; i < samples; i++) {
        const unsigned v = ((unsigned)(i * 37 + y * 101) * 2654435761u >> 7) & max;
        if (k.depth == 16) {
            row[(size_t)i * 2] = (png_byte)(v >> 8);
            row[(size_t)i * 2 + 1] = (png_byte)v;
        } else if (k.depth == 8) {
            row[(size_t)i] = (png_byte)v;
        } else {
            const int per_byte = 8 / k.depth;
            const int shift = 8 - k.depth * (i % per_byte + 1);
            row[(size_t)(i / per_byte)] |= (png_byte)(v << shift);
        }
    }
    return row;
}

std::string Write(const Kind &k)
{
    std::string out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        return out;
    }
    std::vector<std::vector<png_byte>> rows;
    for (int y = 0; y < k.height; y++)
        rows.push_back(Row(k, y));
    std::vector<png_bytep> pointers;
    for (auto &r : rows)
        pointers.push_back(r.data());
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return std::string();
    }
    png_set_write_fn(png, &out, Append, NoFlush);
    png_set_IHDR(png, info, (png_uint_32)k.width, (png_uint_32)k.height, k.depth, k.color_type,
                 k.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_color palette[256];
    png_byte alphas[256];
    const int entries = k.color_type == PNG_COLOR_TYPE_PALETTE ? 1 << k.depth : 0;
    for (int i = 0; i < entries; i++) {
        palette[i].red = (png_byte)(i * 53);
        palette[i].green = (png_byte)(255 - i * 29);
        palette[i].blue = (png_byte)(i * 7);
        alphas[i] = (png_byte)(i * 255 / (entries - 1 > 0 ? entries - 1 : 1));
    }
    if (entries)
        png_set_PLTE(png, info, palette, entries);
    if (k.trns) {
        png_color_16 key;
        memset(&key, 0, sizeof key);
        key.gray = 1;
        key.red = 3;
        key.green = 5;
        key.blue = 7;
        if (entries)
            png_set_tRNS(png, info, alphas, entries / 2 + 1, nullptr);
        else
            png_set_tRNS(png, info, nullptr, 0, &key);
    }
    if (k.gamma)
        png_set_gAMA(png, info, 1.0);
    png_write_info(png, info);
    png_write_image(png, pointers.data());
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return out;
}

}  // namespace

std::vector<std::string> LibpngSeeds()
{
    std::vector<std::string> out;
    for (const Kind &k : kKinds)
        out.push_back(Write(k));
    return out;
}
