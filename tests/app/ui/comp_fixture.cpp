// The component tests' set-up (see comp_fixture.h).
#include "tests/app/ui/comp_fixture.h"

#include "app/services/featureman.h"
#include "app/services/luaman.h"
#include "app/ui/screen-manager.h"
#include "app/ui/uiset.h"

#include <lua.hpp>

#include <memory>
#include <vector>

namespace comptest {

namespace {

std::vector<std::unique_ptr<ScreenTemplate>> screens;

}  // namespace

void SetView(float x, float y, int w, int h)
{
    sman.reference_width = 800;
    sman.reference_height = 600;
    sman.virtual_x = x;
    sman.virtual_y = y;
    sman.virtual_width = w;
    sman.virtual_height = h;
    sman.reference_scale_x = (float)w / 800.0f;
    sman.reference_scale_y = (float)h / 600.0f;
    sman.reference_scale_min = std::min(sman.reference_scale_x, sman.reference_scale_y);
}

void CompTest::StartUI(const std::string &templates)
{
    Start(800, 600);
    if (!templates.empty())
        apptest::WriteFile("ui/templates.lua", templates);
    ASSERT_TRUE(lua_man.Initialize());
    feature_man.Initialize();
    sman.InitScreens(800, 600);
    ui_started_ = true;
}

void CompTest::TearDown()
{
    if (ui_started_) {
        sman.Release();
        screens.clear();
        lua_man.Shutdown();
    }
    AppEngineTest::TearDown();
}

Screen *CompTest::MakeScreen(const char *name, const std::string &script)
{
    std::string file = std::string("ui/") + name + ".lua";
    apptest::WriteFile(file, script);
    screens.emplace_back(new ScreenTemplate(file.c_str()));
    Screen *s = screens.back().get();
    s->SetName(name);
    Screen::PreLoadScreen(s);
    return s;
}

bool CompTest::Run(UISet *set, const std::string &text)
{
    return lua_man.ExecLuaString(set->L, text.c_str());
}

std::string CompTest::Eval(UISet *set, const std::string &expression)
{
    return Eval(set->L, expression);
}

std::string CompTest::Eval(lua_State *L, const std::string &expression)
{
    const int top = lua_gettop(L);
    std::string code = "return " + expression;
    std::string out = "error";
    if (luaL_loadstring(L, code.c_str()) == 0 && lua_pcall(L, 0, 1, 0) == 0) {
        if (lua_isnil(L, -1))
            out = "nil";
        else if (lua_isboolean(L, -1))
            out = lua_toboolean(L, -1) ? "true" : "false";
        else if (lua_type(L, -1) == LUA_TNUMBER) {
            char buf[64];
            snprintf(buf, sizeof buf, "%.14g", lua_tonumber(L, -1));
            out = buf;
        } else if (lua_isstring(L, -1))
            out = lua_tostring(L, -1);
    }
    lua_settop(L, top);
    return out;
}

}  // namespace comptest
