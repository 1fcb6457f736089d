// The per-frame HUD step: frame-rate measurement and box, the developer overlays that
// key states 112 to 116 switch on, the frame-time graph, and last the log console.
// Everything is drawn through the interface table in device pixels (the screen
// transform is already popped), on the main thread under MAIN_LOOP.
#include "gfx/hud.h"

#include "core/console.h"
#include "core/ov_state.h"
#include "core/platform-info.h"
#include "gfx/font.h"

#include <string.h>

namespace {
// Counts the frame and its whole milliseconds; measures the rate every 1.5 s.
void MeasureFrameRate(float dt);
// The rate in the first pool font on a dark box at the top left.
void DrawFrameRateBox();
// Frame-time ring: seconds per frame, the next position, the time at the top.
const int kRing = 2048;
float s_tdeltas[kRing];
int s_index = 0;
float s_max_tdelta = 0.1f;
}  // namespace

// Frame rate, the optional rate box, the developer overlays, then the log console.
void OVI_UpdateAndDrawHUDs(float seconds)
{
    MeasureFrameRate(seconds);
    if (ov_state.show_fps)
        DrawFrameRateBox();

    if (ov_state.developer_mode) {
        if (!ov_memdog)
            ov_memdog = new MemoryWatchdog();
        ov_memdog->Update();

        ov->OV_SetTextAlign(0);
        ov->OV_SetColor(1, 1, 1);
        ov->OV_SetAlpha(1);
        ov->OV_SetBlend(0);
        if (ov->OV_GetKeyStatei(OV_KEY_HUD_FPS))
            ov->OV_DrawTextf(OVI_FirstPoolFont(), 100, 50, "%.0f", ov_state.fps);
        if (ov->OV_GetKeyStatei(OV_KEY_HUD_MEMORY))
            ov_memdog->Draw();
        if (ov->OV_GetKeyStatei(OV_KEY_HUD_FRAME_TIMES))
            OVI_DrawFrameTimeGraph(seconds);
        // Bit 0 is a fresh press; reading the state clears it, so one listing per press.
        if (ov->OV_GetKeyStatei(OV_KEY_HUD_RESOURCES) & 1)
            ov->OV_CallExtension("ListResourceUsage", nullptr);
        if (ov->OV_GetKeyStatei(OV_KEY_HUD_INFO) || OVI_ProductFeatureExists("SHOW_INFO"))
            OVI_DrawInfoPanel();
    }

    ov_con.Update(seconds);
    ov_con.Draw();
}

// The record in the font pool's first slot.
ov_font_t *OVI_FirstPoolFont(void)
{
    return OVI_GetFontRecord(0);
}

// The console font, or the first pool font when the console font has no height.
ov_font_t *OVI_ConsoleFontOrFirst(void)
{
    ov_font_t *f = ov->OV_GetFont("core/console.mft");
    if (!f || f->height == 0)
        f = OVI_FirstPoolFont();
    return f;
}

// Records the frame time and draws the ring, oldest at the left, with the 33 ms line.
void OVI_DrawFrameTimeGraph(float seconds)
{
    s_max_tdelta = 0.1f;
    int n = ov_prog ? ov_prog->parms.width - 20 : 0;
    if (n > kRing)
        n = kRing;
    // A program 20 pixels wide or narrower has no room for the graph.
    if (n <= 0)
        return;
    if (s_index >= n)
        s_index = 0;
    s_tdeltas[s_index] = seconds;

    ov->OV_SetAlpha(0.8f);
    ov->OV_SetColor(0, 0, 0);
    ov->OV_DrawRect(10, 10, (float)n, 100);
    ov->OV_SetColor(0, 1, 0);
    ov->OV_DrawTextf(OVI_FirstPoolFont(), 10, 10, "High: %dms", (int)(s_max_tdelta * 1000));

    ov->OV_SetAlpha(0.5f);
    ov->OV_SetColor(1, 0, 0);
    float k = 100.0f / s_max_tdelta;
    float y33 = 110.0f - k * 33.0f / 1000.0f;
    ov->OV_DrawLine(10, y33, (float)(n + 10), y33);

    ov->OV_SetAlpha(1);
    ov->OV_SetColor(0, 1, 0);
    float px = 10, py = 110;
    for (int i = 0; i < n; i++) {
        // The slot after the newest is the oldest, so time runs left to right.
        float x = (float)(i + 10);
        float y = 110.0f - k * s_tdeltas[(i + s_index + 1) % n];
        ov->OV_DrawLine(px, py, x, y);
        px = x;
        py = y;
    }
    s_index = (s_index + 1) % n;
}

// Empties the frame-time ring.
void OVI_ResetFrameTimeGraph(void)
{
    memset(s_tdeltas, 0, sizeof s_tdeltas);
    s_index = 0;
}

namespace {

void MeasureFrameRate(float dt)
{
    ov_state.fps_frames += 1;
    // Whole milliseconds, truncated (a small bias absorbs the float round trip).
    int ms = (int)((double)dt * 1000.0 + 1e-3);
    ov_state.fps_time += (float)ms / 1000.0f;
    if (ov_state.fps_time > 1.5f) {
        ov_state.fps = (float)ov_state.fps_frames / ov_state.fps_time;
        ov_state.fps_frames = 0;
        ov_state.fps_time = 0;
    }
}

void DrawFrameRateBox()
{
    ov_font_t *f = OVI_FirstPoolFont();
    ov->OV_SetColor(0, 0, 0);
    ov->OV_SetAlpha(0.8f);
    float w = ov->OV_GetTextWidthf(f, "%.0f", ov_state.fps);
    int h = f ? f->height : 0;
    ov->OV_DrawRect(1, 1, w + 2, (float)(h + 2));
    ov->OV_SetColor(1, 1, 1);
    ov->OV_SetAlpha(1);
    ov->OV_SetBlend(0);
    ov->OV_SetTextAlign(0);
    ov->OV_SetTextTransform(1, 1, 0);
    ov->OV_DrawTextf(f, 2, 2, "%.0f", ov_state.fps);
}

}  // namespace
