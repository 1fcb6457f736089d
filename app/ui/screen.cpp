// Screens: the base class, the circular registry with its preloading, UI loading,
// component look-ups, the time-delta multiplier and the drawing of a screen's UI.
// Also the scripted screen (ScreenTemplate).
#include "app/ui/screen.h"

#include "app/services/luaman.h"
#include "app/services/small-maths.h"
#include "app/ui/screen-manager.h"
#include "app/ui/ui-comps.h"
#include "app/ui/uiset.h"

#include <math.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <mutex>

std::atomic<Screen *> Screen::root_screen{nullptr};
std::atomic<int> Screen::total_num_screens{0};
std::atomic<int> Screen::total_num_screens_preloaded{0};

namespace {

// Registration and removal take this lock; look-ups walk the atomic links without it.
// Never destroyed: screens are registered and unregistered from static constructors
// and destructors.
std::mutex &RegistryLock()
{
    static std::mutex *lock = new std::mutex;
    return *lock;
}

char *CopyText(const char *text)
{
    return strdup(text ? text : "");
}

// The shortest duration a fade or a multiplier slide may have: shorter ones would give
// an infinite speed, and infinity times a zero time step is NaN.
const float kMinDuration = 0.001f;

}  // namespace

Screen::Screen() : Screen(nullptr) {}

Screen::Screen(const char *initial_name)
    : next(nullptr), name(nullptr), ui(nullptr), default_comp(nullptr), repush_after_pop(false),
      time_delta_multiplier(1.0f), multiplier_target(1.0f), multiplier_start(1.0f), multiplier_progress(1.0f),
      multiplier_speed(1.0f), entered(false), left(false), in_stack(false), trans_phase(0.0f), enter_speed(3.0f),
      leave_speed(3.0f), leaving(true), anim_key(0.0f), timer(0.0), preloaded(false), covers_screen(false),
      follow_up(nullptr), shown(false)
{
    // The name is in place before the registry publishes the screen: look-ups on other
    // threads read it without a lock.
    if (initial_name) {
        name = CopyText(initial_name);
    } else {
        char buf[32];
        snprintf(buf, sizeof buf, "Scr%lX", (unsigned long)(uintptr_t)this);
        name = strdup(buf);
    }
    RegisterScreen();
}

Screen::~Screen()
{
    {
        std::lock_guard<std::mutex> hold(RegistryLock());
        Screen *root = root_screen.load(std::memory_order_acquire);
        if (root) {
            Screen *p = root;
            do {
                Screen *n = p->next.load(std::memory_order_acquire);
                if (n == this) {
                    Screen *after = next.load(std::memory_order_acquire);
                    if (p == this) {
                        root_screen.store(nullptr, std::memory_order_release);
                    } else {
                        p->next.store(after, std::memory_order_release);
                        if (root == this)
                            root_screen.store(after, std::memory_order_release);
                    }
                    total_num_screens.fetch_sub(1, std::memory_order_acq_rel);
                    if (preloaded.load(std::memory_order_acquire))
                        total_num_screens_preloaded.fetch_sub(1, std::memory_order_acq_rel);
                    break;
                }
                p = n;
            } while (p != root);
        }
    }
    free(name);
}

bool Screen::PreLoad()
{
    return true;
}

void Screen::Unload() {}

void Screen::Draw(float) {}

void Screen::DrawUIComp(UIComp *) {}

void Screen::Update(float dt)
{
    anim_key += dt;
    if (anim_key >= 1.0f)
        anim_key -= 1.0f;
    timer += dt;
}

void Screen::Enter() {}

void Screen::Leave() {}

bool Screen::ProcessUICompClick(UIComp *, int)
{
    return false;
}

int Screen::ProcessEvent(ov_event_t *)
{
    return 1;
}

int Screen::ProcessScreenMessage(Screen *, const char *, const char *)
{
    return 1;
}

void Screen::SetName(const char *new_name)
{
    char *old = name;
    name = CopyText(new_name);
    free(old);
}

void Screen::RegisterScreen()
{
    std::lock_guard<std::mutex> hold(RegistryLock());
    Screen *root = root_screen.load(std::memory_order_acquire);
    if (!root) {
        next.store(this, std::memory_order_release);
        root_screen.store(this, std::memory_order_release);
        total_num_screens.store(1, std::memory_order_release);
        return;
    }
    if (root == this)
        return;
    for (Screen *s = root->next.load(std::memory_order_acquire); s != root; s = s->next.load(std::memory_order_acquire))
        if (s == this)
            return;
    next.store(root->next.load(std::memory_order_acquire), std::memory_order_release);
    root->next.store(this, std::memory_order_release);
    total_num_screens.fetch_add(1, std::memory_order_acq_rel);
}

void Screen::UnregisterScreen() {}

Screen *Screen::PeekScreen(const char *wanted)
{
    if (!wanted)
        return nullptr;
    Screen *root = root_screen.load(std::memory_order_acquire);
    if (!root)
        return nullptr;
    Screen *s = root;
    do {
        if (s->name && strcmp(s->name, wanted) == 0)
            return s;
        s = s->next.load(std::memory_order_acquire);
    } while (s != root);
    return nullptr;
}

Screen *Screen::GetScreen(const char *wanted)
{
    if (!wanted)
        return nullptr;
    Screen *s = PeekScreen(wanted);
    if (!s)
        ov->OV_Popupf(1, "Screen::GetScreen ('%s') -- screen not found!\n", wanted);
    return s;
}

int Screen::GetScreenIndexByName(const char *wanted)
{
    if (!wanted)
        return -1;
    Screen *root = root_screen.load(std::memory_order_acquire);
    if (!root)
        return -1;
    int index = 0;
    Screen *s = root;
    do {
        if (s->name && strcmp(s->name, wanted) == 0)
            return index;
        index++;
        s = s->next.load(std::memory_order_acquire);
    } while (s != root);
    return -1;
}

Screen *Screen::GetScreenByIndex(int index)
{
    Screen *root = root_screen.load(std::memory_order_acquire);
    if (index < 0 || !root)
        return nullptr;
    Screen *s = root;
    for (int i = 0; i < index; i++) {
        s = s->next.load(std::memory_order_acquire);
        if (s == root)
            return nullptr;
    }
    return s;
}

bool Screen::PreLoadScreen(Screen *screen)
{
    if (!screen)
        return false;
    if (screen->preloaded.load(std::memory_order_acquire))
        return true;
    ov->OV_Printf("..Preloading Screen '%s'..\n", screen->name);
    if (!screen->PreLoad()) {
        ov->OV_Popupf(1, "Preloading screen '%s' failed.", screen->name);
        screen->preload_failed.store(true, std::memory_order_release);
        return false;
    }
    screen->preload_failed.store(false, std::memory_order_release);
    if (UISet *set = screen->ui) {
        if (set->L)
            lua_man.CallLuaFunction(set->L, "OnLoad");
        for (int i = 0; i < set->comps.Count(); i++) {
            const char *file = set->comps[i]->OnLoad;
            if (file && file[0])
                lua_man.ExecLuaFile(set->L, file);
        }
    }
    screen->preloaded.store(true, std::memory_order_release);
    total_num_screens_preloaded.fetch_add(1, std::memory_order_acq_rel);
    return true;
}

bool Screen::PreLoadAllScreens(bool one_at_a_time)
{
    Screen *root = root_screen.load(std::memory_order_acquire);
    if (!root)
        return true;
    Screen *s = root;
    do {
        Screen *after = s->next.load(std::memory_order_acquire);
        if (!s->preloaded.load(std::memory_order_acquire) && !s->preload_failed.load(std::memory_order_acquire)) {
            PreLoadScreen(s);
            if (one_at_a_time) {
                bool last = after == root_screen.load(std::memory_order_acquire);
                sman.all_screens_preloaded.store(last, std::memory_order_release);
                return last;
            }
        }
        s = after;
    } while (s != root);
    sman.all_screens_preloaded.store(true, std::memory_order_release);
    return true;
}

void Screen::UnloadAllScreens()
{
    ov->OV_Printf("Unloading all screens..\n");
    Screen *root = root_screen.load(std::memory_order_acquire);
    if (!root)
        return;
    Screen *s = root;
    do {
        ov->OV_Printf("..Screen '%s'..\n", s->name);
        s->Unload();
        s = s->next.load(std::memory_order_acquire);
    } while (s != root);
}

bool Screen::LoadUI(const char *file)
{
    return sman.GetUISetForScreen(file, this) != nullptr;
}

void Screen::FreeUI()
{
    // A set borrowed from another screen (the screen browser shows others' sets) is
    // that screen's to free.
    if (!ui || !ui->owner || ui->owner == this)
        delete ui;
    ui = nullptr;
    default_comp = nullptr;
}

UIComp *Screen::GetComp(const char *wanted)
{
    return ui ? ui->GetComp(wanted) : nullptr;
}

UIComp *Screen::GetCompOfType(const char *wanted, int type)
{
    UIComp *comp = GetComp(wanted);
    if (!comp || comp->type == type)
        return comp;
    char upper[32];
    const char *word = UIComp::GetCompTypeString(type);
    size_t i = 0;
    for (; word[i] && i + 1 < sizeof upper; i++)
        upper[i] = (char)(word[i] >= 'a' && word[i] <= 'z' ? word[i] - 32 : word[i]);
    upper[i] = 0;
    ov->OV_Popupf(1, "GetComp%s: component '%s' type is %s, not %s\n", word, wanted,
                  UIComp::GetCompTypeString(comp->type), upper);
    return nullptr;
}

void Screen::SlideTimeDeltaMultiplierValue(float target, float duration)
{
    if (!(duration >= kMinDuration))
        duration = kMinDuration;
    multiplier_start = time_delta_multiplier;
    multiplier_progress = 0.0f;
    multiplier_target = target;
    multiplier_speed = 1.0f / duration;
}

void Screen::UpdateTimeDeltaMultiplierChange(float dt)
{
    multiplier_progress += dt * multiplier_speed;
    if (multiplier_progress >= 1.0f) {
        multiplier_progress = 1.0f;
        time_delta_multiplier = multiplier_target;
        return;
    }
    float k = EaseInOut(multiplier_progress);
    time_delta_multiplier = k * multiplier_target + (1.0f - k) * multiplier_start;
}

void Screen::SetEnterTransDuration(float seconds)
{
    enter_speed = 1.0f / (seconds >= kMinDuration ? seconds : kMinDuration);
}

void Screen::SetLeaveTransDuration(float seconds)
{
    leave_speed = 1.0f / (seconds >= kMinDuration ? seconds : kMinDuration);
}

void Screen::DrawUI()
{
    if (UISet *set = ui) {
        // The count is read at every step: a custom-draw callback may change the set.
        for (int i = 0; i < set->comps.Count(); i++) {
            UIComp *comp = set->comps[i];
            if (!comp->IsVisible())
                continue;
            comp->UpdateDimensions();
            if (sman.draw_all || comp->type == UICOMP_EMITTER || comp->IsInView())
                comp->Draw();
            if (comp->custom_draw) {
                DrawUIComp(comp);
                if (set->has_OnDrawComp)
                    lua_man.CallLuaFunctionS(set->L, "OnDrawComp", comp->name ? comp->name : "");
            }
        }
    }
    ov->OV_SetAlpha(1.0f);
    ov->OV_SetColor(1.0f, 1.0f, 1.0f);
    ov->OV_SetBlend(0);
}

// ---- scripted screens

ScreenTemplate::ScreenTemplate(const char *file) : ui_file(CopyText(file)) {}

ScreenTemplate::ScreenTemplate(const char *name, const char *file) : Screen(name), ui_file(CopyText(file)) {}

ScreenTemplate::~ScreenTemplate()
{
    free(ui_file);
}

bool ScreenTemplate::PreLoad()
{
    if (ui_file && ui_file[0])
        LoadUI(ui_file);
    return true;
}

void ScreenTemplate::Draw(float)
{
    DrawUI();
}

void ScreenTemplate::Enter()
{
    anim_key = 0.0f;
    timer = 0.0;
}

void ScreenTemplate::Leave() {}

bool ScreenTemplate::ProcessUICompClick(UIComp *, int)
{
    return true;
}
