// Particle systems: curves, the pool with its live and free lists, spawning and the
// per-frame update (see parts.h). Drawing is in parts-draw.cpp, shapes in
// parts-shapes.cpp.
#include "app/ui/parts.h"

#include "app/ui/partfx.h"

#include <math.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

part_graph_t graph_linear_0_1;
part_graph_t graph_linear_1_0;
part_graph_t graph_constant1;
part_graph_t graph_smooth_fade;
part_graph_t graph_fade_in_out;

PartMan pman;

namespace {

// What a full pool hands out: in no list (its links point to itself), never updated
// nor drawn.
part_t throwaway;

void SetGraph(part_graph_t *g, const float *pairs, int count)
{
    memset(g, 0, sizeof *g);
    for (int i = 0; i < count; i++)
        g->points[i] = {pairs[2 * i], pairs[2 * i + 1]};
    g->count = count;
}

void SetUpSharedGraphs()
{
    static const float linear01[] = {0, 0, 1, 1};
    static const float linear10[] = {0, 1, 1, 0};
    static const float constant1[] = {0, 1};
    static const float smooth[] = {0, 0, 0.1f, 1, 1, 0};
    static const float inout[] = {0, 0, 0.1f, 1, 0.9f, 1, 1, 0};
    SetGraph(&graph_linear_0_1, linear01, 2);
    SetGraph(&graph_linear_1_0, linear10, 2);
    SetGraph(&graph_constant1, constant1, 1);
    SetGraph(&graph_smooth_fade, smooth, 3);
    SetGraph(&graph_fade_in_out, inout, 4);
}

}  // namespace

float PartGraphValue(const part_graph_t *graph, float t)
{
    if (!graph)
        return 1.0f;
    int count = graph->count < PART_GRAPH_MAX_POINTS ? graph->count : PART_GRAPH_MAX_POINTS;
    const part_graph_point_t *p = graph->points;
    if (count <= 1)
        return p[0].value;
    if (count == 2)
        return p[0].value * (1.0f - t) + p[1].value * t;
    for (int i = 0; i < count; i++) {
        if (p[i].t > t) {
            if (i == 0)
                return p[0].value;
            // Every point before i has t at or below the given t, so the span is positive.
            float f = (t - p[i - 1].t) / (p[i].t - p[i - 1].t);
            return p[i - 1].value + (p[i].value - p[i - 1].value) * f;
        }
    }
    return p[count - 1].value;
}

PartMan::PartMan() : PartMan(1536) {}

PartMan::PartMan(int n)
{
    memset(&live, 0, sizeof live);
    memset(&free_, 0, sizeof free_);
    live.next = live.prev = &live;
    free_.next = free_.prev = &free_;
    InitParts(n);
}

PartMan::~PartMan()
{
    FreeParts();
}

void PartMan::InitParts(int n)
{
    SetUpSharedGraphs();
    gravity_x = 0;
    gravity_y = 9.81f;
    FreeParts();
    if (n < 0)
        n = 0;
    pool = n > 0 ? (part_t *)calloc((size_t)n, sizeof(part_t)) : nullptr;
    pool_size = pool ? n : 0;
    ResetParts();
}

void PartMan::ResetParts()
{
    for (int i = 0; i < pool_size; i++)
        free(pool[i].text);
    if (pool)
        memset(pool, 0, sizeof(part_t) * (size_t)pool_size);
    live.next = live.prev = &live;
    free_.next = free_.prev = &free_;
    for (int i = 0; i < pool_size; i++)
        Link(&free_, &pool[i], false);
    live_count = 0;
}

void PartMan::ResetAndResizePool(int n)
{
    FreeParts();
    InitParts(n);
}

void PartMan::FreeParts()
{
    for (int i = 0; i < pool_size; i++)
        free(pool[i].text);
    free(pool);
    pool = nullptr;
    pool_size = 0;
    live_count = 0;
    live.next = live.prev = &live;
    free_.next = free_.prev = &free_;
}

void PartMan::Link(part_t *list, part_t *part, bool at_head)
{
    part_t *before = at_head ? list : list->prev;
    part->prev = before;
    part->next = before->next;
    before->next->prev = part;
    before->next = part;
}

void PartMan::Unlink(part_t *part)
{
    part->prev->next = part->next;
    part->next->prev = part->prev;
    part->next = part->prev = part;
}

bool PartMan::IsThrowaway(const part_t *part)
{
    return part == &throwaway;
}

part_t *PartMan::GetFreePart()
{
    if (free_.next == &free_) {
        free(throwaway.text);
        throwaway.text = nullptr;
        throwaway.next = throwaway.prev = &throwaway;
        throwaway.emitter_fx = nullptr;
        return &throwaway;
    }
    part_t *p = free_.next;
    Unlink(p);
    p->emitter_fx = nullptr;
    Link(&live, p, false);
    live_count++;
    return p;
}

void PartMan::KillPart(part_t *part)
{
    if (!part || IsThrowaway(part))
        return;
    Unlink(part);
    Link(&free_, part, true);
    free(part->text);
    part->text = nullptr;
    live_count--;
}

part_t *PartMan::SpawnPart(vec2_t pos, ov_bitmap_t *bitmap, float lifetime)
{
    part_t *p = GetFreePart();
    p->x = pos.x;
    p->y = pos.y;
    p->vx = p->vy = 0;
    p->age = 0;
    p->lifetime = lifetime;
    p->mass = 0;
    p->alpha = p->scale = p->dampening = 1;
    p->start_angle = p->end_angle = 0;
    p->alpha_graph = &graph_linear_1_0;
    p->scale_graph = &graph_constant1;
    p->r = p->g = p->b = p->a = 1;
    p->blend_mode = 0;
    p->death_func = nullptr;
    free(p->text);
    p->text = nullptr;
    p->bitmap = bitmap;
    p->font = nullptr;
    p->draw_func = PMAN_Draw_Normal;
    return p;
}

part_t *PartMan::SpawnPartTextf(vec2_t pos, ov_font_t *font, float lifetime, const char *format, ...)
{
    part_t *p = SpawnPart(pos, nullptr, lifetime);
    p->font = font;
    p->draw_func = PMAN_Draw_Text;
    if (!IsThrowaway(p) && format) {
        char text[1024];
        va_list args;
        va_start(args, format);
        vsnprintf(text, sizeof text, format, args);
        va_end(args);
        p->text = strdup(text);
    }
    return p;
}

part_t *PartMan::SpawnPartTrail(vec2_t pos, vec2_t tail, ov_bitmap_t *bitmap, float lifetime, float width,
                                float alphaFactor)
{
    part_t *p = SpawnPart(pos, bitmap, lifetime);
    p->trail_x = tail.x;
    p->trail_y = tail.y;
    p->trail_width = width;
    p->trail_alpha = alphaFactor;
    p->draw_func = PMAN_Draw_Trail;
    return p;
}

void PartMan::UpdateParts(float dt)
{
    part_t *p = live.next;
    while (p != &live) {
        p->age += dt;
        if (p->age < 0) {
            p = p->next;
            continue;
        }
        if (p->age > p->lifetime) {
            if (p->death_func)
                p->death_func(p);
            // Read after the death function: what it spawned was appended behind p.
            part_t *next = p->next;
            KillPart(p);
            p = next;
            continue;
        }
        p->vx += dt * p->mass * gravity_x;
        p->vy += dt * p->mass * gravity_y;
        float damp = powf(p->dampening, dt);
        p->vx *= damp;
        p->vy *= damp;
        float mx = dt * p->vx, my = dt * p->vy;
        p->x += mx;
        p->y += my;
        if (p->emitter_fx) {
            p->emit_countdown -= p->emit_by_time ? dt : sqrtf(mx * mx + my * my);
            if (p->emit_countdown <= 0) {
                p->emit_countdown += p->emit_interval;
                pbman.SpawnFX(this, p->emitter_fx, vec2_t{p->x, p->y}, atan2f(p->vy, p->vx), 0);
            }
        }
        p = p->next;
    }
}

void PartMan::ApplyReferenceScaleToPart(part_t *part)
{
    if (reference_scale == 1.0f)
        return;
    part->vx *= reference_scale;
    part->vy *= reference_scale;
    part->scale *= reference_scale;
    part->mass *= reference_scale;
}
