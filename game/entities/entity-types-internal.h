// Helpers shared by the entity types' update and drawing files (entity-types.cpp,
// entity-types-draw.cpp, entity-variants.cpp, entity-variants-draw.cpp); not for
// other parts of the game. Main thread only.
#ifndef GAME_ENTITIES_ENTITY_TYPES_INTERNAL_H
#define GAME_ENTITIES_ENTITY_TYPES_INTERNAL_H

#include "game/entities/entity-types.h"

#include "orvex.h"
#include "ovrecords.h"

namespace enttypes {

// t clamped to [lo, hi]; NaN gives lo.
inline float Clamp(float t, float lo, float hi)
{
    return t > lo ? (t < hi ? t : hi) : lo;
}
// The world's zoom factor (1 without a world).
float Zoom();
// Frame count of a bitmap: its frames, at least 1.
int FrameCount(const ov_bitmap_t *b);
// Selects frame int(frames x t) of a bitmap, kept inside its frames (t in [0, 1]).
void SetFrameByFraction(ov_bitmap_t *b, float t);
// Whether the product feature SMALL_SCREEN is on.
bool SmallScreen();
// The end of dying: phase 1, state 0, the type's bm_die (when it has one) queued as a
// ground decal, the entity unlinked; then, unless `roster_check` finds it in the game
// state's trooper roster (which keeps the record and only releases its path), the
// record goes back to the pool. The caller must not use the type through the record
// afterwards (a freed record has none).
void FinishDying(Entity *e, bool roster_check);
// The behaviour's update and weapon update of a living entity with dt (85 % of it
// under SMALL_SCREEN); `check_owner` also clears an owner that is no longer alive.
// Nothing without a behaviour; the weapon update is skipped when the behaviour's
// update handed the record back to the pool.
void RunBehaviour(EntityType *type, Entity *e, float dt, bool check_owner);
// Bitmap looked up by name once, on first use, and kept for the run.
struct NamedBitmap {
    const char *name;
    ov_bitmap_t *bitmap;
    bool looked_up;
    ov_bitmap_t *Get();
};
// The pick-up look shared by both pick-up classes: alpha (fade-in for the first
// second, blinking once `age` passes `blink_from`), size and rotation.
struct PickupLook {
    float alpha, size, rotation;
};
PickupLook GetPickupLook(const Entity *e, float blink_from);

}  // namespace enttypes

#endif
