// The controls' state and the rules that act on entities: selection, primary targets,
// pick-ups, the per-frame update and the references a returning pool record drops.
// Events are read in controls-events.cpp, the overlay drawn in controls-draw.cpp.
#include "game/controls.h"

#include "app/services/audioman.h"
#include "app/services/featureman.h"
#include "app/services/profiles.h"
#include "app/services/prog.h"
#include "app/services/small-maths.h"
#include "app/ui/partfx.h"
#include "game/entities/entity.h"
#include "game/entities/move-path.h"
#include "game/entities/powerups.h"
#include "game/entities/stock.h"
#include "game/entities/weapons.h"
#include "game/game-util.h"
#include "game/gamestate.h"
#include "game/scape.h"

#include <cmath>
#include <cstring>

Controls controls;
vec2_t p_hover = {100.0f, 100.0f};

namespace {

// Troopers the per-trooper rules look at, as the squad never holds more.
const int MAX_TROOPERS = 16;

float SelectionRadius()
{
    return feature_man.ProductFeatureExists("SMALL_SCREEN") ? 60.0f : 30.0f;
}

bool ProfileHasFeature(const char *name)
{
    return prof != nullptr && prof->TagExists("features", name);
}

}  // namespace

Controls::Controls()
{
    targets.SetShrink(true);
    Reset();
    input_flags = 0;
    stick_radius = 50.0f;
    stick_margin = 20.0f;
    stick_centre[0] = stick_centre[1] = vec2_t{0.0f, 0.0f};
    for (int i = 0; i < 9; i++)
        calibration[i] = (i % 4 == 0) ? 1.0f : 0.0f;
}

Controls::~Controls() = default;

void Controls::Init(int flags)
{
    input_flags = flags;
    stick_radius = 50.0f;
    stick_margin = 20.0f;
    const float w = (float)prog.parms.width;
    const float h = (float)prog.parms.height;
    stick_centre[0] = vec2_t{50.0f, h - 50.0f};
    stick_centre[1] = vec2_t{w - 50.0f, h - 50.0f};
    for (int i = 0; i < 9; i++)
        calibration[i] = (i % 4 == 0) ? 1.0f : 0.0f;
    Reset();
}

void Controls::Reset()
{
    for (int i = 0; i < CONTROLS_MAX_TOUCHES; i++) {
        selection[i] = Selection{nullptr, 0.0f, 0.0f};
        touch_pos[i] = vec2_t{0.0f, 0.0f};
        touch_pressed[i] = 0;
    }
    for (int i = 0; i < 2; i++) {
        stick_output[i] = vec2_t{0.0f, 0.0f};
        stick_held[i] = 0;
    }
    targets.Clear();
    tilt = vec2_t{0.0f, 0.0f};
    for (int i = 0; i < 3; i++)
        accel_raw[i] = accel_calibrated[i] = 0.0f;
    touch_active = 0;
    target_toggled = 0;
    hover = vec2_t{-100.0f, -100.0f};
}

bool Controls::TrySelectEntity(vec2_t world, int touch)
{
    Scape *w = GetScape();
    if (w == nullptr || touch < 0 || touch >= CONTROLS_MAX_TOUCHES)
        return false;
    Entity *e = w->GetNearestEntityInFriendGroup(world, SelectionRadius(), Entity::MOVABLE, Entity::PLAYERS);
    Selection &s = selection[touch];
    s.entity = e;
    if (e == nullptr)
        return false;
    s.grab_x = e->pos.x - world.x;
    s.grab_y = e->pos.y - world.y;
    e->select_time = game.game_clock;
    if (w->stock != nullptr)
        SpawnTopEffect(w, w->stock->fx_selector, e->pos);
    if (e->path == nullptr)
        e->path = new MovePath();
    e->path_pos = 0.0f;
    e->path->held = true;
    e->path->Reset();
    e->path->AddPoint(e->pos);
    return true;
}

bool Controls::IsMarkedTarget(Entity *e) const
{
    for (int i = 0; e != nullptr && i < targets.Count(); i++)
        if (targets[i].entity == e)
            return true;
    return false;
}

void Controls::RemoveTargetMarker(Entity *e)
{
    for (int i = targets.Count() - 1; i >= 0; i--)
        if (targets[i].entity == e)
            targets.Remove(i);
}

bool Controls::TryAssignPrimaryTarget(vec2_t world)
{
    Scape *w = GetScape();
    if (w == nullptr || game.parms.game_mode == GAME_MODE_COLLECTOR || !ProfileHasFeature("PRIMARY_TARGET"))
        return false;
    Entity *enemy = w->GetNearestEntityInFriendGroup(world, SelectionRadius(), Entity::NORMAL, Entity::ENEMIES);
    Entity *troopers[MAX_TROOPERS];
    if (!target_toggled && enemy != nullptr && IsMarkedTarget(enemy)) {
        int n = w->QueryLivingEntitiesInFriendGroup(Entity::MOVABLE, Entity::PLAYERS, troopers, MAX_TROOPERS);
        for (int i = 0; i < n; i++)
            if (troopers[i]->target == enemy)
                troopers[i]->target = nullptr;
        if (w->stock != nullptr)
            SpawnTopEffect(w, w->stock->fx_target_removed, enemy->pos);
        RemoveTargetMarker(enemy);
        target_toggled = 1;
        return true;
    }
    if (enemy == nullptr || target_toggled)
        return false;
    game.SetTutorialCompleted("TARGETING");
    targets.InsertLast(TargetMarker{enemy, 0.0f});
    aman.PlaySound(ov->OV_GetSound("sfx/targeting"), 1.0f, 0.0f, 1.0f);
    target_toggled = 1;
    if (w->stock != nullptr)
        SpawnTopEffect(w, w->stock->fx_target, enemy->pos);
    int n = w->QueryLivingEntitiesInFriendGroup(Entity::MOVABLE, Entity::PLAYERS, troopers, MAX_TROOPERS);
    for (int i = 0; i < n; i++) {
        Entity *t = troopers[i];
        if (t->weapon == nullptr)
            continue;
        for (int j = 0; j < targets.Count(); j++) {
            Entity *marked = targets[j].entity;
            if (marked != nullptr && Distance(marked->pos, t->pos) < t->weapon->projectile_range) {
                t->target = enemy;
                break;
            }
        }
    }
    return true;
}

bool Controls::TryPickStuff(vec2_t world)
{
    Scape *w = GetScape();
    if (w == nullptr)
        return false;
    Entity *pickup = w->GetNearestEntityInFriendGroup(world, 500.0f, Entity::POWERUP, Entity::PLAYERS);
    // A pick-up younger than a second would be refused by its power-up and then lost.
    if (pickup == nullptr || !pickup->IsAlive() || pickup->age < 1.0f)
        return false;
    if (pickup->powerup != nullptr)
        pickup->powerup->Activate(pickup, nullptr);
    w->KillEntity(pickup, nullptr, false);
    return true;
}

void Controls::Update(float dt)
{
    Scape *w = GetScape();
    if (w != nullptr) {
        Entity *troopers[MAX_TROOPERS];
        int n = w->QueryLivingEntitiesInFriendGroup(Entity::MOVABLE, Entity::PLAYERS, troopers, MAX_TROOPERS);
        for (int i = 0; i < n; i++) {
            Entity *t = troopers[i];
            t->highlight += IsEntitySelected(t) ? 3.0f * dt : -2.0f * dt;
            t->highlight = fminf(fmaxf(t->highlight, 0.0f), 4.0f);
            if (t->path != nullptr)
                t->path->Update(dt);
        }
    }
    for (int i = targets.Count() - 1; i >= 0; i--) {
        TargetMarker &m = targets[i];
        m.age = fminf(m.age + 2.0f * dt, 1.0f);
        if (m.entity == nullptr || !m.entity->IsAlive())
            targets.Remove(i);
    }
    if (input_flags & CONTROLS_ACCELEROMETER) {
        for (int i = 0; i < 3; i++)
            accel_raw[i] = ov->OV_GetKeyStatef(1610 + i);
        if (w != nullptr && w->config.use_calibration) {
            for (int r = 0; r < 3; r++)
                accel_calibrated[r] = calibration[3 * r] * accel_raw[0] + calibration[3 * r + 1] * accel_raw[1] +
                                      calibration[3 * r + 2] * accel_raw[2];
            tilt = vec2_t{-accel_calibrated[1], accel_calibrated[0]};
        } else {
            tilt = vec2_t{-accel_raw[1], -accel_raw[0]};
        }
    }
    for (int i = 0; i < 2; i++) {
        if (!stick_held[i]) {
            stick_output[i].x *= 0.9f;
            stick_output[i].y *= 0.9f;
        }
    }
}

bool Controls::IsEntitySelected(Entity *e) const
{
    for (int i = 0; e != nullptr && i < CONTROLS_MAX_TOUCHES; i++)
        if (selection[i].entity == e)
            return true;
    return false;
}

void Controls::UnselectEntity(Entity *e)
{
    for (int i = 0; e != nullptr && i < CONTROLS_MAX_TOUCHES; i++)
        if (selection[i].entity == e)
            UnselectEntity(i);
}

void Controls::UnselectEntity(int slot)
{
    if (slot < 0 || slot >= CONTROLS_MAX_TOUCHES)
        return;
    Entity *e = selection[slot].entity;
    if (e != nullptr && e->path != nullptr)
        e->path->held = false;
    selection[slot] = Selection{nullptr, 0.0f, 0.0f};
}

Entity *Controls::GetSomeSelectedEnt() const
{
    for (int i = 0; i < CONTROLS_MAX_TOUCHES; i++)
        if (selection[i].entity != nullptr)
            return selection[i].entity;
    return nullptr;
}

Entity *Controls::GetSelectedEnt(int slot) const
{
    if (slot < 0 || slot >= CONTROLS_MAX_TOUCHES)
        return nullptr;
    return selection[slot].entity;
}

void Controls::ForgetEntity(Entity *e)
{
    if (e == nullptr)
        return;
    // The record's path is released with it: the slot is emptied without touching it.
    for (int i = 0; i < CONTROLS_MAX_TOUCHES; i++)
        if (selection[i].entity == e)
            selection[i] = Selection{nullptr, 0.0f, 0.0f};
    RemoveTargetMarker(e);
}
