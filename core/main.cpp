// The program's entry: chooses the device layer's backend (a desktop window, or
// headless with --headless and an optional event script), turns the shutdown signals
// into exit requests and runs the engine. The whole command line goes to the
// application; switches the engine does not know are left to it.
#include "core/ov_state.h"
#include "core/service-calls.h"
#include "platform/device.h"
#include "platform/headless.h"
#include "platform/signals.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <string>

static void Usage(FILE *to, const char *prog)
{
    fprintf(to,
            "usage: %s [--headless [--script FILE]] [--developer] [--features LIST] [application arguments...]\n"
            "  --headless       run without a display (events come from the script, if any)\n"
            "  --script FILE    feed the headless run the events listed in FILE\n"
            "  --developer      developer mode, whatever the settings files say\n"
            "  --features LIST  add the comma-separated product features to the settings' ones\n"
            "  --help           show this text\n"
            "Other arguments are left to the application.\n",
            prog);
}

// Every return once the driver preload has started: the thread must not be inside the
// driver when exit runs the driver's own exit handlers.
static int EndRun(int status)
{
    ov_gfx_calls.StopDriverPreload();
    return status;
}

int main(int argc, char **argv)
{
    OVI_NoteProcessStart();
    bool headless = getenv("ORVEX_HEADLESS") && strcmp(getenv("ORVEX_HEADLESS"), "1") == 0;
    const char *script = nullptr;
    bool developer = false;
    const char *features = nullptr;
    for (int i = 1; i < argc; i++) {
        if (strcmp(argv[i], "--headless") == 0) {
            headless = true;
        } else if (strcmp(argv[i], "--script") == 0) {
            if (i + 1 >= argc) {
                fprintf(stderr, "%s: --script needs a file name.\n", argv[0]);
                Usage(stderr, argv[0]);
                return 2;
            }
            script = argv[++i];
        } else if (strcmp(argv[i], "--developer") == 0) {
            developer = true;
        } else if (strcmp(argv[i], "--features") == 0) {
            if (i + 1 >= argc) {
                fprintf(stderr, "%s: --features needs a list.\n", argv[0]);
                Usage(stderr, argv[0]);
                return 2;
            }
            features = argv[++i];
        } else if (strcmp(argv[i], "--help") == 0) {
            Usage(stdout, argv[0]);
            return 0;
        }
    }
    // The GL driver loads meanwhile: the display, the settings, the services and the
    // application's start do not need it.
    ov_gfx_calls.StartDriverPreload(headless);
    OVI_SetCommandLine(argc, argv);
    OVI_SetCommandLineSettings(developer, features);

    if (headless) {
        ovdev::UseHeadlessBackend();
        // The device layer's call and write logs are for tests; a long run would fill them.
        ovdev::headless::set_recording(false);
        if (script) {
            std::string error;
            if (!ovdev::headless::load_script(script, &error)) {
                fprintf(stderr, "Unable to play the event script %s\n", error.c_str());
                return EndRun(2);
            }
        }
    } else {
        std::string error;
        if (!ovdev::UseDesktopBackend(&error)) {
            fprintf(stderr, "No display to open a window on (%s).\nRun with --headless to run without one.\n",
                    error.c_str());
            return EndRun(1);
        }
    }
    // After the backend: SDL installs handlers of its own when its video starts.
    ovdev::InstallShutdownSignals();
    return EndRun(OVI_Main());
}
