// The services above the screen framework that hang off its frame: the news feed
// (updated every frame once all screens are preloaded, refreshed whenever the
// application becomes active, offered the moment of every screen switch), the
// achievement notices (updated and drawn every frame while their manager is enabled)
// and the handlers of the platform score service's replies (event types 19 to 22).
//
// The screen framework does not include those services: each fills in its entries when
// it starts and clears them when it stops; the framework calls what is set and skips
// the rest. Main thread only.
#ifndef APP_UI_FRAME_SERVICES_H
#define APP_UI_FRAME_SERVICES_H

#include "orvex.h"

enum { FRAME_SERVICES_MAX_REPLY_HANDLERS = 4 };

struct FrameServices {
    // News: the frame's time step; a fetch on activation; whether an item waits to be
    // shown; show it at a moment named "Before_" and the screen about to come.
    void (*news_update)(float dt) = nullptr;
    void (*news_refresh)() = nullptr;
    bool (*news_ready)() = nullptr;
    void (*news_show)(const char *event) = nullptr;
    // Achievement notices: whether their manager is enabled; age the front notice;
    // draw it (after the screens, outside edit mode).
    bool (*notices_enabled)() = nullptr;
    void (*notices_update)(float dt) = nullptr;
    void (*notices_draw)() = nullptr;
    // Receivers of event types 19 to 22, in the order they were added; their answers
    // are not used.
    bool (*reply_handlers[FRAME_SERVICES_MAX_REPLY_HANDLERS])(ov_event_t &event) = {};
};

extern FrameServices frame_services;

// Adds a receiver of the score service's replies (once; adding it again does
// nothing); false when the list is full.
bool AddServiceReplyHandler(bool (*handler)(ov_event_t &event));
// Takes a receiver out again (nothing when it is not in the list); the others keep
// their order.
void RemoveServiceReplyHandler(bool (*handler)(ov_event_t &event));
// Hands an event of types 19 to 22 to every receiver; other types go nowhere.
void DispatchServiceReply(ov_event_t &event);

#endif
