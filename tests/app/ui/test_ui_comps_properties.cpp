// Base properties as UI scripts set and read them, property paths with their
// messages, and "inherit" on an entered screen.
#include "app/services/luaman.h"
#include "app/ui/screen-manager.h"
#include "app/ui/uiset.h"
#include "app/ui/widgets/ui-button.h"
#include "app/ui/widgets/ui-ruler.h"
#include "ovrecords.h"
#include "tests/app/ui/comp_fixture.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using apptest::CountLogged;
using apptest::Logged;

class Properties : public comptest::CompTest {
protected:
    void SetUp() override
    {
        CompTest::SetUp();
        StartUI();
        screen_ = MakeScreen("PropScreen", "CreateComp ('Unknown', 'p')\nCreateComp ('Unknown', 'q')\n");
        ASSERT_NE(screen_->ui, nullptr);
        set_ = screen_->ui;
        p_ = set_->GetComp("p");
        q_ = set_->GetComp("q");
        ASSERT_NE(p_, nullptr);
        ASSERT_NE(q_, nullptr);
    }
    Screen *screen_ = nullptr;
    UISet *set_ = nullptr;
    UIComp *p_ = nullptr;
    UIComp *q_ = nullptr;
};

struct RoundTrip {
    const char *set;       // arguments after the path
    const char *property;  // read back
    const char *value;     // first value read
};

TEST_F(Properties, BaseValuesSetAndReadWithLuaConversions)
{
    const RoundTrip cases[] = {
        {"'alpha', 0.5", "alpha", "0.5"},
        {"'alpha', 'abc'", "alpha", "0"},
        {"'width', 10.7", "width", "10"},
        {"'height', '22.9'", "height", "22"},
        {"'position', 3, 4", "position", "3"},
        {"'position.y', 7", "position.y", "7"},
        {"'position_offset', 1, 2", "position_offset.y", "2"},
        {"'color', 0.25, 0.5, 0.75", "color.a", "1"},
        {"'color', 0.25, 0.5, 0.75, nil", "color.a", "0"},
        {"'color.g', 0.125", "color.g", "0.125"},
        {"'angle', 1.5", "angle", "1.5"},
        {"'scale', 2", "scale", "2"},
        {"'fading_akey', 0.25", "fading_akey", "0.25"},
        {"'tags', 'hero;x'", "tags", "hero;x"},
        {"'tags', nil", "tags", ""},
        {"'visible', 0", "visible", "false"},
        {"'visible', true", "visible", "true"},
        {"'active', false", "active", "false"},
        {"'fading', 1", "fading", "true"},
        {"'cache_mode', 'PRELOAD'", "cache_mode", "PRELOAD"},
        {"'cache_mode', 'ignore_loading'", "cache_mode", "IGNORE_LOADING"},
        {"'position_type', 'RELATIVE_TO_SCREEN'", "position_type", "RELATIVE_TO_SCREEN"},
        {"'position_type', 'RELATIVE'", "position_type", "RELATIVE_TO_PARENT"},
        {"'position_type', 'whatever'", "position_type", "ABSOLUTE"},
        {"'scale_type', 'FIT_INSIDE_SCREEN'", "scale_type", "FIT_INSIDE_SCREEN"},
        {"'align', 'BOTTOMRIGHT'", "align", "BOTTOMRIGHT"},
        {"'align', 'CENTER'", "align", "CENTER"},
        {"'name', 'p'", "name", "p"},
    };
    for (const RoundTrip &c : cases) {
        SCOPED_TRACE(c.set);
        ASSERT_TRUE(Run(set_, std::string("SetProperty ('p:") + (c.set + 1) + ")"));
        EXPECT_EQ(Eval(set_, std::string("GetProperty ('p:") + c.property + "')"), c.value);
    }
    ASSERT_TRUE(Run(set_, "SetProperty ('p:name', 'renamed')"));
    EXPECT_STREQ(p_->name, "renamed");
    ASSERT_TRUE(Run(set_, "SetProperty ('renamed:name', nil)"));
    EXPECT_STREQ(p_->name, "");
}

TEST_F(Properties, FlagsFollowTheirOwnTruthRules)
{
    ASSERT_TRUE(Run(set_, "SetProperty ('p:inherit_angle', 0)"));
    EXPECT_TRUE(p_->inherit_angle);   // 0 is a true Lua value
    ASSERT_TRUE(Run(set_, "SetProperty ('p:inherit_angle', false)"));
    EXPECT_FALSE(p_->inherit_angle);
    ASSERT_TRUE(Run(set_, "SetProperty ('p:snap_position_to_pixels', 0)"));
    EXPECT_TRUE(p_->snap_position_to_pixels);
    ASSERT_TRUE(Run(set_, "SetProperty ('p:custom_draw', 0)"));
    EXPECT_FALSE(p_->custom_draw);    // a number: non-zero is true, as the export writes it
    ASSERT_TRUE(Run(set_, "SetProperty ('p:custom_draw', 1)"));
    EXPECT_TRUE(p_->custom_draw);
    ASSERT_TRUE(Run(set_, "SetProperty ('p:interactive', 0)"));
    EXPECT_FALSE(p_->interactive);
    ASSERT_TRUE(Run(set_, "SetProperty ('p:localize', 0.5)"));
    EXPECT_FALSE(p_->localize);       // an integer: 0.5 truncates to 0
    ASSERT_TRUE(Run(set_, "SetProperty ('p:blend_mode', 'ADDITIVE') SetProperty ('p:pixel_filter', 'POINT')"));
    EXPECT_EQ(p_->blend_mode, 1);
    EXPECT_EQ(p_->pixel_filter, 0);
    ASSERT_TRUE(Run(set_, "SetProperty ('p:blend_mode', 'SHINY') SetProperty ('p:screen_origin', 'ACTUAL')"));
    EXPECT_EQ(p_->blend_mode, 0);
    EXPECT_EQ(p_->screen_origin, UIORIGIN_ACTUAL);
    ASSERT_TRUE(Run(set_, "SetProperty ('p:parent_anchor', 'HCENTER') SetProperty ('p:expanded_hit_area', 4)"));
    EXPECT_EQ(p_->parent_anchor, UIALIGN_HCENTER);
    EXPECT_FLOAT_EQ(p_->expanded_hit_area, 4.0f);
    ASSERT_TRUE(Run(set_, "SetProperty ('p:OnClick', 'ui/click.lua') SetProperty ('p:OnUpdate', 'u.lua')"));
    EXPECT_STREQ(p_->OnClick, "ui/click.lua");
    EXPECT_STREQ(p_->OnUpdate, "u.lua");
    // Reads only: the static and aligned positions and the view test.
    ASSERT_TRUE(Run(set_, "SetProperty ('p:position_type', 'ABSOLUTE') SetProperty ('p:position', 5, 6)"));
    // ACTUAL origin anchored at the program screen's horizontal centre: 400 + 5.
    EXPECT_EQ(Eval(set_, "GetProperty ('p:static_position.x')"), "405");
    EXPECT_EQ(Eval(set_, "GetProperty ('p:is_in_view')"), "true");
    EXPECT_EQ(Eval(set_, "GetProperty ('p:dynamic_scale')"), "1");
    EXPECT_EQ(Eval(set_, "GetProperty ('p:no_such_property')"), "nil");
}

TEST_F(Properties, WordsOutsideTheirListsGiveTheFallbackAndAMessage)
{
    ASSERT_TRUE(Run(set_, "SetProperty ('p:draw_mode', 'MIRRORED_VERTICAL')"));
    EXPECT_EQ(p_->draw_mode, UIDRAW_MIRRORED_VERTICAL);
    ASSERT_TRUE(Run(set_, "SetProperty ('p:draw_mode', 'MIRRORED_BOTH')"));
    EXPECT_EQ(p_->draw_mode, UIDRAW_NORMAL);
    EXPECT_TRUE(Logged("Draw mode 'MIRRORED_BOTH' is not supported."));
    ASSERT_TRUE(Run(set_, "SetProperty ('p:cache_mode', 'SOMETIMES')"));
    EXPECT_EQ(p_->cache_mode, UICACHE_LOAD_ON_ENTER_RELEASE_ON_LEAVE);
    EXPECT_TRUE(Logged("Cache mode 'SOMETIMES' is not supported."));
    ASSERT_TRUE(Run(set_, "SetProperty ('p:scale_type', 'HUGE')"));
    EXPECT_EQ(p_->scale_type, UISCALE_RELATIVE_TO_PARENT);
    EXPECT_TRUE(Logged("In 'ui/PropScreen.lua' unknown scale type 'HUGE' for 'p'."));
    ASSERT_TRUE(Run(set_, "SetProperty ('p:scale_type', 'ACTUAL_SIZE')"));
    EXPECT_EQ(p_->scale_type, UISCALE_ACTUAL_SIZE);
    EXPECT_TRUE(Logged("Using deprecating scale type 'ACTUAL_SIZE' for UI component 'p' in 'ui/PropScreen.lua'."));
}

TEST_F(Properties, ParentsMustExistAndMustNotMakeACycle)
{
    ASSERT_TRUE(Run(set_, "SetProperty ('q:parent', 'p')"));
    EXPECT_EQ(q_->parent, p_);
    EXPECT_EQ(Eval(set_, "GetProperty ('q:parent')"), "p");
    ASSERT_TRUE(Run(set_, "SetProperty ('p:parent', 'q')"));
    EXPECT_EQ(p_->parent, nullptr);
    EXPECT_TRUE(Logged("Parent 'q' for ui/PropScreen.lua/p would make a cycle."));
    ASSERT_TRUE(Run(set_, "SetProperty ('p:parent', 'p')"));
    EXPECT_EQ(p_->parent, nullptr);
    ASSERT_TRUE(Run(set_, "SetProperty ('q:parent', 'ghost')"));
    EXPECT_EQ(q_->parent, nullptr);
    EXPECT_TRUE(Logged("Missing parent 'ghost' for ui/PropScreen.lua/q."));
}

TEST_F(Properties, EveryPathFormFindsItsTarget)
{
    Screen *other = MakeScreen("OtherScreen", "CreateComp ('Unknown', 'far')\n");
    UIComp *far = other->GetComp("far");
    ASSERT_NE(far, nullptr);

    ASSERT_TRUE(Run(set_, "SetProperty ('alpha', 0.25)"));            // bare: last created
    EXPECT_FLOAT_EQ(q_->alpha, 0.25f);
    ASSERT_TRUE(Run(set_, "SetProperty ('p:alpha', 0.5)"));           // named before the colon
    EXPECT_FLOAT_EQ(p_->alpha, 0.5f);
    ASSERT_TRUE(Run(set_, "SetProperty ('/OtherScreen/far:alpha', 0.75)"));
    EXPECT_FLOAT_EQ(far->alpha, 0.75f);
    EXPECT_EQ(Eval(set_, "GetProperty ('/OtherScreen/far:alpha')"), "0.75");

    ASSERT_TRUE(Run(set_, "SetProperty ('/:covers_screen', true)"));
    EXPECT_TRUE(screen_->covers_screen);
    ASSERT_TRUE(Run(set_, "SetProperty ('/OtherScreen:COVERS_SCREEN', true)"));
    EXPECT_TRUE(other->covers_screen);
    ASSERT_TRUE(Run(set_, "SetProperty ('/OtherScreen:trans', 0.5)"));
    EXPECT_EQ(Eval(set_, "GetProperty ('/OtherScreen:trans')"), "0.5");
    EXPECT_EQ(Eval(set_, "GetProperty ('/:name')"), "PropScreen");
    ASSERT_TRUE(Run(set_, "SetProperty ('/:enter_trans_duration', 0.5) SetProperty ('/:leave_trans_duration', 0)"));
    EXPECT_FLOAT_EQ(screen_->enter_speed, 2.0f);
    EXPECT_FLOAT_EQ(screen_->leave_speed, 1000.0f);
    ASSERT_TRUE(Run(set_, "SetProperty ('/:default_comp', 'p')"));
    EXPECT_EQ(screen_->default_comp, p_);

    // A screen key without a screen path goes to the last component, which rejects it.
    other->covers_screen = false;
    screen_->covers_screen = false;
    ASSERT_TRUE(Run(set_, "SetProperty ('covers_screen', true)"));
    EXPECT_FALSE(screen_->covers_screen);

    ASSERT_TRUE(Run(set_, "SetProperty ('ghost:alpha', 0.1)"));      // unknown component: silent
    ASSERT_TRUE(Run(set_, "SetProperty ('/NoScreen:alpha', 1)"));
    EXPECT_TRUE(Logged("ResolveCompProperty '/NoScreen:alpha' Screen 'NoScreen' not found."));
    ASSERT_TRUE(Run(set_, "SetProperty ('/justtext', 1)"));
    EXPECT_TRUE(Logged("ResolveCompProperty '/justtext' formatting is bad."));
    const std::string long_path = "/" + std::string(300, 'S') + ":alpha";
    ASSERT_TRUE(Run(set_, "SetProperty ('" + long_path + "', 1)"));
    EXPECT_TRUE(Logged("ResolveCompProperty '" + long_path + "' formatting is bad."));
    EXPECT_EQ(Eval(set_, "GetProperty ('/NoScreen:name')"), "nil");
}

TEST_F(Properties, AccessStatisticsCountTrackedNamesUnderALock)
{
    UIComp::ResetPropertyAccessStatistics();
    UIComp::TrackPropertyAccess("alpha");
    EXPECT_EQ(Eval(set_, "GetProperty ('p:alpha')"), "1");
    EXPECT_EQ(Eval(set_, "GetProperty ('q:alpha')"), "1");
    EXPECT_EQ(Eval(set_, "GetProperty ('q:scale')"), "1");
    EXPECT_EQ(UIComp::GetPropertyAccessCount("alpha"), 2);
    EXPECT_EQ(UIComp::GetPropertyAccessCount("scale"), -1);
    UIComp::ResetPropertyAccessStatistics();
}

class InheritOnEntry : public comptest::CompTest {};

// Re-inheriting on an entered screen gives back the old template's bitmaps and takes
// the new one's.
TEST_F(InheritOnEntry, ReleasesInheritsAndLoads)
{
    StartUI("CreateComp ('Ruler', 'RulerA')\n"
            "SetProperty ('ruler.endpoint_bitmap', 'gfx/a-end.png')\n"
            "SetProperty ('ruler.repeat_bitmap', 'gfx/a-mid.png')\n"
            "CreateComp ('Ruler', 'RulerB')\n"
            "SetProperty ('ruler.endpoint_bitmap', 'gfx/b-end.png')\n"
            "SetProperty ('ruler.repeat_bitmap', 'gfx/b-mid.png')\n");
    UIComp *a = sman.GetCompTemplate("RulerA");
    ASSERT_NE(a, nullptr);
    Screen *screen = MakeScreen("RulerScreen", "CreateComp ('Ruler', 'r')\nSetProperty ('inherit', 'RulerA')\n");
    UICompRuler *r = dynamic_cast<UICompRuler *>(screen->GetComp("r"));
    ASSERT_NE(r, nullptr);
    ASSERT_NE(r->endpoint_bitmap, nullptr);
    ov_bitmap_t *a_end = r->endpoint_bitmap, *a_mid = r->repeat_bitmap;
    ov_bitmap_t *b_end = ov->OV_LoadBitmap("gfx/b-end.png", 0);
    const int a0 = a_end->refcount, am0 = a_mid->refcount, b0 = b_end->refcount;

    sman.PushScreen(screen, 0);
    ASSERT_TRUE(screen->ui->cache_applied);
    EXPECT_EQ(a_end->refcount, a0 + 1);
    EXPECT_EQ(a_mid->refcount, am0 + 1);

    ASSERT_TRUE(Run(screen->ui, "SetProperty ('r:inherit', 'RulerB')"));
    EXPECT_EQ(r->template_comp, sman.GetCompTemplate("RulerB"));
    EXPECT_EQ(r->endpoint_bitmap, b_end);
    EXPECT_EQ(a_end->refcount, a0);
    EXPECT_EQ(a_mid->refcount, am0);
    EXPECT_EQ(b_end->refcount, b0 + 1);

    ASSERT_TRUE(Run(screen->ui, "SetProperty ('r:inherit', 'NoSuchTemplate')"));
    EXPECT_TRUE(Logged("Component template 'NoSuchTemplate' for 'inherit' not found in 'ui/RulerScreen.lua'."));
    EXPECT_EQ(r->endpoint_bitmap, b_end);

    sman.PopScreen(screen, false);
    EXPECT_EQ(b_end->refcount, b0);
}

}  // namespace

namespace {

class BitmapSwapOnEntry : public comptest::CompTest {};

// A script swapping a button's bitmaps back and forth on a shown screen keeps one
// reference per bitmap in use: leaving gives back exactly what was taken.
TEST_F(BitmapSwapOnEntry, ButtonBitmapsSwappedByScriptKeepTheirCounts)
{
    // The button's bitmaps come from its template: the screen's entry takes their
    // references as for its own.
    StartUI("CreateComp ('Button', 'SwapButton')\n"
            "SetProperty ('button.bm_idle', 'gfx/a-end.png')\n"
            "SetProperty ('button.bm_icon', 'gfx/a-mid.png')\n");
    Screen *screen = MakeScreen("SwapScreen", "CreateComp ('Button', 'b')\nSetProperty ('inherit', 'SwapButton')\n");
    UICompButton *b = dynamic_cast<UICompButton *>(screen->GetComp("b"));
    ASSERT_NE(b, nullptr);
    ov_bitmap_t *a = ov->OV_LoadBitmap("gfx/a-end.png", 0), *m = ov->OV_LoadBitmap("gfx/a-mid.png", 0),
                *c = ov->OV_LoadBitmap("gfx/b-end.png", 0);
    ASSERT_TRUE(a && m && c);
    const int a0 = a->refcount, m0 = m->refcount, c0 = c->refcount;

    sman.PushScreen(screen, 0);
    ASSERT_TRUE(screen->ui->cache_applied);
    for (int i = 0; i < 3; i++) {
        ASSERT_TRUE(Run(screen->ui, "SetProperty ('b:button.bm_idle', 'gfx/b-end.png')"));
        EXPECT_EQ(b->bm_idle, c);
        ASSERT_TRUE(Run(screen->ui, "SetProperty ('b:button.bm_idle', 'gfx/a-end.png')"));
        EXPECT_EQ(b->bm_idle, a);
        ASSERT_TRUE(Run(screen->ui, "SetProperty ('b:button.bm_icon', 'gfx/b-end.png')"));
        ASSERT_TRUE(Run(screen->ui, "SetProperty ('b:button.bm_icon', 'gfx/a-mid.png')"));
    }
    EXPECT_GT(a->refcount, 0);
    EXPECT_GT(m->refcount, 0);
    sman.PopScreen(screen, false);
    EXPECT_EQ(a->refcount, a0);
    EXPECT_EQ(m->refcount, m0);
    EXPECT_EQ(c->refcount, c0);
    EXPECT_FALSE(Logged("reference count less than zero"));
}

}  // namespace
