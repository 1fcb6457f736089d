// The component tests' set-up: the engine on the headless device with the
// application's record (app_engine_fixture.h), the scripting manager, the product
// features and the screen manager started with a reference layout of 800 x 600, and
// helpers that run UI scripts into a test screen's set.
#ifndef TEST_APP_UI_COMP_FIXTURE_H
#define TEST_APP_UI_COMP_FIXTURE_H

#include "app/ui/screen.h"
#include "app/ui/ui-comps.h"
#include "tests/app/services/app_engine_fixture.h"

#include <string>

struct lua_State;

namespace comptest {

// Places the virtual screen directly (corner, size, scales against 800 x 600) without
// the screen manager's resize notifications.
void SetView(float x, float y, int w, int h);

class CompTest : public apptest::AppEngineTest {
protected:
    // Starts the engine on a display of 800 x 600 and the services; `templates` is
    // written as "ui/templates.lua" first when not empty.
    void StartUI(const std::string &templates = "");
    void TearDown() override;
    // A registered, preloaded screen of that name whose set is built from the script
    // (written as "ui/<name>.lua"). Freed by TearDown.
    Screen *MakeScreen(const char *name, const std::string &script);
    // Runs a text in the set's Lua state; false when it does not compile.
    bool Run(UISet *set, const std::string &text);
    // The first value a Lua expression gives in the set's state, as a string ("nil"
    // for nil, "true"/"false" for booleans, "%.14g" for numbers).
    std::string Eval(UISet *set, const std::string &expression);
    std::string Eval(lua_State *L, const std::string &expression);
    bool ui_started_ = false;
};

}  // namespace comptest

#endif
