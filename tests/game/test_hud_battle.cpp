// The battle HUD read back from the headless renderer: the LEVEL panel with its notches,
// gliding marker and stars, the star-lost bursts, the wave banners (with "FINAL WAVE"),
// what remains after a loss, the SURVIVAL panel, the score, the loss and tactical
// captions, and the tactical-pause buttons. The fixture's panel is 400 x 40 at
// (312, 20): its bar runs from x 332 over 360 units along the centre line y 40.
#include "tests/game/hud_fixture.h"

#include "app/ui/parts.h"
#include "app/ui/screen-manager.h"
#include "game/entities/stock.h"
#include "game/gamestate.h"
#include "game/scape.h"
#include "ovrecords.h"

#include <gtest/gtest.h>
#include <string.h>

#include <string>
#include <utility>
#include <vector>

namespace {

using hudtest::CountPixels;
using hudtest::HudTest;
using hudtest::Near;
using hudtest::White;
using widgettest::Frame;
using widgettest::LitBox;
using widgettest::Rgba;

const float kBarX = 332.0f;
const float kBarLength = 360.0f;

ov_font_t *Font(bool large = false)
{
    Stock *stock = GetScape()->stock;
    return large ? stock->font_large : stock->font_medium;
}

// Where "Wave N" stands: under the panel (bottom at y 60), on a plate 8 units wider than
// the text each side, centred on x but kept within the panel's ends (312 .. 712).
float CaptionX(float x, int wave)
{
    ov->OV_SetTextTransform(1.0f, 1.0f, 0.0f);
    const float half = ov->OV_GetTextWidthf(Font(), "Wave %d", wave) / 2.0f + 8.0f;
    return x < 312.0f + half ? 312.0f + half : (x > 712.0f - half ? 712.0f - half : x);
}

// Centre x of the marker (red) on the centre line; -1 when it is not drawn.
float MarkerX(const Frame &f)
{
    auto box = LitBox(f, 0, 30, 1023, 50, Near(hudtest::kMarker));
    return box[0] < 0 ? -1.0f : (box[0] + box[2]) / 2.0f;
}

// Notches (blue runs) along row 33, above the marker's reach.
std::vector<float> Notches(const Frame &f)
{
    std::vector<float> out;
    int start = -1;
    for (int x = 0; x <= f.w; x++) {
        bool blue = x < f.w && Near(hudtest::kNotch)(f.At(x, 33));
        if (blue && start < 0)
            start = x;
        if (!blue && start >= 0) {
            out.push_back((start + x - 1) / 2.0f);
            start = -1;
        }
    }
    return out;
}

class HudDrawTest : public HudTest {
protected:
    void Level(int waves)
    {
        game.parms.game_mode = GAME_MODE_LEVEL;
        game.num_waves = waves;
        game.num_wave_nodes = waves + 1;
        game.wave_script_pos = 1;
        game.wave_number = 1;
        game.level_number_shown = 1.0f;
    }
    Frame DrawHud()
    {
        return Draw([] { game.Draw(); });
    }
};

TEST_F(HudDrawTest, LevelPanelNotchesGlidingMarkerAndStars)
{
    Level(5);
    // v = level number shown; the marker eases from notch k - 1 to notch k as v passes k.
    struct Case {
        float shown;
        float marker_x;
    } cases[] = {
        {0.5f, kBarX},                     // below 1: at the first notch
        {1.0f, kBarX},
        {2.0f, kBarX + 90.0f},
        {2.5f, kBarX + 90.0f + 0.5560f * 90.0f},  // 1 - cos(sin(pi/4) pi/2)
        {3.9f, kBarX + 2 * 90.0f + 0.98066f * 90.0f},
        {5.0f, kBarX + 4 * 90.0f},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.shown);
        game.level_number_shown = c.shown;
        game.wave_number = (int)c.shown;
        Frame f = DrawHud();
        ASSERT_GT(f.w, 0);
        if (c.shown == 2.5f)
            Shot(f, "level-panel.png");
        EXPECT_NEAR(MarkerX(f), c.marker_x, 1.5f);
        // The panel itself, beside the bar.
        EXPECT_TRUE(Near(hudtest::kPanel)(f.At(318, 24)));
        // "Wave %d" under the panel, below the marker but never past the panel's ends.
        EXPECT_EQ(LitBox(f, 0, 44, 1023, 59, White)[0], -1) << "a caption on the panel";
        auto caption = LitBox(f, 0, 61, 1023, 100, White);
        ASSERT_NE(caption[0], -1);
        EXPECT_NEAR((caption[0] + caption[2]) / 2.0f, CaptionX(c.marker_x, (int)c.shown < 1 ? 1 : (int)c.shown), 4.0f);
    }
    // Five notches 90 apart (the marker between two of them).
    game.level_number_shown = 2.5f;
    Frame f = DrawHud();
    std::vector<float> notches = Notches(f);
    ASSERT_EQ(notches.size(), 5u);
    for (int i = 0; i < 5; i++)
        EXPECT_NEAR(notches[i], kBarX + 90.0f * i, 1.0f);
    // Five stars of 20, 17 units apart, over the dimmed background, left of the panel.
    auto stars = LitBox(f, 0, 20, 311, 60, Near(hudtest::kStar));
    const float x0 = 0.163f * 1024.0f;
    EXPECT_NEAR(stars[0], x0 + (-10.0f) * 0.85f - 10.0f, 1.5f);
    EXPECT_NEAR(stars[2], x0 + (4 * 20.0f - 10.0f) * 0.85f + 10.0f, 1.5f);
    EXPECT_NEAR((stars[1] + stars[3]) / 2.0f, 40.0f, 1.0f);
    // The background at 0.66 over the grey: 0.34 x 100 + 0.66 x (0, 160, 0).
    auto bg = LitBox(f, 0, 20, 311, 60, Near({34, 140, 34, 255}));
    ASSERT_NE(bg[0], -1);
    EXPECT_NEAR((bg[0] + bg[2]) / 2.0f, x0 + 25.5f, 1.5f);
}

TEST_F(HudDrawTest, FewerThanTwoWavesShowNeitherPanelCaptionNorStars)
{
    for (int waves : {0, 1}) {
        SCOPED_TRACE(waves);
        Level(waves);
        Frame f = DrawHud();
        EXPECT_EQ(CountPixels(f, 0, 0, 1023, 120, Near(hudtest::kPanel)), 0);
        EXPECT_EQ(LitBox(f, 0, 0, 1023, 767, Near(hudtest::kMarker))[0], -1);
        EXPECT_EQ(LitBox(f, 0, 0, 1023, 767, Near(hudtest::kStar))[0], -1);
        EXPECT_EQ(LitBox(f, 0, 0, 1023, 767, White)[0], -1);
    }
}

TEST_F(HudDrawTest, OneStarLostBurstPerLostStarFromTheHighestDown)
{
    Level(3);
    PartMan *top = GetScape()->top_parts;
    ASSERT_NE(top, nullptr);
    ASSERT_NE(GetScape()->stock->fx_star_lost[0], nullptr);
    const float x0 = 0.163f * 1024.0f;
    struct Case {
        int troopers_lost;
        uint16_t shown_before;
        int rating;                   // current rating and stars drawn
        std::vector<int> burst_stars;  // star numbers that burst, in order
    } cases[] = {
        {0, 5, 5, {}},
        {1, 5, 4, {5}},
        {3, 5, 2, {5, 4, 3}},
        {2, 3, 3, {}},  // already shown
        {0, 3, 5, {}},  // the rating rose: shown again, nothing bursts
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.troopers_lost * 10 + c.shown_before);
        game.troopers_lost = c.troopers_lost;
        game.star_rating = c.shown_before;
        int before = top->GetLiveCount();
        Frame f = DrawHud();
        ASSERT_EQ(top->GetLiveCount() - before, (int)c.burst_stars.size());
        // The new bursts are the last particles, in spawn order.
        std::vector<float> xs;
        for (part_t *p = top->FirstLive(); p; p = top->NextLive(p))
            xs.push_back(p->x);
        for (size_t i = 0; i < c.burst_stars.size(); i++) {
            float expected = x0 + ((c.burst_stars[i] - 1) * 20.0f / 2.0f + 30.0f) * 0.85f;
            EXPECT_NEAR(xs[before + i], expected, 0.01f);
            EXPECT_NEAR(top->FirstLive()->y, 40.0f, 0.01f);
        }
        EXPECT_EQ(game.star_rating, c.rating);
        // The stars drawn: rating x 20 wide, 17 apart.
        auto stars = LitBox(f, 0, 20, 311, 60, Near(hudtest::kStar));
        EXPECT_NEAR(stars[2] - stars[0] + 1, (c.rating - 1) * 17 + 20, 2);
        if (c.burst_stars.size() == 3)
            Shot(f, "stars-two-left.png");
        // Drawn again: nothing more bursts.
        before = top->GetLiveCount();
        DrawHud();
        EXPECT_EQ(top->GetLiveCount(), before);
    }
}

// The title banners a frame shows, as DrawTitle calls (title, large font).
typedef std::vector<std::pair<std::string, bool>> Titles;

// The "FINAL WAVE" banner comes when the last wave of a LEVEL script starts (the script
// spent: position = node count), with the wave's title; its band sits right above the
// title's. The other titles are drawn alone.
TEST_F(HudDrawTest, WaveBannersIncludingFinalWave)
{
    struct Case {
        const char *name;
        int mode, script_pos, nodes, wave, waves;
        const char *text;
        bool lost;
        float phase;
        bool final_wave;  // the "FINAL WAVE" banner above the titles below
        Titles titles;
    } cases[] = {
        {"a wave", 3, 2, 4, 2, 3, nullptr, false, 0.5f, false, {{"Wave 2", false}}},
        {"next to last node", 3, 3, 4, 2, 3, nullptr, false, 0.5f, false, {{"Wave 2", false}}},
        {"script spent", 3, 4, 4, 2, 3, nullptr, false, 0.5f, true, {{"Wave 2", false}}},
        {"script spent, last wave", 3, 4, 4, 3, 3, nullptr, false, 0.5f, true, {{"Final Wave", true}}},
        {"last wave, script not spent", 3, 2, 4, 3, 3, nullptr, false, 0.5f, false, {{"Final Wave", true}}},
        {"banner text", 3, 4, 4, 3, 3, "The pack", false, 0.5f, true, {{"The pack", false}}},
        {"fading", 3, 4, 4, 3, 3, "The pack", false, 0.3f, true, {{"The pack", false}}},
        {"lost when the script was spent", 3, 4, 4, 2, 3, nullptr, true, 0.5f, true, {}},
        {"lost", 3, 2, 4, 2, 3, "Reinforcements", true, 0.5f, false, {}},
        {"survival, script spent", 1, 4, 4, 7, 0, nullptr, false, 0.5f, false, {{"Wave 7", false}}},
        {"survival, number of waves", 1, 3, 4, 3, 3, nullptr, false, 0.3f, false, {{"Wave 3", false}}},
        {"idle", 3, 4, 4, 2, 3, nullptr, false, 0.0f, false, {}},
    };
    const float small_band = (float)Font()->line_height + 18.0f;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        gametest::ResetGameState();
        game.parms.game_mode = c.mode;
        game.wave_script_pos = c.script_pos;
        game.num_wave_nodes = c.nodes;
        game.wave_number = c.wave;
        game.num_waves = c.waves;
        game.wave_banner_text = c.text;
        game.lost = c.lost;
        game.wave_banner_phase = c.phase;
        Frame f = DrawHud();
        if (std::string(c.name) == "banner text")
            Shot(f, "banner-final-wave.png");
        // The titles below, drawn as DrawTitle draws them, with the "FINAL WAVE" banner
        // moved up by half of each band (alone, it stays on the line of the titles).
        const Titles titles = c.titles;
        const float phase = c.phase;
        const bool final_wave = c.final_wave;
        float title_band = 0.0f;
        if (!titles.empty())
            title_band = titles[0].second ? (float)Font(true)->line_height + 18.0f : small_band;
        const float lift = titles.empty() ? 0.0f : (title_band + small_band) / 2.0f;
        Frame expected = Draw([&titles, phase, final_wave, lift] {
            if (final_wave) {
                const float up[16] = {1, 0, 0, 0, 0, 1, 0, -lift, 0, 0, 1, 0, 0, 0, 0, 1};
                nTransform t;
                memcpy(t.m, up, sizeof t.m);
                ov->OV_PushTransform(&t);
                game.DrawTitle("FINAL WAVE", nullptr, phase, false);
                ov->OV_PopTransform();
            }
            for (const auto &t : titles)
                game.DrawTitle(t.first.c_str(), nullptr, phase, t.second);
        });
        // The band's rows (0.7 x 768 = 537.6) hold only the banners.
        int differing = 0;
        for (int y = 440; y < 640; y++)
            for (int x = 0; x < 1024; x++)
                differing += f.At(x, y) != expected.At(x, y);
        EXPECT_EQ(differing, 0);
        // Each band lets 1 - 0.8 a of the grey through, a = 0.985 at phase 0.5 and 0.696
        // at 0.3: one band darkens it to about 21 (44); the bands never overlap.
        const double pass = 1.0 - 0.8 * (phase == 0.5f ? 0.985 : 0.696);
        const int bands = (int)titles.size() + (final_wave ? 1 : 0);
        auto dark = LitBox(f, 2, 300, 6, 767, [](const Rgba &p) { return p[0] < 90; });
        if (bands == 0) {
            EXPECT_EQ(dark[0], -1);
            continue;
        }
        EXPECT_NEAR(f.At(4, 537)[0], 100 * pass, 3);
        const float height = (titles.empty() ? 0.0f : title_band) + (final_wave ? small_band : 0.0f);
        EXPECT_NEAR(dark[3] - dark[1] + 1, height, 1.5f);
        for (int y = dark[1]; y <= dark[3]; y++)
            EXPECT_NEAR(f.At(4, y)[0], 100 * pass, 3) << y;
        // A readable white title in each band.
        if (phase == 0.5f) {
            const int split = dark[1] + (final_wave && !titles.empty() ? (int)small_band : 0);
            EXPECT_NE(LitBox(f, 0, dark[1], 1023, dark[3], White)[0], -1);
            if (final_wave && !titles.empty()) {
                EXPECT_NE(LitBox(f, 0, dark[1], 1023, split - 1, White)[0], -1);
                EXPECT_NE(LitBox(f, 0, split, 1023, dark[3], White)[0], -1);
            }
        }
    }
}

TEST_F(HudDrawTest, TitleBandAndSubtitle)
{
    ov_font_t *font = Font();
    ASSERT_NE(font, nullptr);
    struct Case {
        const char *subtitle;
        float phase;
        float band_centre, band_height;
        int grey;  // the band over the grey at x 4
    } cases[] = {
        {nullptr, 0.5f, 537.6f, font->line_height + 18.0f, 21},
        {"Sub", 0.5f, 517.6f, font->line_height + 45.0f, 21},
        {nullptr, 1.0f, 537.6f, 0, 100},  // the envelope is back at 0
        {nullptr, -0.5f, 537.6f, 0, 100},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.subtitle ? c.subtitle : "none");
        Frame f = Draw([&c] { game.DrawTitle("Title", c.subtitle, c.phase, false); });
        auto dark = LitBox(f, 2, 0, 6, 767, [](const Rgba &p) { return p[0] < 90; });
        if (c.band_height == 0) {
            EXPECT_EQ(dark[0], -1);
            continue;
        }
        EXPECT_NEAR(f.At(4, (int)c.band_centre)[0], c.grey, 3);
        EXPECT_NEAR(dark[3] - dark[1] + 1, c.band_height, 1.5f);
        EXPECT_NEAR((dark[1] + dark[3] + 1) / 2.0f, c.band_centre, 1.0f);
        auto text = LitBox(f, 0, 0, 1023, 767, White);
        ASSERT_NE(text[0], -1);
        EXPECT_NEAR((text[0] + text[2]) / 2.0f, 512.0f, 3.0f);
        if (c.subtitle) {
            // The subtitle at half size 27 below the title.
            EXPECT_GT(text[3], c.band_centre + 27.0f);
        }
    }
    // An empty title draws nothing.
    Frame f = Draw([] { game.DrawTitle("", nullptr, 0.5f, true); });
    EXPECT_EQ(f.At(4, 537)[0], 100);
}

TEST_F(HudDrawTest, AfterTheLossOnlyThePanelAndTheCaptionRemain)
{
    struct Case {
        const char *name;
        int mode;
        bool no_troopers;
        float lose_timer;
        const char *caption;  // null: none
        float scale;
    } cases[] = {
        {"troopers dead", 3, true, 5.0f, "All troopers dead", 1.2f},
        {"swelling", 3, true, 3.5f, "All troopers dead", 0.95f},  // q = -0.5, a = 0.75
        {"just lost", 3, true, 2.0f, nullptr, 0},                 // a = 0
        {"gone", 3, true, 8.0f, nullptr, 0},
        {"hospitals", 6, false, 5.0f, "All Field Hospitals Lost", 1.2f},
        {"survival, bunker", 1, false, 5.0f, nullptr, 0},
        {"survival, troopers", 1, true, 5.0f, "All troopers dead", 1.2f},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        gametest::ResetGameState();
        if (c.mode == 3) {
            Level(5);
            game.wave_script_pos = 3;  // not the last node
        } else {
            game.parms.game_mode = c.mode;
        }
        game.wave_banner_phase = 0.5f;
        game.lost = 1;
        game.lost_no_troopers = c.no_troopers;
        game.lose_timer = c.lose_timer;
        Frame f = DrawHud();
        if (std::string(c.name) == "troopers dead")
            Shot(f, "lost.png");
        auto caption = LitBox(f, 0, 300, 1023, 470, White);
        if (!c.caption) {
            EXPECT_EQ(caption[0], -1);
        } else {
            ASSERT_NE(caption[0], -1);
            ov->OV_SetTextTransform(1.0f, 1.0f, 0.0f);
            const float width = ov->OV_GetTextWidthf(Font(), "%s", c.caption) * c.scale;
            EXPECT_NEAR(caption[2] - caption[0] + 1, width, 6.0f);
            EXPECT_NEAR((caption[0] + caption[2]) / 2.0f, 512.0f, 3.0f);
        }
        // No banner, no stars.
        EXPECT_EQ(f.At(4, 537)[0], 100);
        EXPECT_EQ(LitBox(f, 0, 0, 1023, 767, Near(hudtest::kStar))[0], -1);
        EXPECT_EQ(LitBox(f, 0, 0, 1023, 767, Near({34, 140, 34, 255}))[0], -1);
        if (c.mode == 3) {
            // The panel stays, with its notches and marker.
            EXPECT_TRUE(Near(hudtest::kPanel)(f.At(318, 24)));
            EXPECT_EQ(Notches(f).size(), 5u);
            EXPECT_NEAR(MarkerX(f), kBarX, 1.5f);
        }
    }
}

TEST_F(HudDrawTest, SurvivalPanel)
{
    struct Case {
        const char *name;
        int interval, counter;
        bool pending;
        float countdown, delay;
        int notches;
        float marker_x;
        bool caption;
    } cases[] = {
        {"between waves", 5, 7, false, 4.0f, 10.0f, 6, kBarX + 2 * 72.0f + 43.2f, true},
        {"before the first wave", 5, 0, false, 0.25f, 10.0f, 6, kBarX + 54.0f, false},
        {"reinforcement pending", 5, 5, true, 10.0f, 10.0f, 6, kBarX + 360.0f, true},
        {"countdown below zero", 5, 3, false, -2.0f, 10.0f, 6, kBarX + 3 * 72.0f + 72.0f, true},
        {"interval 0", 0, 3, false, 4.0f, 10.0f, 0, kBarX, true},
        {"negative interval", -3, 3, true, 4.0f, 10.0f, 0, kBarX, true},
        {"delay 0", 4, 6, false, 5.0f, 0.0f, 5, kBarX + 2 * 90.0f, true},
        {"negative delay", 4, 6, false, 5.0f, -1.0f, 5, kBarX + 2 * 90.0f, true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        gametest::ResetGameState();
        game.parms.game_mode = GAME_MODE_SURVIVAL;
        game.reinforcement_wave_interval = c.interval;
        game.random_wave_counter = c.counter;
        game.reinforcement_wave_pending = c.pending;
        game.wave_countdown = c.countdown;
        game.delay_between_waves = c.delay;
        game.score = 1234;
        Frame f = DrawHud();
        if (std::string(c.name) == "between waves")
            Shot(f, "survival-panel.png");
        std::vector<float> notches = Notches(f);
        ASSERT_EQ((int)notches.size(), c.notches);
        for (int i = 0; i < c.notches; i++)
            EXPECT_NEAR(notches[i], kBarX + i * kBarLength / c.interval, 1.0f);
        EXPECT_NEAR(MarkerX(f), c.marker_x, 1.5f);
        // "Wave %d" centred under the panel once a random wave ran.
        auto caption = LitBox(f, 312, 61, 711, 100, White);
        EXPECT_EQ(caption[0] != -1, c.caption);
        if (c.caption) {
            EXPECT_NEAR((caption[0] + caption[2]) / 2.0f, 512.0f, 3.0f);
        }
        // The score left of the panel, in the large font: centred on (312 - 200) / 2.
        auto score = LitBox(f, 0, 10, 300, 70, White);
        ASSERT_NE(score[0], -1);
        EXPECT_NEAR((score[0] + score[2]) / 2.0f, 56.0f, 3.0f);
        EXPECT_NEAR((score[1] + score[3]) / 2.0f, 40.0f, 4.0f);
    }
}

TEST_F(HudDrawTest, ScoreOfTheOtherModes)
{
    struct Case {
        int mode;
        bool medtents;
    } cases[] = {{4, false}, {5, false}, {6, true}, {7, false}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.mode);
        gametest::ResetGameState();
        game.parms.game_mode = c.mode;
        game.score = 500;
        game.medtent_count = 3;
        Frame f = DrawHud();
        if (c.mode == 6)
            Shot(f, "defend-the-flag.png");
        // Centred on the screen, no panel.
        auto score = LitBox(f, 200, 20, 823, 60, White);
        ASSERT_NE(score[0], -1);
        EXPECT_NEAR((score[0] + score[2]) / 2.0f, 512.0f, 3.0f);
        EXPECT_EQ(CountPixels(f, 0, 0, 1023, 120, Near(hudtest::kPanel)), 0);
        // "3x" on its plate from x 10.24 (the text 8 units in).
        auto medtents = LitBox(f, 0, 20, 150, 60, White);
        EXPECT_EQ(medtents[0] != -1, c.medtents);
        if (c.medtents) {
            EXPECT_NEAR(medtents[0], 10.24f + 8.0f, 3.0f);
        }
    }
}

TEST_F(HudDrawTest, TacticalCaptionInScreenPixels)
{
    struct Case {
        const char *name;
        const char *features;
        bool taught;
        float title_y;
        const char *hint;
    } cases[] = {
        {"touch", "", false, 708.0f, "continue the battle by tapping the play button"},
        {"mouse", "MOUSE_INTERFACE", false, 708.0f, "continue the battle by clicking the play button or spacebar"},
        {"taught", "MOUSE_INTERFACE", true, 708.0f, nullptr},
        {"small screen", "SMALL_SCREEN", true, 693.0f, nullptr},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        gametest::ResetGameState();
        SetFeatures(c.features);
        profile.Reset("1.xml");
        if (c.taught)
            profile.AddTag("tutorials_completed", "TACTICAL_2");
        game.parms.game_mode = GAME_MODE_COLLECTOR;
        game.paused = 1;
        nTransform after = {};
        Frame f = Draw([&after] {
            game.Draw();
            after = ov->OV_PeekTransform();
        });
        if (std::string(c.name) == "mouse")
            Shot(f, "tactical.png");
        // The battle screen's scaling is back on top (the identity at this size).
        EXPECT_EQ(after.m[0], 1.0f);
        EXPECT_EQ(after.m[5], 1.0f);
        auto title = LitBox(f, 0, c.title_y - 14, 1023, c.title_y + 12, White);
        ASSERT_NE(title[0], -1);
        EXPECT_NEAR((title[0] + title[2]) / 2.0f, 512.0f, 3.0f);
        ov->OV_SetTextTransform(1.0f, 1.0f, 0.0f);
        EXPECT_NEAR(title[2] - title[0] + 1, ov->OV_GetTextWidthf(Font(), "TACTICAL MODE"), 4.0f);
        auto hint = LitBox(f, 0, 725, 1023, 745, White);
        if (!c.hint) {
            EXPECT_EQ(hint[0], -1);
            continue;
        }
        ASSERT_NE(hint[0], -1);
        EXPECT_NEAR(hint[2] - hint[0] + 1, 0.8f * ov->OV_GetTextWidthf(Font(), "%s", c.hint), 5.0f);
    }
    SetFeatures("");
}

TEST_F(HudDrawTest, TacticalButtons)
{
    UIComp *button = AddComp(battle, "PauseTime", 900, 700, 60, 60);
    UIComp *highlight = AddComp(battle, "PauseTimeHighlight", 900, 700, 60, 60);
    struct Case {
        const char *name;
        const char *mission;
        bool unlocked, taught, paused;
        uint32_t clock;
        bool visible;
        float alpha;
        bool highlight_visible;
        float highlight_alpha;
    } cases[] = {
        {"locked", "MISSION1_2", false, false, false, 750, false, 1.0f, false, 0.75f},
        {"unlocked", "MISSION1_2", true, false, false, 750, true, 1.0f, true, 0.75f},
        {"taught", "MISSION1_2", true, true, false, 375, true, 1.0f, false, 0.75f * 0.70711f},
        {"paused", "MISSION1_2", true, false, true, 0, true, 1.0f, false, 0.0f},
        {"fading in", "MISSION1_6", true, false, false, 2250, true, 0.5f, true, 0.75f - 0.5f},
        {"faded in", "MISSION1_6", true, false, false, 3000, true, 1.0f, true, 0.0f},
        {"taught there", "MISSION1_6", true, true, false, 2250, true, 1.0f, false, 0.75f},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        profile.Reset("1.xml");
        if (c.unlocked)
            profile.AddTag("features", "TACTICAL_MODE");
        if (c.taught)
            profile.AddTag("tutorials_completed", "TACTICAL");
        snprintf(game.parms.mission_id, sizeof game.parms.mission_id, "%s", c.mission);
        game.paused = c.paused;
        game.game_clock = c.clock;
        game.UpdateTacticalButtons();
        EXPECT_EQ(button->visible, c.visible);
        EXPECT_NEAR(button->alpha, c.alpha, 1e-4f);
        EXPECT_EQ(highlight->visible, c.highlight_visible);
        EXPECT_NEAR(highlight->alpha, c.highlight_alpha, 1e-4f);
    }
}

}  // namespace
