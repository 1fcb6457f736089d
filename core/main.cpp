// The program's entry: chooses the device layer's backend (a desktop window, or
// headless with --headless and an optional event script) and runs the engine.
#include "core/ov_state.h"
#include "platform/device.h"
#include "platform/headless.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <string>

static void Usage(const char *prog)
{
    fprintf(stderr,
            "usage: %s [--headless [--script FILE]]\n"
            "  --headless       run without a display (events come from the script, if any)\n"
            "  --script FILE    feed the headless run the events listed in FILE\n",
            prog);
}

int main(int argc, char **argv)
{
    bool headless = getenv("ORVEX_HEADLESS") && strcmp(getenv("ORVEX_HEADLESS"), "1") == 0;
    const char *script = nullptr;
    for (int i = 1; i < argc; i++) {
        if (strcmp(argv[i], "--headless") == 0) {
            headless = true;
        } else if (strcmp(argv[i], "--script") == 0 && i + 1 < argc) {
            script = argv[++i];
        } else {
            Usage(argv[0]);
            return 2;
        }
    }

    if (headless) {
        ovdev::UseHeadlessBackend();
        if (script) {
            std::string error;
            if (!ovdev::headless::load_script(script, &error)) {
                fprintf(stderr, "Unable to read the event script '%s': %s\n", script, error.c_str());
                return 2;
            }
        }
    } else {
        std::string error;
        if (!ovdev::UseDesktopBackend(&error)) {
            fprintf(stderr, "No display to open a window on (%s).\nRun with --headless to run without one.\n",
                    error.c_str());
            return 1;
        }
    }
    return OVI_Main();
}
