// The engine's graphics writers (PNG, JPEG and TGA images, fonts, bitmap sequences)
// write beside the file and replace it only when everything was written: a write
// that fails half-way (here: past a file-size limit, EFBIG) keeps the old file and
// leaves no partial one behind, and says so in the log.
#include "tests/gfx/gfx_fixture.h"
#include "tests/gfx/test_font_util.h"
#include "tests/gfx/test_image_fixtures.h"

#include "core/console.h"
#include "gfx/bitmap.h"
#include "gfx/font.h"
#include "gfx/image.h"
#include "gfx/sequence.h"

#include <signal.h>
#include <stdlib.h>
#include <string.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <random>
#include <string>
#include <vector>

using namespace imgtest;
using gfxtest::Logged;

namespace {

const rlim_t kLimit = 8192;

// While alive, files of this process cannot grow past kLimit bytes (writes beyond it
// fail with EFBIG, a real short write); the old limit comes back afterwards.
class FileSizeLimit {
public:
    FileSizeLimit()
    {
        getrlimit(RLIMIT_FSIZE, &old_);
        old_handler_ = signal(SIGXFSZ, SIG_IGN);
        struct rlimit small = {kLimit, old_.rlim_max};
        setrlimit(RLIMIT_FSIZE, &small);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &old_);
        signal(SIGXFSZ, old_handler_);
    }

private:
    struct rlimit old_;
    void (*old_handler_)(int);
};

class SaveFailures : public gfxtest::GfxTest {
protected:
    void SetUp() override
    {
        GfxTest::SetUp();
        PreInit();
    }
};

// A w x h bitmap of random pixels: it does not compress below the limit.
ov_bitmap_t *Noise(int w, int h)
{
    ov_bitmap_t *b = MakeBitmap(w, h, 1);
    std::mt19937 random(99);
    for (int i = 0; i < w * h * 4; i++)
        b->pixels[i] = (uint8_t)random();
    return b;
}

std::string Native(const char *name)
{
    char *native = OV_ConvertStaticPathToNativeOSPath(name);
    std::string out = native ? native : "";
    free(native);
    return out;
}

std::string LogText()
{
    std::string all;
    for (const ovConsole::line_t &l : ov_con.lines)
        all += l.text ? l.text : "";
    return all;
}

bool Exists(const std::string &path)
{
    struct stat st;
    return stat(path.c_str(), &st) == 0;
}

TEST_F(SaveFailures, ImageWritersKeepTheOldFile)
{
    for (const char *name : {"user://shot.png", "user://shot.jpg", "user://shot.tga"}) {
        SCOPED_TRACE(name);
        std::string native = Native(name);
        ov_bitmap_t *small = MakeBitmap(4, 4, 3);
        ASSERT_TRUE(ov_image_loader->SaveImage(small, name, 90));
        std::vector<uint8_t> old_bytes = ReadBytes(native);
        ASSERT_GT(old_bytes.size(), 0u);
        ASSERT_LT(old_bytes.size(), kLimit);

        ov_bitmap_t *big = Noise(128, 128);
        bool saved;
        {
            FileSizeLimit limit;
            saved = ov_image_loader->SaveImage(big, name, 95);
        }
        EXPECT_FALSE(saved);
        EXPECT_EQ(ReadBytes(native), old_bytes);
        EXPECT_FALSE(Exists(native + ".tmp"));
        EXPECT_TRUE(Logged("Unable to write file '" + native + "': File too large")) << LogText();

        // With room again the same save goes through.
        EXPECT_TRUE(ov_image_loader->SaveImage(big, name, 95));
        EXPECT_GT(ReadBytes(native).size(), kLimit);
        EXPECT_FALSE(Exists(native + ".tmp"));
        FreeBitmap(small);
        FreeBitmap(big);
    }
}

TEST_F(SaveFailures, FontSaveKeepsTheOldFile)
{
    ov_font_t small, big;
    fonttest::InitFont(&small, "small");
    fonttest::SetGlyph(&small, 65, 5, 2, 2);
    fonttest::InitFont(&big, "big");
    for (int i = 32; i < 128; i++)
        fonttest::SetGlyph(&big, i, 9, 8, 12);
    fonttest::MakeDirs("app/native/fonts/");
    ASSERT_EQ(OV_SaveFont(&small, "res://fonts/f.mft"), 1);
    std::vector<uint8_t> old_bytes = ReadBytes("app/native/fonts/f.mft");
    ASSERT_LT(old_bytes.size(), kLimit);
    int saved;
    {
        FileSizeLimit limit;
        saved = OV_SaveFont(&big, "res://fonts/f.mft");
    }
    EXPECT_EQ(saved, 0);
    EXPECT_EQ(ReadBytes("app/native/fonts/f.mft"), old_bytes);
    EXPECT_FALSE(Exists("app/native/fonts/f.mft.tmp"));
    EXPECT_TRUE(Logged("Unable to finish writing 'res://fonts/f.mft.tmp': File too large"));
    EXPECT_TRUE(Logged("Unable to write file 'res://fonts/f.mft'. The file is unchanged."));
    EXPECT_EQ(OV_SaveFont(&big, "res://fonts/f.mft"), 1);
    EXPECT_FALSE(Exists("app/native/fonts/f.mft.tmp"));
    fonttest::FreeFont(&small);
    fonttest::FreeFont(&big);
}

TEST_F(SaveFailures, SequenceSaveKeepsTheOldFile)
{
    ov_state.atlas_packing = 1;
    fonttest::MakeDirs("app/native/seq/");
    auto make = [](ov_bitmap_t *seq, int frames, int size) {
        OVI_InitBitmap(seq, "anim.bms");
        seq->num_frames = frames;
        seq->frames = (ov_bitmap_t *)calloc((size_t)frames, sizeof(ov_bitmap_t));
        for (int i = 0; i < frames; i++) {
            ov_bitmap_t *src = Noise(size, size);
            seq->frames[i] = *src;
            seq->frames[i].frame_number = i;
            free(src);
        }
    };
    ov_bitmap_t small, big;
    make(&small, 1, 4);
    make(&big, 4, 40);
    ASSERT_EQ(OVI_SaveBitmapSequence(&small, "app/native/seq/anim.bms"), 1);
    std::vector<uint8_t> old_bytes = ReadBytes("app/native/seq/anim.bms");
    ASSERT_LT(old_bytes.size(), kLimit);
    int saved;
    {
        FileSizeLimit limit;
        saved = OVI_SaveBitmapSequence(&big, "app/native/seq/anim.bms");
    }
    EXPECT_EQ(saved, 0);
    EXPECT_EQ(ReadBytes("app/native/seq/anim.bms"), old_bytes);
    EXPECT_FALSE(Exists("app/native/seq/anim.bms.tmp"));
    EXPECT_TRUE(Logged("Writing bitmap sequence 'app/native/seq/anim.bms' failed."));
    EXPECT_EQ(OVI_SaveBitmapSequence(&big, "app/native/seq/anim.bms"), 1);
    EXPECT_GT(ReadBytes("app/native/seq/anim.bms").size(), kLimit);
    OVI_FreeSequenceFrames(&small);
    OVI_FreeSequenceFrames(&big);
    free(small.name);
    free(big.name);
}

}  // namespace
