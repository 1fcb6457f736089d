// Fixtures of the image tests, generated in the tests: PNG files written with libpng
// directly (an encoder independent of the engine's writer), TGA byte arrays, and
// bitmaps with known pixels.
#ifndef TEST_IMAGE_FIXTURES_H
#define TEST_IMAGE_FIXTURES_H

#include "gfx/bitmap.h"

#include <stdint.h>
#include <string>
#include <vector>

namespace imgtest {

// A PNG to write: raw samples as libpng expects them for the colour type and depth.
struct PngShape {
    int width = 0, height = 0;
    int color_type = 0;     // PNG_COLOR_TYPE_*
    int bit_depth = 8;
    bool interlaced = false;
    std::vector<uint8_t> samples;        // rows packed, height * rowbytes
    std::vector<uint8_t> palette_rgb;    // palette images: 3 bytes per entry
    std::vector<uint8_t> trns;           // tRNS: palette alphas, or one grey/RGB 16-bit key
};
// Encodes the PNG into memory with libpng.
std::vector<uint8_t> EncodePng(const PngShape &shape);
// Writes bytes to a (native) file, creating its directories; true on success.
bool WriteBytes(const std::string &path, const std::vector<uint8_t> &bytes);
std::vector<uint8_t> ReadBytes(const std::string &path);
// An RGBA PNG of w x h whose pixel (x, y) is Colour(x, y, seed).
std::vector<uint8_t> RgbaPng(int w, int h, int seed);
// The RGBA colour the generated images have at (x, y).
void Colour(int x, int y, int seed, uint8_t out[4]);

// A heap bitmap record (free with FreeBitmap) with w x h pixels of Colour(x, y, seed).
ov_bitmap_t *MakeBitmap(int w, int h, int seed, bool alpha = true);
// A bitmap filled with one colour.
ov_bitmap_t *SolidBitmap(int w, int h, uint32_t rgba_le);
void FreeBitmap(ov_bitmap_t *b);
// The four bytes of pixel (x, y).
std::vector<int> PixelOf(const ov_bitmap_t *b, int x, int y);

// A TGA header followed by the data.
std::vector<uint8_t> Tga(int type, int w, int h, int bpp, int descriptor, const std::vector<uint8_t> &data, int id_len = 0);

}  // namespace imgtest

#endif
