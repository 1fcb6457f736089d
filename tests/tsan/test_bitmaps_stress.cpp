// Stress of the bitmap pool from worker threads: workers load and release bitmaps
// (each load queues a GPU upload, each release to zero queues a GPU free) while the
// main thread runs frames, whose tail works both queues under the renderer's lock.
#include "tests/gfx/gfx_fixture.h"

#include "gfx/bitmap.h"

#include <stdlib.h>
#include <string>
#include <thread>
#include <vector>
#include <atomic>

using namespace gfxtest;

namespace {

std::atomic<int> s_loads{0};
bool Loader(ov_bitmap_t *b)
{
    s_loads++;
    b->width = b->height = b->src_width = b->src_height = 8;
    b->pixels = (uint8_t *)calloc(8 * 8, 4);
    return b->pixels != nullptr;
}

class BitmapsStress : public GfxTest {
protected:
    void SetUp() override
    {
        GfxTest::SetUp();
        s_loads = 0;
        OVI_SetBitmapFileLoader(Loader);
        Start();
    }
    void TearDown() override
    {
        OVI_SetBitmapFileLoader(nullptr);
        GfxTest::TearDown();
    }
};

const int kWorkers = 3;
const int kRounds = 150;

}  // namespace

TEST_F(BitmapsStress, WorkersGetAndReleaseWhileFramesRun)
{
    std::atomic<int> done{0};
    std::vector<ov_bitmap_t *> kept(kWorkers, nullptr);
    std::vector<std::thread> workers;
    for (int w = 0; w < kWorkers; w++) {
        workers.emplace_back([w, &done, &kept] {
            for (int i = 0; i < kRounds; i++) {
                // A name of its own and one shared by every worker.
                std::string own = "own" + std::to_string(w) + "-" + std::to_string(i % 5);
                ov_bitmap_t *a = ov->OV_LoadBitmap(own.c_str(), OV_CACHE_GPU);
                ov_bitmap_t *b = ov->OV_GetBitmap("shared");
                ov->OV_ReleaseBitmap(a);
                ov->OV_ReleaseBitmap(b);
            }
            kept[w] = ov->OV_LoadBitmap(("kept" + std::to_string(w)).c_str(), OV_CACHE_GPU);
            done++;
        });
    }
    // The main thread runs frames until the workers are done (bounded to 20 s).
    for (int f = 0; f < 20000 && done.load() < kWorkers; f++) {
        OVI_Frame(16);
        std::this_thread::yield();
    }
    for (std::thread &t : workers)
        t.join();
    for (int f = 0; f < 50 && (OVI_UploadQueueLength() > 0 || OVI_ReleaseQueueLength() > 0); f++)
        OVI_Frame(16);

    EXPECT_EQ(OVI_UploadQueueLength(), 0);
    EXPECT_EQ(OVI_ReleaseQueueLength(), 0);
    for (int w = 0; w < kWorkers; w++) {
        ASSERT_NE(kept[w], nullptr);
        EXPECT_EQ(kept[w]->refcount, 1);
        EXPECT_TRUE(kept[w]->hw.uploaded) << "uploaded by a frame tail";
    }
    // Every released bitmap is back to no reference and holds no texture.
    for (int i = 0; i < OVI_GetBitmapHighWater(); i++) {
        ov_bitmap_t *b = OVI_GetBitmapRecord(i);
        if (!b->name)
            continue;
        std::string name = b->name;
        if (name.rfind("own", 0) == 0 || name == "shared") {
            EXPECT_EQ(b->refcount, 0) << name;
            EXPECT_FALSE(b->hw.uploaded) << name;
        }
    }
    EXPECT_GE(s_loads.load(), kWorkers + 1);
}

// The main thread drops and restores one bitmap's texture (the renderer's part of a cache
// mode change, under GFX_HW) while workers switch its pixel copy on and off (queued
// uploads) and take and give up references, and frames work the queues.
TEST_F(BitmapsStress, CacheModesChangeOnBothSidesWhileFramesRun)
{
    ov_bitmap_t *b = ov->OV_LoadBitmap("modes", OV_CACHE_GPU);
    ASSERT_NE(b, nullptr);
    std::atomic<int> done{0};
    std::vector<std::thread> workers;
    for (int w = 0; w < kWorkers; w++) {
        workers.emplace_back([w, &done] {
            for (int i = 0; i < kRounds; i++) {
                ov_bitmap_t *again = ov->OV_LoadBitmap("modes", OV_CACHE_GPU);
                ov->OV_SetBitmapCacheMode(again, (i + w) % 2 ? OV_CACHE_PIXELS | OV_CACHE_GPU : OV_CACHE_GPU);
                ov->OV_ReleaseBitmap(again);
            }
            done++;
        });
    }
    for (int f = 0; f < 20000 && done.load() < kWorkers; f++) {
        ov->OV_SetBitmapCacheMode(b, f % 2 ? OV_CACHE_PIXELS : OV_CACHE_PIXELS | OV_CACHE_GPU);
        OVI_Frame(16);
        std::this_thread::yield();
    }
    for (std::thread &t : workers)
        t.join();
    // Back to the texture only, with the queues drained.
    ov->OV_SetBitmapCacheMode(b, OV_CACHE_GPU);
    for (int f = 0; f < 50 && (OVI_UploadQueueLength() > 0 || OVI_ReleaseQueueLength() > 0); f++)
        OVI_Frame(16);
    EXPECT_EQ(OVI_UploadQueueLength(), 0);
    EXPECT_EQ(OVI_ReleaseQueueLength(), 0);
    EXPECT_EQ(b->refcount, 1) << "every worker reference was given back";
    EXPECT_EQ(b->cache_mode, OV_CACHE_GPU);
    EXPECT_TRUE(b->hw.uploaded);
    EXPECT_EQ(b->pixels, nullptr) << "the pixel copy is dropped once the texture is up";
}
