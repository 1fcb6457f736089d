// The test player's navigation hints, "ai-player.xml", against the screens: array
// "navigation" names screens the game has, each with a "forward" component that the
// screen's layout creates; array "forward" names components some layout creates;
// every "probability" is a whole percentage of 0 to 100.
#include "contentcheck.h"
#include "luarun.h"
#include "uitables.h"

#include "app/services/dataman.h"

#include <stdlib.h>

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
}

}  // namespace contentcheck
