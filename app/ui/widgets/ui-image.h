// The image (type 14, "image." properties): one bitmap drawn at the component's place,
// optionally animated over the frames of a bitmap sequence. The animation clock is the
// base's cycle timer ("image.anim_key"), driven here and never wrapped at 1. Not
// interactive by default. Holds its bitmap with a reference taken on screen entry and
// given back on leave.
#ifndef APP_UI_WIDGETS_UI_IMAGE_H
#define APP_UI_WIDGETS_UI_IMAGE_H

#include "app/ui/widgets/ui-comp-kind.h"

enum {
    UIIMAGE_LOOP_FOREVER = 0,
    UIIMAGE_PINGPONG = 1,
    UIIMAGE_LOOP_ONCE = 2,
    UIIMAGE_LOOP_FOREVER_NONLINEAR = 3,
};

class UICompImage : public UICompKind<UICompImage, UICOMP_IMAGE, false> {
public:
    // A new image styled as this one, with its animation mode and times.
    // Chooses the frame for this frame's time (see the modes above).
    void Update(float dt) override;
    void Draw() override;
    // 2 takes a reference on the bitmap and refreshes the size, 3 gives it back.
    void ApplyCacheMode(int mode) override;
    // Scale and angle of the image follow the cursor (SHIFT snaps them).
    void EditUpdate(float dt) override;
    void ExportOwn(FILE *f, const UICompImage &t);
    // A clone takes the animation mode and times.
    void CopyToClone(UICompImage *clone) const;
    int GetOwnProperty(const char *name, lua_State *L);
    int SetOwnProperty(const char *name, lua_State *L);
    void InheritOwn(const UICompImage &t);
    // The bitmap's size (16 for a missing side) times the dynamic scale; the virtual
    // screen's size for STRETCH_TO_COVER_SCREEN.
    void UpdateDimensions() override;

    // Replaces the bitmap (reference counted while the screen is entered) and resizes.
    void SetBitmap(ov_bitmap_t *bitmap);
    void SetBitmap(const char *bitmap_name);

    // The mode's word ("LOOP_FOREVER".."LOOP_FOREVER_NONLINEAR").
    static const char *AnimModeWord(int mode);

    ov_bitmap_t *bitmap = nullptr;
    int anim_mode = UIIMAGE_LOOP_FOREVER;
    float anim_loop_time = 1.0f;
    float anim_pause_time = 0.0f;
    int current_frame = 0;

private:
    int NonlinearFrame(int frames);
};

#endif
