// Loading bitmaps by name: the extensions tried in order, the data manifest's drawn
// size and pack mode, failed loads staying failed, and http:// bitmaps taken from the
// download cache.
#include "tests/gfx/gfx_fixture.h"
#include "tests/gfx/test_image_fixtures.h"

#include "core/data/dataman.h"
#include "core/services.h"
#include "gfx/bitmap.h"
#include "gfx/image.h"
#include "gfx/sequence.h"

#include <stdlib.h>
#include <string.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

using namespace imgtest;
using gfxtest::CountLogged;
using gfxtest::Logged;

namespace {

class BitmapLoad : public gfxtest::GfxTest {
protected:
    void SetUp() override
    {
        GfxTest::SetUp();
        Start();
    }
    void TearDown() override
    {
        for (ov_bitmap_t *b : records_)
            Free(b);
        if (manifest_)
            ov_dman.ReleaseDatabase("bitmap-load-test.xml");
        GfxTest::TearDown();
    }
    ov_bitmap_t *Record(const char *name)
    {
        ov_bitmap_t *b = (ov_bitmap_t *)calloc(1, sizeof(ov_bitmap_t));
        OVI_InitBitmap(b, name);
        records_.push_back(b);
        return b;
    }
    static void Free(ov_bitmap_t *b)
    {
        if (b->frames)
            OVI_FreeSequenceFrames(b);
        else
            free(b->pixels);
        free(b->name);
        free(b);
    }
    void Manifest(const char *node, const char *key, const char *value)
    {
        if (!manifest_) {
            manifest_ = ov_dman.CreateDatabase("bitmap-load-test.xml");
            manifest_->SetValue("bitmaps", node, key, value);
            ASSERT_TRUE(ov_dman.AddManifestDatabase(manifest_));
        } else {
            manifest_->SetValue("bitmaps", node, key, value);
        }
    }
    std::vector<ov_bitmap_t *> records_;
    OV_DMDatabase *manifest_ = nullptr;
};

// Writes an image file of each kind under res:// whose width tells the kinds apart.
enum Kind { PNG = 1, JPG = 2, BMS = 3, TGA = 4 };

void WriteKind(const std::string &base, Kind kind)
{
    std::string native = "app/native/" + base;
    ov_bitmap_t *img = MakeBitmap((int)kind, 2, (int)kind, false);
    switch (kind) {
    case PNG:
        ASSERT_TRUE(WriteBytes(native + ".png", RgbaPng((int)kind, 2, (int)kind)));
        break;
    case JPG:
        ASSERT_TRUE(WriteBytes(native + ".jpg", {}));
        ASSERT_TRUE(OVI_WriteJPG(img, (native + ".jpg").c_str(), 90));
        break;
    case TGA:
        ASSERT_TRUE(WriteBytes(native + ".tga", {}));
        ASSERT_TRUE(OVI_WriteTGA(img, (native + ".tga").c_str()));
        break;
    case BMS: {
        ov_bitmap_t seq;
        OVI_InitBitmap(&seq, "kind.bms");
        seq.frames = img;
        seq.num_frames = 1;
        ASSERT_TRUE(WriteBytes(native + ".bms", {}));
        ASSERT_EQ(OVI_SaveBitmapSequence(&seq, (native + ".bms").c_str()), 1);
        OVI_FreeSequenceFrames(&seq);
        free(seq.name);
        img = nullptr;
        break;
    }
    }
    if (img)
        FreeBitmap(img);
}

// The kind of file a loaded bitmap came from (by its width), 0 when nothing loaded.
int LoadedKind(const ov_bitmap_t *b)
{
    if (b->num_frames > 0 && b->atlas && b->atlas->pixels)
        return b->frames[0].width == BMS ? BMS : -1;
    return b->pixels ? b->width : 0;
}

TEST_F(BitmapLoad, NameWithoutExtensionTriesPngJpgBmsTgaInOrder)
{
    struct Case {
        const char *name;
        std::vector<Kind> present;
        int loaded;  // the kind loaded, 0 for none
    } cases[] = {
        {"all", {PNG, JPG, BMS, TGA}, PNG},
        {"no_png", {JPG, BMS, TGA}, JPG},
        {"jpg_and_tga", {TGA, JPG}, JPG},
        {"bms_and_tga", {TGA, BMS}, BMS},
        {"tga_only", {TGA}, TGA},
        {"dir.v2/pic", {TGA}, TGA},  // the '.' before the last '/' is no extension
        {"nothing", {}, 0},
    };
    for (const Case &c : cases) {
        for (Kind k : c.present)
            WriteKind(c.name, k);
        ov_bitmap_t *b = Record(c.name);
        bool ok = OVI_LoadBitmapFromFile(b);
        EXPECT_EQ(ok, c.loaded != 0) << c.name;
        EXPECT_EQ(LoadedKind(b), c.loaded) << c.name;
        EXPECT_EQ(b->load_state, c.loaded ? OV_BITMAP_LOADED : OV_BITMAP_NOT_LOADED) << c.name;
    }
    // A name that opens under no extension is silent.
    EXPECT_FALSE(Logged("Unable to load bitmap 'nothing'"));
}

TEST_F(BitmapLoad, NameWithExtensionLoadsAsItStands)
{
    WriteKind("exact", TGA);
    WriteKind("exact", PNG);
    ov_bitmap_t *b = Record("exact.tga");
    ASSERT_TRUE(OVI_LoadBitmapFromFile(b));
    EXPECT_EQ(LoadedKind(b), TGA);
    EXPECT_TRUE(b->flags & OV_BITMAP_RELOADABLE);
    EXPECT_FLOAT_EQ(b->fps, 30.0f);
}

TEST_F(BitmapLoad, ManifestSizeAndPackMode)
{
    struct Case {
        const char *name;
        std::vector<std::pair<const char *, const char *>> keys;
        int initial_pack_mode;
        int width, height, pack_mode;
    } cases[] = {
        {"sized.png", {{"w", "64"}, {"h", "48"}}, OV_PAD_EXPAND, 64, 48, OV_PAD_EXPAND},
        {"no_w.png", {{"h", "10"}}, OV_PAD_EXPAND, 32, 10, OV_PAD_EXPAND},
        {"no_size.png", {{"pack_mode", "NO_PADDING"}}, OV_PAD_EXPAND, 32, 32, OV_NO_PADDING},
        {"transparent.png", {{"w", "5"}, {"pack_mode", "PAD_TRANSPARENT"}}, OV_NO_PADDING, 5, 32, OV_PAD_TRANSPARENT},
        {"expand.png", {{"w", "5"}, {"h", "6"}, {"pack_mode", "PAD_EXPAND "}}, OV_NO_PADDING, 5, 6, OV_PAD_EXPAND},
        {"expand_unblanked.png", {{"w", "5"}, {"h", "6"}, {"pack_mode", "PAD_EXPAND"}}, OV_NO_PADDING, 5, 6,
         OV_NO_PADDING},
    };
    for (const Case &c : cases) {
        for (const auto &kv : c.keys)
            Manifest(c.name, kv.first, kv.second);
    }
    const int iw = 7, ih = 3;
    for (const Case &c : cases) {
        ASSERT_TRUE(WriteBytes(std::string("app/native/") + c.name, RgbaPng(iw, ih, 1)));
        ov_bitmap_t *b = Record(c.name);
        b->pack_mode = (int16_t)c.initial_pack_mode;
        ASSERT_TRUE(OVI_LoadBitmapFromFile(b)) << c.name;
        EXPECT_EQ(b->width, c.width) << c.name;
        EXPECT_EQ(b->height, c.height) << c.name;
        EXPECT_EQ(b->src_width, iw) << c.name;
        EXPECT_EQ(b->src_height, ih) << c.name;
        EXPECT_EQ(b->pack_mode, c.pack_mode) << c.name;
    }
    EXPECT_TRUE(Logged("Using pack mode 'PAD_EXPAND '"));
    // Without a manifest node the drawn size is the image's.
    ASSERT_TRUE(WriteBytes("app/native/plain.png", RgbaPng(iw, ih, 1)));
    ov_bitmap_t *plain = Record("plain.png");
    ASSERT_TRUE(OVI_LoadBitmapFromFile(plain));
    EXPECT_EQ(plain->width, iw);
    EXPECT_EQ(plain->height, ih);
}

TEST_F(BitmapLoad, ManifestHeightScalesSequenceFrames)
{
    WriteKind("scaled", BMS);  // one frame of BMS x 2 pixels
    Manifest("scaled.bms", "h", "6");
    ov_bitmap_t *b = Record("scaled.bms");
    ASSERT_TRUE(OVI_LoadBitmapFromFile(b));
    ASSERT_EQ(b->num_frames, 1);
    EXPECT_EQ(b->frames[0].src_width, BMS);
    EXPECT_EQ(b->frames[0].src_height, 2);
    EXPECT_EQ(b->frames[0].height, 6);
    EXPECT_EQ(b->frames[0].width, BMS * 6 / 2);
    EXPECT_EQ(b->frames[0].load_state, OV_BITMAP_LOADED);
}

TEST_F(BitmapLoad, FailedLoadStaysFailed)
{
    std::vector<uint8_t> broken = RgbaPng(4, 4, 2);
    broken.resize(broken.size() / 2);
    ASSERT_TRUE(WriteBytes("app/native/broken.png", broken));
    struct Case {
        const char *name;
    } cases[] = {{"broken.png"}, {"broken"}, {"missing.png"}, {"bad/seq.bms"}};
    ASSERT_TRUE(WriteBytes("app/native/bad/seq.bms", {'O', 'V', '_', 'B', 'm'}));
    for (const Case &c : cases) {
        ov_bitmap_t *b = Record(c.name);
        EXPECT_FALSE(OVI_LoadBitmapFromFile(b)) << c.name;
        EXPECT_EQ(b->load_state, OV_BITMAP_LOADED) << c.name;
        EXPECT_EQ(b->pixels, nullptr) << c.name;
        const std::string line = std::string("Unable to load bitmap '") + c.name + "'.";
        const int lines = CountLogged(line);
        EXPECT_GT(lines, 0) << c.name;
        // Asking again changes nothing: the record stays loaded without data.
        EXPECT_FALSE(OVI_LoadBitmapFromFile(b)) << c.name;
        EXPECT_EQ(b->load_state, OV_BITMAP_LOADED) << c.name;
        EXPECT_EQ(b->pixels, nullptr);
        EXPECT_EQ(CountLogged(line), lines) << c.name;
    }
    // Through the pool: the record stays, without a texture.
    ov_bitmap_t *pooled = ov->OV_LoadBitmap("broken.png", OV_CACHE_GPU);
    ASSERT_NE(pooled, nullptr);
    EXPECT_EQ(pooled->load_state, OV_BITMAP_LOADED);
    EXPECT_FALSE(pooled->hw.uploaded);
    EXPECT_EQ(ov->OV_LoadBitmap("broken.png", OV_CACHE_GPU), pooled);
    ov->OV_ReleaseBitmap(pooled);
    ov->OV_ReleaseBitmap(pooled);
}

TEST_F(BitmapLoad, HttpBitmapPreseededInTheCacheLoads)
{
    const char *url = "http://example.com/img/pic~1.png?v=2";
    char cache[260];
    OVI_BitmapCachePath(url, cache);
    // '/' becomes '_'; ':', '?' and '=' are dropped.
    EXPECT_STREQ(cache, "user://cache/http__example.com_img_pic~1.pngv2");
    // The cached file ends in ".pngv2": keep the name loadable by giving it a .png ending.
    url = "http://example.com/img/pic~1.png";
    OVI_BitmapCachePath(url, cache);
    ASSERT_STREQ(cache, "user://cache/http__example.com_img_pic~1.png");
    ASSERT_TRUE(OV_CreateDirectory("user://cache"));
    char *native = OV_ConvertStaticPathToNativeOSPath(cache);
    ASSERT_NE(native, nullptr);
    ASSERT_TRUE(WriteBytes(native, RgbaPng(5, 4, 6)));
    free(native);
    ov_bitmap_t *b = Record(url);
    ASSERT_TRUE(OVI_LoadBitmapFromFile(b));
    EXPECT_EQ(b->load_state, OV_BITMAP_LOADED);
    ASSERT_EQ(b->width, 5);
    ASSERT_EQ(b->height, 4);
    for (int y = 0; y < 4; y++)
        for (int x = 0; x < 5; x++) {
            uint8_t c[4];
            Colour(x, y, 6, c);
            EXPECT_EQ(PixelOf(b, x, y), (std::vector<int>{c[0], c[1], c[2], c[3]}));
        }
    EXPECT_FALSE(Logged("Done downloading"));
}

TEST_F(BitmapLoad, HttpBitmapWithAsteriskIsRefused)
{
    ov_bitmap_t *b = Record("http://example.com/walk_*.png");
    EXPECT_FALSE(OVI_LoadBitmapFromFile(b));
    EXPECT_TRUE(Logged("Asterisk character ('*') isn't allowed in http:// url file names such as "
                       "'http://example.com/walk_*.png'"));
    EXPECT_TRUE(Logged("Unable to load bitmap 'http://example.com/walk_*.png'."));
}

// The download behind the http:// bitmaps of the refresh test: a 4 x 4 PNG every time.
std::vector<uint8_t> g_download;
std::atomic<int> g_downloads{0};
int FakeDownload(int, const char *, const char *, const char *, int, ov_buffer_t *reply, int *)
{
    g_downloads++;
    *reply = OV_AllocBuffer((int)g_download.size());
    memcpy(reply->data, g_download.data(), g_download.size());
    reply->used = (int)g_download.size();
    return 200;
}

// Workers refreshing one http:// bitmap at the same moment, many times over: after
// each round the bitmap is back in its cache mode and on the GPU, where it draws. (One
// refresh deleting the cached download while the other was reading it, or reading the
// cache mode while the other had it at 0, left the bitmap unloaded.)
TEST_F(BitmapLoad, WorkersRefreshingTheSameBitmapAtOnceLeaveItLoaded)
{
    g_download = RgbaPng(4, 4, 3);
    ov->OV_SendHttpRequest = FakeDownload;
    const char *url = "http://example.com/refresh.png";
    ov_bitmap_t *b = ov->OV_LoadBitmap(url, OV_CACHE_GPU);
    ASSERT_NE(b, nullptr);
    ASSERT_EQ(OVI_PollBitmapCacheMode(b), OV_CACHE_GPU);
    ASSERT_TRUE(b->hw.uploaded);
    const int rounds = 200, kWorkers = 3;
    int unloaded = 0;
    for (int round = 0; round < rounds; round++) {
        std::atomic<int> ready{0};
        auto worker = [&] {
            ready++;
            while (ready.load() < kWorkers) {
            }
            for (int i = 0; i < 4; i++)
                ov->OV_RefreshBitmap(b);
        };
        std::vector<std::thread> workers;
        for (int w = 0; w < kWorkers; w++)
            workers.emplace_back(worker);
        for (std::thread &t : workers)
            t.join();
        OVI_Frame(16);  // the frame tail uploads what the workers loaded
        if (OVI_PollBitmapCacheMode(b) != OV_CACHE_GPU || !b->hw.uploaded)
            unloaded++;
    }
    EXPECT_EQ(unloaded, 0) << "rounds that ended unloaded, of " << rounds;
    EXPECT_GE(g_downloads.load(), rounds);
    gfxtest::app.draw = [&](float) {
        ov->OV_ClearScreen(0, 0, 0);
        ov->OV_SetPixelFilter(0);
        ov->OV_SetBlend(2);  // opaque: the bitmap's own colour
        ov->OV_DrawBitmap(b, 100, 50);
        ov->OV_SetBlend(0);
    };
    OVI_Frame(16);
    ASSERT_TRUE(b->hw.uploaded);
    uint8_t c[4];
    Colour(1, 1, 3, c);
    gfxtest::Rgba p = gfxtest::Pixel(101, 51);
    EXPECT_EQ((std::vector<int>{p[0], p[1], p[2]}), (std::vector<int>{c[0], c[1], c[2]}));
    ov->OV_ReleaseBitmap(b);
}

}  // namespace
