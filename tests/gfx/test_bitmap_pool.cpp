// The bitmap pool on the real renderer: references, hibernation, the reference cap,
// pool exhaustion, cache modes, frame selection, worker-thread uploads through the
// queue and the time budget of the frame's resource step.
#include "tests/gfx/gfx_fixture.h"

#include "gfx/bitmap.h"
#include "gfx/gl-table.h"

#include <stdlib.h>
#include <string.h>
#include <thread>

using namespace gfxtest;

namespace {

int s_loads = 0;
bool Loader(ov_bitmap_t *b)
{
    s_loads++;
    b->width = b->height = b->src_width = b->src_height = 8;
    b->pixels = (uint8_t *)calloc(8 * 8, 4);
    return true;
}

int s_uploads = 0;
void (*s_real_teximage)(GLenum, GLint, GLint, GLsizei, GLsizei, GLint, GLenum, GLenum, const void *) = nullptr;
void CountingTexImage2D(GLenum t, GLint l, GLint i, GLsizei w, GLsizei h, GLint b, GLenum f, GLenum ty, const void *p)
{
    s_uploads++;
    s_real_teximage(t, l, i, w, h, b, f, ty, p);
}

uint32_t s_now = 0;
uint32_t SlowClock()
{
    uint32_t t = s_now;
    s_now += 60;  // every upload seems to take 60 ms
    return t;
}

class BitmapPool : public GfxTest {
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
        if (s_real_teximage)
            ovgl.TexImage2D = s_real_teximage;
        s_real_teximage = nullptr;
        OVI_SetResourceStepClock(nullptr);
        OVI_SetBitmapFileLoader(nullptr);
        GfxTest::TearDown();
    }
    void CountUploads()
    {
        s_uploads = 0;
        s_real_teximage = ovgl.TexImage2D;
        ovgl.TexImage2D = CountingTexImage2D;
    }
};

}  // namespace

TEST_F(BitmapPool, LoadAddsReferencesGetHoldsOne)
{
    ov_bitmap_t *a = ov->OV_LoadBitmap("a", OV_CACHE_GPU);
    EXPECT_EQ(ov->OV_LoadBitmap("a", OV_CACHE_GPU), a);
    EXPECT_EQ(a->refcount, 2);
    ov_bitmap_t *g = ov->OV_GetBitmap("g");
    EXPECT_EQ(ov->OV_GetBitmap("g"), g);
    EXPECT_EQ(g->refcount, 1);
    EXPECT_TRUE(g->flags & OV_BITMAP_FETCHED);
    EXPECT_EQ(s_loads, 2);
    EXPECT_STREQ(ov->OV_GetBitmap(nullptr)->name, "!NONE");
}

TEST_F(BitmapPool, LookupOnlyNeverCreates)
{
    EXPECT_EQ(ov->OV_LoadBitmap("unknown", OV_CACHE_LOOKUP), nullptr);
    ov_bitmap_t *a = ov->OV_LoadBitmap("a", OV_CACHE_GPU);
    EXPECT_EQ(ov->OV_LoadBitmap("a", OV_CACHE_LOOKUP), a);
    EXPECT_EQ(a->refcount, 1);
}

TEST_F(BitmapPool, ReleaseToZeroHibernatesAndNextGetReloads)
{
    ov_bitmap_t *a = ov->OV_LoadBitmap("a", OV_CACHE_GPU);
    ASSERT_TRUE(a->hw.uploaded);
    ov->OV_ReleaseBitmap(a);
    EXPECT_TRUE(Logged("Hibernating bitmap 'a'.."));
    EXPECT_STREQ(a->name, "a");
    EXPECT_EQ(a->refcount, 0);
    EXPECT_EQ(a->cache_mode, 0);
    EXPECT_EQ(a->load_state, OV_BITMAP_NOT_LOADED);
    EXPECT_FALSE(a->hw.uploaded);
    EXPECT_EQ(a->pixels, nullptr);
    EXPECT_EQ(ov->OV_GetBitmap("a"), a);
    EXPECT_TRUE(a->hw.uploaded);
    EXPECT_EQ(a->refcount, 1);
    EXPECT_EQ(s_loads, 2);
}

TEST_F(BitmapPool, ReferenceCountIsCappedAt4096)
{
    ov_bitmap_t *a = nullptr;
    for (int i = 0; i < 4100; i++)
        a = ov->OV_LoadBitmap("a", OV_CACHE_GPU);
    EXPECT_EQ(a->refcount, 4096);
    EXPECT_TRUE(Logged("reference count suspiciously high: capping at 4096."));
}

TEST_F(BitmapPool, The769thNameFails)
{
    char name[32];
    for (int i = 0; i < OV_MAX_BITMAPS; i++) {
        snprintf(name, sizeof name, "n%d", i);
        ASSERT_NE(ov->OV_LoadBitmap(name, OV_CACHE_NOTHING), nullptr) << i;
    }
    EXPECT_EQ(ov->OV_LoadBitmap("one too many", OV_CACHE_NOTHING), nullptr);
    EXPECT_TRUE(Logged(" ! Orvex out of free bitmaps."));
}

TEST_F(BitmapPool, CreateFindsANameAfterAHole)
{
    ov_bitmap_t *first = ov->OV_CreateBitmap("first", 4, 4, 0);
    ov_bitmap_t *second = ov->OV_CreateBitmap("second", 4, 4, 0);
    ov->OV_ReleaseBitmap(first);  // not reloadable: the record is freed, leaving a hole
    EXPECT_EQ(first->name, nullptr);
    EXPECT_EQ(ov->OV_CreateBitmap("second", 4, 4, 0), second);
    EXPECT_EQ(second->refcount, 2);
}

TEST_F(BitmapPool, CacheModesKeepWhatTheyAskFor)
{
    ov_bitmap_t *b = ov->OV_LoadBitmap("c", OV_CACHE_PIXELS | OV_CACHE_GPU);
    EXPECT_NE(b->pixels, nullptr);
    EXPECT_TRUE(b->hw.uploaded);
    ov->OV_SetBitmapCacheMode(b, OV_CACHE_GPU);
    EXPECT_EQ(b->pixels, nullptr);
    EXPECT_TRUE(b->hw.uploaded);
    ov->OV_SetBitmapCacheMode(b, OV_CACHE_PIXELS);
    EXPECT_NE(b->pixels, nullptr);
    EXPECT_FALSE(b->hw.uploaded);
    EXPECT_EQ(b->cache_mode, OV_CACHE_PIXELS);
    EXPECT_EQ(s_loads, 2);
}

TEST_F(BitmapPool, FrameSelectionClampsAndWraps)
{
    ov_bitmap_t seq;
    memset(&seq, 0, sizeof seq);
    ov_bitmap_t frames[4];
    memset(frames, 0, sizeof frames);
    for (int i = 0; i < 4; i++)
        frames[i].width = 10 * (i + 1);
    seq.frames = frames;
    seq.num_frames = 4;
    ov->OV_SetBitmapFrame(&seq, -5);
    EXPECT_EQ(seq.width, 10);
    ov->OV_SetBitmapFrame(&seq, 6);
    EXPECT_EQ(seq.width, 30);
}

TEST_F(BitmapPool, WorkerLoadIsUploadedOnceByTheFrameTail)
{
    CountUploads();
    ov_bitmap_t *b = nullptr;
    std::thread worker([&] {
        b = ov->OV_LoadBitmap("w", OV_CACHE_GPU);
        ov->OV_LoadBitmap("w", OV_CACHE_GPU);
    });
    worker.join();
    ASSERT_NE(b, nullptr);
    EXPECT_FALSE(b->hw.uploaded);
    EXPECT_NE(b->pixels, nullptr);
    EXPECT_EQ(OVI_UploadQueueLength(), 1);
    EXPECT_EQ(s_uploads, 0);
    OVI_Frame(16);
    EXPECT_TRUE(b->hw.uploaded);
    EXPECT_EQ(b->pixels, nullptr);  // cache mode 4 keeps no pixels
    EXPECT_EQ(OVI_UploadQueueLength(), 0);
    EXPECT_EQ(s_uploads, 1);
    OVI_Frame(16);
    EXPECT_EQ(s_uploads, 1);
}

// A worker's load is queued; the main thread then uploads the bitmap itself, and a
// worker drops it while the queue entry still waits: the entry goes and the texture
// is freed by the frame tail rather than lost.
TEST_F(BitmapPool, WorkerDropOfAQueuedBitmapTheMainThreadUploadedFreesTheTexture)
{
    ov_bitmap_t *b = nullptr;
    std::thread loader([&] { b = ov->OV_LoadBitmap("twice", OV_CACHE_GPU); });
    loader.join();
    ASSERT_NE(b, nullptr);
    ASSERT_EQ(OVI_UploadQueueLength(), 1);
    ov->OV_SetBitmapCacheMode(b, OV_CACHE_PIXELS | OV_CACHE_GPU);
    ASSERT_TRUE(b->hw.uploaded) << "the main thread uploads at once";
    ASSERT_EQ(OVI_UploadQueueLength(), 1);
    std::thread dropper([&] { ov->OV_SetBitmapCacheMode(b, OV_CACHE_NOTHING); });
    dropper.join();
    EXPECT_FALSE(b->hw.uploaded);
    EXPECT_EQ(OVI_UploadQueueLength(), 0);
    EXPECT_EQ(OVI_ReleaseQueueLength(), 1) << "the texture waits for the frame tail";
    OVI_Frame(16);
    EXPECT_EQ(OVI_ReleaseQueueLength(), 0);
    EXPECT_TRUE(Logged("Freeing bitmap hardware data"));
    ov->OV_ReleaseBitmap(b);
}

TEST_F(BitmapPool, ResourceStepStopsAfterItsTimeBudget)
{
    ov_bitmap_t *b[3] = {};
    std::thread worker([&] {
        b[0] = ov->OV_LoadBitmap("q0", OV_CACHE_GPU);
        b[1] = ov->OV_LoadBitmap("q1", OV_CACHE_GPU);
        b[2] = ov->OV_LoadBitmap("q2", OV_CACHE_GPU);
    });
    worker.join();
    EXPECT_EQ(OVI_UploadQueueLength(), 3);
    OVI_SetResourceStepClock(SlowClock);
    OVI_Frame(16);
    EXPECT_TRUE(b[0]->hw.uploaded);
    EXPECT_FALSE(b[1]->hw.uploaded);
    EXPECT_EQ(OVI_UploadQueueLength(), 2);
    OVI_Frame(16);
    EXPECT_TRUE(b[1]->hw.uploaded);
    EXPECT_FALSE(b[2]->hw.uploaded);
    OVI_Frame(16);
    EXPECT_TRUE(b[2]->hw.uploaded);
    EXPECT_EQ(OVI_UploadQueueLength(), 0);
}

TEST_F(BitmapPool, HibernationBringsBitmapsBackAndRedrawsTargets)
{
    ov_bitmap_t *a = ov->OV_LoadBitmap("a", OV_CACHE_GPU);
    ov_bitmap_t *t = ov->OV_CreateBitmap("target", 16, 16, 1);
    ASSERT_TRUE(a->hw.uploaded && t->hw.uploaded);
    OVI_BeginHibernate();
    EXPECT_FALSE(a->hw.uploaded);
    EXPECT_FALSE(t->hw.uploaded);
    ASSERT_TRUE(OVI_EndHibernate());
    EXPECT_TRUE(a->hw.uploaded);
    EXPECT_TRUE(t->hw.uploaded);
    EXPECT_TRUE(Logged("Recreate Bitmap 'a' refc 1.."));
    int redraws = 0;
    for (const ov_event_t &ev : app.events)
        if (ev.type == OV_EVENT_REDRAW_TARGET && ev.ptr == t)
            redraws++;
    EXPECT_EQ(redraws, 1);
}
