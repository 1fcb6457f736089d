// The outline file the obstacle editor writes, read back by the world's obstacle types.
#include "tools/obstacle-editor-outline.h"

#include "game/obstacles.h"
#include "tests/game/game_fixture.h"

#include <gtest/gtest.h>

#include <math.h>

namespace {

using apptest::WriteFile;
using gametest::GameTest;

const char kInfo[] =
    "<?xml version=\"1.0\" encoding=\"iso-8859-1\"?>\n\n"
    "<root>\n\n"
    " <array id=\"info\">\n"
    "  <node id=\"bitmap\" value=\"obstacles/rock.png\" />\n";

TEST(ObstacleOutline, ThreeVerticesCloseThePolygon)
{
    vec2_t v[] = {{0, 0}, {10, 0}, {0, 10}};
    EXPECT_EQ(std::string(kInfo) +
                  " </array>\n\n"
                  " <array id=\"edges\">\n"
                  "  <node p0x=\"0\" p0y=\"0\"  p1x=\"10\" p1y=\"0\" />\n"
                  "  <node p0x=\"10\" p0y=\"0\"  p1x=\"0\" p1y=\"10\" />\n"
                  "  <node p0x=\"0\" p0y=\"10\"  p1x=\"0\" p1y=\"0\" />\n"
                  " </array>\n\n"
                  "</root>\n",
              FormatObstacleOutline("obstacles/rock.png", 100.0f, v, 3));
}

TEST(ObstacleOutline, TruncatesKeepsHitPointsAndDropsZeroLengthEdges)
{
    struct Case {
        std::vector<vec2_t> vertices;
        float hit_points;
        std::string edges;
    } cases[] = {
        {{{-2.7f, 3.9f}, {5, 5}}, 100.0f,
         "  <node p0x=\"-2\" p0y=\"3\"  p1x=\"5\" p1y=\"5\" />\n  <node p0x=\"5\" p0y=\"5\"  p1x=\"-2\" p1y=\"3\" />\n"},
        {{{1, 1}, {1.5f, 1.2f}, {4, 1}}, 100.0f,
         "  <node p0x=\"1\" p0y=\"1\"  p1x=\"4\" p1y=\"1\" />\n  <node p0x=\"4\" p0y=\"1\"  p1x=\"1\" p1y=\"1\" />\n"},
        {{{3, 3}}, 250.0f, ""},
        {{}, 100.0f, ""},
    };
    for (const Case &c : cases) {
        std::string text = FormatObstacleOutline("obstacles/rock.png", c.hit_points, c.vertices.data(),
                                                 (int)c.vertices.size());
        std::string info = std::string(kInfo) +
                           (c.hit_points != 100.0f ? "  <node id=\"hit_points\" value=\"250\" />\n" : "");
        EXPECT_EQ(info + " </array>\n\n <array id=\"edges\">\n" + c.edges + " </array>\n\n</root>\n", text);
    }
}

class OutlineLoad : public GameTest {
protected:
    void SetUp() override
    {
        GameTest::SetUp();
        StartGame();
    }
    void TearDown() override
    {
        type.Free();
        GameTest::TearDown();
    }
    ObstacleType type;
};

TEST_F(OutlineLoad, AClockwiseOutlineLoadsWithOutwardNormalsAndItsHitPoints)
{
    // A square listed clockwise on screen (y down).
    vec2_t v[] = {{-10, -10}, {10, -10}, {10, 10}, {-10, 10}};
    WriteFile("obstacles/square.xml", FormatObstacleOutline("obstacles/rock.png", 250.0f, v, 4));
    ASSERT_EQ(1, type.Load("obstacles/square.xml"));
    EXPECT_FLOAT_EQ(250.0f, type.hit_points);
    ASSERT_EQ(4, type.num_edges);
    for (int i = 0; i < 4; i++) {
        const ObstacleEdge &e = type.edges[i];
        vec2_t mid = {(e.p0.x + e.p1.x) / 2, (e.p0.y + e.p1.y) / 2};
        // Outward: the normal points away from the centre, unit length.
        EXPECT_GT(mid.x * e.normal.x + mid.y * e.normal.y, 0.0f) << "edge " << i;
        EXPECT_NEAR(1.0f, hypotf(e.normal.x, e.normal.y), 1e-5) << "edge " << i;
    }
}

}  // namespace
