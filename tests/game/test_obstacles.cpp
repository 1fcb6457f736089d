// Obstacle types read from outline files and placed copies: loading, the shared table
// and its limit, edge normals, rotation and scale.
#include "game/obstacles.h"

#include "app/services/dataman.h"
#include "tests/app/services/data_fixture.h"

#include <gtest/gtest.h>
#include <math.h>

#include <string>

namespace {

using datatest::CountMessages;

const char kSquare[] =
    "<?xml version=\"1.0\" encoding=\"iso-8859-1\"?>\n\n<root>\n\n"
    " <array id=\"info\">\n  <node id=\"bitmap\" value=\"square.png\" />\n </array>\n\n"
    " <array id=\"edges\">\n"
    "  <node p0x=\"0\" p0y=\"0\"  p1x=\"10\" p1y=\"0\" />\n"
    "  <node p0x=\"10\" p0y=\"0\"  p1x=\"10\" p1y=\"10\" />\n"
    "  <node p0x=\"10\" p0y=\"10\"  p1x=\"0\" p1y=\"10\" />\n"
    "  <node p0x=\"0\" p0y=\"10\"  p1x=\"0\" p1y=\"0\" />\n"
    " </array>\n\n</root>\n";

class ObstacleTypeTest : public datatest::DataTest {
protected:
    void TearDown() override
    {
        ObstacleType::FreeAll();
        DataTest::TearDown();
    }
    void Write(const std::string &name, const std::string &text)
    {
        std::string path = ResPath(name);
        std::string cmd = "mkdir -p '" + path.substr(0, path.rfind('/')) + "'";
        ASSERT_EQ(system(cmd.c_str()), 0);
        ASSERT_TRUE(WriteNative(path, text));
    }
};

TEST_F(ObstacleTypeTest, SquareOutlineGetsOutwardNormals)
{
    Write("terrain/obstacles/square.xml", kSquare);
    ObstacleType *type = ObstacleType::GetObstacleType("terrain/obstacles/square.xml");
    ASSERT_NE(type, nullptr);
    EXPECT_EQ(CountMessages("Creating obstacle type 'terrain/obstacles/square.xml'\n"), 1);
    EXPECT_STREQ(type->name, "terrain/obstacles/square.xml");
    EXPECT_FLOAT_EQ(type->hit_points, 100.0f);
    ASSERT_EQ(type->num_edges, 4);
    const vec2_t normals[4] = {{0, -1}, {1, 0}, {0, 1}, {-1, 0}};
    for (int i = 0; i < 4; i++) {
        SCOPED_TRACE(i);
        EXPECT_FLOAT_EQ(type->edges[i].normal.x, normals[i].x);
        EXPECT_FLOAT_EQ(type->edges[i].normal.y, normals[i].y);
    }
    EXPECT_FLOAT_EQ(type->radius, sqrtf(200.0f));
    // Shared by exact name; the file's database is not kept by the registry.
    EXPECT_EQ(ObstacleType::GetObstacleType("terrain/obstacles/square.xml"), type);
    EXPECT_EQ(ObstacleType::GetNumTypes(), 1);
    EXPECT_EQ(dman().GetNumberOfDatabases(), 0);
}

struct LoadCase {
    const char *label;
    const char *text;  // null: no file
    int result;
    int edges;
    float hit_points;
    int info_popups;
};

const LoadCase kLoadCases[] = {
    {"missing file", nullptr, 0, 0, 100.0f, 0},
    {"no info array",
     "<root><array id=\"edges\"><node p0x=\"0\" p0y=\"0\" p1x=\"1\" p1y=\"0\" /></array></root>", 0, 0,
     100.0f, 1},
    {"no edges array", "<root><array id=\"info\"><node id=\"bitmap\" value=\"x.png\" /></array></root>", 1,
     0, 100.0f, 0},
    {"hit points",
     "<root><array id=\"info\"><node id=\"hit_points\" value=\"250.5\" /></array>"
     "<array id=\"edges\"><node p0x=\"0\" p0y=\"0\" p1x=\"4\" p1y=\"3\" /></array></root>",
     1, 1, 250.5f, 0},
    {"missing keys count 0",
     "<root><array id=\"info\"><node id=\"bitmap\" value=\"x.png\" /></array><array id=\"edges\"><node p1x=\"5\" /></array></root>", 1, 1, 100.0f, 0},
    {"zero-length edges skipped",
     "<root><array id=\"info\"><node id=\"bitmap\" value=\"x.png\" /></array><array id=\"edges\"><node p0x=\"3\" p0y=\"3\" p1x=\"3\" p1y=\"3\" />"
     "<node p0x=\"0\" p0y=\"0\" p1x=\"0.0000001\" p1y=\"0\" /><node p0x=\"0\" p0y=\"0\" p1x=\"0\" p1y=\"2\" />"
     "</array></root>",
     1, 1, 100.0f, 0},
    {"numbers that are not finite count 0",
     "<root><array id=\"info\"><node id=\"bitmap\" value=\"x.png\" /></array><array id=\"edges\"><node p0x=\"nan\" p0y=\"inf\" p1x=\"1e300\" p1y=\"7\" />"
     "</array></root>",
     1, 1, 100.0f, 0},
};

TEST_F(ObstacleTypeTest, LoadTable)
{
    int n = 0;
    for (const LoadCase &c : kLoadCases) {
        SCOPED_TRACE(c.label);
        datatest::ClearMessages();
        std::string name = "terrain/obstacles/case-" + std::to_string(n++) + ".xml";
        if (c.text)
            Write(name, std::string("<?xml version=\"1.0\" encoding=\"iso-8859-1\"?>\n") + c.text);
        ObstacleType type;
        EXPECT_EQ(type.Load(name.c_str()), c.result);
        EXPECT_STREQ(type.name, name.c_str());
        EXPECT_EQ(type.num_edges, c.edges);
        EXPECT_FLOAT_EQ(type.hit_points, c.hit_points);
        EXPECT_EQ(CountMessages("Array 'info' not found on obstacle '" + name + "'\n"), c.info_popups)
            << datatest::Dump();
        for (int i = 0; i < type.num_edges; i++) {
            EXPECT_TRUE(isfinite(type.edges[i].normal.x) && isfinite(type.edges[i].normal.y));
            EXPECT_NEAR(hypotf(type.edges[i].normal.x, type.edges[i].normal.y), 1.0f, 1e-6f);
        }
        type.Free();
        EXPECT_EQ(type.name, nullptr);
        EXPECT_EQ(type.edges, nullptr);
    }
}

TEST_F(ObstacleTypeTest, MissingFileIsLookedForOnce)
{
    ObstacleType *type = ObstacleType::GetObstacleType("terrain/obstacles/none.xml");
    ASSERT_NE(type, nullptr);
    EXPECT_EQ(type->num_edges, 0);
    EXPECT_EQ(ObstacleType::GetObstacleType("terrain/obstacles/none.xml"), type);
    EXPECT_EQ(CountMessages("Creating obstacle type 'terrain/obstacles/none.xml'\n"), 1);
    EXPECT_EQ(ObstacleType::GetObstacleType(nullptr), nullptr);
}

TEST_F(ObstacleTypeTest, TableHoldsThirtyTwoTypes)
{
    for (int i = 0; i < 32; i++) {
        std::string name = "o" + std::to_string(i) + ".xml";
        ASSERT_NE(ObstacleType::GetObstacleType(name.c_str()), nullptr) << i;
    }
    EXPECT_EQ(CountMessages("ObstacleType limit exceeded (32 obstacle_types).\n"), 0);
    EXPECT_EQ(ObstacleType::GetObstacleType("o33.xml"), nullptr);
    EXPECT_EQ(CountMessages("ObstacleType limit exceeded (32 obstacle_types).\n"), 1);
    // Known names are still found.
    EXPECT_NE(ObstacleType::GetObstacleType("o31.xml"), nullptr);
    EXPECT_EQ(ObstacleType::GetNumTypes(), 32);
    // Names compare exactly.
    EXPECT_EQ(ObstacleType::GetObstacleType("O1.xml"), nullptr);
}

TEST_F(ObstacleTypeTest, PlacedCopyRotatesScalesAndMoves)
{
    Write("sq.xml", kSquare);
    ObstacleType *type = ObstacleType::GetObstacleType("sq.xml");
    ASSERT_NE(type, nullptr);

    Obstacle plain;
    plain.Init(type, {100, 200}, 0.0f, 2.0f);
    ASSERT_EQ(plain.num_edges, 4);
    EXPECT_FLOAT_EQ(plain.radius, type->radius * 2.0f);
    EXPECT_FLOAT_EQ(plain.edges[1].p0.x, 120.0f);
    EXPECT_FLOAT_EQ(plain.edges[1].p1.y, 220.0f);
    EXPECT_FLOAT_EQ(plain.edges[1].normal.x, 1.0f);  // the type's normal, not scaled

    Obstacle turned;
    turned.Init(type, {0, 0}, 0.5f, 1.0f);
    float c = cosf(0.5f), s = sinf(0.5f);
    // Edge 1 runs (10, 0) -> (10, 10): rotated to (10c, 10s) -> (10c - 10s, 10s + 10c).
    EXPECT_NEAR(turned.edges[1].p0.x, 10 * c, 1e-5f);
    EXPECT_NEAR(turned.edges[1].p0.y, 10 * s, 1e-5f);
    EXPECT_NEAR(turned.edges[1].p1.x, 10 * c - 10 * s, 1e-5f);
    // Normal recomputed from the rotated points: (1, 0) turned by 0.5.
    EXPECT_NEAR(turned.edges[1].normal.x, c, 1e-6f);
    EXPECT_NEAR(turned.edges[1].normal.y, s, 1e-6f);

    // Init again replaces the edges; a null type changes nothing.
    turned.Init(type, {5, 5}, 0.0f, 1.0f);
    EXPECT_FLOAT_EQ(turned.edges[0].p0.x, 5.0f);
    turned.Init(nullptr, {50, 50}, 1.0f, 3.0f);
    EXPECT_FLOAT_EQ(turned.pos.x, 5.0f);
    EXPECT_EQ(turned.type, type);
    plain.Free();
    turned.Free();
    EXPECT_EQ(turned.edges, nullptr);
}

TEST_F(ObstacleTypeTest, EdgeNormalOfAPointIsZero)
{
    vec2_t n = ObstacleEdgeNormal({1, 1}, {1, 1});
    EXPECT_EQ(n.x, 0.0f);
    EXPECT_EQ(n.y, 0.0f);
    n = ObstacleEdgeNormal({0, 0}, {3, 4});
    EXPECT_FLOAT_EQ(n.x, 0.8f);
    EXPECT_FLOAT_EQ(n.y, -0.6f);
}

}  // namespace
