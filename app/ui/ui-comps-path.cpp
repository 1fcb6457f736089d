// Property paths: which screen or component a script's property argument names
// (see ResolveCompProperty in ui-comps.h).
#include "app/ui/ui-comps.h"

#include "app/ui/ui-comps-internal.h"

#include <string.h>

namespace {

// Copies at most size - 1 characters and terminates.
void CopyBounded(char *dst, int size, const char *src, int length)
{
    if (length > size - 1)
        length = size - 1;
    if (length < 0)
        length = 0;
    memcpy(dst, src, (size_t)length);
    dst[length] = '\0';
}

// "Comp:prop" or "prop" against a set: the named component (or the set's current
// one for a bare property) and the property part.
UIComp *ResolveInSet(UISet *search, UISet *calling, const char *text, char *property_out)
{
    const char *colon = strchr(text, ':');
    if (!colon) {
        CopyBounded(property_out, UI_PROPERTY_MAX, text, (int)strlen(text));
        return calling ? calling->active_comp : nullptr;
    }
    CopyBounded(property_out, UI_PROPERTY_MAX, colon + 1, (int)strlen(colon + 1));
    if (!search)
        return nullptr;
    char comp_name[UI_PROPERTY_MAX];
    CopyBounded(comp_name, sizeof comp_name, text, (int)(colon - text));
    return search->GetComp(comp_name);
}

}  // namespace

UIComp *ResolveCompProperty(UISet *set, const char *path, char *property_out, Screen **screen_out)
{
    property_out[0] = '\0';
    if (screen_out)
        *screen_out = nullptr;
    if (!path)
        return nullptr;
    Screen *calling_screen = set ? set->owner : nullptr;
    UISet *search = calling_screen ? calling_screen->ui : set;

    if (path[0] == '/' && path[1] == ':') {
        CopyBounded(property_out, UI_PROPERTY_MAX, path + 2, (int)strlen(path + 2));
        if (screen_out)
            *screen_out = calling_screen;
        return nullptr;
    }
    if (path[0] != '/')
        return ResolveInSet(search, set, path, property_out);

    const char *rest = path + 1;
    const char *slash = strchr(rest, '/');
    const char *colon = strchr(rest, ':');
    const char *cut = slash ? slash : colon;
    if (strlen(rest) > 255 || !cut) {
        ov->OV_Popupf(1, "ResolveCompProperty '%s' formatting is bad.\n", path);
        return nullptr;
    }
    char screen_name[UI_PROPERTY_MAX];
    CopyBounded(screen_name, sizeof screen_name, rest, (int)(cut - rest));
    Screen *screen = Screen::PeekScreen(screen_name);
    if (!screen) {
        ov->OV_Popupf(1, "ResolveCompProperty '%s' Screen '%s' not found.\n", path, screen_name);
        return nullptr;
    }
    if (screen_out)
        *screen_out = screen;
    if (cut == colon) {
        CopyBounded(property_out, UI_PROPERTY_MAX, colon + 1, (int)strlen(colon + 1));
        return nullptr;
    }
    const char *remainder = slash + 1;
    if (!strchr(remainder, ':')) {
        // "/Screen/prop" names no component of that screen.
        CopyBounded(property_out, UI_PROPERTY_MAX, remainder, (int)strlen(remainder));
        return nullptr;
    }
    return ResolveInSet(screen->ui, nullptr, remainder, property_out);
}
