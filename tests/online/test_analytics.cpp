// The analytics event log: line and body formats, the sinks each product feature
// opens, the play log's bytes and name, and the upload addresses.
#include "online/analytics.h"

#include "app/services/luaman.h"
#include "app/services/profiles.h"
#include "app/services/prog.h"
#include "tests/online/service_fixture.h"

#include <string.h>
#include <sys/stat.h>

#include <string>

using datatest::CountMessages;
using servicetest::Addresses;
using servicetest::CommandArgs;
using servicetest::ServiceTest;

namespace {

struct Pair {
    const char *key;
    const char *value;
};

struct FormatCase {
    const char *name;
    const char *event;
    std::vector<Pair> pairs;
    const char *line;
    const char *body;
};

const FormatCase kFormatCases[] = {
    {"no pair", "START", {}, "START", "event_id=START"},
    {"one pair", "achievement_unlocked", {{"id", "first_blood"}}, "achievement_unlocked,id,first_blood",
     "event_id=achievement_unlocked&k[id]=first_blood"},
    {"level time", "LEVELTIME", {{"level", "jungle-3"}, {"time", "42"}}, "LEVELTIME,level,jungle-3,time,42",
     "event_id=LEVELTIME&k[level]=jungle-3&k[time]=42"},
    {"comma", "E", {{"a,b", "1,2"}}, "E,\"a,b\",\"1,2\"", "event_id=E&k[a%2Cb]=1%2C2"},
    {"ampersand and equals", "E", {{"k&=", "x=y&z"}}, "E,k&=,x=y&z", "event_id=E&k[k%26%3D]=x%3Dy%26z"},
    {"quote", "E", {{"say", "he said \"hi\""}}, "E,say,\"he said \"\"hi\"\"\"",
     "event_id=E&k[say]=he%20said%20%22hi%22"},  // a blank as %20: the body goes into a query
    {"line break", "E", {{"note", "one\ntwo\r"}}, "E,note,\"one\ntwo\r\"", "event_id=E&k[note]=one%0Atwo%0D"},
    {"empty pair", "E", {{"", ""}}, "E,,", "event_id=E&k[]="},
};

Analyst::KeyValues Pairs(const std::vector<Pair> &pairs)
{
    Analyst::KeyValues out;
    for (const Pair &p : pairs)
        out.InsertLast(Analyst::KeyValue(p.key, p.value));
    return out;
}

class AnalyticsTest : public ServiceTest {
protected:
    void SetUp() override
    {
        ServiceTest::SetUp();
        analyst.Initialize();
    }
    std::string PlayLog(const std::string &profile = "Player")
    {
        return ReadNative(UserPath("logs/playlog-" + profile + ".csv"));
    }
};

TEST_F(AnalyticsTest, LineAndBodyFormats)
{
    for (const FormatCase &c : kFormatCases) {
        SCOPED_TRACE(c.name);
        Analyst::KeyValues pairs = Pairs(c.pairs);
        EXPECT_STREQ(Analyst::GetEventKeyValuePairsInCommaSeparatedFormat(c.event, pairs).Get(), c.line);
        EXPECT_STREQ(Analyst::GetEventKeyValuePairsInTalvikAnalyticsFormat(c.event, pairs).Get(), c.body);
    }
}

TEST_F(AnalyticsTest, EveryEventReachesTheExtensionAndThePlayLog)
{
    SetFeatures("ANALYST ANALYST_LOCAL_STORE");
    LoadProfiles();
    analyst.LogEvent("START");
    analyst.LogEventWithKeyValue("achievement_unlocked", "id", "first_blood");
    analyst.LogEventLevelTime("jungle-3", 42);
    EXPECT_EQ(CommandArgs("LogEvent"), (std::vector<std::string>{"START", "achievement_unlocked,id,first_blood",
                                                                   "LEVELTIME,level,jungle-3,time,42"}));
    EXPECT_EQ(PlayLog(), "START\nachievement_unlocked,id,first_blood\nLEVELTIME,level,jungle-3,time,42\n");
    EXPECT_TRUE(Addresses().empty());  // no live logger
}

TEST_F(AnalyticsTest, NullKeyValueAndLevelBecomeEmpty)
{
    SetFeatures("ANALYST_LOCAL_STORE");
    LoadProfiles();
    analyst.LogEventWithKeyValue("E", nullptr, nullptr);
    analyst.LogEventLevelTime(nullptr, -7);
    EXPECT_EQ(PlayLog(), "E,,\nLEVELTIME,level,,time,-7\n");
}

TEST_F(AnalyticsTest, DisabledOrAutoTestingReachesNoSink)
{
    SetFeatures("ANALYST_LOCAL_STORE ANALYST_LIVELOGGER AUTO_TESTING_MODE");
    LoadProfiles();
    analyst.LogEvent("START");
    analyst.LogEventLevelTime("L", 1);
    analyst.LogEventWithKeyValue("E", "k", "v");
    SetFeatures("ANALYST_LOCAL_STORE ANALYST_LIVELOGGER");
    analyst.Shutdown();
    analyst.LogEvent("START");
    EXPECT_TRUE(WaitForThreads());
    EXPECT_TRUE(CommandArgs("LogEvent").empty());
    EXPECT_TRUE(Addresses().empty());
    EXPECT_FALSE(ExistsNative(UserPath("logs/playlog-Player.csv")));
}

TEST_F(AnalyticsTest, PlayLogThatCannotOpenIsReportedAndTheOtherSinksGoOn)
{
    SetFeatures("ANALYST_LOCAL_STORE");
    LoadProfiles();
    WriteUser("logs", "a file where the folder should be");
    analyst.LogEvent("START");
    EXPECT_EQ(CountMessages("Unable to append playlog to 'user://logs/playlog-Player.csv'.\n"), 1)
        << datatest::Dump();
    EXPECT_EQ(CountMessages("Unable to save 'user://logs/playlog-Player.csv': Not a directory\n"), 1)
        << datatest::Dump();
    EXPECT_EQ(CommandArgs("LogEvent"), (std::vector<std::string>{"START"}));
}

// The bytes handed to the engine's writes, one entry per call.
std::vector<std::string> writes;
unsigned (*engine_write)(const void *, unsigned, ov_file_t *) = nullptr;
unsigned RecordWrite(const void *buffer, unsigned bytes, ov_file_t *file)
{
    writes.emplace_back((const char *)buffer, bytes);
    return engine_write(buffer, bytes, file);
}

// Each line goes out with its end in one write: a kill leaves it whole or cut, never a
// line without its end followed by the next event's bytes.
TEST_F(AnalyticsTest, EachLineIsOneWriteWithItsEnd)
{
    SetFeatures("ANALYST_LOCAL_STORE");
    LoadProfiles();
    writes.clear();
    engine_write = ov->OV_WriteFile;
    ov->OV_WriteFile = RecordWrite;
    analyst.LogEventWithKeyValue("achievement_unlocked", "id", "first_blood");
    analyst.LogEventLevelTime("jungle-3", 42);
    ov->OV_WriteFile = engine_write;
    EXPECT_EQ(writes, (std::vector<std::string>{"achievement_unlocked,id,first_blood\n",
                                                "LEVELTIME,level,jungle-3,time,42\n"}));
}

// A line cut short (a kill or a full disk in the middle of its write) is not read, and
// the next event does not run on from it: it is dropped first.
TEST_F(AnalyticsTest, CutLastLineIsNeitherReadNorContinued)
{
    SetFeatures("ANALYST_LOCAL_STORE");
    LoadProfiles();
    const std::string whole = "START\nE,note,\"one\ntwo\"\nLEVELTIME,level,a,time,4\n";
    WriteUser("logs/playlog-Player.csv", whole + "achievement_unlocked,id,fir");
    EXPECT_EQ(Analyst::ReadPlayLog("user://logs/playlog-Player.csv"),
              (std::vector<std::string>{"START", "E,note,\"one\ntwo\"", "LEVELTIME,level,a,time,4"}));
    // A cut inside a quoted field: its line break is not the line's end.
    WriteUser("logs/playlog-Player.csv", whole + "E,note,\"one\n");
    EXPECT_EQ(Analyst::ReadPlayLog("user://logs/playlog-Player.csv").size(), 3u);
    analyst.LogEvent("NEXT");
    EXPECT_EQ(PlayLog(), whole + "NEXT\n");
    EXPECT_EQ(Analyst::ReadPlayLog("user://logs/playlog-Player.csv").back(), "NEXT");
    EXPECT_TRUE(Analyst::ReadPlayLog("user://logs/no-such-log.csv").empty());
}

TEST_F(AnalyticsTest, PlayLogNameFollowsTheProfileName)
{
    struct NameCase {
        const char *profile;  // null: no active profile
        const char *file;
    };
    const NameCase kCases[] = {
        {"Player", "user://logs/playlog-Player.csv"},
        {"Anna-Lee_2", "user://logs/playlog-Anna-Lee_2.csv"},
        {"Jo Smith", "user://logs/playlog-Jo_Smith.csv"},
        {"../../etc/x", "user://logs/playlog-______etc_x.csv"},
        {"a/b\\c:d", "user://logs/playlog-a_b_c_d.csv"},
        {"J\xf6rg", "user://logs/playlog-J_rg.csv"},
        {"", "user://logs/playlog-default.csv"},
        {nullptr, "user://logs/playlog-default.csv"},
    };
    LoadProfiles();
    Profile *active = prof;
    for (const NameCase &c : kCases) {
        SCOPED_TRACE(c.profile ? c.profile : "(no profile)");
        if (c.profile) {
            prof = active;
            prof->SetName(c.profile);
        } else {
            prof = nullptr;
        }
        EXPECT_STREQ(Analyst::GetPlayLogFileName().Get(), c.file);
    }
    prof = active;
    SetFeatures("ANALYST_LOCAL_STORE");
    prof->SetName("Jo Smith");
    analyst.LogEvent("START");
    EXPECT_EQ(ReadNative(UserPath("logs/playlog-Jo_Smith.csv")), "START\n");
}

TEST_F(AnalyticsTest, UploadAddressesCarryTheApplicationIdAndItsSuffix)
{
    LoadProfiles();
    const std::string udid = std::to_string(prof->GetRandom());
    const std::string tail = "&version=1.2&platform=linux/tablet&udid=" + udid + "&event_id=START";
    SetFeatures("ANALYST_LIVELOGGER");
    analyst.LogEvent("START");  // program id, no suffix
    ASSERT_TRUE(WaitForThreads());
    SetFeatures("ANALYST_LIVELOGGER BETA");
    analyst.LogEvent("START");
    ASSERT_TRUE(WaitForThreads());
    servicetest::platform.product_values["analytics_id"] = "talvik-a1";
    analyst.LogEvent("START");
    ASSERT_TRUE(WaitForThreads());
    prog.parms.developer_mode = 1;  // developer mode wins over the beta
    analyst.LogEvent("START");
    ASSERT_TRUE(WaitForThreads());
    EXPECT_EQ(Addresses(), (std::vector<std::string>{
                               "http://analytics.invalid/?app_id=orvextest" + tail,
                               "http://analytics.invalid/?app_id=orvextest_beta" + tail,
                               "http://analytics.invalid/?app_id=talvik-a1_beta" + tail,
                               "http://analytics.invalid/?app_id=talvik-a1_devmode" + tail,
                           }));
    // Auto-testing sends nothing, but its address would carry "_autoplayer".
    SetFeatures("ANALYST_LIVELOGGER AUTO_TESTING_MODE BETA");
    EXPECT_EQ(std::string(Analyst::BuildUploadAddress("event_id=X").Get()),
              "http://analytics.invalid/?app_id=talvik-a1_autoplayer&version=1.2&platform=linux/tablet&udid=" + udid +
                  "&event_id=X");
    EXPECT_EQ(datatest::CountMessages("ret:200\n"), 4);
    EXPECT_EQ(datatest::CountContaining("Constructed URL: 'http://analytics.invalid/?app_id="), 4);
}

TEST_F(AnalyticsTest, NoProfileOrLongBodyStartsNoUpload)
{
    SetFeatures("ANALYST_LIVELOGGER");
    analyst.LogEvent("START");  // no profile loaded
    LoadProfiles();
    std::string value(2047 - strlen("event_id=E&k[k]="), 'x');
    analyst.LogEventWithKeyValue("E", "k", value.c_str());  // exactly 2047 characters
    analyst.LogEventWithKeyValue("LONG", "k", (value + "y").c_str());
    analyst.LogEventWithKeyValue("E", "k", std::string(700, ',').c_str());  // 2100 once encoded
    ASSERT_TRUE(WaitForThreads());
    ASSERT_EQ(Addresses().size(), 1u);
    EXPECT_EQ(Addresses()[0].substr(Addresses()[0].size() - 2047), "event_id=E&k[k]=" + value);
    EXPECT_EQ(CountMessages("Analytics event 'LONG' too long to upload.\n"), 1);
    EXPECT_EQ(CountMessages("Analytics event 'E' too long to upload.\n"), 1);
    EXPECT_EQ(CommandArgs("LogEvent").size(), 4u);  // the other sinks still had every event
}

TEST_F(AnalyticsTest, WithoutTheFakeTheEngineRequestAnswersZero)
{
    LoadProfiles();
    UseEngineHttp();
    SetFeatures("ANALYST_LIVELOGGER");
    analyst.LogEvent("START");
    ASSERT_TRUE(WaitForThreads());
    EXPECT_EQ(CountMessages("ret:0\n"), 1) << datatest::Dump();
}

TEST_F(AnalyticsTest, ScriptFunctionsLogEvents)
{
    SetFeatures("ANALYST_LOCAL_STORE");
    LoadProfiles();
    Analyst::RegisterLuaFunctions();
    lua_State *L = lua_man.OpenLuaState();
    ASSERT_NE(L, nullptr);
    EXPECT_TRUE(lua_man.ExecLuaString(L, "Analyst_LogEvent('MENU'); Analyst_LogEventLevelTime('L1', 42.9);"
                                         "Analyst_LogEvent(); Analyst_LogEventLevelTime('L2')"));
    lua_man.CloseLuaState(L);
    EXPECT_EQ(PlayLog(), "MENU\nLEVELTIME,level,L1,time,42\nLEVELTIME,level,L2,time,0\n");
}

}  // namespace
