// The trooper upgrade screens with the fixture catalogue: the squad's slots with their
// type indexes, icons and "choices_%i" offset in "ArmTroopers"; the variants, locks,
// texts and the choice stored under "team_setup" in "ChooseUpgrade", preselected when
// opened again; the free pick's texts, selectors, "requirementsMet" and
// "%BUNKER_HEALTH%" in "PickUpgrade".
#include "tests/game/screens/test_economy_fixture.h"

#include "app/ui/screen-manager.h"
#include "app/ui/ui-comps.h"
#include "app/ui/widgets/ui-button.h"
#include "game/entities/entity.h"
#include "game/screens/pick-upgrade.h"

#include "ovrecords.h"

#include <gtest/gtest.h>

#include <string.h>

#include <string>

namespace {

using economytest::EconomyTest;

class UpgradeScreensTest : public EconomyTest {
protected:
    void SetUp() override
    {
        EconomyTest::SetUp();
        StartEconomy();
    }
    ScreenArmTroopers &Arm() { return GetArmTroopersScreen(); }
    ScreenChooseUpgrade &Choose() { return GetChooseUpgradeScreen(); }
    ScreenPickUpgrade &PickUp() { return GetPickUpgradeScreen(); }
    std::string Icon(Screen *screen, const char *comp)
    {
        UICompButton *b = dynamic_cast<UICompButton *>(screen->GetComp(comp));
        return b && b->bm_icon && b->bm_icon->name ? b->bm_icon->name : "";
    }
    bool Visible(Screen *screen, const char *comp) { return screen->GetComp(comp)->visible; }
    std::string Setup(const char *id, const char *key)
    {
        const char *v = profile.GetValue("team_setup", id, key);
        return v ? v : "(none)";
    }
    // Slots 0 to 4: Minigun, Shotgun, Minigun, empty, Minigun.
    void Squad()
    {
        const char *types[] = {"MinigunTrooper", "ShotgunTrooper", "MinigunTrooper", "", "MinigunTrooper"};
        for (int k = 0; k < 5; k++)
            sman.SendScreenMessage(nullptr, &Arm(), std::to_string(k).c_str(), types[k]);
    }
    void Click(Screen *screen, const char *comp) { screen->ProcessUICompClick(screen->GetComp(comp), 0); }
    void TapComp(Screen *screen, const char *comp)
    {
        vec2_t c = Centre(screen, comp);
        Tap((int)c.x, (int)c.y);
    }
};

TEST_F(UpgradeScreensTest, ArmTroopersSlots)
{
    profile.SetValue("team_setup", "MinigunTrooper", "active_upgrade", "MG_FAST");
    profile.SetValue("team_setup", "MinigunTrooper", "1", "MG_HEAVY");
    Squad();
    int icons = apptest::CountLogged("Setting icon\n");
    int plain = apptest::CountLogged("Setting icon, no selection made");
    Open(&Arm());
    EXPECT_EQ(0, Arm().type_indexes[0]);
    EXPECT_EQ(0, Arm().type_indexes[1]);
    EXPECT_EQ(1, Arm().type_indexes[2]);
    EXPECT_EQ(2, Arm().type_indexes[4]);
    for (int k = 0; k < 5; k++)
        EXPECT_EQ(k != 3, Visible(&Arm(), ("choices_" + std::to_string(k)).c_str())) << k;
    // Four occupied slots: every panel moves by -(x of choices_0) - 0.5 x 0.182 x 3.
    for (int k = 0; k < 5; k++)
        EXPECT_FLOAT_EQ(-40.0f - 0.5f * 0.182f * 3.0f,
                        Arm().GetComp(("choices_" + std::to_string(k)).c_str())->position_offset_x);
    EXPECT_EQ("shop/minigun.png", Icon(&Arm(), "Trooper_0"));
    EXPECT_EQ("shop/shotgun.png", Icon(&Arm(), "Trooper_1"));
    // Type index 0 fell back to the type's last choice, which is now stored under "0".
    EXPECT_STREQ("MG_FAST", Arm().upgrades[0].Get());
    EXPECT_EQ("MG_FAST", Setup("MinigunTrooper", "0"));
    EXPECT_STREQ("MG_HEAVY", Arm().upgrades[2].Get());
    EXPECT_STREQ("MG_FAST", Arm().upgrades[4].Get());
    EXPECT_EQ("MG_FAST", Setup("MinigunTrooper", "2"));
    EXPECT_TRUE(Arm().upgrades[1].IsEmpty());
    EXPECT_EQ("shop/blue.png", Icon(&Arm(), "Upgrade_0"));
    EXPECT_EQ("shop/red.png", Icon(&Arm(), "Upgrade_2"));
    Shot("arm-troopers.png");
    EXPECT_EQ("", Icon(&Arm(), "Upgrade_1"));  // no "VANILLA_ShotgunTrooper" node
    EXPECT_EQ(icons + 3, apptest::CountLogged("Setting icon\n"));
    EXPECT_EQ(plain + 1, apptest::CountLogged("Setting icon, no selection made"));
}

TEST_F(UpgradeScreensTest, ChooseStoresTheChoiceAndItIsPreselectedLater)
{
    Unlock("MG_HEAVY");
    profile.SetValue("team_setup", "MinigunTrooper", "1", "MG_HEAVY");
    Squad();
    Open(&Arm());
    TapComp(&Arm(), "Upgrade_2");  // the second minigun trooper
    ASSERT_TRUE(sman.IsScreenInStack(&Choose()));
    Run(25, 0.02f);
    EXPECT_EQ(1, Choose().trooper_type_index);
    EXPECT_EQ(2, Choose().trooper_index);
    EXPECT_STREQ("MinigunTrooper", Choose().trooper_type.Get());
    EXPECT_STREQ("MG_HEAVY", Choose().selection.Get());
    EXPECT_STREQ("MG_FAST", Choose().slot_ids[1].Get());
    EXPECT_STREQ("MG_HEAVY", Choose().slot_ids[2].Get());
    EXPECT_EQ("shop/green.png", Icon(&Choose(), "Upgrade_0"));  // the plain class
    EXPECT_EQ("shop/blue.png", Icon(&Choose(), "Upgrade_1"));
    // Locked variants: button inactive, lock shown.
    EXPECT_FALSE(Choose().GetComp("Upgrade_1")->active);
    EXPECT_TRUE(Visible(&Choose(), "Lock_1"));
    EXPECT_TRUE(Choose().GetComp("Upgrade_2")->active);
    EXPECT_FALSE(Visible(&Choose(), "Lock_2"));
    for (int k = 3; k < 6; k++)
        EXPECT_FALSE(Visible(&Choose(), ("Upgrade_" + std::to_string(k)).c_str())) << k;
    for (int k = 0; k < 6; k++)
        EXPECT_EQ(k == 2, Visible(&Choose(), ("Upgrade_" + std::to_string(k) + "_selector").c_str())) << k;
    EXPECT_EQ("Heavy Rounds", TextOf(&Choose(), "Name"));
    EXPECT_EQ("", TextOf(&Choose(), "Subtitle"));

    TapComp(&Choose(), "Upgrade_0");
    EXPECT_EQ("Minigun Trooper", TextOf(&Choose(), "Name"));
    EXPECT_EQ("Plain and simple", TextOf(&Choose(), "Desc"));
    EXPECT_TRUE(Choose().selection.IsEmpty());
    Click(&Choose(), "Upgrade_1");
    EXPECT_EQ("Fast Spin", TextOf(&Choose(), "Name"));
    EXPECT_EQ("Spins up quicker", TextOf(&Choose(), "Desc"));
    EXPECT_EQ("Minigun Trooper Upgrade", TextOf(&Choose(), "Subtitle"));
    Shot("choose-upgrade.png");
    for (int k = 0; k < 6; k++)
        EXPECT_EQ(k == 1, Visible(&Choose(), ("Upgrade_" + std::to_string(k) + "_selector").c_str())) << k;

    TapComp(&Choose(), "Select");
    EXPECT_TRUE(Choose().leaving);
    EXPECT_EQ("MG_FAST", Setup("Trooper_2", "active_upgrade"));
    EXPECT_EQ("MG_FAST", Setup("MinigunTrooper", "active_upgrade"));
    EXPECT_EQ("MG_FAST", Setup("MinigunTrooper", "1"));
    EXPECT_STREQ("MG_FAST", Arm().upgrades[2].Get());
    EXPECT_EQ("shop/blue.png", Icon(&Arm(), "Upgrade_2"));
    Run(30, 0.02f);
    EXPECT_FALSE(sman.IsScreenInStack(&Choose()));

    // Another slot with the same type and type index finds the choice.
    sman.SendScreenMessage(nullptr, &Choose(), "trooper_type_index", "1");
    sman.SendScreenMessage(nullptr, &Choose(), "trooper_type", "MinigunTrooper");
    sman.SendScreenMessage(nullptr, &Choose(), "trooper_index", "4");
    Open(&Choose());
    EXPECT_TRUE(Visible(&Choose(), "Upgrade_1_selector"));
    EXPECT_EQ("Fast Spin", TextOf(&Choose(), "Name"));
    Key(0xF01B);  // Escape acts as "Select"
    EXPECT_EQ("MG_FAST", Setup("Trooper_4", "active_upgrade"));
    Run(30, 0.02f);

    // "Select" on the squad writes every slot and closes.
    TapComp(&Arm(), "Select");
    EXPECT_TRUE(Arm().leaving);
    EXPECT_EQ("", Setup("Trooper_0", "active_upgrade"));  // nothing chosen when the squad was shown
    EXPECT_EQ("MG_FAST", Setup("Trooper_2", "active_upgrade"));
    EXPECT_EQ("MG_FAST", Setup("MinigunTrooper", "1"));
    EXPECT_EQ("", Setup("Trooper_1", "active_upgrade"));
    EXPECT_EQ("", Setup("ShotgunTrooper", "0"));
}

TEST_F(UpgradeScreensTest, ATypeWithoutVariantsShowsOnlyTheFirstSlot)
{
    sman.SendScreenMessage(nullptr, &Choose(), "trooper_type_index", nullptr);
    sman.SendScreenMessage(nullptr, &Choose(), "trooper_type", "SniperTrooper");
    sman.SendScreenMessage(nullptr, &Choose(), "trooper_index", "3");
    EXPECT_EQ(0, Choose().trooper_type_index);
    Open(&Choose());
    for (int k = 1; k < 6; k++)
        EXPECT_FALSE(Visible(&Choose(), ("Upgrade_" + std::to_string(k)).c_str())) << k;
    EXPECT_TRUE(Visible(&Choose(), "Upgrade_0_selector"));
    EXPECT_EQ("", TextOf(&Choose(), "Name"));  // no "VANILLA_SniperTrooper" node
}

TEST_F(UpgradeScreensTest, PickUpgrade)
{
    Entity *bunker = MakeBunker(456.0f);
    ASSERT_NE(nullptr, bunker);
    sman.SendScreenMessage(nullptr, &PickUp(), "a", "RADAR");
    sman.SendScreenMessage(nullptr, &PickUp(), "b", "NOTE");
    sman.SendScreenMessage(nullptr, &PickUp(), "c", "BUNKER_FORCEFIELD");
    Open(&PickUp());
    EXPECT_EQ("shop/white.png", Icon(&PickUp(), "A"));
    EXPECT_EQ("", Icon(&PickUp(), "B"));  // the note has no icon
    EXPECT_EQ("shop/blue.png", Icon(&PickUp(), "C"));
    EXPECT_EQ("Radar", TextOf(&PickUp(), "Name"));
    EXPECT_TRUE(Visible(&PickUp(), "SelectorA"));
    EXPECT_FALSE(Visible(&PickUp(), "SelectorB"));
    EXPECT_FALSE(Visible(&PickUp(), "SelectorC"));

    TapComp(&PickUp(), "B");
    EXPECT_EQ("Bunker at 46%, was 46%", TextOf(&PickUp(), "Desc"));  // replaced twice
    Shot("pick-upgrade.png");
    EXPECT_TRUE(Visible(&PickUp(), "SelectorB"));

    // The class buttons tell about their class; the pick (B) and its selector stay.
    struct Panel {
        const char *comp;
        const char *name;
    } panels[] = {
        {"Bazooka_Upgrades", ""}, {"Shotgun_Upgrades", ""}, {"Pyro_Upgrades", ""},  // not in the catalogue
        {"Sniper_Upgrades", ""},  {"Minigun_Upgrades", "Minigunner"},
    };
    for (const Panel &p : panels) {
        TapComp(&PickUp(), p.comp);
        EXPECT_EQ(p.name, TextOf(&PickUp(), "Name")) << p.comp;
        EXPECT_STREQ("NOTE", PickUp().selection.Get()) << p.comp;
        for (const char *s : {"SelectorA", "SelectorB", "SelectorC"})
            EXPECT_EQ(strcmp(s, "SelectorB") == 0, Visible(&PickUp(), s)) << p.comp << " " << s;
    }
    // "Take it" applies the offer that is picked, never a class.
    TapComp(&PickUp(), "Select");
    EXPECT_TRUE(game.IsFeatureActive("NOTE"));
    for (const char *cls : {"MINIGUN_TROOPER", "SHOTGUN_TROOPER", "BAZOOKA_TROOPER", "PYRO_TROOPER", "SNIPER_TROOPER"})
        EXPECT_FALSE(game.IsFeatureActive(cls)) << cls;
    EXPECT_TRUE(PickUp().leaving);
    Steps(60, 0.02f);  // gone

    Open(&PickUp());
    TapComp(&PickUp(), "C");
    TapComp(&PickUp(), "Select");
    EXPECT_FLOAT_EQ(12.0f, game.force_field_time);
    EXPECT_TRUE(PickUp().leaving);
    EXPECT_EQ(0, game.money_spent);
}

TEST_F(UpgradeScreensTest, BunkerHealthTextAndRequirements)
{
    EXPECT_STREQ("at 0% and 0%", ExpandBunkerHealth("at %BUNKER_HEALTH%% and %BUNKER_HEALTH%%").Get());
    Entity *bunker = MakeBunker(1000.0f);
    ASSERT_NE(nullptr, bunker);
    EXPECT_STREQ("100", ExpandBunkerHealth("%BUNKER_HEALTH%").Get());
    bunker->max_hit_points = 0.0f;
    EXPECT_STREQ("0", ExpandBunkerHealth("%BUNKER_HEALTH%").Get());
    bunker->max_hit_points = 1000.0f;
    bunker->hit_points = 333.0f;
    std::string long_text(300, 'x');
    nString whole = ExpandBunkerHealth((long_text + " %BUNKER_HEALTH%").c_str());
    EXPECT_EQ(long_text + " 33", whole.Get());  // shown whole

    EXPECT_EQ(1, PickUp().ProcessScreenMessage(nullptr, "requirementsMet", "=NO_FORCE_FIELD,ANYTHING"));
    EXPECT_EQ(1, PickUp().ProcessScreenMessage(nullptr, "requirementsMet", nullptr));
    game.force_field_time = 2.0f;
    EXPECT_EQ(0, PickUp().ProcessScreenMessage(nullptr, "requirementsMet", "=NO_FORCE_FIELD"));
    EXPECT_EQ(1, PickUp().ProcessScreenMessage(nullptr, "requirementsMet", "=CHAPTER_IS_ELSEWHERE"));
}

}  // namespace
