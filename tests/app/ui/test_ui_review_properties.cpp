// Base properties the round-trip table of test_ui_comps_properties.cpp leaves out:
// single coordinates, the read-only positions and cursor times, sounds, the feature
// list, the remaining words, and "visible" 0 hiding a component from drawing.
#include "app/services/luaman.h"
#include "app/ui/screen-manager.h"
#include "app/ui/uiset.h"
#include "ovrecords.h"
#include "tests/app/ui/comp_fixture.h"

#include <gtest/gtest.h>

#include <string>

namespace {

class ReviewProperties : public comptest::CompTest {
protected:
    void SetUp() override
    {
        CompTest::SetUp();
        StartUI();
        screen_ = MakeScreen("MoreProps", "CreateComp ('Rectangle', 'p')\n"
                                          "SetProperty ('position_type', 'ABSOLUTE')\n"
                                          "SetProperty ('screen_origin', 'ACTUAL')\n"
                                          "SetProperty ('parent_anchor', '')\n"
                                          "SetProperty ('rectangle.rect_width', 40)\n"
                                          "SetProperty ('rectangle.rect_height', 20)\n");
        set_ = screen_->ui;
        p_ = set_->GetComp("p");
        ASSERT_NE(p_, nullptr);
    }
    Screen *screen_ = nullptr;
    UISet *set_ = nullptr;
    UIComp *p_ = nullptr;
};

TEST_F(ReviewProperties, SingleCoordinatesAndChannels)
{
    const struct {
        const char *set, *get, *value;
    } cases[] = {
        {"'p:position.x', 12.5", "p:position.x", "12.5"},
        {"'p:position_offset.x', 3", "p:position_offset.x", "3"},
        {"'p:position_offset.y', -2", "p:position_offset", "3"},
        {"'p:color.r', 0.25", "p:color.r", "0.25"},
        {"'p:color', 1, 1, 1, 0.5", "p:color.a", "0.5"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.set);
        ASSERT_TRUE(Run(set_, std::string("SetProperty (") + c.set + ")"));
        EXPECT_EQ(Eval(set_, std::string("GetProperty ('") + c.get + "')"), c.value);
    }
    ASSERT_TRUE(Run(set_, "SetProperty ('p:position.z', 0.25) SetProperty ('p:position_offset.z', 0.5)"));
    EXPECT_FLOAT_EQ(p_->position_z, 0.25f);
    EXPECT_FLOAT_EQ(p_->position_offset_z, 0.5f);
    EXPECT_EQ(Eval(set_, "select (2, GetProperty ('p:position_offset'))"), "-2");
    ASSERT_TRUE(Run(set_, "SetProperty ('p:blend_mode', 'REPLACE') SetProperty ('p:pixel_filter', 'SMOOTH')"));
    EXPECT_EQ(p_->blend_mode, 2);
    EXPECT_EQ(p_->pixel_filter, 1);
}

TEST_F(ReviewProperties, StaticAndAlignedPositionsAreRead)
{
    ASSERT_TRUE(Run(set_, "SetProperty ('p:position', 100, 50) SetProperty ('p:position_offset', 0, 0)"));
    EXPECT_EQ(Eval(set_, "GetProperty ('p:static_position')"), "100");
    EXPECT_EQ(Eval(set_, "select (2, GetProperty ('p:static_position'))"), "50");
    EXPECT_EQ(Eval(set_, "GetProperty ('p:static_position.y')"), "50");
    ASSERT_TRUE(Run(set_, "SetProperty ('p:align', 'RIGHTBOTTOM')"));
    EXPECT_EQ(Eval(set_, "GetProperty ('p:aligned_position.x')"), "60") << "a RIGHT-aligned 40 wide box ends at x";
    EXPECT_EQ(Eval(set_, "GetProperty ('p:aligned_position.y')"), "30");
    ASSERT_TRUE(Run(set_, "SetProperty ('p:static_position', 1, 2)"));   // read only
    EXPECT_FLOAT_EQ(p_->position_x, 100.0f);
}

TEST_F(ReviewProperties, CursorTimesAreRead)
{
    p_->time_cursor_over = 0.75f;
    p_->time_cursor_locked = 0.5f;
    EXPECT_EQ(Eval(set_, "GetProperty ('p:time_cursor_over')"), "0.75");
    EXPECT_EQ(Eval(set_, "GetProperty ('p:time_cursor_locked')"), "0.5");
}

TEST_F(ReviewProperties, SoundsAndTheFeatureList)
{
    ASSERT_TRUE(Run(set_, "SetProperty ('p:snd_over', 'sfx/over') SetProperty ('p:snd_press', 'sfx/press') "
                          "SetProperty ('p:snd_release', 'sfx/release')"));
    ASSERT_NE(p_->snd_over, nullptr);
    ASSERT_NE(p_->snd_press, nullptr);
    ASSERT_NE(p_->snd_release, nullptr);
    EXPECT_EQ(p_->snd_over, ov->OV_GetSound("sfx/over"));
    ASSERT_TRUE(Run(set_, "SetProperty ('p:snd_over', nil)"));
    EXPECT_EQ(p_->snd_over, nullptr);

    ASSERT_TRUE(Run(set_, "SetProperty ('p:required_features', 'NO_SUCH_FEATURE')"));
    EXPECT_FALSE(p_->features_present);
    ASSERT_TRUE(Run(set_, "SetProperty ('p:required_features', '!NO_SUCH_FEATURE')"));
    EXPECT_TRUE(p_->features_present);
    EXPECT_STREQ(p_->required_features, "!NO_SUCH_FEATURE");
}

TEST_F(ReviewProperties, ScaleTypeNumbersOutsideTheTableReadAsRelativeToScreenSize)
{
    p_->scale_type = 42;
    EXPECT_EQ(Eval(set_, "GetProperty ('p:scale_type')"), "RELATIVE_TO_SCREEN_SIZE");
}

TEST_F(ReviewProperties, VisibleZeroHidesFromDrawing)
{
    ASSERT_TRUE(Run(set_, "SetProperty ('p:position', 10, 10) SetProperty ('p:color', 1, 1, 1)"));
    apptest::draw = [this](float) {
        ov->OV_ClearScreen(0, 0, 0);
        screen_->DrawUI();
    };
    DrawFrame();
    const apptest::Rgba white = {255, 255, 255, 255}, black = {0, 0, 0, 255};
    ASSERT_EQ(apptest::Pixel(20, 20), white);
    ASSERT_TRUE(Run(set_, "SetProperty ('p:visible', 0)"));
    EXPECT_FALSE(p_->IsVisible());
    DrawFrame();
    EXPECT_EQ(apptest::Pixel(20, 20), black);
    ASSERT_TRUE(Run(set_, "SetProperty ('p:visible', 2)"));
    DrawFrame();
    EXPECT_EQ(apptest::Pixel(20, 20), white);
}

}  // namespace
