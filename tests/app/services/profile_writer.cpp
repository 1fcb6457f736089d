// Child program of the crash-safety tests. Started in a test's scratch directory, it
// brings the engine up there and writes a large profile:
//   profile_writer loop      saves generation after generation until killed; every
//                            node of the profile holds the generation's value
//   profile_writer limit N   saves once, then under a file-size limit of N bytes makes
//                            the profile larger and saves again; exit 0 when that save
//                            failed and the profile stayed dirty
#include "app/services/profiles.h"
#include "app/services/prog.h"
#include "core/ov_state.h"
#include "platform/device.h"

#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/resource.h>
#include <unistd.h>

#include <string>

namespace {

void Fill(int generation, int nodes, int length)
{
    std::string value = "g" + std::to_string(generation) + ":" + std::string(length, 'x');
    for (int i = 0; i < nodes; i++)
        prof->SetValue("BULK", ("n" + std::to_string(i)).c_str(), "v", value.c_str());
}

}  // namespace

extern "C" ov_prog_t *OV_GetInterface(void)
{
    return &prog;
}

int main(int argc, char **argv)
{
    if (argc < 2)
        return 2;
    ovdev::UseHeadlessBackend();
    prog.interface_version = OV_INTERFACE_VERSION;
    strcpy(prog.title, "Data Test");
    strcpy(prog.developer_name, "Tests");
    prog.parms.width = 1024;
    prog.parms.height = 600;
    prog.parms.reference_counting = 1;
    prog.parms.no_sound = 1;
    if (!OVI_PreInit(nullptr))
        return 3;
    ov_state.console = 0;
    profile_man().LoadProfiles();
    if (!prof)
        return 4;
    if (strcmp(argv[1], "loop") == 0) {
        for (int generation = 1;; generation++) {
            Fill(generation, 300, 200);
            if (!profile_man().SaveProfiles())
                return 5;
            printf("%d\n", generation);
            fflush(stdout);
        }
    }
    if (strcmp(argv[1], "limit") == 0 && argc >= 3) {
        Fill(1, 10, 10);
        if (!profile_man().SaveProfiles())
            return 5;
        signal(SIGXFSZ, SIG_IGN);
        struct rlimit limit = {(rlim_t)atol(argv[2]), (rlim_t)atol(argv[2])};
        if (setrlimit(RLIMIT_FSIZE, &limit) != 0)
            return 6;
        Fill(2, 300, 200);
        bool saved = prof->Save();
        // Straight out: the engine is not shut down, so a leak check at exit would
        // only report what this helper left running.
        _exit(!saved && prof->IsDirty() ? 0 : 7);
    }
    return 2;
}
