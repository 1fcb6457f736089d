// The player's notice of a failed save: a failed write of a player file reaches the
// screen as the game's message popup "PopupOk" with "Your progress could not be saved:
// <reason>", once per run, when the screens have settled; a program file (res://) is
// only logged.
#include "tests/app/ui/ui_fixture.h"

#include "app/services/filehelpers.h"
#include "app/ui/save-notice.h"

using namespace uitest;

namespace {

class SaveNotice : public UITest {
protected:
    void SetUp() override
    {
        UITest::SetUp();
        StartUI();
        ResetFailedSaveNotice();
        menu = MakeScreen("Menu");
        popup = MakeScreen("PopupOk");
        sman.all_screens_preloaded.store(true);
        sman.PushScreen(menu, 0);
        Steps(30, 0.05f);  // faded in
        calls.clear();
    }
    void TearDown() override
    {
        ResetFailedSaveNotice();
        UITest::TearDown();
    }
    ProbeScreen *menu = nullptr;
    ProbeScreen *popup = nullptr;
};

TEST_F(SaveNotice, FailedPlayerSaveIsShownOnceThroughTheMessagePopup)
{
    ReportFailedSave("user://profiles/1.xml", "No space left on device");
    ReportFailedSave("user://user/save-15.dat", "Read-only file system");
    Steps(1, 0.05f);
    EXPECT_EQ(sman.PeekScreen(0), popup);
    EXPECT_EQ(CallsOf("PopupOk:Message"),
              (std::vector<std::string>{"PopupOk:Message null text Your progress could not be saved: No space left on device"}));
    // Closed by the player; later failures in the same run are only logged.
    sman.PopScreen(popup, false);
    Steps(10, 0.05f);
    ReportFailedSave("user://profiles/index.xml", "No space left on device");
    Steps(10, 0.05f);
    EXPECT_EQ(sman.PeekScreen(0), menu);
    EXPECT_EQ(CallsOf("PopupOk:Message").size(), 1u);
    EXPECT_EQ(CallsOf("PopupOk:Enter").size(), 1u);
}

TEST_F(SaveNotice, ProgramFilesAreNotThePlayersProgress)
{
    ReportFailedSave("res://language-new-strings.xml", "Read-only file system");
    Steps(5, 0.05f);
    EXPECT_EQ(sman.PeekScreen(0), menu);
    EXPECT_TRUE(CallsOf("PopupOk").empty());
}

// The notice waits while screens are still loading, fading in or leaving, and comes
// once they have settled.
TEST_F(SaveNotice, WaitsForTheScreensToSettle)
{
    ReportFailedSave("user://profiles/1.xml", "No space left on device");
    ProbeScreen *loading = MakeScreen("Loading");
    sman.PushScreen(loading, 0);
    Steps(30, 0.05f);
    EXPECT_EQ(sman.PeekScreen(0), loading) << "not over the loading screen";
    sman.PopScreen(loading, false);
    ProbeScreen *next = MakeScreen("Next");
    sman.PushScreen(next, 0);
    Steps(1, 0.05f);
    EXPECT_EQ(sman.PeekScreen(0), next) << "not while the top screen fades in";
    sman.all_screens_preloaded.store(false);
    Steps(30, 0.05f);
    EXPECT_EQ(sman.PeekScreen(0), next) << "not before every screen is preloaded";
    sman.all_screens_preloaded.store(true);
    Steps(1, 0.05f);
    EXPECT_EQ(sman.PeekScreen(0), popup);
    EXPECT_EQ(CallsOf("PopupOk:Message").size(), 1u);
}

}  // namespace
