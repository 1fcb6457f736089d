// The controls' event handling: presses, drags and releases of up to 8 touches, the
// artillery aim, tutorial taps, the pause key, path drawing through the vector field
// and the bunker tap that opens the shop.
#include "game/controls.h"

#include "app/services/profiles.h"
#include "app/ui/partfx.h"
#include "app/ui/screen-manager.h"
#include "app/ui/screen.h"
#include "app/ui/ui-comps.h"
#include "game/entities/entity.h"
#include "game/entities/move-path.h"
#include "game/game-util.h"
#include "game/gamestate.h"
#include "game/scape.h"
#include "game/vector-field.h"

#include <cmath>
#include <cstring>

namespace {

// A press this close (world units) to the bunker opens the shop.
const float SHOP_TAP_DISTANCE = 41.0f;
// The grab offset fades out over this much path.
const float GRAB_FADE_LENGTH = 100.0f;
// Clearance of the path's target from obstacles.
const float PATH_TARGET_CLEARANCE = 14.0f;
// A tutorial text must have been shown this long before a tap dismisses it.
const float TUTORIAL_TAP_DELAY = 1.5f;

bool IsPointerEvent(int type)
{
    return type == OV_EVENT_BUTTON_DOWN || type == OV_EVENT_POINTER_MOVE || type == OV_EVENT_BUTTON_UP;
}

// The touch slot of an event: its index read as a signed byte, -1 when it names none.
int TouchSlot(const ov_event_t *ev)
{
    const int index = (int8_t)ev->index;
    return (index >= 0 && index < CONTROLS_MAX_TOUCHES) ? index : -1;
}

float PolylineLength(const nArray<vec2_t> &points)
{
    float length = 0.0f;
    for (int i = 1; i < points.Count(); i++)
        length += hypotf(points[i].x - points[i - 1].x, points[i].y - points[i - 1].y);
    return length;
}

bool NameIs(const char *name, const char *what)
{
    return name != nullptr && strcmp(name, what) == 0;
}

// A tap on a shown tutorial: "TACTICAL" and pausing tutorials (other than those the
// player completes by acting) are completed by it. True when the tap was used.
bool DismissTutorialByTap()
{
    const char *name = game.tutorial_name;
    if (name == nullptr || !game.tutorial_shown || game.tutorial_time <= TUTORIAL_TAP_DELAY)
        return false;
    if (NameIs(name, "TACTICAL")) {
        game.SetTutorialCompleted(name);
        return true;
    }
    if (game.tutorial_pauses && !NameIs(name, "UNDER_ATTACK") && !NameIs(name, "MOVING") &&
        !NameIs(name, "TARGETING")) {
        game.SetTutorialCompleted(name);
        return true;
    }
    return false;
}

// The space key switches the tactical pause while the battle shows its pause button;
// a lost mission is never paused.
bool TogglePause()
{
    Screen *battle = Screen::PeekScreen("Game");
    UIComp *button = battle != nullptr ? battle->GetComp("PauseTime") : nullptr;
    if (button == nullptr || !button->IsVisible())
        return false;
    if (game.paused)
        game.SetPause(false);
    else if (!game.lost)
        game.SetPause(true);
    return true;
}

void PlaceArtilleryStrike(Scape *world, vec2_t target)
{
    game.artillery_aiming = false;
    game.artillery_x = target.x;
    game.artillery_y = target.y;
    game.artillery_timer = 0.001f;
    if (world != nullptr)
        pbman.SpawnFX(world->top_parts, pbman.GetFX("fxs/artillery-strike-incoming.lua"),
                      AdjustPosByAverageScale(target), 0.0f, 0.0f);
}

}  // namespace

int ChooseWalk(float length_a, float length_b)
{
    if (length_b > 0.0f && (length_b <= length_a || fabsf(length_a) < 1e-6f))
        return WALK_B;
    if (length_a > 0.0f)
        return WALK_A;
    return WALK_NONE;
}

bool Controls::ProcessEvent(ov_event_t *ev)
{
    if (ev == nullptr)
        return false;
    const int type = ev->type;
    const bool pointer = IsPointerEvent(type);
    const bool press = type == OV_EVENT_BUTTON_DOWN;
    const int touch = pointer ? (int)(int8_t)ev->index : -1;
    const int slot = pointer ? TouchSlot(ev) : -1;
    Scape *world = GetScape();
    const vec2_t ref = {(float)ev->x / sman.reference_scale_x, (float)ev->y / sman.reference_scale_y};
    const vec2_t world_pos = world != nullptr ? world->TranslatePointToScape(ref) : ref;

    if (press) {
        ov->OV_Printf("Touch at %.0f %.0f by %d\r\n", ref.x, ref.y, touch);
        touch_active = 1;
        target_toggled = 0;
    }
    if (type == OV_EVENT_POINTER_MOVE)
        p_hover = ref;

    if (game.artillery_aiming && !game.tutorial_shown) {
        if (press)
            PlaceArtilleryStrike(world, world_pos);
        return true;
    }

    if ((input_flags & CONTROLS_JOYSTICKS) && pointer) {
        const vec2_t screen = {(float)ev->x, (float)ev->y};
        if (!UpdateVirtualJoysticks(screen, type == OV_EVENT_BUTTON_UP)) {
            hover = world_pos;
            if (slot >= 0) {
                touch_pos[slot] = world_pos;
                touch_pressed[slot] = type != OV_EVENT_BUTTON_UP;
            }
        }
        return true;
    }

    if (press && DismissTutorialByTap())
        return true;

    if (!(input_flags & CONTROLS_TOUCH_COMMANDS))
        return false;

    if (type == OV_EVENT_KEY_DOWN && ev->key == ' ')
        return TogglePause();

    if ((press || type == OV_EVENT_POINTER_MOVE) && touch_active && slot >= 0) {
        Selection &s = selection[slot];
        if (s.entity == nullptr) {
            if (TrySelectEntity(world_pos, slot) || TryAssignPrimaryTarget(world_pos))
                return true;
            // Dropped power-ups wait for a tap.
            if (press && (TryPickStuff(world_pos) || TryOpenShop(ref, world_pos)))
                return true;
            return false;
        }
        if (s.entity->path != nullptr) {
            ExtendPath(slot, ref);
            return true;
        }
        return false;
    }

    if (type == OV_EVENT_BUTTON_UP) {
        if (slot >= 0)
            UnselectEntity(slot);
        touch_active = GetSomeSelectedEnt() != nullptr;
        return slot >= 0;
    }
    return false;
}

void Controls::ExtendPath(int slot, vec2_t reference_pos)
{
    Scape *world = GetScape();
    Selection &s = selection[slot];
    Entity *e = s.entity;
    if (world == nullptr || e == nullptr || e->path == nullptr)
        return;
    MovePath *path = e->path;
    const float t = fminf(fmaxf((GRAB_FADE_LENGTH - path->length) / GRAB_FADE_LENGTH, 0.0f), 1.0f);
    vec2_t target = world->TranslatePointToScape(
        vec2_t{reference_pos.x + t * s.grab_x, reference_pos.y + t * s.grab_y});
    world->IsPointInsideObstacle(target, PATH_TARGET_CLEARANCE, &target);
    if (world->vector_field == nullptr)
        return;
    vec2_t start = e->pos;
    if (path->count > 0)
        start = vec2_t{path->points[path->count - 1].x, path->points[path->count - 1].y};
    const float step = 10.0f * sman.reference_scale;
    nArray<vec2_t> walk_a = world->vector_field->WalkFromPointToPoint(start, target, step, step, true);
    nArray<vec2_t> walk_b = world->vector_field->WalkFromPointToPoint(start, target, step, step, false);
    const float length_a = PolylineLength(walk_a);
    const float length_b = PolylineLength(walk_b);
    const int choice = ChooseWalk(length_a, length_b);
    const nArray<vec2_t> *chosen = choice == WALK_B ? &walk_b : choice == WALK_A ? &walk_a : nullptr;
    for (int i = 0; chosen != nullptr && i < chosen->Count(); i++)
        path->AddPoint((*chosen)[i]);
}

bool Controls::TryOpenShop(vec2_t reference_pos, vec2_t world_pos)
{
    Scape *world = GetScape();
    if (world == nullptr)
        return false;
    // The candidate is looked up around the press in reference units, where a tap
    // must fall within the bunker's own radius; the distance test is in world units.
    Entity *bunker =
        world->GetNearestEntityInFriendGroup(reference_pos, 2.0f, Entity::BLOCKS_MOVEMENT, Entity::PLAYERS);
    if (bunker == nullptr || !game.money_enabled || sman.IsScreenInStack("Shop") || game.won || game.lost ||
        prof == nullptr || !prof->TagExists("features", "POWERUP_MONEY"))
        return false;
    if (hypotf(world_pos.x - bunker->pos.x, world_pos.y - bunker->pos.y) >= SHOP_TAP_DISTANCE)
        return false;
    game.SetTutorialCompleted("SHOPPING");
    sman.PushScreen("Shop", 0);
    return true;
}
