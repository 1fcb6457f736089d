// The briefing pictures of the campaign show what their missions hold: for every chapter
// mission, the picture "missions.xml" names (its SVG source under content/art) draws
// only creatures whose art one of the mission's enemies wears (spawned by its waves,
// placed in its level, or laid by their weapons) and no more troopers of a class than
// its starting squad has, and it draws at least one of the mission's creatures. The ten
// missions of a chapter do not all share one picture, and a chapter's picture is the
// one of its first mission.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

const std::string kContent = ORVEX_CONTENT_DIR;

std::string Read(const std::string &path)
{
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// The attributes of every node of an XML file's array (by the node's id when it has one).
struct Node {
    std::string id;
    std::map<std::string, std::string> keys;
};

std::vector<Node> Nodes(const std::string &xml, const std::string &array)
{
    std::vector<Node> out;
    std::smatch block;
    std::regex array_re("<array id=\"" + array + "\">([\\s\\S]*?)</array>");
    if (!std::regex_search(xml, block, array_re))
        return out;
    std::string body = block[1];
    std::regex node_re("<node ([^>]*)/>"), attr_re("(\\w+)=\"([^\"]*)\"");
    for (std::sregex_iterator n(body.begin(), body.end(), node_re), end; n != end; ++n) {
        Node node;
        std::string attrs = (*n)[1];
        for (std::sregex_iterator a(attrs.begin(), attrs.end(), attr_re); a != end; ++a)
            node.keys[(*a)[1]] = (*a)[2];
        node.id = node.keys["id"];
        out.push_back(node);
    }
    return out;
}

// The art folder of a walk sequence ("chapter-1/hellhound/hellhound-walk.bms" gives
// "chapter-1/hellhound").
std::string Folder(const std::string &path)
{
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? "" : path.substr(0, slash);
}

TEST(MissionPictures, EachShowsOnlyWhatItsMissionsHold)
{
    std::map<std::string, Node> types, weapons;
    for (const Node &n : Nodes(Read(kContent + "/entities.xml"), "entities"))
        types[n.id] = n;
    for (const Node &n : Nodes(Read(kContent + "/weapons.xml"), "weapons"))
        weapons[n.id] = n;
    const std::string missions = Read(kContent + "/missions.xml");
    ASSERT_FALSE(types.empty());
    ASSERT_FALSE(missions.empty());
    for (int c = 1; c <= 3; c++) {
        std::vector<Node> chapter = Nodes(missions, "CHAPTER" + std::to_string(c));
        ASSERT_EQ(chapter.size(), 10u);
        std::set<std::string> pictures;
        for (const Node &m : chapter) {
            SCOPED_TRACE(m.id);
            std::string pic = m.keys.at("pic");
            pictures.insert(pic);
            std::string level = Read(kContent + "/" + m.keys.at("level"));
            ASSERT_FALSE(level.empty());
            // The creature art the mission's enemies wear, and its squad by art folder.
            std::set<std::string> creatures;
            std::vector<std::string> kinds;
            for (const Node &w : Nodes(level, "waves"))
                if (w.keys.count("spawn_type"))
                    kinds.push_back(w.keys.at("spawn_type"));
            for (const Node &e : Nodes(level, "entities"))
                kinds.push_back(e.keys.at("type"));
            for (size_t i = 0; i < kinds.size(); i++) {
                const Node &t = types[kinds[i]];
                auto g = t.keys.find("friend_group");
                if (g == t.keys.end() || g->second != "ENEMIES")
                    continue;
                creatures.insert(Folder(t.keys.count("bm_move") ? t.keys.at("bm_move") : ""));
                auto w = t.keys.find("weapon");
                if (w != t.keys.end() && weapons[w->second].keys["projectile_class"] == "ENTITY")
                    kinds.push_back(weapons[w->second].keys["projectile_entity"]);  // eggs it lays
            }
            std::map<std::string, int> squad;
            for (const Node &s : Nodes(level, "starting_troopers"))
                squad[Folder(types[s.keys.at("type")].keys["bm_move"])]++;

            ASSERT_EQ(pic.compare(0, 14, "missions/pics/"), 0) << pic;
            std::string source = pic.substr(0, pic.size() - 4) + ".svg";
            std::string svg = Read(kContent + "/art/" + source);
            ASSERT_FALSE(svg.empty()) << source;
            std::regex include_re("<!--#include \"\\.\\./\\.\\./((chapter-\\d|troopers)/[\\w-]+)/([\\w-]+)\\.svg\"-->");
            int shown = 0;
            std::map<std::string, int> troopers;
            for (std::sregex_iterator i(svg.begin(), svg.end(), include_re), end; i != end; ++i) {
                std::string folder = (*i)[1], file = (*i)[3];
                if (folder.compare(0, 9, "troopers/") == 0) {
                    if (file != "gun")
                        troopers[folder]++;
                } else {
                    EXPECT_TRUE(creatures.count(folder)) << source << " shows " << folder;
                    shown++;
                }
            }
            EXPECT_GT(shown, 0) << source << " shows none of the mission's creatures";
            for (const auto &t : troopers)
                EXPECT_LE(t.second, squad[t.first]) << source << " shows " << t.second << " of " << t.first;
        }
        EXPECT_GE(pictures.size(), 3u) << "CHAPTER" << c << " shares few pictures";
        EXPECT_EQ(chapter[0].keys.at("pic"), "missions/pics/chapter-" + std::to_string(c) + ".png");
    }
}

}  // namespace
