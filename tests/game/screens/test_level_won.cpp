// "LevelWon" and "FeatureUnlocked" with fixture profiles: the progress written at entry
// (missions, chapters, rating, play count, the "CAMPAIGN" sum, unlocks, statistics),
// the "Continue" routes into fixture screens that record what arrives, the unlock
// slots and exit modes, and pictures of both screens.
#include "tests/game/screens/test_results_fixture.h"

#include "tests/app/services/app_engine_fixture.h"

#include "app/services/dataman.h"
#include "app/services/filehelpers.h"
#include "app/services/player-values.h"
#include "app/services/profiles.h"
#include "app/ui/screen-manager.h"
#include "app/ui/transition.h"
#include "app/ui/ui-comps.h"
#include "app/ui/widgets/ui-button.h"
#include "game/gamestate.h"
#include "game/screens/level-won.h"
#include "game/savegame-format.h"
#include "online/leaderboards-manager.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <vector>

using namespace resultstest;
using uitest::calls;
using uitest::ProbeScreen;

namespace {

std::string Abs(const std::string &type, const std::string &name, int x, int y, const std::string &more = "")
{
    return "CreateComp ('" + type + "', '" + name + "')\nSetProperty ('position_type', 'ABSOLUTE')\n" +
           "SetProperty ('position', " + std::to_string(x) + ", " + std::to_string(y) + ")\n" + more;
}

// The level-won script hears "RATING" and shows it.
std::string LevelWonScript()
{
    return ResultScript(Abs("Textbox", "Rating", 40, 40) + Abs("Button", "Continue", 500, 40) +
                        "function OnScreenMessage (m, v)\n  if m == 'RATING' then SetProperty ('Rating:textbox.text', "
                        "'Stars: ' .. v) end\nend\n");
}

std::string FeatureScript()
{
    std::string s = Abs("Rectangle", "backdrop", 0, 0,
                        "SetProperty ('rectangle.rect_width', 640)\nSetProperty ('rectangle.rect_height', 480)\n"
                        "SetProperty ('color', 0.1, 0.06, 0.14, 1)\n");
    s += Abs("Rectangle", "IconRow", 320, 120,
             "SetProperty ('rectangle.rect_width', 640)\nSetProperty ('rectangle.rect_height', 40)\n"
             "SetProperty ('color', 0, 0, 0, 0)\n");
    for (int i = 0; i < 3; i++) {
        const std::string n = std::to_string(i);
        s += "CreateComp ('Rectangle', 'feature_" + n + "_selector')\nSetProperty ('parent', 'IconRow')\n"
             "SetProperty ('position_type', 'RELATIVE_TO_PARENT')\nSetProperty ('position', " +
             std::to_string(-0.3 + 0.3 * i) + ", 0)\nSetProperty ('position_offset', 0, 0)\n"
             "SetProperty ('rectangle.rect_width', 44)\nSetProperty ('rectangle.rect_height', 44)\n"
             "SetProperty ('color', 1, 1, 1, 0.5)\n";
        s += "CreateComp ('Button', 'FeatureIcon_" + n + "')\nSetProperty ('parent', 'IconRow')\n"
             "SetProperty ('position_type', 'RELATIVE_TO_PARENT')\nSetProperty ('position', 0, 0.1)\n";
    }
    s += Abs("Textbox", "Pick text", 40, 30) + Abs("Textbox", "FeatureCount", 560, 30) +
         Abs("Textbox", "FeatureName", 40, 220) + Abs("Textbox", "FeatureDesc", 40, 250) +
         Abs("Textbox", "FeatureFor", 40, 280) + Abs("Button", "Continue", 500, 420);
    return s;
}

class LevelWon : public ResultsTest {
protected:
    void SetUp() override
    {
        ResultsTest::SetUp();
        Begin();
        apptest::WriteFile("ui/level-won.lua", LevelWonScript());
        apptest::WriteFile("ui/feature-unlocked.lua", FeatureScript());
        Preload(GetLevelWonScreen());
        Preload(GetFeatureUnlockedScreen());
        loader = MakeScreen("LoaderTransition");
        for (const char *name : {"Chapter_1_Completed", "Chapter_2_Completed", "Chapter_3_Completed"})
            MakeScreen(name);
        sman.all_screens_preloaded.store(true);
        SetSquad({{"MinigunTrooper", "Laser", 120.0f, 9, 30}, {"PyroTrooper", "PyroDeathwish", 60.0f, 4, 11},
                  {"SniperTrooper", "", 200.0f, 6, 8}});
        game.score = 4321;
        game.game_clock = 185000;
        game.star_rating = 3;
        game.boss_kills = 1;
        game.regular_kills = 57;
        game.troopers_lost = 2;
        game.burn_kills = 11;
        game.wave_number = 9;
    }
    // A won mission: the game state's ids set and "LevelWon" entered.
    ScreenLevelWon *Win(const char *chapter, const char *mission, int stars, bool push = false)
    {
        snprintf(game.parms.chapter_id, sizeof game.parms.chapter_id, "%s", chapter);
        snprintf(game.parms.mission_id, sizeof game.parms.mission_id, "%s", mission);
        game.star_rating = (uint16_t)stars;
        calls.clear();
        ScreenLevelWon *s = GetLevelWonScreen();
        if (push) {
            sman.PushScreen(s, 0);  // entered at the frame's end
            Steps(1, 0.02f);
        } else {
            s->Enter();
        }
        return s;
    }
    std::string Value(const char *category, const char *id, const char *key = "value")
    {
        const char *v = prof->GetValue(category, id, key);
        return v ? v : "(none)";
    }
    // The messages that reached the fixture screens, as "Screen:Message from msg value".
    std::vector<std::string> Messages()
    {
        std::vector<std::string> out;
        for (const std::string &c : calls)
            if (c.find(":Message") != std::string::npos)
                out.push_back(c);
        return out;
    }
    void ClickContinue(Screen *s) { s->ProcessUICompClick(s->GetComp("Continue"), 0); }

    ProbeScreen *loader = nullptr;
};

TEST_F(LevelWon, FirstWinWritesProgressUnlocksAndStatistics)
{
    prof->SetValue("missions", "MISSION1_8", "rating", "5");
    prof->SetValue("stats", "aliens_killed", "value", "100");
    ScreenLevelWon *s = Win("CHAPTER1", "MISSION1_9", 3);
    EXPECT_EQ(Text(s, "Rating"), "Stars: 3");
    EXPECT_EQ(Value("current_game", "previous_mission"), "MISSION1_9");
    EXPECT_EQ(Value("current_game", "previous_chapter"), "CHAPTER1");
    EXPECT_EQ(Value("current_game", "active_mission"), "MISSION1_10");
    EXPECT_EQ(Value("current_game", "active_chapter"), "CHAPTER1");
    EXPECT_TRUE(prof->TagExists("missions", "MISSION1_10"));
    EXPECT_TRUE(prof->TagExists("missions", "MISSION1_9"));
    EXPECT_TRUE(prof->TagExists("chapters", "CHAPTER1"));
    EXPECT_EQ(Value("missions", "MISSION1_9", "rating"), "3");
    EXPECT_EQ(Value("missions", "MISSION1_9", "times_played"), "1");
    // 5 + 3 stars: the campaign sum submitted, and the extra at 8 stars unlocked.
    EXPECT_EQ(leaderboards_man.GetPersonalBestScore("CAMPAIGN").points, 8);
    EXPECT_EQ(s->unlocked_count, 3);
    for (const char *f : {"REARM_MinigunTrooper_Laser", "AIRSTRIKE", "EXTRA_SURVIVAL"})
        EXPECT_TRUE(prof->TagExists("features", f)) << f;
    EXPECT_FALSE(prof->TagExists("features", "EXTRA_HARD"));
    for (const char *key : {"0", "1", "2", "3", "4", "active_upgrade"})
        EXPECT_EQ(Value("team_setup", "MinigunTrooper", key), "REARM_MinigunTrooper_Laser") << key;
    EXPECT_EQ(Value("stats", "aliens_killed"), "158");
    EXPECT_EQ(Value("stats", "soldier_deaths"), "2");
    EXPECT_EQ(Value("stats", "aliens_burned"), "11");
    ScreenFeatureUnlocked *f = GetFeatureUnlockedScreen();
    EXPECT_STREQ(f->feature_ids[0], "REARM_MinigunTrooper_Laser");
    EXPECT_STREQ(f->feature_ids[1], "AIRSTRIKE");
    EXPECT_STREQ(f->feature_ids[2], "EXTRA_SURVIVAL");
    EXPECT_EQ(f->last_index, 2);
    std::vector<std::string> log = PlayLog();
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log.back(), "LEVEL_WON,chapter_id,CHAPTER1,mission_id,MISSION1_9,score,4321,time,185,stars,3");
}

// The kill harness of the win: the engine's file calls that change the disk (an open
// for writing or appending, the close of such a file, a replacement, a deletion) are
// counted, and the process kills itself just before the one numbered kill_at.
namespace killwin {

int kill_at = -1;
int steps = 0;
std::vector<ov_file_t *> writing;
ov_file_t *(*engine_open)(const char *, const char *);
int (*engine_close)(ov_file_t *);
int (*engine_delete)(const char *);
const char *(*engine_extension)(const char *, const char *);

void Step()
{
    if (steps++ == kill_at)
        kill(getpid(), SIGKILL);
}

ov_file_t *Open(const char *name, const char *mode)
{
    bool writes = mode && (mode[0] == 'w' || mode[0] == 'a');
    if (writes)
        Step();
    ov_file_t *f = engine_open(name, mode);
    if (writes && f)
        writing.push_back(f);
    return f;
}

int Close(ov_file_t *f)
{
    auto it = std::find(writing.begin(), writing.end(), f);
    if (it != writing.end()) {
        writing.erase(it);
        Step();
    }
    return engine_close(f);
}

int Delete(const char *name)
{
    Step();
    return engine_delete(name);
}

const char *Extension(const char *command, const char *arg)
{
    if (command && strcmp(command, "ReplaceFile") == 0)
        Step();
    return engine_extension(command, arg);
}

void Install(int at)
{
    kill_at = at;
    steps = 0;
    engine_open = ov->OV_OpenFile;
    engine_close = ov->OV_CloseFile;
    engine_delete = ov->OV_DeleteFile;
    engine_extension = ov->OV_CallExtension;
    ov->OV_OpenFile = Open;
    ov->OV_CloseFile = Close;
    ov->OV_DeleteFile = Delete;
    ov->OV_CallExtension = Extension;
}

}  // namespace killwin

// A win killed at each file operation of its sequence (the statistics, the end screen's
// records, the profiles, the saved battle's deletion) always leaves the saved battle or
// the recorded win on the disk, and the whole sequence leaves the win and no battle.
TEST_F(LevelWon, KilledAtEachFileStepOfTheWinLeavesTheBattleOrTheWin)
{
    snprintf(game.parms.chapter_id, sizeof game.parms.chapter_id, "%s", "CHAPTER1");
    snprintf(game.parms.mission_id, sizeof game.parms.mission_id, "%s", "MISSION1_9");
    game.parms.game_mode = GAME_MODE_LEVEL;
    game.star_rating = 3;
    ASSERT_TRUE(profile_man().SaveProfiles());
    const std::string profile_file = std::string("user://profiles/") + prof->GetFileName();
    // The battle saved between its waves.
    std::unique_ptr<SavedGame> saved(new SavedGame());
    saved->parms = game.parms;
    saved->score = game.score;
    std::vector<uint8_t> bytes(SAVEGAME_MAX_SIZE);
    bytes.resize(SaveGameToBytes(*saved, bytes.data()));
    char save_name[512];
    ov->OV_GetPathEx(save_name, 511, 1, "%s", "user/save-15.dat");
    ov->OV_CreateDirectory("user://user");
    ov_file_t *f = ov->OV_OpenFile(save_name, "wb");
    ASSERT_NE(f, nullptr);
    ASSERT_EQ(ov->OV_WriteFile(bytes.data(), (unsigned)bytes.size(), f), bytes.size());
    ASSERT_EQ(ov->OV_CloseFile(f), 0);
    ASSERT_TRUE(game.GameStateExists());
    Screen *battle = MakeScreen("Game");
    PushAndSettle(battle);

    auto win_on_disk = [&] {
        DMDatabase db;
        return db.Load(profile_file.c_str()) && db.GetValue("missions", "MISSION1_9", "times_played") != nullptr;
    };
    ASSERT_FALSE(win_on_disk());
    const std::vector<uint8_t> profile_before = [&] {
        long size = 0;
        char *data = ReadWholeFile(profile_file.c_str(), &size);
        std::vector<uint8_t> v(data, data + size);
        free(data);
        return v;
    }();
    int kills = 0, hangs = 0;
    for (int at = 0;; at++) {
        ASSERT_LT(at, 200) << "the sequence never ended";
        fflush(nullptr);
        pid_t pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            killwin::Install(at);
            game.won = 1;
            game.win_timer = 3.0f;
            game.Update(0.02f);
            Steps(2, 0.02f);  // "LevelWon" is entered at the frame's end
            _exit(sman.IsScreenInStack("LevelWon") ? 0 : 3);
        }
        int status = 0;
        // The child of a process with threads can hang on a lock another thread held at
        // the fork (the game never forks, this test does): a child still running after a
        // minute is killed here and its step tried again, a few times at most.
        bool hung = true;
        for (int waited_ms = 0; hung && waited_ms < 60000; waited_ms += 5) {
            pid_t done = waitpid(pid, &status, WNOHANG);
            ASSERT_GE(done, 0);
            hung = done == 0;
            if (hung)
                usleep(5000);
        }
        if (hung) {
            kill(pid, SIGKILL);
            ASSERT_EQ(waitpid(pid, &status, 0), pid);
            ASSERT_LT(++hangs, 3) << "children hung at file step " << at;
            at--;
        }
        if (WIFEXITED(status)) {
            ASSERT_EQ(WEXITSTATUS(status), 0) << "the win did not reach its end screen";
            EXPECT_TRUE(win_on_disk());
            EXPECT_FALSE(game.GameStateExists()) << "the finished battle is still offered";
            break;
        }
        ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
        kills += hung ? 0 : 1;
        EXPECT_TRUE(game.GameStateExists() || win_on_disk()) << "killed before file step " << at
                                                             << ": neither the saved battle nor the win is left";
        // The next round starts again from the battle and the profile as they were.
        f = ov->OV_OpenFile(save_name, "wb");
        ASSERT_NE(f, nullptr);
        ASSERT_EQ(ov->OV_WriteFile(bytes.data(), (unsigned)bytes.size(), f), bytes.size());
        ASSERT_EQ(ov->OV_CloseFile(f), 0);
        ASSERT_TRUE(SaveFileReplacing(profile_file.c_str(), profile_before.data(), profile_before.size()));
    }
    EXPECT_GE(kills, 6) << "the statistics, the profiles and the deletion each take file steps";
    RecordProperty("file_steps", kills);
}

// Writes refused as on a read-only disk.
ov_file_t *RefuseWrites(const char *name, const char *mode)
{
    if (mode && (mode[0] == 'w' || mode[0] == 'a'))
        return nullptr;
    return killwin::engine_open(name, mode);
}

// A win whose profile cannot be saved keeps the saved battle: it is the only record left.
TEST_F(LevelWon, WinThatCannotBeSavedKeepsTheSavedBattle)
{
    std::unique_ptr<SavedGame> saved(new SavedGame());
    snprintf(saved->parms.mission_id, sizeof saved->parms.mission_id, "%s", "MISSION1_9");
    std::vector<uint8_t> bytes(SAVEGAME_MAX_SIZE);
    bytes.resize(SaveGameToBytes(*saved, bytes.data()));
    char save_name[512];
    ov->OV_GetPathEx(save_name, 511, 1, "%s", "user/save-15.dat");
    ov->OV_CreateDirectory("user://user");
    ASSERT_TRUE(SaveFileReplacing(save_name, bytes.data(), bytes.size()));
    killwin::engine_open = ov->OV_OpenFile;
    ov->OV_OpenFile = RefuseWrites;
    Win("CHAPTER1", "MISSION1_9", 3);
    ov->OV_OpenFile = killwin::engine_open;
    EXPECT_TRUE(game.GameStateExists());
    EXPECT_TRUE(apptest::Logged("The win could not be saved: the saved battle is kept.\n"));
    Win("CHAPTER1", "MISSION1_9", 3);  // saved this time
    EXPECT_FALSE(game.GameStateExists());
}

// A profile holding the largest numbers a text can hold: every rating counts 5 stars,
// counts stay at their largest, and the sums overflow nothing.
TEST_F(LevelWon, ExtremeProfileNumbersCountInTheirRanges)
{
    for (int m = 1; m <= 8; m++)
        prof->SetValue("missions", ("MISSION2_" + std::to_string(m)).c_str(), "rating", "2147483647");
    prof->SetValue("missions", "MISSION1_9", "rating", "99999999999999999999");
    prof->SetValue("missions", "MISSION1_9", "times_played", "2147483647");
    prof->SetValue("stats", "aliens_killed", "value", "2147483647");
    prof->SetValue("stats", "aliens_burned", "value", "-2147483648");
    ScreenLevelWon *s = Win("CHAPTER1", "MISSION1_9", 3);
    EXPECT_EQ(leaderboards_man.GetPersonalBestScore("CAMPAIGN").points, 8 * 5 + 5);
    EXPECT_TRUE(prof->TagExists("features", "EXTRA_HARD"));  // 40 stars
    EXPECT_GE(s->unlocked_count, 1);
    EXPECT_EQ(Value("missions", "MISSION1_9", "times_played"), std::to_string(kPlayerMaxCount));
    EXPECT_EQ(Value("stats", "aliens_killed"), std::to_string(kPlayerMaxCount));
    EXPECT_EQ(Value("stats", "aliens_burned"), "11");
}

TEST_F(LevelWon, ReplayKeepsTheBestRatingAndLeavesTheBattle)
{
    Win("CHAPTER1", "MISSION1_9", 3);
    ScreenLevelWon *s = Win("CHAPTER1", "MISSION1_9", 2);
    EXPECT_EQ(Value("missions", "MISSION1_9", "rating"), "3");
    EXPECT_EQ(Value("missions", "MISSION1_9", "times_played"), "2");
    EXPECT_EQ(s->unlocked_count, 0);  // everything already tagged
    EXPECT_EQ(leaderboards_man.GetPersonalBestScore("CAMPAIGN").points, 3);  // stored best ratings
    ClickContinue(s);
    EXPECT_EQ(Messages(), std::vector<std::string>{"LoaderTransition:Message LevelWon LEAVE_BATTLE_LEVEL_WON "});
    EXPECT_EQ(Value("missions", "MISSION1_9", "times_played"), "2");
}

TEST_F(LevelWon, ContinueRoutes)
{
    struct Row {
        const char *chapter, *mission;
        bool replay;
        std::string expected;
    } rows[] = {
        {"CHAPTER1", "MISSION1_8", false, "LoaderTransition:Message LevelWon ENTER_BATTLE CHAPTER1:MISSION1_9"},
        {"CHAPTER1", "MISSION1_8", true, "LoaderTransition:Message LevelWon LEAVE_BATTLE_LEVEL_WON "},
        // The last mission of a chapter: the next chapter opens, the battle is left.
        {"CHAPTER1", "MISSION1_10", false, "LoaderTransition:Message LevelWon LEAVE_BATTLE_LEVEL_WON "},
        {"CHAPTER2", "MISSION2_1", false, "LoaderTransition:Message LevelWon ENTER_BATTLE CHAPTER2:MISSION2_3"},
        {"EXTRAS", "EXTRA_SURVIVAL", false, "LoaderTransition:Message LevelWon LEAVE_BATTLE_LEVEL_WON "},
        {"EXTRAS", "EXTRA_HARD", false, "LoaderTransition:Message LevelWon LEAVE_BATTLE_LEVEL_WON "},  // the last
    };
    // Nothing to unlock on these wins.
    for (const char *f : {"PYRO_DEATHWISH", "EXTRA_SURVIVAL", "EXTRA_HARD", "AIRSTRIKE"})
        prof->AddTag("features", f);
    for (const Row &row : rows) {
        prof->RemoveValue("missions", row.mission);
        if (row.replay)
            prof->SetValue("missions", row.mission, "times_played", "4");
        ScreenLevelWon *s = Win(row.chapter, row.mission, 2);
        ASSERT_EQ(s->unlocked_count, 0) << row.mission;
        ClickContinue(s);
        EXPECT_EQ(Messages(), std::vector<std::string>{row.expected}) << row.mission;
        EXPECT_EQ(screen_transition.target, loader) << row.mission;
    }
    EXPECT_TRUE(prof->TagExists("chapters", "CHAPTER2"));
    EXPECT_TRUE(prof->TagExists("missions", "MISSION2_1"));
}

// After unlocks, "FeatureUnlocked" leads on by the same rule as "LevelWon": straight into
// the next mission only after a first win that stays in its chapter outside the extras.
// A replay that crosses a star line, or an extra whose win opens the next extra, leads
// back through the loader transition (the next extra may well be locked).
TEST_F(LevelWon, FeatureUnlockedLeadsOnByTheRuleOfTheWin)
{
    struct Row {
        const char *chapter, *mission;
        bool replay;
        const char *unlocked;
        std::string expected;
    } rows[] = {
        {"CHAPTER1", "MISSION1_8", false, "EXTRA_SURVIVAL",
         "LoaderTransition:Message FeatureUnlocked ENTER_BATTLE CHAPTER1:MISSION1_9"},
        {"CHAPTER1", "MISSION1_8", true, "EXTRA_SURVIVAL",
         "LoaderTransition:Message FeatureUnlocked LEAVE_BATTLE_LEVEL_WON "},
        {"EXTRAS", "EXTRA_SURVIVAL", false, "EXTRA_HARD",
         "LoaderTransition:Message FeatureUnlocked LEAVE_BATTLE_LEVEL_WON "},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(std::string(row.mission) + (row.replay ? " replayed" : " first win"));
        prof->RemoveValue("missions", row.mission);
        prof->RemoveValue("features", "EXTRA_SURVIVAL");
        prof->RemoveValue("features", "EXTRA_HARD");
        // Stars enough for the one unlock of the row: 10 for the survival extra, 40 more
        // (the survival extra owned) for the hard one.
        const bool hard = strcmp(row.unlocked, "EXTRA_HARD") == 0;
        if (hard)
            prof->AddTag("features", "EXTRA_SURVIVAL");
        for (int m = 1; m <= (hard ? 8 : 2); m++)
            prof->SetValue("missions", ("MISSION2_" + std::to_string(m)).c_str(), "rating", "5");
        if (row.replay)
            prof->SetValue("missions", row.mission, "times_played", "4");
        ScreenLevelWon *s = Win(row.chapter, row.mission, 2, true);
        ASSERT_EQ(s->unlocked_count, 1);
        EXPECT_TRUE(prof->TagExists("features", row.unlocked));
        ClickContinue(s);
        ScreenFeatureUnlocked *f = GetFeatureUnlockedScreen();
        EXPECT_EQ(f->exit_mode, 0);
        Steps(40, 0.05f);
        calls.clear();
        ClickContinue(f);
        EXPECT_EQ(Messages(), std::vector<std::string>{row.expected});
        sman.PopScreen(f, false);
        Steps(40, 0.05f);
    }
}

TEST_F(LevelWon, ChapterBoundaryOpensTheNextChapter)
{
    prof->AddTag("features", "PYRO_DEATHWISH");
    ScreenLevelWon *s = Win("CHAPTER1", "MISSION1_10", 3);
    EXPECT_TRUE(s->chapter1_completed);
    EXPECT_TRUE(prof->TagExists("chapters", "CHAPTER2"));
    EXPECT_TRUE(prof->TagExists("missions", "MISSION2_1"));
    EXPECT_EQ(Value("current_game", "active_chapter"), "CHAPTER2");
    EXPECT_EQ(Value("current_game", "active_mission"), "MISSION2_1");
}

TEST_F(LevelWon, UnlocksLeadThroughFeatureUnlockedWithTheirExitMode)
{
    // Chapter 1 completed with the deathwish unlocked: "team_setup" of the pyro rewritten.
    ScreenLevelWon *s = Win("CHAPTER1", "MISSION1_10", 3, true);
    ASSERT_EQ(s->unlocked_count, 1);
    for (const char *key : {"0", "4", "active_upgrade"})
        EXPECT_EQ(Value("team_setup", "PyroTrooper", key), "PYRO_DEATHWISH");
    ClickContinue(s);
    ScreenFeatureUnlocked *f = GetFeatureUnlockedScreen();
    EXPECT_EQ(f->exit_mode, 3);
    EXPECT_TRUE(sman.IsScreenInStack(f));
    EXPECT_TRUE(s->leaving);
    Steps(40, 0.05f);
    EXPECT_EQ(f->last_index, 0);
    EXPECT_FALSE(Visible(f, "FeatureCount"));
    EXPECT_EQ(Text(f, "Continue"), "Awesome!");
    EXPECT_EQ(Text(f, "FeatureFor"), "Pyro trooper update");
    ClickContinue(f);
    EXPECT_TRUE(sman.IsScreenInStack("Chapter_1_Completed"));
}

TEST_F(LevelWon, FourthUnlockIsGrantedButNotShown)
{
    for (int m = 1; m <= 8; m++)  // 8 x 5 + 3 stars
        prof->SetValue("missions", ("MISSION2_" + std::to_string(m)).c_str(), "rating", "5");
    ScreenLevelWon *s = Win("CHAPTER1", "MISSION1_9", 3, true);
    EXPECT_EQ(s->unlocked_count, 4);
    EXPECT_TRUE(prof->TagExists("features", "EXTRA_HARD"));
    ScreenFeatureUnlocked *f = GetFeatureUnlockedScreen();
    EXPECT_EQ(f->last_index, 2);
    EXPECT_STREQ(f->feature_ids[2], "EXTRA_SURVIVAL");
    EXPECT_EQ(f->exit_mode, 1);  // the dropped message
    ClickContinue(s);
    EXPECT_EQ(f->exit_mode, 0);
    Steps(40, 0.05f);
    // Three features one after another, then on to the next mission.
    EXPECT_EQ(Text(f, "FeatureCount"), "1/3");
    EXPECT_EQ(Text(f, "Continue"), "Next");
    EXPECT_EQ(Text(f, "FeatureName"), "Laser minigun");
    EXPECT_EQ(Text(f, "FeatureFor"), "Minigun trooper update");
    EXPECT_TRUE(Visible(f, "feature_0_selector"));
    EXPECT_FALSE(Visible(f, "feature_1_selector"));
    Shot("feature-unlocked.png");
    ClickContinue(f);
    EXPECT_EQ(Text(f, "FeatureCount"), "2/3");
    EXPECT_EQ(Text(f, "FeatureFor"), "Support");
    ClickContinue(f);
    EXPECT_EQ(Text(f, "FeatureCount"), "3/3");
    EXPECT_EQ(Text(f, "Continue"), "Awesome!");
    EXPECT_EQ(Text(f, "FeatureDesc"), "Endless waves.");  // the extra's own description
    EXPECT_FALSE(Visible(f, "FeatureFor"));
    calls.clear();
    ClickContinue(f);
    EXPECT_EQ(Messages(), std::vector<std::string>{"LoaderTransition:Message FeatureUnlocked ENTER_BATTLE "
                                                   "CHAPTER1:MISSION1_10"});
}

TEST_F(LevelWon, LongUnlockListsAreSplitInFull)
{
    ASSERT_GT(LongUnlockList().size(), 900u);
    prof->AddTag("features", "LONG_FEATURE_NUMBER_7");  // already had: not counted again
    ScreenLevelWon *s = Win("CHAPTER2", "MISSION2_3", 1);
    EXPECT_EQ(s->unlocked_count, 39);
    for (int i = 0; i < 40; i++)
        EXPECT_TRUE(prof->TagExists("features", ("LONG_FEATURE_NUMBER_" + std::to_string(i)).c_str())) << i;
    ScreenFeatureUnlocked *f = GetFeatureUnlockedScreen();
    EXPECT_STREQ(f->feature_ids[0], "LONG_FEATURE_NUMBER_0");
    EXPECT_STREQ(f->feature_ids[2], "LONG_FEATURE_NUMBER_2");
    EXPECT_EQ(f->last_index, 2);
}

TEST_F(LevelWon, FeatureSlotsAndExitModes)
{
    ScreenFeatureUnlocked *f = GetFeatureUnlockedScreen();
    struct Slot {
        const char *message, *value;
        int last;
        std::vector<float> xs;
        const char *pick;
    } slots[] = {
        {"UNLOCK_FEAT_0", "AIRSTRIKE", 0, {0.0f}, "Feature Unlocked!"},
        {"UNLOCK_FEAT_1", "MINES", 1, {-0.2f, 0.2f}, "Features Unlocked!"},
        {"UNLOCK_FEAT_2", "EXTRA_SURVIVAL", 2, {-0.3f, 0.0f, 0.3f}, "Features Unlocked!"},
    };
    for (const Slot &slot : slots) {
        f->ProcessScreenMessage(nullptr, slot.message, slot.value);
        EXPECT_EQ(f->last_index, slot.last);
        for (size_t i = 0; i < slot.xs.size(); i++)
            EXPECT_FLOAT_EQ(f->GetComp(("FeatureIcon_" + std::to_string(i)).c_str())->position_x, slot.xs[i]);
        EXPECT_EQ(Text(f, "Pick text"), slot.pick);
        EXPECT_STREQ(f->feature_ids[slot.last], slot.value);
    }
    UICompButton *mines = dynamic_cast<UICompButton *>(f->GetComp("FeatureIcon_1"));
    EXPECT_EQ(mines->bm_icon, ov->OV_GetBitmap("!NONE"));  // no icon in the shop
    UICompButton *extra = dynamic_cast<UICompButton *>(f->GetComp("FeatureIcon_2"));
    EXPECT_EQ(extra->bm_icon, ov->OV_GetBitmap("gfx/f_extra.png"));
    EXPECT_TRUE(extra->visible);
    // A slot above 2 is dropped; a part that is no number is slot 0.
    f->ProcessScreenMessage(nullptr, "UNLOCK_FEAT_3", "EXTRA_HARD");
    EXPECT_EQ(f->last_index, 2);
    EXPECT_STREQ(f->feature_ids[2], "EXTRA_SURVIVAL");
    f->ProcessScreenMessage(nullptr, "UNLOCK_FEAT_x", "MINES");
    EXPECT_EQ(f->last_index, 0);
    EXPECT_STREQ(f->feature_ids[0], "MINES");

    struct Exit {
        std::vector<const char *> messages;
        int mode;
    } exits[] = {
        {{"UNLOCK_AFTER_LEVEL"}, 0},
        {{"unlock_after_level"}, 0},
        {{"UNLOCK_AFTER_LEVEL", "EXIT_TO_GAME_COMPLETED"}, 2},
        {{"UNLOCK_AFTER_LEVEL", "EXIT_TO_CHAPTER_1_COMPLETED"}, 3},
        {{"UNLOCK_AFTER_LEVEL", "EXIT_TO_CHAPTER_2_COMPLETED"}, 4},
        {{"UNLOCK_AFTER_LEVEL", "exit_to_game_completed"}, 0},  // exact case
        {{"UNLOCK_AFTER_LEVEL", "UNLOCK_FEAT_1"}, 1},            // another sender
        {{"UNLOCK_AFTER_LEVEL", "SOMETHING_ELSE"}, 0},
    };
    for (const Exit &e : exits) {
        for (const char *m : e.messages)
            f->ProcessScreenMessage(nullptr, m, "");
        EXPECT_EQ(f->exit_mode, e.mode) << e.messages.back();
    }
    // Exit mode 1 pops the screen with a fade.
    f->ProcessScreenMessage(nullptr, "UNLOCK_FEAT_0", "AIRSTRIKE");
    sman.PushScreen(f, 0);
    Steps(30, 0.05f);
    ClickContinue(f);
    EXPECT_TRUE(f->leaving);
    // The icons show their own slot without moving the current index.
    f->current_index = 1;
    EXPECT_TRUE(f->ProcessUICompClick(f->GetComp("FeatureIcon_0"), 0));
    EXPECT_EQ(f->current_index, 1);
    EXPECT_EQ(Text(f, "FeatureCount"), "1/1");
    EXPECT_EQ(Text(f, "FeatureName"), "Air strike");
    EXPECT_TRUE(Visible(f, "feature_0_selector"));
}

TEST_F(LevelWon, PictureOfTheWonLevel)
{
    ScreenLevelWon *s = Win("CHAPTER1", "MISSION1_9", 3, true);
    for (int i = 0; i < 100; i++)
        Steps(1, 0.1f);
    EXPECT_EQ(Text(s, "trooper_2_damage"), "Dmg: |#ff5a50|200|#ffffff|");
    EXPECT_EQ(Text(s, "alienskilled_value"), "58");
    Shot("level-won.png");
}

}  // namespace
