// The event FIFO of the event service and the construction of queued events.
#include "platform/event_queue.h"

#include <atomic>
#include <utility>

namespace ovdev {

const EventProperty *screen_event::find(int name) const {
    for (const EventProperty &p : properties) {
        if (p.name == name) return &p;
    }
    return nullptr;
}

namespace detail {

void EventQueue::push(std::unique_ptr<bps_event_t> event) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        events_.push_back(std::move(event));
    }
    ready_.notify_all();
}

std::unique_ptr<bps_event_t> EventQueue::try_pop() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (events_.empty()) return nullptr;
    std::unique_ptr<bps_event_t> event = std::move(events_.front());
    events_.pop_front();
    return event;
}

bool EventQueue::wait_until(std::chrono::steady_clock::time_point deadline) {
    std::unique_lock<std::mutex> lock(mutex_);
    return ready_.wait_until(lock, deadline, [this] { return !events_.empty(); });
}

void EventQueue::clear() {
    std::lock_guard<std::mutex> lock(mutex_);
    events_.clear();
}

std::size_t EventQueue::size() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return events_.size();
}

std::unique_ptr<bps_event_t> MakeEvent(const RawEvent &raw) {
    static std::atomic<unsigned> next_serial{1};
    auto event = std::make_unique<bps_event_t>();
    event->domain = raw.domain;
    event->code = raw.code;
    event->payload.serial = next_serial.fetch_add(1);
    event->payload.properties = raw.properties;
    return event;
}

}  // namespace detail
}  // namespace ovdev
