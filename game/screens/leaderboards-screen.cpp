// The local leaderboards screen (see leaderboards-screen.h).
#include "game/screens/leaderboards-screen.h"

#include "app/services/dataman.h"
#include "app/services/featureman.h"
#include "app/services/localization.h"
#include "app/services/prog.h"
#include "app/services/random.h"
#include "app/ui/screen-manager.h"
#include "app/ui/ui-comps.h"
#include "app/ui/widgets/ui-touchfield.h"
#include "online/leaderboards-manager.h"

#include "ovrecords.h"
#include "game/missions.h"

#include <ctype.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

namespace {

const char kDeveloperCategory[] = "JUNGLE_SURVIVAL";

int ScoreLimit(DMArray *ranks, int k)
{
    const char *limit = ranks ? ranks->GetNodeValue(k, "score_limit") : nullptr;
    return limit ? atoi(limit) : 0;
}

int LineHeight(ov_font_t *font)
{
    return font ? font->line_height - 2 : 0;
}

}  // namespace

ScreenLeaderboards *GetLeaderboardsScreen()
{
    static ScreenLeaderboards *screen = new ScreenLeaderboards();
    return screen;
}

ScreenLeaderboards::ScreenLeaderboards() : Screen("Leaderboards") {}

bool ScreenLeaderboards::PreLoad()
{
    LoadUI("ui/fw/leaderboards.lua");
    db = dman().GetDatabase(LEADERBOARDS_CATEGORIES_FILE);
    categories = db ? db->GetArray("CATEGORIES") : nullptr;
    if (!categories)
        return false;
    for (int i = 0; i < categories->GetSize(); i++)
        if (const char *key = categories->GetNodeValue(i, "display_name"))
            loc_man().Localize(key);
    DMNode *first = categories->GetNode(0);
    if (first)
        SetCategory(first->GetValue("id"));
    return true;
}

void ScreenLeaderboards::SetCategory(const char *category)
{
    ov->OV_Printf("Setting Leaderboards Category '%s'\n", category ? category : "(null)");
    if (prog.parms.developer_mode && (!categories || !categories->GetNode(category)))
        ov->OV_Popupf(1, "ScreenLeaderboards::SetCategory - category '%s' does not exist in leaderboards.xml.",
                      category ? category : "(null)");
    client = leaderboards_man.GetLeaderboardsForCategory(category ? category : "UNKNOWN");
    if (!client)
        return;
    if (UIComp *title = GetComp("CategoryTitle")) {
        const char *key = categories ? categories->GetNodeValue(client->GetCategory(), "display_name") : nullptr;
        sman.SetText(title, "%s", key ? loc_man().Localize(key) : "");
    }
    LoadScores(100);
}

void ScreenLeaderboards::LoadScores(int count)
{
    // A category that keeps one score per player lists each profile's best, once.
    if (leaderboards_man.IsOneScorePerPlayer(client->GetCategory()))
        leaderboards_man.ListPersonalBests(client);
    else
        client->Download(1, count, 0xffffff);
}

int ScreenLeaderboards::GetCategoryIndex()
{
    if (!client || !categories)
        return -1;
    return categories->GetNodeIndexById(client->GetCategory());
}

void ScreenLeaderboards::Draw(float)
{
    DrawUI();
    ov->OV_SetAlpha(1.0f);
    ov->OV_SetColor(1.0f, 1.0f, 1.0f);
    ov->OV_SetBlend(0);
}

void ScreenLeaderboards::DrawUIComp(UIComp *comp)
{
    if (comp && comp->name && strcmp(comp->name, "Scores") == 0)
        DrawScores(comp);
}

void ScreenLeaderboards::DrawScores(UIComp *comp)
{
    const float s = comp->GetDynamicScale();
    const vec2_t top_left = comp->GetAlignedPos();
    const float x0 = top_left.x, W = comp->width;
    ov->OV_SetAlpha(comp->GetStaticAlpha());
    ov->OV_SetColor(1.0f, 1.0f, 1.0f);
    ov->OV_SetBlend(0);

    float band_top = 0.0f, band_height = (float)prog.parms.height;
    if (UIComp *scissor = GetComp("Scissor")) {
        const vec2_t at = scissor->GetAlignedPos();
        ov->OV_SetScissorRect((int)at.x, (int)at.y, (int)scissor->width, (int)scissor->height);
        band_top = at.y;
        band_height = scissor->height;
    }
    ov_font_t *font = sman.default_font;
    ov->OV_SetTextTransform(s, s, 0.0f);
    const float h = s * (float)LineHeight(font);

    DMArray *ranks = client ? RankArray(client->GetCategory()) : nullptr;
    const int num_ranks = ranks ? ranks->GetSize() : 0;
    const int num_scores = client ? client->GetNumberOfScores() : 0;
    int k = num_ranks - 1;
    int n = 1;
    float y = top_left.y;
    auto row = [&](const char *name, int points) {
        if (font && y >= band_top - h && y < band_top + band_height) {
            ov->OV_SetTextAlign(0);
            ov->OV_DrawTextf(font, x0, y, "%d.", n);
            ov->OV_DrawTextf(font, x0 + (float)(int)(0.15f * W), y, "%s", name ? name : "");
            ov->OV_SetTextAlign(1);
            ov->OV_DrawTextf(font, x0 + W, y, "%d", points);
        }
        n++;
        y += h;
    };
    for (int j = 0; j < num_scores;) {
        LeaderboardScore *score = client->GetScoreByIndex(j);
        if (!score) {
            n++;
            y += h;
            j++;
            continue;
        }
        // No rank left: every remaining score is drawn.
        const int limit = k >= 0 ? ScoreLimit(ranks, k) : -1;
        if (k >= 0 && score->points < limit) {
            row(ranks->GetNodeValue(k, "name"), limit);
            k--;
            continue;
        }
        row(score->player, score->points);
        j++;
    }
    for (; k >= 0; k--)
        row(ranks->GetNodeValue(k, "name"), ScoreLimit(ranks, k));

    if (UICompTouchField *field = dynamic_cast<UICompTouchField *>(GetComp("TF")))
        field->SetContentHeight((float)(LineHeight(font) * (num_ranks + num_scores)));
    ov->OV_DisableScissorRect();
    ov->OV_SetTextTransform(1.0f, 1.0f, 0.0f);
    ov->OV_SetAlpha(1.0f);
    ov->OV_SetColor(1.0f, 1.0f, 1.0f);
    ov->OV_SetBlend(0);
}

void ScreenLeaderboards::Update(float)
{
    const int i = GetCategoryIndex();
    const int count = categories ? categories->GetSize() : 0;
    UIComp *prev = GetComp("PrevCategory");
    UIComp *next = GetComp("NextCategory");
    if (prev)
        prev->fading = i < 1;
    if (next)
        next->fading = i >= count - 1;
}

void ScreenLeaderboards::Enter() {}

void ScreenLeaderboards::Leave() {}

bool ScreenLeaderboards::ProcessUICompClick(UIComp *comp, int)
{
    if (!comp || !comp->name)
        return false;
    const char *name = comp->name;
    const int i = GetCategoryIndex();
    const int count = categories ? categories->GetSize() : 0;
    if (strcmp(name, "NextCategory") == 0 && i >= 0 && i < count - 1)
        SetCategory(categories->GetNode(i + 1)->id);
    if (strcmp(name, "PrevCategory") == 0 && i > 0)
        SetCategory(categories->GetNode(i - 1)->id);
    if (strcmp(name, "GameCenter") == 0 && feature_man.IsGameCenterEnabled())
        leaderboards_man.ShowLeaderboards(client ? client->GetCategory() : nullptr, "ALL_TIME", "GLOBAL");
    if (strcmp(name, "Download") == 0 && client)
        LoadScores(10);
    // Fake scores for trying the list out: a developer's button only.
    if (strcmp(name, "Submit50") == 0 && prog.parms.developer_mode) {
        client = leaderboards_man.GetLeaderboardsForCategory(kDeveloperCategory);
        for (int j = 0; j < 50; j++)
            leaderboards_man.SubmitScore(kDeveloperCategory, AppRandom() % 200000, 1000);
    }
    return true;
}

int ScreenLeaderboards::ProcessEvent(ov_event_t *)
{
    return 1;
}

int ScreenLeaderboards::ProcessScreenMessage(Screen *, const char *message, const char *value)
{
    if (message && strcmp(message, "SetCategory") == 0) {
        SetCategory(value);
        return 1;
    }
    return 0;
}
