// The entries the services above the screen framework fill in (see frame-services.h).
#include "app/ui/frame-services.h"

FrameServices frame_services;

bool AddServiceReplyHandler(bool (*handler)(ov_event_t &event))
{
    if (!handler)
        return false;
    for (auto &slot : frame_services.reply_handlers)
        if (slot == handler)
            return true;
    for (auto &slot : frame_services.reply_handlers) {
        if (!slot) {
            slot = handler;
            return true;
        }
    }
    return false;
}

void RemoveServiceReplyHandler(bool (*handler)(ov_event_t &event))
{
    auto &slots = frame_services.reply_handlers;
    int kept = 0;
    for (int i = 0; i < FRAME_SERVICES_MAX_REPLY_HANDLERS; i++)
        if (slots[i] && slots[i] != handler)
            slots[kept++] = slots[i];
    for (int i = kept; i < FRAME_SERVICES_MAX_REPLY_HANDLERS; i++)
        slots[i] = nullptr;
}

void DispatchServiceReply(ov_event_t &event)
{
    if (event.type < OV_EVENT_SERVICE_19 || event.type > OV_EVENT_SERVICE_22)
        return;
    // A receiver may take itself (or another) out: the walk goes over a copy.
    bool (*walk[FRAME_SERVICES_MAX_REPLY_HANDLERS])(ov_event_t &) = {};
    for (int i = 0; i < FRAME_SERVICES_MAX_REPLY_HANDLERS; i++)
        walk[i] = frame_services.reply_handlers[i];
    for (auto handler : walk)
        if (handler)
            handler(event);
}
