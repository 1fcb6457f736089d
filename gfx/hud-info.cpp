// The information panel over the top of the screen: the device, the settings the
// engine booted with, the program record and the system (transform stack, platform).
#include "gfx/hud.h"

#include "core/ov_state.h"
#include "core/platform-info.h"
#include "gfx/font.h"

namespace {

ov_font_t *s_font = nullptr;

// Draws one column: the heading in white, then the lines in grey, one line height apart.
class Column {
public:
    Column(ov_font_t *f, float x, const char *heading) : f_(f), x_(x), y_(5)
    {
        ov->OV_SetColor(1, 1, 1);
        ov->OV_DrawTextf(f_, x_, y_, "%s", heading);
        ov->OV_SetColor(0.7f, 0.7f, 0.7f);
    }
    template <typename... Args>
    void Line(const char *fmt, Args... args)
    {
        y_ += f_ ? (float)f_->line_height : 0;
        ov->OV_DrawTextf(f_, x_, y_, fmt, args...);
    }
    // The separator after the column, in the grey; the colour returns to white.
    void Separator(float x)
    {
        ov->OV_DrawRect(x, 5, 1, 200);
        ov->OV_SetColor(1, 1, 1);
    }

private:
    ov_font_t *f_;
    float x_, y_;
};

const char *OrientationName(int o)
{
    if (o == 1 || o == 2)
        return "PORTRAIT";
    if (o == 4 || o == 8)
        return "LANDSCAPE";
    return "UNKNOWN";
}

}  // namespace

void OVI_DrawInfoPanel(void)
{
    // The font is got once per run rather than once per frame, so its reference
    // count does not climb while the panel is shown.
    if (!(ov_state.overlay_fonts_fetched & OV_FONT_FETCHED_INFO) || !s_font) {
        s_font = OVI_ConsoleFontOrFirst();
        ov_state.overlay_fonts_fetched |= OV_FONT_FETCHED_INFO;
    }
    ov_font_t *f = s_font;

    ov->OV_SetColor(0, 0, 0);
    ov->OV_SetAlpha(0.8f);
    ov->OV_DrawRect(0, 0, (float)ov_device_info.width, 210);
    ov->OV_SetTextTransform(1, 1, 0);
    ov->OV_SetColor(1, 1, 1);

    Column device(f, 5, "Device Info:");
    device.Line("Screen: %dx%d", ov_device_info.width, ov_device_info.height);
    device.Line("Desktop: %dx%d", ov_device_info.desktop_width, ov_device_info.desktop_height);
    device.Line("%s", ov_device_info.fixed_resolution ? "Fixed resolution" : "Free resolution");
    device.Line("Orientation: %s", OrientationName(ov_device_info.orientation));
    device.Separator(190);

    Column boot(f, 205, "Boot Settings:");
    boot.Line("Screen: %dx%d (%s)", ov_parms.width, ov_parms.height, ov_parms.windowed ? "window" : "fullscreen");
    if (!ov_state.autoscale) {
        boot.Line("%s", "Not autoscaling");
    } else {
        boot.Line("%s", "Autoscaling");
        boot.Line("Scale X %.3f", (double)ov_state.autoscale_scale_x);
        boot.Line("Scale Y %.3f", (double)ov_state.autoscale_scale_y);
        boot.Line("Offset X %.3f", (double)ov_state.autoscale_offset_x);
        boot.Line("Offset Y %.3f", (double)ov_state.autoscale_offset_y);
    }
    boot.Separator(390);

    Column program(f, 405, "Program:");
    if (ov_prog) {
        program.Line("Current size %dx%d", ov_prog->parms.width, ov_prog->parms.height);
        program.Line("Ref size %dx%d", ov_state.reference_width, ov_state.reference_height);
        program.Line("Validated size %dx%d", ov_parms.width, ov_parms.height);
        program.Line("Title: %s", ov_prog->title);
        program.Line("Version: %s", ov_prog->version);
    }
    program.Separator(590);

    Column system(f, 605, "System:");
    system.Line("Transform Stack index %d", ov_state.transform_top);
    system.Line("Native platform: %s", OVI_GetPlatformIdAsString(ov_platform_info.platform_id));
    system.Line("OS version: %s / %s", ov_platform_info.os_major, ov_platform_info.os_minor);
}
