// The battle screen (see battle-screen.h).
#include "game/screens/battle-screen.h"

#include "app/services/audioman.h"
#include "app/services/prog.h"
#include "app/services/random.h"
#include "app/services/small-maths.h"
#include "app/ui/screen-manager.h"
#include "app/ui/ui-comps.h"
#include "game/controls.h"
#include "game/entities/entity.h"
#include "game/entities/powerups.h"
#include "game/entities/stock.h"
#include "game/gamestate.h"
#include "game/scape.h"
#include "game/spawn-manager.h"

#include "ovrecords.h"

#include <math.h>
#include <strings.h>

ScreenGame screen_game;

namespace {

const char kUIFile[] = "ui/game.lua";
const float kMaxStep = 0.2f;
const float kArtilleryStepFactor = 0.05f;
const float kMusicDelay = 3.0f;
const int kEscape = 27;

bool Developer()
{
    return prog.parms.developer_mode != 0;
}

bool NameIs(const UIComp *comp, const char *name)
{
    return comp && comp->name && strcasecmp(comp->name, name) == 0;
}

nTransform ScaleMove(float sx, float sy, float tx, float ty)
{
    nTransform t = {{sx, 0, 0, tx, 0, sy, 0, ty, 0, 0, 1, 0, 0, 0, 0, 1}};
    return t;
}

// The world's units on the display: a scale by the screen manager's two factors.
void PushWorldTransform()
{
    nTransform t = ScaleMove(sman.reference_scale_x, sman.reference_scale_y, 0.0f, 0.0f);
    ov->OV_PushTransform(&t);
}

// The pointer in world units.
vec2_t PointerInWorld()
{
    return vec2_t{mpos.x / sman.reference_scale_x, mpos.y / sman.reference_scale_y};
}

bool ArtilleryTargeting()
{
    return game.artillery_aiming && !game.tutorial_shown;
}

}  // namespace

Screen *GetBattleScreen()
{
    return &screen_game;
}

ScreenGame::ScreenGame() : Screen("Game") {}

bool ScreenGame::PreLoad()
{
    LoadUI(kUIFile);
    // The world exists, empty, for the whole run; it is set up for the first battle.
    if (!GetScape())
        SetScape(new Scape);
    game.ReadStats();
    GetScape()->ReadConfig();
    return true;
}

void ScreenGame::Enter()
{
    music_timer = 0.0f;
    music_stopped = false;
    controls.Reset();
    entered = true;
}

void ScreenGame::Leave() {}

float ScreenGame::BattleStep(float dt)
{
    float step = dt > kMaxStep ? kMaxStep : dt;
    if (ArtilleryTargeting())
        step *= kArtilleryStepFactor;
    return step;
}

void ScreenGame::Update(float dt)
{
    if (sman.PeekScreen(0) != this || trans_phase < 1.0f)
        return;
    Scape *world = GetScape();
    if (!world)
        return;

    if (music_timer > kMusicDelay && !music_stopped) {
        music_stopped = true;
        aman.StopMusic(4.0f);
    } else if (!music_stopped) {
        music_timer += dt;
    }

    float step = BattleStep(dt);
    sman.SetVisible(GetComp("Pause"), !ArtilleryTargeting());

    world->camera = vec2_t{0.0f, 0.0f};
    world->zoom = 1.0f;

    if (world->spawn_manager) {
        vec2_t at = game.base ? game.base->pos : vec2_t{512.0f, 384.0f};
        world->spawn_manager->SetSpawnParms(at, game.score / 10000 + 1, 1);
    }
    controls.Update(step);
    game.UpdateTutorial(step);
    // A tutorial that pauses play freezes the world and the rules; the controls and the
    // tutorial itself had the real step.
    if (!game.paused && game.tutorial_shown && game.tutorial_pauses)
        step = 0.0f;
    world->Update(step);
    game.Update(step);
}

void ScreenGame::Draw(float dt)
{
    entered = true;
    Scape *world = GetScape();

    bool shaken = false;
    if (world && world->shake_time > 0.0f && sman.PeekScreen(0) == this && dt > 0.0f) {
        float s = world->shake_time > 1.0f ? 1.0f : world->shake_time;
        float ox = -2.0f * s * ((float)AppRandom() / 32767.0f);
        float oy = -2.0f * s * ((float)AppRandom() / 32767.0f);
        float k = 1.0f + 2.0f * 0.01f * fmaxf(fabsf(ox), fabsf(oy));
        nTransform t = ScaleMove(k, k, (float)sman.virtual_width * ox * 0.01f,
                                 (float)sman.virtual_height * oy * 0.01f);
        ov->OV_PushTransform(&t);
        shaken = true;
    }

    if (world) {
        PushWorldTransform();
        world->Draw(dt);
        ov->OV_PopTransform();
    }
    DrawUI();
    PushWorldTransform();
    game.Draw();
    ov->OV_PopTransform();

    if (leaving) {
        ov->OV_SetAlpha(1.0f - trans_phase);
        ov->OV_SetColor(0.0f, 0.0f, 0.0f);
        ov->OV_SetBlend(0);
        ov->OV_DrawRect(0.0f, 0.0f, (float)prog.parms.width, (float)prog.parms.height);
    }
    ov->OV_SetAlpha(1.0f);
    ov->OV_SetColor(1.0f, 1.0f, 1.0f);
    ov->OV_SetBlend(0);
    if (shaken)
        ov->OV_PopTransform();
}

int ScreenGame::ProcessEvent(ov_event_t *event)
{
    if (!event)
        return 0;
    if (event->type == OV_EVENT_BUTTON_DOWN) {
        if (game.wave_title_timer > 0.4f)
            game.wave_title_tapped = 1;
        controls.ProcessEvent(event);
        return 0;
    }
    if (event->type == OV_EVENT_KEY_DOWN && event->key == kEscape) {
        sman.PushScreen("PauseMenu", 0);
        return 1;
    }
    if (Developer() && event->type == OV_EVENT_KEY_DOWN)
        Cheat(event->key);
    controls.ProcessEvent(event);
    return 0;
}

void ScreenGame::Cheat(int key)
{
    Scape *world = GetScape();
    switch (key) {
    case 'L':
        sman.SendScreenMessage(this, Screen::GetScreen("GameOver"), "EndCondition", "GameLost");
        sman.PushScreen("GameOver", 0);
        break;
    case 'C':
        if (game.parms.game_mode == GAME_MODE_LEVEL) {
            game.all_waves_done = 1;
            // The level is won at once: a tutorial holding the battle goes with it.
            game.SetTutorial(nullptr);
        }
        break;
    case 'W':
        game.artillery_aiming = 1;
        break;
    case 'G':
        game.invulnerable = !game.invulnerable;
        break;
    case 'J': {
        // A row of the loaded power-up table; none while the table is empty.
        if (!world || !world->stock || Powerup::num_powerups <= 0)
            break;
        vec2_t at;
        game.GetFreePosition(40.0f, PointerInWorld(), 200.0f, at);
        Entity *e = world->SpawnEntity(world->stock->GetEntityType("Powerup"), at);
        if (e) {
            e->powerup_active = true;
            e->powerup = &Powerup::powerups[AppRandom() % Powerup::num_powerups];
        }
        break;
    }
    case 'A': {
        if (!world || !world->stock)
            break;
        EntityType *type = world->stock->GetEntityType("AlienPet");
        if (!type)
            break;
        world->stock->CacheEntityType(type, true);
        Entity *e = world->SpawnEntity(type, PointerInWorld());
        if (e) {
            e->angle = -kPi;
            e->aim_angle = -kPi;
        }
        break;
    }
    default:
        break;
    }
}

bool ScreenGame::ProcessUICompClick(UIComp *comp, int)
{
    if (ArtilleryTargeting())
        return true;
    if (NameIs(comp, "Pause")) {
        sman.PushScreen("PauseMenu", 0);
    } else if (NameIs(comp, "PauseTime")) {
        if (!game.tutorial_shown)
            game.SetPause(!game.paused);
    } else if (Developer() && NameIs(comp, "CheatMoney")) {
        game.AddMoney(10000, vec2_t{100.0f, 100.0f});
    }
    return true;
}
