// SIGTERM, SIGINT and SIGHUP turn into the navigator's exit request on the pumping
// thread, kept until navigator events are asked for; a second one ends the process.
#include <csignal>
#include <chrono>
#include <thread>

#include <unistd.h>

#include "platform/signals.h"
#include "platform_fixture.h"

namespace {

using namespace ovdev;
using ovdev_test::FreshDevice;

const int kSignals[] = {SIGTERM, SIGINT, SIGHUP};

class ShutdownSignals : public FreshDevice {
protected:
    void SetUp() override {
        FreshDevice::SetUp();
        ASSERT_EQ(bps_initialize(), BPS_SUCCESS);
    }
    void TearDown() override {
        // Nothing pending may leak into the next test: drain it with navigator events on.
        navigator_request_events(0);
        bps_event_t *event = nullptr;
        while (bps_get_event(&event, 0) == BPS_SUCCESS && event) {
        }
        for (int s : kSignals) std::signal(s, SIG_DFL);
        headless::reset();
    }

    static bool IsExit(bps_event_t *event) {
        return event && bps_event_get_domain(event) == navigator_get_domain() &&
               bps_event_get_code(event) == NAVIGATOR_EXIT;
    }
};

TEST_F(ShutdownSignals, EachSignalBecomesOneExitRequest) {
    ASSERT_EQ(navigator_request_events(0), BPS_SUCCESS);
    for (int s : kSignals) {
        SCOPED_TRACE(s);
        InstallShutdownSignals();
        ASSERT_EQ(raise(s), 0);
        bps_event_t *event = nullptr;
        ASSERT_EQ(bps_get_event(&event, 0), BPS_SUCCESS);
        EXPECT_TRUE(IsExit(event));
        ASSERT_EQ(bps_get_event(&event, 0), BPS_SUCCESS);
        EXPECT_EQ(event, nullptr) << "one signal, one request";
    }
}

TEST_F(ShutdownSignals, SignalBeforeNavigatorEventsWaitsForThem) {
    InstallShutdownSignals();
    ASSERT_EQ(raise(SIGTERM), 0);
    bps_event_t *event = nullptr;
    ASSERT_EQ(bps_get_event(&event, 0), BPS_SUCCESS);
    EXPECT_EQ(event, nullptr) << "navigator events are not asked for yet";
    ASSERT_EQ(navigator_request_events(0), BPS_SUCCESS);
    ASSERT_EQ(bps_get_event(&event, 0), BPS_SUCCESS);
    EXPECT_TRUE(IsExit(event)) << "the signal was kept, not dropped";
}

TEST_F(ShutdownSignals, BlockingWaitWakesForASignal) {
    ASSERT_EQ(navigator_request_events(0), BPS_SUCCESS);
    InstallShutdownSignals();
    std::thread sender([] {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        kill(getpid(), SIGHUP);
    });
    const auto start = std::chrono::steady_clock::now();
    bps_event_t *event = nullptr;
    ASSERT_EQ(bps_get_event(&event, 10000), BPS_SUCCESS);
    sender.join();
    EXPECT_TRUE(IsExit(event));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
}

TEST_F(ShutdownSignals, SecondSignalEndsTheProcessTheDefaultWay) {
    for (int s : kSignals) {
        SCOPED_TRACE(s);
        EXPECT_EXIT(
            {
                InstallShutdownSignals();
                raise(s);  // asks for a shutdown
                raise(s);  // the shutdown hangs: this one ends the process
                _exit(0);
            },
            ::testing::KilledBySignal(s), "");
    }
}

}  // namespace
