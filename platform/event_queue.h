// The event objects of the event service and the one FIFO they wait in. Internal to the
// device layer: the engine sees bps_event_t and screen_event only as opaque types.
#ifndef OVDEV_EVENT_QUEUE_H
#define OVDEV_EVENT_QUEUE_H

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/device.h"

namespace ovdev {

// The payload of an event: its integer properties. Screen events hand it out as
// screen_event_t; navigator events keep their window state in it as well.
struct screen_event {
    unsigned serial = 0;  // numbers events in the call log ("ev7")
    std::vector<EventProperty> properties;

    // The property with this number, or null.
    const EventProperty *find(int name) const;
};

struct bps_event_t {
    int domain = 0;
    unsigned code = 0;
    screen_event payload;
};

namespace detail {

// Thread-safe FIFO of events: any thread pushes, readers pop in push order.
class EventQueue {
public:
    // Appends an event and wakes a waiting reader.
    void push(std::unique_ptr<bps_event_t> event);
    // Removes and returns the oldest event, or null when the queue is empty.
    std::unique_ptr<bps_event_t> try_pop();
    // Blocks until the queue holds an event or the deadline passes; true if non-empty.
    bool wait_until(std::chrono::steady_clock::time_point deadline);
    // Drops every queued event.
    void clear();
    std::size_t size() const;

private:
    mutable std::mutex mutex_;
    std::condition_variable ready_;
    std::deque<std::unique_ptr<bps_event_t>> events_;
};

// Builds a queued event from a raw one, numbering it for the call log.
std::unique_ptr<bps_event_t> MakeEvent(const RawEvent &raw);

}  // namespace detail
}  // namespace ovdev

#endif
