// Component geometry on a virtual screen placed directly: anchors, position types,
// snapping, rotation, hit tests, inherited state, scale types, depth and the
// conversion of position types.
#include "app/services/prog.h"
#include "app/ui/ui-comps.h"
#include "tests/app/ui/comp_fixture.h"

#include <gtest/gtest.h>
#include <math.h>

namespace {

class Geometry : public ::testing::Test {
protected:
    void SetUp() override
    {
        comptest::SetView(10.0f, 20.0f, 800, 600);
        prog.parms.width = 1024;
        prog.parms.height = 768;
    }
};

struct AnchorCase {
    int origin;
    int anchor;
    float x, y;
};

TEST_F(Geometry, ParentlessAnchorsMeasureAgainstTheVirtualOrTheProgramScreen)
{
    const AnchorCase cases[] = {
        {UIORIGIN_VIRTUAL, 0, 10 + 80, 20 + 60},
        {UIORIGIN_VIRTUAL, UIALIGN_HCENTER, 10 + 80 + 400, 20 + 60},
        {UIORIGIN_VIRTUAL, UIALIGN_RIGHT | UIALIGN_BOTTOM, 10 + 80 + 800, 20 + 60 + 600},
        {UIORIGIN_VIRTUAL, UIALIGN_VCENTER, 10 + 80, 20 + 60 + 300},
        {UIORIGIN_ACTUAL, 0, 80, 60},
        {UIORIGIN_ACTUAL, UIALIGN_CENTER, 80 + 512, 60 + 384},
        {UIORIGIN_ACTUAL, UIALIGN_RIGHT | UIALIGN_BOTTOM, 80 + 1024, 60 + 768},
    };
    for (const AnchorCase &c : cases) {
        SCOPED_TRACE(testing::Message() << "origin " << c.origin << " anchor " << c.anchor);
        UIComp comp;
        comp.screen_origin = (uint16_t)c.origin;
        comp.parent_anchor = (uint16_t)c.anchor;
        comp.position_x = 0.1f;
        comp.position_y = 0.1f;
        vec2_t p = comp.GetStaticPos();
        EXPECT_NEAR(p.x, c.x, 1e-3);
        EXPECT_NEAR(p.y, c.y, 1e-3);
    }
}

struct TypeCase {
    int type;
    float px, py;
    float x, y;
};

TEST_F(Geometry, PositionTypesUnderAnAnchoredParent)
{
    UIComp parent;
    parent.position_type = UIPOS_ABSOLUTE;
    parent.position_x = 100;
    parent.position_y = 50;
    parent.screen_origin = UIORIGIN_ACTUAL;
    parent.width = 200;
    parent.height = 100;
    const TypeCase cases[] = {
        {UIPOS_RELATIVE_TO_PARENT, 0.25f, 0.5f, 100 + 200 + 50, 50 + 100 + 50},
        {UIPOS_RELATIVE_TO_SCREEN, 0.25f, 0.5f, 100 + 200 + 200, 50 + 100 + 300},
        {UIPOS_ABSOLUTE, 0.5f, 0.5f, 100 + 200 + 0.5f, 50 + 100 + 0.5f},
    };
    for (const TypeCase &c : cases) {
        SCOPED_TRACE(c.type);
        UIComp child;
        child.parent = &parent;
        child.parent_anchor = UIALIGN_RIGHT | UIALIGN_BOTTOM;
        child.position_type = c.type;
        child.position_x = c.px;
        child.position_y = c.py;
        vec2_t p = child.GetStaticPos();
        EXPECT_NEAR(p.x, c.x, 1e-3);
        EXPECT_NEAR(p.y, c.y, 1e-3);
    }
}

TEST_F(Geometry, SnappingRoundsThePositionButNotTheOffset)
{
    UIComp comp;
    comp.screen_origin = UIORIGIN_ACTUAL;
    comp.position_type = UIPOS_RELATIVE_TO_SCREEN;
    comp.position_x = 0.1234f;   // 98.72 units
    comp.position_offset_x = 0.0101f;  // 8.08 units
    comp.position_y = 0.0f;
    EXPECT_NEAR(comp.GetStaticPos().x, 98.72 + 8.08, 1e-3);
    comp.snap_position_to_pixels = true;
    EXPECT_NEAR(comp.GetStaticPos().x, 99 + 8.08, 1e-3);
}

TEST_F(Geometry, RelativeToParentWithoutParentIsRelativeToScreen)
{
    UIComp a, b;
    a.position_type = UIPOS_RELATIVE_TO_PARENT;
    b.position_type = UIPOS_RELATIVE_TO_SCREEN;
    a.position_x = b.position_x = 0.3f;
    a.position_y = b.position_y = 0.7f;
    EXPECT_FLOAT_EQ(a.GetStaticPos().x, b.GetStaticPos().x);
    EXPECT_FLOAT_EQ(a.GetStaticPos().y, b.GetStaticPos().y);
}

// A RIGHT-aligned 40 x 20 component turned by 90 degrees about its static position
// (100, 100): its box runs from (80, 60) to (100, 100), centre (90, 80).
TEST_F(Geometry, RotatedRightAlignedComponentTurnsAboutItsStaticPosition)
{
    UIComp comp;
    comp.screen_origin = UIORIGIN_ACTUAL;
    comp.position_type = UIPOS_ABSOLUTE;
    comp.position_x = 100;
    comp.position_y = 100;
    comp.width = 40;
    comp.height = 20;
    comp.align = UIALIGN_RIGHT;
    comp.angle = (float)M_PI / 2;
    vec2_t c = comp.GetCenterPos();
    EXPECT_NEAR(c.x, 90, 1e-3);
    EXPECT_NEAR(c.y, 80, 1e-3);
    const struct {
        float x, y;
        bool over;
    } points[] = {
        {90, 80, true}, {81, 61, true}, {99, 99, true}, {110, 120, false}, {70, 80, false}, {90, 105, false},
    };
    for (const auto &p : points) {
        SCOPED_TRACE(testing::Message() << p.x << "," << p.y);
        EXPECT_EQ(comp.IsPointOver(vec2_t{p.x, p.y}), p.over);
    }
    vec2_t size = comp.GetBoundingRectangleSize();
    EXPECT_NEAR(size.x, 20, 1e-3);
    EXPECT_NEAR(size.y, 40, 1e-3);
}

TEST_F(Geometry, ExpandedHitAreaGrowsWithTheDynamicScale)
{
    UIComp comp;
    comp.screen_origin = UIORIGIN_ACTUAL;
    comp.position_type = UIPOS_ABSOLUTE;
    comp.dynamic_scale = 1.0f;
    const vec2_t p{20, 8};   // 4 units right of the 16 x 16 box
    EXPECT_FALSE(comp.IsPointOver(p));
    EXPECT_TRUE(comp.IsPointOverExpandedArea(p, 5));
    EXPECT_FALSE(comp.IsPointOverExpandedArea(p, 3));
    comp.dynamic_scale = 2.0f;
    EXPECT_TRUE(comp.IsPointOverExpandedArea(p, 3));
}

TEST_F(Geometry, FadingParentsHideOrDeactivateTheirChildren)
{
    UIComp parent, child;
    child.parent = &parent;
    parent.fading = true;
    parent.fading_akey = 0.0f;
    EXPECT_FALSE(child.IsVisible());
    EXPECT_FALSE(child.IsInteractive());
    parent.fading_akey = 0.4f;
    EXPECT_TRUE(child.IsVisible());
    EXPECT_FALSE(child.IsActive());
    EXPECT_NEAR(child.GetStaticAlpha(), 0.4, 1e-6);
    parent.fading = false;
    EXPECT_TRUE(child.IsInteractive());
}

TEST_F(Geometry, ScaleInheritanceIsOptionalButAlphaAlwaysMultiplies)
{
    UIComp parent, child;
    child.parent = &parent;
    parent.scale = 2.0f;
    parent.alpha = 0.5f;
    parent.angle = 0.25f;
    child.scale = 3.0f;
    EXPECT_FLOAT_EQ(child.GetStaticScale(), 6.0f);
    child.inherit_scale = false;
    child.inherit_angle = false;
    EXPECT_FLOAT_EQ(child.GetStaticScale(), 3.0f);
    EXPECT_FLOAT_EQ(child.GetStaticAlpha(), 0.5f);
    EXPECT_FLOAT_EQ(child.GetStaticAngle(), 0.0f);
    child.inherit_angle = true;
    EXPECT_FLOAT_EQ(child.GetStaticAngle(), 0.25f);
}

TEST_F(Geometry, ScaleTypesOnAWideVirtualScreen)
{
    comptest::SetView(0, 0, 1024, 600);
    UIComp parent;
    parent.screen_factor = 1.28f;
    const struct {
        int type;
        float w, h;
        bool with_parent;
        float factor;
    } cases[] = {
        {UISCALE_ACTUAL_SIZE, 128, 100, false, 1.0f},
        {UISCALE_FIT_INSIDE_SCREEN, 128, 100, false, 6.0f},
        {UISCALE_FIT_TO_COVER_SCREEN, 128, 100, false, 8.0f},
        {UISCALE_FIT_INSIDE_SCREEN, 0, 100, false, 1.0f},
        {UISCALE_FIT_TO_COVER_SCREEN, 128, -1, false, 1.0f},
        {UISCALE_STRETCH_TO_COVER_SCREEN, 128, 100, false, 1.0f},
        {UISCALE_RELATIVE_TO_SCREEN_WIDTH, 128, 100, false, 1.28f},
        {UISCALE_RELATIVE_TO_SCREEN_HEIGHT, 128, 100, false, 1.0f},
        {UISCALE_RELATIVE_TO_SCREEN_SIZE, 128, 100, false, 1.0f},
        {UISCALE_RELATIVE_TO_PARENT, 128, 100, false, 1.0f},
        {UISCALE_RELATIVE_TO_PARENT, 128, 100, true, 1.28f},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << "type " << c.type << " size " << c.w << "x" << c.h);
        UIComp comp;
        comp.scale_type = c.type;
        comp.width = c.w;
        comp.height = c.h;
        comp.scale = 0.5f;
        comp.parent = c.with_parent ? &parent : nullptr;
        comp.CalculateDynamicScale();
        EXPECT_NEAR(comp.screen_factor, c.factor, 1e-5);
        EXPECT_NEAR(comp.dynamic_scale, 0.5f * c.factor, 1e-5);
    }
}

TEST_F(Geometry, DepthIsAFractionOfTheVirtualHeightPlusTheParents)
{
    UIComp parent, child;
    EXPECT_NEAR(parent.GetStaticPosZ(), 60.0f, 1e-4);
    child.parent = &parent;
    child.position_offset_z = 0.1f;
    EXPECT_NEAR(child.GetStaticPosZ(), 60.0f + 120.0f, 1e-3);
}

TEST_F(Geometry, ConvertingPositionTypesKeepsTheStaticPosition)
{
    UIComp parent, child;
    parent.position_type = UIPOS_ABSOLUTE;
    parent.position_x = 30;
    parent.position_y = 40;
    parent.width = 200;
    parent.height = 100;
    child.parent = &parent;
    child.position_x = 0.25f;
    child.position_y = 0.5f;
    const vec2_t before = child.GetStaticPos();
    const int order[] = {UIPOS_ABSOLUTE, UIPOS_RELATIVE_TO_SCREEN, UIPOS_ABSOLUTE, UIPOS_RELATIVE_TO_PARENT};
    for (int t : order) {
        SCOPED_TRACE(t);
        child.ConvertPositionType(t);
        EXPECT_EQ(child.position_type, t);
        vec2_t p = child.GetStaticPos();
        EXPECT_NEAR(p.x, before.x, 1e-3);
        EXPECT_NEAR(p.y, before.y, 1e-3);
    }
    EXPECT_NEAR(child.position_x, 0.25f, 1e-6);
    EXPECT_NEAR(child.position_y, 0.5f, 1e-6);
}

TEST_F(Geometry, ChildrenTurnAboutTheirRotatedParent)
{
    UIComp parent, child;
    parent.screen_origin = UIORIGIN_ACTUAL;
    parent.position_type = UIPOS_ABSOLUTE;
    parent.position_x = 100;
    parent.position_y = 100;
    parent.angle = (float)M_PI / 2;
    child.parent = &parent;
    child.position_type = UIPOS_ABSOLUTE;
    child.position_x = 10;
    vec2_t p = child.GetStaticPos();
    EXPECT_NEAR(p.x, 100, 1e-3);
    EXPECT_NEAR(p.y, 110, 1e-3);
    vec2_t local = child.MapScreenSpacePointToObjectSpace(p);
    EXPECT_NEAR(local.x, 10, 1e-3);
    EXPECT_NEAR(local.y, 0, 1e-3);
    vec2_t back = child.MapObjectSpacePointToScreenSpace(local);
    EXPECT_NEAR(back.x, p.x, 1e-3);
    EXPECT_NEAR(back.y, p.y, 1e-3);
}

TEST_F(Geometry, InViewIncludesTouchingEdges)
{
    comptest::SetView(0, 0, 800, 600);
    UIComp comp;
    comp.screen_origin = UIORIGIN_ACTUAL;
    comp.position_type = UIPOS_ABSOLUTE;
    const struct {
        float x, y;
        bool in;
    } cases[] = {{-16, 0, true}, {-16.5f, 0, false}, {800, 600, true}, {800.5f, 0, false}, {0, -17, false}};
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << c.x << "," << c.y);
        comp.position_x = c.x;
        comp.position_y = c.y;
        EXPECT_EQ(comp.IsInView(), c.in);
    }
}

TEST(AlignWords, PrintAndParseBack)
{
    const struct {
        int flags;
        const char *words;
        int parsed;
    } cases[] = {
        {0, "", 0},
        {3, "BOTTOMRIGHT", 3},
        {14, "BOTTOMCENTER", 2},
        {12, "CENTER", 12},
        {4, "VCENTER", 4},
        {9, "RIGHTHCENTER", 9},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.flags);
        EXPECT_STREQ(GetAlignFlagsAsString(c.flags), c.words);
        EXPECT_EQ(ParseAlignFlags(c.words), c.parsed);
    }
    EXPECT_EQ(ParseAlignFlags("LEFTTOP"), 0);
    EXPECT_EQ(ParseAlignFlags(nullptr), 0);
}

TEST(CompTypes, WordsMatchWithoutCaseAndDisplayWordsRoundTrip)
{
    EXPECT_EQ(UIComp::GetCompType("rectangle"), UICOMP_RECTANGLE);
    EXPECT_EQ(UIComp::GetCompType("TouchGrid"), UICOMP_TOUCHGRID);
    EXPECT_EQ(UIComp::GetCompType("Unknown"), 0);
    EXPECT_EQ(UIComp::GetCompType(nullptr), 0);
    for (int t = 1; t < UICOMP_NUM_TYPES; t++)
        EXPECT_EQ(UIComp::GetCompType(UIComp::GetCompTypeString(t)), t);
    EXPECT_STREQ(UIComp::GetCompTypeString(20), "Unknown");
    EXPECT_STREQ(UIComp::GetCompTypeString(-1), "Unknown");
}

}  // namespace
