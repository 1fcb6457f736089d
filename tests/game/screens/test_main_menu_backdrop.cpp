// The shipped main menu on a 1024 x 600 display, where its 1024 x 768 backdrop is
// stretched over the screen: left alone, its frames come from the backdrop's picture
// kept at the screen's size and must look exactly as the menu drawn the plain way, before
// and after the player's pointer rests on a button.
#include "tests/game/game_fixture.h"
#include "tests/game/screens/shipped_screens_fixture.h"

#include "app/services/prog.h"
#include "app/services/profiles.h"
#include "app/ui/screen-manager.h"
#include "app/ui/widgets/ui-image.h"
#include "core/ov_state.h"
#include "game/screens/flags.h"
#include "game/screens/loading.h"
#include "game/screens/main-menu.h"
#include "gfx/bitmap.h"
#include "gfx/redraw.h"
#include "gfx/rendimp-gles.h"
#include "online/leaderboards-manager.h"
#include "platform/headless.h"
#include "tests/app/ui/widget_fixture.h"

#include <vector>

#ifndef ORVEX_CONTENT_DIR
#error "ORVEX_CONTENT_DIR: the build's program directory"
#endif

namespace {

namespace hl = ovdev::headless;

class MainMenuBackdrop : public gametest::GameTest {
protected:
    void SetUp() override
    {
        GameTest::SetUp();
        ASSERT_NO_FATAL_FAILURE(screentest::CopyProgramDir(ORVEX_CONTENT_DIR));
        StartGame(1024, 600);
        if (HasFatalFailure())
            return;
        // The menu as the player has it: in developer mode the screen is first cleared in
        // a colour that turns every 750 ms of the real clock, and a frame that comes at
        // the turn changes the whole screen (more of them on a slower, busier machine).
        was_developer = prog.parms.developer_mode;
        prog.parms.developer_mode = 0;
        ASSERT_NE(screentest::StartMenuServices("Scout"), nullptr);
        ASSERT_TRUE(sman.PreloadScreen(&screen_main_menu));
        apptest::draw = screentest::DrawStackOnBlack;
        sman.PushScreen(&screen_main_menu, 0);
        for (int i = 0; i < 25; i++) {  // the fade in is over
            sman.Update(0.05f);
            DrawFrame();
        }
        UIComp *comp = screen_main_menu.GetComp("backdrop");
        ASSERT_NE(comp, nullptr);
        backdrop = static_cast<UICompImage *>(comp)->bitmap;
        ASSERT_TRUE(backdrop && backdrop->hw.uploaded);
        ASSERT_FALSE(backdrop->flags & OV_BITMAP_ALPHA) << "an opaque picture";
        ASSERT_NE(backdrop->height, 600) << "stretched over the screen";
        // The embers keep moving from one drawing of the same state to the next: hidden,
        // so that two drawings can be compared pixel for pixel.
        UIComp *embers = screen_main_menu.GetComp("Embers");
        ASSERT_NE(embers, nullptr);
        embers->visible = false;
    }
    void TearDown() override
    {
        apptest::draw = nullptr;
        screentest::StopMenuServices();
        prog.parms.developer_mode = was_developer;
        GameTest::TearDown();
    }
    // The same state drawn again (nothing updated), as kept and the plain way: the
    // backdrop marked as having alpha takes the blend, which is never kept.
    widgettest::Frame Shown()
    {
        DrawFrame();
        return widgettest::ReadFrame();
    }
    widgettest::Frame Plain()
    {
        backdrop->flags |= OV_BITMAP_ALPHA;
        DrawFrame();
        backdrop->flags &= (uint16_t)~OV_BITMAP_ALPHA;
        return widgettest::ReadFrame();
    }
    static int Differing(const widgettest::Frame &a, const widgettest::Frame &b)
    {
        int n = 0;
        for (int y = 0; y < a.h && y < b.h; y++)
            for (int x = 0; x < a.w && x < b.w; x++) {
                widgettest::Rgba p = a.At(x, y), q = b.At(x, y);
                n += p[0] != q[0] || p[1] != q[1] || p[2] != q[2];
            }
        return n + (a.w != b.w || a.h != b.h ? 1 : 0);
    }
    ov_bitmap_t *backdrop = nullptr;
    uint8_t was_developer = 0;
};

}  // namespace

TEST_F(MainMenuBackdrop, LeftAloneItLooksAsDrawnPlainAndComesFromTheKeptPicture)
{
    widgettest::Frame kept = Shown();
    widgettest::Frame plain = Plain();
    EXPECT_EQ(Differing(kept, plain), 0);
    EXPECT_GT(screentest::LitPixels(kept), 1024 * 600 / 2) << "the backdrop was drawn";
    widgettest::SavePng(kept, "main-menu-kept.png");

    // Black texels straight into GL, unknown to the renderer: the kept picture does not
    // show them, the plain way does.
    std::vector<uint8_t> black((size_t)backdrop->hw.tex_width * backdrop->hw.tex_height * 4, 0);
    ovgl.BindTexture(GL_TEXTURE_2D, backdrop->hw.texture);
    ovgl.TexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, backdrop->hw.tex_width, backdrop->hw.tex_height, 0, GL_RGBA,
                    GL_UNSIGNED_BYTE, black.data());
    br.texture_valid = false;
    EXPECT_EQ(Differing(Shown(), kept), 0);
    EXPECT_GT(Differing(Plain(), kept), 1024 * 600 / 2);
}

TEST_F(MainMenuBackdrop, APointerOnAButtonShowsOverTheKeptPicture)
{
    UIComp *play = screen_main_menu.GetComp("Play");
    ASSERT_NE(play, nullptr);
    widgettest::Frame before = Shown();
    vec2_t p = play->GetCenterPos();
    ASSERT_TRUE(hl::inject_pointer((int)p.x, (int)p.y, 0));
    PumpFrame();
    for (int i = 0; i < 20; i++) {  // the hover glow comes up and stays
        sman.Update(0.05f);
        DrawFrame();
    }
    widgettest::Frame kept = Shown();
    EXPECT_EQ(Differing(kept, Plain()), 0);
    EXPECT_GT(Differing(kept, before), 0) << "the hover shows";
    widgettest::SavePng(kept, "main-menu-hover-kept.png");
}

// Left alone with its embers drifting and its banner waving, the menu's frames are drawn
// only where they changed (the backdrop's opaque picture covers the screen), on a small
// share of it, and each comes out as the frame drawn whole.
TEST_F(MainMenuBackdrop, LeftAloneItsFramesAreDrawnWhereTheyChangedAndLookWhole)
{
    UIComp *embers = screen_main_menu.GetComp("Embers");
    ASSERT_NE(embers, nullptr);
    embers->visible = true;
    OV_RedrawSetVerify(true);
    OV_RedrawResetStats();
    const int frames = 90;
    for (int i = 0; i < frames; i++) {
        sman.Update(1.0f / 30);
        DrawFrame();
    }
    OV_RedrawSetVerify(false);
    ov_redraw_stats_t st = OV_RedrawStats();
    // A frame in which a texture is uploaded (the loading worker may still be finishing)
    // is drawn whole.
    EXPECT_GE(st.frames_partial, frames * 9 / 10) << st.last_whole;
    EXPECT_EQ(st.frames_verified, st.frames_partial);
    EXPECT_EQ(st.pixels_differing, 0);
    EXPECT_GT(st.total_area, 0);
    EXPECT_LT(st.total_area / frames, 1024L * 600 / 4) << "a small share of the screen a frame";
}
