// The test player's navigation hints, "ai-player.xml", against the screens: array
// "navigation" names screens the game has, each with a "forward" component that the
// screen's layout creates; array "forward" names components some layout creates;
// every "probability" is a whole percentage of 0 to 100. Then the routes: every
// screen the player can reach (all but loading, transitions and developer screens)
// whose layout is in the tree offers it something to press (a name of its row in the
// game's player, a hint naming one of its components, or the player's own handling);
// and the mission ids the player knows: the chapters end with "MISSION<c>_10", the
// INCOMING mission is "INCOMING_MODE".
#include "contentcheck.h"
#include "luarun.h"
#include "uitables.h"

#include "app/services/dataman.h"
#include "tools/ai-korvald-screens.h"

#include <stdlib.h>
#include <string.h>
#include <strings.h>

namespace contentcheck {

namespace {

const char kFile[] = "ai-player.xml";

// The layouts of the code's screens (the scripted ones come from "ui/autoexec.lua").
const struct {
    const char *screen, *file;
} kCodeLayouts[] = {
    {"Loading", "ui/loading.lua"},
    {"PopupLoadGame", "ui/popup-load-game.lua"},
    {"MainMenu", "ui/main-menu.lua"},
    {"LoaderTransition", "ui/loader-transition.lua"},
    {"Game", "ui/game.lua"},
    {"Shop", "ui/shop.lua"},
    {"PickReinforcement", "ui/pick-reinforcement.lua"},
    {"ArmTroopers", "ui/arm-troopers.lua"},
    {"ChooseUpgrade", "ui/choose-upgrade.lua"},
    {"PickUpgrade", "ui/pick-upgrade.lua"},
    {"GameOver", "ui/game-over.lua"},
    {"LevelLost", "ui/level-lost.lua"},
    {"LevelWon", "ui/level-won.lua"},
    {"FeatureUnlocked", "ui/feature-unlocked.lua"},
    {"Leaderboards", "ui/fw/leaderboards.lua"},
    {"TalvikNews", "ui/fw/talvik-news.lua"},
    {"Transition", "ui/fw/screen-transition.lua"},
    {"TimelineTransition", "ui/fw/timeline-transition.lua"},
    {"Timeline", "ui/fw/timeline.lua"},
    {"LevelEditor", "ui/level-editor.lua"},
    {"ObstacleEditor", "ui/obstacle-editor.lua"},
    {"AnalyzeMission", "ui/analyze-mission.lua"},
};

std::string LayoutOf(const std::string &screen, const Facts &facts)
{
    auto it = facts.scripted_screens.find(screen);
    if (it != facts.scripted_screens.end())
        return it->second;
    for (const ScriptedScreen &s : ScriptedScreens())
        if (screen == s.name)
            return s.file;
    for (const auto &c : kCodeLayouts)
        if (screen == c.screen)
            return c.file;
    return "";
}

// The names a layout creates; false when the file is missing or does not run.
bool ComponentsOf(const Tree &tree, const std::string &rel, std::set<std::string> *names)
{
    std::string text, error;
    if (!tree.Has(rel) || !ReadFile(tree.Native(rel), &text))
        return false;
    std::vector<LuaCall> calls;
    if (!RunRecorded(rel, text, {"UIEvents", "CreateComp", "SetProperty"}, &calls, &error))
        return false;
    for (const LuaCall &c : calls)
        if (c.function == "CreateComp" && c.args.size() > 1)
            names->insert(c.args[1].text);
    return true;
}

void CheckProbability(const DMNode *node, const char *array, Report *report)
{
    const char *p = node->GetValue("probability");
    if (!p)
        return;
    char *end = nullptr;
    long v = strtol(p, &end, 10);
    if (!*p || *end || v < 0 || v > 100)
        report->Add(kFile, Format("%s '%s': probability '%s' is not a whole percentage of 0 to 100", array,
                                  node->id ? node->id : "", p));
}

bool Among(const std::string &name, const char *const *list, size_t n)
{
    for (size_t i = 0; i < n; i++)
        if (name == list[i])
            return true;
    return false;
}

void CheckRoutes(const Tree &tree, const Facts &facts, DMArray *navigation, DMArray *forward, Report *report)
{
    std::set<std::string> screens;
    for (const ScriptedScreen &s : ScriptedScreens())
        screens.insert(s.name);
    for (const auto &c : kCodeLayouts)
        screens.insert(c.screen);
    for (const auto &s : facts.scripted_screens)
        screens.insert(s.first);
    for (const std::string &screen : screens) {
        if (Among(screen, kAIKorvaldNoRoute, sizeof kAIKorvaldNoRoute / sizeof *kAIKorvaldNoRoute) ||
            Among(screen, kAIKorvaldOwnScreens, sizeof kAIKorvaldOwnScreens / sizeof *kAIKorvaldOwnScreens))
            continue;
        std::string layout = LayoutOf(screen, facts);
        std::set<std::string> names;
        if (layout.empty() || !ComponentsOf(tree, layout, &names))
            continue;
        bool route = false;
        std::string offered;
        bool listed = false;
        for (const AIKorvaldScreen &row : kAIKorvaldScreens) {
            if (screen != row.screen)
                continue;
            listed = true;
            for (int i = 0; row.names[i]; i++) {
                route = route || names.count(row.names[i]);
                offered += std::string(offered.empty() ? "" : ", ") + row.names[i];
            }
        }
        // A screen without a row is answered "Ok".
        if (!listed) {
            route = names.count("Ok") != 0;
            offered = "Ok";
        }
        DMNode *hint = navigation ? navigation->GetNode(screen.c_str()) : nullptr;
        const char *hinted = hint ? hint->GetValue("forward") : nullptr;
        route = route || (hinted && names.count(hinted));
        for (int i = 0; !route && forward && i < forward->GetSize(); i++) {
            DMNode *node = forward->GetNode(i);
            route = node && node->id && names.count(node->id);
        }
        if (!route)
            report->Add(kFile, Format("screen '%s' offers the test player nothing to press (layout '%s' has none of "
                                      "%s, and no hint names one of its components)",
                                      screen.c_str(), layout.c_str(), offered.c_str()));
    }
}

void CheckMissionIds(const Tree &tree, Report *report)
{
    if (!tree.Has("missions.xml"))
        return;
    DMDatabase *db = dman().GetDatabase(Engine::Name("missions.xml").c_str());
    if (!db)
        return;
    for (int c = 1; c <= 3; c++) {
        std::string id = Format("CHAPTER%d", c), last = Format("MISSION%d_10", c);
        DMArray *chapter = db->GetArray(id.c_str());
        DMNode *node = chapter && chapter->GetSize() ? chapter->GetNode(chapter->GetSize() - 1) : nullptr;
        if (!node || !node->id || last != node->id)
            report->Add("missions.xml", Format("array '%s' does not end with '%s' (the test player reads its rating)",
                                               id.c_str(), last.c_str()));
    }
    for (int a = 0; a < db->GetNumberOfArrays(); a++) {
        DMArray *array = db->GetArray(a);
        for (int n = 0; array && n < array->GetSize(); n++) {
            DMNode *node = array->GetNode(n);
            const char *mode = node ? node->GetValue("mode") : nullptr;
            if (mode && strcasecmp(mode, "INCOMING") == 0 && (!node->id || strcmp(node->id, "INCOMING_MODE") != 0))
                report->Add("missions.xml", Format("the INCOMING mission is '%s', not 'INCOMING_MODE' (the test "
                                                   "player leaves that one alone)",
                                                   node->id ? node->id : ""));
        }
    }
}

}  // namespace

void CheckAiPlayer(const Tree &tree, const Facts &facts, Report *report)
{
    if (!tree.Has(kFile))
        return;
    DMDatabase *db = dman().GetDatabase(Engine::Name(kFile).c_str());
    DMArray *navigation = db ? db->GetArray("navigation") : nullptr;
    DMArray *forward = db ? db->GetArray("forward") : nullptr;
    if (!navigation)
        report->Add(kFile, "has no array 'navigation'");
    if (!forward)
        report->Add(kFile, "has no array 'forward'");

    for (int i = 0; navigation && i < navigation->GetSize(); i++) {
        DMNode *node = navigation->GetNode(i);
        std::string screen = node && node->id ? node->id : "";
        CheckProbability(node, "navigation", report);
        if (!KnownScreen(screen) && !facts.scripted_screens.count(screen)) {
            report->Add(kFile, Format("navigation names unknown screen '%s'", screen.c_str()));
            continue;
        }
        const char *comp = node->GetValue("forward");
        if (!comp || !*comp) {
            report->Add(kFile, Format("navigation '%s' has no 'forward' component", screen.c_str()));
            continue;
        }
        std::string layout = LayoutOf(screen, facts);
        std::set<std::string> names;
        // A layout the ignore list names is not shipped yet: nothing to check it against.
        if (!layout.empty() && tree.Ignored(layout) && !tree.Has(layout))
            continue;
        if (layout.empty() || !ComponentsOf(tree, layout, &names))
            report->Add(kFile, Format("navigation '%s': the screen's layout '%s' is missing", screen.c_str(),
                                      layout.c_str()));
        else if (!names.count(comp))
            report->Add(kFile, Format("navigation '%s': layout '%s' has no component '%s'", screen.c_str(),
                                      layout.c_str(), comp));
    }

    // Every component named by some layout of the tree.
    std::set<std::string> all;
    for (const std::string &rel : tree.Files())
        if (StartsWith(rel, "ui/") && EndsWith(rel, ".lua") && !EndsWith(rel, "-events.lua"))
            ComponentsOf(tree, rel, &all);
    for (int i = 0; forward && i < forward->GetSize(); i++) {
        DMNode *node = forward->GetNode(i);
        std::string id = node && node->id ? node->id : "";
        CheckProbability(node, "forward", report);
        if (id.empty() || !all.count(id))
            report->Add(kFile, Format("forward names component '%s' that no layout creates", id.c_str()));
    }
    CheckRoutes(tree, facts, navigation, forward, report);
    CheckMissionIds(tree, report);
}

}  // namespace contentcheck
