#include "tests/game/screens/shipped_screens_fixture.h"

#include "app/services/profiles.h"
#include "app/ui/screen-manager.h"
#include "core/ov_state.h"
#include "game/screens/flags.h"
#include "game/screens/loading.h"
#include "online/achievementman.h"
#include "online/leaderboards-manager.h"

#include <gtest/gtest.h>

#include <stdlib.h>

namespace screentest {

void CopyProgramDir(const std::string &program_dir)
{
    std::string cmd = "mkdir -p app/native && cp -r '" + program_dir + "/.' app/native/";
    ASSERT_EQ(system(cmd.c_str()), 0);
}

Profile *StartMenuServices(const char *profile_name)
{
    static bool registered = false;
    if (!registered) {
        RegisterProfileScriptFunctions();
        registered = true;
    }
    RegisterAchievementScriptFunctions();
    leaderboards_man.Initialize();
    flagmaster.initialised = false;
    flagmaster.Init();
    profile_man().Clear();
    Profile *p = profile_man().CreateNewProfile();
    if (p)
        p->SetName(profile_name);
    return p;
}

void StopMenuServices()
{
    leaderboards_man.Reset();
    if (ov)
        profile_man().Clear();
    flagmaster.ReleaseAll();
    FreeMenuBanner();
}

void DrawStackOnBlack(float dt)
{
    ov->OV_ClearScreen(0, 0, 0);
    sman.DrawScreens(dt);
}

void DrawLoadingOnBlack(float dt)
{
    ov->OV_ClearScreen(0, 0, 0);
    UpdateMenuBanner(dt);
    screen_loading.Draw(dt);
}

int LitPixels(const widgettest::Frame &f)
{
    int n = 0;
    for (int y = 0; y < f.h; y++)
        for (int x = 0; x < f.w; x++) {
            widgettest::Rgba p = f.At(x, y);
            n += p[0] + p[1] + p[2] > 60;
        }
    return n;
}

}  // namespace screentest
