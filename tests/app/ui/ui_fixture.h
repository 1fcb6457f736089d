// The screen framework on the headless engine: the application record's hooks go to
// the screen manager (update, draw, events), the services it calls are started, and
// InitScreens runs with fixture scripts written into the scratch res://. Screens made
// by a test are `ProbeScreen`s, which log their virtual calls.
#ifndef TEST_APP_UI_UI_FIXTURE_H
#define TEST_APP_UI_UI_FIXTURE_H

#include "tests/app/services/app_engine_fixture.h"

#include "app/ui/screen-manager.h"
#include "app/ui/screen.h"
#include "app/ui/ui-comps.h"
#include "app/ui/uiset.h"

#include <string>
#include <vector>

namespace uitest {

// Every probe screen's calls, in order, as "Name:Call".
extern std::vector<std::string> calls;
// Calls of the log that start with the prefix.
std::vector<std::string> CallsOf(const std::string &prefix);

class ProbeScreen : public Screen {
public:
    explicit ProbeScreen(const char *name, bool preload_ok = true);
    ~ProbeScreen() override;
    bool PreLoad() override;
    void Draw(float dt) override;
    void Update(float dt) override;
    void Enter() override;
    void Leave() override;
    bool ProcessUICompClick(UIComp *comp, int flags) override;
    int ProcessEvent(ov_event_t *event) override;
    int ProcessScreenMessage(Screen *from, const char *message, const char *value) override;

    bool preload_ok;
    float last_update_dt = -1.0f;
    int events = 0;
    int clicks = 0;
    // Runs inside Update / ProcessUICompClick when set.
    void (*on_update)(ProbeScreen *) = nullptr;
    void (*on_click)(ProbeScreen *) = nullptr;
};

class UITest : public apptest::AppEngineTest {
protected:
    void TearDown() override;
    // Engine on a w x h headless display, hooks to the screen manager, the services,
    // InitScreens with the reference size. Injected events queue once this ran.
    void StartUI(int w = 320, int h = 240, int ref_w = 320, int ref_h = 240);
    // A preloaded probe screen with a UI set of the given script text (empty: none).
    ProbeScreen *MakeScreen(const char *name, const char *script = nullptr);
    // A plain component appended to the screen's set.
    UIComp *AddComp(Screen *screen, const char *name, float x, float y, float w, float h);
    // Runs a text in the screen's Lua state and sets the callback flags it defines.
    void Script(Screen *screen, const char *text);
    // Runs the screen manager's update n times with dt each.
    void Steps(int n, float dt);
    // Queued platform events into the engine, then one engine frame (16 ms).
    void PumpFrame();
    std::vector<ProbeScreen *> screens_;
    bool ui_started_ = false;
};

}  // namespace uitest

#endif
