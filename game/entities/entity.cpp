// The entity record's own operations, its birth values and the entity types' voice sets.
#include "game/entities/entity.h"

#include "game/entities/entity-types.h"
#include "game/scape.h"

#include "app/services/random.h"
#include "orvex.h"

// A uniform fraction in [0, 1] from the application's random helper.
static float RandomFraction()
{
    return (float)AppRandom() / (float)APP_RANDOM_MAX;
}

Entity *RootOwner(Entity *e)
{
    const int kMaxOwnerSteps = 512;
    if (!e)
        return nullptr;
    for (int step = 0; step < kMaxOwnerSteps && e->owner; step++)
        e = e->owner;
    return e;
}

void Entity::ChangeGroup(int group)
{
    if (group == friend_group)
        return;
    Scape *world = GetScape();
    if (world) {
        if (friend_group >= 0 && friend_group < SCAPE_NUM_GROUP_COUNTS && world->group_counts[friend_group] > 0)
            world->group_counts[friend_group]--;
        if (group >= 0 && group < SCAPE_NUM_GROUP_COUNTS)
            world->group_counts[group]++;
    }
    friend_group = (int16_t)group;
    if (cell && world)
        world->RegroupEntity(this);
}

void SoundSet::AddSound(const char *name)
{
    if (!name)
        return;
    ov_sound_t *sound = ov->OV_GetSound(name);
    if (count < MAX_SOUNDS)
        sounds[count++] = sound;
}

int SoundSet::PlayAt(vec2_t pos)
{
    Scape *world = GetScape();
    if (count <= 0 || !world)
        return 0;
    ov_sound_t *sound = sounds[AppRandom() % count];
    float volume = vol_min + (vol_max - vol_min) * RandomFraction();
    float pitch = pitch_min + (pitch_max - pitch_min) * RandomFraction();
    world->PlaySoundAt(sound, pos, volume, pitch);
    return 1;
}

void EntityType::InitEntity(Entity *e, vec2_t pos)
{
    // From the type.
    e->flags = flags;
    e->weapon = weapon;
    e->radius = radius;
    e->damage = damage;
    e->scale = scale;
    e->points_worth = points_worth;
    e->material = material;
    e->friend_group = (int16_t)friend_group;
    e->color = color;
    e->hit_points = hit_points;
    e->max_hit_points = hit_points;
    e->speed = top_speed;

    e->state = Entity::STATE_ALIVE;
    e->phase = 0.0f;
    e->age = 0.0f;
    e->pos = pos;
    e->origin = pos;
    // A fresh entity with a weapon completes a reload 0.2 s after birth.
    e->reload_timer = 0.2f;

    // Random draws, in this order.
    Scape *world = GetScape();
    int half_width = world ? world->width / 2 : 0;
    e->anim_time = RandomFraction();
    e->goal.x = 50.0f + (float)(half_width - 50) * RandomFraction();
    e->goal.y = 50.0f + (float)(half_width - 50) * RandomFraction();
    e->random_phase = RandomFraction();
    e->avoid_side = RandomFraction();

    e->slot = -1;
    e->waypoint = -1;
    e->powerup_id = "";
    e->powerup_active = false;

    // Everything else of the entity's play starts cleared; burn_damage, range,
    // select_time and path_pos are set by whoever uses them first.
    e->owner = nullptr;
    e->target = nullptr;
    e->base_weapon = nullptr;
    e->powerup = nullptr;
    e->powerup_time = 0.0f;
    e->recoil = 0.0f;
    e->highlight = 0.0f;
    e->ammo = 0.0f;
    e->shot_timer = 0.0f;
    e->throttle = 0.0f;
    e->burner = nullptr;
    e->last_hit = nullptr;
    e->attack_phase = 0.0f;
    e->aim_angle = 0.0f;
    e->splash_damage = 0.0f;
    e->splash_range = 0.0f;
    e->trail_distance = 0.0f;
    e->trail_emitted = 0.0f;
    e->attack_time = 0;
    e->trigger = false;
    e->burn_time = 0.0f;
    e->chill_time = 0.0f;
    e->velocity = vec2_t{0.0f, 0.0f};
    e->angle = 0.0f;
    e->avoid_time = 0.0f;
    e->goal_count = 0;
    e->goal_timer = 0.0f;
    e->path = nullptr;
    e->damage_dealt = 0.0f;
    e->kills = 0;
    e->shots_fired = 0;
    e->deaths = 0;
    e->damage_taken = 0.0f;
}
