// Cross references between the data files, each checked when its files are present:
// settings, tutorials, the timeline, achievements, ranks and leaderboards, spawn groups,
// missions, levels and obstacle outlines (the battle data: battledata.cpp).
#include "contentcheck.h"
#include "dbread.h"
#include "uitables.h"

#include "app/services/dataman.h"

#include <ctype.h>
#include <math.h>
#include <stdlib.h>

#include <algorithm>

namespace contentcheck {

namespace {

void CheckProg(const Tree &tree, Report *report)
{
    DMDatabase *db = Db(tree, "prog.xml");
    if (db && !db->GetValue("PARAMETERS", "APPLICATION", "reference_resolution"))
        report->Add("prog.xml", "PARAMETERS/APPLICATION has no \"reference_resolution\" (banners would sit at 0, 0)");
}

void CheckTexts(const Tree &tree, Report *report)
{
    DMDatabase *db = Db(tree, "texts.xml");
    DMArray *a = db ? db->GetArray("tutorial") : nullptr;
    for (int i = 0; a && i < a->GetSize(); i++)
        if (!a->GetNode(i)->GetValue("flags"))
            report->Add("texts.xml", Format("tutorial '%s' has no \"flags\" (it would keep the pause of the one "
                                            "before it)",
                                            a->GetNode(i)->id ? a->GetNode(i)->id : ""));
}

void CheckTimeline(const Tree &tree, const Facts &facts, Report *report)
{
    DMDatabase *db = Db(tree, "timeline.xml");
    if (!db)
        return;
    DMArray *a = db->GetArray("timeline");
    if (!a) {
        report->Add("timeline.xml", "has no array \"timeline\"");
        return;
    }
    for (int i = 0; i < a->GetSize(); i++) {
        DMNode *n = a->GetNode(i);
        std::string id = n->id ? n->id : "", type = Value(n, "type");
        if (type != "MENU" && type != "JUMP")
            report->Add("timeline.xml", Format("event '%s' has type '%s' (MENU or JUMP)", id.c_str(), type.c_str()));
        if (type == "JUMP" && !a->GetNode(Value(n, "event").c_str()))
            report->Add("timeline.xml", Format("event '%s' jumps to unknown event '%s'", id.c_str(),
                                               Value(n, "event").c_str()));
        for (std::string s : Tokens(Value(n, "screens"))) {
            if (!s.empty() && s[0] == '&')
                s.erase(0, 1);
            if (!KnownScreen(s) && !facts.scripted_screens.count(s))
                report->Add("timeline.xml", Format("event '%s' names unknown screen '%s'", id.c_str(), s.c_str()));
        }
    }
}

const char *const kAchievements[] = {
    "they_just_keep_coming", "xenocide", "chemical_warfare", "pyromaniac", "boomaniac", "well_supplied",
    "tactical_retreat", "not_a_scratch", "supreme_commander", "worm_slayer", "egg_stomper", "jaw_breaker",
    "flawless", "like_no_tomorrow", "general", "medal_of_valor"};

void CheckAchievements(const Tree &tree, Report *report)
{
    const char rel[] = "achievements/achievements.xml";
    DMDatabase *db = Db(tree, rel);
    if (!db)
        return;
    DMArray *a = db->GetArray("ACHIEVEMENTS");
    if (!a) {
        report->Add(rel, "has no array \"ACHIEVEMENTS\"");
        return;
    }
    for (const char *id : kAchievements)
        if (!a->GetNode(id))
            report->Add(rel, Format("has no achievement '%s'", id));
    for (int i = 0; i < a->GetSize(); i++) {
        std::string id = a->GetNode(i)->id ? a->GetNode(i)->id : "";
        bool known = false;
        for (const char *k : kAchievements)
            known = known || id == k;
        if (!known)
            report->Add(rel, Format("unknown achievement '%s'", id.c_str()));
    }
}

// Leaderboard categories in file order.
std::vector<std::string> Categories(const Tree &tree, Report *report)
{
    const char rel[] = "leaderboards/leaderboards.xml";
    std::vector<std::string> out;
    DMDatabase *db = Db(tree, rel);
    if (!db)
        return out;
    DMArray *a = db->GetArray("CATEGORIES");
    for (int i = 0; a && i < a->GetSize(); i++)
        out.push_back(a->GetNode(i)->id ? a->GetNode(i)->id : "");
    if (out.empty() || out[0] != "CAMPAIGN")
        report->Add(rel, "array \"CATEGORIES\" does not start with CAMPAIGN (the default category)");
    return out;
}

void CheckRanks(const Tree &tree, const std::vector<std::string> &categories, Report *report)
{
    DMDatabase *db = Db(tree, "ranks.xml");
    if (!db)
        return;
    DMArray *texts = db->GetArray("game_over_texts");
    int with_text = 0;
    for (int i = 0; texts && i < texts->GetSize(); i++)
        with_text += texts->GetNode(i)->GetValue("text") != nullptr;
    if (with_text < 6)
        report->Add("ranks.xml", Format("\"game_over_texts\" has %d nodes with \"text\" (at least 6)", with_text));
    for (const std::string &c : categories) {
        std::string id = "ranks_" + Lower(c);
        DMArray *a = db->GetArray(id.c_str());
        if (!a || a->GetSize() != 6) {
            report->Add("ranks.xml", Format("array '%s' needs 6 ranks", id.c_str()));
            continue;
        }
        for (int i = 0; i < 6; i++) {
            DMNode *n = a->GetNode(i);
            if (!n->GetValue("name") || !n->GetValue("score_limit"))
                report->Add("ranks.xml", Format("rank %d of '%s' needs \"name\" and \"score_limit\"", i + 1, id.c_str()));
            else if (i > 0 && atof(Value(n, "score_limit").c_str()) <= atof(Value(a->GetNode(i - 1), "score_limit").c_str()))
                report->Add("ranks.xml", Format("rank %d of '%s' does not rise in \"score_limit\"", i + 1, id.c_str()));
        }
    }
}

void CheckSpawns(const Tree &tree, Report *report)
{
    DMDatabase *groups = Db(tree, "spawn-groups.xml"), *events = Db(tree, "spawn-events.xml");
    DMArray *g = groups ? groups->GetArray("groups") : nullptr;
    if (g && g->GetSize() > 64)
        report->Add("spawn-groups.xml", Format("has %d groups (at most 64)", g->GetSize()));
    DMArray *e = events ? events->GetArray("events") : nullptr;
    if (e && e->GetSize() > 128)
        report->Add("spawn-events.xml", Format("has %d events (at most 128)", e->GetSize()));
    for (int i = 0; e && g && i < e->GetSize(); i++) {
        std::string group = Value(e->GetNode(i), "group");
        if (!g->GetNode(group.c_str()))
            report->Add("spawn-events.xml", Format("event %d names unknown group '%s'", i + 1, group.c_str()));
    }
}

// Outlines: clockwise on screen (y down), closed, convex, at most 32 edges, none shorter
// than 1, inside the bitmap.
void CheckOutline(const Tree &tree, const Facts &facts, const std::string &rel, Report *report)
{
    DMDatabase *db = Db(tree, rel);
    DMArray *info = db ? db->GetArray("info") : nullptr;
    DMArray *edges = db ? db->GetArray("edges") : nullptr;
    if (!info || !edges) {
        report->Add(rel, "needs the arrays \"info\" and \"edges\"");
        return;
    }
    std::string bitmap = Value(info->GetNode("bitmap"), "value");
    int n = edges->GetSize();
    if (n < 3 || n > 32) {
        report->Add(rel, Format("has %d edges (3 to 32)", n));
        if (n < 1)
            return;
    }
    std::vector<double> x0(n), y0(n), x1(n), y1(n);
    for (int i = 0; i < n; i++) {
        DMNode *e = edges->GetNode(i);
        x0[i] = atof(Value(e, "p0x").c_str());
        y0[i] = atof(Value(e, "p0y").c_str());
        x1[i] = atof(Value(e, "p1x").c_str());
        y1[i] = atof(Value(e, "p1y").c_str());
    }
    bool closed = true;
    for (int i = 0; i < n; i++) {
        int next = (i + 1) % n;
        if (x1[i] != x0[next] || y1[i] != y0[next]) {
            report->Add(rel, Format("is open: edge %d ends at (%g, %g) but edge %d starts at (%g, %g)", i + 1, x1[i],
                                    y1[i], next + 1, x0[next], y0[next]));
            closed = false;
            break;
        }
    }
    for (int i = 0; i < n; i++)
        if (hypot(x1[i] - x0[i], y1[i] - y0[i]) < 1)
            report->Add(rel, Format("edge %d is shorter than 1", i + 1));
    if (!closed)
        return;
    double area = 0;
    int sign = 0;
    bool convex = true;
    for (int i = 0; i < n; i++) {
        int j = (i + 1) % n;
        area += x0[i] * y0[j] - x0[j] * y0[i];
        double cross = (x1[i] - x0[i]) * (y1[j] - y0[j]) - (y1[i] - y0[i]) * (x1[j] - x0[j]);
        int s = cross > 0 ? 1 : cross < 0 ? -1 : 0;
        if (s && sign && s != sign)
            convex = false;
        if (s)
            sign = s;
    }
    if (area < 0)
        report->Add(rel, "is counter-clockwise on screen (outlines run clockwise)");
    if (!convex)
        report->Add(rel, "is not convex");
    auto size = facts.image_sizes.find(tree.Resolve(bitmap));
    if (size != facts.image_sizes.end())
        for (int i = 0; i < n; i++)
            if (fabs(x0[i]) > size->second.first / 2.0 + 0.5 || fabs(y0[i]) > size->second.second / 2.0 + 0.5) {
                report->Add(rel, Format("vertex (%g, %g) lies outside the %d x %d bitmap", x0[i], y0[i],
                                        size->second.first, size->second.second));
                break;
            }
}

}  // namespace

void CheckCrossReferences(const Tree &tree, const Facts &facts, Report *report)
{
    CheckProg(tree, report);
    CheckTexts(tree, report);
    CheckTimeline(tree, facts, report);
    CheckAchievements(tree, report);
    std::vector<std::string> categories = Categories(tree, report);
    CheckRanks(tree, categories, report);
    CheckSpawns(tree, report);
    CheckBattleData(tree, report);
    CheckDataNumbers(tree, report);
    CheckMissions(tree, categories, report);
    for (const std::string &rel : tree.Files())
        if (StartsWith(rel, "terrain/obstacles/") && EndsWith(rel, ".xml"))
            CheckOutline(tree, facts, rel, report);
}

}  // namespace contentcheck
