// The switch screen "Transition": fades in over whatever is stacked, pops every screen
// below it after two fully shown frames, pushes the target directly below itself one
// frame later and fades out over it. Its components (the cover of
// "ui/fw/screen-transition.lua") are drawn at the switch's fade phase.
#include "app/ui/transition.h"

#include "app/ui/frame-services.h"
#include "app/ui/screen-manager.h"
#include "app/ui/ui-comps.h"
#include "app/ui/uiset.h"

#include <stdio.h>

ScreenTransition screen_transition;

ScreenTransition::ScreenTransition()
{
    SetName("Transition");
}

bool ScreenTransition::PreLoad()
{
    LoadUI("ui/fw/screen-transition.lua");
    return true;
}

void ScreenTransition::Enter()
{
    if (!preloaded.load(std::memory_order_acquire)) {
        preloaded.store(true, std::memory_order_release);
        PreLoad();
        total_num_screens_preloaded.fetch_add(1, std::memory_order_acq_rel);
    }
    anim_key = 0.0f;
    timer = 0.0;
    frame_counter = 0;
}

void ScreenTransition::Leave() {}

bool ScreenTransition::ProcessUICompClick(UIComp *, int)
{
    return true;
}

// The cover is as opaque as the switch has faded in: the old screens darken under it
// and the target comes up from under it as it fades out.
void ScreenTransition::Draw(float)
{
    if (ui)
        for (int i = 0; i < ui->comps.Count(); i++)
            ui->comps[i]->alpha = trans_phase;
    DrawUI();
    if (trans_phase >= 1.0f && !leaving)
        frame_counter++;
}

void ScreenTransition::Update(float dt)
{
    if (!leaving) {
        if (frame_counter == 2) {
            // Everything below this screen goes at once. A pop may push a follow-up or
            // the screen itself again, so the screens are taken from a copy first.
            nArray<Screen *> below;
            sman.CopyScreensBelow(this, &below);
            for (int i = 0; i < below.Count(); i++)
                sman.PopScreen(below[i], false);
            int index = sman.GetScreenIndexInStack(this);
            push_depth = index >= 0 ? sman.stack.Count() - index : 1;
        } else if (frame_counter > 2) {
            // Waiting news is shown before the target comes; while the news screen is on
            // top the switch waits, its time standing still. News that this moment does
            // not admit holds nothing up (it would wait for ever).
            if (frame_services.news_ready && frame_services.news_ready()) {
                if (target && frame_services.news_show) {
                    char event[300];
                    snprintf(event, sizeof event, "Before_%s", target->name ? target->name : "");
                    frame_services.news_show(event);
                }
                Screen *news = Screen::PeekScreen("TalvikNews");
                if (news && sman.IsScreenInStack(news))
                    return;
            }
            if (sman.IsNewsOnTop())
                return;
            // Directly below this screen, counted now: screens above it (the news) may
            // have come or gone since the others were popped.
            int index = sman.GetScreenIndexInStack(this);
            if (index >= 0)
                push_depth = sman.stack.Count() - index;
            if (target)
                sman.PushScreen(target, push_depth);
            leaving = true;
        }
    }
    Screen::Update(dt);
}
