// Shared set-up of the data, settings and platform-identity tests: a fresh scratch
// directory as the working directory (./app/native is res://, ./data is user://),
// the headless device, the application record the engine loads, and helpers to write
// files and to read back what the engine printed.
#ifndef TEST_DATA_FIXTURE_H
#define TEST_DATA_FIXTURE_H

#include "core/ov_state.h"

#include <gtest/gtest.h>

#include <string>

namespace datatest {

// The record OV_GetInterface hands to the engine; reset by every fixture.
extern ov_prog_t record;
// When false, OV_GetInterface answers null (no application).
extern bool offer_record;
// When set, OV_GetInterface puts it in the interface's extension slot, so the
// settings read during pre-initialisation see its replies.
extern const char *(*extension_stand_in)(const char *command, const char *argument);

// A scratch working directory with app/native; nothing of the engine started.
class ScratchDir : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    std::string dir;
};

// The engine pre-initialised in developer mode with the log console on (both set
// through the settings hook), so popups and prints land in ov_con.lines.
class EngineUp : public ScratchDir {
protected:
    void SetUp() override;
};

// Resets the record (version 1201, 1024x600, reference counting) and the device
// display (1024x600), forgets shown popups and the settings hook.
void ResetRecordAndDevice();
// Runs OVI_PreInit and returns its result, with what it wrote to standard error.
bool PreInitCapturingStderr(std::string *err);
// Installs the settings hook that switches the log console on at level 0.
void UseConsoleHook();

// Writes a file (creating nothing but the file); fails the test when it cannot.
void WriteFile(const std::string &path, const std::string &text);
std::string ReadFile(const std::string &path);
// Number of stored log lines containing the fragment.
int CountLogged(const std::string &fragment);
bool Logged(const std::string &fragment);

}  // namespace datatest

#endif
