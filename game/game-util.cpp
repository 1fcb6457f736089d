// The game's small helpers: the uniform float draw, the particle-layer mapping of world
// points and the "GroundDecal" particle death function.
#include "game/game-util.h"

#include "app/services/random.h"
#include "app/ui/partfx.h"
#include "app/ui/parts.h"
#include "app/ui/screen-manager.h"
#include "game/scape.h"

float randf(float a, float b)
{
    return (float)((double)a + ((double)b - (double)a) * (double)AppRandom() / 32767.0);
}

vec2_t AdjustPosByAverageScale(vec2_t const &p)
{
    float sx = sman.reference_scale_x;
    float sy = sman.reference_scale_y;
    float m = (sx + sy) * 0.5f;
    if (!(m > 0.0f))
        return p;
    vec2_t out = {p.x * sx / m, p.y * sy / m};
    return out;
}

vec2_t UnadjustPosByAverageScale(vec2_t const &p)
{
    float sx = sman.reference_scale_x;
    float sy = sman.reference_scale_y;
    if (!(sx > 0.0f) || !(sy > 0.0f))
        return p;
    float m = (sx + sy) * 0.5f;
    vec2_t out = {p.x / sx * m, p.y / sy * m};
    return out;
}

void SpawnEffect(PartMan *layer, fx_t *fx, vec2_t world_pos, float angle)
{
    if (layer && fx)
        pbman.SpawnFX(layer, fx, AdjustPosByAverageScale(world_pos), angle, 0.0f);
}

void SpawnTopEffect(Scape *world, fx_t *fx, vec2_t world_pos, float angle)
{
    SpawnEffect(world ? world->top_parts : nullptr, fx, world_pos, angle);
}

// A curve's value at the end of life; a missing curve or one without points counts 1.
static float EndValue(const part_graph_t *graph)
{
    if (!graph || graph->count <= 0)
        return 1.0f;
    return PartGraphValue(graph, 1.0f);
}

void PMAN_func_death_Decal(part_t *part)
{
    Scape *world = GetScape();
    if (!world || !part)
        return;
    float alpha_end = EndValue(part->alpha_graph);
    float scale_end = EndValue(part->scale_graph);
    vec2_t at = {part->x, part->y};
    color_t color = {1.0f, 1.0f, 1.0f, part->alpha * alpha_end};
    world->AddDecal(part->bitmap, UnadjustPosByAverageScale(at), part->end_angle, scale_end * part->scale, color,
                    0);
}

bool NewsManager_PlayedEnoughToShowNews()
{
    return true;
}
