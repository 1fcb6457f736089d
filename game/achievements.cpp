// The game's achievement checks and on-screen notices (see achievements.h).
#include "game/achievements.h"

#include "app/services/audioman.h"
#include "app/services/dataman.h"
#include "app/services/player-values.h"
#include "app/services/profiles.h"
#include "app/services/prog.h"
#include "app/services/small-maths.h"
#include "app/ui/screen-manager.h"
#include "app/ui/screen.h"
#include "game/entities/entity.h"
#include "game/entities/stock.h"
#include "game/gamestate.h"
#include "game/scape.h"
#include "online/achievementman.h"
#include "online/analytics.h"
#include "ovrecords.h"
#include "game/missions.h"

#include <math.h>
#include <stdlib.h>
#include <string.h>
#include <strings.h>

#include <string>

Achievements achievements;

namespace {

const char *const kQueue = "achievement_queue";
const char *const kFile = "achievements/achievements.xml";

// The achievement's "amount"; false when the table or the value is missing.
bool Amount(const char *id, int *out)
{
    const char *value = dman().GetValue(kFile, "ACHIEVEMENTS", id, "amount");
    if (value == nullptr)
        return false;
    *out = atoi(value);
    return true;
}

// A count kept in the profile (its statistics), in its range.
int ProfileInt(const char *category, const char *id, const char *key)
{
    return PlayerCount(PlayerNumber(prof != nullptr ? prof->GetValue(category, id, key) : nullptr));
}

int StatValue(const char *name)
{
    return ProfileInt("stats", name, "value");
}

int MissionKills()
{
    return game.boss_kills + game.regular_kills;
}

bool SameText(const char *a, const char *b)
{
    return a != nullptr && b != nullptr && strcasecmp(a, b) == 0;
}

// The base structure was never hit: its lowest hit points stayed at its maximum.
bool BunkerNeverDamaged()
{
    return game.base != nullptr && game.lowest_bunker_hp >= game.base->max_hit_points;
}

bool NoTrooperHurt()
{
    for (int i = 0; i < game.troopers.Count(); i++) {
        const Entity *e = game.troopers[i];
        if (e != nullptr && e->damage_taken > 0.001f)
            return false;
    }
    return true;
}

// Leaderboard categories (other than "CAMPAIGN") whose best score, or this mission's
// score when better, reaches rank `rank_index` (-1: the top rank).
int CountRankedCategories(int rank_index)
{
    if (prof == nullptr)
        return 0;
    DMDatabase *db = prof->LockDatabase();
    DMArray *best = db != nullptr ? db->GetArray("BEST_SCORES") : nullptr;
    int count = 0;
    for (int i = 0; best != nullptr && i < best->GetSize(); i++) {
        DMNode *node = best->GetNode(i);
        if (node == nullptr || node->id == nullptr || strcmp(node->id, "CAMPAIGN") == 0)
            continue;
        const char *points_text = node->GetValue("points");
        long points = points_text != nullptr ? atol(points_text) : 0;
        if (strcmp(node->id, game.parms.mission_id) == 0 && game.score > points)
            points = game.score;
        if (points >= RankLimit(node->id, rank_index))
            count++;
    }
    prof->UnlockDatabase();
    return count;
}

// Writes this mission's best rating and tells whether every recorded mission, the last
// one of chapter three included, has five stars. False (nothing written) without the
// profile's "missions" array.
bool RecordRatingAndCheckAllFiveStars(bool *has_missions)
{
    *has_missions = false;
    if (prof == nullptr)
        return false;
    DMDatabase *db = prof->LockDatabase();
    DMArray *missions = db != nullptr ? db->GetArray("missions") : nullptr;
    if (missions == nullptr) {
        prof->UnlockDatabase();
        return false;
    }
    *has_missions = true;
    const char *mission = game.parms.mission_id;
    const char *rating = missions->GetNodeValue(mission, "rating");
    if (rating == nullptr || PlayerRating(PlayerNumber(rating)) < (int)game.star_rating) {
        char text[16];
        snprintf(text, sizeof text, "%d", (int)game.star_rating);
        missions->SetValue(mission, "rating", text);
        prof->MarkDirty();
    }
    const char *last = missions->GetNodeValue("MISSION3_10", "rating");
    bool all_five = last != nullptr && PlayerRating(PlayerNumber(last)) > 4;
    for (int i = 0; all_five && i < missions->GetSize(); i++) {
        const char *r = missions->GetNodeValue(i, "rating");
        if (r != nullptr && PlayerRating(PlayerNumber(r)) < 5)
            all_five = false;
    }
    prof->UnlockDatabase();
    return all_five;
}

}  // namespace

float AchievementNoticeAlpha(float t)
{
    if (t < 0.5f)
        return 2.0f * t;
    if (t <= 1.5f)
        return 1.0f;
    return 1.0f - 2.0f * (t - 1.5f);
}

Achievements::Achievements()
{
    notices_.SetShrink(true);
}

Achievements::~Achievements()
{
    for (int i = 0; i < notices_.Count(); i++)
        free((void *)notices_[i].text);
    notices_.Clear();
}

bool Achievements::IsUnlocked(const char *id)
{
    return id != nullptr && prof != nullptr && prof->TagExists(kQueue, id);
}

void Achievements::UnlockAchievement(const char *id, bool notify)
{
    if (id == nullptr || id[0] == '\0')
        return;
    achievement_man.UnlockAchievement(id);
    if (prof == nullptr || IsUnlocked(id))
        return;
    prof->SetValue(kQueue, id, "id", id);
    if (notify) {
        const char *image = dman().GetValue(kFile, "ACHIEVEMENTS", id, "image");
        const char *name = dman().GetValue(kFile, "ACHIEVEMENTS", id, "displayname");
        Notice notice;
        notice.text = strdup(name != nullptr ? name : "");
        notice.bitmap = image != nullptr ? ov->OV_LoadBitmap(image, 4) : nullptr;
        notice.age = 0.0f;
        notices_.InsertLast(notice);
        if (ov_sound_t *sound = ov->OV_GetSound("sfx/achievement-unlock-notification"))
            aman.PlaySound(sound, 1.0f, 0.0f, 1.0f);
    }
    analyst.LogEventWithKeyValue("achievement_unlocked", "id", id);
}

bool Achievements::ShowNextAchievementPopup()
{
    if (prof == nullptr)
        return false;
    DMDatabase *db = prof->LockDatabase();
    DMArray *queue = db != nullptr ? db->GetArray(kQueue) : nullptr;
    std::string id;
    for (int i = 0; queue != nullptr && i < queue->GetSize(); i++) {
        DMNode *node = queue->GetNode(i);
        if (node == nullptr || node->id == nullptr || node->GetValue("ack") != nullptr)
            continue;
        node->SetValue("ack", "1");
        prof->MarkDirty();
        id = node->id;
        break;
    }
    prof->UnlockDatabase();
    if (id.empty())
        return false;
    Screen *popup = Screen::GetScreen("AchievementUnlocked");
    sman.SendScreenMessage(nullptr, popup, "unlock_item", id.c_str());
    if (popup != nullptr)
        sman.PushScreen(popup, 0);
    return true;
}

void Achievements::UpdateAchievementNotifications(float dt)
{
    if (notices_.Count() == 0)
        return;
    Notice &first = notices_[0];
    first.age += dt;
    if (first.age > ACHIEVEMENT_NOTICE_TIME) {
        if (first.bitmap != nullptr)
            ov->OV_ReleaseBitmap(first.bitmap);
        free((void *)first.text);
        notices_.Remove(0);
    }
}

void Achievements::DrawAchievementNotifications()
{
    Scape *world = GetScape();
    if (notices_.Count() == 0 || world == nullptr || world->stock == nullptr)
        return;
    const Notice &notice = notices_[0];
    ov_font_t *font = world->stock->font_medium;
    const float t = notice.age;
    const float a = AchievementNoticeAlpha(t);
    const float w = (float)prog.parms.width, h = (float)prog.parms.height;
    ov->OV_SetBlend(0);
    ov->OV_SetTextAlign(4);
    ov->OV_SetColor(0.0f, 0.0f, 0.0f);
    ov->OV_SetAlpha(0.7f * a);
    ov->OV_DrawRect(0.0f, h - 70.0f, w, 50.0f);
    ov->OV_SetColor(1.0f, 1.0f, 1.0f);
    const float bitmap_w = notice.bitmap != nullptr ? (float)notice.bitmap->width : 0.0f;
    const float text_w = font != nullptr ? ov->OV_GetTextWidthf(font, "%s", notice.text) : 0.0f;
    const float width = bitmap_w + 20.0f + text_w;
    const float y = h - 45.0f;
    // Slides in from the left during the first second, out to the right after it.
    const float e = cosf(sinf((1.0f - a) * kPi / 2.0f) * kPi / 2.0f);
    const float slide = (w + width) * (1.0f - e) / 2.0f;
    float x = w / 2.0f - (float)(int)(width / 2.0f);
    x += t < 1.0f ? -slide : slide;
    float pulse_t = t - 0.5f;
    pulse_t = pulse_t < 0.0f ? 0.0f : (pulse_t > 1.0f ? 1.0f : pulse_t);
    const float u = cosf(sinf(sinf(pulse_t * kPi) * kPi / 2.0f) * kPi / 2.0f);
    ov->OV_SetAlpha(a);
    if (notice.bitmap != nullptr)
        ov->OV_DrawBitmapRS(notice.bitmap, x, y, 0.0f, 1.0f + 0.3f * (1.0f - u));
    if (font != nullptr)
        ov->OV_DrawTextf(font, x + bitmap_w / 2.0f + 20.0f, y, "%s", notice.text);
    ov->OV_SetTextAlign(0);
}

void Achievements::CheckGeneralAchievements()
{
    const int kills = MissionKills();
    int amount = 0;
    if (!IsUnlocked("they_just_keep_coming") && Amount("they_just_keep_coming", &amount) && kills >= amount)
        UnlockAchievement("they_just_keep_coming", false);
    if (!IsUnlocked("xenocide") && Amount("xenocide", &amount) &&
        (long)kills + StatValue("aliens_killed") >= amount)
        UnlockAchievement("xenocide", false);
    if (!IsUnlocked("chemical_warfare") && kills >= 1 && game.gas_kills >= kills)
        UnlockAchievement("chemical_warfare", false);
    if (!IsUnlocked("pyromaniac") && Amount("pyromaniac", &amount) &&
        (long)StatValue("aliens_burned") + game.burn_kills >= amount)
        UnlockAchievement("pyromaniac", false);
    if (!IsUnlocked("boomaniac") && Amount("boomaniac", &amount) && game.blast_kills >= amount)
        UnlockAchievement("boomaniac", false);
    if (!IsUnlocked("well_supplied") && Amount("well_supplied", &amount) && StatValue("power_ups_picked") >= amount)
        UnlockAchievement("well_supplied", false);
}

void Achievements::CheckAchievementsAfterLevelLost()
{
    if (!IsUnlocked("tactical_retreat") && MissionKills() == 0)
        UnlockAchievement("tactical_retreat", false);
    CheckGeneralAchievements();
}

void Achievements::CheckAchievementsAfterLevelWon()
{
    const char *mission = game.parms.mission_id;
    if (!IsUnlocked("not_a_scratch") && BunkerNeverDamaged())
        UnlockAchievement("not_a_scratch", false);
    if (!IsUnlocked("supreme_commander") && game.star_rating == 5) {
        bool has_missions = false;
        const bool all_five = RecordRatingAndCheckAllFiveStars(&has_missions);
        // A profile without its missions record ends the checks of this win here.
        if (!has_missions)
            return;
        if (all_five)
            UnlockAchievement("supreme_commander", false);
    }
    if (!IsUnlocked("worm_slayer") && SameText(mission, "MISSION1_10"))
        UnlockAchievement("worm_slayer", false);
    if (!IsUnlocked("egg_stomper") && SameText(mission, "MISSION2_10"))
        UnlockAchievement("egg_stomper", false);
    if (!IsUnlocked("jaw_breaker") && SameText(mission, "MISSION3_10"))
        UnlockAchievement("jaw_breaker", false);
    if (!IsUnlocked("flawless") && SameText(game.parms.chapter_id, "CHAPTER3") && BunkerNeverDamaged() &&
        NoTrooperHurt())
        UnlockAchievement("flawless", false);
    int amount = 0;
    if (!IsUnlocked("like_no_tomorrow") && Amount("like_no_tomorrow", &amount) &&
        (double)game.game_clock / 1000.0 <= (double)amount && SameText(mission, "MISSION3_10"))
        UnlockAchievement("like_no_tomorrow", false);
    CheckGeneralAchievements();
}

void Achievements::CheckAchievementsAfterSurvivalOver()
{
    const int mode = game.parms.game_mode;
    if (!IsUnlocked("tactical_retreat") && MissionKills() == 0 &&
        (mode == GAME_MODE_SURVIVAL || mode == GAME_MODE_LEVEL))
        UnlockAchievement("tactical_retreat", false);
    if (!IsUnlocked("general") && CountRankedCategories(-1) > 3)
        UnlockAchievement("general", false);
    if (!IsUnlocked("medal_of_valor")) {
        // Without any extra mission there is nothing to earn the medal against.
        const int extras = dman().GetArraySize("missions.xml", "EXTRAS");
        if (extras > 0 && CountRankedCategories(4) >= extras)
            UnlockAchievement("medal_of_valor", false);
    }
    CheckGeneralAchievements();
}

void Achievements::CheckAchievementsAfterPurchasing()
{
    // No achievement is earned by buying; the shop calls this after every purchase.
}
