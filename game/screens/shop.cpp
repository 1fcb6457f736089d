// The in-battle shop (see shop.h).
#include "game/screens/shop.h"

#include "app/services/audioman.h"
#include "app/services/dataman.h"
#include "app/services/localization.h"
#include "app/services/profiles.h"
#include "app/services/prog.h"
#include "app/services/small-maths.h"
#include "app/ui/screen-manager.h"
#include "app/ui/ui-comps.h"
#include "app/ui/uiset.h"
#include "app/ui/widgets/ui-slider.h"
#include "app/ui/widgets/ui-touchfield.h"
#include "game/entities/stock.h"
#include "game/gamestate.h"
#include "game/scape.h"

#include "ovrecords.h"

#include <math.h>
#include <string.h>

namespace {

const float kBlinkSeconds = 1.5f;
const float kLeaveSpeed = 1.3f;       // leave_time per second: the flight lasts 1 / 1.3 s
const float kAppearSpeed = 2.0f;
const float kItemHalf = 42.0f;        // items take touches in an 84 x 84 square
const float kUnmetAlpha = 0.4f;
const float kUnmetTextAlpha = 0.8f;   // the texts of an item out of reach
const float kPriceBelow = 50.0f;      // the price's centre below the item's point
const int kAlignCentre = 12;
const int kKeyMoney = 77;             // 'M'
const int kKeyRebuild = 82;           // 'R'

float Clamp(float v, float lo, float hi)
{
    return v < lo ? lo : (v > hi ? hi : v);
}

ov_font_t *ShopFont()
{
    Scape *world = GetScape();
    return world && world->stock ? world->stock->font_medium : nullptr;
}

vec2_t StaticPos(UIComp *comp)
{
    return comp ? comp->GetStaticPos() : vec2_t{0.0f, 0.0f};
}

// The shelf is laid out for the reference size: its items, their texts and the squares
// that take taps grow and shrink with the layout ("ItemsStart"'s scale on the display).
float ShelfScale(UIComp *start)
{
    return start && start->dynamic_scale > 0.0f ? start->dynamic_scale : 1.0f;
}

// Moves a component sideways by a number of display pixels, in the units of its
// position (a fraction of its parent's width, or of the virtual screen's).
void ShiftSideways(UIComp *comp, float pixels)
{
    float unit = 1.0f;
    if (comp->position_type != UIPOS_ABSOLUTE)
        unit = comp->parent && comp->position_type == UIPOS_RELATIVE_TO_PARENT ? comp->parent->width
                                                                              : (float)sman.virtual_width;
    comp->position_offset_x = unit > 0.0f ? pixels / unit : 0.0f;
}

// Clamps a scroll axis into its limits where the limit type stops there.
void ResetAxis(UICompTouchField::SlidingValue &axis)
{
    float v = 0.0f;
    if (axis.limit_type == UITOUCH_STOP || axis.limit_type == UITOUCH_SMOOTH_DRAG)
        v = Clamp(v, axis.limit_min, axis.limit_max);
    axis.value = axis.raw = v;
    axis.velocity = 0.0f;
    axis.momentum = 0.0f;
    axis.dragging = false;
    axis.samples.Clear();
}

}  // namespace

ScreenShop &GetShopScreen()
{
    static ScreenShop screen;
    return screen;
}

ScreenShop::ScreenShop() : Screen("Shop") {}

bool ScreenShop::PreLoad()
{
    LoadUI("ui/shop.lua");
    catalogue_db = dman().GetDatabase(SHOP_FILE);
    catalogue = catalogue_db ? catalogue_db->GetArray(SHOP_ARRAY) : nullptr;
    bm_selector = ov->OV_GetBitmap("shop/shop-selector.png");
    snd_buy = ov->OV_GetSound("sfx/buy_stuff");
    snd_not_enough_money = ov->OV_GetSound("sfx/not_enough_money");
    return true;
}

void ScreenShop::Draw(float)
{
    DrawUI();
}

void ScreenShop::RefreshItems(float t, bool force)
{
    UIComp *start = GetComp("ItemsStart");
    RefreshShopItems(list, catalogue, t, force, StaticPos(start), ShelfScale(start));
    // The selection points into the array: it must still be a live, unsold entry.
    if (!selected || selected - list.items >= list.count || selected->sold)
        Select(nullptr);
}

void ScreenShop::Enter()
{
    timer = 0.0;
    sman.ResetNextFrameTimeDelta();
    blink_timer = 0.0f;
    selected = nullptr;
    RefreshItems(0.0f, false);
    Select(nullptr);
    if (UICompTouchField *tf = dynamic_cast<UICompTouchField *>(GetComp("TF"))) {
        ResetAxis(tf->axis_x);
        ResetAxis(tf->axis_y);
    }
    RefreshMoney();
}

void ScreenShop::Leave()
{
    sman.ResetNextFrameTimeDelta();
}

void ScreenShop::Select(Item *item)
{
    selected = item;
    if (UIComp *buy = GetComp("Buy"))
        buy->visible = item != nullptr;
    if (!item) {
        sman.SetText(GetComp("Name"), "%s", "");
        sman.SetText(GetComp("Desc"), "%s", "");
        sman.SetText(GetComp("Cost"), "%s", "");
        // An empty shelf says why nothing is for sale.
        bool empty = true;
        for (int i = 0; i < list.count && empty; i++)
            empty = list.items[i].sold;
        if (empty)
            sman.SetText(GetComp("Desc"), "%s", loc_man().Localize(ShopEmptyShelfNote(catalogue).c_str()));
        return;
    }
    sman.SetText(GetComp("Name"), "%s", item->name ? item->name : "");
    sman.SetText(GetComp("Desc"), "%s", item->desc ? item->desc : "");
    sman.SetText(GetComp("Cost"), "Cost $%s", loc_man().LocalizeNumber(item->price));
}

ScreenShop::Item *ScreenShop::ItemAt(vec2_t p)
{
    for (int i = 0; i < list.count; i++) {
        Item &item = list.items[i];
        if (item.sold)
            continue;
        const float half = kItemHalf * ShelfScale(GetComp("ItemsStart"));
        if (fabsf(p.x - item.x) <= half && fabsf(p.y - item.y) <= half)
            return &item;
    }
    return nullptr;
}

float ScreenShop::BlinkAlpha(float t)
{
    return t > 0.0f ? Clamp(4.0f * cosf(6.0f * kPi * t), 0.0f, 1.0f) : 1.0f;
}

void ScreenShop::BarColour(float f, float *r, float *g)
{
    float m = Clamp(2.0f * (1.0f - fabsf(f - 0.5f) / 0.4f), 0.0f, 1.0f);
    float red = fminf(1.0f, Clamp(2.0f * (1.0f - f / 0.4f), 0.0f, 1.0f) + m);
    float green = fminf(1.0f, Clamp(2.0f * (1.0f - (1.0f - f) / 0.3f), 0.0f, 1.0f) + m);
    *r = red * 0.8f;
    *g = green * 0.8f;
}

ScreenShop::Flight ScreenShop::FlightOf(const Item &item, vec2_t bunker)
{
    float e = EaseInOut(item.leave_time);
    Flight f;
    f.x = (1.0f - e) * item.x + e * bunker.x;
    f.y = (1.0f - e) * item.y + e * bunker.y - 40.0f * sinf(e * kPi);
    f.angle = e;
    f.scale = Clamp(1.2f - e, 0.0f, 1.0f);
    f.alpha = 1.0f - Clamp(2.0f * (e - 0.5f), 0.0f, 1.0f);
    return f;
}

void ScreenShop::RefreshMoney()
{
    UIComp *money = GetComp("Money");
    if (!money)
        return;
    sman.SetText(money, "$%s", loc_man().LocalizeNumber(game.money));
    money->alpha = BlinkAlpha(blink_timer);
}

void ScreenShop::Update(float dt)
{
    Screen::Update(dt);
    sman.SetText(GetComp("TrooperCount"), "Troopers: %d of %d", game.living_troopers, game.squad_size);

    for (int i = 0; i < list.count; i++) {
        Item &item = list.items[i];
        if (item.sold) {
            item.leave_time += kLeaveSpeed * dt;
            if (item.leave_time >= 1.0f)
                RefreshItems(1.0f, false);
        }
        item.appear = fminf(1.0f, item.appear + kAppearSpeed * dt);
    }

    blink_timer = fmaxf(0.0f, blink_timer - dt);
    RefreshMoney();

    UIComp *start = GetComp("ItemsStart");
    const float s = ShelfScale(start);
    if (UICompTouchField *tf = dynamic_cast<UICompTouchField *>(GetComp("TF"))) {
        // The scroll offset is in the field's units; the shelf moves by it on the display.
        if (start)
            ShiftSideways(start, -tf->axis_x.value * tf->dynamic_scale);
        float span = list.count > 0 ? (list.items[list.count - 1].x - list.items[0].x) / s : 0.0f;
        tf->SetContentWidth(span + 90.0f + 50.0f);
        tf->SetContentHeight(tf->area_height);
        tf->UpdateDimensions();
    }
    PlaceShopItems(list, StaticPos(start), s);

    if (UICompSlider *health = dynamic_cast<UICompSlider *>(GetComp("Health")))
        health->value = Clamp(BunkerHealthFraction(), 0.0f, 1.0f);
}

void ScreenShop::DrawUIComp(UIComp *comp)
{
    if (!comp || !comp->name)
        return;
    if (strcmp(comp->name, "BunkerHP") == 0)
        DrawBunkerBar(comp);
    else if (strcmp(comp->name, "ItemsStart") == 0)
        DrawItems(comp);
}

void ScreenShop::DrawBunkerBar(UIComp *bar)
{
    vec2_t p0 = StaticPos(bar);
    vec2_t p1 = StaticPos(GetComp("BunkerHPEnd"));
    float w = p1.x - p0.x, h = p1.y - p0.y;
    float f = fmaxf(0.0f, BunkerHealthFraction());
    float a = bar->GetStaticAlpha();
    ov->OV_SetBlend(0);
    ov->OV_SetAlpha(a);
    ov->OV_SetColor(0.0f, 0.0f, 0.0f);
    ov->OV_DrawRect(p0.x, p0.y, w, h);
    float r, g;
    BarColour(f, &r, &g);
    ov->OV_SetColor(r, g, 0.0f);
    ov->OV_DrawRect(p0.x, p0.y, w * f, h);

    if (game.pending_bunker_repair > 0.0f) {
        vec2_t at = StaticPos(GetComp("BunkerRepair"));
        ov->OV_SetColor(1.0f, 1.0f, 1.0f);
        ov->OV_SetAlpha(a * 0.8f * Clamp(2.0f * cosf(4.0f * (float)timer), 0.0f, 1.0f));
        ov->OV_SetTextAlign(kAlignCentre);
        ov->OV_SetTextTransform(0.8f, 0.8f, 0.0f);
        if (ov_font_t *font = ShopFont())
            ov->OV_DrawTextf(font, at.x, at.y, "%s", "Repairing");
        ov->OV_SetTextTransform(1.0f, 1.0f, 0.0f);
        ov->OV_SetTextAlign(0);
    }
    ov->OV_SetColor(1.0f, 1.0f, 1.0f);
    ov->OV_SetAlpha(1.0f);
}

void ScreenShop::DrawItems(UIComp *start)
{
    if (sman.edit_mode)
        RefreshItems(0.0f, false);
    float a = start->GetStaticAlpha();
    vec2_t ul = StaticPos(GetComp("ClipUL"));
    vec2_t br = StaticPos(GetComp("ClipBR"));
    ov->OV_SetScissorRect((int)ul.x, (int)ul.y, (int)(br.x - ul.x), (int)(br.y - ul.y));
    ov->OV_SetTextAlign(kAlignCentre);
    ov->OV_SetBlend(0);
    vec2_t bunker = StaticPos(GetComp("Bunker"));
    Item *hovered = ItemAt(mpos);
    ov_font_t *font = ShopFont();
    const float s = ShelfScale(start);

    for (int pass = 0; pass < 2; pass++) {
        for (int i = 0; i < list.count; i++) {
            Item &item = list.items[i];
            if (item.sold != (pass == 1))
                continue;
            float alpha = a, scale = (&item == hovered ? 0.95f : 1.0f) * s;
            // An item out of reach is dimmed; its texts stay readable.
            float text_dim = 1.0f;
            if (!ShopRequirementsMet(item.requires)) {
                alpha *= kUnmetAlpha;
                text_dim = kUnmetTextAlpha / kUnmetAlpha;
            }
            if (item.appear < 1.0f) {
                alpha *= item.appear;
                scale *= item.appear;
            }
            float x = item.x, y = item.y, angle = 0.0f, text_alpha = fminf(1.0f, alpha * text_dim);
            if (item.sold) {
                Flight flight = FlightOf(item, bunker);
                x = flight.x;
                y = flight.y;
                angle = flight.angle;
                scale *= flight.scale;
                alpha *= flight.alpha;
                text_alpha = fminf(1.0f, alpha * text_dim) * Clamp(1.0f - 3.0f * item.leave_time, 0.0f, 1.0f);
            }
            ov->OV_SetColor(1.0f, 1.0f, 1.0f);
            ov->OV_SetAlpha(alpha);
            if (&item == selected && bm_selector)
                ov->OV_DrawBitmapRS(bm_selector, x, y + 23.0f * s, angle, scale);
            if (item.icon)
                ov->OV_DrawBitmapRS(item.icon, x, y - (float)((item.icon->height - 77) / 2) * s, angle, scale);
            if (!font)
                continue;
            ov->OV_SetAlpha(text_alpha);
            if (item.level) {
                ov->OV_SetTextTransform(s, s, 0.0f);
                ov->OV_DrawTextf(font, x, y + 8.0f * s, "%s", item.level);
            }
            // The price under the icon, in the font's own size (scaled with the layout), a
            // light red when the money does not reach it (pure red is too dark on the shelf).
            if (game.money < item.price)
                ov->OV_SetColor(1.0f, 0.42f, 0.36f);
            ov->OV_SetTextTransform(s, s, 0.0f);
            ov->OV_DrawTextf(font, x, y + kPriceBelow * s, "$%s", loc_man().LocalizeNumber(item.price));
        }
    }
    ov->OV_SetTextAlign(0);
    ov->OV_SetTextTransform(1.0f, 1.0f, 0.0f);
    ov->OV_SetColor(1.0f, 1.0f, 1.0f);
    ov->OV_SetAlpha(1.0f);
    ov->OV_DisableScissorRect();
}

int ScreenShop::ProcessEvent(ov_event_t *event)
{
    if (!event)
        return 1;
    if (event->type == OV_EVENT_BUTTON_DOWN) {
        Item *item = ItemAt(vec2_t{(float)event->x, (float)event->y});
        ov->OV_Printf("Shop: tap at %d %d on %s (%d on the shelf)\n", event->x, event->y,
                      item && item->id ? item->id : "no item", list.count);
        if (item && ShopRequirementsMet(item->requires))
            Select(item);
    } else if (event->type == OV_EVENT_KEY_DOWN && prog.parms.developer_mode) {
        if (event->key == kKeyMoney) {
            game.money += 4000;
            RefreshMoney();
        } else if (event->key == kKeyRebuild) {
            Select(nullptr);
            RefreshItems(0.0f, true);
        }
    }
    return 1;
}

bool ScreenShop::ProcessUICompClick(UIComp *comp, int)
{
    if (leaving || !comp || !comp->name)
        return true;
    if (strcmp(comp->name, "OK") == 0) {
        sman.PopScreen(this, true);
    } else if (strcmp(comp->name, "Cheat") == 0) {
        // Developer tool: unlocks the whole catalogue in the player's profile.
        if (!prog.parms.developer_mode)
            return true;
        for (int i = 0; catalogue && prof && i < catalogue->GetSize(); i++)
            if (DMNode *node = catalogue->GetNode(i))
                if (node->id)
                    prof->AddTag("features", node->id);
        Enter();
    } else if (strcmp(comp->name, "Buy") == 0 && selected) {
        ShopPurchase result = BuyShopItem(selected, catalogue);
        if (result == PURCHASE_REFUSED) {
            blink_timer = kBlinkSeconds;
        } else {
            Select(nullptr);
            if (result == PURCHASE_TROOPER)
                sman.PopScreen(this, true);
        }
    }
    RefreshMoney();
    return true;
}
