// The news screen (see news-screen.h). The easing E(x) = cos(sin(x pi/2) pi/2) runs
// from 1 to 0: the image comes in from offset (1, -0.7), turned by 0.37 pi and at twice
// its size, reaches (0, 0.1) unturned at its base scale at 1 s, then sinks to (0, 0)
// at 0.9 times the base scale by 1.9 s.
#include "online/news-screen.h"

#include "app/services/small-maths.h"
#include "app/ui/screen-manager.h"
#include "app/ui/ui-comps.h"
#include "app/ui/widgets/ui-image.h"

#include "ovrecords.h"

#include <math.h>
#include <string.h>

ScreenTalvikNews screen_talvik_news;

namespace {

}  // namespace

Screen *GetNewsScreen()
{
    return &screen_talvik_news;
}

ScreenTalvikNews::ScreenTalvikNews()
{
    SetName(NEWS_SCREEN_NAME);
}

bool ScreenTalvikNews::PreLoad()
{
    LoadUI("ui/fw/talvik-news.lua");
    return true;
}

void ScreenTalvikNews::Draw(float)
{
    DrawUI();
    ov->OV_SetAlpha(1.0f);
    ov->OV_SetColor(1.0f, 1.0f, 1.0f);
    ov->OV_SetBlend(0);
}

void ScreenTalvikNews::Update(float dt)
{
    Screen::Update(dt);
    anim_time += dt;
    Animate();
}

void ScreenTalvikNews::Enter()
{
    news = news_man.CopyNews();
    UIComp *image = GetCompOfType("NewsImage", UICOMP_IMAGE);
    if (news.valid && image) {
        UICompImage *kind = static_cast<UICompImage *>(image);
        kind->SetBitmap(news.bitmap);
        kind->scale = 1.0f;
        kind->UpdateDimensions();
        // A component without a size cannot be fitted: it keeps scale 1.
        if (kind->width > 0.0f && kind->height > 0.0f) {
            float sx = (float)news_man.GetNewsAreaWidth() / kind->width;
            float sy = (float)news_man.GetNewsAreaHeight() / kind->height;
            base_scale = sx < sy ? sx : sy;
        } else {
            base_scale = 1.0f;
        }
    }
    if (news.valid)
        sman.SetText(GetComp("Close"), "%s", news.skip_text ? news.skip_text : "");
    anim_time = 0.0f;
    answered = false;
    Animate();
}

void ScreenTalvikNews::Leave()
{
    news.Clear();
}

void ScreenTalvikNews::Animate()
{
    float t = anim_time;
    if (UIComp *image = GetComp("NewsImage")) {
        float a = Clamp01(t);
        if (t < 1.25f) {
            image->position_offset_x = 1.0f - EaseInOut(a);
            image->position_offset_y = 0.1f - 0.8f * (1.0f - EaseInOut(a));
            image->angle = EaseInOut(1.0f - a) * kPi * 0.37f;
            image->scale = base_scale * (1.0f + EaseInOut(1.0f - t));
        } else {
            float b = Clamp01(2.0f * (t - 1.4f));
            image->position_offset_x = 0.0f;
            image->angle = 0.0f;
            image->position_offset_y = 0.1f * EaseInOut(1.0f - b);
            image->scale = base_scale * (1.0f - 0.1f * EaseInOut(b));
        }
        image->alpha = trans_phase;
    }
    if (UIComp *close = GetComp("Close")) {
        close->fading = t < 1.95f;
        if (t < 1.0f)
            close->fading_akey = 0.0f;
    }
}

bool ScreenTalvikNews::ProcessUICompClick(UIComp *comp, int)
{
    if (!comp || !comp->name)
        return false;
    if (strcmp(comp->name, "NewsImage") == 0) {
        if (!news.valid || !news.link || strlen(news.link) <= 2)
            return true;
        ov->OV_CallExtension("OpenURL", news.link);
        if (!answered) {
            news_man.SendEventToAnalyst("TapYes");
            answered = true;
        }
        sman.PopScreen(this, true);
        return true;
    }
    if (strcmp(comp->name, "Close") == 0) {
        if (!answered) {
            news_man.SendEventToAnalyst("TapNo");
            answered = true;
        }
        sman.PopScreen(this, true);
        return true;
    }
    return false;
}

int ScreenTalvikNews::ProcessEvent(ov_event_t *)
{
    return 1;
}
