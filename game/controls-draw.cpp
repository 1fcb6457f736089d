// The controls' overlay over the entities (selection rings, target markers, the
// tactical indicators during the pause), the virtual joysticks and the accelerometer.
#include "game/controls.h"

#include "app/services/key-state.h"
#include "app/services/prog.h"
#include "app/services/small-maths.h"
#include "app/ui/screen-manager.h"
#include "game/entities/angles.h"
#include "game/entities/entity-ai.h"
#include "game/entities/entity-types.h"
#include "game/entities/entity.h"
#include "game/entities/stock.h"
#include "game/game-util.h"
#include "game/gamestate.h"
#include "game/scape.h"

#include <cmath>
#include <cstring>

namespace {

const int KEY_HOVER_READOUT = 89;  // 'Y'
const float TWO_PI = 6.2831853f;

vec2_t ScreenPointOf(Scape *world, vec2_t p)
{
    return AdjustPosByAverageScale(world->TranslatePointToScreenSpace(p));
}

bool IsBunker(const Entity &e)
{
    return e.type != nullptr && e.type->ai != nullptr && e.type->ai->name != nullptr &&
           strcmp(e.type->ai->name, "BaseBunker") == 0;
}

void DrawTacticalIndicators(Scape *world, Stock *stock)
{
    ov->OV_SetBlend(0);
    const uint32_t now = ov->OV_GetTime();
    for (int i = 0; i < stock->num_entities; i++) {
        Entity &e = stock->entities[i];
        if (e.type == nullptr || !e.IsAlive() || !(e.flags & Entity::NORMAL) || IsBunker(e))
            continue;
        if (e.friend_group == Entity::PLAYERS)
            ov->OV_SetColor(0.3f, 1.0f, 0.3f);
        else
            ov->OV_SetColor(1.0f, 0.2f, 0.2f);
        ov->OV_SetAlpha(0.9f);
        const uint32_t turn = (now + (uint32_t)(int)(e.random_phase * 2000.0f)) % 2000u;
        const float angle = TWO_PI * (float)turn / 2000.0f;
        const vec2_t s = ScreenPointOf(world, e.pos);
        ov->OV_DrawBitmapRS(stock->bm_tactic_indicator, s.x, s.y, angle, world->zoom * e.scale);
    }
    ov->OV_SetColor(1.0f, 1.0f, 1.0f);
    ov->OV_SetAlpha(1.0f);
}

// A unit vector, or zeros for a zero vector.
void Normalise3(float v[3])
{
    const float sq = v[0] * v[0] + v[1] * v[1] + v[2] * v[2];
    if (!(sq > 0.0f)) {
        v[0] = v[1] = v[2] = 0.0f;
        return;
    }
    const float k = FastInvSqrt(sq);
    for (int i = 0; i < 3; i++)
        v[i] *= k;
}

void Cross(const float a[3], const float b[3], float out[3])
{
    out[0] = a[1] * b[2] - a[2] * b[1];
    out[1] = a[2] * b[0] - a[0] * b[2];
    out[2] = a[0] * b[1] - a[1] * b[0];
}

}  // namespace

void Controls::Draw()
{
    Scape *world = GetScape();
    Stock *stock = world != nullptr ? world->stock : nullptr;
    ov->OV_SetAlpha(1.0f);
    if (stock == nullptr)
        return;
    if (prog.parms.developer_mode && KeyHeld(KEY_HOVER_READOUT))
        ov->OV_DrawTextf(stock->font_medium, 0.0f, 10.0f, "x %.2f  x %.0f\r\ny %.2f  y %.0f", p_hover.x / 1024.0f,
                         p_hover.x, p_hover.y / 768.0f, p_hover.y);
    if (input_flags & CONTROLS_TOUCH_COMMANDS) {
        ov->OV_SetColor(1.0f, 1.0f, 1.0f);
        ov->OV_SetBlend(0);
        for (int i = 0; i < CONTROLS_MAX_TOUCHES; i++) {
            Entity *e = selection[i].entity;
            if (e == nullptr || !e->IsAlive())
                continue;
            const vec2_t s = ScreenPointOf(world, e->pos);
            const float scale = world->zoom * e->scale * (3.0f - 2.0f * Clamp01(e->highlight));
            ov->OV_DrawBitmapRS(stock->bm_entity_selector, s.x, s.y, 0.0f, scale);
        }
        for (int i = 0; i < targets.Count(); i++) {
            Entity *e = targets[i].entity;
            if (e == nullptr || !e->IsAlive())
                continue;
            const vec2_t s = ScreenPointOf(world, e->pos);
            ov->OV_DrawBitmapRS(stock->bm_entity_target, s.x, s.y, 0.0f,
                                world->zoom * 1.4f * (2.0f - targets[i].age));
        }
    }
    if (game.paused)
        DrawTacticalIndicators(world, stock);
}

bool Controls::UpdateVirtualJoysticks(vec2_t screen, bool released)
{
    if (!(input_flags & CONTROLS_JOYSTICKS))
        return false;
    Scape *world = GetScape();
    const int mode_a = world != nullptr ? world->config.joystick_mode_a : 0;
    const int mode_b = world != nullptr ? world->config.joystick_mode_b : 0;
    const bool in_use[2] = {mode_a == 2 || mode_b == 2, mode_a == 3 || mode_b == 3};
    for (int s = 0; s < 2; s++) {
        if (!in_use[s])
            continue;
        if (released) {
            const float d0 = hypotf(screen.x - stick_centre[0].x, screen.y - stick_centre[0].y);
            const float d1 = hypotf(screen.x - stick_centre[1].x, screen.y - stick_centre[1].y);
            stick_held[d1 < d0 ? 1 : 0] = 0;
        }
        const float dx = screen.x - stick_centre[s].x, dy = screen.y - stick_centre[s].y;
        const float d = hypotf(dx, dy);
        if (!(d < stick_radius + stick_margin))
            continue;
        const float r = d / stick_radius;
        if (r < 0.1f) {
            stick_output[s] = vec2_t{0.0f, 0.0f};
        } else {
            const float k = fminf(fmaxf((r - 0.1f) * 3.0f, 0.0f), 1.0f);
            stick_output[s] = vec2_t{k * dx / d, k * dy / d};
        }
        if (!released)
            stick_held[s] = 1;
        return true;
    }
    return false;
}

void Controls::CalibrateAccelerometer()
{
    if (!(input_flags & CONTROLS_ACCELEROMETER))
        return;
    float g[3];
    for (int i = 0; i < 3; i++)
        g[i] = ov->OV_GetKeyStatef(1610 + i);
    Normalise3(g);
    float ref[3] = {0.0f, -1.0f, 0.0f};
    if (g[0] == 0.0f && g[1] == -1.0f && g[2] == 0.0f) {
        ref[1] = 0.0f;
        ref[2] = -1.0f;
    }
    float row0[3], row1[3];
    Cross(g, ref, row0);
    Normalise3(row0);
    Cross(g, row0, row1);
    Normalise3(row1);
    for (int i = 0; i < 3; i++) {
        calibration[i] = row0[i];
        calibration[3 + i] = row1[i];
        calibration[6 + i] = g[i];
    }
}
