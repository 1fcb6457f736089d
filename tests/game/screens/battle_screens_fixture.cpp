// The battle road fixture (see battle_screens_fixture.h).
#include "tests/game/screens/battle_screens_fixture.h"

#include "app/services/dataman.h"
#include "app/services/prog.h"
#include "app/services/random.h"
#include "app/ui/screen-manager.h"
#include "app/ui/transition.h"
#include "app/ui/widgets/ui-textbox.h"
#include "game/controls.h"
#include "game/entities/stock.h"
#include "game/gamestate.h"
#include "game/screens/battle-screen.h"
#include "game/screens/loader-transition.h"
#include "core/ov_state.h"
#include "platform/headless.h"
#include "platform/screen.h"
#include "tests/app/ui/widget_fixture.h"
#include "tests/game/battle_driver.h"

#include "ovrecords.h"

#include <string.h>

namespace screentest {

std::vector<std::string> music;

const char *const kMissions =
    "<?xml version=\"1.0\"?>\n<root>\n"
    "<array id=\"CHAPTER2\">\n"
    "<node id=\"MISSION2_3\" mode=\"SURVIVAL\" name=\"Hold the Ridge\" desc=\"Keep the ridge until dawn.\""
    " pic=\"pics/ridge.png\" level=\"levels/ridge.xml\"/>\n"
    "<node id=\"MISSION2_4\" mode=\"level\" name=\"Open Ground\" desc=\"Clear the field.\""
    " level=\"levels/field.xml\"/>\n"
    "<node id=\"MISSION2_5\" mode=\"SIEGE\" name=\"Odd Mode\" level=\"levels/field.xml\"/>\n"
    "<node id=\"MISSION2_6\" name=\"Nowhere\" desc=\"No level yet.\"/>\n"
    "</array>\n"
    "<array id=\"CHAPTER3\">\n"
    "<node id=\"MISSION3_12_B\" mode=\"Incoming\" name=\"Late\" level=\"levels/field.xml\"/>\n"
    "<node id=\"MISSION3_\" mode=\"DEFEND_THE_FLAG\" name=\"Flag\" level=\"levels/field.xml\"/>\n"
    "</array>\n"
    "<array id=\"EXTRAS\">\n"
    "<node id=\"MISSION9_1\" mode=\"COLLECTOR\" name=\"Bonus\" level=\"levels/field.xml\"/>\n"
    "<node id=\"PLAIN\" mode=\"OPEN_AREA\" name=\"Plain\" level=\"levels/field.xml\"/>\n"
    "</array>\n"
    "</root>\n";

namespace {

// The loader transition's layout: a light grey backdrop (so the dissolve's squares
// show), the texts and the picture with its frame.
const char kLoaderUI[] =
    "CreateComp('Rectangle', 'backdrop')\nSetProperty('position_type', 'ABSOLUTE')\n"
    "SetProperty('position', 0, 0)\nSetProperty('rectangle.rect_width', 2048)\n"
    "SetProperty('rectangle.rect_height', 2048)\nSetProperty('color', 0.8, 0.8, 0.8)\n"
    "function Text(name, font, x, y)\n"
    "  CreateComp('Textbox', name)\nSetProperty('position_type', 'RELATIVE_TO_SCREEN')\n"
    "  SetProperty('position', x, y)\nSetProperty('textbox.font', font)\n"
    "  SetProperty('textbox.textbox_align', 'CENTER')\nSetProperty('color', 0.1, 0.1, 0.1)\n"
    "end\n"
    "Text('Chapter', 'fonts/medium.mft', 0.5, 0.12)\n"
    "Text('mission_number', 'fonts/medium.mft', 0.5, 0.18)\n"
    "Text('MissionName', 'fonts/large.mft', 0.5, 0.26)\n"
    "CreateComp('Rectangle', 'MissionPicFrames')\nSetProperty('position_type', 'RELATIVE_TO_SCREEN')\n"
    "SetProperty('position', 0.5, 0.5)\nSetProperty('rectangle.rect_width', 140)\n"
    "SetProperty('rectangle.rect_height', 140)\nSetProperty('color', 0.2, 0.2, 0.2)\n"
    "CreateComp('Image', 'MissionPic')\nSetProperty('position_type', 'RELATIVE_TO_SCREEN')\n"
    "SetProperty('position', 0.5, 0.5)\n"
    "Text('MissionDesc', 'fonts/medium.mft', 0.5, 0.72)\n"
    "Text('text', 'fonts/medium.mft', 0.5, 0.88)\n";

// The battle screen's layout: the pause buttons and the developer's money button.
const char kGameUI[] =
    "CreateComp('Button', 'Pause')\nSetProperty('position_type', 'ABSOLUTE')\nSetProperty('position', 10, 10)\n"
    "CreateComp('Button', 'PauseTime')\nSetProperty('position_type', 'ABSOLUTE')\n"
    "SetProperty('position', 60, 10)\n"
    "CreateComp('Button', 'CheatMoney')\nSetProperty('position_type', 'ABSOLUTE')\n"
    "SetProperty('position', 110, 10)\n";

ov_sound_t music_sound;
char music_name[] = "music/finalwave";
ov_sound_t *(*engine_get_sound)(const char *) = nullptr;

ov_sound_t *GetSound(const char *name)
{
    if (name && strcmp(name, music_name) == 0)
        return &music_sound;
    return engine_get_sound ? engine_get_sound(name) : nullptr;
}
void SetSoundCacheMode(ov_sound_t *, int) {}
void PlayMusic(ov_sound_t *s, float, float fade)
{
    char line[128];
    snprintf(line, sizeof line, "Play %s %.1f", s && s->name ? s->name : "null", fade);
    music.push_back(line);
}
void StopMusic(float fade)
{
    char line[64];
    snprintf(line, sizeof line, "Stop %.1f", fade);
    music.push_back(line);
}
void SlideMusic(float, float seconds)
{
    char line[64];
    snprintf(line, sizeof line, "Slide %.1f", seconds);
    music.push_back(line);
}
ov_sound_t *NoMusicPlaying()
{
    return nullptr;
}

}  // namespace

void BattleScreensTest::SetUp()
{
    gametest::GameTest::SetUp();
    music.clear();
}

void BattleScreensTest::StartScreens(int w, int h)
{
    StartGame(w, h);
    ASSERT_FALSE(HasFatalFailure());
    music_sound = ov_sound_t{};
    music_sound.name = music_name;
    engine_get_sound = ov->OV_GetSound;
    ov->OV_GetSound = GetSound;  // the fixture restores the engine's table
    ov->OV_SetSoundCacheMode = SetSoundCacheMode;
    ov->OV_PlayMusic = PlayMusic;
    ov->OV_StopMusic = StopMusic;
    ov->OV_SlideMusicVolume = SlideMusic;
    ov->OV_GetMusicPlaying = NoMusicPlaying;

    WriteEntities(battletest::kBattleTypes);
    apptest::WriteFile("missions.xml", kMissions);
    dman().ReleaseDatabase("missions.xml");
    const std::string kLevel = battletest::LevelXml(
        battletest::Array("environment", "<node id=\"bunker\" x=\"900\" y=\"384\"/>") +
        battletest::Array("starting_troopers", "<node type=\"Trooper\"/>\n<node type=\"Trooper\"/>") +
        battletest::Array("waves", "<node type=\"WAVE_START\" text=\"First wave\"/>\n"
                                   "<node type=\"SPAWN\" spawn_type=\"Alien\" num=\"3\" pos_x=\"0.1\" "
                                   "pos_y=\"0.5\"/>"));
    apptest::WriteFile("levels/ridge.xml", kLevel);
    apptest::WriteFile("levels/field.xml", kLevel);
    widgettest::InstallFonts();
    apptest::WriteFile("ui/loader-transition.lua", kLoaderUI);
    apptest::WriteFile("ui/game.lua", kGameUI);

    profile.Reset("1.xml");
    prof = &profile;
    for (const char *name : {"PlayMenu", "MainMenu", "Credits", "PauseMenu", "GameOver", "LevelWon", "LevelLost",
                             "ArmTroopers", "PickReinforcement", "AchievementUnlocked", "Shop"})
        MakeScreen(name);

    // The two screens live for the process: each run preloads them again against its
    // own engine. The battle screen builds the world; the fixture frees it.
    loader = &screen_loader_transition;
    battle = &screen_game;
    for (Screen *s : {(Screen *)loader, (Screen *)battle, (Screen *)&screen_transition}) {
        s->preloaded.store(false);
        ASSERT_TRUE(Screen::PreLoadScreen(s));
    }
    world = GetScape();
    ASSERT_NE(world, nullptr);
    uitest::calls.clear();
}

void BattleScreensTest::TearDown()
{
    ScreenLoaderTransition::UnfixSeed();
    AppSetRandomSource(nullptr);
    apptest::draw = nullptr;
    if (ui_started_) {
        sman.Release();
        for (Screen *s : {(Screen *)loader, (Screen *)battle, (Screen *)&screen_transition}) {
            if (!s)
                continue;
            s->FreeUI();
            s->preloaded.store(false);
            s->leaving = false;
            s->trans_phase = 0.0f;
        }
    }
    prog.parms.developer_mode = 0;
    controls.Reset();
    controls.Init(0);
    if (prof == &profile)
        prof = nullptr;
    if (ov)
        profile_man().Clear();
    g_battle_enter_phase = 0;
    gametest::GameTest::TearDown();
}

void BattleScreensTest::Frames(int n, int ms)
{
    for (int i = 0; i < n; i++)
        OVI_Frame(ms);
}

bool BattleScreensTest::OnTop(const char *name)
{
    Screen *top = sman.PeekScreen(0);
    return top && top->name && strcmp(top->name, name) == 0;
}

bool BattleScreensTest::Stacked(const char *name)
{
    return sman.IsScreenInStack(name);
}

std::string BattleScreensTest::Text(const char *comp)
{
    UIComp *c = loader->GetComp(comp);
    UICompTextbox *t = dynamic_cast<UICompTextbox *>(c);
    return t ? t->GetText() : std::string("<none>");
}

void BattleScreensTest::SendAndSwitch(const char *message, const char *value)
{
    sman.SendScreenMessage(nullptr, loader, message, value);
    sman.SwitchScreen("LoaderTransition");
}

void BattleScreensTest::Key(int code)
{
    ASSERT_TRUE(ovdev::headless::inject_key(code, true));
    PumpFrame();
    ASSERT_TRUE(ovdev::headless::inject_key(code, false));
    PumpFrame();
}

void BattleScreensTest::Tap(int x, int y)
{
    ASSERT_TRUE(ovdev::headless::inject_touch(ovdev::headless::TouchPhase::Down, 0, x, y));
    PumpFrame();
    ASSERT_TRUE(ovdev::headless::inject_touch(ovdev::headless::TouchPhase::Up, 0, x, y));
    PumpFrame();
}

}  // namespace screentest
