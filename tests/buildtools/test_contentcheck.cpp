// orvex-contentcheck run as the build runs it, on fixture program directories written
// here: a small tree that passes, then one fault at a time, each reported with its own
// message and exit status 1; the ignore list; and the built program directory, copied
// and broken in one file, reported for that file.
#include "tests/buildtools/contentcheck_fixture.h"
#include "tests/gfx/test_image_fixtures.h"

#include <gtest/gtest.h>

#include <math.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include <functional>
#include <set>
#include <string>
#include <vector>

using imgtest::ReadBytes;
using imgtest::RgbaPng;
using imgtest::WriteBytes;

namespace {

std::string Str(const std::vector<uint8_t> &b)
{
    return std::string(b.begin(), b.end());
}

std::vector<uint8_t> Bytes(const std::string &s)
{
    return std::vector<uint8_t>(s.begin(), s.end());
}

// A 16-bit PCM WAV: 0.2 s of a 440 Hz sine peaking at -1 dBFS with 5 ms fades.
std::vector<uint8_t> Wav(int rate, int channels)
{
    int frames = rate / 5, fade = rate / 200;
    std::vector<int16_t> s;
    for (int i = 0; i < frames; i++) {
        double env = std::min(1.0, std::min(i, frames - 1 - i) / (double)fade);
        int16_t v = (int16_t)lround(29204 * env * sin(2 * 3.14159265358979 * 440 * i / rate));
        for (int c = 0; c < channels; c++)
            s.push_back(v);
    }
    uint32_t data = (uint32_t)s.size() * 2;
    std::vector<uint8_t> out;
    auto u32 = [&](uint32_t v) {
        for (int k = 0; k < 4; k++)
            out.push_back((uint8_t)(v >> (8 * k)));
    };
    auto u16 = [&](uint16_t v) {
        out.push_back((uint8_t)v);
        out.push_back((uint8_t)(v >> 8));
    };
    out.insert(out.end(), {'R', 'I', 'F', 'F'});
    u32(36 + data);
    out.insert(out.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    u32(16);
    u16(1);
    u16((uint16_t)channels);
    u32((uint32_t)rate);
    u32((uint32_t)(rate * channels * 2));
    u16((uint16_t)(channels * 2));
    u16(16);
    out.insert(out.end(), {'d', 'a', 't', 'a'});
    u32(data);
    for (int16_t v : s)
        u16((uint16_t)v);
    return out;
}

const char kDecl[] = "<?xml version=\"1.0\" encoding=\"iso-8859-1\"?>\n";

std::string Texts(const std::string &nodes)
{
    return std::string(kDecl) + "<root>\n\t<array id=\"tutorial\">\n" + nodes + "\t</array>\n</root>\n";
}

const char kTutorials[] =
    "\t\t<node id=\"MOVING\" text=\"Drag from a trooper.\" flags=\"\" />\n"
    "\t\t<node id=\"TACTICAL\" text=\"Plan in \\\"peace\\\".\" flags=\"TUTORIAL_PAUSES\" />\n";

const char kEffect[] =
    "-- fxs/spark.lua\nFXParm (\"num_parts\", 2);\nFXParm (\"bitmap\", \"fxs/spark.png\");\n"
    "FXParm (\"scale\", 0.5, 1);\nFXParm (\"sound\", \"sfx/click\");\nFXParm (\"death_func\", \"GroundDecal\");\n";

const char kLayout[] =
    "UIEvents (\"ui/menu-events.lua\");\n\nCreateComp (\"Marker\", \"Panel\");\n"
    "SetProperty (\"position\", 0.5, 0.5);\n\nCreateComp (\"Button\", \"Play\");\n"
    "SetProperty (\"parent\", \"Panel\");\nSetProperty (\"position\", 0, 0.1);\n"
    "SetProperty (\"button.bm_icon\", \"terrain/obstacles/rock.png\");\nSetProperty (\"button.text\", \"Play\");\n";

const char kEvents[] = "function OnLoad ()\nend\n\nfunction OnClick (name)\nend\n";

std::string Outline(const std::vector<std::pair<int, int>> &points, bool close = true)
{
    std::string s = std::string(kDecl) +
                    "\n<root>\n\n <array id=\"info\">\n  <node id=\"bitmap\" value=\"terrain/obstacles/rock.png\" />\n"
                    " </array>\n\n <array id=\"edges\">\n";
    size_t n = points.size();
    for (size_t i = 0; i < n; i++) {
        std::pair<int, int> a = points[i], b = points[(i + 1) % n];
        if (!close && i + 1 == n)
            b = {b.first + 3, b.second};
        char line[128];
        snprintf(line, sizeof line, "  <node p0x=\"%d\" p0y=\"%d\"  p1x=\"%d\" p1y=\"%d\" />\n", a.first, a.second,
                 b.first, b.second);
        s += line;
    }
    return s + " </array>\n\n</root>\n";
}

// Clockwise on screen (y down): right along the top, down the right side.
const std::vector<std::pair<int, int>> kSquare = {{-10, -10}, {10, -10}, {10, 10}, {-10, 10}};

class ContentCheck : public cctest::ContentCheckFixture {
public:
    ContentCheck() : ContentCheckFixture("test", "native/") {}
    void SetUp() override
    {
        ContentCheckFixture::SetUp();
        WriteTree();
    }

    std::string Res(const std::string &rel) const { return dir_ + "/native/" + rel; }

    // A small program directory that passes, with one source file of "code".
    void WriteTree()
    {
        Put("prog.xml", std::string(kDecl) +
                            "<root>\n\t<array id=\"PARAMETERS\">\n\t\t<node id=\"APPLICATION\" program_id=\"t\" "
                            "reference_resolution=\"1024x768\" features=\"MOUSE_INTERFACE,NEWS\" />\n\t</array>\n"
                            "</root>\n");
        Put("texts.xml", Texts(kTutorials));
        Put("fxs/spark.lua", kEffect);
        PutBytes("fxs/spark.png", RgbaPng(16, 16, 1));
        PutBytes("data-sfx-WAV_22050_MONO/sfx/click.wav", Wav(22050, 1));
        Put("ui/menu.lua", kLayout);
        Put("ui/menu-events.lua", kEvents);
        PutBytes("terrain/obstacles/rock.png", RgbaPng(32, 32, 2));
        Put("terrain/obstacles/rock.xml", Outline(kSquare));
        ASSERT_TRUE(WriteBytes(dir_ + "/src/app/menu.cpp",
                               Bytes("// The menu.\nconst char *kClick =\n    \"sfx/click\";\n"
                                     "const char *kSaved = \"user://saved.xml\", *kFormat = \"level-%d.xml\";\n")));
    }

    // Runs the check on the fixture; its exit status, its output lines in out.
    int Run(std::vector<std::string> *out, const std::string &extra = "")
    {
        return ContentCheckFixture::Run("--source-root . --code src " + extra + " native", out);
    }
};

using cctest::Joined;

TEST_F(ContentCheck, FixtureTreePasses)
{
    std::vector<std::string> out;
    EXPECT_EQ(Run(&out), 0) << Joined(out);
    ASSERT_EQ(out.size(), 1u) << Joined(out);
    EXPECT_EQ(out[0], "content check: 0 problems in 9 files");
}

// One fault each: the check names it with its message and fails.
TEST_F(ContentCheck, EachFaultIsReportedWithItsMessage)
{
    struct Case {
        const char *what;
        std::function<void(ContentCheck *)> fault;
        const char *line;
    };
    const std::string many_slots = [] {
        std::string s = "-- 200 bursts\n";
        for (int i = 0; i < 199; i++)
            s += "AddFX ();\n";
        return s;
    }();
    const std::vector<Case> cases = {
        {"missing bitmap named by an effect", [](ContentCheck *t) { t->Remove("fxs/spark.png"); },
         "content: fxs/spark.lua: names 'fxs/spark.png', which is not in the program directory"},
        {"byte-order mark", [](ContentCheck *t) { t->Put("texts.xml", "\xEF\xBB\xBF" + Texts(kTutorials)); },
         "content: texts.xml: starts with a byte-order mark"},
        {"opening and closing node",
         [](ContentCheck *t) {
             t->Put("texts.xml", Texts(std::string(kTutorials) + "\t\t<node id=\"FIRING\" text=\"Fire.\" flags=\"\">"
                                                                   "</node>\n"));
         },
         "content: texts.xml: line 6: <node> with a closing tag reads as two nodes (write <node ... />)"},
        {"unescaped quote",
         [](ContentCheck *t) {
             t->Put("texts.xml", Texts(std::string(kTutorials) + "\t\t<node id=\"FIRING\" text=\"Say \"fire now\" "
                                                                   "please\" flags=\"\" />\n"));
         },
         "content: texts.xml: line 6: unescaped double quote in the value of 'text' (write \\\")"},
        {"non-ASCII byte",
         [](ContentCheck *t) {
             t->Put("texts.xml", Texts(std::string(kTutorials) + "\t\t<node id=\"FIRING\" text=\"Caf\xC3\xA9\" "
                                                                   "flags=\"\" />\n"));
         },
         "content: texts.xml: line 6: byte 0xc3 is not printable ASCII"},
        {"duplicate id",
         [](ContentCheck *t) {
             t->Put("texts.xml", Texts(std::string(kTutorials) + "\t\t<node id=\"MOVING\" text=\"Again.\" flags=\"\" />\n"));
         },
         "content: texts.xml: duplicate id 'MOVING' in array 'tutorial'"},
        {"unknown burst key",
         [](ContentCheck *t) { t->Put("fxs/spark.lua", std::string(kEffect) + "FXParm (\"colour_r\", 1, 1);\n"); },
         "content: fxs/spark.lua: burst 1: unknown burst key 'colour_r'"},
        {"burst without bitmap",
         [](ContentCheck *t) { t->Put("fxs/spark.lua", std::string(kEffect) + "AddFX ();\nFXParm (\"num_parts\", 3);\n"); },
         "content: fxs/spark.lua: burst 2 emits 3 particles but has no bitmap (or text and font)"},
        {"201 slots", [&](ContentCheck *t) { t->Put("fxs/many.lua", many_slots); },
         "content: fxs/: the effects use 201 of the 256 effect slots (at most 200)"},
        {"Lua syntax error",
         [](ContentCheck *t) { t->Put("fxs/spark.lua", std::string(kEffect) + "FXParm (\"scale\" 1, 2);\n"); },
         "content: fxs/spark.lua: does not compile: line 7: ')' expected near '1'"},
        {"layout without UIEvents",
         [](ContentCheck *t) { t->Put("ui/menu.lua", std::string(kLayout).substr(strlen("UIEvents (\"ui/menu-events.lua\");\n"))); },
         "content: ui/menu.lua: does not start with UIEvents (\"ui/menu-events.lua\")"},
        {"layout setting alpha",
         [](ContentCheck *t) { t->Put("ui/menu.lua", std::string(kLayout) + "SetProperty (\"alpha\", 0.5);\n"); },
         "content: ui/menu.lua: component 'Play': \"alpha\" is not a property the UI script writer exports (set it in "
         "a template or in OnLoad)"},
        {"events file without OnClick", [](ContentCheck *t) { t->Put("ui/menu-events.lua", "function OnLoad ()\nend\n"); },
         "content: ui/menu-events.lua: defines no function OnClick (the framework calls it)"},
        {"events file without OnLoad", [](ContentCheck *t) { t->Put("ui/menu-events.lua", "function OnClick (name)\nend\n"); },
         "content: ui/menu-events.lua: defines no function OnLoad (the framework calls it)"},
        {"shop layout without ItemsStart",
         [](ContentCheck *t) {
             std::string layout = "UIEvents (\"ui/shop-events.lua\");\n";
             const char *const comps[][2] = {
                 {"Button", "Buy"},      {"Textbox", "Name"},     {"Textbox", "Desc"},         {"Textbox", "Cost"},
                 {"Button", "OK"},       {"Textbox", "Money"},    {"Textbox", "TrooperCount"}, {"TouchField", "TF"},
                 {"Marker", "ClipUL"},   {"Marker", "ClipBR"},    {"Marker", "Bunker"},        {"Marker", "BunkerHPEnd"},
                 {"Marker", "BunkerRepair"}, {"Slider", "Health"}};
             for (const auto &c : comps)
                 layout += std::string("\nCreateComp (\"") + c[0] + "\", \"" + c[1] + "\");\n";
             layout += "\nCreateComp (\"Button\", \"Cheat\");\nSetProperty (\"required_features\", \"DEVELOPER_MODE\");\n";
             layout += "\nCreateComp (\"Marker\", \"BunkerHP\");\nSetProperty (\"custom_draw\", 1);\n";
             t->Put("ui/shop.lua", layout);
             t->Put("ui/shop-events.lua", kEvents);
         },
         "content: ui/shop.lua: has no component 'ItemsStart' (its screen addresses it)"},
        {"level editor whose Save is a text",
         [](ContentCheck *t) {
             std::string layout = "UIEvents (\"ui/level-editor-events.lua\");\n";
             const char *const comps[][2] = {{"NinePatch", "panel"}, {"Marker", "mode"},   {"Textbox", "Save"},
                                             {"Button", "Load"},     {"Button", "Switch"}, {"Button", "New"},
                                             {"Button", "Back"}};
             for (const auto &c : comps)
                 layout += std::string("\nCreateComp (\"") + c[0] + "\", \"" + c[1] + "\");\n";
             t->Put("ui/level-editor.lua", layout);
             t->Put("ui/level-editor-events.lua", kEvents);
         },
         "content: ui/level-editor.lua: component 'Save' is a Textbox, not a Button"},
        {"counter-clockwise outline",
         [](ContentCheck *t) {
             t->Put("terrain/obstacles/rock.xml", Outline({{-10, -10}, {-10, 10}, {10, 10}, {10, -10}}));
         },
         "content: terrain/obstacles/rock.xml: is counter-clockwise on screen (outlines run clockwise)"},
        {"open outline", [](ContentCheck *t) { t->Put("terrain/obstacles/rock.xml", Outline(kSquare, false)); },
         "content: terrain/obstacles/rock.xml: is open: edge 4 ends at (-7, -10) but edge 1 starts at (-10, -10)"},
        {"4096-pixel image", [](ContentCheck *t) { t->PutBytes("fxs/spark.png", RgbaPng(4096, 1, 3)); },
         "content: fxs/spark.png: is 4096 x 1: no side may be 0 or above 2048"},
        {"stereo 44.1 kHz WAV",
         [](ContentCheck *t) { t->PutBytes("data-sfx-WAV_22050_MONO/sfx/click.wav", Wav(44100, 2)); },
         "content: data-sfx-WAV_22050_MONO/sfx/click.wav: is 44100 Hz, 2 channels, 16-bit: effects are 22050 Hz mono "
         "16-bit PCM"},
        {"missing code-named sound",
         [](ContentCheck *t) {
             t->Remove("data-sfx-WAV_22050_MONO/sfx/click.wav");
             t->Put("fxs/spark.lua", std::string(kEffect).substr(0, std::string(kEffect).find("FXParm (\"sound\"")));
         },
         "content: src/app/menu.cpp: line 3: names sound 'sfx/click', which is not in the sound package"},
        {"undecodable PNG", [](ContentCheck *t) { t->Put("fxs/spark.png", "\x89PNG\r\n\x1a\n not really a picture"); },
         "content: fxs/spark.png: does not decode as PNG"},
        {"tutorial without flags",
         [](ContentCheck *t) { t->Put("texts.xml", Texts(std::string(kTutorials) + "\t\t<node id=\"FIRING\" text=\"Fire.\" />\n")); },
         "content: texts.xml: tutorial 'FIRING' has no \"flags\" (it would keep the pause of the one before it)"},
        {"blank after a comma in a token list",
         [](ContentCheck *t) {
             t->Put("texts.xml", Texts(std::string(kTutorials) + "\t\t<node id=\"FIRING\" text=\"Fire.\" "
                                                                   "flags=\"TUTORIAL_PAUSES, X\" />\n"));
         },
         "content: texts.xml: blank after a comma in \"flags\" of node 'FIRING' in array 'tutorial'"},
    };
    cctest::ExpectEachFault(this, cases, true);
}

TEST_F(ContentCheck, TwoHundredSlotsFit)
{
    std::string s;
    for (int i = 0; i < 198; i++)
        s += "AddFX ();\n";
    Put("fxs/many.lua", s);  // 199 slots + 1
    std::vector<std::string> out;
    EXPECT_EQ(Run(&out), 0) << Joined(out);
}

// Deliberate exceptions are names with reasons; a name without a reason is a problem.
TEST_F(ContentCheck, IgnoreListExcusesCodeNames)
{
    ASSERT_TRUE(WriteBytes(dir_ + "/src/app/later.cpp", Bytes("const char *k = \"ui/gfx/later.png\";\n")));
    std::vector<std::string> out;
    EXPECT_EQ(Run(&out), 1);
    EXPECT_EQ(Joined(out), "content: src/app/later.cpp: line 1: names 'ui/gfx/later.png', which is not in the "
                           "program directory\ncontent check: 1 problems in 9 files\n");
    ASSERT_TRUE(WriteBytes(dir_ + "/ignore.txt", Bytes("# exceptions\nui/gfx/later.png  drawn by a later issue\n")));
    EXPECT_EQ(Run(&out, "--ignore ignore.txt"), 0) << Joined(out);
    ASSERT_TRUE(WriteBytes(dir_ + "/ignore.txt", Bytes("ui/gfx/later.png\n")));
    EXPECT_EQ(Run(&out, "--ignore ignore.txt"), 1);
    EXPECT_EQ(out[0], "content: check-ignore.txt: line 1: 'ui/gfx/later.png' has no reason");
}

// The built program directory, copied: breaking one file adds its problem and fails the
// check, whatever else the copy reports.
TEST_F(ContentCheck, BrokenCopyOfTheBuiltTreeFails)
{
    std::string copy = "rm -rf '" + dir_ + "/native' && cp -RL '" + ORVEX_PROGRAM_DIR + "' '" + dir_ + "/native'";
    ASSERT_EQ(system(copy.c_str()), 0);
    std::vector<std::string> before, after;
    Run(&before);
    std::string texts = Str(ReadBytes(Res("texts.xml")));
    ASSERT_NE(texts.find("<root>"), std::string::npos);
    Put("texts.xml", texts + "<!-- caf\xE9 -->\n");
    EXPECT_EQ(Run(&after), 1);
    std::set<std::string> old(before.begin(), before.end());
    std::vector<std::string> added;
    for (size_t i = 0; i + 1 < after.size(); i++)
        if (!old.count(after[i]))
            added.push_back(after[i]);
    ASSERT_EQ(added.size(), 1u) << Joined(after);
    EXPECT_EQ(added[0].compare(0, 20, "content: texts.xml: "), 0) << added[0];
    EXPECT_NE(added[0].find("byte 0xe9 is not printable ASCII"), std::string::npos) << added[0];
}

// A shipped layout of a scripted screen needs its screen in the start-up script.
TEST_F(ContentCheck, StartUpScriptCreatesEveryShippedScriptedScreen)
{
    Put("ui/autoexec.lua", "CreateScreen (\"Extras\", \"ui/extras.lua\");\n");
    std::string extras = "UIEvents (\"ui/extras-events.lua\");\n";
    for (const char *name : {"Options", "Profiles", "Credits", "Zedivevor", "Back"})
        extras += std::string("\nCreateComp (\"Button\", \"") + name + "\");\n";
    extras += "\nCreateComp (\"Button\", \"Developer\");\nSetProperty (\"required_features\", \"DEVELOPER_MODE\");\n";
    Put("ui/extras.lua", extras);
    Put("ui/extras-events.lua", kEvents);
    std::vector<std::string> out;
    EXPECT_EQ(Run(&out), 0) << Joined(out);
    // The tutorial's layout ships, but no screen is made from it.
    Put("ui/tutorial.lua", "UIEvents (\"ui/tutorial-events.lua\");\n\nCreateComp (\"Button\", \"Back\");\n\n"
                           "CreateComp (\"Button\", \"Next\");\n\nCreateComp (\"Button\", \"Prev\");\n");
    Put("ui/tutorial-events.lua", kEvents);
    EXPECT_EQ(Run(&out), 1);
    ASSERT_FALSE(out.empty());
    EXPECT_EQ(out[0], "content: ui/autoexec.lua: creates no screen 'Tutorial' (layout 'ui/tutorial.lua')") << Joined(out);
    EXPECT_EQ(out.size(), 2u) << Joined(out);
}

// The menus' layouts: the developer's button keeps its guard, the mission rows stay in
// "Missions". Each fault alone is reported on its layout.
TEST_F(ContentCheck, MenuLayoutsKeepTheirGuardAndRows)
{
    auto extras = [](bool guarded) {
        std::string l = "UIEvents (\"ui/extras-events.lua\");\n";
        for (const char *name : {"Options", "Profiles", "Credits", "Zedivevor", "Back"})
            l += std::string("\nCreateComp (\"Button\", \"") + name + "\");\n";
        l += "\nCreateComp (\"Button\", \"Developer\");\n";
        if (guarded)
            l += "SetProperty (\"required_features\", \"DEVELOPER_MODE\");\n";
        return l;
    };
    auto play = [](int stray_row) {
        std::string l = "UIEvents (\"ui/play-menu-events.lua\");\n";
        for (const char *name : {"Back", "Achievements", "Play", "Leaderboards", "CHAPTER1", "CHAPTER2", "CHAPTER3", "EXTRAS"})
            l += std::string("\nCreateComp (\"Button\", \"") + name + "\");\n";
        l += "\nCreateComp (\"Marker\", \"Missions\");\n";
        for (int i = 0; i < 10; i++) {
            l += "\nCreateComp (\"Button\", \"Row_" + std::to_string(i) + "\");\n";
            if (i != stray_row)
                l += "SetProperty (\"parent\", \"Missions\");\n";
            l += "SetProperty (\"position\", 0, " + std::to_string(i) + ");\n";
        }
        for (const char *name : {"ExtrasIntel", "MissionName", "MissionDesc", "MissionStars", "MissionBest", "StarTotal"})
            l += std::string("\nCreateComp (\"Textbox\", \"") + name + "\");\n";
        return l;
    };
    Put("ui/autoexec.lua", "CreateScreen (\"Extras\", \"ui/extras.lua\");\nCreateScreen (\"PlayMenu\", \"ui/play-menu.lua\");\n");
    Put("ui/extras.lua", extras(true));
    Put("ui/extras-events.lua", kEvents);
    Put("ui/play-menu.lua", play(-1));
    Put("ui/play-menu-events.lua", kEvents);
    std::vector<std::string> out;
    EXPECT_EQ(Run(&out), 0) << Joined(out);

    Put("ui/extras.lua", extras(false));
    EXPECT_EQ(Run(&out), 1);
    ASSERT_EQ(out.size(), 2u) << Joined(out);
    EXPECT_EQ(out[0], "content: ui/extras.lua: component 'Developer' lacks required_features \"DEVELOPER_MODE\"");
    Put("ui/extras.lua", extras(true));

    Put("ui/play-menu.lua", play(3));
    EXPECT_EQ(Run(&out), 1);
    ASSERT_EQ(out.size(), 2u) << Joined(out);
    EXPECT_EQ(out[0], "content: ui/play-menu.lua: component 'Row_3' is not a child of 'Missions'");
}

}  // namespace
