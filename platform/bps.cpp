// The event service: start and stop, and fetching events from the queue while the
// backend pumps its input into it.
#include "platform/bps.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <string>

#include "platform/call_trace.h"
#include "platform/device_state.h"
#include "platform/signals.h"

namespace ovdev {
namespace {

using detail::Args;
using detail::EnterCall;
using Clock = std::chrono::steady_clock;

// The event last handed out on this thread; it lives until the next fetch here.
thread_local std::unique_ptr<bps_event_t> t_current_event;

}  // namespace

int bps_initialize() {
    if (EnterCall("bps_initialize", [] { return Args(); })) return BPS_FAILURE;
    detail::DeviceState &s = detail::State();
    std::lock_guard<std::mutex> lock(s.mutex);
    s.events_ready = true;
    return BPS_SUCCESS;
}

int bps_shutdown() {
    if (EnterCall("bps_shutdown", [] { return Args(); })) return BPS_FAILURE;
    detail::DeviceState &s = detail::State();
    {
        std::lock_guard<std::mutex> lock(s.mutex);
        s.events_ready = false;
        s.navigator_requested = false;
        s.keyboard_requested = false;
        for (auto &ctx : s.contexts) ctx->events_requested = false;
    }
    s.queue.clear();
    return BPS_SUCCESS;
}

int bps_get_event(bps_event_t **event, int timeout_ms) {
    if (EnterCall("bps_get_event", [&] { return Args(timeout_ms); })) {
        if (event) *event = nullptr;
        return BPS_FAILURE;
    }
    if (!event) {
        errno = EINVAL;
        return BPS_FAILURE;
    }
    detail::DeviceState &s = detail::State();
    bool pumps = false;
    {
        std::lock_guard<std::mutex> lock(s.mutex);
        if (!s.events_ready) {
            *event = nullptr;
            errno = EINVAL;
            return BPS_FAILURE;
        }
        pumps = s.pump_thread == std::this_thread::get_id();
    }
    t_current_event.reset();

    const bool forever = timeout_ms < 0;
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(std::max(timeout_ms, 0));
    for (;;) {
        if (pumps) {
            detail::DeliverShutdownSignal();
            detail::ActiveBackend().pump();
        }
        if (std::unique_ptr<bps_event_t> next = s.queue.try_pop()) {
            t_current_event = std::move(next);
            *event = t_current_event.get();
            return BPS_SUCCESS;
        }
        const Clock::time_point now = Clock::now();
        if (timeout_ms == 0 || (!forever && now >= deadline)) {
            *event = nullptr;
            return BPS_SUCCESS;
        }
        Clock::time_point wake = forever ? now + std::chrono::hours(1) : deadline;
        const int poll_ms = pumps ? detail::ActiveBackend().poll_interval_ms() : -1;
        if (poll_ms >= 0) wake = std::min(wake, now + std::chrono::milliseconds(poll_ms));
        if (pumps && detail::ShutdownSignalsInstalled())
            wake = std::min(wake, now + std::chrono::milliseconds(detail::kSignalPollMs));
        s.queue.wait_until(wake);
    }
}

int bps_event_get_domain(bps_event_t *event) {
    detail::EnterCall("bps_event_get_domain", [&] { return Args(event); });
    return event ? event->domain : BPS_FAILURE;
}

unsigned bps_event_get_code(bps_event_t *event) {
    detail::EnterCall("bps_event_get_code", [&] { return Args(event); });
    return event ? event->code : 0;
}

void bps_free(void *text) { std::free(text); }

}  // namespace ovdev
