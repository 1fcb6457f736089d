// orvex-contentcheck on the test player's navigation hints ("ai-player.xml"): a file
// whose screens and components exist passes; then one fault at a time, each reported
// with its own message; a screen without a route, and mission ids the player does not
// know.
#include "tests/buildtools/contentcheck_fixture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const char kHead[] = "<?xml version=\"1.0\" encoding=\"iso-8859-1\"?>\n<root>\n";

std::string Hints(const std::string &navigation, const std::string &forward)
{
    return std::string(kHead) + "<array id=\"navigation\">\n" + navigation + "</array>\n<array id=\"forward\">\n" +
           forward + "</array>\n</root>\n";
}

const char kNavigation[] = "<node id=\"Shop\" forward=\"OK\" probability=\"100\" />\n"
                           "<node id=\"PopupLoadGame\" forward=\"Yes\" />\n";
const char kForward[] = "<node id=\"OK\" probability=\"100\" />\n<node id=\"Yes\" probability=\"0\" />\n";

class ContentCheckAiPlayer : public cctest::ContentCheckFixture {
public:
    ContentCheckAiPlayer() : ContentCheckFixture("ai", "native/") {}
    void SetUp() override
    {
        ContentCheckFixture::SetUp();
        Put("ui/shop.lua", "UIEvents (\"ui/shop-events.lua\")\nCreateComp (\"Button\", \"OK\")\n");
        Put("ui/popup-load-game.lua",
              "UIEvents (\"ui/popup-load-game-events.lua\")\nCreateComp (\"Button\", \"Yes\")\n");
    }
    // The check's lines about the hints file for this text of it.
    std::vector<std::string> Problems(const std::string &hints)
    {
        Put("ai-player.xml", hints);
        std::vector<std::string> lines, out;
        EXPECT_NE(Run("native", &lines), -1);
        for (const std::string &line : lines)
            if (line.find("ai-player.xml") != std::string::npos || line.find("test player") != std::string::npos)
                out.push_back(line);
        return out;
    }
};

TEST_F(ContentCheckAiPlayer, HintsNamingExistingScreensAndComponentsPass)
{
    EXPECT_EQ(Problems(Hints(kNavigation, kForward)), std::vector<std::string>());
}

TEST_F(ContentCheckAiPlayer, EachFaultIsReportedWithItsMessage)
{
    struct Case {
        std::string navigation, forward, message;
    } cases[] = {
        {std::string(kNavigation) + "<node id=\"Nowhere\" forward=\"OK\" />\n", kForward,
         "navigation names unknown screen 'Nowhere'"},
        {"<node id=\"Shop\" forward=\"Buy\" />\n", kForward, "navigation 'Shop': layout 'ui/shop.lua' has no component 'Buy'"},
        {"<node id=\"Options\" forward=\"Back\" />\n", kForward,
         "navigation 'Options': the screen's layout 'ui/options.lua' is missing"},
        {"<node id=\"Shop\" probability=\"50\" />\n", kForward, "navigation 'Shop' has no 'forward' component"},
        {kNavigation, std::string(kForward) + "<node id=\"Zzz\" />\n", "forward names component 'Zzz' that no layout creates"},
        {"<node id=\"Shop\" forward=\"OK\" probability=\"150\" />\n", kForward,
         "navigation 'Shop': probability '150' is not a whole percentage of 0 to 100"},
        {kNavigation, "<node id=\"OK\" probability=\"half\" />\n",
         "forward 'OK': probability 'half' is not a whole percentage of 0 to 100"},
    };
    for (const Case &c : cases) {
        std::vector<std::string> lines = Problems(Hints(c.navigation, c.forward));
        ASSERT_EQ(lines.size(), 1u) << c.message;
        EXPECT_NE(lines[0].find(c.message), std::string::npos) << lines[0];
    }
    // Without its arrays: both reported, and the two screens that only the hints served
    // lose their route.
    std::vector<std::string> lines = Problems(std::string(kHead) + "</root>\n");
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_NE(lines[0].find("has no array 'navigation'"), std::string::npos) << lines[0];
    EXPECT_NE(lines[1].find("has no array 'forward'"), std::string::npos) << lines[1];
}

TEST_F(ContentCheckAiPlayer, AScreenWithoutARouteIsReported)
{
    // "NewProfile" is answered "Cancel"; its layout has none, and no hint helps.
    Put("ui/new-profile.lua", "UIEvents (\"ui/new-profile-events.lua\")\nCreateComp (\"Button\", \"Done\")\n");
    std::vector<std::string> lines = Problems(Hints(kNavigation, kForward));
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NE(lines[0].find("screen 'NewProfile' offers the test player nothing to press (layout "
                            "'ui/new-profile.lua' has none of Cancel"),
              std::string::npos)
        << lines[0];
    // A forward hint naming its component is a route.
    EXPECT_EQ(Problems(Hints(kNavigation, std::string(kForward) + "<node id=\"Done\" />\n")),
              std::vector<std::string>());
}

TEST_F(ContentCheckAiPlayer, MissionIdsThePlayerKnows)
{
    std::string chapters;
    for (int c = 1; c <= 3; c++)
        chapters += "<array id=\"CHAPTER" + std::to_string(c) + "\">\n<node id=\"MISSION" + std::to_string(c) +
                    "_10\" />\n</array>\n";
    Put("missions.xml", std::string(kHead) + chapters +
                              "<array id=\"EXTRAS\">\n<node id=\"INCOMING_MODE\" mode=\"INCOMING\" />\n</array>\n</root>\n");
    EXPECT_EQ(Problems(Hints(kNavigation, kForward)), std::vector<std::string>());
    Put("missions.xml", std::string(kHead) + chapters.substr(0, chapters.find("MISSION1_10")) + "MISSION1_9" +
                              chapters.substr(chapters.find("MISSION1_10") + 11) +
                              "<array id=\"EXTRAS\">\n<node id=\"X_INCOMING\" mode=\"incoming\" />\n</array>\n</root>\n");
    std::vector<std::string> lines = Problems(Hints(kNavigation, kForward));
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_NE(lines[0].find("array 'CHAPTER1' does not end with 'MISSION1_10'"), std::string::npos) << lines[0];
    EXPECT_NE(lines[1].find("the INCOMING mission is 'X_INCOMING', not 'INCOMING_MODE'"), std::string::npos) << lines[1];
}

}  // namespace
