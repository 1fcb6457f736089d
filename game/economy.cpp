// The upgrade economy (see economy.h): prices, the requirement language, the shop's
// list and the effects of a purchase or a free pick on the running game.
#include "game/economy.h"

#include "app/services/audioman.h"
#include "app/services/data-numbers.h"
#include "app/services/dataman.h"
#include "app/services/profiles.h"
#include "app/services/token-lists.h"
#include "game/achievements.h"
#include "game/entities/entity.h"
#include "game/entities/stock.h"
#include "game/gamestate.h"
#include "game/scape.h"
#include "game/trooper-classes.h"

#include <stdint.h>
#include <stdlib.h>
#include <string.h>
#include <strings.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

// Hit points below this share of the maximum count as damaged or wounded.
const float kWoundedShare = 0.9f;
const float kShopRepairShare = 0.15f;
const float kPickRepairShare = 0.25f;
const float kDefaultForceField = 10.0f;
const int kWoundedQuery = 15;

// x^n by repeated squaring; the reciprocal for a negative n.
float PowerBySquaring(float x, int n)
{
    bool negative = n < 0;
    unsigned int e = negative ? 0u - (unsigned int)n : (unsigned int)n;
    float result = 1.0f;
    while (e) {
        if (e & 1u)
            result *= x;
        x *= x;
        e >>= 1;
    }
    return negative ? 1.0f / result : result;
}

bool StartsWith(const std::string &text, const char *prefix)
{
    return text.compare(0, strlen(prefix), prefix) == 0;
}

// The name inside "=PREFIX(name)": the rest without its last character.
std::string InnerName(const std::string &token, const char *prefix)
{
    std::string rest = token.substr(strlen(prefix));
    if (!rest.empty())
        rest.pop_back();
    return rest;
}

// Whether a living entity of that type is in play (the dead troopers the roster keeps
// are not: a class nobody living has is offered no upgrade).
bool LivingEntityOfType(const std::string &name)
{
    Scape *world = GetScape();
    if (!world || !world->stock || name.empty())
        return false;
    // A name that matches no entity type counts nothing; it is not asked for, so the
    // stock raises no "unknown type" popup for a catalogue typo on every frame.
    DMArray *known = dman().GetArray("entities.xml", "entities");
    if (!known || !known->GetNode(name.c_str()))
        return false;
    EntityType *type = world->stock->GetEntityType(name.c_str());
    Entity *one = nullptr;
    return type && world->QueryEntitiesOfType(type, (int)Entity::ALL_FLAGS, &one, 1) > 0;
}

bool BunkerAlive()
{
    return game.base && game.base->type && game.base->IsAlive();
}

// Living player troopers (MOVABLE, group 2); whether one is below 90 % of its maximum.
bool AnyTrooperWounded()
{
    Scape *world = GetScape();
    if (!world)
        return false;
    Entity *found[kWoundedQuery];
    int n = world->QueryLivingEntitiesInFriendGroup(Entity::MOVABLE, Entity::PLAYERS, found, kWoundedQuery);
    for (int i = 0; i < n; i++) {
        if (found[i]->hit_points < kWoundedShare * found[i]->max_hit_points)
            return true;
    }
    return false;
}

// One "=" token of the shop's language; `pick_rules` selects the pick screen's variant.
bool EqualsTokenMet(const std::string &token, bool pick_rules)
{
    if (StartsWith(token, "=NOT_PURCHASED("))
        return !game.IsFeatureActive(InnerName(token, "=NOT_PURCHASED(").c_str());
    if (StartsWith(token, "=ENTS_OF_TYPE("))
        return LivingEntityOfType(InnerName(token, "=ENTS_OF_TYPE("));
    if (!pick_rules && StartsWith(token, "=CHAPTER_IS_"))
        return token.compare(strlen("=CHAPTER_IS_"), std::string::npos, game.parms.chapter_id) == 0;
    if (token == "=NO_STRIKE_IN_PROGRESS")
        return !game.artillery_aiming && !(game.artillery_timer > 0.0f);
    if (token == "=BUNKER_DAMAGED")
        return !(game.pending_bunker_repair > 0.0f) && BunkerAlive() &&
               game.base->hit_points < kWoundedShare * game.base->max_hit_points;
    if (token == "=NO_FORCE_FIELD")
        return !(game.force_field_time > 0.0f);
    if (token == "=CAN_SPAWN_MORE_TROOPERS")
        return game.living_troopers < game.squad_size;
    if (token == "=TROOPERS_WOUNDED")
        return AnyTrooperWounded();
    if (token == "=TROOPERS_LOST")
        return game.living_troopers < game.most_troopers_held;
    return pick_rules ? true : game.IsFeatureActive(token.c_str());
}

// Every comma-separated token (blanks belong to the tokens), stopping at the first
// that is not met. Lists of any length are examined in full.
// The first token of the list that is not met ("" when every one is).
std::string FirstUnmetToken(const char *requires, bool pick_rules)
{
    if (!requires || !*requires)
        return "";
    const char *p = requires;
    for (;;) {
        const char *comma = strchr(p, ',');
        std::string token = comma ? std::string(p, (size_t)(comma - p)) : std::string(p);
        if (!token.empty()) {
            bool met;
            if (token[0] == '=')
                met = EqualsTokenMet(token, pick_rules);
            else
                met = pick_rules || game.IsFeatureActive(token.c_str());
            if (!met)
                return token;
        }
        if (!comma)
            return "";
        p = comma + 1;
    }
}

bool RequirementsMet(const char *requires, bool pick_rules)
{
    return FirstUnmetToken(requires, pick_rules).empty();
}

bool Unlocked(const char *id)
{
    return id && prof && prof->TagExists("features", id);
}

bool Multipickable(DMNode *node)
{
    return HasWholeToken(node->GetValue("flags"), "MULTIPICKABLE");
}

bool Owned(DMNode *node)
{
    return game.IsFeatureActive(node->id) && !Multipickable(node);
}

bool Listed(const ShopList &list, const char *id)
{
    for (int i = 0; i < list.count; i++)
        if (list.items[i].id && id && strcmp(list.items[i].id, id) == 0)
            return true;
    return false;
}

void PlaySound(const char *name)
{
    if (ov_sound_t *sound = ov->OV_GetSound(name))
        aman.PlaySound(sound, 1.0f, 0.0f, 1.0f);
}

float ForceFieldDuration(DMArray *catalogue, const char *id)
{
    const char *v = catalogue ? catalogue->GetNodeValue(id, "forcefield_duration") : nullptr;
    return v ? DataLeadingFloat(v) : kDefaultForceField;
}

bool EndsWith(const char *text, const char *suffix)
{
    size_t n = strlen(text), m = strlen(suffix);
    return n >= m && strcmp(text + n - m, suffix) == 0;
}

// Activated again with its count one higher (an active feature bought or picked again).
void ActivateAgain(const char *id, bool spawn_troopers)
{
    game.ActivateFeature(id, true, spawn_troopers);
    GameFeature *feature = game.GetFeature(id);
    if (feature && feature->count < UINT16_MAX)
        feature->count++;
}

}  // namespace

int32_t ShopPriceFor(int32_t price, float multiplier, int count)
{
    float product = (float)price * PowerBySquaring(multiplier, count);
    int32_t p;
    if (!(product == product))
        p = 0;
    else if (product >= 2147483647.0f)
        p = INT32_MAX;  // saturated before the conversion
    else if (product <= -2147483648.0f)
        p = INT32_MIN;
    else
        p = (int32_t)product;
    return 50 * (p / 50);
}

bool ShopRequirementsMet(const char *requires)
{
    return RequirementsMet(requires, false);
}

bool PickRequirementsMet(const char *requires)
{
    return RequirementsMet(requires, true);
}

namespace {

// Why an item the player has unlocked is not for sale now, as a phrase of the empty
// shelf's note; "" for an item that is never sold in the shop or sold out for good.
std::string WhyNotForSale(const std::string &token)
{
    static const struct {
        const char *token;
        const char *why;
    } kWhy[] = {
        {"=CAN_SPAWN_MORE_TROOPERS", "the squad is full"},
        {"=BUNKER_DAMAGED", "the bunker needs no repair"},
        {"=TROOPERS_WOUNDED", "no trooper is wounded"},
        {"=TROOPERS_LOST", "no trooper has fallen"},
        {"=NO_FORCE_FIELD", "the force field is up"},
        {"=NO_STRIKE_IN_PROGRESS", "a strike is on its way"},
    };
    for (const auto &w : kWhy)
        if (token == w.token)
            return w.why;
    if (StartsWith(token, "=ENTS_OF_TYPE("))
        return "no trooper of the class it arms is in the field";
    return "";
}

}  // namespace

std::string ShopEmptyShelfNote(DMArray *catalogue)
{
    std::vector<std::string> reasons;
    bool unlocked = false;
    for (int i = 0; catalogue && i < catalogue->GetSize(); i++) {
        DMNode *node = catalogue->GetNode(i);
        if (!node || !Unlocked(node->id))
            continue;
        unlocked = true;
        std::string why = Owned(node) ? std::string("you have bought the rest")
                                      : WhyNotForSale(FirstUnmetToken(node->GetValue("requires"), false));
        if (!why.empty() && std::find(reasons.begin(), reasons.end(), why) == reasons.end())
            reasons.push_back(why);
    }
    if (!unlocked || reasons.empty())
        return "Nothing for sale yet: winning missions stocks the field shop.";
    std::string note = "Nothing for sale now: ";
    for (size_t i = 0; i < reasons.size(); i++) {
        if (i > 0)
            note += i + 1 == reasons.size() ? " and " : ", ";
        note += reasons[i];
    }
    return note + ".";
}

void SetShopItemContents(ShopItem *item, DMNode *node)
{
    if (!item || !node)
        return;
    const char *requires = node->GetValue("requires");
    item->requires = requires ? requires : "";
    item->multipickable = Multipickable(node);
    item->id = node->id;
    item->name = node->GetValue("name");
    item->desc = node->GetValue("desc");
    const char *price = node->GetValue("price");
    const char *multiplier = node->GetValue("price_increase_multiplier");
    item->price_multiplier = multiplier ? DataLeadingFloat(multiplier) : 1.0f;
    GameFeature *feature = node->id ? game.GetFeature(node->id) : nullptr;
    item->price = ShopPriceFor(DataLeadingInt(price), item->price_multiplier, feature ? feature->count : 0);
    const char *icon = node->GetValue("icon");
    item->icon = icon ? ov->OV_GetBitmap(icon) : nullptr;
    item->sold = node->id && game.IsFeatureActive(node->id) && !item->multipickable;
    item->level = node->GetValue("level");
}

void PlaceShopItems(ShopList &list, vec2_t items_start, float scale)
{
    for (int i = 0; i < list.count; i++) {
        list.items[i].x = items_start.x + (50.0f + 100.0f * (float)i) * scale;
        list.items[i].y = items_start.y + 60.0f * scale;
    }
}

void RefreshShopItems(ShopList &list, DMArray *catalogue, float t, bool force, vec2_t items_start, float scale)
{
    if (!catalogue)
        return;
    if (t == 0.0f) {
        list.count = 0;
        for (int i = 0; i < catalogue->GetSize() && list.count < SHOP_MAX_ITEMS; i++) {
            DMNode *node = catalogue->GetNode(i);
            if (!node || !Unlocked(node->id))
                continue;
            if (!force && (!ShopRequirementsMet(node->GetValue("requires")) || Owned(node)))
                continue;
            ShopItem &item = list.items[list.count++];
            item = ShopItem{};
            SetShopItemContents(&item, node);
            item.appear = 1.0f;
        }
    } else {
        for (int k = 0; k < list.count && list.count < SHOP_MAX_ITEMS; k++) {
            ShopItem &sold = list.items[k];
            if (!sold.sold || sold.leave_time < 1.0f || !sold.id)
                continue;
            DMNode *next = nullptr;
            for (int i = 0; i < catalogue->GetSize() && !next; i++) {
                DMNode *node = catalogue->GetNode(i);
                if (node && Unlocked(node->id) && ShopRequirementsMet(node->GetValue("requires")) &&
                    HasWholeToken(node->GetValue("requires"), sold.id) && !Owned(node))
                    next = node;
            }
            // An item that may be bought again and has no follower comes back to its own
            // slot (priced anew), as a follower would, instead of staying there unseen.
            if (!next && sold.multipickable)
                next = catalogue->GetNode(sold.id);
            if (!next)
                continue;
            sold = ShopItem{};
            SetShopItemContents(&sold, next);
            sold.leave_time = 0.0f;
            sold.appear = 0.0f;
        }
        for (int i = 0; i < catalogue->GetSize() && list.count < SHOP_MAX_ITEMS; i++) {
            DMNode *node = catalogue->GetNode(i);
            if (!node || node->GetValue("level") || !Unlocked(node->id) ||
                !ShopRequirementsMet(node->GetValue("requires")) || Owned(node) || Listed(list, node->id))
                continue;
            ShopItem &item = list.items[list.count++];
            item = ShopItem{};
            SetShopItemContents(&item, node);
            item.appear = 1.0f;
        }
    }
    PlaceShopItems(list, items_start, scale);
}

ShopPurchase BuyShopItem(ShopItem *item, DMArray *catalogue)
{
    if (!item || !item->id)
        return PURCHASE_REFUSED;
    const char *id = item->id;
    const TrooperClass *trooper = EndsWith(id, "_TROOPER") ? TrooperClassOfFeature(id) : nullptr;
    const char *trooper_type = trooper ? trooper->type : nullptr;
    bool full_squad = trooper_type && game.living_troopers >= game.squad_size;
    if (game.money < item->price || full_squad) {
        PlaySound("sfx/not_enough_money");
        return PURCHASE_REFUSED;
    }

    ShopPurchase result = PURCHASE_DONE;
    if (EndsWith(id, "_TROOPER")) {
        Scape *world = GetScape();
        EntityType *type = trooper_type && world && world->stock ? world->stock->GetEntityType(trooper_type) : nullptr;
        if (trooper_type)
            result = PURCHASE_TROOPER;
        if (type)
            game.SpawnReinforcementTrooper(type, -1);
    } else if (strcasecmp(id, "REPAIR_BUNKER") == 0) {
        PlaySound("sfx/repair");
        if (BunkerAlive())
            game.pending_bunker_repair += kShopRepairShare * game.base->max_hit_points;
    } else if (strcasecmp(id, "BUNKER_FORCEFIELD") == 0) {
        PlaySound("sfx/buy_stuff");
        game.force_field_time = ForceFieldDuration(catalogue, id);
    } else {
        PlaySound("sfx/buy_stuff");
    }

    game.money -= item->price;
    game.money_spent += item->price;

    // The trooper came in above: its feature only counts here.
    if (game.IsFeatureActive(id)) {
        ActivateAgain(id, false);
    } else {
        const char *extra = catalogue ? catalogue->GetNodeValue(id, "additional_feature") : nullptr;
        if (extra)
            game.AddFeature(extra);
        game.AddFeature(id, false);
    }
    item->sold = game.IsFeatureActive(id);
    achievements.CheckAchievementsAfterPurchasing();
    return result;
}

void ApplyFreePick(const char *id, DMArray *catalogue)
{
    if (!id || !*id)
        return;
    if (game.IsFeatureActive(id)) {
        ActivateAgain(id, true);
    } else if (strcasecmp(id, "REPAIR_BUNKER") == 0) {
        PlaySound("sfx/repair");
        if (BunkerAlive())
            game.pending_bunker_repair += kPickRepairShare * game.base->max_hit_points;
    } else if (strcasecmp(id, "BUNKER_FORCEFIELD") == 0) {
        game.force_field_time = ForceFieldDuration(catalogue, id);
    } else {
        const char *extra = catalogue ? catalogue->GetNodeValue(id, "additional_feature") : nullptr;
        if (extra)
            game.AddFeature(extra);
        game.AddFeature(id);
    }
}

float BunkerHealthFraction()
{
    if (!game.base || !game.base->type)
        return 1.0f;
    float max = game.base->max_hit_points;
    return max > 0.0f ? game.base->hit_points / max : 1.0f;
}
