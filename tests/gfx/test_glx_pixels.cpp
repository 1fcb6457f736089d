// The desktop's GL context: the same scenes drawn through the GLX OpenGL ES context on
// the desktop window and through the headless EGL pbuffer read back equal; render
// targets and an in-place re-initialisation work on GLX; without GLX on the X server
// the renderer falls back to EGL and says why. Runs on a private Xvfb (started here on
// a display number it picks itself); skipped when Xvfb is not installed.
#include "tests/gfx/gfx_fixture.h"
#include "tests/support/xvfb.h"

#include "gfx/bitmap.h"
#include "gfx/driver-preload.h"
#include "gfx/glx-context.h"
#include "gfx/gl-table.h"
#include "gfx/redraw.h"
#include "gfx/rendimp-gles.h"
#include "gfx/rendimp.h"
#include "gfx/window.h"
#include "platform/device.h"
#include "platform/screen.h"

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stddef.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <memory>
#include <set>
#include <string>
#include <vector>

using namespace gfxtest;

namespace {

const int kW = 320, kH = 200;

// The private X servers of these tests: one 640 x 480 screen.
class Xvfb : public testsupport::Xvfb {
public:
    explicit Xvfb(const std::vector<std::string> &extra) : testsupport::Xvfb("640x480x24", extra) {}
};

bool UseDesktop()
{
    std::string error;
    return ovdev::UseDesktopBackend(&error);
}

// A 4 x 4 checker of opaque red and blue with a half-transparent green corner.
bool CheckerLoader(ov_bitmap_t *b)
{
    if (strcmp(b->name, "checker4") != 0)
        return false;
    b->width = b->height = b->src_width = b->src_height = 4;
    b->pixels = (uint8_t *)malloc(4 * 4 * 4);
    for (int y = 0; y < 4; y++)
        for (int x = 0; x < 4; x++) {
            uint8_t *p = b->pixels + (y * 4 + x) * 4;
            bool red = ((x + y) & 1) == 0;
            p[0] = red ? 255 : 0;
            p[1] = (x == 3 && y == 3) ? 255 : 0;
            p[2] = red ? 0 : 255;
            p[3] = (x == 3 && y == 3) ? 128 : 255;
        }
    b->flags |= OV_BITMAP_ALPHA;
    return true;
}

ov_bitmap_t *s_checker = nullptr;
ov_bitmap_t *s_target = nullptr;

// The scenes, each drawn the same way on both contexts.
void RectanglesAndBlending()
{
    ov->OV_ClearScreen(0.1f, 0.2f, 0.3f);
    ov->OV_SetColor(1, 0, 0);
    ov->OV_DrawRect(10, 10, 100, 60);
    ov->OV_SetAlpha(0.5f);
    ov->OV_SetColor(0, 1, 0);
    ov->OV_DrawRect(50, 40, 100, 60);
    ov->OV_SetBlend(1);
    ov->OV_SetColor(0, 0, 1);
    ov->OV_DrawRect(120, 20, 80, 120);
    ov->OV_SetBlend(0);
    ov->OV_SetAlpha(1.0f);
}

void RotatedScaledBitmaps()
{
    ov->OV_ClearScreen(0, 0, 0);
    ov->OV_SetColor(1, 1, 1);
    ov->OV_SetPixelFilter(1);
    ov->OV_DrawBitmapRS(s_checker, 80, 100, 0.5f, 12.0f);
    ov->OV_SetPixelFilter(0);
    ov->OV_DrawBitmapRS(s_checker, 220, 100, -0.3f, 9.0f);
}

void LinesAndTriangles()
{
    ov->OV_ClearScreen(0.2f, 0.2f, 0.2f);
    ov->OV_SetColor(1, 1, 0);
    ov->OV_DrawLine(5, 5, 300, 190);
    ov->OV_DrawLine(5, 190, 300, 5);
    ov_vertex3d_t v[3];
    memset(v, 0, sizeof v);
    const float xy[3][2] = {{160, 20}, {260, 180}, {60, 150}};
    for (int i = 0; i < 3; i++) {
        v[i].x = xy[i][0];
        v[i].y = xy[i][1];
        v[i].z = 0.5f;
        v[i].color[0] = (uint8_t)(i == 0 ? 255 : 0);
        v[i].color[1] = (uint8_t)(i == 1 ? 255 : 0);
        v[i].color[2] = (uint8_t)(i == 2 ? 255 : 0);
        v[i].color[3] = 255;
    }
    const uint16_t indices[3] = {0, 1, 2};
    ov->OV_DrawTriangles(nullptr, v, 3, indices, 3);
}

void RenderTarget()
{
    ov->OV_ClearScreen(0, 0, 0);
    ov->OV_SetRenderTarget(s_target);
    ov->OV_ClearScreen(0, 0, 1);
    ov->OV_SetColor(1, 0, 0);
    ov->OV_DrawRect(0, 0, 16, 8);
    ov->OV_SetColor(1, 1, 1);
    ov->OV_DrawBitmapRS(s_checker, 40, 40, 0.7f, 5.0f);
    ov->OV_SetRenderTarget(nullptr);
    ov->OV_SetColor(1, 1, 1);
    ov->OV_SetPixelFilter(0);
    ov->OV_DrawBitmap(s_target, 100, 50);
}

struct Scene {
    const char *name;
    void (*draw)();
};
const Scene kScenes[] = {{"rectangles and blending", RectanglesAndBlending},
                         {"rotated and scaled bitmaps", RotatedScaledBitmaps},
                         {"lines and triangles", LinesAndTriangles},
                         {"render target", RenderTarget}};

typedef std::vector<uint8_t> Frame;

// The scene's pixels (RGB; the window has no alpha to compare), read before the swap.
void Capture(Frame *out)
{
    ov_rendimp->Flush();
    std::vector<uint8_t> rgba((size_t)kW * kH * 4);
    ovgl.ReadPixels(0, 0, kW, kH, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    out->resize((size_t)kW * kH * 3);
    for (size_t i = 0; i < (size_t)kW * kH; i++)
        memcpy(&(*out)[i * 3], &rgba[i * 4], 3);
}

// Pixels whose colour differs between the two frames.
int DifferingPixels(const Frame &a, const Frame &b)
{
    int n = 0;
    for (size_t i = 0; i + 2 < a.size() && i + 2 < b.size(); i += 3)
        n += memcmp(&a[i], &b[i], 3) != 0;
    return n;
}

// The X server's own address for display ":N" (the abstract socket clients try first);
// its length goes to *length.
sockaddr_un ServerAddress(const std::string &display, socklen_t *length)
{
    sockaddr_un address;
    memset(&address, 0, sizeof address);
    address.sun_family = AF_UNIX;
    int n = snprintf(address.sun_path + 1, sizeof address.sun_path - 1, "/tmp/.X11-unix/X%s", display.c_str() + 1);
    *length = (socklen_t)(offsetof(sockaddr_un, sun_path) + 1 + n);
    return address;
}

// A connection to the X server that has not begun its set-up, as a client's is between
// its connect and the server's answer; -1 when it cannot be made.
int ConnectWithoutSetUp(const std::string &display)
{
    socklen_t length = 0;
    sockaddr_un address = ServerAddress(display, &length);
    int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd >= 0 && connect(fd, reinterpret_cast<sockaddr *>(&address), length) != 0) {
        close(fd);
        fd = -1;
    }
    return fd;
}

// Sends the connection's set-up (little-endian, protocol 11.0, no authorisation); true
// when the server accepts it, false when it refuses it or drops the connection.
bool FinishSetUp(int fd)
{
    const unsigned char request[12] = {'l', 0, 11, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    if (send(fd, request, sizeof request, MSG_NOSIGNAL) != (ssize_t)sizeof request)
        return false;
    pollfd answer = {fd, POLLIN, 0};
    unsigned char status = 0;
    return poll(&answer, 1, 30000) == 1 && recv(fd, &status, 1, 0) == 1 && status == 1;
}

// The process's connections to the X server of the display.
int ConnectionsTo(const std::string &display)
{
    socklen_t server_length = 0;
    sockaddr_un server = ServerAddress(display, &server_length);
    int n = 0;
    DIR *fds = opendir("/proc/self/fd");
    while (dirent *entry = fds ? readdir(fds) : nullptr) {
        sockaddr_un peer;
        socklen_t length = sizeof peer;
        int fd = atoi(entry->d_name);
        if (entry->d_name[0] != '.' && fd != dirfd(fds) &&
            getpeername(fd, reinterpret_cast<sockaddr *>(&peer), &length) == 0 && length == server_length &&
            memcmp(&peer, &server, length) == 0)
            n++;
    }
    if (fds)
        closedir(fds);
    return n;
}

// The ids of the process's threads.
std::set<std::string> Threads()
{
    std::set<std::string> ids;
    DIR *tasks = opendir("/proc/self/task");
    while (dirent *entry = tasks ? readdir(tasks) : nullptr)
        if (entry->d_name[0] != '.')
            ids.insert(entry->d_name);
    if (tasks)
        closedir(tasks);
    return ids;
}

// Waits until every thread not in before has ended; false after 30 s.
bool ThreadsSinceHaveEnded(const std::set<std::string> &before)
{
    for (int i = 0; i < 3000; i++) {
        bool running = false;
        for (const std::string &id : Threads())
            running = running || before.count(id) == 0;
        if (!running)
            return true;
        usleep(10000);
    }
    return false;
}

class GlxPixels : public GfxTest {
protected:
    void SetUp() override
    {
        GfxTest::SetUp();
        app.width = kW;
        app.height = kH;
        OVI_SetBitmapFileLoader(CheckerLoader);
    }
    void TearDown() override
    {
        GfxTest::TearDown();
        // The desktop backend and a preload not waited for close their X connections
        // while the server still runs.
        ovdev::UseHeadlessBackend();
        OVID_GLX_CloseDisplay(OVID_FinishDriverPreload().glx_display);
        if (client_ >= 0)
            close(client_);
        xvfb_.reset();
        OVI_SetBitmapFileLoader(nullptr);
        if (!display_saved_)
            return;
        if (had_display_)
            setenv("DISPLAY", old_display_.c_str(), 1);
        else
            unsetenv("DISPLAY");
    }
    // Points DISPLAY at the X server (the old value comes back at the end of the test).
    void UseDisplay(const std::string &display)
    {
        if (!display_saved_) {
            const char *old = getenv("DISPLAY");
            had_display_ = old != nullptr;
            old_display_ = old ? old : "";
            display_saved_ = true;
        }
        setenv("DISPLAY", display.c_str(), 1);
    }
    // Starts the engine on the headless pbuffer, or on the desktop window of the X server.
    void StartOn(const std::string &display)
    {
        if (!display.empty()) {
            UseDisplay(display);
            use_backend_ = UseDesktop;
        }
        ASSERT_NO_FATAL_FAILURE(Start(kW, kH));
        s_checker = ov->OV_LoadBitmap("checker4", OV_CACHE_GPU);
        s_target = ov->OV_CreateBitmap("target", 64, 64, 1);
        ASSERT_TRUE(s_checker && s_checker->hw.uploaded);
        ASSERT_TRUE(s_target && s_target->hw.uploaded);
    }
    // Draws each scene in one frame and keeps its pixels.
    std::vector<Frame> DrawScenes()
    {
        std::vector<Frame> frames;
        for (const Scene &scene : kScenes) {
            Frame f;
            app.draw = [&](float) {
                scene.draw();
                Capture(&f);
            };
            OVI_Frame(16);
            frames.push_back(f);
        }
        app.draw = nullptr;
        return frames;
    }
    // The scenes on the headless pbuffer, in an engine run of their own.
    void HeadlessFrames(std::vector<Frame> *frames)
    {
        ASSERT_NO_FATAL_FAILURE(StartOn(""));
        EXPECT_STREQ(OVID_OGLES_ContextKind(), "egl");
        *frames = DrawScenes();
        ORVEX_Shutdown();
        if (ov_qnx_screen_context) {
            ovdev::screen_destroy_context(ov_qnx_screen_context);
            ov_qnx_screen_context = nullptr;
        }
        started_ = false;
    }
    // Starts a private X server for the test; its display, or empty without Xvfb.
    std::string StartXvfb(const std::vector<std::string> &extra)
    {
        xvfb_.reset(new Xvfb(extra));
        return xvfb_->display();
    }
    bool display_saved_ = false;
    bool had_display_ = false;
    std::string old_display_;
    std::unique_ptr<Xvfb> xvfb_;
    int client_ = -1;  // a connection of the test's own to the X server, or -1
};

}  // namespace

TEST_F(GlxPixels, ScenesReadBackAsOnThePbuffer)
{
    std::vector<Frame> headless;
    ASSERT_NO_FATAL_FAILURE(HeadlessFrames(&headless));
    std::string display = StartXvfb({});
    if (display.empty())
        GTEST_SKIP() << "Xvfb is not installed (scripts/deps.sh installs xvfb): no X server for the GLX context";
    ASSERT_NO_FATAL_FAILURE(StartOn(display));
    ASSERT_STREQ(OVID_OGLES_ContextKind(), "glx");
    EXPECT_FALSE(Logged("using EGL"));
    // Xvfb's GLX has no swap control: the frame limit paces the frames, and says so.
    EXPECT_TRUE(Logged("No swap control on this display: the frame limit (")) << "or a swap interval on a real display";
    std::vector<Frame> glx = DrawScenes();
    ASSERT_EQ(glx.size(), headless.size());
    // The same rasteriser draws both: every pixel agrees, edges included.
    for (size_t i = 0; i < glx.size(); i++)
        EXPECT_EQ(DifferingPixels(glx[i], headless[i]), 0) << kScenes[i].name;
}

// The window's configuration swaps by copying, so its back buffer keeps each frame and
// the next one is drawn only where it changed: after every frame of an animation (a
// sprite turning, a line and a translucent square moving over rectangles, blends and a
// clear) the back buffer the window was given equals the same frame drawn whole.
TEST_F(GlxPixels, FramesDrawnWhereTheyChangedLookAsDrawnWhole)
{
    std::string display = StartXvfb({});
    if (display.empty())
        GTEST_SKIP() << "Xvfb is not installed (scripts/deps.sh installs xvfb): no X server for the GLX context";
    ASSERT_NO_FATAL_FAILURE(StartOn(display));
    ASSERT_STREQ(OVID_OGLES_ContextKind(), "glx");
    EXPECT_TRUE(OVID_GLX_BackBufferKept());
    float t = 0;
    app.draw = [&](float) {
        RectanglesAndBlending();
        ov->OV_SetColor(1, 1, 1);
        ov->OV_SetPixelFilter(1);
        ov->OV_DrawBitmapRS(s_checker, 240, 120, t, 6.0f);
        ov->OV_SetColor(1, 1, 0);
        ov->OV_DrawLine(5 + 10 * t, 190, 60 + 10 * t, 150);
        ov->OV_SetAlpha(0.5f);
        ov->OV_DrawRect(20 + 17 * t, 150, 12, 12);
        ov->OV_SetAlpha(1);
    };
    auto play = [&]() {
        std::vector<Frame> out;
        for (int i = 0; i < 8; i++) {
            t = 0.25f * (float)(i < 6 ? i : 5);  // the last frames alike
            OVI_Frame(16);
            Frame f;
            Capture(&f);
            out.push_back(f);
        }
        return out;
    };
    OV_RedrawSetEnabled(false);
    std::vector<Frame> whole = play();
    OV_RedrawSetEnabled(true);
    OV_RedrawResetStats();
    std::vector<Frame> part = play();
    OV_RedrawSetEnabled(true);
    ov_redraw_stats_t st = OV_RedrawStats();
    EXPECT_EQ(st.frames_partial, 7) << "the first frame has no frame before it: " << st.last_whole;
    EXPECT_GE(st.frames_unchanged, 2);
    ASSERT_EQ(part.size(), whole.size());
    for (size_t i = 0; i < part.size(); i++)
        EXPECT_EQ(DifferingPixels(part[i], whole[i]), 0) << "frame " << i;
    app.draw = nullptr;
}

TEST_F(GlxPixels, ReInitKeepsTexturesAndTargets)
{
    std::string display = StartXvfb({});
    if (display.empty())
        GTEST_SKIP() << "Xvfb is not installed (scripts/deps.sh installs xvfb): no X server for the GLX context";
    ASSERT_NO_FATAL_FAILURE(StartOn(display));
    ASSERT_STREQ(OVID_OGLES_ContextKind(), "glx");
    std::vector<Frame> before = DrawScenes();
    ASSERT_TRUE(ov->OV_ReInit());
    OVI_Frame(16);  // the re-initialisation runs at the end of this frame
    EXPECT_STREQ(OVID_OGLES_ContextKind(), "glx");
    std::vector<Frame> after = DrawScenes();
    for (size_t i = 0; i < before.size(); i++)
        EXPECT_EQ(DifferingPixels(before[i], after[i]), 0) << kScenes[i].name;
}

TEST_F(GlxPixels, ServerWithoutGlxFallsBackToEglAndSaysWhy)
{
    std::vector<Frame> headless;
    ASSERT_NO_FATAL_FAILURE(HeadlessFrames(&headless));
    std::string display = StartXvfb({"-extension", "GLX"});
    if (display.empty())
        GTEST_SKIP() << "Xvfb is not installed (scripts/deps.sh installs xvfb): no X server for the fallback";
    ASSERT_NO_FATAL_FAILURE(StartOn(display));
    EXPECT_STREQ(OVID_OGLES_ContextKind(), "egl");
    EXPECT_TRUE(Logged("No OpenGL ES 1.1 context through GLX (the X server has no GLX): using EGL"));
    std::vector<Frame> egl = DrawScenes();
    ASSERT_EQ(egl.size(), headless.size());
    for (size_t i = 0; i < egl.size(); i++)
        EXPECT_EQ(DifferingPixels(egl[i], headless[i]), 0) << kScenes[i].name;
}

// The program loads the driver ahead on a thread of its own, which brings GLX up on an
// X connection of its own; the renderer makes its context there, on the device
// layer's window, and draws what the pbuffer draws (and keeps it through a
// re-initialisation).
TEST_F(GlxPixels, ContextOnThePreloadsConnectionDrawsAsThePbuffer)
{
    std::vector<Frame> headless;
    ASSERT_NO_FATAL_FAILURE(HeadlessFrames(&headless));
    std::string display = StartXvfb({});
    if (display.empty())
        GTEST_SKIP() << "Xvfb is not installed (scripts/deps.sh installs xvfb): no X server for the GLX context";
    UseDisplay(display);
    ov_driver_preload_plan_t plan = OVID_DriverPreloadPlan(false);
    ASSERT_TRUE(plan.glx_display);
    OVID_StartDriverPreloadPlan(plan);
    ASSERT_NO_FATAL_FAILURE(StartOn(display));
    EXPECT_FALSE(OVID_DriverPreloadPending()) << "the renderer waits for the preload";
    ASSERT_STREQ(OVID_OGLES_ContextKind(), "glx");
    EXPECT_TRUE(OVID_GLX_OnOwnDisplay());
    std::vector<Frame> glx = DrawScenes();
    ASSERT_EQ(glx.size(), headless.size());
    for (size_t i = 0; i < glx.size(); i++)
        EXPECT_EQ(DifferingPixels(glx[i], headless[i]), 0) << kScenes[i].name;
    ASSERT_TRUE(ov->OV_ReInit());
    OVI_Frame(16);
    EXPECT_STREQ(OVID_OGLES_ContextKind(), "glx");
    std::vector<Frame> after = DrawScenes();
    for (size_t i = 0; i < after.size(); i++)
        EXPECT_EQ(DifferingPixels(after[i], headless[i]), 0) << kScenes[i].name;
}

// Without GLX on the server the preload has no connection to offer, and the renderer
// falls back to EGL as without a preload.
TEST_F(GlxPixels, PreloadWithoutGlxOnTheServerLeavesTheFallbackToEgl)
{
    std::string display = StartXvfb({"-extension", "GLX"});
    if (display.empty())
        GTEST_SKIP() << "Xvfb is not installed (scripts/deps.sh installs xvfb): no X server for the fallback";
    UseDisplay(display);
    // A client of the test's own keeps the server from resetting when the first
    // preload's connection goes, under the second one's and the device layer's (a
    // program runs one preload, waited for once the device layer's connection is up).
    client_ = ConnectWithoutSetUp(display);
    ASSERT_TRUE(client_ >= 0 && FinishSetUp(client_));
    OVID_StartDriverPreloadPlan(OVID_DriverPreloadPlan(false));
    ov_driver_preload_result_t result = OVID_FinishDriverPreload();
    EXPECT_EQ(result.glx_display, nullptr);
    EXPECT_EQ(result.libraries_opened, 2);
    OVID_StartDriverPreloadPlan(OVID_DriverPreloadPlan(false));
    ASSERT_NO_FATAL_FAILURE(StartOn(display));
    EXPECT_STREQ(OVID_OGLES_ContextKind(), "egl");
    EXPECT_FALSE(OVID_GLX_OnOwnDisplay());
    EXPECT_TRUE(Logged("No OpenGL ES 1.1 context through GLX (the X server has no GLX): using EGL"));
}

// The device layer opens its display on the main thread while the preload thread opens
// a connection of its own. On a server without GLX and without other clients, that
// connection closing would leave the server without clients: it would reset, and drop
// the device layer's connection in the middle of its set-up (SDL: "x11 not
// available"). The preload's connection stays open until the renderer waits for it.
TEST_F(GlxPixels, PreloadWithoutGlxKeepsTheServerUpUnderAConnectionBeingSetUp)
{
    std::string display = StartXvfb({"-extension", "GLX"});
    if (display.empty())
        GTEST_SKIP() << "Xvfb is not installed (scripts/deps.sh installs xvfb): no X server for the preload";
    UseDisplay(display);
    client_ = ConnectWithoutSetUp(display);
    ASSERT_GE(client_, 0) << strerror(errno);
    std::set<std::string> threads = Threads();
    OVID_StartDriverPreloadPlan(OVID_DriverPreloadPlan(false));
    ASSERT_TRUE(ThreadsSinceHaveEnded(threads));
    EXPECT_EQ(ConnectionsTo(display), 2) << "the preload's connection is kept until the renderer waits for it";
    EXPECT_TRUE(FinishSetUp(client_)) << "the server dropped a connection being set up";
    ov_driver_preload_result_t result = OVID_FinishDriverPreload();
    EXPECT_EQ(result.glx_display, nullptr);
    EXPECT_EQ(ConnectionsTo(display), 1) << "the wait closes the preload's connection";
}
