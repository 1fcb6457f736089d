// The services above the screen framework that hang off its frame: the news feed
// (updated every frame once all screens are preloaded, refreshed whenever the
// application becomes active, offered the moment of every screen switch) and the
// achievement notices (updated and drawn every frame while their manager is enabled).
// The platform score service's replies go to the handlers registered with the screen
// manager (ScreenMan::AddServiceEventHandler).
//
// The screen framework does not include those services: each fills in its entries when
// it starts and clears them when it stops; the framework calls what is set and skips
// the rest. Main thread only.
#ifndef APP_UI_FRAME_SERVICES_H
#define APP_UI_FRAME_SERVICES_H

#include "orvex.h"

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
    // The UI edit mode (developer tools): every event while the edit mode is on, after
    // the cursors had it; once a frame while the edit or the resize mode is on, after
    // the screens; drawn over everything while either is on.
    int (*edit_event)(ov_event_t &event) = nullptr;
    void (*edit_frame)(float dt) = nullptr;
    void (*edit_draw)() = nullptr;
    // The automated test player (developer tools): whether it is on; its step, once per
    // step of the stack after the screens and the cursors; every event first, outside
    // edit mode (its result is not used); its overlay, drawn while it is on.
    bool (*test_player_active)() = nullptr;
    void (*test_player_frame)(float dt) = nullptr;
    void (*test_player_event)(ov_event_t &event) = nullptr;
    void (*test_player_draw)() = nullptr;
};

extern FrameServices frame_services;

#endif
