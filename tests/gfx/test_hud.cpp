// The HUD overlays on the real renderer: frame-rate measurement, the frame-rate box,
// the developer keys 112 to 116, the memory watchdog and its graph, the information
// panel and the console overlay, checked by recorded drawing calls and read-back
// pixels. With ORVEX_SCREENSHOT_DIR set, the information panel and the open console
// are also written there as PPM images to look at.
#include "tests/gfx/gfx_fixture.h"
#include "tests/gfx/test_font_util.h"

#include "core/console.h"
#include "gfx/font.h"
#include "gfx/gl-table.h"
#include "gfx/hud.h"

#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>

#include <cmath>

#include <string>
#include <vector>

using namespace gfxtest;

namespace {

struct Call {
    std::string what;  // "text", "rect", "line", "ext"
    float a, b, c, d;
    std::string text;
};
std::vector<Call> calls;
orvex_t real;  // the slots as the renderer filled them; the recorders forward to them
int32_t fake_total = 0, fake_gpu = 0, fake_npot = 0;

float RecText(ov_font_t *f, float x, float y, const char *fmt, ...)
{
    char buf[4096];
    va_list ap;
    va_start(ap, fmt);
    vsnprintf(buf, sizeof buf, fmt, ap);
    va_end(ap);
    calls.push_back({"text", x, y, 0, 0, buf});
    return real.OV_DrawTextf(f, x, y, "%s", buf);
}
void RecRect(float x, float y, float w, float h)
{
    calls.push_back({"rect", x, y, w, h, ""});
    real.OV_DrawRect(x, y, w, h);
}
void RecLine(float x0, float y0, float x1, float y1)
{
    calls.push_back({"line", x0, y0, x1, y1, ""});
    real.OV_DrawLine(x0, y0, x1, y1);
}
// The estimates refresh fills the keys from the test's values.
const char *RecExtension(const char *cmd, const char *arg)
{
    calls.push_back({"ext", 0, 0, 0, 0, cmd});
    if (strcmp(cmd, "RefreshMemUsageEstimates") == 0) {
        ov->OV_SetKeyStatei(OV_KEY_MEM_TOTAL, fake_total);
        ov->OV_SetKeyStatei(OV_KEY_MEM_GPU, fake_gpu);
        ov->OV_SetKeyStatei(OV_KEY_MEM_GPU_NPOT, fake_npot);
        return "OK";
    }
    return nullptr;
}

int Count(const std::string &what, const std::string &text = "")
{
    int n = 0;
    for (const Call &c : calls)
        if (c.what == what && (text.empty() || c.text == text))
            n++;
    return n;
}
bool HasRect(float x, float y, float w, float h)
{
    for (const Call &c : calls)
        if (c.what == "rect" && c.a == x && c.b == y && c.c == w && c.d == h)
            return true;
    return false;
}

// Writes the framebuffer as a PPM into ORVEX_SCREENSHOT_DIR (when set).
void Screenshot(const char *name)
{
    const char *dir = getenv("ORVEX_SCREENSHOT_DIR");
    if (!dir)
        return;
    int w = ov_device_info.width, h = ov_device_info.height;
    std::vector<unsigned char> px((size_t)w * h * 4);
    ovgl.ReadPixels(0, 0, w, h, GL_RGBA, GL_UNSIGNED_BYTE, px.data());
    std::string path = std::string(dir) + "/" + name + ".ppm";
    FILE *f = fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr) << path;
    fprintf(f, "P6\n%d %d\n255\n", w, h);
    for (int y = h - 1; y >= 0; y--)
        for (int x = 0; x < w; x++)
            fwrite(&px[((size_t)y * w + x) * 4], 1, 3, f);
    fclose(f);
}

// Copies the console font the build ships (its app/native) into the program directory.
bool InstallConsoleFont()
{
    std::string src = std::string(ORVEX_APP_NATIVE_DIR) + "/core/console.mft";
    FILE *in = fopen(src.c_str(), "rb");
    if (!in)
        return false;
    mkdir("app", 0755);
    mkdir("app/native", 0755);
    mkdir("app/native/core", 0755);
    FILE *out = fopen("app/native/core/console.mft", "wb");
    char buf[4096];
    size_t n;
    while (out && (n = fread(buf, 1, sizeof buf, in)) > 0)
        fwrite(buf, 1, n, out);
    fclose(in);
    if (out)
        fclose(out);
    return out != nullptr;
}

class Hud : public GfxTest {
protected:
    void SetUp() override
    {
        GfxTest::SetUp();
        calls.clear();
        ov_con.shown = 0;
        ov_con.visible = 0;
        ov_con.input[0] = 0;
        ov_con.cursor = 0;
        ov_con.scroll = 0;
        OVI_ResetFrameTimeGraph();
        fake_total = fake_gpu = fake_npot = 0;
        delete ov_memdog;
        ov_memdog = nullptr;
        app.draw = [](float) { ov->OV_ClearScreen(1, 1, 1); };
    }
    void TearDown() override
    {
        ov_con.shown = 0;
        ov_con.visible = 0;
        GfxTest::TearDown();
    }
    void Record()
    {
        real = *ov;
        ov->OV_DrawTextf = RecText;
        ov->OV_DrawRect = RecRect;
        ov->OV_DrawLine = RecLine;
        ov->OV_CallExtension = RecExtension;
    }
    void ClearKeys()
    {
        for (int k = 112; k <= 116; k++)
            ov->OV_SetKeyStatei(k, 0);
    }
};

}  // namespace

TEST_F(Hud, FrameRateFirstAppearsAfter94FramesOf16ms)
{
    Start();
    ov_state.fps = 0;
    ov_state.fps_frames = 0;
    ov_state.fps_time = 0;
    for (int i = 0; i < 93; i++)
        OVI_Frame(16);
    EXPECT_EQ(ov_state.fps, 0) << "1.488 s is not yet above 1.5 s";
    OVI_Frame(16);
    EXPECT_NEAR(ov_state.fps, 62.5f, 0.01f);
    EXPECT_EQ(ov_state.fps_frames, 0);
    EXPECT_EQ(ov_state.fps_time, 0);
}

TEST_F(Hud, FrameTimesCountInWholeMilliseconds)
{
    Start();
    ov_state.fps = 0;
    ov_state.fps_frames = 0;
    ov_state.fps_time = 0;
    for (int i = 0; i < 94; i++)
        OVI_UpdateAndDrawHUDs(0.0169f);
    EXPECT_NEAR(ov_state.fps, 62.5f, 0.01f) << "16.9 ms counts as 16 ms";
}

TEST_F(Hud, ShowFpsDrawsADarkBoxWithTheRateInIt)
{
    bool shipped = InstallConsoleFont();
    Start();
    if (!shipped) {
        // Without the shipped font: digits as solid 6 x 10 blocks, saved where it would be.
        ov_font_t blocks;
        fonttest::InitFont(&blocks, "core/console.mft", 128);
        blocks.height = 12;
        blocks.line_height = 14;
        blocks.top_offset = 12;
        for (int c = '0'; c <= '9'; c++)
            fonttest::SetGlyph(&blocks, c, 8, 6, 10, 1);
        fonttest::MakeDirs("app/native/core/");
        ASSERT_EQ(OV_SaveFont(&blocks, "res://core/console.mft"), 1);
        fonttest::FreeFont(&blocks);
    }
    ov_font_t *console = ov->OV_GetFont("core/console.mft");
    ASSERT_NE(console, nullptr);
    ASSERT_GT(console->height, 0);
    ASSERT_EQ(OVI_FirstPoolFont(), console) << "the first font got is the first pool font";
    ov_state.show_fps = 1;
    Record();
    for (int i = 0; i < 100; i++)
        OVI_Frame(16);
    ASSERT_GT(Count("text", "62"), 0) << "the rate drawn as a whole number";
    ov_font_t *f = OVI_FirstPoolFont();
    int h = f ? f->height : 0;
    float w = ov->OV_GetTextWidthf(f, "62");
    EXPECT_TRUE(HasRect(1, 1, w + 2, (float)(h + 2)));
    // Black at alpha 0.8 over the white clear: 255 x 0.2.
    Rgba corner = Pixel(1, 1);
    EXPECT_NEAR(corner[0], 51, 2);
    EXPECT_NEAR(corner[1], 51, 2);
    EXPECT_EQ(Pixel(40, 40)[0], 255) << "nothing beyond the box";
    EXPECT_GT(w, 0);
    EXPECT_GT(h, 0);
    // The digits are white inside the dark box: "62" is two glyphs, two bright runs.
    int bright = 0, runs = 0;
    int mid = 2 + h / 2;
    bool in_run = false;
    for (int x = 1; x <= 2 + (int)w; x++) {
        bool b = Pixel(x, mid)[0] > 200;
        runs += b && !in_run ? 1 : 0;
        in_run = b;
    }
    for (int y = 2; y < 2 + h; y++)
        for (int x = 2; x < 2 + (int)w; x++)
            if (Pixel(x, y)[0] > 200)
                bright++;
    EXPECT_GT(bright, 20);
    // Block digits give one run each; the shipped "6" is crossed twice through its bowl.
    if (shipped)
        EXPECT_GE(runs, 2);
    else
        EXPECT_EQ(runs, 2);
    Screenshot("fps-box");
}

TEST_F(Hud, DeveloperKeysSwitchTheOverlays)
{
    Start();
    Record();
    ClearKeys();
    OVI_Frame(16);
    EXPECT_EQ(Count("rect"), 0);
    EXPECT_EQ(Count("line"), 0);
    EXPECT_EQ(Count("text"), 0);

    ov->OV_SetKeyStatei(112, 3);
    calls.clear();
    OVI_Frame(16);
    ASSERT_EQ(Count("text"), 1);
    EXPECT_EQ(calls.back().a, 100);
    EXPECT_EQ(calls.back().b, 50);
    ClearKeys();

    ov->OV_SetKeyStatei(113, 3);
    calls.clear();
    OVI_Frame(16);
    EXPECT_TRUE(HasRect(0, 0, 1024, 600)) << "the memory graph covers the program";
    EXPECT_TRUE(HasRect(0, 600, 1024, 4));
    ClearKeys();

    ov->OV_SetKeyStatei(114, 3);
    calls.clear();
    OVI_Frame(16);
    EXPECT_TRUE(HasRect(10, 10, 1004, 100));
    EXPECT_EQ(Count("text", "High: 100ms"), 1);
    ASSERT_GE(calls.size(), 3u);
    bool red_line = false;
    for (const Call &c : calls)
        if (c.what == "line" && c.a == 10 && c.c == 1014 && c.b == c.d && std::fabs(c.b - 77) < 0.01f)
            red_line = true;
    EXPECT_TRUE(red_line) << "the 33 ms line lies at y = 77";
    EXPECT_EQ(Count("line"), 1 + 1004);
    ClearKeys();

    // The resource listing runs once per press, however long the key is held.
    ov->OV_SetKeyStatei(115, 3);
    calls.clear();
    for (int i = 0; i < 5; i++)
        OVI_Frame(16);
    EXPECT_EQ(Count("ext", "ListResourceUsage"), 1);
    ClearKeys();

    ov->OV_SetKeyStatei(116, 3);
    calls.clear();
    OVI_Frame(16);
    EXPECT_EQ(Count("text", "Device Info:"), 1);
    EXPECT_EQ(Count("text", "Boot Settings:"), 1);
    EXPECT_EQ(Count("text", "Program:"), 1);
    EXPECT_EQ(Count("text", "System:"), 1);
    EXPECT_EQ(Count("text", "Title: GfxTest"), 1);
    EXPECT_EQ(Count("text", "Native platform: QNX") + Count("text", "Native platform: LINUX"), 1);
    EXPECT_TRUE(HasRect(0, 0, 1024, 210));
    EXPECT_TRUE(HasRect(190, 5, 1, 200));
    EXPECT_TRUE(HasRect(390, 5, 1, 200));
    EXPECT_TRUE(HasRect(590, 5, 1, 200));
    ClearKeys();
}

TEST_F(Hud, WithoutDeveloperModeTheKeysDoNothing)
{
    Start();
    Record();
    ov_state.developer_mode = 0;
    for (int k = 112; k <= 116; k++)
        ov->OV_SetKeyStatei(k, 3);
    OVI_Frame(16);
    EXPECT_TRUE(calls.empty());
    EXPECT_EQ(ov_memdog, nullptr);
    ClearKeys();
}

TEST_F(Hud, FrameTimeGraphDrawsTheOldestAtTheLeft)
{
    Start();
    Record();
    ov->OV_SetKeyStatei(114, 3);
    for (int i = 0; i < 3; i++) {
        calls.clear();
        OVI_UpdateAndDrawHUDs(0.05f * (float)(i + 1));
    }
    std::vector<Call> lines;
    for (const Call &c : calls)
        if (c.what == "line")
            lines.push_back(c);
    ASSERT_EQ(lines.size(), 1u + 1004u);
    // The last three points are 50, 100 and 150 ms: 110 - 1000 x t.
    EXPECT_NEAR(lines[1004].d, 110 - 150, 0.01f);
    EXPECT_NEAR(lines[1003].d, 110 - 100, 0.01f);
    EXPECT_NEAR(lines[1002].d, 110 - 50, 0.01f);
    EXPECT_NEAR(lines[1].d, 110, 0.01f);
    ClearKeys();
}

TEST_F(Hud, WatchdogSamplesEvery30CallsAndStopsOnAConstantTotal)
{
    Start();
    Record();
    fake_total = 20 << 20;
    fake_gpu = 8 << 20;
    fake_npot = 1 << 20;
    for (int i = 0; i < 29; i++)
        OVI_UpdateAndDrawHUDs(0.016f);
    ASSERT_NE(ov_memdog, nullptr);
    EXPECT_EQ(ov_memdog->total.Count(), 0);
    EXPECT_EQ(Count("ext", "RefreshMemUsageEstimates"), 0);
    OVI_UpdateAndDrawHUDs(0.016f);
    EXPECT_EQ(Count("ext", "RefreshMemUsageEstimates"), 1);
    ASSERT_EQ(ov_memdog->total.Count(), 1);
    EXPECT_EQ(ov_memdog->gpu[0], 8 << 20);
    EXPECT_EQ(ov_memdog->gpu_npot[0], 1 << 20);
    for (int i = 0; i < 30 * 6; i++)
        OVI_UpdateAndDrawHUDs(0.016f);
    EXPECT_EQ(ov_memdog->total.Count(), 4) << "four equal totals stop the graph";
    fake_total = 30 << 20;
    fake_gpu = 12 << 20;
    for (int i = 0; i < 30; i++)
        OVI_UpdateAndDrawHUDs(0.016f);
    EXPECT_EQ(ov_memdog->total.Count(), 5);
    EXPECT_EQ(ov_memdog->total_peak, 30 << 20);
    EXPECT_EQ(ov_memdog->gpu_peak, 12 << 20);
    EXPECT_EQ(ov_memdog->gpu_npot_peak, 1 << 20);
}

TEST_F(Hud, WatchdogGraphDrawsTheSeriesAndTrimsOnANarrowProgram)
{
    Start();
    Record();
    ov_memdog = new MemoryWatchdog();
    for (int i = 0; i < 200; i++) {
        ov_memdog->total.InsertLast((10 + i % 20) << 20);
        ov_memdog->gpu.InsertLast(4 << 20);
        ov_memdog->gpu_npot.InsertLast(1 << 20);
    }
    ov_memdog->total_peak = 29 << 20;
    ov_memdog->gpu_peak = 4 << 20;
    ov_memdog->gpu_npot_peak = 1 << 20;
    ov_memdog->Draw();
    // 1024 wide: 400 fits beside the label, nothing is trimmed; step min(1024 / 200, 2).
    EXPECT_EQ(ov_memdog->total.Count(), 200);
    EXPECT_EQ(Count("line"), 3 * 199);
    EXPECT_EQ(Count("text", "Total mem 29.0 MB (peak 29.0 MB)"), 1);
    EXPECT_EQ(Count("text", "GPU 4.0 MB (peak 4.0 MB)"), 1);
    EXPECT_EQ(Count("text", "GPU NPOT 1.0 MB (peak 1.0 MB)"), 1);
    // The marker of the newest total sample, on the scale the draw started with.
    float k = (float)(600.0f / (10485760.0 + 5242880.0));
    float y = 600.0f - (float)(29 << 20) * k;
    bool marker = false;
    for (const Call &c : calls)
        if (c.what == "rect" && c.a == 44 + 199 * 2 - 1 && std::fabs(c.b - (y - 1)) < 0.01f && c.c == 3 && c.d == 3)
            marker = true;
    EXPECT_TRUE(marker);
    EXPECT_GE(ov_memdog->max_bytes, 29 << 20) << "the scale grows to the largest sample";

    // A program too narrow for twice the samples plus the label loses one a draw.
    ov_prog->parms.width = 300;
    ov_memdog->Draw();
    EXPECT_EQ(ov_memdog->total.Count(), 199);
    EXPECT_EQ(ov_memdog->gpu.Count(), 199);
    ov_memdog->Draw();
    EXPECT_EQ(ov_memdog->total.Count(), 198);
    ov_prog->parms.width = 1024;
}

TEST_F(Hud, InformationPanelScreenshot)
{
    bool have_font = InstallConsoleFont();
    Start();
    ov->OV_SetKeyStatei(116, 3);
    app.draw = [](float) { ov->OV_ClearScreen(0.2f, 0.4f, 0.2f); };
    OVI_Frame(16);
    Screenshot("hud-info-panel");
    // The panel: black at 0.8 over the clear colour, 210 pixels high, across the screen.
    Rgba in = Pixel(100, 150);
    EXPECT_NEAR(in[1], (int)(0.4 * 255 * 0.2 + 0.5), 2);
    Rgba below = Pixel(100, 220);
    EXPECT_NEAR(below[1], 102, 2);
    // The grey column separators.
    Rgba sep = Pixel(190, 100);
    EXPECT_GT(sep[0], in[0] + 60);
    ov->OV_SetKeyStatei(116, 0);
    if (!have_font)
        GTEST_SKIP() << "panel checked; no console font in the tree yet, so no texts in the image";
}

TEST_F(Hud, OpenConsoleScreenshot)
{
    bool have_font = InstallConsoleFont();
    Start();
    OV_PrintDebugf(1, "A warning line\n");
    OV_PrintDebugf(2, "An error line\n");
    OV_Printf("Loading level one\n");
    app.draw = [](float) { ov->OV_ClearScreen(0, 0, 0); };
    ov_con.Toggle();
    for (int i = 0; i < 20; i++)
        OVI_Frame(16);
    EXPECT_FLOAT_EQ(ov_con.shown, 1.0f);
    const char *typed = "Load";
    for (const char *p = typed; *p; p++)
        OVI_SendCharEvent(*p);
    OVI_Frame(16);
    Screenshot("console-open");
    // Panel colour (0.2, 0.3, 0.5) at 0.6 over black; the white border at 80 % height.
    Rgba panel = Pixel(500, 20);
    EXPECT_NEAR(panel[0], 31, 2);
    EXPECT_NEAR(panel[1], 46, 2);
    EXPECT_NEAR(panel[2], 77, 2);
    EXPECT_EQ(Pixel(500, 480)[0], 255);
    EXPECT_EQ(Pixel(500, 490)[0], 0) << "below the panel the program shows";
    ov_con.Toggle();
    if (!have_font)
        GTEST_SKIP() << "panel checked; no console font in the tree yet, so no lines in the image";
}
