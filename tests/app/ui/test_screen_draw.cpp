// Drawing of the stack on the headless GLES renderer, read back by pixel: the covering
// screen, the empty stack, a switch through the transition screen (and the news
// screen holding it), the loading indicator and the developer's frame.
#include "tests/app/ui/ui_fixture.h"

#include "app/services/featureman.h"
#include "app/services/luaman.h"
#include "app/services/prog.h"
#include "app/ui/transition.h"
#include "platform/headless.h"

#include <png.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>

using namespace uitest;
using apptest::Pixel;
using apptest::Rgba;
namespace hl = ovdev::headless;

namespace {

const Rgba kBlack = {0, 0, 0, 255}, kRed = {255, 0, 0, 255}, kGreen = {0, 255, 0, 255}, kBlue = {0, 0, 255, 255},
           kWhite = {255, 255, 255, 255};

// A full-display or placed rectangle of one colour, as a UI script.
std::string Rect(const char *name, int x, int y, int w, int h, const char *rgb)
{
    char text[400];
    snprintf(text, sizeof text,
             "CreateComp('Rectangle', '%s')\nSetProperty('position_type', 'ABSOLUTE')\n"
             "SetProperty('position', %d, %d)\nSetProperty('rectangle.rect_width', %d)\n"
             "SetProperty('rectangle.rect_height', %d)\nSetProperty('color', %s)\n",
             name, x, y, w, h, rgb);
    return text;
}

// An opaque white square PNG in the program directory.
void WriteWhitePng(const std::string &name, int size)
{
    std::string path = "app/native/" + name;
    std::string dir = path.substr(0, path.rfind('/'));
    std::string cmd = "mkdir -p '" + dir + "'";
    ASSERT_EQ(system(cmd.c_str()), 0);
    FILE *f = fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_init_io(png, f);
    png_set_IHDR(png, info, size, size, 8, PNG_COLOR_TYPE_RGBA, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    std::vector<png_byte> row(size * 4, 255);
    for (int y = 0; y < size; y++)
        png_write_row(png, row.data());
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    fclose(f);
}

const char *features_reply = nullptr;
const char *FeatureExtension(const char *command, const char *arg)
{
    if (strcmp(command, "ProgramInfo") == 0 && arg && strcmp(arg, "Features") == 0)
        return features_reply;
    return nullptr;
}

class Draw : public UITest {
protected:
    void SetUp() override
    {
        UITest::SetUp();
        StartUI();
        Screen::PreLoadAllScreens(false);
    }
    void Frames(int n)
    {
        for (int i = 0; i < n; i++)
            PumpFrame();
    }
};

}  // namespace

TEST_F(Draw, EmptyStackIsBlack)
{
    DrawFrame();
    EXPECT_EQ(Pixel(10, 10), kBlack);
    EXPECT_EQ(Pixel(300, 200), kBlack);
}

TEST_F(Draw, StackIsDrawnFromTheTopCoveringScreen)
{
    ProbeScreen *bottom = MakeScreen("Bottom", Rect("r", 0, 0, 320, 240, "1, 0, 0").c_str());
    ProbeScreen *middle = MakeScreen("Middle", Rect("g", 0, 0, 320, 240, "0, 1, 0").c_str());
    ProbeScreen *top = MakeScreen("Top", Rect("b", 100, 100, 50, 50, "0, 0, 1").c_str());
    Script(bottom, "drawn = 0\nfunction OnDraw() drawn = drawn + 1 end\n");
    Script(middle, "drawn = 0\nfunction OnDraw() drawn = drawn + 1 end\n");
    sman.PushScreen(bottom, 0);
    sman.PushScreen(middle, 0);
    sman.PushScreen(top, 0);
    calls.clear();
    DrawFrame();
    EXPECT_EQ(CallsOf("Bottom:Draw").size(), 1u) << "no screen covers the display: all are drawn";
    EXPECT_EQ(Pixel(10, 10), kGreen);
    EXPECT_EQ(Pixel(120, 120), kBlue);
    middle->covers_screen = true;
    calls.clear();
    DrawFrame();
    EXPECT_EQ(Pixel(10, 10), kGreen);
    EXPECT_EQ(Pixel(120, 120), kBlue);
    EXPECT_EQ(Pixel(99, 99), kGreen);
    EXPECT_TRUE(CallsOf("Bottom:Draw").empty()) << "screens below the covering one are not drawn";
    EXPECT_EQ(CallsOf("Middle:Draw").size(), 1u);
    lua_getglobal(bottom->ui->L, "drawn");
    lua_getglobal(middle->ui->L, "drawn");
    EXPECT_EQ(lua_tonumber(bottom->ui->L, -1), 1.0) << "only the first frame called its OnDraw";
    EXPECT_EQ(lua_tonumber(middle->ui->L, -1), 2.0);
    lua_settop(bottom->ui->L, 0);
    lua_settop(middle->ui->L, 0);
}

TEST_F(Draw, SwitchFromAClickShowsTheTargetAndTheTransitionLeaves)
{
    apptest::WriteFile("ui/fw/screen-transition.lua", Rect("curtain", 0, 0, 320, 240, "0, 0, 0"));
    screen_transition.FreeUI();
    Screen::PreLoadScreen(&screen_transition);
    screen_transition.LoadUI("ui/fw/screen-transition.lua");
    ProbeScreen *from = MakeScreen("From", (Rect("go", 0, 0, 320, 240, "1, 0, 0") +
                                            "SetProperty('interactive', 1)\n"
                                            "function OnClick(name) SwitchScreen('To') end\n")
                                               .c_str());
    Script(from, "");
    ProbeScreen *to = MakeScreen("To", Rect("b", 0, 0, 320, 240, "0, 0, 1").c_str());
    sman.PushScreen(from, 0);
    Frames(30);
    EXPECT_EQ(Pixel(160, 120), kRed);
    ASSERT_TRUE(hl::inject_touch(hl::TouchPhase::Down, 0, 160, 120));
    PumpFrame();
    ASSERT_TRUE(hl::inject_touch(hl::TouchPhase::Up, 0, 160, 120));
    PumpFrame();
    ASSERT_TRUE(sman.IsScreenInStack(&screen_transition)) << "the click started the switch";
    Frames(60);
    EXPECT_FALSE(sman.IsScreenInStack(&screen_transition));
    EXPECT_FALSE(sman.IsScreenInStack(from));
    ASSERT_EQ(sman.stack.Count(), 1);
    EXPECT_EQ(sman.PeekScreen(0), to);
    EXPECT_EQ(Pixel(160, 120), kBlue);
}

TEST_F(Draw, TheNewsScreenOnTopHoldsTheSwitch)
{
    ov->OV_CallExtension = FeatureExtension;
    features_reply = "NEWS";
    feature_man.Initialize();
    ProbeScreen *from = MakeScreen("Old", Rect("r", 0, 0, 320, 240, "1, 0, 0").c_str());
    ProbeScreen *to = MakeScreen("New", Rect("b", 0, 0, 320, 240, "0, 0, 1").c_str());
    ProbeScreen *news = MakeScreen("TalvikNews");
    sman.PushScreen(from, 0);
    Frames(5);
    sman.SwitchScreen("New");
    sman.PushScreen(news, 0);
    Frames(40);
    EXPECT_TRUE(sman.IsScreenInStack(&screen_transition)) << "held while the news shows";
    EXPECT_FALSE(sman.IsScreenInStack(to));
    double timer = screen_transition.timer;
    Frames(3);
    EXPECT_EQ(screen_transition.timer, timer) << "its time stands still";
    sman.PopScreen(news, true);
    Frames(60);
    EXPECT_EQ(sman.PeekScreen(0), to);
    EXPECT_FALSE(sman.IsScreenInStack(&screen_transition));
    features_reply = nullptr;
    feature_man.Initialize();
}

TEST_F(Draw, LoadingIndicatorFadesInAndOutInAThirdOfASecond)
{
    WriteWhitePng("loader/windmill.png", 32);
    // The windmill sits 16 units plus half its size in from the bottom-right corner.
    const int x = 320 - 32, y = 240 - 32;
    DrawFrame();
    EXPECT_EQ(Pixel(x, y), kBlack) << "nothing loads: no windmill";
    sman.loader_count.store(1);
    Steps(1, 1.0f / 6.0f);
    DrawFrame();
    const Rgba halfway_in = Pixel(x, y);
    EXPECT_GT(halfway_in[0], 40) << "half way in, it shows";
    EXPECT_LT(halfway_in[0], 215) << "half way in, it is not yet whole";
    Steps(1, 1.0f / 6.0f);
    DrawFrame();
    EXPECT_EQ(Pixel(x, y), kWhite) << "a third of a second in, it is whole";
    EXPECT_EQ(Pixel(160, 120), kBlack);
    sman.loader_count.store(0);
    Steps(1, 1.0f / 6.0f);
    DrawFrame();
    const Rgba halfway_out = Pixel(x, y);
    EXPECT_GT(halfway_out[0], 40) << "half way out, it still shows";
    EXPECT_LT(halfway_out[0], 215);
    Steps(1, 1.0f / 6.0f);
    DrawFrame();
    EXPECT_EQ(Pixel(x, y), kBlack) << "a third of a second after loading ends, it is gone";
}

TEST_F(Draw, DeveloperFrameAroundASmallerVirtualScreen)
{
    ASSERT_TRUE(prog.parms.developer_mode);
    sman.SetVirtualScreenDimensions(200, 150);
    ProbeScreen *s = MakeScreen("Small", Rect("r", 0, 0, 200, 150, "1, 0, 0").c_str());
    sman.PushScreen(s, 0);
    DrawFrame();
    EXPECT_EQ(Pixel(100, 75), kRed);
    EXPECT_EQ(Pixel(203, 50), kWhite) << "the frame right of the virtual screen";
    EXPECT_EQ(Pixel(100, 153), kWhite) << "and below it";
    EXPECT_EQ(Pixel(280, 50), kBlack) << "black outside the frame";
}

TEST_F(Draw, ResolutionNames)
{
    struct Case {
        int w, h;
        const char *name;
    } cases[] = {{320, 240, "QVGA: Android 1.x"}, {240, 320, "QVGA: Android 1.x"}, {480, 272, "Sony PSP"},
                 {480, 320, "HVGA: iPhone 3G/S"}, {320, 400, "Palm Pixi/+, HP Veer"}, {640, 360, "Nokia N8"},
                 {640, 480, "VGA"}, {720, 480, "DVD NTSC"},
                 {800, 480, "WVGA: Samsung bada Wave, Nokia N900, Android 2.x"},
                 {854, 480, "WVGA: Android 2.x, Motorola Droid/Milestone"}, {960, 544, "Sony PS Vita"},
                 {960, 640, "iPhone 4 (Retina)"}, {1024, 768, "iPad, PC/Mac default"}, {1280, 720, "720p"},
                 {1920, 1080, "1080p"}, {1536, 2048, "iPad (Retina)"}, {800, 600, ""}, {0, 0, ""}};
    for (const Case &k : cases)
        EXPECT_STREQ(ScreenMan::GetResolutionName(k.w, k.h), k.name) << k.w << " x " << k.h;
}
