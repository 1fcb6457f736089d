// The achievement manager: the table, unlocks recorded in the active profile, the queue
// of notices and the platform score service's commands and replies. The notices'
// drawing is in achievement-popup.cpp, the script functions in achievementman-script.cpp.
#include "online/achievementman.h"

#include "app/services/dataman.h"
#include "app/services/featureman.h"
#include "app/services/localization.h"
#include "app/services/prog.h"
#include "app/services/profiles.h"
#include "app/ui/frame-services.h"
#include "app/ui/screen-manager.h"
#include "app/ui/screen.h"

#include <stdio.h>
#include <string.h>

AchievementManager achievement_man;

namespace {

const char kCategory[] = "ACHIEVEMENTS";

bool PlatformInUse()
{
    return feature_man.IsGameCenterEnabled();
}

bool PlatformAvailable()
{
    return ov->OV_CallExtension("GameCenter", "IsAvailable") != nullptr;
}

void SendUnlock(const char *id, int percent)
{
    char command[512];
    snprintf(command, sizeof command, "UnlockAchievement,%s,%d", id, percent);
    ov->OV_CallExtension("GameCenter", command);
}

bool HookEnabled()
{
    return achievement_man.IsInitialized();
}
void HookUpdate(float dt)
{
    achievement_man.UpdateAchievementPopups(dt);
}
void HookDraw()
{
    achievement_man.DrawAchievementPopups();
}
bool HookEvent(ov_event_t &event)
{
    return achievement_man.ProcessEvent(event);
}

}  // namespace

AchievementManager::~AchievementManager()
{
    for (int i = 0; i < popups_.Count(); i++) {
        popups_[i]->icon = nullptr;
        delete popups_[i];
    }
}

void AchievementManager::Initialize()
{
    ov->OV_Printf("AchievementManager Initializing.\n");
    database_ = dman().GetDatabase(ACHIEVEMENTS_FILE);
    achievements_ = database_ ? database_->GetArray(kCategory) : nullptr;
    if (!achievements_)
        return;
    RegisterAchievementScriptFunctions();
    if (PlatformInUse())
        ov->OV_CallExtension("GameCenter", "Authenticate");
    notifications_on_ = !feature_man.ProductFeatureExists("HIDE_ACHIEVEMENT_NOTIFICATIONS");
    LocalizationManager &loc = loc_man();
    loc.LocalizeComment("Achievement texts");
    loc.LocalizeNewLine();
    for (int i = 0; i < achievements_->GetSize(); i++) {
        DMNode *node = achievements_->GetNode(i);
        loc.Localize(node->GetValue("name"));
        loc.Localize(node->GetValue("desc"));
        loc.Localize(node->GetValue("desc_post"));
    }
    loc.LocalizeNewLine();
    initialized_ = true;
    frame_services.notices_enabled = HookEnabled;
    frame_services.notices_update = HookUpdate;
    frame_services.notices_draw = HookDraw;
    sman.AddServiceEventHandler(HookEvent);
}

void AchievementManager::Shutdown()
{
    FreePopups();
    if (frame_services.notices_update == HookUpdate) {
        frame_services.notices_enabled = nullptr;
        frame_services.notices_update = nullptr;
        frame_services.notices_draw = nullptr;
    }
    initialized_ = false;
    notifications_on_ = false;
    database_ = nullptr;
    achievements_ = nullptr;
}

void AchievementManager::FreePopups()
{
    for (int i = 0; i < popups_.Count(); i++)
        delete popups_[i];
    popups_.Clear();
}

DMNode *AchievementManager::FindNode(const char *id) const
{
    return achievements_ && id ? achievements_->GetNode(id) : nullptr;
}

void AchievementManager::UnlockAchievement(const char *id)
{
    if (!initialized_)
        return;
    if (!FindNode(id)) {
        if (prog.parms.developer_mode)
            ov->OV_Popupf(1, "AchievementManager::UnlockAchievement: Unknown Achievement id '%s'\n", id ? id : "");
        return;
    }
    if (!prof)
        return;
    bool unlocked_before = prof->TagExists(kCategory, id);
    // Every unlock counts as unconfirmed, so the next sign-in reports it again.
    prof->SetValue(kCategory, id, "game_center_ack", "0");
    if (unlocked_before)
        return;
    prof->AddTag(kCategory, id);
    if (notifications_on_) {
        AchievementPopup *popup = new AchievementPopup;
        popup->LoadAndShow(id);
        popups_.SetShrink(true);
        popups_.InsertLast(popup);
    }
    if (PlatformInUse())
        SendUnlock(id, 100);
}

bool AchievementManager::IsAchievementUnlocked(const char *id)
{
    return initialized_ && prof && id && prof->TagExists(kCategory, id);
}

void AchievementManager::ShowAchievements()
{
    if (PlatformInUse()) {
        ov->OV_CallExtension("GameCenter", "ShowAchievements");
        return;
    }
    if (Screen *screen = Screen::PeekScreen("Achievements"))
        sman.PushScreen(screen, 0);
}

void AchievementManager::ReportAchievementProgress(const char *id, int percent)
{
    if (id && PlatformInUse() && PlatformAvailable())
        SendUnlock(id, percent);
}

const char *AchievementManager::GetAchievementValue(const char *id, const char *key)
{
    if (!initialized_)
        return nullptr;
    DMNode *node = FindNode(id);
    return node ? node->GetValue(key) : nullptr;
}

int AchievementManager::GetNumberOfUnlockedAchievements()
{
    return prof ? prof->GetNumberOfValuesInCategory(kCategory) : 0;
}

const char *AchievementManager::GetUnlockedAchievementByIndex(int index)
{
    return prof ? prof->GetValueNameByIndex(kCategory, index) : nullptr;
}

void AchievementManager::ShowPopup(const char *name, const char *icon)
{
    popups_.SetShrink(true);
    popups_.InsertLast(new AchievementPopup(name, icon));
}

void AchievementManager::UpdateAchievementPopups(float dt)
{
    if (popups_.Count() == 0)
        return;
    AchievementPopup *front = popups_[0];
    front->Update(dt);
    if (front->Shown()) {
        popups_.SetShrink(true);
        popups_.Remove(0);
        delete front;
    }
}

void AchievementManager::DrawAchievementPopups()
{
    if (popups_.Count() > 0)
        popups_[0]->Draw();
}

AchievementPopup *AchievementManager::GetPopup(int index) const
{
    return index >= 0 && index < popups_.Count() ? popups_[index] : nullptr;
}

bool AchievementManager::ProcessEvent(ov_event_t &event)
{
    if (!initialized_)
        return false;
    if (!PlatformInUse())
        return true;
    if (event.type == OV_EVENT_SERVICE_20) {
        // Word 1 the id, the first byte of word 2 the success flag.
        const char *id = (const char *)event.ptr;
        uint8_t success = 0;
        memcpy(&success, &event.x, 1);
        if (success && id && prof) {
            prof->AddTag(kCategory, id);
            prof->SetValue(kCategory, id, "game_center_ack", "1");
        }
        return true;
    }
    if (event.type == OV_EVENT_SERVICE_19) {
        // The byte after the type the success flag, word 2 the uid, the alias in word 5.
        if (event.index && prof) {
            prof->SetValue("GAME_CENTER", "profile", "uid", (const char *)event.ptr2);
            prof->SetValue("GAME_CENTER", "profile", "alias", (const char *)event.list);
            if (PlatformAvailable()) {
                for (int i = 0; i < prof->GetNumberOfValuesInCategory(kCategory); i++) {
                    const char *id = prof->GetValueNameByIndex(kCategory, i);
                    const char *ack = prof->GetValue(kCategory, id, "game_center_ack");
                    if (id && !(ack && ack[0] == '1'))
                        SendUnlock(id, 100);
                }
            }
        }
        return true;
    }
    return false;
}
