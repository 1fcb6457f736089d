// Touch ids for fingers: the desktop reports fingers by large arbitrary ids, the
// engine expects small touch ids, so each finger down takes the lowest free slot.
#ifndef OVDEV_TOUCH_SLOTS_H
#define OVDEV_TOUCH_SLOTS_H

#include <array>
#include <cstdint>

namespace ovdev {

class TouchSlots {
public:
    static constexpr int kSlots = 10;  // touch ids 0..9

    // Slot for a finger going down: the lowest free one, or the one it already holds;
    // -1 when all slots are taken.
    int press(std::int64_t finger);
    // Slot a finger holds, or -1.
    int find(std::int64_t finger) const;
    // Frees the finger's slot and returns it, or -1 when it held none.
    int release(std::int64_t finger);
    // Frees every slot.
    void clear();

private:
    std::array<bool, kSlots> used_{};
    std::array<std::int64_t, kSlots> fingers_{};
};

}  // namespace ovdev

#endif
