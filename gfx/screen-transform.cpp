// Resolution choice, autoscaling and the screen transform of each frame: the program
// area is centred on the device screen, scaled and, where program and device
// orientation differ, rotated; what lies outside it is painted black.
#include "gfx/screen-transform.h"
#include "core/ov_state.h"
#include "gfx/rendimp.h"
#include "gfx/transform.h"

#include <math.h>
#include <stdlib.h>
#include <string.h>

namespace {

const float kOrientationAngles[8] = {0, 180, 0, -90, 0, 0, 0, 90};

// Entry i of the resolution list; false when the list has no entry i.
bool ReadEntry(const char *list, int i, int *w, int *h)
{
    const char *p = list;
    for (int k = 0; k < i; k++) {
        p = strchr(p, ',');
        if (!p || !p[1])
            return false;
        p++;
    }
    const char *end = strchr(p, ',');
    size_t len = end ? (size_t)(end - p) : strlen(p);
    *w = *h = 0;
    if (len > 255)
        return true;
    char entry[256];
    memcpy(entry, p, len);
    entry[len] = 0;
    if (entry[0] == '*') {
        *w = ov_device_info.width;
        *h = ov_device_info.height;
        return true;
    }
    *w = atoi(entry);
    const char *x = strchr(entry, 'x');
    if (x && x[1])
        *h = atoi(x + 1);
    return true;
}

bool ListUsable()
{
    return ov_state.resolutions && strlen(ov_state.resolutions) < 512;
}

void SetProgramSize(int w, int h)
{
    ov_prog->parms.width = w;
    ov_prog->parms.height = h;
}

}  // namespace

bool OVI_SelectOptimalResolution(bool windowed)
{
    if (!ov_state.resolutions || !ov_prog)
        return false;
    const char *list = ListUsable() ? ov_state.resolutions : "";
    OV_Printf("Selecting optimal resolution for %s %s\n", windowed ? "windowed" : "fullscreen", "");
    int dw = ov_device_info.desktop_width, dh = ov_device_info.desktop_height;
    OV_Printf("Desktop size %dx%d.\n", dw, dh);
    if (dw > 0 && dh > 0) {
        float desktop = (float)dw / (float)dh;
        OV_Printf("Trying to find resolution with matching aspect ratio (%.2f)", (double)desktop);
        int best_w = 0, best_h = 0;
        bool have_best = false;
        float best_aspect = 10000.0f;
        for (int i = 0; i < 32; i++) {
            int w, h;
            if (!list[0] || !ReadEntry(list, i, &w, &h))
                break;
            if (w * h <= 0)
                continue;
            float aspect = (float)w / (float)h;
            OV_Printf("Trying %dx%d (aspect %.2f vs desktop %.2f)\n", w, h, (double)aspect, (double)desktop);
            bool candidate = !have_best || (fabsf(aspect - desktop) < fabsf(best_aspect - desktop) &&
                                            fabsf(best_aspect - aspect) > 0.03f);
            if (candidate && OVI_IsResolutionSupportedByDevice(w, h, windowed)) {
                have_best = true;
                best_w = w;
                best_h = h;
                best_aspect = aspect;
            }
        }
        if (have_best) {
            OV_Printf("Closest supported aspect ratio is %dx%d (aspect %.2f vs desktop %.2f)\n", best_w, best_h,
                      (double)best_aspect, (double)desktop);
            OV_Printf("Selected %dx%d.", best_w, best_h);
            SetProgramSize(best_w, best_h);
            return true;
        }
    }
    OV_Printf("Trying to find any resolution.");
    int small_w = 0, small_h = 0;
    for (int i = 0; i < 32; i++) {
        int w, h;
        if (!list[0] || !ReadEntry(list, i, &w, &h))
            break;
        if (w * h <= 0)
            continue;
        OV_Printf("Trying %dx%d\n", w, h);
        if (small_w * small_h == 0 || w * h < small_w * small_h) {
            small_w = w;
            small_h = h;
        }
        if (OVI_IsResolutionSupportedByDevice(w, h, windowed)) {
            OV_Printf("Selected %dx%d.", w, h);
            SetProgramSize(w, h);
            return true;
        }
    }
    OV_Printf("Trying to select the smallest possible resolution.");
    if (windowed && dw >= 1 && dh >= 1) {
        SetProgramSize(small_w, small_h);
        return true;
    }
    OV_PrintDebugf(OV_WARNING, "No resolution found in OVI_SelectOptimalResolution!");
    return false;
}

bool OVI_IsResolutionSupportedByDevice(int w, int h, bool windowed)
{
    int dw = ov_device_info.desktop_width, dh = ov_device_info.desktop_height;
    if (windowed && dw > 0 && dh > 0)
        return w < dw - 49 && h < dh - 69;
    if (!ov_rendimp || !ov_rendimp->IsResolutionSupported(w, h))
        return false;
    OV_PrintDebugf(OV_SYSTEM, "Requested resolution %dx%d (windowed=%d) is supported.\n", w, h, windowed ? 1 : 0);
    return true;
}

// The core's names for the resolution choice.
void OVI_SelectResolution(int windowed)
{
    OVI_SelectOptimalResolution(windowed != 0);
}

bool OVI_ResolutionSupported(int w, int h, int windowed)
{
    return OVI_IsResolutionSupportedByDevice(w, h, windowed != 0);
}

void OVI_SetupAutoscaling()
{
    ov_parms_t &p = ov_prog->parms;
    ov_state.reference_width = p.reference_width;
    ov_state.reference_height = p.reference_height;
    ov_state.input_scaling = 0;
    if (!ov_state.autoscale || ov_state.reference_width <= 0 || ov_state.reference_height <= 0) {
        ov_state.autoscale = 0;
        ov_state.autoscale_offset_x = ov_state.autoscale_offset_y = 0;
        ov_state.autoscale_scale_x = ov_state.autoscale_scale_y = 1;
        ov_state.autoscale_inv_scale_x = ov_state.autoscale_inv_scale_y = 1;
        return;
    }
    int rw = ov_state.reference_width, rh = ov_state.reference_height;
    OV_PrintDebugf(OV_SYSTEM, "Setting up autoscaling from %dx%d -> %dx%d.\n", rw, rh, p.width, p.height);
    if (p.width == rw && p.height == rh) {
        OV_PrintDebugf(OV_SYSTEM, "Target resolution matches source, no need for scaling.\n");
        ov_state.autoscale = 0;
        return;
    }
    float sx = (float)p.width / (float)rw, sy = (float)p.height / (float)rh;
    if (OVI_ProductFeatureExists("AUTOSCALE_RETAIN_ASPECT_RATIO"))
        sx = sy = sx < sy ? sx : sy;
    ov_state.autoscale_scale_x = sx;
    ov_state.autoscale_scale_y = sy;
    ov_state.autoscale_inv_scale_x = 1.0f / sx;
    ov_state.autoscale_inv_scale_y = 1.0f / sy;
    ov_state.autoscale_offset_x = truncf(((float)p.width - sx * (float)rw) * 0.5f);
    ov_state.autoscale_offset_y = truncf(((float)p.height - sy * (float)rh) * 0.5f);
    OV_PrintDebugf(OV_SYSTEM, "Scale %dx%d -> %dx%d\n", rw, rh, p.width, p.height);
    OV_PrintDebugf(OV_SYSTEM, "Scale x=%.2f y=%.2f\n", (double)sx, (double)sy);
    // Touches arrive in device pixels: they are mapped back into the reference space.
    ov_state.input_scaling = 1;
    ov_state.input_offset_x = ov_state.autoscale_offset_x;
    ov_state.input_offset_y = ov_state.autoscale_offset_y;
    ov_state.input_scale_x = ov_state.autoscale_inv_scale_x;
    ov_state.input_scale_y = ov_state.autoscale_inv_scale_y;
}

void OVI_SetupAutoscale(void)
{
    OVI_SetupAutoscaling();
}

void OVI_UpdateScreenTransforms(float)
{
    ov_state.allowed_orientations = ov_prog->parms.width > ov_prog->parms.height ? 12 : 3;
    int id = ov_state.orientation;
    ov_state.orientation_angle = (id >= 1 && id <= 8) ? kOrientationAngles[id - 1] : 0.0f;
}

void OVI_PushScreenTransforms(float seconds)
{
    OVI_UpdateScreenTransforms(seconds);
    if (ov_state.autoscale) {
        ov_prog->parms.width = ov_parms.width = ov_state.reference_width;
        ov_prog->parms.height = ov_parms.height = ov_state.reference_height;
    }
    float dw = (float)ov_device_info.width, dh = (float)ov_device_info.height;
    float pw = (float)ov_prog->parms.width, ph = (float)ov_prog->parms.height;
    nTransform m = OVI_Translation(dw / 2, dh / 2, 0);
    if (ov_state.autoscale)
        m = OVI_MulTransform(m, OVI_Scaling(ov_state.autoscale_scale_x, ov_state.autoscale_scale_y, 1));
    int program_class = pw > ph ? 4 : 1;
    if (program_class != ov_device_info.orientation)
        m = OVI_MulTransform(m, OVI_RotationZ(ov_state.orientation_angle));
    m = OVI_MulTransform(m, OVI_Translation(-pw / 2, -ph / 2, 0));
    ov->OV_PushTransform(&m);
}

void OVI_PopScreenTransforms(void)
{
    ov->OV_PopTransform();
}

void OVI_DrawScreenBorders(void)
{
    if (!ov_state.autoscale)
        return;
    float ox = ov_state.autoscale_offset_x, oy = ov_state.autoscale_offset_y;
    if (ox <= 0 && oy <= 0)
        return;
    float pw = (float)ov_prog->parms.width, ph = (float)ov_prog->parms.height;
    ov->OV_SetAlpha(1);
    ov->OV_SetColor(0, 0, 0);
    ov->OV_SetBlend(0);
    if (oy > 0) {
        ov->OV_DrawRect(0, ph, pw, ph);
        ov->OV_DrawRect(0, -ph, pw, ph);
    }
    if (ox > 0) {
        ov->OV_DrawRect(pw, 0, pw, ph);
        ov->OV_DrawRect(-pw, 0, pw, ph);
    }
    ov->OV_SetColor(1, 1, 1);
}

void OVI_SetDefaultRenderStates(void)
{
    ov->OV_SetAlpha(1.0f);
    ov->OV_SetColor(1, 1, 1);
    ov->OV_SetBlend(0);
    ov->OV_SetTextTransform(1, 1, 0);
}

void OV_TranslateRectByOrientation(int *x, int *y, int *w, int *h)
{
    if (!ov_prog)
        return;
    if (ov_device_info.width < ov_device_info.height && ov_prog->parms.width > ov_prog->parms.height) {
        int nx = ov_device_info.width - *y - *h;
        int ny = *x;
        int t = *w;
        *x = nx;
        *y = ny;
        *w = *h;
        *h = t;
    }
}
