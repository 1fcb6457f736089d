// Drawing the world: the terrain bitmap, the ground particles, every entity cell by
// cell (a rough top-to-bottom layering without sorting) with its flames, the players'
// pick-ups once more on top, the controls' overlay, the top particles, the artillery
// and incoming-strike markers with their falling shells, the artillery prompt and, for
// developers, the obstacle outlines (key 82) and the vector field (key 86).
#include "game/scape.h"

#include "app/services/featureman.h"
#include "app/services/key-state.h"
#include "app/services/prog.h"
#include "app/services/small-maths.h"
#include "app/ui/partfx.h"
#include "app/ui/parts.h"
#include "app/ui/screen-manager.h"
#include "game/controls.h"
#include "game/entities/entity-types.h"
#include "game/entities/entity.h"
#include "game/entities/stock.h"
#include "game/gamestate.h"
#include "game/obstacles.h"
#include "game/vector-field.h"

#include <math.h>

namespace {

const int kObstacleOutlineKey = 82;
const int kVectorFieldKey = 86;
const int kTopPassPickups = 10;
const int kIncomingMarkers = 8;
const float kStrikeCountdown = 3.0f;
const int kTextCenter = 12;  // VCENTER | HCENTER
const int kTextHCenter = 8;

nTransform Scale(float sx, float sy)
{
    nTransform t = {{sx, 0, 0, 0, 0, sy, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}};
    return t;
}

void PushScale(float sx, float sy)
{
    nTransform t = Scale(sx, sy);
    ov->OV_PushTransform(&t);
}

// A world point in the uniform scale m of the entity pass, corrected per axis.
vec2_t MarkerPoint(float x, float y, float m)
{
    vec2_t p = {x * sman.reference_scale_x / m, y * sman.reference_scale_y / m};
    return p;
}

// A spinning target with its countdown text.
void DrawStrikeMarker(Stock *stock, vec2_t at, float angle, float countdown)
{
    if (stock->bm_red_target)
        ov->OV_DrawBitmapRS(stock->bm_red_target, at.x, at.y, angle, 1.0f);
    if (stock->font_medium) {
        ov->OV_SetTextAlign(kTextCenter);
        ov->OV_DrawTextf(stock->font_medium, at.x, at.y, "%.1f", countdown);
        ov->OV_SetTextAlign(0);
    }
}

void DrawMarkers(Stock *stock, float m)
{
    float a = game.artillery_timer;
    if (a > 0.0f) {
        float f = Clamp01(a / kStrikeCountdown);
        DrawStrikeMarker(stock, MarkerPoint(game.artillery_x, game.artillery_y, m), (a * 14.0f) / (2.5f - f),
                         kStrikeCountdown - a);
    }
    if (game.parms.game_mode == GAME_MODE_INCOMING && !game.lost) {
        for (int i = 0; i < kIncomingMarkers; ++i) {
            const GameStrikeMarker &marker = game.strike_markers[i];
            float t = marker.timer;
            if (!marker.active || !(t > 0.0f))
                continue;
            float f = Clamp01((kStrikeCountdown - t) / kStrikeCountdown);
            DrawStrikeMarker(stock, MarkerPoint(marker.x, marker.y, m),
                             ((kStrikeCountdown - t) * 14.0f) / (2.5f - f), t);
        }
    }
    for (int i = game.strikes.Count() - 1; i >= 0; --i) {
        const GameStrike *strike = game.strikes[i];
        if (!strike || strike->timer > 0.2f || !stock->bm_shell)
            continue;
        float o = (strike->timer * 921.6f) / -0.2f;
        vec2_t at = MarkerPoint(strike->x + o, strike->y + o, m);
        ov->OV_DrawBitmapRS(stock->bm_shell, at.x, at.y, 0.0f, 1.0f);
    }
}

// The prompt band while the player is to tap the artillery's target.
void DrawArtilleryPrompt(Stock *stock)
{
    if (!game.artillery_aiming || game.tutorial_shown || !stock->font_medium)
        return;
    const char *text = feature_man.ProductFeatureExists("MOUSE_INTERFACE") ? "Click Target for Artillery Strike"
                                                                         : "Tap Target for Artillery Strike";
    float w = (float)sman.reference_width, h = (float)sman.reference_height;
    float text_h = ov->OV_GetTextHeightf(stock->font_medium, "%s", text);
    ov->OV_SetColor(0.0f, 0.0f, 0.0f);
    ov->OV_SetAlpha(0.75f);
    ov->OV_DrawRect(0.0f, h - 190.0f, w, text_h + 20.0f);
    ov->OV_SetColor(1.0f, 1.0f, 1.0f);
    ov->OV_SetAlpha(1.0f);
    ov->OV_SetTextAlign(kTextHCenter);
    ov->OV_SetTextboxWidth((int)w);
    ov->OV_DrawTextf(stock->font_medium, w / 2.0f, h - 180.0f, "%s", text);
    ov->OV_SetTextboxWidth(0);
    ov->OV_SetTextAlign(0);
}

// Every field cell as a grey square with a line along its vector (scaled by the
// field's largest component), and the level's waypoints.
void DrawVectorField(const VectorField *field)
{
    if (field && field->cells) {
        float largest = 0.1f;
        int n = field->width * field->height;
        for (int i = 0; i < n; ++i) {
            float ax = fabsf(field->cells[i].x), ay = fabsf(field->cells[i].y);
            if (ax > largest)
                largest = ax;
            if (ay > largest)
                largest = ay;
        }
        for (int cy = 0; cy < field->height; ++cy) {
            for (int cx = 0; cx < field->width; ++cx) {
                vec2_t v = field->cells[cy * field->width + cx];
                float x = ((float)cx + 0.5f) * field->cell_size, y = ((float)cy + 0.5f) * field->cell_size;
                ov->OV_SetColor(0.5f, 0.5f, 0.5f);
                ov->OV_DrawRect(x - 1.5f, y - 1.5f, 3.0f, 3.0f);
                if (v.x == 0.0f && v.y == 0.0f)
                    continue;  // a line of no length
                ov->OV_SetColor(1.0f, 1.0f, 1.0f);
                ov->OV_DrawLine(x, y, x + v.x / largest * 16.0f, y + v.y / largest * 16.0f);
            }
        }
    }
    ov->OV_SetColor(1.0f, 1.0f, 1.0f);
    int waypoints = game.num_waypoints < GAME_MAX_WAYPOINTS ? game.num_waypoints : GAME_MAX_WAYPOINTS;
    for (int i = 0; i < waypoints; ++i)
        ov->OV_DrawRect(game.waypoints[i].x - 4.5f, game.waypoints[i].y - 4.5f, 9.0f, 9.0f);
}

}  // namespace

// Draws the world. The caller has pushed one transform and pops one afterwards: this
// pops the caller's after the terrain and returns with its own reference scale pushed.
void Scape::Draw(float dt)
{
    (void)dt;
    ov->OV_SetColor(1.0f, 1.0f, 1.0f);
    ov->OV_SetAlpha(1.0f);
    ov->OV_SetBlend(0);

    float vw = (float)sman.virtual_width, vh = (float)sman.virtual_height;
    PushScale((float)sman.reference_width / vw, (float)sman.reference_height / vh);
    if (terrain)
        ov->OV_DrawBitmapRS(terrain, zoom * (view_center.x - camera.x + vw / 2.0f),
                            zoom * (view_center.y - camera.y + vh / 2.0f), 0.0f, zoom);

    PartMan *layers[2] = {ground_parts, top_parts};
    for (PartMan *layer : layers) {
        if (!layer)
            continue;
        layer->cam_x = camera.x - view_center.x;
        layer->cam_y = camera.y - view_center.y;
        layer->scale = zoom;
    }
    ov->OV_PopTransform();
    ov->OV_PopTransform();
    float m = (sman.reference_scale_x + sman.reference_scale_y) / 2.0f;
    PushScale(m, m);

    if (ground_parts)
        ground_parts->DrawParts();
    ov->OV_SetColor(1.0f, 1.0f, 1.0f);
    ov->OV_SetAlpha(1.0f);
    ov->OV_SetBlend(0);

    if (config.keep_camera == 0) {
        camera.x = camera.y = 0.0f;
        zoom = 1.0f;
    }

    NextObstacleVisitStamp(this);
    drawing_top_pass = 0;

    bool developer = prog.parms.developer_mode != 0;
    bool outlines = developer && KeyHeld(kObstacleOutlineKey);
    bool flames_due = sman.IsIntervalElapsed(0.05f);
    if (cells) {
        for (int row = 0; row < num_rows; ++row) {
            for (int col = 0; col < num_columns; ++col) {
                ScapeCell *cell = &cells[row * num_columns + col];
                Entity *e = cell->first;
                for (int i = 0; e && i < cell->num_entities; ++i, e = e->next) {
                    if (e->type)
                        e->type->Draw(e);
                    if (e->burn_time > 0.0f && flames_due && stock && stock->fx_in_flames)
                        pbman.SpawnFX(top_parts, stock->fx_in_flames, e->pos, 0.0f, 0.0f);
                }
                if (outlines) {
                    // World points, corrected per axis as the entities' are, so that the
                    // outlines lie on the obstacles on a display of any shape.
                    PushScale(sman.reference_scale_x / m, sman.reference_scale_y / m);
                    ov->OV_SetColor(1.0f, 1.0f, 1.0f);
                    for (int k = 0; k < cell->num_obstacles; ++k)
                        if (cell->obstacles[k])
                            cell->obstacles[k]->DrawDebug();
                    ov->OV_PopTransform();
                }
            }
        }
    }

    drawing_top_pass = 1;
    Entity *pickups[kTopPassPickups];
    int n = QueryEntitiesInFriendGroup(Entity::POWERUP, Entity::PLAYERS, pickups, kTopPassPickups);
    for (int i = 0; i < n; ++i)
        pickups[i]->type->Draw(pickups[i]);

    controls.Draw();
    if (top_parts)
        top_parts->DrawParts();
    ov->OV_SetColor(1.0f, 1.0f, 1.0f);
    ov->OV_SetAlpha(1.0f);

    if (stock)
        DrawMarkers(stock, m);

    ov->OV_PopTransform();
    PushScale(sman.reference_scale_x, sman.reference_scale_y);

    if (stock)
        DrawArtilleryPrompt(stock);
    if (developer && KeyHeld(kVectorFieldKey))
        DrawVectorField(vector_field);
    ov->OV_SetColor(1.0f, 1.0f, 1.0f);
    ov->OV_SetAlpha(1.0f);
}
