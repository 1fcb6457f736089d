// Run-length bitmaps, bitmap-sequence files and the atlas packer: RLE run tables and
// round trips in both texture byte orders, ".bms" round trips with repeated frames,
// numbered-frame gaps, the atlas size table, a sequence frame drawn on the headless
// renderer, and malformed RLE and ".bms" data failing cleanly.
#include "tests/gfx/gfx_fixture.h"
#include "tests/gfx/test_image_fixtures.h"

#include "core/services.h"
#include "gfx/atlas.h"
#include "gfx/image.h"
#include "gfx/rle.h"
#include "gfx/sequence.h"

#include <png.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <functional>
#include <string>
#include <vector>

using namespace imgtest;
using gfxtest::app;
using gfxtest::Logged;
using gfxtest::Pixel;
using gfxtest::Rgba;

namespace {

class RleSequence : public gfxtest::GfxTest {
protected:
    void SetUp() override
    {
        GfxTest::SetUp();
        Start();
        memset(&bm, 0, sizeof bm);
    }
    void TearDown() override
    {
        ov_state.texture_format = saved_format_;
        free(bm.pixels);
        GfxTest::TearDown();
    }
    // Writes the bitmap as RLE to res://name and returns the file's bytes.
    std::vector<uint8_t> WriteRle(ov_bitmap_t *b, const std::string &name)
    {
        std::string native = "app/native/" + name;
        WriteBytes(native, {});
        FILE *f = fopen(native.c_str(), "wb");
        EXPECT_NE(f, nullptr);
        if (!f)
            return {};
        EXPECT_TRUE(OVI_WriteRLEBitmap(b, f));
        fclose(f);
        return ReadBytes(native);
    }
    // Reads res://name as an RLE bitmap into bm.
    bool ReadRle(const std::string &name)
    {
        ov_file_t *f = OV_OpenFile(name.c_str(), "rb");
        EXPECT_NE(f, nullptr) << name;
        if (!f)
            return false;
        bool ok = OVI_ReadRLEBitmap(&bm, f);
        OV_CloseFile(f);
        return ok;
    }
    ov_bitmap_t bm;
    uint8_t saved_format_ = ov_state.texture_format;
};

int32_t Le32At(const std::vector<uint8_t> &v, size_t at)
{
    return (int32_t)((uint32_t)v[at] | (uint32_t)v[at + 1] << 8 | (uint32_t)v[at + 2] << 16 | (uint32_t)v[at + 3] << 24);
}

void PutLe32(std::vector<uint8_t> &v, int32_t value)
{
    for (int i = 0; i < 4; i++)
        v.push_back((uint8_t)((uint32_t)value >> (8 * i)));
}

// ---- RLE

// Colour of pixel i for the run-table shapes.
typedef std::function<uint32_t(int i)> PixelRule;

TEST_F(RleSequence, RleRunTable)
{
    const uint32_t a = 0x80402010, b = 0xFF0000FF;
    struct Case {
        const char *what;
        int w, h;
        PixelRule rule;
        std::vector<int> runs;  // expected run counts in order
    } cases[] = {
        {"one 300-pixel row of one colour", 300, 1, [&](int) { return a; }, {255, 300 - 255}},
        {"one colour over row ends", 200, 3, [&](int) { return a; }, {255, 255, 600 - 510}},
        {"alternating colours", 7, 3, [&](int i) { return i % 2 ? a : b; }, std::vector<int>(21, 1)},
        {"two bands", 10, 2, [&](int i) { return i < 13 ? a : b; }, {13, 7}},
    };
    for (const Case &c : cases) {
        ov_bitmap_t *src = SolidBitmap(c.w, c.h, 0);
        for (int i = 0; i < c.w * c.h; i++) {
            uint32_t v = c.rule(i);
            memcpy(src->pixels + i * 4, &v, 4);
        }
        std::vector<uint8_t> bytes = WriteRle(src, "runs.rle");
        ASSERT_EQ(bytes.size(), 8 + 5 * c.runs.size()) << c.what;
        EXPECT_EQ(Le32At(bytes, 0), c.w) << c.what;
        EXPECT_EQ(Le32At(bytes, 4), c.h) << c.what;
        int pixel = 0;
        for (size_t r = 0; r < c.runs.size(); r++) {
            const uint8_t *run = bytes.data() + 8 + 5 * r;
            EXPECT_EQ(run[0], c.runs[r]) << c.what << " run " << r;
            // Blue, green, red, alpha of the run's first pixel (memory is R, G, B, A).
            const uint8_t *p = src->pixels + pixel * 4;
            EXPECT_EQ((std::vector<int>{run[1], run[2], run[3], run[4]}), (std::vector<int>{p[2], p[1], p[0], p[3]}))
                << c.what << " run " << r;
            pixel += run[0];
        }
        EXPECT_EQ(pixel, c.w * c.h) << c.what;
        ASSERT_TRUE(ReadRle("runs.rle")) << c.what;
        ASSERT_EQ(bm.width, c.w);
        ASSERT_EQ(bm.height, c.h);
        EXPECT_EQ(memcmp(bm.pixels, src->pixels, (size_t)c.w * c.h * 4), 0) << c.what;
        FreeBitmap(src);
    }
}

TEST_F(RleSequence, RleRoundTripInBothTextureFormats)
{
    std::vector<uint8_t> first_file;
    for (uint8_t format : {0, 1}) {
        ov_state.texture_format = format;
        // Runs of two pixels of one colour: bands plus per-pixel detail.
        ov_bitmap_t *src = MakeBitmap(37, 11, 4);
        for (int i = 1; i < 37 * 11; i += 2)
            memcpy(src->pixels + i * 4, src->pixels + (i - 1) * 4, 4);
        if (format == 1) {
            // The same picture in B, G, R, A memory order.
            for (int i = 0; i < 37 * 11; i++)
                std::swap(src->pixels[i * 4], src->pixels[i * 4 + 2]);
        }
        std::vector<uint8_t> bytes = WriteRle(src, "rt.rle");
        ASSERT_TRUE(ReadRle("rt.rle")) << (int)format;
        ASSERT_EQ(bm.width, 37);
        ASSERT_EQ(bm.height, 11);
        EXPECT_EQ(memcmp(bm.pixels, src->pixels, 37 * 11 * 4), 0) << (int)format;
        // The file holds the picture, not the memory order.
        if (format == 0)
            first_file = bytes;
        else
            EXPECT_EQ(bytes, first_file);
        FreeBitmap(src);
    }
}

TEST_F(RleSequence, EmptyRleImageIsHeaderAndOneZeroRun)
{
    for (int w : {0, 5}) {
        ov_bitmap_t empty;
        memset(&empty, 0, sizeof empty);
        empty.width = w;
        empty.height = 0;
        std::vector<uint8_t> bytes = WriteRle(&empty, "empty.rle");
        ASSERT_EQ(bytes.size(), 13u) << w;
        EXPECT_EQ(Le32At(bytes, 0), w);
        EXPECT_EQ(Le32At(bytes, 4), 0);
        EXPECT_EQ(bytes[8], 0);
        // Reading consumes exactly that run (a byte after it stays unread).
        bytes.push_back(0x5A);
        WriteBytes("app/native/empty.rle", bytes);
        ov_file_t *f = OV_OpenFile("empty.rle", "rb");
        ASSERT_NE(f, nullptr);
        EXPECT_TRUE(OVI_ReadRLEBitmap(&bm, f));
        uint8_t next = 0;
        EXPECT_EQ(OV_ReadFile(&next, 1, f), 1u);
        EXPECT_EQ(next, 0x5A);
        OV_CloseFile(f);
        EXPECT_EQ(bm.pixels, nullptr);
        EXPECT_EQ(bm.width * bm.height, 0);
    }
}

TEST_F(RleSequence, RunPastTheLastPixelStopsThere)
{
    std::vector<uint8_t> bytes;
    PutLe32(bytes, 2);
    PutLe32(bytes, 2);
    bytes.insert(bytes.end(), {255, 30, 20, 10, 200});
    ASSERT_TRUE(WriteBytes("app/native/long.rle", bytes));
    ASSERT_TRUE(ReadRle("long.rle"));
    for (int i = 0; i < 4; i++)
        EXPECT_EQ(PixelOf(&bm, i % 2, i / 2), (std::vector<int>{10, 20, 30, 200}));
}

TEST_F(RleSequence, MalformedRleFailsCleanly)
{
    auto header = [](int32_t w, int32_t h) {
        std::vector<uint8_t> v;
        PutLe32(v, w);
        PutLe32(v, h);
        return v;
    };
    std::vector<uint8_t> runs_short = header(4, 4);
    runs_short.insert(runs_short.end(), {3, 1, 2, 3, 4, 9, 1, 2});  // 3 pixels, then half a run
    std::vector<uint8_t> zero_runs = header(2, 2);
    for (int i = 0; i < 6; i++)
        zero_runs.insert(zero_runs.end(), {0, 1, 2, 3, 4});
    std::vector<uint8_t> huge = header(100000, 100000);
    huge.insert(huge.end(), {255, 1, 2, 3, 4});
    std::vector<uint8_t> overflow = header(0x7FFFFFFF, 0x7FFFFFFF);
    overflow.insert(overflow.end(), {255, 1, 2, 3, 4});
    std::vector<uint8_t> negative = header(-4, 4);
    negative.insert(negative.end(), {16, 1, 2, 3, 4});
    std::vector<uint8_t> empty_no_run = header(0, 0);
    struct Case {
        const char *what;
        std::vector<uint8_t> bytes;
    } cases[] = {
        {"half a header", {4, 0, 0, 0, 4, 0}},
        {"runs end early", runs_short},
        {"only runs of 0", zero_runs},
        {"huge size", huge},
        {"overflowing size", overflow},
        {"negative width", negative},
        {"empty image without its run", empty_no_run},
    };
    for (const Case &c : cases) {
        ASSERT_TRUE(WriteBytes("app/native/bad.rle", c.bytes));
        EXPECT_FALSE(ReadRle("bad.rle")) << c.what;
        EXPECT_EQ(bm.pixels, nullptr) << c.what;
    }
    EXPECT_FALSE(OVI_ReadRLEBitmap(nullptr, nullptr));
}

// ---- frames and sequences

// A sequence record of the given frames (each a fresh bitmap of w x h with its seed).
struct Sequence {
    ov_bitmap_t b;
    Sequence(const char *name, int w, int h, const std::vector<int> &seeds)
    {
        OVI_InitBitmap(&b, name);
        b.num_frames = (int)seeds.size();
        b.frames = (ov_bitmap_t *)calloc(seeds.size(), sizeof(ov_bitmap_t));
        for (size_t i = 0; i < seeds.size(); i++) {
            ov_bitmap_t *src = MakeBitmap(w, h, seeds[i]);
            b.frames[i] = *src;
            b.frames[i].frame_number = (int)i * 2;
            b.frames[i].fps = 30.0f;
            free(src);
        }
    }
    ~Sequence()
    {
        OVI_FreeSequenceFrames(&b);
        free(b.name);
    }
};

// True when the atlas holds the frame's pixels in the frame's texture rectangle.
::testing::AssertionResult AtlasHolds(const ov_bitmap_t *atlas, const ov_bitmap_t *frame, const ov_bitmap_t *pixels_of)
{
    int x0 = (int)(frame->hw.u0 * atlas->width + 0.5f), y0 = (int)(frame->hw.v0 * atlas->height + 0.5f);
    int x1 = (int)(frame->hw.u1 * atlas->width + 0.5f), y1 = (int)(frame->hw.v1 * atlas->height + 0.5f);
    if (x1 - x0 != pixels_of->width || y1 - y0 != pixels_of->height)
        return ::testing::AssertionFailure() << "rectangle " << x1 - x0 << "x" << y1 - y0;
    if (x0 < 0 || y0 < 0 || x1 > atlas->width || y1 > atlas->height)
        return ::testing::AssertionFailure() << "rectangle outside the atlas";
    for (int y = 0; y < pixels_of->height; y++)
        for (int x = 0; x < pixels_of->width; x++)
            if (PixelOf(atlas, x0 + x, y0 + y) != PixelOf(pixels_of, x, y))
                return ::testing::AssertionFailure() << "pixel " << x << "," << y;
    return ::testing::AssertionSuccess();
}

TEST_F(RleSequence, PixelMatchTolerance)
{
    struct Case {
        int channel, delta;
        bool match;
    } cases[] = {
        {0, 3, true}, {1, 3, true}, {2, 3, true}, {3, 3, true}, {0, 4, false}, {3, 4, false}, {2, 0, true},
    };
    const float tolerance = 3.0f / 255.0f;
    for (const Case &c : cases) {
        ov_bitmap_t *a = SolidBitmap(3, 3, 0x80808080);
        ov_bitmap_t *b = SolidBitmap(3, 3, 0x80808080);
        b->pixels[4 * 4 + c.channel] = (uint8_t)(0x80 + c.delta);
        EXPECT_EQ(OVI_BitmapPixelsMatch(a, b, tolerance), c.match) << c.channel << " +" << c.delta;
        FreeBitmap(a);
        FreeBitmap(b);
    }
    ov_bitmap_t *a = SolidBitmap(3, 3, 0);
    ov_bitmap_t *b = SolidBitmap(3, 2, 0);
    EXPECT_FALSE(OVI_BitmapPixelsMatch(a, b, 1.0f));
    EXPECT_FALSE(OVI_BitmapPixelsMatch(a, nullptr, 0.5f));
    EXPECT_TRUE(Logged("BitmapPixelsMatch got bad parameters."));
    FreeBitmap(a);
    FreeBitmap(b);
}

TEST_F(RleSequence, BmsRoundTripSharesRepeatedFrames)
{
    Sequence seq("anim.bms", 12, 9, {1, 2, 3, 2, 1});
    // Frame 4 differs from frame 0 by 3 in one channel: still a repeat of it.
    seq.b.frames[4].pixels[5 * 4 + 1] = (uint8_t)(seq.b.frames[4].pixels[5 * 4 + 1] ^ 3);
    OVI_OptimizeBitmapSequence(&seq.b);
    EXPECT_EQ(seq.b.frames[3].duplicate_of, &seq.b.frames[1]);
    EXPECT_EQ(seq.b.frames[4].duplicate_of, &seq.b.frames[0]);
    EXPECT_EQ(seq.b.frames[2].duplicate_of, nullptr);
    EXPECT_TRUE(Logged("Frames #0003 and #0001 match."));
    EXPECT_TRUE(Logged("Frames #0004 and #0000 match."));

    ASSERT_TRUE(WriteBytes("app/native/seq/.keep", {}));
    ASSERT_EQ(OVI_SaveBitmapSequence(&seq.b, "app/native/seq/anim.bms"), 1);
    std::vector<uint8_t> file = ReadBytes("app/native/seq/anim.bms");
    ASSERT_GT(file.size(), 33u + 5 * 32);
    EXPECT_EQ(memcmp(file.data(), "OV_Bm_Seq_v1", 13), 0);
    EXPECT_EQ(Le32At(file, 13), 5);
    EXPECT_EQ(memcmp(file.data() + 21, "ATLAS\0\0\0", 8), 0);
    EXPECT_EQ(memcmp(file.data() + 33 + 5 * 32, "PNG", 4), 0);
    EXPECT_EQ((size_t)Le32At(file, 33 + 5 * 32 + 4), file.size() - (33 + 5 * 32 + 8));

    ov_bitmap_t back;
    OVI_InitBitmap(&back, "back");
    ASSERT_EQ(OVI_LoadBitmapSequence(&back, "seq/anim.bms"), 1);
    ASSERT_EQ(back.num_frames, 5);
    ASSERT_NE(back.atlas, nullptr);
    for (int i = 0; i < 5; i++) {
        const ov_bitmap_t &f = back.frames[i];
        EXPECT_EQ(f.width, 12);
        EXPECT_EQ(f.height, 9);
        EXPECT_EQ(f.frame_number, seq.b.frames[i].frame_number);
        EXPECT_FLOAT_EQ(f.fps, 30.0f);
        EXPECT_EQ(f.atlas, back.atlas);
        const ov_bitmap_t *unique = seq.b.frames[i].duplicate_of ? seq.b.frames[i].duplicate_of : &seq.b.frames[i];
        EXPECT_TRUE(AtlasHolds(back.atlas, &f, unique)) << "frame " << i;
    }
    // Repeated frames share the rectangle of the frame they repeat.
    EXPECT_EQ(memcmp(&back.frames[3].hw, &back.frames[1].hw, sizeof back.frames[1].hw), 0);
    EXPECT_EQ(memcmp(&back.frames[4].hw, &back.frames[0].hw, sizeof back.frames[0].hw), 0);
    EXPECT_NE(memcmp(&back.frames[2].hw, &back.frames[1].hw, sizeof back.frames[1].hw), 0);
    OVI_FreeSequenceFrames(&back);
    free(back.name);
}

TEST_F(RleSequence, NumberedFrameGaps)
{
    struct Case {
        const char *dir;
        std::vector<int> present;
        std::vector<int> loaded;
    } cases[] = {
        {"one_missing", {0, 1, 2, 3, 4, 6}, {0, 1, 2, 3, 4, 6}},
        {"wide_after_first_gap", {0, 1, 2, 3, 4, 6, 100}, {0, 1, 2, 3, 4, 6, 100}},
        {"too_wide_after_first_gap", {0, 2, 104}, {0, 2}},
        {"six_missing_first", {0, 1, 2, 9}, {0, 1, 2}},
        {"five_missing_first", {0, 6}, {0, 6}},
        {"late_start", {3, 4, 5}, {3, 4, 5}},
    };
    for (const Case &c : cases) {
        for (int n : c.present) {
            char path[128];
            snprintf(path, sizeof path, "app/native/%s/f_%.4d.png", c.dir, n);
            ASSERT_TRUE(WriteBytes(path, RgbaPng(3, 2, n)));
        }
        ov_bitmap_t seq;
        OVI_InitBitmap(&seq, c.dir);
        std::string pattern = std::string(c.dir) + "/f_*.png";
        OVI_LoadBitmapSequenceFromFiles(&seq, pattern.c_str());
        ASSERT_EQ(seq.num_frames, (int)c.loaded.size()) << c.dir;
        for (size_t i = 0; i < c.loaded.size(); i++) {
            const ov_bitmap_t &f = seq.frames[i];
            EXPECT_EQ(f.frame_number, c.loaded[i]) << c.dir;
            EXPECT_FLOAT_EQ(f.fps, 30.0f);
            ASSERT_NE(f.pixels, nullptr);
            uint8_t want[4];
            Colour(2, 1, c.loaded[i], want);
            EXPECT_EQ(PixelOf(&f, 2, 1), (std::vector<int>{want[0], want[1], want[2], want[3]})) << c.dir;
        }
        OVI_FreeSequenceFrames(&seq);
        free(seq.name);
    }
    ov_bitmap_t none;
    OVI_InitBitmap(&none, "none");
    OVI_LoadBitmapSequenceFromFiles(&none, "nowhere/f_*.png");
    EXPECT_EQ(none.num_frames, 0);
    EXPECT_TRUE(Logged("Bitmap files 'nowhere/f_*.png' not found."));
    free(none.name);
}

// ---- atlas packing

TEST_F(RleSequence, AtlasSizeTable)
{
    struct Case {
        const char *what;
        int count, w, h;
        int atlas_w, atlas_h;  // 0: nothing fits
        bool halves_searched;  // both halved sizes are sizes the search tries
    } cases[] = {
        {"ten 100x50 frames: two rows of five", 10, 100, 50, 512, 128, true},
        {"one 30x30: 34x34 needed", 1, 30, 30, 64, 64, true},
        {"one 1020x10 fills a 1024 row", 1, 1020, 10, 1024, 32, false},
        {"one 1021x10 needs the 2048 search", 1, 1021, 10, 2048, 64, false},
        {"one 2045x10 fits nowhere", 1, 2045, 10, 0, 0, false},
    };
    for (const Case &c : cases) {
        std::vector<ov_bitmap_t *> list;
        for (int i = 0; i < c.count; i++)
            list.push_back(MakeBitmap(c.w, c.h, i));
        ov_bitmap_t atlas;
        memset(&atlas, 0, sizeof atlas);
        int ok = OVI_PackBitmaps(&atlas, list.data(), c.count);
        EXPECT_EQ(ok, c.atlas_w ? 1 : 0) << c.what;
        EXPECT_EQ(atlas.width, c.atlas_w) << c.what;
        EXPECT_EQ(atlas.height, c.atlas_h) << c.what;
        if (ok) {
            for (int i = 0; i < c.count; i++)
                EXPECT_TRUE(AtlasHolds(&atlas, list[i], list[i])) << c.what << " #" << i;
            // Halving either side of the chosen size does not fit.
            if (c.halves_searched) {
                EXPECT_FALSE(OVI_AtlasFits(list.data(), c.count, c.atlas_w / 2, c.atlas_h)) << c.what;
                EXPECT_FALSE(OVI_AtlasFits(list.data(), c.count, c.atlas_w, c.atlas_h / 2)) << c.what;
            }
        } else {
            EXPECT_EQ(atlas.pixels, nullptr);
            EXPECT_TRUE(Logged("OVI_PackBitmaps unable to find large enough atlas size for 1 bitmaps"));
        }
        free(atlas.pixels);
        free(atlas.name);
        for (ov_bitmap_t *b : list)
            FreeBitmap(b);
    }
    // The ten frames: 1024x64 has the same area and fits, 256x256 does not (five rows).
    std::vector<ov_bitmap_t *> ten;
    for (int i = 0; i < 10; i++)
        ten.push_back(MakeBitmap(100, 50, i));
    EXPECT_TRUE(OVI_AtlasFits(ten.data(), 10, 1024, 64));
    EXPECT_FALSE(OVI_AtlasFits(ten.data(), 10, 256, 256));
    for (ov_bitmap_t *b : ten)
        FreeBitmap(b);
    ov_bitmap_t atlas;
    memset(&atlas, 0, sizeof atlas);
    EXPECT_EQ(OVI_PackBitmaps(&atlas, nullptr, 0), 0);
    EXPECT_TRUE(Logged("WARNING: Failed to tile 0 bitmaps into any atlas."));
    free(atlas.name);
}

// ---- drawing

// An opaque PNG of w x h: pixel (x, y) is Colour(x, y, seed) with alpha 255.
std::vector<uint8_t> OpaquePng(int w, int h, int seed)
{
    PngShape s;
    s.width = w;
    s.height = h;
    s.color_type = PNG_COLOR_TYPE_RGB;
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++) {
            uint8_t c[4];
            Colour(x, y, seed, c);
            s.samples.insert(s.samples.end(), c, c + 3);
        }
    return EncodePng(s);
}

TEST_F(RleSequence, SequenceFrameDrawnReadsBackItsPixels)
{
    const int W = 6, H = 5;
    for (int n = 0; n < 3; n++) {
        char path[64];
        snprintf(path, sizeof path, "app/native/walk_%.4d.png", n);
        ASSERT_TRUE(WriteBytes(path, OpaquePng(W, H, 10 + n)));
    }
    ov_bitmap_t *walk = ov->OV_LoadBitmap("walk.bms", OV_CACHE_GPU);
    ASSERT_NE(walk, nullptr);
    ASSERT_EQ(walk->num_frames, 3);
    ASSERT_NE(walk->atlas, nullptr);
    ASSERT_TRUE(walk->hw.uploaded);
    for (int frame = 0; frame < 3; frame++) {
        app.draw = [&](float) {
            ov->OV_ClearScreen(0, 0, 0);
            ov->OV_SetPixelFilter(0);
            ov->OV_SetBitmapFrame(walk, frame);
            ov->OV_DrawBitmap(walk, 100, 50);
        };
        OVI_Frame(16);
        for (int y = 0; y < H; y++)
            for (int x = 0; x < W; x++) {
                uint8_t c[4];
                Colour(x, y, 10 + frame, c);
                EXPECT_EQ(Pixel(100 + x, 50 + y), (Rgba{c[0], c[1], c[2], 255})) << frame << ": " << x << "," << y;
            }
        EXPECT_EQ(Pixel(100 + W, 50), (Rgba{0, 0, 0, 255}));
    }
    ov->OV_ReleaseBitmap(walk);
}

// ---- malformed sequence files

// A sequence file: header, chunk, frame table of count entries (2x2 frames at the
// atlas origin), then the tail (kind and atlas).
std::vector<uint8_t> Bms(int32_t count, const char *chunk, int entries, const std::vector<uint8_t> &tail)
{
    std::vector<uint8_t> v((const uint8_t *)"OV_Bm_Seq_v1", (const uint8_t *)"OV_Bm_Seq_v1" + 13);
    PutLe32(v, count);
    v.insert(v.end(), {'R', 'G', 'B', 'A'});
    char name[8] = {0};
    memcpy(name, chunk, strnlen(chunk, 8));
    v.insert(v.end(), name, name + 8);
    PutLe32(v, 0);
    for (int i = 0; i < entries; i++) {
        PutLe32(v, 2);
        PutLe32(v, 2);
        PutLe32(v, i);
        float fl[5] = {30.0f, 0, 0, 0.5f, 0.5f};
        for (float f : fl) {
            uint32_t u;
            memcpy(&u, &f, 4);
            PutLe32(v, (int32_t)u);
        }
    }
    v.insert(v.end(), tail.begin(), tail.end());
    return v;
}

std::vector<uint8_t> PngTail(const std::vector<uint8_t> &png, int32_t length)
{
    std::vector<uint8_t> v = {'P', 'N', 'G', 0};
    PutLe32(v, length);
    v.insert(v.end(), png.begin(), png.end());
    return v;
}

std::vector<uint8_t> RleTail(int32_t w, int32_t h, const std::vector<uint8_t> &runs)
{
    std::vector<uint8_t> v = {'R', 'L', 'E', 0};
    PutLe32(v, w);
    PutLe32(v, h);
    v.insert(v.end(), runs.begin(), runs.end());
    return v;
}

TEST_F(RleSequence, BmsWithRleAtlasLoads)
{
    std::vector<uint8_t> f = Bms(1, "ATLAS", 1, RleTail(4, 4, {16, 30, 20, 10, 255}));
    ASSERT_TRUE(WriteBytes("app/native/rle_atlas.bms", f));
    ov_bitmap_t seq;
    OVI_InitBitmap(&seq, "rle_atlas.bms");
    ASSERT_EQ(OVI_LoadBitmapSequence(&seq, "rle_atlas.bms"), 1);
    ASSERT_EQ(seq.num_frames, 1);
    ASSERT_NE(seq.atlas, nullptr);
    ASSERT_NE(seq.atlas->pixels, nullptr);
    EXPECT_EQ(PixelOf(seq.atlas, 3, 3), (std::vector<int>{10, 20, 30, 255}));
    EXPECT_FLOAT_EQ(seq.frames[0].hw.u1, 0.5f);
    OVI_FreeSequenceFrames(&seq);
    free(seq.name);
}

TEST_F(RleSequence, MalformedBmsFailsCleanly)
{
    std::vector<uint8_t> png = RgbaPng(4, 4, 1);
    std::vector<uint8_t> good = Bms(2, "ATLAS", 2, PngTail(png, (int32_t)png.size()));
    std::vector<uint8_t> cut_png = good;
    cut_png.resize(good.size() - png.size() / 2);
    std::vector<uint8_t> cut_table = good;
    cut_table.resize(33 + 32 + 10);
    std::vector<uint8_t> bad_magic = good;
    bad_magic[3] = 'X';
    struct Case {
        const char *what;
        std::vector<uint8_t> bytes;
        const char *message;  // a log line the failure leaves, or null
    } cases[] = {
        {"bad magic", bad_magic, "Bad header in bitmap sequence 'bad.bms'"},
        {"magic only", std::vector<uint8_t>(good.begin(), good.begin() + 13), nullptr},
        {"frame chunk", Bms(2, "FRAME", 2, {}), "unimplemented chunk: 'FRAME'"},
        {"frame count 0", Bms(0, "ATLAS", 0, PngTail(png, (int32_t)png.size())), nullptr},
        {"negative frame count", Bms(-3, "ATLAS", 0, PngTail(png, (int32_t)png.size())), nullptr},
        {"huge frame count", Bms(0x7FFFFFFF, "ATLAS", 2, PngTail(png, (int32_t)png.size())), nullptr},
        {"frame table cut", cut_table, nullptr},
        {"atlas kind unknown", Bms(1, "ATLAS", 1, {'G', 'I', 'F', 0}), "encoding: 'GIF'"},
        {"png length past the end", Bms(2, "ATLAS", 2, PngTail(png, (int32_t)png.size() + 100)), nullptr},
        {"png length negative", Bms(2, "ATLAS", 2, PngTail(png, -5)), nullptr},
        {"png data cut", cut_png, nullptr},
        {"rle atlas huge", Bms(1, "ATLAS", 1, RleTail(70000, 70000, {255, 1, 2, 3, 4})), nullptr},
        {"rle atlas cut", Bms(1, "ATLAS", 1, RleTail(4, 4, {3, 1, 2, 3, 4})), nullptr},
    };
    for (const Case &c : cases) {
        ASSERT_TRUE(WriteBytes("app/native/bad.bms", c.bytes));
        ov_bitmap_t seq;
        OVI_InitBitmap(&seq, "bad.bms");
        EXPECT_EQ(OVI_LoadBitmapSequence(&seq, "bad.bms"), 0) << c.what;
        EXPECT_TRUE(!seq.atlas || !seq.atlas->pixels) << c.what;
        if (c.message) {
            EXPECT_TRUE(Logged(c.message)) << c.what;
        }
        OVI_FreeSequenceFrames(&seq);
        free(seq.name);
    }
    // The well-formed original loads.
    ASSERT_TRUE(WriteBytes("app/native/good.bms", good));
    ov_bitmap_t seq;
    OVI_InitBitmap(&seq, "good.bms");
    EXPECT_EQ(OVI_LoadBitmapSequence(&seq, "good.bms"), 1);
    OVI_FreeSequenceFrames(&seq);
    free(seq.name);
}

// Found by the hostile-input run: a damaged atlas chunk was reported as an unknown chunk.
TEST_F(RleSequence, DamagedAtlasIsReportedAsDamagedNotUnknown)
{
    std::vector<uint8_t> png = RgbaPng(4, 4, 1);
    std::vector<uint8_t> gif = Bms(1, "ATLAS", 1, {'G', 'I', 'F', 0});
    std::vector<uint8_t> cut = Bms(1, "ATLAS", 1, PngTail(png, (int32_t)png.size() + 100));
    for (const std::vector<uint8_t> *bytes : {&gif, &cut}) {
        ASSERT_TRUE(WriteBytes("app/native/damaged.bms", *bytes));
        ov_bitmap_t seq;
        OVI_InitBitmap(&seq, "damaged.bms");
        EXPECT_EQ(OVI_LoadBitmapSequence(&seq, "damaged.bms"), 0);
        OVI_FreeSequenceFrames(&seq);
        free(seq.name);
    }
    EXPECT_EQ(gfxtest::CountLogged("Bitmap sequence 'damaged.bms' has a damaged atlas."), 2);
    EXPECT_FALSE(gfxtest::Logged("unimplemented chunk: 'ATLAS'"));
    EXPECT_TRUE(gfxtest::Logged("encoding: 'GIF'"));
}

}  // namespace
