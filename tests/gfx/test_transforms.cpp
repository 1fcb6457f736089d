// The transform and vertex-processor stacks and the drawing front end's vertices,
// with the null renderer (no GPU needed).
#include "tests/gfx/gfx_fixture.h"

#include "gfx/rendimp.h"
#include "gfx/transform.h"

using namespace gfxtest;

namespace {

class Stacks : public GfxTest {
protected:
    void SetUp() override
    {
        GfxTest::SetUp();
        OVID_SetRendImpOverride(GetRendImpNull());
        Start();
    }
};

void AddOne(ov_vertex_t *v, int count, void *)
{
    for (int i = 0; i < count; i++)
        v[i].x += 1;
}
void Double(ov_vertex_t *v, int count, void *)
{
    for (int i = 0; i < count; i++)
        v[i].x *= 2;
}

}  // namespace

TEST_F(Stacks, PeekOnEmptyIsIdentityAndOverflowIsIgnored)
{
    nTransform top = ov->OV_PeekTransform();
    nTransform id = OVI_Identity();
    for (int i = 0; i < 16; i++)
        EXPECT_EQ(top.m[i], id.m[i]);
    for (int i = 0; i < 33; i++) {
        nTransform t = OVI_Translation((float)i, 0, 0);
        ov->OV_PushTransform(&t);
    }
    EXPECT_EQ(ov_state.transform_top, 31);
    ov->OV_PopTransform();
    EXPECT_EQ(ov_state.transform_top, 30);
    // Each entry is the product of everything below: 0 + 1 + ... + 30.
    EXPECT_FLOAT_EQ(ov->OV_PeekTransform().m[3], 465.0f);
    while (ov_state.transform_top >= 0)
        ov->OV_PopTransform();
    ov->OV_PopTransform();
    EXPECT_TRUE(Logged("Calling OV_PopTransform() too many times! Check your code!"));
}

TEST_F(Stacks, TranslateThenScaleScalesFirst)
{
    nTransform t = OVI_Translation(10, 0, 0);
    nTransform s = OVI_Scaling(3, 3, 1);
    ov->OV_PushTransform(&t);
    ov->OV_PushTransform(&s);
    nTransform top = ov->OV_PeekTransform();
    EXPECT_FLOAT_EQ(top.m[0] * 1 + top.m[3], 13.0f);  // x = 1 -> 3 -> 13
    ov->OV_PushTransform(nullptr);
    EXPECT_FLOAT_EQ(ov->OV_PeekTransform().m[0], 1.0f);
    ov->OV_PopTransform();
    EXPECT_FLOAT_EQ(ov->OV_PeekTransform().m[0], 3.0f);
    ov->OV_PopTransform();
    ov->OV_PopTransform();
}

TEST_F(Stacks, BarrierHidesProcessorsBelowIt)
{
    ov_vertex_t v = {};
    ov->OV_PushVertexProcessor(AddOne, nullptr);
    ov->OV_PushVertexProcessor(nullptr, nullptr);
    ov->OV_PushVertexProcessor(Double, nullptr);
    v.x = 5;
    ov->OV_ProcessVertex(&v);
    EXPECT_FLOAT_EQ(v.x, 10);
    EXPECT_EQ(ov->OV_RemoveVertexProcessor(AddOne, nullptr), 0);  // hidden
    ov->OV_PopVertexProcessor();
    v.x = 5;
    ov->OV_ProcessVertex(&v);
    EXPECT_FLOAT_EQ(v.x, 5);
    ov->OV_PopVertexProcessor();
    v.x = 5;
    ov->OV_ProcessVertex(&v);
    EXPECT_FLOAT_EQ(v.x, 6);
    EXPECT_EQ(ov->OV_RemoveVertexProcessor(AddOne, nullptr), 1);
    EXPECT_EQ(ov->OV_RemoveVertexProcessor(AddOne, nullptr), 0);
}

TEST_F(Stacks, AlphaAndDepthFrontEnd)
{
    ov->OV_SetAlpha(1.5f);
    EXPECT_FLOAT_EQ(ov_state.color_a, 1.0f);
    EXPECT_EQ(ov_state.packed_color[3], 255);
    ov->OV_SetAlpha(-1);
    EXPECT_FLOAT_EQ(ov_state.color_a, 0.0f);
    ov->OV_SetDepthRange(0, 60, 0.05f);
    EXPECT_FLOAT_EQ(ov_state.depth_near, 0.1f);
    EXPECT_FLOAT_EQ(ov_state.depth_plane, 60);
    EXPECT_FLOAT_EQ(ov_state.depth_far, 0.1f);
    ov->OV_SetDepthDefault(5);
    EXPECT_FLOAT_EQ(ov_state.cur_vertices[0].z, 5);
    EXPECT_FLOAT_EQ(ov->OV_GetDepthDefault(), 5);
}
