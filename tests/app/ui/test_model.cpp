// Models on the headless engine: reading fixture model files, alignment, sharing and
// releasing through the manager, bad indices, missing files, drawing a quarter turn
// with back faces culled (read back as pixels), and writing a model and reading it back.
#include "tests/app/services/app_engine_fixture.h"

#include "app/services/dataman.h"
#include "app/ui/model.h"
#include "gfx/bitmap.h"
#include "ovrecords.h"

#include <math.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

using namespace apptest;

namespace {

const Rgba kBlack = {0, 0, 0, 255};
const Rgba kWhite = {255, 255, 255, 255};

bool WhiteLoader(ov_bitmap_t *b)
{
    if (strcmp(b->name, "white2") != 0)
        return false;
    b->width = b->src_width = 2;
    b->height = b->src_height = 2;
    b->pixels = (uint8_t *)malloc(16);
    memset(b->pixels, 255, 16);
    return true;
}

struct V {
    float x, y, z;
};

// A model file of the given vertices (normals (0, 0, 1), u = v = 0.5) and indices.
std::string ModelFile(const std::vector<V> &vertices, const std::vector<int> &indices, const char *texture = "white2")
{
    std::string s = "<?xml version=\"1.0\"?>\n<root>\n <array id=\"SURFACES\">\n  <node id=\"0\" texture=\"";
    s += std::string(texture) + "\" />\n </array>\n <array id=\"SURFACE_0_VERTICES\">\n";
    for (const V &v : vertices) {
        char line[160];
        snprintf(line, sizeof line, "  <node x=\"%g\" y=\"%g\" z=\"%g\" nx=\"0\" ny=\"0\" nz=\"1\" u=\"0.5\" v=\"0.5\" />\n",
                 v.x, v.y, v.z);
        s += line;
    }
    s += " </array>\n <array id=\"SURFACE_0_INDICES\">\n";
    for (int i : indices)
        s += "  <node i=\"" + std::to_string(i) + "\" />\n";
    return s + " </array>\n</root>\n";
}

class ModelTest : public AppEngineTest {
protected:
    void SetUp() override
    {
        AppEngineTest::SetUp();
        OVI_SetBitmapFileLoader(WhiteLoader);
        Start();
    }
    void TearDown() override
    {
        dman().ReleaseAllDatabases();
        AppEngineTest::TearDown();
        OVI_SetBitmapFileLoader(nullptr);
    }
    // One frame: black, the model drawn at (100, 100) with depth 0.5.
    void DrawModel(Model *m, float angle, float scale = 1)
    {
        draw = [m, angle, scale](float) {
            ov->OV_ClearScreen(0, 0, 0);
            ov->OV_SetColor(1, 1, 1);
            ov->OV_SetAlpha(1);
            m->Draw(vec3_t{100, 100, 0.5f}, angle, scale);
        };
        DrawFrame();
    }
};

// Right angle at (0, 0), legs 20 along x and 10 along y; the winding given by `order`.
std::string Triangle(const std::vector<int> &order)
{
    return ModelFile({{0, 0, 0}, {20, 0, 0}, {0, 10, 0}}, order);
}

}  // namespace

TEST_F(ModelTest, LoadingAlignsTheHorizontalCentreAndTheLowestDepth)
{
    WriteFile("models/box.xml", ModelFile({{-1, 0, 2}, {3, 4, 5}, {1, -2, 3}}, {0, 1, 2}));
    Model m;
    m.Load("models/box.xml");
    ASSERT_EQ(m.vertex_count, 3);
    ASSERT_EQ(m.index_count, 3);
    float min_x = 1e9f, max_x = -1e9f, min_z = 1e9f, max_z = -1e9f, min_y = 1e9f, max_y = -1e9f;
    for (int i = 0; i < 3; i++) {
        min_x = fminf(min_x, m.positions[i].x);
        max_x = fmaxf(max_x, m.positions[i].x);
        min_y = fminf(min_y, m.positions[i].y);
        max_y = fmaxf(max_y, m.positions[i].y);
        min_z = fminf(min_z, m.positions[i].z);
        max_z = fmaxf(max_z, m.positions[i].z);
        EXPECT_EQ(m.draw_vertices[i].x, m.positions[i].x);
        EXPECT_EQ(m.draw_vertices[i].z, m.positions[i].z);
        EXPECT_EQ(m.draw_vertices[i].color[0], 255);
        EXPECT_EQ(m.draw_vertices[i].color[3], 255);
        EXPECT_EQ(m.draw_vertices[i].u, 0.5f);
        EXPECT_EQ(m.normals[i].z, 1.0f);
    }
    EXPECT_EQ(min_x, -2.0f);
    EXPECT_EQ(max_x, 2.0f);
    EXPECT_EQ(min_y, -3.0f);
    EXPECT_EQ(max_y, 3.0f);
    EXPECT_EQ(min_z, 0.0f);
    EXPECT_EQ(max_z, 3.0f);
    // The bounds are those before the shift.
    EXPECT_EQ(m.bounds_min.z, 2.0f);
    EXPECT_EQ(m.bounds_centre.x, 1.0f);
    EXPECT_NEAR(m.radius, sqrtf(2 * 2 + 3 * 3 + 1.5f * 1.5f), 1e-5);
    EXPECT_STREQ(m.texture_name, "white2");
    EXPECT_NE(m.texture, nullptr);
    EXPECT_TRUE(Logged("Loaded model 'models/box.xml' with 3 vertices and 3 indices."));
    // Other alignments: 12 by the centre, anything else not at all.
    m.AlignVertices(12);
    EXPECT_EQ(m.positions[0].z, -1.5f);
    V before = {m.positions[1].x, m.positions[1].y, m.positions[1].z};
    m.AlignVertices(5);
    EXPECT_EQ(m.positions[1].x, before.x);
    EXPECT_EQ(m.positions[1].z, before.z);
}

TEST_F(ModelTest, ManagerSharesAndReleasesByCount)
{
    WriteFile("models/tri.xml", Triangle({0, 1, 2}));
    ov_bitmap_t *white = ov->OV_LoadBitmap("white2", 4);
    int refs = white->refcount;
    Model *a = model_man.LoadModel("models/tri.xml");
    Model *b = model_man.LoadModel("models/tri.xml");
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a, b);
    EXPECT_EQ(a->reference_count, 2);
    EXPECT_EQ(model_man.GetNumberOfModels(), 1);
    EXPECT_EQ(white->refcount, refs + 1);
    model_man.ReleaseModel(a);
    EXPECT_EQ(model_man.GetNumberOfModels(), 1);
    EXPECT_EQ(a->reference_count, 1);
    model_man.ReleaseModel(b);  // destroyed: the texture reference goes back
    EXPECT_EQ(model_man.GetNumberOfModels(), 0);
    EXPECT_EQ(white->refcount, refs);
    model_man.ReleaseModel(a);  // a third release reads nothing from the freed model
    EXPECT_TRUE(Logged("ModelManager::ReleaseModel trying to release a model that is not loaded."));
    model_man.ReleaseModel(nullptr);
    // A listed model whose count is already below 1 is reported and kept.
    Model *c = model_man.LoadModel("models/tri.xml");
    c->reference_count = 0;
    model_man.ReleaseModel(c);
    EXPECT_TRUE(Logged("ModelManager::ReleaseModel 'models/tri.xml' trying to release model with reference count 0."));
    EXPECT_EQ(model_man.GetNumberOfModels(), 1);
    c->reference_count = 1;
    model_man.ReleaseModel(c);
    EXPECT_EQ(model_man.GetNumberOfModels(), 0);
    ov->OV_ReleaseBitmap(white);
}

TEST_F(ModelTest, IndicesOutOfRangeAreReportedAndTheirTrianglesSkipped)
{
    // Triangle 0 is good; triangle 1 names vertex 7 of 3.
    WriteFile("models/bad.xml", ModelFile({{0, 0, 0}, {20, 0, 0}, {0, 10, 0}}, {0, 1, 2, 0, 7, 2}));
    Model m;
    m.Load("models/bad.xml");
    EXPECT_TRUE(Logged("Index #4 = 7 out of range (3 vertices)."));
    EXPECT_EQ(m.index_count, 6);
    EXPECT_EQ(m.indices[4], 7);
    m.CalculateNormals();  // skips the bad triangle too
    DrawModel(&m, 0);
    int lit = 0;
    for (int y = 90; y <= 110; y += 2)
        for (int x = 85; x <= 115; x += 2)
            lit += Pixel(x, y) != kBlack;
    EXPECT_GT(lit, 0);
}

TEST_F(ModelTest, MissingFileGivesAnEmptyModel)
{
    Model m;
    m.Load("models/none.xml");
    EXPECT_EQ(m.vertex_count, 0);
    EXPECT_EQ(m.index_count, 0);
    EXPECT_EQ(m.bounds_min.x, 0.0f);
    EXPECT_EQ(m.bounds_max.z, 0.0f);
    EXPECT_EQ(m.radius, 0.0f);
    DrawModel(&m, 0);
    EXPECT_EQ(Pixel(100, 100), kBlack);
    Model empty(0, 0);
    empty.CalculateBounds();
    EXPECT_EQ(empty.radius, 0.0f);
}

TEST_F(ModelTest, QuarterTurnDrawnWithBackFacesCulled)
{
    // Aligned: (-10, -5), (10, -5), (-10, 5). Unturned, (-4, 0) from the position is
    // inside and (4, 0) outside; a quarter turn maps (x, y) to (-y, x), which swaps them.
    WriteFile("models/front.xml", Triangle({0, 1, 2}));
    WriteFile("models/back.xml", Triangle({0, 2, 1}));
    Model front, back;
    front.Load("models/front.xml");
    back.Load("models/back.xml");
    DrawModel(&front, 0);
    EXPECT_EQ(Pixel(96, 100), kWhite);
    EXPECT_EQ(Pixel(104, 100), kBlack);
    DrawModel(&front, (float)M_PI / 2);
    EXPECT_EQ(Pixel(104, 100), kWhite);
    EXPECT_EQ(Pixel(96, 100), kBlack);
    EXPECT_EQ(Pixel(100, 92), kWhite);
    EXPECT_EQ(Pixel(108, 100), kBlack);
    // Scale 2 doubles the reach.
    DrawModel(&front, (float)M_PI / 2, 2);
    EXPECT_EQ(Pixel(108, 100), kWhite);
    // The other winding faces away and is culled; culling is off again afterwards.
    DrawModel(&back, 0);
    EXPECT_EQ(Pixel(96, 100), kBlack);
    draw = [&](float) {
        ov->OV_ClearScreen(0, 0, 0);
        back.Draw(vec3_t{100, 100, 0.5f}, 0, 1);
        ov_vertex3d_t v[3];
        memcpy(v, back.draw_vertices, sizeof v);
        for (ov_vertex3d_t &p : v) {
            p.x += 50;
            p.y += 50;
            p.z = 0.5f;
        }
        const uint16_t order[3] = {0, 2, 1};
        ov->OV_DrawTriangles(back.texture, v, 3, order, 3);
    };
    DrawFrame();
    EXPECT_EQ(Pixel(96, 100), kBlack);
    EXPECT_EQ(Pixel(46, 50), kWhite);
}

TEST_F(ModelTest, SavedModelReadsBackTheSame)
{
    WriteFile("models/src.xml", ModelFile({{-1, 0, 2}, {3, 4, 5}, {1, -2, 3}, {0.25f, 0.5f, 2.5f}}, {0, 1, 2, 2, 1, 3}));
    Model m;
    m.Load("models/src.xml");
    m.CalculateNormals();
    ASSERT_TRUE(m.Save("user://saved-model.xml"));
    Model back;
    back.Load("user://saved-model.xml");
    ASSERT_EQ(back.vertex_count, m.vertex_count);
    ASSERT_EQ(back.index_count, m.index_count);
    EXPECT_STREQ(back.texture_name, "white2");
    for (int i = 0; i < m.vertex_count; i++) {
        SCOPED_TRACE(i);
        EXPECT_NEAR(back.positions[i].x, m.positions[i].x, 1e-5);
        EXPECT_NEAR(back.positions[i].y, m.positions[i].y, 1e-5);
        EXPECT_NEAR(back.positions[i].z, m.positions[i].z, 1e-5);
        EXPECT_NEAR(back.normals[i].x, m.normals[i].x, 1e-5);
        EXPECT_NEAR(back.normals[i].z, m.normals[i].z, 1e-5);
        EXPECT_EQ(back.uvs[2 * i], m.uvs[2 * i]);
    }
    for (int i = 0; i < m.index_count; i++)
        EXPECT_EQ(back.indices[i], m.indices[i]);
    EXPECT_FALSE(m.Save(nullptr));
    EXPECT_FALSE(m.Save("nowhere://model.xml"));
}

TEST_F(ModelTest, NormalsAreUnitFaceNormals)
{
    Model m(3, 3);
    m.positions[0] = {0, 0, 0};
    m.positions[1] = {2, 0, 0};
    m.positions[2] = {0, 3, 0};
    m.indices[0] = 0;
    m.indices[1] = 1;
    m.indices[2] = 2;
    m.CalculateNormals();
    for (int i = 0; i < 3; i++) {
        EXPECT_NEAR(m.normals[i].x, 0, 1e-6);
        EXPECT_NEAR(m.normals[i].z, 1, 2e-3);  // one Newton step
    }
}

TEST_F(ModelTest, MalformedModelFilesGiveEmptyOrPartialModels)
{
    struct Case {
        const char *what, *text;
        int vertices, indices;
    } cases[] = {
        {"not XML", "\x01\x02 garbage <<", 0, 0},
        {"no vertex array", "<?xml version=\"1.0\"?>\n<root><array id=\"SURFACE_0_INDICES\"><node i=\"70000\" /></array></root>", 0, 1},
        {"cut short", "<?xml version=\"1.0\"?>\n<root><array id=\"SURFACE_0_VERTICES\"><node x=\"1e40\" y=\"nan\" /><node x=", 1, 0},
        {"no texture", "<?xml version=\"1.0\"?>\n<root><array id=\"SURFACES\"></array></root>", 0, 0},
    };
    int n = 0;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        std::string name = "models/malformed" + std::to_string(n++) + ".xml";
        WriteFile(name, c.text);
        Model *m = model_man.LoadModel(name.c_str());
        ASSERT_NE(m, nullptr);
        EXPECT_EQ(m->vertex_count, c.vertices);
        EXPECT_EQ(m->index_count, c.indices);
        DrawModel(m, 1);
        model_man.ReleaseModel(m);
    }
    EXPECT_TRUE(Logged("out of range (0 vertices)"));
}
