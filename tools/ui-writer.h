// The UI script writer: `UISet::ExportLua` (declared with the set) writes a screen's
// UI set back as the Lua UI script that builds it: a comment line with the name, the
// "UIEvents" line when the set has an events script, then one block of "CreateComp" and
// "SetProperty" lines per component in drawing order, each followed by an empty line.
// The file goes under "user://dev-edits/" (tools/dev-edits.h), never into res://.
//
// Main thread only.
#ifndef TOOLS_UI_WRITER_H
#define TOOLS_UI_WRITER_H

#include <string>

class UISet;

// The content-relative name a UI script named `name` is saved as (the file under
// "user://dev-edits/"):
// 1. "data-<language code>/<name>" while a translation is active, else the name itself
//    (the text after "data/");
// 2. replaced by "<dir>-ui/<name>" for the last search path whose last directory ends
//    in "-ui";
// 3. replaced by the name relative to the first search path the file opens on
//    ("res://", "user://dev-edits/" or "user://" taken off), when shorter than 512
//    characters.
std::string UIScriptSaveName(const char *name);

// The whole script text of the set as ExportLua writes it into *text (with the
// components' conversions of absolute positions made on the way); false when no
// memory stream could be had.
bool UIScriptText(UISet *set, const char *name, std::string *text);

#endif
