// The trooper upgrade screens "ArmTroopers", "ChooseUpgrade" and "PickUpgrade" (see
// pick-upgrade.h).
#include "game/screens/pick-upgrade.h"

#include "app/services/dataman.h"
#include "app/services/localization.h"
#include "app/services/profiles.h"
#include "app/ui/screen-manager.h"
#include "app/ui/ui-comps.h"
#include "app/ui/widgets/ui-button.h"
#include "game/economy.h"
#include "game/entities/entity.h"
#include "game/gamestate.h"
#include "game/screens/pick-reinforcement.h"
#include "game/screens/shop.h"
#include "game/trooper-classes.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>

namespace {

const int kKeyEscape = 27;
const float kChoicesStep = 0.182f;  // the spacing of the "choices_%i" panels

const char *Text(const nString &s)
{
    return s.Get() ? s.Get() : "";
}

const char *Value(const char *v)
{
    return v ? v : "";
}

bool Named(UIComp *comp, const char *name)
{
    return comp && comp->name && strcmp(comp->name, name) == 0;
}

// The slot number of a component named prefix + digit (0..max-1), or -1.
int SlotOf(UIComp *comp, const char *prefix, int max)
{
    if (!comp || !comp->name)
        return -1;
    size_t n = strlen(prefix);
    if (strncmp(comp->name, prefix, n) != 0)
        return -1;
    const char *digit = comp->name + n;
    if (digit[0] < '0' || digit[0] >= '0' + max || digit[1] != '\0')
        return -1;
    return digit[0] - '0';
}

DMNode *VanillaNode(DMArray *catalogue, const char *trooper_type)
{
    if (!catalogue)
        return nullptr;
    std::string id = std::string("VANILLA_") + Value(trooper_type);
    return catalogue->GetNode(id.c_str());
}

// Sets a button's icon to the bitmap named by the node's "icon" (the old one given
// back); a missing node or key leaves it unset.
void SetButtonIcon(UIComp *comp, const char *bitmap)
{
    UICompButton *button = dynamic_cast<UICompButton *>(comp);
    if (!button || !bitmap)
        return;
    button->ReplaceBitmapApplyingReferenceCounting(&button->bm_icon, bitmap);
    button->UpdateDimensions();
}

void SetVisible(UIComp *comp, bool visible)
{
    if (comp)
        comp->visible = visible;
}

// "Name", "Desc" (desc directly followed by desc2 when given) and "Subtitle".
void ShowNodeTexts(Screen *screen, DMNode *node, const std::string &desc)
{
    sman.SetText(screen->GetComp("Name"), "%s", node ? Value(node->GetValue("name")) : "");
    sman.SetText(screen->GetComp("Desc"), "%s", desc.c_str());
    const char *subtitle = UpgradeSubtitleFor(node ? node->GetValue("additional_feature") : nullptr);
    sman.SetText(screen->GetComp("Subtitle"), "%s", subtitle ? loc_man().Localize(subtitle) : "");
}

const char *ClassIcon(const char *type)
{
    const TrooperClass *trooper_class = TrooperClassOfType(type);
    return trooper_class ? trooper_class->icon : nullptr;
}

}  // namespace

const char *UpgradeSubtitleFor(const char *feature)
{
    static const char *const kSubtitles[][2] = {
        {"MINIGUN_TROOPER_UPGRADE", "Minigun Trooper Upgrade"}, {"SHOTGUN_TROOPER_UPGRADE", "Shotgun Trooper Upgrade"},
        {"BAZOOKA_TROOPER_UPGRADE", "Bazooka Trooper Upgrade"}, {"PYRO_TROOPER_UPGRADE", "Pyro Trooper Upgrade"},
        {"SNIPER_TROOPER_UPGRADE", "Sniper Trooper Upgrade"},
    };
    for (auto &pair : kSubtitles)
        if (feature && strcmp(feature, pair[0]) == 0)
            return pair[1];
    return nullptr;
}

nString ExpandBunkerHealth(const char *desc)
{
    std::string text = Value(desc);
    char percent[64] = "0";
    if (game.base && game.base->type && game.base->max_hit_points > 0.0f)
        snprintf(percent, sizeof percent, "%.0f", game.base->hit_points / game.base->max_hit_points * 100.0f);
    const std::string key = "%BUNKER_HEALTH%";
    for (size_t at = text.find(key); at != std::string::npos; at = text.find(key, at + strlen(percent))) {
        text.replace(at, key.size(), percent);
    }
    return nString(text.c_str());
}

// ---- ChooseUpgrade

ScreenChooseUpgrade &GetChooseUpgradeScreen()
{
    static ScreenChooseUpgrade screen;
    return screen;
}

ScreenChooseUpgrade::ScreenChooseUpgrade() : Screen("ChooseUpgrade") {}

bool ScreenChooseUpgrade::PreLoad()
{
    LoadUI("ui/choose-upgrade.lua");
    catalogue_db = dman().GetDatabase(SHOP_FILE);
    catalogue = catalogue_db ? catalogue_db->GetArray(SHOP_ARRAY) : nullptr;
    return true;
}

void ScreenChooseUpgrade::Draw(float)
{
    DrawUI();
}

void ScreenChooseUpgrade::Update(float) {}
void ScreenChooseUpgrade::Leave() {}

void ScreenChooseUpgrade::ShowDescription(const char *id)
{
    DMNode *node = id && *id ? (catalogue ? catalogue->GetNode(id) : nullptr) : VanillaNode(catalogue, Text(trooper_type));
    std::string desc = node ? Value(node->GetValue("desc")) : "";
    if (node)
        desc += Value(node->GetValue("desc2"));
    ShowNodeTexts(this, node, desc);
}

void ScreenChooseUpgrade::SelectSlot(int k)
{
    if (k < 0 || k >= CHOOSE_UPGRADE_SLOTS)
        return;
    selection.Set(slot_ids[k].Get());
    ShowDescription(Text(selection));
    for (int i = 0; i < CHOOSE_UPGRADE_SLOTS; i++) {
        char name[32];
        snprintf(name, sizeof name, "Upgrade_%i_selector", i);
        SetVisible(GetComp(name), i == k);
    }
}

void ScreenChooseUpgrade::Enter()
{
    trans_phase = 0.001f;
    leaving = false;
    for (nString &id : slot_ids)
        id.Clear();
    DMNode *vanilla = VanillaNode(catalogue, Text(trooper_type));
    SetButtonIcon(GetComp("Upgrade_0"), vanilla ? vanilla->GetValue("icon") : nullptr);

    int selected = -1, k = 1;
    for (int i = 0; catalogue && i < catalogue->GetSize() && k < CHOOSE_UPGRADE_SLOTS; i++) {
        DMNode *node = catalogue->GetNode(i);
        const char *types = node ? node->GetValue("upgraded_ent_types") : nullptr;
        if (!node || !node->id || !types || strcmp(types, Text(trooper_type)) != 0)
            continue;
        slot_ids[k].Set(node->id);
        char name[32];
        snprintf(name, sizeof name, "Upgrade_%i", k);
        UIComp *button = GetComp(name);
        SetButtonIcon(button, node->GetValue("icon"));
        bool unlocked = prof && prof->TagExists("features", node->id);
        SetVisible(button, true);
        if (button)
            button->active = unlocked;
        snprintf(name, sizeof name, "Lock_%i", k);
        SetVisible(GetComp(name), !unlocked);
        if (strcmp(node->id, Text(selection)) == 0) {
            selected = k;
            SelectSlot(k);
        }
        k++;
    }
    // Slots without a variant are not shown.
    for (; k < CHOOSE_UPGRADE_SLOTS; k++) {
        char name[32];
        snprintf(name, sizeof name, "Upgrade_%i", k);
        SetVisible(GetComp(name), false);
        snprintf(name, sizeof name, "Lock_%i", k);
        SetVisible(GetComp(name), false);
        snprintf(name, sizeof name, "Upgrade_%i_selector", k);
        SetVisible(GetComp(name), false);
    }
    if (selected < 0)
        SelectSlot(0);
    ShowDescription(Text(selection));
}

void ScreenChooseUpgrade::Confirm()
{
    char slot_id[32], index_key[16];
    snprintf(slot_id, sizeof slot_id, "Trooper_%i", trooper_index);
    snprintf(index_key, sizeof index_key, "%i", trooper_type_index);
    if (prof) {
        prof->SetValue("team_setup", slot_id, "active_upgrade", Text(selection));
        if (!trooper_type.IsEmpty())
            prof->SetValue("team_setup", Text(trooper_type), "active_upgrade", Text(selection));
    }
    if (Screen *arm = Screen::PeekScreen("ArmTroopers")) {
        sman.SendScreenMessage(this, arm, slot_id, Text(selection));
        sman.SendScreenMessage(this, arm, "update", nullptr);
    }
    if (prof && !trooper_type.IsEmpty())
        prof->SetValue("team_setup", Text(trooper_type), index_key, Text(selection));
    sman.PopScreen(this, true);
}

bool ScreenChooseUpgrade::ProcessUICompClick(UIComp *comp, int)
{
    int k = SlotOf(comp, "Upgrade_", CHOOSE_UPGRADE_SLOTS);
    if (k >= 0)
        SelectSlot(k);
    else if (Named(comp, "Select"))
        Confirm();
    return true;
}

int ScreenChooseUpgrade::ProcessEvent(ov_event_t *event)
{
    if (event && event->type == OV_EVENT_KEY_DOWN && event->key == kKeyEscape)
        Confirm();
    return 1;
}

int ScreenChooseUpgrade::ProcessScreenMessage(Screen *, const char *message, const char *value)
{
    if (!message)
        return 1;
    if (strcmp(message, "trooper_type") == 0) {
        trooper_type.Set(value);
    } else if (strcmp(message, "trooper_type_index") == 0) {
        trooper_type_index = value ? atoi(value) : 0;
    } else if (strcmp(message, "trooper_index") == 0) {
        trooper_index = value ? atoi(value) : 0;
        char index_key[16];
        snprintf(index_key, sizeof index_key, "%i", trooper_type_index);
        const char *stored = prof && !trooper_type.IsEmpty() ? prof->GetValue("team_setup", Text(trooper_type), index_key)
                                                              : nullptr;
        selection.Set(stored);
    }
    return 1;
}

// ---- ArmTroopers

ScreenArmTroopers &GetArmTroopersScreen()
{
    static ScreenArmTroopers screen;
    return screen;
}

ScreenArmTroopers::ScreenArmTroopers() : Screen("ArmTroopers") {}

bool ScreenArmTroopers::PreLoad()
{
    LoadUI("ui/arm-troopers.lua");
    catalogue_db = dman().GetDatabase(SHOP_FILE);
    catalogue = catalogue_db ? catalogue_db->GetArray(SHOP_ARRAY) : nullptr;
    return true;
}

void ScreenArmTroopers::Draw(float)
{
    DrawUI();
}

void ScreenArmTroopers::Update(float) {}
void ScreenArmTroopers::Leave() {}

void ScreenArmTroopers::Enter()
{
    trans_phase = 0.001f;
    leaving = false;
    int occupied = 0;
    for (int k = 0; k < ARM_TROOPER_SLOTS; k++) {
        char name[32];
        bool has_type = !trooper_types[k].IsEmpty();
        snprintf(name, sizeof name, "choices_%i", k);
        SetVisible(GetComp(name), has_type);
        type_indexes[k] = 0;
        if (!has_type) {
            upgrades[k].Clear();
            continue;
        }
        occupied++;
        const char *type = Text(trooper_types[k]);
        snprintf(name, sizeof name, "Trooper_%i", k);
        SetButtonIcon(GetComp(name), ClassIcon(type));
        for (int j = 0; j < k; j++)
            if (strcmp(Text(trooper_types[j]), type) == 0)
                type_indexes[k]++;

        char index_key[16];
        snprintf(index_key, sizeof index_key, "%i", type_indexes[k]);
        const char *chosen = prof ? prof->GetValue("team_setup", type, index_key) : nullptr;
        if (!chosen) {
            chosen = prof ? prof->GetValue("team_setup", type, "active_upgrade") : nullptr;
            if (chosen) {
                std::string copy = chosen;  // the write below may move the stored text
                prof->SetValue("team_setup", type, index_key, copy.c_str());
                upgrades[k].Set(copy.c_str());
                continue;
            }
        }
        upgrades[k].Set(chosen);
    }
    UIComp *first = GetComp("choices_0");
    float base_x = first ? first->position_x : 0.0f;
    for (int k = 0; k < ARM_TROOPER_SLOTS; k++) {
        char name[32];
        snprintf(name, sizeof name, "choices_%i", k);
        if (UIComp *choices = GetComp(name))
            choices->position_offset_x = -base_x - 0.5f * kChoicesStep * (float)(occupied - 1);
    }
    RefreshIcons();
}

void ScreenArmTroopers::RefreshIcons()
{
    for (int k = 0; k < ARM_TROOPER_SLOTS; k++) {
        char name[32];
        snprintf(name, sizeof name, "Upgrade_%i", k);
        UIComp *button = GetComp(name);
        if (!upgrades[k].IsEmpty()) {
            ov->OV_Printf("Setting icon\n");
            SetButtonIcon(button, catalogue ? catalogue->GetNodeValue(Text(upgrades[k]), "icon") : nullptr);
        } else if (!trooper_types[k].IsEmpty()) {
            ov->OV_Printf("Setting icon, no selection made\n");
            DMNode *vanilla = VanillaNode(catalogue, Text(trooper_types[k]));
            SetButtonIcon(button, vanilla ? vanilla->GetValue("icon") : nullptr);
        }
    }
}

void ScreenArmTroopers::Confirm()
{
    for (int k = 0; k < ARM_TROOPER_SLOTS && prof; k++) {
        char slot_id[32], index_key[16];
        snprintf(slot_id, sizeof slot_id, "Trooper_%i", k);
        snprintf(index_key, sizeof index_key, "%i", type_indexes[k]);
        prof->SetValue("team_setup", slot_id, "active_upgrade", Text(upgrades[k]));
        if (trooper_types[k].IsEmpty())
            continue;
        prof->SetValue("team_setup", Text(trooper_types[k]), "active_upgrade", Text(upgrades[k]));
        prof->SetValue("team_setup", Text(trooper_types[k]), index_key, Text(upgrades[k]));
    }
    sman.PopScreen(this, true);
}

bool ScreenArmTroopers::ProcessUICompClick(UIComp *comp, int)
{
    int k = SlotOf(comp, "Upgrade_", ARM_TROOPER_SLOTS);
    if (k < 0)
        k = SlotOf(comp, "Trooper_", ARM_TROOPER_SLOTS);
    if (k >= 0) {
        Screen *choose = Screen::PeekScreen("ChooseUpgrade");
        if (!choose)
            return true;
        char text[16];
        snprintf(text, sizeof text, "%i", type_indexes[k]);
        sman.SendScreenMessage(this, choose, "trooper_type_index", text);
        sman.SendScreenMessage(this, choose, "trooper_type", Text(trooper_types[k]));
        snprintf(text, sizeof text, "%i", k);
        sman.SendScreenMessage(this, choose, "trooper_index", text);
        sman.PushScreen(choose, 0);
    } else if (Named(comp, "Select")) {
        Confirm();
    }
    return true;
}

int ScreenArmTroopers::ProcessEvent(ov_event_t *event)
{
    if (event && event->type == OV_EVENT_KEY_DOWN && event->key == kKeyEscape)
        Confirm();
    return 1;
}

int ScreenArmTroopers::ProcessScreenMessage(Screen *, const char *message, const char *value)
{
    if (!message)
        return 1;
    if (message[0] >= '0' && message[0] < '0' + ARM_TROOPER_SLOTS && message[1] == '\0') {
        trooper_types[message[0] - '0'].Set(value);
    } else if (strncmp(message, "Trooper_", 8) == 0 && message[8] >= '0' && message[8] < '0' + ARM_TROOPER_SLOTS &&
               message[9] == '\0') {
        upgrades[message[8] - '0'].Set(value);
    } else if (strcmp(message, "update") == 0) {
        RefreshIcons();
    }
    return 1;
}

// ---- PickUpgrade

ScreenPickUpgrade &GetPickUpgradeScreen()
{
    static ScreenPickUpgrade screen;
    return screen;
}

ScreenPickUpgrade::ScreenPickUpgrade() : Screen("PickUpgrade") {}

bool ScreenPickUpgrade::PreLoad()
{
    LoadUI("ui/pick-upgrade.lua");
    catalogue_db = dman().GetDatabase(SHOP_FILE);
    catalogue = catalogue_db ? catalogue_db->GetArray(SHOP_ARRAY) : nullptr;
    return true;
}

void ScreenPickUpgrade::Draw(float)
{
    DrawUI();
}

void ScreenPickUpgrade::Update(float) {}
void ScreenPickUpgrade::Leave() {}

void ScreenPickUpgrade::ShowDescription(const char *id)
{
    DMNode *node = id && catalogue ? catalogue->GetNode(id) : nullptr;
    nString desc = ExpandBunkerHealth(node ? node->GetValue("desc") : nullptr);
    ShowNodeTexts(this, node, Text(desc));
}

// Offer k (0 to 2) becomes the pick: its texts, its selector alone.
void ScreenPickUpgrade::SelectOffer(int k)
{
    selection.Set(choices[k].Get());
    ShowDescription(Text(selection));
    SetVisible(GetComp("SelectorA"), k == 0);
    SetVisible(GetComp("SelectorB"), k == 1);
    SetVisible(GetComp("SelectorC"), k == 2);
}

void ScreenPickUpgrade::Enter()
{
    static const char *const kButtons[3] = {"A", "B", "C"};
    for (int i = 0; i < 3; i++)
        SetButtonIcon(GetComp(kButtons[i]),
                      catalogue && !choices[i].IsEmpty() ? catalogue->GetNodeValue(Text(choices[i]), "icon") : nullptr);
    SelectOffer(0);
}

bool ScreenPickUpgrade::ProcessUICompClick(UIComp *comp, int)
{
    // The three offers choose; the class buttons below only tell about their class
    // (the pick and its selector stay where they were).
    static const char *const kOffers[3] = {"A", "B", "C"};
    if (Named(comp, "Select")) {
        ApplyFreePick(Text(selection), catalogue);
        sman.PopScreen(this, true);
        return true;
    }
    for (int k = 0; k < 3; k++)
        if (Named(comp, kOffers[k]))
            SelectOffer(k);
    for (const TrooperClass &c : kTrooperClasses) {
        char name[32];
        snprintf(name, sizeof name, "%s_Upgrades", c.word);
        if (Named(comp, name))
            ShowDescription(c.feature);
    }
    return true;
}

int ScreenPickUpgrade::ProcessEvent(ov_event_t *)
{
    return 1;
}

int ScreenPickUpgrade::ProcessScreenMessage(Screen *, const char *message, const char *value)
{
    if (!message)
        return 1;
    if (strcmp(message, "a") == 0)
        choices[0].Set(value);
    else if (strcmp(message, "b") == 0)
        choices[1].Set(value);
    else if (strcmp(message, "c") == 0)
        choices[2].Set(value);
    else if (strcmp(message, "requirementsMet") == 0)
        return PickRequirementsMet(value) ? 1 : 0;
    return 1;
}

void RegisterEconomyScreens()
{
    GetShopScreen();
    GetPickReinforcementScreen();
    GetChooseUpgradeScreen();
    GetArmTroopersScreen();
    GetPickUpgradeScreen();
}
