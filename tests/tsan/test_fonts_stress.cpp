// Stress of the font pool and of bitmap refreshes from worker threads: workers get,
// load and release fonts (the first load of a name builds and queues its atlas) while
// the main thread runs frames that draw text with them; a worker refreshes bitmaps
// (their data dropped and loaded again, the upload queued) while frames run and the
// main thread refreshes another one under the renderer's lock. Each run is bounded in
// count and time.
#include "tests/gfx/gfx_fixture.h"
#include "tests/gfx/test_font_util.h"

#include "gfx/bitmap.h"
#include "gfx/font.h"

#include <stdio.h>
#include <stdlib.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

using namespace gfxtest;
using namespace fonttest;

namespace {

const char *const kMainFont = "fonts/medium.mft";
const char *const kWorkerFonts[] = {"core/console.mft", "fonts/large.mft"};
const int kWorkers = 3;
const int kRounds = 120;

std::atomic<int> s_loads{0};
bool Loader(ov_bitmap_t *b)
{
    s_loads++;
    b->width = b->height = b->src_width = b->src_height = 8;
    b->pixels = (uint8_t *)malloc(8 * 8 * 4);
    if (!b->pixels)
        return false;
    memset(b->pixels, 0xff, 8 * 8 * 4);
    b->load_state = OV_BITMAP_LOADED;
    return true;
}

// The number of lit pixels in a rectangle of the framebuffer.
int LitPixels(int x0, int y0, int w, int h)
{
    int lit = 0;
    for (int y = y0; y < y0 + h; y += 2)
        for (int x = x0; x < x0 + w; x += 2) {
            Rgba p = Pixel(x, y);
            if (p[0] > 128 && p[1] > 128 && p[2] > 128)
                lit++;
        }
    return lit;
}

class FontsStress : public GfxTest {
protected:
    void SetUp() override
    {
        GfxTest::SetUp();
        s_loads = 0;
        for (const char *name : {kMainFont, kWorkerFonts[0], kWorkerFonts[1]})
            ASSERT_TRUE(CopyFile(std::string(ORVEX_APP_NATIVE_DIR) + "/" + name, std::string("app/native/") + name))
                << name << " is missing from the build's app/native";
        OVI_SetBitmapFileLoader(Loader);
        Start();
    }
    void TearDown() override
    {
        OVI_SetBitmapFileLoader(nullptr);
        GfxTest::TearDown();
    }
    // Frames until the queues are empty (bounded).
    void Settle()
    {
        for (int f = 0; f < 50 && (OVI_UploadQueueLength() > 0 || OVI_ReleaseQueueLength() > 0); f++)
            OVI_Frame(16);
        EXPECT_EQ(OVI_UploadQueueLength(), 0);
        EXPECT_EQ(OVI_ReleaseQueueLength(), 0);
    }
};

}  // namespace

TEST_F(FontsStress, WorkersGetAndReleaseFontsWhileFramesDrawText)
{
    ov_font_t *main_font = ov->OV_LoadFont(kMainFont);
    ASSERT_NE(main_font, nullptr);
    ASSERT_GT(main_font->height, 0);
    std::atomic<int> done{0};
    std::vector<std::thread> workers;
    for (int w = 0; w < kWorkers; w++) {
        workers.emplace_back([w, &done] {
            for (int i = 0; i < kRounds; i++) {
                ov_font_t *a = ov->OV_GetFont(kMainFont);
                ov_font_t *b = ov->OV_LoadFont(kWorkerFonts[(i + w) % 2]);
                ov_font_t *c = ov->OV_LoadFont(kMainFont);
                // GetFont on a font that OV_LoadFont made adds a reference each time.
                for (ov_font_t *f : {c, b, a})
                    if (f)
                        ov->OV_ReleaseFont(f);
            }
            done++;
        });
    }
    int frames = 0;
    app.draw = [&](float) {
        ov->OV_ClearScreen(0, 0, 0);
        ov->OV_SetColor(1, 1, 1);
        ov->OV_SetAlpha(1);
        ov->OV_DrawTextf(main_font, 10, 40, "%s %d", "Frame", frames);
    };
    // The main thread runs frames until the workers are done (bounded).
    for (; frames < 20000 && done.load() < kWorkers; frames++) {
        OVI_Frame(16);
        std::this_thread::yield();
    }
    for (std::thread &t : workers)
        t.join();
    EXPECT_EQ(done.load(), kWorkers);
    Settle();
    OVI_Frame(16);
    EXPECT_GT(LitPixels(0, 0, 300, 80), 10) << "text drawn with the font";

    // The main thread's load is all that is held.
    EXPECT_EQ(main_font->refs, 1);
    ov->OV_ReleaseFont(main_font);
    EXPECT_EQ(main_font->refs, 0);
    int worker_fonts = 0;
    for (int i = 0; i < OVI_GetFontCount(); i++) {
        ov_font_t *f = OVI_GetFontRecord(i);
        if (!f->name)
            continue;
        EXPECT_EQ(f->loading, 0) << f->name;
        for (const char *name : kWorkerFonts)
            if (strcmp(f->name, name) == 0) {
                worker_fonts++;
                EXPECT_EQ(f->refs, 0) << name;
                EXPECT_GT(f->height, 0) << name;
            }
    }
    EXPECT_EQ(worker_fonts, 2) << "each name has one record";

    // The atlases of the fonts that workers created went through the upload queue.
    for (int i = 0; i < OVI_GetFontCount(); i++) {
        ov_font_t *f = OVI_GetFontRecord(i);
        for (const char *name : kWorkerFonts) {
            if (f->name && strcmp(f->name, name) == 0) {
                EXPECT_TRUE(f->atlas.hw.uploaded) << name;
            }
        }
    }
}

// A font a worker loads first has its atlas uploaded later by the frame tail; the main
// thread then draws with it.
TEST_F(FontsStress, FontFirstLoadedOnAWorkerDrawsAfterTheFrameTail)
{
    ov_font_t *font = nullptr;
    std::thread worker([&font] { font = ov->OV_LoadFont(kWorkerFonts[0]); });
    worker.join();
    ASSERT_NE(font, nullptr);
    ASSERT_GT(font->height, 0);
    EXPECT_FALSE(font->atlas.hw.uploaded) << "a worker cannot upload; the frame tail does";
    app.draw = [&](float) {
        ov->OV_ClearScreen(0, 0, 0);
        ov->OV_SetColor(1, 1, 1);
        ov->OV_SetAlpha(1);
        ov->OV_DrawTextf(font, 10, 40, "%s", "Drawn from a worker's font");
    };
    Settle();
    OVI_Frame(16);
    EXPECT_TRUE(font->atlas.hw.uploaded);
    EXPECT_GT(LitPixels(0, 0, 300, 80), 10) << "text drawn with the font";
    ov->OV_ReleaseFont(font);
}

TEST_F(FontsStress, BitmapsRefreshedWhileFramesRun)
{
    ov_bitmap_t *remote = ov->OV_LoadBitmap("http://example.invalid/remote", OV_CACHE_GPU);
    ov_bitmap_t *local = ov->OV_LoadBitmap("local", OV_CACHE_PIXELS | OV_CACHE_GPU);
    ASSERT_NE(remote, nullptr);
    ASSERT_NE(local, nullptr);
    const int loads_before = s_loads.load();
    std::atomic<int> done{0}, refreshed{0}, main_rounds{0};
    // The workers keep pace with the main loop: round i waits until the main thread has
    // refreshed and run a frame kMainRounds * i / kRounds times, so its refreshes and
    // frame tails interleave with theirs from start to end whatever the scheduling.
    constexpr int kMainRounds = 12;
    auto keep_pace = [&main_rounds](int round) {
        while (main_rounds.load() < kMainRounds * round / kRounds)
            std::this_thread::yield();
    };
    std::vector<std::thread> workers;
    // One worker refreshes (a refresh drops the data and restores the mode it polled, so
    // two at once could restore each other's dropped mode); another takes references.
    for (int w = 0; w < 2; w++) {
        workers.emplace_back([w, &done, &refreshed, &keep_pace] {
            for (int i = 0; i < kRounds; i++) {
                keep_pace(i);
                ov_bitmap_t *again = ov->OV_LoadBitmap("http://example.invalid/remote", OV_CACHE_GPU);
                if (w == 0)
                    refreshed += ov->OV_RefreshBitmap(again);
                ov_bitmap_t *other = ov->OV_LoadBitmap("local", OV_CACHE_GPU);
                ov->OV_ReleaseBitmap(other);
                ov->OV_ReleaseBitmap(again);
            }
            keep_pace(kRounds);
            done++;
        });
    }
    int main_refreshed = 0;
    for (int f = 0; f < 20000 && done.load() < 2; f++) {
        main_refreshed += ov->OV_RefreshBitmap(local);
        OVI_Frame(16);
        main_rounds++;
        std::this_thread::yield();
    }
    for (std::thread &t : workers)
        t.join();
    Settle();

    EXPECT_EQ(refreshed.load(), kRounds) << "every worker refresh of a downloaded bitmap is done";
    EXPECT_GE(main_refreshed, kMainRounds) << "the main thread refreshes while the workers run";
    EXPECT_GE(s_loads.load(), loads_before + 1) << "the refreshed bitmap is loaded again";
    OVI_Frame(16);
    EXPECT_TRUE(remote->hw.uploaded) << "uploaded again by a frame tail";
    EXPECT_TRUE(local->hw.uploaded);
    EXPECT_EQ(remote->refcount, 1);
    EXPECT_EQ(local->refcount, 1);
    ov->OV_ReleaseBitmap(remote);
    ov->OV_ReleaseBitmap(local);
    EXPECT_EQ(remote->refcount, 0);
    EXPECT_EQ(local->refcount, 0);
    Settle();
    EXPECT_FALSE(remote->hw.uploaded);
    EXPECT_FALSE(local->hw.uploaded);
}
