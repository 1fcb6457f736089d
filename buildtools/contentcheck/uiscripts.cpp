// UI scripts. "ui/templates.lua" defines every default and named template with
// properties its kinds know; "ui/autoexec.lua" creates every scripted screen from an
// existing layout; a layout starts with "UIEvents" naming its events file and holds only
// what the UI script writer writes back (literal CreateComp/SetProperty lines of exported
// properties in the writer's order, known templates, parents created first, no absolute
// positions) plus the components the screen's code addresses; an events file only
// defines functions, among them OnLoad and OnClick.
#include "dbread.h"
#include "luarun.h"
#include "uitables.h"

#include <ctype.h>
#include <string.h>
#include <strings.h>

#include <algorithm>

namespace contentcheck {

namespace {

const char kTemplates[] = "ui/templates.lua";
const char kAutoexec[] = "ui/autoexec.lua";

bool IsEventsFile(const std::string &rel)
{
    return EndsWith(rel, "-events.lua");
}

// One literal argument at text[*p]: a string in double quotes, a number, true, false
// or nil. Moves *p past it.
bool Literal(const std::string &text, size_t *p)
{
    size_t i = *p;
    if (i >= text.size())
        return false;
    if (text[i] == '"') {
        for (i++; i < text.size() && text[i] != '"'; i++)
            if (text[i] == '\\')
                i++;
        if (i >= text.size())
            return false;
        *p = i + 1;
        return true;
    }
    for (const char *word : {"true", "false", "nil"}) {
        size_t n = strlen(word);
        if (text.compare(i, n, word) == 0 && (i + n >= text.size() || !isalnum((unsigned char)text[i + n]))) {
            *p = i + n;
            return true;
        }
    }
    size_t start = i;
    if (text[i] == '-')
        i++;
    while (i < text.size() && (isdigit((unsigned char)text[i]) || text[i] == '.' || text[i] == 'e' ||
                               text[i] == 'E' || ((text[i] == '-' || text[i] == '+') && (text[i - 1] == 'e' || text[i - 1] == 'E'))))
        i++;
    if (i == start || (i == start + 1 && text[start] == '-'))
        return false;
    *p = i;
    return true;
}

// A line the writer could have written: blank, a comment, or one call of UIEvents,
// CreateComp or SetProperty with literal arguments.
bool WriterLine(const std::string &raw)
{
    size_t b = raw.find_first_not_of(" \t");
    if (b == std::string::npos || raw.compare(b, 2, "--") == 0)
        return true;
    std::string line = raw.substr(b);
    while (!line.empty() && (line.back() == ' ' || line.back() == '\t'))
        line.pop_back();
    size_t p = line.find_first_of(" (");
    std::string fn = line.substr(0, p);
    if (fn != "UIEvents" && fn != "CreateComp" && fn != "SetProperty")
        return false;
    while (p < line.size() && line[p] == ' ')
        p++;
    if (p >= line.size() || line[p] != '(')
        return false;
    p++;
    for (bool first = true;; first = false) {
        while (p < line.size() && line[p] == ' ')
            p++;
        if (p < line.size() && line[p] == ')' && first)
            break;
        if (!Literal(line, &p))
            return false;
        while (p < line.size() && line[p] == ' ')
            p++;
        if (p < line.size() && line[p] == ',') {
            p++;
            continue;
        }
        break;
    }
    return line.compare(p, std::string::npos, ");") == 0;
}

std::string Text(const LuaCall &c, size_t i)
{
    return i < c.args.size() && c.args[i].kind == LuaValue::STRING ? c.args[i].text : "";
}

// A component as built by a script.
struct Comp {
    std::string name;
    const UiKind *kind = nullptr;
    std::string parent, features, position_type;
    bool custom_draw = false;
};

void CheckTemplates(const Tree &tree, Facts *facts, Report *report)
{
    if (!tree.Has(kTemplates))
        return;
    std::string text, error;
    if (!ReadFile(tree.Native(kTemplates), &text) || !Compiles(kTemplates, text, &error))
        return;
    std::vector<LuaCall> calls;
    if (!RunRecorded(kTemplates, text, {"CreateComp", "SetProperty", "UICompEvent"}, &calls, &error))
        report->Add(kTemplates, "fails when run: " + error);
    const UiKind *current = nullptr;
    std::string current_name;
    for (const LuaCall &c : calls) {
        if (c.function == "CreateComp") {
            current_name = Text(c, 1);
            current = FindUiKind(Text(c, 0));
            if (!current)
                report->Add(kTemplates, Format("template '%s': unknown component type '%s'", current_name.c_str(),
                                               Text(c, 0).c_str()));
            else
                facts->templates[Lower(current_name)] = Lower(current->word);
            continue;
        }
        if (c.function != "SetProperty" || !current)
            continue;
        std::string prop = Text(c, 0);
        if (!Settable(*current, prop))
            report->Add(kTemplates, Format("template '%s': unknown property '%s' for a %s", current_name.c_str(),
                                           prop.c_str(), current->word));
        if (prop == "inherit" && !facts->templates.count(Lower(Text(c, 1))))
            report->Add(kTemplates, Format("template '%s' inherits from '%s', which is not defined before it",
                                           current_name.c_str(), Text(c, 1).c_str()));
    }
    for (const UiKind &k : UiKinds()) {
        std::string name = std::string("Default") + k.word;
        if (!facts->templates.count(Lower(name)))
            report->Add(kTemplates, "defines no template '" + name + "'");
    }
    for (const std::string &name : NamedTemplates())
        if (!facts->templates.count(Lower(name)))
            report->Add(kTemplates, "defines no template '" + name + "'");
}

// The events file a layout names in its first call (UIEvents), or "" when it names none.
std::string EventsFileOf(const Tree &tree, const std::string &layout)
{
    std::string text, error;
    std::vector<LuaCall> calls;
    if (!ReadFile(tree.Native(layout), &text))
        return "";
    RunRecorded(layout, text, {"UIEvents", "CreateComp", "SetProperty"}, &calls, &error);
    if (calls.empty() || calls[0].function != "UIEvents")
        return "";
    return Text(calls[0], 0);
}

// Each screen the start-up script creates comes from an existing layout whose events
// file exists and defines OnLoad and OnClick (the framework calls both on every
// scripted screen); a screen of the game's table comes from its own layout.
void CheckAutoexec(const Tree &tree, Facts *facts, Report *report)
{
    if (!tree.Has(kAutoexec))
        return;
    std::string text, error;
    if (!ReadFile(tree.Native(kAutoexec), &text) || !Compiles(kAutoexec, text, &error))
        return;
    std::vector<LuaCall> calls;
    if (!RunRecorded(kAutoexec, text, {"CreateScreen"}, &calls, &error))
        report->Add(kAutoexec, "fails when run: " + error);
    for (const LuaCall &c : calls) {
        const std::string name = Text(c, 0), layout = Text(c, 1);
        if (facts->scripted_screens.count(name))
            report->Add(kAutoexec, Format("creates screen '%s' twice (the second is refused)", name.c_str()));
        facts->scripted_screens[name] = layout;
        tree.CheckName(report, kAutoexec, layout);
        for (const ScriptedScreen &s : ScriptedScreens())
            if (name == s.name && layout != s.file)
                report->Add(kAutoexec, Format("creates screen '%s' from '%s', not '%s'", s.name, layout.c_str(), s.file));
        if (!tree.Has(layout))
            continue;
        const std::string events = EventsFileOf(tree, layout);
        if (events.empty() || !tree.Has(events)) {
            report->Add(kAutoexec, Format("screen '%s': layout '%s' names no existing events file", name.c_str(),
                                          layout.c_str()));
            continue;
        }
        std::string events_text;
        std::vector<bool> defined;
        if (!ReadFile(tree.Native(events), &events_text) ||
            !RunDefines(events, events_text, {"OnLoad", "OnClick"}, &defined, &error))
            continue;  // the events file's own check reports why
        for (size_t i = 0; i < defined.size(); i++)
            if (!defined[i])
                report->Add(kAutoexec, Format("screen '%s': events file '%s' defines no %s", name.c_str(),
                                              events.c_str(), i == 0 ? "OnLoad" : "OnClick"));
    }
    // A shipped layout of a scripted screen of the game's table has its screen (without
    // one every push of it is refused).
    for (const ScriptedScreen &s : ScriptedScreens()) {
        if (facts->scripted_screens.count(s.name) || !tree.Has(s.file))
            continue;
        report->Add(kAutoexec, Format("creates no screen '%s' (layout '%s')", s.name, s.file));
    }
}

void CheckEvents(const Tree &tree, const std::string &rel, Report *report)
{
    std::string text, error;
    if (!ReadFile(tree.Native(rel), &text) || !Compiles(rel, text, &error))
        return;
    std::vector<bool> defined;
    if (!RunDefines(rel, text, {"OnLoad", "OnClick"}, &defined, &error))
        report->Add(rel, "does more than define functions (it runs before the components exist): " + error);
    if (!defined[0])
        report->Add(rel, "defines no function OnLoad (the framework calls it)");
    if (!defined[1])
        report->Add(rel, "defines no function OnClick (the framework calls it)");
}

// The components the screen's code addresses.
void CheckScreenComponents(const std::string &rel, const std::vector<Comp> &comps, Report *report)
{
    for (const ScreenLayout &layout : ScreenLayouts()) {
        if (layout.file != rel)
            continue;
        for (const ScreenComp &want : layout.comps) {
            auto it = std::find_if(comps.begin(), comps.end(), [&](const Comp &c) { return c.name == want.name; });
            if (it == comps.end()) {
                report->Add(rel, Format("has no component '%s' (its screen addresses it)", want.name.c_str()));
                continue;
            }
            if (!want.type.empty() && it->kind && strcasecmp(it->kind->word, want.type.c_str()) != 0)
                report->Add(rel, Format("component '%s' is a %s, not a %s", want.name.c_str(), it->kind->word,
                                        want.type.c_str()));
            if (!want.parent.empty() && it->parent != want.parent)
                report->Add(rel, Format("component '%s' is not a child of '%s'", want.name.c_str(), want.parent.c_str()));
            if (!want.feature.empty() && it->features.find(want.feature) == std::string::npos)
                report->Add(rel, Format("component '%s' lacks required_features \"%s\"", want.name.c_str(),
                                        want.feature.c_str()));
            if (want.custom_draw && !it->custom_draw)
                report->Add(rel, Format("component '%s' needs custom_draw", want.name.c_str()));
        }
    }
}

void CheckLayout(const Tree &tree, const Facts &facts, const std::string &rel, std::set<std::string> *events,
                 Report *report)
{
    std::string text, error;
    if (!ReadFile(tree.Native(rel), &text) || !Compiles(rel, text, &error))
        return;
    int line_no = 0;
    size_t at = 0;
    while (at < text.size()) {
        size_t eol = text.find('\n', at);
        std::string line = text.substr(at, eol == std::string::npos ? std::string::npos : eol - at);
        at = eol == std::string::npos ? text.size() : eol + 1;
        line_no++;
        if (!WriterLine(line))
            report->Add(rel, Format("line %d is not a line the UI script writer writes (UIEvents, CreateComp or "
                                    "SetProperty with literal values)",
                                    line_no));
    }
    std::vector<LuaCall> calls;
    if (!RunRecorded(rel, text, {"UIEvents", "CreateComp", "SetProperty"}, &calls, &error))
        report->Add(rel, "fails when run: " + error);
    std::string expected = rel.substr(0, rel.size() - 4) + "-events.lua";
    if (calls.empty() || calls[0].function != "UIEvents") {
        report->Add(rel, "does not start with UIEvents (\"" + expected + "\")");
    } else {
        std::string named = Text(calls[0], 0);
        if (named != expected)
            report->Add(rel, "names events file '" + named + "', not '" + expected + "'");
        else if (tree.Has(named))
            events->insert(named);
    }
    std::vector<Comp> comps;
    int last_index = -1;
    std::string last_prop;
    for (size_t i = 0; i < calls.size(); i++) {
        const LuaCall &c = calls[i];
        if (c.function == "UIEvents") {
            if (i > 0)
                report->Add(rel, "calls UIEvents more than once");
            continue;
        }
        if (c.function == "CreateComp") {
            Comp comp;
            comp.name = Text(c, 1);
            comp.kind = FindUiKind(Text(c, 0));
            if (!comp.kind)
                report->Add(rel, Format("component '%s': unknown type '%s'", comp.name.c_str(), Text(c, 0).c_str()));
            for (const Comp &other : comps)
                if (other.name == comp.name)
                    report->Add(rel, Format("component name '%s' is used twice (lookups find the first)",
                                            comp.name.c_str()));
            comps.push_back(comp);
            last_index = -1;
            last_prop.clear();
            continue;
        }
        std::string prop = Text(c, 0);
        if (comps.empty()) {
            report->Add(rel, "SetProperty (\"" + prop + "\") before any CreateComp");
            continue;
        }
        Comp &comp = comps.back();
        if (!comp.kind)
            continue;
        int index = ExportIndex(*comp.kind, prop);
        if (index < 0) {
            if (Settable(*comp.kind, prop))
                report->Add(rel, Format("component '%s': \"%s\" is not a property the UI script writer exports "
                                        "(set it in a template or in OnLoad)",
                                        comp.name.c_str(), prop.c_str()));
            else
                report->Add(rel, Format("component '%s': unknown property '%s' for a %s", comp.name.c_str(),
                                        prop.c_str(), comp.kind->word));
            continue;
        }
        bool repeats = prop == "path.point" && prop == last_prop;
        if (index < last_index || (index == last_index && !repeats))
            report->Add(rel, Format("component '%s': \"%s\" comes after \"%s\", not in the UI script writer's order",
                                    comp.name.c_str(), prop.c_str(), last_prop.c_str()));
        last_index = std::max(last_index, index);
        last_prop = prop;
        std::string value = Text(c, 1);
        if (prop == "inherit") {
            auto t = facts.templates.find(Lower(value));
            if (t == facts.templates.end())
                report->Add(rel, Format("component '%s' inherits from unknown template '%s'", comp.name.c_str(),
                                        value.c_str()));
            else if (t->second != Lower(comp.kind->word))
                report->Add(rel, Format("component '%s' is a %s but template '%s' is not", comp.name.c_str(),
                                        comp.kind->word, value.c_str()));
        } else if (prop == "parent") {
            bool found = false;
            for (size_t k = 0; k + 1 < comps.size(); k++)
                found = found || comps[k].name == value;
            if (!found)
                report->Add(rel, Format("component '%s': parent '%s' is not created before it", comp.name.c_str(),
                                        value.c_str()));
            comp.parent = value;
        } else if (prop == "required_features") {
            comp.features = value;
        } else if (prop == "custom_draw") {
            comp.custom_draw = c.args.size() > 1 && c.args[1].number != 0;
        } else if (prop == "position_type") {
            if (value == "ABSOLUTE" || (value == "RELATIVE_TO_SCREEN" && comp.parent.empty()))
                report->Add(rel, Format("component '%s': position type %s (the writer makes it RELATIVE_TO_PARENT)",
                                        comp.name.c_str(), value.c_str()));
        }
    }
    CheckScreenComponents(rel, comps, report);
}

}  // namespace

void CheckUiScripts(const Tree &tree, Facts *facts, Report *report)
{
    CheckTemplates(tree, facts, report);
    CheckAutoexec(tree, facts, report);
    std::set<std::string> events;
    for (const std::string &rel : tree.Files()) {
        if (!StartsWith(rel, "ui/") || !EndsWith(rel, ".lua") || rel == kTemplates || rel == kAutoexec)
            continue;
        if (IsEventsFile(rel))
            events.insert(rel);
        else
            CheckLayout(tree, *facts, rel, &events, report);
    }
    for (const std::string &rel : events)
        CheckEvents(tree, rel, report);
}

}  // namespace contentcheck
