// The news screen "TalvikNews": the current news item's image flies in and settles at
// the size that fits the news area, and the close button fades in after it. Tapping the
// image opens the item's link (when it has one of more than 2 characters) and closes
// the screen; tapping "Close" just closes it. The first tap of a showing is reported to
// the analytics log ("TapYes" or "TapNo"). Layout from "ui/fw/talvik-news.lua", which
// holds an image "NewsImage" and a button "Close". Main thread only.
#ifndef ONLINE_NEWS_SCREEN_H
#define ONLINE_NEWS_SCREEN_H

#include "app/ui/screen.h"
#include "online/news-manager.h"

class ScreenTalvikNews : public Screen {
public:
    ScreenTalvikNews();

    bool PreLoad() override;
    void Draw(float dt) override;
    void Update(float dt) override;
    // Takes a copy of the news item (with a bitmap reference of its own) and starts the
    // animation.
    void Enter() override;
    // Gives the copy back.
    void Leave() override;
    bool ProcessUICompClick(UIComp *comp, int flags) override;
    // Every event stops here.
    int ProcessEvent(ov_event_t *event) override;

    // Places the image and the close button for time t (seconds since entry).
    void Animate();

    NewsManager::News news;
    bool answered = false;
    float base_scale = 1.0f;
    float anim_time = 0.0f;
};

// The one news screen (registered at start-up).
extern ScreenTalvikNews screen_talvik_news;

#endif
