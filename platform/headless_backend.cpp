// The headless backend: timed release of scripted events into the event queue.
#include "platform/headless_backend.h"

#include <cstdio>
#include <fstream>
#include <iterator>
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
            if (!next.await_text.empty()) {
                if (!GateOpens(next, now)) break;
                last_release_ = now;
                steps_.pop_front();
                continue;
            }
            due.push_back(next.event);
            steps_.pop_front();
        }
    }
    for (const RawEvent &e : due) PushEvent(e);
}

bool HeadlessBackend::GateOpens(const headless::ScriptStep &gate, Clock::time_point now) {
    std::size_t &offset = await_offsets_[gate.await_file];
    std::ifstream in(gate.await_file, std::ios::binary);
    if (in) {
        in.seekg(static_cast<std::streamoff>(offset));
        const std::string tail((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        const std::size_t found = tail.find(gate.await_text);
        if (found != std::string::npos) {
            offset += found + gate.await_text.size();
            return true;
        }
    }
    if (now < last_release_ + std::chrono::milliseconds(gate.await_limit_ms)) return false;
    std::fprintf(stderr, "script: await gave up: no '%s' in %s after %d ms\n", gate.await_text.c_str(),
                 gate.await_file.c_str(), gate.await_limit_ms);
    return true;
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
    const headless::ScriptStep &next = steps_.front();
    const Clock::time_point due = last_release_ + std::chrono::milliseconds(next.delay_ms);
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(due - Clock::now()).count();
    if (left > 0) return static_cast<int>(left);
    // A gate looks at its file again every 20 ms.
    return next.await_text.empty() ? 0 : 20;
}

}  // namespace detail
}  // namespace ovdev
