// Test harness for whole-engine tests: a scratch working directory (res:// and user://
// land inside it), the headless device layer, a controllable application record, a
// fake clock, and helpers to read back what the engine logged.
#ifndef TEST_ENGINE_HARNESS_H
#define TEST_ENGINE_HARNESS_H

#include "core/ov_state.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace harness {

// What the test application saw.
struct AppLog {
    int init_calls = 0;
    int shutdown_calls = 0;
    std::vector<float> updates;
    std::vector<float> draws;
    std::vector<int> draw_eye_modes;
    std::vector<ov_event_t> events;
    std::vector<int> key_state_at_event;  // integer key state of the event's key when it arrived
};

// Settings the placeholder settings reader applies.
struct Switches {
    bool developer_mode = false;
    bool console = true;
    bool logging = true;
    int verbose_level = 0;
};

extern AppLog app;
extern Switches switches;
extern int init_result;           // what the application's Init returns
extern int close_answer;          // what the application answers a close request
extern bool offer_no_record;      // OV_GetInterface returns null
extern ov_prog_t record;          // the record OV_GetInterface hands out

// A fake clock: reads advance by `step_per_read` ms; sleeps advance by their length, and
// an absolute sleep to its deadline.
struct FakeClock {
    static uint32_t now;
    static uint32_t step_per_read;
    static std::vector<unsigned> sleeps_s;
    static std::vector<unsigned> sleeps_us;
    static std::vector<uint32_t> sleeps_until;  // deadlines of absolute sleeps
    static void (*on_sleep_until)(uint32_t deadline);  // called by each absolute sleep, when set
    static void Install(uint32_t step = 0);
    static void Uninstall();
};

// Fixture: fresh temp dir, headless device, fresh record and switches.
class EngineTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    // PreInit and Init through the normal path; asserts both succeed.
    void StartEngine();
    std::string dir;
};

// Every stored log line's text, in order.
std::vector<std::string> LogTexts();
// True when some stored line contains the fragment.
bool Logged(const std::string &fragment);
// Number of stored lines containing the fragment.
int CountLogged(const std::string &fragment);
// Whole file as text ("" when missing).
std::string ReadFile(const std::string &path);
bool FileExists(const std::string &path);

}  // namespace harness

#endif
