// autoplay-check: the unattended run's checker, built with the tests.
//   autoplay-check missions NATIVE_DIR
//     lists every node of every array of NATIVE_DIR/missions.xml as "ARRAY:NODE MODE"
//     (mode "LEVEL" when the node names none), read with the game's data reader;
//   autoplay-check userdata USER_DIR [--won MISSION [--replayed]] [--leaderboards]
//     loads the player's files of a run (USER_DIR is its user:// folder) with the game's
//     readers: the profile index and every profile it lists, "leaderboards-db.xml", the
//     saved game and the statistics when present. With --won, the profile named
//     "dev_AIPlayer" must hold the mission's "rating" 1 to 5 and "times_played" 1 (at
//     least 1 with --replayed, for a run that may play it again); with --leaderboards,
//     "leaderboards-db.xml" must hold a "CAMPAIGN" score.
// Prints one line per problem and exits 1 when there is any (2 for bad arguments).
#include "app/services/dataman.h"
#include "buildtools/common/tool-engine.h"
#include "core/ov_state.h"
#include "game/savegame-format.h"

#include <limits.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include <string>
#include <vector>

namespace {

std::vector<std::string> problems;

void Problem(const std::string &text)
{
    problems.push_back(text);
}

void Settings()
{
    ov_state.developer_mode = 0;
    ov_state.console = 0;
    ov_state.logging = 0;
}

std::string Absolute(const std::string &path)
{
    if (!path.empty() && path[0] == '/')
        return path;
    char cwd[PATH_MAX];
    return getcwd(cwd, sizeof cwd) ? std::string(cwd) + "/" + path : path;
}

bool ReadBytes(const std::string &path, std::vector<uint8_t> *bytes)
{
    FILE *f = fopen(path.c_str(), "rb");
    if (!f)
        return false;
    bytes->clear();
    uint8_t buf[65536];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, f)) > 0)
        bytes->insert(bytes->end(), buf, buf + n);
    fclose(f);
    return true;
}

// A database of the linked folder; a problem when it is missing (and required) or
// malformed.
DMDatabase *Load(const std::string &res, const std::string &native, bool required)
{
    if (access(native.c_str(), R_OK) != 0) {
        if (required)
            Problem("missing " + native);
        return nullptr;
    }
    DMDatabase *db = dman().GetDatabase(res.c_str());
    if (!db || db->HadParseError()) {
        Problem("unreadable " + native);
        return nullptr;
    }
    return db;
}

int Missions(toolengine::Session &session, const std::string &native)
{
    if (!session.Link(Absolute(native), "tree")) {
        fprintf(toolengine::Err(), "autoplay-check: cannot link %s\n", native.c_str());
        return 2;
    }
    DMDatabase *db = Load("tree/missions.xml", native + "/missions.xml", true);
    if (!db)
        return 1;
    std::vector<std::string> lines;
    for (int a = 0; a < db->GetNumberOfArrays(); a++) {
        DMArray *array = db->GetArray(a);
        for (int n = 0; array && n < array->GetSize(); n++) {
            DMNode *node = array->GetNode(n);
            const char *mode = node ? node->GetValue("mode") : nullptr;
            std::string m = mode && *mode ? mode : "LEVEL";
            for (char &c : m)
                c = (char)toupper((unsigned char)c);
            lines.push_back(std::string(array->id ? array->id : "") + ":" + (node && node->id ? node->id : "") +
                            " " + m);
        }
    }
    for (const std::string &l : lines)
        printf("%s\n", l.c_str());
    return 0;
}

int UserData(toolengine::Session &session, const std::string &user, const std::string &won, bool replayed,
             bool leaderboards)
{
    if (!session.Link(Absolute(user), "user")) {
        fprintf(toolengine::Err(), "autoplay-check: cannot link %s\n", user.c_str());
        return 2;
    }
    DMDatabase *index = Load("user/profiles/index.xml", user + "/profiles/index.xml", true);
    DMArray *list = index ? index->GetArray("!PROFILE_INDEX") : nullptr;
    if (index && !list)
        Problem("the profile index lists no profiles");
    DMDatabase *ai = nullptr;
    for (int i = 0; list && i < list->GetSize(); i++) {
        const char *file = list->GetNode(i)->id;
        std::string rel = std::string("profiles/") + (file ? file : "");
        DMDatabase *p = Load("user/" + rel, user + "/" + rel, true);
        const char *name = p ? p->GetValue("!INFO", "name", "value") : nullptr;
        if (name && strcmp(name, "dev_AIPlayer") == 0)
            ai = p;
    }
    if (!won.empty()) {
        std::string mission = won.substr(won.find(':') == std::string::npos ? 0 : won.find(':') + 1);
        const char *rating = ai ? ai->GetValue("missions", mission.c_str(), "rating") : nullptr;
        const char *played = ai ? ai->GetValue("missions", mission.c_str(), "times_played") : nullptr;
        if (!ai)
            Problem("no profile named dev_AIPlayer");
        else if (!rating || atoi(rating) < 1 || atoi(rating) > 5)
            Problem("dev_AIPlayer: mission " + mission + " has rating '" + (rating ? rating : "") + "', not 1 to 5");
        else if (!played || (replayed ? atoi(played) < 1 : atoi(played) != 1))
            Problem("dev_AIPlayer: mission " + mission + " has times_played '" + (played ? played : "") + "', not " +
                    (replayed ? "1 or more" : "1"));
    }
    DMDatabase *boards = Load("user/leaderboards-db.xml", user + "/leaderboards-db.xml", leaderboards);
    if (leaderboards && boards) {
        DMArray *campaign = boards->GetArray("CAMPAIGN");
        if (!campaign || campaign->GetSize() == 0)
            Problem("leaderboards-db.xml holds no CAMPAIGN score");
    }
    std::vector<uint8_t> bytes;
    if (ReadBytes(user + "/user/save-15.dat", &bytes)) {
        SavedGame saved;
        if (!SaveGameFromBytes(bytes.data(), bytes.size(), &saved))
            Problem("the saved game user/save-15.dat does not read back");
    }
    if (ReadBytes(user + "/user/stats-v111.dat", &bytes)) {
        GameStats stats;
        if (!GameStatsFromBytes(bytes.data(), bytes.size(), &stats))
            Problem("the statistics user/stats-v111.dat do not read back");
    }
    return problems.empty() ? 0 : 1;
}

int Usage()
{
    fprintf(stderr, "usage: autoplay-check missions NATIVE_DIR\n"
                    "       autoplay-check userdata USER_DIR [--won CHAPTER:MISSION [--replayed]] [--leaderboards]\n");
    return 2;
}

}  // namespace

int main(int argc, char **argv)
{
    if (argc < 3)
        return Usage();
    std::string command = argv[1], dir = argv[2], won;
    bool leaderboards = false, replayed = false;
    for (int i = 3; i < argc; i++) {
        if (strcmp(argv[i], "--won") == 0 && i + 1 < argc)
            won = argv[++i];
        else if (strcmp(argv[i], "--leaderboards") == 0)
            leaderboards = true;
        else if (strcmp(argv[i], "--replayed") == 0)
            replayed = true;
        else
            return Usage();
    }
    if (command != "missions" && command != "userdata")
        return Usage();
    // The session works in a directory of its own: names given relative to here first.
    dir = Absolute(dir);
    toolengine::SetName("autoplay-check", true);
    int status;
    {
        toolengine::Session session;
        if (!session.Start(Settings))
            return 2;
        status = command == "missions" ? Missions(session, dir) : UserData(session, dir, won, replayed, leaderboards);
        dman().ReleaseAllDatabases();
    }
    for (const std::string &p : problems)
        printf("autoplay-check: %s\n", p.c_str());
    fflush(stdout);
    return status;
}
