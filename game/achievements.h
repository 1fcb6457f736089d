// The game's side of achievements: one global `achievements`. It decides when a
// finished mission has earned an achievement (from the game state and the active
// profile), records the unlock in the profile's tag list "achievement_queue", reports
// every unlock request to the online achievement manager and logs the first one to
// the analytics log. At mission end the queued unlocks are shown one by one on the
// popup screen "AchievementUnlocked" before the result screens. It also keeps a list
// of short on-screen notices (bitmap and text along the bottom of the screen), shown
// one at a time for two seconds each; a notice's bitmap is released when it expires.
//
// Thresholds come from "achievements/achievements.xml" (array "ACHIEVEMENTS", key
// "amount") at each check; an achievement without one is skipped.
//
// Main thread only.
#ifndef GAME_ACHIEVEMENTS_H
#define GAME_ACHIEVEMENTS_H

#include "narray.h"

struct ov_bitmap_t;

// Seconds a notice stays on screen.
#define ACHIEVEMENT_NOTICE_TIME 2.0f

class Achievements {
public:
    // One on-screen notice: its text (a copy of the achievement's "displayname", owned
    // here), its bitmap (one reference held) and its age in seconds.
    struct Notice {
        const char *text;
        ov_bitmap_t *bitmap;
        float age;
    };

    Achievements();
    // Frees the notice list (the bitmaps are the engine's to free at its end).
    ~Achievements();
    Achievements(const Achievements &) = delete;
    Achievements &operator=(const Achievements &) = delete;

    // True when the profile's "achievement_queue" holds the id.
    bool IsUnlocked(const char *id);
    // Reports the id to the achievement manager, always. The first time only, the id
    // joins "achievement_queue", the analytics event "achievement_unlocked" is logged
    // with key "id", and with notify a notice is queued with the unlock sound.
    void UnlockAchievement(const char *id, bool notify);
    // Acknowledges the first unacknowledged entry of "achievement_queue", sends its id
    // to the screen "AchievementUnlocked" ("unlock_item") and pushes that screen; false
    // when there is none.
    bool ShowNextAchievementPopup();

    // Ages the first notice; past two seconds its bitmap is released and it is removed.
    void UpdateAchievementNotifications(float dt);
    // Draws the first notice along the bottom of the screen (program pixels); nothing
    // without the world and its stock.
    void DrawAchievementNotifications();
    int GetNumberOfNotices() const { return notices_.Count(); }
    const Notice &GetNotice(int index) const { return notices_[index]; }

    // The checks at mission end (each runs the general checks last, see the .cpp).
    void CheckAchievementsAfterLevelWon();
    void CheckAchievementsAfterLevelLost();
    void CheckAchievementsAfterSurvivalOver();
    void CheckGeneralAchievements();
    // Called by the shop after each purchase; no achievement depends on purchases.
    void CheckAchievementsAfterPurchasing();

private:
    nArray<Notice> notices_;
};

// The alpha of a notice of age t: rises over the first half second, holds, falls over
// the last half second.
float AchievementNoticeAlpha(float t);

extern Achievements achievements;

#endif
