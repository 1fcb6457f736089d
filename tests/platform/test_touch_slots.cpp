// Tests of the finger-to-touch-id remapping: lowest free slot, reuse after release,
// the ten-slot limit and unknown fingers.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "platform/touch_slots.h"

namespace {

using ovdev::TouchSlots;

enum class Op { Press, Find, Release };

struct Step {
    Op op;
    std::int64_t finger;
    int expected_slot;
};

void RunSteps(TouchSlots &slots, const std::vector<Step> &steps) {
    for (std::size_t i = 0; i < steps.size(); ++i) {
        const Step &s = steps[i];
        int got = -99;
        switch (s.op) {
        case Op::Press: got = slots.press(s.finger); break;
        case Op::Find: got = slots.find(s.finger); break;
        case Op::Release: got = slots.release(s.finger); break;
        }
        EXPECT_EQ(got, s.expected_slot) << "step " << i << " finger " << s.finger;
    }
}

TEST(TouchSlots, FingersTakeTheLowestFreeSlot) {
    TouchSlots slots;
    RunSteps(slots, {
                   {Op::Press, 9000000001, 0},
                   {Op::Press, 42, 1},
                   {Op::Press, -7, 2},
                   {Op::Release, 42, 1},
                   {Op::Find, 42, -1},
                   {Op::Press, 5, 1},  // reuses the freed slot
                   {Op::Press, 6, 3},
                   {Op::Release, 9000000001, 0},
                   {Op::Press, 42, 0},
                   {Op::Find, -7, 2},
                   {Op::Find, 6, 3},
               });
}

TEST(TouchSlots, PressingAFingerAlreadyDownKeepsItsSlot) {
    TouchSlots slots;
    RunSteps(slots, {
                   {Op::Press, 100, 0},
                   {Op::Press, 200, 1},
                   {Op::Press, 100, 0},
                   {Op::Press, 300, 2},
               });
}

TEST(TouchSlots, TenSlotsThenNone) {
    TouchSlots slots;
    for (int i = 0; i < TouchSlots::kSlots; ++i) EXPECT_EQ(slots.press(1000 + i), i);
    EXPECT_EQ(slots.press(5000), -1);
    EXPECT_EQ(slots.find(5000), -1);
    EXPECT_EQ(slots.release(1004), 4);
    EXPECT_EQ(slots.press(5000), 4);
    EXPECT_EQ(slots.press(5001), -1);
}

TEST(TouchSlots, UnknownFingersHoldNoSlot) {
    TouchSlots slots;
    RunSteps(slots, {
                   {Op::Release, 1, -1},
                   {Op::Find, 1, -1},
                   {Op::Press, 1, 0},
                   {Op::Release, 1, 0},
                   {Op::Release, 1, -1},
               });
}

TEST(TouchSlots, ClearFreesEverySlot) {
    TouchSlots slots;
    slots.press(10);
    slots.press(11);
    slots.clear();
    EXPECT_EQ(slots.find(10), -1);
    EXPECT_EQ(slots.press(12), 0);
}

}  // namespace
