// The spawn manager: the fixed pool of spawn items, the queue in due-time order, the
// per-frame spawning and warning signs, and the spawn groups and events read from
// "spawn-groups.xml" and "spawn-events.xml".
#include "game/spawn-manager.h"
#include "game/world-counters.h"

#include "app/services/data-numbers.h"
#include "app/services/dataman.h"
#include "app/services/featureman.h"
#include "app/services/prog.h"
#include "app/services/random.h"
#include "app/services/small-maths.h"
#include "app/services/token-lists.h"
#include "app/ui/screen-manager.h"
#include "game/entities/entity-types.h"
#include "game/entities/entity.h"
#include "game/entities/stock.h"
#include "game/gamestate.h"
#include "game/scape.h"
#include "ovrecords.h"

#include <math.h>
#include <stdlib.h>
#include <string.h>
#include <strings.h>

static const float kDegreesToRadians = 0.017453292519943295f;
static const uint32_t kAlertMs = 2000;

// Milliseconds between two members of a formation; negative delays count 0.
static uint32_t DelayMs(float delay)
{
    float ms = delay * 1000.0f;
    if (!(ms > 0.0f))
        return 0;
    if (ms >= 4294967040.0f)
        return 4294967295u;
    return (uint32_t)ms;
}

Scape *SpawnManager::World() const
{
    return world ? world : GetScape();
}

SpawnManager::SpawnManager(int count)
{
    memset(groups, 0, sizeof(groups));
    memset(events, 0, sizeof(events));
    if (count > 0) {
        items = new SpawnInfo[count];
        memset(items, 0, sizeof(SpawnInfo) * (size_t)count);
        num_items = count;
    }
    ClearSpawnList();
}

SpawnManager::~SpawnManager()
{
    for (int i = 0; i < num_groups; ++i)
        free(groups[i].id);
    delete[] items;
}

void SpawnManager::Init()
{
    LoadSpawnGroups();
    LoadSpawnEvents();
}

void SpawnManager::Reset()
{
    ClearSpawnList();
    clock = 0;
    level = 1;
    sub_level = 1;
    for (int i = 0; i < num_events; ++i)
        events[i].times_used = 0;
}

void SpawnManager::ClearSpawnList()
{
    free_list = nullptr;
    for (int i = num_items - 1; i >= 0; --i) {
        items[i].next = free_list;
        free_list = &items[i];
    }
    queue_head = nullptr;
    queue_tail = nullptr;
}

void SpawnManager::Free() {}

void SpawnManager::SetSpawnParms(vec2_t player, int levelNumber, int subLevel)
{
    player_pos = player;
    level = levelNumber;
    sub_level = subLevel;
}

bool SpawnManager::PickupQueuedNear(vec2_t p, float reach) const
{
    int guard = num_items;
    for (SpawnInfo *item = queue_head; item && guard-- >= 0; item = item->next) {
        if (!item->type || !(item->type->flags & Entity::POWERUP))
            continue;
        float dx = item->pos.x - p.x, dy = item->pos.y - p.y;
        if (dx * dx + dy * dy < reach * reach)
            return true;
    }
    return false;
}

SpawnInfo *SpawnManager::AddSpawnInfo(unsigned long time, EntityType *type, vec2_t pos)
{
    if (!type)
        return nullptr;
    SpawnInfo *item = free_list;
    if (!item) {
        if (!feature_man.ProductFeatureExists("AUTO_TESTING_MODE"))
            ov->OV_Popupf(1, "Out of free spawn info items...\n");
        return nullptr;
    }
    free_list = item->next;

    item->time = (uint32_t)time;
    item->pos = pos;
    item->angle = 0.0f;
    item->hit_point_factor = 1.0f;
    item->no_alert = 0;
    item->type = type;
    item->next = nullptr;

    if (!queue_head) {
        queue_head = queue_tail = item;
    } else if (item->time > queue_tail->time) {
        queue_tail->next = item;
        queue_tail = item;
    } else {
        // Never in front of the head; before the first later item whose time is equal
        // or later, so that among equal times the newest comes first.
        SpawnInfo *prev = queue_head;
        while (prev->next && prev->next->time < item->time) {
            prev = prev->next;
            world_counters.queue_insert_steps++;
        }
        item->next = prev->next;
        prev->next = item;
        if (!item->next)
            queue_tail = item;
    }
    return item;
}

void SpawnManager::Update(float dt)
{
    if (dt > 0.0f)
        clock += (uint32_t)SaturatedInt(dt * 1000.0f);
    Scape *here = World();
    while (queue_head && queue_head->time <= clock) {
        SpawnInfo *item = queue_head;
        queue_head = item->next;
        if (!queue_head)
            queue_tail = nullptr;
        // An item whose spawn fails (a full pool, or an enemy that the squad's reserve
        // of records turns away) is dropped.
        Entity *e = here ? here->SpawnEntity(item->type, item->pos) : nullptr;
        if (e) {
            e->angle = item->angle;
            e->hit_points *= item->hit_point_factor;
            e->max_hit_points = e->hit_points;
        }
        item->next = free_list;
        free_list = item;
    }
}

bool SpawnManager::AreEnemiesLeftToSpawn() const
{
    return queue_head != nullptr;
}

bool SpawnManager::AreEnemiesLeft() const
{
    Scape *here = World();
    if (here && here->GetNumberOfEntitiesInFriendGroup(1) > 0)
        return true;
    return AreEnemiesLeftToSpawn();
}

void SpawnManager::DrawSpawnAlerts()
{
    Scape *here = World();
    if (!here || !here->stock)
        return;
    ov_bitmap_t *sign = here->stock->bm_incoming_enemies;
    if (!sign)
        return;
    for (SpawnInfo *item = queue_head; item; item = item->next) {
        if (item->no_alert || item->time <= clock || item->time - clock >= kAlertMs)
            continue;
        vec2_t p = item->pos;
        float max_x = (float)here->width - 5.0f, max_y = (float)here->height - 5.0f;
        p.x = p.x < 5.0f ? 5.0f : (p.x > max_x ? max_x : p.x);
        p.y = p.y < 5.0f ? 5.0f : (p.y > max_y ? max_y : p.y);
        // The sign (at most its own size, turned a little) stays whole on the screen and
        // off the battle's buttons.
        p = PlaceHudSign(here->TranslatePointToScape(p),
                         vec2_t{0.55f * (float)sign->width + 2.0f, 0.55f * (float)sign->height + 2.0f});
        float t = (float)(item->time - clock) / (float)kAlertMs;
        float alpha = 2.0f * sinf(t * kPi);
        ov->OV_SetAlpha(alpha < 0.0f ? 0.0f : (alpha > 1.0f ? 1.0f : alpha));
        ov->OV_DrawBitmapRS(sign, p.x, p.y, 0.1f * cosf(t), 0.9f + 0.1f * cosf(6.0f * kPi * t));
    }
    ov->OV_SetAlpha(1.0f);
}

SpawnGroup *SpawnManager::GetSpawnGroup(const char *name)
{
    if (!name)
        return nullptr;
    for (int i = 0; i < num_groups; ++i)
        if (groups[i].id && strcasecmp(groups[i].id, name) == 0)
            return &groups[i];
    return nullptr;
}

void SpawnManager::SpawnSpawnGroupNow(const char *name)
{
    SpawnSpawnGroup(GetSpawnGroup(name), clock, 0);
}

void SpawnManager::SpawnSpawnGroup(SpawnGroup *group, unsigned long time, int extra)
{
    if (!group)
        return;
    float number = group->num_ents_base + (float)level * group->num_ents_per_level +
                   (float)sub_level * group->num_ents_per_sub_level;
    long long sum = (long long)extra + SaturatedInt(number);
    int n = sum > 2147483647LL ? 2147483647 : (sum < 0 ? 0 : (int)sum);
    vec2_t centre = group->pos;
    if (group->around_player) {
        centre.x += player_pos.x;
        centre.y += player_pos.y;
    }
    switch (group->formation) {
    case SPAWN_FORMATION_POINT:
        SpawnGroupCircle(time, group->entity_type, n, group->spawn_delay, centre, 0.0f);
        break;
    case SPAWN_FORMATION_CIRCLE:
        SpawnGroupCircle(time, group->entity_type, n, group->spawn_delay, centre, group->radius);
        break;
    case SPAWN_FORMATION_LINE:
        SpawnGroupLine(time, group->entity_type, n, group->spawn_delay, group->pos, group->pos_to,
                       group->angle);
        break;
    default:
        SpawnGroupRectangle(time, group->entity_type, n, group->spawn_delay, centre, group->width,
                            group->height);
        break;
    }
}

void SpawnManager::SpawnGroupCircle(unsigned long time, EntityType *type, int n, float delay, vec2_t centre,
                                    float radius)
{
    uint32_t step_ms = DelayMs(delay);
    float angle = 0.0f;
    for (int i = 0; i < n; ++i) {
        vec2_t p = {centre.x + radius * cosf(angle), centre.y + radius * sinf(angle)};
        if (!AddSpawnInfo(time + (unsigned long)i * step_ms, type, p))
            return;
        angle += 2.0f * kPi / (float)n;
    }
}

void SpawnManager::SpawnGroupLine(unsigned long time, EntityType *type, int n, float delay, vec2_t from,
                                  vec2_t to, float facing)
{
    uint32_t step_ms = DelayMs(delay);
    vec2_t step = {0.0f, 0.0f};
    if (n >= 2) {
        step.x = (to.x - from.x) / (float)(n - 1);
        step.y = (to.y - from.y) / (float)(n - 1);
    }
    for (int i = 0; i < n; ++i) {
        vec2_t p = {from.x + (float)i * step.x, from.y + (float)i * step.y};
        SpawnInfo *item = AddSpawnInfo(time + (unsigned long)i * step_ms, type, p);
        if (!item)
            return;
        item->angle = facing;
    }
}

void SpawnManager::SpawnGroupRectangle(unsigned long time, EntityType *type, int n, float delay,
                                       vec2_t centre, float width, float height)
{
    uint32_t step_ms = DelayMs(delay);
    for (int i = 0; i < n; ++i) {
        float r1 = (float)AppRandom() / 32767.0f;
        float r2 = (float)AppRandom() / 32767.0f;
        vec2_t p = {centre.x - width / 2.0f + width * r1, centre.y - height / 2.0f + height * r2};
        if (!AddSpawnInfo(time + (unsigned long)i * step_ms, type, p))
            return;
    }
}

void SpawnManager::LoadSpawnGroups()
{
    DMArray *array = dman().GetArray("spawn-groups.xml", "groups");
    if (!array)
        return;
    for (int i = 0; i < num_groups; ++i)
        free(groups[i].id);
    memset(groups, 0, sizeof(groups));
    num_groups = 0;
    Scape *here = World();
    for (int i = 0; i < array->GetSize() && num_groups < SPAWN_MAX_GROUPS; ++i) {
        const DMNode *node = array->GetNode(i);
        SpawnGroup *g = &groups[num_groups++];
        const char *id = node->GetValue("id");
        g->id = strdup(id ? id : "");
        g->pos.x = NodeFloat(node, "pos_x", 0.0f);
        g->pos.y = NodeFloat(node, "pos_y", 0.0f);
        g->around_player = HasWholeToken(node->GetValue("tags"), "SPAWN_AROUND_PLAYER") ? 1 : 0;
        const char *formation = node->GetValue("formation");
        if (formation && strcmp(formation, "POINT") == 0) {
            g->formation = SPAWN_FORMATION_POINT;
        } else if (formation && strcmp(formation, "CIRCLE") == 0) {
            g->formation = SPAWN_FORMATION_CIRCLE;
            g->radius = NodeFloat(node, "radius", 0.0f);
        } else if (formation && strcmp(formation, "LINE") == 0) {
            g->formation = SPAWN_FORMATION_LINE;
            g->pos_to.x = NodeFloat(node, "pos_to_x", 0.0f);
            g->pos_to.y = NodeFloat(node, "pos_to_y", 0.0f);
            g->angle = NodeFloat(node, "angle", 0.0f) * kDegreesToRadians;
        } else if (formation && strcmp(formation, "RECTANGLE") == 0) {
            g->formation = SPAWN_FORMATION_RECTANGLE;
            g->width = NodeFloat(node, "width", 0.0f);
            g->height = NodeFloat(node, "height", 0.0f);
        } else {
            // RANDOM: anywhere on the screen, 15 units in from its edges.
            g->formation = SPAWN_FORMATION_RECTANGLE;
            g->pos.x = (float)(prog.parms.width / 2);
            g->pos.y = (float)(prog.parms.height / 2);
            g->width = (float)(prog.parms.width - 30);
            g->height = (float)(prog.parms.height - 30);
        }
        const char *type = node->GetValue("entity_type");
        g->entity_type = here && here->stock ? here->stock->GetEntityType(type) : nullptr;
        g->num_ents_base = NodeFloat(node, "num_ents_base", 0.0f);
        g->num_ents_per_level = NodeFloat(node, "num_ents_per_level", 0.0f);
        g->num_ents_per_sub_level = NodeFloat(node, "num_ents_per_sub_level", 0.0f);
        g->spawn_delay = NodeFloat(node, "spawn_delay", 0.0f);
    }
}

void SpawnManager::LoadSpawnEvents()
{
    DMArray *array = dman().GetArray("spawn-events.xml", "events");
    if (!array)
        return;
    memset(events, 0, sizeof(events));
    num_events = 0;
    for (int i = 0; i < array->GetSize() && num_events < SPAWN_MAX_EVENTS; ++i) {
        const DMNode *node = array->GetNode(i);
        SpawnEvent *e = &events[num_events++];
        const char *tags = node->GetValue("tags");
        e->flags = (uint8_t)((HasWholeToken(tags, "UNIQUE") ? SPAWN_EVENT_UNIQUE : 0) |
                             (HasWholeToken(tags, "FORCE_SPAWN") ? SPAWN_EVENT_FORCE_SPAWN : 0));
        e->min_level = NodeInt(node, "min_level", 0);
        e->max_level = NodeInt(node, "max_level", 0);
        e->rarity = NodeInt(node, "rarity", 0);
        e->num_extra_ents = NodeInt(node, "num_extra_ents", 0);
        e->group = GetSpawnGroup(node->GetValue("group"));
    }
}
