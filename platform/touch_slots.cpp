// Lowest-free-slot assignment of touch ids to fingers.
#include "platform/touch_slots.h"

namespace ovdev {

int TouchSlots::press(std::int64_t finger) {
    const int held = find(finger);
    if (held >= 0) return held;
    for (int i = 0; i < kSlots; ++i) {
        if (!used_[i]) {
            used_[i] = true;
            fingers_[i] = finger;
            return i;
        }
    }
    return -1;
}

int TouchSlots::find(std::int64_t finger) const {
    for (int i = 0; i < kSlots; ++i) {
        if (used_[i] && fingers_[i] == finger) return i;
    }
    return -1;
}

int TouchSlots::release(std::int64_t finger) {
    const int slot = find(finger);
    if (slot >= 0) used_[slot] = false;
    return slot;
}

void TouchSlots::clear() { used_.fill(false); }

}  // namespace ovdev
