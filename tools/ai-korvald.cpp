// This game's automated test player (see ai-korvald.h).
#include "tools/ai-korvald.h"

#include "app/services/dataman.h"
#include "app/services/profiles.h"
#include "app/services/random.h"
#include "app/ui/screen-manager.h"
#include "app/ui/screen.h"
#include "app/ui/ui-comps.h"
#include "app/ui/uiset.h"
#include "game/entities/entity-ai.h"
#include "game/entities/entity-types.h"
#include "game/entities/entity.h"
#include "game/entities/stock.h"
#include "game/entities/weapons.h"
#include "game/gamestate.h"
#include "game/scape.h"
#include "nstring.h"
#include "ovrecords.h"
#include "tools/autoplay.h"

#include <stdarg.h>
#include <stdlib.h>
#include <string.h>

AIKorvald ai_Korvald;

namespace {

// The screens the game test player treats as battle, and as complex screens.
const char kGame[] = "Game";
// The chance, at each action in the tactical pause, that the player ends it.
const float kResumeTacticalPause = 0.25f;

bool NameIs(const char *a, const char *b)
{
    return a && b && strcmp(a, b) == 0;
}

bool TopIs(const char *name)
{
    Screen *top = sman.PeekScreen(0);
    return top && NameIs(top->name, name);
}

float RandRange(float lo, float hi)
{
    return lo + (hi - lo) * rand01f();
}

// The missions whose enemies keep their distance: the squad's weapons reach ten times
// as far there.
bool IsLongRangeMission(const char *id)
{
    return NameIs(id, "MISSION3_4") || NameIs(id, "MISSION3_6") || nStringsMatch(id, "MISSION2_3") ||
           nStringsMatch(id, "MISSION2_6") || nStringsMatch(id, "MISSION3_10");
}

int IndexOfText(const nArray<char *> &list, const char *text)
{
    for (int i = 0; i < list.Count(); i++)
        if (NameIs(list[i], text))
            return i;
    return -1;
}

// Clicks a component as a finger on it would (its screen's click handling), when the
// screen has it.
bool ClickNamed(AIPlayer *player, Screen *screen, const char *name)
{
    UIComp *comp = screen && name ? screen->GetComp(name) : nullptr;
    if (!comp)
        return false;
    player->ClickComponent(screen, comp);
    return true;
}

// A random point of a component's rectangle around its position.
vec2_t RandomPointOf(UIComp *comp)
{
    vec2_t p = comp->GetStaticPos();
    return vec2_t{p.x + comp->width * (rand01f() - 0.5f), p.y + comp->height * (rand01f() - 0.5f)};
}

const char *MissionRating(const char *mission)
{
    return prof ? prof->GetValue("missions", mission, "rating") : nullptr;
}

bool Rated(const char *mission)
{
    const char *r = MissionRating(mission);
    return r && atoi(r) >= 1;
}

}  // namespace

float rand01f()
{
    return (float)AppRandom() / 32767.0f;
}

AIKorvald::AIKorvald()
{
    boosted_weapons.SetShrink(true);
}

AIKorvald::~AIKorvald()
{
    for (int i = 0; i < boosted_weapons.Count(); i++)
        free(boosted_weapons[i]);
    boosted_weapons.Clear();
}

const char *AIKorvald::GetComp(int n, ...)
{
    if (n <= 0)
        return nullptr;
    int pick = AppRandom() % n;
    va_list args;
    va_start(args, n);
    const char *chosen = nullptr;
    for (int i = 0; i <= pick; i++)
        chosen = va_arg(args, const char *);
    va_end(args);
    return chosen;
}

bool AIKorvald::IsInGame()
{
    return TopIs(kGame);
}

bool AIKorvald::IsComplexScreen()
{
    return TopIs("PlayMenu") || TopIs("Chapter_3_Completed") || TopIs("Achievements");
}

const char *AIKorvald::GetCompToPress(Screen *screen)
{
    const char *name = screen ? screen->name : nullptr;
    if (!NameIs(name, "PauseMenu"))
        battle_setup_done = false;
    if (!name)
        return "Ok";

    if (NameIs(name, "Transition"))
        return "";
    if (NameIs(name, "LoaderTransition")) {
        ClickAt(vec2_t{20.0f, 20.0f});
        return "panel";
    }
    if (NameIs(name, "MainMenu")) {
        // The run's mission, when the command line names one, instead of the menu.
        if (autoplay.EnterMissionFromMainMenu()) {
            clicked_by_itself = true;
            return "";
        }
        return GetComp(3, "Instructions", "Play", "Extras");
    }
    if (NameIs(name, "Extras"))
        return GetComp(5, "Options", "Profiles", "Credits", "Zedivevor", "Back");
    if (NameIs(name, "Tutorial") || NameIs(name, "Options") || NameIs(name, "Zedivevor"))
        return "Back";
    if (NameIs(name, "Credits"))
        return "fader";
    if (NameIs(name, "Profiles"))
        return GetComp(3, "Delete", "New", "Ok");
    if (NameIs(name, "NewProfile"))
        return "Cancel";
    if (NameIs(name, "DeleteProfile"))
        return "No";
    if (NameIs(name, "Leaderboards"))
        return GetComp(3, "PrevCategory", "NextCategory", "Back");
    if (NameIs(name, "PopupOk"))
        return "Ok";
    if (NameIs(name, "PauseMenu")) {
        battle_setup_done = true;
        if (rand01f() < 0.005f)
            return "Restart";
        if (rand01f() < 0.005f)
            return "MainMenu";
        return GetComp(3, "Resume", "Options", "Help");
    }
    if (NameIs(name, "LevelLeave"))
        return GetComp(2, "No", "Quit");
    if (NameIs(name, "LevelRestart"))
        return GetComp(2, "Retry", "Restart");
    if (NameIs(name, "ArmTroopers")) {
        if (rand01f() < 0.3f)
            return "Select";
        return GetComp(11, "Trooper_0", "Upgrade_0", "Trooper_1", "Upgrade_1", "Trooper_2", "Upgrade_2",
                       "Trooper_3", "Upgrade_3", "Trooper_4", "Upgrade_4", "Select");
    }
    if (NameIs(name, "ChooseUpgrade")) {
        if (rand01f() < 0.3f)
            return "Select";
        return GetComp(7, "Upgrade_0", "Upgrade_1", "Upgrade_2", "Upgrade_3", "Upgrade_4", "Upgrade_5", "Select");
    }
    if (NameIs(name, "LevelLost"))
        return GetComp(2, "Retry", "Quit");
    if (NameIs(name, "GameOver")) {
        const char *pick = GetComp(3, "Leaderboards", "Menu", "Retry");
        if (ClickNamed(this, screen, pick))
            clicked_by_itself = true;
        return "";
    }
    if (NameIs(name, "LevelWon") || NameIs(name, "AchievementUnlocked") || NameIs(name, "FeatureUnlocked") ||
        NameIs(name, "NewHighscore"))
        return "Continue";
    if (NameIs(name, "PickReinforcement"))
        return GetComp(5, "Minigun", "Shotgun", "Bazooka", "Sniper", "Pyro");
    if (NameIs(name, "Ending"))
        return "ending";
    if (NameIs(name, "Chapter_1_Begin") || NameIs(name, "Chapter_1_Completed") || NameIs(name, "Chapter_2_Completed"))
        return "tap_to_continue";
    if (NameIs(name, "FBProposition"))
        return "no";
    if (NameIs(name, "TalvikNews"))
        return "Close";
    return "Ok";
}

bool AIKorvald::SetUpBattle()
{
    if (battle_setup_done)
        return false;
    // 0.2 s into the battle (its game clock: the game state's start timer is never
    // advanced, so it would wait for ever).
    float started = game.start_timer > (float)game.game_clock / 1000.0f ? game.start_timer
                                                                         : (float)game.game_clock / 1000.0f;
    if (started <= 0.2f || NameIs(game.parms.mission_id, "INCOMING_MODE"))
        return false;
    battle_setup_done = true;

    if (Entity *base = game.base) {
        if (base->type && base->IsAlive()) {
            const char *hp = dman().GetValue("entities.xml", "entities", base->type->name, "hit_points");
            float points = 10.0f * (hp ? (float)atof(hp) : 1.0f);
            base->hit_points = base->max_hit_points = points;
        }
    }
    const bool long_range = IsLongRangeMission(game.parms.mission_id);
    for (int i = 0; i < game.troopers.Count(); i++) {
        Entity *t = game.troopers[i];
        if (!t || !t->type || !t->IsAlive())
            continue;
        t->hit_points = t->max_hit_points = 3000.0f;
        Weapon *w = t->weapon;
        if (long_range && w && w->id && IndexOfText(boosted_weapons, w->id) < 0) {
            w->projectile_range *= 10.0f;
            boosted_weapons.InsertLast(nStringDuplicate(w->id));
        }
    }
    // Elsewhere every boosted record goes back, carried or not (a record boosted in an
    // earlier mission must not stay long for the rest of the run).
    if (!long_range)
        RestoreBoostedWeapons();
    return true;
}

void AIKorvald::RestoreBoostedWeapons()
{
    for (int i = boosted_weapons.Count() - 1; i >= 0; i--) {
        if (Weapon *w = Weapon::GetWeapon(boosted_weapons[i]))
            w->projectile_range /= 10.0f;
        nStringFree(boosted_weapons[i]);
        boosted_weapons.Remove(i);
    }
}

vec2_t AIKorvald::GetGamePositionToPress(bool &press)
{
    press = false;
    const vec2_t none = {0.0f, 0.0f};
    // The INCOMING mission is left alone but for a pausing tutorial, which waits for a
    // tap (left untapped, the battle stood still for ever).
    if (NameIs(game.parms.mission_id, "INCOMING_MODE")) {
        if (game.tutorial_name && game.tutorial_shown && game.tutorial_pauses) {
            press = true;
            return vec2_t{sman.virtual_x + sman.virtual_width / 2.0f, sman.virtual_y + sman.virtual_height / 2.0f};
        }
        return none;
    }
    if (!battle_setup_done) {
        SetUpBattle();
        if (!battle_setup_done)
            return none;
    }
    // Nothing at all in the INCOMING mission (its squad is not dragged about).
    if (NameIs(game.parms.mission_id, "INCOMING_MODE"))
        return none;

    Screen *top = sman.PeekScreen(0);
    if ((double)AppRandom() / 32767.0 < 0.01) {
        if (top && NameIs(top->name, kGame) && ClickNamed(this, top, "Pause"))
            return none;
    }

    // The tactical pause (a drag that started on its button switched it on) holds the
    // battle until the button is pressed again: a player draws a path or two and goes
    // on. Its tip takes the button's presses while shown; the drags' taps dismiss it.
    if (game.paused && !game.tutorial_shown && rand01f() < kResumeTacticalPause) {
        UIComp *button = top && NameIs(top->name, kGame) ? top->GetComp("PauseTime") : nullptr;
        if (button && button->IsVisible()) {
            ClickComponent(top, button);
            return none;
        }
    }

    Scape *world = scape.load();
    if (game.tutorial_name && NameIs(game.tutorial_name, "TARGETING") && rand01f() < 0.1f) {
        Entity *list[10];
        int n = world ? world->QueryLivingEntitiesInFriendGroup(2, 1, list, 10) : 0;
        if (n > 0) {
            press = true;
            return list[0]->pos;
        }
    }

    int alive = 0;
    for (int i = 0; i < game.troopers.Count(); i++)
        if (game.troopers[i] && game.troopers[i]->type && game.troopers[i]->IsAlive())
            alive++;
    if (alive == 0 || !world) {
        // Nobody to drag: a pausing tutorial (a trooper's death) still gets its tap, or
        // the battle would stand still for ever.
        if (game.tutorial_name && game.tutorial_shown && game.tutorial_pauses) {
            press = true;
            return vec2_t{sman.virtual_x + sman.virtual_width / 2.0f, sman.virtual_y + sman.virtual_height / 2.0f};
        }
        return none;
    }
    Entity *trooper = nullptr;
    while (!trooper) {
        Entity *t = game.troopers[AppRandom() % game.troopers.Count()];
        if (t && t->type && t->IsAlive())
            trooper = t;
    }
    const float fx = sman.reference_scale_x, fy = sman.reference_scale_y;
    vec2_t on_screen = world->TranslatePointToScreenSpace(trooper->pos);
    vec2_t from = {on_screen.x * fx, on_screen.y * fy};
    float r1 = (float)AppRandom() / 32767.0f, r2 = (float)AppRandom() / 32767.0f;
    vec2_t offset = {(r1 * 400.0f - 200.0f) * fx, (r2 * 200.0f - 100.0f) * fy};
    if ((float)AppRandom() / 32767.0f < 0.4f) {
        EntityAI *chooser = world->stock ? world->stock->GetEntityAI("Default") : nullptr;
        Entity *target = chooser ? chooser->GetTargetForEntity(trooper) : nullptr;
        if (target) {
            vec2_t half = {(target->pos.x - trooper->pos.x) * 0.5f, (target->pos.y - trooper->pos.y) * 0.5f};
            if (rand01f() < 0.25f)
                half = vec2_t{-half.x, -half.y};
            offset = vec2_t{half.x * world->zoom * fx, half.y * world->zoom * fy};
        }
    }
    Drag(from, vec2_t{from.x + offset.x, from.y + offset.y}, 0.5f, false);
    return none;
}

void AIKorvald::UpdateGame(float dt)
{
    // The run's own switches (mission, stop, time limit) watch every frame.
    autoplay.Update(dt);
}

void AIKorvald::UpdateComplexScreen(float dt, Screen *screen)
{
    complex_timer += dt;
    if (complex_timer < complex_interval)
        return;
    complex_timer = 0.0f;
    if (!screen)
        return;

    if (NameIs(screen->name, "Achievements")) {
        if ((double)AppRandom() / 32767.0 < 0.9) {
            if (UIComp *patch = screen->GetComp("achipatch"))
                ClickAt(RandomPointOf(patch));
        } else {
            ClickNamed(this, screen, "Back");
        }
        return;
    }
    if (NameIs(screen->name, "Chapter_3_Completed")) {
        float r = rand01f();
        if (r < 0.05f)
            ClickNamed(this, screen, "tap_to_continue");
        else if (r < 0.1f)
            ClickNamed(this, screen, "Exit");
        else
            ClickAt(vec2_t{RandRange(0.0f, (float)sman.virtual_width), RandRange(0.0f, (float)sman.virtual_height)});
        return;
    }
    if (!NameIs(screen->name, "PlayMenu"))
        return;
    if (sman.IsScreenInStack("LoaderTransition") || !sman.IsScreenInStack("MainMenu"))
        return;

    const char *choice;
    if (Rated("MISSION3_10")) {
        if (rand01f() < 0.9f) {
            UIComp *selector = screen->GetComp("Missions");
            ov_bitmap_t *bitmap = ov->OV_GetBitmap("ui/gfx/mission-selector.png");
            // Without the selector's bitmap its size is unknown: no tap. A picture that
            // failed to load is still handed out, with no size.
            if (selector && bitmap && bitmap->width > 0 && bitmap->height > 0) {
                vec2_t p = selector->GetStaticPos();
                float w = (float)bitmap->width, h = (float)bitmap->height;
                ClickAt(vec2_t{p.x + w * 0.25f * sman.reference_scale_x,
                               p.y + (h * RandRange(0.0f, 10.0f) + 0.5f) * sman.reference_scale_y * 1.2f});
            }
            return;
        }
        choice = GetComp(8, "Back", "Achievements", "Leaderboards", "CHAPTER1", "CHAPTER2", "CHAPTER3", "EXTRAS",
                         "Play");
    } else if (Rated("MISSION2_10")) {
        choice = GetComp(6, "Back", "Achievements", "CHAPTER3", "CHAPTER3", "CHAPTER3", "Play");
    } else if (Rated("MISSION1_10")) {
        choice = GetComp(6, "Back", "Achievements", "CHAPTER2", "CHAPTER2", "CHAPTER2", "Play");
    } else {
        choice = GetComp(3, "Back", "Achievements", "Play");
    }
    if (NameIs(choice, "Leaderboards")) {
        UIComp *intel = screen->GetComp("ExtrasIntel");
        if (!intel || !intel->IsVisible())
            return;
    }
    ClickNamed(this, screen, choice);
}
