// What the UI scripts may hold: the component kinds with the properties each sets and
// the ones the UI script writer exports (in the writer's order), the templates the
// framework expects, and the screens with the components their code addresses.
#ifndef BUILDTOOLS_CONTENTCHECK_UITABLES_H
#define BUILDTOOLS_CONTENTCHECK_UITABLES_H

#include <string>
#include <vector>

namespace contentcheck {

// A component kind: its type word as the writer spells it and its property names.
struct UiKind {
    const char *word;
    std::vector<std::string> exported;  // the kind's own lines, in the writer's order
    std::vector<std::string> settable;  // accepted but never written
};

// The 19 kinds; null for an unknown word (compared without regard to case).
const UiKind *FindUiKind(const std::string &word);
const std::vector<UiKind> &UiKinds();
// The base properties the writer exports, in its order, and those it never writes.
const std::vector<std::string> &BaseExported();
const std::vector<std::string> &BaseSettable();
// The writer's position of a property for a kind (base lines first), or -1 when the
// writer never writes it.
int ExportIndex(const UiKind &kind, const std::string &property);
// True when the kind accepts the property at all.
bool Settable(const UiKind &kind, const std::string &property);

// Templates "ui/templates.lua" must define besides one "Default<Type>" per kind.
const std::vector<std::string> &NamedTemplates();

// A component the code addresses in a layout: name, type word ("" for any), parent
// ("" for any), required feature ("" for none), custom_draw needed.
struct ScreenComp {
    std::string name, type, parent, feature;
    bool custom_draw = false;
};
struct ScreenLayout {
    std::string file;
    std::vector<ScreenComp> comps;
};
const std::vector<ScreenLayout> &ScreenLayouts();

// Scripted screens "ui/autoexec.lua" creates, with their layout files.
struct ScriptedScreen {
    const char *name;
    const char *file;
};
const std::vector<ScriptedScreen> &ScriptedScreens();
// Every screen name the game has (the code's screens and the scripted ones).
bool KnownScreen(const std::string &name);

}  // namespace contentcheck

#endif
