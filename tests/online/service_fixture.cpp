// The online-service test fixture without screens (see service_fixture.h).
#include "tests/online/service_fixture.h"

#include "app/services/dataman.h"
#include "app/services/featureman.h"
#include "app/services/profiles.h"
#include "app/services/prog.h"
#include "core/ov_state.h"
#include "online/analytics.h"
#include "online/leaderboards-manager.h"

#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <mutex>

namespace servicetest {

FakePlatform platform;

namespace {

std::mutex s_mutex;
std::vector<std::string> s_commands;
std::vector<std::string> s_addresses;
const char *(*s_engine_extension)(const char *, const char *) = nullptr;
int (*s_engine_http)(int, const char *, const char *, const char *, int, ov_buffer_t *, int *) = nullptr;

const char *FakeExtension(const char *cmd, const char *arg)
{
    std::string c = cmd ? cmd : "", a = arg ? arg : "";
    {
        std::lock_guard<std::mutex> lock(s_mutex);
        s_commands.push_back(c + "|" + a);
    }
    if (c == "ReplaceFile" || c == "LastFileError")
        return s_engine_extension(cmd, arg);
    if (c == "ProgramInfo" && a == "Features")
        return platform.features.empty() ? nullptr : platform.features.c_str();
    if (c == "GetProductValue") {
        auto it = platform.product_values.find(a);
        return it == platform.product_values.end() ? nullptr : it->second.c_str();
    }
    if (c == "GameCenter" && a == "IsAvailable")
        return platform.game_center_available ? "1" : nullptr;
    if (c == "PlatformInfo")
        return a == "PlatformId" ? "linux" : a == "ScreenSizeId" ? "tablet" : nullptr;
    return nullptr;
}

int FakeHttp(int method, const char *url, const char *headers, const char *body, int timeout, ov_buffer_t *reply,
             int *status)
{
    std::lock_guard<std::mutex> lock(s_mutex);
    s_addresses.push_back(url ? url : "");
    return 200;
}

void MakeFolders(const std::string &path)
{
    for (size_t at = path.find('/', 1); at != std::string::npos; at = path.find('/', at + 1))
        mkdir(path.substr(0, at).c_str(), 0755);
}

}  // namespace

std::vector<std::string> Commands()
{
    std::lock_guard<std::mutex> lock(s_mutex);
    return s_commands;
}

std::vector<std::string> CommandArgs(const std::string &cmd)
{
    std::vector<std::string> out;
    for (const std::string &c : Commands())
        if (c.compare(0, cmd.size() + 1, cmd + "|") == 0)
            out.push_back(c.substr(cmd.size() + 1));
    return out;
}

std::vector<std::string> Addresses()
{
    std::lock_guard<std::mutex> lock(s_mutex);
    return s_addresses;
}

void ClearRecords()
{
    std::lock_guard<std::mutex> lock(s_mutex);
    s_commands.clear();
    s_addresses.clear();
}

void ServiceTest::SetUp()
{
    DataTest::SetUp();
    strcpy(prog.id, "orvextest");
    strcpy(prog.version, "1.2");
    prog.parms.developer_mode = 0;
    platform = FakePlatform();
    s_engine_extension = ov->OV_CallExtension;
    ov->OV_CallExtension = FakeExtension;
    s_engine_http = ov->OV_SendHttpRequest;
    ov->OV_SendHttpRequest = FakeHttp;
    SetFeatures("");
    profile_man().Clear();
    ClearRecords();
}

void ServiceTest::TearDown()
{
    WaitForThreads();
    analyst.Shutdown();
    leaderboards_man.Reset();
    profile_man().Clear();
    platform = FakePlatform();
    SetFeatures("");
    DataTest::TearDown();
}

void ServiceTest::UseEngineHttp()
{
    ov->OV_SendHttpRequest = s_engine_http;
}

void ServiceTest::SetFeatures(const std::string &features)
{
    platform.features = features;
    feature_man.Initialize();
}

void ServiceTest::LoadProfiles()
{
    profile_man().LoadProfiles();
    ASSERT_NE(prof, nullptr);
}

void ServiceTest::WriteRes(const std::string &name, const std::string &text)
{
    MakeFolders(ResPath(name));
    ASSERT_TRUE(WriteNative(ResPath(name), text));
}

void ServiceTest::WriteUser(const std::string &name, const std::string &text)
{
    MakeFolders(UserPath(name));
    ASSERT_TRUE(WriteNative(UserPath(name), text));
}

bool ServiceTest::WaitForThreads()
{
    for (int i = 0; i < 1000; i++) {
        if (OVT_GetNumberOfThreadsRunning() == 0)
            return true;
        usleep(10000);
    }
    return false;
}

}  // namespace servicetest
