// Achievements: the table of "achievements/achievements.xml" (array ACHIEVEMENTS; id,
// name, desc, desc_post, icon), the unlocked ones recorded in the active profile's
// category ACHIEVEMENTS (entry = id, tag "1", game_center_ack "0" until the platform
// score service confirms), a queue of notices shown one after another for 2.75 s each
// along a dark band at nine tenths of the screen height, and the reports to the
// platform score service ("GameCenter" commands, replies as events 19 and 20). Scripts
// reach it through AM_UnlockAchievement, AM_IsAchievementUnlocked, AM_ShowAchievements.
//
// Main thread only.
#ifndef ONLINE_ACHIEVEMENTMAN_H
#define ONLINE_ACHIEVEMENTMAN_H

#include "narray.h"
#include "orvex.h"

class DMArray;
class DMNode;
class DMDatabase;

#define ACHIEVEMENTS_FILE "achievements/achievements.xml"
// Seconds a notice stays at the front of the queue.
#define ACHIEVEMENT_POPUP_TIME 2.75f

// One notice: the localised name (owned), the icon (one reference held) and the time
// since it reached the front of the queue.
class AchievementPopup {
public:
    AchievementPopup() = default;
    // The icon loaded by name, or the empty bitmap "!NONE" for a null name; the name
    // copied as given (null stays null and draws as empty text).
    AchievementPopup(const char *name, const char *icon);
    // Gives the icon back and frees the name.
    ~AchievementPopup();
    AchievementPopup(const AchievementPopup &) = delete;
    AchievementPopup &operator=(const AchievementPopup &) = delete;

    // Fills the notice from the achievement's node: its icon (or "!NONE") and its
    // localised name; nothing without the table.
    void LoadAndShow(const char *id);
    void Update(float dt) { timer += dt; }
    bool Shown() const { return timer > ACHIEVEMENT_POPUP_TIME; }
    // The band, the icon and the name (see achievement-popup.cpp); nothing without an
    // icon or without the text box template's font.
    void Draw();
    // Gives the icon back.
    void Unload();

    char *name = nullptr;
    ov_bitmap_t *icon = nullptr;
    float timer = 0.0f;
};

// Fade and slide of a notice at time t: alpha 0..1 and the slide in screen widths
// (-1 coming in, 0 at rest, 1 gone).
void AchievementPopupMotion(float t, float *alpha, float *slide);

class AchievementManager {
public:
    AchievementManager() = default;
    // Frees the queue without giving icons back: they are the engine's to free at its end.
    ~AchievementManager();
    AchievementManager(const AchievementManager &) = delete;
    AchievementManager &operator=(const AchievementManager &) = delete;

    // Reads the table; without the file or its array it stays uninitialized and
    // registers nothing. Otherwise registers the script functions, signs in with the
    // platform service when in use, reads the notification switch, records the texts
    // for translation and hangs itself off the screen framework.
    void Initialize();
    // Frees the queued notices and their icons and unhooks the manager; Initialize may
    // run again.
    void Shutdown();
    bool IsInitialized() const { return initialized_; }

    // Records the unlock in the active profile (see achievementman.cpp); the profiles
    // are not saved here.
    void UnlockAchievement(const char *id);
    bool IsAchievementUnlocked(const char *id);
    // The platform's list when its service is in use, else the screen "Achievements".
    void ShowAchievements();
    // "UnlockAchievement,<id>,<percent>" when the platform service is in use and there.
    void ReportAchievementProgress(const char *id, int percent);
    // The value of key in the achievement's node; null while uninitialized or unknown.
    const char *GetAchievementValue(const char *id, const char *key);
    int GetNumberOfUnlockedAchievements();
    const char *GetUnlockedAchievementByIndex(int index);

    // Queues a notice of that name and icon.
    void ShowPopup(const char *name, const char *icon);
    // Ages the front notice and drops it after 2.75 s.
    void UpdateAchievementPopups(float dt);
    // Draws the front notice, if any.
    void DrawAchievementPopups();
    int GetNumberOfQueuedPopups() const { return popups_.Count(); }
    AchievementPopup *GetPopup(int index) const;
    bool AreNotificationsOn() const { return notifications_on_; }

    // Events 19 (player signed in) and 20 (achievement reported); false while
    // uninitialized and, with the platform service in use, for other types.
    bool ProcessEvent(ov_event_t &event);

private:
    DMNode *FindNode(const char *id) const;
    void FreePopups();

    DMDatabase *database_ = nullptr;
    DMArray *achievements_ = nullptr;
    bool notifications_on_ = false;
    nArray<AchievementPopup *> popups_;
    bool initialized_ = false;
};

// Registers the AM_ script functions (achievementman-script.cpp), once per process.
void RegisterAchievementScriptFunctions();

// The one achievement manager.
extern AchievementManager achievement_man;

#endif
