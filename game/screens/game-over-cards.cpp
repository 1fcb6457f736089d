// The trooper cards shared by the result screens, and the analytics event of a
// finished battle (see game-over.h).
#include "game/screens/game-over.h"

#include "app/services/dataman.h"
#include "app/services/localization.h"
#include "app/ui/screen-manager.h"
#include "app/ui/ui-comps.h"
#include "app/ui/widgets/ui-image.h"
#include "game/entities/entity-types.h"
#include "game/entities/entity.h"
#include "game/entities/weapons.h"
#include "game/gamestate.h"
#include "online/analytics.h"
#include "game/trooper-classes.h"
#include "game/missions.h"

#include <stdio.h>
#include <string.h>

namespace {

const int kCards = 5;

UIComp *CardComp(Screen *screen, int slot, const char *suffix)
{
    char name[64];
    snprintf(name, sizeof name, "trooper_%d%s", slot, suffix);
    return screen->GetComp(name);
}

// The "icon" of a node of "shop.xml" "Upgrades"; null when missing or empty.
const char *UpgradeIcon(const char *id)
{
    const char *icon = id ? dman().GetValue("shop.xml", "Upgrades", id, "icon") : nullptr;
    return icon && icon[0] ? icon : nullptr;
}

Entity *Trooper(int slot)
{
    return slot < game.troopers.Count() ? game.troopers[slot] : nullptr;
}

const char *TypeName(Entity *e)
{
    return e && e->type && e->type->name ? e->type->name : "";
}

// Fewer cards than five stay centred: every shown card moves by (5 - n) / 2 spacings.
float CardOffset(Screen *screen, int n)
{
    if (n >= kCards)
        return 0.0f;
    UIComp *first = CardComp(screen, 0, "");
    UIComp *second = CardComp(screen, 1, "");
    float spacing = first && second ? second->position_x - first->position_x : 0.0f;
    return (float)(kCards - n) * 0.5f * spacing;
}

void ShowCard(Screen *screen, int slot, float offset)
{
    if (UIComp *card = CardComp(screen, slot, "")) {
        sman.SetVisible(card, true);
        card->position_offset_x = offset;
    }
}

// Shows the picture, or hides the image when there is none (no picture of an earlier
// battle's trooper stays on the card).
void ShowImage(UIComp *comp, const char *bitmap)
{
    UICompImage *image = dynamic_cast<UICompImage *>(comp);
    if (!image)
        return;
    sman.SetVisible(image, bitmap != nullptr);
    if (bitmap)
        image->SetBitmap(ov->OV_GetBitmap(bitmap));
}

const char *WeaponIcon(Entity *e)
{
    const char *type = TypeName(e);
    char node[160];
    Weapon *weapon = e ? e->base_weapon : nullptr;
    const char *weapon_name = weapon ? weapon->id : nullptr;
    if (weapon_name && strcmp(weapon_name, "PyroDeathwish") == 0)
        if (const char *icon = UpgradeIcon("PYRO_DEATHWISH"))
            return icon;
    if (weapon_name) {
        snprintf(node, sizeof node, "REARM_%s_%s", type, weapon_name);
        if (const char *icon = UpgradeIcon(node))
            return icon;
    }
    snprintf(node, sizeof node, "VANILLA_%s", type);
    return UpgradeIcon(node);
}

void SetSummary(Screen *screen, const char *name, const char *text)
{
    if (UIComp *comp = screen->GetComp(name))
        sman.SetText(comp, "%s", text);
}

}  // namespace

void UpdateTrooperImages(Screen *screen)
{
    if (!screen)
        return;
    const int n = game.troopers.Count();
    const float offset = CardOffset(screen, n);
    for (int i = 0; i < kCards; i++) {
        if (i >= n) {
            sman.SetVisible(CardComp(screen, i, ""), false);
            continue;
        }
        ShowCard(screen, i, offset);
        sman.SetText(CardComp(screen, i, "_damage"), "Dmg:  ");
        sman.SetText(CardComp(screen, i, "_kills"), "Kills:  ");
        sman.SetText(CardComp(screen, i, "_shots"), "Shots:  ");

        Entity *e = Trooper(i);
        const char *type = TypeName(e);
        // The card shows the "Upgrades" icon of the trooper's class; an unarmed trooper
        // wears the minigun trooper's.
        const TrooperClass *trooper_class =
            strcmp(type, "UnarmedTrooper") == 0 ? &kTrooperClasses[0] : TrooperClassOfType(type);
        const char *icon = trooper_class ? UpgradeIcon(trooper_class->feature) : nullptr;
        ShowImage(CardComp(screen, i, "_image"), icon);
        UIComp *weapon_image = CardComp(screen, i, "_image_weapon");
        if (strcmp(type, "UnarmedTrooper") == 0)
            sman.SetVisible(weapon_image, false);
        else
            ShowImage(weapon_image, WeaponIcon(e));
    }
    SetSummary(screen, "timespent_value", "");
    SetSummary(screen, "alienskilled_value", "");
    SetSummary(screen, "Wave", "");
}

void UpdateTrooperStats(Screen *screen, float t)
{
    if (!screen)
        return;
    float g = t * 0.5f;
    g = g < 0.0f ? 0.0f : (g > 1.0f ? 1.0f : g);
    const int n = game.troopers.Count();
    const int shown = n < kCards ? n : kCards;
    // The top damage as a float: every counter rises by M per 2 s and stops at its own
    // total, which it reaches exactly at g = 1.
    float top = 0.0f;
    for (int i = 0; i < shown; i++)
        if (Entity *e = Trooper(i))
            top = e->damage_dealt > top ? e->damage_dealt : top;
    const float offset = CardOffset(screen, n);
    for (int i = 0; i < shown; i++) {
        Entity *e = Trooper(i);
        if (!e)
            continue;
        const float d = e->damage_dealt;
        float p = 1.0f;
        if (d > 0.0f) {
            p = g * top / d;
            if (p > 0.999f)
                p = 1.0f;
        }
        ShowCard(screen, i, offset);
        // The counts in a light red: pure red on the cards' dark navy read at 4.4 : 1.
        sman.SetText(CardComp(screen, i, "_damage"), "Dmg: |#ff5a50|%d|#ffffff|", (int)(p * d));
        sman.SetText(CardComp(screen, i, "_kills"), "Kills: |#ff5a50|%d|#ffffff|", (int)((float)e->kills * p));
        sman.SetText(CardComp(screen, i, "_shots"), "Shots: |#ff5a50|%d|#ffffff|", (int)((float)e->shots_fired * p));
    }
    if (UIComp *time = screen->GetComp("timespent_value"))
        sman.SetText(time, "%s", loc_man().LocalizeTime((uint32_t)((double)game.game_clock * g)));
    if (UIComp *kills = screen->GetComp("alienskilled_value"))
        sman.SetText(kills, "%d", (int)((float)(game.boss_kills + game.regular_kills) * g));
    if (UIComp *wave = screen->GetComp("Wave"))
        sman.SetText(wave, "%d", (int)((float)game.wave_number * g));
}

void LogLevelStats(const char *event)
{
    char score[32], time[32], stars[32];
    snprintf(score, sizeof score, "%d", (int)game.score);
    snprintf(time, sizeof time, "%d", (int)(game.game_clock / 1000u));
    snprintf(stars, sizeof stars, "%d", (int)game.star_rating);
    Analyst::KeyValues pairs;
    pairs.InsertLast(Analyst::KeyValue("chapter_id", game.parms.chapter_id));
    pairs.InsertLast(Analyst::KeyValue("mission_id", game.parms.mission_id));
    pairs.InsertLast(Analyst::KeyValue("score", score));
    pairs.InsertLast(Analyst::KeyValue("time", time));
    pairs.InsertLast(Analyst::KeyValue("stars", stars));
    analyst.LogEventWithKeyValues(event, pairs);
}

const char *GetMissionName(const char *mission_id)
{
    DMNode *node = MissionNode(mission_id);
    return node ? node->GetValue("name") : nullptr;
}
