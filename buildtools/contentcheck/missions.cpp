// The mission catalogue "missions.xml" and the level files it names: arrays and ids in
// order, chapter missions in LEVEL mode, unlocks and extras backed by the shop, the
// leaderboards and the ranks, then each level's own rules (base by mode, gameplay keys,
// waves, waypoints, fixed entities, starting squad, emitters, decals, obstacles, drops),
// and the roaming enemies that only the boosted missions may hold. Level files the
// catalogue does not name get the rules that need no mode.
#include "contentcheck.h"
#include "dbread.h"

#include "app/services/dataman.h"

#include <math.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <map>

namespace contentcheck {

namespace {

// The game's token test of a wave node's "type": the word stands alone between the
// ends or ' ', ',' and ';'.
bool HasToken(const std::string &text, const std::string &word)
{
    for (size_t at = text.find(word); at != std::string::npos; at = text.find(word, at + 1)) {
        bool start = at == 0 || strchr(" ,;", text[at - 1]);
        size_t end = at + word.size();
        bool stop = end == text.size() || strchr(" ,;", text[end]);
        if (start && stop)
            return true;
    }
    return false;
}

const char *const kScoreModes[] = {"SURVIVAL", "COLLECTOR", "INCOMING", "DEFEND_THE_FLAG", "OPEN_AREA"};

bool IsScoreMode(const std::string &mode)
{
    for (const char *m : kScoreModes)
        if (mode == m)
            return true;
    return false;
}

// The missions whose enemies may stay away from the base: the test player multiplies
// its weapon ranges there so that it can reach them.
const char *const kBoostedMissions[] = {"MISSION2_3", "MISSION2_6", "MISSION3_4", "MISSION3_6", "MISSION3_10"};

// The squad a chapter mission starts with: 2 in the first three, 3 up to the end of the
// second chapter, 4 in the third.
int ChapterSquad(int chapter, int mission)
{
    if (chapter == 1 && mission <= 3)
        return 2;
    return chapter == 3 ? 4 : 3;
}

// The names of level files: "missions/<c>_<m>.xml" and "missions/x-<name>.xml" (other
// files there, such as the terrain demo, are no missions).
bool IsLevelName(const std::string &f)
{
    if (!StartsWith(f, "missions/") || !EndsWith(f, ".xml") || f.find('/', 9) != std::string::npos)
        return false;
    std::string base = f.substr(9, f.size() - 13);
    if (StartsWith(base, "x-"))
        return base.size() > 2;
    size_t cut = base.find('_');
    return cut != std::string::npos && cut > 0 && cut + 1 < base.size() &&
           base.find_first_not_of("0123456789_") == std::string::npos;
}

// What the level rules know of the game's data.
struct Data {
    DMArray *entities = nullptr;
    DMArray *tutorials = nullptr;
    int global_max_troopers = 2;  // the default when no file sets it
};

DMNode *Type(const Data &data, const std::string &name)
{
    return data.entities ? data.entities->GetNode(name.c_str()) : nullptr;
}

// A type that never walks to the base: the roaming behaviours, and inert enemies.
bool Roams(const Data &data, const std::string &name)
{
    DMNode *t = Type(data, name);
    std::string ai = Value(t, "ai");
    return ai == "HangAround" || ai == "HiveMind" || ai == "WaypointAttacker" ||
           (ai == "Player" && Value(t, "friend_group") == "ENEMIES");
}

// One level file, checked for the mode of its mission ("" when no mission names it).
struct Level {
    std::string rel;
    std::string mode;
    std::string mission;  // "" when no mission names it
    int chapter = 0, number = 0;
};

float Number(const DMNode *n, const char *key, float fallback)
{
    const char *v = n ? n->GetValue(key) : nullptr;
    return v ? (float)atof(v) : fallback;
}

// The placed outlines of a level's obstacles, in field units.
using Polygon = std::vector<std::pair<double, double>>;

std::vector<Polygon> PlacedObstacles(const Tree &tree, DMDatabase *db)
{
    std::vector<Polygon> out;
    DMArray *obstacles = db->GetArray("obstacles");
    for (int i = 0; obstacles && i < obstacles->GetSize(); i++) {
        DMNode *o = obstacles->GetNode(i);
        std::string rel = tree.Resolve(Value(o, "obstacle"));
        DMArray *edges = rel.empty() ? nullptr : Array(tree, rel, "edges");
        if (!edges)
            continue;
        double a = Number(o, "angle", 0) * M_PI / 180.0, c = cos(a), sn = sin(a);
        double scale = Number(o, "scale", 1), x = Number(o, "x", 0), y = Number(o, "y", 0);
        Polygon poly;
        for (int e = 0; e < edges->GetSize(); e++) {
            double px = Number(edges->GetNode(e), "p0x", 0), py = Number(edges->GetNode(e), "p0y", 0);
            poly.push_back({(px * c - py * sn) * scale + x, (px * sn + py * c) * scale + y});
        }
        out.push_back(poly);
    }
    return out;
}

// Whether (x, y) lies inside the polygon or within `margin` of its boundary.
bool NearPolygon(const Polygon &poly, double x, double y, double margin)
{
    bool inside = false;
    size_t n = poly.size();
    for (size_t i = 0, j = n - 1; i < n; j = i++) {
        double xi = poly[i].first, yi = poly[i].second, xj = poly[j].first, yj = poly[j].second;
        if ((yi > y) != (yj > y) && x < (xj - xi) * (y - yi) / (yj - yi) + xi)
            inside = !inside;
        double dx = xj - xi, dy = yj - yi, len2 = dx * dx + dy * dy;
        double t = len2 > 0 ? std::max(0.0, std::min(1.0, ((x - xi) * dx + (y - yi) * dy) / len2)) : 0.0;
        if (hypot(x - (xi + t * dx), y - (yi + t * dy)) < margin)
            return true;
    }
    return inside;
}

// Enemies come in from every edge of the field: the obstacles must leave a way from
// each edge to the bunker for a creature of radius 10 (a flood over an 8-unit grid).
void CheckWayToBase(const Tree &tree, DMDatabase *db, DMNode *bunker, const Level &lv, Report *report)
{
    std::vector<Polygon> polys = PlacedObstacles(tree, db);
    if (polys.empty())
        return;
    const int kCell = 8, cols = 1024 / kCell, rows = 768 / kCell;
    std::vector<char> blocked(cols * rows, 0), reached(cols * rows, 0);
    for (int r = 0; r < rows; r++)
        for (int c = 0; c < cols; c++)
            for (const Polygon &p : polys)
                if (NearPolygon(p, c * kCell + kCell / 2, r * kCell + kCell / 2, 10))
                    blocked[r * cols + c] = 1;
    // From the free cells around the bunker outwards.
    double bx = Number(bunker, "x", 0), by = Number(bunker, "y", 0);
    std::vector<int> todo;
    for (int r = 0; r < rows; r++)
        for (int c = 0; c < cols; c++)
            if (!blocked[r * cols + c] && hypot(c * kCell + kCell / 2 - bx, r * kCell + kCell / 2 - by) < 80) {
                reached[r * cols + c] = 1;
                todo.push_back(r * cols + c);
            }
    while (!todo.empty()) {
        int at = todo.back();
        todo.pop_back();
        int r = at / cols, c = at % cols;
        const int steps[4][2] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}};
        for (const auto &d : steps) {
            int nr = r + d[0], nc = c + d[1];
            if (nr < 0 || nr >= rows || nc < 0 || nc >= cols || blocked[nr * cols + nc] || reached[nr * cols + nc])
                continue;
            reached[nr * cols + nc] = 1;
            todo.push_back(nr * cols + nc);
        }
    }
    const char *const sides[] = {"left", "right", "top", "bottom"};
    for (int side = 0; side < 4; side++) {
        bool way = false;
        int n = side < 2 ? rows : cols;
        for (int i = 0; i < n && !way; i++) {
            int cell = side == 0 ? i * cols : side == 1 ? i * cols + cols - 1 : side == 2 ? i : (rows - 1) * cols + i;
            way = reached[cell] != 0;
        }
        if (!way)
            report->Add(lv.rel, Format("obstacles wall the bunker off from the %s edge", sides[side]));
    }
}

void CheckGameplay(DMDatabase *db, const Level &lv, const Data &data, int *max_troopers, Report *report)
{
    DMArray *g = db->GetArray("gameplay");
    *max_troopers = data.global_max_troopers;
    if (!g)
        return;
    if (g->GetNode("num_troopers_at_start"))
        report->Add(lv.rel, "sets \"num_troopers_at_start\" (list the squad in \"starting_troopers\")");
    if (DMNode *n = g->GetNode("max_troopers"))
        *max_troopers = atoi(Value(n, "value").c_str());
    if (!IsScoreMode(lv.mode))
        return;
    if (DMNode *n = g->GetNode("delay_between_waves"))
        if (Number(n, "value", 0) <= 0)
            report->Add(lv.rel, "has \"delay_between_waves\" 0 or less (a score mode needs a pause between waves)");
    if (DMNode *n = g->GetNode("reinforcement_wave_interval"))
        if (Number(n, "value", 0) < 1)
            report->Add(lv.rel, "has \"reinforcement_wave_interval\" below 1");
}

void CheckEnvironment(const Tree &tree, DMDatabase *db, const Level &lv, Report *report)
{
    DMArray *env = db->GetArray("environment");
    DMNode *bunker = env ? env->GetNode("bunker") : nullptr;
    bool has_base = bunker && bunker->GetValue("x");
    bool wants_base = lv.mode != "DEFEND_THE_FLAG" && lv.mode != "OPEN_AREA";
    if (!lv.mode.empty() && has_base != wants_base)
        report->Add(lv.rel, Format(wants_base ? "has no bunker (mode %s needs one)"
                                              : "has a bunker (mode %s plays without one)",
                                   lv.mode.c_str()));
    if (has_base) {
        float x = Number(bunker, "x", 0);
        if (x < 600 || x > 900)
            report->Add(lv.rel, Format("has its bunker at x %g (600 to 900: the posts fan out to its left)", x));
        std::string type = Value(bunker, "type");
        if (!type.empty() && type != "bunker" && type != "launcher" && type != "powerplant")
            report->Add(lv.rel, Format("has unknown bunker type '%s'", type.c_str()));
    }
    for (const char *key : {"background", "bunker_background"})
        if (env && env->GetNode(key))
            tree.CheckName(report, lv.rel, Value(env->GetNode(key), "value"));
    DMArray *decals = db->GetArray("environment_decals");
    for (int i = 0; decals && i < decals->GetSize(); i++)
        tree.CheckName(report, lv.rel, Value(decals->GetNode(i), "bitmap"));
    DMArray *emitters = db->GetArray("environment_emitters");
    for (int i = 0; emitters && i < emitters->GetSize(); i++) {
        DMNode *e = emitters->GetNode(i);
        tree.CheckName(report, lv.rel, Value(e, "fx"));
        float pre = Number(e, "presimulate", 0), interval = Number(e, "interval", 1);
        if (pre > 0 && pre <= 0.1f)
            report->Add(lv.rel, Format("emitter %d has \"presimulate\" %g (0, or above 0.1)", i + 1, pre));
        if (interval < 0.05f)
            report->Add(lv.rel, Format("emitter %d has \"interval\" %g (at least 0.05)", i + 1, interval));
    }
    if (has_base)
        CheckWayToBase(tree, db, bunker, lv, report);
    // Obstacles: the outline exists, and none sits on a trooper post.
    DMArray *obstacles = db->GetArray("obstacles");
    for (int i = 0; obstacles && i < obstacles->GetSize(); i++) {
        DMNode *o = obstacles->GetNode(i);
        tree.CheckName(report, lv.rel, Value(o, "obstacle"));
        if (!has_base)
            continue;
        float ox = Number(o, "x", 0), oy = Number(o, "y", 0);
        for (int k = 0; k < 5; k++) {
            double a = -M_PI + (k / 3.0 - 0.5) * M_PI / 3;
            double px = Number(bunker, "x", 0) + 140 * cos(a), py = Number(bunker, "y", 0) + 140 * sin(a);
            if (hypot(ox - px, oy - py) < 80) {
                report->Add(lv.rel, Format("obstacle %d stands within 80 of trooper post %d", i + 1, k + 1));
                break;
            }
        }
    }
}

void CheckEntities(const Tree &tree, DMDatabase *db, const Level &lv, const Data &data, Report *report)
{
    DMArray *ents = db->GetArray("entities");
    int tents = 0;
    for (int i = 0; ents && i < ents->GetSize(); i++) {
        DMNode *e = ents->GetNode(i);
        std::string type = Value(e, "type");
        if (data.entities && !Type(data, type))
            report->Add(lv.rel, Format("fixed entity %d has unknown type '%s'", i + 1, type.c_str()));
        if (e->GetValue("obstacle"))
            tree.CheckName(report, lv.rel, Value(e, "obstacle"));
        if (type == "MedTent" && Value(e, "obstacle") == "terrain/obstacles/medtent.xml")
            tents++;
    }
    if (lv.mode == "DEFEND_THE_FLAG" && tents != 3)
        report->Add(lv.rel, Format("has %d MedTents with the outline \"terrain/obstacles/medtent.xml\" (3 to defend)",
                                   tents));
}

// Waypoints: ids 1 to 16 (id 0 ends the list), unique, and every parent chain ends at an
// id without a record.
void CheckWaypoints(DMDatabase *db, const Level &lv, Report *report)
{
    DMArray *pts = db->GetArray("ai_points");
    if (!pts)
        return;
    int n = pts->GetSize();
    if (n > 16)
        report->Add(lv.rel, Format("has %d waypoints (at most 16)", n));
    std::map<int, int> parent;
    for (int i = 0; i < n; i++) {
        DMNode *p = pts->GetNode(i);
        int id = atoi(Value(p, "id").c_str());
        if (id < 1 || id > 16)
            report->Add(lv.rel, Format("waypoint %d has id %d (1 to 16; id 0 ends the list)", i + 1, id));
        else if (parent.count(id))
            report->Add(lv.rel, Format("waypoint id %d is used twice", id));
        else
            parent[id] = atoi(Value(p, "parent").c_str());
    }
    for (const auto &start : parent) {
        int at = start.first, steps = 0;
        while (parent.count(at) && steps <= 16) {
            at = parent[at];
            steps++;
        }
        if (steps > 16) {
            report->Add(lv.rel, Format("the route from waypoint %d runs in a circle", start.first));
            break;
        }
    }
}

void CheckSquad(DMDatabase *db, const Level &lv, const Data &data, int max_troopers, Report *report)
{
    DMArray *squad = db->GetArray("starting_troopers");
    int n = squad ? squad->GetSize() : 0;
    if (n > 5 || n > max_troopers)
        report->Add(lv.rel, Format("starts with %d troopers (at most 5 and the squad size %d)", n, max_troopers));
    for (int i = 0; i < n; i++) {
        std::string type = Value(squad->GetNode(i), "type");
        if (data.entities && Value(Type(data, type), "ai") != "Trooper")
            report->Add(lv.rel, Format("starting trooper %d is '%s', which is no trooper type", i + 1, type.c_str()));
    }
    if (lv.chapter > 0) {
        int want = ChapterSquad(lv.chapter, lv.number);
        if (n != want || max_troopers != want)
            report->Add(lv.rel, Format("%s starts with %d troopers of a squad of %d (its squad is %d)",
                                       lv.mission.c_str(), n, max_troopers, want));
    }
}

void CheckWaves(DMDatabase *db, const Level &lv, const Data &data, Report *report)
{
    DMArray *waves = db->GetArray("waves");
    int starts = 0;
    double seconds = 0;
    bool boss = false;
    std::vector<std::pair<int, int>> blocks;  // score modes: (min_wave, max_wave) per block
    std::set<std::string> emitters;
    DMArray *env = db->GetArray("environment_emitters");
    for (int i = 0; env && i < env->GetSize(); i++)
        emitters.insert(Value(env->GetNode(i), "id"));
    for (int i = 0; waves && i < waves->GetSize(); i++) {
        DMNode *w = waves->GetNode(i);
        std::string type = Value(w, "type");
        if (HasToken(type, "WAVE_START")) {
            starts++;
            seconds += 1.1;  // each wave's first spawn comes 1.1 s after its call
            blocks.push_back({(int)Number(w, "min_wave", 1), (int)Number(w, "max_wave", 0)});
        }
        if (Value(w, "flags").find("BOSS_WAVE") != std::string::npos)
            boss = true;
        if (type == "TUTORIAL") {
            std::string name = Value(w, "tutorial");
            if (data.tutorials && !data.tutorials->GetNode(name.c_str()))
                report->Add(lv.rel, Format("wave node %d shows unknown tutorial '%s'", i + 1, name.c_str()));
            std::string awaited = Value(w, "when_on_field");
            if (w->GetValue("when_on_field") && data.entities && Value(Type(data, awaited), "friend_group") != "ENEMIES")
                report->Add(lv.rel, Format("wave node %d waits for '%s', which is no enemy type", i + 1,
                                           awaited.c_str()));
        }
        if (type == "SPAWN") {
            std::string spawn = Value(w, "spawn_type");
            DMNode *t = Type(data, spawn);
            if (data.entities && !t)
                report->Add(lv.rel, Format("wave node %d spawns unknown type '%s'", i + 1, spawn.c_str()));
            else if (data.entities && Value(t, "ai") == "Mine")
                report->Add(lv.rel, Format("wave node %d spawns '%s', a mine (a spawned mine has no blast; eggs "
                                           "come from \"EggLayer\")",
                                           i + 1, spawn.c_str()));
            else if (data.entities && Value(t, "friend_group") != "ENEMIES")
                report->Add(lv.rel, Format("wave node %d spawns '%s', which is no enemy", i + 1, spawn.c_str()));
            int num = std::max(1, (int)Number(w, "num", 1));
            seconds += Number(w, "spawn_delay", 0);
            if (Value(w, "flags").find("NEXT_WAVE_AT_THE_SAME_TIME") == std::string::npos)
                seconds += num * Number(w, "interval", 0.5f);
        }
        if (type == "DELAY")
            seconds += std::max(0, (int)Number(w, "delay", 0));
        else if (w->GetValue("delay"))
            seconds += Number(w, "delay", 0);
        for (const char *key : {"enable_emitter", "disable_emitter"})
            if (w->GetValue(key) && !emitters.count(Value(w, key)))
                report->Add(lv.rel, Format("wave node %d switches unknown emitter '%s'", i + 1, Value(w, key).c_str()));
    }
    if (lv.mode == "LEVEL") {
        if (starts < 2 || starts > 8)
            report->Add(lv.rel, Format("has %d WAVE_START nodes (a LEVEL mission has 2 to 8 waves)", starts));
        if (seconds > 360)
            report->Add(lv.rel, Format("spawns and waits for %.0f game seconds (at most 360)", seconds));
        if (lv.number == 10 && !boss)
            report->Add(lv.rel, Format("%s is a boss mission without a BOSS_WAVE node", lv.mission.c_str()));
    }
    if (IsScoreMode(lv.mode)) {
        // Every wave number from 1 on has a block until a block without a last wave
        // covers all the rest.
        int open_from = 0;
        for (const auto &b : blocks)
            if (b.second == 0 && (open_from == 0 || b.first < open_from))
                open_from = std::max(1, b.first);
        if (open_from == 0)
            report->Add(lv.rel, "has no wave block without \"max_wave\" (the waves would run out)");
        for (int w = 1; w < open_from; w++) {
            bool covered = false;
            for (const auto &b : blocks)
                covered = covered || (b.first <= w && (b.second == 0 || w <= b.second));
            if (!covered) {
                report->Add(lv.rel, Format("has no wave block for wave %d", w));
                break;
            }
        }
    }
}

void CheckDrops(DMDatabase *db, const Level &lv, const Data &data, Report *report)
{
    DMArray *drops = db->GetArray("powerups");
    for (int i = 0; drops && data.entities && i < drops->GetSize(); i++) {
        std::string id = Id(drops->GetNode(i));
        if (!Type(data, id))
            report->Add(lv.rel, Format("drops unknown pick-up '%s'", id.c_str()));
    }
    std::vector<const char *> wanted;
    if (IsScoreMode(lv.mode))
        wanted.push_back("PowerupScore");
    if (lv.mode == "COLLECTOR") {
        wanted.push_back("PowerupSuperWeapon");
        wanted.push_back("PowerupHealth");
    }
    for (const char *w : wanted)
        if (!drops || !drops->GetNode(w))
            report->Add(lv.rel, Format("mode %s drops '%s' but the level lists no such pick-up", lv.mode.c_str(), w));
}

void CheckRoamers(DMDatabase *db, const Level &lv, const Data &data, Report *report)
{
    bool boosted = false;
    for (const char *m : kBoostedMissions)
        boosted = boosted || lv.mission == m;
    if (boosted || !data.entities)
        return;
    std::set<std::string> roamers;
    DMArray *waves = db->GetArray("waves");
    for (int i = 0; waves && i < waves->GetSize(); i++)
        if (Value(waves->GetNode(i), "type") == "SPAWN" && Roams(data, Value(waves->GetNode(i), "spawn_type")))
            roamers.insert(Value(waves->GetNode(i), "spawn_type"));
    DMArray *ents = db->GetArray("entities");
    for (int i = 0; ents && i < ents->GetSize(); i++)
        if (Roams(data, Value(ents->GetNode(i), "type")))
            roamers.insert(Value(ents->GetNode(i), "type"));
    for (const std::string &r : roamers)
        report->Add(lv.rel, Format("holds '%s', which never comes to the base (only MISSION2_3, MISSION2_6, "
                                   "MISSION3_4, MISSION3_6 and MISSION3_10 may)",
                                   r.c_str()));
}

void CheckLevel(const Tree &tree, const Level &lv, const Data &data, Report *report)
{
    DMDatabase *db = Db(tree, lv.rel);
    if (!db)
        return;
    int max_troopers = 0;
    CheckGameplay(db, lv, data, &max_troopers, report);
    CheckEnvironment(tree, db, lv, report);
    CheckEntities(tree, db, lv, data, report);
    CheckWaypoints(db, lv, report);
    CheckSquad(db, lv, data, max_troopers, report);
    CheckWaves(db, lv, data, report);
    CheckDrops(db, lv, data, report);
    CheckRoamers(db, lv, data, report);
    CheckLevelNumbers(db, lv.rel, report);
}

// The trooper type a class unlock names ("MINIGUN_TROOPER" gives "MinigunTrooper");
// "" for any other id.
std::string ClassOfUnlock(const std::string &id)
{
    static const char *const kClasses[][2] = {{"MINIGUN_TROOPER", "MinigunTrooper"},
                                              {"SHOTGUN_TROOPER", "ShotgunTrooper"},
                                              {"BAZOOKA_TROOPER", "BazookaTrooper"},
                                              {"PYRO_TROOPER", "PyroTrooper"},
                                              {"SNIPER_TROOPER", "SniperTrooper"}};
    for (const auto &c : kClasses)
        if (id == c[0])
            return c[1];
    return "";
}

// A notice of a new trooper class after a mission whose squad (or an earlier one's)
// already had that class tells the player what they have known since: each class
// shown as new is one no squad has fought with yet.
void CheckClassUnlocks(const Tree &tree, DMDatabase *missions, DMArray *shop, Report *report)
{
    std::map<std::string, std::string> fought;  // class -> the first mission that had it
    for (int c = 0; c < 3; c++) {
        DMArray *a = missions->GetArray(c);
        for (int m = 0; a && m < a->GetSize(); m++) {
            DMNode *n = a->GetNode(m);
            std::string id = Id(n);
            DMDatabase *level = Db(tree, tree.Resolve(Value(n, "level")));
            DMArray *squad = level ? level->GetArray("starting_troopers") : nullptr;
            for (int i = 0; squad && i < squad->GetSize(); i++)
                fought.emplace(Value(squad->GetNode(i), "type"), id);
            for (const std::string &u : Tokens(Value(n, "unlocks"))) {
                std::string cls = ClassOfUnlock(u);
                DMNode *item = shop ? shop->GetNode(u.c_str()) : nullptr;
                if (cls.empty() || !item || Value(item, "type") != "New trooper class" || !fought.count(cls))
                    continue;
                report->Add("missions.xml", Format("mission '%s' unlocks '%s' as a new trooper class, but '%s' has "
                                                   "been in the squad since '%s'",
                                                   id.c_str(), u.c_str(), cls.c_str(), fought[cls].c_str()));
            }
        }
    }
}

}  // namespace

void CheckMissions(const Tree &tree, const std::vector<std::string> &categories, Report *report)
{
    const char rel[] = "missions.xml";
    Data data;
    data.entities = Array(tree, "entities.xml", "entities");
    data.tutorials = Array(tree, "texts.xml", "tutorial");
    if (DMArray *g = Array(tree, "gameplay-global.xml", "gameplay"))
        if (DMNode *n = g->GetNode("max_troopers"))
            data.global_max_troopers = atoi(Value(n, "value").c_str());
    DMArray *shop = Array(tree, "shop.xml", "Upgrades");
    DMDatabase *ranks = Db(tree, "ranks.xml");

    std::vector<Level> levels;
    std::set<std::string> named;
    DMDatabase *db = Db(tree, rel);
    const char *const order[] = {"CHAPTER1", "CHAPTER2", "CHAPTER3", "EXTRAS"};
    for (int i = 0; db && i < 4; i++) {
        DMArray *at = db->GetArray(i);
        if (!at || !at->id || std::string(at->id) != order[i])
            report->Add(rel, Format("array %d is '%s' (the arrays are CHAPTER1, CHAPTER2, CHAPTER3, EXTRAS in order)",
                                    i + 1, at && at->id ? at->id : ""));
    }
    for (int c = 1; db && c <= 4; c++) {
        bool extra = c == 4;
        const char *name = order[c - 1];
        DMArray *a = db->GetArray(name);
        int want = extra ? 6 : 10;
        if (!a || a->GetSize() != want) {
            report->Add(rel, Format("array '%s' needs %d missions", name, want));
            if (!a)
                continue;
        }
        for (int m = 1; m <= a->GetSize(); m++) {
            DMNode *n = a->GetNode(m - 1);
            std::string id = Id(n), mode = Value(n, "mode"), level = Value(n, "level");
            if (!extra && id != Format("MISSION%d_%d", c, m))
                report->Add(rel, Format("mission %d of '%s' is '%s' (MISSION%d_%d)", m, name, id.c_str(), c, m));
            if (!extra && mode != "LEVEL")
                report->Add(rel, Format("chapter mission '%s' has mode '%s' (only LEVEL missions write progress)",
                                        id.c_str(), mode.c_str()));
            if (extra && !IsScoreMode(mode))
                report->Add(rel, Format("extra '%s' has mode '%s' (a score mode)", id.c_str(), mode.c_str()));
            if (level.empty())
                report->Add(rel, Format("mission '%s' names no level", id.c_str()));
            else if (tree.CheckName(report, rel, level) && named.insert(id).second) {
                Level lv;
                lv.rel = tree.Resolve(level);
                lv.mode = mode;
                lv.mission = id;
                if (!extra && id == Format("MISSION%d_%d", c, m)) {
                    lv.chapter = c;
                    lv.number = m;
                }
                levels.push_back(lv);
            }
            for (const char *key : {"name", "desc", "pic"})
                if (Value(n, key).empty())
                    report->Add(rel, Format("mission '%s' has no \"%s\"", id.c_str(), key));
            if (!extra) {
                std::vector<std::string> unlocks = Tokens(Value(n, "unlocks"));
                for (const std::string &u : unlocks)
                    if (shop && !shop->GetNode(u.c_str()))
                        report->Add(rel, Format("mission '%s' unlocks '%s', which has no shop node", id.c_str(),
                                                u.c_str()));
                if (m == 10 && unlocks.empty())
                    report->Add(rel, Format("boss mission '%s' unlocks nothing (its first win would skip the "
                                            "chapter screen)",
                                            id.c_str()));
                continue;
            }
            if (atoi(Value(n, "unlock_stars").c_str()) <= 0)
                report->Add(rel, Format("extra '%s' has no \"unlock_stars\"", id.c_str()));
            if (shop && !shop->GetNode(id.c_str()))
                report->Add(rel, Format("extra '%s' has no shop node", id.c_str()));
            if (!categories.empty() && std::find(categories.begin(), categories.end(), id) == categories.end())
                report->Add(rel, Format("extra '%s' has no leaderboard category", id.c_str()));
            std::string ranks_id = "ranks_" + Lower(id);
            if (ranks && !ranks->GetArray(ranks_id.c_str()))
                report->Add(rel, Format("extra '%s' has no array '%s' in ranks.xml", id.c_str(), ranks_id.c_str()));
        }
    }
    if (db)
        CheckClassUnlocks(tree, db, shop, report);
    std::set<std::string> checked;
    for (const Level &lv : levels)
        if (checked.insert(lv.rel + "\n" + lv.mission).second)
            CheckLevel(tree, lv, data, report);
    // Level files no mission names: the rules that need no mode.
    std::set<std::string> files;
    for (const Level &lv : levels)
        files.insert(lv.rel);
    for (const std::string &f : tree.Files())
        if (IsLevelName(f) && !files.count(f)) {
            Level lv;
            lv.rel = f;
            CheckLevel(tree, lv, data, report);
        }
}

}  // namespace contentcheck
