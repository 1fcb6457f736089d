// Shared set-up for the device-layer tests: a fresh headless device, or one with the
// event service started, a context that asked for screen events and navigator events
// on; and raw events as text for comparing them.
#ifndef OVDEV_TEST_PLATFORM_FIXTURE_H
#define OVDEV_TEST_PLATFORM_FIXTURE_H

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/bps.h"
#include "platform/device.h"
#include "platform/headless.h"
#include "platform/navigator.h"
#include "platform/screen.h"

namespace ovdev_test {

// A raw event as text, "domain:code {name=v,v ...}", so that tests compare events
// and show the difference when they do not match.
inline std::string Describe(const ovdev::RawEvent &e) {
    std::string text = std::to_string(e.domain) + ":" + std::to_string(e.code) + " {";
    for (std::size_t i = 0; i < e.properties.size(); ++i) {
        text += (i ? " " : "") + std::to_string(e.properties[i].name) + "=";
        for (std::size_t v = 0; v < e.properties[i].values.size(); ++v) {
            text += (v ? "," : "") + std::to_string(e.properties[i].values[v]);
        }
    }
    return text + "}";
}

// Each event of a list described, in order.
inline std::vector<std::string> Describe(const std::vector<ovdev::RawEvent> &events) {
    std::vector<std::string> out;
    for (const ovdev::RawEvent &e : events) out.push_back(Describe(e));
    return out;
}

// A headless device, reset, with nothing started.
class FreshDevice : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(ovdev::SetDisplayMode(1024, 600));
        ovdev::headless::reset();
    }
};

// A headless device with the event service up and screen and navigator events asked for.
class RunningDevice : public FreshDevice {
protected:
    void SetUp() override {
        FreshDevice::SetUp();
        ASSERT_EQ(ovdev::bps_initialize(), ovdev::BPS_SUCCESS);
        ASSERT_EQ(ovdev::screen_create_context(&ctx_, ovdev::SCREEN_APPLICATION_CONTEXT), 0);
        ASSERT_EQ(ovdev::screen_request_events(ctx_), 0);
        ASSERT_EQ(ovdev::navigator_request_events(0), ovdev::BPS_SUCCESS);
        ovdev::headless::clear_calls();
    }

    // The next event without waiting; fails the test when the queue is empty.
    ovdev::bps_event_t *NextEvent() {
        ovdev::bps_event_t *event = nullptr;
        EXPECT_EQ(ovdev::bps_get_event(&event, 0), ovdev::BPS_SUCCESS);
        EXPECT_NE(event, nullptr) << "expected a queued event";
        return event;
    }

    // A screen event's integer property (count values), or empty when it has none.
    static std::vector<int> Property(ovdev::bps_event_t *event, int pname, int count) {
        std::vector<int> values(count, -12345);
        ovdev::screen_event_t sev = ovdev::screen_event_get_event(event);
        if (!sev || ovdev::screen_get_event_property_iv(sev, pname, values.data()) != 0) return {};
        return values;
    }

    ovdev::screen_context_t ctx_ = nullptr;
};

}  // namespace ovdev_test

#endif
