// "FeatureUnlocked": up to three newly unlocked features, collected from the messages
// "UNLOCK_FEAT_<slot>" before the screen is pushed and shown one after another; its exit
// leads to a chapter's completion screen, back, or on to the next mission.
#include "game/screens/level-won.h"

#include "app/services/dataman.h"
#include "app/ui/screen-manager.h"
#include "app/ui/ui-comps.h"
#include "app/ui/widgets/ui-button.h"
#include "game/gamestate.h"
#include "game/trooper-classes.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <strings.h>

namespace {

const int kSlots = 3;

const float kIconX[kSlots][kSlots] = {{0.0f}, {-0.2f, 0.2f}, {-0.3f, 0.0f, 0.3f}};

UIComp *Indexed(Screen *screen, const char *format, int i)
{
    char name[64];
    snprintf(name, sizeof name, format, i);
    return screen->GetComp(name);
}

const char *Upgrade(const char *id, const char *key)
{
    return id ? dman().GetValue("shop.xml", "Upgrades", id, key) : nullptr;
}

// The number in the third '_'-separated part of the message; 0 when it is no number.
int SlotOfMessage(const char *message)
{
    const char *part = message;
    for (int i = 0; i < 2 && part; i++) {
        part = strchr(part, '_');
        if (part)
            part++;
    }
    return part ? atoi(part) : 0;
}

void SetTextOf(Screen *screen, const char *name, const char *text)
{
    if (UIComp *comp = screen->GetComp(name))
        sman.SetText(comp, "%s", text);
}

}  // namespace

ScreenFeatureUnlocked *GetFeatureUnlockedScreen()
{
    static ScreenFeatureUnlocked *screen = new ScreenFeatureUnlocked();
    return screen;
}

ScreenFeatureUnlocked::ScreenFeatureUnlocked() : Screen("FeatureUnlocked") {}

ScreenFeatureUnlocked::~ScreenFeatureUnlocked()
{
    for (char *&id : feature_ids) {
        free(id);
        id = nullptr;
    }
}

void ScreenFeatureUnlocked::HideIcons()
{
    for (int i = 0; i < kSlots; i++)
        sman.SetVisible(Indexed(this, "FeatureIcon_%i", i), false);
}

bool ScreenFeatureUnlocked::PreLoad()
{
    LoadUI("ui/feature-unlocked.lua");
    last_index = 1;
    exit_mode = 1;
    HideIcons();
    return true;
}

void ScreenFeatureUnlocked::Draw(float)
{
    DrawUI();
}

void ScreenFeatureUnlocked::Update(float) {}

void ScreenFeatureUnlocked::Enter()
{
    sman.SetVisible(GetComp("FeatureCount"), last_index > 0);
    current_index = 0;
    all_seen = false;
    SetTextOf(this, "Continue", "Next");
    ShowDescription(0);
}

void ScreenFeatureUnlocked::Leave()
{
    HideIcons();
}

void ScreenFeatureUnlocked::ShowDescription(int index)
{
    if (UIComp *count = GetComp("FeatureCount"))
        sman.SetText(count, "%d/%d", index + 1, last_index + 1);
    if (index >= last_index && !all_seen) {
        SetTextOf(this, "Continue", "Awesome!");
        all_seen = true;
    }
    const char *id = index >= 0 && index < kSlots ? feature_ids[index] : nullptr;
    UIComp *for_line = GetComp("FeatureFor");
    if (id) {
        const char *name = Upgrade(id, "name");
        const char *desc = Upgrade(id, "desc");
        if (const char *extra = dman().GetValue("missions.xml", "EXTRAS", id, "desc"))
            desc = extra;
        SetTextOf(this, "FeatureName", name ? name : "");
        SetTextOf(this, "FeatureDesc", desc ? desc : "");
        const char *types = Upgrade(id, "upgraded_ent_types");
        const TrooperClass *upgraded = TrooperClassOfType(types);
        const char *word = upgraded ? upgraded->word : nullptr;
        const char *type = Upgrade(id, "type");
        if (word) {
            sman.SetVisible(for_line, true);
            sman.SetText(for_line, "%s trooper update", word);
        } else if (type) {
            sman.SetVisible(for_line, true);
            sman.SetText(for_line, "%s", type);
        } else {
            sman.SetVisible(for_line, false);
        }
    } else {
        sman.SetVisible(for_line, false);
    }
    for (int i = 0; i < kSlots; i++)
        sman.SetVisible(Indexed(this, "feature_%i_selector", i), i == index);
}

int ScreenFeatureUnlocked::ProcessScreenMessage(Screen *, const char *message, const char *value)
{
    if (!message)
        return 1;
    if (strcmp(message, "EXIT_TO_GAME_COMPLETED") == 0)
        exit_mode = 2;
    else if (strcmp(message, "EXIT_TO_CHAPTER_1_COMPLETED") == 0)
        exit_mode = 3;
    else if (strcmp(message, "EXIT_TO_CHAPTER_2_COMPLETED") == 0)
        exit_mode = 4;
    if (!strstr(message, "UNLOCK"))
        return 1;
    if (value && value[0]) {
        const int n = SlotOfMessage(message);
        // Only three slots are shown; a further unlock stays granted but unseen.
        if (n < 0 || n >= kSlots) {
            exit_mode = 1;
            return 1;
        }
        last_index = n;
        for (int i = 0; i <= n; i++)
            if (UIComp *icon = Indexed(this, "FeatureIcon_%i", i))
                icon->position_x = kIconX[n][i];
        SetTextOf(this, "Pick text", n == 0 ? "Feature Unlocked!" : "Features Unlocked!");
        free(feature_ids[n]);
        feature_ids[n] = strdup(value);
        UICompButton *button = dynamic_cast<UICompButton *>(Indexed(this, "FeatureIcon_%i", n));
        const char *icon = Upgrade(value, "icon");
        if (button && icon && icon[0]) {
            button->SetIcon(ov->OV_GetBitmap(icon));
            sman.SetVisible(button, true);
        } else if (button) {
            button->SetIcon(ov->OV_GetBitmap("!NONE"));
        }
    }
    exit_mode = strcasecmp(message, "UNLOCK_AFTER_LEVEL") == 0 ? 0 : 1;
    return 1;
}

void ScreenFeatureUnlocked::GoOn()
{
    LeadOnAfterWin(this);
}

bool ScreenFeatureUnlocked::ProcessUICompClick(UIComp *comp, int)
{
    if (!comp || !comp->name)
        return false;
    for (int i = 0; i < kSlots; i++) {
        char name[32];
        snprintf(name, sizeof name, "FeatureIcon_%i", i);
        if (strcasecmp(comp->name, name) == 0) {
            ShowDescription(i);
            return true;
        }
    }
    if (strcasecmp(comp->name, "Continue") != 0)
        return false;
    if (!all_seen && current_index < last_index) {
        current_index++;
        ShowDescription(current_index);
        return true;
    }
    switch (exit_mode) {
    case 2: sman.PushScreen("Chapter_3_Completed", 0); break;
    case 3: sman.PushScreen("Chapter_1_Completed", 0); break;
    case 4: sman.PushScreen("Chapter_2_Completed", 0); break;
    case 0: GoOn(); break;
    default: sman.PopScreen(this, true); break;
    }
    return true;
}
