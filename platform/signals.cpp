// The shutdown-signal handlers and their hand-over to the event queue. The handler
// only stores the signal number (an async-signal-safe atomic store); the pumping
// thread turns it into a navigator exit event on its next bps_get_event.
#include "platform/signals.h"

#include <atomic>
#include <csignal>

#include "platform/device.h"
#include "platform/events.h"

namespace ovdev {
namespace {

const int kShutdownSignals[] = {SIGTERM, SIGINT, SIGHUP};

std::atomic<int> g_pending_signal{0};
std::atomic<bool> g_installed{false};
static_assert(std::atomic<int>::is_always_lock_free, "the handler needs a lock-free store");

void OnShutdownSignal(int signal_number) {
    g_pending_signal.store(signal_number, std::memory_order_relaxed);
}

}  // namespace

void InstallShutdownSignals() {
    struct sigaction action = {};
    action.sa_handler = OnShutdownSignal;
    sigemptyset(&action.sa_mask);
    // SA_RESETHAND: the first signal asks for a shutdown, a second one of the same kind
    // gets the default action. SA_RESTART: reads and waits elsewhere are not cut short.
    action.sa_flags = SA_RESETHAND | SA_RESTART;
    for (int signal_number : kShutdownSignals) sigaction(signal_number, &action, nullptr);
    g_installed.store(true, std::memory_order_relaxed);
}

namespace detail {

void DeliverShutdownSignal() {
    const int signal_number = g_pending_signal.exchange(0, std::memory_order_relaxed);
    if (signal_number == 0) return;
    // Navigator events are dropped until the program asks for them: keep the signal
    // pending until the exit event is really queued (unless a newer one came meanwhile).
    if (!PushEvent(MakeExitEvent())) {
        int none = 0;
        g_pending_signal.compare_exchange_strong(none, signal_number, std::memory_order_relaxed);
    }
}

bool ShutdownSignalsInstalled() { return g_installed.load(std::memory_order_relaxed); }

}  // namespace detail
}  // namespace ovdev
