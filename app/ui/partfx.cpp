// The particle effect library: loading effect files into chains of bursts under the
// "PART_FX_LOAD" lock, and spawning them into particle systems (see partfx.h). The
// effect-file functions are in partfx-script.cpp.
#include "app/ui/partfx.h"

#include "app/services/audioman.h"
#include "app/services/luaman-builtins.h"
#include "app/services/luaman.h"
#include "app/services/random.h"
#include "ovrecords.h"

#include <math.h>
#include <stdlib.h>
#include <string.h>

PartBurstMan pbman;
fx_t *ed_part_burst = nullptr;
PartBurstMan *ed_part_burs_man = nullptr;

namespace {

// The engine mutex, taken once per thread however deeply loads nest.
thread_local int lock_depth = 0;
// Set while this thread runs an effect file: a new file is not loaded meanwhile, as
// its slots would land inside the chain being built.
thread_local const char *running_file = nullptr;

// Trails spawn at most this many times (a tiny step would otherwise loop for ever).
const int kMaxTrailSpawns = 65536;

class FxLock {
public:
    FxLock()
    {
        if (lock_depth++ == 0) {
            mutex_ = ov->OV_GetMutex("PART_FX_LOAD");
            ov->OV_LockMutex(mutex_);
        }
    }
    ~FxLock()
    {
        if (--lock_depth == 0)
            ov->OV_UnlockMutex(mutex_);
    }
    FxLock(const FxLock &) = delete;
    FxLock &operator=(const FxLock &) = delete;

private:
    ov_mutex_t *mutex_ = nullptr;
};

// A uniform value between a and b; a spread s gives one between -s/2 and s/2.
float Uniform(float a, float b)
{
    return (float)(a + (b - a) * (AppRandom() / 32767.0));
}
float Uniform(const fx_range_t &r)
{
    return Uniform(r.min, r.max);
}
float Spread(float s)
{
    return Uniform(-s / 2, s / 2);
}
int Pick(int n)
{
    return AppRandom() % n;
}

void DefaultToOne(fx_range_t *r)
{
    if (r->min == 0 && r->max == 0)
        r->min = r->max = 1;
}

// A fresh burst: white, emitting by time, everything else 0 or none.
void PrepareBurst(fx_t *fx, const char *name)
{
    fx->name = strdup(name);
    for (int i = 0; i < 3; i++)
        fx->color_min[i] = fx->color_max[i] = 1;
    fx->emit_by_time = 1;
}

// The built-ins "CacheFX", "SpawnFX" and "ReloadFxs".
void CacheFromScript(const char *file)
{
    pbman.GetFX(file);
}
void SpawnFromScript(const char *file, float x, float y, float p, float q)
{
    pbman.SpawnFX(&pman, pbman.GetFX(file), vec2_t{x, y}, p, q);
}
void ReloadFromScript()
{
    pbman.ReloadAllFXs();
}
const LuaEffectCalls kScriptCalls = {CacheFromScript, SpawnFromScript, ReloadFromScript};

}  // namespace

PartBurstMan::~PartBurstMan()
{
    for (int i = 0; i < num_slots_; i++)
        FreeSlot(&slots_[i]);
    for (int i = 0; i < num_death_funcs_; i++)
        free(death_funcs_[i].name);
    if (lua_)
        lua_close(lua_);
}

void PartBurstMan::Init()
{
    {
        FxLock hold;
        if (!lua_)
            lua_ = lua_man.OpenStandaloneLuaState();
        if (lua_)
            RegisterEffectFileFunctions(lua_);
    }
    LuaSetEffectCalls(&kScriptCalls);
    for (int i = 0; i < num_death_funcs_; i++)
        free(death_funcs_[i].name);
    memset(death_funcs_, 0, sizeof death_funcs_);
    num_death_funcs_ = 0;
}

void PartBurstMan::Shutdown()
{
    LuaSetEffectCalls(nullptr);
    FxLock hold;
    for (int i = 0; i < num_slots_; i++)
        FreeSlot(&slots_[i]);
    num_slots_ = 0;
    if (lua_)
        lua_close(lua_);
    lua_ = nullptr;
}

void PartBurstMan::FreeSlot(fx_t *fx)
{
    free(fx->name);
    free(fx->text);
    free(fx->shape_points);
    free(fx->emitter_name);
    memset(fx, 0, sizeof *fx);
}

void PartBurstMan::AddPartDeathFunc(const char *name, part_func_t func)
{
    if (num_death_funcs_ >= FX_MAX_DEATH_FUNCS) {
        ov->OV_Printf("PartBurstMan: Too many Part Death Funcs registered, not using '%s'\n", name ? name : "");
        return;
    }
    death_funcs_[num_death_funcs_].name = strdup(name ? name : "");
    death_funcs_[num_death_funcs_].func = func;
    num_death_funcs_++;
}

part_func_t PartBurstMan::GetPartDeathFunc(const char *name)
{
    if (!name)
        return nullptr;
    for (int i = 0; i < num_death_funcs_; i++)
        if (strcmp(death_funcs_[i].name, name) == 0)
            return death_funcs_[i].func;
    return nullptr;
}

fx_t *PartBurstMan::LoadFX(const char *name, bool addReferences, int cacheMode)
{
    FxLock hold;
    return LoadLocked(name, addReferences, cacheMode);
}

fx_t *PartBurstMan::GetFX(const char *name)
{
    FxLock hold;
    fx_t *fx = LoadLocked(name, false, 4);
    if (fx && !fx->references_taken) {
        fx->references_taken = 1;
        IncreaseAssetReferenceCounts(fx);
    }
    return fx;
}

// Caller holds the lock.
fx_t *PartBurstMan::LoadLocked(const char *name, bool addReferences, int cacheMode)
{
    if (!name)
        return nullptr;
    for (int i = 0; i < num_slots_; i++) {
        if (slots_[i].name && strcmp(slots_[i].name, name) == 0) {
            if (addReferences && cacheMode != 0)
                IncreaseAssetReferenceCounts(&slots_[i]);
            return &slots_[i];
        }
    }
    if (running_file) {
        ov->OV_PrintDebugf(1, "PartBurstMan: not loading '%s' while the effect '%s' runs.\n", name, running_file);
        return nullptr;
    }
    if (num_slots_ >= FX_MAX_SLOTS) {
        ov->OV_Printf("Particle effect table full, not loading '%s'.\n", name);
        return nullptr;
    }
    cache_mode_ = cacheMode;
    fx_t *fx = &slots_[num_slots_++];
    ov->OV_Printf("..caching particle burst '%s'\n", name);
    fx->name = strdup(name);
    if (name[0] == '!')
        return fx;
    free(fx->name);
    PrepareBurst(fx, name);

    fx_t *saved_burst = ed_part_burst;
    PartBurstMan *saved_man = ed_part_burs_man;
    ed_part_burst = fx;
    ed_part_burs_man = this;
    running_file = fx->name;
    if (lua_)
        lua_man.ExecLuaFile(lua_, name);
    running_file = nullptr;
    ed_part_burst = saved_burst;
    ed_part_burs_man = saved_man;

    FinishChain(fx);
    return fx;
}

fx_t *PartBurstMan::NextChainedBurst(fx_t *current)
{
    if (!current || num_slots_ >= FX_MAX_SLOTS) {
        ov->OV_PrintDebugf(1, "Particle effect table full, the chain of '%s' ends here.\n",
                           running_file ? running_file : "");
        return nullptr;
    }
    current->chained = 1;
    fx_t *next = &slots_[num_slots_++];
    PrepareBurst(next, "&");
    return next;
}

// The defaults that need the whole file, and the emitter effects, for every burst of
// the chain. Caller holds the lock; no file runs on this thread.
void PartBurstMan::FinishChain(fx_t *first)
{
    for (fx_t *fx = first;; fx++) {
        DefaultToOne(&fx->sound_volume);
        DefaultToOne(&fx->sound_freq);
        DefaultToOne(&fx->scale);
        DefaultToOne(&fx->alpha);
        DefaultToOne(&fx->dampening);
        if (fx->alpha_graph.count <= 0)
            fx->alpha_graph = graph_linear_1_0;
        if (fx->scale_graph.count <= 0)
            fx->scale_graph = graph_constant1;
        if (fx->emitter_name) {
            char *emitter = fx->emitter_name;
            fx->emitter_name = nullptr;
            fx->emitter_fx = GetFX(emitter);
            free(emitter);
        }
        if (!fx->chained || fx + 1 >= slots_ + num_slots_)
            break;
    }
}

void PartBurstMan::IncreaseAssetReferenceCounts(fx_t *fx)
{
    for (; fx; fx = fx->chained ? fx + 1 : nullptr)
        for (int i = 0; i < fx->num_bitmaps; i++)
            if (fx->bitmaps[i] && fx->bitmaps[i]->name)
                ov->OV_LoadBitmap(fx->bitmaps[i]->name, 4);
}

void PartBurstMan::DecreaseAssetReferenceCounts(fx_t *fx)
{
    for (; fx; fx = fx->chained ? fx + 1 : nullptr)
        for (int i = 0; i < fx->num_bitmaps; i++)
            if (fx->bitmaps[i])
                ov->OV_ReleaseBitmap(fx->bitmaps[i]);
}

int PartBurstMan::GetNumberOfSlots()
{
    FxLock hold;
    return num_slots_;
}

fx_t *PartBurstMan::GetSlot(int index)
{
    FxLock hold;
    return index >= 0 && index < num_slots_ ? &slots_[index] : nullptr;
}

void PartBurstMan::ReloadAllFXs()
{
    FxLock hold;
    if (running_file)
        return;
    int count = num_slots_;
    fx_t *old = (fx_t *)malloc(sizeof(fx_t) * (count > 0 ? count : 1));
    if (!old)
        return;
    memcpy(old, slots_, sizeof(fx_t) * count);
    memset(slots_, 0, sizeof slots_);
    num_slots_ = 0;
    // Chained bursts ("&") come back with the first burst of their effect.
    for (int i = 0; i < count; i++)
        if (old[i].name && strcmp(old[i].name, "&") != 0)
            GetFX(old[i].name);
    for (int i = 0; i < count; i++)
        FreeSlot(&old[i]);
    free(old);
}

void PartBurstMan::SpawnFX(PartMan *system, fx_t *fx, vec2_t position, float angle, float delay)
{
    if (!system)
        return;
    for (; fx; fx = fx->chained ? fx + 1 : nullptr) {
        if (fx->num_sounds > 0) {
            ov_sound_t *sound = fx->sounds[Pick(fx->num_sounds)];
            float volume = Uniform(fx->sound_volume);
            float freq = Uniform(fx->sound_freq);
            aman.PlaySound(sound, volume, 0, freq);
        }
        bool text = fx->text && fx->font;
        if (!text && fx->num_bitmaps <= 0)
            continue;  // nothing to draw the particles with
        float rs = system->reference_scale;
        for (int n = 0; n < fx->num_parts; n++) {
            part_t *p = system->GetFreePart();
            if (PartMan::IsThrowaway(p))
                break;  // the pool is full: the rest would be dropped as well
            free(p->text);
            p->text = nullptr;
            if (text) {
                p->font = fx->font;
                p->text = strdup(fx->text);
                p->bitmap = nullptr;
                p->draw_func = PMAN_Draw_Text;
            } else {
                p->bitmap = fx->bitmaps[Pick(fx->num_bitmaps)];
                p->font = nullptr;
                p->draw_func = PMAN_Draw_Normal;
            }
            p->r = Uniform(fx->color_min[0], fx->color_max[0]);
            p->g = Uniform(fx->color_min[1], fx->color_max[1]);
            p->b = Uniform(fx->color_min[2], fx->color_max[2]);
            p->a = 1;
            p->alpha = Uniform(fx->alpha);
            p->scale = Uniform(fx->scale);
            p->dampening = Uniform(fx->dampening);
            p->death_func = fx->death_func;

            float x = position.x + fx->pos_offset_x, y = position.y + fx->pos_offset_y;
            if (fx->inner_bitmap && fx->num_inner_points > 0) {
                part_point_t at;
                if (GetInnerPoint(fx->inner_bitmap, Pick(fx->num_inner_points), &at)) {
                    x += at.x;
                    y += at.y;
                }
            }
            if (fx->shape_points && fx->num_shape_points > 0) {
                const part_point_t &at = fx->shape_points[Pick(fx->num_shape_points)];
                x += at.x;
                y += at.y;
            }
            if (fx->emitter_fx) {
                p->emitter_fx = fx->emitter_fx;
                p->emit_interval = fx->emit_interval;
                p->emit_countdown = 0;
                p->emit_by_time = fx->emit_by_time;
            }
            x += Spread(fx->area_w);
            y += Spread(fx->area_h);
            float place = angle + fx->move_angle + fx->area_angle + Spread(fx->area_angle_spread);
            float radius = Uniform(fx->area_radius);
            x += cosf(place) * radius;
            y += sinf(place) * radius;

            p->start_angle = angle + fx->rot_angle + Spread(fx->rot_spread);
            p->end_angle = p->start_angle + Uniform(fx->rot_over_life);

            float dir = angle + fx->move_angle + Spread(fx->move_spread);
            float move = Uniform(fx->init_move);
            x += cosf(dir) * move;
            y += sinf(dir) * move;
            float speed = Uniform(fx->speed);
            p->vx = cosf(dir) * speed;
            p->vy = sinf(dir) * speed;

            p->age = Uniform(fx->age) - delay;
            p->mass = Uniform(fx->mass);
            p->lifetime = Uniform(fx->lifetime);
            p->alpha_graph = &fx->alpha_graph;
            p->scale_graph = &fx->scale_graph;
            p->blend_mode = fx->blend_mode;
            p->trail_x = p->trail_y = p->trail_width = p->trail_alpha = 0;

            if (rs != 1.0f) {
                x = position.x + (x - position.x) * rs;
                y = position.y + (y - position.y) * rs;
                p->vx *= rs;
                p->vy *= rs;
                p->scale *= rs;
                p->mass *= rs;
                if (p->emitter_fx && !p->emit_by_time)
                    p->emit_interval *= rs;
            }
            p->x = x;
            p->y = y;
        }
    }
}

void PartBurstMan::SpawnFXTrail(PartMan *system, fx_t *fx, vec2_t from, vec2_t to, float delaySpan, float step,
                                float startDelay)
{
    if (!system || !fx || !(step > 0))
        return;
    float dx = to.x - from.x, dy = to.y - from.y;
    float d = sqrtf(dx * dx + dy * dy);
    if (!(d > 0))
        return;
    float angle = atan2f(dy, dx);
    if (d < step) {
        SpawnFX(system, fx, from, angle, startDelay);
        return;
    }
    if (d / step > kMaxTrailSpawns)
        step = d / kMaxTrailSpawns;
    int n = (int)(d / step);
    float increment = delaySpan / n;
    float ux = dx / d, uy = dy / d;
    for (int i = 0; i <= n; i++) {
        float along = i * step;
        if (!(along < d))
            break;
        SpawnFX(system, fx, vec2_t{from.x + ux * along, from.y + uy * along}, angle, startDelay + i * increment);
    }
}
