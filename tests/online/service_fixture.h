// Fixture of the online-service tests without screens (analytics, leaderboards): the data-service fixture (engine pre-initialised
// on the headless device in a scratch directory, messages captured) with the engine
// table's extension and HTTP slots replaced by fakes. The fake extension answers the
// product features, product values and the platform score service's availability as
// the test sets them, records every command and passes "ReplaceFile" on to the
// engine; the fake HTTP call records every address and answers 200.
#ifndef TESTS_ONLINE_SERVICE_FIXTURE_H
#define TESTS_ONLINE_SERVICE_FIXTURE_H

#include "tests/app/services/data_fixture.h"

#include <map>
#include <string>
#include <vector>

namespace servicetest {

// What the fakes answer.
struct FakePlatform {
    std::string features;                             // "ProgramInfo", "Features"
    std::map<std::string, std::string> product_values; // "GetProductValue", key
    bool game_center_available = false;                // "GameCenter", "IsAvailable"
};

extern FakePlatform platform;

// Every extension command as "cmd|arg", in order (thread-safe copies).
std::vector<std::string> Commands();
// The commands whose word is cmd, as their arguments, in order.
std::vector<std::string> CommandArgs(const std::string &cmd);
// Every address the fake HTTP call was given, in order.
std::vector<std::string> Addresses();
void ClearRecords();

class ServiceTest : public datatest::DataTest {
protected:
    void SetUp() override;
    void TearDown() override;
    // Sets the feature string and starts the feature manager with it.
    void SetFeatures(const std::string &features);
    // Loads the profiles (one "Player" profile on a fresh directory).
    void LoadProfiles();
    // Writes a res:// file, making its folders.
    void WriteRes(const std::string &name, const std::string &text);
    // Writes a user:// file, making its folders.
    void WriteUser(const std::string &name, const std::string &text);
    // Puts the engine's own HTTP call back into the table.
    void UseEngineHttp();
    // Waits (up to 10 s) until no engine thread runs.
    static bool WaitForThreads();
};

}  // namespace servicetest

#endif
