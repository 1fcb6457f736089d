// The emitter (type 7, "emitter." properties): a particle effect shown inside a screen.
// It owns a particle system of its own (a pool of 128 until an effect and an interval
// size it), emits its effect from the effect library at a fixed interval at its own
// origin, and draws the particles at its static position, dynamic scale and alpha.
// Not interactive. The screen draws it even when its box is out of view.
//
// The effect belongs to the library; its bitmap references are taken while the
// owning screen's bitmaps are applied and given back on leave.
#ifndef APP_UI_WIDGETS_UI_EMITTER_H
#define APP_UI_WIDGETS_UI_EMITTER_H

#include "app/ui/parts.h"
#include "app/ui/widgets/ui-comp-kind.h"

struct fx_t;

class UICompEmitter : public UICompKind<UICompEmitter, UICOMP_EMITTER, false> {
public:
    // Frees the particle pool (the particle system's own destructor).
    ~UICompEmitter() override = default;

    // Updates the particles; emits once the interval has run (only while active).
    void Update(float dt) override;
    // The particles with the origin at the static position.
    void Draw() override;
    // 2 takes the effect's bitmap references, 3 gives them back.
    void ApplyCacheMode(int mode) override;
    // The interval follows the cursor across the program screen.
    void EditUpdate(float dt) override;
    void ExportOwn(FILE *f, const UICompEmitter &t);
    int GetOwnProperty(const char *name, lua_State *L);
    int SetOwnProperty(const char *name, lua_State *L);
    void InheritOwn(const UICompEmitter &t);

    // Stores the effect (moving its references while the screen's bitmaps are applied)
    // and sizes the pool for it.
    virtual void SetFX(fx_t *effect);
    // Pool size from the effect's bursts, their lifetimes and the interval; only with
    // an effect and an interval above 0, and only when not every slot is alive.
    virtual void RescaleParticleSystem();
    // The pool size RescaleParticleSystem would choose; 0 without an effect or a
    // positive interval.
    int RequiredPoolSize() const;
    // Runs Update(0.05) for whole 0.05 s steps until `seconds` are covered (at least one
    // step, at most 12000).
    void Presimulate(float seconds);

    fx_t *fx = nullptr;
    PartMan particles{128};
    float time_interval = 0.0f;
    float emit_timer = 0.0f;
    float initial_simulation_time = 0.0f;
};

#endif
