// The automated test player's base class and manager (see ai-player.h).
#include "tools/ai-player.h"

#include "app/services/dataman.h"
#include "app/services/featureman.h"
#include "app/services/key-state.h"
#include "app/services/prog.h"
#include "app/services/profiles.h"
#include "app/services/random.h"
#include "app/ui/screen-manager.h"
#include "app/ui/screen.h"
#include "app/ui/ui-comps.h"
#include "app/ui/uiset.h"

#include <math.h>
#include <string.h>

AIPlayerMan ai_man;
AIPlayer *AIPlayerMan::players[AIPlayerMan::MAX_PLAYERS] = {};
int AIPlayerMan::num_ais = 0;

namespace {

const int KEY_CONTROL = 17;
const int KEY_POINTER_X = 504;
const int KEY_POINTER_Y = 505;
const int KEY_POINTER_BUTTON = 510;
const char kProfileName[] = "dev_AIPlayer";
const char kHintsFile[] = "ai-player.xml";
const char kHintsFileInProgram[] = "res://ai-player.xml";
// Seconds on ordinary screens without an action before the stall is reported.
const float kStallSeconds = 120.0f;

ov_event_t PointerEvent(int type, vec2_t p)
{
    ov_event_t ev;
    memset(&ev, 0, sizeof ev);
    ev.type = type;
    ev.index = 0;
    ev.x = (int)p.x;
    ev.y = (int)p.y;
    ev.button = KEY_POINTER_BUTTON;
    return ev;
}

void SetPointer(vec2_t p)
{
    ov->OV_SetKeyStatef(KEY_POINTER_X, p.x);
    ov->OV_SetKeyStatef(KEY_POINTER_Y, p.y);
}

// Its fade is complete: shown, or (while leaving) gone.
bool FullyFaded(Screen *screen)
{
    float target = screen->leaving ? 0.0f : 1.0f;
    return fabsf(screen->trans_phase - target) <= 0.000001f;
}

// Percent probability p holds for one draw.
bool Chance(int p)
{
    return AppRandom() % 100 < p;
}

int Probability(DMNode *node)
{
    const char *p = node->GetValue("probability");
    return p ? atoi(p) : 100;
}

}  // namespace

// ---------------------------------------------------------------- AIPlayer

AIPlayer::AIPlayer()
{
    AIPlayerMan::RegisterAI(this);
}

const char *AIPlayer::GetCompToPress(Screen *)
{
    return "Ok";
}

vec2_t AIPlayer::GetGamePositionToPress(bool &)
{
    return vec2_t{0.0f, 0.0f};
}

bool AIPlayer::UpdatePlayerInGame(float)
{
    return false;
}

void AIPlayer::UpdateGame(float) {}

void AIPlayer::UpdateComplexScreen(float, Screen *) {}

void AIPlayer::Update(float dt)
{
    UpdateGame(dt);

    if (dragging) {
        float from_k = drag_progress;
        drag_progress += dt * drag_speed;
        if (drag_progress > 1.0f)
            drag_progress = 1.0f;
        vec2_t d = {drag_end.x - drag_start.x, drag_end.y - drag_start.y};
        vec2_t from = {drag_start.x + d.x * from_k, drag_start.y + d.y * from_k};
        vec2_t to = {drag_start.x + d.x * drag_progress, drag_start.y + d.y * drag_progress};
        DragAt(from, to);
        if (drag_progress >= 1.0f) {
            action_timer = 0.0f;
            drag_progress = 0.0f;
            dragging = false;
            if (!drag_held)
                ReleaseAt(drag_end);
        }
        return;
    }

    action_timer += dt;
    Screen *top = sman.PeekScreen(0);
    if (IsInGame()) {
        idle_time = 0.0f;
        if (UpdatePlayerInGame(dt))
            action_timer = 0.0f;
        if (ingame_interval < action_timer * GetLevelNumLearningCoeff()) {
            action_timer = 0.0f;
            bool press = true;
            vec2_t p = GetGamePositionToPress(press);
            if (press)
                ClickAt(p);
        }
        return;
    }

    // Outside battle a screen that offers nothing for two minutes is a stall.
    idle_time += dt;
    if (idle_time > kStallSeconds && top) {
        ov->OV_Printf("AI player: nothing to press on '%s'.\n", top->name ? top->name : "");
        idle_time = 0.0f;
    }

    if (IsComplexScreen()) {
        if (top)
            UpdateComplexScreen(dt, top);
        return;
    }
    if (top && action_timer > screen_interval && FullyFaded(top))
        PressOnScreen(top);
}

void AIPlayer::PressOnScreen(Screen *top)
{
    clicked_by_itself = false;
    const char *name = GetCompToPress(top);
    // A decision that clicked by itself ends the step (its empty answer must not lead
    // to a second click through the hints).
    if (clicked_by_itself) {
        clicked_by_itself = false;
        return;
    }
    UIComp *comp = name && name[0] ? top->GetComp(name) : nullptr;
    if (!comp) {
        const char *hint = ai_man.GetUINavigationHint(top, "forward");
        comp = hint ? top->GetComp(hint) : nullptr;
    }
    if (!comp || !comp->IsVisible() || !comp->IsInView())
        return;
    vec2_t a = comp->GetAlignedPos();
    const vec2_t probes[3] = {{a.x + 0.25f * comp->width, a.y + 0.25f * comp->height},
                              {a.x + 0.75f * comp->width, a.y + 0.25f * comp->height},
                              {a.x + 0.5f * comp->width, a.y + 0.75f * comp->height}};
    for (const vec2_t &p : probes) {
        if (IsOnScreen(p)) {
            ClickComponent(top, comp);
            return;
        }
    }
}

void AIPlayer::Draw()
{
    float x = ov->OV_GetKeyStatef(KEY_POINTER_X);
    float y = ov->OV_GetKeyStatef(KEY_POINTER_Y);
    ov->OV_SetAlpha(1.0f);
    ov->OV_SetColor(1.0f, 0.0f, 1.0f);
    ov->OV_DrawRect(x - 1.5f, y - 10.0f, 3.0f, 20.0f);
    ov->OV_DrawRect(x - 10.0f, y - 1.5f, 20.0f, 3.0f);
    ov->OV_SetColor(1.0f, 1.0f, 1.0f);
}

void AIPlayer::PressAt(vec2_t p)
{
    SetPointer(p);
    ov_event_t ev = PointerEvent(OV_EVENT_BUTTON_DOWN, p);
    ov->OV_SetKeyStatei(KEY_POINTER_BUTTON, 1);
    sman.ProcessEvent(ev);
}

void AIPlayer::ReleaseAt(vec2_t p)
{
    ov_event_t ev = PointerEvent(OV_EVENT_BUTTON_UP, p);
    // DragAt marked the button held: it is let go here (else it stays held for the run).
    ov->OV_SetKeyStatei(KEY_POINTER_BUTTON, 0);
    sman.ProcessEvent(ev);
}

void AIPlayer::ClickAt(vec2_t p)
{
    PressAt(p);
    ReleaseAt(p);
    action_timer = 0.0f;
    idle_time = 0.0f;
    ai_man.presses++;
}

void AIPlayer::DragAt(vec2_t p)
{
    SetPointer(p);
    ov_event_t ev = PointerEvent(OV_EVENT_POINTER_MOVE, p);
    ev.prev_x = (int)p.x;
    ev.prev_y = (int)p.y;
    sman.ProcessEvent(ev);
}

void AIPlayer::DragAt(vec2_t from, vec2_t to)
{
    SetPointer(to);
    ov->OV_SetKeyStatei(KEY_POINTER_BUTTON, 1);
    ov_event_t ev = PointerEvent(OV_EVENT_POINTER_MOVE, to);
    ev.prev_x = (int)from.x;
    ev.prev_y = (int)from.y;
    sman.ProcessEvent(ev);
}

void AIPlayer::Drag(vec2_t from, vec2_t to, float duration, bool held)
{
    drag_start = from;
    drag_end = to;
    drag_speed = duration > 0.0f ? 1.0f / duration : 1.0f;
    drag_progress = 0.0f;
    drag_held = held;
    dragging = true;
    idle_time = 0.0f;
    ai_man.drags++;
    if (!held)
        PressAt(from);
}

void AIPlayer::ClickComponent(Screen *screen, UIComp *comp)
{
    if (!screen || !comp)
        return;
    const char *name = comp->name ? comp->name : "";
    ov->OV_Printf("AI clicked %s\n", name);
    snprintf(ai_man.last_click_screen, sizeof ai_man.last_click_screen, "%s", screen->name ? screen->name : "");
    ai_man.clicks++;
    // The position first: the click may pop the screen and reload its set.
    vec2_t a = comp->GetAlignedPos();
    vec2_t centre = {a.x + comp->width / 2.0f, a.y + comp->height / 2.0f};
    sman.SendComponentClick(comp, screen->ui);
    DragAt(centre);
    action_timer = 0.0f;
    idle_time = 0.0f;
}

bool AIPlayer::IsOnScreen(vec2_t p)
{
    return p.x > sman.virtual_x && p.x < sman.virtual_x + sman.virtual_width && p.y > sman.virtual_y &&
           p.y < sman.virtual_y + sman.virtual_height;
}

// ---------------------------------------------------------------- AIPlayerMan

void AIPlayerMan::Initialize()
{
    enabled = feature_man.ProductFeatureExists("AUTO_TESTING_MODE");
    navigation = forward = nullptr;
    // Along the search paths, else from the program directory itself (which the search
    // paths do not hold yet while the services start).
    for (const char *name : {kHintsFile, kHintsFileInProgram}) {
        ov_file_t *f = ov->OV_OpenFile(name, "rb");
        if (!f)
            continue;
        ov->OV_CloseFile(f);
        navigation = dman().GetArray(name, "navigation");
        forward = dman().GetArray(name, "forward");
        break;
    }
    if (enabled)
        ov->OV_Printf("AI player: enabled; hints %s.\n", navigation || forward ? "read" : "absent");
}

void AIPlayerMan::SelectOrCreateAIProfile()
{
    ProfileManager &pm = profile_man();
    bool found = prof && prof->GetName().Get() && strcmp(prof->GetName().Get(), kProfileName) == 0;
    for (int i = 0; !found && i < pm.GetNumberOfProfiles(); i++) {
        pm.SetActiveProfile(i);
        found = prof && prof->GetName().Get() && strcmp(prof->GetName().Get(), kProfileName) == 0;
    }
    if (!found) {
        Profile *p = pm.CreateNewProfile();
        if (!p) {
            // Playing on someone else's profile would change their progress.
            ov->OV_Printf("AI player: no profile for %s.\n", kProfileName);
            enabled = false;
            return;
        }
        pm.SetActiveProfile(p);
        p->SetName(kProfileName);
    }
    if (!current && num_ais > 0)
        current = players[0];
    if (current)
        current->InitProfile();
    pm.SaveProfiles();
}

void AIPlayerMan::RegisterAI(AIPlayer *player)
{
    if (!player || num_ais >= MAX_PLAYERS)
        return;
    players[num_ais++] = player;
}

void AIPlayerMan::PlayTheGame(float dt)
{
    if (!enabled)
        return;
    if (!current && num_ais > 0)
        current = players[0];
    if (current)
        current->Update(dt);
}

void AIPlayerMan::Draw()
{
    if (current)
        current->Draw();
}

void AIPlayerMan::ProcessEvent(ov_event_t &event)
{
    if (!prog.parms.developer_mode || event.type != OV_EVENT_KEY_DOWN)
        return;
    if (event.key != 'A' || !KeyHeld(KEY_CONTROL))
        return;
    enabled = !enabled;
    ov->OV_Printf("AI Player is now %s\n", enabled ? "ENABLED" : "DISABLED");
}

const char *AIPlayerMan::GetUINavigationHint(Screen *screen, const char *purpose)
{
    if (!screen)
        return nullptr;
    if (navigation && screen->name && purpose) {
        if (DMNode *node = navigation->GetNode(screen->name)) {
            int p = Probability(node);
            const char *value = node->GetValue(purpose);
            if (value && Chance(p))
                return value;
        }
    }
    if (forward) {
        for (int i = 0; i < forward->GetSize(); i++) {
            DMNode *node = forward->GetNode(i);
            const char *id = node ? node->GetValue("id") : nullptr;
            if (!id || !screen->GetComp(id))
                continue;
            if (Chance(Probability(node)))
                return id;
        }
    }
    return nullptr;
}

void AIPlayerMan::LogTotals()
{
    ov->OV_Printf("AI player: %d clicks, %d presses, %d drags.\n", clicks, presses, drags);
}

void AIPlayerMan::Reset()
{
    enabled = false;
    navigation = forward = nullptr;
    current = nullptr;
    clicks = presses = drags = 0;
    last_click_screen[0] = 0;
}
