// Drawing of the screen stack from the topmost screen that covers the display
// upwards, the global particles above them, the loading indicator (a turning windmill
// that fades in while background loaders work) and the developer's frame around a
// virtual screen smaller than the program's display.
#include "app/services/luaman.h"
#include "app/services/prog.h"
#include "app/ui/parts.h"
#include "app/ui/frame-services.h"
#include "app/ui/screen-manager.h"
#include "app/ui/screen.h"
#include "app/ui/uiset.h"

#include "ovrecords.h"

#include <math.h>

namespace {

struct ResolutionName {
    int longer, shorter;
    const char *name;
};

const ResolutionName kResolutionNames[] = {
    {320, 240, "QVGA: Android 1.x"},
    {480, 272, "Sony PSP"},
    {480, 320, "HVGA: iPhone 3G/S"},
    {400, 320, "Palm Pixi/+, HP Veer"},
    {640, 360, "Nokia N8"},
    {640, 480, "VGA"},
    {720, 480, "DVD NTSC"},
    {800, 480, "WVGA: Samsung bada Wave, Nokia N900, Android 2.x"},
    {854, 480, "WVGA: Android 2.x, Motorola Droid/Milestone"},
    {960, 544, "Sony PS Vita"},
    {960, 640, "iPhone 4 (Retina)"},
    {1024, 768, "iPad, PC/Mac default"},
    {1280, 720, "720p"},
    {1920, 1080, "1080p"},
    {2048, 1536, "iPad (Retina)"},
};

// The developer's frame: white, 7 units wide, around the virtual screen; black over
// the rest of the display; the size and its name under the frame.
void DrawDeveloperFrame(ScreenMan &sm)
{
    float vx = sm.virtual_x, vy = sm.virtual_y, vw = (float)sm.virtual_width, vh = (float)sm.virtual_height;
    float pw = (float)prog.parms.width, ph = (float)prog.parms.height;
    const float b = 7.0f;
    ov->OV_SetBlend(0);
    ov->OV_SetAlpha(sm.edit_mode ? 0.75f : 1.0f);
    ov->OV_SetColor(0.0f, 0.0f, 0.0f);
    ov->OV_DrawRect(0, 0, pw, vy - b);
    ov->OV_DrawRect(0, vy + vh + b, pw, ph - (vy + vh + b));
    ov->OV_DrawRect(0, vy - b, vx - b, vh + 2 * b);
    ov->OV_DrawRect(vx + vw + b, vy - b, pw - (vx + vw + b), vh + 2 * b);
    ov->OV_SetAlpha(1.0f);
    ov->OV_SetColor(1.0f, 1.0f, 1.0f);
    ov->OV_DrawRect(vx - b, vy - b, vw + 2 * b, b);
    ov->OV_DrawRect(vx - b, vy + vh, vw + 2 * b, b);
    ov->OV_DrawRect(vx - b, vy, b, vh);
    ov->OV_DrawRect(vx + vw, vy, b, vh);
    // The engine counts one reference per font name taken with OV_GetFont: no release.
    if (ov_font_t *font = ov->OV_GetFont("core/console.mft"))
        ov->OV_DrawTextf(font, vx - b + 3.0f, vy + vh + b + 3.0f, "%d x %d (%s)", sm.virtual_width, sm.virtual_height,
                         ScreenMan::GetResolutionName(sm.virtual_width, sm.virtual_height));
}

}  // namespace

const char *ScreenMan::GetResolutionName(int width, int height)
{
    int longer = width > height ? width : height, shorter = width > height ? height : width;
    for (const ResolutionName &r : kResolutionNames)
        if (r.longer == longer && r.shorter == shorter)
            return r.name;
    return "";
}

void ScreenMan::DrawScreens(float dt)
{
    bool developer = prog.parms.developer_mode != 0;
    bool sized = prog.parms.width == virtual_width && prog.parms.height == virtual_height;
    if (developer && !sized)
        ov->OV_ClearScreen(0, 0, 0);
    float vh = (float)virtual_height;
    ov->OV_SetDepthDefault(0.1f * vh);
    ov->OV_SetDepthRange(0.5f, 0.1f * vh, vh);
    ov->OV_ClearDepth(1.0f);

    if (developer) {
        int c = (int)((ov->OV_GetTime() / 750) % 3);
        float r = c == 0 ? 1.0f : 0.0f, g = c == 1 ? 1.0f : 0.0f, b = c == 2 ? 1.0f : 0.0f;
        if (sized) {
            ov->OV_ClearScreen(r, g, b);
        } else {
            ov->OV_SetAlpha(1.0f);
            ov->OV_SetBlend(0);
            ov->OV_SetColor(r, g, b);
            ov->OV_DrawRect(virtual_x, virtual_y, (float)virtual_width, vh);
            ov->OV_SetColor(1.0f, 1.0f, 1.0f);
        }
    }

    // A screen's drawing may push or pop: the walk goes over a copy.
    nArray<Screen *> walk = stack;
    int start = -1;
    for (int i = walk.Count() - 1; i >= 0 && start < 0; i--)
        if (walk[i]->covers_screen)
            start = i;
    if (start < 0) {
        ov->OV_ClearScreen(0, 0, 0);
        start = 0;
    }
    for (int i = start; i < walk.Count(); i++) {
        Screen *screen = walk[i];
        if (!screen->preloaded.load(std::memory_order_acquire) || !screen->in_stack)
            continue;
        screen->Draw(dt);
        UISet *set = screen->ui;
        if (set && set->L && set->has_OnDraw)
            lua_man.CallLuaFunction(set->L, "OnDraw");
    }

    // The global particles above every screen, below the loading indicator.
    pman.DrawParts();

    // Achievement notices over every screen (not while the UI is being edited).
    if (!edit_mode && frame_services.notices_enabled && frame_services.notices_enabled() && frame_services.notices_draw)
        frame_services.notices_draw();

    DrawLoadingIndicator();

    // The automated test player's pointer mark.
    if (frame_services.test_player_active && frame_services.test_player_active() && frame_services.test_player_draw)
        frame_services.test_player_draw();

    if (developer && (!sized || virtual_resize_mode))
        DrawDeveloperFrame(*this);
    if ((edit_mode || virtual_resize_mode) && frame_services.edit_draw)
        frame_services.edit_draw();
}

void ScreenMan::UpdateLoadingIndicator(float dt)
{
    if (loader_count.load(std::memory_order_acquire) > 0)
        loader_alpha += 3.0f * dt;
    else
        loader_alpha -= 3.0f * dt;
    loader_alpha = loader_alpha < 0.0f ? 0.0f : (loader_alpha > 1.0f ? 1.0f : loader_alpha);
}

void ScreenMan::DrawLoadingIndicator()
{
    float a = loader_alpha;
    if (!(a > 0.0f))
        return;
    float e = cosf(sinf(a * (float)M_PI_2) * (float)M_PI_2);
    float v = (1.0f - e) * reference_scale;
    // One reference, taken once and kept (a fetch per frame would count one per frame).
    if (!loader_bitmap)
        loader_bitmap = ov->OV_GetBitmap("loader/windmill.png");
    if (!loader_bitmap)
        return;
    float s = reference_scale;
    float x = virtual_width - s * (loader_bitmap->width / 2 + 16) + virtual_x;
    float y = virtual_height - s * (loader_bitmap->height / 2 + 16) + virtual_y;
    ov->OV_SetAlpha(v);
    ov->OV_SetColor(1.0f, 1.0f, 1.0f);
    ov->OV_SetBlend(0);
    float angle = (float)(ov->OV_GetTime() % 1500) / 1500.0f * 2.0f * (float)M_PI;
    ov->OV_DrawBitmapRS(loader_bitmap, x, y, angle, v);
    ov->OV_SetAlpha(1.0f);
}
