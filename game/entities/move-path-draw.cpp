// Movement paths beside the world: the obstacle test of new points and the line of
// arrows drawn along the path, with the pulse that runs along it once it is released.
#include "game/entities/move-path.h"

#include "game/entities/entity-types.h"
#include "game/entities/stock.h"
#include "game/scape.h"

#include <math.h>

namespace {

// Spacing of the arrows and the reach of the direction estimate (world units).
const float ARROW_SPACING = 25.0f;
// Distance of the first arrow from the path's origin.
const float FIRST_ARROW = 0.1f;

}  // namespace

bool MovePath::IsInsideObstacle(vec2_t p) {
    Scape *world = GetScape();
    return world != nullptr && world->IsPointInsideObstacle(p, OBSTACLE_CLEARANCE, nullptr);
}

void MovePath::GetArrowLook(float d, float *alpha, float *size) const {
    float w = (pulse_time - d / 2000.0f) * 10.0f;
    float q = 0.0f;
    if (!held && w > 0.0f && w < 2.0f * (float)M_PI) {
        q = (1.0f - cosf(w)) / 4.0f;
    }
    *alpha = 0.5f + q;
    *size = 1.0f + q;
}

void MovePath::Draw(float from) const {
    Scape *world = GetScape();
    ov_bitmap_t *arrow = world != nullptr && world->stock != nullptr ? world->stock->bm_path_arrow : nullptr;
    if (ov == nullptr) {
        return;
    }
    ov->OV_SetColor(1.0f, 1.0f, 1.0f);
    if (arrow != nullptr && count > 0 && !(from >= length)) {
        // Arrows stand at 0.1, 25.1, 50.1, ...; those before `from` are not drawn.
        int first = 0;
        if (from > FIRST_ARROW) {
            first = (int)floorf((from - FIRST_ARROW) / ARROW_SPACING);
        }
        for (int k = first;; k++) {
            float d = FIRST_ARROW + ARROW_SPACING * (float)k;
            if (!(d < length)) {
                break;
            }
            if (d < from) {
                continue;
            }
            vec2_t ahead = GetPoint(d + ARROW_SPACING);
            vec2_t behind = GetPoint(d - ARROW_SPACING);
            float direction = atan2f(ahead.y - behind.y, ahead.x - behind.x);
            vec2_t at = EntityScreenPoint(GetPoint(d));
            float alpha, size;
            GetArrowLook(d, &alpha, &size);
            ov->OV_SetAlpha(alpha);
            ov->OV_DrawBitmapRS(arrow, at.x, at.y, direction, size);
        }
    }
    ov->OV_SetAlpha(1.0f);
}
