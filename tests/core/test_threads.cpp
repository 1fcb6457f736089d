// Engine threads, mutexes, time and sleeping.
#include "tests/support/engine_harness.h"

#include <atomic>

using namespace harness;

class Threads : public EngineTest {};

namespace {
std::atomic<int> worker_ran{0};
std::atomic<bool> worker_saw_main{true};
std::string worker_name;
void Worker(void *arg)
{
    worker_saw_main = ov->OV_IsMainThread();
    OVT_ThreadInfo_t *info = OVT_GetCurrentThreadInfo();
    worker_name = info->name ? info->name : "(null)";
    worker_ran += *(int *)arg;
}
void WaitForThreads()
{
    while (OVT_GetNumberOfThreadsRunning() > 0)
        usleep(500);
}
}  // namespace

TEST_F(Threads, CreateThreadRunsDetachedWithItsName)
{
    StartEngine();
    int one = 1;
    worker_ran = 0;
    EXPECT_GT(ov->OV_CreateThread("Worker A", Worker, &one, 0), 0);
    WaitForThreads();
    EXPECT_EQ(worker_ran.load(), 1);
    EXPECT_FALSE(worker_saw_main.load());
    EXPECT_EQ(worker_name, "Worker A");
    EXPECT_TRUE(ov->OV_IsMainThread());

    EXPECT_GT(ov->OV_CreateThread(nullptr, Worker, &one, 0), 0);
    WaitForThreads();
    EXPECT_EQ(worker_name, "") << "a null name becomes the empty name";
}

static void Nothing(void *) {}

// Shutdown waits only for the running count and then destroys the thread list's lock,
// so a thread must be done with the list before the count says it has ended.
TEST_F(Threads, AFinishedThreadHasLeftTheListWhenTheCountDropsToZero)
{
    StartEngine();
    OVT_GetCurrentThreadInfo();  // the main thread's own record stays
    const int before = OVT_GetThreadInfoCount();
    for (int i = 0; i < 300; i++) {
        ASSERT_GT(ov->OV_CreateThread("Quick", Nothing, nullptr, 0), 0);
        while (OVT_GetNumberOfThreadsRunning() > 0) {
        }
        ASSERT_EQ(OVT_GetThreadInfoCount(), before) << "run " << i;
    }
    ov->OV_CreateThread("Last", Nothing, nullptr, 0);
    ORVEX_Shutdown();  // under ThreadSanitizer: nothing may take the destroyed lock
}

TEST_F(Threads, NonZeroFlagsStartNothing)
{
    switches.developer_mode = true;
    StartEngine();
    int one = 1;
    worker_ran = 0;
    EXPECT_EQ(ov->OV_CreateThread("x", Worker, &one, 1), -1);
    EXPECT_EQ(OVT_GetNumberOfThreadsRunning(), 0);
    EXPECT_EQ(worker_ran.load(), 0);
    EXPECT_TRUE(Logged("OV_CreateThread flags parm must be set to zero - reserved for future use."));
}

TEST_F(Threads, NamedMutexesAreSharedByNameButEmptyNamesAreNot)
{
    StartEngine();
    ov_mutex_t *a = ov->OV_GetMutex("shared");
    ov_mutex_t *b = ov->OV_GetMutex("shared");
    EXPECT_EQ(a, b);
    EXPECT_EQ(CountLogged("Created Mutex 'shared'.."), 1);
    EXPECT_NE(ov->OV_GetMutex(""), ov->OV_GetMutex(nullptr));
    ov->OV_LockMutex(a);
    EXPECT_EQ(a->locked, 1);
    ov->OV_UnlockMutex(a);
    EXPECT_EQ(a->locked, 0);
    ov->OV_LockMutex(nullptr);
    ov->OV_UnlockMutex(nullptr);
    // A released mutex leaves the registry, so the name makes a new one.
    ov->OV_ReleaseMutex(a);
    EXPECT_EQ(CountLogged("Created Mutex 'shared'.."), 1);
    ov->OV_GetMutex("shared");
    EXPECT_EQ(CountLogged("Created Mutex 'shared'.."), 2);
}

TEST_F(Threads, CoreMutexNames)
{
    const char *names[] = {"PRINT", "GET_MUTEX", "CREATE_DIR", "GET_PATH", "GET_BITMAP", "GET_SOUND", "GET_FONT",
                           "GET_SHADER", "GFX_HW", "MAIN_LOOP", "RESOURCE_QUEUE", "SHARED_BITMAP", "CORE_IMP"};
    for (int i = 0; i < 13; i++)
        EXPECT_STREQ(OVI_GetCoreMutexName(i), names[i]);
    EXPECT_STREQ(OVI_GetCoreMutexName(13), "UNKNOWN");
    EXPECT_STREQ(OVI_GetCoreMutexName(-1), "UNKNOWN");
}

TEST_F(Threads, SynchronisePairLocksMainLoopOnlyOffTheMainThread)
{
    StartEngine();
    ov->OV_SynchronizeWithMainThreadBegin();
    EXPECT_EQ(ov_state.core_mutex[OV_MUTEX_MAIN_LOOP]->locked, 0);
    ov->OV_SynchronizeWithMainThreadEnd();

    static std::atomic<int> phase{0};
    phase = 0;
    ov->OV_CreateThread("sync", [](void *) {
        ov->OV_SynchronizeWithMainThreadBegin();
        phase = ov_state.core_mutex[OV_MUTEX_MAIN_LOOP]->locked ? 1 : -1;
        ov->OV_SynchronizeWithMainThreadEnd();
    }, nullptr, 0);
    WaitForThreads();
    EXPECT_EQ(phase.load(), 1);
}

TEST_F(Threads, SleepTakesWholeSecondsFirst)
{
    FakeClock::Install();
    struct Case {
        int ms;
        std::vector<unsigned> s, us;
    } cases[] = {{2500, {2}, {500000}}, {999, {}, {999000}}, {1000, {1}, {}}, {0, {}, {}}};
    for (const Case &c : cases) {
        FakeClock::sleeps_s.clear();
        FakeClock::sleeps_us.clear();
        OVT_Sleep(c.ms);
        EXPECT_EQ(FakeClock::sleeps_s, c.s) << c.ms;
        EXPECT_EQ(FakeClock::sleeps_us, c.us) << c.ms;
    }
}

TEST_F(Threads, TimeCountsFromStartAndWrapsAt32Bits)
{
    FakeClock::Install();
    FakeClock::now = 0xFFFFFF00u;
    StartEngine();
    FakeClock::now = 0x00000100u;
    EXPECT_EQ(ov->OV_GetTime(), 0x200u);
}

TEST_F(Threads, RealClockMovesForward)
{
    uint32_t a = OVT_GetTime();
    OVT_Sleep(3);
    EXPECT_GE(OVT_GetTime() - a, 3u);
    ov_date_t d = OVT_GetDate();
    EXPECT_GE(d.year, 2024);
    EXPECT_GE(d.month, 1);
    EXPECT_LE(d.month, 12);
}
