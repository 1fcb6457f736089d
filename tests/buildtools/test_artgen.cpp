// orvex-artgen's work: palette and include expansion (nested includes, lookup order,
// both error messages), animation frames posed as text (rotation about a pivot,
// translation, scale, opacity, visibility, the loop wrap, interpolation between keys),
// and the first outline of an obstacle (a counter-clockwise polygon comes out clockwise).
#include "artgen.h"

#include <gtest/gtest.h>

#include <stdio.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <map>
#include <string>

using namespace artgen;

namespace {

// A scratch directory of files, removed afterwards.
class Files {
public:
    Files()
    {
        char tmpl[] = "/tmp/orvex-artgen-XXXXXX";
        dir_ = mkdtemp(tmpl) ? tmpl : "";
    }
    ~Files()
    {
        if (!dir_.empty()) {
            EXPECT_EQ(system(("rm -rf '" + dir_ + "'").c_str()), 0);
        }
    }
    std::string Put(const std::string &name, const std::string &text)
    {
        std::string path = dir_ + "/" + name;
        for (size_t i = dir_.size() + 1; i < path.size(); i++)
            if (path[i] == '/')
                mkdir(path.substr(0, i).c_str(), 0755);
        FILE *f = fopen(path.c_str(), "wb");
        EXPECT_NE(f, nullptr) << path;
        if (f) {
            fwrite(text.data(), 1, text.size(), f);
            fclose(f);
        }
        return path;
    }
    std::string dir_;
};

const Palette kPalette = {{"team", "#3f86c6"}, {"eye", "#ffce3a"}, {"dark", "#101010"}};

TEST(ArtgenExpand, Table)
{
    struct Case {
        const char *what;
        std::map<std::string, std::string> files;  // relative name -> text
        const char *top;                           // the file expanded
        std::string expected;                      // the output, or the error with $ for the directory
        bool ok;
    } cases[] = {
        {"palette colours", {{"a.svg", "<rect fill=\"{{team}}\" stroke=\"{{dark}}\"/>"}}, "a.svg",
         "<rect fill=\"#3f86c6\" stroke=\"#101010\"/>", true},
        {"nested includes, each with its colours",
         {{"units/a.svg", "<g>\n<!--#include \"_b.svg\"-->\n</g>"},
          {"units/_b.svg", "<circle fill=\"{{team}}\"/><!--#include \"_c.svg\"-->"},
          {"units/_c.svg", "<?xml version=\"1.0\"?>\n<circle fill=\"{{eye}}\"/>"}},
         "units/a.svg", "<g>\n<circle fill=\"#3f86c6\"/><circle fill=\"#ffce3a\"/>\n</g>", true},
        {"an include beside the file wins over the art root",
         {{"units/a.svg", "<!--#include \"_x.svg\"-->"}, {"units/_x.svg", "near"}, {"_x.svg", "root"}},
         "units/a.svg", "near", true},
        {"an include found in the art root", {{"units/a.svg", "[<!--#include \"_shared.svg\"-->]"}, {"_shared.svg", "S"}},
         "units/a.svg", "[S]", true},
        {"text without markers stays", {{"a.svg", "<svg>{ {team} } <!-- note --></svg>"}}, "a.svg",
         "<svg>{ {team} } <!-- note --></svg>", true},
        {"unknown colour", {{"a.svg", "<rect fill=\"{{teal}}\"/>"}}, "a.svg", "art: $/a.svg: unknown colour 'teal'",
         false},
        {"unknown colour in an included file names that file",
         {{"a.svg", "<!--#include \"_b.svg\"-->"}, {"_b.svg", "{{nope}}"}}, "a.svg",
         "art: $/_b.svg: unknown colour 'nope'", false},
        {"missing include", {{"units/a.svg", "x<!--#include \"_gone.svg\"-->"}}, "units/a.svg",
         "art: $/units/a.svg: cannot include '_gone.svg'", false},
        {"include cycle", {{"a.svg", "<!--#include \"_b.svg\"-->"}, {"_b.svg", "<!--#include \"_b.svg\"-->"}},
         "a.svg", "art: $/_b.svg: cannot include '_b.svg'", false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        Files files;
        for (const auto &f : c.files)
            files.Put(f.first, f.second);
        ExpandContext ctx;
        ctx.palette = &kPalette;
        ctx.include_dirs.push_back(files.dir_);
        std::string out, error;
        bool ok = ExpandFile(files.dir_ + "/" + c.top, &ctx, &out, &error);
        std::string expected = c.expected;
        if (expected.find('$') != std::string::npos)
            expected.replace(expected.find('$'), 1, files.dir_);
        ASSERT_EQ(ok, c.ok) << error;
        EXPECT_EQ(ok ? out : error, expected);
    }
}

TEST(ArtgenExpand, IncludesAreListedForTheBuild)
{
    Files files;
    files.Put("a.svg", "<!--#include \"_b.svg\"--><!--#include \"sub/_c.svg\"-->");
    files.Put("_b.svg", "b");
    files.Put("sub/_c.svg", "<!--#include \"_d.svg\"-->");
    files.Put("sub/_d.svg", "d");
    ExpandContext ctx;
    ctx.palette = &kPalette;
    std::string out, error;
    ASSERT_TRUE(ExpandFile(files.dir_ + "/a.svg", &ctx, &out, &error)) << error;
    EXPECT_EQ(out, "bd");
    EXPECT_EQ(ctx.read, (std::vector<std::string>{files.dir_ + "/_b.svg", files.dir_ + "/sub/_c.svg",
                                                  files.dir_ + "/sub/_d.svg"}));
}

TEST(ArtgenPalette, ParsesNamesAndRefusesBadLines)
{
    Palette p;
    std::string error;
    ASSERT_TRUE(ParsePalette("p.txt", "# colours\n\nteam  #3f86c6\n  eye #ffce3a  \n", &p, &error)) << error;
    EXPECT_EQ(p, (Palette{{"team", "#3f86c6"}, {"eye", "#ffce3a"}}));
    Palette q;
    EXPECT_FALSE(ParsePalette("p.txt", "team #1\nteam #2\n", &q, &error));
    EXPECT_EQ(error, "art: p.txt:2: colour 'team' named twice");
    EXPECT_FALSE(ParsePalette("p.txt", "lonely\n", &q, &error));
    EXPECT_EQ(error, "art: p.txt:1: expected 'name value'");
}

// The source every posing case starts from.
const char *kBody = "<svg width=\"64\" height=\"64\">\n"
                    "<g id=\"body\"><circle r=\"9\"/></g>\n"
                    "<g id=\"arm\" transform=\"translate(1,2)\"><rect/></g>\n"
                    "<g id=\"corpse\" display=\"none\"><path/></g>\n"
                    "</svg>\n";

// The start tag of group id in the posed SVG.
std::string GroupTag(const std::string &svg, const std::string &id)
{
    size_t at = svg.find("<g id=\"" + id + "\"");
    return at == std::string::npos ? "" : svg.substr(at, svg.find('>', at) + 1 - at);
}

TEST(ArtgenFrames, PosedGroupsAsText)
{
    struct Case {
        const char *what;
        const char *anim;  // after "source body.svg"
        int frame;
        const char *group;
        const char *tag;
    } cases[] = {
        {"rotate about a pivot", "frames 4\nbody rotate 0:0 2:90 pivot 32,32\n", 1, "body",
         "<g id=\"body\" transform=\"rotate(45,32,32)\">"},
        {"translate", "frames 5\nbody translate 0:0,0 4:8,-4\n", 1, "body",
         "<g id=\"body\" transform=\"translate(2,-1)\">"},
        {"scale, two axes", "frames 3\nbody scale 0:1 2:2,0.5\n", 1, "body",
         "<g id=\"body\" transform=\"scale(1.5,0.75)\">"},
        {"scale about a pivot", "frames 2\nbody scale 0:1 1:2 pivot 10,20\n", 1, "body",
         "<g id=\"body\" transform=\"translate(10,20) scale(2,2) translate(-10,-20)\">"},
        {"translate, rotate and scale together",
         "frames 2\nbody scale 0:1 1:0.5\nbody rotate 0:0 1:-30 pivot 4,4\nbody translate 0:0,0 1:3,3\n", 1, "body",
         "<g id=\"body\" transform=\"translate(3,3) rotate(-30,4,4) scale(0.5,0.5)\">"},
        {"opacity", "frames 5\nbody opacity 0:1 4:0\n", 1, "body", "<g id=\"body\" opacity=\"0.75\">"},
        {"visible holds until its key", "frames 4\ncorpse visible 0:0 3:1\nbody visible 0:1 3:0\n", 2, "corpse",
         "<g id=\"corpse\" display=\"none\">"},
        {"visible switches at its key", "frames 4\ncorpse visible 0:0 3:1\nbody visible 0:1 3:0\n", 3, "corpse",
         "<g id=\"corpse\" display=\"inline\">"},
        {"hidden body at the key", "frames 4\ncorpse visible 0:0 3:1\nbody visible 0:1 3:0\n", 3, "body",
         "<g id=\"body\" display=\"none\">"},
        {"own transform kept after the pose", "frames 2\narm rotate 0:0 1:10\n", 1, "arm",
         "<g id=\"arm\" transform=\"rotate(10,0,0) translate(1,2)\">"},
        {"frame 3 of 8 between keys 0 and 7", "frames 8\nbody rotate 0:0 7:70\n", 3, "body",
         "<g id=\"body\" transform=\"rotate(30,0,0)\">"},
        {"held after the last key without loop", "frames 8\nbody rotate 0:0 4:90\n", 6, "body",
         "<g id=\"body\" transform=\"rotate(90,0,0)\">"},
        {"loop wraps from the last key to the first", "frames 8\nbody rotate 0:0 4:90\nloop\n", 6, "body",
         "<g id=\"body\" transform=\"rotate(45,0,0)\">"},
        {"loop wraps before the first key", "frames 8\nbody translate 2:0,0 6:8,4\nloop\n", 0, "body",
         "<g id=\"body\" transform=\"translate(4,2)\">"},
        {"untouched group", "frames 2\nbody opacity 0:1 1:0.5\n", 1, "arm", "<g id=\"arm\" transform=\"translate(1,2)\">"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        Anim anim;
        std::string error, out;
        ASSERT_TRUE(ParseAnim("a.anim", std::string("source body.svg\n") + c.anim, &anim, &error)) << error;
        ASSERT_TRUE(PoseFrame("a.anim", kBody, anim, c.frame, &out, &error)) << error;
        EXPECT_EQ(GroupTag(out, c.group), c.tag);
    }
}

TEST(ArtgenFrames, WholeFrameText)
{
    Anim anim;
    std::string error, out;
    ASSERT_TRUE(ParseAnim("walk.anim", "# a step\nsource body.svg\nframes 4\narm rotate 0:0 2:20 pivot 8,8\nloop\n",
                          &anim, &error));
    ASSERT_TRUE(PoseFrame("walk.anim", kBody, anim, 3, &out, &error)) << error;
    EXPECT_EQ(out, "<svg width=\"64\" height=\"64\">\n"
                   "<g id=\"body\"><circle r=\"9\"/></g>\n"
                   "<g id=\"arm\" transform=\"rotate(10,8,8) translate(1,2)\"><rect/></g>\n"
                   "<g id=\"corpse\" display=\"none\"><path/></g>\n"
                   "</svg>\n");
}

TEST(ArtgenFrames, Errors)
{
    struct Case {
        const char *text;
        const char *error;
    } cases[] = {
        {"source b.svg\nframes 4\nwing rotate 0:0 1:5\n", "art: a.anim: no group 'wing'"},
        {"source b.svg\nframes 4\nbody spin 0:0\n",
         "art: a.anim:3: expected '<group-id> rotate|translate|scale|opacity|visible <frame>:<value> ...'"},
        {"source b.svg\nframes 4\nbody rotate 0:0 4:10\n", "art: a.anim: key frame 4 of 'body' is outside 0..3"},
        {"source b.svg\nframes 4\nbody rotate 2:0 1:10\n", "art: a.anim:3: keys must be in rising frame order"},
        {"source b.svg\nframes 4\nbody translate 0:5\n", "art: a.anim:3: bad key '0:5'"},
        {"source b.svg\nframes 4\nbody opacity 0:1.5\n", "art: a.anim:3: bad key '0:1.5'"},
        {"source b.svg\nframes 4\nbody visible 0:0.5\n", "art: a.anim:3: bad key '0:0.5'"},
        {"source b.svg\nframes 4\nbody opacity 0:1 pivot 1,1\n", "art: a.anim:3: a pivot belongs to rotate or scale"},
        {"frames 4\n", "art: a.anim:1: no 'source'"},
        {"source b.svg\nframes 0\n", "art: a.anim:2: expected 'frames <n>' with n from 1 to 999"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        Anim anim;
        std::string error, out;
        bool ok = ParseAnim("a.anim", c.text, &anim, &error) && PoseFrame("a.anim", kBody, anim, 0, &out, &error);
        EXPECT_FALSE(ok);
        EXPECT_EQ(error, c.error);
    }
}

const char *kOutlineHead = "<?xml version=\"1.0\" encoding=\"iso-8859-1\"?>\n\n<root>\n\n <array id=\"info\">\n"
                           "  <node id=\"bitmap\" value=\"terrain/obstacles/crate.png\" />\n </array>\n\n"
                           " <array id=\"edges\">\n";
const char *kOutlineTail = " </array>\n\n</root>\n";

std::string Obstacle(const std::string &points, const std::string &size = "width=\"64\" height=\"48\"")
{
    return "<svg xmlns=\"http://www.w3.org/2000/svg\" " + size + ">\n<rect width=\"64\" height=\"48\"/>\n" +
           "<polygon id=\"outline\" fill=\"none\" points=\"" + points + "\"/>\n</svg>\n";
}

TEST(ArtgenOutline, PolygonBecomesAClockwiseOutline)
{
    const std::string clockwise = "  <node p0x=\"-30\" p0y=\"-20\"  p1x=\"30\" p1y=\"-20\" />\n"
                                  "  <node p0x=\"30\" p0y=\"-20\"  p1x=\"30\" p1y=\"20\" />\n"
                                  "  <node p0x=\"30\" p0y=\"20\"  p1x=\"-30\" p1y=\"20\" />\n"
                                  "  <node p0x=\"-30\" p0y=\"20\"  p1x=\"-30\" p1y=\"-20\" />\n";
    struct Case {
        const char *what;
        std::string svg;
        std::string edges;
    } cases[] = {
        {"clockwise stays", Obstacle("2,4 62,4 62,44 2,44"), clockwise},
        {"counter-clockwise comes out clockwise", Obstacle("2,44 62,44 62,4 2,4"),
         "  <node p0x=\"-30\" p0y=\"-20\"  p1x=\"30\" p1y=\"-20\" />\n"
         "  <node p0x=\"30\" p0y=\"-20\"  p1x=\"30\" p1y=\"20\" />\n"
         "  <node p0x=\"30\" p0y=\"20\"  p1x=\"-30\" p1y=\"20\" />\n"
         "  <node p0x=\"-30\" p0y=\"20\"  p1x=\"-30\" p1y=\"-20\" />\n"},
        {"closing point and repeats dropped, decimals truncated", Obstacle("2,4 62,4 62.5,3.5 62,44 2,44 2,4"),
         clockwise},
        {"viewBox size, commas and spaces mixed", Obstacle("32 4, 60 24, 32 44, 4 24", "viewBox=\"0 0 64 48\""),
         "  <node p0x=\"0\" p0y=\"-20\"  p1x=\"28\" p1y=\"0\" />\n"
         "  <node p0x=\"28\" p0y=\"0\"  p1x=\"0\" p1y=\"20\" />\n"
         "  <node p0x=\"0\" p0y=\"20\"  p1x=\"-28\" p1y=\"0\" />\n"
         "  <node p0x=\"-28\" p0y=\"0\"  p1x=\"0\" p1y=\"-20\" />\n"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        std::string out, error;
        ASSERT_TRUE(OutlineFromSvg("crate.svg", c.svg, "terrain/obstacles/crate.png", &out, &error)) << error;
        EXPECT_EQ(out, kOutlineHead + c.edges + kOutlineTail);
    }
}

TEST(ArtgenOutline, Errors)
{
    struct Case {
        std::string svg;
        const char *error;
    } cases[] = {
        {"<svg width=\"8\" height=\"8\"><polygon id=\"other\" points=\"0,0 8,0 8,8\"/></svg>",
         "art: o.svg: no polygon with id \"outline\""},
        {Obstacle("2,4 62,4 32,20 62,44 2,44"), "art: o.svg: the outline is not convex"},
        {Obstacle("2,4 62,4 2,4"), "art: o.svg: the outline needs 3 to 32 points, it has 2"},
        {Obstacle("2,4 62,4 x"), "art: o.svg: the outline's points are not x,y pairs"},
        {"<svg><polygon id=\"outline\" points=\"0,0 8,0 8,8\"/></svg>", "art: o.svg: the drawing has no width and height"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.error);
        std::string out, error;
        EXPECT_FALSE(OutlineFromSvg("o.svg", c.svg, "o.png", &out, &error));
        EXPECT_EQ(error, c.error);
    }
}

}  // namespace
