// A program that defines an unmangled platform-style name on purpose next to the device
// layer: the symbol check must reject it, which shows the check can fail.
#include "platform/device.h"

extern "C" int bps_canary_defined_here(int x) { return x + 1; }

int main(int argc, char **) {
    ovdev::UseHeadlessBackend();
    return bps_canary_defined_here(argc) == argc + 1 ? 0 : 1;
}
