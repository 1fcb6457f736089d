// Child program of the crash-safety test. Started in a test's scratch directory, it
// brings the engine up there and submits score after score to the category "KILL"
// (each one more than the last the file holds) until it is killed.
#include "app/services/prog.h"
#include "core/ov_state.h"
#include "online/leaderboards.h"
#include "platform/device.h"

#include <string.h>

extern "C" ov_prog_t *OV_GetInterface(void)
{
    return &prog;
}

int main()
{
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
    LeaderboardsServerLocalDatabase server;
    server.Initialize();
    LeaderboardsClient client;
    if (!client.Initialize(&server, "orvextest", "1.2", "KILL"))
        return 4;
    // Continue after the newest score of an earlier run.
    client.Download(1, 100, 0);
    long next = client.GetNumberOfScores() > 0 ? client.GetScoreByIndex(0)->points + 1 : 1;
    for (;; next++) {
        client.SubmitScore(next, 0);
        if (server.IsSavePending())
            return 5;
    }
}
