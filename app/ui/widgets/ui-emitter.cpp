// The emitter (see ui-emitter.h).
#include "app/ui/widgets/ui-emitter.h"

#include "app/services/luaman.h"

#include "app/ui/partfx.h"
#include "app/ui/screen-manager.h"
#include "app/ui/screen.h"
#include "app/ui/ui-comps-internal.h"
#include "app/ui/uiset.h"

#include <lua.hpp>
#include <math.h>
#include <string.h>

namespace {

const int kMaxBurstSlots = 1536;
const float kPresimulationStep = 0.05f;
const int kMaxPresimulationSteps = 12000;

}  // namespace

void UICompEmitter::SetFX(fx_t *effect)
{
    if (owner && owner->ui && owner->ui->cache_applied) {
        if (fx)
            pbman.DecreaseAssetReferenceCounts(fx);
        if (effect)
            pbman.IncreaseAssetReferenceCounts(effect);
    }
    fx = effect;
    RescaleParticleSystem();
}

int UICompEmitter::RequiredPoolSize() const
{
    if (!fx || !(time_interval > 0.0f))
        return 0;
    int total = 0;
    for (const fx_t *b = fx; b; b = b->chained ? b + 1 : nullptr) {
        const float span = fmaxf(b->lifetime.min, b->lifetime.max) - fminf(b->age.min, b->age.max);
        // Limited as a double before it becomes an int: a tiny interval or a huge
        // span would overflow the conversion.
        double emissions = (double)span / (double)time_interval;
        emissions = emissions == emissions ? fmin(fmax(emissions, -1e7), 1e7) : 0.0;
        double count = ((double)b->num_parts + 1.0) * (1.0 + trunc(emissions));
        if (!(count >= 1.0))
            count = 1.0;
        if (count > kMaxBurstSlots)
            count = kMaxBurstSlots;
        total += (int)count;
    }
    return total;
}

void UICompEmitter::RescaleParticleSystem()
{
    const int needed = RequiredPoolSize();
    if (needed <= 0)
        return;   // no effect, or no interval to size for: the pool stays
    if (particles.GetPoolSize() > particles.GetLiveCount())
        particles.InitParts(needed);
}

void UICompEmitter::Presimulate(float seconds)
{
    if (!(seconds > 0.0f))
        return;
    double steps = ceil((double)seconds / kPresimulationStep - 1e-4);
    if (steps < 1.0)
        steps = 1.0;
    if (steps > kMaxPresimulationSteps)
        steps = kMaxPresimulationSteps;
    for (int i = 0; i < (int)steps; i++)
        Update(kPresimulationStep);
}

void UICompEmitter::Update(float dt)
{
    particles.UpdateParts(dt);
    if (time_interval > 0.0f && IsActive()) {
        emit_timer += dt;
        if (emit_timer >= time_interval) {
            emit_timer -= time_interval;
            // Placed at the origin, already aged by the time since the emission moment.
            if (fx)
                pbman.SpawnFX(&particles, fx, {0.0f, 0.0f}, angle, -emit_timer);
        }
    }
    cycle_time += dt;
    if (cycle_time >= 1.0f)
        cycle_time -= 1.0f;
}

void UICompEmitter::Draw()
{
    CalculateDynamicScale();
    const float ds = dynamic_scale != 0.0f ? dynamic_scale : 1.0f;
    const vec2_t s = GetStaticPos();
    particles.scale = dynamic_scale;
    particles.alpha = GetStaticAlpha();
    particles.cam_x = -s.x / ds;
    particles.cam_y = -s.y / ds;
    particles.DrawParts();
}

void UICompEmitter::ApplyCacheMode(int mode)
{
    if (!fx)
        return;
    if (mode == 2)
        pbman.IncreaseAssetReferenceCounts(fx);
    else if (mode == 3)
        pbman.DecreaseAssetReferenceCounts(fx);
}

void UICompEmitter::EditUpdate(float)
{
    const int w = uiview::ProgramW();
    if (w > 0)
        time_interval = 2.0f * mpos.x / (float)w;
}

void UICompEmitter::ExportOwn(FILE *f, const UICompEmitter &t)
{
    if (fx && fx != t.fx)
        WriteLuaPropertyText(f, "emitter.fx", fx->name ? fx->name : "");
    if (time_interval != t.time_interval)
        fprintf(f, "SetProperty (\"emitter.time_interval\", \"%g\");\n", time_interval);
    if (initial_simulation_time != t.initial_simulation_time)
        fprintf(f, "SetProperty (\"emitter.initial_simulation_time\", \"%g\");\n", initial_simulation_time);
}

int UICompEmitter::GetOwnProperty(const char *prop, lua_State *L)
{
    if (strcmp(prop, "emitter.fx") == 0)
        lua_pushstring(L, fx && fx->name ? fx->name : "");
    else if (strcmp(prop, "emitter.time_interval") == 0)
        lua_pushnumber(L, time_interval);
    else if (strcmp(prop, "emitter.initial_simulation_time") == 0)
        lua_pushnumber(L, initial_simulation_time);
    else if (strcmp(prop, "emitter.cam_x") == 0)
        lua_pushnumber(L, particles.cam_x);
    else if (strcmp(prop, "emitter.cam_y") == 0)
        lua_pushnumber(L, particles.cam_y);
    else {
        ov->OV_Popupf(1, "UICompEmitter::GetProperty: Unknown Property '%s'\n", prop);
        return 0;
    }
    return 1;
}

int UICompEmitter::SetOwnProperty(const char *prop, lua_State *L)
{
    if (strcmp(prop, "emitter.fx") == 0) {
        const char *file = lua_type(L, 2) == LUA_TSTRING ? lua_tostring(L, 2) : nullptr;
        SetFX(file ? pbman.LoadFX(file, true, 0) : nullptr);
    } else if (strcmp(prop, "emitter.time_interval") == 0) {
        time_interval = LuaToFloat(L, 2);
        RescaleParticleSystem();
    } else if (strcmp(prop, "emitter.initial_simulation_time") == 0) {
        initial_simulation_time = LuaToFloat(L, 2);
        Presimulate(initial_simulation_time);
    } else if (strcmp(prop, "emitter.cam_x") == 0) {
        particles.cam_x = LuaToFloat(L, 2);
    } else if (strcmp(prop, "emitter.cam_y") == 0) {
        particles.cam_y = LuaToFloat(L, 2);
    } else if (strcmp(prop, "emitter.cam") == 0) {
        particles.cam_x = LuaToFloat(L, 2);
        particles.cam_y = LuaToFloat(L, 3);
    } else {
        ov->OV_Popupf(1, "UICompEmitter::SetProperty: Unknown Property '%s'\n", prop);
    }
    return 0;
}

void UICompEmitter::InheritOwn(const UICompEmitter &t)
{
    fx = t.fx;
    time_interval = t.time_interval;
    initial_simulation_time = t.initial_simulation_time;
}
