// The trooper upgrade screens, all over the catalogue "shop.xml":
// - "ArmTroopers" (UI "ui/arm-troopers.lua"): the squad's five slots with the upgrade
//   chosen for each; a slot opens "ChooseUpgrade".
// - "ChooseUpgrade" (UI "ui/choose-upgrade.lua"): up to six variants for one slot (slot 0
//   the class without upgrade); the choice goes to the profile category "team_setup".
// - "PickUpgrade" (UI "ui/pick-upgrade.lua"): three free upgrades A, B and C in battle.
// Main thread only.
#ifndef GAME_SCREENS_PICK_UPGRADE_H
#define GAME_SCREENS_PICK_UPGRADE_H

#include "app/ui/screen.h"
#include "nstring.h"

class DMDatabase;
class DMArray;
class DMNode;

enum { ARM_TROOPER_SLOTS = 5, CHOOSE_UPGRADE_SLOTS = 6 };

class ScreenChooseUpgrade : public Screen {
public:
    ScreenChooseUpgrade();

    bool PreLoad() override;
    void Draw(float dt) override;
    void Update(float dt) override;
    void Enter() override;
    void Leave() override;
    bool ProcessUICompClick(UIComp *comp, int flags) override;
    int ProcessEvent(ov_event_t *event) override;
    int ProcessScreenMessage(Screen *from, const char *message, const char *value) override;

    // Selects slot k: its description and only its selector shown.
    void SelectSlot(int k);
    void ShowDescription(const char *id);
    // "Select": the choice into "team_setup" and to "ArmTroopers"; closes.
    void Confirm();

    nString slot_ids[CHOOSE_UPGRADE_SLOTS];
    nString trooper_type;
    int32_t trooper_index = 0;
    int32_t trooper_type_index = 0;
    nString selection;
    DMDatabase *catalogue_db = nullptr;
    DMArray *catalogue = nullptr;
};

class ScreenArmTroopers : public Screen {
public:
    ScreenArmTroopers();

    bool PreLoad() override;
    void Draw(float dt) override;
    void Update(float dt) override;
    void Enter() override;
    void Leave() override;
    bool ProcessUICompClick(UIComp *comp, int flags) override;
    int ProcessEvent(ov_event_t *event) override;
    int ProcessScreenMessage(Screen *from, const char *message, const char *value) override;

    // The slot icons of the "Upgrade_%i" buttons.
    void RefreshIcons();
    // "Select": every slot's choice into "team_setup"; closes.
    void Confirm();

    nString upgrades[ARM_TROOPER_SLOTS];
    nString trooper_types[ARM_TROOPER_SLOTS];
    int32_t type_indexes[ARM_TROOPER_SLOTS] = {};
    DMDatabase *catalogue_db = nullptr;
    DMArray *catalogue = nullptr;
};

class ScreenPickUpgrade : public Screen {
public:
    ScreenPickUpgrade();

    bool PreLoad() override;
    void Draw(float dt) override;
    void Update(float dt) override;
    void Enter() override;
    void Leave() override;
    bool ProcessUICompClick(UIComp *comp, int flags) override;
    int ProcessEvent(ov_event_t *event) override;
    int ProcessScreenMessage(Screen *from, const char *message, const char *value) override;

    // Shows a catalogue node's texts (the pick stays).
    void ShowDescription(const char *id);
    void SelectOffer(int k);

    nString choices[3];
    nString selection;
    DMDatabase *catalogue_db = nullptr;
    DMArray *catalogue = nullptr;
};

// "Subtitle" text for an "additional_feature" value, or null.
const char *UpgradeSubtitleFor(const char *additional_feature);
// `desc` with every "%BUNKER_HEALTH%" replaced by the bunker's health in percent
// ("%.0f"; "0" without a bunker or with a maximum of 0).
nString ExpandBunkerHealth(const char *desc);

// The screens, each built and registered on first use.
ScreenChooseUpgrade &GetChooseUpgradeScreen();
ScreenArmTroopers &GetArmTroopersScreen();
ScreenPickUpgrade &GetPickUpgradeScreen();

// Builds and registers every screen of the economy (shop, reinforcement, upgrades);
// the program calls it before start-up.
void RegisterEconomyScreens();

#endif
