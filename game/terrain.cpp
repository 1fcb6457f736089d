// Terrain generation: the mission's ground composed into the "TERRAIN" bitmap, its
// obstacles placed and the environment emitters created and run ahead (see terrain.h).
#include "game/terrain.h"

#include "app/services/data-numbers.h"
#include "app/services/dataman.h"
#include "app/services/token-lists.h"
#include "app/ui/parts.h"
#include "app/ui/partfx.h"
#include "app/ui/screen-manager.h"
#include "game/game-util.h"
#include "game/gamestate.h"
#include "game/obstacles.h"
#include "game/scape.h"
#include "game/vector-field.h"
#include "ovrecords.h"

#include <math.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

namespace {

const float kDegrees = (float)M_PI / 180.0f;
const float kMaxPresimulate = 60.0f;

DMArray *LevelArray(DMDatabase *level, const char *id)
{
    return level ? level->GetArray(id) : nullptr;
}

const DMNode *LevelNode(DMDatabase *level, const char *array, const char *node)
{
    DMArray *a = LevelArray(level, array);
    return a ? a->GetNode(node) : nullptr;
}

// Pushes the reference-scale transform that maps a world point (x, y) to the origin.
void PushScaledTranslation(float x, float y)
{
    float rx = sman.reference_scale_x, ry = sman.reference_scale_y;
    nTransform t = {{rx, 0, 0, x * rx, 0, ry, 0, y * ry, 0, 0, 1, 0, 0, 0, 0, 1}};
    ov->OV_PushTransform(&t);
}

void DrawBackground(ov_bitmap_t *background)
{
    if (!background)
        return;
    float s = sman.reference_scale;
    int w = background->width, h = background->height;
    float ow = (w % 2) ? 0.5f : 0.0f, oh = (h % 2) ? 0.5f : 0.0f;
    ov->OV_DrawBitmapRS(background, s * (float)w / 2.0f + ow, s * (float)h / 2.0f + oh, 0.0f, s);
}

void DrawLevelDecals(DMDatabase *level)
{
    DMArray *decals = LevelArray(level, "environment_decals");
    int count = decals ? decals->GetSize() : 0;
    for (int i = 0; i < count; i++) {
        const DMNode *node = decals->GetNode(i);
        const char *name = NodeText(node, "bitmap");
        const char *blend_mode = NodeText(node, "blend_mode");
        bool additive = (blend_mode && strcmp(blend_mode, "ADDITIVE") == 0) ||
                        HasWholeToken(NodeText(node, "flags"), "ADDITIVE");
        ov->OV_SetBlend(additive ? 1 : 0);
        ov->OV_SetAlpha(NodeFloat(node, "a", 1.0f));
        ov->OV_SetColor(NodeFloat(node, "r", 1.0f), NodeFloat(node, "g", 1.0f), NodeFloat(node, "b", 1.0f));
        PushScaledTranslation(NodeFloat(node, "x", 0.0f), NodeFloat(node, "y", 0.0f));
        ov_bitmap_t *bitmap = name ? ov->OV_LoadBitmap(name, 4) : nullptr;
        if (bitmap)
            ov->OV_DrawBitmapRS(bitmap, 0.0f, 0.0f, NodeFloat(node, "angle", 0.0f) * kDegrees,
                                NodeFloat(node, "scale", 1.0f));
        ov->OV_PopTransform();
    }
    // Decal pictures are not kept loaded: each drops this pass's reference and the one
    // its drawing took.
    for (int i = 0; i < count; i++) {
        const char *name = NodeText(decals->GetNode(i), "bitmap");
        ov_bitmap_t *bitmap = name ? ov->OV_LoadBitmap(name, 4) : nullptr;
        if (!bitmap)
            continue;
        ov->OV_ReleaseBitmap(bitmap);
        ov->OV_ReleaseBitmap(bitmap);
    }
}

void DrawBunkerBackground(const char *name, float bx, float by)
{
    if (!name || !*name)
        return;
    float rx = sman.reference_scale_x, ry = sman.reference_scale_y;
    nTransform t = {{1, 0, 0, -bx * (1.0f - rx), 0, 1, 0, -by * (1.0f - ry), 0, 0, 1, 0, 0, 0, 0, 1}};
    ov->OV_PushTransform(&t);
    ov_bitmap_t *bitmap = ov->OV_LoadBitmap(name, 4);
    if (bitmap) {
        ov->OV_SetBitmapCacheMode(bitmap, 4);
        ov->OV_DrawBitmapRS(bitmap, bx, by, 0.0f, sman.reference_scale);
        ov->OV_ReleaseBitmap(bitmap);
    }
    ov->OV_PopTransform();
}

}  // namespace

DMNode *LevelBunkerNode(DMDatabase *level)
{
    DMArray *environment = LevelArray(level, "environment");
    DMNode *bunker = environment ? environment->GetNode("bunker") : nullptr;
    return bunker && bunker->GetValue("x") ? bunker : nullptr;
}

int TerrainPresimulationSteps(float presimulate, float *step)
{
    *step = 0.0f;
    if (!(presimulate > 0.1f))
        return 0;
    if (presimulate > kMaxPresimulate)
        presimulate = kMaxPresimulate;
    *step = fminf(presimulate - 0.1f, 0.5f);
    int steps = 0;
    for (float t = 0.0f; t < presimulate; t += *step)
        steps++;
    return steps;
}

int TerrainEmitterIntervalMs(float interval)
{
    float ms = interval * 1000.0f;
    if (!(ms >= 1.0f))
        return 1;
    if (ms > 86400000.0f)
        return 86400000;
    return (int)ms;
}

namespace {

// Builds the emitters of the level and returns the longest pre-run asked for.
float CreateEmitters(Scape *world, DMDatabase *level)
{
    world->emitters.Clear();
    world->num_emitters = 0;
    float presimulate = 0.0f;
    DMArray *nodes = LevelArray(level, "environment_emitters");
    int count = nodes ? nodes->GetSize() : 0;
    for (int i = 0; i < count; i++) {
        const DMNode *node = nodes->GetNode(i);
        ScapeEmitter emitter;
        memset(&emitter, 0, sizeof emitter);
        emitter.active = HasWholeToken(NodeText(node, "flags"), "DISABLED") ? 0 : 1;
        emitter.mode = 0;
        snprintf(emitter.id, sizeof emitter.id, "%s", NodeText(node, "id") ? NodeText(node, "id") : "");
        emitter.pos = vec2_t{NodeFloat(node, "x", 0.0f), NodeFloat(node, "y", 0.0f)};
        const char *layer = NodeText(node, "layer");
        emitter.layer = layer && strcmp(layer, "FORE") == 0 ? world->top_parts : world->ground_parts;
        const char *fx = NodeText(node, "fx");
        emitter.fx = fx && *fx ? pbman.GetFX(fx) : nullptr;
        emitter.interval = NodeFloat(node, "interval", 0.5f);
        emitter.angle = NodeFloat(node, "angle", 0.0f) * kDegrees;
        world->ground_angle = emitter.angle;
        world->emitters.InsertLast(emitter);
        world->num_emitters = world->emitters.Count();
        presimulate = fmaxf(presimulate, NodeFloat(node, "presimulate", 0.0f));
    }
    return presimulate;
}

void Presimulate(Scape *world, float presimulate)
{
    float step;
    int steps = TerrainPresimulationSteps(presimulate, &step);
    float t = 0.0f;
    for (int s = 0; s < steps; s++) {
        uint32_t from_ms = (uint32_t)(t * 1000.0f), to_ms = (uint32_t)((t + step) * 1000.0f);
        for (int i = 0; i < world->emitters.Count(); i++) {
            const ScapeEmitter &e = world->emitters[i];
            uint32_t interval = (uint32_t)TerrainEmitterIntervalMs(e.interval);
            if (!e.active || from_ms / interval == to_ms / interval)
                continue;
            pbman.SpawnFX(e.layer, e.fx, AdjustPosByAverageScale(e.pos), e.angle, 0.0f);
        }
        t += step;
        if (world->ground_parts)
            world->ground_parts->UpdateParts(step);
        if (world->top_parts)
            world->top_parts->UpdateParts(step);
    }
}

void PlaceBunkerObstacle(Scape *world, const char *outline, vec2_t pos)
{
    char file[256];
    snprintf(file, sizeof file, "terrain/obstacles/%s.xml", outline);
    ObstacleType *type = ObstacleType::GetObstacleType(file);
    if (type)
        world->AddObstacle(type, pos, 0.0f, 1.0f);
}

}  // namespace

void Scape::GenerateTerrain()
{
    // Within a mission only the bitmap is drawn again: everything else is in place.
    bool rebuild = terrain_generated != 0;
    if (!terrain)
        terrain = ov->OV_CreateBitmap("TERRAIN", sman.virtual_width, sman.virtual_height, 1);
    ov->OV_Printf("Generating terrain..\n");
    DMDatabase *level = game.level_db;
    const char *background_name = NodeText(LevelNode(level, "environment", "background"), "value");
    const char *bunker_background = NodeText(LevelNode(level, "environment", "bunker_background"), "value");
    const DMNode *bunker = LevelBunkerNode(level);
    vec2_t bunker_pos = {(float)NodeInt(bunker, "x", 0), (float)NodeInt(bunker, "y", 0)};
    const char *bunker_outline = NodeText(bunker, "type");
    if (!bunker_outline)
        bunker_outline = "bunker";

    // Without a terrain bitmap there is nothing to compose into: drawing would go to
    // the screen, so composition and decals are dropped.
    bool compose = terrain && ov->OV_SetRenderTarget(terrain);
    ov_bitmap_t *background = nullptr;
    if (compose) {
        background = background_name ? ov->OV_GetBitmapEx(background_name, 4) : nullptr;
        if (background)
            ov->OV_SetBitmapCacheMode(background, 4);
        ov->OV_SetBlend(0);
        ov->OV_SetColor(1.0f, 1.0f, 1.0f);
        DrawBackground(background);
        DrawLevelDecals(level);
    }
    if (!rebuild)
        Presimulate(this, CreateEmitters(this, level));
    if (compose) {
        // Normal blending again: the last decal may have left it additive, which
        // washed the bunker pad out.
        ov->OV_SetBlend(0);
        ov->OV_SetAlpha(1.0f);
        ov->OV_SetColor(1.0f, 1.0f, 1.0f);
        DrawBunkerBackground(bunker_background, bunker_pos.x, bunker_pos.y);
    }

    uint32_t started = ov->OV_GetTime();
    if (rebuild) {
        for (int i = 0; i < placed_obstacles.Count(); i++) {
            if (compose && placed_obstacles[i]->drawn_in_terrain)
                placed_obstacles[i]->Draw();
        }
    } else {
        if (vector_field)
            vector_field->Clear();
        DMArray *obstacles = LevelArray(level, "obstacles");
        int count = obstacles ? obstacles->GetSize() : 0;
        for (int i = 0; i < count; i++) {
            const DMNode *node = obstacles->GetNode(i);
            ObstacleType *type = ObstacleType::GetObstacleType(NodeText(node, "obstacle"));
            if (!type)
                continue;
            vec2_t pos = {NodeFloat(node, "x", 0.0f), NodeFloat(node, "y", 0.0f)};
            Obstacle *placed = AddObstacle(type, pos, NodeFloat(node, "angle", 0.0f) * kDegrees,
                                           NodeFloat(node, "scale", 1.0f));
            placed->drawn_in_terrain = 1;
            if (compose)
                placed->Draw();
        }
        NextObstacleVisitStamp(this);
        // The bunker's outline collides but is not drawn: the bunker pad shows it.
        if (bunker)
            PlaceBunkerObstacle(this, bunker_outline, bunker_pos);
        if (vector_field)
            vector_field->AddBorderPush();
        terrain_generated = 1;
    }
    ov->OV_PrintDebugf(0, "Vector field generation took %.3f seconds.\n",
                       (double)(ov->OV_GetTime() - started) / 1000.0);
    if (compose)
        ov->OV_SetRenderTarget(nullptr);
    if (background)
        ov->OV_SetBitmapCacheMode(background, 0);
}
