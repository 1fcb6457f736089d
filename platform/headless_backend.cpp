// The headless backend: timed release of scripted events into the event queue.
#include "platform/headless_backend.h"

#include <utility>

#include "platform/device.h"

namespace ovdev {
namespace detail {

std::unique_ptr<Backend> MakeHeadlessBackend() { return std::make_unique<HeadlessBackend>(); }

HeadlessBackend *ActiveHeadless() { return dynamic_cast<HeadlessBackend *>(&ActiveBackend()); }

void HeadlessBackend::schedule(std::vector<headless::ScriptStep> steps) {
    std::lock_guard<std::mutex> lock(mutex_);
    for (headless::ScriptStep &s : steps) steps_.push_back(std::move(s));
}

std::size_t HeadlessBackend::pending() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return steps_.size();
}

// Hands every scripted event that is due to the queue: those before the first wait at
// the first pump, then each waiting step once its wait has passed since the previous
// release.
void HeadlessBackend::pump() {
    std::vector<RawEvent> due;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        const Clock::time_point now = Clock::now();
        if (!started_) {
            started_ = true;
            last_release_ = now;
        }
        while (!steps_.empty()) {
            const headless::ScriptStep &next = steps_.front();
            if (next.delay_ms > 0) {
                if (now < last_release_ + std::chrono::milliseconds(next.delay_ms)) break;
                last_release_ = now;
            }
            due.push_back(next.event);
            steps_.pop_front();
        }
    }
    for (const RawEvent &e : due) PushEvent(e);
}

void HeadlessBackend::desktop_size(int *width, int *height) {
    std::lock_guard<std::mutex> lock(mutex_);
    *width = desktop_width_;
    *height = desktop_height_;
}

void HeadlessBackend::set_desktop_size(int width, int height) {
    std::lock_guard<std::mutex> lock(mutex_);
    desktop_width_ = width;
    desktop_height_ = height;
}

int HeadlessBackend::poll_interval_ms() const {
    std::lock_guard<std::mutex> lock(mutex_);
    if (steps_.empty()) return -1;
    if (!started_) return 0;
    const Clock::time_point due = last_release_ + std::chrono::milliseconds(steps_.front().delay_ms);
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(due - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

}  // namespace detail
}  // namespace ovdev
