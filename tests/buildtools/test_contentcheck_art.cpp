// orvex-contentcheck on pictures the data names for fixed-size slots: a shop icon, an
// achievement icon and image and a mission picture of the right sizes, then one of
// another size at a time. The small fixture breaks other rules (it is no whole game),
// so each fault must add exactly its own problem to what the fixture reports anyway.
#include "tests/buildtools/contentcheck_fixture.h"
#include "tests/gfx/test_image_fixtures.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

using imgtest::RgbaPng;

namespace {

const char kHead[] = "<?xml version=\"1.0\" encoding=\"iso-8859-1\"?>\n<root>\n";

class ArtSizes : public cctest::ContentCheckFixture {
public:
    ArtSizes() : ContentCheckFixture("art", "native/") {}
    void SetUp() override
    {
        ContentCheckFixture::SetUp();
        Put("shop.xml", std::string(kHead) +
                             "\t<array id=\"Upgrades\">\n\t\t<node id=\"HEAL\" name=\"Medic\" desc=\"Heals.\" "
                             "icon=\"shop/heal.png\" type=\"Service\" price=\"300\" />\n\t</array>\n</root>\n");
        Put("achievements/achievements.xml",
             std::string(kHead) +
                 "\t<array id=\"ACHIEVEMENTS\">\n\t\t<node id=\"xenocide\" name=\"Xenocide\" desc=\"d\" "
                 "desc_post=\"p\" icon=\"achievements/xenocide.png\" image=\"achievements/xenocide-big.png\" "
                 "displayname=\"A\" amount=\"3000\" />\n\t</array>\n</root>\n");
        Put("missions.xml", std::string(kHead) +
                                 "\t<array id=\"EXTRAS\">\n\t\t<node id=\"DUNE_SURVIVAL\" mode=\"SURVIVAL\" "
                                 "name=\"Dune\" desc=\"d\" pic=\"missions/pics/dunes.png\" unlock_stars=\"10\" />\n"
                                 "\t</array>\n</root>\n");
        Picture("shop/heal.png", 77, 77);
        Picture("achievements/xenocide.png", 64, 64);
        Picture("achievements/xenocide-big.png", 64, 64);
        Picture("missions/pics/dunes.png", 480, 270);
    }
    void Picture(const std::string &rel, int w, int h) { PutBytes(rel, RgbaPng(w, h, 1)); }

    // The problem lines of a check of the fixture.
    std::set<std::string> Problems()
    {
        std::vector<std::string> lines;
        EXPECT_NE(Run("native", &lines), -1);
        std::set<std::string> problems;
        for (const std::string &line : lines)
            if (line.compare(0, 9, "content: ") == 0)
                problems.insert(line);
        return problems;
    }
};

TEST_F(ArtSizes, PicturesOfTheirSlotSizesPass)
{
    for (const std::string &line : Problems())
        EXPECT_EQ(line.find(" x "), std::string::npos) << line;
}

TEST_F(ArtSizes, PictureOfAnotherSizeIsReportedInTheFileNamingIt)
{
    struct Case {
        const char *rel;
        int w, h;
        const char *line;
    };
    const Case cases[] = {
        {"shop/heal.png", 64, 64,
         "content: shop.xml: icon 'shop/heal.png' of 'HEAL' is 64 x 64 (the shop lays icons out at 77 x 77)"},
        {"achievements/xenocide.png", 77, 77,
         "content: achievements/achievements.xml: icon 'achievements/xenocide.png' of 'xenocide' is 77 x 77 (the "
         "achievements screen lays icons out at 64 x 64)"},
        {"achievements/xenocide-big.png", 128, 128,
         "content: achievements/achievements.xml: image 'achievements/xenocide-big.png' of 'xenocide' is 128 x 128 "
         "(the achievements screen lays images out at 64 x 64)"},
        {"missions/pics/dunes.png", 640, 360,
         "content: missions.xml: pic 'missions/pics/dunes.png' of 'DUNE_SURVIVAL' is 640 x 360 (the mission "
         "screens lay pictures out at 480 x 270)"},
    };
    const std::set<std::string> base = Problems();
    for (const Case &c : cases) {
        SCOPED_TRACE(c.rel);
        TearDown();
        SetUp();
        Picture(c.rel, c.w, c.h);
        std::set<std::string> added;
        for (const std::string &line : Problems())
            if (!base.count(line))
                added.insert(line);
        EXPECT_EQ(added, std::set<std::string>{c.line});
    }
}

}  // namespace
