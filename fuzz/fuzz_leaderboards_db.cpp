// Fuzzes the local leaderboards server's loading of "user://leaderboards-db.xml": the
// input becomes the file, the server loads it (keeping a damaged file aside and
// writing back what read), every category found is downloaded into a client, whose
// list must be sorted, ranked 1..n and hold only kept names, and one score is
// submitted, after which the file must read back cleanly.
#include "app/services/dataman.h"
#include "fuzz/fuzz_env.h"
#include "online/leaderboards.h"
#include "orvex.h"

#include <limits.h>
#include <string.h>

#include <string>
#include <vector>

namespace {

const char kDb[] = "user://leaderboards-db.xml";

bool WriteUserFile(const char *name, const uint8_t *data, size_t size)
{
    ov_file_t *f = ov->OV_OpenFile(name, "wb");
    if (!f)
        return false;
    bool ok = size == 0 || ov->OV_WriteFile(data, (unsigned)size, f) == size;
    return ov->OV_CloseFile(f) == 0 && ok;
}

void CheckList(LeaderboardsClient *client)
{
    for (int i = 0; i < client->GetNumberOfScores(); i++) {
        LeaderboardScore *s = client->GetScoreByIndex(i);
        if (!s || s->rank != i + 1 || strlen(s->player) > LEADERBOARDS_MAX_NAME)
            __builtin_trap();
        if (i > 0 && client->GetScoreByIndex(i - 1)->points < s->points)
            __builtin_trap();
    }
    if (client->GetDownloadState() != 0)
        __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    fuzzenv::Start();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size > INT_MAX)
        return 0;
    fuzzenv::BeginInput();
    ov->OV_DeleteFile("user://leaderboards-db.xml.bad");
    ov->OV_DeleteFile("user://leaderboards-db.xml.bad2");
    if (!WriteUserFile(kDb, data, size))
        return 0;
    // The categories as the file names them (the first few).
    std::vector<std::string> categories;
    {
        DMDatabase db;
        db.Load(kDb);
        for (int a = 0; a < db.GetNumberOfArrays() && categories.size() < 4; a++)
            categories.push_back(db.GetArray(a)->id ? db.GetArray(a)->id : "");
    }
    categories.push_back("FUZZ");
    LeaderboardsServerLocalDatabase server;
    server.Initialize();
    std::vector<LeaderboardsClient *> clients;
    for (const std::string &category : categories) {
        LeaderboardsClient *client = new LeaderboardsClient;
        if (!client->Initialize(&server, "fuzz", "1", category.c_str()))
            __builtin_trap();
        client->Download(1, 100, 0xffffff);
        CheckList(client);
        clients.push_back(client);
    }
    clients.front()->SubmitScore(12345, 6);
    if (!server.IsSavePending()) {
        DMDatabase saved;
        if (!saved.Load(kDb) || saved.HadParseError())
            __builtin_trap();
    }
    clients.front()->Download(1, 100, 0);
    CheckList(clients.front());
    for (LeaderboardsClient *client : clients) {
        client->ReleaseMutex();
        delete client;
    }
    return 0;
}
