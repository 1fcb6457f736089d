// Event service of our device layer: one FIFO of platform events that the main loop
// drains. Stands in for the tablet's event service; every name lives in ovdev.
#ifndef OVDEV_BPS_H
#define OVDEV_BPS_H

namespace ovdev {

enum { BPS_SUCCESS = 0, BPS_FAILURE = -1 };

struct bps_event_t;  // opaque; valid until the next bps_get_event on the same thread

// Starts the event service; BPS_SUCCESS or BPS_FAILURE.
int bps_initialize();
// Stops the event service and drops pending events.
int bps_shutdown();
// Fetches the next event. With timeout 0 it never waits: on an empty queue it returns
// BPS_SUCCESS with *event set to null. timeout_ms < 0 waits until an event arrives.
int bps_get_event(bps_event_t **event, int timeout_ms);
// The domain an event belongs to (compare with screen_get_domain() and the like).
int bps_event_get_domain(bps_event_t *event);
// The domain-specific event code.
unsigned bps_event_get_code(bps_event_t *event);
// Frees text the services hand out (such as navigator_invoke's error text).
void bps_free(void *text);

}  // namespace ovdev

#endif
