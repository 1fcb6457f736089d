// The battle's input layer: touches select troopers and draw their paths, taps mark
// primary targets, pick up power-ups and open the shop from the bunker; the space key
// toggles the tactical pause. One global object, `controls`, fed by the battle screen.
#ifndef GAME_CONTROLS_H
#define GAME_CONTROLS_H

#include "narray.h"
#include "orvex.h"

#include <cstdint>

struct Entity;

// Input-mode flags given to Controls::Init.
enum {
    CONTROLS_JOYSTICKS = 1,
    CONTROLS_ACCELEROMETER = 2,
    CONTROLS_TOUCH_COMMANDS = 4,
};

// Touches tracked at once; touch indexes outside 0..7 use no slot.
const int CONTROLS_MAX_TOUCHES = 8;

class Controls {
public:
    // One selection slot per touch index: the trooper the touch holds and the offset
    // of the trooper from the finger when it was picked up (world units).
    struct Selection {
        Entity *entity;
        float grab_x;
        float grab_y;
    };
    // A primary target: the marked enemy and the marker's age (0 to 1).
    struct TargetMarker {
        Entity *entity;
        float age;
    };

    Controls();
    ~Controls();
    Controls(const Controls &) = delete;
    Controls &operator=(const Controls &) = delete;

    void Init(int flags);
    void Reset();
    // Handles one engine event; true when it consumed it.
    bool ProcessEvent(ov_event_t *event);
    void Update(float dt);
    void Draw();

    bool TrySelectEntity(vec2_t world, int touch);
    bool TryAssignPrimaryTarget(vec2_t world);
    bool TryPickStuff(vec2_t world);
    bool UpdateVirtualJoysticks(vec2_t screen, bool released);
    void CalibrateAccelerometer();

    bool IsEntitySelected(Entity *e) const;
    void UnselectEntity(Entity *e);
    void UnselectEntity(int slot);
    Entity *GetSomeSelectedEnt() const;
    Entity *GetSelectedEnt(int slot) const;

    // A pool record is being returned to the pool: every selection slot and target
    // marker naming it is dropped, so a reused record is never taken for the old one.
    void ForgetEntity(Entity *e);

    // Whether the enemy carries a target marker.
    bool IsMarkedTarget(Entity *e) const;
    // Drops the marker of that enemy (none: nothing).
    void RemoveTargetMarker(Entity *e);

    vec2_t stick_centre[2];
    float stick_radius;
    float stick_margin;
    vec2_t stick_output[2];
    uint8_t stick_held[2];
    vec2_t hover;
    vec2_t touch_pos[CONTROLS_MAX_TOUCHES];
    uint8_t touch_pressed[CONTROLS_MAX_TOUCHES];
    vec2_t tilt;
    float accel_raw[3];
    float accel_calibrated[3];
    float calibration[9];
    uint8_t touch_active;
    Selection selection[CONTROLS_MAX_TOUCHES];
    int input_flags;
    nArray<TargetMarker> targets;
    uint8_t target_toggled;

private:
    void ExtendPath(int slot, vec2_t reference_pos);
    bool TryOpenShop(vec2_t reference_pos, vec2_t world);
};

// Which of the two walks towards a drag's target extends the path: walk B (going round
// obstacles the other way) when it has a length and is no longer than walk A or A has
// none; otherwise A when it has a length; otherwise neither.
enum { WALK_NONE = 0, WALK_A = 1, WALK_B = 2 };
int ChooseWalk(float length_a, float length_b);

extern Controls controls;
// The last pointer position in reference units.
extern vec2_t p_hover;

#endif
