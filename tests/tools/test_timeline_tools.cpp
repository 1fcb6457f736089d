// The timeline screen's event list, selection texts and "Play", and the timeline's HTML
// export, on fixture timelines.
#include "tools/timeline-tools.h"

#include "app/services/dataman.h"
#include "app/services/filehelpers.h"
#include "app/ui/widgets/ui-listbox.h"
#include "app/ui/widgets/ui-textbox.h"
#include "tests/app/ui/timeline_fixture.h"
#include "tools/dev-edits.h"

#include <stdlib.h>
#include <string.h>

#include <string>

using namespace timelinetest;

namespace {

const char kScript[] =
    "CreateComp ('Listbox', 'Events')\n"
    "CreateComp ('Textbox', 'QuestName')\n"
    "CreateComp ('Textbox', 'QuestDesc')\n"
    "CreateComp ('Rectangle', 'PlayButton')\n";

std::string Read(const std::string &name)
{
    long size = 0;
    char *data = ReadWholeFile(name.c_str(), &size);
    if (!data)
        return "<none>";
    std::string text(data, (size_t)size);
    free(data);
    return text;
}

class TimelineTools : public TimelineTest {
protected:
    void SetUp() override
    {
        TimelineTest::SetUp();
        apptest::WriteFile("ui/fw/timeline.lua", kScript);
    }
    void TearDown() override
    {
        timeline.SetCustomEventProcessor(nullptr);
        if (screen_) {
            if (sman.IsScreenInStack(screen_))
                sman.PopScreen(screen_, false);
            screen_->FreeUI();
            delete screen_;
        }
        TimelineTest::TearDown();
    }
    // The timeline screen, preloaded and entered.
    ScreenTimeline *Open()
    {
        screen_ = new ScreenTimeline();
        EXPECT_TRUE(screen_->PreLoad());
        screen_->Enter();
        return screen_;
    }
    UICompListbox *List()
    {
        return (UICompListbox *)screen_->GetComp("Events");
    }
    std::string Text(const char *name)
    {
        return ((UICompTextbox *)screen_->GetComp(name))->GetText();
    }
    ScreenTimeline *screen_ = nullptr;
};

TEST_F(TimelineTools, ListsEveryEventWithItsGameOrType)
{
    LoadTimeline("story.xml", "<node id=\"intro\" type=\"GAME\" game=\"Arcade\" screens=\"A\" />\n"
                              "<node id=\"menu\" type=\"MENU\" screens=\"A\" />\n"
                              "<node id=\"bare\" screens=\"A\" />\n"
                              "<node id=\"empty\" type=\"GAME\" screens=\"A\" />\n");
    Open();
    UICompListbox *list = List();
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->GetNumberOfLines(), 4);
    const char *ids[] = {"intro", "menu", "bare", "empty"};
    const char *right[] = {"GAME=Arcade", "MENU", nullptr, "GAME="};
    for (int i = 0; i < 4; i++) {
        SCOPED_TRACE(i);
        EXPECT_STREQ(list->GetLine(i)->id, ids[i]);
        EXPECT_STREQ(list->GetLine(i)->text, ids[i]);
        if (right[i]) {
            EXPECT_STREQ(list->GetLine(i)->text_right, right[i]);
        } else {
            EXPECT_TRUE(!list->GetLine(i)->text_right || !list->GetLine(i)->text_right[0]);
        }
    }
    // Entering again refills the list rather than appending.
    screen_->Enter();
    EXPECT_EQ(list->GetNumberOfLines(), 4);
}

TEST_F(TimelineTools, TheSelectedEventIsDescribedWithItsValuesShownAsTheyAre)
{
    LoadTimeline("story.xml", "<node id=\"a\" type=\"GAME\" game=\"100% Arcade\" screens=\"A,%s\" />\n"
                              "<node id=\"b\" type=\"MENU\" />\n");
    Open();
    List()->selected = 0;
    screen_->Update(0.016f);
    EXPECT_EQ(Text("QuestName"), "100% Arcade");
    EXPECT_EQ(Text("QuestDesc"), "A,%s");
    List()->selected = 1;
    screen_->Update(0.016f);
    EXPECT_EQ(Text("QuestName"), "n/a");
    EXPECT_EQ(Text("QuestDesc"), "n/a");
}

TEST_F(TimelineTools, PlayRunsTheGameUpToTheSelectedEventOnlyWithALine)
{
    MakeScreen("A");
    LoadTimeline("story.xml", "<node id=\"a\" screens=\"A\" />\n<node id=\"b\" screens=\"A\" />\n");
    Open();
    UIComp *play = screen_->GetComp("PlayButton");
    ASSERT_NE(play, nullptr);
    List()->selected = -1;
    EXPECT_TRUE(screen_->ProcessUICompClick(play, 0));
    EXPECT_FALSE(sman.IsScreenInStack(&timeline_transition)) << "no line: nothing";
    List()->selected = 1;
    EXPECT_TRUE(screen_->ProcessUICompClick(screen_->GetComp("QuestName"), 0));
    EXPECT_FALSE(sman.IsScreenInStack(&timeline_transition)) << "not a Play component";
    EXPECT_TRUE(screen_->ProcessUICompClick(play, 0));
    ASSERT_TRUE(sman.IsScreenInStack(&timeline_transition));
    EXPECT_STREQ(timeline_transition.event_id, "b");
    Unstack();
}

// Writes its own part for the event "mine".
class WritingProcessor : public TimelineProcessor {
public:
    bool ProcessEventParameters(DMNode *) override { return false; }
    bool ExportEvent(FILE *out, DMNode *event) override
    {
        if (strcmp(event->id, "mine") != 0)
            return false;
        fputs("<p>mine</p>\n", out);
        return true;
    }
    void BeginSimulation() override {}
    void SimulateEvent(const char *, DMNode *) override {}
};

TEST_F(TimelineTools, ExportsThePageByteExact)
{
    LoadTimeline("story.xml", "<node id=\"a&amp;b\" type=\"GAME\" screens=\"A\" />\n"
                              "<node id=\"gap\" type=\"...\" />\n"
                              "<node id=\"b\" type=\"MENU &amp; &quot;more&quot;\" />\n");
    EXPECT_EQ(timeline.ExportHTML("timeline.html"), 1);
    EXPECT_EQ(Read("user://dev-edits/timeline.html"),
              "<html>\n\n<body>\n\n<h1>Timeline export</h1>\n\n"
              "<br>\n\n<h2>Event 'a&amp;b' of type 'GAME'</h2>\n\n"
              "<br>\n\n"
              "<br>\n\n<h2>Event 'b' of type 'MENU &amp; &quot;more&quot;'</h2>\n\n"
              "</body>\n\n</html>\n\n");

    LoadTimeline("other.xml", "<node id=\"mine\" type=\"X\" />\n<node id=\"plain\" />\n");
    WritingProcessor processor;
    timeline.SetCustomEventProcessor(&processor);
    EXPECT_EQ(timeline.ExportHTML("timeline.html"), 1);
    EXPECT_EQ(Read("user://dev-edits/timeline.html"),
              "<html>\n\n<body>\n\n<h1>Timeline export</h1>\n\n"
              "<br>\n\n<p>mine</p>\n"
              "<br>\n\n<h2>Event 'plain' of type ''</h2>\n\n"
              "</body>\n\n</html>\n\n");
    EXPECT_NE(Read("user://dev-edits/timeline.html.bak"), "<none>") << "the first export kept";
}

TEST_F(TimelineTools, AnExportThatCannotBeWrittenKeepsTheOldPage)
{
    LoadTimeline("story.xml", "<node id=\"a\" type=\"GAME\" />\n");
    ASSERT_EQ(timeline.ExportHTML("pages/timeline.html"), 1);
    std::string old = Read("user://dev-edits/pages/timeline.html");
    // A folder in the temp file's place.
    ASSERT_EQ(ov->OV_CreateDirectory("user://dev-edits/pages/timeline.html.tmp"), 1);
    LoadTimeline("other.xml", "<node id=\"b\" type=\"GAME\" />\n");
    EXPECT_EQ(timeline.ExportHTML("pages/timeline.html"), 0);
    EXPECT_EQ(CountPopups("Unable to open 'user://dev-edits/pages/timeline.html'\n"), 1);
    EXPECT_EQ(Read("user://dev-edits/pages/timeline.html"), old);
    EXPECT_EQ(timeline.ExportHTML("../timeline.html"), 0);
    EXPECT_EQ(CountPopups("Unable to open '../timeline.html'\n"), 1);
}

}  // namespace
