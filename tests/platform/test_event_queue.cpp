// Tests of the event service's FIFO: empty fetches, order, timeouts, lifetime of a
// fetched event, shutdown, and events pushed from other threads.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "platform_fixture.h"

namespace {

using namespace ovdev;
using ovdev_test::FreshDevice;
using ovdev_test::RunningDevice;
using Clock = std::chrono::steady_clock;

constexpr int kTestDomain = 40;  // a domain no service uses, never filtered

RawEvent Numbered(unsigned code) {
    RawEvent e;
    e.domain = kTestDomain;
    e.code = code;
    return e;
}

using EventQueueTest = RunningDevice;

TEST_F(EventQueueTest, EmptyQueueGivesSuccessAndNullWithoutWaiting) {
    bps_event_t *event = reinterpret_cast<bps_event_t *>(0x1);
    const Clock::time_point start = Clock::now();
    EXPECT_EQ(bps_get_event(&event, 0), BPS_SUCCESS);
    EXPECT_EQ(event, nullptr);
    EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(50));
}

TEST_F(EventQueueTest, EventsComeOutInPushOrder) {
    for (unsigned code = 1; code <= 6; ++code) ASSERT_TRUE(PushEvent(Numbered(code)));
    for (unsigned code = 1; code <= 6; ++code) {
        bps_event_t *event = NextEvent();
        ASSERT_NE(event, nullptr);
        EXPECT_EQ(bps_event_get_domain(event), kTestDomain);
        EXPECT_EQ(bps_event_get_code(event), code);
    }
    bps_event_t *event = nullptr;
    EXPECT_EQ(bps_get_event(&event, 0), BPS_SUCCESS);
    EXPECT_EQ(event, nullptr);
}

TEST_F(EventQueueTest, PositiveTimeoutOnEmptyQueueWaitsThenGivesNull) {
    bps_event_t *event = nullptr;
    const Clock::time_point start = Clock::now();
    EXPECT_EQ(bps_get_event(&event, 40), BPS_SUCCESS);
    EXPECT_EQ(event, nullptr);
    EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(35));
}

TEST_F(EventQueueTest, BlockingFetchWakesForEventFromAnotherThread) {
    std::thread pusher([] {
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        PushEvent(Numbered(77));
    });
    bps_event_t *event = nullptr;
    EXPECT_EQ(bps_get_event(&event, -1), BPS_SUCCESS);
    pusher.join();
    ASSERT_NE(event, nullptr);
    EXPECT_EQ(bps_event_get_code(event), 77u);
}

TEST_F(EventQueueTest, PushesFromManyThreadsAllArriveInEachThreadsOrder) {
    constexpr int kThreads = 4, kEach = 300;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([t] {
            for (int i = 0; i < kEach; ++i) PushEvent(Numbered(static_cast<unsigned>(t * 10000 + i)));
        });
    }
    std::vector<int> next(kThreads, 0);
    int received = 0;
    const Clock::time_point give_up = Clock::now() + std::chrono::seconds(10);
    while (received < kThreads * kEach && Clock::now() < give_up) {
        bps_event_t *event = nullptr;
        ASSERT_EQ(bps_get_event(&event, 100), BPS_SUCCESS);
        if (!event) continue;
        const int code = static_cast<int>(bps_event_get_code(event));
        const int t = code / 10000, i = code % 10000;
        ASSERT_LT(t, kThreads);
        EXPECT_EQ(i, next[t]) << "thread " << t << " out of order";
        next[t] = i + 1;
        ++received;
    }
    for (std::thread &th : threads) th.join();
    EXPECT_EQ(received, kThreads * kEach);
    EXPECT_EQ(headless::queued_events(), 0u);
}

TEST_F(EventQueueTest, FetchedEventStaysValidWhileOtherThreadsFetch) {
    ASSERT_TRUE(PushEvent(Numbered(111)));
    ASSERT_TRUE(PushEvent(Numbered(222)));
    bps_event_t *mine = NextEvent();
    ASSERT_NE(mine, nullptr);

    std::atomic<unsigned> other_code{0};
    std::thread other([&] {
        bps_event_t *theirs = nullptr;
        if (bps_get_event(&theirs, 0) == BPS_SUCCESS && theirs) other_code = bps_event_get_code(theirs);
        // A later fetch on that thread finds nothing and lets its event go.
        bps_get_event(&theirs, 0);
    });
    other.join();

    EXPECT_EQ(other_code.load(), 222u);
    EXPECT_EQ(bps_event_get_domain(mine), kTestDomain);
    EXPECT_EQ(bps_event_get_code(mine), 111u);
}

TEST_F(EventQueueTest, ShutdownDropsPendingEventsAndFetchingThenFails) {
    for (unsigned code = 1; code <= 3; ++code) ASSERT_TRUE(PushEvent(Numbered(code)));
    ASSERT_EQ(headless::queued_events(), 3u);
    EXPECT_EQ(bps_shutdown(), BPS_SUCCESS);
    EXPECT_EQ(headless::queued_events(), 0u);

    bps_event_t *event = nullptr;
    EXPECT_EQ(bps_get_event(&event, 0), BPS_FAILURE);

    ASSERT_EQ(bps_initialize(), BPS_SUCCESS);
    EXPECT_EQ(bps_get_event(&event, 0), BPS_SUCCESS);
    EXPECT_EQ(event, nullptr);
}

TEST_F(EventQueueTest, NullOutPointerIsRejected) {
    EXPECT_EQ(bps_get_event(nullptr, 0), BPS_FAILURE);
}

TEST_F(EventQueueTest, NullEventReadsAsNoDomain) {
    EXPECT_EQ(bps_event_get_domain(nullptr), BPS_FAILURE);
    EXPECT_EQ(bps_event_get_code(nullptr), 0u);
    EXPECT_EQ(screen_event_get_event(nullptr), nullptr);
}

TEST_F(FreshDevice, FetchBeforeInitializeFails) {
    bps_event_t *event = reinterpret_cast<bps_event_t *>(0x1);
    EXPECT_EQ(bps_get_event(&event, 0), BPS_FAILURE);
    EXPECT_EQ(event, nullptr);
}

TEST_F(FreshDevice, DomainsAreDistinctAndStable) {
    EXPECT_EQ(screen_get_domain(), DOMAIN_SCREEN);
    EXPECT_EQ(navigator_get_domain(), DOMAIN_NAVIGATOR);
    EXPECT_NE(screen_get_domain(), navigator_get_domain());
    EXPECT_NE(DOMAIN_MEDIA_RENDERER, screen_get_domain());
    EXPECT_NE(DOMAIN_MEDIA_RENDERER, navigator_get_domain());
}

TEST_F(FreshDevice, ResetEmptiesTheQueue) {
    ASSERT_TRUE(PushEvent(Numbered(5)));
    ASSERT_EQ(headless::queued_events(), 1u);
    headless::reset();
    EXPECT_EQ(headless::queued_events(), 0u);
    EXPECT_STREQ(BackendName(), "headless");
}

}  // namespace
