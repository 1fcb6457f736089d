// Image files: PNG decoding of every colour type (fixtures written with libpng),
// JPEG decoding with truncated and garbage data, TGA row order, run-length packets and
// refused kinds, save/load round trips, and malformed files failing cleanly.
#include "tests/gfx/gfx_fixture.h"
#include "tests/gfx/test_image_fixtures.h"

#include "gfx/image.h"

#include <png.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <zlib.h>

#include <jpeglib.h>

using namespace imgtest;
using gfxtest::Logged;

namespace {

class ImageTest : public gfxtest::GfxTest {
protected:
    void SetUp() override
    {
        GfxTest::SetUp();
        Start();
        memset(&bm, 0, sizeof bm);
        bm.name = strdup("fixture");
    }
    void TearDown() override
    {
        free(bm.pixels);
        free(bm.name);
        GfxTest::TearDown();
    }
    bool Png(const PngShape &s)
    {
        std::vector<uint8_t> bytes = EncodePng(s);
        return OVI_LoadBitmapMemPNG(&bm, bytes.data(), (long)bytes.size());
    }
    ov_bitmap_t bm;
};

PngShape PngOf(int w, int h, int type, int depth, std::vector<uint8_t> samples)
{
    PngShape s;
    s.width = w;
    s.height = h;
    s.color_type = type;
    s.bit_depth = depth;
    s.samples = samples;
    return s;
}

TEST_F(ImageTest, PalettePngWithoutTransparencyIsOpaqueRgb)
{
    PngShape s = PngOf(2, 1, PNG_COLOR_TYPE_PALETTE, 8, {0, 1});
    s.palette_rgb = {255, 0, 0, 0, 255, 0};
    ASSERT_TRUE(Png(s));
    EXPECT_EQ(bm.width, 2);
    EXPECT_EQ(bm.height, 1);
    EXPECT_EQ(PixelOf(&bm, 0, 0), (std::vector<int>{255, 0, 0, 255}));
    EXPECT_EQ(PixelOf(&bm, 1, 0), (std::vector<int>{0, 255, 0, 255}));
    EXPECT_FALSE(bm.flags & OV_BITMAP_ALPHA);
}

TEST_F(ImageTest, PalettePngWithTransparencyChunkGetsAlpha)
{
    PngShape s = PngOf(2, 1, PNG_COLOR_TYPE_PALETTE, 8, {0, 1});
    s.palette_rgb = {255, 0, 0, 0, 0, 255};
    s.trns = {128};
    ASSERT_TRUE(Png(s));
    EXPECT_EQ(PixelOf(&bm, 0, 0), (std::vector<int>{255, 0, 0, 128}));
    EXPECT_EQ(PixelOf(&bm, 1, 0), (std::vector<int>{0, 0, 255, 255}));
    EXPECT_TRUE(bm.flags & OV_BITMAP_ALPHA);
}

TEST_F(ImageTest, GreyPngIsWhiteWithGreyAsAlpha)
{
    ASSERT_TRUE(Png(PngOf(3, 1, PNG_COLOR_TYPE_GRAY, 8, {0, 100, 255})));
    EXPECT_EQ(PixelOf(&bm, 0, 0), (std::vector<int>{255, 255, 255, 0}));
    EXPECT_EQ(PixelOf(&bm, 1, 0), (std::vector<int>{255, 255, 255, 100}));
    EXPECT_EQ(PixelOf(&bm, 2, 0), (std::vector<int>{255, 255, 255, 255}));
    EXPECT_TRUE(bm.flags & OV_BITMAP_ALPHA);
}

TEST_F(ImageTest, OneBitGreyPngExpandsToEightBits)
{
    // 8 pixels in one byte: 1010 0000 -> 255, 0, 255, 0, ...
    ASSERT_TRUE(Png(PngOf(8, 1, PNG_COLOR_TYPE_GRAY, 1, {0xA0})));
    EXPECT_EQ(PixelOf(&bm, 0, 0)[3], 255);
    EXPECT_EQ(PixelOf(&bm, 1, 0)[3], 0);
    EXPECT_EQ(PixelOf(&bm, 2, 0)[3], 255);
    EXPECT_EQ(PixelOf(&bm, 7, 0)[3], 0);
}

TEST_F(ImageTest, GreyAlphaPngRepeatsGreyInColour)
{
    ASSERT_TRUE(Png(PngOf(1, 1, PNG_COLOR_TYPE_GRAY_ALPHA, 8, {50, 200})));
    EXPECT_EQ(PixelOf(&bm, 0, 0), (std::vector<int>{50, 50, 50, 200}));
    EXPECT_TRUE(bm.flags & OV_BITMAP_ALPHA);
}

TEST_F(ImageTest, SixteenBitPngIsStrippedToEightBits)
{
    ASSERT_TRUE(Png(PngOf(1, 1, PNG_COLOR_TYPE_RGB, 16, {0xAB, 0x12, 0x40, 0xFF, 0x00, 0x80})));
    EXPECT_EQ(PixelOf(&bm, 0, 0), (std::vector<int>{0xAB, 0x40, 0x00, 255}));
    EXPECT_FALSE(bm.flags & OV_BITMAP_ALPHA);
}

TEST_F(ImageTest, InterlacedPngDecodesEveryPixel)
{
    PngShape s = PngOf(9, 7, PNG_COLOR_TYPE_RGB_ALPHA, 8, {});
    s.interlaced = true;
    for (int y = 0; y < 7; y++)
        for (int x = 0; x < 9; x++) {
            uint8_t c[4];
            Colour(x, y, 3, c);
            s.samples.insert(s.samples.end(), c, c + 4);
        }
    ASSERT_TRUE(Png(s));
    for (int y = 0; y < 7; y++)
        for (int x = 0; x < 9; x++) {
            uint8_t c[4];
            Colour(x, y, 3, c);
            EXPECT_EQ(PixelOf(&bm, x, y), (std::vector<int>{c[0], c[1], c[2], c[3]})) << x << "," << y;
        }
    EXPECT_TRUE(bm.flags & OV_BITMAP_ALPHA);
}

TEST_F(ImageTest, BadPngSignatureIsRefusedWithItsMessage)
{
    const uint8_t junk[16] = {'G', 'I', 'F', '8', '9', 'a'};
    EXPECT_FALSE(OVI_LoadBitmapMemPNG(&bm, junk, sizeof junk));
    EXPECT_EQ(bm.pixels, nullptr);
    EXPECT_TRUE(Logged("PNG ERROR: Image 'fixture' not proper png."));
    // Shorter than the signature: refused without reading past the buffer.
    uint8_t *three = (uint8_t *)malloc(3);
    memcpy(three, "\x89PN", 3);
    EXPECT_FALSE(OVI_LoadBitmapMemPNG(&bm, three, 3));
    free(three);
}

TEST_F(ImageTest, TruncatedPngFailsWithoutPixels)
{
    std::vector<uint8_t> bytes = RgbaPng(16, 16, 1);
    for (size_t cut : {8ul, 20ul, 40ul, bytes.size() / 2, bytes.size() - 13}) {
        uint8_t *copy = (uint8_t *)malloc(cut);
        memcpy(copy, bytes.data(), cut);
        EXPECT_FALSE(OVI_LoadBitmapMemPNG(&bm, copy, (long)cut)) << cut;
        EXPECT_EQ(bm.pixels, nullptr);
        free(copy);
    }
}

TEST_F(ImageTest, PngWithHugeDimensionsIsRefused)
{
    std::vector<uint8_t> bytes = RgbaPng(1, 1, 0);
    // IHDR data starts at byte 16: width 100000, then the chunk's CRC fixed up.
    bytes[16] = 0;
    bytes[17] = 0x01;
    bytes[18] = 0x86;
    bytes[19] = 0xA0;
    uLong crc = crc32(0, bytes.data() + 12, 17);
    bytes[29] = (uint8_t)(crc >> 24);
    bytes[30] = (uint8_t)(crc >> 16);
    bytes[31] = (uint8_t)(crc >> 8);
    bytes[32] = (uint8_t)crc;
    EXPECT_FALSE(OVI_LoadBitmapMemPNG(&bm, bytes.data(), (long)bytes.size()));
    EXPECT_EQ(bm.pixels, nullptr);
}

// ---- JPEG

// A smooth opaque picture (JPEG keeps it well).
ov_bitmap_t *Smooth(int w, int h)
{
    ov_bitmap_t *b = MakeBitmap(w, h, 0, false);
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++) {
            uint8_t *p = b->pixels + (y * w + x) * 4;
            p[0] = (uint8_t)(x * 255 / w);
            p[1] = (uint8_t)(y * 255 / h);
            p[2] = 128;
        }
    return b;
}

std::vector<uint8_t> SavedJpeg(const std::string &name, int quality)
{
    ov_bitmap_t *src = Smooth(128, 96);
    EXPECT_TRUE(ov_image_loader->SaveImage(src, name.c_str(), quality));
    FreeBitmap(src);
    return ReadBytes(name);
}

TEST_F(ImageTest, JpegRoundTripStaysWithinTolerance)
{
    ov_bitmap_t *src = Smooth(32, 24);
    ASSERT_TRUE(ov_image_loader->SaveImage(src, "user://round.jpg", 95));
    ASSERT_TRUE(ov_image_loader->LoadImagePixels(&bm, "user://round.jpg"));
    ASSERT_EQ(bm.width, 32);
    ASSERT_EQ(bm.height, 24);
    EXPECT_FALSE(bm.flags & OV_BITMAP_ALPHA);
    double total = 0;
    for (int i = 0; i < 32 * 24; i++) {
        for (int c = 0; c < 3; c++)
            total += abs(bm.pixels[i * 4 + c] - src->pixels[i * 4 + c]);
        EXPECT_EQ(bm.pixels[i * 4 + 3], 255);
    }
    EXPECT_LT(total / (32 * 24 * 3), 3.0);
    FreeBitmap(src);
}

// Offset of the first byte after the start-of-scan segment (the entropy-coded data).
size_t ScanDataStart(const std::vector<uint8_t> &jpeg)
{
    for (size_t i = 2; i + 3 < jpeg.size(); i++)
        if (jpeg[i] == 0xFF && jpeg[i + 1] == 0xDA)
            return i + 2 + (size_t)(jpeg[i + 2] << 8 | jpeg[i + 3]);
    return 0;
}

TEST_F(ImageTest, TruncatedJpegDecodesWithWarningCount)
{
    std::vector<uint8_t> bytes = SavedJpeg("half.jpg", 90);
    size_t scan = ScanDataStart(bytes);
    ASSERT_GT(scan, 0u);
    ASSERT_GT(bytes.size(), scan + 100);
    // Cut inside the coded picture: the library fills the rest, with warnings. Where
    // the cut falls is taken from the file, not from its length alone (a cut inside
    // the tables before the picture is a different case, below).
    for (size_t cut : {scan + 10, (scan + bytes.size()) / 2, bytes.size() - 2}) {
        uint8_t *copy = (uint8_t *)malloc(cut);
        memcpy(copy, bytes.data(), cut);
        EXPECT_TRUE(OVI_LoadBitmapMemJPG(&bm, copy, (long)cut)) << cut;
        free(copy);
        EXPECT_NE(bm.pixels, nullptr);
        EXPECT_EQ(bm.width, 128);
        EXPECT_EQ(bm.height, 96);
    }
    EXPECT_EQ(gfxtest::CountLogged("warnings while loading JPEG"), 3);
}

TEST_F(ImageTest, JpegCutBeforeItsPictureFailsWithSetjmpMessage)
{
    std::vector<uint8_t> bytes = SavedJpeg("head.jpg", 90);
    size_t scan = ScanDataStart(bytes);
    ASSERT_GT(scan, 40u);
    for (size_t cut : {(size_t)4, scan / 3, scan / 2}) {
        uint8_t *copy = (uint8_t *)malloc(cut);
        memcpy(copy, bytes.data(), cut);
        EXPECT_FALSE(OVI_LoadBitmapMemJPG(&bm, copy, (long)cut)) << cut;
        free(copy);
        EXPECT_EQ(bm.pixels, nullptr);
    }
    EXPECT_TRUE(Logged("Load JPG - setjmp failed."));
}

TEST_F(ImageTest, GarbageJpegFailsWithSetjmpMessage)
{
    std::vector<uint8_t> junk(300);
    for (size_t i = 0; i < junk.size(); i++)
        junk[i] = (uint8_t)(i * 37 + 11);
    EXPECT_FALSE(OVI_LoadBitmapMemJPG(&bm, junk.data(), (long)junk.size()));
    EXPECT_EQ(bm.pixels, nullptr);
    EXPECT_TRUE(Logged("Load JPG - setjmp failed."));
    EXPECT_FALSE(OVI_GetImageDimensionsJPG(&bm, junk.data(), (long)junk.size()));
    EXPECT_TRUE(Logged("OVI_GetImageDimensionsJPG - setjmp failed."));
}

TEST_F(ImageTest, JpegHeaderGivesDimensionsWithoutPixels)
{
    std::vector<uint8_t> bytes = SavedJpeg("dims.jpg", 80);
    EXPECT_TRUE(OVI_GetImageDimensionsJPG(&bm, bytes.data(), (long)bytes.size()));
    EXPECT_EQ(bm.width, 128);
    EXPECT_EQ(bm.height, 96);
    EXPECT_EQ(bm.pixels, nullptr);
}

// A one-channel JPEG of w x h written with libjpeg: a grey ramp across, darker down.
uint8_t GreyAt(int x, int y, int w, int h)
{
    return (uint8_t)(20 + x * 200 / w + y * 30 / h);
}

std::vector<uint8_t> GreyJpeg(int w, int h)
{
    jpeg_compress_struct c;
    jpeg_error_mgr err;
    c.err = jpeg_std_error(&err);
    jpeg_create_compress(&c);
    unsigned char *out = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&c, &out, &size);
    c.image_width = (JDIMENSION)w;
    c.image_height = (JDIMENSION)h;
    c.input_components = 1;
    c.in_color_space = JCS_GRAYSCALE;
    jpeg_set_defaults(&c);
    jpeg_set_quality(&c, 95, TRUE);
    jpeg_start_compress(&c, TRUE);
    std::vector<JSAMPLE> row((size_t)w);
    while (c.next_scanline < c.image_height) {
        for (int x = 0; x < w; x++)
            row[(size_t)x] = GreyAt(x, (int)c.next_scanline, w, h);
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&c, rows, 1);
    }
    jpeg_finish_compress(&c);
    std::vector<uint8_t> bytes(out, out + size);
    jpeg_destroy_compress(&c);
    free(out);
    return bytes;
}

// A greyscale JPEG (one sample a pixel) comes out as R = G = B with full alpha; an odd
// width keeps the decoded row short of any rounding, and the file sits in a buffer of
// exactly its size (AddressSanitizer stops a read past either).
TEST_F(ImageTest, GreyJpegLoadsAsEqualChannelsWithFullAlpha)
{
    const int w = 37, h = 23;
    std::vector<uint8_t> bytes = GreyJpeg(w, h);
    ASSERT_GT(bytes.size(), 100u);
    uint8_t *copy = (uint8_t *)malloc(bytes.size());
    ASSERT_NE(copy, nullptr);
    memcpy(copy, bytes.data(), bytes.size());
    bool ok = OVI_LoadBitmapMemJPG(&bm, copy, (long)bytes.size());
    free(copy);
    ASSERT_TRUE(ok);
    ASSERT_NE(bm.pixels, nullptr);
    ASSERT_EQ(bm.width, w);
    ASSERT_EQ(bm.height, h);
    EXPECT_FALSE(bm.flags & OV_BITMAP_ALPHA);
    double total = 0;
    int worst = 0;
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++) {
            const uint8_t *p = bm.pixels + ((size_t)y * w + x) * 4;
            ASSERT_EQ(p[0], p[1]) << x << "," << y;
            ASSERT_EQ(p[1], p[2]) << x << "," << y;
            ASSERT_EQ(p[3], 255) << x << "," << y;
            int d = abs((int)p[0] - (int)GreyAt(x, y, w, h));
            total += d;
            if (d > worst)
                worst = d;
        }
    EXPECT_LT(total / (w * h), 3.0);
    EXPECT_LE(worst, 16);
}

// ---- TGA

// 2 x 2 pixels in file order, B, G, R, A.
const std::vector<uint8_t> kFour = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};

TEST_F(ImageTest, TgaTopLeftOriginKeepsFileRowOrder)
{
    std::vector<uint8_t> f = Tga(2, 2, 2, 32, 0x28, kFour);
    ASSERT_TRUE(OVI_LoadBitmapMemTGA(&bm, f.data(), (long)f.size()));
    EXPECT_EQ(PixelOf(&bm, 0, 0), (std::vector<int>{3, 2, 1, 4}));
    EXPECT_EQ(PixelOf(&bm, 1, 0), (std::vector<int>{7, 6, 5, 8}));
    EXPECT_EQ(PixelOf(&bm, 0, 1), (std::vector<int>{11, 10, 9, 12}));
    EXPECT_TRUE(bm.flags & OV_BITMAP_ALPHA);
}

TEST_F(ImageTest, TgaBottomLeftOriginFlipsRows)
{
    std::vector<uint8_t> f = Tga(2, 2, 2, 32, 0x08, kFour);
    ASSERT_TRUE(OVI_LoadBitmapMemTGA(&bm, f.data(), (long)f.size()));
    EXPECT_EQ(PixelOf(&bm, 0, 0), (std::vector<int>{11, 10, 9, 12}));
    EXPECT_EQ(PixelOf(&bm, 0, 1), (std::vector<int>{3, 2, 1, 4}));
}

TEST_F(ImageTest, TgaRightToLeftBitMirrorsRows)
{
    std::vector<uint8_t> f = Tga(2, 2, 2, 32, 0x30, kFour);
    ASSERT_TRUE(OVI_LoadBitmapMemTGA(&bm, f.data(), (long)f.size()));
    EXPECT_EQ(PixelOf(&bm, 0, 0), (std::vector<int>{7, 6, 5, 8}));
    EXPECT_EQ(PixelOf(&bm, 1, 0), (std::vector<int>{3, 2, 1, 4}));
}

TEST_F(ImageTest, Tga24BitGetsOpaqueAlphaAndSkipsImageId)
{
    std::vector<uint8_t> f = Tga(2, 1, 1, 24, 0x20, {10, 20, 30}, 5);
    ASSERT_TRUE(OVI_LoadBitmapMemTGA(&bm, f.data(), (long)f.size()));
    EXPECT_EQ(PixelOf(&bm, 0, 0), (std::vector<int>{30, 20, 10, 255}));
}

TEST_F(ImageTest, TgaRunLengthPackets)
{
    // 3 x 2, top first: repeated packet of 4 (crosses the row end), then raw packet of 2.
    std::vector<uint8_t> data = {0x83, 1, 2, 3, 0x01, 4, 5, 6, 7, 8, 9};
    std::vector<uint8_t> f = Tga(10, 3, 2, 24, 0x20, data);
    ASSERT_TRUE(OVI_LoadBitmapMemTGA(&bm, f.data(), (long)f.size()));
    for (int i = 0; i < 4; i++)
        EXPECT_EQ(PixelOf(&bm, i % 3, i / 3), (std::vector<int>{3, 2, 1, 255})) << i;
    EXPECT_EQ(PixelOf(&bm, 1, 1), (std::vector<int>{6, 5, 4, 255}));
    EXPECT_EQ(PixelOf(&bm, 2, 1), (std::vector<int>{9, 8, 7, 255}));
}

TEST_F(ImageTest, TgaRunPastTheImageStopsWithOverrunMessage)
{
    std::vector<uint8_t> data = {0x01, 1, 2, 3, 4, 5, 6, 0x84, 9, 9, 9};  // 2 raw, then 5 repeated into 4 pixels
    std::vector<uint8_t> f = Tga(10, 2, 2, 24, 0x20, data);
    EXPECT_TRUE(OVI_LoadBitmapMemTGA(&bm, f.data(), (long)f.size()));
    EXPECT_TRUE(Logged("TGA buffer overrun #1: (5)"));
    ASSERT_NE(bm.pixels, nullptr);
    EXPECT_EQ(PixelOf(&bm, 0, 0), (std::vector<int>{3, 2, 1, 255}));
    std::vector<uint8_t> raw = {0x02, 1, 2, 3, 4, 5, 6, 7, 8, 9, 0x01, 1, 1, 1, 2, 2, 2};
    f = Tga(10, 2, 2, 24, 0x20, raw);
    EXPECT_TRUE(OVI_LoadBitmapMemTGA(&bm, f.data(), (long)f.size()));
    EXPECT_TRUE(Logged("TGA buffer overrun #2: (2)"));
}

TEST_F(ImageTest, TgaOtherKindsAreRefusedSilently)
{
    std::vector<uint8_t> f16 = Tga(2, 1, 1, 16, 0, {1, 2});
    EXPECT_FALSE(OVI_LoadBitmapMemTGA(&bm, f16.data(), (long)f16.size()));
    std::vector<uint8_t> grey = Tga(3, 1, 1, 8, 0, {1});
    EXPECT_FALSE(OVI_LoadBitmapMemTGA(&bm, grey.data(), (long)grey.size()));
    std::vector<uint8_t> mapped = Tga(1, 1, 1, 8, 0, {0});
    mapped[1] = 1;
    EXPECT_FALSE(OVI_LoadBitmapMemTGA(&bm, mapped.data(), (long)mapped.size()));
    EXPECT_EQ(bm.pixels, nullptr);
}

TEST_F(ImageTest, MalformedTgaFailsCleanly)
{
    std::vector<uint8_t> shortraw = Tga(2, 4, 4, 32, 0, {1, 2, 3});
    EXPECT_FALSE(OVI_LoadBitmapMemTGA(&bm, shortraw.data(), (long)shortraw.size()));
    std::vector<uint8_t> shortrle = Tga(10, 4, 4, 32, 0, {0x85, 1, 2});
    EXPECT_FALSE(OVI_LoadBitmapMemTGA(&bm, shortrle.data(), (long)shortrle.size()));
    std::vector<uint8_t> huge = Tga(2, 65535, 65535, 32, 0, {1, 2, 3, 4});
    EXPECT_FALSE(OVI_LoadBitmapMemTGA(&bm, huge.data(), (long)huge.size()));
    std::vector<uint8_t> bigid = Tga(2, 1, 1, 32, 0, {});
    bigid[0] = 200;
    EXPECT_FALSE(OVI_LoadBitmapMemTGA(&bm, bigid.data(), (long)bigid.size()));
    uint8_t tiny[5] = {0, 0, 2, 0, 0};
    EXPECT_FALSE(OVI_LoadBitmapMemTGA(&bm, tiny, 5));
    EXPECT_EQ(bm.pixels, nullptr);
}

// ---- saving

TEST_F(ImageTest, PngAndTgaRoundTripsAreExact)
{
    ov_bitmap_t *src = MakeBitmap(13, 7, 5);
    for (const char *name : {"user://rt.png", "user://rt.PNG", "user://rt.tga"}) {
        ASSERT_TRUE(ov_image_loader->SaveImage(src, name, 90)) << name;
        ASSERT_TRUE(ov_image_loader->LoadImagePixels(&bm, name)) << name;
        ASSERT_EQ(bm.width, 13);
        ASSERT_EQ(bm.height, 7);
        EXPECT_EQ(memcmp(bm.pixels, src->pixels, 13 * 7 * 4), 0) << name;
    }
    // The upper-case ending wrote a PNG.
    char *native_path = OV_ConvertStaticPathToNativeOSPath("user://rt.PNG");
    std::string native = native_path;
    free(native_path);
    std::vector<uint8_t> bytes = ReadBytes(native);
    ASSERT_GE(bytes.size(), 8u);
    EXPECT_EQ(png_sig_cmp(bytes.data(), 0, 8), 0);
    FreeBitmap(src);
}

TEST_F(ImageTest, SavingBmpIsRefusedWithItsMessage)
{
    ov_bitmap_t *src = MakeBitmap(4, 4, 1);
    EXPECT_FALSE(ov_image_loader->SaveImage(src, "picture.bmp", 90));
    EXPECT_TRUE(Logged("SaveImage - file format for 'picture.bmp' not supported. Use .png format."));
    FreeBitmap(src);
}

TEST_F(ImageTest, LoadingUnknownEndingRaisesUnsupportedFormat)
{
    ASSERT_TRUE(WriteBytes("app/native/pic.gif", {1, 2, 3}));
    EXPECT_FALSE(ov_image_loader->LoadImagePixels(&bm, "pic.gif"));
    EXPECT_TRUE(Logged("Unsupported image format in file 'pic.gif'"));
}

TEST_F(ImageTest, HeaderReadersGiveSizeOnly)
{
    ASSERT_TRUE(WriteBytes("app/native/size.png", RgbaPng(21, 9, 0)));
    EXPECT_TRUE(ov_image_loader->GetImageDimensions(&bm, "size.png"));
    EXPECT_EQ(bm.width, 21);
    EXPECT_EQ(bm.height, 9);
    EXPECT_EQ(bm.pixels, nullptr);
}

}  // namespace
