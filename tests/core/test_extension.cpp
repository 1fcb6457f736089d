// The extension call (interface slot 22) on the whole engine: the device part first
// (links, the on-screen keyboard, mail), then the engine's commands in their order
// (eye, program, product values, platform, dates, hacks, resource reports, path
// switches), and the renderer last for everything else.
#include "tests/support/engine_harness.h"

#include "audio/sample.h"
#include "audio/sound.h"
#include "core/platform-info.h"
#include "core/services.h"
#include "gfx/bitmap.h"
#include "gfx/rendimp-null.h"
#include "gfx/window.h"
#include "nstring.h"
#include "platform/device.h"
#include "platform/headless.h"
#include "platform/headless_audio.h"
#include "platform/navigator.h"

#include <algorithm>
#include <chrono>
#include <fstream>
#include <regex>
#include <stdlib.h>
#include <string.h>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <utility>
#include <vector>

using namespace harness;

namespace {

int NextPowerOfTwo(int v)
{
    int p = 1;
    while (p < v)
        p *= 2;
    return p;
}

// A renderer that keeps no GPU but books textures the way a GPU renderer does (sizes
// rounded up to powers of two), records the extension commands that reach it and
// answers them with a reply the test chooses.
class RecordingRenderer : public RendImpNull {
public:
    std::vector<std::pair<std::string, std::string>> calls;
    const char *reply = nullptr;

    const char *GetName() override { return "Recording"; }
    bool CreateBitmap(ov_bitmap_t *b) override { return Book(b); }
    bool LoadBitmap(ov_bitmap_t *b) override { return Book(b); }
    void FreeBitmap(void *hw) override { memset(hw, 0, sizeof(ov_bitmap_t::hw_data_t)); }
    const char *CallExtension(const char *command, const char *argument) override
    {
        calls.emplace_back(command ? command : "(null)", argument ? argument : "(null)");
        return reply;
    }

private:
    static bool Book(ov_bitmap_t *b)
    {
        b->hw.uploaded = 1;
        b->hw.tex_width = NextPowerOfTwo(b->width);
        b->hw.tex_height = NextPowerOfTwo(b->height);
        return true;
    }
};

// Sizes the test image loader gives by bitmap name.
struct ImageSize {
    const char *name;
    int width, height;
};
const ImageSize kImages[] = {{"gpu", 50, 30}, {"both", 10, 10}};

bool LoadTestImage(ov_bitmap_t *b)
{
    for (const ImageSize &image : kImages) {
        if (strcmp(b->name, image.name) == 0) {
            b->width = b->src_width = image.width;
            b->height = b->src_height = image.height;
            b->pixels = (uint8_t *)calloc((size_t)image.width * image.height, 4);
            return true;
        }
    }
    return false;
}

// The eye-mode replies seen by the application's draw hook.
std::vector<std::string> s_eye_replies;
void DrawAsksForTheEye(float)
{
    const char *reply = ov->OV_CallExtension("Renderer", "EyeMode");
    s_eye_replies.push_back(reply ? reply : "(null)");
}

void WriteText(const std::string &path, const std::string &text)
{
    std::ofstream(path, std::ios::binary) << text;
}

// A canonical mono 16-bit 22050 Hz WAV file with data_bytes bytes of silence.
void WriteWav(const std::string &path, uint32_t data_bytes)
{
    std::vector<uint8_t> f(44 + data_bytes, 0);
    auto put32 = [&](size_t at, uint32_t v) {
        for (int i = 0; i < 4; i++)
            f[at + i] = (uint8_t)(v >> (8 * i));
    };
    auto put16 = [&](size_t at, uint16_t v) {
        f[at] = (uint8_t)v;
        f[at + 1] = (uint8_t)(v >> 8);
    };
    memcpy(&f[0], "RIFF", 4);
    put32(4, 36 + data_bytes);
    memcpy(&f[8], "WAVEfmt ", 8);
    put32(16, 16);
    put16(20, 1);
    put16(22, 1);
    put32(24, 22050);
    put32(28, 22050 * 2);
    put16(32, 2);
    put16(34, 16);
    memcpy(&f[36], "data", 4);
    put32(40, data_bytes);
    std::ofstream(path, std::ios::binary).write((const char *)f.data(), (std::streamsize)f.size());
}

// Every stored log line that begins with the prefix, in order.
std::vector<std::string> LinesStartingWith(const std::string &prefix)
{
    std::vector<std::string> out;
    for (const std::string &t : LogTexts())
        if (t.compare(0, prefix.size(), prefix) == 0)
            out.push_back(t.substr(0, t.find('\n')));
    return out;
}

// Where the line containing the fragment was logged (-1 when it was not).
int LogPosition(const std::string &fragment)
{
    std::vector<std::string> lines = LogTexts();
    for (size_t i = 0; i < lines.size(); i++)
        if (lines[i].find(fragment) != std::string::npos)
            return (int)i;
    return -1;
}

std::string Reply(const char *reply)
{
    return reply ? reply : "(null)";
}

class Extension : public EngineTest {
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        OVID_SetRendImpOverride(&renderer);
        OVI_SetBitmapFileLoader(LoadTestImage);
        s_eye_replies.clear();
    }
    void TearDown() override
    {
        EngineTest::TearDown();
        OVID_SetRendImpOverride(nullptr);
        OVI_SetBitmapFileLoader(nullptr);
        ovdev::UseHeadlessBackend();
    }

    // Through the interface table, as the application calls it.
    const char *Call(const char *name, const char *arg) { return ov->OV_CallExtension(name, arg); }

    // res://prog.xml with the application's and the tablet variant's features and values.
    void WriteProgXml(const std::string &app_features, const std::string &variant_features)
    {
        WriteText("app/native/prog.xml",
                  "<?xml version=\"1.0\"?>\n<root>\n"
                  "\t<array id=\"PARAMETERS\">\n"
                  "\t\t<node id=\"APPLICATION\" program_id=\"ext.test\" name=\"Ext Test\" features=\"" +
                      app_features +
                      "\" store=\"app-store\" only_app=\"app-only\" />\n"
                      "\t\t<node id=\"DEVELOPER\" developer_mode=\"1\" logging=\"1\" console=\"1\" />\n"
                      "\t</array>\n"
                      "\t<array id=\"VARIANTS\">\n"
                      "\t\t<node id=\"QNX/LARGE\" features=\"" +
                      variant_features +
                      "\" store=\"variant-store\" />\n"
                      "\t</array>\n</root>\n");
    }

    static int SlotOf(const ov_bitmap_t *b) { return (int)(b - OVI_GetBitmapRecord(0)); }

    RecordingRenderer renderer;
};

// ---- dispatch

TEST_F(Extension, SlotTwentyTwoIsTheExtensionCall)
{
    StartEngine();
    EXPECT_EQ(ov->OV_CallExtension, &OV_CallExtension);
    EXPECT_EQ(Call(nullptr, "EyeMode"), nullptr);
    EXPECT_TRUE(renderer.calls.empty());
}

TEST_F(Extension, DevicePartAnswersBeforeEngineAndRenderer)
{
    StartEngine();
    renderer.reply = "from-renderer";
    EXPECT_STREQ(Call("OpenURL", "https://example.org/"), "OK");
    EXPECT_STREQ(Call("BeginKeyboardInput", nullptr), "OK");
    EXPECT_STREQ(Call("EndKeyboardInput", "ignored"), "OK");
    EXPECT_TRUE(renderer.calls.empty());
    // The device part declines mail, so the command goes on and the renderer is asked last.
    EXPECT_STREQ(Call("ComposeMail", "to=someone@example.org"), "from-renderer");
    ASSERT_EQ(renderer.calls.size(), 1u);
    EXPECT_EQ(renderer.calls[0].first, "ComposeMail");
}

TEST_F(Extension, UnknownCommandsAnswerNull)
{
    StartEngine();
    const std::pair<const char *, const char *> unknown[] = {
        {"GetLanguage", nullptr},       {"ADS_SHOW_AD", "top"},        {"ADS_DISMISS_AD", nullptr},
        {"ADS_SET_AD_POSITION", "1"},   {"GameCenter", "scores"},      {"OpenFileDialog", "*.png"},
        {"SaveFileDialog", "*.png"},    {"PlatformInfo", "PerformanceClass"}, {"ProgramInfo", "Version"},
        {"PlatformInfo", nullptr},      {"Renderer", "Stereo"},        {"Clipboard_GetText", ""},
        {"Clipboard_SetText", "copied"},
        {"openurl", "https://example.org/"},  // device and engine names are compared exactly
        {"programinfo", "ProgramId"},
    };
    for (const auto &c : unknown)
        EXPECT_EQ(Call(c.first, c.second), nullptr) << c.first;
    // Each went all the way to the renderer, which has nothing to say either.
    ASSERT_EQ(renderer.calls.size(), sizeof unknown / sizeof unknown[0]);
    EXPECT_EQ(renderer.calls[7], std::make_pair(std::string("PlatformInfo"), std::string("PerformanceClass")));
    EXPECT_EQ(renderer.calls[12], std::make_pair(std::string("Clipboard_SetText"), std::string("copied")));
    EXPECT_TRUE(ovdev::headless::invoked_urls().empty());
}

TEST_F(Extension, RendererIsAskedOnlyOnceInitialised)
{
    renderer.reply = "from-renderer";
    ASSERT_EQ(ovdev::screen_create_context(&ov_qnx_screen_context, ovdev::SCREEN_APPLICATION_CONTEXT), 0);
    ASSERT_EQ(OV_QNX_InitWindowAndContexts(), 1);
    ASSERT_TRUE(OVI_PreInit(nullptr));
    ASSERT_EQ(ov_rendimp, &renderer);  // loaded with the settings, not initialised yet
    EXPECT_EQ(Call("GameCenter", "scores"), nullptr);
    EXPECT_TRUE(renderer.calls.empty());
    ASSERT_TRUE(OVI_Init());
    EXPECT_STREQ(Call("GameCenter", "scores"), "from-renderer");
    EXPECT_EQ(renderer.calls.size(), 1u);
}

// ---- device part: links, keyboard, mail

TEST_F(Extension, OpenUrlIsHandedToTheDeviceAndRecorded)
{
    StartEngine();
    EXPECT_STREQ(Call("OpenURL", "https://example.org/help?page=2"), "OK");
    EXPECT_STREQ(Call("OpenURL", "http://example.org/"), "OK");
    EXPECT_EQ(ovdev::headless::invoked_urls(),
              (std::vector<std::string>{"https://example.org/help?page=2", "http://example.org/"}));
    // No link: nothing is invoked.
    EXPECT_EQ(Call("OpenURL", nullptr), nullptr);
    EXPECT_EQ(ovdev::headless::invoked_urls().size(), 2u);
}

TEST_F(Extension, OpenUrlNotHandedOnAnswersNullWithALogLine)
{
    StartEngine();
    ASSERT_TRUE(ovdev::headless::fail("navigator_invoke", 1));
    EXPECT_EQ(Call("OpenURL", "https://example.org/down"), nullptr);
    EXPECT_TRUE(Logged("OpenURL: link 'https://example.org/down' not opened: navigator_invoke failed."));
    // Declined by the device, the command goes on; the renderer has nothing for it either.
    ASSERT_EQ(renderer.calls.size(), 1u);
    EXPECT_EQ(renderer.calls[0].first, "OpenURL");
    // The next link goes through again.
    EXPECT_STREQ(Call("OpenURL", "https://example.org/up"), "OK");
}

TEST_F(Extension, KeyboardIsShownWithDefaultOptionsAndHidden)
{
    StartEngine();
    ovdev::virtualkeyboard_change_options(4, 2);
    EXPECT_FALSE(ovdev::headless::keyboard_visible());
    EXPECT_STREQ(Call("BeginKeyboardInput", nullptr), "OK");
    EXPECT_TRUE(ovdev::headless::keyboard_visible());
    EXPECT_EQ(ovdev::headless::keyboard_layout(), 0);
    EXPECT_EQ(ovdev::headless::keyboard_enter_key(), 0);
    EXPECT_STREQ(Call("EndKeyboardInput", nullptr), "OK");
    EXPECT_FALSE(ovdev::headless::keyboard_visible());
}

TEST_F(Extension, EngineKeyboardFormIsUnimplementedAndGoesOn)
{
    switches.developer_mode = true;  // popups show in developer mode
    StartEngine();
    EXPECT_EQ(Call("UI", "BeginKeyboardInput"), nullptr);
    EXPECT_TRUE(Logged("OV: Unimplemented."));
    EXPECT_FALSE(ovdev::headless::keyboard_visible());
    renderer.reply = "from-renderer";
    EXPECT_STREQ(Call("UI", "EndKeyboardInput"), "from-renderer");
    ASSERT_EQ(renderer.calls.size(), 2u);
    EXPECT_EQ(renderer.calls[1], std::make_pair(std::string("UI"), std::string("EndKeyboardInput")));
}

TEST_F(Extension, ComposeMailIsNotAvailable)
{
    StartEngine();
    EXPECT_EQ(Call("ComposeMail", "to=someone@example.org"), nullptr);
    EXPECT_EQ(Call("ComposeMail", nullptr), nullptr);
    EXPECT_TRUE(Logged("ComposeMail: no mail service on this device."));
    EXPECT_TRUE(ovdev::headless::invoked_urls().empty());
}

// ---- engine commands

TEST_F(Extension, EyeModeFollowsTheDrawPass)
{
    record.Draw = DrawAsksForTheEye;
    StartEngine();
    ov_state.render_stereo = 1;
    OVI_Frame(16);
    ov_state.render_stereo = 0;
    OVI_Frame(16);
    EXPECT_EQ(s_eye_replies, (std::vector<std::string>{"Left", "Right", "Mono"}));
    EXPECT_TRUE(renderer.calls.empty());
}

TEST_F(Extension, ProgramIdIsTheRecordsIdOrNull)
{
    StartEngine();
    EXPECT_STREQ(Call("ProgramInfo", "ProgramId"), "test.game");
    EXPECT_EQ(Call("ProgramInfo", "ProgramId"), record.id);  // borrowed from the record
    ORVEX_Shutdown();
    EXPECT_STREQ(OV_CallExtension("ProgramInfo", "ProgramId"), "null");
}

TEST_F(Extension, FeaturesJoinApplicationAndVariantWithOneComma)
{
    StartEngine();
    struct Case {
        const char *app, *variant, *reply;
    } cases[] = {
        {nullptr, nullptr, ""}, {"", "", ""},      {"", "A", "A"},     {nullptr, "A", "A"},
        {"X", "", "X"},         {"X", nullptr, "X"}, {"X", "A", "X,A"}, {"X Y", "A;B", "X Y,A;B"},
    };
    for (const Case &c : cases) {
        nStringFree(ov_state.features);
        nStringFree(ov_state.variant_features);
        ov_state.features = c.app ? nStringDuplicate(c.app) : nullptr;
        ov_state.variant_features = c.variant ? nStringDuplicate(c.variant) : nullptr;
        const char *reply = Call("ProgramInfo", "Features");
        ASSERT_NE(reply, nullptr);
        EXPECT_STREQ(reply, c.reply) << Reply(c.app) << " / " << Reply(c.variant);
    }
}

TEST_F(Extension, FeaturesFromTheSettingsInDeveloperMode)
{
    WriteProgXml("X", "A");
    switches.developer_mode = true;
    StartEngine();
    EXPECT_STREQ(Call("ProgramInfo", "Features"), "X,DEVELOPER_MODE,A");
    EXPECT_STREQ(Call("ProgramInfo", "ProgramId"), "ext.test");
}

TEST_F(Extension, ProductValuesComeFromTheSettingsAndNeverReachTheRenderer)
{
    WriteProgXml("", "");
    StartEngine();
    renderer.reply = "from-renderer";
    EXPECT_STREQ(Call("GetProductValue", "store"), "variant-store");
    EXPECT_STREQ(Call("GetProductValue", "only_app"), "app-only");
    EXPECT_EQ(Call("GetProductValue", "missing"), nullptr);
    EXPECT_EQ(Call("GetProductValue", nullptr), nullptr);
    EXPECT_TRUE(renderer.calls.empty());
}

TEST_F(Extension, PlatformInfoAnswersFromThePlatformRecord)
{
    StartEngine();
    struct Case {
        const char *arg, *reply;
    } cases[] = {
        {"DeviceModel", "QNX"}, {"OSMajor", "QNX"},   {"OSMinor", "6.5+"},       {"OrvexImp", "OV_QNX"},
        {"UniqueId", "UNKNOWN"}, {"GPUDesc", ""},     {"CPUDesc", ""},           {"PlatformId", "QNX"},
        {"ScreenSizeId", "LARGE"}, {"DesktopWidth", "0"}, {"DesktopHeight", "0"},
    };
    for (const Case &c : cases) {
        const char *reply = Call("PlatformInfo", c.arg);
        ASSERT_NE(reply, nullptr) << c.arg;  // an empty description is "", never null
        EXPECT_STREQ(reply, c.reply) << c.arg;
    }
    EXPECT_EQ(Call("PlatformInfo", "GPUDesc"), ov_platform_info.gpu_desc);
    EXPECT_TRUE(renderer.calls.empty());

    ov_device_info.desktop_width = 1920;
    ov_device_info.desktop_height = 1080;
    EXPECT_STREQ(Call("PlatformInfo", "DesktopWidth"), "1920");
    EXPECT_STREQ(Call("PlatformInfo", "DesktopHeight"), "1080");

    const int saved = ov_platform_info.screen_size_id;
    const std::pair<int, const char *> sizes[] = {{0, "SMALL"}, {1, "MEDIUM"}, {2, "LARGE"}, {7, "SMALL"}, {-1, "SMALL"}};
    for (const auto &s : sizes) {
        ov_platform_info.screen_size_id = s.first;
        EXPECT_STREQ(Call("PlatformInfo", "ScreenSizeId"), s.second) << s.first;
    }
    ov_platform_info.screen_size_id = saved;
}

TEST_F(Extension, DateAndTimeStampAreLocalTime)
{
    StartEngine();
    auto expect_format = [](const char *fmt, bool with_time) {
        ov_date_t before = OVT_GetDate();
        std::string reply = Reply(ov->OV_CallExtension(with_time ? "GetTimeStamp" : "GetDate", nullptr));
        ov_date_t after = OVT_GetDate();
        char a[32], b[32];
        snprintf(a, sizeof a, fmt, before.year, before.month, before.day, before.hour, before.minute);
        snprintf(b, sizeof b, fmt, after.year, after.month, after.day, after.hour, after.minute);
        EXPECT_TRUE(reply == a || reply == b) << reply;  // the minute may turn during the call
        return reply;
    };
    std::string date = expect_format("%d-%.2d-%.2d", false);
    EXPECT_TRUE(std::regex_match(date, std::regex("[0-9]{4}-[0-9]{2}-[0-9]{2}"))) << date;
    std::string stamp = expect_format("%d-%.2d-%.2d:%.2d-%.2d", true);
    EXPECT_TRUE(std::regex_match(stamp, std::regex("[0-9]{4}-[0-9]{2}-[0-9]{2}:[0-9]{2}-[0-9]{2}"))) << stamp;
    // Each command has one buffer of its own that the next call rewrites.
    EXPECT_EQ(Call("GetDate", "ignored"), Call("GetDate", nullptr));
    EXPECT_NE((const void *)Call("GetDate", nullptr), (const void *)Call("GetTimeStamp", nullptr));
    EXPECT_TRUE(renderer.calls.empty());
}

TEST_F(Extension, AllowAllResolutionsIsSetAndTheCommandGoesOn)
{
    StartEngine();
    ov_state.allow_all_resolutions = 0;
    EXPECT_EQ(Call("Hacks", "Something"), nullptr);
    EXPECT_EQ(ov_state.allow_all_resolutions, 0);
    renderer.reply = "from-renderer";
    EXPECT_STREQ(Call("Hacks", "AllowAllResolutions"), "from-renderer");
    EXPECT_EQ(ov_state.allow_all_resolutions, 1);
    ASSERT_EQ(renderer.calls.size(), 2u);
    EXPECT_EQ(renderer.calls[1], std::make_pair(std::string("Hacks"), std::string("AllowAllResolutions")));
}

// ---- resource reports

// Bitmaps of every residency: pixels only, GPU only, both, and a render target.
class ExtensionResources : public Extension {
protected:
    void MakeBitmaps()
    {
        pix = ov->OV_CreateBitmap("pix", 30, 20, 0);         // pixels 2400 bytes, no texture
        gpu = ov->OV_GetBitmapEx("gpu", OV_CACHE_GPU);        // 50x30 drawn, 64x32 texture
        both = ov->OV_LoadBitmap("both", OV_CACHE_PIXELS | OV_CACHE_GPU);  // 10x10, 16x16 texture
        target = ov->OV_CreateBitmap("target", 100, 50, 1);   // 128x64 texture
        ASSERT_TRUE(pix && gpu && both && target);
        ASSERT_NE(pix->pixels, nullptr);
        ASSERT_FALSE(pix->hw.uploaded);
        ASSERT_EQ(gpu->pixels, nullptr);
        ASSERT_TRUE(gpu->hw.uploaded);
        ASSERT_NE(both->pixels, nullptr);
        ASSERT_TRUE(both->hw.uploaded);
        ASSERT_EQ(target->pixels, nullptr);
        ASSERT_TRUE(target->hw.uploaded);
    }
    ov_bitmap_t *pix = nullptr, *gpu = nullptr, *both = nullptr, *target = nullptr;
};

TEST_F(ExtensionResources, MemUsageEstimatesFillKeys2001To2005)
{
    StartEngine();
    MakeBitmaps();
    for (int key = 2001; key <= 2005; key++)
        ov->OV_SetKeyStatei(key, -1);
    EXPECT_EQ(Call("RefreshMemUsageEstimates", nullptr), nullptr);
    const int system = 30 * 20 * 4 + 10 * 10 * 4;
    const int texture = 64 * 32 * 4 + 16 * 16 * 4 + 128 * 64 * 4;
    const int drawn = 50 * 30 * 4 + 10 * 10 * 4 + 100 * 50 * 4;
    EXPECT_EQ(ov->OV_GetKeyStatei(2001), system);
    EXPECT_EQ(ov->OV_GetKeyStatei(2002), texture);
    EXPECT_EQ(ov->OV_GetKeyStatei(2003), drawn);
    EXPECT_EQ(ov->OV_GetKeyStatei(2004), 0);  // the null sound implementation holds no data
    EXPECT_EQ(ov->OV_GetKeyStatei(2005), system + texture);
    EXPECT_TRUE(renderer.calls.empty());

    // A released bitmap no longer counts.
    ov->OV_ReleaseBitmap(pix);
    ov->OV_ReleaseBitmap(pix);
    Call("RefreshMemUsageEstimates", nullptr);
    EXPECT_EQ(ov->OV_GetKeyStatei(2001), 10 * 10 * 4);
}

TEST_F(ExtensionResources, SequencesCountEveryFrameOrTheirAtlas)
{
    StartEngine();
    ov_bitmap_t *seq = ov->OV_CreateBitmap("seq", 20, 10, 0);
    ASSERT_NE(seq, nullptr);
    // Three uploaded 20x10 frames on 32x16 textures, as the sequence loader leaves them.
    const ov_bitmap_t saved = *seq;
    ov_bitmap_t frames[3];
    memset(frames, 0, sizeof frames);
    seq->frames = frames;
    seq->num_frames = 3;
    seq->hw.uploaded = 1;
    seq->hw.tex_width = 32;
    seq->hw.tex_height = 16;
    Call("RefreshMemUsageEstimates", nullptr);
    EXPECT_EQ(ov->OV_GetKeyStatei(2002), 3 * 32 * 16 * 4);
    EXPECT_EQ(ov->OV_GetKeyStatei(2003), 3 * 20 * 10 * 4);
    Call("ListResourceUsage", nullptr);
    char line[160];
    snprintf(line, sizeof line, "Bitmap #%.3d 20x10 'seq' refc=1 sysmem=0.8KB gpumem=6.0KB texture=32x16", SlotOf(seq));
    EXPECT_TRUE(Logged(line)) << line;

    // Packed into one 64x32 atlas on a 64x32 texture: the atlas is what the GPU holds.
    ov_bitmap_t atlas;
    memset(&atlas, 0, sizeof atlas);
    atlas.width = atlas.hw.tex_width = 64;
    atlas.height = atlas.hw.tex_height = 32;
    atlas.hw.uploaded = 1;
    seq->atlas = &atlas;
    Call("RefreshMemUsageEstimates", nullptr);
    EXPECT_EQ(ov->OV_GetKeyStatei(2002), 64 * 32 * 4);
    Call("ListResourceUsage", nullptr);
    snprintf(line, sizeof line, "Bitmap #%.3d 20x10 'seq' refc=1 sysmem=0.8KB gpumem=8.0KB texture=32x16", SlotOf(seq));
    EXPECT_TRUE(Logged(line)) << line;
    *seq = saved;
}

TEST_F(ExtensionResources, ListResourceUsageReportsEveryResourceAndRanksTheLargest)
{
    StartEngine();
    MakeBitmaps();
    ov_sound_t *click = ov->OV_LoadSound("sfx/click");
    ASSERT_NE(click, nullptr);
    EXPECT_EQ(Call("ListResourceUsage", "ignored"), nullptr);
    EXPECT_TRUE(renderer.calls.empty());

    char pix_line[160], gpu_line[160], both_line[160], target_line[160];
    snprintf(pix_line, sizeof pix_line, "Bitmap #%.3d 30x20 'pix' refc=1 sysmem=2.3KB gpumem=0.0KB texture=0x0",
             SlotOf(pix));
    snprintf(gpu_line, sizeof gpu_line, "Bitmap #%.3d 50x30 'gpu' refc=1 gpumem=8.0KB  texture=64x32", SlotOf(gpu));
    snprintf(both_line, sizeof both_line, "Bitmap #%.3d 10x10 'both' refc=1 sysmem=0.4KB gpumem=1.0KB texture=16x16",
             SlotOf(both));
    snprintf(target_line, sizeof target_line, "Bitmap #%.3d 100x50 'target' refc=1 gpumem=32.0KB  texture=128x64",
             SlotOf(target));
    EXPECT_EQ(LinesStartingWith("Bitmap #"), (std::vector<std::string>{pix_line, gpu_line, both_line, target_line}));
    EXPECT_EQ(LinesStartingWith("Sound #"), (std::vector<std::string>{"Sound #000 'sfx/click' sysmem=0.0KB"}));
    EXPECT_TRUE(LinesStartingWith("Font #").empty());  // no fonts in this build yet

    // Headings and totals in order: 2400 + 8192 + 400 + 1024 + 32768 bytes of bitmaps.
    const char *in_order[] = {
        "Listing Resource Usage.",
        "Bitmaps:",
        pix_line,
        "Sounds:",
        "Sound #000 'sfx/click'",
        "Fonts:",
        "Total 43.7KB allocated for bitmaps in (system+gpu) memory.",
        "Total 0.0KB allocated for sounds in system memory.",
        "Total 0.0KB allocated for fonts in (system+gpu) memory.",
        "Total 43.7KB allocated for all resources.",
        "ORVEX state size is ",
        "TOP4 Memory Hogs",
        "#001 GFX 32KB 100x50 target",
        "#002 GFX 8KB 50x30 gpu",
        "#003 GFX 1KB 10x10 both",
        "#004 SND 0KB sfx/click",
    };
    int previous = -1;
    for (const char *fragment : in_order) {
        int at = LogPosition(fragment);
        EXPECT_GT(at, previous) << fragment;
        previous = at;
    }
    // Only bitmaps on the GPU are ranked.
    EXPECT_FALSE(Logged("GFX 2KB 30x20 pix"));
}

TEST_F(ExtensionResources, TheRankingShowsAtMostFifty)
{
    StartEngine();
    for (int i = 1; i <= 55; i++) {
        std::string name = "rt" + std::to_string(i);
        ASSERT_NE(ov->OV_CreateBitmap(name.c_str(), 16 * i, 16, 1), nullptr);
    }
    Call("ListResourceUsage", nullptr);
    EXPECT_TRUE(Logged("TOP50 Memory Hogs"));
    std::vector<std::string> ranks = LinesStartingWith("#0");
    ASSERT_EQ(ranks.size(), 50u);
    // The widest ones (from 528 pixels) sit on 1024x16 textures: 64 KB each, ranked first.
    EXPECT_EQ(ranks.front().compare(0, 14, "#001 GFX 64KB "), 0) << ranks.front();
    EXPECT_EQ(ranks.back().compare(0, 9, "#050 GFX "), 0) << ranks.back();
    for (size_t i = 1; i < ranks.size(); i++) {
        int kb_before = atoi(ranks[i - 1].c_str() + 9), kb = atoi(ranks[i].c_str() + 9);
        EXPECT_GE(kb_before, kb) << ranks[i];
    }
    // Left out: the five smallest, on 16x16 (1 KB), 32x16 (2 KB), twice 64x16 (4 KB) and
    // one of the four 128x16 (8 KB) textures.
    EXPECT_EQ(CountLogged(" GFX 1KB "), 0);
    EXPECT_EQ(CountLogged(" GFX 2KB "), 0);
    EXPECT_EQ(CountLogged(" GFX 4KB "), 0);
    EXPECT_EQ(CountLogged(" GFX 8KB "), 3);
}

// The platform sound implementation holds real samples; sounds above 4 MB are music.
class ExtensionSounds : public Extension {
protected:
    void SetUp() override
    {
        Extension::SetUp();
        record.parms.no_sound = 0;
        ASSERT_TRUE(ovdev::headless::set_audio_mode(ovdev::headless::AudioMode::Manual));
    }
};

TEST_F(ExtensionSounds, SoundMemoryCountsSamplesButNotMusicSizedOnes)
{
    mkdir("app/native/sfx", 0755);
    WriteWav("app/native/sfx/click.wav", 1000);
    WriteWav("app/native/sfx/theme.wav", 4200000);
    StartEngine();
    ov_sound_t *click = ov->OV_LoadSound("sfx/click.wav");
    ov_sound_t *theme = ov->OV_LoadSound("sfx/theme.wav");
    ASSERT_TRUE(click && theme);
    ASSERT_NE(click->imp_data[1], nullptr);
    ASSERT_NE(theme->imp_data[1], nullptr);
    // 1000 data bytes, 8 lead-in bytes and a 0.15 s silent tail (6615 bytes at 22050 Hz).
    const int click_bytes = 1000 + 8 + 6615;
    ASSERT_EQ(static_cast<ovSample *>(click->imp_data[1])->size, click_bytes);

    Call("RefreshMemUsageEstimates", nullptr);
    EXPECT_EQ(ov->OV_GetKeyStatei(2004), click_bytes);
    EXPECT_EQ(ov->OV_GetKeyStatei(2005), click_bytes);

    Call("ListResourceUsage", nullptr);
    const int theme_bytes = 4200000 + 8 + 6615;
    char theme_line[160];
    snprintf(theme_line, sizeof theme_line, "Sound #001 'sfx/theme.wav' sysmem=%.1fKB", theme_bytes / 1024.0);
    EXPECT_EQ(LinesStartingWith("Sound #"),
              (std::vector<std::string>{"Sound #000 'sfx/click.wav' sysmem=7.4KB", theme_line}));
    EXPECT_TRUE(Logged("Assuming Sound #001 'sfx/theme.wav' is music and not counting its memory"));
    EXPECT_FALSE(Logged("Assuming Sound #000"));
    EXPECT_TRUE(Logged("Total 7.4KB allocated for sounds in system memory."));
    EXPECT_TRUE(Logged("#001 SND 7KB sfx/click.wav"));
    EXPECT_TRUE(Logged("#002 SND 0KB sfx/theme.wav"));
}

// ---- path switches

TEST_F(Extension, SwitchProgramBasePathMovesTheUserDirectory)
{
    StartEngine();
    renderer.reply = "from-renderer";
    EXPECT_EQ(Call("SwitchProgramBasePath", "Second Game!"), nullptr);
    EXPECT_STREQ(OVI_GetUserDirectoryName(1), "Second_Game_");
    EXPECT_STREQ(OVI_GetPathBase(OV_PATH_USER0), "./data/Talvik/Second_Game_");
    EXPECT_STREQ(OVI_GetPathBase(OV_PATH_USER), "./data/Talvik/Second_Game_");
    EXPECT_STREQ(OVI_GetPathBase(OV_PATH_RES), "./app/native");
    char *native = OV_ConvertStaticPathToNativeOSPath("user://save.dat");
    EXPECT_STREQ(native, "./data/Talvik/Second_Game_/save.dat");
    nStringFree(native);
    // Logging is on in these tests: the new directory has its logs directory.
    EXPECT_TRUE(FileExists("data/Talvik/Second_Game_/logs"));
    // The name is compared in any case; the longest name that fits is 31 characters.
    const std::string longest(31, 'n');
    Call("switchprogrambasepath", longest.c_str());
    EXPECT_EQ(OVI_GetPathBase(OV_PATH_USER), "./data/Talvik/" + longest);
    EXPECT_TRUE(renderer.calls.empty());
}

TEST_F(Extension, SwitchProgramBasePathRefusesWhatLeavesTheUserDirectory)
{
    StartEngine();
    const std::string before = OVI_GetPathBase(OV_PATH_USER);
    const std::string too_long(32, 'n');
    const char *refused[] = {nullptr, "", "..", "../Other", "a/../b", "/tmp/evil", too_long.c_str()};
    int refusals = 0;
    for (const char *arg : refused) {
        EXPECT_EQ(Call("SwitchProgramBasePath", arg), nullptr);
        EXPECT_EQ(CountLogged("SwitchProgramBasePath new path parameter invalid."), ++refusals) << Reply(arg);
        EXPECT_EQ(OVI_GetPathBase(OV_PATH_USER), before) << Reply(arg);
        EXPECT_EQ(OVI_GetPathBase(OV_PATH_USER0), before) << Reply(arg);
    }
    EXPECT_STREQ(OVI_GetUserDirectoryName(1), "Test_Game");
}

TEST_F(Extension, UserDataPathsSetTheirBaseDirectories)
{
    StartEngine();
    const std::string shared_before = OVI_GetPathBase(OV_PATH_USER);
    EXPECT_EQ(Call("SwitchUserDataPath", "profiles/alt"), nullptr);
    EXPECT_STREQ(OVI_GetPathBase(OV_PATH_USER0), "profiles/alt");
    EXPECT_EQ(OVI_GetPathBase(OV_PATH_USER), shared_before);

    EXPECT_EQ(Call("SWITCHSHAREDUSERDATAPATH", "shared/data"), nullptr);
    EXPECT_STREQ(OVI_GetPathBase(OV_PATH_USER), "shared/data");
    char *native = OV_ConvertStaticPathToNativeOSPath("user://save.dat");
    EXPECT_STREQ(native, "shared/data/save.dat");
    nStringFree(native);

    const std::string longest(259, 'p');
    Call("switchuserdatapath", longest.c_str());
    EXPECT_EQ(OVI_GetPathBase(OV_PATH_USER0), longest);
    EXPECT_TRUE(renderer.calls.empty());
}

TEST_F(Extension, UserDataPathsRefuseWhatLeavesTheProgramDirectory)
{
    StartEngine();
    const std::string user0 = OVI_GetPathBase(OV_PATH_USER0), user = OVI_GetPathBase(OV_PATH_USER);
    const std::string too_long(260, 'p');
    const char *refused[] = {nullptr, "", "..", "data/../../etc", "/etc", too_long.c_str()};
    for (const char *arg : refused) {
        Call("SwitchUserDataPath", arg);
        Call("SwitchSharedUserDataPath", arg);
    }
    const int n = (int)(sizeof refused / sizeof refused[0]);
    EXPECT_EQ(CountLogged("SwitchUserDataPath new path parameter invalid."), n);
    EXPECT_EQ(CountLogged("SwitchSharedUserDataPath new path parameter invalid."), n);
    EXPECT_EQ(OVI_GetPathBase(OV_PATH_USER0), user0);
    EXPECT_EQ(OVI_GetPathBase(OV_PATH_USER), user);
}

// ---- links on the desktop (only in builds with the SDL2 desktop backend)
#if __has_include(<SDL.h>)

// A stand-in for the desktop's link handler, found first on PATH: it appends its
// argument count and first argument to the file named by ORVEX_TEST_URL_LOG.
class DesktopLinks : public Extension {
protected:
    void SetUp() override
    {
        Extension::SetUp();
        ASSERT_EQ(setenv("SDL_VIDEODRIVER", "dummy", 1), 0);
        std::string error;
        ASSERT_TRUE(ovdev::UseDesktopBackend(&error)) << error;
        mkdir("bin", 0755);
        WriteText("bin/xdg-open", "#!/bin/sh\nprintf '%s\\n%s\\n' \"$#\" \"$1\" >> \"$ORVEX_TEST_URL_LOG\"\n");
        ASSERT_EQ(chmod("bin/xdg-open", 0755), 0);
        const char *path = getenv("PATH");
        saved_path_ = path ? path : "";
        ASSERT_EQ(setenv("PATH", (dir + "/bin:" + saved_path_).c_str(), 1), 0);
        ASSERT_EQ(setenv("ORVEX_TEST_URL_LOG", (dir + "/urls.log").c_str(), 1), 0);
    }
    void TearDown() override
    {
        setenv("PATH", saved_path_.c_str(), 1);
        unsetenv("ORVEX_TEST_URL_LOG");
        unsetenv("SDL_VIDEODRIVER");
        Extension::TearDown();
    }
    // The handler's log once it holds lines lines (it runs detached), or what it has
    // after 5 s.
    std::vector<std::string> HandlerLog(size_t lines)
    {
        std::vector<std::string> out;
        for (int waited = 0; waited < 5000; waited += 10) {
            out.clear();
            std::ifstream f(dir + "/urls.log");
            for (std::string line; std::getline(f, line);)
                out.push_back(line);
            if (out.size() >= lines)
                break;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return out;
    }
    std::string saved_path_;
};

TEST_F(DesktopLinks, OnlyWebLinksReachTheHandlerAsOneArgument)
{
    StartEngine();
    ASSERT_STREQ(ovdev::BackendName(), "desktop");
    const std::string refused[] = {
        "file:///etc/passwd", "mailto:someone@example.org", "javascript:alert(1)", "-h", "http://",
        "https://example.org/a b", "https://example.org/\nb", "ftp://example.org/", "httpx://example.org/",
    };
    for (const std::string &url : refused) {
        EXPECT_EQ(Call("OpenURL", url.c_str()), nullptr) << url;
        EXPECT_TRUE(Logged("OpenURL: link '" + url.substr(0, url.find('\n')))) << url;
    }
    // Shell syntax in a link is only text: the handler gets the whole link as one argument.
    const std::string tricky = "https://example.org/?q=$(touch%20owned)&r=`id`;x|y";
    EXPECT_STREQ(Call("OpenURL", tricky.c_str()), "OK");
    EXPECT_STREQ(Call("OpenURL", "HTTP://EXAMPLE.ORG/"), "OK");
    std::vector<std::string> log = HandlerLog(4);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));  // nothing more arrives
    log = HandlerLog(4);
    ASSERT_EQ(log.size(), 4u);
    std::vector<std::pair<std::string, std::string>> got = {{log[0], log[1]}, {log[2], log[3]}};
    std::sort(got.begin(), got.end());
    EXPECT_EQ(got, (std::vector<std::pair<std::string, std::string>>{{"1", "HTTP://EXAMPLE.ORG/"}, {"1", tricky}}));
    EXPECT_FALSE(FileExists(dir + "/owned"));
}

TEST_F(DesktopLinks, NoHandlerMeansNotHandedOn)
{
    StartEngine();
    mkdir("empty", 0755);
    ASSERT_EQ(setenv("PATH", (dir + "/empty").c_str(), 1), 0);
    EXPECT_EQ(Call("OpenURL", "https://example.org/"), nullptr);
    EXPECT_TRUE(Logged("OpenURL: link 'https://example.org/' not opened: the desktop could not open the link."));
}

#endif

}  // namespace
