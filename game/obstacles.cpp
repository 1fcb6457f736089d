// Obstacle types (the shared outlines), placed obstacles, and the world's obstacle
// queries: placing an obstacle into the grid and the vector field, the circle test
// every path, spawn and behaviour uses, and the two projections built on it.
#include "game/obstacles.h"

#include "app/services/dataman.h"
#include "app/ui/screen-manager.h"
#include "game/entities/entity.h"
#include "game/scape.h"
#include "game/vector-field.h"

#include <math.h>
#include <stdlib.h>
#include <string.h>

namespace {

ObstacleType *s_types[ObstacleType::MAX_TYPES];
int s_num_types = 0;

// The table lives for the run; its types are freed at exit.
struct TypeTableAtExit {
    ~TypeTableAtExit() { ObstacleType::FreeAll(); }
} s_free_at_exit;

// A floating-point value of an outline file; missing or not finite counts 0.
float OutlineNumber(const DMNode *node, const char *key)
{
    const char *text = node ? node->GetValue(key) : nullptr;
    if (!text)
        return 0.0f;
    double value = strtod(text, nullptr);
    if (!isfinite(value) || fabs(value) > 1e30)
        return 0.0f;
    return (float)value;
}

float Length(vec2_t v)
{
    return sqrtf(v.x * v.x + v.y * v.y);
}

vec2_t Rotate(vec2_t p, float c, float s)
{
    return vec2_t{p.x * c - p.y * s, p.x * s + p.y * c};
}

}  // namespace

vec2_t ObstacleEdgeNormal(vec2_t p0, vec2_t p1)
{
    vec2_t n = {p1.y - p0.y, p0.x - p1.x};
    float length = Length(n);
    if (!(length >= ObstacleType::MIN_EDGE_LENGTH))
        return vec2_t{0.0f, 0.0f};
    return vec2_t{n.x / length, n.y / length};
}

// ---- ObstacleType ----

ObstacleType *ObstacleType::GetObstacleType(const char *name)
{
    if (!name)
        return nullptr;
    for (int i = 0; i < s_num_types; i++) {
        if (strcmp(s_types[i]->name, name) == 0)
            return s_types[i];
    }
    if (s_num_types >= MAX_TYPES) {
        ov->OV_Popupf(1, "ObstacleType limit exceeded (%d obstacle_types).\n", (int)MAX_TYPES);
        return nullptr;
    }
    ov->OV_Printf("Creating obstacle type '%s'\n", name);
    ObstacleType *type = new ObstacleType();
    // Load keeps the name even when the file is missing, so that a missing outline is
    // looked for once, not on every request.
    type->Load(name);
    s_types[s_num_types++] = type;
    return type;
}

int ObstacleType::GetNumTypes()
{
    return s_num_types;
}

void ObstacleType::FreeAll()
{
    for (int i = 0; i < s_num_types; i++) {
        s_types[i]->Free();
        delete s_types[i];
        s_types[i] = nullptr;
    }
    s_num_types = 0;
}

int ObstacleType::Load(const char *file)
{
    Free();
    if (!file)
        return 0;
    name = strdup(file);
    DMDatabase *db = dman().GetDatabase(file);
    if (db->GetNumberOfArrays() == 0) {
        // Nothing was read: the registry keeps an empty database for every name asked.
        dman().ReleaseDatabase(db);
        return 0;
    }
    DMArray *info = db->GetArray("info");
    if (!info) {
        ov->OV_Popupf(1, "Array 'info' not found on obstacle '%s'\n", file);
        dman().ReleaseDatabase(db);
        return 0;
    }
    const char *bitmap_name = info->GetNodeValue("bitmap", "value");
    if (bitmap_name)
        bitmap = ov->OV_GetBitmap(bitmap_name);
    hit_points = info->GetNode("hit_points") ? OutlineNumber(info->GetNode("hit_points"), "value") : 100.0f;

    DMArray *edge_array = db->GetArray("edges");
    int count = edge_array ? edge_array->GetSize() : 0;
    if (count > 0)
        edges = new ObstacleEdge[count];
    for (int i = 0; i < count; i++) {
        const DMNode *node = edge_array->GetNode(i);
        vec2_t p0 = {OutlineNumber(node, "p0x"), OutlineNumber(node, "p0y")};
        vec2_t p1 = {OutlineNumber(node, "p1x"), OutlineNumber(node, "p1y")};
        vec2_t d = {p1.x - p0.x, p1.y - p0.y};
        if (!(Length(d) >= MIN_EDGE_LENGTH))
            continue;  // a point, not an edge: it has no direction and no normal
        ObstacleEdge &edge = edges[num_edges++];
        edge.p0 = p0;
        edge.p1 = p1;
        edge.normal = ObstacleEdgeNormal(p0, p1);
        radius = fmaxf(radius, fmaxf(Length(p0), Length(p1)));
    }
    dman().ReleaseDatabase(db);
    return 1;
}

void ObstacleType::Free()
{
    delete[] edges;
    edges = nullptr;
    num_edges = 0;
    free(name);
    name = nullptr;
    bitmap = nullptr;
    hit_points = 100.0f;
    radius = 0.0f;
}

void ObstacleType::Save(const char *)
{
}

// ---- Obstacle ----

void Obstacle::Init(ObstacleType *new_type, vec2_t new_pos, float new_angle, float new_scale)
{
    if (!new_type)
        return;
    Free();
    angle = new_angle;
    scale = new_scale;
    pos = new_pos;
    type = new_type;
    num_edges = new_type->num_edges;
    visit_stamp = 0;
    radius = new_type->radius * new_scale;
    if (num_edges > 0)
        edges = new ObstacleEdge[num_edges];
    bool rotate = fabsf(new_angle) >= 1e-6f;
    float c = cosf(new_angle), s = sinf(new_angle);
    for (int i = 0; i < num_edges; i++) {
        ObstacleEdge edge = new_type->edges[i];
        if (rotate) {
            edge.p0 = Rotate(edge.p0, c, s);
            edge.p1 = Rotate(edge.p1, c, s);
            edge.normal = ObstacleEdgeNormal(edge.p0, edge.p1);
        }
        edge.p0 = vec2_t{edge.p0.x * new_scale + new_pos.x, edge.p0.y * new_scale + new_pos.y};
        edge.p1 = vec2_t{edge.p1.x * new_scale + new_pos.x, edge.p1.y * new_scale + new_pos.y};
        edges[i] = edge;
    }
}

void Obstacle::Free()
{
    delete[] edges;
    edges = nullptr;
    num_edges = 0;
}

void Obstacle::Draw()
{
    if (!type || !type->bitmap)
        return;
    ov->OV_SetBlend(0);
    ov->OV_SetAlpha(1.0f);
    ov->OV_SetColor(1.0f, 1.0f, 1.0f);
    Scape *world = GetScape();
    vec2_t p = world ? world->TranslatePointToScreenSpace(pos) : pos;
    float rx = sman.reference_scale_x, ry = sman.reference_scale_y;
    nTransform t = {{rx, 0, 0, p.x * rx, 0, ry, 0, p.y * ry, 0, 0, 1, 0, 0, 0, 0, 1}};
    ov->OV_PushTransform(&t);
    ov->OV_DrawBitmapRS(type->bitmap, 0.0f, 0.0f, angle, scale);
    ov->OV_PopTransform();
}

void Obstacle::DrawDebug()
{
    ov->OV_SetBlend(0);
    ov->OV_SetAlpha(1.0f);
    ov->OV_SetColor(1.0f, 1.0f, 1.0f);
    for (int i = 0; i < num_edges; i++) {
        const ObstacleEdge &e = edges[i];
        ov->OV_DrawLine(e.p0.x, e.p0.y, e.p1.x, e.p1.y);
        vec2_t mid = {(e.p0.x + e.p1.x) * 0.5f, (e.p0.y + e.p1.y) * 0.5f};
        ov->OV_DrawLine(mid.x, mid.y, mid.x + e.normal.x * 8.0f, mid.y + e.normal.y * 8.0f);
    }
}

// ---- The world's obstacles ----

uint32_t NextObstacleVisitStamp(Scape *world)
{
    world->visit_stamp++;
    if (world->visit_stamp == 0) {
        for (int i = 0; i < world->placed_obstacles.Count(); i++)
            world->placed_obstacles[i]->visit_stamp = 0;
        world->visit_stamp = 1;
    }
    return world->visit_stamp;
}

namespace {

bool FiniteVec(vec2_t p)
{
    return isfinite(p.x) && isfinite(p.y);
}

float Dot(vec2_t a, vec2_t b)
{
    return a.x * b.x + a.y * b.y;
}

// Calls visit(obstacle) for every obstacle the grid references, each once, rows from the
// top and columns from the left, until visit returns true; true when one did.
template <typename Visit>
bool ScanObstacles(Scape *world, Visit visit)
{
    uint32_t stamp = NextObstacleVisitStamp(world);
    if (!world->cells)
        return false;
    int count = world->num_columns * world->num_rows;
    for (int c = 0; c < count; c++) {
        ScapeCell &cell = world->cells[c];
        for (int i = 0; i < cell.num_obstacles; i++) {
            Obstacle *o = cell.obstacles[i];
            if (!o || o->visit_stamp == stamp)
                continue;
            o->visit_stamp = stamp;
            if (visit(o))
                return true;
        }
    }
    return false;
}

}  // namespace

Obstacle *Scape::AddObstacle(ObstacleType *type, vec2_t pos, float angle, float scale)
{
    if (!type)
        return nullptr;
    Obstacle *obstacle = new Obstacle();
    obstacle->Init(type, pos, angle, scale);
    placed_obstacles.InsertLast(obstacle);
    // A ninth obstacle whose centre lies in a full cell is placed (and freed by Reset)
    // but referenced by no cell, so it never collides.
    ScapeCell *cell = GetCellAt(pos);
    if (cell && cell->num_obstacles < SCAPE_MAX_CELL_OBSTACLES) {
        cell->obstacles[cell->num_obstacles++] = obstacle;
        obstacle->cell = cell;
    }
    if (vector_field) {
        for (int i = 0; i < obstacle->num_edges; i++)
            vector_field->AddEdge(obstacle->edges[i]);
    }
    return obstacle;
}

bool Scape::IsPointInsideObstacle(vec2_t p, float radius, vec2_t *out)
{
    if (!FiniteVec(p) || !isfinite(radius)) {
        NextObstacleVisitStamp(this);
        return false;
    }
    bool inside = false;
    ScanObstacles(this, [&](Obstacle *o) {
        if (o->num_edges <= 0)
            return false;  // an outline without edges never collides
        float dx = p.x - o->pos.x, dy = p.y - o->pos.y;
        float reach = radius + o->radius;
        if (reach < 0.0f || dx * dx + dy * dy > reach * reach)
            return false;
        float smallest = 100000.0f;
        const ObstacleEdge *nearest = nullptr;
        for (int i = 0; i < o->num_edges; i++) {
            const ObstacleEdge &e = o->edges[i];
            float depth = Dot(vec2_t{e.p0.x - p.x, e.p0.y - p.y}, e.normal);
            if (depth < -radius)
                return false;  // the circle lies wholly outside this edge
            if (depth < smallest) {
                smallest = depth;
                nearest = &e;
            }
        }
        if (!nearest)
            return false;  // no edge nearer than the starting depth
        float s = smallest + radius;
        if (out)
            *out = vec2_t{p.x + s * nearest->normal.x, p.y + s * nearest->normal.y};
        inside = fabsf(s) >= 0.1f;
        return true;  // the first obstacle reached decides
    });
    return inside;
}

bool Scape::ProjectPointOnToObstacle(vec2_t p, vec2_t *out)
{
    if (!FiniteVec(p)) {
        NextObstacleVisitStamp(this);
        return false;
    }
    return ScanObstacles(this, [&](Obstacle *o) {
        const ObstacleEdge *best = nullptr;
        float best_s = 0.0f;
        for (int i = 0; i < o->num_edges; i++) {
            const ObstacleEdge &e = o->edges[i];
            float s = Dot(vec2_t{p.x - e.p0.x, p.y - e.p0.y}, e.normal);
            if (s > 0.0f && (!best || s < best_s)) {
                best = &e;
                best_s = s;
            }
        }
        if (!best)
            return false;
        if (out)
            *out = vec2_t{p.x - best_s * best->normal.x, p.y - best_s * best->normal.y};
        return true;
    });
}

vec2_t Scape::ProjectPointOutOfCollisions(vec2_t p, float radius, bool *moved)
{
    if (moved)
        *moved = false;
    if (!FiniteVec(p) || !isfinite(radius))
        return p;
    Entity *blockers[5];
    int count = QueryEntitiesInRadius(p, radius, Entity::BLOCKS_MOVEMENT, blockers, 5);
    for (int i = 0; i < count; i++) {
        const Entity *e = blockers[i];
        vec2_t d = {p.x - e->pos.x, p.y - e->pos.y};
        float distance = sqrtf(d.x * d.x + d.y * d.y);
        float reach = radius + e->radius;
        if (!(distance < reach))
            continue;
        // A point on the blocker's centre has no direction away from it: push along x.
        vec2_t dir = distance > 1e-6f ? vec2_t{d.x / distance, d.y / distance} : vec2_t{1.0f, 0.0f};
        p = vec2_t{e->pos.x + (reach + 0.5f) * dir.x, e->pos.y + (reach + 0.5f) * dir.y};
        if (moved)
            *moved = true;
    }
    vec2_t q;
    if (IsPointInsideObstacle(p, radius, &q)) {
        p = q;
        if (moved)
            *moved = true;
    }
    return p;
}
