// The UI script writer (see ui-writer.h).
#include "tools/ui-writer.h"

#include "app/services/localization.h"
#include "app/services/prog.h"
#include "app/ui/ui-comps.h"
#include "app/ui/uiset.h"
#include "orvex.h"
#include "tools/dev-edits.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

namespace {

const char kFailure[] = "Unable to save to file '%s'.\n";

// The text as the component writer quotes it, without the quotes: a line feed in a
// name must not end the header's comment.
std::string Escaped(const char *text)
{
    std::string out;
    for (const char *p = text ? text : ""; *p; p++) {
        switch (*p) {
        case '\\': out += "\\\\"; break;
        case '"': out += "\\\""; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        default: out += *p;
        }
    }
    return out;
}

// The last directory of a search path, with its '/': what follows the last '/' among
// all but the final character (the whole path when there is none).
std::string LastComponent(const char *path)
{
    size_t len = strlen(path);
    const char *slash = nullptr;
    for (size_t i = 0; i + 1 < len; i++)
        if (path[i] == '/')
            slash = path + i;
    return slash ? std::string(slash + 1) : std::string(path);
}

// The name relative to the search path it was found on: the path's own place in the
// content ("res://X/" is X/, and so are the dev-edits copies of it).
std::string RelativeToSearchPath(const std::string &found)
{
    for (const char *prefix : {"user://dev-edits/", "res://", "user://"})
        if (found.compare(0, strlen(prefix), prefix) == 0)
            return found.substr(strlen(prefix));
    return found;
}

}  // namespace

std::string UIScriptSaveName(const char *name)
{
    std::string choice = name ? name : "";
    if (loc_man().IsActive() && prog.parms.locale && prog.parms.locale[0])
        choice = std::string("data-") + prog.parms.locale + "/" + choice;
    int n = ov->OV_GetNumberOfSearchPaths();
    for (int i = n - 1; i >= 0; i--) {
        const char *path = ov->OV_GetSearchPath(i);
        if (!path || strlen(path) < 2)
            continue;
        std::string last = LastComponent(path);
        if (last.find("-ui/") != std::string::npos) {
            choice = last + (name ? name : "");
            break;
        }
    }
    for (int i = 0; i < n; i++) {
        const char *path = ov->OV_GetSearchPath(i);
        if (!path || strlen(path) < 2)
            continue;
        std::string found = std::string(path) + (name ? name : "");
        ov_file_t *f = ov->OV_OpenFile(found.c_str(), "rb");
        if (!f)
            continue;
        ov->OV_CloseFile(f);
        if (found.size() < kDevEditMaxName)
            choice = RelativeToSearchPath(found);
        break;
    }
    return choice;
}

bool UIScriptText(UISet *set, const char *name, std::string *out)
{
    char *text = nullptr;
    size_t size = 0;
    FILE *f = open_memstream(&text, &size);
    if (!f)
        return false;
    fprintf(f, "-- %s\n\n", Escaped(name).c_str());
    if (set->events_file)
        fprintf(f, "UIEvents (\"%s\");\n\n", Escaped(set->events_file).c_str());
    for (int i = 0; i < set->GetNumberOfComps(); i++) {
        if (UIComp *comp = set->GetCompByIndex(i))
            comp->ExportLua(f);
        fputs("\n", f);
    }
    bool ok = fclose(f) == 0 && text;
    if (ok)
        out->assign(text, size);
    free(text);
    return ok;
}

int UISet::ExportLua(const char *name)
{
    std::string relative = UIScriptSaveName(name);
    std::string path = DevEditPath(relative.c_str());
    if (path.empty()) {
        ov->OV_Popupf(1, kFailure, relative.c_str());
        return 0;
    }
    ov->OV_Printf("Exporting UISet to '%s'..\n", path.c_str());
    std::string text;
    if (!UIScriptText(this, name, &text)) {
        ov->OV_Popupf(1, kFailure, path.c_str());
        return 0;
    }
    return WriteDevEdit(relative.c_str(), text, kFailure) ? 1 : 0;
}
