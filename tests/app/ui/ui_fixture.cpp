// The screen framework on the headless engine (see ui_fixture.h).
#include "tests/app/ui/ui_fixture.h"

#include "app/services/audioman.h"
#include "app/services/featureman.h"
#include "app/services/luaman.h"
#include "app/services/prog.h"
#include "app/ui/transition.h"
#include "core/ov_state.h"
#include "gfx/window.h"
#include "platform/bps.h"
#include "platform/screen.h"

#include <string.h>

namespace uitest {

std::vector<std::string> calls;

std::vector<std::string> CallsOf(const std::string &prefix)
{
    std::vector<std::string> out;
    for (const std::string &c : calls)
        if (c.compare(0, prefix.size(), prefix) == 0)
            out.push_back(c);
    return out;
}

ProbeScreen::ProbeScreen(const char *name, bool ok) : preload_ok(ok)
{
    SetName(name);
}

ProbeScreen::~ProbeScreen()
{
    FreeUI();
}

static void Log(Screen *s, const char *what)
{
    calls.push_back(std::string(s->name) + ":" + what);
}

bool ProbeScreen::PreLoad()
{
    Log(this, "PreLoad");
    return preload_ok;
}

void ProbeScreen::Draw(float)
{
    Log(this, "Draw");
    DrawUI();
}

void ProbeScreen::Update(float dt)
{
    Log(this, dt == 0.0f ? "Update(0)" : "Update");
    last_update_dt = dt;
    Screen::Update(dt);
    if (on_update)
        on_update(this);
}

void ProbeScreen::Enter()
{
    Log(this, "Enter");
}

void ProbeScreen::Leave()
{
    Log(this, "Leave");
}

bool ProbeScreen::ProcessUICompClick(UIComp *comp, int)
{
    Log(this, (std::string("Click ") + (comp->name ? comp->name : "")).c_str());
    clicks++;
    if (on_click)
        on_click(this);
    return true;
}

int ProbeScreen::ProcessEvent(ov_event_t *)
{
    events++;
    return 1;
}

int ProbeScreen::ProcessScreenMessage(Screen *from, const char *message, const char *value)
{
    Log(this, (std::string("Message ") + (from ? from->name : "null") + " " + message + " " + value).c_str());
    return 1;
}

namespace {

void HookUpdate(float dt)
{
    sman.Update(dt);
}
int HookEvent(ov_event_t event)
{
    return sman.ProcessEvent(event);
}

}  // namespace

void UITest::StartUI(int w, int h, int ref_w, int ref_h)
{
    calls.clear();
    Start(w, h);
    ASSERT_EQ(ovdev::bps_initialize(), 0);
    ASSERT_EQ(ovdev::screen_request_events(ov_qnx_screen_context), 0);
    prog.Update = HookUpdate;
    apptest::draw = [](float dt) { sman.DrawScreens(dt); };
    prog.EventProc = HookEvent;
    lua_man.Initialize();
    feature_man.Initialize();
    aman.Initialize();
    sman.InitScreens(ref_w, ref_h);
    ui_started_ = true;
}

void UITest::TearDown()
{
    if (ui_started_) {
        sman.Release();
        for (ProbeScreen *s : screens_)
            delete s;
        screens_.clear();
        lua_man.Shutdown();
    }
    prog.Update = nullptr;
    prog.EventProc = nullptr;
    AppEngineTest::TearDown();
}

ProbeScreen *UITest::MakeScreen(const char *name, const char *script)
{
    ProbeScreen *s = new ProbeScreen(name);
    screens_.push_back(s);
    if (script) {
        std::string file = std::string("ui/") + name + ".lua";
        apptest::WriteFile(file, script);
        s->LoadUI(file.c_str());
    }
    Screen::PreLoadScreen(s);
    return s;
}

UIComp *UITest::AddComp(Screen *screen, const char *name, float x, float y, float w, float h)
{
    if (!screen->ui)
        screen->ui = sman.GetUISetForScreen("", screen);
    UIComp *c = new UIComp;
    c->SetName(name);
    c->position_type = UIPOS_ABSOLUTE;
    c->position_x = x;
    c->position_y = y;
    c->width = w;
    c->height = h;
    c->owner = screen;
    screen->ui->comps.InsertLast(c);
    return c;
}

void UITest::Script(Screen *screen, const char *text)
{
    if (!screen->ui)
        screen->ui = sman.GetUISetForScreen("", screen);
    UISet *set = screen->ui;
    ASSERT_TRUE(lua_man.ExecLuaString(set->L, text));
    set->has_OnMouseDown = LuaManager::DoesLuaFunctionExist(set->L, "OnMouseDown");
    set->has_OnMouseUp = LuaManager::DoesLuaFunctionExist(set->L, "OnMouseUp");
    set->has_OnKeyDown = LuaManager::DoesLuaFunctionExist(set->L, "OnKeyDown");
    set->has_OnKeyUp = LuaManager::DoesLuaFunctionExist(set->L, "OnKeyUp");
    set->has_OnCursorEnter = LuaManager::DoesLuaFunctionExist(set->L, "OnCursorEnter");
    set->has_OnDrawComp = LuaManager::DoesLuaFunctionExist(set->L, "OnDrawComp");
    set->has_OnEnter = LuaManager::DoesLuaFunctionExist(set->L, "OnEnter");
    set->has_OnLeave = LuaManager::DoesLuaFunctionExist(set->L, "OnLeave");
    set->has_OnUpdate = LuaManager::DoesLuaFunctionExist(set->L, "OnUpdate");
    set->has_OnDraw = LuaManager::DoesLuaFunctionExist(set->L, "OnDraw");
}

void UITest::Steps(int n, float dt)
{
    for (int i = 0; i < n; i++)
        sman.Update(dt);
}

void UITest::PumpFrame()
{
    for (;;) {
        ovdev::bps_event_t *event = nullptr;
        if (ovdev::bps_get_event(&event, 0) != 0 || !event)
            break;
        if (ovdev::bps_event_get_domain(event) == ovdev::screen_get_domain())
            HandleScreenEvent(event);
    }
    DrawFrame();
}

}  // namespace uitest
