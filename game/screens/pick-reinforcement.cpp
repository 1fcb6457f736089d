// The reinforcement choice (see pick-reinforcement.h).
#include "game/screens/pick-reinforcement.h"

#include "app/services/profiles.h"
#include "app/ui/screen-manager.h"
#include "app/ui/ui-comps.h"
#include "game/entities/stock.h"
#include "game/gamestate.h"
#include "game/scape.h"
#include "game/trooper-classes.h"

#include <string.h>

namespace {

const double kTapGate = 0.3;  // seconds after the fade-in before taps count
const int kKeyEscape = 27;

}  // namespace

ScreenPickReinforcement &GetPickReinforcementScreen()
{
    static ScreenPickReinforcement screen;
    return screen;
}

ScreenPickReinforcement::ScreenPickReinforcement() : Screen("PickReinforcement") {}

bool ScreenPickReinforcement::PreLoad()
{
    LoadUI("ui/pick-reinforcement.lua");
    return true;
}

void ScreenPickReinforcement::Draw(float)
{
    DrawUI();
}

void ScreenPickReinforcement::Update(float dt)
{
    if (trans_phase >= 1.0f)
        timer += dt;
}

void ScreenPickReinforcement::Enter()
{
    timer = 0.0;
    sman.ResetNextFrameTimeDelta();
    bool any = false;
    for (const TrooperClass &c : kTrooperClasses) {
        bool unlocked = prof && prof->TagExists("features", c.feature);
        any = any || unlocked;
        if (UIComp *button = GetComp(c.word))
            button->visible = unlocked;
    }
    // Without any class unlocked the minigun trooper is offered, so there is a way out.
    if (!any)
        if (UIComp *minigun = GetComp("Minigun"))
            minigun->visible = true;
    CentreShownClasses();
    sman.SetText(GetComp("Level"), "For Level %d", game.wave_number);
}

// The layout places the five buttons in a row at even steps, the middle one at the
// picker's centre; the classes on offer close up into a row of their own about the
// same centre.
void ScreenPickReinforcement::CentreShownClasses()
{
    UIComp *buttons[5];
    int n = 0, shown = 0;
    for (const TrooperClass &c : kTrooperClasses) {
        UIComp *button = GetComp(c.word);
        if (!button)
            return;
        buttons[n++] = button;
        shown += button->visible ? 1 : 0;
    }
    const float step = buttons[1]->position_x - buttons[0]->position_x;
    const float middle = buttons[2]->position_x;
    int k = 0;
    for (UIComp *button : buttons) {
        button->position_offset_x = 0.0f;
        if (!button->visible)
            continue;
        const float x = middle + step * ((float)k - (float)(shown - 1) / 2.0f);
        button->position_offset_x = x - button->position_x;
        k++;
    }
}

void ScreenPickReinforcement::Leave()
{
    sman.ResetNextFrameTimeDelta();
}

bool ScreenPickReinforcement::ProcessUICompClick(UIComp *comp, int)
{
    if (leaving || timer < kTapGate || !comp || !comp->name)
        return true;
    const TrooperClass *chosen = nullptr;
    for (const TrooperClass &c : kTrooperClasses)
        if (strcmp(comp->name, c.word) == 0)
            chosen = &c;
    return Pick(chosen);
}

bool ScreenPickReinforcement::Pick(const void *choice)
{
    const TrooperClass *chosen = static_cast<const TrooperClass *>(choice);
    if (!chosen)
        return true;
    sman.PopScreen(this, true);
    if (game.living_troopers >= game.squad_size) {
        // The squad is full: the pick is kept until a trooper falls.
        game.troopers_to_pick++;
        return true;
    }
    Scape *world = GetScape();
    EntityType *type = world && world->stock ? world->stock->GetEntityType(chosen->type) : nullptr;
    game.SpawnReinforcementTrooper(type, -1);
    return true;
}

int ScreenPickReinforcement::ProcessEvent(ov_event_t *event)
{
    // Escape picks the minigun trooper, whether its button shows or not.
    if (event && event->type == OV_EVENT_KEY_DOWN && event->key == kKeyEscape && !leaving && timer >= kTapGate)
        Pick(&kTrooperClasses[0]);
    return 1;
}
