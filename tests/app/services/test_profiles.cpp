// Profiles: loading from the index or by scanning, creating and deleting, the name
// check, statistics and values, and hostile file names in the index and the profiles.
#include "app/services/dataman.h"
#include "app/services/localization.h"
#include "app/services/profiles.h"
#include "tests/app/services/data_fixture.h"

#include <limits.h>
#include <sys/stat.h>

using datatest::CountMessages;
using datatest::DataTest;

namespace {

const char kHead[] = "<?xml version=\"1.0\" encoding=\"iso-8859-1\"?>\n<root>\n";

class ProfilesTest : public DataTest {
protected:
    void SetUp() override
    {
        DataTest::SetUp();
        profile_man().Clear();
        mkdir(UserPath("profiles").c_str(), 0755);
        mkdir(UserPath("profiles/saves").c_str(), 0755);
    }
    void TearDown() override
    {
        profile_man().Clear();
        DataTest::TearDown();
    }
    // A profile file with the given name (and extra arrays).
    void WriteProfile(int n, const std::string &name, const std::string &extra = "")
    {
        ASSERT_TRUE(WriteNative(UserPath("profiles/" + std::to_string(n) + ".xml"),
                                std::string(kHead) + "\t<array id=\"!INFO\">\n\t\t<node id=\"name\" value=\"" + name +
                                    "\" />\n\t\t<node id=\"time_active\" value=\"1500\" />\n\t</array>\n" + extra +
                                    "</root>\n"));
    }
    std::string Name(Profile *p) { return p && p->GetName().Get() ? p->GetName().Get() : ""; }
};

TEST_F(ProfilesTest, ScanFindsNumberedFilesInOrderWithoutAnIndex)
{
    WriteProfile(5, "Five");
    WriteProfile(2, "Two");
    profile_man().LoadProfiles();
    EXPECT_EQ(CountMessages("Loading all profiles.\n"), 1);
    EXPECT_EQ(CountMessages("Profiles database index doesn't exists. Creating new.\n"), 1);
    ASSERT_EQ(profile_man().GetNumberOfProfiles(), 2);
    EXPECT_EQ(Name(profile_man().GetProfileByIndex(0)), "Two");
    EXPECT_EQ(Name(profile_man().GetProfileByIndex(1)), "Five");
    EXPECT_EQ(prof, profile_man().GetProfileByIndex(0));
    EXPECT_FALSE(prof->IsDirty());  // the first becomes active without a change
    EXPECT_EQ(prof->GetTimeActive(), 1500);
    DMArray *list = profile_man().GetIndex()->GetArray("!PROFILE_INDEX");
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->GetSize(), 2);
    EXPECT_STREQ(list->GetNode(0)->id, "2.xml");
    EXPECT_STREQ(list->GetNode(1)->id, "5.xml");
}

TEST_F(ProfilesTest, IndexOrderAndActiveProfile)
{
    WriteProfile(1, "One");
    WriteProfile(3, "Three");
    ASSERT_TRUE(WriteNative(UserPath("profiles/index.xml"),
                            std::string(kHead) +
                                "\t<array id=\"!PROFILE_INDEX\">\n\t\t<node id=\"3.xml\" />\n\t\t<node id=\"9.xml\" />\n"
                                "\t\t<node id=\"1.xml\" />\n\t</array>\n"
                                "\t<array id=\"!STATE\">\n\t\t<node id=\"ACTIVE_PROFILE\" index=\"1\" />\n\t</array>\n"
                                "</root>\n"));
    profile_man().LoadProfiles();
    ASSERT_EQ(profile_man().GetNumberOfProfiles(), 2);  // 9.xml is missing: skipped
    EXPECT_EQ(Name(profile_man().GetProfileByIndex(0)), "Three");
    EXPECT_EQ(Name(prof), "One");
    EXPECT_TRUE(prof->IsDirty());  // made active
}

TEST_F(ProfilesTest, NothingToLoadCreatesOneNamedPlayer)
{
    profile_man().LoadProfiles();
    ASSERT_EQ(profile_man().GetNumberOfProfiles(), 1);
    EXPECT_EQ(Name(prof), "Player");
    EXPECT_STREQ(prof->GetFileName(), "1.xml");
    EXPECT_TRUE(prof->IsDirty());
}

TEST_F(ProfilesTest, AllSixtyFourNamesTakenCreatesNothing)
{
    for (int n = 1; n <= 64; n++)
        ASSERT_TRUE(WriteNative(UserPath("profiles/" + std::to_string(n) + ".xml"), "<root/>"));
    profile_man().LoadProfiles();
    ASSERT_EQ(profile_man().GetNumberOfProfiles(), 64);
    EXPECT_EQ(profile_man().GetFreeProfileFilename(), nullptr);
    EXPECT_EQ(CountMessages("Too many profiles files in <userdata>/profiles folder.\n"), 1);
    EXPECT_EQ(profile_man().CreateNewProfile(), nullptr);
    EXPECT_EQ(profile_man().GetNumberOfProfiles(), 64);
}

TEST_F(ProfilesTest, LastProfileStaysWhenNoReplacementCanBeMade)
{
    for (int n = 2; n <= 64; n++)
        ASSERT_TRUE(WriteNative(UserPath("profiles/" + std::to_string(n) + ".xml"), "<root/>"));
    ASSERT_TRUE(WriteNative(UserPath("profiles/index.xml"),
                            std::string(kHead) + "\t<array id=\"!PROFILE_INDEX\">\n\t\t<node id=\"1.xml\" />\n"
                                                 "\t</array>\n</root>\n"));
    profile_man().LoadProfiles();  // 1.xml is missing: a new profile takes it
    ASSERT_EQ(profile_man().GetNumberOfProfiles(), 1);
    Profile *only = prof;
    EXPECT_FALSE(profile_man().DeleteProfile(only));
    EXPECT_EQ(prof, only);
    EXPECT_EQ(profile_man().GetNumberOfProfiles(), 1);
}

TEST_F(ProfilesTest, DeletingTheOnlyActiveProfileMakesAFreshOne)
{
    profile_man().LoadProfiles();
    Profile *first = prof;
    EXPECT_TRUE(profile_man().DeleteProfile(first));  // never saved: gone at once
    EXPECT_EQ(CountMessages("Deleting profile 'Player' (#0)\n"), 1);
    ASSERT_EQ(profile_man().GetNumberOfProfiles(), 1);
    EXPECT_EQ(Name(prof), "");
    EXPECT_EQ(prof, profile_man().GetProfileByIndex(0));
    EXPECT_FALSE(profile_man().DeleteProfile(nullptr));
}

TEST_F(ProfilesTest, MarkedNamesAreNotReusedBeforeTheSave)
{
    WriteProfile(1, "One");
    WriteProfile(2, "Two");
    profile_man().LoadProfiles();
    EXPECT_TRUE(profile_man().DeleteProfile(profile_man().GetProfileByIndex(0)));
    EXPECT_EQ(CountMessages("Marking profile 'One' for deletion.\n"), 1);
    EXPECT_EQ(profile_man().GetNumberOfMarkedProfiles(), 1);
    EXPECT_EQ(Name(prof), "Two");
    EXPECT_TRUE(ExistsNative(UserPath("profiles/1.xml")));
    Profile *fresh = profile_man().CreateNewProfile();
    ASSERT_NE(fresh, nullptr);
    EXPECT_STREQ(fresh->GetFileName(), "3.xml");
}

TEST_F(ProfilesTest, AddingAProfileDeletesATemporaryFirstProfile)
{
    profile_man().LoadProfiles();
    prof->SetName("");
    Profile *added = profile_man().CreateNewProfile();
    EXPECT_EQ(CountMessages("Detecting temporary profile at index #0, deleting it..\n"), 1);
    ASSERT_EQ(profile_man().GetNumberOfProfiles(), 1);
    EXPECT_EQ(profile_man().GetProfileByIndex(0), added);
    EXPECT_EQ(prof, added);
}

TEST_F(ProfilesTest, NameCheckTable)
{
    WriteProfile(1, "Anna");
    profile_man().LoadProfiles();
    struct {
        const char *name;
        bool valid;
    } cases[] = {{"Bob", true},   {"   ", false},    {"", false},   {nullptr, false}, {"Anna", false},
                 {"Anna  ", false}, {" \tAnna", false}, {"anna", true}, {"Anna\t", true}};
    for (auto &c : cases) {
        SCOPED_TRACE(c.name ? c.name : "(null)");
        EXPECT_EQ(profile_man().IsProfileNameValid(c.name), c.valid);
    }
    std::string longer(200, 'n');
    EXPECT_STREQ(ProfileManager::TrimProfileName(longer.c_str()).Get(), std::string(127, 'n').c_str());
    prof->SetName(longer.c_str());
    EXPECT_EQ(Name(prof), std::string(127, 'n'));
    EXPECT_FALSE(profile_man().IsProfileNameValid((longer + "x").c_str()));  // equal after the cut
}

TEST_F(ProfilesTest, ValuesTagsAcknowledgementsAndStatistics)
{
    profile_man().LoadProfiles();
    Profile *p = prof;
    EXPECT_EQ(p->GetStatisticsInt("kills"), 0);
    p->ChangeStatisticsInt("kills", 5);
    EXPECT_STREQ(p->GetValue("STATS", "kills", "int"), "5");
    p->SetStatisticsInt("big", INT_MAX - 1);
    p->ChangeStatisticsInt("big", 10);
    EXPECT_EQ(p->GetStatisticsInt("big"), INT_MAX);
    p->SetStatisticsInt("low", INT_MIN + 1);
    p->ChangeStatisticsInt("low", -10);
    EXPECT_EQ(p->GetStatisticsInt("low"), INT_MIN);

    p->AddTag("MEDALS", "gold");
    EXPECT_TRUE(p->TagExists("MEDALS", "gold"));
    p->SetValue("MEDALS", "silver", "count", "2");
    EXPECT_TRUE(p->TagExists("MEDALS", "silver"));  // any node counts
    EXPECT_TRUE(p->RemoveValue("MEDALS", "gold"));  // the whole node goes
    EXPECT_FALSE(p->TagExists("MEDALS", "gold"));
    EXPECT_EQ(p->GetNumberOfValuesInCategory("MEDALS"), 1);
    EXPECT_STREQ(p->GetValueNameByIndex("MEDALS", 0), "silver");
    EXPECT_EQ(p->GetValueNameByIndex("MEDALS", 1), nullptr);

    p->SetAcknowledged("NOTES", "intro", true);
    EXPECT_TRUE(p->IsAcknowledged("NOTES", "intro"));
    p->SetAcknowledged("NOTES", "intro", false);
    EXPECT_FALSE(p->IsAcknowledged("NOTES", "intro"));
    EXPECT_TRUE(p->TagExists("NOTES", "intro"));
    p->SetValue("NOTES", "x", "ack", "10");
    EXPECT_TRUE(p->IsAcknowledged("NOTES", "x"));
    p->RemoveValue("NOTES", "x", "ack");
    EXPECT_EQ(p->GetValue("NOTES", "x", "ack"), nullptr);
    p->SetValue("NOTES", nullptr, "k", "v");
    p->SetValue("NOTES", "y", "k", nullptr);
    EXPECT_EQ(p->GetNumberOfValuesInCategory("NOTES"), 2);
    p->SetValuef("NOTES", "f", "k", "%d-%s", 7, "x");
    EXPECT_STREQ(p->GetValue("NOTES", "f", "k"), "7-x");
    EXPECT_TRUE(p->RemoveCategory("NOTES"));
    EXPECT_FALSE(p->RemoveCategory("NOTES"));
    EXPECT_EQ(p->GetNumberOfValuesInCategory("NOTES"), 0);
}

TEST_F(ProfilesTest, TimeActiveAddsWholeMillisecondsAndSaturates)
{
    profile_man().LoadProfiles();
    int start = prof->GetTimeActive();
    profile_man().Update(1.0f / 60.0f);
    EXPECT_EQ(prof->GetTimeActive() - start, 16);
    for (int i = 0; i < 3; i++)
        prof->Update(1e9f);
    EXPECT_EQ(prof->GetTimeActive(), INT_MAX);
}

TEST_F(ProfilesTest, GlobalValuesAndNullActiveProfile)
{
    profile_man().LoadProfiles();
    EXPECT_EQ(profile_man().GetGlobalValue("KEY"), nullptr);
    profile_man().SetGlobalValue("KEY", "v");
    EXPECT_STREQ(profile_man().GetGlobalValue("KEY"), "v");
    Profile *before = prof;
    profile_man().SetActiveProfile((Profile *)nullptr);
    EXPECT_EQ(CountMessages("ProfileManager::SetActiveProfile Trying to set null profile!"), 1);
    EXPECT_EQ(prof, before);
    EXPECT_FALSE(profile_man().SetActiveProfile(7));
}

TEST_F(ProfilesTest, FileNameRules)
{
    struct {
        const char *name;
        bool profile, save;
    } cases[] = {{"1.xml", true, false},
                 {"64.xml", true, false},
                 {"65.xml", false, false},
                 {"0.xml", false, false},
                 {"01.xml", false, false},
                 {"../x", false, false},
                 {"profiles/index.xml", false, false},
                 {"1.xml/../../x", false, false},
                 {"profiles/saves/save-game-001.dat", false, true},
                 {"profiles/saves/../index.xml", false, false},
                 {"profiles/saves/", false, false},
                 {"profiles/saves/a\\b", false, false},
                 {"/etc/passwd", false, false},
                 {"user://profiles/saves/x", false, false},
                 {nullptr, false, false}};
    for (auto &c : cases) {
        SCOPED_TRACE(c.name ? c.name : "(null)");
        EXPECT_EQ(IsProfileFileName(c.name), c.profile);
        EXPECT_EQ(IsSaveFileName(c.name), c.save);
    }
}

TEST_F(ProfilesTest, HostileIndexAndSaveFileNamesDeleteNothing)
{
    WriteProfile(1, "Victim", "\t<array id=\"!TIMELINES\">\n"
                              "\t\t<node id=\"a\" savefile=\"../x\" />\n"
                              "\t\t<node id=\"b\" savefile=\"profiles/index.xml\" />\n"
                              "\t\t<node id=\"c\" savefile=\"profiles/saves/../2.xml\" />\n"
                              "\t\t<node id=\"d\" savefile=\"profiles/saves/gone.dat\" />\n"
                              "\t</array>\n");
    WriteProfile(2, "Other");
    ASSERT_TRUE(WriteNative(UserPath("x"), "outside"));
    ASSERT_TRUE(WriteNative(UserPath("profiles/saves/keep.dat"), "keep"));
    ASSERT_TRUE(WriteNative(UserPath("profiles/index.xml"),
                            std::string(kHead) + "\t<array id=\"!PROFILE_INDEX\">\n"
                                                 "\t\t<node id=\"../x\" />\n"
                                                 "\t\t<node id=\"profiles/index.xml\" />\n"
                                                 "\t\t<node id=\"index.xml\" />\n"
                                                 "\t\t<node id=\"1.xml\" />\n"
                                                 "\t\t<node id=\"1.xml\" />\n"
                                                 "\t\t<node id=\"2.xml\" />\n"
                                                 "\t</array>\n</root>\n"));
    std::vector<std::string> before = ListTree(UserPath(""));
    profile_man().LoadProfiles();
    ASSERT_EQ(profile_man().GetNumberOfProfiles(), 2);
    for (const char *bad : {"../x", "profiles/index.xml", "index.xml", "1.xml"})
        EXPECT_EQ(CountMessages(std::string("Ignoring file name '") + bad + "'.\n"), 1) << bad;
    // A profile with the hostile saved-game names that was never saved goes at once.
    Profile *victim = profile_man().GetProfileByIndex(0);
    ASSERT_EQ(Name(victim), "Victim");
    Profile *copy = profile_man().CreateNewProfile();
    ASSERT_NE(copy, nullptr);
    DMArray *timelines = victim->LockDatabase()->GetArray("!TIMELINES");
    for (int i = 0; i < timelines->GetSize(); i++)
        copy->SetValue("!TIMELINES", timelines->GetNode(i)->id, "savefile", timelines->GetNode(i)->GetValue("savefile"));
    EXPECT_TRUE(profile_man().DeleteProfile(copy));
    EXPECT_EQ(CountMessages("Ignoring file name 'profiles/saves/../2.xml'.\n"), 1);
    EXPECT_EQ(CountMessages("Deleting save file 'user://profiles/saves/gone.dat' failed.\n"), 1);
    EXPECT_EQ(ListTree(UserPath("")), before);
}

}  // namespace
