// The profile index as written: the profile list and the active profile rebuilt at every
// save, and the program settings (sound and music volume, the window mode) written at
// every save and applied when the profiles load (volumes clamped, the window mode handed
// to the engine's re-initialisation), beside the free global values.
#include "app/services/audioman.h"
#include "app/services/dataman.h"
#include "app/services/profiles.h"
#include "app/services/prog.h"
#include "tests/app/services/data_fixture.h"

using datatest::CountMessages;

#include <sys/stat.h>

#include <string>

using datatest::DataTest;

namespace {

const char kHead[] = "<?xml version=\"1.0\" encoding=\"iso-8859-1\"?>\n<root>\n";

int s_reinits = 0;
int s_reinit_windowed = -1;

// Stands in for the engine's re-initialisation: notes the window mode it would apply.
int CountReInit(void)
{
    s_reinits++;
    s_reinit_windowed = prog.parms.windowed;
    return 1;
}

class ProfileSettingsTest : public DataTest {
protected:
    void SetUp() override
    {
        DataTest::SetUp();
        profile_man().Clear();
        mkdir(UserPath("profiles").c_str(), 0755);
        aman.SetSoundVolume(0.75f);
        aman.SetMusicVolume(0.75f);
        s_reinits = 0;
        s_reinit_windowed = -1;
        ov->OV_ReInit = CountReInit;
    }
    void TearDown() override
    {
        profile_man().Clear();
        aman.SetSoundVolume(0.75f);
        aman.SetMusicVolume(0.75f);
        DataTest::TearDown();
    }
    // Drops everything in memory (profiles, index, registry) and loads from the files again.
    void Reload()
    {
        profile_man().Clear();
        dman().ReleaseAllDatabases();
        profile_man().LoadProfiles();
    }
    void WriteIndex(const std::string &settings)
    {
        ASSERT_TRUE(WriteNative(UserPath("profiles/index.xml"), std::string(kHead) + settings + "</root>\n"));
    }
    std::string Index() { return ReadNative(UserPath("profiles/index.xml")); }
};

TEST_F(ProfileSettingsTest, VolumesAndWindowModeAreWrittenAndReadBack)
{
    profile_man().LoadProfiles();
    EXPECT_EQ(s_reinits, 0);  // a new index has no settings yet
    aman.SetSoundVolume(0.3f);
    aman.SetMusicVolume(0.625f);
    prog.parms.windowed = 1;
    ASSERT_TRUE(profile_man().SaveProfiles());
    std::string index = Index();
    EXPECT_NE(index.find("\t<array id=\"!SETTINGS\">\n"
                         "\t\t<node id=\"SOUND_VOLUME\" value=\"0.30\" />\n"
                         "\t\t<node id=\"MUSIC_VOLUME\" value=\"0.62\" />\n"
                         "\t\t<node id=\"WINDOWED\" value=\"1\" />\n"
                         "\t</array>\n"),
              std::string::npos)
        << index;

    aman.SetSoundVolume(0.75f);
    aman.SetMusicVolume(0.75f);
    prog.parms.windowed = 0;
    Reload();
    EXPECT_FLOAT_EQ(aman.GetSoundVolume(), 0.3f);
    EXPECT_FLOAT_EQ(aman.GetMusicVolume(), 0.62f);
    EXPECT_EQ(prog.parms.windowed, 1);
    EXPECT_EQ(s_reinits, 1);
    EXPECT_EQ(s_reinit_windowed, 1);  // the mode is in the record before the engine applies it

    // Full screen again: "0" is written over the "1" and read back.
    prog.parms.windowed = 0;
    aman.SetSoundVolume(0.0f);
    ASSERT_TRUE(profile_man().SaveProfiles());
    EXPECT_NE(Index().find("<node id=\"WINDOWED\" value=\"0\" />"), std::string::npos);
    EXPECT_NE(Index().find("<node id=\"SOUND_VOLUME\" value=\"0.00\" />"), std::string::npos);
    prog.parms.windowed = 1;
    Reload();
    EXPECT_EQ(prog.parms.windowed, 0);
    EXPECT_FLOAT_EQ(aman.GetSoundVolume(), 0.0f);
    EXPECT_EQ(s_reinits, 2);
}

TEST_F(ProfileSettingsTest, LoadedValuesAreClampedAndAnyNonZeroModeIsWindowed)
{
    struct {
        const char *sound, *music, *windowed;
        float want_sound, want_music;
        int want_windowed;
    } cases[] = {
        {"1.7", "-2", "5", 1.0f, 0.0f, 1},
        {"nan", "0.5", "0", 0.0f, 0.5f, 0},
        {"inf", "-inf", "-1", 1.0f, 0.0f, 1},
        {"abc", "1e30", "x", 0.0f, 1.0f, 0},
        {"0.999", "0.001", "99999999999", 0.999f, 0.001f, 1},
    };
    for (auto &c : cases) {
        SCOPED_TRACE(std::string(c.sound) + " " + c.music + " " + c.windowed);
        WriteIndex(std::string("\t<array id=\"!SETTINGS\">\n\t\t<node id=\"SOUND_VOLUME\" value=\"") + c.sound +
                   "\" />\n\t\t<node id=\"MUSIC_VOLUME\" value=\"" + c.music +
                   "\" />\n\t\t<node id=\"WINDOWED\" value=\"" + c.windowed + "\" />\n\t</array>\n");
        prog.parms.windowed = (uint8_t)(1 - c.want_windowed);
        Reload();
        EXPECT_FLOAT_EQ(aman.GetSoundVolume(), c.want_sound);
        EXPECT_FLOAT_EQ(aman.GetMusicVolume(), c.want_music);
        EXPECT_EQ(prog.parms.windowed, c.want_windowed);
    }
}

TEST_F(ProfileSettingsTest, MissingSettingsKeepTheCurrentValues)
{
    // No settings array: nothing changes and the engine is not re-initialised.
    WriteIndex("\t<array id=\"!PROFILE_INDEX\">\n\t</array>\n");
    aman.SetSoundVolume(0.4f);
    prog.parms.windowed = 1;
    Reload();
    EXPECT_FLOAT_EQ(aman.GetSoundVolume(), 0.4f);
    EXPECT_FLOAT_EQ(aman.GetMusicVolume(), 0.75f);
    EXPECT_EQ(prog.parms.windowed, 1);
    EXPECT_EQ(s_reinits, 0);

    // Settings holding only a free key (and a volume node without its value): the
    // volumes and the mode stay, the engine applies the mode all the same.
    WriteIndex("\t<array id=\"!SETTINGS\">\n\t\t<node id=\"GAME_CENTER_ENABLED\" value=\"0\" />\n"
               "\t\t<node id=\"MUSIC_VOLUME\" other=\"0.1\" />\n\t</array>\n");
    Reload();
    EXPECT_FLOAT_EQ(aman.GetSoundVolume(), 0.4f);
    EXPECT_FLOAT_EQ(aman.GetMusicVolume(), 0.75f);
    EXPECT_EQ(prog.parms.windowed, 1);
    EXPECT_EQ(s_reinits, 1);
    EXPECT_STREQ(profile_man().GetGlobalValue("GAME_CENTER_ENABLED"), "0");
}

TEST_F(ProfileSettingsTest, GlobalValuesStayBesideTheSettingsAcrossSaves)
{
    profile_man().LoadProfiles();
    profile_man().SetGlobalValue("GAME_CENTER_ENABLED", "1");
    ASSERT_TRUE(profile_man().SaveProfiles());
    ASSERT_TRUE(profile_man().SaveProfiles());  // a second save keeps one node of each
    std::string index = Index();
    for (const char *node : {"GAME_CENTER_ENABLED", "SOUND_VOLUME", "MUSIC_VOLUME", "WINDOWED"}) {
        std::string tag = std::string("<node id=\"") + node + "\"";
        size_t first = index.find(tag);
        EXPECT_NE(first, std::string::npos) << node;
        EXPECT_EQ(index.find(tag, first + 1), std::string::npos) << node;
    }
    Reload();
    EXPECT_STREQ(profile_man().GetGlobalValue("GAME_CENTER_ENABLED"), "1");
    EXPECT_STREQ(profile_man().GetGlobalValue("SOUND_VOLUME"), "0.75");
    EXPECT_STREQ(profile_man().GetGlobalValue("WINDOWED"), "0");
}

TEST_F(ProfileSettingsTest, ListAndActiveProfileAreRebuiltAtEverySave)
{
    profile_man().LoadProfiles();
    prof->SetName("One");
    Profile *two = profile_man().CreateNewProfile();
    ASSERT_NE(two, nullptr);
    two->SetName("Two");
    ASSERT_TRUE(profile_man().SaveProfiles());
    std::string index = Index();
    EXPECT_NE(index.find("\t<array id=\"!PROFILE_INDEX\">\n"
                         "\t\t<node id=\"1.xml\" />\n"
                         "\t\t<node id=\"2.xml\" />\n"
                         "\t</array>\n"),
              std::string::npos)
        << index;
    EXPECT_NE(index.find("\t<array id=\"!STATE\">\n"
                         "\t\t<node id=\"ACTIVE_PROFILE\" index=\"1\" />\n"
                         "\t</array>\n"),
              std::string::npos)
        << index;

    // The saved second profile is marked, then deleted with its file at the next save;
    // the list and the active index follow.
    ASSERT_TRUE(profile_man().DeleteProfile(two));
    EXPECT_EQ(CountMessages("Marking profile 'Two' for deletion.\n"), 1);
    ASSERT_TRUE(profile_man().SaveProfiles());
    EXPECT_EQ(CountMessages("Deleting profiles marked for deletion.\n"), 1);
    EXPECT_EQ(CountMessages("Deleting file 'user://profiles/2.xml'\n"), 1);
    EXPECT_FALSE(ExistsNative(UserPath("profiles/2.xml")));
    index = Index();
    EXPECT_EQ(index.find("2.xml"), std::string::npos) << index;
    EXPECT_NE(index.find("<node id=\"ACTIVE_PROFILE\" index=\"0\" />"), std::string::npos) << index;
    Reload();
    ASSERT_EQ(profile_man().GetNumberOfProfiles(), 1);
    EXPECT_STREQ(prof->GetName().Get(), "One");
}

}  // namespace
