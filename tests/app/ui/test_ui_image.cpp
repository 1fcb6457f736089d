// The image: its properties, frames per animation mode under an injected frame time, a
// sequence of one colour per frame read back from the headless GLES renderer, the
// mirrored draw modes, the stretch over the whole screen, and what templates and
// clones carry.
#include "app/ui/screen-manager.h"
#include "app/ui/uiset.h"
#include "app/ui/widgets/ui-image.h"
#include "ovrecords.h"
#include "tests/app/ui/widget_fixture.h"

#include <gtest/gtest.h>

namespace {

using apptest::Logged;
using widgettest::Rgba;

const std::vector<Rgba> kFrameColours = {{255, 0, 0, 255}, {0, 255, 0, 255}, {0, 0, 255, 255}, {255, 255, 255, 255}};

// Quadrants: red top left, green top right, blue bottom left, white bottom right.
Rgba Quadrant(int x, int y)
{
    const bool right = x >= 8, bottom = y >= 8;
    if (!right && !bottom)
        return {255, 0, 0, 255};
    if (right && !bottom)
        return {0, 255, 0, 255};
    if (!right)
        return {0, 0, 255, 255};
    return {255, 255, 255, 255};
}

class Image : public comptest::CompTest {
protected:
    void SetUp() override
    {
        CompTest::SetUp();
        StartUI();
        widgettest::WriteBms("gfx/four.bms", 16, 16, kFrameColours, {0, 1, 2, 3}, 30.0f);
        widgettest::WriteBms("gfx/stamped.bms", 16, 16, kFrameColours, {0, 2, 3, 7}, 10.0f);
        widgettest::WriteBms("gfx/single.bms", 16, 16, {kFrameColours[0]}, {0}, 10.0f);
        widgettest::WritePng("gfx/quad.png", 16, 16, Quadrant);
    }
    // An image at (100, 100) with the bitmap and extra script lines.
    // PRELOAD keeps the bitmap resident without entering the screen.
    UICompImage *Make(const char *screen, const char *bitmap, const std::string &more = "", bool preload = true)
    {
        std::string script = "CreateComp ('Image', 'img')\n";
        if (preload)
            script += "SetProperty ('cache_mode', 'PRELOAD')\n";
        script += "SetProperty ('position_type', 'ABSOLUTE')\nSetProperty ('position', 100, 100)\n";
        script += std::string("SetProperty ('image.bitmap', '") + bitmap + "')\n" + more;
        s_ = MakeScreen(screen, script);
        return dynamic_cast<UICompImage *>(s_->GetComp("img"));
    }
    void Draw()
    {
        Screen *s = s_;
        apptest::draw = [s](float) {
            ov->OV_ClearScreen(0, 0, 0);
            s->DrawUI();
        };
        DrawFrame();
    }
    Screen *s_ = nullptr;
};

TEST_F(Image, PropertiesDefaultsAndConversions)
{
    UICompImage *img = Make("Props", "gfx/quad.png");
    ASSERT_NE(img, nullptr);
    EXPECT_FALSE(img->interactive);
    const struct {
        const char *set;      // script line run first ("" for none)
        const char *get;      // property read back
        const char *expected;
    } cases[] = {
        {"", "img:image.bitmap", "gfx/quad.png"},
        {"", "img:image.anim_loop_time", "1"},
        {"", "img:image.anim_pause_time", "0"},
        {"", "img:image.anim_key", "0"},
        {"", "img:image.anim_mode", "LOOP_FOREVER"},
        {"SetProperty ('img:image.anim_loop_time', '2.5')", "img:image.anim_loop_time", "2.5"},  // numeric string
        {"SetProperty ('img:image.anim_pause_time')", "img:image.anim_pause_time", "0"},         // missing: 0
        {"SetProperty ('img:image.anim_key', 0.25)", "img:image.anim_key", "0.25"},
        {"SetProperty ('img:image.anim_mode', 'PINGPONG')", "img:image.anim_mode", "PINGPONG"},
        {"SetProperty ('img:image.anim_mode', 'LOOP_ONCE')", "img:image.anim_mode", "LOOP_ONCE"},
        {"SetProperty ('img:image.anim_mode', 'LOOP_FOREVER_NONLINEAR')", "img:image.anim_mode", "LOOP_FOREVER_NONLINEAR"},
        {"SetProperty ('img:image.anim_mode', 'LOOP')", "img:image.anim_mode", "LOOP_FOREVER"},
        {"SetProperty ('img:image.bitmap_switch', 'gfx/four.bms')", "img:image.bitmap", "gfx/four.bms"},
        {"", "img:image.bitmap_switch", "nil"},   // not readable
        {"", "img:image.shade", "nil"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.get);
        ASSERT_TRUE(Run(s_->ui, c.set));
        EXPECT_EQ(Eval(s_->ui, std::string("GetProperty ('") + c.get + "')"), c.expected);
    }
    EXPECT_TRUE(Logged("UICompImage::GetProperty: Unknown Property 'bitmap_switch'"));
    ASSERT_TRUE(Run(s_->ui, "SetProperty ('img:image.glow', 1)"));
    EXPECT_TRUE(Logged("UICompImage::SetProperty: Unknown Property 'glow' for UIComp 'img'"));
    // A name without the prefix is reported and looked up from its seventh character.
    ASSERT_TRUE(Run(s_->ui, "SetProperty ('img:IMAGE.anim_loop_time', 4)"));
    EXPECT_TRUE(Logged("UICompImage::GetProperty: Unknown Property 'IMAGE.anim_loop_time'"));
    EXPECT_FLOAT_EQ(img->anim_loop_time, 4.0f);
    // Shorter than the prefix: unknown, nothing read past its end.
    ASSERT_TRUE(Run(s_->ui, "SetProperty ('img:im', 1)"));
    EXPECT_TRUE(Logged("UICompImage::SetProperty: Unknown Property 'im' for UIComp 'img'"));
    EXPECT_EQ(Eval(s_->ui, "GetProperty ('img:im')"), "nil");
}

TEST_F(Image, BadAnimModeFallsBackWithTheMessage)
{
    UICompImage *img = Make("Modes", "gfx/quad.png", "SetProperty ('image.anim_mode', 'PINGPONG')\n"
                                                     "SetProperty ('image.anim_mode', 'loop_forever')\n");
    ASSERT_NE(img, nullptr);
    EXPECT_EQ(img->anim_mode, UIIMAGE_LOOP_FOREVER);
    EXPECT_TRUE(Logged("Supported image anim modes are e.g. 'LOOP_FOREVER', 'LOOP_ONCE', 'PINGPONG', "
                       "'LOOP_FOREVER_NONLINEAR'. Value 'loop_forever' is not valid, using 'LOOP_FOREVER'."));
    ASSERT_TRUE(Run(s_->ui, "SetProperty ('img:image.anim_mode', 'PINGPONG')\nSetProperty ('img:image.anim_mode', 3)"));
    EXPECT_EQ(img->anim_mode, UIIMAGE_LOOP_FOREVER);   // no string
    EXPECT_TRUE(Logged("Value '' is not valid"));
}

TEST_F(Image, SizeFollowsTheBitmapAndStretch)
{
    UICompImage *img = Make("Size", "gfx/quad.png", "SetProperty ('scale', 2)\n");
    ASSERT_NE(img, nullptr);
    EXPECT_FLOAT_EQ(img->width, 32.0f);
    EXPECT_FLOAT_EQ(img->height, 32.0f);
    UICompImage bare;
    bare.UpdateDimensions();
    EXPECT_FLOAT_EQ(bare.width, 16.0f);
    EXPECT_FLOAT_EQ(bare.height, 16.0f);
    ASSERT_TRUE(Run(s_->ui, "SetProperty ('img:scale_type', 'STRETCH_TO_COVER_SCREEN')"));
    img->UpdateDimensions();
    EXPECT_FLOAT_EQ(img->width, 800.0f);
    EXPECT_FLOAT_EQ(img->height, 600.0f);
}

// Frame per mode after one update of t seconds from a clock of 0: loop 1 s, pause 0.5 s,
// four frames (the non-linear sequence stamps 0, 2, 3, 7 at 10 per second).
TEST_F(Image, FramesPerModeUnderAnInjectedClock)
{
    UICompImage *img = Make("Frames", "gfx/four.bms");
    ASSERT_NE(img, nullptr);
    ASSERT_NE(img->bitmap, nullptr);
    ASSERT_EQ(img->bitmap->num_frames, 4);
    const struct {
        int mode;
        const char *bitmap;
        float t;
        int frame;
    } cases[] = {
        {UIIMAGE_LOOP_FOREVER, "gfx/four.bms", 0.1f, 0},
        {UIIMAGE_LOOP_FOREVER, "gfx/four.bms", 0.3f, 1},
        {UIIMAGE_LOOP_FOREVER, "gfx/four.bms", 0.6f, 2},
        {UIIMAGE_LOOP_FOREVER, "gfx/four.bms", 0.9f, 3},
        {UIIMAGE_LOOP_FOREVER, "gfx/four.bms", 1.2f, 3},   // the pause holds the last frame
        {UIIMAGE_LOOP_FOREVER, "gfx/four.bms", 1.6f, 0},   // past loop + pause: wrapped once
        {UIIMAGE_PINGPONG, "gfx/four.bms", 0.1f, 0},
        {UIIMAGE_PINGPONG, "gfx/four.bms", 0.3f, 2},
        {UIIMAGE_PINGPONG, "gfx/four.bms", 0.5f, 4},       // drawn as frame 0 (modulo 4)
        {UIIMAGE_PINGPONG, "gfx/four.bms", 0.6f, 3},
        {UIIMAGE_PINGPONG, "gfx/four.bms", 0.9f, 0},
        {UIIMAGE_PINGPONG, "gfx/four.bms", 1.2f, 3},
        {UIIMAGE_LOOP_ONCE, "gfx/four.bms", 0.3f, 1},
        {UIIMAGE_LOOP_ONCE, "gfx/four.bms", 5.0f, 3},      // holds the last frame
        {UIIMAGE_LOOP_FOREVER_NONLINEAR, "gfx/stamped.bms", 0.05f, 3},  // s = first stamp: none matches
        {UIIMAGE_LOOP_FOREVER_NONLINEAR, "gfx/stamped.bms", 0.15f, 0},
        {UIIMAGE_LOOP_FOREVER_NONLINEAR, "gfx/stamped.bms", 0.3f, 1},
        {UIIMAGE_LOOP_FOREVER_NONLINEAR, "gfx/stamped.bms", 0.5f, 2},
        {UIIMAGE_LOOP_FOREVER_NONLINEAR, "gfx/stamped.bms", 0.75f, 2},
        {UIIMAGE_LOOP_FOREVER_NONLINEAR, "gfx/single.bms", 0.3f, 0},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << c.mode << " " << c.bitmap << " t=" << c.t);
        img->SetBitmap(c.bitmap);
        img->anim_mode = c.mode;
        img->anim_loop_time = 1.0f;
        img->anim_pause_time = 0.5f;
        img->cycle_time = 0.0f;
        img->Update(c.t);
        EXPECT_EQ(img->current_frame, c.frame);
    }
    // The non-linear loop time comes from the stamps: (7 + 1 - 0) / 10; one frame gives 0.
    img->SetBitmap("gfx/stamped.bms");
    img->anim_mode = UIIMAGE_LOOP_FOREVER_NONLINEAR;
    img->anim_loop_time = 1.0f;
    img->Update(0.0f);
    EXPECT_FLOAT_EQ(img->anim_loop_time, 0.8f);
    img->SetBitmap("gfx/single.bms");
    img->Update(0.1f);
    EXPECT_FLOAT_EQ(img->anim_loop_time, 0.0f);
    // A loop time of 0 keeps frame 0 in every mode; LOOP_ONCE replays from anim_key 0.
    img->SetBitmap("gfx/four.bms");
    for (int mode = 0; mode < 3; mode++) {
        img->anim_mode = mode;
        img->anim_loop_time = 0.0f;
        img->Update(0.7f);
        EXPECT_EQ(img->current_frame, 0);
    }
    img->anim_mode = UIIMAGE_LOOP_ONCE;
    img->anim_loop_time = 1.0f;
    img->Update(3.0f);
    EXPECT_EQ(img->current_frame, 3);
    ASSERT_TRUE(Run(s_->ui, "SetProperty ('img:image.anim_key', 0)"));
    img->Update(0.3f);
    EXPECT_EQ(img->current_frame, 1);
}

TEST_F(Image, EachFrameOfTheSequenceIsDrawnInItsColour)
{
    UICompImage *img = Make("Colours", "gfx/four.bms", "SetProperty ('image.anim_mode', 'PINGPONG')\n");
    ASSERT_NE(img, nullptr);
    img->anim_mode = UIIMAGE_LOOP_FOREVER;
    for (int i = 0; i < 4; i++) {
        SCOPED_TRACE(i);
        img->cycle_time = 0.0f;
        img->Update((i + 0.5f) / 4.0f);
        ASSERT_EQ(img->current_frame, i);
        Draw();
        const apptest::Rgba p = apptest::Pixel(108, 108);
        EXPECT_EQ(p[0], kFrameColours[i][0]);
        EXPECT_EQ(p[1], kFrameColours[i][1]);
        EXPECT_EQ(p[2], kFrameColours[i][2]);
        EXPECT_EQ(apptest::Pixel(120, 108)[0], 0);   // 16 pixels wide, nothing beside
    }
    // PINGPONG at t = 0.5 asks for frame 4, which the engine draws as frame 0.
    img->anim_mode = UIIMAGE_PINGPONG;
    img->cycle_time = 0.0f;
    img->Update(0.5f);
    Draw();
    EXPECT_EQ(apptest::Pixel(108, 108)[0], 255);
    EXPECT_EQ(apptest::Pixel(108, 108)[1], 0);
}

TEST_F(Image, MirroredModesAndStretchOverTheScreen)
{
    UICompImage *img = Make("Mirror", "gfx/quad.png", "SetProperty ('pixel_filter', 'POINT')\n");
    ASSERT_NE(img, nullptr);
    const struct {
        const char *draw_mode;
        Rgba top_left;
    } cases[] = {
        {"NORMAL", {255, 0, 0, 255}},
        {"MIRRORED_HORIZONTAL", {0, 255, 0, 255}},
        {"MIRRORED_VERTICAL", {0, 0, 255, 255}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.draw_mode);
        ASSERT_TRUE(Run(s_->ui, std::string("SetProperty ('img:draw_mode', '") + c.draw_mode + "')"));
        Draw();
        const apptest::Rgba p = apptest::Pixel(103, 103);
        EXPECT_EQ(p[0], c.top_left[0]);
        EXPECT_EQ(p[1], c.top_left[1]);
        EXPECT_EQ(p[2], c.top_left[2]);
        EXPECT_EQ(img->bitmap->hw.u0, 0.0f);   // the texture rectangle is restored
    }
    ASSERT_TRUE(Run(s_->ui, "SetProperty ('img:draw_mode', 'NORMAL')\nSetProperty ('img:position', 0, 0)\n"
                            "SetProperty ('img:scale_type', 'STRETCH_TO_COVER_SCREEN')"));
    Draw();
    const struct {
        int x, y;
        Rgba rgba;
    } corners[] = {{20, 20, {255, 0, 0, 255}},
                   {780, 20, {0, 255, 0, 255}},
                   {20, 580, {0, 0, 255, 255}},
                   {780, 580, {255, 255, 255, 255}}};
    for (const auto &c : corners) {
        SCOPED_TRACE(testing::Message() << c.x << "," << c.y);
        const apptest::Rgba p = apptest::Pixel(c.x, c.y);
        EXPECT_EQ(p[0], c.rgba[0]);
        EXPECT_EQ(p[1], c.rgba[1]);
        EXPECT_EQ(p[2], c.rgba[2]);
    }
}

TEST_F(Image, ExportTemplatesClonesAndReferences)
{
    UICompImage *img = Make("Copies", "gfx/quad.png", "SetProperty ('image.anim_loop_time', 2)\n"
                                                      "SetProperty ('image.anim_pause_time', 0.25)\n"
                                                      "SetProperty ('image.anim_mode', 'PINGPONG')\n",
                            false);
    ASSERT_NE(img, nullptr);
    const std::string out = widgettest::Export(img);
    const char *lines[] = {"SetProperty (\"image.bitmap\", \"gfx/quad.png\");\n",
                           "SetProperty (\"image.anim_loop_time\", 2);\n",
                           "SetProperty (\"image.anim_pause_time\", 0.25);\n",
                           "SetProperty (\"image.anim_mode\", \"PINGPONG\");\n"};
    size_t at = 0;
    for (const char *line : lines) {
        SCOPED_TRACE(line);
        const size_t found = out.find(line, at);
        ASSERT_NE(found, std::string::npos) << out;
        at = found;
    }
    // InheritFrom takes only the bitmap; Clone also the animation values.
    UICompImage plain;
    plain.InheritFrom(img);
    EXPECT_EQ(plain.bitmap, img->bitmap);
    EXPECT_EQ(plain.anim_mode, UIIMAGE_LOOP_FOREVER);
    EXPECT_FLOAT_EQ(plain.anim_loop_time, 1.0f);
    UIComp *clone = img->Clone("twin");
    UICompImage *twin = dynamic_cast<UICompImage *>(clone);
    ASSERT_NE(twin, nullptr);
    EXPECT_EQ(twin->bitmap, img->bitmap);
    EXPECT_EQ(twin->anim_mode, UIIMAGE_PINGPONG);
    EXPECT_FLOAT_EQ(twin->anim_loop_time, 2.0f);
    EXPECT_FLOAT_EQ(twin->anim_pause_time, 0.25f);
    EXPECT_EQ(twin->template_comp, img->template_comp);
    delete clone;
    // Entering takes one reference on the bitmap, leaving gives it back.
    const int before = img->bitmap->refcount;
    sman.PushScreen(s_, 0);
    EXPECT_EQ(img->bitmap->refcount, before + 1);
    sman.PopScreen(s_, false);
    EXPECT_EQ(img->bitmap->refcount, before);
}

TEST_F(Image, EditTransformFollowsTheCursor)
{
    UICompImage *img = Make("Edit", "gfx/quad.png");
    ASSERT_NE(img, nullptr);
    const vec2_t s = img->GetStaticPos();
    mpos = {s.x + 16.0f, s.y};
    img->EditUpdate(0.0f);
    EXPECT_FLOAT_EQ(img->scale, 2.0f);   // 16 / (16 / 2)
    EXPECT_NEAR(img->angle, 0.0f, 1e-6);
    mpos = {s.x, s.y + 4.0f};
    img->EditUpdate(0.0f);
    EXPECT_FLOAT_EQ(img->scale, 0.5f);
    EXPECT_NEAR(img->angle, 1.5707963f, 1e-5);
    // A one-pixel bitmap: halves below 1 count as 1.
    widgettest::WritePng("gfx/dot.png", 1, 1, [](int, int) { return Rgba{255, 255, 255, 255}; });
    img->SetBitmap("gfx/dot.png");
    mpos = {s.x + 3.0f, s.y};
    img->EditUpdate(0.0f);
    EXPECT_FLOAT_EQ(img->scale, 3.0f);
}

}  // namespace
