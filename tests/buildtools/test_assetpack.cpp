// orvex-assetpack run as the build runs it: four numbered frames packed into a ".bms"
// that the engine loads through OV_GetBitmap with four frames of the right sizes, each
// drawn on the real renderer and read back pixel for pixel; a TGA that reads back
// identical to its PNG; a contact sheet of a fixture directory; failures exit 1 and
// leave no output.
#include "tests/gfx/gfx_fixture.h"
#include "tests/gfx/test_image_fixtures.h"

#include "gfx/image.h"

#include <png.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <string>
#include <vector>

using namespace imgtest;
using gfxtest::app;
using gfxtest::Pixel;
using gfxtest::Rgba;

namespace {

// Runs the tool with the arguments (shell-quoted here); its exit status.
int RunTool(const std::string &args)
{
    std::string cmd = std::string("'") + ORVEX_ASSETPACK + "' " + args + " > assetpack.out 2>&1";
    int status = system(cmd.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bool Exists(const std::string &path)
{
    struct stat st;
    return stat(path.c_str(), &st) == 0;
}

// An opaque PNG of w x h whose pixel (x, y) is Colour(x, y, seed).
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

// A PNG of one opaque colour.
std::vector<uint8_t> SolidPng(int w, int h, uint8_t r, uint8_t g, uint8_t b)
{
    PngShape s;
    s.width = w;
    s.height = h;
    s.color_type = PNG_COLOR_TYPE_RGB;
    for (int i = 0; i < w * h; i++)
        s.samples.insert(s.samples.end(), {r, g, b});
    return EncodePng(s);
}

// Decodes a PNG or TGA file with the engine's decoders into a zeroed record.
bool Decode(const std::string &path, ov_bitmap_t *b)
{
    std::vector<uint8_t> bytes = ReadBytes(path);
    memset(b, 0, sizeof *b);
    if (bytes.empty())
        return false;
    if (path.size() > 4 && path.compare(path.size() - 4, 4, ".tga") == 0)
        return OVI_LoadBitmapMemTGA(b, bytes.data(), (long)bytes.size());
    return OVI_LoadBitmapMemPNG(b, bytes.data(), (long)bytes.size());
}

class Assetpack : public gfxtest::GfxTest {
};

struct FrameShape {
    int w, h;
};
const FrameShape kFrames[] = {{6, 5}, {9, 4}, {7, 8}, {12, 3}};

TEST_F(Assetpack, FourFramesPackAndLoadThroughGetBitmap)
{
    for (int n = 0; n < 4; n++) {
        char path[64];
        snprintf(path, sizeof path, "stage/walk-%.4d.png", n);
        ASSERT_TRUE(WriteBytes(path, OpaquePng(kFrames[n].w, kFrames[n].h, 20 + n)));
    }
    ASSERT_EQ(RunTool("bms 'stage/walk-*.png' app/native/units/walk.bms"), 0) << ReadBytes("assetpack.out").size();
    std::vector<uint8_t> file = ReadBytes("app/native/units/walk.bms");
    ASSERT_GT(file.size(), 33u + 4 * 32);
    EXPECT_EQ(memcmp(file.data(), "OV_Bm_Seq_v1", 13), 0);

    Start();
    ov_bitmap_t *walk = ov->OV_GetBitmap("units/walk.bms");
    ASSERT_NE(walk, nullptr);
    ASSERT_EQ(walk->num_frames, 4);
    for (int n = 0; n < 4; n++) {
        SCOPED_TRACE(n);
        EXPECT_EQ(walk->frames[n].width, kFrames[n].w);
        EXPECT_EQ(walk->frames[n].height, kFrames[n].h);
        EXPECT_EQ(walk->frames[n].frame_number, n);
        app.draw = [&](float) {
            ov->OV_ClearScreen(0, 0, 0);
            ov->OV_SetPixelFilter(0);
            ov->OV_SetBitmapFrame(walk, n);
            ov->OV_DrawBitmap(walk, 100, 50);
        };
        OVI_Frame(16);
        for (int y = 0; y < kFrames[n].h; y++)
            for (int x = 0; x < kFrames[n].w; x++) {
                uint8_t c[4];
                Colour(x, y, 20 + n, c);
                EXPECT_EQ(Pixel(100 + x, 50 + y), (Rgba{c[0], c[1], c[2], 255})) << x << "," << y;
            }
        EXPECT_EQ(Pixel(100 + kFrames[n].w, 50), (Rgba{0, 0, 0, 255}));
    }
    ov->OV_ReleaseBitmap(walk);
}

TEST_F(Assetpack, RepeatedFramesShareOnePicture)
{
    for (int n = 0; n < 4; n++) {
        char path[64];
        snprintf(path, sizeof path, "stage/blink-%.4d.png", n);
        ASSERT_TRUE(WriteBytes(path, OpaquePng(8, 8, n % 2)));
    }
    ASSERT_EQ(RunTool("bms 'stage/blink-*.png' out/blink.bms"), 0);
    std::vector<uint8_t> out = ReadBytes("assetpack.out");
    EXPECT_NE(std::string(out.begin(), out.end()).find("4 frames (2 unique)"), std::string::npos);
}

TEST_F(Assetpack, TgaReadsBackIdenticalToItsPng)
{
    ASSERT_TRUE(WriteBytes("stage/decal.png", RgbaPng(13, 7, 5)));
    ASSERT_EQ(RunTool("tga stage/decal.png app/native/decals/decal.tga"), 0);
    std::vector<uint8_t> tga = ReadBytes("app/native/decals/decal.tga");
    ASSERT_GE(tga.size(), 18u + 13 * 7 * 4);
    EXPECT_EQ(tga[2], 2);     // uncompressed true colour
    EXPECT_EQ(tga[16], 32);   // bits per pixel
    EXPECT_EQ(tga[17], 0x08); // 8 alpha bits, bottom row first
    ov_bitmap_t png, back;
    ASSERT_TRUE(Decode("stage/decal.png", &png));
    ASSERT_TRUE(Decode("app/native/decals/decal.tga", &back));
    ASSERT_EQ(back.width, 13);
    ASSERT_EQ(back.height, 7);
    EXPECT_EQ(memcmp(back.pixels, png.pixels, 13 * 7 * 4), 0);
    free(png.pixels);
    free(back.pixels);
}

TEST_F(Assetpack, ContactSheetOfAFixtureDirectory)
{
    // Three images, the largest 20 pixels high: cells of 20, three to a row.
    ASSERT_TRUE(WriteBytes("art/ui/a.png", SolidPng(10, 10, 255, 0, 0)));
    ASSERT_TRUE(WriteBytes("art/ui/b.png", SolidPng(16, 20, 0, 255, 0)));
    ASSERT_TRUE(WriteBytes("art/ui/c.png", SolidPng(4, 6, 0, 0, 255)));
    ASSERT_TRUE(WriteBytes("art/ui/notes.txt", {'x'}));
    ASSERT_EQ(RunTool("sheet review/dir-ui.png art/ui"), 0);
    ov_bitmap_t sheet;
    ASSERT_TRUE(Decode("review/dir-ui.png", &sheet));
    EXPECT_EQ(sheet.width, 3 * (20 + 8) + 8);
    EXPECT_EQ(sheet.height, 20 + 16);
    // Each image sits centred in its cell, in name order.
    EXPECT_EQ(PixelOf(&sheet, 8 + 10, 8 + 10), (std::vector<int>{255, 0, 0, 255}));
    EXPECT_EQ(PixelOf(&sheet, 36 + 10, 8 + 10), (std::vector<int>{0, 255, 0, 255}));
    EXPECT_EQ(PixelOf(&sheet, 64 + 10, 8 + 10), (std::vector<int>{0, 0, 255, 255}));
    // Around a small image the cell shows its checker board, outside it the frame.
    EXPECT_EQ(PixelOf(&sheet, 64, 8), (std::vector<int>{110, 110, 110, 255}));
    EXPECT_EQ(PixelOf(&sheet, 0, 0), (std::vector<int>{40, 40, 40, 255}));
    free(sheet.pixels);
}

TEST_F(Assetpack, FailuresExitOneAndLeaveNoOutput)
{
    ASSERT_TRUE(WriteBytes("stage/not.png", {'n', 'o', 'p', 'e'}));
    struct Case {
        const char *args, *output;
    } cases[] = {
        {"bms 'stage/none-*.png' out/none.bms", "out/none.bms"},
        {"bms stage/no-star.png out/star.bms", "out/star.bms"},
        {"tga stage/not.png out/not.tga", "out/not.tga"},
        {"tga stage/missing.png out/missing.tga", "out/missing.tga"},
        {"sheet out/empty.png stage/missing-dir", "out/empty.png"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.args);
        EXPECT_EQ(RunTool(c.args), 1);
        EXPECT_FALSE(Exists(c.output));
    }
    EXPECT_EQ(RunTool("frobnicate x y"), 2);
}

}  // namespace
