// The drawings of the entity type variants: base structures (stage frame, health bar,
// force field), pick-ups, parachute pick-ups, flames, simple and trailed projectiles.
// Every screen point comes from EntityScreenPoint.
#include "game/entities/entity-types.h"

#include "app/services/small-maths.h"
#include "game/entities/angles.h"
#include "game/entities/entity-types-internal.h"
#include "game/entities/powerups.h"
#include "game/entities/stock.h"
#include "game/entities/upgrades.h"
#include "game/entities/weapons.h"
#include "game/gamestate.h"
#include "game/scape.h"

#include <math.h>
#include <string.h>

using namespace enttypes;

namespace {


NamedBitmap force_field = {"game-ui/bunker-force-field.png", nullptr, false};
NamedBitmap parachute = {"game-ui/parachute.png", nullptr, false};

struct Shift {
    const char *kind;
    float x, y;
};

// The offset of the level's base kind in a table; (0, 0) for other kinds.
vec2_t ShiftOf(const Shift *table, int n, const char *kind)
{
    for (int i = 0; i < n; i++)
        if (strcmp(table[i].kind, kind) == 0)
            return {table[i].x, table[i].y};
    return {0.0f, 0.0f};
}

void DrawStructureBar(const Entity *e, vec2_t bar, float fade, float s)
{
    Stock *stock = WorldStock();
    if (!stock)
        return;
    const float v = e->max_hit_points > 0.0f ? Clamp(e->hit_points / e->max_hit_points, 0.0f, 1.0f) : 0.0f;
    // Truncated toward zero in float (no int conversion of an unchecked value).
    const float x = truncf(bar.x), y = truncf(bar.y);
    ov->OV_SetColor(0, 0, 0);
    ov->OV_SetAlpha(0.75f * fade);
    ov->OV_DrawBitmapRS(stock->bm_bunker_health_back, x, y, 0.0f, 1.0f);
    ov_bitmap_t *fore = stock->bm_bunker_health_fore;
    if (fore) {
        const float w = (float)fore->width, h = (float)fore->height;
        ov->OV_SetColor(1.0f - v, Clamp(2.0f * v, 0.0f, 1.0f), 0.0f);
        ov->OV_DrawSubBitmap(fore, x - roundf(w / 2.0f), y - roundf(h / 2.0f), 0.0f, 0.0f, truncf(w * v),
                             h - 2.0f * (s - 1.0f));
    }
    ov->OV_SetColor(1, 1, 1);
    ov->OV_SetTextAlign(0);
    ov->OV_SetTextTransform(1, 1, 0);
}

// The base's shield while the game state's force-field timer runs: grows in over the
// first second, blinks until the third, then holds (fading when upgraded).
void DrawForceField(const Entity *e, vec2_t point)
{
    const float t = game.force_field_time;
    const float strength = game.force_field_upgraded ? 1.0f - game.force_field_fade : 1.0f;
    float alpha;
    if (t < 1.0f)
        alpha = t;
    else if (t < 3.0f)
        alpha = strength * fabsf(sinf(2.0f * kPi * t));
    else
        alpha = strength;
    const float grow = t < 1.0f ? t : 1.0f;
    ov_bitmap_t *b = force_field.Get();
    if (!b)
        return;
    const float k = (1.5f - 0.5f * grow) * 1.2f * Zoom() * e->scale;
    const uint32_t c = game.game_clock;
    const float wobble = 2.0f * kPi * (float)((c + 123) % 500) / 500.0f;
    ov->OV_SetBlend(1);
    ov->OV_SetColor(1, 1, 1);
    ov->OV_SetAlpha(alpha * 0.5f);
    if (!game.force_field_upgraded) {
        ov->OV_DrawBitmapRS(b, point.x, point.y, 0.0f, k * (1.0f + 0.01f * cosf(wobble + 5.0f)));
    } else {
        ov->OV_DrawBitmapRS(b, point.x, point.y, -2.0f * kPi * (float)((c + 1000) % 2000) / 2000.0f,
                            k * (1.0f + 0.02f * cosf(wobble)));
        ov->OV_DrawBitmapRS(b, point.x, point.y, 2.0f * kPi * (float)((c + 1400) % 3000) / 3000.0f + 1.0f,
                            0.9f * k * (1.0f + 0.01f * cosf(wobble + 5.0f)));
    }
    ov->OV_SetBlend(0);
}

// The carried power-up's icon, then the type's second sprite, at a point.
void DrawPickupSprites(const EntityType *type, const Entity *e, vec2_t p, const PickupLook &look)
{
    ov_bitmap_t *icon = e->powerup ? e->powerup->icon : nullptr;
    if (icon) {
        SetFrameByFraction(icon, e->phase);
        ov->OV_DrawBitmapRS(icon, p.x, p.y, look.rotation, look.size);
    }
    if (type->bm_move2) {
        SetFrameByFraction(type->bm_move2, e->phase);
        ov->OV_DrawBitmapRS(type->bm_move2, p.x, p.y, look.rotation, look.size);
    }
}

}  // namespace

namespace enttypes {

PickupLook GetPickupLook(const Entity *e, float blink_from)
{
    PickupLook look;
    if (e->age < 1.0f)
        look.alpha = EaseInOut(e->age);
    else if (e->age > blink_from)
        look.alpha = (cosf(2.0f * kPi * e->age) + 1.0f) * 0.375f + 0.25f;
    else
        look.alpha = 1.0f;
    look.size = Zoom() * e->scale + 0.15f * cosf(2.0f * kPi * e->anim_time);
    if (e->state == Entity::STATE_DYING)
        look.size *= EaseInOut(1.0f - 2.0f * e->phase);  // shrinks away in half a second
    look.rotation = 0.25f * sinf(2.3f * kPi * e->anim_time + 2.0f);
    return look;
}

}  // namespace enttypes

void EntityTypeStructure::Draw(Entity *e)
{
    if (e->state == Entity::STATE_FREE)
        return;
    const float s = SmallScreen() ? 1.5f : 1.0f;
    const vec2_t p = EntityScreenPoint(e->pos);
    ov->OV_SetBlend(0);
    ov->OV_SetColor(e->color.r, e->color.g, e->color.b);
    float fade;
    if (e->state == Entity::STATE_DYING) {
        fade = (1.0f - e->phase) * 0.5f;
    } else {
        ov->OV_SetAlpha(e->age < 1.0f ? EaseInOut(e->age) : 1.0f);
        if (bm_move) {
            const bool damaged = e->max_hit_points > 0.0f && 1.0f - e->hit_points / e->max_hit_points > 0.25f;
            ov->OV_SetBitmapFrame(bm_move, damaged ? 1 : 0);
            ov->OV_DrawBitmapRS(bm_move, p.x, p.y, e->angle, Zoom() * e->scale);
        }
        fade = 1.0f;
    }
    if (e->friend_group != Entity::PLAYERS)
        return;

    static const Shift kBarShift[] = {{"BaseBunker", 9, 25}, {"BaseLauncher", 2, 25}, {"BasePowerPlant", 2, -37}};
    static const Shift kFieldShift[] = {{"BaseBunker", -3, -25}, {"BaseLauncher", -1, -25}, {"BasePowerPlant", 0, 35}};
    vec2_t shift = ShiftOf(kBarShift, 3, game.base_type);
    if (!game.base && strcmp(name, "MedTent") == 0)
        shift = {0.0f, 25.0f};
    const vec2_t bar = {p.x + shift.x, p.y + shift.y};
    DrawStructureBar(e, bar, fade, s);
    if (game.force_field_time > 0.0f) {
        const vec2_t field = ShiftOf(kFieldShift, 3, game.base_type);
        DrawForceField(e, {bar.x + field.x, bar.y + field.y});
    }
}

void EntityTypePowerup::Draw(Entity *e)
{
    if (e->state == Entity::STATE_FREE)
        return;
    const PickupLook look = GetPickupLook(e, (float)upgrades.powerup_disappear_time - 5.0f);
    const vec2_t p = EntityScreenPoint(e->pos);
    ov->OV_SetBlend(0);
    ov->OV_SetColor(e->color.r, e->color.g, e->color.b);
    ov->OV_SetAlpha(look.alpha);
    DrawPickupSprites(this, e, p, look);
}

// Drawn only in the world's final pass over pick-ups: the shadow at the landing point,
// the pick-up falling toward it and the parachute while it falls.
void EntityTypePowerupParachute::Draw(Entity *e)
{
    Scape *world = GetScape();
    if (e->state == Entity::STATE_FREE || !world || !world->drawing_top_pass)
        return;
    const PickupLook look = GetPickupLook(e, (float)upgrades.powerup_disappear_time - 1.0f);
    const vec2_t p = EntityScreenPoint(e->pos);
    ov->OV_SetBlend(0);
    ov_bitmap_t *icon = e->powerup ? e->powerup->icon : nullptr;
    if (icon) {
        ov->OV_SetColor(0, 0, 0);
        ov->OV_SetAlpha(look.alpha * 0.5f);
        SetFrameByFraction(icon, e->phase);
        ov->OV_DrawBitmapRS(icon, p.x, p.y, look.rotation, look.size);
    }
    const float fall = Clamp(4.0f - e->age, 0.0f, 4.0f);
    const vec2_t drop = {p.x - 37.5f * fall, p.y - 20.0f * fall};
    ov->OV_SetColor(e->color.r, e->color.g, e->color.b);
    ov->OV_SetAlpha(look.alpha);
    DrawPickupSprites(this, e, drop, look);
    if (fall > 0.0f) {
        ov_bitmap_t *chute = parachute.Get();
        ov->OV_SetAlpha(look.alpha * Clamp(3.0f * fall, 0.0f, 1.0f));
        if (chute)
            ov->OV_DrawBitmapRS(chute, drop.x, drop.y, 0.4f * cosf(fall), (0.125f * fall + 0.5f) * 0.8f);
    }
}

// A flame starts in its blue and gains red and green over half a second, growing
// over three seconds.
void EntityTypeProjectileFlame::Draw(Entity *e)
{
    if (e->state == Entity::STATE_FREE)
        return;
    const float t = e->age - 1.0f;  // fired projectiles start at age 1
    float alpha = e->state == Entity::STATE_DYING ? 1.0f - e->phase : 1.0f;
    if (t < 0.2f)
        alpha *= Clamp(t / 0.2f, 0.0f, 1.0f);
    const float c = Clamp(2.0f * t, 0.0f, 1.0f);
    const float size = Clamp(e->age / 3.0f, 0.0f, 1.0f) * Zoom() * e->scale * 1.2f;
    const float rotation = e->angle - e->anim_time;
    const vec2_t p = EntityScreenPoint(e->pos);
    ov->OV_SetBlend(1);
    ov->OV_SetColor(c * e->color.r, c * e->color.g, e->color.b);
    ov->OV_SetAlpha(alpha);
    if (bm_move2)
        ov->OV_DrawBitmapRS(bm_move2, p.x, p.y, rotation, size);
    if (bm_move)
        ov->OV_DrawBitmapRS(bm_move, p.x, p.y, rotation, size);
    ov->OV_SetBlend(0);
}

void EntityTypeProjectileSimple::Draw(Entity *e)
{
    if (e->state == Entity::STATE_FREE)
        return;
    float alpha = e->state == Entity::STATE_DYING ? Clamp(1.0f - 3.0f * e->phase, 0.0f, 1.0f) : 1.0f;
    if (e->age < 0.1f)
        alpha *= Clamp(e->age / 0.1f, 0.0f, 1.0f);
    const vec2_t p = EntityScreenPoint(e->pos);
    ov->OV_SetBlend(blend_mode);
    ov->OV_SetColor(e->color.r, e->color.g, e->color.b);
    ov->OV_SetAlpha(alpha);
    if (bm_move)
        ov->OV_DrawBitmapRS(bm_move, p.x, p.y, e->angle, Zoom() * e->scale);
}

// A trail line from the launch point (or from trail length behind the head) to the
// head, then the head sprite unless dying.
void EntityTypeProjectileTrailed::Draw(Entity *e)
{
    if (e->state == Entity::STATE_FREE)
        return;
    const bool dying = e->state == Entity::STATE_DYING;
    const vec2_t head = EntityScreenPoint(e->pos);
    const float length = e->weapon ? e->weapon->trail_length : 50.0f;
    const vec2_t travel = {e->pos.x - e->origin.x, e->pos.y - e->origin.y};
    const float d = sqrtf(travel.x * travel.x + travel.y * travel.y);
    vec2_t tail;
    if (d < length) {
        tail = EntityScreenPoint(e->origin);
    } else {
        const vec2_t dir = FastNormalize(travel);
        const float back = length * Zoom();
        tail = {head.x - back * dir.x, head.y - back * dir.y};
    }
    const float a = dying ? Clamp(1.0f - 3.0f * e->phase, 0.0f, 1.0f) : 1.0f;
    ov->OV_SetBlend(blend_mode);
    ov->OV_SetColor(1, 1, 1);
    ov->OV_SetAlpha(1);
    color_t from = {1.0f, 1.0f, 1.0f, 0.0f}, to = {1.0f, 1.0f, 1.0f, a};
    vec2_t tail_point = tail, head_point = head;
    if (bm_move2)
        ov->OV_DrawBitmapLine(bm_move2, &tail_point, &head_point, 2.1f, 2.2f, &from, &to);
    if (!dying && bm_move)
        ov->OV_DrawBitmapRS(bm_move, head.x, head.y, e->angle, Zoom() * e->scale);
}
