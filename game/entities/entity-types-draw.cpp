// The base entity type's drawing: a creature or trooper with its overlays, in order:
// melee lunge, super-weapon stars, path, foot glow, body and weapon layer (with the
// developer's barrel marks), weapon icon, reload indicator, health bar, range ring.
// Every screen point comes from EntityScreenPoint.
#include "game/entities/entity-types.h"

#include "app/services/key-state.h"
#include "app/services/prog.h"
#include "app/services/small-maths.h"
#include "app/ui/screen-manager.h"
#include "game/entities/entity-types-internal.h"
#include "game/entities/move-path.h"
#include "game/entities/stock.h"
#include "game/entities/weapons.h"
#include "game/gamestate.h"
#include "game/scape.h"
#include "game/world-counters.h"

#include <math.h>
#include <string.h>

using namespace enttypes;

namespace {


NamedBitmap bluestar = {"fxs/bluestar.png", nullptr, false};

bool Exists(const ov_bitmap_t *b)
{
    return b && (b->width > 0 || b->num_frames > 0);
}

vec2_t Add(vec2_t a, vec2_t b)
{
    return {a.x + b.x, a.y + b.y};
}

// The point moved toward the target during a melee lunge, so the attacker touches
// its target at mid-attack.
vec2_t LungePoint(const EntityType *type, const Entity *e)
{
    if (!(e->attack_phase > 0.0f) || !e->target)
        return e->pos;
    const Entity *t = e->target;
    const float dx = t->pos.x - e->pos.x, dy = t->pos.y - e->pos.y;
    const float dist = sqrtf(dx * dx + dy * dy);
    if (prog.parms.developer_mode && strstr(type->name, "Trooper"))
        ov->OV_Popupf(1, "Entity '%s' is melee attacking '%s'!!\n", type->name, t->type ? t->type->name : "");
    if (!(dist > 0.0f))
        return e->pos;
    const float fade = e->state == Entity::STATE_DYING ? 1.0f - e->phase : 1.0f;
    const float reach = (dist - e->radius - t->radius) * sinf(kPi * e->attack_phase) * fade;
    return {e->pos.x + dx / dist * reach, e->pos.y + dy / dist * reach};
}

// Six blue stars turning both ways while a super weapon is held.
void DrawSuperWeaponStars(const Entity *e, vec2_t p)
{
    if (!e->powerup_active || !e->powerup_id || strcmp(e->powerup_id, "POWERUP_SUPER_WEAPON") != 0)
        return;
    ov_bitmap_t *star = bluestar.Get();
    if (!Exists(star))
        return;
    ov->OV_SetBlend(1);
    ov->OV_SetColor(1, 1, 1);
    ov->OV_SetAlpha(1);
    const float turn = 360.0f * (float)(game.game_clock % 2000) / 2000.0f;
    for (int sign = 1; sign >= -1; sign -= 2)
        for (int i = 0; i < 3; i++)
            ov->OV_DrawBitmapRS(star, p.x, p.y, (float)sign * (120.0f * (float)i + turn) * kPi / 180.0f, 1.1f);
    ov->OV_SetBlend(0);
}

void DrawFootGlow(const Entity *e, vec2_t p, float size)
{
    Stock *stock = WorldStock();
    if (!stock)
        return;
    const float fade = e->state == Entity::STATE_DYING ? 1.0f - e->phase : 1.0f;
    ov->OV_SetBlend(1);
    ov->OV_SetColor(1, 1, 1);
    ov->OV_SetAlpha(fade * Clamp(0.75f + 0.25f * sinf(2.0f * kPi * e->anim_time), 0.0f, 1.0f));
    ov->OV_DrawBitmapRS(stock->bm_foot_glow, p.x, p.y, 0.0f, (1.0f + 0.1f * cosf(kPi * e->anim_time)) * size);
    ov->OV_SetBlend(0);
}

// Developer marks (key I): the barrel point with the aim line and a yellow square, and
// the shell-ejection direction in green.
void DrawBarrelMarks(const Entity *e, vec2_t body)
{
    const Weapon *w = e->weapon;
    const vec2_t barrel = EntityScreenPoint(WeaponRotatedOffset(body, w->barrel_x, w->barrel_y, e->aim_angle, e->scale));
    const float ax = cosf(e->aim_angle), ay = sinf(e->aim_angle);
    ov->OV_DrawLine(barrel.x - 20.0f * ax, barrel.y - 20.0f * ay, barrel.x + 20.0f * ax, barrel.y + 20.0f * ay);
    ov->OV_SetColor(1, 1, 0);
    ov->OV_DrawRect(barrel.x - 1.5f, barrel.y - 1.5f, 3.0f, 3.0f);
    const vec2_t shell =
        EntityScreenPoint(WeaponRotatedOffset(body, w->shell_eject_x, w->shell_eject_y, e->aim_angle, e->scale));
    const float side = e->aim_angle + kPi / 2.0f;
    ov->OV_SetColor(0, 1, 0);
    ov->OV_DrawLine(shell.x, shell.y, shell.x + 10.0f * cosf(side), shell.y + 10.0f * sinf(side));
    ov->OV_SetColor(1, 1, 1);
}

// The first shop icon of a trooper type's weapon line; -1 for other types.
int IconBase(const char *type_name)
{
    static const struct {
        const char *name;
        int base;
    } kLines[] = {{"MinigunTrooper", 0}, {"ShotgunTrooper", 6}, {"BazookaTrooper", 12}, {"PyroTrooper", 18},
                  {"SniperTrooper", 24}};
    for (const auto &line : kLines)
        if (strcmp(type_name, line.name) == 0)
            return line.base;
    return -1;
}

void DrawWeaponIcon(const EntityType *type, const Entity *e, vec2_t p)
{
    Stock *stock = WorldStock();
    const int base = IconBase(type->name);
    if (!stock || base < 0)
        return;
    const int index = base + e->weapon->rank;
    if (index < 0 || index >= Stock::NUM_SHOP_ICONS)
        return;
    ov_bitmap_t *icon = stock->bm_shop_icons[index];
    if (!icon)
        return;
    const float f = game.upgrade_icon_size;
    const float lift = (float)icon->height * 0.5f * f * f;
    const bool near_top = p.y < (float)sman.virtual_height / 4.5f;
    ov->OV_SetColor(1, 1, 1);
    ov->OV_SetAlpha(1);
    ov->OV_SetBlend(0);
    ov->OV_DrawBitmapRS(icon, p.x, near_top ? p.y + lift : p.y - lift, 0.0f, 0.5f * f);
}

// A magazine filling with four rounds as the reload runs.
void DrawReload(const Entity *e, vec2_t p)
{
    Stock *stock = WorldStock();
    if (!stock)
        return;
    const float reload_time = e->weapon->reload_time;
    const float progress = reload_time > 0.0f ? Clamp(1.0f - e->reload_timer / reload_time, 0.0f, 1.0f) : 0.0f;
    const float a = progress > 0.75f ? 4.0f * (1.0f - progress) : Clamp(5.0f * progress, 0.0f, 1.0f);
    ov->OV_SetColor(1, 1, 1);
    ov->OV_SetAlpha(0.75f * a);
    ov->OV_DrawBitmapRS(stock->bm_reload_magazine, p.x, p.y - 2.0f, 0.0f, 0.66f);

    ov_bitmap_t *round = stock->bm_reload_ammo;
    const int magazine_h = stock->bm_reload_magazine ? stock->bm_reload_magazine->height : 0;
    const int round_h = round ? round->height : 0;
    const float top = p.y - 3.32f - 0.66f * (float)(magazine_h / 2);
    // Slots 4 (bottom) to 1 take 4, 3, 2 and 1 units of s each.
    const float s = 13.0f * progress;
    int placed = 0;
    float used = 0.0f;
    for (int cost = 4; cost >= 1 && s >= used + (float)cost; cost--) {
        used += (float)cost;
        placed++;
    }
    for (int i = 0; i < placed; i++) {
        const int slot = 4 - i;
        ov->OV_DrawBitmapRS(round, p.x, top + 0.66f * (float)round_h * (float)slot, 0.0f, 0.66f);
    }
    if (placed < 4) {
        const int slot = 4 - placed;
        const float fraction = (s - used) / (float)(4 - placed);
        ov->OV_SetAlpha(0.75f * fminf(a, Clamp(5.0f * fraction, 0.0f, 1.0f)));
        ov->OV_DrawBitmapRS(round, p.x, top + 0.66f * (float)round_h * (float)slot * fraction, 0.0f, 0.66f);
    }
}

// The fraction `v` of a bitmap's width from its left edge, centred on (x, y) at `size`,
// in one colour (vertex bytes in the renderer's R, G, B, A order).
void DrawLeftPart(ov_bitmap_t *b, float x, float y, float size, float v, color_t c)
{
    if (!b)
        return;
    const float w = (float)b->width * size, h = (float)b->height * size;
    const float x0 = x - w / 2.0f, y0 = y - h / 2.0f, x1 = x0 + w * v, y1 = y0 + h;
    const float z = ov->OV_GetDepthDefault();
    auto byte = [](float f) { return (uint8_t)(int)(Clamp(f, 0.0f, 1.0f) * 255.0f); };
    const uint8_t r = byte(c.r), g = byte(c.g), bl = byte(c.b), a = byte(c.a);
    ov_vertex_t quad[4] = {
        {x0, y0, z, {r, g, bl, a}, 0.0f, 0.0f},
        {x1, y0, z, {r, g, bl, a}, v, 0.0f},
        {x0, y1, z, {r, g, bl, a}, 0.0f, 1.0f},
        {x1, y1, z, {r, g, bl, a}, v, 1.0f},
    };
    ov->OV_DrawBitmap4V(b, quad);
}

void DrawHealthBar(const Entity *e, vec2_t p)
{
    Stock *stock = WorldStock();
    if (!stock)
        return;
    const float v = e->max_hit_points > 0.0f ? Clamp(e->hit_points / e->max_hit_points, 0.0f, 1.0f) : 0.0f;
    const float f = game.upgrade_icon_size;
    float alpha, size;
    if (e->friend_group == Entity::PLAYERS) {
        alpha = 0.75f;
        size = (f + 1.5f) / 2.5f;
    } else {
        alpha = 0.75f * (e->state == Entity::STATE_DYING ? (1.0f - e->phase) * 0.5f : 1.0f);
        if (!(e->hit_points < e->max_hit_points))
            alpha *= fmaxf(Clamp(3.0f * e->highlight, 0.0f, 1.0f), f);
        size = 0.4f;
    }
    const float cx = p.x, cy = p.y + e->radius + 2.0f;
    ov->OV_SetColor(1, 1, 1);
    ov->OV_SetAlpha(alpha);
    ov->OV_DrawBitmapRS(stock->bm_health_back, cx, cy, 0.0f, size);
    ov->OV_SetColor(1.0f - v, Clamp(2.0f * v, 0.0f, 1.0f), 0.0f);
    DrawLeftPart(stock->bm_health_fore, cx, cy, size, v, {1.0f - v, Clamp(2.0f * v, 0.0f, 1.0f), 0.0f, alpha});
    ov->OV_SetColor(1, 1, 1);
}

void DrawRangeRing(const Entity *e, vec2_t p)
{
    Stock *stock = WorldStock();
    if (!stock)
        return;
    const float radius = e->weapon->projectile_range * Zoom();
    const float h = e->highlight;
    float width, alpha;
    if (!(h > 0.0f)) {
        width = 0.4f, alpha = 0.4f;
    } else if (h < 1.0f) {
        width = 0.4f + 0.7f * h, alpha = 0.4f + 0.35f * h;
    } else {
        width = 1.1f, alpha = 0.75f;
    }
    width *= 5.0f;
    color_t c = {0.2f, 0.7f, 0.2f, alpha};
    // At most 1000 segments, clamped before the conversion.
    const int n = (int)Clamp(radius / 2.0f + 10.0f, 0.0f, 1000.0f);
    world_counters.ring_segments += (uint64_t)n;
    ov->OV_SetBlend(1);
    for (int i = 0; i < n; i++) {
        const float a0 = 2.0f * kPi * (float)i / (float)n, a1 = 2.0f * kPi * (float)(i + 1) / (float)n;
        vec2_t from = {p.x + radius * cosf(a0), p.y + radius * sinf(a0)};
        vec2_t to = {p.x + radius * cosf(a1), p.y + radius * sinf(a1)};
        ov->OV_DrawBitmapLine(stock->bm_range_indicator, &from, &to, width, width, &c, &c);
    }
    ov->OV_SetBlend(0);
    ov->OV_SetColor(1, 1, 1);
}

}  // namespace

// A creature or trooper with all its overlays; nothing for a record not in play.
void EntityType::Draw(Entity *e)
{
    if (e->state == Entity::STATE_FREE)
        return;
    const bool dying = e->state == Entity::STATE_DYING;
    const bool players = e->friend_group == Entity::PLAYERS;
    const float size = Zoom() * e->scale;

    ov->OV_SetBlend(blend_mode);
    const vec2_t body = LungePoint(this, e);
    const vec2_t p = EntityScreenPoint(body);
    const float chill = e->chill_time > 0.0f ? 1.0f - 0.25f * e->chill_time : 1.0f;

    DrawSuperWeaponStars(e, p);
    if (e->path) {
        ov->OV_SetAlpha(dying ? (1.0f - e->phase) * 0.5f : 0.5f);
        e->path->Draw(e->path_pos);
    }
    if (players)
        DrawFootGlow(e, p, size);

    // The chill tint takes red and green away and adds blue.
    ov->OV_SetColor(e->color.r * chill, e->color.g * chill, Clamp(e->color.b + 1.0f - chill, 0.0f, 1.0f));
    if (dying) {
        ov->OV_SetAlpha(1);
        if (bm_die) {
            SetFrameByFraction(bm_die, e->phase);
            ov->OV_DrawBitmapRS(bm_die, p.x, p.y, e->angle, size);
        }
    } else {
        ov->OV_SetAlpha(e->age < 1.0f ? EaseInOut(e->age) : 1.0f);
        SetMoveAnimFrame(bm_move, e->phase);
        if (bm_move)
            ov->OV_DrawBitmapRS(bm_move, p.x, p.y, e->angle, size);
        if (bm_move2) {
            SetMoveAnimFrame(bm_move2, e->phase);
            vec2_t gun = body;
            if (e->recoil > 0.0f) {
                const float back = 2.0f * e->radius * e->recoil;
                gun = Add(gun, {-back * cosf(e->aim_angle), -back * sinf(e->aim_angle)});
            }
            const vec2_t g = EntityScreenPoint(gun);
            ov->OV_DrawBitmapRS(bm_move2, g.x, g.y, e->aim_angle + barrel_angle, size);
        }
        if (prog.parms.developer_mode && e->weapon && (KeyHeld('I') || KeyHeld('i')))
            DrawBarrelMarks(e, body);
    }

    if (players && e->weapon && game.show_upgrade_icon)
        DrawWeaponIcon(this, e, p);
    if (players && e->weapon && e->reload_timer > 0.01f)
        DrawReload(e, p);
    if (e->hit_points < e->max_hit_points || players || e->highlight > 0.0f)
        DrawHealthBar(e, p);
    if (players && e->weapon)
        DrawRangeRing(e, p);
}
