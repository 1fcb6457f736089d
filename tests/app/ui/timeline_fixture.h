// The timeline's tests on the headless engine: the screen framework started (ui_fixture.h)
// with the frames driven by the test (fixed time steps), an active profile, the
// timeline's and the game registry's script functions, fixture timelines written as
// XML databases, popups captured as formatted, and product features and the engine's
// thread start replaceable per test.
#ifndef TEST_APP_UI_TIMELINE_FIXTURE_H
#define TEST_APP_UI_TIMELINE_FIXTURE_H

#include "tests/app/ui/ui_fixture.h"

#include "app/ui/timeline-transition.h"
#include "app/ui/timeline.h"

#include <string>
#include <vector>

namespace timelinetest {

// Every popup since the test started, formatted.
extern std::vector<std::string> popups;
int CountPopups(const std::string &text);

// A rectangle component as a UI script; colour as "r, g, b".
std::string Rect(const char *name, int x, int y, int w, int h, const char *rgb);

class TimelineTest : public uitest::UITest {
protected:
    void SetUp() override;
    void TearDown() override;
    // Writes "<file>" as a database with the array "timeline" holding the nodes (XML
    // node elements, one a line) and loads it.
    void LoadTimeline(const char *file, const std::string &nodes);
    // The product features the engine reports (null for none).
    void SetFeatures(const char *features);
    // One frame: the screen manager's update with dt, then an engine frame (drawing and
    // the frame tail that uploads bitmaps).
    void Frame(float dt);
    // Frames of dt until the transition screen has left the stack (at most max_frames;
    // a short sleep between frames lets the loader thread run); false when it has not.
    bool RunTransition(float dt = 0.05f, int max_frames = 400);
    // Takes the transition screen off the stack at once (checks that refill it).
    void Unstack();
    // A Lua state with every registered function; freed by TearDown.
    lua_State *Lua();
    std::string LuaString(const char *expression);
    lua_State *L_ = nullptr;
};

}  // namespace timelinetest

#endif
