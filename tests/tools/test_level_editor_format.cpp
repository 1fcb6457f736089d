// The terrain file the level editor writes and reads back.
#include "tools/terrain-format.h"

#include "app/services/dataman.h"
#include "game/obstacles.h"
#include "ovrecords.h"
#include "tests/game/game_fixture.h"

#include <gtest/gtest.h>

#include <math.h>
#include <string.h>

namespace {

using gametest::GameTest;
using apptest::WriteFile;

const char kHead[] =
    "<?xml version=\"1.0\" encoding=\"iso-8859-1\"?>\n"
    "<root>\n"
    "\t<array id=\"environment\">\n";

TerrainDecal Decal(ov_bitmap_t *b, float x, float y, float angle, float a, int blend)
{
    return TerrainDecal{x, y, b, 1.0f, 0.5f, 0.25f, a, angle, 1.5f, blend};
}

TEST(TerrainFormat, EmptyEditorWritesBothEmptyArrays)
{
    std::string text = FormatTerrain("bg/sand.png", {512.9f, 384.2f}, nullptr, 0, nullptr, 0);
    EXPECT_EQ(std::string(kHead) +
                  "\t\t<node id=\"background\" value=\"bg/sand.png\" />\n"
                  "\t\t<node id=\"bunker\" x=\"512\" y=\"384\" />\n"
                  "\t</array>\n\n"
                  "\t<array id=\"environment_decals\">\n"
                  "\t</array>\n\n"
                  "\t<array id=\"obstacles\">\n"
                  "\t</array>\n\n"
                  "</root>\n",
              text);
}

TEST(TerrainFormat, DecalLinesTruncateConvertAndBlend)
{
    ov_bitmap_t bitmap{};
    bitmap.name = const_cast<char *>("decals/crack.png");
    TerrainDecal decals[] = {
        Decal(&bitmap, 10.9f, 20.0f, 0.5f, 1.0f, 0),
        Decal(&bitmap, -0.5f, 7.7f, 0.0f, 0.25f, 1),
    };
    std::string text = FormatTerrain("", {0, 0}, decals, 2, nullptr, 0);
    EXPECT_NE(std::string::npos,
              text.find("\t\t<node bitmap=\"decals/crack.png\" x=\"10\" y=\"20\" angle=\"28.65\" scale=\"1.5\" "
                        "r=\"1\" g=\"0.5\" b=\"0.25\" a=\"1\"  />\n"))
        << text;
    EXPECT_NE(std::string::npos,
              text.find("\t\t<node bitmap=\"decals/crack.png\" x=\"0\" y=\"7\" angle=\"0.00\" scale=\"1.5\" "
                        "r=\"1\" g=\"0.5\" b=\"0.25\" a=\"0.25\" blend_mode=\"ADDITIVE\" />\n"))
        << text;
    EXPECT_LT(text.find("x=\"10\" y=\"20\""), text.find("x=\"0\" y=\"7\""));  // placing order
}

TEST(TerrainFormat, ObstacleLinesSkipAnObstacleWithoutType)
{
    ObstacleType type;
    type.name = const_cast<char *>("obstacles/rock.xml");
    Obstacle placed[3];
    placed[0].type = &type;
    placed[0].pos = {33.6f, -4.2f};
    placed[0].angle = 3.1415927f;
    placed[0].scale = 0.75f;
    placed[2].type = &type;
    placed[2].pos = {1, 2};
    std::string text = FormatTerrain("bg.png", {1, 1}, nullptr, 0, placed, 3);
    EXPECT_NE(std::string::npos,
              text.find("\t<array id=\"obstacles\">\n"
                        "\t\t<node obstacle=\"obstacles/rock.xml\" x=\"33\" y=\"-4\" angle=\"180\" scale=\"0.75\" />\n"
                        "\t\t<node obstacle=\"obstacles/rock.xml\" x=\"1\" y=\"2\" angle=\"0\" scale=\"1\" />\n"
                        "\t</array>\n\n</root>\n"))
        << text;
    type.name = nullptr;  // not owned
}

TEST(TerrainFormat, NamesAreEscapedAsTheDatabaseWriterDoes)
{
    std::string text = FormatTerrain("a\"b\\c&d", {0, 0}, nullptr, 0, nullptr, 0);
    EXPECT_NE(std::string::npos, text.find("value=\"a\\\"b\\\\c&amp;d\""));
}

class TerrainRead : public GameTest {
protected:
    void SetUp() override
    {
        GameTest::SetUp();
        StartGame();
    }
    // The text as a database file (the reader expects the declaration before "<root>").
    bool Read(const std::string &file, const std::string &text, TerrainImport *out)
    {
        WriteFile(file, text.compare(0, 5, "<?xml") == 0 ? text : "<?xml version=\"1.0\"?>\n" + text);
        DMDatabase db;
        db.Load(file.c_str());
        return ReadTerrain(db, out);
    }
};

TEST_F(TerrainRead, MissingAttributesTakeTheDefaults)
{
    TerrainImport t;
    ASSERT_TRUE(Read("t.xml",
                     "<root><array id=\"environment\"><node id=\"background\" /><node id=\"bunker\" y=\"30\" />"
                     "</array><array id=\"environment_decals\"><node bitmap=\"d.png\" y=\"5\" "
                     "blend_mode=\"additive\" /></array><array id=\"obstacles\"><node obstacle=\"o.xml\" "
                     "angle=\"90\" /></array></root>",
                     &t));
    EXPECT_FALSE(t.has_background);
    EXPECT_FLOAT_EQ(200.0f, t.bunker.x);
    EXPECT_FLOAT_EQ(30.0f, t.bunker.y);
    ASSERT_EQ(1u, t.decals.size());
    const TerrainImport::Decal &d = t.decals[0];
    EXPECT_EQ("d.png", d.bitmap);
    EXPECT_FLOAT_EQ(100.0f, d.x);
    EXPECT_FLOAT_EQ(5.0f, d.y);
    EXPECT_FLOAT_EQ(0.0f, d.angle);
    EXPECT_FLOAT_EQ(1.0f, d.scale);
    EXPECT_FLOAT_EQ(1.0f, d.r);
    EXPECT_FLOAT_EQ(1.0f, d.g);
    EXPECT_FLOAT_EQ(1.0f, d.b);
    EXPECT_FLOAT_EQ(1.0f, d.a);
    EXPECT_EQ(0, d.blend);  // only exactly "ADDITIVE"
    ASSERT_EQ(1u, t.obstacles.size());
    EXPECT_EQ("o.xml", t.obstacles[0].obstacle);
    EXPECT_FLOAT_EQ(100.0f, t.obstacles[0].x);
    EXPECT_FLOAT_EQ(100.0f, t.obstacles[0].y);
    EXPECT_NEAR(1.5707963f, t.obstacles[0].angle, 1e-6);
    EXPECT_FLOAT_EQ(1.0f, t.obstacles[0].scale);
}

TEST_F(TerrainRead, WrittenTextReadsBack)
{
    ov_bitmap_t bitmap{};
    bitmap.name = const_cast<char *>("decals/q\"uote.png");
    TerrainDecal decal = Decal(&bitmap, 40, 50, 0.5f, 0.5f, 1);
    TerrainImport t;
    ASSERT_TRUE(Read("back.xml", FormatTerrain("bg/x.png", {300, 200}, &decal, 1, nullptr, 0), &t));
    EXPECT_TRUE(t.has_background);
    EXPECT_EQ("bg/x.png", t.background);
    EXPECT_FLOAT_EQ(300.0f, t.bunker.x);
    ASSERT_EQ(1u, t.decals.size());
    EXPECT_EQ("decals/q\"uote.png", t.decals[0].bitmap);
    EXPECT_NEAR(0.5f, t.decals[0].angle, 1e-4);
    EXPECT_EQ(1, t.decals[0].blend);
    EXPECT_FLOAT_EQ(0.5f, t.decals[0].a);
    EXPECT_TRUE(t.obstacles.empty());
}

// Numbers that are not finite take their defaults and positions stay within the range,
// so the terrain written back from them is whole numbers (found by fuzzing: an infinite
// x was truncated to an int).
TEST_F(TerrainRead, NumbersOutOfRangeAreHeldAndWriteBack)
{
    TerrainImport t;
    ASSERT_TRUE(Read("far.xml",
                     "<root><array id=\"environment\"><node id=\"bunker\" x=\"1e999\" y=\"nan\" /></array>"
                     "<array id=\"environment_decals\"><node bitmap=\"d.png\" x=\"-1e30\" y=\"-inf\" angle=\"inf\" "
                     "scale=\"nan\" /></array><array id=\"obstacles\"><node obstacle=\"o.xml\" x=\"3e9\" "
                     "y=\"-2e6\" /></array></root>",
                     &t));
    EXPECT_FLOAT_EQ(200.0f, t.bunker.x);
    EXPECT_FLOAT_EQ(200.0f, t.bunker.y);
    ASSERT_EQ(1u, t.decals.size());
    EXPECT_FLOAT_EQ(-kTerrainMaxCoordinate, t.decals[0].x);
    EXPECT_FLOAT_EQ(100.0f, t.decals[0].y);
    EXPECT_FLOAT_EQ(0.0f, t.decals[0].angle);
    EXPECT_FLOAT_EQ(1.0f, t.decals[0].scale);
    ASSERT_EQ(1u, t.obstacles.size());
    EXPECT_FLOAT_EQ(kTerrainMaxCoordinate, t.obstacles[0].x);
    EXPECT_FLOAT_EQ(-kTerrainMaxCoordinate, t.obstacles[0].y);

    ov_bitmap_t bitmap{};
    bitmap.name = const_cast<char *>("d.png");
    TerrainDecal far = Decal(&bitmap, INFINITY, -3e9f, 0.0f, 1.0f, 0);
    std::string text = FormatTerrain("", {NAN, 5e9f}, &far, 1, nullptr, 0);
    EXPECT_NE(text.find("<node id=\"bunker\" x=\"0\" y=\"1000000\" />"), std::string::npos) << text;
    EXPECT_NE(text.find("x=\"0\" y=\"-1000000\""), std::string::npos) << text;
}

TEST_F(TerrainRead, AFileWithoutTheArraysIsRefusedAndLeavesTheResultAlone)
{
    TerrainImport t;
    t.background = "kept";
    EXPECT_FALSE(Read("other.xml", "<root><array id=\"waves\"><node type=\"WAIT\" /></array></root>", &t));
    EXPECT_EQ("kept", t.background);
    DMDatabase missing;
    missing.Load("no-such-terrain.xml");
    EXPECT_FALSE(ReadTerrain(missing, &t));
}

}  // namespace
