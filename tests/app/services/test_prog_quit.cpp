// The quit flag crosses threads: the engine stores it with release when shutdown is
// signalled, and a worker polling it with acquire sees everything the main thread wrote
// before the signal (run under ThreadSanitizer).
#include "app/services/prog.h"
#include "core/ov_state.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

int handed_over = 0;  // plain data, written by the main thread before the signal

}  // namespace

// The engine is linked but never started here; it would ask for the record.
extern "C" ov_prog_t *OV_GetInterface(void)
{
    return &prog;
}

TEST(ProgQuit, WorkerPollingQuitSeesTheSignalAndWhatCameBefore)
{
    memset(&prog, 0, sizeof prog);
    ov_prog_t *saved = ov_prog;
    ov_prog = &prog;
    EXPECT_FALSE(ProgQuitRequested());
    for (int round = 1; round <= 50; round++) {
        prog.parms.quit = 0;
        int seen = -1;
        std::thread worker([&seen] {
            while (!ProgQuitRequested())
                std::this_thread::yield();
            seen = handed_over;
        });
        handed_over = round;
        EXPECT_EQ(OV_SignalShutdown(), 1);
        worker.join();
        EXPECT_EQ(seen, round);
    }
    EXPECT_TRUE(ProgQuitRequested());
    ov_prog = saved;
    memset(&prog, 0, sizeof prog);
}
