// The memory watchdog: every 30 HUD calls it refreshes the engine's memory estimates
// and records total, GPU and non-power-of-two GPU bytes; its graph shows the three
// series over the program area with a 5 MB grid, markers and labels.
#include "gfx/hud.h"

#include "core/fs/fs.h"
#include "core/ov_state.h"
#include "gfx/font.h"

MemoryWatchdog *ov_memdog = nullptr;

namespace {

const double kMB = 1048576.0;
const int kGridStep = 5242880;  // 5 MB

// Colour of a total-memory sample by its whole megabytes: small programs are held to
// tighter limits than programs wider than 500 pixels.
void SetTotalColor(int32_t bytes)
{
    int m = (int)(bytes / 1048576);
    bool small = !ov_prog || ov_prog->parms.width <= 500;
    int green_below = small ? 17 : 41, red_from = small ? 25 : 61;
    if (m < green_below)
        ov->OV_SetColor(0, 1, 0);
    else if (m < red_from)
        ov->OV_SetColor(1, 1, 0);
    else
        ov->OV_SetColor(1, 0, 0);
}

}  // namespace

MemoryWatchdog::MemoryWatchdog()
    : total_peak(0), gpu_peak(0), gpu_npot_peak(0), font(nullptr), frames_passed(0), max_bytes(10485760.0)
{
    total.SetShrink(true);
    gpu.SetShrink(true);
    gpu_npot.SetShrink(true);
}

void MemoryWatchdog::Update()
{
    frames_passed += 1;
    if (frames_passed % 30 != 0)
        return;
    ov->OV_CallExtension("RefreshMemUsageEstimates", "");
    int32_t t = ov->OV_GetKeyStatei(OV_KEY_MEM_TOTAL);
    int32_t g = ov->OV_GetKeyStatei(OV_KEY_MEM_GPU);
    int32_t n = ov->OV_GetKeyStatei(OV_KEY_MEM_GPU_NPOT);
    // A total that stayed the same over the last four samples adds nothing new.
    int c = total.Count();
    if (c > 3 && total[c - 1] == t && total[c - 2] == t && total[c - 3] == t && total[c - 4] == t)
        return;
    total.InsertLast(t);
    gpu.InsertLast(g);
    gpu_npot.InsertLast(n);
    if (t > total_peak)
        total_peak = t;
    if (g > gpu_peak)
        gpu_peak = g;
    if (n > gpu_npot_peak)
        gpu_npot_peak = n;
}

void MemoryWatchdog::Draw()
{
    if (!font || !(ov_state.overlay_fonts_fetched & OV_FONT_FETCHED_MEMDOG)) {
        font = OV_FileExists("core/console.mft") ? ov->OV_GetFont("core/console.mft") : OVI_FirstPoolFont();
        ov_state.overlay_fonts_fetched |= OV_FONT_FETCHED_MEMDOG;
    }
    if (!ov_prog)
        return;
    float W = (float)ov_prog->parms.width, H = (float)ov_prog->parms.height;

    ov->OV_SetBlend(0);
    ov->OV_SetAlpha(0.6f);
    ov->OV_SetColor(0, 0, 0);
    ov->OV_DrawRect(0, 0, W, H);
    ov->OV_SetColor(0.9f, 0.9f, 0.9f);
    ov->OV_SetAlpha(1);
    ov->OV_DrawRect(0, H, W, 4);
    ov->OV_SetTextAlign(4);
    ov->OV_SetTextTransform(0.7f, 0.7f, 0);

    float k = (float)(H / (max_bytes + kGridStep));
    if (max_bytes > 0) {
        ov->OV_SetColor(0.4f, 0.4f, 0.4f);
        ov->OV_DrawRect(0, H, W, 1);
        for (double m = kGridStep; m < max_bytes; m += kGridStep) {
            float y = H - (float)m * k;
            ov->OV_SetColor(0.4f, 0.4f, 0.4f);
            ov->OV_DrawRect(0, y, W, 1);
            ov->OV_SetColor(0.7f, 0.7f, 0.7f);
            ov->OV_DrawTextf(font, 5, y, "%d MB", (int)(m / kMB));
        }
    }
    ov->OV_SetTextTransform(1, 1, 0);
    ov->OV_SetColor(1, 1, 1);
    ov->OV_SetTextTransform(0.7f, 0.7f, 0);

    // Keep the newest samples on screen: twice the sample count must fit beside the label.
    float tw = ov->OV_GetTextWidthf(font, "GPU 100.1 MB (peak 100.1 MB)");
    if (2.0f * (float)total.Count() > W - 88 - tw) {
        nArray<int32_t> *all[] = {&total, &gpu, &gpu_npot};
        for (nArray<int32_t> *s : all)
            if (s->Count() > 0)
                s->Remove(0);
    }

    struct Series {
        nArray<int32_t> *samples;
        int32_t peak;
        const char *label;
        float r, g, b;
        bool by_size;
    } series[] = {
        {&gpu, gpu_peak, "GPU %.1f MB (peak %.1f MB)", 0.3f, 0.3f, 1.0f, false},
        {&gpu_npot, gpu_npot_peak, "GPU NPOT %.1f MB (peak %.1f MB)", 0.3f, 1.0f, 0.3f, false},
        {&total, total_peak, "Total mem %.1f MB (peak %.1f MB)", 0, 0, 0, true},
    };
    for (const Series &s : series) {
        const nArray<int32_t> &v = *s.samples;
        int n = v.Count();
        if (n <= 0)
            continue;
        int step = (int)W / n;
        if (step > 2)
            step = 2;
        auto X = [&](int i) { return (float)(i * step + 44); };
        auto Y = [&](int i) { return H - (float)v[i] * k; };
        if (s.by_size)
            SetTotalColor(v[0]);
        else
            ov->OV_SetColor(s.r, s.g, s.b);
        for (int i = 1; i < n; i++) {
            if (v[i] > max_bytes)
                max_bytes = v[i];
            if (s.by_size)
                SetTotalColor(v[i]);
            ov->OV_DrawLine(X(i - 1), Y(i - 1), X(i), Y(i));
        }
        ov->OV_SetTextAlign(4);
        ov->OV_SetTextTransform(0.7f, 0.7f, 0);
        ov->OV_DrawRect(X(n - 1) - 1, Y(n - 1) - 1, 3, 3);
        ov->OV_DrawTextf(font, X(n - 1) + 5, Y(n - 1), s.label, v[n - 1] / 1024.0 / 1024.0, s.peak / 1024.0 / 1024.0);
        ov->OV_SetTextTransform(1, 1, 0);
        ov->OV_SetTextAlign(0);
    }
    ov->OV_SetColor(1, 1, 1);
    ov->OV_SetTextAlign(0);
}
