// The battle's upgrade economy: the catalogue "shop.xml" (array "Upgrades", one node
// per item, addressed by id; an item's id is also the battle feature owning it
// switches on), the price rule, the requirement language that decides whether an item
// is offered, the shop's list of items with its build and refresh rules, and what a
// purchase or a free pick does to the running game. The screens (shop, pick-upgrade)
// call in here. Main thread only.
#ifndef GAME_ECONOMY_H
#define GAME_ECONOMY_H

#include "orvex.h"

#include <stdint.h>

#include <string>

class DMArray;
class DMNode;
struct ov_bitmap_t;

#define SHOP_FILE "shop.xml"
#define SHOP_ARRAY "Upgrades"

enum { SHOP_MAX_ITEMS = 64 };

// The price of an item of base price `price` with `count` copies owned:
// (int)(price x multiplier^count), saturated at the int32 range, rounded down to a
// multiple of 50.
int32_t ShopPriceFor(int32_t price, float multiplier, int count);

// The shop's requirement test: every comma-separated token holds (see economy.cpp).
bool ShopRequirementsMet(const char *requires);
// The free-pick screen's variant: tokens without "=" and unknown "=" tokens are met,
// "=CHAPTER_IS_" is not recognised (so met).
bool PickRequirementsMet(const char *requires);

// One entry of the shop's list. Texts are borrowed from the catalogue database.
struct ShopItem {
    const char *id;
    const char *name;
    const char *desc;
    const char *requires;      // "" when the node has none
    ov_bitmap_t *icon;
    int32_t price;             // after the price rule
    float price_multiplier;
    float x, y;                // centre on screen
    const char *level;         // the level mark, or null
    bool sold;                 // just bought: takes no touches, flies to the bunker
    float leave_time;          // 0..1 progress of the flight; 1 asks for the refresh
    float appear;              // 0..1 fade-in of a newly placed item
    bool multipickable;        // "flags" holds the token "MULTIPICKABLE"
};

// The shop's list: a fixed array of 64 items and a count.
struct ShopList {
    ShopItem items[SHOP_MAX_ITEMS];
    int count = 0;
};

// What an empty shelf says: why none of the items the player has unlocked is for sale
// now ("Nothing for sale now: the squad is full and the bunker needs no repair."), or
// that nothing is unlocked yet. English, a localisation key of its own.
std::string ShopEmptyShelfNote(DMArray *catalogue);

// Fills an item from a catalogue node and prices it (null node: nothing).
void SetShopItemContents(ShopItem *item, DMNode *node);
// Builds (t = 0; `force` ignores requirements and ownership) or refreshes (t not 0)
// the list from the catalogue array (a refresh puts a follower in the slot of each item
// whose flight is over, or the item itself again when it may be bought again and has
// none), then places item i at
// (items_start.x + (50 + 100 i) s, items_start.y + 60 s), s being the layout's scale on
// the display (1 at the reference size). A null array leaves it untouched.
void RefreshShopItems(ShopList &list, DMArray *catalogue, float t, bool force, vec2_t items_start,
                      float scale = 1.0f);
// Places the listed items from the "ItemsStart" position at the layout's scale.
void PlaceShopItems(ShopList &list, vec2_t items_start, float scale = 1.0f);

// What a purchase did.
enum ShopPurchase {
    PURCHASE_REFUSED = 0,     // not enough money, or a trooper at a full squad: nothing charged
    PURCHASE_DONE = 1,
    PURCHASE_TROOPER = 2,     // done, and the shop closes (a trooper was sent)
};
// Buys the item (see economy.cpp for the effects); the screen blinks the money on a
// refusal and closes itself after a trooper. Plays the sounds named in the rules.
ShopPurchase BuyShopItem(ShopItem *item, DMArray *catalogue);

// Applies a free upgrade of that id without money (the pick-upgrade screen's "Select").
void ApplyFreePick(const char *id, DMArray *catalogue);

// The bunker's health for the screens: hit points / maximum, 1 without a bunker.
float BunkerHealthFraction();

#endif
