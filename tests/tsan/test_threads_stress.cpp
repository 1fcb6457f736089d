// Stress of the core's shared paths from engine worker threads: one named mutex taken
// by many workers, log lines and developer popups raised off the main thread while the
// main thread runs engine frames (which print the queued popups).
#include "tests/support/engine_harness.h"

#include "core/console.h"

#include <atomic>
#include <string>
#include <unistd.h>

using namespace harness;

namespace {

class ThreadsStress : public EngineTest {};

const int kWorkers = 4;

void WaitForWorkers(bool run_frames)
{
    // Bounded: 20 s of real time at most.
    for (int i = 0; i < 40000 && OVT_GetNumberOfThreadsRunning() > 0; i++) {
        if (run_frames)
            OVI_Frame(16);
        usleep(500);
    }
}

// Counts through a named mutex that every worker looks up by its name each time.
int s_counter = 0;
void CountUnderNamedMutex(void *)
{
    for (int i = 0; i < 2000; i++) {
        ov_mutex_t *m = ov->OV_GetMutex("stress counter");
        ov->OV_LockMutex(m);
        s_counter++;
        ov->OV_UnlockMutex(m);
    }
}

// Prints lines and raises popups, each text its own.
std::atomic<int> s_next_worker{0};
void PrintAndPopup(void *)
{
    int w = s_next_worker++;
    for (int i = 0; i < 150; i++) {
        ov->OV_PrintDebugf(OV_INFO, "stress line %d-%d\n", w, i);
        if (i % 10 == 0)
            ov->OV_Popupf(OV_WARNING, "stress popup %d-%d\n", w, i);
    }
}

}  // namespace

TEST_F(ThreadsStress, WorkersShareOneNamedMutex)
{
    StartEngine();
    s_counter = 0;
    for (int w = 0; w < kWorkers; w++)
        ASSERT_GT(ov->OV_CreateThread("counter", CountUnderNamedMutex, nullptr, 0), 0);
    WaitForWorkers(true);
    ASSERT_EQ(OVT_GetNumberOfThreadsRunning(), 0);
    ov_mutex_t *m = ov->OV_GetMutex("stress counter");
    ov->OV_LockMutex(m);
    EXPECT_EQ(s_counter, kWorkers * 2000);
    ov->OV_UnlockMutex(m);
    EXPECT_EQ(CountLogged("Created Mutex 'stress counter'"), 1) << "one mutex for the name";
}

TEST_F(ThreadsStress, LogLinesAndPopupsFromWorkersWhileFramesRun)
{
    switches.developer_mode = true;
    StartEngine();
    s_next_worker = 0;
    for (int w = 0; w < kWorkers; w++)
        ASSERT_GT(ov->OV_CreateThread("printer", PrintAndPopup, nullptr, 0), 0);
    WaitForWorkers(true);
    ASSERT_EQ(OVT_GetNumberOfThreadsRunning(), 0);
    OVI_Frame(16);  // prints popups queued after the last frame
    for (int w = 0; w < kWorkers; w++) {
        for (int i = 0; i < 150; i++) {
            std::string line = "stress line " + std::to_string(w) + "-" + std::to_string(i) + "\n";
            ASSERT_EQ(CountLogged(line), 1) << line;
            if (i % 10 == 0) {
                std::string popup = "OV: stress popup " + std::to_string(w) + "-" + std::to_string(i) + "\n";
                ASSERT_EQ(CountLogged(popup), 1) << popup << " is printed once, by a frame";
            }
        }
    }
    // Every line kept names the worker that printed it.
    int from_workers = 0;
    for (const ovConsole::line_t &l : ov_con.lines)
        if (l.text && std::string(l.text).rfind("stress line", 0) == 0) {
            EXPECT_STREQ(l.thread, "printer");
            from_workers++;
        }
    EXPECT_EQ(from_workers, kWorkers * 150);
}
