// The in-battle shop "Shop" (UI "ui/shop.lua"), opened when the bunker is tapped: a
// scrolling row of the offered items with their prices, a description panel with a
// "Buy" button, the money, the trooper count and the bunker's health. A bought item
// flies from its slot to the "Bunker" component and its follower fades in where it
// stood (an item that may be bought again and has no follower fades in there again
// itself). The economy's rules live in game/economy.h. Main thread only.
#ifndef GAME_SCREENS_SHOP_H
#define GAME_SCREENS_SHOP_H

#include "app/ui/screen.h"
#include "game/economy.h"

class DMDatabase;
class DMArray;
struct ov_sound_t;
struct ov_bitmap_t;

class ScreenShop : public Screen {
public:
    typedef ShopItem Item;

    ScreenShop();

    bool PreLoad() override;
    void Draw(float dt) override;
    void DrawUIComp(UIComp *comp) override;
    void Update(float dt) override;
    void Enter() override;
    void Leave() override;
    bool ProcessUICompClick(UIComp *comp, int flags) override;
    int ProcessEvent(ov_event_t *event) override;

    // The economy's rules under the shop's names.
    static bool RequirementsMet(const char *requires) { return ShopRequirementsMet(requires); }
    static void SetItemContents(Item *item, DMNode *node) { SetShopItemContents(item, node); }
    void RefreshItems(float t, bool force);

    // Selection: shows "Buy", the name, description and "Cost $%s"; null clears them.
    void Select(Item *item);
    // The first unsold item whose 84 x 84 square around its centre holds p, or null.
    Item *ItemAt(vec2_t p);
    // "Money" text and its blink alpha.
    void RefreshMoney();
    // Alpha of the money text for the blink timer.
    static float BlinkAlpha(float timer);
    // Where a sold item is drawn on its flight to the bunker component at `bunker`:
    // centre, turn, scale and alpha factors (1 each before the flight starts).
    struct Flight {
        float x, y, angle, scale, alpha;
    };
    static Flight FlightOf(const Item &item, vec2_t bunker);
    // The bunker bar colour for health fraction f (each channel x 0.8 applied).
    static void BarColour(float f, float *r, float *g);

    float blink_timer = 0.0f;
    ov_sound_t *snd_buy = nullptr;
    ov_sound_t *snd_not_enough_money = nullptr;
    DMDatabase *catalogue_db = nullptr;
    ov_bitmap_t *bm_selector = nullptr;
    ShopList list;
    Item *selected = nullptr;
    DMArray *catalogue = nullptr;

private:
    void DrawItems(UIComp *start);
    void DrawBunkerBar(UIComp *bar);
};

// The one shop screen, built and registered on first use.
ScreenShop &GetShopScreen();

#endif
