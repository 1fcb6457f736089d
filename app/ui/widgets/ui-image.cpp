// The image (see ui-image.h).
#include "app/ui/widgets/ui-image.h"

#include "app/services/key-state.h"
#include "app/services/luaman.h"
#include "app/services/small-maths.h"
#include "app/ui/screen-manager.h"
#include "app/ui/widgets/ui-widget-frame.h"
#include "ovrecords.h"

#include <lua.hpp>
#include <math.h>
#include <string.h>

using namespace uiwidget;

namespace {

const char kPrefix[] = "image.";
const size_t kPrefixLength = sizeof kPrefix - 1;

// The rest of a property name after "image."; a name without the prefix is reported
// and looked up whole from its seventh character on, or whole when it is shorter.
const char *PropertyRest(const char *prop)
{
    if (strncmp(prop, kPrefix, kPrefixLength) == 0)
        return prop + kPrefixLength;
    ov->OV_Popupf(1, "UICompImage::GetProperty: Unknown Property '%s'\n", prop);
    return strlen(prop) >= kPrefixLength ? prop + kPrefixLength : prop;
}

// A frame index kept within the int range (a wild time makes a huge product).
int FrameOf(float frames_times_t)
{
    if (!(frames_times_t == frames_times_t) || frames_times_t < 0.0f)
        return 0;
    if (frames_times_t > 1e9f)
        return 1000000000;
    return (int)frames_times_t;
}

}  // namespace

const char *UICompImage::AnimModeWord(int mode)
{
    switch (mode) {
    case UIIMAGE_PINGPONG:
        return "PINGPONG";
    case UIIMAGE_LOOP_ONCE:
        return "LOOP_ONCE";
    case UIIMAGE_LOOP_FOREVER_NONLINEAR:
        return "LOOP_FOREVER_NONLINEAR";
    default:
        return "LOOP_FOREVER";
    }
}

void UICompImage::CopyToClone(UICompImage *clone) const
{
    clone->anim_mode = anim_mode;
    clone->anim_loop_time = anim_loop_time;
    clone->anim_pause_time = anim_pause_time;
}

void UICompImage::SetBitmap(ov_bitmap_t *b)
{
    SetBitmap(b ? b->name : nullptr);
}

void UICompImage::SetBitmap(const char *bitmap_name)
{
    ReplaceBitmapApplyingReferenceCounting(&bitmap, bitmap_name);
    UpdateDimensions();
}

// The frame whose time stamp span holds the clock: stamps are the frames' numbers,
// the rate (stamps per second) the first frame's. The loop time follows the stamps.
int UICompImage::NonlinearFrame(int frames)
{
    if (frames < 2 || !bitmap->frames) {
        anim_loop_time = 0.0f;
        return 0;
    }
    const ov_bitmap_t *f = bitmap->frames;
    const float rate = f[0].fps > 0.0f ? f[0].fps : bitmap->fps;
    const float first = (float)f[0].frame_number;
    const float loop = rate > 0.0f ? ((float)f[frames - 1].frame_number + 1.0f - first) / rate : 0.0f;
    anim_loop_time = loop;
    if (!(loop > 0.0f))
        return 0;
    if (cycle_time > loop + anim_pause_time)
        cycle_time -= loop + anim_pause_time;
    const double stamp_now = (double)first + (double)cycle_time * rate;
    const int s = stamp_now > 2e9 ? 2000000000 : stamp_now < -2e9 ? -2000000000 : (int)stamp_now;
    for (int i = 0; i < frames - 1; i++)
        if (f[i].frame_number < s && s <= f[i + 1].frame_number)
            return i;
    return frames - 1;
}

void UICompImage::Update(float dt)
{
    current_frame = 0;
    if (!bitmap || !(anim_loop_time > 0.0f))
        return;
    const int n = bitmap->num_frames > 0 ? bitmap->num_frames : 1;
    const float loop = anim_loop_time;
    const float cycle = loop + anim_pause_time;
    switch (anim_mode) {
    case UIIMAGE_LOOP_FOREVER:
    case UIIMAGE_PINGPONG: {
        cycle_time += dt;
        if (cycle_time > cycle)
            cycle_time -= cycle;
        const float t = cycle_time / loop;
        if (t >= 1.0f)
            current_frame = n - 1;
        else if (anim_mode == UIIMAGE_LOOP_FOREVER)
            current_frame = FrameOf((float)n * t);
        else if (t < 0.5f)
            current_frame = FrameOf(2.0f * t * (float)n);
        else   // t = 0.5 gives n, which the frame selection wraps to frame 0
            current_frame = FrameOf((1.0f - 2.0f * (t - 0.5f)) * (float)n);
        break;
    }
    case UIIMAGE_LOOP_FOREVER_NONLINEAR:
        cycle_time += dt;
        current_frame = NonlinearFrame(bitmap->num_frames);
        break;
    case UIIMAGE_LOOP_ONCE: {
        // One pass over the frames, then the last one stays; anim_key 0 plays again.
        cycle_time += dt;
        if (cycle_time > loop)
            cycle_time = loop;
        const float t = cycle_time / loop;
        current_frame = t >= 1.0f ? n - 1 : FrameOf((float)n * t);
        break;
    }
    default:
        break;
    }
}

void UICompImage::Draw()
{
    const float a = BeginDraw(this);
    if (a <= 0.0f)
        return;
    const vec2_t pos = GetAlignedPos();
    float angle_now = GetStaticAngle();
    const bool pushed = inherit_angle && fabsf(angle_now) >= 1e-6f;
    if (pushed) {
        PushRotationAbout(GetStaticPos(), angle_now);
        angle_now = 0.0f;
    }
    if (bitmap) {
        ov->OV_SetBitmapFrame(bitmap, current_frame);
        UpdateDimensions();
        const float cx = pos.x + width / 2.0f, cy = pos.y + height / 2.0f;
        if (draw_mode == UIDRAW_MIRRORED_VERTICAL) {
            const float v0 = bitmap->hw.v0, v1 = bitmap->hw.v1;
            bitmap->hw.v0 = v1;
            bitmap->hw.v1 = v0;
            ov->OV_DrawBitmapRS(bitmap, cx, cy, angle_now, dynamic_scale);
            bitmap->hw.v0 = v0;
            bitmap->hw.v1 = v1;
        } else if (draw_mode == UIDRAW_MIRRORED_HORIZONTAL) {
            const float u0 = bitmap->hw.u0, u1 = bitmap->hw.u1;
            bitmap->hw.u0 = u1;
            bitmap->hw.u1 = u0;
            ov->OV_DrawBitmapRS(bitmap, cx, cy, angle_now, dynamic_scale);
            bitmap->hw.u0 = u0;
            bitmap->hw.u1 = u1;
        } else if (scale_type == UISCALE_STRETCH_TO_COVER_SCREEN) {
            const float z = ov->OV_GetDepthDefault();
            const uint8_t alpha_byte = (uint8_t)(int)(fminf(fmaxf(a * color.a, 0.0f), 1.0f) * 255.0f);
            ov_vertex_t v[4];
            const float xs[4] = {pos.x, pos.x + width, pos.x, pos.x + width};
            const float ys[4] = {pos.y, pos.y, pos.y + height, pos.y + height};
            for (int i = 0; i < 4; i++) {
                v[i].x = xs[i];
                v[i].y = ys[i];
                v[i].z = z;
                v[i].color[0] = v[i].color[1] = v[i].color[2] = 255;
                v[i].color[3] = alpha_byte;
                v[i].u = (float)(i & 1);
                v[i].v = (float)(i >> 1);
            }
            ov->OV_DrawBitmap4V(bitmap, v);
        } else {
            ov->OV_DrawBitmapRS(bitmap, cx, cy, angle_now, dynamic_scale);
        }
    }
    if (pushed)
        ov->OV_PopTransform();
}

void UICompImage::ApplyCacheMode(int mode)
{
    if (bitmap)
        ApplyBitmapsCacheMode(this, mode, {bitmap});
}

void UICompImage::EditUpdate(float)
{
    if (!bitmap)
        return;
    const vec2_t s = GetStaticPos();
    const float dx = mpos.x - s.x, dy = mpos.y - s.y;
    // Halves below 1 count as 1 (a one-pixel bitmap would divide by zero).
    const int half_w = bitmap->width / 2 > 1 ? bitmap->width / 2 : 1;
    const int half_h = bitmap->height / 2 > 1 ? bitmap->height / 2 : 1;
    float new_scale = fmaxf(fabsf(dx) / (float)half_w, fabsf(dy) / (float)half_h);
    float new_angle = atan2f(dy, dx);
    if (KeyHeld(16)) {
        new_angle = (float)(int)((new_angle + kPi / 8.0f) / (kPi / 4.0f)) * (kPi / 4.0f);
        new_scale = (float)(int)(new_scale / 0.1f) * 0.1f;
    }
    scale = new_scale;
    angle = new_angle;
}

void UICompImage::ExportOwn(FILE *f, const UICompImage &t)
{
    if (bitmap && bitmap != t.bitmap)
        WriteLuaPropertyText(f, "image.bitmap", BitmapName(bitmap));
    if (anim_loop_time != t.anim_loop_time)
        fprintf(f, "SetProperty (\"image.anim_loop_time\", %g);\n", anim_loop_time);
    if (anim_pause_time != t.anim_pause_time)
        fprintf(f, "SetProperty (\"image.anim_pause_time\", %g);\n", anim_pause_time);
    if (anim_mode != t.anim_mode)
        fprintf(f, "SetProperty (\"image.anim_mode\", \"%s\");\n", AnimModeWord(anim_mode));
}

int UICompImage::GetOwnProperty(const char *prop, lua_State *L)
{
    const char *rest = PropertyRest(prop);
    if (strcmp(rest, "bitmap") == 0)
        lua_pushstring(L, BitmapName(bitmap));
    else if (strcmp(rest, "anim_loop_time") == 0)
        lua_pushnumber(L, anim_loop_time);
    else if (strcmp(rest, "anim_pause_time") == 0)
        lua_pushnumber(L, anim_pause_time);
    else if (strcmp(rest, "anim_key") == 0)
        lua_pushnumber(L, cycle_time);
    else if (strcmp(rest, "anim_mode") == 0)
        lua_pushstring(L, AnimModeWord(anim_mode));
    else {
        ov->OV_Popupf(1, "UICompImage::GetProperty: Unknown Property '%s'\n", rest);
        return 0;
    }
    return 1;
}

int UICompImage::SetOwnProperty(const char *prop, lua_State *L)
{
    const char *rest = PropertyRest(prop);
    if (strcmp(rest, "bitmap") == 0 || strcmp(rest, "bitmap_switch") == 0) {
        const char *bitmap_name = lua_type(L, 2) == LUA_TSTRING ? lua_tostring(L, 2) : nullptr;
        SetBitmap(bitmap_name);
    } else if (strcmp(rest, "anim_loop_time") == 0) {
        anim_loop_time = LuaToFloat(L, 2);
    } else if (strcmp(rest, "anim_pause_time") == 0) {
        anim_pause_time = LuaToFloat(L, 2);
    } else if (strcmp(rest, "anim_key") == 0) {
        cycle_time = LuaToFloat(L, 2);
    } else if (strcmp(rest, "anim_mode") == 0) {
        const char *word = lua_type(L, 2) == LUA_TSTRING ? lua_tostring(L, 2) : nullptr;
        if (word && (strcmp(word, "LOOP") == 0 || strcmp(word, "LOOP_FOREVER") == 0)) {
            anim_mode = UIIMAGE_LOOP_FOREVER;
        } else if (word && strcmp(word, "PINGPONG") == 0) {
            anim_mode = UIIMAGE_PINGPONG;
        } else if (word && strcmp(word, "LOOP_ONCE") == 0) {
            anim_mode = UIIMAGE_LOOP_ONCE;
        } else if (word && strcmp(word, "LOOP_FOREVER_NONLINEAR") == 0) {
            anim_mode = UIIMAGE_LOOP_FOREVER_NONLINEAR;
        } else {
            ov->OV_Printf("Supported image anim modes are e.g. 'LOOP_FOREVER', 'LOOP_ONCE', 'PINGPONG', "
                          "'LOOP_FOREVER_NONLINEAR'. Value '%s' is not valid, using 'LOOP_FOREVER'.\n",
                          word ? word : "");
            anim_mode = UIIMAGE_LOOP_FOREVER;
        }
    } else {
        ov->OV_Popupf(1, "UICompImage::SetProperty: Unknown Property '%s' for UIComp '%s'\n", rest, name ? name : "");
    }
    return 0;
}

void UICompImage::InheritOwn(const UICompImage &t)
{
    bitmap = t.bitmap;
}

void UICompImage::UpdateDimensions()
{
    SetScaledSize(bitmap && bitmap->width != 0 ? (float)bitmap->width : 16.0f, bitmap && bitmap->height != 0 ? (float)bitmap->height : 16.0f);
    if (scale_type == UISCALE_STRETCH_TO_COVER_SCREEN) {
        width = (float)sman.virtual_width;
        height = (float)sman.virtual_height;
    }
}
