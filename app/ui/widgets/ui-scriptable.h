// The scriptable component (type 8, "scriptable." properties): behaviour written as a
// Lua script of its own, run in a Lua state of its own whose user pointer is the UI
// set that created the component, so that the script functions act on that set. The
// script may define OnCreate, OnDelete, OnClick, OnKeyPress, OnUpdate and OnDraw; the
// component calls those that exist (OnDelete never). Not interactive by default.
//
// A script replaced from inside one of its own calls takes effect when that call has
// returned (its state is still running until then).
#ifndef APP_UI_WIDGETS_UI_SCRIPTABLE_H
#define APP_UI_WIDGETS_UI_SCRIPTABLE_H

#include "app/ui/widgets/ui-comp-kind.h"

enum {
    UISCRIPT_ON_CREATE = 1,
    UISCRIPT_ON_DELETE = 2,
    UISCRIPT_ON_CLICK = 3,
    UISCRIPT_ON_KEY_PRESS = 4,
    UISCRIPT_ON_UPDATE = 5,
    UISCRIPT_ON_DRAW = 6,
    UISCRIPT_NUM_METHODS = 7,
};

class UICompScriptable : public UICompKind<UICompScriptable, UICOMP_SCRIPTABLE, false> {
public:
    // The UI set being built on this thread (null outside a script) becomes its set.
    UICompScriptable();
    // Closes the state and frees the script name.
    ~UICompScriptable() override;

    // Cycle timer, then OnUpdate(dt).
    void Update(float dt) override;
    // Colour state, then OnDraw(x, y) at the aligned position; draws nothing itself.
    void Draw() override;
    void EditUpdate(float dt) override;   // nothing
    void ExportOwn(FILE *f, const UICompScriptable &t);
    // A clone lives in the source's UI set (given before it runs the source's script
    // anew).
    void CopyToClone(UICompScriptable *clone) const;
    int GetOwnProperty(const char *name, lua_State *L);
    int SetOwnProperty(const char *name, lua_State *L);
    void InheritOwn(const UICompScriptable &t);
    // OnClick with this component as the set's current one; always taken (1).
    int ProcessClick() override;
    // OnKeyPress(key name) with this component as the set's current one: 1; without a
    // state or OnKeyPress: 0.
    int ProcessKey(int key) override;

    // Keeps a copy of the name, closes the current state, opens a new one, runs the
    // file in it (an empty name runs nothing), points the state at the UI set, finds
    // the methods and calls OnCreate.
    void SetScript(const char *file);
    void DetectMethodImplementations();
    bool IsMethodImplemented(int method) const;
    const char *GetScriptName() const { return script ? script : ""; }

    bool methods[UISCRIPT_NUM_METHODS] = {};
    lua_State *state = nullptr;
    char *script = nullptr;
    UISet *ui_set = nullptr;

private:
    // Calls are counted so that a script replaced during one waits for its end.
    void BeginCall() { calls_running_++; }
    void EndCall();
    int calls_running_ = 0;
    bool replace_pending_ = false;
    char *pending_script_ = nullptr;
};

#endif
