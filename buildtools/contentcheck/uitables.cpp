// The UI tables: kinds and their properties, templates, screens and their components.
#include "uitables.h"

#include <stdlib.h>
#include <strings.h>

#include <map>

namespace contentcheck {

namespace {

std::vector<std::string> Prefixed(const std::string &prefix, const std::vector<std::string> &names)
{
    std::vector<std::string> out;
    for (const std::string &n : names)
        out.push_back(prefix + n);
    return out;
}

std::vector<UiKind> MakeKinds()
{
    return {
        {"Button",
         Prefixed("button.", {"bm_idle", "bm_over", "bm_pressed", "bm_disabled", "bm_icon", "icon_offset",
                              "text_offset", "text_align", "textbox_size", "max_text_width_percentage",
                              "text_scale_disabled", "text_scale_idle", "text_scale_over", "text_scale_pressed",
                              "font", "text"}),
         Prefixed("button.", {"dynamic_text_scale_limits", "scale_idle", "scale_over", "scale_pressed",
                              "scale_disabled", "text_color_idle", "text_color_over", "text_color_pressed",
                              "text_color_disabled"})},
        {"Slider", Prefixed("slider.", {"bm_panel", "bm_panel_over", "bm_full", "bm_marker", "padding"}),
         Prefixed("slider.", {"value"})},
        {"Editbox",
         Prefixed("editbox.", {"bm_panel", "bm_panel_over", "bm_cursor", "font", "padding", "max_chars",
                               "text_offset", "text_color", "text_scale", "caps_only"}),
         Prefixed("editbox.", {"text_offset.x", "text_offset.y", "text"})},
        {"Checkbox",
         Prefixed("checkbox.", {"bm_idle", "bm_over", "bm_pressed", "bm_disabled", "bm_marker", "font", "text",
                                "value"}),
         {}},
        {"Listbox",
         Prefixed("listbox.", {"bm_frame", "content_size", "bm_frame_top", "bm_selection", "font", "padding_left",
                               "padding_right", "padding_top", "padding_bottom"}),
         Prefixed("listbox.", {"selected", "text_color"})},
        {"Path", {"path.point"}, {}},
        {"Emitter", Prefixed("emitter.", {"fx", "time_interval", "initial_simulation_time"}),
         Prefixed("emitter.", {"cam_x", "cam_y", "cam"})},
        {"Scriptable", {"scriptable.script"}, {}},
        {"TouchField",
         Prefixed("touchfield.", {"allow_dragging_only_inside_view_area", "area_width", "area_height",
                                  "content_width", "content_height", "axis_x_enabled", "axis_y_enabled",
                                  "limit_type"}),
         Prefixed("touchfield.", {"value_x", "value_y", "target_value_x", "target_value_y", "limits_x",
                                  "limits_y"})},
        {"TouchGrid",
         Prefixed("touchgrid.", {"axis_x_enabled", "axis_y_enabled", "num_steps_axis_x", "num_steps_axis_y",
                                 "step_size_axis_x", "step_size_axis_y"}),
         Prefixed("touchgrid.", {"selected_step_axis_x", "selected_step_axis_y", "offset_selected_step_axis_x",
                                 "offset_selected_step_axis_y", "selected_step_axis_x_instant",
                                 "selected_step_axis_y_instant"})},
        {"NinePatch", Prefixed("ninepatch.", {"bitmap", "bitmap_client_rect", "client_size"}), {}},
        {"Textbox", Prefixed("textbox.", {"font", "textbox_width", "textbox_align", "text"}),
         Prefixed("textbox.", {"text_align"})},
        {"Rectangle", Prefixed("rectangle.", {"rect_width", "rect_height"}), {}},
        {"Image", Prefixed("image.", {"bitmap", "anim_loop_time", "anim_pause_time", "anim_mode"}),
         Prefixed("image.", {"bitmap_switch", "anim_key"})},
        {"Marker", Prefixed("marker.", {"area_width", "area_height"}), {}},
        {"Ruler",
         Prefixed("ruler.", {"endpoint_bitmap", "repeat_bitmap", "client_width", "client_height", "endpoint_offset"}),
         {}},
        {"Ad", Prefixed("ad.", {"rect_width", "rect_height"}), {}},
        {"Model", {"model.model"}, {}},
        {"Aligner", Prefixed("aligner.", {"area_width", "area_height"}), {}},
    };
}

// "Name:Type<Parent@FEATURE+cd" entries separated by '|'; "{a..b}" expands to a..b.
std::vector<ScreenComp> ParseComps(const std::string &list)
{
    std::vector<std::string> entries;
    size_t at = 0;
    while (at <= list.size()) {
        size_t bar = list.find('|', at);
        if (bar == std::string::npos)
            bar = list.size();
        std::string e = list.substr(at, bar - at);
        at = bar + 1;
        size_t open = e.find('{');
        if (open == std::string::npos) {
            entries.push_back(e);
            continue;
        }
        size_t close = e.find('}', open);
        int from = atoi(e.c_str() + open + 1);
        int to = atoi(e.c_str() + e.find("..", open) + 2);
        for (int i = from; i <= to; i++) {
            std::string x = e.substr(0, open) + std::to_string(i) + e.substr(close + 1);
            for (size_t p; (p = x.find('#')) != std::string::npos;)
                x.replace(p, 1, std::to_string(i));
            entries.push_back(x);
        }
    }
    std::vector<ScreenComp> out;
    for (std::string e : entries) {
        ScreenComp c;
        size_t p;
        if ((p = e.find("+cd")) != std::string::npos) {
            c.custom_draw = true;
            e.erase(p, 3);
        }
        if ((p = e.find('@')) != std::string::npos) {
            c.feature = e.substr(p + 1);
            e.erase(p);
        }
        if ((p = e.find('<')) != std::string::npos) {
            c.parent = e.substr(p + 1);
            e.erase(p);
        }
        if ((p = e.find(':')) != std::string::npos) {
            c.type = e.substr(p + 1);
            e.erase(p);
        }
        c.name = e;
        out.push_back(c);
    }
    return out;
}

const char kTrooperPanels[] =
    "trooper_{0..4}_damage:Textbox|trooper_{0..4}_kills:Textbox|trooper_{0..4}_shots:Textbox|"
    "trooper_{0..4}_image:Image|trooper_{0..4}_image_weapon:Image|timespent_value|alienskilled_value|Wave";

std::vector<ScreenLayout> MakeLayouts()
{
    const std::string panels = kTrooperPanels;
    const std::pair<const char *, std::string> layouts[] = {
        {"ui/loading.lua", "Banner+cd|Loader:Textbox|Windmill:Marker"},
        {"ui/popup-load-game.lua", "Yes|No"},
        {"ui/main-menu.lua", "Banner+cd|Play|Extras|Instructions|Continue|Quit|Embers:Emitter"},
        {"ui/loader-transition.lua",
         "text:Textbox|MissionName:Textbox|MissionDesc:Textbox|Chapter:Textbox|mission_number:Textbox|"
         "MissionPic:Image|MissionPicFrames:NinePatch|panel"},
        {"ui/game.lua",
         "Pause:Button|PauseTime:Button|PauseTimeHighlight:Image|Progress:Marker|CheatMoney@DEVELOPER_MODE"},
        {"ui/shop.lua",
         "Buy|Name|Desc|Cost|OK|Cheat@DEVELOPER_MODE|Money|TrooperCount|TF:TouchField|ItemsStart:Marker+cd|ClipUL|"
         "ClipBR|Bunker|BunkerHP+cd|BunkerHPEnd|BunkerRepair|Health:Slider"},
        {"ui/pick-reinforcement.lua", "Minigun:Button|Shotgun:Button|Bazooka:Button|Pyro:Button|Sniper:Button|Level"},
        {"ui/arm-troopers.lua",
         "choices_{0..4}|Trooper_{0..4}:Button<choices_#|Upgrade_{0..4}:Button<choices_#|Select"},
        {"ui/choose-upgrade.lua",
         "Upgrade_{0..5}:Button|Upgrade_{0..5}_selector:Image|Lock_{1..5}:Image|Name|Subtitle|Desc|Select"},
        {"ui/pick-upgrade.lua",
         "A:Button|B:Button|C:Button|SelectorA|SelectorB|SelectorC|Name|Subtitle|Desc|Minigun_Upgrades|"
         "Bazooka_Upgrades|Shotgun_Upgrades|Pyro_Upgrades|Sniper_Upgrades|Select"},
        {"ui/game-over.lua",
         "Result|Score|Page1|Page2|InfoBox|ScoreBox|RankBox|troopers|ButtonGroup|ButtonGroup2|HiScoreAward|"
         "facebook@FACEBOOK|custom_gfx_3|custom_gfx_4|Left|Right|TF:TouchGrid|" + panels + "|Retry|Menu|Leaderboards"},
        {"ui/level-lost.lua", panels + "|Retry|Quit"},
        {"ui/level-won.lua", panels + "|Continue|Star_{1..5}:Image"},
        {"ui/feature-unlocked.lua",
         "FeatureIcon_{0..2}:Button|feature_{0..2}_selector|FeatureCount|FeatureName|FeatureDesc|FeatureFor|"
         "Pick text|Continue"},
        {"ui/fw/leaderboards.lua",
         "CategoryTitle|NextCategory|PrevCategory|GameCenter@GAME_CENTER|Download|Submit50@DEVELOPER_MODE|"
         "Scores+cd|Scissor|TF:TouchField|Back"},
        {"ui/fw/talvik-news.lua", "NewsImage:Image|Close:Button"},
        {"ui/fw/screen-transition.lua", ""},
        {"ui/fw/timeline-transition.lua", "fader"},
        {"ui/fw/screen-browser.lua", "Screens:Listbox|Edit:Button"},
        {"ui/fw/timeline.lua", "Events:Listbox|QuestName:Textbox|QuestDesc:Textbox|Play:Button|Back:Button"},
        {"ui/level-editor.lua", "panel|mode|Save:Button|Load:Button|Switch:Button|New:Button|Back:Button"},
        {"ui/obstacle-editor.lua",
         "GridLimits|GridCenter|Feedback:Textbox|ObstacleInfo:Textbox|Reset:Button|Reload:Button|Save:Button|Back:Button"},
        {"ui/analyze-mission.lua", "dummy_names:Marker|Back:Button"},
        // Scripted screens.
        {"ui/play-menu.lua",
         "Back|Achievements|Play|Leaderboards|CHAPTER{1..3}:Button|EXTRAS:Button|Missions:Marker|"
         "Row_{0..9}:Button<Missions|ExtrasIntel|MissionName|MissionDesc|MissionStars|MissionBest|StarTotal"},
        {"ui/extras.lua", "Options|Profiles|Credits|Zedivevor|Back|Developer@DEVELOPER_MODE"},
        {"ui/tutorial.lua", "Back|Next|Prev"},
        {"ui/options.lua", "Back|SoundVolume:Slider|MusicVolume:Slider|Windowed:Checkbox|ResetTutorials"},
        {"ui/field-guide.lua", "Back|Next|Prev|Portrait:Image|CreatureName|CreatureDesc"},
        {"ui/credits.lua", "fader:Rectangle|Lines:Textbox"},
        {"ui/profiles.lua", "Delete|New|Ok|ProfileList:Listbox"},
        {"ui/new-profile.lua", "Cancel|Ok|Name:Editbox"},
        {"ui/delete-profile.lua", "No|Yes"},
        {"ui/popup-ok.lua", "Ok|Text"},
        {"ui/pause-menu.lua", "Resume|Restart|MainMenu|Options|Help"},
        {"ui/level-leave.lua", "No:Button|Quit:Button"},
        {"ui/level-restart.lua", "Restart:Button|Cancel:Button"},
        {"ui/chapter-1-begin.lua", "tap_to_continue:Button"},
        {"ui/chapter-completed.lua", "tap_to_continue:Button"},
        {"ui/chapter-3-completed.lua", "tap_to_continue:Button|Exit:Button"},
        {"ui/achievements.lua",
         "Back|achipatch:Aligner|Achi_they_just_keep_coming:Button<achipatch|Achi_xenocide:Button<achipatch|"
         "Achi_chemical_warfare:Button<achipatch|Achi_pyromaniac:Button<achipatch|Achi_boomaniac:Button<achipatch|"
         "Achi_well_supplied:Button<achipatch|Achi_tactical_retreat:Button<achipatch|"
         "Achi_not_a_scratch:Button<achipatch|Achi_supreme_commander:Button<achipatch|"
         "Achi_worm_slayer:Button<achipatch|Achi_egg_stomper:Button<achipatch|Achi_jaw_breaker:Button<achipatch|"
         "Achi_flawless:Button<achipatch|Achi_like_no_tomorrow:Button<achipatch|Achi_general:Button<achipatch|"
         "Achi_medal_of_valor:Button<achipatch|AchiName:Textbox|AchiDesc:Textbox"},
        {"ui/achievement-unlocked.lua", "Continue:Button|Icon:Image|Name:Textbox|Desc:Textbox"},
        {"ui/exit-confirmation.lua", "Yes:Button|No:Button"},
        {"ui/dev-menu.lua", "Back:Button|LevelEditor:Button|ObstacleEditor:Button|AnalyzeMission:Button|Timeline:Button|"
         "ScreenBrowser:Button|MissionList:Listbox"},
    };
    std::vector<ScreenLayout> out;
    for (const auto &s : layouts)
        out.push_back({s.first, s.second.empty() ? std::vector<ScreenComp>() : ParseComps(s.second)});
    return out;
}

}  // namespace

const std::vector<UiKind> &UiKinds()
{
    static const std::vector<UiKind> kinds = MakeKinds();
    return kinds;
}

const UiKind *FindUiKind(const std::string &word)
{
    for (const UiKind &k : UiKinds())
        if (strcasecmp(k.word, word.c_str()) == 0)
            return &k;
    return nullptr;
}

const std::vector<std::string> &BaseExported()
{
    static const std::vector<std::string> names = {
        "inherit", "inherit_scale", "required_features", "localize", "cache_mode", "visible", "active",
        "interactive", "expanded_hit_area", "scale_type", "blend_mode", "pixel_filter", "draw_mode", "fading",
        "fading_akey", "custom_draw", "tags", "parent", "screen_origin", "parent_anchor", "position_type",
        "position", "color.r", "color.g", "color.b", "color.a", "angle", "scale", "OnLoad", "OnClick", "OnEnter",
        "OnLeave", "OnDraw", "OnUpdate", "align"};
    return names;
}

const std::vector<std::string> &BaseSettable()
{
    static const std::vector<std::string> names = {
        "alpha", "position_offset", "position_offset.x", "position_offset.y", "position_offset.z", "position.x",
        "position.y", "position.z", "color", "width", "height", "inherit_angle", "snap_position_to_pixels",
        "snd_over", "snd_press", "snd_release", "name"};
    return names;
}

int ExportIndex(const UiKind &kind, const std::string &property)
{
    const std::vector<std::string> &base = BaseExported();
    for (size_t i = 0; i < base.size(); i++)
        if (base[i] == property)
            return (int)i;
    for (size_t i = 0; i < kind.exported.size(); i++)
        if (kind.exported[i] == property)
            return (int)(base.size() + i);
    return -1;
}

bool Settable(const UiKind &kind, const std::string &property)
{
    if (ExportIndex(kind, property) >= 0)
        return true;
    for (const std::string &p : BaseSettable())
        if (p == property)
            return true;
    for (const std::string &p : kind.settable)
        if (p == property)
            return true;
    return false;
}

const std::vector<std::string> &NamedTemplates()
{
    static const std::vector<std::string> names = {
        "ButtonBig", "ButtonMedium", "ButtonSmall", "ButtonBack", "ButtonTab", "ButtonIcon", "TextTitle",
        "TextHeading", "TextBody", "TextSmall", "TextValue", "Panel", "PanelDark", "Divider", "RowMission",
        "ListBoxDefault", "SliderVolume", "CheckboxDefault", "EditboxName", "ListBoxPlain"};
    return names;
}

const std::vector<ScreenLayout> &ScreenLayouts()
{
    static const std::vector<ScreenLayout> layouts = MakeLayouts();
    return layouts;
}

const std::vector<ScriptedScreen> &ScriptedScreens()
{
    static const std::vector<ScriptedScreen> screens = {
        {"PlayMenu", "ui/play-menu.lua"},
        {"Extras", "ui/extras.lua"},
        {"Tutorial", "ui/tutorial.lua"},
        {"Options", "ui/options.lua"},
        {"Zedivevor", "ui/field-guide.lua"},
        {"Credits", "ui/credits.lua"},
        {"Profiles", "ui/profiles.lua"},
        {"NewProfile", "ui/new-profile.lua"},
        {"DeleteProfile", "ui/delete-profile.lua"},
        {"PopupOk", "ui/popup-ok.lua"},
        {"PauseMenu", "ui/pause-menu.lua"},
        {"LevelLeave", "ui/level-leave.lua"},
        {"LevelRestart", "ui/level-restart.lua"},
        {"Chapter_1_Begin", "ui/chapter-1-begin.lua"},
        {"Chapter_1_Completed", "ui/chapter-completed.lua"},
        {"Chapter_2_Completed", "ui/chapter-completed.lua"},
        {"Chapter_3_Completed", "ui/chapter-3-completed.lua"},
        {"Achievements", "ui/achievements.lua"},
        {"AchievementUnlocked", "ui/achievement-unlocked.lua"},
        {"ExitConfirmation", "ui/exit-confirmation.lua"},
        {"DevMenu", "ui/dev-menu.lua"},
    };
    return screens;
}

bool KnownScreen(const std::string &name)
{
    static const char *const kCodeScreens[] = {
        "Loading", "PopupLoadGame", "MainMenu", "LoaderTransition", "Game", "Shop", "PickReinforcement",
        "ArmTroopers", "ChooseUpgrade", "PickUpgrade", "GameOver", "LevelLost", "LevelWon", "FeatureUnlocked",
        "Leaderboards", "TalvikNews", "Transition", "TimelineTransition", "ScreenBrowser", "Timeline",
        "LevelEditor", "ObstacleEditor", "AnalyzeMission"};
    for (const char *s : kCodeScreens)
        if (name == s)
            return true;
    for (const ScriptedScreen &s : ScriptedScreens())
        if (name == s.name)
            return true;
    return false;
}

}  // namespace contentcheck
