// Start-up of the screen manager: construction, InitScreens (script functions, the
// templates and the start-up script, a default template per built kind), the virtual
// screen the UI is laid out in with its scales, shutdown, and the release before the
// application starts again in the same process.
#include "app/services/audioman.h"
#include "app/services/featureman.h"
#include "app/services/luaman.h"
#include "app/services/prog.h"
#include "app/ui/partfx.h"
#include "app/ui/parts.h"
#include "app/ui/screen-manager.h"
#include "app/ui/screen.h"
#include "app/ui/transition.h"
#include "app/ui/ui-comps.h"
#include "app/ui/ui-factory.h"
#include "app/ui/uiset.h"
#include "app/ui/widgets/ui-textbox.h"

#include <stdio.h>
#include <string.h>
#include <strings.h>

#include <mutex>

// Constructed in this order: the placeholder component, then the manager.
UIComp comp_null;
ScreenMan sman;

namespace {

// UI sets that "LoadUI" replaced, kept until the next Release: the replaced set's own
// script may be running when it is replaced. A worker may retire one while preloading.
std::mutex retired_lock;
nArray<UISet *> &Retired()
{
    static nArray<UISet *> *list = new nArray<UISet *>;
    return *list;
}

void PlaceCompNull()
{
    comp_null.position_type = UIPOS_ABSOLUTE;
    comp_null.position_x = -1000.0f;
    comp_null.position_y = -10000.0f;
    comp_null.interactive = false;
}

void ResetCursors(ScreenMan &sm)
{
    for (UICursor &c : sm.cursors) {
        c = UICursor();
        c.idle_time = 6.0f;  // absent until used
    }
    sm.num_cursors = 0;
}

void SkipNextFrame()
{
    sman.ResetNextFrameTimeDelta();
}

}  // namespace

ScreenMan::ScreenMan()
{
    aman.SetSkipNextFrameHook(SkipNextFrame);
    stack.SetShrink(true);
    ResetCursors(*this);
    PlaceCompNull();
}

ScreenMan::~ScreenMan() {}

void ScreenMan::InitScreens(int ref_width, int ref_height)
{
    if (templates)
        Release();
    touch_mode = !feature_man.ProductFeatureExists("MOUSE_INTERFACE");
    // Without a reference resolution the design size stays 800 x 600.
    if (ref_width > 0 && ref_height > 0) {
        reference_width = ref_width;
        reference_height = ref_height;
    } else {
        reference_width = 800;
        reference_height = 600;
    }
    SetVirtualScreenDimensions(prog.parms.width, prog.parms.height);

    // The scripting manager keeps its functions for the whole process.
    static bool functions_registered = false;
    if (!functions_registered) {
        RegisterScreenManScriptFunctions();
        functions_registered = true;
    }

    virtual_anim_timer = 0.0f;
    stack.Clear();
    pbman.Init();

    templates = GetUISetForScreen("ui/templates.lua", nullptr);
    autoexec_state = lua_man.OpenLuaState(0);
    if (autoexec_state && templates) {
        lua_man.SetLuaStateUserData(autoexec_state, templates);
        UISet *outer = UICompFactory::GetBuildingSet();
        UICompFactory::SetBuildingSet(templates);
        lua_man.ExecLuaFile(autoexec_state, "ui/autoexec.lua");
        UICompFactory::SetBuildingSet(outer);
    }
    if (templates && templates->L) {
        for (int type = 0; type < UICOMP_NUM_TYPES; type++) {
            if (!UICompFactory::KindExists(type))
                continue;
            const char *word = UIComp::GetCompTypeString(type);
            char name[64];
            snprintf(name, sizeof name, "Default%s", word);
            if (GetCompTemplate(name))
                continue;
            char line[160];
            snprintf(line, sizeof line, "CreateComp (\"%s\", \"Default%s\")", word, word);
            UISet *outer = UICompFactory::GetBuildingSet();
            UICompFactory::SetBuildingSet(templates);
            lua_man.ExecLuaString(templates->L, line);
            UICompFactory::SetBuildingSet(outer);
        }
    }
    // Text drawn without a component of its own (lists, the leaderboards) uses the
    // default text box's font.
    UIComp *text_template = GetCompTemplate("DefaultTextbox");
    if (text_template && text_template->type == UICOMP_TEXTBOX)
        default_font = static_cast<UICompTextbox *>(text_template)->font;

    if (feature_man.ProductFeatureExists("AUTO_TESTING_MODE")) {
        fast_forward = true;
        fast_forward_step = 0.05f;
        fast_forward_steps = 32;
    }
}

void ScreenMan::SetVirtualScreenDimensions(int width, int height)
{
    virtual_width = width > 16 ? width : 16;
    virtual_height = height > 16 ? height : 16;
    virtual_x = virtual_y = 0.0f;
    if (center_virtual_screen) {
        virtual_x = (float)((prog.parms.width - virtual_width) / 2);
        virtual_y = (float)((prog.parms.height - virtual_height) / 2);
    }
    reference_scale_x = (float)virtual_width / (float)reference_width;
    reference_scale_y = (float)virtual_height / (float)reference_height;
    reference_scale_min = reference_scale_x < reference_scale_y ? reference_scale_x : reference_scale_y;
    float cover_x = (float)(virtual_width + 2) / (float)reference_width;
    float cover_y = (float)(virtual_height + 2) / (float)reference_height;
    reference_scale = cover_x > cover_y ? cover_x : cover_y;
    if (virtual_width == reference_width && virtual_height == reference_height)
        reference_scale = 1.0f;
    // Particles of the global system scale with the fit scale.
    pman.reference_scale = reference_scale_min;
    UpdateAllVisibleComponentDimensions();
    if (prog.EventProc) {
        ov_event_t event;
        memset(&event, 0, sizeof event);
        event.type = 63;
        event.ptr = (void *)"VIRTUAL_SCREEN_RESIZE";
        prog.EventProc(event);
    }
}

void ScreenMan::SetTargetVirtualScreenDimensions(int width, int height)
{
    if (virtual_target_width == width && virtual_target_height == height)
        return;
    virtual_start_width = virtual_width;
    virtual_start_height = virtual_height;
    virtual_anim_timer = 0.001f;
    virtual_target_width = width;
    virtual_target_height = height;
}

vec2_t ScreenMan::TransformPointToVirtualScreen(vec2_t p)
{
    return vec2_t{virtual_x + reference_scale * (p.x - virtual_x), virtual_y + reference_scale * (p.y - virtual_y)};
}

void ScreenMan::UpdateAllVisibleComponentDimensions()
{
    nArray<Screen *> walk = stack;
    for (int i = 0; i < walk.Count(); i++) {
        Screen *screen = walk[i];
        if (!screen->preloaded.load(std::memory_order_acquire) || !screen->in_stack || !screen->ui)
            continue;
        UISet *set = screen->ui;
        for (int c = 0; c < set->comps.Count(); c++) {
            set->comps[c]->UpdateDimensions();
            set->comps[c]->CalculateDynamicScale();
        }
    }
}

UIComp *ScreenMan::GetCompTemplate(const char *name)
{
    if (!templates || !name)
        return nullptr;
    for (int i = 0; i < templates->comps.Count(); i++) {
        UIComp *comp = templates->comps[i];
        if (comp->name && strcasecmp(comp->name, name) == 0)
            return comp;
    }
    return nullptr;
}

void ScreenMan::Shutdown()
{
    nArray<Screen *> walk = stack;
    for (int i = 0; i < walk.Count(); i++)
        PopScreen(walk[i], false);
}

void ScreenMan::RetireUISet(UISet *set)
{
    if (!set)
        return;
    std::lock_guard<std::mutex> hold(retired_lock);
    Retired().InsertLast(set);
}

void ScreenMan::Release()
{
    Shutdown();
    for (int i = 0; i < stack.Count(); i++) {
        Screen *s = stack[i];
        s->in_stack = false;
        s->shown = false;
        s->leaving = true;
        s->follow_up = nullptr;
        s->repush_after_pop = false;
    }
    stack.Clear();
    ResetCursors(*this);
    pman.ResetParts();
    screen_transition.target = nullptr;

    FreeScriptedScreens();
    // Every screen starts the next run without a UI: the sets' components inherit from
    // the templates freed below.
    Screen *root = Screen::root_screen.load(std::memory_order_acquire);
    if (root) {
        Screen *s = root;
        do {
            s->FreeUI();
            if (s->preloaded.exchange(false, std::memory_order_acq_rel))
                Screen::total_num_screens_preloaded.fetch_sub(1, std::memory_order_acq_rel);
            s->entered = false;
            s->left = false;
            s = s->next.load(std::memory_order_acquire);
        } while (s != root);
    }
    {
        std::lock_guard<std::mutex> hold(retired_lock);
        nArray<UISet *> &list = Retired();
        for (int i = 0; i < list.Count(); i++)
            delete list[i];
        list.Clear();
    }
    if (autoexec_state) {
        lua_man.CloseLuaState(autoexec_state);
        autoexec_state = nullptr;
    }
    delete templates;
    templates = nullptr;
    default_font = nullptr;
    // Fetched by name: the pool holds that one shared reference and frees it at exit.
    loader_bitmap = nullptr;

    all_screens_preloaded.store(false, std::memory_order_release);
    reset_next_frame_time_delta.store(false, std::memory_order_release);
    loader_count.store(0, std::memory_order_release);
    loader_alpha = 0.0f;
    time_ms = prev_time_ms = 0;
    second_timer = over_sound_timer = 0.0f;
    virtual_resize_mode = edit_mode = draw_all = fast_forward = false;
    fast_forward_steps = 64;
    fast_forward_step = 1.0f / 30.0f;
    virtual_anim_timer = 0.0f;
    virtual_target_width = virtual_target_height = 0;
    last_locked_comp = edit_comp = nullptr;
    edit_drag = false;
    center_virtual_screen = false;
    app_active = true;
    cursor_shape = "ARROW";
    PlaceCompNull();
}
