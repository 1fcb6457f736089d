// The service manager (see manager.h).
#include "app/services/manager.h"

#include "app/services/audioman.h"
#include "app/services/featureman.h"
#include "app/services/filehelpers.h"
#include "app/services/gameman.h"
#include "app/services/localization.h"
#include "app/services/luaman.h"
#include "app/services/command-line.h"
#include "app/services/profiles.h"
#include "app/services/prog.h"
#include "orvex.h"

#include <string.h>

#include <string>
#include <vector>

Manager man;

namespace {

// In developer mode the tools' saved edits ("user://dev-edits/", see tools/dev-edits.h)
// are searched before the program's data: "user://dev-edits/" for "res://" and
// "user://dev-edits/X/" for each "res://X/", in the order of their res:// paths, all
// placed just before the first res:// path. Other runs never search them.
// The engine adds "res://" and "user://" itself only after the pre-initialisation, so
// the paths are placed again once the engine's list is complete; a list already in
// place is left as it is.
void AddDevEditSearchPaths()
{
    std::vector<std::string> group;
    int first_res = -1;
    int n = ov->OV_GetNumberOfSearchPaths();
    for (int i = 0; i < n; i++) {
        const char *path = ov->OV_GetSearchPath(i);
        if (!path || strncmp(path, "res://", 6) != 0)
            continue;
        if (first_res < 0)
            first_res = i;
        group.push_back(std::string("user://dev-edits/") + (path + 6));
    }
    if (first_res < 0)
        return;
    bool in_place = first_res >= (int)group.size();
    for (size_t k = 0; in_place && k < group.size(); k++) {
        const char *path = ov->OV_GetSearchPath(first_res - (int)group.size() + (int)k);
        in_place = path && group[k] == path;
    }
    if (in_place)
        return;
    std::vector<std::string> before;
    for (int i = 0; i < first_res; i++) {
        const char *path = ov->OV_GetSearchPath(i);
        if (path)
            before.push_back(path);
    }
    for (auto it = group.rbegin(); it != group.rend(); ++it)
        ov->OV_AddSearchPath(it->c_str(), true);
    for (auto it = before.rbegin(); it != before.rend(); ++it)
        ov->OV_AddSearchPath(it->c_str(), true);
}

}  // namespace

void Manager::SetCalls(const ManagerCalls *calls)
{
    calls_ = calls ? *calls : ManagerCalls{};
}

int Manager::PreInitializeBeforeVideoInit()
{
    // "--seed N": every draw of the run starts from it (logged).
    ApplyCommandLineSeed(prog.parms.command_line);
    // The player hears of a failed save once in each run.
    ResetFailedSaveNotice();
    // The developer's unpacked data is searched after everything else; the player's
    // own files before everything else.
    if (prog.parms.developer_mode)
        ov->OV_AddSearchPath("res://data-src", false);
    ov->OV_AddSearchPath("user://", true);

    // The main Lua state exists from here on: every later manager registers its script
    // functions into it.
    lua_man.Initialize();
    feature_man.Initialize();
    aman.Initialize();
    loc_man().Initialize();
    // Loads the profiles and applies the volumes and the window mode of the index.
    profile_man().Initialize();
    if (prog.parms.developer_mode)
        AddDevEditSearchPaths();
    if (calls_.init_effects)
        calls_.init_effects();
    game_man.Initialize();
    if (calls_.init_test_player)
        calls_.init_test_player();
    if (calls_.select_test_player_profile && feature_man.ProductFeatureExists("AUTO_TESTING_MODE"))
        calls_.select_test_player_profile();
    return 1;
}

int Manager::InitializeAll()
{
    if (prog.parms.developer_mode)
        AddDevEditSearchPaths();
    if (calls_.init_achievements && feature_man.ProductFeatureExists("ACHIEVEMENTS"))
        calls_.init_achievements();
    if (calls_.init_leaderboards && feature_man.ProductFeatureExists("LEADERBOARDS"))
        calls_.init_leaderboards();
    // The analytics script functions always exist; events are logged only with the feature.
    if (calls_.register_analyst)
        calls_.register_analyst();
    if (calls_.enable_analyst && feature_man.ProductFeatureExists("ANALYST"))
        calls_.enable_analyst(true);
    if (calls_.init_screens)
        calls_.init_screens(prog.parms.reference_width, prog.parms.reference_height);
    if (calls_.init_news && feature_man.ProductFeatureExists("NEWS"))
        calls_.init_news();
    if (calls_.init_timeline)
        calls_.init_timeline();
    return 1;
}

void Manager::Shutdown()
{
    ov->OV_PrintDebugf(3, "Manager::Shutdown.\n");
    loc_man().Shutdown();
    if (calls_.shutdown_screens)
        calls_.shutdown_screens();
    if (calls_.free_timeline)
        calls_.free_timeline();
    // Closes the main Lua state: the last service to stop.
    lua_man.Shutdown();
    // No analytics after this point.
    if (calls_.enable_analyst)
        calls_.enable_analyst(false);
}
