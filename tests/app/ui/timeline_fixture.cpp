// The timeline tests' set-up (see timeline_fixture.h).
#include "tests/app/ui/timeline_fixture.h"

#include "app/services/dataman.h"
#include "app/services/featureman.h"
#include "app/services/gameman.h"
#include "app/services/luaman.h"
#include "app/services/prog.h"
#include "app/services/profiles.h"

#include <stdarg.h>
#include <stdio.h>
#include <string.h>

namespace timelinetest {

std::vector<std::string> popups;

namespace {

const char *s_features = nullptr;
const char *(*s_engine_extension)(const char *, const char *) = nullptr;

// The feature string as the test sets it; every other command goes to the engine.
const char *FeatureExtension(const char *command, const char *arg)
{
    if (command && strcmp(command, "ProgramInfo") == 0 && arg && strcmp(arg, "Features") == 0)
        return s_features;
    return s_engine_extension ? s_engine_extension(command, arg) : nullptr;
}

int CapturePopup(int, const char *fmt, ...)
{
    char text[4096];
    va_list ap;
    va_start(ap, fmt);
    vsnprintf(text, sizeof text, fmt, ap);
    va_end(ap);
    popups.push_back(text);
    return 4;
}

// The shipped transition script's shape: the "fader" over the virtual screen.
const char kTransitionScript[] =
    "CreateComp ('Rectangle', 'fader')\n"
    "SetProperty ('scale_type', 'STRETCH_TO_COVER_SCREEN')\n"
    "SetProperty ('color.a', 1)\n"
    "SetProperty ('rectangle.rect_width', '1024')\n"
    "SetProperty ('rectangle.rect_height', '768')\n";

}  // namespace

int CountPopups(const std::string &text)
{
    int n = 0;
    for (const std::string &p : popups)
        n += p == text;
    return n;
}

std::string Rect(const char *name, int x, int y, int w, int h, const char *rgb)
{
    char text[400];
    snprintf(text, sizeof text,
             "CreateComp('Rectangle', '%s')\nSetProperty('position_type', 'ABSOLUTE')\n"
             "SetProperty('position', %d, %d)\nSetProperty('rectangle.rect_width', %d)\n"
             "SetProperty('rectangle.rect_height', %d)\nSetProperty('color', %s)\n",
             name, x, y, w, h, rgb);
    return text;
}

void TimelineTest::SetUp()
{
    UITest::SetUp();
    StartUI();
    // The test drives the frames with fixed steps; engine frames only draw.
    prog.Update = nullptr;
    apptest::WriteFile("ui/fw/timeline-transition.lua", kTransitionScript);
    profile_man().Clear();
    ASSERT_NE(profile_man().CreateNewProfile(), nullptr);
    game_man.Clear();
    game_man.Initialize();
    timeline.Init();
    popups.clear();
    ov->OV_Popupf = CapturePopup;
    s_engine_extension = ov->OV_CallExtension;
    ov->OV_CallExtension = FeatureExtension;
}

void TimelineTest::TearDown()
{
    if (L_)
        lua_man.CloseLuaState(L_);
    L_ = nullptr;
    // A loader thread still at work would touch the screens being released.
    for (int i = 0; i < 2000 && timeline_transition.loader_state.load() == LOADER_LOADING; i++)
        ov->OVT_Sleep(1);
    timeline.FreeTimeline();
    timeline.processor = nullptr;
    timeline.default_transition_type = TIMELINE_AUTOMATIC;
    timeline.resume = false;
    game_man.Clear();
    profile_man().Clear();
    dman().ReleaseAllDatabases();
    if (s_features) {
        s_features = nullptr;
        feature_man.Initialize();
    }
    UITest::TearDown();
}

void TimelineTest::LoadTimeline(const char *file, const std::string &nodes)
{
    apptest::WriteFile(file, "<?xml version=\"1.0\" encoding=\"iso-8859-1\"?>\n<root>\n<array id=\"timeline\">\n" +
                                 nodes + "</array>\n</root>\n");
    timeline.LoadTimeline(file);
}

void TimelineTest::SetFeatures(const char *features)
{
    s_features = features;
    feature_man.Initialize();
}

void TimelineTest::Frame(float dt)
{
    sman.Update(dt);
    DrawFrame();
}

bool TimelineTest::RunTransition(float dt, int max_frames)
{
    for (int i = 0; i < max_frames; i++) {
        if (!sman.IsScreenInStack(&timeline_transition))
            return true;
        Frame(dt);
        ov->OVT_Sleep(1);
    }
    return !sman.IsScreenInStack(&timeline_transition);
}

void TimelineTest::Unstack()
{
    sman.PopScreen(&timeline_transition, false);
    sman.UpdateScreens(0.0f);
}

lua_State *TimelineTest::Lua()
{
    if (!L_)
        L_ = lua_man.OpenLuaState(0);
    return L_;
}

std::string TimelineTest::LuaString(const char *expression)
{
    lua_State *L = Lua();
    std::string chunk = std::string("return tostring(") + expression + ")";
    if (luaL_loadstring(L, chunk.c_str()) != 0 || lua_pcall(L, 0, 1, 0) != 0) {
        std::string error = std::string("error: ") + LuaErrorText(L);
        lua_settop(L, 0);
        return error;
    }
    std::string out = lua_tostring(L, -1) ? lua_tostring(L, -1) : "?";
    lua_settop(L, 0);
    return out;
}

}  // namespace timelinetest
