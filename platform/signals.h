// Shutdown signals: SIGTERM, SIGINT and SIGHUP become the navigator's exit request, so
// that a run ended from outside (kill, Ctrl-C, a closed terminal) shuts down like one
// the user closed: the application's Shutdown hook runs and the log gets its summary.
#ifndef OVDEV_SIGNALS_H
#define OVDEV_SIGNALS_H

namespace ovdev {

// Installs (or re-arms) the handlers of the three signals, for either backend; call it
// on the main thread after the backend is selected (it replaces SDL's own handlers).
// Each handler fires once: the same signal again, while the shutdown runs, ends the
// process the default way, so a hung shutdown can still be stopped.
void InstallShutdownSignals();

namespace detail {

// On the pumping thread (bps_get_event): a signal that arrived becomes one navigator
// exit event. It stays pending until navigator events are requested, so a signal
// during start-up still ends the run once the main loop is up.
void DeliverShutdownSignal();
// True once the handlers are installed: blocking waits then wake at least every
// kSignalPollMs to deliver a pending signal.
bool ShutdownSignalsInstalled();
enum { kSignalPollMs = 50 };

}  // namespace detail
}  // namespace ovdev

#endif
