// Spawning, killing and damage: every entity enters the field through SpawnEntity (or
// SpawnEntitySilent when a saved game is restored), every hit goes through DealDamage
// or DealSplashDamage and every death through KillEntity. They keep the grid links and
// the per-group live counters, play birth and death effects, credit money, score and
// kill statistics, apply the star catch-up rule of level missions, the base bunker's
// force field and damage stages, and turn a hit entity onto its attacker.
#include "game/scape.h"

#include "app/services/featureman.h"
#include "app/services/prog.h"
#include "app/services/random.h"
#include "app/services/small-maths.h"
#include "app/ui/partfx.h"
#include "app/ui/parts.h"
#include "app/ui/screen-manager.h"
#include "game/entities/entity-ai.h"
#include "game/entities/entity-types.h"
#include "game/entities/entity.h"
#include "game/entities/move-path.h"
#include "game/entities/powerups.h"
#include "game/entities/stock.h"
#include "game/entities/weapons.h"
#include "game/game-util.h"
#include "game/gamestate.h"
#include "game/world-counters.h"

#include <math.h>
#include <stdlib.h>
#include <string.h>

namespace {

// Hit points from which a killed victim counts as a boss.
const float kBossHitPoints = 180.0f;
// Health fractions whose crossing sends the vibration command.
const float kVibrationFractions[3] = {0.25f, 0.15f, 0.1f};

bool NameIs(const char *name, const char *wanted)
{
    return name && strcmp(name, wanted) == 0;
}

bool IsBaseStructure(const EntityType *type)
{
    const char *name = type ? type->name : nullptr;
    return NameIs(name, "BaseBunker") || NameIs(name, "BasePowerPlant") || NameIs(name, "BaseLauncher") ||
           NameIs(name, "MedTent");
}

void CountIntoGroup(Scape *world, int group, int delta)
{
    if (group < 0 || group >= SCAPE_NUM_GROUP_COUNTS)
        return;
    uint16_t &count = world->group_counts[group];
    if (delta > 0)
        count++;
    else if (count > 0)
        count--;
}

// Kill counters of the killing weapon (the weapon's id).
void CountWeaponKill(const Entity *killer)
{
    const char *id = killer && killer->weapon ? killer->weapon->id : nullptr;
    if (!id)
        return;
    static const char *const fire_weapons[] = {"MinigunFireBullets", "ShotgunFirePellets", "BazookaNapalm", "Pyro",
                                               "PyroPower", "PyroDeathwish", "FireTrail"};
    if (strcmp(id, "PyroGas") == 0)
        game.gas_kills++;
    for (const char *fire : fire_weapons) {
        if (strcmp(id, fire) == 0)
            game.burn_kills++;
    }
    if (strcmp(id, "BazookaBoom") == 0)
        game.blast_kills++;
}

// A health fraction clamped to [-1, 1]; its star band trunc(1 + f / 0.75 x 4).
float ClampFraction(float f)
{
    if (!(f == f))
        return 0.0f;
    return f < -1.0f ? -1.0f : (f > 1.0f ? 1.0f : f);
}

int StarBand(float f)
{
    return (int)(1.0f + f / 0.75f * 4.0f);
}

}  // namespace

char *GetUnderscoreToken(const char *text, int n)
{
    if (!text)
        return nullptr;
    if (strlen(text) >= 1023 || n < 0)
        return strdup("");
    const char *start = text;
    for (int i = 0; i < n; i++) {
        start = strchr(start, '_');
        if (!start)
            return strdup("");
        start++;
    }
    const char *end = strchr(start, '_');
    size_t length = end ? (size_t)(end - start) : strlen(start);
    return strndup(start, length);
}

Entity *Scape::TakeRecord(EntityType *type, vec2_t pos, int group)
{
    if (!stock || !type)
        return nullptr;
    Entity *e = stock->GetFreeEntity(type);
    if (!e)
        return nullptr;
    type->InitEntity(e, pos);
    e->friend_group = (int16_t)group;
    return e;
}

Entity *Scape::SpawnEntity(EntityType *type, vec2_t pos)
{
    return type ? SpawnEntityInGroup(type, pos, type->friend_group) : nullptr;
}

Entity *Scape::SpawnEntityInGroup(EntityType *type, vec2_t pos, int group)
{
    // The enemy side (its creatures and its shots) leaves the squad's reserve of records
    // free, so that a crowded field never silences the troopers; the squad, its
    // structures and the pick-ups may take any record.
    if (group == Entity::ENEMIES && stock && !stock->EnemiesMaySpawn())
        return nullptr;
    Entity *e = TakeRecord(type, pos, group);
    if (!e)
        return nullptr;
    if (e->flags & Entity::NORMAL) {
        fx_t *fx = type->fx_born ? type->fx_born : pbman.GetFX("fxs/sparks.lua");
        SpawnEffect(top_parts, fx, pos, 0.0f);
    }
    if (type->ai)
        type->ai->OnBirth(e);
    LinkEntity(e);
    e->select_time = game.game_clock;
    CountIntoGroup(this, e->friend_group, 1);
    world_counters.spawns++;
    return e;
}

Entity *Scape::SpawnEntitySilent(EntityType *type, vec2_t pos)
{
    Entity *e = type ? TakeRecord(type, pos, type->friend_group) : nullptr;
    if (!e)
        return nullptr;
    e->age = 1.0f;
    if (type->ai)
        type->ai->OnBirth(e);
    LinkEntity(e);
    CountIntoGroup(this, e->friend_group, 1);
    world_counters.spawns++;
    return e;
}

void Scape::KillEntity(Entity *victim, Entity *killer, bool silent)
{
    // A free record, one already dying, or a dead trooper kept in the roster.
    if (!victim || !victim->type || victim->state != Entity::STATE_ALIVE)
        return;
    EntityType *type = victim->type;
    world_counters.kills++;
    victim->phase = 0.0f;
    victim->state = Entity::STATE_DYING;
    if (victim->hit_points > 0.0f)
        victim->hit_points = 0.0f;

    if (!silent && (!IsBaseStructure(type) || game.living_troopers > 0)) {
        type->snd_killed.PlayAt(victim->pos);
        SpawnEffect(ground_parts, type->fx_killed, victim->pos, victim->angle);
        SpawnEffect(top_parts, type->fx_killed_fore, victim->pos, victim->angle);
    }

    Entity *root = RootOwner(killer);
    if (root && root->friend_group == Entity::PLAYERS) {
        game.AddMoney(victim->points_worth, victim->pos);
        game.AddScore(victim->points_worth, victim->pos);
        if (!silent) {
            if (victim->max_hit_points >= kBossHitPoints)
                game.boss_kills++;
            else
                game.regular_kills++;
            game.stats.enemies_killed++;
            root->kills++;
            CountWeaponKill(killer);
        }
    }

    if (!silent && type->ai)
        type->ai->OnDeath(victim, killer);

    CountIntoGroup(this, victim->friend_group, -1);
    delete victim->path;
    victim->path = nullptr;
}

// Star stages of the base bunker's health (a hit of `amount` on `bunker`).
static void BunkerDamageStages(Scape *world, Entity *bunker, float amount)
{
    float max_hp = bunker->max_hit_points;
    if (!(max_hp > 0.0f))
        return;
    float f0 = ClampFraction(bunker->hit_points / max_hp);
    float f1 = ClampFraction((bunker->hit_points - amount) / max_hp);
    float lowest = ClampFraction(game.lowest_bunker_hp / max_hp);
    bool level = game.parms.game_mode == GAME_MODE_LEVEL;
    int band = StarBand(f1);

    if (band < StarBand(lowest) && band - game.troopers_lost >= 1 && level && f1 < 0.75f) {
        vec2_t at = {bunker->pos.x + randf(-20.0f, 20.0f), bunker->pos.y + randf(-20.0f, 0.0f)};
        world->LoseStar(at);
    }

    if (f0 > 0.75f && !(f1 > 0.75f)) {
        // Three blasts on the structure: the level's base kind decides where.
        static const vec2_t bunker_points[3] = {{-22.0f, -12.0f}, {18.0f, -16.0f}, {4.0f, 16.0f}};
        static const vec2_t launcher_points[3] = {{-16.0f, 0.0f}, {16.0f, 0.0f}, {0.0f, -18.0f}};
        static const vec2_t plant_points[3] = {{-12.0f, -12.0f}, {12.0f, -12.0f}, {0.0f, 14.0f}};
        fx_t *fx = pbman.GetFX("fxs/explosion-grenade.lua");
        for (int i = 0; i < 3; i++) {
            vec2_t offset;
            if (bunker->type && NameIs(bunker->type->name, "MedTent")) {
                float a = bunker->angle + (float)i * 2.0f * kPi / 3.0f;
                offset.x = 20.0f * cosf(a);
                offset.y = 20.0f * sinf(a);
            } else if (NameIs(game.base_type, "BaseLauncher")) {
                offset = launcher_points[i];
            } else if (NameIs(game.base_type, "BasePowerPlant")) {
                offset = plant_points[i];
            } else {
                offset = bunker_points[i];
            }
            vec2_t at = {bunker->pos.x + offset.x, bunker->pos.y + offset.y};
            SpawnEffect(world->top_parts, fx, at, 0.0f);
        }
        if (level)
            game.SetTutorial("BUNKER_TRASHED");
    }

    for (float threshold : kVibrationFractions) {
        if (f0 >= threshold && f1 < threshold)
            ov->OV_CallExtension("IPHONE_Vibration", "");
    }
}

// A wounded trooper on a path steps aside, across the line from its attacker.
static void StepAside(Scape *world, Entity *victim, Entity *attacker)
{
    vec2_t dir;
    float dx = attacker ? victim->pos.x - attacker->pos.x : 0.0f;
    float dy = attacker ? victim->pos.y - attacker->pos.y : 0.0f;
    float length = sqrtf(dx * dx + dy * dy);
    if (!attacker || !(length > 1e-6f)) {
        // No attacker, or one standing on the victim: any direction.
        float a = randf(-kPi, kPi);
        dir.x = cosf(a);
        dir.y = sinf(a);
    } else {
        dir.x = -dy / length;
        dir.y = dx / length;
    }
    if (AppRandom() % 2) {
        dir.x = -dir.x;
        dir.y = -dir.y;
    }
    vec2_t target = {victim->pos.x + dir.x * 120.0f, victim->pos.y + dir.y * 120.0f};
    float max_x = (float)world->width - 40.0f;
    float max_y = (float)world->height - 40.0f;
    target.x = target.x < 40.0f ? 40.0f : (target.x > max_x ? max_x : target.x);
    target.y = target.y < 70.0f ? 70.0f : (target.y > max_y ? max_y : target.y);

    float lx = target.x - victim->pos.x;
    float ly = target.y - victim->pos.y;
    float span = sqrtf(lx * lx + ly * ly);
    for (float t = 0.0f; t < span; t += 8.0f) {
        vec2_t p = {victim->pos.x + lx * t / span, victim->pos.y + ly * t / span};
        if (world->IsPointInsideObstacle(p, 10.0f, nullptr))
            return;
    }
    if (world->IsPointInsideObstacle(target, 10.0f, nullptr))
        return;
    victim->path->Reset();
    victim->path->AddPoint(victim->pos);
    victim->path->AddPoint(target);
}

// A blood particle from a FLESH victim, flying away from the source.
static void ShedBlood(Scape *world, Entity *victim, Entity *source, vec2_t hit)
{
    Stock *stock = world->stock;
    if (!stock || stock->num_blood_decals <= 0 || !world->ground_parts)
        return;
    ov_bitmap_t *bitmap = stock->blood_decals[AppRandom() % stock->num_blood_decals];
    float lifetime = randf(0.1f, 0.3f);
    part_t *part = world->ground_parts->SpawnPart(AdjustPosByAverageScale(hit), bitmap, lifetime);
    float dx = victim->pos.x - source->pos.x;
    float dy = victim->pos.y - source->pos.y;
    float length = sqrtf(dx * dx + dy * dy);
    float speed = randf(30.0f, 180.0f);
    if (!part || PartMan::IsThrowaway(part))
        return;
    part->scale = victim->scale;
    part->start_angle = victim->angle;
    part->end_angle = victim->angle + 2.0f;
    part->alpha_graph = &graph_constant1;
    part->scale_graph = &graph_constant1;
    part->vx = length > 1e-6f ? dx / length * speed : 0.0f;
    part->vy = length > 1e-6f ? dy / length * speed : 0.0f;
    part->death_func = PMAN_func_death_Decal;
}

void Scape::LoseStar(vec2_t at)
{
    SpawnEffect(top_parts, stock ? stock->fx_star_lost[1] : nullptr, at, 0.0f);
    int number = GetMissionIndex(game.parms.mission_id);
    Powerup *boom = Powerup::GetPowerup("POWERUP_BOOM");
    EntityType *pickup_type = stock ? stock->GetEntityType("Powerup") : nullptr;
    if (!boom || number < boom->min_level || game.won || game.lost || !pickup_type)
        return;
    float distance = randf(10.0f, 100.0f);
    float direction = randf(-kPi, kPi);
    vec2_t centre = {(float)sman.reference_width * 0.5f + distance * cosf(direction),
                     (float)sman.reference_height * 0.5f + distance * sinf(direction)};
    vec2_t spot = centre;
    game.GetFreePosition(15.0f, centre, 200.0f, spot);
    Entity *pickup = SpawnEntity(pickup_type, spot);
    if (pickup)
        pickup->powerup = boom;
}

int Scape::DealDamage(Entity *victim, Entity *source, float amount)
{
    if (!victim || !victim->type)
        return 1;
    if (prog.parms.developer_mode && game.invulnerable && victim->friend_group == Entity::PLAYERS)
        return 0;
    if (victim == game.base && game.force_field_time > 0.0f) {
        game.force_field_hit = 1;
        return 0;
    }
    if (victim->powerup) {
        ov->OV_PrintDebugf(1, "STRESSTEST: Tried to DealDamage to powerup '%s'!\n",
                           victim->powerup->name ? victim->powerup->name : "");
        return 1;
    }
    if (victim->age < 0.1f)
        return 0;

    if (game.parms.game_mode == GAME_MODE_LEVEL && source) {
        int stars = game.GetCurrentStarRating();
        if (stars < 5) {
            float step = (float)(5 - stars) * 0.1f;
            amount *= source->friend_group == Entity::PLAYERS ? 1.0f + step : 1.0f - step;
        }
    }

    EntityType *type = victim->type;
    if (type->ai && NameIs(type->ai->name, "BaseBunker") && !feature_man.ProductFeatureExists("AUTO_TESTING_MODE"))
        BunkerDamageStages(this, victim, amount);

    float dealt = amount < victim->hit_points ? amount : victim->hit_points;
    if (!(dealt > 0.0f))
        dealt = 0.0f;
    victim->hit_points -= amount;
    victim->damage_taken += dealt;
    if (game.base && game.base->hit_points < game.lowest_bunker_hp)
        game.lowest_bunker_hp = game.base->hit_points;

    if (victim->friend_group == Entity::PLAYERS && victim->hit_points < 0.8f * victim->max_hit_points &&
        !IsBaseStructure(type) && !NameIs(type->name, "AlienPet"))
        game.SetTutorial("UNDER_ATTACK");

    Entity *root = RootOwner(source);
    if (source) {
        vec2_t hit = {(victim->pos.x + source->pos.x) * 0.5f, (victim->pos.y + source->pos.y) * 0.5f};
        if (root && root->friend_group == Entity::PLAYERS)
            root->damage_dealt += dealt;
        SpawnEffect(top_parts, type->fx_in_pain, hit, 0.0f);
        if (victim->material == Entity::FLESH && source != game.base)
            ShedBlood(this, victim, source, hit);
    }

    if (type->top_speed > 0.0f) {
        victim->speed *= 0.6f;
        victim->angle += randf(-0.07f, 0.07f);
    }

    if (victim->friend_group == Entity::PLAYERS && victim->path &&
        (uint32_t)(game.game_clock - victim->select_time) > 2000u)
        StepAside(this, victim, source);

    if (!victim->target || (victim->target == game.base && game.num_waypoints == 0))
        victim->target = root;

    if (victim->hit_points > 0.0f || victim->state != Entity::STATE_ALIVE)
        return 0;
    KillEntity(victim, source, false);
    return 1;
}

void Scape::DealSplashDamage(Entity *source, vec2_t centre, float radius, float damage)
{
    int excluded = 0;
    if (source)
        excluded = source->friend_group == Entity::PLAYERS ? Entity::PLAYERS : Entity::ENEMIES;
    Entity *list[64];
    int n = QueryEntitiesInRadiusNotInFriendGroup(centre, radius, Entity::NORMAL, excluded, list, 64);
    float source_radius = source ? source->radius : 50.0f;
    for (int i = 0; i < n; i++) {
        Entity *e = list[i];
        if (!e->type)
            continue;
        if (source && e->friend_group == source->friend_group)
            continue;
        if (!source && e->friend_group == Entity::PLAYERS && game.parms.game_mode != GAME_MODE_INCOMING)
            continue;
        float dx = e->pos.x - centre.x;
        float dy = e->pos.y - centre.y;
        float d = sqrtf(dx * dx + dy * dy);
        float denominator = source_radius + radius + e->radius;
        float factor = denominator != 0.0f ? 1.0f - d / denominator : 1.0f;
        int killed = DealDamage(e, source, damage * factor);
        if (killed && !source && e->friend_group == Entity::ENEMIES && e->points_worth)
            game.AddScore(e->points_worth, e->pos);
    }
}
