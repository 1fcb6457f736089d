// The world's lifecycle and grid: building, resetting and freeing the world, the cell of
// a point, linking entities into their cell's ring, the screen mapping and positional
// sound. The queries are in scape-queries.cpp, spawning and damage in scape-damage.cpp.
#include "game/scape.h"

#include "app/services/audioman.h"
#include "app/services/random.h"
#include "app/services/small-maths.h"
#include "app/ui/parts.h"
#include "app/ui/screen-manager.h"
#include "game/entities/entity.h"
#include "game/entities/stock.h"
#include "game/gamestate.h"
#include "game/obstacles.h"
#include "game/spawn-manager.h"
#include "game/vector-field.h"

#include <math.h>
#include <stdlib.h>
#include <string.h>

std::atomic<Scape *> scape{nullptr};

namespace {


// pi .. 2 pi, the angle the smoke of a mission drifts at.
float DrawGroundAngle()
{
    return kPi + kPi * (float)AppRandom() / 32767.0f;
}

// Index of the cell holding coordinate v along an axis of n cells: v / size truncated
// toward zero, clamped to 0 .. n - 1. Clamped in float first (NaN counts 0), so no
// out-of-range value is ever converted.
int CellIndex(float v, float size, int n)
{
    if (n <= 0)
        return 0;
    float f = v / size;
    if (!(f >= 0.0f))
        return 0;
    if (f >= (float)(n - 1))
        return n - 1;
    return (int)f;
}

}  // namespace

Scape::Scape()
{
    memset(decals, 0, sizeof decals);
    emitters.SetShrink(true);
    placed_obstacles.SetShrink(true);
    ScapeConfigDefaults(&config);
}

Scape::~Scape()
{
    Free();
}

void Scape::Init(int columns, int rows, float size)
{
    if (cells || stock)
        Free();

    ground_parts = new PartMan(SCAPE_PARTICLE_LAYER_INIT);
    top_parts = new PartMan(SCAPE_PARTICLE_LAYER_INIT);

    stock = new Stock;
    stock->Init(SCAPE_ENTITY_RECORDS);

    spawn_manager = new SpawnManager(SCAPE_SPAWN_ITEMS);
    spawn_manager->world = this;
    spawn_manager->Init();
    spawn_manager->Reset();

    InitGrid(columns, rows, size);

    ground_angle = DrawGroundAngle();

    vector_field = new VectorField(width, height, this);

    terrain = ov->OV_CreateBitmap("TERRAIN", sman.virtual_width, sman.virtual_height, 1);

    Reset();
}

void Scape::ForgetLinks()
{
    negative_radius_linked = 0;
    link_stamp++;
    for (int i = 0; i < SCAPE_GROUP_RINGS; i++) {
        group_first[i] = nullptr;
        group_linked[i] = 0;
    }
    linked_total = 0;
    linked_normal = 0;
}

void Scape::InitGrid(int columns, int rows, float size)
{
    free(cells);
    if (columns < 1)
        columns = 1;
    if (rows < 1)
        rows = 1;
    if (!(size > 0.0f) || !isfinite(size))
        size = 1.0f;
    cells = (ScapeCell *)calloc((size_t)columns * (size_t)rows, sizeof(ScapeCell));
    ForgetLinks();
    num_columns = columns;
    num_rows = rows;
    cell_size = size;
    for (int row = 0; row < rows; row++) {
        for (int column = 0; column < columns; column++) {
            ScapeCell *cell = &cells[row * columns + column];
            cell->center.x = ((float)column + 0.5f) * size;
            cell->center.y = ((float)row + 0.5f) * size;
            cell->row = row;
            cell->column = column;
        }
    }
    width = (int)((float)columns * size);
    height = (int)((float)rows * size);
}

void Scape::FreeObstacles()
{
    // Obstacles a cell references but the list misses are freed as well, once.
    for (int i = 0; cells && i < num_columns * num_rows; i++) {
        for (int k = 0; k < cells[i].num_obstacles && k < SCAPE_MAX_CELL_OBSTACLES; k++) {
            Obstacle *obstacle = cells[i].obstacles[k];
            bool listed = false;
            for (int j = 0; obstacle && !listed && j < placed_obstacles.Count(); j++)
                listed = placed_obstacles[j] == obstacle;
            if (obstacle && !listed)
                placed_obstacles.InsertLast(obstacle);
        }
    }
    for (int i = 0; i < placed_obstacles.Count(); i++) {
        Obstacle *obstacle = placed_obstacles[i];
        obstacle->Free();
        delete obstacle;
    }
    placed_obstacles.Clear();
    terrain_generated = 0;
    if (!cells)
        return;
    for (int i = 0; i < num_columns * num_rows; i++) {
        memset(cells[i].obstacles, 0, sizeof cells[i].obstacles);
        cells[i].num_obstacles = 0;
    }
}

void Scape::Reset()
{
    num_decals = 0;
    shake_time = 0.0f;
    ground_angle = DrawGroundAngle();
    if (spawn_manager)
        spawn_manager->Reset();
    memset(group_counts, 0, sizeof group_counts);
    if (ground_parts)
        ground_parts->InitParts(SCAPE_PARTICLE_LAYER_SIZE);
    if (top_parts)
        top_parts->InitParts(SCAPE_PARTICLE_LAYER_SIZE);
    FreeObstacles();
    if (cells) {
        for (int i = 0; i < num_columns * num_rows; i++) {
            cells[i].num_entities = 0;
            cells[i].first = nullptr;
            memset(cells[i].group_entities, 0, sizeof cells[i].group_entities);
            cells[i].max_reach = 0.0f;
        }
    }
    ForgetLinks();
    if (stock)
        stock->ResetEntities();
    // Every record is free now: the base of the last mission is gone with it (a level
    // without a bunker would otherwise keep a pointer to whatever reuses the record).
    game.base = nullptr;
}

void Scape::Free()
{
    FreeObstacles();
    free(cells);
    cells = nullptr;
    if (stock) {
        stock->Free();
        delete stock;
        stock = nullptr;
    }
    delete spawn_manager;
    spawn_manager = nullptr;
    delete vector_field;
    vector_field = nullptr;
    delete ground_parts;
    ground_parts = nullptr;
    delete top_parts;
    top_parts = nullptr;
    if (terrain && ov)
        ov->OV_ReleaseBitmap(terrain);
    terrain = nullptr;
    emitters.Clear();
    num_emitters = 0;
}

int Scape::GetColumnOf(float x) const
{
    return CellIndex(x, cell_size, num_columns);
}

int Scape::GetRowOf(float y) const
{
    return CellIndex(y, cell_size, num_rows);
}

ScapeCell *Scape::GetCellAt(vec2_t p)
{
    if (!cells)
        return nullptr;
    return &cells[GetRowOf(p.y) * num_columns + GetColumnOf(p.x)];
}

// The group ring an entity belongs in: by its friend group (the groups outside 0..15
// share one) and whether it is NORMAL.
static int GroupRingOf(const Entity *e)
{
    int group = e->friend_group >= 0 && e->friend_group < SCAPE_NUM_GROUP_COUNTS ? e->friend_group
                                                                                   : SCAPE_RING_GROUPS - 1;
    return group * 2 + ((e->flags & Entity::NORMAL) ? 0 : 1);
}

// Enters e into its group's ring and its cell's count (e->cell is set).
static void JoinGroup(Scape *world, Entity *e)
{
    int ring = GroupRingOf(e);
    e->cell_group = (int16_t)ring;
    if (ring / 2 < SCAPE_NUM_GROUP_COUNTS)
        e->cell->group_entities[ring / 2]++;
    world->group_linked[ring]++;
    world->linked_total++;
    if (ring % 2 == 0)
        world->linked_normal++;
    Entity *head = world->group_first[ring];
    if (!head) {
        world->group_first[ring] = e;
        e->group_next = e->group_prev = e;
        return;
    }
    e->group_next = head;
    e->group_prev = head->group_prev;
    head->group_prev->group_next = e;
    head->group_prev = e;
}

static void LeaveGroup(Scape *world, Entity *e)
{
    int ring = e->cell_group;
    if (ring < 0 || ring >= SCAPE_GROUP_RINGS || !e->group_next)
        return;
    if (ring / 2 < SCAPE_NUM_GROUP_COUNTS && e->cell->group_entities[ring / 2] > 0)
        e->cell->group_entities[ring / 2]--;
    world->group_linked[ring]--;
    world->linked_total--;
    if (ring % 2 == 0)
        world->linked_normal--;
    if (world->group_first[ring] == e)
        world->group_first[ring] = e->group_next != e ? e->group_next : nullptr;
    e->group_prev->group_next = e->group_next;
    e->group_next->group_prev = e->group_prev;
    e->group_next = e->group_prev = nullptr;
    e->cell_group = -1;
}

void Scape::RegroupEntity(Entity *e)
{
    if (!e->cell || !cells || e->cell < cells || e->cell >= cells + num_columns * num_rows)
        return;
    LeaveGroup(this, e);
    JoinGroup(this, e);
}

void Scape::LinkEntity(Entity *e)
{
    ScapeCell *cell = GetCellAt(e->pos);
    if (!cell)
        return;
    // A radius that grew since the entity was linked is seen here too.
    float reach = fabsf(e->radius);
    if (reach > cell->max_reach)
        cell->max_reach = reach;
    if (e->radius < 0.0f)
        negative_radius_linked = 1;
    if (e->cell == cell)
        return;
    link_stamp++;
    if (e->cell)
        UnlinkEntity(e);
    cell->num_entities++;
    e->cell = cell;
    e->link_seq = ++link_seq;
    JoinGroup(this, e);
    if (!cell->first) {
        cell->first = e;
        e->next = e;
        e->prev = e;
        return;
    }
    // Just before the head: the tail of the ring.
    Entity *head = cell->first;
    Entity *tail = head->prev;
    e->next = head;
    e->prev = tail;
    tail->next = e;
    head->prev = e;
}

void Scape::UnlinkEntity(Entity *e)
{
    ScapeCell *cell = e->cell;
    if (!cell)
        return;
    link_stamp++;
    LeaveGroup(this, e);
    cell->num_entities--;
    if (cell->num_entities == 0)
        cell->max_reach = 0.0f;
    e->cell = nullptr;
    if (cell->first == e)
        cell->first = e->next != e ? e->next : nullptr;
    e->prev->next = e->next;
    e->next->prev = e->prev;
    e->next = nullptr;
    e->prev = nullptr;
}

vec2_t Scape::TranslatePointToScreenSpace(vec2_t p) const
{
    vec2_t out = {(p.x - camera.x) * zoom, (p.y - camera.y) * zoom};
    return out;
}

vec2_t Scape::TranslatePointToScape(vec2_t p) const
{
    vec2_t out = {(p.x + camera.x) / zoom, (p.y + camera.y) / zoom};
    return out;
}

void Scape::PlaySoundAt(ov_sound_t *sound, vec2_t p, float volume, float pitch)
{
    float pan = 0.0f;
    if (width > 0)
        pan = (p.x - (float)(width / 2)) / (float)width * 0.5f;
    aman.PlaySound(sound, volume, pan, pitch);
}
