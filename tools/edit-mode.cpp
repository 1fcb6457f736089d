// The UI edit mode's event handler (see edit-mode.h).
#include "tools/edit-mode.h"

#include "app/services/key-state.h"
#include "app/services/luaman.h"
#include "app/services/random.h"
#include "app/ui/frame-services.h"
#include "app/ui/partfx.h"
#include "app/ui/screen-manager.h"
#include "app/ui/screen.h"
#include "app/ui/ui-comps.h"
#include "app/ui/uiset.h"
#include "app/ui/widgets/ui-button.h"
#include "app/ui/widgets/ui-checkbox.h"
#include "app/ui/widgets/ui-editbox.h"
#include "app/ui/widgets/ui-emitter.h"
#include "app/ui/widgets/ui-image.h"
#include "app/ui/widgets/ui-listbox.h"
#include "app/ui/widgets/ui-model.h"
#include "app/ui/widgets/ui-textbox.h"
#include "tools/popmenu.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <string>

EditModeState edit_state;

namespace {

enum {
    KEY_TAB = 9,
    KEY_ESCAPE = 27,
    KEY_SPACE = 32,
    KEY_LEFT = 37,
    KEY_UP = 38,
    KEY_RIGHT = 39,
    KEY_DOWN = 40,
    KEY_DELETE = 46,
    KEY_SHIFT = 16,
    KEY_CTRL = 17,
    MOUSE_LEFT = 510,
    MOUSE_RIGHT = 511,
    EVENT_STRING = 63,
};

// File-chooser filters: description and pattern pairs, ended by an empty string.
const char kImagesFilter[] = "All\0*.*\0Portable Network Graphics\0*.PNG\0JPEG Image\0*.JPG\0";
const char kModelsFilter[] = "All\0*.*\0XML models \0*.xml\0";
const char kFontsFilter[] = "All\0*.*\0Tamsk/Orvex Font File\0*.MFT\0";
const char kEffectsFilter[] = "All\0*.*\0FX scripts\0*.lua\0";


PopMenuEdit g_menu;

// Cursor 0's pressed component (the placeholder of "over nothing" is none).
UIComp *PressedComponent()
{
    UIComp *locked = sman.cursors[0].locked;
    return sman.cursors[0].pressed && locked != &comp_null ? locked : nullptr;
}

// The top screen's set when it has a file name, else null.
UISet *TopSet()
{
    Screen *top = sman.PeekScreen(0);
    if (!top || !top->ui || !top->ui->file)
        return nullptr;
    return top->ui;
}

int IndexInSet(UISet *set, UIComp *comp)
{
    for (int i = 0; set && i < set->comps.Count(); i++)
        if (set->comps[i] == comp)
            return i;
    return -1;
}

// A platform prompt; the reply copied, or empty with false when there is none.
bool Ask(const char *command, const char *current, std::string *reply)
{
    const char *r = ov->OV_CallExtension(command, current);
    if (!r)
        return false;
    *reply = r;
    return true;
}

void Slashes(std::string &path)
{
    for (char &c : path)
        if (c == '\\')
            c = '/';
}

// The path after the first "data" and the rest of that directory name with its '/';
// false when there is no "data" or no '/' after it.
bool AfterDataDirectory(const std::string &path, std::string *rest)
{
    size_t at = path.find("data");
    if (at == std::string::npos)
        return false;
    size_t slash = path.find('/', at);
    if (slash == std::string::npos)
        return false;
    *rest = path.substr(slash + 1);
    return true;
}

bool AfterDataSlash(const std::string &path, std::string *rest)
{
    size_t at = path.find("data/");
    if (at == std::string::npos)
        return false;
    *rest = path.substr(at + 5);
    return true;
}

// The arrow step in the position's own units.
void ArrowStep(UIComp *comp, float *sx, float *sy)
{
    if (comp->position_type == UIPOS_ABSOLUTE) {
        *sx = *sy = 1.0f;
    } else if (comp->position_type == UIPOS_RELATIVE_TO_PARENT && comp->parent && comp->parent->width > 0.0f &&
               comp->parent->height > 0.0f) {
        *sx = 1.0f / comp->parent->width;
        *sy = 1.0f / comp->parent->height;
    } else {
        *sx = 1.0f / (float)sman.virtual_width;
        *sy = 1.0f / (float)sman.virtual_height;
    }
}

// Adds a static-position difference to the position in the units of its type; a
// parent without size counts as none.
void AddStaticDifference(UIComp *comp, vec2_t before, vec2_t after)
{
    float dx = before.x - after.x, dy = before.y - after.y;
    if (comp->position_type == UIPOS_RELATIVE_TO_PARENT && comp->parent && comp->parent->width > 0.0f &&
        comp->parent->height > 0.0f) {
        dx /= comp->parent->width;
        dy /= comp->parent->height;
    } else if (comp->position_type != UIPOS_ABSOLUTE) {
        dx /= (float)sman.virtual_width;
        dy /= (float)sman.virtual_height;
    }
    comp->position_x += dx;
    comp->position_y += dy;
}

bool IsSelfOrAncestor(UIComp *comp, UIComp *candidate)
{
    for (UIComp *p = candidate; p; p = p->parent)
        if (p == comp)
            return true;
    return false;
}

// Creates a component through the set's script and takes it as the selection.
UIComp *CreateAt(UISet *set, const char *type, const char *name, float x, float y)
{
    char line[512];
    snprintf(line, sizeof line, "CreateComp (\"%s\", \"%s\");SetProperty (\"position\", %g, %g); ", type, name, x, y);
    lua_man.ExecLuaString(set->L, line);
    UIComp *comp = set->GetComp(name);
    if (!comp) {
        ov->OV_Popupf(1, "Creating component '%s' failed\n", name);
        return nullptr;
    }
    int t = comp->position_type;
    comp->position_type = UIPOS_ABSOLUTE;
    comp->ConvertPositionType(t);
    comp->ApplyCacheMode(2);
    return comp;
}

void Select(UIComp *comp)
{
    edit_state.selected = comp;
    sman.last_locked_comp = comp;
}

void OpenMenu()
{
    g_menu.Reset();
    g_menu.SetPos(mpos);
    g_menu.AddItem(1, "EDIT_NAME", "Edit name...");
    g_menu.AddItem(1, "EDIT_TEXT", "Edit text...");
    g_menu.AddItem(1, "SET_PARENT", "Set parent component...");
    g_menu.AddItem(1, "BROWSE_BITMAP", "Browse for bitmap...");
    g_menu.AddItem(0, "", "-");
    g_menu.AddItem(1, "ADD_NEW_COMP", "Add new component...");
    g_menu.SetVisible(true);
}

void ReloadTopSet()
{
    Screen *top = sman.PeekScreen(0);
    UISet *set = TopSet();
    if (!set || (top->name && strcmp(top->name, "ScreenBrowser") == 0))
        return;
    sman.DoScreenLeaveProcedure(top);
    std::string file = set->file;
    EditModeForgetComponents();
    // The old set is kept until the manager's release: its script may be running.
    top->ui = nullptr;
    top->default_comp = nullptr;
    sman.RetireUISet(set);
    UISet *fresh = sman.GetUISetForScreen(file.c_str(), top);
    // A screen browser showing this screen borrowed the old set: it takes the new one.
    Screen *browser = Screen::PeekScreen("ScreenBrowser");
    if (browser && browser != top && browser->ui == set)
        browser->ui = fresh;
    sman.UnlockCursors();
    sman.DoScreenEnterProcedure(top);
    top->trans_phase = 1.0f;
}

// Step 2: a file dropped on the window.
void DropFile(ov_event_t &event)
{
    const char *word = (const char *)event.ptr;
    UISet *set = TopSet();
    if (!word || strcmp(word, "FILE_DRAGGED") != 0 || !set)
        return;
    const char *path = (const char *)event.ptr2;
    const char *point = (const char *)event.list;
    char name[64];
    snprintf(name, sizeof name, "dragged_%d", AppRandom());
    int px = 0, py = 0;
    if (point) {
        px = atoi(point);
        const char *comma = strchr(point, ',');
        py = comma ? atoi(comma + 1) : 0;
    }
    std::string line;
    char text[512];
    snprintf(text, sizeof text, "CreateComp (\"%s\", \"%s\");SetProperty (\"position\", %g, %g); ", "IMAGE", name,
             (double)((float)px - sman.virtual_x), (double)((float)py - sman.virtual_y));
    lua_man.ExecLuaString(set->L, text);
    UIComp *comp = set->GetComp(name);
    if (!comp || comp->type != UICOMP_IMAGE) {
        ov->OV_Popupf(1, "Creating component '%s' failed\n", name);
        return;
    }
    std::string file = path ? path : "", rest;
    Slashes(file);
    if (AfterDataDirectory(file, &rest))
        static_cast<UICompImage *>(comp)->SetBitmap(ov->OV_LoadBitmap(rest.c_str(), 0));
    int t = comp->position_type;
    comp->position_type = UIPOS_ABSOLUTE;
    comp->ConvertPositionType(t);
    comp->ApplyCacheMode(2);
    Select(comp);
}

void KeyParent(UIComp *comp)
{
    std::string reply;
    if (!Ask("EditValue: Parent Name", comp->parent ? comp->parent->name : nullptr, &reply))
        return;
    ov->OV_Printf("Got value '%s'\n", reply.c_str());
    UISet *set = TopSet();
    if (!set)
        return;
    vec2_t before = comp->GetStaticPos();
    if (reply.empty()) {
        comp->parent = nullptr;
        AddStaticDifference(comp, before, comp->GetStaticPos());
        return;
    }
    UIComp *found = reply[0] != ' ' ? set->GetComp(reply.c_str()) : nullptr;
    if (!found) {
        ov->OV_Popupf(1, "No component name '%s' found to parent %s/%s.\n", reply.c_str(), set->file, comp->name);
        return;
    }
    if (IsSelfOrAncestor(comp, found)) {
        ov->OV_Popupf(1, "Parent '%s' for %s/%s would make a cycle.\n", reply.c_str(), set->file, comp->name);
        return;
    }
    comp->parent = found;
    AddStaticDifference(comp, before, comp->GetStaticPos());
}

void KeyInherit(UIComp *comp)
{
    std::string reply;
    if (!Ask("EditValue: Inherit from component Name", comp->template_comp ? comp->template_comp->name : nullptr,
             &reply))
        return;
    ov->OV_Printf("Got value '%s'\n", reply.c_str());
    if (!TopSet() || reply.empty() || reply[0] == ' ')
        return;
    UIComp *tmpl = sman.GetCompTemplate(reply.c_str());
    if (!tmpl) {
        ov->OV_Popupf(1, "Component Template '%s' not found.\n", reply.c_str());
        return;
    }
    int position_type = comp->position_type, align = comp->align, scale_type = comp->scale_type;
    float px = comp->position_x, py = comp->position_y, pz = comp->position_z;
    bool localize = comp->localize;
    bool entered = comp->owner && comp->owner->ui && comp->owner->ui->cache_applied;
    if (entered)
        comp->ApplyCacheMode(3);
    comp->InheritFrom(tmpl);
    comp->position_type = position_type;
    comp->align = align;
    comp->position_x = px;
    comp->position_y = py;
    comp->position_z = pz;
    comp->scale_type = scale_type;
    comp->localize = localize;
    if (entered)
        comp->ApplyCacheMode(2);
}

void KeyAdd()
{
    std::string reply;
    if (!Ask("EditValue: New Component Type", "IMAGE", &reply) || UIComp::GetCompType(reply.c_str()) == 0)
        return;
    ov->OV_Printf("Got value '%s'\n", reply.c_str());
    UISet *set = TopSet();
    if (!set)
        return;
    char name[64];
    for (int n = 1; n <= 256; n++) {
        snprintf(name, sizeof name, "untitled_%d", n);
        if (!set->GetComp(name))
            break;
    }
    if (UIComp *comp = CreateAt(set, reply.c_str(), name, mpos.x, mpos.y))
        Select(comp);
}

void KeyText(UIComp *comp)
{
    const char *current = nullptr;
    if (comp->type == UICOMP_CHECKBOX)
        current = static_cast<UICompCheckbox *>(comp)->text;
    else if (comp->type == UICOMP_TEXTBOX)
        current = static_cast<UICompTextbox *>(comp)->GetText();
    else if (comp->type == UICOMP_BUTTON)
        current = static_cast<UICompButton *>(comp)->text;
    else
        return;
    std::string reply;
    if (!Ask("EditValue: Component Text", current, &reply))
        return;
    ov->OV_Printf("Got value '%s'\n", reply.c_str());
    if (comp->type == UICOMP_CHECKBOX)
        static_cast<UICompCheckbox *>(comp)->SetText("%s", reply.c_str());
    else if (comp->type == UICOMP_TEXTBOX)
        static_cast<UICompTextbox *>(comp)->SetText("%s", reply.c_str());
    else
        static_cast<UICompButton *>(comp)->SetText("%s", reply.c_str());
}

void KeyFont(UIComp *comp)
{
    int t = comp->type;
    if (t != UICOMP_TEXTBOX && t != UICOMP_BUTTON && t != UICOMP_CHECKBOX && t != UICOMP_EDITBOX &&
        t != UICOMP_LISTBOX && t != UICOMP_EMITTER)
        return;
    ov->OV_Printf("Browsing for component font or fx..\n");
    const char *r = ov->OV_CallExtension("OpenFileDialog", t == UICOMP_EMITTER ? kEffectsFilter : kFontsFilter);
    ov->OV_Printf("Selected '%s'\n", r ? r : "");
    if (!r)
        return;
    std::string path = r, name;
    Slashes(path);
    if (!AfterDataSlash(path, &name)) {
        ov->OV_Popupf(1, "The file needs to be located under 'data/' directory.\nThis isn't: '%s'\n", r);
        return;
    }
    if (t == UICOMP_EMITTER) {
        static_cast<UICompEmitter *>(comp)->SetFX(pbman.GetFX(name.c_str()));
        return;
    }
    ov_font_t *font = ov->OV_GetFont(name.c_str());
    switch (t) {
    case UICOMP_TEXTBOX: static_cast<UICompTextbox *>(comp)->SetFont(font); break;
    case UICOMP_BUTTON: static_cast<UICompButton *>(comp)->SetFont(font); break;
    case UICOMP_CHECKBOX: static_cast<UICompCheckbox *>(comp)->SetFont(font); break;
    case UICOMP_EDITBOX: static_cast<UICompEditbox *>(comp)->SetFont(font); break;
    default: static_cast<UICompListbox *>(comp)->SetFont(font); break;
    }
}

void KeyBitmap(UIComp *comp)
{
    if (comp->type == UICOMP_IMAGE || comp->type == UICOMP_MODEL) {
        bool image = comp->type == UICOMP_IMAGE;
        ov->OV_Printf(image ? "Browsing for component image..\n" : "Browsing for component model..\n");
        const char *r = ov->OV_CallExtension("OpenFileDialog", image ? kImagesFilter : kModelsFilter);
        if (image)
            ov->OV_Printf("Selected '%s'\n", r ? r : "");
        if (!r)
            return;
        std::string path = r, rest;
        Slashes(path);
        if (!AfterDataDirectory(path, &rest)) {
            ov->OV_Popupf(1, "The file needs to be located under 'data*' directory.\nFile you browsed was: '%s'\n", r);
            return;
        }
        if (image)
            static_cast<UICompImage *>(comp)->SetBitmap(ov->OV_LoadBitmap(rest.c_str(), 4));
        else
            static_cast<UICompModel *>(comp)->SetModel(rest.c_str());
    } else if (comp->type == UICOMP_BUTTON) {
        ov->OV_Printf("Browsing for button component image..\n");
        const char *r = ov->OV_CallExtension("OpenFileDialog", kImagesFilter);
        if (!r)
            return;
        std::string path = r, rest;
        Slashes(path);
        if (!AfterDataSlash(path, &rest)) {
            ov->OV_Popupf(1, "The file needs to be located under 'data/' directory.\nThis isn't: '%s'\n", r);
            return;
        }
        UICompButton *button = static_cast<UICompButton *>(comp);
        ov_bitmap_t *bm = ov->OV_GetBitmap(rest.c_str());
        if (button->bm_idle)
            ov->OV_ReleaseBitmap(button->bm_idle);
        button->bm_idle = bm;
    }
}

void KeyZ(UIComp *comp, bool shift)
{
    ov->OV_Printf("Changing component '%s' Z order..\n", comp->name);
    UISet *set = TopSet();
    int i = IndexInSet(set, comp);
    if (i < 0)
        return;
    ov->OV_Printf("Z %d -> ", i);
    int j = shift ? i - 1 : i + 1;
    ov->OV_Printf(shift ? "back.\n" : "front.\n");
    if (j < 0 || j >= set->comps.Count())
        return;
    set->comps[i] = set->comps[j];
    set->comps[j] = comp;
}

void KeyTab(UIComp *comp, bool shift)
{
    ov->OV_Printf("Component '%s'..\n", comp->name);
    UISet *set = TopSet();
    int i = IndexInSet(set, comp);
    if (i < 0)
        return;
    ov->OV_Printf(shift ? "back.\n" : "front.\n");
    int j = shift ? i - 1 : i + 1;
    if (j >= 0 && j < set->comps.Count())
        Select(set->comps[j]);
}

void KeyClone(UIComp *comp)
{
    char name[512];
    snprintf(name, sizeof name, "%s_clone", comp->name ? comp->name : "");
    ov->OV_Printf("Cloning component '%s' -> '%s'.\n", comp->name, name);
    UISet *set = TopSet();
    if (!set)
        return;
    UIComp *clone = comp->Clone(name);
    if (!clone)
        return;
    float d = clone->position_type == UIPOS_ABSOLUTE ? 10.0f : 0.05f;
    clone->position_x += d;
    clone->position_y += d;
    set->comps.InsertLast(clone);
    edit_state.selected = clone;
    clone->ApplyCacheMode(2);
}

// Step 4: the keys acting on the selected component.
int SelectedKey(UIComp *comp, int key)
{
    bool shift = KeyHeld(KEY_SHIFT), ctrl = KeyHeld(KEY_CTRL);
    if (key == 'W') {
        sman.edit_comp = sman.edit_comp ? nullptr : sman.last_locked_comp;
        return 0;
    }
    if (sman.edit_comp)
        return 0;
    float sx, sy;
    ArrowStep(comp, &sx, &sy);
    int align = NumPadAlignment(key);
    if (align >= 0) {
        if (!ctrl)
            comp->align = align;
        else if (comp->type == UICOMP_TEXTBOX)
            static_cast<UICompTextbox *>(comp)->textbox_align = align;
        return 0;
    }
    switch (key) {
    case 'P': KeyParent(comp); break;
    case 'R':
        comp->ConvertPositionType(comp->position_type == UIPOS_ABSOLUTE ? UIPOS_RELATIVE_TO_SCREEN : UIPOS_ABSOLUTE);
        break;
    case 'Z': KeyZ(comp, shift); break;
    case 'E': KeyText(comp); break;
    case 'J':
        comp->cache_mode = comp->cache_mode == UICACHE_PRELOAD ? UICACHE_LOAD_ON_ENTER_RELEASE_ON_LEAVE : UICACHE_PRELOAD;
        break;
    case 'K': comp->localize = !comp->localize; break;
    case 'N': {
        std::string reply;
        if (Ask("EditValue: Component Name", comp->name, &reply)) {
            ov->OV_Printf("Got value '%s'\n", reply.c_str());
            comp->SetName(reply.c_str());
        }
        break;
    }
    case 'F': KeyFont(comp); break;
    case 'I': KeyInherit(comp); break;
    case 'A': KeyAdd(); break;
    case KEY_LEFT: comp->position_x -= sx; break;
    case KEY_RIGHT: comp->position_x += sx; break;
    case KEY_UP: comp->position_y -= sy; break;
    case KEY_DOWN: comp->position_y += sy; break;
    case KEY_TAB: KeyTab(comp, shift); break;
    case KEY_DELETE:
        ov->OV_Printf("Deleting component '%s'..\n", comp->name);
        if (UISet *set = TopSet())
            set->Remove(comp);
        // The removed component is kept by no one here (only taken out of its set).
        if (sman.edit_comp == comp)
            sman.edit_comp = nullptr;
        if (sman.last_locked_comp == comp)
            sman.last_locked_comp = nullptr;
        edit_state.selected = nullptr;
        sman.UnlockCursors();
        break;
    case 'C': KeyClone(comp); break;
    case 'B': KeyBitmap(comp); break;
    default: break;
    }
    return 0;
}

}  // namespace

PopMenuEdit &EditMenu()
{
    return g_menu;
}

int NumPadAlignment(int key)
{
    static const int kAlign[9] = {1, 8, 0, 5, 12, 4, 3, 10, 2};
    return key >= 97 && key <= 105 ? kAlign[key - 97] : -1;
}

void EditModeForgetComponents()
{
    edit_state.selected = nullptr;
    sman.edit_comp = nullptr;
    sman.last_locked_comp = nullptr;
    g_menu.Reset();
    g_menu.SetVisible(false);
}

int EditModeProcessEvent(ov_event_t &event)
{
    // A click that locks a component selects it.
    if (event.type == OV_EVENT_BUTTON_DOWN && PressedComponent())
        edit_state.selected = PressedComponent();

    // 1. Keys handled whatever is selected.
    if (event.type == OV_EVENT_KEY_DOWN) {
        // Letters are their upper-case codes; 97 to 105 are the "NumPad" keys.
        switch (event.key) {
        case 'L': ReloadTopSet(); break;
        case 'O':
            sman.PushScreen("ScreenBrowser", 0);
            sman.UnlockCursors();
            sman.edit_mode = false;
            break;
        case 'S':
            if (UISet *set = TopSet())
                set->ExportLua(set->file);
            sman.UnlockCursors();
            return 1;
        case 'F':
            sman.center_virtual_screen = !sman.center_virtual_screen;
            sman.SetVirtualScreenDimensions(sman.virtual_width, sman.virtual_height);
            break;
        case KEY_TAB:
            if (sman.GetNumberOfScreensInStack() > 0 && !edit_state.selected) {
                Screen *top = sman.PeekScreen(0);
                if (!top->ui)
                    return 0;
                if (top->ui->comps.Count() > 0)
                    Select(top->ui->comps[0]);
            }
            break;
        case KEY_SPACE:
            if (!edit_state.selected)
                return 0;
            edit_state.selected->angle = 0.0f;
            edit_state.selected->scale = 1.0f;
            break;
        default: break;
        }
    }

    // 2. A dropped file.
    if (event.type == EVENT_STRING)
        DropFile(event);

    // 3. The gate and the menu.
    if (!edit_state.selected || event.type == OV_EVENT_POINTER_MOVE)
        return 0;
    if (g_menu.visible && g_menu.ProcessEvent(&event))
        return 1;
    if (!PressedComponent()) {
        if (event.type == OV_EVENT_BUTTON_DOWN && event.button == MOUSE_RIGHT) {
            OpenMenu();
            return 0;
        }
        if (event.type == OV_EVENT_KEY_DOWN && event.key == KEY_ESCAPE && g_menu.visible) {
            g_menu.SetVisible(false);
            sman.ResetNextFrameTimeDelta();
        }
    }
    if (event.type != OV_EVENT_KEY_DOWN)
        return 0;

    // 4. Keys acting on the selected component.
    return SelectedKey(edit_state.selected, event.key);
}

void EditModeUpdate(float dt)
{
    g_menu.Update(dt);
}

void HandleVirtualScreenResizingByDragging()
{
    EditModeState &s = edit_state;
    vec2_t m = mpos;
    float ox = sman.virtual_x, oy = sman.virtual_y;
    float w = (float)sman.virtual_width, h = (float)sman.virtual_height;
    int flags = 0;
    if (ox - 20.0f <= m.x && m.x < ox)
        flags |= 1;
    if (ox + w <= m.x && m.x < ox + w + 20.0f)
        flags |= 2;
    if (oy - 20.0f <= m.y && m.y < oy)
        flags |= 4;
    if (oy + h <= m.y && m.y < oy + h + 20.0f)
        flags |= 8;
    if (!flags && !s.resize_locked)
        return;
    if (!KeyHeld(MOUSE_LEFT)) {
        s.resize_locked = false;
    } else if (!s.resize_locked) {
        s.resize_locked = true;
        s.resize_flags = flags;
        s.resize_from = m;
    } else {
        float k = sman.center_virtual_screen ? 2.0f : 1.0f;
        float dx = (m.x - s.resize_from.x) * k, dy = (m.y - s.resize_from.y) * k;
        if (!(s.resize_flags & 3))
            dx = 0.0f;
        if (!(s.resize_flags & 12))
            dy = 0.0f;
        if (s.resize_flags & 1)
            dx = -dx;
        if (s.resize_flags & 4)
            dy = -dy;
        sman.SetVirtualScreenDimensions((int)(w + dx), (int)(h + dy));
        s.resize_from = m;
        flags = s.resize_flags;
    }
    if (((flags & 1) && (flags & 4)) || ((flags & 2) && (flags & 8)))
        sman.cursor_shape = "SIZENWSE";
    else if (((flags & 2) && (flags & 4)) || ((flags & 1) && (flags & 8)))
        sman.cursor_shape = "SIZENESW";
    else if (flags == 4 || flags == 8)
        sman.cursor_shape = "SIZENS";
    else if (flags == 1 || flags == 2)
        sman.cursor_shape = "SIZEWE";
}
