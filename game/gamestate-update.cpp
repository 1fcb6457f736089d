// The per-frame rule book of a battle: the tactical pause's fade, tactical mode's
// unlock, loss and victory with their end screens, the starting troopers, revivals,
// artillery, the spawn queue, the COLLECTOR and INCOMING timers, the wave-start sound,
// the save between waves and when the wave script runs next.
#include "game/gamestate.h"

#include "app/services/audioman.h"
#include "app/services/data-numbers.h"
#include "app/services/dataman.h"
#include "app/services/player-values.h"
#include "app/services/profiles.h"
#include "app/services/random.h"
#include "app/services/small-maths.h"
#include "app/ui/partfx.h"
#include "app/ui/screen-manager.h"
#include "app/ui/screen.h"
#include "app/ui/ui-comps.h"
#include "game/achievements.h"
#include "game/entities/entity-types.h"
#include "game/entities/entity.h"
#include "game/entities/powerups.h"
#include "game/entities/stock.h"
#include "game/game-util.h"
#include "game/scape.h"
#include "game/spawn-manager.h"
#include "online/leaderboards-manager.h"

#include <math.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

namespace {

// Seconds of the lose timer (it starts at 2) after which the end screen comes.
const float kLoseScreenTime = 5.0f;
const float kWinScreenTime = 3.0f;
const float kArtilleryDelay = 3.0f;
const float kIncomingMarkerTime = 3.0f;
const int kIncomingMarkers = 8;

Screen *GameScreen()
{
    return Screen::PeekScreen("Game");
}

bool GameOnTop()
{
    Screen *screen = GameScreen();
    return screen && sman.GetNumberOfScreensInStack() > 0 && sman.PeekScreen(0) == screen;
}

void PlayNamed(const char *name)
{
    ov_sound_t *sound = ov->OV_GetSound(name);
    if (sound)
        aman.PlaySound(sound, 1.0f, 0.0f, 1.0f);
}

// A count kept in the profile, in its range.
int ProfileCount(const char *category, const char *id)
{
    return PlayerCount(PlayerNumber(prof ? prof->GetValue(category, id, "value") : nullptr));
}

// Strike size from the shop's first artillery upgrade.
void ArtilleryStrikeSize(float &radius, float &damage)
{
    const char *r = dman().GetValue("shop.xml", "Upgrades", "ARTILLERY_1", "strike_radius");
    const char *d = dman().GetValue("shop.xml", "Upgrades", "ARTILLERY_1", "strike_damage");
    radius = r ? DataLeadingFloat(r) : 50.0f;
    damage = d ? DataLeadingFloat(d) : 100.0f;
}

void QueueStrike(GameState &g, vec2_t at, float timer, float radius, float damage)
{
    GameStrike *s = new GameStrike;
    s->x = at.x;
    s->y = at.y;
    s->timer = timer;
    s->second_timer = timer;
    s->radius = radius;
    s->damage = damage;
    g.strikes.InsertLast(s);
}

// One artillery call: a blast at the target, then eight scattered around it.
void FireArtillery(GameState &g, vec2_t target)
{
    float big_r, big_d;
    ArtilleryStrikeSize(big_r, big_d);
    float radius = big_r / 1.5f, damage = big_d * 0.125f;
    QueueStrike(g, target, 0.01f, radius, damage);
    for (int i = 0; i < 8; i++) {
        float r1 = (float)AppRandom() / 32767.0f;
        float r2 = (float)AppRandom() / 32767.0f;
        float r3 = (float)AppRandom() / 32767.0f;
        vec2_t at = {target.x + (r1 - 0.5f) * big_r, target.y + (r2 - 0.5f) * big_r};
        QueueStrike(g, at, r3 + 0.1f, radius, damage);
    }
}

// The mission's end after a loss: statistics, the saved game, the end screen.
void FinishLostBattle(GameState &g)
{
    g.saving_allowed = 0;
    g.stats.missions_finished++;
    g.WriteStats();
    g.DeleteSaveGameState();
    if (g.parms.game_mode == GAME_MODE_LEVEL) {
        sman.PushScreen("LevelLost", 0);
        if (prof)
            prof->SetValuef("current_game", "times_lost", "value", "%i",
                            PlayerCount(ProfileCount("current_game", "times_lost") + 1LL));
        return;
    }
    if (Screen *over = Screen::PeekScreen("GameOver"))
        sman.SendScreenMessage(nullptr, over, "EndCondition", g.end_condition ? g.end_condition : "");
    leaderboards_man.SubmitScore(new_game_parms.mission_id, (long)g.score, (unsigned long)g.game_clock);
    sman.PushScreen("GameOver", 0);
}

// The mission's end after a win: statistics, then the end screen, which records the win
// in the profile, saves it and only then deletes the saved battle: until the win is on
// the disk, the saved battle is what a kill or a crash leaves to come back to.
void FinishWonBattle(GameState &g)
{
    if (prof)
        prof->SetValue("current_game", "times_lost", "value", "0");
    g.saving_allowed = 0;
    g.stats.missions_finished++;
    g.WriteStats();
    sman.PushScreen("LevelWon", 0);
}

void StartingTroopers(GameState &g)
{
    DMArray *list = g.level_db ? g.level_db->GetArray("starting_troopers") : nullptr;
    if (g.starting_troopers_placed || !list)
        return;
    if (!g.arming_requested) {
        Screen *arm = Screen::PeekScreen("ArmTroopers");
        for (int slot = 0; slot < 5 && arm; slot++) {
            char text[16];
            snprintf(text, sizeof text, "%i", slot);
            const char *type = list->GetNodeValue(slot, "type");
            sman.SendScreenMessage(nullptr, arm, text, type ? type : "");
        }
        if (g.HasUpgrades())
            sman.PushScreen("ArmTroopers", 0);
        g.arming_requested = 1;
        return;
    }
    g.starting_troopers_placed = 1;
    Scape *world = GetScape();
    for (int i = 0; world && world->stock && i < list->GetSize(); i++) {
        const char *type_name = list->GetNodeValue(i, "type");
        if (EntityType *type = type_name ? world->stock->GetEntityType(type_name) : nullptr)
            g.SpawnReinforcementTrooper(type, i);
    }
}

// One revival per frame while reinforcements are pending.
void Revivals(GameState &g)
{
    Scape *world = GetScape();
    DMArray *list = g.level_db ? g.level_db->GetArray("starting_troopers") : nullptr;
    while (g.pending_reinforcements > 0) {
        int slots[64];
        int n = 0;
        for (int i = 0; i < g.troopers.Count() && n < 64; i++) {
            Entity *e = g.troopers[i];
            if (e && e->slot != -1 && (e->state == Entity::STATE_DYING || e->state == Entity::STATE_FREE))
                slots[n++] = e->slot;
        }
        if (n == 0) {
            g.pending_reinforcements--;
            continue;
        }
        int slot = slots[AppRandom() % n];
        const char *type_name = list ? list->GetNodeValue(slot, "type") : nullptr;
        EntityType *type = type_name && world && world->stock ? world->stock->GetEntityType(type_name) : nullptr;
        Entity *e = g.SpawnReinforcementTrooper(type, slot);
        Powerup *health = Powerup::GetPowerup("POWERUP_HEALTH");
        if (e && health && health->fx_activate && world && world->top_parts)
            pbman.SpawnFX(world->top_parts, health->fx_activate, AdjustPosByAverageScale(e->pos), 0.0f, 0.0f);
        g.pending_reinforcements--;
        return;
    }
}

void Strikes(GameState &g, float dt)
{
    Scape *world = GetScape();
    for (int i = g.strikes.Count() - 1; i >= 0; i--) {
        GameStrike *s = g.strikes[i];
        if (s->timer <= 0.0f) {
            vec2_t at = {s->x, s->y};
            if (world && world->stock && world->top_parts) {
                fx_t *fx = g.parms.game_mode == GAME_MODE_INCOMING ? world->stock->fx_artillery_strike_light
                                                                    : world->stock->fx_artillery_strike;
                if (fx)
                    pbman.SpawnFX(world->top_parts, fx, AdjustPosByAverageScale(at), 0.0f, 0.0f);
            }
            if (world)
                world->DealSplashDamage(g.base, at, s->radius, s->damage);
            g.strikes.Remove(i);
            delete s;
        } else {
            s->timer -= dt;
        }
    }
}

void IncomingMode(GameState &g, float dt)
{
    if (g.collector_item_count > 0) {
        g.score_powerup_timer -= dt;
        if (g.score_powerup_timer <= 0.0f) {
            g.SpawnPowerUp("PowerupScore");
            g.collector_item_count--;
            g.score_powerup_timer = 3.0f;
        }
    }
    for (int i = 0; i < kIncomingMarkers; i++) {
        GameStrikeMarker &m = g.strike_markers[i];
        if (!m.active)
            continue;
        m.timer -= dt;
        if (m.timer <= 0.0f) {
            FireArtillery(g, vec2_t{m.x, m.y});
            m.active = 0;
        }
    }
    g.strike_timer -= dt;
    if (g.strike_timer <= 0.0f) {
        g.strike_timer += g.strike_interval;
        if (g.strike_interval > 0.5f)
            g.strike_interval *= 0.99f;
        for (int i = 0; i < kIncomingMarkers; i++) {
            GameStrikeMarker &m = g.strike_markers[i];
            if (m.active)
                continue;
            vec2_t centre = {(float)(sman.reference_width / 2), (float)(sman.reference_height / 2)};
            vec2_t at = centre;
            g.GetFreePosition(10.0f, centre, 768.0f, at);
            m.active = 1;
            m.timer = kIncomingMarkerTime;
            m.x = at.x;
            m.y = at.y;
            break;
        }
    }
}

void StartNextWave(GameState &g)
{
    switch (g.parms.game_mode) {
    case GAME_MODE_LEVEL:
        g.SetupNextWave();
        break;
    case GAME_MODE_SURVIVAL:
    case GAME_MODE_COLLECTOR:
    case GAME_MODE_INCOMING:
    case GAME_MODE_OPEN_AREA:
    case GAME_MODE_DEFEND_THE_FLAG:
        g.SetupNextWaveAtRandom();
        break;
    default:
        break;
    }
    switch (g.parms.game_mode) {
    case GAME_MODE_SURVIVAL: g.SetTutorial("SURVIVAL"); break;
    case GAME_MODE_COLLECTOR: g.SetTutorial("COLLECTOR"); break;
    case GAME_MODE_INCOMING: g.SetTutorial("INCOMING"); break;
    case GAME_MODE_OPEN_AREA: g.SetTutorial("OPEN_AREA"); break;
    case GAME_MODE_DEFEND_THE_FLAG: g.SetTutorial("MEDICAL_EMERGENCY"); break;
    default: break;
    }
    g.wave_sound_played = 0;
}

void AnnounceReinforcementWave(GameState &g)
{
    g.wave_banner_text = "Reinforcements";
    g.between_waves_phase = 0.0f;
    g.wave_banner_phase = 0.0001f;
    g.reinforcement_wave_pending = 0;
    if (g.troopers_spawned != g.living_troopers)
        g.pending_reinforcements++;
    g.SpawnPowerUp(nullptr);
    g.SpawnPowerUp(nullptr);
    for (int i = 0; i < g.wave_number / 5; i++)
        g.SpawnPowerUp("PowerupScore");
}

void WaveFlow(GameState &g, float dt, bool enemies_left)
{
    if (g.script_wait > 0.0f) {
        g.script_wait -= dt;
        if (g.script_wait < 0.0f)
            g.script_wait = 0.0f;
    } else if (!g.won) {
        bool check_win = false;
        if (g.wave_banner_phase > 0.0f) {
            g.wave_banner_phase += 0.4f * dt;
            if (g.wave_banner_phase >= 1.0f) {
                g.wave_banner_phase = 0.0f;
                g.wave_sound_played = 0;
            }
        } else if (g.between_waves_phase > 0.0f) {
            g.between_waves_phase += 0.5f * dt;
            if (g.between_waves_phase >= 1.0f) {
                g.between_waves_phase = 0.99f;
                g.SaveGameState();
                g.between_waves_phase = 0.0f;
                g.wave_advance_state = 1;
            }
        } else if (g.wave_advance_state == 1) {
            bool waits = enemies_left && !(g.continuous_waves && !g.reinforcement_wave_pending);
            if (!waits) {
                if (g.wave_countdown > 0.0f) {
                    g.wave_countdown -= dt;
                    if (g.reinforcement_wave_pending && g.parms.game_mode == GAME_MODE_SURVIVAL)
                        AnnounceReinforcementWave(g);
                }
                if (g.wave_countdown <= 0.0f) {
                    g.wave_countdown = 0.0f;
                    // Saved between waves: the first auto-save comes before the squad
                    // and the first wave (saving is not allowed yet), so without this
                    // no battle would ever be saved.
                    if (g.wave_number > 0)
                        g.SaveGameState();
                    StartNextWave(g);
                }
                check_win = true;
            }
        } else {
            check_win = true;
        }
        if (check_win && g.parms.game_mode == GAME_MODE_LEVEL) {
            Scape *world = GetScape();
            SpawnManager *spawns = world ? world->spawn_manager : nullptr;
            int nodes = g.level_db ? g.level_db->GetArraySize("waves") : 0;
            bool queue_empty = !spawns || !spawns->AreEnemiesLeftToSpawn();
            if (!enemies_left && queue_empty && g.wave_script_pos >= nodes) {
                g.won = 1;
                g.win_timer = 0.0f;
            }
        }
    }
    // The developer's 'C' marks every wave as done: the level is won as if its last
    // wave had been cleared.
    if (g.all_waves_done && g.parms.game_mode == GAME_MODE_LEVEL && !g.won && !g.lost) {
        g.won = 1;
        g.win_timer = 0.0f;
    }
    if (g.won) {
        g.win_timer += dt;
        if (g.win_timer >= kWinScreenTime && GameOnTop()) {
            g.star_rating = (uint16_t)g.GetCurrentStarRating();
            achievements.CheckAchievementsAfterLevelWon();
            if (!achievements.ShowNextAchievementPopup())
                FinishWonBattle(g);
        }
    }
}

}  // namespace

int CountLivingTroopers(GameState &g)
{
    int n = 0;
    for (int i = 0; i < g.troopers.Count(); i++)
        if (g.troopers[i] && g.troopers[i]->type && g.troopers[i]->IsAlive())
            n++;
    return n;
}

void GameState::Update(float dt)
{
    // 1. The pause fade; a paused battle runs the rest with a zero step.
    pause_fade += paused ? 4.0f * dt : -4.0f * dt;
    pause_fade = Clamp01(pause_fade);
    if (paused)
        dt = 0.0f;

    // 2. Tactical mode two seconds into the mission that introduces it.
    if (game_clock > 2000 && prof && !prof->TagExists("features", "TACTICAL_MODE") &&
        GetMissionIndex(parms.mission_id) == 6)
        prof->AddTag("features", "TACTICAL_MODE");

    // 3. The pause button and its highlight.
    UpdateTacticalButtons();

    // 4. Loss.
    living_troopers = CountLivingTroopers(*this);
    if (!lost) {
        if (starting_troopers_placed && living_troopers <= 0) {
            end_condition = "GameLost";
            lost = 1;
            ov->OV_CallExtension("IPHONE_Vibration", nullptr);
            lost_no_troopers = 1;
            lose_timer = 2.0f;
        } else if (parms.game_mode == GAME_MODE_DEFEND_THE_FLAG && medtent_count < 1) {
            end_condition = "GameLost";
            lost = 1;
            ov->OV_CallExtension("IPHONE_Vibration", nullptr);
            lose_timer = 2.0f;
        }
    }

    // 5. The end screen of a lost battle, three seconds of game-screen time after it.
    bool on_top = GameOnTop();
    if (lost && on_top) {
        lose_timer += dt;
        if (lose_timer > kLoseScreenTime) {
            if (parms.game_mode == GAME_MODE_LEVEL)
                achievements.CheckAchievementsAfterLevelLost();
            else
                achievements.CheckAchievementsAfterSurvivalOver();
            if (!achievements.ShowNextAchievementPopup())
                FinishLostBattle(*this);
        }
        return;
    }

    // 6. Play has begun: the battle-entry phase is over; the lowest hit points the base has had.
    g_battle_enter_phase = 0;
    if (base && base->type && base->hit_points < lowest_bunker_hp)
        lowest_bunker_hp = base->hit_points;

    // 7. The displayed level number, the HUD clock and the starting troopers.
    if (on_top) {
        float target = (float)wave_number;
        if (level_number_shown < target) {
            level_number_shown += 2.0f * dt;
            if (level_number_shown > target)
                level_number_shown = target;
        }
        hud_phase += dt * 0.5f;
        StartingTroopers(*this);
    }

    // 8. Saving is allowed before the first wave, and later while a trooper lives.
    if (wave_script_pos == 1 || (wave_script_pos >= 2 && living_troopers > 0))
        saving_allowed = 1;

    // 9. The first save waits for a clear field.
    Scape *world = GetScape();
    SpawnManager *spawns = world ? world->spawn_manager : nullptr;
    bool enemies_left = spawns && spawns->AreEnemiesLeft();
    if (wave_advance_state == 0 && between_waves_phase <= 0.0f && !enemies_left)
        between_waves_phase = 0.001f;

    // 10-12. Revivals, artillery blasts, the artillery call.
    Revivals(*this);
    Strikes(*this, dt);
    if (artillery_timer > 0.0f) {
        artillery_timer += dt;
        if (artillery_timer >= kArtilleryDelay) {
            FireArtillery(*this, vec2_t{artillery_x, artillery_y});
            artillery_timer = 0.0f;
        }
    }

    // 13. The spawn queue.
    if (spawns)
        spawns->Update(dt);

    // 14-15. The mode timers.
    if (parms.game_mode == GAME_MODE_COLLECTOR) {
        collector_timer -= dt;
        if (collector_timer < 0.0f) {
            collector_timer += collector_interval;
            SpawnPowerUp("PowerupSuperWeapon");
            SpawnPowerUp("PowerupHealth");
        }
    } else if (parms.game_mode == GAME_MODE_INCOMING) {
        IncomingMode(*this, dt);
    }

    // 16. The wave-start sound, once per banner.
    if (wave_banner_phase > 0.2f && !wave_sound_played && parms.game_mode != GAME_MODE_INCOMING) {
        PlayNamed(IsFinalWaveStarted() ? "sfx/final_wave" : "sfx/wave_starts");
        wave_sound_played = 1;
    }

    // 17. The wave flow, halted while a tutorial that pauses waves is shown.
    if (!(tutorial_shown && tutorial_pauses_waves))
        WaveFlow(*this, dt, enemies_left);

    // 18. The reinforcement picker, while the squad has room.
    if (troopers_to_pick > 0 && GameOnTop() && living_troopers < squad_size) {
        troopers_to_pick--;
        sman.PushScreen("PickReinforcement", 0);
    }
}
